/*
 * Drives, volumes and the network of the platform layer: the subset of Win32 that the
 * libraries' file-system trees and path names use.
 *
 * There is one drive, "C:", whose root is the root "/" of the file system (the file
 * functions map any one-letter drive prefix to "/"). Volume information describes the
 * Linux file system that holds a path. There is no Windows network here: a network
 * enumeration lists no resources, and no path is on a network drive.
 *
 * Test seams lay further drives over folders and script a network
 * (platform_set_drive_for_testing, platform_set_network_for_testing).
 */
#ifndef PLATFORM_VOLUMES_H
#define PLATFORM_VOLUMES_H

#include "platform/api.h"
#include "platform/files.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

#ifndef ERROR_NO_MORE_ITEMS
#define ERROR_NO_MORE_ITEMS 259
#endif
#ifndef ERROR_NOT_CONNECTED
#define ERROR_NOT_CONNECTED 2250
#endif
#ifndef ERROR_MORE_DATA
#define ERROR_MORE_DATA 234
#endif
#ifndef ERROR_ACCESS_DENIED
#define ERROR_ACCESS_DENIED 5
#endif
#ifndef ERROR_NOT_AUTHENTICATED
#define ERROR_NOT_AUTHENTICATED 1244
#endif

/*
 * The roots of the drives, each with its NUL, then one more NUL: "C:\" here. Returns
 * the length without the last NUL when the list fits in size characters, else the
 * size needed (and writes nothing).
 */
PLATFORM_API DWORD GetLogicalDriveStringsA(DWORD size, LPSTR buffer) PLATFORM_NOEXCEPT;

#define DRIVE_UNKNOWN 0u
#define DRIVE_NO_ROOT_DIR 1u
#define DRIVE_REMOVABLE 2u
#define DRIVE_FIXED 3u
#define DRIVE_REMOTE 4u
#define DRIVE_CDROM 5u
#define DRIVE_RAMDISK 6u

/*
 * The kind of drive that holds a folder (NULL: the current directory's): REMOTE for
 * network file systems, CDROM for disc file systems, RAMDISK for memory file systems,
 * else FIXED; NO_ROOT_DIR when the path is no folder.
 */
PLATFORM_API UINT GetDriveTypeA(LPCSTR root_path) PLATFORM_NOEXCEPT;

#define FILE_CASE_PRESERVED_NAMES 0x00000002u
#define FILE_UNICODE_ON_DISK 0x00000004u
#define FILE_READ_ONLY_VOLUME 0x00080000u

/*
 * Information on the file system that holds a folder (NULL: the current
 * directory's): an empty label; the serial number from the file system's id; the
 * longest name; FILE_CASE_PRESERVED_NAMES and FILE_UNICODE_ON_DISK (names are found
 * without regard to case by the file functions), with FILE_READ_ONLY_VOLUME when it is
 * mounted read-only; and the file system's Linux name ("ext4", "tmpfs", ...). Each out
 * pointer may be NULL; a text that does not fit its buffer fails with
 * ERROR_INSUFFICIENT_BUFFER.
 */
PLATFORM_API BOOL GetVolumeInformationA(LPCSTR root_path, LPSTR volume_name, DWORD volume_name_size,
                                        LPDWORD serial_number, LPDWORD maximum_component_length,
                                        LPDWORD file_system_flags, LPSTR file_system_name,
                                        DWORD file_system_name_size) PLATFORM_NOEXCEPT;

#define SEM_FAILCRITICALERRORS 0x0001u
#define SEM_NOGPFAULTERRORBOX 0x0002u
#define SEM_NOOPENFILEERRORBOX 0x8000u
/* Sets the process's error mode and returns the previous one. No call here ever shows
 * a critical-error box, so the mode is only kept. */
PLATFORM_API UINT SetErrorMode(UINT mode) PLATFORM_NOEXCEPT;

/* ---- The network ----------------------------------------------------------------- */

#define RESOURCE_CONNECTED 0x00000001u
#define RESOURCE_GLOBALNET 0x00000002u
#define RESOURCE_REMEMBERED 0x00000003u
#define RESOURCETYPE_ANY 0x00000000u
#define RESOURCETYPE_DISK 0x00000001u
#define RESOURCEUSAGE_CONNECTABLE 0x00000001u
#define RESOURCEUSAGE_CONTAINER 0x00000002u

typedef struct NETRESOURCEA {
    DWORD dwScope;
    DWORD dwType;
    DWORD dwDisplayType;
    DWORD dwUsage;
    LPSTR lpLocalName;
    LPSTR lpRemoteName;
    LPSTR lpComment;
    LPSTR lpProvider;
} NETRESOURCEA;
typedef NETRESOURCEA* LPNETRESOURCEA;

#define RESOURCEDISPLAYTYPE_GENERIC 0x00000000u
#define RESOURCEDISPLAYTYPE_DOMAIN 0x00000001u
#define RESOURCEDISPLAYTYPE_SERVER 0x00000002u
#define RESOURCEDISPLAYTYPE_SHARE 0x00000003u
#define RESOURCEDISPLAYTYPE_NETWORK 0x00000006u

/* Starts an enumeration of network resources (of the whole network for a NULL
 * resource, or of the container that resource->lpRemoteName names); without a
 * scripted network it finds none. The handle is ended with WNetCloseEnum. Returns 0
 * or an error number (ERROR_INVALID_PARAMETER for an unknown scope or a NULL out
 * pointer; a scripted container may refuse with its own error). */
PLATFORM_API DWORD WNetOpenEnumA(DWORD scope, DWORD type, DWORD usage, LPNETRESOURCEA resource,
                                 HANDLE* enumeration) PLATFORM_NOEXCEPT;
/* Hands out up to *count resources (0xFFFFFFFF: as many as fit) into buffer of
 * *buffer_size bytes: the records from its start, their texts from its end. 0 with
 * *count set; ERROR_MORE_DATA with *buffer_size the size needed when not even one
 * fits; ERROR_NO_MORE_ITEMS (with *count 0) when every resource was handed out. */
PLATFORM_API DWORD WNetEnumResourceA(HANDLE enumeration, LPDWORD count, LPVOID buffer,
                                     LPDWORD buffer_size) PLATFORM_NOEXCEPT;
PLATFORM_API DWORD WNetCloseEnum(HANDLE enumeration) PLATFORM_NOEXCEPT;

#define UNIVERSAL_NAME_INFO_LEVEL 0x00000001u
#define REMOTE_NAME_INFO_LEVEL 0x00000002u
/* ERROR_NOT_CONNECTED: no path is on a network drive. */
PLATFORM_API DWORD WNetGetUniversalNameA(LPCSTR local_path, DWORD info_level, LPVOID buffer,
                                         LPDWORD buffer_size) PLATFORM_NOEXCEPT;

/* ---- Test seams ------------------------------------------------------------------ */

/*
 * Lays the drive letter (A-Z but C, either case) over a Linux folder with a drive type:
 * GetLogicalDriveStringsA lists its root after "C:\", GetDriveTypeA of a path on it
 * answers drive_type, and every path that begins with the letter and ':' leads into
 * the folder. A NULL folder takes the drive away again.
 */
PLATFORM_API void platform_set_drive_for_testing(char letter, const char* folder,
                                                 UINT drive_type) PLATFORM_NOEXCEPT;

/*
 * One resource of a scripted network: the container that lists it (the remote name
 * of a container entry; NULL: the top of the network), the resource, and for a
 * container the error that WNetOpenEnumA answers for it (0: it lists its entries).
 */
typedef struct PlatformNetworkEntry {
    const char* container;
    NETRESOURCEA resource;
    DWORD open_error;
} PlatformNetworkEntry;

/* Makes the network the entries given (count of them); they must stay valid until the
 * network is scripted again. NULL or 0 restores the empty network. */
PLATFORM_API void platform_set_network_for_testing(const PlatformNetworkEntry* entries,
                                                   size_t count) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
