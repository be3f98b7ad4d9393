// Wide pens, arcs and path fills through coverage masks.

#include "gdi_shapes.h"

#include <QtGui/QPen>
#include <QtGui/QPolygonF>

#include <algorithm>
#include <cmath>

namespace platform::gdi {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Mask pixels that a shape covers.
QColor covered()
{
    return QColor(0, 0, 0, 255);
}

QPen geometric_pen(const Pen& pen)
{
    QPen qt_pen(covered());
    qt_pen.setWidth(pen.record().lopnWidth.x);
    qt_pen.setCapStyle(Qt::RoundCap);
    qt_pen.setJoinStyle(Qt::RoundJoin);
    return qt_pen;
}

// Cuts the segment to the rectangle (Liang-Barsky); false when nothing is left.
bool clip_segment(QPointF& a, QPointF& b, const QRectF& rect)
{
    double t0 = 0.0;
    double t1 = 1.0;
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - rect.left(), rect.right() - a.x(), a.y() - rect.top(), rect.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const QPointF start = a;
    a = start + QPointF(dx * t0, dy * t0);
    b = start + QPointF(dx * t1, dy * t1);
    return true;
}

// The angle of the ellipse's own parameter at which the ray from its centre in
// direction (dx, dy) (screen coordinates, y down) meets it, in degrees
// counter-clockwise, as Qt's arc functions take it.
double parameter_angle(double dx, double dy, double radius_x, double radius_y)
{
    if (dx == 0.0 && dy == 0.0)
        return 0.0;
    return std::atan2(-dy * radius_x, dx * radius_y) * 180.0 / kPi;
}

}

Paint pen_paint(const Pen& pen, const Surface& surface)
{
    Paint paint;
    paint.colour = surface.device_pixel(pen.record().lopnColor);
    return paint;
}

Paint brush_paint(const Brush& brush, const DeviceContext& dc)
{
    Paint paint;
    const LOGBRUSH& record = brush.record();
    paint.colour = dc.surface().device_pixel(record.lbColor);
    if (record.lbStyle == BS_HATCHED) {
        paint.hatch = hatch_pattern(record.lbHatch);
        paint.background = dc.surface().device_pixel(dc.background_colour);
        paint.transparent_gaps = dc.background_mode == TRANSPARENT;
    }
    return paint;
}

void draw_wide_line(const Surface& surface, const Pen& pen, int x0, int y0, int x1, int y1, int rop2)
{
    if (surface.is_empty())
        return;
    const double reach = pen.record().lopnWidth.x;
    QPointF a(x0, y0);
    QPointF b(x1, y1);
    const QRectF visible(-reach - 2, -reach - 2, surface.width + 2 * reach + 4, surface.height + 2 * reach + 4);
    if (!clip_segment(a, b, visible))
        return;
    const QRectF bounds = QRectF(a, b).normalized().adjusted(-reach, -reach, reach, reach);
    const QPen qt_pen = geometric_pen(pen);
    paint_coverage(
        surface, bounds,
        [&](QPainter& painter) {
            centre_on_pixels(painter);
            painter.setPen(qt_pen);
            painter.drawLine(a, b);
        },
        pen_paint(pen, surface), rop2);
}

bool is_arc_in_range(int left, int top, int right, int bottom, int x_start, int y_start, int x_end, int y_end)
{
    for (const int value : {left, top, right, bottom, x_start, y_start, x_end, y_end}) {
        if (!is_curve_coordinate(value))
            return false;
    }
    return true;
}

bool add_arc(QPainterPath& path, int left, int top, int right, int bottom, int x_start, int y_start, int x_end,
             int y_end)
{
    if (!is_arc_in_range(left, top, right, bottom, x_start, y_start, x_end, y_end))
        return false;
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    // The box's right and bottom edges are outside it: the ellipse runs through the
    // centres of the pixels from left to right - 1 and from top to bottom - 1.
    const QRectF box(left, top, std::max(0, right - left - 1), std::max(0, bottom - top - 1));
    const QPointF centre = box.center();
    const double radius_x = box.width() / 2.0;
    const double radius_y = box.height() / 2.0;
    const double start = parameter_angle(x_start - centre.x(), y_start - centre.y(), radius_x, radius_y);
    const double end = parameter_angle(x_end - centre.x(), y_end - centre.y(), radius_x, radius_y);
    double sweep = end - start;
    while (sweep <= 1e-9)
        sweep += 360.0;
    while (sweep > 360.0)
        sweep -= 360.0;
    path.arcMoveTo(box, start);
    path.arcTo(box, start, sweep);
    return true;
}

void stroke_path(const Surface& surface, const Pen& pen, const QPainterPath& path, int rop2)
{
    if (!pen.draws() || surface.is_empty())
        return;
    if (pen.is_wide()) {
        stroke_curve(surface, pen, path, rop2);
        return;
    }
    const uint32_t colour = surface.device_pixel(pen.record().lopnColor);
    for (const QPolygonF& figure : path.toSubpathPolygons()) {
        for (qsizetype i = 1; i < figure.size(); ++i) {
            const QPoint from = figure[i - 1].toPoint();
            const QPoint to = figure[i].toPoint();
            draw_line(surface, from.x(), from.y(), to.x(), to.y(), colour, rop2);
        }
    }
}

void stroke_curve(const Surface& surface, const Pen& pen, const QPainterPath& path, int rop2)
{
    if (!pen.draws() || surface.is_empty())
        return;
    const QPen qt_pen = geometric_pen(pen);
    const double reach = pen.record().lopnWidth.x;
    paint_coverage(
        surface, path.controlPointRect().adjusted(-reach, -reach, reach, reach),
        [&](QPainter& painter) {
            centre_on_pixels(painter);
            painter.strokePath(path, qt_pen);
        },
        pen_paint(pen, surface), rop2);
}

void fill_path(const Surface& surface, const DeviceContext& dc, const QPainterPath& path)
{
    const Brush& brush = dc.brush();
    if (!brush.paints() || surface.is_empty())
        return;
    QPainterPath alternate = path;
    alternate.setFillRule(Qt::OddEvenFill);
    paint_coverage(
        surface, alternate.controlPointRect(),
        [&](QPainter& painter) {
            // Unshifted, Qt samples pixel centres between the integer vertices: the
            // left and top edges are filled, the right and bottom ones not, as GDI
            // fills.
            painter.fillPath(alternate, covered());
        },
        brush_paint(brush, dc), dc.rop2);
}

}
