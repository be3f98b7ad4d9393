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

TEST(TestSeams, ADriveLaidOverAFolder)
{
    const test_support::TempFolder folder;
    test_support::write_file(folder.path("sub/file"), "on d");
    platform_set_drive_for_testing('d', folder.path().c_str(), DRIVE_REMOVABLE);

    char buffer[16];
    ASSERT_EQ(GetLogicalDriveStringsA(sizeof buffer, buffer), 8u);
    EXPECT_EQ(std::string(buffer, 9), std::string("C:\\\0D:\\\0", 9));
    EXPECT_EQ(GetDriveTypeA("D:\\"), DRIVE_REMOVABLE);
    EXPECT_EQ(GetDriveTypeA("d:\\no such folder"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(GetFileAttributesA("D:\\sub\\file"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(GetFileAttributesA("D:sub"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));

    platform_set_drive_for_testing('D', nullptr, 0);
    EXPECT_EQ(GetLogicalDriveStringsA(sizeof buffer, buffer), 4u);
    EXPECT_EQ(GetFileAttributesA("D:\\sub\\file"), INVALID_FILE_ATTRIBUTES)
        << "D: is the root again";
}

TEST(TestSeams, AScriptedNetwork)
{
    char domain_name[] = "Workgroup";
    char server_name[] = "\\\\srv";
    char share_name[] = "\\\\srv\\data";
    char locked_name[] = "\\\\locked";
    char comment[] = "shared data";
    const auto resource = [](DWORD display_type, DWORD usage, char* remote, char* note) {
        NETRESOURCEA record{};
        record.dwScope = RESOURCE_GLOBALNET;
        record.dwDisplayType = display_type;
        record.dwUsage = usage;
        record.lpRemoteName = remote;
        record.lpComment = note;
        return record;
    };
    const PlatformNetworkEntry entries[] = {
        {nullptr,
         resource(RESOURCEDISPLAYTYPE_DOMAIN, RESOURCEUSAGE_CONTAINER, domain_name, nullptr), 0},
        {domain_name,
         resource(RESOURCEDISPLAYTYPE_SERVER, RESOURCEUSAGE_CONTAINER, server_name, nullptr), 0},
        {server_name,
         resource(RESOURCEDISPLAYTYPE_SHARE, RESOURCEUSAGE_CONNECTABLE, share_name, comment), 0},
        {domain_name,
         resource(RESOURCEDISPLAYTYPE_SERVER, RESOURCEUSAGE_CONTAINER, locked_name, nullptr),
         ERROR_ACCESS_DENIED},
    };
    platform_set_network_for_testing(entries, 4);

    // The domain lists its two servers, one record at a time when asked so.
    NETRESOURCEA container = entries[0].resource;
    HANDLE enumeration = nullptr;
    ASSERT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, &container, &enumeration), 0u);
    alignas(NETRESOURCEA) char buffer[512];
    DWORD count = 1;
    DWORD size = sizeof(NETRESOURCEA);
    EXPECT_EQ(WNetEnumResourceA(enumeration, &count, buffer, &size),
              static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(size, sizeof(NETRESOURCEA) + sizeof server_name);
    count = 1;
    size = sizeof buffer;
    ASSERT_EQ(WNetEnumResourceA(enumeration, &count, buffer, &size), 0u);
    ASSERT_EQ(count, 1u);
    const auto* record = reinterpret_cast<const NETRESOURCEA*>(buffer);
    EXPECT_STREQ(record->lpRemoteName, server_name);
    EXPECT_EQ(record->lpComment, nullptr);
    EXPECT_GE(record->lpRemoteName, buffer + sizeof(NETRESOURCEA));
    EXPECT_LT(record->lpRemoteName, buffer + sizeof buffer);
    count = 0xFFFFFFFFu;
    ASSERT_EQ(WNetEnumResourceA(enumeration, &count, buffer, &size), 0u);
    EXPECT_EQ(count, 1u);
    EXPECT_STREQ(record->lpRemoteName, locked_name);
    EXPECT_EQ(WNetEnumResourceA(enumeration, &count, buffer, &size),
              static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    WNetCloseEnum(enumeration);

    // The server lists its share with the comment; the locked server refuses.
    container = entries[1].resource;
    ASSERT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, &container, &enumeration), 0u);
    count = 0xFFFFFFFFu;
    size = sizeof buffer;
    ASSERT_EQ(WNetEnumResourceA(enumeration, &count, buffer, &size), 0u);
    EXPECT_STREQ(record->lpComment, comment);
    WNetCloseEnum(enumeration);
    container = entries[3].resource;
    EXPECT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, &container, &enumeration),
              static_cast<DWORD>(ERROR_ACCESS_DENIED));

    platform_set_network_for_testing(nullptr, 0);
    ASSERT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, nullptr, &enumeration), 0u);
    EXPECT_EQ(WNetEnumResourceA(enumeration, &count, buffer, &size),
              static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    WNetCloseEnum(enumeration);
}
}
