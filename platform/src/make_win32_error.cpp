#include "make_win32_error.h"

#include <cerrno>

#include "platform/kernel.h"

namespace platform {

DWORD make_win32_error(DWORD code, platform::SourceSite where) noexcept
{
    ErrorTrace::record(code, where);
    SetLastError(code);
    return code;
}

LONG make_win32_status(LONG code, platform::SourceSite where) noexcept
{
    ErrorTrace::record(code, where);
    return code;
}

DWORD make_win32_error_from_errno(platform::SourceSite where) noexcept
{
    const DWORD code = platform_win32_error_from_errno(errno);
    ErrorTrace::record(code, where);
    SetLastError(code);
    return code;
}

}
