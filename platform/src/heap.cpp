// The process heap.
//
// Small blocks come from the C library's allocator. Large blocks are mapped on their own,
// as Win32 heaps hand very large requests straight to the virtual-memory manager: the
// mapping starts on a 2 MB boundary and asks the kernel for huge pages, so that a big
// drawing's memory costs one page fault per 2 MB instead of one per 4 KB.

#include "make_win32_error.h"
#include "platform/kernel.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <malloc.h>
#include <pthread.h>
#include <sys/mman.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PLATFORM_HEAP_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define PLATFORM_HEAP_SANITIZED 1
#endif

#if defined(PLATFORM_HEAP_SANITIZED)
#include <sanitizer/asan_interface.h>
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// The one process heap; its handle only has to be a stable non-NULL value.
char g_process_heap_tag;

constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kSmallPage = 4096;
// Requests of this size and more are mapped on their own.
constexpr size_t kMappedThreshold = size_t{1} << 20;

// In front of every mapped block; the block starts right behind it, so a mapped block's
// address is always kHugePage-aligned plus the header size.
struct alignas(64) MappedHeader {
    MappedHeader* previous;
    MappedHeader* next;
    size_t mapping_length;
    size_t usable;     // bytes the mapping holds for the block
    size_t requested;  // bytes asked for, at most usable
};
constexpr size_t kHeaderSize = sizeof(MappedHeader);

// The live mapped blocks. A block is looked up here before it is treated as mapped, so
// that a block of the C allocator that happens to sit at such an address is never read
// as a header.
pthread_mutex_t g_mapped_lock = PTHREAD_MUTEX_INITIALIZER;
MappedHeader* g_mapped_blocks = nullptr;

bool may_be_mapped(const void* block)
{
    return reinterpret_cast<uintptr_t>(block) % kHugePage == kHeaderSize;
}

class MappedLock {
public:
    MappedLock() { pthread_mutex_lock(&g_mapped_lock); }
    ~MappedLock() { pthread_mutex_unlock(&g_mapped_lock); }
    MappedLock(const MappedLock&) = delete;
    MappedLock& operator=(const MappedLock&) = delete;
};

// The header of a mapped block, or NULL when block is none.
MappedHeader* find_mapped(void* block)
{
    if (!may_be_mapped(block))
        return nullptr;
    MappedLock lock;
    for (MappedHeader* header = g_mapped_blocks; header != nullptr; header = header->next) {
        if (header + 1 == block)
            return header;
    }
    return nullptr;
}

// Under the address sanitizer the bytes of a mapping outside the block's requested size
// are poisoned, so that running past the end of a large block is reported as it is for
// small ones; its pointers are roots for the leak checker.
void mark_requested(MappedHeader* header, size_t requested)
{
    header->requested = requested;
#if defined(PLATFORM_HEAP_SANITIZED)
    char* block = reinterpret_cast<char*>(header + 1);
    ASAN_UNPOISON_MEMORY_REGION(block, header->usable);
    ASAN_POISON_MEMORY_REGION(block + requested, header->usable - requested);
#endif
}

void* map_block(size_t bytes)
{
    if (bytes > SIZE_MAX / 2)
        return nullptr;
    const size_t length = (bytes + kHeaderSize + kSmallPage - 1) & ~(kSmallPage - 1);
    // Map a huge page more than needed and give back what lies outside the aligned part.
    const size_t reserve = length + kHugePage;
    void* raw = mmap(nullptr, reserve, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + kHugePage - 1) & ~uintptr_t{kHugePage - 1};
    if (aligned > start)
        munmap(raw, aligned - start);
    const uintptr_t tail = aligned + length;
    const uintptr_t end = start + reserve;
    if (end > tail)
        munmap(reinterpret_cast<void*>(tail), end - tail);
    void* mapping = reinterpret_cast<void*>(aligned);
    // Only advice: where the kernel has no huge pages the mapping works with small ones.
    madvise(mapping, length, MADV_HUGEPAGE);
#if defined(PLATFORM_HEAP_SANITIZED)
    __lsan_register_root_region(mapping, length);
#endif
    auto* header = static_cast<MappedHeader*>(mapping);
    header->previous = nullptr;
    header->mapping_length = length;
    header->usable = length - kHeaderSize;
    {
        MappedLock lock;
        header->next = g_mapped_blocks;
        if (g_mapped_blocks != nullptr)
            g_mapped_blocks->previous = header;
        g_mapped_blocks = header;
    }
    mark_requested(header, bytes);
    return header + 1;
}

// Takes a mapped block out of the list and gives its pages back.
void release_mapped(MappedHeader* header)
{
    {
        MappedLock lock;
        if (header->previous != nullptr)
            header->previous->next = header->next;
        else
            g_mapped_blocks = header->next;
        if (header->next != nullptr)
            header->next->previous = header->previous;
    }
    const size_t length = header->mapping_length;
#if defined(PLATFORM_HEAP_SANITIZED)
    // The addresses may be mapped again by anybody: leave no poison behind.
    ASAN_UNPOISON_MEMORY_REGION(header, length);
    __lsan_unregister_root_region(header, length);
#endif
    munmap(header, length);
}

void* allocate(size_t bytes, bool cleared)
{
    // A zero-byte request still gets a unique block, as on Win32.
    const size_t request = bytes == 0 ? 1 : bytes;
    // Fresh mappings are zeroed by the kernel.
    if (request >= kMappedThreshold)
        return map_block(request);
    return cleared ? std::calloc(1, request) : std::malloc(request);
}

}

extern "C" {

PLATFORM_API HANDLE GetProcessHeap(void) noexcept
{
    return &g_process_heap_tag;
}

PLATFORM_API LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) noexcept
{
    if (heap == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* block = allocate(bytes, (flags & HEAP_ZERO_MEMORY) != 0);
    if (block == nullptr)
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
    return block;
}

PLATFORM_API LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes) noexcept
{
    if (heap == nullptr || block == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (flags & HEAP_ZERO_MEMORY) {
        // The platform heap does not know the old size, so growth cannot be cleared.
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const size_t request = bytes == 0 ? 1 : bytes;
    MappedHeader* mapped = find_mapped(block);
    // A mapped block that still fits, and is not mostly empty afterwards, stays.
    if (mapped != nullptr && request <= mapped->usable && request >= mapped->usable / 2) {
        mark_requested(mapped, request);
        return block;
    }
    if (mapped == nullptr && request < kMappedThreshold) {
        void* moved = std::realloc(block, request);
        if (moved == nullptr)
            platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return moved;
    }
    // Between the two kinds of block, or to a mapping of another size: move the contents.
    void* moved = allocate(request, false);
    if (moved == nullptr) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const size_t old_size = mapped != nullptr ? mapped->requested : malloc_usable_size(block);
    std::memcpy(moved, block, old_size < request ? old_size : request);
    if (mapped != nullptr)
        release_mapped(mapped);
    else
        std::free(block);
    return moved;
}

PLATFORM_API BOOL HeapFree(HANDLE heap, DWORD /*flags*/, LPVOID block) noexcept
{
    if (heap == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (MappedHeader* header = find_mapped(block))
        release_mapped(header);
    else
        std::free(block);
    return TRUE;
}

}
