// The live locale record filled from the system's locale.
//
// Every value comes from the platform's locale information; whatever the system
// cannot tell keeps a built-in default, so the record is always complete. The path
// separators are never read from the system: they stay this platform's conventions,
// and tests of other conventions set the fields themselves.

#include "core/locale/locale_system.h"

#include "core/locale/locale_defaults.h"
#include "osmark/exit_list.h"
#include "osmark/library.h"
#include "osmark/lists.h"
#include "osmark/memory.h"
#include "osmark/strings.h"
#include "platform/locale_info.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

// ---- The library's own copies -------------------------------------------------------

// The single string fields of the record, in the order of their slots; the name
// arrays follow them.
constexpr char* Locale::*kStringFields[] = {
    &Locale::loc_CountryName,   &Locale::loc_LanguageName,    &Locale::loc_Grouping,
    &Locale::loc_Grouping2,     &Locale::loc_MonGrouping,     &Locale::loc_MonGrouping2,
    &Locale::loc_CurrencySymbol, &Locale::loc_LongDateFormat, &Locale::loc_ShortDateFormat,
    &Locale::loc_LongTimeFormat, &Locale::loc_ShortTimeFormat, &Locale::loc_AMString,
    &Locale::loc_PMString,      &Locale::loc_VolumeSeparators, &Locale::loc_PathSeparators,
    &Locale::loc_ExtensionSeparators,
};
constexpr size_t kStringSlotCount =
    std::size(kStringFields) + 2 * LocaleMonthCount + 2 * LocaleDayCount;

// Calls visit(field, slot) for every string field of the record.
template <typename Visit>
void for_each_string_field(Locale& locale, Visit visit)
{
    size_t slot = 0;
    for (char* Locale::*field : kStringFields)
        visit(locale.*field, slot++);
    for (char*& name : locale.loc_ShortMonthNames)
        visit(name, slot++);
    for (char*& name : locale.loc_LongMonthNames)
        visit(name, slot++);
    for (char*& name : locale.loc_ShortDayNames)
        visit(name, slot++);
    for (char*& name : locale.loc_LongDayNames)
        visit(name, slot++);
}

// The copies the library allocated, by slot; NULL where it holds none.
char* g_owned_strings[kStringSlotCount] = {};
uint8_t* g_owned_lead_bytes = nullptr;
bool g_clean_up_registered = false;

size_t slot_of(Locale& live, const char* const* field)
{
    size_t found = kStringSlotCount;
    for_each_string_field(live, [&](char*& candidate, size_t slot) {
        if (&candidate == field)
            found = slot;
    });
    return found;
}

void free_locale_at_exit()
{
    osmark::free_locale_strings();
}

// ---- Reading the system's values ----------------------------------------------------

constexpr uint32_t kDefaultLocaleId = 1033;
constexpr uint32_t kDefaultPrimaryLanguage = 9;
constexpr uint32_t kDefaultSublanguage = 2;
constexpr uint32_t kPrimaryLanguageMask = 0x3FF;
constexpr uint32_t kSublanguageShift = 10;
constexpr size_t kNumberTextSize = 256;
constexpr size_t kMaxLeadBytePairs = MAX_LEADBYTES / 2;

// Defaults of the fields that the built-in record leaves empty. The pound sign is
// written in the system code page, which is UTF-8 here.
constexpr char kDefaultGrouping[] = "3;0";
constexpr char kDefaultCurrencySymbol[] = "\xC2\xA3";
constexpr char kDefaultLongDateFormat[] = "mmmm d, yyyy";
constexpr char kDefaultShortDateFormat[] = "d/m/yy";

char* copy_of(const char* text)
{
    return text != nullptr ? AllocStr(0, text) : nullptr;
}

// A string field: the system's value in a block that can also hold the default (so a
// read that fails after the size was known falls back in place), or a copy of the
// default. NULL only when no block at all can be had.
char* read_string(LCID locale, LCTYPE type, const char* fallback)
{
    const int needed = GetLocaleInfoA(locale, type, nullptr, 0);
    if (needed <= 0)
        return copy_of(fallback);
    const size_t fallback_length = fallback != nullptr ? std::strlen(fallback) : 0;
    const size_t capacity = std::max(static_cast<size_t>(needed) + 1, fallback_length + 1);
    char* block = AllocStr(static_cast<uint32_t>(capacity - 1), nullptr);
    if (block == nullptr)
        return copy_of(fallback);
    if (GetLocaleInfoA(locale, type, block, static_cast<int>(capacity)) <= 0) {
        if (fallback != nullptr)
            std::memcpy(block, fallback, fallback_length + 1);
        else
            block[0] = '\0';
    }
    return block;
}

char read_char(LCID locale, LCTYPE type, char fallback)
{
    char text[2] = {};
    return GetLocaleInfoA(locale, type, text, sizeof text) > 0 ? text[0] : fallback;
}

void adopt(char*& field, char* copy)
{
    osmark::adopt_locale_string(field, copy);
}

void read_lead_bytes(Locale& live)
{
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info))
        return;
    auto* ranges = static_cast<uint8_t*>(CAllocVec(LocaleMaxLeadByteRanges, 2));
    if (ranges == nullptr)
        return;
    uint32_t count = 0;
    // The code page lists at most six pairs, ended early by a pair of zeros.
    for (size_t pair = 0; pair < kMaxLeadBytePairs; ++pair) {
        const uint8_t low = info.LeadByte[2 * pair];
        const uint8_t high = info.LeadByte[2 * pair + 1];
        if (low == 0 && high == 0)
            break;
        ranges[2 * count] = low;
        ranges[2 * count + 1] = high;
        ++count;
    }
    FreeVec(g_owned_lead_bytes);
    g_owned_lead_bytes = ranges;
    live.loc_LeadByteRanges = ranges;
    live.loc_LeadByteRangeCount = count;
}

void read_system_ids(Locale& live)
{
    const LCID locale = GetSystemDefaultLCID();
    if (locale != 0)
        live.loc_LocaleID = locale;
    const LANGID language = GetSystemDefaultLangID();
    if (language != 0) {
        live.loc_PrimaryLanguageID = language & kPrimaryLanguageMask;
        live.loc_SubLanguageID = static_cast<uint32_t>(language) >> kSublanguageShift;
    }
    if (GetSystemMetrics(SM_DBCSENABLED) != 0) {
        live.loc_MultiByte = 1;
        read_lead_bytes(live);
    }
}

void copy_separators(Locale& live)
{
    adopt(live.loc_VolumeSeparators, copy_of(live.loc_VolumeSeparators));
    adopt(live.loc_PathSeparators, copy_of(live.loc_PathSeparators));
    adopt(live.loc_ExtensionSeparators, copy_of(live.loc_ExtensionSeparators));
}

void read_names(Locale& live, LCID locale)
{
    for (int i = 0; i < LocaleMonthCount; ++i) {
        const auto month = static_cast<LCTYPE>(i);
        adopt(live.loc_ShortMonthNames[i],
              read_string(locale, LOCALE_SABBREVMONTHNAME1 + month, live.loc_ShortMonthNames[i]));
        adopt(live.loc_LongMonthNames[i],
              read_string(locale, LOCALE_SMONTHNAME1 + month, live.loc_LongMonthNames[i]));
    }
    // The system counts the days from Monday; the record from Sunday.
    for (int i = 0; i < LocaleDayCount; ++i) {
        const LCTYPE short_type = i == 0 ? LOCALE_SABBREVDAYNAME7 : LOCALE_SABBREVDAYNAME1 + static_cast<LCTYPE>(i - 1);
        const LCTYPE long_type = i == 0 ? LOCALE_SDAYNAME7 : LOCALE_SDAYNAME1 + static_cast<LCTYPE>(i - 1);
        adopt(live.loc_ShortDayNames[i], read_string(locale, short_type, live.loc_ShortDayNames[i]));
        adopt(live.loc_LongDayNames[i], read_string(locale, long_type, live.loc_LongDayNames[i]));
    }
}

struct NegativeCurrency {
    int32_t separated;
    int32_t sign_position;
    int32_t after_amount;
};

// LOCALE_INEGCURR 0 .. 15; other values read as 0.
constexpr NegativeCurrency kNegativeCurrency[] = {
    {0, 0, 0}, {0, 1, 0}, {0, 4, 0}, {0, 2, 0}, {0, 0, 1}, {0, 1, 1}, {0, 3, 1}, {0, 2, 1},
    {1, 1, 1}, {1, 1, 0}, {1, 2, 1}, {1, 2, 0}, {1, 4, 0}, {1, 3, 1}, {1, 0, 0}, {1, 0, 1},
};

void read_numbers_and_currency(Locale& live, LCID locale)
{
    adopt(live.loc_CountryName, read_string(locale, LOCALE_SCOUNTRY, live.loc_CountryName));
    adopt(live.loc_LanguageName, read_string(locale, LOCALE_SLANGUAGE, live.loc_LanguageName));
    live.loc_CountryCode = osmark::read_locale_number(locale, LOCALE_ICOUNTRY, "0", 44);
    live.loc_MeasurementSystem = osmark::read_locale_number(locale, LOCALE_IMEASURE, "0", 0);
    live.loc_FirstDayOfWeek = osmark::read_locale_number(locale, LOCALE_IFIRSTDAYOFWEEK, "0", 6);

    live.loc_DecimalSeparator = read_char(locale, LOCALE_SDECIMAL, '.');
    live.loc_ThousandsSeparator = read_char(locale, LOCALE_STHOUSAND, ',');
    live.loc_ThousandsSeparator2 = read_char(locale, LOCALE_STHOUSAND, ',');
    adopt(live.loc_Grouping, read_string(locale, LOCALE_SGROUPING, kDefaultGrouping));
    adopt(live.loc_Grouping2, read_string(locale, LOCALE_SGROUPING, kDefaultGrouping));

    live.loc_MonDecimalSeparator = read_char(locale, LOCALE_SMONDECIMALSEP, '.');
    live.loc_MonThousandsSeparator = read_char(locale, LOCALE_STHOUSAND, ',');
    live.loc_MonThousandsSeparator2 = read_char(locale, LOCALE_STHOUSAND, ',');
    adopt(live.loc_MonGrouping, read_string(locale, LOCALE_SMONGROUPING, kDefaultGrouping));
    adopt(live.loc_MonGrouping2, read_string(locale, LOCALE_SMONGROUPING, kDefaultGrouping));

    live.loc_CurrencyDigits = osmark::read_locale_number(locale, LOCALE_ICURRDIGITS, "2", 2);
    const int32_t position = osmark::read_locale_number(locale, LOCALE_ICURRENCY, "0", 0);
    live.loc_CurrencySeparated = position == 2 || position == 3 ? 1 : 0;
    live.loc_CurrencyFlag = 1;
    live.loc_CurrencyAfterAmount = position == 1 || position == 3 ? 1 : 0;
    const int32_t negative = osmark::read_locale_number(locale, LOCALE_INEGCURR, "0", 0);
    const NegativeCurrency& form =
        negative >= 0 && negative < static_cast<int32_t>(std::size(kNegativeCurrency))
            ? kNegativeCurrency[negative]
            : kNegativeCurrency[0];
    live.loc_NegCurrencySeparated = form.separated;
    live.loc_NegCurrencySignPosition = form.sign_position;
    live.loc_NegCurrencyAfterAmount = form.after_amount;
    adopt(live.loc_CurrencySymbol, read_string(locale, LOCALE_SCURRENCY, kDefaultCurrencySymbol));
}

// A date format as the system gives it, adapted to its calendar; the unadapted text
// stays when no adapted copy can be made.
char* read_date_format(LCID locale, LCTYPE type, const char* fallback)
{
    char* text = read_string(locale, type, fallback);
    if (text == nullptr)
        return nullptr;
    char* adapted = AdaptDateFormat(text);
    if (adapted == nullptr)
        return text;
    FreeStr(text);
    return adapted;
}

void build_time_formats(Locale& live, LCID locale)
{
    const bool leading_zero = osmark::read_locale_number(locale, LOCALE_ITLZERO, "0", 0) != 0;
    const bool twelve_hour = osmark::read_locale_number(locale, LOCALE_ITIME, "0", 0) == 0;
    const bool mark_first = osmark::read_locale_number(locale, LOCALE_ITIMEMARKPOSN, "0", 0) != 0;
    const char* const hour = leading_zero ? "hh" : "h";
    const char* const prefix = twelve_hour && mark_first ? "AMPM" : "";
    const char* const suffix = twelve_hour && !mark_first ? " AMPM" : "";
    char text[32];
    std::snprintf(text, sizeof text, "%s%s:mm:ss%s", prefix, hour, suffix);
    adopt(live.loc_LongTimeFormat, copy_of(text));
    std::snprintf(text, sizeof text, "%s%s:mm%s", prefix, hour, suffix);
    adopt(live.loc_ShortTimeFormat, copy_of(text));
}

void read_dates_and_times(Locale& live, LCID locale)
{
    live.loc_DateSeparator = read_char(locale, LOCALE_SDATE, '/');
    adopt(live.loc_LongDateFormat, read_date_format(locale, LOCALE_SLONGDATE, kDefaultLongDateFormat));
    adopt(live.loc_ShortDateFormat, read_date_format(locale, LOCALE_SSHORTDATE, kDefaultShortDateFormat));
    live.loc_TimeSeparator = read_char(locale, LOCALE_STIME, ':');
    build_time_formats(live, locale);
    adopt(live.loc_AMString, read_string(locale, LOCALE_S1159, live.loc_AMString));
    adopt(live.loc_PMString, read_string(locale, LOCALE_S2359, live.loc_PMString));
}

// A list header that was never set up (its head is NULL) becomes an empty list.
void keep_or_empty(List& list, const List& before)
{
    if (before.lh_Head == nullptr)
        NewList(&list);
    else
        list = before;
}

void read_platform(Locale& live)
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version))
        live.loc_Platform = version.dwPlatformId;
}

}

namespace osmark {

int32_t read_locale_number(LCID locale, LCTYPE type, const char* default_text, int32_t fallback)
{
    char text[kNumberTextSize] = {};
    if (GetLocaleInfoA(locale, type, text, sizeof text) <= 0)
        std::snprintf(text, sizeof text, "%s", default_text);
    return StrToLongDef(text, 10, fallback);
}

void adopt_locale_string(char*& field, char* copy)
{
    const size_t slot = slot_of(*GetSystemLocale(), &field);
    assert(slot < kStringSlotCount && "not a string field of the live locale");
    if (slot >= kStringSlotCount) {
        FreeStr(copy);
        return;
    }
    FreeStr(g_owned_strings[slot]);
    g_owned_strings[slot] = copy;
    field = copy;
}

void free_locale_strings()
{
    Locale defaults = fill_default_locale();
    char* default_texts[kStringSlotCount] = {};
    for_each_string_field(defaults, [&](char*& field, size_t slot) { default_texts[slot] = field; });

    Locale& live = *GetSystemLocale();
    for_each_string_field(live, [&](char*& field, size_t slot) {
        char*& owned = g_owned_strings[slot];
        if (owned == nullptr)
            return;
        if (field == owned)
            field = default_texts[slot];
        FreeStr(owned);
        owned = nullptr;
    });
    if (g_owned_lead_bytes != nullptr) {
        if (live.loc_LeadByteRanges == g_owned_lead_bytes) {
            live.loc_LeadByteRanges = nullptr;
            live.loc_LeadByteRangeCount = 0;
        }
        FreeVec(g_owned_lead_bytes);
        g_owned_lead_bytes = nullptr;
    }
}

}

extern "C" {

OSMARK_API void InitialiseLocale(void) noexcept
{
    Locale& live = *GetSystemLocale();
    osmark::free_locale_strings();
    // At start-up the lists are empty; a later run keeps the variables they hold (the
    // headers stay where they are, so their nodes still point at them).
    const List local_variables = live.loc_LocalVars;
    const List global_variables = live.loc_GlobalVars;
    live = osmark::fill_default_locale();
    keep_or_empty(live.loc_LocalVars, local_variables);
    keep_or_empty(live.loc_GlobalVars, global_variables);
    live.loc_LocaleID = kDefaultLocaleId;
    live.loc_PrimaryLanguageID = kDefaultPrimaryLanguage;
    live.loc_SubLanguageID = kDefaultSublanguage;
    live.loc_MultiByte = 0;

    read_system_ids(live);
    copy_separators(live);
    const LCID locale = GetSystemDefaultLCID();
    read_names(live, locale);
    read_numbers_and_currency(live, locale);
    read_dates_and_times(live, locale);
    read_platform(live);

    // Released at unload. Releasing twice is harmless, so the variables clean-up may
    // release them too.
    if (!g_clean_up_registered) {
        AddExitProc(&LibraryExitList, free_locale_at_exit);
        g_clean_up_registered = true;
    }
}

}
