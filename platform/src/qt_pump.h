// How the message queue of the Qt application's thread lets Qt run: while that thread
// waits for messages, Qt processes its events (which only leave messages and tasks in
// the queue), and other threads wake it through Qt's event dispatcher.
#ifndef PLATFORM_SRC_QT_PUMP_H
#define PLATFORM_SRC_QT_PUMP_H

#include <cstdint>
#include <optional>

namespace platform::user {

// Whether the calling thread is the thread of the program's Qt application.
bool is_qt_thread();
// Lets Qt handle the events that are waiting, without waiting for more.
void qt_process_pending();
// Lets Qt handle events, waiting for the first one or at most the time given.
void qt_wait(std::optional<uint64_t> milliseconds);
// Wakes the Qt thread out of qt_wait (from any thread).
void qt_wake();

}

#endif
