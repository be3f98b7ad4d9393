// The item views of the eight view styles: the icon, small-icon (with list, report and
// grid), thumbnail (with film strip) and tile layouts and what each view answers
// otherwise than the base.

#include "listview/common/rect_routines.h"
#include "listview/common/text_routines.h"
#include "listview/groups.h"
#include "listview/item_view.h"
#include "listview/item_view_support.h"
#include "listview/items.h"
#include "listview/layout.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "listview/selection.h"

#include <memory>

using namespace fw;

namespace vistrel::listview {

using namespace item_view;

namespace {

template <typename T>
TLqViewItem* make_view(TLqGroup* owner_group)
{
    return new T(owner_group);
}

const TLqViewItemClassInfo kIconClass{"TLqViewIconItem", TLqViewItem::ClassInfo(),
                                      &make_view<TLqViewIconItem>};
const TLqViewItemClassInfo kSmallIconClass{"TLqViewSmallIconItem", TLqViewItem::ClassInfo(),
                                           &make_view<TLqViewSmallIconItem>};
const TLqViewItemClassInfo kListClass{"TLqViewListItem", &kSmallIconClass,
                                      &make_view<TLqViewListItem>};
const TLqViewItemClassInfo kReportClass{"TLqViewReportItem", &kSmallIconClass,
                                        &make_view<TLqViewReportItem>};
const TLqViewItemClassInfo kGridClass{"TLqViewGridItem", &kSmallIconClass,
                                      &make_view<TLqViewGridItem>};
const TLqViewItemClassInfo kThumbnailClass{"TLqViewThumbnailItem", TLqViewItem::ClassInfo(),
                                           &make_view<TLqViewThumbnailItem>};
const TLqViewItemClassInfo kFilmStripClass{"TLqViewFilmStripItem", &kThumbnailClass,
                                           &make_view<TLqViewFilmStripItem>};
const TLqViewItemClassInfo kTileClass{"TLqViewTileItem", TLqViewItem::ClassInfo(),
                                      &make_view<TLqViewTileItem>};

// A caption that is empty is measured as one blank, so that an empty label keeps a
// line's height.
QString measured(const QString& caption)
{
    return caption.isEmpty() ? QStringLiteral(" ") : caption;
}

// Thumbnails and tiles show an item's extra-large image where it has one.
TCustomImageList* extra_large_else_large(TLqItem* item, int column_index)
{
    if (TCustomImageList* list = item->GetImageList(column_index, eisExtraLarge))
        return list;
    return item->GetImageList(column_index, eisLarge);
}

void shrink_when_full_cell(TCustomLqListview* owner, TRect& r)
{
    if (owner != nullptr && owner->Selection()->FullCellPaint())
        r = Shrink(r, 2);
}

// Locks a canvas for measuring; a canvas of the control's own is made while the control
// has a window, else the one given is used.
class MeasuringCanvas {
public:
    MeasuringCanvas(TCustomLqListview* owner, TCanvas* given)
    {
        if (owner != nullptr && owner->HandleAllocated()) {
            m_own = std::make_unique<TControlCanvas>();
            m_own->SetControl(owner);
            m_canvas = m_own.get();
        } else {
            m_canvas = given;
        }
        if (m_canvas != nullptr)
            m_canvas->Lock();
    }
    ~MeasuringCanvas()
    {
        if (m_canvas != nullptr)
            m_canvas->Unlock();
    }
    MeasuringCanvas(const MeasuringCanvas&) = delete;
    MeasuringCanvas& operator=(const MeasuringCanvas&) = delete;
    TCanvas* Canvas() const { return m_canvas; }

private:
    std::unique_ptr<TControlCanvas> m_own;
    TCanvas* m_canvas = nullptr;
};

}

// ---- Icon ----------------------------------------------------------------------------------

TLqViewItemClass TLqViewIconItem::ClassInfo()
{
    return &kIconClass;
}

void TLqViewIconItem::AfterFocusRectCalc(TLqItem*, TLqColumn*, const QString&,
                                         TRect& local_focus_rect)
{
    shrink_when_full_cell(OwnerListview(), local_focus_rect);
}

void TLqViewIconItem::AfterSelRectCalc(TLqItem*, TLqColumn*, const QString&, TRect& local_sel_rect)
{
    shrink_when_full_cell(OwnerListview(), local_sel_rect);
}

TLqInsertMarkerDir TLqViewIconItem::DropMarkerDir()
{
    return dmdVert;
}

TRect TLqViewIconItem::ExpandIconR(TLqItem*, const TLqRectArrayObject& rects, TLqSelectHitType)
{
    return rects.IconRect;
}

void TLqViewIconItem::ItemRectArray(TLqItem* item, TLqColumn* column, TCanvas* canvas,
                                    const QString&, TLqRectArrayObject& rects)
{
    if (item == nullptr || ColumnPosition(column) < 0)
        return;
    TCustomLqListview* owner = OwnerListview();
    item->SetInitialized(true);
    rects = TLqRectArrayObject{};
    TLqPaintInfoItem* info = item->PaintInfo();
    int image_w = 0;
    int image_h = 0;
    GetImageSize(item, column, image_w, image_h, eikNormal);

    TRect bounds = item->ViewRect();
    bounds.Left += 1;
    rects.BoundsRect = bounds;
    const int x = bounds.Left + (bounds.Width() - image_w) / 2;
    rects.IconRect = TRect{x, bounds.Top + 2, x + image_w, bounds.Top + 2 + image_h};
    rects.IconRect.Bottom += 4;
    if (info->CheckType() != ectNone) {
        const TRect box = CheckBoxBounds(info->CheckSize());
        const int left = bounds.Left + info->CheckIndent();
        const int top = rects.IconRect.Bottom + 1;
        rects.CheckRect = TRect{left, top, left + box.Right, top + box.Bottom};
    } else {
        rects.CheckRect = TRect{bounds.Left, rects.IconRect.Bottom, bounds.Left, bounds.Bottom};
    }
    rects.LabelRect =
        TRect{rects.CheckRect.Right, rects.IconRect.Bottom + 1, bounds.Right, bounds.Bottom};
    rects.TextRect = Shrink(rects.LabelRect, 2);
    rects.FullTextRect = rects.TextRect;
    if (TCanvas* measure = MeasureCanvas(owner, canvas)) {
        const QString text = measured(item->GetCaptions(ColumnIndex(column)));
        LoadTextFont(item, ColumnPosition(column), measure, item->Selected());
        const DrawTextFlags flags =
            dtfCalcRect | dtfCalcRectKeepWidth | AlignmentFlag(taCenter) | VAlignmentFlag(cvaTop);
        DrawTextWithFlags(measure->Handle(), text, rects.FullTextRect, flags, -1);
        DrawTextWithFlags(measure->Handle(), text, rects.TextRect, flags,
                          PaintTextLineCount(item, column));
    }
    rects.SelectionRect = Grow(rects.TextRect, 2);
    rects.FullFocusSelRect = Grow(rects.FullTextRect, 2);
    rects.ClickSelectBoundsRect = LqUnion(rects.IconRect, rects.TextRect);
    rects.DragSelectBoundsRect = rects.ClickSelectBoundsRect;
    rects.FocusChangeInvalidRect = LqUnion(rects.IconRect, rects.FullFocusSelRect);
    rects.EditRect = rects.FullTextRect;
}

bool TLqViewIconItem::OverlappedFocus()
{
    return true;
}

void TLqViewIconItem::PaintBefore(TLqItem*, TLqColumn*, const QString&, TCanvas*,
                                  const TLqRectArrayObject&, bool& handled)
{
    handled = false;
}

TLqImageSize TLqViewIconItem::PaintImageSize()
{
    return eisLarge;
}

int TLqViewIconItem::PaintTextLineCount(TLqItem* item, TLqColumn*)
{
    return item->Focused() && ControlFocused(OwnerListview()) ? -1 : 2;
}

// ---- Small icon, list, report, grid ---------------------------------------------------------

TLqViewItemClass TLqViewSmallIconItem::ClassInfo()
{
    return &kSmallIconClass;
}

TRect TLqViewSmallIconItem::CalculateDisplayRect(TLqItem* item, TLqColumn*)
{
    return item->ViewRect();
}

TRect TLqViewSmallIconItem::ExpandIconR(TLqItem*, const TLqRectArrayObject&, TLqSelectHitType)
{
    return TRect{};
}

TRect TLqViewSmallIconItem::ExpandTextR(TLqItem*, const TLqRectArrayObject& rects, TLqSelectHitType)
{
    TRect r = LqUnion(rects.IconRect, rects.TextRect);
    r.Top = rects.BoundsRect.Top;
    r.Bottom = rects.BoundsRect.Bottom;
    return r;
}

void TLqViewSmallIconItem::ItemRectArray(TLqItem* item, TLqColumn* column, TCanvas* canvas,
                                         const QString&, TLqRectArrayObject& rects)
{
    if (item == nullptr || ColumnPosition(column) < 0)
        return;
    TCustomLqListview* owner = OwnerListview();
    item->SetInitialized(true);
    rects = TLqRectArrayObject{};
    TLqPaintInfoItem* info = item->PaintInfo();
    const int column_index = ColumnIndex(column);

    TLqColumn* display_column = column;
    if (display_column == nullptr && owner != nullptr && PositionedColumnCount(owner->Header()) > 0)
        display_column = ColumnAtPosition(owner->Header(), 0);
    const TRect d = CalculateDisplayRect(item, display_column);
    rects.BoundsRect = d;

    if (info->CheckType() != ectNone && column_index == 0) {
        const TRect box = CheckBoxBounds(info->CheckSize());
        const int left = d.Left + info->CheckIndent();
        const int top = d.Top + (d.Height() - box.Bottom) / 2;
        rects.CheckRect = TRect{left, top, left + box.Right, top + box.Bottom};
    } else {
        rects.CheckRect = TRect{d.Left, d.Top, d.Left, d.Bottom};
    }

    const TRect& check = rects.CheckRect;
    if (PaintStateImage() && (item->GetStateImageIndexes(column_index) >= 0 ||
                              GetStateImageList(column, item) != nullptr)) {
        int state_w = 0;
        int state_h = 0;
        GetImageSize(item, column, state_w, state_h, eikState);
        const int left = check.Right + info->ImageIndent();
        const int top = d.Top + (d.Height() - state_h) / 2;
        rects.StateRect = TRect{left, top, left + state_w, top + state_h};
    } else {
        rects.StateRect = TRect{check.Right, check.Top, check.Right, check.Bottom};
    }

    const TRect& state = rects.StateRect;
    if (item->GetImageIndexes(column_index) < 0) {
        rects.IconRect = TRect{state.Right, state.Top, state.Right, state.Bottom};
    } else {
        int image_w = 0;
        int image_h = 0;
        GetImageSize(item, column, image_w, image_h, eikNormal);
        const int left = state.Right + info->ImageIndent();
        const int top = d.Top + (d.Height() - image_h) / 2;
        rects.IconRect = TRect{left, top, left + image_w, top + image_h};
    }

    const int label_left = rects.IconRect.Right + info->CaptionIndent();
    if (label_left < rects.BoundsRect.Right - 1)
        rects.LabelRect = TRect{label_left, d.Top, rects.BoundsRect.Right, d.Bottom};

    TSize extent{};
    if (TCanvas* measure = MeasureCanvas(owner, canvas)) {
        LoadTextFont(item, ColumnPosition(column), measure, item->Selected());
        extent = TextExtentOnCanvas(measured(item->GetCaptions(column_index)), measure);
    }
    CenterRectInRect(Shrink(rects.LabelRect, 2), TRect{0, 0, extent.cx, extent.cy}, rects.TextRect);
    switch (PaintTextAlignment(item, column)) {
    case taLeftJustify:
        rects.TextRect = LqOffset(rects.TextRect, rects.LabelRect.Left - rects.TextRect.Left, 0);
        break;
    case taRightJustify:
        rects.TextRect =
            LqOffset(rects.TextRect, rects.LabelRect.Right - rects.TextRect.Right - 8, 0);
        break;
    case taCenter:
        break;
    }
    rects.FullTextRect = rects.TextRect;
    rects.SelectionRect = Grow(rects.TextRect, 2);
    rects.FullFocusSelRect = rects.SelectionRect;

    if (FullRowSelect())
        rects.ClickSelectBoundsRect =
            TRect{d.Left, d.Top, rects.BoundsRect.Right, rects.BoundsRect.Bottom};
    else
        rects.ClickSelectBoundsRect = LqUnion(rects.IconRect, rects.SelectionRect);
    const int cut = Percent(rects.ClickSelectBoundsRect.Width(), 15);
    rects.DragSelectBoundsRect = rects.ClickSelectBoundsRect;
    rects.DragSelectBoundsRect.Left += cut;
    rects.DragSelectBoundsRect.Right -= cut;
    rects.FocusChangeInvalidRect = LqUnion(rects.IconRect, rects.FullTextRect);
    rects.EditRect = rects.FullTextRect;
}

void TLqViewSmallIconItem::PaintBefore(TLqItem*, TLqColumn*, const QString&, TCanvas*,
                                       const TLqRectArrayObject&, bool& handled)
{
    handled = false;
}

TAlignment TLqViewSmallIconItem::PaintTextAlignment(TLqItem*, TLqColumn* column)
{
    return column != nullptr ? ColumnAlignment(column) : taLeftJustify;
}

int TLqViewSmallIconItem::PaintTextLineCount(TLqItem*, TLqColumn*)
{
    return 1;
}

TLqCommonVAlignment TLqViewSmallIconItem::PaintTextVAlignment(TLqItem*, TLqColumn* column)
{
    return column != nullptr ? ColumnVAlignment(column) : cvaCenter;
}

TLqViewItemClass TLqViewListItem::ClassInfo()
{
    return &kListClass;
}

TLqViewItemClass TLqViewGridItem::ClassInfo()
{
    return &kGridClass;
}

TLqViewItemClass TLqViewReportItem::ClassInfo()
{
    return &kReportClass;
}

bool TLqViewReportItem::AllowDrag(TLqItem* item, TPoint viewport_point)
{
    if (!FullRowSelect())
        return true;
    if (!item->Selected())
        return false;
    TCustomLqListview* owner = OwnerListview();
    TLqRectArrayObject rects;
    ItemRectArray(item, nullptr, owner != nullptr ? owner->ScratchCanvas() : nullptr, QString(),
                  rects);
    return LqContains(LqUnion(rects.TextRect, rects.IconRect), viewport_point);
}

TRect TLqViewReportItem::CalculateDisplayRect(TLqItem* item, TLqColumn* column)
{
    TRect r = item->ViewRect();
    if (column == nullptr)
        return r;
    const TRect span = ColumnDisplayRect(column);
    r.Left = span.Left;
    r.Right = span.Right;
    TLqGroup* group = item->OwnerGroup();
    TCustomLqListview* owner = OwnerListview();
    if (group == nullptr || owner == nullptr)
        return r;
    const int position = ColumnPosition(column);
    if (position == 0)
        r.Left = group->MarginLeftSize();
    if (position == PositionedColumnCount(owner->Header()) - 1)
        r.Right -= group->MarginRightSize();
    return r;
}

TRect TLqViewReportItem::ExpandTextR(TLqItem* item, const TLqRectArrayObject& rects,
                                     TLqSelectHitType select_type)
{
    TRect r = TLqViewSmallIconItem::ExpandTextR(item, rects, select_type);
    TCustomLqListview* owner = OwnerListview();
    if (FullRowSelect() && owner != nullptr && owner->DragManager()->DragItem() == nullptr) {
        if (TLqGroup* group = item->OwnerGroup())
            r.Left = group->MarginLeftSize();
        r.Right = item->ViewRect().Right;
    }
    return r;
}

bool TLqViewReportItem::FullRowSelect()
{
    TCustomLqListview* owner = OwnerListview();
    return owner != nullptr && owner->Selection()->FullRowSelect();
}

bool TLqViewReportItem::PaintStateImage()
{
    return true;
}

bool TLqViewReportItem::SelectionHit(TLqItem* item, const TRect& select_viewport_rect,
                                     TLqSelectHitType select_type)
{
    TCustomLqListview* owner = OwnerListview();
    if (item == nullptr || owner == nullptr || !item->Enabled() || select_viewport_rect.IsEmpty())
        return false;
    TLqRectArrayObject rects;
    ItemRectArray(item, owner->Header()->FirstVisibleColumn(), owner->ScratchCanvas(), QString(),
                  rects);
    return LqIntersects(select_viewport_rect, ExpandTextR(item, rects, select_type)) ||
           LqIntersects(select_viewport_rect, ExpandIconR(item, rects, select_type));
}

bool TLqViewReportItem::SelectionHitPt(TLqItem* item, TPoint viewport_point,
                                       TLqSelectHitType select_type)
{
    TCustomLqListview* owner = OwnerListview();
    if (item == nullptr || owner == nullptr || !item->Enabled())
        return false;
    TLqRectArrayObject rects;
    ItemRectArray(item, owner->Header()->FirstVisibleColumn(), owner->ScratchCanvas(), QString(),
                  rects);
    return LqContains(ExpandTextR(item, rects, select_type), viewport_point) ||
           LqContains(ExpandIconR(item, rects, select_type), viewport_point);
}

// ---- Thumbnail, film strip ------------------------------------------------------------------

TLqViewItemClass TLqViewThumbnailItem::ClassInfo()
{
    return &kThumbnailClass;
}

TLqViewItemClass TLqViewFilmStripItem::ClassInfo()
{
    return &kFilmStripClass;
}

void TLqViewThumbnailItem::AfterFocusRectCalc(TLqItem*, TLqColumn*, const QString&,
                                              TRect& local_focus_rect)
{
    shrink_when_full_cell(OwnerListview(), local_focus_rect);
}

void TLqViewThumbnailItem::AfterSelRectCalc(TLqItem*, TLqColumn*, const QString&,
                                            TRect& local_sel_rect)
{
    shrink_when_full_cell(OwnerListview(), local_sel_rect);
}

TLqInsertMarkerDir TLqViewThumbnailItem::DropMarkerDir()
{
    return dmdVert;
}

TRect TLqViewThumbnailItem::ExpandTextR(TLqItem* item, const TLqRectArrayObject& rects,
                                        TLqSelectHitType select_type)
{
    TRect r = TLqViewItem::ExpandTextR(item, rects, select_type);
    r.Top = rects.IconRect.Bottom;
    return r;
}

TCustomImageList* TLqViewThumbnailItem::GetImageList(TLqColumn* column, TLqItem* item,
                                                     TLqImageKind image)
{
    if (item == nullptr)
        return nullptr;
    if (image != eikNormal)
        return TLqViewItem::GetImageList(column, item, image);
    return extra_large_else_large(item, ColumnIndex(column));
}

void TLqViewThumbnailItem::ItemRectArray(TLqItem* item, TLqColumn* column, TCanvas* canvas,
                                         const QString&, TLqRectArrayObject& rects)
{
    if (item == nullptr || ColumnPosition(column) < 0)
        return;
    TCustomLqListview* owner = OwnerListview();
    item->SetInitialized(true);
    rects = TLqRectArrayObject{};
    TLqPaintInfoItem* info = item->PaintInfo();
    const bool hide_caption = owner != nullptr && owner->GetPaintInfoItem()->HideCaption();
    MeasuringCanvas measure(owner, canvas);

    const TRect bounds = Shrink(item->ViewRect(), item->Border());
    rects.BoundsRect = bounds;
    rects.IconRect = bounds;
    if (!hide_caption) {
        if (measure.Canvas() != nullptr)
            LoadTextFont(item, ColumnPosition(column), measure.Canvas(), item->Selected());
        rects.IconRect.Bottom -= 2 * TextHeight(measure.Canvas());
    } else if (info->CheckType() != ectNone) {
        rects.IconRect.Bottom -= CheckBoxBounds(info->CheckSize()).Bottom + 2;
    }
    if (info->CheckType() != ectNone) {
        const TRect box = CheckBoxBounds(info->CheckSize());
        const int left = bounds.Left + info->CheckIndent();
        const int top = rects.IconRect.Bottom + 1;
        rects.CheckRect = TRect{left, top, left + box.Right, top + box.Bottom};
    } else {
        rects.CheckRect = TRect{bounds.Left, rects.IconRect.Bottom, bounds.Left, bounds.Bottom};
    }

    if (hide_caption) {
        rects.SelectionRect = rects.IconRect;
        rects.FullFocusSelRect = rects.IconRect;
        rects.FocusChangeInvalidRect = rects.IconRect;
        rects.ClickSelectBoundsRect = rects.IconRect;
        rects.DragSelectBoundsRect = rects.IconRect;
        return;
    }

    rects.LabelRect = TRect{rects.CheckRect.Right + item->CaptionIndent(),
                            rects.IconRect.Bottom + 1, bounds.Right, bounds.Bottom};
    rects.TextRect = Shrink(rects.LabelRect, 2);
    rects.FullTextRect = rects.TextRect;
    if (measure.Canvas() != nullptr) {
        const QString text = item->GetCaptions(ColumnIndex(column));
        LoadTextFont(item, ColumnPosition(column), measure.Canvas(), item->Selected());
        const DrawTextFlags flags = dtfCalcRect | dtfCalcRectKeepWidth | dtfCenter | dtfVCenter;
        DrawTextWithFlags(measure.Canvas()->Handle(), text, rects.FullTextRect, flags, -1);
        DrawTextWithFlags(measure.Canvas()->Handle(), text, rects.TextRect, flags,
                          PaintTextLineCount(item, column));
    }
    rects.SelectionRect = Grow(rects.TextRect, 2);
    rects.FullFocusSelRect = Grow(rects.FullTextRect, 2);
    rects.FocusChangeInvalidRect = LqUnion(rects.IconRect, rects.FullFocusSelRect);
    rects.ClickSelectBoundsRect =
        LqUnion(rects.IconRect, item->Focused() ? rects.FullFocusSelRect : rects.SelectionRect);
    rects.DragSelectBoundsRect = rects.TextRect;
    rects.EditRect = rects.FullTextRect;
}

bool TLqViewThumbnailItem::OverlappedFocus()
{
    return true;
}

void TLqViewThumbnailItem::PaintAfter(TLqItem* item, TLqColumn*, const QString&, TCanvas* canvas,
                                      const TLqRectArrayObject& rects)
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr || !owner->GetPaintInfoItem()->ShowBorder())
        return;
    TLqSelectionManager* selection = owner->Selection();
    canvas->Brush()->SetStyle(bsSolid);
    if ((item->Selected() || item->Hilighted()) && !selection->Gradient()) {
        const bool active = ControlFocused(owner) || selection->PopupMode() || item->Hilighted();
        canvas->Brush()->SetColor(active ? selection->Color() : selection->InactiveColor());
        for (int inset = 0; inset < 3; ++inset)
            canvas->FrameRect(Shrink(rects.IconRect, inset));
        return;
    }
    canvas->Brush()->SetColor(item->BorderColor());
    canvas->FrameRect(rects.IconRect);
}

void TLqViewThumbnailItem::PaintBefore(TLqItem*, TLqColumn*, const QString&, TCanvas*,
                                       const TLqRectArrayObject&, bool& handled)
{
    handled = false;
}

TLqImageSize TLqViewThumbnailItem::PaintImageSize()
{
    return eisExtraLarge;
}

int TLqViewThumbnailItem::PaintTextLineCount(TLqItem* item, TLqColumn*)
{
    return item->Focused() && ControlFocused(OwnerListview()) ? -1 : 2;
}

TLqCommonVAlignment TLqViewThumbnailItem::PaintTextVAlignment(TLqItem*, TLqColumn*)
{
    return cvaCenter;
}

bool TLqViewThumbnailItem::SelectionHit(TLqItem* item, const TRect& select_viewport_rect,
                                        TLqSelectHitType select_type)
{
    if (select_type != eshtDragSelect)
        return TLqViewItem::SelectionHit(item, select_viewport_rect, select_type);
    TCustomLqListview* owner = OwnerListview();
    if (item == nullptr || owner == nullptr || !item->Enabled())
        return false;
    TLqRectArrayObject rects;
    ItemRectArray(item, nullptr, owner->ScratchCanvas(), QString(), rects);
    const TRect icon = ExpandIconR(item, rects, select_type);
    return LqIntersects(select_viewport_rect, Shrink(icon, Percent(icon.Width(), 10)));
}

bool TLqViewThumbnailItem::SelectionHitPt(TLqItem* item, TPoint viewport_point,
                                          TLqSelectHitType select_type)
{
    if (select_type != eshtDragSelect)
        return TLqViewItem::SelectionHitPt(item, viewport_point, select_type);
    TCustomLqListview* owner = OwnerListview();
    if (item == nullptr || owner == nullptr || !item->Enabled())
        return false;
    TLqRectArrayObject rects;
    ItemRectArray(item, nullptr, owner->ScratchCanvas(), QString(), rects);
    const TRect icon = ExpandIconR(item, rects, select_type);
    return LqContains(Shrink(icon, Percent(icon.Width(), 10)), viewport_point);
}

// ---- Tile ----------------------------------------------------------------------------------

TLqViewItemClass TLqViewTileItem::ClassInfo()
{
    return &kTileClass;
}

void TLqViewTileItem::AfterFocusRectCalc(TLqItem*, TLqColumn*, const QString&,
                                         TRect& local_focus_rect)
{
    shrink_when_full_cell(OwnerListview(), local_focus_rect);
}

void TLqViewTileItem::AfterSelRectCalc(TLqItem*, TLqColumn*, const QString&, TRect& local_sel_rect)
{
    shrink_when_full_cell(OwnerListview(), local_sel_rect);
}

TLqInsertMarkerDir TLqViewTileItem::DropMarkerDir()
{
    return dmdVert;
}

TRect TLqViewTileItem::ExpandIconR(TLqItem*, const TLqRectArrayObject&, TLqSelectHitType)
{
    return TRect{};
}

TRect TLqViewTileItem::ExpandTextR(TLqItem*, const TLqRectArrayObject& rects, TLqSelectHitType)
{
    TRect r = LqUnion(rects.IconRect, rects.TextRect);
    r.Top = rects.BoundsRect.Top + 2;
    r.Bottom = rects.BoundsRect.Bottom - 2;
    return r;
}

TCustomImageList* TLqViewTileItem::GetImageList(TLqColumn* column, TLqItem* item,
                                                TLqImageKind image)
{
    if (item == nullptr)
        return nullptr;
    if (image != eikNormal)
        return TLqViewItem::GetImageList(column, item, image);
    return extra_large_else_large(item, ColumnIndex(column));
}

void TLqViewTileItem::ItemRectArray(TLqItem* item, TLqColumn* column, TCanvas* canvas,
                                    const QString&, TLqRectArrayObject& rects)
{
    if (item == nullptr || ColumnIndex(column) < 0)
        return;
    TCustomLqListview* owner = OwnerListview();
    item->SetInitialized(true);
    rects = TLqRectArrayObject{};
    TLqPaintInfoItem* info = item->PaintInfo();
    int image_w = 0;
    int image_h = 0;
    GetImageSize(item, column, image_w, image_h, eikNormal);
    constexpr DrawTextFlags kFlags = dtfCalcRect | dtfTop | dtfCalcRectKeepWidth | dtfEndEllipsis;

    const TRect bounds = Shrink(item->ViewRect(), item->Border());
    rects.BoundsRect = bounds;
    if (info->CheckType() != ectNone) {
        const TRect box = CheckBoxBounds(info->CheckSize());
        const int left = bounds.Left + info->CheckIndent();
        const int top = bounds.Top + (bounds.Height() - box.Bottom) / 2;
        rects.CheckRect = TRect{left, top, left + box.Right, top + box.Bottom};
    } else {
        rects.CheckRect = TRect{bounds.Left, bounds.Top, bounds.Left, bounds.Bottom};
    }
    const int icon_left = rects.CheckRect.Right + info->ImageIndent();
    rects.IconRect = TRect{icon_left, bounds.Top, icon_left + image_w + 4, bounds.Bottom};
    rects.LabelRect = TRect{rects.IconRect.Right + item->CaptionIndent() + 2, bounds.Top,
                            bounds.Right - 2, bounds.Bottom};
    rects.TextRect = Shrink(rects.LabelRect, 2);

    // Detail lines one below the other while they fit the label; the first that does
    // not fit ends them.
    const TRect label = rects.LabelRect;
    const int count = item->DetailCount();
    TCanvas* measure = MeasureCanvas(owner, canvas);
    const int line_count = PaintTextLineCount(item, column);
    std::vector<TRect> lines;
    for (int line = 0; line < count; ++line) {
        TRect r = label;
        if (line > 0) {
            const int top = lines.back().Bottom;
            if (top >= label.Bottom)
                break;
            r.Top = top;
        }
        const int detail = item->GetDetails(line);
        const QString text = measured(detail >= 0 ? item->GetCaptions(detail) : QString());
        if (measure != nullptr) {
            LoadTextFont(item, line == 0 ? ColumnIndex(column) : line, measure, item->Selected());
            DrawTextWithFlags(measure->Handle(), text, r, kFlags, line_count);
        }
        if (r.Bottom > label.Bottom || r.IsEmpty())
            break;
        lines.push_back(r);
    }
    if (count > 0) {
        TRect text{};
        for (const TRect& r : lines)
            text = LqUnion(text, r);
        rects.TextRect = text;
    }
    int shift = 0;
    switch (item->PaintInfo()->VAlignment()) {
    case cvaCenter:
        shift = (label.Height() - rects.TextRect.Height()) / 2;
        break;
    case cvaBottom:
        shift = label.Height() - rects.TextRect.Height();
        break;
    case cvaTop:
        break;
    }
    if (!rects.TextRect.IsEmpty()) {
        rects.TextRect = LqOffset(rects.TextRect, 0, shift);
        for (TRect& r : lines)
            r = LqOffset(r, 0, shift);
    }
    rects.TextRects = std::move(lines);

    rects.FullTextRect = rects.TextRect;
    rects.SelectionRect = Grow(rects.TextRect, 2);
    rects.FullFocusSelRect = rects.SelectionRect;
    rects.ClickSelectBoundsRect = rects.TextRect.IsEmpty()
                                      ? rects.IconRect
                                      : TRect{rects.IconRect.Left, rects.IconRect.Top,
                                              rects.TextRect.Right, rects.IconRect.Bottom};
    rects.DragSelectBoundsRect = rects.TextRect;
    rects.DragSelectBoundsRect.Right -= Percent(rects.TextRect.Width(), 20);
    rects.FocusChangeInvalidRect = LqUnion(rects.IconRect, rects.FullTextRect);
    rects.EditRect = rects.FullTextRect;
}

void TLqViewTileItem::PaintBefore(TLqItem*, TLqColumn*, const QString&, TCanvas*,
                                  const TLqRectArrayObject&, bool& handled)
{
    handled = false;
}

TLqImageSize TLqViewTileItem::PaintImageSize()
{
    return eisExtraLarge;
}

void TLqViewTileItem::PaintText(TLqItem* item, TLqColumn* column, const QString&,
                                const TLqRectArrayObject& rects, TCanvas* canvas, int)
{
    TCustomLqListview* owner = OwnerListview();
    constexpr DrawTextFlags kFlags = dtfEndEllipsis | dtfTop | dtfLeft;
    const int line_count = PaintTextLineCount(item, column);
    owner->ClipHeader(canvas, false);
    for (size_t line = 0; line < rects.TextRects.size(); ++line) {
        const int detail = item->GetDetails(static_cast<int>(line));
        if (detail < 0)
            continue;
        LoadTextFont(item, static_cast<int>(line), canvas, item->Selected());
        TRect r = rects.TextRects[line];
        DrawTextWithFlags(canvas->Handle(), item->GetCaptions(detail), r, kFlags, line_count);
    }
}

TAlignment TLqViewTileItem::PaintTextAlignment(TLqItem*, TLqColumn*)
{
    return taLeftJustify;
}

}
