// Lines, pixels and arcs: MoveToEx, GetCurrentPositionEx, LineTo, SetPixelV, GetPixel
// and Arc.

#include "gdi_objects.h"
#include "gdi_raster.h"
#include "gdi_shapes.h"
#include "make_win32_error.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

using namespace platform::gdi;

namespace {

// Arc's box with its right and bottom edges taken in, and its arc as the angle of the
// start ray and the counter-clockwise turn to the end ray (the whole turn when the
// rays agree).
struct ArcOutline {
    int64_t left;
    int64_t top;
    int64_t right;
    int64_t bottom;
    double start;
    double sweep;
};

ArcOutline arc_outline(int left, int top, int right, int bottom, int x_start, int y_start, int x_end, int y_end)
{
    constexpr double kTwoPi = 6.283185307179586;
    ArcOutline outline{std::min(left, right), std::min(top, bottom), int64_t{std::max(left, right)} - 1,
                       int64_t{std::max(top, bottom)} - 1, 0.0, kTwoPi};
    const int64_t centre_x2 = outline.left + outline.right;
    const int64_t centre_y2 = outline.top + outline.bottom;
    auto angle = [&](int x, int y) {
        return std::atan2(static_cast<double>(centre_y2 - 2 * int64_t{y}), static_cast<double>(2 * int64_t{x} - centre_x2));
    };
    outline.start = angle(x_start, y_start);
    // Equal rays (a whole ellipse) need only the one angle.
    double turn = x_end == x_start && y_end == y_start ? 0.0 : angle(x_end, y_end) - outline.start;
    while (turn <= 1e-12)
        turn += kTwoPi;
    outline.sweep = turn;
    return outline;
}

}

extern "C" {

PLATFORM_API BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    if (dc->is_recording()) [[unlikely]]
        dc->record("MoveToEx(%d, %d)", x, y);
    if (old != nullptr)
        *old = dc->position;
    dc->set_position(x, y);
    if (dc->path_state == PathState::Open) [[unlikely]] {
        try {
            dc->path.moveTo(static_cast<double>(dc->device_x(x)),
                            static_cast<double>(dc->device_y(y)));
            dc->figure_open = true;
        } catch (const std::bad_alloc&) {
            platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
            return FALSE;
        }
    }
    return TRUE;
}

PLATFORM_API BOOL GetCurrentPositionEx(HDC hdc, LPPOINT position) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("GetCurrentPositionEx()");
    if (position == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *position = dc->position;
    return TRUE;
}

PLATFORM_API BOOL LineTo(HDC hdc, int x, int y) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    if (dc->is_recording()) [[unlikely]]
        dc->record("LineTo(%d, %d)", x, y);
    const POINT position = dc->position;
    dc->set_position(x, y);
    const int64_t from_x = dc->device_x(position.x);
    const int64_t from_y = dc->device_y(position.y);
    const int64_t to_x = dc->device_x(x);
    const int64_t to_y = dc->device_y(y);
    // The common case: a one-pixel line on the surface.
    const Pen& pen = dc->pen();
    if (dc->path_state != PathState::Open && !pen.is_wide()) [[likely]] {
        if (pen.draws())
            draw_line(dc->surface(), from_x, from_y, to_x, to_y,
                      dc->surface().device_pixel(pen.record().lopnColor), dc->rop2);
        return TRUE;
    }
    try {
        if (dc->path_state == PathState::Open) {
            if (!dc->figure_open) {
                dc->path.moveTo(static_cast<double>(from_x), static_cast<double>(from_y));
                dc->figure_open = true;
            }
            dc->path.lineTo(static_cast<double>(to_x), static_cast<double>(to_y));
            return TRUE;
        }
        if (pen.draws()) {
            if (!is_curve_coordinate(from_x) || !is_curve_coordinate(from_y) ||
                !is_curve_coordinate(to_x) || !is_curve_coordinate(to_y)) {
                platform::make_win32_error(ERROR_INVALID_PARAMETER);
                return FALSE;
            }
            draw_wide_line(dc->surface(), pen, static_cast<int>(from_x), static_cast<int>(from_y),
                           static_cast<int>(to_x), static_cast<int>(to_y), dc->rop2);
        }
        return TRUE;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

PLATFORM_API BOOL SetPixelV(HDC hdc, int x, int y, COLORREF colour) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    if (dc->is_recording()) [[unlikely]]
        dc->record("SetPixelV(%d, %d, 0x%06X)", x, y, colour);
    const Surface& surface = dc->surface();
    const int64_t px = dc->device_x(x);
    const int64_t py = dc->device_y(y);
    if (!surface.contains(px, py))
        return FALSE;
    // SetPixelV ignores the ROP2 mode: the pixel takes the colour.
    const auto sx = static_cast<int>(px);
    const auto sy = static_cast<int>(py);
    if (surface.visible(sx, sy))
        *surface.pixel(sx, sy) = surface.device_pixel(colour) | surface.alpha;
    return TRUE;
}

PLATFORM_API COLORREF GetPixel(HDC hdc, int x, int y) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return CLR_INVALID;
    dc->record("GetPixel(%d, %d)", x, y);
    const Surface& surface = dc->surface();
    const int64_t px = dc->device_x(x);
    const int64_t py = dc->device_y(y);
    if (surface.is_empty() || !surface.contains(px, py))
        return CLR_INVALID;
    return surface.colour_at(*surface.pixel(static_cast<int>(px), static_cast<int>(py)));
}

PLATFORM_API BOOL Arc(HDC hdc, int left, int top, int right, int bottom, int x_start, int y_start, int x_end,
                      int y_end) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("Arc(%d, %d, %d, %d, %d, %d, %d, %d)", left, top, right, bottom, x_start, y_start, x_end, y_end);
    if (!dc->to_device(left, top) || !dc->to_device(right, bottom) ||
        !dc->to_device(x_start, y_start) || !dc->to_device(x_end, y_end)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Arcs run counter-clockwise; a clockwise arc is the other part between the rays.
    if (dc->arc_direction == AD_CLOCKWISE) {
        std::swap(x_start, x_end);
        std::swap(y_start, y_end);
    }
    try {
        if (dc->path_state == PathState::Open) {
            if (!add_arc(dc->path, left, top, right, bottom, x_start, y_start, x_end, y_end)) {
                platform::make_win32_error(ERROR_INVALID_PARAMETER);
                return FALSE;
            }
            // Arc neither uses nor moves the current position: a later LineTo starts
            // its own figure there.
            dc->figure_open = false;
            return TRUE;
        }
        if (!is_arc_in_range(left, top, right, bottom, x_start, y_start, x_end, y_end)) {
            platform::make_win32_error(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        const Pen& pen = dc->pen();
        if (pen.is_wide()) {
            // Only a wide pen needs the arc as a path.
            QPainterPath arc;
            add_arc(arc, left, top, right, bottom, x_start, y_start, x_end, y_end);
            stroke_curve(dc->surface(), pen, arc, dc->rop2);
            return TRUE;
        }
        if (pen.draws()) {
            const ArcOutline outline = arc_outline(left, top, right, bottom, x_start, y_start, x_end, y_end);
            draw_ellipse(dc->surface(), outline.left, outline.top, outline.right, outline.bottom,
                         outline.start, outline.sweep,
                         dc->surface().device_pixel(pen.record().lopnColor), dc->rop2);
        }
        return TRUE;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

PLATFORM_API BOOL AngleArc(HDC hdc, int x, int y, DWORD radius, FLOAT start_angle,
                           FLOAT sweep_angle) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    if (dc->is_recording()) [[unlikely]]
        dc->record("AngleArc(%d, %d, %u, %g, %g)", x, y, radius, static_cast<double>(start_angle),
                   static_cast<double>(sweep_angle));
    const int64_t centre_x = dc->device_x(x);
    const int64_t centre_y = dc->device_y(y);
    const auto r = static_cast<int64_t>(radius);
    if (!std::isfinite(start_angle) || !std::isfinite(sweep_angle) ||
        !is_curve_coordinate(centre_x - r) || !is_curve_coordinate(centre_x + r) ||
        !is_curve_coordinate(centre_y - r) || !is_curve_coordinate(centre_y + r)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    constexpr double kRadiansPerDegree = 3.141592653589793 / 180.0;
    const double start = static_cast<double>(start_angle);
    const double sweep = static_cast<double>(sweep_angle);
    // Angles count counter-clockwise on the screen, where y grows downwards.
    const auto point_at = [&](double degrees) {
        const double radians = degrees * kRadiansPerDegree;
        return std::pair<int64_t, int64_t>{
            centre_x + std::llround(static_cast<double>(r) * std::cos(radians)),
            centre_y - std::llround(static_cast<double>(r) * std::sin(radians))};
    };
    const auto [start_x, start_y] = point_at(start);
    const auto [end_x, end_y] = point_at(start + sweep);
    // The current position is logical: the end point back by the origin.
    const int64_t end_logical_x = end_x + dc->window_origin.x;
    const int64_t end_logical_y = end_y + dc->window_origin.y;
    if (end_logical_x < INT32_MIN || end_logical_x > INT32_MAX || end_logical_y < INT32_MIN ||
        end_logical_y > INT32_MAX) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const POINT position = dc->position;
    const int64_t from_x = dc->device_x(position.x);
    const int64_t from_y = dc->device_y(position.y);
    dc->set_position(static_cast<LONG>(end_logical_x), static_cast<LONG>(end_logical_y));
    const QRectF circle(static_cast<double>(centre_x - r), static_cast<double>(centre_y - r),
                        static_cast<double>(2 * r), static_cast<double>(2 * r));
    const double whole = std::clamp(sweep, -360.0, 360.0);
    try {
        if (dc->path_state == PathState::Open) {
            if (!dc->figure_open) {
                dc->path.moveTo(static_cast<double>(from_x), static_cast<double>(from_y));
                dc->figure_open = true;
            }
            dc->path.lineTo(static_cast<double>(start_x), static_cast<double>(start_y));
            dc->path.arcTo(circle, start, whole);
            return TRUE;
        }
        const Pen& pen = dc->pen();
        if (!pen.draws())
            return TRUE;
        const uint32_t colour = dc->surface().device_pixel(pen.record().lopnColor);
        if (pen.is_wide()) {
            if (!is_curve_coordinate(from_x) || !is_curve_coordinate(from_y)) {
                platform::make_win32_error(ERROR_INVALID_PARAMETER);
                return FALSE;
            }
            draw_wide_line(dc->surface(), pen, static_cast<int>(from_x), static_cast<int>(from_y),
                           static_cast<int>(start_x), static_cast<int>(start_y), dc->rop2);
            QPainterPath arc;
            arc.arcMoveTo(circle, start);
            arc.arcTo(circle, start, whole);
            stroke_curve(dc->surface(), pen, arc, dc->rop2);
            return TRUE;
        }
        draw_line(dc->surface(), from_x, from_y, start_x, start_y, colour, dc->rop2);
        // The raster code takes the arc counter-clockwise: a clockwise one starts at its
        // end.
        const double first = sweep >= 0 ? start : start + sweep;
        draw_ellipse(dc->surface(), centre_x - r, centre_y - r, centre_x + r, centre_y + r,
                     first * kRadiansPerDegree,
                     std::abs(whole) >= 360.0 ? 7.0 : std::abs(whole) * kRadiansPerDegree, colour,
                     dc->rop2);
        return TRUE;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}
}
