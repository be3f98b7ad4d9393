#include "listview/groups.h"

#include "listview/data_interfaces.h"
#include "listview/items.h"
#include "listview/layout.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "listview/selection.h"
#include "platform/drag_and_accessibility.h"

using namespace fw;

namespace vistrel::listview {

namespace {

// Locks the control's updates for a scope; the end runs also on an error.
class UpdateBracket {
public:
    explicit UpdateBracket(TCustomLqListview* owner) : m_owner(owner)
    {
        if (m_owner != nullptr)
            m_owner->BeginUpdate();
    }
    ~UpdateBracket() noexcept(false)
    {
        if (m_owner != nullptr)
            m_owner->EndUpdate(true);
    }
    UpdateBracket(const UpdateBracket&) = delete;
    UpdateBracket& operator=(const UpdateBracket&) = delete;

private:
    TCustomLqListview* m_owner;
};

}

// ---- TLqGroup -----------------------------------------------------------------------------------

TLqGroup::TLqGroup(TLqCollection* collection)
    : TLqCollectionItem(collection),
      m_items(std::make_unique<TLqItems>(
          collection != nullptr ? collection->OwnerListview() : nullptr, this))
{
    View();
    SetChecked(true);
}

TLqGroup::~TLqGroup()
{
    m_grid.reset();
    m_visible_items.Clear();
    m_view.reset();
}

void TLqGroup::BeforeDestruction()
{
    MarkDestroying();
    if (TCustomLqListview* owner = OwnerListview())
        if (owner->Selection() && owner->Selection()->FocusedGroup() == this)
            owner->Selection()->SetFocusedGroup(nullptr);
    SetSelected(false);
    SetFocused(false);
    m_items.reset();
    base_destruction();
}

TLqGroups* TLqGroup::OwnerGroups() const
{
    return static_cast<TLqGroups*>(Collection());
}

int TLqGroup::ItemCount() const
{
    return m_items ? m_items->Count() : 0;
}

TLqItem* TLqGroup::Item(int index) const
{
    return m_items->Items(index);
}

void TLqGroup::SetItem(int index, TLqItem* item)
{
    if (index >= 0 && index < ItemCount())
        m_items->SetItems(index, item);
}

TLqItem* TLqGroup::VisibleItem(int index) const
{
    if (index < 0 || index >= m_visible_items.Count())
        return nullptr;
    return static_cast<TLqItem*>(m_visible_items.Items(index));
}

TLqPaintInfoGroup* TLqGroup::PaintInfo() const
{
    return static_cast<TLqPaintInfoGroup*>(PaintInfoBasic());
}

TLqPaintInfoBasic* TLqGroup::GetDefaultPaintInfo() const
{
    return OwnerListview() != nullptr ? OwnerListview()->GetPaintInfoGroup() : nullptr;
}

TCustomImageList* TLqGroup::GetDefaultImageList(TLqImageSize) const
{
    return OwnerListview() != nullptr ? OwnerListview()->ImagesGroup() : nullptr;
}

void TLqGroup::SetExpanded(bool value)
{
    if (value == m_expanded || !PaintInfo()->Expandable())
        return;
    TCustomLqListview* owner = OwnerListview();
    UpdateBracket bracket(owner);
    notify_state_change();
    m_expanded = value;
    if (owner == nullptr)
        return;
    if (value)
        owner->DoGroupExpand(this);
    else
        owner->DoGroupCollapse(this);
    owner->Groups()->Rebuild(true);
}

TLqGridGroupClass TLqGroup::GetDefaultGridClass()
{
    return LqDefaultGridClass(OwnerListview() != nullptr ? OwnerListview()->View() : elsIcon);
}

TLqGridGroupClass TLqGroup::GridClass()
{
    TLqGridGroupClass grid = nullptr;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoCustomGrid(this, owner->View(), grid);
    return grid != nullptr ? grid : GetDefaultGridClass();
}

TLqGridGroup* TLqGroup::Grid()
{
    const TLqGridGroupClass wanted = GridClass();
    if (m_grid && m_grid->ClassType() != wanted)
        m_grid.reset();
    // The new grid's cell size is the control's object of the view itself, so there is
    // nothing to copy into it.
    if (!m_grid)
        m_grid = LqCreateGrid(wanted, OwnerListview(), this);
    return m_grid.get();
}

TLqViewGroupClass TLqGroup::GetDefaultViewClass()
{
    return LqDefaultGroupViewClass();
}

TLqViewGroupClass TLqGroup::ViewClass()
{
    TLqViewGroupClass view = nullptr;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupCustomView(this, owner->View(), view);
    return view != nullptr ? view : GetDefaultViewClass();
}

TLqViewGroup* TLqGroup::View()
{
    const TLqViewGroupClass wanted = ViewClass();
    if (m_view && m_view->ClassType() != wanted)
        m_view.reset();
    if (!m_view) {
        m_view = wanted->create(this);
        m_view->SetClassType(wanted);
    }
    return m_view.get();
}

void TLqGroup::Rebuild(TLqGroup* prev_group, int& next_visible_item_index)
{
    Grid()->Rebuild(prev_group, next_visible_item_index);
}

namespace {

int effective_size(const TLqGroup*, TLqMargin* margin)
{
    return margin != nullptr ? margin->RuntimeSize() : 0;
}

}

int TLqGroup::MarginTopSize() const
{
    return effective_size(this, PaintInfo()->MarginTop());
}

int TLqGroup::MarginBottomSize() const
{
    return effective_size(this, PaintInfo()->MarginBottom());
}

int TLqGroup::MarginLeftSize() const
{
    return effective_size(this, PaintInfo()->MarginLeft());
}

int TLqGroup::MarginRightSize() const
{
    return effective_size(this, PaintInfo()->MarginRight());
}

TRect TLqGroup::ClientRect() const
{
    TRect r = ViewRect();
    r.Left += MarginLeftSize();
    r.Top += MarginTopSize();
    r.Right -= MarginRightSize();
    r.Bottom -= MarginBottomSize();
    return r;
}

TRect TLqGroup::BoundsRectBkGnd() const
{
    TRect r = ClientRect();
    if (r.Bottom < r.Top)
        r.Bottom = r.Top;
    if (r.Right < r.Left)
        r.Right = r.Left;
    return r;
}

TRect TLqGroup::BoundsRectTopMargin() const
{
    if (!(PaintInfo()->MarginTop()->Visible() && OwnerListview() != nullptr &&
          OwnerListview()->ShowGroupMargins()))
        return TRect{};
    TRect r = ViewRect();
    r.Bottom = r.Top + MarginTopSize();
    r.Left += MarginLeftSize();
    r.Right -= MarginRightSize();
    return r;
}

TRect TLqGroup::BoundsRectBottomMargin() const
{
    if (!(PaintInfo()->MarginBottom()->Visible() && OwnerListview() != nullptr &&
          OwnerListview()->ShowGroupMargins()))
        return TRect{};
    TRect r = ViewRect();
    r.Top = r.Bottom - MarginBottomSize();
    r.Left += MarginLeftSize();
    r.Right -= MarginRightSize();
    return r;
}

TRect TLqGroup::BoundsRectLeftMargin() const
{
    if (!(PaintInfo()->MarginLeft()->Visible() && OwnerListview() != nullptr &&
          OwnerListview()->ShowGroupMargins()))
        return TRect{};
    TRect r = ViewRect();
    r.Right = r.Left + MarginLeftSize();
    return r;
}

TRect TLqGroup::BoundsRectRightMargin() const
{
    if (!(PaintInfo()->MarginRight()->Visible() && OwnerListview() != nullptr &&
          OwnerListview()->ShowGroupMargins()))
        return TRect{};
    TRect r = ViewRect();
    r.Left = r.Right - MarginRightSize();
    return r;
}

TLqItem* TLqGroup::ItemByPoint(TPoint viewport_point) const
{
    for (int i = 0; i < ItemCount(); ++i)
        if (LqContains(Item(i)->ViewRect(), viewport_point))
            return Item(i);
    return nullptr;
}

bool TLqGroup::HitTestAt(TPoint viewport_point, TLqGroupHitTestInfoSet& hit_info)
{
    hit_info = TLqGroupHitTestInfoSet{};
    const struct {
        TRect rect;
        TLqGroupHitTestInfo flag;
        TLqGroupMarginEdge edge;
    } margins[] = {
        {BoundsRectTopMargin(), egtOnHeader, egmeTop},
        {BoundsRectBottomMargin(), egtOnFooter, egmeBottom},
        {BoundsRectLeftMargin(), egtOnLeftMargin, egmeLeft},
        {BoundsRectRightMargin(), egtOnRightMargin, egmeRight},
    };
    for (const auto& margin : margins) {
        if (!LqContains(margin.rect, viewport_point))
            continue;
        hit_info.Include(margin.flag);
        TLqRectArrayObject rects;
        View()->GroupRectArray(this, margin.edge, margin.rect, rects);
        TRect icon = rects.IconRect;
        if (OwnerListview() != nullptr)
            icon.Right += OwnerListview()->GetPaintInfoGroup()->CaptionIndent();
        const std::pair<const TRect*, TLqGroupHitTestInfo> parts[] = {
            {&icon, egtOnIcon},
            {&rects.TextRect, egtOnText},
            {&rects.LabelRect, egtOnLabel},
            {&rects.ExpandButtonRect, egtOnExpandButton},
            {&rects.BandRect, egtOnBand},
            {&rects.CheckRect, egtOnCheckbox},
        };
        for (const auto& [rect, flag] : parts)
            if (LqContains(*rect, viewport_point)) {
                hit_info.Include(flag);
                break;
            }
        break;
    }
    return !hit_info.Empty();
}

bool TLqGroup::EditAreaHitPt(TPoint viewport_point)
{
    return View()->EditAreaHitPt(this, viewport_point);
}

bool TLqGroup::SelectionHit(const TRect& rect, TLqSelectHitType type)
{
    return View()->SelectionHit(this, rect, type);
}

bool TLqGroup::SelectionHitPt(TPoint viewport_point, TLqSelectHitType type)
{
    return View()->SelectionHitPt(this, viewport_point, type);
}

// ---- The change protocol of a group --------------------------------------------------------

bool TLqGroup::CanChangeBold(bool)
{
    return true;
}

bool TLqGroup::CanChangeEnable(bool)
{
    return true;
}

bool TLqGroup::CanChangeHotTracking(bool)
{
    return true;
}

bool TLqGroup::CanChangeCheck(bool)
{
    return Enabled();
}

bool TLqGroup::CanChangeFocus(bool)
{
    return false;
}

bool TLqGroup::CanChangeSelection(bool)
{
    bool allow = true;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupSelectionChanging(this, allow);
    return allow;
}

bool TLqGroup::CanChangeVisibility(bool)
{
    bool allow = true;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupVisibilityChanging(this, allow);
    return allow;
}

void TLqGroup::GainingBold()
{
    Invalidate(false);
}

void TLqGroup::LosingBold()
{
    Invalidate(false);
}

void TLqGroup::GainingGhosted()
{
    Invalidate(false);
}

void TLqGroup::LosingGhosted()
{
    Invalidate(false);
}

void TLqGroup::GainingCheck()
{
    for (int i = 0; i < ItemCount(); ++i)
        if (Item(i)->Visible())
            Item(i)->SetChecked(true);
    if (Visible())
        set_bit(esosChecked, true);
    Invalidate(false);
}

void TLqGroup::LosingCheck()
{
    for (int i = 0; i < ItemCount(); ++i)
        Item(i)->SetChecked(false);
    set_bit(esosChecked, false);
    Invalidate(false);
}

void TLqGroup::GainingEnable()
{
    for (int i = 0; i < ItemCount(); ++i)
        Item(i)->SetEnabled(true);
    set_bit(esosEnabled, true);
    Invalidate(false);
}

void TLqGroup::LosingEnable()
{
    for (int i = 0; i < ItemCount(); ++i)
        Item(i)->SetEnabled(false);
    set_bit(esosEnabled, false);
    Invalidate(false);
}

void TLqGroup::GainingFocus()
{
}
void TLqGroup::LosingFocus()
{
}
void TLqGroup::GainingHilight()
{
}
void TLqGroup::LosingHilight()
{
}

void TLqGroup::GainingHotTracking(TPoint mouse_pos)
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupHotTrack(this, ehsEnable, mouse_pos);
    Invalidate(true);
}

void TLqGroup::LosingHotTracking()
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupHotTrack(this, ehsDisable, TPoint{0, 0});
    Invalidate(true);
}

void TLqGroup::GainingSelection()
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupSelectionChanged(this);
}

void TLqGroup::LosingSelection()
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupSelectionChanged(this);
}

void TLqGroup::GainingVisibility()
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupVisibilityChanged(this);
    for (int i = 0; i < ItemCount(); ++i)
        Item(i)->SetVisible(true);
}

void TLqGroup::LosingVisibility()
{
    for (int i = 0; i < ItemCount(); ++i)
        Item(i)->SetVisible(false);
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupVisibilityChanged(this);
}

void TLqGroup::Initialize()
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupInitialize(this);
}

void TLqGroup::Freeing()
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupFreeing(this);
}

TCustomImageList* TLqGroup::GetImageList(int, TLqImageSize size)
{
    return GetDefaultImageList(size);
}

void TLqGroup::ImageDraw(int, TCanvas* canvas, const TLqRectArrayObject& rects,
                         TLqAlphaBlender* blender)
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupImageDraw(this, canvas, rects, blender);
}

void TLqGroup::ImageDrawGetSize(int, int& width, int& height)
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupImageGetSize(this, width, height);
}

void TLqGroup::ImageDrawIsCustom(int, bool& is_custom)
{
    is_custom = false;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupImageDrawIsCustom(this, is_custom);
}

void TLqGroup::SaveToStream(TStream* S, int version)
{
    TLqCollectionItem::SaveToStream(S, version);
    m_items->WriteItems(S);
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupSaveToStream(this, S, version);
}

void TLqGroup::LoadFromStream(TStream* S, int& version)
{
    TLqCollectionItem::LoadFromStream(S, version);
    if (!m_items)
        m_items = std::make_unique<TLqItems>(OwnerListview(), this);
    m_items->ReadItems(S);
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupLoadFromStream(this, S, version);
}

// ---- Stored, virtual and interfaced groups -------------------------------------------------

TLqBaseGroupStored::TLqBaseGroupStored(TLqCollection* collection)
    : TLqGroup(collection), m_data_helper(std::make_unique<TLqDynamicDataHelper>())
{
}

TLqBaseGroupStored::~TLqBaseGroupStored() = default;

QString TLqBaseGroupStored::GetCaptions(int column) const
{
    return m_data_helper->Caption(column);
}

void TLqBaseGroupStored::SetCaptions(int column, const QString& value)
{
    m_data_helper->SetCaption(column, value);
    Invalidate(false);
}

int TLqBaseGroupStored::GetImageIndexes(int column) const
{
    return m_data_helper->ImageIndex(column);
}

void TLqBaseGroupStored::SetImageIndexes(int column, int value)
{
    m_data_helper->SetImageIndex(column, value);
    Invalidate(false);
}

int TLqBaseGroupStored::GetImageOverlayIndexes(int column) const
{
    return m_data_helper->OverlayIndex(column);
}

void TLqBaseGroupStored::SetImageOverlayIndexes(int column, int value)
{
    m_data_helper->SetOverlayIndex(column, value);
    Invalidate(false);
}

int TLqBaseGroupStored::DetailCount() const
{
    return OwnerListview() != nullptr ? OwnerListview()->GetPaintInfoGroup()->CaptionLines() : 0;
}

void TLqBaseGroupStored::SetDetailCount(int value)
{
    if (OwnerListview() != nullptr)
        OwnerListview()->GetPaintInfoGroup()->SetCaptionLines(value);
}

int TLqBaseGroupStored::GetDetails(int line) const
{
    return m_data_helper->Detail(line);
}

void TLqBaseGroupStored::SetDetails(int line, int value)
{
    m_data_helper->SetDetail(line, value);
    Invalidate(false);
}

void TLqBaseGroupStored::SaveToStream(TStream* S, int version)
{
    TLqGroup::SaveToStream(S, version);
    m_data_helper->SaveToStream(S, version);
}

void TLqBaseGroupStored::LoadFromStream(TStream* S, int& version)
{
    TLqGroup::LoadFromStream(S, version);
    m_data_helper->LoadFromStream(S, version);
}

QString TLqGroupVirtual::GetCaptions(int) const
{
    QString caption;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupGetCaption(const_cast<TLqGroupVirtual*>(this), caption);
    return caption;
}

void TLqGroupVirtual::SetCaptions(int, const QString& value)
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupSetCaption(this, value);
    Invalidate(false);
}

int TLqGroupVirtual::GetImageIndexes(int) const
{
    int index = -1;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupGetImageIndex(const_cast<TLqGroupVirtual*>(this), eikNormal, index);
    return index;
}

void TLqGroupVirtual::SetImageIndexes(int, int value)
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupSetImageIndex(this, eikNormal, value);
    Invalidate(false);
}

int TLqGroupVirtual::GetImageOverlayIndexes(int) const
{
    int index = -1;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupGetImageIndex(const_cast<TLqGroupVirtual*>(this), eikOverlay, index);
    return index;
}

void TLqGroupVirtual::SetImageOverlayIndexes(int, int value)
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupSetImageIndex(this, eikOverlay, value);
    Invalidate(false);
}

TCustomImageList* TLqGroupVirtual::GetImageList(int, TLqImageSize size)
{
    TCustomImageList* list = nullptr;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupGetImageList(this, list);
    return list != nullptr ? list : GetDefaultImageList(size);
}

int TLqGroupVirtual::DetailCount() const
{
    int count = 0;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupGetDetailCount(const_cast<TLqGroupVirtual*>(this), count);
    return count;
}

void TLqGroupVirtual::SetDetailCount(int value)
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupSetDetailCount(this, value);
    Invalidate(false);
}

int TLqGroupVirtual::GetDetails(int line) const
{
    int detail = 0;
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupGetDetail(const_cast<TLqGroupVirtual*>(this), line, detail);
    return detail;
}

void TLqGroupVirtual::SetDetails(int line, int value)
{
    if (TCustomLqListview* owner = OwnerListview())
        owner->DoGroupSetDetail(this, line, value);
    Invalidate(false);
}

QString TLqGroupInterfaced::GetCaptions(int column) const
{
    if (auto captions = Supports<ILqDataCaptions>(DataInf().get())) {
        QVariant caption;
        captions->GetCaption(column, caption);
        return caption.toString();
    }
    return QString();
}

void TLqGroupInterfaced::SetCaptions(int column, const QString& value)
{
    if (auto captions = Supports<ILqDataCaptionsWrite>(DataInf().get())) {
        captions->SetCaption(column, QVariant(value));
        Invalidate(false);
    }
}

int TLqGroupInterfaced::GetImageIndexes(int column) const
{
    if (auto images = Supports<ILqDataImages>(DataInf().get()))
        return images->GetImageIndex(column, eikNormal);
    return -1;
}

void TLqGroupInterfaced::SetImageIndexes(int column, int value)
{
    if (auto images = Supports<ILqDataImagesWrite>(DataInf().get())) {
        images->SetImageIndex(column, eikNormal, value);
        Invalidate(false);
    }
}

int TLqGroupInterfaced::GetImageOverlayIndexes(int column) const
{
    if (auto images = Supports<ILqDataImages>(DataInf().get()))
        return images->GetImageIndex(column, eikOverlay);
    return -1;
}

void TLqGroupInterfaced::SetImageOverlayIndexes(int column, int value)
{
    if (auto images = Supports<ILqDataImagesWrite>(DataInf().get())) {
        images->SetImageIndex(column, eikOverlay, value);
        Invalidate(false);
    }
}

TCustomImageList* TLqGroupInterfaced::GetImageList(int column, TLqImageSize size)
{
    TCustomImageList* list = nullptr;
    if (auto lists = Supports<ILqDataImageList>(DataInf().get()))
        list = lists->GetImageList(column, size);
    return list != nullptr ? list : GetDefaultImageList(size);
}

int TLqGroupInterfaced::DetailCount() const
{
    if (auto details = Supports<ILqDataDetails>(DataInf().get()))
        return details->GetDetailCount();
    return 0;
}

void TLqGroupInterfaced::SetDetailCount(int value)
{
    if (auto details = Supports<ILqDataDetailsWrite>(DataInf().get())) {
        details->SetDetailCount(value);
        Invalidate(false);
    }
}

int TLqGroupInterfaced::GetDetails(int line) const
{
    if (auto details = Supports<ILqDataDetails>(DataInf().get()))
        return details->GetDetail(line);
    return 0;
}

void TLqGroupInterfaced::SetDetails(int line, int value)
{
    if (auto details = Supports<ILqDataDetailsWrite>(DataInf().get())) {
        details->SetDetail(line, value);
        Invalidate(false);
    }
}

void TLqGroupInterfaced::ImageDraw(int column, TCanvas* canvas, const TLqRectArrayObject& rects,
                                   TLqAlphaBlender* blender)
{
    if (auto image = Supports<ILqDataCustomImage>(DataInf().get()))
        image->ImageDraw(column, canvas, rects, blender);
}

void TLqGroupInterfaced::ImageDrawGetSize(int column, int& width, int& height)
{
    if (auto image = Supports<ILqDataCustomImage>(DataInf().get()))
        image->ImageGetSize(column, width, height);
}

void TLqGroupInterfaced::ImageDrawIsCustom(int column, bool& is_custom)
{
    is_custom = false;
    if (auto image = Supports<ILqDataCustomImage>(DataInf().get()))
        image->ImageDrawIsCustom(column, is_custom);
}

// ---- TLqGroups ---------------------------------------------------------------------------------

TLqGroups::TLqGroups(TCustomLqListview* owner) : TLqCollection(owner)
{
    set_item_class(LqItemClass<TLqGroupStored>());
}

TLqGroups::~TLqGroups()
{
    Clear(true);
}

bool TLqGroups::accepts(TLqCollectionItem* item) const
{
    return dynamic_cast<TLqGroup*>(item) != nullptr;
}

TLqGroup* TLqGroups::VisibleGroup(int index) const
{
    return static_cast<TLqGroup*>(VisibleItems(index));
}

TLqGroup* TLqGroups::insert_class(int index, TLqCollectionItemClass group_class, TObject* data)
{
    return static_cast<TLqGroup*>(insert_new(index, group_class, data));
}

TLqGroup* TLqGroups::Add(TObject* data)
{
    return static_cast<TLqGroup*>(TLqCollection::Add(data));
}

TLqGroup* TLqGroups::Insert(int index, TObject* data)
{
    return static_cast<TLqGroup*>(TLqCollection::Insert(index, data));
}

TLqGroup* TLqGroups::AddVirtual(TObject* data)
{
    return insert_class(Count(), LqItemClass<TLqGroupVirtual>(), data);
}

TLqGroup* TLqGroups::InsertVirtual(int index, TObject* data)
{
    return insert_class(index, LqItemClass<TLqGroupVirtual>(), data);
}

TLqGroup* TLqGroups::AddCustom(TLqCollectionItemClass custom_group, TObject* data)
{
    return custom_group != nullptr ? insert_class(Count(), custom_group, data) : nullptr;
}

TLqGroup* TLqGroups::InsertCustom(int index, TLqCollectionItemClass custom_group, TObject* data)
{
    return custom_group != nullptr ? insert_class(index, custom_group, data) : nullptr;
}

TLqGroup* TLqGroups::AddInterfaced(const TInterfacePtr<IUnknown>& data_inf, TObject* data)
{
    return InsertInterfaced(Count(), data_inf, data);
}

TLqGroup* TLqGroups::InsertInterfaced(int index, const TInterfacePtr<IUnknown>& data_inf,
                                      TObject* data)
{
    if (!data_inf)
        return nullptr;
    if (index < 0 || index > Count())
        TList::Error(QStringLiteral("List index out of bounds (%d)"), index);
    auto* group = new TLqGroupInterfaced(this);
    try {
        put_new(group, index);
    } catch (...) {
        Free(group);
        throw;
    }
    group->SetDataInf(data_inf);
    group->SetData(data);
    DoStructureChange();
    return group;
}

void TLqGroups::Clear(bool free_items)
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
            selection->DecMultiChangeCount();
            selection->GroupSelectEndUpdate();
        }
    } close{selection};
    TLqCollection::Clear(free_items);
}

void TLqGroups::DeleteGroup(TLqGroup* group)
{
    for (TLqGroup* g = FirstGroup(); g != nullptr; g = NextGroup(g))
        if (g == group) {
            Delete(List().IndexOf(g));
            return;
        }
}

void TLqGroups::DeleteItem(TLqItem* item)
{
    if (item == nullptr)
        return;
    TLqGroup* group = item->OwnerGroup();
    if (group == nullptr || List().IndexOf(group) < 0)
        return;
    const int index = group->Items()->List().IndexOf(item);
    if (index >= 0)
        group->Items()->Delete(index);
}

void TLqGroups::DeleteItems(const std::vector<TLqItem*>& items)
{
    TLqSelectionManager* selection = OwnerListview()->Selection();
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
    for (TLqItem* item : items) {
        item->SetFocused(false);
        item->SetSelected(false);
        item->SetVisible(false);
    }
    for (TLqItem* item : items) {
        TLqItems* list = item->OwnerItems();
        const int index = list->List().IndexOf(item);
        if (index >= 0)
            list->List().SetItems(index, nullptr);
        Free(item);
    }
    for (int i = 0; i < Count(); ++i) {
        Groups(i)->Items()->List().Pack();
        Groups(i)->Items()->ReIndexItems(false);
    }
}

void TLqGroups::ExpandAll()
{
    UpdateBracket bracket(OwnerListview());
    for (int i = 0; i < Count(); ++i)
        Groups(i)->SetExpanded(true);
}

void TLqGroups::CollapseAll()
{
    UpdateBracket bracket(OwnerListview());
    for (int i = 0; i < Count(); ++i)
        Groups(i)->SetExpanded(false);
}

void TLqGroups::MakeAllVisible()
{
    UpdateBracket bracket(OwnerListview());
    for (int i = 0; i < Count(); ++i) {
        TLqGroup* group = Groups(i);
        group->SetVisible(true);
        for (int j = 0; j < group->ItemCount(); ++j)
            group->Item(j)->SetVisible(true);
    }
}

void TLqGroups::InitializeAll()
{
    for (int i = 0; i < Count(); ++i)
        for (int j = 0; j < Groups(i)->ItemCount(); ++j)
            Groups(i)->Item(j)->SetInitialized(true);
}

void TLqGroups::UnInitializeAll()
{
    for (int i = 0; i < Count(); ++i)
        for (int j = 0; j < Groups(i)->ItemCount(); ++j)
            Groups(i)->Item(j)->SetInitialized(false);
}

void TLqGroups::InvalidateItem(TLqItem* item, bool immediate_update)
{
    if (item != nullptr)
        item->Invalidate(immediate_update);
}

int TLqGroups::CellWidth() const
{
    return Count() > 0 ? Groups(0)->Grid()->CellSize()->Width() : 0;
}

int TLqGroups::CellHeight() const
{
    return Count() > 0 ? Groups(0)->Grid()->CellSize()->Height() : 0;
}

void TLqGroups::SetCellWidth(int value)
{
    UpdateBracket bracket(OwnerListview());
    for (int i = 0; i < Count(); ++i)
        Groups(i)->Grid()->CellSize()->SetWidth(value);
}

void TLqGroups::SetCellHeight(int value)
{
    UpdateBracket bracket(OwnerListview());
    for (int i = 0; i < Count(); ++i)
        Groups(i)->Grid()->CellSize()->SetHeight(value);
}

int TLqGroups::ItemCount() const
{
    int count = 0;
    for (int i = 0; i < Count(); ++i)
        count += Groups(i)->ItemCount();
    return count;
}

int TLqGroups::VisibleItemCount() const
{
    int count = 0;
    for (int i = 0; i < Count(); ++i)
        count += Groups(i)->VisibleCount();
    return count;
}

TRect TLqGroups::ViewRect() const
{
    TLqGroup* last = LastVisibleGroup();
    if (last == nullptr)
        return TRect{};
    return TRect{0, 0, last->ViewRect().Right, last->ViewRect().Bottom};
}

void TLqGroups::Rebuild(bool force)
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr)
        return;
    if (!((owner->UpdateCount() == 0 || force) && !owner->ComponentState().Contains(csLoading) &&
          owner->HandleAllocated()))
        return;
    m_rebuilding = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_rebuilding};
    VisibleList().Clear();
    VisibleList().SetCapacity(Count());
    int next_visible_item_index = 0;
    owner->Header()->Rebuild(force);
    TRect view{};
    int visible_index = 0;
    for (int i = 0; i < Count(); ++i) {
        TLqGroup* group = Groups(i);
        if (group->Visible()) {
            VisibleList().Add(group);
            group->SetVisibleIndex(visible_index++);
        } else {
            group->SetVisibleIndex(-1);
        }
        group->Rebuild(i > 0 ? Groups(i - 1) : nullptr, next_visible_item_index);
        view = LqUnion(view, group->ViewRect());
        view.Left = 0;
        view.Top = 0;
        group->Items()->ReIndexItems(false);
    }
    if (owner->Selection()->GroupSelections())
        owner->Selection()->RebuildSelectionGroups(false);
    owner->Scrollbars()->SetViewRect(view, true);
}

void TLqGroups::SaveToStream(TStream* S, int)
{
    if (m_stream_groups)
        WriteItems(S);
}

void TLqGroups::LoadFromStream(TStream* S, int)
{
    if (m_stream_groups)
        ReadItems(S);
}

void TLqGroups::Move(TLqItem* item, TLqGroup* new_group)
{
    if (item == nullptr || new_group == nullptr)
        return;
    TLqItems* from = item->OwnerItems();
    from->List().Delete(from->List().IndexOf(item));
    new_group->Items()->List().Add(item);
    item->SetCollection(new_group->Items());
    DoStructureChange();
}

void TLqGroups::Move(TLqGroup* group, int from_index, int to_index)
{
    if (group == nullptr || from_index == to_index || from_index >= group->ItemCount() ||
        to_index >= group->ItemCount())
        return;
    group->Items()->List().Move(from_index, to_index);
    DoStructureChange();
}

void TLqGroups::Move(int from_index, int to_index)
{
    if (Count() > 0)
        Move(Groups(0), from_index, to_index);
}

void TLqGroups::DoStructureChange()
{
    TCustomLqListview* owner = OwnerListview();
    Rebuild(false);
    if (owner == nullptr)
        return;
    if (owner->UpdateCount() > 0)
        owner->IncludeState(ebcsGroupStructureUpdatePending);
    else
        owner->DoGroupStructureChange();
}

}
