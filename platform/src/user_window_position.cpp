// Where windows are and how they show: SetWindowPos, MoveWindow, ShowWindow, window
// placement, rectangles and point mapping.

#include "make_win32_error.h"
#include "qt_backing.h"
#include "user_state.h"
#include "platform/system_metrics.h"

#include <algorithm>
#include <new>

namespace platform::user {
namespace {

QRegion client_region(const Window& window)
{
    return QRegion(0, 0, window.client_width(), window.client_height());
}

bool has_non_client(const Window& window)
{
    return window.client.left > 0 || window.client.top > 0 ||
           window.client.right < window.width() || window.client.bottom < window.height();
}

void move_in_z_order(Window& window, HWND insert_after)
{
    if (window.parent == nullptr || !window.is_child())
        return;
    std::vector<Window*>& siblings = window.parent->children;
    std::erase(siblings, &window);
    if (insert_after == HWND_TOP || insert_after == HWND_TOPMOST ||
        insert_after == HWND_NOTOPMOST) {
        siblings.insert(siblings.begin(), &window);
        return;
    }
    if (insert_after == HWND_BOTTOM) {
        siblings.push_back(&window);
        return;
    }
    const auto after = std::find_if(siblings.begin(), siblings.end(), [&](const Window* sibling) {
        return sibling->handle == insert_after;
    });
    siblings.insert(after == siblings.end() ? siblings.begin() : after + 1, &window);
}

// What changes when the window's rectangle becomes `rect` and its client area `client`
// (window coordinates). Under the lock.
void apply_position(Window& window, const WINDOWPOS& position, const RECT& rect, const RECT& client)
{
    const int old_client_width = window.client_width();
    const int old_client_height = window.client_height();
    const bool was_visible = (window.style & WS_VISIBLE) != 0;
    window.rect = rect;
    window.client = client;
    if (window.show_state == ShowState::Normal)
        window.normal_rect = rect;
    if ((position.flags & SWP_NOZORDER) == 0)
        move_in_z_order(window, position.hwndInsertAfter);
    if ((position.flags & SWP_SHOWWINDOW) != 0)
        window.style |= WS_VISIBLE;
    if ((position.flags & SWP_HIDEWINDOW) != 0)
        window.style &= ~WS_VISIBLE;
    resize_surface(window);

    const bool visible = (window.style & WS_VISIBLE) != 0;
    if (!visible) {
        // A hidden window keeps no update region: showing it invalidates it whole.
        window.update = QRegion();
        window.erase_pending = false;
        return;
    }
    if ((position.flags & SWP_NOREDRAW) != 0)
        return;
    const bool width_changed = window.client_width() != old_client_width;
    const bool height_changed = window.client_height() != old_client_height;
    const UINT class_style = window.window_class->style;
    if (!was_visible) {
        invalidate(window, client_region(window),
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    } else if (((class_style & CS_HREDRAW) != 0 && width_changed) ||
               ((class_style & CS_VREDRAW) != 0 && height_changed)) {
        invalidate(window, client_region(window),
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_NOCHILDREN);
    } else if (width_changed || height_changed) {
        const QRegion uncovered =
            client_region(window) - QRegion(0, 0, old_client_width, old_client_height);
        invalidate(window, uncovered, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN);
        if (has_non_client(window))
            window.frame_pending = true;
    }
    if ((position.flags & SWP_FRAMECHANGED) != 0 && has_non_client(window)) {
        window.frame_pending = true;
        window.queue->wake();
    }
}

// SetWindowPos, also for the Qt side (which has moved the widget itself already).
BOOL set_window_position(HWND handle, HWND insert_after, int x, int y, int width, int height,
                         UINT flags)
{
    WINDOWPOS position{handle, insert_after, x, y, width, height, flags};
    RECT old_rect{};
    RECT old_client{};
    {
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr || !is_owned_by_caller(*window))
            return FALSE;
        old_rect = window->rect;
        old_client = window->client;
        if ((flags & SWP_NOMOVE) != 0) {
            position.x = old_rect.left;
            position.y = old_rect.top;
        }
        if ((flags & SWP_NOSIZE) != 0) {
            position.cx = old_rect.right - old_rect.left;
            position.cy = old_rect.bottom - old_rect.top;
        }
        const bool visible = (window->style & WS_VISIBLE) != 0;
        if ((flags & SWP_SHOWWINDOW) != 0 && visible)
            position.flags &= ~SWP_SHOWWINDOW;
        if ((flags & SWP_HIDEWINDOW) != 0 && !visible)
            position.flags &= ~SWP_HIDEWINDOW;
    }
    if ((flags & SWP_NOSENDCHANGING) == 0)
        SendMessageW(handle, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&position));
    const RECT rect{position.x, position.y, position.x + std::max(position.cx, 0),
                    position.y + std::max(position.cy, 0)};
    const bool resized = rect.right - rect.left != old_rect.right - old_rect.left ||
                         rect.bottom - rect.top != old_rect.bottom - old_rect.top;
    RECT client{old_client.left, old_client.top, old_client.right - old_rect.right + rect.right,
                old_client.bottom - old_rect.bottom + rect.bottom};
    if (resized || (position.flags & SWP_FRAMECHANGED) != 0) {
        NCCALCSIZE_PARAMS sizes{};
        sizes.rgrc[0] = rect;
        sizes.rgrc[1] = old_rect;
        sizes.rgrc[2] = RECT{old_rect.left + old_client.left, old_rect.top + old_client.top,
                             old_rect.left + old_client.right, old_rect.top + old_client.bottom};
        sizes.lppos = &position;
        SendMessageW(handle, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&sizes));
        const RECT& result = sizes.rgrc[0];
        client = RECT{result.left - rect.left, result.top - rect.top,
                      std::max(result.right, result.left) - rect.left,
                      std::max(result.bottom, result.top) - rect.top};
    } else {
        client = old_client;
    }
    {
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr)
            return FALSE;
        apply_position(*window, position, rect, client);
        if (client.right - client.left == old_client.right - old_client.left &&
            client.bottom - client.top == old_client.bottom - old_client.top)
            position.flags |= SWP_NOCLIENTSIZE;
        if (rect.left + client.left == old_rect.left + old_client.left &&
            rect.top + client.top == old_rect.top + old_client.top)
            position.flags |= SWP_NOCLIENTMOVE;
    }
    backing_geometry_changed(handle);
    SendMessageW(handle, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
    return TRUE;
}

RECT desktop_rect()
{
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}

// Makes the top-level window the active one: WM_ACTIVATE to the one that loses it,
// then WM_NCACTIVATE and WM_ACTIVATE to the new one (whose default handling gives it
// the focus).
void activate_window(HWND handle)
{
    HWND previous = nullptr;
    {
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr)
            return;
        while (window->is_child() && window->parent != nullptr)
            window = window->parent;
        handle = window->handle;
        ThreadQueue& queue = *window->queue;
        if (queue.active == handle)
            return;
        previous = queue.active;
        queue.active = handle;
        if (previous != nullptr && window_of(previous) == nullptr)
            previous = nullptr;
    }
    if (previous != nullptr) {
        SendMessageW(previous, WM_NCACTIVATE, FALSE, 0);
        SendMessageW(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(handle));
    }
    SendMessageW(handle, WM_NCACTIVATE, TRUE, 0);
    SendMessageW(handle, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
}

BOOL move_window_from_qt(HWND handle, const RECT& rect)
{
    return set_window_position(handle, nullptr, rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}

using namespace platform::user;

extern "C" {

PLATFORM_API BOOL SetWindowPos(HWND handle, HWND insert_after, int x, int y, int width, int height,
                               UINT flags) noexcept
{
    try {
        return set_window_position(handle, insert_after, x, y, width, height, flags);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

PLATFORM_API BOOL MoveWindow(HWND handle, int x, int y, int width, int height,
                             BOOL repaint) noexcept
{
    return SetWindowPos(handle, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint != FALSE ? 0u : SWP_NOREDRAW));
}

PLATFORM_API BOOL GetClientRect(HWND handle, LPRECT rect) noexcept
{
    if (rect == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const UserLock lock(user_mutex());
    const Window* window = window_of(handle);
    if (window == nullptr)
        return FALSE;
    *rect = RECT{0, 0, window->client_width(), window->client_height()};
    return TRUE;
}

PLATFORM_API BOOL GetWindowRect(HWND handle, LPRECT rect) noexcept
{
    if (rect == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const UserLock lock(user_mutex());
    const Window* window = window_of(handle);
    if (window == nullptr)
        return FALSE;
    *rect = window_rect_on_screen(*window);
    return TRUE;
}

PLATFORM_API BOOL ScreenToClient(HWND handle, LPPOINT point) noexcept
{
    if (point == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const UserLock lock(user_mutex());
    const Window* window = window_of(handle);
    if (window == nullptr)
        return FALSE;
    const POINT origin = client_origin_on_screen(*window);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

PLATFORM_API BOOL ClientToScreen(HWND handle, LPPOINT point) noexcept
{
    if (point == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const UserLock lock(user_mutex());
    const Window* window = window_of(handle);
    if (window == nullptr)
        return FALSE;
    const POINT origin = client_origin_on_screen(*window);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

PLATFORM_API int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) noexcept
{
    if (points == nullptr && count > 0) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const UserLock lock(user_mutex());
    POINT from_origin{0, 0};
    POINT to_origin{0, 0};
    if (from != nullptr) {
        const Window* window = window_of(from);
        if (window == nullptr)
            return 0;
        from_origin = client_origin_on_screen(*window);
    }
    if (to != nullptr) {
        const Window* window = window_of(to);
        if (window == nullptr)
            return 0;
        to_origin = client_origin_on_screen(*window);
    }
    const LONG dx = from_origin.x - to_origin.x;
    const LONG dy = from_origin.y - to_origin.y;
    for (UINT i = 0; i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    platform::make_win32_error(ERROR_SUCCESS);
    return MAKELONG(dx, dy);
}

PLATFORM_API HWND WindowFromPoint(POINT point) noexcept
{
    const UserLock lock(user_mutex());
    // The last top-level window made lies on top.
    const std::vector<Window*> windows = all_windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        Window* window = *it;
        if (window->is_child() || !is_visible(*window))
            continue;
        const RECT rect = window_rect_on_screen(*window);
        if (point.x < rect.left || point.x >= rect.right || point.y < rect.top ||
            point.y >= rect.bottom)
            continue;
        // Down through the children under the point.
        for (bool deeper = true; deeper;) {
            deeper = false;
            for (Window* child : window->children) {
                if ((child->style & WS_VISIBLE) == 0 || (child->style & WS_DISABLED) != 0)
                    continue;
                const RECT child_rect = window_rect_on_screen(*child);
                if (point.x >= child_rect.left && point.x < child_rect.right &&
                    point.y >= child_rect.top && point.y < child_rect.bottom) {
                    window = child;
                    deeper = true;
                    break;
                }
            }
        }
        return window->handle;
    }
    return nullptr;
}

PLATFORM_API BOOL ShowWindow(HWND handle, int command) noexcept
{
    bool was_visible = false;
    bool child = false;
    ShowState state = ShowState::Normal;
    RECT normal{};
    RECT maximized{};
    try {
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr || !is_owned_by_caller(*window))
            return FALSE;
        was_visible = (window->style & WS_VISIBLE) != 0;
        child = window->is_child();
        state = window->show_state;
        normal = window->normal_rect;
        maximized = child && window->parent != nullptr ? RECT{0, 0, window->parent->client_width(),
                                                              window->parent->client_height()}
                                                       : desktop_rect();
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    const auto set_state = [&](ShowState wanted) {
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr)
            return;
        window->show_state = wanted;
        window->style &= ~(WS_MAXIMIZE | WS_MINIMIZE);
        if (wanted == ShowState::Maximized)
            window->style |= WS_MAXIMIZE;
        if (wanted == ShowState::Minimized)
            window->style |= WS_MINIMIZE;
    };
    const auto announce_show = [&](bool show) {
        if (show != was_visible)
            SendMessageW(handle, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    };
    const UINT activate = child ? SWP_NOACTIVATE : 0u;
    switch (command) {
    case SW_HIDE:
        if (!was_visible)
            return FALSE;
        announce_show(false);
        SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;
    case SW_SHOWMAXIMIZED:
        announce_show(true);
        set_state(ShowState::Maximized);
        SetWindowPos(handle, nullptr, maximized.left, maximized.top,
                     maximized.right - maximized.left, maximized.bottom - maximized.top,
                     SWP_SHOWWINDOW | SWP_NOZORDER | SWP_FRAMECHANGED | activate);
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        announce_show(true);
        set_state(ShowState::Minimized);
        SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                     SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(handle, WM_SIZE, SIZE_MINIMIZED, 0);
        return was_visible ? TRUE : FALSE;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
        announce_show(true);
        if (state != ShowState::Normal) {
            set_state(ShowState::Normal);
            SetWindowPos(handle, nullptr, normal.left, normal.top, normal.right - normal.left,
                         normal.bottom - normal.top,
                         SWP_SHOWWINDOW | SWP_NOZORDER | SWP_FRAMECHANGED | activate);
        } else {
            SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                         SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | activate);
        }
        break;
    case SW_SHOW:
    case SW_SHOWDEFAULT:
        announce_show(true);
        SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                     SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | activate);
        break;
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE:
        announce_show(true);
        SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                     SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return was_visible ? TRUE : FALSE;
    default:
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!child)
        activate_window(handle);
    return was_visible ? TRUE : FALSE;
}

PLATFORM_API BOOL IsIconic(HWND handle) noexcept
{
    const UserLock lock(user_mutex());
    const Window* window = window_of(handle);
    return window != nullptr && window->show_state == ShowState::Minimized ? TRUE : FALSE;
}

PLATFORM_API BOOL IsZoomed(HWND handle) noexcept
{
    const UserLock lock(user_mutex());
    const Window* window = window_of(handle);
    return window != nullptr && window->show_state == ShowState::Maximized ? TRUE : FALSE;
}

PLATFORM_API BOOL GetWindowPlacement(HWND handle, LPWINDOWPLACEMENT placement) noexcept
{
    if (placement == nullptr || placement->length != sizeof(WINDOWPLACEMENT)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const UserLock lock(user_mutex());
    const Window* window = window_of(handle);
    if (window == nullptr)
        return FALSE;
    placement->flags = 0;
    switch (window->show_state) {
    case ShowState::Maximized:
        placement->showCmd = SW_SHOWMAXIMIZED;
        break;
    case ShowState::Minimized:
        placement->showCmd = SW_SHOWMINIMIZED;
        break;
    case ShowState::Normal:
        placement->showCmd = SW_SHOWNORMAL;
        break;
    }
    placement->ptMinPosition = POINT{-1, -1};
    placement->ptMaxPosition = POINT{-1, -1};
    placement->rcNormalPosition =
        window->show_state == ShowState::Normal ? window->rect : window->normal_rect;
    return TRUE;
}

PLATFORM_API BOOL SetWindowPlacement(HWND handle, const WINDOWPLACEMENT* placement) noexcept
{
    if (placement == nullptr || placement->length != sizeof(WINDOWPLACEMENT)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ShowState state = ShowState::Normal;
    {
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr || !is_owned_by_caller(*window))
            return FALSE;
        window->normal_rect = placement->rcNormalPosition;
        state = window->show_state;
    }
    const RECT& normal = placement->rcNormalPosition;
    if (state == ShowState::Normal)
        SetWindowPos(handle, nullptr, normal.left, normal.top, normal.right - normal.left,
                     normal.bottom - normal.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(handle, static_cast<int>(placement->showCmd));
    return TRUE;
}
}
