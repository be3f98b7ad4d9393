// Drawing regions: windows of one drawing paired with rectangles of a device context,
// filled as percent windows, as a mosaic of cells or as strips of a long drawing, and
// drawn one after the other.

#include "halvern/regions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "halvern/render.h"
#include "model/make_error.h"
#include "osmark/memory.h"

namespace {

using halvern::make_error;

static_assert(std::is_standard_layout_v<DXFRegionRec> &&
              std::is_trivially_copyable_v<DXFRegionRec>);

constexpr double kSmallestExtent = 1e-6;
// Lengths in pixels are whole numbers below this, exact in a double and an int64_t.
constexpr double kLongestLength = 0x1p62;

// The cell corner codes of MosaicDXFRegions.
enum MosaicCorner : int32_t {
    kBottomLeft = 0,
    kBottomRight = 1,
    kTopLeft = 2,
    kTopRight = 3,
};

// Toward zero, held to the 32-bit range.
int32_t truncate_to_pixel(double value) noexcept
{
    if (!(value == value))
        return 0;
    constexpr double kLow = std::numeric_limits<int32_t>::min();
    constexpr double kHigh = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::trunc(std::clamp(value, kLow, kHigh)));
}

DXFRegionRec make_region(const RectangleRec& view, const Rectangle2DRec& window) noexcept
{
    DXFRegionRec region{};
    region.dr_ViewSize = view;
    region.dr_DrwgSize = window;
    region.dr_Offset = Point3DRec{0.0, 0.0, 0.0};
    region.dr_Scale = Point3DRec{1.0, 1.0, 1.0};
    region.dr_Angle = 0.0;
    return region;
}

// A cell array from AllocVec, freed with the scope.
class CellBlock {
public:
    explicit CellBlock(int64_t count) noexcept
    {
        const int64_t bytes = count * static_cast<int64_t>(sizeof(RectangleRec));
        if (bytes > 0 && bytes <= std::numeric_limits<uint32_t>::max())
            m_cells = static_cast<RectangleRec*>(AllocVec(static_cast<uint32_t>(bytes)));
    }
    ~CellBlock() { FreeVec(m_cells); }
    CellBlock(const CellBlock&) = delete;
    CellBlock& operator=(const CellBlock&) = delete;
    RectangleRec* get() const noexcept { return m_cells; }

private:
    RectangleRec* m_cells = nullptr;
};

}

extern "C" {

HALVERN_API int32_t CreateDXFRegions(DXFDrawingRec* drawing, int32_t count,
                                     RectangleRec* rectangles, double (*windows)[4],
                                     DXFRegionRec* regions) noexcept
{
    if (drawing == nullptr || rectangles == nullptr || windows == nullptr || regions == nullptr)
        return make_error(1);
    const Rectangle2DRec& extents = drawing->dxf_DrwgSize;
    const double mx = extents.min.x;
    const double my = extents.min.y;
    const double dx = extents.max.x - mx;
    const double dy = extents.max.y - my;
    for (int32_t i = 0; i < count; ++i) {
        const double* percent = windows[i];
        const Rectangle2DRec window{
            Point2DRec{mx + (percent[0] / 100.0) * dx, my + (percent[1] / 100.0) * dy},
            Point2DRec{mx + (percent[2] / 100.0) * dx, my + (percent[3] / 100.0) * dy}};
        regions[i] = make_region(rectangles[i], window);
    }
    return 0;
}

HALVERN_API int32_t MosaicDXFRegions(DXFDrawingRec* drawing, RectangleRec* rectangle, int32_t rows,
                                     int32_t columns, int32_t columnGap, int32_t rowGap,
                                     int32_t corner, int32_t /*order*/, double (*windows)[4],
                                     DXFRegionRec* regions) noexcept
{
    // The order in which cells are worked out cannot change them: a cell's x follows
    // from its column alone and its y from its row alone.
    if (drawing == nullptr || rectangle == nullptr || windows == nullptr || regions == nullptr ||
        rows < 1 || columns < 1 || corner < kBottomLeft || corner > kTopRight)
        return make_error(1);
    const RectangleRec& area = *rectangle;
    const double width = static_cast<double>(area.MaxX) - area.MinX;
    const double height = static_cast<double>(area.MaxY) - area.MinY;
    const double cell_width = (width - (columns - 1.0) * columnGap) / columns;
    const double cell_height = (height - (rows - 1.0) * rowGap) / rows;
    if (!(cell_width >= 1.0) || !(cell_height >= 1.0))
        return make_error(2);
    const int64_t count = int64_t{rows} * columns;
    if (count > std::numeric_limits<int32_t>::max())
        return make_error(3);
    const CellBlock cells(count);
    if (cells.get() == nullptr)
        return make_error(3);

    const bool from_left = corner == kBottomLeft || corner == kTopLeft;
    const bool from_top = corner == kTopLeft || corner == kTopRight;
    const double first_x = from_left ? area.MinX : area.MaxX - cell_width;
    const double first_y = from_top ? area.MinY : area.MaxY - cell_height;
    const double column_step = from_left ? cell_width + columnGap : -(cell_width + columnGap);
    const double row_step = from_top ? cell_height + rowGap : -(cell_height + rowGap);
    double y = first_y;
    for (int32_t r = 0; r < rows; ++r, y += row_step) {
        double x = first_x;
        for (int32_t c = 0; c < columns; ++c, x += column_step)
            cells.get()[int64_t{r} * columns + c] =
                RectangleRec{truncate_to_pixel(x), truncate_to_pixel(y),
                             truncate_to_pixel(x + cell_width), truncate_to_pixel(y + cell_height)};
    }
    return CreateDXFRegions(drawing, static_cast<int32_t>(count), cells.get(), windows, regions);
}

HALVERN_API int32_t SpreadDXFFixedHeight(DXFDrawingRec* drawing, RectangleRec* rectangle,
                                         int32_t overlap, int32_t slack, int32_t maximum,
                                         DXFRegionRec* regions) noexcept
{
    if (drawing == nullptr || rectangle == nullptr || regions == nullptr || maximum < 1)
        return make_error(0);
    const RectangleRec& area = *rectangle;
    const int64_t area_width = int64_t{area.MaxX} - area.MinX;
    const int64_t usable = area_width - overlap;
    const int64_t area_height = int64_t{area.MaxY} - area.MinY;
    if (usable <= 0 || area_height <= 0)
        return make_error(0);
    const Rectangle2DRec& extents = drawing->dxf_DrwgSize;
    const double dx = extents.max.x - extents.min.x;
    const double dy = extents.max.y - extents.min.y;
    if (!(dx >= kSmallestExtent) || !(dy >= kSmallestExtent) || !std::isfinite(dx) ||
        !std::isfinite(dy))
        return make_error(0);

    double scale = static_cast<double>(area_height) / dy;
    // The drawing's length in pixels at that scale: nearest, halves away from zero.
    const double length = std::round(scale * dx + 0.5);
    if (!(length < kLongestLength))
        return make_error(0);
    const auto pixels = static_cast<int64_t>(length);
    int64_t strips = pixels / usable;
    if (pixels % usable > slack)
        ++strips;
    strips = std::max<int64_t>(strips, 1);
    if (strips > std::numeric_limits<int32_t>::max())
        return make_error(0);
    // A rest left without a strip of its own: the strips get wider windows so that they
    // still reach the end of the drawing.
    const double covering = (static_cast<double>(strips) * usable + overlap) / dx;
    if (scale > covering)
        scale = covering;

    const double window_width = static_cast<double>(area_width) / scale;
    const double window_height = static_cast<double>(area_height) / scale;
    const double step = static_cast<double>(usable) / scale;
    double x = extents.min.x;
    const double y = extents.min.y;
    for (int64_t i = 0; i < strips && i < maximum; ++i, x += step)
        regions[i] =
            make_region(area, Rectangle2DRec{Point2DRec{x, y},
                                             Point2DRec{x + window_width, y + window_height}});
    return static_cast<int32_t>(strips);
}

HALVERN_API void ShowDXFDrawingRegion(HDC hdc, DXFDrawingRec* drawing, int32_t count,
                                      DXFRegionRec* regions) noexcept
{
    if (drawing == nullptr || regions == nullptr)
        return;
    for (int32_t i = 0; i < count; ++i) {
        DXFRegionRec& region = regions[i];
        const Rectangle2DRec& window = region.dr_DrwgSize;
        SetDXFDrawingSize(drawing, window.min.x, window.min.y, window.max.x, window.max.y);
        DrawDXFDrawing(hdc, drawing, &region.dr_ViewSize, &region.dr_Offset, &region.dr_Scale,
                       region.dr_Angle);
    }
}

}
