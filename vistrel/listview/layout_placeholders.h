// Stand-ins for the control's layout until its cell sizes, grids, item and group views
// and scroll bars are built: each keeps the members the items and groups call, with
// the simplest sound answer. The grid places a group's visible items in cells one after
// the other (rows in the vertical views, one row in the film strip, columns in the
// list view); an item's rectangles are its cell; the scroll bars only keep the view
// rectangle and the offsets that map window to view coordinates.
#ifndef VISTREL_LISTVIEW_LAYOUT_PLACEHOLDERS_H
#define VISTREL_LISTVIEW_LAYOUT_PLACEHOLDERS_H

#include "listview/cell_sizes.h"
#include "listview/events.h"
#include "listview/grid_layout.h"
#include "listview/persistent.h"
#include "listview/scrollbars.h"

namespace vistrel::listview {

// The rectangles of an item, group or column in view coordinates.
struct TLqRectArrayObject {
    fw::TRect BoundsRect;
    fw::TRect IconRect;
    fw::TRect LabelRect;
    fw::TRect CheckRect;
    fw::TRect StateRect;
    fw::TRect TextRect;
    fw::TRect FullTextRect;
    fw::TRect SelectionRect;
    fw::TRect FullFocusSelRect;
    fw::TRect FocusChangeInvalidRect;
    fw::TRect ClickSelectBoundsRect;
    fw::TRect DragSelectBoundsRect;
    fw::TRect ExpandButtonRect;
    fw::TRect BandRect;
};

class TLqViewItem : public TLqOwnedPersistentGroupItem {
public:
    using TLqOwnedPersistentGroupItem::TLqOwnedPersistentGroupItem;
    TLqViewItemClass ClassType() const { return m_class; }
    void SetClassType(TLqViewItemClass cls) { m_class = cls; }
    void ItemRectArray(TLqItem* item, TLqColumn* column, fw::TCanvas* canvas,
                       const QString& caption, TLqRectArrayObject& rects);
    bool AllowDrag(TLqItem* item, fw::TPoint viewport_point);
    bool EditAreaHitPt(TLqItem* item, fw::TPoint viewport_point);
    bool SelectionHit(TLqItem* item, const fw::TRect& rect, TLqSelectHitType type);
    bool SelectionHitPt(TLqItem* item, fw::TPoint viewport_point, TLqSelectHitType type);

private:
    TLqViewItemClass m_class = nullptr;
};

struct TLqViewItemClassInfo {
    TLqListStyle style;
};
// The default item view of a style; nullptr stands for the plain item view.
TLqViewItemClass LqDefaultItemViewClass(TLqListStyle style);

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
}

#endif
