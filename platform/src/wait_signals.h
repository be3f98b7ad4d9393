// How a wait for several things at once learns that one of them may have changed.
//
// A thread that waits for several objects (and perhaps its message queue) at once
// cannot block in any single one of them. It sleeps on one process-wide signal
// instead: every change in this process that can end such a wait (a semaphore
// released, a child process ended, a message posted to a thread's queue) calls
// notify_waiters(), and the waiter then looks at its objects again. Changes made by
// other processes send no signal; objects whose state other processes change say so
// (KernelObject::changes_elsewhere) and the waiter looks at them every few
// milliseconds.
#ifndef PLATFORM_SRC_WAIT_SIGNALS_H
#define PLATFORM_SRC_WAIT_SIGNALS_H

#include "platform/win_types.h"

#include <chrono>
#include <cstdint>

namespace platform {

// Tells every thread waiting on the signal that something may have changed.
void notify_waiters() noexcept;

// The signal's count of changes; a waiter reads it before it looks at its objects.
uint64_t wait_generation() noexcept;

// Blocks until the count moves past seen or until the time point, whichever comes
// first.
void wait_for_change(uint64_t seen, std::chrono::steady_clock::time_point until) noexcept;

// The message queues' part in MsgWaitForMultipleObjects: answers whether the calling
// thread's queue holds input of a kind in wake_mask (QS_* bits). The window half of
// the platform installs it, and calls notify_waiters() whenever it queues a message;
// until it is installed no input ever arrives.
using QueueInputCheck = bool (*)(DWORD wake_mask);
void set_queue_input_check(QueueInputCheck check) noexcept;

}

#endif
