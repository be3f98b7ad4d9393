// Pens, brushes and fonts.

#include "framework/graphics.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace fw {
namespace {

COLORREF colour_reference(TColor color)
{
    return static_cast<COLORREF>(ColorToRGB(color)) & 0x00FFFFFFu;
}

// Deletes the retired handles that no DC holds any more; a handle still selected
// somewhere waits for the next try.
void delete_retired(std::vector<HGDIOBJ>& retired)
{
    std::erase_if(retired, [](HGDIOBJ handle) { return DeleteObject(handle) != FALSE; });
}

template <typename Handle>
void retire(Handle& handle, std::vector<HGDIOBJ>& retired)
{
    if (handle != nullptr) {
        retired.push_back(handle);
        handle = nullptr;
    }
    delete_retired(retired);
}

int pen_style(TPenStyle style)
{
    switch (style) {
    case psSolid:
        return PS_SOLID;
    case psDash:
        return PS_DASH;
    case psDot:
    case psAlternate:
        return PS_DOT;
    case psDashDot:
        return PS_DASHDOT;
    case psDashDotDot:
        return PS_DASHDOTDOT;
    case psClear:
        return PS_NULL;
    case psInsideFrame:
        return PS_INSIDEFRAME;
    case psUserStyle:
        return PS_SOLID;
    }
    return PS_SOLID;
}

ULONG_PTR hatch_style(TBrushStyle style)
{
    switch (style) {
    case bsHorizontal:
        return HS_HORIZONTAL;
    case bsVertical:
        return HS_VERTICAL;
    case bsFDiagonal:
        return HS_FDIAGONAL;
    case bsBDiagonal:
        return HS_BDIAGONAL;
    case bsCross:
        return HS_CROSS;
    default:
        return HS_DIAGCROSS;
    }
}

// Pixels of a point size at 96 pixels per inch, halves away from zero.
int scale_rounded(int value, int multiplier, int divisor)
{
    return static_cast<int>(std::lround(static_cast<double>(value) * multiplier / divisor));
}

}

void TGraphicsObject::Changed()
{
    if (OnChange)
        OnChange(this);
}

// ---- TPen -----------------------------------------------------------------------------

TPen::~TPen()
{
    retire(m_handle, m_retired);
}

void TPen::SetColor(TColor color)
{
    if (color != m_color) {
        m_color = color;
        Changed();
    }
}

void TPen::SetWidth(int width)
{
    width = std::max(width, 1);
    if (width != m_width) {
        m_width = width;
        Changed();
    }
}

void TPen::SetStyle(TPenStyle style)
{
    if (style != m_style) {
        m_style = style;
        Changed();
    }
}

void TPen::SetMode(TPenMode mode)
{
    if (mode != m_mode) {
        m_mode = mode;
        Changed();
    }
}

void TPen::Changed()
{
    // Listeners (the canvas) take the old pen out of their DCs first, so it can go.
    TGraphicsObject::Changed();
    retire(m_handle, m_retired);
}

HPEN TPen::Handle()
{
    if (m_handle == nullptr) {
        m_handle = CreatePen(pen_style(m_style), m_width, colour_reference(m_color));
        if (m_handle == nullptr)
            throw EOutOfResources(QStringLiteral("Out of system resources"));
    }
    return m_handle;
}

void TPen::Assign(TPersistent* source)
{
    if (auto* pen = dynamic_cast<TPen*>(source); pen != nullptr) {
        if (pen == this)
            return;
        m_color = pen->m_color;
        m_width = pen->m_width;
        m_style = pen->m_style;
        m_mode = pen->m_mode;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

// ---- TBrush ---------------------------------------------------------------------------

TBrush::~TBrush()
{
    retire(m_handle, m_retired);
}

void TBrush::SetColor(TColor color)
{
    if (color != m_color || m_style == bsClear) {
        m_color = color;
        if (m_style == bsClear)
            m_style = bsSolid;
        Changed();
    }
}

void TBrush::SetStyle(TBrushStyle style)
{
    if (style != m_style) {
        m_style = style;
        Changed();
    }
}

void TBrush::Changed()
{
    TGraphicsObject::Changed();
    retire(m_handle, m_retired);
}

HBRUSH TBrush::Handle()
{
    if (m_handle == nullptr) {
        LOGBRUSH record{};
        record.lbColor = colour_reference(m_color);
        if (m_style == bsSolid) {
            record.lbStyle = BS_SOLID;
        } else if (m_style == bsClear) {
            record.lbStyle = BS_NULL;
        } else {
            record.lbStyle = BS_HATCHED;
            record.lbHatch = hatch_style(m_style);
        }
        m_handle = CreateBrushIndirect(&record);
        if (m_handle == nullptr)
            throw EOutOfResources(QStringLiteral("Out of system resources"));
    }
    return m_handle;
}

void TBrush::Assign(TPersistent* source)
{
    if (auto* brush = dynamic_cast<TBrush*>(source); brush != nullptr) {
        if (brush == this)
            return;
        m_color = brush->m_color;
        m_style = brush->m_style;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

// ---- TFont ----------------------------------------------------------------------------

TFont::~TFont()
{
    retire(m_handle, m_retired);
}

void TFont::SetName(const QString& name)
{
    if (name != m_name && !name.isEmpty()) {
        m_name = name;
        Changed();
    }
}

int TFont::Size() const
{
    return -scale_rounded(m_height, 72, PixelsPerInch());
}

void TFont::SetSize(int points)
{
    SetHeight(-scale_rounded(points, PixelsPerInch(), 72));
}

void TFont::SetHeight(int height)
{
    if (height != m_height) {
        m_height = height;
        Changed();
    }
}

void TFont::SetStyle(TFontStyles style)
{
    if (style != m_style) {
        m_style = style;
        Changed();
    }
}

void TFont::SetColor(TColor color)
{
    // The colour is the DC's text colour, not part of the GDI font: the handle stays.
    if (color != m_color) {
        m_color = color;
        TGraphicsObject::Changed();
    }
}

void TFont::Changed()
{
    TGraphicsObject::Changed();
    retire(m_handle, m_retired);
}

HFONT TFont::Handle()
{
    if (m_handle == nullptr) {
        LOGFONTA record{};
        record.lfHeight = m_height;
        record.lfWeight = m_style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
        record.lfItalic = m_style.Contains(fsItalic) ? 1 : 0;
        record.lfUnderline = m_style.Contains(fsUnderline) ? 1 : 0;
        record.lfStrikeOut = m_style.Contains(fsStrikeOut) ? 1 : 0;
        record.lfCharSet = DEFAULT_CHARSET;
        // The framework's fonts label windows and dialogs: smooth glyphs there. Drawings
        // make their own fonts and stay exact.
        record.lfQuality = ANTIALIASED_QUALITY;
        // The face name is cut at a character boundary to fit the record.
        QString name = m_name;
        QByteArray face = name.toUtf8();
        while (face.size() > LF_FACESIZE - 1) {
            name.chop(name.size() >= 2 && name.back().isLowSurrogate() ? 2 : 1);
            face = name.toUtf8();
        }
        std::memcpy(record.lfFaceName, face.constData(), static_cast<size_t>(face.size()));
        m_handle = CreateFontIndirectA(&record);
        if (m_handle == nullptr)
            throw EOutOfResources(QStringLiteral("Out of system resources"));
    }
    return m_handle;
}

void TFont::Assign(TPersistent* source)
{
    if (auto* font = dynamic_cast<TFont*>(source); font != nullptr) {
        if (font == this)
            return;
        m_name = font->m_name;
        m_height = font->m_height;
        m_style = font->m_style;
        m_color = font->m_color;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

}
