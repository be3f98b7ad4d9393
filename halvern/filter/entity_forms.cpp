// The entity forms written by the conversion and contour passes.

#include "filter/entity_forms.h"

#include <cmath>
#include <utility>

#include "geometry/geometry_internal.h"
#include "halvern/dxf_writer.h"

namespace halvern {

namespace {

constexpr int32_t kCopiedCodes[4] = {8, 6, 62, 39};

// The first groups of the copied codes, looked up once per collected entity: an entity
// written as thousands of chords would otherwise search its groups for every chord.
const char* const* copied_values(DXFFilterContext& context) noexcept
{
    if (context.copied_serial != context.entity_serial) {
        for (const char*& value : context.copied_values)
            value = nullptr;
        const uint32_t count = context.groups != nullptr ? PagedArrayGetCount(context.groups) : 0;
        for (uint32_t i = 0; i < count; ++i) {
            const DXFGroupRec* group = FilterGroup(context, i);
            for (int32_t k = 0; k < 4; ++k) {
                if (group->dg_Code == kCopiedCodes[k] && context.copied_values[k] == nullptr)
                    context.copied_values[k] = group->dg_Value != nullptr ? group->dg_Value : "";
            }
        }
        context.copied_serial = context.entity_serial;
    }
    return context.copied_values;
}

// The groups of the collected entity that every written form carries, right after its
// 0 group, when the entity has them: layer, line type, colour, thickness.
void write_copied_groups(DXFFilterContext& context) noexcept
{
    const char* const* values = copied_values(context);
    for (int32_t k = 0; k < 4; ++k) {
        if (values[k] != nullptr)
            FilterWriteGroup(kCopiedCodes[k], values[k], context.fc_Output);
    }
}

void write_layer(DXFFilterContext& context) noexcept
{
    if (const char* layer = copied_values(context)[0])
        FilterWriteGroup(8, layer, context.fc_Output);
}

void write_real(DXFFilterContext& context, int32_t code, double value) noexcept
{
    char text[DXF_REAL_BUFFER_SIZE];
    FilterWriteGroup(code, DXFFormatReal(text, value), context.fc_Output);
}

void write_point_groups(DXFFilterContext& context, int32_t code, const Point3DRec& point) noexcept
{
    write_real(context, code, point.x);
    write_real(context, code + 10, point.y);
    write_real(context, code + 20, point.z);
}

// An angle of the arc record in degrees, brought into [0, 360).
double degrees(double angle) noexcept
{
    return DXFNormaliseAngle(angle) * kDegreesPerRadian;
}

bool same_vertex(const VertexRec& a, const VertexRec& b) noexcept
{
    return DXFSamePoint(&a.vx_Point, &b.vx_Point) != 0 && is_equal(a.vx_Bulge, b.vx_Bulge);
}

}

bool FilterBulgeArc(const VertexRec& first, const VertexRec& second, ArcRec& arc) noexcept
{
    ItemRec item{};
    if (CreateBulgeArc(&first, &second, &item) == 0)
        return false;
    arc = item.it_Arc;
    // The arc of a negative bulge comes counter-clockwise from the second vertex; the
    // passes follow the vertices, so it is turned round to run clockwise from the first.
    if (first.vx_Bulge < 0.0) {
        std::swap(arc.ar_Start, arc.ar_End);
        arc.ar_Dir = -1;
    }
    return true;
}

Point3DRec FilterArcPoint(const ArcRec& arc, double angle) noexcept
{
    return Point3DRec{arc.ar_Centre.x + arc.ar_Radius * std::cos(angle),
                      arc.ar_Centre.y + arc.ar_Radius * std::sin(angle), arc.ar_Centre.z};
}

bool FilterArcIsFull(const ArcRec& arc) noexcept
{
    return DXFArcSweep(arc.ar_Start, arc.ar_End, arc.ar_Dir) - kTwoPi > -kTolerance;
}

void FilterWriteLine(DXFFilterContext& context, const Point3DRec& start,
                     const Point3DRec& end) noexcept
{
    FilterWriteGroup(0, "LINE", context.fc_Output);
    write_copied_groups(context);
    write_point_groups(context, 10, start);
    write_point_groups(context, 11, end);
    FilterCount(context, FilterCounter::Line);
}

void FilterWritePoint(DXFFilterContext& context, const Point3DRec& point) noexcept
{
    FilterWriteGroup(0, "POINT", context.fc_Output);
    write_copied_groups(context);
    write_point_groups(context, 10, point);
    FilterCount(context, FilterCounter::Point);
}

void FilterWriteArc(DXFFilterContext& context, const ArcRec& arc) noexcept
{
    const bool full = FilterArcIsFull(arc);
    FilterWriteGroup(0, full ? "CIRCLE" : "ARC", context.fc_Output);
    write_copied_groups(context);
    write_point_groups(context, 10, arc.ar_Centre);
    write_real(context, 40, arc.ar_Radius);
    if (!full) {
        // DXF arcs run counter-clockwise: a clockwise one from its end to its start.
        const bool counter_clockwise = arc.ar_Dir >= 0;
        write_real(context, 50, degrees(counter_clockwise ? arc.ar_Start : arc.ar_End));
        write_real(context, 51, degrees(counter_clockwise ? arc.ar_End : arc.ar_Start));
    }
    FilterCount(context, FilterCounter::Arc);
}

void FilterWritePolyline(DXFFilterContext& context, const VertexListRec& list) noexcept
{
    uint32_t count = list.vl_N;
    if (count == 0 || list.vl_Vertices == nullptr)
        return;
    FileHandle* out = context.fc_Output;
    FilterWriteGroup(0, "POLYLINE", out);
    write_copied_groups(context);
    FilterWriteGroup(66, "1", out);
    if (count >= 2 && same_vertex(list.vl_Vertices[0], list.vl_Vertices[count - 1])) {
        FilterWriteGroup(70, "1", out);
        --count;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const VertexRec& vertex = list.vl_Vertices[i];
        FilterWriteGroup(0, "VERTEX", out);
        write_layer(context);
        write_point_groups(context, 10, vertex.vx_Point);
        write_real(context, 42, vertex.vx_Bulge);
    }
    FilterWriteGroup(0, "SEQEND", out);
    FilterCount(context, FilterCounter::Polyline);
}

}
