// The extents of drawings, blocks and contours: a running box, the box of one item as
// it lies or under a placement, and the measuring walk that every extents function
// runs over the walker engine.
//
// Boxes are in x and y only; z never enters them. Angles are radians.
#ifndef HALVERN_EDIT_EXTENTS_INTERNAL_H
#define HALVERN_EDIT_EXTENTS_INTERNAL_H

#include <cmath>
#include <cstdint>
#include <limits>

#include "halvern/drawing.h"
#include "halvern/geometry.h"
#include "halvern/items.h"
#include "halvern/types.h"
#include "geometry/geometry_internal.h"

namespace halvern {

// The box folded so far. A point whose x or y is not a finite number is left out
// whole, so that one damaged item cannot make the box infinite.
class ExtentsBox {
public:
    void fold(double x, double y) noexcept
    {
        if (!std::isfinite(x) || !std::isfinite(y))
            return;
        if (x < m_min_x)
            m_min_x = x;
        if (x > m_max_x)
            m_max_x = x;
        if (y < m_min_y)
            m_min_y = y;
        if (y > m_max_y)
            m_max_y = y;
        m_found = true;
    }
    void fold(const Point3DRec& point) noexcept { fold(point.x, point.y); }

    bool is_empty() const noexcept { return !m_found; }
    // The box, or (0, 0)-(0, 0) when no point was folded.
    Rectangle2DRec rectangle() const noexcept
    {
        if (!m_found)
            return Rectangle2DRec{};
        return Rectangle2DRec{Point2DRec{m_min_x, m_min_y}, Point2DRec{m_max_x, m_max_y}};
    }

private:
    static constexpr double kInfinity = std::numeric_limits<double>::infinity();
    double m_min_x = kInfinity;
    double m_min_y = kInfinity;
    double m_max_x = -kInfinity;
    double m_max_y = -kInfinity;
    bool m_found = false;
};

// Folds one item as it lies: POINT, LINE and TEXT by their points, ARC and ELLIPSE
// exactly (ends and the axis extremes their sweep passes), POLYLINE and SPLINE by
// their stored corners pl_Min/pl_Max and sp_Min/sp_Max (nothing when they hold no
// vertex or point). INSERTs and the types without geometry here add nothing.
void DXFFoldItemExtents(ExtentsBox& box, const ItemRec& item) noexcept;

// Folds one item under a placement (an affine map as the walker engine builds it,
// halvern/model/walker_placement.h): its points mapped, arcs and ellipses by the
// exact extremes of their images, POLYLINEs segment by segment from their vertices,
// SPLINEs by every control or fit point. INSERTs add nothing here.
void DXFFoldPlacedItemExtents(ExtentsBox& box, const ItemRec& item,
                                                   const DXFMatrixRec& placement) noexcept;

// The base placement of the bounds functions: scales, then the rotation, then the
// offset; only x and y of the offset and the scales matter.
struct ExtentsPlacement {
    Point3DRec offset;
    Point3DRec scale;
    double rotation;
};

// Every item counts.
inline constexpr int32_t kExtentsAllContours = -1;

// The box of the drawing's visible items, INSERTs expanded, into dxf_DrwgSize
// ((0, 0)-(0, 0) when nothing counts). Left out besides the walkers' own skips: items
// flagged excluded (ih_Flags bit 3), the members of an INSERT that is itself flagged
// excluded, and, when contour >= 0, items whose ih_ContourID differs; INSERTs are
// expanded whatever their own flag and contour. placement NULL: top-level items are
// measured as they lie (DXFFoldItemExtents); else top-level items are placed by it and
// INSERTs expanded under it as their base placement.
void DXFMeasureDrawing(DXFDrawingRec& drawing, const ExtentsPlacement* placement,
                                            int32_t contour) noexcept;

}

#endif
