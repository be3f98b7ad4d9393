// FILETIME and SYSTEMTIME conversions (platform/system_time.h).

#include "platform/system_time.h"

#include "make_win32_error.h"
#include "platform/kernel.h"

#include <ctime>
#include <initializer_list>

namespace {

constexpr int64_t kTicksPerMillisecond = 10000;
constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kTicksPerDay = 864000000000LL;
// Days from 1601-01-01 to 1970-01-01, and the seconds between them.
constexpr int64_t kDaysTo1970 = 134774;
constexpr int64_t kSecondsTo1970 = kDaysTo1970 * 86400;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
int64_t days_from_civil(int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto year_of_era = static_cast<unsigned>(year - era * 400);
    const unsigned day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + static_cast<int64_t>(day_of_era) - 719468;
}

void civil_from_days(int64_t days, int64_t& year, unsigned& month, unsigned& day)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto day_of_era = static_cast<unsigned>(days - era * 146097);
    const unsigned year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const unsigned day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const unsigned shifted_month = (5 * day_of_year + 2) / 153;
    day = day_of_year - (153 * shifted_month + 2) / 5 + 1;
    month = shifted_month < 10 ? shifted_month + 3 : shifted_month - 9;
    year = static_cast<int64_t>(year_of_era) + era * 400 + (month <= 2 ? 1 : 0);
}

bool is_leap_year(unsigned year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned days_in_month(unsigned year, unsigned month)
{
    static constexpr unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap_year(year) ? 29 : kDays[month - 1];
}

bool ticks_of(const FILETIME* file_time, int64_t& ticks)
{
    const uint64_t value = (static_cast<uint64_t>(file_time->dwHighDateTime) << 32) |
                           file_time->dwLowDateTime;
    if (value > static_cast<uint64_t>(INT64_MAX))
        return false;
    ticks = static_cast<int64_t>(value);
    return true;
}

void store_ticks(int64_t ticks, LPFILETIME file_time)
{
    const auto value = static_cast<uint64_t>(ticks);
    file_time->dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFFu);
    file_time->dwHighDateTime = static_cast<DWORD>(value >> 32);
}

int64_t floor_divide(int64_t value, int64_t divisor)
{
    const int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

// The offset of local time from UTC, in seconds, at a point in time (seconds since
// 1601).
int64_t local_offset_at(int64_t seconds_since_1601)
{
    const auto time = static_cast<time_t>(seconds_since_1601 - kSecondsTo1970);
    tm broken_down{};
    if (localtime_r(&time, &broken_down) == nullptr)
        return 0;
    return broken_down.tm_gmtoff;
}

bool fail_parameter()
{
    platform::make_win32_error(ERROR_INVALID_PARAMETER);
    return false;
}

}

extern "C" {

PLATFORM_API BOOL FileTimeToSystemTime(const FILETIME* file_time, LPSYSTEMTIME system_time) noexcept
{
    int64_t ticks = 0;
    if (file_time == nullptr || system_time == nullptr || !ticks_of(file_time, ticks))
        return fail_parameter();
    const int64_t days = ticks / kTicksPerDay;
    const int64_t in_day = ticks % kTicksPerDay;
    int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    civil_from_days(days - kDaysTo1970, year, month, day);
    system_time->wYear = static_cast<WORD>(year);
    system_time->wMonth = static_cast<WORD>(month);
    system_time->wDay = static_cast<WORD>(day);
    // 1601-01-01 was a Monday.
    system_time->wDayOfWeek = static_cast<WORD>((days + 1) % 7);
    const int64_t milliseconds = in_day / kTicksPerMillisecond;
    system_time->wHour = static_cast<WORD>(milliseconds / 3600000);
    system_time->wMinute = static_cast<WORD>(milliseconds / 60000 % 60);
    system_time->wSecond = static_cast<WORD>(milliseconds / 1000 % 60);
    system_time->wMilliseconds = static_cast<WORD>(milliseconds % 1000);
    return TRUE;
}

PLATFORM_API BOOL SystemTimeToFileTime(const SYSTEMTIME* system_time, LPFILETIME file_time) noexcept
{
    if (system_time == nullptr || file_time == nullptr)
        return fail_parameter();
    const SYSTEMTIME& t = *system_time;
    if (t.wYear < 1601 || t.wYear > 30827 || t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 ||
        t.wDay > days_in_month(t.wYear, t.wMonth) || t.wHour > 23 || t.wMinute > 59 ||
        t.wSecond > 59 || t.wMilliseconds > 999)
        return fail_parameter();
    const int64_t days = days_from_civil(t.wYear, t.wMonth, t.wDay) + kDaysTo1970;
    const int64_t milliseconds =
        ((static_cast<int64_t>(t.wHour) * 60 + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds;
    store_ticks(days * kTicksPerDay + milliseconds * kTicksPerMillisecond, file_time);
    return TRUE;
}

PLATFORM_API BOOL FileTimeToLocalFileTime(const FILETIME* file_time, LPFILETIME local_file_time) noexcept
{
    int64_t ticks = 0;
    if (file_time == nullptr || local_file_time == nullptr || !ticks_of(file_time, ticks))
        return fail_parameter();
    const int64_t offset = local_offset_at(ticks / kTicksPerSecond) * kTicksPerSecond;
    if ((offset < 0 && ticks < -offset) || (offset > 0 && ticks > INT64_MAX - offset))
        return fail_parameter();
    store_ticks(ticks + offset, local_file_time);
    return TRUE;
}

PLATFORM_API BOOL LocalFileTimeToFileTime(const FILETIME* local_file_time, LPFILETIME file_time) noexcept
{
    int64_t ticks = 0;
    if (local_file_time == nullptr || file_time == nullptr || !ticks_of(local_file_time, ticks))
        return fail_parameter();
    const int64_t local_seconds = floor_divide(ticks, kTicksPerSecond);
    // The offsets a day before and a day after cover any change of the clock in
    // between. Of the offsets under which this local time is real, the larger (the
    // earlier point in time) wins; when it is real under none (the clock skipped
    // it), the offset from before the change holds.
    const int64_t before = local_offset_at(local_seconds - 86400);
    const int64_t after = local_offset_at(local_seconds + 86400);
    int64_t chosen = before;
    bool found = false;
    for (const int64_t offset : {before, after}) {
        if (local_offset_at(local_seconds - offset) != offset)
            continue;
        if (!found || offset > chosen)
            chosen = offset;
        found = true;
    }
    const int64_t offset = chosen * kTicksPerSecond;
    if ((offset > 0 && ticks < offset) || (offset < 0 && ticks > INT64_MAX + offset))
        return fail_parameter();
    store_ticks(ticks - offset, file_time);
    return TRUE;
}

}
