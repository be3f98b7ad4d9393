/*
 * Plain geometry records of Osmark's profile geometry, shared by every library that
 * keeps coordinates: a 2-D point, a 2-D box in real units and a pixel rectangle, and
 * the line, arc, entity and profile records of the profile geometry.
 *
 * Angles are radians, counter-clockwise positive. A direction is +1 (counter-clockwise)
 * or -1 (clockwise); operations that take one read 0 and above as +1.
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

/* A line segment from start to end. */
typedef struct Line2DRec {
    Point2DRec start;
    Point2DRec end;
} Line2DRec;

/* A circular arc from start_angle to end_angle about centre, in its direction; a full
 * circle runs from 0 to 2*pi. */
typedef struct Arc2DRec {
    Point2DRec centre;
    double radius;
    double start_angle;
    double end_angle;
    int32_t direction;
} Arc2DRec;

/* Values of ProfileEntityRec.type; a record with a type above 2 is invalid. */
enum ProfileEntityTypes {
    EntityTypeNone = 0,
    EntityTypeLine = 1,
    EntityTypeArc = 2
};

/*
 * One line or arc of a profile, copied by value. Behind the type word lie the data of
 * a Line2DRec (d1 to d4) or an Arc2DRec (d1 to d5 and direction), in the same layout:
 *   line: d1, d2 start; d3, d4 end (d5 and direction unused);
 *   arc:  d1, d2 centre; d3 radius; d4 start angle; d5 end angle; direction.
 * user is the caller's word, carried through copies, splits and end changes.
 */
typedef struct ProfileEntityRec {
    uint32_t type;
    double d1;
    double d2;
    double d3;
    double d4;
    double d5;
    int32_t direction;
    uint32_t user;
} ProfileEntityRec;

/* Bits of Profile.cache_flags: which cached values are valid. */
enum ProfileCacheFlags {
    ProfileCacheArea = 2, /* area and direction */
    ProfileCachePerimeter = 4,
    ProfileCacheCentre = 8, /* centre of gravity */
    ProfileCacheExtents = 16,
    ProfileCacheAll = 31 /* what adding or removing an entity clears */
};

struct PagedArray;

/*
 * An ordered chain of entities, open or closed, with its place in a nesting of
 * profiles and a cache of derived values. Entities are ProfileEntityRec records by
 * value in the paged array (250 a page), so their addresses stay valid while entities
 * are appended. Made by ProfileCreate, freed by ProfileDelete (profiles.h).
 */
typedef struct Profile {
    uint32_t cache_flags;
    int32_t id;        /* 0 when new */
    int32_t parent_id; /* id of the enclosing profile; 0 when new */
    int32_t level;     /* nesting depth; 0 when new */
    double accuracy;   /* tolerance of its own end-point comparisons; 1e-6 */
    int32_t direction; /* +1 ccw, -1 cw, 0 open or not yet settled */
    double area;       /* positive once the direction is known */
    double perimeter;
    Rectangle2DRec extents;
    Point2DRec centre_of_gravity;
    struct PagedArray* entities;
} Profile;

#endif
