// StepReadDXF: every group of a DXF file handed to a caller's function.

#include "halvern/dxf_groups.h"

#include "dxf/dxf_group_reader.h"
#include "model/make_error.h"
#include "model/read_stream.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/memory.h"

extern "C" {

HALVERN_API int32_t StepReadDXF(const char* path, DXFGroupCallback callback, void* user) noexcept
{
    if (path == nullptr || callback == nullptr)
        return halvern::make_error(IoErrRequiredArgMissing);
    const halvern::ReadStream opened = halvern::ReadStream::open(path);
    if (!opened.is_open())
        return halvern::make_error(IoErrObjectNotFound);
    FileHandle* stream = opened.get();
    // The count of this read; the thread's DXFLineCounter follows it for whoever reads
    // that while the callback runs.
    int32_t line = 0;
    char value[DXF_GROUP_VALUE_SIZE];
    halvern::DXFGroupStream groups(*stream, halvern::DXFDetectBinary(stream), value,
                                   DXF_GROUP_VALUE_SIZE, &line);
    // The callback is handed the stream and may read from it; the next group is read
    // from wherever it leaves the stream.
    int32_t result = 0;
    while ((stream->fh_Flags & FileFlagEndOfFile) == 0 && groups.next()) {
        groups.text();
        halvern::DXFLineCounter = line;
        result = callback(stream, line, groups.code(), value, user);
        if (result != 0)
            break;
    }
    return result;
}

}
