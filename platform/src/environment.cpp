// The process environment in Win32's shape.

#include "platform/environment.h"

#include "make_win32_error.h"
#include "platform/kernel.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

extern char** environ;

namespace {

// Win32 caps an expanded string at 32 K characters.
constexpr size_t kMaxExpandedSize = 32767;

bool same_name_ignoring_case(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y && !(x < 0x80 && y < 0x80 && std::tolower(x) == std::tolower(y)))
            return false;
    }
    return true;
}

// The value of a variable: the exact name first, then the first that differs only in
// case. NULL when there is none.
const char* find_variable(std::string_view name)
{
    if (name.empty())
        return nullptr;
    const char* folded = nullptr;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        if (equals == nullptr || equals == *entry)
            continue;
        const std::string_view entry_name(*entry, static_cast<size_t>(equals - *entry));
        if (entry_name == name)
            return equals + 1;
        if (folded == nullptr && same_name_ignoring_case(entry_name, name))
            folded = equals + 1;
    }
    return folded;
}

std::string expand(const char* source)
{
    std::string result;
    for (const char* at = source; *at != '\0';) {
        const char* open = std::strchr(at, '%');
        if (open == nullptr) {
            result += at;
            break;
        }
        result.append(at, static_cast<size_t>(open - at));
        const char* close = std::strchr(open + 1, '%');
        if (close == nullptr) {
            result += open;
            break;
        }
        const char* value = find_variable(std::string_view(open + 1, static_cast<size_t>(close - open - 1)));
        if (value == nullptr) {
            result.append(open, static_cast<size_t>(close - open + 1));
            at = close + 1;
            continue;
        }
        result += value;
        at = close + 1;
    }
    return result;
}

}

extern "C" {

PLATFORM_API LPCH GetEnvironmentStrings(void) noexcept
{
    size_t size = 1;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry)
        size += std::strlen(*entry) + 1;
    auto* block = static_cast<char*>(std::malloc(size));
    if (block == nullptr) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    char* out = block;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const size_t length = std::strlen(*entry) + 1;
        std::memcpy(out, *entry, length);
        out += length;
    }
    *out = '\0';
    return block;
}

PLATFORM_API BOOL FreeEnvironmentStringsA(LPCH block) noexcept
{
    std::free(block);
    return TRUE;
}

PLATFORM_API DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size) noexcept
{
    if (source == nullptr || (destination == nullptr && size > 0)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    try {
        const std::string result = expand(source);
        if (result.size() > kMaxExpandedSize) {
            platform::make_win32_error(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        const DWORD needed = static_cast<DWORD>(result.size() + 1);
        if (needed > size) {
            if (size > 0)
                destination[0] = '\0';
            return needed;
        }
        std::memcpy(destination, result.c_str(), needed);
        return needed;
    } catch (...) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

}
