// Items: one entry of the list-view control, living in its group's item list. Stored
// items keep their data (captions, details, image indexes, group keys, state images,
// per column) in arrays of their own; virtual items ask the control's events for it at
// every access; interfaced items ask a data object's interfaces. The control's Items
// make the items of all groups look like one list indexed from 0.
#ifndef VISTREL_LISTVIEW_ITEMS_H
#define VISTREL_LISTVIEW_ITEMS_H

#include "listview/events.h"
#include "listview/persistent.h"

#include <QtCore/QVariant>

#include <memory>
#include <vector>

namespace vistrel::listview {

class TLqSelectionGroupList;

// The per-column data of stored groups: captions, details, image and overlay indexes
// and group keys. Reading beyond an array gives its default; writing lengthens it.
class TLqDynamicDataHelper {
public:
    virtual ~TLqDynamicDataHelper() = default;
    virtual void LoadFromStream(fw::TStream* S, int version);
    virtual void SaveToStream(fw::TStream* S, int version);

    QString Caption(int column) const;
    void SetCaption(int column, const QString& value);
    int Detail(int line) const { return get(m_details, line, 0); }
    void SetDetail(int line, int value) { put(m_details, line, value, 0); }
    int ImageIndex(int column) const { return get(m_image_indexes, column, -1); }
    void SetImageIndex(int column, int value) { put(m_image_indexes, column, value, -1); }
    int OverlayIndex(int column) const { return get(m_overlay_indexes, column, -1); }
    void SetOverlayIndex(int column, int value) { put(m_overlay_indexes, column, value, -1); }
    uint32_t GroupKey(int column) const
    {
        return static_cast<uint32_t>(get(m_group_keys, column, 0xFFFF));
    }
    void SetGroupKey(int column, uint32_t value)
    {
        put(m_group_keys, column, static_cast<int32_t>(value), 0xFFFF);
    }
    int CaptionCount() const { return static_cast<int>(m_captions.size()); }
    // Empties the captions, details, image and overlay indexes.
    void Clear();

protected:
    static int32_t get(const std::vector<int32_t>& array, int index, int32_t fallback);
    static void put(std::vector<int32_t>& array, int index, int32_t value, int32_t fill);
    static void read_array(fw::TStream* S, std::vector<int32_t>& array);
    static void write_array(fw::TStream* S, const std::vector<int32_t>& array);

    std::vector<QString> m_captions;
    std::vector<int32_t> m_details;
    std::vector<int32_t> m_group_keys;
    std::vector<int32_t> m_image_indexes;
    std::vector<int32_t> m_overlay_indexes;
};

// The data of a stored item: the group's arrays and the state images.
class TLqItemDynamicDataHelper : public TLqDynamicDataHelper {
public:
    void LoadFromStream(fw::TStream* S, int version) override;
    void SaveToStream(fw::TStream* S, int version) override;
    int StateImageIndex(int column) const { return get(m_state_images, column, -1); }
    void SetStateImageIndex(int column, int value) { put(m_state_images, column, value, -1); }

private:
    std::vector<int32_t> m_state_images;
};

class TLqItem : public TLqCollectionItem {
public:
    explicit TLqItem(TLqCollection* collection);
    ~TLqItem() override;
    // Marks the item destroying, drops the managers' references to it, hides it (focus,
    // selection and check go with their notifications) and raises OnItemFreeing, while
    // the item is still whole.
    void BeforeDestruction() override;

    TLqItems* OwnerItems() const;
    TLqGroup* OwnerGroup() const;
    int Index() const override { return RawIndex(); }
    int VisibleIndexInGroup() const { return m_visible_index_in_group; }
    void SetVisibleIndexInGroup(int index) { m_visible_index_in_group = index; }
    int ColumnPos() const;
    int RowPos() const;
    TLqViewItem* View();
    TLqViewItemClass ViewClass();
    virtual TLqViewItemClass GetDefaultViewClass();
    TLqPaintInfoItem* PaintInfo() const;
    void ItemRectArray(TLqColumn* column, fw::TCanvas* canvas, TLqRectArrayObject& rects);
    // Paints the item through its view (a column: that cell of a report row).
    void Paint(fw::TCanvas* canvas, const fw::TRect& viewport_clip_rect, TLqColumn* column,
               bool force_selection_rect_draw);
    bool HitTestAt(fw::TPoint viewport_point, TLqItemHitTestInfoSet& hit_info);
    void MakeVisible(TLqMakeVisiblePos position) override;
    void Invalidate(bool immediate_update) override;

    // Paint-info-backed properties: the item's paint information (the control's shared
    // one unless the item owns one).
    int Border() const;
    void SetBorder(int value);
    int CaptionIndent() const;
    void SetCaptionIndent(int value);
    fw::TColor BorderColor() const;
    void SetBorderColor(fw::TColor value);

    TLqSelectionGroupList* SelectionGroup() const { return m_selection_group; }
    // Holds one reference of the group; the one held before is released.
    void SetSelectionGroup(TLqSelectionGroupList* group);
    void ReleaseSelectionGroup();

    virtual uint32_t GetGroupKey(int column) const;
    virtual void SetGroupKey(int column, uint32_t key);
    int StateImageIndex() const { return GetStateImageIndexes(0); }
    void SetStateImageIndex(int value) { SetStateImageIndexes(0, value); }
    virtual int GetStateImageIndexes(int column) const = 0;
    virtual void SetStateImageIndexes(int column, int value) = 0;
    virtual fw::TCustomImageList* GetStateImageList(int column) = 0;

    bool AllowDrag(fw::TPoint viewport_point) override;
    bool CanChangeBold(bool value) override;
    bool CanChangeCheck(bool value) override;
    bool CanChangeEnable(bool value) override;
    bool CanChangeFocus(bool value) override;
    bool CanChangeHotTracking(bool value) override;
    bool CanChangeSelection(bool value) override;
    bool CanChangeVisibility(bool value) override;
    TLqPaintInfoBasic* GetDefaultPaintInfo() const override;
    void Freeing() override;
    void GainingBold() override;
    void GainingCheck() override;
    void GainingEnable() override;
    void GainingFocus() override;
    void GainingGhosted() override;
    void GainingHilight() override;
    void GainingHotTracking(fw::TPoint mouse_pos) override;
    void GainingSelection() override;
    void GainingVisibility() override;
    void LosingBold() override;
    void LosingGhosted() override;
    void LosingHotTracking() override;
    void Initialize() override;
    void LosingCheck() override;
    void LosingEnable() override;
    void LosingFocus() override;
    void LosingHilight() override;
    void LosingSelection() override;
    void LosingVisibility() override;
    bool EditAreaHitPt(fw::TPoint viewport_point) override;
    bool SelectionHit(const fw::TRect& rect, TLqSelectHitType type) override;
    bool SelectionHitPt(fw::TPoint viewport_point, TLqSelectHitType type) override;
    void LoadFromStream(fw::TStream* S, int& version) override;
    void SaveToStream(fw::TStream* S, int version) override;

    // The events' default data, shared by stored and virtual items.
    fw::TCustomImageList* GetImageList(int column, TLqImageSize size) override;
    void ImageDraw(int column, fw::TCanvas* canvas, const TLqRectArrayObject& rects,
                   TLqAlphaBlender* blender) override;
    void ImageDrawGetSize(int column, int& width, int& height) override;
    void ImageDrawIsCustom(int column, bool& is_custom) override;
    void ThumbnailDraw(fw::TCanvas* canvas, const fw::TRect& rect, TLqAlphaBlender* blender,
                       bool& do_default) override;

private:
    TLqSelectionGroupList* m_selection_group = nullptr;
    std::unique_ptr<TLqViewItem> m_view;
    int m_visible_index_in_group = -1;
};

class TLqItemStored : public TLqItem {
public:
    explicit TLqItemStored(TLqCollection* collection);
    ~TLqItemStored() override;

    TLqItemDynamicDataHelper* DataHelper() const { return m_data_helper.get(); }
    QString GetCaptions(int column) const override;
    void SetCaptions(int column, const QString& value) override;
    int GetImageIndexes(int column) const override;
    void SetImageIndexes(int column, int value) override;
    int GetImageOverlayIndexes(int column) const override;
    void SetImageOverlayIndexes(int column, int value) override;
    int GetStateImageIndexes(int column) const override;
    void SetStateImageIndexes(int column, int value) override;
    fw::TCustomImageList* GetStateImageList(int column) override;
    int DetailCount() const override;
    void SetDetailCount(int value) override;
    int GetDetails(int line) const override;
    void SetDetails(int line, int value) override;
    uint32_t GetGroupKey(int column) const override;
    void SetGroupKey(int column, uint32_t key) override;
    void LoadFromStream(fw::TStream* S, int& version) override;
    void SaveToStream(fw::TStream* S, int version) override;

private:
    std::unique_ptr<TLqItemDynamicDataHelper> m_data_helper;
};

class TLqItemVirtual : public TLqItem {
public:
    using TLqItem::TLqItem;

    QString GetCaptions(int column) const override;
    void SetCaptions(int column, const QString& value) override;
    int GetImageIndexes(int column) const override;
    void SetImageIndexes(int column, int value) override;
    int GetImageOverlayIndexes(int column) const override;
    void SetImageOverlayIndexes(int column, int value) override;
    int GetStateImageIndexes(int column) const override;
    void SetStateImageIndexes(int column, int value) override;
    fw::TCustomImageList* GetImageList(int column, TLqImageSize size) override;
    fw::TCustomImageList* GetStateImageList(int column) override;
    int DetailCount() const override;
    void SetDetailCount(int value) override;
    int GetDetails(int line) const override;
    void SetDetails(int line, int value) override;
    uint32_t GetGroupKey(int column) const override;
    void SetGroupKey(int column, uint32_t key) override;

private:
    int image_index(int column, TLqImageKind kind) const;
    void set_image_index(int column, TLqImageKind kind, int value);
};

class TLqItemInterfaced : public TLqItem {
public:
    using TLqItem::TLqItem;

    // The object behind the data interface when it offers one (ILqDataObject).
    fw::TObject* ExtractObject() const;
    bool Checked() const override;
    void SetChecked(bool value) override;
    QString GetCaptions(int column) const override;
    void SetCaptions(int column, const QString& value) override;
    int GetImageIndexes(int column) const override;
    void SetImageIndexes(int column, int value) override;
    int GetImageOverlayIndexes(int column) const override;
    void SetImageOverlayIndexes(int column, int value) override;
    int GetStateImageIndexes(int column) const override;
    void SetStateImageIndexes(int column, int value) override;
    fw::TCustomImageList* GetImageList(int column, TLqImageSize size) override;
    fw::TCustomImageList* GetStateImageList(int column) override;
    int DetailCount() const override;
    void SetDetailCount(int value) override;
    int GetDetails(int line) const override;
    void SetDetails(int line, int value) override;
    uint32_t GetGroupKey(int column) const override;
    void SetGroupKey(int column, uint32_t key) override;
    void ImageDraw(int column, fw::TCanvas* canvas, const TLqRectArrayObject& rects,
                   TLqAlphaBlender* blender) override;
    void ImageDrawGetSize(int column, int& width, int& height) override;
    void ImageDrawIsCustom(int column, bool& is_custom) override;
    void ThumbnailDraw(fw::TCanvas* canvas, const fw::TRect& rect, TLqAlphaBlender* blender,
                       bool& do_default) override;

private:
    int image_index(int column, TLqImageKind kind) const;
    void set_image_index(int column, TLqImageKind kind, int value);
};

// The items of one group.
class TLqItems : public TLqCollection {
public:
    TLqItems(TCustomLqListview* owner, TLqGroup* owner_group);
    ~TLqItems() override;

    TLqGroup* OwnerGroup() const { return m_owner_group; }
    TLqItem* Items(int index) const { return static_cast<TLqItem*>(TLqCollection::Items(index)); }
    TLqItem* Add(fw::TObject* data);
    TLqItem* Insert(int index, fw::TObject* data);
    TLqItem* AddVirtual(fw::TObject* data);
    TLqItem* InsertVirtual(int index, fw::TObject* data);
    TLqItem* AddCustom(TLqCollectionItemClass custom_item, fw::TObject* data);
    TLqItem* InsertCustom(int index, TLqCollectionItemClass custom_item, fw::TObject* data);
    TLqItem* AddInterfaced(const fw::TInterfacePtr<fw::IUnknown>& data_inf, fw::TObject* data);
    TLqItem* InsertInterfaced(int index, const fw::TInterfacePtr<fw::IUnknown>& data_inf,
                              fw::TObject* data);
    void Delete(int index) override;
    void Clear(bool free_items = true) override;
    void DoStructureChange() override;

protected:
    bool accepts(TLqCollectionItem* item) const override;

private:
    TLqItem* insert_class(int index, TLqCollectionItemClass item_class, fw::TObject* data);

    TLqGroup* m_owner_group;
};

// All items of the control's groups as one list, indexed from 0 in group order.
class TLqGlobalItems {
public:
    explicit TLqGlobalItems(TCustomLqListview* owner) : m_owner(owner) {}

    TCustomLqListview* OwnerListview() const { return m_owner; }
    int Count() const;
    // Raises EListError "List index out of bounds (%d)" outside 0 .. Count - 1.
    TLqItem* Items(int index) const;
    int GetCount() const { return Count(); }
    TLqItem* GetItem(int index) const { return Items(index); }
    // The item at the global index, nullptr at or beyond Count; a negative index raises.
    TLqItem* FindItem(int index) const;
    int IndexOf(const TLqItem* item) const;
    // A group captioned "Default Group" when the control has none.
    void EnsureGroup();
    TLqItem* Add(fw::TObject* data);
    TLqItem* AddVirtual(fw::TObject* data);
    TLqItem* AddCustom(TLqCollectionItemClass custom_item, fw::TObject* data);
    TLqItem* AddInterfaced(const fw::TInterfacePtr<fw::IUnknown>& data_inf, fw::TObject* data);
    TLqItem* Insert(int index, fw::TObject* data);
    TLqItem* InsertVirtual(int index, fw::TObject* data);
    TLqItem* InsertCustom(int index, TLqCollectionItemClass custom_item, fw::TObject* data);
    TLqItem* InsertInterfaced(int index, const fw::TInterfacePtr<fw::IUnknown>& data_inf,
                              fw::TObject* data);
    void Clear();
    void Delete(int index, bool reindex = true);
    // Raises "exchange of items between different groups is not yet supported" for
    // items of two groups.
    void Exchange(int index1, int index2);
    void SetReIndexDisable(bool value);

private:
    TCustomLqListview* m_owner;
};

}

#endif
