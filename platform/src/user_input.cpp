// Keyboard focus, activation, mouse capture, key state and the cursor.

#include "make_win32_error.h"
#include "qt_backing.h"
#include "user_state.h"

#include <QtCore/QString>

#include <array>
#include <atomic>
#include <new>

namespace platform::user {
namespace {

// Global input state: the pointer, the cursor shown and the keys as they arrived.
struct InputState {
    POINT cursor{0, 0};
    BYTE async_keys[256] = {};
    BYTE pressed_since_asked[256] = {};
};

InputState& input_state()
{
    static auto* state = new InputState;
    return *state;
}

std::atomic<HCURSOR> g_cursor{nullptr};

struct CursorRecord {
    CursorShape shape;
    WORD id; // the IDC_ number, or 0 for the named ones
    const char16_t* name;
};

constexpr std::array<CursorRecord, 16> kCursors{{
    {CursorShape::Arrow, 32512, nullptr},
    {CursorShape::IBeam, 32513, nullptr},
    {CursorShape::Wait, 32514, nullptr},
    {CursorShape::Cross, 32515, nullptr},
    {CursorShape::UpArrow, 32516, nullptr},
    {CursorShape::SizeNWSE, 32642, nullptr},
    {CursorShape::SizeNESW, 32643, nullptr},
    {CursorShape::SizeWE, 32644, nullptr},
    {CursorShape::SizeNS, 32645, nullptr},
    {CursorShape::SizeAll, 32646, nullptr},
    {CursorShape::No, 32648, nullptr},
    {CursorShape::Hand, 32649, nullptr},
    {CursorShape::AppStarting, 32650, nullptr},
    {CursorShape::Help, 32651, nullptr},
    {CursorShape::HSplit, 0, u"HSPLIT"},
    {CursorShape::VSplit, 0, u"VSPLIT"},
}};

HCURSOR handle_of(const CursorRecord& record)
{
    return reinterpret_cast<HCURSOR>(const_cast<CursorRecord*>(&record));
}

// The generic key of a left or right one, which Win32's key state keeps as well.
int generic_key(int key)
{
    switch (key) {
    case VK_LSHIFT:
    case VK_RSHIFT:
        return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
        return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
        return VK_MENU;
    default:
        return key;
    }
}

void set_key(BYTE* keys, int key, bool down)
{
    for (const int k : {key, generic_key(key)}) {
        BYTE& state = keys[k & 0xFF];
        // A press toggles; a repeated press (already down) does not.
        if (down && (state & 0x80) == 0)
            state ^= 0x01;
        state = static_cast<BYTE>(down ? state | 0x80 : state & ~0x80);
    }
}

HWND live(HWND handle)
{
    return handle != nullptr && window_of(handle) != nullptr ? handle : nullptr;
}

}

// ---- Shared with the rest of the user interface ---------------------------------------

void note_retrieved_input(ThreadQueue& queue, const QueuedMessage& message)
{
    const MSG& msg = message.msg;
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        set_key(queue.key_state, static_cast<int>(msg.wParam), true);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        set_key(queue.key_state, static_cast<int>(msg.wParam), false);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        set_key(queue.key_state, VK_LBUTTON, true);
        break;
    case WM_LBUTTONUP:
        set_key(queue.key_state, VK_LBUTTON, false);
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        set_key(queue.key_state, VK_RBUTTON, true);
        break;
    case WM_RBUTTONUP:
        set_key(queue.key_state, VK_RBUTTON, false);
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        set_key(queue.key_state, VK_MBUTTON, true);
        break;
    case WM_MBUTTONUP:
        set_key(queue.key_state, VK_MBUTTON, false);
        break;
    default:
        break;
    }
}

void note_async_key(int virtual_key, bool down)
{
    InputState& state = input_state();
    set_key(state.async_keys, virtual_key, down);
    if (down) {
        state.pressed_since_asked[virtual_key & 0xFF] = 1;
        state.pressed_since_asked[generic_key(virtual_key) & 0xFF] = 1;
    }
}

POINT cursor_position()
{
    return input_state().cursor;
}

void set_cursor_position(POINT point)
{
    input_state().cursor = point;
}

void forget_input_window(const Window& window)
{
    ThreadQueue& queue = *window.queue;
    if (queue.focus == window.handle)
        queue.focus = nullptr;
    if (queue.capture == window.handle)
        queue.capture = nullptr;
    if (queue.active == window.handle)
        queue.active = nullptr;
    if (queue.cursor_window == window.handle)
        queue.cursor_window = nullptr;
}

std::optional<CursorShape> shape_of(HCURSOR cursor)
{
    for (const CursorRecord& record : kCursors) {
        if (handle_of(record) == cursor)
            return record.shape;
    }
    return std::nullopt;
}

HCURSOR current_cursor()
{
    return g_cursor.load();
}

}

using namespace platform::user;

extern "C" {

PLATFORM_API HWND SetFocus(HWND handle) noexcept
{
    HWND previous = nullptr;
    try {
        {
            const UserLock lock(user_mutex());
            ThreadQueue& queue = current_queue();
            previous = live(queue.focus);
            if (handle != nullptr) {
                const Window* window = window_of(handle);
                if (window == nullptr || !is_owned_by_caller(*window))
                    return nullptr;
                if ((window->style & WS_DISABLED) != 0)
                    return nullptr;
            }
            if (handle == previous)
                return previous;
        }
        if (handle != nullptr)
            activate_window(handle);
        {
            // Activation may have moved the focus already.
            const UserLock lock(user_mutex());
            ThreadQueue& queue = current_queue();
            previous = live(queue.focus);
            if (handle == previous)
                return previous;
            queue.focus = handle;
        }
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    backing_focus(handle);
    if (previous != nullptr)
        SendMessageW(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(handle), 0);
    if (handle != nullptr && GetFocus() == handle)
        SendMessageW(handle, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

PLATFORM_API HWND GetFocus(void) noexcept
{
    try {
        const UserLock lock(user_mutex());
        return live(current_queue().focus);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

PLATFORM_API HWND GetActiveWindow(void) noexcept
{
    try {
        const UserLock lock(user_mutex());
        return live(current_queue().active);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

PLATFORM_API HWND SetCapture(HWND handle) noexcept
{
    HWND previous = nullptr;
    try {
        const UserLock lock(user_mutex());
        const Window* window = window_of(handle);
        if (window == nullptr || !is_owned_by_caller(*window))
            return nullptr;
        ThreadQueue& queue = current_queue();
        previous = live(queue.capture);
        queue.capture = handle;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (previous != nullptr && previous != handle)
        SendMessageW(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(handle));
    return previous;
}

PLATFORM_API BOOL ReleaseCapture(void) noexcept
{
    HWND previous = nullptr;
    try {
        const UserLock lock(user_mutex());
        ThreadQueue& queue = current_queue();
        previous = live(queue.capture);
        queue.capture = nullptr;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    if (previous != nullptr)
        SendMessageW(previous, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

PLATFORM_API HWND GetCapture(void) noexcept
{
    try {
        const UserLock lock(user_mutex());
        return live(current_queue().capture);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

PLATFORM_API SHORT GetKeyState(int virtual_key) noexcept
{
    try {
        const UserLock lock(user_mutex());
        const BYTE state = current_queue().key_state[virtual_key & 0xFF];
        return static_cast<SHORT>(((state & 0x80) != 0 ? 0xFF80 : 0) | (state & 0x01));
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

PLATFORM_API SHORT GetAsyncKeyState(int virtual_key) noexcept
{
    const UserLock lock(user_mutex());
    InputState& state = input_state();
    const BYTE key = state.async_keys[virtual_key & 0xFF];
    const BYTE pressed = std::exchange(state.pressed_since_asked[virtual_key & 0xFF], BYTE{0});
    return static_cast<SHORT>(((key & 0x80) != 0 ? 0x8000 : 0) | pressed);
}

PLATFORM_API BOOL GetCursorPos(LPPOINT point) noexcept
{
    if (point == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const UserLock lock(user_mutex());
    *point = cursor_position();
    return TRUE;
}

PLATFORM_API BOOL SetCursorPos(int x, int y) noexcept
{
    {
        const UserLock lock(user_mutex());
        set_cursor_position(POINT{x, y});
    }
    backing_cursor_position(POINT{x, y});
    return TRUE;
}

PLATFORM_API HCURSOR LoadCursorW(HINSTANCE /*instance*/, LPCWSTR name) noexcept
{
    if (name == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    try {
        for (const CursorRecord& record : kCursors) {
            if (IS_INTRESOURCE(name)) {
                if (record.id != 0 &&
                    record.id == static_cast<WORD>(reinterpret_cast<uintptr_t>(name)))
                    return handle_of(record);
            } else if (record.name != nullptr &&
                       QString::fromUtf16(name).compare(QString::fromUtf16(record.name),
                                                        Qt::CaseInsensitive) == 0) {
                return handle_of(record);
            }
        }
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    platform::make_win32_error(ERROR_INVALID_PARAMETER);
    return nullptr;
}

PLATFORM_API HCURSOR SetCursor(HCURSOR cursor) noexcept
{
    const HCURSOR previous = g_cursor.exchange(cursor);
    HWND window = nullptr;
    try {
        const UserLock lock(user_mutex());
        window = live(current_queue().cursor_window);
    } catch (const std::bad_alloc&) {
        return previous;
    }
    if (window != nullptr)
        backing_cursor(window, cursor);
    return previous;
}

PLATFORM_API HCURSOR GetCursor(void) noexcept
{
    return g_cursor.load();
}

PLATFORM_API UINT GetDoubleClickTime(void) noexcept
{
    return 500;
}
}
