/*
 * Dates: points in time as date stamps (a calendar day and the milliseconds since its
 * local midnight), their conversion to and from the system's broken-down time, their
 * comparison, formatting by picture strings in the style of the locale, file times,
 * and a calibrated busy-wait delay.
 *
 * Pictures. Letters are taken without regard to case; a run of one letter is the
 * letter repeated exactly as written:
 *   y yy      year mod 100, two digits        yyy and longer  year, four digits at least
 *   m mm      month, without / with zero      mmm mmmm        short / long month name
 *   d dd      day, without / with zero        ddd dddd        short / long day name
 *   ddddd     the locale's short date format  dddddd          its long date format
 *   h hh      hour; n nn (or m, mm after h) minute; s ss second
 *   t tt      the locale's short / long time format
 *   c         short date format, then (unless the time is midnight) a blank and the long
 *             time format
 *   am/pm a/p the marker from the picture, in the case written; ampm the locale's AM or
 *             PM string; each makes the hours of the picture count 12-hour
 *   aaa aaaa  short / long day name
 *   g e       era name and era year of an alternative calendar (nothing without one)
 *   / :       the locale's date and time separators
 *   '...' "..." quoted text, copied without its quotes
 * Anything else is copied. A locale format named inside a locale format gives nothing.
 */
#ifndef OSMARK_DATES_H
#define OSMARK_DATES_H

#include "osmark/api.h"
#include "osmark/files.h"
#include "platform/system_time.h"

OSMARK_BEGIN_DECLS

typedef struct DateStampRec {
    uint32_t ds_Day;    /* the calendar date as the decimal number yyyymmdd */
    uint32_t ds_Time;   /* milliseconds since local midnight, below 86400000 */
} DateStampRec;

/* The request of DateToStr. A buffer whose pointer or size is 0 (or a negative size)
 * is not filled; a filled buffer holds at most size - 1 characters and a NUL. */
typedef struct DateStringRec {
    DateStampRec dat_Stamp;
    int8_t dat_Format;      /* DateFormats; any other value: the locale's short date format */
    uint8_t dat_Flags;      /* DateStringFlags */
    char* dat_StrDate;
    int32_t dat_StrDateSize;
    char* dat_StrDay;       /* long day name */
    int32_t dat_StrDaySize;
    char* dat_StrMonth;     /* long month name */
    int32_t dat_StrMonthSize;
    char* dat_StrTime;      /* "hh:nn:ss" */
    int32_t dat_StrTimeSize;
} DateStringRec;

enum DateFormats {
    DateFormatDos = 0,      /* "dd/mmm/yy" */
    DateFormatInt = 1,      /* "yy/mmm/dd" */
    DateFormatUSA = 2,      /* "mm/dd/yy" */
    DateFormatCDN = 3       /* "dd/mm/yy" */
};

enum DateStringFlags {
    DateFlagLongDate = 0x01 /* the locale's long date format, whatever dat_Format says */
};

/* Fills stamp with the current local time and returns it; NULL with
 * IoErrRequiredArgMissing for a NULL stamp. */
OSMARK_API DateStampRec* DateStamp(DateStampRec* stamp) OSMARK_NOEXCEPT;

/* Makes a stamp of a broken-down time (the day of the week is not read) and returns
 * it; NULL with IoErrRequiredArgMissing for a NULL argument. */
OSMARK_API DateStampRec* Date2Stamp(const SYSTEMTIME* system_time, DateStampRec* stamp) OSMARK_NOEXCEPT;

/* Takes a stamp apart and fills in the day of the week, 1 .. 7 with Sunday 1. Returns 1,
 * or 0 when the stamp is no real point in time (the fields are then filled as far as
 * they go and the day of the week is 0; a year past 65535 reads as 65535). */
OSMARK_API int32_t Stamp2Date(const DateStampRec* stamp, SYSTEMTIME* system_time) OSMARK_NOEXCEPT;

/* Negative when a is earlier than b, 0 when equal, positive when later: the difference
 * of the days, or of the times on one day (held to the 32-bit range). 0 with
 * IoErrRequiredArgMissing for a NULL argument. */
OSMARK_API int32_t CompareDates(const DateStampRec* a, const DateStampRec* b) OSMARK_NOEXCEPT;

/* Milliseconds since the system started; wraps after 2^32. */
OSMARK_API uint32_t GetRunningTime(void) OSMARK_NOEXCEPT;

/* Formats the stamp by the picture (NULL or empty: "c") into buffer: at most size - 1
 * characters and a NUL; text that does not fit is cut. Returns the number of
 * characters written. Nothing is written for a NULL buffer or a size below 1; a NULL
 * stamp gives 0 with IoErrRequiredArgMissing and an empty buffer. */
OSMARK_API int32_t FormatDateTime(const char* picture, const DateStampRec* stamp, char* buffer,
                                  int32_t size) OSMARK_NOEXCEPT;
/* FormatDateTime with the picture "c", the locale's short date format, and its long
 * time format. */
OSMARK_API int32_t DateTimeToString(const DateStampRec* stamp, char* buffer, int32_t size) OSMARK_NOEXCEPT;
OSMARK_API int32_t DateToString(const DateStampRec* stamp, char* buffer, int32_t size) OSMARK_NOEXCEPT;
OSMARK_API int32_t TimeToString(const DateStampRec* stamp, char* buffer, int32_t size) OSMARK_NOEXCEPT;

/* Fills the buffers of the request. Returns 1 when the time text (if asked for) is not
 * empty; without a time buffer, 1 when any other buffer was filled (a date text only
 * when it is not empty); else 0. 0 with IoErrRequiredArgMissing for NULL. */
OSMARK_API int32_t DateToStr(DateStringRec* request) OSMARK_NOEXCEPT;

/* Sets the creation, last-access and last-write times of an open file from the stamps
 * (local time); a NULL stamp leaves that time as it is. Returns 1, or 0 with the
 * system's error translated (a stamp that is no real point in time, a handle that is
 * not a file's), or 0 with IoErrRequiredArgMissing for a NULL handle. This platform
 * keeps no settable creation time: that stamp is checked but not stored. */
OSMARK_API int32_t SetFileDate(FileHandle* file, const DateStampRec* created, const DateStampRec* accessed,
                               const DateStampRec* written) OSMARK_NOEXCEPT;

/* Parses nothing: returns 0 with IoErrNotImplemented and leaves the stamp untouched. */
OSMARK_API int32_t StrToDate(const char* text, DateStampRec* stamp) OSMARK_NOEXCEPT;

/* Busy-waits at least that many milliseconds, keeping the thread busy, and returns the
 * milliseconds measured. At least one measurement is always taken, so 0, a negative
 * value or NaN returns at once. */
OSMARK_API double Delay(double milliseconds) OSMARK_NOEXCEPT;

/* Start-up step: calibrates Delay on the high-resolution counter (when there is one). */
OSMARK_API void InitialiseDelay(void) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
