// Feeds bytes to the DXF group readers and the entity parser over a memory-backed
// stream, as the drawing reader does with an ENTITIES section: every 0 group goes to
// the parser, every other group is skipped. Then the drawing is walked, so that the
// items the parser made are placed too.

#include <cstddef>
#include <cstdint>
#include <string>

#include "dxf/dxf_entity_parser.h"
#include "halvern/halvern.h"
#include "osmark/memory.h"

namespace {

int32_t ignore_item(ItemRec*, ItemRec* item, void*)
{
    return item->it_Header.ih_ItemType == 0 ? 1 : 0;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    // The stream may write a byte back into its buffer: give it a copy.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    FileHandle stream{};
    stream.fh_Flags = FileFlagRead | FileFlagMemory;
    stream.fh_Buffer = reinterpret_cast<uint8_t*>(bytes.data());
    stream.fh_Position = stream.fh_Buffer;
    stream.fh_Count = static_cast<int32_t>(size);
    stream.fh_BufferSize = static_cast<int32_t>(size);
    stream.fh_Seek = [](uintptr_t, int32_t, int32_t) -> int32_t { return -1; };

    DXFDrawingRec drawing{};
    NewDXFDrawing(&drawing);
    drawing.dxf_Pool = CreatePool(0x4000, 0x4000);
    halvern::DXFLineCounter = 0;
    const int32_t encoding = halvern::DXFDetectBinary(&stream);
    VertexListRec vertices{};
    char value[DXF_GROUP_VALUE_SIZE];
    int32_t code = 0;
    int32_t ok = 0;
    int32_t result = 0;
    bool have = halvern::DXFReadGroup(&stream, encoding, &code, value, DXF_GROUP_VALUE_SIZE, &ok) != 0;
    while (have) {
        if (code == 0 && halvern::DXFReadEntity(&drawing, encoding, value, 0, 0, 0, &vertices, &result,
                                                &drawing.dxf_ItemBuffer, &stream) == 1)
            continue;
        have = halvern::DXFReadGroup(&stream, encoding, &code, value, DXF_GROUP_VALUE_SIZE, &ok) != 0;
    }
    DXFVertexListFree(&vertices);
    StepDXFDrawing(&drawing, DXFWalkAll, ignore_item, nullptr);
    FreeDXFDrawing(&drawing);
    return 0;
}
