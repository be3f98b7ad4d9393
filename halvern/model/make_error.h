// Halvern's one error path: every failure the library reports, from a damaged file to
// memory that could not be had, passes through make_error on its way out.
#ifndef HALVERN_MODEL_MAKE_ERROR_H
#define HALVERN_MODEL_MAKE_ERROR_H

#include <cstdint>
#include <source_location>

namespace halvern {

// Returns code unchanged, so that `return make_error(-32);` reads as the failure it is.
// The call site is kept as the thread's last error site while error tracing is on.
[[gnu::cold]] int32_t make_error(int32_t code,
    std::source_location where = std::source_location::current()) noexcept;

}

#endif
