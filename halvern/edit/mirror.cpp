// DXFMirror: one item reflected in place across a line given by a point and an angle.
//
// A reflection turns the sense of every curve, so arcs and ellipses keep their points
// only with their direction negated; bulges (signed by the sense of their segment) are
// negated too. Work is in x and y; heights stay.
#include "halvern/edits.h"

#include <cmath>

#include "dxf/dxf_entity_parser.h"
#include "edit/item_type_table.h"
#include "geometry/item_geometry_internal.h"

namespace halvern {

namespace {

constexpr int32_t kCircularArray = 2;

struct MirrorLine {
    Point3DRec point;
    double angle;
};

// The image of q: twice the way from q to the foot of its perpendicular on the line.
Point3DRec reflect(const MirrorLine& line, const Point3DRec& q) noexcept
{
    Point3DRec foot{};
    if (DXFIntersectionPoint(&line.point, line.angle, &q, line.angle + kHalfPi, &foot) == 0)
        return q;
    return Point3DRec{q.x + 2.0 * (foot.x - q.x), q.y + 2.0 * (foot.y - q.y), q.z};
}

// The image of a direction vector (the reflection without its translation).
Point3DRec reflect_vector(const MirrorLine& line, const Point3DRec& vector) noexcept
{
    const Point3DRec origin{};
    const Point3DRec base = reflect(line, origin);
    const Point3DRec tip = reflect(line, vector);
    return Point3DRec{tip.x - base.x, tip.y - base.y, vector.z};
}

// The image of a direction angle: 2 * angle of the line - the angle.
double reflect_angle(const MirrorLine& line, double angle) noexcept
{
    return DXFNormaliseAngle(2.0 * line.angle - angle);
}

void mirror_point(ItemRec& item, const MirrorLine& line) noexcept
{
    item.it_Point.pt_Point = reflect(line, item.it_Point.pt_Point);
}

void mirror_line(ItemRec& item, const MirrorLine& line) noexcept
{
    item.it_Line.ln_Start = reflect(line, item.it_Line.ln_Start);
    item.it_Line.ln_End = reflect(line, item.it_Line.ln_End);
}

void mirror_arc(ItemRec& item, const MirrorLine& line) noexcept
{
    ArcRec& arc = item.it_Arc;
    const Point3DRec centre = reflect(line, arc.ar_Centre);
    const Point3DRec start = reflect(line, arc_point(arc, arc.ar_Start));
    const Point3DRec end = reflect(line, arc_point(arc, arc.ar_End));
    // The image runs from the image of the old start to the image of the old end, the
    // other way round the circle.
    arc.ar_Centre = centre;
    arc.ar_Start = std::atan2(start.y - centre.y, start.x - centre.x);
    arc.ar_End = std::atan2(end.y - centre.y, end.x - centre.x);
    arc.ar_Dir = -arc.ar_Dir;
}

void mirror_text(ItemRec& item, const MirrorLine& line) noexcept
{
    item.it_Text.tx_Point = reflect(line, item.it_Text.tx_Point);
    item.it_Text.tx_Point2 = reflect(line, item.it_Text.tx_Point2);
}

void mirror_polyline(ItemRec& item, const MirrorLine& line) noexcept
{
    PolylineRec& polyline = item.it_Polyline;
    for (int32_t i = 0; i < polyline.pl_NumVertices; ++i) {
        VertexRec& vertex = polyline.pl_Vertices[i];
        vertex.vx_Point = reflect(line, vertex.vx_Point);
        if (!is_zero(vertex.vx_Bulge))
            vertex.vx_Bulge = -vertex.vx_Bulge;
    }
    DXFPolylineCorners(polyline.pl_Vertices, polyline.pl_NumVertices, &polyline.pl_Min,
                       &polyline.pl_Max);
}

// A point of an ellipse is centre + cos t * A + sin t * B with B the minor axis, A turned
// a quarter counter-clockwise and scaled by the ratio. The reflection turns B into minus
// the minor axis of the reflected major axis, so the image of the point at t is the point
// of the new ellipse at -t, travelled the other way.
void mirror_ellipse(ItemRec& item, const MirrorLine& line) noexcept
{
    EllipseRec& ellipse = item.it_Ellipse;
    const Point3DRec& centre = ellipse.el_Centre;
    const Point3DRec& axis = ellipse.el_MajorAxis;
    const Point3DRec new_centre = reflect(line, centre);
    const Point3DRec axis_end =
        reflect(line, Point3DRec{centre.x + axis.x, centre.y + axis.y, centre.z + axis.z});
    ellipse.el_MajorAxis = Point3DRec{axis_end.x - new_centre.x, axis_end.y - new_centre.y,
                                      axis_end.z - new_centre.z};
    ellipse.el_Centre = new_centre;
    ellipse.el_Angle = std::atan2(ellipse.el_MajorAxis.y, ellipse.el_MajorAxis.x);
    ellipse.el_Start = -ellipse.el_Start;
    ellipse.el_End = -ellipse.el_End;
    ellipse.el_Dir = -ellipse.el_Dir;
}

void mirror_spline(ItemRec& item, const MirrorLine& line) noexcept
{
    SplineRec& spline = item.it_Spline;
    for (int32_t i = 0; i < spline.sp_NumPoints; ++i) {
        Point3DRec& point = spline.sp_Points[i];
        point = reflect(line, point);
        if (i == 0)
            spline.sp_Min = spline.sp_Max = Point3DRec{point.x, point.y, 0.0};
        spline.sp_Min.x = std::fmin(spline.sp_Min.x, point.x);
        spline.sp_Min.y = std::fmin(spline.sp_Min.y, point.y);
        spline.sp_Max.x = std::fmax(spline.sp_Max.x, point.x);
        spline.sp_Max.y = std::fmax(spline.sp_Max.y, point.y);
    }
    // The end tangents shape a spline through fit points: they turn with the curve.
    spline.sp_StartTangent = reflect_vector(line, spline.sp_StartTangent);
    spline.sp_EndTangent = reflect_vector(line, spline.sp_EndTangent);
}

void mirror_ray(ItemRec& item, const MirrorLine& line) noexcept
{
    RayRec& ray = item.it_Ray;
    const Point3DRec base = reflect(line, ray.ry_Base);
    const Point3DRec tip = reflect(line, Point3DRec{ray.ry_Base.x + ray.ry_Direction.x,
                                                    ray.ry_Base.y + ray.ry_Direction.y,
                                                    ray.ry_Base.z + ray.ry_Direction.z});
    ray.ry_Base = base;
    ray.ry_Direction = Point3DRec{tip.x - base.x, tip.y - base.y, tip.z - base.z};
}

// A placement maps a block point q to P + R(r) * diag(sx, sy) * q. Reflecting that across
// a line at angle phi gives P' + R(2 phi - r) * diag(sx, -sy) * q: the insertion point
// reflected, the rotation 2 phi - r and the y scale negated. The array axes, absolute
// angles of their own, reflect like any direction, and a circular array runs the other
// way round.
void mirror_insert(ItemRec& item, const MirrorLine& line) noexcept
{
    InsertRec& insert = item.it_Insert;
    if (insert.in_ArrayKind == kCircularArray) {
        insert.in_CircCentre = reflect(line, insert.in_CircCentre);
        insert.in_CircFirst = reflect(line, insert.in_CircFirst);
        insert.in_CircRotation = reflect_angle(line, insert.in_CircRotation);
        insert.in_CircStep = -insert.in_CircStep;
    } else {
        insert.in_Point = reflect(line, insert.in_Point);
        insert.in_Rotation = reflect_angle(line, insert.in_Rotation);
        insert.in_RowAngle = reflect_angle(line, insert.in_RowAngle);
        insert.in_ColumnAngle = reflect_angle(line, insert.in_ColumnAngle);
    }
    insert.in_Scale.y = -insert.in_Scale.y;
}

using MirrorOperation = int32_t (*)(ItemRec*, const MirrorLine*);

template <void (*Operation)(ItemRec&, const MirrorLine&)>
int32_t apply(ItemRec* item, const MirrorLine* line) noexcept
{
    Operation(*item, *line);
    return 0;
}

// The types without an operation are left as they are.
constexpr ItemTypeTable<MirrorOperation> kMirror = {
    {
        {DXFItemInsert, apply<mirror_insert>},
        {DXFItemPoint, apply<mirror_point>},
        {DXFItemLine, apply<mirror_line>},
        {DXFItemArc, apply<mirror_arc>},
        {DXFItemText, apply<mirror_text>},
        {DXFItemPolyline, apply<mirror_polyline>},
        {DXFItemEllipse, apply<mirror_ellipse>},
        {DXFItemSpline, apply<mirror_spline>},
        {DXFItemRay, apply<mirror_ray>},
        {DXFItemXLine, apply<mirror_ray>},
    },
    {DXFItemBlock, DXFItemEndBlock, DXFItem3DFace, DXFItemSolid3D, DXFItemAttDef, DXFItemAttrib,
     DXFItemBody, DXFItemDimension, DXFItemLeader, DXFItemMLine, DXFItemMText, DXFItemOleFrame,
     DXFItemRegion, DXFItemShape, DXFItemSolid, DXFItemTolerance, DXFItemTrace, DXFItemViewport,
     DXFItemComposite},
};

}

}

extern "C" {

HALVERN_API int32_t DXFMirror(ItemRec* item, const Point3DRec* point, double angle) noexcept
{
    using namespace halvern;
    if (item == nullptr || point == nullptr)
        return 0;
    const MirrorLine line{*point, angle};
    kMirror[item->it_Header.ih_ItemType](item, &line);
    return 0;
}

}
