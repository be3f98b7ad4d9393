// Platform's one error path: every failure a Win32 stand-in reports sets the thread's
// last error through make_win32_error where it is detected, so that the last site
// recorded is the check that fired. While error tracing is on (TARVEK_TRACE_ERRORS, see
// platform/internal/error_trace.h) the call site is kept as the thread's last error site
// and printed to standard error. Out of line and cold: a breakpoint in
// make_win32_error.cpp stops at every failure.
#ifndef PLATFORM_SRC_MAKE_WIN32_ERROR_H
#define PLATFORM_SRC_MAKE_WIN32_ERROR_H


#include "platform/internal/error_trace.h"
#include "platform/win_types.h"

namespace platform {

// SetLastError(code); returns code.
[[gnu::cold]] DWORD
make_win32_error(DWORD code, platform::SourceSite where = platform::SourceSite::current()) noexcept;

// SetLastError with the Win32 number of the current errno, as
// platform_set_last_error_from_errno does; returns that number.
[[gnu::cold]] DWORD
make_win32_error_from_errno(platform::SourceSite where = platform::SourceSite::current()) noexcept;

// For calls that return their error instead of leaving it (the registry, WNet): records
// the site and returns code; the thread's last error is not touched.
[[gnu::cold]] LONG
make_win32_status(LONG code, platform::SourceSite where = platform::SourceSite::current()) noexcept;

// Platform's own trace: its switch and the thread's last error site, for tests.
struct ErrorTraceTag;
using ErrorTrace = ErrorTraceOf<ErrorTraceTag>;

}

#endif
