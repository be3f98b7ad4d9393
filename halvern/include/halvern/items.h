/*
 * Items: the graphical elements of a drawing, and the buffers that hold them in order.
 *
 * An item is one memory block: the head ItemHeaderRec, the payload record of its type
 * and any trailing data (TEXT: the text; POLYLINE: the vertices beyond the first;
 * SPLINE: the points beyond the first, then the knots, then the weights). A copy of
 * ih_ItemSize bytes copies all of it; only tx_Text, sp_Knots, sp_Weights and the
 * member lists of a composite point elsewhere. Comment lines, comment arrays and the
 * members of composites are separate blocks of the same pool.
 *
 * Items of a drawing come from its pool (dxf_Pool) and go when the pool is deleted;
 * buffers hold item pointers but do not own the items.
 *
 * Coordinates are drawing units, angles radians, directions 1 counter-clockwise and
 * -1 clockwise.
 */
#ifndef HALVERN_ITEMS_H
#define HALVERN_ITEMS_H

#include "halvern/api.h"
#include "halvern/types.h"
#include "osmark/memory.h"
#include "osmark/paged_array.h"

HALVERN_BEGIN_DECLS

/* Item types (ih_ItemType). Types 13, 14, 16, 17 and 23 to 27 carry only their head;
 * 12, 15, 18, 19, 20 and 22 have no payload. */
enum DXFItemType {
    DXFItemBlock = 1,
    DXFItemEndBlock = 2,
    DXFItemInsert = 3,
    DXFItemPoint = 4,
    DXFItemLine = 5,
    DXFItemArc = 6,
    DXFItemText = 7,
    DXFItemPolyline = 8,
    DXFItemEllipse = 9,
    DXFItemSpline = 10,
    DXFItem3DFace = 11,
    DXFItemSolid3D = 12,
    DXFItemAttDef = 13,
    DXFItemAttrib = 14,
    DXFItemBody = 15,
    DXFItemDimension = 16,
    DXFItemLeader = 17,
    DXFItemMLine = 18,
    DXFItemMText = 19,
    DXFItemOleFrame = 20,
    DXFItemRay = 21,
    DXFItemRegion = 22,
    DXFItemShape = 23,
    DXFItemSolid = 24,
    DXFItemTolerance = 25,
    DXFItemTrace = 26,
    DXFItemViewport = 27,
    DXFItemXLine = 28,
    DXFItemComposite = 29
};

/* Bits of ih_Flags. */
enum DXFItemFlags {
    DXFItemPicked = 1,
    DXFItemHidden = 2,      /* skipped by drawing, walks and extents */
    DXFItemHighlighted = 4,
    DXFItemExcluded = 8,    /* replaced by another item; not drawn, written or measured */
    DXFItemJoined = 16      /* a POLYLINE that chaining built */
};

typedef struct ItemHeaderRec {
    int32_t ih_ItemSize;   /* bytes of the whole block, trailing data included */
    int32_t ih_ItemType;   /* DXFItemType */
    uint32_t ih_ID;        /* unique within the drawing; 0 until added to one */
    int32_t ih_Layer;      /* index into dxf_LayerTable */
    uint32_t ih_Flags;     /* DXFItemFlags */
    int32_t ih_Colour;     /* DXF colour number, 0 when the source names none */
    int32_t ih_LineType;   /* index into dxf_LineTypeTable */
    double ih_Height;      /* DXF thickness */
    Point3DRec ih_Extrusion;
    uint32_t ih_Space;
    int32_t ih_ContourID;  /* index into dxf_ContourTable, -1 for none */
    int32_t ih_Line;       /* where the entity began in its file, -1 when not read */
    int32_t ih_NumComments;
    char** ih_Comments;    /* array and strings from the drawing's pool */
} ItemHeaderRec;

/* An ordered list of items; ib_Size is the grow step. The buffer does not own the
 * items. */
typedef struct ItemBufferRec {
    int32_t ib_Size;
    int32_t ib_Max;
    int32_t ib_N;
    ItemRec** ib_Items;
} ItemBufferRec;

/* BLOCK: first item of a block definition in dxf_BlockItemBuffer. The placement fields
 * are written by the walkers each time they enter the block. */
typedef struct BlockRec {
    Point3DRec bk_Base;
    Point3DRec bk_Offset;
    Point3DRec bk_Scale;
    double bk_Rotation;
    double bk_Cos;
    double bk_Sin;
} BlockRec;

/* INSERT: a placement, or an array of placements, of a block. The rectangular and the
 * circular arrangement share their storage; in_ArrayKind says which one is meant. */
typedef struct InsertRec {
    char* in_BlockName;   /* bi_Name of the block's identifier, not a copy */
    int32_t in_ArrayKind; /* 1 rectangular (also a plain placement), 2 circular */
    union {
        struct {
            Point3DRec in_Point;
            double in_Rotation;
            double in_RowAngle;    /* default pi/2 */
            int32_t in_Rows;       /* default 1 */
            double in_ColumnAngle; /* default 0 */
            int32_t in_Columns;    /* default 1 */
            double in_ColumnSpacing;
            double in_RowSpacing;
        };
        struct {
            double in_CircRotation;  /* rotation of the first placement */
            double in_CircRadius;
            Point3DRec in_CircCentre;
            Point3DRec in_CircFirst; /* first placement point */
            double in_CircStep;      /* angle between placements, negative clockwise */
            int32_t in_CircCount;
        };
    };
    Point3DRec in_Scale;          /* default (1, 1, 1) */
    char* in_Label;               /* references into the block identifier, owning */
    Point2DRec* in_LabelPos;      /* nothing; set by SetBlockLabel (block_labels.h), */
    DXFFontRec* in_LabelAttr;     /* else NULL */
    int32_t in_BlockIndex;        /* BLOCK item in dxf_BlockItemBuffer, -1 undefined */
    Point3DRec in_Extrusion;
} InsertRec;

typedef struct PointRec {
    Point3DRec pt_Point;
    double pt_Reserved; /* kept 0 */
} PointRec;

typedef struct LineRec {
    Point3DRec ln_Start;
    Point3DRec ln_End;
} LineRec;

/* A full circle runs from 0 to 2*pi. */
typedef struct ArcRec {
    Point3DRec ar_Centre;
    double ar_Radius;
    double ar_Start;
    double ar_End;
    int32_t ar_Dir;
} ArcRec;

/* Bits of tx_Flags. Without a horizontal bit the text is left-aligned, without a
 * vertical one it sits on the baseline. */
enum DXFTextFlags {
    DXFTextBackward = 0x1,
    DXFTextUpsideDown = 0x2,
    DXFTextRight = 0x4,
    DXFTextCentre = 0x8,
    DXFTextTop = 0x10,
    DXFTextBottom = 0x20,
    DXFTextMiddle = 0x40,
    DXFTextCentreMiddle = 0x80,
    DXFTextFit = 0x100,
    DXFTextAligned = 0x200
};

/* TEXT: the text is stored right behind the record, in the same block. */
typedef struct TextRec {
    uint32_t tx_Flags;
    uint32_t tx_Flags2;
    Point3DRec tx_Point;  /* first alignment point */
    Point3DRec tx_Point2; /* second alignment point */
    double tx_Height;
    double tx_Rotation;
    double tx_Oblique;
    double tx_Reserved;   /* kept 0 */
    char* tx_Text;
} TextRec;

/* POLYLINE: the first vertex lies inside the record, the others directly behind it.
 * A closed polyline repeats its first vertex as its last one. */
typedef struct PolylineRec {
    uint32_t pl_Flags; /* bit 0 closed */
    Point3DRec pl_Min; /* x and y extents of the outline, bulged arcs included */
    Point3DRec pl_Max;
    int32_t pl_NumVertices;
    VertexRec pl_Vertices[1];
} PolylineRec;

typedef struct EllipseRec {
    Point3DRec el_Centre;
    Point3DRec el_MajorAxis; /* end of the major axis, relative to the centre */
    double el_Ratio;         /* minor to major */
    double el_Start;         /* parameters */
    double el_End;
    double el_Angle;         /* direction of the major axis */
    int32_t el_Dir;
} EllipseRec;

/* Bits of sp_Flags. */
enum DXFSplineFlags {
    DXFSplineFitPoints = 0x20,   /* the points are fit points; no knot values */
    DXFSplineFromPolyline = 0x40 /* made from a spline-fit POLYLINE */
};

/* SPLINE: the first point lies inside the record, the others behind it, then
 * sp_NumKnots knots and sp_NumPoints weights; sp_Knots and sp_Weights point there. */
typedef struct SplineRec {
    uint32_t sp_Flags;
    Point3DRec sp_Min;
    Point3DRec sp_Max;
    int32_t sp_Degree;
    Point3DRec sp_StartTangent;
    Point3DRec sp_EndTangent;
    double sp_StartParam; /* first knot */
    double sp_EndParam;   /* last knot */
    int32_t sp_NumKnots;
    double* sp_Knots;
    int32_t sp_NumPoints;
    int32_t sp_NumWeights;
    double* sp_Weights;
    Point3DRec sp_Points[1];
} SplineRec;

typedef struct FaceRec {
    uint32_t fc_Flags;
    Point3DRec fc_Corners[4];
} FaceRec;

/* RAY and XLINE. */
typedef struct RayRec {
    Point3DRec ry_Base;
    Point3DRec ry_Direction; /* unit vector */
} RayRec;

/* Kinds of composite surfaces (cp_Kind). */
enum DXFCompositeKind {
    DXFCompositePlane = 1,
    DXFCompositeRevolution = 2,
    DXFCompositeRuled = 3,   /* also a tabulated cylinder */
    DXFCompositeBSpline = 4
};

/* A trimmed surface. The surface data between cp_Kind and cp_Outer depends on the
 * kind. Member items are separate items owned by the composite; their pointer arrays
 * and cp_Inner come from the drawing's pool, as do the arrays of a B-spline surface. */
typedef struct CompositeRec {
    int32_t cp_Kind;
    union {
        struct { /* plane: A x + B y + C z = D */
            double cp_PlaneA;
            double cp_PlaneB;
            double cp_PlaneC;
            double cp_PlaneD;
            Point3DRec cp_PlanePoint; /* display point */
            ItemBufferRec cp_List4;   /* bounding curve */
        };
        struct { /* surface of revolution */
            Point3DRec cp_AxisPoint;
            Point3DRec cp_AxisDirection;
            ItemBufferRec cp_List3;   /* generatrix */
            double cp_StartAngle;
            double cp_EndAngle;
        };
        struct { /* ruled surface or tabulated cylinder */
            ItemBufferRec cp_List1;
            ItemBufferRec cp_List2;
            int32_t cp_Reversed;
            int32_t cp_ArcLength;     /* 1: ruled by arc length */
        };
        struct { /* rational B-spline surface, laid out as NURBSurfaceRec */
            int32_t cp_DegreeU;
            int32_t cp_DegreeV;
            double cp_StartU;         /* parameter ranges */
            double cp_EndU;
            double cp_StartV;
            double cp_EndV;
            uint32_t cp_NumKnotsU;
            double* cp_KnotsU;
            uint32_t cp_NumKnotsV;
            double* cp_KnotsV;
            uint32_t cp_NumU;         /* control points along u and along v */
            uint32_t cp_NumV;
            uint32_t cp_NumU2;        /* the same two counts once more */
            uint32_t cp_NumV2;
            double** cp_Weights;      /* cp_NumU rows of cp_NumV weights */
            Point3DRec** cp_Points;   /* cp_NumU rows of cp_NumV points */
        };
    };
    ItemBufferRec cp_Outer;  /* outer boundary */
    int32_t cp_NumInner;
    ItemBufferRec* cp_Inner; /* cp_NumInner inner boundaries */
} CompositeRec;

/* An item: the head, then the payload of its type. Only the payload of ih_ItemType
 * exists in the block; the block is not sizeof(ItemRec) long. */
struct ItemRec {
    ItemHeaderRec it_Header;
    union {
        BlockRec it_Block;
        InsertRec it_Insert;
        PointRec it_Point;
        LineRec it_Line;
        ArcRec it_Arc;
        TextRec it_Text;
        PolylineRec it_Polyline;
        EllipseRec it_Ellipse;
        SplineRec it_Spline;
        FaceRec it_Face;
        RayRec it_Ray;
        CompositeRec it_Composite;
    };
};

/* Vertices that the readers collect for a polyline or a spline. */
typedef struct VertexListRec {
    uint32_t vl_N;
    uint32_t vl_Max;
    VertexRec* vl_Vertices; /* its own AllocVec block */
} VertexListRec;

/* One DXF group: its code and its value as text. */
typedef struct DXFGroupRec {
    int32_t dg_Code;
    char* dg_Value;
} DXFGroupRec;

/*
 * A new item of the type (1 to 29) from pool, every byte cleared except ih_ItemSize
 * (record plus extra), ih_ItemType, ih_Layer, ih_Colour, ih_LineType, ih_Extrusion
 * (0, 0, 1), ih_ContourID and ih_Line (-1). extra is the room for trailing data: TEXT
 * length + 1; POLYLINE one VertexRec per vertex beyond the first (minus one VertexRec
 * for no vertex at all); SPLINE the points beyond the first, the knots and the
 * weights. NULL for another type, a size that does not fit, or when memory fails.
 */
HALVERN_API ItemRec* CreateItem(int32_t type, int32_t extra, int32_t layer, int32_t colour,
                                int32_t lineType, Pool* pool) HALVERN_NOEXCEPT;

/* Appends item, growing the pointer array (AllocVec) by ib_Size, or by 20 when ib_Size
 * is 20 or less. An item without id gets GetUniqueDXFID(drawing). 1, or 0 when the
 * buffer cannot grow (buffer and item unchanged). */
HALVERN_API int32_t AddItem(DXFDrawingRec* drawing, ItemBufferRec* buffer,
                            ItemRec* item) HALVERN_NOEXCEPT;
/* AddItem for a buffer whose pointer array lives in pool. */
HALVERN_API int32_t AddItemPool(DXFDrawingRec* drawing, ItemBufferRec* buffer, ItemRec* item,
                                Pool* pool) HALVERN_NOEXCEPT;
/* Places item in front of before, in dxf_BlockItemBuffer (then every in_BlockIndex and
 * bi_BlockData beyond the insertion point grows by 1) or in dxf_ItemBuffer. 1, or 0
 * when before is in neither buffer or the buffer cannot grow. */
HALVERN_API int32_t InsertItem(DXFDrawingRec* drawing, ItemRec* before,
                               ItemRec* item) HALVERN_NOEXCEPT;
/* Takes the item at index out of the buffer (not freed, nothing renumbered); NULL for
 * an index outside 0 to ib_N - 1. */
HALVERN_API ItemRec* RemoveItem(ItemBufferRec* buffer, int32_t index) HALVERN_NOEXCEPT;
/* Frees the pointer array (AllocVec), first returning every item to pool when freeItems
 * and pool are both set. Count, capacity and array become 0; the grow step stays. 0. */
HALVERN_API int32_t FreeItemBuffer(ItemBufferRec* buffer, int32_t freeItems,
                                   Pool* pool) HALVERN_NOEXCEPT;
/* FreeItemBuffer for a buffer whose pointer array came from pool (AddItemPool). */
HALVERN_API int32_t FreeItemBufferPool(ItemBufferRec* buffer, int32_t freeItems,
                                       Pool* pool) HALVERN_NOEXCEPT;
/* A copy of the item with its id, from pool, or from AllocVec when pool is NULL (free
 * it with FreeVec). The copy points at its own text, knots and weights, owns copies of
 * a composite's members, and has its own copies of the comment lines (in pool; with
 * no pool it carries no comments). NULL for a NULL item or when memory fails. */
HALVERN_API ItemRec* CopyItem(const ItemRec* item, Pool* pool) HALVERN_NOEXCEPT;

/* Append a vertex (z 0 for DXFAddVertex); nothing for a NULL list. A vertex that finds
 * no room (memory failed) is dropped. */
HALVERN_API void DXFAddVertex(VertexListRec* list, double x, double y, double bulge,
                              uint32_t flags) HALVERN_NOEXCEPT;
HALVERN_API void DXFAddVertex2(VertexListRec* list, double x, double y, double z, double bulge,
                               uint32_t flags) HALVERN_NOEXCEPT;
HALVERN_API void DXFVertexListAdd(VertexListRec* list, double x, double y, double z,
                                  double bulge, uint32_t flags) HALVERN_NOEXCEPT;
/* Frees the vertices; count and capacity become 0. */
HALVERN_API void DXFVertexListFree(VertexListRec* list) HALVERN_NOEXCEPT;

/*
 * The index of the first DXFGroupRec at or after start whose dg_Code is code, its
 * value copied into value (size bytes, cut to size - 1 characters and terminated);
 * -1 with value emptied when there is none.
 */
HALVERN_API int32_t DXFFindGroup(PagedArray* pairs, int32_t code, int32_t start,
                                 char* value, uint32_t size) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
