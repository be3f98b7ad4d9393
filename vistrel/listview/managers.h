// The control's managers and paint information as far as the control's construction,
// its items and its groups use them: their fields with their defaults and the members
// those call. Drawing, input, dragging, editing, hints, sorting and the header's
// columns and layout add to these classes; here they hold state only.
#ifndef VISTREL_LISTVIEW_MANAGERS_H
#define VISTREL_LISTVIEW_MANAGERS_H

#include "framework/controls.h"
#include "framework/graphics.h"
#include "listview/common/common_types.h"
#include "listview/paint_info.h"
#include "listview/persistent.h"
#include "listview/scrollbars.h"

#include <memory>

namespace fw {
class TCustomImageList;
}

namespace vistrel::listview {

// ---- Managers ----------------------------------------------------------------------------


class TLqHotTrackManager : public TLqOwnedPersistent {
public:
    using TLqOwnedPersistent::TLqOwnedPersistent;
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value) { m_enabled = value; }
    TLqCollectionItem* PendingObject() const { return m_pending_object; }
    void SetPendingObject(TLqCollectionItem* object) { m_pending_object = object; }
    TLqCollectionItem* PendingObjectCheck() const { return m_pending_object_check; }
    void SetPendingObjectCheck(TLqCollectionItem* object) { m_pending_object_check = object; }

private:
    bool m_enabled = false;
    TLqCollectionItem* m_pending_object = nullptr;
    TLqCollectionItem* m_pending_object_check = nullptr;
};

class TLqBackgroundManager : public TLqOwnedPersistent {
public:
    using TLqOwnedPersistent::TLqOwnedPersistent;
};

class TLqDropTargetManager : public TLqOwnedInterfacedPersistent {
public:
    using TLqOwnedInterfacedPersistent::TLqOwnedInterfacedPersistent;
};

class TLqDragRectManager : public TLqOwnedPersistent {
public:
    using TLqOwnedPersistent::TLqOwnedPersistent;
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value) { m_enabled = value; }

private:
    bool m_enabled = false;
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

private:
    bool m_enabled = false;
    bool m_registered = false;
};

class TLqOLEDragManager : public TLqDragManagerState {
public:
    using TLqDragManagerState::TLqDragManagerState;
    TLqItem* DropTarget() const { return m_drop_target; }
    void SetDropTarget(TLqItem* item) { m_drop_target = item; }
    TLqItem* DragItem() const { return m_drag_item; }
    void SetDragItem(TLqItem* item) { m_drag_item = item; }

private:
    TLqItem* m_drop_target = nullptr;
    TLqItem* m_drag_item = nullptr;
};

class TLqCheckManager : public TLqOwnedPersistent {
public:
    using TLqOwnedPersistent::TLqOwnedPersistent;
    // The number of checked items.
    int Count() const { return m_count; }
    void AddToCount(int delta) { m_count += delta; }

private:
    int m_count = 0;
};

class TLqEditManager : public TLqOwnedPersistent {
public:
    explicit TLqEditManager(TCustomLqListview* owner);
    ~TLqEditManager() override;
    fw::TFont* Font() const { return m_font.get(); }
    TLqItem* TabMoveFocusItem() const { return m_tab_move_focus_item; }
    void SetTabMoveFocusItem(TLqItem* item) { m_tab_move_focus_item = item; }

private:
    std::unique_ptr<fw::TFont> m_font;
    TLqItem* m_tab_move_focus_item = nullptr;
};

class TLqHintInfo : public TLqOwnedPersistent {
public:
    using TLqOwnedPersistent::TLqOwnedPersistent;
    TLqHintType HintType() const { return m_hint_type; }
    void SetHintType(TLqHintType type) { m_hint_type = type; }

private:
    TLqHintType m_hint_type = ehtText;
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

class TLqIncrementalSearchManager : public TLqOwnedPersistent {
public:
    using TLqOwnedPersistent::TLqOwnedPersistent;
    void ResetSearch()
    {
        m_search_item = nullptr;
        m_next_search_item = nullptr;
    }
    TLqItem* SearchItem() const { return m_search_item; }
    void SetSearchItem(TLqItem* item) { m_search_item = item; }
    TLqItem* NextSearchItem() const { return m_next_search_item; }
    void SetNextSearchItem(TLqItem* item) { m_next_search_item = item; }

private:
    TLqItem* m_search_item = nullptr;
    TLqItem* m_next_search_item = nullptr;
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
    // The header's band in view coordinates.
    fw::TRect ViewRect() const { return m_view_rect; }
    TLqColumn* FirstVisibleColumn() const;

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
    fw::TRect m_view_rect;
};

}

#endif
