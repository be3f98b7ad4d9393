// Locale information (platform/locale_info.h).
//
// Linux offers no counterpart of the Win32 locale record that the libraries could
// read faithfully (their formats, names and separators are in the libraries' own
// picture language), so the platform reports the locale as unreadable and lets the
// callers' defaults apply. Tests inject a locale through the seam.

#include "platform/locale_info.h"

#include "locale_answers.h"
#include "make_win32_error.h"
#include "platform/kernel.h"

#include <atomic>
#include <cstring>
#include <limits>

namespace {

std::atomic<const PlatformLocaleAnswers*> g_injected{nullptr};

constexpr DWORD kMajorVersion = 10;
constexpr DWORD kMinorVersion = 0;

int fail(DWORD error, platform::SourceSite where = platform::SourceSite::current())
{
    platform::make_win32_error(error, where);
    return 0;
}

// The injected value of a type, or NULL when the type cannot be read.
const PlatformLocaleValue* injected_value(LCTYPE type)
{
    const PlatformLocaleAnswers* answers = platform::injected_locale();
    if (answers == nullptr || answers->values == nullptr)
        return nullptr;
    for (size_t i = 0; i < answers->value_count; ++i) {
        const PlatformLocaleValue& value = answers->values[i];
        if (value.type == type && value.text != nullptr)
            return &value;
    }
    return nullptr;
}

}

namespace platform {

const PlatformLocaleAnswers* injected_locale()
{
    return g_injected.load(std::memory_order_acquire);
}

int copy_locale_text(const char* text, size_t length, LPSTR buffer, int size)
{
    if (size < 0 || (size > 0 && buffer == nullptr))
        return fail(ERROR_INVALID_PARAMETER);
    if (length >= static_cast<size_t>(std::numeric_limits<int>::max()))
        return fail(ERROR_INSUFFICIENT_BUFFER);
    const int needed = static_cast<int>(length) + 1;
    if (size == 0)
        return needed;
    if (size < needed)
        return fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    return needed;
}

}

extern "C" {

PLATFORM_API int GetLocaleInfoA(LCID /*locale*/, LCTYPE type, LPSTR buffer, int size) noexcept
{
    if (size < 0 || (size > 0 && buffer == nullptr))
        return fail(ERROR_INVALID_PARAMETER);
    const PlatformLocaleValue* value = injected_value(type);
    if (value == nullptr)
        return fail(ERROR_INVALID_FLAGS);
    if (value->read_fails != 0 && size != 0)
        return fail(ERROR_INVALID_FLAGS);
    return platform::copy_locale_text(value->text, std::strlen(value->text), buffer, size);
}

PLATFORM_API LCID GetSystemDefaultLCID(void) noexcept
{
    const PlatformLocaleAnswers* answers = platform::injected_locale();
    return answers != nullptr ? answers->system_locale : 0;
}

PLATFORM_API LANGID GetSystemDefaultLangID(void) noexcept
{
    const PlatformLocaleAnswers* answers = platform::injected_locale();
    return answers != nullptr ? answers->system_language : 0;
}

PLATFORM_API LCID GetThreadLocale(void) noexcept
{
    const PlatformLocaleAnswers* answers = platform::injected_locale();
    return answers != nullptr ? answers->thread_locale : 0;
}

PLATFORM_API UINT GetACP(void) noexcept
{
    const PlatformLocaleAnswers* answers = platform::injected_locale();
    return answers != nullptr ? answers->ansi_code_page : CP_UTF8;
}

PLATFORM_API BOOL GetCPInfo(UINT code_page, LPCPINFO info) noexcept
{
    if (info == nullptr || (code_page != CP_ACP && code_page != GetACP()))
        return fail(ERROR_INVALID_PARAMETER);
    const PlatformLocaleAnswers* answers = platform::injected_locale();
    *info = CPINFO{};
    info->DefaultChar[0] = '?';
    if (answers == nullptr) {
        // UTF-8: up to four bytes a character, but no lead-byte ranges in the sense of
        // a double-byte code page.
        info->MaxCharSize = 4;
        return TRUE;
    }
    if (answers->code_page_unreadable != 0)
        return fail(ERROR_INVALID_PARAMETER);
    info->MaxCharSize = answers->max_char_size;
    std::memcpy(info->LeadByte, answers->lead_bytes, sizeof info->LeadByte);
    return TRUE;
}

PLATFORM_API BOOL GetVersionExA(LPOSVERSIONINFOA info) noexcept
{
    if (info == nullptr)
        return fail(ERROR_INVALID_PARAMETER);
    if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA))
        return fail(ERROR_INSUFFICIENT_BUFFER);
    const PlatformLocaleAnswers* answers = platform::injected_locale();
    *info = OSVERSIONINFOA{};
    info->dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    info->dwMajorVersion = kMajorVersion;
    info->dwMinorVersion = kMinorVersion;
    info->dwPlatformId = answers != nullptr ? answers->platform_id : VER_PLATFORM_WIN32_NT;
    return TRUE;
}

PLATFORM_API void platform_set_locale_answers_for_testing(const PlatformLocaleAnswers* answers) noexcept
{
    g_injected.store(answers, std::memory_order_release);
}

}
