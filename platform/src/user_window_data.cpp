// The fields and relations of a window: the window tree, GetWindowLongPtrW and
// SetWindowLongPtrW, enabling, and the window text.

#include "make_win32_error.h"
#include "qt_backing.h"
#include "user_state.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace platform::user {
namespace {

using platform::make_win32_error;

HWND handle_of(const Window* window)
{
    return window != nullptr ? window->handle : nullptr;
}

// Reads or writes a slot of the window's extra bytes; false when it does not fit.
template <typename T>
bool extra_slot(Window& window, int index, T* read, const T* write)
{
    if (index < 0 || static_cast<size_t>(index) + sizeof(T) > window.extra.size()) {
        make_win32_error(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (read != nullptr)
        std::memcpy(read, window.extra.data() + index, sizeof(T));
    if (write != nullptr)
        std::memcpy(window.extra.data() + index, write, sizeof(T));
    return true;
}

std::optional<LONG_PTR> get_field(const Window& window, int index)
{
    switch (index) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(window.procedure);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(window.instance);
    case GWLP_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>(
            handle_of(window.is_child() ? window.parent : window.owner));
    case GWLP_ID:
        return window.id;
    case GWL_STYLE:
        return static_cast<LONG_PTR>(window.style);
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(window.ex_style);
    case GWLP_USERDATA:
        return window.user_data;
    default:
        return std::nullopt;
    }
}

// Sets a style through WM_STYLECHANGING / WM_STYLECHANGED; returns the old one.
LONG_PTR set_style(HWND handle, int index, DWORD wanted)
{
    STYLESTRUCT change{};
    {
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr)
            return 0;
        change.styleOld = index == GWL_STYLE ? window->style : window->ex_style;
    }
    change.styleNew = wanted;
    SendMessageW(handle, WM_STYLECHANGING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&change));
    bool visibility_changed = false;
    {
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr)
            return 0;
        if (index == GWL_STYLE) {
            visibility_changed = ((window->style ^ change.styleNew) & WS_VISIBLE) != 0;
            window->style = change.styleNew;
            if (visibility_changed && (change.styleNew & WS_VISIBLE) != 0)
                invalidate(*window, QRegion(0, 0, window->client_width(), window->client_height()),
                           RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
            else if (visibility_changed)
                window->update = QRegion();
        } else {
            window->ex_style = change.styleNew;
        }
    }
    SendMessageW(handle, WM_STYLECHANGED, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&change));
    if (visibility_changed)
        backing_geometry_changed(handle);
    return static_cast<LONG_PTR>(change.styleOld);
}

LONG_PTR set_window_long(HWND handle, int index, LONG_PTR value, bool wide)
{
    if (index == GWL_STYLE || index == GWL_EXSTYLE)
        return set_style(handle, index, static_cast<DWORD>(value));
    if (index == GWLP_HWNDPARENT) {
        // Sets the owner of a top-level window (the parent of a child stays).
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr)
            return 0;
        const LONG_PTR previous = reinterpret_cast<LONG_PTR>(
            handle_of(window->is_child() ? window->parent : window->owner));
        if (!window->is_child()) {
            Window* owner = value != 0 ? window_of(reinterpret_cast<HWND>(value)) : nullptr;
            if (value != 0 && owner == nullptr)
                return 0;
            window->owner = owner;
        }
        return previous;
    }
    const UserLock lock(user_mutex());
    Window* window = window_of(handle);
    if (window == nullptr)
        return 0;
    if (index >= 0) {
        if (wide) {
            LONG_PTR previous = 0;
            return extra_slot<LONG_PTR>(*window, index, &previous, &value) ? previous : 0;
        }
        LONG previous = 0;
        const auto narrow = static_cast<LONG>(value);
        return extra_slot<LONG>(*window, index, &previous, &narrow) ? previous : 0;
    }
    LONG_PTR previous = 0;
    switch (index) {
    case GWLP_WNDPROC:
        if (value == 0) {
            make_win32_error(ERROR_INVALID_PARAMETER);
            return 0;
        }
        previous = reinterpret_cast<LONG_PTR>(window->procedure);
        window->procedure = reinterpret_cast<WNDPROC>(value);
        return previous;
    case GWLP_HINSTANCE:
        previous = reinterpret_cast<LONG_PTR>(window->instance);
        window->instance = reinterpret_cast<HINSTANCE>(value);
        return previous;
    case GWLP_ID:
        return std::exchange(window->id, value);
    case GWLP_USERDATA:
        return std::exchange(window->user_data, value);
    default:
        make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
}

LONG_PTR get_window_long(HWND handle, int index, bool wide)
{
    const UserLock lock(user_mutex());
    Window* window = window_of(handle);
    if (window == nullptr)
        return 0;
    if (index >= 0) {
        if (wide) {
            LONG_PTR value = 0;
            extra_slot<LONG_PTR>(*window, index, &value, nullptr);
            return value;
        }
        LONG value = 0;
        extra_slot<LONG>(*window, index, &value, nullptr);
        return value;
    }
    if (const std::optional<LONG_PTR> value = get_field(*window, index); value.has_value())
        return *value;
    make_win32_error(ERROR_INVALID_PARAMETER);
    return 0;
}

}

}

using namespace platform::user;

extern "C" {

PLATFORM_API BOOL IsWindow(HWND handle) noexcept
{
    const UserLock lock(user_mutex());
    return window_of(handle) != nullptr ? TRUE : FALSE;
}

PLATFORM_API BOOL IsWindowVisible(HWND handle) noexcept
{
    const UserLock lock(user_mutex());
    const Window* window = window_of(handle);
    return window != nullptr && is_visible(*window) ? TRUE : FALSE;
}

PLATFORM_API BOOL IsWindowEnabled(HWND handle) noexcept
{
    const UserLock lock(user_mutex());
    const Window* window = window_of(handle);
    return window != nullptr && (window->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

PLATFORM_API BOOL EnableWindow(HWND handle, BOOL enable) noexcept
{
    bool was_disabled = false;
    {
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr || !is_owned_by_caller(*window))
            return FALSE;
        was_disabled = (window->style & WS_DISABLED) != 0;
        if (was_disabled == (enable == FALSE))
            return was_disabled ? TRUE : FALSE;
        if (enable != FALSE)
            window->style &= ~WS_DISABLED;
        else
            window->style |= WS_DISABLED;
        // A disabled window gives up the focus and the capture.
        if (enable == FALSE && window->queue->capture == handle)
            window->queue->capture = nullptr;
    }
    if (enable == FALSE && GetFocus() == handle)
        SetFocus(nullptr);
    SendMessageW(handle, WM_ENABLE, enable != FALSE ? TRUE : FALSE, 0);
    backing_enabled(handle);
    return was_disabled ? TRUE : FALSE;
}

PLATFORM_API BOOL IsChild(HWND parent, HWND child) noexcept
{
    const UserLock lock(user_mutex());
    const Window* ancestor = window_of(parent);
    const Window* window = window_of(child);
    if (ancestor == nullptr || window == nullptr || window == ancestor)
        return FALSE;
    for (const Window* w = window; w != nullptr && w->is_child(); w = w->parent) {
        if (w->parent == ancestor)
            return TRUE;
    }
    return FALSE;
}

PLATFORM_API HWND GetParent(HWND handle) noexcept
{
    const UserLock lock(user_mutex());
    const Window* window = window_of(handle);
    if (window == nullptr)
        return nullptr;
    return handle_of(window->is_child() ? window->parent : window->owner);
}

PLATFORM_API HWND SetParent(HWND handle, HWND parent) noexcept
{
    HWND previous = nullptr;
    try {
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr || !is_owned_by_caller(*window))
            return nullptr;
        Window* new_parent = nullptr;
        if (parent != nullptr) {
            new_parent = window_of(parent);
            if (new_parent == nullptr || is_in_subtree(new_parent, window))
                return nullptr;
        }
        previous = handle_of(window->parent);
        if (window->parent != nullptr)
            std::erase(window->parent->children, window);
        window->parent = new_parent;
        if (new_parent != nullptr) {
            new_parent->children.insert(new_parent->children.begin(), window);
            window->style |= WS_CHILD;
            window->style &= ~WS_POPUP;
            window->owner = nullptr;
        } else {
            window->style &= ~WS_CHILD;
        }
        // Win32 answers the desktop for a former top-level window; there is none here.
        if (previous == nullptr)
            make_win32_error(ERROR_SUCCESS);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    backing_destroyed(handle);
    backing_created(handle);
    backing_geometry_changed(handle);
    return previous;
}

PLATFORM_API HWND GetAncestor(HWND handle, UINT flags) noexcept
{
    const UserLock lock(user_mutex());
    const Window* window = window_of(handle);
    if (window == nullptr)
        return nullptr;
    switch (flags) {
    case GA_PARENT:
        return window->is_child() ? handle_of(window->parent) : nullptr;
    case GA_ROOT:
    case GA_ROOTOWNER: {
        const Window* root = window;
        while (root->is_child() && root->parent != nullptr)
            root = root->parent;
        if (flags == GA_ROOTOWNER) {
            while (root->owner != nullptr)
                root = root->owner;
        }
        return root->handle;
    }
    default:
        make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

PLATFORM_API HWND GetWindow(HWND handle, UINT command) noexcept
{
    const UserLock lock(user_mutex());
    const Window* window = window_of(handle);
    if (window == nullptr)
        return nullptr;
    if (command == GW_CHILD)
        return window->children.empty() ? nullptr : window->children.front()->handle;
    if (command == GW_OWNER)
        return handle_of(window->owner);
    // Siblings: children of the same parent, or top-level windows among themselves.
    std::vector<Window*> siblings;
    if (window->parent != nullptr && window->is_child()) {
        siblings = window->parent->children;
    } else {
        for (Window* other : all_windows()) {
            if (!other->is_child() || other->parent == nullptr)
                siblings.push_back(other);
        }
    }
    const auto at = std::find(siblings.begin(), siblings.end(), window);
    switch (command) {
    case GW_HWNDFIRST:
        return siblings.front()->handle;
    case GW_HWNDLAST:
        return siblings.back()->handle;
    case GW_HWNDNEXT:
        return at + 1 < siblings.end() ? (*(at + 1))->handle : nullptr;
    case GW_HWNDPREV:
        return at > siblings.begin() ? (*(at - 1))->handle : nullptr;
    default:
        make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

PLATFORM_API LONG_PTR GetWindowLongPtrW(HWND handle, int index) noexcept
{
    return get_window_long(handle, index, true);
}

PLATFORM_API LONG_PTR SetWindowLongPtrW(HWND handle, int index, LONG_PTR value) noexcept
{
    return set_window_long(handle, index, value, true);
}

PLATFORM_API LONG GetWindowLongW(HWND handle, int index) noexcept
{
    return static_cast<LONG>(get_window_long(handle, index, false));
}

PLATFORM_API LONG SetWindowLongW(HWND handle, int index, LONG value) noexcept
{
    return static_cast<LONG>(set_window_long(handle, index, value, false));
}

PLATFORM_API BOOL SetWindowTextW(HWND handle, LPCWSTR text) noexcept
{
    if (!IsWindow(handle))
        return FALSE;
    return SendMessageW(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

PLATFORM_API int GetWindowTextW(HWND handle, LPWSTR buffer, int size) noexcept
{
    if (buffer == nullptr || size <= 0) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    buffer[0] = u'\0';
    return static_cast<int>(SendMessageW(handle, WM_GETTEXT, static_cast<WPARAM>(size),
                                         reinterpret_cast<LPARAM>(buffer)));
}

PLATFORM_API int GetWindowTextLengthW(HWND handle) noexcept
{
    return static_cast<int>(SendMessageW(handle, WM_GETTEXTLENGTH, 0, 0));
}
}
