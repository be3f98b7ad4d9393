// The proleptic Gregorian calendar counted in days since 30 December 1899.
#ifndef FRAMEWORK_RUNTIME_CALENDAR_H
#define FRAMEWORK_RUNTIME_CALENDAR_H

#include <cstdint>

namespace fw::detail {

int days_in_month(int year, int month);
int64_t days_since_1899(int year, int month, int day);
void civil_from_days_since_1899(int64_t days, int& year, int& month, int& day);

}

#endif
