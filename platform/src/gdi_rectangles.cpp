// Rectangles with pen and brush: Rectangle and RoundRect.

#include "gdi_objects.h"
#include "gdi_raster.h"
#include "gdi_shapes.h"
#include "make_win32_error.h"

#include <algorithm>
#include <cmath>
#include <new>

using namespace platform::gdi;

namespace {

struct Box {
    int64_t left;
    int64_t top;
    int64_t right; // exclusive
    int64_t bottom;
    bool empty() const { return right <= left || bottom <= top; }
};

Box normalised(int left, int top, int right, int bottom)
{
    return {std::min(left, right), std::min(top, bottom), std::max(left, right),
            std::max(top, bottom)};
}

bool in_range(const Box& box)
{
    return is_curve_coordinate(box.left) && is_curve_coordinate(box.top) &&
           is_curve_coordinate(box.right) && is_curve_coordinate(box.bottom);
}

QPainterPath box_path(const Box& box)
{
    QPainterPath path;
    path.addRect(QRectF(static_cast<double>(box.left), static_cast<double>(box.top),
                        static_cast<double>(box.right - box.left),
                        static_cast<double>(box.bottom - box.top)));
    return path;
}

// A wide pen's outline: a band of its width centred on the outermost pixels.
struct Band {
    Box outer;
    Box inner;
};

Band wide_band(const Box& box, int64_t width)
{
    const int64_t before = width / 2;
    const Box outer{box.left - before, box.top - before, box.right - 1 - before + width,
                    box.bottom - 1 - before + width};
    return {outer,
            Box{outer.left + width, outer.top + width, outer.right - width, outer.bottom - width}};
}

// The outline of the rectangle whose pixel edges run along left, top, right - 1 and
// bottom - 1: every pixel once, so that an XOR pen leaves no double-drawn corners.
void outline_box(const Surface& surface, const Pen& pen, const Box& box, int rop2)
{
    const uint32_t colour = surface.device_pixel(pen.record().lopnColor);
    const auto left = static_cast<int>(box.left);
    const auto top = static_cast<int>(box.top);
    const auto last_x = static_cast<int>(box.right - 1);
    const auto last_y = static_cast<int>(box.bottom - 1);
    if (!pen.is_wide()) {
        draw_line(surface, left, top, last_x + 1, top, colour, rop2);
        if (last_y > top)
            draw_line(surface, left, last_y, last_x + 1, last_y, colour, rop2);
        if (last_y - 1 > top) {
            draw_line(surface, left, top + 1, left, last_y, colour, rop2);
            if (last_x > left)
                draw_line(surface, last_x, top + 1, last_x, last_y, colour, rop2);
        }
        return;
    }
    const Band band = wide_band(box, pen.record().lopnWidth.x);
    QPainterPath path = box_path(band.outer);
    if (!band.inner.empty())
        path.addPath(box_path(band.inner));
    path.setFillRule(Qt::OddEvenFill);
    paint_coverage(
        surface, path.controlPointRect(),
        [&](QPainter& painter) { painter.fillPath(path, QColor(0, 0, 0, 255)); },
        pen_paint(pen, surface), rop2);
}

}

extern "C" {

PLATFORM_API BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("Rectangle(%d, %d, %d, %d)", left, top, right, bottom);
    if (!dc->to_device(left, top) || !dc->to_device(right, bottom)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const Box box = normalised(left, top, right, bottom);
    if (!in_range(box)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (box.right - box.left < 2 || box.bottom - box.top < 2)
        return TRUE;
    try {
        const Surface& surface = dc->surface();
        const Pen& pen = dc->pen();
        // Without a pen the filled part is one pixel smaller, as on Win32; a wide pen
        // covers more of it.
        Box inside{box.left, box.top, box.right - 1, box.bottom - 1};
        if (pen.draws())
            inside = pen.is_wide() ? wide_band(box, pen.record().lopnWidth.x).inner
                                   : Box{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
        if (!inside.empty())
            fill_path(surface, *dc, box_path(inside));
        if (pen.draws())
            outline_box(surface, pen, box, dc->rop2);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    return TRUE;
}

PLATFORM_API BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int corner_width,
                            int corner_height) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("RoundRect(%d, %d, %d, %d, %d, %d)", left, top, right, bottom, corner_width,
               corner_height);
    if (!dc->to_device(left, top) || !dc->to_device(right, bottom)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const Box box = normalised(left, top, right, bottom);
    if (!in_range(box) || !is_curve_coordinate(corner_width) ||
        !is_curve_coordinate(corner_height)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (box.right - box.left < 2 || box.bottom - box.top < 2)
        return TRUE;
    try {
        // The outline runs through the centres of the edge pixels.
        const double width = static_cast<double>(box.right - box.left - 1);
        const double height = static_cast<double>(box.bottom - box.top - 1);
        const double radius_x = std::min(std::abs(corner_width) / 2.0, width / 2.0);
        const double radius_y = std::min(std::abs(corner_height) / 2.0, height / 2.0);
        QPainterPath outline;
        outline.addRoundedRect(
            QRectF(static_cast<double>(box.left), static_cast<double>(box.top), width, height),
            radius_x, radius_y);
        const Surface& surface = dc->surface();
        QPainterPath filled = outline;
        filled.translate(0.5, 0.5);
        fill_path(surface, *dc, filled);
        if (dc->pen().draws()) {
            if (dc->pen().is_wide())
                stroke_curve(surface, dc->pen(), outline, dc->rop2);
            else
                stroke_path(surface, dc->pen(), outline, dc->rop2);
        }
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    return TRUE;
}
}
