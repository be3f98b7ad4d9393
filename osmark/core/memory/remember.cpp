// Remember chains: blocks recorded on a caller's key and freed together.

#include "osmark/memory.h"

#include "core/runtime/make_error.h"
#include "osmark/errors.h"

extern "C" {

OSMARK_API void* AllocRemember(Remember** key, uint32_t size) noexcept
{
    if (key == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    Remember* record = static_cast<Remember*>(AllocVec(sizeof(Remember)));
    if (record == nullptr)
        return nullptr;
    void* block = AllocVec(size);
    if (block == nullptr) {
        FreeVec(record);
        return nullptr;
    }
    record->rm_NextRemember = *key;
    record->rm_RememberSize = size;
    record->rm_Memory = block;
    *key = record;
    return block;
}

OSMARK_API void FreeRemember(Remember** key, int32_t free_blocks) noexcept
{
    if (key == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return;
    }
    Remember* record = *key;
    while (record != nullptr) {
        Remember* next = record->rm_NextRemember;
        if (free_blocks != 0)
            FreeVec(record->rm_Memory);
        FreeVec(record);
        record = next;
    }
    *key = nullptr;
}

}
