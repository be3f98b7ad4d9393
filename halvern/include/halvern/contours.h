/*
 * Contouring and joining: chains of LINE, ARC, POLYLINE, ELLIPSE and SPLINE items that
 * meet end to end, numbered as contours in the drawing's contour table, with their
 * nesting; and the joining of each contour's LINEs, ARCs and POLYLINEs into one new
 * POLYLINE.
 *
 * Contouring replaces the previous contour table (ct_N starts at 0, every ih_ContourID
 * at -1). Chaining works layer by layer, the members of each block separately from the
 * entities. Items of a chain may be reversed in place and, with snap, their ends moved
 * onto their neighbours'. Joining adds POLYLINEs (ih_Flags bit 4) in front of each
 * chain's first item and marks the joined items excluded (bit 3).
 *
 * Tolerances are absolute drawing units in x and y; 0 or less acts as 1e-6. The progress
 * callback gets the operation code (200 contouring, 500 joining), a whole percentage and
 * the caller's user pointer; any non-zero result cancels, and the entry point returns
 * it. What was done before a cancel stays in the drawing.
 */
#ifndef HALVERN_CONTOURS_H
#define HALVERN_CONTOURS_H

#include <stdint.h>

#include "halvern/api.h"
#include "halvern/drawing.h"

HALVERN_BEGIN_DECLS

/* Operation codes passed to the progress callback. */
enum DXFProgressCode {
    DXFProgressContouring = 200,
    DXFProgressJoining = 500
};

/* Called whenever the whole percentage of the work changes; non-zero cancels. */
typedef int32_t (*DXFProgressCallback)(int32_t code, int32_t percent, void* user);

/*
 * Chains the items into contours. tolerance: how close ends must be to meet; snap
 * non-zero moves chained ends exactly onto each other; builder non-zero uses the two-run
 * builder, 0 the branch-aware one; levels non-zero also sets cd_ContourLevel (closed
 * contours containing the contour) and cd_ParentContourID. Returns 0, or the non-zero
 * value the progress callback cancelled with; 0 for a NULL drawing.
 */
HALVERN_API int32_t ContourDXFDrawingEx(DXFDrawingRec* drawing, double tolerance, int32_t snap,
                                        int32_t builder, int32_t levels,
                                        DXFProgressCallback progress,
                                        void* user) HALVERN_NOEXCEPT;
/* ContourDXFDrawingEx with levels. */
HALVERN_API int32_t ContourDXFDrawing(DXFDrawingRec* drawing, double tolerance, int32_t snap,
                                      int32_t builder, DXFProgressCallback progress,
                                      void* user) HALVERN_NOEXCEPT;

/*
 * Joins the items of every contour of the table (as the last contouring left it) into
 * POLYLINEs: closed non-zero joins closed chains, open non-zero open ones. Ends are
 * always snapped. A contour holding an ELLIPSE or a SPLINE is not joined. Returns 0 or
 * the cancelling value; 0 for a NULL drawing or an empty contour table.
 */
HALVERN_API int32_t DXFLinesArcsToPolylines(DXFDrawingRec* drawing, double tolerance,
                                            int32_t closed, int32_t open, int32_t builder,
                                            DXFProgressCallback progress,
                                            void* user) HALVERN_NOEXCEPT;

/* Contouring with snap and the two-run builder, then joining of every chain; returns
 * the joining's result. */
HALVERN_API int32_t DXFDrawingReadyForFilling(DXFDrawingRec* drawing,
                                              double tolerance) HALVERN_NOEXCEPT;

/*
 * The extents (x and y) of the visible items whose ih_ContourID is contour, INSERTs
 * expanded, into dxf_DrwgSize; a negative contour measures every item as
 * CalcDXFDrawingSize does. (0, 0)-(0, 0) when nothing contributes.
 */
HALVERN_API void CalcDXFContourSize(DXFDrawingRec* drawing, int32_t contour) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
