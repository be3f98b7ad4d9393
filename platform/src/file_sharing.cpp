#include "file_sharing.h"

#include "make_win32_error.h"
#include "platform/files.h"
#include "platform/kernel.h"

#include <map>
#include <mutex>
#include <new>
#include <utility>

namespace {

struct Open {
    platform::FileIdentity identity;
    DWORD access;
    DWORD share_mode;
};

struct ShareTable {
    std::mutex mutex;
    uint64_t next_id = 1;
    std::map<uint64_t, Open> opens;
};

// Kept for the life of the process, like the handle table: handles may be closed
// from other libraries' exit procedures.
ShareTable& share_table()
{
    static ShareTable* table = new ShareTable;
    return *table;
}

bool same_file(const platform::FileIdentity& a, const platform::FileIdentity& b)
{
    return a.device == b.device && a.inode == b.inode;
}

constexpr DWORD kReadRights = FILE_READ_DATA | 0x0020u; // and FILE_EXECUTE
constexpr DWORD kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA;

// True when an open with access `access` is refused by an open that shares `share`.
bool refused_by(DWORD access, DWORD share)
{
    return ((access & kReadRights) && !(share & FILE_SHARE_READ)) ||
           ((access & kWriteRights) && !(share & FILE_SHARE_WRITE)) ||
           ((access & DELETE) && !(share & FILE_SHARE_DELETE));
}

}

namespace platform {

ShareRegistration::ShareRegistration(ShareRegistration&& other) noexcept
    : m_id(std::exchange(other.m_id, 0))
{
}

ShareRegistration& ShareRegistration::operator=(ShareRegistration&& other) noexcept
{
    if (this != &other) {
        release();
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

ShareRegistration::~ShareRegistration()
{
    release();
}

void ShareRegistration::release()
{
    if (m_id == 0)
        return;
    ShareTable& table = share_table();
    const std::lock_guard lock(table.mutex);
    table.opens.erase(m_id);
    m_id = 0;
}

bool ShareRegistration::acquire(FileIdentity identity, DWORD access, DWORD share_mode)
{
    release();
    // An open without data access (attributes only) neither asks nor is asked.
    if (!(access & (kReadRights | kWriteRights | DELETE)))
        return true;
    ShareTable& table = share_table();
    const std::lock_guard lock(table.mutex);
    for (const auto& [id, open] : table.opens) {
        if (!same_file(open.identity, identity))
            continue;
        if (refused_by(access, open.share_mode) || refused_by(open.access, share_mode)) {
            platform::make_win32_error(ERROR_SHARING_VIOLATION);
            return false;
        }
    }
    try {
        const uint64_t id = table.next_id++;
        table.opens.emplace(id, Open{identity, access, share_mode});
        m_id = id;
        return true;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
}

bool is_open_without_delete_sharing(FileIdentity identity)
{
    ShareTable& table = share_table();
    const std::lock_guard lock(table.mutex);
    for (const auto& [id, open] : table.opens) {
        if (same_file(open.identity, identity) && !(open.share_mode & FILE_SHARE_DELETE))
            return true;
    }
    return false;
}

}
