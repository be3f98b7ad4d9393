// The entities that the conversion and contour passes write in place of the one they
// took apart: LINE, POINT, ARC, CIRCLE and POLYLINE, each with the layer, line type,
// colour and thickness groups of the collected entity, and the arc record they share.
//
// Numbers are written as DXFFormatReal gives them, angles in degrees. Every form raises
// the counter of its kind, so that a later conversion pass of the same run sees it.
#ifndef HALVERN_FILTER_ENTITY_FORMS_H
#define HALVERN_FILTER_ENTITY_FORMS_H

#include "filter/filter_context.h"

namespace halvern {

// The arc that first's bulge describes towards second, running from first to second:
// counter-clockwise (ar_Dir 1) for a positive bulge, clockwise (-1) for a negative one.
// false, with arc unwritten, when the bulge describes no arc.
bool FilterBulgeArc(const VertexRec& first, const VertexRec& second, ArcRec& arc) noexcept;
// The point of the arc's circle at angle, at the centre's height.
Point3DRec FilterArcPoint(const ArcRec& arc, double angle) noexcept;
// 1 when the arc's sweep is a whole turn (not below 2 pi by 1e-6 or more).
bool FilterArcIsFull(const ArcRec& arc) noexcept;

void FilterWriteLine(DXFFilterContext& context, const Point3DRec& start,
                     const Point3DRec& end) noexcept;
void FilterWritePoint(DXFFilterContext& context, const Point3DRec& point) noexcept;
// An ARC, counter-clockwise from its first to its second angle whatever its direction,
// or a CIRCLE when the arc is full.
void FilterWriteArc(DXFFilterContext& context, const ArcRec& arc) noexcept;
// One POLYLINE of the list's vertices with their bulges. When the first and the last
// vertex agree (x, y, z and bulge within 1e-6) the polyline is closed (70 "1") and the
// last vertex is left out. Nothing for an empty list.
void FilterWritePolyline(DXFFilterContext& context, const VertexListRec& list) noexcept;

}

#endif
