// Test support for the file services: Win32 forms of handles, paths and file times.
// Temporary folders and whole-file helpers come from test_support.
#ifndef PLATFORM_TESTS_FILES_TEST_SUPPORT_H
#define PLATFORM_TESTS_FILES_TEST_SUPPORT_H

#include "platform/files.h"
#include "platform/kernel.h"

#include <cstdint>
#include <string>

namespace files_test {

inline HANDLE invalid_handle()
{
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
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
