// The last error code. One slot for the whole process for now; per-thread slots come
// with the error table.

#include "osmark/errors.h"

#include <atomic>

namespace {
std::atomic<IoErrCode> g_shared_slot{0};
}

extern "C" {

OSMARK_API IoErrCode IoErr(void) noexcept
{
    return g_shared_slot.exchange(0);
}

OSMARK_API IoErrCode SetIoErr(IoErrCode code) noexcept
{
    return g_shared_slot.exchange(code);
}

}
