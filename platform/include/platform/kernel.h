/*
 * Kernel services of the platform layer: the subset of Win32's kernel interface that
 * the libraries call, implemented on POSIX.
 *
 * Provided here: the thread's last error, the process command line (8-bit and UTF-16),
 * module handles and module file names, and the process heap.
 */
#ifndef PLATFORM_KERNEL_H
#define PLATFORM_KERNEL_H

#include "platform/api.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

/* Win32 error numbers that the platform layer reports. */
#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_INVALID_PARAMETER 87
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_MOD_NOT_FOUND 126

/* Last error of the calling thread. */
PLATFORM_API DWORD GetLastError(void) PLATFORM_NOEXCEPT;
PLATFORM_API void SetLastError(DWORD error) PLATFORM_NOEXCEPT;

/* The Win32 error number that stands for a POSIX errno value (31, ERROR_GEN_FAILURE,
 * for one without a counterpart; 0 for 0). */
PLATFORM_API DWORD platform_win32_error_from_errno(int error_number) PLATFORM_NOEXCEPT;
/* SetLastError with the translation of the calling thread's errno; returns it. */
PLATFORM_API DWORD platform_set_last_error_from_errno(void) PLATFORM_NOEXCEPT;

/*
 * The process command line as Win32 shows it: the arguments of /proc/self/cmdline,
 * each quoted (with Win32's backslash rules) when it is empty or holds a blank, tab
 * or double quote, joined by single blanks. The buffer belongs to the process and
 * may be changed in place; it lives until the process ends.
 */
PLATFORM_API LPSTR GetCommandLineA(void) PLATFORM_NOEXCEPT;
/* The same line in UTF-16 (bytes that are no UTF-8 become U+FFFD), made once from the
 * line as it was before any change; it lives until the process ends. */
PLATFORM_API LPWSTR GetCommandLineW(void) PLATFORM_NOEXCEPT;

/*
 * Module handles. NULL stands for the program itself. A handle of a loaded module
 * stays valid until the module is unloaded.
 */
PLATFORM_API HMODULE GetModuleHandleA(LPCSTR module_name) PLATFORM_NOEXCEPT;

#define GET_MODULE_HANDLE_EX_FLAG_PIN 0x00000001u
#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x00000002u
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x00000004u
/* With FROM_ADDRESS, module_name is an address inside the module wanted. */
PLATFORM_API BOOL GetModuleHandleExA(DWORD flags, LPCSTR module_name, HMODULE* module)
    PLATFORM_NOEXCEPT;

/*
 * Full path of the module's file (NULL: the program's executable). Copies at most
 * size - 1 characters and a NUL; returns the number of characters copied without the
 * NUL, or size with ERROR_INSUFFICIENT_BUFFER when the path was cut, or 0 on failure.
 */
PLATFORM_API DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) PLATFORM_NOEXCEPT;

/* The process heap. Blocks are not cleared unless HEAP_ZERO_MEMORY is given. */
#define HEAP_ZERO_MEMORY 0x00000008u
PLATFORM_API HANDLE GetProcessHeap(void) PLATFORM_NOEXCEPT;
PLATFORM_API LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) PLATFORM_NOEXCEPT;
/* On failure returns NULL and leaves the old block valid. */
PLATFORM_API LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes)
    PLATFORM_NOEXCEPT;
PLATFORM_API BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
