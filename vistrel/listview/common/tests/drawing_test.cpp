#include "listview/common/check_bound_manager.h"
#include "listview/common/common_units.h"
#include "listview/common/drawing.h"

#include "framework/graphics.h"

#include <gtest/gtest.h>

#include <set>

using namespace vistrel::listview;

namespace {

// A white bitmap to draw on; pixels read back as TColor values.
class Drawing : public testing::Test {
protected:
    Drawing()
    {
        m_bitmap.SetPixelFormat(fw::pf32bit);
        m_bitmap.SetSize(40, 20);
        canvas()->Brush()->SetColor(fw::clWhite);
        canvas()->FillRect(fw::Rect(0, 0, 40, 20));
    }
    fw::TCanvas* canvas() { return m_bitmap.Canvas(); }
    fw::TColor at(int x, int y) { return canvas()->Pixels(x, y); }

    TLqCommonUnitsScope m_units;
    fw::TBitmap m_bitmap;
};

constexpr fw::TColor kFace = 0x00FFFFFF;
constexpr fw::TColor kFaceAlt = 0x00C0C0C0;
constexpr fw::TColor kEdge1 = 0x00000080;
constexpr fw::TColor kEdge2 = 0x00008000;
constexpr fw::TColor kEdge3 = 0x00800000;
constexpr fw::TColor kEdge4 = 0x00808000;

}

TEST_F(Drawing, GradientRowsRunFromTheStartToTheEndColour)
{
    canvas()->Pen()->SetColor(0x00123456);
    FillGradientRows(2, 1, 6, 5, fw::clBlack, fw::clWhite, 0, 100, canvas());
    // 255 / 4 per row, rounded halves to even: 63.75, 127.5, 191.25.
    const int expected[] = {0, 64, 128, 191, 255};
    for (int row = 0; row < 5; ++row) {
        SCOPED_TRACE(row);
        const fw::TColor colour = expected[row] * 0x010101;
        EXPECT_EQ(at(2, 1 + row), colour);
        EXPECT_EQ(at(5, 1 + row), colour);
        EXPECT_EQ(at(6, 1 + row), fw::clWhite) << "the line leaves out its end";
    }
    EXPECT_EQ(canvas()->Brush()->Color(), 0x00123456) << "the brush takes the pen colour of before";
    EXPECT_EQ(canvas()->Pen()->Color(), fw::clWhite) << "the pen keeps the last row's colour";
}

TEST_F(Drawing, GradientRowsKeepToTheClipRowsAndASingleRowTakesTheStartColour)
{
    FillGradientRows(0, 0, 10, 9, fw::clBlack, fw::clWhite, 3, 4, canvas());
    for (int y = 0; y < 10; ++y)
        EXPECT_EQ(at(0, y) != fw::clWhite, y == 3 || y == 4) << y;

    FillGradientRows(0, 12, 10, 19, fw::clBlack, fw::clBlack, 0, 0, canvas());
    EXPECT_EQ(at(0, 12), fw::clWhite) << "no clip bottom: nothing is drawn";

    FillGradientRows(0, 15, 10, 15, 0x00336699, fw::clWhite, 0, 100, canvas());
    EXPECT_EQ(at(0, 15), 0x00336699);
    FillGradientRows(0, 16, 10, 16, fw::clBtnFace, fw::clBlack, 0, 100, canvas());
    EXPECT_EQ(at(0, 16), fw::ColorToRGB(fw::clBtnFace)) << "system colours are resolved";
}

TEST_F(Drawing, CheckBoxGlyphsPaintSixLayersInTheirColours)
{
    const int n = GlyphFontCellSize(8).Right;
    ASSERT_EQ(n, 11);
    DrawCheckBoxGlyphs(canvas(), fw::Point(3, 4), 8, kFace, kFaceAlt, kEdge1, kEdge2, kEdge3,
                       kEdge4, true, true, false);
    EXPECT_EQ(at(3, 4), kEdge1);
    EXPECT_EQ(at(3 + n - 1, 4 + n - 1), kEdge2);
    EXPECT_EQ(at(3 + n - 1, 4), kEdge2);
    EXPECT_EQ(at(4, 5), kEdge3);
    EXPECT_EQ(at(3 + n - 2, 4 + n - 2), kEdge4);
    EXPECT_EQ(at(2, 4), fw::clWhite) << "nothing outside the cell";
    EXPECT_EQ(at(3 + n, 4), fw::clWhite);
    std::set<fw::TColor> inside;
    for (int y = 6; y < 4 + n - 2; ++y)
        for (int x = 5; x < 3 + n - 2; ++x)
            inside.insert(at(x, y));
    EXPECT_EQ(inside, (std::set<fw::TColor>{kFace, fw::clBlack})) << "face and mark";
    EXPECT_EQ(canvas()->Brush()->Style(), fw::bsClear);

    // Unchecked on the other face; a disabled mark in the button-shadow colour.
    DrawCheckBoxGlyphs(canvas(), fw::Point(20, 4), 8, kFace, kFaceAlt, kEdge1, kEdge2, kEdge3,
                       kEdge4, false, true, true);
    EXPECT_EQ(at(20 + n / 2, 4 + n / 2), kFaceAlt);
    DrawCheckBoxGlyphs(canvas(), fw::Point(20, 4), 8, kFace, kFaceAlt, kEdge1, kEdge2, kEdge3,
                       kEdge4, true, false, false);
    int shadow = 0;
    for (int y = 4; y < 4 + n; ++y)
        for (int x = 20; x < 20 + n; ++x)
            shadow += at(x, y) == fw::ColorToRGB(fw::clBtnShadow) ? 1 : 0;
    EXPECT_GT(shadow, 0);
}

TEST_F(Drawing, RadioButtonGlyphsAreRoundAndLeaveTheCorners)
{
    const int n = GlyphFontCellSize(8).Right;
    DrawRadioButtonGlyphs(canvas(), fw::Point(0, 0), 8, kFace, kFaceAlt, kEdge1, kEdge2, kEdge3,
                          kEdge4, true, true, false);
    EXPECT_EQ(at(0, 0), fw::clWhite);
    EXPECT_EQ(at(n - 1, n - 1), fw::clWhite);
    EXPECT_EQ(at(n / 2, n / 2), fw::clBlack) << "the dot";
    EXPECT_EQ(at(n / 2, 0), kEdge1) << "outer upper arc";
    EXPECT_EQ(at(n / 2, n - 1), kEdge2) << "outer lower arc";
    EXPECT_EQ(at(n / 2, 1), kEdge3);
    EXPECT_EQ(at(n / 2, n - 2), kEdge4);
    EXPECT_EQ(at(n / 2, 3), kFace);
}

TEST(CheckBoundManager, MeasuresEachSizeOnce)
{
    TLqCommonCheckBoundManager manager;
    EXPECT_EQ(manager.CheckBound(8), GlyphFontCellSize(8));
    EXPECT_EQ(manager.CheckBound(8), GlyphFontCellSize(8));
    EXPECT_EQ(manager.Count(), 1);
    EXPECT_EQ(manager.CheckBound(10), GlyphFontCellSize(10));
    ASSERT_EQ(manager.Count(), 2);
    EXPECT_EQ(manager.GetBound(1)->Size(), 10);
    EXPECT_EQ(manager.FindBound(8), manager.GetBound(0));
    EXPECT_EQ(manager.FindBound(9), nullptr);
    EXPECT_THROW(manager.GetBound(2), fw::EListError);
    manager.Clear();
    EXPECT_EQ(manager.Count(), 0);
    // Larger fonts give larger cells, and the smallest stays usable.
    EXPECT_GT(GlyphFontCellSize(12).Right, GlyphFontCellSize(8).Right);
    EXPECT_EQ(GlyphFontCellSize(0), fw::Rect(0, 0, 6, 6));
}
