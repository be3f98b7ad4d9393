/*
 * Synchronisation services of the platform layer: the subset of Win32 that the
 * libraries' locks use.
 *
 * Provided here: critical sections (recursive, within one process), semaphores
 * (unnamed within one process, or named and shared by every process of the user that
 * opens the same name), and the calling thread's id. Semaphore handles are closed with
 * CloseHandle and waited for with WaitForSingleObject (platform/handles.h).
 *
 * Names of kernel objects: a leading "Global\" or "Local\" is dropped (there is one
 * session); semaphores and file mappings share one name space, as on Win32. A named
 * object exists while any process holds a handle to it (or a view of it).
 */
#ifndef PLATFORM_SYNC_H
#define PLATFORM_SYNC_H

#include "platform/api.h"
#include "platform/handles.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

#ifndef ERROR_INVALID_PARAMETER
#define ERROR_INVALID_PARAMETER 87
#endif
#ifndef ERROR_FILENAME_EXCED_RANGE
#define ERROR_FILENAME_EXCED_RANGE 206
#endif
#ifndef ERROR_TOO_MANY_POSTS
#define ERROR_TOO_MANY_POSTS 298
#endif

/*
 * A recursive lock of one process: the thread that holds it may enter again and must
 * leave as often. Owned by the caller; its contents are the platform's. A critical
 * section in zeroed static storage must still be initialised before use.
 */
typedef struct CRITICAL_SECTION {
    union {
        uint64_t cs_Align;
        unsigned char cs_Bytes[64];
    } cs_Storage;
} CRITICAL_SECTION;
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;

PLATFORM_API void InitializeCriticalSection(LPCRITICAL_SECTION section) PLATFORM_NOEXCEPT;
/* Releases what the section holds; it must not be held or used afterwards. */
PLATFORM_API void DeleteCriticalSection(LPCRITICAL_SECTION section) PLATFORM_NOEXCEPT;
/* Waits while another thread holds the section. */
PLATFORM_API void EnterCriticalSection(LPCRITICAL_SECTION section) PLATFORM_NOEXCEPT;
PLATFORM_API void LeaveCriticalSection(LPCRITICAL_SECTION section) PLATFORM_NOEXCEPT;

/* Security attributes are accepted for the signature's sake and ignored. */
typedef struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

/*
 * Creates a semaphore with the initial count (0 <= initial <= maximum, maximum > 0),
 * or, when name (NULL or "": unnamed) names an existing semaphore, opens that one:
 * then the last error is ERROR_ALREADY_EXISTS and the creator's counts hold. NULL on
 * failure with the last error: ERROR_INVALID_PARAMETER for bad counts,
 * ERROR_INVALID_HANDLE when the name belongs to an object of another kind,
 * ERROR_FILENAME_EXCED_RANGE for a name too long, or the system's error.
 */
PLATFORM_API HANDLE CreateSemaphoreA(LPSECURITY_ATTRIBUTES attributes, LONG initial_count,
                                     LONG maximum_count, LPCSTR name) PLATFORM_NOEXCEPT;

/*
 * Raises the count by release_count (> 0); *previous_count (when not NULL) receives
 * the count before. FALSE with ERROR_TOO_MANY_POSTS, and nothing changed, when the
 * count would pass the maximum.
 */
PLATFORM_API BOOL ReleaseSemaphore(HANDLE semaphore, LONG release_count, LONG* previous_count)
    PLATFORM_NOEXCEPT;

/* The calling thread's id: non-zero and unique among the live threads of the system. */
PLATFORM_API DWORD GetCurrentThreadId(void) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
