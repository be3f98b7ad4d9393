// StepReadDXF: every group of a DXF file handed to a caller's function.

#include "halvern/dxf_groups.h"

#include "dxf/dxf_group_reader.h"
#include "model/read_buffer.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/memory.h"

extern "C" {

HALVERN_API int32_t StepReadDXF(const char* path, DXFGroupCallback callback, void* user) noexcept
{
    if (path == nullptr || callback == nullptr)
        return IoErrRequiredArgMissing;
    halvern::DXFLineCounter = 0;
    FileHandle* stream = Open(path, FileModeRead);
    if (stream == nullptr)
        return IoErrObjectNotFound;
    int32_t result = 0;
    {
        const halvern::ReadBuffer buffer;
        // Without a block of its own the stream takes a buffer of the smallest size.
        SetVBuf(stream, buffer.block(), 0, buffer.size());
        const int32_t encoding = halvern::DXFDetectBinary(stream);
        char value[DXF_GROUP_VALUE_SIZE];
        while ((stream->fh_Flags & FileFlagEndOfFile) == 0) {
            int32_t code = 0;
            int32_t ok = 0;
            halvern::DXFReadGroup(stream, encoding, &code, value, DXF_GROUP_VALUE_SIZE, &ok);
            if (ok == 0)
                break;
            result = callback(stream, halvern::DXFLineCounter, code, value, user);
            if (result != 0)
                break;
        }
        // The stream lets go of the buffer before the buffer is freed.
        Close(stream);
    }
    return result;
}

}
