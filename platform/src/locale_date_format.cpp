// Date formatting by picture (GetDateFormatA, platform/locale_info.h).
//
// Only the letters that the libraries ask for are known: day and month numbers, years
// and the era of an alternative calendar. The libraries format names themselves.

#include "platform/locale_info.h"

#include "locale_answers.h"
#include "make_win32_error.h"
#include "platform/kernel.h"
#include "platform/timing.h"

#include <cstdio>
#include <string>

namespace {

int fail(DWORD error, platform::SourceSite where = platform::SourceSite::current())
{
    platform::make_win32_error(error, where);
    return 0;
}

size_t run_length(const char* picture, size_t at)
{
    size_t length = 1;
    while (picture[at + length] == picture[at])
        ++length;
    return length;
}

void append_number(std::string& out, unsigned value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*u", digits, value);
    out += text;
}

struct Calendar {
    const char* era_name;  // NULL: the Gregorian calendar, which has no era name here
    unsigned year;         // the year as the calendar counts it
};

// Expands the picture; quoted text is copied without its quotes, and two quotes in a
// row stand for one.
std::string expand(const char* picture, const SYSTEMTIME& date, const Calendar& calendar)
{
    std::string out;
    size_t at = 0;
    while (picture[at] != '\0') {
        const char c = picture[at];
        if (c == '\'') {
            ++at;
            while (picture[at] != '\0') {
                if (picture[at] == '\'' && picture[at + 1] != '\'')
                    break;
                if (picture[at] == '\'')
                    ++at;
                out += picture[at++];
            }
            if (picture[at] == '\'')
                ++at;
            continue;
        }
        const size_t run = run_length(picture, at);
        switch (c) {
        case 'd':
            append_number(out, date.wDay, run >= 2 ? 2 : 1);
            break;
        case 'M':
            append_number(out, date.wMonth, run >= 2 ? 2 : 1);
            break;
        case 'y':
            if (calendar.era_name != nullptr)
                append_number(out, calendar.year, run == 2 ? 2 : 1);
            else if (run >= 3)
                append_number(out, calendar.year, 4);
            else
                append_number(out, calendar.year % 100, static_cast<int>(run));
            break;
        case 'g':
            if (calendar.era_name != nullptr)
                out += calendar.era_name;
            break;
        default:
            out.append(picture + at, run);
            break;
        }
        at += run;
    }
    return out;
}

}

extern "C" {

PLATFORM_API int GetDateFormatA(LCID /*locale*/, DWORD flags, const SYSTEMTIME* date, LPCSTR picture,
                                LPSTR buffer, int size) noexcept
{
    if (picture == nullptr || size < 0 || (size > 0 && buffer == nullptr))
        return fail(ERROR_INVALID_PARAMETER);
    SYSTEMTIME when{};
    if (date != nullptr)
        when = *date;
    else
        GetLocalTime(&when);
    FILETIME check{};
    if (!SystemTimeToFileTime(&when, &check))
        return fail(ERROR_INVALID_PARAMETER);

    Calendar calendar{nullptr, when.wYear};
    if ((flags & DATE_USE_ALT_CALENDAR) != 0) {
        const PlatformLocaleAnswers* answers = platform::injected_locale();
        if (answers == nullptr || answers->era_name == nullptr)
            return fail(ERROR_INVALID_FLAGS);
        if (when.wYear < answers->era_first_year)
            return fail(ERROR_INVALID_PARAMETER);
        calendar = Calendar{answers->era_name, 1u + when.wYear - answers->era_first_year};
    }
    try {
        const std::string text = expand(picture, when, calendar);
        return platform::copy_locale_text(text.data(), text.size(), buffer, size);
    } catch (...) {
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

}
