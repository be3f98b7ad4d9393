// Allocation failure in test programs: every test program replaces the global operator
// new and delete (allocation_failure.cpp). While a NewJoinsCountdown lives, the
// replacement fails by Osmark's allocation countdown (osmark_testing_fail_allocations),
// so that `new`, std::string, std::vector and std::make_shared fail in the same count as
// AllocVec and one loop over N reaches every allocation of a call. A failing operator
// new throws std::bad_alloc; the nothrow forms return NULL.
//
// It is a scope of its own because a test's own code allocates too (a callback that
// records, a trace, the test framework): tests that only mean Osmark's blocks to fail
// keep their countdown to those. Programs that do not link Osmark have no countdown:
// their new fails only when memory does.
#ifndef TEST_SUPPORT_ALLOCATION_FAILURE_H
#define TEST_SUPPORT_ALLOCATION_FAILURE_H

namespace test_support {

// Whether operator new in this program can follow Osmark's countdown (the program
// links Osmark).
bool new_follows_allocation_countdown();

// While one lives (on any thread), operator new takes part in Osmark's allocation
// countdown. Arm the countdown right before the call under test and turn it off right
// after it: anything the test allocates in between takes a pending failure as well.
class NewJoinsCountdown {
public:
    NewJoinsCountdown();
    ~NewJoinsCountdown();
    NewJoinsCountdown(const NewJoinsCountdown&) = delete;
    NewJoinsCountdown& operator=(const NewJoinsCountdown&) = delete;
};

}

#endif
