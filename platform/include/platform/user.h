/*
 * User-interface services of the platform layer: the subset of Win32's user
 * interface that the libraries call.
 *
 * Provided here: MessageBoxA and MessageBoxW. On the thread of the program's
 * QApplication with a display, a message box is a modal Qt dialog over its owner's
 * window (the queue's input keeps being dispatched meanwhile). Without one (tests on
 * the offscreen platform, CI, library start-up and shut-down) it writes its caption and
 * text to standard error and answers its default button at once.
 *
 * Windows, messages, painting, input, scroll bars and metrics have headers of their
 * own: user_windows.h, user_messages.h, user_paint.h, user_input.h, scroll_bars.h,
 * system_metrics.h and drag_and_accessibility.h.
 */
#ifndef PLATFORM_USER_H
#define PLATFORM_USER_H

#include "platform/api.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_RETRYCANCEL 0x00000005u
#define MB_TYPEMASK 0x0000000Fu
#define MB_ICONERROR 0x00000010u
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONWARNING 0x00000030u
#define MB_ICONINFORMATION 0x00000040u
#define MB_ICONMASK 0x000000F0u
#define MB_DEFBUTTON1 0x00000000u
#define MB_DEFBUTTON2 0x00000100u
#define MB_DEFBUTTON3 0x00000200u
#define MB_DEFMASK 0x00000F00u

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

PLATFORM_API int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) PLATFORM_NOEXCEPT;
/* As MessageBoxA (whose texts are UTF-8), with UTF-16 texts. */
PLATFORM_API int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption,
                             UINT type) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
