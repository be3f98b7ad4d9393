// The DXF colour palette: numbers to colours, colours to the nearest number, and the
// contrast rule against the background.
#include <gtest/gtest.h>

#include <cstdint>

#include "render/render_state.h"
#include "halvern/palette.h"

namespace {

TEST(Palette, NumbersMapToTheirEntryAndEverythingElseToRed)
{
    struct Row {
        uint32_t number;
        uint32_t colour;
    };
    const Row rows[] = {
        {1, 0x0000FF},   {2, 0x00FFFF},   {7, 0xFFFFFF},   {8, 0x808080},
        {10, 0x0000FF},  {98, 0x002600},  {249, 0x181326}, {250, 0x545454},
        {255, 0xFFFFFF}, {0, 0x0000FF},   {256, 0x0000FF}, {0xFFFFFFFFu, 0x0000FF},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.number);
        EXPECT_EQ(DXFToRGB(row.number), row.colour);
    }
    EXPECT_EQ(DXFColourPalette[0], 0x0000FFu);
    EXPECT_EQ(DXFColourPalette[DXF_PALETTE_SIZE - 1], 0xFFFFFFu);
}

TEST(Palette, ColourGivesFirstEqualOrNearestNumber)
{
    struct Row {
        uint32_t colour;
        int32_t number;
        const char* why;
    };
    const Row rows[] = {
        {0xFFFFFF, 7, "white is 7 and 255: the first wins"},
        {0x0000FF, 1, "red is 1 and 10"},
        {0x808080, 8, "exact grey"},
        {0x0000FE, 1, "nearest to red"},
        {0x000000, 98, "no black entry: 98 and 178 are equally near, the lower wins"},
        {0x004D4D, 56, "56 and 57 share a value"},
        {0xFF545454, 250, "the top byte is no colour channel"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(RGBToDXF(row.colour), row.number);
    }
}

TEST(Palette, EveryEntryComesBackAsTheFirstNumberWithItsColour)
{
    for (uint32_t number = 1; number <= DXF_PALETTE_SIZE; ++number) {
        SCOPED_TRACE(number);
        const int32_t back = RGBToDXF(DXFToRGB(number));
        ASSERT_GE(back, 1);
        EXPECT_LE(static_cast<uint32_t>(back), number);
        EXPECT_EQ(DXFToRGB(static_cast<uint32_t>(back)), DXFToRGB(number));
    }
}

class DisplayColour : public ::testing::Test {
protected:
    void TearDown() override { SetDXFBackgroundColour(0); }
};

TEST_F(DisplayColour, KeepsColoursApartFromTheBackground)
{
    struct Row {
        uint32_t background;
        int32_t number;
        uint32_t fallback;
        uint32_t expected;
        const char* why;
    };
    const Row rows[] = {
        {0x000000, 250, 0x000000, 0x545454, "a dark grey stays on black"},
        {0x000000, 256, 0x050505, 0xFFFFFF, "BYLAYER takes a near-black default: white"},
        {0x000000, 0, 0x0000FF, 0x0000FF, "BYBLOCK takes the default"},
        {0x000000, -3, 0x123456, 0x123456, "negative numbers take the default"},
        {0x000000, 256, 0x090909, 0xFFFFFF, "9 in every channel is too close"},
        {0x000000, 256, 0x09090A, 0x09090A, "10 in one channel is far enough"},
        {0xFFFFFF, 7, 0x000000, 0x000000, "white on white turns black"},
        {0xFFFFFF, 1, 0x000000, 0x0000FF, "red on white stays"},
        {0x7F807F, 8, 0x000000, 0xFFFFFF, "background sum 382 is dark"},
        {0x7F8080, 8, 0x000000, 0x000000, "background sum 383 is light"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(SetDXFBackgroundColour(row.background), row.background);
        EXPECT_EQ(halvern::RenderBackground, row.background);
        EXPECT_EQ(DXFDisplayColour(row.number, row.fallback), row.expected);
    }
}

} // namespace
