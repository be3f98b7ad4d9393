// The grid of a group: it places the group's items in cells of its view's cell size and
// gives the group its rectangle, all in view coordinates (origin at the top left of the
// first group). Three layouts: the vertical flow fills rows left to right and the rows
// go down (icon, small-icon, thumbnail, tile views); the horizontal flow fills columns
// top to bottom and the columns go right (list and film-strip views); the column grid
// follows the header's columns (report and grid views).
//
// Each group makes the grid of its class through the class record's factory, so a
// custom grid class (OnCustomGrid) is a record naming the factory of its own class.
#ifndef VISTREL_LISTVIEW_GRID_LAYOUT_H
#define VISTREL_LISTVIEW_GRID_LAYOUT_H

#include "listview/events.h"
#include "listview/persistent.h"

#include <memory>

namespace vistrel::listview {

class TLqCellSize;

enum TLqGridLayout {
    eglHorz,
    eglVert,
    eglGrid
};

// The class of a grid: its name and the factory that makes one for a group.
struct TLqGridGroupClassInfo {
    const char* Name;
    TLqGridGroup* (*Create)(TCustomLqListview* owner, TLqGroup* owner_group);
};

// A new grid of the class for the group; it knows its class afterwards.
std::unique_ptr<TLqGridGroup> LqCreateGrid(TLqGridGroupClass grid_class, TCustomLqListview* owner,
                                           TLqGroup* owner_group);
// The grid class of a view.
TLqGridGroupClass LqDefaultGridClass(TLqListStyle style);

class TLqGridGroup : public TLqOwnedPersistent {
public:
    TLqGridGroup(TCustomLqListview* owner, TLqGroup* owner_group);
    ~TLqGridGroup() override;

    // The class the grid was made of (LqCreateGrid).
    TLqGridGroupClass ClassType() const { return m_class; }
    int ColumnCount() const { return m_column_count; }
    TLqGridLayout Layout() const { return m_layout; }
    TLqGroup* OwnerGroup() const { return m_owner_group; }
    TLqGroups* OwnerGroups() const;
    int RowCount() const { return m_row_count; }

    // The neighbour of a visible item; an invisible one raises EAssertionFailed.
    virtual TLqItem* AdjacentItem(TLqItem* item, TLqAdjacentCellDir direction);
    // The control's cell size of the grid's view.
    virtual TLqCellSize* CellSize() const = 0;
    // Copies the size's width and height into the view's cell size.
    virtual void SetCellSize(TLqCellSize* value);
    // How many cells fit across the view width, margins taken off.
    virtual int MaxColumns(TLqGroup* group, int view_width);
    virtual int TopItemOffset() const { return 0; }
    virtual int TopOffset() const { return 0; }
    // Sets the view's auto-size width from the longest caption when the cell size
    // follows the captions.
    virtual void AutoSizeCells();
    // The group and item index before which an item dropped at the point goes; Index
    // -1 when no item lies under it.
    virtual void FindInsertPosition(fw::TPoint viewport_point, TLqGroup*& group, int& index);
    // Places the group after prev_group (nullptr for the first) and its items; the
    // counter runs over the visible items of all groups.
    virtual void Rebuild(TLqGroup* prev_group, int& next_visible_item_index);

protected:
    void set_layout(TLqGridLayout layout) { m_layout = layout; }
    void set_counts(int columns, int rows)
    {
        m_column_count = columns;
        m_row_count = rows;
    }
    // The group margins' effective sizes.
    int margin_left() const;
    int margin_top() const;
    int margin_right() const;
    int margin_bottom() const;

private:
    friend std::unique_ptr<TLqGridGroup> LqCreateGrid(TLqGridGroupClass, TCustomLqListview*,
                                                      TLqGroup*);
    TLqItem* step_across_groups(TLqItem* item, int position, bool forward, bool by_column);
    TLqItem* page_search(TLqItem* item, bool down);

    int m_column_count = 0;
    TLqGridLayout m_layout = eglVert;
    TLqGroup* m_owner_group;
    int m_row_count = 0;
    TLqGridGroupClass m_class = nullptr;
};

class TLqGridIconGroup : public TLqGridGroup {
public:
    static const TLqGridGroupClassInfo Class;
    using TLqGridGroup::TLqGridGroup;
    TLqCellSize* CellSize() const override;
    void AutoSizeCells() override {}
};

class TLqGridSmallIconGroup : public TLqGridGroup {
public:
    static const TLqGridGroupClassInfo Class;
    using TLqGridGroup::TLqGridGroup;
    TLqCellSize* CellSize() const override;
};

class TLqGridThumbnailGroup : public TLqGridGroup {
public:
    static const TLqGridGroupClassInfo Class;
    using TLqGridGroup::TLqGridGroup;
    TLqCellSize* CellSize() const override;
    void AutoSizeCells() override {}
};

class TLqGridTileGroup : public TLqGridGroup {
public:
    static const TLqGridGroupClassInfo Class;
    using TLqGridGroup::TLqGridGroup;
    TLqCellSize* CellSize() const override;
    void FindInsertPosition(fw::TPoint, TLqGroup*&, int&) override {}
};

class TLqGridListGroup : public TLqGridGroup {
public:
    static const TLqGridGroupClassInfo Class;
    TLqGridListGroup(TCustomLqListview* owner, TLqGroup* owner_group);
    TLqItem* AdjacentItem(TLqItem* item, TLqAdjacentCellDir direction) override;
    TLqCellSize* CellSize() const override;
    void FindInsertPosition(fw::TPoint, TLqGroup*&, int&) override {}
    void Rebuild(TLqGroup* prev_group, int& next_visible_item_index) override;

private:
    TLqItem* column_neighbour(TLqItem* item, bool forward);
};

class TLqGridFilmStripGroup : public TLqGridListGroup {
public:
    static const TLqGridGroupClassInfo Class;
    using TLqGridListGroup::TLqGridListGroup;
    TLqCellSize* CellSize() const override;
    void AutoSizeCells() override {}
};

class TLqGridReportGroup : public TLqGridGroup {
public:
    static const TLqGridGroupClassInfo Class;
    TLqGridReportGroup(TCustomLqListview* owner, TLqGroup* owner_group);
    TLqItem* AdjacentItem(TLqItem* item, TLqAdjacentCellDir direction) override;
    TLqCellSize* CellSize() const override;
    void FindInsertPosition(fw::TPoint, TLqGroup*&, int&) override {}
    void Rebuild(TLqGroup* prev_group, int& next_visible_item_index) override;

private:
    TLqItem* page_item(TLqItem* item, bool down);
};

class TLqGridGridGroup : public TLqGridGroup {
public:
    static const TLqGridGroupClassInfo Class;
    TLqGridGridGroup(TCustomLqListview* owner, TLqGroup* owner_group);
    TLqCellSize* CellSize() const override;
    void Rebuild(TLqGroup* prev_group, int& next_visible_item_index) override;
};

}

#endif
