// Memory-backed file handles over a caller's image.

#include "model/memory_handle.h"

#include <cstring>

namespace halvern {

namespace {

// The write slot has a const buffer; the same no-op serves both directions.
int32_t memory_no_write(uintptr_t system_handle, const void* buffer, int32_t count,
                        int32_t* done) noexcept
{
    return DXFMemoryNoTransfer(system_handle, const_cast<void*>(buffer), count, done);
}

}

int32_t MemFileClose(uintptr_t) noexcept
{
    return 1;
}

int32_t MemFileSeek(uintptr_t, int32_t, int32_t) noexcept
{
    return -1;
}

int32_t DXFMemoryNoTransfer(uintptr_t, void*, int32_t, int32_t* done) noexcept
{
    if (done != nullptr)
        *done = 0;
    return 0;
}

FileHandle* DXFMakeMemoryHandle(const void* image, FileHandle* handle, int32_t size) noexcept
{
    if (handle == nullptr || size < 0 || (image == nullptr && size > 0))
        return nullptr;
    std::memset(static_cast<void*>(handle), 0, sizeof(FileHandle));
    // Osmark's read calls never store into a memory-backed buffer, so the image can be
    // the caller's read-only data.
    auto* bytes = static_cast<uint8_t*>(const_cast<void*>(image));
    handle->fh_Count = size;
    handle->fh_Position = bytes;
    handle->fh_Buffer = bytes;
    handle->fh_BufferSize = size;
    handle->fh_Flags = FileFlagRead | FileFlagMemory;
    handle->fh_Close = MemFileClose;
    handle->fh_Read = DXFMemoryNoTransfer;
    handle->fh_Write = memory_no_write;
    handle->fh_Seek = MemFileSeek;
    return handle;
}

}
