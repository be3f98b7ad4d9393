#include "test_support/temp_folder.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <gtest/gtest.h>

#include "test_support/files.h"

namespace test_support {

std::string temp_base()
{
    const char* base = std::getenv("TMPDIR");
    return base != nullptr && base[0] != '\0' ? base : "/tmp";
}

TempFolder::TempFolder()
{
    std::string pattern = temp_base() + "/test.XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr)
        m_path = pattern;
    else
        ADD_FAILURE() << "cannot make a temporary folder like " << pattern;
}

TempFolder::~TempFolder()
{
    if (m_path.empty())
        return;
    // Tests take rights away (read-only files, folders that cannot be listed); give
    // them back so that removing succeeds. Errors are ignored: a destructor has no
    // better answer.
    namespace fs = std::filesystem;
    std::error_code error;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, error);
    for (auto it = fs::recursive_directory_iterator(m_path, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
        fs::permissions(it->path(), fs::perms::owner_all,
                        fs::perm_options::add | fs::perm_options::nofollow, error);
    }
    fs::remove_all(m_path, error);
}

std::string TempFolder::path(std::string_view relative) const
{
    std::string whole = m_path;
    whole += '/';
    whole += relative;
    return whole;
}

std::string TempFolder::write(std::string_view relative, std::string_view bytes) const
{
    std::string whole = path(relative);
    write_file(whole, bytes);
    return whole;
}

TempFile::TempFile(std::string_view name) : m_path(m_folder.path(name))
{
}

TempFile::TempFile(std::string_view name, std::string_view bytes) : TempFile(name)
{
    write_file(m_path, bytes);
}

bool TempFile::exists() const
{
    return test_support::exists(m_path);
}

std::string TempFile::text() const
{
    return read_file(m_path);
}

}
