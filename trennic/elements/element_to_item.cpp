// Element records into drawing items.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <numbers>
#include <string_view>

#include "elements/element_layout.h"
#include "elements/element_view.h"
#include "halvern/items.h"
#include "halvern/tables.h"
#include "osmark/memory.h"
#include "osmark/numbers.h"
#include "trennic/elements.h"

namespace {

using namespace trennic::element;
using trennic::ElementView;

constexpr double kTolerance = 1e-6;
constexpr const char* kConstructionLayer = "Construction";

// DXF colour numbers of the colour codes 0 to 15.
constexpr int32_t kColours[16] = {250, 172, 92, 132, 12, 212, 32, 9, 8, 5, 3, 4, 1, 6, 2, 7};
// A code beyond the table takes the colour of the item's layer.
constexpr int32_t kLayerColour = 256;
// Line-type indices of the low four bits of a line-type code.
constexpr int32_t kLineTypes[16] = {0, 0, 1, 2, 3, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0};

int32_t colour_of(uint32_t code)
{
    return code < std::size(kColours) ? kColours[code] : kLayerColour;
}

int32_t line_type_of(uint32_t code)
{
    return kLineTypes[code & 0xF];
}

// The index of the layer called after the record's layer id ("%ld" of the 32-bit
// word), or of "Construction"; 0 when the table cannot grow (neither name is the
// automatic unnamed layer 0).
int32_t layer_index(DXFDrawingRec& drawing, const ElementView& element, bool construction)
{
    if (construction)
        return GetLayer(&drawing.dxf_LayerTable, kConstructionLayer);
    char name[16];
    std::snprintf(name, sizeof name, "%d", static_cast<int32_t>(element.layer_id()));
    return GetLayer(&drawing.dxf_LayerTable, name);
}

// Appends the item; on failure it goes back to the pool. 1 or 0.
int32_t add(DXFDrawingRec& drawing, ItemBufferRec& buffer, ItemRec* item)
{
    if (item == nullptr)
        return 0;
    if (AddItem(&drawing, &buffer, item) == 0) {
        FreeVecPooled(drawing.dxf_Pool, item);
        return 0;
    }
    return 1;
}

struct ItemStyle {
    int32_t layer;
    int32_t colour;
    int32_t line_type;
};

// The layer, colour and line type of a drawn element; layer 0 when the layer table
// cannot grow.
ItemStyle style_of(DXFDrawingRec& drawing, const ElementView& element, bool construction)
{
    return {layer_index(drawing, element, construction), colour_of(element.colour_code()),
            line_type_of(element.line_type_code())};
}

ItemRec* create(DXFDrawingRec& drawing, int32_t type, int32_t extra, const ItemStyle& style)
{
    if (style.layer == 0)
        return nullptr;
    return CreateItem(type, extra, style.layer, style.colour, style.line_type, drawing.dxf_Pool);
}

Point3DRec point_at(const ElementView& element, size_t x_offset, size_t y_offset)
{
    return {element.f64(x_offset), element.f64(y_offset), 0.0};
}

bool is_construction(const ElementView& element)
{
    return element.u32(kPartFlagOffset) == 0;
}

// An XLINE's unit direction: straight up at +-90 degrees, otherwise towards the point
// of y = m x + c ten units further along x. A direction that cannot be made a unit
// vector (a slope that overflows or is not a number) is straight up too.
Point3DRec construction_direction(double x, double y, double slope, double intercept, double angle)
{
    const Point3DRec up{0.0, 1.0, 0.0};
    if (std::fabs(angle - 90.0) < kTolerance || std::fabs(angle + 90.0) < kTolerance)
        return up;
    const double dx = 10.0;
    const double dy = slope * (x + 10.0) + intercept - y;
    const double length = std::hypot(dx, dy);
    if (!(std::isfinite(length) && length > kTolerance))
        return up;
    return {dx / length, dy / length, 0.0};
}

int32_t line_item(DXFDrawingRec& drawing, ItemBufferRec& buffer, const ElementView& element)
{
    const bool construction = is_construction(element);
    const ItemStyle style = style_of(drawing, element, construction);
    if (!construction) {
        ItemRec* item = create(drawing, DXFItemLine, 0, style);
        if (item != nullptr) {
            item->it_Line.ln_Start = point_at(element, kPointXOffset, kPointYOffset);
            item->it_Line.ln_End = point_at(element, kEndXOffset, kEndYOffset);
        }
        return add(drawing, buffer, item);
    }
    ItemRec* item = create(drawing, DXFItemXLine, 0, style);
    if (item != nullptr) {
        const Point3DRec base = point_at(element, kPointXOffset, kPointYOffset);
        item->it_Ray.ry_Base = base;
        item->it_Ray.ry_Direction =
            construction_direction(base.x, base.y, element.f64(kSlopeOffset),
                                   element.f64(kInterceptOffset), element.f64(kLineAngleOffset));
    }
    return add(drawing, buffer, item);
}

// Circles and arcs run counter-clockwise: a clockwise arc swaps its angles.
int32_t arc_item(DXFDrawingRec& drawing, ItemBufferRec& buffer, const ElementView& element)
{
    ItemRec* item =
        create(drawing, DXFItemArc, 0, style_of(drawing, element, is_construction(element)));
    if (item == nullptr)
        return 0;
    ArcRec& arc = item->it_Arc;
    arc.ar_Centre = point_at(element, kPointXOffset, kPointYOffset);
    arc.ar_Radius = element.f64(kRadiusOffset);
    arc.ar_Dir = 1;
    if (element.kind() == QXElementCircle) {
        arc.ar_Start = 0.0;
        arc.ar_End = 2.0 * std::numbers::pi;
    } else if (element.i32(kArcDirectionOffset) == -1) {
        arc.ar_Start = element.f64(kArcSecondOffset);
        arc.ar_End = element.f64(kArcFirstOffset);
    } else {
        arc.ar_Start = element.f64(kArcFirstOffset);
        arc.ar_End = element.f64(kArcSecondOffset);
    }
    return add(drawing, buffer, item);
}

int32_t text_item(DXFDrawingRec& drawing, ItemBufferRec& buffer, const ElementView& element)
{
    // The text runs to its NUL or to the end of the record.
    const std::string_view text = element.text(kTextOffset, kMaxLength);
    ItemRec* item = create(drawing, DXFItemText, static_cast<int32_t>(text.size()) + 1,
                           style_of(drawing, element, false));
    if (item == nullptr)
        return 0;
    TextRec& record = item->it_Text;
    record.tx_Point = point_at(element, kTextXOffset, kTextYOffset);
    record.tx_Point2 = record.tx_Point;
    record.tx_Height = element.f64(kTextHeightOffset);
    record.tx_Rotation = CorrectAngle(element.f64(kTextRotationOffset));
    record.tx_Text = reinterpret_cast<char*>(&record + 1);
    text.copy(record.tx_Text, text.size());
    record.tx_Text[text.size()] = '\0';
    return add(drawing, buffer, item);
}

void fill_rectangular(InsertRec& insert, const ElementView& element)
{
    insert.in_ArrayKind = 1;
    insert.in_Point = point_at(element, kPlaceXOffset, kPlaceYOffset);
    insert.in_Rotation = CorrectAngle(element.f64(kPlaceRotationOffset));
    if (element.kind() == QXElementPlacement) {
        insert.in_Rows = 1;
        insert.in_Columns = 1;
        insert.in_RowAngle = std::numbers::pi / 2.0;
        insert.in_ColumnAngle = 0.0;
        insert.in_RowSpacing = 0.0;
        insert.in_ColumnSpacing = 0.0;
        return;
    }
    insert.in_Rows = element.i32(kRowsOffset);
    insert.in_RowAngle = CorrectAngle(element.f64(kRowAngleOffset));
    insert.in_RowSpacing = element.f64(kRowSpacingOffset);
    insert.in_Columns = element.i32(kColumnsOffset);
    insert.in_ColumnAngle = CorrectAngle(element.f64(kColumnAngleOffset));
    insert.in_ColumnSpacing = element.f64(kColumnSpacingOffset);
}

void fill_circular(InsertRec& insert, const ElementView& element)
{
    insert.in_ArrayKind = 2;
    insert.in_CircCentre = point_at(element, kPlaceXOffset, kPlaceYOffset);
    insert.in_CircRotation = element.f64(kPlaceRotationOffset);
    insert.in_CircRadius = element.f64(kCircleRadiusOffset);
    insert.in_CircFirst = point_at(element, kCircleFirstXOffset, kCircleFirstYOffset);
    insert.in_CircStep = element.f64(kCircleStepOffset);
    insert.in_CircCount = element.i32(kCircleCountOffset);
}

// A placement of a block the drawing does not know (yet) makes no item.
int32_t insert_item(DXFDrawingRec& drawing, ItemBufferRec& buffer, const ElementView& element)
{
    const std::string_view text = element.text(kPlaceNameOffset, kNameFieldLength);
    char name[kNameFieldLength + 1];
    text.copy(name, text.size());
    name[text.size()] = '\0';
    char* stored_name = nullptr;
    int32_t block_index = -1;
    if (IsBlockKnown(&drawing.dxf_BlockIdentifierBuffer, name, &stored_name, &block_index) == 0)
        return 1;
    const ItemStyle style{layer_index(drawing, element, false), 0, 0};
    ItemRec* item = create(drawing, DXFItemInsert, 0, style);
    if (item == nullptr)
        return 0;
    InsertRec& insert = item->it_Insert;
    insert.in_BlockName = stored_name;
    insert.in_BlockIndex = block_index;
    insert.in_Scale = Point3DRec{1.0, 1.0, 1.0};
    insert.in_Extrusion = Point3DRec{0.0, 0.0, 1.0};
    if (element.kind() == QXElementCircularArray)
        fill_circular(insert, element);
    else
        fill_rectangular(insert, element);
    return add(drawing, buffer, item);
}

int32_t element_to_item(DXFDrawingRec& drawing, ItemBufferRec& buffer, const ElementView& element)
{
    switch (element.kind()) {
    case QXElementLine:
        return line_item(drawing, buffer, element);
    case QXElementCircle:
    case QXElementArc:
        return arc_item(drawing, buffer, element);
    case QXElementText:
        return text_item(drawing, buffer, element);
    case QXElementArray:
    case QXElementCircularArray:
    case QXElementPlacement:
        return insert_item(drawing, buffer, element);
    default:
        return 1;
    }
}

}

extern "C" {

TRENNIC_API int32_t ElementToItem(DXFDrawingRec* drawing, ItemBufferRec* buffer,
                                  const QXElementRec* record) noexcept
{
    if (drawing == nullptr || buffer == nullptr)
        return 0;
    const ElementView element(record);
    if (!element.is_complete())
        return 1;
    return element_to_item(*drawing, *buffer, element);
}
}
