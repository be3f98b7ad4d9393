#include "listview/layout_placeholders.h"

#include "listview/groups.h"
#include "listview/items.h"
#include "listview/listview.h"

using namespace fw;

namespace vistrel::listview {

namespace {

const TLqViewGroupClassInfo kGroupViewClass{0};
}

TLqViewGroupClass LqDefaultGroupViewClass()
{
    return &kGroupViewClass;
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
