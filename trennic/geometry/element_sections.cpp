// Sections of element records: checking them, and building blocks and items from them.

#include "geometry/element_sections.h"

#include <cstring>

#include "elements/element_layout.h"
#include "elements/element_view.h"
#include "elements/layer_tooling.h"
#include "halvern/items.h"
#include "halvern/tables.h"
#include "library/make_error.h"
#include "osmark/errors.h"
#include "osmark/memory.h"
#include "trennic/geometry.h"

namespace trennic {

namespace {

// A record that is not deleted holds its head and the fields of its kind, in the
// layout it was written in.
bool is_complete_record(ElementBytes record, ElementLayout layout)
{
    if (record.size() < element::kHeadLength)
        return false;
    const uint32_t flags =
        element::normalised_flags(load_u32(record.data() + element::kFlagsOffset));
    if (element::state_of(flags) == element::kStateDeleted)
        return true;
    const int32_t kind = load_i32(record.data() + element::kKindOffset);
    const uint32_t needed = layout == ElementLayout::Current ? element::min_length(kind)
                                                             : element::min_old_length(kind);
    return record.size() >= needed;
}

void mark_tooling(const ToolingTarget* tooling, const ElementView& element)
{
    if (tooling != nullptr)
        mark_layer_tooling(tooling->machines, tooling->count, *tooling->base_layer, element);
}

// Appends a bracket item (BLOCK or ENDBLK) to dxf_BlockItemBuffer; the item, or NULL.
ItemRec* add_bracket(DXFDrawingRec& drawing, int32_t type)
{
    ItemRec* item = CreateItem(type, 0, 0, 0, 0, drawing.dxf_Pool);
    if (item == nullptr)
        return nullptr;
    if (AddItem(&drawing, &drawing.dxf_BlockItemBuffer, item) == 0) {
        FreeVecPooled(drawing.dxf_Pool, item);
        return nullptr;
    }
    return item;
}

int32_t begin_block(DXFDrawingRec& drawing, const ElementView& element)
{
    ItemRec* block = add_bracket(drawing, DXFItemBlock);
    if (block == nullptr)
        return make_error(IoErrNoMemory);
    block->it_Block.bk_Base =
        Point3DRec{element.f64(element::kPlaceXOffset), element.f64(element::kPlaceYOffset), 0.0};
    const std::string_view text =
        element.text(element::kBeginNameOffset, element::kNameFieldLength);
    char name[element::kNameFieldLength + 1];
    text.copy(name, text.size());
    name[text.size()] = '\0';
    const int32_t index = drawing.dxf_BlockItemBuffer.ib_N - 1;
    if (AddBlockIdentifier(&drawing.dxf_BlockIdentifierBuffer, name, index, 0) == 0)
        return make_error(IoErrNoMemory);
    return 0;
}

int32_t end_block(DXFDrawingRec& drawing)
{
    return add_bracket(drawing, DXFItemEndBlock) == nullptr ? make_error(IoErrNoMemory) : 0;
}

}

int32_t read_element_section(ByteReader& reader, ElementLayout layout,
                             std::vector<ElementBytes>& records)
{
    const uint32_t marker = reader.u32();
    if (!reader.ok())
        return make_error(IoErrBadIO);
    if (marker != QX_SECTION_MARKER)
        return make_error(IoErrObjectInvalid);
    reader.u32(); // not interpreted
    reader.u32(); // a count the records do not follow
    auto length_word = reader.take(4);
    if (!reader.ok())
        return make_error(IoErrBadIO);
    for (uint32_t length = load_u32(length_word.data()); length != 0;
         length = load_u32(length_word.data())) {
        if (length < element::kMinLength || length > element::kMaxLength)
            return make_error(IoErrBadIO);
        reader.take(length - 4);
        if (!reader.ok())
            return make_error(IoErrBadIO);
        // The length word and the rest are adjacent in the image.
        const ElementBytes record(length_word.data(), length);
        if (!is_complete_record(record, layout))
            return make_error(IoErrBadIO);
        records.push_back(record);
        length_word = reader.take(4);
        if (!reader.ok())
            return make_error(IoErrBadIO);
    }
    return 0;
}

bool current_record(ElementBytes bytes, ElementLayout layout, QXElementRec& record)
{
    if (layout == ElementLayout::Old) {
        QXElementRec old_record;
        std::memcpy(old_record.qe_Bytes, bytes.data(), bytes.size());
        UpgradeElement(&old_record, &record);
    } else {
        std::memcpy(record.qe_Bytes, bytes.data(), bytes.size());
    }
    uint8_t* flags_word = record.qe_Bytes + element::kFlagsOffset;
    const uint32_t flags = element::normalised_flags(load_u32(flags_word));
    store_u32(flags_word, flags);
    return element::state_of(flags) != element::kStateDeleted;
}

int32_t apply_block_section(DXFDrawingRec& drawing, std::span<const ElementBytes> records,
                            ElementLayout layout, bool build_drawing, const ToolingTarget* tooling)
{
    bool in_block = false;
    QXElementRec record;
    for (const ElementBytes bytes : records) {
        if (!current_record(bytes, layout, record))
            continue;
        const ElementView element(&record);
        mark_tooling(tooling, element);
        if (!build_drawing)
            continue;
        int32_t result = 0;
        if (element.kind() == QXElementBlockBegin) {
            result = begin_block(drawing, element);
            in_block = true;
        } else if (element.kind() == QXElementBlockEnd) {
            result = end_block(drawing);
            in_block = false;
        } else if (in_block &&
                   ElementToItem(&drawing, &drawing.dxf_BlockItemBuffer, &record) == 0) {
            result = make_error(IoErrNoMemory);
        }
        if (result != 0)
            return result;
    }
    if (build_drawing && in_block)
        return end_block(drawing);
    return 0;
}

int32_t apply_element_section(DXFDrawingRec& drawing, std::span<const ElementBytes> records,
                              ElementLayout layout, bool build_drawing,
                              const ToolingTarget* tooling)
{
    QXElementRec record;
    for (const ElementBytes bytes : records) {
        if (!current_record(bytes, layout, record))
            continue;
        mark_tooling(tooling, ElementView(&record));
        if (build_drawing && ElementToItem(&drawing, &drawing.dxf_ItemBuffer, &record) == 0)
            return make_error(IoErrNoMemory);
    }
    return 0;
}

}
