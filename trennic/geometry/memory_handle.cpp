// Memory-backed file handles.

#include "geometry/memory_handle.h"

#include <cstring>

namespace trennic {

namespace {

int32_t close_nothing(uintptr_t) noexcept
{
    return 1;
}

int32_t read_nothing(uintptr_t, void*, int32_t, int32_t* done) noexcept
{
    if (done != nullptr)
        *done = 0;
    return 0;
}

int32_t write_nothing(uintptr_t, const void*, int32_t, int32_t* done) noexcept
{
    if (done != nullptr)
        *done = 0;
    return 0;
}

int32_t seek_nowhere(uintptr_t, int32_t, int32_t) noexcept
{
    return -1;
}

}

void make_memory_handle(FileHandle& handle, const void* buffer, int32_t size) noexcept
{
    std::memset(static_cast<void*>(&handle), 0, sizeof handle);
    // Osmark's reading calls do not store into a memory buffer, so it may be the
    // caller's read-only bytes.
    auto* bytes = static_cast<uint8_t*>(const_cast<void*>(buffer));
    handle.fh_Count = size;
    handle.fh_Position = bytes;
    handle.fh_Buffer = bytes;
    handle.fh_BufferSize = size;
    handle.fh_Flags = FileFlagRead | FileFlagMemory;
    handle.fh_Close = close_nothing;
    handle.fh_Read = read_nothing;
    handle.fh_Write = write_nothing;
    handle.fh_Seek = seek_nowhere;
}

}
