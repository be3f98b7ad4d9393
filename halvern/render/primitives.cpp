// Item drawing primitives: pens, clipped segments, circular and elliptical arcs, rays
// and construction lines. Text and splines live in primitives_text.cpp and
// primitives_splines.cpp.
#include "primitives.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "osmark/numbers.h"
#include "platform/gdi.h"
#include "primitives_internal.h"

namespace halvern::primitives {

CosSin exact_cos_sin(double angle) noexcept
{
    if (!std::isfinite(angle))
        return {1.0, 0.0};
    double turn = std::fmod(angle, kTwoPi);
    if (turn < 0.0)
        turn += kTwoPi;
    struct Quarter {
        double angle;
        CosSin value;
    };
    static constexpr Quarter kQuarters[] = {
        {0.0, {1.0, 0.0}},           {kPi / 2.0, {0.0, 1.0}}, {kPi, {-1.0, 0.0}},
        {kPi * 1.5, {0.0, -1.0}},    {kTwoPi, {1.0, 0.0}},
    };
    for (const Quarter& quarter : kQuarters) {
        if (std::fabs(turn - quarter.angle) < kTolerance)
            return quarter.value;
    }
    return {std::cos(angle), std::sin(angle)};
}

DoubleBlock allocate_doubles(int64_t count) noexcept
{
    if (count <= 0 || count > static_cast<int64_t>(UINT32_MAX / sizeof(double)))
        return nullptr;
    return DoubleBlock(static_cast<double*>(
        CAllocVec(static_cast<uint32_t>(count), static_cast<uint32_t>(sizeof(double)))));
}

} // namespace halvern::primitives

using namespace halvern::primitives;

namespace {

// Outcode bits of Cohen-Sutherland: above, below, right of, left of the window.
constexpr uint32_t kAbove = 1;
constexpr uint32_t kBelow = 2;
constexpr uint32_t kRight = 4;
constexpr uint32_t kLeft = 8;
constexpr uint32_t kVerticalBits = kAbove | kBelow;
constexpr uint32_t kHorizontalBits = kRight | kLeft;

// Each end point crosses each of the four edges at most once; more rounds only happen
// when rounding keeps a point a hair outside an edge it was just moved onto.
constexpr int kMaxClipRounds = 8;

// The cosine of 45 degrees: the half side of the square inscribed in a unit circle.
constexpr double kInscribedSquare = 0.7071067811865476;

// The finest chord angle: a full turn in at most this many chords, so that a huge
// radius (deep zoom) cannot make the chord loop endless.
constexpr double kMaxChordsPerTurn = 262144.0;
constexpr double kMinChordAngle = kTwoPi / kMaxChordsPerTurn;

uint32_t vertical_code(double y, const Rectangle2DRec& window) noexcept
{
    if (y > window.max.y)
        return kAbove;
    return y < window.min.y ? kBelow : 0;
}

uint32_t horizontal_code(double x, const Rectangle2DRec& window) noexcept
{
    if (x > window.max.x)
        return kRight;
    return x < window.min.x ? kLeft : 0;
}

uint32_t outcode(double x, double y, const Rectangle2DRec& window) noexcept
{
    return vertical_code(y, window) | horizontal_code(x, window);
}

// Moves the first point onto the window edge its outcode names (bits tested in the
// order above, below, right, left) and refreshes its outcode.
void clip_first_point(double& x1, double& y1, uint32_t& code1, double x2, double y2,
                      const Rectangle2DRec& window) noexcept
{
    if ((code1 & kVerticalBits) != 0) {
        const double edge = (code1 & kAbove) != 0 ? window.max.y : window.min.y;
        x1 += (x2 - x1) * (edge - y1) / (y2 - y1);
        y1 = edge;
        code1 = horizontal_code(x1, window);
        return;
    }
    const double edge = (code1 & kRight) != 0 ? window.max.x : window.min.x;
    y1 += (y2 - y1) * (edge - x1) / (x2 - x1);
    x1 = edge;
    code1 = vertical_code(y1, window);
}

// Both ends of a segment mapped to pixels, as map_to_pixel maps each. Every segment
// drawn goes through here, so the common case maps the two ends side by side: when
// every mapped value and every offset lies within 2^29 pixels, Round cannot leave the
// 32-bit range and no sum can overflow, so neither of map_to_pixel's limits can
// apply; the arithmetic is the same, lane by lane. Anything else takes map_to_pixel.
void map_segment(const DXFDrawingRec& drawing, double x1, double y1, double x2, double y2,
                 Pixel& from, Pixel& to) noexcept
{
#if defined(__SSE2__)
    constexpr double kNear = 536870912.0; // 2^29
    constexpr int64_t kNearOffset = 536870912;
    const int64_t height = int64_t{drawing.dxf_ViewSize.MaxY} - drawing.dxf_ViewSize.MinY;
    const int64_t x_offset = drawing.dxf_XOffset;
    const int64_t y_offset = drawing.dxf_YOffset;
    const Point2DRec& origin = drawing.dxf_DrwgSize.min;
    const __m128d xs = _mm_mul_pd(_mm_sub_pd(_mm_set_pd(x2, x1), _mm_set1_pd(origin.x)),
                                  _mm_set1_pd(drawing.dxf_XScale));
    const __m128d ys = _mm_mul_pd(_mm_sub_pd(_mm_set_pd(y2, y1), _mm_set1_pd(origin.y)),
                                  _mm_set1_pd(drawing.dxf_YScale));
    const __m128d sign = _mm_set1_pd(-0.0);
    const __m128d limit = _mm_set1_pd(kNear);
    // Not a number compares false and takes the careful way.
    const int near = _mm_movemask_pd(_mm_cmplt_pd(_mm_andnot_pd(sign, xs), limit)) &
                     _mm_movemask_pd(_mm_cmplt_pd(_mm_andnot_pd(sign, ys), limit));
    const auto is_near = [](int64_t value) { return value > -kNearOffset && value < kNearOffset; };
    if (near == 3 && is_near(x_offset) && is_near(y_offset) && is_near(height)) {
        // Round: truncate, then step away from zero when the fraction passes a half.
        const auto round_pair = [](__m128d values) {
            const __m128i whole = _mm_cvttpd_epi32(values);
            const __m128d fraction = _mm_sub_pd(values, _mm_cvtepi32_pd(whole));
            const __m128i up = _mm_castpd_si128(_mm_cmpgt_pd(fraction, _mm_set1_pd(0.5)));
            const __m128i down = _mm_castpd_si128(_mm_cmplt_pd(fraction, _mm_set1_pd(-0.5)));
            // The masks are 64 bits a lane, -1 where true: their low halves line up
            // with the two 32-bit results.
            const __m128i steps =
                _mm_shuffle_epi32(_mm_sub_epi32(down, up), _MM_SHUFFLE(3, 1, 2, 0));
            return _mm_add_epi32(whole, steps);
        };
        const auto lanes = [](int64_t value) {
            return _mm_set1_epi32(static_cast<int32_t>(value));
        };
        const __m128i px = _mm_add_epi32(round_pair(xs), lanes(x_offset));
        const __m128i py =
            _mm_add_epi32(_mm_sub_epi32(lanes(height), round_pair(ys)), lanes(y_offset));
        from = Pixel{_mm_cvtsi128_si32(px), _mm_cvtsi128_si32(py)};
        to = Pixel{_mm_cvtsi128_si32(_mm_shuffle_epi32(px, 1)),
                   _mm_cvtsi128_si32(_mm_shuffle_epi32(py, 1))};
        return;
    }
#endif
    from = map_to_pixel(drawing, x1, y1);
    to = map_to_pixel(drawing, x2, y2);
}

// Both ends inside the window or on its border: the outcodes of both would be 0.
bool is_inside(double x1, double y1, double x2, double y2, const Rectangle2DRec& window) noexcept
{
    return x1 >= window.min.x && x1 <= window.max.x && x2 >= window.min.x && x2 <= window.max.x &&
           y1 >= window.min.y && y1 <= window.max.y && y2 >= window.min.y && y2 <= window.max.y;
}

// Cohen-Sutherland against the window. False when nothing of the segment is inside
// (or on the border of) the window; else the points are cut to it, possibly swapped.
bool clip_segment(double& x1, double& y1, double& x2, double& y2,
                  const Rectangle2DRec& window) noexcept
{
    uint32_t code1 = outcode(x1, y1, window);
    uint32_t code2 = outcode(x2, y2, window);
    for (int round = 0; (code1 | code2) != 0; ++round) {
        if ((code1 & code2) != 0)
            return false;
        if (round == kMaxClipRounds) {
            // Both points sit on the border within rounding: pin them to it.
            x1 = std::clamp(x1, window.min.x, window.max.x);
            y1 = std::clamp(y1, window.min.y, window.max.y);
            x2 = std::clamp(x2, window.min.x, window.max.x);
            y2 = std::clamp(y2, window.min.y, window.max.y);
            return true;
        }
        if (code1 == 0) {
            std::swap(x1, x2);
            std::swap(y1, y2);
            std::swap(code1, code2);
        }
        clip_first_point(x1, y1, code1, x2, y2, window);
    }
    return true;
}

// The circle or ellipse with this box half-size (outer) and inscribed-square half-size
// (inner) around (cx, cy) cannot show in the window: its box misses the window, or the
// window lies wholly inside the part of the shape that has no outline.
bool is_culled(double cx, double cy, double outer, double inner,
               const Rectangle2DRec& window) noexcept
{
    if (cx + outer < window.min.x || cx - outer > window.max.x || cy + outer < window.min.y ||
        cy - outer > window.max.y)
        return true;
    return cx - inner < window.min.x && window.max.x < cx + inner && cy - inner < window.min.y &&
           window.max.y < cy + inner;
}

// The largest chord angle whose sagitta stays within half a pixel on a circle of
// pixelRadius (> 0.5), but never finer than kMinChordAngle.
double chord_angle(double pixelRadius) noexcept
{
    const double angle = 2.0 * std::acos((pixelRadius - 0.5) / pixelRadius);
    return std::isfinite(angle) && angle > kMinChordAngle ? angle : kMinChordAngle;
}

// Brings a sweep in degrees into (0, 360] by whole turns, as the chord loops expect;
// a full circle (start equal to end) comes out as 360.
double reduce_degrees(double sweep) noexcept
{
    if (sweep - 360.0 > 1e6)
        sweep = std::fmod(sweep, 360.0) + 360.0;
    while (sweep - 360.0 > kTolerance)
        sweep -= 360.0;
    return sweep;
}

double reduce_radians(double sweep) noexcept
{
    if (sweep - kTwoPi > 1e6)
        sweep = std::fmod(sweep, kTwoPi) + kTwoPi;
    while (sweep - kTwoPi >= kTolerance)
        sweep -= kTwoPi;
    return sweep;
}

void draw_point(double x, double y, int32_t move, DXFDrawingRec* drawing) noexcept
{
    halvern::DrawClippedLine(x, y, x, y, move, drawing);
}

// The GDI whole-ellipse call for a full circle inside the window. False when the
// circle's box is 3 pixels or less on an axis (the chords draw it then).
bool draw_whole_circle(double cx, double cy, double radius, DXFDrawingRec* drawing) noexcept
{
    const Pixel top_left = map_to_pixel(*drawing, cx - radius, cy + radius);
    const Pixel bottom_right = map_to_pixel(*drawing, cx + radius, cy - radius);
    const Pixel centre = map_to_pixel(*drawing, cx, cy);
    if (int64_t{bottom_right.x} - top_left.x <= 3 || int64_t{bottom_right.y} - top_left.y <= 3)
        return false;
    if (halvern::RenderPickMode != 0) {
        halvern::RenderHit = 1;
        return true;
    }
    Arc(drawing->dxf_Device, top_left.x, top_left.y, bottom_right.x, bottom_right.y, top_left.x,
        centre.y, top_left.x, centre.y);
    return true;
}

bool circle_box_inside(double cx, double cy, double radius, const Rectangle2DRec& window) noexcept
{
    return window.min.x <= cx - radius && cx + radius < window.max.x &&
           window.min.y <= cy - radius && cy + radius < window.max.y;
}

// Shared ray and construction-line clipping: the window's x range as the far ends.
struct Line {
    double slope;
    double intercept;
    double y_at(double x) const noexcept { return slope * x + intercept; }
};

Line line_through(double x, double y, double ux, double uy) noexcept
{
    const double slope = uy / ux;
    return {slope, y - slope * x};
}

// The window a ray or construction line through (x, y) along (ux, uy) is clipped to;
// NULL when there is no drawing or a value is not finite.
const Rectangle2DRec* window_for_line(const DXFDrawingRec* drawing, double x, double y, double ux,
                                      double uy) noexcept
{
    if (drawing == nullptr || !all_finite(x, y, ux, uy))
        return nullptr;
    return &drawing->dxf_DrwgViewSize;
}

// A line along the y axis beside the window never enters it.
bool is_vertical_beside(const Rectangle2DRec& window, double x, double ux) noexcept
{
    return std::fabs(ux) < kTolerance && (x < window.min.x || x > window.max.x);
}

} // namespace

namespace halvern {

void SelectItemPen(uint32_t colour, uint32_t defaultColour, int32_t highlighted,
                   int32_t* monochromeState, DXFDrawingRec* drawing) noexcept
{
    if (drawing == nullptr)
        return;
    if ((drawing->dxf_Flags & DXFDrawMonochrome) != 0) {
        if (highlighted != 0) {
            if (monochromeState != nullptr)
                *monochromeState = 1;
        } else {
            if (monochromeState == nullptr || *monochromeState == 0)
                return; // the device context's own pen keeps drawing
            *monochromeState = 0;
            colour = defaultColour;
        }
    }
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    if (pen == nullptr)
        return;
    drawing->dxf_PenColour = colour;
    SelectObject(drawing->dxf_Device, pen);
    SetTextColor(drawing->dxf_Device, colour);
    // The previous pen is out of the device context now, so it can go.
    if (drawing->dxf_CurrentPen != nullptr)
        DeleteObject(drawing->dxf_CurrentPen);
    drawing->dxf_CurrentPen = pen;
}

int32_t DrawClippedLine(double x1, double y1, double x2, double y2, int32_t move,
                        DXFDrawingRec* drawing) noexcept
{
    if (drawing == nullptr || !all_finite(x1, y1, x2, y2))
        return 0;
    // Most segments of a view lie wholly inside the window (every one of a full view):
    // they need no outcodes.
    if (RenderClipLines == 1 && !is_inside(x1, y1, x2, y2, drawing->dxf_DrwgViewSize) &&
        !clip_segment(x1, y1, x2, y2, drawing->dxf_DrwgViewSize))
        return 0;
    Pixel from{};
    Pixel to{};
    map_segment(*drawing, x1, y1, x2, y2, from, to);
    if (RenderPickMode != 0) {
        RenderHit = 1;
        return 0;
    }
    HDC dc = drawing->dxf_Device;
    // Without clipping (the fill pass) a continued segment starts where the last one
    // ended, which keeps the figure of a path connected.
    if (RenderClipLines == 1 || move != 0)
        MoveToEx(dc, from.x, from.y, nullptr);
    LineTo(dc, to.x, to.y);
    // LineTo leaves out its last pixel; the segment owns both ends.
    SetPixelV(dc, to.x, to.y, drawing->dxf_PenColour);
    return 0;
}

void DrawArcChords(double cx, double cy, double radius, double start, double end,
                   int32_t direction, int32_t move, DXFDrawingRec* drawing) noexcept
{
    if (drawing == nullptr || !all_finite(cx, cy, radius, start) || !std::isfinite(end))
        return;
    if (radius < kTolerance)
        return;
    const Rectangle2DRec& window = drawing->dxf_DrwgViewSize;
    const bool clipping = RenderClipLines == 1;
    if (clipping && is_culled(cx, cy, radius, radius * kInscribedSquare, window))
        return;

    const double pixel_radius = radius * drawing->dxf_XScale;
    if (!(pixel_radius > 0.5)) {
        draw_point(cx, cy, move, drawing);
        return;
    }
    // Only the sense of the direction counts: counter-clockwise unless negative.
    const double sense = direction < 0 ? -1.0 : 1.0;
    const double sweep =
        reduce_degrees(std::fabs(sense * end + kFourPi - sense * start) * kDegreesPerRadian) *
        kRadiansPerDegree;
    if (clipping && sweep >= kTwoPi - kTolerance && circle_box_inside(cx, cy, radius, window) &&
        draw_whole_circle(cx, cy, radius, drawing))
        return;

    const double step = chord_angle(pixel_radius);
    const double step_cos = std::cos(step);
    const double step_sin = sense * std::sin(step);
    // Turning the offset from the centre by a fixed rotation avoids a sine and a
    // cosine per chord.
    // Whole circles start at +0, where cosine and sine are exactly 1 and +0.
    const bool starts_at_zero = start == 0.0 && !std::signbit(start);
    double dx = starts_at_zero ? radius : radius * std::cos(start);
    double dy = starts_at_zero ? 0.0 : radius * std::sin(start);
    double previous_x = cx + dx;
    double previous_y = cy + dy;
    int32_t chord_move = move;
    for (double k = 1.0; start + k * step < start + sweep; k += 1.0) {
        const double turned_x = dx * step_cos - dy * step_sin;
        dy = dx * step_sin + dy * step_cos;
        dx = turned_x;
        DrawClippedLine(previous_x, previous_y, cx + dx, cy + dy, chord_move, drawing);
        if (RenderHit != 0)
            return;
        chord_move = 0;
        previous_x = cx + dx;
        previous_y = cy + dy;
    }
    DrawClippedLine(previous_x, previous_y, cx + radius * std::cos(end), cy + radius * std::sin(end),
                    chord_move, drawing);
}

void DrawEllipseArc(double cx, double cy, double a, double b, double axisAngle, double start,
                    double end, int32_t move, DXFDrawingRec* drawing) noexcept
{
    if (drawing == nullptr || !all_finite(cx, cy, a, b) || !all_finite(axisAngle, start) ||
        !std::isfinite(end))
        return;
    if (a < kTolerance || b < kTolerance)
        return;
    const double minor = std::min(a, b);
    const double major = std::max(a, b);
    if (RenderClipLines == 1 &&
        is_culled(cx, cy, major, minor * kInscribedSquare, drawing->dxf_DrwgViewSize))
        return;

    // The major radius decides: an ellipse that is flat on screen but long still
    // shows as a line, and its chords must keep within half a pixel where it is widest.
    const double pixel_radius = major * drawing->dxf_XScale;
    if (!(pixel_radius > 0.5)) {
        draw_point(cx, cy, move, drawing);
        return;
    }
    const double sweep = reduce_radians(std::fabs(kFourPi - start + end));
    const double step = chord_angle(pixel_radius);
    const double step_cos = std::cos(step);
    const double step_sin = std::sin(step);
    const CosSin axis = exact_cos_sin(axisAngle);
    const auto point_at = [&](double cos_t, double sin_t) {
        const double u = a * cos_t;
        const double v = b * sin_t;
        return std::pair{cx + u * axis.cos - v * axis.sin, cy + u * axis.sin + v * axis.cos};
    };

    const bool starts_at_zero = start == 0.0 && !std::signbit(start);
    double cos_t = starts_at_zero ? 1.0 : std::cos(start);
    double sin_t = starts_at_zero ? 0.0 : std::sin(start);
    auto [previous_x, previous_y] = point_at(cos_t, sin_t);
    int32_t segment_move = move;
    for (double k = 1.0; start + k * step < start + sweep; k += 1.0) {
        const double turned_cos = cos_t * step_cos - sin_t * step_sin;
        sin_t = cos_t * step_sin + sin_t * step_cos;
        cos_t = turned_cos;
        const auto [x, y] = point_at(cos_t, sin_t);
        DrawClippedLine(previous_x, previous_y, x, y, segment_move, drawing);
        segment_move = 0;
        previous_x = x;
        previous_y = y;
    }
    const auto [end_x, end_y] = point_at(std::cos(end), std::sin(end));
    DrawClippedLine(previous_x, previous_y, end_x, end_y, segment_move, drawing);
}

int32_t DrawRay(double x, double y, double ux, double uy, DXFDrawingRec* drawing) noexcept
{
    const Rectangle2DRec* clip = window_for_line(drawing, x, y, ux, uy);
    if (clip == nullptr || is_vertical_beside(*clip, x, ux))
        return 0;
    const Rectangle2DRec& window = *clip;
    if (std::fabs(ux) < kTolerance) {
        // A ray that starts beyond the edge it points to never enters the window.
        if (uy > 0.0 ? y > window.max.y : y < window.min.y)
            return 0;
        return DrawClippedLine(x, y, x, uy > 0.0 ? window.max.y : window.min.y, 1, drawing);
    }
    if (ux > 0.0 ? x > window.max.x : x < window.min.x)
        return 0;
    const Line line = line_through(x, y, ux, uy);
    const double far_x = ux > 0.0 ? window.max.x : window.min.x;
    return DrawClippedLine(x, y, far_x, line.y_at(far_x), 1, drawing);
}

int32_t DrawXLine(double x, double y, double ux, double uy, DXFDrawingRec* drawing) noexcept
{
    const Rectangle2DRec* clip = window_for_line(drawing, x, y, ux, uy);
    if (clip == nullptr || is_vertical_beside(*clip, x, ux))
        return 0;
    const Rectangle2DRec& window = *clip;
    if (std::fabs(ux) < kTolerance)
        return DrawClippedLine(x, window.min.y, x, window.max.y, 1, drawing);
    const Line line = line_through(x, y, ux, uy);
    return DrawClippedLine(window.min.x, line.y_at(window.min.x), window.max.x,
                           line.y_at(window.max.x), 1, drawing);
}

} // namespace halvern
