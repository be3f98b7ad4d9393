// The mapping between drawing units and the pixels of a view port.
//
// One uniform scale, the smaller of the two axis ratios, fits the window into the
// view port; the window is centred along the other axis, and pixel y grows downwards
// while drawing y grows upwards. Pixel positions are whole numbers kept as reals.

#include <cmath>
#include <cstdint>
#include <utility>

#include "halvern/drawing.h"
#include "osmark/numbers.h"

namespace {

constexpr double kScaleTolerance = 1e-6;

// Integer halving that truncates toward zero, in 64 bits so that no pixel extent can
// overflow on the way.
int64_t half(int64_t value)
{
    return value / 2;
}

int64_t view_width(const RectangleRec& view)
{
    return int64_t{view.MaxX} - view.MinX;
}

int64_t view_height(const RectangleRec& view)
{
    return int64_t{view.MaxY} - view.MinY;
}

bool is_zero_scale(double scale)
{
    return scale > -kScaleTolerance && scale < kScaleTolerance;
}

}

extern "C" {

HALVERN_API void SetDXFDrawingSize(DXFDrawingRec* drawing, double minX, double minY, double maxX,
                                   double maxY) noexcept
{
    if (drawing == nullptr)
        return;
    drawing->dxf_DrwgSize.min = Point2DRec{minX, minY};
    drawing->dxf_DrwgSize.max = Point2DRec{maxX, maxY};

    RectangleRec& view = drawing->dxf_ViewSize;
    if (view.MaxX < view.MinX)
        std::swap(view.MinX, view.MaxX);
    if (view.MaxY < view.MinY)
        std::swap(view.MinY, view.MaxY);
    const int64_t pixels_wide = view_width(view);
    const int64_t pixels_high = view_height(view);

    const double width = maxX - minX;
    const double height = maxY - minY;
    double x_scale = width > 0.0 ? static_cast<double>(pixels_wide) / width : 0.0;
    double y_scale = height > 0.0 ? static_cast<double>(pixels_high) / height : 0.0;

    int64_t x_offset = view.MinX;
    int64_t y_offset = view.MinY;
    if (y_scale < x_scale) {
        x_scale = y_scale;
        x_offset += half(pixels_wide) - half(Round(width * y_scale));
    } else {
        y_scale = x_scale;
        y_offset += half(Round(height * x_scale)) - half(pixels_high);
    }
    drawing->dxf_XScale = x_scale;
    drawing->dxf_YScale = y_scale;
    drawing->dxf_XOffset = static_cast<int32_t>(x_offset);
    drawing->dxf_YOffset = static_cast<int32_t>(y_offset);
}

HALVERN_API void DXFDrawingToViewPort(DXFDrawingRec* drawing, double* x, double* y) noexcept
{
    if (drawing == nullptr || x == nullptr || y == nullptr)
        return;
    const Point2DRec origin = drawing->dxf_DrwgSize.min;
    const auto pixels_high = static_cast<double>(view_height(drawing->dxf_ViewSize));
    *x = std::trunc((*x - origin.x) * drawing->dxf_XScale) + drawing->dxf_XOffset;
    *y = drawing->dxf_YOffset + pixels_high - std::trunc((*y - origin.y) * drawing->dxf_YScale);
}

HALVERN_API void ViewPortToDXFDrawing(DXFDrawingRec* drawing, double* x, double* y) noexcept
{
    if (drawing == nullptr || x == nullptr || y == nullptr)
        return;
    const Point2DRec origin = drawing->dxf_DrwgSize.min;
    const auto pixels_high = static_cast<double>(view_height(drawing->dxf_ViewSize));
    *x = is_zero_scale(drawing->dxf_XScale)
             ? 0.0
             : (*x - drawing->dxf_XOffset) / drawing->dxf_XScale + origin.x;
    *y = is_zero_scale(drawing->dxf_YScale)
             ? 0.0
             : origin.y - (*y - drawing->dxf_YOffset - pixels_high) / drawing->dxf_YScale;
}

HALVERN_API void DXFMapPoint(const void* handle, const Point2DRec* offset, const Point2DRec* scale,
                             double cosA, double sinA, double* x, double* y) noexcept
{
    if (handle == nullptr || x == nullptr || y == nullptr)
        return;
    const double sx = scale != nullptr ? scale->x * *x : *x;
    const double sy = scale != nullptr ? scale->y * *y : *y;
    *x = sx * cosA - sy * sinA;
    *y = sx * sinA + sy * cosA;
    if (offset != nullptr) {
        *x += offset->x;
        *y += offset->y;
    }
}

}
