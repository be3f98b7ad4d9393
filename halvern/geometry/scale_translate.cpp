// DXFScale and DXFTranslate: one item scaled about the origin or moved, per item type.
//
// A negative factor is a point reflection through the origin scaled by |factor|, which
// in the plane is a half turn: lengths stay positive, angles of arcs and texts turn by
// pi, direction vectors reverse, and bulges (which a turn keeps) stay. The stored
// corners of polylines and splines follow their points, so that measuring the item by
// its corners stays right after it was moved.

#include "halvern/transform.h"

#include <cmath>
#include <utility>

#include "geometry/geometry_internal.h"
#include "walk/walker_placement.h"

namespace {

using halvern::kPi;

struct Offset {
    double dx;
    double dy;
    double dz;
};

// Composites hold their boundary curves as member items; deeper nesting than this is
// not something any producer makes.
constexpr int32_t kMaximumCompositeDepth = 8;
constexpr int32_t kCircularArray = 2;

void move(Point3DRec& point, const Offset& offset)
{
    point.x += offset.dx;
    point.y += offset.dy;
    point.z += offset.dz;
}

void scale(Point3DRec& point, double factor)
{
    point.x *= factor;
    point.y *= factor;
    point.z *= factor;
}

// The x and y corners of a box; z is not kept in them.
void move_corners(Point3DRec& min, Point3DRec& max, const Offset& offset)
{
    min.x += offset.dx;
    min.y += offset.dy;
    max.x += offset.dx;
    max.y += offset.dy;
}

void scale_corners(Point3DRec& min, Point3DRec& max, double factor)
{
    min.x *= factor;
    min.y *= factor;
    max.x *= factor;
    max.y *= factor;
    if (factor < 0.0) {
        std::swap(min.x, max.x);
        std::swap(min.y, max.y);
    }
}

double half_turned(double angle, double factor)
{
    return factor < 0.0 ? halvern::DXFNormaliseAngle(angle + kPi) : angle;
}

bool is_full_circle(const ArcRec& arc)
{
    return halvern::is_equal(halvern::DXFArcSweep(arc.ar_Start, arc.ar_End, arc.ar_Dir),
                             halvern::kTwoPi);
}

template <typename Change>
void for_each_member(ItemBufferRec& list, Change change)
{
    for (int32_t i = 0; i < list.ib_N && list.ib_Items != nullptr; ++i) {
        if (list.ib_Items[i] != nullptr)
            change(*list.ib_Items[i]);
    }
}

// The member lists of a composite and its own surface points. Only the surface data of
// the composite's kind exists.
template <typename Change, typename ChangePoint>
void change_composite(CompositeRec& composite, Change change, ChangePoint change_point)
{
    switch (composite.cp_Kind) {
    case DXFCompositePlane:
        change_point(composite.cp_PlanePoint);
        for_each_member(composite.cp_List4, change);
        break;
    case DXFCompositeRevolution:
        change_point(composite.cp_AxisPoint);
        for_each_member(composite.cp_List3, change);
        break;
    case DXFCompositeRuled:
        for_each_member(composite.cp_List1, change);
        for_each_member(composite.cp_List2, change);
        break;
    case DXFCompositeBSpline:
        for (uint32_t u = 0; composite.cp_Points != nullptr && u < composite.cp_NumU; ++u) {
            for (uint32_t v = 0; composite.cp_Points[u] != nullptr && v < composite.cp_NumV; ++v)
                change_point(composite.cp_Points[u][v]);
        }
        break;
    default: break;
    }
    for_each_member(composite.cp_Outer, change);
    for (int32_t i = 0; composite.cp_Inner != nullptr && i < composite.cp_NumInner; ++i)
        for_each_member(composite.cp_Inner[i], change);
}

void translate_item(ItemRec& item, const Offset& offset, int32_t depth)
{
    switch (item.it_Header.ih_ItemType) {
    case DXFItemInsert: {
        InsertRec& insert = item.it_Insert;
        if (insert.in_ArrayKind == kCircularArray) {
            move(insert.in_CircCentre, offset);
            move(insert.in_CircFirst, offset);
        } else {
            move(insert.in_Point, offset);
        }
        break;
    }
    case DXFItemPoint: move(item.it_Point.pt_Point, offset); break;
    case DXFItemLine:
        move(item.it_Line.ln_Start, offset);
        move(item.it_Line.ln_End, offset);
        break;
    case DXFItemArc: move(item.it_Arc.ar_Centre, offset); break;
    case DXFItemText:
        move(item.it_Text.tx_Point, offset);
        move(item.it_Text.tx_Point2, offset);
        break;
    case DXFItemPolyline: {
        PolylineRec& polyline = item.it_Polyline;
        const int32_t count = halvern::walk::stored_vertex_count(item);
        for (int32_t i = 0; i < count; ++i)
            move(polyline.pl_Vertices[i].vx_Point, offset);
        move_corners(polyline.pl_Min, polyline.pl_Max, offset);
        break;
    }
    case DXFItemEllipse: move(item.it_Ellipse.el_Centre, offset); break;
    case DXFItemSpline: {
        SplineRec& spline = item.it_Spline;
        const int32_t count = halvern::walk::stored_point_count(item);
        for (int32_t i = 0; i < count; ++i)
            move(spline.sp_Points[i], offset);
        move_corners(spline.sp_Min, spline.sp_Max, offset);
        break;
    }
    case DXFItem3DFace:
        for (Point3DRec& corner : item.it_Face.fc_Corners)
            move(corner, offset);
        break;
    case DXFItemRay:
    case DXFItemXLine: move(item.it_Ray.ry_Base, offset); break;
    case DXFItemComposite: {
        if (depth >= kMaximumCompositeDepth)
            break;
        CompositeRec& composite = item.it_Composite;
        if (composite.cp_Kind == DXFCompositePlane)
            composite.cp_PlaneD += composite.cp_PlaneA * offset.dx +
                                   composite.cp_PlaneB * offset.dy +
                                   composite.cp_PlaneC * offset.dz;
        change_composite(
            composite, [&](ItemRec& member) { translate_item(member, offset, depth + 1); },
            [&](Point3DRec& point) { move(point, offset); });
        break;
    }
    default:
        // BLOCK keeps its base point: its members are placed relative to it, and
        // moving it would move every insertion of the block.
        break;
    }
}

void scale_item(ItemRec& item, double factor, int32_t depth)
{
    const double size = std::fabs(factor);
    switch (item.it_Header.ih_ItemType) {
    case DXFItemBlock:
        // The base is part of every placement of the block's members: scaled with
        // them, it keeps each placed member where the scaled drawing has it.
        scale(item.it_Block.bk_Base, factor);
        break;
    case DXFItemInsert: {
        InsertRec& insert = item.it_Insert;
        if (insert.in_ArrayKind == kCircularArray) {
            scale(insert.in_CircCentre, factor);
            scale(insert.in_CircFirst, factor);
            insert.in_CircRadius *= size;
        } else {
            scale(insert.in_Point, factor);
            insert.in_ColumnSpacing *= factor;
            insert.in_RowSpacing *= factor;
        }
        break;
    }
    case DXFItemPoint: scale(item.it_Point.pt_Point, factor); break;
    case DXFItemLine:
        scale(item.it_Line.ln_Start, factor);
        scale(item.it_Line.ln_End, factor);
        break;
    case DXFItemArc: {
        ArcRec& arc = item.it_Arc;
        scale(arc.ar_Centre, factor);
        arc.ar_Radius *= size;
        if (!is_full_circle(arc)) {
            arc.ar_Start = half_turned(arc.ar_Start, factor);
            arc.ar_End = half_turned(arc.ar_End, factor);
        }
        break;
    }
    case DXFItemText: {
        TextRec& text = item.it_Text;
        scale(text.tx_Point, factor);
        scale(text.tx_Point2, factor);
        text.tx_Height *= size;
        text.tx_Rotation = half_turned(text.tx_Rotation, factor);
        break;
    }
    case DXFItemPolyline: {
        PolylineRec& polyline = item.it_Polyline;
        const int32_t count = halvern::walk::stored_vertex_count(item);
        for (int32_t i = 0; i < count; ++i)
            scale(polyline.pl_Vertices[i].vx_Point, factor);
        scale_corners(polyline.pl_Min, polyline.pl_Max, factor);
        break;
    }
    case DXFItemEllipse: {
        // The minor axis follows the major one through the ratio.
        EllipseRec& ellipse = item.it_Ellipse;
        scale(ellipse.el_Centre, factor);
        scale(ellipse.el_MajorAxis, factor);
        ellipse.el_Angle = half_turned(ellipse.el_Angle, factor);
        break;
    }
    case DXFItemSpline: {
        SplineRec& spline = item.it_Spline;
        const int32_t count = halvern::walk::stored_point_count(item);
        for (int32_t i = 0; i < count; ++i)
            scale(spline.sp_Points[i], factor);
        scale_corners(spline.sp_Min, spline.sp_Max, factor);
        if (factor < 0.0) {
            scale(spline.sp_StartTangent, -1.0);
            scale(spline.sp_EndTangent, -1.0);
        }
        break;
    }
    case DXFItem3DFace:
        for (Point3DRec& corner : item.it_Face.fc_Corners)
            scale(corner, factor);
        break;
    case DXFItemRay:
    case DXFItemXLine:
        scale(item.it_Ray.ry_Base, factor);
        if (factor < 0.0)
            scale(item.it_Ray.ry_Direction, -1.0);
        break;
    case DXFItemComposite: {
        if (depth >= kMaximumCompositeDepth)
            break;
        CompositeRec& composite = item.it_Composite;
        if (composite.cp_Kind == DXFCompositePlane)
            composite.cp_PlaneD *= factor;
        change_composite(
            composite, [&](ItemRec& member) { scale_item(member, factor, depth + 1); },
            [&](Point3DRec& point) { scale(point, factor); });
        break;
    }
    default: break;
    }
}

}

extern "C" {

HALVERN_API int32_t DXFScale(ItemRec* item, double factor) noexcept
{
    if (item != nullptr)
        scale_item(*item, factor, 0);
    return 0;
}

HALVERN_API int32_t DXFTranslate(ItemRec* item, double dx, double dy, double dz) noexcept
{
    if (item != nullptr)
        translate_item(*item, Offset{dx, dy, dz}, 0);
    return 0;
}

}
