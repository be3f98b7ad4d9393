/*
 * Scaling and moving one item in place.
 *
 * Both operations change every position of the item (points, vertices, control points,
 * corners, centres, insertion points) and, for scaling, its lengths (radii, text
 * heights, major axes, array spacings and radii); angles, bulges, ratios, knots,
 * weights and an INSERT's own scales stay. The stored corners of polylines and splines
 * follow their points. They do not walk a drawing: a block's members are changed by
 * applying them to the members themselves, and members of a composite are changed
 * with the composite.
 */
#ifndef HALVERN_TRANSFORM_H
#define HALVERN_TRANSFORM_H

#include <stdint.h>

#include "halvern/api.h"
#include "halvern/items.h"

HALVERN_BEGIN_DECLS

/* Multiplies the item's coordinates by factor about the origin. A negative factor is
 * the point reflection through the origin scaled by |factor|: radii and heights stay
 * positive and arcs, ellipses, texts and directions turn half a turn. Returns 0, also
 * for a NULL item. */
HALVERN_API int32_t DXFScale(ItemRec* item, double factor) HALVERN_NOEXCEPT;
/* Adds (dx, dy, dz) to the item's positions. Returns 0, also for a NULL item. */
HALVERN_API int32_t DXFTranslate(ItemRec* item, double dx, double dy, double dz) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
