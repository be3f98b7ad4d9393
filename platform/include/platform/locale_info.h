/*
 * Locale services of the platform layer: the subset of Win32's national-language
 * interface that the libraries read their locale conventions from.
 *
 * Provided here: locale information by type (GetLocaleInfoA), the system and thread
 * locale and language ids, the ANSI code page and its lead bytes, the version record's
 * platform id, the one system metric that tells a multi-byte code page, and date
 * formatting by picture with an alternative (era) calendar.
 *
 * On this platform the locale "cannot be read": GetLocaleInfoA fails for every type,
 * the locale and language ids are 0 ("unknown"), the code page is UTF-8 without lead
 * bytes, no multi-byte metric is set and there is no alternative calendar. Callers
 * then apply their own defaults. Tests inject a locale through
 * platform_set_locale_answers_for_testing.
 */
#ifndef PLATFORM_LOCALE_INFO_H
#define PLATFORM_LOCALE_INFO_H

#include "platform/api.h"
#include "platform/system_time.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

typedef DWORD LCID;
typedef WORD LANGID;
typedef DWORD LCTYPE;

/* Locale-information types that the libraries read. */
#define LOCALE_SLANGUAGE 0x0002u
#define LOCALE_ICOUNTRY 0x0005u
#define LOCALE_SCOUNTRY 0x0006u
#define LOCALE_IMEASURE 0x000Du
#define LOCALE_SDECIMAL 0x000Eu
#define LOCALE_STHOUSAND 0x000Fu
#define LOCALE_SGROUPING 0x0010u
#define LOCALE_SCURRENCY 0x0014u
#define LOCALE_SMONDECIMALSEP 0x0016u
#define LOCALE_SMONGROUPING 0x0018u
#define LOCALE_ICURRDIGITS 0x0019u
#define LOCALE_ICURRENCY 0x001Bu
#define LOCALE_INEGCURR 0x001Cu
#define LOCALE_SDATE 0x001Du
#define LOCALE_STIME 0x001Eu
#define LOCALE_SSHORTDATE 0x001Fu
#define LOCALE_SLONGDATE 0x0020u
#define LOCALE_ITIME 0x0023u
#define LOCALE_ITLZERO 0x0025u
#define LOCALE_S1159 0x0028u
#define LOCALE_S2359 0x0029u
#define LOCALE_SDAYNAME1 0x002Au          /* Monday; SDAYNAME7 (0x30) is Sunday */
#define LOCALE_SDAYNAME7 0x0030u
#define LOCALE_SABBREVDAYNAME1 0x0031u    /* Monday; SABBREVDAYNAME7 (0x37) is Sunday */
#define LOCALE_SABBREVDAYNAME7 0x0037u
#define LOCALE_SMONTHNAME1 0x0038u        /* January .. SMONTHNAME12 (0x43) */
#define LOCALE_SABBREVMONTHNAME1 0x0044u  /* January .. SABBREVMONTHNAME12 (0x4F) */
#define LOCALE_ITIMEMARKPOSN 0x1005u
#define LOCALE_ICALENDARTYPE 0x1009u
#define LOCALE_IFIRSTDAYOFWEEK 0x100Cu

#ifndef ERROR_INSUFFICIENT_BUFFER
#define ERROR_INSUFFICIENT_BUFFER 122
#endif
#ifndef ERROR_INVALID_PARAMETER
#define ERROR_INVALID_PARAMETER 87
#endif
#ifndef ERROR_INVALID_FLAGS
#define ERROR_INVALID_FLAGS 1004
#endif

/*
 * The value of one locale-information type. With size 0 returns the size the value
 * needs, its NUL included; otherwise copies the value and its NUL into buffer and
 * returns that size, or 0 with ERROR_INSUFFICIENT_BUFFER when size is too small. 0 with
 * ERROR_INVALID_FLAGS for a type that cannot be read, ERROR_INVALID_PARAMETER for a
 * NULL buffer with a size or a negative size. The locale id is not consulted: every
 * locale answers alike.
 */
PLATFORM_API int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR buffer, int size) PLATFORM_NOEXCEPT;

/* Locale and language ids; 0 when the platform cannot tell. A language id holds the
 * primary language in its low 10 bits and the sublanguage above them. */
PLATFORM_API LCID GetSystemDefaultLCID(void) PLATFORM_NOEXCEPT;
PLATFORM_API LANGID GetSystemDefaultLangID(void) PLATFORM_NOEXCEPT;
PLATFORM_API LCID GetThreadLocale(void) PLATFORM_NOEXCEPT;

/* Code pages. The system code page here is UTF-8 (65001). */
#define CP_ACP 0u
#define CP_UTF8 65001u
#define MAX_LEADBYTES 12
#define MAX_DEFAULTCHAR 2
typedef struct CPINFO {
    UINT MaxCharSize;
    BYTE DefaultChar[MAX_DEFAULTCHAR];
    BYTE LeadByte[MAX_LEADBYTES];   /* pairs of first and last lead byte, ended by 0, 0 */
} CPINFO;
typedef CPINFO* LPCPINFO;

PLATFORM_API UINT GetACP(void) PLATFORM_NOEXCEPT;
/* CP_ACP and the ANSI code page are known; any other page fails with
 * ERROR_INVALID_PARAMETER, as does a NULL record. */
PLATFORM_API BOOL GetCPInfo(UINT code_page, LPCPINFO info) PLATFORM_NOEXCEPT;

/* The version record. dwOSVersionInfoSize must hold the record's size. */
#define VER_PLATFORM_WIN32s 0u
#define VER_PLATFORM_WIN32_WINDOWS 1u
#define VER_PLATFORM_WIN32_NT 2u
typedef struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
} OSVERSIONINFOA;
typedef OSVERSIONINFOA* LPOSVERSIONINFOA;

/* Fills the record (platform VER_PLATFORM_WIN32_NT, version 10.0); FALSE with
 * ERROR_INSUFFICIENT_BUFFER when dwOSVersionInfoSize is not the record's size. */
PLATFORM_API BOOL GetVersionExA(LPOSVERSIONINFOA info) PLATFORM_NOEXCEPT;

/* GetSystemMetrics (system_metrics.h) answers SM_DBCSENABLED from the locale: nonzero
 * when the code page has lead bytes. */
#define SM_DBCSENABLED 42
PLATFORM_API int GetSystemMetrics(int index) PLATFORM_NOEXCEPT;

/*
 * A date by picture: d and dd (day), M and MM (month number; longer runs of d and M
 * act as two), y (year of the century without a leading zero), yy (two digits), yyyy
 * (the year), g and gg (the era name) and text in single quotes (two quotes in a row
 * give one); every other character is copied. With
 * DATE_USE_ALT_CALENDAR the years count in the alternative calendar's era (yy at least
 * two digits, yyyy without padding) and g gives its name; without an alternative
 * calendar that flag fails with ERROR_INVALID_FLAGS. Without the flag g gives nothing.
 * NULL date: today (local time); NULL picture: fails with ERROR_INVALID_PARAMETER,
 * as does a date the calendar cannot hold. Size and result as for GetLocaleInfoA.
 */
#define DATE_USE_ALT_CALENDAR 0x00000004u
PLATFORM_API int GetDateFormatA(LCID locale, DWORD flags, const SYSTEMTIME* date, LPCSTR picture,
                                LPSTR buffer, int size) PLATFORM_NOEXCEPT;

/*
 * Test seam: answers of an injected locale. The record and everything it points to
 * must stay valid until the seam is reset; NULL restores the platform's own answers.
 * A type missing from values cannot be read; a value with read_fails set reports its
 * size but fails when it is read.
 */
typedef struct PlatformLocaleValue {
    LCTYPE type;
    const char* text;
    int read_fails;
} PlatformLocaleValue;

typedef struct PlatformLocaleAnswers {
    LCID system_locale;          /* GetSystemDefaultLCID */
    LANGID system_language;      /* GetSystemDefaultLangID */
    LCID thread_locale;          /* GetThreadLocale */
    DWORD platform_id;           /* GetVersionExA */
    UINT ansi_code_page;         /* GetACP */
    int dbcs_enabled;            /* GetSystemMetrics (SM_DBCSENABLED) */
    int code_page_unreadable;    /* GetCPInfo fails */
    UINT max_char_size;          /* GetCPInfo */
    BYTE lead_bytes[MAX_LEADBYTES];
    const PlatformLocaleValue* values;
    size_t value_count;
    const char* era_name;        /* NULL: no alternative calendar */
    WORD era_first_year;         /* the Gregorian year in which the era began */
} PlatformLocaleAnswers;

PLATFORM_API void platform_set_locale_answers_for_testing(const PlatformLocaleAnswers* answers)
    PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
