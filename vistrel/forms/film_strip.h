// The main window's film strip: one row of cells, 80 x 108 pixels each, holding an item's
// thumbnail (drawn by the owner through OnItemThumbnailDraw) and its caption below it.
//
// The control offers what the main window uses of the list-view control, under that
// control's names: the item list (Add, Clear, count, item by index), the items (Caption,
// Index, Selected, MakeVisible), the selection manager (ClearAll, SelectFirst, the
// focused item) and the two events. The list-view control takes its place later without
// the main window changing. Inside it is a plain painter: no groups, no columns, no
// other views.
//
// Every change of an item's selected state raises OnItemSelectionChanged for that item,
// when it becomes selected and when it stops being so (Clear unselects the selected
// items first); the control's end raises none. A click selects the item
// under the mouse alone and gives it the focus; the wheel scrolls the row sideways.
#ifndef VISTREL_FORMS_FILM_STRIP_H
#define VISTREL_FORMS_FILM_STRIP_H

#include "framework/classes.h"
#include "framework/controls.h"
#include "framework/types.h"

#include <QtCore/QString>

#include <functional>
#include <memory>
#include <vector>

namespace fw {
class TCanvas;
}

namespace vistrel::film_strip {

class TLqListview;

enum TLqMakeVisiblePos {
    emvTop,
    emvMiddle,
    emvBottom,
    emvAuto
};

// The blender that the list-view hands to thumbnail drawers; this control has none and
// passes nullptr.
class TLqAlphaBlend;

class TLqItem {
public:
    TLqItem(TLqListview* owner, fw::TObject* data) : m_owner(owner), m_data(data) {}

    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& caption);
    // The item's position in the list.
    int Index() const { return m_index; }
    fw::TObject* Data() const { return m_data; }
    bool Selected() const { return m_selected; }
    // Raises OnItemSelectionChanged when the state changes.
    void SetSelected(bool selected);
    bool Focused() const;
    // Scrolls the row so that the item's cell is in view; nothing when it already is.
    // Every position is taken as emvAuto: the row has one line.
    void MakeVisible(TLqMakeVisiblePos position);

private:
    friend class TLqGlobalItems;
    friend class TLqListview;

    TLqListview* m_owner;
    fw::TObject* m_data;
    QString m_caption;
    int m_index = 0;
    bool m_selected = false;
};

class TLqGlobalItems {
public:
    explicit TLqGlobalItems(TLqListview* owner) : m_owner(owner) {}

    // A new item at the end; Data is the caller's (not owned).
    TLqItem* Add(fw::TObject* Data);
    // Unselects the selected items (each raising its event), then removes every item.
    void Clear();
    int GetCount() const { return static_cast<int>(m_items.size()); }
    int Count() const { return GetCount(); }
    // Raises EListError "List index out of bounds (%d)" outside 0 .. Count - 1.
    TLqItem* GetItem(int Index) const;

private:
    friend class TLqListview;
    void renumber();

    TLqListview* m_owner;
    std::vector<std::unique_ptr<TLqItem>> m_items;
};

class TLqSelectionManager {
public:
    explicit TLqSelectionManager(TLqListview* owner) : m_owner(owner) {}

    // Unselects every item.
    void ClearAll();
    // Unselects every item; then, when there is one, focuses and selects the first.
    void SelectFirst();
    TLqItem* FocusedItem() const { return m_focused; }
    void SetFocusedItem(TLqItem* item);

private:
    friend class TLqGlobalItems;
    TLqListview* m_owner;
    TLqItem* m_focused = nullptr;
};

using TLqItemSelectionChangedEvent = std::function<void(fw::TObject* Sender, TLqItem* Item)>;
using TLqItemThumbnailDrawEvent =
    std::function<void(fw::TObject* Sender, TLqItem* Item, fw::TCanvas* ACanvas,
                       const fw::TRect& ARect, TLqAlphaBlend* AlphaBlender, bool& DoDefault)>;

class TLqListview : public fw::TCustomControl {
public:
    // The cell of the film strip, and where its thumbnail and caption go in it.
    static constexpr int kCellWidth = 80;
    static constexpr int kCellHeight = 108;
    static constexpr int kThumbnailInset = 8;
    static constexpr int kThumbnailSide = 64;

    explicit TLqListview(fw::TComponent* owner);
    ~TLqListview() override;

    TLqGlobalItems* Items() { return &m_items; }
    TLqSelectionManager* Selection() { return &m_selection; }

    // The cell of the item at Index in client coordinates (it may lie outside them).
    fw::TRect CellRect(int Index) const;
    // The rectangle handed to OnItemThumbnailDraw for the item at Index.
    fw::TRect ThumbnailRect(int Index) const;
    // The item whose cell holds the client point, or nullptr.
    TLqItem* ItemAt(int x, int y) const;
    // How far the row is scrolled to the left, in pixels.
    int ScrollOffset() const { return m_offset; }

    TLqItemSelectionChangedEvent OnItemSelectionChanged;
    TLqItemThumbnailDrawEvent OnItemThumbnailDraw;

    bool DoMouseWheelDown(fw::TShiftState shift, fw::TPoint mouse_pos) override;
    bool DoMouseWheelUp(fw::TShiftState shift, fw::TPoint mouse_pos) override;

protected:
    void Paint() override;
    void MouseDown(fw::TMouseButton button, fw::TShiftState shift, int x, int y) override;
    void Resize() override;

private:
    friend class TLqItem;
    friend class TLqGlobalItems;
    friend class TLqSelectionManager;

    void selection_changed(TLqItem* item);
    void item_changed();
    void scroll_to(int offset);
    void paint_cell(int index, const fw::TRect& update);

    TLqGlobalItems m_items{this};
    TLqSelectionManager m_selection{this};
    int m_offset = 0;
};

}

#endif
