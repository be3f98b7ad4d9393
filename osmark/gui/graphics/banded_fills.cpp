// Banded fills: dithered bands through five fixed patterns, or smooth gradients, drawn
// only through the port's public calls.

#include "osmark/banded_fills.h"

#include "graphics_internal.h"
#include "osmark/exit_list.h"
#include "osmark/gui_services.h"
#include "osmark/library.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kPatternSide = 32;

// Rows of the five patterns (most significant bit leftmost), repeating from the top:
// none, 3/8, 1/2, 5/8 and all of the bits set.
constexpr uint32_t kPatternRows[5][4] = {
    {0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u},
    {0xAAAAAAAAu, 0x44444444u, 0xAAAAAAAAu, 0x11111111u},
    {0xAAAAAAAAu, 0x55555555u, 0xAAAAAAAAu, 0x55555555u},
    {0xAAAAAAAAu, 0x77777777u, 0xAAAAAAAAu, 0xDDDDDDDDu},
    {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu},
};

// Static records without the allocators' tag, so FreeBitMap leaves them alone.
uint8_t g_pattern_bits[5][kPatternSide * 4];
BitMap g_patterns[5];

void keep_patterns()
{
}

struct SavedPens {
    BPenData b_pen;
    Colour a_pen;
    BitMap* pattern;
};

// Extent along the bands and across them.
struct Layout {
    bool along_y;
    int32_t start;
    int32_t end;
    int32_t cross_min;
    int32_t cross_max;
};

RectangleBox band_box(const Layout& layout, int32_t from, int32_t to)
{
    const int32_t low = std::min(from, to);
    const int32_t high = std::max(from, to);
    return layout.along_y ? RectangleBox{layout.cross_min, low, layout.cross_max, high}
                          : RectangleBox{low, layout.cross_min, high, layout.cross_max};
}

// Every fourth pixel of one line inside a band, from `first` across.
void seam(RastPort* rp, const Layout& layout, int32_t line, int32_t first, Colour colour)
{
    for (int64_t cross = first; cross < layout.cross_max; cross += 4) {
        const auto c = static_cast<int32_t>(cross);
        if (layout.along_y)
            SetRPPixel(rp, c, line, colour);
        else
            SetRPPixel(rp, line, c, colour);
    }
}

void fill_band(RastPort* rp, const Layout& layout, int32_t from, int32_t to, int pattern)
{
    SetAfPt(rp, &g_patterns[pattern]);
    const RectangleBox box = band_box(layout, from, to);
    RectangleFill(rp, &box);
}

void dithered_bands(RastPort* rp, const Layout& layout, const Colour* colours, int32_t count)
{
    const double extent = static_cast<double>(layout.end) - layout.start;
    double step = 0;
    while (count > 1) {
        step = extent / (4.0 * count - 3.0);
        if (step != 0)
            break;
        --count;
    }
    if (count <= 1 || (!layout.along_y && step <= 0)) {
        if (count <= 1) {
            const RectangleBox box = band_box(layout, layout.start, layout.end);
            RectFill(rp, &box, colours[0]);
        }
        return;
    }
    const bool upwards = step > 0;
    // The start and far lines inside a band from `from` to `to`.
    auto start_line = [&](int32_t from) { return upwards ? from : from - 1; };
    auto far_line = [&](int32_t to) { return upwards ? to - 1 : to; };
    int32_t from = layout.start;
    int32_t to = layout.start + static_cast<int32_t>(std::trunc(step));
    double end = to;
    for (int32_t k = 0; k + 1 < count; ++k) {
        SetAPen(rp, ColourToRGB(static_cast<int32_t>(colours[k])));
        SetBPen(rp, ColourToRGB(static_cast<int32_t>(colours[k + 1])));
        for (int pattern = 0; pattern < 4; ++pattern) {
            fill_band(rp, layout, from, to, pattern);
            if (pattern == 0) {
                if (k > 0)
                    seam(rp, layout, start_line(from), layout.cross_min, colours[k - 1]);
                seam(rp, layout, far_line(to), layout.cross_min + 1, colours[k + 1]);
            }
            from = to;
            to = static_cast<int32_t>(std::trunc(end + step));
            end += step;
        }
    }
    fill_band(rp, layout, from, layout.end, 4);
    seam(rp, layout, start_line(from), layout.cross_min, colours[count - 2]);
}

uint32_t blend(uint32_t c0, uint32_t c1, double step, int64_t line)
{
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double from = (c0 >> shift) & 0xFFu;
        const double to = (c1 >> shift) & 0xFFu;
        const double value = std::trunc(from + (to - from) / step * static_cast<double>(line));
        result |= (static_cast<uint32_t>(static_cast<int64_t>(value)) & 0xFFu) << shift;
    }
    return result;
}

void smooth_gradient(RastPort* rp, const Layout& layout, const Colour* colours, int32_t count)
{
    const bool forwards = layout.start < layout.end;
    const int64_t first = forwards ? layout.start : int64_t{layout.start} - 1;
    const int64_t last = forwards ? int64_t{layout.end} - 1 : layout.end;
    const int64_t direction = forwards ? 1 : -1;
    const double distance = forwards ? static_cast<double>(last - first)
                                     : static_cast<double>(layout.start) - layout.end;
    double step = 0;
    while (count > 1) {
        step = distance / (count - 1);
        if (step > 0)
            break;
        --count;
    }
    if (count <= 1) {
        const RectangleBox box = band_box(layout, layout.start, layout.end);
        RectFill(rp, &box, colours[0]);
        return;
    }
    auto line_at = [&](int64_t position, Colour colour) {
        SetAPen(rp, colour);
        const auto p = static_cast<int32_t>(position);
        if (layout.along_y) {
            Move(rp, layout.cross_min, p);
            Draw(rp, layout.cross_max, p);
        } else {
            Move(rp, p, layout.cross_min);
            Draw(rp, p, layout.cross_max);
        }
    };
    const auto per_segment = static_cast<int64_t>(std::floor(step));
    // Lines that no segment reaches take the first colour when no line was drawn.
    Colour last_drawn = ColourToRGB(static_cast<int32_t>(colours[0]));
    int64_t position = first;
    for (int32_t k = 0; k + 1 < count; ++k) {
        const uint32_t c0 = ColourToRGB(static_cast<int32_t>(colours[k]));
        const uint32_t c1 = ColourToRGB(static_cast<int32_t>(colours[k + 1]));
        for (int64_t j = 0; j < per_segment; ++j) {
            last_drawn = blend(c0, c1, step, j);
            line_at(position, last_drawn);
            position += direction;
        }
    }
    for (; forwards ? position <= last : position >= last; position += direction)
        line_at(position, last_drawn);
}

}

extern "C" {

OSMARK_API void InitialiseDitherPatterns(void) noexcept
{
    for (int p = 0; p < 5; ++p) {
        for (int row = 0; row < kPatternSide; ++row) {
            const uint32_t bits = kPatternRows[p][row % 4];
            for (int byte = 0; byte < 4; ++byte)
                g_pattern_bits[p][row * 4 + byte] = static_cast<uint8_t>(bits >> (24 - 8 * byte));
        }
        g_patterns[p] =
            BitMap{BMF_MASK, kPatternSide, kPatternSide, g_pattern_bits[p], {0, 0, 0, 0}};
    }
    AddExitProc(&LibraryExitList, keep_patterns);
}

OSMARK_API void DitherRastPort(RastPort* rp, const RectangleBox* box, const Colour* colours,
                               int32_t count, uint32_t flags) noexcept
{
    if (rp == nullptr || box == nullptr || colours == nullptr || count < 1 || rp->rp_Lock == 1)
        return;
    if (count == 1 || (flags & (DITHER_ALONG_X | DITHER_ALONG_Y)) == 0) {
        RectFill(rp, box, colours[0]);
        return;
    }
    if (g_patterns[4].bm_Pixels == nullptr)
        InitialiseDitherPatterns();
    SavedPens saved{};
    GetBPenData(rp, &saved.b_pen);
    saved.a_pen = GetAPen(rp);
    saved.pattern = GetAfPt(rp);
    Layout layout{};
    layout.along_y = (flags & DITHER_ALONG_Y) != 0;
    layout.start = layout.along_y ? box->y0 : box->x0;
    layout.end = layout.along_y ? box->y1 : box->x1;
    layout.cross_min = layout.along_y ? std::min(box->x0, box->x1) : std::min(box->y0, box->y1);
    layout.cross_max = layout.along_y ? std::max(box->x0, box->x1) : std::max(box->y0, box->y1);
    if ((flags & DITHER_SMOOTH) != 0)
        smooth_gradient(rp, layout, colours, count);
    else
        dithered_bands(rp, layout, colours, count);
    SetBPenData(rp, &saved.b_pen);
    SetAPen(rp, saved.a_pen);
    SetAfPt(rp, saved.pattern);
}
}
