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
            dc->path.moveTo(x, y);
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
    const POINT from = dc->position;
    dc->set_position(x, y);
    // The common case: a one-pixel line on the surface.
    const Pen& pen = dc->pen();
    if (dc->path_state != PathState::Open && !pen.is_wide()) [[likely]] {
        if (pen.draws())
            draw_line(dc->surface(), from.x, from.y, x, y,
                      dc->surface().device_pixel(pen.record().lopnColor), dc->rop2);
        return TRUE;
    }
    try {
        if (dc->path_state == PathState::Open) {
            if (!dc->figure_open) {
                dc->path.moveTo(from.x, from.y);
                dc->figure_open = true;
            }
            dc->path.lineTo(x, y);
            return TRUE;
        }
        if (pen.draws())
            draw_wide_line(dc->surface(), pen, from.x, from.y, x, y, dc->rop2);
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
    if (!surface.contains(x, y))
        return FALSE;
    // SetPixelV ignores the ROP2 mode: the pixel takes the colour.
    if (surface.visible(x, y))
        *surface.pixel(x, y) = surface.device_pixel(colour) | surface.alpha;
    return TRUE;
}

PLATFORM_API COLORREF GetPixel(HDC hdc, int x, int y) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return CLR_INVALID;
    dc->record("GetPixel(%d, %d)", x, y);
    const Surface& surface = dc->surface();
    if (surface.is_empty() || !surface.contains(x, y))
        return CLR_INVALID;
    return surface.colour_at(*surface.pixel(x, y));
}

PLATFORM_API BOOL Arc(HDC hdc, int left, int top, int right, int bottom, int x_start, int y_start, int x_end,
                      int y_end) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("Arc(%d, %d, %d, %d, %d, %d, %d, %d)", left, top, right, bottom, x_start, y_start, x_end, y_end);
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

}
