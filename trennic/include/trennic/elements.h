/*
 * Element records: the length-prefixed records in which part, nest and symbol files
 * store their geometry, and their conversion into drawing items.
 *
 * A record is kept as its file bytes, little-endian, and read field by field. Every
 * record begins with a head: u32 total length in bytes (this word included, 5 to
 * 1024), i32 kind, u32 colour code (0 to 15), u32 line-type code (low 4 bits), u32
 * layer id (0 the part's base layer) and u32 flags, whose bits 1 to 4 hold the state
 * (2 deleted; 15 read as 2). The fields of each kind follow at fixed offsets of the
 * current layout (files from version 15.2 on); UpgradeElement brings records of older
 * files to it.
 *
 * Every function reads no byte of a record beyond the length its head gives, and a
 * name or text never beyond its field.
 */
#ifndef TRENNIC_ELEMENTS_H
#define TRENNIC_ELEMENTS_H

#include <stdint.h>

#include "halvern/drawing.h"
#include "trennic/api.h"
#include "trennic/geometry.h"

TRENNIC_BEGIN_DECLS

/* The longest element record, in bytes. */
#define QX_ELEMENT_MAX_LENGTH 1024

/* An element record's bytes; the first length bytes (its head's first word) count. */
typedef struct QXElementRec {
    uint8_t qe_Bytes[QX_ELEMENT_MAX_LENGTH];
} QXElementRec;

/* Element kinds that become items or brackets. Every other kind is machine tooling. */
enum QXElementKinds {
    QXElementLine = -10, /* a line, or with part flag 0 a construction line */
    QXElementCircle = -20,
    QXElementArc = -30,
    QXElementText = 7,
    QXElementArray = 8, /* rectangular array of block placements */
    QXElementCircularArray = 9,
    QXElementPlacement = 10, /* one block placement */
    QXElementBlockBegin = 1000,
    QXElementBlockEnd = 1001
};

/*
 * Writes the current layout of a record read from a file older than version 15.2 into
 * the 1024-byte new record. Kinds 8, 9, 10, 11, 17, 117 to 123, 130, 140, 215 and 1000
 * held their (last) name in 33 bytes instead of 78, so everything behind it moves 45
 * bytes on; the new record has the kind's current length, in its first and in its
 * last four bytes. Old bytes that the current length has no room for are dropped, and
 * bytes an old record lacks stay 0. Any other kind is copied as it is.
 * Returns the new record's length; 0 for a NULL argument or an old length outside
 * 5 to 1024 (nothing written).
 */
TRENNIC_API int32_t UpgradeElement(const QXElementRec* oldRecord,
                                   QXElementRec* newRecord) TRENNIC_NOEXCEPT;

/*
 * Makes the drawing item of one record (current layout) from the drawing's pool and
 * appends it to buffer (dxf_ItemBuffer or dxf_BlockItemBuffer of the drawing):
 * kind -10 a LINE, or an XLINE on layer "Construction" when its part flag is 0; -20 a
 * full circle and -30 an arc (ARC items running counter-clockwise; on "Construction"
 * with part flag 0); 7 a TEXT; 8, 9 and 10 an INSERT of a block the drawing already
 * knows by name (none for an unknown block). The layer is named after the record's
 * layer id in decimal; colour codes 0 to 15 map to DXF colour numbers (a code above 15
 * gives 256, the layer's colour), line-type codes to line-type indices 0 to 4.
 * Returns 0 when the item could not be made or added (memory, a drawing without a
 * pool, a NULL drawing or buffer), else 1: also when the record makes no item (another
 * kind, an unknown block, a NULL record or one too short for its kind).
 */
TRENNIC_API int32_t ElementToItem(DXFDrawingRec* drawing, ItemBufferRec* buffer,
                                  const QXElementRec* record) TRENNIC_NOEXCEPT;

/* ORs the tooling bits of the record's kind into kl_HasTooling of its layer: the first
 * layer, machine by machine, whose kl_ID is the record's layer id, or kz_BaseLayer for
 * layer id 0. Nothing when no layer matches or an argument is NULL. */
TRENNIC_API void MarkLayerTooling(QXGeometryRec* geometry,
                                  const QXElementRec* record) TRENNIC_NOEXCEPT;

TRENNIC_END_DECLS

#endif
