// What Win32 reports about a file: its attributes, times and size, from the Linux
// file status (rules in platform/files.h).
#ifndef PLATFORM_SRC_FILE_INFO_H
#define PLATFORM_SRC_FILE_INFO_H

#include "platform/files.h"

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace platform {

struct FileInfo {
    DWORD attributes = 0;
    FILETIME creation_time{};
    FILETIME last_access_time{};
    FILETIME last_write_time{};
    uint64_t size = 0;  // 0 for folders
    dev_t device = 0;
    ino_t inode = 0;
};

// The attributes of an entry of this mode and name.
DWORD attributes_from(mode_t mode, std::string_view name);

// A point in time as a FILETIME; times before 1601 become 0.
FILETIME file_time_from(const timespec& time);
// The FILETIME as a point in time; false when it lies beyond what the system keeps.
bool timespec_from(const FILETIME& file_time, timespec& time);

// The information of the entry at a native path (through a symbolic link; of the link
// itself when it dangles). False with errno set on failure.
bool info_of_path(const std::string& native, FileInfo& info);
// Of an open descriptor; the name decides the hidden attribute.
bool info_of_descriptor(int descriptor, std::string_view name, FileInfo& info);

}

#endif
