// Bitmaps: sizes, scan lines, the 16-colour reduction, drawing (plain, stretched,
// transparent) and copies.

#include "framework/graphics.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

#include <set>

using namespace fw;

namespace {

uint32_t pixel(TBitmap& bitmap, int x, int y)
{
    return static_cast<const uint32_t*>(bitmap.ScanLine(y))[x] & 0x00FFFFFFu;
}

void set_pixel(TBitmap& bitmap, int x, int y, uint32_t value)
{
    static_cast<uint32_t*>(bitmap.ScanLine(y))[x] = value;
}

std::unique_ptr<TBitmap> filled_bitmap(int width, int height, TColor color)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(width, height);
    bitmap->Canvas()->Brush()->SetColor(color);
    bitmap->Canvas()->FillRect(Rect(0, 0, width, height));
    return bitmap;
}

}

TEST(Bitmap, SizeScanLinesAndResizing)
{
    TBitmap bitmap;
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Handle(), nullptr);
    EXPECT_THROW(bitmap.ScanLine(0), EInvalidGraphicOperation);

    bitmap.SetSize(5, 3);
    ASSERT_FALSE(bitmap.Empty());
    EXPECT_NE(bitmap.Handle(), nullptr);
    const auto* row0 = static_cast<const uint8_t*>(bitmap.ScanLine(0));
    const auto* row1 = static_cast<const uint8_t*>(bitmap.ScanLine(1));
    EXPECT_EQ(row1 - row0, 5 * 4) << "top row first, rows of 32-bit pixels";
    EXPECT_EQ(pixel(bitmap, 4, 2), 0u) << "new pixels are black";
    EXPECT_THROW(bitmap.ScanLine(3), EInvalidGraphicOperation);
    EXPECT_THROW(bitmap.ScanLine(-1), EInvalidGraphicOperation);

    // The handle is what the canvas draws on; resizing keeps the shared part.
    BITMAP record{};
    ASSERT_NE(GetObjectA(bitmap.Handle(), sizeof record, &record), 0);
    EXPECT_EQ(record.bmWidth, 5);
    EXPECT_EQ(record.bmBitsPixel, 32);
    set_pixel(bitmap, 1, 1, 0x123456);
    bitmap.Canvas()->SetPixels(4, 2, clRed);
    bitmap.SetSize(2, 4);
    EXPECT_EQ(pixel(bitmap, 1, 1), 0x123456u);
    EXPECT_EQ(pixel(bitmap, 1, 3), 0u);
    bitmap.Canvas()->SetPixels(0, 3, clBlue);
    EXPECT_EQ(pixel(bitmap, 0, 3), 0x0000FFu) << "the canvas draws on the new pixels";
    bitmap.SetWidth(0);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Handle(), nullptr);
    EXPECT_EQ(bitmap.Height(), 4) << "the other side is kept";
    bitmap.SetWidth(3);
    EXPECT_EQ(pixel(bitmap, 2, 3), 0u);
    EXPECT_THROW(bitmap.SetSize(70000, 2), EOutOfResources);
}

TEST(Bitmap, FourBitFormatMapsToTheNearestOfSixteenColours)
{
    TBitmap bitmap;
    bitmap.SetSize(6, 1);
    const struct {
        uint32_t before;
        uint32_t after;
    } cases[] = {
        {0x808080, 0x808080}, {0x7F7F7F, 0x808080}, {0xC8C8C8, 0xC0C0C0},
        {0xF0F0F0, 0xFFFFFF}, {0xE01010, 0xFF0000}, {0x102090, 0x000080},
    };
    for (int x = 0; x < 6; ++x)
        set_pixel(bitmap, x, 0, cases[x].before);
    bitmap.SetPixelFormat(pf4bit);
    EXPECT_EQ(bitmap.PixelFormat(), pf4bit);
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(pixel(bitmap, x, 0), cases[x].after) << std::hex << cases[x].before;
}

TEST(Bitmap, AGreyThumbnailSurvivesFourBitsAndDrawsBackExactly)
{
    auto thumbnail = filled_bitmap(64, 64, clWhite);
    TCanvas* canvas = thumbnail->Canvas();
    canvas->Pen()->SetColor(0x808080);
    canvas->Brush()->SetColor(0x808080);
    canvas->Rectangle(10, 10, 40, 30);
    canvas->MoveTo(0, 63);
    canvas->LineTo(63, 0);
    thumbnail->SetPixelFormat(pf4bit);

    std::set<uint32_t> colours;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            colours.insert(pixel(*thumbnail, x, y));
    EXPECT_EQ(colours, (std::set<uint32_t>{0x808080, 0xFFFFFF}));

    auto strip = filled_bitmap(100, 80, clBlack);
    strip->Canvas()->Draw(20, 10, thumbnail.get());
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(pixel(*strip, x + 20, y + 10), pixel(*thumbnail, x, y)) << x << "," << y;
    EXPECT_EQ(pixel(*strip, 19, 10), 0u);
    EXPECT_EQ(pixel(*strip, 84, 73), 0u);
}

TEST(Bitmap, StretchDrawTakesThePixelUnderEachCentre)
{
    TBitmap source;
    source.SetSize(2, 2);
    set_pixel(source, 0, 0, 0x111111);
    set_pixel(source, 1, 0, 0x222222);
    set_pixel(source, 0, 1, 0x333333);
    set_pixel(source, 1, 1, 0x444444);
    auto target = filled_bitmap(6, 6, clWhite);
    target->Canvas()->StretchDraw(Rect(1, 1, 5, 5), &source);
    const uint32_t expected[6][6] = {
        {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
        {0xFFFFFF, 0x111111, 0x111111, 0x222222, 0x222222, 0xFFFFFF},
        {0xFFFFFF, 0x111111, 0x111111, 0x222222, 0x222222, 0xFFFFFF},
        {0xFFFFFF, 0x333333, 0x333333, 0x444444, 0x444444, 0xFFFFFF},
        {0xFFFFFF, 0x333333, 0x333333, 0x444444, 0x444444, 0xFFFFFF},
        {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
    };
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(pixel(*target, x, y), expected[y][x]) << x << "," << y;

    // Shrinking picks every other pixel.
    auto small = filled_bitmap(1, 1, clWhite);
    small->Canvas()->StretchDraw(Rect(0, 0, 1, 1), target.get());
    EXPECT_EQ(pixel(*small, 0, 0), 0x444444u);
}

TEST(Bitmap, TransparentDrawLeavesTheKeyColourOut)
{
    auto sprite = filled_bitmap(3, 3, clFuchsia);
    set_pixel(*sprite, 1, 1, 0x00FF00);
    set_pixel(*sprite, 2, 0, 0x000000);
    sprite->SetTransparent(true);
    EXPECT_EQ(sprite->TransparentMode(), tmAuto);
    EXPECT_EQ(sprite->TransparentColor(), clFuchsia) << "the bottom-left pixel's";

    auto target = filled_bitmap(3, 3, 0x336699);
    target->Canvas()->Draw(0, 0, sprite.get());
    EXPECT_EQ(pixel(*target, 0, 0), 0x996633u);
    EXPECT_EQ(pixel(*target, 1, 1), 0x00FF00u);
    EXPECT_EQ(pixel(*target, 2, 0), 0x000000u) << "black is not the key";

    // A fixed colour replaces the bottom-left one.
    sprite->SetTransparentColor(clLime);
    EXPECT_EQ(sprite->TransparentMode(), tmFixed);
    auto second = filled_bitmap(3, 3, clWhite);
    second->Canvas()->Draw(0, 0, sprite.get());
    EXPECT_EQ(pixel(*second, 1, 1), 0xFFFFFFu);
    EXPECT_EQ(pixel(*second, 0, 0), 0xFF00FFu);
}

TEST(Bitmap, AssignCopiesPixelsAndSettings)
{
    auto original = filled_bitmap(4, 2, clRed);
    original->SetTransparent(true);
    original->SetTransparentColor(clRed);
    TBitmap copy;
    copy.Assign(original.get());
    EXPECT_EQ(copy.Width(), 4);
    EXPECT_EQ(copy.Height(), 2);
    EXPECT_EQ(pixel(copy, 3, 1), 0xFF0000u);
    EXPECT_TRUE(copy.Transparent());
    EXPECT_EQ(copy.TransparentColor(), clRed);
    EXPECT_EQ(copy.PixelFormat(), pf32bit);
    set_pixel(copy, 0, 0, 0);
    EXPECT_EQ(pixel(*original, 0, 0), 0xFF0000u) << "the copy has pixels of its own";
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
}

TEST(Picture, HoldsACopyAndTellsOfChanges)
{
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&](TObject*) { ++changes; };
    auto bitmap = filled_bitmap(7, 5, clGreen);
    picture.SetGraphic(bitmap.get());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(picture.Width(), 7);
    ASSERT_NE(picture.Graphic(), bitmap.get());
    picture.Bitmap()->SetSize(9, 9);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(bitmap->Width(), 7);

    TBitmap out;
    out.Assign(&picture);
    EXPECT_EQ(out.Width(), 9);
    EXPECT_THROW(picture.LoadFromFile(QStringLiteral("picture.gif")), EInvalidGraphic);
    EXPECT_EQ(picture.Width(), 9) << "a failed load keeps the picture";
}
