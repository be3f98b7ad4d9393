/*
 * Services of Osmark's profile geometry that the core calls.
 */
#ifndef OSMARK_PROFILE_SERVICES_H
#define OSMARK_PROFILE_SERVICES_H

#include "osmark/api.h"
/* ProfileEntityClean: the delay calibration times a call of it as its empty step. */
#include "osmark/profile_entities.h"

OSMARK_BEGIN_DECLS

/* Start-up step: empties the point-buffer lists and registers their clean-up, which
 * frees every buffer. */
OSMARK_API void InitialisePointBuffers(void) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
