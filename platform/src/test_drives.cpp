// Drives that tests lay over folders.

#include "test_drives.h"

#include "platform/volumes.h"

#include <cctype>
#include <map>
#include <mutex>
#include <new>

namespace {

struct TestDrives {
    std::mutex mutex;
    std::map<char, platform::TestDrive> drives;
};

// Kept for the life of the process: paths are translated while static destructors run.
TestDrives& test_drives()
{
    static TestDrives* drives = new TestDrives;
    return *drives;
}

char drive_key(char letter)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

}

namespace platform {

bool find_test_drive(char letter, TestDrive& drive)
{
    TestDrives& drives = test_drives();
    const std::lock_guard lock(drives.mutex);
    if (drives.drives.empty())
        return false;
    const auto found = drives.drives.find(drive_key(letter));
    if (found == drives.drives.end())
        return false;
    drive = found->second;
    return true;
}

std::string test_drive_strings()
{
    TestDrives& drives = test_drives();
    const std::lock_guard lock(drives.mutex);
    std::string strings;
    for (const auto& [letter, drive] : drives.drives) {
        strings += letter;
        strings += ":\\";
        strings += '\0';
    }
    return strings;
}

}

extern "C" {

PLATFORM_API void platform_set_drive_for_testing(char letter, const char* folder,
                                                 UINT drive_type) noexcept
{
    const char key = drive_key(letter);
    if (key < 'A' || key > 'Z' || key == 'C')
        return;
    TestDrives& drives = test_drives();
    try {
        const std::lock_guard lock(drives.mutex);
        if (folder == nullptr)
            drives.drives.erase(key);
        else
            drives.drives[key] = platform::TestDrive{folder, drive_type};
    } catch (const std::bad_alloc&) {
        // The seam is for tests; a drive that cannot be kept is simply not there.
    }
}

}
