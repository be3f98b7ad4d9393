#include "platform/kernel.h"

namespace {
thread_local DWORD t_last_error = ERROR_SUCCESS;
}

extern "C" {

PLATFORM_API DWORD GetLastError(void) noexcept
{
    return t_last_error;
}

PLATFORM_API void SetLastError(DWORD error) noexcept
{
    t_last_error = error;
}

}
