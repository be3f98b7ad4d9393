// Item views of the list-view control: where each view style puts an item's parts,
// how an item is hit, and what its painting leaves in the pixels of a memory bitmap.

#include "framework/classes.h"
#include "framework/controls.h"
#include "framework/graphics.h"
#include "listview/common/blending.h"
#include "listview/groups.h"
#include "listview/item_view.h"
#include "listview/items.h"
#include "listview/layout.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "listview/selection.h"
#include "listview_header_double.h"
#include "listview_test_images.h"
#include "platform/user_input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace fw;
using namespace vistrel::listview;

namespace {

// The text height of the control's font, measured on a memory canvas.
int text_height(TCustomLqListview* lv)
{
    TBitmap bitmap;
    bitmap.SetSize(1, 1);
    bitmap.Canvas()->Font()->Assign(lv->Font());
    TEXTMETRICW metrics{};
    GetTextMetricsW(bitmap.Canvas()->Handle(), &metrics);
    return metrics.tmHeight;
}

// Channel by channel as the blend of the back buffer mixes: (d * (256 - a) + s * a) / 256.
TColor blended(TColor background, TColor colour, int alpha)
{
    const uint32_t d = static_cast<uint32_t>(ColorToRGB(background));
    const uint32_t s = static_cast<uint32_t>(ColorToRGB(colour));
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t dc = (d >> shift) & 0xFF;
        const uint32_t sc = (s >> shift) & 0xFF;
        result |= ((dc * (256 - alpha) + sc * alpha) / 256) << shift;
    }
    return static_cast<TColor>(result);
}

TColor rgb(TColor colour)
{
    return ColorToRGB(colour);
}

// A film strip 400 by 150 (the viewer's control) with a window, and a white 32-bit
// back buffer of the same size to paint single items into.
class ItemViewsTest : public ::testing::Test {
protected:
    std::vector<QString> heard;
    TOwned<TLqListview> lv{new TLqListview(nullptr)};
    TBitmap back;

    void SetUp() override
    {
        lv->SetBorderStyle(bsNone);
        lv->SetBounds(0, 0, 400, 150);
        lv->SetView(elsFilmStrip);
        lv->CellSizes()->FilmStrip()->SetSize(80, 108); // the viewer's film strip
        lv->HandleNeeded();
        // The control starts without the input focus.
        ::SetFocus(nullptr);
        back.SetPixelFormat(pf32bit);
        back.SetSize(400, 150);
        back.Canvas()->Brush()->SetColor(clWhite);
        back.Canvas()->FillRect(TRect{0, 0, 400, 150});
    }
    TLqItem* add(const QString& caption)
    {
        TLqItem* item = lv->Items()->Add(nullptr);
        item->SetCaption(caption);
        return item;
    }
    TLqRectArrayObject rects_of(TLqItem* item)
    {
        TLqRectArrayObject rects;
        item->View()->ItemRectArray(item, nullptr, lv->ScratchCanvas(), QString(), rects);
        return rects;
    }
    void paint(TLqItem* item)
    {
        item->View()->Paint(item, nullptr, back.Canvas(), TRect{0, 0, 400, 150}, false);
    }
    TColor pixel(int x, int y) { return back.Canvas()->Pixels(x, y); }
    // The colour of the font the last caption was drawn or measured with.
    TColor last_text_colour = clNone;
    void listen_text()
    {
        lv->OnItemPaintText = [this](TObject*, TLqItem*, int, TCanvas* canvas) {
            heard.push_back(QStringLiteral("PaintText"));
            last_text_colour = canvas->Font()->Color();
        };
        lv->OnItemThumbnailDraw = [this](TObject*, TLqItem*, TCanvas*, const TRect&,
                                         TLqAlphaBlender*,
                                         bool&) { heard.push_back(QStringLiteral("Thumbnail")); };
    }
};

TEST_F(ItemViewsTest, EachStyleMakesItsOwnViewClassAndACustomClassReplacesIt)
{
    TLqItem* item = add(QStringLiteral("a"));
    const struct {
        TLqListStyle style;
        const char* name;
    } cases[] = {
        {elsIcon, "TLqViewIconItem"},           {elsSmallIcon, "TLqViewSmallIconItem"},
        {elsList, "TLqViewListItem"},           {elsReport, "TLqViewReportItem"},
        {elsThumbnail, "TLqViewThumbnailItem"}, {elsTile, "TLqViewTileItem"},
        {elsFilmStrip, "TLqViewFilmStripItem"}, {elsGrid, "TLqViewGridItem"},
    };
    for (const auto& c : cases) {
        lv->SetView(c.style);
        EXPECT_STREQ(item->View()->ClassType()->Name, c.name);
    }
    EXPECT_TRUE(LqViewItemClassInheritsFrom(TLqViewFilmStripItem::ClassInfo(),
                                            TLqViewThumbnailItem::ClassInfo()));
    EXPECT_TRUE(LqViewItemClassInheritsFrom(TLqViewReportItem::ClassInfo(),
                                            TLqViewSmallIconItem::ClassInfo()));
    EXPECT_FALSE(
        LqViewItemClassInheritsFrom(TLqViewTileItem::ClassInfo(), TLqViewIconItem::ClassInfo()));
    lv->SetView(elsFilmStrip);
    EXPECT_NE(dynamic_cast<TLqViewThumbnailItem*>(item->View()), nullptr);

    lv->OnItemCustomView = [](TObject*, TLqItem*, TLqListStyle, TLqViewItemClass& view) {
        view = TLqViewTileItem::ClassInfo();
    };
    EXPECT_NE(dynamic_cast<TLqViewTileItem*>(item->View()), nullptr);
}

}

namespace {

TEST_F(ItemViewsTest, AFilmStripItemLiesInItsCellByTheBorderAndTwoTextLines)
{
    TLqItem* item = add(QStringLiteral("Drawing"));
    add(QStringLiteral("Second"));
    const TRect cell = item->ViewRect();
    ASSERT_EQ(cell.Width(), 80);
    ASSERT_EQ(cell.Height(), 108);
    const int x = cell.Left;
    const int y = cell.Top;
    const int t = text_height(lv.get());
    ASSERT_GT(t, 0);
    const TLqRectArrayObject r = rects_of(item);
    EXPECT_EQ(r.BoundsRect, (TRect{x + 4, y + 4, x + 76, y + 104}));
    EXPECT_EQ(r.IconRect, (TRect{x + 4, y + 4, x + 76, y + 104 - 2 * t}));
    EXPECT_EQ(r.CheckRect, (TRect{x + 4, y + 104 - 2 * t, x + 4, y + 104}));
    EXPECT_EQ(r.LabelRect, (TRect{x + 8, y + 105 - 2 * t, x + 76, y + 104}));
    // The caption is measured centred in the label less 2 on every side: one line here.
    const TRect text_area{x + 10, y + 107 - 2 * t, x + 74, y + 102};
    EXPECT_GE(r.TextRect.Left, text_area.Left);
    EXPECT_LE(r.TextRect.Right, text_area.Right);
    EXPECT_LE(std::abs((r.TextRect.Left - text_area.Left) - (text_area.Right - r.TextRect.Right)),
              1);
    EXPECT_EQ(r.TextRect.Height(), t);
    EXPECT_EQ(r.TextRect.Top - text_area.Top, (text_area.Height() - t) / 2);
    EXPECT_EQ(r.SelectionRect, (TRect{r.TextRect.Left - 2, r.TextRect.Top - 2, r.TextRect.Right + 2,
                                      r.TextRect.Bottom + 2}));
    EXPECT_EQ(r.EditRect, r.FullTextRect);
    EXPECT_EQ(r.ClickSelectBoundsRect, LqUnion(r.IconRect, r.SelectionRect));
    EXPECT_EQ(r.DragSelectBoundsRect, r.TextRect);

    // The viewer draws its thumbnail into the image area less the border.
    TRect thumbnail{};
    lv->OnItemThumbnailDraw = [&](TObject*, TLqItem*, TCanvas*, const TRect& rect,
                                  TLqAlphaBlender* blender, bool&) {
        thumbnail = rect;
        EXPECT_NE(blender, nullptr);
    };
    paint(item);
    EXPECT_EQ(thumbnail, (TRect{x + 8, y + 8, x + 72, y + 100 - 2 * t}));
}

TEST_F(ItemViewsTest, AThumbnailWithoutCaptionGivesTheWholeBoundsToItsImage)
{
    lv->SetView(elsThumbnail);
    lv->GetPaintInfoItem()->SetHideCaption(true);
    TLqItem* item = add(QStringLiteral("Drawing"));
    const TLqRectArrayObject r = rects_of(item);
    EXPECT_EQ(r.IconRect, r.BoundsRect);
    for (const TRect& same : {r.SelectionRect, r.FullFocusSelRect, r.ClickSelectBoundsRect,
                              r.DragSelectBoundsRect, r.FocusChangeInvalidRect})
        EXPECT_EQ(same, r.IconRect);
    EXPECT_TRUE(r.TextRect.IsEmpty() && r.LabelRect.IsEmpty() && r.EditRect.IsEmpty());
    const TPoint corner{r.IconRect.Left + 1, r.IconRect.Bottom - 2};
    EXPECT_TRUE(item->SelectionHitPt(corner, eshtClickSelect)) << "a click anywhere selects";
}

TEST_F(ItemViewsTest, ADragRectangleOnTheOuterTenthOfAThumbnailSelectsNothing)
{
    TLqItem* item = add(QStringLiteral("Drawing"));
    const TRect icon = rects_of(item).IconRect;
    const int band = (icon.Width() + 5) / 10; // 10 % of the width, rounded
    const TRect outer{icon.Left, icon.Top + 20, icon.Left + band, icon.Top + 30};
    EXPECT_FALSE(item->SelectionHit(outer, eshtDragSelect));
    EXPECT_TRUE(item->SelectionHit(outer, eshtClickSelect)) << "a click takes the whole image";
    const TRect inner{icon.Left, icon.Top + 20, icon.Left + band + 1, icon.Top + 30};
    EXPECT_TRUE(item->SelectionHit(inner, eshtDragSelect));
    EXPECT_FALSE(item->SelectionHitPt(TPoint{icon.Left + band - 1, icon.Top + 25}, eshtDragSelect));
    EXPECT_TRUE(item->SelectionHitPt(TPoint{icon.Left + band, icon.Top + 25}, eshtDragSelect));

    item->SetEnabled(false);
    EXPECT_FALSE(item->SelectionHit(inner, eshtDragSelect));
    EXPECT_FALSE(item->SelectionHitPt(TPoint{icon.Left + band, icon.Top + 25}, eshtClickSelect));
    EXPECT_FALSE(item->EditAreaHitPt(
        TPoint{rects_of(item).TextRect.Left + 1, rects_of(item).TextRect.Top + 1}));
}

TEST_F(ItemViewsTest, AnIconViewCentresItsImageOverTheCaption)
{
    lv->SetView(elsIcon);
    TCustomImageList images(nullptr);
    images.SetWidth(32);
    images.SetHeight(32);
    lv->SetImagesLarge(&images);
    TLqItem* item = add(QStringLiteral("Drawing"));
    item->SetImageIndex(0);
    const TRect cell = item->ViewRect();
    ASSERT_EQ(cell.Width(), 75);
    const TLqRectArrayObject r = rects_of(item);
    EXPECT_EQ(r.IconRect, (TRect{cell.Left + 22, cell.Top + 2, cell.Left + 54, cell.Top + 38}));
    EXPECT_EQ(r.LabelRect.Top, r.IconRect.Bottom + 1);
    EXPECT_EQ(item->View()->ItemRect(item, nullptr, ertIcon), r.IconRect);
    EXPECT_EQ(item->View()->DropMarkerDir(), dmdVert);
    lv->SetImagesLarge(nullptr);
}

TEST_F(ItemViewsTest, ASmallIconItemWithoutImageStartsItsLabelAfterTheIndent)
{
    lv->SetView(elsSmallIcon);
    TLqItem* item = add(QStringLiteral("A caption far wider than the small icon cell can hold"));
    const TRect d = item->ViewRect();
    const TLqRectArrayObject r = rects_of(item);
    EXPECT_EQ(r.IconRect.Width(), 0);
    EXPECT_EQ(r.LabelRect.Left, d.Left + lv->GetPaintInfoItem()->CaptionIndent());
    // Cut to the label less 2 on each side, then moved to the label's left edge.
    EXPECT_EQ(r.TextRect.Left, r.LabelRect.Left);
    EXPECT_EQ(r.TextRect.Width(), r.LabelRect.Width() - 4);
    const int cut = (r.ClickSelectBoundsRect.Width() * 15 + 50) / 100;
    EXPECT_EQ(r.DragSelectBoundsRect.Left, r.ClickSelectBoundsRect.Left + cut);
    EXPECT_EQ(r.DragSelectBoundsRect.Right, r.ClickSelectBoundsRect.Right - cut);

    // A check box keeps its room, centred on the row; without a box type only the room.
    lv->GetPaintInfoItem()->SetCheckType(ectNoneWithSpace);
    const TLqRectArrayObject spaced = rects_of(item);
    EXPECT_GT(spaced.CheckRect.Width(), 0);
    EXPECT_EQ(spaced.CheckRect.Left, d.Left + lv->GetPaintInfoItem()->CheckIndent());
    EXPECT_EQ(spaced.CheckRect.Top, d.Top + (d.Height() - spaced.CheckRect.Height()) / 2);
    EXPECT_EQ(spaced.LabelRect.Left,
              spaced.CheckRect.Right + lv->GetPaintInfoItem()->CaptionIndent());
}

TEST_F(ItemViewsTest, OrderedSearchComparesAPointWithTheCellEdgesIncluded)
{
    TLqItem* item = add(QStringLiteral("a"));
    const TRect c = item->ViewRect();
    const struct {
        TPoint point;
        int expected;
    } cases[] = {
        {{c.Left + 5, c.Top - 1}, 1},  {{c.Left + 5, c.Bottom + 1}, -1},
        {{c.Left - 1, c.Top + 5}, 1},  {{c.Right + 1, c.Top + 5}, -1},
        {{c.Left, c.Top}, 0},          {{c.Right, c.Bottom}, 0},
        {{c.Right + 9, c.Top - 1}, 1}, {{c.Left - 9, c.Bottom + 1}, -1},
    };
    for (const auto& test : cases)
        EXPECT_EQ(item->View()->PtInRect(item, nullptr, test.point), test.expected)
            << test.point.X << "," << test.point.Y;
}

TEST_F(ItemViewsTest, AThumbnailItemRaisesPaintTextTwiceThenItsThumbnailThenPaintText)
{
    TLqItem* item = add(QStringLiteral("Drawing"));
    listen_text();
    paint(item);
    EXPECT_EQ(heard,
              (std::vector<QString>{QStringLiteral("PaintText"), QStringLiteral("PaintText"),
                                    QStringLiteral("Thumbnail"), QStringLiteral("PaintText")}));
}

TEST_F(ItemViewsTest, LoadTextFontTakesHotInactiveAndBoldStates)
{
    TLqItem* item = add(QStringLiteral("Drawing"));
    TCanvas* canvas = back.Canvas();
    lv->Font()->SetColor(clBlue);
    item->View()->LoadTextFont(item, 0, canvas, false);
    EXPECT_EQ(canvas->Font()->Color(), clBlue);
    EXPECT_EQ(canvas->Brush()->Style(), bsClear);

    lv->HotTrack()->SetEnabled(true);
    lv->HotTrack()->SetPendingObject(item);
    item->View()->LoadTextFont(item, 0, canvas, false);
    EXPECT_EQ(canvas->Font()->Color(), lv->HotTrack()->Color());
    EXPECT_TRUE(canvas->Font()->Style().Contains(fsUnderline));

    item->SetBold(true);
    lv->SetShowInactive(true);
    item->View()->LoadTextFont(item, 0, canvas, true);
    EXPECT_EQ(canvas->Font()->Color(), clGrayText);
    EXPECT_FALSE(canvas->Font()->Style().Contains(fsUnderline));
    EXPECT_TRUE(canvas->Font()->Style().Contains(fsBold));
    lv->HotTrack()->SetPendingObject(nullptr);
}

TEST_F(ItemViewsTest, TileDetailLinesStopAtTheFirstThatDoesNotFit)
{
    lv->SetView(elsTile);
    TLqItem* item = add(QStringLiteral("Name"));
    item->SetCaptions(1, QStringLiteral("Size"));
    item->SetCaptions(2, QStringLiteral("Date"));
    item->SetDetailCount(3);
    for (int line = 0; line < 3; ++line)
        item->SetDetails(line, line);
    const int t = text_height(lv.get());
    // A label between two and three lines high.
    const int label_height = 2 * t + t / 2;
    const int border = (item->ViewRect().Height() - label_height) / 2;
    ASSERT_GT(border, 0);
    lv->GetPaintInfoItem()->SetBorder(border);
    const TLqRectArrayObject r = rects_of(item);
    ASSERT_EQ(r.TextRects.size(), 2u);
    EXPECT_EQ(r.TextRects[1].Top, r.TextRects[0].Bottom);
    EXPECT_EQ(r.TextRect, LqUnion(r.TextRects[0], r.TextRects[1]));
    // Centred in the label (the paint information's vertical alignment).
    EXPECT_EQ(r.TextRect.Top - r.LabelRect.Top, (r.LabelRect.Height() - r.TextRect.Height()) / 2);
    EXPECT_EQ(r.ClickSelectBoundsRect,
              (TRect{r.IconRect.Left, r.IconRect.Top, r.TextRect.Right, r.IconRect.Bottom}));
    EXPECT_EQ(item->View()->ExpandIconR(item, r, eshtClickSelect), TRect{});
}

}

namespace {

// Painting one selected film-strip item into the back buffer.
class SelectionPaintTest : public ItemViewsTest {
protected:
    TLqItem* item = nullptr;
    TLqItem* other = nullptr;

    void SetUp() override
    {
        ItemViewsTest::SetUp();
        other = add(QStringLiteral("Other"));
        item = add(QStringLiteral("Drawing"));
        lv->Selection()->SetAlphaBlend(true);
        listen_text();
    }
    void focus_control()
    {
        lv->SetFocus();
        ASSERT_TRUE(lv->Focused());
    }
    // The pixels along the top edge of r that have the colour.
    int top_edge_count(const TRect& r, TColor colour)
    {
        int count = 0;
        for (int x = r.Left; x < r.Right; ++x)
            count += pixel(x, r.Top) == rgb(colour) ? 1 : 0;
        return count;
    }
};

TEST_F(SelectionPaintTest, ASelectedItemOfAFocusedControlIsTintedOutlinedAndFramed)
{
    focus_control();
    item->SetSelected(true);
    other->SetFocused(true);
    ASSERT_FALSE(item->Focused());
    paint(item);
    const TLqRectArrayObject r = rects_of(item);
    const TRect s = r.SelectionRect;
    // The two pixels between outline and text are the blend of the back buffer and the
    // selection colour at 128; the outline is the selection colour.
    EXPECT_EQ(pixel(s.Left + 1, s.Top + 1), blended(clWhite, clHighlight, 128));
    EXPECT_EQ(pixel(s.Left, s.Top + 1), rgb(clHighlight));
    EXPECT_EQ(pixel(s.Right - 1, s.Bottom - 2), rgb(clHighlight));
    EXPECT_EQ(pixel(s.Left - 1, s.Top + 1), rgb(clWhite)) << "nothing outside";
    EXPECT_EQ(last_text_colour, clHighlightText);
    // The image area: three frames in the selection colour.
    for (int inset = 0; inset < 3; ++inset)
        EXPECT_EQ(pixel(r.IconRect.Left + inset, r.IconRect.Top + 20), rgb(clHighlight)) << inset;
    EXPECT_EQ(pixel(r.IconRect.Left + 3, r.IconRect.Top + 20), rgb(clWhite));
}

TEST_F(SelectionPaintTest, TheFocusedItemGetsASilverOutlineAroundItsFullCaptionAndADottedFrame)
{
    focus_control();
    item->SetSelected(true);
    item->SetFocused(true);
    ASSERT_TRUE(item->Focused());
    paint(item);
    const TRect f = rects_of(item).FullFocusSelRect;
    // The outline in silver, then the focus frame inverted over it every other pixel.
    const int silver = top_edge_count(f, TColor(0xC0C0C0));
    const int inverted = top_edge_count(f, TColor(0x3F3F3F));
    EXPECT_GT(silver, f.Width() / 4);
    EXPECT_GT(inverted, f.Width() / 4);
    EXPECT_EQ(silver + inverted, f.Width());
    EXPECT_EQ(pixel(f.Left + 1, f.Top + 1), blended(clWhite, clHighlight, 128));
    EXPECT_EQ(last_text_colour, clHighlightText);
}

TEST_F(SelectionPaintTest, WithoutTheInputFocusTheSelectionTakesTheInactiveColours)
{
    item->SetSelected(true);
    item->SetFocused(true);
    ASSERT_FALSE(lv->Focused());
    paint(item);
    const TLqRectArrayObject r = rects_of(item);
    const TRect s = r.SelectionRect;
    EXPECT_EQ(pixel(s.Left + 1, s.Top + 1), blended(clWhite, clInactiveBorder, 128));
    EXPECT_EQ(top_edge_count(s, clInactiveBorder), s.Width()) << "no focus frame";
    EXPECT_EQ(last_text_colour, clBlack);
    EXPECT_EQ(pixel(r.IconRect.Left + 1, r.IconRect.Top + 20), rgb(clInactiveBorder));
}

TEST_F(SelectionPaintTest, AnUnselectedItemHasOneFrameInItsBorderColourAndNoBackground)
{
    focus_control();
    paint(item);
    const TLqRectArrayObject r = rects_of(item);
    EXPECT_EQ(pixel(r.IconRect.Left, r.IconRect.Top + 20), rgb(clHighlight));
    EXPECT_EQ(pixel(r.IconRect.Left + 1, r.IconRect.Top + 20), rgb(clWhite));
    EXPECT_EQ(pixel(r.SelectionRect.Left + 1, r.SelectionRect.Top + 1), rgb(clWhite));
    EXPECT_EQ(last_text_colour, lv->Font()->Color());
}

TEST_F(SelectionPaintTest, EachRoadOfTheSelectionLeavesItsOwnPixels)
{
    focus_control();
    item->SetSelected(true);
    other->SetFocused(true);
    TLqSelectionManager* selection = lv->Selection();
    const TRect s = rects_of(item).SelectionRect;
    const TPoint inside{s.Left + 1, s.Top + 1};
    auto repaint = [&] {
        back.Canvas()->Brush()->SetStyle(bsSolid);
        back.Canvas()->Brush()->SetColor(clWhite);
        back.Canvas()->FillRect(TRect{0, 0, 400, 150});
        paint(item);
    };
    // Gradient and alpha: 80 % gradient, 20 % background, from the top colour down.
    auto mix = [](TColor gradient, TColor background) {
        uint32_t g = static_cast<uint32_t>(ColorToRGB(gradient));
        uint32_t b = static_cast<uint32_t>(ColorToRGB(background));
        uint32_t result = 0;
        for (int shift = 0; shift < 24; shift += 8)
            result |= (((g >> shift) & 0xFF) * 80 + ((b >> shift) & 0xFF) * 20) / 100 << shift;
        return static_cast<TColor>(result);
    };

    // Solid: without alpha blending the rectangle is filled and outlined.
    selection->SetAlphaBlend(false);
    repaint();
    EXPECT_EQ(pixel(inside.X, inside.Y), rgb(clHighlight));
    // Rounded solid: the corner stays.
    selection->SetRoundRect(true);
    repaint();
    EXPECT_EQ(pixel(s.Left, s.Top), rgb(clWhite));
    EXPECT_EQ(pixel(inside.X + 2, inside.Y + 2), rgb(clHighlight));
    selection->SetRoundRect(false);

    // Gradient without alpha: row by row between the two colours, framed in the pen's
    // colour.
    selection->SetGradient(true);
    repaint();
    EXPECT_EQ(pixel(s.Left + 3, s.Top), rgb(selection->BorderColor()));
    const uint32_t top = static_cast<uint32_t>(rgb(selection->GradientColorTop()));
    const uint32_t bottom = static_cast<uint32_t>(rgb(selection->GradientColorBottom()));
    const uint32_t row = static_cast<uint32_t>(pixel(s.Left + 3, s.Top + 1));
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t c = (row >> shift) & 0xFF;
        EXPECT_LE(c, std::max((top >> shift) & 0xFF, (bottom >> shift) & 0xFF)) << shift;
        EXPECT_GE(c, std::min((top >> shift) & 0xFF, (bottom >> shift) & 0xFF)) << shift;
    }

    // Gradient with alpha: mixed into the background.
    selection->SetAlphaBlend(true);
    repaint();
    EXPECT_EQ(pixel(s.Left + 3, s.Top), mix(selection->GradientColorTop(), clWhite));
    // Blurred first: a white pixel with neighbours all round counts (8 * 255 + 127) / 9 =
    // 240, so each channel comes out 20 % of 15 darker.
    const uint32_t sharp = static_cast<uint32_t>(pixel(s.Left + 3, s.Top + 1));
    selection->SetBlurAlphaBkGnd(true);
    repaint();
    const uint32_t blurred = static_cast<uint32_t>(pixel(s.Left + 3, s.Top + 1));
    for (int shift = 0; shift < 24; shift += 8)
        EXPECT_EQ(((sharp >> shift) & 0xFF) - ((blurred >> shift) & 0xFF), 3u) << shift;
    selection->SetBlurAlphaBkGnd(false);
    selection->SetGradient(false);

    // Alpha with round corners: tinted inside a rounded region, the corner untouched.
    selection->SetRoundRect(true);
    repaint();
    EXPECT_EQ(pixel(s.Left, s.Top), rgb(clWhite));
    EXPECT_EQ(pixel(s.Left + 3, s.Top + 3), blended(clWhite, clHighlight, 128));
}

TEST_F(SelectionPaintTest, CheckBoxesArePaintedForBoxesAndRadiosButNotForTheirRoomAlone)
{
    auto non_white_in = [&](const TRect& r) {
        int count = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                count += pixel(x, y) != rgb(clWhite) ? 1 : 0;
        return count;
    };
    for (const TLqCheckType type : {ectNoneWithSpace, ectBox, ectRadio}) {
        back.Canvas()->Brush()->SetStyle(bsSolid);
        back.Canvas()->Brush()->SetColor(clWhite);
        back.Canvas()->FillRect(TRect{0, 0, 400, 150});
        lv->GetPaintInfoItem()->SetCheckType(type);
        paint(item);
        const TRect check = rects_of(item).CheckRect;
        ASSERT_GT(check.Width(), 0);
        EXPECT_EQ(non_white_in(check) > 0, type != ectNoneWithSpace) << type;
    }
}

}

namespace {

TEST_F(ItemViewsTest, ACustomImageLargerThanItsRowIsClippedToTheRowAndTheClipUndone)
{
    lv->SetView(elsSmallIcon);
    TLqItem* item = add(QStringLiteral("Drawing"));
    item->SetImageIndex(0);
    lv->OnItemImageDrawIsCustom = [](TObject*, TLqItem*, TLqColumn*, bool& is_custom) {
        is_custom = true;
    };
    lv->OnItemImageGetSize = [](TObject*, TLqItem*, TLqColumn*, int& width, int& height) {
        width = 40;
        height = 40;
    };
    TRect drawn_icon{};
    lv->OnItemImageDraw = [&](TObject*, TLqItem*, TLqColumn*, TCanvas* canvas,
                              const TLqRectArrayObject& rects, TLqAlphaBlender*) {
        drawn_icon = rects.IconRect;
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clRed);
        canvas->FillRect(TRect{0, 0, 400, 150});
    };
    paint(item);
    const TLqRectArrayObject r = rects_of(item);
    ASSERT_EQ(drawn_icon, r.IconRect);
    ASSERT_GT(r.IconRect.Bottom, r.BoundsRect.Bottom + 5);
    EXPECT_EQ(pixel(r.IconRect.Left + 5, r.BoundsRect.Top + 2), rgb(clRed));
    EXPECT_EQ(pixel(r.IconRect.Left + 5, r.BoundsRect.Bottom + 3), rgb(clWhite));
    // The clip is gone afterwards.
    back.Canvas()->Brush()->SetColor(clBlue);
    back.Canvas()->FillRect(TRect{0, 0, 400, 150});
    EXPECT_EQ(pixel(r.IconRect.Left + 5, r.BoundsRect.Bottom + 3), rgb(clBlue));
}

}

namespace {

TEST_F(ItemViewsTest, AnImageThatFitsIsDrawnAtItsSizeInTheMiddle)
{
    lv->SetView(elsIcon);
    test::OneImageList images(32, 32, clRed);
    lv->SetImagesLarge(images.List());
    TLqItem* item = add(QStringLiteral("Drawing"));
    item->SetImageIndex(0);
    paint(item);
    const TRect icon = rects_of(item).IconRect; // 32 wide, 36 high
    EXPECT_EQ(pixel(icon.Left, icon.Top + 2), rgb(clRed));
    EXPECT_EQ(pixel(icon.Right - 1, icon.Top + 33), rgb(clRed));
    EXPECT_EQ(pixel(icon.Left, icon.Top + 1), rgb(clWhite));
    EXPECT_EQ(pixel(icon.Left, icon.Top + 34), rgb(clWhite));

    // A disabled item's image is blended with the disabled colour.
    item->SetEnabled(false);
    paint(item);
    const TColor faded = pixel(icon.Left + 10, icon.Top + 10);
    EXPECT_NE(faded, rgb(clRed));
    EXPECT_NE(faded, rgb(clWhite));
    lv->SetImagesLarge(nullptr);
}

TEST_F(ItemViewsTest, AThumbnailLargerThanItsPlaceIsShrunkInProportionAndCentred)
{
    test::OneImageList images(200, 200, clRed);
    lv->SetImagesExLarge(images.List());
    TLqItem* item = add(QStringLiteral("Drawing"));
    item->SetImageIndex(0);
    lv->OnItemThumbnailDraw = [](TObject*, TLqItem*, TCanvas*, const TRect&, TLqAlphaBlender*,
                                 bool&) {}; // leaves the default drawing on
    paint(item);
    const TRect thumb = rects_of(item).IconRect;
    const TRect target{thumb.Left + 4, thumb.Top + 4, thumb.Right - 4, thumb.Bottom - 4};
    // 200 x 200 into 64 wide: 64 x 64, centred vertically.
    ASSERT_EQ(target.Width(), 64);
    ASSERT_GT(target.Height(), 64);
    const int top = target.Top + (target.Height() - 64) / 2;
    EXPECT_EQ(pixel(target.Left, top), rgb(clRed));
    EXPECT_EQ(pixel(target.Right - 1, top + 63), rgb(clRed));
    EXPECT_EQ(pixel(target.Left + 30, top - 1), rgb(clWhite));
    EXPECT_EQ(pixel(target.Left + 30, top + 64), rgb(clWhite));

    // A handler that draws the thumbnail itself keeps the image list's image away.
    back.Canvas()->Brush()->SetColor(clWhite);
    back.Canvas()->FillRect(TRect{0, 0, 400, 150});
    lv->OnItemThumbnailDraw = [](TObject*, TLqItem*, TCanvas*, const TRect&, TLqAlphaBlender*,
                                 bool& do_default) { do_default = false; };
    paint(item);
    EXPECT_EQ(pixel(target.Left + 30, top + 30), rgb(clWhite));
    lv->SetImagesExLarge(nullptr);
}

TEST_F(ItemViewsTest, AShrunkThumbnailKeepsThePictureUnderItsTransparentPart)
{
    // 200 x 200: the left half red, the right half transparent.
    test::OneImageList images(200, 200, clRed, clFuchsia);
    lv->SetImagesExLarge(images.List());
    TLqItem* item = add(QStringLiteral("Drawing"));
    item->SetImageIndex(0);
    lv->OnItemThumbnailDraw = [](TObject*, TLqItem*, TCanvas*, const TRect&, TLqAlphaBlender*,
                                 bool&) {};
    back.Canvas()->Brush()->SetColor(clLime);
    back.Canvas()->FillRect(TRect{0, 0, 400, 150});
    paint(item);
    const TRect thumb = rects_of(item).IconRect;
    const TRect target{thumb.Left + 4, thumb.Top + 4, thumb.Right - 4, thumb.Bottom - 4};
    const int middle = target.Top + target.Height() / 2;
    EXPECT_EQ(pixel(target.Left + 10, middle), rgb(clRed));
    EXPECT_EQ(pixel(target.Right - 10, middle), rgb(clLime)) << "not black";
    lv->SetImagesExLarge(nullptr);
}
}

namespace {

TEST_F(ItemViewsTest, AReportRowStartsAtTheGroupMarginAndEndsBeforeTheRightOne)
{
    lv->SetShowGroupMargins(true);
    lv->GetPaintInfoGroup()->MarginLeft()->SetVisible(true);
    lv->GetPaintInfoGroup()->MarginLeft()->SetSize(12);
    lv->GetPaintInfoGroup()->MarginRight()->SetVisible(true);
    lv->GetPaintInfoGroup()->MarginRight()->SetSize(7);
    test::AddHeaderColumns(lv.get(), {100, 80});
    lv->SetView(elsReport);
    TLqItem* item = add(QStringLiteral("Drawing"));
    TLqColumn* first = lv->Header()->ColumnByPosition(0);
    TLqColumn* last = lv->Header()->ColumnByPosition(1);
    TLqRectArrayObject r;
    item->View()->ItemRectArray(item, first, lv->ScratchCanvas(), QString(), r);
    EXPECT_EQ(r.BoundsRect.Left, 12) << "the group's left margin, not the column's edge";
    EXPECT_EQ(r.BoundsRect.Right, 100);
    item->View()->ItemRectArray(item, last, lv->ScratchCanvas(), QString(), r);
    EXPECT_EQ(r.BoundsRect.Left, 100);
    EXPECT_EQ(r.BoundsRect.Right, 180 - 7);
    EXPECT_EQ(r.CheckRect.Width(), 0);

    EXPECT_TRUE(item->View()->PaintStateImage());
    EXPECT_FALSE(item->SelectionHit(TRect{}, eshtClickSelect)) << "an empty rectangle";
    TLqRectArrayObjectArray array;
    item->View()->ReSizeRectArray(array);
    EXPECT_EQ(array.size(), 2u) << "one record per column";
}

}

namespace {

TEST_F(ItemViewsTest, AnImageInsideItsBoundsLeavesTheCallersClipAlone)
{
    lv->SetView(elsIcon);
    test::OneImageList images(32, 32, clRed);
    lv->SetImagesLarge(images.List());
    TLqItem* item = add(QStringLiteral("Drawing"));
    item->SetImageIndex(0);
    const TRect cell = item->ViewRect();
    // The caller keeps the painting to the cell's left half.
    HDC dc = back.Canvas()->Handle();
    IntersectClipRect(dc, cell.Left, cell.Top, cell.Left + cell.Width() / 2, cell.Bottom);
    paint(item);
    back.Canvas()->Brush()->SetStyle(bsSolid);
    back.Canvas()->Brush()->SetColor(clBlue);
    back.Canvas()->FillRect(TRect{0, 0, 400, 150});
    EXPECT_EQ(pixel(cell.Left + 2, cell.Top + 2), rgb(clBlue));
    EXPECT_NE(pixel(cell.Right - 2, cell.Top + 2), rgb(clBlue)) << "the clip still holds";
    SelectClipRgn(dc, nullptr);
    lv->SetImagesLarge(nullptr);
}

}
