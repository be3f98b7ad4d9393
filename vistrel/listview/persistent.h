// The persistent bases of every object a list-view control owns, the file stream by
// UTF-16 name, and the two classes all of the control's lists are made of: the
// collection (an ordered, owning list with a list of its visible objects and a binary
// stream form) and the collection item (the common base of items, groups and columns,
// with its 16-bit state set and the one change protocol of every state property).
//
// The change protocol: an unchanged value does nothing; Focused and Selected are
// ignored unless the object is visible and enabled; an object being destroyed only
// loses the state and notifies; otherwise the permission operation (CanChange...) is
// asked, then the bit changes and the gaining or losing operation notifies.
#ifndef VISTREL_LISTVIEW_PERSISTENT_H
#define VISTREL_LISTVIEW_PERSISTENT_H

#include "framework/classes.h"
#include "listview/lq_types.h"

#include <QtCore/QString>

#include <atomic>
#include <memory>

namespace fw {
class TCanvas;
class TCustomImageList;
}

namespace vistrel::listview {

class TLqCanvasStore;

class TLqPersistent : public fw::TPersistent {
public:
    TLqPersistent() = default;
    void Assign(fw::TPersistent* source) override { fw::TPersistent::Assign(source); }
};

class TLqOwnedPersistent : public TLqPersistent {
public:
    explicit TLqOwnedPersistent(TCustomLqListview* owner) : m_owner_listview(owner) {}

    TCustomLqListview* OwnerListview() const { return m_owner_listview; }
    virtual void LoadFromStream(fw::TStream* S, int version);
    virtual void SaveToStream(fw::TStream* S, int version);

protected:
    TCustomLqListview* m_owner_listview;
};

class TLqOwnedPersistentView : public TLqOwnedPersistent {
public:
    using TLqOwnedPersistent::TLqOwnedPersistent;
    ~TLqOwnedPersistentView() override;

    // Made the first time it is asked for.
    TLqCanvasStore* CanvasStore();
    // Draws a check box or radio button of the object into check_rect (boxes and radio
    // buttons only); pressed draws the face of a box being clicked.
    void PaintCheckBox(TLqCheckType check_type, TCustomLqListview* listview, int size,
                       TLqCollectionItem* object, bool check_pending, bool check_hovering,
                       bool check_flat, bool pressed, bool checked, bool enabled,
                       const fw::TRect& check_rect, fw::TCanvas* canvas);

private:
    std::unique_ptr<TLqCanvasStore> m_canvas_store;
};

class TLqOwnedPersistentGroupItem : public TLqOwnedPersistentView {
public:
    explicit TLqOwnedPersistentGroupItem(TLqGroup* owner);

    TLqGroup* OwnerGroup() const { return m_owner_group; }

private:
    TLqGroup* m_owner_group;
};

// Counted like an interface: a new object holds the one reference its creator takes
// over (fw::TInterfacePtr::Adopt); the last Release frees it.
class TLqInterfacedPersistent : public fw::TPersistent, public virtual fw::IUnknown {
public:
    HRESULT QueryInterface(const fw::TGUID& iid, void** object) override;
    LONG AddRef() override;
    LONG Release() override;
    LONG RefCount() const { return m_ref_count.load(); }
    TLqInterfacedPersistent* Obj() { return this; }

private:
    std::atomic<LONG> m_ref_count{1};
};

class TLqOwnedInterfacedPersistent : public TLqInterfacedPersistent {
public:
    explicit TLqOwnedInterfacedPersistent(TCustomLqListview* owner) : m_owner(owner) {}
    TCustomLqListview* Owner() const { return m_owner; }

private:
    TCustomLqListview* m_owner;
};

// A file stream opened by a UTF-16 name. Mode 0xFF00 creates or truncates (read and
// write, no sharing); any other mode opens an existing file with the access of its low
// two bits and the sharing of bits 4-7. A failure raises EFCreateError "Cannot create
// file %s" for the create and the open case alike.
class TWideFileStream : public fw::THandleStream {
public:
    TWideFileStream(const QString& file_name, uint16_t mode);
    ~TWideFileStream() override;
};

// The callback handle of an object that shows a data object; it counts nothing and
// lives exactly as long as the object.
class ILqItemLink : public fw::IUnknown {
public:
    static constexpr fw::TGUID IID = fw::TGUID::Parse("{E4F0D3DE-B2BD-4EC0-B24B-8A9B85B23A63}");
    virtual void Invalidate(bool immediate_update) = 0;
    virtual void UnlinkData() = 0;
};

// Implemented by a data object that wants to know which objects show it.
class ILqDataLinkSink : public virtual fw::IUnknown {
public:
    static constexpr fw::TGUID IID = fw::TGUID::Parse("{F10150F9-17E3-43B6-8C05-33283FF1B14E}");
    virtual void AttachItem(ILqItemLink* link) = 0;
    virtual void DetachItem(ILqItemLink* link) = 0;
};

// The class that a collection makes its objects of: a registered class whose
// constructor takes the collection.
using TLqCollectionItemClass = const fw::TClassInfo*;

class TLqCollection : public TLqOwnedPersistent {
public:
    explicit TLqCollection(TCustomLqListview* owner);
    ~TLqCollection() override;

    int Count() const { return m_list.Count(); }
    int VisibleCount() const { return m_visible_list.Count(); }
    TLqCollectionItemClass ItemClass() const { return m_item_class; }
    bool HideFromDFM() const { return m_hide_from_dfm; }
    void SetHideFromDFM(bool value) { m_hide_from_dfm = value; }
    intptr_t Tag() const { return m_tag; }
    void SetTag(intptr_t tag) { m_tag = tag; }
    bool ReIndexDisable() const { return m_reindex_count > 0; }
    void SetReIndexDisable(bool value);

    // The caller passes 0 <= index < Count.
    TLqCollectionItem* Items(int index) const
    {
        return static_cast<TLqCollectionItem*>(m_list.Items(index));
    }
    // Replaces the entry (range-checked); the replaced object is not freed.
    void SetItems(int index, TLqCollectionItem* item) { m_list.SetItems(index, item); }
    TLqCollectionItem* VisibleItems(int index) const;

    TLqCollectionItem* Add(fw::TObject* data);
    TLqCollectionItem* Insert(int index, fw::TObject* data);
    virtual void Delete(int index);
    void Exchange(int index1, int index2);
    void ReIndexItems(bool force);

    void DefineProperties(fw::TFiler* filer) override;
    virtual void DoItemAdd(TLqCollectionItem* item, int index);
    virtual void DoStructureChange();
    virtual TLqCollectionItem* FirstVisible() const;
    virtual TLqCollectionItem* LastVisible() const;
    virtual TLqCollectionItem* NextVisible(TLqCollectionItem* column) const;
    virtual TLqCollectionItem* PrevVisible(TLqCollectionItem* column) const;
    virtual void BeginUpdate(bool reindex);
    virtual void Clear(bool free_items = true);
    virtual void EndUpdate(bool invalidate = true);
    virtual void MakeAllVisible();
    virtual void ReadItems(fw::TStream* stream);
    virtual void WriteItems(fw::TStream* stream);

    fw::TList& List() { return m_list; }
    fw::TList& VisibleList() { return m_visible_list; }

protected:
    // Puts a new object of the class into the list at index (Count: at the end),
    // re-indexes and tells DoItemAdd; the caller sets Data and ends the structure change.
    TLqCollectionItem* put_new(TLqCollectionItem* item, int index);
    TLqCollectionItem* make_item(TLqCollectionItemClass item_class);
    // Makes an object of the class, puts it at index with its Data and ends the structure
    // change; NULL when the class makes nothing.
    TLqCollectionItem* insert_new(int index, TLqCollectionItemClass item_class, fw::TObject* data);
    // Whether an object of a class found in a stream belongs in this list.
    virtual bool accepts(TLqCollectionItem* /*item*/) const { return true; }
    void set_item_class(TLqCollectionItemClass item_class) { m_item_class = item_class; }

private:
    bool m_hide_from_dfm = false;
    fw::TList m_list;
    int m_reindex_count = 0;
    intptr_t m_tag = 0;
    fw::TList m_visible_list;
    TLqCollectionItemClass m_item_class;
};

class TLqCollectionItem : public TLqPersistent, public ILqItemLink {
public:
    explicit TLqCollectionItem(TLqCollection* collection);
    ~TLqCollectionItem() override;

    // ILqItemLink: a plain callback handle.
    HRESULT QueryInterface(const fw::TGUID& iid, void** object) override;
    LONG AddRef() override { return -1; }
    LONG Release() override { return -1; }
    void Invalidate(bool immediate_update) override;
    void UnlinkData() override;

    TLqCollection* Collection() const { return m_collection; }
    void SetCollection(TLqCollection* collection) { m_collection = collection; }
    TCustomLqListview* OwnerListview() const;
    fw::TObject* Data() const { return m_data; }
    virtual void SetData(fw::TObject* data) { m_data = data; }
    const fw::TInterfacePtr<fw::IUnknown>& DataInf() const { return m_data_inf; }
    void SetDataInf(const fw::TInterfacePtr<fw::IUnknown>& value);
    const fw::TRect& ViewRect() const { return m_display_rect; }
    void SetViewRect(const fw::TRect& rect) { m_display_rect = rect; }
    int RawIndex() const { return m_index; }
    void SetRawIndex(int index) { m_index = index; }
    virtual int Index() const;
    int VisibleIndex() const { return m_visible_index; }
    void SetVisibleIndex(int index) { m_visible_index = index; }
    uint16_t State() const { return m_state; }
    intptr_t Tag() const { return m_tag; }
    void SetTag(intptr_t tag) { m_tag = tag; }
    int RefCount() const { return m_ref_count; }
    bool OwnsPaintInfo() const { return m_owns_paint_info; }
    void SetOwnsPaintInfo(bool value) { m_owns_paint_info = value; }
    TLqPaintInfoBasic* PaintInfoBasic() const;
    void SetPaintInfoBasic(TLqPaintInfoBasic* info) { m_paint_info = info; }

    bool Has(TLqStorageObjectState state) const { return (m_state & LqStateBit(state)) != 0; }
    bool Bold() const { return Has(esosBold); }
    virtual bool Checked() const { return Has(esosChecked); }
    bool Cut() const { return Has(esosCut); }
    bool Destroying() const { return Has(esosDestroying); }
    bool Enabled() const { return Has(esosEnabled); }
    bool Focused() const { return Has(esosFocused); }
    bool Ghosted() const { return Has(esosGhosted); }
    bool Hilighted() const { return Has(esosHilighted); }
    bool Initialized() const { return Has(esosInitialized); }
    bool Selected() const { return Has(esosSelected); }
    bool Visible() const { return Has(esosVisible); }
    bool HotTracking() const { return Has(esosHotTracking); }
    bool CheckHovering() const { return Has(esosCheckHover); }
    bool CheckPending() const { return Has(esosCheckPending); }

    void SetBold(bool value);
    virtual void SetChecked(bool value);
    void SetCut(bool value) { set_plain(esosCut, value); }
    void SetEnabled(bool value);
    void SetFocused(bool value);
    void SetGhosted(bool value);
    void SetHilighted(bool value);
    virtual void SetInitialized(bool value);
    void SetSelected(bool value);
    void SetVisible(bool value);
    void SetHotTracking(fw::TPoint mouse_pos, bool value);
    void SetCheckHovering(bool value) { set_plain(esosCheckHover, value); }
    void SetCheckPending(bool value) { set_plain(esosCheckPending, value); }
    void MarkDestroying() { m_state |= LqStateBit(esosDestroying); }

    QString Caption() const { return GetCaptions(0); }
    void SetCaption(const QString& value) { SetCaptions(0, value); }
    int ImageIndex() const { return GetImageIndexes(0); }
    void SetImageIndex(int value) { SetImageIndexes(0, value); }
    int ImageOverlayIndex() const { return GetImageOverlayIndexes(0); }
    void SetImageOverlayIndex(int value) { SetImageOverlayIndexes(0, value); }
    // The caption, or the class name when the caption is empty.
    void GetDisplayName(QString& name) const;

    virtual bool AllowDrag(fw::TPoint viewport_point);
    virtual bool CanChangeBold(bool value) = 0;
    virtual bool CanChangeCheck(bool value) = 0;
    virtual bool CanChangeEnable(bool value) = 0;
    virtual bool CanChangeFocus(bool value) = 0;
    virtual bool CanChangeHotTracking(bool value) = 0;
    virtual bool CanChangeSelection(bool value) = 0;
    virtual bool CanChangeVisibility(bool value) = 0;
    virtual fw::TCustomImageList* GetDefaultImageList(TLqImageSize size) const;
    virtual TLqPaintInfoBasic* GetDefaultPaintInfo() const = 0;
    virtual void Freeing() = 0;
    virtual void GainingBold() = 0;
    virtual void GainingCheck() = 0;
    virtual void GainingEnable() = 0;
    virtual void GainingFocus() = 0;
    virtual void GainingGhosted() = 0;
    virtual void GainingHilight() = 0;
    virtual void GainingHotTracking(fw::TPoint mouse_pos) = 0;
    virtual void GainingSelection() = 0;
    virtual void GainingVisibility() = 0;
    virtual QString GetCaptions(int column) const = 0;
    virtual int GetImageIndexes(int column) const = 0;
    virtual int GetImageOverlayIndexes(int column) const = 0;
    virtual fw::TCustomImageList* GetImageList(int column, TLqImageSize size) = 0;
    virtual int DetailCount() const { return 0; }
    virtual int GetDetails(int /*line*/) const { return 0; }
    virtual void ImageDraw(int column, fw::TCanvas* canvas, const TLqRectArrayObject& rects,
                           TLqAlphaBlender* blender) = 0;
    virtual void ImageDrawGetSize(int column, int& width, int& height) = 0;
    virtual void ImageDrawIsCustom(int column, bool& is_custom) = 0;
    virtual void LosingBold() = 0;
    virtual void LosingGhosted() = 0;
    virtual void LosingHotTracking() = 0;
    virtual void ThumbnailDraw(fw::TCanvas* canvas, const fw::TRect& rect, TLqAlphaBlender* blender,
                               bool& do_default) = 0;
    virtual void Initialize() = 0;
    virtual void LosingCheck() = 0;
    virtual void LosingEnable() = 0;
    virtual void LosingFocus() = 0;
    virtual void LosingHilight() = 0;
    virtual void LosingSelection() = 0;
    virtual void LosingVisibility() = 0;
    virtual void SetCaptions(int column, const QString& value) = 0;
    virtual void SetDetailCount(int value) = 0;
    virtual void SetDetails(int line, int value) = 0;
    virtual void SetImageIndexes(int column, int value) = 0;
    virtual void SetImageOverlayIndexes(int column, int value) = 0;
    virtual bool EditAreaHitPt(fw::TPoint viewport_point) = 0;
    virtual bool SelectionHit(const fw::TRect& rect, TLqSelectHitType type) = 0;
    virtual bool SelectionHitPt(fw::TPoint viewport_point, TLqSelectHitType type) = 0;
    // The record of every object: marker, version, the stored states. A record without
    // the marker is read as version 2. The reader raises EReadError when the stream
    // ends early.
    virtual void LoadFromStream(fw::TStream* S, int& version);
    virtual void MakeVisible(TLqMakeVisiblePos position);
    virtual void SaveToStream(fw::TStream* S, int version);

protected:
    void set_bit(TLqStorageObjectState state, bool value)
    {
        if (value)
            m_state |= LqStateBit(state);
        else
            m_state &= static_cast<uint16_t>(~LqStateBit(state));
    }
    void set_plain(TLqStorageObjectState state, bool value);
    void notify_state_change();
    // The common end of every object's destruction, run by the concrete class's
    // destructor so that Freeing still reaches it: the object is marked destroying, its
    // data object detached, the hot-track manager's references to it cleared, and
    // Freeing raised.
    void base_destruction();

private:
    fw::TInterfacePtr<fw::IUnknown> m_accessible;
    TLqCollection* m_collection;
    fw::TObject* m_data = nullptr;
    fw::TInterfacePtr<fw::IUnknown> m_data_inf;
    fw::TRect m_display_rect;
    int m_index = 0;
    bool m_owns_paint_info = false;
    TLqPaintInfoBasic* m_paint_info = nullptr;
    int m_ref_count = 0;
    uint16_t m_state;
    intptr_t m_tag = 0;
    int m_visible_index = -1;
};

// The collection-item class registered under T's name, with its constructor taking
// the collection.
template <typename T>
TLqCollectionItemClass LqItemClass()
{
    static const TLqCollectionItemClass info = [] {
        fw::TClassInfo& found = fw::ClassOf<T>();
        found.template AddConstructor<T, TLqCollection*>();
        return &found;
    }();
    return info;
}

}

#endif
