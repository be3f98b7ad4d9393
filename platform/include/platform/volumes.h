/*
 * Drives, volumes and the network of the platform layer: the subset of Win32 that the
 * libraries' file-system trees and path names use.
 *
 * There is one drive, "C:", whose root is the root "/" of the file system (the file
 * functions map any one-letter drive prefix to "/"). Volume information describes the
 * Linux file system that holds a path. There is no Windows network here: a network
 * enumeration lists no resources, and no path is on a network drive.
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

/* Starts an enumeration of network resources (of the whole network, or of a
 * container); it finds none. The handle is ended with WNetCloseEnum. Returns 0 or an
 * error number (ERROR_INVALID_PARAMETER for an unknown scope or a NULL out pointer). */
PLATFORM_API DWORD WNetOpenEnumA(DWORD scope, DWORD type, DWORD usage, LPNETRESOURCEA resource,
                                 HANDLE* enumeration) PLATFORM_NOEXCEPT;
/* ERROR_NO_MORE_ITEMS (with *count 0): there are no resources. */
PLATFORM_API DWORD WNetEnumResourceA(HANDLE enumeration, LPDWORD count, LPVOID buffer,
                                     LPDWORD buffer_size) PLATFORM_NOEXCEPT;
PLATFORM_API DWORD WNetCloseEnum(HANDLE enumeration) PLATFORM_NOEXCEPT;

#define UNIVERSAL_NAME_INFO_LEVEL 0x00000001u
#define REMOTE_NAME_INFO_LEVEL 0x00000002u
/* ERROR_NOT_CONNECTED: no path is on a network drive. */
PLATFORM_API DWORD WNetGetUniversalNameA(LPCSTR local_path, DWORD info_level, LPVOID buffer,
                                         LPDWORD buffer_size) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
