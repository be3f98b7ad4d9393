// The drawing object's drawing: the drawing with tooling blocks and a nest sheet frame
// followed by its overlays, a picture object's picture, and the monochrome thumbnail.

#include "units/vector_object.h"

#include "units/bitmap_utils.h"

#include "framework/graphics.h"
#include "framework/sysutils.h"

#include "halvern/drawing.h"
#include "halvern/render.h"

namespace vistrel {

namespace {

constexpr fw::TColor kHighlightColour = 0x208FFF;
constexpr fw::TColor kSheetFrameColour = 0x00FF00;

// The renderers' view port: the rectangle with its right and bottom edges inclusive.
RectangleRec view_port_of(const fw::TRect& rect)
{
    return RectangleRec{rect.Left, rect.Top, rect.Right - 1, rect.Bottom - 1};
}

int rounded_pixel(double value)
{
    const int64_t pixel = fw::RoundHalfEven(value);
    return static_cast<int>(std::clamp<int64_t>(pixel, -1000000000, 1000000000));
}

}

bool Tqxp_VectorObject::Draw_To(fw::TCanvas* Canvas, const fw::TRect& ARect)
{
    if (Canvas == nullptr || m_drawing == nullptr)
        return false;
    if (fVectorType == vtBitmap) {
        if (fBitmap == nullptr)
            return false;
        Draw_Bitmap_To(Canvas, ARect);
        return true;
    }
    RectangleRec view_port = view_port_of(ARect);
    m_drawing->dxf_ItemFlags[DXFItemText] = fShowText ? 0 : DXF_ITEM_TYPE_HIDDEN;
    SetDXFHighlightColour(m_drawing, static_cast<uint32_t>(kHighlightColour));
    m_drawing->dxf_Flags &= ~static_cast<uint32_t>(DXFDrawMonochrome);
    HDC dc = Canvas->Handle();
    if (fTooling) {
        ShowDXFBlock(dc, m_drawing, &view_port, "QX_NEST_TOOLING");
        ShowDXFBlock(dc, m_drawing, &view_port, "QX_NEST_CLAMPS");
    }
    DrawDXFDrawing(dc, m_drawing, &view_port, nullptr, nullptr, 0);
    Canvas->Pen()->SetWidth(1);
    if (OnAfterRender)
        OnAfterRender(this);
    Canvas->Brush()->SetColor(fw::clBlack);
    Canvas->Brush()->SetStyle(fw::bsClear);

    if (fVectorType == vtNestDxf) {
        double ax = 0;
        double ay = 0;
        double bx = fBounds.x2;
        double by = fBounds.y2;
        DXFDrawingToViewPort(m_drawing, &ax, &ay);
        DXFDrawingToViewPort(m_drawing, &bx, &by);
        const int left = rounded_pixel(ax + 1.0);
        const int top = rounded_pixel(ay);
        const int right = rounded_pixel(bx + 1.0);
        const int bottom = rounded_pixel(by);
        Canvas->Pen()->SetColor(kSheetFrameColour);
        Canvas->Pen()->SetWidth(2);
        Canvas->MoveTo(left, top);
        Canvas->LineTo(right, top);
        Canvas->LineTo(right, bottom);
        Canvas->LineTo(left, bottom);
        Canvas->LineTo(left, top - 1);
        Canvas->Pen()->SetWidth(1);
    }

    Draw_Points(Canvas, ARect);
    Draw_ZeroAxis(Canvas, ARect);
    Draw_Repositions(Canvas, ARect);
    if (fRulers)
        Draw_Ruler(Canvas, ARect);
    return true;
}

bool Tqxp_VectorObject::Draw_To(fw::TBitmap* Bitmap)
{
    if (Bitmap == nullptr)
        return false;
    try {
        return Draw_To(Bitmap->Canvas(), fw::Rect(0, 0, Bitmap->Width() - 1, Bitmap->Height() - 1));
    } catch (...) {
        return false;
    }
}

bool Tqxp_VectorObject::Draw_ToThumbnail(fw::TCanvas* Canvas, const fw::TRect& ARect, fw::TColor fg,
                                         fw::TColor bk)
{
    if (Canvas == nullptr || m_drawing == nullptr)
        return false;
    Canvas->Pen()->SetColor(fg);
    Canvas->Brush()->SetColor(bk);
    Canvas->FillRect(ARect);
    m_drawing->dxf_ItemFlags[DXFItemText] = DXF_ITEM_TYPE_HIDDEN;
    m_drawing->dxf_ItemFlags[DXFItemPoint] = DXF_ITEM_TYPE_HIDDEN;
    // Everything in the pen colour.
    m_drawing->dxf_Flags |= DXFDrawMonochrome;
    Set_DxfDisplayedLayer("Construction", false);
    RectangleRec view_port = view_port_of(ARect);
    DrawDXFDrawing(Canvas->Handle(), m_drawing, &view_port, nullptr, nullptr, 0);
    m_drawing->dxf_ItemFlags[DXFItemPoint] = 0;
    return true;
}

void Tqxp_VectorObject::Draw_Bitmap_To(fw::TCanvas* Canvas, const fw::TRect& ARect)
{
    DrawBitmapFitted(fBitmap.get(), Canvas, ARect, false);
}

}
