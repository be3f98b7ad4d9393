/*
 * Keyboard focus, mouse capture, key state, the cursor and timers: the subset of
 * Win32's user interface that the viewer, its controls and the framework stand-in call.
 *
 * Provided here: SetFocus, GetFocus, GetActiveWindow, SetCapture, ReleaseCapture,
 * GetCapture, GetKeyState, GetAsyncKeyState, GetCursorPos, SetCursorPos, LoadCursorW,
 * SetCursor, GetCursor, GetDoubleClickTime, SetTimer and KillTimer.
 *
 * The platform keeps focus, capture and key state itself and mirrors them to Qt when Qt
 * backs the windows. Qt input arrives as posted messages: mouse messages carry MK_*
 * flags and client coordinates of the window under the pointer (of the capture window
 * while one is set), WM_MOUSEWHEEL 120 per notch and the screen point, key messages
 * VK codes (WM_SYSKEYDOWN with Alt, bit 29), and TranslateMessage makes a WM_CHAR per
 * UTF-16 unit that the key typed. GetKeyState follows the messages as they are
 * retrieved, GetAsyncKeyState the input as it arrives.
 *
 * Timers run on the message clock: real time, or in tests a clock that only moves by
 * platform::test::AdvanceClock (platform/qt.h), so that no test sleeps.
 */
#ifndef PLATFORM_USER_INPUT_H
#define PLATFORM_USER_INPUT_H

#include "platform/api.h"
#include "platform/gdi.h"
#include "platform/user_windows.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

/* ---- Focus and capture ------------------------------------------------------------ */

/*
 * Gives the keyboard focus to the window (NULL: to none): the window that had it gets
 * WM_KILLFOCUS (wParam the new window) before the new one gets WM_SETFOCUS (wParam the
 * old one). Returns the window that had the focus; NULL with
 * ERROR_INVALID_WINDOW_HANDLE for a window that does not exist. Nothing is sent when
 * the window has the focus already.
 */
PLATFORM_API HWND SetFocus(HWND window) PLATFORM_NOEXCEPT;
/* The calling thread's focus window, or NULL. */
PLATFORM_API HWND GetFocus(void) PLATFORM_NOEXCEPT;
/* The top-level window of the focus window, or NULL. */
PLATFORM_API HWND GetActiveWindow(void) PLATFORM_NOEXCEPT;

/* Mouse messages go to the window until ReleaseCapture; the window losing the capture
 * gets WM_CAPTURECHANGED. Returns the window that had it. */
PLATFORM_API HWND SetCapture(HWND window) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL ReleaseCapture(void) PLATFORM_NOEXCEPT;
PLATFORM_API HWND GetCapture(void) PLATFORM_NOEXCEPT;

/* ---- Keys ------------------------------------------------------------------------------ */

#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_CANCEL 0x03
#define VK_MBUTTON 0x04
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_CLEAR 0x0C
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_CAPITAL 0x14
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_SELECT 0x29
#define VK_PRINT 0x2A
#define VK_SNAPSHOT 0x2C
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_HELP 0x2F
/* '0' to '9' and 'A' to 'Z' are their own codes. */
#define VK_LWIN 0x5B
#define VK_RWIN 0x5C
#define VK_APPS 0x5D
#define VK_NUMPAD0 0x60
#define VK_NUMPAD9 0x69
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SEPARATOR 0x6C
#define VK_SUBTRACT 0x6D
#define VK_DECIMAL 0x6E
#define VK_DIVIDE 0x6F
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B
#define VK_NUMLOCK 0x90
#define VK_SCROLL 0x91
#define VK_LSHIFT 0xA0
#define VK_RSHIFT 0xA1
#define VK_LCONTROL 0xA2
#define VK_RCONTROL 0xA3
#define VK_LMENU 0xA4
#define VK_RMENU 0xA5
#define VK_OEM_1 0xBA
#define VK_OEM_PLUS 0xBB
#define VK_OEM_COMMA 0xBC
#define VK_OEM_MINUS 0xBD
#define VK_OEM_PERIOD 0xBE
#define VK_OEM_2 0xBF
#define VK_OEM_3 0xC0
#define VK_OEM_4 0xDB
#define VK_OEM_5 0xDC
#define VK_OEM_6 0xDD
#define VK_OEM_7 0xDE
/* A character without a key of its own: TranslateMessage types what came with it. */
#define VK_PACKET 0xE7

/* Bit 15 (the value is negative) while the key is down, bit 0 toggled by each press.
 * As the calling thread's retrieved messages left it. */
PLATFORM_API SHORT GetKeyState(int virtual_key) PLATFORM_NOEXCEPT;
/* Bit 15 while the key is down now (as input arrived), bit 0 when it was pressed since
 * the last call. */
PLATFORM_API SHORT GetAsyncKeyState(int virtual_key) PLATFORM_NOEXCEPT;

/* ---- The cursor ------------------------------------------------------------------------ */

/* The pointer in screen coordinates: where the last input put it, or SetCursorPos. */
PLATFORM_API BOOL GetCursorPos(LPPOINT point) PLATFORM_NOEXCEPT;
/* Moves the pointer (Qt moves the real one where the window system lets it). */
PLATFORM_API BOOL SetCursorPos(int x, int y) PLATFORM_NOEXCEPT;

#define IDC_ARROW MAKEINTRESOURCEW(32512)
#define IDC_IBEAM MAKEINTRESOURCEW(32513)
#define IDC_WAIT MAKEINTRESOURCEW(32514)
#define IDC_CROSS MAKEINTRESOURCEW(32515)
#define IDC_UPARROW MAKEINTRESOURCEW(32516)
#define IDC_SIZENWSE MAKEINTRESOURCEW(32642)
#define IDC_SIZENESW MAKEINTRESOURCEW(32643)
#define IDC_SIZEWE MAKEINTRESOURCEW(32644)
#define IDC_SIZENS MAKEINTRESOURCEW(32645)
#define IDC_SIZEALL MAKEINTRESOURCEW(32646)
#define IDC_NO MAKEINTRESOURCEW(32648)
#define IDC_HAND MAKEINTRESOURCEW(32649)
#define IDC_APPSTARTING MAKEINTRESOURCEW(32650)
#define IDC_HELP MAKEINTRESOURCEW(32651)

/*
 * One of the system's cursors above (any module), or by name the split cursors "HSPLIT"
 * (a bar between panes side by side) and "VSPLIT" (panes one above the other). The
 * handles are shared and never freed. NULL with ERROR_INVALID_PARAMETER for another
 * cursor.
 */
PLATFORM_API HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) PLATFORM_NOEXCEPT;
/* The cursor shown over the window that last got WM_SETCURSOR; NULL hides it. Returns
 * the previous one. */
PLATFORM_API HCURSOR SetCursor(HCURSOR cursor) PLATFORM_NOEXCEPT;
PLATFORM_API HCURSOR GetCursor(void) PLATFORM_NOEXCEPT;

/* Milliseconds within which a second click is a double click (500). */
PLATFORM_API UINT GetDoubleClickTime(void) PLATFORM_NOEXCEPT;

/* ---- Timers ------------------------------------------------------------------------------ */

typedef void (*TIMERPROC)(HWND window, UINT message, UINT_PTR id, DWORD time);

/*
 * Starts or restarts the timer (window, id): every `elapse` milliseconds (at least
 * 10, at most 0x7FFFFFFF) a WM_TIMER becomes due; it is retrieved when no other message
 * is waiting, and at most one per timer is pending, however late. With a procedure,
 * DispatchMessageW calls it instead of the window procedure. Without a window a new
 * thread timer is made and its id returned (`id` is then ignored). 0 with
 * ERROR_INVALID_WINDOW_HANDLE for a window that does not exist.
 */
PLATFORM_API UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse,
                               TIMERPROC procedure) PLATFORM_NOEXCEPT;
/* Stops the timer; a WM_TIMER of it is not retrieved afterwards. FALSE for no timer. */
PLATFORM_API BOOL KillTimer(HWND window, UINT_PTR id) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
