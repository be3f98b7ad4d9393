// Closure timers: windowless thread timers whose one procedure finds the closure by the
// timer's thread and id.

#include "platform/closure_timer.h"

#include "platform/user_input.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace platform {
namespace {

struct ClosureTimer {
    std::thread::id thread;
    UINT_PTR id = 0;
    // Shared, so that a closure that kills its own timer keeps running to its end.
    std::shared_ptr<std::function<void()>> work;
};

std::mutex& closures_mutex()
{
    static auto* mutex = new std::mutex;
    return *mutex;
}

std::vector<ClosureTimer>& closures()
{
    static auto* all = new std::vector<ClosureTimer>;
    return *all;
}

// Under closures_mutex.
ClosureTimer* find_closure(UINT_PTR id)
{
    const std::thread::id thread = std::this_thread::get_id();
    for (ClosureTimer& timer : closures()) {
        if (timer.thread == thread && timer.id == id)
            return &timer;
    }
    return nullptr;
}

void run_closure(HWND, UINT, UINT_PTR id, DWORD)
{
    std::shared_ptr<std::function<void()>> work;
    {
        const std::lock_guard lock(closures_mutex());
        if (const ClosureTimer* timer = find_closure(id))
            work = timer->work;
    }
    if (work != nullptr && *work)
        (*work)();
}

}

PLATFORM_API UINT_PTR SetClosureTimer(UINT_PTR id, UINT elapse, std::function<void()> work) noexcept
{
    if (!work)
        return 0;
    try {
        auto shared = std::make_shared<std::function<void()>>(std::move(work));
        const std::lock_guard lock(closures_mutex());
        ClosureTimer* existing = nullptr;
        if (id != 0) {
            existing = find_closure(id);
            if (existing == nullptr)
                return 0;
        }
        const UINT_PTR started = SetTimer(nullptr, id, elapse, run_closure);
        if (started == 0)
            return 0;
        if (existing != nullptr)
            existing->work = std::move(shared);
        else
            closures().push_back(
                ClosureTimer{std::this_thread::get_id(), started, std::move(shared)});
        return started;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

PLATFORM_API BOOL KillClosureTimer(UINT_PTR id) noexcept
{
    std::shared_ptr<std::function<void()>> work;
    {
        const std::lock_guard lock(closures_mutex());
        std::vector<ClosureTimer>& all = closures();
        const std::thread::id thread = std::this_thread::get_id();
        const auto found = std::find_if(all.begin(), all.end(), [&](const ClosureTimer& timer) {
            return timer.thread == thread && timer.id == id;
        });
        if (found == all.end())
            return FALSE;
        if (!KillTimer(nullptr, id))
            return FALSE;
        // Freed outside the lock: the closure may own objects whose end takes it.
        work = std::move(found->work);
        all.erase(found);
    }
    return TRUE;
}

}
