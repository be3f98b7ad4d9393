// The point-buffer lists of the profile geometry, as far as the start-up needs them.

#include "osmark/profile_services.h"

#include "osmark/exit_list.h"
#include "osmark/library.h"

namespace {

// Both lists are empty until the profile geometry hands out point buffers.
void free_point_buffers()
{
}

}

extern "C" {

OSMARK_API void InitialisePointBuffers(void) noexcept
{
    AddExitProc(&LibraryExitList, free_point_buffers);
}

OSMARK_API void ProfileEntityClean(struct ProfileEntityRec* /*entity*/) noexcept
{
}

}
