// Fonts and text. Metrics are never pinned: the tests measure and compare.

#include "gdi_test_support.h"

#include <clocale>
#include <cmath>
#include <cstring>
#include <string>

namespace {

using gdi_test::kWhitePixel;
using gdi_test::MemorySurface;

HFONT make_font(const char* face, LONG height, LONG escapement = 0, LONG weight = FW_NORMAL)
{
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfEscapement = escapement;
    font.lfOrientation = escapement;
    font.lfWeight = weight;
    std::strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectA(&font);
}

SIZE extent(HDC dc, const std::string& text)
{
    SIZE size{-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size));
    return size;
}

TEXTMETRICA metrics(HDC dc)
{
    TEXTMETRICA tm{};
    EXPECT_TRUE(GetTextMetricsA(dc, &tm));
    return tm;
}

class TextTest : public testing::Test {
protected:
    TextTest() : m_surface(160, 80) { m_surface.fill(kWhitePixel); }

    HDC dc() { return m_surface.dc(); }

    // Selects a font for the rest of the test; the fixture deletes it.
    void use_font(HFONT font)
    {
        ASSERT_NE(font, nullptr);
        HGDIOBJ old = SelectObject(dc(), font);
        if (m_old_font == nullptr)
            m_old_font = old;
        m_fonts.push_back(font);
    }
    ~TextTest() override
    {
        if (m_old_font != nullptr)
            SelectObject(dc(), m_old_font);
        for (HFONT font : m_fonts)
            DeleteObject(font);
    }

    MemorySurface m_surface;
    HGDIOBJ m_old_font = nullptr;
    std::vector<HFONT> m_fonts;
};

TEST_F(TextTest, ExtentGrowsWithTheString)
{
    use_font(make_font("Arial", -16));
    const TEXTMETRICA tm = metrics(dc());
    const SIZE empty = extent(dc(), "");
    EXPECT_EQ(empty.cx, 0);
    EXPECT_EQ(empty.cy, tm.tmHeight);
    LONG previous = 0;
    for (const std::string text : {"a", "ab", "abc", "abc def", "abc defghij"}) {
        SCOPED_TRACE(text);
        const SIZE size = extent(dc(), text);
        EXPECT_GT(size.cx, previous);
        EXPECT_EQ(size.cy, tm.tmHeight);
        previous = size.cx;
    }
    EXPECT_EQ(extent(dc(), "abcabc").cx, 2 * extent(dc(), "abc").cx) << "no kerning, no fractions";
    SIZE size{};
    EXPECT_FALSE(GetTextExtentPoint32A(dc(), "abc", -1, &size));
    EXPECT_FALSE(GetTextExtentPoint32A(dc(), nullptr, 3, &size));
    EXPECT_FALSE(GetTextExtentPoint32A(dc(), "abc", 3, nullptr));
}

TEST_F(TextTest, HeightsFollowWin32Signs)
{
    // A negative height is the character height: the cell less its internal leading.
    use_font(make_font("Arial", -40));
    const TEXTMETRICA character = metrics(dc());
    EXPECT_EQ(character.tmHeight - character.tmInternalLeading, 40);
    EXPECT_EQ(character.tmHeight, character.tmAscent + character.tmDescent);
    // A positive height is the cell height.
    use_font(make_font("Arial", 40));
    const TEXTMETRICA cell = metrics(dc());
    EXPECT_NEAR(cell.tmHeight, 40, 1);
    EXPECT_LT(cell.tmHeight, character.tmHeight);
    use_font(make_font("Arial", -20));
    EXPECT_LT(metrics(dc()).tmHeight, character.tmHeight);
    EXPECT_LT(extent(dc(), "Measure").cx, extent(dc(), "Measure me").cx);
}

TEST_F(TextTest, FacesResolveToMetricCompatibleFonts)
{
    use_font(make_font("Courier New", -20));
    EXPECT_EQ(extent(dc(), "iiii").cx, extent(dc(), "WWWW").cx) << "Courier New is fixed-pitch";
    EXPECT_EQ(metrics(dc()).tmPitchAndFamily & TMPF_FIXED_PITCH, 0) << "the bit marks variable pitch";
    const LONG courier = extent(dc(), "Hamburgefonstiv").cx;
    use_font(make_font("Arial", -20));
    EXPECT_LT(extent(dc(), "iiii").cx, extent(dc(), "WWWW").cx) << "Arial is proportional";
    EXPECT_NE(metrics(dc()).tmPitchAndFamily & TMPF_FIXED_PITCH, 0);
    const LONG arial = extent(dc(), "Hamburgefonstiv").cx;
    use_font(make_font("Times New Roman", -20));
    EXPECT_LT(extent(dc(), "iiii").cx, extent(dc(), "WWWW").cx);
    const LONG times = extent(dc(), "Hamburgefonstiv").cx;
    EXPECT_NE(arial, times);
    EXPECT_NE(arial, courier);
    use_font(make_font("Arial", -20, 0, FW_BOLD));
    EXPECT_GT(extent(dc(), "Hamburgefonstiv").cx, arial) << "bold is wider";
    EXPECT_EQ(metrics(dc()).tmWeight, FW_BOLD);
}

TEST_F(TextTest, DrawsInTheTextColourWithinItsCell)
{
    use_font(make_font("Arial", -24));
    SetBkMode(dc(), TRANSPARENT);
    SetTextColor(dc(), RGB(0, 0, 255));
    const TEXTMETRICA tm = metrics(dc());
    const SIZE size = extent(dc(), "Hxg");
    ASSERT_TRUE(TextOutA(dc(), 20, 10, "Hxg", 3));
    const RECT ink = m_surface.ink(kWhitePixel);
    ASSERT_LE(ink.left, ink.right) << "something was drawn";
    EXPECT_GE(ink.left, 20);
    EXPECT_LE(ink.right, 20 + size.cx);
    EXPECT_GE(ink.top, 10) << "TA_TOP: the cell starts at y";
    EXPECT_LT(ink.bottom, 10 + tm.tmHeight);
    EXPECT_GT(ink.bottom, 10 + tm.tmAscent) << "the g descends below the baseline";
    EXPECT_EQ(m_surface.count(kWhitePixel) + m_surface.count(0x0000FF), 160 * 80) << "one colour, no smoothing";
}

TEST_F(TextTest, AlignmentPlacesTheReferencePoint)
{
    use_font(make_font("Arial", -20));
    SetBkMode(dc(), TRANSPARENT);
    const TEXTMETRICA tm = metrics(dc());
    const SIZE size = extent(dc(), "HH");
    SetTextAlign(dc(), TA_RIGHT | TA_BASELINE);
    TextOutA(dc(), 100, 50, "HH", 2);
    const RECT ink = m_surface.ink(kWhitePixel);
    EXPECT_LT(ink.right, 100);
    EXPECT_GE(ink.left, 100 - size.cx);
    EXPECT_LT(ink.bottom, 50) << "H sits on the baseline";
    EXPECT_GE(ink.top, 50 - tm.tmAscent);
    m_surface.fill(kWhitePixel);
    SetTextAlign(dc(), TA_CENTER | TA_BOTTOM);
    TextOutA(dc(), 80, 60, "HH", 2);
    const RECT centred = m_surface.ink(kWhitePixel);
    EXPECT_NEAR((centred.left + centred.right) / 2.0, 80, 3);
    EXPECT_LT(centred.bottom, 60 - tm.tmDescent + 1);
}

TEST_F(TextTest, UpdateCpMovesThePositionByTheExtent)
{
    use_font(make_font("Arial", -18));
    SetBkMode(dc(), TRANSPARENT);
    SetTextAlign(dc(), TA_UPDATECP | TA_LEFT | TA_TOP);
    MoveToEx(dc(), 10, 20, nullptr);
    const SIZE first = extent(dc(), "Hello");
    ASSERT_TRUE(TextOutA(dc(), 999, 999, "Hello", 5));
    POINT position{};
    GetCurrentPositionEx(dc(), &position);
    EXPECT_EQ(position.x, 10 + first.cx);
    EXPECT_EQ(position.y, 20);
    const RECT ink = m_surface.ink(kWhitePixel);
    EXPECT_GE(ink.left, 10) << "drawn at the current position, not at (999, 999)";
    EXPECT_GE(ink.top, 20);
    const SIZE second = extent(dc(), " world");
    TextOutA(dc(), 0, 0, " world", 6);
    GetCurrentPositionEx(dc(), &position);
    EXPECT_EQ(position.x, 10 + first.cx + second.cx);

    SetTextAlign(dc(), TA_UPDATECP | TA_RIGHT);
    TextOutA(dc(), 0, 0, "Hello", 5);
    GetCurrentPositionEx(dc(), &position);
    EXPECT_EQ(position.x, 10 + second.cx) << "right-aligned text moves the position back";
}

TEST_F(TextTest, OpaqueModeFillsTheCell)
{
    use_font(make_font("Arial", -16));
    SetBkColor(dc(), RGB(0, 255, 0));
    SetTextColor(dc(), RGB(255, 0, 0));
    const SIZE size = extent(dc(), "Ab");
    TextOutA(dc(), 5, 7, "Ab", 2);
    const uint32_t green = 0x00FF00;
    EXPECT_EQ(m_surface.at(5, 7), green);
    EXPECT_EQ(m_surface.at(5 + size.cx - 1, 7 + size.cy - 1), green);
    EXPECT_EQ(m_surface.at(5 + size.cx, 7), kWhitePixel);
    EXPECT_EQ(m_surface.at(5, 7 + size.cy), kWhitePixel);
    EXPECT_GT(m_surface.count(0xFF0000), 0);
}

TEST_F(TextTest, EscapementTurnsTheText)
{
    use_font(make_font("Arial", -16, 900));
    SetBkMode(dc(), TRANSPARENT);
    SetTextAlign(dc(), TA_BASELINE | TA_UPDATECP);
    MoveToEx(dc(), 40, 75, nullptr);
    // Capitals only: nothing descends below the baseline.
    const SIZE size = extent(dc(), "UPWARD");
    TextOutA(dc(), 0, 0, "UPWARD", 6);
    const RECT ink = m_surface.ink(kWhitePixel);
    EXPECT_GT(ink.bottom - ink.top, ink.right - ink.left) << "a quarter turn stands the text up";
    EXPECT_LE(ink.bottom, 75);
    EXPECT_LT(ink.right, 40) << "the glyphs lie left of the upward baseline";
    POINT position{};
    GetCurrentPositionEx(dc(), &position);
    EXPECT_EQ(position.x, 40);
    EXPECT_EQ(position.y, 75 - size.cx) << "the position moves up the baseline";
}

TEST_F(TextTest, GlyphOutlinesMakeAPathRegion)
{
    use_font(make_font("Arial", -40));
    SetTextAlign(dc(), TA_TOP | TA_LEFT);
    const size_t live = platform_gdi_object_count();
    ASSERT_TRUE(BeginPath(dc()));
    ASSERT_TRUE(TextOutA(dc(), 10, 10, "I", 1));
    ASSERT_TRUE(EndPath(dc()));
    EXPECT_EQ(m_surface.count(kWhitePixel), 160 * 80) << "text in a path draws nothing";
    HRGN region = PathToRegion(dc());
    ASSERT_NE(region, nullptr);
    // Find the stem of the I by drawing it, then test boxes on and off it.
    TextOutA(dc(), 10, 10, "I", 1);
    const RECT ink = m_surface.ink(kWhitePixel);
    const LONG middle_x = (ink.left + ink.right) / 2;
    const LONG middle_y = (ink.top + ink.bottom) / 2;
    const RECT on{middle_x, middle_y, middle_x + 1, middle_y + 1};
    const RECT beside{ink.right + 3, ink.top, ink.right + 10, ink.bottom};
    const RECT above{ink.left, 0, ink.right + 1, ink.top - 1};
    EXPECT_TRUE(RectInRegion(region, &on));
    EXPECT_FALSE(RectInRegion(region, &beside));
    EXPECT_FALSE(RectInRegion(region, &above));
    DeleteObject(region);
    EXPECT_EQ(platform_gdi_object_count(), live);
}

TEST_F(TextTest, TheProcessLocaleStaysAsItWas)
{
    const std::string before = std::setlocale(LC_ALL, nullptr);
    use_font(make_font("Arial", -12));
    metrics(dc());
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before);
    char number[16];
    std::snprintf(number, sizeof number, "%.1f", 0.5);
    EXPECT_STREQ(number, "0.5");
}

TEST_F(TextTest, RecordingDcMeasuresWithoutASurface)
{
    HDC recording = platform_create_recording_dc(0, 0);
    HFONT font = make_font("Arial", -14);
    HGDIOBJ old = SelectObject(recording, font);
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32A(recording, "abc", 3, &size));
    EXPECT_GT(size.cx, 0);
    EXPECT_TRUE(TextOutA(recording, 1, 2, "abc", 3));
    SelectObject(recording, old);
    DeleteObject(font);
    EXPECT_EQ(gdi_test::recording_log(recording),
              "SelectObject(font \"Arial\" height=-14 width=0 escapement=0 orientation=0 weight=400 italic=0 "
              "underline=0 strikeout=0)\n"
              "GetTextExtentPoint32A(\"abc\")\n"
              "TextOutA(1, 2, \"abc\")\n"
              "SelectObject(SYSTEM_FONT)\n");
    DeleteDC(recording);
}

}
