// The cells of a rectangular array against the visible window: which columns and rows
// can draw anything there, and the cells smaller than a pixel drawn as one pixel each.
//
// A lattice is the placed box of the first cell (column 0, row 0) and the steps that
// take it to the next column and the next row, all in drawing coordinates: every cell
// is the first one moved by whole steps. Ranges are half open, [first, end), and err
// on the side of one cell more on either end, so that rounding never loses a cell
// that touches the window (a cell too many is clipped by the primitives).
#ifndef HALVERN_RENDER_CELL_CULLING_H
#define HALVERN_RENDER_CELL_CULLING_H

#include <cstdint>

#include "halvern/drawing.h"
#include "halvern/geometry.h"
#include "halvern/types.h"

namespace halvern::render {

struct CellLattice {
    Rectangle2DRec first;    // the placed box of cell (0, 0)
    Point2DRec column_step;
    Point2DRec row_step;
    Rectangle2DRec window;   // what counts as visible
};

// The box of a box's corners mapped by the placement (x and y; z 0).
Rectangle2DRec placed_box(const Rectangle2DRec& box, const DXFMatrixRec& placement) noexcept;

// Narrows [first, end) to the columns (all rows of a column together) of a lattice of
// rows rows that meet the window.
void visible_columns(const CellLattice& lattice, int32_t rows, int32_t& first, int32_t& end) noexcept;
// Narrows [first, end) to the rows of one column that meet the window.
void visible_rows(const CellLattice& lattice, int32_t column, int32_t& first, int32_t& end) noexcept;

// The box spans less than a pixel across and up.
bool is_below_a_pixel(const Rectangle2DRec& box, const DXFDrawingRec& drawing) noexcept;

// Draws every visible cell of a lattice of columns by rows cells, each smaller than a
// pixel, as the pixel of its box's centre in the current pen. Cells closer together
// than a pixel along one axis run as one line of pixels, and a line that repeats the
// one before is drawn once, so the work follows the pixels, not the cells.
void draw_cells_as_pixels(const CellLattice& lattice, int32_t columns, int32_t rows,
                          DXFDrawingRec& drawing) noexcept;

// Whether the centre of any cell's box lies in the window (borders included): where a
// pick finds the pixel of a cell smaller than a pixel.
bool has_cell_centre_in(const CellLattice& lattice, int32_t columns, int32_t rows,
                        const Rectangle2DRec& window) noexcept;

// The last cell in walk order (column by column, row by row) that the lattice's window
// keeps; false when it keeps none.
bool last_visible_cell(const CellLattice& lattice, int32_t columns, int32_t rows, int32_t& column,
                       int32_t& row) noexcept;

}

#endif
