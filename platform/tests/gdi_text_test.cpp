// Fonts and text. Metrics are never pinned: the tests measure and compare.

#include "gdi_test_support.h"

#include <clocale>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

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

// Only the qualities that ask for antialiasing smooth the glyphs; their edge pixels mix
// the text colour with what lay beneath, nothing else. The records differ only in
// quality, so a realization shared across qualities shows too.
TEST_F(TextTest, AntialiasingFollowsTheQualityAsked)
{
    const struct {
        BYTE quality;
        bool smooth;
    } cases[] = {
        {DEFAULT_QUALITY, false},          {ANTIALIASED_QUALITY, true},     {DRAFT_QUALITY, false},
        {CLEARTYPE_QUALITY, true},         {NONANTIALIASED_QUALITY, false}, {PROOF_QUALITY, false},
        {CLEARTYPE_NATURAL_QUALITY, true},
    };
    constexpr uint32_t kGreen = 0x00FF00;
    constexpr uint32_t kRed = 0xFF0000;
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.quality));
        LOGFONTA record{};
        record.lfHeight = -20;
        record.lfQuality = c.quality;
        std::strncpy(record.lfFaceName, "Arial", LF_FACESIZE - 1);
        use_font(CreateFontIndirectA(&record));
        SetBkMode(dc(), TRANSPARENT);
        SetTextColor(dc(), RGB(255, 0, 0));
        m_surface.fill(kGreen);
        const TEXTMETRICA tm = metrics(dc());
        const SIZE size = extent(dc(), "Rowing");
        ASSERT_TRUE(TextOutA(dc(), 12, 30, "Rowing", 6));
        int mixed = 0;
        for (int y = 0; y < m_surface.height(); ++y) {
            for (int x = 0; x < m_surface.width(); ++x) {
                const uint32_t value = m_surface.at(x, y);
                if (value == kGreen || value == kRed)
                    continue;
                ++mixed;
                const int red = static_cast<int>(value >> 16 & 0xFF);
                const int green = static_cast<int>(value >> 8 & 0xFF);
                EXPECT_NEAR(red + green, 255, 1) << x << "," << y;
                EXPECT_EQ(value & 0xFF, 0u) << x << "," << y;
                EXPECT_TRUE(x >= 12 && x <= 12 + size.cx && y >= 30 && y < 30 + tm.tmHeight)
                    << x << "," << y;
            }
        }
        EXPECT_GT(m_surface.count(kRed), 20);
        if (c.smooth)
            EXPECT_GT(mixed, 20);
        else
            EXPECT_EQ(mixed, 0);
    }
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


// Fonts with the same record share what Qt made of it; every field that changes the
// face still gives its own metrics, and a font outlives the deletion of its twin.
TEST_F(TextTest, FontsOfOneRecordMeasureAlikeAndOthersApart)
{
    HFONT twin = make_font("Arial", -30);
    HGDIOBJ old = SelectObject(dc(), twin);
    const TEXTMETRICA twin_metrics = metrics(dc());
    const LONG twin_width = extent(dc(), "Shared").cx;
    SelectObject(dc(), old);
    DeleteObject(twin);

    use_font(make_font("Arial", -30, 900));
    const TEXTMETRICA turned = metrics(dc());
    EXPECT_EQ(std::memcmp(&turned, &twin_metrics, sizeof turned), 0) << "escapement only turns the text";
    EXPECT_EQ(extent(dc(), "Shared").cx, twin_width);

    struct Change {
        const char* what;
        LONG height;
        LONG weight;
        BYTE italic;
        const char* face;
    };
    const Change changes[] = {
        {"height", -12, FW_NORMAL, 0, "Arial"},
        {"weight", -30, FW_BOLD, 0, "Arial"},
        {"italic", -30, FW_NORMAL, 1, "Arial"},
        {"face", -30, FW_NORMAL, 0, "Courier New"},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        LOGFONTA record{};
        record.lfHeight = change.height;
        record.lfWeight = change.weight;
        record.lfItalic = change.italic;
        std::strncpy(record.lfFaceName, change.face, LF_FACESIZE - 1);
        use_font(CreateFontIndirectA(&record));
        const TEXTMETRICA other = metrics(dc());
        EXPECT_NE(std::memcmp(&other, &twin_metrics, sizeof other), 0);
        EXPECT_EQ(other.tmItalic, change.italic);
        EXPECT_EQ(other.tmWeight, change.weight);
    }
}

// Measuring a text again gives what it gave the first time, whatever was measured
// between, and a count shorter than the string measures only the counted bytes.
TEST_F(TextTest, MeasuresRepeatExactlyAndFollowTheCount)
{
    use_font(make_font("Arial", -16));
    std::vector<std::string> texts;
    for (int i = 0; i < 300; ++i)
        texts.push_back("t" + std::to_string(i * 7919 % 1000) + std::string(static_cast<size_t>(i % 5), 'W'));
    std::vector<LONG> first;
    for (const std::string& text : texts)
        first.push_back(extent(dc(), text).cx);
    for (size_t i = texts.size(); i-- > 0;) {
        SCOPED_TRACE(texts[i]);
        EXPECT_EQ(extent(dc(), texts[i]).cx, first[i]);
    }

    const LONG whole = extent(dc(), "WWWWii").cx;
    SIZE part{};
    ASSERT_TRUE(GetTextExtentPoint32A(dc(), "WWWWii", 4, &part));
    EXPECT_EQ(part.cx, extent(dc(), "WWWW").cx);
    EXPECT_LT(part.cx, whole);
    ASSERT_TRUE(GetTextExtentPoint32A(dc(), "WWWWii", 0, &part));
    EXPECT_EQ(part.cx, 0);

    // TextOutA moves the current position by the same measure.
    SetTextAlign(dc(), TA_UPDATECP);
    MoveToEx(dc(), 0, 40, nullptr);
    EXPECT_TRUE(TextOutA(dc(), 0, 0, "WWWWii", 4));
    POINT position{};
    GetCurrentPositionEx(dc(), &position);
    EXPECT_EQ(position.x, extent(dc(), "WWWW").cx);
}


// A DC draws its texts through masks that it keeps between calls: what one text drew
// must not show in the next, and a text drawn again looks as it did the first time.
TEST_F(TextTest, EachTextDrawsAsOnAFreshDc)
{
    struct Case {
        const char* first;
        LONG first_height;
        const char* second;
        LONG escapement;
    };
    const Case cases[] = {
        {"WWWWWWWW", -40, "i.i", 0},
        {"MMMM", -60, "Tarvek", 450},
        {"x", -8, "WIDE TEXT", 0},
        {"\xC3\x84rger", -30, "\xC3\x84rger", 900},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.second);
        auto draw = [&](HDC target, const char* text, LONG height, LONG escapement) {
            HFONT font = make_font("Arial", height, escapement);
            HGDIOBJ old = SelectObject(target, font);
            SetBkMode(target, TRANSPARENT);
            EXPECT_TRUE(TextOutA(target, 60, 40, text, static_cast<int>(std::strlen(text))));
            SelectObject(target, old);
            DeleteObject(font);
        };
        MemorySurface fresh(160, 80);
        fresh.fill(kWhitePixel);
        draw(fresh.dc(), c.second, -20, c.escapement);

        m_surface.fill(kWhitePixel);
        draw(dc(), c.first, c.first_height, 0);
        m_surface.fill(kWhitePixel);
        draw(dc(), c.second, -20, c.escapement);
        EXPECT_EQ(m_surface.snapshot(), fresh.snapshot());
        EXPECT_GT(160 * 80 - m_surface.count(kWhitePixel), 0) << "the text shows";
        m_surface.fill(kWhitePixel);
        draw(dc(), c.second, -20, c.escapement);
        EXPECT_EQ(m_surface.snapshot(), fresh.snapshot()) << "drawn again";
    }
}

}
