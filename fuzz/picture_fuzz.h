// What the picture fuzz targets share: any bytes loaded as a picture of one class,
// which is refused or, when it loads, drawn scaled onto a small bitmap.
#ifndef FUZZ_PICTURE_FUZZ_H
#define FUZZ_PICTURE_FUZZ_H

#include "framework/graphics.h"

#include <cstddef>
#include <cstdint>

template <typename Picture>
int FuzzPicture(const uint8_t* data, size_t size)
{
    fw::TMemoryStream stream;
    stream.WriteBuffer(data, static_cast<int32_t>(size));
    stream.SetPosition(0);
    Picture picture;
    try {
        picture.LoadFromStream(&stream);
    } catch (const fw::EInvalidGraphic&) {
        return 0;
    }
    if (picture.Empty())
        __builtin_trap();
    fw::TBitmap target;
    target.SetSize(16, 16);
    target.Canvas()->StretchDraw(fw::Rect(0, 0, 16, 16), &picture);
    return 0;
}

#endif
