// Drives, volume information, the error mode and the (empty) network
// (platform/volumes.h).

#include "platform/volumes.h"

#include "file_object.h"
#include "kernel_object.h"
#include "make_win32_error.h"
#include "path_translation.h"
#include "platform/kernel.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <new>
#include <sstream>
#include <string>

namespace {

// The one drive: its root is "/".
constexpr char kDriveStrings[] = "C:\\\0";  // and the literal's own NUL ends the list
constexpr DWORD kDriveStringsLength = sizeof kDriveStrings - 1;

std::atomic<UINT> g_error_mode{0};

// An enumeration of network resources; there are none to give.
class NetworkEnumeration final : public platform::KernelObject {};

BOOL fail(DWORD error, platform::SourceSite where = platform::SourceSite::current())
{
    platform::make_win32_error(error, where);
    return FALSE;
}

// The translated folder of a root-path argument (NULL: the current directory), which
// must be a folder. False with the last error when it is not.
bool folder_of(LPCSTR root_path, std::string& native)
{
    platform::TranslatedPath path;
    if (!platform::translate_path(root_path != nullptr ? root_path : ".", path))
        return false;
    struct stat status;
    if (stat(path.native.c_str(), &status) != 0) {
        platform::set_path_error(errno, path);
        return false;
    }
    if (!S_ISDIR(status.st_mode)) {
        platform::make_win32_error(ERROR_DIRECTORY);
        return false;
    }
    native = path.native;
    return true;
}

// The Linux name of the file system that holds the folder, from the mount table;
// empty when it is not listed.
std::string file_system_name(const std::string& native)
{
    struct stat status;
    if (stat(native.c_str(), &status) != 0)
        return {};
    const std::string device =
        std::to_string(major(status.st_dev)) + ":" + std::to_string(minor(status.st_dev));
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    while (std::getline(mounts, line)) {
        // id parent major:minor root mount-point options [optional fields] - type source ...
        std::istringstream fields(line);
        std::string id;
        std::string parent;
        std::string numbers;
        fields >> id >> parent >> numbers;
        if (numbers != device)
            continue;
        const size_t separator = line.find(" - ");
        if (separator == std::string::npos)
            continue;
        std::istringstream rest(line.substr(separator + 3));
        std::string type;
        rest >> type;
        return type;
    }
    return {};
}

bool is_one_of(const std::string& name, std::initializer_list<const char*> names)
{
    for (const char* candidate : names) {
        if (name == candidate)
            return true;
    }
    return false;
}

bool copy_text(const std::string& text, LPSTR buffer, DWORD size)
{
    if (buffer == nullptr)
        return true;
    if (text.size() + 1 > size)
        return false;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

}

extern "C" {

PLATFORM_API DWORD GetLogicalDriveStringsA(DWORD size, LPSTR buffer) noexcept
{
    if (buffer == nullptr || size < kDriveStringsLength + 1)
        return kDriveStringsLength + 1;
    std::memcpy(buffer, kDriveStrings, kDriveStringsLength + 1);
    return kDriveStringsLength;
}

PLATFORM_API UINT GetDriveTypeA(LPCSTR root_path) noexcept
{
    try {
        std::string native;
        if (!folder_of(root_path, native))
            return DRIVE_NO_ROOT_DIR;
        const std::string type = file_system_name(native);
        if (is_one_of(type, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "fuse.sshfs"}))
            return DRIVE_REMOTE;
        if (is_one_of(type, {"iso9660", "udf"}))
            return DRIVE_CDROM;
        if (is_one_of(type, {"tmpfs", "ramfs"}))
            return DRIVE_RAMDISK;
        return DRIVE_FIXED;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return DRIVE_UNKNOWN;
    }
}

PLATFORM_API BOOL GetVolumeInformationA(LPCSTR root_path, LPSTR volume_name, DWORD volume_name_size,
                                        LPDWORD serial_number, LPDWORD maximum_component_length,
                                        LPDWORD file_system_flags, LPSTR file_system_name_buffer,
                                        DWORD file_system_name_size) noexcept
{
    try {
        std::string native;
        if (!folder_of(root_path, native))
            return FALSE;
        struct statvfs volume;
        if (statvfs(native.c_str(), &volume) != 0) {
            platform::make_win32_error_from_errno();
            return FALSE;
        }
        std::string type = file_system_name(native);
        if (type.empty())
            type = "unknown";
        if (!copy_text("", volume_name, volume_name_size) ||
            !copy_text(type, file_system_name_buffer, file_system_name_size))
            return fail(ERROR_INSUFFICIENT_BUFFER);
        if (serial_number != nullptr) {
            const uint64_t id = volume.f_fsid;
            *serial_number = static_cast<DWORD>(id ^ (id >> 32));
        }
        if (maximum_component_length != nullptr)
            *maximum_component_length = static_cast<DWORD>(volume.f_namemax);
        if (file_system_flags != nullptr) {
            *file_system_flags = FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK;
            if (volume.f_flag & ST_RDONLY)
                *file_system_flags |= FILE_READ_ONLY_VOLUME;
        }
        return TRUE;
    } catch (const std::bad_alloc&) {
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API UINT SetErrorMode(UINT mode) noexcept
{
    return g_error_mode.exchange(mode);
}

PLATFORM_API DWORD WNetOpenEnumA(DWORD scope, DWORD /*type*/, DWORD /*usage*/, LPNETRESOURCEA /*resource*/,
                                 HANDLE* enumeration) noexcept
{
    if (enumeration == nullptr || scope < RESOURCE_CONNECTED || scope > RESOURCE_REMEMBERED)
        return platform::make_win32_status(ERROR_INVALID_PARAMETER);
    *enumeration = nullptr;
    try {
        const HANDLE handle = platform::add_handle(std::make_shared<NetworkEnumeration>());
        if (handle == nullptr)
            return platform::make_win32_status(ERROR_NOT_ENOUGH_MEMORY);
        *enumeration = handle;
        return ERROR_SUCCESS;
    } catch (const std::bad_alloc&) {
        return platform::make_win32_status(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API DWORD WNetEnumResourceA(HANDLE enumeration, LPDWORD count, LPVOID /*buffer*/,
                                     LPDWORD /*buffer_size*/) noexcept
{
    if (platform::object_of_kind<NetworkEnumeration>(enumeration) == nullptr)
        return platform::make_win32_status(ERROR_INVALID_HANDLE);
    if (count == nullptr)
        return platform::make_win32_status(ERROR_INVALID_PARAMETER);
    *count = 0;
    return ERROR_NO_MORE_ITEMS;
}

PLATFORM_API DWORD WNetCloseEnum(HANDLE enumeration) noexcept
{
    if (platform::object_of_kind<NetworkEnumeration>(enumeration) == nullptr)
        return platform::make_win32_status(ERROR_INVALID_HANDLE);
    CloseHandle(enumeration);
    return ERROR_SUCCESS;
}

PLATFORM_API DWORD WNetGetUniversalNameA(LPCSTR local_path, DWORD /*info_level*/, LPVOID /*buffer*/,
                                         LPDWORD buffer_size) noexcept
{
    if (local_path == nullptr || buffer_size == nullptr)
        return platform::make_win32_status(ERROR_INVALID_PARAMETER);
    return platform::make_win32_status(ERROR_NOT_CONNECTED);
}

}
