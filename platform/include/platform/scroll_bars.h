/*
 * The standard scroll bars of a window (WS_HSCROLL, WS_VSCROLL): the subset of Win32's
 * user interface that the list-view control calls.
 *
 * Provided here: SetScrollInfo, GetScrollInfo, ShowScrollBar, SetScrollPos,
 * GetScrollPos, SetScrollRange and GetScrollRange.
 *
 * A bar's range, page and position live in the window record. A shown bar takes its
 * thickness (GetSystemMetrics SM_CYHSCROLL, SM_CXVSCROLL) from the client area; when Qt
 * backs the window it is a real Qt scroll bar, whose use arrives as posted WM_HSCROLL /
 * WM_VSCROLL messages with the SB_* codes (SB_THUMBTRACK with the track position,
 * SB_THUMBPOSITION on release, SB_ENDSCROLL after every action). The bar does not move
 * by itself: the window sets the new position, as on Win32.
 */
#ifndef PLATFORM_SCROLL_BARS_H
#define PLATFORM_SCROLL_BARS_H

#include "platform/api.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

#define SB_HORZ 0
#define SB_VERT 1
#define SB_CTL 2
#define SB_BOTH 3

/* WM_HSCROLL / WM_VSCROLL codes (LOWORD of wParam). */
#define SB_LINEUP 0
#define SB_LINELEFT 0
#define SB_LINEDOWN 1
#define SB_LINERIGHT 1
#define SB_PAGEUP 2
#define SB_PAGELEFT 2
#define SB_PAGEDOWN 3
#define SB_PAGERIGHT 3
#define SB_THUMBPOSITION 4
#define SB_THUMBTRACK 5
#define SB_TOP 6
#define SB_LEFT 6
#define SB_BOTTOM 7
#define SB_RIGHT 7
#define SB_ENDSCROLL 8

#define SIF_RANGE 0x0001u
#define SIF_PAGE 0x0002u
#define SIF_POS 0x0004u
#define SIF_DISABLENOSCROLL 0x0008u
#define SIF_TRACKPOS 0x0010u
#define SIF_ALL (SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS)

typedef struct tagSCROLLINFO {
    UINT cbSize;
    UINT fMask;
    int nMin;
    int nMax;
    UINT nPage;
    int nPos;
    int nTrackPos;
} SCROLLINFO, *LPSCROLLINFO;

/*
 * Sets what fMask names; the page is kept within 0 .. nMax - nMin + 1 and the position
 * within nMin .. nMax - max(page - 1, 0). Returns the new position; 0 for a window that
 * does not exist or a bar other than SB_HORZ / SB_VERT.
 */
PLATFORM_API int SetScrollInfo(HWND window, int bar, const SCROLLINFO* info,
                               BOOL redraw) PLATFORM_NOEXCEPT;
/* Fills what fMask names (nTrackPos: the thumb while it is dragged, else the position).
 * FALSE for a bad window, bar or cbSize. */
PLATFORM_API BOOL GetScrollInfo(HWND window, int bar, LPSCROLLINFO info) PLATFORM_NOEXCEPT;
/* Shows or hides the bar (SB_HORZ, SB_VERT or SB_BOTH): the style changes, the frame is
 * calculated again (WM_NCCALCSIZE) and WM_SIZE reports the new client size. */
PLATFORM_API BOOL ShowScrollBar(HWND window, int bar, BOOL show) PLATFORM_NOEXCEPT;
/* Returns the previous position. */
PLATFORM_API int SetScrollPos(HWND window, int bar, int position, BOOL redraw) PLATFORM_NOEXCEPT;
PLATFORM_API int GetScrollPos(HWND window, int bar) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL SetScrollRange(HWND window, int bar, int minimum, int maximum,
                                 BOOL redraw) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL GetScrollRange(HWND window, int bar, LPINT minimum,
                                 LPINT maximum) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
