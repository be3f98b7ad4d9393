// The live locale record and its built-in defaults.
//
// Start-up fills the live record with the defaults long before the system's settings
// are read, so that paths, names and formats work from the first steps on. The
// defaults follow this platform's conventions: '/' builds paths and '\' is accepted as
// a separator too.

#include "core/locale/locale_defaults.h"

#include "core/runtime/startup_steps.h"
#include "core/text/string_chars.h"

#include <algorithm>

namespace {

// The defaults record points at these texts; they are never written to and never
// freed (the system reading replaces them with allocated copies).
char g_country_name[] = "United Kingdom";
char g_language_name[] = "English";
char g_am[] = "am";
char g_pm[] = "pm";
char g_short_months[LocaleMonthCount][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
char g_long_months[LocaleMonthCount][10] = {"January", "February", "March",     "April",
                                            "May",     "June",     "July",      "August",
                                            "September", "October", "November", "December"};
char g_short_days[LocaleDayCount][4] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
char g_long_days[LocaleDayCount][10] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};
char g_volume_separators[] = ":";
char g_path_separators[] = "/\\";
char g_extension_separators[] = ".";

constexpr uint32_t kEnglishUnitedStatesLocale = 1033;
constexpr uint32_t kEnglishLanguage = 9;
constexpr uint32_t kUnitedKingdomSublanguage = 2;

Locale g_default_locale{};
Locale g_live_locale{};

}

namespace osmark {

const Locale& fill_default_locale()
{
    Locale& d = g_default_locale;
    d = Locale{};
    d.loc_CountryName = g_country_name;
    d.loc_LanguageName = g_language_name;
    d.loc_AMString = g_am;
    d.loc_PMString = g_pm;
    for (int i = 0; i < LocaleMonthCount; ++i) {
        d.loc_ShortMonthNames[i] = g_short_months[i];
        d.loc_LongMonthNames[i] = g_long_months[i];
    }
    for (int i = 0; i < LocaleDayCount; ++i) {
        d.loc_ShortDayNames[i] = g_short_days[i];
        d.loc_LongDayNames[i] = g_long_days[i];
    }
    d.loc_LocaleID = kEnglishUnitedStatesLocale;
    d.loc_PrimaryLanguageID = kEnglishLanguage;
    d.loc_SubLanguageID = kUnitedKingdomSublanguage;
    d.loc_VolumeSeparators = g_volume_separators;
    d.loc_PathSeparators = g_path_separators;
    d.loc_ExtensionSeparators = g_extension_separators;
    d.loc_RootAfterVolume = 1;
    return d;
}

void InitialiseLocaleDefaults()
{
    g_live_locale = fill_default_locale();
    // A copied list header would still point into the defaults record.
    NewList(&g_live_locale.loc_LocalVars);
    NewList(&g_live_locale.loc_GlobalVars);
}

bool has_lead_bytes()
{
    return g_live_locale.loc_MultiByte != 0;
}

bool is_lead_byte(uint8_t byte)
{
    const uint8_t* ranges = g_live_locale.loc_LeadByteRanges;
    if (ranges == nullptr)
        return false;
    const uint32_t count = std::min<uint32_t>(g_live_locale.loc_LeadByteRangeCount, LocaleMaxLeadByteRanges);
    for (uint32_t i = 0; i < count; ++i) {
        if (byte >= ranges[2 * i] && byte <= ranges[2 * i + 1])
            return true;
    }
    return false;
}

}

extern "C" {

OSMARK_API Locale* GetSystemLocale(void) noexcept
{
    return &g_live_locale;
}

}
