#include "listview/items.h"

#include "listview/data_interfaces.h"
#include "listview/groups.h"
#include "listview/layout.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "listview/selection.h"
#include "listview/stream_io.h"

using namespace fw;

namespace vistrel::listview {

namespace {

const QString kListIndexError = QStringLiteral("List index out of bounds (%d)");

// The column object of a column index, when the header has one.
TLqColumn* column_at(TCustomLqListview* owner, int column)
{
    if (owner == nullptr || owner->Header() == nullptr)
        return nullptr;
    TLqCollection* columns = owner->Header()->Columns();
    if (column < 0 || column >= columns->Count())
        return nullptr;
    return reinterpret_cast<TLqColumn*>(columns->Items(column));
}

}

// ---- Data helpers ----------------------------------------------------------------------------

int32_t TLqDynamicDataHelper::get(const std::vector<int32_t>& array, int index, int32_t fallback)
{
    if (index < 0 || index >= static_cast<int>(array.size()))
        return fallback;
    return array[static_cast<size_t>(index)];
}

void TLqDynamicDataHelper::put(std::vector<int32_t>& array, int index, int32_t value, int32_t fill)
{
    if (index < 0)
        return;
    if (index >= static_cast<int>(array.size()))
        array.resize(static_cast<size_t>(index) + 1, fill);
    array[static_cast<size_t>(index)] = value;
}

QString TLqDynamicDataHelper::Caption(int column) const
{
    if (column < 0 || column >= static_cast<int>(m_captions.size()))
        return QString();
    return m_captions[static_cast<size_t>(column)];
}

void TLqDynamicDataHelper::SetCaption(int column, const QString& value)
{
    if (column < 0)
        return;
    if (column >= static_cast<int>(m_captions.size()))
        m_captions.resize(static_cast<size_t>(column) + 1);
    m_captions[static_cast<size_t>(column)] = value;
}

void TLqDynamicDataHelper::Clear()
{
    m_captions.clear();
    m_details.clear();
    m_image_indexes.clear();
    m_overlay_indexes.clear();
}

void TLqDynamicDataHelper::read_array(TStream* S, std::vector<int32_t>& array)
{
    array.clear();
    const int32_t count = stream_io::ReadCount(S, 4);
    array.resize(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        array[static_cast<size_t>(i)] = stream_io::ReadInt32(S);
}

void TLqDynamicDataHelper::write_array(TStream* S, const std::vector<int32_t>& array)
{
    stream_io::WriteInt32(S, static_cast<int32_t>(array.size()));
    for (const int32_t value : array)
        stream_io::WriteInt32(S, value);
}

void TLqDynamicDataHelper::SaveToStream(TStream* S, int)
{
    stream_io::WriteInt32(S, static_cast<int32_t>(m_captions.size()));
    for (const QString& caption : m_captions)
        stream_io::WriteWideString(S, caption);
    write_array(S, m_details);
    write_array(S, m_image_indexes);
    write_array(S, m_overlay_indexes);
}

void TLqDynamicDataHelper::LoadFromStream(TStream* S, int)
{
    m_captions.clear();
    // Every caption takes at least its 4-byte length.
    const int32_t count = stream_io::ReadCount(S, 4);
    m_captions.resize(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        m_captions[static_cast<size_t>(i)] = stream_io::ReadWideString(S);
    read_array(S, m_details);
    read_array(S, m_image_indexes);
    read_array(S, m_overlay_indexes);
}

void TLqItemDynamicDataHelper::SaveToStream(TStream* S, int version)
{
    TLqDynamicDataHelper::SaveToStream(S, version);
    write_array(S, m_group_keys);
    write_array(S, m_state_images);
}

void TLqItemDynamicDataHelper::LoadFromStream(TStream* S, int version)
{
    TLqDynamicDataHelper::LoadFromStream(S, version);
    read_array(S, m_group_keys);
    if (version > 2)
        read_array(S, m_state_images);
}

// ---- TLqItem ------------------------------------------------------------------------------------

TLqItem::TLqItem(TLqCollection* collection) : TLqCollectionItem(collection)
{
}

TLqItem::~TLqItem()
{
    ReleaseSelectionGroup();
    m_view.reset();
}

void TLqItem::BeforeDestruction()
{
    MarkDestroying();
    if (TCustomLqListview* owner = OwnerListview()) {
        if (owner->DragManager() && owner->DragManager()->DropTarget() == this)
            owner->DragManager()->SetDropTarget(nullptr);
        if (owner->EditManager() && owner->EditManager()->TabMoveFocusItem() == this)
            owner->EditManager()->SetTabMoveFocusItem(nullptr);
        if (TLqSelectionManager* selection = owner->Selection()) {
            if (selection->AnchorItem() == this)
                selection->SetAnchorItem(nullptr);
            if (selection->FocusedItem() == this)
                selection->SetFocusedItem(nullptr);
        }
        if (TLqIncrementalSearchManager* search = owner->IncrementalSearch()) {
            if (search->SearchItem() == this)
                search->SetSearchItem(nullptr);
            if (search->NextSearchItem() == this)
                search->SetNextSearchItem(nullptr);
        }
    }
    SetVisible(false);
    base_destruction();
    // A layout made before the item went may still list it among the visible ones.
    if (TLqGroup* group = OwnerGroup())
        group->VisibleItems().Remove(this);
}

TLqItems* TLqItem::OwnerItems() const
{
    return static_cast<TLqItems*>(Collection());
}

TLqGroup* TLqItem::OwnerGroup() const
{
    return OwnerItems() != nullptr ? OwnerItems()->OwnerGroup() : nullptr;
}

TLqPaintInfoItem* TLqItem::PaintInfo() const
{
    return static_cast<TLqPaintInfoItem*>(PaintInfoBasic());
}

TLqPaintInfoBasic* TLqItem::GetDefaultPaintInfo() const
{
    TCustomLqListview* owner = OwnerListview();
    return owner != nullptr ? owner->GetPaintInfoItem() : nullptr;
}

int TLqItem::ColumnPos() const
{
    TLqGroup* group = OwnerGroup();
    if (!Visible() || group == nullptr || OwnerListview() == nullptr)
        return -1;
    TLqGridGroup* grid = group->Grid();
    // Vertical views fill rows of ColumnCount cells, the others columns of RowCount.
    if (OwnerListview()->IsVertView())
        return grid->ColumnCount() > 0 ? m_visible_index_in_group % grid->ColumnCount() : -1;
    return grid->RowCount() > 0 ? m_visible_index_in_group / grid->RowCount() : -1;
}

int TLqItem::RowPos() const
{
    TLqGroup* group = OwnerGroup();
    if (!Visible() || group == nullptr || OwnerListview() == nullptr)
        return -1;
    TLqGridGroup* grid = group->Grid();
    if (OwnerListview()->IsVertView())
        return grid->ColumnCount() > 0 ? m_visible_index_in_group / grid->ColumnCount() : -1;
    return grid->RowCount() > 0 ? m_visible_index_in_group % grid->RowCount() : -1;
}

TLqViewItemClass TLqItem::GetDefaultViewClass()
{
    if (OwnerListview() == nullptr)
        return TLqViewItem::ClassInfo();
    return LqDefaultItemViewClass(OwnerListview()->View());
}

TLqViewItemClass TLqItem::ViewClass()
{
    TLqViewItemClass view = nullptr;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemCustomView(this, owner->View(), view);
    if (view == nullptr)
        view = GetDefaultViewClass();
    return view;
}

TLqViewItem* TLqItem::View()
{
    TLqViewItemClass wanted = ViewClass();
    if (wanted->Create == nullptr)
        wanted = TLqViewItem::ClassInfo();
    if (m_view && m_view->ClassType() != wanted)
        m_view.reset();
    if (!m_view)
        m_view.reset(wanted->Create(OwnerGroup()));
    return m_view.get();
}

void TLqItem::ItemRectArray(TLqColumn* column, TCanvas* canvas, TLqRectArrayObject& rects)
{
    rects = TLqRectArrayObject{};
    View()->ItemRectArray(this, column, canvas, QString(), rects);
}

void TLqItem::Paint(TCanvas* canvas, const TRect& viewport_clip_rect, TLqColumn* column,
                    bool force_selection_rect_draw)
{
    View()->Paint(this, column, canvas, viewport_clip_rect, force_selection_rect_draw);
}

bool TLqItem::HitTestAt(TPoint viewport_point, TLqItemHitTestInfoSet& hit_info)
{
    hit_info = TLqItemHitTestInfoSet{};
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr)
        return false;
    TLqRectArrayObject rects;
    ItemRectArray(owner->Header()->FirstVisibleColumn(), owner->ScratchCanvas(), rects);
    TRect icon = rects.IconRect;
    const int indent = owner->GetPaintInfoItem()->CaptionIndent();
    if (owner->IsVertView())
        icon.Bottom += indent;
    else
        icon.Right += indent;
    const std::pair<const TRect*, TLqItemHitTestInfo> tests[] = {
        {&icon, ehtOnIcon},
        {&rects.CheckRect, ehtOnCheck},
        {&rects.FullFocusSelRect, ehtOnText},
        {&rects.LabelRect, ehtOnLabel},
        {&rects.ClickSelectBoundsRect, ehtOnClickSelectBounds},
        {&rects.DragSelectBoundsRect, ehtOnDragSelectBounds},
        {&rects.StateRect, ehtStateIcon},
    };
    for (const auto& [rect, flag] : tests)
        if (LqContains(*rect, viewport_point))
            hit_info.Include(flag);
    return !hit_info.Empty();
}

void TLqItem::Invalidate(bool immediate_update)
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr || !owner->HandleAllocated())
        return;
    const TRect client = owner->Scrollbars()->MapWindowRectToViewRect(owner->ClientRect());
    if (!LqIntersects(client, ViewRect()))
        return;
    TLqRectArrayObject rects;
    ItemRectArray(nullptr, owner->ScratchCanvas(), rects);
    const TRect area = owner->Scrollbars()->MapViewRectToWindowRect(
        LqUnion(rects.FocusChangeInvalidRect, ViewRect()));
    owner->SafeInvalidateRect(&area, immediate_update);
}

void TLqItem::MakeVisible(TLqMakeVisiblePos position)
{
    TCustomLqListview* owner = OwnerListview();
    if (!Visible() || owner == nullptr)
        return;
    TLqRectArrayObject rects;
    ItemRectArray(owner->Header()->FirstVisibleColumn(), owner->ScratchCanvas(), rects);
    const TRect r = rects.BoundsRect;
    TRect v = owner->ClientInViewportCoords();
    if (r.Left >= v.Left && r.Top >= v.Top && r.Right <= v.Right && r.Bottom <= v.Bottom)
        return;
    TLqScrollbarManager* bars = owner->Scrollbars();
    const int header = owner->HeaderHeightInView();
    switch (position) {
    case emvTop:
        bars->SetOffsetY(r.Top);
        bars->SetOffsetX(r.Left);
        break;
    case emvMiddle:
        // The item's centre goes to the client area's centre.
        bars->SetOffsetY(r.Top - (owner->ClientHeight() - r.Height()) / 2);
        bars->SetOffsetX(r.Left - (owner->ClientWidth() - r.Width()) / 2);
        break;
    case emvBottom:
        bars->SetOffsetY(r.Bottom - owner->ClientHeight() + header);
        bars->SetOffsetX(r.Right - owner->ClientWidth());
        break;
    case emvAuto:
        if (r.Bottom > v.Bottom)
            bars->SetOffsetY(r.Bottom - owner->ClientHeight() + header);
        else if (r.Top < v.Top)
            bars->SetOffsetY(r.Top);
        v = owner->ClientInViewportCoords();
        if (r.Right > v.Right)
            bars->SetOffsetX(r.Left);
        else if (r.Left < v.Left)
            bars->SetOffsetX(r.Left);
        break;
    }
}

int TLqItem::Border() const
{
    return PaintInfo()->Border();
}

void TLqItem::SetBorder(int value)
{
    value = std::max(value, 0);
    if (value == Border())
        return;
    PaintInfo()->SetBorder(value);
    Invalidate(false);
}

int TLqItem::CaptionIndent() const
{
    return PaintInfo()->CaptionIndent();
}

void TLqItem::SetCaptionIndent(int value)
{
    value = std::max(value, 0);
    if (value == CaptionIndent())
        return;
    PaintInfo()->SetCaptionIndent(value);
    Invalidate(false);
}

TColor TLqItem::BorderColor() const
{
    return PaintInfo()->BorderColor();
}

void TLqItem::SetBorderColor(TColor value)
{
    if (value == BorderColor())
        return;
    PaintInfo()->SetBorderColor(value);
    Invalidate(false);
}

void TLqItem::SetSelectionGroup(TLqSelectionGroupList* group)
{
    if (group == m_selection_group)
        return;
    ReleaseSelectionGroup();
    m_selection_group = group;
    if (group != nullptr)
        group->IncRef();
}

void TLqItem::ReleaseSelectionGroup()
{
    if (TLqSelectionGroupList* group = std::exchange(m_selection_group, nullptr))
        group->DecRef();
}

uint32_t TLqItem::GetGroupKey(int) const
{
    return 0;
}

void TLqItem::SetGroupKey(int, uint32_t)
{
}

bool TLqItem::AllowDrag(TPoint viewport_point)
{
    return View()->AllowDrag(this, viewport_point);
}

bool TLqItem::EditAreaHitPt(TPoint viewport_point)
{
    return View()->EditAreaHitPt(this, viewport_point);
}

bool TLqItem::SelectionHit(const TRect& rect, TLqSelectHitType type)
{
    return View()->SelectionHit(this, rect, type);
}

bool TLqItem::SelectionHitPt(TPoint viewport_point, TLqSelectHitType type)
{
    return View()->SelectionHitPt(this, viewport_point, type);
}

// ---- The change protocol of an item ------------------------------------------------------

bool TLqItem::CanChangeBold(bool)
{
    return true;
}

bool TLqItem::CanChangeHotTracking(bool)
{
    return true;
}

bool TLqItem::CanChangeCheck(bool)
{
    if (!Enabled())
        return false;
    bool allow = true;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemCheckChanging(this, allow);
    return allow;
}

bool TLqItem::CanChangeEnable(bool)
{
    bool allow = true;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemEnableChanging(this, allow);
    return allow;
}

bool TLqItem::CanChangeFocus(bool)
{
    bool allow = true;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemFocusChanging(this, allow);
    return allow;
}

bool TLqItem::CanChangeSelection(bool)
{
    bool allow = true;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemSelectionChanging(this, allow);
    return allow;
}

bool TLqItem::CanChangeVisibility(bool value)
{
    if (value && OwnerGroup() != nullptr && !OwnerGroup()->Visible())
        return false;
    bool allow = true;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemVisibilityChanging(this, allow);
    return allow;
}

void TLqItem::GainingBold()
{
    Invalidate(false);
}

void TLqItem::LosingBold()
{
    Invalidate(false);
}

void TLqItem::GainingCheck()
{
    TCustomLqListview* owner = OwnerListview();
    if (owner != nullptr) {
        owner->CheckManager()->AddToCount(1);
        owner->DoItemCheckChange(this);
    }
    Invalidate(false);
}

void TLqItem::LosingCheck()
{
    TCustomLqListview* owner = OwnerListview();
    if (owner != nullptr) {
        owner->CheckManager()->AddToCount(-1);
        owner->DoItemCheckChange(this);
    }
    if (!Destroying())
        Invalidate(false);
}

void TLqItem::GainingEnable()
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemEnableChange(this);
    Invalidate(false);
}

void TLqItem::LosingEnable()
{
    ReleaseSelectionGroup();
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemEnableChange(this);
    if (!Destroying())
        Invalidate(false);
}

void TLqItem::GainingFocus()
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr)
        return;
    owner->DoItemFocusChanged(this);
    owner->Selection()->SetFocusedItem(this);
    Invalidate(false);
    if (owner->Selection()->GroupSelections()) {
        owner->Selection()->RebuildSelectionGroups(false);
        owner->SafeInvalidateRect(nullptr, false);
    }
}

void TLqItem::LosingFocus()
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr)
        return;
    owner->Selection()->ForgetFocusedItem(this);
    owner->DoItemFocusChanged(this);
    if (Destroying())
        return;
    // The focus rectangle is part of the repainted area.
    set_bit(esosFocused, true);
    Invalidate(false);
    set_bit(esosFocused, false);
    if (owner->Selection()->GroupSelections())
        owner->SafeInvalidateRect(nullptr, false);
}

void TLqItem::GainingGhosted()
{
    if (!Destroying())
        Invalidate(false);
}

void TLqItem::LosingGhosted()
{
    if (!Destroying())
        Invalidate(false);
}

void TLqItem::GainingHilight()
{
    Invalidate(true);
}

void TLqItem::LosingHilight()
{
    Invalidate(true);
}

void TLqItem::GainingHotTracking(TPoint mouse_pos)
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemHotTrack(this, ehsEnable, mouse_pos);
    Invalidate(true);
}

void TLqItem::LosingHotTracking()
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemHotTrack(this, ehsDisable, TPoint{0, 0});
    Invalidate(true);
}

void TLqItem::GainingSelection()
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr)
        return;
    owner->Selection()->ItemSelected(this);
    owner->DoItemSelectionChanged(this);
    if (owner->Selection()->GroupSelections()) {
        owner->Selection()->RebuildSelectionGroups(false);
        owner->SafeInvalidateRect(nullptr, false);
    } else {
        Invalidate(false);
    }
}

void TLqItem::LosingSelection()
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr)
        return;
    owner->Selection()->ItemUnselected(this);
    owner->DoItemSelectionChanged(this);
    if (Destroying())
        return;
    if (owner->Selection()->GroupSelections()) {
        owner->Selection()->RebuildSelectionGroups(false);
        owner->SafeInvalidateRect(nullptr, false);
    } else {
        Invalidate(false);
    }
}

void TLqItem::GainingVisibility()
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr)
        return;
    owner->Groups()->Rebuild(false);
    owner->DoItemVisibilityChanged(this);
}

void TLqItem::LosingVisibility()
{
    ReleaseSelectionGroup();
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr)
        return;
    owner->Groups()->Rebuild(false);
    owner->DoItemVisibilityChanged(this);
}

void TLqItem::Initialize()
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemInitialize(this);
    set_bit(esosInitialized, true);
}

void TLqItem::Freeing()
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemFreeing(this);
}

// ---- Data shared by stored and virtual items ------------------------------------------------

TCustomImageList* TLqItem::GetImageList(int, TLqImageSize size)
{
    return GetDefaultImageList(size);
}

void TLqItem::ImageDraw(int column, TCanvas* canvas, const TLqRectArrayObject& rects,
                        TLqAlphaBlender* blender)
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemImageDraw(this, column_at(owner, column), canvas, rects, blender);
}

void TLqItem::ImageDrawGetSize(int column, int& width, int& height)
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemImageGetSize(this, column_at(owner, column), width, height);
}

void TLqItem::ImageDrawIsCustom(int column, bool& is_custom)
{
    is_custom = false;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemImageDrawIsCustom(this, column_at(owner, column), is_custom);
}

void TLqItem::ThumbnailDraw(TCanvas* canvas, const TRect& rect, TLqAlphaBlender* blender,
                            bool& do_default)
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemThumbnailDraw(this, canvas, rect, blender, do_default);
}

void TLqItem::SaveToStream(TStream* S, int version)
{
    TLqCollectionItem::SaveToStream(S, version);
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemSaveToStream(this, S, version);
}

void TLqItem::LoadFromStream(TStream* S, int& version)
{
    TLqCollectionItem::LoadFromStream(S, version);
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemLoadFromStream(this, S, version);
}

// ---- TLqItemStored -----------------------------------------------------------------------------

TLqItemStored::TLqItemStored(TLqCollection* collection)
    : TLqItem(collection), m_data_helper(std::make_unique<TLqItemDynamicDataHelper>())
{
}

TLqItemStored::~TLqItemStored() = default;

QString TLqItemStored::GetCaptions(int column) const
{
    return m_data_helper->Caption(column);
}

void TLqItemStored::SetCaptions(int column, const QString& value)
{
    m_data_helper->SetCaption(column, value);
    Invalidate(false);
}

int TLqItemStored::GetImageIndexes(int column) const
{
    return m_data_helper->ImageIndex(column);
}

void TLqItemStored::SetImageIndexes(int column, int value)
{
    m_data_helper->SetImageIndex(column, value);
    Invalidate(false);
}

int TLqItemStored::GetImageOverlayIndexes(int column) const
{
    return m_data_helper->OverlayIndex(column);
}

void TLqItemStored::SetImageOverlayIndexes(int column, int value)
{
    m_data_helper->SetOverlayIndex(column, value);
    Invalidate(false);
}

int TLqItemStored::GetStateImageIndexes(int column) const
{
    return m_data_helper->StateImageIndex(column);
}

void TLqItemStored::SetStateImageIndexes(int column, int value)
{
    m_data_helper->SetStateImageIndex(column, value);
    Invalidate(false);
}

TCustomImageList* TLqItemStored::GetStateImageList(int)
{
    return OwnerListview() != nullptr ? OwnerListview()->ImagesState() : nullptr;
}

int TLqItemStored::DetailCount() const
{
    return OwnerListview() != nullptr ? OwnerListview()->GetPaintInfoItem()->TileDetailCount() : 0;
}

void TLqItemStored::SetDetailCount(int value)
{
    if (OwnerListview() != nullptr)
        OwnerListview()->GetPaintInfoItem()->SetTileDetailCount(value);
}

int TLqItemStored::GetDetails(int line) const
{
    return m_data_helper->Detail(line);
}

void TLqItemStored::SetDetails(int line, int value)
{
    m_data_helper->SetDetail(line, value);
    Invalidate(false);
}

uint32_t TLqItemStored::GetGroupKey(int column) const
{
    return m_data_helper->GroupKey(column);
}

void TLqItemStored::SetGroupKey(int column, uint32_t key)
{
    m_data_helper->SetGroupKey(column, key);
}

void TLqItemStored::SaveToStream(TStream* S, int version)
{
    TLqItem::SaveToStream(S, version);
    m_data_helper->SaveToStream(S, version);
}

void TLqItemStored::LoadFromStream(TStream* S, int& version)
{
    TLqItem::LoadFromStream(S, version);
    m_data_helper->LoadFromStream(S, version);
}

// ---- TLqItemVirtual ---------------------------------------------------------------------------

QString TLqItemVirtual::GetCaptions(int column) const
{
    QString caption;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemGetCaption(const_cast<TLqItemVirtual*>(this), column, caption);
    return caption;
}

void TLqItemVirtual::SetCaptions(int column, const QString& value)
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemSetCaption(this, column, value);
    Invalidate(false);
}

int TLqItemVirtual::image_index(int column, TLqImageKind kind) const
{
    int index = -1;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemGetImageIndex(const_cast<TLqItemVirtual*>(this), column, kind, index);
    return index;
}

void TLqItemVirtual::set_image_index(int column, TLqImageKind kind, int value)
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemSetImageIndex(this, column, kind, value);
    Invalidate(false);
}

int TLqItemVirtual::GetImageIndexes(int column) const
{
    return image_index(column, eikNormal);
}

void TLqItemVirtual::SetImageIndexes(int column, int value)
{
    set_image_index(column, eikNormal, value);
}

int TLqItemVirtual::GetImageOverlayIndexes(int column) const
{
    return image_index(column, eikOverlay);
}

void TLqItemVirtual::SetImageOverlayIndexes(int column, int value)
{
    set_image_index(column, eikOverlay, value);
}

int TLqItemVirtual::GetStateImageIndexes(int column) const
{
    return image_index(column, eikState);
}

void TLqItemVirtual::SetStateImageIndexes(int column, int value)
{
    set_image_index(column, eikState, value);
}

TCustomImageList* TLqItemVirtual::GetImageList(int column, TLqImageSize size)
{
    TCustomImageList* list = nullptr;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemGetImageList(this, column, list);
    return list != nullptr ? list : GetDefaultImageList(size);
}

TCustomImageList* TLqItemVirtual::GetStateImageList(int column)
{
    TCustomImageList* list = nullptr;
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr)
        return nullptr;
    owner->DoItemGetStateImageList(this, column, list);
    return list != nullptr ? list : owner->ImagesState();
}

int TLqItemVirtual::DetailCount() const
{
    int count = 0;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemGetTileDetailCount(const_cast<TLqItemVirtual*>(this), count);
    return count;
}

void TLqItemVirtual::SetDetailCount(int value)
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemSetTileDetailCount(this, value);
    Invalidate(false);
}

int TLqItemVirtual::GetDetails(int line) const
{
    int detail = 0;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemGetTileDetail(const_cast<TLqItemVirtual*>(this), line, detail);
    return detail;
}

void TLqItemVirtual::SetDetails(int line, int value)
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemSetTileDetail(this, line, value);
    Invalidate(false);
}

uint32_t TLqItemVirtual::GetGroupKey(int column) const
{
    uint32_t key = 0;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemGetGroupKey(const_cast<TLqItemVirtual*>(this), column, key);
    return key;
}

void TLqItemVirtual::SetGroupKey(int column, uint32_t key)
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoItemSetGroupKey(this, column, key);
}

// ---- TLqItemInterfaced ---------------------------------------------------------------------

TObject* TLqItemInterfaced::ExtractObject() const
{
    if (auto object = Supports<ILqDataObject>(DataInf().get()))
        return object->GetObject();
    return nullptr;
}

bool TLqItemInterfaced::Checked() const
{
    if (auto checks = Supports<ILqDataChecks>(DataInf().get()))
        return checks->GetChecked(0);
    return false;
}

void TLqItemInterfaced::SetChecked(bool value)
{
    // The data object keeps the check; no state bit, no events.
    if (auto checks = Supports<ILqDataChecks>(DataInf().get())) {
        checks->SetChecked(0, value);
        Invalidate(false);
    }
}

QString TLqItemInterfaced::GetCaptions(int column) const
{
    if (auto captions = Supports<ILqDataCaptions>(DataInf().get())) {
        QVariant caption;
        captions->GetCaption(column, caption);
        return caption.toString();
    }
    return QString();
}

void TLqItemInterfaced::SetCaptions(int column, const QString& value)
{
    if (auto captions = Supports<ILqDataCaptionsWrite>(DataInf().get())) {
        captions->SetCaption(column, QVariant(value));
        Invalidate(false);
    }
}

int TLqItemInterfaced::image_index(int column, TLqImageKind kind) const
{
    if (auto images = Supports<ILqDataImages>(DataInf().get()))
        return images->GetImageIndex(column, kind);
    return -1;
}

void TLqItemInterfaced::set_image_index(int column, TLqImageKind kind, int value)
{
    if (auto images = Supports<ILqDataImagesWrite>(DataInf().get()))
        images->SetImageIndex(column, kind, value);
}

int TLqItemInterfaced::GetImageIndexes(int column) const
{
    return image_index(column, eikNormal);
}

void TLqItemInterfaced::SetImageIndexes(int column, int value)
{
    set_image_index(column, eikNormal, value);
}

int TLqItemInterfaced::GetImageOverlayIndexes(int column) const
{
    return image_index(column, eikOverlay);
}

void TLqItemInterfaced::SetImageOverlayIndexes(int column, int value)
{
    set_image_index(column, eikOverlay, value);
}

int TLqItemInterfaced::GetStateImageIndexes(int column) const
{
    return image_index(column, eikState);
}

void TLqItemInterfaced::SetStateImageIndexes(int column, int value)
{
    set_image_index(column, eikState, value);
}

TCustomImageList* TLqItemInterfaced::GetImageList(int column, TLqImageSize size)
{
    TCustomImageList* list = nullptr;
    if (auto lists = Supports<ILqDataImageList>(DataInf().get()))
        list = lists->GetImageList(column, size);
    return list != nullptr ? list : GetDefaultImageList(size);
}

TCustomImageList* TLqItemInterfaced::GetStateImageList(int column)
{
    TCustomImageList* list = nullptr;
    if (auto lists = Supports<ILqDataStateImageList>(DataInf().get()))
        list = lists->GetStateImageList(column);
    if (list == nullptr && OwnerListview() != nullptr)
        list = OwnerListview()->ImagesState();
    return list;
}

int TLqItemInterfaced::DetailCount() const
{
    if (auto details = Supports<ILqDataDetails>(DataInf().get()))
        return details->GetDetailCount();
    return 1;
}

void TLqItemInterfaced::SetDetailCount(int value)
{
    if (auto details = Supports<ILqDataDetailsWrite>(DataInf().get())) {
        details->SetDetailCount(value);
        Invalidate(false);
    }
}

int TLqItemInterfaced::GetDetails(int line) const
{
    if (auto details = Supports<ILqDataDetails>(DataInf().get()))
        return details->GetDetail(line);
    return 0;
}

void TLqItemInterfaced::SetDetails(int line, int value)
{
    if (auto details = Supports<ILqDataDetailsWrite>(DataInf().get())) {
        details->SetDetail(line, value);
        Invalidate(false);
    }
}

uint32_t TLqItemInterfaced::GetGroupKey(int column) const
{
    if (auto keys = Supports<ILqDataGroupKey>(DataInf().get()))
        return keys->GetGroupKey(column);
    return 0;
}

void TLqItemInterfaced::SetGroupKey(int column, uint32_t key)
{
    if (auto keys = Supports<ILqDataGroupKeyWrite>(DataInf().get()))
        keys->SetGroupKey(column, key);
}

void TLqItemInterfaced::ImageDraw(int column, TCanvas* canvas, const TLqRectArrayObject& rects,
                                  TLqAlphaBlender* blender)
{
    if (auto image = Supports<ILqDataCustomImage>(DataInf().get()))
        image->ImageDraw(column, canvas, rects, blender);
}

void TLqItemInterfaced::ImageDrawGetSize(int column, int& width, int& height)
{
    if (auto image = Supports<ILqDataCustomImage>(DataInf().get()))
        image->ImageGetSize(column, width, height);
}

void TLqItemInterfaced::ImageDrawIsCustom(int column, bool& is_custom)
{
    is_custom = false;
    if (auto image = Supports<ILqDataCustomImage>(DataInf().get()))
        image->ImageDrawIsCustom(column, is_custom);
}

void TLqItemInterfaced::ThumbnailDraw(TCanvas* canvas, const TRect& rect, TLqAlphaBlender* blender,
                                      bool& do_default)
{
    if (auto thumbnail = Supports<ILqDataThumbnail>(DataInf().get()))
        thumbnail->ThumbnailDraw(canvas, rect, blender, do_default);
}

// ---- TLqItems ----------------------------------------------------------------------------------

TLqItems::TLqItems(TCustomLqListview* owner, TLqGroup* owner_group)
    : TLqCollection(owner), m_owner_group(owner_group)
{
    set_item_class(LqItemClass<TLqItemStored>());
}

TLqItems::~TLqItems()
{
    Clear(true);
}

bool TLqItems::accepts(TLqCollectionItem* item) const
{
    return dynamic_cast<TLqItem*>(item) != nullptr;
}

TLqItem* TLqItems::insert_class(int index, TLqCollectionItemClass item_class, TObject* data)
{
    return static_cast<TLqItem*>(insert_new(index, item_class, data));
}

TLqItem* TLqItems::Add(TObject* data)
{
    return static_cast<TLqItem*>(TLqCollection::Add(data));
}

TLqItem* TLqItems::Insert(int index, TObject* data)
{
    return static_cast<TLqItem*>(TLqCollection::Insert(index, data));
}

TLqItem* TLqItems::AddVirtual(TObject* data)
{
    return insert_class(Count(), LqItemClass<TLqItemVirtual>(), data);
}

TLqItem* TLqItems::InsertVirtual(int index, TObject* data)
{
    return insert_class(index, LqItemClass<TLqItemVirtual>(), data);
}

TLqItem* TLqItems::AddCustom(TLqCollectionItemClass custom_item, TObject* data)
{
    return custom_item != nullptr ? insert_class(Count(), custom_item, data) : nullptr;
}

TLqItem* TLqItems::InsertCustom(int index, TLqCollectionItemClass custom_item, TObject* data)
{
    return custom_item != nullptr ? insert_class(index, custom_item, data) : nullptr;
}

TLqItem* TLqItems::AddInterfaced(const TInterfacePtr<IUnknown>& data_inf, TObject* data)
{
    return InsertInterfaced(Count(), data_inf, data);
}

TLqItem* TLqItems::InsertInterfaced(int index, const TInterfacePtr<IUnknown>& data_inf,
                                    TObject* data)
{
    if (!data_inf)
        return nullptr;
    if (index < 0 || index > Count())
        TList::Error(kListIndexError, index);
    auto* item = new TLqItemInterfaced(this);
    try {
        put_new(item, index);
    } catch (...) {
        Free(item);
        throw;
    }
    item->SetDataInf(data_inf);
    item->SetData(data);
    DoStructureChange();
    return item;
}

void TLqItems::Delete(int index)
{
    if (index < 0 || index >= Count())
        TList::Error(kListIndexError, index);
    TLqItem* item = Items(index);
    TCustomLqListview* owner = OwnerListview();
    TLqItem* next_focus = nullptr;
    if (owner != nullptr && !owner->Destroying() && item->Focused()) {
        next_focus = owner->Groups()->NextVisibleItem(item);
        if (next_focus == nullptr)
            next_focus = owner->Groups()->PrevVisibleItem(item);
    }
    TLqCollection::Delete(index);
    if (next_focus != nullptr)
        next_focus->SetFocused(true);
}

void TLqItems::Clear(bool free_items)
{
    TLqSelectionManager* selection =
        OwnerListview() != nullptr ? OwnerListview()->Selection() : nullptr;
    if (selection == nullptr) {
        TLqCollection::Clear(free_items);
        return;
    }
    selection->IncMultiChangeCount();
    selection->GroupSelectBeginUpdate();
    struct Close {
        TLqSelectionManager* selection;
        ~Close() noexcept(false)
        {
            selection->GroupSelectEndUpdate();
            selection->DecMultiChangeCount();
        }
    } close{selection};
    TLqCollection::Clear(free_items);
}

void TLqItems::DoStructureChange()
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr)
        return;
    owner->IncrementalSearch()->ResetSearch();
    owner->Groups()->Rebuild(false);
    if (owner->Sort()->AutoSort())
        owner->Sort()->SortAll(false);
    if (owner->UpdateCount() > 0)
        owner->IncludeState(ebcsItemStructureUpdatePending);
    else
        owner->DoItemStructureChange();
}

// ---- TLqGlobalItems ----------------------------------------------------------------------------

int TLqGlobalItems::Count() const
{
    TLqGroups* groups = m_owner->Groups();
    int count = 0;
    for (int i = 0; i < groups->Count(); ++i)
        count += groups->Groups(i)->ItemCount();
    return count;
}

TLqItem* TLqGlobalItems::FindItem(int index) const
{
    if (index < 0)
        TList::Error(kListIndexError, index);
    TLqGroups* groups = m_owner->Groups();
    for (int i = 0; i < groups->Count(); ++i) {
        TLqGroup* group = groups->Groups(i);
        if (index < group->ItemCount())
            return group->Item(index);
        index -= group->ItemCount();
    }
    return nullptr;
}

TLqItem* TLqGlobalItems::Items(int index) const
{
    TLqItem* item = FindItem(index);
    if (item == nullptr)
        TList::Error(kListIndexError, index);
    return item;
}

int TLqGlobalItems::IndexOf(const TLqItem* item) const
{
    if (item == nullptr)
        return -1;
    int index = item->Index();
    TLqGroups* groups = m_owner->Groups();
    for (int i = 0; i < groups->Count(); ++i) {
        TLqGroup* group = groups->Groups(i);
        if (group == item->OwnerGroup())
            return index;
        index += group->ItemCount();
    }
    return -1;
}

void TLqGlobalItems::EnsureGroup()
{
    if (m_owner->Groups()->Count() == 0)
        m_owner->Groups()->Add(nullptr)->SetCaption(QStringLiteral("Default Group"));
}

TLqItem* TLqGlobalItems::Add(TObject* data)
{
    EnsureGroup();
    return m_owner->Groups()->LastGroup()->Items()->Add(data);
}

TLqItem* TLqGlobalItems::AddVirtual(TObject* data)
{
    EnsureGroup();
    return m_owner->Groups()->LastGroup()->Items()->AddVirtual(data);
}

TLqItem* TLqGlobalItems::AddCustom(TLqCollectionItemClass custom_item, TObject* data)
{
    EnsureGroup();
    return m_owner->Groups()->LastGroup()->Items()->AddCustom(custom_item, data);
}

TLqItem* TLqGlobalItems::AddInterfaced(const TInterfacePtr<IUnknown>& data_inf, TObject* data)
{
    EnsureGroup();
    return m_owner->Groups()->LastGroup()->Items()->AddInterfaced(data_inf, data);
}

TLqItem* TLqGlobalItems::Insert(int index, TObject* data)
{
    TLqItem* at = FindItem(index);
    if (at == nullptr)
        return Add(data);
    return at->OwnerItems()->Insert(at->Index(), data);
}

TLqItem* TLqGlobalItems::InsertVirtual(int index, TObject* data)
{
    TLqItem* at = FindItem(index);
    if (at == nullptr)
        return AddVirtual(data);
    return at->OwnerItems()->InsertVirtual(at->Index(), data);
}

TLqItem* TLqGlobalItems::InsertCustom(int index, TLqCollectionItemClass custom_item, TObject* data)
{
    TLqItem* at = FindItem(index);
    if (at == nullptr)
        return AddCustom(custom_item, data);
    return at->OwnerItems()->InsertCustom(at->Index(), custom_item, data);
}

TLqItem* TLqGlobalItems::InsertInterfaced(int index, const TInterfacePtr<IUnknown>& data_inf,
                                          TObject* data)
{
    TLqItem* at = FindItem(index);
    if (at == nullptr)
        return AddInterfaced(data_inf, data);
    return at->OwnerItems()->InsertInterfaced(at->Index(), data_inf, data);
}

void TLqGlobalItems::Clear()
{
    m_owner->Groups()->Clear(true);
}

void TLqGlobalItems::Delete(int index, bool)
{
    TLqItem* item = Items(index);
    item->OwnerItems()->Delete(item->Index());
}

void TLqGlobalItems::Exchange(int index1, int index2)
{
    TLqItem* item1 = Items(index1);
    TLqItem* item2 = Items(index2);
    if (item1->OwnerGroup() != item2->OwnerGroup())
        throw EListError(
            QStringLiteral("exchange of items between different groups is not yet supported"));
    item1->OwnerItems()->Exchange(item1->Index(), item2->Index());
}

void TLqGlobalItems::SetReIndexDisable(bool value)
{
    EnsureGroup();
    m_owner->Groups()->SetReIndexDisable(value);
}

}
