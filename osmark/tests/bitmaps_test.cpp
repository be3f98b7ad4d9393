// Bitmaps: records, pixels, copies, the dither mask and BMP files in the forms other
// programs write them.

#include "bitmap_files.h"
#include "osmark/bitmaps.h"
#include "osmark/errors.h"
#include "platform/system_metrics.h"
#include "platform/user_caret.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using bitmap_files::BmpSpec;

namespace {

struct BitMapDeleter {
    void operator()(BitMap* bitmap) const { FreeBitMap(bitmap); }
};
using BitMapPtr = std::unique_ptr<BitMap, BitMapDeleter>;

BitMapPtr load(const std::string& bytes)
{
    test_support::TempFile file("picture.bmp", bytes);
    return BitMapPtr(LoadBitMapFromFile(file.c_str()));
}

// Pixels as Colour values, top row first.
std::vector<Colour> pixels(const BitMap* bitmap)
{
    std::vector<Colour> result;
    for (int32_t y = 0; y < bitmap->bm_Height; ++y) {
        for (int32_t x = 0; x < bitmap->bm_Width; ++x)
            result.push_back(GetBitMapPixel(bitmap, x, y));
    }
    return result;
}

constexpr Colour kRed = 0x0000FF;
constexpr Colour kGreen = 0x00FF00;
constexpr Colour kBlue = 0xFF0000;
constexpr Colour kWhite = 0xFFFFFF;

}

TEST(BitMaps, AllocationRowsAndTags)
{
    BitMapPtr tiny(AllocBitMap(0, -5, nullptr));
    ASSERT_NE(tiny, nullptr);
    EXPECT_EQ(tiny->bm_Width, 1);
    EXPECT_EQ(tiny->bm_Height, 1);
    BitMapPtr mask(AllocBitMask(1, 1, nullptr));
    EXPECT_EQ(GetBitMapAttr(mask.get(), BMA_BytesPerRow), 4u);
    BitMapPtr wide(AllocBitMask(33, 3, nullptr));
    EXPECT_EQ(GetBitMapAttr(wide.get(), BMA_BytesPerRow), 8u);
    std::memset(wide->bm_Pixels, 0, 24);
    SetBitMapPixel(wide.get(), 32, 2, kWhite);
    EXPECT_EQ(static_cast<uint8_t*>(wide->bm_Pixels)[2 * 8 + 4], 0x80);
    EXPECT_EQ(RowBytesForDepth(3, 24), 12u);
    EXPECT_EQ(RowBytesForDepth(3, 7), 0u);
    EXPECT_EQ(IoErr(), IoErrWrongType);
    // A record without the tag is left alone.
    BitMap on_stack{0, 1, 1, nullptr, {'X', 'X', 'X', 'X'}};
    FreeBitMap(&on_stack);
    EXPECT_EQ(on_stack.bm_Width, 1);
}

TEST(BitMaps, PixelsSwapRedAndBlueAtTheBoundary)
{
    BitMapPtr map(AllocBitMap(4, 4, nullptr));
    static_cast<uint32_t*>(map->bm_Pixels)[0] = 0x00FF0000;
    EXPECT_EQ(GetBitMapPixel(map.get(), 0, 0), kRed);
    EXPECT_EQ(GetBitMapPixel(map.get(), 4, 0), ColourNone);
    EXPECT_EQ(SetBitMapPixel(map.get(), 1, 0, 0x80000005u), GetSysColor(5));
    EXPECT_EQ(GetBitMapPixel(map.get(), 1, 0), GetSysColor(5));
    SetBitMapPixel(map.get(), 0, 3, kGreen);
    EXPECT_EQ(BitMapTransparentColour(map.get()), kGreen);

    // The part of the rectangle inside the map moves, each pixel to its own word.
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 4; ++x)
            SetBitMapPixel(map.get(), x, y, static_cast<Colour>(y * 4 + x + 1));
    }
    std::vector<uint32_t> buffer(9, 0xDEAD);
    EXPECT_EQ(GetBitMapPixels(map.get(), 1, 1, -1, -1, buffer.data()), 4);
    EXPECT_EQ(buffer, (std::vector<uint32_t>{0xDEAD, 0xDEAD, 0xDEAD, 0xDEAD, 1, 2, 0xDEAD, 5, 6}));
}

TEST(BitMaps, CopyOfARectangle)
{
    std::vector<Colour> initial(100);
    for (size_t i = 0; i < initial.size(); ++i)
        initial[i] = static_cast<Colour>(i);
    BitMapPtr map(AllocBitMap(10, 10, initial.data()));
    const RectangleBox box{-2, -2, 5, 5};
    BitMapPtr copy(CopyBitMap(map.get(), &box));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->bm_Width, 7);
    EXPECT_EQ(copy->bm_Height, 7);
    EXPECT_EQ(GetBitMapPixel(copy.get(), 6, 6), 66u);
    EXPECT_EQ(GetBitMapPixel(copy.get(), 0, 1), 10u);
    // Nothing of the source left to copy: no copy.
    const RectangleBox beyond{12, 0, 15, 5};
    EXPECT_EQ(CopyBitMap(map.get(), &beyond), nullptr);
}

TEST(BitMaps, DitherMaskSetsPixelsBelowTheThreshold)
{
    BitMapPtr half(AllocDitheredBitMask(128, 16, 8));
    int set = 0;
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 16; ++x) {
            set += GetBitMapPixel(half.get(), x, y) != 0 ? 1 : 0;
            EXPECT_EQ(GetBitMapPixel(half.get(), x, y), GetBitMapPixel(half.get(), x % 8, y));
        }
    }
    EXPECT_EQ(set, 64);
    // Level 2 is a quarter of a step, which rounds up: one pixel of the cell.
    BitMapPtr faint(AllocDitheredBitMask(2, 8, 8));
    std::vector<Colour> all = pixels(faint.get());
    EXPECT_EQ(std::count(all.begin(), all.end(), kWhite), 1);
    EXPECT_EQ(GetBitMapPixel(faint.get(), 0, 0), kWhite);
    BitMapPtr full(AllocDitheredBitMask(255, 9, 9));
    all = pixels(full.get());
    EXPECT_EQ(std::count(all.begin(), all.end(), kWhite), 81);
}

TEST(BmpFiles, EveryHeaderAndDepthOtherProgramsWrite)
{
    // A 2 x 2 picture: top row red, green; bottom row blue, white.
    const std::vector<Colour> expected = {kRed, kGreen, kBlue, kWhite};
    const std::vector<uint32_t> table = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    struct Case {
        const char* name;
        BmpSpec spec;
    };
    std::vector<Case> cases;
    {
        BmpSpec s;
        s.bits = 24;
        s.rows = {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
        cases.push_back({"24-bit", s});
        BmpSpec core = s;
        core.header_size = 12;
        cases.push_back({"24-bit core header", core});
        BmpSpec top = s;
        top.height = -2;
        top.rows = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
        cases.push_back({"24-bit top-down", top});
        BmpSpec gap = s;
        gap.gap = 6;
        cases.push_back({"24-bit with a gap before the pixels", gap});
    }
    {
        BmpSpec s;
        s.bits = 8;
        s.colours_used = 4;
        s.table = table;
        s.rows = {2, 3, 0, 0, 0, 1, 0, 0};
        cases.push_back({"8-bit, 4 colours used", s});
        BmpSpec core = s;
        core.header_size = 12;
        core.colours_used = 0;
        core.table.resize(256, 0);
        cases.push_back({"8-bit core header", core});
        BmpSpec four = s;
        four.bits = 4;
        four.colours_used = 0;
        four.table.resize(16, 0);
        four.rows = {0x23, 0, 0, 0, 0x01, 0, 0, 0};
        cases.push_back({"4-bit", four});
    }
    {
        BmpSpec s;
        s.bits = 32;
        s.rows = {255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 0, 255, 0, 0};
        cases.push_back({"32-bit", s});
        BmpSpec fields = s;
        fields.compression = 3;
        fields.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
        cases.push_back({"32-bit bit fields", fields});
        BmpSpec sixteen;
        sixteen.bits = 16;
        sixteen.compression = 3;
        sixteen.masks = {0xF800, 0x07E0, 0x001F};
        sixteen.rows = {0x1F, 0x00, 0xFF, 0xFF, 0x00, 0xF8, 0xE0, 0x07};
        cases.push_back({"16-bit 5-6-5", sixteen});
        BmpSpec plain16 = sixteen;
        plain16.compression = 0;
        plain16.masks.clear();
        plain16.rows = {0x1F, 0x00, 0xFF, 0x7F, 0x00, 0x7C, 0xE0, 0x03};
        cases.push_back({"16-bit 5-5-5", plain16});
    }
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        BitMapPtr bitmap = load(bitmap_files::bmp(test.spec));
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->bm_Flags, 0u);
        EXPECT_EQ(pixels(bitmap.get()), expected);
        // The fourth byte of a map made from fewer bits is 0.
        EXPECT_EQ(static_cast<uint32_t*>(bitmap->bm_Pixels)[0] >> 24, 0u);
    }
}

TEST(BmpFiles, OneBitFilesLoadAsMasksAndMasksSaveWithTheirTable)
{
    BmpSpec s;
    s.bits = 1;
    s.width = 3;
    s.table = {0x000000, 0xFFFFFF};
    s.rows = {0xA0, 0, 0, 0, 0x40, 0, 0, 0}; // bottom row: 1 0 1; top row: 0 1 0
    BitMapPtr mask = load(bitmap_files::bmp(s));
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->bm_Flags, BMF_MASK);
    EXPECT_EQ(pixels(mask.get()), (std::vector<Colour>{0, kWhite, 0, kWhite, 0, kWhite}));

    test_support::TempFile saved("mask.bmp");
    ASSERT_EQ(SaveBitMapToFile(saved.c_str(), mask.get()), 1);
    const std::string bytes = saved.text();
    ASSERT_GE(bytes.size(), 62u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[10]), 62);
    EXPECT_EQ(bytes.substr(54, 8), std::string("\0\0\0\0\xFF\xFF\xFF\0", 8));
    BitMapPtr again(LoadBitMapFromFile(saved.c_str()));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(pixels(again.get()), pixels(mask.get()));
}

TEST(BmpFiles, ColourMapsRoundTrip)
{
    const std::vector<Colour> colours = {kRed, kGreen, kBlue, 0x123456, 0x654321, 0};
    BitMapPtr map(AllocBitMap(3, 2, colours.data()));
    test_support::TempFile saved("map.bmp");
    ASSERT_EQ(SaveBitMapToFile(saved.c_str(), map.get()), 1);
    EXPECT_EQ(saved.text().size(), 14u + 40u + 24u);
    BitMapPtr again(LoadBitMapFromFile(saved.c_str()));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(pixels(again.get()), colours);
}

TEST(BmpFiles, BadFilesGiveNull)
{
    BmpSpec good;
    good.bits = 24;
    good.rows.assign(16, 0);
    ASSERT_NE(load(bitmap_files::bmp(good)), nullptr);
    std::vector<std::pair<const char*, std::string>> bad;
    auto with = [&](const char* name, auto change) {
        BmpSpec spec = good;
        change(spec);
        bad.emplace_back(name, bitmap_files::bmp(spec));
    };
    with("header of 108 bytes", [](BmpSpec& s) { s.header_size = 108; });
    with("pixel data inside the header", [](BmpSpec& s) { s.offset_shift = -2; });
    with("short pixel data", [](BmpSpec& s) { s.rows.resize(10); });
    with("RLE", [](BmpSpec& s) {
        s.bits = 8;
        s.compression = 1;
    });
    with("zero width", [](BmpSpec& s) { s.width = 0; });
    with("huge", [](BmpSpec& s) {
        s.width = 0x7FFFFFFF;
        s.height = 0x7FFFFFFF;
    });
    with("most negative height", [](BmpSpec& s) { s.height = INT32_MIN; });
    with("3 bits per pixel", [](BmpSpec& s) { s.bits = 3; });
    with("pixel data offset past the end", [](BmpSpec& s) { s.offset_shift = 1000; });
    with("bit fields on 24 bits", [](BmpSpec& s) { s.compression = 3; });
    bad.emplace_back("not BM", "XM" + bitmap_files::bmp(good).substr(2));
    bad.emplace_back("truncated header", bitmap_files::bmp(good).substr(0, 30));
    for (const auto& [name, bytes] : bad) {
        SCOPED_TRACE(name);
        EXPECT_EQ(load(bytes), nullptr);
    }
    // A colour count beyond 256 keeps 256 entries and skips the rest.
    BmpSpec many;
    many.bits = 8;
    many.colours_used = 300;
    many.table.assign(300, 0x0000FF);
    many.rows.assign(8, 0);
    BitMapPtr blue = load(bitmap_files::bmp(many));
    ASSERT_NE(blue, nullptr);
    EXPECT_EQ(GetBitMapPixel(blue.get(), 0, 0), kBlue);
}

TEST(BitMapResources, LoadedFromWhatAModuleRegistered)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info{};
    info.header = {sizeof(BITMAPINFOHEADER), 3, -1, 1, 1, 0, 0, 0, 0, 2, 0};
    info.colours[1] = RGBQUAD{255, 255, 255, 0};
    const uint8_t row[4] = {0xA0, 0, 0, 0};
    HINSTANCE module = reinterpret_cast<HINSTANCE>(0x1234);
    ASSERT_TRUE(
        platform_register_bitmap(module, 7, reinterpret_cast<const BITMAPINFO*>(&info), row));
    BitMapPtr mask(LoadBitMapResource(module, 7));
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->bm_Flags, BMF_MASK);
    EXPECT_EQ(pixels(mask.get()), (std::vector<Colour>{kWhite, 0, kWhite}));
    EXPECT_EQ(LoadBitMapResource(module, 8), nullptr);
}
