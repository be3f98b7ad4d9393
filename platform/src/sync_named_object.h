// Shared segments behind named kernel objects (semaphores and file mappings).
//
// A named object is a POSIX shared-memory object "/tarvek.<uid>.<name>" that begins
// with a header page; a mapping's contents follow the header page. Every segment open
// on the name holds a shared flock on its own descriptor; the last one to close finds
// that nobody else holds one and removes the name, so a named object lives exactly as
// long as someone holds it, as on Win32. A process that dies drops its holds with its
// descriptors, so the next opener finds a name that nobody holds, removes it and starts
// afresh. Creating, opening and closing a name happen under one lock file per user, so
// that no process can open a name that is being removed or find a header half written.
//
// An unnamed mapping uses the same layout in a memory file of its own process.
#ifndef PLATFORM_SRC_SYNC_NAMED_OBJECT_H
#define PLATFORM_SRC_SYNC_NAMED_OBJECT_H

#include "platform/win_types.h"
#include "unique_fd.h"

#include <semaphore.h>

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

enum class NamedKind : uint32_t {
    Semaphore = 0x414D4553, // "SEMA"
    Mapping = 0x5050414D    // "MAPP"
};

// The header page's contents; written once by the creator, then only the semaphore
// changes.
struct NamedHeader {
    NamedKind kind;
    uint64_t payload_size; // bytes after the header page (mappings)
    int32_t maximum_count; // semaphores
    sem_t semaphore;       // semaphores: process-shared
};

class SharedSegment {
public:
    enum class Mode { CreateOrOpen, OpenExisting };

    struct Request {
        NamedKind kind;
        const char* name;      // NULL or "": an unnamed segment of this process
        Mode mode;
        uint64_t payload_size; // for a new segment
        // Fills the header of a new segment (kind and payload size are set already); false when it cannot, with the last error set.
        bool (*initialise)(NamedHeader& header, const void* context);
        const void* context;
    };

    // The segment, or NULL with the last error. *existed tells whether the name was
    // open already (then its creator's header holds).
    static std::shared_ptr<SharedSegment> open(const Request& request, bool* existed) noexcept;

    SharedSegment(const SharedSegment&) = delete;
    SharedSegment& operator=(const SharedSegment&) = delete;
    ~SharedSegment();

    NamedHeader& header() const { return *m_header; }
    int descriptor() const { return m_descriptor.get(); }
    // Offset of the payload in the segment's descriptor.
    static uint64_t payload_offset();

private:
    enum class Found { Opened, Absent, Failed };

    SharedSegment() = default;
    Found open_existing(const Request& request);

    std::string m_name; // empty for an unnamed segment
    UniqueFd m_descriptor;
    NamedHeader* m_header = nullptr;
};

}

#endif
