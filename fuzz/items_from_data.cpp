// Reads bytes as DXF groups (either encoding), holds them in group lists as the drawing
// filter does, and makes items of them: once of the whole list, and once of every
// entity (a 0 group with the groups behind it; VERTEX and SEQEND stay with the
// entity before them), each with and without a drawing.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dxf/dxf_group_reader.h"
#include "halvern/halvern.h"
#include "osmark/memory.h"
#include "osmark/paged_array.h"

namespace {

struct ReadGroup {
    int32_t code;
    std::unique_ptr<std::string> value;
};

std::vector<ReadGroup> read_groups(std::string& bytes)
{
    FileHandle stream{};
    stream.fh_Flags = FileFlagRead | FileFlagMemory;
    stream.fh_Buffer = reinterpret_cast<uint8_t*>(bytes.data());
    stream.fh_Position = stream.fh_Buffer;
    stream.fh_Count = static_cast<int32_t>(bytes.size());
    stream.fh_BufferSize = static_cast<int32_t>(bytes.size());
    stream.fh_Seek = [](uintptr_t, int32_t, int32_t) -> int32_t { return -1; };
    const int32_t encoding = halvern::DXFDetectBinary(&stream);
    std::vector<ReadGroup> groups;
    char value[DXF_GROUP_VALUE_SIZE];
    int32_t code = 0;
    int32_t ok = 0;
    while (halvern::DXFReadGroup(&stream, encoding, &code, value, DXF_GROUP_VALUE_SIZE, &ok) != 0)
        groups.push_back(ReadGroup{code, std::make_unique<std::string>(value)});
    return groups;
}

bool continues_entity(const ReadGroup& group)
{
    return group.code != 0 || *group.value == "VERTEX" || *group.value == "SEQEND";
}

void make_items(DXFDrawingRec& drawing, const std::vector<ReadGroup>& groups, size_t begin, size_t end)
{
    PagedArray* list = PagedArrayCreate(sizeof(DXFGroupRec), 64);
    if (list == nullptr)
        return;
    for (size_t i = begin; i < end; ++i) {
        const DXFGroupRec record{groups[i].code, groups[i].value->data()};
        PagedArrayAdd(list, &record);
    }
    for (DXFDrawingRec* with : {&drawing, static_cast<DXFDrawingRec*>(nullptr)}) {
        ItemRec* item = CreateItemFromData(with, list, 1.0, 2.0, 0.0, drawing.dxf_Pool);
        if (item != nullptr)
            FreeVecPooled(drawing.dxf_Pool, item);
    }
    PagedArrayDelete(list);
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    // The stream may write a byte back into its buffer: give it a copy.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<ReadGroup> groups = read_groups(bytes);

    DXFDrawingRec drawing{};
    NewDXFDrawing(&drawing);
    drawing.dxf_Pool = CreatePool(0x4000, 0x4000);
    // A block for INSERTs to find.
    AddBlockIdentifier(&drawing.dxf_BlockIdentifierBuffer, "B", 0, 0);
    make_items(drawing, groups, 0, groups.size());
    for (size_t begin = 0; begin < groups.size();) {
        size_t end = begin + 1;
        while (end < groups.size() && continues_entity(groups[end]))
            ++end;
        make_items(drawing, groups, begin, end);
        begin = end;
    }
    FreeDXFDrawing(&drawing);
    return 0;
}
