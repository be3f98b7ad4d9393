/*
 * Well-known folders, as the shell and the kernel name them on Win32, mapped onto the
 * XDG base folders of Linux:
 *
 *   CSIDL_COMMON_APPDATA (35), CSIDL_WINDOWS (36) and GetWindowsDirectoryA:
 *       $XDG_DATA_HOME, else ~/.local/share
 *   CSIDL_APPDATA (26), the user's application data:
 *       $XDG_CONFIG_HOME, else ~/.config
 *
 * An XDG variable that is unset, empty or not an absolute path is ignored, as the XDG
 * rules say; without HOME as well the folder cannot be had. Paths are Linux paths
 * without a trailing '/'.
 */
#ifndef PLATFORM_SHELL_FOLDERS_H
#define PLATFORM_SHELL_FOLDERS_H

#include "platform/api.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

#define CSIDL_APPDATA 0x001A
#define CSIDL_COMMON_APPDATA 0x0023
#define CSIDL_WINDOWS 0x0024
/* Or-ed into a CSIDL: create the folder when it is missing. */
#define CSIDL_FLAG_CREATE 0x8000

/*
 * Copies the folder into path, which holds MAX_PATH (260) characters; with create
 * nonzero (or CSIDL_FLAG_CREATE) the folder and the levels above it are made when
 * missing. FALSE for a folder this platform does not know, one that cannot be had or
 * made, or a path of MAX_PATH characters or more (path is then left empty). The owner
 * window is not used.
 */
PLATFORM_API BOOL SHGetSpecialFolderPathA(HWND owner, LPSTR path, int csidl, BOOL create)
    PLATFORM_NOEXCEPT;

/* Flags of SHGetFolderPathW: the folder as it is now, or as it was first set up (the
 * same here). */
#define SHGFP_TYPE_CURRENT 0
#define SHGFP_TYPE_DEFAULT 1

/*
 * The folder in UTF-16 into path, which holds MAX_PATH (260) characters; with
 * CSIDL_FLAG_CREATE in csidl the folder and the levels above it are made when missing.
 * S_OK; E_FAIL (path left empty) for a folder this platform does not know, one that
 * cannot be had or made, or one of MAX_PATH characters or more; E_INVALIDARG for a
 * NULL path. The owner window, the token and the flags are not used.
 */
PLATFORM_API HRESULT SHGetFolderPathW(HWND owner, int csidl, HANDLE token, DWORD flags,
                                      LPWSTR path) PLATFORM_NOEXCEPT;

/*
 * The Windows folder. Copies it with its NUL when it fits in size characters and
 * returns its length; otherwise returns the size it needs with the NUL and writes
 * nothing. 0 with the last error when it cannot be had.
 */
PLATFORM_API UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
