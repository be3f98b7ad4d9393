// Share modes among the opens of this process (platform/files.h).
//
// Every open of a file or folder with CreateFileA is registered by the file's identity
// (device and inode) with its access and share mode until its object goes. A new open
// conflicts when it wants an access that an earlier open does not share, or does not
// share an access that an earlier open has. Opens without access to the data (only
// to attributes) take no part.
#ifndef PLATFORM_SRC_FILE_SHARING_H
#define PLATFORM_SRC_FILE_SHARING_H

#include "platform/win_types.h"

#include <sys/types.h>

#include <cstdint>

namespace platform {

struct FileIdentity {
    dev_t device;
    ino_t inode;
};

// One registered open; unregisters itself when it goes. A default one holds nothing.
class ShareRegistration {
public:
    ShareRegistration() = default;
    ShareRegistration(ShareRegistration&& other) noexcept;
    ShareRegistration& operator=(ShareRegistration&& other) noexcept;
    ShareRegistration(const ShareRegistration&) = delete;
    ShareRegistration& operator=(const ShareRegistration&) = delete;
    ~ShareRegistration();

    // Registers an open of the file with the (mapped) access and the share mode. False
    // with ERROR_SHARING_VIOLATION on a conflict (or ERROR_NOT_ENOUGH_MEMORY).
    bool acquire(FileIdentity identity, DWORD access, DWORD share_mode);

private:
    void release();

    uint64_t m_id = 0;
};

// True when an open of the file does not share deletion (so it may not be deleted or
// renamed).
bool is_open_without_delete_sharing(FileIdentity identity);

}

#endif
