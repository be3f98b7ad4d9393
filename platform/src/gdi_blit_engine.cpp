// Stretching blits through the ternary raster operations, with the stretch modes'
// merging of shrunk pixels, mirroring and the destination's clip.

#include "gdi_blit_engine.h"

#include <algorithm>
#include <cstdlib>

namespace platform::gdi {

uint32_t ternary(uint8_t operation, uint32_t pattern, uint32_t source, uint32_t destination)
{
    switch (operation) {
    case 0xCC:
        return source;
    case 0x66:
        return source ^ destination;
    case 0x88:
        return source & destination;
    case 0xEE:
        return source | destination;
    case 0xF0:
        return pattern;
    case 0x5A:
        return pattern ^ destination;
    case 0x55:
        return ~destination;
    default:
        break;
    }
    uint32_t result = 0;
    for (int m = 0; m < 8; ++m) {
        if ((operation >> m & 1) == 0)
            continue;
        const uint32_t p = (m & 4) != 0 ? pattern : ~pattern;
        const uint32_t s = (m & 2) != 0 ? source : ~source;
        const uint32_t d = (m & 1) != 0 ? destination : ~destination;
        result |= p & s & d;
    }
    return result;
}

bool uses_source(uint8_t operation)
{
    return ((operation >> 2) & 0x33) != (operation & 0x33);
}

BlitSource read_source(const DeviceContext& source, const Surface& destination,
                       COLORREF text_colour, COLORREF background_colour, int left, int top,
                       int width, int height)
{
    BlitSource result;
    result.width = width;
    result.height = height;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    result.pixels.assign(count, 0);
    result.present.assign(count, 0);
    const Surface& from = source.surface();
    const uint32_t source_background = pixel_of(source.background_colour);
    const uint32_t zero_bits = destination.device_pixel(text_colour);
    const uint32_t one_bits = destination.device_pixel(background_colour);
    for (int row = 0; row < height; ++row) {
        const int y = top + row;
        for (int column = 0; column < width; ++column) {
            const int x = left + column;
            if (from.is_empty() || !from.contains(x, y))
                continue;
            const uint32_t stored = *from.pixel(x, y) & 0x00FFFFFFu;
            uint32_t value = stored;
            if (from.is_mono() && !destination.is_mono())
                value = from.colour_table ? destination.device_pixel(from.colour_at(stored))
                        : stored != 0     ? one_bits
                                          : zero_bits;
            else if (!from.is_mono() && destination.is_mono())
                value = stored == source_background ? 0x00FFFFFFu : 0u;
            const size_t index =
                static_cast<size_t>(row) * static_cast<size_t>(width) + static_cast<size_t>(column);
            result.pixels[index] = value;
            result.present[index] = 1;
        }
    }
    return result;
}

namespace {

// The source index span [first, last) that destination step k of `steps` takes from
// `source_steps` source pixels.
void span_of(int64_t k, int64_t steps, int64_t source_steps, bool merge, int64_t& first,
             int64_t& last)
{
    if (!merge || source_steps <= steps) {
        first = ((2 * k + 1) * source_steps) / (2 * steps);
        last = first + 1;
        return;
    }
    first = (k * source_steps) / steps;
    last = std::max(first + 1, ((k + 1) * source_steps) / steps);
}

}

void blit(DeviceContext& destination, int x, int y, int width, int height, const BlitSource* source,
          int source_width, int source_height, DWORD rop)
{
    const Surface& to = destination.surface();
    if (to.is_empty() || width == 0 || height == 0)
        return;
    if (source != nullptr &&
        (source_width == 0 || source_height == 0 || source->width == 0 || source->height == 0))
        return;
    const auto operation = static_cast<uint8_t>(rop >> 16);
    const uint32_t pattern = to.device_pixel(destination.brush().record().lbColor);
    const int64_t steps_x = std::llabs(int64_t{width});
    const int64_t steps_y = std::llabs(int64_t{height});
    const int direction_x = width > 0 ? 1 : -1;
    const int direction_y = height > 0 ? 1 : -1;
    // Destination step k lies k pixels from x in the direction of the width's sign;
    // source steps likewise from the source's near edge, so that a sign that differs
    // mirrors.
    const bool mirror_x = source_width < 0;
    const bool mirror_y = source_height < 0;
    const int mode = destination.stretch_mode;
    const bool merge = mode == BLACKONWHITE || mode == WHITEONBLACK;
    const bool monochrome_merge = to.is_mono();
    // Only the steps that land on the surface.
    auto step_range = [](int64_t origin, int direction, int64_t steps, int64_t size, int64_t& first,
                         int64_t& last) {
        if (direction > 0) {
            first = std::max<int64_t>(0, -origin);
            last = std::min<int64_t>(steps, size - origin);
        } else {
            first = std::max<int64_t>(0, origin - (size - 1));
            last = std::min<int64_t>(steps, origin + 1);
        }
    };
    int64_t first_i = 0;
    int64_t last_i = 0;
    int64_t first_j = 0;
    int64_t last_j = 0;
    step_range(x, direction_x, steps_x, to.width, first_i, last_i);
    step_range(y, direction_y, steps_y, to.height, first_j, last_j);
    for (int64_t j = first_j; j < last_j; ++j) {
        const int64_t dy = y + direction_y * j;
        int64_t sy0 = 0;
        int64_t sy1 = 1;
        if (source != nullptr)
            span_of(j, steps_y, source->height, merge, sy0, sy1);
        for (int64_t i = first_i; i < last_i; ++i) {
            const int64_t dx = x + direction_x * i;
            if (!to.visible(static_cast<int>(dx), static_cast<int>(dy)))
                continue;
            uint32_t value = 0;
            if (source != nullptr) {
                int64_t sx0 = 0;
                int64_t sx1 = 1;
                span_of(i, steps_x, source->width, merge, sx0, sx1);
                bool any = false;
                for (int64_t sy = sy0; sy < sy1; ++sy) {
                    const int64_t row = mirror_y ? source->height - 1 - sy : sy;
                    for (int64_t sx = sx0; sx < sx1; ++sx) {
                        const int64_t column = mirror_x ? source->width - 1 - sx : sx;
                        const size_t index = static_cast<size_t>(row * source->width + column);
                        if (source->present[index] == 0)
                            continue;
                        const uint32_t pixel = source->pixels[index];
                        if (!any) {
                            value = pixel;
                            any = true;
                        } else if (mode == BLACKONWHITE ||
                                   (monochrome_merge && mode != WHITEONBLACK)) {
                            value &= pixel;
                        } else if (mode == WHITEONBLACK) {
                            value |= pixel;
                        }
                    }
                }
                if (!any)
                    continue;
            }
            uint32_t* out = to.pixel(static_cast<int>(dx), static_cast<int>(dy));
            *out = (ternary(operation, pattern, value, *out) & 0x00FFFFFFu) | to.alpha;
        }
    }
}

}
