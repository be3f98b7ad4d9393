// TCanvas: drawing with pen, brush and font through a platform DC.

#include "framework/graphics.h"
#include "graphics/scratch_surface.h"
#include "platform/user_paint.h"

#include <QtCore/QByteArray>

#include <algorithm>

namespace fw {
namespace {

COLORREF colour_reference(TColor color)
{
    return static_cast<COLORREF>(ColorToRGB(color)) & 0x00FFFFFFu;
}

int rop2_of(TPenMode mode)
{
    static constexpr int kModes[] = {
        R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,        R2_COPYPEN,  R2_NOTCOPYPEN,
        R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN, R2_NOTMERGEPEN,
        R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN,
    };
    const auto index = static_cast<size_t>(mode);
    return index < std::size(kModes) ? kModes[index] : R2_COPYPEN;
}

RECT rect_of(const TRect& rect)
{
    return RECT{rect.Left, rect.Top, rect.Right, rect.Bottom};
}

}

TCanvas::TCanvas() : m_pen(new TPen), m_brush(new TBrush), m_font(new TFont)
{
    // A changed object is taken out of the DC at once (its old GDI object can then go)
    // and selected again at the next use of the DC.
    m_pen->OnChange = [this](TObject*) {
        if (m_pen_selected) {
            SelectObject(m_handle, GetStockObject(BLACK_PEN));
            m_pen_selected = false;
        }
    };
    m_brush->OnChange = [this](TObject*) {
        if (m_brush_selected) {
            SelectObject(m_handle, GetStockObject(WHITE_BRUSH));
            m_brush_selected = false;
        }
    };
    m_font->OnChange = [this](TObject*) {
        if (m_font_selected) {
            SelectObject(m_handle, GetStockObject(SYSTEM_FONT));
            m_font_selected = false;
        }
    };
}

TCanvas::~TCanvas()
{
    DeselectObjects();
}

HDC TCanvas::RequireHandle()
{
    if (m_handle == nullptr)
        CreateHandle();
    if (m_handle == nullptr)
        throw EInvalidOperation(QStringLiteral("Canvas does not allow drawing"));
    return m_handle;
}

HDC TCanvas::Handle()
{
    HDC dc = RequireHandle();
    realise(dc);
    return dc;
}

void TCanvas::realise(HDC dc)
{
    if (!m_font_selected) {
        SelectObject(dc, m_font->Handle());
        SetTextColor(dc, colour_reference(m_font->Color()));
        m_font_selected = true;
    }
    if (!m_pen_selected) {
        SelectObject(dc, m_pen->Handle());
        SetROP2(dc, rop2_of(m_pen->Mode()));
        m_pen_selected = true;
    }
    if (!m_brush_selected) {
        SelectObject(dc, m_brush->Handle());
        if (m_brush->Style() == bsSolid) {
            SetBkColor(dc, colour_reference(m_brush->Color()));
            SetBkMode(dc, OPAQUE);
        } else {
            SetBkMode(dc, TRANSPARENT);
        }
        m_brush_selected = true;
    }
}

void TCanvas::DeselectObjects()
{
    if (m_handle == nullptr)
        return;
    if (m_pen_selected)
        SelectObject(m_handle, GetStockObject(BLACK_PEN));
    if (m_brush_selected)
        SelectObject(m_handle, GetStockObject(WHITE_BRUSH));
    if (m_font_selected)
        SelectObject(m_handle, GetStockObject(SYSTEM_FONT));
    m_pen_selected = m_brush_selected = m_font_selected = false;
}

void TCanvas::SetHandle(HDC dc)
{
    if (dc == m_handle)
        return;
    DeselectObjects();
    m_handle = dc;
}

void TCanvas::Lock()
{
    m_lock.lock();
    ++m_lock_count;
}

void TCanvas::Unlock()
{
    --m_lock_count;
    m_lock.unlock();
}

bool TCanvas::TryLock()
{
    if (!m_lock.try_lock())
        return false;
    ++m_lock_count;
    return true;
}

TRect TCanvas::ClipRect()
{
    RECT box{0, 0, 0, 0};
    GetClipBox(RequireHandle(), &box);
    return Rect(box.left, box.top, box.right, box.bottom);
}

TPoint TCanvas::PenPos()
{
    POINT position{0, 0};
    GetCurrentPositionEx(RequireHandle(), &position);
    return Point(position.x, position.y);
}

void TCanvas::MoveTo(int x, int y)
{
    MoveToEx(RequireHandle(), x, y, nullptr);
}

void TCanvas::LineTo(int x, int y)
{
    ::LineTo(Handle(), x, y);
}

void TCanvas::FillRect(const TRect& rect)
{
    HDC dc = Handle();
    const RECT area = rect_of(rect);
    ::FillRect(dc, &area, m_brush->Handle());
}

void TCanvas::FrameRect(const TRect& rect)
{
    HDC dc = Handle();
    const RECT area = rect_of(rect);
    ::FrameRect(dc, &area, m_brush->Handle());
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    ::Rectangle(Handle(), x1, y1, x2, y2);
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int corner_width, int corner_height)
{
    ::RoundRect(Handle(), x1, y1, x2, y2, corner_width, corner_height);
}

void TCanvas::DrawFocusRect(const TRect& rect)
{
    const RECT area = rect_of(rect);
    ::DrawFocusRect(Handle(), &area);
}

void TCanvas::TextOut(int x, int y, const QString& text)
{
    HDC dc = Handle();
    const QByteArray bytes = text.toUtf8();
    TextOutA(dc, x, y, bytes.constData(), static_cast<int>(bytes.size()));
    SIZE extent{0, 0};
    GetTextExtentPoint32A(dc, bytes.constData(), static_cast<int>(bytes.size()), &extent);
    MoveToEx(dc, x + extent.cx, y, nullptr);
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const QString& text)
{
    HDC dc = Handle();
    if (rect.IsEmpty())
        return;
    // The text is drawn on a copy of the rectangle's pixels, which then goes back:
    // the copy's edges clip it.
    graphics::ScratchSurface scratch(rect.Width(), rect.Height());
    BitBlt(scratch.dc(), 0, 0, rect.Width(), rect.Height(), dc, rect.Left, rect.Top, SRCCOPY);
    const bool opaque = m_brush->Style() != bsClear;
    if (opaque) {
        const RECT whole{0, 0, rect.Width(), rect.Height()};
        ::FillRect(scratch.dc(), &whole, m_brush->Handle());
    }
    HGDIOBJ old_font = SelectObject(scratch.dc(), m_font->Handle());
    SetTextColor(scratch.dc(), colour_reference(m_font->Color()));
    SetBkMode(scratch.dc(), TRANSPARENT);
    const QByteArray bytes = text.toUtf8();
    TextOutA(scratch.dc(), x - rect.Left, y - rect.Top, bytes.constData(),
             static_cast<int>(bytes.size()));
    SelectObject(scratch.dc(), old_font);
    BitBlt(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), scratch.dc(), 0, 0, SRCCOPY);
}

TSize TCanvas::TextExtent(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    SIZE extent{0, 0};
    GetTextExtentPoint32A(Handle(), bytes.constData(), static_cast<int>(bytes.size()), &extent);
    return TSize{extent.cx, extent.cy};
}

void TCanvas::Draw(int x, int y, TGraphic* graphic)
{
    if (graphic != nullptr && !graphic->Empty())
        graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic)
{
    if (graphic != nullptr && !graphic->Empty())
        graphic->Draw(this, rect);
}

TColor TCanvas::Pixels(int x, int y)
{
    const COLORREF colour = GetPixel(RequireHandle(), x, y);
    return colour == CLR_INVALID ? clNone : static_cast<TColor>(colour);
}

void TCanvas::SetPixels(int x, int y, TColor color)
{
    SetPixelV(Handle(), x, y, colour_reference(color));
}

}
