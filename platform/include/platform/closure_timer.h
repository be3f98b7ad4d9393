/*
 * Thread timers that call a C++ closure: a windowless SetTimer whose procedure runs the
 * closure on the thread that started it, when its message loop dispatches the timer's
 * WM_TIMER. C++ only.
 */
#ifndef PLATFORM_CLOSURE_TIMER_H
#define PLATFORM_CLOSURE_TIMER_H

#ifndef __cplusplus
#error "platform/closure_timer.h is for C++ callers only"
#endif

#include "platform/api.h"
#include "platform/win_types.h"

#include <functional>

namespace platform {

/*
 * Starts a thread timer that calls `work` every `elapse` milliseconds (bounds as
 * SetTimer). An `id` of 0 starts a new timer; the id of this thread's running closure
 * timer restarts that timer with the new period and closure. Returns the timer's id, 0
 * on failure (no work, or an id that is not a running closure timer of this thread).
 * The closure must not throw; it may kill or restart its own timer.
 */
PLATFORM_API UINT_PTR SetClosureTimer(UINT_PTR id, UINT elapse,
                                      std::function<void()> work) noexcept;
/* Stops the timer and frees its closure. FALSE when this thread has no such timer. */
PLATFORM_API BOOL KillClosureTimer(UINT_PTR id) noexcept;

}

#endif
