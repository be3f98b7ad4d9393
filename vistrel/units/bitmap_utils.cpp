// Bitmap routines of the viewer.

#include "units/bitmap_utils.h"

#include "framework/graphics.h"
#include "units/string_utils.h"

#include <algorithm>

namespace vistrel {
namespace {

constexpr int kGridSpacing = 20;

// Loads through a graphic of the given kind and converts the result to 32 bits.
template <typename Graphic>
std::unique_ptr<fw::TBitmap> load_through(const QString& path)
{
    if (!fw::FileExists(path))
        return nullptr;
    try {
        auto bitmap = std::make_unique<fw::TBitmap>();
        if constexpr (std::is_same_v<Graphic, fw::TBitmap>) {
            bitmap->LoadFromFile(path);
        } else {
            Graphic image;
            image.LoadFromFile(path);
            bitmap->Assign(&image);
        }
        bitmap->SetPixelFormat(fw::pf32bit);
        return bitmap;
    } catch (...) {
        return nullptr;
    }
}

}

uint32_t SwapRedBlue(uint32_t value)
{
    return (value & 0xFF00u) | ((value & 0xFFu) << 16) | ((value >> 16) & 0xFFu);
}

uint32_t ColorToPixel(fw::TColor color)
{
    return SwapRedBlue(static_cast<uint32_t>(fw::ColorToRGB(color)));
}

uint32_t AdjustPixel(uint32_t pixel, int amount)
{
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int channel = static_cast<int>((pixel >> shift) & 0xFFu) + amount;
        result |= static_cast<uint32_t>(std::clamp(channel, 0, 255)) << shift;
    }
    return result;
}

std::unique_ptr<fw::TBitmap> NewBitmap32(int width, int height)
{
    auto bitmap = std::make_unique<fw::TBitmap>();
    bitmap->SetPixelFormat(fw::pf32bit);
    fw::TCanvas* canvas = bitmap->Canvas();
    canvas->Lock();
    try {
        bitmap->SetWidth(width);
        bitmap->SetHeight(height);
    } catch (...) {
        canvas->Unlock();
        throw;
    }
    canvas->Unlock();
    return bitmap;
}

void DrawDotGrid(fw::TBitmap* bitmap, fw::TColor color, int amount)
{
    try {
        const int width = bitmap->Width();
        const int height = bitmap->Height();
        if (height <= 0 || width <= 0)
            return;
        const uint32_t dot = ColorToPixel(color);
        const uint32_t crossing = AdjustPixel(dot, amount);
        auto* first_row = static_cast<uint8_t*>(bitmap->ScanLine(0));
        const ptrdiff_t stride = height > 1 ? static_cast<uint8_t*>(bitmap->ScanLine(1)) - first_row
                                            : ptrdiff_t{width} * 4;
        for (int y = 0; y < height; y += 2) {
            auto* row = reinterpret_cast<uint32_t*>(first_row + y * stride);
            const bool grid_row = y % kGridSpacing == 0;
            // Off the grid rows only the grid columns hold dots.
            const int step = grid_row ? 2 : kGridSpacing;
            for (int x = 0; x < width - 1; x += step) {
                const bool at_crossing = grid_row && x % kGridSpacing == 0;
                uint32_t& pixel = row[x];
                if ((pixel & 0x00FFFFFFu) == 0x00FFFFFFu)
                    pixel = AdjustPixel(pixel, at_crossing ? -2 * amount : -amount);
                else
                    pixel = at_crossing ? crossing : dot;
            }
        }
    } catch (...) {
        // The grid is decoration: a failure leaves the picture as far as it got.
    }
}

std::unique_ptr<fw::TBitmap> LoadBmpFile(const QString& path)
{
    return load_through<fw::TBitmap>(path);
}

std::unique_ptr<fw::TBitmap> LoadJpegFile(const QString& path)
{
    return load_through<fw::TJPEGImage>(path);
}

std::unique_ptr<fw::TBitmap> LoadPngFile(const QString& path)
{
    return load_through<fw::TPngImage>(path);
}

std::unique_ptr<fw::TBitmap> LoadImageFile(const QString& path)
{
    if (SameFileExt(path, QStringLiteral(".JPG")) || SameFileExt(path, QStringLiteral(".JPEG")))
        return LoadJpegFile(path);
    if (SameFileExt(path, QStringLiteral(".BMP")))
        return LoadBmpFile(path);
    if (SameFileExt(path, QStringLiteral(".PNG")))
        return LoadPngFile(path);
    return nullptr;
}

bool FitSize(int source_width, int source_height, int target_width, int target_height, int& width,
             int& height)
{
    if (source_width <= 0 || source_height <= 0 || target_width <= 0 || target_height <= 0)
        return false;
    const long double sw = source_width;
    const long double sh = source_height;
    const long double tw = target_width;
    const long double th = target_height;
    const long double height_at_full_width = sh * tw / sw;
    const long double width_at_full_height = sw * th / sh;
    long double fitted_width = tw;
    long double fitted_height = height_at_full_width;
    if (height_at_full_width * tw > width_at_full_height * th) {
        fitted_width = width_at_full_height;
        fitted_height = th;
    }
    width = static_cast<int>(fw::RoundHalfEven(static_cast<double>(fitted_width)));
    height = static_cast<int>(fw::RoundHalfEven(static_cast<double>(fitted_height)));
    return true;
}

void DrawBitmapFitted(fw::TBitmap* bitmap, fw::TCanvas* canvas, const fw::TRect& rect, bool frame)
{
    if (bitmap == nullptr)
        return;
    fw::TCanvas* source_canvas = bitmap->Canvas();
    source_canvas->Lock();
    try {
        int width = 0;
        int height = 0;
        if (FitSize(bitmap->Width(), bitmap->Height(), rect.Width(), rect.Height(), width,
                    height) &&
            width > 0 && height > 0) {
            const int left = rect.Left + rect.Width() / 2 - width / 2;
            const int top = rect.Top + rect.Height() / 2 - height / 2;
            std::unique_ptr<fw::TBitmap> scaled = NewBitmap32(width, height);
            scaled->Canvas()->StretchDraw(fw::Rect(0, 0, width, height), bitmap);
            canvas->Draw(left, top, scaled.get());
            if (frame) {
                canvas->Brush()->SetColor(fw::clBlack);
                canvas->FrameRect(fw::Rect(left - 1, top - 1, left + width + 1, top + height + 1));
            }
        }
    } catch (...) {
        source_canvas->Unlock();
        throw;
    }
    source_canvas->Unlock();
}

}
