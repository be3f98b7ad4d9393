/*
 * The IGES reader: drawings from the fixed-format ASCII form of IGES (80-column
 * records, the section letter in column 73; line ends after a record are optional).
 *
 * Directory entries are converted in file order into items appended to the drawing:
 * lines (110), circular arcs (100), axis-aligned conic ellipses (104), copious data
 * as polylines (106), parametric splines as lines and arcs (112), rational B-spline
 * curves (126), points (116) and notes (212); composite curves (102) as their
 * members; subfigure definitions (308) as blocks and singular subfigure instances
 * (408) as INSERTs; trimmed surfaces (144) as composite items carrying their surface
 * (108, 118, 120, 122, 128) and boundary curves (142). Nothing already in the drawing
 * is removed; its extents and view are not touched.
 *
 * IGES levels become layers named by the level number ("0", "1", ...); line fonts
 * and colour numbers map to line-type indexes and DXF colour numbers.
 */
#ifndef HALVERN_IGES_H
#define HALVERN_IGES_H

#include <stdint.h>

#include "halvern/api.h"
#include "halvern/drawing.h"

HALVERN_BEGIN_DECLS

/* Called once for every directory entry of a type that the reader does not convert,
 * with the entity type and the caller's user pointer; its result is not used. */
typedef int32_t (*IGESEntityCallback)(int32_t type, void* user);

/* Units argument of ReadIGESFull. */
enum IGESUnits {
    IGESUnitsAsRead = 0,   /* no conversion */
    IGESUnitsInchToMm = 1, /* a file in inches (unit flag 1) is read in millimetres */
    IGESUnitsMmToInch = 2  /* a file in millimetres (unit flag 2) is read in inches */
};

/*
 * Reads the IGES file at path into the drawing.
 *
 * topLevel: when not 0, physically dependent entries (subordinate switch 1) are
 * converted only through the entry that references them, and composite curves (102)
 * convert their members; when 0, every entry converts on its own and 102 converts
 * nothing. callback may be NULL.
 *
 * Returns 0; -4 for a NULL path or drawing; -12 when the file cannot be opened; -22
 * for the binary or compressed form; -25 for a malformed file (no global section, a
 * record out of place, the end of the file before the terminate record, a parameter
 * pointer or line count out of range, more reference work than a well-formed file of
 * its size can need); -24 when the file cannot be repositioned; -1 when memory runs
 * out; 1 when a transformation matrix that an entry names cannot be read. Items
 * converted before a failure stay in the drawing.
 */
HALVERN_API int32_t ReadIGESFull(const char* path, DXFDrawingRec* drawing, int32_t units,
                                 int32_t topLevel, IGESEntityCallback callback,
                                 void* user) HALVERN_NOEXCEPT;
/* ReadIGESFull(path, drawing, IGESUnitsAsRead, 1, NULL, NULL). */
HALVERN_API int32_t ReadIGES(const char* path, DXFDrawingRec* drawing) HALVERN_NOEXCEPT;
/* ReadIGESFull(path, drawing, units, 1, NULL, NULL). */
HALVERN_API int32_t ReadIGESUnits(const char* path, DXFDrawingRec* drawing,
                                  int32_t units) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
