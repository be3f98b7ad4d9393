/*
 * The process-wide locale record: the names and conventions of the system's locale,
 * the separators of path names, the lead-byte ranges of a multi-byte code page and
 * the two variable lists.
 *
 * The record is filled with built-in defaults early in the library start-up; every
 * function that depends on a convention reads the live record at each call. Strings
 * are NUL-terminated 8-bit texts in the system code page, owned by the library.
 *
 * The defaults on this platform: path separators "/\" ('/' the canonical one, '\'
 * accepted too), volume separator ":", extension separator ".", single-byte code
 * page (no lead bytes), English names of the months and days.
 */
#ifndef OSMARK_LOCALE_H
#define OSMARK_LOCALE_H

#include "osmark/api.h"
#include "osmark/lists.h"

OSMARK_BEGIN_DECLS

enum LocaleLimits {
    LocaleMonthCount = 12,
    LocaleDayCount = 7,
    LocaleMaxLeadByteRanges = 12
};

typedef struct Locale {
    uint32_t loc_Platform;                  /* platform id of the system */
    char* loc_CountryName;
    char* loc_LanguageName;
    int32_t loc_CountryCode;
    int32_t loc_MeasurementSystem;          /* 0 metric, 1 U.S. */
    int32_t loc_FirstDayOfWeek;
    char loc_DecimalSeparator;
    char loc_ThousandsSeparator;
    char loc_ThousandsSeparator2;
    char* loc_Grouping;
    char* loc_Grouping2;
    char loc_MonDecimalSeparator;
    char loc_MonThousandsSeparator;
    char loc_MonThousandsSeparator2;
    char* loc_MonGrouping;
    char* loc_MonGrouping2;
    int32_t loc_CurrencyDigits;
    int32_t loc_CurrencySeparated;          /* a blank between amount and symbol */
    int32_t loc_CurrencyFlag;
    int32_t loc_CurrencyAfterAmount;
    int32_t loc_NegCurrencySeparated;
    int32_t loc_NegCurrencySignPosition;
    int32_t loc_NegCurrencyAfterAmount;
    char* loc_CurrencySymbol;
    char loc_DateSeparator;
    char* loc_LongDateFormat;
    char* loc_ShortDateFormat;
    char loc_TimeSeparator;
    char* loc_LongTimeFormat;
    char* loc_ShortTimeFormat;
    char* loc_AMString;
    char* loc_PMString;
    char* loc_ShortMonthNames[LocaleMonthCount];   /* January first */
    char* loc_LongMonthNames[LocaleMonthCount];
    char* loc_ShortDayNames[LocaleDayCount];       /* Sunday first */
    char* loc_LongDayNames[LocaleDayCount];
    uint32_t loc_LocaleID;
    uint32_t loc_PrimaryLanguageID;
    uint32_t loc_SubLanguageID;
    uint32_t loc_MultiByte;                 /* non-zero: the code page has lead bytes */
    uint32_t loc_LeadByteRangeCount;        /* ranges in loc_LeadByteRanges, at most 12 */
    uint8_t* loc_LeadByteRanges;            /* pairs of first and last lead byte, inclusive */
    char* loc_VolumeSeparators;
    char* loc_PathSeparators;               /* the first is the one paths are built with */
    char* loc_ExtensionSeparators;
    uint32_t loc_RootAfterVolume;           /* a built path puts a path separator after
                                               the volume separator */
    List loc_LocalVars;
    List loc_GlobalVars;
} Locale;

/* The live record. Callers read it; tests may change fields and put them back. */
OSMARK_API Locale* GetSystemLocale(void) OSMARK_NOEXCEPT;

/*
 * One day name (index 0 .. 6, Sunday first) or month name (index 0 .. 11, January
 * first); a nonzero short_name selects the short names. A NULL name returns the name
 * in effect; otherwise the record takes an allocated copy of name, frees the old one
 * and returns the copy (owned by the record). NULL with IoErrBufferOverflow for an
 * index out of range, NULL with IoErrNoMemory when no copy can be made; both change
 * nothing.
 */
OSMARK_API char* SetDayName(int32_t index, const char* name, int32_t short_name) OSMARK_NOEXCEPT;
OSMARK_API char* SetMonthName(int32_t index, const char* name, int32_t short_name) OSMARK_NOEXCEPT;

/*
 * A system date format adapted to the thread locale's calendar: for an era-based
 * calendar (types 3, 4 and 5) gg becomes ggg, yyyy and yy become ee and a single y
 * becomes e; for Japanese, Chinese and Korean systems with another calendar the g
 * letters are dropped. At most 254 characters, in a new string from AllocStr (free it
 * with FreeStr). NULL with IoErrRequiredArgMissing for a NULL format, with
 * IoErrNoMemory when no string can be allocated.
 */
OSMARK_API char* AdaptDateFormat(const char* format) OSMARK_NOEXCEPT;

/*
 * Start-up step: fills the live record from the system's locale, with the built-in
 * defaults wherever the system cannot tell, and sets up the (empty) variable lists.
 * Every string of the record is then an allocated copy, released at unload. Running it
 * again releases the copies of the run before and keeps the variables.
 */
OSMARK_API void InitialiseLocale(void) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
