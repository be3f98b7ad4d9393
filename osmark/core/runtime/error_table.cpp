// Translation of system error numbers (as GetLastError gives them) into library codes.

#include "osmark/errors.h"

#include "core/runtime/make_error.h"

#include <cstddef>
#include <iterator>

namespace {

struct SystemErrorCode {
    uint32_t system_error;
    IoErrCode code;
};

// Grouped by library code; every system number occurs once.
constexpr SystemErrorCode kSystemErrorCodes[] = {
    {7, IoErrNoMemory}, {8, IoErrNoMemory}, {9, IoErrNoMemory}, {14, IoErrNoMemory}, {1816, IoErrNoMemory},

    {1, IoErrRequiredArgMissing}, {12, IoErrRequiredArgMissing}, {13, IoErrRequiredArgMissing},
    {87, IoErrRequiredArgMissing},

    {16, IoErrObjectInUse}, {1221, IoErrObjectInUse}, {2404, IoErrObjectInUse},

    {52, IoErrObjectExists}, {80, IoErrObjectExists}, {183, IoErrObjectExists}, {1078, IoErrObjectExists},
    {1318, IoErrObjectExists}, {1356, IoErrObjectExists},

    {53, IoErrDirNotFound},

    {2, IoErrObjectNotFound}, {3, IoErrObjectNotFound}, {15, IoErrObjectNotFound}, {67, IoErrObjectNotFound},

    {123, IoErrInvalidComponentName}, {161, IoErrInvalidComponentName}, {206, IoErrInvalidComponentName},
    {267, IoErrInvalidComponentName}, {1200, IoErrInvalidComponentName}, {1209, IoErrInvalidComponentName},
    {1210, IoErrInvalidComponentName}, {1212, IoErrInvalidComponentName}, {1214, IoErrInvalidComponentName},
    {1801, IoErrInvalidComponentName},

    {145, IoErrDirectoryNotEmpty},

    {25, IoErrSeekError}, {131, IoErrSeekError}, {132, IoErrSeekError},

    {39, IoErrDiskFull}, {112, IoErrDiskFull},

    {19, IoErrWriteProtected},

    {120, IoErrNotImplemented},

    {122, IoErrBufferOverflow}, {154, IoErrBufferOverflow},

    {22, IoErrBadIO}, {26, IoErrBadIO}, {29, IoErrBadIO}, {30, IoErrBadIO}, {88, IoErrBadIO},
    {130, IoErrBadIO}, {996, IoErrBadIO}, {1122, IoErrBadIO}, {1123, IoErrBadIO}, {1124, IoErrBadIO},
    {1125, IoErrBadIO}, {1126, IoErrBadIO}, {1127, IoErrBadIO}, {1128, IoErrBadIO}, {1358, IoErrBadIO},
    {1393, IoErrBadIO},

    {6, IoErrObjectInvalid}, {10, IoErrObjectInvalid}, {11, IoErrObjectInvalid}, {17, IoErrObjectInvalid},
    {114, IoErrObjectInvalid}, {1006, IoErrObjectInvalid}, {1392, IoErrObjectInvalid},
    {1805, IoErrObjectInvalid},

    {215, IoErrPatternNesting},

    {33, IoErrLockError}, {108, IoErrLockError}, {158, IoErrLockError}, {167, IoErrLockError},
    {212, IoErrLockError},

    {4, IoErrSystemLimit}, {18, IoErrSystemLimit}, {89, IoErrSystemLimit}, {113, IoErrSystemLimit},
    {164, IoErrSystemLimit}, {259, IoErrSystemLimit}, {1248, IoErrSystemLimit}, {1357, IoErrSystemLimit},

    {109, IoErrPipeIO}, {230, IoErrPipeIO},

    {1223, IoErrCancelled},

    {5, IoErrAccessDenied}, {65, IoErrAccessDenied}, {82, IoErrAccessDenied}, {83, IoErrAccessDenied},
    {1225, IoErrAccessDenied},

    {128, IoErrChildFailed}, {129, IoErrChildFailed},
};

constexpr bool each_number_once()
{
    for (size_t i = 0; i < std::size(kSystemErrorCodes); ++i) {
        for (size_t j = i + 1; j < std::size(kSystemErrorCodes); ++j) {
            if (kSystemErrorCodes[i].system_error == kSystemErrorCodes[j].system_error)
                return false;
        }
    }
    return true;
}

static_assert(std::size(kSystemErrorCodes) == 91, "the table has 91 pairs");
static_assert(each_number_once(), "a system number occurs once");

}

namespace osmark {

IoErrCode io_err_code_of_win32(uint32_t system_error) noexcept
{
    for (const SystemErrorCode& pair : kSystemErrorCodes) {
        if (pair.system_error == system_error)
            return pair.code;
    }
    return IoErrUnknown;
}

}

extern "C" {

OSMARK_API IoErrCode SetIoErrFromWin32(uint32_t error) noexcept
{
    return SetIoErr(osmark::io_err_code_of_win32(error));
}

}
