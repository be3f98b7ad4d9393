#include "runtime/calendar.h"

namespace fw::detail {

namespace {

// Days from 1 March of year 0, counting from March so that leap days come last.
int64_t days_from_civil(int64_t year, int64_t month, int64_t day)
{
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t year_of_era = year - era * 400;
    const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t day_of_era =
        year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era;
}

const int64_t kDay1899 = days_from_civil(1899, 12, 30);

}

int days_in_month(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

int64_t days_since_1899(int year, int month, int day)
{
    return days_from_civil(year, month, day) - kDay1899;
}

void civil_from_days_since_1899(int64_t days, int& year, int& month, int& day)
{
    const int64_t z = days + kDay1899;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t day_of_era = z - era * 146097;
    const int64_t year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const int64_t day_of_year =
        day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const int64_t shifted_month = (5 * day_of_year + 2) / 153;
    day = static_cast<int>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
    month = static_cast<int>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
    year = static_cast<int>(year_of_era + era * 400 + (month <= 2));
}

}
