// The DXF entity parser: one entity of a DXF file into one item of a drawing.
#ifndef HALVERN_MODEL_DXF_ENTITY_PARSER_H
#define HALVERN_MODEL_DXF_ENTITY_PARSER_H

#include <cstdint>

#include "halvern/drawing.h"
#include "halvern/items.h"
#include "dxf_group_reader.h"
#include "osmark/files.h"

namespace halvern {

// The indexes that the entity parser found last for a layer name, a line-type name and
// a block name. Entities on one layer or line type, and INSERTs of one block, follow
// each other in most files: the index found last is tried before the table is searched.
// Names are unique in the tables and the block list, so a name found at that index is
// the answer the search would give; an index that no longer fits (another drawing) is
// only a miss. The drawing reader keeps them from one entity to the next.
struct DXFEntityLookups {
    int32_t layer = 0;
    int32_t line_type = 0;
    int32_t block = 0;
};

// Reads the entity whose name the value buffer holds (its 0 group was just read) up to
// the next 0 group, builds its item from dxf_Pool and appends it to target with
// AddItem. Points are taken relative to (offsetX, offsetY, offsetZ), the base point of
// the block being read; angles arrive in degrees and are stored in radians.
//
// value is the reader's shared buffer of DXF_GROUP_VALUE_SIZE bytes; encoding is the
// result of DXFDetectBinary; vertexList is the reader's scratch list for polylines and
// splines. Returns 0, reading nothing, when the name is not an entity the parser
// knows; else 1, with the value of the next 0 group in the buffer, or an empty buffer
// when the groups ran out (the entity cut off by the end then makes no item). When an
// item cannot be created or added, *result becomes -1.
int32_t DXFReadEntity(DXFDrawingRec* drawing, int32_t encoding, char* value,
                                           double offsetX, double offsetY, double offsetZ,
                                           VertexListRec* vertexList, int32_t* result,
                                           ItemBufferRec* target, FileHandle* stream) noexcept;

// DXFReadEntity over the reader's group stream, whose current group is the entity's 0
// group: the drawing reader's way, which keeps the stream's state (numbers read where
// they lie, the end of the groups) and the lookups from one entity to the next.
// Afterwards the current group is the 0 group that ended the entity, or the groups
// have ended.
int32_t DXFReadEntity(DXFDrawingRec* drawing, DXFGroupStream& groups, const Point3DRec& offset,
                      VertexListRec* vertexList, int32_t* result, ItemBufferRec* target,
                      DXFEntityLookups& lookups) noexcept;

// The x and y extents of a polyline into min and max (their z 0): every vertex, and
// for each bulged segment the points of its arc at 0, pi/2, pi and 3pi/2 that the arc
// passes. (0, 0) for no vertices.
void DXFPolylineCorners(const VertexRec* vertices, int32_t count,
                                             Point3DRec* min, Point3DRec* max) noexcept;

}

#endif
