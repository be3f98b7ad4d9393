// Creating and destroying windows: CreateWindowExW and DestroyWindow.

#include "make_win32_error.h"
#include "qt_backing.h"
#include "user_state.h"
#include "platform/system_metrics.h"

#include <algorithm>
#include <new>

namespace platform::user {
namespace {

// A top-level window of CW_USEDEFAULT size takes this share of the desktop.
constexpr int kDefaultSizeNumerator = 3;
constexpr int kDefaultSizeDenominator = 4;

// Fills the window record from the creation parameters. Under the lock.
std::shared_ptr<Window> make_window(const std::shared_ptr<WindowClass>& window_class,
                                    DWORD ex_style, DWORD style, Window* parent_or_owner,
                                    HMENU menu, HINSTANCE instance)
{
    auto window = std::make_shared<Window>();
    window->window_class = window_class;
    window->queue = current_queue_shared();
    window->procedure = window_class->procedure;
    // Overlapped windows always have a caption and clip their siblings, as on Win32.
    if ((style & (WS_CHILD | WS_POPUP)) == 0)
        style |= WS_CAPTION | WS_CLIPSIBLINGS;
    // Shown (and maximised or minimised) once created.
    window->style = style & ~(WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE);
    window->ex_style = ex_style;
    window->instance = instance;
    window->extra.assign(static_cast<size_t>(window_class->window_extra), 0);
    if ((style & WS_CHILD) != 0) {
        window->parent = parent_or_owner;
        window->id = reinterpret_cast<LONG_PTR>(menu);
    } else if (parent_or_owner != nullptr) {
        // The owner of a top-level window is a top-level window itself.
        Window* owner = parent_or_owner;
        while (owner->is_child() && owner->parent != nullptr)
            owner = owner->parent;
        window->owner = owner;
    }
    return window;
}

RECT initial_rect(const Window& window, int x, int y, int width, int height)
{
    if (!window.is_child()) {
        if (x == CW_USEDEFAULT) {
            x = 0;
            y = 0;
        }
        if (width == CW_USEDEFAULT) {
            width = GetSystemMetrics(SM_CXSCREEN) * kDefaultSizeNumerator / kDefaultSizeDenominator;
            height =
                GetSystemMetrics(SM_CYSCREEN) * kDefaultSizeNumerator / kDefaultSizeDenominator;
        }
    } else {
        if (x == CW_USEDEFAULT)
            x = y = 0;
        if (width == CW_USEDEFAULT)
            width = height = 0;
    }
    width = std::max(width, 0);
    height = std::max(height, 0);
    return RECT{x, y, x + width, y + height};
}

void unlink(Window& window)
{
    if (window.parent != nullptr)
        std::erase(window.parent->children, &window);
    window.parent = nullptr;
    for (Window* other : all_windows()) {
        if (other->owner == &window)
            other->owner = nullptr;
    }
}

// The windows of the subtree, the root first. Under the lock.
void collect_subtree(Window& window, std::vector<HWND>& handles)
{
    handles.push_back(window.handle);
    for (Window* child : window.children)
        collect_subtree(*child, handles);
}

void send_destroy(HWND handle)
{
    SendMessageW(handle, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    {
        const UserLock lock(user_mutex());
        if (const Window* window = window_of(handle); window != nullptr) {
            for (const Window* child : window->children)
                children.push_back(child->handle);
        }
    }
    for (HWND child : children)
        send_destroy(child);
}

void send_nc_destroy(HWND handle)
{
    std::vector<HWND> children;
    {
        const UserLock lock(user_mutex());
        if (const Window* window = window_of(handle); window != nullptr) {
            for (const Window* child : window->children)
                children.push_back(child->handle);
        }
    }
    for (HWND child : children)
        send_nc_destroy(child);
    SendMessageW(handle, WM_NCDESTROY, 0, 0);
}

// Takes the window out of every table once its messages are sent. Under the lock.
void finish_window(Window& window)
{
    kill_window_timers(window);
    drop_messages(window);
    delete_window_dcs(window);
    forget_input_window(window);
    unlink(window);
    --window.window_class->window_count;
    remove_window(window);
}

}

}

using namespace platform::user;

extern "C" {

PLATFORM_API HWND CreateWindowExW(DWORD ex_style, LPCWSTR class_name, LPCWSTR window_name,
                                  DWORD style, int x, int y, int width, int height, HWND parent,
                                  HMENU menu, HINSTANCE instance, LPVOID parameter) noexcept
{
    HWND handle = nullptr;
    CREATESTRUCTW create{};
    const DWORD requested_style = style;
    try {
        UserLock lock(user_mutex());
        const std::shared_ptr<WindowClass> window_class = find_class(class_name);
        if (window_class == nullptr)
            return nullptr;
        Window* parent_window = nullptr;
        if (parent != nullptr) {
            parent_window = window_of(parent);
            if (parent_window == nullptr || parent_window->destroying)
                return nullptr;
        } else if ((style & WS_CHILD) != 0) {
            platform::make_win32_error(ERROR_TLW_WITH_WSCHILD);
            return nullptr;
        }
        std::shared_ptr<Window> window =
            make_window(window_class, ex_style, style, parent_window, menu, instance);
        window->rect = initial_rect(*window, x, y, width, height);
        window->client = RECT{0, 0, window->width(), window->height()};
        window->normal_rect = window->rect;
        if (window_name != nullptr)
            window->text = window_name;
        Window& record = *window;
        handle = add_window(std::move(window));
        ++window_class->window_count;
        if (record.parent != nullptr)
            record.parent->children.insert(record.parent->children.begin(), &record);
        resize_surface(record);

        create.lpCreateParams = parameter;
        create.hInstance = instance;
        create.hMenu = menu;
        create.hwndParent = parent;
        create.x = record.rect.left;
        create.y = record.rect.top;
        create.cx = record.width();
        create.cy = record.height();
        create.style = static_cast<LONG>(requested_style);
        create.lpszName = window_name;
        create.lpszClass = class_name;
        create.dwExStyle = ex_style;
        record.created = true;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }

    if ((requested_style & WS_CHILD) == 0) {
        MINMAXINFO limits{};
        limits.ptMaxSize = POINT{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        limits.ptMaxTrackSize = limits.ptMaxSize;
        limits.ptMinTrackSize =
            POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
        SendMessageW(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    }
    if (SendMessageW(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == 0) {
        DestroyWindow(handle);
        return nullptr;
    }
    {
        RECT rect{};
        {
            const UserLock lock(user_mutex());
            const Window* window = window_of(handle);
            if (window == nullptr)
                return nullptr;
            rect = window->rect;
        }
        RECT client = rect;
        SendMessageW(handle, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&client));
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr)
            return nullptr;
        client.right = std::max(client.right, client.left);
        client.bottom = std::max(client.bottom, client.top);
        window->client = RECT{client.left - rect.left, client.top - rect.top,
                              client.right - rect.left, client.bottom - rect.top};
        resize_surface(*window);
    }
    if (SendMessageW(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    RECT client{};
    POINT origin{};
    {
        const UserLock lock(user_mutex());
        const Window* window = window_of(handle);
        if (window == nullptr)
            return nullptr;
        client = window->client;
        origin = POINT{window->rect.left + client.left, window->rect.top + client.top};
    }
    SendMessageW(handle, WM_SIZE, SIZE_RESTORED,
                 MAKELPARAM(client.right - client.left, client.bottom - client.top));
    SendMessageW(handle, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
    backing_created(handle);
    if ((requested_style & WS_MAXIMIZE) != 0)
        ShowWindow(handle, (requested_style & WS_VISIBLE) != 0 ? SW_SHOWMAXIMIZED : SW_MAXIMIZE);
    else if ((requested_style & WS_MINIMIZE) != 0)
        ShowWindow(handle, SW_SHOWMINNOACTIVE);
    else if ((requested_style & WS_VISIBLE) != 0)
        ShowWindow(handle, (requested_style & WS_CHILD) != 0 ? SW_SHOWNA : SW_SHOW);
    return IsWindow(handle) ? handle : nullptr;
}

PLATFORM_API BOOL DestroyWindow(HWND handle) noexcept
{
    std::vector<HWND> owned;
    std::vector<HWND> subtree;
    bool visible = false;
    try {
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr || !is_owned_by_caller(*window))
            return FALSE;
        if (window->destroying)
            return TRUE;
        collect_subtree(*window, subtree);
        for (HWND member : subtree)
            window_of(member)->destroying = true;
        for (const Window* other : all_windows()) {
            if (other->owner == window)
                owned.push_back(other->handle);
        }
        visible = (window->style & WS_VISIBLE) != 0;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    for (HWND other : owned)
        DestroyWindow(other);
    if (visible)
        SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    {
        // Focus and capture leave the subtree before its windows hear of their end.
        const UserLock lock(user_mutex());
        if (Window* window = window_of(handle); window != nullptr) {
            for (HWND member : subtree) {
                if (Window* dying = window_of(member); dying != nullptr)
                    forget_input_window(*dying);
            }
        }
    }
    send_destroy(handle);
    send_nc_destroy(handle);
    // Children first: a parent's widget takes its children's widgets with it.
    for (auto member = subtree.rbegin(); member != subtree.rend(); ++member)
        backing_destroyed(*member);
    const UserLock lock(user_mutex());
    for (auto member = subtree.rbegin(); member != subtree.rend(); ++member) {
        if (Window* window = window_of(*member); window != nullptr)
            finish_window(*window);
    }
    return TRUE;
}
}
