// A calibrated busy-wait delay.
//
// Delay measures on the high-resolution counter, less the cost of one measuring step
// (an empty library call between two counter readings) found at start-up, so that a
// short wait is not cut short by its own measuring. Without a counter it measures on
// the local clock, at that clock's resolution.

#include "osmark/dates.h"

#include "osmark/profile_services.h"
#include "platform/files.h"
#include "platform/timing.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr int64_t kInitialOverhead = 200;
constexpr int kCalibrationSamples = 20;
constexpr int64_t kMillisecondsPerDay = 86400000;

struct Calibration {
    bool counter_available;
    int64_t frequency;  // ticks per second
    int64_t overhead;   // ticks of one measuring step
};

Calibration g_calibration = {false, 0, 0};

void measuring_step()
{
    ProfileEntityClean(nullptr);
}

bool read_counter(int64_t& ticks)
{
    LARGE_INTEGER value{};
    if (!QueryPerformanceCounter(&value))
        return false;
    ticks = value.QuadPart;
    return true;
}

// Ticks between two readings, less the overhead; a negative difference (or one that
// does not fit) counts as nothing elapsed yet.
double elapsed_on_counter(int64_t start, int64_t now, const Calibration& calibration)
{
    int64_t difference = 0;
    if (__builtin_sub_overflow(now, start, &difference) ||
        __builtin_sub_overflow(difference, calibration.overhead, &difference) || difference < 0)
        return 0.0;
    return static_cast<double>(difference) * 1000.0 / static_cast<double>(calibration.frequency);
}

// Waits on the counter; false when the counter stops answering, so the caller can
// finish the wait on the clock.
bool wait_on_counter(double milliseconds, const Calibration& calibration, double& elapsed)
{
    int64_t start = 0;
    if (!read_counter(start))
        return false;
    do {
        measuring_step();
        int64_t now = 0;
        if (!read_counter(now))
            return false;
        elapsed = elapsed_on_counter(start, now, calibration);
    } while (elapsed < milliseconds);
    return true;
}

double elapsed_on_clock(const DateStampRec& start, const DateStampRec& now)
{
    const int64_t elapsed = now.ds_Day > start.ds_Day
                                ? int64_t{now.ds_Time} + kMillisecondsPerDay - int64_t{start.ds_Time}
                                : int64_t{now.ds_Time} - int64_t{start.ds_Time};
    return static_cast<double>(elapsed);
}

double wait_on_clock(double milliseconds)
{
    DateStampRec start{};
    DateStamp(&start);
    double elapsed = 0.0;
    do {
        measuring_step();
        DateStampRec now{};
        DateStamp(&now);
        elapsed = elapsed_on_clock(start, now);
    } while (elapsed < milliseconds);
    return elapsed;
}

}

extern "C" {

OSMARK_API void InitialiseDelay(void) noexcept
{
    LARGE_INTEGER frequency{};
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) {
        g_calibration = Calibration{false, 0, 0};
        return;
    }
    Calibration calibration{true, frequency.QuadPart, kInitialOverhead};
    for (int sample = 0; sample < kCalibrationSamples; ++sample) {
        int64_t before = 0;
        int64_t after = 0;
        if (!read_counter(before))
            break;
        measuring_step();
        if (!read_counter(after))
            break;
        const int64_t cost = after - before;
        if (cost >= 0 && cost < calibration.overhead)
            calibration.overhead = cost;
    }
    g_calibration = calibration;
}

OSMARK_API double Delay(double milliseconds) noexcept
{
    // NaN compares false with everything and would never be reached.
    if (std::isnan(milliseconds))
        milliseconds = 0.0;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    const Calibration calibration = g_calibration;
    double elapsed = 0.0;
    if (!calibration.counter_available || calibration.frequency == 0 ||
        !wait_on_counter(milliseconds, calibration, elapsed))
        elapsed = wait_on_clock(milliseconds);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    return elapsed;
}

}
