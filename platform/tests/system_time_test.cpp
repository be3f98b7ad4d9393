// FILETIME and SYSTEMTIME conversions, in UTC and in a time zone with summer time.

#include "files_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

SYSTEMTIME make_time(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0,
                     WORD milliseconds = 0)
{
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    time.wMilliseconds = milliseconds;
    return time;
}

TEST(SystemTime, ConvertsBothWaysAndNamesTheWeekday)
{
    struct Row {
        SYSTEMTIME time;
        uint64_t ticks;
        WORD day_of_week;
    };
    const Row rows[] = {
        {make_time(1601, 1, 1), 0, 1},
        {make_time(1970, 1, 1), 116444736000000000ULL, 4},
        {make_time(2000, 2, 29, 12, 34, 56, 789), 125963012967890000ULL, 2},
        {make_time(2013, 3, 5, 14, 7, 9), 130069660290000000ULL, 2},
        {make_time(2100, 3, 1), 157520160000000000ULL, 1},
        {make_time(30827, 12, 31, 23, 59, 59, 999), 9223149887999990000ULL, 5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.time.wYear);
        FILETIME file_time{};
        ASSERT_TRUE(SystemTimeToFileTime(&row.time, &file_time));
        EXPECT_EQ(files_test::ticks_of(file_time), row.ticks);
        SYSTEMTIME back{};
        ASSERT_TRUE(FileTimeToSystemTime(&file_time, &back));
        EXPECT_EQ(back.wYear, row.time.wYear);
        EXPECT_EQ(back.wMonth, row.time.wMonth);
        EXPECT_EQ(back.wDay, row.time.wDay);
        EXPECT_EQ(back.wHour, row.time.wHour);
        EXPECT_EQ(back.wMinute, row.time.wMinute);
        EXPECT_EQ(back.wSecond, row.time.wSecond);
        EXPECT_EQ(back.wMilliseconds, row.time.wMilliseconds);
        EXPECT_EQ(back.wDayOfWeek, row.day_of_week);
    }
}

TEST(SystemTime, RefusesFieldsOutOfRange)
{
    const SYSTEMTIME bad[] = {
        make_time(1600, 12, 31), make_time(30828, 1, 1), make_time(2013, 0, 1),
        make_time(2013, 13, 1),  make_time(2013, 2, 29), make_time(1900, 2, 29),
        make_time(2013, 4, 31),  make_time(2013, 1, 0),  make_time(2013, 1, 1, 24),
        make_time(2013, 1, 1, 0, 60), make_time(2013, 1, 1, 0, 0, 60),
        make_time(2013, 1, 1, 0, 0, 0, 1000),
    };
    for (const SYSTEMTIME& time : bad) {
        SCOPED_TRACE(::testing::Message() << time.wYear << "-" << time.wMonth << "-" << time.wDay << " "
                                          << time.wHour << ":" << time.wMinute << ":" << time.wSecond);
        FILETIME file_time{7, 7};
        EXPECT_FALSE(SystemTimeToFileTime(&time, &file_time));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    const SYSTEMTIME leap = make_time(2000, 2, 29);
    FILETIME file_time{};
    EXPECT_TRUE(SystemTimeToFileTime(&leap, &file_time));
    const FILETIME too_late = {0, 0x80000000u};
    SYSTEMTIME time{};
    EXPECT_FALSE(FileTimeToSystemTime(&too_late, &time));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// Sets TZ for the test and puts the old value back.
class TimeZone : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("TZ");
        m_had_zone = old != nullptr;
        if (m_had_zone)
            m_old_zone = old;
    }
    void TearDown() override
    {
        if (m_had_zone)
            setenv("TZ", m_old_zone.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static void use(const char* zone)
    {
        setenv("TZ", zone, 1);
        tzset();
    }

private:
    bool m_had_zone = false;
    std::string m_old_zone;
};

uint64_t ticks_at(WORD year, WORD month, WORD day, WORD hour, WORD minute)
{
    const SYSTEMTIME time = make_time(year, month, day, hour, minute);
    FILETIME file_time{};
    EXPECT_TRUE(SystemTimeToFileTime(&time, &file_time));
    return files_test::ticks_of(file_time);
}

TEST_F(TimeZone, LocalTimeUsesTheOffsetOfThatDay)
{
    // Central European time: +1, and +2 from the last Sunday of March (02:00) to the
    // last Sunday of October (03:00).
    use("CET-1CEST,M3.5.0,M10.5.0/3");
    struct Row {
        uint64_t utc;
        uint64_t local;
    };
    const Row rows[] = {
        {ticks_at(2013, 1, 15, 12, 0), ticks_at(2013, 1, 15, 13, 0)},
        {ticks_at(2013, 7, 15, 12, 0), ticks_at(2013, 7, 15, 14, 0)},
        {ticks_at(2013, 3, 31, 0, 59), ticks_at(2013, 3, 31, 1, 59)},
        {ticks_at(2013, 3, 31, 1, 0), ticks_at(2013, 3, 31, 3, 0)},
        {ticks_at(1601, 1, 1, 0, 0), ticks_at(1601, 1, 1, 1, 0)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.utc);
        FILETIME local{};
        const FILETIME utc = files_test::file_time_of(row.utc);
        ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
        EXPECT_EQ(files_test::ticks_of(local), row.local);
        FILETIME back{};
        ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
        EXPECT_EQ(files_test::ticks_of(back), row.utc);
    }

    // 02:30 on 31 March never showed: it counts with the winter offset. 02:30 on
    // 27 October showed twice: the first, in summer time, is taken.
    const FILETIME skipped = files_test::file_time_of(ticks_at(2013, 3, 31, 2, 30));
    const FILETIME twice = files_test::file_time_of(ticks_at(2013, 10, 27, 2, 30));
    FILETIME utc{};
    ASSERT_TRUE(LocalFileTimeToFileTime(&skipped, &utc));
    EXPECT_EQ(files_test::ticks_of(utc), ticks_at(2013, 3, 31, 1, 30));
    ASSERT_TRUE(LocalFileTimeToFileTime(&twice, &utc));
    EXPECT_EQ(files_test::ticks_of(utc), ticks_at(2013, 10, 27, 0, 30));

    // Local times before 1601 do not exist as file times.
    const FILETIME first = {0, 0};
    EXPECT_FALSE(LocalFileTimeToFileTime(&first, &utc));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(TimeZone, UtcIsUnchanged)
{
    use("UTC0");
    const FILETIME time = files_test::file_time_of(130069660291234567ULL);
    FILETIME local{};
    ASSERT_TRUE(FileTimeToLocalFileTime(&time, &local));
    EXPECT_EQ(files_test::ticks_of(local), files_test::ticks_of(time));
}

}
