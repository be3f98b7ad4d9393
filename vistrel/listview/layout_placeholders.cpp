#include "listview/layout_placeholders.h"

#include "listview/groups.h"
#include "listview/items.h"
#include "listview/listview.h"

using namespace fw;

namespace vistrel::listview {

namespace {

const TLqViewItemClassInfo kItemViewClasses[kLqListStyleCount] = {
    {elsIcon},      {elsSmallIcon}, {elsList},      {elsReport},
    {elsThumbnail}, {elsTile},      {elsFilmStrip}, {elsGrid}};
const TLqViewGroupClassInfo kGroupViewClass{0};
}

TLqViewItemClass LqDefaultItemViewClass(TLqListStyle style)
{
    return &kItemViewClasses[style];
}

TLqViewGroupClass LqDefaultGroupViewClass()
{
    return &kGroupViewClass;
}

void TLqViewItem::ItemRectArray(TLqItem* item, TLqColumn*, TCanvas*, const QString&,
                                TLqRectArrayObject& rects)
{
    const TRect cell = item->ViewRect();
    rects = TLqRectArrayObject{};
    rects.BoundsRect = cell;
    rects.IconRect = cell;
    rects.LabelRect = cell;
    rects.TextRect = cell;
    rects.FullTextRect = cell;
    rects.SelectionRect = cell;
    rects.FullFocusSelRect = cell;
    rects.FocusChangeInvalidRect = cell;
    rects.ClickSelectBoundsRect = cell;
    rects.DragSelectBoundsRect = cell;
}

bool TLqViewItem::AllowDrag(TLqItem*, TPoint)
{
    return true;
}

bool TLqViewItem::EditAreaHitPt(TLqItem* item, TPoint viewport_point)
{
    return LqContains(item->ViewRect(), viewport_point);
}

bool TLqViewItem::SelectionHit(TLqItem* item, const TRect& rect, TLqSelectHitType)
{
    return LqIntersects(item->ViewRect(), rect);
}

bool TLqViewItem::SelectionHitPt(TLqItem* item, TPoint viewport_point, TLqSelectHitType)
{
    return LqContains(item->ViewRect(), viewport_point);
}

void TLqViewGroup::GroupRectArray(TLqGroup*, TLqGroupMarginEdge, const TRect& margin_rect,
                                  TLqRectArrayObject& rects)
{
    rects = TLqRectArrayObject{};
    rects.BoundsRect = margin_rect;
    rects.LabelRect = margin_rect;
    rects.TextRect = margin_rect;
}

bool TLqViewGroup::EditAreaHitPt(TLqGroup*, TPoint)
{
    return false;
}

bool TLqViewGroup::SelectionHit(TLqGroup*, const TRect&, TLqSelectHitType)
{
    return false;
}

bool TLqViewGroup::SelectionHitPt(TLqGroup*, TPoint, TLqSelectHitType)
{
    return false;
}
}
