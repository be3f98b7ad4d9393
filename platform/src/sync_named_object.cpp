// Shared segments behind named kernel objects; see sync_named_object.h.

#include "sync_named_object.h"

#include "make_win32_error.h"
#include "platform/kernel.h"
#include "platform/sync.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

namespace {

using platform::NamedHeader;
using platform::SharedSegment;

void set_last_error_from(int error_number,
                         platform::SourceSite where = platform::SourceSite::current())
{
    platform::make_win32_error(platform_win32_error_from_errno(error_number), where);
}

std::string user_prefix()
{
    return "/tarvek." + std::to_string(static_cast<unsigned long>(getuid())) + ".";
}

bool is_plain_name_character(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

// The POSIX name of a Win32 object name. Win32 names are case-sensitive and may hold
// any character but '\' after the session prefix; characters that a POSIX name cannot
// hold are written as %XX, so distinct names stay distinct.
bool posix_name(const char* name, std::string& result)
{
    for (const char* prefix : {"Global\\", "Local\\"}) {
        const size_t length = std::strlen(prefix);
        if (std::strncmp(name, prefix, length) == 0) {
            name += length;
            break;
        }
    }
    static const char kHex[] = "0123456789ABCDEF";
    result = user_prefix();
    for (const char* c = name; *c != '\0'; ++c) {
        if (is_plain_name_character(*c)) {
            result += *c;
            continue;
        }
        const auto byte = static_cast<unsigned char>(*c);
        result += '%';
        result += kHex[byte >> 4];
        result += kHex[byte & 15];
    }
    if (result.size() > NAME_MAX) {
        platform::make_win32_error(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    return true;
}

// Excludes every other process and thread of the user from creating, opening and
// closing names. Each lock opens the lock file afresh: flock belongs to the open file,
// so a descriptor shared with a forked child or another thread would not exclude it.
class NameLock {
public:
    NameLock()
    {
        const std::string path = user_prefix() + "names.lock";
        m_descriptor.reset(shm_open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
        if (!m_descriptor) {
            m_error = errno;
            return;
        }
        while (flock(m_descriptor.get(), LOCK_EX) != 0) {
            if (errno != EINTR) {
                m_error = errno;
                m_descriptor.reset();
                return;
            }
        }
    }
    NameLock(const NameLock&) = delete;
    NameLock& operator=(const NameLock&) = delete;
    // Closing the descriptor releases the lock.
    ~NameLock() = default;

    bool held() const { return m_descriptor.is_open(); }
    int error() const { return m_error; }

private:
    platform::UniqueFd m_descriptor;
    int m_error = 0;
};

// A segment's hold on its name: a shared flock on its own descriptor. Only a closer or
// opener that checks whether anyone holds the name asks for an exclusive one, and only
// under the name lock, so taking a shared one never waits.
bool hold_shared(int descriptor)
{
    return flock(descriptor, LOCK_SH | LOCK_NB) == 0;
}

NamedHeader* map_header(int descriptor)
{
    void* address = mmap(nullptr, SharedSegment::payload_offset(), PROT_READ | PROT_WRITE,
                         MAP_SHARED, descriptor, 0);
    return address == MAP_FAILED ? nullptr : static_cast<NamedHeader*>(address);
}

// Under the name lock, after the caller dropped its own hold: removes the name when no
// segment holds it any longer.
void remove_when_unheld(const char* name)
{
    const platform::UniqueFd owner(shm_open(name, O_RDWR | O_CLOEXEC, 0600));
    if (!owner)
        return;
    const int descriptor = owner.get();
    struct stat status {};
    if (flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
        if (fstat(descriptor, &status) == 0 &&
            static_cast<uint64_t>(status.st_size) >= SharedSegment::payload_offset()) {
            if (NamedHeader* header = map_header(descriptor)) {
                if (header->kind == platform::NamedKind::Semaphore)
                    sem_destroy(&header->semaphore);
                munmap(header, SharedSegment::payload_offset());
            }
        }
        shm_unlink(name);
    }
}

}

namespace platform {

uint64_t SharedSegment::payload_offset()
{
    static_assert(sizeof(NamedHeader) <= 4096, "the header fits the smallest page");
    const long page = sysconf(_SC_PAGESIZE);
    return page > 4096 ? static_cast<uint64_t>(page) : 4096u;
}

std::shared_ptr<SharedSegment> SharedSegment::open(const Request& request, bool* existed) noexcept
{
    *existed = false;
    std::shared_ptr<SharedSegment> segment;
    try {
        segment.reset(new SharedSegment);
        if (request.name != nullptr && request.name[0] != '\0' && !posix_name(request.name, segment->m_name))
            return nullptr;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const bool named = !segment->m_name.empty();
    const uint64_t total = payload_offset() + request.payload_size;
    if (total < request.payload_size || total > static_cast<uint64_t>(INT64_MAX)) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }

    if (!named) {
        segment->m_descriptor.reset(memfd_create("tarvek-mapping", MFD_CLOEXEC));
        const int descriptor = segment->m_descriptor.get();
        if (descriptor < 0 || ftruncate(descriptor, static_cast<off_t>(total)) != 0 ||
            (segment->m_header = map_header(descriptor)) == nullptr) {
            set_last_error_from(errno);
            return nullptr;
        }
        NamedHeader& header = *segment->m_header;
        header.kind = request.kind;
        header.payload_size = request.payload_size;
        if (request.initialise != nullptr && !request.initialise(header, request.context))
            return nullptr;
        return segment;
    }

    const NameLock lock;
    if (!lock.held()) {
        set_last_error_from(lock.error());
        return nullptr;
    }
    const char* name = segment->m_name.c_str();
    switch (segment->open_existing(request)) {
    case Found::Opened:
        *existed = true;
        return segment;
    case Found::Failed:
        return nullptr;
    case Found::Absent:
        break;
    }
    if (request.mode == Mode::OpenExisting) {
        platform::make_win32_error(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }

    segment->m_descriptor.reset(shm_open(name, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    const int descriptor = segment->m_descriptor.get();
    if (descriptor < 0) {
        set_last_error_from(errno);
        return nullptr;
    }
    if (!hold_shared(descriptor) || ftruncate(descriptor, static_cast<off_t>(total)) != 0 ||
        (segment->m_header = map_header(descriptor)) == nullptr) {
        set_last_error_from(errno);
        shm_unlink(name);
        return nullptr;
    }
    NamedHeader& header = *segment->m_header;
    header.kind = request.kind;
    header.payload_size = request.payload_size;
    if (request.initialise != nullptr && !request.initialise(header, request.context)) {
        shm_unlink(name);
        return nullptr;
    }
    return segment;
}

// Called under the name lock.
SharedSegment::Found SharedSegment::open_existing(const Request& request)
{
    const char* name = m_name.c_str();
    m_descriptor.reset(shm_open(name, O_RDWR | O_CLOEXEC, 0600));
    const int descriptor = m_descriptor.get();
    if (descriptor < 0) {
        if (errno == ENOENT)
            return Found::Absent;
        set_last_error_from(errno);
        return Found::Failed;
    }
    if (flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
        // Nobody holds it: every process that did has died without closing it.
        m_descriptor.reset();
        shm_unlink(name);
        return Found::Absent;
    }
    if (!hold_shared(descriptor)) {
        set_last_error_from(errno);
        return Found::Failed;
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 ||
        static_cast<uint64_t>(status.st_size) < payload_offset() ||
        (m_header = map_header(descriptor)) == nullptr) {
        platform::make_win32_error(ERROR_INVALID_HANDLE);
        return Found::Failed;
    }
    const uint64_t size = static_cast<uint64_t>(status.st_size) - payload_offset();
    if (m_header->kind != request.kind || m_header->payload_size > size) {
        platform::make_win32_error(ERROR_INVALID_HANDLE);
        return Found::Failed;
    }
    return Found::Opened;
}

SharedSegment::~SharedSegment()
{
    if (m_name.empty()) {
        if (m_header != nullptr && m_header->kind == NamedKind::Semaphore)
            sem_destroy(&m_header->semaphore);
    }
    // A mapping keeps its descriptor's open file, and so the hold, alive: the header
    // goes first. (Views of a mapping keep holding the name until they are unmapped.)
    if (m_header != nullptr)
        munmap(m_header, payload_offset());
    if (!m_descriptor || m_name.empty())
        return;
    // Without the lock the name stays; the next opener finds it unheld and removes it.
    const NameLock lock;
    m_descriptor.reset();
    if (lock.held())
        remove_when_unheld(m_name.c_str());
}

}
