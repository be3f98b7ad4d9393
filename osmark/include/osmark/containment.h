/*
 * Containment: where a point or a profile lies against a closed profile.
 */
#ifndef OSMARK_CONTAINMENT_H
#define OSMARK_CONTAINMENT_H

#include "osmark/api.h"
#include "osmark/geometry_types.h"

OSMARK_BEGIN_DECLS

/* Results of ProfileInProfile. */
enum ProfileRelation {
    ProfilesApart = 0,
    ProfilesMeet = 1,       /* the boundaries cross, touch or overlap */
    ProfileFirstInside = 2, /* a lies inside b */
    ProfileSecondInside = 3 /* b lies inside a */
};

/* 1 when the point lies inside the profile or on its boundary (even-odd rule), else 0;
 * 0 for a NULL argument or when no working point buffer can be made. */
OSMARK_API int32_t PointInProfile(const Profile* profile, const Point2DRec* point) OSMARK_NOEXCEPT;
/* A ProfileRelation of two closed profiles; 0 for a NULL argument or a profile without
 * extents. */
OSMARK_API int32_t ProfileInProfile(Profile* a, Profile* b) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
