#include "library/make_error.h"

namespace trennic {

int32_t make_error(int32_t code, platform::SourceSite where) noexcept
{
    ErrorTrace::record(code, where);
    return code;
}

}
