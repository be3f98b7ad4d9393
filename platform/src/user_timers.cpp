// Timers on the message clock: SetTimer, KillTimer, and the WM_TIMER messages that the
// queue makes of due timers.

#include "make_win32_error.h"
#include "user_state.h"

#include <algorithm>
#include <limits>
#include <new>

namespace platform::user {
namespace {

// Win32's bounds of a timer's period.
constexpr UINT kMinimumElapse = 10;
constexpr UINT kMaximumElapse = 0x7FFFFFFF;
// Thread timers (without a window) get ids from here up.
constexpr UINT_PTR kFirstThreadTimer = 0x7FF0;

struct Timer {
    std::shared_ptr<ThreadQueue> queue;
    HWND window = nullptr;
    UINT_PTR id = 0;
    UINT elapse = 0;
    uint64_t due = 0;
    TIMERPROC procedure = nullptr;
};

struct InternalTimer {
    std::shared_ptr<ThreadQueue> queue;
    uintptr_t key = 0;
    uint64_t due = 0;
    std::function<void()> work;
};

struct Timers {
    std::vector<Timer> timers;
    std::vector<InternalTimer> internal;
    UINT_PTR next_thread_timer = kFirstThreadTimer;
};

Timers& timers()
{
    static Timers* all = new Timers;
    return *all;
}

Timer* find_timer(const ThreadQueue* queue, HWND window, UINT_PTR id)
{
    for (Timer& timer : timers().timers) {
        if (timer.window == window && timer.id == id &&
            (window != nullptr || timer.queue.get() == queue))
            return &timer;
    }
    return nullptr;
}

UINT_PTR new_thread_timer_id(const ThreadQueue& queue)
{
    Timers& all = timers();
    for (;;) {
        const UINT_PTR id = all.next_thread_timer++;
        if (all.next_thread_timer == 0)
            all.next_thread_timer = kFirstThreadTimer;
        if (id != 0 && find_timer(&queue, nullptr, id) == nullptr)
            return id;
    }
}

bool passes(HWND window, HWND filter)
{
    if (filter == nullptr)
        return true;
    if (filter == reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)))
        return window == nullptr;
    return window == filter;
}

}

std::optional<MSG> take_due_timer(ThreadQueue& queue, HWND filter, UINT first, UINT last,
                                  bool remove)
{
    if (!(first == 0 && last == 0) && (WM_TIMER < first || WM_TIMER > last))
        return std::nullopt;
    const uint64_t now = clock_now();
    Timer* earliest = nullptr;
    for (Timer& timer : timers().timers) {
        if (timer.queue.get() != &queue || timer.due > now || !passes(timer.window, filter))
            continue;
        if (earliest == nullptr || timer.due < earliest->due)
            earliest = &timer;
    }
    if (earliest == nullptr)
        return std::nullopt;
    MSG message{};
    message.hwnd = earliest->window;
    message.message = WM_TIMER;
    message.wParam = earliest->id;
    message.lParam = reinterpret_cast<LPARAM>(earliest->procedure);
    // However late the queue looks, one WM_TIMER stands for all the periods missed.
    if (remove)
        earliest->due = now + earliest->elapse;
    return message;
}

std::optional<uint64_t> next_timer_due(const ThreadQueue& queue)
{
    std::optional<uint64_t> due;
    for (const Timer& timer : timers().timers) {
        if (timer.queue.get() == &queue && (!due.has_value() || timer.due < *due))
            due = timer.due;
    }
    for (const InternalTimer& timer : timers().internal) {
        if (timer.queue.get() == &queue && (!due.has_value() || timer.due < *due))
            due = timer.due;
    }
    return due;
}

bool timer_has_procedure(HWND window, UINT_PTR id, TIMERPROC procedure)
{
    const Timer* timer = find_timer(&current_queue(), window, id);
    return timer != nullptr && timer->procedure == procedure;
}

void kill_window_timers(const Window& window)
{
    std::erase_if(timers().timers,
                  [&](const Timer& timer) { return timer.window == window.handle; });
}

void kill_queue_timers(const ThreadQueue& queue)
{
    std::erase_if(timers().timers, [&](const Timer& timer) { return timer.queue.get() == &queue; });
    std::erase_if(timers().internal,
                  [&](const InternalTimer& timer) { return timer.queue.get() == &queue; });
}

void start_internal_timer(const std::shared_ptr<ThreadQueue>& queue, uintptr_t key, uint32_t elapse,
                          std::function<void()> work)
{
    const UserLock lock(user_mutex());
    Timers& all = timers();
    std::erase_if(all.internal, [&](const InternalTimer& timer) {
        return timer.queue == queue && timer.key == key;
    });
    all.internal.push_back(InternalTimer{queue, key, clock_now() + elapse, std::move(work)});
    queue->wake();
}

void run_internal_timers(ThreadQueue& queue)
{
    std::vector<std::function<void()>> due_work;
    {
        const UserLock lock(user_mutex());
        std::vector<InternalTimer>& internal = timers().internal;
        const uint64_t now = clock_now();
        for (auto it = internal.begin(); it != internal.end();) {
            if (it->queue.get() == &queue && it->due <= now) {
                due_work.push_back(std::move(it->work));
                it = internal.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const std::function<void()>& work : due_work)
        work();
}

}

using namespace platform::user;

extern "C" {

PLATFORM_API UINT_PTR SetTimer(HWND handle, UINT_PTR id, UINT elapse, TIMERPROC procedure) noexcept
{
    try {
        const UserLock lock(user_mutex());
        std::shared_ptr<ThreadQueue> queue;
        if (handle != nullptr) {
            const Window* window = window_of(handle);
            if (window == nullptr || !is_owned_by_caller(*window))
                return 0;
            queue = window->queue;
        } else {
            queue = current_queue_shared();
        }
        elapse = std::clamp(elapse, kMinimumElapse, kMaximumElapse);
        const uint64_t due = clock_now() + elapse;
        Timer* existing = find_timer(queue.get(), handle, id);
        if (handle == nullptr && (id == 0 || existing == nullptr))
            id = new_thread_timer_id(*queue);
        if (existing != nullptr && (handle != nullptr || existing->id == id)) {
            existing->elapse = elapse;
            existing->due = due;
            existing->procedure = procedure;
        } else {
            timers().timers.push_back(Timer{queue, handle, id, elapse, due, procedure});
        }
        queue->wake();
        return id != 0 ? id : 1;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

PLATFORM_API BOOL KillTimer(HWND handle, UINT_PTR id) noexcept
{
    try {
        const UserLock lock(user_mutex());
        const ThreadQueue* queue = nullptr;
        if (handle != nullptr) {
            const Window* window = window_of(handle);
            if (window == nullptr)
                return FALSE;
            queue = window->queue.get();
        } else {
            queue = &current_queue();
        }
        std::vector<Timer>& all = timers().timers;
        const auto found = std::find_if(all.begin(), all.end(), [&](const Timer& timer) {
            return timer.window == handle && timer.id == id && timer.queue.get() == queue;
        });
        if (found == all.end()) {
            platform::make_win32_error(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        all.erase(found);
        return TRUE;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}
}
