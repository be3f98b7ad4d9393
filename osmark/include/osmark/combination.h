/*
 * Combination: the intersection, union or difference of two closed profiles, as the
 * boundary of the result.
 */
#ifndef OSMARK_COMBINATION_H
#define OSMARK_COMBINATION_H

#include "osmark/api.h"
#include "osmark/geometry_types.h"
#include "osmark/profile_lists.h"

OSMARK_BEGIN_DECLS

/* Values of ProfileCombine's operation. */
enum CombineOperation {
    CombineIntersection = 1, /* a and b */
    CombineUnion = 2,        /* a or b */
    CombineDifference = 3    /* a without b */
};

/*
 * The boundary of a combined with b as a new list of profiles, nested and numbered as
 * ProfileContour leaves them, with collinear lines that meet merged into one; an empty
 * list when nothing remains. NULL for a NULL profile, an operation other than 1 to 3,
 * a profile that is open or has no area, or when the list cannot be made. The inputs
 * are not changed (beyond their cached values).
 */
OSMARK_API Profiles* ProfileCombine(Profile* a, Profile* b, int32_t operation) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
