#include "osmark/dates.h"
#include "osmark/errors.h"
#include "osmark/locale.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/timing.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

constexpr DateStampRec kTuesdayAfternoon = {20130305, ((14 * 60 + 7) * 60 + 9) * 1000};
constexpr DateStampRec kTuesdayMidnight = {20130305, 0};

std::string format(const char* picture, const DateStampRec& stamp)
{
    char buffer[256];
    const int32_t length = FormatDateTime(picture, &stamp, buffer, sizeof buffer);
    EXPECT_EQ(length, static_cast<int32_t>(std::strlen(buffer)));
    return buffer;
}

DateStampRec at(uint32_t day, uint32_t hour, uint32_t minute, uint32_t second = 0)
{
    return DateStampRec{day, ((hour * 60 + minute) * 60 + second) * 1000};
}

// ---- Stamps and broken-down time ---------------------------------------------------

struct RoundTripCase {
    SYSTEMTIME time;
    uint32_t day;
    uint32_t milliseconds;
    WORD day_of_week;  // Sunday = 1
};

TEST(DateStamps, RoundTripThroughBrokenDownTimeCountsWeekdaysFromSunday)
{
    const RoundTripCase cases[] = {
        {{2013, 3, 0, 5, 14, 7, 9, 0}, 20130305, 50829000, 3},
        {{2013, 3, 0, 3, 0, 0, 0, 0}, 20130303, 0, 1},
        {{2013, 3, 0, 9, 23, 59, 59, 999}, 20130309, 86399999, 7},
        {{2024, 2, 0, 29, 12, 0, 0, 1}, 20240229, 43200001, 5},
        {{1601, 1, 0, 1, 0, 0, 0, 0}, 16010101, 0, 2},
        {{30827, 12, 0, 31, 23, 59, 59, 999}, 308271231, 86399999, 6},
    };
    for (const RoundTripCase& row : cases) {
        SCOPED_TRACE(row.day);
        DateStampRec stamp{};
        ASSERT_EQ(Date2Stamp(&row.time, &stamp), &stamp);
        EXPECT_EQ(stamp.ds_Day, row.day);
        EXPECT_EQ(stamp.ds_Time, row.milliseconds);
        SYSTEMTIME back{};
        EXPECT_EQ(Stamp2Date(&stamp, &back), 1);
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

TEST(DateStamps, StampsThatAreNoPointInTimeFailCleanly)
{
    const DateStampRec cases[] = {
        {20131305, 0},           // month 13
        {20130230, 0},           // 30 February
        {20130300, 0},           // day 0
        {20130305, 86400000},    // a whole day of milliseconds
        {0, 0},
        {0xFFFFFFFF, 0xFFFFFFFF},
        {16001231, 0},           // before the system's calendar
    };
    for (const DateStampRec& stamp : cases) {
        SCOPED_TRACE(stamp.ds_Day);
        SYSTEMTIME time{};
        EXPECT_EQ(Stamp2Date(&stamp, &time), 0);
        EXPECT_EQ(time.wDayOfWeek, 0);
    }
    SYSTEMTIME time{};
    const DateStampRec huge{0xFFFFFFFF, 0xFFFFFFFF};
    Stamp2Date(&huge, &time);
    EXPECT_EQ(time.wYear, 65535) << "held, not wrapped into a real year";
    EXPECT_EQ(time.wHour, 1193);

    SYSTEMTIME extreme{65535, 65535, 0, 65535, 65535, 65535, 65535, 65535};
    DateStampRec stamp{};
    EXPECT_EQ(Date2Stamp(&extreme, &stamp), &stamp) << "wraps without undefined behaviour";
    EXPECT_EQ(Date2Stamp(nullptr, &stamp), nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(Stamp2Date(&stamp, nullptr), 0);
}

TEST(DateStamps, DateStampReadsTheLocalClock)
{
    SYSTEMTIME before{};
    GetLocalTime(&before);
    DateStampRec stamp{};
    ASSERT_EQ(DateStamp(&stamp), &stamp);
    SYSTEMTIME after{};
    GetLocalTime(&after);
    DateStampRec first{};
    DateStampRec last{};
    Date2Stamp(&before, &first);
    Date2Stamp(&after, &last);
    EXPECT_LE(CompareDates(&first, &stamp), 0);
    EXPECT_LE(CompareDates(&stamp, &last), 0);
    EXPECT_LT(stamp.ds_Time, 86400000u);
    EXPECT_EQ(DateStamp(nullptr), nullptr);
}

struct CompareCase {
    DateStampRec a;
    DateStampRec b;
    int sign;
};

TEST(DateStamps, CompareDatesOrdersByDayThenTime)
{
    const CompareCase cases[] = {
        {{20130305, 1000}, {20130305, 2000}, -1},
        {{20130305, 2000}, {20130305, 1000}, 1},
        {{20130305, 1000}, {20130305, 1000}, 0},
        {{20130306, 0}, {20130305, 86399999}, 1},
        {{0xFFFFFFFF, 0}, {0, 0}, 1},
        {{0, 0}, {0xFFFFFFFF, 0}, -1},
        {{1, 0xFFFFFFFF}, {1, 0}, 1},
        {{1, 0}, {1, 0xFFFFFFFF}, -1},
    };
    for (const CompareCase& row : cases) {
        SCOPED_TRACE(std::to_string(row.a.ds_Day) + " " + std::to_string(row.b.ds_Day));
        const int32_t result = CompareDates(&row.a, &row.b);
        EXPECT_EQ((result > 0) - (result < 0), row.sign);
    }
    EXPECT_EQ(CompareDates(&cases[0].a, nullptr), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
}

TEST(DateStamps, RunningTimeIsTheTickCount)
{
    const uint32_t before = GetTickCount();
    const uint32_t running = GetRunningTime();
    EXPECT_LE(running - before, 1000u);
}

// ---- Pictures ----------------------------------------------------------------------

struct PictureCase {
    const char* picture;
    DateStampRec stamp;
    const char* expected;
};

TEST(DatePictures, PicturesExpandOnTheDefaultLocale)
{
    const DateStampRec saturday = at(20130309, 9, 5, 3);
    const DateStampRec sunday = at(20130303, 0, 0);
    const PictureCase cases[] = {
        {"yyyy-mm-dd hh:nn:ss", kTuesdayAfternoon, "2013-03-05 14:07:09"},
        {"h:mm am/pm", kTuesdayAfternoon, "2:07 pm"},
        {"h:mm am/pm", at(20130305, 0, 30), "12:30 am"},
        {"H:MM AM/PM", kTuesdayAfternoon, "2:07 PM"},
        {"h:mm Am/pM", kTuesdayAfternoon, "2:07 pM"},
        {"hh:nn a/p", saturday, "09:05 a"},
        {"h A/P", at(20130305, 12, 0), "12 P"},
        {"h ampm", at(20130305, 23, 0), "11 pm"},
        {"hh ampm", at(20130305, 0, 0), "12 am"},
        {"am/pm h", kTuesdayAfternoon, "pm 2"},
        {"h", kTuesdayAfternoon, "14"},
        {"ddd, dddd", sunday, "Sun, Sunday"},
        {"ddd, dddd", saturday, "Sat, Saturday"},
        {"aaa aaaa", kTuesdayAfternoon, "Tue Tuesday"},
        {"a ab", kTuesdayAfternoon, "a ab"},
        {"c", kTuesdayMidnight, "5/3/13"},
        {"c", kTuesdayAfternoon, "5/3/13 2:07:09 pm"},
        {"ddddd", kTuesdayAfternoon, "5/3/13"},
        {"dddddd", kTuesdayAfternoon, "March 5, 2013"},
        {"t", kTuesdayAfternoon, "2:07 pm"},
        {"tt", kTuesdayAfternoon, "2:07:09 pm"},
        {"d 'of' mmmm", kTuesdayAfternoon, "5 of March"},
        {"d \"of\" mmm", kTuesdayAfternoon, "5 of Mar"},
        {"d 'of mm", kTuesdayAfternoon, "5 of mm"},
        {"h 'x' m", kTuesdayAfternoon, "14 x 7"},
        {"h z m", kTuesdayAfternoon, "14 z 3"},
        {"hh:m", kTuesdayAfternoon, "14:7"},
        {"m mm", kTuesdayAfternoon, "3 03"},
        {"d dd", kTuesdayAfternoon, "5 05"},
        {"y yy yyy yyyy", kTuesdayAfternoon, "13 13 2013 2013"},
        {"s ss sss", kTuesdayAfternoon, "9 09 09"},
        {"n nnn", at(20130305, 1, 2), "2 02"},
        {"z zzz", kTuesdayAfternoon, "z zzz"},
        {"[g e]", kTuesdayAfternoon, "[ ]"},
        {"dD", kTuesdayAfternoon, "55"},
        {"", kTuesdayAfternoon, "5/3/13 2:07:09 pm"},
        {"Yyyy", at(10000101, 0, 0), "001000"},  // two runs: Y, then yyy
    };
    for (const PictureCase& row : cases) {
        SCOPED_TRACE(row.picture);
        EXPECT_EQ(format(row.picture, row.stamp), row.expected);
    }
    char buffer[64];
    EXPECT_GT(FormatDateTime(nullptr, &kTuesdayAfternoon, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "5/3/13 2:07:09 pm") << "NULL is the picture C";
}

// Sets locale fields for one test and puts them back.
class ChangedLocale : public ::testing::Test {
protected:
    void SetUp() override { m_saved = *GetSystemLocale(); }
    void TearDown() override { *GetSystemLocale() = m_saved; }

    Locale& locale() { return *GetSystemLocale(); }

private:
    Locale m_saved{};
};

TEST_F(ChangedLocale, SeparatorsAndFormatsComeFromTheLocale)
{
    locale().loc_DateSeparator = '.';
    locale().loc_TimeSeparator = 'h';
    EXPECT_EQ(format("d/m/yyyy hh:nn", kTuesdayAfternoon), "5.3.2013 14h07");

    locale().loc_DateSeparator = '\0';
    EXPECT_EQ(format("d/m", kTuesdayAfternoon), "53");
    locale().loc_TimeSeparator = ':';

    // A locale format that names a locale format gives nothing for it.
    char nested[] = "c t tt ddddd dddddd d";
    locale().loc_ShortDateFormat = nested;
    EXPECT_EQ(format("ddddd", kTuesdayAfternoon), "     5");
    EXPECT_EQ(format("c", kTuesdayMidnight), "     5");

    // Each level keeps its own twelve-hour flag.
    EXPECT_EQ(format("h 'x' t", kTuesdayAfternoon), "14 x 2:07 pm");
    char twenty_four[] = "hh:mm";
    locale().loc_ShortTimeFormat = twenty_four;
    EXPECT_EQ(format("am/pm t", kTuesdayAfternoon), "pm 14:07");

    // Missing formats and names give nothing.
    locale().loc_ShortDateFormat = nullptr;
    locale().loc_LongTimeFormat = nullptr;
    locale().loc_LongMonthNames[2] = nullptr;
    locale().loc_PMString = nullptr;
    EXPECT_EQ(format("[c][tt][mmmm][ampm]", kTuesdayAfternoon), "[ ][][][]");
    char buffer[16] = "xyz";
    EXPECT_EQ(DateToString(&kTuesdayAfternoon, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(TimeToString(&kTuesdayAfternoon, buffer, sizeof buffer), 0);
}

TEST(DatePictures, TextThatDoesNotFitIsCut)
{
    const std::string long_picture(300, 'x');
    char buffer[16 + 4];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(FormatDateTime(long_picture.c_str(), &kTuesdayAfternoon, buffer, 16), 15);
    EXPECT_EQ(std::string(buffer), std::string(15, 'x'));
    EXPECT_EQ(std::string(buffer + 16, 4), "####") << "nothing past the size";

    struct Row {
        const char* picture;
        int32_t size;
        const char* expected;
    };
    const Row rows[] = {
        {"yyyy-mm-dd", 1, ""},
        {"yyyy-mm-dd", 2, "2"},
        {"yyyy-mm-dd", 5, "2013"},
        {"mmmm d", 4, "Mar"},
        {"mmmm d", 7, "March "},
        {"c", 8, "5/3/13 "},
        {"'quoted text' d", 5, "quot"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.picture) + " " + std::to_string(row.size));
        char cut[32];
        std::memset(cut, '#', sizeof cut);
        EXPECT_EQ(FormatDateTime(row.picture, &kTuesdayAfternoon, cut, row.size),
                  static_cast<int32_t>(std::strlen(row.expected)));
        EXPECT_STREQ(cut, row.expected);
        EXPECT_EQ(cut[row.size], '#');
    }
    char untouched[4] = "abc";
    EXPECT_EQ(FormatDateTime("yyyy", &kTuesdayAfternoon, untouched, 0), 0);
    EXPECT_EQ(FormatDateTime("yyyy", &kTuesdayAfternoon, untouched, -5), 0);
    EXPECT_STREQ(untouched, "abc");
    EXPECT_EQ(FormatDateTime("yyyy", &kTuesdayAfternoon, nullptr, 10), 0);
    EXPECT_EQ(FormatDateTime("yyyy", nullptr, untouched, sizeof untouched), 0);
    EXPECT_STREQ(untouched, "");
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
}

TEST(DatePictures, StampsThatAreNoPointInTimeStillFormatCleanly)
{
    const char* const every_letter = "y yy yyyy m mm mmm mmmm d dd ddd dddd ddddd dddddd h hh n nn s ss "
                                     "t tt c am/pm a/p ampm aaa aaaa g gg e ee";
    const DateStampRec stamps[] = {
        {0, 0}, {0xFFFFFFFF, 0xFFFFFFFF}, {20131399, 99999999}, {99999999, 86400000}, {20130005, 0},
    };
    for (const DateStampRec& stamp : stamps) {
        SCOPED_TRACE(stamp.ds_Day);
        char buffer[512];
        const int32_t length = FormatDateTime(every_letter, &stamp, buffer, sizeof buffer);
        EXPECT_EQ(length, static_cast<int32_t>(std::strlen(buffer)));
    }
    EXPECT_EQ(format("mmm dddd", DateStampRec{20131305, 0}), " ") << "no month 13, no weekday";
    EXPECT_EQ(format("yyyy h", DateStampRec{0xFFFFFFFF, 0xFFFFFFFF}), "65535 1193");
}

TEST(DatePictures, StringFunctionsUseTheirLocaleFormats)
{
    char buffer[64];
    EXPECT_EQ(DateTimeToString(&kTuesdayAfternoon, buffer, sizeof buffer), 17);
    EXPECT_STREQ(buffer, "5/3/13 2:07:09 pm");
    EXPECT_EQ(DateToString(&kTuesdayAfternoon, buffer, sizeof buffer), 6);
    EXPECT_STREQ(buffer, "5/3/13");
    EXPECT_EQ(TimeToString(&kTuesdayAfternoon, buffer, sizeof buffer), 10);
    EXPECT_STREQ(buffer, "2:07:09 pm");
}

// ---- DateToStr ------------------------------------------------------------------------

struct RequestBuffers {
    char date[32] = "unset";
    char day[32] = "unset";
    char month[32] = "unset";
    char time[32] = "unset";
};

DateStringRec request_for(const DateStampRec& stamp, int8_t format, RequestBuffers& buffers, bool date,
                          bool day, bool month, bool time)
{
    DateStringRec request{};
    request.dat_Stamp = stamp;
    request.dat_Format = format;
    if (date) {
        request.dat_StrDate = buffers.date;
        request.dat_StrDateSize = sizeof buffers.date;
    }
    if (day) {
        request.dat_StrDay = buffers.day;
        request.dat_StrDaySize = sizeof buffers.day;
    }
    if (month) {
        request.dat_StrMonth = buffers.month;
        request.dat_StrMonthSize = sizeof buffers.month;
    }
    if (time) {
        request.dat_StrTime = buffers.time;
        request.dat_StrTimeSize = sizeof buffers.time;
    }
    return request;
}

TEST(DateToStr, DateFormatsByTheFormatField)
{
    struct Row {
        int8_t format;
        uint8_t flags;
        const char* expected;
    };
    const Row rows[] = {
        {DateFormatDos, 0, "05/Mar/13"}, {DateFormatInt, 0, "13/Mar/05"}, {DateFormatUSA, 0, "03/05/13"},
        {DateFormatCDN, 0, "05/03/13"},  {4, 0, "5/3/13"},                {-1, 0, "5/3/13"},
        {DateFormatInt, DateFlagLongDate, "March 5, 2013"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.format));
        RequestBuffers buffers;
        DateStringRec request = request_for(kTuesdayAfternoon, row.format, buffers, true, false, false, false);
        request.dat_Flags = row.flags;
        EXPECT_EQ(DateToStr(&request), 1);
        EXPECT_STREQ(buffers.date, row.expected);
        EXPECT_STREQ(buffers.day, "unset");
        EXPECT_STREQ(buffers.time, "unset");
    }
}

TEST(DateToStr, NamesAndTimeFillTheirBuffers)
{
    RequestBuffers buffers;
    DateStringRec request = request_for(kTuesdayAfternoon, DateFormatDos, buffers, true, true, true, true);
    EXPECT_EQ(DateToStr(&request), 1);
    EXPECT_STREQ(buffers.date, "05/Mar/13");
    EXPECT_STREQ(buffers.day, "Tuesday");
    EXPECT_STREQ(buffers.month, "March");
    EXPECT_STREQ(buffers.time, "14:07:09");

    RequestBuffers none;
    DateStringRec empty = request_for(kTuesdayAfternoon, 0, none, false, false, false, false);
    EXPECT_EQ(DateToStr(&empty), 0);

    // A size of 1 leaves the time text empty: the result follows it.
    RequestBuffers small;
    DateStringRec cut = request_for(kTuesdayAfternoon, 0, small, false, false, true, true);
    cut.dat_StrMonthSize = 4;
    cut.dat_StrTimeSize = 1;
    EXPECT_EQ(DateToStr(&cut), 0);
    EXPECT_STREQ(small.month, "Mar");
    EXPECT_STREQ(small.time, "");

    RequestBuffers negative;
    DateStringRec skipped = request_for(kTuesdayAfternoon, 0, negative, true, true, false, false);
    skipped.dat_StrDateSize = -1;
    skipped.dat_StrDaySize = 0;
    EXPECT_EQ(DateToStr(&skipped), 0);
    EXPECT_STREQ(negative.date, "unset");
    EXPECT_STREQ(negative.day, "unset");

    RequestBuffers bad;
    DateStringRec invalid = request_for(DateStampRec{20131399, 0}, 0, bad, false, true, true, false);
    EXPECT_EQ(DateToStr(&invalid), 1);
    EXPECT_STREQ(bad.day, "");
    EXPECT_STREQ(bad.month, "");

    EXPECT_EQ(DateToStr(nullptr), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
}

TEST(DateToStr, StrToDateParsesNothing)
{
    DateStampRec stamp{1, 2};
    EXPECT_EQ(StrToDate("05/Mar/13", &stamp), 0);
    EXPECT_EQ(stamp.ds_Day, 1u);
    EXPECT_EQ(stamp.ds_Time, 2u);
    EXPECT_EQ(StrToDate(nullptr, nullptr), 0);
}

// ---- File times --------------------------------------------------------------------

class FileDate : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = m_folder.path("file_date_test.txt");
        m_handle = CreateFileA(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(m_handle, INVALID_HANDLE_VALUE);
        m_file.fh_SystemHandle = reinterpret_cast<uintptr_t>(m_handle);
    }
    void TearDown() override
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
        DeleteFileA(m_path.c_str());
    }

    // The file's last-write time as a local stamp.
    DateStampRec written() const
    {
        FILETIME utc{};
        FILETIME local{};
        SYSTEMTIME time{};
        EXPECT_TRUE(GetFileTime(m_handle, nullptr, nullptr, &utc));
        EXPECT_TRUE(FileTimeToLocalFileTime(&utc, &local));
        EXPECT_TRUE(FileTimeToSystemTime(&local, &time));
        DateStampRec stamp{};
        Date2Stamp(&time, &stamp);
        return stamp;
    }

    test_support::TempFolder m_folder;
    std::string m_path;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    FileHandle m_file{};
};

TEST_F(FileDate, SetsTheTimesGiven)
{
    const DateStampRec when = {20130305, 50829500};
    EXPECT_EQ(SetFileDate(&m_file, nullptr, &when, &when), 1);
    const DateStampRec stored = written();
    EXPECT_EQ(stored.ds_Day, when.ds_Day);
    EXPECT_EQ(stored.ds_Time, when.ds_Time);

    EXPECT_EQ(SetFileDate(&m_file, &when, nullptr, nullptr), 1) << "creation time is checked, not kept";
    EXPECT_EQ(written().ds_Time, when.ds_Time) << "NULL stamps leave their times";
}

TEST_F(FileDate, FailuresLeaveTheFileAndReportTheError)
{
    const DateStampRec when = {20130305, 50829000};
    ASSERT_EQ(SetFileDate(&m_file, nullptr, nullptr, &when), 1);
    const DateStampRec invalid = {20130230, 0};
    EXPECT_EQ(SetFileDate(&m_file, nullptr, &when, &invalid), 0);
    EXPECT_NE(IoErr(), IoErrNone);
    EXPECT_EQ(written().ds_Time, when.ds_Time);

    EXPECT_EQ(SetFileDate(nullptr, nullptr, nullptr, &when), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);

    FileHandle memory{};
    memory.fh_Flags = FileFlagRead | FileFlagMemory;
    memory.fh_SystemHandle = 12345;
    EXPECT_EQ(SetFileDate(&memory, nullptr, nullptr, &when), 0) << "not a file's handle";
    EXPECT_NE(IoErr(), IoErrNone);
}

// ---- Delay -----------------------------------------------------------------------------

double wall_milliseconds_of(double (*wait)(double), double milliseconds, double& measured)
{
    const auto start = std::chrono::steady_clock::now();
    measured = wait(milliseconds);
    const auto stop = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(stop - start).count();
}

TEST(Delay, WaitsAtLeastItsTimeAndRestoresThePriority)
{
    double measured = 0;
    const double wall = wall_milliseconds_of(Delay, 50, measured);
    EXPECT_GE(measured, 50.0);
    EXPECT_GE(wall, 50.0);
    EXPECT_LT(wall, 5000.0);
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
}

TEST(Delay, NothingToWaitForReturnsAtOnce)
{
    for (const double milliseconds : {0.0, -5.0, std::nan(""), -std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(milliseconds);
        double measured = -1;
        const double wall = wall_milliseconds_of(Delay, milliseconds, measured);
        EXPECT_GE(measured, 0.0);
        EXPECT_LT(wall, 1000.0);
    }
}

TEST(Delay, WithoutACounterWaitsOnTheClock)
{
    platform_set_performance_counter_for_testing(0);
    InitialiseDelay();
    double measured = 0;
    const double wall = wall_milliseconds_of(Delay, 20, measured);
    platform_set_performance_counter_for_testing(1);
    InitialiseDelay();
    EXPECT_GE(measured, 20.0);
    EXPECT_GE(wall, 19.0) << "the clock counts whole milliseconds";
}

TEST(Delay, CounterThatStopsAnsweringFinishesOnTheClock)
{
    // Calibrated with a counter that later fails: the wait must still end.
    platform_set_performance_counter_for_testing(0);
    double measured = 0;
    const double wall = wall_milliseconds_of(Delay, 20, measured);
    platform_set_performance_counter_for_testing(1);
    EXPECT_GE(measured, 20.0);
    EXPECT_LT(wall, 5000.0);
}

}
