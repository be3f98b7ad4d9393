/*
 * Points in time of the platform layer: Win32's FILETIME and SYSTEMTIME and the
 * conversions between them.
 *
 * A FILETIME counts 100-nanosecond intervals since 1 January 1601, UTC (or local
 * time, for a "local file time"). A SYSTEMTIME is broken down, with wDayOfWeek 0 for
 * Sunday. Conversions between UTC and local time use the offset that the time zone
 * had at that point in time (not today's offset), so summer and winter times both
 * come out as the clock showed them.
 */
#ifndef PLATFORM_SYSTEM_TIME_H
#define PLATFORM_SYSTEM_TIME_H

#include "platform/api.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

typedef struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME;
typedef FILETIME* LPFILETIME;
typedef const FILETIME* LPCFILETIME;

typedef struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;      /* 1 .. 12 */
    WORD wDayOfWeek;  /* 0 .. 6, Sunday 0; ignored by SystemTimeToFileTime */
    WORD wDay;        /* 1 .. 31 */
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
} SYSTEMTIME;
typedef SYSTEMTIME* LPSYSTEMTIME;

/* FALSE with ERROR_INVALID_PARAMETER for a time from 2^63 on (or NULL arguments). */
PLATFORM_API BOOL FileTimeToSystemTime(const FILETIME* file_time, LPSYSTEMTIME system_time)
    PLATFORM_NOEXCEPT;
/* FALSE with ERROR_INVALID_PARAMETER for a field out of range (years 1601 .. 30827,
 * days checked against the month, leap years included). */
PLATFORM_API BOOL SystemTimeToFileTime(const SYSTEMTIME* system_time, LPFILETIME file_time)
    PLATFORM_NOEXCEPT;
PLATFORM_API BOOL FileTimeToLocalFileTime(const FILETIME* file_time, LPFILETIME local_file_time)
    PLATFORM_NOEXCEPT;
/* A local time that the clock skipped (spring) counts as the offset before the change;
 * one that it showed twice (autumn) as the first of the two. */
PLATFORM_API BOOL LocalFileTimeToFileTime(const FILETIME* local_file_time, LPFILETIME file_time)
    PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
