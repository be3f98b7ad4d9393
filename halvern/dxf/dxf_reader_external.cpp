// External references: a block whose content lives in a DXF file of its own. The file
// is read into a temporary drawing, walked with its INSERTs expanded, and copies of
// what the walk hands over join the block being read.
//
// The copies become items of the host drawing: their layer and line type are the
// host's entries of the same names (made there, with the external file's settings,
// when the host lacks them), and they get ids of the host. Indexes and ids of the
// temporary drawing would mean nothing, or something else, once it is released.

#include "halvern/dxf_reader.h"
#include "halvern/walkers.h"
#include "dxf/dxf_reader_internal.h"
#include "model/make_error.h"
#include "osmark/directories.h"
#include "osmark/errors.h"
#include "osmark/memory.h"
#include "platform/files.h"

namespace halvern {

namespace {

// References nested deeper than this are not followed: every level holds a read
// buffer, a temporary drawing and a stack frame, and no sound drawing nests so deep.
constexpr int32_t kDeepestReference = 32;

// No reference hands over more items than this. A small file whose INSERT arrays
// multiply into billions of items would otherwise fill the memory and never end.
constexpr int64_t kMostCopies = 1'000'000;

struct CopyContext {
    DXFDrawingRec& host;
    DXFDrawingRec& source;
    int32_t block_step;  // the host buffer's grow step when the copying began
    int64_t copies = 0;
    bool too_many = false;
};

const LineTypeDataRec* source_line_type(DXFDrawingRec& source, int32_t index)
{
    const LineTypeTableRec& table = source.dxf_LineTypeTable;
    if (table.lt_LineTypes == nullptr || index < 0 || index >= table.lt_N)
        return nullptr;
    return table.lt_LineTypes[index];
}

const LayerDataRec* source_layer(DXFDrawingRec& source, int32_t index)
{
    const LayerTableRec& table = source.dxf_LayerTable;
    if (table.lt_Layers == nullptr || index < 0 || index >= table.lt_N)
        return nullptr;
    return table.lt_Layers[index];
}

// A line type new to the host takes the external file's description and dashes.
void copy_line_type_settings(LineTypeDataRec& target, const LineTypeDataRec& source)
{
    if (source.ld_Description != nullptr)
        target.ld_Description = AllocStr(0, source.ld_Description);
    if (source.ld_NSegments > 0 && source.ld_Segments != nullptr) {
        const auto bytes = static_cast<uint32_t>(source.ld_NSegments) * sizeof(double);
        auto* dashes = static_cast<double*>(AllocVec(bytes));
        if (dashes != nullptr) {
            for (int32_t i = 0; i < source.ld_NSegments; ++i)
                dashes[i] = source.ld_Segments[i];
            target.ld_Segments = dashes;
            target.ld_NSegments = source.ld_NSegments;
        }
    }
}

// The host's index of the source's line type, by name (0 for the automatic entry and
// for an index the source does not have).
int32_t host_line_type(CopyContext& context, int32_t index)
{
    const LineTypeDataRec* source = source_line_type(context.source, index);
    if (source == nullptr || source->ld_Name == nullptr || index == 0)
        return 0;
    LineTypeTableRec& table = context.host.dxf_LineTypeTable;
    const int32_t known = table.lt_N;
    const int32_t host = GetLineType(&table, source->ld_Name);
    if (host >= known && host > 0 && host < table.lt_N && table.lt_LineTypes[host] != nullptr)
        copy_line_type_settings(*table.lt_LineTypes[host], *source);
    return host;
}

// The host's index of the source's layer, by name; a layer new to the host takes the
// external file's colour, line type and off flag.
int32_t host_layer(CopyContext& context, int32_t index)
{
    const LayerDataRec* source = source_layer(context.source, index);
    if (source == nullptr || source->ld_Name == nullptr || index == 0)
        return 0;
    LayerTableRec& table = context.host.dxf_LayerTable;
    const int32_t known = table.lt_N;
    const int32_t host = GetLayer(&table, source->ld_Name);
    if (host >= known && host > 0 && host < table.lt_N && table.lt_Layers[host] != nullptr) {
        LayerDataRec& layer = *table.lt_Layers[host];
        layer.ld_Colour = source->ld_Colour;
        layer.ld_Flags |= source->ld_Flags & DXFLayerOff;
        layer.ld_LineType = host_line_type(context, source->ld_LineType);
    }
    return host;
}

int32_t copy_into_host(ItemRec*, ItemRec* item, void* user)
{
    auto& context = *static_cast<CopyContext*>(user);
    const int32_t type = item->it_Header.ih_ItemType;
    if (type < DXFItemPoint || type > DXFItemComposite)
        return DXFStepContinue;
    if (++context.copies > kMostCopies) {
        context.too_many = true;
        return DXFStepStop;
    }
    ItemRec* copy = CopyItem(item, context.host.dxf_Pool);
    if (copy == nullptr)
        return DXFStepContinue;
    ItemHeaderRec& head = copy->it_Header;
    head.ih_Layer = host_layer(context, item->it_Header.ih_Layer);
    head.ih_LineType = host_line_type(context, item->it_Header.ih_LineType);
    // AddItem gives an item without id the host's next one.
    head.ih_ID = 0;
    grow_by_doubling(context.host.dxf_BlockItemBuffer, context.block_step);
    if (AddItem(&context.host, &context.host.dxf_BlockItemBuffer, copy) == 0)
        FreeVecPooled(context.host.dxf_Pool, copy);
    return DXFStepContinue;
}

// The nested read of an external file that passed the tests: its code.
int32_t load_external_block(const char* path, DXFDrawingRec* drawing,
                            const DXFReadContext& referrer)
{
    // A reference back to a file still being read would read it again without end: it
    // fails as a file that cannot be found does.
    if (referrer.is_being_read(path) || referrer.depth() >= kDeepestReference)
        return make_error(IoErrObjectNotFound);
    // A name from a file's content may name a device or a pipe ("/dev/zero", a FIFO)
    // whose reading never ends or never begins: only files are read.
    FileInfoBlock info{};
    if (Examine(path, &info) != 0 && (info.fib_Attributes & FILE_ATTRIBUTE_ARCHIVE) == 0)
        return make_error(IoErrWrongType);
    DXFDrawingRec external;
    NewDXFDrawing(&external);
    // Warnings of references inside the external file are shown in any case.
    const int32_t result = ReadDXFFileNested(path, &external, true, &referrer);
    // The thread's counter goes on with the referring file's lines.
    DXFLineCounter = referrer.line();
    int32_t loaded = result;
    if (result == 0) {
        ItemBufferRec& block_items = drawing->dxf_BlockItemBuffer;
        const int32_t members = block_items.ib_N;
        CopyContext context{*drawing, external, block_items.ib_Size};
        // A reference brings in the model of its file, not its layouts (a file with
        // nothing but a layout has had that taken into its model): the walk passes over
        // them as over hidden items.
        ItemBufferRec& items = external.dxf_ItemBuffer;
        for (int32_t i = 0; i < items.ib_N; ++i) {
            if (items.ib_Items[i] != nullptr && items.ib_Items[i]->it_Header.ih_Space != 0)
                items.ib_Items[i]->it_Header.ih_Flags |= DXFItemHidden;
        }
        StepDXFDrawing(&external, DXFWalkAll, copy_into_host, &context);
        if (context.too_many) {
            // Not loaded, as a file that cannot be read: the block keeps its own members.
            while (block_items.ib_N > members)
                FreeVecPooled(drawing->dxf_Pool, block_items.ib_Items[--block_items.ib_N]);
            loaded = make_error(IoErrNoMemory);
        }
    }
    FreeDXFDrawing(&external);
    return loaded;
}

}

int32_t ReadDXFExternalBlock(const char* reference, DXFDrawingRec* drawing,
                             const DXFReadContext& referrer) noexcept
{
    if (reference == nullptr || drawing == nullptr)
        return make_error(IoErrRequiredArgMissing);
    // Where the referring file's folder makes a relative name lead; the current
    // directory plays no part unless the referring file was named relative to it.
    char* path = referrer.resolve(reference);
    if (path == nullptr)
        return make_error(IoErrNoMemory);
    const int32_t loaded = load_external_block(path, drawing, referrer);
    FreeStr(path);
    return loaded;
}

}
