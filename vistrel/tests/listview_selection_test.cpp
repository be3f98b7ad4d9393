// The selection manager of the list-view control: the order of the events of its
// operations, batching, the bulk operations and their conditions, deleting the
// selected items, drag-rectangle steps and selection groups.

#include "framework/classes.h"
#include "listview/groups.h"
#include "listview/items.h"
#include "listview/layout.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "listview/selection.h"
#include "platform/user_paint.h"

#include <gtest/gtest.h>

#include <vector>

using namespace fw;
using namespace vistrel::listview;

namespace {

class SelectionTest : public ::testing::Test {
protected:
    // Declared first: the control's destruction still reports into it.
    std::vector<QString> heard;
    TOwned<TLqListview> lv{new TLqListview(nullptr)};

    // The events name items by their global index, which the control's end cannot give.
    void TearDown() override
    {
        lv->OnItemFocusChanging = nullptr;
        lv->OnItemFocusChanged = nullptr;
        lv->OnItemSelectionChanging = nullptr;
        lv->OnItemSelectionChanged = nullptr;
        lv->OnItemSelectionsChanged = nullptr;
    }
    TLqSelectionManager* sel() const { return lv->Selection(); }
    TLqItem* item(int index) const { return lv->Items()->Items(index); }
    TLqGroup* group_with(int items)
    {
        TLqGroup* group = lv->Groups()->Add(nullptr);
        for (int i = 0; i < items; ++i)
            group->Items()->Add(nullptr);
        return group;
    }
    // A window, so that the items are laid out.
    void show()
    {
        lv->SetBorderStyle(bsNone);
        lv->SetBounds(0, 0, 400, 300);
        lv->HandleNeeded();
        lv->Groups()->Rebuild(true);
    }
    // Records each event with the global index of its item ("Changed 3").
    void listen()
    {
        auto one = [this](const char* name) {
            return [this, name](auto*, TLqItem* item, auto&&...) {
                heard.push_back(QString::fromLatin1(name) + QLatin1Char(' ') +
                                QString::number(lv->Items()->IndexOf(item)));
            };
        };
        lv->OnItemFocusChanging = one("FocusChanging");
        lv->OnItemFocusChanged = one("FocusChanged");
        lv->OnItemSelectionChanging = one("SelectionChanging");
        lv->OnItemSelectionChanged = one("SelectionChanged");
        lv->OnItemSelectionsChanged = [this](auto&&...) {
            heard.push_back(QStringLiteral("SelectionsChanged"));
        };
    }
    std::vector<QString> names(std::initializer_list<const char*> list)
    {
        std::vector<QString> result;
        for (const char* name : list)
            result.push_back(QString::fromLatin1(name));
        return result;
    }
    std::vector<int> selected() const
    {
        std::vector<int> result;
        for (TLqItem* item : sel()->SelectedToArray())
            result.push_back(lv->Items()->IndexOf(item));
        return result;
    }
};

TEST_F(SelectionTest, SelectFirstClearsThenFocusesAndSelectsTheFirstItemInThisOrder)
{
    sel()->SetMultiSelect(true);
    group_with(3);
    item(1)->SetSelected(true);
    item(2)->SetFocused(true);
    listen();
    sel()->SelectFirst();
    EXPECT_EQ(heard,
              names({"SelectionChanging 1", "SelectionChanged 1", "SelectionsChanged",
                     "FocusChanging 0", "FocusChanged 0", "FocusChanging 2", "FocusChanged 2",
                     "SelectionChanging 0", "SelectionsChanged", "SelectionChanged 0"}));
    EXPECT_EQ(sel()->FocusedItem(), item(0));
    EXPECT_EQ(selected(), std::vector<int>{0});
}

TEST_F(SelectionTest, SelectFirstWhenThereIsNothingToSelect)
{
    // An empty control: only the clearing, which finds nothing and says nothing.
    listen();
    sel()->SelectFirst();
    sel()->ClearAll();
    EXPECT_TRUE(heard.empty());

    // Disabled: nothing is cleared and nothing selected.
    group_with(2);
    item(1)->SetSelected(true);
    sel()->SetEnabled(false);
    EXPECT_EQ(sel()->Count(), 0) << "disabling clears the selection";
    item(1)->SetSelected(true);
    heard.clear();
    sel()->SelectFirst();
    sel()->FocusFirst();
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(selected(), std::vector<int>{1});
    EXPECT_EQ(sel()->FocusedItem(), item(1)) << "without MultiSelect the selected item is focused";
}

TEST_F(SelectionTest, SelectAllOfAHundredItemsRaisesOneSelectionsChangedLast)
{
    sel()->SetMultiSelect(true);
    group_with(100);
    int changed = 0;
    int batches = 0;
    int changed_before_batch = -1;
    lv->OnItemSelectionChanged = [&](auto&&...) { ++changed; };
    lv->OnItemSelectionsChanged = [&](auto&&...) {
        ++batches;
        changed_before_batch = changed;
    };
    sel()->SelectAll();
    EXPECT_EQ(changed, 100);
    EXPECT_EQ(batches, 1);
    EXPECT_EQ(changed_before_batch, 100);
    EXPECT_EQ(sel()->Count(), 100);

    changed = batches = 0;
    sel()->Invert();
    EXPECT_EQ(changed, 100);
    EXPECT_EQ(batches, 1);
    EXPECT_EQ(sel()->Count(), 0);
}

TEST_F(SelectionTest, WithoutMultiSelectOnlyInvertAndClearAllWork)
{
    show();
    TLqGroup* group = group_with(4);
    const struct {
        const char* name;
        std::function<void()> operation;
    } refused[] = {
        {"SelectAll", [&] { sel()->SelectAll(); }},
        {"SelectRange", [&] { sel()->SelectRange(item(0), item(2), false, false); }},
        {"SelectRect", [&] { sel()->SelectRect(group->ViewRect(), false); }},
        {"SelectGroupItems", [&] { sel()->SelectGroupItems(group, false); }},
    };
    for (const auto& step : refused) {
        step.operation();
        EXPECT_EQ(sel()->Count(), 0) << step.name;
    }
    // Each item selected in turn clears the one before: the last one stays.
    sel()->Invert();
    EXPECT_EQ(selected(), std::vector<int>{3});
    sel()->ClearAll();
    EXPECT_EQ(sel()->Count(), 0);

    item(1)->SetSelected(true);
    sel()->SetMultiSelect(true);
    EXPECT_EQ(sel()->Count(), 0) << "switching MultiSelect clears";
}

TEST_F(SelectionTest, SelectRangeRunsOverVisibleItemsInEitherOrderAndAcrossGroups)
{
    sel()->SetMultiSelect(true);
    group_with(3);
    group_with(3);
    group_with(2);
    item(4)->SetVisible(false);

    sel()->SelectRange(item(6), item(1), false, true);
    EXPECT_EQ(selected(), (std::vector<int>{1, 2, 3, 5, 6}));
    sel()->SelectRange(item(1), item(6), false, true);
    EXPECT_EQ(selected(), (std::vector<int>{1, 2, 3, 5, 6}));
    // In one group by the items' own order.
    sel()->SelectRange(item(7), item(6), false, true);
    EXPECT_EQ(selected(), (std::vector<int>{6, 7}));
    // Without ClearFirst the range adds to the selection; a missing end adds nothing.
    sel()->SelectRange(item(0), item(0), false, false);
    sel()->SelectRange(item(2), nullptr, false, false);
    EXPECT_EQ(selected(), (std::vector<int>{0, 6, 7}));
    sel()->SelectRange(nullptr, item(2), false, true);
    EXPECT_EQ(sel()->Count(), 0);
}

TEST_F(SelectionTest, RectangleSelectionAndGroupItems)
{
    show();
    sel()->SetMultiSelect(true);
    TLqGroup* a = group_with(4);
    TLqGroup* b = group_with(2);
    // The rectangle spanned by two items of one row holds those and the ones between.
    sel()->SelectRange(item(0), item(2), true, true);
    std::vector<int> expected;
    TRect span = LqUnion(item(0)->ViewRect(), item(2)->ViewRect());
    for (int i = 0; i < lv->Items()->Count(); ++i) {
        if (LqIntersects(item(i)->ViewRect(), span))
            expected.push_back(i);
    }
    EXPECT_EQ(selected(), expected);
    EXPECT_GE(expected.size(), 3u);

    sel()->SelectGroupItems(b, true);
    EXPECT_EQ(selected(), (std::vector<int>{4, 5}));
    sel()->SelectGroupItems(a, false);
    EXPECT_EQ(sel()->Count(), 6);
    sel()->SelectGroupItems(nullptr, true);
    EXPECT_EQ(sel()->Count(), 6);
}

TEST_F(SelectionTest, DeleteSelectedSelectsAndFocusesTheItemBeforeTheFirstDeleted)
{
    sel()->SetMultiSelect(true);
    group_with(3);
    group_with(3);
    TLqItem* b0 = item(3);
    // The first selected item is the first of the second group: the item before it is
    // the last of the first group, not the first item of the control.
    item(4)->SetSelected(true);
    item(5)->SetSelected(true);
    sel()->DeleteSelected(true);
    EXPECT_EQ(lv->Items()->Count(), 4);
    EXPECT_TRUE(b0->Selected() && b0->Focused());
    EXPECT_EQ(selected(), std::vector<int>{3});
}

TEST_F(SelectionTest, DeleteSelectedAtTheStartSelectsTheNewFirstItem)
{
    sel()->SetMultiSelect(true);
    group_with(4);
    TLqItem* third = item(2);
    item(0)->SetSelected(true);
    item(1)->SetSelected(true);
    sel()->DeleteSelected(true);
    EXPECT_EQ(lv->Items()->Count(), 2);
    EXPECT_EQ(item(0), third);
    EXPECT_TRUE(third->Selected() && third->Focused());

    // Without SelectPrevItem nothing is selected afterwards; deleting everything leaves
    // nothing to select; with nothing selected nothing is deleted.
    sel()->DeleteSelected(false);
    EXPECT_EQ(lv->Items()->Count(), 1);
    EXPECT_EQ(sel()->Count(), 0);
    sel()->DeleteSelected(true);
    EXPECT_EQ(lv->Items()->Count(), 1);
    sel()->SelectAll();
    sel()->DeleteSelected(true);
    EXPECT_EQ(lv->Items()->Count(), 0);
    EXPECT_EQ(sel()->Count(), 0);
}

TEST_F(SelectionTest, FocusedItemIgnoresHiddenAndDisabledItemsAndAnchorsLikewise)
{
    group_with(3);
    item(1)->SetVisible(false);
    item(2)->SetEnabled(false);
    sel()->SetFocusedItem(item(0));
    for (int i : {1, 2}) {
        sel()->SetFocusedItem(item(i));
        sel()->SetAnchorItem(item(i));
        EXPECT_EQ(sel()->FocusedItem(), item(0)) << i;
        EXPECT_EQ(sel()->AnchorItem(), nullptr) << i;
    }
    // A refused loss of focus keeps the focus where it is.
    lv->OnItemFocusChanging = [&](auto*, TLqItem* target, bool& allow) {
        allow = target != item(0);
    };
    item(2)->SetEnabled(true);
    sel()->SetFocusedItem(item(2));
    EXPECT_EQ(sel()->FocusedItem(), item(0));
    EXPECT_FALSE(item(2)->Focused());
}

TEST_F(SelectionTest, DragStepsSelectWhatTheRectangleCoversAndKeepTheRest)
{
    show();
    sel()->SetMultiSelect(true);
    group_with(6);
    TLqDragRectManager* drag = lv->DragRect();
    auto around = [&](int first, int last) {
        return LqUnion(item(first)->ViewRect(), item(last)->ViewRect());
    };
    ASSERT_EQ(item(0)->ViewRect().Top, item(2)->ViewRect().Top) << "one row holds three";
    item(5)->SetSelected(true);

    drag->SetRects(TRect{}, around(0, 1));
    sel()->TrackDragRect({});
    EXPECT_EQ(selected(), (std::vector<int>{0, 1, 5}));
    // The rectangle shrinks: what it left is unselected, what came before the drag stays.
    drag->SetRects(around(0, 1), around(0, 0));
    sel()->TrackDragRect({});
    EXPECT_EQ(selected(), (std::vector<int>{0, 5}));

    // With Ctrl, the items whose hit changed flip.
    drag->SetRects(around(0, 0), around(0, 2));
    sel()->TrackDragRect({cksControl});
    EXPECT_EQ(selected(), (std::vector<int>{0, 1, 2, 5}));
    drag->SetRects(TRect{}, around(1, 1));
    sel()->TrackDragRect({cksControl});
    EXPECT_EQ(selected(), (std::vector<int>{0, 2, 5}));
}

TEST_F(SelectionTest, AdjacentSelectedItemsShareOneSelectionGroup)
{
    show();
    sel()->SetMultiSelect(true);
    group_with(5);
    sel()->SetGroupSelections(true);
    item(1)->SetSelected(true);
    EXPECT_EQ(item(1)->SelectionGroup(), nullptr) << "a single selected item has none";
    item(2)->SetSelected(true);
    TLqSelectionGroupList* run = item(1)->SelectionGroup();
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(item(2)->SelectionGroup(), run);
    EXPECT_EQ(run->Count(), 2);
    EXPECT_EQ(run->FirstItem, item(1));
    EXPECT_EQ(run->DisplayRect, LqUnion(item(1)->ViewRect(), item(2)->ViewRect()));

    // Three in a row grow the one group; one more apart gets none.
    sel()->SelectRange(item(1), item(3), false, false);
    item(4)->SetSelected(false);
    ASSERT_NE(item(3)->SelectionGroup(), nullptr);
    EXPECT_EQ(item(3)->SelectionGroup(), item(1)->SelectionGroup());
    EXPECT_EQ(item(1)->SelectionGroup()->Count(), 3);

    item(2)->SetSelected(false);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(item(i)->SelectionGroup(), nullptr) << i;
}

TEST_F(SelectionTest, InvalidateVisibleSelectedAndColourSettersRepaint)
{
    show();
    sel()->SetMultiSelect(true);
    group_with(3);
    item(1)->SetSelected(true);
    ValidateRect(lv->Handle(), nullptr);
    sel()->InvalidateVisibleSelected(false);
    RECT dirty{};
    ASSERT_TRUE(GetUpdateRect(lv->Handle(), &dirty, FALSE));
    const TRect window = lv->Scrollbars()->MapViewRectToWindowRect(item(1)->ViewRect());
    EXPECT_TRUE(LqIntersects(TRect{dirty.left, dirty.top, dirty.right, dirty.bottom}, window));

    ValidateRect(lv->Handle(), nullptr);
    sel()->SetGradient(true);
    EXPECT_TRUE(GetUpdateRect(lv->Handle(), nullptr, FALSE));
    ValidateRect(lv->Handle(), nullptr);
    sel()->SetGradient(true);
    EXPECT_FALSE(GetUpdateRect(lv->Handle(), nullptr, FALSE)) << "an unchanged value does nothing";
}

}
