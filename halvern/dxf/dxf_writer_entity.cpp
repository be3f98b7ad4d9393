// The entity writer: one drawing item as one DXF entity, or an INSERT that DXF cannot
// express as the placed items of its block.
//
// Every entity starts with the same prefix (name; in the "AC1018" dialect a handle,
// the owner "1D" and the entity marker; the layer; in that dialect the subclass
// marker), then the line type, colour and thickness where they differ from the
// defaults, then the groups of its type. Angles that DXF holds in degrees are turned
// from radians here; ELLIPSE parameters stay radians.

#include <algorithm>
#include <cmath>

#include "halvern/walkers.h"
#include "dxf/dxf_writer_internal.h"
#include "geometry/geometry_internal.h"

namespace halvern::dxf_writer {

namespace {

constexpr int32_t kCircularArray = 2;
constexpr uint32_t kPolylineClosed = 1;

double degrees(double radians) noexcept
{
    return radians * kDegreesPerRadian;
}

// Two directions agree within the tolerance, whole turns apart or not.
bool is_same_direction(double a, double b) noexcept
{
    return is_zero(std::remainder(a - b, kTwoPi));
}

class EntityWriter {
public:
    EntityWriter(FileHandle& handle, DXFDrawingRec* drawing, int32_t version) noexcept
        : m_handle(handle), m_drawing(drawing), m_full(is_full_dialect(version))
    {
    }

    void write(const ItemRec& item) noexcept;

private:
    void prefix(const ItemRec& item, const char* name, const char* marker) noexcept;
    void line_type(const ItemRec& item) noexcept;
    void colour(const ItemRec& item) noexcept;
    void common(const ItemRec& item) noexcept;

    void insert(const ItemRec& item) noexcept;
    void explode(const ItemRec& item) noexcept;
    void arc(const ItemRec& item) noexcept;
    void text(const ItemRec& item) noexcept;
    void polyline(const ItemRec& item) noexcept;
    void ellipse(const ItemRec& item) noexcept;
    void spline(const ItemRec& item) noexcept;
    void face(const ItemRec& item) noexcept;

    FileHandle& m_handle;
    DXFDrawingRec* m_drawing;
    bool m_full;
};

// ---------------------------------------------------------------------------------------
// The parts every entity shares

void EntityWriter::prefix(const ItemRec& item, const char* name, const char* marker) noexcept
{
    write_group(m_handle, 0, name);
    if (m_full) {
        write_next_handle(m_handle);
        write_group(m_handle, 330, "1D");
        write_group(m_handle, 100, "AcDbEntity");
    }
    // An item of a layout stays in paper space when the file is read again.
    if (item.it_Header.ih_Space != 0)
        write_group(m_handle, 67, "1");
    if (const char* layer = layer_name(m_drawing, item.it_Header.ih_Layer))
        write_group(m_handle, 8, layer);
    if (m_full)
        write_group(m_handle, 100, marker);
}

void EntityWriter::line_type(const ItemRec& item) noexcept
{
    if (const char* name = line_type_name(m_drawing, item.it_Header.ih_LineType))
        write_group(m_handle, 6, name);
}

void EntityWriter::colour(const ItemRec& item) noexcept
{
    if (item.it_Header.ih_Colour > 0)
        write_integer(m_handle, 62, item.it_Header.ih_Colour);
}

void EntityWriter::common(const ItemRec& item) noexcept
{
    line_type(item);
    colour(item);
    if (!is_zero(item.it_Header.ih_Height))
        write_real(m_handle, 39, item.it_Header.ih_Height);
}

// ---------------------------------------------------------------------------------------
// INSERT

// DXF places the cells of an array along the insertion's rotated axes, so an INSERT
// goes into the file as it is only when its own axes are those: a circular array never
// is, and a rectangular one only when its column axis runs along its rotation and its
// row axis a quarter turn further. A single placement has no axes to speak of, but one
// with other than the default axes is still written as its items.
bool is_plain_insert(const InsertRec& insert) noexcept
{
    if (insert.in_ArrayKind == kCircularArray)
        return false;
    if (insert.in_Rows == 1 && insert.in_Columns == 1)
        return is_equal(insert.in_RowAngle, kHalfPi) && is_equal(insert.in_ColumnAngle, 0.0);
    return is_same_direction(insert.in_ColumnAngle, insert.in_Rotation) &&
           is_same_direction(insert.in_RowAngle, insert.in_Rotation + kHalfPi);
}

// An extrusion other than the world z axis. A zero vector is no direction: the walkers
// leave such an insertion in the world plane, and so does a file without one.
bool is_tilted(const Point3DRec& extrusion) noexcept
{
    const double length = std::sqrt(extrusion.x * extrusion.x + extrusion.y * extrusion.y +
                                    extrusion.z * extrusion.z);
    return !is_equal(extrusion.z, 1.0) && length >= kTolerance;
}

void EntityWriter::insert(const ItemRec& item) noexcept
{
    const InsertRec& insert = item.it_Insert;
    if (!is_plain_insert(insert)) {
        explode(item);
        return;
    }
    prefix(item, "INSERT", "AcDbBlockReference");
    line_type(item);
    write_group(m_handle, 2, insert.in_BlockName != nullptr ? insert.in_BlockName : "");
    colour(item);
    write_point(m_handle, 10, insert.in_Point);
    write_real(m_handle, 50, degrees(insert.in_Rotation));
    write_integer(m_handle, 70, insert.in_Columns);
    write_integer(m_handle, 71, insert.in_Rows);
    write_real(m_handle, 44, insert.in_ColumnSpacing);
    write_real(m_handle, 45, insert.in_RowSpacing);
    write_real(m_handle, 41, insert.in_Scale.x);
    write_real(m_handle, 42, insert.in_Scale.y);
    write_real(m_handle, 43, insert.in_Scale.z);
    // The insertion point lies in the plane of the extrusion; without the extrusion a
    // mirrored or tilted insertion would come back unmirrored and elsewhere.
    if (is_tilted(insert.in_Extrusion))
        write_point(m_handle, 210, insert.in_Extrusion);
}

struct ExplodeContext {
    EntityWriter* writer;
    FileHandle* handle;
};

// Writes every item the walk reports, already placed; BLOCK and ENDBLK write nothing
// and nested INSERTs arrive expanded. A failed file ends the walk.
int32_t write_placed_item(ItemRec*, ItemRec* item, void* user) noexcept
{
    auto& context = *static_cast<ExplodeContext*>(user);
    if (has_failed(*context.handle))
        return DXFStepStop;
    context.writer->write(*item);
    return DXFStepContinue;
}

void EntityWriter::explode(const ItemRec& item) noexcept
{
    if (m_drawing == nullptr)
        return;
    ExplodeContext context{this, &m_handle};
    // The walk only reads the INSERT record.
    StepDXFBlock(m_drawing, const_cast<ItemRec*>(&item), DXFWalkAll, write_placed_item, &context);
}

// ---------------------------------------------------------------------------------------
// The other types

void EntityWriter::arc(const ItemRec& item) noexcept
{
    const ArcRec& arc = item.it_Arc;
    const double sweep = DXFArcSweep(arc.ar_Start, arc.ar_End, arc.ar_Dir);
    const bool is_circle = degrees(sweep) - 360.0 > -kTolerance;
    prefix(item, is_circle ? "CIRCLE" : "ARC", "AcDbCircle");
    common(item);
    write_point(m_handle, 10, arc.ar_Centre);
    write_real(m_handle, 40, arc.ar_Radius);
    if (is_circle)
        return;
    if (m_full)
        write_group(m_handle, 100, "AcDbArc");
    // DXF arcs run counter-clockwise: a clockwise arc goes from its end to its start.
    const bool clockwise = arc.ar_Dir < 0;
    write_real(m_handle, 50, degrees(clockwise ? arc.ar_End : arc.ar_Start));
    write_real(m_handle, 51, degrees(clockwise ? arc.ar_Start : arc.ar_End));
}

int32_t horizontal_alignment(uint32_t flags) noexcept
{
    if ((flags & DXFTextCentre) != 0)
        return 1;
    if ((flags & DXFTextRight) != 0)
        return 2;
    if ((flags & DXFTextAligned) != 0)
        return 3;
    if ((flags & DXFTextCentreMiddle) != 0)
        return 4;
    if ((flags & DXFTextFit) != 0)
        return 5;
    return 0;
}

int32_t vertical_alignment(uint32_t flags) noexcept
{
    if ((flags & DXFTextBottom) != 0)
        return 1;
    if ((flags & DXFTextMiddle) != 0)
        return 2;
    if ((flags & DXFTextTop) != 0)
        return 3;
    return 0;
}

void EntityWriter::text(const ItemRec& item) noexcept
{
    const TextRec& text = item.it_Text;
    prefix(item, "TEXT", "AcDbText");
    common(item);
    write_point(m_handle, 10, text.tx_Point);
    write_point(m_handle, 11, text.tx_Point2);
    write_real(m_handle, 40, text.tx_Height);
    write_real(m_handle, 50, degrees(text.tx_Rotation));
    write_real(m_handle, 51, degrees(text.tx_Oblique));
    write_group(m_handle, 1, text.tx_Text != nullptr ? text.tx_Text : "");
    const int32_t generation = ((text.tx_Flags & DXFTextBackward) != 0 ? 2 : 0) +
                               ((text.tx_Flags & DXFTextUpsideDown) != 0 ? 4 : 0);
    write_integer(m_handle, 71, generation);
    write_integer(m_handle, 72, horizontal_alignment(text.tx_Flags));
    write_integer(m_handle, 73, vertical_alignment(text.tx_Flags));
}

void EntityWriter::polyline(const ItemRec& item) noexcept
{
    const PolylineRec& polyline = item.it_Polyline;
    if (polyline.pl_NumVertices < 1)
        return;
    const bool closed = (polyline.pl_Flags & kPolylineClosed) != 0;
    prefix(item, "POLYLINE", "AcDb2dPolyline");
    common(item);
    write_group(m_handle, 70, closed ? "1" : "0");
    write_group(m_handle, 66, "1");
    // A closed polyline holds its first vertex once more at the end; DXF closes it by
    // the flag instead.
    const int32_t count = closed ? polyline.pl_NumVertices - 1 : polyline.pl_NumVertices;
    const char* layer = layer_name(m_drawing, item.it_Header.ih_Layer);
    for (int32_t i = 0; i < count && !has_failed(m_handle); ++i) {
        const VertexRec& vertex = polyline.pl_Vertices[i];
        write_group(m_handle, 0, "VERTEX");
        if (m_full) {
            write_next_handle(m_handle);
            write_group(m_handle, 330, "1D");
            write_group(m_handle, 100, "AcDbEntity");
        }
        if (layer != nullptr)
            write_group(m_handle, 8, layer);
        if (m_full)
            write_group(m_handle, 100, "AcDbVertex");
        write_point(m_handle, 10, vertex.vx_Point);
        write_real(m_handle, 42, vertex.vx_Bulge);
    }
    write_group(m_handle, 0, "SEQEND");
}

void EntityWriter::ellipse(const ItemRec& item) noexcept
{
    const EllipseRec& ellipse = item.it_Ellipse;
    prefix(item, "ELLIPSE", "AcDbEllipse");
    common(item);
    write_point(m_handle, 10, ellipse.el_Centre);
    write_point(m_handle, 11, ellipse.el_MajorAxis);
    write_real(m_handle, 40, ellipse.el_Ratio);
    const bool clockwise = ellipse.el_Dir < 0;
    write_real(m_handle, 41, clockwise ? ellipse.el_End : ellipse.el_Start);
    write_real(m_handle, 42, clockwise ? ellipse.el_Start : ellipse.el_End);
}

bool has_weights(const double* weights, int32_t count) noexcept
{
    for (int32_t i = 0; i < count; ++i) {
        if (!is_equal(weights[i], 1.0))
            return true;
    }
    return false;
}

void EntityWriter::spline(const ItemRec& item) noexcept
{
    const SplineRec& spline = item.it_Spline;
    const int32_t knots = spline.sp_Knots != nullptr ? std::max(spline.sp_NumKnots, 0) : 0;
    const int32_t weights = spline.sp_Weights != nullptr ? std::max(spline.sp_NumWeights, 0) : 0;
    const int32_t points = std::max(spline.sp_NumPoints, 0);
    prefix(item, "SPLINE", "AcDbSpline");
    common(item);
    write_integer(m_handle, 71, spline.sp_Degree);
    write_point(m_handle, 12, spline.sp_StartTangent);
    write_point(m_handle, 13, spline.sp_EndTangent);
    write_integer(m_handle, 72, knots);
    for (int32_t i = 0; i < knots && !has_failed(m_handle); ++i)
        write_real(m_handle, 40, spline.sp_Knots[i]);
    if (has_weights(spline.sp_Weights, weights)) {
        for (int32_t i = 0; i < weights && !has_failed(m_handle); ++i)
            write_real(m_handle, 41, spline.sp_Weights[i]);
    }
    // Fit points are the points the curve passes through, not control points: DXF
    // gives them codes of their own, with their count.
    const bool fit_points = (spline.sp_Flags & DXFSplineFitPoints) != 0;
    if (fit_points)
        write_integer(m_handle, 74, points);
    for (int32_t i = 0; i < points && !has_failed(m_handle); ++i)
        write_point(m_handle, fit_points ? 11 : 10, spline.sp_Points[i]);
}

void EntityWriter::face(const ItemRec& item) noexcept
{
    prefix(item, "3DFACE", "AcDbFace");
    common(item);
    for (int32_t corner = 0; corner < 4; ++corner)
        write_point(m_handle, 10 + corner, item.it_Face.fc_Corners[corner]);
}

void EntityWriter::write(const ItemRec& item) noexcept
{
    if ((item.it_Header.ih_Flags & DXFItemExcluded) != 0 || has_failed(m_handle))
        return;
    switch (item.it_Header.ih_ItemType) {
    case DXFItemInsert:
        insert(item);
        break;
    case DXFItemPoint:
        prefix(item, "POINT", "AcDbPoint");
        common(item);
        write_point(m_handle, 10, item.it_Point.pt_Point);
        break;
    case DXFItemLine:
        prefix(item, "LINE", "AcDbLine");
        common(item);
        write_point(m_handle, 10, item.it_Line.ln_Start);
        write_point(m_handle, 11, item.it_Line.ln_End);
        break;
    case DXFItemArc:
        arc(item);
        break;
    case DXFItemText:
        text(item);
        break;
    case DXFItemPolyline:
        polyline(item);
        break;
    case DXFItemEllipse:
        ellipse(item);
        break;
    case DXFItemSpline:
        spline(item);
        break;
    case DXFItem3DFace:
        face(item);
        break;
    case DXFItemRay:
    case DXFItemXLine: {
        const bool is_ray = item.it_Header.ih_ItemType == DXFItemRay;
        prefix(item, is_ray ? "RAY" : "XLINE", is_ray ? "AcDbRay" : "AcDbXline");
        common(item);
        write_point(m_handle, 10, item.it_Ray.ry_Base);
        write_point(m_handle, 11, item.it_Ray.ry_Direction);
        break;
    }
    default:
        // BLOCK, ENDBLK and the types kept by their head alone have no DXF form here.
        break;
    }
}

template <typename Entry>
const char* entry_name(Entry* const* entries, int32_t count, int32_t index) noexcept
{
    if (entries == nullptr || index <= 0 || index >= count || entries[index] == nullptr)
        return nullptr;
    return entries[index]->ld_Name;
}

}

const char* layer_name(const DXFDrawingRec* drawing, int32_t index) noexcept
{
    if (drawing == nullptr)
        return nullptr;
    const LayerTableRec& table = drawing->dxf_LayerTable;
    return entry_name(table.lt_Layers, table.lt_N, index);
}

const char* line_type_name(const DXFDrawingRec* drawing, int32_t index) noexcept
{
    if (drawing == nullptr)
        return nullptr;
    const LineTypeTableRec& table = drawing->dxf_LineTypeTable;
    return entry_name(table.lt_LineTypes, table.lt_N, index);
}

namespace {

int32_t count_placed_item(ItemRec*, ItemRec* item, void* user) noexcept
{
    // A polyline is handed over split into lines and arcs: one handle each.
    if (item->it_Header.ih_ItemType != DXFItemBlock && item->it_Header.ih_ItemType != DXFItemEndBlock)
        ++*static_cast<int64_t*>(user);
    return DXFStepContinue;
}

}

int64_t extra_entity_handles(DXFDrawingRec* drawing, const ItemRec& item) noexcept
{
    if ((item.it_Header.ih_Flags & DXFItemExcluded) != 0)
        return 0;
    switch (item.it_Header.ih_ItemType) {
    case DXFItemPolyline: return std::max(item.it_Polyline.pl_NumVertices, 0);
    case DXFItemInsert: {
        if (drawing == nullptr || is_plain_insert(item.it_Insert))
            return 0;
        int64_t placed = 0;
        StepDXFBlock(drawing, const_cast<ItemRec*>(&item), DXFWalkAll, count_placed_item, &placed);
        return placed;
    }
    default: return 0;
    }
}

void write_entity(FileHandle& handle, DXFDrawingRec* drawing, const ItemRec& item,
                  int32_t version) noexcept
{
    EntityWriter(handle, drawing, version).write(item);
}

}

extern "C" {

HALVERN_API void WriteDXFEntity(FileHandle* handle, DXFDrawingRec* drawing, const ItemRec* item,
                                int32_t version) noexcept
{
    if (handle == nullptr || item == nullptr)
        return;
    halvern::dxf_writer::write_entity(*handle, drawing, *item, version);
}

}
