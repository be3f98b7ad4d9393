// Osmark's windows as the graphics layer needs them: a window opened from the defaults
// over a platform window of the library's own class, with a raster port over its
// device context; closing; the first open window.

#include "osmark/windows.h"

#include "osmark/memory.h"
#include "platform/system_metrics.h"
#include "platform/user.h"
#include "platform/user_messages.h"
#include "platform/user_paint.h"
#include "platform/user_windows.h"

#include <cstring>

namespace {

constexpr char16_t kClassName[] = u"OsmarkWindow";
bool g_class_registered = false;
Window* g_open_windows = nullptr;

bool register_class()
{
    if (g_class_registered)
        return true;
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_WINDOW + 1));
    window_class.lpszClassName = kClassName;
    if (RegisterClassExW(&window_class) == 0) {
        WNDCLASSEXW existing{};
        existing.cbSize = sizeof existing;
        if (GetClassInfoExW(nullptr, kClassName, &existing) == FALSE)
            return false;
    }
    g_class_registered = true;
    return true;
}

void fill_geometry(Window* window)
{
    RECT outer{};
    RECT client{};
    GetWindowRect(window->win_Handle, &outer);
    GetClientRect(window->win_Handle, &client);
    window->win_Left = outer.left;
    window->win_Top = outer.top;
    window->win_Width = outer.right - outer.left;
    window->win_Height = outer.bottom - outer.top;
    window->win_ClientWidth = client.right - client.left;
    window->win_ClientHeight = client.bottom - client.top;
    POINT origin{0, 0};
    ClientToScreen(window->win_Handle, &origin);
    window->win_BorderLeft = static_cast<int16_t>(origin.x - outer.left);
    window->win_BorderTop = static_cast<int16_t>(origin.y - outer.top);
    window->win_BorderRight =
        static_cast<int16_t>(outer.right - origin.x - window->win_ClientWidth);
    window->win_BorderBottom =
        static_cast<int16_t>(outer.bottom - origin.y - window->win_ClientHeight);
}

}

extern "C" {

OSMARK_API Window* OpenWindowTagList(const TagItem* /*tags*/) noexcept
{
    if (!register_class())
        return nullptr;
    auto* window = static_cast<Window*>(AllocVec(sizeof(Window)));
    if (window == nullptr)
        return nullptr;
    std::memset(window, 0, sizeof(Window));
    window->win_MinWidth = 100;
    window->win_MinHeight = 20;
    window->win_MaxWidth = -1;
    window->win_MaxHeight = -1;
    window->win_Flags = 0x40;
    // Every tag keeps its default here: a window at (100, 100) of 200 by 200, shown
    // unless it is the only one.
    const bool shown = g_open_windows != nullptr;
    window->win_Handle =
        CreateWindowExW(0, kClassName, u"", WS_OVERLAPPEDWINDOW | (shown ? WS_VISIBLE : 0u), 100,
                        100, 200, 200, nullptr, nullptr, nullptr, nullptr);
    if (window->win_Handle == nullptr) {
        FreeVec(window);
        return nullptr;
    }
    if (shown)
        window->win_Flags |= WFLG_VISIBLE;
    fill_geometry(window);
    HDC dc = GetDC(window->win_Handle);
    window->win_OwnRPort = dc != nullptr ? AllocRastPort(RastPortHandlerOSWindow, dc, 0) : nullptr;
    if (window->win_OwnRPort == nullptr) {
        if (dc != nullptr)
            ReleaseDC(window->win_Handle, dc);
        DestroyWindow(window->win_Handle);
        FreeVec(window);
        return nullptr;
    }
    window->win_OwnRPort->rp_Width = window->win_ClientWidth;
    window->win_OwnRPort->rp_Height = window->win_ClientHeight;
    window->win_RPort = window->win_OwnRPort;
    // The newest window goes last: the first open window stays the first.
    Window** tail = &g_open_windows;
    while (*tail != nullptr)
        tail = &(*tail)->win_Next;
    *tail = window;
    return window;
}

OSMARK_API int32_t CloseWindow_(Window* window) noexcept
{
    if (window == nullptr)
        return 1;
    for (Window** link = &g_open_windows; *link != nullptr; link = &(*link)->win_Next) {
        if (*link == window) {
            *link = window->win_Next;
            break;
        }
    }
    HDC dc = window->win_OwnRPort != nullptr ? window->win_OwnRPort->rp_OSHandle : nullptr;
    FreeRastPort(window->win_OwnRPort);
    if (dc != nullptr)
        ReleaseDC(window->win_Handle, dc);
    DestroyWindow(window->win_Handle);
    FreeStr(window->win_Title);
    FreeVec(window);
    return 1;
}

OSMARK_API Window* GetFirstWindow(void) noexcept
{
    return g_open_windows;
}
}
