// The file families of the formatter: FPrintf, Printf and FnPrintf over a file handle.

#include "osmark/format.h"

#include "core/runtime/make_error.h"
#include "osmark/errors.h"
#include "osmark/files.h"

namespace {

// The final 0 that the formatter sends at the end is not a character of the output.
void put_to_file(char character, void* data)
{
    if (character != '\0')
        FPutc(static_cast<FileHandle*>(data), static_cast<uint8_t>(character));
}

struct LimitedFile {
    FileHandle* fh;
    int64_t count;
    int64_t limit;
};

void put_to_limited_file(char character, void* data)
{
    auto* sink = static_cast<LimitedFile*>(data);
    if (character == '\0')
        return;
    if (sink->count < sink->limit)
        FPutc(sink->fh, static_cast<uint8_t>(character));
    ++sink->count;
}

}

extern "C" {

OSMARK_API int32_t VFPrintf(FileHandle* fh, const char* format, const uintptr_t* arguments) noexcept
{
    // Writing through a NULL handle would crash in FPutc; it is refused instead.
    if (fh == nullptr || format == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return -1;
    }
    const int32_t count = RawDoFmtA(put_to_file, fh, format, arguments);
    return (fh->fh_Flags & FileFlagError) != 0 ? -1 : count;
}

OSMARK_API int32_t VPrintf(const char* format, const uintptr_t* arguments) noexcept
{
    return VFPrintf(Output(), format, arguments);
}

OSMARK_API int32_t VFnPrintf(FileHandle* fh, int32_t limit, const char* format,
                             const uintptr_t* arguments) noexcept
{
    if (fh == nullptr || format == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return -1;
    }
    LimitedFile sink{fh, 0, limit};
    return RawDoFmtA(put_to_limited_file, &sink, format, arguments);
}

}
