/*
 * Painting of windows: the subset of Win32's user interface that the viewer, its
 * controls and the framework stand-in call.
 *
 * Provided here: InvalidateRect, ValidateRect, GetUpdateRect, UpdateWindow,
 * RedrawWindow, BeginPaint, EndPaint, GetDC, GetWindowDC, ReleaseDC, WindowFromDC;
 * the drawing calls of the user interface FillRect, FrameRect, DrawFocusRect,
 * DrawEdge and DrawTextW; and the rectangle helpers.
 *
 * Every window keeps a retained 32-bit surface of its whole rectangle. A window DC
 * draws into it: GetDC and BeginPaint with the client area's top-left corner as
 * (0, 0), clipped to the client area; GetWindowDC over the whole window. The paint DC of
 * BeginPaint is clipped to the update region as well. When Qt backs the window,
 * EndPaint and ReleaseDC ask Qt to show the new pixels; Qt never asks for a WM_PAINT
 * to show them again.
 *
 * Update regions are in client coordinates. A hidden window keeps none: showing it
 * invalidates it whole.
 *
 * The DCs of GetDC, GetWindowDC and BeginPaint start with the window origin (0, 0); the
 * drawing calls below take logical coordinates, as every GDI call does (gdi.h).
 */
#ifndef PLATFORM_USER_PAINT_H
#define PLATFORM_USER_PAINT_H

#include "platform/api.h"
#include "platform/gdi.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

typedef struct tagPAINTSTRUCT {
    HDC hdc;
    BOOL fErase; /* WM_ERASEBKGND was not answered nonzero: the background is left to paint */
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
} PAINTSTRUCT, *LPPAINTSTRUCT;

/* Adds the rectangle (NULL: the whole client area) to the update region; with erase,
 * the next BeginPaint sends WM_ERASEBKGND first. Children are invalidated too where
 * they lie in the rectangle, unless the window has WS_CLIPCHILDREN. */
PLATFORM_API BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) PLATFORM_NOEXCEPT;
/* Takes the rectangle (NULL: all) out of the update region. */
PLATFORM_API BOOL ValidateRect(HWND window, const RECT* rect) PLATFORM_NOEXCEPT;
/* The bounding box of the update region (empty when none); TRUE when there is one. With
 * erase, a pending erase is done at once (WM_ERASEBKGND). */
PLATFORM_API BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL erase) PLATFORM_NOEXCEPT;
/* Sends WM_PAINT at once when the window is visible and has an update region; nothing
 * otherwise. */
PLATFORM_API BOOL UpdateWindow(HWND window) PLATFORM_NOEXCEPT;

#define RDW_INVALIDATE 0x0001u
#define RDW_INTERNALPAINT 0x0002u
#define RDW_ERASE 0x0004u
#define RDW_VALIDATE 0x0008u
#define RDW_NOINTERNALPAINT 0x0010u
#define RDW_NOERASE 0x0020u
#define RDW_NOCHILDREN 0x0040u
#define RDW_ALLCHILDREN 0x0080u
#define RDW_UPDATENOW 0x0100u
#define RDW_ERASENOW 0x0200u
#define RDW_FRAME 0x0400u
#define RDW_NOFRAME 0x0800u

/*
 * Invalidates or validates the rectangle or region (both NULL: the whole client area)
 * of the window, and of its children with RDW_ALLCHILDREN (or, without RDW_NOCHILDREN,
 * when the window lacks WS_CLIPCHILDREN); RDW_FRAME adds the non-client area (WM_NCPAINT
 * at the next paint). RDW_UPDATENOW paints at once (WM_NCPAINT, WM_ERASEBKGND,
 * WM_PAINT), RDW_ERASENOW only erases at once.
 */
PLATFORM_API BOOL RedrawWindow(HWND window, const RECT* rect, HRGN region,
                               UINT flags) PLATFORM_NOEXCEPT;

/*
 * Starts painting: the paint DC, rcPaint the bounding box of the update region, which is
 * then empty. Sends WM_NCPAINT when the frame was invalidated and WM_ERASEBKGND (wParam
 * the DC) when an erase is pending. What the DC draws outside the update region is
 * undone by EndPaint. NULL when the window does not exist.
 */
PLATFORM_API HDC BeginPaint(HWND window, LPPAINTSTRUCT paint) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) PLATFORM_NOEXCEPT;

/* A DC over the client area (GetDC) or the whole window (GetWindowDC), until
 * ReleaseDC. NULL stands for the screen: a DC for measuring that draws nothing. A
 * window's DCs become invalid when it is destroyed. */
PLATFORM_API HDC GetDC(HWND window) PLATFORM_NOEXCEPT;
PLATFORM_API HDC GetWindowDC(HWND window) PLATFORM_NOEXCEPT;
/* 1 when released, 0 for a DC that is not the window's. */
PLATFORM_API int ReleaseDC(HWND window, HDC dc) PLATFORM_NOEXCEPT;
/* The window of a window DC, or NULL. */
PLATFORM_API HWND WindowFromDC(HDC dc) PLATFORM_NOEXCEPT;

/* ---- Drawing ------------------------------------------------------------------------- */

/* Fills the rectangle with the brush (a brush, or a system colour index + 1), whatever
 * the ROP2 mode. */
PLATFORM_API int FillRect(HDC dc, const RECT* rect, HBRUSH brush) PLATFORM_NOEXCEPT;
/* A one-pixel frame just inside the rectangle in the brush's colour. */
PLATFORM_API int FrameRect(HDC dc, const RECT* rect, HBRUSH brush) PLATFORM_NOEXCEPT;
/* The dotted focus frame just inside the rectangle, drawn by inverting every other
 * pixel: drawn twice it is gone. */
PLATFORM_API BOOL DrawFocusRect(HDC dc, const RECT* rect) PLATFORM_NOEXCEPT;

#define BDR_RAISEDOUTER 0x0001u
#define BDR_SUNKENOUTER 0x0002u
#define BDR_RAISEDINNER 0x0004u
#define BDR_SUNKENINNER 0x0008u
#define BDR_OUTER (BDR_RAISEDOUTER | BDR_SUNKENOUTER)
#define BDR_INNER (BDR_RAISEDINNER | BDR_SUNKENINNER)
#define EDGE_RAISED (BDR_RAISEDOUTER | BDR_RAISEDINNER)
#define EDGE_SUNKEN (BDR_SUNKENOUTER | BDR_SUNKENINNER)
#define EDGE_ETCHED (BDR_SUNKENOUTER | BDR_RAISEDINNER)
#define EDGE_BUMP (BDR_RAISEDOUTER | BDR_SUNKENINNER)

#define BF_LEFT 0x0001u
#define BF_TOP 0x0002u
#define BF_RIGHT 0x0004u
#define BF_BOTTOM 0x0008u
#define BF_TOPLEFT (BF_TOP | BF_LEFT)
#define BF_BOTTOMRIGHT (BF_BOTTOM | BF_RIGHT)
#define BF_RECT (BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM)
#define BF_MIDDLE 0x0800u
#define BF_SOFT 0x1000u
#define BF_ADJUST 0x2000u
#define BF_FLAT 0x4000u
#define BF_MONO 0x8000u

/*
 * The 3-D edges of a rectangle in the system colours: an outer and an inner ring of one
 * pixel each, raised or sunken, on the sides that `flags` names. BF_FLAT draws them in
 * the shadow colour, BF_MONO in the frame colour; BF_MIDDLE fills the inside with the
 * button face; BF_ADJUST shrinks *rect to the inside. Diagonal edges are not drawn.
 */
PLATFORM_API BOOL DrawEdge(HDC dc, LPRECT rect, UINT edge, UINT flags) PLATFORM_NOEXCEPT;

#define DT_TOP 0x00000000u
#define DT_LEFT 0x00000000u
#define DT_CENTER 0x00000001u
#define DT_RIGHT 0x00000002u
#define DT_VCENTER 0x00000004u
#define DT_BOTTOM 0x00000008u
#define DT_WORDBREAK 0x00000010u
#define DT_SINGLELINE 0x00000020u
#define DT_EXPANDTABS 0x00000040u
#define DT_NOCLIP 0x00000100u
#define DT_EXTERNALLEADING 0x00000200u
#define DT_CALCRECT 0x00000400u
#define DT_NOPREFIX 0x00000800u
#define DT_EDITCONTROL 0x00002000u
#define DT_END_ELLIPSIS 0x00008000u

/*
 * Draws count UTF-16 units of text (-1: up to a NUL) in the DC's font, text colour and
 * background mode inside the rectangle: aligned left, centred or right; one line
 * (DT_SINGLELINE, which DT_VCENTER and DT_BOTTOM place vertically) or lines broken at
 * line ends and, with DT_WORDBREAK, between words where a line would be too wide;
 * "&x" shows as "x" and "&&" as "&" unless DT_NOPREFIX; tabs are 8 average characters
 * wide with DT_EXPANDTABS; a line too wide ends in "..." with DT_END_ELLIPSIS; clipped to
 * the rectangle unless DT_NOCLIP. With DT_CALCRECT nothing is drawn and the rectangle's
 * right and bottom are set to fit the text. Returns the height of the text (with
 * DT_VCENTER or DT_BOTTOM, the distance from the rectangle's top to the text's
 * bottom); 0 on failure.
 */
PLATFORM_API int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect,
                           UINT format) PLATFORM_NOEXCEPT;

/* ---- Rectangles ----------------------------------------------------------------------- */

PLATFORM_API BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL SetRectEmpty(LPRECT rect) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL CopyRect(LPRECT to, const RECT* from) PLATFORM_NOEXCEPT;
/* Empty: right <= left or bottom <= top. */
PLATFORM_API BOOL IsRectEmpty(const RECT* rect) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL EqualRect(const RECT* a, const RECT* b) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL PtInRect(const RECT* rect, POINT point) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL InflateRect(LPRECT rect, int dx, int dy) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL OffsetRect(LPRECT rect, int dx, int dy) PLATFORM_NOEXCEPT;
/* FALSE (and an empty result) when they do not meet. */
PLATFORM_API BOOL IntersectRect(LPRECT result, const RECT* a, const RECT* b) PLATFORM_NOEXCEPT;
/* An empty rectangle adds nothing. */
PLATFORM_API BOOL UnionRect(LPRECT result, const RECT* a, const RECT* b) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
