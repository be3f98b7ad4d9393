// Painting of the list-view control: the paint information with its repaint rules, the
// group margins, the built-in bitmaps, the group view's rectangles and bands, and the
// control's paint routine (order, origins, clipping below the header, report rows,
// column bands, grid lines, insert mark), checked on the pixels of memory canvases.

#include "framework/classes.h"
#include "listview/column_placeholders.h"
#include "listview/common/text_routines.h"
#include "listview/group_view.h"
#include "listview/groups.h"
#include "listview/item_view.h"
#include "listview/items.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "listview/paint_info.h"
#include "listview/selection.h"
#include "listview_header_double.h"
#include "listview_test_images.h"
#include "platform/gdi.h"
#include "platform/user_messages.h"
#include "platform/user_paint.h"

#include <QtGui/QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace fw;
using namespace vistrel::listview;

namespace {

// A group paint information that counts its repaint requests.
class CountingGroupPaintInfo : public TLqPaintInfoGroup {
public:
    using TLqPaintInfoGroup::TLqPaintInfoGroup;
    int invalidations = 0;
    void Invalidate(bool immediate_update) override
    {
        ++invalidations;
        TLqPaintInfoGroup::Invalidate(immediate_update);
    }
};

class PaintInfoTest : public ::testing::Test {
protected:
    TOwned<TLqListview> lv{new TLqListview(nullptr)};

    void SetUp() override
    {
        lv->SetBorderStyle(bsNone);
        lv->SetBounds(0, 0, 240, 200);
        lv->HandleNeeded();
    }
    // Whether the whole client area waits for a paint; the pending area is cleared.
    bool whole_client_invalid()
    {
        RECT pending{};
        const bool any = GetUpdateRect(lv->Handle(), &pending, FALSE) != FALSE;
        ValidateRect(lv->Handle(), nullptr);
        return any && pending.left == 0 && pending.top == 0 && pending.right == 240 &&
               pending.bottom == 200;
    }
};

TEST_F(PaintInfoTest, AFreshControlHasTheDefaultItemAndGroupValues)
{
    const TLqPaintInfoItem* item = lv->GetPaintInfoItem();
    EXPECT_EQ(item->Border(), 4);
    EXPECT_EQ(item->CaptionIndent(), 4);
    EXPECT_EQ(item->ImageIndent(), 2);
    EXPECT_EQ(item->CheckIndent(), 2);
    EXPECT_EQ(item->CheckSize(), 12);
    EXPECT_EQ(item->VAlignment(), cvaCenter);
    EXPECT_TRUE(item->ShowBorder());
    EXPECT_EQ(item->BorderColor(), clHighlight);
    EXPECT_EQ(item->GridLineColor(), clBtnFace);
    EXPECT_FALSE(item->GridLines());
    EXPECT_FALSE(item->HideCaption());
    EXPECT_EQ(item->TileDetailCount(), 1);

    const TLqPaintInfoGroup* group = lv->GetPaintInfoGroup();
    EXPECT_TRUE(group->BandBlended());
    EXPECT_EQ(group->BandColor(), TColor(0xFF0000));
    EXPECT_EQ(group->BandColorFade(), clWindow);
    EXPECT_EQ(group->BandLength(), 300);
    EXPECT_EQ(group->BandMargin(), 2);
    EXPECT_EQ(group->BandThickness(), 3);
    EXPECT_EQ(group->BandRadius(), 4);
    EXPECT_TRUE(group->Expandable());
    EXPECT_EQ(group->ExpandImageIndent(), 4);
    EXPECT_TRUE(group->MarginTop()->Visible());
    EXPECT_FALSE(group->MarginBottom()->Visible());
    EXPECT_FALSE(group->MarginLeft()->Visible());
    EXPECT_EQ(group->MarginTop()->Size(), 30);
    ASSERT_NE(group->MarginBottom()->PaintInfo(), nullptr)
        << "the control gives its footer a paint information of its own";
}

TEST_F(PaintInfoTest, ASetterRepaintsOnceOnAChangeAndNeverForTheSameValue)
{
    auto* info = new CountingGroupPaintInfo(lv.get());
    lv->SetPaintInfoGroup(info);
    ValidateRect(lv->Handle(), nullptr);

    info->SetBandLength(300);
    EXPECT_EQ(info->invalidations, 0);
    EXPECT_FALSE(whole_client_invalid());

    info->SetBandLength(120);
    EXPECT_EQ(info->invalidations, 1);
    EXPECT_TRUE(whole_client_invalid());

    info->SetShowBorder(false);
    EXPECT_EQ(info->invalidations, 1) << "ShowBorder is only stored";
    EXPECT_FALSE(whole_client_invalid());

    TLqPaintInfoItem* item = lv->GetPaintInfoItem();
    item->SetGridLines(true);
    EXPECT_TRUE(whole_client_invalid());
    item->SetGridLines(true);
    EXPECT_FALSE(whole_client_invalid());
    item->SetHideCaption(true);
    EXPECT_TRUE(whole_client_invalid());
}

TEST_F(PaintInfoTest, SwitchingExpandableOffExpandsEveryGroup)
{
    TLqGroup* a = lv->Groups()->Add(nullptr);
    TLqGroup* b = lv->Groups()->Add(nullptr);
    a->SetExpanded(false);
    b->SetExpanded(false);
    ASSERT_FALSE(a->Expanded());
    lv->GetPaintInfoGroup()->SetExpandable(false);
    EXPECT_TRUE(a->Expanded());
    EXPECT_TRUE(b->Expanded());
    b->SetExpanded(false);
    EXPECT_TRUE(b->Expanded()) << "a group that cannot expand cannot collapse either";
}

TEST_F(PaintInfoTest, AssignCopiesTheValuesAndTheMarginsIntoTheTargetsOwnObjects)
{
    TLqPaintInfoGroup source(lv.get());
    source.SetBandColor(0x00FF00);
    source.SetBandFullWidth(true);
    source.SetExpandable(false);
    source.SetExpanded(false);
    source.SetCaptionIndent(9);
    source.SetShowBorder(false);
    source.MarginTop()->SetSize(44);
    source.MarginLeft()->SetVisible(true);
    source.MarginBottom()->SetCaption(QStringLiteral("Footer"));

    TLqPaintInfoGroup target(lv.get());
    TLqMargin* own_top = target.MarginTop();
    TCustomLqFooterMargin* own_bottom = target.MarginBottom();
    target.Assign(&source);
    EXPECT_EQ(target.BandColor(), TColor(0x00FF00));
    EXPECT_TRUE(target.BandFullWidth());
    EXPECT_FALSE(target.Expandable());
    EXPECT_TRUE(target.Expanded()) << "Expanded is not copied";
    EXPECT_EQ(target.CaptionIndent(), 9);
    EXPECT_TRUE(target.ShowBorder()) << "ShowBorder is not copied";
    EXPECT_EQ(target.MarginTop(), own_top);
    EXPECT_EQ(target.MarginBottom(), own_bottom);
    EXPECT_EQ(target.MarginTop()->Size(), 44);
    EXPECT_TRUE(target.MarginLeft()->Visible());
    EXPECT_EQ(target.MarginBottom()->Caption(), QStringLiteral("Footer"));

    // An item paint information takes only the basic values.
    TLqPaintInfoItem item(lv.get());
    item.Assign(&source);
    EXPECT_EQ(item.CaptionIndent(), 9);
}

TEST_F(PaintInfoTest, MarginsClampTheirSizeAndHaveARuntimeSizeOnlyWhenShown)
{
    TLqMargin* top = lv->GetPaintInfoGroup()->MarginTop();
    top->SetSize(-5);
    EXPECT_EQ(top->Size(), 0);
    top->SetSize(25);
    EXPECT_EQ(top->RuntimeSize(), 0) << "the control does not show group margins";
    lv->SetShowGroupMargins(true);
    EXPECT_EQ(top->RuntimeSize(), 25);
    top->SetVisible(false);
    EXPECT_EQ(top->RuntimeSize(), 0);

    TLqGroup* group = lv->Groups()->Add(nullptr);
    top->SetVisible(true);
    EXPECT_EQ(group->ClientRect().Top - group->ViewRect().Top, 25)
        << "a visible margin moves the group's items down at once";
}

TEST_F(PaintInfoTest, AFooterWithoutItsOwnPaintInfoUsesTheControlsFooterPaintInfo)
{
    TLqPaintInfoGroup* control_info = lv->GetPaintInfoGroup();
    TLqPaintInfoBaseGroup* shared = control_info->MarginBottom()->PaintInfo();
    ASSERT_NE(shared, nullptr);
    shared->SetCaptionIndent(4);

    TLqPaintInfoGroup other(lv.get());
    TCustomLqFooterMargin* footer = other.MarginBottom();
    ASSERT_EQ(footer->PaintInfo(), nullptr);
    EXPECT_EQ(footer->CaptionIndent(), 4);
    footer->SetCaptionIndent(11);
    EXPECT_EQ(shared->CaptionIndent(), 11) << "written to the control's footer paint info";
    footer->SetVAlignment(cvaBottom);
    EXPECT_EQ(shared->VAlignment(), cvaBottom);

    footer->SetPaintInfo(new TLqPaintInfoGroup(lv.get()));
    footer->SetCaptionIndent(6);
    EXPECT_EQ(footer->PaintInfo()->CaptionIndent(), 6);
    EXPECT_EQ(shared->CaptionIndent(), 11);
}

TEST_F(PaintInfoTest, TheBuiltInBitmapsAreDrawnOnMagentaOnFirstRead)
{
    TLqGlobalImageManager* images = lv->GlobalImages();
    struct Row {
        const char* name;
        TBitmap* bitmap;
        int size;
    } rows[] = {{"expand", images->GroupExpandButton(), 9},
                {"collapse", images->GroupCollapseButton(), 9},
                {"sort up", images->ColumnSortUp(), 16},
                {"sort down", images->ColumnSortDown(), 16}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.bitmap->Width(), row.size);
        EXPECT_EQ(row.bitmap->Height(), row.size);
        EXPECT_TRUE(row.bitmap->Transparent());
        EXPECT_EQ(row.bitmap->TransparentColor(), TColor(0xFF00FF));
    }
    // The plus has its upright bar, the minus has none.
    auto pixel = [](TBitmap* bitmap, int x, int y) {
        return static_cast<const uint32_t*>(bitmap->ScanLine(y))[x] & 0xFFFFFF;
    };
    EXPECT_EQ(pixel(images->GroupExpandButton(), 4, 2), 0u);
    EXPECT_EQ(pixel(images->GroupCollapseButton(), 4, 2), 0xFFFFFFu);
    EXPECT_EQ(pixel(images->GroupCollapseButton(), 4, 4), 0u);
    // The up arrow's point is at the top, the down arrow's at the bottom.
    EXPECT_EQ(pixel(images->ColumnSortUp(), 1, 1), 0xFF00FFu);
    EXPECT_EQ(pixel(images->ColumnSortUp(), 1, 5), 0xFF00FFu);
    EXPECT_NE(pixel(images->ColumnSortUp(), 1, 11), 0xFF00FFu);
    EXPECT_NE(pixel(images->ColumnSortDown(), 1, 5), 0xFF00FFu);
    EXPECT_EQ(pixel(images->ColumnSortDown(), 1, 11), 0xFF00FFu);

    TBitmap replacement;
    replacement.SetSize(5, 7);
    images->SetGroupCollapseButton(&replacement);
    EXPECT_EQ(images->GroupCollapseButton()->Width(), 5);
    EXPECT_EQ(images->GroupCollapseButton()->Height(), 7);
    EXPECT_EQ(images->GroupExpandButton()->Width(), 9) << "only the collapse image changed";
}

}

// ---- Painting on memory canvases -------------------------------------------------------------

namespace {

// 0x00RRGGBB, as a bitmap's scan lines hold a colour.
uint32_t pixel_of(TColor color)
{
    const auto rgb = static_cast<uint32_t>(ColorToRGB(color));
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

constexpr TColor kMarker = 0x123456;

// The caption's extent in the group's text font.
TSize caption_extent(TCustomLqListview* listview, TLqGroup* group)
{
    TCanvas* canvas = listview->Canvas();
    group->View()->LoadTextFont(group, canvas);
    return TextExtentInFont(group->Caption(), canvas->Font());
}

// The pixels of one paint.
class Picture {
public:
    explicit Picture(TBitmap& bitmap) : m_width(bitmap.Width()), m_height(bitmap.Height())
    {
        for (int y = 0; y < m_height; ++y) {
            const auto* row = static_cast<const uint32_t*>(bitmap.ScanLine(y));
            m_pixels.insert(m_pixels.end(), row, row + m_width);
        }
    }
    uint32_t at(int x, int y) const
    {
        return x < 0 || y < 0 || x >= m_width || y >= m_height
                   ? 0xFFFFFFFFu
                   : m_pixels[static_cast<size_t>(y) * m_width + x] & 0xFFFFFFu;
    }

private:
    int m_width;
    int m_height;
    std::vector<uint32_t> m_pixels;
};

class PaintableListview : public TLqListview {
public:
    using TCustomLqListview::DoPaintAfter;
    using TCustomLqListview::DoPaintRect;
    using TLqListview::TLqListview;
};

// What the recording view saw of one Paint call.
struct PaintCall {
    TLqItem* item;
    TLqColumn* column;
    bool whole_row;
};

// An item view that records its paints and fills the item's cell (or the cell's column
// part) with the colour in the item's Tag, when it has one.
class RecordingView : public TLqViewItem {
public:
    using TLqViewItem::TLqViewItem;
    static std::vector<PaintCall>* calls;
    static bool overlapped;

    static TLqViewItemClass ClassInfo()
    {
        static const TLqViewItemClassInfo info{
            "RecordingView", TLqViewItem::ClassInfo(),
            [](TLqGroup* group) -> TLqViewItem* { return new RecordingView(group); }};
        return &info;
    }
    TLqViewItemClass ClassType() const override { return ClassInfo(); }
    bool OverlappedFocus() override { return overlapped; }
    void Paint(TLqItem* item, TLqColumn* column, TCanvas* canvas, const TRect&,
               bool whole_row) override
    {
        if (calls != nullptr)
            calls->push_back({item, column, whole_row});
        if (item->Tag() == 0)
            return;
        TRect cell = item->ViewRect();
        if (column != nullptr) {
            cell.Left = column->ViewRect().Left;
            cell.Right = column->ViewRect().Right;
        }
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(static_cast<TColor>(item->Tag()));
        canvas->FillRect(cell);
    }
};
std::vector<PaintCall>* RecordingView::calls = nullptr;
bool RecordingView::overlapped = false;

class PaintingTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 200;
    TOwned<PaintableListview> lv{new PaintableListview(nullptr)};
    std::vector<PaintCall> calls;

    void SetUp() override
    {
        lv->SetBorderStyle(bsNone);
        lv->SetBounds(0, 0, kWidth, kHeight);
        lv->HandleNeeded();
        RecordingView::calls = &calls;
        RecordingView::overlapped = false;
    }
    void TearDown() override { RecordingView::calls = nullptr; }

    void record_items()
    {
        lv->OnItemCustomView = [](TObject*, TLqItem*, TLqListStyle, TLqViewItemClass& view) {
            view = RecordingView::ClassInfo();
        };
    }
    TLqGroup* group_with(int items, const QString& caption = QStringLiteral("Group"))
    {
        TLqGroup* group = lv->Groups()->Add(nullptr);
        group->SetCaption(caption);
        for (int i = 0; i < items; ++i)
            group->Items()->Add(nullptr);
        return group;
    }
    // Paints the rectangle (window coordinates) onto a canvas filled with the marker.
    Picture paint(const TRect& clip, bool selected_only = false)
    {
        TBitmap bitmap;
        bitmap.SetPixelFormat(pf32bit);
        bitmap.SetSize(lv->ClientWidth(), lv->ClientHeight());
        bitmap.Canvas()->Brush()->SetColor(kMarker);
        bitmap.Canvas()->FillRect(TRect{0, 0, bitmap.Width(), bitmap.Height()});
        lv->DoPaintRect(bitmap.Canvas(), clip, selected_only);
        return Picture(bitmap);
    }
    Picture paint_all(bool selected_only = false)
    {
        return paint(TRect{0, 0, lv->ClientWidth(), lv->ClientHeight()}, selected_only);
    }
    std::vector<TLqItem*> painted_items() const
    {
        std::vector<TLqItem*> items;
        for (const PaintCall& call : calls)
            items.push_back(call.item);
        return items;
    }
};

TEST_F(PaintingTest, TheDefaultHeaderBandFadesFromBlueToTheWindowColourFiveToThreeRowsUp)
{
    lv->SetShowGroupMargins(true);
    TLqGroup* group = group_with(1);
    const TRect top = group->BoundsRectTopMargin();
    ASSERT_EQ(top.Height(), 30);
    TLqRectArrayObject rects;
    group->View()->GroupRectArray(group, egmeTop, top, rects);
    EXPECT_EQ(rects.BandRect, (TRect{top.Left, top.Bottom - 7, top.Left + 300, top.Bottom - 2}));
    EXPECT_EQ(rects.ExpandButtonRect.Bottom, top.Bottom - 7);
    EXPECT_EQ(rects.LabelRect.Bottom, top.Bottom - 7);
    EXPECT_EQ(rects.ExpandButtonRect.Left, top.Left + 4);

    const Picture picture = paint_all();
    const uint32_t blue = pixel_of(TColor(0xFF0000));
    const uint32_t window = pixel_of(clWindow);
    for (int y = top.Bottom - 5; y <= top.Bottom - 3; ++y) {
        SCOPED_TRACE(y);
        EXPECT_EQ(picture.at(top.Left, y), blue);
        EXPECT_EQ(picture.at(top.Left + 1, y), blue) << "the first two lines take the band colour";
        const uint32_t middle = picture.at(top.Left + 150, y);
        for (int shift : {0, 8, 16}) {
            const int channel = static_cast<int>((middle >> shift) & 0xFF);
            const int from = static_cast<int>((blue >> shift) & 0xFF);
            const int to = static_cast<int>((window >> shift) & 0xFF);
            EXPECT_NEAR(channel, (from + to) / 2, 2);
        }
        // Line i takes the colour of step i - 1: the last line, at the band's length,
        // is one step short of the window colour.
        const uint32_t last = picture.at(top.Left + 300, y);
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(static_cast<int>((last >> shift) & 0xFF),
                        static_cast<int>((window >> shift) & 0xFF), 1);
        EXPECT_NE(last, window);
    }
    EXPECT_EQ(picture.at(top.Left + 20, top.Bottom - 6), pixel_of(lv->Color()));
    EXPECT_EQ(picture.at(top.Left + 20, top.Bottom - 2), pixel_of(lv->Color()));
}

TEST_F(PaintingTest, ABandWithoutLengthDrawsNothingAndAPlainBandIsSolid)
{
    lv->SetShowGroupMargins(true);
    TLqPaintInfoGroup* info = lv->GetPaintInfoGroup();
    TLqGroup* group = group_with(1, QString());
    const TRect top = group->BoundsRectTopMargin();
    const uint32_t background = pixel_of(lv->Color());
    for (int length : {0, -4}) {
        SCOPED_TRACE(length);
        info->SetBandLength(length);
        const Picture picture = paint_all();
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(picture.at(top.Left + x, top.Bottom - 4), background);
    }
    info->SetBandLength(50);
    info->SetBandBlended(false);
    info->SetBandColor(clRed);
    const Picture picture = paint_all();
    EXPECT_EQ(picture.at(top.Left, top.Bottom - 4), pixel_of(clRed));
    EXPECT_EQ(picture.at(top.Left + 49, top.Bottom - 4), pixel_of(clRed));
    EXPECT_EQ(picture.at(top.Left + 50, top.Bottom - 4), background);
    info->SetBandFullWidth(true);
    // A full-width band is drawn one margin below its rectangle's top edge: rows bottom - 3
    // to bottom - 1, from the margin's left to its right.
    const Picture full = paint_all();
    for (int y = top.Bottom - 3; y < top.Bottom; ++y) {
        EXPECT_EQ(full.at(top.Left, y), pixel_of(clRed)) << y;
        EXPECT_EQ(full.at(top.Right - 1, y), pixel_of(clRed)) << y;
    }
    EXPECT_EQ(full.at(top.Right - 1, top.Bottom - 4), background);
}

TEST_F(PaintingTest, SideMarginsCarryBracketsFromTheHeaderBandToTheFooterBand)
{
    lv->SetShowGroupMargins(true);
    TLqPaintInfoGroup* info = lv->GetPaintInfoGroup();
    info->MarginLeft()->SetVisible(true);
    info->MarginLeft()->SetSize(20);
    info->MarginRight()->SetVisible(true);
    info->MarginRight()->SetSize(20);
    info->MarginBottom()->SetVisible(true);
    info->SetBandBlended(false);
    info->SetBandColor(clRed);
    TLqGroup* group = group_with(3);

    TLqRectArrayObject top;
    TLqRectArrayObject bottom;
    TLqRectArrayObject left;
    TLqRectArrayObject right;
    TLqViewGroup* view = group->View();
    view->GroupRectArray(group, egmeTop, group->BoundsRectTopMargin(), top);
    view->GroupRectArray(group, egmeBottom, group->BoundsRectBottomMargin(), bottom);
    const TRect left_margin = group->BoundsRectLeftMargin();
    const TRect right_margin = group->BoundsRectRightMargin();
    view->GroupRectArray(group, egmeLeft, left_margin, left);
    view->GroupRectArray(group, egmeRight, right_margin, right);
    EXPECT_EQ(left.BandRect, (TRect{left_margin.Left + 8, top.BandRect.Top, left_margin.Right,
                                    bottom.BandRect.Bottom - 1}));
    EXPECT_EQ(right.BandRect, (TRect{right_margin.Left, top.BandRect.Top, right_margin.Right - 8,
                                     bottom.BandRect.Bottom - 1}));
    TLqRectArrayObject whole;
    view->GroupRectArray(group, egmeBackground, group->ViewRect(), whole);
    EXPECT_EQ(whole.GroupRect, group->ViewRect());
    EXPECT_EQ(whole.BackGndRect, group->BoundsRectBkGnd());
    EXPECT_TRUE(whole.BandRect.IsEmpty());

    const Picture picture = paint_all();
    const uint32_t red = pixel_of(clRed);
    const TRect& band = left.BandRect;
    const int mid_y = (band.Top + band.Bottom) / 2;
    // The left bracket: its upright three pixels thick at the band's left, its arms
    // from the curve to the band's right end, its corners rounded.
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(picture.at(band.Left + c, mid_y), red) << c;
    EXPECT_NE(picture.at(band.Left + 3, mid_y), red);
    EXPECT_EQ(picture.at(band.Right, band.Top), red);
    EXPECT_EQ(picture.at(band.Left + 4, band.Top + 1), red);
    EXPECT_NE(picture.at(band.Left, band.Top), red) << "the corner is rounded";
    // The right bracket mirrors it.
    const TRect& mirror = right.BandRect;
    EXPECT_EQ(picture.at(mirror.Right, mid_y), red);
    EXPECT_EQ(picture.at(mirror.Left, mirror.Top), red);
    EXPECT_NE(picture.at(mirror.Right, mirror.Top), red);
}

TEST_F(PaintingTest, ACollapsedGroupShowsThePlusAndAnExpandedOneTheMinus)
{
    lv->SetShowGroupMargins(true);
    TLqGroup* group = group_with(2);
    TLqRectArrayObject rects;
    group->View()->GroupRectArray(group, egmeTop, group->BoundsRectTopMargin(), rects);
    const TRect& button = rects.ExpandButtonRect;
    EXPECT_EQ(button.Width(), 9 + 1) << "the 9-pixel image and one pixel per 96 dpi";
    const int x = button.Left + (button.Width() - 9) / 2;
    const int y = button.Top + (button.Height() - 9) / 2;
    const Picture expanded = paint_all();
    EXPECT_EQ(expanded.at(x + 4, y + 4), 0u);
    EXPECT_EQ(expanded.at(x + 4, y + 2), 0xFFFFFFu) << "a minus";
    EXPECT_EQ(expanded.at(x, y), pixel_of(TColor(0x808080)));

    group->SetExpanded(false);
    const Picture collapsed = paint_all();
    EXPECT_EQ(collapsed.at(x + 4, y + 2), 0u) << "a plus";

    // The control's own images win over the built-in ones.
    TBitmap own;
    own.SetPixelFormat(pf32bit);
    own.SetSize(9, 9);
    own.Canvas()->Brush()->SetColor(clLime);
    own.Canvas()->FillRect(TRect{0, 0, 9, 9});
    lv->SetGroupExpandButton(&own);
    EXPECT_EQ(paint_all().at(x + 4, y + 2), pixel_of(clLime));
}

TEST_F(PaintingTest, ASelectedGroupHasItsCaptionOnTheHighlightAndItsImageFromTheList)
{
    lv->SetShowGroupMargins(true);
    vistrel::listview::test::OneImageList images(8, 8, clBlue);
    ASSERT_EQ(images.List()->Count(), 1);
    lv->SetImagesGroup(images.List());
    TLqGroup* group = group_with(1, QStringLiteral("Drawings"));
    group->SetImageIndex(0);
    group->SetSelected(true);
    ASSERT_TRUE(group->Selected());

    TLqRectArrayObject rects;
    group->View()->GroupRectArray(group, egmeTop, group->BoundsRectTopMargin(), rects);
    EXPECT_EQ(rects.IconRect.Width(), 8);
    EXPECT_EQ(rects.IconRect.Left, rects.CheckRect.Right + 2);
    EXPECT_EQ(rects.LabelRect.Left, rects.IconRect.Right + 4);
    const TSize extent = caption_extent(lv.get(), group);
    EXPECT_EQ(rects.TextRect.Width(), extent.cx);
    EXPECT_EQ(rects.TextRect.Height(), extent.cy) << "the measured height";

    const Picture picture = paint_all();
    const TRect& text = rects.TextRect;
    EXPECT_EQ(picture.at(text.Left - 2, text.Top - 2), pixel_of(clHighlight));
    EXPECT_EQ(picture.at(text.Left - 3, text.Top - 2), pixel_of(lv->Color()));
    const TRect& icon = rects.IconRect;
    const int icon_top = icon.Top + (icon.Height() - 8) / 2;
    EXPECT_EQ(picture.at(icon.Left, icon_top), pixel_of(clBlue));
    EXPECT_EQ(picture.at(icon.Left + 7, icon_top + 7), pixel_of(clBlue));
    EXPECT_NE(picture.at(icon.Left, icon_top - 1), pixel_of(clBlue));
    lv->SetImagesGroup(nullptr);
}

TEST_F(PaintingTest, AVerticalInsertMarkIsAStemOfThreeColumnsWithBarsOfThreeAndFourRows)
{
    TLqInsertMark* mark = lv->DragManager()->InsertMark();
    mark->SetEnabled(true);
    mark->SetVisible(true);
    mark->SetColor(clRed);
    const struct {
        TLqInsertMarkerDir dir;
        TRect rect;
    } rows[] = {{dmdVert, TRect{20, 10, 29, 40}}, {dmdHorz, TRect{20, 10, 60, 19}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.dir == dmdVert ? "vertical" : "horizontal");
        mark->SetDropMarkerDir(row.dir);
        mark->SetDisplayRect(row.rect);
        const Picture picture = paint_all();
        const TRect& r = row.rect;
        for (int y = r.Top - 1; y <= r.Bottom; ++y)
            for (int x = r.Left - 1; x <= r.Right; ++x) {
                // Along the mark (a) and across it (b), relative to its start.
                const bool vertical = row.dir == dmdVert;
                const int a = vertical ? y - r.Top : x - r.Left;
                const int b = vertical ? x - r.Left : y - r.Top;
                const int along = vertical ? r.Height() : r.Width();
                const int across = vertical ? r.Width() : r.Height();
                const bool inside = a >= 0 && a < along && b >= 0 && b < across;
                const bool stem = b >= 3 && b <= 5;
                const bool near_bar = a <= 2;
                const bool far_bar = a >= along - 4;
                const bool expected = inside && (stem || near_bar || far_bar);
                EXPECT_EQ(picture.at(x, y) == pixel_of(clRed), expected) << x << "," << y;
            }
    }
    mark->SetVisible(false);
    EXPECT_NE(paint_all().at(24, 20), pixel_of(clRed));
}

TEST_F(PaintingTest, OnlyTheItemsInThePaintRectangleArePainted)
{
    record_items();
    TLqGroup* group = group_with(20);
    ASSERT_EQ(group->Item(4)->ViewRect().Top, 0);
    ASSERT_GT(group->Item(5)->ViewRect().Top, 0) << "five icons to a row";
    const TRect clip{80, 80, 150, 120};
    paint(clip);
    std::vector<TLqItem*> expected;
    for (int i = 0; i < group->ItemCount(); ++i)
        if (LqIntersects(group->Item(i)->ViewRect(), clip))
            expected.push_back(group->Item(i));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(painted_items(), expected);
}

TEST_F(PaintingTest, SelectedOnlyPaintsTheSelectedItemsAndNothingElse)
{
    record_items();
    lv->SetShowGroupMargins(true);
    lv->Selection()->SetMultiSelect(true);
    TLqGroup* group = group_with(6);
    for (int i = 0; i < group->ItemCount(); ++i)
        group->Item(i)->SetTag(clRed);
    group->Item(1)->SetSelected(true);
    group->Item(4)->SetSelected(true);
    TLqInsertMark* mark = lv->DragManager()->InsertMark();
    mark->SetEnabled(true);
    mark->SetVisible(true);
    mark->SetDisplayRect(TRect{0, 0, 9, 30});

    const Picture picture = paint_all(true);
    EXPECT_EQ(painted_items(), (std::vector<TLqItem*>{group->Item(1), group->Item(4)}));
    const TRect selected = group->Item(1)->ViewRect();
    const TRect other = group->Item(0)->ViewRect();
    EXPECT_EQ(picture.at(selected.Left + 2, selected.Top + 2), pixel_of(clRed));
    EXPECT_EQ(picture.at(other.Left + 2, other.Top + 2), pixel_of(kMarker));
    EXPECT_EQ(picture.at(4, 2), pixel_of(kMarker)) << "no background, group band or mark";
}

TEST_F(PaintingTest, AnOverlappingFocusedItemIsPaintedLast)
{
    record_items();
    RecordingView::overlapped = true;
    TLqGroup* group = group_with(3);
    group->Item(1)->SetFocused(true);
    ASSERT_TRUE(group->Item(1)->Focused());
    paint_all();
    EXPECT_EQ(painted_items(),
              (std::vector<TLqItem*>{group->Item(0), group->Item(2), group->Item(1)}));
}

// A report of 30 rows under a visible header with columns 100 and 150 wide.
class ReportPaintingTest : public PaintingTest {
protected:
    TLqGroup* group = nullptr;
    int header = 0;

    void SetUp() override
    {
        PaintingTest::SetUp();
        record_items();
        lv->SetView(elsReport);
        lv->Header()->SetVisible(true);
        header = lv->Header()->Height();
        vistrel::listview::test::AddHeaderColumns(lv.get(), {100, 150});
        group = group_with(30);
        lv->Groups()->Rebuild(true);
    }
    TLqColumn* column(int index) const
    {
        return static_cast<TLqColumn*>(lv->Header()->Columns()->Items(index));
    }
    void tag_items(TColor color)
    {
        for (int i = 0; i < group->ItemCount(); ++i)
            group->Item(i)->SetTag(color);
    }
};

TEST_F(ReportPaintingTest, RowsScrollBeneathAHeaderThatStaysInPlace)
{
    tag_items(clRed);
    lv->Scrollbars()->Scroll(0, 40);
    const int offset = lv->Scrollbars()->OffsetY();
    ASSERT_GT(offset, 0);
    const Picture picture = paint_all();
    for (int y = 0; y < header; ++y) {
        EXPECT_EQ(picture.at(50, y), pixel_of(clBtnFace)) << "header row " << y;
        EXPECT_EQ(picture.at(300, y), pixel_of(clBtnFace)) << "header row " << y;
    }
    EXPECT_EQ(picture.at(50, header), pixel_of(clRed)) << "the first row below the header";
    EXPECT_EQ(picture.at(300, header), pixel_of(lv->Color())) << "right of the columns";

    // Each row in the rectangle is painted cell by cell, column by column.
    const TRect viewport{0, offset - header, lv->ClientWidth(), offset - header + kHeight};
    std::vector<TLqItem*> rows;
    for (int i = 0; i < group->ItemCount(); ++i) {
        const TRect& cell = group->Item(i)->ViewRect();
        if (cell.Top < viewport.Bottom && viewport.Top < cell.Bottom)
            rows.push_back(group->Item(i));
    }
    ASSERT_EQ(calls.size(), rows.size() * 2);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(calls[2 * i].item, rows[i]);
        EXPECT_EQ(calls[2 * i].column, column(0));
        EXPECT_EQ(calls[2 * i + 1].column, column(1));
        EXPECT_FALSE(calls[2 * i].whole_row || calls[2 * i + 1].whole_row);
    }
}

TEST_F(ReportPaintingTest, APaintOfTheHeaderBandAlonePaintsNoRow)
{
    tag_items(clRed);
    const Picture picture = paint(TRect{0, 0, kWidth, header});
    for (int x : {0, 50, 150, 300})
        for (int y = 0; y < header; ++y)
            EXPECT_EQ(picture.at(x, y), pixel_of(clBtnFace)) << x << "," << y;
    EXPECT_EQ(picture.at(50, header + 2), pixel_of(kMarker)) << "nothing outside the rectangle";
}

TEST_F(ReportPaintingTest, ASelectedRowWithFullRowSelectPaintsItsFirstCellAcrossTheRow)
{
    lv->Selection()->SetFullRowSelect(true);
    group->Item(2)->SetSelected(true);
    ASSERT_TRUE(group->Item(2)->Selected());
    paint_all();
    std::vector<PaintCall> row;
    for (const PaintCall& call : calls)
        if (call.item == group->Item(2))
            row.push_back(call);
    ASSERT_EQ(row.size(), 2u);
    EXPECT_TRUE(row[0].whole_row);
    EXPECT_EQ(row[0].column, column(0));
    EXPECT_FALSE(row[1].whole_row);
    EXPECT_EQ(row[1].column, column(1));
}

TEST_F(ReportPaintingTest, ColumnBandsFillUnderColumnsWithAColourOrTheHighlightedFocus)
{
    column(1)->SetBkGndColor(clYellow);
    const Picture picture = paint_all();
    EXPECT_EQ(picture.at(150, 100), pixel_of(clYellow));
    EXPECT_EQ(picture.at(249, 100), pixel_of(clYellow));
    EXPECT_EQ(picture.at(250, 100), pixel_of(lv->Color()));
    EXPECT_EQ(picture.at(50, 100), pixel_of(lv->Color())) << "a column without colour has no band";
    EXPECT_EQ(picture.at(150, header - 1), pixel_of(clBtnFace)) << "not over the header";
    // From one row below the top of the view, within the group's background.
    const int top = std::max(1, group->BoundsRectBkGnd().Top) + header;
    EXPECT_NE(picture.at(150, top - 1), pixel_of(clYellow));
    EXPECT_EQ(picture.at(150, top), pixel_of(clYellow));

    lv->GetPaintInfoColumn()->SetHilightFocused(true);
    column(0)->SetFocused(true);
    ASSERT_TRUE(column(0)->Focused());
    EXPECT_EQ(paint_all().at(50, 100), pixel_of(TColor(0xF7F7F7)));
}

TEST_F(ReportPaintingTest, GridLinesRunUnderEachRowAndAtEachColumnsRightEdge)
{
    TLqPaintInfoItem* info = lv->GetPaintInfoItem();
    info->SetGridLineColor(clRed);
    const Picture without = paint_all();
    const int y = group->Item(0)->ViewRect().Bottom - 1 + header;
    EXPECT_NE(without.at(50, y), pixel_of(clRed));

    info->SetGridLines(true);
    const Picture picture = paint_all();
    EXPECT_EQ(picture.at(50, y), pixel_of(clRed));
    EXPECT_EQ(picture.at(lv->ClientWidth() - 1, y), pixel_of(clRed)) << "across the window";
    EXPECT_NE(picture.at(50, y - 1), pixel_of(clRed));
    EXPECT_EQ(picture.at(100, y - 5), pixel_of(clRed));
    EXPECT_EQ(picture.at(250, y - 5), pixel_of(clRed));
    EXPECT_NE(picture.at(99, y - 5), pixel_of(clRed));
    EXPECT_EQ(picture.at(100, header - 1), pixel_of(clBtnFace));
}

// A film strip without captions, three thumbnails in flat colours and the middle one
// selected, matches the picture kept in the test data. No text is drawn, so the picture
// does not depend on the fonts. A missing picture is written (and the test skipped), to
// be checked in.
TEST_F(PaintingTest, ACaptionlessFilmStripWithOneSelectedItemMatchesItsPicture)
{
    const QString path = QStringLiteral(LISTVIEW_TEST_DATA_DIR "/listview_film_strip.png");
    lv->SetBounds(0, 0, 250, 120);
    lv->SetView(elsFilmStrip);
    lv->GetPaintInfoItem()->SetHideCaption(true);
    const TColor fills[] = {0x3050C0, 0x40A040, 0xB06020};
    lv->OnItemThumbnailDraw = [&fills](TObject*, TLqItem* item, TCanvas* canvas, const TRect& rect,
                                       TLqAlphaBlender*, bool& do_default) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(fills[item->Index() % 3]);
        canvas->FillRect(rect);
        do_default = false;
    };
    TLqGroup* group = group_with(3);
    group->Item(1)->SetSelected(true);
    ASSERT_TRUE(group->Item(1)->Selected());

    TBitmap bitmap;
    bitmap.SetPixelFormat(pf32bit);
    bitmap.SetSize(lv->ClientWidth(), lv->ClientHeight());
    lv->DoPaintRect(bitmap.Canvas(), TRect{0, 0, bitmap.Width(), bitmap.Height()}, false);
    QImage painted(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
    for (int y = 0; y < bitmap.Height(); ++y) {
        const auto* row = static_cast<const uint32_t*>(bitmap.ScanLine(y));
        for (int x = 0; x < bitmap.Width(); ++x)
            painted.setPixel(x, y, 0xFF000000u | (row[x] & 0xFFFFFFu));
    }
    QImage golden;
    if (!golden.load(path)) {
        ASSERT_TRUE(painted.save(path));
        GTEST_SKIP() << "wrote " << path.toStdString() << "; check it in";
    }
    golden = golden.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(golden.size(), painted.size());
    int differing = 0;
    for (int y = 0; y < golden.height(); ++y)
        for (int x = 0; x < golden.width(); ++x)
            if ((golden.pixel(x, y) & 0xFFFFFFu) != (painted.pixel(x, y) & 0xFFFFFFu)) {
                if (++differing <= 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex
                                  << (painted.pixel(x, y) & 0xFFFFFFu) << " instead of "
                                  << (golden.pixel(x, y) & 0xFFFFFFu);
            }
    EXPECT_EQ(differing, 0);
}

TEST_F(PaintingTest, TheHeaderPlacesCheckBoxAndCaptionAndTheFooterItsOwnCaption)
{
    lv->SetShowGroupMargins(true);
    TLqPaintInfoGroup* info = lv->GetPaintInfoGroup();
    info->SetCheckType(ectBox);
    info->MarginBottom()->SetVisible(true);
    info->MarginBottom()->SetCaption(QStringLiteral("A much longer footer caption"));
    info->MarginBottom()->SetAlignment(taRightJustify);
    TLqGroup* group = group_with(2, QStringLiteral("Head"));
    TLqViewGroup* view = group->View();

    TLqRectArrayObject top;
    const TRect header = group->BoundsRectTopMargin();
    view->GroupRectArray(group, egmeTop, header, top);
    const int band = 3 + 2 * 2;
    EXPECT_EQ(top.CheckRect.Left, top.ExpandButtonRect.Right + 2);
    EXPECT_EQ(top.CheckRect.Top,
              header.Top + (header.Height() - (band + top.CheckRect.Height())) / 2);
    EXPECT_GT(top.CheckRect.Width(), 0);
    EXPECT_EQ(top.IconRect.Left, top.CheckRect.Right) << "no image: an empty icon place";
    EXPECT_EQ(top.LabelRect.Left, top.IconRect.Right + 4);
    const TSize head = caption_extent(lv.get(), group);
    EXPECT_EQ(top.TextRect.Width(), head.cx);
    EXPECT_EQ(top.TextRect.Top, header.Top + (header.Height() - (band + head.cy)) / 2);

    // The footer has no expand button or check box and lays out its own caption.
    TLqRectArrayObject bottom;
    const TRect footer = group->BoundsRectBottomMargin();
    view->GroupRectArray(group, egmeBottom, footer, bottom);
    EXPECT_EQ(bottom.ExpandButtonRect.Width(), 0);
    EXPECT_EQ(bottom.CheckRect.Width(), 0);
    TCanvas* canvas = lv->Canvas();
    view->LoadTextFont(group, canvas);
    const TSize foot = TextExtentInFont(info->MarginBottom()->Caption(), canvas->Font());
    EXPECT_EQ(bottom.TextRect.Width(), std::min(foot.cx, bottom.LabelRect.Width()));
    EXPECT_EQ(bottom.TextRect.Right, bottom.LabelRect.Right) << "right-aligned";
}

TEST_F(PaintingTest, WithoutGroupMarginsNothingOfThemIsPainted)
{
    TLqGroup* group = group_with(2);
    EXPECT_TRUE(group->BoundsRectTopMargin().IsEmpty());
    EXPECT_EQ(group->ViewRect().Top, group->ClientRect().Top);
    const Picture picture = paint_all();
    for (int x = 0; x < 300; x += 7)
        for (int y = 0; y < 30; ++y)
            ASSERT_NE(picture.at(x, y), pixel_of(TColor(0xFF0000))) << x << "," << y;
}

TEST_F(PaintingTest, AfterPaintRaisesOnAfterPaintWithTheClipRectangle)
{
    TRect heard{};
    int calls_heard = 0;
    lv->OnAfterPaint = [&](TObject*, TCanvas*, const TRect& clip) {
        heard = clip;
        ++calls_heard;
    };
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf32bit);
    bitmap.SetSize(20, 20);
    lv->DoPaintAfter(bitmap.Canvas(), TRect{1, 2, 3, 4});
    EXPECT_EQ(calls_heard, 1);
    EXPECT_EQ(heard, (TRect{1, 2, 3, 4}));
}

TEST_F(PaintingTest, ClipHeaderKeepsTheHeaderBandOutAndTheWindowOriginAsItWas)
{
    lv->SetView(elsReport);
    lv->Header()->SetVisible(true);
    const int header = lv->Header()->Height();
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf32bit);
    bitmap.SetSize(lv->ClientWidth(), lv->ClientHeight());
    TCanvas* canvas = bitmap.Canvas();
    HDC dc = canvas->Handle();
    SetWindowOrgEx(dc, 5, -header, nullptr);
    lv->ClipHeader(canvas, true);
    POINT origin{};
    GetWindowOrgEx(dc, &origin);
    EXPECT_EQ(origin.x, 5);
    EXPECT_EQ(origin.y, -header);
    canvas->Brush()->SetColor(clRed);
    canvas->FillRect(TRect{-100, -100, 1000, 1000});
    SetWindowOrgEx(dc, 0, 0, nullptr);
    const Picture picture(bitmap);
    EXPECT_NE(picture.at(10, header - 1), pixel_of(clRed));
    EXPECT_EQ(picture.at(10, header), pixel_of(clRed));

    // Outside the report and grid views the header takes no part: nothing is cut.
    lv->SetView(elsIcon);
    lv->ClipHeader(canvas, true);
    canvas->FillRect(TRect{0, 0, 50, 50});
    EXPECT_EQ(Picture(bitmap).at(10, 0), pixel_of(clRed));
}

TEST_F(PaintingTest, EraseBackgroundAnswersOneAndLeavesThePixels)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf32bit);
    bitmap.SetSize(10, 10);
    bitmap.Canvas()->Brush()->SetColor(kMarker);
    bitmap.Canvas()->FillRect(TRect{0, 0, 10, 10});
    const LRESULT result = SendMessageW(lv->Handle(), WM_ERASEBKGND,
                                        reinterpret_cast<WPARAM>(bitmap.Canvas()->Handle()), 0);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Picture(bitmap).at(5, 5), pixel_of(kMarker));
}

}
