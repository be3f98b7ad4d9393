#include "listview/persistent.h"

#include "listview/canvas_control.h"
#include "listview/groups.h"
#include "listview/layout.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "listview/stream_io.h"
#include "platform/drag_and_accessibility.h"
#include "platform/files.h"

using namespace fw;

namespace vistrel::listview {

namespace {

constexpr uint32_t kRecordMarker = 0x00CEFEFF;
constexpr int kStreamVersion = 6;

}

// ---- Persistent bases ------------------------------------------------------------------------

void TLqOwnedPersistent::LoadFromStream(TStream*, int)
{
}
void TLqOwnedPersistent::SaveToStream(TStream*, int)
{
}

TLqOwnedPersistentView::~TLqOwnedPersistentView() = default;

TLqCanvasStore* TLqOwnedPersistentView::CanvasStore()
{
    if (!m_canvas_store)
        m_canvas_store = std::make_unique<TLqCanvasStore>();
    return m_canvas_store.get();
}

TLqOwnedPersistentGroupItem::TLqOwnedPersistentGroupItem(TLqGroup* owner)
    : TLqOwnedPersistentView(owner != nullptr ? owner->OwnerListview() : nullptr),
      m_owner_group(owner)
{
}

HRESULT TLqInterfacedPersistent::QueryInterface(const TGUID& iid, void** object)
{
    if (object == nullptr)
        return E_NOINTERFACE;
    *object = nullptr;
    if (AnswerInterface<IUnknown>(this, iid, object))
        return S_OK;
    return E_NOINTERFACE;
}

LONG TLqInterfacedPersistent::AddRef()
{
    return ++m_ref_count;
}

LONG TLqInterfacedPersistent::Release()
{
    const LONG count = --m_ref_count;
    if (count == 0)
        Free(this);
    return count;
}

// ---- TWideFileStream --------------------------------------------------------------------

namespace {

HANDLE open_wide_file(const QString& file_name, uint16_t mode)
{
    // The platform's file names are 8-bit (UTF-8).
    const QByteArray path = file_name.toUtf8();
    const char* name = path.constData();
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (mode == fmCreate) {
        handle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    } else {
        static constexpr DWORD access[] = {GENERIC_READ, GENERIC_WRITE,
                                           GENERIC_READ | GENERIC_WRITE, GENERIC_READ};
        static constexpr DWORD share[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE};
        const unsigned share_index = (mode >> 4) & 0x0F;
        handle = CreateFileA(name, access[mode & 3], share_index < 5 ? share[share_index] : 0,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr)
        throw EFCreateError(QStringLiteral("Cannot create file %s"), {file_name});
    return handle;
}

}

TWideFileStream::TWideFileStream(const QString& file_name, uint16_t mode)
    : THandleStream(open_wide_file(file_name, mode))
{
}

TWideFileStream::~TWideFileStream()
{
    if (m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr)
        CloseHandle(m_handle);
}

// ---- TLqCollection ----------------------------------------------------------------------------

TLqCollection::TLqCollection(TCustomLqListview* owner) : TLqOwnedPersistent(owner)
{
    m_item_class = nullptr;
}

TLqCollection::~TLqCollection()
{
    // Subclasses clear in their own destructors, where their clearing still runs.
    Clear(true);
}

TLqCollectionItem* TLqCollection::VisibleItems(int index) const
{
    if (index < 0 || index >= m_visible_list.Count())
        return nullptr;
    return static_cast<TLqCollectionItem*>(m_visible_list.Items(index));
}

TLqCollectionItem* TLqCollection::make_item(TLqCollectionItemClass item_class)
{
    if (item_class == nullptr)
        return nullptr;
    TLqCollectionItem* item = item_class->Create<TLqCollectionItem, TLqCollection*>(this);
    if (item != nullptr && !accepts(item)) {
        Free(item);
        return nullptr;
    }
    return item;
}

TLqCollectionItem* TLqCollection::put_new(TLqCollectionItem* item, int index)
{
    if (index == m_list.Count())
        m_list.Add(item);
    else
        m_list.Insert(index, item);
    ReIndexItems(false);
    DoItemAdd(item, index);
    return item;
}

TLqCollectionItem* TLqCollection::Add(TObject* data)
{
    return Insert(Count(), data);
}

TLqCollectionItem* TLqCollection::Insert(int index, TObject* data)
{
    return insert_new(index, m_item_class, data);
}

TLqCollectionItem* TLqCollection::insert_new(int index, TLqCollectionItemClass item_class,
                                             TObject* data)
{
    if (index < 0 || index > Count())
        TList::Error(QStringLiteral("List index out of bounds (%d)"), index);
    TLqCollectionItem* item = make_item(item_class);
    if (item == nullptr)
        return nullptr;
    try {
        put_new(item, index);
    } catch (...) {
        Free(item);
        throw;
    }
    item->SetData(data);
    DoStructureChange();
    return item;
}

void TLqCollection::Delete(int index)
{
    TLqCollectionItem* item = static_cast<TLqCollectionItem*>(m_list.Items(index));
    item->MarkDestroying();
    item->SetFocused(false);
    item->SetSelected(false);
    m_list.Delete(m_list.IndexOf(item));
    const int visible = m_visible_list.IndexOf(item);
    if (visible >= 0)
        m_visible_list.Delete(visible);
    Free(item);
    ReIndexItems(false);
    DoStructureChange();
}

void TLqCollection::Exchange(int index1, int index2)
{
    m_list.Exchange(index1, index2);
    ReIndexItems(false);
    DoStructureChange();
}

void TLqCollection::ReIndexItems(bool force)
{
    TCustomLqListview* owner = OwnerListview();
    const bool disabled =
        owner != nullptr && owner->Groups() != nullptr && owner->Groups()->ReIndexDisable();
    if (!force && disabled)
        return;
    for (int i = 0; i < m_list.Count(); ++i)
        static_cast<TLqCollectionItem*>(m_list.Items(i))->SetRawIndex(i);
}

void TLqCollection::SetReIndexDisable(bool value)
{
    if (value) {
        ++m_reindex_count;
        return;
    }
    --m_reindex_count;
    if (m_reindex_count <= 0) {
        m_reindex_count = 0;
        ReIndexItems(false);
    }
}

void TLqCollection::DefineProperties(TFiler* filer)
{
    TLqOwnedPersistent::DefineProperties(filer);
    filer->DefineBinaryProperty(
        QStringLiteral("Items"), [this](TStream* stream) { ReadItems(stream); },
        [this](TStream* stream) { WriteItems(stream); }, Count() >= 1 && !m_hide_from_dfm);
}

void TLqCollection::DoItemAdd(TLqCollectionItem*, int)
{
}
void TLqCollection::DoStructureChange()
{
}

TLqCollectionItem* TLqCollection::FirstVisible() const
{
    return VisibleItems(0);
}

TLqCollectionItem* TLqCollection::LastVisible() const
{
    return VisibleItems(m_visible_list.Count() - 1);
}

TLqCollectionItem* TLqCollection::NextVisible(TLqCollectionItem* column) const
{
    if (column == nullptr)
        return nullptr;
    for (int i = column->Index() + 1; i < Count(); ++i)
        if (Items(i)->Visible())
            return Items(i);
    return nullptr;
}

TLqCollectionItem* TLqCollection::PrevVisible(TLqCollectionItem* column) const
{
    if (column == nullptr)
        return nullptr;
    for (int i = std::min(column->Index(), Count()) - 1; i >= 0; --i)
        if (Items(i)->Visible())
            return Items(i);
    return nullptr;
}

void TLqCollection::BeginUpdate(bool)
{
    if (OwnerListview() != nullptr)
        OwnerListview()->BeginUpdate();
}

void TLqCollection::EndUpdate(bool invalidate)
{
    if (OwnerListview() != nullptr)
        OwnerListview()->EndUpdate(invalidate);
}

void TLqCollection::Clear(bool free_items)
{
    if (m_list.Count() == 0)
        return;
    BeginUpdate(false);
    struct Finish {
        TLqCollection* self;
        ~Finish() noexcept(false)
        {
            self->m_list.Clear();
            self->m_visible_list.Clear();
            TCustomLqListview* owner = self->OwnerListview();
            if (owner != nullptr && owner->HandleAllocated() && owner->Scrollbars() != nullptr) {
                owner->Scrollbars()->SetOffsetX(0);
                owner->Scrollbars()->SetOffsetY(0);
            }
            self->EndUpdate(true);
        }
    } finish{this};
    for (int i = 0; i < m_list.Count(); ++i) {
        TLqCollectionItem* item = Items(i);
        item->MarkDestroying();
        item->SetFocused(false);
        item->SetSelected(false);
    }
    if (free_items)
        for (int i = m_list.Count() - 1; i >= 0; --i) {
            TLqCollectionItem* item = Items(i);
            m_list.SetItems(i, nullptr);
            Free(item);
        }
}

void TLqCollection::MakeAllVisible()
{
    for (int i = 0; i < Count(); ++i)
        Items(i)->SetVisible(true);
}

void TLqCollection::WriteItems(TStream* stream)
{
    stream_io::WriteInt32(stream, kStreamVersion);
    stream_io::WriteInt32(stream, Count());
    for (int i = 0; i < Count(); ++i) {
        stream_io::WriteAnsiString(stream, Items(i)->ClassName().toStdString());
        Items(i)->SaveToStream(stream, kStreamVersion);
    }
}

void TLqCollection::ReadItems(TStream* stream)
{
    Clear(true);
    int version = stream_io::ReadInt32(stream);
    // Every object takes at least its 2-byte state.
    const int32_t count = stream_io::ReadCount(stream, 2);
    for (int32_t i = 0; i < count; ++i) {
        if (version >= 5) {
            const QString name = QString::fromStdString(stream_io::ReadAnsiString(stream));
            TPersistentClass found = GetClass(name);
            if (found == nullptr)
                throw EAssertionFailed(QStringLiteral(
                    "If using custom item types for Item, Groups or Columns you must register "
                    "them with the streaming system with RegisterClass(TMyLqClassItemType)"));
            m_item_class = found;
        }
        TLqCollectionItem* item = Add(nullptr);
        if (item == nullptr)
            throw EReadError(QStringLiteral("Stream read error"));
        item->LoadFromStream(stream, version);
    }
}

// ---- TLqCollectionItem ----------------------------------------------------------------------

TLqCollectionItem::TLqCollectionItem(TLqCollection* collection)
    : m_collection(collection),
      m_state(static_cast<uint16_t>(LqStateBit(esosVisible) | LqStateBit(esosEnabled)))
{
}

TLqCollectionItem::~TLqCollectionItem()
{
    if (m_owns_paint_info && m_paint_info != nullptr)
        Free(m_paint_info);
}

void TLqCollectionItem::base_destruction()
{
    MarkDestroying();
    SetDataInf(nullptr);
    if (TCustomLqListview* owner = OwnerListview(); owner != nullptr && owner->HotTrack()) {
        if (owner->HotTrack()->PendingObjectCheck() == this)
            owner->HotTrack()->SetPendingObjectCheck(nullptr);
        if (owner->HotTrack()->PendingObject() == this)
            owner->HotTrack()->SetPendingObject(nullptr);
    }
    Freeing();
}

HRESULT TLqCollectionItem::QueryInterface(const TGUID&, void** object)
{
    if (object != nullptr)
        *object = nullptr;
    return E_NOINTERFACE;
}

TCustomLqListview* TLqCollectionItem::OwnerListview() const
{
    return m_collection != nullptr ? m_collection->OwnerListview() : nullptr;
}

void TLqCollectionItem::UnlinkData()
{
    // Drops the reference without telling the data object.
    m_data_inf = nullptr;
}

void TLqCollectionItem::SetDataInf(const TInterfacePtr<IUnknown>& value)
{
    if (value == m_data_inf)
        return;
    if (auto sink = Supports<ILqDataLinkSink>(m_data_inf.get()))
        sink->DetachItem(this);
    m_data_inf = value;
    if (auto sink = Supports<ILqDataLinkSink>(m_data_inf.get()))
        sink->AttachItem(this);
}

int TLqCollectionItem::Index() const
{
    if (m_collection == nullptr)
        return -1;
    return m_collection->List().IndexOf(this);
}

TLqPaintInfoBasic* TLqCollectionItem::PaintInfoBasic() const
{
    return m_paint_info != nullptr ? m_paint_info : GetDefaultPaintInfo();
}

void TLqCollectionItem::GetDisplayName(QString& name) const
{
    name = Caption();
    if (name.isEmpty())
        name = ClassName();
}

bool TLqCollectionItem::AllowDrag(TPoint)
{
    return true;
}

TCustomImageList* TLqCollectionItem::GetDefaultImageList(TLqImageSize size) const
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr)
        return nullptr;
    switch (size) {
    case eisSmall:
        return owner->ImagesSmall();
    case eisLarge:
        return owner->ImagesLarge();
    case eisExtraLarge:
        return owner->ImagesExLarge();
    }
    return nullptr;
}

void TLqCollectionItem::Invalidate(bool immediate_update)
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr || owner->UpdateCount() > 0)
        return;
    TRect r = owner->Scrollbars()->MapViewRectToWindowRect(m_display_rect);
    r = LqIntersect(r, owner->ClientRect());
    if (!r.IsEmpty())
        owner->SafeInvalidateRect(&r, immediate_update);
}

void TLqCollectionItem::MakeVisible(TLqMakeVisiblePos)
{
}

void TLqCollectionItem::set_plain(TLqStorageObjectState state, bool value)
{
    if (Has(state) == value)
        return;
    set_bit(state, value);
    Invalidate(false);
}

void TLqCollectionItem::notify_state_change()
{
    TCustomLqListview* owner = OwnerListview();
    if (owner != nullptr && owner->HandleAllocated())
        NotifyWinEvent(EVENT_OBJECT_STATECHANGE, owner->Handle(), OBJID_CLIENT, CHILDID_SELF);
}

void TLqCollectionItem::SetBold(bool value)
{
    if (Bold() == value)
        return;
    if (Destroying()) {
        set_bit(esosBold, false);
        LosingBold();
        return;
    }
    if (!CanChangeBold(value))
        return;
    set_bit(esosBold, value);
    if (value)
        GainingBold();
    else
        LosingBold();
}

void TLqCollectionItem::SetChecked(bool value)
{
    if (Has(esosChecked) == value)
        return;
    if (Destroying()) {
        set_bit(esosChecked, false);
        LosingCheck();
        return;
    }
    if (!CanChangeCheck(value))
        return;
    notify_state_change();
    set_bit(esosChecked, value);
    if (value)
        GainingCheck();
    else
        LosingCheck();
}

void TLqCollectionItem::SetEnabled(bool value)
{
    if (Enabled() == value)
        return;
    if (!Destroying() && !CanChangeEnable(value))
        return;
    if (value && !Destroying()) {
        set_bit(esosEnabled, true);
        GainingEnable();
        return;
    }
    // Focus and selection go while the object still counts as enabled.
    SetFocused(false);
    SetSelected(false);
    set_bit(esosEnabled, false);
    LosingEnable();
}

void TLqCollectionItem::SetFocused(bool value)
{
    if (Focused() == value)
        return;
    if (!(Visible() && Enabled()))
        return;
    if (Destroying()) {
        set_bit(esosFocused, false);
        LosingFocus();
        return;
    }
    if (!CanChangeFocus(value))
        return;
    set_bit(esosFocused, value);
    if (value)
        GainingFocus();
    else
        LosingFocus();
}

void TLqCollectionItem::SetSelected(bool value)
{
    if (Selected() == value)
        return;
    if (!(Visible() && Enabled()))
        return;
    if (Destroying()) {
        set_bit(esosSelected, false);
        LosingSelection();
        return;
    }
    if (!CanChangeSelection(value))
        return;
    set_bit(esosSelected, value);
    if (value)
        GainingSelection();
    else
        LosingSelection();
}

void TLqCollectionItem::SetVisible(bool value)
{
    if (Visible() == value)
        return;
    if (!Destroying() && !CanChangeVisibility(value))
        return;
    if (value && !Destroying()) {
        set_bit(esosVisible, true);
        GainingVisibility();
        return;
    }
    SetFocused(false);
    SetSelected(false);
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr || !owner->AllowHiddenCheckedItems())
        SetChecked(false);
    set_bit(esosVisible, false);
    LosingVisibility();
}

void TLqCollectionItem::SetHotTracking(TPoint mouse_pos, bool value)
{
    if (HotTracking() == value)
        return;
    if (Destroying()) {
        set_bit(esosHotTracking, false);
        LosingHotTracking();
        return;
    }
    if (!CanChangeHotTracking(value))
        return;
    set_bit(esosHotTracking, value);
    if (value)
        GainingHotTracking(mouse_pos);
    else
        LosingHotTracking();
}

void TLqCollectionItem::SetGhosted(bool value)
{
    if (Ghosted() == value)
        return;
    const bool gain = value && !Destroying();
    set_bit(esosGhosted, gain);
    if (gain)
        GainingGhosted();
    else
        LosingGhosted();
}

void TLqCollectionItem::SetHilighted(bool value)
{
    if (Hilighted() == value)
        return;
    if (Destroying()) {
        SetFocused(false);
        SetSelected(false);
        set_bit(esosHilighted, false);
        LosingHilight();
        return;
    }
    set_bit(esosHilighted, value);
    if (value)
        GainingHilight();
    else
        LosingHilight();
}

void TLqCollectionItem::SetInitialized(bool value)
{
    if (Initialized() == value)
        return;
    if (value && !Destroying()) {
        Initialize();
        set_bit(esosInitialized, true);
        return;
    }
    set_bit(esosInitialized, false);
}

void TLqCollectionItem::SaveToStream(TStream* S, int)
{
    stream_io::WriteInt32(S, static_cast<int32_t>(kRecordMarker));
    stream_io::WriteInt32(S, kStreamVersion);
    stream_io::WriteUInt16(S, static_cast<uint16_t>(m_state & kLqStoredStateMask));
}

void TLqCollectionItem::LoadFromStream(TStream* S, int& version)
{
    const uint32_t marker = static_cast<uint32_t>(stream_io::ReadInt32(S));
    if (marker == kRecordMarker) {
        version = stream_io::ReadInt32(S);
    } else {
        S->Seek(-4, soCurrent);
        version = 2;
    }
    const uint16_t state = stream_io::ReadUInt16(S);
    auto has = [state](TLqStorageObjectState bit) { return (state & LqStateBit(bit)) != 0; };
    SetSelected(has(esosSelected));
    SetEnabled(has(esosEnabled));
    SetVisible(has(esosVisible));
    SetChecked(has(esosChecked));
    SetBold(has(esosBold));
}

}
