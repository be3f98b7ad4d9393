// The default window procedure, DefWindowProcW, and CallWindowProcW.

#include "make_win32_error.h"
#include "qt_backing.h"
#include "user_state.h"
#include "platform/scroll_bars.h"
#include "platform/system_metrics.h"
#include "platform/user_paint.h"

#include <algorithm>
#include <new>

namespace platform::user {
namespace {

// The widths of the non-client ring on each side.
struct Insets {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

Insets frame_insets(DWORD style, DWORD ex_style)
{
    int border = 0;
    // A top-level window's caption and sizing frame are the window manager's; a popup
    // (a hint window, say) draws its own border.
    const bool draws_frame = (style & (WS_CHILD | WS_POPUP)) != 0;
    if (draws_frame) {
        if ((style & WS_THICKFRAME) != 0)
            border = GetSystemMetrics(SM_CXFRAME);
        else if ((style & WS_CAPTION) == WS_DLGFRAME || (ex_style & WS_EX_DLGMODALFRAME) != 0)
            border = GetSystemMetrics(SM_CXDLGFRAME);
        else if ((style & WS_BORDER) != 0)
            border = GetSystemMetrics(SM_CXBORDER);
    }
    if ((ex_style & WS_EX_CLIENTEDGE) != 0)
        border += GetSystemMetrics(SM_CXEDGE);
    if ((ex_style & WS_EX_STATICEDGE) != 0)
        border += GetSystemMetrics(SM_CXBORDER);
    Insets insets{border, border, border, border};
    if ((style & WS_VSCROLL) != 0) {
        if ((ex_style & WS_EX_LEFTSCROLLBAR) != 0)
            insets.left += GetSystemMetrics(SM_CXVSCROLL);
        else
            insets.right += GetSystemMetrics(SM_CXVSCROLL);
    }
    if ((style & WS_HSCROLL) != 0)
        insets.bottom += GetSystemMetrics(SM_CYHSCROLL);
    return insets;
}

RECT client_of(const RECT& window_rect, const Insets& insets)
{
    RECT client{window_rect.left + insets.left, window_rect.top + insets.top,
                window_rect.right - insets.right, window_rect.bottom - insets.bottom};
    client.right = std::max(client.right, client.left);
    client.bottom = std::max(client.bottom, client.top);
    return client;
}

struct WindowFacts {
    DWORD style = 0;
    DWORD ex_style = 0;
    HWND parent = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    ShowState show_state = ShowState::Normal;
    RECT rect{};
    RECT client{};
    POINT client_on_screen{};
};

std::optional<WindowFacts> facts_of(HWND handle)
{
    const UserLock lock(user_mutex());
    const Window* window = window_of(handle);
    if (window == nullptr)
        return std::nullopt;
    WindowFacts facts;
    facts.style = window->style;
    facts.ex_style = window->ex_style;
    facts.parent =
        window->is_child() && window->parent != nullptr ? window->parent->handle : nullptr;
    facts.cursor = window->window_class->cursor;
    facts.background = window->window_class->background;
    facts.show_state = window->show_state;
    facts.rect = window_rect_on_screen(*window);
    facts.client = window->client;
    facts.client_on_screen = client_origin_on_screen(*window);
    return facts;
}

LRESULT hit_test(const WindowFacts& facts, POINT point)
{
    const RECT& rect = facts.rect;
    if (point.x < rect.left || point.x >= rect.right || point.y < rect.top ||
        point.y >= rect.bottom)
        return HTNOWHERE;
    const int x = point.x - rect.left;
    const int y = point.y - rect.top;
    const RECT& client = facts.client;
    if (x >= client.left && x < client.right && y >= client.top && y < client.bottom)
        return HTCLIENT;
    if ((facts.style & WS_VSCROLL) != 0 && y >= client.top && y < client.bottom) {
        const bool left = (facts.ex_style & WS_EX_LEFTSCROLLBAR) != 0;
        if ((left && x < client.left && x >= client.left - GetSystemMetrics(SM_CXVSCROLL)) ||
            (!left && x >= client.right && x < client.right + GetSystemMetrics(SM_CXVSCROLL)))
            return HTVSCROLL;
    }
    if ((facts.style & WS_HSCROLL) != 0 && x >= client.left && x < client.right &&
        y >= client.bottom && y < client.bottom + GetSystemMetrics(SM_CYHSCROLL))
        return HTHSCROLL;
    return HTBORDER;
}

HBRUSH system_brush(int index)
{
    return reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(index + 1));
}

// Draws the frame and, where Qt does not show real ones, the scroll bars' boxes.
void paint_non_client(HWND handle, const WindowFacts& facts)
{
    HDC dc = GetWindowDC(handle);
    if (dc == nullptr)
        return;
    const int width = facts.rect.right - facts.rect.left;
    const int height = facts.rect.bottom - facts.rect.top;
    RECT ring{0, 0, width, height};
    const Insets plain = frame_insets(facts.style & ~(WS_HSCROLL | WS_VSCROLL), facts.ex_style);
    const int edge = (facts.ex_style & WS_EX_CLIENTEDGE) != 0 ? GetSystemMetrics(SM_CXEDGE) : 0;
    const int outer = plain.left - edge;
    for (int i = 0; i < outer; ++i) {
        FrameRect(dc, &ring, system_brush(i == 0 ? COLOR_WINDOWFRAME : COLOR_BTNFACE));
        InflateRect(&ring, -1, -1);
    }
    if (edge > 0)
        DrawEdge(dc, &ring, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    const RECT& client = facts.client;
    if ((facts.style & WS_VSCROLL) != 0) {
        const bool left = (facts.ex_style & WS_EX_LEFTSCROLLBAR) != 0;
        const int bar = GetSystemMetrics(SM_CXVSCROLL);
        RECT box = left ? RECT{client.left - bar, client.top, client.left, client.bottom}
                        : RECT{client.right, client.top, client.right + bar, client.bottom};
        FillRect(dc, &box, system_brush(COLOR_SCROLLBAR));
    }
    if ((facts.style & WS_HSCROLL) != 0) {
        RECT box{client.left, client.bottom, client.right,
                 client.bottom + GetSystemMetrics(SM_CYHSCROLL)};
        FillRect(dc, &box, system_brush(COLOR_SCROLLBAR));
    }
    if ((facts.style & (WS_HSCROLL | WS_VSCROLL)) == (WS_HSCROLL | WS_VSCROLL)) {
        const bool left = (facts.ex_style & WS_EX_LEFTSCROLLBAR) != 0;
        const int bar = GetSystemMetrics(SM_CXVSCROLL);
        RECT corner = left ? RECT{client.left - bar, client.bottom, client.left,
                                  client.bottom + GetSystemMetrics(SM_CYHSCROLL)}
                           : RECT{client.right, client.bottom, client.right + bar,
                                  client.bottom + GetSystemMetrics(SM_CYHSCROLL)};
        FillRect(dc, &corner, system_brush(COLOR_BTNFACE));
    }
    ReleaseDC(handle, dc);
}

LRESULT text_message(HWND handle, UINT message, WPARAM wparam, LPARAM lparam)
{
    std::u16string text;
    if (message == WM_SETTEXT) {
        {
            const UserLock lock(user_mutex());
            Window* window = window_of(handle);
            if (window == nullptr)
                return FALSE;
            const auto* given = reinterpret_cast<LPCWSTR>(lparam);
            window->text = given != nullptr ? given : u"";
        }
        backing_text(handle);
        return TRUE;
    }
    {
        const UserLock lock(user_mutex());
        const Window* window = window_of(handle);
        if (window == nullptr)
            return 0;
        text = window->text;
    }
    if (message == WM_GETTEXTLENGTH)
        return static_cast<LRESULT>(text.size());
    auto* buffer = reinterpret_cast<LPWSTR>(lparam);
    if (buffer == nullptr || wparam == 0)
        return 0;
    const size_t copied = std::min(text.size(), static_cast<size_t>(wparam) - 1);
    std::copy_n(text.data(), copied, buffer);
    buffer[copied] = u'\0';
    return static_cast<LRESULT>(copied);
}

LRESULT default_procedure(HWND handle, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        if (create != nullptr && create->lpszName != nullptr) {
            const UserLock lock(user_mutex());
            if (Window* window = window_of(handle); window != nullptr)
                window->text = create->lpszName;
        }
        return TRUE;
    }
    case WM_NCCALCSIZE: {
        const std::optional<WindowFacts> facts = facts_of(handle);
        if (!facts.has_value() || lparam == 0)
            return 0;
        const Insets insets = frame_insets(facts->style, facts->ex_style);
        auto* rect = wparam != FALSE ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lparam)->rgrc[0]
                                     : reinterpret_cast<RECT*>(lparam);
        *rect = client_of(*rect, insets);
        return 0;
    }
    case WM_NCHITTEST: {
        const std::optional<WindowFacts> facts = facts_of(handle);
        if (!facts.has_value())
            return HTNOWHERE;
        return hit_test(*facts, POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
    }
    case WM_NCPAINT: {
        const std::optional<WindowFacts> facts = facts_of(handle);
        if (facts.has_value())
            paint_non_client(handle, *facts);
        return 0;
    }
    case WM_NCACTIVATE:
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        if (BeginPaint(handle, &paint) != nullptr)
            EndPaint(handle, &paint);
        return 0;
    }
    case WM_ERASEBKGND: {
        const std::optional<WindowFacts> facts = facts_of(handle);
        if (!facts.has_value() || facts->background == nullptr || wparam == 0)
            return 0;
        RECT client{};
        GetClientRect(handle, &client);
        FillRect(reinterpret_cast<HDC>(wparam), &client, facts->background);
        return 1;
    }
    case WM_WINDOWPOSCHANGED: {
        const auto* position = reinterpret_cast<const WINDOWPOS*>(lparam);
        const std::optional<WindowFacts> facts = facts_of(handle);
        if (position == nullptr || !facts.has_value())
            return 0;
        const RECT& client = facts->client;
        if ((position->flags & SWP_NOCLIENTMOVE) == 0)
            SendMessageW(handle, WM_MOVE, 0,
                         MAKELPARAM(position->x + client.left, position->y + client.top));
        if ((position->flags & SWP_NOCLIENTSIZE) == 0) {
            WPARAM kind = SIZE_RESTORED;
            if (facts->show_state == ShowState::Maximized)
                kind = SIZE_MAXIMIZED;
            else if (facts->show_state == ShowState::Minimized)
                kind = SIZE_MINIMIZED;
            SendMessageW(handle, WM_SIZE, kind,
                         MAKELPARAM(client.right - client.left, client.bottom - client.top));
        }
        return 0;
    }
    case WM_CLOSE:
        DestroyWindow(handle);
        return 0;
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        return text_message(handle, message, wparam, lparam);
    case WM_SETCURSOR: {
        const std::optional<WindowFacts> facts = facts_of(handle);
        if (!facts.has_value())
            return FALSE;
        if (facts->parent != nullptr &&
            SendMessageW(facts->parent, WM_SETCURSOR, wparam, lparam) != 0)
            return TRUE;
        // Only the window under the pointer sets its cursor; its ancestors were asked
        // whether they want to set one themselves.
        if (reinterpret_cast<HWND>(wparam) != handle)
            return FALSE;
        const auto hit = static_cast<SHORT>(LOWORD(lparam));
        if (hit == HTCLIENT) {
            if (facts->cursor != nullptr)
                SetCursor(facts->cursor);
            return FALSE;
        }
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        return FALSE;
    }
    case WM_MOUSEACTIVATE: {
        const std::optional<WindowFacts> facts = facts_of(handle);
        if (facts.has_value() && facts->parent != nullptr) {
            const LRESULT answer = SendMessageW(facts->parent, WM_MOUSEACTIVATE, wparam, lparam);
            if (answer != 0)
                return answer;
        }
        return MA_ACTIVATE;
    }
    case WM_RBUTTONUP:
    case WM_NCRBUTTONUP: {
        POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
        if (message == WM_RBUTTONUP)
            ClientToScreen(handle, &point);
        SendMessageW(handle, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(handle),
                     MAKELPARAM(point.x, point.y));
        return 0;
    }
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
        const std::optional<WindowFacts> facts = facts_of(handle);
        if (facts.has_value() && facts->parent != nullptr)
            return SendMessageW(facts->parent, message, wparam, lparam);
        return 0;
    }
    case WM_ACTIVATE:
        // The window that becomes active takes the focus unless a window inside it has it.
        if (LOWORD(wparam) != WA_INACTIVE && HIWORD(wparam) == 0) {
            const HWND focus = GetFocus();
            if (focus != handle && !IsChild(handle, focus))
                SetFocus(handle);
        }
        return 0;
    case WM_CANCELMODE:
        if (GetCapture() == handle)
            ReleaseCapture();
        return 0;
    case WM_SYSCOMMAND:
        switch (wparam & 0xFFF0u) {
        case SC_MAXIMIZE:
            ShowWindow(handle, SW_MAXIMIZE);
            return 0;
        case SC_MINIMIZE:
            ShowWindow(handle, SW_MINIMIZE);
            return 0;
        case SC_RESTORE:
            ShowWindow(handle, SW_RESTORE);
            return 0;
        case SC_CLOSE:
            SendMessageW(handle, WM_CLOSE, 0, 0);
            return 0;
        default:
            return 0;
        }
    default:
        return 0;
    }
}

}

}

using namespace platform::user;

extern "C" {

PLATFORM_API LRESULT CallWindowProcW(WNDPROC procedure, HWND window, UINT message, WPARAM wparam,
                                     LPARAM lparam) noexcept
{
    return call_procedure(procedure, window, message, wparam, lparam);
}

PLATFORM_API LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wparam,
                                    LPARAM lparam) noexcept
{
    try {
        return default_procedure(window, message, wparam, lparam);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}
}
