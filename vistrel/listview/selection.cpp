#include "listview/selection.h"

#include "listview/groups.h"
#include "listview/items.h"
#include "listview/layout.h"
#include "listview/listview.h"
#include "listview/managers.h"

#include <algorithm>

using namespace fw;

namespace vistrel::listview {

void TLqSelectionGroupList::DecRef()
{
    if (--m_ref_count == 0)
        delete this;
}

TLqSelectionManager::TLqSelectionManager(TCustomLqListview* owner) : TLqOwnedPersistent(owner)
{
}

void TLqSelectionManager::invalidate_control()
{
    if (OwnerListview() != nullptr)
        OwnerListview()->SafeInvalidateRect(nullptr, false);
}

void TLqSelectionManager::ItemSelected(TLqItem* item)
{
    if (!m_multi_select)
        ClearAllExcept(item);
    ++m_count;
    if (!m_multi_select)
        SetFocusedItem(item);
    ++m_items_toggled;
    FireSelectionsChanged();
}

void TLqSelectionManager::ItemUnselected(TLqItem* item)
{
    --m_count;
    item->ReleaseSelectionGroup();
    ++m_items_toggled;
    FireSelectionsChanged();
}

void TLqSelectionManager::FireSelectionsChanged()
{
    if (m_multi_change_count == 0 && m_items_toggled > 0) {
        if (OwnerListview() != nullptr)
            OwnerListview()->DoItemSelectionsChanged();
        m_items_toggled = 0;
    }
}

void TLqSelectionManager::IncMultiChangeCount()
{
    if (m_multi_change_count == 0)
        m_items_toggled = 0;
    ++m_multi_change_count;
}

void TLqSelectionManager::DecMultiChangeCount()
{
    --m_multi_change_count;
    if (m_multi_change_count <= 0) {
        m_multi_change_count = 0;
        if (m_items_toggled > 0 && OwnerListview() != nullptr)
            OwnerListview()->DoItemSelectionsChanged();
    }
}

void TLqSelectionManager::GroupSelectBeginUpdate()
{
    ++m_group_select_update_count;
}

void TLqSelectionManager::GroupSelectEndUpdate()
{
    --m_group_select_update_count;
    if (m_group_select_update_count <= 0) {
        m_group_select_update_count = 0;
        RebuildSelectionGroups(false);
    }
}

void TLqSelectionManager::RebuildSelectionGroups(bool force)
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr || owner->ComponentState().Contains(csLoading))
        return;
    if (!force && (!m_group_selections || m_group_select_update_count > 0))
        return;
    TLqGroups* groups = owner->Groups();
    for (int g = 0; g < groups->Count(); ++g) {
        TLqGroup* group = groups->Groups(g);
        int i = 0;
        while (i < group->VisibleCount()) {
            TLqItem* item = group->VisibleItem(i);
            item->ReleaseSelectionGroup();
            TLqItem* next = group->VisibleItem(i + 1);
            if (!item->Selected() || next == nullptr || !next->Selected()) {
                ++i;
                continue;
            }
            auto* run = new TLqSelectionGroupList;
            run->FirstItem = item;
            run->DisplayRect = item->ViewRect();
            run->Add(item);
            item->SetSelectionGroup(run);
            ++i;
            while (TLqItem* member = group->VisibleItem(i)) {
                if (!member->Selected())
                    break;
                member->ReleaseSelectionGroup();
                run->Add(member);
                run->DisplayRect = LqUnion(run->DisplayRect, member->ViewRect());
                member->SetSelectionGroup(run);
                ++i;
            }
        }
    }
}

void TLqSelectionManager::change_all(Change action, TLqItem* except_item)
{
    if (!m_enabled || OwnerListview() == nullptr)
        return;
    IncMultiChangeCount();
    GroupSelectBeginUpdate();
    {
        struct Close {
            TLqSelectionManager* self;
            ~Close() noexcept(false)
            {
                self->GroupSelectEndUpdate();
                self->DecMultiChangeCount();
            }
        } close{this};
        TLqGroups* groups = OwnerListview()->Groups();
        for (int g = 0; g < groups->Count(); ++g) {
            TLqGroup* group = groups->Groups(g);
            for (int i = 0; i < group->ItemCount(); ++i) {
                TLqItem* item = group->Item(i);
                if (item == except_item)
                    continue;
                switch (action) {
                case Change::Select:
                    item->SetSelected(true);
                    break;
                case Change::Invert:
                    item->SetSelected(!item->Selected());
                    break;
                case Change::Clear:
                    item->SetSelected(false);
                    if (m_count == 0)
                        goto done;
                    break;
                }
            }
        }
    done:;
    }
    OwnerListview()->DragManager()->SetDragItem(nullptr);
}

void TLqSelectionManager::ClearAll()
{
    change_all(Change::Clear, nullptr);
}

void TLqSelectionManager::ClearAllExcept(TLqItem* item)
{
    change_all(Change::Clear, item);
}

void TLqSelectionManager::SelectAll()
{
    if (m_multi_select)
        change_all(Change::Select, nullptr);
}

void TLqSelectionManager::Invert()
{
    change_all(Change::Invert, nullptr);
}

void TLqSelectionManager::SelectFirst()
{
    ClearAll();
    TLqItem* first = OwnerListview() != nullptr ? OwnerListview()->Groups()->FirstItem() : nullptr;
    if (first != nullptr && m_enabled) {
        first->SetFocused(true);
        first->SetSelected(true);
    }
}

void TLqSelectionManager::FocusFirst()
{
    ClearAll();
    TLqItem* first = OwnerListview() != nullptr ? OwnerListview()->Groups()->FirstItem() : nullptr;
    if (first != nullptr && m_enabled)
        first->SetFocused(true);
}

void TLqSelectionManager::SetFocusedItem(TLqItem* value)
{
    if (value == nullptr) {
        if (TLqItem* previous = std::exchange(m_focused_item, nullptr))
            previous->SetFocused(false);
        return;
    }
    if (!value->Visible() || !value->Enabled() || value == m_focused_item)
        return;
    if (TLqItem* previous = m_focused_item) {
        previous->SetFocused(false);
        if (previous->Focused())
            return;
    }
    m_focused_item = value;
    value->SetFocused(true);
    if (value->Destroying() || OwnerListview() == nullptr || value->OwnerGroup() == nullptr)
        return;
    TLqRectArrayObject rects;
    value->ItemRectArray(nullptr, OwnerListview()->ScratchCanvas(), rects);
    if (rects.FullTextRect.Bottom > value->OwnerGroup()->ClientRect().Bottom)
        OwnerListview()->Groups()->Rebuild(false);
}

void TLqSelectionManager::SetAnchorItem(TLqItem* value)
{
    if (value == nullptr) {
        m_anchor_item = nullptr;
        return;
    }
    if (value->Visible() && value->Enabled())
        m_anchor_item = value;
}

void TLqSelectionManager::SetEnabled(bool value)
{
    if (value == m_enabled)
        return;
    if (!value)
        ClearAll();
    m_enabled = value;
}

void TLqSelectionManager::SetMultiSelect(bool value)
{
    if (value == m_multi_select)
        return;
    m_multi_select = value;
    ClearAll();
}

void TLqSelectionManager::SetGroupSelections(bool value)
{
    if (value == m_group_selections)
        return;
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr) {
        m_group_selections = value;
        return;
    }
    owner->BeginUpdate();
    struct End {
        TCustomLqListview* owner;
        ~End() noexcept(false) { owner->EndUpdate(true); }
    } end{owner};
    m_group_selections = value;
    owner->Groups()->Rebuild(true);
}

namespace {

// Opens a change batch and a group-selection update and closes both, group update
// first, however the block is left.
class SelectionBatch {
public:
    SelectionBatch(TLqSelectionManager* manager, bool group_update_first) : m_manager(manager)
    {
        if (group_update_first) {
            m_manager->GroupSelectBeginUpdate();
            m_manager->IncMultiChangeCount();
        } else {
            m_manager->IncMultiChangeCount();
            m_manager->GroupSelectBeginUpdate();
        }
    }
    ~SelectionBatch() noexcept(false)
    {
        struct DecChange {
            TLqSelectionManager* manager;
            ~DecChange() noexcept(false) { manager->DecMultiChangeCount(); }
        } dec{m_manager};
        m_manager->GroupSelectEndUpdate();
    }
    SelectionBatch(const SelectionBatch&) = delete;
    SelectionBatch& operator=(const SelectionBatch&) = delete;

private:
    TLqSelectionManager* m_manager;
};

}

void TLqSelectionManager::SelectRange(TLqItem* from_item, TLqItem* to_item, bool rect_select,
                                      bool clear_first)
{
    if (!m_enabled || !m_multi_select || OwnerListview() == nullptr)
        return;
    SelectionBatch batch(this, false);
    if (clear_first)
        ClearAll();
    if (from_item == nullptr || to_item == nullptr)
        return;
    if (rect_select) {
        SelectRect(LqUnion(from_item->ViewRect(), to_item->ViewRect()), false);
        return;
    }
    TLqGroup* from_group = from_item->OwnerGroup();
    TLqGroup* to_group = to_item->OwnerGroup();
    bool swap = from_group == to_group ? to_item->Index() < from_item->Index()
                                       : to_group->Index() < from_group->Index();
    if (swap)
        std::swap(from_item, to_item);
    TLqGroups* groups = OwnerListview()->Groups();
    TLqItem* item = from_item;
    while (item != nullptr && item != to_item) {
        item->SetSelected(true);
        item = groups->NextVisibleItem(item);
    }
    to_item->SetSelected(true);
}

void TLqSelectionManager::SelectRect(const TRect& viewport_sel_rect, bool clear_first)
{
    if (!m_enabled || !m_multi_select || OwnerListview() == nullptr)
        return;
    SelectionBatch batch(this, true);
    if (clear_first)
        ClearAll();
    TLqGroups* groups = OwnerListview()->Groups();
    for (TLqItem* item = groups->FirstItemInRect(viewport_sel_rect); item != nullptr;
         item = groups->NextItemInRect(item, viewport_sel_rect))
        item->SetSelected(true);
}

void TLqSelectionManager::SelectGroupItems(TLqGroup* group, bool clear_other_items)
{
    if (!m_enabled || !m_multi_select || group == nullptr || OwnerListview() == nullptr)
        return;
    SelectionBatch batch(this, false);
    if (clear_other_items) {
        TLqGroups* groups = OwnerListview()->Groups();
        for (int g = 0; g < groups->Count(); ++g) {
            TLqGroup* other = groups->Groups(g);
            if (other == group)
                continue;
            for (int i = 0; i < other->ItemCount(); ++i)
                other->Item(i)->SetSelected(false);
        }
    }
    for (int i = 0; i < group->ItemCount(); ++i)
        group->Item(i)->SetSelected(true);
}

void TLqSelectionManager::DeleteSelected(bool select_prev_item)
{
    TCustomLqListview* owner = OwnerListview();
    if (m_count == 0 || owner == nullptr)
        return;
    // The position is one in the control's list of all items: the item index inside its
    // group would pick an item of the wrong group.
    int position = 0;
    {
        owner->BeginUpdate();
        struct End {
            TCustomLqListview* owner;
            ~End() noexcept(false) { owner->EndUpdate(true); }
        } end{owner};
        if (select_prev_item) {
            if (TLqItem* first = First())
                position = owner->Items()->IndexOf(first) - 1;
        }
        owner->Groups()->DeleteItems(SelectedToArray());
    }
    int count = owner->Items()->Count();
    if (!select_prev_item || count == 0)
        return;
    position = std::clamp(position, 0, count - 1);
    TLqItem* item = owner->Items()->Items(position);
    item->SetSelected(true);
    item->SetFocused(true);
}

std::vector<TLqItem*> TLqSelectionManager::SelectedToArray() const
{
    std::vector<TLqItem*> result;
    result.reserve(static_cast<size_t>(std::max(m_count, 0)));
    for (TLqItem* item = First(); item != nullptr && static_cast<int>(result.size()) < m_count;
         item = Next(item))
        result.push_back(item);
    return result;
}

TLqItem* TLqSelectionManager::First() const
{
    if (OwnerListview() == nullptr)
        return nullptr;
    TLqGroups* groups = OwnerListview()->Groups();
    TLqItem* item = groups->FirstVisibleItem();
    while (item != nullptr && !item->Selected())
        item = groups->NextVisibleItem(item);
    return item;
}

TLqItem* TLqSelectionManager::Next(TLqItem* item) const
{
    if (OwnerListview() == nullptr || item == nullptr)
        return nullptr;
    TLqGroups* groups = OwnerListview()->Groups();
    do
        item = groups->NextVisibleItem(item);
    while (item != nullptr && !item->Selected());
    return item;
}

TLqItem* TLqSelectionManager::Prev(TLqItem* item) const
{
    if (OwnerListview() == nullptr || item == nullptr)
        return nullptr;
    TLqGroups* groups = OwnerListview()->Groups();
    do
        item = groups->PrevVisibleItem(item);
    while (item != nullptr && !item->Selected());
    return item;
}

TLqItem* TLqSelectionManager::FirstInGroup(TLqGroup* group) const
{
    if (OwnerListview() == nullptr || group == nullptr)
        return nullptr;
    TLqGroups* groups = OwnerListview()->Groups();
    TLqItem* item = groups->FirstVisibleInGroup(group);
    while (item != nullptr && !item->Selected())
        item = groups->NextVisibleInGroup(group, item);
    return item;
}

TLqItem* TLqSelectionManager::NextInGroup(TLqGroup* group, TLqItem* item) const
{
    if (OwnerListview() == nullptr || group == nullptr || item == nullptr)
        return nullptr;
    TLqGroups* groups = OwnerListview()->Groups();
    do
        item = groups->NextVisibleInGroup(group, item);
    while (item != nullptr && !item->Selected());
    return item;
}

TLqItem* TLqSelectionManager::PrevInGroup(TLqGroup* group, TLqItem* item) const
{
    if (OwnerListview() == nullptr || group == nullptr || item == nullptr)
        return nullptr;
    TLqGroups* groups = OwnerListview()->Groups();
    do
        item = groups->PrevVisibleInGroup(group, item);
    while (item != nullptr && !item->Selected());
    return item;
}

void TLqSelectionManager::InvalidateVisibleSelected(bool /*validate_window*/)
{
    TCustomLqListview* owner = OwnerListview();
    if (!m_enabled || owner == nullptr)
        return;
    TRect view = owner->ClientInViewportCoords();
    TLqGroups* groups = owner->Groups();
    for (TLqItem* item = groups->FirstItemInRect(view); item != nullptr;
         item = groups->NextItemInRect(item, view)) {
        if (item->Selected() || item->Focused())
            item->Invalidate(false);
    }
}

void TLqSelectionManager::TrackDragRect(TLqCommonKeyStates key_state)
{
    TCustomLqListview* owner = OwnerListview();
    if (!m_enabled || !m_multi_select || owner == nullptr)
        return;
    SelectionBatch batch(this, false);
    TRect now = owner->DragRect()->SelectionRect();
    TRect before = owner->DragRect()->PrevRect();
    TRect both = LqUnion(before, now);
    if (both.IsEmpty())
        return;
    bool toggle = key_state.Contains(cksControl);
    TLqGroups* groups = owner->Groups();
    for (TLqItem* item = groups->FirstItemInRect(both); item != nullptr;
         item = groups->NextItemInRect(item, both)) {
        bool in_now = item->SelectionHit(now, eshtDragSelect);
        bool in_before = item->SelectionHit(before, eshtDragSelect);
        if (toggle) {
            if (in_now != in_before)
                item->SetSelected(!item->Selected());
        } else if (in_now) {
            item->SetSelected(true);
        } else if (in_before) {
            item->SetSelected(false);
        }
    }
}

TLqColumn* TLqSelectionManager::FocusedColumn()
{
    if (m_focused_column == nullptr && OwnerListview() != nullptr)
        SetFocusedColumn(OwnerListview()->Header()->FirstVisibleColumn());
    return m_focused_column;
}

// Columns keep their own focus state with the columns' work; here only the field.
void TLqSelectionManager::SetFocusedColumn(TLqColumn* value)
{
    m_focused_column = value;
}

bool TLqSelectionManager::Selecting() const
{
    return OwnerListview() != nullptr && OwnerListview()->DragRect()->Dragging();
}

bool TLqSelectionManager::AutoScroll() const
{
    return OwnerListview()->DragRect()->AutoScroll();
}

void TLqSelectionManager::SetAutoScroll(bool value)
{
    OwnerListview()->DragRect()->SetAutoScroll(value);
}

int TLqSelectionManager::AutoScrollAccelerator() const
{
    return OwnerListview()->DragRect()->AutoScrollAccelerator();
}

void TLqSelectionManager::SetAutoScrollAccelerator(int value)
{
    OwnerListview()->DragRect()->SetAutoScrollAccelerator(value);
}

int TLqSelectionManager::AutoScrollDelay() const
{
    return OwnerListview()->DragRect()->AutoScrollDelay();
}

void TLqSelectionManager::SetAutoScrollDelay(int value)
{
    OwnerListview()->DragRect()->SetAutoScrollDelay(value);
}

int TLqSelectionManager::AutoScrollMargin() const
{
    return OwnerListview()->DragRect()->AutoScrollMargin();
}

void TLqSelectionManager::SetAutoScrollMargin(int value)
{
    OwnerListview()->DragRect()->SetAutoScrollMargin(value);
}

int TLqSelectionManager::AutoScrollTime() const
{
    return OwnerListview()->DragRect()->AutoScrollTime();
}

void TLqSelectionManager::SetAutoScrollTime(int value)
{
    OwnerListview()->DragRect()->SetAutoScrollTime(value);
}

bool TLqSelectionManager::EnableDragSelect() const
{
    return OwnerListview()->DragRect()->Enabled();
}

void TLqSelectionManager::SetEnableDragSelect(bool value)
{
    OwnerListview()->DragRect()->SetEnabled(value);
}

TLqCommonMouseButtons TLqSelectionManager::MouseButtonSelRect() const
{
    return OwnerListview()->DragRect()->MouseButton();
}

void TLqSelectionManager::SetMouseButtonSelRect(TLqCommonMouseButtons value)
{
    OwnerListview()->DragRect()->SetMouseButton(value);
}
}
