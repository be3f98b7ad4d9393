/*
 * Clocks of the platform layer: the subset of Win32's time interface that the
 * libraries call, implemented on POSIX clocks.
 *
 * Provided here: the current local time as a SYSTEMTIME, the milliseconds since the
 * system started, the high-resolution performance counter, and the calling thread's
 * priority as timed busy waits set it.
 */
#ifndef PLATFORM_TIMING_H
#define PLATFORM_TIMING_H

#include "platform/api.h"
#include "platform/files.h"
#include "platform/system_time.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

/* The current time as the time zone shows it; wDayOfWeek 0 is Sunday. NULL is ignored. */
PLATFORM_API void GetLocalTime(LPSYSTEMTIME time) PLATFORM_NOEXCEPT;

/* Milliseconds since the system started, time asleep included; wraps after 2^32. */
PLATFORM_API DWORD GetTickCount(void) PLATFORM_NOEXCEPT;

/* The monotonic high-resolution counter and its ticks per second. Both fail (FALSE,
 * the value set to 0) when the counter is switched off for a test; a NULL argument
 * fails with ERROR_INVALID_PARAMETER. */
PLATFORM_API BOOL QueryPerformanceCounter(LARGE_INTEGER* count) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) PLATFORM_NOEXCEPT;

/*
 * Thread priority. Only the calling thread's pseudo handle (GetCurrentThread) is
 * accepted; other handles fail with ERROR_INVALID_HANDLE. The priority is kept for
 * the thread and reported back, but the scheduler is left as it is: an ordinary
 * process here cannot raise its threads above the normal level.
 */
#define THREAD_PRIORITY_IDLE (-15)
#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_TIME_CRITICAL 15
#define THREAD_PRIORITY_ERROR_RETURN 0x7FFFFFFF
#ifndef ERROR_INVALID_HANDLE
#define ERROR_INVALID_HANDLE 6
#endif

PLATFORM_API HANDLE GetCurrentThread(void) PLATFORM_NOEXCEPT;
/* FALSE with ERROR_INVALID_PARAMETER for a priority that is none of the above. */
PLATFORM_API BOOL SetThreadPriority(HANDLE thread, int priority) PLATFORM_NOEXCEPT;
/* THREAD_PRIORITY_ERROR_RETURN for a handle that is not the pseudo handle. */
PLATFORM_API int GetThreadPriority(HANDLE thread) PLATFORM_NOEXCEPT;

/* Test seam: 0 switches the performance counter off (as on a machine without one),
 * nonzero back on. */
PLATFORM_API void platform_set_performance_counter_for_testing(int available) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
