// The message queue of each thread: SendMessageW, PostMessageW, PostQuitMessage,
// GetMessageW, PeekMessageW, TranslateMessage, DispatchMessageW, WaitMessage and the
// queue's status.

#include "make_win32_error.h"
#include "qt_pump.h"
#include "wait_signals.h"
#include "user_state.h"

#include <algorithm>
#include <chrono>
#include <new>

namespace platform::user {
namespace {

// A thread's queue, and what happens to its windows when the thread ends: they go away
// without messages (nothing can handle them any more), and threads waiting for a
// message sent to it stop waiting.
struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue;
    ~QueueHolder();
};

thread_local QueueHolder t_holder;

// MsgWaitForMultipleObjects learns of the queues' input through this check.
[[maybe_unused]] const bool g_input_check_installed = [] {
    set_queue_input_check([](DWORD wake_mask) { return queue_has_input(wake_mask); });
    return true;
}();

void forget_window_silently(Window& window)
{
    for (Window* child : window.children) {
        child->parent = nullptr;
        forget_window_silently(*child);
    }
    window.children.clear();
    if (window.parent != nullptr)
        std::erase(window.parent->children, &window);
    window.parent = nullptr;
    window.owner = nullptr;
    kill_window_timers(window);
    forget_input_window(window);
    delete_window_dcs(window);
    --window.window_class->window_count;
    remove_window(window);
}

QueueHolder::~QueueHolder()
{
    if (queue == nullptr)
        return;
    const UserLock lock(user_mutex());
    queue->alive = false;
    std::vector<HWND> roots;
    for (const Window* window : all_windows()) {
        if (window->queue == queue && (window->parent == nullptr || window->parent->queue != queue))
            roots.push_back(window->handle);
    }
    for (HWND root : roots) {
        if (Window* window = window_of(root); window != nullptr)
            forget_window_silently(*window);
    }
    for (const std::shared_ptr<SentMessage>& sent : queue->sent) {
        sent->done = true;
        if (const std::shared_ptr<ThreadQueue> sender = sent->sender.lock())
            sender->arrived.notify_all();
    }
    queue->sent.clear();
    kill_queue_timers(*queue);
    queue->posted.clear();
    queue->tasks.clear();
}

bool passes_range(UINT message, UINT first, UINT last)
{
    if (first == 0 && last == 0)
        return true;
    return message >= first && message <= last;
}

const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

bool passes_window(HWND window, HWND filter)
{
    if (filter == nullptr)
        return true;
    if (filter == kThreadMessagesOnly)
        return window == nullptr;
    return window == filter;
}

DWORD message_time()
{
    return static_cast<DWORD>(clock_now());
}

// The queue kinds (QS_*) of a queued message.
UINT kind_of(const QueuedMessage& message)
{
    if (!message.input)
        return QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    const UINT number = message.msg.message;
    if (number >= WM_KEYFIRST && number <= WM_KEYLAST)
        return QS_KEY;
    if (number == WM_MOUSEMOVE || number == WM_NCMOUSEMOVE)
        return QS_MOUSEMOVE;
    return QS_MOUSEBUTTON;
}

// The QS_ kinds that the queue holds now. Under the lock.
UINT queue_kinds(ThreadQueue& queue)
{
    UINT kinds = 0;
    for (const QueuedMessage& message : queue.posted)
        kinds |= kind_of(message);
    if (queue.quit)
        kinds |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    if (!queue.sent.empty())
        kinds |= QS_SENDMESSAGE;
    if (window_to_paint(queue, nullptr) != nullptr)
        kinds |= QS_PAINT;
    if (const std::optional<uint64_t> due = next_timer_due(queue);
        due.has_value() && *due <= clock_now())
        kinds |= QS_TIMER;
    return kinds;
}

void note_retrieved(ThreadQueue& queue, const QueuedMessage& message)
{
    queue.last_message = message.msg;
    queue.last_typed = message.typed;
    queue.last_was_input = message.input;
    note_retrieved_input(queue, message);
}

// Finds the next message for the filter: posted messages and input, WM_QUIT, WM_PAINT,
// WM_TIMER. Under the lock.
bool peek_locked(ThreadQueue& queue, MSG& out, HWND filter, UINT first, UINT last, bool remove)
{
    for (auto it = queue.posted.begin(); it != queue.posted.end();) {
        // Messages of windows that are gone are dropped here at the latest.
        if (it->msg.hwnd != nullptr && window_of(it->msg.hwnd) == nullptr) {
            it = queue.posted.erase(it);
            continue;
        }
        if (passes_window(it->msg.hwnd, filter) && passes_range(it->msg.message, first, last)) {
            out = it->msg;
            if (remove) {
                const QueuedMessage taken = std::move(*it);
                queue.posted.erase(it);
                note_retrieved(queue, taken);
            } else {
                queue.last_message = out;
            }
            return true;
        }
        ++it;
    }
    if (queue.quit && (filter == nullptr || filter == kThreadMessagesOnly) &&
        passes_range(WM_QUIT, first, last)) {
        out = MSG{};
        out.message = WM_QUIT;
        out.wParam = static_cast<WPARAM>(queue.quit_code);
        out.time = message_time();
        out.pt = cursor_position();
        if (remove)
            queue.quit = false;
        queue.last_message = out;
        return true;
    }
    if (passes_range(WM_PAINT, first, last)) {
        if (Window* window = window_to_paint(queue, filter); window != nullptr) {
            out = MSG{};
            out.hwnd = window->handle;
            out.message = WM_PAINT;
            out.time = message_time();
            out.pt = cursor_position();
            queue.last_message = out;
            return true;
        }
    }
    if (const std::optional<MSG> timer = take_due_timer(queue, filter, first, last, remove);
        timer.has_value()) {
        out = *timer;
        out.time = message_time();
        out.pt = cursor_position();
        queue.last_message = out;
        return true;
    }
    return false;
}

bool is_valid_filter(HWND filter)
{
    if (filter == nullptr || filter == kThreadMessagesOnly)
        return true;
    const Window* window = window_of(filter);
    return window != nullptr && window->queue.get() == &current_queue();
}

// Waits until something arrives or the next timer is due. Under the lock, which it
// lets go of while waiting.
void wait_for_arrival(ThreadQueue& queue, UserLock& lock)
{
    std::optional<uint64_t> wait;
    if (!clock_is_manual()) {
        if (const std::optional<uint64_t> due = next_timer_due(queue); due.has_value()) {
            const uint64_t now = clock_now();
            wait = *due > now ? *due - now : 0;
        }
    }
    if (wait.has_value() && *wait == 0)
        return;
    if (is_qt_thread()) {
        queue.waiting_in_qt = true;
        lock.unlock();
        qt_wait(wait);
        lock.lock();
        queue.waiting_in_qt = false;
        return;
    }
    if (wait.has_value())
        queue.arrived.wait_for(lock, std::chrono::milliseconds(*wait),
                               [&] { return queue.changed; });
    else
        queue.arrived.wait(lock, [&] { return queue.changed; });
}

// GetMessageW and PeekMessageW: -1 for a bad filter, 1 for a message, 0 for none.
int retrieve(MSG* out, HWND filter, UINT first, UINT last, bool remove, bool wait)
{
    const std::shared_ptr<ThreadQueue> owner = [] {
        const UserLock lock(user_mutex());
        return current_queue_shared();
    }();
    ThreadQueue& queue = *owner;
    for (;;) {
        handle_incoming(queue);
        run_internal_timers(queue);
        qt_process_pending();
        handle_incoming(queue);
        UserLock lock(user_mutex());
        if (!is_valid_filter(filter))
            return -1;
        const bool found = peek_locked(queue, *out, filter, first, last, remove);
        queue.changed = false;
        queue.last_look = clock_now();
        if (found) {
            // The window under the pointer chooses the cursor before it hears of the
            // mouse, unless a window has the capture.
            const UINT number = out->message;
            if (remove && queue.last_was_input && queue.capture == nullptr &&
                number >= WM_MOUSEFIRST && number <= WM_MBUTTONDBLCLK) {
                queue.cursor_window = out->hwnd;
                lock.unlock();
                SendMessageW(out->hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(out->hwnd),
                             MAKELPARAM(HTCLIENT, number));
            }
            return 1;
        }
        if (!wait)
            return 0;
        if (!queue.sent.empty() || !queue.tasks.empty())
            continue;
        wait_for_arrival(queue, lock);
    }
}

// Fallback for TranslateMessage when the key came without text from Qt (a message
// posted or sent by code): the character the key types on a plain keyboard layout.
char16_t character_of_key(const ThreadQueue& queue, WPARAM key)
{
    const bool shift = (queue.key_state[VK_SHIFT] & 0x80) != 0;
    const bool control = (queue.key_state[VK_CONTROL] & 0x80) != 0;
    const bool caps = (queue.key_state[VK_CAPITAL] & 0x01) != 0;
    if (key >= 'A' && key <= 'Z') {
        if (control)
            return static_cast<char16_t>(key - 'A' + 1);
        return static_cast<char16_t>(shift != caps ? key : key - 'A' + 'a');
    }
    if (key >= '0' && key <= '9' && !shift)
        return static_cast<char16_t>(key);
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9)
        return static_cast<char16_t>(key - VK_NUMPAD0 + '0');
    switch (key) {
    case VK_SPACE:
        return u' ';
    case VK_RETURN:
        return u'\r';
    case VK_BACK:
        return 8;
    case VK_TAB:
        return 9;
    case VK_ESCAPE:
        return 27;
    case VK_ADD:
        return u'+';
    case VK_SUBTRACT:
        return u'-';
    case VK_MULTIPLY:
        return u'*';
    case VK_DIVIDE:
        return u'/';
    case VK_DECIMAL:
        return u'.';
    default:
        return 0;
    }
}

}

// ---- The queue and its thread ------------------------------------------------------------

ThreadQueue& current_queue()
{
    return *current_queue_shared();
}

std::shared_ptr<ThreadQueue> current_queue_shared()
{
    if (t_holder.queue == nullptr) {
        t_holder.queue = std::make_shared<ThreadQueue>();
        t_holder.queue->thread = std::this_thread::get_id();
    }
    return t_holder.queue;
}

void ThreadQueue::wake()
{
    changed = true;
    arrived.notify_all();
    if (waiting_in_qt)
        qt_wake();
    notify_waiters();
}

void post(ThreadQueue& queue, const QueuedMessage& message)
{
    queue.posted.push_back(message);
    queue.wake();
}

void post_input(HWND handle, UINT message, WPARAM wparam, LPARAM lparam, POINT screen,
                std::u16string typed)
{
    const UserLock lock(user_mutex());
    const Window* window = window_of(handle);
    if (window == nullptr || !window->queue->alive)
        return;
    set_cursor_position(screen);
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
        note_async_key(static_cast<int>(wparam), true);
    else if (message == WM_KEYUP || message == WM_SYSKEYUP)
        note_async_key(static_cast<int>(wparam), false);
    QueuedMessage queued;
    queued.msg.hwnd = handle;
    queued.msg.message = message;
    queued.msg.wParam = wparam;
    queued.msg.lParam = lparam;
    queued.msg.time = message_time();
    queued.msg.pt = screen;
    queued.typed = std::move(typed);
    queued.input = true;
    post(*window->queue, queued);
}

std::shared_ptr<ThreadQueue> queue_of(HWND handle)
{
    const UserLock lock(user_mutex());
    const Window* window = window_of(handle);
    return window != nullptr ? window->queue : nullptr;
}

void post_task(const std::shared_ptr<ThreadQueue>& queue, std::function<void()> task)
{
    const UserLock lock(user_mutex());
    if (queue == nullptr || !queue->alive)
        return;
    queue->tasks.push_back(std::move(task));
    queue->wake();
}

bool queue_has_input(UINT flags)
{
    const UserLock lock(user_mutex());
    return (queue_kinds(current_queue()) & flags) != 0;
}

void drop_messages(const Window& window)
{
    if (window.queue == nullptr)
        return;
    std::erase_if(window.queue->posted,
                  [&](const QueuedMessage& message) { return message.msg.hwnd == window.handle; });
}

namespace {

// Handles one message sent from another thread; false when there is none.
bool handle_one_sent(ThreadQueue& queue)
{
    UserLock lock(user_mutex());
    if (queue.sent.empty())
        return false;
    const std::shared_ptr<SentMessage> sent = queue.sent.front();
    queue.sent.pop_front();
    WNDPROC procedure = nullptr;
    if (const Window* window = window_of(sent->window);
        window != nullptr && window->queue.get() == &queue)
        procedure = window->procedure;
    lock.unlock();
    const LRESULT result =
        call_procedure(procedure, sent->window, sent->message, sent->wparam, sent->lparam);
    lock.lock();
    sent->result = result;
    sent->done = true;
    if (const std::shared_ptr<ThreadQueue> sender = sent->sender.lock())
        sender->arrived.notify_all();
    return true;
}

}

void handle_incoming(ThreadQueue& queue)
{
    for (;;) {
        if (handle_one_sent(queue))
            continue;
        std::function<void()> task;
        {
            const UserLock lock(user_mutex());
            if (queue.tasks.empty())
                return;
            task = std::move(queue.tasks.front());
            queue.tasks.pop_front();
        }
        task();
    }
}

}

using namespace platform::user;

extern "C" {

PLATFORM_API LRESULT SendMessageW(HWND handle, UINT message, WPARAM wparam, LPARAM lparam) noexcept
{
    try {
        UserLock lock(user_mutex());
        const Window* window = window_of(handle);
        if (window == nullptr)
            return 0;
        if (window->queue->thread == std::this_thread::get_id()) {
            const WNDPROC procedure = window->procedure;
            lock.unlock();
            return call_procedure(procedure, handle, message, wparam, lparam);
        }
        // Another thread's window: its thread handles the message when it looks at its
        // queue; meanwhile this thread handles what others send to it.
        const std::shared_ptr<ThreadQueue> target = window->queue;
        const std::shared_ptr<ThreadQueue> mine = current_queue_shared();
        auto sent = std::make_shared<SentMessage>();
        sent->window = handle;
        sent->message = message;
        sent->wparam = wparam;
        sent->lparam = lparam;
        sent->sender = mine;
        target->sent.push_back(sent);
        target->wake();
        while (!sent->done && target->alive) {
            if (!mine->sent.empty()) {
                lock.unlock();
                while (handle_one_sent(*mine)) {
                }
                lock.lock();
                continue;
            }
            mine->arrived.wait(lock,
                               [&] { return sent->done || !target->alive || !mine->sent.empty(); });
        }
        return sent->done ? sent->result : 0;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

PLATFORM_API BOOL PostMessageW(HWND handle, UINT message, WPARAM wparam, LPARAM lparam) noexcept
{
    try {
        const UserLock lock(user_mutex());
        ThreadQueue* queue = nullptr;
        if (handle == nullptr) {
            queue = &current_queue();
        } else {
            const Window* window = window_of(handle);
            if (window == nullptr)
                return FALSE;
            queue = window->queue.get();
        }
        if (!queue->alive) {
            platform::make_win32_error(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        QueuedMessage queued;
        queued.msg.hwnd = handle;
        queued.msg.message = message;
        queued.msg.wParam = wparam;
        queued.msg.lParam = lparam;
        queued.msg.time = message_time();
        queued.msg.pt = cursor_position();
        post(*queue, queued);
        return TRUE;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

PLATFORM_API void PostQuitMessage(int exit_code) noexcept
{
    try {
        const UserLock lock(user_mutex());
        ThreadQueue& queue = current_queue();
        queue.quit = true;
        queue.quit_code = exit_code;
        queue.wake();
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API BOOL GetMessageW(LPMSG message, HWND window, UINT first, UINT last) noexcept
{
    if (message == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return -1;
    }
    try {
        const int result = retrieve(message, window, first, last, true, true);
        if (result < 0)
            return -1;
        return message->message == WM_QUIT ? FALSE : TRUE;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return -1;
    }
}

PLATFORM_API BOOL PeekMessageW(LPMSG message, HWND window, UINT first, UINT last,
                               UINT remove) noexcept
{
    if (message == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    try {
        return retrieve(message, window, first, last, (remove & PM_REMOVE) != 0, false) > 0 ? TRUE
                                                                                            : FALSE;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

PLATFORM_API BOOL TranslateMessage(const MSG* message) noexcept
{
    if (message == nullptr || (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN))
        return FALSE;
    try {
        const UserLock lock(user_mutex());
        ThreadQueue& queue = current_queue();
        const MSG& last = queue.last_message;
        std::u16string typed;
        // Qt said what the key typed; for a key message made by code the key's own
        // character stands in.
        if (queue.last_was_input && last.hwnd == message->hwnd &&
            last.message == message->message && last.wParam == message->wParam &&
            last.lParam == message->lParam && last.time == message->time) {
            typed = queue.last_typed;
        } else if (const char16_t character = character_of_key(queue, message->wParam);
                   character != 0) {
            typed.push_back(character);
        }
        const UINT char_message = message->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
        // The characters come next, ahead of what was queued after the key.
        for (auto unit = typed.rbegin(); unit != typed.rend(); ++unit) {
            QueuedMessage queued;
            queued.msg.hwnd = message->hwnd;
            queued.msg.message = char_message;
            queued.msg.wParam = *unit;
            queued.msg.lParam = message->lParam;
            queued.msg.time = message->time;
            queued.msg.pt = message->pt;
            queued.input = true;
            queue.posted.push_front(queued);
        }
        if (!typed.empty())
            queue.wake();
        return TRUE;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

PLATFORM_API LRESULT DispatchMessageW(const MSG* message) noexcept
{
    if (message == nullptr)
        return 0;
    WNDPROC procedure = nullptr;
    TIMERPROC timer_procedure = nullptr;
    {
        const UserLock lock(user_mutex());
        if (message->message == WM_TIMER && message->lParam != 0) {
            // Only the procedure of a live timer is called: lParam is not a pointer to
            // trust otherwise.
            const auto wanted = reinterpret_cast<TIMERPROC>(message->lParam);
            if (!timer_has_procedure(message->hwnd, message->wParam, wanted))
                return 0;
            timer_procedure = wanted;
        }
        if (message->hwnd != nullptr) {
            const Window* window = window_of(message->hwnd);
            if (window == nullptr || !is_owned_by_caller(*window))
                return 0;
            procedure = window->procedure;
        } else if (timer_procedure == nullptr) {
            return 0;
        }
    }
    if (timer_procedure != nullptr) {
        timer_procedure(message->hwnd, WM_TIMER, message->wParam, static_cast<DWORD>(clock_now()));
        return 0;
    }
    const LRESULT result = call_procedure(procedure, message->hwnd, message->message,
                                          message->wParam, message->lParam);
    if (message->message == WM_PAINT)
        validate_after_paint(message->hwnd);
    return result;
}

PLATFORM_API BOOL WaitMessage(void) noexcept
{
    try {
        const std::shared_ptr<ThreadQueue> owner = [] {
            const UserLock lock(user_mutex());
            return current_queue_shared();
        }();
        ThreadQueue& queue = *owner;
        for (;;) {
            handle_incoming(queue);
            run_internal_timers(queue);
            qt_process_pending();
            UserLock lock(user_mutex());
            if (queue.changed)
                return TRUE;
            // A timer that fell due since the last look counts as new.
            if (const std::optional<uint64_t> due = next_timer_due(queue);
                due.has_value() && *due <= clock_now() && *due > queue.last_look)
                return TRUE;
            if (!queue.sent.empty() || !queue.tasks.empty())
                continue;
            wait_for_arrival(queue, lock);
        }
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

PLATFORM_API DWORD GetMessagePos(void) noexcept
{
    try {
        const UserLock lock(user_mutex());
        const POINT pt = current_queue().last_message.pt;
        return static_cast<DWORD>(MAKELONG(pt.x, pt.y));
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

PLATFORM_API LONG GetMessageTime(void) noexcept
{
    try {
        const UserLock lock(user_mutex());
        return static_cast<LONG>(current_queue().last_message.time);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

PLATFORM_API DWORD GetQueueStatus(UINT flags) noexcept
{
    try {
        const UserLock lock(user_mutex());
        const UINT kinds = queue_kinds(current_queue()) & flags & 0xFFFFu;
        return static_cast<DWORD>(kinds) << 16;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}
}
