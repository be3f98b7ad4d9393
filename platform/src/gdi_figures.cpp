// Closed figures (Polygon, Ellipse, Pie), Polyline, the arc
// direction, flood fills, ScrollDC and LineDDA.

#include "gdi_objects.h"
#include "gdi_raster.h"
#include "gdi_shapes.h"
#include "make_win32_error.h"

#include <QtGui/QPolygonF>
#include <QtGui/QRegion>
#include <QtGui/QTransform>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <new>
#include <utility>
#include <vector>

using namespace platform::gdi;

namespace {

// Fills the path (corners on pixel centres) with the brush: shifted by half a pixel, the
// fill covers the pixels whose centres lie inside the outline that the pen draws.
void fill_centred(DeviceContext& dc, const QPainterPath& path)
{
    fill_path(dc.surface(), dc, QTransform::fromTranslate(0.5, 0.5).map(path));
}

// One-pixel lines through the points, each without its last pixel (as LineTo draws).
void draw_lines(DeviceContext& dc, const POINT* points, int count, bool closed)
{
    const Pen& pen = dc.pen();
    if (!pen.draws())
        return;
    const Surface& surface = dc.surface();
    const int segments = closed ? count : count - 1;
    for (int i = 0; i < segments; ++i) {
        const POINT& a = points[i];
        const POINT& b = points[(i + 1) % count];
        if (pen.is_wide())
            draw_wide_line(surface, pen, a.x, a.y, b.x, b.y, dc.rop2);
        else
            draw_line(surface, a.x, a.y, b.x, b.y, surface.device_pixel(pen.record().lopnColor),
                      dc.rop2);
    }
}

// The outline of a curved figure with the pen.
void stroke_figure(DeviceContext& dc, const QPainterPath& path)
{
    const Pen& pen = dc.pen();
    if (!pen.draws())
        return;
    if (pen.is_wide())
        stroke_curve(dc.surface(), pen, path, dc.rop2);
    else
        stroke_path(dc.surface(), pen, path, dc.rop2);
}

bool in_curve_range(std::initializer_list<int> values)
{
    for (const int value : values) {
        if (!is_curve_coordinate(value))
            return false;
    }
    return true;
}

// The points in device coordinates: the caller's own when the DC has no window origin,
// else mapped into `storage`. NULL when one leaves the 32-bit range.
const POINT* device_points(const DeviceContext& dc, const POINT* points, int count,
                           std::vector<POINT>& storage)
{
    if (!dc.has_origin())
        return points;
    storage.assign(points, points + count);
    for (POINT& point : storage) {
        int x = point.x;
        int y = point.y;
        if (!dc.to_device(x, y))
            return nullptr;
        point = POINT{x, y};
    }
    return storage.data();
}

template <typename Work>
BOOL guarded(Work&& work)
{
    try {
        return work();
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

}

extern "C" {

PLATFORM_API BOOL Polyline(HDC hdc, const POINT* points, int count) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("Polyline(%d)", count);
    if (points == nullptr || count < 2) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return guarded([&] {
        std::vector<POINT> storage;
        const POINT* mapped = device_points(*dc, points, count, storage);
        if (mapped == nullptr) {
            platform::make_win32_error(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        draw_lines(*dc, mapped, count, false);
        return TRUE;
    });
}

PLATFORM_API BOOL Polygon(HDC hdc, const POINT* points, int count) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("Polygon(%d)", count);
    if (points == nullptr || count < 2) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return guarded([&] {
        std::vector<POINT> storage;
        points = device_points(*dc, points, count, storage);
        if (points == nullptr) {
            platform::make_win32_error(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        QPolygonF polygon;
        for (int i = 0; i < count; ++i) {
            if (!in_curve_range({points[i].x, points[i].y})) {
                platform::make_win32_error(ERROR_INVALID_PARAMETER);
                return FALSE;
            }
            polygon << QPointF(points[i].x, points[i].y);
        }
        QPainterPath path;
        path.addPolygon(polygon);
        path.closeSubpath();
        fill_centred(*dc, path);
        draw_lines(*dc, points, count, true);
        return TRUE;
    });
}

PLATFORM_API BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("Ellipse(%d, %d, %d, %d)", left, top, right, bottom);
    if (!dc->to_device(left, top) || !dc->to_device(right, bottom)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!in_curve_range({left, top, right, bottom})) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    return guarded([&] {
        QPainterPath path;
        path.addEllipse(
            QRectF(left, top, std::max(0, right - left - 1), std::max(0, bottom - top - 1)));
        fill_centred(*dc, path);
        const Pen& pen = dc->pen();
        if (pen.draws() && !pen.is_wide())
            draw_ellipse(dc->surface(), left, top, int64_t{right} - 1, int64_t{bottom} - 1, 0.0,
                         7.0, dc->surface().device_pixel(pen.record().lopnColor), dc->rop2);
        else
            stroke_figure(*dc, path);
        return TRUE;
    });
}

PLATFORM_API BOOL Pie(HDC hdc, int left, int top, int right, int bottom, int x_start, int y_start,
                      int x_end, int y_end) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("Pie(%d, %d, %d, %d, %d, %d, %d, %d)", left, top, right, bottom, x_start, y_start,
               x_end, y_end);
    if (!dc->to_device(left, top) || !dc->to_device(right, bottom) ||
        !dc->to_device(x_start, y_start) || !dc->to_device(x_end, y_end)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (dc->arc_direction == AD_CLOCKWISE) {
        std::swap(x_start, x_end);
        std::swap(y_start, y_end);
    }
    return guarded([&] {
        QPainterPath path;
        if (!add_arc(path, left, top, right, bottom, x_start, y_start, x_end, y_end)) {
            platform::make_win32_error(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        const QRectF box(std::min(left, right), std::min(top, bottom),
                         std::max(0, std::abs(right - left) - 1),
                         std::max(0, std::abs(bottom - top) - 1));
        path.lineTo(box.center());
        path.closeSubpath();
        fill_centred(*dc, path);
        stroke_figure(*dc, path);
        return TRUE;
    });
}

PLATFORM_API int SetArcDirection(HDC hdc, int direction) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return 0;
    dc->record("SetArcDirection(%d)", direction);
    if (direction != AD_COUNTERCLOCKWISE && direction != AD_CLOCKWISE) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return std::exchange(dc->arc_direction, direction);
}

PLATFORM_API int GetArcDirection(HDC hdc) noexcept
{
    const DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    return dc != nullptr ? dc->arc_direction : 0;
}

PLATFORM_API BOOL ExtFloodFill(HDC hdc, int x, int y, COLORREF colour, UINT type) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("ExtFloodFill(%d, %d, 0x%06X, %u)", x, y, colour, type);
    if (!dc->to_device(x, y))
        return FALSE;
    const Surface& surface = dc->surface();
    if (surface.is_empty() || !surface.contains(x, y) ||
        (type != FLOODFILLBORDER && type != FLOODFILLSURFACE))
        return FALSE;
    auto fills = [&](int px, int py) {
        const COLORREF here = surface.colour_at(*surface.pixel(px, py));
        return type == FLOODFILLSURFACE ? here == colour : here != colour;
    };
    if (!fills(x, y))
        return FALSE;
    return guarded([&] {
        const Brush& brush = dc->brush();
        const uint32_t paint = surface.device_pixel(brush.record().lbColor) | surface.alpha;
        std::vector<uint8_t> seen(
            static_cast<size_t>(surface.width) * static_cast<size_t>(surface.height), 0);
        std::deque<std::pair<int, int>> pending{{x, y}};
        seen[static_cast<size_t>(y) * surface.width + x] = 1;
        // Decide every pixel before painting any, so that the brush's colour does not
        // change which pixels the fill reaches.
        std::vector<std::pair<int, int>> area;
        while (!pending.empty()) {
            const auto [px, py] = pending.front();
            pending.pop_front();
            area.emplace_back(px, py);
            const std::pair<int, int> around[4] = {
                {px - 1, py}, {px + 1, py}, {px, py - 1}, {px, py + 1}};
            for (const auto& [nx, ny] : around) {
                if (!surface.contains(nx, ny))
                    continue;
                uint8_t& mark = seen[static_cast<size_t>(ny) * surface.width + nx];
                if (mark == 0 && fills(nx, ny)) {
                    mark = 1;
                    pending.emplace_back(nx, ny);
                }
            }
        }
        if (brush.paints()) {
            for (const auto& [px, py] : area) {
                if (surface.visible(px, py))
                    *surface.pixel(px, py) = paint;
            }
        }
        return TRUE;
    });
}

PLATFORM_API BOOL ScrollDC(HDC hdc, int dx, int dy, const RECT* scroll, const RECT* clip,
                           HRGN update_region, LPRECT update_rect) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("ScrollDC(%d, %d)", dx, dy);
    if (update_region != nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The rectangles are logical; the work is done on device pixels.
    RECT scroll_box{};
    RECT clip_box{};
    if ((scroll != nullptr && !dc->to_device(scroll_box = *scroll)) ||
        (clip != nullptr && !dc->to_device(clip_box = *clip))) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    scroll = scroll != nullptr ? &scroll_box : nullptr;
    clip = clip != nullptr ? &clip_box : nullptr;
    const Surface& surface = dc->surface();
    auto as_rect = [](const RECT& r) {
        return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
    };
    return guarded([&] {
        const QRect all(0, 0, surface.width, surface.height);
        const QRect from = (scroll != nullptr ? as_rect(*scroll) : all) & all;
        const QRect limit = (clip != nullptr ? as_rect(*clip) : all) & all;
        const QRect to = from.translated(dx, dy) & limit;
        if (!surface.is_empty() && !to.isEmpty()) {
            std::vector<uint32_t> copy(static_cast<size_t>(from.width()) *
                                       static_cast<size_t>(from.height()));
            for (int row = 0; row < from.height(); ++row)
                std::copy_n(surface.pixel(from.left(), from.top() + row), from.width(),
                            copy.begin() + static_cast<ptrdiff_t>(row) * from.width());
            for (int py = to.top(); py <= to.bottom(); ++py) {
                for (int px = to.left(); px <= to.right(); ++px) {
                    if (surface.visible(px, py))
                        *surface.pixel(px, py) =
                            copy[static_cast<size_t>(py - dy - from.top()) * from.width() +
                                 (px - dx - from.left())];
                }
            }
        }
        if (update_rect != nullptr) {
            const QRect uncovered = (QRegion(from & limit) - QRegion(to)).boundingRect();
            const LONG x = dc->window_origin.x;
            const LONG y = dc->window_origin.y;
            *update_rect = uncovered.isEmpty()
                               ? RECT{0, 0, 0, 0}
                               : RECT{static_cast<LONG>(uncovered.left() + int64_t{x}),
                                      static_cast<LONG>(uncovered.top() + int64_t{y}),
                                      static_cast<LONG>(uncovered.right() + 1 + int64_t{x}),
                                      static_cast<LONG>(uncovered.bottom() + 1 + int64_t{y})};
        }
        return TRUE;
    });
}

PLATFORM_API BOOL LineDDA(int x0, int y0, int x1, int y1, LINEDDAPROC procedure,
                          LPARAM data) noexcept
{
    if (procedure == nullptr)
        return FALSE;
    const int64_t dx = int64_t{x1} - x0;
    const int64_t dy = int64_t{y1} - y0;
    const bool x_major = std::llabs(dx) >= std::llabs(dy);
    const int64_t dm = x_major ? std::llabs(dx) : std::llabs(dy);
    const int64_t dk = x_major ? std::llabs(dy) : std::llabs(dx);
    const int major_sign = (x_major ? dx : dy) > 0 ? 1 : -1;
    const int minor_sign = (x_major ? dy : dx) >= 0 ? 1 : -1;
    // The pixels of LineTo: ties go to the smaller coordinate.
    const int64_t bias = minor_sign > 0 ? dm - 1 : dm;
    for (int64_t i = 0; i < dm; ++i) {
        const int64_t q = (2 * i * dk + bias) / (2 * dm);
        const int64_t major = (x_major ? x0 : y0) + major_sign * i;
        const int64_t minor = (x_major ? y0 : x0) + minor_sign * q;
        procedure(static_cast<int>(x_major ? major : minor),
                  static_cast<int>(x_major ? minor : major), data);
    }
    return TRUE;
}
}
