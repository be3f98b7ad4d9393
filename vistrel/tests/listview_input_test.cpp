// Mouse and keyboard input of the list-view control: clicks and their selection rules,
// gestures, check boxes, keys, the wheel and the context menu, all from messages sent
// to the control's window.

#include "framework/forms.h"
#include "framework/menus.h"
#include "listview/groups.h"
#include "listview/item_view.h"
#include "listview/items.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "listview/rect_array.h"
#include "listview/scrollbars.h"
#include "listview/selection.h"
#include "platform/drag_and_accessibility.h"
#include "platform/qt.h"
#include "platform/user_input.h"
#include "platform/user_messages.h"

#include <gtest/gtest.h>

#include <vector>

using namespace fw;
using namespace vistrel::listview;

namespace {

// An item view with a check box in the cell's top-left corner and a one-line caption
// strip at its bottom; the rest of the cell is the icon.
class CheckStripView : public TLqViewItem {
public:
    using TLqViewItem::TLqViewItem;
    static TLqViewItemClass Info();
    TLqViewItemClass ClassType() const override { return Info(); }
    void ItemRectArray(TLqItem* item, TLqColumn*, TCanvas*, const QString&,
                       TLqRectArrayObject& rects) override
    {
        const TRect cell = item->ViewRect();
        rects = TLqRectArrayObject{};
        rects.BoundsRect = cell;
        rects.CheckRect = TRect{cell.Left + 2, cell.Top + 2, cell.Left + 16, cell.Top + 16};
        rects.IconRect = TRect{cell.Left + 20, cell.Top, cell.Right, cell.Bottom - 20};
        rects.LabelRect = TRect{cell.Left, cell.Bottom - 20, cell.Right, cell.Bottom};
        rects.TextRect = rects.LabelRect;
        rects.FullTextRect = rects.LabelRect;
        rects.SelectionRect = cell;
        rects.FullFocusSelRect = rects.LabelRect;
        rects.ClickSelectBoundsRect = cell;
        rects.DragSelectBoundsRect = cell;
    }
    int PaintTextLineCount(TLqItem*, TLqColumn*) override { return 1; }
};

const TLqViewItemClassInfo kCheckStripView{
    "CheckStripView", TLqViewItem::ClassInfo(),
    [](TLqGroup* group) -> TLqViewItem* { return new CheckStripView(group); }};

TLqViewItemClass CheckStripView::Info()
{
    return &kCheckStripView;
}

// A window of 300 by 200 pixels without border, one group of items, several
// selectable at once.
class InputTest : public ::testing::Test {
protected:
    TOwned<TLqListview> lv{new TLqListview(nullptr)};
    std::vector<QString> heard;

    void SetUp() override
    {
        platform::test::AdvanceClock(0);
        lv->SetBorderStyle(bsNone);
        lv->SetBounds(0, 0, 300, 200);
        lv->HandleNeeded();
        lv->Selection()->SetMultiSelect(true);
    }
    void TearDown() override
    {
        platform::test::SetKeyState(VK_CONTROL, false);
        platform::test::SetKeyState(VK_SHIFT, false);
    }
    TLqGroup* group_with(int items)
    {
        TLqGroup* group = lv->Groups()->Add(nullptr);
        for (int i = 0; i < items; ++i)
            group->Items()->Add(nullptr)->SetCaption(QStringLiteral("item %1").arg(i));
        return group;
    }
    // The middle of the item's click-select area in window coordinates.
    TPoint centre(TLqItem* item) const
    {
        TLqRectArrayObject rects;
        item->ItemRectArray(nullptr, lv->Canvas(), rects);
        const TRect area =
            lv->Scrollbars()->MapViewRectToWindowRect(rects.ClickSelectBoundsRect, true);
        return TPoint{(area.Left + area.Right) / 2, (area.Top + area.Bottom) / 2};
    }
    // A window point in the group's top margin on which the group's hit test gives the
    // flag, or (-1, -1).
    TPoint find_in_top_margin(TLqGroup* group, TLqGroupHitTestInfo flag) const
    {
        const TRect margin =
            lv->Scrollbars()->MapViewRectToWindowRect(group->BoundsRectTopMargin(), true);
        for (int y = margin.Top; y < margin.Bottom; ++y)
            for (int x = margin.Left; x < margin.Right; ++x) {
                TLqGroupHitTestInfoSet hit;
                const TPoint at{x, y};
                if (lv->GroupHitTest(lv->ViewPoint(at), hit) == group && hit.Contains(flag))
                    return at;
            }
        return TPoint{-1, -1};
    }
    LRESULT send(UINT msg, WPARAM wparam, TPoint at)
    {
        return SendMessageW(lv->Handle(), msg, wparam, MAKELPARAM(at.X, at.Y));
    }
    void click(TPoint at, WPARAM keys = 0)
    {
        send(WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
        send(WM_LBUTTONUP, keys, at);
    }
    void key(WORD code) { SendMessageW(lv->Handle(), WM_KEYDOWN, code, 1); }
    void wheel(int notches, WPARAM keys = 0)
    {
        const TPoint screen = lv->ClientToScreen(TPoint{10, 10});
        SendMessageW(lv->Handle(), WM_MOUSEWHEEL,
                     MAKEWPARAM(keys, static_cast<WORD>(static_cast<int16_t>(notches * 120))),
                     MAKELPARAM(screen.X, screen.Y));
    }
    std::vector<TLqItem*> selected() const
    {
        std::vector<TLqItem*> items;
        for (int i = 0; i < lv->Items()->Count(); ++i)
            if (lv->Items()->Items(i)->Selected())
                items.push_back(lv->Items()->Items(i));
        return items;
    }
};

// ---- Clicks ------------------------------------------------------------------------------------

TEST_F(InputTest, AClickOnEmptySpaceClearsTheSelectionOnRelease)
{
    TLqGroup* group = group_with(3);
    group->Item(0)->SetSelected(true);
    group->Item(2)->SetSelected(true);
    const TPoint empty{10, 190};
    ASSERT_EQ(lv->Groups()->ItemByPoint(lv->ViewPoint(empty)), nullptr);

    send(WM_LBUTTONDOWN, MK_LBUTTON, empty);
    EXPECT_EQ(lv->Selection()->Count(), 2) << "the press leaves the selection";
    send(WM_LBUTTONUP, 0, empty);
    EXPECT_EQ(lv->Selection()->Count(), 0);
    EXPECT_FALSE(lv->States().Contains(ebcsLButtonDown));
}

TEST_F(InputTest, APlainClickSelectsFocusesAndAnchorsTheItemAlone)
{
    TLqGroup* group = group_with(3);
    group->Item(0)->SetSelected(true);
    int clicks = 0;
    lv->OnItemClick = [&](TCustomLqListview*, TLqItem* item, TLqCommonKeyStates,
                          TLqItemHitTestInfoSet) { clicks += item == group->Item(1); };

    click(centre(group->Item(1)));
    EXPECT_EQ(selected(), std::vector<TLqItem*>{group->Item(1)});
    EXPECT_EQ(lv->Selection()->FocusedItem(), group->Item(1));
    EXPECT_EQ(lv->Selection()->AnchorItem(), group->Item(1));
    EXPECT_EQ(clicks, 1);
}

TEST_F(InputTest, CtrlClickOnASelectedItemUnselectsItOnReleaseAndFocusesIt)
{
    TLqGroup* group = group_with(3);
    click(centre(group->Item(0)));
    group->Item(1)->SetSelected(true);
    ASSERT_EQ(lv->Selection()->FocusedItem(), group->Item(0));

    send(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, centre(group->Item(1)));
    EXPECT_TRUE(group->Item(1)->Selected()) << "nothing changes on the press";
    send(WM_LBUTTONUP, MK_CONTROL, centre(group->Item(1)));
    EXPECT_FALSE(group->Item(1)->Selected());
    EXPECT_TRUE(group->Item(0)->Selected()) << "the others stay";
    EXPECT_EQ(lv->Selection()->FocusedItem(), group->Item(1));

    click(centre(group->Item(2)), MK_CONTROL);
    EXPECT_EQ(selected(), (std::vector<TLqItem*>{group->Item(0), group->Item(2)}));
}

TEST_F(InputTest, ShiftClickSelectsTheRunFromTheAnchor)
{
    TLqGroup* group = group_with(4);
    click(centre(group->Item(1)));
    click(centre(group->Item(3)), MK_SHIFT);
    EXPECT_EQ(selected(), (std::vector<TLqItem*>{group->Item(1), group->Item(2), group->Item(3)}));
    EXPECT_EQ(lv->Selection()->AnchorItem(), group->Item(1)) << "the anchor stays";
    EXPECT_EQ(lv->Selection()->FocusedItem(), group->Item(3));

    click(centre(group->Item(0)), MK_SHIFT);
    EXPECT_EQ(selected(), (std::vector<TLqItem*>{group->Item(0), group->Item(1)}));
}

TEST_F(InputTest, WithoutMultiSelectAClickKeepsOneItemSelected)
{
    lv->Selection()->SetMultiSelect(false);
    TLqGroup* group = group_with(3);
    click(centre(group->Item(0)));
    click(centre(group->Item(2)), MK_SHIFT);
    EXPECT_EQ(selected(), std::vector<TLqItem*>{group->Item(2)});
}

TEST_F(InputTest, AnItemMouseDownHandlerCanStopTheSelection)
{
    TLqGroup* group = group_with(2);
    lv->OnItemMouseDown = [](TCustomLqListview*, TLqItem*, TLqCommonMouseButton, bool& do_default) {
        do_default = false;
    };
    lv->OnItemMouseUp = [](TCustomLqListview*, TLqItem*, TLqCommonMouseButton, bool& do_default) {
        do_default = false;
    };
    click(centre(group->Item(1)));
    EXPECT_TRUE(selected().empty());
}

TEST_F(InputTest, TheExpandButtonTogglesOnThePressOnlyAndTheFocusLeavesACollapsedGroup)
{
    lv->SetShowGroupMargins(true);
    TLqGroup* first = group_with(3);
    TLqGroup* second = group_with(2);
    const TPoint button = find_in_top_margin(first, egtOnExpandButton);
    ASSERT_GE(button.X, 0) << "the top margin shows an expand button";
    int clicks = 0;
    lv->OnGroupClick = [&](TCustomLqListview*, TLqGroup*, TLqCommonKeyStates,
                           TLqGroupHitTestInfoSet) { ++clicks; };
    bool allow = false;
    lv->OnGroupCollapsing = [&](TCustomLqListview*, TLqGroup*, bool& allowed) { allowed = allow; };

    click(button);
    EXPECT_TRUE(first->Expanded()) << "the handler refused";

    allow = true;
    send(WM_RBUTTONDOWN, MK_RBUTTON, button);
    send(WM_RBUTTONUP, 0, button);
    EXPECT_TRUE(first->Expanded()) << "only the left button toggles";

    clicks = 0;
    first->Item(1)->SetFocused(true);
    second->Item(0)->SetSelected(true);
    send(WM_LBUTTONDOWN, MK_LBUTTON, button);
    EXPECT_FALSE(first->Expanded());
    EXPECT_EQ(lv->Selection()->FocusedItem(), second->Item(0));
    send(WM_LBUTTONUP, 0, button);
    EXPECT_FALSE(first->Expanded());
    EXPECT_EQ(clicks, 0) << "the release does nothing else";
    EXPECT_TRUE(second->Item(0)->Selected());

    click(button);
    EXPECT_TRUE(first->Expanded());
}

// ---- Gestures ----------------------------------------------------------------------------------

TEST_F(InputTest, ARightDragDrawsAGestureAndSuppressesTheContextMenu)
{
    group_with(1);
    lv->Gesture()->SetEnabled(true);
    lv->Gesture()->SetTolerance(5);
    QString gesture;
    lv->OnMouseGesture = [&](TCustomLqListview*, const QString& path, bool&) { gesture = path; };
    int menus = 0;
    lv->FOnContextMenu = [&](TCustomLqListview*, const TPoint&, bool&) { ++menus; };

    send(WM_RBUTTONDOWN, MK_RBUTTON, TPoint{100, 150});
    send(WM_MOUSEMOVE, MK_RBUTTON, TPoint{110, 150});
    EXPECT_EQ(lv->Gesture()->Path(), QStringLiteral("R"));
    send(WM_MOUSEMOVE, MK_RBUTTON, TPoint{120, 150});
    EXPECT_EQ(lv->Gesture()->Path(), QStringLiteral("R")) << "a further step adds nothing";
    send(WM_MOUSEMOVE, MK_RBUTTON, TPoint{120, 160});
    EXPECT_EQ(lv->Gesture()->Path(), QStringLiteral("RD"));
    send(WM_RBUTTONUP, 0, TPoint{120, 160});
    EXPECT_EQ(gesture, QStringLiteral("RD"));
    EXPECT_EQ(menus, 0);

    send(WM_RBUTTONDOWN, MK_RBUTTON, TPoint{100, 150});
    EXPECT_TRUE(lv->Gesture()->Path().isEmpty()) << "a press starts a new path";
}

// ---- Check boxes -------------------------------------------------------------------------------

TEST_F(InputTest, ACheckBoxTogglesOnlyWhenTheReleaseIsOnItsOwnBox)
{
    lv->OnItemCustomView = [](TCustomLqListview*, TLqItem*, TLqListStyle, TLqViewItemClass& view) {
        view = CheckStripView::Info();
    };
    lv->GetPaintInfoItem()->SetCheckType(ectBox);
    TLqGroup* group = group_with(2);
    TLqRectArrayObject rects[2];
    TPoint box[2];
    for (int i = 0; i < 2; ++i) {
        group->Item(i)->ItemRectArray(nullptr, lv->Canvas(), rects[i]);
        ASSERT_FALSE(rects[i].CheckRect.IsEmpty());
        const TRect window = lv->Scrollbars()->MapViewRectToWindowRect(rects[i].CheckRect, true);
        box[i] = TPoint{(window.Left + window.Right) / 2, (window.Top + window.Bottom) / 2};
    }
    const bool before[2] = {group->Item(0)->Checked(), group->Item(1)->Checked()};

    send(WM_LBUTTONDOWN, MK_LBUTTON, box[0]);
    EXPECT_TRUE(group->Item(0)->CheckPending());
    send(WM_LBUTTONUP, 0, box[1]);
    EXPECT_EQ(group->Item(0)->Checked(), before[0]);
    EXPECT_EQ(group->Item(1)->Checked(), before[1]) << "the other item's box is not toggled";
    EXPECT_FALSE(group->Item(0)->CheckPending());
    EXPECT_EQ(lv->CheckManager()->PendingObject(), nullptr);

    click(box[0]);
    EXPECT_NE(group->Item(0)->Checked(), before[0]);
    EXPECT_TRUE(selected().empty()) << "a check-box click selects nothing";
}

TEST_F(InputTest, AGroupCheckBoxTogglesOnlyWhenTheReleaseIsOnItsOwnBox)
{
    lv->SetShowGroupMargins(true);
    lv->GetPaintInfoGroup()->SetCheckType(ectBox);
    TLqGroup* groups[2] = {group_with(1), group_with(1)};
    TPoint box[2];
    for (int g = 0; g < 2; ++g) {
        box[g] = find_in_top_margin(groups[g], egtOnCheckbox);
        ASSERT_GE(box[g].X, 0) << "group " << g << " shows a check box";
        ASSERT_TRUE(groups[g]->Checked());
    }
    send(WM_LBUTTONDOWN, MK_LBUTTON, box[0]);
    EXPECT_TRUE(groups[0]->CheckPending());
    send(WM_LBUTTONUP, 0, box[1]);
    EXPECT_TRUE(groups[0]->Checked());
    EXPECT_TRUE(groups[1]->Checked()) << "the other group's box is not toggled";
    EXPECT_FALSE(groups[0]->CheckPending());

    click(box[1]);
    EXPECT_FALSE(groups[1]->Checked());
    EXPECT_TRUE(groups[0]->Checked());
}

// ---- Keys --------------------------------------------------------------------------------------

TEST_F(InputTest, TheFirstArrowKeyOnlyFocusesLaterOnesMoveAndSelect)
{
    TLqGroup* group = group_with(3);
    key(VK_RIGHT);
    EXPECT_EQ(lv->Selection()->FocusedItem(), group->Item(0));
    EXPECT_TRUE(selected().empty());
    key(VK_RIGHT);
    EXPECT_EQ(lv->Selection()->FocusedItem(), group->Item(1));
    EXPECT_EQ(selected(), std::vector<TLqItem*>{group->Item(1)});

    platform::test::SetKeyState(VK_SHIFT, true);
    key(VK_RIGHT);
    EXPECT_EQ(selected(), (std::vector<TLqItem*>{group->Item(1), group->Item(2)}));
    platform::test::SetKeyState(VK_SHIFT, false);

    key(VK_HOME);
    EXPECT_EQ(selected(), std::vector<TLqItem*>{group->Item(0)});
    key(VK_END);
    EXPECT_EQ(lv->Selection()->FocusedItem(), group->Item(2));
}

TEST_F(InputTest, DownWithOneUnselectedItemFocusesAndSelectsIt)
{
    TLqGroup* group = group_with(1);
    group->Item(0)->SetFocused(true);
    ASSERT_TRUE(selected().empty());
    key(VK_DOWN);
    EXPECT_EQ(lv->Selection()->FocusedItem(), group->Item(0));
    EXPECT_TRUE(group->Item(0)->Selected());
}

TEST_F(InputTest, CtrlXWithAnUnhandledCutRaisesTheEventTwiceAHandledOneMarksTheSelection)
{
    TLqGroup* group = group_with(2);
    group->Item(1)->SetSelected(true);
    int cuts = 0;
    bool handle = false;
    lv->OnClipboardCut = [&](TCustomLqListview*, bool&, bool& handled) {
        ++cuts;
        handled = handle;
    };
    platform::test::SetKeyState(VK_CONTROL, true);
    key('X');
    EXPECT_EQ(cuts, 2) << "the shortcut's event, then the cut's own";
    EXPECT_FALSE(group->Item(1)->Cut());

    cuts = 0;
    handle = true;
    key('X');
    EXPECT_EQ(cuts, 1);
    EXPECT_TRUE(group->Item(1)->Cut());
    EXPECT_FALSE(group->Item(0)->Cut());

    platform::test::SetKeyState(VK_CONTROL, false);
    key(VK_ESCAPE);
    EXPECT_FALSE(group->Item(1)->Cut());
    key('X');
    EXPECT_EQ(cuts, 1) << "X without Ctrl is no shortcut";
}

TEST_F(InputTest, CtrlAAndAKeyActionHandlerThatSwallowsTheKey)
{
    TLqGroup* group = group_with(3);
    platform::test::SetKeyState(VK_CONTROL, true);
    bool swallow = true;
    lv->OnKeyAction = [&](TCustomLqListview*, WORD&, TShiftState& shift, bool& do_default) {
        EXPECT_TRUE(shift.Contains(ssCtrl));
        do_default = !swallow;
    };
    key('A');
    EXPECT_TRUE(selected().empty());
    swallow = false;
    key('A');
    EXPECT_EQ(selected().size(), 3u);
    (void)group;
}

// ---- Wheel -------------------------------------------------------------------------------------

class FilmStripWheelTest : public InputTest {
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        lv->SetView(elsFilmStrip);
        group_with(20);
        // Four whole cells wide: a page is four cells.
        lv->SetBounds(0, 0, 4 * lv->Groups()->CellWidth(), 150);
    }
};

TEST_F(FilmStripWheelTest, ANotchScrollsOneCellWithShiftVerticallyWithCtrlAPage)
{
    const int cell = lv->Groups()->CellWidth();
    ASSERT_GT(cell, 0);
    std::vector<int> amounts;
    lv->OnMouseWheel = [&](TObject*, TShiftState, int delta, TPoint, bool&) {
        amounts.push_back(delta);
    };
    wheel(-1);
    EXPECT_EQ(lv->Scrollbars()->OffsetX(), cell);
    wheel(1);
    EXPECT_EQ(lv->Scrollbars()->OffsetX(), 0);

    const int width = lv->Width();
    lv->SetBounds(0, 0, width, cell / 2);
    wheel(-1, MK_SHIFT);
    EXPECT_EQ(lv->Scrollbars()->OffsetX(), 0);
    EXPECT_EQ(lv->Scrollbars()->OffsetY(), lv->Scrollbars()->MaxOffsetY());
    EXPECT_GT(lv->Scrollbars()->OffsetY(), 0) << "the cell is taller than the client";
    lv->Scrollbars()->SetOffsetY(0);

    wheel(-1, MK_CONTROL);
    EXPECT_EQ(lv->Scrollbars()->OffsetX(), width);
    EXPECT_EQ(amounts, (std::vector<int>{-cell, cell, -cell, -cell}))
        << "the framework's wheel events see one cell, the modifier works after them";
}

TEST_F(InputTest, AVerticalWheelWithAClientBelowOneCellDoesNotScroll)
{
    group_with(30);
    lv->SetWheelMouseDefaultScroll(edwsVert);
    const int cell = lv->Groups()->CellHeight();
    lv->SetBounds(0, 0, 300, cell - 1);
    ASSERT_GT(lv->Scrollbars()->MaxOffsetY(), 0);
    wheel(-1);
    EXPECT_EQ(lv->Scrollbars()->OffsetY(), 0);

    lv->SetBounds(0, 0, 300, 2 * cell + 1);
    wheel(-1);
    EXPECT_EQ(lv->Scrollbars()->OffsetY(), 2 * cell) << "as many lines as the client holds";
}

// ---- Context menu ------------------------------------------------------------------------------

class ContextMenuTest : public InputTest {
protected:
    TOwned<TPopupMenu> popup{new TPopupMenu(nullptr)};
    void SetUp() override
    {
        InputTest::SetUp();
        popup->Items()->Add(new TMenuItem(popup.get()));
        popup->OnPopup = [this](TObject*) { heard.push_back(QStringLiteral("popup")); };
        lv->SetPopupMenu(popup.get());
        lv->FOnContextMenu = [this](TCustomLqListview*, const TPoint& at, bool&) {
            heard.push_back(QStringLiteral("menu %1,%2").arg(at.X).arg(at.Y));
        };
        lv->OnItemContextMenu = [this](TCustomLqListview*, const TLqHitInfoItem& hit, const TPoint&,
                                       TPopupMenu*&, bool&) {
            heard.push_back(QStringLiteral("item %1").arg(hit.Item->Index()));
        };
    }
    void TearDown() override
    {
        int unused = 0;
        platform::test::ConsumeMenuChoice(&unused);
        InputTest::TearDown();
    }
};

TEST_F(ContextMenuTest, ARightClickRaisesTheMenuEventsARightDragShowsNoMenu)
{
    TLqGroup* group = group_with(2);
    const TPoint on_item = centre(group->Item(1));
    platform::test::ChooseMenuItem(-1);
    send(WM_RBUTTONDOWN, MK_RBUTTON, on_item);
    send(WM_RBUTTONUP, 0, on_item);
    const TPoint screen = lv->ClientToScreen(on_item);
    EXPECT_EQ(heard, (std::vector<QString>{QStringLiteral("item 1"),
                                           QStringLiteral("menu %1,%2").arg(screen.X).arg(screen.Y),
                                           QStringLiteral("popup")}));

    heard.clear();
    lv->DragRect()->SetEnabled(true);
    const TPoint empty{20, 190};
    send(WM_RBUTTONDOWN, MK_RBUTTON, empty);
    EXPECT_TRUE(lv->States().Contains(ebcsDragSelectPending));
    send(WM_MOUSEMOVE, MK_RBUTTON, TPoint{80, 170});
    EXPECT_TRUE(lv->States().Contains(ebcsDragSelecting));
    send(WM_RBUTTONUP, 0, TPoint{80, 170});
    EXPECT_TRUE(heard.empty());
    EXPECT_FALSE(lv->States().Contains(ebcsCancelContextMenu)) << "the next menu shows again";
    EXPECT_FALSE(lv->IsDragActive());
}

TEST_F(ContextMenuTest, TheMenuKeyWithNothingSelectedAndThePointerOutsideUsesTheCorner)
{
    group_with(2);
    SetCursorPos(5000, 5000);
    platform::test::ChooseMenuItem(-1);
    SendMessageW(lv->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(lv->Handle()),
                 MAKELPARAM(-1, -1));
    const TPoint corner = lv->ClientToScreen(TPoint{0, 0});
    EXPECT_EQ(heard, (std::vector<QString>{QStringLiteral("menu %1,%2").arg(corner.X).arg(corner.Y),
                                           QStringLiteral("popup")}));
}

TEST_F(ContextMenuTest, TheMenuKeyReportsTheFirstSelectedItem)
{
    TLqGroup* group = group_with(3);
    group->Item(2)->SetSelected(true);
    platform::test::ChooseMenuItem(-1);
    SendMessageW(lv->Handle(), WM_CONTEXTMENU, 0, MAKELPARAM(-1, -1));
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.front(), QStringLiteral("item 2"));
}

// ---- Drags, double clicks, hot tracking ----------------------------------------------------------

TEST_F(InputTest, APressOnEmptySpaceStartsTheDragRectangleOnceThePointerLeavesTheDragArea)
{
    TLqGroup* group = group_with(2);
    group->Item(0)->SetSelected(true);
    const TPoint press{20, 190};
    send(WM_LBUTTONDOWN, MK_LBUTTON, press);
    EXPECT_FALSE(lv->IsDragActive()) << "drag selection is off by default";
    send(WM_LBUTTONUP, 0, press);

    lv->DragRect()->SetEnabled(true);
    group->Item(0)->SetSelected(true);
    send(WM_LBUTTONDOWN, MK_LBUTTON, press);
    EXPECT_TRUE(lv->States().Contains(ebcsDragSelectPending));
    send(WM_MOUSEMOVE, MK_LBUTTON, TPoint{press.X + 1, press.Y});
    EXPECT_FALSE(lv->States().Contains(ebcsDragSelecting)) << "still inside the drag area";
    EXPECT_EQ(lv->Selection()->Count(), 1);
    send(WM_MOUSEMOVE, MK_LBUTTON, TPoint{press.X + 40, press.Y - 30});
    EXPECT_TRUE(lv->States().Contains(ebcsDragSelecting));
    EXPECT_TRUE(lv->DragRect()->Dragging());
    EXPECT_EQ(lv->Selection()->Count(), 0) << "a drag without Ctrl or Shift starts afresh";
    send(WM_LBUTTONUP, 0, TPoint{press.X + 40, press.Y - 30});
    EXPECT_FALSE(lv->IsDragActive());
    EXPECT_FALSE(lv->DragRect()->Dragging());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(InputTest, ADoubleClickReportsTheItemOrTheControl)
{
    TLqGroup* group = group_with(2);
    std::vector<QString> calls;
    lv->OnDblClick = [&](TCustomLqListview*, TLqCommonMouseButton button, const TPoint&,
                         TShiftState) { calls.push_back(QStringLiteral("dbl %1").arg(button)); };
    lv->OnItemDblClick = [&](TCustomLqListview*, TLqCommonMouseButton, const TPoint&,
                             const TLqHitInfoItem& hit) {
        calls.push_back(QStringLiteral("item %1 %2")
                            .arg(hit.Item->Index())
                            .arg(hit.Group == group ? QStringLiteral("in group")
                                                    : QStringLiteral("elsewhere")));
    };
    send(WM_LBUTTONDBLCLK, MK_LBUTTON, centre(group->Item(1)));
    send(WM_LBUTTONUP, 0, centre(group->Item(1)));
    send(WM_RBUTTONDBLCLK, MK_RBUTTON, TPoint{20, 190});
    EXPECT_EQ(calls,
              (std::vector<QString>{QStringLiteral("dbl 1"), QStringLiteral("item 1 in group"),
                                    QStringLiteral("dbl 2")}));
}

TEST_F(InputTest, HotTrackingFollowsThePointerOnlyWhereItMay)
{
    TLqGroup* group = group_with(2);
    lv->HotTrack()->SetEnabled(true);
    lv->HotTrack()->SetItemTrack(TLqHotTrackRectItems{htiAnyWhere});
    send(WM_MOUSEMOVE, 0, centre(group->Item(0)));
    EXPECT_TRUE(group->Item(0)->HotTracking());
    send(WM_MOUSEMOVE, 0, centre(group->Item(1)));
    EXPECT_FALSE(group->Item(0)->HotTracking());
    EXPECT_TRUE(group->Item(1)->HotTracking());
    send(WM_MOUSEMOVE, 0, TPoint{20, 190});
    EXPECT_EQ(lv->HotTrack()->HotObject(), nullptr);

    group->Item(1)->SetEnabled(false);
    send(WM_MOUSEMOVE, 0, centre(group->Item(1)));
    EXPECT_EQ(lv->HotTrack()->HotObject(), nullptr) << "a disabled item is never hot";

    lv->HotTrack()->SetOnlyFocused(true);
    SetFocus(nullptr);
    ASSERT_FALSE(lv->Focused());
    send(WM_MOUSEMOVE, 0, centre(group->Item(0)));
    EXPECT_EQ(lv->HotTrack()->HotObject(), nullptr);
}

// ---- Other messages ------------------------------------------------------------------------------

TEST_F(InputTest, TheControlWantsArrowsAllKeysAndCharactersAndHandsOutNoAccessibleObject)
{
    EXPECT_EQ(SendMessageW(lv->Handle(), WM_GETDLGCODE, 0, 0) & 0x85, 0x85);
    EXPECT_EQ(SendMessageW(lv->Handle(), WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT)), 0);
    EXPECT_EQ(SendMessageW(lv->Handle(), WM_ERASEBKGND, 0, 0), 1);
}

TEST_F(InputTest, WithoutSelectionOrFocusRectTheKeysScrollTheView)
{
    group_with(40);
    lv->Selection()->SetEnabled(false);
    lv->Selection()->SetUseFocusRect(false);
    ASSERT_GT(lv->Scrollbars()->MaxOffsetY(), 0);
    key(VK_END);
    EXPECT_EQ(lv->Scrollbars()->OffsetY(), lv->Scrollbars()->MaxOffsetY());
    EXPECT_EQ(lv->Selection()->FocusedItem(), nullptr);
    key(VK_HOME);
    EXPECT_EQ(lv->Scrollbars()->OffsetY(), 0);
    key(VK_NEXT);
    EXPECT_EQ(lv->Scrollbars()->OffsetY(),
              std::min(lv->ClientHeight(), lv->Scrollbars()->MaxOffsetY()));
}

TEST_F(InputTest, TheEditMoveMessageFocusesTheWaitingItem)
{
    TLqGroup* group = group_with(3);
    lv->EditManager()->SetTabMoveFocusItem(group->Item(2));
    SendMessageW(lv->Handle(), 0x80CE, 0, 0);
    EXPECT_EQ(lv->EditManager()->TabMoveFocusItem(), nullptr);
    EXPECT_EQ(lv->Selection()->FocusedItem(), group->Item(2));
}

// ---- Hints ---------------------------------------------------------------------------------------

TEST_F(InputTest, AHintNeedsAHandlersConsentAndPointsAtTheItemUnderTheCursor)
{
    TLqGroup* group = group_with(2);
    lv->SetHint(QStringLiteral("hello"));
    bool allow = false;
    TLqCollectionItem* target = nullptr;
    lv->OnHintPopup = [&](TCustomLqListview*, TLqCollectionItem* object, TLqHintType, const TPoint&,
                          QString& text, int& hide, int&, bool& allowed) {
        target = object;
        text += QStringLiteral("!");
        hide = 1234;
        allowed = allow;
    };
    THintInfo info;
    info.CursorPos = centre(group->Item(1));
    info.HideTimeout = 2500;
    EXPECT_NE(lv->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(target, group->Item(1));

    allow = true;
    EXPECT_EQ(lv->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), 0);
    ASSERT_NE(info.HintData, nullptr);
    EXPECT_TRUE(info.HintWindowClass != nullptr);
    EXPECT_EQ(info.HideTimeout, 1234) << "the handler's timeout holds";
    EXPECT_EQ(info.CursorRect,
              lv->Scrollbars()->MapViewRectToWindowRect(group->Item(1)->ViewRect(), true));

    lv->SetHint(QString());
    lv->OnHintPopup = [](TCustomLqListview*, TLqCollectionItem*, TLqHintType, const TPoint&,
                         QString&, int&, int&, bool& allowed) { allowed = true; };
    THintInfo empty;
    empty.CursorPos = centre(group->Item(0));
    EXPECT_NE(lv->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&empty)), 0)
        << "no text, no hint";
}

TEST_F(InputTest, AToolTipShowsOnlyACaptionThatDoesNotFit)
{
    lv->OnItemCustomView = [](TCustomLqListview*, TLqItem*, TLqListStyle, TLqViewItemClass& view) {
        view = CheckStripView::Info();
    };
    TLqGroup* group = group_with(2);
    group->Item(1)->SetCaption(QString(200, QLatin1Char('w')));
    lv->SetHintType(ehtToolTip);
    lv->SetHint(QStringLiteral("x"));
    QString text;
    EXPECT_FALSE(lv->CaptionNeedsTip(group->Item(0), text));
    EXPECT_TRUE(text.isEmpty());
    EXPECT_TRUE(lv->CaptionNeedsTip(group->Item(1), text));
    EXPECT_EQ(text, group->Item(1)->Caption());

    THintInfo info;
    info.CursorPos = centre(group->Item(1));
    EXPECT_EQ(lv->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), 0);
    info = THintInfo{};
    info.CursorPos = centre(group->Item(0));
    EXPECT_NE(lv->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), 0);

    group->Item(1)->SetFocused(true);
    EXPECT_FALSE(lv->CaptionNeedsTip(group->Item(1), text)) << "the focused item shows it all";
}

}
