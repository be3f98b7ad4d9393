// Named shared-memory blocks.
//
// The header at the start of the mapping is the format that every process shares:
// "MEM ", the number of mappings that registered themselves, the total size, then the
// data. Processes raise and lower the count with atomic operations, since no lock
// spans processes here. The header is read from memory that another process wrote, so
// its size is checked against the mapping before it is believed.

#include "osmark/locks.h"

#include "core/runtime/make_error.h"
#include "core/runtime/startup_steps.h"
#include "osmark/errors.h"
#include "osmark/exit_list.h"
#include "osmark/library.h"
#include "osmark/memory.h"
#include "platform/file_mapping.h"
#include "platform/kernel.h"

#include <atomic>
#include <bit>
#include <cstring>

namespace {

static_assert(std::endian::native == std::endian::little,
              "the header's words are little-endian and are used in place");

constexpr uint32_t kHeaderSize = 12;
constexpr size_t kMagicOffset = 0;
constexpr size_t kUseCountOffset = 4;
constexpr size_t kTotalSizeOffset = 8;
constexpr char kMagic[4] = {'M', 'E', 'M', ' '};

// INVALID_HANDLE_VALUE, the paging file, spelled without the C cast of its macro.
const HANDLE kPagingFile = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

List g_shared_blocks;
bool g_shared_blocks_exist = false;

unsigned char* bytes_of(void* view)
{
    return static_cast<unsigned char*>(view);
}

uint32_t* word_at(void* view, size_t offset)
{
    return reinterpret_cast<uint32_t*>(bytes_of(view) + offset);
}

std::atomic_ref<uint32_t> use_count_of(const SharedBlock* block)
{
    return std::atomic_ref<uint32_t>(*block->sb_UseCount);
}

bool is_open(const SharedBlock* block)
{
    if (!g_shared_blocks_exist)
        return false;
    for (Node* node = g_shared_blocks.lh_Head; node->ln_Succ != nullptr; node = node->ln_Succ) {
        if (node == &block->sb_Node)
            return true;
    }
    return false;
}

void set_system_error()
{
    osmark::set_io_error_from_win32(GetLastError());
}

// The creator's total size, checked: the magic must be there, the size must hold the
// header, and the mapping must really be that large.
bool read_total_size(HANDLE mapping, void* view, uint32_t& total)
{
    std::memcpy(&total, bytes_of(view) + kTotalSizeOffset, sizeof total);
    if (std::memcmp(bytes_of(view) + kMagicOffset, kMagic, sizeof kMagic) != 0 || total < kHeaderSize)
        return false;
    void* probe = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, total);
    if (probe == nullptr)
        return false;
    UnmapViewOfFile(probe);
    return true;
}

// Maps the named block into the record, creating it when nobody has it; false with
// the error code left.
bool map_block(SharedBlock* block, const char* name, uint32_t size)
{
    bool created = false;
    block->sb_Mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name);
    if (block->sb_Mapping == nullptr) {
        const uint64_t total = (static_cast<uint64_t>(size) + 15) & ~uint64_t{3};
        if (total > UINT32_MAX) {
            osmark::set_io_error(IoErrNoMemory);
            return false;
        }
        block->sb_Mapping = CreateFileMappingA(kPagingFile, nullptr, PAGE_READWRITE, 0,
                                               static_cast<DWORD>(total), name);
        if (block->sb_Mapping == nullptr) {
            set_system_error();
            return false;
        }
        // Another process may have created it between the two calls: then its
        // creator writes the header.
        created = GetLastError() != ERROR_ALREADY_EXISTS;
        if (created) {
            block->sb_View = MapViewOfFile(block->sb_Mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
            if (block->sb_View == nullptr) {
                set_system_error();
                return false;
            }
            const uint32_t total_size = static_cast<uint32_t>(total);
            const uint32_t no_users = 0;
            std::memcpy(bytes_of(block->sb_View) + kMagicOffset, kMagic, sizeof kMagic);
            std::memcpy(bytes_of(block->sb_View) + kUseCountOffset, &no_users, sizeof no_users);
            std::memcpy(bytes_of(block->sb_View) + kTotalSizeOffset, &total_size, sizeof total_size);
        }
    }
    if (block->sb_View == nullptr) {
        block->sb_View = MapViewOfFile(block->sb_Mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
        if (block->sb_View == nullptr) {
            set_system_error();
            return false;
        }
    }
    uint32_t total = 0;
    if (!read_total_size(block->sb_Mapping, block->sb_View, total)) {
        osmark::set_io_error(IoErrObjectInvalid);
        return false;
    }
    block->sb_Size = total - kHeaderSize;
    block->sb_UseCount = word_at(block->sb_View, kUseCountOffset);
    return true;
}

void release_record(SharedBlock* block)
{
    if (block->sb_View != nullptr)
        UnmapViewOfFile(block->sb_View);
    if (block->sb_Mapping != nullptr)
        CloseHandle(block->sb_Mapping);
    FreeStr(block->sb_Node.ln_Name);
    FreeVec(block);
}

void free_all_shared_blocks()
{
    while (g_shared_blocks_exist && !IsListEmpty(&g_shared_blocks))
        FreeVecShared(reinterpret_cast<SharedBlock*>(g_shared_blocks.lh_Head));
    g_shared_blocks_exist = false;
}

}

namespace osmark {

void InitialiseSharedMemory()
{
    NewList(&g_shared_blocks);
    g_shared_blocks_exist = true;
    AddExitProc(&LibraryExitList, free_all_shared_blocks);
}

}

extern "C" {

OSMARK_API SharedBlock* AllocVecShared(const char* name, uint32_t size) noexcept
{
    if (name == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    if (!g_shared_blocks_exist) {
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
    auto* block = static_cast<SharedBlock*>(CAllocVec(1, sizeof(SharedBlock)));
    if (block == nullptr)
        return nullptr;
    block->sb_Node.ln_Name = AllocStr(0, name);
    if (block->sb_Node.ln_Name == nullptr) {
        FreeVec(block);
        return nullptr;
    }
    if (!map_block(block, name, size)) {
        release_record(block);
        return nullptr;
    }
    use_count_of(block).fetch_add(1);
    block->sb_Node.ln_Type = SharedBlockNodeType;
    block->sb_Node.ln_Pri = 0;
    AddTail(&g_shared_blocks, &block->sb_Node);
    return block;
}

OSMARK_API void* AddressOfShared(SharedBlock* block) noexcept
{
    if (block == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    if (!is_open(block)) {
        osmark::set_io_error(IoErrObjectInvalid);
        return nullptr;
    }
    return bytes_of(block->sb_View) + kHeaderSize;
}

OSMARK_API void FreeVecShared(SharedBlock* block) noexcept
{
    if (block == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return;
    }
    if (!is_open(block)) {
        osmark::set_io_error(IoErrObjectInvalid);
        return;
    }
    use_count_of(block).fetch_sub(1);
    Remove(&block->sb_Node);
    release_record(block);
}

}
