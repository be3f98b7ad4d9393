// The one drive, volume information, the error mode and the empty network.

#include "platform/volumes.h"

#include "files_test_support.h"
#include "test_support/files.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(Volumes, OneDriveWhoseRootIsTheRoot)
{
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetLogicalDriveStringsA(4, buffer), 5u) << "too small: the size needed";
    EXPECT_EQ(buffer[0], 'x');
    ASSERT_EQ(GetLogicalDriveStringsA(sizeof buffer, buffer), 4u);
    EXPECT_EQ(std::string(buffer, 5), std::string("C:\\\0", 5));

    EXPECT_EQ(GetDriveTypeA("C:\\"), DRIVE_FIXED);
    EXPECT_EQ(GetDriveTypeA(nullptr), GetDriveTypeA("."));
    EXPECT_EQ(GetDriveTypeA("C:\\no such folder\\"), DRIVE_NO_ROOT_DIR);
    const test_support::TempFolder folder;
    test_support::write_file(folder.path("file"), "");
    EXPECT_EQ(GetDriveTypeA(folder.path("file").c_str()), DRIVE_NO_ROOT_DIR);
}

TEST(Volumes, InformationOnTheFileSystem)
{
    char label[64] = "x";
    char file_system[64] = "";
    DWORD serial = 0;
    DWORD longest = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetVolumeInformationA("C:\\", label, sizeof label, &serial, &longest, &flags, file_system,
                                      sizeof file_system));
    EXPECT_STREQ(label, "");
    EXPECT_GT(std::strlen(file_system), 0u);
    EXPECT_EQ(longest, 255u);
    EXPECT_TRUE(flags & FILE_CASE_PRESERVED_NAMES);
    EXPECT_TRUE(GetVolumeInformationA(nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0));

    char tiny[1];
    EXPECT_FALSE(GetVolumeInformationA("C:\\", nullptr, 0, nullptr, nullptr, nullptr, tiny, sizeof tiny));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_FALSE(GetVolumeInformationA("C:\\no such folder\\", label, sizeof label, nullptr, nullptr, nullptr,
                                       nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(Volumes, ErrorModeIsKept)
{
    const UINT before = SetErrorMode(SEM_FAILCRITICALERRORS);
    EXPECT_EQ(SetErrorMode(before), SEM_FAILCRITICALERRORS);
}

TEST(Network, ListsNothingAndNoPathIsOnIt)
{
    HANDLE enumeration = nullptr;
    ASSERT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, nullptr, &enumeration),
              static_cast<DWORD>(ERROR_SUCCESS));
    DWORD count = 0xFFFFFFFFu;
    char buffer[16384];
    DWORD size = sizeof buffer;
    EXPECT_EQ(WNetEnumResourceA(enumeration, &count, buffer, &size), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(WNetCloseEnum(enumeration), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(WNetCloseEnum(enumeration), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(WNetOpenEnumA(9, 0, 0, nullptr, &enumeration), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    char name[1024];
    size = sizeof name;
    EXPECT_EQ(WNetGetUniversalNameA("C:\\data", UNIVERSAL_NAME_INFO_LEVEL, name, &size),
              static_cast<DWORD>(ERROR_NOT_CONNECTED));
}

}
