// Cells of rectangular arrays against the window, solved per axis in closed form.

#include "render/cell_culling.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "render/primitives.h"
#include "render/primitives_internal.h"

namespace halvern::render {

namespace {

// The indexes k of [first, end) whose box [low + k step, high + k step] meets
// [window_low, window_high] on one axis, widened by one on either side against
// rounding. A step of 0 keeps every index or none.
void narrow(double low, double high, double step, double window_low, double window_high,
            int32_t& first, int32_t& end)
{
    if (first >= end)
        return;
    if (step == 0.0) {
        if (!(low <= window_high && high >= window_low))
            end = first;
        return;
    }
    double from = (window_low - high) / step;
    double to = (window_high - low) / step;
    if (step < 0.0)
        std::swap(from, to);
    if (!(from <= to)) {
        // Not a number anywhere: keep everything rather than guess.
        if (std::isnan(from) || std::isnan(to))
            return;
        end = first;
        return;
    }
    from = std::floor(from) - 1.0;
    to = std::ceil(to) + 1.0;
    // Compared as doubles before any conversion: the bounds may lie far outside int32.
    if (from > static_cast<double>(first))
        first = from >= static_cast<double>(end) ? end : static_cast<int32_t>(from);
    if (to + 1.0 < static_cast<double>(end))
        end = to + 1.0 <= static_cast<double>(first) ? first : static_cast<int32_t>(to + 1.0);
}

Rectangle2DRec moved(const Rectangle2DRec& box, double dx, double dy)
{
    return Rectangle2DRec{Point2DRec{box.min.x + dx, box.min.y + dy},
                          Point2DRec{box.max.x + dx, box.max.y + dy}};
}

// A box together with its copy moved by a step count times.
Rectangle2DRec swept(const Rectangle2DRec& box, const Point2DRec& step, int32_t count)
{
    const double times = count > 0 ? static_cast<double>(count - 1) : 0.0;
    const Rectangle2DRec last = moved(box, step.x * times, step.y * times);
    return Rectangle2DRec{Point2DRec{std::min(box.min.x, last.min.x), std::min(box.min.y, last.min.y)},
                          Point2DRec{std::max(box.max.x, last.max.x), std::max(box.max.y, last.max.y)}};
}

void narrow_by(const Rectangle2DRec& box, const Point2DRec& step, const Rectangle2DRec& window,
               int32_t& first, int32_t& end)
{
    narrow(box.min.x, box.max.x, step.x, window.min.x, window.max.x, first, end);
    narrow(box.min.y, box.max.y, step.y, window.min.y, window.max.y, first, end);
}

// How many pixels one step moves across or up, whichever is more.
double pixels_per_step(const Point2DRec& step, const DXFDrawingRec& drawing)
{
    return std::max(std::fabs(step.x * drawing.dxf_XScale), std::fabs(step.y * drawing.dxf_YScale));
}

bool same_pixel(primitives::Pixel a, primitives::Pixel b)
{
    return a.x == b.x && a.y == b.y;
}

}

Rectangle2DRec placed_box(const Rectangle2DRec& box, const DXFMatrixRec& placement) noexcept
{
    const auto& m = placement.m;
    Rectangle2DRec placed{};
    bool first = true;
    for (const double x : {box.min.x, box.max.x}) {
        for (const double y : {box.min.y, box.max.y}) {
            const double px = m[0][0] * x + m[0][1] * y + m[0][3];
            const double py = m[1][0] * x + m[1][1] * y + m[1][3];
            if (first) {
                placed = Rectangle2DRec{Point2DRec{px, py}, Point2DRec{px, py}};
                first = false;
                continue;
            }
            placed.min.x = std::min(placed.min.x, px);
            placed.min.y = std::min(placed.min.y, py);
            placed.max.x = std::max(placed.max.x, px);
            placed.max.y = std::max(placed.max.y, py);
        }
    }
    return placed;
}

void visible_columns(const CellLattice& lattice, int32_t rows, int32_t& first, int32_t& end) noexcept
{
    narrow_by(swept(lattice.first, lattice.row_step, rows), lattice.column_step, lattice.window,
              first, end);
}

void visible_rows(const CellLattice& lattice, int32_t column, int32_t& first, int32_t& end) noexcept
{
    const double times = static_cast<double>(column);
    narrow_by(moved(lattice.first, lattice.column_step.x * times, lattice.column_step.y * times),
              lattice.row_step, lattice.window, first, end);
}

bool is_below_a_pixel(const Rectangle2DRec& box, const DXFDrawingRec& drawing) noexcept
{
    return (box.max.x - box.min.x) * drawing.dxf_XScale < 1.0 &&
           (box.max.y - box.min.y) * drawing.dxf_YScale < 1.0;
}

void draw_cells_as_pixels(const CellLattice& lattice, int32_t columns, int32_t rows,
                          DXFDrawingRec& drawing) noexcept
{
    // The line runs along the axis of the smaller step; the other axis is walked.
    Point2DRec along = lattice.row_step;
    Point2DRec across = lattice.column_step;
    int32_t along_count = rows;
    int32_t across_count = columns;
    if (columns > 1 && (rows <= 1 || pixels_per_step(across, drawing) < pixels_per_step(along, drawing))) {
        std::swap(along, across);
        std::swap(along_count, across_count);
    }
    const bool as_lines = along_count > 1 && pixels_per_step(along, drawing) < 1.0;
    const Point2DRec centre{(lattice.first.min.x + lattice.first.max.x) / 2.0,
                            (lattice.first.min.y + lattice.first.max.y) / 2.0};
    const Rectangle2DRec& first_box = lattice.first;

    int32_t first_across = 0;
    int32_t end_across = across_count;
    narrow_by(swept(first_box, along, along_count), across, lattice.window, first_across, end_across);
    bool has_last = false;
    primitives::Pixel last_from{};
    primitives::Pixel last_to{};
    for (int32_t i = first_across; i < end_across; ++i) {
        const double dx = across.x * static_cast<double>(i);
        const double dy = across.y * static_cast<double>(i);
        int32_t first = 0;
        int32_t end = along_count;
        narrow_by(moved(first_box, dx, dy), along, lattice.window, first, end);
        if (first >= end)
            continue;
        const auto point_at = [&](int32_t k) {
            return Point2DRec{centre.x + dx + along.x * static_cast<double>(k),
                              centre.y + dy + along.y * static_cast<double>(k)};
        };
        if (as_lines) {
            const Point2DRec from = point_at(first);
            const Point2DRec to = point_at(end - 1);
            const primitives::Pixel from_pixel = primitives::map_to_pixel(drawing, from.x, from.y);
            const primitives::Pixel to_pixel = primitives::map_to_pixel(drawing, to.x, to.y);
            // Neighbours closer than a pixel across draw the same line over again.
            if (has_last && same_pixel(from_pixel, last_from) && same_pixel(to_pixel, last_to))
                continue;
            has_last = true;
            last_from = from_pixel;
            last_to = to_pixel;
            DrawClippedLine(from.x, from.y, to.x, to.y, 1, &drawing);
            continue;
        }
        for (int32_t k = first; k < end; ++k) {
            const Point2DRec at = point_at(k);
            DrawClippedLine(at.x, at.y, at.x, at.y, 1, &drawing);
        }
    }
}

bool has_cell_centre_in(const CellLattice& lattice, int32_t columns, int32_t rows,
                        const Rectangle2DRec& window) noexcept
{
    const Point2DRec centre{(lattice.first.min.x + lattice.first.max.x) / 2.0,
                            (lattice.first.min.y + lattice.first.max.y) / 2.0};
    const CellLattice centres{Rectangle2DRec{centre, centre}, lattice.column_step, lattice.row_step, window};
    // The ranges hold the cells inside and one more on either side: a lattice with a
    // cell inside finds it among the first few.
    int32_t first_column = 0;
    int32_t end_column = columns;
    visible_columns(centres, rows, first_column, end_column);
    for (int32_t column = first_column; column < end_column; ++column) {
        int32_t first_row = 0;
        int32_t end_row = rows;
        visible_rows(centres, column, first_row, end_row);
        for (int32_t row = first_row; row < end_row; ++row) {
            const double x = centre.x + lattice.column_step.x * column + lattice.row_step.x * row;
            const double y = centre.y + lattice.column_step.y * column + lattice.row_step.y * row;
            if (window.min.x <= x && x <= window.max.x && window.min.y <= y && y <= window.max.y)
                return true;
        }
    }
    return false;
}

bool last_visible_cell(const CellLattice& lattice, int32_t columns, int32_t rows, int32_t& column,
                       int32_t& row) noexcept
{
    int32_t first_column = 0;
    int32_t end_column = columns;
    visible_columns(lattice, rows, first_column, end_column);
    for (int32_t candidate = end_column - 1; candidate >= first_column; --candidate) {
        int32_t first_row = 0;
        int32_t end_row = rows;
        visible_rows(lattice, candidate, first_row, end_row);
        if (first_row < end_row) {
            column = candidate;
            row = end_row - 1;
            return true;
        }
    }
    return false;
}

}
