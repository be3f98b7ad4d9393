/*
 * Test support: seams through which tests drive Osmark's failure paths and observe
 * its neighbours. Not for use by programs.
 */
#ifndef OSMARK_TESTING_H
#define OSMARK_TESTING_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

/*
 * Allocation failure: after `successes` more heap allocations succeed, the next
 * `failures` ones fail (AllocVec, CAllocVec, ReAllocVec and everything built on them).
 * osmark_testing_fail_allocations(0, 0) turns the injection off.
 */
OSMARK_TESTING_API void osmark_testing_fail_allocations(uint32_t successes,
                                                        uint32_t failures) OSMARK_NOEXCEPT;

/*
 * One step of that countdown for an allocator outside Osmark (the test programs'
 * operator new, so that `new` and std::string fail by the same count as AllocVec):
 * 1 when this allocation is to fail, else 0.
 */
OSMARK_TESTING_API int32_t osmark_testing_allocation_fails(void) OSMARK_NOEXCEPT;

/* The live and the total block counts of AllocVec/FreeVec. */
OSMARK_TESTING_API void osmark_testing_allocation_counts(uint32_t* live,
                                                         uint32_t* total) OSMARK_NOEXCEPT;

/* Names of the start-up steps in the order they ran; *count receives their number. */
OSMARK_TESTING_API const char* const* osmark_testing_startup_steps(uint32_t* count) OSMARK_NOEXCEPT;

/* The argument string that a command line gives (as start-up makes it); free the
 * result with FreeStr. The line is changed in place as at start-up. */
OSMARK_TESTING_API char* osmark_testing_parse_arguments(char* command_line) OSMARK_NOEXCEPT;

/*
 * The windows and graphics services as tests see them. Each counter counts calls
 * since load; a requester answer of -3 or below lets the requester behave as without
 * a display, any other value is the answer of every later EasyRequest.
 */
typedef struct OsmarkGuiCounters {
    uint32_t refresh_all_windows;
    uint32_t broadcast_gadget_change;
    uint32_t last_gadget_change;
    uint32_t easy_request;
    uint32_t peek_msg;
    uint32_t process_msgs;
} OsmarkGuiCounters;

OSMARK_TESTING_API void osmark_testing_gui_counters(OsmarkGuiCounters* counters) OSMARK_NOEXCEPT;
OSMARK_TESTING_API void osmark_testing_script_requester(int32_t answer) OSMARK_NOEXCEPT;
/* The body of the last requester shown, formatted; valid until the next one. */
OSMARK_TESTING_API const char* osmark_testing_last_requester_body(void) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
