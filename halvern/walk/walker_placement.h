// Placements: the affine maps that put a block's members into drawing coordinates, and
// the images of points, vectors, arcs, ellipses and texts under them.
//
// A placement is a DXFMatrixRec used as a 3 by 4 affine map (row 3 stays 0, 0, 0, 1):
// x' = m[0][0] x + m[0][1] y + m[0][2] z + m[0][3], and y', z' from rows 1 and 2. The
// plane part is its upper-left 2 by 2 block, which decides what becomes of curves in
// x and y. Angles are radians, arcs keep their direction word: a placement that mirrors
// exchanges an arc's ends instead of turning it clockwise.
//
// The walkers, the extents and the renderer all place members through these
// functions, so that a member lands in the same place whoever asks.
#ifndef HALVERN_MODEL_WALKER_PLACEMENT_H
#define HALVERN_MODEL_WALKER_PLACEMENT_H

#include <cstdint>

#include "halvern/geometry.h"
#include "halvern/items.h"
#include "halvern/types.h"

namespace halvern::walk {

DXFMatrixRec identity_placement() noexcept;
// outer after inner: a point goes through inner first.
DXFMatrixRec compose(const DXFMatrixRec& outer, const DXFMatrixRec& inner) noexcept;
// The placement of one INSERT cell: scales, then the rotation (cosine and sine given),
// then the translation, then the extrusion matrix when there is one (its translation
// column is not used).
DXFMatrixRec local_placement(const Point3DRec& scale, double cos_rotation, double sin_rotation,
                             const Point3DRec& translation,
                             const DXFMatrixRec* extrusion) noexcept;

// Inline: every placed point of a drawing goes through here.
inline Point3DRec map_point(const DXFMatrixRec& placement, const Point3DRec& point) noexcept
{
    const auto& m = placement.m;
    return Point3DRec{m[0][0] * point.x + m[0][1] * point.y + m[0][2] * point.z + m[0][3],
                      m[1][0] * point.x + m[1][1] * point.y + m[1][2] * point.z + m[1][3],
                      m[2][0] * point.x + m[2][1] * point.y + m[2][2] * point.z + m[2][3]};
}
// A vector: the placement without its translation.
inline Point3DRec map_vector(const DXFMatrixRec& placement, const Point3DRec& vector) noexcept
{
    const auto& m = placement.m;
    return Point3DRec{m[0][0] * vector.x + m[0][1] * vector.y + m[0][2] * vector.z,
                      m[1][0] * vector.x + m[1][1] * vector.y + m[1][2] * vector.z,
                      m[2][0] * vector.x + m[2][1] * vector.y + m[2][2] * vector.z};
}

// Cosine and sine of a rotation, exact at 0, pi/2, pi and -pi/2 (or 3pi/2) within the
// tolerance, so that quarter turns place points exactly.
void snapped_cos_sin(double angle, double& cos_angle, double& sin_angle) noexcept;

// The plane part maps circles to circles: its columns are as long as each other
// within the tolerance and at right angles.
bool is_similarity(const DXFMatrixRec& placement) noexcept;
// The plane part turns the plane over (negative determinant).
bool is_mirroring(const DXFMatrixRec& placement) noexcept;

// What the plane part of a placement does to circles, worked out once for all the arcs
// a placement maps: whether it is a similarity and whether it mirrors, and the scale
// and the turn (atan2 of its first column) of a similarity.
struct PlaneShape {
    bool is_similarity;
    bool is_mirroring;
    double scale;
    double turn;
};
PlaneShape plane_shape(const DXFMatrixRec& placement) noexcept;

// The image of an arc. Under a similarity it is an ARC (out.it_Arc, type ARC), else
// the ELLIPSE that is its exact image (out.it_Ellipse, type ELLIPSE): major axis the
// longer principal axis, ratio at most 1, the arc's angles carried over as parameters.
// Only ih_ItemType and ih_ItemSize of out's head are written.
void place_arc(const DXFMatrixRec& placement, const ArcRec& arc, ItemRec& out) noexcept;
// The same with the placement's shape given (plane_shape of the same placement).
void place_arc(const DXFMatrixRec& placement, const PlaneShape& shape, const ArcRec& arc,
               ItemRec& out) noexcept;
// The image of an ellipse, normalised as place_arc's.
void place_ellipse(const DXFMatrixRec& placement, const EllipseRec& ellipse,
                   EllipseRec& out) noexcept;
// Places a text in place: both points, the rotation along the image of the baseline,
// the height across it, and upside down when the placement mirrors.
void place_text(const DXFMatrixRec& placement, TextRec& text) noexcept;

// Vertices and points that an item's block really holds, however many its count says.
int32_t stored_vertex_count(const ItemRec& polyline) noexcept;
int32_t stored_point_count(const ItemRec& spline) noexcept;

}

#endif
