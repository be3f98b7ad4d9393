// The state of the user interface behind HWND: window classes, windows, the message
// queues of the threads and the timers.
//
// One lock guards all of it (the "user lock"). It is held only inside short internal
// steps and never while a window procedure, a timer procedure or Qt runs: the API
// functions copy what they need under the lock, let go of it, then call out.
//
// A window handle is a number that names an entry of the window table, never a
// pointer, and numbers are never given out twice: a destroyed or made-up handle is
// refused. The records stay alive while anything holds a shared pointer to them, so a
// window procedure may destroy its own window.
#ifndef PLATFORM_SRC_USER_STATE_H
#define PLATFORM_SRC_USER_STATE_H

#include "platform/kernel.h"
#include "platform/scroll_bars.h"
#include "platform/user_input.h"
#include "platform/user_messages.h"
#include "platform/user_paint.h"
#include "platform/user_windows.h"

#include <QtGui/QImage>
#include <QtGui/QRegion>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace platform::user {

std::mutex& user_mutex();
using UserLock = std::unique_lock<std::mutex>;

// ---- The message clock ---------------------------------------------------------------

// Milliseconds of the clock that message times and timers run on: steady real time
// until a test takes the clock over (advance_clock), from then on only what tests add.
uint64_t clock_now();
bool clock_is_manual();
void advance_clock(uint32_t milliseconds);

// ---- Classes -----------------------------------------------------------------------------

struct WindowClass {
    std::u16string name; // as registered; empty for a class known by atom only
    std::u16string key;  // the name folded for comparison
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC procedure = nullptr;
    int class_extra = 0;
    int window_extra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HICON small_icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    int window_count = 0; // under the user lock
};

// The class of a name or atom, or NULL with ERROR_CLASS_DOES_NOT_EXIST. Under the lock.
std::shared_ptr<WindowClass> find_class(LPCWSTR name);

// ---- Windows ----------------------------------------------------------------------------

class ThreadQueue;

struct ScrollBarState {
    int minimum = 0;
    int maximum = 100;
    UINT page = 0;
    int position = 0;
    int track_position = 0;
    bool tracking = false;
};

enum class ShowState : uint8_t {
    Normal,
    Minimized,
    Maximized
};

struct Window {
    HWND handle = nullptr;
    std::shared_ptr<WindowClass> window_class;
    std::shared_ptr<ThreadQueue> queue;
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    DWORD ex_style = 0;
    HINSTANCE instance = nullptr;
    LONG_PTR id = 0;
    LONG_PTR user_data = 0;
    std::vector<unsigned char> extra;
    std::u16string text;

    // The tree: children in z-order, the topmost first.
    Window* parent = nullptr;
    Window* owner = nullptr;
    std::vector<Window*> children;

    // The window in its parent's client coordinates (screen for top-level windows), and
    // its client area relative to the window's top-left corner.
    RECT rect{0, 0, 0, 0};
    RECT client{0, 0, 0, 0};
    ShowState show_state = ShowState::Normal;
    RECT normal_rect{0, 0, 0, 0};

    bool created = false;    // WM_NCCREATE has been sent
    bool destroying = false; // DestroyWindow has begun
    bool destroyed = false;  // gone from the table

    // Painting (client coordinates).
    QRegion update;
    bool erase_pending = false;
    bool frame_pending = false;
    bool internal_paint = false;
    // The retained pixels of the whole window, opaque 0xFFRRGGBB.
    QImage surface;
    // Window DCs handed out: released by ReleaseDC / EndPaint, deleted with the window.
    struct WindowDC {
        HDC dc = nullptr;
        bool whole_window = false;
        bool paint = false;
        // A DC limited to a region (the paint DC): what it draws elsewhere is put back
        // from `saved` (the client area as it was) when it is released.
        bool limited = false;
        QRegion region;
        QImage saved;
    };
    std::vector<WindowDC> dcs;

    ScrollBarState bars[2];
    bool drop_target = false;

    int width() const { return rect.right - rect.left; }
    int height() const { return rect.bottom - rect.top; }
    int client_width() const { return client.right - client.left; }
    int client_height() const { return client.bottom - client.top; }
    bool is_child() const { return (style & WS_CHILD) != 0; }
};

// The window of a live handle, or NULL with ERROR_INVALID_WINDOW_HANDLE. Under the lock.
Window* window_of(HWND handle);
// The same, keeping the record alive past the lock.
std::shared_ptr<Window> shared_window(HWND handle);
// Adds the window to the table and gives it its handle. Under the lock.
HWND add_window(std::shared_ptr<Window> window);
// Takes the window out of the table; its handle is refused from now on. Under the lock.
void remove_window(Window& window);
// Every live window, in creation order. Under the lock.
std::vector<Window*> all_windows();

// Whether the window and all its ancestors are visible. Under the lock.
bool is_visible(const Window& window);
// Whether `window` is `ancestor` or lies below it. Under the lock.
bool is_in_subtree(const Window* window, const Window* ancestor);
// The top-left corner of the window's client area in screen coordinates. Under the lock.
POINT client_origin_on_screen(const Window& window);
// The window's rectangle in screen coordinates. Under the lock.
RECT window_rect_on_screen(const Window& window);

// Calls a window procedure without the lock; exceptions never reach here (procedures
// are C functions), but a null procedure answers 0.
LRESULT call_procedure(WNDPROC procedure, HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Whether the calling thread owns the window; ERROR_ACCESS_DENIED when not. Under the
// lock.
bool is_owned_by_caller(const Window& window);

// ---- Message queues ------------------------------------------------------------------------

struct QueuedMessage {
    MSG msg{};
    std::u16string typed; // the text a key message typed (for TranslateMessage)
    bool input = false;   // came from Qt input, not from PostMessageW
};

struct SentMessage {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wparam = 0;
    LPARAM lparam = 0;
    LRESULT result = 0;
    bool done = false;
    std::weak_ptr<ThreadQueue> sender;
};

class ThreadQueue {
public:
    std::thread::id thread;
    bool alive = true;

    std::deque<QueuedMessage> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    // Work that Qt event handlers leave for the thread's next look at its queue, so that
    // no window procedure runs inside a Qt event handler.
    std::deque<std::function<void()>> tasks;
    bool quit = false;
    int quit_code = 0;

    // Set when something arrives; cleared by GetMessageW / PeekMessageW (WaitMessage).
    bool changed = false;
    uint64_t last_look = 0;
    std::condition_variable arrived;
    bool waiting_in_qt = false;

    // Thread state of the input.
    HWND focus = nullptr;
    HWND active = nullptr;
    HWND capture = nullptr;
    HWND cursor_window = nullptr;
    BYTE key_state[256] = {};
    MSG last_message{};
    std::u16string last_typed;
    bool last_was_input = false;

    // Wakes the thread if it waits for its queue, and the threads waiting for queues and
    // objects together (MsgWaitForMultipleObjects). Under the lock.
    void wake();
};

// The calling thread's queue, made on first use. Under the lock.
ThreadQueue& current_queue();
std::shared_ptr<ThreadQueue> current_queue_shared();

// Posts a message to the window's queue (or a thread message with window NULL).
// Under the lock.
void post(ThreadQueue& queue, const QueuedMessage& message);
// Posts input that Qt delivered for the window (messages of a window that is gone are
// dropped); the pointer is at `screen`. Takes the lock.
void post_input(HWND window, UINT message, WPARAM wparam, LPARAM lparam, POINT screen,
                std::u16string typed = std::u16string());
// The queue of the window's thread, or NULL. Takes the lock.
std::shared_ptr<ThreadQueue> queue_of(HWND window);
// Leaves work for the queue's thread (from Qt event handlers). Takes the lock.
void post_task(const std::shared_ptr<ThreadQueue>& queue, std::function<void()> task);

// Whether the calling thread's queue holds something of the QS_ kinds asked for (what
// MsgWaitForMultipleObjects asks; every wake() tells its waiters, wait_signals.h).
bool queue_has_input(UINT flags);

// Handles messages sent from other threads and the queue's tasks. Takes the lock.
void handle_incoming(ThreadQueue& queue);

// Drops every queued message of the window. Under the lock.
void drop_messages(const Window& window);

// ---- Timers ------------------------------------------------------------------------------

// The first WM_TIMER due for the queue that passes the filter, or none. With remove
// the timer's next period starts. Under the lock.
std::optional<MSG> take_due_timer(ThreadQueue& queue, HWND filter, UINT first, UINT last,
                                  bool remove);
// Whether (window, id) is a live timer with that procedure. Under the lock.
bool timer_has_procedure(HWND window, UINT_PTR id, TIMERPROC procedure);
// When the queue's next timer is due, if it has any. Under the lock.
std::optional<uint64_t> next_timer_due(const ThreadQueue& queue);
// Stops every timer of the window. Under the lock.
void kill_window_timers(const Window& window);
// Stops every timer of the queue (its thread ends). Under the lock.
void kill_queue_timers(const ThreadQueue& queue);
// A timer whose work runs on the queue's thread when due (used by the Qt side).
void start_internal_timer(const std::shared_ptr<ThreadQueue>& queue, uintptr_t key, uint32_t elapse,
                          std::function<void()> work);
// Runs the queue's due internal timers. Takes the lock.
void run_internal_timers(ThreadQueue& queue);

// ---- Position ------------------------------------------------------------------------------

// Makes the window's top-level window the active one (WM_ACTIVATE).
void activate_window(HWND window);
// Applies a rectangle that Qt has given the window's widget already.
BOOL move_window_from_qt(HWND window, const RECT& rect);

// ---- Painting ------------------------------------------------------------------------------

// The first visible window of the queue that needs painting and passes the filter.
// Under the lock.
Window* window_to_paint(ThreadQueue& queue, HWND filter);
// Sizes the window's surface to its rectangle, keeping the pixels that stay, and points
// its DCs at the new pixels. Under the lock.
void resize_surface(Window& window);
// Deletes the window's DCs. Under the lock.
void delete_window_dcs(Window& window);
// Invalidates (client coordinates) in the window, and in its children as the flags say.
// Under the lock.
void invalidate(Window& window, const QRegion& region, UINT flags);
// Validates what is left after a dispatched WM_PAINT. Takes the lock.
void validate_after_paint(HWND window);

// ---- Metrics ------------------------------------------------------------------------------

// The desktop size that tests set instead of the screens' (0 by 0: the screens').
void set_desktop_size(int width, int height);

// ---- Input ---------------------------------------------------------------------------------

// Keeps the thread's key state as a retrieved message leaves it. Under the lock.
void note_retrieved_input(ThreadQueue& queue, const QueuedMessage& message);
// Updates the asynchronous key state as input arrives. Under the lock.
void note_async_key(int virtual_key, bool down);
// The pointer in screen coordinates. Under the lock.
POINT cursor_position();
void set_cursor_position(POINT point);
// Focus and capture leave a window that goes away. Under the lock.
void forget_input_window(const Window& window);

// The cursors of LoadCursorW.
enum class CursorShape : uint8_t {
    Arrow,
    IBeam,
    Wait,
    Cross,
    UpArrow,
    SizeNWSE,
    SizeNESW,
    SizeWE,
    SizeNS,
    SizeAll,
    No,
    Hand,
    AppStarting,
    Help,
    HSplit,
    VSplit,
};
// The shape of a cursor handle; none for NULL or a handle that is no cursor.
std::optional<CursorShape> shape_of(HCURSOR cursor);
// The cursor last set (SetCursor). Takes no lock.
HCURSOR current_cursor();

// Notes that a scroll bar's thumb is dragged (or no longer) and where it is.
void set_scroll_tracking(HWND window, int bar, bool tracking, int position);

// Whether the DC is one of GetDC(NULL). Under the lock.
bool is_screen_dc(HDC dc);

}

#endif
