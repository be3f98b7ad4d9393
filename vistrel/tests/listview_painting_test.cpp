// Painting of the list-view control: the paint information with its repaint rules, the
// group margins, the built-in bitmaps, the group view's rectangles and bands, and the
// control's paint routine (order, origins, clipping below the header, report rows,
// column bands, grid lines, insert mark), checked on the pixels of memory canvases.

#include "framework/classes.h"
#include "listview/groups.h"
#include "listview/items.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "listview/paint_info.h"
#include "platform/user_paint.h"

#include <gtest/gtest.h>

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
