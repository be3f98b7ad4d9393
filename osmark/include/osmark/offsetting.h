/*
 * Offsetting: the curves at a distance from a profile. Every line and arc moves
 * sideways by the distance; neighbouring offsets are trimmed where they cross or joined
 * where they part (by arcs about the corner, mitres or bevels); with the clean flag the
 * chain is cut at its self-crossings into loops, of which only those that keep the full
 * distance from the profile remain.
 *
 * For a closed profile a positive distance grows it and a negative one shrinks it; an
 * open profile is offset to the right of its direction of travel for a positive
 * distance and to the left for a negative one.
 */
#ifndef OSMARK_OFFSETTING_H
#define OSMARK_OFFSETTING_H

#include "osmark/api.h"
#include "osmark/geometry_types.h"
#include "osmark/profile_lists.h"

OSMARK_BEGIN_DECLS

/* Joins between offsets that part at a corner. */
enum OffsetJoin {
    OffsetJoinArc = 1,   /* an arc about the corner */
    OffsetJoinMitre = 2, /* the corner kept; with the clean flag, rounded at half the
                            distance */
    OffsetJoinBevel = 3  /* three lines, the middle one touching the arc join */
};

/*
 * Stores a new list of the offset profiles at *result (each with the profile's ID and
 * accuracy) and answers 1; 0 with nothing stored for a NULL profile or result, or when
 * the list cannot be made. *result is set to NULL first.
 *
 * A distance below 1e-6 in size, or a profile without entities, gives a list holding
 * one copy of the profile. The clean flag makes the raw chain's joins arcs and removes
 * the loops that self-crossings cut off and that come closer to the profile than the
 * distance; the join type then shapes the corners that remain. Without it the chain is
 * joined by the join type and kept whole. An empty list when the chain cannot be made.
 */
OSMARK_API int32_t ProfileOffset(Profile* profile, double distance, int32_t clean, int32_t join,
                                 Profiles** result) OSMARK_NOEXCEPT;
/* An open profile as a closed band around it: the offset of the path back and forth
 * along the profile. A closed profile is offset as by ProfileOffset with the clean flag
 * set. */
OSMARK_API int32_t ProfileOpenOffset(Profile* profile, double distance, int32_t join,
                                     Profiles** result) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
