// The recording half of each library's error funnel (C++ only, not part of the C
// interface).
//
// Every library sends its failures through one function of its own (halvern's and
// osmark's make_error, platform's make_win32_error). Each of those calls
// ErrorTraceOf<Tag>::record with the call site. While tracing is on, record keeps the site
// as the thread's last error site and prints one line to standard error,
//   file:line: function: error code
// so that a failing test run with TARVEK_TRACE_ERRORS=1 names the check that fired.
// While it is off, record only reads one flag.
//
// Tracing starts as the environment variable TARVEK_TRACE_ERRORS says (set and not "0"
// means on), read on the first failure; tests switch it with set_tracing.
//
// Each library instantiates the template with a tag type of its own, so each has its
// own switch and its own per-thread site (the symbols are hidden, so the copies in
// different shared libraries stay apart even for equal tags).
#ifndef PLATFORM_INTERNAL_ERROR_TRACE_H
#define PLATFORM_INTERNAL_ERROR_TRACE_H

#ifndef __cplusplus
#error "platform/internal/error_trace.h is C++ only"
#endif

#include <atomic>
#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace platform {

// The call site of a failure, taken as a default argument the way std::source_location
// is (whose support clang 14 lacks with this standard library): the builtins in
// current()'s defaults are evaluated where the funnel is called.
class SourceSite {
public:
    static constexpr SourceSite current(const char* file = __builtin_FILE(),
                                        const char* function = __builtin_FUNCTION(),
                                        uint32_t line = __builtin_LINE()) noexcept
    {
        return SourceSite(file, function, line);
    }
    constexpr const char* file_name() const noexcept { return m_file; }
    constexpr const char* function_name() const noexcept { return m_function; }
    constexpr uint32_t line() const noexcept { return m_line; }

private:
    constexpr SourceSite(const char* file, const char* function, uint32_t line) noexcept
        : m_file(file), m_function(function), m_line(line)
    {
    }
    const char* m_file;
    const char* m_function;
    uint32_t m_line;
};

// Where a failure was made. The strings come from platform::SourceSite and live as
// long as the program. An empty site (file == nullptr) means none was recorded.
struct ErrorSite {
    const char* file = nullptr;
    const char* function = nullptr;
    uint32_t line = 0;
    int64_t code = 0;
};

enum class ErrorTracing {
    FromEnvironment,
    On,
    Off
};

template <typename Library>
class ErrorTraceOf {
public:
    // Called only on failure, from the library's funnel.
    static void record(int64_t code, const platform::SourceSite& where) noexcept
    {
        if (!is_on())
            return;
        t_last_site = {where.file_name(), where.function_name(), where.line(), code};
        // The caller may still read errno for its result.
        const int saved_errno = errno;
        std::fprintf(stderr, "%s:%" PRIu32 ": %s: error %" PRId64 "\n", where.file_name(),
                     where.line(), where.function_name(), code);
        errno = saved_errno;
    }

    static bool is_on() noexcept
    {
        int state = s_state.load(std::memory_order_relaxed);
        if (state == kUnread) {
            state = environment_asks_for_tracing() ? kOn : kOff;
            int expected = kUnread;
            // Another thread may have read it first, or a test may have switched it.
            if (!s_state.compare_exchange_strong(expected, state, std::memory_order_relaxed))
                state = expected;
        }
        return state == kOn;
    }

    static void set_tracing(ErrorTracing tracing) noexcept
    {
        const int state = tracing == ErrorTracing::On    ? kOn
                          : tracing == ErrorTracing::Off ? kOff
                                                         : kUnread;
        s_state.store(state, std::memory_order_relaxed);
    }

    static ErrorSite last_site() noexcept { return t_last_site; }
    static void clear_last_site() noexcept { t_last_site = {}; }

private:
    static constexpr int kUnread = 0;
    static constexpr int kOn = 1;
    static constexpr int kOff = 2;

    static bool environment_asks_for_tracing() noexcept
    {
        const char* value = std::getenv("TARVEK_TRACE_ERRORS");
        return value != nullptr && value[0] != '\0' && !(value[0] == '0' && value[1] == '\0');
    }

    static inline std::atomic<int> s_state{kUnread};
    static inline thread_local ErrorSite t_last_site{};
};

}

#endif
