// File mappings backed by the paging file: shared segments (sync_named_object.h)
// behind handles, and views of them. A view keeps its segment (and so a named
// mapping's name) alive until it is unmapped, as on Win32.

#include "platform/file_mapping.h"

#include "kernel_object.h"
#include "make_win32_error.h"
#include "platform/kernel.h"
#include "sync_named_object.h"

#include <sys/mman.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <new>

namespace {

using platform::NamedKind;
using platform::SharedSegment;

// INVALID_HANDLE_VALUE, spelled without the C cast of its macro.
const HANDLE kPagingFile = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

// Win32's view offsets are multiples of its allocation granularity.
constexpr uint64_t kViewGranularity = 65536;

class MappingObject final : public platform::KernelObject {
public:
    MappingObject(std::shared_ptr<SharedSegment> segment, bool writable)
        : m_segment(std::move(segment)), m_writable(writable)
    {
    }

    const std::shared_ptr<SharedSegment>& segment() const { return m_segment; }
    bool writable() const { return m_writable; }

private:
    std::shared_ptr<SharedSegment> m_segment;
    bool m_writable;
};

struct View {
    size_t length;
    std::shared_ptr<SharedSegment> segment;
};

struct ViewTable {
    std::mutex mutex;
    std::map<uintptr_t, View> views; // by start address
};

// Kept for the life of the process, like the handle table.
ViewTable& view_table()
{
    static ViewTable* table = new ViewTable;
    return *table;
}

uint64_t join(DWORD high, DWORD low)
{
    return (static_cast<uint64_t>(high) << 32) | low;
}

HANDLE add_mapping(std::shared_ptr<SharedSegment> segment, bool writable, bool existed)
{
    const HANDLE handle = platform::add_handle(std::make_shared<MappingObject>(std::move(segment), writable));
    if (handle != nullptr)
        SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

}

extern "C" {

PLATFORM_API HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES /*attributes*/, DWORD protect,
                                       DWORD maximum_size_high, DWORD maximum_size_low,
                                       LPCSTR name) noexcept
{
    if (file != kPagingFile) {
        platform::make_win32_error(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    const uint64_t size = join(maximum_size_high, maximum_size_low);
    if (size == 0 || (protect != PAGE_READONLY && protect != PAGE_READWRITE)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    try {
        const SharedSegment::Request request{NamedKind::Mapping, name, SharedSegment::Mode::CreateOrOpen,
                                             size, nullptr, nullptr};
        bool existed = false;
        std::shared_ptr<SharedSegment> segment = SharedSegment::open(request, &existed);
        if (segment == nullptr)
            return nullptr;
        return add_mapping(std::move(segment), protect == PAGE_READWRITE, existed);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

PLATFORM_API HANDLE OpenFileMappingA(DWORD desired_access, BOOL /*inherit_handle*/, LPCSTR name) noexcept
{
    if (name == nullptr || name[0] == '\0') {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    try {
        const SharedSegment::Request request{NamedKind::Mapping, name, SharedSegment::Mode::OpenExisting, 0,
                                             nullptr, nullptr};
        bool existed = false;
        std::shared_ptr<SharedSegment> segment = SharedSegment::open(request, &existed);
        if (segment == nullptr)
            return nullptr;
        return add_mapping(std::move(segment), (desired_access & FILE_MAP_WRITE) != 0, false);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

PLATFORM_API LPVOID MapViewOfFile(HANDLE mapping, DWORD desired_access, DWORD offset_high, DWORD offset_low,
                                  SIZE_T bytes) noexcept
{
    const std::shared_ptr<MappingObject> object = platform::object_of_kind<MappingObject>(mapping);
    if (object == nullptr)
        return nullptr;
    const bool write = (desired_access & FILE_MAP_WRITE) != 0;
    if (write && !object->writable()) {
        platform::make_win32_error(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    const uint64_t offset = join(offset_high, offset_low);
    const uint64_t size = object->segment()->header().payload_size;
    if (offset % kViewGranularity != 0) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (offset >= size || bytes > size - offset) {
        platform::make_win32_error(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    const size_t length = bytes != 0 ? bytes : static_cast<size_t>(size - offset);
    const int protection = write ? PROT_READ | PROT_WRITE : PROT_READ;
    void* address = mmap(nullptr, length, protection, MAP_SHARED, object->segment()->descriptor(),
                         static_cast<off_t>(SharedSegment::payload_offset() + offset));
    if (address == MAP_FAILED) {
        platform::make_win32_error_from_errno();
        return nullptr;
    }
    try {
        ViewTable& table = view_table();
        const std::lock_guard lock(table.mutex);
        table.views.emplace(reinterpret_cast<uintptr_t>(address), View{length, object->segment()});
    } catch (const std::bad_alloc&) {
        munmap(address, length);
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return address;
}

PLATFORM_API BOOL UnmapViewOfFile(LPCVOID address) noexcept
{
    View view{};
    {
        ViewTable& table = view_table();
        const std::lock_guard lock(table.mutex);
        const auto found = table.views.find(reinterpret_cast<uintptr_t>(address));
        if (found == table.views.end()) {
            platform::make_win32_error(ERROR_INVALID_ADDRESS);
            return FALSE;
        }
        view = std::move(found->second);
        table.views.erase(found);
    }
    munmap(const_cast<void*>(address), view.length);
    return TRUE;
}

}
