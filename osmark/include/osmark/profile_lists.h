/*
 * Containers of profiles: profile lists (Profiles), profile drawings and profile
 * arrays.
 *
 * A Profiles list is an Array of Profile pointers, in order, that owns its profiles:
 * handing a profile to a list (ProfilesInsert) hands over its ownership, removing it
 * hands it back, and deleting the list deletes the profiles. Contouring, combination
 * and offsetting return their results in one.
 *
 * A ProfileDrawing holds a list of Profiles lists and a list of profile arrays and owns
 * both kinds of element. A ProfilesArray refers to one Profiles list; Osmark makes none
 * (ProfilesArrayCreate always answers NULL), so a drawing's arrays stay empty unless a
 * caller brings its own.
 *
 * Index -1 appends; any other index inserts there, later elements moving up, and an
 * index past the end appends. Get answers NULL and remove does nothing for an index
 * out of range, leaving -23 for IoErr, as the Array operations do; a NULL container
 * makes the operations fail without effect, leaving -4.
 */
#ifndef OSMARK_PROFILE_LISTS_H
#define OSMARK_PROFILE_LISTS_H

#include "osmark/api.h"
#include "osmark/array.h"
#include "osmark/geometry_types.h"

OSMARK_BEGIN_DECLS

typedef Array Profiles;

typedef struct ProfilesArray {
    Profiles* profiles; /* owned; deleted by ProfilesArrayDelete */
} ProfilesArray;

typedef struct ProfileDrawing {
    Array* arrays;   /* ProfilesArray pointers */
    Array* profiles; /* Profiles pointers */
} ProfileDrawing;

/* ---- Profiles ---- */

/* A new empty list; NULL when memory runs out. Free it with ProfilesDelete. */
OSMARK_API Profiles* ProfilesCreate(void) OSMARK_NOEXCEPT;
/* Deletes every profile of the list and the list; NULL is ignored. */
OSMARK_API void ProfilesDelete(Profiles* list) OSMARK_NOEXCEPT;
OSMARK_API uint32_t ProfilesCount(const Profiles* list) OSMARK_NOEXCEPT;
/* 1 when the list took the profile (and its ownership); 0 for a NULL list or profile,
 * or when the list cannot grow (the caller keeps the profile). */
OSMARK_API int32_t ProfilesInsert(Profiles* list, int32_t index, Profile* profile) OSMARK_NOEXCEPT;
/* Takes the profile out of the list without deleting it. */
OSMARK_API void ProfilesRemove(Profiles* list, uint32_t index) OSMARK_NOEXCEPT;
OSMARK_API Profile* ProfilesProfile(const Profiles* list, uint32_t index) OSMARK_NOEXCEPT;
/* 1 when the point lies on an entity of any profile of the list. */
OSMARK_API int32_t PointOnProfiles(const Profiles* list, const Point2DRec* point) OSMARK_NOEXCEPT;
/* The extents of the profiles merged into the caller's record; 1, or 0 with the record
 * untouched when no profile has extents. */
OSMARK_API int32_t ProfilesExtents(const Profiles* list, Rectangle2DRec* extents) OSMARK_NOEXCEPT;

/* ---- Profile drawings ---- */

/* A new drawing with two empty lists; NULL when memory runs out. Free it with
 * ProfileDrawingDelete. */
OSMARK_API ProfileDrawing* ProfileDrawingCreate(void) OSMARK_NOEXCEPT;
/* Deletes every array (ProfilesArrayDelete) and every list (ProfilesDelete), then the
 * drawing; NULL is ignored. */
OSMARK_API void ProfileDrawingDelete(ProfileDrawing* drawing) OSMARK_NOEXCEPT;
/* 1 when the drawing took the list (and its ownership); 0 for a NULL drawing or list,
 * or when the drawing cannot grow (the caller keeps the list). */
OSMARK_API int32_t ProfileDrawingInsertProfiles(ProfileDrawing* drawing, int32_t index,
                                                Profiles* list) OSMARK_NOEXCEPT;
/* Takes the list out of the drawing without deleting it. */
OSMARK_API void ProfileDrawingRemoveProfiles(ProfileDrawing* drawing,
                                             uint32_t index) OSMARK_NOEXCEPT;
OSMARK_API uint32_t ProfileDrawingGetProfilesCount(const ProfileDrawing* drawing) OSMARK_NOEXCEPT;
OSMARK_API Profiles* ProfileDrawingGetProfiles(const ProfileDrawing* drawing,
                                               uint32_t index) OSMARK_NOEXCEPT;
OSMARK_API int32_t ProfileDrawingInsertArray(ProfileDrawing* drawing, int32_t index,
                                             ProfilesArray* array) OSMARK_NOEXCEPT;
OSMARK_API void ProfileDrawingRemoveArray(ProfileDrawing* drawing, uint32_t index) OSMARK_NOEXCEPT;
OSMARK_API uint32_t ProfileDrawingGetArrayCount(const ProfileDrawing* drawing) OSMARK_NOEXCEPT;
OSMARK_API ProfilesArray* ProfileDrawingGetArray(const ProfileDrawing* drawing,
                                                 uint32_t index) OSMARK_NOEXCEPT;
/* 1 when the point lies on an entity of any profile of any list. */
OSMARK_API int32_t PointOnProfileDrawing(const ProfileDrawing* drawing,
                                         const Point2DRec* point) OSMARK_NOEXCEPT;
/* The extents of the lists merged; 1, or 0 with the record untouched. */
OSMARK_API int32_t ProfileDrawingExtents(const ProfileDrawing* drawing,
                                         Rectangle2DRec* extents) OSMARK_NOEXCEPT;

/* ---- Profile arrays ---- */

/* Osmark makes no profile arrays: always NULL. */
OSMARK_API ProfilesArray* ProfilesArrayCreate(void) OSMARK_NOEXCEPT;
/* Deletes the list that the array refers to (when there is one) and forgets it; the
 * record itself stays the caller's. NULL is ignored. */
OSMARK_API void ProfilesArrayDelete(ProfilesArray* array) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
