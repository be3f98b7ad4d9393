// Labels and images.

#include "framework/stdctrls.h"
#include "graphics/scratch_surface.h"
#include "platform/user_paint.h"

#include <algorithm>

namespace fw {

// ---- TLabel ------------------------------------------------------------------------------------

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner)
{
    m_control_style.Include(csOpaque);
    m_control_style.Include(csReplicatable);
    SetBounds(0, 0, 65, 17);
    SetParentColor(true);
}

UINT TLabel::text_flags() const
{
    static constexpr UINT kAlignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    UINT flags = DT_EXPANDTABS | kAlignments[m_alignment];
    if (m_word_wrap)
        flags |= DT_WORDBREAK;
    if (!m_show_accel_char)
        flags |= DT_NOPREFIX;
    return flags;
}

void TLabel::SetText(const QString& text)
{
    TGraphicControl::SetText(text);
    adjust_bounds();
    Invalidate();
}

void TLabel::SetAlignment(TAlignment alignment)
{
    m_alignment = alignment;
    Invalidate();
}

void TLabel::SetLayout(TTextLayout layout)
{
    m_layout = layout;
    Invalidate();
}

void TLabel::SetWordWrap(bool value)
{
    m_word_wrap = value;
    adjust_bounds();
    Invalidate();
}

void TLabel::SetAutoSize(bool value)
{
    m_auto_size = value;
    adjust_bounds();
}

void TLabel::SetTransparent(bool value)
{
    m_transparent = value;
    if (value)
        m_control_style.Exclude(csOpaque);
    else
        m_control_style.Include(csOpaque);
    Invalidate();
}

void TLabel::SetShowAccelChar(bool value)
{
    m_show_accel_char = value;
    adjust_bounds();
    Invalidate();
}

void TLabel::FontChanged()
{
    adjust_bounds();
    TGraphicControl::FontChanged();
}

void TLabel::adjust_bounds()
{
    // An aligned label gets its size from the alignment.
    if (!m_auto_size || Align() != alNone)
        return;
    graphics::ScratchSurface measure(1, 1);
    HGDIOBJ old_font = SelectObject(measure.dc(), Font()->Handle());
    const QString text = Caption().isEmpty() ? QStringLiteral(" ") : Caption();
    RECT rect{0, 0, m_word_wrap ? std::max(1, Width()) : 0x7FFF, 0};
    DrawTextW(measure.dc(), reinterpret_cast<LPCWSTR>(text.utf16()), static_cast<int>(text.size()),
              &rect, text_flags() | DT_CALCRECT);
    SelectObject(measure.dc(), old_font);
    SetBounds(Left(), Top(), m_word_wrap ? Width() : rect.right, rect.bottom);
}

void TLabel::Paint()
{
    TCanvas* canvas = Canvas();
    const TRect client = ClientRect();
    if (!m_transparent) {
        canvas->Brush()->SetColor(Color());
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(client);
    }
    canvas->SetFont(Font());
    if (!Enabled())
        canvas->Font()->SetColor(clGrayText);
    canvas->Brush()->SetStyle(bsClear);
    const QString& text = Caption();
    const UINT flags = text_flags();
    HDC dc = canvas->Handle();
    RECT rect{client.Left, client.Top, client.Right, client.Bottom};
    if (m_layout != tlTop) {
        // The text's height decides where it starts.
        RECT measured = rect;
        DrawTextW(dc, reinterpret_cast<LPCWSTR>(text.utf16()), static_cast<int>(text.size()),
                  &measured, flags | DT_CALCRECT);
        const int text_height = measured.bottom - measured.top;
        if (m_layout == tlBottom)
            rect.top = rect.bottom - text_height;
        else
            rect.top += (client.Height() - text_height) / 2;
    }
    DrawTextW(dc, reinterpret_cast<LPCWSTR>(text.utf16()), static_cast<int>(text.size()), &rect,
              flags);
}

// ---- TImage ------------------------------------------------------------------------------------

TImage::TImage(TComponent* owner) : TGraphicControl(owner), m_picture(new TPicture)
{
    m_control_style.Include(csReplicatable);
    SetBounds(0, 0, 105, 105);
    m_picture->OnChange = [this](TObject*) { picture_changed(); };
}

TImage::~TImage() = default;

void TImage::SetCenter(bool value)
{
    m_center = value;
    Invalidate();
}

void TImage::SetStretch(bool value)
{
    m_stretch = value;
    Invalidate();
}

void TImage::SetProportional(bool value)
{
    m_proportional = value;
    Invalidate();
}

void TImage::SetTransparent(bool value)
{
    m_transparent = value;
    if (TGraphic* graphic = m_picture->Graphic())
        graphic->SetTransparent(value);
    Invalidate();
}

void TImage::SetAutoSize(bool value)
{
    m_auto_size = value;
    picture_changed();
}

void TImage::picture_changed()
{
    if (m_transparent) {
        if (TGraphic* graphic = m_picture->Graphic())
            graphic->SetTransparent(true);
    }
    if (m_auto_size && m_picture->Width() > 0 && m_picture->Height() > 0)
        SetBounds(Left(), Top(), m_picture->Width(), m_picture->Height());
    Invalidate();
}

TRect TImage::DestRect() const
{
    int width = m_picture->Width();
    int height = m_picture->Height();
    const int client_width = Width();
    const int client_height = Height();
    if (m_stretch || (m_proportional && (width > client_width || height > client_height))) {
        if (m_proportional && width > 0 && height > 0) {
            // The larger of the two scales that fit, kept in whole pixels.
            if (static_cast<int64_t>(client_width) * height >
                static_cast<int64_t>(client_height) * width) {
                width = static_cast<int>(static_cast<int64_t>(width) * client_height / height);
                height = client_height;
            } else {
                height = static_cast<int>(static_cast<int64_t>(height) * client_width / width);
                width = client_width;
            }
        } else {
            width = client_width;
            height = client_height;
        }
    }
    int left = 0;
    int top = 0;
    if (m_center) {
        left = (client_width - width) / 2;
        top = (client_height - height) / 2;
    }
    return Bounds(left, top, width, height);
}

void TImage::Paint()
{
    TGraphic* graphic = m_picture->Graphic();
    if (graphic == nullptr || graphic->Empty())
        return;
    const TRect dest = DestRect();
    if (dest.Width() == graphic->Width() && dest.Height() == graphic->Height())
        Canvas()->Draw(dest.Left, dest.Top, graphic);
    else
        Canvas()->StretchDraw(dest, graphic);
}

}
