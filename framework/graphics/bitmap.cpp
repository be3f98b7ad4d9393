// TGraphic and TBitmap: 32-bit DIB sections with a memory DC for their canvas.

#include "framework/graphics.h"
#include "graphics/image_decoders.h"
#include "graphics/scratch_surface.h"
#include "graphics/stream_bytes.h"

#include <algorithm>
#include <cstring>

namespace fw {
namespace {

// The standard 16-colour palette, as pixels 0x00RRGGBB.
constexpr uint32_t kPalette16[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

// The palette colour nearest to the pixel (squared distance; the first of equals).
uint32_t nearest_palette_colour(uint32_t pixel)
{
    const int red = static_cast<int>((pixel >> 16) & 0xFF);
    const int green = static_cast<int>((pixel >> 8) & 0xFF);
    const int blue = static_cast<int>(pixel & 0xFF);
    uint32_t best = kPalette16[0];
    int best_distance = -1;
    for (const uint32_t entry : kPalette16) {
        const int dr = red - static_cast<int>((entry >> 16) & 0xFF);
        const int dg = green - static_cast<int>((entry >> 8) & 0xFF);
        const int db = blue - static_cast<int>(entry & 0xFF);
        const int distance = dr * dr + dg * dg + db * db;
        if (best_distance < 0 || distance < best_distance) {
            best = entry;
            best_distance = distance;
        }
    }
    return best;
}

TColor color_of_pixel(uint32_t pixel)
{
    return static_cast<TColor>(((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF));
}

TPixelFormat format_of_bits(int bits)
{
    switch (bits) {
    case 1:
        return pf1bit;
    case 4:
        return pf4bit;
    case 8:
        return pf8bit;
    case 16:
        return pf16bit;
    case 24:
        return pf24bit;
    default:
        return pf32bit;
    }
}

}

// ---- TGraphic -----------------------------------------------------------------------

void TGraphic::SetTransparent(bool transparent)
{
    if (transparent != m_transparent) {
        m_transparent = transparent;
        Changed();
    }
}

void TGraphic::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TGraphic::LoadFromFile(const QString& file_name)
{
    TFileStream stream(file_name, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

// ---- TBitmapCanvas ------------------------------------------------------------------

TBitmapCanvas::~TBitmapCanvas()
{
    if (!HandleAllocated())
        return;
    HDC dc = RequireHandle();
    DeselectObjects();
    SetHandle(nullptr);
    DeleteDC(dc);
}

void TBitmapCanvas::CreateHandle()
{
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr)
        throw EOutOfResources(QStringLiteral("Out of system resources"));
    if (m_bitmap->m_handle != nullptr)
        SelectObject(dc, m_bitmap->m_handle);
    SetHandle(dc);
}

// ---- TBitmap ------------------------------------------------------------------------

TBitmap::TBitmap() = default;

TBitmap::~TBitmap()
{
    m_canvas.reset();
    if (m_handle != nullptr)
        DeleteObject(m_handle);
}

void TBitmap::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height)
        return;
    HBITMAP handle = nullptr;
    uint32_t* pixels = nullptr;
    if (width > 0 && height > 0) {
        handle = graphics::CreateTopDownDib(width, height, &pixels);
        if (handle == nullptr)
            throw EOutOfResources(QStringLiteral("Out of system resources"));
        const int rows = std::min(height, m_height);
        const int columns = std::min(width, m_width);
        for (int row = 0; row < rows && columns > 0 && m_pixels != nullptr; ++row)
            std::memcpy(pixels + static_cast<size_t>(row) * width,
                        m_pixels + static_cast<size_t>(row) * m_width,
                        static_cast<size_t>(columns) * sizeof(uint32_t));
    }
    // A memory DC gives back the bitmap it held before when another is selected.
    HBITMAP old = m_handle;
    if (m_canvas != nullptr && m_canvas->HandleAllocated()) {
        HDC dc = m_canvas->RequireHandle();
        if (handle != nullptr) {
            SelectObject(dc, handle);
        } else {
            // No pixels any more: the canvas starts over without a DC.
            m_canvas->DeselectObjects();
            m_canvas->SetHandle(nullptr);
            DeleteDC(dc);
        }
    }
    if (old != nullptr)
        DeleteObject(old);
    m_handle = handle;
    m_pixels = pixels;
    m_width = width;
    m_height = height;
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == pf4bit && m_pixels != nullptr) {
        const size_t count = static_cast<size_t>(m_width) * static_cast<size_t>(m_height);
        for (size_t i = 0; i < count; ++i)
            m_pixels[i] = nearest_palette_colour(m_pixels[i] & 0x00FFFFFFu);
    }
    if (format != m_pixel_format || format == pf4bit) {
        m_pixel_format = format;
        Changed();
    }
}

TCanvas* TBitmap::Canvas()
{
    if (m_canvas == nullptr)
        m_canvas = std::make_unique<TBitmapCanvas>(this);
    return m_canvas.get();
}

void* TBitmap::ScanLine(int y)
{
    if (y < 0 || y >= m_height || m_pixels == nullptr)
        throw EInvalidGraphicOperation(QStringLiteral("Scan line index out of range"));
    return m_pixels + static_cast<size_t>(y) * static_cast<size_t>(m_width);
}

TColor TBitmap::TransparentColor()
{
    if (m_transparent_mode == tmFixed)
        return m_transparent_color;
    if (m_pixels == nullptr)
        return clDefault;
    return color_of_pixel(
        m_pixels[static_cast<size_t>(m_height - 1) * static_cast<size_t>(m_width)]);
}

void TBitmap::SetTransparentColor(TColor color)
{
    m_transparent_color = color;
    m_transparent_mode = tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode)
{
    if (mode != m_transparent_mode) {
        m_transparent_mode = mode;
        Changed();
    }
}

void TBitmap::take_pixels(int width, int height, const uint32_t* pixels)
{
    SetSize(0, 0);
    SetSize(width, height);
    std::memcpy(m_pixels, pixels,
                static_cast<size_t>(width) * static_cast<size_t>(height) * sizeof(uint32_t));
    Changed();
}

void TBitmap::Assign(TPersistent* source)
{
    if (source == nullptr) {
        SetSize(0, 0);
        return;
    }
    if (auto* bitmap = dynamic_cast<TBitmap*>(source); bitmap != nullptr) {
        if (bitmap == this)
            return;
        if (bitmap->Empty())
            SetSize(bitmap->m_width, bitmap->m_height);
        else
            take_pixels(bitmap->m_width, bitmap->m_height, bitmap->m_pixels);
        m_pixel_format = bitmap->m_pixel_format;
        m_transparent_mode = bitmap->m_transparent_mode;
        m_transparent_color = bitmap->m_transparent_color;
        SetTransparent(bitmap->Transparent());
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TBitmap::LoadFromStream(TStream* stream)
{
    const std::vector<uint8_t> bytes = graphics::ReadRemainingBytes(stream);
    graphics::DecodedImage image;
    if (!graphics::DecodeBmp(bytes.data(), bytes.size(), image))
        throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
    take_pixels(image.width, image.height, image.pixels.data());
    m_pixel_format = format_of_bits(image.bits_per_pixel);
}

void TBitmap::Draw(TCanvas* canvas, const TRect& rect)
{
    if (Empty() || rect.IsEmpty())
        return;
    HDC destination = canvas->Handle();
    Canvas();
    HDC source = m_canvas->RequireHandle();
    const int width = rect.Width();
    const int height = rect.Height();
    const bool same_size = width == m_width && height == m_height;
    if (!Transparent()) {
        if (same_size)
            BitBlt(destination, rect.Left, rect.Top, width, height, source, 0, 0, SRCCOPY);
        else {
            // Colour pictures are stretched by taking one pixel, not by merging scans.
            const int mode = SetStretchBltMode(destination, COLORONCOLOR);
            StretchBlt(destination, rect.Left, rect.Top, width, height, source, 0, 0, m_width,
                       m_height, SRCCOPY);
            SetStretchBltMode(destination, mode);
        }
        return;
    }
    // Transparent: the destination is kept where the scaled copy has the key colour
    // (an AND with a mask), and the copy's other pixels are merged in (an OR).
    const uint32_t key = static_cast<uint32_t>(ColorToRGB(TransparentColor()));
    const uint32_t key_pixel = ((key & 0xFF) << 16) | (key & 0xFF00) | ((key >> 16) & 0xFF);
    graphics::ScratchSurface copy(width, height);
    graphics::ScratchSurface mask(width, height);
    if (same_size)
        BitBlt(copy.dc(), 0, 0, width, height, source, 0, 0, SRCCOPY);
    else {
        SetStretchBltMode(copy.dc(), COLORONCOLOR);
        StretchBlt(copy.dc(), 0, 0, width, height, source, 0, 0, m_width, m_height, SRCCOPY);
    }
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i) {
        const bool see_through = (copy.pixels()[i] & 0x00FFFFFFu) == key_pixel;
        mask.pixels()[i] = see_through ? 0x00FFFFFFu : 0u;
        if (see_through)
            copy.pixels()[i] = 0;
    }
    BitBlt(destination, rect.Left, rect.Top, width, height, mask.dc(), 0, 0, SRCAND);
    BitBlt(destination, rect.Left, rect.Top, width, height, copy.dc(), 0, 0, SRCPAINT);
}

}
