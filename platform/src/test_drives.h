// Drives that tests lay over folders (platform_set_drive_for_testing, volumes.h).
#ifndef PLATFORM_SRC_TEST_DRIVES_H
#define PLATFORM_SRC_TEST_DRIVES_H

#include "platform/win_types.h"

#include <string>

namespace platform {

struct TestDrive {
    std::string folder; // the Linux folder the drive stands for
    UINT type = 0;      // its drive type
};

// The test drive of the letter (either case); false when the letter names none.
bool find_test_drive(char letter, TestDrive& drive);

// "X:\" and its NUL for every test drive, in the order of their letters.
std::string test_drive_strings();

}

#endif
