/*
 * Window messages and the message queue of the platform layer: the subset of Win32's
 * user interface that the viewer, its controls and the framework stand-in call.
 *
 * Provided here: the WM_* numbers and their parameter macros, MSG, window procedures
 * (CallWindowProcW, DefWindowProcW), and the queue calls SendMessageW, PostMessageW,
 * PostQuitMessage, GetMessageW, PeekMessageW, TranslateMessage,
 * DispatchMessageW, WaitMessage, GetMessagePos, GetMessageTime and GetQueueStatus.
 *
 * Each thread that creates a window or calls a queue function gets one message
 * queue. Retrieval follows Win32's order: messages sent from other threads are handled
 * first, then posted messages and input in the order they came, then WM_QUIT, then
 * WM_PAINT (while a visible window of the thread has an update region), then WM_TIMER
 * (one pending message per due timer). A message for a window that has been destroyed
 * is dropped, never dispatched; window handles are never reused.
 *
 * On the thread of the program's Qt application, waiting in GetMessageW or WaitMessage
 * lets Qt process its events; platform never runs QApplication::exec. Qt input becomes
 * posted messages of this queue.
 */
#ifndef PLATFORM_USER_MESSAGES_H
#define PLATFORM_USER_MESSAGES_H

#include "platform/api.h"
#include "platform/gdi.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

#ifndef ERROR_INVALID_WINDOW_HANDLE
#define ERROR_INVALID_WINDOW_HANDLE 1400
#endif
#ifndef ERROR_ACCESS_DENIED
#define ERROR_ACCESS_DENIED 5
#endif

/* ---- Message numbers ---------------------------------------------------------------- */

#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_ENABLE 0x000A
#define WM_SETREDRAW 0x000B
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SYSCOLORCHANGE 0x0015
#define WM_SHOWWINDOW 0x0018
#define WM_SETTINGCHANGE 0x001A
#define WM_ACTIVATEAPP 0x001C
#define WM_CANCELMODE 0x001F
#define WM_SETCURSOR 0x0020
#define WM_MOUSEACTIVATE 0x0021
#define WM_GETMINMAXINFO 0x0024
#define WM_SETFONT 0x0030
#define WM_GETFONT 0x0031
#define WM_GETOBJECT 0x003D
#define WM_WINDOWPOSCHANGING 0x0046
#define WM_WINDOWPOSCHANGED 0x0047
#define WM_NOTIFY 0x004E
#define WM_CONTEXTMENU 0x007B
#define WM_STYLECHANGING 0x007C
#define WM_STYLECHANGED 0x007D
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_NCCALCSIZE 0x0083
#define WM_NCHITTEST 0x0084
#define WM_NCPAINT 0x0085
#define WM_NCACTIVATE 0x0086
#define WM_GETDLGCODE 0x0087
#define WM_NCMOUSEMOVE 0x00A0
#define WM_NCLBUTTONDOWN 0x00A1
#define WM_NCLBUTTONUP 0x00A2
#define WM_NCLBUTTONDBLCLK 0x00A3
#define WM_NCRBUTTONDOWN 0x00A4
#define WM_NCRBUTTONUP 0x00A5
#define WM_NCRBUTTONDBLCLK 0x00A6
#define WM_NCMBUTTONDOWN 0x00A7
#define WM_NCMBUTTONUP 0x00A8
#define WM_NCMBUTTONDBLCLK 0x00A9
#define WM_KEYFIRST 0x0100
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_DEADCHAR 0x0103
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_SYSCHAR 0x0106
#define WM_KEYLAST 0x0109
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_HSCROLL 0x0114
#define WM_VSCROLL 0x0115
#define WM_MOUSEFIRST 0x0200
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_RBUTTONDBLCLK 0x0206
#define WM_MBUTTONDOWN 0x0207
#define WM_MBUTTONUP 0x0208
#define WM_MBUTTONDBLCLK 0x0209
#define WM_MOUSEWHEEL 0x020A
#define WM_MOUSEHWHEEL 0x020E
#define WM_MOUSELAST 0x020E
#define WM_PARENTNOTIFY 0x0210
#define WM_CAPTURECHANGED 0x0215
#define WM_ENTERSIZEMOVE 0x0231
#define WM_EXITSIZEMOVE 0x0232
#define WM_MOUSEHOVER 0x02A1
#define WM_MOUSELEAVE 0x02A3
#define WM_THEMECHANGED 0x031A
#define WM_USER 0x0400
#define WM_APP 0x8000

/* Key and button flags of mouse messages (wParam). */
#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002
#define MK_SHIFT 0x0004
#define MK_CONTROL 0x0008
#define MK_MBUTTON 0x0010

/* One notch of a mouse wheel. */
#define WHEEL_DELTA 120

/* WM_SIZE kinds. */
#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2

/* WM_SYSCOMMAND commands; the low four bits are the system's own. */
#define SC_SIZE 0xF000
#define SC_MOVE 0xF010
#define SC_MINIMIZE 0xF020
#define SC_MAXIMIZE 0xF030
#define SC_CLOSE 0xF060
#define SC_RESTORE 0xF120

/* WM_NCHITTEST answers. */
#define HTERROR (-2)
#define HTTRANSPARENT (-1)
#define HTNOWHERE 0
#define HTCLIENT 1
#define HTCAPTION 2
#define HTSYSMENU 3
#define HTHSCROLL 6
#define HTVSCROLL 7
#define HTBORDER 18

/* WM_ACTIVATE kinds (LOWORD of wParam). */
#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2

/* WM_MOUSEACTIVATE answers. */
#define MA_ACTIVATE 1
#define MA_ACTIVATEANDEAT 2
#define MA_NOACTIVATE 3
#define MA_NOACTIVATEANDEAT 4

/* WM_GETDLGCODE answers. */
#define DLGC_WANTARROWS 0x0001
#define DLGC_WANTTAB 0x0002
#define DLGC_WANTALLKEYS 0x0004
#define DLGC_WANTCHARS 0x0080

/* Parameter packing. The coordinates of mouse messages are signed 16-bit halves. */
#ifdef __cplusplus
#define LOWORD(l) (static_cast<WORD>(static_cast<DWORD_PTR>(l) & 0xFFFFu))
#define HIWORD(l) (static_cast<WORD>((static_cast<DWORD_PTR>(l) >> 16) & 0xFFFFu))
#define MAKELONG(low, high)                                         \
    (static_cast<LONG>(static_cast<DWORD>(static_cast<WORD>(low)) | \
                       (static_cast<DWORD>(static_cast<WORD>(high)) << 16)))
#define MAKEWPARAM(low, high) (static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(low, high))))
#define MAKELPARAM(low, high) (static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(low, high))))
#define GET_X_LPARAM(lp) (static_cast<int>(static_cast<short>(LOWORD(lp))))
#define GET_Y_LPARAM(lp) (static_cast<int>(static_cast<short>(HIWORD(lp))))
#define GET_WHEEL_DELTA_WPARAM(wp) (static_cast<short>(HIWORD(wp)))
#define GET_KEYSTATE_WPARAM(wp) (LOWORD(wp))
#else
#define LOWORD(l) ((WORD)((DWORD_PTR)(l)&0xFFFFu))
#define HIWORD(l) ((WORD)(((DWORD_PTR)(l) >> 16) & 0xFFFFu))
#define MAKELONG(low, high) ((LONG)(((DWORD)(WORD)(low)) | (((DWORD)(WORD)(high)) << 16)))
#define MAKEWPARAM(low, high) ((WPARAM)(DWORD)MAKELONG(low, high))
#define MAKELPARAM(low, high) ((LPARAM)(DWORD)MAKELONG(low, high))
#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))
#define GET_WHEEL_DELTA_WPARAM(wp) ((short)HIWORD(wp))
#define GET_KEYSTATE_WPARAM(wp) (LOWORD(wp))
#endif

/* ---- Window procedures ------------------------------------------------------------- */

typedef LRESULT (*WNDPROC)(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

/* Calls the procedure with the message; 0 for a NULL procedure. */
PLATFORM_API LRESULT CallWindowProcW(WNDPROC procedure, HWND window, UINT message, WPARAM wparam,
                                     LPARAM lparam) PLATFORM_NOEXCEPT;

/*
 * The default handling of a message. Among others: WM_NCCREATE keeps the window text;
 * WM_NCCALCSIZE takes borders and shown scroll bars off the client area (the caption
 * and sizing frame of a top-level window belong to the window manager and lie outside
 * its rectangle); WM_PAINT validates; WM_ERASEBKGND fills the update area with the
 * class background brush (result 1) when the class has one; WM_WINDOWPOSCHANGED sends
 * WM_MOVE and WM_SIZE when the client area moved or changed size; WM_CLOSE destroys
 * the window; WM_SETCURSOR asks the parent first, then sets the class cursor over the
 * client area; WM_RBUTTONUP sends WM_CONTEXTMENU with the screen point; WM_CONTEXTMENU
 * and WM_MOUSEWHEEL go on to the parent of a child window; WM_SYSCOMMAND maximises,
 * minimises, restores and closes; WM_SETTEXT, WM_GETTEXT and WM_GETTEXTLENGTH work on
 * the window text. Everything else answers 0.
 */
PLATFORM_API LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wparam,
                                    LPARAM lparam) PLATFORM_NOEXCEPT;

/* ---- The queue ---------------------------------------------------------------------- */

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time; /* the message clock in milliseconds (GetMessageTime) */
    POINT pt;   /* the cursor in screen coordinates when the message was queued */
} MSG, *LPMSG;

/*
 * Calls the window's procedure and returns its result. A window of another thread
 * handles the message when that thread next looks at its queue; the caller waits and
 * handles messages sent to its own thread meanwhile. 0 with
 * ERROR_INVALID_WINDOW_HANDLE for a window that does not exist.
 */
PLATFORM_API LRESULT SendMessageW(HWND window, UINT message, WPARAM wparam,
                                  LPARAM lparam) PLATFORM_NOEXCEPT;

/* Queues the message for the window's thread (from any thread). NULL posts a thread
 * message to the calling thread. FALSE with ERROR_INVALID_WINDOW_HANDLE for a window
 * that does not exist. */
PLATFORM_API BOOL PostMessageW(HWND window, UINT message, WPARAM wparam,
                               LPARAM lparam) PLATFORM_NOEXCEPT;
/* Asks the calling thread's loop to end: WM_QUIT with the exit code comes once no
 * posted message is left. */
PLATFORM_API void PostQuitMessage(int exit_code) PLATFORM_NOEXCEPT;

/*
 * Waits for a message of the calling thread and removes it. The filter: window NULL
 * for every window of the thread and its thread messages, (HWND)-1 for thread
 * messages only, or one window (with its children: no); first and last bound the
 * message numbers (both 0: all). Returns 0 for WM_QUIT, -1 for a window filter that
 * names no window of the thread, otherwise nonzero.
 */
PLATFORM_API BOOL GetMessageW(LPMSG message, HWND window, UINT first, UINT last) PLATFORM_NOEXCEPT;

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002
/* As GetMessageW, without waiting: FALSE when no message matches. WM_PAINT stays
 * until the window is validated, PM_REMOVE or not. */
PLATFORM_API BOOL PeekMessageW(LPMSG message, HWND window, UINT first, UINT last,
                               UINT remove) PLATFORM_NOEXCEPT;

/* Posts WM_CHAR (WM_SYSCHAR with Alt) for every UTF-16 unit that the key message's key
 * typed. TRUE for WM_KEYDOWN and WM_SYSKEYDOWN. */
PLATFORM_API BOOL TranslateMessage(const MSG* message) PLATFORM_NOEXCEPT;

/* Calls the window procedure of message->hwnd (a WM_TIMER with a timer procedure in
 * lParam calls that procedure) and returns its result; 0 for a thread message or a
 * window that no longer exists. After a WM_PAINT the window is validated, so a
 * procedure that does not paint does not get WM_PAINT forever. */
PLATFORM_API LRESULT DispatchMessageW(const MSG* message) PLATFORM_NOEXCEPT;

/* Waits until the calling thread's queue has a message that it did not have at the
 * last look (sent messages are handled meanwhile). */
PLATFORM_API BOOL WaitMessage(void) PLATFORM_NOEXCEPT;

/* The cursor position (screen, 16-bit halves) and time of the last message retrieved. */
PLATFORM_API DWORD GetMessagePos(void) PLATFORM_NOEXCEPT;
PLATFORM_API LONG GetMessageTime(void) PLATFORM_NOEXCEPT;

#ifndef QS_KEY
#define QS_KEY 0x0001u
#define QS_MOUSEMOVE 0x0002u
#define QS_MOUSEBUTTON 0x0004u
#define QS_POSTMESSAGE 0x0008u
#define QS_TIMER 0x0010u
#define QS_PAINT 0x0020u
#define QS_SENDMESSAGE 0x0040u
#define QS_HOTKEY 0x0080u
#define QS_RAWINPUT 0x0400u
#define QS_MOUSE (QS_MOUSEMOVE | QS_MOUSEBUTTON)
#define QS_INPUT (QS_MOUSE | QS_KEY | QS_RAWINPUT)
#define QS_ALLEVENTS (QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY)
#define QS_ALLINPUT (QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY | QS_SENDMESSAGE)
#endif
#ifndef QS_ALLPOSTMESSAGE
#define QS_ALLPOSTMESSAGE 0x0100u
#endif
/* The kinds of message waiting in the calling thread's queue (high word) among those
 * asked for; the low word is not kept (0). */
PLATFORM_API DWORD GetQueueStatus(UINT flags) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
