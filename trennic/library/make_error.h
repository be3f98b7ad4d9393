// Trennic's one error path: every failure the library reports, from a damaged file to
// memory that could not be had, passes through make_error where it is detected (not
// again where it is passed on), so that the last site recorded is the check that fired.
#ifndef TRENNIC_LIBRARY_MAKE_ERROR_H
#define TRENNIC_LIBRARY_MAKE_ERROR_H

#include <cstdint>

#include "platform/internal/error_trace.h"

namespace trennic {

// Returns code unchanged, so that `return make_error(-32);` reads as the failure it is.
// While error tracing is on (TARVEK_TRACE_ERRORS, see platform/internal/error_trace.h)
// the call site is kept as the thread's last error site and printed to standard error.
// Out of line and cold: a breakpoint here stops at every failure.
[[gnu::cold]] int32_t
make_error(int32_t code, platform::SourceSite where = platform::SourceSite::current()) noexcept;

// Trennic's own trace: its switch and the thread's last error site, for tests.
struct ErrorTraceTag;
using ErrorTrace = platform::ErrorTraceOf<ErrorTraceTag>;

}

#endif
