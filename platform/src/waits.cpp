// Waits for several objects and the message queue at once (MsgWaitForMultipleObjects),
// and the process-wide signal that wakes them (wait_signals.h).

#include "platform/handles.h"

#include "kernel_object.h"
#include "make_win32_error.h"
#include "platform/kernel.h"
#include "wait_signals.h"

#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;

// How often a waiter looks at objects that other processes signal.
constexpr std::chrono::milliseconds kElsewherePollInterval{4};

struct WaitSignal {
    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<uint64_t> generation{0};
    std::atomic<uint32_t> waiters{0};
    std::atomic<platform::QueueInputCheck> queue_input_check{nullptr};
};

std::atomic<WaitSignal*> g_wait_signal{nullptr};
// The parent's signal in a forked child, kept reachable.
WaitSignal* g_parents_signal = nullptr;

// A forked child has none of its parent's waiting threads, but a copy of their state
// in the condition variable, which would make a notification wait for them for ever:
// it starts with a fresh signal (the old one is left, as memory of the parent).
void renew_signal_in_child()
{
    g_parents_signal = g_wait_signal.exchange(new WaitSignal);
}

// Made on first use and kept for the life of the process: child processes end and
// semaphores are released while static destructors run.
WaitSignal& wait_signal()
{
    static const bool made = [] {
        g_wait_signal.store(new WaitSignal);
        pthread_atfork(nullptr, nullptr, renew_signal_in_child);
        return true;
    }();
    (void)made;
    return *g_wait_signal.load();
}

bool queue_has_input(DWORD wake_mask)
{
    if (wake_mask == 0)
        return false;
    const platform::QueueInputCheck check = wait_signal().queue_input_check.load();
    return check != nullptr && check(wake_mask);
}

DWORD fail(DWORD error, platform::SourceSite where = platform::SourceSite::current())
{
    platform::make_win32_error(error, where);
    return WAIT_FAILED;
}

}

namespace platform {

void notify_waiters() noexcept
{
    WaitSignal& signal = wait_signal();
    signal.generation.fetch_add(1);
    if (signal.waiters.load() == 0)
        return;
    // Taking the lock orders the change before a waiter's check of the generation.
    {
        const std::lock_guard lock(signal.mutex);
    }
    signal.changed.notify_all();
}

uint64_t wait_generation() noexcept
{
    return wait_signal().generation.load();
}

void wait_for_change(uint64_t seen, Clock::time_point until) noexcept
{
    WaitSignal& signal = wait_signal();
    std::unique_lock lock(signal.mutex);
    signal.waiters.fetch_add(1);
    signal.changed.wait_until(lock, until, [&] { return signal.generation.load() != seen; });
    signal.waiters.fetch_sub(1);
}

void set_queue_input_check(QueueInputCheck check) noexcept
{
    wait_signal().queue_input_check.store(check);
    notify_waiters();
}

}

extern "C" {

PLATFORM_API DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL wait_all,
                                             DWORD milliseconds, DWORD wake_mask) noexcept
{
    if (count > MAXIMUM_WAIT_OBJECTS || (count != 0 && handles == nullptr))
        return fail(ERROR_INVALID_PARAMETER);
    if (wait_all)
        return fail(ERROR_NOT_SUPPORTED);
    std::shared_ptr<platform::KernelObject> objects[MAXIMUM_WAIT_OBJECTS];
    bool poll_elsewhere = false;
    for (DWORD i = 0; i < count; ++i) {
        objects[i] = platform::object_of(handles[i]);
        if (objects[i] == nullptr)
            return WAIT_FAILED;
        poll_elsewhere = poll_elsewhere || objects[i]->changes_elsewhere();
    }
    const bool input_can_arrive =
        wake_mask != 0 && wait_signal().queue_input_check.load() != nullptr;
    // One object and no queue to watch: the object's own wait is exact and cheapest.
    if (count == 1 && !input_can_arrive)
        return objects[0]->wait(milliseconds);

    const bool no_limit = milliseconds == INFINITE;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(no_limit ? 0 : milliseconds);
    for (;;) {
        const uint64_t seen = platform::wait_generation();
        for (DWORD i = 0; i < count; ++i) {
            const DWORD result = objects[i]->wait(0);
            if (result == WAIT_OBJECT_0)
                return WAIT_OBJECT_0 + i;
            if (result == WAIT_FAILED)
                return WAIT_FAILED;
        }
        if (queue_has_input(wake_mask))
            return WAIT_OBJECT_0 + count;
        const Clock::time_point now = Clock::now();
        if (!no_limit && now >= deadline)
            return WAIT_TIMEOUT;
        // Without a limit the wait still wakes now and then, well clear of the
        // clock's largest value.
        Clock::time_point until = no_limit ? now + std::chrono::hours(1) : deadline;
        if (poll_elsewhere && now + kElsewherePollInterval < until)
            until = now + kElsewherePollInterval;
        platform::wait_for_change(seen, until);
    }
}

}
