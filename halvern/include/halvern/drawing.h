/*
 * The drawing record: the one container of a drawing, with its tables, item buffers,
 * contour table, item pool, visibility flags, highlight state and the mapping between
 * drawing units and the pixels of a view port.
 *
 * The caller owns the record: it sets it up with NewDXFDrawing, fills it through a
 * reader or by adding items, and releases its contents with FreeDXFDrawing, which keeps
 * the settings so that the record can be filled again.
 *
 * View-port mapping: one uniform scale (pixels per drawing unit), the window centred
 * along the other axis, and pixel y growing downwards while drawing y grows upwards.
 */
#ifndef HALVERN_DRAWING_H
#define HALVERN_DRAWING_H

#include "halvern/api.h"
#include "halvern/items.h"
#include "halvern/tables.h"
#include "halvern/types.h"
#include "osmark/geometry_types.h"
#include "osmark/memory.h"
#include "platform/win_types.h"

HALVERN_BEGIN_DECLS

/* One contour found by contouring. */
typedef struct ContourDataRec {
    uint32_t cd_Flags;          /* bit 0: an open chain */
    int32_t cd_ContourLevel;    /* nesting depth among closed contours, -1 unknown */
    int32_t cd_ParentContourID; /* containing contour one level up, -1 for none */
    Point3DRec cd_Min;          /* x and y extents; z 0 */
    Point3DRec cd_Max;
    int32_t cd_Dir;
    double cd_Area;
} ContourDataRec;

typedef struct ContourTableRec {
    int32_t ct_Max;
    int32_t ct_N;
    ContourDataRec* ct_Contours; /* AllocVec, owned by the drawing */
} ContourTableRec;

/* Bits of dxf_Flags. */
enum DXFDrawingFlags {
    DXFDrawMonochrome = 1,   /* everything in the pen colour except highlighted items */
    DXFDrawContoursOnly = 2  /* only items that belong to a contour */
};

/* Number of words in dxf_ItemFlags: one per item type 0 to 29. */
#define DXF_ITEM_TYPE_SLOTS 30
/* Bit of a dxf_ItemFlags word: the type is hidden from drawing, walking and extents. */
#define DXF_ITEM_TYPE_HIDDEN 1u

struct DXFBlockStackFrame;

struct DXFDrawingRec {
    Rectangle2DRec dxf_Window;
    Rectangle2DRec dxf_DrwgSize;   /* the window the mapping shows; also the extents */
    LineTypeTableRec dxf_LineTypeTable;
    LayerTableRec dxf_LayerTable;
    BlockIdentifierBufferRec dxf_BlockIdentifierBuffer;
    ItemBufferRec dxf_ItemBuffer;      /* top-level items in drawing order */
    ItemBufferRec dxf_BlockItemBuffer; /* BLOCK, members, ENDBLK runs in file order */
    uint32_t dxf_Flags;                /* DXFDrawingFlags */
    ContourTableRec dxf_ContourTable;
    uint32_t dxf_LastID;               /* last item id handed out; only grows */
    HDC dxf_Device;                    /* device context of the draw in progress */
    RectangleRec dxf_ViewSize;         /* view port in pixels */
    Rectangle2DRec dxf_DrwgViewSize;   /* visible window of the last draw */
    double dxf_XScale;                 /* pixels per drawing unit */
    double dxf_YScale;
    int32_t dxf_XOffset;               /* pixel offsets of the mapping */
    int32_t dxf_YOffset;
    uint32_t dxf_PenColour;
    uint32_t dxf_HighlightColour;      /* colour reference of highlighted items */
    HPEN dxf_CurrentPen;
    uint32_t dxf_ItemFlags[DXF_ITEM_TYPE_SLOTS];
    ItemRec* dxf_StepItem;             /* the top-level item a walk visits, else NULL */
    struct DXFBlockStackFrame* dxf_BlockStack; /* INSERT expansion frames, AllocVec */
    int32_t dxf_LabelPlace[5];         /* block-label positions, tried in order */
    Pool* dxf_Pool;                    /* items, comments and comment arrays */
};

/* Clears the record, sets the grow steps (line types 10, layers 25, blocks 50, both
 * item buffers 5000) and the label order 1, 2, 3, 4, 0; returns the drawing. */
HALVERN_API DXFDrawingRec* NewDXFDrawing(DXFDrawingRec* drawing) HALVERN_NOEXCEPT;
/* Releases the block labels, the tables, the buffers' pointer arrays, the contour
 * array, the block stack and the pool (and with it every item). Grow steps, mapping,
 * flags, label order and dxf_LastID stay. */
HALVERN_API void FreeDXFDrawing(DXFDrawingRec* drawing) HALVERN_NOEXCEPT;
/* The next item id (1 first); 0 for a NULL drawing. */
HALVERN_API uint32_t GetUniqueDXFID(DXFDrawingRec* drawing) HALVERN_NOEXCEPT;
/* The first item with that id, block items searched first; NULL when none. */
HALVERN_API ItemRec* GetDXFItem(DXFDrawingRec* drawing, uint32_t id) HALVERN_NOEXCEPT;
/* The item after the item with that id in the same buffer; NULL when the id is not
 * found or its item is the last one. */
HALVERN_API ItemRec* GetNextDXFItem(DXFDrawingRec* drawing, uint32_t id) HALVERN_NOEXCEPT;
/* The text after "UID=" (any case) of the item's first comment line that starts with
 * it, pointing into the line; NULL when none. */
HALVERN_API char* GetDXFUID(const ItemRec* item) HALVERN_NOEXCEPT;

/* Stores the window in dxf_DrwgSize and fits it into dxf_ViewSize (sorting the view
 * port's corners first). Nothing for a NULL drawing. */
HALVERN_API void SetDXFDrawingSize(DXFDrawingRec* drawing, double minX, double minY,
                                   double maxX, double maxY) HALVERN_NOEXCEPT;
/* Drawing units to whole view-port pixels, in place; nothing when a pointer is NULL. */
HALVERN_API void DXFDrawingToViewPort(DXFDrawingRec* drawing, double* x,
                                      double* y) HALVERN_NOEXCEPT;
/* View-port pixels to drawing units, in place; a coordinate whose scale is within
 * 1e-6 of 0 becomes 0. Nothing when a pointer is NULL. */
HALVERN_API void ViewPortToDXFDrawing(DXFDrawingRec* drawing, double* x,
                                      double* y) HALVERN_NOEXCEPT;
/* Scales (optional), rotates (cosA, sinA) and then offsets (optional) a point in
 * place. Nothing when handle, x or y is NULL. */
HALVERN_API void DXFMapPoint(const void* handle, const Point2DRec* offset,
                             const Point2DRec* scale, double cosA, double sinA, double* x,
                             double* y) HALVERN_NOEXCEPT;

/* Sets dxf_HighlightColour and returns the previous one; 0 for a NULL drawing. */
HALVERN_API uint32_t SetDXFHighlightColour(DXFDrawingRec* drawing,
                                           uint32_t colour) HALVERN_NOEXCEPT;
/* Highlights the INSERTs of blockName (any case), else the INSERT insert, else item.
 * 1 when an item newly got the highlight, else 0. */
HALVERN_API int32_t HighlightDXF(DXFDrawingRec* drawing, const char* blockName,
                                 const ItemRec* insert, const ItemRec* item) HALVERN_NOEXCEPT;
/* Clears every highlight; 1 when an item had one. */
HALVERN_API int32_t ClearDXFHighlight(DXFDrawingRec* drawing) HALVERN_NOEXCEPT;
/* Highlights every item of the contour; 1 when an item newly got the highlight. */
HALVERN_API int32_t HighlightDXFContour(DXFDrawingRec* drawing,
                                        int32_t contourID) HALVERN_NOEXCEPT;
/* Stores the five block-label positions in the order to try; returns the drawing
 * (NULL for a NULL drawing). */
HALVERN_API DXFDrawingRec* SetBlockLabelOrder(DXFDrawingRec* drawing, int32_t p1, int32_t p2,
                                              int32_t p3, int32_t p4,
                                              int32_t p5) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
