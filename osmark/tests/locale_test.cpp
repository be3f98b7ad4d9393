#include "osmark/errors.h"
#include "osmark/locale.h"
#include "osmark/memory.h"
#include "osmark/strings.h"
#include "osmark/testing.h"
#include "platform/locale_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string text(const char* s)
{
    return s != nullptr ? s : "(null)";
}

// Reads the live locale from an injected system, and from the platform's own answers
// again when the test ends.
class SystemLocale : public ::testing::Test {
protected:
    void TearDown() override
    {
        platform_set_locale_answers_for_testing(nullptr);
        InitialiseLocale();
    }

    void read(std::vector<PlatformLocaleValue> values)
    {
        m_values = std::move(values);
        m_answers.values = m_values.data();
        m_answers.value_count = m_values.size();
        platform_set_locale_answers_for_testing(&m_answers);
        InitialiseLocale();
    }

    PlatformLocaleAnswers m_answers{};
    std::vector<PlatformLocaleValue> m_values;
    const Locale& m_locale = *GetSystemLocale();
};

// ---- A system whose locale cannot be read -------------------------------------------

TEST(LocaleReading, UnreadableSystemGivesTheDefaults)
{
    const Locale& locale = *GetSystemLocale();
    EXPECT_EQ(text(locale.loc_ShortDateFormat), "d/m/yy");
    EXPECT_EQ(text(locale.loc_LongDateFormat), "mmmm d, yyyy");
    EXPECT_EQ(text(locale.loc_LongTimeFormat), "h:mm:ss AMPM");
    EXPECT_EQ(text(locale.loc_ShortTimeFormat), "h:mm AMPM");
    EXPECT_EQ(text(locale.loc_AMString), "am");
    EXPECT_EQ(text(locale.loc_PMString), "pm");
    EXPECT_EQ(text(locale.loc_CountryName), "United Kingdom");
    EXPECT_EQ(text(locale.loc_LanguageName), "English");
    for (char* const grouping : {locale.loc_Grouping, locale.loc_Grouping2, locale.loc_MonGrouping,
                                 locale.loc_MonGrouping2})
        EXPECT_EQ(text(grouping), "3;0");
    EXPECT_EQ(text(locale.loc_CurrencySymbol), "\xC2\xA3");

    EXPECT_EQ(locale.loc_DecimalSeparator, '.');
    EXPECT_EQ(locale.loc_MonDecimalSeparator, '.');
    for (const char separator : {locale.loc_ThousandsSeparator, locale.loc_ThousandsSeparator2,
                                 locale.loc_MonThousandsSeparator, locale.loc_MonThousandsSeparator2})
        EXPECT_EQ(separator, ',');
    EXPECT_EQ(locale.loc_DateSeparator, '/');
    EXPECT_EQ(locale.loc_TimeSeparator, ':');

    // A failed number read reads the text "0" (currency digits "2"), a number.
    EXPECT_EQ(locale.loc_CountryCode, 0);
    EXPECT_EQ(locale.loc_FirstDayOfWeek, 0);
    EXPECT_EQ(locale.loc_CurrencyDigits, 2);
    EXPECT_EQ(locale.loc_CurrencyFlag, 1);
    EXPECT_EQ(locale.loc_CurrencySeparated, 0);
    EXPECT_EQ(locale.loc_NegCurrencySignPosition, 0);

    EXPECT_EQ(locale.loc_LocaleID, 1033u);
    EXPECT_EQ(locale.loc_PrimaryLanguageID, 9u);
    EXPECT_EQ(locale.loc_SubLanguageID, 2u);
    EXPECT_EQ(locale.loc_MultiByte, 0u);
    EXPECT_EQ(locale.loc_LeadByteRangeCount, 0u);
    EXPECT_EQ(locale.loc_LeadByteRanges, nullptr);
    EXPECT_EQ(locale.loc_Platform, static_cast<uint32_t>(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(text(locale.loc_ShortMonthNames[0]), "Jan");
    EXPECT_EQ(text(locale.loc_LongDayNames[6]), "Saturday");
}

TEST(LocaleReading, PathConventionsStayThisPlatforms)
{
    const Locale& locale = *GetSystemLocale();
    EXPECT_EQ(text(locale.loc_PathSeparators), "/\\");
    EXPECT_EQ(text(locale.loc_VolumeSeparators), ":");
    EXPECT_EQ(text(locale.loc_ExtensionSeparators), ".");
    EXPECT_EQ(locale.loc_RootAfterVolume, 1u);
}

size_t node_count(const List& list)
{
    size_t count = 0;
    for (const Node* node = list.lh_Head; node != nullptr && node->ln_Succ != nullptr; node = node->ln_Succ)
        ++count;
    return count;
}

TEST(LocaleReading, ReadingAgainKeepsTheVariables)
{
    Locale* locale = GetSystemLocale();
    Node node{};
    AddTail(&locale->loc_GlobalVars, &node);
    const size_t local_count = node_count(locale->loc_LocalVars);
    const size_t global_count = node_count(locale->loc_GlobalVars);
    InitialiseLocale();
    EXPECT_EQ(node_count(locale->loc_LocalVars), local_count);
    EXPECT_EQ(node_count(locale->loc_GlobalVars), global_count);
    EXPECT_EQ(locale->loc_GlobalVars.lh_TailPred, &node);
    Remove(&node);
}

TEST(LocaleReading, StepRunsAfterTheProgramDirectoryAndDelayBeforeTheDefaults)
{
    uint32_t count = 0;
    const char* const* steps = osmark_testing_startup_steps(&count);
    const std::vector<std::string> ran(steps, steps + count);
    const auto position = [&](const char* name) { return std::find(ran.begin(), ran.end(), name); };
    ASSERT_NE(position("InitialiseLocale"), ran.end());
    ASSERT_NE(position("InitialiseDelay"), ran.end());
    EXPECT_LT(position("InitialiseProgramDir"), position("InitialiseLocale"));
    EXPECT_LT(position("InitialiseLocaleDefaults"), position("InitialiseLocale"));
    EXPECT_LT(position("InitialiseForbid"), position("InitialiseDelay"));
    EXPECT_LT(position("InitialiseDelay"), position("InitialiseLocaleDefaults"));
}

// ---- An injected system ---------------------------------------------------------------

struct TimeFormatCase {
    const char* leading_zero;   // LOCALE_ITLZERO, NULL: cannot be read
    const char* clock;          // LOCALE_ITIME
    const char* mark_position;  // LOCALE_ITIMEMARKPOSN
    const char* long_format;
    const char* short_format;
};

TEST_F(SystemLocale, TimeFormatsAreBuiltFromTheClockSettings)
{
    const TimeFormatCase cases[] = {
        {"1", "1", nullptr, "hh:mm:ss", "hh:mm"},
        {"0", "1", "1", "h:mm:ss", "h:mm"},
        {nullptr, "0", "1", "AMPMh:mm:ss", "AMPMh:mm"},
        {"1", "0", "0", "hh:mm:ss AMPM", "hh:mm AMPM"},
        {nullptr, nullptr, nullptr, "h:mm:ss AMPM", "h:mm AMPM"},
        {"x", "x", "x", "h:mm:ss AMPM", "h:mm AMPM"},
    };
    for (const TimeFormatCase& row : cases) {
        SCOPED_TRACE(std::string(text(row.leading_zero)) + " " + text(row.clock) + " " + text(row.mark_position));
        std::vector<PlatformLocaleValue> values;
        if (row.leading_zero != nullptr)
            values.push_back({LOCALE_ITLZERO, row.leading_zero, 0});
        if (row.clock != nullptr)
            values.push_back({LOCALE_ITIME, row.clock, 0});
        if (row.mark_position != nullptr)
            values.push_back({LOCALE_ITIMEMARKPOSN, row.mark_position, 0});
        read(values);
        EXPECT_EQ(text(m_locale.loc_LongTimeFormat), row.long_format);
        EXPECT_EQ(text(m_locale.loc_ShortTimeFormat), row.short_format);
    }
}

TEST_F(SystemLocale, ReadsEveryFieldOfAReadableLocale)
{
    m_answers.system_locale = 1031;
    m_answers.system_language = 0x0407;
    m_answers.thread_locale = 1031;
    m_answers.platform_id = VER_PLATFORM_WIN32_WINDOWS;
    read({
        {LOCALE_SCOUNTRY, "Germany", 0},
        {LOCALE_SLANGUAGE, "German", 0},
        {LOCALE_ICOUNTRY, "49", 0},
        {LOCALE_IMEASURE, "0", 0},
        {LOCALE_IFIRSTDAYOFWEEK, "0", 0},
        {LOCALE_SDECIMAL, ",", 0},
        {LOCALE_STHOUSAND, ".", 0},
        {LOCALE_SGROUPING, "3;0", 0},
        {LOCALE_SMONDECIMALSEP, ",", 0},
        {LOCALE_SMONGROUPING, "3", 0},
        {LOCALE_ICURRDIGITS, "2", 0},
        {LOCALE_ICURRENCY, "3", 0},
        {LOCALE_INEGCURR, "8", 0},
        {LOCALE_SCURRENCY, "EUR", 0},
        {LOCALE_SDATE, ".", 0},
        {LOCALE_SLONGDATE, "dddd, d. MMMM yyyy", 0},
        {LOCALE_SSHORTDATE, "dd.MM.yyyy", 0},
        {LOCALE_STIME, ":", 0},
        {LOCALE_ITIME, "1", 0},
        {LOCALE_ITLZERO, "1", 0},
        {LOCALE_S1159, "vorm.", 0},
        {LOCALE_S2359, "nachm.", 0},
        {LOCALE_SMONTHNAME1 + 2, "M\xC3\xA4rz", 0},
        {LOCALE_SABBREVMONTHNAME1 + 11, "Dez", 0},
        {LOCALE_SDAYNAME7, "Sonntag", 0},
        {LOCALE_SDAYNAME1, "Montag", 0},
        {LOCALE_SABBREVDAYNAME7, "So", 0},
        {LOCALE_SABBREVDAYNAME1 + 5, "Sa", 0},
    });
    EXPECT_EQ(text(m_locale.loc_CountryName), "Germany");
    EXPECT_EQ(text(m_locale.loc_LanguageName), "German");
    EXPECT_EQ(m_locale.loc_CountryCode, 49);
    EXPECT_EQ(m_locale.loc_LocaleID, 1031u);
    EXPECT_EQ(m_locale.loc_PrimaryLanguageID, 7u);
    EXPECT_EQ(m_locale.loc_SubLanguageID, 1u);
    EXPECT_EQ(m_locale.loc_Platform, static_cast<uint32_t>(VER_PLATFORM_WIN32_WINDOWS));
    EXPECT_EQ(m_locale.loc_DecimalSeparator, ',');
    EXPECT_EQ(m_locale.loc_ThousandsSeparator, '.');
    EXPECT_EQ(m_locale.loc_MonThousandsSeparator2, '.');
    EXPECT_EQ(text(m_locale.loc_MonGrouping2), "3");
    EXPECT_EQ(m_locale.loc_CurrencySeparated, 1);
    EXPECT_EQ(m_locale.loc_CurrencyAfterAmount, 1);
    EXPECT_EQ(m_locale.loc_NegCurrencySeparated, 1);
    EXPECT_EQ(m_locale.loc_NegCurrencySignPosition, 1);
    EXPECT_EQ(m_locale.loc_NegCurrencyAfterAmount, 1);
    EXPECT_EQ(text(m_locale.loc_CurrencySymbol), "EUR");
    EXPECT_EQ(m_locale.loc_DateSeparator, '.');
    EXPECT_EQ(text(m_locale.loc_LongDateFormat), "dddd, d. MMMM yyyy");
    EXPECT_EQ(text(m_locale.loc_ShortDateFormat), "dd.MM.yyyy");
    EXPECT_EQ(text(m_locale.loc_LongTimeFormat), "hh:mm:ss");
    EXPECT_EQ(text(m_locale.loc_AMString), "vorm.");
    EXPECT_EQ(text(m_locale.loc_LongMonthNames[2]), "M\xC3\xA4rz");
    EXPECT_EQ(text(m_locale.loc_LongMonthNames[3]), "April") << "unreadable names keep the default";
    EXPECT_EQ(text(m_locale.loc_ShortMonthNames[11]), "Dez");
    EXPECT_EQ(text(m_locale.loc_LongDayNames[0]), "Sonntag") << "the record counts from Sunday";
    EXPECT_EQ(text(m_locale.loc_LongDayNames[1]), "Montag");
    EXPECT_EQ(text(m_locale.loc_ShortDayNames[0]), "So");
    EXPECT_EQ(text(m_locale.loc_ShortDayNames[6]), "Sa");
    EXPECT_EQ(text(m_locale.loc_PathSeparators), "/\\") << "the system never sets path conventions";
}

struct NumberCase {
    const char* value;
    int32_t country_code;
    int32_t first_day;
    int32_t currency_digits;
    int32_t measurement;
};

TEST_F(SystemLocale, NumbersThatAreNotWholeNumbersFallBack)
{
    const NumberCase cases[] = {
        {"7", 7, 7, 7, 7},
        {"", 0, 0, 0, 0},
        {"abc", 44, 6, 2, 0},
        {"12x", 44, 6, 2, 0},
        {"-3", -3, -3, -3, -3},
    };
    for (const NumberCase& row : cases) {
        SCOPED_TRACE(row.value);
        read({{LOCALE_ICOUNTRY, row.value, 0},
              {LOCALE_IFIRSTDAYOFWEEK, row.value, 0},
              {LOCALE_ICURRDIGITS, row.value, 0},
              {LOCALE_IMEASURE, row.value, 0}});
        EXPECT_EQ(m_locale.loc_CountryCode, row.country_code);
        EXPECT_EQ(m_locale.loc_FirstDayOfWeek, row.first_day);
        EXPECT_EQ(m_locale.loc_CurrencyDigits, row.currency_digits);
        EXPECT_EQ(m_locale.loc_MeasurementSystem, row.measurement);
    }
}

TEST_F(SystemLocale, CurrencyPositionsFollowTheirTables)
{
    struct Row {
        const char* negative;
        int32_t separated, sign_position, after_amount;
    };
    const Row rows[] = {
        {"0", 0, 0, 0},  {"1", 0, 1, 0},  {"2", 0, 4, 0},  {"3", 0, 2, 0},   {"4", 0, 0, 1},
        {"5", 0, 1, 1},  {"6", 0, 3, 1},  {"7", 0, 2, 1},  {"8", 1, 1, 1},   {"9", 1, 1, 0},
        {"10", 1, 2, 1}, {"11", 1, 2, 0}, {"12", 1, 4, 0}, {"13", 1, 3, 1},  {"14", 1, 0, 0},
        {"15", 1, 0, 1}, {"16", 0, 0, 0}, {"-1", 0, 0, 0}, {"999999999999", 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.negative);
        read({{LOCALE_INEGCURR, row.negative, 0}, {LOCALE_ICURRENCY, "1", 0}});
        EXPECT_EQ(m_locale.loc_NegCurrencySeparated, row.separated);
        EXPECT_EQ(m_locale.loc_NegCurrencySignPosition, row.sign_position);
        EXPECT_EQ(m_locale.loc_NegCurrencyAfterAmount, row.after_amount);
        EXPECT_EQ(m_locale.loc_CurrencySeparated, 0);
        EXPECT_EQ(m_locale.loc_CurrencyAfterAmount, 1);
    }
}

TEST_F(SystemLocale, CharactersLongerThanOneByteAndFailedReadsFallBack)
{
    read({
        {LOCALE_STHOUSAND, "\xC2\xA0", 0},  // a no-break space needs two bytes
        {LOCALE_SDECIMAL, "", 0},
        {LOCALE_SSHORTDATE, "x", 1},         // its size is known, its read fails
        {LOCALE_SLONGDATE, "x", 1},
        {LOCALE_SCOUNTRY, "", 1},
    });
    EXPECT_EQ(m_locale.loc_ThousandsSeparator, ',');
    EXPECT_EQ(m_locale.loc_MonThousandsSeparator, ',');
    EXPECT_EQ(m_locale.loc_DecimalSeparator, '\0') << "an empty value is read as it is";
    // The default is longer than the size the system reported; it still fits whole.
    EXPECT_EQ(text(m_locale.loc_ShortDateFormat), "d/m/yy");
    EXPECT_EQ(text(m_locale.loc_LongDateFormat), "mmmm d, yyyy");
    EXPECT_EQ(text(m_locale.loc_CountryName), "United Kingdom");
}

TEST_F(SystemLocale, MultiByteSystemKeepsItsLeadByteRanges)
{
    m_answers.dbcs_enabled = 1;
    m_answers.system_language = 0x0411;
    const uint8_t shift_jis[] = {0x81, 0x9F, 0xE0, 0xFC};
    std::memcpy(m_answers.lead_bytes, shift_jis, sizeof shift_jis);
    read({});
    EXPECT_EQ(m_locale.loc_MultiByte, 1u);
    ASSERT_EQ(m_locale.loc_LeadByteRangeCount, 2u);
    ASSERT_NE(m_locale.loc_LeadByteRanges, nullptr);
    EXPECT_EQ(std::memcmp(m_locale.loc_LeadByteRanges, shift_jis, sizeof shift_jis), 0);
    EXPECT_EQ(IsLeadByte(0x81), 1);
    EXPECT_EQ(IsLeadByte(0xA0), 0);
    EXPECT_EQ(m_locale.loc_PrimaryLanguageID, 0x11u);

    // Six pairs without a terminating pair: all six, never more.
    for (uint8_t i = 0; i < MAX_LEADBYTES; ++i)
        m_answers.lead_bytes[i] = static_cast<uint8_t>(0x81 + i);
    read({});
    EXPECT_EQ(m_locale.loc_LeadByteRangeCount, 6u);

    m_answers.code_page_unreadable = 1;
    read({});
    EXPECT_EQ(m_locale.loc_MultiByte, 1u);
    EXPECT_EQ(m_locale.loc_LeadByteRangeCount, 0u);
    EXPECT_EQ(m_locale.loc_LeadByteRanges, nullptr);
}

TEST_F(SystemLocale, DateFormatsAreAdaptedToTheCalendar)
{
    read({{LOCALE_ICALENDARTYPE, "3", 0},
          {LOCALE_SSHORTDATE, "yyyy/MM/dd", 0},
          {LOCALE_SLONGDATE, "gg y'nen'M'gatsu'd'nichi'", 0}});
    EXPECT_EQ(text(m_locale.loc_ShortDateFormat), "ee/MM/dd");
    EXPECT_EQ(text(m_locale.loc_LongDateFormat), "ggg e'nen'M'gatsu'd'nichi'");
}

TEST_F(SystemLocale, EveryAllocationFailureLeavesAUsableRecord)
{
    // Fail each allocation of the reading in turn; the strings that could be made are
    // complete, the others NULL, and nothing leaks.
    for (uint32_t successes = 0; successes < 120; ++successes) {
        SCOPED_TRACE(successes);
        osmark_testing_fail_allocations(successes, 1);
        read({{LOCALE_SSHORTDATE, "dd.MM.yyyy", 0}, {LOCALE_SCOUNTRY, "Germany", 0}});
        osmark_testing_fail_allocations(0, 0);
        const char* short_date = m_locale.loc_ShortDateFormat;
        EXPECT_TRUE(short_date == nullptr || std::strcmp(short_date, "dd.MM.yyyy") == 0 ||
                    std::strcmp(short_date, "d/m/yy") == 0)
            << text(short_date);
    }
    read({});
    EXPECT_EQ(text(m_locale.loc_ShortDateFormat), "d/m/yy");
}

// ---- Day and month names ---------------------------------------------------------------

TEST(LocaleNames, SettersCheckTheirIndexAndReadWithoutAName)
{
    struct Row {
        char* (*set)(int32_t, const char*, int32_t);
        int32_t index;
        int32_t short_name;
        const char* expected;  // NULL: index out of range
    };
    const Row rows[] = {
        {SetMonthName, 0, 1, "Jan"},      {SetMonthName, 11, 0, "December"}, {SetMonthName, 12, 0, nullptr},
        {SetMonthName, -1, 1, nullptr},   {SetDayName, 0, 0, "Sunday"},      {SetDayName, 6, 1, "Sat"},
        {SetDayName, 7, 1, nullptr},      {SetDayName, INT32_MIN, 0, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.index);
        const char* name = row.set(row.index, nullptr, row.short_name);
        if (row.expected == nullptr) {
            EXPECT_EQ(name, nullptr);
            EXPECT_EQ(IoErr(), IoErrBufferOverflow);
            EXPECT_EQ(row.set(row.index, "Unused", row.short_name), nullptr) << "changes nothing";
        } else {
            EXPECT_EQ(text(name), row.expected);
        }
    }
}

TEST(LocaleNames, SettingANameKeepsACopy)
{
    const std::string old_name = SetMonthName(2, nullptr, 0);
    char name[] = "Mars";
    char* copy = SetMonthName(2, name, 0);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, name);
    name[0] = 'X';
    EXPECT_EQ(text(GetSystemLocale()->loc_LongMonthNames[2]), "Mars");
    EXPECT_EQ(SetMonthName(2, nullptr, 0), copy);

    // A name set from the string it replaces.
    EXPECT_EQ(text(SetMonthName(2, SetMonthName(2, nullptr, 0), 0)), "Mars");

    osmark_testing_fail_allocations(0, 1);
    EXPECT_EQ(SetDayName(1, "Lundi", 0), nullptr);
    osmark_testing_fail_allocations(0, 0);
    EXPECT_EQ(IoErr(), IoErrNoMemory);
    EXPECT_EQ(text(SetDayName(1, nullptr, 0)), "Monday");

    ASSERT_NE(SetMonthName(2, old_name.c_str(), 0), nullptr);
    EXPECT_EQ(text(GetSystemLocale()->loc_LongMonthNames[2]), "March");
}

// ---- Adapting date formats ---------------------------------------------------------

struct AdaptCase {
    const char* calendar;   // LOCALE_ICALENDARTYPE; NULL: cannot be read
    uint32_t language;      // primary language of the record
    const char* format;
    const char* expected;
};

TEST_F(SystemLocale, AdaptDateFormatFollowsCalendarAndLanguage)
{
    const AdaptCase cases[] = {
        {"3", 9, "yyyy/mm/dd", "ee/mm/dd"},
        {"4", 9, "gg yy-MM", "ggg ee-MM"},
        {"5", 9, "YyYy y GG g", "ee e ggg g"},
        {"3", 9, "yyy", "eee"},
        {"1", 0x11, "gg yyyy/m/d", " yyyy/m/d"},
        {"1", 0x04, "Gyyyy", "yyyy"},
        {"1", 0x12, "ggg", ""},
        {"1", 9, "gg yyyy", "gg yyyy"},
        {nullptr, 9, "yy", "yy"},
        {"x", 0x11, "gy", "y"},
        {"2", 9, "", ""},
    };
    for (const AdaptCase& row : cases) {
        SCOPED_TRACE(std::string(text(row.calendar)) + " " + row.format);
        std::vector<PlatformLocaleValue> values;
        if (row.calendar != nullptr)
            values.push_back({LOCALE_ICALENDARTYPE, row.calendar, 0});
        read(values);
        GetSystemLocale()->loc_PrimaryLanguageID = row.language;
        char* adapted = AdaptDateFormat(row.format);
        EXPECT_EQ(text(adapted), row.expected);
        FreeStr(adapted);
    }
}

TEST_F(SystemLocale, AdaptDateFormatCutsLongFormatsAndKeepsCharactersWhole)
{
    read({{LOCALE_ICALENDARTYPE, "3", 0}});
    const std::string long_format(600, 'y');
    char* adapted = AdaptDateFormat(long_format.c_str());
    ASSERT_NE(adapted, nullptr);
    EXPECT_EQ(std::strlen(adapted), 254u);
    FreeStr(adapted);

    EXPECT_EQ(AdaptDateFormat(nullptr), nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);

    // On a double-byte system a trail byte that looks like g or y is not a letter.
    m_answers.dbcs_enabled = 1;
    m_answers.lead_bytes[0] = 0x81;
    m_answers.lead_bytes[1] = 0x9F;
    read({{LOCALE_ICALENDARTYPE, "1", 0}});
    GetSystemLocale()->loc_PrimaryLanguageID = 0x11;
    adapted = AdaptDateFormat("\x81gg\x81y");
    EXPECT_EQ(text(adapted), "\x81g\x81y");
    FreeStr(adapted);

    read({{LOCALE_ICALENDARTYPE, "3", 0}});
    adapted = AdaptDateFormat("\x81yy\x81");
    EXPECT_EQ(text(adapted), "\x81ye\x81") << "a lead byte before the NUL stands alone";
    FreeStr(adapted);

    // A two-byte character that would end past the limit is left out whole.
    std::string edge(253, '-');
    edge += "\x81\x40";
    adapted = AdaptDateFormat(edge.c_str());
    EXPECT_EQ(text(adapted), std::string(253, '-'));
    FreeStr(adapted);
}

}
