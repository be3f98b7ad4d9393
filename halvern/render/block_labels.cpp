// SetBlockLabel: the label text, position and font kept in a block's identifier, and
// the references that the block's INSERTs hold into them.

#include "halvern/block_labels.h"

#include <cmath>
#include <cstring>
#include <optional>

#include "halvern/items.h"
#include "halvern/walkers.h"
#include "model/make_error.h"
#include "osmark/memory.h"
#include "osmark/strings.h"
#include "platform/gdi.h"
#include "render/block_label_placement.h"

namespace halvern::render {

namespace {

// A scale this close to 0 cannot turn pixels into drawing units.
constexpr double kSmallestScale = 1e-6;

// The first identifier whose name equals name without regard to case.
BlockIdentifierRec* FindBlockIdentifier(const DXFDrawingRec& drawing, const char* name) noexcept
{
    const BlockIdentifierBufferRec& identifiers = drawing.dxf_BlockIdentifierBuffer;
    for (int32_t i = 0; identifiers.bib_Blocks != nullptr && i < identifiers.bib_N; ++i) {
        BlockIdentifierRec* identifier = identifiers.bib_Blocks[i];
        if (identifier != nullptr && identifier->bi_Name != nullptr &&
            StriCmp(identifier->bi_Name, name) == 0)
            return identifier;
    }
    return nullptr;
}

bool refers_to(const InsertRec& insert, const BlockIdentifierRec& identifier) noexcept
{
    return insert.in_BlockName == identifier.bi_Name ||
           insert.in_LabelPos == &identifier.bi_LabelPos ||
           insert.in_LabelAttr == &identifier.bi_LabelAttr;
}

// Every INSERT of the block in either buffer, visible or not, drops its references: a
// walk would pass over hidden INSERTs and leave them pointing at freed text.
void ClearInsertLabels(DXFDrawingRec& drawing, const BlockIdentifierRec& identifier) noexcept
{
    for (ItemBufferRec* buffer : {&drawing.dxf_ItemBuffer, &drawing.dxf_BlockItemBuffer}) {
        for (int32_t i = 0; buffer->ib_Items != nullptr && i < buffer->ib_N; ++i) {
            ItemRec* item = buffer->ib_Items[i];
            if (item == nullptr || item->it_Header.ih_ItemType != DXFItemInsert ||
                !refers_to(item->it_Insert, identifier))
                continue;
            item->it_Insert.in_Label = nullptr;
            item->it_Insert.in_LabelPos = nullptr;
            item->it_Insert.in_LabelAttr = nullptr;
        }
    }
}

void remove_label(DXFDrawingRec& drawing, BlockIdentifierRec& identifier) noexcept
{
    ClearInsertLabels(drawing, identifier);
    if (identifier.bi_Label != nullptr)
        FreeStr(identifier.bi_Label);
    if (identifier.bi_LabelAttr.df_Name != nullptr)
        FreeStr(identifier.bi_LabelAttr.df_Name);
    identifier.bi_Label = nullptr;
    identifier.bi_LabelAttr.df_Name = nullptr;
}

// Walker callback: the INSERTs of the block that the walk expands refer to its label.
int32_t SetInsertLabelCallback(ItemRec* insert, ItemRec*, void* user)
{
    auto* identifier = static_cast<BlockIdentifierRec*>(user);
    if (insert == nullptr || insert->it_Insert.in_BlockName != identifier->bi_Name)
        return DXFStepContinue;
    insert->it_Insert.in_Label = identifier->bi_Label;
    insert->it_Insert.in_LabelPos = &identifier->bi_LabelPos;
    insert->it_Insert.in_LabelAttr = &identifier->bi_LabelAttr;
    return DXFStepContinue;
}

// The walk passes every INSERT as the first argument at least with its BLOCK item, so
// the walk of BLOCK items alone reaches the same INSERTs as a full one.
void attach_to_inserts(DXFDrawingRec& copy, BlockIdentifierRec& identifier) noexcept
{
    StepDXFDrawing(&copy, DXFWalkBlocksOnly, SetInsertLabelCallback, &identifier);
}

// The label font: the face, height, weight, slant, underline and strike-out of the
// font selected into hdc and its text colour; the pixel height becomes drawing units
// at the scale of the mapping record. All zero when the font cannot be read.
void SetBlockLabelFont(BlockIdentifierRec& identifier, HDC hdc,
                       const DXFDrawingRec& mapping) noexcept
{
    DXFFontRec& attributes = identifier.bi_LabelAttr;
    if (attributes.df_Name != nullptr)
        FreeStr(attributes.df_Name);
    attributes = DXFFontRec{};
    HGDIOBJ font = hdc != nullptr ? GetCurrentObject(hdc, OBJ_FONT) : nullptr;
    LOGFONTA logical{};
    if (font == nullptr || GetObjectA(font, static_cast<int>(sizeof logical), &logical) == 0)
        return;
    logical.lfFaceName[LF_FACESIZE - 1] = '\0';
    // A face name that cannot be copied leaves the label in the default face.
    attributes.df_Name = AllocStr(0, logical.lfFaceName);
    const double pixels = std::fabs(static_cast<double>(logical.lfHeight));
    const double scale = mapping.dxf_YScale;
    attributes.df_YSize = std::fabs(scale) < kSmallestScale ? pixels : pixels / scale;
    uint32_t style = 0;
    if (logical.lfWeight > FW_NORMAL)
        style |= 1u;
    if (logical.lfItalic != 0)
        style |= 2u;
    if (logical.lfUnderline != 0)
        style |= 4u;
    if (logical.lfStrikeOut != 0)
        style |= 8u;
    attributes.df_Style = style;
    attributes.df_Colour = GetTextColor(hdc);
}

// The drawing's record, copied to work on: it shares every table, buffer and item with
// the drawing, and its view fields change instead of the drawing's. A walk or render
// of the copy may make or grow the expansion stack: the drawing takes it over.
class WorkingCopy {
public:
    explicit WorkingCopy(DXFDrawingRec& drawing) noexcept : m_drawing(drawing), m_copy(drawing) {}
    ~WorkingCopy() { m_drawing.dxf_BlockStack = m_copy.dxf_BlockStack; }
    WorkingCopy(const WorkingCopy&) = delete;
    WorkingCopy& operator=(const WorkingCopy&) = delete;

    DXFDrawingRec& get() noexcept { return m_copy; }
    // The mapping of the caller's window in view_port.
    void map_drawing_window(const RectangleRec& view_port) noexcept
    {
        m_copy.dxf_ViewSize = view_port;
        const Rectangle2DRec window = m_drawing.dxf_DrwgSize;
        SetDXFDrawingSize(&m_copy, window.min.x, window.min.y, window.max.x, window.max.y);
    }

private:
    DXFDrawingRec& m_drawing;
    DXFDrawingRec m_copy;
};

int32_t attach_label(WorkingCopy& work, BlockIdentifierRec& identifier, HDC hdc, const char* text,
                     Point2DRec position) noexcept
{
    identifier.bi_Label = AllocStr(0, text);
    if (identifier.bi_Label == nullptr)
        return make_error(-1);
    identifier.bi_LabelPos = position;
    SetBlockLabelFont(identifier, hdc, work.get());
    attach_to_inserts(work.get(), identifier);
    return 0;
}

}

}

using namespace halvern::render;

extern "C" {

HALVERN_API int32_t SetBlockLabel(HDC hdc, DXFDrawingRec* drawing, RectangleRec* viewPort,
                                  const char* name, const char* text, Point2DRec* position) noexcept
{
    if (drawing == nullptr || name == nullptr)
        return halvern::make_error(-1);
    BlockIdentifierRec* identifier = FindBlockIdentifier(*drawing, name);
    if (identifier == nullptr)
        return halvern::make_error(-2);
    // Refused before anything changes: the old label stays.
    if (text != nullptr && position == nullptr && (hdc == nullptr || viewPort == nullptr))
        return halvern::make_error(-1);
    if (text == nullptr || identifier->bi_Label != nullptr)
        remove_label(*drawing, *identifier);
    if (text == nullptr)
        return 0;

    WorkingCopy work(*drawing);
    if (position != nullptr) {
        if (viewPort != nullptr)
            work.map_drawing_window(*viewPort);
        return attach_label(work, *identifier, hdc, text, *position);
    }

    const LabelSize size = MeasureBlockLabel(work.get(), hdc, *viewPort, text);
    const std::optional<Point2DRec> place =
        find_label_place(work.get(), hdc, *viewPort, *identifier, size);
    if (!place)
        return 1;
    work.map_drawing_window(*viewPort);
    return attach_label(work, *identifier, hdc, text, *place);
}
}
