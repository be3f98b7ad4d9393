// Shapes that Qt rasterises for the GDI: wide pens, arcs, path fills and text all go
// through a coverage mask that covers only the visible part of the shape; the integer
// code of gdi_raster.h then puts the mask on the surface through the ROP2 mode.
#ifndef PLATFORM_SRC_GDI_SHAPES_H
#define PLATFORM_SRC_GDI_SHAPES_H

#include "gdi_objects.h"
#include "gdi_raster.h"

#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>

#include <cstring>

namespace platform::gdi {

// Masks up to this size on each side may be drawn in a caller's scratch image.
constexpr int kScratchMaskSide = 256;

// How a coverage mask is drawn and put on the surface: `Solid` draws without
// antialiasing and paints every covered pixel through the ROP2 mode; `Graded`
// (antialiased text) lets Qt antialias and blends the paint's colour by the levels,
// which only R2_COPYPEN with a plain colour can mean.
enum class Coverage {
    Solid,
    Graded
};

// Runs draw(QPainter&) on a mask over the part of the surface that `bounds` (device
// coordinates) meets, the painter's origin on surface pixel (0, 0), and composites
// what it covered with `paint`. Nothing when the shape misses the surface or the mask
// cannot be allocated. With `scratch`, a small mask is drawn in that image (made on
// first use and kept by the caller), which spares an image and a paint engine per call.
template <typename Draw>
void paint_coverage(const Surface& surface, const QRectF& bounds, Draw&& draw, const Paint& paint,
                    int rop2, QImage* scratch = nullptr, Coverage coverage = Coverage::Solid)
{
    if (surface.is_empty() || !bounds.isValid())
        return;
    // Cut to the surface in floating point first: a far-off shape must not overflow
    // the integer rectangle.
    const QRectF visible = bounds.adjusted(-2, -2, 2, 2) & QRectF(0, 0, surface.width, surface.height);
    if (visible.isEmpty())
        return;
    const QRect box = visible.toAlignedRect() & QRect(0, 0, surface.width, surface.height);
    if (box.isEmpty())
        return;
    QImage own;
    QImage* mask = &own;
    if (scratch != nullptr && box.width() <= kScratchMaskSide && box.height() <= kScratchMaskSide) {
        if (scratch->isNull())
            *scratch = QImage(kScratchMaskSide, kScratchMaskSide, QImage::Format_Alpha8);
        mask = scratch;
    } else {
        own = QImage(box.width(), box.height(), QImage::Format_Alpha8);
    }
    if (mask->isNull())
        return;
    // Only the box's part of the mask is cleared and read; what the shape draws
    // beyond it in a larger scratch image is never looked at.
    uint8_t* bits = mask->bits();
    const qsizetype stride = mask->bytesPerLine();
    for (int row = 0; row < box.height(); ++row)
        std::memset(bits + row * stride, 0, static_cast<size_t>(box.width()));
    {
        QPainter painter(mask);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, coverage == Coverage::Graded);
        painter.translate(-box.left(), -box.top());
        draw(painter);
    }
    if (coverage == Coverage::Graded && rop2 == R2_COPYPEN && paint.hatch == nullptr)
        blend_mask(surface, mask->constBits(), stride, box.left(), box.top(), box.width(),
                   box.height(), paint.colour);
    else
        composite_mask(surface, mask->constBits(), stride, box.left(), box.top(), box.width(),
                       box.height(), paint, rop2);
}

// Strokes run through pixel centres: shifted by half a pixel, a stroke along y = 0
// covers the pixels of row 0 (and a wide one the rows around it evenly).
inline void centre_on_pixels(QPainter& painter)
{
    painter.translate(0.5, 0.5);
}

// What the pen and the brush of a DC paint with.
Paint pen_paint(const Pen& pen, const Surface& surface);
Paint brush_paint(const Brush& brush, const DeviceContext& dc);

// A line with a pen wider than one pixel: round ends, end points included.
void draw_wide_line(const Surface& surface, const Pen& pen, int x0, int y0, int x1, int y1, int rop2);

// Whether Arc() takes these coordinates: all within the range of curves.
bool is_arc_in_range(int left, int top, int right, int bottom, int x_start, int y_start, int x_end, int y_end);

// The arc of Arc() as a path in device coordinates (counter-clockwise on the screen),
// starting a new figure. False for a box or a point outside the coordinate range.
bool add_arc(QPainterPath& path, int left, int top, int right, int bottom, int x_start, int y_start,
             int x_end, int y_end);

// Strokes every figure of the path with the pen (a one-pixel pen by the line code, so
// a path stroke and LineTo agree); closed figures get their closing segment.
void stroke_path(const Surface& surface, const Pen& pen, const QPainterPath& path, int rop2);
// Strokes a curve (an arc) with a wide pen: round ends. One-pixel arcs are the raster
// code's (draw_ellipse).
void stroke_curve(const Surface& surface, const Pen& pen, const QPainterPath& path, int rop2);
// Fills the path by the alternate rule with the DC's brush.
void fill_path(const Surface& surface, const DeviceContext& dc, const QPainterPath& path);

}

#endif
