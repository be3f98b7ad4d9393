/*
 * Services of Osmark's profile geometry that the core calls.
 */
#ifndef OSMARK_PROFILE_SERVICES_H
#define OSMARK_PROFILE_SERVICES_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

struct ProfileEntityRec;

/* Start-up step: empties the point-buffer lists and registers their clean-up. */
OSMARK_API void InitialisePointBuffers(void) OSMARK_NOEXCEPT;
/* Does nothing; the delay calibration times a call of it as its empty step. */
OSMARK_API void ProfileEntityClean(struct ProfileEntityRec* entity) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
