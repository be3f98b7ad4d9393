// What the drawing object draws over its drawing: point marks, zero axes, reposition
// marks and the two ruler bands along the bottom and the left of the drawing area.

#include "units/vector_object.h"

#include "units/canvas_state.h"
#include "units/ruler_ticks.h"
#include "units/units_display_manager.h"

#include "framework/graphics.h"
#include "framework/sysutils.h"

#include "halvern/drawing.h"
#include "halvern/walkers.h"
#include "platform/user_paint.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace vistrel {

namespace {

constexpr fw::TColor kPointMarkColour = 0x0000FF;
constexpr fw::TColor kZeroAxisColour = 0x208FFF;
constexpr fw::TColor kRepositionColour = 0x8080FF;
constexpr fw::TColor kRulerBandColour = 0xD7C1B5;

constexpr UINT kLabelFormat = DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX | DT_VCENTER;

// A pixel position as the canvas takes it, truncated towards zero; positions far off
// any canvas are held at a distance that still lies off it.
int truncated_pixel(double value)
{
    const int64_t pixel = fw::Trunc(value);
    return static_cast<int>(std::clamp<int64_t>(pixel, -1000000000, 1000000000));
}

struct PointWalk {
    DXFDrawingRec* drawing;
    std::vector<std::pair<double, double>> pixels;
    bool failed = false;
};

int32_t collect_point_mark(ItemRec* /*insert*/, ItemRec* item, void* user) noexcept
{
    auto* walk = static_cast<PointWalk*>(user);
    try {
        double x = item->it_Point.pt_Point.x;
        double y = item->it_Point.pt_Point.y;
        DXFDrawingToViewPort(walk->drawing, &x, &y);
        walk->pixels.emplace_back(x, y);
    } catch (...) {
        walk->failed = true;
    }
    return 0;
}

void draw_text(fw::TCanvas* canvas, const QString& text, const fw::TRect& where, UINT format)
{
    RECT rect{where.Left, where.Top, where.Right, where.Bottom};
    DrawTextW(canvas->Handle(), reinterpret_cast<LPCWSTR>(text.utf16()), -1, &rect, format);
}

fw::TSize measure_text(fw::TCanvas* canvas, const QString& text, bool bold)
{
    canvas->Font()->SetStyle(bold ? fw::TFontStyles{fw::fsBold} : fw::TFontStyles{});
    RECT rect{0, 0, 0, 0};
    DrawTextW(canvas->Handle(), reinterpret_cast<LPCWSTR>(text.utf16()), -1, &rect,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return fw::TSize{rect.right - rect.left, rect.bottom - rect.top};
}

void draw_tick_pair(fw::TCanvas* canvas, int x1, int y1, int x2, int y2, int dx, int dy)
{
    canvas->Pen()->SetColor(fw::clBlack);
    canvas->MoveTo(x1, y1);
    canvas->LineTo(x2, y2);
    canvas->Pen()->SetColor(fw::clWhite);
    canvas->MoveTo(x1 + dx, y1 + dy);
    canvas->LineTo(x2 + dx, y2 + dy);
}

void draw_labels(fw::TCanvas* canvas, RulerBand band, const std::vector<RulerTick>& ticks,
                 int label_first, int label_last)
{
    const std::vector<PlacedLabel> labels = PlaceRulerLabels(
        band, ticks, label_first, label_last,
        [canvas](const QString& text, bool bold) { return measure_text(canvas, text, bold); });
    const UINT alignment = band == RulerBand::Bottom ? DT_CENTER : DT_RIGHT;
    for (const PlacedLabel& label : labels) {
        const RulerTick& tick = ticks[static_cast<size_t>(label.tick)];
        canvas->Font()->SetStyle(tick.highlight ? fw::TFontStyles{fw::fsBold} : fw::TFontStyles{});
        draw_text(canvas, tick.label, label.anchor, kLabelFormat | alignment);
    }
}

}

void Tqxp_VectorObject::Draw_Points(fw::TCanvas* Canvas, const fw::TRect& /*ARect*/)
{
    if (Canvas == nullptr || m_drawing == nullptr)
        return;
    PointWalk walk{m_drawing, {}};
    StepDXFItemType(m_drawing, DXFItemPoint, collect_point_mark, &walk);
    if (walk.pixels.empty())
        return;
    Canvas->Brush()->SetColor(kPointMarkColour);
    for (const auto& [x, y] : walk.pixels) {
        const int px = truncated_pixel(x);
        const int py = truncated_pixel(y);
        Canvas->FillRect(fw::Rect(px - 1, py - 1, px + 2, py + 2));
    }
}

void Tqxp_VectorObject::Draw_ZeroAxis(fw::TCanvas* Canvas, const fw::TRect& ARect)
{
    if (!fZeroAxis || Canvas == nullptr || m_drawing == nullptr)
        return;
    double ox = 0;
    double oy = 0;
    DXFDrawingToViewPort(m_drawing, &ox, &oy);
    Canvas->Pen()->SetStyle(fw::psDot);
    Canvas->Pen()->SetColor(kZeroAxisColour);
    if (ARect.Top < oy && oy < ARect.Bottom) {
        Canvas->MoveTo(ARect.Left, truncated_pixel(oy));
        Canvas->LineTo(ARect.Right, truncated_pixel(oy));
    }
    if (ARect.Left < ox && ox < ARect.Right) {
        Canvas->MoveTo(truncated_pixel(ox), ARect.Top);
        Canvas->LineTo(truncated_pixel(ox), ARect.Bottom);
    }
    Canvas->Pen()->SetStyle(fw::psSolid);
}

void Tqxp_VectorObject::Draw_Repositions(fw::TCanvas* Canvas, const fw::TRect& /*ARect*/)
{
    if (fRepositions == nullptr || Canvas == nullptr || m_drawing == nullptr)
        return;
    CanvasStateSaver saved(Canvas);
    const TUnitsDisplayManager* manager = UnitsDisplayManager();
    const TqxUnitsType units = manager->MatLengthUnits();
    const int decimals = manager->MatLenDec();
    Canvas->Pen()->SetColor(kRepositionColour);
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetStyle(fw::psDot);
    const double height = RepositionTextHeight(m_drawing->dxf_YScale);
    Canvas->Font()->SetHeight(-static_cast<int>(fw::RoundHalfEven(height)));
    for (int i = 0; i < fRepositions->Count(); ++i) {
        const auto* entry = static_cast<const TRepositionRec*>(fRepositions->Items(i));
        if (entry == nullptr)
            continue;
        const double x = entry->X;
        double mx = x;
        double my = fBounds.y2;
        DXFDrawingToViewPort(m_drawing, &mx, &my);
        double bottom_x = x;
        double bottom_y = fBounds.y1;
        DXFDrawingToViewPort(m_drawing, &bottom_x, &bottom_y);
        // The labels stand one above another, 20 pixels apart.
        const int line_end = truncated_pixel(bottom_y) + 20 + 20 * std::min(i, 10000000);
        Canvas->MoveTo(truncated_pixel(mx), truncated_pixel(my));
        Canvas->LineTo(truncated_pixel(mx), line_end);
        Canvas->Font()->SetColor(kRepositionColour);
        Canvas->Font()->SetStyle({});
        Canvas->Brush()->SetStyle(fw::bsClear);
        const QString text = QStringLiteral("Reposition : ") +
                             FormatUnitsValueParen(qxMM, units, decimals, false, x);
        const int left = truncated_pixel(mx + 4);
        draw_text(Canvas, text, fw::Rect(left, line_end - truncated_pixel(height), left, line_end),
                  kLabelFormat | DT_LEFT);
    }
    Canvas->Pen()->SetStyle(fw::psSolid);
}

void Tqxp_VectorObject::Draw_Ruler(fw::TCanvas* Canvas, const fw::TRect& ARect)
{
    if (Canvas == nullptr || m_drawing == nullptr)
        return;
    CanvasStateSaver saved(Canvas);
    Canvas->Font()->SetName(QStringLiteral("Tahoma"));
    Canvas->Font()->SetStyle({});
    Canvas->Font()->SetColor(fw::clBlack);
    Canvas->Font()->SetSize(7);
    Canvas->Pen()->SetColor(fw::clBlack);
    const TUnitsDisplayManager& manager = *UnitsDisplayManager();
    DXFDrawingRec* drawing = m_drawing;

    // Bottom band, along x.
    {
        const fw::TRect band =
            fw::Rect(ARect.Left, ARect.Bottom + 1, ARect.Right + 1, ARect.Bottom + 17);
        Canvas->Brush()->SetColor(kRulerBandColour);
        Canvas->FillRect(band);
        Canvas->Brush()->SetStyle(fw::bsClear);
        double x0 = 0;
        double y0 = 0;
        ViewPortToDXFDrawing(drawing, &x0, &y0);
        double x1 = ARect.Right;
        double y1 = 0;
        ViewPortToDXFDrawing(drawing, &x1, &y1);
        const RulerBandLayout layout{RulerBand::Bottom, x0, x1 - x0, ARect.Left, ARect.Right};
        const std::vector<RulerTick> ticks =
            ComputeRulerTicks(layout, fFileUnits, manager, [drawing](double x) {
                double y = 0;
                DXFDrawingToViewPort(drawing, &x, &y);
                return x;
            });
        for (const RulerTick& tick : ticks)
            draw_tick_pair(Canvas, tick.pixel, band.Top, tick.pixel,
                           band.Top + (tick.major ? 5 : 3), 1, 0);
        draw_labels(Canvas, RulerBand::Bottom, ticks, band.Top + 4, band.Bottom);
    }

    // Left band, along y, in the margin left of the drawing area.
    {
        const int bottom = ARect.Bottom;
        Canvas->Brush()->SetColor(kRulerBandColour);
        Canvas->Brush()->SetStyle(fw::bsSolid);
        Canvas->FillRect(fw::Rect(0, 0, 41, bottom + 20));
        Canvas->Brush()->SetStyle(fw::bsClear);
        double xb = 0;
        double yb = bottom;
        ViewPortToDXFDrawing(drawing, &xb, &yb);
        double xt = 0;
        double yt = 0;
        ViewPortToDXFDrawing(drawing, &xt, &yt);
        const RulerBandLayout layout{RulerBand::Left, yb, yt - yb, 0, bottom};
        const std::vector<RulerTick> ticks =
            ComputeRulerTicks(layout, fFileUnits, manager, [drawing](double y) {
                double x = 0;
                DXFDrawingToViewPort(drawing, &x, &y);
                return y;
            });
        for (const RulerTick& tick : ticks)
            draw_tick_pair(Canvas, tick.major ? 36 : 38, tick.pixel, 41, tick.pixel, 0, 1);
        draw_labels(Canvas, RulerBand::Left, ticks, 2, 34);
    }
}

}
