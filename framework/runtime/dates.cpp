// Dates and times as days since 30 December 1899, with the time of day as the fraction.
// Values before that day keep the time of day as the fraction's magnitude (-1.25 is
// 29 December 1899, 6:00), as the framework has always counted them.
#include "framework/sysutils.h"
#include "runtime/calendar.h"

#include <cmath>

namespace fw {

namespace {

constexpr int64_t kMillisecondsPerDay = 86'400'000;

// The value as whole days and milliseconds into the day, rounded to the millisecond.
void split_date_time(TDateTime value, int64_t& days, int64_t& milliseconds)
{
    days = static_cast<int64_t>(std::trunc(value));
    milliseconds = std::llround(std::fabs(value - static_cast<double>(days)) *
                                static_cast<double>(kMillisecondsPerDay));
    if (milliseconds >= kMillisecondsPerDay) {
        milliseconds -= kMillisecondsPerDay;
        days += value < 0 ? -1 : 1;
    }
}

}

TDateTime EncodeDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > detail::days_in_month(year, month))
        throw EConvertError("Invalid argument to date encode");
    return static_cast<double>(detail::days_since_1899(year, month, day));
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999)
        throw EConvertError("Invalid argument to time encode");
    const int64_t total = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<double>(total) / static_cast<double>(kMillisecondsPerDay);
}

void DecodeDate(TDateTime value, int& year, int& month, int& day)
{
    int64_t days = 0;
    int64_t milliseconds = 0;
    split_date_time(value, days, milliseconds);
    detail::civil_from_days_since_1899(days, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond)
{
    int64_t days = 0;
    int64_t milliseconds = 0;
    split_date_time(value, days, milliseconds);
    millisecond = static_cast<int>(milliseconds % 1000);
    second = static_cast<int>(milliseconds / 1000 % 60);
    minute = static_cast<int>(milliseconds / 60'000 % 60);
    hour = static_cast<int>(milliseconds / 3'600'000);
}

}
