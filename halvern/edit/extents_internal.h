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
#include <vector>

#include "halvern/drawing.h"
#include "halvern/geometry.h"
#include "halvern/items.h"
#include "halvern/types.h"
#include "geometry/geometry_internal.h"
#include "walk/walker_engine.h"

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
    // Another box, as it lies and moved by (dx, dy).
    void fold(const ExtentsBox& other) noexcept { fold_moved(other, 0.0, 0.0); }
    void fold_moved(const ExtentsBox& other, double dx, double dy) noexcept
    {
        if (other.m_found) {
            fold(other.m_min_x + dx, other.m_min_y + dy);
            fold(other.m_max_x + dx, other.m_max_y + dy);
        }
    }

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

// Rectangular arrays measured by their first cell, for a visitor of the walker engine
// that folds into one box: every cell is a translate of the first (the same plane part,
// moved by whole column and row steps), so the cells' boxes together span the first
// cell's box moved to the four corner cells. Exact, and one cell's work however large
// the array. The visitor hands its level_start and level_end here.
class ArrayShortcuts {
public:
    // A rectangular level of more than one cell is cut down to its first cell, and the
    // box folded so far put aside until the level ends.
    walk::LevelStart level_start(DXFBlockStackFrame& frame, int32_t depth, ExtentsBox& box) noexcept;
    // At the end of a cut-down level: box becomes what was put aside with the cell's box
    // folded at the four corner cells.
    void level_end(int32_t depth, ExtentsBox& box) noexcept;

private:
    struct Shortcut {
        int32_t depth;
        ExtentsBox enclosing;   // the box folded before the level began
        Point2DRec corners[3];  // last column, last row and both, from the first cell
    };
    std::vector<Shortcut> m_shortcuts;
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
