// Open fonts: sharing by request, use counts, rotated fonts, style variants, the system
// font and the enumeration. Sizes come from the fonts themselves, never pinned.

#include "osmark/bitmaps.h"
#include "osmark/errors.h"
#include "osmark/fonts.h"
#include "osmark/raster_ports.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TextAttr request(const char* name, int16_t size, uint32_t style = 0, uint32_t flags = 0,
                 uint8_t family = 0)
{
    TextAttr attr{};
    attr.ta_Name = name;
    attr.ta_YSize = size;
    attr.ta_Style = style;
    attr.ta_Flags = flags;
    attr.ta_Family = family;
    return attr;
}

// A font opened for the test and closed at its end, however many uses it still has.
struct Opened {
    TextFont* font;
    explicit Opened(TextFont* f) : font(f) {}
    ~Opened()
    {
        while (font != nullptr && IsOpenFont(font) != 0 && font->tf_UseCount > 0 &&
               (font->tf_Flags & TFF_SYSTEMFONT) == 0)
            CloseFont(font);
    }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;
};

}

TEST(Fonts, OneRequestTwiceSharesOneFontUntilTheSecondClose)
{
    const TextAttr attr = request("Liberation Sans", 12);
    TextFont* first = OpenFont(&attr);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->tf_YSize, 12) << "a positive size is the cell height";
    TextFont* second = OpenFont(&attr);
    EXPECT_EQ(second, first);
    EXPECT_EQ(first->tf_UseCount, 2);
    CloseFont(first);
    EXPECT_EQ(IsOpenFont(first), 1);
    CloseFont(second);
    EXPECT_EQ(IsOpenFont(first), 0);
    CloseFont(first); // no longer open: ignored
}

TEST(Fonts, WhatARequestShares)
{
    const TextAttr negative = request("Liberation Sans", -12);
    Opened a(OpenFont(&negative));
    Opened b(OpenFont(&negative));
    ASSERT_NE(a.font, nullptr);
    EXPECT_NE(a.font, b.font) << "a character height never matches a cell height";

    // Character set 1 shares a font of any set; set 0 does not share set 238.
    const TextAttr central = request("Liberation Serif", 14, 0, TAF_CHARSET(238));
    Opened eastern(OpenFont(&central));
    ASSERT_NE(eastern.font, nullptr);
    ASSERT_EQ(eastern.font->tf_CharSet, 238);
    const TextAttr any = request("liberation serif", 14, 0, TAF_CHARSET(1));
    Opened shared(OpenFont(&any));
    EXPECT_EQ(shared.font, eastern.font);
    const TextAttr western = request("Liberation Serif", 14, 0, TAF_CHARSET(0));
    Opened own(OpenFont(&western));
    EXPECT_NE(own.font, eastern.font);

    // Family 0 or flag 4 matches any family; another family does not.
    const TextAttr roman = request("Liberation Serif", 14, 0, TAF_CHARSET(1), 3);
    Opened by_family(OpenFont(&roman));
    const TextAttr script = request("Liberation Serif", 14, 0, TAF_CHARSET(1), 4);
    Opened other_family(OpenFont(&script));
    EXPECT_NE(other_family.font, by_family.font);
    const TextAttr no_family = request("Liberation Serif", 14, 0, TAF_CHARSET(1) | TAF_NOFAMILY, 4);
    Opened any_family(OpenFont(&no_family));
    EXPECT_NE(any_family.font, nullptr);
}

TEST(Fonts, TheSystemFont)
{
    TextFont* system = GetSystemFont();
    ASSERT_NE(system, nullptr);
    EXPECT_NE(system->tf_Flags & TFF_SYSTEMFONT, 0u);
    const int32_t uses = system->tf_UseCount;
    EXPECT_EQ(OpenFont(nullptr), system);
    const TextAttr flagged = request("Liberation Sans", 12, 0, TAF_SYSTEMFONT);
    EXPECT_EQ(OpenFont(&flagged), system);
    EXPECT_EQ(system->tf_UseCount, uses) << "the system font is handed out without a use";

    // A new port takes the system font with a use of its own.
    BitMap* bitmap = AllocBitMap(4, 4, nullptr);
    RastPort* rp = AllocBitMapRastPort(bitmap);
    EXPECT_EQ(GetFont(rp), system);
    EXPECT_EQ(system->tf_UseCount, uses + 1);
    FreeBitMapRastPort(rp);
    FreeBitMap(bitmap);
    EXPECT_EQ(system->tf_UseCount, uses);

    // Another open font can take the flag; the former system font becomes ordinary.
    const TextAttr attr = request("DejaVu Sans", 11);
    TextFont* other = OpenFont(&attr);
    ASSERT_NE(other, nullptr);
    SetSystemFont(other);
    EXPECT_EQ(GetSystemFont(), other);
    EXPECT_EQ(system->tf_Flags & TFF_SYSTEMFONT, 0u);
    SetSystemFont(system);
    EXPECT_EQ(GetSystemFont(), system);
    CloseFont(other);
    EXPECT_EQ(IsOpenFont(other), 0);
    int32_t not_a_font = 0;
    SetSystemFont(reinterpret_cast<TextFont*>(&not_a_font));
    EXPECT_EQ(GetSystemFont(), system);
}

TEST(Fonts, RotatedFontsNormaliseTheirAngle)
{
    const TextAttr attr = request("Liberation Sans", 15);
    Opened down(OpenRotatedFont(&attr, -900));
    ASSERT_NE(down.font, nullptr);
    EXPECT_EQ(down.font->tf_Escapement, 2700);
    Opened full(OpenRotatedFont(&attr, 3600));
    ASSERT_NE(full.font, nullptr);
    EXPECT_EQ(full.font->tf_Escapement, 0);
    Opened upright(OpenFont(&attr));
    EXPECT_EQ(upright.font, full.font) << "an upright rotated font is shared with OpenFont";
    Opened again(OpenRotatedFont(&attr, 7 * 3600 - 900));
    EXPECT_EQ(again.font, down.font);
}

TEST(Fonts, SoftStylesDropUnderlineAndStrikeOut)
{
    const TextAttr underlined = request("Liberation Sans", 13, FSF_UNDERLINED);
    Opened font(OpenFont(&underlined));
    ASSERT_NE(font.font, nullptr);
    BitMap* bitmap = AllocBitMap(4, 4, nullptr);
    RastPort* rp = AllocBitMapRastPort(bitmap);
    SetFont(rp, font.font);
    Opened bold_italic(GetSoftStyle(rp, 2));
    ASSERT_NE(bold_italic.font, nullptr);
    EXPECT_EQ(bold_italic.font->tf_Style, FSF_BOLD | FSF_ITALIC);
    EXPECT_EQ(bold_italic.font->tf_YSize, font.font->tf_YSize);
    const int32_t uses = font.font->tf_UseCount;
    TextFont* itself = GetSoftStyle(rp, 7);
    EXPECT_EQ(itself, font.font);
    EXPECT_EQ(font.font->tf_UseCount, uses + 1);
    CloseFont(itself);
    EXPECT_EQ(GetSoftStyle(nullptr, 1), GetSystemFont());
    FreeBitMapRastPort(rp);
    FreeBitMap(bitmap);
}

namespace {

int32_t stop_at_third(TextAttr* attr, uint32_t kind, uintptr_t argument, void* data)
{
    auto& seen = *static_cast<std::vector<std::string>*>(data);
    EXPECT_EQ(argument, 77u);
    EXPECT_NE(kind & FONTKIND_TRUETYPE, 0u);
    seen.emplace_back(attr->ta_Name);
    return seen.size() == 3 ? 5 : 0;
}

int32_t count_fonts(TextAttr*, uint32_t, uintptr_t, void* data)
{
    ++*static_cast<int*>(data);
    return 0;
}

}

TEST(Fonts, WalkFontsStopsAtTheFirstAnswerAndReportsMissingArguments)
{
    SetIoErr(static_cast<IoErrCode>(0));
    EXPECT_EQ(WalkFonts(nullptr, nullptr, 0, nullptr, nullptr), -1);
    EXPECT_EQ(IoErr(), -4);
    std::vector<std::string> seen;
    EXPECT_EQ(WalkFonts(nullptr, nullptr, 77, stop_at_third, &seen), 5);
    EXPECT_EQ(seen.size(), 3u);
    const TextAttr arial = request("Arial", 0, 0, TAF_CHARSET(0));
    int count = 0;
    EXPECT_EQ(WalkFonts(nullptr, &arial, 0, count_fonts, &count), 0);
    EXPECT_EQ(count, 1);
}

TEST(Fonts, FontExtentMeasuresInTheFontAndLeavesTheDefaultPort)
{
    const TextAttr small_attr = request("Liberation Sans", 10);
    const TextAttr large_attr = request("Liberation Sans", 30);
    Opened small(OpenFont(&small_attr));
    Opened large(OpenFont(&large_attr));
    RastPort* rp = __GetRastPort();
    ASSERT_NE(rp, nullptr);
    TextFont* before = GetFont(rp);
    int32_t small_extent[2] = {};
    int32_t large_extent[2] = {};
    FontExtent(small.font, "Wide text", -1, small_extent);
    FontExtent(large.font, "Wide text", -1, large_extent);
    EXPECT_GT(large_extent[0], small_extent[0]);
    EXPECT_GT(large_extent[1], small_extent[1]);
    EXPECT_EQ(GetFont(rp), before);
}

TEST(Fonts, FamilyCoding)
{
    const struct {
        uint8_t code;
        uint8_t platform;
    } cases[] = {{0, 0}, {1, 48}, {2, 32}, {3, 16}, {4, 64}, {5, 80}};
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeFontFamily(c.code), c.platform);
        EXPECT_EQ(DecodeFontFamily(static_cast<uint8_t>(c.platform | 0x02)), c.code);
    }
    EXPECT_EQ(EncodeFontFamily(0x36), 0x36) << "larger values are the byte itself";
    EXPECT_EQ(DecodeFontFamily(0x60), 0);
}
