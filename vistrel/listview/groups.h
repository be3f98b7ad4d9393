// Groups: each owns its item list, a grid that lays it out for the current view style,
// a view object and the list of its visible items in layout order. The control's
// group collection lays out the whole control (Rebuild), and walks and finds groups
// and items in every order, within a rectangle of the view or at a point.
#ifndef VISTREL_LISTVIEW_GROUPS_H
#define VISTREL_LISTVIEW_GROUPS_H

#include "listview/events.h"
#include "listview/persistent.h"

#include <memory>
#include <vector>

namespace vistrel::listview {

class TLqDynamicDataHelper;

class TLqGroup : public TLqCollectionItem {
public:
    explicit TLqGroup(TLqCollection* collection);
    ~TLqGroup() override;
    // Marks the group destroying, unselects it, frees its items with their
    // notifications and raises OnGroupFreeing while the group is still whole.
    void BeforeDestruction() override;

    TLqGroups* OwnerGroups() const;
    TLqItems* Items() const { return m_items.get(); }
    int ItemCount() const;
    // The caller passes 0 <= index < ItemCount.
    TLqItem* Item(int index) const;
    // Replaces the entry inside the list; elsewhere nothing. The old item is not freed.
    void SetItem(int index, TLqItem* item);
    int VisibleCount() const { return m_visible_items.Count(); }
    // nullptr outside 0 .. VisibleCount - 1.
    TLqItem* VisibleItem(int index) const;
    fw::TList& VisibleItems() { return m_visible_items; }
    bool Expanded() const { return m_expanded; }
    virtual void SetExpanded(bool value);
    uint32_t Key() const { return m_key; }
    void SetKey(uint32_t key) { m_key = key; }

    TLqGridGroup* Grid();
    TLqGridGroupClass GridClass();
    virtual TLqGridGroupClass GetDefaultGridClass();
    TLqViewGroup* View();
    TLqViewGroupClass ViewClass();
    virtual TLqViewGroupClass GetDefaultViewClass();
    TLqPaintInfoGroup* PaintInfo() const;
    void Rebuild(TLqGroup* prev_group, int& next_visible_item_index);
    // Paints one margin (or the background or foreground over the whole group) through
    // the group's view; the rectangle is in view coordinates.
    void Paint(TLqGroupMarginEdge edge, const fw::TRect& obj_rect, fw::TCanvas* canvas);

    // Rectangles in view coordinates.
    fw::TRect ClientRect() const;
    fw::TRect BoundsRectBkGnd() const;
    fw::TRect BoundsRectTopMargin() const;
    fw::TRect BoundsRectBottomMargin() const;
    fw::TRect BoundsRectLeftMargin() const;
    fw::TRect BoundsRectRightMargin() const;
    // The effective sizes: Size when visible and the control shows margins, else 0.
    int MarginTopSize() const;
    int MarginBottomSize() const;
    int MarginLeftSize() const;
    int MarginRightSize() const;

    // The first item in list order whose rectangle holds the point, hidden or not.
    TLqItem* ItemByPoint(fw::TPoint viewport_point) const;
    bool HitTestAt(fw::TPoint viewport_point, TLqGroupHitTestInfoSet& hit_info);

    bool CanChangeBold(bool value) override;
    bool CanChangeCheck(bool value) override;
    bool CanChangeEnable(bool value) override;
    bool CanChangeFocus(bool value) override;
    bool CanChangeHotTracking(bool value) override;
    bool CanChangeSelection(bool value) override;
    bool CanChangeVisibility(bool value) override;
    TLqPaintInfoBasic* GetDefaultPaintInfo() const override;
    fw::TCustomImageList* GetDefaultImageList(TLqImageSize size) const override;
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
    fw::TCustomImageList* GetImageList(int column, TLqImageSize size) override;
    void ImageDraw(int column, fw::TCanvas* canvas, const TLqRectArrayObject& rects,
                   TLqAlphaBlender* blender) override;
    void ImageDrawGetSize(int column, int& width, int& height) override;
    void ImageDrawIsCustom(int column, bool& is_custom) override;
    void ThumbnailDraw(fw::TCanvas*, const fw::TRect&, TLqAlphaBlender*, bool&) override {}
    void LoadFromStream(fw::TStream* S, int& version) override;
    void SaveToStream(fw::TStream* S, int version) override;

private:
    bool m_expanded = true;
    std::unique_ptr<TLqGridGroup> m_grid;
    std::unique_ptr<TLqItems> m_items;
    uint32_t m_key = 0;
    std::unique_ptr<TLqViewGroup> m_view;
    fw::TList m_visible_items;
};

class TLqBaseGroupStored : public TLqGroup {
public:
    explicit TLqBaseGroupStored(TLqCollection* collection);
    ~TLqBaseGroupStored() override;

    TLqDynamicDataHelper* DataHelper() const { return m_data_helper.get(); }
    QString GetCaptions(int column) const override;
    void SetCaptions(int column, const QString& value) override;
    int GetImageIndexes(int column) const override;
    void SetImageIndexes(int column, int value) override;
    int GetImageOverlayIndexes(int column) const override;
    void SetImageOverlayIndexes(int column, int value) override;
    int DetailCount() const override;
    void SetDetailCount(int value) override;
    int GetDetails(int line) const override;
    void SetDetails(int line, int value) override;
    void LoadFromStream(fw::TStream* S, int& version) override;
    void SaveToStream(fw::TStream* S, int version) override;

private:
    std::unique_ptr<TLqDynamicDataHelper> m_data_helper;
};

class TLqGroupStored : public TLqBaseGroupStored {
public:
    using TLqBaseGroupStored::TLqBaseGroupStored;
};

class TLqGroupVirtual : public TLqGroup {
public:
    using TLqGroup::TLqGroup;
    QString GetCaptions(int column) const override;
    void SetCaptions(int column, const QString& value) override;
    int GetImageIndexes(int column) const override;
    void SetImageIndexes(int column, int value) override;
    int GetImageOverlayIndexes(int column) const override;
    void SetImageOverlayIndexes(int column, int value) override;
    fw::TCustomImageList* GetImageList(int column, TLqImageSize size) override;
    int DetailCount() const override;
    void SetDetailCount(int value) override;
    int GetDetails(int line) const override;
    void SetDetails(int line, int value) override;
};

class TLqGroupInterfaced : public TLqGroup {
public:
    using TLqGroup::TLqGroup;
    QString GetCaptions(int column) const override;
    void SetCaptions(int column, const QString& value) override;
    int GetImageIndexes(int column) const override;
    void SetImageIndexes(int column, int value) override;
    int GetImageOverlayIndexes(int column) const override;
    void SetImageOverlayIndexes(int column, int value) override;
    fw::TCustomImageList* GetImageList(int column, TLqImageSize size) override;
    int DetailCount() const override;
    void SetDetailCount(int value) override;
    int GetDetails(int line) const override;
    void SetDetails(int line, int value) override;
    void ImageDraw(int column, fw::TCanvas* canvas, const TLqRectArrayObject& rects,
                   TLqAlphaBlender* blender) override;
    void ImageDrawGetSize(int column, int& width, int& height) override;
    void ImageDrawIsCustom(int column, bool& is_custom) override;
};

class TLqGroups : public TLqCollection {
public:
    explicit TLqGroups(TCustomLqListview* owner);
    ~TLqGroups() override;

    TLqGroup* Groups(int index) const { return static_cast<TLqGroup*>(Items(index)); }
    bool Rebuilding() const { return m_rebuilding; }
    bool StreamGroups() const { return m_stream_groups; }
    void SetStreamGroups(bool value) { m_stream_groups = value; }
    // nullptr outside 0 .. VisibleCount - 1.
    TLqGroup* VisibleGroup(int index) const;

    TLqGroup* Add(fw::TObject* data);
    TLqGroup* Insert(int index, fw::TObject* data);
    TLqGroup* AddVirtual(fw::TObject* data);
    TLqGroup* InsertVirtual(int index, fw::TObject* data);
    TLqGroup* AddCustom(TLqCollectionItemClass custom_group, fw::TObject* data);
    TLqGroup* InsertCustom(int index, TLqCollectionItemClass custom_group, fw::TObject* data);
    TLqGroup* AddInterfaced(const fw::TInterfacePtr<fw::IUnknown>& data_inf, fw::TObject* data);
    TLqGroup* InsertInterfaced(int index, const fw::TInterfacePtr<fw::IUnknown>& data_inf,
                               fw::TObject* data);
    void Clear(bool free_items = true) override;
    void DeleteGroup(TLqGroup* group);
    // Deletes the item wherever it is, also in a collapsed or disabled group.
    void DeleteItem(TLqItem* item);
    void DeleteItems(const std::vector<TLqItem*>& items);
    void ExpandAll();
    void CollapseAll();
    void MakeAllVisible() override;
    void InitializeAll();
    void UnInitializeAll();
    void InvalidateItem(TLqItem* item, bool immediate_update);
    int CellWidth() const;
    int CellHeight() const;
    void SetCellWidth(int value);
    void SetCellHeight(int value);
    int ItemCount() const;
    int VisibleItemCount() const;
    fw::TRect ViewRect() const;
    virtual void Rebuild(bool force);
    void LoadFromStream(fw::TStream* S, int version) override;
    void SaveToStream(fw::TStream* S, int version) override;
    void Move(TLqItem* item, TLqGroup* new_group);
    void Move(TLqGroup* group, int from_index, int to_index);
    void Move(int from_index, int to_index);
    void DoStructureChange() override;

    // ---- Walks over groups
    TLqGroup* FirstGroup() const;
    TLqGroup* LastGroup() const;
    TLqGroup* FirstVisibleGroup() const;
    TLqGroup* LastVisibleGroup() const;
    TLqGroup* NextGroup(TLqGroup* group) const;
    TLqGroup* PrevGroup(TLqGroup* group) const;
    TLqGroup* NextVisibleGroup(TLqGroup* group) const;
    TLqGroup* PrevVisibleGroup(TLqGroup* group) const;
    TLqGroup* NextVisibleGroupWithVisibleItems(TLqGroup* group) const;
    TLqGroup* PrevVisibleGroupWithVisibleItems(TLqGroup* group) const;

    // ---- Walks over the items of one group
    TLqItem* FirstInGroup(TLqGroup* group) const;
    TLqItem* LastInGroup(TLqGroup* group) const;
    TLqItem* FirstVisibleInGroup(TLqGroup* group) const;
    TLqItem* LastVisibleInGroup(TLqGroup* group) const;
    TLqItem* NextInGroup(TLqGroup* group, TLqItem* item) const;
    TLqItem* PrevInGroup(TLqGroup* group, TLqItem* item) const;
    TLqItem* NextVisibleInGroup(TLqGroup* group, TLqItem* item) const;
    TLqItem* PrevVisibleInGroup(TLqGroup* group, TLqItem* item) const;

    // ---- Walks over the items of all groups
    TLqItem* FirstItem() const;
    TLqItem* LastItem() const;
    TLqItem* FirstVisibleItem() const;
    TLqItem* LastVisibleItem() const;
    TLqItem* FirstInitializedItem() const;
    TLqItem* LastInitializedItem() const;
    TLqItem* NextItem(TLqItem* item) const;
    TLqItem* PrevItem(TLqItem* item) const;
    TLqItem* NextVisibleItem(TLqItem* item) const;
    TLqItem* PrevVisibleItem(TLqItem* item) const;
    TLqItem* NextInitializedItem(TLqItem* item) const;
    TLqItem* PrevInitializedItem(TLqItem* item) const;
    TLqItem* NextEditableItem(TLqItem* item) const;
    TLqItem* PrevEditableItem(TLqItem* item) const;

    // ---- Rectangles and points
    TLqGroup* FirstGroupInRect(const fw::TRect& viewport_rect) const;
    TLqGroup* NextGroupInRect(TLqGroup* group, const fw::TRect& viewport_rect) const;
    TLqItem* FirstItemInRect(const fw::TRect& viewport_rect) const;
    TLqItem* NextItemInRect(TLqItem* item, const fw::TRect& viewport_rect) const;
    TLqGroup* GroupByPoint(fw::TPoint viewport_point) const;
    TLqItem* ItemByPoint(fw::TPoint viewport_point) const;
    TLqItem* AdjacentItem(TLqItem* item, TLqAdjacentCellDir direction) const;

protected:
    bool accepts(TLqCollectionItem* item) const override;

private:
    TLqGroup* insert_class(int index, TLqCollectionItemClass group_class, fw::TObject* data);
    enum class Kind {
        Any,
        Visible,
        Initialized,
        Editable
    };
    TLqItem* first_of_kind(Kind kind) const;
    TLqItem* last_of_kind(Kind kind) const;
    TLqItem* walk(TLqItem* item, Kind kind, int step) const;
    bool has_kind(TLqItem* item, Kind kind) const;
    fw::TRect item_test_rect(TLqItem* item) const;

    bool m_rebuilding = false;
    bool m_stream_groups = true;
};

}

#endif
