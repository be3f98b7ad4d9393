/*
 * The clipboard and global memory blocks: the subset of Win32 that the libraries call.
 *
 * Provided here: GlobalAlloc, GlobalLock, GlobalUnlock, GlobalSize, GlobalFree;
 * OpenClipboard, CloseClipboard, EmptyClipboard, SetClipboardData, GetClipboardData,
 * IsClipboardFormatAvailable, RegisterClipboardFormatA,
 * RegisterClipboardFormatW.
 *
 * The clipboard is the desktop's, through Qt (in-process under the offscreen platform):
 * CF_TEXT travels as plain text (UTF-8) too; CF_DIB and registered formats travel as
 * data of MIME types of their own. What this process put on the clipboard reads back byte for
 * byte. One window at a time has it open (per process).
 */
#ifndef PLATFORM_CLIPBOARD_H
#define PLATFORM_CLIPBOARD_H

#include "platform/api.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

typedef HANDLE HGLOBAL;

#define GMEM_FIXED 0x0000u
#define GMEM_MOVEABLE 0x0002u
#define GMEM_ZEROINIT 0x0040u
#define GMEM_DDESHARE 0x2000u
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)

/* A block of the size (0 allowed); NULL with ERROR_NOT_ENOUGH_MEMORY. The flags are
 * kept; GMEM_ZEROINIT clears it. */
PLATFORM_API HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) PLATFORM_NOEXCEPT;
/* The block's memory (counts a lock); NULL with ERROR_INVALID_HANDLE for an unknown
 * block. */
PLATFORM_API LPVOID GlobalLock(HGLOBAL block) PLATFORM_NOEXCEPT;
/* TRUE while locks remain. */
PLATFORM_API BOOL GlobalUnlock(HGLOBAL block) PLATFORM_NOEXCEPT;
PLATFORM_API SIZE_T GlobalSize(HGLOBAL block) PLATFORM_NOEXCEPT;
/* NULL when freed, the block itself when it was unknown. */
PLATFORM_API HGLOBAL GlobalFree(HGLOBAL block) PLATFORM_NOEXCEPT;

#define CF_TEXT 1
#define CF_BITMAP 2
#define CF_DIB 8
#define CF_UNICODETEXT 13

/* FALSE with ERROR_ACCESS_DENIED while another window has the clipboard open. */
PLATFORM_API BOOL OpenClipboard(HWND owner) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL CloseClipboard(void) PLATFORM_NOEXCEPT;
/* Needs the clipboard open. */
PLATFORM_API BOOL EmptyClipboard(void) PLATFORM_NOEXCEPT;
/* Hands the block over (the clipboard frees it); the block, or NULL when the clipboard
 * is not open. */
PLATFORM_API HANDLE SetClipboardData(UINT format, HANDLE data) PLATFORM_NOEXCEPT;
/* A block that the clipboard owns (do not free it), or NULL. Needs the clipboard open. */
PLATFORM_API HANDLE GetClipboardData(UINT format) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL IsClipboardFormatAvailable(UINT format) PLATFORM_NOEXCEPT;
/* The same number for the same name (any case), from 0xC000 on; 0 for NULL. */
PLATFORM_API UINT RegisterClipboardFormatA(LPCSTR name) PLATFORM_NOEXCEPT;
/* The same for a UTF-16 name: the number that RegisterClipboardFormatA gives its UTF-8
 * form. */
PLATFORM_API UINT RegisterClipboardFormatW(LPCWSTR name) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
