// TJPEGImage, TPngImage and TPicture.

#include "framework/graphics.h"
#include "graphics/image_decoders.h"
#include "graphics/scratch_surface.h"
#include "graphics/stream_bytes.h"

#include <algorithm>

namespace fw {
namespace {

// A copy of the graphic of the same class.
std::unique_ptr<TGraphic> copy_of(TGraphic* graphic)
{
    std::unique_ptr<TGraphic> copy;
    if (dynamic_cast<TBitmap*>(graphic) != nullptr)
        copy = std::make_unique<TBitmap>();
    else if (dynamic_cast<TJPEGImage*>(graphic) != nullptr)
        copy = std::make_unique<TJPEGImage>();
    else if (dynamic_cast<TPngImage*>(graphic) != nullptr)
        copy = std::make_unique<TPngImage>();
    else
        throw EInvalidGraphic(QStringLiteral("Cannot copy a %1").arg(graphic->ClassName()));
    copy->Assign(graphic);
    return copy;
}

}

// ---- TJPEGImage ---------------------------------------------------------------------

TJPEGImage::TJPEGImage() : m_bitmap(std::make_unique<TBitmap>())
{
}

TJPEGImage::~TJPEGImage() = default;

bool TJPEGImage::Empty() const
{
    return m_bitmap->Empty();
}

int TJPEGImage::Width() const
{
    return m_bitmap->Width();
}

int TJPEGImage::Height() const
{
    return m_bitmap->Height();
}

void TJPEGImage::Assign(TPersistent* source)
{
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(source); jpeg != nullptr) {
        if (jpeg != this) {
            m_bitmap->Assign(jpeg->m_bitmap.get());
            Changed();
        }
        return;
    }
    TGraphic::Assign(source);
}

void TJPEGImage::LoadFromStream(TStream* stream)
{
    const std::vector<uint8_t> bytes = graphics::ReadRemainingBytes(stream);
    graphics::DecodedImage image;
    if (!graphics::DecodeJpeg(bytes.data(), bytes.size(), image))
        throw EInvalidGraphic(QStringLiteral("JPEG image is not valid"));
    m_bitmap->take_pixels(image.width, image.height, image.pixels.data());
    m_bitmap->m_pixel_format = pf24bit;
    Changed();
}

void TJPEGImage::AssignTo(TPersistent* dest)
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(dest); bitmap != nullptr) {
        bitmap->Assign(m_bitmap.get());
        return;
    }
    TGraphic::AssignTo(dest);
}

void TJPEGImage::Draw(TCanvas* canvas, const TRect& rect)
{
    canvas->StretchDraw(rect, m_bitmap.get());
}

// ---- TPngImage ----------------------------------------------------------------------

TPngImage::TPngImage() : m_bitmap(std::make_unique<TBitmap>())
{
}

TPngImage::~TPngImage() = default;

bool TPngImage::Empty() const
{
    return m_bitmap->Empty();
}

int TPngImage::Width() const
{
    return m_bitmap->Width();
}

int TPngImage::Height() const
{
    return m_bitmap->Height();
}

void TPngImage::Assign(TPersistent* source)
{
    if (auto* png = dynamic_cast<TPngImage*>(source); png != nullptr) {
        if (png != this) {
            m_bitmap->Assign(png->m_bitmap.get());
            m_alpha = png->m_alpha;
            Changed();
        }
        return;
    }
    TGraphic::Assign(source);
}

void TPngImage::LoadFromStream(TStream* stream)
{
    const std::vector<uint8_t> bytes = graphics::ReadRemainingBytes(stream);
    graphics::DecodedImage image;
    if (!graphics::DecodePng(bytes.data(), bytes.size(), image))
        throw EInvalidGraphic(QStringLiteral("PNG image is not valid"));
    m_bitmap->take_pixels(image.width, image.height, image.pixels.data());
    m_bitmap->m_pixel_format = pf32bit;
    const bool opaque =
        std::all_of(image.alpha.begin(), image.alpha.end(), [](uint8_t a) { return a == 255; });
    m_alpha = opaque ? std::vector<uint8_t>() : std::move(image.alpha);
    Changed();
}

void TPngImage::AssignTo(TPersistent* dest)
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(dest); bitmap != nullptr) {
        bitmap->Assign(m_bitmap.get());
        return;
    }
    TGraphic::AssignTo(dest);
}

void TPngImage::Draw(TCanvas* canvas, const TRect& rect)
{
    if (m_alpha.empty()) {
        canvas->StretchDraw(rect, m_bitmap.get());
        return;
    }
    // Blended on a copy of the destination's pixels, which then goes back. Each
    // destination pixel takes the picture's pixel under its centre.
    const int width = rect.Width();
    const int height = rect.Height();
    const int source_width = m_bitmap->Width();
    const int source_height = m_bitmap->Height();
    HDC destination = canvas->Handle();
    graphics::ScratchSurface scratch(width, height);
    BitBlt(scratch.dc(), 0, 0, width, height, destination, rect.Left, rect.Top, SRCCOPY);
    const auto* pixels = static_cast<const uint32_t*>(m_bitmap->ScanLine(0));
    for (int y = 0; y < height; ++y) {
        const int64_t source_y = (2 * int64_t{y} + 1) * source_height / (2 * int64_t{height});
        uint32_t* out = scratch.pixels() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const int64_t source_x = (2 * int64_t{x} + 1) * source_width / (2 * int64_t{width});
            const size_t index = static_cast<size_t>(source_y * source_width + source_x);
            const uint32_t alpha = m_alpha[index];
            const uint32_t over = pixels[index];
            const uint32_t under = out[x];
            uint32_t blended = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                const uint32_t top = (over >> shift) & 0xFF;
                const uint32_t bottom = (under >> shift) & 0xFF;
                blended |= ((top * alpha + bottom * (255 - alpha) + 127) / 255) << shift;
            }
            out[x] = blended;
        }
    }
    BitBlt(destination, rect.Left, rect.Top, width, height, scratch.dc(), 0, 0, SRCCOPY);
}

// ---- TPicture -----------------------------------------------------------------------

TPicture::TPicture() = default;

TPicture::~TPicture() = default;

void TPicture::changed()
{
    if (OnChange)
        OnChange(this);
}

void TPicture::take(std::unique_ptr<TGraphic> graphic)
{
    m_graphic = std::move(graphic);
    if (m_graphic != nullptr)
        m_graphic->OnChange = [this](TObject*) { changed(); };
    changed();
}

void TPicture::SetGraphic(TGraphic* graphic)
{
    take(graphic != nullptr ? copy_of(graphic) : nullptr);
}

TBitmap* TPicture::Bitmap()
{
    if (dynamic_cast<TBitmap*>(m_graphic.get()) == nullptr)
        take(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(m_graphic.get());
}

void TPicture::LoadFromFile(const QString& file_name)
{
    const QString extension = ExtractFileExt(file_name).mid(1);
    std::unique_ptr<TGraphic> graphic;
    if (SameText(extension, QStringLiteral("bmp")))
        graphic = std::make_unique<TBitmap>();
    else if (SameText(extension, QStringLiteral("jpg")) ||
             SameText(extension, QStringLiteral("jpeg")))
        graphic = std::make_unique<TJPEGImage>();
    else if (SameText(extension, QStringLiteral("png")))
        graphic = std::make_unique<TPngImage>();
    else
        throw EInvalidGraphic(
            QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
    graphic->LoadFromFile(file_name);
    take(std::move(graphic));
}

void TPicture::Assign(TPersistent* source)
{
    if (source == nullptr) {
        SetGraphic(nullptr);
    } else if (auto* picture = dynamic_cast<TPicture*>(source); picture != nullptr) {
        if (picture != this)
            SetGraphic(picture->Graphic());
    } else if (auto* graphic = dynamic_cast<TGraphic*>(source); graphic != nullptr) {
        SetGraphic(graphic);
    } else {
        TPersistent::Assign(source);
    }
}

void TPicture::AssignTo(TPersistent* dest)
{
    if (auto* graphic = dynamic_cast<TGraphic*>(dest); graphic != nullptr && m_graphic != nullptr) {
        graphic->Assign(m_graphic.get());
        return;
    }
    TPersistent::AssignTo(dest);
}

}
