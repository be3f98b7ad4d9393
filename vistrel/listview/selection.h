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
    void SelectRange(TLqItem* from_item, TLqItem* to_item, bool rect_select, bool clear_first);
    void SelectRect(const fw::TRect& viewport_sel_rect, bool clear_first);
    void SelectGroupItems(TLqGroup* group, bool clear_other_items);
    // Deletes the selected items; with select_prev_item the item before the first
    // selected one (or the new first) is selected and focused afterwards.
    void DeleteSelected(bool select_prev_item = true);
    std::vector<TLqItem*> SelectedToArray() const;
    // One step of a drag-rectangle selection, from the drag manager's previous
    // rectangle to its current one.
    void TrackDragRect(TLqCommonKeyStates key_state);
    void InvalidateVisibleSelected(bool validate_window);

    // ---- Walks over the selected items (visible items only)
    TLqItem* First() const;
    TLqItem* Next(TLqItem* item) const;
    TLqItem* Prev(TLqItem* item) const;
    TLqItem* FirstInGroup(TLqGroup* group) const;
    TLqItem* NextInGroup(TLqGroup* group, TLqItem* item) const;
    TLqItem* PrevInGroup(TLqGroup* group, TLqItem* item) const;

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
    // Reading it while none is focused focuses the header's first column.
    TLqColumn* FocusedColumn();
    void SetFocusedColumn(TLqColumn* value);
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
    int MultiChangeCount() const { return m_multi_change_count; }
    // The drag-rectangle manager is dragging.
    bool Selecting() const;

    // ---- Kept by the drag-rectangle manager, only forwarded here
    bool AutoScroll() const;
    void SetAutoScroll(bool value);
    int AutoScrollAccelerator() const;
    void SetAutoScrollAccelerator(int value);
    int AutoScrollDelay() const;
    void SetAutoScrollDelay(int value);
    int AutoScrollMargin() const;
    void SetAutoScrollMargin(int value);
    int AutoScrollTime() const;
    void SetAutoScrollTime(int value);
    bool EnableDragSelect() const;
    void SetEnableDragSelect(bool value);
    TLqCommonMouseButtons MouseButtonSelRect() const;
    void SetMouseButtonSelRect(TLqCommonMouseButtons value);

    // ---- How selected items and the drag rectangle are drawn
    bool AlphaBlend() const { return m_alpha_blend; }
    void SetAlphaBlend(bool value) { m_alpha_blend = value; }
    bool AlphaBlendSelRect() const { return m_alpha_blend_sel_rect; }
    void SetAlphaBlendSelRect(bool value) { m_alpha_blend_sel_rect = value; }
    uint8_t BlendAlphaImage() const { return m_blend_alpha_image; }
    void SetBlendAlphaImage(uint8_t value) { m_blend_alpha_image = value; }
    uint8_t BlendAlphaSelRect() const { return m_blend_alpha_sel_rect; }
    void SetBlendAlphaSelRect(uint8_t value) { m_blend_alpha_sel_rect = value; }
    uint8_t BlendAlphaTextRect() const { return m_blend_alpha_text_rect; }
    void SetBlendAlphaTextRect(uint8_t value) { m_blend_alpha_text_rect = value; }
    fw::TColor BlendColorIcon() const { return m_blend_color_icon; }
    void SetBlendColorIcon(fw::TColor value) { m_blend_color_icon = value; }
    fw::TColor BlendColorSelRect() const { return m_blend_color_sel_rect; }
    void SetBlendColorSelRect(fw::TColor value) { m_blend_color_sel_rect = value; }
    bool BlendIcon() const { return m_blend_icon; }
    void SetBlendIcon(bool value) { set_and_invalidate(m_blend_icon, value); }
    bool BlurAlphaBkGnd() const { return m_blur_alpha_bk_gnd; }
    void SetBlurAlphaBkGnd(bool value) { set_and_invalidate(m_blur_alpha_bk_gnd, value); }
    fw::TColor BorderColor() const { return m_border_color; }
    void SetBorderColor(fw::TColor value) { m_border_color = value; }
    fw::TColor BorderColorSelRect() const { return m_border_color_sel_rect; }
    void SetBorderColorSelRect(fw::TColor value) { m_border_color_sel_rect = value; }
    fw::TColor Color() const { return m_color; }
    void SetColor(fw::TColor value) { m_color = value; }
    bool ForceDefaultBlend() const { return m_force_default_blend; }
    void SetForceDefaultBlend(bool value) { m_force_default_blend = value; }
    bool FullCellPaint() const { return m_full_cell_paint; }
    void SetFullCellPaint(bool value) { set_and_invalidate(m_full_cell_paint, value); }
    bool FullItemPaint() const { return m_full_item_paint; }
    void SetFullItemPaint(bool value) { set_and_invalidate(m_full_item_paint, value); }
    bool FullRowSelect() const { return m_full_row_select; }
    void SetFullRowSelect(bool value) { m_full_row_select = value; }
    bool Gradient() const { return m_gradient; }
    void SetGradient(bool value) { set_and_invalidate(m_gradient, value); }
    fw::TColor GradientColorBottom() const { return m_gradient_color_bottom; }
    void SetGradientColorBottom(fw::TColor value)
    {
        set_and_invalidate(m_gradient_color_bottom, value);
    }
    fw::TColor GradientColorTop() const { return m_gradient_color_top; }
    void SetGradientColorTop(fw::TColor value) { set_and_invalidate(m_gradient_color_top, value); }
    fw::TColor InactiveBorderColor() const { return m_inactive_border_color; }
    void SetInactiveBorderColor(fw::TColor value) { m_inactive_border_color = value; }
    fw::TColor InactiveColor() const { return m_inactive_color; }
    void SetInactiveColor(fw::TColor value) { m_inactive_color = value; }
    fw::TColor InactiveTextColor() const { return m_inactive_text_color; }
    void SetInactiveTextColor(fw::TColor value) { m_inactive_text_color = value; }
    TLqCommonMouseButtons MouseButton() const { return m_mouse_button; }
    void SetMouseButton(TLqCommonMouseButtons value) { m_mouse_button = value; }
    bool PopupMode() const { return m_popup_mode; }
    void SetPopupMode(bool value) { m_popup_mode = value; }
    bool RectSelect() const { return m_rect_select; }
    void SetRectSelect(bool value) { m_rect_select = value; }
    bool ResizeGroupOnFocus() const { return m_resize_group_on_focus; }
    void SetResizeGroupOnFocus(bool value) { m_resize_group_on_focus = value; }
    bool RoundRect() const { return m_round_rect; }
    void SetRoundRect(bool value) { m_round_rect = value; }
    uint8_t RoundRectRadius() const { return m_round_rect_radius; }
    void SetRoundRectRadius(uint8_t value) { m_round_rect_radius = value; }
    fw::TColor TextColor() const { return m_text_color; }
    void SetTextColor(fw::TColor value) { m_text_color = value; }
    bool UseFocusRect() const { return m_use_focus_rect; }
    void SetUseFocusRect(bool value) { m_use_focus_rect = value; }

private:
    enum class Change {
        Select,
        Clear,
        Invert
    };
    void change_all(Change action, TLqItem* except_item);

    template <typename T>
    void set_and_invalidate(T& field, T value)
    {
        if (field == value)
            return;
        field = value;
        invalidate_control();
    }
    void invalidate_control();

    bool m_alpha_blend = false;
    bool m_alpha_blend_sel_rect = false;
    uint8_t m_blend_alpha_image = 128;
    uint8_t m_blend_alpha_sel_rect = 70;
    uint8_t m_blend_alpha_text_rect = 128;
    fw::TColor m_blend_color_icon = fw::clHighlight;
    fw::TColor m_blend_color_sel_rect = fw::clHighlight;
    bool m_blend_icon = true;
    bool m_blur_alpha_bk_gnd = false;
    fw::TColor m_border_color = fw::clHighlight;
    fw::TColor m_border_color_sel_rect = fw::clHighlight;
    fw::TColor m_color = fw::clHighlight;
    int m_count = 0;
    TLqColumn* m_focused_column = nullptr;
    TLqItem* m_focused_item = nullptr;
    TLqItem* m_anchor_item = nullptr;
    TLqGroup* m_focused_group = nullptr;
    bool m_enabled = true;
    bool m_force_default_blend = false;
    bool m_full_cell_paint = false;
    bool m_full_item_paint = false;
    bool m_full_row_select = false;
    bool m_gradient = false;
    fw::TColor m_gradient_color_bottom = 0x00FCEFD5;
    fw::TColor m_gradient_color_top = 0x00FDF8F1;
    bool m_group_selections = false;
    int m_group_select_update_count = 0;
    fw::TColor m_inactive_border_color = fw::clInactiveBorder;
    fw::TColor m_inactive_color = fw::clInactiveBorder;
    fw::TColor m_inactive_text_color = 0;
    int m_items_toggled = 0;
    TLqCommonMouseButtons m_mouse_button{cmbLeft};
    int m_multi_change_count = 0;
    bool m_multi_select = false;
    bool m_popup_mode = false;
    bool m_rect_select = false;
    bool m_resize_group_on_focus = false;
    bool m_round_rect = false;
    uint8_t m_round_rect_radius = 4;
    fw::TColor m_text_color = fw::clHighlightText;
    bool m_use_focus_rect = true;
};

}

#endif
