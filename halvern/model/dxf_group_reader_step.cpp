// StepReadDXF: every group of a DXF file handed to a caller's function.

#include "halvern/dxf_groups.h"

#include "model/dxf_group_reader.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/memory.h"

namespace {

// The largest read buffer tried first, and the size below which the stream's own
// buffer is used instead.
constexpr uint32_t kLargestReadBuffer = 0x80000;
constexpr uint32_t kSmallestReadBuffer = 1024;

// A read buffer as large as memory allows, freed after the stream is closed.
class ReadBuffer {
public:
    ReadBuffer()
    {
        for (uint32_t size = kLargestReadBuffer; size >= kSmallestReadBuffer; size /= 2) {
            m_block = AllocVec(size);
            if (m_block != nullptr) {
                m_size = size;
                return;
            }
        }
    }
    ~ReadBuffer() { FreeVec(m_block); }
    ReadBuffer(const ReadBuffer&) = delete;
    ReadBuffer& operator=(const ReadBuffer&) = delete;

    void* block() const { return m_block; }
    int32_t size() const { return static_cast<int32_t>(m_size); }

private:
    void* m_block = nullptr;
    uint32_t m_size = kSmallestReadBuffer;
};

}

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
        const ReadBuffer buffer;
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
