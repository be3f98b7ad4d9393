// Fuzz target of the IGES reader over a memory-backed stream.
//
// Input: a control byte, then the file. Control bits 0 and 1 are the units argument
// (0 to 3; 3 is no valid choice and must act as 0), bit 2 the top-level flag. The
// drawing read is then copied item by item, so that composites and their member
// lists are walked too.

#include <cstddef>
#include <cstdint>

#include "iges/iges_reader.h"
#include "model/memory_handle.h"
#include "halvern/halvern.h"
#include "osmark/memory.h"

namespace {

int32_t ignore_type(int32_t, void*)
{
    return 0;
}

void copy_all(const ItemBufferRec& buffer, Pool* pool)
{
    for (int32_t i = 0; i < buffer.ib_N; ++i) {
        if (buffer.ib_Items[i] == nullptr)
            __builtin_trap();
        CopyItem(buffer.ib_Items[i], pool);
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > (1u << 24))
        return 0;
    const int32_t units = data[0] & 3;
    const int32_t top_level = (data[0] >> 2) & 1;
    FileHandle stream;
    halvern::DXFMakeMemoryHandle(data + 1, &stream, static_cast<int32_t>(size - 1));

    DXFDrawingRec drawing{};
    NewDXFDrawing(&drawing);
    const int32_t result = halvern::ReadIGESStream(&stream, &drawing, units, top_level, ignore_type, nullptr);
    Close(&stream);
    if (result > 1)
        __builtin_trap();
    if (drawing.dxf_Pool != nullptr) {
        copy_all(drawing.dxf_ItemBuffer, drawing.dxf_Pool);
        copy_all(drawing.dxf_BlockItemBuffer, drawing.dxf_Pool);
    }
    FreeDXFDrawing(&drawing);
    return 0;
}
