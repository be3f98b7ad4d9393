// The UTF-16 forms of text and clipboard calls, and the description of DIB sections.

#include "gdi_test_support.h"
#include "platform/clipboard.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using gdi_test::kWhitePixel;
using gdi_test::MemorySurface;

HFONT arial(LONG height)
{
    LOGFONTA font{};
    font.lfHeight = height;
    std::strcpy(font.lfFaceName, "Arial");
    return CreateFontIndirectA(&font);
}

class WideText : public testing::Test {
protected:
    WideText() : m_surface(120, 40), m_font(arial(-20)), m_old(SelectObject(dc(), m_font))
    {
        m_surface.fill(kWhitePixel);
        SetBkMode(dc(), TRANSPARENT);
    }
    ~WideText() override
    {
        SelectObject(dc(), m_old);
        DeleteObject(m_font);
    }
    HDC dc() { return m_surface.dc(); }

    MemorySurface m_surface;
    HFONT m_font;
    HGDIOBJ m_old;
};

TEST_F(WideText, MeasuresAndDrawsAsTheUtf8Calls)
{
    const std::u16string wide = u"Gr\u00fc\u00dfe \u0416";
    const std::string utf8 = "Gr\xc3\xbc\xc3\x9f"
                             "e \xd0\x96";
    SIZE from_wide{};
    SIZE from_utf8{};
    ASSERT_TRUE(
        GetTextExtentPoint32W(dc(), wide.data(), static_cast<int>(wide.size()), &from_wide));
    ASSERT_TRUE(
        GetTextExtentPoint32A(dc(), utf8.data(), static_cast<int>(utf8.size()), &from_utf8));
    EXPECT_EQ(from_wide.cx, from_utf8.cx);
    EXPECT_EQ(from_wide.cy, from_utf8.cy);
    EXPECT_GT(from_wide.cx, 0);

    ASSERT_TRUE(
        ExtTextOutW(dc(), 3, 4, 0, nullptr, wide.data(), static_cast<UINT>(wide.size()), nullptr));
    const std::vector<uint32_t> drawn = m_surface.snapshot();
    m_surface.fill(kWhitePixel);
    ASSERT_TRUE(TextOutA(dc(), 3, 4, utf8.data(), static_cast<int>(utf8.size())));
    EXPECT_EQ(drawn, m_surface.snapshot());
    EXPECT_NE(m_surface.count(kWhitePixel), 120 * 40);
}

TEST_F(WideText, ClipsToTheRectangleAndLeavesTheDCClipAsItWas)
{
    const std::u16string text = u"HHHHHHHH";
    const RECT clip{10, 0, 30, 40};
    ASSERT_TRUE(ExtTextOutW(dc(), 0, 0, ETO_CLIPPED, &clip, text.data(),
                            static_cast<UINT>(text.size()), nullptr));
    const RECT ink = m_surface.ink(kWhitePixel);
    ASSERT_LE(ink.left, ink.right) << "something was drawn";
    EXPECT_GE(ink.left, 10);
    EXPECT_LT(ink.right, 30);
    RECT box{};
    EXPECT_EQ(GetClipBox(dc(), &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 120) << "the DC's own clip came back";

    // Corners the wrong way round leave nothing to draw in.
    m_surface.fill(kWhitePixel);
    const RECT reversed{30, 0, 10, 40};
    ASSERT_TRUE(ExtTextOutW(dc(), 0, 0, ETO_CLIPPED, &reversed, text.data(),
                            static_cast<UINT>(text.size()), nullptr));
    EXPECT_EQ(m_surface.count(kWhitePixel), 120 * 40);
}

TEST_F(WideText, OpaqueFillsTheRectangleWithTheBackgroundColour)
{
    SetBkColor(dc(), RGB(0, 255, 0));
    const RECT fill{5, 5, 15, 10};
    ASSERT_TRUE(ExtTextOutW(dc(), 0, 0, ETO_OPAQUE, &fill, nullptr, 0, nullptr));
    EXPECT_EQ(m_surface.count(0x0000FF00u), 10 * 5);
    EXPECT_EQ(m_surface.at(5, 5), 0x0000FF00u);
    EXPECT_EQ(m_surface.at(15, 5), kWhitePixel);
}

TEST_F(WideText, RefusesWhatItCannotDo)
{
    const std::u16string text = u"ab";
    const INT spacing[2] = {5, 5};
    EXPECT_FALSE(ExtTextOutW(dc(), 0, 0, 0, nullptr, text.data(), 2, spacing));
    EXPECT_FALSE(ExtTextOutW(dc(), 0, 0, ETO_CLIPPED, nullptr, text.data(), 2, nullptr));
    EXPECT_FALSE(ExtTextOutW(nullptr, 0, 0, 0, nullptr, text.data(), 2, nullptr));
    SIZE size{};
    EXPECT_FALSE(GetTextExtentPoint32W(dc(), nullptr, 2, &size));
    EXPECT_TRUE(GetTextExtentPoint32W(dc(), text.data(), 0, &size));
    EXPECT_EQ(size.cx, 0);
}

TEST(DibSections, DescribeThemselvesAsTheyWereMade)
{
    struct Case {
        LONG height;
        WORD bits;
    };
    for (const Case c : {Case{3, 32}, Case{-3, 32}, Case{3, 1}}) {
        SCOPED_TRACE(c.height);
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colours[2];
        } info{};
        info.header = BITMAPINFOHEADER{
            sizeof(BITMAPINFOHEADER), 5, c.height, 1, c.bits, BI_RGB, 0, 0, 0, 0, 0};
        info.colours[1] = RGBQUAD{255, 255, 255, 0};
        void* bits = nullptr;
        const HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info),
                                                DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(bitmap, nullptr);
        DIBSECTION section{};
        ASSERT_EQ(GetObjectA(bitmap, sizeof section, &section), static_cast<int>(sizeof section));
        EXPECT_EQ(section.dsBm.bmBits, bits);
        EXPECT_EQ(section.dsBm.bmBitsPixel, c.bits);
        EXPECT_EQ(section.dsBm.bmWidth, 5);
        EXPECT_EQ(section.dsBm.bmHeight, 3);
        EXPECT_EQ(section.dsBmih.biHeight, c.height) << "the sign tells the row order";
        EXPECT_EQ(section.dsBmih.biBitCount, c.bits);
        // A smaller buffer still gets the plain record.
        BITMAP plain{};
        EXPECT_EQ(GetObjectA(bitmap, sizeof plain, &plain), static_cast<int>(sizeof plain));
        EXPECT_EQ(plain.bmBits, bits);
        DeleteObject(bitmap);
    }
    // A device-dependent bitmap has no DIB section to describe.
    const HBITMAP plain = CreateBitmap(4, 4, 1, 32, nullptr);
    DIBSECTION section{};
    EXPECT_EQ(GetObjectA(plain, sizeof section, &section), static_cast<int>(sizeof(BITMAP)));
    DeleteObject(plain);
}

TEST(ClipboardFormats, WideNamesShareTheNumbersOfTheirUtf8Forms)
{
    const UINT wide = RegisterClipboardFormatW(u"Shell IDList Array");
    EXPECT_GE(wide, 0xC000u);
    EXPECT_EQ(RegisterClipboardFormatA("shell idlist array"), wide);
    EXPECT_EQ(RegisterClipboardFormatW(u"SHELL IDLIST ARRAY"), wide);
    EXPECT_NE(RegisterClipboardFormatW(u"FileGroupDescriptorW"), wide);
    EXPECT_EQ(RegisterClipboardFormatW(u"\u00c4rger"), RegisterClipboardFormatA("\xc3\x84rger"));
    EXPECT_EQ(RegisterClipboardFormatW(nullptr), 0u);
    EXPECT_EQ(RegisterClipboardFormatW(u""), 0u);
}

}
