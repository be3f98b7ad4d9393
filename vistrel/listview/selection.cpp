#include "listview/selection.h"

#include "listview/groups.h"
#include "listview/items.h"
#include "listview/layout_placeholders.h"
#include "listview/listview.h"
#include "listview/managers.h"

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

}
