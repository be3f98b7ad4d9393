#include "halvern/palette.h"

#include <cstdint>
#include <cstdlib>

#include "render_state.h"

namespace {

constexpr uint32_t red_of(uint32_t colour) noexcept { return colour & 0xFFu; }
constexpr uint32_t green_of(uint32_t colour) noexcept { return (colour >> 8) & 0xFFu; }
constexpr uint32_t blue_of(uint32_t colour) noexcept { return (colour >> 16) & 0xFFu; }

// Two colours closer than this in every channel cannot be told apart on screen.
constexpr int kContrastLimit = 9;
// Backgrounds whose channel sum lies below this are dark (255 * 3 / 2 rounded up).
constexpr uint32_t kDarkBackgroundSum = 383;

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

int channel_distance(uint32_t a, uint32_t b) noexcept
{
    return std::abs(static_cast<int>(a) - static_cast<int>(b));
}

bool is_near(uint32_t colour, uint32_t background) noexcept
{
    return channel_distance(red_of(colour), red_of(background)) <= kContrastLimit &&
           channel_distance(green_of(colour), green_of(background)) <= kContrastLimit &&
           channel_distance(blue_of(colour), blue_of(background)) <= kContrastLimit;
}

uint32_t squared_distance(uint32_t a, uint32_t b) noexcept
{
    const auto square = [](uint32_t x, uint32_t y) {
        const int d = static_cast<int>(x) - static_cast<int>(y);
        return static_cast<uint32_t>(d * d);
    };
    return square(red_of(a), red_of(b)) + square(green_of(a), green_of(b)) +
           square(blue_of(a), blue_of(b));
}

} // namespace

extern "C" {

// Values are colour references, 0x00BBGGRR: number 1 (0x0000FF) is red.
const uint32_t DXFColourPalette[DXF_PALETTE_SIZE] = {
    // 1-9: primaries and two greys
    0x0000FF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF0000, 0xFF00FF, 0xFFFFFF, 0x808080, 0xC0C0C0,
    // 10-249: 24 hues, each as five brightness levels of a full and a paler colour
    0x0000FF, 0x8080FF, 0x0000A6, 0x5353A6, 0x000080, 0x404080, 0x00004D, 0x27274D, 0x000027, 0x131327,
    0x0040FF, 0x809FFF, 0x0029A6, 0x5368A6, 0x002080, 0x404E80, 0x00134D, 0x26304D, 0x000A26, 0x0A1826,
    0x0080FF, 0x80BFFF, 0x0053A6, 0x537CA6, 0x004080, 0x406080, 0x00264D, 0x26414D, 0x001326, 0x131D26,
    0x00BFFF, 0x80DFFF, 0x007CA6, 0x5391A6, 0x006080, 0x407080, 0x00334D, 0x26434D, 0x001D26, 0x132326,
    0x00FFFF, 0x80FFFF, 0x00A6A6, 0x53A6A6, 0x008080, 0x408080, 0x004D4D, 0x004D4D, 0x002626, 0x132626,
    0x00FFBF, 0x80FFDF, 0x00A67C, 0x53A691, 0x008053, 0x408070, 0x004D3A, 0x264D43, 0x00261D, 0x132621,
    0x00FF80, 0x80FFBF, 0x00A653, 0x53A67C, 0x008040, 0x408060, 0x004D26, 0x264D33, 0x002613, 0x13261D,
    0x00FF40, 0x80FF9F, 0x00A629, 0x53A668, 0x008020, 0x408050, 0x004D13, 0x264D30, 0x00260A, 0x132618,
    0x00FF00, 0x80FF80, 0x00A600, 0x53A653, 0x008000, 0x408040, 0x004D00, 0x264D26, 0x002600, 0x132613,
    0x40FF00, 0xA0FF80, 0x29A600, 0x68A653, 0x208000, 0x4D8040, 0x134D00, 0x304D26, 0x0A2600, 0x182613,
    0x80FF00, 0xBFFF80, 0x53A600, 0x7CA653, 0x408000, 0x608040, 0x264D00, 0x394D26, 0x132600, 0x1D2613,
    0xBFFF00, 0xDFFF80, 0x7CA600, 0x91A653, 0x608000, 0x708040, 0x394D00, 0x434D26, 0x1D2600, 0x212613,
    0xFFFF00, 0xFFFF80, 0xA6A600, 0xA6A653, 0x808000, 0x808040, 0x4D4D00, 0x264D26, 0x262600, 0x262613,
    0xFFBF00, 0xFFDF80, 0xA67C00, 0xA69153, 0x806000, 0x807040, 0x4D3900, 0x4D4326, 0x261D00, 0x262113,
    0xFF8000, 0xFFBF80, 0xA65300, 0xA67C53, 0x804000, 0x806040, 0x4D2600, 0x4D3926, 0x261300, 0x261D13,
    0xFF4000, 0xFF9F80, 0xA62900, 0xA66853, 0x802000, 0x804D40, 0x4D1300, 0x4D3026, 0x260A00, 0x261813,
    0xFF0000, 0xFF8080, 0xA60000, 0xA65353, 0x800000, 0x804040, 0x4D0000, 0x4D2626, 0x260000, 0x261313,
    0xFF0040, 0xFF809F, 0xA60029, 0xA65368, 0x800020, 0x80404D, 0x4D0013, 0x4D2630, 0x26000A, 0x261318,
    0xFF0080, 0xFF80BF, 0xA60053, 0xA6537C, 0x800040, 0x804060, 0x4D0026, 0x4D2639, 0x260013, 0x26131D,
    0xFF00BF, 0xFF80DF, 0xA6007C, 0xA65391, 0x800060, 0x804070, 0x4D0039, 0x4D2643, 0x26001D, 0x261321,
    0xFF00FF, 0xFF80FF, 0xA600A6, 0xA653A6, 0x800080, 0x804080, 0x4D004D, 0x4D264D, 0x260026, 0x261326,
    0xBF00FF, 0xDF80FF, 0x7C00A6, 0x9153A6, 0x600080, 0x704080, 0x39004D, 0x43264D, 0x1D0026, 0x211326,
    0x8000FF, 0xBF80FF, 0x5300A6, 0x7C53A6, 0x400080, 0x604080, 0x26004D, 0x39264D, 0x130026, 0x1B1326,
    0x4000FF, 0x9F80FF, 0x2900A6, 0x6853A6, 0x200080, 0x4D4080, 0x13004D, 0x30264D, 0x0A0026, 0x181326,
    // 250-255: greys ending in white
    0x545454, 0x767676, 0x989898, 0xBBBBBB, 0xDDDDDD, 0xFFFFFF,
};

HALVERN_API uint32_t SetDXFBackgroundColour(uint32_t colour) noexcept
{
    halvern::RenderBackground = colour;
    return colour;
}

HALVERN_API uint32_t DXFToRGB(uint32_t number) noexcept
{
    if (number < 1 || number > DXF_PALETTE_SIZE)
        return DXFColourPalette[0];
    return DXFColourPalette[number - 1];
}

HALVERN_API int32_t RGBToDXF(uint32_t colour) noexcept
{
    // An exact entry has distance 0 and the scan keeps the lowest number of equal
    // distances, so the first equal entry wins without a separate pass.
    int32_t best = 1;
    uint32_t best_distance = UINT32_MAX;
    for (int32_t number = 1; number <= DXF_PALETTE_SIZE; ++number) {
        const uint32_t distance = squared_distance(colour, DXFColourPalette[number - 1]);
        if (distance < best_distance) {
            best = number;
            best_distance = distance;
        }
    }
    return best;
}

HALVERN_API uint32_t DXFDisplayColour(int32_t number, uint32_t defaultColour) noexcept
{
    const uint32_t colour = number >= 1 && number <= DXF_PALETTE_SIZE
                                ? DXFColourPalette[number - 1]
                                : defaultColour;
    const uint32_t background = halvern::RenderBackground;
    if (!is_near(colour, background))
        return colour;
    const uint32_t sum = red_of(background) + green_of(background) + blue_of(background);
    return sum < kDarkBackgroundSum ? kWhite : kBlack;
}

} // extern "C"
