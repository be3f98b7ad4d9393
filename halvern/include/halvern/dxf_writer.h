/*
 * The DXF writer: a drawing, one of its blocks or a single item as an ASCII DXF file.
 *
 * Dialects, chosen by a version number: 2005 and 2010 write a complete "AC1018" file
 * (a fixed header, one class, every symbol table with handles and subclass markers, a
 * fixed objects section; 2010 also adds the layer "0" when the drawing has none); any
 * other number writes the minimal dialect of version 0: line types, layers, blocks and
 * entities, without handles.
 *
 * Text of the file. A group is its code right-aligned in three characters, CR LF, its
 * value, CR LF. Reals carry ten decimals with the trailing zeros removed (one is kept
 * after the point: 0 is "0.0"); angles are written in degrees where DXF has degrees and
 * in radians where it has radians (ELLIPSE parameters). Block members are held relative
 * to their block's base point, so every block is written with the base point 0,0,0.
 *
 * Handles come from a counter of the calling thread that WriteDXFSections (and with it
 * WriteDXFVersion and WriteDXF) sets to 100, hex "64", when it starts; the block and
 * item writers and direct calls of WriteDXFEntity on that thread continue from where
 * its last file left it. The writers are not re-entrant; threads may write files at the
 * same time.
 *
 * Results of the file writers: 0; -4 (IoErrRequiredArgMissing) for a missing argument;
 * -12 (IoErrObjectNotFound) when the path cannot be opened for writing, nothing written;
 * -24 (IoErrBadIO) when a write, the final flush or the close fails. A file that
 * failed is removed again, unless it is no regular file (a device such as "NIL:" or a
 * pipe), so that no partial file passes for a good one.
 */
#ifndef HALVERN_DXF_WRITER_H
#define HALVERN_DXF_WRITER_H

#include <stdint.h>

#include "halvern/api.h"
#include "halvern/drawing.h"
#include "halvern/items.h"
#include "halvern/types.h"
#include "osmark/files.h"

HALVERN_BEGIN_DECLS

/* Bytes of the buffer that DXFFormatReal fills. */
#define DXF_REAL_BUFFER_SIZE 256

/* WriteDXFVersion(path, drawing, 0). */
HALVERN_API int32_t WriteDXF(const char* path, DXFDrawingRec* drawing) HALVERN_NOEXCEPT;

/* WriteDXFSections with every section. */
HALVERN_API int32_t WriteDXFVersion(const char* path, DXFDrawingRec* drawing,
                                    int32_t version) HALVERN_NOEXCEPT;

/*
 * Writes the drawing to path with the sections whose flag is non-zero, in the order
 * HEADER, CLASSES, TABLES, BLOCKS, ENTITIES, OBJECTS, then EOF. HEADER, CLASSES and
 * OBJECTS exist only in versions 2005 and 2010. Sets the handle counter to 100 first
 * (before the arguments are tested). -4 for a NULL path or drawing.
 */
HALVERN_API int32_t WriteDXFSections(const char* path, DXFDrawingRec* drawing, int32_t version,
                                     int32_t header, int32_t classes, int32_t tables,
                                     int32_t blocks, int32_t entities,
                                     int32_t objects) HALVERN_NOEXCEPT;

/* WriteDXFBlockVersion(..., 0). */
HALVERN_API int32_t WriteDXFBlock(const char* path, DXFDrawingRec* drawing, const char* name,
                                  const Point3DRec* point, const Point3DRec* scale,
                                  double rotation) HALVERN_NOEXCEPT;

/*
 * A block file: the block named name (any letter case; the first identifier that
 * matches) with its members, and one INSERT of it at point (NULL: 0,0,0) with the
 * scales scale (NULL: 1,1,1) and rotation (radians). -4 for a NULL drawing or a NULL
 * or empty path or name. When no block has that name nothing is written, no file is
 * made, and the result is 0. The handle counter is not reset.
 */
HALVERN_API int32_t WriteDXFBlockVersion(const char* path, DXFDrawingRec* drawing,
                                         const char* name, const Point3DRec* point,
                                         const Point3DRec* scale, double rotation,
                                         int32_t version) HALVERN_NOEXCEPT;

/*
 * One item as the only entity of a version-0 file. Written without drawing tables, so
 * it carries no layer or line-type group. The item is neither copied nor changed.
 * -4 for a NULL path or item.
 */
HALVERN_API int32_t WriteDXFItem(const char* path, const ItemRec* item) HALVERN_NOEXCEPT;

/*
 * Writes one item as one entity at the handle's position, or as the placed items of its
 * block for an INSERT that a DXF INSERT cannot express (a circular array, or an array
 * whose axes do not follow its rotation). The drawing supplies the layer and line-type
 * names and the blocks (NULL: no names, nothing for an exploded INSERT). Items with
 * the DXFItemExcluded flag and types without a DXF form here write nothing; so does a
 * NULL handle or item.
 *
 * WriteDXFEntity, WriteDXFGroup and WriteDXFHandle report a failed write through the
 * handle's FileFlagError flag, as Osmark's own writes do, and write nothing more once
 * that flag is set: test it (or the result of a final Flush and Close) after a run.
 */
HALVERN_API void WriteDXFEntity(FileHandle* handle, DXFDrawingRec* drawing, const ItemRec* item,
                                int32_t version) HALVERN_NOEXCEPT;

/* One group: the code ("%3ld"), CR LF, text (NULL writes an empty value), CR LF. */
HALVERN_API void WriteDXFGroup(int32_t code, FileHandle* handle, const char* text) HALVERN_NOEXCEPT;

/* Group 5 with the handle counter in upper-case hexadecimal; the counter then grows. */
HALVERN_API void WriteDXFHandle(FileHandle* handle) HALVERN_NOEXCEPT;

/*
 * value with ten decimals, trailing zeros removed and one kept after the point, into
 * buffer (DXF_REAL_BUFFER_SIZE bytes); returns buffer (NULL for a NULL buffer).
 * Values of magnitude 1e243 and above, whose digits would not fit, are written in
 * exponent form ("1.5E+250").
 */
HALVERN_API char* DXFFormatReal(char* buffer, double value) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
