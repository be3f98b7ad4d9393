#include "platform/kernel.h"

#include <cstdlib>
#include <cstring>

namespace {
// The one process heap; its handle only has to be a stable non-NULL value.
char g_process_heap_tag;
}

extern "C" {

PLATFORM_API HANDLE GetProcessHeap(void) noexcept
{
    return &g_process_heap_tag;
}

PLATFORM_API LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) noexcept
{
    if (heap == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // A zero-byte request still gets a unique block, as on Win32.
    const size_t request = bytes == 0 ? 1 : bytes;
    void* block = (flags & HEAP_ZERO_MEMORY) ? std::calloc(1, request) : std::malloc(request);
    if (block == nullptr)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return block;
}

PLATFORM_API LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes) noexcept
{
    if (heap == nullptr || block == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (flags & HEAP_ZERO_MEMORY) {
        // The platform heap does not know the old size, so growth cannot be cleared.
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* moved = std::realloc(block, bytes == 0 ? 1 : bytes);
    if (moved == nullptr)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return moved;
}

PLATFORM_API BOOL HeapFree(HANDLE heap, DWORD /*flags*/, LPVOID block) noexcept
{
    if (heap == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::free(block);
    return TRUE;
}

}
