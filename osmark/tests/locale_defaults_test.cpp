#include "osmark/locale.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace {

static_assert(std::is_standard_layout_v<Locale> && std::is_trivially_copyable_v<Locale>);

// The fields keep their order: later components and callers read the record by name,
// but its layout is shared with them and must not move.
TEST(LocaleRecord, FieldsKeepTheirOrder)
{
    const size_t offsets[] = {
        offsetof(Locale, loc_Platform),
        offsetof(Locale, loc_CountryName),
        offsetof(Locale, loc_LanguageName),
        offsetof(Locale, loc_CountryCode),
        offsetof(Locale, loc_MeasurementSystem),
        offsetof(Locale, loc_FirstDayOfWeek),
        offsetof(Locale, loc_DecimalSeparator),
        offsetof(Locale, loc_ThousandsSeparator),
        offsetof(Locale, loc_ThousandsSeparator2),
        offsetof(Locale, loc_Grouping),
        offsetof(Locale, loc_Grouping2),
        offsetof(Locale, loc_MonDecimalSeparator),
        offsetof(Locale, loc_MonThousandsSeparator),
        offsetof(Locale, loc_MonThousandsSeparator2),
        offsetof(Locale, loc_MonGrouping),
        offsetof(Locale, loc_MonGrouping2),
        offsetof(Locale, loc_CurrencyDigits),
        offsetof(Locale, loc_CurrencySeparated),
        offsetof(Locale, loc_CurrencyFlag),
        offsetof(Locale, loc_CurrencyAfterAmount),
        offsetof(Locale, loc_NegCurrencySeparated),
        offsetof(Locale, loc_NegCurrencySignPosition),
        offsetof(Locale, loc_NegCurrencyAfterAmount),
        offsetof(Locale, loc_CurrencySymbol),
        offsetof(Locale, loc_DateSeparator),
        offsetof(Locale, loc_LongDateFormat),
        offsetof(Locale, loc_ShortDateFormat),
        offsetof(Locale, loc_TimeSeparator),
        offsetof(Locale, loc_LongTimeFormat),
        offsetof(Locale, loc_ShortTimeFormat),
        offsetof(Locale, loc_AMString),
        offsetof(Locale, loc_PMString),
        offsetof(Locale, loc_ShortMonthNames),
        offsetof(Locale, loc_LongMonthNames),
        offsetof(Locale, loc_ShortDayNames),
        offsetof(Locale, loc_LongDayNames),
        offsetof(Locale, loc_LocaleID),
        offsetof(Locale, loc_PrimaryLanguageID),
        offsetof(Locale, loc_SubLanguageID),
        offsetof(Locale, loc_MultiByte),
        offsetof(Locale, loc_LeadByteRangeCount),
        offsetof(Locale, loc_LeadByteRanges),
        offsetof(Locale, loc_VolumeSeparators),
        offsetof(Locale, loc_PathSeparators),
        offsetof(Locale, loc_ExtensionSeparators),
        offsetof(Locale, loc_RootAfterVolume),
        offsetof(Locale, loc_LocalVars),
        offsetof(Locale, loc_GlobalVars),
    };
    for (size_t i = 1; i < std::size(offsets); ++i)
        EXPECT_LT(offsets[i - 1], offsets[i]) << "field " << i;
}

std::string text(const char* s)
{
    return s != nullptr ? s : "(null)";
}

TEST(LocaleDefaults, LiveRecordKeepsTheDefaultNamesAfterStartUp)
{
    const Locale& locale = *GetSystemLocale();
    EXPECT_EQ(text(locale.loc_CountryName), "United Kingdom");
    EXPECT_EQ(text(locale.loc_LanguageName), "English");
    EXPECT_EQ(text(locale.loc_AMString), "am");
    EXPECT_EQ(text(locale.loc_PMString), "pm");
    EXPECT_EQ(locale.loc_LocaleID, 1033u);
    EXPECT_EQ(locale.loc_PrimaryLanguageID, 9u);
    EXPECT_EQ(locale.loc_SubLanguageID, 2u);
    // The conventions (separators, groupings, currency, date and time formats) are
    // read from the system by a later start-up step, with their own fallbacks.

    const char* const short_months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* const long_months[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};
    for (int i = 0; i < LocaleMonthCount; ++i) {
        EXPECT_EQ(text(locale.loc_ShortMonthNames[i]), short_months[i]);
        EXPECT_EQ(text(locale.loc_LongMonthNames[i]), long_months[i]);
    }
    const char* const short_days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const char* const long_days[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    for (int i = 0; i < LocaleDayCount; ++i) {
        EXPECT_EQ(text(locale.loc_ShortDayNames[i]), short_days[i]);
        EXPECT_EQ(text(locale.loc_LongDayNames[i]), long_days[i]);
    }
}

TEST(LocaleDefaults, PathsFollowThisPlatformAndTheCodePageIsSingleByte)
{
    const Locale& locale = *GetSystemLocale();
    EXPECT_EQ(text(locale.loc_PathSeparators), "/\\") << "'/' builds paths, '\\' is accepted";
    EXPECT_EQ(text(locale.loc_VolumeSeparators), ":");
    EXPECT_EQ(text(locale.loc_ExtensionSeparators), ".");
    EXPECT_EQ(locale.loc_RootAfterVolume, 1u);
    EXPECT_EQ(locale.loc_MultiByte, 0u);
    EXPECT_EQ(locale.loc_LeadByteRangeCount, 0u);
    EXPECT_EQ(locale.loc_LeadByteRanges, nullptr);
}

TEST(LocaleDefaults, VariableListsAreListsOfTheLiveRecord)
{
    // The lists belong to the live record (never to the defaults it was copied from):
    // a node added at the end is found there, walking forwards and backwards.
    Locale* locale = GetSystemLocale();
    for (List* list : {&locale->loc_LocalVars, &locale->loc_GlobalVars}) {
        Node node{};
        AddTail(list, &node);
        EXPECT_EQ(list->lh_TailPred, &node);
        Node* last = list->lh_Head;
        while (last->ln_Succ->ln_Succ != nullptr)
            last = last->ln_Succ;
        EXPECT_EQ(last, &node);
        Remove(&node);
    }
}

TEST(LocaleDefaults, StepRunsBeforeTheArgumentString)
{
    uint32_t count = 0;
    const char* const* steps = osmark_testing_startup_steps(&count);
    const std::vector<std::string> ran(steps, steps + count);
    const auto defaults = std::find(ran.begin(), ran.end(), "InitialiseLocaleDefaults");
    const auto arguments = std::find(ran.begin(), ran.end(), "InitialiseArgStr");
    ASSERT_NE(defaults, ran.end());
    ASSERT_NE(arguments, ran.end());
    EXPECT_LT(defaults, arguments);
}

}
