#include "platform/kernel.h"
#include "platform/timing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <thread>

namespace {

int64_t counter_now()
{
    LARGE_INTEGER value{};
    EXPECT_TRUE(QueryPerformanceCounter(&value));
    return value.QuadPart;
}

TEST(Timing, LocalTimeAgreesWithTheCClock)
{
    // Read around the C clock, so a second that turns in between can be told.
    for (int attempt = 0; attempt < 3; ++attempt) {
        SYSTEMTIME local{};
        GetLocalTime(&local);
        const time_t now = time(nullptr);
        tm expected{};
        localtime_r(&now, &expected);
        if (local.wSecond != expected.tm_sec)
            continue;
        EXPECT_EQ(local.wYear, expected.tm_year + 1900);
        EXPECT_EQ(local.wMonth, expected.tm_mon + 1);
        EXPECT_EQ(local.wDay, expected.tm_mday);
        EXPECT_EQ(local.wDayOfWeek, expected.tm_wday);
        EXPECT_EQ(local.wHour, expected.tm_hour);
        EXPECT_EQ(local.wMinute, expected.tm_min);
        EXPECT_LT(local.wMilliseconds, 1000);
        return;
    }
    ADD_FAILURE() << "the clock never held still for a reading";
}

TEST(Timing, CounterIsMonotonicInNanoseconds)
{
    LARGE_INTEGER frequency{};
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency.QuadPart, 1000000000);
    const int64_t first = counter_now();
    const int64_t second = counter_now();
    EXPECT_LE(first, second);
    EXPECT_FALSE(QueryPerformanceCounter(nullptr));
    EXPECT_FALSE(QueryPerformanceFrequency(nullptr));
}

TEST(Timing, CounterCanBeSwitchedOffForTests)
{
    platform_set_performance_counter_for_testing(0);
    LARGE_INTEGER value{};
    value.QuadPart = 7;
    EXPECT_FALSE(QueryPerformanceCounter(&value));
    EXPECT_EQ(value.QuadPart, 0);
    EXPECT_FALSE(QueryPerformanceFrequency(&value));
    platform_set_performance_counter_for_testing(1);
    EXPECT_TRUE(QueryPerformanceFrequency(&value));
}

TEST(Timing, TickCountFollowsTheMonotonicClock)
{
    const DWORD ticks = GetTickCount();
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(15)) {
    }
    EXPECT_GE(GetTickCount() - ticks, 14u);
    EXPECT_LT(GetTickCount() - ticks, 10000u);
}

TEST(Timing, ThreadPriorityIsKeptPerThread)
{
    const HANDLE self = GetCurrentThread();
    EXPECT_EQ(GetThreadPriority(self), THREAD_PRIORITY_NORMAL);
    ASSERT_TRUE(SetThreadPriority(self, THREAD_PRIORITY_TIME_CRITICAL));
    EXPECT_EQ(GetThreadPriority(self), THREAD_PRIORITY_TIME_CRITICAL);
    int other_thread_priority = -100;
    std::thread other([&] { other_thread_priority = GetThreadPriority(GetCurrentThread()); });
    other.join();
    EXPECT_EQ(other_thread_priority, THREAD_PRIORITY_NORMAL);

    EXPECT_FALSE(SetThreadPriority(self, 3));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(SetThreadPriority(nullptr, THREAD_PRIORITY_NORMAL));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GetThreadPriority(nullptr), THREAD_PRIORITY_ERROR_RETURN);
    EXPECT_TRUE(SetThreadPriority(self, THREAD_PRIORITY_NORMAL));
}

}
