// Pens, brushes, fonts and the canvas, drawing into bitmaps.

#include "framework/graphics.h"
#include "platform/gdi_support.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

using namespace fw;

namespace {

// The stored files of the list-view and the drawings keep these ordinals.
static_assert(pmCopy == 4 && pmNotXor == 15);
static_assert(psSolid == 0 && psDot == 2 && psClear == 5);
static_assert(bsSolid == 0 && bsClear == 1);

std::unique_ptr<TBitmap> filled_bitmap(int width, int height, TColor color)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(width, height);
    bitmap->Canvas()->Brush()->SetColor(color);
    bitmap->Canvas()->FillRect(Rect(0, 0, width, height));
    return bitmap;
}

std::vector<uint32_t> pixels_of(TBitmap& bitmap)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const auto* row = static_cast<const uint32_t*>(bitmap.ScanLine(y));
        pixels.insert(pixels.end(), row, row + bitmap.Width());
    }
    return pixels;
}

// Pixels as the scan lines hold them: 0x00RRGGBB.
uint32_t pixel(TBitmap& bitmap, int x, int y)
{
    return static_cast<const uint32_t*>(bitmap.ScanLine(y))[x] & 0x00FFFFFFu;
}

}

TEST(Fonts, SizeAndHeightConvertAt96PixelsPerInch)
{
    TFont font;
    EXPECT_EQ(font.Height(), -11);
    EXPECT_EQ(font.Size(), 8);
    const struct {
        int size;
        int height;
    } cases[] = {{8, -11}, {9, -12}, {10, -13}, {12, -16}, {1, -1}};
    for (const auto& c : cases) {
        font.SetSize(c.size);
        EXPECT_EQ(font.Height(), c.height) << c.size;
        EXPECT_EQ(font.Size(), c.size) << c.size;
    }
    // A cell height (positive) reads back as a negative size.
    font.SetHeight(16);
    EXPECT_EQ(font.Size(), -12);
}

TEST(GraphicsObjects, OnChangeFiresForRealChangesAndAssignCopies)
{
    TPen pen;
    int changes = 0;
    pen.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &pen);
        ++changes;
    };
    pen.SetColor(clBlack); // unchanged
    pen.SetColor(clRed);
    pen.SetWidth(0); // taken as 1: unchanged
    pen.SetMode(pmNotXor);
    EXPECT_EQ(changes, 2);

    TPen copy;
    copy.Assign(&pen);
    EXPECT_EQ(copy.Color(), clRed);
    EXPECT_EQ(copy.Mode(), pmNotXor);

    TBrush brush;
    brush.SetStyle(bsClear);
    brush.SetColor(clRed);
    EXPECT_EQ(brush.Style(), bsSolid) << "a colour makes a clear brush solid";

    TFont font;
    TFont other;
    other.SetName(QStringLiteral("Calibri"));
    other.SetHeight(-13);
    other.SetStyle({fsBold});
    other.SetColor(clNavy);
    font.Assign(&other);
    EXPECT_EQ(font.Name(), QStringLiteral("Calibri"));
    EXPECT_EQ(font.Height(), -13);
    EXPECT_TRUE(font.Style().Contains(fsBold));
    EXPECT_EQ(font.Color(), clNavy);
    EXPECT_THROW(font.Assign(&pen), EConvertError);
}

TEST(Canvas, HandleSelectsTheCurrentPenBrushAndFont)
{
    TBitmap bitmap;
    bitmap.SetSize(8, 8);
    TCanvas* canvas = bitmap.Canvas();
    canvas->Pen()->SetColor(0x123456);
    canvas->Pen()->SetWidth(3);
    canvas->Pen()->SetMode(pmNotXor);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->Font()->SetName(QStringLiteral("Courier New"));
    canvas->Font()->SetHeight(-20);
    canvas->Font()->SetColor(clRed);

    HDC dc = canvas->Handle();
    LOGPEN pen{};
    ASSERT_EQ(GetObjectA(GetCurrentObject(dc, OBJ_PEN), sizeof pen, &pen),
              static_cast<int>(sizeof pen));
    EXPECT_EQ(pen.lopnColor, 0x123456u);
    EXPECT_EQ(pen.lopnWidth.x, 3);
    EXPECT_EQ(GetROP2(dc), R2_NOTXORPEN);
    LOGBRUSH brush{};
    ASSERT_NE(GetObjectA(GetCurrentObject(dc, OBJ_BRUSH), sizeof brush, &brush), 0);
    EXPECT_EQ(brush.lbColor, static_cast<COLORREF>(ColorToRGB(clBtnFace)));
    EXPECT_EQ(GetBkColor(dc), static_cast<COLORREF>(ColorToRGB(clBtnFace)));
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    LOGFONTA font{};
    ASSERT_NE(GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof font, &font), 0);
    EXPECT_STREQ(font.lfFaceName, "Courier New");
    EXPECT_EQ(font.lfHeight, -20);
    EXPECT_EQ(GetTextColor(dc), static_cast<COLORREF>(clRed));

    // A change shows at the next Handle.
    canvas->Pen()->SetColor(clLime);
    canvas->Brush()->SetStyle(bsClear);
    dc = canvas->Handle();
    ASSERT_NE(GetObjectA(GetCurrentObject(dc, OBJ_PEN), sizeof pen, &pen), 0);
    EXPECT_EQ(pen.lopnColor, static_cast<COLORREF>(clLime));
    ASSERT_NE(GetObjectA(GetCurrentObject(dc, OBJ_BRUSH), sizeof brush, &brush), 0);
    EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_NULL));
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
}

TEST(Canvas, FreesEveryObjectItMade)
{
    const size_t before = platform_gdi_object_count();
    {
        TBitmap bitmap;
        bitmap.SetSize(10, 10);
        TCanvas* canvas = bitmap.Canvas();
        for (int i = 0; i < 5; ++i) {
            canvas->Pen()->SetColor(i);
            canvas->Brush()->SetColor(i);
            canvas->Font()->SetHeight(-10 - i);
            canvas->Rectangle(0, 0, 5, 5);
            canvas->TextOut(0, 0, QStringLiteral("x"));
        }
        bitmap.SetSize(20, 5);
        bitmap.SetSize(0, 0);
        bitmap.SetSize(3, 3);
        canvas->FillRect(Rect(0, 0, 3, 3));
    }
    EXPECT_EQ(platform_gdi_object_count(), before);
}

TEST(Canvas, ANotXorDottedLineDrawnTwiceLeavesNoTrace)
{
    auto bitmap = filled_bitmap(40, 30, 0x204060);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Pen()->SetColor(clWhite);
    canvas->Brush()->SetColor(clRed);
    canvas->Rectangle(5, 5, 20, 20);
    const std::vector<uint32_t> before = pixels_of(*bitmap);

    canvas->Pen()->SetColor(0x909090);
    canvas->Pen()->SetStyle(psDot);
    canvas->Pen()->SetMode(pmNotXor);
    for (int pass = 0; pass < 2; ++pass) {
        canvas->MoveTo(0, 12);
        canvas->LineTo(40, 12);
        canvas->MoveTo(12, 0);
        canvas->LineTo(12, 30);
        if (pass == 0) {
            EXPECT_NE(pixels_of(*bitmap), before);
        }
    }
    EXPECT_EQ(pixels_of(*bitmap), before);
    EXPECT_EQ(canvas->PenPos(), Point(12, 30));
}

TEST(Canvas, RectangleFramesWithThePenAndFillsWithTheBrush)
{
    auto bitmap = filled_bitmap(12, 12, clWhite);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Pen()->SetColor(clBlue);
    canvas->Brush()->SetColor(clYellow);
    canvas->Rectangle(2, 2, 8, 6);
    EXPECT_EQ(pixel(*bitmap, 2, 2), 0x0000FFu);
    EXPECT_EQ(pixel(*bitmap, 7, 5), 0x0000FFu);
    EXPECT_EQ(pixel(*bitmap, 4, 3), 0xFFFF00u);
    EXPECT_EQ(pixel(*bitmap, 8, 5), 0xFFFFFFu) << "right edge is exclusive";
    EXPECT_EQ(pixel(*bitmap, 7, 6), 0xFFFFFFu) << "bottom edge is exclusive";

    // A clear brush leaves the inside; FrameRect uses the brush's colour.
    canvas->Brush()->SetStyle(bsClear);
    canvas->Pen()->SetColor(clRed);
    canvas->Rectangle(2, 2, 8, 6);
    EXPECT_EQ(pixel(*bitmap, 4, 3), 0xFFFF00u);
    EXPECT_EQ(pixel(*bitmap, 2, 3), 0xFF0000u);
    canvas->Brush()->SetColor(clLime);
    canvas->FrameRect(Rect(0, 8, 4, 12));
    EXPECT_EQ(pixel(*bitmap, 0, 8), 0x00FF00u);
    EXPECT_EQ(pixel(*bitmap, 3, 11), 0x00FF00u);
    EXPECT_EQ(pixel(*bitmap, 1, 9), 0xFFFFFFu);

    canvas->RoundRect(5, 7, 12, 12, 4, 4);
    EXPECT_EQ(pixel(*bitmap, 8, 9), 0x00FF00u) << "filled with the brush";
    EXPECT_EQ(pixel(*bitmap, 8, 7), 0xFF0000u) << "outlined with the pen";
}

TEST(Canvas, FocusRectangleDrawnTwiceIsGone)
{
    auto bitmap = filled_bitmap(20, 20, 0x336699);
    const std::vector<uint32_t> before = pixels_of(*bitmap);
    bitmap->Canvas()->DrawFocusRect(Rect(2, 3, 17, 15));
    EXPECT_NE(pixels_of(*bitmap), before);
    bitmap->Canvas()->DrawFocusRect(Rect(2, 3, 17, 15));
    EXPECT_EQ(pixels_of(*bitmap), before);
}

TEST(Canvas, TextOutDrawsInTheFontColourAndMovesThePen)
{
    auto bitmap = filled_bitmap(120, 40, clWhite);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Font()->SetColor(clRed);
    canvas->Font()->SetHeight(-16);
    canvas->Brush()->SetStyle(bsClear);
    const TSize extent = canvas->TextExtent(QStringLiteral("Hello"));
    EXPECT_GT(extent.cx, 10);
    EXPECT_GT(extent.cy, 10);
    EXPECT_EQ(canvas->TextWidth(QStringLiteral("Hello")), extent.cx);
    canvas->TextOut(4, 4, QStringLiteral("Hello"));
    EXPECT_EQ(canvas->PenPos(), Point(4 + extent.cx, 4));
    int red = 0;
    int outside = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) {
            const uint32_t value = pixel(*bitmap, x, y);
            if (value == 0xFF0000u)
                ++red;
            const bool in_cell = x >= 4 && x < 4 + extent.cx && y >= 4 && y < 4 + extent.cy;
            if (value != 0xFFFFFFu && !in_cell)
                ++outside;
        }
    }
    EXPECT_GT(red, 10);
    EXPECT_EQ(outside, 0);
}

// The framework's fonts label controls and are smoothed; a drawing's own font, made as
// the drawing library makes it, keeps only the text colour and the background.
TEST(Canvas, FrameworkFontsAreSmoothAndDrawingFontsExact)
{
    const auto grey_levels = [](TBitmap& bitmap) {
        int greys = 0;
        for (const uint32_t value : pixels_of(bitmap)) {
            const uint32_t level = value & 0xFFu;
            EXPECT_EQ(value & 0x00FFFFFFu, level * 0x010101u)
                << "only greys between black and white";
            if (level != 0 && level != 0xFF)
                ++greys;
        }
        return greys;
    };
    auto framework_text = filled_bitmap(120, 40, clWhite);
    TCanvas* canvas = framework_text->Canvas();
    canvas->Font()->SetColor(clBlack);
    canvas->Font()->SetHeight(-16);
    canvas->Brush()->SetStyle(bsClear);
    canvas->TextOut(4, 4, QStringLiteral("Shading"));
    EXPECT_GT(grey_levels(*framework_text), 10);

    auto drawing_text = filled_bitmap(120, 40, clWhite);
    LOGFONTA record{};
    record.lfHeight = -16;
    record.lfQuality = DRAFT_QUALITY;
    std::strcpy(record.lfFaceName, "Arial");
    HFONT font = CreateFontIndirectA(&record);
    ASSERT_NE(font, nullptr);
    HDC dc = drawing_text->Canvas()->Handle();
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    EXPECT_TRUE(TextOutA(dc, 4, 4, "Shading", 7));
    SelectObject(dc, old);
    DeleteObject(font);
    EXPECT_EQ(grey_levels(*drawing_text), 0);
    EXPECT_NE(pixels_of(*drawing_text), pixels_of(*filled_bitmap(120, 40, clWhite)))
        << "the text was drawn";
}

TEST(Canvas, TextRectDrawsOnlyInsideItsRectangle)
{
    auto bitmap = filled_bitmap(100, 40, clWhite);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Font()->SetColor(clBlack);
    canvas->Font()->SetHeight(-24);
    canvas->Brush()->SetColor(clYellow);
    const TRect box = Rect(10, 5, 30, 20);
    canvas->TextRect(box, 6, 2, QStringLiteral("WWWW"));
    int black = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 100; ++x) {
            const uint32_t value = pixel(*bitmap, x, y);
            if (!box.Contains(Point(x, y)))
                EXPECT_EQ(value, 0xFFFFFFu) << x << "," << y;
            else if (value == 0)
                ++black;
        }
    }
    EXPECT_GT(black, 0);
    EXPECT_EQ(pixel(*bitmap, 29, 19), 0xFFFF00u) << "an opaque brush fills the rectangle";
}

TEST(Canvas, ClipRectAndPixels)
{
    auto bitmap = filled_bitmap(33, 17, clWhite);
    TCanvas* canvas = bitmap->Canvas();
    EXPECT_EQ(canvas->ClipRect(), Rect(0, 0, 33, 17));
    canvas->SetPixels(3, 4, 0x0080FF);
    EXPECT_EQ(canvas->Pixels(3, 4), 0x0080FF);
    EXPECT_EQ(pixel(*bitmap, 3, 4), 0xFF8000u);
    EXPECT_EQ(canvas->Pixels(40, 4), clNone);
}

TEST(Canvas, WithoutADcItRefusesToDraw)
{
    TCanvas canvas;
    EXPECT_FALSE(canvas.HandleAllocated());
    EXPECT_THROW(canvas.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);

    // On a DC of its owner's, it gives the DC back without its objects.
    HDC dc = platform_create_recording_dc(10, 10);
    ASSERT_NE(dc, nullptr);
    const HGDIOBJ stock_pen = GetCurrentObject(dc, OBJ_PEN);
    canvas.SetHandle(dc);
    canvas.Pen()->SetColor(clRed);
    canvas.LineTo(5, 5);
    EXPECT_NE(GetCurrentObject(dc, OBJ_PEN), stock_pen);
    canvas.SetHandle(nullptr);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
    DeleteDC(dc);
}

TEST(Canvas, LockKeepsOtherThreadsOut)
{
    TCanvas canvas;
    canvas.Lock();
    canvas.Lock();
    EXPECT_EQ(canvas.LockCount(), 2);
    std::atomic<bool> other_got_it{true};
    std::thread([&] { other_got_it = canvas.TryLock(); }).join();
    EXPECT_FALSE(other_got_it);
    canvas.Unlock();
    canvas.Unlock();
    EXPECT_EQ(canvas.LockCount(), 0);
    std::thread([&] {
        other_got_it = canvas.TryLock();
        if (other_got_it)
            canvas.Unlock();
    }).join();
    EXPECT_TRUE(other_got_it);
}

TEST(Canvas, DrawsThroughTheWindowOriginOfItsDc)
{
    // The list view scrolls by moving its canvas's window origin: everything the canvas
    // draws and reports is then in the moved (logical) coordinates.
    auto bitmap = filled_bitmap(40, 30, clWhite);
    TCanvas* canvas = bitmap->Canvas();
    SetWindowOrgEx(canvas->Handle(), 10, 20, nullptr);
    EXPECT_EQ(canvas->ClipRect(), Rect(10, 20, 50, 50));
    canvas->Brush()->SetColor(clRed);
    canvas->FillRect(Rect(10, 20, 15, 25));
    EXPECT_EQ(pixel(*bitmap, 0, 0), 0xFF0000u);
    EXPECT_EQ(pixel(*bitmap, 5, 5), 0xFFFFFFu);
    EXPECT_EQ(canvas->Pixels(14, 24), clRed);
    canvas->Pen()->SetColor(clBlue);
    canvas->MoveTo(12, 28);
    canvas->LineTo(20, 28);
    EXPECT_EQ(canvas->PenPos(), Point(20, 28));
    EXPECT_EQ(pixel(*bitmap, 2, 8), 0x0000FFu);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetColor(clBlack);
    canvas->TextRect(Rect(30, 30, 45, 45), 30, 30, QStringLiteral("W"));
    bool inked = false;
    for (int y = 10; y < 25; ++y) {
        for (int x = 20; x < 35; ++x)
            inked = inked || pixel(*bitmap, x, y) == 0;
    }
    EXPECT_TRUE(inked) << "text inside the moved rectangle";
}
