// Finding a group by its code among the groups collected for one entity.

#include <cstring>

#include "halvern/items.h"
#include "osmark/paged_array.h"

namespace {

// Copies text into value, cut to size - 1 characters; nothing without room.
void copy_value(char* value, uint32_t size, const char* text)
{
    if (value == nullptr || size == 0)
        return;
    const size_t length = text != nullptr ? std::strlen(text) : 0;
    const size_t copied = length < size ? length : size - 1;
    if (copied > 0)
        std::memcpy(value, text, copied);
    value[copied] = '\0';
}

}

extern "C" {

HALVERN_API int32_t DXFFindGroup(PagedArray* pairs, int32_t code, int32_t start, char* value,
                                 uint32_t size) noexcept
{
    // An array of other records cannot be read as groups.
    if (pairs == nullptr || pairs->pa_RecordSize < sizeof(DXFGroupRec)) {
        copy_value(value, size, nullptr);
        return -1;
    }
    const uint32_t count = PagedArrayGetCount(pairs);
    for (uint32_t i = start > 0 ? static_cast<uint32_t>(start) : 0; i < count && i <= INT32_MAX;
         ++i) {
        const auto* group = static_cast<const DXFGroupRec*>(PagedArrayGet(pairs, i));
        if (group == nullptr || group->dg_Code != code)
            continue;
        copy_value(value, size, group->dg_Value);
        return static_cast<int32_t>(i);
    }
    copy_value(value, size, nullptr);
    return -1;
}

}
