// CreateRoundRectRgn: the pixels that RoundRect covers, found by drawing it, so that a
// rounded clip and a rounded outline agree pixel for pixel.

#include "gdi_objects.h"
#include "gdi_raster.h"
#include "make_win32_error.h"
#include "platform/gdi_support.h"

#include <QtGui/QRegion>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

using namespace platform::gdi;

namespace {

// The corners are drawn in a box that keeps a few straight pixels between them; the
// straight middle row and column then stand for all the others of the real box.
constexpr int64_t kStraightPixels = 8;
// The drawn box may hold this many pixels (corners as large as the box are drawn whole).
constexpr int64_t kMaxDrawnPixels = int64_t{1} << 24;

// Where the drawn box's pixels lie in the real one: those before the middle stay, the
// middle one stands for `extra` + 1 pixels, those after move by `extra`.
struct Axis {
    int64_t drawn;
    int64_t middle;
    int64_t extra;
    int64_t first(int64_t value) const { return value <= middle ? value : value + extra; }
    int64_t last(int64_t value) const { return value < middle ? value : value + extra; }
};

Axis axis_of(int64_t size, int corner)
{
    const int64_t drawn = std::min<int64_t>(size, std::llabs(int64_t{corner}) + kStraightPixels);
    return Axis{drawn, drawn / 2, size - drawn};
}

}

extern "C" {

PLATFORM_API HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int corner_width,
                                     int corner_height) noexcept
{
    const int64_t x0 = std::min(left, right);
    const int64_t y0 = std::min(top, bottom);
    const int64_t width = int64_t{std::max(left, right)} - x0;
    const int64_t height = int64_t{std::max(top, bottom)} - y0;
    for (const int value : {left, top, right, bottom, corner_width, corner_height}) {
        if (!is_curve_coordinate(value)) {
            platform::make_win32_error(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
    }
    if (width > kMaxSurfaceSide || height > kMaxSurfaceSide) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // RoundRect draws nothing in a box narrower or lower than 2 pixels.
    if (width < 2 || height < 2)
        return CreateRectRgn(0, 0, 0, 0);
    const Axis across = axis_of(width, corner_width);
    const Axis down = axis_of(height, corner_height);
    if (across.drawn * down.drawn > kMaxDrawnPixels) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    try {
        const auto w = static_cast<int>(across.drawn);
        const auto h = static_cast<int>(down.drawn);
        std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
        const HDC dc =
            platform_create_dc_for_pixels(pixels.data(), w, h, static_cast<ptrdiff_t>(w) * 4, 0);
        if (dc == nullptr)
            return nullptr;
        SelectObject(dc, GetStockObject(WHITE_PEN));
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        const BOOL drawn = RoundRect(dc, 0, 0, w, h, corner_width, corner_height);
        DeleteDC(dc);
        if (drawn == FALSE)
            return nullptr;
        QRegion region;
        for (int y = 0; y < h; ++y) {
            const uint32_t* row = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
            const int64_t row_top = y0 + down.first(y);
            const int64_t rows = down.last(y) - down.first(y) + 1;
            int x = 0;
            while (x < w) {
                if (row[x] == 0) {
                    ++x;
                    continue;
                }
                const int start = x;
                while (x < w && row[x] != 0)
                    ++x;
                const int64_t span_left = x0 + across.first(start);
                const int64_t span_right = x0 + across.last(x - 1) + 1;
                region += QRect(static_cast<int>(span_left), static_cast<int>(row_top),
                                static_cast<int>(span_right - span_left), static_cast<int>(rows));
            }
        }
        const HRGN result = CreateRectRgn(0, 0, 0, 0);
        Region* object = object_of_kind<Region>(result);
        if (object == nullptr)
            return nullptr;
        object->set_region(std::move(region));
        return result;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}
}
