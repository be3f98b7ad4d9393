#include "listview/item_view.h"

#include "listview/alpha_blender.h"
#include "listview/common/blending.h"
#include "listview/common/check_bound_manager.h"
#include "listview/common/common_units.h"
#include "listview/common/drawing.h"
#include "listview/common/rect_routines.h"
#include "listview/common/text_routines.h"
#include "listview/column_placeholders.h"
#include "listview/groups.h"
#include "listview/item_view_support.h"
#include "listview/items.h"
#include "listview/layout.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "listview/selection.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace fw;

namespace vistrel::listview {

using namespace item_view;

// ---- Shared steps --------------------------------------------------------------------------

namespace item_view {

int Percent(int value, int percent)
{
    return static_cast<int>(std::lround(static_cast<double>(value) * percent / 100.0));
}

DrawTextFlags AlignmentFlag(TAlignment alignment)
{
    switch (alignment) {
    case taLeftJustify:
        return dtfLeft;
    case taRightJustify:
        return dtfRight;
    case taCenter:
        return dtfCenter;
    }
    return dtfLeft;
}

DrawTextFlags VAlignmentFlag(TLqCommonVAlignment alignment)
{
    switch (alignment) {
    case cvaTop:
        return dtfTop;
    case cvaBottom:
        return dtfBottom;
    case cvaCenter:
        return dtfVCenter;
    }
    return dtfTop;
}

TCanvas* MeasureCanvas(TCustomLqListview* owner, TCanvas* canvas)
{
    if (canvas != nullptr)
        return canvas;
    return owner != nullptr ? owner->ScratchCanvas() : nullptr;
}

TRect CheckBoxBounds(int check_size)
{
    if (GlobalCheckBoundManager != nullptr)
        return GlobalCheckBoundManager->CheckBound(check_size);
    return GlyphFontCellSize(check_size);
}

int TextHeight(TCanvas* canvas)
{
    if (canvas == nullptr)
        return 0;
    TEXTMETRICW metrics{};
    if (!GetTextMetricsW(canvas->Handle(), &metrics))
        return 0;
    return metrics.tmHeight;
}

bool ControlFocused(TCustomLqListview* owner)
{
    return owner != nullptr && owner->Focused();
}

bool PopupMode(TCustomLqListview* owner)
{
    return owner != nullptr && owner->Selection()->PopupMode();
}

bool EditingItem(TCustomLqListview*, TLqItem*, TLqColumn*)
{
    // No in-place editor edits an item yet.
    return false;
}

// The columns come with the header's own work; the stand-in column has a place in the
// header band and a position, and neither alignment of its own.
int ColumnIndex(TLqColumn* column)
{
    return column != nullptr ? column->Index() : 0;
}

int ColumnPosition(TLqColumn* column)
{
    return column != nullptr ? column->Position() : 0;
}

TAlignment ColumnAlignment(TLqColumn*)
{
    return taLeftJustify;
}

TLqCommonVAlignment ColumnVAlignment(TLqColumn*)
{
    return cvaCenter;
}

TRect ColumnDisplayRect(TLqColumn* column)
{
    return column != nullptr ? column->ViewRect() : TRect{};
}

int ColumnWidth(TLqColumn* column)
{
    return ColumnDisplayRect(column).Width();
}

int PositionedColumnCount(TLqHeader* header)
{
    return header != nullptr ? header->Columns()->Count() : 0;
}

TLqColumn* ColumnAtPosition(TLqHeader* header, int position)
{
    return header != nullptr ? header->ColumnByPosition(position) : nullptr;
}

}

namespace {

template <typename T>
TLqViewItem* make_view(TLqGroup* owner_group)
{
    return new T(owner_group);
}

const TLqViewItemClassInfo kViewItemClass{"TLqViewItem", nullptr, &make_view<TLqViewItem>};

// Puts the canvas's pen, brush and font back when a paint step ends, also on failure.
class CanvasStateScope {
public:
    CanvasStateScope(TLqCanvasStore* store, TCanvas* canvas) : m_store(store), m_canvas(canvas)
    {
        m_store->StoreCanvasState(m_canvas);
    }
    ~CanvasStateScope() { m_store->RestoreCanvasState(m_canvas); }
    CanvasStateScope(const CanvasStateScope&) = delete;
    CanvasStateScope& operator=(const CanvasStateScope&) = delete;

private:
    TLqCanvasStore* m_store;
    TCanvas* m_canvas;
};

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
    switch (style) {
    case elsIcon:
        return TLqViewIconItem::ClassInfo();
    case elsSmallIcon:
        return TLqViewSmallIconItem::ClassInfo();
    case elsList:
        return TLqViewListItem::ClassInfo();
    case elsReport:
        return TLqViewReportItem::ClassInfo();
    case elsThumbnail:
        return TLqViewThumbnailItem::ClassInfo();
    case elsTile:
        return TLqViewTileItem::ClassInfo();
    case elsFilmStrip:
        return TLqViewFilmStripItem::ClassInfo();
    case elsGrid:
        return TLqViewGridItem::ClassInfo();
    }
    return TLqViewItem::ClassInfo();
}

TLqAlphaBlender* LqSharedAlphaBlender()
{
    static TLqAlphaBlender blender;
    return &blender;
}

// ---- TLqViewItem ---------------------------------------------------------------------------

TLqViewItemClass TLqViewItem::ClassInfo()
{
    return &kViewItemClass;
}

bool TLqViewItem::AllowDrag(TLqItem*, TPoint)
{
    return true;
}

bool TLqViewItem::PaintStateImage()
{
    return false;
}

void TLqViewItem::AfterFocusRectCalc(TLqItem*, TLqColumn*, const QString&, TRect&)
{
}

void TLqViewItem::AfterSelRectCalc(TLqItem*, TLqColumn*, const QString&, TRect&)
{
}

TLqInsertMarkerDir TLqViewItem::DropMarkerDir()
{
    return dmdHorz;
}

bool TLqViewItem::EditAreaHitPt(TLqItem* item, TPoint viewport_point)
{
    TCustomLqListview* owner = OwnerListview();
    if (item == nullptr || owner == nullptr || !item->Enabled())
        return false;
    TLqRectArrayObject rects;
    ItemRectArray(item, owner->Header()->FirstVisibleColumn(), owner->ScratchCanvas(), QString(),
                  rects);
    return LqContains(rects.TextRect, viewport_point);
}

TRect TLqViewItem::ExpandIconR(TLqItem*, const TLqRectArrayObject& rects, TLqSelectHitType)
{
    return rects.IconRect;
}

TRect TLqViewItem::ExpandTextR(TLqItem* item, const TLqRectArrayObject& rects, TLqSelectHitType)
{
    TCustomLqListview* owner = OwnerListview();
    if (item->Focused() && (ControlFocused(owner) || PopupMode(owner)))
        return rects.FullTextRect;
    return rects.TextRect;
}

bool TLqViewItem::FullRowSelect()
{
    return false;
}

TCustomImageList* TLqViewItem::GetImageList(TLqColumn* column, TLqItem* item, TLqImageKind image)
{
    if (item == nullptr)
        return nullptr;
    if (image == eikNormal)
        return item->GetImageList(ColumnIndex(column), PaintImageSize());
    return item->GetStateImageList(ColumnIndex(column));
}

void TLqViewItem::GetImageSize(TLqItem* item, TLqColumn* column, int& image_w, int& image_h,
                               TLqImageKind image)
{
    image_w = 0;
    image_h = 0;
    TCustomLqListview* owner = OwnerListview();
    if (item == nullptr || owner == nullptr || !owner->ShowImages())
        return;
    const int column_index = ColumnIndex(column);
    if (image == eikNormal) {
        if (item->GetImageIndexes(column_index) < 0)
            return;
        bool is_custom = false;
        item->ImageDrawIsCustom(column_index, is_custom);
        if (is_custom) {
            item->ImageDrawGetSize(column_index, image_w, image_h);
            return;
        }
    }
    if (TCustomImageList* list = GetImageList(column, item, image)) {
        image_w = list->Width();
        image_h = list->Height();
    }
}

TCustomImageList* TLqViewItem::GetStateImageList(TLqColumn* column, TLqItem* item)
{
    return item != nullptr ? item->GetStateImageList(ColumnIndex(column)) : nullptr;
}

TRect TLqViewItem::ItemRect(TLqItem* item, TLqColumn* column, TLqCellRectType rect_type)
{
    TLqRectArrayObject rects;
    TCustomLqListview* owner = OwnerListview();
    ItemRectArray(item, column, owner != nullptr ? owner->ScratchCanvas() : nullptr, QString(),
                  rects);
    switch (rect_type) {
    case ertBounds:
        return rects.BoundsRect;
    case ertIcon:
        return rects.IconRect;
    case ertLabel:
        return rects.LabelRect;
    case ertClickSelectBounds:
        return rects.ClickSelectBoundsRect;
    case ertDragSelectBounds:
        return rects.DragSelectBoundsRect;
    case ertText:
        return rects.TextRect;
    case ertFullText:
        return rects.FullTextRect;
    }
    return TRect{};
}

void TLqViewItem::ItemRectArray(TLqItem* item, TLqColumn*, TCanvas*, const QString&,
                                TLqRectArrayObject& rects)
{
    if (item == nullptr)
        return;
    item->SetInitialized(true);
    rects = TLqRectArrayObject{};
    rects.BoundsRect = Shrink(item->ViewRect(), item->Border());
    rects.IconRect = rects.BoundsRect;
    rects.LabelRect = rects.BoundsRect;
    rects.ClickSelectBoundsRect = rects.BoundsRect;
    rects.DragSelectBoundsRect = rects.BoundsRect;
    rects.TextRect = rects.BoundsRect;
    rects.SelectionRect = rects.BoundsRect;
    rects.FocusChangeInvalidRect = rects.BoundsRect;
}

void TLqViewItem::LoadTextFont(TLqItem* item, int position, TCanvas* canvas, bool hilightable)
{
    TCustomLqListview* owner = OwnerListview();
    if (item == nullptr || owner == nullptr || canvas == nullptr)
        return;
    TFont* font = canvas->Font();
    font->Assign(owner->Font());
    canvas->Brush()->SetStyle(bsClear);
    if (owner->ShowInactive()) {
        font->SetColor(clGrayText);
    } else {
        TLqSelectionManager* selection = owner->Selection();
        if (hilightable)
            font->SetColor(ControlFocused(owner) || selection->PopupMode() || item->Hilighted()
                               ? selection->TextColor()
                               : selection->InactiveTextColor());
        TLqHotTrackManager* hot = owner->HotTrack();
        if (hot->Enabled() && !item->Hilighted() && hot->HotObject() == item && !item->Selected()) {
            font->SetColor(hot->Color());
            if (hot->Underline())
                font->SetStyle(font->Style().Include(fsUnderline));
        }
    }
    if (item->Bold())
        font->SetStyle(font->Style().Include(fsBold));
    owner->DoItemPaintText(item, position, canvas);
}

bool TLqViewItem::OverlappedFocus()
{
    return false;
}

void TLqViewItem::Paint(TLqItem* item, TLqColumn* column, TCanvas* canvas,
                        const TRect& viewport_clip_rect, bool force_selection_rect_draw)
{
    TCustomLqListview* owner = OwnerListview();
    if (item == nullptr || owner == nullptr || canvas == nullptr || !item->Visible())
        return;
    CanvasStateScope keep(CanvasStore(), canvas);
    const QString caption =
        column != nullptr ? item->GetCaptions(ColumnIndex(column)) : item->Caption();
    TLqRectArrayObject rects;
    ItemRectArray(item, column, canvas, caption, rects);
    // Each step works on its own copy: what one step changes does not reach the next.
    bool handled = false;
    {
        TLqRectArrayObject step = rects;
        PaintBefore(item, column, caption, canvas, step, handled);
    }
    if (handled)
        return;
    const bool editing = EditingItem(owner, item, column);
    if (!editing) {
        TLqRectArrayObject step = rects;
        PaintSelectionRect(item, column, caption, step, canvas, viewport_clip_rect,
                           force_selection_rect_draw);
    }
    {
        TLqRectArrayObject step = rects;
        PaintImage(item, column, caption, step, eisSmall, canvas);
    }
    if (!editing) {
        TLqRectArrayObject step = rects;
        PaintText(item, column, caption, step, canvas, PaintTextLineCount(item, column));
        if (owner->Selection()->UseFocusRect()) {
            step = rects;
            PaintFocusRect(item, column, caption, step, canvas);
        }
    }
    {
        TLqRectArrayObject step = rects;
        PaintCheckBox(item, column, step, canvas);
    }
    {
        TLqRectArrayObject step = rects;
        PaintAfter(item, column, caption, canvas, step);
    }
}

void TLqViewItem::PaintAfter(TLqItem*, TLqColumn*, const QString&, TCanvas*,
                             const TLqRectArrayObject&)
{
}

void TLqViewItem::PaintBefore(TLqItem* item, TLqColumn*, const QString&, TCanvas* canvas,
                              const TLqRectArrayObject& rects, bool& handled)
{
    handled = false;
    if (item->Border() <= 0)
        return;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(item->BorderColor());
    canvas->FrameRect(rects.BoundsRect);
}

void TLqViewItem::PaintCheckBox(TLqItem* item, TLqColumn* column, const TLqRectArrayObject& rects,
                                TCanvas* canvas)
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr)
        return;
    TLqPaintInfoItem* info = item->PaintInfo();
    const TLqCheckType type = info->CheckType();
    if (type == ectNone || type == ectNoneWithSpace)
        return;
    if (column != nullptr && ColumnIndex(column) >= 1)
        return;
    const bool pressed = owner->CheckManager()->PendingObject() == item;
    PaintCheckBox(type, owner, info->CheckSize(), item, item->CheckPending(), item->CheckHovering(),
                  info->CheckFlat(), pressed, item->Checked(), item->Enabled(), rects.CheckRect,
                  canvas);
}

void TLqViewItem::PaintFocusRect(TLqItem* item, TLqColumn* column, const QString& caption,
                                 const TLqRectArrayObject& rects, TCanvas* canvas)
{
    TCustomLqListview* owner = OwnerListview();
    if (FullRowSelect())
        return;
    if (!item->Focused() || !ControlFocused(owner) || ColumnIndex(column) >= 1)
        return;
    TLqSelectionManager* selection = owner->Selection();
    TRect r;
    if (selection->FullCellPaint()) {
        r = LqUnion(item->ViewRect(), rects.FullFocusSelRect);
        if (owner->View() == elsReport)
            if (TLqColumn* first = owner->Header()->FirstVisibleColumn()) {
                r.Left = ColumnDisplayRect(first).Left;
                r.Right = r.Left + ColumnWidth(first);
            }
    } else {
        r = rects.FullFocusSelRect;
        if (selection->FullItemPaint())
            r = LqUnion(r, rects.IconRect);
    }
    AfterFocusRectCalc(item, column, caption, r);
    canvas->Brush()->SetColor(owner->Color());
    canvas->Font()->SetColor(clBlack);
    canvas->DrawFocusRect(r);
}

TLqImageSize TLqViewItem::PaintImageSize()
{
    return eisSmall;
}

TAlignment TLqViewItem::PaintTextAlignment(TLqItem*, TLqColumn*)
{
    return taCenter;
}

int TLqViewItem::PaintTextLineCount(TLqItem*, TLqColumn*)
{
    return 2;
}

TLqCommonVAlignment TLqViewItem::PaintTextVAlignment(TLqItem*, TLqColumn*)
{
    return cvaTop;
}

void TLqViewItem::PaintText(TLqItem* item, TLqColumn* column, const QString& caption,
                            const TLqRectArrayObject& rects, TCanvas* canvas, int lines_to_draw)
{
    TCustomLqListview* owner = OwnerListview();
    if (rects.TextRect.IsEmpty())
        return;
    const int column_index = ColumnIndex(column);
    const bool hilightable =
        (item->Selected() || item->Hilighted()) &&
        (column_index == 0 || FullRowSelect() || owner->Selection()->GroupSelections());
    LoadTextFont(item, column_index, canvas, hilightable);
    DrawTextFlags flags = dtfEndEllipsis | AlignmentFlag(PaintTextAlignment(item, column)) |
                          VAlignmentFlag(PaintTextVAlignment(item, column));
    if (lines_to_draw == 1)
        flags |= dtfSingleLine;
    owner->ClipHeader(canvas, false);
    TRect r = rects.TextRect;
    DrawTextWithFlags(canvas->Handle(), caption, r, flags, lines_to_draw);
}

int TLqViewItem::PtInRect(TLqItem* item, TLqColumn*, TPoint pt)
{
    const TRect r = item->ViewRect();
    if (pt.Y < r.Top)
        return 1;
    if (pt.Y > r.Bottom)
        return -1;
    if (pt.X < r.Left)
        return 1;
    if (pt.X > r.Right)
        return -1;
    return 0;
}

void TLqViewItem::ReSizeRectArray(TLqRectArrayObjectArray& rect_array)
{
    TCustomLqListview* owner = OwnerListview();
    const int columns = owner != nullptr ? PositionedColumnCount(owner->Header()) : 0;
    if (columns > 0)
        rect_array.resize(static_cast<size_t>(columns));
    else if (rect_array.empty())
        rect_array.resize(1);
}

bool TLqViewItem::SelectionHit(TLqItem* item, const TRect& select_viewport_rect,
                               TLqSelectHitType select_type)
{
    TCustomLqListview* owner = OwnerListview();
    if (item == nullptr || owner == nullptr || !item->Enabled())
        return false;
    TLqRectArrayObject rects;
    ItemRectArray(item, nullptr, owner->ScratchCanvas(), QString(), rects);
    return LqIntersects(select_viewport_rect, ExpandTextR(item, rects, select_type)) ||
           LqIntersects(select_viewport_rect, ExpandIconR(item, rects, select_type));
}

bool TLqViewItem::SelectionHitPt(TLqItem* item, TPoint viewport_point, TLqSelectHitType select_type)
{
    TCustomLqListview* owner = OwnerListview();
    if (item == nullptr || owner == nullptr || !item->Enabled())
        return false;
    TLqRectArrayObject rects;
    ItemRectArray(item, nullptr, owner->ScratchCanvas(), QString(), rects);
    return LqContains(ExpandTextR(item, rects, select_type), viewport_point) ||
           LqContains(ExpandIconR(item, rects, select_type), viewport_point);
}

void TLqViewItem::CalculateTextRect(TLqItem* item, TLqColumn* column, TRect& text_r,
                                    TCanvas* canvas)
{
    TCustomLqListview* owner = OwnerListview();
    if (item == nullptr || owner == nullptr)
        return;
    std::unique_ptr<TControlCanvas> own;
    if (canvas == nullptr) {
        if (!owner->HandleAllocated())
            return;
        own = std::make_unique<TControlCanvas>();
        own->SetControl(owner);
        canvas = own.get();
    }
    canvas->Lock();
    LoadTextFont(item, 0, canvas, false);
    const DrawTextFlags flags = dtfCalcRect | dtfCalcRectAlign | dtfCalcRectKeepWidth |
                                AlignmentFlag(PaintTextAlignment(item, column)) |
                                VAlignmentFlag(PaintTextVAlignment(item, column));
    DrawTextWithFlags(canvas->Handle(), item->GetCaptions(0), text_r, flags,
                      PaintTextLineCount(item, column));
    canvas->Unlock();
}

}
