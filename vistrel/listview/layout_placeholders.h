// Stand-ins for the control's layout until its cell sizes, grids, item and group views
// and scroll bars are built: each keeps the members the items and groups call, with
// the simplest sound answer. The grid places a group's visible items in cells one after
// the other (rows in the vertical views, one row in the film strip, columns in the
// list view); an item's rectangles are its cell; the scroll bars only keep the view
// rectangle and the offsets that map window to view coordinates.
#ifndef VISTREL_LISTVIEW_LAYOUT_PLACEHOLDERS_H
#define VISTREL_LISTVIEW_LAYOUT_PLACEHOLDERS_H

#include "listview/events.h"
#include "listview/item_view.h"
#include "listview/persistent.h"
#include "listview/rect_array.h"

namespace vistrel::listview {

class TLqCellSize : public TLqOwnedPersistent {
public:
    TLqCellSize(TCustomLqListview* owner, int width, int height)
        : TLqOwnedPersistent(owner), m_width(width), m_height(height)
    {
    }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void SetWidth(int value) { m_width = value; }
    void SetHeight(int value) { m_height = value; }
    void Assign(fw::TPersistent* source) override;

private:
    int m_width;
    int m_height;
};

class TLqCellSizes : public TLqOwnedPersistent {
public:
    explicit TLqCellSizes(TCustomLqListview* owner);
    ~TLqCellSizes() override;
    TLqCellSize* ForView(TLqListStyle style) const;
    TLqCellSize* FilmStrip() const { return ForView(elsFilmStrip); }

private:
    std::unique_ptr<TLqCellSize> m_sizes[kLqListStyleCount];
};

class TLqGridGroup : public TLqOwnedPersistent {
public:
    TLqGridGroup(TCustomLqListview* owner, TLqGroup* group, TLqListStyle style);
    ~TLqGridGroup() override;

    TLqGridGroupClass ClassType() const;
    TLqCellSize* CellSize() const { return m_cell_size.get(); }
    int ColumnCount() const { return m_column_count; }
    int RowCount() const { return m_row_count; }
    // Places the group after prev_group and its visible items in cells.
    void Rebuild(TLqGroup* prev_group, int& next_visible_item_index);
    TLqItem* AdjacentItem(TLqItem* item, TLqAdjacentCellDir direction) const;

private:
    TLqGroup* m_group;
    TLqListStyle m_style;
    std::unique_ptr<TLqCellSize> m_cell_size;
    int m_column_count = 0;
    int m_row_count = 0;
};

struct TLqGridGroupClassInfo {
    TLqListStyle style;
};
TLqGridGroupClass LqDefaultGridClass(TLqListStyle style);

class TLqViewGroup : public TLqOwnedPersistentGroupItem {
public:
    using TLqOwnedPersistentGroupItem::TLqOwnedPersistentGroupItem;
    TLqViewGroupClass ClassType() const { return m_class; }
    void SetClassType(TLqViewGroupClass cls) { m_class = cls; }
    void GroupRectArray(TLqGroup* group, TLqGroupMarginEdge edge, const fw::TRect& margin_rect,
                        TLqRectArrayObject& rects);
    bool EditAreaHitPt(TLqGroup* group, fw::TPoint viewport_point);
    bool SelectionHit(TLqGroup* group, const fw::TRect& rect, TLqSelectHitType type);
    bool SelectionHitPt(TLqGroup* group, fw::TPoint viewport_point, TLqSelectHitType type);

private:
    TLqViewGroupClass m_class = nullptr;
};

struct TLqViewGroupClassInfo {
    int unused;
};
TLqViewGroupClass LqDefaultGroupViewClass();

class TLqScrollbarManager : public TLqOwnedPersistent {
public:
    using TLqOwnedPersistent::TLqOwnedPersistent;
    int OffsetX() const { return m_offset_x; }
    int OffsetY() const { return m_offset_y; }
    void SetOffsetX(int value);
    void SetOffsetY(int value);
    const fw::TRect& ViewRect() const { return m_view_rect; }
    void SetViewRect(const fw::TRect& rect, bool invalidate);
    void ReCalculateScrollbars(bool /*redraw*/, bool /*force*/) {}
    fw::TRect MapWindowRectToViewRect(const fw::TRect& rect) const;
    fw::TRect MapViewRectToWindowRect(const fw::TRect& rect) const;

private:
    int m_offset_x = 0;
    int m_offset_y = 0;
    fw::TRect m_view_rect;
};

}

#endif
