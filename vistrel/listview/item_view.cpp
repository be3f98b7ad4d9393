// Item views (first shapes; the layouts follow).
#include "listview/item_view.h"

#include "listview/alpha_blender.h"
#include "listview/items.h"

namespace vistrel::listview {

namespace {

template <typename T>
TLqViewItem* make_view(TLqGroup* owner_group)
{
    return new T(owner_group);
}

const TLqViewItemClassInfo kViewItemClass{"TLqViewItem", nullptr, &make_view<TLqViewItem>};
const TLqViewItemClassInfo kIconClass{"TLqViewIconItem", &kViewItemClass,
                                      &make_view<TLqViewIconItem>};
const TLqViewItemClassInfo kSmallIconClass{"TLqViewSmallIconItem", &kViewItemClass,
                                           &make_view<TLqViewSmallIconItem>};
const TLqViewItemClassInfo kListClass{"TLqViewListItem", &kSmallIconClass,
                                      &make_view<TLqViewListItem>};
const TLqViewItemClassInfo kReportClass{"TLqViewReportItem", &kSmallIconClass,
                                        &make_view<TLqViewReportItem>};
const TLqViewItemClassInfo kGridClass{"TLqViewGridItem", &kSmallIconClass,
                                      &make_view<TLqViewGridItem>};
const TLqViewItemClassInfo kThumbnailClass{"TLqViewThumbnailItem", &kViewItemClass,
                                           &make_view<TLqViewThumbnailItem>};
const TLqViewItemClassInfo kFilmStripClass{"TLqViewFilmStripItem", &kThumbnailClass,
                                           &make_view<TLqViewFilmStripItem>};
const TLqViewItemClassInfo kTileClass{"TLqViewTileItem", &kViewItemClass,
                                      &make_view<TLqViewTileItem>};

}

TLqViewItemClass TLqViewItem::ClassInfo()
{
    return &kViewItemClass;
}
TLqViewItemClass TLqViewIconItem::ClassInfo()
{
    return &kIconClass;
}
TLqViewItemClass TLqViewSmallIconItem::ClassInfo()
{
    return &kSmallIconClass;
}
TLqViewItemClass TLqViewListItem::ClassInfo()
{
    return &kListClass;
}
TLqViewItemClass TLqViewReportItem::ClassInfo()
{
    return &kReportClass;
}
TLqViewItemClass TLqViewGridItem::ClassInfo()
{
    return &kGridClass;
}
TLqViewItemClass TLqViewThumbnailItem::ClassInfo()
{
    return &kThumbnailClass;
}
TLqViewItemClass TLqViewFilmStripItem::ClassInfo()
{
    return &kFilmStripClass;
}
TLqViewItemClass TLqViewTileItem::ClassInfo()
{
    return &kTileClass;
}

bool LqViewItemClassInheritsFrom(TLqViewItemClass cls, TLqViewItemClass base)
{
    for (; cls != nullptr; cls = cls->Parent)
        if (cls == base)
            return true;
    return false;
}

TLqViewItemClass LqDefaultItemViewClass(TLqListStyle style)
{
    const TLqViewItemClass classes[kLqListStyleCount] = {
        &kIconClass,      &kSmallIconClass, &kListClass,      &kReportClass,
        &kThumbnailClass, &kTileClass,      &kFilmStripClass, &kGridClass};
    return classes[style];
}

TLqAlphaBlender* LqSharedAlphaBlender()
{
    static TLqAlphaBlender blender;
    return &blender;
}

void TLqOwnedPersistentView::PaintCheckBox(TLqCheckType, TCustomLqListview*, int,
                                           TLqCollectionItem*, bool, bool, bool, bool, bool, bool,
                                           const fw::TRect&, fw::TCanvas*)
{
}

void TLqViewItem::CalculateTextRect(TLqItem*, TLqColumn*, fw::TRect&, fw::TCanvas*)
{
}

void TLqViewItem::TestAndClipImage(fw::TCanvas*, const TLqRectArrayObject&, HRGN& rgn)
{
    rgn = nullptr;
}

void TLqViewItem::TestAndUnClipImage(fw::TCanvas*, const TLqRectArrayObject&, HRGN)
{
}

bool TLqViewItem::AllowDrag(TLqItem*, fw::TPoint)
{
    return true;
}

bool TLqViewItem::PaintStateImage()
{
    return false;
}

void TLqViewItem::AfterFocusRectCalc(TLqItem*, TLqColumn*, const QString&, fw::TRect&)
{
}

void TLqViewItem::AfterSelRectCalc(TLqItem*, TLqColumn*, const QString&, fw::TRect&)
{
}

TLqInsertMarkerDir TLqViewItem::DropMarkerDir()
{
    return dmdHorz;
}

bool TLqViewItem::EditAreaHitPt(TLqItem* item, fw::TPoint p)
{
    return LqContains(item->ViewRect(), p);
}

fw::TRect TLqViewItem::ExpandIconR(TLqItem*, const TLqRectArrayObject&, TLqSelectHitType)
{
    return fw::TRect{};
}

fw::TRect TLqViewItem::ExpandTextR(TLqItem*, const TLqRectArrayObject&, TLqSelectHitType)
{
    return fw::TRect{};
}

bool TLqViewItem::FullRowSelect()
{
    return false;
}

fw::TCustomImageList* TLqViewItem::GetImageList(TLqColumn*, TLqItem*, TLqImageKind)
{
    return nullptr;
}

void TLqViewItem::GetImageSize(TLqItem*, TLqColumn*, int&, int&, TLqImageKind)
{
}

fw::TCustomImageList* TLqViewItem::GetStateImageList(TLqColumn*, TLqItem*)
{
    return nullptr;
}

fw::TRect TLqViewItem::ItemRect(TLqItem*, TLqColumn*, TLqCellRectType)
{
    return fw::TRect{};
}

void TLqViewItem::ItemRectArray(TLqItem* item, TLqColumn*, fw::TCanvas*, const QString&,
                                TLqRectArrayObject& rects)
{
    const fw::TRect cell = item->ViewRect();
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

void TLqViewItem::LoadTextFont(TLqItem*, int, fw::TCanvas*, bool)
{
}

bool TLqViewItem::OverlappedFocus()
{
    return false;
}

void TLqViewItem::Paint(TLqItem*, TLqColumn*, fw::TCanvas*, const fw::TRect&, bool)
{
}

void TLqViewItem::PaintAfter(TLqItem*, TLqColumn*, const QString&, fw::TCanvas*,
                             const TLqRectArrayObject&)
{
}

void TLqViewItem::PaintBefore(TLqItem*, TLqColumn*, const QString&, fw::TCanvas*,
                              const TLqRectArrayObject&, bool&)
{
}

void TLqViewItem::PaintCheckBox(TLqItem*, TLqColumn*, const TLqRectArrayObject&, fw::TCanvas*)
{
}

void TLqViewItem::PaintFocusRect(TLqItem*, TLqColumn*, const QString&, const TLqRectArrayObject&,
                                 fw::TCanvas*)
{
}

void TLqViewItem::PaintImage(TLqItem*, TLqColumn*, const QString&, const TLqRectArrayObject&,
                             TLqImageSize, fw::TCanvas*)
{
}

TLqImageSize TLqViewItem::PaintImageSize()
{
    return eisSmall;
}

void TLqViewItem::PaintSelectionRect(TLqItem*, TLqColumn*, const QString&,
                                     const TLqRectArrayObject&, fw::TCanvas*, const fw::TRect&,
                                     bool)
{
}

void TLqViewItem::PaintText(TLqItem*, TLqColumn*, const QString&, const TLqRectArrayObject&,
                            fw::TCanvas*, int)
{
}

fw::TAlignment TLqViewItem::PaintTextAlignment(TLqItem*, TLqColumn*)
{
    return fw::taLeftJustify;
}

int TLqViewItem::PaintTextLineCount(TLqItem*, TLqColumn*)
{
    return 0;
}

TLqCommonVAlignment TLqViewItem::PaintTextVAlignment(TLqItem*, TLqColumn*)
{
    return cvaTop;
}

int TLqViewItem::PtInRect(TLqItem*, TLqColumn*, fw::TPoint)
{
    return 0;
}

void TLqViewItem::ReSizeRectArray(TLqRectArrayObjectArray&)
{
}

bool TLqViewItem::SelectionHit(TLqItem* item, const fw::TRect& r, TLqSelectHitType)
{
    return LqIntersects(item->ViewRect(), r);
}

bool TLqViewItem::SelectionHitPt(TLqItem* item, fw::TPoint p, TLqSelectHitType)
{
    return LqContains(item->ViewRect(), p);
}

void TLqViewIconItem::AfterFocusRectCalc(TLqItem*, TLqColumn*, const QString&, fw::TRect&)
{
}

void TLqViewIconItem::AfterSelRectCalc(TLqItem*, TLqColumn*, const QString&, fw::TRect&)
{
}

TLqInsertMarkerDir TLqViewIconItem::DropMarkerDir()
{
    return dmdHorz;
}

fw::TRect TLqViewIconItem::ExpandIconR(TLqItem*, const TLqRectArrayObject&, TLqSelectHitType)
{
    return fw::TRect{};
}

void TLqViewIconItem::ItemRectArray(TLqItem* a0, TLqColumn* a1, fw::TCanvas* a2, const QString& a3,
                                    TLqRectArrayObject& a4)
{
    TLqViewItem::ItemRectArray(a0, a1, a2, a3, a4);
}

bool TLqViewIconItem::OverlappedFocus()
{
    return false;
}

void TLqViewIconItem::PaintBefore(TLqItem*, TLqColumn*, const QString&, fw::TCanvas*,
                                  const TLqRectArrayObject&, bool&)
{
}

TLqImageSize TLqViewIconItem::PaintImageSize()
{
    return eisSmall;
}

int TLqViewIconItem::PaintTextLineCount(TLqItem*, TLqColumn*)
{
    return 0;
}

fw::TRect TLqViewSmallIconItem::CalculateDisplayRect(TLqItem*, TLqColumn*)
{
    return fw::TRect{};
}

fw::TRect TLqViewSmallIconItem::ExpandIconR(TLqItem*, const TLqRectArrayObject&, TLqSelectHitType)
{
    return fw::TRect{};
}

fw::TRect TLqViewSmallIconItem::ExpandTextR(TLqItem*, const TLqRectArrayObject&, TLqSelectHitType)
{
    return fw::TRect{};
}

void TLqViewSmallIconItem::ItemRectArray(TLqItem* a0, TLqColumn* a1, fw::TCanvas* a2,
                                         const QString& a3, TLqRectArrayObject& a4)
{
    TLqViewItem::ItemRectArray(a0, a1, a2, a3, a4);
}

void TLqViewSmallIconItem::PaintBefore(TLqItem*, TLqColumn*, const QString&, fw::TCanvas*,
                                       const TLqRectArrayObject&, bool&)
{
}

fw::TAlignment TLqViewSmallIconItem::PaintTextAlignment(TLqItem*, TLqColumn*)
{
    return fw::taLeftJustify;
}

int TLqViewSmallIconItem::PaintTextLineCount(TLqItem*, TLqColumn*)
{
    return 0;
}

TLqCommonVAlignment TLqViewSmallIconItem::PaintTextVAlignment(TLqItem*, TLqColumn*)
{
    return cvaTop;
}

bool TLqViewReportItem::AllowDrag(TLqItem* a0, fw::TPoint a1)
{
    return TLqViewItem::AllowDrag(a0, a1);
}

fw::TRect TLqViewReportItem::CalculateDisplayRect(TLqItem*, TLqColumn*)
{
    return fw::TRect{};
}

fw::TRect TLqViewReportItem::ExpandTextR(TLqItem*, const TLqRectArrayObject&, TLqSelectHitType)
{
    return fw::TRect{};
}

bool TLqViewReportItem::FullRowSelect()
{
    return false;
}

bool TLqViewReportItem::PaintStateImage()
{
    return false;
}

bool TLqViewReportItem::SelectionHit(TLqItem* a0, const fw::TRect& a1, TLqSelectHitType a2)
{
    return TLqViewItem::SelectionHit(a0, a1, a2);
}

bool TLqViewReportItem::SelectionHitPt(TLqItem* a0, fw::TPoint a1, TLqSelectHitType a2)
{
    return TLqViewItem::SelectionHitPt(a0, a1, a2);
}

void TLqViewThumbnailItem::AfterFocusRectCalc(TLqItem*, TLqColumn*, const QString&, fw::TRect&)
{
}

void TLqViewThumbnailItem::AfterSelRectCalc(TLqItem*, TLqColumn*, const QString&, fw::TRect&)
{
}

TLqInsertMarkerDir TLqViewThumbnailItem::DropMarkerDir()
{
    return dmdHorz;
}

fw::TRect TLqViewThumbnailItem::ExpandTextR(TLqItem*, const TLqRectArrayObject&, TLqSelectHitType)
{
    return fw::TRect{};
}

fw::TCustomImageList* TLqViewThumbnailItem::GetImageList(TLqColumn*, TLqItem*, TLqImageKind)
{
    return nullptr;
}

void TLqViewThumbnailItem::ItemRectArray(TLqItem* a0, TLqColumn* a1, fw::TCanvas* a2,
                                         const QString& a3, TLqRectArrayObject& a4)
{
    TLqViewItem::ItemRectArray(a0, a1, a2, a3, a4);
}

bool TLqViewThumbnailItem::OverlappedFocus()
{
    return false;
}

void TLqViewThumbnailItem::PaintAfter(TLqItem*, TLqColumn*, const QString&, fw::TCanvas*,
                                      const TLqRectArrayObject&)
{
}

void TLqViewThumbnailItem::PaintBefore(TLqItem*, TLqColumn*, const QString&, fw::TCanvas*,
                                       const TLqRectArrayObject&, bool&)
{
}

TLqImageSize TLqViewThumbnailItem::PaintImageSize()
{
    return eisSmall;
}

int TLqViewThumbnailItem::PaintTextLineCount(TLqItem*, TLqColumn*)
{
    return 0;
}

TLqCommonVAlignment TLqViewThumbnailItem::PaintTextVAlignment(TLqItem*, TLqColumn*)
{
    return cvaTop;
}

bool TLqViewThumbnailItem::SelectionHit(TLqItem* a0, const fw::TRect& a1, TLqSelectHitType a2)
{
    return TLqViewItem::SelectionHit(a0, a1, a2);
}

bool TLqViewThumbnailItem::SelectionHitPt(TLqItem* a0, fw::TPoint a1, TLqSelectHitType a2)
{
    return TLqViewItem::SelectionHitPt(a0, a1, a2);
}

void TLqViewTileItem::AfterFocusRectCalc(TLqItem*, TLqColumn*, const QString&, fw::TRect&)
{
}

void TLqViewTileItem::AfterSelRectCalc(TLqItem*, TLqColumn*, const QString&, fw::TRect&)
{
}

TLqInsertMarkerDir TLqViewTileItem::DropMarkerDir()
{
    return dmdHorz;
}

fw::TRect TLqViewTileItem::ExpandIconR(TLqItem*, const TLqRectArrayObject&, TLqSelectHitType)
{
    return fw::TRect{};
}

fw::TRect TLqViewTileItem::ExpandTextR(TLqItem*, const TLqRectArrayObject&, TLqSelectHitType)
{
    return fw::TRect{};
}

fw::TCustomImageList* TLqViewTileItem::GetImageList(TLqColumn*, TLqItem*, TLqImageKind)
{
    return nullptr;
}

void TLqViewTileItem::ItemRectArray(TLqItem* a0, TLqColumn* a1, fw::TCanvas* a2, const QString& a3,
                                    TLqRectArrayObject& a4)
{
    TLqViewItem::ItemRectArray(a0, a1, a2, a3, a4);
}

void TLqViewTileItem::PaintBefore(TLqItem*, TLqColumn*, const QString&, fw::TCanvas*,
                                  const TLqRectArrayObject&, bool&)
{
}

TLqImageSize TLqViewTileItem::PaintImageSize()
{
    return eisSmall;
}

void TLqViewTileItem::PaintText(TLqItem*, TLqColumn*, const QString&, const TLqRectArrayObject&,
                                fw::TCanvas*, int)
{
}

fw::TAlignment TLqViewTileItem::PaintTextAlignment(TLqItem*, TLqColumn*)
{
    return fw::taLeftJustify;
}

}
