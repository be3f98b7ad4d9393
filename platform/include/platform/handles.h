/*
 * Kernel object handles of the platform layer: the subset of Win32 that every kind of
 * kernel object shares.
 *
 * Provided here: CloseHandle and WaitForSingleObject. A HANDLE names a platform object
 * (a semaphore, a file mapping, ...) through the process's handle table; it is never a
 * raw descriptor or pointer. A closed or unknown handle is refused with
 * ERROR_INVALID_HANDLE, never dereferenced. Objects that can be waited for: semaphores.
 */
#ifndef PLATFORM_HANDLES_H
#define PLATFORM_HANDLES_H

#include "platform/api.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

#ifndef ERROR_INVALID_HANDLE
#define ERROR_INVALID_HANDLE 6
#endif
#ifndef ERROR_ALREADY_EXISTS
#define ERROR_ALREADY_EXISTS 183
#endif

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu

/* Closes the handle; the object goes when its last handle (and, for a file mapping,
 * its last view) is gone. FALSE with ERROR_INVALID_HANDLE for a handle that is not
 * open. */
PLATFORM_API BOOL CloseHandle(HANDLE object) PLATFORM_NOEXCEPT;

/*
 * Waits until the object is signalled or the time (milliseconds; INFINITE without
 * limit, 0 only tries) runs out. WAIT_OBJECT_0 when signalled (a semaphore's count is
 * then taken), WAIT_TIMEOUT, or WAIT_FAILED with the last error set
 * (ERROR_INVALID_HANDLE for a handle that is not open or cannot be waited for).
 */
PLATFORM_API DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
