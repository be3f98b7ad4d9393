#include "listview/managers.h"

#include "listview/column_placeholders.h"
#include "listview/groups.h"
#include "listview/items.h"
#include "listview/listview.h"

#include <algorithm>

using namespace fw;

namespace vistrel::listview {

namespace {

// Whether a pressed button of the key states is one of the buttons.
bool pressed_one_of(TLqCommonKeyStates keys, TLqCommonMouseButtons buttons)
{
    return (keys.Contains(cksLButton) && buttons.Contains(cmbLeft)) ||
           (keys.Contains(cksMButton) && buttons.Contains(cmbMiddle)) ||
           (keys.Contains(cksRButton) && buttons.Contains(cmbRight));
}

}

void TLqHotTrackManager::SetHotObject(TPoint point, TLqCollectionItem* object)
{
    if (object == m_pending_object)
        return;
    TLqCollectionItem* old = m_pending_object;
    m_pending_object = object;
    if (old != nullptr)
        old->SetHotTracking(point, false);
    if (object != nullptr)
        object->SetHotTracking(point, true);
}

void TLqHotTrackManager::SetHotCheckObject(TLqCollectionItem* object)
{
    if (object == m_pending_object_check)
        return;
    if (m_pending_object_check != nullptr)
        m_pending_object_check->SetCheckHovering(false);
    m_pending_object_check = object;
    if (object != nullptr)
        object->SetCheckHovering(true);
}

void TLqCheckManager::SetPendingCheck(TLqCollectionItem* object)
{
    if (object == m_pending_object)
        return;
    if (m_pending_object != nullptr)
        m_pending_object->SetCheckPending(false);
    m_pending_object = object;
    if (object != nullptr)
        object->SetCheckPending(true);
}

bool TLqDragRectManager::InitializeDrag(TPoint, TLqCommonKeyStates keys)
{
    return m_enabled && pressed_one_of(keys, m_mouse_button);
}

bool TLqOLEDragManager::InitializeDrag(TLqItem* hit_item, TPoint window_point,
                                       TLqCommonKeyStates keys)
{
    if (!Enabled())
        return false;
    if (hit_item == nullptr || !pressed_one_of(keys, MouseButton())) {
        m_drag_item = nullptr;
        return false;
    }
    m_drag_item = hit_item;
    TCustomLqListview* owner = OwnerListview();
    const TPoint view_point = owner->ViewPoint(window_point);
    return hit_item->SelectionHitPt(view_point, eshtClickSelect);
}

TLqEditManager::TLqEditManager(TCustomLqListview* owner)
    : TLqOwnedPersistent(owner), m_font(std::make_unique<TFont>())
{
}

TLqEditManager::~TLqEditManager() = default;

namespace {

// The header's columns: column objects come with the columns' own classes.
class TLqColumns : public TLqCollection {
public:
    using TLqCollection::TLqCollection;
    ~TLqColumns() override { Clear(true); }
};

}

TLqHeader::TLqHeader(TCustomLqListview* owner)
    : TLqOwnedPersistent(owner), m_columns(std::make_unique<TLqColumns>(owner)),
      m_font(std::make_unique<TFont>()),
      m_drag_manager(std::make_unique<TLqDragManagerState>(owner))
{
}

TLqHeader::~TLqHeader() = default;

TRect TLqHeader::DisplayRect() const
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr)
        return TRect{};
    return TRect{0, 0, owner->ClientWidth(), owner->HeaderHeightInView()};
}

TLqColumn* TLqHeader::FirstVisibleColumn() const
{
    return nullptr;
}

TRect TLqHeader::ViewRect() const
{
    int right = 0;
    for (int i = 0; i < m_columns->Count(); ++i)
        if (m_columns->Items(i)->Visible())
            right = std::max(right, m_columns->Items(i)->ViewRect().Right);
    return TRect{0, 0, right, m_height};
}

namespace {

// The rectangle as the header's band sees it: only its columns count.
TRect header_band_rect(const TRect& viewport_rect)
{
    return LqOffset(viewport_rect, 0, -viewport_rect.Top);
}

}

TLqColumn* TLqHeader::FirstColumnInRect(const TRect& viewport_rect) const
{
    const TRect band = header_band_rect(viewport_rect);
    for (int i = 0; i < m_columns->Count(); ++i) {
        auto* column = static_cast<TLqColumn*>(m_columns->Items(i));
        if (column->Visible() && column->ViewRect().Left < band.Right &&
            band.Left < column->ViewRect().Right)
            return column;
    }
    return nullptr;
}

TLqColumn* TLqHeader::NextColumnInRect(TLqColumn* column, const TRect& viewport_rect) const
{
    if (column == nullptr)
        return nullptr;
    const TRect band = header_band_rect(viewport_rect);
    for (int i = column->Index() + 1; i < m_columns->Count(); ++i) {
        auto* next = static_cast<TLqColumn*>(m_columns->Items(i));
        if (!next->Visible() || next->ViewRect().Width() <= 0)
            continue;
        const bool meets = next->ViewRect().Left < band.Right && band.Left < next->ViewRect().Right;
        return meets ? next : nullptr;
    }
    return nullptr;
}

TLqColumn* TLqHeader::ColumnByPosition(int position) const
{
    if (position < 0 || position >= m_columns->Count())
        return nullptr;
    return static_cast<TLqColumn*>(m_columns->Items(position));
}

void TLqHeader::PaintTo(TCanvas* canvas, const TRect& rect)
{
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(TRect{rect.Left, 0, rect.Right, m_height});
}

void TLqColumn::SetBkGndColor(TColor value)
{
    if (value == m_bk_gnd_color)
        return;
    m_bk_gnd_color = value;
    if (OwnerListview() != nullptr)
        OwnerListview()->SafeInvalidateRect(nullptr, false);
}

void TLqBackgroundManager::PaintTo(TCanvas* canvas, const TRect& rect, bool)
{
    if (OwnerListview() == nullptr)
        return;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(OwnerListview()->Color());
    canvas->FillRect(rect);
}

void TLqHeader::Rebuild(bool)
{
}

void TLqHeader::SaveToStream(TStream* S, int version)
{
    TLqOwnedPersistent::SaveToStream(S, version);
    if (m_stream_columns)
        m_columns->WriteItems(S);
}

void TLqHeader::LoadFromStream(TStream* S, int version)
{
    TLqOwnedPersistent::LoadFromStream(S, version);
    if (m_stream_columns)
        m_columns->ReadItems(S);
}

}
