// Formatted text through a recording handler whose characters are all 10 pixels wide:
// what is drawn where, in which colour and style. Heights come from the port's font.

#include "osmark/fonts.h"
#include "osmark/formatted_text.h"
#include "osmark/raster_ports.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int32_t kCharWidth = 10;

struct Drawn {
    std::string text;
    int32_t x;
    int32_t y;
    Colour pen;
    uint32_t style;
};

std::vector<Drawn> g_texts;
std::vector<std::string> g_lines;

RastPortOps recording_ops()
{
    RastPortOps ops{};
    ops.rpo_Size = sizeof(RastPortOps);
    ops.rpo_Text = [](RastPort* rp, const char* text, int32_t length) {
        const uint32_t style = rp->rp_Font != nullptr ? rp->rp_Font->tf_Style : 0;
        g_texts.push_back({std::string(text, static_cast<size_t>(length)), rp->rp_PenX, rp->rp_PenY,
                           rp->rp_APen, style});
    };
    ops.rpo_TextExtent = [](RastPort* rp, const char*, int32_t length, int32_t* size) {
        size[0] = kCharWidth * length;
        size[1] = rp->rp_Font != nullptr ? rp->rp_Font->tf_YSize : 0;
    };
    ops.rpo_Draw = [](RastPort* rp, int32_t x, int32_t y) {
        g_lines.push_back(std::to_string(rp->rp_PenX) + "," + std::to_string(rp->rp_PenY) + "-" +
                          std::to_string(x) + "," + std::to_string(y));
    };
    return ops;
}

const RastPortOps kOps = recording_ops();
RastPortHandler g_handler = {"recording", 0, nullptr, &kOps};

class FTextTest : public testing::Test {
protected:
    FTextTest() : rp(AllocRastPort(&g_handler, nullptr, 0))
    {
        g_texts.clear();
        g_lines.clear();
        SetAPen(rp, 0x123456);
    }
    ~FTextTest() override { FreeRastPort(rp); }

    int32_t font_size() const { return GetFont(rp)->tf_YSize; }
    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (const Drawn& d : g_texts)
            result.push_back(d.text);
        return result;
    }
    void draw(const std::string& text, const RectangleBox& box, uint32_t flags = 0)
    {
        FText(rp, text.c_str(), static_cast<uint32_t>(text.size()), &box, flags);
    }

    RastPort* rp;
};

}

TEST_F(FTextTest, ConversionOfCaretsTildesAndCarriageReturns)
{
    const RectangleBox box{0, 0, 300, 200};
    draw("A^B", box);
    ASSERT_EQ(texts(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(g_texts[1].y - g_texts[0].y, font_size() + rp->rp_LineSpacing);
    g_texts.clear();
    draw("A^B", box, FT_NOCONVERT);
    EXPECT_EQ(texts(), (std::vector<std::string>{"A^B"}));

    g_texts.clear();
    draw("~4red~Xrest ~q~~ ab\r~", box);
    ASSERT_EQ(texts(), (std::vector<std::string>{"red", "rest q~ ab"}));
    EXPECT_EQ(g_texts[0].pen, 0x0000A0u);
    EXPECT_EQ(g_texts[1].pen, 0x123456u);
    EXPECT_EQ(g_texts[1].x, 30) << "after three characters";
    EXPECT_EQ(GetAPen(rp), 0x123456u) << "the A pen is restored";
    EXPECT_EQ(GetDrMd(rp), DrawModeOpaque) << "and the draw mode";
}

TEST_F(FTextTest, StylesFollowTheEscapesWhileTheyAreOn)
{
    const TextAttr plain{"Liberation Sans", 14, 0, 0, 0};
    TextFont* font = OpenFont(&plain);
    ASSERT_NE(font, nullptr);
    SetFont(rp, font);
    CloseFont(font); // the port holds it
    const RectangleBox box{0, 0, 400, 200};
    draw("a\x1b"
         "bb\x1b"
         "ic\x1b"
         "nd",
         box);
    ASSERT_EQ(texts(), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(g_texts[0].style & (FSF_BOLD | FSF_ITALIC), 0u);
    EXPECT_EQ(g_texts[1].style & (FSF_BOLD | FSF_ITALIC), FSF_BOLD);
    EXPECT_EQ(g_texts[2].style & (FSF_BOLD | FSF_ITALIC), FSF_BOLD | FSF_ITALIC);
    EXPECT_EQ(g_texts[3].style & (FSF_BOLD | FSF_ITALIC), 0u);

    g_texts.clear();
    draw("\x1b-\x1b"
         "bx\x1b+\x1b"
         "by",
         box);
    ASSERT_EQ(texts(), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(g_texts[0].style & FSF_BOLD, 0u) << "escapes are off";
    EXPECT_EQ(g_texts[1].style & FSF_BOLD, FSF_BOLD);
    EXPECT_EQ(GetFont(rp), font) << "the port's font comes back";
}

TEST_F(FTextTest, UnderlineAndStrikeLinesFollowTheRun)
{
    const RectangleBox box{0, 0, 400, 200};
    draw("\x1bua\x1bnb", box);
    const int32_t under = GetFont(rp)->tf_Ascent + 1;
    EXPECT_EQ(g_lines, (std::vector<std::string>{"0," + std::to_string(under) + "-10," +
                                                 std::to_string(under)}));
}

TEST_F(FTextTest, CuttingWithAndWithoutDots)
{
    const RectangleBox box{0, 0, 65, 100};
    draw("abcdefghij", box, FT_CLIP);
    EXPECT_EQ(texts(), (std::vector<std::string>{"abcdef"})) << "the part narrower than the box";
    g_texts.clear();
    draw("abcdefghij", box, FT_CLIP | FT_DOTS);
    EXPECT_EQ(texts(), (std::vector<std::string>{"abc", "..."}));
    g_texts.clear();
    draw("abcdefghij", box, FT_NOCONVERT | FT_DOTS | FT_VCENTRE);
    EXPECT_EQ(texts(), (std::vector<std::string>{"abcdefghij"})) << "dots need FT_CLIP";
}

TEST_F(FTextTest, AWrappedBlockIsCountedBeforeItIsCentred)
{
    const int32_t line = font_size() + rp->rp_LineSpacing;
    const RectangleBox box{0, 0, 55, 10 * line};
    draw("aaa bbb ccc", box, FT_CLIP | FT_WRAP | FT_VCENTRE);
    ASSERT_EQ(texts(), (std::vector<std::string>{"aaa", "bbb", "ccc"}));
    // Two wraps counted: the block of three lines sits in the middle.
    EXPECT_EQ(g_texts[0].y, (box.y1 - font_size() - 2 * line) / 2);
    EXPECT_EQ(g_texts[2].y - g_texts[0].y, 2 * line);
    for (const Drawn& d : g_texts)
        EXPECT_EQ(d.x, 0);
}

TEST_F(FTextTest, AlignmentFlagsAndEscapes)
{
    const RectangleBox box{10, 0, 110, 200};
    draw("ab^cdef", box, FT_RIGHT);
    ASSERT_EQ(g_texts.size(), 2u);
    EXPECT_EQ(g_texts[0].x, 90);
    EXPECT_EQ(g_texts[1].x, 70);
    g_texts.clear();
    draw("\x1b"
         "cab^cdef",
         box);
    ASSERT_EQ(g_texts.size(), 2u);
    EXPECT_EQ(g_texts[0].x, 50) << "centred without the flag";
    EXPECT_EQ(g_texts[1].x, 40) << "and so is the next line";
}

TEST_F(FTextTest, OnlyQuarterTurnsTurnTheText)
{
    const TextAttr attr{"Liberation Sans", 14, 0, 0, 0};
    TextFont* slanted = OpenRotatedFont(&attr, 450);
    TextFont* upwards = OpenRotatedFont(&attr, 900);
    ASSERT_NE(slanted, nullptr);
    ASSERT_NE(upwards, nullptr);
    ASSERT_EQ(upwards->tf_Escapement, 900);
    const RectangleBox box{20, 10, 120, 210};
    SetFont(rp, slanted);
    draw("abc", box);
    ASSERT_EQ(g_texts.size(), 1u);
    EXPECT_EQ(g_texts[0].x, 20);
    EXPECT_EQ(g_texts[0].y, 10);
    g_texts.clear();
    SetFont(rp, upwards);
    draw("abc", box);
    ASSERT_EQ(g_texts.size(), 1u);
    EXPECT_EQ(g_texts[0].x, 20) << "from the box's bottom-left corner";
    EXPECT_EQ(g_texts[0].y, 210);
    SetFont(rp, GetSystemFont());
    CloseFont(slanted);
    CloseFont(upwards);
}

TEST_F(FTextTest, SingleLineModeDrawsTheFirstLineCutToTheBox)
{
    const RectangleBox box{0, 0, 45, font_size()};
    draw("abcdefg^second", box, FT_SINGLELINE);
    EXPECT_EQ(texts(), (std::vector<std::string>{"abcd"}));
}

TEST_F(FTextTest, NothingWithoutPortTextBoxOrRoom)
{
    const RectangleBox empty{10, 10, 10, 20};
    draw("abc", empty);
    FText(nullptr, "abc", 3, &empty, 0);
    FText(rp, "abc", 3, nullptr, 0);
    SetRPLock(rp, 1);
    const RectangleBox box{0, 0, 100, 100};
    draw("abc", box);
    SetRPLock(rp, 0);
    EXPECT_TRUE(g_texts.empty());
    // Long texts are converted in memory of their own.
    const std::string long_text(2000, 'x');
    draw(long_text, RectangleBox{0, 0, 30000, 100});
    ASSERT_EQ(g_texts.size(), 1u);
    EXPECT_EQ(g_texts[0].text.size(), 2000u);
}

TEST_F(FTextTest, ExtentIsTheWidestLineAndALineHeightPerBreak)
{
    const int32_t line = font_size() + rp->rp_LineSpacing;
    int32_t extent[2] = {-1, -1};
    FTextExtent(rp, "ab^cde", 6, extent, 0);
    EXPECT_EQ(extent[0], 3 * kCharWidth);
    EXPECT_EQ(extent[1], 2 * line);
    FTextExtent(rp, "a^", 2, extent, 0);
    EXPECT_EQ(extent[0], kCharWidth);
    EXPECT_EQ(extent[1], 2 * line);
    FTextExtent(rp, "a^b", 3, extent, FT_NOCONVERT);
    EXPECT_EQ(extent[0], 3 * kCharWidth);
    EXPECT_EQ(extent[1], line);
    FTextExtent(rp, "~1ab", 4, extent, 0);
    EXPECT_EQ(extent[0], 2 * kCharWidth) << "escape pairs have no width";
    FTextExtent(rp, "abc", 0, extent, 0);
    EXPECT_EQ(extent[0], 0);
    EXPECT_EQ(extent[1], 0);
    EXPECT_TRUE(g_texts.empty());
}

TEST_F(FTextTest, FittingWithAZeroAverageWidthDoesNotDivideByZero)
{
    // A port font whose average width is 0 (as a font of blanks has): fitting guesses
    // with a width of 1 and steps to the same cut.
    TextFont* font = GetFont(rp);
    const uint16_t average = font->tf_AvgWidth;
    font->tf_AvgWidth = 0;
    const RectangleBox box{0, 0, 35, 100};
    draw("abcdef", box, FT_CLIP);
    font->tf_AvgWidth = average;
    EXPECT_EQ(texts(), (std::vector<std::string>{"abc"}));
}
