// Groups of the list-view control: their states, layout into the view, the walks over
// groups and items, point queries, positions in the grid, scrolling an item into view,
// and group streams.

#include "framework/classes.h"
#include "listview/groups.h"
#include "listview/items.h"
#include "listview/layout.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "listview/selection.h"

#include <gtest/gtest.h>

#include <vector>

using namespace fw;
using namespace vistrel::listview;

namespace {

// A control with a window of 243 by 200 pixels and no border; icon cells are 75 by 75,
// and the view is the client width less the vertical bar's room and 1: three to a row.
class GroupsTest : public ::testing::Test {
protected:
    std::vector<QString> heard;
    TOwned<TLqListview> lv{new TLqListview(nullptr)};

    void SetUp() override
    {
        lv->SetBorderStyle(bsNone);
        lv->SetBounds(0, 0, 243, 200);
        lv->HandleNeeded();
    }
    TLqGroup* group_with(int items, const QString& caption = QString())
    {
        TLqGroup* group = lv->Groups()->Add(nullptr);
        group->SetCaption(caption);
        for (int i = 0; i < items; ++i)
            group->Items()->Add(nullptr)->SetCaption(caption + QString::number(i));
        return group;
    }
};

TEST_F(GroupsTest, ANewGroupIsExpandedVisibleEnabledAndChecked)
{
    TLqGroup* group = lv->Groups()->Add(nullptr);
    EXPECT_TRUE(group->Expanded());
    EXPECT_TRUE(group->Visible());
    EXPECT_TRUE(group->Enabled());
    EXPECT_TRUE(group->Checked());
    EXPECT_FALSE(group->Selected() || group->Focused());
    EXPECT_EQ(group->ClassName(), QStringLiteral("TLqGroupStored"));
    group->SetFocused(true);
    EXPECT_FALSE(group->Focused()) << "a group never takes the focus";
}

TEST_F(GroupsTest, WalksAcrossGroupsPassOverCollapsedGroupsWhileFirstAndLastDoNot)
{
    TLqGroup* a = group_with(2);
    TLqGroup* b = group_with(2);
    TLqGroup* c = group_with(2);
    b->SetExpanded(false);
    TLqGroups* groups = lv->Groups();
    EXPECT_EQ(groups->NextItem(a->Item(1)), c->Item(0));
    EXPECT_EQ(groups->PrevItem(c->Item(0)), a->Item(1));
    EXPECT_EQ(groups->NextVisibleItem(a->Item(1)), c->Item(0));
    EXPECT_EQ(groups->NextVisibleGroup(a), c);
    EXPECT_EQ(groups->FirstVisibleGroup(), a);
    EXPECT_EQ(groups->LastItem(), c->Item(1));
    EXPECT_EQ(groups->NextItem(c->Item(1)), nullptr);
    EXPECT_EQ(groups->PrevItem(a->Item(0)), nullptr);

    c->SetEnabled(false);
    EXPECT_EQ(groups->NextItem(a->Item(1)), nullptr) << "disabled groups are passed over too";

    a->Items()->Clear();
    EXPECT_EQ(groups->FirstItem(), b->Item(0));
    EXPECT_EQ(groups->FirstVisibleGroup(), a);
}

TEST_F(GroupsTest, InitializedWalksReturnOnlyInitializedItems)
{
    TLqGroup* a = group_with(3);
    // Laying an item out initialises it; only the first stays so here.
    for (int i = 0; i < 3; ++i)
        a->Item(i)->SetInitialized(i == 0);
    EXPECT_EQ(lv->Groups()->LastInitializedItem(), a->Item(0));
    EXPECT_EQ(lv->Groups()->PrevInitializedItem(a->Item(2)), a->Item(0));
    EXPECT_EQ(lv->Groups()->NextInitializedItem(a->Item(0)), nullptr);
}

TEST_F(GroupsTest, TheRebuildLaysGroupsOutOneBelowTheOther)
{
    TLqGroup* a = group_with(4);
    TLqGroup* b = group_with(1);
    TLqGroup* c = group_with(2);
    EXPECT_EQ(a->ViewRect(), Rect(0, 0, 225, 150));
    EXPECT_EQ(b->ViewRect(), Rect(0, 150, 225, 225));
    EXPECT_EQ(a->Item(3)->ViewRect(), Rect(0, 75, 75, 150));
    b->SetVisible(false);
    lv->Groups()->Rebuild(true);
    EXPECT_EQ(a->VisibleIndex(), 0);
    EXPECT_EQ(b->VisibleIndex(), -1);
    EXPECT_EQ(c->VisibleIndex(), 1);
    EXPECT_EQ(lv->Groups()->VisibleGroup(1), c);
    EXPECT_EQ(lv->Groups()->ViewRect(), Rect(0, 0, 225, 225));

    // Locked, only a forced rebuild lays out.
    lv->BeginUpdate();
    TLqGroup* d = group_with(1);
    EXPECT_TRUE(d->ViewRect().IsEmpty());
    lv->Groups()->Rebuild(true);
    EXPECT_FALSE(d->ViewRect().IsEmpty());
    lv->EndUpdate();
}

TEST_F(GroupsTest, GroupByPointIgnoresDisabledGroups)
{
    TLqGroup* a = group_with(3);
    TLqGroup* b = group_with(3);
    const TPoint in_b{10, 100};
    EXPECT_EQ(lv->Groups()->GroupByPoint(in_b), b);
    EXPECT_EQ(lv->Groups()->ItemByPoint(in_b), b->Item(0));
    b->SetEnabled(false);
    EXPECT_EQ(lv->Groups()->GroupByPoint(in_b), nullptr);
    EXPECT_EQ(lv->Groups()->ItemByPoint(in_b), nullptr);
    EXPECT_EQ(lv->Groups()->GroupByPoint(TPoint{10, 10}), a);
    EXPECT_FALSE(b->Item(0)->Enabled()) << "disabling a group disables its items";
}

TEST_F(GroupsTest, GridPositionsFollowTheFlowOfTheView)
{
    TLqGroup* group = group_with(14);
    const struct {
        TLqListStyle view;
        int index;
        int column;
        int row;
    } cases[] = {
        {elsIcon, 4, 1, 1},      // rows of three
        {elsFilmStrip, 4, 4, 0}, // one row
        {elsList, 13, 1, 4},     // columns of nine rows of 17 pixels above the bar
    };
    for (const auto& c : cases) {
        lv->SetView(c.view);
        TLqItem* item = group->Item(c.index);
        EXPECT_EQ(item->ColumnPos(), c.column) << c.view;
        EXPECT_EQ(item->RowPos(), c.row) << c.view;
    }
    group->Item(0)->SetVisible(false);
    EXPECT_EQ(group->Item(0)->ColumnPos(), -1);
    group->SetExpanded(false);
    EXPECT_EQ(group->Item(1)->RowPos(), -1) << "a collapsed group places no item";
}

TEST_F(GroupsTest, MakeVisibleInTheMiddleCentresTheItem)
{
    TLqGroup* group = group_with(30);
    TLqItem* item = group->Item(15);
    const TRect r = item->ViewRect();
    item->MakeVisible(emvMiddle);
    const TRect shown = lv->Scrollbars()->MapViewRectToWindowRect(r);
    EXPECT_EQ(shown.Top, (lv->ClientHeight() - r.Height()) / 2);
    EXPECT_EQ(shown.Left, 0) << "the view is no wider than the window";

    lv->Scrollbars()->SetOffsetX(0);
    lv->Scrollbars()->SetOffsetY(0);
    item->MakeVisible(emvTop);
    EXPECT_EQ(lv->Scrollbars()->OffsetY(), r.Top);
    const int offset = lv->Scrollbars()->OffsetY();
    group->Item(16)->MakeVisible(emvMiddle);
    EXPECT_EQ(lv->Scrollbars()->OffsetY(), offset) << "an item in view does not scroll";
}

TEST_F(GroupsTest, DeleteItemReachesItemsOfCollapsedAndDisabledGroups)
{
    TLqGroup* a = group_with(2);
    TLqGroup* b = group_with(2);
    a->SetExpanded(false);
    b->SetEnabled(false);
    lv->Groups()->DeleteItem(a->Item(0));
    lv->Groups()->DeleteItem(b->Item(1));
    EXPECT_EQ(a->ItemCount(), 1);
    EXPECT_EQ(b->ItemCount(), 1);
    lv->Groups()->DeleteGroup(a);
    EXPECT_EQ(lv->Groups()->Count(), 1);
    EXPECT_EQ(lv->Groups()->FirstGroup(), b);
}

TEST_F(GroupsTest, HidingAGroupHidesItsItemsFirstAndShowingItRaisesItsEventFirst)
{
    TLqGroup* group = group_with(1);
    lv->OnItemVisibilityChanged = [this](auto&&...) { heard.push_back(QStringLiteral("item")); };
    lv->OnGroupVisibilityChanged = [this](auto&&...) { heard.push_back(QStringLiteral("group")); };
    group->SetVisible(false);
    group->SetVisible(true);
    const std::vector<QString> expected = {QStringLiteral("item"), QStringLiteral("group"),
                                           QStringLiteral("group"), QStringLiteral("item")};
    EXPECT_EQ(heard, expected);
}

TEST_F(GroupsTest, CollapsingNeedsAnExpandableGroup)
{
    TLqGroup* group = group_with(1);
    int collapses = 0;
    lv->OnGroupCollapse = [&](auto&&...) { ++collapses; };
    lv->GetPaintInfoGroup()->SetExpandable(false);
    group->SetExpanded(false);
    EXPECT_TRUE(group->Expanded());
    lv->GetPaintInfoGroup()->SetExpandable(true);
    group->SetExpanded(false);
    EXPECT_FALSE(group->Expanded());
    EXPECT_EQ(collapses, 1);
}

TEST_F(GroupsTest, GroupStreamsRoundTrip)
{
    lv->Selection()->SetMultiSelect(true);
    TLqGroup* a = group_with(3, QStringLiteral("A"));
    group_with(1, QStringLiteral("B"))->SetChecked(false);
    a->Item(0)->SetSelected(true);
    a->Item(1)->SetBold(true);
    a->Item(2)->SetVisible(false);
    a->Item(1)->SetImageIndex(5);
    a->SetImageIndex(2);
    TMemoryStream stream;
    lv->SaveToStream(&stream);

    TOwned<TLqListview> other(new TLqListview(nullptr));
    other->Selection()->SetMultiSelect(true);
    stream.SetPosition(0);
    other->LoadFromStream(&stream);
    EXPECT_EQ(stream.Position(), stream.Size());
    TLqGroups* groups = other->Groups();
    ASSERT_EQ(groups->Count(), 2);
    EXPECT_EQ(groups->Groups(0)->Caption(), QStringLiteral("A"));
    EXPECT_EQ(groups->Groups(0)->ImageIndex(), 2);
    EXPECT_FALSE(groups->Groups(1)->Checked());
    ASSERT_EQ(groups->Groups(0)->ItemCount(), 3);
    for (int i = 0; i < 3; ++i) {
        TLqItem* was = a->Item(i);
        TLqItem* now = groups->Groups(0)->Item(i);
        EXPECT_EQ(now->Caption(), was->Caption()) << i;
        EXPECT_EQ(now->State() & kLqStoredStateMask, was->State() & kLqStoredStateMask) << i;
        EXPECT_EQ(now->ImageIndex(), was->ImageIndex()) << i;
    }
    EXPECT_EQ(other->Selection()->Count(), 1);
    EXPECT_EQ(groups->Groups(1)->Item(0)->Caption(), QStringLiteral("B0"));
}

}

namespace {

TEST_F(GroupsTest, AHeaderMarginIsHitOverItsCaptionAndTheItemAreaIsNot)
{
    lv->SetShowGroupMargins(true);
    TLqGroup* group = group_with(2, QStringLiteral("A"));
    EXPECT_EQ(group->BoundsRectTopMargin(), Rect(0, 0, 225, 30));
    EXPECT_EQ(group->ClientRect().Top, 30);
    EXPECT_EQ(group->Item(0)->ViewRect().Top, 30);
    TLqGroupHitTestInfoSet hit;
    EXPECT_TRUE(group->HitTestAt(TPoint{20, 10}, hit));
    EXPECT_TRUE(hit.Contains(egtOnHeader));
    EXPECT_TRUE(hit.Contains(egtOnText) || hit.Contains(egtOnLabel));
    EXPECT_FALSE(group->HitTestAt(TPoint{20, 50}, hit));
    EXPECT_TRUE(hit.Empty());
    EXPECT_TRUE(group->BoundsRectLeftMargin().IsEmpty()) << "the side margins are hidden";
}

TEST_F(GroupsTest, RectangleWalksPassThroughEmptyGroupsAndStopAtTheFarEdge)
{
    TLqGroup* a = group_with(6); // two rows, 0..150
    TLqGroup* empty = group_with(0);
    TLqGroup* c = group_with(3); // below the empty group
    const TRect top_rows = Rect(0, 0, 240, 80);
    EXPECT_EQ(lv->Groups()->FirstGroupInRect(top_rows), a);
    EXPECT_EQ(lv->Groups()->NextGroupInRect(a, top_rows), empty);
    EXPECT_EQ(lv->Groups()->NextGroupInRect(empty, top_rows), nullptr);
    EXPECT_EQ(lv->Groups()->FirstItemInRect(top_rows), a->Item(0));
    EXPECT_EQ(lv->Groups()->NextItemInRect(a->Item(2), top_rows), a->Item(3))
        << "the second row starts at 75, inside the rectangle";
    EXPECT_EQ(lv->Groups()->NextItemInRect(a->Item(5), top_rows), nullptr);
    const TRect lower = Rect(0, 100, 240, 400);
    EXPECT_EQ(lv->Groups()->FirstItemInRect(lower), a->Item(3));
    EXPECT_EQ(lv->Groups()->NextItemInRect(a->Item(5), lower), c->Item(0));
}

}
