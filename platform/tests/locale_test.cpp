#include "platform/kernel.h"
#include "platform/locale_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>

namespace {

// Restores the platform's own answers however a test ends.
class InjectedLocale {
public:
    explicit InjectedLocale(const PlatformLocaleAnswers& answers)
    {
        platform_set_locale_answers_for_testing(&answers);
    }
    ~InjectedLocale() { platform_set_locale_answers_for_testing(nullptr); }
    InjectedLocale(const InjectedLocale&) = delete;
    InjectedLocale& operator=(const InjectedLocale&) = delete;
};

TEST(LocaleInfo, PlatformLocaleCannotBeRead)
{
    char buffer[64] = "untouched";
    for (const LCTYPE type : {LOCALE_SSHORTDATE, LOCALE_SDECIMAL, LOCALE_ICOUNTRY, LOCALE_SMONTHNAME1}) {
        SCOPED_TRACE(type);
        SetLastError(0);
        EXPECT_EQ(GetLocaleInfoA(0, type, nullptr, 0), 0);
        EXPECT_EQ(GetLocaleInfoA(0, type, buffer, sizeof buffer), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
    }
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_EQ(GetSystemDefaultLCID(), 0u);
    EXPECT_EQ(GetSystemDefaultLangID(), 0u);
    EXPECT_EQ(GetThreadLocale(), 0u);
    EXPECT_EQ(GetSystemMetrics(SM_DBCSENABLED), 0);
    EXPECT_EQ(GetACP(), CP_UTF8);

    CPINFO info{};
    ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
    EXPECT_EQ(info.LeadByte[0], 0) << "UTF-8 has no double-byte lead ranges";
    EXPECT_EQ(info.LeadByte[1], 0);
    EXPECT_TRUE(GetCPInfo(CP_UTF8, &info));
    EXPECT_FALSE(GetCPInfo(1252, &info));
    EXPECT_FALSE(GetCPInfo(CP_ACP, nullptr));
}

TEST(LocaleInfo, VersionRecordNeedsItsSize)
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(version.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(version.dwOSVersionInfoSize, sizeof version);

    OSVERSIONINFOA wrong{};
    wrong.dwOSVersionInfoSize = sizeof wrong - 1;
    EXPECT_FALSE(GetVersionExA(&wrong));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_FALSE(GetVersionExA(nullptr));
}

TEST(LocaleInfo, InjectedValuesFollowTheSizeProtocol)
{
    const PlatformLocaleValue values[] = {
        {LOCALE_SSHORTDATE, "dd.MM.yyyy", 0},
        {LOCALE_SDECIMAL, ",", 0},
        {LOCALE_SLONGDATE, "dddd, d. MMMM yyyy", 1},
    };
    PlatformLocaleAnswers answers{};
    answers.system_locale = 1031;
    answers.system_language = 0x0407;
    answers.thread_locale = 1031;
    answers.platform_id = VER_PLATFORM_WIN32_WINDOWS;
    answers.ansi_code_page = 1252;
    answers.values = values;
    answers.value_count = std::size(values);
    InjectedLocale injected(answers);

    EXPECT_EQ(GetSystemDefaultLCID(), 1031u);
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0407u);
    EXPECT_EQ(GetThreadLocale(), 1031u);
    EXPECT_EQ(GetACP(), 1252u);
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(version.dwPlatformId, VER_PLATFORM_WIN32_WINDOWS);

    EXPECT_EQ(GetLocaleInfoA(0, LOCALE_SSHORTDATE, nullptr, 0), 11);
    char exact[11];
    EXPECT_EQ(GetLocaleInfoA(0, LOCALE_SSHORTDATE, exact, sizeof exact), 11);
    EXPECT_STREQ(exact, "dd.MM.yyyy");

    char small[10];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(GetLocaleInfoA(0, LOCALE_SSHORTDATE, small, sizeof small), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(small, sizeof small), std::string(sizeof small, 'x')) << "nothing written";

    char two[2];
    EXPECT_EQ(GetLocaleInfoA(0, LOCALE_SDECIMAL, two, sizeof two), 2);
    EXPECT_EQ(two[0], ',');

    // A value that reports its size and then fails to read.
    EXPECT_GT(GetLocaleInfoA(0, LOCALE_SLONGDATE, nullptr, 0), 0);
    char buffer[64];
    EXPECT_EQ(GetLocaleInfoA(0, LOCALE_SLONGDATE, buffer, sizeof buffer), 0);

    EXPECT_EQ(GetLocaleInfoA(0, LOCALE_SCOUNTRY, buffer, sizeof buffer), 0) << "not injected";
    EXPECT_EQ(GetLocaleInfoA(0, LOCALE_SSHORTDATE, nullptr, 5), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(GetLocaleInfoA(0, LOCALE_SSHORTDATE, buffer, -1), 0);
}

TEST(LocaleInfo, InjectedCodePageGivesItsLeadBytes)
{
    PlatformLocaleAnswers answers{};
    answers.ansi_code_page = 932;
    answers.dbcs_enabled = 1;
    answers.max_char_size = 2;
    const BYTE lead_bytes[MAX_LEADBYTES] = {0x81, 0x9F, 0xE0, 0xFC};
    std::memcpy(answers.lead_bytes, lead_bytes, sizeof lead_bytes);
    {
        InjectedLocale injected(answers);
        EXPECT_EQ(GetSystemMetrics(SM_DBCSENABLED), 1);
        EXPECT_EQ(GetSystemMetrics(1000), 0);
        CPINFO info{};
        ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
        EXPECT_EQ(info.MaxCharSize, 2u);
        EXPECT_EQ(std::memcmp(info.LeadByte, lead_bytes, sizeof lead_bytes), 0);
        EXPECT_TRUE(GetCPInfo(932, &info));
    }
    answers.code_page_unreadable = 1;
    InjectedLocale injected(answers);
    CPINFO info{};
    EXPECT_FALSE(GetCPInfo(CP_ACP, &info));
}

struct DateFormatCase {
    const char* picture;
    DWORD flags;
    const char* expected;  // NULL: the call fails
};

TEST(LocaleInfo, DateFormatByPicture)
{
    const SYSTEMTIME date{2013, 3, 2, 5, 14, 7, 9, 0};
    const DateFormatCase cases[] = {
        {"d/M/yy", 0, "5/3/13"},
        {"dd.MM.yyyy", 0, "05.03.2013"},
        {"y", 0, "13"},
        {"'year' yyyy", 0, "year 2013"},
        {"'it''s' d", 0, "it's 5"},
        {"gg yyyy", 0, " 2013"},
        {"gg", DATE_USE_ALT_CALENDAR, nullptr},
    };
    for (const DateFormatCase& row : cases) {
        SCOPED_TRACE(row.picture);
        char buffer[64] = {};
        const int written = GetDateFormatA(0, row.flags, &date, row.picture, buffer, sizeof buffer);
        if (row.expected == nullptr) {
            EXPECT_EQ(written, 0);
            continue;
        }
        EXPECT_STREQ(buffer, row.expected);
        EXPECT_EQ(written, static_cast<int>(std::strlen(row.expected)) + 1);
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

TEST(LocaleInfo, DateFormatCountsYearsInTheInjectedEra)
{
    PlatformLocaleAnswers answers{};
    answers.era_name = "Heisei";
    answers.era_first_year = 1989;
    InjectedLocale injected(answers);

    const SYSTEMTIME date{1995, 3, 0, 5, 0, 0, 0, 0};
    const DateFormatCase cases[] = {
        {"gg", DATE_USE_ALT_CALENDAR, "Heisei"},
        {"yy", DATE_USE_ALT_CALENDAR, "07"},
        {"y", DATE_USE_ALT_CALENDAR, "7"},
        {"yyyy", DATE_USE_ALT_CALENDAR, "7"},
        {"gg yyyy", 0, " 1995"},
    };
    for (const DateFormatCase& row : cases) {
        SCOPED_TRACE(row.picture);
        char buffer[64] = {};
        EXPECT_GT(GetDateFormatA(0, row.flags, &date, row.picture, buffer, sizeof buffer), 0);
        EXPECT_STREQ(buffer, row.expected);
    }
    const SYSTEMTIME before_era{1980, 1, 0, 1, 0, 0, 0, 0};
    char buffer[64];
    EXPECT_EQ(GetDateFormatA(0, DATE_USE_ALT_CALENDAR, &before_era, "yy", buffer, sizeof buffer), 0);
}

TEST(LocaleInfo, DateFormatRejectsWhatItCannotFormat)
{
    char buffer[8] = {};
    const SYSTEMTIME bad_day{2013, 2, 0, 30, 0, 0, 0, 0};
    EXPECT_EQ(GetDateFormatA(0, 0, &bad_day, "d", buffer, sizeof buffer), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    const SYSTEMTIME date{2013, 3, 2, 5, 0, 0, 0, 0};
    EXPECT_EQ(GetDateFormatA(0, 0, &date, nullptr, buffer, sizeof buffer), 0);
    EXPECT_EQ(GetDateFormatA(0, 0, &date, "dd.MM.yyyy", buffer, sizeof buffer), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(GetDateFormatA(0, 0, &date, "dd.MM.yyyy", nullptr, 0), 11);
    EXPECT_GT(GetDateFormatA(0, 0, nullptr, "yyyy", buffer, sizeof buffer), 0) << "today";
}

}
