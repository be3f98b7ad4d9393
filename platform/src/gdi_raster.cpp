// Cosmetic lines, pixels and mask compositing on 32-bit surfaces.
//
// Each loop is instantiated once per ROP2 code and picked from a table before it
// runs, so the per-pixel work is one load, one operation and one store.

#include "gdi_raster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

namespace platform::gdi {
namespace {

constexpr uint32_t kRgb = 0x00FFFFFFu;

// The ROP2 code `Code` applied to pen P and destination D (RGB bits only).
template <int Code>
constexpr uint32_t apply_rop(uint32_t p, uint32_t d)
{
    if constexpr (Code == R2_BLACK)
        return 0;
    else if constexpr (Code == R2_NOTMERGEPEN)
        return ~(p | d);
    else if constexpr (Code == R2_MASKNOTPEN)
        return ~p & d;
    else if constexpr (Code == R2_NOTCOPYPEN)
        return ~p;
    else if constexpr (Code == R2_MASKPENNOT)
        return p & ~d;
    else if constexpr (Code == R2_NOT)
        return ~d;
    else if constexpr (Code == R2_XORPEN)
        return p ^ d;
    else if constexpr (Code == R2_NOTMASKPEN)
        return ~(p & d);
    else if constexpr (Code == R2_MASKPEN)
        return p & d;
    else if constexpr (Code == R2_NOTXORPEN)
        return ~(p ^ d);
    else if constexpr (Code == R2_NOP)
        return d;
    else if constexpr (Code == R2_MERGENOTPEN)
        return ~p | d;
    else if constexpr (Code == R2_COPYPEN)
        return p;
    else if constexpr (Code == R2_MERGEPENNOT)
        return p | ~d;
    else if constexpr (Code == R2_MERGEPEN)
        return p | d;
    else
        return kRgb;
}

template <int Code>
inline void store(uint32_t* target, uint32_t pen, uint32_t alpha)
{
    *target = (apply_rop<Code>(pen, *target) & kRgb) | alpha;
}

// ---- Lines ---------------------------------------------------------------------------

// A clipped line reduced to its walk: `count` pixels from `offset`, one `major_step`
// each, plus one `minor_step` whenever the error term passes `limit`.
struct LineWalk {
    ptrdiff_t offset;
    ptrdiff_t major_step;
    ptrdiff_t minor_step;
    int64_t count;
    int64_t error;
    int64_t error_step;
    int64_t limit;
};

template <int Code>
void walk_line(uint32_t* origin, const uint8_t* clip, LineWalk walk, uint32_t pen, uint32_t alpha)
{
    ptrdiff_t offset = walk.offset;
    int64_t error = walk.error;
    for (int64_t i = 0; i < walk.count; ++i) {
        if (clip == nullptr || clip[offset] != 0)
            store<Code>(origin + offset, pen, alpha);
        offset += walk.major_step;
        error += walk.error_step;
        if (error >= walk.limit) {
            error -= walk.limit;
            offset += walk.minor_step;
        }
    }
}

using LineFunction = void (*)(uint32_t*, const uint8_t*, LineWalk, uint32_t, uint32_t);

template <int... Codes>
constexpr std::array<LineFunction, sizeof...(Codes)> line_functions(std::integer_sequence<int, Codes...>)
{
    return {&walk_line<Codes + 1>...};
}
constexpr auto kLineFunctions = line_functions(std::make_integer_sequence<int, 16>{});

using PixelFunction = void (*)(uint32_t*, uint32_t, uint32_t);

template <int... Codes>
constexpr std::array<PixelFunction, sizeof...(Codes)> pixel_functions(std::integer_sequence<int, Codes...>)
{
    return {&store<Codes + 1>...};
}
constexpr auto kPixelFunctions = pixel_functions(std::make_integer_sequence<int, 16>{});

using Wide = __int128;

Wide floor_div(Wide a, Wide b) // b > 0
{
    const Wide q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

Wide ceil_div(Wide a, Wide b) // b > 0
{
    return -floor_div(-a, b);
}

// The steps i (0 <= i < count) at which a coordinate c0 + step * i lies in [low, high).
void clip_major(int64_t c0, int step, int64_t low, int64_t high, int64_t& first, int64_t& last)
{
    if (step > 0) {
        first = std::max(first, low - c0);
        last = std::min(last, high - 1 - c0);
    } else {
        first = std::max(first, c0 - (high - 1));
        last = std::min(last, c0 - low);
    }
}

}

void draw_line(const Surface& surface, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t pen,
               int rop2)
{
    if (surface.is_empty() || !is_rop2(rop2))
        return;
    const int64_t dx = int64_t{x1} - x0;
    const int64_t dy = int64_t{y1} - y0;
    if (dx == 0 && dy == 0)
        return;
    const bool x_major = std::llabs(dx) >= std::llabs(dy);
    // Major axis: one pixel per step; minor axis: q(i) = floor((2 i dk + bias) / 2 dm).
    const int64_t dm = x_major ? std::llabs(dx) : std::llabs(dy);
    const int64_t dk = x_major ? std::llabs(dy) : std::llabs(dx);
    const int major_sign = (x_major ? dx : dy) > 0 ? 1 : -1;
    const int minor_sign = (x_major ? dy : dx) >= 0 ? 1 : -1;
    const int64_t m0 = x_major ? x0 : y0;
    const int64_t k0 = x_major ? y0 : x0;
    const int64_t major_size = x_major ? surface.width : surface.height;
    const int64_t minor_size = x_major ? surface.height : surface.width;
    // A tie rounds towards the smaller coordinate: down in q when the minor axis
    // grows, up in q when it shrinks.
    const int64_t bias = minor_sign > 0 ? dm - 1 : dm;

    int64_t first = 0;
    int64_t last = dm - 1; // the end point itself is left out
    if (surface.contains(x0, y0) && surface.contains(x1, y1)) {
        // Both ends on the surface: every pixel between is too, so nothing is clipped
        // and the walk starts at step 0 (q = 0, since bias < 2 dm).
        LineWalk walk{};
        walk.offset = static_cast<ptrdiff_t>(y0) * surface.stride + static_cast<ptrdiff_t>(x0);
        walk.major_step = x_major ? major_sign : major_sign * surface.stride;
        walk.minor_step = x_major ? minor_sign * surface.stride : minor_sign;
        walk.count = dm;
        walk.error = bias;
        walk.error_step = 2 * dk;
        walk.limit = 2 * dm;
        kLineFunctions[static_cast<size_t>(rop2 - 1)](surface.top_row, surface.clip, walk, pen,
                                                      surface.alpha);
        return;
    }
    clip_major(m0, major_sign, 0, major_size, first, last);
    // q must lie in [q_low, q_high] for the minor coordinate to be on the surface.
    const int64_t q_low = minor_sign > 0 ? -k0 : k0 - (minor_size - 1);
    const int64_t q_high = minor_sign > 0 ? minor_size - 1 - k0 : k0;
    if (dk == 0) {
        if (q_low > 0 || q_high < 0)
            return;
    } else {
        const Wide two_dm = Wide{2} * dm;
        const Wide two_dk = Wide{2} * dk;
        const Wide from = ceil_div(two_dm * q_low - bias, two_dk);
        const Wide to = floor_div(two_dm * (Wide{q_high} + 1) - bias - 1, two_dk);
        if (from > first)
            first = from > last ? last + 1 : static_cast<int64_t>(from);
        if (to < last)
            last = to < first ? first - 1 : static_cast<int64_t>(to);
    }
    if (first > last)
        return;

    const Wide numerator = Wide{2} * first * dk + bias;
    const int64_t q = static_cast<int64_t>(floor_div(numerator, Wide{2} * dm));
    const int64_t error = static_cast<int64_t>(numerator - Wide{q} * 2 * dm);
    const int64_t major = m0 + major_sign * first;
    const int64_t minor = k0 + minor_sign * q;
    const int64_t x = x_major ? major : minor;
    const int64_t y = x_major ? minor : major;

    LineWalk walk{};
    walk.offset = static_cast<ptrdiff_t>(y) * surface.stride + static_cast<ptrdiff_t>(x);
    walk.major_step = x_major ? major_sign : major_sign * surface.stride;
    walk.minor_step = x_major ? minor_sign * surface.stride : minor_sign;
    walk.count = last - first + 1;
    walk.error = error;
    walk.error_step = 2 * dk;
    walk.limit = 2 * dm;
    kLineFunctions[static_cast<size_t>(rop2 - 1)](surface.top_row, surface.clip, walk, pen,
                                                  surface.alpha);
}

// ---- Ellipses ---------------------------------------------------------------------

namespace {

constexpr double kTwoPi = 6.283185307179586;

// Rounds to the nearest integer, halves up.
int64_t nearest(double value)
{
    return static_cast<int64_t>(std::floor(value + 0.5));
}

struct EllipseOutline {
    const Surface& surface;
    int64_t centre_x2; // centre times 2: a box of even width has its centre between pixels
    int64_t centre_y2;
    double start;
    double sweep;
    std::vector<std::pair<int64_t, int64_t>> pixels; // (y, x)

    bool in_arc(int64_t x, int64_t y) const
    {
        if (sweep >= kTwoPi)
            return true;
        const double angle = std::atan2(static_cast<double>(centre_y2 - 2 * y), static_cast<double>(2 * x - centre_x2));
        double turn = std::fmod(angle - start, kTwoPi);
        if (turn < 0)
            turn += kTwoPi;
        return turn <= sweep + 1e-9;
    }
    void add(int64_t x, int64_t y)
    {
        if (surface.contains(x, y) && in_arc(x, y))
            pixels.emplace_back(y, x);
    }
    // A pixel of the lower right quarter and its mirror images in the other three.
    void add_mirrored(int64_t x, int64_t y)
    {
        add(x, y);
        add(centre_x2 - x, y);
        add(x, centre_y2 - y);
        add(centre_x2 - x, centre_y2 - y);
    }
};

// Calls visit(v) for the values of [first, last] that lie in [0, size), or whose
// mirror image mirror_sum - v does; each interval is walked on its own, so a far-off
// centre costs no more than the surface.
template <typename Visit>
void for_visible(int64_t first, int64_t last, int64_t mirror_sum, int64_t size, Visit&& visit)
{
    const int64_t direct_first = std::max<int64_t>(first, 0);
    const int64_t direct_last = std::min<int64_t>(last, size - 1);
    for (int64_t v = direct_first; v <= direct_last; ++v)
        visit(v);
    const int64_t mirror_first = std::max<int64_t>(first, mirror_sum - (size - 1));
    const int64_t mirror_last = std::min<int64_t>(last, mirror_sum);
    for (int64_t v = mirror_first; v <= mirror_last; ++v) {
        if (v < direct_first || v > direct_last)
            visit(v);
    }
}

int64_t ceil_half(int64_t doubled)
{
    return doubled >= 0 ? (doubled + 1) / 2 : -((-doubled) / 2);
}

}

void draw_ellipse(const Surface& surface, int64_t left, int64_t top, int64_t right, int64_t bottom, double start,
                  double sweep, uint32_t pen, int rop2)
{
    if (surface.is_empty() || !is_rop2(rop2) || right < left || bottom < top)
        return;
    EllipseOutline outline{surface, left + right, top + bottom, start, sweep, {}};
    const double radius_x = static_cast<double>(right - left) / 2.0;
    const double radius_y = static_cast<double>(bottom - top) / 2.0;
    const double centre_x = static_cast<double>(outline.centre_x2) / 2.0;
    const double centre_y = static_cast<double>(outline.centre_y2) / 2.0;
    if (radius_x == 0.0 || radius_y == 0.0) {
        // A flat box is a line.
        for_visible(left, right, left + right, surface.width, [&](int64_t x) {
            for_visible(top, bottom, top + bottom, surface.height, [&](int64_t y) { outline.add(x, y); });
        });
    } else {
        // Columns out from the centre while the outline is flatter than 45 degrees,
        // rows while it is steeper; each picks the pixel nearest to the ellipse.
        const double diagonal = std::sqrt(radius_x * radius_x + radius_y * radius_y);
        const int64_t first_column = ceil_half(outline.centre_x2);
        const int64_t last_column = static_cast<int64_t>(std::floor(centre_x + radius_x * radius_x / diagonal));
        for_visible(first_column, last_column, outline.centre_x2, surface.width, [&](int64_t x) {
            const double u = (static_cast<double>(x) - centre_x) / radius_x;
            outline.add_mirrored(x, nearest(centre_y + radius_y * std::sqrt(std::max(0.0, 1.0 - u * u))));
        });
        const int64_t first_row = ceil_half(outline.centre_y2);
        const int64_t last_row = static_cast<int64_t>(std::floor(centre_y + radius_y * radius_y / diagonal));
        for_visible(first_row, last_row, outline.centre_y2, surface.height, [&](int64_t y) {
            const double v = (static_cast<double>(y) - centre_y) / radius_y;
            outline.add_mirrored(nearest(centre_x + radius_x * std::sqrt(std::max(0.0, 1.0 - v * v))), y);
        });
    }
    // Mirror images meet on the axes and the two walks meet at 45 degrees: every
    // pixel once, so that XOR outlines undo themselves.
    std::sort(outline.pixels.begin(), outline.pixels.end());
    outline.pixels.erase(std::unique(outline.pixels.begin(), outline.pixels.end()), outline.pixels.end());
    const PixelFunction put = kPixelFunctions[static_cast<size_t>(rop2 - 1)];
    for (const auto& [y, x] : outline.pixels) {
        if (surface.visible(static_cast<int>(x), static_cast<int>(y)))
            put(surface.pixel(static_cast<int>(x), static_cast<int>(y)), pen, surface.alpha);
    }
}

// ---- Pixels ----------------------------------------------------------------------------

void plot(const Surface& surface, int x, int y, uint32_t pen, int rop2)
{
    if (surface.is_empty() || !surface.contains(x, y) || !surface.visible(x, y) || !is_rop2(rop2))
        return;
    kPixelFunctions[static_cast<size_t>(rop2 - 1)](surface.pixel(x, y), pen, surface.alpha);
}

// ---- Masks ------------------------------------------------------------------------------

namespace {

template <int Code>
void composite_solid(uint32_t* row, const uint8_t* mask, const uint8_t* clip, int width,
                     uint32_t pen, uint32_t alpha)
{
    for (int x = 0; x < width; ++x) {
        if (mask[x] != 0 && (clip == nullptr || clip[x] != 0))
            store<Code>(row + x, pen, alpha);
    }
}

using SpanFunction = void (*)(uint32_t*, const uint8_t*, const uint8_t*, int, uint32_t, uint32_t);

template <int... Codes>
constexpr std::array<SpanFunction, sizeof...(Codes)> span_functions(std::integer_sequence<int, Codes...>)
{
    return {&composite_solid<Codes + 1>...};
}
constexpr auto kSpanFunctions = span_functions(std::make_integer_sequence<int, 16>{});

// One row per byte, the leftmost pixel in bit 7, for a brush origin at (0, 0).
constexpr uint8_t kHatches[6][8] = {
    {0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00}, // HS_HORIZONTAL
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08}, // HS_VERTICAL
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}, // HS_FDIAGONAL
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}, // HS_BDIAGONAL
    {0x08, 0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08}, // HS_CROSS
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81}, // HS_DIAGCROSS
};

}

const uint8_t* hatch_pattern(ULONG_PTR style)
{
    return style < 6 ? kHatches[style] : nullptr;
}

void composite_mask(const Surface& surface, const uint8_t* mask, ptrdiff_t mask_stride, int left,
                    int top, int width, int height, const Paint& paint, int rop2)
{
    if (surface.is_empty() || !is_rop2(rop2) || width <= 0 || height <= 0)
        return;
    const size_t rop_index = static_cast<size_t>(rop2 - 1);
    if (paint.hatch == nullptr) {
        const SpanFunction span = kSpanFunctions[rop_index];
        for (int r = 0; r < height; ++r)
            span(surface.pixel(left, top + r), mask + r * mask_stride,
                 surface.clip_row(left, top + r), width, paint.colour, surface.alpha);
        return;
    }
    // Hatched brushes are rare; one table call per pixel keeps this loop short.
    const PixelFunction put = kPixelFunctions[rop_index];
    for (int r = 0; r < height; ++r) {
        const int y = top + r;
        const uint8_t bits = paint.hatch[y & 7];
        uint32_t* row = surface.pixel(left, y);
        const uint8_t* coverage = mask + r * mask_stride;
        const uint8_t* clip = surface.clip_row(left, y);
        for (int c = 0; c < width; ++c) {
            if (coverage[c] == 0 || (clip != nullptr && clip[c] == 0))
                continue;
            const bool set = (bits >> (7 - ((left + c) & 7))) & 1u;
            if (set)
                put(row + c, paint.colour, surface.alpha);
            else if (!paint.transparent_gaps)
                put(row + c, paint.background, surface.alpha);
        }
    }
}

void blend_mask(const Surface& surface, const uint8_t* mask, ptrdiff_t mask_stride, int left,
                int top, int width, int height, uint32_t colour)
{
    if (surface.is_empty() || width <= 0 || height <= 0)
        return;
    for (int r = 0; r < height; ++r) {
        uint32_t* row = surface.pixel(left, top + r);
        const uint8_t* coverage = mask + r * mask_stride;
        for (int c = 0; c < width; ++c) {
            const uint32_t level = coverage[c];
            if (level == 0)
                continue;
            if (level == 255) {
                row[c] = (colour & kRgb) | surface.alpha;
                continue;
            }
            const uint32_t below = row[c];
            uint32_t mixed = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                const uint32_t top_channel = (colour >> shift) & 0xFFu;
                const uint32_t bottom_channel = (below >> shift) & 0xFFu;
                const uint32_t channel =
                    (top_channel * level + bottom_channel * (255 - level) + 127) / 255;
                mixed |= channel << shift;
            }
            row[c] = mixed | surface.alpha;
        }
    }
}
}
