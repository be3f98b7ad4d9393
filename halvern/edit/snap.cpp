// DXFSnapEnd: the coordinates of a POINT, LINE, ARC or POLYLINE rounded to a grid.
//
// Rounding can collapse a line or a short arc to a point; such an item is marked
// excluded rather than removed, so that the caller's buffers stay as they are.
#include "halvern/edits.h"

#include <cmath>

#include "dxf/dxf_entity_parser.h"
#include "edit/item_type_table.h"
#include "geometry/item_geometry_internal.h"
#include "osmark/numbers.h"

namespace halvern {

namespace {

constexpr double kFullTurnDegrees = 360.0;
constexpr double kHalfTurnDegrees = 180.0;

struct Grid {
    double step;

    double round(double value) const noexcept { return RoundNum(value, step); }
    void round(Point3DRec& point) const noexcept
    {
        point.x = round(point.x);
        point.y = round(point.y);
        point.z = round(point.z);
    }
};

bool same_xy(const Point3DRec& a, const Point3DRec& b) noexcept
{
    return is_equal(a.x, b.x) && is_equal(a.y, b.y);
}

void exclude(ItemRec& item) noexcept
{
    item.it_Header.ih_Flags |= DXFItemExcluded;
}

void snap_point(ItemRec& item, const Grid& grid) noexcept
{
    grid.round(item.it_Point.pt_Point);
}

void snap_line(ItemRec& item, const Grid& grid) noexcept
{
    grid.round(item.it_Line.ln_Start);
    grid.round(item.it_Line.ln_End);
    if (same_xy(item.it_Line.ln_Start, item.it_Line.ln_End))
        exclude(item);
}

void snap_polyline(ItemRec& item, const Grid& grid) noexcept
{
    PolylineRec& polyline = item.it_Polyline;
    for (int32_t i = 0; i < polyline.pl_NumVertices; ++i)
        grid.round(polyline.pl_Vertices[i].vx_Point);
    DXFPolylineCorners(polyline.pl_Vertices, polyline.pl_NumVertices, &polyline.pl_Min,
                       &polyline.pl_Max);
}

// The end of an arc at an angle, rounded in x and y.
Point3DRec rounded_end(const ArcRec& arc, double angle, const Grid& grid) noexcept
{
    const Point3DRec end = arc_point(arc, angle);
    return Point3DRec{grid.round(end.x), grid.round(end.y), end.z};
}

void snap_arc(ItemRec& item, const Grid& grid) noexcept
{
    ArcRec& arc = item.it_Arc;
    const double sweep = DXFArcSweep(arc.ar_Start, arc.ar_End, arc.ar_Dir) * kDegreesPerRadian;
    const Point3DRec start = rounded_end(arc, arc.ar_Start, grid);
    if (sweep - kFullTurnDegrees > -kTolerance) {
        // A full circle keeps its centre and passes through its rounded start point.
        // One whose start rounds onto its centre keeps radius 0 and stays in the
        // drawing: only lines and short arcs are dropped by a snap.
        arc.ar_Radius = DXFPointDistance(&arc.ar_Centre, &start);
        return;
    }
    const Point3DRec end = rounded_end(arc, arc.ar_End, grid);
    if (same_xy(start, end)) {
        if (sweep < kHalfTurnDegrees) {
            exclude(item);
            return;
        }
        arc.ar_Start = arc.ar_End = std::atan2(start.y - arc.ar_Centre.y, start.x - arc.ar_Centre.x);
        return;
    }
    // The centre moves onto the chord's perpendicular bisector, as little as it can.
    const Point3DRec middle{(start.x + end.x) / 2.0, (start.y + end.y) / 2.0, arc.ar_Centre.z};
    const double chord = std::atan2(end.y - start.y, end.x - start.x);
    Point3DRec centre{};
    if (DXFIntersectionPoint(&arc.ar_Centre, chord, &middle, chord + kHalfPi, &centre) == 0)
        return;
    centre.z = arc.ar_Centre.z;
    arc.ar_Centre = centre;
    arc.ar_Radius = DXFPointDistance(&centre, &start);
    arc.ar_Start = std::atan2(start.y - centre.y, start.x - centre.x);
    arc.ar_End = std::atan2(end.y - centre.y, end.x - centre.x);
}

using SnapOperation = int32_t (*)(ItemRec*, const Grid*);

template <void (*Operation)(ItemRec&, const Grid&)>
int32_t apply(ItemRec* item, const Grid* grid) noexcept
{
    Operation(*item, *grid);
    return 1;
}

// Only these types are made of end points that a grid can hold; the others are left as
// they are.
constexpr ItemTypeTable<SnapOperation> kSnap = {
    {
        {DXFItemPoint, apply<snap_point>},
        {DXFItemLine, apply<snap_line>},
        {DXFItemArc, apply<snap_arc>},
        {DXFItemPolyline, apply<snap_polyline>},
    },
    {DXFItemBlock,     DXFItemEndBlock,  DXFItemInsert,   DXFItemText,   DXFItemEllipse,
     DXFItemSpline,    DXFItem3DFace,    DXFItemSolid3D,  DXFItemAttDef, DXFItemAttrib,
     DXFItemBody,      DXFItemDimension, DXFItemLeader,   DXFItemMLine,  DXFItemMText,
     DXFItemOleFrame,  DXFItemRay,       DXFItemRegion,   DXFItemShape,  DXFItemSolid,
     DXFItemTolerance, DXFItemTrace,     DXFItemViewport, DXFItemXLine,  DXFItemComposite},
};

}

}

extern "C" {

HALVERN_API int32_t DXFSnapEnd(ItemRec* item, double step) noexcept
{
    using namespace halvern;
    if (item == nullptr)
        return 0;
    const Grid grid{step};
    return kSnap[item->it_Header.ih_ItemType](item, &grid);
}

}
