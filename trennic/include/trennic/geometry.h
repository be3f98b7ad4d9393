/*
 * The geometry record, which holds one part, and the reader of the maker's part files
 * (".KZV").
 *
 * The caller owns the record: it sets it up with QX_NewGeometry, loads one part into
 * it, reads it, and releases its contents with QX_FreeGeometry, which leaves it set up
 * and empty again. The record owns its material name, its machine table
 * (trennic/machines.h) and everything in kz_Drawing (tables, items, pool).
 *
 * A part file is little-endian: a 128-byte header (format id, file kind 0x01010101,
 * major, minor and, from major version 14, maintenance version), from version 3 a
 * 256-byte material header, then five sections (layer definitions, two sections the
 * reader steps over, block definitions and the part's elements, each element a
 * length-prefixed record, trennic/elements.h), then text lines with machine and
 * common-cut data to the end of the file.
 *
 * The version number is major + minor / 100 + maintenance / 10000; "version V or
 * later" means version - V > -1e-6.
 */
#ifndef TRENNIC_GEOMETRY_H
#define TRENNIC_GEOMETRY_H

#include <stdint.h>

#include "halvern/drawing.h"
#include "osmark/files.h"
#include "trennic/api.h"
#include "trennic/machines.h"

TRENNIC_BEGIN_DECLS

/* Format ids that the format check accepts (offset 0 of both headers). */
#define QX_FORMAT_ID_1 0x55AA55AAu
#define QX_FORMAT_ID_2 0x55AA1610u
#define QX_FORMAT_ID_3 0x55AA1520u
#define QX_FORMAT_ID_4 0x55AA1571u
/* The file-kind word (offset 52 of the first header) of a part file. */
#define QX_FILE_KIND_PART 0x01010101u
/* The marker in front of every section; section A may also begin with the second. */
#define QX_SECTION_MARKER 0x55AA55AAu
#define QX_SECTION_A_MARKER 0x55AAAA55u

/* Bits of the loaders' flags. */
enum QXLoadFlags {
    QXLoadDrawing = 1, /* build the drawing in kz_Drawing */
    QXLoadMachines = 2 /* build the machine table from the layer definitions and mark the
                          tooling of its layers */
};

/* One part. Every field is 0 after QX_NewGeometry except kz_Drawing, which is set up. */
struct QXGeometryRec {
    int32_t kz_Version;       /* major version of the file read */
    int32_t kz_Revision;      /* minor version */
    int32_t kz_MaintRev;      /* maintenance version; 0 for major versions below 14 */
    DXFDrawingRec kz_Drawing; /* block definitions in dxf_BlockItemBuffer, the part's
                                 items in dxf_ItemBuffer, all from dxf_Pool */
    char* kz_MaterialName;    /* AllocStr, NULL when the file has no material header */
    double kz_MaterialThickness;
    double kz_Clearance;
    int32_t kz_Rotations;     /* allowed rotations code, 0 to 15 */
    int32_t kz_UseRAS;        /* 0 or 1 */
    int32_t kz_Clusters;      /* cluster code, 0 to 7 */
    int32_t kz_FindBestAngle; /* 0 or 1 */
    uint16_t kz_RotationAngleTolerance;
    QXCommonCutNestDataRec kz_CommonCutNestData;
    QXLayerRec kz_BaseLayer; /* the layer of elements with layer id 0 */
    int32_t kz_NumMachines;
    QXMachineRec* kz_Machines; /* the machine table, see trennic/machines.h */
};

/* Fills the record with zero and sets up kz_Drawing with NewDXFDrawing. Returns the
 * record; nothing for NULL. */
TRENNIC_API QXGeometryRec* QX_NewGeometry(QXGeometryRec* geometry) TRENNIC_NOEXCEPT;

/* Frees the material name, the machine names and the machine table, releases the
 * drawing with FreeDXFDrawing, then sets the record up as QX_NewGeometry does. The
 * record's own memory stays the caller's. Nothing for NULL. */
TRENNIC_API void QX_FreeGeometry(QXGeometryRec* geometry) TRENNIC_NOEXCEPT;

/* 0 for the four accepted format ids; 2 for another id whose upper 16 bits are 0x55AA;
 * 1 for every other id. */
TRENNIC_API int32_t CheckFormatID(uint32_t id) TRENNIC_NOEXCEPT;

/*
 * Reads a part file from an open handle (which stays open; it is read to its end).
 * flags: QXLoadFlags. Without QXLoadDrawing the drawing is not touched, but the file
 * is read and checked as far as with it. The text lines at the end of the file are
 * applied whatever the flags: they set the part's common-cut parameters and mark, fill
 * and add machines.
 *
 * The whole file is checked before the record changes. On success the record holds
 * the file's version and material fields (no material header: name NULL, every option
 * 0), its common-cut parameters and, with QXLoadMachines, the machine table of its
 * layer definitions (the old table and its names freed). With QXLoadDrawing the
 * blocks and elements are added to kz_Drawing (a pool created when it has none), only
 * layer "0" is left visible (every other layer from index 1 on is switched off),
 * dxf_DrwgSize holds the extents of the visible lines, arcs and polylines and every
 * item-type flag of dxf_ItemFlags ends cleared.
 *
 * Returns 0; -4 for a NULL argument; -24 for a short header, marker, count, record or
 * length word, an element length outside 5 to 1024 or an element too short for its
 * kind; -25 for a format id that CheckFormatID refuses or a wrong section marker; -32
 * when the file kind is not a part; -1 when memory fails. On failure the record is as
 * it was before the call.
 */
TRENNIC_API int32_t QX_LoadGeometryInfoFP(FileHandle* handle, QXGeometryRec* geometry,
                                          uint32_t flags) TRENNIC_NOEXCEPT;
/* QX_LoadGeometryInfoFP with flags QXLoadDrawing. */
TRENNIC_API int32_t QX_LoadGeometryFP(FileHandle* handle, QXGeometryRec* geometry) TRENNIC_NOEXCEPT;

/* Opens the file (Osmark's Open, read mode), reads it with QX_LoadGeometryInfoFP and
 * closes it. -4 for a NULL name or record; -12 when the file cannot be opened. */
TRENNIC_API int32_t QX_LoadGeometryInfo(const char* name, QXGeometryRec* geometry,
                                        uint32_t flags) TRENNIC_NOEXCEPT;
/* QX_LoadGeometryInfo with flags QXLoadDrawing. */
TRENNIC_API int32_t QX_LoadGeometry(const char* name, QXGeometryRec* geometry) TRENNIC_NOEXCEPT;

/* Reads a part file held in memory (size bytes at buffer, which is not changed)
 * through a memory-backed file handle. A NULL buffer gives 0 for size 0 (the record
 * untouched) and -4 otherwise; a NULL record -4; a size that a file handle cannot
 * serve (above 0x7FFFFFFF) -24. Otherwise the result of QX_LoadGeometryInfoFP. */
TRENNIC_API int32_t QX_LoadGeometryInfoMem(const void* buffer, uint32_t size,
                                           QXGeometryRec* geometry,
                                           uint32_t flags) TRENNIC_NOEXCEPT;
/* QX_LoadGeometryInfoMem with flags QXLoadDrawing. */
TRENNIC_API int32_t QX_LoadGeometryMem(const void* buffer, uint32_t size,
                                       QXGeometryRec* geometry) TRENNIC_NOEXCEPT;

TRENNIC_END_DECLS

#endif
