// The selection state of one list-view control: the focused item, the anchor of range
// selection, the number of selected items, and the batches that gather the selection
// changes of a bulk operation into one OnItemSelectionsChanged.
#ifndef VISTREL_LISTVIEW_SELECTION_H
#define VISTREL_LISTVIEW_SELECTION_H

#include "listview/common/common_types.h"
#include "listview/persistent.h"

#include <vector>

namespace vistrel::listview {

// A run of adjacent selected items sharing one selection shape; counted by its items.
class TLqSelectionGroupList {
public:
    TLqSelectionGroupList() = default;
    int Count() const { return static_cast<int>(m_list.size()); }
    void Add(TLqItem* item) { m_list.push_back(item); }
    void Clear() { m_list.clear(); }
    void IncRef() { ++m_ref_count; }
    // The decrement from 1 to 0 frees the object.
    void DecRef();
    fw::TRect DisplayRect;
    TLqItem* FirstItem = nullptr;

private:
    std::vector<TLqItem*> m_list;
    int m_ref_count = 0;
};

class TLqSelectionManager : public TLqOwnedPersistent {
public:
    explicit TLqSelectionManager(TCustomLqListview* owner);

    // ---- Notifications from the items
    void ItemSelected(TLqItem* item);
    void ItemUnselected(TLqItem* item);
    void FireSelectionsChanged();

    // ---- Batches
    void IncMultiChangeCount();
    void DecMultiChangeCount();
    void GroupSelectBeginUpdate();
    void GroupSelectEndUpdate();
    virtual void RebuildSelectionGroups(bool force);

    // ---- Bulk operations
    void ClearAll();
    void ClearAllExcept(TLqItem* item);
    void SelectAll();
    void Invert();
    void SelectFirst();
    void FocusFirst();

    // ---- Focus and anchor
    TLqItem* FocusedItem() const { return m_focused_item; }
    void SetFocusedItem(TLqItem* value);
    // The item losing its focus stops being the focused item (nothing else happens).
    void ForgetFocusedItem(TLqItem* item)
    {
        if (m_focused_item == item)
            m_focused_item = nullptr;
    }
    TLqItem* AnchorItem() const { return m_anchor_item; }
    void SetAnchorItem(TLqItem* value);
    TLqGroup* FocusedGroup() const { return m_focused_group; }
    // Nothing in the control assigns the focused group.
    void SetFocusedGroup(TLqGroup*) {}

    int Count() const { return m_count; }
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    bool MultiSelect() const { return m_multi_select; }
    void SetMultiSelect(bool value);
    bool GroupSelections() const { return m_group_selections; }
    void SetGroupSelections(bool value);
    bool AlphaBlend() const { return m_alpha_blend; }
    void SetAlphaBlend(bool value) { m_alpha_blend = value; }
    bool AlphaBlendSelRect() const { return m_alpha_blend_sel_rect; }
    void SetAlphaBlendSelRect(bool value) { m_alpha_blend_sel_rect = value; }
    int MultiChangeCount() const { return m_multi_change_count; }

private:
    enum class Change {
        Select,
        Clear,
        Invert
    };
    void change_all(Change action, TLqItem* except_item);

    bool m_alpha_blend = false;
    bool m_alpha_blend_sel_rect = false;
    int m_count = 0;
    TLqItem* m_focused_item = nullptr;
    TLqItem* m_anchor_item = nullptr;
    TLqGroup* m_focused_group = nullptr;
    bool m_enabled = true;
    bool m_group_selections = false;
    int m_group_select_update_count = 0;
    int m_items_toggled = 0;
    int m_multi_change_count = 0;
    bool m_multi_select = false;
};

}

#endif
