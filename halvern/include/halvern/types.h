/*
 * Small records that every Halvern header uses: points, vertices and font attributes.
 */
#ifndef HALVERN_TYPES_H
#define HALVERN_TYPES_H

#include <stdint.h>

#include "halvern/api.h"
#include "osmark/geometry_types.h"

/* The drawing record (halvern/drawing.h) and the item record (halvern/items.h). */
typedef struct DXFDrawingRec DXFDrawingRec;
typedef struct ItemRec ItemRec;

/* A point or a vector in drawing units. */
typedef struct Point3DRec {
    double x;
    double y;
    double z;
} Point3DRec;

/* One vertex of a polyline; the bulge belongs to the segment that starts here. */
typedef struct VertexRec {
    Point3DRec vx_Point;
    double vx_Bulge; /* tan of a quarter of the sweep, positive counter-clockwise */
    uint32_t vx_Flags;
} VertexRec;

/* The font a block label is drawn with. */
typedef struct DXFFontRec {
    char* df_Name;    /* face name from AllocStr, or NULL */
    double df_YSize;  /* height in drawing units */
    uint32_t df_Style;
    uint32_t df_Colour; /* colour reference */
} DXFFontRec;

#endif
