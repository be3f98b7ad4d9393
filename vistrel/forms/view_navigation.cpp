#include "forms/view_navigation.h"

#include <cmath>
#include <utility>

namespace vistrel {

namespace {

// A pointer move that maps to less than this in drawing units pans nothing.
constexpr double kLeastPan = 1e-12;

// Rounds a half away from zero.
int32_t round_half_away(double x)
{
    return static_cast<int32_t>(std::lround(x));
}

// The drawing point under the pixel.
Point2DRec to_drawing(DXFDrawingRec* drawing, double x, double y)
{
    ViewPortToDXFDrawing(drawing, &x, &y);
    return {x, y};
}

// Clears a flag when the scope ends, however it ends.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagScope() { m_flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
};

}

int KeyModeOf(bool shift_held, bool ctrl_held, bool alt_held)
{
    if (shift_held)
        return 1;
    if (ctrl_held)
        return 2;
    if (alt_held)
        return 3;
    return 0;
}

fw::TRect DrawingRectOf(bool can_draw, const fw::TRect& client, bool has_drawing)
{
    if (!can_draw)
        return {};
    fw::TRect area = client;
    area.Top += 1;
    area.Left += 40;
    if (has_drawing) {
        area.Bottom -= 17;
        area.Right -= 1;
    }
    return area;
}

// ---- Zoom history ------------------------------------------------------------------------

void ViewNavigation::PushZoom(double min_x, double min_y, double max_x, double max_y)
{
    ++fZoom_Current;
    if (fZoom_Current >= kZoomHistorySize) {
        std::move(fZoom_List.begin() + 1, fZoom_List.end(), fZoom_List.begin());
        fZoom_Current = kZoomHistorySize - 1;
    }
    Rectangle3DRec& area = fZoom_List[static_cast<size_t>(fZoom_Current)].RZoomArea;
    area.min.x = min_x;
    area.min.y = min_y;
    area.max.x = max_x;
    area.max.y = max_y;
}

void ViewNavigation::ApplyZoomEntry(const ZoomRec& entry)
{
    DXFDrawingRec* drawing = m_host.drawing();
    if (drawing == nullptr)
        return;
    const Rectangle3DRec& area = entry.RZoomArea;
    SetDXFDrawingSize(drawing, area.min.x, area.min.y, area.max.x, area.max.y);
}

void ViewNavigation::ZoomPrevious()
{
    if (!has_drawing())
        return;
    if (fZoom_Current <= 0) {
        Zoom_DoFullZoom();
        return;
    }
    --fZoom_Current;
    // Each entry holds a whole window, so the one before the current entry is all it
    // takes; measuring first keeps the extents of the drawing current as well.
    m_host.recalc_drawing_size();
    ApplyZoomEntry(fZoom_List[static_cast<size_t>(fZoom_Current)]);
    m_host.redraw();
}

void ViewNavigation::Zoom_DoFullZoom()
{
    fZoom_Current = -1;
    if (has_drawing()) {
        m_host.recalc_drawing_size();
        m_host.pad_drawing();
    }
    m_host.redraw();
}

// ---- Zoom window and wheel ---------------------------------------------------------------

void ViewNavigation::SetZoomStart(int32_t x, int32_t y)
{
    fZoom_CZRec.ZoomArea.MinX = x;
    fZoom_CZRec.ZoomArea.MinY = y;
}

void ViewNavigation::SetZoomEnd(int32_t x, int32_t y)
{
    fZoom_CZRec.ZoomArea.MaxX = x;
    fZoom_CZRec.ZoomArea.MaxY = y;
}

bool ViewNavigation::ZoomToWindow()
{
    DXFDrawingRec* drawing = m_host.drawing();
    if (drawing == nullptr)
        return false;
    const RectangleRec& corners = fZoom_CZRec.ZoomArea;
    Point2DRec first = to_drawing(drawing, corners.MinX, corners.MinY);
    Point2DRec second = to_drawing(drawing, corners.MaxX, corners.MaxY);
    if (first.x > second.x)
        std::swap(first.x, second.x);
    if (first.y > second.y)
        std::swap(first.y, second.y);
    PushZoom(first.x, first.y, second.x, second.y);
    ApplyZoomEntry(fZoom_List[static_cast<size_t>(fZoom_Current)]);
    m_host.redraw();
    return true;
}

std::optional<fw::TPoint> ViewNavigation::WheelZoomIn(int32_t x, int32_t y, int32_t client_width,
                                                      int32_t client_height)
{
    DXFDrawingRec* drawing = m_host.drawing();
    if (drawing == nullptr)
        return std::nullopt;
    const FlagScope zooming(fZoom_WheelZooming);
    const int32_t half_width = client_width / 2;
    const int32_t half_height = client_height / 2;
    const Point2DRec under_pointer = to_drawing(drawing, x, y);

    // The window spans fZoom_WheelZoom percent of the view around the pointer: half of
    // it on each side.
    const int32_t percent = fZoom_WheelZoom / 2;
    const int32_t dx = round_half_away(half_width * percent / 50.0);
    const int32_t dy = round_half_away(half_height * percent / 50.0);
    SetZoomStart(x - dx, y - dy);
    SetZoomEnd(x + dx, y + dy);
    ZoomToWindow();
    SetZoomStart(x, y);
    SetZoomEnd(x, y);

    // The point that was under the pointer now lies at the centre of the drawing area;
    // the pointer follows it.
    double px = under_pointer.x;
    double py = under_pointer.y;
    DXFDrawingToViewPort(drawing, &px, &py);
    return fw::TPoint{static_cast<LONG>(std::trunc(px)), static_cast<LONG>(std::trunc(py))};
}

bool ViewNavigation::WheelZoomBack()
{
    if (fZoom_Current < 0)
        return false;
    const FlagScope zooming(fZoom_WheelZooming);
    ZoomPrevious();
    return true;
}

// ---- Pointer -----------------------------------------------------------------------------

bool ViewNavigation::MouseMove(bool left_button_held, int key_mode, int32_t x, int32_t y)
{
    if (x == fCursor_OldX && y == fCursor_OldY)
        return false;
    if (fMouseMode != kIdle && fMouseMode != kPanning)
        return false;
    if (!left_button_held || key_mode != 0)
        return true;
    if (has_drawing()) {
        PanBy(x, y);
        SetCursor(x, y);
    }
    return false;
}

void ViewNavigation::MouseUp()
{
    if (has_drawing() && fMouseMode == kPanning)
        fMouseMode = kIdle;
}

void ViewNavigation::PanBy(int32_t x, int32_t y)
{
    fMouseMode = kPanning;
    DXFDrawingRec* drawing = m_host.drawing();
    if (drawing == nullptr)
        return;
    const Point2DRec from = to_drawing(drawing, fCursor_OldX, fCursor_OldY);
    const Point2DRec to = to_drawing(drawing, x, y);
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    if (std::fabs(dx) <= kLeastPan && std::fabs(dy) <= kLeastPan)
        return;
    const Rectangle2DRec& visible = drawing->dxf_DrwgViewSize;
    SetDrawingWindow(visible.min.x - dx, visible.min.y - dy, visible.max.x - dx,
                     visible.max.y - dy);
}

void ViewNavigation::SetDrawingWindow(double min_x, double min_y, double max_x, double max_y)
{
    if (min_x > max_x)
        std::swap(min_x, max_x);
    if (min_y > max_y)
        std::swap(min_y, max_y);
    if (DXFDrawingRec* drawing = m_host.drawing(); drawing != nullptr)
        SetDXFDrawingSize(drawing, min_x, min_y, max_x, max_y);
    m_host.redraw();
}

}
