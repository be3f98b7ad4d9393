/*
 * The caret, alerts and Sleep: the subset of Win32 that the libraries call.
 *
 * Provided here: CreateCaret, DestroyCaret, ShowCaret, HideCaret, SetCaretPos,
 * GetCaretPos, FlashWindow, MessageBeep, Sleep; LoadBitmapA over the bitmaps that
 * modules register with platform_register_bitmap.
 *
 * The caret is one per process, kept as state (owner, size, position, hide count); it is
 * not drawn into the window. FlashWindow and MessageBeep go to Qt when it backs the
 * window (an alert and a beep) and otherwise only answer. Sleep waits on the message
 * clock: while a test drives that clock (platform::test::AdvanceClock) it moves the clock
 * on instead of waiting.
 */
#ifndef PLATFORM_USER_CARET_H
#define PLATFORM_USER_CARET_H

#include "platform/api.h"
#include "platform/gdi.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

/* A solid caret (bitmap NULL) of the size for the window, hidden; the caret that
 * existed goes. FALSE with ERROR_INVALID_WINDOW_HANDLE for a window that does not
 * exist. */
PLATFORM_API BOOL CreateCaret(HWND window, HBITMAP bitmap, int width, int height) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL DestroyCaret(void) PLATFORM_NOEXCEPT;
/* Show and hide count: the caret shows once ShowCaret has undone every HideCaret and the
 * creation's. FALSE for another window than the caret's (NULL: any). */
PLATFORM_API BOOL ShowCaret(HWND window) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL HideCaret(HWND window) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL SetCaretPos(int x, int y) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL GetCaretPos(LPPOINT point) PLATFORM_NOEXCEPT;

/* Whether the window was shown active before; asks Qt to alert the user. */
PLATFORM_API BOOL FlashWindow(HWND window, BOOL invert) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL MessageBeep(UINT type) PLATFORM_NOEXCEPT;
PLATFORM_API void Sleep(DWORD milliseconds) PLATFORM_NOEXCEPT;

/* A copy of the bitmap that the module registered under the id (a 32-bit or monochrome
 * bitmap); NULL with ERROR_RESOURCE_NAME_NOT_FOUND when there is none. name is an id
 * made with MAKEINTRESOURCEA. */
PLATFORM_API HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name) PLATFORM_NOEXCEPT;
/* What a module's resources hold: the DIB (header, table, rows) as the bitmap of the id.
 * FALSE when it cannot be read (see SetDIBits). */
PLATFORM_API BOOL platform_register_bitmap(HINSTANCE module, UINT id, const BITMAPINFO* info,
                                           const void* bits) PLATFORM_NOEXCEPT;

#ifdef __cplusplus
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#else
#define MAKEINTRESOURCEA(i) ((LPCSTR)(ULONG_PTR)(WORD)(i))
#endif

PLATFORM_END_DECLS

#endif
