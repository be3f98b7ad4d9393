// Osmark's one error path: every failure the library reports passes through one of
// these where it is detected (not again where it is passed on), so that the last site
// recorded is the check that fired. While error tracing is on (TARVEK_TRACE_ERRORS, see
// platform/internal/error_trace.h) the call site is kept as the thread's last error site
// and printed to standard error. All are out of line and cold: a breakpoint in
// make_error.cpp stops at every failure.
#ifndef OSMARK_CORE_RUNTIME_MAKE_ERROR_H
#define OSMARK_CORE_RUNTIME_MAKE_ERROR_H

#include <cstdint>

#include "osmark/errors.h"
#include "platform/internal/error_trace.h"

namespace osmark {

// Returns code unchanged, for failures that are results: `return make_error(IoErrBadPattern);`.
[[gnu::cold]] IoErrCode
make_error(IoErrCode code, platform::SourceSite where = platform::SourceSite::current()) noexcept;

// For failures that leave their code for IoErr: stores code with SetIoErr.
[[gnu::cold]] void
set_io_error(IoErrCode code, platform::SourceSite where = platform::SourceSite::current()) noexcept;

// Stores the library code of a system error number (as GetLastError gives it), as
// SetIoErrFromWin32 does.
[[gnu::cold]] void
set_io_error_from_win32(uint32_t system_error,
                        platform::SourceSite where = platform::SourceSite::current()) noexcept;

// The library code of a system error number; -40 for numbers without one.
IoErrCode io_err_code_of_win32(uint32_t system_error) noexcept;

// Osmark's own trace: its switch and the thread's last error site, for tests.
struct ErrorTraceTag;
using ErrorTrace = platform::ErrorTraceOf<ErrorTraceTag>;

}

#endif
