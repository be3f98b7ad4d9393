// The pass functions and step functions of the later passes: the geometry conversions,
// the INSERT explosion, the contour edits, and the in-memory flattening of INSERTs and
// joining of texts.
#ifndef HALVERN_FILTER_FILTER_PASSES_H
#define HALVERN_FILTER_FILTER_PASSES_H

#include <cstdint>

#include "filter/filter_context.h"

namespace halvern {

// Bit 31 of a conversion flags word: the source entity is written as well.
inline constexpr uint32_t kFilterKeepSource = 0x80000000u;

// ---- Geometry conversions (each answers 0 for entities it does not convert) -------

// LINE, 3DLINE: bit 0 a POINT at each end.
int32_t FilterLinePass(DXFFilterContext* context) noexcept;
// ARC, CIRCLE: bit 1 chords, else bit 0 end POINTs, else bit 5 the arc written anew;
// without one of them the entity is dropped.
int32_t FilterArcPass(DXFFilterContext* context) noexcept;
// POLYLINE, LWPOLYLINE: bit 1 LINEs and chords, bit 2 LINEs and ARCs, bit 3 straight
// runs (and chords) as POLYLINEs; without bit 1 or 2 the entity is dropped.
int32_t FilterPolylinePass(DXFFilterContext* context) noexcept;
// ELLIPSE, with bit 1 or 2: chords, bit 2 refitted with arcs, bit 3 as one POLYLINE.
int32_t FilterEllipsePass(DXFFilterContext* context) noexcept;
// SPLINE: circles and arcs of the exact quadratic forms, else sampled chords; bit 2
// refitted with arcs, bit 3 as one POLYLINE.
int32_t FilterSplinePass(DXFFilterContext* context) noexcept;

// ---- INSERT explosion ----------------------------------------------------------------

// Replaces a collected INSERT by the placed items of its block; drops an INSERT of an
// unknown block.
int32_t FilterExplodePass(DXFFilterContext* context) noexcept;
// Step functions: INSERTs outside the BLOCKS section, which is dropped; INSERTs inside
// block definitions, the section kept.
int32_t FilterStepOutsideBlocks(FileHandle* stream, int32_t line, int32_t code, char* value,
                                void* user) noexcept;
int32_t FilterStepInsideBlocks(FileHandle* stream, int32_t line, int32_t code, char* value,
                               void* user) noexcept;

// ---- In-memory operations on the context's drawing ---------------------------------

// One block of its own for every placement of every top-level INSERT.
void FilterFlattenInserts(DXFFilterContext& context) noexcept;
// Joins stacked TEXT lines into one TEXT (needs a non-empty separator).
void FilterJoinTexts(DXFFilterContext& context) noexcept;

// ---- Contour edits ---------------------------------------------------------------

// The POLYLINEs that line joining made, top-level items first; false when memory fails.
bool FilterBuildJoinedTable(DXFFilterContext& context) noexcept;
int32_t FilterContourEditPass(DXFFilterContext* context) noexcept;
// Rounds the corners of the list with fillet arcs of the radius (searched larger until
// the arcs are at least limit long), for corner angles from min_angle to max_angle.
void FilterFilletCorners(VertexListRec& list, double radius, double min_angle, double max_angle,
                         double limit) noexcept;

}

#endif
