#include "forms/film_strip.h"

#include "framework/graphics.h"
#include "framework/sysutils.h"
#include "platform/user_paint.h"

#include <algorithm>

using namespace fw;

namespace vistrel::film_strip {

namespace {

// The cells start this far below the top of the control.
constexpr int kTopMargin = 4;
// The caption's band below the thumbnail.
constexpr int kCaptionTop = kTopMargin + TLqListview::kThumbnailSide + 8;
constexpr int kCaptionHeight = 30;

// A quarter of the highlight colour over the background: the selected cell's fill.
TColor blend_selection(TColor background)
{
    const TColor highlight = ColorToRGB(clHighlight);
    const TColor base = ColorToRGB(background);
    TColor result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int over = static_cast<int>((highlight >> shift) & 0xFF);
        const int under = static_cast<int>((base >> shift) & 0xFF);
        result |= static_cast<TColor>((over + 3 * under) / 4) << shift;
    }
    return result;
}

bool intersects(const TRect& a, const TRect& b)
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

}

// ---- TLqItem ---------------------------------------------------------------------------------

void TLqItem::SetCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    m_owner->item_changed();
}

void TLqItem::SetSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    m_owner->selection_changed(this);
}

bool TLqItem::Focused() const
{
    return m_owner->Selection()->FocusedItem() == this;
}

void TLqItem::MakeVisible(TLqMakeVisiblePos)
{
    const TRect cell = m_owner->CellRect(m_index);
    const int width = m_owner->ClientWidth();
    if (cell.Left < 0)
        m_owner->scroll_to(m_owner->m_offset + cell.Left);
    else if (cell.Right > width)
        m_owner->scroll_to(m_owner->m_offset + cell.Right - width);
}

// ---- TLqGlobalItems ----------------------------------------------------------------------------

TLqItem* TLqGlobalItems::Add(TObject* Data)
{
    m_items.push_back(std::make_unique<TLqItem>(m_owner, Data));
    m_items.back()->m_index = GetCount() - 1;
    m_owner->item_changed();
    return m_items.back().get();
}

void TLqGlobalItems::Clear()
{
    m_owner->m_selection.m_focused = nullptr;
    // The items stay in the list while their unselection is told, so that a handler
    // still finds them where they were.
    for (const auto& item : m_items)
        item->SetSelected(false);
    m_items.clear();
    m_owner->m_offset = 0;
    m_owner->item_changed();
}

TLqItem* TLqGlobalItems::GetItem(int Index) const
{
    if (Index < 0 || Index >= GetCount())
        TList::Error(QStringLiteral("List index out of bounds (%d)"), Index);
    return m_items[static_cast<size_t>(Index)].get();
}

// ---- TLqSelectionManager -------------------------------------------------------------------------

void TLqSelectionManager::ClearAll()
{
    const TLqGlobalItems& items = *m_owner->Items();
    for (int index = 0; index < items.GetCount(); ++index)
        items.GetItem(index)->SetSelected(false);
}

void TLqSelectionManager::SelectFirst()
{
    ClearAll();
    const TLqGlobalItems& items = *m_owner->Items();
    if (items.GetCount() == 0)
        return;
    TLqItem* first = items.GetItem(0);
    SetFocusedItem(first);
    first->SetSelected(true);
}

void TLqSelectionManager::SetFocusedItem(TLqItem* item)
{
    if (item == m_focused)
        return;
    m_focused = item;
    m_owner->Invalidate();
}

// ---- TLqListview -------------------------------------------------------------------------------

TLqListview::TLqListview(TComponent* owner) : TCustomControl(owner)
{
    m_control_style.Include(csOpaque);
    SetParentColor(true);
    SetTabStop(true);
    SetBounds(0, 0, 300, 150);
}

TLqListview::~TLqListview() = default;

TRect TLqListview::CellRect(int Index) const
{
    const int left = Index * kCellWidth - m_offset;
    return Rect(left, kTopMargin, left + kCellWidth, kTopMargin + kCellHeight);
}

TRect TLqListview::ThumbnailRect(int Index) const
{
    const TRect cell = CellRect(Index);
    const int left = cell.Left + kThumbnailInset;
    const int top = cell.Top + kThumbnailInset;
    return Rect(left, top, left + kThumbnailSide, top + kThumbnailSide);
}

TLqItem* TLqListview::ItemAt(int x, int y) const
{
    if (y < kTopMargin || y >= kTopMargin + kCellHeight || x + m_offset < 0)
        return nullptr;
    const int index = (x + m_offset) / kCellWidth;
    if (index >= m_items.GetCount())
        return nullptr;
    return m_items.GetItem(index);
}

void TLqListview::selection_changed(TLqItem* item)
{
    Invalidate();
    if (OnItemSelectionChanged)
        OnItemSelectionChanged(this, item);
}

void TLqListview::item_changed()
{
    Invalidate();
}

void TLqListview::scroll_to(int offset)
{
    const int widest = std::max(0, m_items.GetCount() * kCellWidth - ClientWidth());
    offset = std::clamp(offset, 0, widest);
    if (offset == m_offset)
        return;
    m_offset = offset;
    Invalidate();
}

void TLqListview::Resize()
{
    scroll_to(m_offset); // a wider control may need less scrolling
    TCustomControl::Resize();
}

bool TLqListview::DoMouseWheelDown(TShiftState shift, TPoint mouse_pos)
{
    if (TCustomControl::DoMouseWheelDown(shift, mouse_pos))
        return true;
    scroll_to(m_offset + kCellWidth);
    return true;
}

bool TLqListview::DoMouseWheelUp(TShiftState shift, TPoint mouse_pos)
{
    if (TCustomControl::DoMouseWheelUp(shift, mouse_pos))
        return true;
    scroll_to(m_offset - kCellWidth);
    return true;
}

void TLqListview::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (CanFocus())
        SetFocus();
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    TLqItem* item = ItemAt(x, y);
    if (item == nullptr)
        return;
    // The others first, so that the clicked item's selection is the last event.
    for (int index = 0; index < m_items.GetCount(); ++index) {
        TLqItem* other = m_items.GetItem(index);
        if (other != item)
            other->SetSelected(false);
    }
    m_selection.SetFocusedItem(item);
    item->SetSelected(true);
    item->MakeVisible(emvAuto);
}

void TLqListview::Paint()
{
    TCanvas* canvas = Canvas();
    const TRect update = canvas->ClipRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(update);
    canvas->SetFont(Font());
    for (int index = 0; index < m_items.GetCount(); ++index)
        paint_cell(index, update);
}

void TLqListview::paint_cell(int index, const TRect& update)
{
    const TRect cell = CellRect(index);
    if (!intersects(cell, update))
        return;
    TCanvas* canvas = Canvas();
    TLqItem* item = m_items.GetItem(index);
    if (item->Selected()) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(blend_selection(Color()));
        canvas->FillRect(cell);
        canvas->Brush()->SetColor(clHighlight);
        canvas->FrameRect(cell);
    }
    if (OnItemThumbnailDraw) {
        bool do_default = true;
        OnItemThumbnailDraw(this, item, canvas, ThumbnailRect(index), nullptr, do_default);
    }
    const QString& caption = item->Caption();
    if (caption.isEmpty())
        return;
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetColor(clWindowText);
    RECT text{cell.Left + 2, cell.Top + kCaptionTop - kTopMargin, cell.Right - 2,
              cell.Top + kCaptionTop - kTopMargin + kCaptionHeight};
    DrawTextW(canvas->Handle(), reinterpret_cast<LPCWSTR>(caption.utf16()),
              static_cast<int>(caption.size()), &text,
              DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

}
