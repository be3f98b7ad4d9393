// Paths: BeginPath, EndPath, CloseFigure, StrokeAndFillPath and PathToRegion.

#include "gdi_objects.h"
#include "gdi_shapes.h"
#include "make_win32_error.h"

#include <QtGui/QPolygon>
#include <QtGui/QPolygonF>

#include <new>

using namespace platform::gdi;

namespace {

// A region of a path taller or wider than this would cost memory in proportion to
// its rows for no use on any device.
constexpr double kMaxRegionSpan = 1 << 20;

bool has_ended_path(const DeviceContext& dc)
{
    if (dc.path_state != PathState::Closed) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

void discard_path(DeviceContext& dc)
{
    dc.path = QPainterPath();
    dc.path_state = PathState::None;
    dc.figure_open = false;
}

// The path with every figure closed, curves made polygons with points on pixels.
QPainterPath closed_figures(const QPainterPath& path)
{
    QPainterPath closed;
    for (const QPolygonF& figure : path.toSubpathPolygons()) {
        if (figure.isEmpty())
            continue;
        const QPolygon points = figure.toPolygon();
        closed.moveTo(points.first());
        for (qsizetype i = 1; i < points.size(); ++i)
            closed.lineTo(points[i]);
        closed.closeSubpath();
    }
    return closed;
}

// The pixels inside the path by the alternate rule: each figure's inside is
// exclusive-ored into the region.
QRegion region_of(const QPainterPath& path)
{
    QRegion region;
    for (const QPolygonF& figure : path.toSubpathPolygons()) {
        if (figure.size() < 3)
            continue;
        region ^= QRegion(figure.toPolygon(), Qt::OddEvenFill);
    }
    return region;
}

}

extern "C" {

PLATFORM_API BOOL BeginPath(HDC hdc) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("BeginPath()");
    discard_path(*dc);
    dc->path_state = PathState::Open;
    return TRUE;
}

PLATFORM_API BOOL EndPath(HDC hdc) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("EndPath()");
    if (dc->path_state != PathState::Open) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    dc->path_state = PathState::Closed;
    dc->figure_open = false;
    return TRUE;
}

PLATFORM_API BOOL CloseFigure(HDC hdc) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("CloseFigure()");
    if (dc->path_state != PathState::Open || !dc->figure_open) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    try {
        dc->path.closeSubpath();
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    dc->figure_open = false;
    return TRUE;
}

PLATFORM_API BOOL StrokeAndFillPath(HDC hdc) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("StrokeAndFillPath()");
    if (!has_ended_path(*dc))
        return FALSE;
    try {
        const QPainterPath closed = closed_figures(dc->path);
        const Surface surface = dc->surface();
        fill_path(surface, *dc, closed);
        stroke_path(surface, dc->pen(), closed, dc->rop2);
    } catch (const std::bad_alloc&) {
        discard_path(*dc);
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    discard_path(*dc);
    return TRUE;
}

PLATFORM_API HRGN PathToRegion(HDC hdc) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return nullptr;
    dc->record("PathToRegion()");
    if (!has_ended_path(*dc))
        return nullptr;
    const QRectF extent = dc->path.controlPointRect();
    if (extent.width() > kMaxRegionSpan || extent.height() > kMaxRegionSpan) {
        discard_path(*dc);
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    try {
        QRegion region = region_of(dc->path);
        discard_path(*dc);
        return static_cast<HRGN>(add_object(std::make_unique<Region>(std::move(region))));
    } catch (const std::bad_alloc&) {
        discard_path(*dc);
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

}
