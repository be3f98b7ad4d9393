// Message ports.
//
// The shared area is the format that every process of the machine shares
// (little-endian 32-bit words):
//     0 "MSG ", 4 total size 16384, 8 state (0 open, 1 closed), 12 free bytes,
//     16 the chain of entries: length, flags (bit 0 retrieved), the message bytes,
//        the reply-port name with its NUL when the message names one.
// In a stored message the reply-port field holds the name's offset from the start of
// the message (0 without a name).
//
// The area is written by other processes, so nothing read from it is believed: walks
// stay inside the part of the chain that the free bytes leave in use and stop at an
// entry whose length cannot be, and no entry's message is copied out beyond its entry.
// The end word 0 is written only where four bytes remain: the chain's length, from
// the free bytes, is what ends a walk.

#include "osmark/msg_ports.h"

#include "core/runtime/make_error.h"
#include "core/runtime/startup_steps.h"
#include "osmark/dates.h"
#include "osmark/errors.h"
#include "osmark/exit_list.h"
#include "osmark/gui_services.h"
#include "osmark/library.h"
#include "osmark/locks.h"
#include "osmark/memory.h"
#include "osmark/strings.h"
#include "platform/file_mapping.h"
#include "platform/handles.h"
#include "platform/kernel.h"

#include <bit>
#include <cstddef>
#include <cstring>

struct MsgPort {
    Node mp_Node;        // on the port list; ln_Name the port's name
    Semaphore mp_Wait;   // free while a message is pending
    Semaphore mp_Action; // the lock of the area
    uint32_t mp_Flags;   // kCreatorFlag
    HANDLE mp_Mapping;
    unsigned char* mp_View;
    List mp_Retrieved; // private copies awaiting ReplyPortMsg
};

namespace {

static_assert(std::endian::native == std::endian::little, "the area's words are little-endian");

constexpr uint32_t kCreatorFlag = 1;

constexpr size_t kMagicOffset = 0;
constexpr size_t kSizeOffset = 4;
constexpr size_t kStateOffset = 8;
constexpr size_t kFreeOffset = 12;
constexpr size_t kChainOffset = 16;
constexpr char kMagic[4] = {'M', 'S', 'G', ' '};
constexpr uint32_t kStateOpen = 0;
constexpr uint32_t kStateClosed = 1;

constexpr uint32_t kEntryHeader = 8;
constexpr size_t kEntryFlagsOffset = 4;
constexpr uint32_t kEntryRetrieved = 1;
constexpr uint32_t kSmallestEntry = kEntryHeader + sizeof(PortMsg);

// INVALID_HANDLE_VALUE, the paging file, spelled without the C cast of its macro.
const HANDLE kPagingFile = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

List g_ports;
bool g_ports_exist = false;

uint32_t read_word(const unsigned char* view, size_t offset)
{
    uint32_t value;
    std::memcpy(&value, view + offset, sizeof value);
    return value;
}

void write_word(unsigned char* view, size_t offset, uint32_t value)
{
    std::memcpy(view + offset, &value, sizeof value);
}

// The free bytes as the header gives them, at most the area's room.
uint32_t free_bytes(const unsigned char* view)
{
    const uint32_t free = read_word(view, kFreeOffset);
    return free <= MsgPortAreaFree ? free : MsgPortAreaFree;
}

size_t chain_end(const unsigned char* view)
{
    return kChainOffset + (MsgPortAreaFree - free_bytes(view));
}

// Calls visit(offset, length) for each entry of the chain in turn while it answers
// true.
template <typename Visit>
void walk_chain(const unsigned char* view, Visit visit)
{
    const size_t end = chain_end(view);
    size_t offset = kChainOffset;
    while (offset + kEntryHeader <= end) {
        const uint32_t length = read_word(view, offset);
        if (length < kSmallestEntry || length > end - offset)
            return;
        if (!visit(offset, length))
            return;
        offset += length;
    }
}

bool is_retrieved(const unsigned char* view, size_t entry)
{
    return (read_word(view, entry + kEntryFlagsOffset) & kEntryRetrieved) != 0;
}

bool has_pending_entry(const unsigned char* view)
{
    bool pending = false;
    walk_chain(view, [&](size_t offset, uint32_t) {
        pending = !is_retrieved(view, offset);
        return !pending;
    });
    return pending;
}

void write_end_word(unsigned char* view)
{
    const size_t end = chain_end(view);
    if (end + 4 <= MsgPortAreaSize)
        write_word(view, end, 0);
}

// Takes back the room of every retrieved entry, sliding the others down in their order.
void compact(unsigned char* view)
{
    size_t write = kChainOffset;
    walk_chain(view, [&](size_t offset, uint32_t length) {
        if (!is_retrieved(view, offset)) {
            if (write != offset)
                std::memmove(view + write, view + offset, length);
            write += length;
        }
        return true;
    });
    // Whatever a damaged chain held past its last sound entry goes too.
    write_word(view, kFreeOffset, static_cast<uint32_t>(MsgPortAreaSize - write));
    write_end_word(view);
}

bool is_known(const MsgPort* port)
{
    if (!g_ports_exist || port == nullptr)
        return false;
    for (Node* node = g_ports.lh_Head; node->ln_Succ != nullptr; node = node->ln_Succ) {
        if (node == &port->mp_Node)
            return true;
    }
    return false;
}

bool is_known_locked(const MsgPort* port)
{
    Forbid();
    const bool known = is_known(port);
    Permit();
    return known;
}

// Holds the area's lock while it lives.
class AreaLock {
public:
    explicit AreaLock(MsgPort* port) : m_port(port) { ObtainSemaphore(&m_port->mp_Action); }
    ~AreaLock() { DropSemaphore(&m_port->mp_Action); }
    AreaLock(const AreaLock&) = delete;
    AreaLock& operator=(const AreaLock&) = delete;

private:
    MsgPort* m_port;
};

void set_system_error()
{
    osmark::set_io_error_from_win32(GetLastError());
}

char* semaphore_name(const char* name, const char* suffix)
{
    const size_t length = std::strlen(name) + std::strlen(suffix);
    if (length >= UINT32_MAX)
        return nullptr;
    char* text = AllocStr(static_cast<uint32_t>(length), nullptr);
    if (text == nullptr)
        return nullptr;
    std::strcpy(text, name);
    std::strcat(text, suffix);
    return text;
}

// Frees what a record holds and the record; it must be off the list.
void release_record(MsgPort* port)
{
    if (port->mp_View != nullptr)
        UnmapViewOfFile(port->mp_View);
    if (port->mp_Mapping != nullptr)
        CloseHandle(port->mp_Mapping);
    if (port->mp_Wait.sem_Semaphore != nullptr)
        FreeSemaphore(&port->mp_Wait);
    if (port->mp_Action.sem_Semaphore != nullptr)
        FreeSemaphore(&port->mp_Action);
    FreeStr(port->mp_Wait.sem_Name);
    FreeStr(port->mp_Action.sem_Name);
    FreeStr(port->mp_Node.ln_Name);
    FreeVec(port);
}

// A record with its name and both semaphores; NULL with the error code left.
MsgPort* new_record(const char* name)
{
    auto* port = static_cast<MsgPort*>(CAllocVec(1, sizeof(MsgPort)));
    if (port == nullptr)
        return nullptr;
    NewList(&port->mp_Retrieved);
    port->mp_Node.ln_Type = MsgPortNodeType;
    port->mp_Node.ln_Name = AllocStr(0, name);
    port->mp_Wait.sem_Name = semaphore_name(name, "_wait");
    port->mp_Action.sem_Name = semaphore_name(name, "_action");
    if (port->mp_Node.ln_Name == nullptr || port->mp_Wait.sem_Name == nullptr ||
        port->mp_Action.sem_Name == nullptr) {
        release_record(port);
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
    if (!AllocSemaphore(&port->mp_Wait) || !AllocSemaphore(&port->mp_Action)) {
        release_record(port);
        return nullptr;
    }
    return port;
}

void add_to_list(MsgPort* port)
{
    Forbid();
    AddTail(&g_ports, &port->mp_Node);
    Permit();
}

enum class ClosedPorts {
    Refuse,
    Accept
};

MsgPort* open_port(const char* name, ClosedPorts closed)
{
    if (name == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    if (!g_ports_exist) {
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
    const HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name);
    if (mapping == nullptr) {
        osmark::set_io_error(IoErrObjectNotFound);
        return nullptr;
    }
    // A mapping smaller than a port's area cannot be mapped at that size: no port.
    auto* view = static_cast<unsigned char*>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, MsgPortAreaSize));
    if (view == nullptr || std::memcmp(view + kMagicOffset, kMagic, sizeof kMagic) != 0 ||
        read_word(view, kSizeOffset) != MsgPortAreaSize) {
        if (view != nullptr)
            UnmapViewOfFile(view);
        CloseHandle(mapping);
        osmark::set_io_error(IoErrWrongType);
        return nullptr;
    }
    if (closed == ClosedPorts::Refuse && read_word(view, kStateOffset) == kStateClosed) {
        UnmapViewOfFile(view);
        CloseHandle(mapping);
        osmark::set_io_error(IoErrLockError);
        return nullptr;
    }
    MsgPort* port = new_record(name);
    if (port == nullptr) {
        UnmapViewOfFile(view);
        CloseHandle(mapping);
        return nullptr;
    }
    port->mp_Mapping = mapping;
    port->mp_View = view;
    add_to_list(port);
    return port;
}

// Where the entry's stored message keeps a field of PortMsg.
size_t stored_field(size_t entry, size_t field)
{
    return entry + kEntryHeader + field;
}

// The message length and reply-port name offset of a stored entry, checked against
// the entry; false for an entry that cannot be a message.
bool stored_message(const unsigned char* view, size_t entry, uint32_t entry_length,
                    uint32_t& message_length, size_t& name_offset, size_t& name_length)
{
    message_length = read_word(view, stored_field(entry, offsetof(PortMsg, pm_Length)));
    if (message_length < sizeof(PortMsg) || message_length > entry_length - kEntryHeader)
        return false;
    uintptr_t offset = 0;
    std::memcpy(&offset, view + stored_field(entry, offsetof(PortMsg, pm_ReplyPort)),
                sizeof offset);
    name_offset = 0;
    name_length = 0;
    if (offset == 0)
        return true;
    const size_t room = entry_length - kEntryHeader;
    if (offset < message_length || offset >= room)
        return false;
    const auto* name = view + entry + kEntryHeader + offset;
    const void* nul = std::memchr(name, '\0', room - offset);
    if (nul == nullptr)
        return false;
    name_offset = offset;
    name_length = static_cast<size_t>(static_cast<const unsigned char*>(nul) - name);
    return true;
}

uint16_t smallest_free_number(const MsgPort* port)
{
    for (uint32_t number = 1; number <= UINT16_MAX; ++number) {
        bool used = false;
        for (Node* node = port->mp_Retrieved.lh_Head; node->ln_Succ != nullptr;
             node = node->ln_Succ) {
            if (reinterpret_cast<PortMsg*>(node)->pm_Number == number) {
                used = true;
                break;
            }
        }
        if (!used)
            return static_cast<uint16_t>(number);
    }
    return 0;
}

PortMsg* copy_out(MsgPort* port, size_t entry, uint32_t message_length, size_t name_offset,
                  size_t name_length)
{
    const size_t size = message_length + (name_offset != 0 ? name_length + 1 : 0);
    auto* copy = static_cast<PortMsg*>(AllocVec(static_cast<uint32_t>(size)));
    if (copy == nullptr)
        return nullptr;
    const unsigned char* stored = port->mp_View + entry + kEntryHeader;
    std::memcpy(copy, stored, message_length);
    char* name = nullptr;
    if (name_offset != 0) {
        name = reinterpret_cast<char*>(copy) + message_length;
        std::memcpy(name, stored + name_offset, name_length);
        name[name_length] = '\0';
    }
    copy->pm_ReplyPort = name;
    copy->pm_Port = port;
    copy->pm_Number = smallest_free_number(port);
    AddHead(&port->mp_Retrieved, reinterpret_cast<Node*>(&copy->pm_Node));
    return copy;
}

void free_retrieved(MsgPort* port, uint16_t number)
{
    for (Node* node = port->mp_Retrieved.lh_Head; node->ln_Succ != nullptr; node = node->ln_Succ) {
        if (reinterpret_cast<PortMsg*>(node)->pm_Number == number) {
            Remove(node);
            FreeVec(node);
            return;
        }
    }
}

void reply_to_every_retrieved(MsgPort* port)
{
    while (!IsListEmpty(&port->mp_Retrieved)) {
        auto* message = reinterpret_cast<PortMsg*>(port->mp_Retrieved.lh_Head);
        const uint16_t number = message->pm_Number;
        ReplyPortMsg(message);
        // A reply that could not find its port leaves the copy: free it all the same.
        free_retrieved(port, number);
    }
}

void delete_all_ports()
{
    while (g_ports_exist && !IsListEmpty(&g_ports))
        DeleteMsgPort(reinterpret_cast<MsgPort*>(g_ports.lh_Head));
    g_ports_exist = false;
}

// Milliseconds between two date stamps, a day change counted as a whole day.
uint64_t elapsed_ms(const DateStampRec& start, const DateStampRec& now)
{
    uint64_t later = now.ds_Time;
    if (now.ds_Day != start.ds_Day)
        later += 86400000u;
    return later >= start.ds_Time ? later - start.ds_Time : 0;
}

int32_t wait_with_messages(MsgPort* port, uint32_t timeout, Window* window, uint32_t class_mask)
{
    DateStampRec start{};
    DateStamp(&start);
    uint32_t remaining = timeout;
    for (;;) {
        const HANDLE wait = port->mp_Wait.sem_Semaphore;
        const DWORD result = MsgWaitForMultipleObjects(1, &wait, FALSE, remaining, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) {
            DropSemaphore(&port->mp_Wait);
            return WaitMsgPortPending;
        }
        if (result == WAIT_TIMEOUT)
            return WaitMsgPortTimeout;
        if (result != WAIT_OBJECT_0 + 1) {
            set_system_error();
            return WaitMsgPortFailed;
        }
        // Room for the window message that PeekMsg copies; it stays queued.
        alignas(std::max_align_t) unsigned char message[512];
        if (PeekMsg(reinterpret_cast<IDCMPMsg*>(message), window, class_mask, 0) != 0)
            return WaitMsgPortWindowMsg;
        if (timeout == WaitMsgPortForever)
            continue;
        DateStampRec now{};
        DateStamp(&now);
        const uint64_t elapsed = elapsed_ms(start, now);
        if (elapsed >= timeout)
            return WaitMsgPortTimeout;
        remaining = static_cast<uint32_t>(timeout - elapsed);
    }
}

}

namespace osmark {

void InitialiseMsgPorts()
{
    NewList(&g_ports);
    g_ports_exist = true;
    AddExitProc(&LibraryExitList, delete_all_ports);
}

}

extern "C" {

OSMARK_API MsgPort* CreateMsgPortA(const char* name, const TagItem* /*tags*/) noexcept
{
    if (name == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    if (!g_ports_exist) {
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
    const HANDLE existing = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
    if (existing != nullptr) {
        CloseHandle(existing);
        osmark::set_io_error(IoErrObjectExists);
        return nullptr;
    }
    MsgPort* port = new_record(name);
    if (port == nullptr)
        return nullptr;
    ObtainSemaphore(&port->mp_Action);
    port->mp_Mapping =
        CreateFileMappingA(kPagingFile, nullptr, PAGE_READWRITE, 0, MsgPortAreaSize, name);
    const DWORD error = GetLastError();
    if (port->mp_Mapping != nullptr && error != ERROR_ALREADY_EXISTS)
        port->mp_View = static_cast<unsigned char*>(
            MapViewOfFile(port->mp_Mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (port->mp_View == nullptr) {
        // Somebody made the mapping between the look and the creation.
        if (port->mp_Mapping != nullptr && error == ERROR_ALREADY_EXISTS)
            osmark::set_io_error(IoErrObjectExists);
        else
            set_system_error();
        DropSemaphore(&port->mp_Action);
        release_record(port);
        return nullptr;
    }
    std::memcpy(port->mp_View + kMagicOffset, kMagic, sizeof kMagic);
    write_word(port->mp_View, kSizeOffset, MsgPortAreaSize);
    write_word(port->mp_View, kStateOffset, kStateOpen);
    write_word(port->mp_View, kFreeOffset, MsgPortAreaFree);
    write_word(port->mp_View, kChainOffset, 0);
    // Empty: the wait semaphore is held.
    AttemptSemaphore(&port->mp_Wait);
    port->mp_Flags = kCreatorFlag;
    add_to_list(port);
    DropSemaphore(&port->mp_Action);
    return port;
}

OSMARK_API MsgPort* LockMsgPort(const char* name) noexcept
{
    return open_port(name, ClosedPorts::Refuse);
}

OSMARK_API int32_t UnlockMsgPort(MsgPort* port) noexcept
{
    Forbid();
    if (!is_known(port) || (port->mp_Flags & kCreatorFlag) != 0) {
        Permit();
        osmark::set_io_error(IoErrObjectInvalid);
        return 0;
    }
    reply_to_every_retrieved(port);
    Remove(&port->mp_Node);
    release_record(port);
    Permit();
    return 1;
}

OSMARK_API int32_t SendPortMsg(MsgPort* port, PortMsg* message) noexcept
{
    if (message == nullptr || message->pm_Length < sizeof(PortMsg)) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    if (!is_known_locked(port)) {
        osmark::set_io_error(IoErrObjectInvalid);
        return 0;
    }
    const AreaLock lock(port);
    unsigned char* view = port->mp_View;
    if (read_word(view, kStateOffset) == kStateClosed && message->pm_Type != PortMsgReply) {
        osmark::set_io_error(IoErrLockError);
        return 0;
    }
    const bool was_pending = has_pending_entry(view);
    const size_t name_length =
        message->pm_ReplyPort != nullptr ? std::strlen(message->pm_ReplyPort) : 0;
    const uint64_t entry_length = uint64_t{kEntryHeader} + message->pm_Length +
                                  (message->pm_ReplyPort != nullptr ? name_length + 1 : 0);
    if (entry_length >= free_bytes(view))
        compact(view);
    if (entry_length >= free_bytes(view)) {
        osmark::set_io_error(IoErrNoMemory);
        return 0;
    }
    const size_t entry = chain_end(view);
    write_word(view, entry, static_cast<uint32_t>(entry_length));
    write_word(view, entry + kEntryFlagsOffset, 0);
    unsigned char* stored = view + entry + kEntryHeader;
    std::memcpy(stored, message, message->pm_Length);
    uintptr_t name_offset = 0;
    if (message->pm_ReplyPort != nullptr) {
        name_offset = message->pm_Length;
        std::memcpy(stored + name_offset, message->pm_ReplyPort, name_length + 1);
    }
    std::memcpy(stored + offsetof(PortMsg, pm_ReplyPort), &name_offset, sizeof name_offset);
    write_word(view, kFreeOffset, free_bytes(view) - static_cast<uint32_t>(entry_length));
    write_end_word(view);
    if (!was_pending)
        DropSemaphore(&port->mp_Wait);
    return 1;
}

OSMARK_API PortMsg* RetrievePortMsg(MsgPort* port) noexcept
{
    if (!is_known_locked(port)) {
        osmark::set_io_error(IoErrObjectInvalid);
        return nullptr;
    }
    const AreaLock lock(port);
    unsigned char* view = port->mp_View;
    const bool was_pending = has_pending_entry(view);
    PortMsg* copy = nullptr;
    bool out_of_memory = false;
    walk_chain(view, [&](size_t entry, uint32_t length) {
        if (is_retrieved(view, entry))
            return true;
        uint32_t message_length = 0;
        size_t name_offset = 0;
        size_t name_length = 0;
        if (stored_message(view, entry, length, message_length, name_offset, name_length)) {
            copy = copy_out(port, entry, message_length, name_offset, name_length);
            if (copy == nullptr) {
                out_of_memory = true;
                return false;
            }
        }
        // An entry that cannot be a message is passed over as if it had been taken.
        write_word(view, entry + kEntryFlagsOffset,
                   read_word(view, entry + kEntryFlagsOffset) | kEntryRetrieved);
        return copy == nullptr;
    });
    if (was_pending && !out_of_memory && !has_pending_entry(view))
        ObtainSemaphore(&port->mp_Wait);
    return copy;
}

OSMARK_API int32_t ReplyPortMsg(PortMsg* message) noexcept
{
    if (message == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    MsgPort* port = message->pm_Port;
    if (!is_known_locked(port)) {
        osmark::set_io_error(IoErrObjectInvalid);
        return 0;
    }
    if (message->pm_Type == PortMsgWantsReply && message->pm_ReplyPort != nullptr) {
        MsgPort* answer = open_port(message->pm_ReplyPort, ClosedPorts::Accept);
        if (answer != nullptr) {
            message->pm_Type = PortMsgReply;
            SendPortMsg(answer, message);
            UnlockMsgPort(answer);
        }
    }
    message->pm_Type = PortMsgReplied;
    free_retrieved(port, message->pm_Number);
    return 1;
}

OSMARK_API int32_t WaitMsgPort(MsgPort* port, uint32_t timeout, Window* window,
                               uint32_t class_mask) noexcept
{
    if (!is_known_locked(port)) {
        osmark::set_io_error(IoErrObjectInvalid);
        return WaitMsgPortFailed;
    }
    if (class_mask != 0)
        return wait_with_messages(port, timeout, window, class_mask);
    const DWORD result = WaitForSingleObject(port->mp_Wait.sem_Semaphore, timeout);
    if (result == WAIT_OBJECT_0) {
        DropSemaphore(&port->mp_Wait);
        return WaitMsgPortPending;
    }
    if (result == WAIT_TIMEOUT)
        return WaitMsgPortTimeout;
    set_system_error();
    return WaitMsgPortFailed;
}

OSMARK_API int32_t CloseMsgPort(MsgPort* port) noexcept
{
    if (!is_known_locked(port)) {
        osmark::set_io_error(IoErrObjectInvalid);
        return 0;
    }
    const AreaLock lock(port);
    write_word(port->mp_View, kStateOffset, kStateClosed);
    return 1;
}

OSMARK_API int32_t DeleteMsgPort(MsgPort* port) noexcept
{
    Forbid();
    if (!is_known(port)) {
        Permit();
        osmark::set_io_error(IoErrObjectInvalid);
        return 0;
    }
    reply_to_every_retrieved(port);
    Remove(&port->mp_Node);
    release_record(port);
    Permit();
    return 1;
}
}
