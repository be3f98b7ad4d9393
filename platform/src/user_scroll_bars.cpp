// The standard scroll bars of a window: SetScrollInfo, GetScrollInfo, ShowScrollBar and
// the older position and range calls.

#include "make_win32_error.h"
#include "qt_backing.h"
#include "user_state.h"
#include "platform/scroll_bars.h"
#include "platform/user_paint.h"

#include <algorithm>
#include <new>

namespace platform::user {
namespace {

int bar_index(int bar)
{
    if (bar == SB_HORZ)
        return 0;
    if (bar == SB_VERT)
        return 1;
    return -1;
}

DWORD style_of_bar(int bar)
{
    switch (bar) {
    case SB_HORZ:
        return WS_HSCROLL;
    case SB_VERT:
        return WS_VSCROLL;
    case SB_BOTH:
        return WS_HSCROLL | WS_VSCROLL;
    default:
        return 0;
    }
}

// Keeps page and position inside the range, as Win32 does.
void normalise(ScrollBarState& state)
{
    const int64_t span = int64_t{state.maximum} - state.minimum + 1;
    state.page = static_cast<UINT>(std::clamp<int64_t>(state.page, 0, std::max<int64_t>(span, 0)));
    const int64_t last = int64_t{state.maximum} - std::max<int64_t>(int64_t{state.page} - 1, 0);
    state.position = static_cast<int>(
        std::clamp<int64_t>(state.position, state.minimum, std::max<int64_t>(last, state.minimum)));
}

// A bar is of use while the page does not cover the whole range.
bool is_of_use(const ScrollBarState& state)
{
    return state.minimum < state.maximum &&
           int64_t{state.page} <= int64_t{state.maximum} - state.minimum;
}

}

void set_scroll_tracking(HWND handle, int bar, bool tracking, int position)
{
    const UserLock lock(user_mutex());
    Window* window = window_of(handle);
    const int index = bar_index(bar);
    if (window == nullptr || index < 0)
        return;
    window->bars[index].tracking = tracking;
    window->bars[index].track_position = position;
}

}

using namespace platform::user;

extern "C" {

PLATFORM_API int SetScrollInfo(HWND handle, int bar, const SCROLLINFO* info, BOOL redraw) noexcept
{
    const int index = bar_index(bar);
    if (info == nullptr || index < 0 ||
        (info->cbSize != sizeof(SCROLLINFO) && info->cbSize != sizeof(SCROLLINFO) - sizeof(int))) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int position = 0;
    bool show_change = false;
    bool wanted = false;
    bool shown = false;
    {
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr)
            return 0;
        ScrollBarState& state = window->bars[index];
        if ((info->fMask & SIF_RANGE) != 0) {
            state.minimum = info->nMin;
            state.maximum = info->nMax;
        }
        if ((info->fMask & SIF_PAGE) != 0)
            state.page = info->nPage;
        if ((info->fMask & SIF_POS) != 0)
            state.position = info->nPos;
        normalise(state);
        position = state.position;
        shown = (window->style & style_of_bar(bar)) != 0;
        // Win32 shows a standard bar that became of use and hides one that is of no use
        // any more, unless asked to keep it (disabled) instead.
        if ((info->fMask & (SIF_RANGE | SIF_PAGE)) != 0) {
            wanted = is_of_use(state) || ((info->fMask & SIF_DISABLENOSCROLL) != 0 && shown);
            show_change = wanted != shown;
        }
    }
    if (show_change)
        ShowScrollBar(handle, bar, wanted ? TRUE : FALSE);
    backing_scroll_bars(handle);
    if (redraw != FALSE && (shown || (show_change && wanted)))
        RedrawWindow(handle, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
    return position;
}

PLATFORM_API BOOL GetScrollInfo(HWND handle, int bar, LPSCROLLINFO info) noexcept
{
    const int index = bar_index(bar);
    if (info == nullptr || index < 0 ||
        (info->cbSize != sizeof(SCROLLINFO) && info->cbSize != sizeof(SCROLLINFO) - sizeof(int))) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const UserLock lock(user_mutex());
    const Window* window = window_of(handle);
    if (window == nullptr)
        return FALSE;
    const ScrollBarState& state = window->bars[index];
    if ((info->fMask & SIF_RANGE) != 0) {
        info->nMin = state.minimum;
        info->nMax = state.maximum;
    }
    if ((info->fMask & SIF_PAGE) != 0)
        info->nPage = state.page;
    if ((info->fMask & SIF_POS) != 0)
        info->nPos = state.position;
    if ((info->fMask & SIF_TRACKPOS) != 0 && info->cbSize == sizeof(SCROLLINFO))
        info->nTrackPos = state.tracking ? state.track_position : state.position;
    return TRUE;
}

PLATFORM_API BOOL ShowScrollBar(HWND handle, int bar, BOOL show) noexcept
{
    const DWORD bits = style_of_bar(bar);
    if (bits == 0) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    {
        const UserLock lock(user_mutex());
        Window* window = window_of(handle);
        if (window == nullptr || !is_owned_by_caller(*window))
            return FALSE;
        const DWORD style = show != FALSE ? window->style | bits : window->style & ~bits;
        if (style == window->style)
            return TRUE;
        window->style = style;
    }
    // The frame is calculated again; WM_SIZE follows from WM_WINDOWPOSCHANGED.
    SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    backing_scroll_bars(handle);
    return TRUE;
}

PLATFORM_API int SetScrollPos(HWND handle, int bar, int position, BOOL redraw) noexcept
{
    const int previous = GetScrollPos(handle, bar);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(handle, bar, &info, redraw);
    return previous;
}

PLATFORM_API int GetScrollPos(HWND handle, int bar) noexcept
{
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    return GetScrollInfo(handle, bar, &info) ? info.nPos : 0;
}

PLATFORM_API BOOL SetScrollRange(HWND handle, int bar, int minimum, int maximum,
                                 BOOL redraw) noexcept
{
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE;
    info.nMin = minimum;
    info.nMax = maximum;
    if (!IsWindow(handle))
        return FALSE;
    SetScrollInfo(handle, bar, &info, redraw);
    return TRUE;
}

PLATFORM_API BOOL GetScrollRange(HWND handle, int bar, LPINT minimum, LPINT maximum) noexcept
{
    if (minimum == nullptr || maximum == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE;
    if (!GetScrollInfo(handle, bar, &info))
        return FALSE;
    *minimum = info.nMin;
    *maximum = info.nMax;
    return TRUE;
}
}
