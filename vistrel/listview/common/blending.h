// Blending of 32-bit device-independent bitmaps: the row routines and the rectangle
// blend over the bitmaps selected into two device contexts.
//
// A pixel is four bytes in memory order blue, green, red, alpha; each of the four is
// blended alike. A row holds Width * 4 bytes. A bitmap whose stored height is above 0
// is bottom-up (row 0 lies last in memory), one with a height of 0 or below top-down.
//
// The blends are exact integer arithmetic in portable code: for a destination byte d,
// a source byte s and an alpha a (0 .. 255) the blended byte is
// (d * (256 - a) + s * a) / 256, truncated, plus the bias (its low 16 bits taken as a
// signed number), kept within 0 .. 255; a sum of 32768 or more wraps and gives 0, as
// the 16-bit lanes that these results are defined by do.
#ifndef VISTREL_LISTVIEW_COMMON_BLENDING_H
#define VISTREL_LISTVIEW_COMMON_BLENDING_H

#include "listview/common/common_types.h"

#include "framework/types.h"
#include "platform/gdi.h"

#include <cstdint>

namespace vistrel::listview {

// Whether the row blends may be used; they are portable code here, so always.
bool HasMMX();

// The row routines: Count pixels (at least 1) of Source blended into Destination.
// BlendRowConstantAlpha: alpha ConstantAlpha (its low byte). BlendRowPixelAlpha: the
// alpha of each source pixel. BlendRowMasterAlpha: (source alpha * ConstantAlpha) >> 8.
void BlendRowConstantAlpha(const uint8_t* Source, uint8_t* Destination, int Count,
                           int ConstantAlpha, int Bias);
void BlendRowPixelAlpha(const uint8_t* Source, uint8_t* Destination, int Count, int Bias);
void BlendRowMasterAlpha(const uint8_t* Source, uint8_t* Destination, int Count, int ConstantAlpha,
                         int Bias);
// Mixes Count destination pixels with the colour 0xAABBGGRR at ConstantAlpha, without
// bias: the fourth byte of each pixel is mixed with the colour's high byte.
void BlendRowSolidColor(uint8_t* Destination, int Count, int ConstantAlpha, uint32_t Color);
// Ends a run of row blends (nothing to do in portable code).
void EndBlendRows();

// The pixels of the 32-bit DIB section selected into the DC, with its width and height
// (the height keeps its sign). Width and Height are set to 0 first. Raises
// EAssertionFailed "Alpha blending error: bitmap must use 32 bpp." for a bitmap of
// another depth and "Alpha blending DC error: no bitmap available." when the DC holds
// no DIB section.
uint8_t* GetDCBitmapBits(HDC DC, int& Width, int& Height);
// The first byte of the row (see the file comment for the row order).
uint8_t* DIBRowAddress(uint8_t* Bits, int Width, int Height, int Row);

// Blends the rectangle SourceRect of SourceDC's bitmap into DestinationDC's bitmap at
// DestinationOrigin (cbmConstantAlpha with ConstantAlpha and bias BiasOrColor,
// cbmPerPixelAlpha with bias BiasOrColor, cbmMasterAlpha with ConstantAlpha and bias
// BiasOrColor), or, for cbmConstantAlphaAndColor, mixes the rectangle SourceRect of
// DestinationDC's bitmap with the plain colour BiasOrColor (0x00BBGGRR) at
// ConstantAlpha; SourceDC is not used then. An empty rectangle does nothing. The
// rectangle is clipped to both bitmaps: only pixels that lie inside both change.
// Raises as GetDCBitmapBits.
void BlendBitmaps(HDC SourceDC, HDC DestinationDC, const fw::TRect& SourceRect,
                  fw::TPoint DestinationOrigin, TLqCommonBlendMode Mode, int ConstantAlpha,
                  int BiasOrColor);

}

#endif
