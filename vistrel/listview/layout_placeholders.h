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
#include "listview/item_view.h"
#include "listview/persistent.h"
#include "listview/rect_array.h"
#include "listview/scrollbars.h"

namespace vistrel::listview {

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
