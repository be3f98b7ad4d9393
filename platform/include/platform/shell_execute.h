/*
 * Opening documents and addresses through the shell: the subset of Win32 that the
 * viewer calls.
 *
 * Provided here: ShellExecuteW with the verb "open" (or none). What is opened goes to
 * the desktop's handler for its kind (the default browser for an address, the
 * associated program for a file) through Qt. Without a desktop (no Qt GUI application,
 * or one on the offscreen or minimal platform: tests, CI) nothing is started: the
 * request is written to standard error as "ShellExecute: open <url>" and succeeds.
 */
#ifndef PLATFORM_SHELL_EXECUTE_H
#define PLATFORM_SHELL_EXECUTE_H

#include "platform/api.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

#ifndef SW_HIDE
#define SW_HIDE 0
#endif
#ifndef SW_SHOWNORMAL
#define SW_SHOWNORMAL 1
#endif
#ifndef SW_SHOW
#define SW_SHOW 5
#endif
#ifndef SW_SHOWDEFAULT
#define SW_SHOWDEFAULT 10
#endif

#ifndef ERROR_NO_ASSOCIATION
#define ERROR_NO_ASSOCIATION 1155
#endif

/* ShellExecuteW's failures: results of 32 and below. */
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_SHARE 26
#define SE_ERR_ASSOCINCOMPLETE 27
#define SE_ERR_DDETIMEOUT 28
#define SE_ERR_DDEFAIL 29
#define SE_ERR_DDEBUSY 30
#define SE_ERR_NOASSOC 31
#define SE_ERR_DLLNOTFOUND 32

/*
 * Opens file: an address with a scheme ("https://...", "mailto:...") as it stands, or
 * a path (relative ones below directory when it is given) by the platform's path
 * rules. Returns a value above 32 on success, else: SE_ERR_FNF for a file that does
 * not exist, SE_ERR_PNF for a folder above it that does not, SE_ERR_NOASSOC for a verb
 * other than "open" (in any case) or when the desktop has no handler, SE_ERR_OOM when
 * memory runs out, SE_ERR_FNF for a NULL or empty file. Parameters are not handed on;
 * the owner window and the show command are not used.
 */
PLATFORM_API HINSTANCE ShellExecuteW(HWND owner, LPCWSTR operation, LPCWSTR file,
                                     LPCWSTR parameters, LPCWSTR directory,
                                     INT show_command) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
