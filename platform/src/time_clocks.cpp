// Clocks and thread priority (platform/timing.h).

#include "platform/timing.h"

#include "make_win32_error.h"
#include "platform/kernel.h"

#include <atomic>
#include <ctime>

namespace {

constexpr int64_t kNanosecondsPerSecond = 1000000000;

// The pseudo handle of the calling thread, as Win32 has it.
HANDLE current_thread_handle()
{
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));
}

std::atomic<bool> g_counter_available{true};
thread_local int t_priority = THREAD_PRIORITY_NORMAL;

void fill_from_timespec(const timespec& now, LPSYSTEMTIME time)
{
    tm broken_down{};
    const time_t seconds = now.tv_sec;
    if (localtime_r(&seconds, &broken_down) == nullptr) {
        *time = SYSTEMTIME{};
        return;
    }
    time->wYear = static_cast<WORD>(broken_down.tm_year + 1900);
    time->wMonth = static_cast<WORD>(broken_down.tm_mon + 1);
    time->wDayOfWeek = static_cast<WORD>(broken_down.tm_wday);
    time->wDay = static_cast<WORD>(broken_down.tm_mday);
    time->wHour = static_cast<WORD>(broken_down.tm_hour);
    time->wMinute = static_cast<WORD>(broken_down.tm_min);
    // A leap second shows as the last second of its minute, as Win32 never has 60.
    time->wSecond = static_cast<WORD>(broken_down.tm_sec > 59 ? 59 : broken_down.tm_sec);
    time->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}


bool is_priority(int priority)
{
    switch (priority) {
    case THREAD_PRIORITY_IDLE:
    case THREAD_PRIORITY_LOWEST:
    case THREAD_PRIORITY_BELOW_NORMAL:
    case THREAD_PRIORITY_NORMAL:
    case THREAD_PRIORITY_ABOVE_NORMAL:
    case THREAD_PRIORITY_HIGHEST:
    case THREAD_PRIORITY_TIME_CRITICAL:
        return true;
    default:
        return false;
    }
}

}

extern "C" {

PLATFORM_API void GetLocalTime(LPSYSTEMTIME time) noexcept
{
    if (time == nullptr)
        return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    fill_from_timespec(now, time);
}

PLATFORM_API DWORD GetTickCount(void) noexcept
{
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const uint64_t milliseconds =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<DWORD>(milliseconds & 0xFFFFFFFFu);
}

PLATFORM_API BOOL QueryPerformanceCounter(LARGE_INTEGER* count) noexcept
{
    if (count == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    count->QuadPart = 0;
    if (!g_counter_available.load(std::memory_order_relaxed))
        return FALSE;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    count->QuadPart = static_cast<LONGLONG>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
    return TRUE;
}

PLATFORM_API BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) noexcept
{
    if (frequency == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    frequency->QuadPart = 0;
    if (!g_counter_available.load(std::memory_order_relaxed))
        return FALSE;
    frequency->QuadPart = kNanosecondsPerSecond;
    return TRUE;
}

PLATFORM_API HANDLE GetCurrentThread(void) noexcept
{
    return current_thread_handle();
}

PLATFORM_API BOOL SetThreadPriority(HANDLE thread, int priority) noexcept
{
    if (thread != current_thread_handle()) {
        platform::make_win32_error(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!is_priority(priority)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    t_priority = priority;
    return TRUE;
}

PLATFORM_API int GetThreadPriority(HANDLE thread) noexcept
{
    if (thread != current_thread_handle()) {
        platform::make_win32_error(ERROR_INVALID_HANDLE);
        return THREAD_PRIORITY_ERROR_RETURN;
    }
    return t_priority;
}

PLATFORM_API void platform_set_performance_counter_for_testing(int available) noexcept
{
    g_counter_available.store(available != 0, std::memory_order_relaxed);
}

}
