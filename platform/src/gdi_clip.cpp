// Clip regions of device contexts, region combination and the MM_TEXT mapping.

#include "gdi_objects.h"
#include "make_win32_error.h"

#include <algorithm>
#include <cstdint>
#include <new>

using namespace platform::gdi;

namespace {

int kind_of_region(const QRegion& region)
{
    if (region.isEmpty())
        return NULLREGION;
    return region.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

QRegion combined(const QRegion& a, const QRegion& b, int mode)
{
    switch (mode) {
    case RGN_AND:
        return a & b;
    case RGN_OR:
        return a | b;
    case RGN_XOR:
        return a ^ b;
    case RGN_DIFF:
        return a - b;
    default:
        return a;
    }
}

// Combines the logical rectangle into the DC's clip (the whole surface when it has
// none).
int clip_to_rect(HDC hdc, const char* name, int left, int top, int right, int bottom, int mode)
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return ERROR;
    if (dc->is_recording()) [[unlikely]]
        dc->record("%s(%d, %d, %d, %d)", name, left, top, right, bottom);
    RECT box{std::min(left, right), std::min(top, bottom), std::max(left, right),
             std::max(top, bottom)};
    if (!dc->to_device(box)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    try {
        const Surface& surface = dc->surface();
        const QRegion current = dc->clip().value_or(QRegion(0, 0, surface.width, surface.height));
        // QRegion keeps its rectangles in int: a box reaching past the 32-bit range is cut
        // to what a surface can ever hold.
        const auto limit = [](LONG value) {
            return static_cast<int>(
                std::clamp<int64_t>(value, -kMaxSurfaceSide * 2, kMaxSurfaceSide * 2));
        };
        const QRect rect(QPoint(limit(box.left), limit(box.top)),
                         QPoint(limit(box.right) - 1, limit(box.bottom) - 1));
        const QRegion result = combined(current, rect.isValid() ? QRegion(rect) : QRegion(), mode);
        dc->set_clip(result);
        return kind_of_region(result);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return ERROR;
    }
}

// Moves the points by the window origin times `sign`.
BOOL map_points(HDC hdc, LPPOINT points, int count, int sign)
{
    const DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    if (count < 0 || (points == nullptr && count > 0)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    for (int i = 0; i < count; ++i) {
        const int64_t x = points[i].x + int64_t{sign} * dc->window_origin.x;
        const int64_t y = points[i].y + int64_t{sign} * dc->window_origin.y;
        if (x < INT32_MIN || x > INT32_MAX || y < INT32_MIN || y > INT32_MAX) {
            platform::make_win32_error(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        points[i] = POINT{static_cast<LONG>(x), static_cast<LONG>(y)};
    }
    return TRUE;
}

}

extern "C" {

PLATFORM_API int CombineRgn(HRGN destination, HRGN a, HRGN b, int mode) noexcept
{
    Region* target = object_of_kind<Region>(destination);
    const Region* first = object_of_kind<Region>(a);
    if (target == nullptr || first == nullptr || mode < RGN_AND || mode > RGN_COPY)
        return ERROR;
    const Region* second = nullptr;
    if (mode != RGN_COPY) {
        second = object_of_kind<Region>(b);
        if (second == nullptr)
            return ERROR;
    }
    try {
        target->set_region(
            combined(first->region(), second != nullptr ? second->region() : QRegion(), mode));
        return kind_of_region(target->region());
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return ERROR;
    }
}

PLATFORM_API int ExtSelectClipRgn(HDC hdc, HRGN region, int mode) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return ERROR;
    dc->record("ExtSelectClipRgn(%s, %d)", region != nullptr ? "region" : "NULL", mode);
    try {
        if (region == nullptr) {
            if (mode != RGN_COPY) {
                platform::make_win32_error(ERROR_INVALID_PARAMETER);
                return ERROR;
            }
            dc->set_clip(std::nullopt);
            return SIMPLEREGION;
        }
        const Region* given = object_of_kind<Region>(region);
        if (given == nullptr || mode < RGN_AND || mode > RGN_COPY)
            return ERROR;
        const Surface& surface = dc->surface();
        const QRegion current = dc->clip().value_or(QRegion(0, 0, surface.width, surface.height));
        const QRegion result =
            mode == RGN_COPY ? given->region() : combined(current, given->region(), mode);
        dc->set_clip(result);
        return kind_of_region(result);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return ERROR;
    }
}

PLATFORM_API int SelectClipRgn(HDC dc, HRGN region) noexcept
{
    return ExtSelectClipRgn(dc, region, RGN_COPY);
}

PLATFORM_API int GetClipBox(HDC hdc, LPRECT rect) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr || rect == nullptr)
        return RGN_ERROR;
    dc->record("GetClipBox()");
    const Surface& surface = dc->surface();
    QRegion visible(0, 0, surface.is_empty() ? 0 : surface.width,
                    surface.is_empty() ? 0 : surface.height);
    if (dc->clip().has_value())
        visible &= *dc->clip();
    if (dc->limited) {
        const RECT& limit = dc->limit_box;
        visible &=
            QRegion(limit.left, limit.top, limit.right - limit.left, limit.bottom - limit.top);
    }
    const QRect box = visible.boundingRect();
    // The box lies on the surface, so its logical corners stay near the origin.
    const LONG x = dc->window_origin.x;
    const LONG y = dc->window_origin.y;
    *rect = visible.isEmpty() ? RECT{0, 0, 0, 0}
                              : RECT{static_cast<LONG>(box.left() + int64_t{x}),
                                     static_cast<LONG>(box.top() + int64_t{y}),
                                     static_cast<LONG>(box.right() + 1 + int64_t{x}),
                                     static_cast<LONG>(box.bottom() + 1 + int64_t{y})};
    return kind_of_region(visible);
}

PLATFORM_API int GetClipRgn(HDC hdc, HRGN region) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return -1;
    dc->record("GetClipRgn()");
    Region* target = object_of_kind<Region>(region);
    if (target == nullptr)
        return -1;
    if (!dc->clip().has_value())
        return 0;
    try {
        target->set_region(*dc->clip());
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return -1;
    }
    return 1;
}

PLATFORM_API int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) noexcept
{
    return clip_to_rect(hdc, "ExcludeClipRect", left, top, right, bottom, RGN_DIFF);
}

PLATFORM_API int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) noexcept
{
    return clip_to_rect(hdc, "IntersectClipRect", left, top, right, bottom, RGN_AND);
}

PLATFORM_API BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    if (dc->is_recording()) [[unlikely]]
        dc->record("SetWindowOrgEx(%d, %d)", x, y);
    if (old != nullptr)
        *old = dc->window_origin;
    dc->window_origin = POINT{x, y};
    return TRUE;
}

PLATFORM_API BOOL GetWindowOrgEx(HDC hdc, LPPOINT origin) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    if (origin == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *origin = dc->window_origin;
    return TRUE;
}

PLATFORM_API BOOL LPtoDP(HDC hdc, LPPOINT points, int count) noexcept
{
    return map_points(hdc, points, count, -1);
}

PLATFORM_API BOOL DPtoLP(HDC hdc, LPPOINT points, int count) noexcept
{
    return map_points(hdc, points, count, 1);
}
}
