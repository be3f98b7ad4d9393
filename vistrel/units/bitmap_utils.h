// The viewer's routines for 32-bit bitmaps: pixel colours, a new 32-bit bitmap, the
// dot grid under every drawing, loading BMP, JPEG and PNG files into 32-bit bitmaps,
// and drawing a bitmap scaled to fit a rectangle.
//
// A 32-bit pixel holds blue in bits 0-7, green in bits 8-15 and red in bits 16-23;
// these routines write 0 into bits 24-31.
#ifndef VISTREL_UNITS_BITMAP_UTILS_H
#define VISTREL_UNITS_BITMAP_UTILS_H

#include "framework/types.h"

#include <QtCore/QString>

#include <cstdint>
#include <memory>

namespace fw {
class TBitmap;
class TCanvas;
}

namespace vistrel {

// The value with its lowest and third bytes exchanged and its highest byte cleared.
uint32_t SwapRedBlue(uint32_t value);
// The framework colour (system colours resolved) as a pixel.
uint32_t ColorToPixel(fw::TColor color);
// Each colour byte of the pixel plus the amount, kept within 0..255.
uint32_t AdjustPixel(uint32_t pixel, int amount);

// A new bitmap with 32-bit pixels of that size; its canvas is locked while it is sized.
// A failure to size it frees it and is passed on.
std::unique_ptr<fw::TBitmap> NewBitmap32(int width, int height);

// Overlays the dot grid on a bitmap with 32-bit pixels: on every second pixel of
// every second row that lies on a grid row or column (every 20th), except the last
// column, a dot of the colour; where a grid row meets a grid column the colour
// brightened by the amount. A white pixel is darkened instead: by the amount for a
// dot, by twice the amount at a crossing. Failures end the overlay silently.
void DrawDotGrid(fw::TBitmap* bitmap, fw::TColor color, int amount);

// The file as a new 32-bit bitmap; nullptr when it does not exist or cannot be read.
std::unique_ptr<fw::TBitmap> LoadBmpFile(const QString& path);
std::unique_ptr<fw::TBitmap> LoadJpegFile(const QString& path);
std::unique_ptr<fw::TBitmap> LoadPngFile(const QString& path);
// By the file's extension (without regard to case): ".jpg" and ".jpeg", ".bmp",
// ".png"; nullptr for any other.
std::unique_ptr<fw::TBitmap> LoadImageFile(const QString& path);

// The largest size with the source's aspect ratio that fits the target (rounded,
// halves to even); false when any of the four inputs is 0 or less.
bool FitSize(int source_width, int source_height, int target_width, int target_height, int& width,
             int& height);

// Draws the bitmap scaled to fit the rectangle, centred in it, with a one-pixel black
// frame round it when `frame` is set. Nothing for nullptr or a size that cannot fit.
// The bitmap's canvas is locked meanwhile.
void DrawBitmapFitted(fw::TBitmap* bitmap, fw::TCanvas* canvas, const fw::TRect& rect, bool frame);

}

#endif
