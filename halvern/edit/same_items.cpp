// DXFSameItems: whether two items of one type describe the same geometry within 1e-6.
//
// Curves that can be travelled either way (LINE, ARC, POLYLINE, ELLIPSE, SPLINE) are
// also the same as their reversal. Points compare in x and y only.
#include "halvern/edits.h"

#include "edit/item_type_table.h"
#include "geometry/item_geometry_internal.h"
#include "osmark/strings.h"

namespace halvern {

namespace {

bool same_xy(const Point3DRec& a, const Point3DRec& b) noexcept
{
    return is_equal(a.x, b.x) && is_equal(a.y, b.y);
}

// Arc angles (or ellipse parameters) as stored: the same in the same direction, or
// exchanged in the other direction.
bool same_sweep(double start_a, double end_a, int32_t dir_a, double start_b, double end_b,
                int32_t dir_b) noexcept
{
    if (is_equal(start_a, start_b) && is_equal(end_a, end_b) && dir_a == dir_b)
        return true;
    return is_equal(start_a, end_b) && is_equal(end_a, start_b) && dir_a != dir_b;
}

bool same_point(const ItemRec& a, const ItemRec& b) noexcept
{
    return same_xy(a.it_Point.pt_Point, b.it_Point.pt_Point);
}

bool same_line(const ItemRec& a, const ItemRec& b) noexcept
{
    const LineRec& p = a.it_Line;
    const LineRec& q = b.it_Line;
    return (same_xy(p.ln_Start, q.ln_Start) && same_xy(p.ln_End, q.ln_End)) ||
           (same_xy(p.ln_Start, q.ln_End) && same_xy(p.ln_End, q.ln_Start));
}

bool same_arc(const ItemRec& a, const ItemRec& b) noexcept
{
    const ArcRec& p = a.it_Arc;
    const ArcRec& q = b.it_Arc;
    return same_xy(p.ar_Centre, q.ar_Centre) && is_equal(p.ar_Radius, q.ar_Radius) &&
           same_sweep(p.ar_Start, p.ar_End, p.ar_Dir, q.ar_Start, q.ar_End, q.ar_Dir);
}

bool same_text_string(const char* a, const char* b) noexcept
{
    if (a == nullptr || b == nullptr)
        return a == b;
    return StrCmp(a, b) == 0;
}

bool same_text(const ItemRec& a, const ItemRec& b) noexcept
{
    const TextRec& p = a.it_Text;
    const TextRec& q = b.it_Text;
    return same_xy(p.tx_Point, q.tx_Point) && same_xy(p.tx_Point2, q.tx_Point2) &&
           is_equal(p.tx_Height, q.tx_Height) && is_equal(p.tx_Rotation, q.tx_Rotation) &&
           is_equal(p.tx_Oblique, q.tx_Oblique) && is_equal(p.tx_Reserved, q.tx_Reserved) &&
           same_text_string(p.tx_Text, q.tx_Text);
}

bool same_polyline(const ItemRec& a, const ItemRec& b) noexcept
{
    const PolylineRec& p = a.it_Polyline;
    const PolylineRec& q = b.it_Polyline;
    const int32_t n = p.pl_NumVertices > 0 ? p.pl_NumVertices : 0;
    if (n != (q.pl_NumVertices > 0 ? q.pl_NumVertices : 0))
        return false;
    bool forward = true;
    for (int32_t i = 0; i < n && forward; ++i)
        forward = same_xy(p.pl_Vertices[i].vx_Point, q.pl_Vertices[i].vx_Point);
    if (forward)
        return true;
    for (int32_t i = 0; i < n; ++i) {
        if (!same_xy(p.pl_Vertices[i].vx_Point, q.pl_Vertices[n - 1 - i].vx_Point))
            return false;
    }
    return true;
}

bool same_ellipse(const ItemRec& a, const ItemRec& b) noexcept
{
    const EllipseRec& p = a.it_Ellipse;
    const EllipseRec& q = b.it_Ellipse;
    return same_xy(p.el_Centre, q.el_Centre) && same_xy(p.el_MajorAxis, q.el_MajorAxis) &&
           is_equal(p.el_Ratio, q.el_Ratio) && is_equal(p.el_Angle, q.el_Angle) &&
           same_sweep(p.el_Start, p.el_End, p.el_Dir, q.el_Start, q.el_End, q.el_Dir);
}

bool has_knots(const SplineRec& spline) noexcept
{
    return spline.sp_Knots != nullptr && spline.sp_NumKnots > 0;
}

bool has_weights(const SplineRec& spline) noexcept
{
    return spline.sp_Weights != nullptr && spline.sp_NumWeights > 0;
}

bool same_spline_forward(const SplineRec& p, const SplineRec& q) noexcept
{
    for (int32_t i = 0; i < p.sp_NumPoints; ++i) {
        if (!same_xy(p.sp_Points[i], q.sp_Points[i]))
            return false;
    }
    for (int32_t j = 0; has_knots(p) && j < p.sp_NumKnots; ++j) {
        if (!is_equal(p.sp_Knots[j], q.sp_Knots[j]))
            return false;
    }
    for (int32_t i = 0; has_weights(p) && i < p.sp_NumWeights; ++i) {
        if (!is_equal(p.sp_Weights[i], q.sp_Weights[i]))
            return false;
    }
    return true;
}

// q reversed: points and weights from the other end, knots mirrored within q's range.
bool same_spline_reversed(const SplineRec& p, const SplineRec& q) noexcept
{
    const int32_t n = p.sp_NumPoints;
    for (int32_t i = 0; i < n; ++i) {
        if (!same_xy(p.sp_Points[i], q.sp_Points[n - 1 - i]))
            return false;
    }
    const int32_t k = p.sp_NumKnots;
    if (has_knots(p)) {
        const double sum = q.sp_Knots[0] + q.sp_Knots[k - 1];
        for (int32_t j = 0; j < k; ++j) {
            if (!is_equal(p.sp_Knots[j], sum - q.sp_Knots[k - 1 - j]))
                return false;
        }
    }
    const int32_t w = p.sp_NumWeights;
    for (int32_t i = 0; has_weights(p) && i < w; ++i) {
        if (!is_equal(p.sp_Weights[i], q.sp_Weights[w - 1 - i]))
            return false;
    }
    return true;
}

bool same_spline(const ItemRec& a, const ItemRec& b) noexcept
{
    const SplineRec& p = a.it_Spline;
    const SplineRec& q = b.it_Spline;
    if (p.sp_Degree != q.sp_Degree || p.sp_NumPoints != q.sp_NumPoints ||
        p.sp_NumKnots != q.sp_NumKnots || p.sp_NumWeights != q.sp_NumWeights)
        return false;
    // Knots or weights on one side only cannot be compared with the other.
    if (has_knots(p) != has_knots(q) || has_weights(p) != has_weights(q))
        return false;
    return same_spline_forward(p, q) || same_spline_reversed(p, q);
}

bool same_ray(const ItemRec& a, const ItemRec& b) noexcept
{
    return same_xy(a.it_Ray.ry_Base, b.it_Ray.ry_Base) &&
           same_xy(a.it_Ray.ry_Direction, b.it_Ray.ry_Direction);
}

using SameOperation = int32_t (*)(const ItemRec*, const ItemRec*);

template <bool (*Test)(const ItemRec&, const ItemRec&)>
int32_t compare(const ItemRec* a, const ItemRec* b) noexcept
{
    return Test(*a, *b) ? 1 : 0;
}

// Types without a comparison are never the same as anything.
constexpr ItemTypeTable<SameOperation> kSame = {
    {
        {DXFItemPoint, compare<same_point>},
        {DXFItemLine, compare<same_line>},
        {DXFItemArc, compare<same_arc>},
        {DXFItemText, compare<same_text>},
        {DXFItemPolyline, compare<same_polyline>},
        {DXFItemEllipse, compare<same_ellipse>},
        {DXFItemSpline, compare<same_spline>},
        {DXFItemRay, compare<same_ray>},
        {DXFItemXLine, compare<same_ray>},
    },
    {DXFItemBlock,  DXFItemEndBlock,  DXFItemInsert,   DXFItem3DFace,    DXFItemSolid3D,
     DXFItemAttDef, DXFItemAttrib,    DXFItemBody,     DXFItemDimension, DXFItemLeader,
     DXFItemMLine,  DXFItemMText,     DXFItemOleFrame, DXFItemRegion,    DXFItemShape,
     DXFItemSolid,  DXFItemTolerance, DXFItemTrace,    DXFItemViewport,  DXFItemComposite},
};

}

}

extern "C" {

HALVERN_API int32_t DXFSameItems(const ItemRec* a, const ItemRec* b) noexcept
{
    using namespace halvern;
    if (a == nullptr || b == nullptr || a->it_Header.ih_ItemType != b->it_Header.ih_ItemType)
        return 0;
    return kSame[a->it_Header.ih_ItemType](a, b);
}

}
