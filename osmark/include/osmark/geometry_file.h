/*
 * Geometry data files: profile drawings as text. The first line is the version string
 * "$VER: Geometry Data File V1.00"; then a "Drawing" section holds one "Profiles"
 * section per profile list, each one "Profile" section per profile with its ID, its
 * accuracy (when it is not 1e-6) and a "Line" or "Arc" section per entity. A section
 * opens with "Begin name" and closes with "End name"; inside, keys and values stand
 * one to a line, "key value" or "key=value". Lines end in CR LF.
 *
 * Arcs are stored by centre, radius, start and end point, counter-clockwise: a
 * clockwise arc is written from its end to its start. Directions, angles, parent IDs,
 * levels and user words are not stored.
 *
 * Opening and closing the file is the caller's business.
 */
#ifndef OSMARK_GEOMETRY_FILE_H
#define OSMARK_GEOMETRY_FILE_H

#include "osmark/api.h"
#include "osmark/files.h"
#include "osmark/profile_lists.h"

OSMARK_BEGIN_DECLS

/* 0; -24 when the handle's error flag is set after writing; -4 for a NULL argument. */
OSMARK_API int32_t ProfileDrawingWrite(FileHandle* fh,
                                       const ProfileDrawing* drawing) OSMARK_NOEXCEPT;
/*
 * Appends the lists of the file to the drawing (arcs counter-clockwise, user words 0)
 * and answers 0 at the end of the file; -1 when a list cannot be made or the file holds
 * a profile array, with what was read before kept in the drawing; -4 for a NULL
 * argument. Sections of other names are skipped whole, unknown lines and malformed
 * values ignored (a value not given stays 0), and sections left open at the end of the
 * file end there.
 */
OSMARK_API int32_t ProfileDrawingRead(FileHandle* fh, ProfileDrawing* drawing) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
