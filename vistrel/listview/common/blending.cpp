#include "listview/common/blending.h"

#include "listview/common/rect_routines.h"

#include "framework/sysutils.h"

#include <algorithm>
#include <cstring>

namespace vistrel::listview {

namespace {

// One byte of a row blend, done as the 16-bit lanes of the defining arithmetic: the
// exact mix, then the bias added with signed saturation around 128 and a wrapping
// add back, then the signed result clamped to a byte.
inline uint8_t blend_byte(int s, int d, int a, int16_t bias)
{
    const uint16_t mixed = static_cast<uint16_t>(((s - d) * a + d * 256) & 0xFFFF);
    const int v = mixed >> 8;
    const int saturated = std::clamp(v - 128 + bias, -32768, 32767);
    const int16_t w = static_cast<int16_t>(static_cast<uint16_t>(saturated + 128));
    return static_cast<uint8_t>(std::clamp<int>(w, 0, 255));
}

inline int16_t bias16(int bias)
{
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(bias) & 0xFFFF));
}

}

bool HasMMX()
{
    return true;
}

void BlendRowConstantAlpha(const uint8_t* Source, uint8_t* Destination, int Count,
                           int ConstantAlpha, int Bias)
{
    const int a = ConstantAlpha & 0xFF;
    const int16_t bias = bias16(Bias);
    for (int i = 0; i < Count * 4; ++i)
        Destination[i] = blend_byte(Source[i], Destination[i], a, bias);
}

void BlendRowPixelAlpha(const uint8_t* Source, uint8_t* Destination, int Count, int Bias)
{
    const int16_t bias = bias16(Bias);
    for (int pixel = 0; pixel < Count; ++pixel) {
        const int a = Source[4 * pixel + 3];
        for (int i = 4 * pixel; i < 4 * pixel + 4; ++i)
            Destination[i] = blend_byte(Source[i], Destination[i], a, bias);
    }
}

void BlendRowMasterAlpha(const uint8_t* Source, uint8_t* Destination, int Count, int ConstantAlpha,
                         int Bias)
{
    const int master = ConstantAlpha & 0xFF;
    const int16_t bias = bias16(Bias);
    for (int pixel = 0; pixel < Count; ++pixel) {
        const int a = (Source[4 * pixel + 3] * master) >> 8;
        for (int i = 4 * pixel; i < 4 * pixel + 4; ++i)
            Destination[i] = blend_byte(Source[i], Destination[i], a, bias);
    }
}

void BlendRowSolidColor(uint8_t* Destination, int Count, int ConstantAlpha, uint32_t Color)
{
    const int a = ConstantAlpha & 0xFF;
    // 0xAABBGGRR becomes the pixel bytes BB, GG, RR, AA.
    const int colour[4] = {static_cast<int>((Color >> 16) & 0xFF),
                           static_cast<int>((Color >> 8) & 0xFF), static_cast<int>(Color & 0xFF),
                           static_cast<int>((Color >> 24) & 0xFF)};
    for (int pixel = 0; pixel < Count; ++pixel) {
        for (int lane = 0; lane < 4; ++lane) {
            uint8_t& d = Destination[4 * pixel + lane];
            d = static_cast<uint8_t>(((d * (256 - a) + colour[lane] * a) & 0xFFFF) >> 8);
        }
    }
}

void EndBlendRows()
{
}

uint8_t* GetDCBitmapBits(HDC DC, int& Width, int& Height)
{
    Width = 0;
    Height = 0;
    DIBSECTION section{};
    const HGDIOBJ bitmap = GetCurrentObject(DC, OBJ_BITMAP);
    if (bitmap != nullptr && GetObjectA(bitmap, static_cast<int>(sizeof section), &section) ==
                                 static_cast<int>(sizeof section)) {
        if (section.dsBm.bmBitsPixel * section.dsBm.bmPlanes != 32)
            fw::Assert(false, QStringLiteral("Alpha blending error: bitmap must use 32 bpp."),
                       "LQCommonUtilities", 0);
        Width = section.dsBmih.biWidth;
        Height = section.dsBmih.biHeight;
    }
    if (section.dsBm.bmBits == nullptr)
        fw::Assert(false, QStringLiteral("Alpha blending DC error: no bitmap available."),
                   "LQCommonUtilities", 0);
    return static_cast<uint8_t*>(section.dsBm.bmBits);
}

uint8_t* DIBRowAddress(uint8_t* Bits, int Width, int Height, int Row)
{
    const size_t row_bytes = ((static_cast<size_t>(Width) * 32 + 31) & ~size_t{31}) / 8;
    const size_t index =
        Height > 0 ? static_cast<size_t>(Height - 1 - Row) : static_cast<size_t>(Row);
    return Bits + row_bytes * index;
}

namespace {

int abs_height(int height)
{
    return height < 0 ? -height : height;
}

// The part of the rectangle (and its shift to the destination) that lies inside both
// bitmaps; empty when none does.
fw::TRect clip_to_bitmaps(fw::TRect source, fw::TPoint& origin, int source_width, int source_height,
                          int destination_width, int destination_height)
{
    const long dx = static_cast<long>(origin.X) - source.Left;
    const long dy = static_cast<long>(origin.Y) - source.Top;
    long left = std::max<long>({source.Left, 0, -dx});
    long top = std::max<long>({source.Top, 0, -dy});
    long right = std::min<long>({source.Right, source_width, destination_width - dx});
    long bottom = std::min<long>({source.Bottom, source_height, destination_height - dy});
    if (right <= left || bottom <= top)
        return {};
    origin = fw::Point(static_cast<LONG>(left + dx), static_cast<LONG>(top + dy));
    return fw::Rect(static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
                    static_cast<LONG>(bottom));
}

}

void BlendBitmaps(HDC SourceDC, HDC DestinationDC, const fw::TRect& SourceRect,
                  fw::TPoint DestinationOrigin, TLqCommonBlendMode Mode, int ConstantAlpha,
                  int BiasOrColor)
{
    if (SourceRect.Right <= SourceRect.Left || SourceRect.Bottom <= SourceRect.Top)
        return;
    switch (Mode) {
    case cbmConstantAlpha:
    case cbmPerPixelAlpha:
    case cbmMasterAlpha: {
        int source_width = 0;
        int source_height = 0;
        int destination_width = 0;
        int destination_height = 0;
        uint8_t* const source = GetDCBitmapBits(SourceDC, source_width, source_height);
        uint8_t* const destination =
            GetDCBitmapBits(DestinationDC, destination_width, destination_height);
        if (source == nullptr || destination == nullptr)
            return;
        fw::TPoint origin = DestinationOrigin;
        const fw::TRect rect =
            clip_to_bitmaps(SourceRect, origin, source_width, abs_height(source_height),
                            destination_width, abs_height(destination_height));
        for (int i = 0; i < RectHeight(rect); ++i) {
            const uint8_t* const from =
                DIBRowAddress(source, source_width, source_height, rect.Top + i) + 4 * rect.Left;
            uint8_t* const to =
                DIBRowAddress(destination, destination_width, destination_height, origin.Y + i) +
                4 * origin.X;
            if (Mode == cbmConstantAlpha)
                BlendRowConstantAlpha(from, to, RectWidth(rect), ConstantAlpha, BiasOrColor);
            else if (Mode == cbmPerPixelAlpha)
                BlendRowPixelAlpha(from, to, RectWidth(rect), BiasOrColor);
            else
                BlendRowMasterAlpha(from, to, RectWidth(rect), ConstantAlpha, BiasOrColor);
        }
        break;
    }
    case cbmConstantAlphaAndColor: {
        int width = 0;
        int height = 0;
        uint8_t* const destination = GetDCBitmapBits(DestinationDC, width, height);
        if (destination == nullptr)
            return;
        fw::TPoint origin = SourceRect.TopLeft();
        const fw::TRect rect = clip_to_bitmaps(SourceRect, origin, width, abs_height(height), width,
                                               abs_height(height));
        for (int y = rect.Top; y < rect.Bottom; ++y)
            BlendRowSolidColor(DIBRowAddress(destination, width, height, y) + 4 * rect.Left,
                               RectWidth(rect), ConstantAlpha, static_cast<uint32_t>(BiasOrColor));
        break;
    }
    default:
        return;
    }
    EndBlendRows();
}

}
