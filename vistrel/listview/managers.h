// The control's managers and paint information as far as the control's construction,
// its items and its groups use them: their fields with their defaults and the members
// those call. Drawing, input, dragging, editing, hints, sorting and the header's
// columns and layout add to these classes; here they hold state only.
#ifndef VISTREL_LISTVIEW_MANAGERS_H
#define VISTREL_LISTVIEW_MANAGERS_H

#include "framework/controls.h"
#include "framework/graphics.h"
#include "listview/common/common_types.h"
#include "listview/hints.h"
#include "listview/incremental_search.h"
#include "listview/paint_info.h"
#include "listview/persistent.h"
#include "listview/rect_array.h"
#include "listview/scrollbars.h"

#include <memory>

struct IDataObject;

namespace fw {
class TCustomImageList;
}

namespace vistrel::listview {

// ---- Managers ----------------------------------------------------------------------------

// The parts of a group or an item that make it hot.
enum TLqHotTrackRectGroup {
    htgIcon,
    htgText,
    htgTopMargin,
    htgBottomMargin,
    htgLeftMargin,
    htgRightMargin,
    htgAnyWhere
};
using TLqHotTrackRectGroups = fw::TSet<TLqHotTrackRectGroup>;
enum TLqHotTrackRectItem {
    htiIcon,
    htiText,
    htiAnyWhere
};
using TLqHotTrackRectItems = fw::TSet<TLqHotTrackRectItem>;

class TLqHotTrackManager : public TLqOwnedPersistent {
public:
    using TLqOwnedPersistent::TLqOwnedPersistent;
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value) { m_enabled = value; }
    TLqHotTrackRectGroups GroupTrack() const { return m_group_track; }
    void SetGroupTrack(TLqHotTrackRectGroups value) { m_group_track = value; }
    TLqHotTrackRectItems ItemTrack() const { return m_item_track; }
    void SetItemTrack(TLqHotTrackRectItems value) { m_item_track = value; }
    bool OnlyFocused() const { return m_only_focused; }
    void SetOnlyFocused(bool value) { m_only_focused = value; }
    // The text colour of a hot item, and whether its text is underlined.
    fw::TColor Color() const { return m_color; }
    void SetColor(fw::TColor value) { m_color = value; }
    bool Underline() const { return m_underline; }
    void SetUnderline(bool value) { m_underline = value; }
    // The hot object: the old one stops hot tracking, the new one starts (the cursor
    // comes with hot tracking's own work).
    TLqCollectionItem* HotObject() const { return m_pending_object; }
    void SetHotObject(fw::TPoint point, TLqCollectionItem* object);
    // The object whose check box the mouse is over.
    void SetHotCheckObject(TLqCollectionItem* object);
    TLqCollectionItem* PendingObject() const { return m_pending_object; }
    void SetPendingObject(TLqCollectionItem* object) { m_pending_object = object; }
    TLqCollectionItem* PendingObjectCheck() const { return m_pending_object_check; }
    void SetPendingObjectCheck(TLqCollectionItem* object) { m_pending_object_check = object; }

private:
    fw::TColor m_color = fw::clHighlight;
    bool m_enabled = false;
    TLqHotTrackRectGroups m_group_track{htgIcon, htgText};
    TLqHotTrackRectItems m_item_track{htiIcon, htiText};
    bool m_only_focused = false;
    TLqCollectionItem* m_pending_object = nullptr;
    TLqCollectionItem* m_pending_object_check = nullptr;
    bool m_underline = true;
};

class TLqBackgroundManager : public TLqOwnedPersistent {
public:
    using TLqOwnedPersistent::TLqOwnedPersistent;
    // The cached background follows size changes with the background's own work.
    void WMWindowPosChanging(fw::TMessage&) {}
    // Paints the background into the rectangle (window coordinates): here the control's
    // colour, until background images come.
    virtual void PaintTo(fw::TCanvas* canvas, const fw::TRect& rect, bool paint_default);
};

class TLqDropTargetManager : public TLqOwnedInterfacedPersistent {
public:
    using TLqOwnedInterfacedPersistent::TLqOwnedInterfacedPersistent;
};

// The drag rectangle as far as the control's mouse handling drives it: whether it may
// start and whether it runs. Tracking, painting and auto-scrolling come with its own work.
class TLqDragRectManager : public TLqOwnedPersistent {
public:
    using TLqOwnedPersistent::TLqOwnedPersistent;
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value) { m_enabled = value; }
    bool AutoScroll() const { return m_auto_scroll; }
    void SetAutoScroll(bool value) { m_auto_scroll = value; }
    int AutoScrollAccelerator() const { return m_auto_scroll_accelerator; }
    void SetAutoScrollAccelerator(int value) { m_auto_scroll_accelerator = value; }
    int AutoScrollDelay() const { return m_auto_scroll_delay; }
    void SetAutoScrollDelay(int value) { m_auto_scroll_delay = value; }
    int AutoScrollMargin() const { return m_auto_scroll_margin; }
    void SetAutoScrollMargin(int value) { m_auto_scroll_margin = value; }
    int AutoScrollTime() const { return m_auto_scroll_time; }
    void SetAutoScrollTime(int value) { m_auto_scroll_time = value; }
    TLqCommonMouseButtons MouseButton() const { return m_mouse_button; }
    void SetMouseButton(TLqCommonMouseButtons value) { m_mouse_button = value; }
    bool Dragging() const { return m_dragging; }
    void SetDragging(bool value) { m_dragging = value; }
    // The rectangle of this drag step and of the step before (view coordinates).
    fw::TRect SelectionRect() const { return m_selection_rect; }
    fw::TRect PrevRect() const { return m_prev_rect; }
    void SetRects(const fw::TRect& prev_rect, const fw::TRect& selection_rect)
    {
        m_prev_rect = prev_rect;
        m_selection_rect = selection_rect;
    }
    // Draws the drag-selection rectangle; drawn by the drag-selection work, nothing here.
    void PaintSelectionRect(fw::TCanvas* /*canvas*/) {}

    // Enabled, and one of the pressed buttons is one of MouseButton.
    bool InitializeDrag(fw::TPoint window_point, TLqCommonKeyStates keys);
    void FinalizeDrag(TLqCommonKeyStates) {}
    void BeginDrag(fw::TPoint, TLqCommonKeyStates) {}
    void DragEnter(IDataObject*, fw::TCanvas*, fw::TPoint, TLqCommonKeyStates, TLqCommonDropEffect&)
    {
        m_dragging = true;
    }
    void Drag(fw::TCanvas*, fw::TPoint, TLqCommonKeyStates, TLqCommonDropEffect&) {}
    void DragEnd(fw::TCanvas*, fw::TPoint, TLqCommonKeyStates) { m_dragging = false; }
    void WMKeyDown(fw::TMessage&) {}

private:
    bool m_enabled = false;
    bool m_auto_scroll = true;
    int m_auto_scroll_accelerator = 2;
    int m_auto_scroll_delay = 500;
    int m_auto_scroll_margin = 15;
    int m_auto_scroll_time = 50;
    TLqCommonMouseButtons m_mouse_button{cmbLeft, cmbRight};
    bool m_dragging = false;
    fw::TRect m_selection_rect;
    fw::TRect m_prev_rect;
};

// What the OLE drag manager and the header's drag manager share here: whether they are
// enabled and registered as drop targets.
class TLqDragManagerState : public TLqOwnedPersistent {
public:
    using TLqOwnedPersistent::TLqOwnedPersistent;
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value) { m_enabled = value; }
    bool Registered() const { return m_registered; }
    void SetRegistered(bool value) { m_registered = value; }
    bool Dragging() const { return m_dragging; }
    TLqCommonMouseButtons MouseButton() const { return m_mouse_button; }
    void SetMouseButton(TLqCommonMouseButtons value) { m_mouse_button = value; }

protected:
    bool m_dragging = false;

private:
    bool m_enabled = false;
    bool m_registered = false;
    TLqCommonMouseButtons m_mouse_button{cmbLeft};
};

// Where a drop would insert: the mark the control paints between two items while an
// OLE drag is over it.
class TLqInsertMark : public fw::TPersistent {
public:
    fw::TColor Color() const { return m_color; }
    void SetColor(fw::TColor value) { m_color = value; }
    // In view coordinates.
    const fw::TRect& DisplayRect() const { return m_display_rect; }
    void SetDisplayRect(const fw::TRect& rect) { m_display_rect = rect; }
    TLqInsertMarkerDir DropMarkerDir() const { return m_drop_marker_dir; }
    void SetDropMarkerDir(TLqInsertMarkerDir value) { m_drop_marker_dir = value; }
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value) { m_enabled = value; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool value) { m_visible = value; }

private:
    fw::TColor m_color = fw::clBlack;
    fw::TRect m_display_rect;
    TLqInsertMarkerDir m_drop_marker_dir = dmdHorz;
    bool m_enabled = false;
    bool m_visible = false;
};

enum TLqDragType {
    edtOLE,
    edtVCL
};

// The item drag as far as the control's mouse handling drives it. The drag itself (data
// object, drag image, the platform's drag loop) comes with its own work; until then a
// begun drag ends at once, as a cancelled one.
class TLqOLEDragManager : public TLqDragManagerState {
public:
    using TLqDragManagerState::TLqDragManagerState;
    TLqInsertMark* InsertMark() { return &m_insert_mark; }
    TLqItem* DropTarget() const { return m_drop_target; }
    void SetDropTarget(TLqItem* item) { m_drop_target = item; }
    TLqItem* DragItem() const { return m_drag_item; }
    void SetDragItem(TLqItem* item) { m_drag_item = item; }
    TLqDragType DragType() const { return m_drag_type; }
    void SetDragType(TLqDragType value) { m_drag_type = value; }

    // Enabled, an item and a pressed button of MouseButton: the item becomes the drag
    // item, and the answer is whether the point hits its click-select area.
    bool InitializeDrag(TLqItem* hit_item, fw::TPoint window_point, TLqCommonKeyStates keys);
    void FinalizeDrag(TLqCommonKeyStates) { m_drag_item = nullptr; }
    void BeginDrag(fw::TPoint, TLqCommonKeyStates) {}
    void DragEnter(IDataObject*, fw::TCanvas*, fw::TPoint, TLqCommonKeyStates, TLqCommonDropEffect&)
    {
        m_dragging = true;
    }
    void Drag(fw::TCanvas*, fw::TPoint, TLqCommonKeyStates, TLqCommonDropEffect&) {}
    void DragEnd(fw::TCanvas*, fw::TPoint, TLqCommonKeyStates) { m_dragging = false; }
    void DragDrop(fw::TPoint, TLqCommonKeyStates, TLqCommonDropEffect&)
    {
        m_dragging = false;
        m_drag_item = nullptr;
    }

private:
    TLqItem* m_drop_target = nullptr;
    TLqItem* m_drag_item = nullptr;
    TLqDragType m_drag_type = edtOLE;
    TLqInsertMark m_insert_mark;
};

class TLqCheckManager : public TLqOwnedPersistent {
public:
    using TLqOwnedPersistent::TLqOwnedPersistent;
    // The number of checked items.
    int Count() const { return m_count; }
    void AddToCount(int delta) { m_count += delta; }
    // The item or group whose check box took the button-down.
    TLqCollectionItem* PendingObject() const { return m_pending_object; }
    void SetPendingObject(TLqCollectionItem* object) { m_pending_object = object; }
    // The old object loses its check-pending state, the new one gains it.
    void SetPendingCheck(TLqCollectionItem* object);

private:
    int m_count = 0;
    TLqCollectionItem* m_pending_object = nullptr;
};

class TLqEditManager : public TLqOwnedPersistent {
public:
    explicit TLqEditManager(TCustomLqListview* owner);
    ~TLqEditManager() override;
    fw::TFont* Font() const { return m_font.get(); }
    TLqItem* TabMoveFocusItem() const { return m_tab_move_focus_item; }
    void SetTabMoveFocusItem(TLqItem* item) { m_tab_move_focus_item = item; }
    // The column at which a Tab move continues (a column of the header).
    TLqCollectionItem* TabMoveFocusColumn() const { return m_tab_move_focus_column; }
    void SetTabMoveFocusColumn(TLqCollectionItem* column) { m_tab_move_focus_column = column; }
    bool TabEditColumns() const { return m_tab_edit_columns; }
    // In-place editing comes with its own work: nothing is edited until then, and the
    // auto-edit timer only remembers the click.
    bool Editing() const { return m_tab_move_focus_item != nullptr; }
    void BeginEdit(TLqItem*, TLqCollectionItem* /*column*/) {}
    void EndEdit() { StopAutoEditTimer(); }
    fw::TPoint AutoEditStartClickPt() const { return m_auto_edit_start_click_pt; }
    void SetAutoEditStartClickPt(fw::TPoint point) { m_auto_edit_start_click_pt = point; }
    bool AutoEditTimerRunning() const { return m_timer_running; }
    void StartAutoEditTimer() { m_timer_running = true; }
    void StopAutoEditTimer() { m_timer_running = false; }

private:
    std::unique_ptr<fw::TFont> m_font;
    TLqItem* m_tab_move_focus_item = nullptr;
    TLqCollectionItem* m_tab_move_focus_column = nullptr;
    bool m_tab_edit_columns = false;
    fw::TPoint m_auto_edit_start_click_pt{};
    bool m_timer_running = false;
};

class TLqSortManager : public TLqOwnedPersistent {
public:
    using TLqOwnedPersistent::TLqOwnedPersistent;
    bool AutoSort() const { return m_auto_sort; }
    void SetAutoSort(bool value) { m_auto_sort = value; }
    // Sorting comes with the sort manager's own work; nothing to do yet.
    void SortAll(bool /*force*/) {}

private:
    bool m_auto_sort = false;
};

// The header with its columns: the columns collection, font and images, and the
// header's place in the view; its layout and painting come with the columns' own work.
class TLqHeader : public TLqOwnedPersistent {
public:
    explicit TLqHeader(TCustomLqListview* owner);
    ~TLqHeader() override;

    TLqCollection* Columns() const { return m_columns.get(); }
    fw::TFont* Font() const { return m_font.get(); }
    fw::TCustomImageList* Images() const { return m_images; }
    void SetImages(fw::TCustomImageList* images) { m_images = images; }
    bool ShowInAllViews() const { return m_show_in_all_views; }
    void SetShowInAllViews(bool value) { m_show_in_all_views = value; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool value) { m_visible = value; }
    int Height() const { return m_height; }
    void SetHeight(int value) { m_height = value; }
    bool StreamColumns() const { return m_stream_columns; }
    TLqDragManagerState* DragManager() const { return m_drag_manager.get(); }
    // The header's band in view coordinates: from 0 to the right end of its columns.
    fw::TRect ViewRect() const;
    // The band in window coordinates: the client width by the shown height.
    fw::TRect DisplayRect() const;
    TLqColumn* FirstVisibleColumn() const;
    // Mouse handling of the band comes with the header's own work: no column is hot
    // and the messages the control routes here change nothing.
    TLqColumn* HotTrackedColumn() const { return nullptr; }
    void HandleMessage(fw::TMessage&) {}
    // The columns met by a rectangle of the view (only its columns count: its top is
    // taken as 0): the first visible one, then the next visible one of width above 0,
    // ending at the first that does not meet it.
    TLqColumn* FirstColumnInRect(const fw::TRect& viewport_rect) const;
    TLqColumn* NextColumnInRect(TLqColumn* column, const fw::TRect& viewport_rect) const;
    // The column at a place in display order, or nullptr.
    TLqColumn* ColumnByPosition(int position) const;
    // Paints the header band under the rectangle's columns: here a plain face.
    virtual void PaintTo(fw::TCanvas* canvas, const fw::TRect& rect);

    void Rebuild(bool force);
    void LoadFromStream(fw::TStream* S, int version) override;
    void SaveToStream(fw::TStream* S, int version) override;

private:
    std::unique_ptr<TLqCollection> m_columns;
    std::unique_ptr<fw::TFont> m_font;
    fw::TCustomImageList* m_images = nullptr;
    bool m_show_in_all_views = false;
    bool m_visible = false;
    int m_height = 21;
    bool m_stream_columns = true;
    std::unique_ptr<TLqDragManagerState> m_drag_manager;
};

}

#endif
