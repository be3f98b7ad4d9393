// Clip regions of device contexts, region combination and the MM_TEXT mapping.

#include "gdi_objects.h"
#include "make_win32_error.h"

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
    *rect = visible.isEmpty() ? RECT{0, 0, 0, 0}
                              : RECT{box.left(), box.top(), box.right() + 1, box.bottom() + 1};
    return kind_of_region(visible);
}

PLATFORM_API BOOL LPtoDP(HDC hdc, LPPOINT points, int count) noexcept
{
    return object_of_kind<DeviceContext>(hdc) != nullptr && (points != nullptr || count == 0)
               ? TRUE
               : FALSE;
}

PLATFORM_API BOOL DPtoLP(HDC hdc, LPPOINT points, int count) noexcept
{
    return LPtoDP(hdc, points, count);
}
}
