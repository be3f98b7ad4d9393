// Translation of POSIX errno values into the Win32 error numbers that the libraries'
// error tables expect.

#include "platform/kernel.h"

#include <cerrno>

namespace {

struct ErrnoMapping {
    int error_number;
    DWORD win32_error;
};

constexpr ErrnoMapping kErrnoMappings[] = {
    {EPERM, 5},         // ERROR_ACCESS_DENIED
    {ENOENT, 2},        // ERROR_FILE_NOT_FOUND
    {ESRCH, 87},        // ERROR_INVALID_PARAMETER
    {EINTR, 1223},      // ERROR_CANCELLED
    {EIO, 1117},        // ERROR_IO_DEVICE
    {ENXIO, 21},        // ERROR_NOT_READY
    {E2BIG, 1783},      // ERROR_INVALID_PARAMETER range: argument list too long
    {ENOEXEC, 193},     // ERROR_BAD_EXE_FORMAT
    {EBADF, 6},         // ERROR_INVALID_HANDLE
    {ECHILD, 128},      // ERROR_WAIT_NO_CHILDREN
    {EAGAIN, 33},       // ERROR_LOCK_VIOLATION
    {ENOMEM, 8},        // ERROR_NOT_ENOUGH_MEMORY
    {EACCES, 5},        // ERROR_ACCESS_DENIED
    {EFAULT, 487},      // ERROR_INVALID_ADDRESS
    {EBUSY, 170},       // ERROR_BUSY
    {EEXIST, 183},      // ERROR_ALREADY_EXISTS
    {EXDEV, 17},        // ERROR_NOT_SAME_DEVICE
    {ENODEV, 15},       // ERROR_INVALID_DRIVE
    {ENOTDIR, 267},     // ERROR_DIRECTORY
    {EISDIR, 5},        // ERROR_ACCESS_DENIED, as Win32 answers opening a folder
    {EINVAL, 87},       // ERROR_INVALID_PARAMETER
    {ENFILE, 4},        // ERROR_TOO_MANY_OPEN_FILES
    {EMFILE, 4},        // ERROR_TOO_MANY_OPEN_FILES
    {ENOTTY, 1},        // ERROR_INVALID_FUNCTION
    {EFBIG, 112},       // ERROR_DISK_FULL
    {ENOSPC, 112},      // ERROR_DISK_FULL
    {ESPIPE, 131},      // ERROR_NEGATIVE_SEEK
    {EROFS, 19},        // ERROR_WRITE_PROTECT
    {EMLINK, 1142},     // ERROR_TOO_MANY_LINKS
    {EPIPE, 109},       // ERROR_BROKEN_PIPE
    {EDOM, 87},         // ERROR_INVALID_PARAMETER
    {ERANGE, 87},       // ERROR_INVALID_PARAMETER
    {EDEADLK, 33},      // ERROR_LOCK_VIOLATION
    {ENAMETOOLONG, 206},// ERROR_FILENAME_EXCED_RANGE
    {ENOLCK, 36},       // ERROR_SHARING_BUFFER_EXCEEDED
    {ENOSYS, 50},       // ERROR_NOT_SUPPORTED
    {ENOTEMPTY, 145},   // ERROR_DIR_NOT_EMPTY
    {ELOOP, 1921},      // ERROR_CANT_RESOLVE_FILENAME
    {ETIMEDOUT, 1460},  // ERROR_TIMEOUT
    {EOVERFLOW, 87},    // ERROR_INVALID_PARAMETER
    {EDQUOT, 112},      // ERROR_DISK_FULL
};

}

extern "C" {

PLATFORM_API DWORD platform_win32_error_from_errno(int error_number) noexcept
{
    if (error_number == 0)
        return ERROR_SUCCESS;
    for (const ErrnoMapping& mapping : kErrnoMappings) {
        if (mapping.error_number == error_number)
            return mapping.win32_error;
    }
    return 31; // ERROR_GEN_FAILURE
}

PLATFORM_API DWORD platform_set_last_error_from_errno(void) noexcept
{
    const DWORD error = platform_win32_error_from_errno(errno);
    SetLastError(error);
    return error;
}

}
