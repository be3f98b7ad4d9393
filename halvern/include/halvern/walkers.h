/*
 * Item walkers: every visible item of a drawing in drawing order, with block insertions
 * expanded into placed copies of the blocks' members.
 *
 * Placement. An INSERT places its block's members by, in this order: its scales, its
 * rotation (about the block's origin), the translation to its insertion point plus the
 * block's base point and the array offset of the cell, and last its extrusion (the
 * arbitrary-axis matrix of in_Extrusion, when that is not the world z axis). A nested
 * INSERT is placed inside its enclosing block the same way, and the enclosing
 * placement then applies to the result: rotations, scales, mirrors and extrusions of
 * every level compose, as DXF defines. Rectangular arrays step along in_RowAngle and
 * in_ColumnAngle, circular arrays around in_CircCentre.
 *
 * Placed copies are complete items of their type in drawing coordinates, with the head
 * of the member they come from. An ARC whose placement is not a similarity (unequal
 * scales) arrives as the ELLIPSE that is its exact image; a mirroring placement keeps
 * every arc counter-clockwise by exchanging its ends, negates polyline bulges and turns
 * text upside down. Copies live only while the callback runs: keep one with CopyItem.
 *
 * One walk at a time per drawing: a walk writes dxf_StepItem, the frames of
 * dxf_BlockStack and the placement fields of the BLOCK items it enters.
 */
#ifndef HALVERN_WALKERS_H
#define HALVERN_WALKERS_H

#include <stdint.h>

#include "halvern/api.h"
#include "halvern/drawing.h"
#include "halvern/geometry.h"
#include "halvern/items.h"
#include "halvern/types.h"
#include "osmark/geometry_types.h"

HALVERN_BEGIN_DECLS

/* Walk modes. */
enum DXFWalkMode {
    DXFWalkAll = 0,            /* every visible item; POLYLINEs split into LINEs and ARCs */
    DXFWalkBlocksOnly = 1,     /* inside INSERTs only the BLOCK item of each placement */
    DXFWalkWholePolylines = 2  /* POLYLINEs whole, unless a placement is no similarity */
};

/* Callback results. Any other value goes on. */
enum DXFStepResult {
    DXFStepContinue = 0,
    DXFStepStop = 1,        /* ends the whole walk at once */
    DXFStepEndPolyline = 2  /* skips the remaining segments of the polyline being split */
};

/*
 * insert: NULL for a top-level item, else the INSERT record of the level being
 * expanded. item: the drawing's own record (top-level items, BLOCK, ENDBLK and the
 * member types that have no placement) or a placed copy valid during the call.
 */
typedef int32_t (*DXFStepCallback)(ItemRec* insert, ItemRec* item, void* user);

/* One placement of an INSERT: where the block's origin goes, the INSERT's scales and
 * the rotation in radians. A result of 1 stops. */
typedef int32_t (*DXFPlacementCallback)(ItemRec* insert, Point3DRec* position,
                                        Point3DRec* scales, double rotation, void* user);

/*
 * The state of one level of INSERT expansion, kept in dxf_BlockStack (an AllocVec
 * block freed by FreeDXFDrawing). Element 0 of that block is the stack's own record:
 * its bs_Index holds the number of frames that follow it; frame 1 is the outermost
 * level. The stack grows when expansions nest deeper than it has frames.
 */
typedef struct DXFBlockStackFrame {
    ItemRec* bs_Insert;         /* the INSERT this level expands */
    ItemRec* bs_Item;           /* the member being visited */
    Point3DRec bs_Translation;  /* where the current placement puts the block's origin,
                                   in drawing coordinates */
    Point3DRec bs_Scale;        /* the INSERT's scales times those of the enclosing levels */
    DXFMatrixRec bs_Matrix;     /* arbitrary-axis matrix of the INSERT's own extrusion */
    int32_t bs_MatrixValid;     /* 1 when bs_Matrix takes part in the placement */
    double bs_Rotation;         /* the placement's rotation plus those of the enclosing
                                   levels, radians */
    double bs_Cos;              /* of bs_Rotation, exact at quarter turns */
    double bs_Sin;
    int32_t bs_Index;           /* next member to visit in dxf_BlockItemBuffer, -1 once
                                   the placement is done */
    int32_t bs_BlockIndex;      /* the block's BLOCK item */
    Point3DRec bs_Base;         /* bk_Base of the BLOCK item */
    int32_t bs_Inner;           /* placement counters: row (or circular step) and column */
    int32_t bs_Outer;
    union {
        struct { /* rectangular array, in the INSERT's own coordinates */
            int32_t bs_InnerCount;  /* rows */
            int32_t bs_OuterCount;  /* columns */
            Point2DRec bs_InnerStep;
            Point2DRec bs_OuterStep;
            Point3DRec bs_RowStart;  /* the first cell's translation */
        };
        struct { /* circular array */
            double bs_StepAngle;  /* |in_CircStep| */
            double bs_StepCos;
            double bs_StepSin;    /* signed like in_CircStep */
            double bs_DirCos;     /* from the centre towards the current placement */
            double bs_DirSin;
        };
    };
    double bs_EnclosingRotation;  /* bs_Rotation of the enclosing level */
    DXFMatrixRec bs_Enclosing;    /* the enclosing level's placement: its block's
                                     coordinates to drawing coordinates */
    DXFMatrixRec bs_Placement;    /* the current placement: this block's coordinates to
                                     drawing coordinates */
} DXFBlockStackFrame;

/* Walks the top-level items of dxf_ItemBuffer: BLOCK ... ENDBLK runs are passed over,
 * items on layers that are off, of types hidden in dxf_ItemFlags or flagged hidden are
 * skipped, INSERTs expanded. Nothing for a NULL drawing or callback. */
HALVERN_API void StepDXFDrawing(DXFDrawingRec* drawing, int32_t mode, DXFStepCallback callback,
                                void* user) HALVERN_NOEXCEPT;
/* Expands one INSERT record (of the drawing or filled in by the caller: block index,
 * kind, point, scales, angles, counts, spacings and extrusion are read) as
 * StepDXFDrawing expands a top-level INSERT. Nothing when an argument is NULL. */
HALVERN_API void StepDXFBlock(DXFDrawingRec* drawing, ItemRec* insert, int32_t mode,
                              DXFStepCallback callback, void* user) HALVERN_NOEXCEPT;
/* Lists the placements of one INSERT (position of the block's origin, the INSERT's
 * scales, rotation) without visiting the block and without extrusion. Nothing when an
 * argument is NULL or in_BlockIndex names no BLOCK item. */
HALVERN_API void StepDXFInsertion(DXFDrawingRec* drawing, ItemRec* insert,
                                  DXFPlacementCallback callback, void* user) HALVERN_NOEXCEPT;
/* StepDXFDrawing in mode 0 that passes on only the items of one type; type 3 (INSERT)
 * passes the BLOCK item of every placement instead. */
HALVERN_API void StepDXFItemType(DXFDrawingRec* drawing, int32_t type, DXFStepCallback callback,
                                 void* user) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
