#include "core/runtime/make_error.h"

namespace osmark {

IoErrCode make_error(IoErrCode code, platform::SourceSite where) noexcept
{
    ErrorTrace::record(code, where);
    return code;
}

void set_io_error(IoErrCode code, platform::SourceSite where) noexcept
{
    ErrorTrace::record(code, where);
    SetIoErr(code);
}

void set_io_error_from_win32(uint32_t system_error, platform::SourceSite where) noexcept
{
    const IoErrCode code = io_err_code_of_win32(system_error);
    ErrorTrace::record(code, where);
    SetIoErr(code);
}

}
