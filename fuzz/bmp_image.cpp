// Fuzz target of Windows bitmap files (TBitmap): any bytes loaded as a picture, which
// is refused or, when it loads, drawn scaled onto a small bitmap.

#include "picture_fuzz.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzPicture<fw::TBitmap>(data, size);
}
