/*
 * Kernel object handles of the platform layer: the subset of Win32 that every kind of
 * kernel object shares.
 *
 * Provided here: CloseHandle, WaitForSingleObject and MsgWaitForMultipleObjects. A
 * HANDLE names a platform object (a semaphore, a file mapping, ...) through the
 * process's handle table; it is never a raw descriptor or pointer. A closed or unknown
 * handle is refused with ERROR_INVALID_HANDLE, never dereferenced. Objects that can be
 * waited for: semaphores, processes and their main threads (platform/processes.h).
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

#define MAXIMUM_WAIT_OBJECTS 64
#ifndef ERROR_NOT_SUPPORTED
#define ERROR_NOT_SUPPORTED 50
#endif
#ifndef ERROR_INVALID_PARAMETER
#define ERROR_INVALID_PARAMETER 87
#endif

/* Kinds of input in the calling thread's message queue (wake masks). */
#ifndef QS_KEY
#define QS_KEY 0x0001u
#define QS_MOUSEMOVE 0x0002u
#define QS_MOUSEBUTTON 0x0004u
#define QS_POSTMESSAGE 0x0008u
#define QS_TIMER 0x0010u
#define QS_PAINT 0x0020u
#define QS_SENDMESSAGE 0x0040u
#define QS_HOTKEY 0x0080u
#define QS_RAWINPUT 0x0400u
#define QS_MOUSE (QS_MOUSEMOVE | QS_MOUSEBUTTON)
#define QS_INPUT (QS_MOUSE | QS_KEY | QS_RAWINPUT)
#define QS_ALLEVENTS (QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY)
#define QS_ALLINPUT (QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY | QS_SENDMESSAGE)
#endif

/*
 * Waits until one of the count objects (at most MAXIMUM_WAIT_OBJECTS; count 0 waits for
 * input or the time alone) is signalled, or input of a kind in wake_mask is waiting in
 * the calling thread's message queue, or the time runs out. WAIT_OBJECT_0 + i for the
 * first signalled object i (a semaphore's count is then taken), WAIT_OBJECT_0 + count
 * for input, WAIT_TIMEOUT, or WAIT_FAILED with the last error: ERROR_INVALID_HANDLE
 * for a handle that is not open or cannot be waited for, ERROR_INVALID_PARAMETER for
 * a bad count, ERROR_NOT_SUPPORTED for wait_all. Input counts while it is waiting,
 * whether or not it was there before the call.
 */
PLATFORM_API DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL wait_all,
                                             DWORD milliseconds, DWORD wake_mask) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
