/*
 * File mappings of the platform layer: the subset of Win32 that the libraries' shared
 * memory uses.
 *
 * Provided here: mappings backed by the paging file (file handle
 * INVALID_HANDLE_VALUE), unnamed within one process or named and shared by every
 * process of the user that opens the same name (names as in platform/sync.h), and
 * views of them. A mapping's memory starts cleared and lives while any process holds
 * a handle to it or a view of it. Mapping handles are closed with CloseHandle.
 */
#ifndef PLATFORM_FILE_MAPPING_H
#define PLATFORM_FILE_MAPPING_H

#include "platform/api.h"
#include "platform/sync.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

#ifndef ERROR_FILE_NOT_FOUND
#define ERROR_FILE_NOT_FOUND 2
#endif
#ifndef ERROR_ACCESS_DENIED
#define ERROR_ACCESS_DENIED 5
#endif
#ifndef ERROR_NOT_SUPPORTED
#define ERROR_NOT_SUPPORTED 50
#endif
#ifndef ERROR_INVALID_ADDRESS
#define ERROR_INVALID_ADDRESS 487
#endif

/* Page protection of a mapping. */
#define PAGE_READONLY 0x02u
#define PAGE_READWRITE 0x04u

/* Access to a mapping and its views. */
#define FILE_MAP_WRITE 0x0002u
#define FILE_MAP_READ 0x0004u
#define FILE_MAP_ALL_ACCESS 0x000F001Fu

/*
 * Creates a mapping of maximum_size_high:maximum_size_low bytes (not 0), or, when
 * name names an existing mapping, opens that one: then the last error is
 * ERROR_ALREADY_EXISTS and the creator's size holds. Only file INVALID_HANDLE_VALUE
 * (the paging file) is supported; other files give ERROR_NOT_SUPPORTED. NULL on
 * failure with the last error (ERROR_INVALID_PARAMETER for size 0 or an unknown
 * protection, ERROR_INVALID_HANDLE when the name belongs to another kind of object).
 */
PLATFORM_API HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect,
                                       DWORD maximum_size_high, DWORD maximum_size_low,
                                       LPCSTR name) PLATFORM_NOEXCEPT;

/* Opens the named mapping; NULL with ERROR_FILE_NOT_FOUND when no mapping of that name
 * exists. */
PLATFORM_API HANDLE OpenFileMappingA(DWORD desired_access, BOOL inherit_handle, LPCSTR name)
    PLATFORM_NOEXCEPT;

/*
 * Maps bytes (0: everything from the offset to the end) of the mapping, starting at
 * the offset (a multiple of 65536, as on Win32). The view stays valid after the
 * mapping's handle is closed, until UnmapViewOfFile. NULL on failure with the last
 * error: ERROR_INVALID_PARAMETER for a bad offset, ERROR_ACCESS_DENIED for a range
 * past the mapping's end or write access to a read-only mapping.
 */
PLATFORM_API LPVOID MapViewOfFile(HANDLE mapping, DWORD desired_access, DWORD offset_high,
                                  DWORD offset_low, SIZE_T bytes) PLATFORM_NOEXCEPT;

/* Unmaps the view that begins at address; FALSE with ERROR_INVALID_ADDRESS when no view
 * begins there. */
PLATFORM_API BOOL UnmapViewOfFile(LPCVOID address) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
