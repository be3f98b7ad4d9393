// The item properties of the expression language: those of every item (layer, source
// line, contour relations) and those of each item type, read and assigned.
//
// Coordinates and lengths are reals; angles called "angle" or "...angle" are degrees,
// "ran", "sra", "era" and "rsa" radians.

#include <cmath>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>

#include "filter/expr_evaluator.h"
#include "geometry/geometry_internal.h"
#include "geometry/item_geometry_internal.h"
#include "edit/chain_internal.h"
#include "halvern/item_geometry.h"
#include "halvern/tables.h"
#include "model/point_buffer_owner.h"
#include "osmark/memory.h"
#include "osmark/numbers.h"

namespace halvern {

namespace {

constexpr double kDegrees = 57.29577951308232;
constexpr double kRadians = 0.0174532925199433;

// ---- Properties of every item ------------------------------------------------------

const ContourDataRec* contour_of(const DXFDrawingRec& drawing, int32_t id) noexcept
{
    const ContourTableRec& table = drawing.dxf_ContourTable;
    if (id < 0 || id >= table.ct_N || table.ct_Contours == nullptr)
        return nullptr;
    return &table.ct_Contours[id];
}

bool is_open(const ContourDataRec& contour) noexcept
{
    return (contour.cd_Flags & 1u) != 0;
}

enum class Among {
    All,
    Open,
    Closed,
    ClosedOuter
};

bool among(const ContourDataRec& contour, Among which) noexcept
{
    switch (which) {
    case Among::Open:
        return is_open(contour);
    case Among::Closed:
        return !is_open(contour);
    case Among::ClosedOuter:
        return !is_open(contour) && contour.cd_ContourLevel == 0;
    default:
        return true;
    }
}

using PointBuffer = std::unique_ptr<DXFPointBufferRec, PointBufferDeleter>;

// 1 when the relation test answers `wanted` for c and another contour of the kind.
template <typename Test>
int32_t any_other(const DXFDrawingRec& drawing, int32_t c, Among which, Test test)
{
    const ContourTableRec& table = drawing.dxf_ContourTable;
    for (int32_t other = 0; other < table.ct_N; ++other) {
        if (other != c && among(table.ct_Contours[other], which) && test(other))
            return 1;
    }
    return 0;
}

// The level of the deepest closed contour that holds the item's first point; -1 when
// none holds it.
int32_t deepest_holding_level(const DXFDrawingRec& drawing, const ItemRec& item,
                              DXFPointBufferRec* points)
{
    Point3DRec point;
    if (DXFItemFirstPoint(&item, &point) == 0)
        return -1;
    int32_t deepest = -1;
    const ContourTableRec& table = drawing.dxf_ContourTable;
    for (int32_t c = 0; c < table.ct_N; ++c) {
        const ContourDataRec& contour = table.ct_Contours[c];
        if (is_open(contour) || contour.cd_ContourLevel <= deepest)
            continue;
        if (DXFPointInContour(&drawing, points, &point, c) != 0)
            deepest = contour.cd_ContourLevel;
    }
    return deepest;
}

bool is_common_property(const std::string& name) noexcept
{
    static constexpr const char* kNames[] = {"layer",
                                             "line",
                                             "contour_id",
                                             "in_contour",
                                             "in_open_contour",
                                             "in_closed_contour",
                                             "contour_level",
                                             "inside_material",
                                             "inside_hole",
                                             "outside_all",
                                             "touches_contour",
                                             "touches_open_contour",
                                             "touches_closed_contour",
                                             "crosses_contour",
                                             "crosses_outer_contour",
                                             "has_inner_contours",
                                             "has_inner_closed_contours",
                                             "has_inner_open_contours"};
    for (const char* known : kNames) {
        if (name == known)
            return true;
    }
    return false;
}

// A property of every item; name is one of is_common_property's.
DXFExprValue common_property(DXFExprScanner& scanner, const std::string& name)
{
    const DXFDrawingRec& drawing = *scanner.drawing();
    const ItemHeaderRec& head = scanner.item()->it_Header;
    if (name == "layer") {
        const LayerTableRec& layers = drawing.dxf_LayerTable;
        const bool valid = head.ih_Layer >= 0 && head.ih_Layer < layers.lt_N &&
                           layers.lt_Layers[head.ih_Layer] != nullptr &&
                           layers.lt_Layers[head.ih_Layer]->ld_Name != nullptr;
        return DXFExprValue::of_string(valid ? layers.lt_Layers[head.ih_Layer]->ld_Name : "");
    }
    if (name == "line")
        return DXFExprValue::of_integer(head.ih_Line);
    if (name == "contour_id")
        return DXFExprValue::of_integer(head.ih_ContourID);
    if (name == "in_contour")
        return DXFExprValue::of_integer(head.ih_ContourID != -1 ? 1 : 0);
    const int32_t c = head.ih_ContourID;
    const ContourDataRec* contour = contour_of(drawing, c);
    if (name == "in_open_contour")
        return DXFExprValue::of_integer(contour != nullptr && is_open(*contour) ? 1 : 0);
    if (name == "in_closed_contour")
        return DXFExprValue::of_integer(contour != nullptr && !is_open(*contour) ? 1 : 0);
    if (name == "contour_level")
        return DXFExprValue::of_integer(contour != nullptr ? contour->cd_ContourLevel : -1);
    if (name.rfind("has_inner", 0) == 0) {
        const Among which = name == "has_inner_contours"          ? Among::All
                            : name == "has_inner_closed_contours" ? Among::Closed
                                                                  : Among::Open;
        if (contour == nullptr)
            return DXFExprValue::of_integer(0);
        return DXFExprValue::of_integer(any_other(drawing, c, which, [&](int32_t other) {
            return drawing.dxf_ContourTable.ct_Contours[other].cd_ParentContourID == c;
        }));
    }
    // The rest test points against contours.
    const PointBuffer points(DXFPointBufferCreate());
    if (points == nullptr)
        throw std::bad_alloc();
    if (name == "inside_material" || name == "inside_hole" || name == "outside_all") {
        int32_t level = -1;
        if (contour != nullptr) {
            if (name == "outside_all")
                return DXFExprValue::of_integer(0);
            level = contour->cd_ContourLevel;
        } else {
            level = deepest_holding_level(drawing, *scanner.item(), points.get());
            if (name == "outside_all")
                return DXFExprValue::of_integer(level >= 0 ? 0 : 1);
        }
        // A level below 0 (no closed contour around the item) is neither.
        const bool even = level >= 0 && level % 2 == 0;
        const bool odd = level >= 0 && level % 2 == 1;
        return DXFExprValue::of_integer((name == "inside_material" ? even : odd) ? 1 : 0);
    }
    if (contour == nullptr)
        return DXFExprValue::of_integer(0);
    if (name.rfind("touches", 0) == 0) {
        const Among which = name == "touches_contour"        ? Among::All
                            : name == "touches_open_contour" ? Among::Open
                                                             : Among::Closed;
        return DXFExprValue::of_integer(any_other(drawing, c, which, [&](int32_t other) {
            return DXFContourRelation(&drawing, points.get(), c, other) == 1;
        }));
    }
    const Among which = name == "crosses_contour" ? Among::Closed : Among::ClosedOuter;
    return DXFExprValue::of_integer(any_other(drawing, c, which, [&](int32_t other) {
        return DXFContoursCross(&drawing, points.get(), c, other) == 1;
    }));
}

// ---- Properties by item type -------------------------------------------------------

// A property that is a real field of the item: read, and (unless read_only) assigned.
struct RealField {
    const char* name;
    double* field;
    double scale; // stored value times scale is the property (degrees of radians)
};

// Looks name up among the fields; on a read fills value, on an assignment stores it.
// false when no field has the name.
template <size_t N>
bool real_field(const RealField (&fields)[N], const std::string& name, double* read,
                const double* write)
{
    for (const RealField& field : fields) {
        if (name != field.name)
            continue;
        if (read != nullptr)
            *read = *field.field * field.scale;
        if (write != nullptr)
            *field.field = *write / field.scale;
        return true;
    }
    return false;
}

struct Access {
    DXFExprScanner& scanner;
    const std::string& name;
    double* read;        // set on a read
    const double* write; // set on an assignment
    const DXFExprValue* value;
};

bool point_fields(Access& access, Point3DRec& point, const char* x, const char* y, const char* z)
{
    const RealField fields[] = {{x, &point.x, 1.0}, {y, &point.y, 1.0}, {z, &point.z, 1.0}};
    return real_field(fields, access.name, access.read, access.write);
}

// Reads-only start and end points (POLYLINE, ELLIPSE, SPLINE).
bool start_end_fields(Access& access, const ItemRec& item)
{
    Point3DRec start{};
    Point3DRec end{};
    DXFItemStart(&item, &start);
    DXFItemEnd(&item, &end);
    if (access.write != nullptr) {
        double ignored = *access.write;
        Access reading{access.scanner, access.name, &ignored, nullptr, nullptr};
        return point_fields(reading, start, "x1", "y1", "z1") ||
               point_fields(reading, end, "x2", "y2", "z2");
    }
    return point_fields(access, start, "x1", "y1", "z1") ||
           point_fields(access, end, "x2", "y2", "z2");
}

// Outcome of a type's property: not a name of the type, done, or a string property.
enum class Found {
    No,
    Yes
};

Found insert_property(Access& access, ItemRec& item, DXFExprValue* string_out)
{
    InsertRec& insert = item.it_Insert;
    if (insert.in_ArrayKind != 1)
        return Found::No;
    if (access.name == "name") {
        if (string_out != nullptr) {
            *string_out =
                DXFExprValue::of_string(insert.in_BlockName != nullptr ? insert.in_BlockName : "");
            return Found::Yes;
        }
        if (access.value == nullptr || access.value->type != DXFExprValue::String)
            return Found::No;
        BlockIdentifierBufferRec& blocks = access.scanner.drawing()->dxf_BlockIdentifierBuffer;
        const char* text = access.value->string.c_str();
        char* stored = nullptr;
        int32_t index = -1;
        if (IsBlockKnown(&blocks, text, &stored, &index) == 0) {
            if (AddBlockIdentifier(&blocks, text, -1, 0) == 0 ||
                IsBlockKnown(&blocks, text, &stored, &index) == 0)
                throw std::bad_alloc();
        }
        insert.in_BlockName = stored;
        insert.in_BlockIndex = index;
        return Found::Yes;
    }
    if (string_out != nullptr && access.read == nullptr)
        return Found::No;
    if (access.name == "rows" || access.name == "cols") {
        int32_t& count = access.name == "rows" ? insert.in_Rows : insert.in_Columns;
        if (access.read != nullptr)
            *access.read = count;
        if (access.write != nullptr)
            count = Round(*access.write);
        return Found::Yes;
    }
    // The spacing that group 44 fills is the one called row_spacing.
    const RealField fields[] = {{"row_spacing", &insert.in_ColumnSpacing, 1.0},
                                {"col_spacing", &insert.in_RowSpacing, 1.0},
                                {"ran", &insert.in_Rotation, 1.0},
                                {"angle", &insert.in_Rotation, kDegrees}};
    if (real_field(fields, access.name, access.read, access.write))
        return Found::Yes;
    return point_fields(access, insert.in_Point, "x1", "y1", "z1") ? Found::Yes : Found::No;
}

Found arc_property(Access& access, ArcRec& arc)
{
    const std::string& name = access.name;
    if (name == "direction") {
        if (access.read != nullptr)
            *access.read = arc.ar_Dir;
        if (access.write != nullptr)
            arc.ar_Dir = Round(*access.write);
        return Found::Yes;
    }
    if (name == "rsa" || name == "span") {
        if (access.read != nullptr)
            *access.read = DXFArcSweep(arc.ar_Start, arc.ar_End, arc.ar_Dir) *
                           (name == "span" ? kDegrees : 1.0);
        return Found::Yes;
    }
    // Start and end points: an assignment turns the angle, the radius stays.
    const bool start = name == "x1" || name == "y1";
    if (start || name == "x2" || name == "y2") {
        double& angle = start ? arc.ar_Start : arc.ar_End;
        const bool is_x = name[0] == 'x';
        if (access.read != nullptr) {
            *access.read = is_x ? arc.ar_Centre.x + arc.ar_Radius * std::cos(angle)
                                : arc.ar_Centre.y + arc.ar_Radius * std::sin(angle);
        }
        if (access.write != nullptr) {
            const double v = *access.write;
            angle = is_x ? std::atan2(std::sin(angle) * arc.ar_Radius, v - arc.ar_Centre.x)
                         : std::atan2(v - arc.ar_Centre.y, std::cos(angle) * arc.ar_Radius);
        }
        return Found::Yes;
    }
    const RealField fields[] = {{"cen_x1", &arc.ar_Centre.x, 1.0},
                                {"cen_y1", &arc.ar_Centre.y, 1.0},
                                {"cen_z1", &arc.ar_Centre.z, 1.0},
                                {"radius", &arc.ar_Radius, 1.0},
                                {"sra", &arc.ar_Start, 1.0},
                                {"era", &arc.ar_End, 1.0},
                                {"start_angle", &arc.ar_Start, kDegrees},
                                {"end_angle", &arc.ar_End, kDegrees},
                                {"z1", &arc.ar_Centre.z, 1.0},
                                {"z21", &arc.ar_Centre.z, 1.0}};
    return real_field(fields, name, access.read, access.write) ? Found::Yes : Found::No;
}

// A TEXT's string lives behind its record; a longer one goes into the drawing's pool.
void set_text(DXFDrawingRec& drawing, ItemRec& item, const std::string& text)
{
    const size_t record_end = offsetof(ItemRec, it_Text) + sizeof(TextRec);
    const size_t size = static_cast<size_t>(item.it_Header.ih_ItemSize);
    char* target = nullptr;
    if (size > record_end && size - record_end > text.size())
        target = reinterpret_cast<char*>(&item) + record_end;
    else if (drawing.dxf_Pool != nullptr)
        target = static_cast<char*>(
            AllocVecPooled(drawing.dxf_Pool, static_cast<uint32_t>(text.size() + 1)));
    if (target == nullptr)
        throw std::bad_alloc();
    std::memcpy(target, text.c_str(), text.size() + 1);
    item.it_Text.tx_Text = target;
}

Found text_property(Access& access, ItemRec& item, DXFExprValue* string_out)
{
    TextRec& text = item.it_Text;
    if (access.name == "name") {
        if (string_out != nullptr) {
            *string_out = DXFExprValue::of_string(text.tx_Text != nullptr ? text.tx_Text : "");
            return Found::Yes;
        }
        if (access.value == nullptr || access.value->type != DXFExprValue::String)
            return Found::No;
        set_text(*access.scanner.drawing(), item, access.value->string);
        return Found::Yes;
    }
    const RealField fields[] = {{"ran", &text.tx_Rotation, 1.0},
                                {"angle", &text.tx_Rotation, kDegrees}};
    if (real_field(fields, access.name, access.read, access.write))
        return Found::Yes;
    return point_fields(access, text.tx_Point, "x1", "y1", "z1") ||
                   point_fields(access, text.tx_Point2, "x2", "y2", "z2")
               ? Found::Yes
               : Found::No;
}

// ELLIPSE properties are read-only.
Found ellipse_property(Access& access, ItemRec& item)
{
    if (access.read == nullptr)
        return Found::No;
    EllipseRec ellipse = item.it_Ellipse;
    const std::string& name = access.name;
    double& out = *access.read;
    if (name == "radius") {
        out = std::hypot(ellipse.el_MajorAxis.x, ellipse.el_MajorAxis.y);
        return Found::Yes;
    }
    if (name == "direction") {
        out = ellipse.el_Dir;
        return Found::Yes;
    }
    if (name == "rsa" || name == "span") {
        out = DXFArcSweep(ellipse.el_Start, ellipse.el_End, ellipse.el_Dir) *
              (name == "span" ? kDegrees : 1.0);
        return Found::Yes;
    }
    const RealField fields[] = {{"cen_x1", &ellipse.el_Centre.x, 1.0},
                                {"cen_y1", &ellipse.el_Centre.y, 1.0},
                                {"cen_z1", &ellipse.el_Centre.z, 1.0},
                                {"ratio", &ellipse.el_Ratio, 1.0},
                                {"sra", &ellipse.el_Start, 1.0},
                                {"era", &ellipse.el_End, 1.0},
                                {"start_angle", &ellipse.el_Start, kDegrees},
                                {"end_angle", &ellipse.el_End, kDegrees},
                                {"ran", &ellipse.el_Angle, 1.0},
                                {"angle", &ellipse.el_Angle, kDegrees}};
    if (real_field(fields, name, access.read, nullptr))
        return Found::Yes;
    return start_end_fields(access, item) ? Found::Yes : Found::No;
}

Found spline_property(Access& access, ItemRec& item)
{
    if (access.read == nullptr)
        return Found::No;
    SplineRec& spline = item.it_Spline;
    Point3DRec first{};
    Point3DRec last{};
    if (spline.sp_NumPoints > 0) {
        first = spline.sp_Points[0];
        last = spline.sp_Points[spline.sp_NumPoints - 1];
    }
    return point_fields(access, first, "x1", "y1", "z1") ||
                   point_fields(access, last, "x2", "y2", "z2")
               ? Found::Yes
               : Found::No;
}

// The property of the item's type; string_out set for a read that may give a string.
Found type_property(Access& access, DXFExprValue* string_out)
{
    ItemRec& item = *access.scanner.item();
    switch (item.it_Header.ih_ItemType) {
    case DXFItemInsert:
        return insert_property(access, item, string_out);
    case DXFItemText:
        return text_property(access, item, string_out);
    default:
        break;
    }
    if (string_out != nullptr && access.read == nullptr)
        return Found::No;
    switch (item.it_Header.ih_ItemType) {
    case DXFItemPoint:
        return point_fields(access, item.it_Point.pt_Point, "x1", "y1", "z1") ? Found::Yes
                                                                              : Found::No;
    case DXFItemLine:
        return point_fields(access, item.it_Line.ln_Start, "x1", "y1", "z1") ||
                       point_fields(access, item.it_Line.ln_End, "x2", "y2", "z2")
                   ? Found::Yes
                   : Found::No;
    case DXFItemArc:
        return arc_property(access, item.it_Arc);
    case DXFItemPolyline:
        return start_end_fields(access, item) ? Found::Yes : Found::No;
    case DXFItemEllipse:
        return ellipse_property(access, item);
    case DXFItemSpline:
        return spline_property(access, item);
    case DXFItemRay:
    case DXFItemXLine:
        return point_fields(access, item.it_Ray.ry_Base, "x1", "y1", "z1") ||
                       point_fields(access, item.it_Ray.ry_Direction, "dx1", "dy1", "dz1")
                   ? Found::Yes
                   : Found::No;
    default:
        return Found::No;
    }
}

}

DXFExprValue ExprProperty(DXFExprScanner& scanner, const std::string& name)
{
    if (scanner.drawing() == nullptr || scanner.item() == nullptr) {
        scanner.record_error(DXFExprNoItem);
        return DXFExprValue{};
    }
    if (is_common_property(name))
        return common_property(scanner, name);
    double real = 0.0;
    DXFExprValue string;
    Access access{scanner, name, &real, nullptr, nullptr};
    if (type_property(access, &string) == Found::No) {
        scanner.record_error(DXFExprBadProperty);
        return DXFExprValue{};
    }
    return string.type == DXFExprValue::String ? string : DXFExprValue::of_real(real);
}

bool ExprSetProperty(DXFExprScanner& scanner, const std::string& name, const DXFExprValue& value)
{
    // The properties of every item cannot be assigned.
    if (is_common_property(name))
        return false;
    const bool is_real = value.type == DXFExprValue::Real;
    const double real = value.real;
    Access access{scanner, name, nullptr, is_real ? &real : nullptr, &value};
    if (name != "name" && !is_real) {
        scanner.record_error(DXFExprBadProperty);
        return false;
    }
    if (type_property(access, nullptr) == Found::No) {
        scanner.record_error(DXFExprBadProperty);
        return false;
    }
    return true;
}

}
