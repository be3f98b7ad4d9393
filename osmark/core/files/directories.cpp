// Whole files and directories by name: recursive directory creation, renaming,
// copying and attributes.

#include "osmark/directories.h"

#include "core/files/directories_internal.h"
#include "core/runtime/make_error.h"
#include "core/text/string_chars.h"
#include "osmark/errors.h"
#include "osmark/paths.h"
#include "platform/kernel.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

// An exact test of the name: a wildcard scan would take "a/b*" for an existing
// directory whenever "a" holds any directory starting with b, and Linux names may hold
// '*' and '?'.
bool is_existing_dir(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool make_level(const std::string& path)
{
    return is_existing_dir(path.c_str()) || CreateDirectoryA(path.c_str(), nullptr);
}

// Where the levels to create begin: after the drive part ("C:", or "\\server\share")
// and the separator that follows it. Without a drive part a leading separator is the
// root, which always exists: the walk starts after it.
size_t first_level(const std::string& path)
{
    std::vector<char> drive(path.size() + 1);
    SplitPath(path.c_str(), drive.data(), nullptr, nullptr, nullptr);
    size_t start = std::strlen(drive.data());
    if (start > 0) {
        if (start < path.size() && osmark::is_path_separator(path[start]))
            ++start;
        return start;
    }
    while (start < path.size() && osmark::is_path_separator(path[start]))
        ++start;
    return start;
}

int32_t create_dir(const char* path)
{
    const osmark::ExpandedPathOwner expanded = osmark::expand_path(path);
    if (!expanded)
        return 0;
    std::string work(expanded.get());
    NormalisePath(work.data());
    work.resize(std::strlen(work.c_str()));
    if (work.size() > 1 && osmark::is_path_separator(work.back()))
        work.pop_back();
    // System failures are reported by the result alone.
    for (size_t i = first_level(work); i < work.size(); i += static_cast<size_t>(osmark::character_length(&work[i]))) {
        if (osmark::is_path_separator(work[i]) && !make_level(work.substr(0, i)))
            return 0;
    }
    return make_level(work) ? 1 : 0;
}

int32_t system_result(BOOL succeeded)
{
    if (succeeded)
        return 1;
    osmark::set_io_error_from_win32(GetLastError());
    return 0;
}

}

extern "C" {

OSMARK_API int32_t CreateDir(const char* path) noexcept
{
    if (path == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    if (path[0] == '\0')
        return 0;
    try {
        return create_dir(path);
    } catch (const std::bad_alloc&) {
        osmark::set_io_error(IoErrNoMemory);
        return 0;
    }
}

OSMARK_API int32_t Rename(const char* from, const char* to) noexcept
{
    if (from == nullptr || to == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    const osmark::ExpandedPathOwner source = osmark::expand_path(from);
    const osmark::ExpandedPathOwner target = source ? osmark::expand_path(to) : nullptr;
    if (!target)
        return 0;
    return system_result(MoveFileA(source.get(), target.get()));
}

OSMARK_API int32_t Copy(const char* from, const char* to, int32_t fail_if_exists) noexcept
{
    if (from == nullptr || to == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    const osmark::ExpandedPathOwner source = osmark::expand_path(from);
    const osmark::ExpandedPathOwner target = source ? osmark::expand_path(to) : nullptr;
    if (!target)
        return 0;
    return system_result(CopyFileA(source.get(), target.get(), fail_if_exists != 0));
}

OSMARK_API int32_t ModifyFileAttributes(const char* path, uint32_t attributes) noexcept
{
    if (path == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    const osmark::ExpandedPathOwner expanded = osmark::expand_path(path);
    if (!expanded)
        return 0;
    return system_result(SetFileAttributesA(expanded.get(), attributes));
}

}
