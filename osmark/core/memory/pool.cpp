// Memory pools: puddles of blocks, first fit, freed one by one or all at once.
//
// A puddle is one counted block: the puddle record, then its block area. Every block
// in the area has an 8-byte header in front of the caller's pointer:
//   word 1: kUsedMark while in use; while free, the offset of the next free block's
//           header from the start of the area (kNoNextFree at the end). Offsets are
//           multiples of 8, so a free block can never carry the used mark, and the
//           header stays 8 bytes on 64-bit machines.
//   word 2: the block's data size in bytes, header excluded.
// The free blocks of a puddle form a list in ascending address order, and a freed
// block merges with every free neighbour it touches, so a puddle whose blocks are all
// free is always one free block again.

#include "osmark/memory.h"

#include "core/memory/memory_internal.h"
#include "core/runtime/make_error.h"
#include "osmark/errors.h"

#include <cstring>

namespace {

constexpr uint16_t kPoolMagic = 0xEFEF;
constexpr uint32_t kUsedMark = 0x0001EFEF;
constexpr uint32_t kNoNextFree = 0xFFFFFFFF;
constexpr uint32_t kHeaderSize = 8;
constexpr uint64_t kLargestBlock = 0xFFFFFFF0u;

struct BlockHeader {
    uint32_t link;
    uint32_t size;
};
static_assert(sizeof(BlockHeader) == kHeaderSize);

}

struct Puddle {
    Puddle* next;
    uint32_t size;           // data bytes the area holds besides its first header
    uint32_t rank;           // puddles the pool had made before this one
    BlockHeader* start;      // the first block header, right after this record
    BlockHeader* free_head;  // first free block, or NULL
    // No free block of this puddle is larger than this: a puddle that filled up is then
    // passed over at the cost of one comparison instead of a walk of its free list.
    uintptr_t free_bound;
};

struct Pool {
    uint16_t magic;
    uint16_t flags;
    uint32_t puddle_size;
    uint32_t threshold;
    Puddle* first_puddle;
    // No free block of the puddles behind the first is larger than this. New blocks
    // mostly come from the first (newest) puddle; the older ones are searched only when
    // one of them may hold the request, so a pool of thousands of full puddles does not
    // walk them all each time its newest puddle fills up.
    uintptr_t older_bound;
};

static_assert(sizeof(Puddle) % 8 == 0 && sizeof(Pool) % 8 == 0,
              "block areas must start 8-byte aligned");

namespace {

uint64_t round_up_8(uint64_t size)
{
    return (size + 7) & ~uint64_t{7};
}

char* bytes(void* pointer)
{
    return static_cast<char*>(pointer);
}

BlockHeader* header_of(void* block)
{
    return reinterpret_cast<BlockHeader*>(bytes(block) - kHeaderSize);
}

void* data_of(BlockHeader* header)
{
    return bytes(header) + kHeaderSize;
}

char* end_of(BlockHeader* header)
{
    return bytes(header) + kHeaderSize + header->size;
}

char* area_end(const Puddle* puddle)
{
    return bytes(puddle->start) + kHeaderSize + puddle->size;
}

BlockHeader* next_free(const Puddle* puddle, const BlockHeader* header)
{
    if (header->link == kNoNextFree)
        return nullptr;
    return reinterpret_cast<BlockHeader*>(bytes(puddle->start) + header->link);
}

uint32_t link_to(const Puddle* puddle, const BlockHeader* header)
{
    if (header == nullptr)
        return kNoNextFree;
    return static_cast<uint32_t>(reinterpret_cast<const char*>(header) - bytes(puddle->start));
}

bool is_valid_pool(const Pool* pool)
{
    if (pool == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return false;
    }
    if (pool->magic != kPoolMagic) {
        osmark::set_io_error(IoErrObjectInvalid);
        return false;
    }
    return true;
}

// Lays out a fresh block area: one free block of `size` data bytes.
void reset_puddle(Puddle* puddle)
{
    puddle->start->link = kNoNextFree;
    puddle->start->size = puddle->size;
    puddle->free_head = puddle->start;
    puddle->free_bound = puddle->size;
}

// Once a pool has made puddles of this much it is a big one (a large drawing's
// items, say), and its further ordinary puddles are large: a puddle that fills a huge
// page of the process heap costs one page fault instead of hundreds, and first fit
// passes over a few hundred puddles where it would pass over tens of thousands.
constexpr uint64_t kBigPoolBytes = uint64_t{1} << 20;
// Block area of a large puddle: with the puddle record and the heap's bookkeeping the
// whole block stays within 2 MB.
constexpr uint32_t kLargePuddleSize = (uint32_t{2} << 20) - 4096;

uint32_t ordinary_puddle_size(const Pool* pool)
{
    const Puddle* newest = pool->first_puddle;
    if (pool->puddle_size >= kLargePuddleSize || newest == nullptr)
        return pool->puddle_size;
    const uint64_t made = uint64_t{newest->rank} + 1;
    return made * pool->puddle_size >= kBigPoolBytes ? kLargePuddleSize : pool->puddle_size;
}

Puddle* add_puddle(Pool* pool, uint32_t size)
{
    if (pool->flags & PoolFixed)
        return nullptr;
    void* memory = osmark::allocate_counted(uint64_t{sizeof(Puddle)} + size + kHeaderSize, false);
    if (memory == nullptr)
        return nullptr;
    Puddle* puddle = static_cast<Puddle*>(memory);
    puddle->size = size;
    puddle->rank = pool->first_puddle != nullptr ? pool->first_puddle->rank + 1 : 0;
    puddle->start = reinterpret_cast<BlockHeader*>(puddle + 1);
    reset_puddle(puddle);
    if (pool->first_puddle != nullptr && pool->first_puddle->free_bound > pool->older_bound)
        pool->older_bound = pool->first_puddle->free_bound;
    puddle->next = pool->first_puddle;
    pool->first_puddle = puddle;
    return puddle;
}

// Takes `request` bytes out of a free block (whose predecessor in the free list is
// `previous`, NULL for the head), splitting off the rest when a block fits there.
void* take_block(Puddle* puddle, BlockHeader* previous, BlockHeader* block, uint32_t request)
{
    BlockHeader* successor = next_free(puddle, block);
    BlockHeader* replacement = successor;
    if (block->size > uint64_t{request} + kHeaderSize) {
        BlockHeader* rest = reinterpret_cast<BlockHeader*>(bytes(block) + kHeaderSize + request);
        rest->size = block->size - request - kHeaderSize;
        rest->link = link_to(puddle, successor);
        block->size = request;
        replacement = rest;
    }
    if (previous == nullptr)
        puddle->free_head = replacement;
    else
        previous->link = link_to(puddle, replacement);
    block->link = kUsedMark;
    return data_of(block);
}

void* first_fit(Puddle* puddle, uint32_t request)
{
    if (puddle->free_bound < request)
        return nullptr;
    BlockHeader* previous = nullptr;
    uint32_t largest = 0;
    for (BlockHeader* block = puddle->free_head; block != nullptr;
         previous = block, block = next_free(puddle, block)) {
        if (block->size >= request)
            return take_block(puddle, previous, block, request);
        if (block->size > largest)
            largest = block->size;
    }
    // The whole free list was seen: the bound is now exact.
    puddle->free_bound = largest;
    return nullptr;
}

Puddle* puddle_holding(Pool* pool, void* block)
{
    char* address = bytes(block);
    for (Puddle* puddle = pool->first_puddle; puddle != nullptr; puddle = puddle->next) {
        // Every block has at least 8 data bytes, so the last one starts 8 before the end.
        if (address >= bytes(puddle->start) + kHeaderSize && address + 8 <= area_end(puddle))
            return puddle;
    }
    return nullptr;
}

bool is_wholly_free(const Puddle* puddle)
{
    return puddle->free_head == puddle->start && puddle->start->size == puddle->size;
}

}

extern "C" {

OSMARK_API Pool* CreatePool(uint32_t puddle_size, uint32_t threshold) noexcept
{
    const uint64_t rounded_puddle = round_up_8(puddle_size);
    const uint64_t rounded_threshold = round_up_8(threshold);
    if (rounded_threshold > rounded_puddle) {
        osmark::set_io_error(IoErrBadNumber);
        return nullptr;
    }
    if (rounded_puddle > kLargestBlock) {
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
    Pool* pool = static_cast<Pool*>(AllocVec(sizeof(Pool)));
    if (pool == nullptr)
        return nullptr;
    pool->magic = kPoolMagic;
    pool->flags = 0;
    pool->puddle_size = static_cast<uint32_t>(rounded_puddle);
    pool->threshold = static_cast<uint32_t>(rounded_threshold);
    pool->first_puddle = nullptr;
    pool->older_bound = 0;
    if (add_puddle(pool, pool->puddle_size) == nullptr) {
        FreeVec(pool);
        return nullptr;
    }
    return pool;
}

OSMARK_API Pool* CreateFixedPool(void* memory, uint32_t size, uint32_t /*flags*/) noexcept
{
    if (memory == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    // Every form works inside the caller's memory and never grows: the pool then
    // hands out only memory that the caller gave it.
    const uintptr_t address = reinterpret_cast<uintptr_t>(memory);
    const uintptr_t aligned = (address + 7) & ~uintptr_t{7};
    const uint64_t overhead = (aligned - address) + sizeof(Pool) + sizeof(Puddle) + kHeaderSize;
    if (size <= overhead) {
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
    Pool* pool = reinterpret_cast<Pool*>(aligned);
    Puddle* puddle = reinterpret_cast<Puddle*>(pool + 1);
    const uint32_t capacity = static_cast<uint32_t>(size - overhead);
    pool->magic = kPoolMagic;
    pool->flags = PoolFixed | PoolCallerMemory;
    pool->puddle_size = capacity;
    pool->threshold = capacity;
    pool->first_puddle = puddle;
    pool->older_bound = 0;
    puddle->next = nullptr;
    puddle->size = capacity;
    puddle->rank = 0;
    puddle->start = reinterpret_cast<BlockHeader*>(puddle + 1);
    reset_puddle(puddle);
    return pool;
}

OSMARK_API void* AllocVecPooled(Pool* pool, uint32_t size) noexcept
{
    if (!is_valid_pool(pool))
        return nullptr;
    // A request of 0 still gets a block of its own, so no two blocks ever share an
    // address.
    const uint64_t rounded = size == 0 ? 8 : round_up_8(size);
    if (rounded > kLargestBlock) {
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
    const uint32_t request = static_cast<uint32_t>(rounded);
    if (request <= pool->threshold && pool->first_puddle != nullptr) {
        if (void* block = first_fit(pool->first_puddle, request))
            return block;
        if (request <= pool->older_bound) {
            uintptr_t largest = 0;
            for (Puddle* puddle = pool->first_puddle->next; puddle != nullptr; puddle = puddle->next) {
                if (void* block = first_fit(puddle, request))
                    return block;
                if (puddle->free_bound > largest)
                    largest = puddle->free_bound;
            }
            // Every older puddle was tried: none holds more than this now.
            pool->older_bound = largest;
        }
    }
    Puddle* puddle = add_puddle(pool, request <= pool->threshold ? ordinary_puddle_size(pool) : request);
    if (puddle == nullptr)
        return nullptr;
    return first_fit(puddle, request);
}

OSMARK_API void FreeVecPooled(Pool* pool, void* block) noexcept
{
    if (block == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return;
    }
    if (!is_valid_pool(pool))
        return;
    Puddle* puddle = puddle_holding(pool, block);
    if (puddle == nullptr)
        return;
    BlockHeader* header = header_of(block);
    const uintptr_t offset = static_cast<uintptr_t>(bytes(header) - bytes(puddle->start));
    if (offset % 8 != 0 || header->link != kUsedMark || end_of(header) > area_end(puddle)) {
        osmark::set_io_error(IoErrObjectInvalid);
        return;
    }
    BlockHeader* previous = nullptr;
    BlockHeader* next = puddle->free_head;
    while (next != nullptr && next < header) {
        previous = next;
        next = next_free(puddle, next);
    }
    // A block that overlaps a free neighbour is not a live block of this puddle.
    if ((previous != nullptr && end_of(previous) > bytes(header)) ||
        (next != nullptr && end_of(header) > bytes(next))) {
        osmark::set_io_error(IoErrObjectInvalid);
        return;
    }
    BlockHeader* merged = header;
    if (previous != nullptr && end_of(previous) == bytes(header)) {
        previous->size += kHeaderSize + header->size;
        merged = previous;
    } else {
        header->link = link_to(puddle, next);
        if (previous == nullptr)
            puddle->free_head = header;
        else
            previous->link = link_to(puddle, header);
    }
    if (next != nullptr && end_of(merged) == bytes(next)) {
        merged->size += kHeaderSize + next->size;
        merged->link = next->link;
    }
    if (merged->size > puddle->free_bound)
        puddle->free_bound = merged->size;
    if (puddle != pool->first_puddle && merged->size > pool->older_bound)
        pool->older_bound = merged->size;
}

OSMARK_API void EmptyPool(Pool* pool) noexcept
{
    if (!is_valid_pool(pool))
        return;
    pool->older_bound = 0;
    for (Puddle* puddle = pool->first_puddle; puddle != nullptr; puddle = puddle->next) {
        reset_puddle(puddle);
        if (puddle != pool->first_puddle && puddle->free_bound > pool->older_bound)
            pool->older_bound = puddle->free_bound;
    }
}

OSMARK_API int32_t CompactPool(Pool* pool) noexcept
{
    if (!is_valid_pool(pool))
        return 0;
    bool holds_used_block = false;
    Puddle** link = &pool->first_puddle;
    while (Puddle* puddle = *link) {
        if (!is_wholly_free(puddle)) {
            holds_used_block = true;
            link = &puddle->next;
            continue;
        }
        // A puddle in caller memory is not the pool's to free.
        if (pool->flags & PoolCallerMemory) {
            link = &puddle->next;
            continue;
        }
        *link = puddle->next;
        FreeVec(puddle);
    }
    return holds_used_block ? 0 : 1;
}

OSMARK_API void DeletePool(Pool* pool) noexcept
{
    if (!is_valid_pool(pool))
        return;
    pool->magic = 0;
    if (pool->flags & PoolCallerMemory)
        return;
    Puddle* puddle = pool->first_puddle;
    while (puddle != nullptr) {
        Puddle* next = puddle->next;
        FreeVec(puddle);
        puddle = next;
    }
    FreeVec(pool);
}

}
