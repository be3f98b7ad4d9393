/*
 * Window classes and windows of the platform layer: the subset of Win32's user
 * interface that the viewer, its controls and the framework stand-in call.
 *
 * Provided here: RegisterClassExW, UnregisterClassW, GetClassInfoExW,
 * CreateWindowExW, DestroyWindow, IsWindow, IsWindowVisible, IsWindowEnabled,
 * EnableWindow, IsChild, GetParent, SetParent, GetAncestor, GetWindow,
 * Get/SetWindowLongPtrW and Get/SetWindowLongW, GetClassLongPtrW, window text,
 * SetWindowPos, MoveWindow, GetClientRect, GetWindowRect, ScreenToClient,
 * ClientToScreen, MapWindowPoints, WindowFromPoint, ShowWindow, IsIconic, IsZoomed,
 * GetWindowPlacement and SetWindowPlacement.
 *
 * A window is a platform record (class, procedure, styles, rectangles, parent and
 * owner, the thread's queue). It stays headless until it is shown while the program
 * has a Qt application; then a Qt widget backs it (platform/qt.h). Rectangles of child
 * windows are in their parent's client coordinates, those of top-level windows in
 * screen coordinates; right and bottom are exclusive. A top-level window's rectangle
 * is what Qt calls its geometry: the window manager's caption and frame lie outside.
 *
 * Windows belong to the thread that created them: the calls that change a window or
 * send it messages are made on that thread (others fail with ERROR_ACCESS_DENIED);
 * queries and PostMessageW work from any thread. A destroyed window's handle is never
 * given to another window.
 */
#ifndef PLATFORM_USER_WINDOWS_H
#define PLATFORM_USER_WINDOWS_H

#include "platform/api.h"
#include "platform/gdi.h"
#include "platform/user_messages.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

#ifndef ERROR_CLASS_ALREADY_EXISTS
#define ERROR_CLASS_ALREADY_EXISTS 1410
#endif
#ifndef ERROR_CLASS_DOES_NOT_EXIST
#define ERROR_CLASS_DOES_NOT_EXIST 1411
#endif
#ifndef ERROR_CLASS_HAS_WINDOWS
#define ERROR_CLASS_HAS_WINDOWS 1412
#endif
#ifndef ERROR_TLW_WITH_WSCHILD
#define ERROR_TLW_WITH_WSCHILD 1406
#endif

typedef WORD ATOM;
PLATFORM_DECLARE_HANDLE(HICON);
PLATFORM_DECLARE_HANDLE(HMENU);
typedef HICON HCURSOR;

/* A resource or class given by number instead of name. */
#ifdef __cplusplus
#define MAKEINTRESOURCEW(i) (reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define MAKEINTATOM(i) MAKEINTRESOURCEW(i)
#define IS_INTRESOURCE(r) ((reinterpret_cast<ULONG_PTR>(r) >> 16) == 0)
#else
#define MAKEINTRESOURCEW(i) ((LPWSTR)(ULONG_PTR)(WORD)(i))
#define MAKEINTATOM(i) MAKEINTRESOURCEW(i)
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#endif

/* ---- Styles ------------------------------------------------------------------------ */

#define WS_OVERLAPPED 0x00000000u
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_MINIMIZE 0x20000000u
#define WS_VISIBLE 0x10000000u
#define WS_DISABLED 0x08000000u
#define WS_CLIPSIBLINGS 0x04000000u
#define WS_CLIPCHILDREN 0x02000000u
#define WS_MAXIMIZE 0x01000000u
#define WS_CAPTION 0x00C00000u
#define WS_BORDER 0x00800000u
#define WS_DLGFRAME 0x00400000u
#define WS_VSCROLL 0x00200000u
#define WS_HSCROLL 0x00100000u
#define WS_SYSMENU 0x00080000u
#define WS_THICKFRAME 0x00040000u
#define WS_GROUP 0x00020000u
#define WS_TABSTOP 0x00010000u
#define WS_MINIMIZEBOX 0x00020000u
#define WS_MAXIMIZEBOX 0x00010000u
#define WS_OVERLAPPEDWINDOW \
    (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_POPUPWINDOW (WS_POPUP | WS_BORDER | WS_SYSMENU)

#define WS_EX_DLGMODALFRAME 0x00000001u
#define WS_EX_TOPMOST 0x00000008u
#define WS_EX_TRANSPARENT 0x00000020u
#define WS_EX_TOOLWINDOW 0x00000080u
#define WS_EX_WINDOWEDGE 0x00000100u
#define WS_EX_CLIENTEDGE 0x00000200u
#define WS_EX_RIGHT 0x00001000u
#define WS_EX_RTLREADING 0x00002000u
#define WS_EX_LEFTSCROLLBAR 0x00004000u
#define WS_EX_CONTROLPARENT 0x00010000u
#define WS_EX_STATICEDGE 0x00020000u
#define WS_EX_APPWINDOW 0x00040000u
#define WS_EX_LAYOUTRTL 0x00400000u
#define WS_EX_NOACTIVATE 0x08000000u

/* Class styles. CS_DBLCLKS: a second click soon after the first in about the same
 * place arrives as WM_xBUTTONDBLCLK instead of a second WM_xBUTTONDOWN. CS_HREDRAW and
 * CS_VREDRAW: a change of width or height invalidates the whole client area instead of
 * the uncovered parts. The others are kept only. */
#define CS_VREDRAW 0x0001u
#define CS_HREDRAW 0x0002u
#define CS_DBLCLKS 0x0008u
#define CS_OWNDC 0x0020u
#define CS_CLASSDC 0x0040u
#define CS_PARENTDC 0x0080u
#define CS_SAVEBITS 0x0800u
#define CS_GLOBALCLASS 0x4000u

/* ---- Classes ------------------------------------------------------------------------ */

typedef struct tagWNDCLASSEXW {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra; /* bytes of GetWindowLongPtrW slots at offsets 0, 8, ... */
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground; /* a brush, or a system colour index + 1 */
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName; /* a name, or an atom by MAKEINTATOM */
    HICON hIconSm;
} WNDCLASSEXW, *LPWNDCLASSEXW;

/*
 * Registers a class for the process; class names compare without regard to case. The
 * atom, or 0 with ERROR_CLASS_ALREADY_EXISTS for a name taken (by any module), or with
 * ERROR_INVALID_PARAMETER for a bad record (cbSize, no name or procedure, negative or
 * above 40 extra bytes).
 */
PLATFORM_API ATOM RegisterClassExW(const WNDCLASSEXW* window_class) PLATFORM_NOEXCEPT;
/* FALSE with ERROR_CLASS_DOES_NOT_EXIST or ERROR_CLASS_HAS_WINDOWS. */
PLATFORM_API BOOL UnregisterClassW(LPCWSTR class_name, HINSTANCE instance) PLATFORM_NOEXCEPT;
/* The class record (lpszClassName points at the caller's name); FALSE with
 * ERROR_CLASS_DOES_NOT_EXIST. */
PLATFORM_API BOOL GetClassInfoExW(HINSTANCE instance, LPCWSTR class_name,
                                  LPWNDCLASSEXW info) PLATFORM_NOEXCEPT;

#define GCL_STYLE (-26)
#define GCLP_HCURSOR (-12)
#define GCLP_HBRBACKGROUND (-10)
#define GCLP_WNDPROC (-24)
/* One field of the window's class; 0 with ERROR_INVALID_PARAMETER for another index. */
PLATFORM_API ULONG_PTR GetClassLongPtrW(HWND window, int index) PLATFORM_NOEXCEPT;

/* ---- Creation and destruction ------------------------------------------------------ */

typedef struct tagCREATESTRUCTW {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCWSTR lpszName;
    LPCWSTR lpszClass;
    DWORD dwExStyle;
} CREATESTRUCTW, *LPCREATESTRUCTW;

#ifdef __cplusplus
#define CW_USEDEFAULT (static_cast<int>(0x80000000u))
#else
#define CW_USEDEFAULT ((int)0x80000000u)
#endif

/*
 * Creates a window of a registered class. A WS_CHILD window needs a parent and takes
 * `menu` as its id (GWLP_ID); any other window takes `parent` as its owner. Sends
 * WM_GETMINMAXINFO (top-level windows), WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE (both
 * with the CREATESTRUCTW, whose lpCreateParams is `parameter`), then WM_SIZE and
 * WM_MOVE, and shows the window when the style has WS_VISIBLE. NULL when WM_NCCREATE
 * answers FALSE or WM_CREATE -1 (the window is destroyed again), with
 * ERROR_CLASS_DOES_NOT_EXIST, ERROR_INVALID_WINDOW_HANDLE (bad parent) or
 * ERROR_TLW_WITH_WSCHILD (a child without a parent).
 */
PLATFORM_API HWND CreateWindowExW(DWORD ex_style, LPCWSTR class_name, LPCWSTR window_name,
                                  DWORD style, int x, int y, int width, int height, HWND parent,
                                  HMENU menu, HINSTANCE instance,
                                  LPVOID parameter) PLATFORM_NOEXCEPT;

/*
 * Destroys the window, the windows it owns and its children: hides it, sends
 * WM_DESTROY to it and then to its children, WM_NCDESTROY to the children and last to
 * it; its timers stop, its queued messages are dropped, focus and capture inside it
 * are released and its DCs become invalid. Calls during its own destruction do
 * nothing.
 */
PLATFORM_API BOOL DestroyWindow(HWND window) PLATFORM_NOEXCEPT;

PLATFORM_API BOOL IsWindow(HWND window) PLATFORM_NOEXCEPT;
/* The window and all its ancestors have WS_VISIBLE. */
PLATFORM_API BOOL IsWindowVisible(HWND window) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL IsWindowEnabled(HWND window) PLATFORM_NOEXCEPT;
/* Sends WM_ENABLE on a change; returns whether the window was disabled before. */
PLATFORM_API BOOL EnableWindow(HWND window, BOOL enable) PLATFORM_NOEXCEPT;
/* `child` lies below `parent` in the tree of child windows. */
PLATFORM_API BOOL IsChild(HWND parent, HWND child) PLATFORM_NOEXCEPT;

/* The parent of a child window, the owner of another window, or NULL. */
PLATFORM_API HWND GetParent(HWND window) PLATFORM_NOEXCEPT;
/* Moves a child window under another parent (NULL: makes it top-level); returns the
 * old parent. */
PLATFORM_API HWND SetParent(HWND window, HWND parent) PLATFORM_NOEXCEPT;

#define GA_PARENT 1
#define GA_ROOT 2
#define GA_ROOTOWNER 3
PLATFORM_API HWND GetAncestor(HWND window, UINT flags) PLATFORM_NOEXCEPT;

#define GW_HWNDFIRST 0
#define GW_HWNDLAST 1
#define GW_HWNDNEXT 2
#define GW_HWNDPREV 3
#define GW_OWNER 4
#define GW_CHILD 5
/* Siblings and children in z-order, first the topmost. */
PLATFORM_API HWND GetWindow(HWND window, UINT command) PLATFORM_NOEXCEPT;

/* ---- Window data -------------------------------------------------------------------- */

#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWLP_HWNDPARENT (-8)
#define GWLP_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWLP_USERDATA (-21)
#define GWL_WNDPROC GWLP_WNDPROC
#define GWL_ID GWLP_ID
#define GWL_USERDATA GWLP_USERDATA

typedef struct tagSTYLESTRUCT {
    DWORD styleOld;
    DWORD styleNew;
} STYLESTRUCT, *LPSTYLESTRUCT;

/*
 * A field of the window (GWL_/GWLP_ indices) or a pointer-wide slot of its extra bytes
 * (offsets from 0). Setting GWL_STYLE or GWL_EXSTYLE sends WM_STYLECHANGING and
 * WM_STYLECHANGED; the frame follows only at the next SetWindowPos with
 * SWP_FRAMECHANGED, as on Win32. Returns the previous value; 0 with
 * ERROR_INVALID_PARAMETER for an index outside the window.
 */
PLATFORM_API LONG_PTR GetWindowLongPtrW(HWND window, int index) PLATFORM_NOEXCEPT;
PLATFORM_API LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value) PLATFORM_NOEXCEPT;
/* 32-bit slots and fields (styles, ids). */
PLATFORM_API LONG GetWindowLongW(HWND window, int index) PLATFORM_NOEXCEPT;
PLATFORM_API LONG SetWindowLongW(HWND window, int index, LONG value) PLATFORM_NOEXCEPT;

/* Window text (WM_SETTEXT / WM_GETTEXT to the window). GetWindowTextW copies at most
 * size - 1 units and a NUL and returns the count copied. */
PLATFORM_API BOOL SetWindowTextW(HWND window, LPCWSTR text) PLATFORM_NOEXCEPT;
PLATFORM_API int GetWindowTextW(HWND window, LPWSTR buffer, int size) PLATFORM_NOEXCEPT;
PLATFORM_API int GetWindowTextLengthW(HWND window) PLATFORM_NOEXCEPT;

/* ---- Position, size and state ------------------------------------------------------- */

typedef struct tagWINDOWPOS {
    HWND hwnd;
    HWND hwndInsertAfter;
    int x;
    int y;
    int cx;
    int cy;
    UINT flags;
} WINDOWPOS, *LPWINDOWPOS;

typedef struct tagNCCALCSIZE_PARAMS {
    RECT rgrc[3]; /* [0]: the new window rectangle in, the new client rectangle out */
    LPWINDOWPOS lppos;
} NCCALCSIZE_PARAMS, *LPNCCALCSIZE_PARAMS;

typedef struct tagMINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
} MINMAXINFO, *LPMINMAXINFO;

#define SWP_NOSIZE 0x0001u
#define SWP_NOMOVE 0x0002u
#define SWP_NOZORDER 0x0004u
#define SWP_NOREDRAW 0x0008u
#define SWP_NOACTIVATE 0x0010u
#define SWP_FRAMECHANGED 0x0020u
#define SWP_SHOWWINDOW 0x0040u
#define SWP_HIDEWINDOW 0x0080u
#define SWP_NOCOPYBITS 0x0100u
#define SWP_NOOWNERZORDER 0x0200u
#define SWP_NOSENDCHANGING 0x0400u
/* Set in WM_WINDOWPOSCHANGED when the client area kept its size / its place. */
#define SWP_NOCLIENTSIZE 0x0800u
#define SWP_NOCLIENTMOVE 0x1000u
#define SWP_DRAWFRAME SWP_FRAMECHANGED
#define SWP_NOREPOSITION SWP_NOOWNERZORDER

#ifdef __cplusplus
#define HWND_TOP (static_cast<HWND>(nullptr))
#define HWND_BOTTOM (reinterpret_cast<HWND>(static_cast<LONG_PTR>(1)))
#define HWND_TOPMOST (reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)))
#define HWND_NOTOPMOST (reinterpret_cast<HWND>(static_cast<LONG_PTR>(-2)))
#else
#define HWND_TOP ((HWND)0)
#define HWND_BOTTOM ((HWND)(LONG_PTR)1)
#define HWND_TOPMOST ((HWND)(LONG_PTR)-1)
#define HWND_NOTOPMOST ((HWND)(LONG_PTR)-2)
#endif

/*
 * Moves, sizes, re-orders, shows or hides the window: WM_WINDOWPOSCHANGING (the
 * receiver may change the WINDOWPOS), WM_NCCALCSIZE when the size changes or with
 * SWP_FRAMECHANGED, then the change, then WM_WINDOWPOSCHANGED (whose default handling
 * sends WM_MOVE and WM_SIZE). Uncovered parts of the client area (all of it for a class
 * with CS_HREDRAW / CS_VREDRAW) are invalidated unless SWP_NOREDRAW.
 */
PLATFORM_API BOOL SetWindowPos(HWND window, HWND insert_after, int x, int y, int width, int height,
                               UINT flags) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL MoveWindow(HWND window, int x, int y, int width, int height,
                             BOOL repaint) PLATFORM_NOEXCEPT;

/* The client area: (0, 0, width, height). */
PLATFORM_API BOOL GetClientRect(HWND window, LPRECT rect) PLATFORM_NOEXCEPT;
/* The window's rectangle in screen coordinates, non-client area included. */
PLATFORM_API BOOL GetWindowRect(HWND window, LPRECT rect) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL ScreenToClient(HWND window, LPPOINT point) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL ClientToScreen(HWND window, LPPOINT point) PLATFORM_NOEXCEPT;
/* Maps points from one window's client coordinates to another's (NULL: the screen).
 * Returns the offset (x in the low, y in the high 16 bits); 0 with the last error set on
 * failure. */
PLATFORM_API int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) PLATFORM_NOEXCEPT;
/* The deepest visible, enabled window under the screen point, or NULL. */
PLATFORM_API HWND WindowFromPoint(POINT point) PLATFORM_NOEXCEPT;

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10

/*
 * Shows, hides, maximises, minimises or restores the window. A maximised top-level
 * window covers the desktop (GetSystemMetrics SM_CXSCREEN by SM_CYSCREEN) and keeps its
 * normal rectangle for restoring. Sends WM_SHOWWINDOW when the visibility changes,
 * then as SetWindowPos. Returns whether the window was visible before.
 */
PLATFORM_API BOOL ShowWindow(HWND window, int command) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL IsIconic(HWND window) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL IsZoomed(HWND window) PLATFORM_NOEXCEPT;

typedef struct tagWINDOWPLACEMENT {
    UINT length;
    UINT flags;
    UINT showCmd; /* SW_SHOWNORMAL, SW_SHOWMINIMIZED or SW_SHOWMAXIMIZED */
    POINT ptMinPosition;
    POINT ptMaxPosition;
    RECT rcNormalPosition; /* the restored rectangle (screen or parent's client) */
} WINDOWPLACEMENT, *LPWINDOWPLACEMENT;

/* FALSE with ERROR_INVALID_PARAMETER unless length is sizeof(WINDOWPLACEMENT). */
PLATFORM_API BOOL GetWindowPlacement(HWND window, LPWINDOWPLACEMENT placement) PLATFORM_NOEXCEPT;
/* Sets the normal rectangle and shows the window as showCmd says. */
PLATFORM_API BOOL SetWindowPlacement(HWND window,
                                     const WINDOWPLACEMENT* placement) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
