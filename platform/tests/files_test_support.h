// Test support for the file services: a temporary folder per test and plain POSIX
// helpers that check the platform's results without going through it.
#ifndef PLATFORM_TESTS_FILES_TEST_SUPPORT_H
#define PLATFORM_TESTS_FILES_TEST_SUPPORT_H

#include "platform/files.h"
#include "platform/kernel.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace files_test {

inline HANDLE invalid_handle()
{
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}

// A fresh folder under TMPDIR, removed with everything in it (read-only entries too).
class TempFolder {
public:
    TempFolder()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") +
                              "/files_test.XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder()
    {
        if (m_path.empty())
            return;
        std::error_code error;
        for (auto it = std::filesystem::recursive_directory_iterator(m_path, error);
             it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add |
                                             std::filesystem::perm_options::nofollow,
                                         error);
        }
        std::filesystem::remove_all(m_path, error);
    }

    const std::string& path() const { return m_path; }
    std::string path(const std::string& relative) const { return m_path + "/" + relative; }

private:
    std::string m_path;
};

inline void write_text(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string read_text(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline bool exists(const std::string& path)
{
    struct stat status;
    return lstat(path.c_str(), &status) == 0;
}

inline void make_folders(const std::string& path)
{
    std::filesystem::create_directories(path);
}

// The path with '/' turned into '\' and "C:" put in front, as Win32 code writes it.
inline std::string windows_form(const std::string& native)
{
    std::string text = "C:" + native;
    for (char& c : text) {
        if (c == '/')
            c = '\\';
    }
    return text;
}

inline uint64_t ticks_of(const FILETIME& time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

inline FILETIME file_time_of(uint64_t ticks)
{
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

}

#endif
