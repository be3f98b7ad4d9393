// Fuzz target of the clipboard's bitmap reader: any bytes read as the packed DIB of a
// bitmap clip.

#include "gui/graphics/graphics_internal.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    // The reader gets memory of exactly the data's size, so that any overrun shows.
    std::vector<uint8_t> bytes(data, data + size);
    BitMap* bitmap =
        osmark::graphics::bitmap_from_packed_dib(bytes.data(), static_cast<uint32_t>(bytes.size()));
    FreeBitMap(bitmap);
    return 0;
}
