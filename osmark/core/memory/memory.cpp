// Counted heap blocks and strings.

#include "osmark/memory.h"

#include "core/memory/memory_internal.h"
#include "core/runtime/make_error.h"
#include "osmark/errors.h"
#include "osmark/format.h"
#include "osmark/testing.h"
#include "platform/kernel.h"

#include <atomic>
#include <cstring>

namespace {

// Blocks live and blocks ever allocated; plain counters as the library defines them,
// atomic only so that threads never tear them.
std::atomic<uint32_t> g_live_blocks{0};
std::atomic<uint32_t> g_total_blocks{0};

// Allocation failure injection for tests: skip this many, then fail this many.
std::atomic<uint32_t> g_successes_before_failure{0};
std::atomic<uint32_t> g_failures_left{0};

bool injected_failure()
{
    if (g_failures_left.load(std::memory_order_relaxed) == 0)
        return false;
    if (g_successes_before_failure.load(std::memory_order_relaxed) != 0) {
        g_successes_before_failure.fetch_sub(1, std::memory_order_relaxed);
        return false;
    }
    g_failures_left.fetch_sub(1, std::memory_order_relaxed);
    return true;
}

void count_new_block()
{
    g_live_blocks.fetch_add(1, std::memory_order_relaxed);
    g_total_blocks.fetch_add(1, std::memory_order_relaxed);
}

// Rounds up to a multiple of 4 without wrapping: 0 counts as 1.
size_t counted_block_size(uint64_t size)
{
    if (size == 0)
        size = 1;
    return static_cast<size_t>((size + 3) & ~uint64_t{3});
}

void* heap_alloc(size_t bytes, DWORD flags)
{
    if (injected_failure())
        return nullptr;
    return HeapAlloc(GetProcessHeap(), flags, bytes);
}

}

namespace osmark {

void* allocate_counted(uint64_t size, bool cleared)
{
    void* block = heap_alloc(counted_block_size(size), cleared ? HEAP_ZERO_MEMORY : 0);
    if (block == nullptr) {
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
    count_new_block();
    return block;
}

}

extern "C" {

OSMARK_API void* AllocVec(uint32_t size) noexcept
{
    return osmark::allocate_counted(size, false);
}

OSMARK_API void* CAllocVec(uint32_t count, uint32_t size) noexcept
{
    // The product is formed in 64 bits, so a count and size that overflow 32 bits
    // ask the heap for the real amount and fail there instead of wrapping.
    return osmark::allocate_counted(uint64_t{count} * size, true);
}

OSMARK_API void* ReAllocVec(void* block, uint32_t size) noexcept
{
    if (block == nullptr) {
        void* fresh = heap_alloc(size == 0 ? 1 : size, 0);
        if (fresh == nullptr) {
            osmark::set_io_error(IoErrNoMemory);
            return nullptr;
        }
        count_new_block();
        return fresh;
    }
    void* moved = injected_failure() ? nullptr : HeapReAlloc(GetProcessHeap(), 0, block, size);
    if (moved == nullptr) {
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
    return moved;
}

OSMARK_API int32_t FreeVec(void* block) noexcept
{
    if (block == nullptr)
        return 0;
    HeapFree(GetProcessHeap(), 0, block);
    g_live_blocks.fetch_sub(1, std::memory_order_relaxed);
    return 0;
}

OSMARK_API int32_t AllocInfo(char* buffer) noexcept
{
    if (buffer == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    return SPrintf(buffer, "ALLOCATIONS: %ld, (TOTAL NUMBER %ld)", g_live_blocks.load(),
                   g_total_blocks.load());
}

OSMARK_API char* AllocStr(uint32_t length, const char* source) noexcept
{
    if (source == nullptr) {
        char* empty = static_cast<char*>(osmark::allocate_counted(uint64_t{length} + 1, false));
        if (empty != nullptr)
            empty[0] = '\0';
        return empty;
    }
    const size_t source_length = std::strlen(source);
    char* copy = static_cast<char*>(osmark::allocate_counted(uint64_t{source_length} + 1, false));
    if (copy != nullptr)
        std::memcpy(copy, source, source_length + 1);
    return copy;
}

OSMARK_API int32_t FreeStr(char* string) noexcept
{
    return FreeVec(string);
}

OSMARK_TESTING_API void osmark_testing_fail_allocations(uint32_t successes,
                                                        uint32_t failures) noexcept
{
    g_failures_left.store(0, std::memory_order_relaxed);
    g_successes_before_failure.store(successes, std::memory_order_relaxed);
    g_failures_left.store(failures, std::memory_order_relaxed);
}

OSMARK_TESTING_API int32_t osmark_testing_allocation_fails(void) noexcept
{
    return injected_failure() ? 1 : 0;
}

OSMARK_TESTING_API void osmark_testing_allocation_counts(uint32_t* live, uint32_t* total) noexcept
{
    if (live != nullptr)
        *live = g_live_blocks.load();
    if (total != nullptr)
        *total = g_total_blocks.load();
}

}
