/*
 * The packed drawing file: a compact byte-level form of a drawing's line types,
 * layers, block definitions and top-level items of types 1 to 9 (BLOCK, ENDBLK,
 * INSERT, POINT, LINE, ARC, TEXT, POLYLINE, ELLIPSE).
 *
 * Every name and text is stored once in a string table and named by a 16-bit
 * ordinal; coordinates keep x and y only (z reads back as 0, INSERT scales as 1).
 * Layer, colour and line-type numbers of items are single bytes and name the same
 * table entries when the file is read into an empty drawing.
 *
 * All integers are little-endian; the layout is fixed byte for byte:
 *   u32 magic 0x19720001, u16 string-table size S, S bytes of NUL-terminated strings,
 *   then four sections (kind 2 line types, 1 layers, 3 block items, 4 top-level
 *   items), each a u8 kind, u32 total bytes and u32 record count, then its records.
 */
#ifndef HALVERN_PACKED_H
#define HALVERN_PACKED_H

#include <stdint.h>

#include "halvern/api.h"
#include "halvern/drawing.h"
#include "osmark/files.h"

HALVERN_BEGIN_DECLS

/* The first four bytes of every packed drawing file. */
#define DXF_PACKED_MAGIC 0x19720001u

/*
 * Writes the drawing to path. Everything is packed in memory first; the file is
 * created only when the whole drawing fits the format. Returns 0; -4 for a NULL
 * argument; -25 for what the format cannot hold (more than 255 layers or line types,
 * a line type of more than 255 dashes, an item type outside 1 to 9, an INSERT that is
 * a circular array, has more than 255 rows or columns, a scale other than 1 or an
 * extrusion other than (0, 0, 1), a TEXT with an oblique angle, a POLYLINE of more
 * than 2730 vertices, a BLOCK without block name, a string table of 0xFFFF bytes or
 * more); -1 when memory runs out; -13 when the file cannot be created; -24 when it
 * cannot be written completely.
 */
HALVERN_API int32_t DXFCreatePackedFile(DXFDrawingRec* drawing, const char* path) HALVERN_NOEXCEPT;

/*
 * Reads a packed drawing file into the drawing, adding to what it holds. Returns 0;
 * -4 for a NULL argument; -12 when the file cannot be opened; otherwise the result of
 * ReadAPackedDXFFileFP.
 */
HALVERN_API int32_t ReadPackedDXF(const char* path, DXFDrawingRec* drawing) HALVERN_NOEXCEPT;

/*
 * Reads a packed drawing held in memory (length bytes at buffer). A NULL buffer gives
 * 0 for length 0 and -4 otherwise; a NULL drawing -4; a length that no file handle
 * can serve (above 0x7FFFFFFF) -12. Otherwise the result of ReadAPackedDXFFileFP.
 */
HALVERN_API int32_t ReadAPackedDXFFileMem(const void* buffer, uint32_t length,
                                          DXFDrawingRec* drawing) HALVERN_NOEXCEPT;

/*
 * Reads a packed drawing from an open handle positioned at its magic. The whole file
 * is loaded and checked before anything is applied: a missing or wrong magic, a
 * truncated file, a section of the wrong kind or size, a record whose length does not
 * match its type, an ordinal beyond the string table or a layer or line-type number
 * beyond the file's tables give -25 and leave the drawing unchanged; -4 for a NULL
 * argument. Memory that runs out gives -1 (before applying: the drawing unchanged;
 * while applying: what was added stays). 0 on success.
 */
HALVERN_API int32_t ReadAPackedDXFFileFP(FileHandle* handle, DXFDrawingRec* drawing) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
