/*
 * Plain geometry records of Osmark's profile geometry, shared by every library that
 * keeps coordinates: a 2-D point, a 2-D box in real units and a pixel rectangle.
 */
#ifndef OSMARK_GEOMETRY_TYPES_H
#define OSMARK_GEOMETRY_TYPES_H

#include <stdint.h>

typedef struct Point2DRec {
    double x;
    double y;
} Point2DRec;

/* min is the lower-left corner and max the upper-right one; nothing keeps them sorted. */
typedef struct Rectangle2DRec {
    Point2DRec min;
    Point2DRec max;
} Rectangle2DRec;

/* A rectangle in pixels. */
typedef struct RectangleRec {
    int32_t MinX;
    int32_t MinY;
    int32_t MaxX;
    int32_t MaxY;
} RectangleRec;

#endif
