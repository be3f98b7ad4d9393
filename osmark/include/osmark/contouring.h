/*
 * Contouring: a bag of lines and arcs (the entities of one profile, in any order and
 * orientation) chained into profiles whose ends meet within a tolerance.
 *
 * Each chain follows entities whose ends meet, reversing them as needed, until it
 * closes on its own start or runs out of continuations. At a junction a chooser picks
 * the next entity from the candidates; without one the built-in chooser takes, of the
 * entities whose far end leads on, the one whose joining end is nearest the chain end,
 * and an entity whose far end is a dead end only when no other leads on. Chains keep
 * the orientation in which they were walked.
 */
#ifndef OSMARK_CONTOURING_H
#define OSMARK_CONTOURING_H

#include "osmark/api.h"
#include "osmark/geometry_types.h"
#include "osmark/paged_array.h"
#include "osmark/profile_lists.h"

OSMARK_BEGIN_DECLS

/* One per entity of the source, in source order. */
typedef struct ContourNode {
    uint32_t entity_index; /* in the source profile */
    uint32_t used;         /* 1 once the entity belongs to a chain or a profile */
    uint32_t reserved;     /* 0 */
    Point2DRec start;      /* the entity's start point */
    Point2DRec end;        /* the entity's end point */
} ContourNode;

/* Values of ContourCandidate.kind. */
enum ContourCandidateKind {
    ContourEndMatch = 1, /* an end of the entity meets the chain end */
    ContourContinues = 2 /* the chain end lies on the entity, which runs on along the
                              last entity's line or circle */
};

/* An entity that may continue the chain. */
typedef struct ContourCandidate {
    uint32_t node_index; /* into the node array */
    uint32_t reversed;   /* 1: used reversed, its end joins the chain */
    uint32_t kind;       /* ContourCandidateKind */
} ContourCandidate;

/*
 * Picks the next entity: candidates and nodes are paged arrays of ContourCandidate and
 * ContourNode records, chain_end the end of the chain so far. Non-zero after copying one
 * of the candidates into *choice; 0 for none. An answer that names none of the
 * candidates counts as none.
 */
typedef int32_t (*ContourChooser)(PagedArray* candidates, PagedArray* nodes,
                                  const Point2DRec* chain_end, double tolerance,
                                  ContourCandidate* choice);

/*
 * The chains of the source's entities as a new list: IDs 1, 2, ... in the order they
 * were found, each profile's level the number of closed profiles around it and its
 * parent ID that of the first profile one level up that holds it, the list sorted by
 * level, then ID. An entity whose ends meet within the tolerance (a full circle) is a
 * profile of its own; entities of type 0 are passed over.
 *
 * chooser NULL takes the built-in one. A tolerance of 0 or less is 1e-6. With snap set,
 * each entity's start is moved onto the chain end and a closing entity's end onto the
 * chain start. NULL only when the list cannot be made; an empty list when the source
 * has no entities or the working records cannot be made. The source is not changed.
 */
OSMARK_API Profiles* ProfileContour(const Profile* source, ContourChooser chooser, double tolerance,
                                    int32_t snap) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
