// Drives, volume information, the error mode and the network (platform/volumes.h):
// one drive and no network, unless a test lays drives over folders or scripts a
// network.

#include "platform/volumes.h"

#include "file_object.h"
#include "kernel_object.h"
#include "make_win32_error.h"
#include "path_translation.h"
#include "platform/kernel.h"
#include "test_drives.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <mutex>
#include <new>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The one drive: its root is "/".
constexpr char kDriveStrings[] = "C:\\\0";  // and the literal's own NUL ends the list
constexpr DWORD kDriveStringsLength = sizeof kDriveStrings - 1;

std::atomic<UINT> g_error_mode{0};

// One resource of the network, its texts held in the record.
struct NetworkResource {
    DWORD scope = 0;
    DWORD type = 0;
    DWORD display_type = 0;
    DWORD usage = 0;
    std::string local_name;
    std::string remote_name;
    std::string comment;
    std::string provider;
    bool has_local_name = false;
    bool has_comment = false;
    bool has_provider = false;
};

// The network that a test scripted; empty otherwise. The entries stay the test's.
struct NetworkScript {
    std::mutex mutex;
    const PlatformNetworkEntry* entries = nullptr;
    size_t count = 0;
};

NetworkScript& network_script()
{
    static NetworkScript* script = new NetworkScript;
    return *script;
}

std::string text_or_empty(const char* text)
{
    return text != nullptr ? text : "";
}

NetworkResource resource_of(const NETRESOURCEA& record)
{
    NetworkResource resource;
    resource.scope = record.dwScope;
    resource.type = record.dwType;
    resource.display_type = record.dwDisplayType;
    resource.usage = record.dwUsage;
    resource.local_name = text_or_empty(record.lpLocalName);
    resource.remote_name = text_or_empty(record.lpRemoteName);
    resource.comment = text_or_empty(record.lpComment);
    resource.provider = text_or_empty(record.lpProvider);
    resource.has_local_name = record.lpLocalName != nullptr;
    resource.has_comment = record.lpComment != nullptr;
    resource.has_provider = record.lpProvider != nullptr;
    return resource;
}

bool same_container(const char* entry_container, const char* container)
{
    if (entry_container == nullptr || container == nullptr)
        return entry_container == container;
    return std::strcmp(entry_container, container) == 0;
}

// The resources that the container (NULL: the top of the network) lists, or the error
// that the script gives for listing it.
DWORD list_network(const char* container, std::vector<NetworkResource>& resources)
{
    NetworkScript& script = network_script();
    const std::lock_guard lock(script.mutex);
    for (size_t i = 0; i < script.count && container != nullptr; ++i) {
        const PlatformNetworkEntry& entry = script.entries[i];
        const char* name = entry.resource.lpRemoteName;
        if (name != nullptr && std::strcmp(name, container) == 0 &&
            entry.open_error != ERROR_SUCCESS)
            return entry.open_error;
    }
    for (size_t i = 0; i < script.count; ++i) {
        if (same_container(script.entries[i].container, container))
            resources.push_back(resource_of(script.entries[i].resource));
    }
    return ERROR_SUCCESS;
}

// An enumeration of network resources: what the container listed when it was
// opened, handed out in turn.
class NetworkEnumeration final : public platform::KernelObject {
public:
    explicit NetworkEnumeration(std::vector<NetworkResource> resources)
        : m_resources(std::move(resources))
    {
    }

    DWORD next(DWORD& count, void* buffer, DWORD& buffer_size);

private:
    std::mutex m_mutex;
    std::vector<NetworkResource> m_resources;
    size_t m_next = 0;
};

size_t text_size(const std::string& text, bool present)
{
    return present ? text.size() + 1 : 0;
}

size_t packed_size(const NetworkResource& resource)
{
    return sizeof(NETRESOURCEA) + text_size(resource.local_name, resource.has_local_name) +
           text_size(resource.remote_name, true) +
           text_size(resource.comment, resource.has_comment) +
           text_size(resource.provider, resource.has_provider);
}

// Records from the front of the buffer, their texts from its end, as Win32 packs them.
DWORD NetworkEnumeration::next(DWORD& count, void* buffer, DWORD& buffer_size)
{
    const std::lock_guard lock(m_mutex);
    if (m_next >= m_resources.size()) {
        count = 0;
        return ERROR_NO_MORE_ITEMS;
    }
    const size_t first_size = packed_size(m_resources[m_next]);
    if (buffer == nullptr || buffer_size < first_size) {
        count = 0;
        buffer_size = static_cast<DWORD>(first_size);
        return platform::make_win32_status(ERROR_MORE_DATA);
    }
    auto* records = static_cast<NETRESOURCEA*>(buffer);
    char* text_end = static_cast<char*>(buffer) + buffer_size;
    size_t used = 0;
    DWORD given = 0;
    while (given < count && m_next < m_resources.size() &&
           used + packed_size(m_resources[m_next]) <= buffer_size) {
        const NetworkResource& resource = m_resources[m_next];
        used += packed_size(resource);
        const auto place = [&](const std::string& text, bool present) -> LPSTR {
            if (!present)
                return nullptr;
            text_end -= text.size() + 1;
            std::memcpy(text_end, text.c_str(), text.size() + 1);
            return text_end;
        };
        NETRESOURCEA& record = records[given];
        record.dwScope = resource.scope;
        record.dwType = resource.type;
        record.dwDisplayType = resource.display_type;
        record.dwUsage = resource.usage;
        record.lpLocalName = place(resource.local_name, resource.has_local_name);
        record.lpRemoteName = place(resource.remote_name, true);
        record.lpComment = place(resource.comment, resource.has_comment);
        record.lpProvider = place(resource.provider, resource.has_provider);
        ++given;
        ++m_next;
    }
    count = given;
    return ERROR_SUCCESS;
}

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
    try {
        const std::string strings =
            std::string(kDriveStrings, kDriveStringsLength) + platform::test_drive_strings();
        const DWORD length = static_cast<DWORD>(strings.size());
        if (buffer == nullptr || size < length + 1)
            return length + 1;
        std::memcpy(buffer, strings.c_str(), length + 1);
        return length;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

PLATFORM_API UINT GetDriveTypeA(LPCSTR root_path) noexcept
{
    try {
        platform::TestDrive drive;
        if (root_path != nullptr && root_path[0] != '\0' && root_path[1] == ':' &&
            platform::find_test_drive(root_path[0], drive)) {
            std::string native;
            return folder_of(root_path, native) ? drive.type : DRIVE_NO_ROOT_DIR;
        }
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

PLATFORM_API DWORD WNetOpenEnumA(DWORD scope, DWORD /*type*/, DWORD /*usage*/,
                                 LPNETRESOURCEA resource, HANDLE* enumeration) noexcept
{
    if (enumeration == nullptr || scope < RESOURCE_CONNECTED || scope > RESOURCE_REMEMBERED)
        return platform::make_win32_status(ERROR_INVALID_PARAMETER);
    *enumeration = nullptr;
    try {
        std::vector<NetworkResource> resources;
        const char* container = resource != nullptr ? resource->lpRemoteName : nullptr;
        if (resource != nullptr && container == nullptr)
            return platform::make_win32_status(ERROR_INVALID_PARAMETER);
        const DWORD error = list_network(container, resources);
        if (error != ERROR_SUCCESS)
            return platform::make_win32_status(static_cast<LONG>(error));
        const HANDLE handle =
            platform::add_handle(std::make_shared<NetworkEnumeration>(std::move(resources)));
        if (handle == nullptr)
            return platform::make_win32_status(ERROR_NOT_ENOUGH_MEMORY);
        *enumeration = handle;
        return ERROR_SUCCESS;
    } catch (const std::bad_alloc&) {
        return platform::make_win32_status(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API DWORD WNetEnumResourceA(HANDLE enumeration, LPDWORD count, LPVOID buffer,
                                     LPDWORD buffer_size) noexcept
{
    const std::shared_ptr<NetworkEnumeration> object =
        platform::object_of_kind<NetworkEnumeration>(enumeration);
    if (object == nullptr)
        return platform::make_win32_status(ERROR_INVALID_HANDLE);
    if (count == nullptr || buffer_size == nullptr)
        return platform::make_win32_status(ERROR_INVALID_PARAMETER);
    return object->next(*count, buffer, *buffer_size);
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

PLATFORM_API void platform_set_network_for_testing(const PlatformNetworkEntry* entries,
                                                   size_t count) noexcept
{
    NetworkScript& script = network_script();
    const std::lock_guard lock(script.mutex);
    script.entries = count != 0 ? entries : nullptr;
    script.count = entries != nullptr ? count : 0;
}
}
