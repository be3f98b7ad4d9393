// The library lock: one recursive critical section that guards the few tables that
// threads share (the per-thread error table, the message queue, the message ports,
// window closing).
//
// The lock exists from start-up step 2 until unload. Before and after, the library
// runs on its loading thread alone, and Forbid and Permit do nothing: the error table's
// own start-up step and the clean-ups that run after the lock is gone still set codes.

#include "osmark/locks.h"

#include "core/runtime/startup_steps.h"
#include "osmark/exit_list.h"
#include "osmark/library.h"
#include "platform/sync.h"

#include <atomic>

namespace {

CRITICAL_SECTION g_library_lock;
std::atomic<bool> g_library_lock_exists{false};

void delete_library_lock()
{
    g_library_lock_exists.store(false);
    DeleteCriticalSection(&g_library_lock);
}

}

namespace osmark {

void InitialiseForbid()
{
    InitializeCriticalSection(&g_library_lock);
    g_library_lock_exists.store(true);
    AddExitProc(&LibraryExitList, delete_library_lock);
}

}

extern "C" {

OSMARK_API void Forbid(void) noexcept
{
    if (g_library_lock_exists.load())
        EnterCriticalSection(&g_library_lock);
}

OSMARK_API void Permit(void) noexcept
{
    if (g_library_lock_exists.load())
        LeaveCriticalSection(&g_library_lock);
}

}
