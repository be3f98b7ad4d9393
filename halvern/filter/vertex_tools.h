// The vertex-list tools that the conversion passes and the contour edits share: the
// writer of a vertex list, arc to chords, arc fitting of straight runs and the removal
// of needless vertices.
//
// A vertex's bulge within 1e-6 of 0 means a straight segment to the next vertex;
// otherwise the segment is the arc of that bulge. Tolerances are drawing units.
#ifndef HALVERN_FILTER_VERTEX_TOOLS_H
#define HALVERN_FILTER_VERTEX_TOOLS_H

#include <cstdint>

#include "filter/filter_context.h"

namespace halvern {

// The most chords that one arc or ellipse is cut into.
inline constexpr int32_t kFilterMostChords = 32000;
// Arc fitting chooses its ends by halving from this many vertices on, and reports its
// progress above it.
inline constexpr uint32_t kFilterFitHalvingCount = 500;

// Bit 3 of a conversion flags word: the result as one POLYLINE.
inline constexpr uint32_t kFilterAsPolyline = 8;

// Writes the list to the pass's output: as one POLYLINE, or else as a CIRCLE when it is
// two half circles of bulge 1 that return to their start, and otherwise one LINE per
// straight segment and one ARC (or CIRCLE) per bulged one. A segment whose bulge makes
// no arc writes nothing.
void FilterWriteVertexList(DXFFilterContext& context, const VertexListRec& list,
                           bool as_polyline) noexcept;

// Cuts the arc into chords whose sagitta stays within tolerance and writes them as
// LINEs, or with kFilterAsPolyline in flags as one POLYLINE. Nothing is written for a
// tolerance or a radius within 1e-6 of 0 (or not a number); a negative tolerance counts
// by its size, and one of the diameter or more gives half-circle chords. At most
// kFilterMostChords chords: a finer cut is spread evenly over the arc.
void FilterArcToChords(DXFFilterContext& context, const ArcRec& arc, uint32_t flags,
                       double tolerance) noexcept;

// Replaces runs of the count vertices by arcs that pass within tolerance of their
// vertices and chords; the first vertex of a run takes the arc's bulge and the others
// go. Answers the new count; the vertices stay in place at the front. From
// kFilterFitHalvingCount vertices on the run ends are found by halving; above it the
// progress function (kind 400) follows the share of vertices done, and a stop leaves
// the vertices fitted so far followed by the rest unchanged. context may be NULL (no
// progress).
uint32_t FilterFitArcs(DXFFilterContext* context, VertexRec* vertices, uint32_t count,
                       double tolerance) noexcept;

// Removes the vertices of straight runs that lie within tolerance of the segment that
// replaces them; the first and last vertex of every run stay. Answers the new count.
uint32_t FilterRemoveNeedlessVertices(VertexRec* vertices, uint32_t count,
                                      double tolerance) noexcept;

}

#endif
