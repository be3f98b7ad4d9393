// Trennic's process-wide state as a loaded library: its module handle and its exit
// list. No lock: the library is used from one thread at a time.
#ifndef TRENNIC_LIBRARY_LIBRARY_STATE_H
#define TRENNIC_LIBRARY_LIBRARY_STATE_H

#include "osmark/exit_list.h"
#include "platform/win_types.h"

namespace trennic {

// Trennic's own module, kept when the library is loaded.
HINSTANCE module_handle() noexcept;

// The library's exit list: cleared when the library is loaded and run, last
// registered first, when it is unloaded. The library's components that hold
// process-wide resources register their clean-up here with AddExitProc.
ExitList& library_exit_list() noexcept;

}

#endif
