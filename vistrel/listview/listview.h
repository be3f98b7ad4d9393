// The owner-drawn list-view control: it owns the groups with their items, the header
// with its columns, the cell sizes, the paint information and one manager per concern;
// it switches views, locks and unlocks updates, saves and loads its content, and raises
// every event through one virtual dispatcher each (Do and the event name without On).
//
// Layout work (rebuilding the groups) is skipped while the update lock is held, while
// the control loads and while it has no window; DoUpdate catches up at the end of an
// update, at window creation and after loading.
#ifndef VISTREL_LISTVIEW_LISTVIEW_H
#define VISTREL_LISTVIEW_LISTVIEW_H

#include "listview/canvas_control.h"
#include "listview/events.h"

#include <memory>

namespace fw {
class TPopupMenu;
}

namespace vistrel::listview {

// The callback message of a worker thread as the control receives it.
struct TWMThreadRequest {
    UINT Msg = 0;
    int RequestID = 0;
    fw::TObject* Request = nullptr;
    LRESULT Result = 0;
};

class TLqGestureManager;
class TLqHotTrackManager;
class TLqBackgroundManager;
class TLqScrollbarManager;
class TLqDropTargetManager;
class TLqDragRectManager;
class TLqOLEDragManager;
class TLqCheckManager;
class TLqHeader;
class TLqEditManager;
class TLqGlobalImageManager;
class TLqCellSizes;
class TLqSortManager;
class TLqIncrementalSearchManager;
struct TLqHintInfoRec;

class TCustomLqListview : public TLqCommonCanvasControl, public TLqListviewEvents {
public:
    // The control's own double-click event, not the framework's.
    using TLqListviewEvents::OnDblClick;

    explicit TCustomLqListview(fw::TComponent* owner);
    ~TCustomLqListview() override;
    // Frees the groups and columns with their notifications while the control is
    // whole; the control then counts as being destroyed.
    void BeforeDestruction() override;

    // ---- Owned objects
    TLqGestureManager* Gesture() const { return m_gesture.get(); }
    fw::TFont* GroupFont() const { return m_group_font.get(); }
    virtual TLqPaintInfoColumn* GetPaintInfoColumn() const;
    virtual TLqPaintInfoGroup* GetPaintInfoGroup() const;
    virtual TLqPaintInfoItem* GetPaintInfoItem() const;
    // Takes the object over and frees the one held before.
    virtual void SetPaintInfoColumn(TLqPaintInfoColumn* info);
    virtual void SetPaintInfoGroup(TLqPaintInfoGroup* info);
    virtual void SetPaintInfoItem(TLqPaintInfoItem* info);
    TLqHotTrackManager* HotTrack() const { return m_hot_track.get(); }
    TLqBackgroundManager* BackGround() const { return m_background.get(); }
    void SetBackGround(TLqBackgroundManager* manager);
    TLqScrollbarManager* Scrollbars() const { return m_scrollbars.get(); }
    TLqDragRectManager* DragRect() const { return m_drag_rect.get(); }
    TLqOLEDragManager* DragManager() const { return m_drag_manager.get(); }
    TLqCheckManager* CheckManager() const { return m_check_manager.get(); }
    TLqSelectionManager* Selection() const { return m_selection.get(); }
    void SetSelection(TLqSelectionManager* selection);
    TLqGroups* Groups() const { return m_groups.get(); }
    TLqHeader* Header() const { return m_header.get(); }
    TLqEditManager* EditManager() const { return m_edit_manager.get(); }
    TLqGlobalImageManager* GlobalImages() const { return m_global_images.get(); }
    TLqHintInfo* HintInfo() const { return m_hint_info.get(); }
    TLqCellSizes* CellSizes() const { return m_cell_sizes.get(); }
    TLqSortManager* Sort() const { return m_sort.get(); }
    fw::TBitmap* GroupCollapseButton() const { return m_group_collapse_button.get(); }
    fw::TBitmap* GroupExpandButton() const { return m_group_expand_button.get(); }
    void SetGroupCollapseButton(fw::TBitmap* bitmap);
    void SetGroupExpandButton(fw::TBitmap* bitmap);
    TLqGlobalItems* Items() const { return m_items.get(); }
    TLqIncrementalSearchManager* IncrementalSearch() const { return m_incremental_search.get(); }
    // The scratch canvas while the window exists, else none.
    fw::TCanvas* ScratchCanvas();

    // ---- Properties
    bool AllowHiddenCheckedItems() const { return m_allow_invisible_checked_items; }
    void SetAllowHiddenCheckedItems(bool value) { m_allow_invisible_checked_items = value; }
    uint8_t DisabledBlendAlpha() const { return m_disabled_blend_alpha; }
    void SetDisabledBlendAlpha(uint8_t value) { m_disabled_blend_alpha = value; }
    fw::TColor DisabledBlendColor() const { return m_disabled_blend_color; }
    void SetDisabledBlendColor(fw::TColor value) { m_disabled_blend_color = value; }
    fw::TAlignment HintAlignment() const { return m_hint_alignment; }
    void SetHintAlignment(fw::TAlignment value) { m_hint_alignment = value; }
    TLqHintType HintType() const;
    void SetHintType(TLqHintType value);
    fw::TCustomImageList* ImagesExLarge() const { return m_images_ex_large; }
    fw::TCustomImageList* ImagesGroup() const { return m_images_group; }
    fw::TCustomImageList* ImagesLarge() const { return m_images_large; }
    fw::TCustomImageList* ImagesSmall() const { return m_images_small; }
    fw::TCustomImageList* ImagesState() const { return m_images_state; }
    void SetImagesExLarge(fw::TCustomImageList* list) { set_images(m_images_ex_large, list); }
    void SetImagesGroup(fw::TCustomImageList* list) { set_images(m_images_group, list); }
    void SetImagesLarge(fw::TCustomImageList* list) { set_images(m_images_large, list); }
    void SetImagesSmall(fw::TCustomImageList* list) { set_images(m_images_small, list); }
    void SetImagesState(fw::TCustomImageList* list) { set_images(m_images_state, list); }
    fw::TPopupMenu* PopupMenuHeader() const { return m_popup_menu_header; }
    void SetPopupMenuHeader(fw::TPopupMenu* menu) { m_popup_menu_header = menu; }
    bool ShowGroupMargins() const { return m_show_group_margins; }
    void SetShowGroupMargins(bool value);
    bool ShowImages() const { return m_show_images; }
    void SetShowImages(bool value);
    bool ShowInactive() const { return m_show_inactive; }
    void SetShowInactive(bool value);
    TLqControlStates States() const { return m_states; }
    void IncludeState(TLqControlState state) { m_states.Include(state); }
    void ExcludeState(TLqControlState state) { m_states.Exclude(state); }
    TLqListStyle View() const { return m_view; }
    virtual void SetView(TLqListStyle value);
    TLqDefaultWheelScroll WheelMouseDefaultScroll() const { return m_wheel_mouse_default_scroll; }
    void SetWheelMouseDefaultScroll(TLqDefaultWheelScroll value)
    {
        m_wheel_mouse_default_scroll = value;
    }
    bool WheelMouseScrollModifierEnabled() const { return m_wheel_mouse_scroll_modifier_enabled; }
    void SetWheelMouseScrollModifierEnabled(bool value)
    {
        m_wheel_mouse_scroll_modifier_enabled = value;
    }
    bool Destroying() const { return ComponentState().Contains(fw::csDestroying); }

    // ---- Views and geometry
    bool IsThumbnailView() const;
    bool IsVertView() const;
    bool ScrollHeaderHorz() const;
    bool HeaderInView() const;
    // The header's height in the view: its height when it takes part and is visible.
    int HeaderHeightInView() const;
    virtual bool IsGrouped() const;
    fw::TRect ClientInViewportCoords() const;
    TLqItem* TopItem() const;
    // The small-icon, list and grid views' cells follow their captions from now on.
    void AutoFitAllCellCaptions(bool visible_only);

    // ---- Painting (painting.cpp)
    // With reset_clip the canvas's clip region is removed first; then the header band
    // (client rows 0 .. header height in view - 1) is cut out of it, so that nothing
    // drawn afterwards reaches the header. The window origin is left as it was.
    void ClipHeader(fw::TCanvas* canvas, bool reset_clip);

    // ---- Operations
    void ClearCutMarks();
    void MarkSelectedAsCut();
    virtual void CopyToClipboard();
    virtual void CutToClipboard();
    virtual void PasteFromClipboard();
    virtual void LoadFromStream(fw::TStream* S);
    virtual void SaveToStream(fw::TStream* S);
    void LoadFromFile(const QString& file_name, uint16_t mode);
    void SaveToFile(const QString& file_name, uint16_t mode);
    virtual bool AllowDragImage() { return true; }
    virtual void TakeFocus();
    void Dispatch(fw::TMessage& message) override;

    // ---- Mouse and keyboard input
    // A window point in view coordinates, the header accounted for.
    fw::TPoint ViewPoint(fw::TPoint window_point) const;
    // The group at the point, or none (hit information empty).
    TLqGroup* GroupHitTest(fw::TPoint viewport_point, TLqGroupHitTestInfoSet& hit_info) const;
    // The item at the point in the group (the group at the point when none is given),
    // or none.
    TLqItem* ItemHitTest(fw::TPoint viewport_point, TLqGroup* group,
                         TLqItemHitTestInfoSet& hit_info) const;
    bool IsExpandButtonHit(TLqGroupHitTestInfoSet hit_info) const
    {
        return hit_info.Contains(egtOnExpandButton);
    }
    // Whether a mouse message at the client position belongs to the header; while a
    // drag runs only when forced.
    bool IsHeaderMouseMsg(fw::TPoint client_pos, bool force);
    bool IsDragActive() const;
    void ClearMouseStates();
    void ClearDragStates();
    void ClearPendingDrag();
    void BeginDragPending(TLqItem* hit_item, fw::TPoint window_point, bool try_drag_rect,
                          bool try_ole_drag, TLqCommonKeyStates keys);
    void FinishDrag(fw::TPoint window_point, TLqCommonKeyStates keys);
    // Focuses the item (selecting by the held keys) and scrolls it into view.
    void MoveFocusTo(TLqItem* target);
    // Whether the item's caption does not fit its text rectangle; Text is the caption then.
    bool CaptionNeedsTip(TLqItem* item, QString& text);
    fw::TPoint LastMousePos() const { return m_last_mouse_pos; }
    bool DoMouseWheel(fw::TShiftState shift, int wheel_delta, fw::TPoint mouse_pos) override;
    bool DoMouseWheelDown(fw::TShiftState shift, fw::TPoint mouse_pos) override;
    bool DoMouseWheelUp(fw::TShiftState shift, fw::TPoint mouse_pos) override;

    // ---- Dispatchers, in their virtual order
    virtual void DoAfterPaint(fw::TCanvas* canvas, const fw::TRect& clip_rect);
    virtual void DoAutoGroupGetKey(TLqItem* item, int column_index, TLqGroups* groups,
                                   uint32_t& key);
    virtual void DoAutoSortGroupCreate(TLqItem* item, int column_index, TLqGroups* groups,
                                       TLqGroup*& group, bool& do_default_action);
    virtual void DoClipboardCopy(bool& handled);
    virtual void DoClipboardCut(bool& mark_as_cut, bool& handled);
    virtual void DoClipboardPaste(bool& handled);
    virtual void DoColumnCheckChanged(TLqColumn* column);
    virtual void DoColumnCheckChanging(TLqColumn* column, bool& allow);
    virtual void DoColumnClick(TLqCommonMouseButton button, fw::TShiftState shift,
                               TLqColumn* column);
    virtual void DoColumnContextMenu(const TLqHitInfoColumn& hit_info,
                                     const fw::TPoint& window_point, fw::TPopupMenu*& menu);
    virtual void DoColumnCustomView(TLqColumn* column, TLqViewColumnClass& view);
    virtual void DoColumnDblClick(TLqCommonMouseButton button, const fw::TPoint& pos,
                                  TLqColumn* column);
    virtual void DoColumnDropDownButtonClick(TLqColumn* column, TLqCommonMouseButton button,
                                             fw::TShiftState shift, const fw::TPoint& window_pt,
                                             bool& do_default);
    virtual void DoColumnEnableChanged(TLqColumn* column);
    virtual void DoColumnEnableChanging(TLqColumn* column, bool& allow);
    virtual void DoColumnFocusChanged(TLqColumn* column);
    virtual void DoColumnFocusChanging(TLqColumn* column, bool& allow);
    virtual void DoColumnFreeing(TLqColumn* column);
    virtual void DoColumnGetCaption(TLqColumn* column, int line, QString& caption);
    virtual void DoColumnGetImageIndex(TLqColumn* column, TLqImageKind kind, int& image_index);
    virtual void DoColumnGetImageList(TLqColumn* column, fw::TCustomImageList*& list);
    virtual void DoColumnGetDetail(TLqColumn* column, int line, int& detail);
    virtual void DoColumnGetDetailCount(TLqColumn* column, int& count);
    virtual void DoColumnImageDraw(TLqColumn* column, fw::TCanvas* canvas,
                                   const TLqRectArrayObject& rects, TLqAlphaBlender* blender);
    virtual void DoColumnImageGetSize(TLqColumn* column, int& width, int& height);
    virtual void DoColumnImageDrawIsCustom(TLqColumn* column, bool& is_custom);
    virtual void DoColumnInitialize(TLqColumn* column);
    virtual void DoColumnLoadFromStream(TLqColumn* column, fw::TStream* S, int version);
    virtual void DoColumnPaintText(TLqColumn* column, fw::TCanvas* canvas);
    virtual void DoColumnSaveToStream(TLqColumn* column, fw::TStream* S, int version);
    virtual void DoColumnSelectionChanged(TLqColumn* column);
    virtual void DoColumnSelectionChanging(TLqColumn* column, bool& allow);
    virtual void DoColumnSetCaption(TLqColumn* column, const QString& caption);
    virtual void DoColumnSetImageIndex(TLqColumn* column, TLqImageKind kind, int image_index);
    virtual void DoColumnSetDetail(TLqColumn* column, int line, int detail);
    virtual void DoColumnSetDetailCount(TLqColumn* column, int count);
    virtual void DoColumnThumbnailDraw(TLqColumn* column, fw::TCanvas* canvas,
                                       const fw::TRect& rect, TLqAlphaBlender* blender,
                                       bool& do_default);
    virtual void DoColumnSizeChanged(TLqColumn* column);
    virtual void DoColumnSizeChanging(TLqColumn* column, int width, int new_width, bool& allow);
    virtual void DoColumnVisibilityChanged(TLqColumn* column);
    virtual void DoColumnVisibilityChanging(TLqColumn* column, bool& allow);
    virtual void DoContextMenu(const fw::TPoint& mouse_pt, bool& handled);
    virtual void DoCustomGrid(TLqGroup* group, TLqListStyle style, TLqGridGroupClass& grid);
    virtual void DoDblClick(TLqCommonMouseButton button, const fw::TPoint& pos,
                            fw::TShiftState shift);
    virtual void DoDragInsertDrop(TLqInsertMark* mark, IDataObject* data_object,
                                  TLqCommonKeyStates keys, const fw::TPoint& window_pt,
                                  TLqCommonDropEffects available, TLqCommonDropEffect& desired);
    virtual void DoMouseGesture(const QString& gesture, bool& do_default_mouse_action);
    virtual void DoGetDragImage(fw::TBitmap* image, fw::TPoint& drag_start_pt, bool& handled);
    virtual void DoGroupClick(TLqGroup* group, TLqCommonKeyStates keys, TLqGroupHitTestInfoSet hit);
    virtual void DoGroupCollapse(TLqGroup* group);
    virtual void DoGroupCollapsing(TLqGroup* group, bool& allow);
    virtual int DoGroupCompare(TLqGroup* item1, TLqGroup* item2);
    virtual void DoGroupContextMenu(const TLqHitInfoGroup& hit_info, const fw::TPoint& window_point,
                                    fw::TPopupMenu*& menu, bool& handled);
    virtual void DoGroupCustomView(TLqGroup* group, TLqListStyle style, TLqViewGroupClass& view);
    virtual void DoGroupDblClick(TLqCommonMouseButton button, const fw::TPoint& pos,
                                 const TLqHitInfoGroup& hit_info);
    virtual void DoGroupExpand(TLqGroup* group);
    virtual void DoGroupExpanding(TLqGroup* group, bool& allow);
    virtual void DoGroupFreeing(TLqGroup* group);
    virtual void DoGroupGetCaption(TLqGroup* group, QString& caption);
    virtual void DoGroupGetImageIndex(TLqGroup* group, TLqImageKind kind, int& image_index);
    virtual void DoGroupGetImageList(TLqGroup* group, fw::TCustomImageList*& list);
    virtual void DoGroupGetDetail(TLqGroup* group, int line, int& detail);
    virtual void DoGroupGetDetailCount(TLqGroup* group, int& count);
    virtual void DoGroupImageDraw(TLqGroup* group, fw::TCanvas* canvas,
                                  const TLqRectArrayObject& rects, TLqAlphaBlender* blender);
    virtual void DoGroupImageGetSize(TLqGroup* group, int& width, int& height);
    virtual void DoGroupImageDrawIsCustom(TLqGroup* group, bool& is_custom);
    virtual void DoGroupInitialize(TLqGroup* group);
    virtual void DoGroupHotTrack(TLqGroup* group, TLqHotTrackState state, const fw::TPoint& pos);
    virtual void DoGroupLoadFromStream(TLqGroup* group, fw::TStream* S, int version);
    virtual void DoGroupPaintText(TLqGroup* group, fw::TCanvas* canvas);
    virtual void DoGroupSaveToStream(TLqGroup* group, fw::TStream* S, int version);
    virtual void DoGroupSelectionChanged(TLqGroup* group);
    virtual void DoGroupSelectionChanging(TLqGroup* group, bool& allow);
    virtual void DoGroupSetCaption(TLqGroup* group, const QString& caption);
    virtual void DoGroupSetImageIndex(TLqGroup* group, TLqImageKind kind, int image_index);
    virtual void DoGroupSetDetail(TLqGroup* group, int line, int detail);
    virtual void DoGroupSetDetailCount(TLqGroup* group, int count);
    virtual void DoGroupStructureChange();
    virtual void DoGroupThumbnailDraw(TLqGroup* group, fw::TCanvas* canvas, const fw::TRect& rect,
                                      TLqAlphaBlender* blender, bool& do_default);
    virtual void DoGroupVisibilityChanged(TLqGroup* group);
    virtual void DoGroupVisibilityChanging(TLqGroup* group, bool& allow);
    virtual void DoHeaderDblClick(TLqCommonMouseButton button, const fw::TPoint& pos,
                                  fw::TShiftState shift);
    virtual void DoHintCustomInfo(TLqCollectionItem* target, TLqHintInfo* info);
    virtual void DoHintCustomDraw(TLqCollectionItem* target, TLqHintInfo* info);
    virtual void DoHintPopup(TLqCollectionItem* target, TLqHintType type,
                             const fw::TPoint& mouse_pos, QString& text, int& hide_timeout,
                             int& reshow_timeout, bool& allow);
    virtual void DoIncrementalSearch(TLqCollectionItem* item, const QString& search_buffer,
                                     int& compare_result);
    virtual void DoInsertMarkPosition(TLqInsertMark* mark, int& drop_range);
    virtual void DoItemCheckChange(TLqItem* item);
    virtual void DoItemCheckChanging(TLqItem* item, bool& allow);
    virtual void DoItemClick(TLqItem* item, TLqCommonKeyStates keys,
                             TLqItemHitTestInfoSet hit_info);
    virtual int DoItemCompare(TLqColumn* column, TLqGroup* group, TLqItem* item1, TLqItem* item2);
    virtual void DoItemContextMenu(const TLqHitInfoItem& hit_info, const fw::TPoint& window_point,
                                   fw::TPopupMenu*& menu, bool& handled);
    virtual void DoItemCreateEditor(TLqItem* item, ILqCellEditor*& editor);
    virtual void DoItemCustomView(TLqItem* item, TLqListStyle style, TLqViewItemClass& view);
    virtual void DoItemDblClick(TLqCommonMouseButton button, const fw::TPoint& pos,
                                const TLqHitInfoItem& hit_info);
    virtual void DoItemEditAccepted(TLqItem* item);
    virtual void DoItemEditBegin(TLqItem* item, int& column, bool& allow);
    virtual void DoItemEdited(TLqItem* item, QVariant& new_value, bool& accept);
    virtual void DoItemEditEnd(TLqItem* item);
    virtual void DoItemGetEditMenu(ILqCellEditor* editor, fw::TPopupMenu*& menu);
    virtual void DoItemEnableChange(TLqItem* item);
    virtual void DoItemEnableChanging(TLqItem* item, bool& allow);
    virtual void DoItemFreeing(TLqItem* item);
    virtual void DoItemFocusChanged(TLqItem* item);
    virtual void DoItemFocusChanging(TLqItem* item, bool& allow);
    virtual void DoItemGetCaption(TLqItem* item, int column, QString& caption);
    virtual void DoItemGetEditCaption(TLqItem* item, TLqColumn* column, QString& caption);
    virtual void DoItemGetGroupKey(TLqItem* item, int column, uint32_t& key);
    virtual void DoItemGetImageIndex(TLqItem* item, int column, TLqImageKind kind,
                                     int& image_index);
    virtual void DoItemGetImageList(TLqItem* item, int column, fw::TCustomImageList*& list);
    virtual void DoItemGetStateImageList(TLqItem* item, int column, fw::TCustomImageList*& list);
    virtual void DoItemGetTileDetail(TLqItem* item, int line, int& detail);
    virtual void DoItemGetTileDetailCount(TLqItem* item, int& count);
    virtual void DoItemHotTrack(TLqItem* item, TLqHotTrackState state, const fw::TPoint& pos);
    virtual void DoItemImageDraw(TLqItem* item, TLqColumn* column, fw::TCanvas* canvas,
                                 const TLqRectArrayObject& rects, TLqAlphaBlender* blender);
    virtual void DoItemImageGetSize(TLqItem* item, TLqColumn* column, int& width, int& height);
    virtual void DoItemImageDrawIsCustom(TLqItem* item, TLqColumn* column, bool& is_custom);
    virtual void DoItemInitialize(TLqItem* item);
    virtual void DoItemLoadFromStream(TLqItem* item, fw::TStream* S, int version);
    virtual void DoItemMouseDown(TLqItem* item, TLqCommonMouseButton button, bool& do_default);
    virtual void DoItemMouseUp(TLqItem* item, TLqCommonMouseButton button, bool& do_default);
    virtual void DoItemPaintText(TLqItem* item, int position, fw::TCanvas* canvas);
    virtual void DoItemSaveToStream(TLqItem* item, fw::TStream* S, int version);
    virtual void DoItemSelectionChanged(TLqItem* item);
    virtual void DoItemSelectionChanging(TLqItem* item, bool& allow);
    virtual void DoItemSelectionsChanged();
    virtual void DoItemSetCaption(TLqItem* item, int column, const QString& caption);
    virtual void DoItemSetGroupKey(TLqItem* item, int column, uint32_t key);
    virtual void DoItemSetImageIndex(TLqItem* item, int column, TLqImageKind kind, int image_index);
    virtual void DoItemSetTileDetail(TLqItem* item, int line, int detail);
    virtual void DoItemSetTileDetailCount(TLqItem* item, int count);
    virtual void DoItemStructureChange();
    virtual void DoItemThumbnailDraw(TLqItem* item, fw::TCanvas* canvas, const fw::TRect& rect,
                                     TLqAlphaBlender* blender, bool& do_default);
    virtual void DoItemVisibilityChanged(TLqItem* item);
    virtual void DoItemVisibilityChanging(TLqItem* item, bool& allow);
    virtual void DoKeyAction(WORD& char_code, fw::TShiftState& shift, bool& do_default);
    virtual void DoOLEDragEnd(IDataObject* data_object, TLqOLEDragResult result,
                              TLqCommonDropEffects result_effect, TLqCommonKeyStates keys);
    virtual void DoOLEDragStart(IDataObject* data_object, TLqCommonDropEffects& available,
                                bool& allow_drag);
    virtual void DoOLEQueryContineDrag(bool escape_key_pressed, TLqCommonKeyStates keys,
                                       TLqOLEQueryDragResult& query_result);
    virtual void DoOLEGiveFeedback(TLqCommonDropEffects effect, bool& use_default_cursors);
    virtual void DoOLEDragEnter(IDataObject* data_object, TLqCommonKeyStates keys,
                                const fw::TPoint& window_pt, TLqCommonDropEffects available,
                                TLqCommonDropEffect& desired);
    virtual void DoOLEDragOver(TLqCommonKeyStates keys, const fw::TPoint& window_pt,
                               TLqCommonDropEffects available, TLqCommonDropEffect& desired);
    virtual void DoOLEDragLeave();
    virtual void DoOLEDragDrop(IDataObject* data_object, TLqCommonKeyStates keys,
                               const fw::TPoint& window_pt, TLqCommonDropEffects available,
                               TLqCommonDropEffect& desired, bool& handled);
    virtual void DoOLEGetCustomFormats(int direction, std::vector<TLqFormatEtc>& formats);
    virtual void DoOLEGetData(const TLqFormatEtc& format_in, TLqStgMedium& medium, bool& handled);
    virtual void DoOLEGetDataObject(IDataObject*& data_object);
    virtual void DoPaintBkGnd(fw::TCanvas* canvas, const fw::TRect& window_rect,
                              TLqAlphaBlender* blender, bool& do_default);
    virtual void DoPaintHeaderBkGnd(fw::TCanvas* canvas, const fw::TRect& rect, bool& handled);
    virtual void DoOLEQueryData(const TLqFormatEtc& format_in, bool& format_available,
                                bool& handled);
    virtual void DoResize(int delta_x, int delta_y);
    virtual void DoScroll(int delta_x, int delta_y);
    virtual void DoScrollEnd(TLqScrollDirection direction);
    virtual void DoSortBegin();
    virtual void DoSortEnd();
    virtual void DoThreadCallBack(TWMThreadRequest& message);
    virtual void DoViewChange();
    // Not virtual.
    void DoColumnStructureChange();
    void DoHintPauseTime(bool hint_window_shown, int& pause_delay);

protected:
    virtual TLqPaintInfoColumn* CreateColumnPaintInfo();
    virtual TLqPaintInfoGroup* CreateGroupPaintInfo();
    virtual TLqGroups* CreateGroups();
    virtual TLqPaintInfoItem* CreateItemPaintInfo();

    virtual void HandleMouseDown(TLqCommonMouseButton button, const fw::TWMMouse& message);
    virtual void HandleMouseUp(TLqCommonMouseButton button, const fw::TWMMouse& message);
    virtual void HandleDblClick(TLqCommonMouseButton button, const fw::TWMMouse& message);
    virtual void HandleKeyDown(const fw::TWMKey& message);
    // The framework's drag start; a failure only clears the drag states.
    virtual void DoStartDrag();

    void DoUpdate() override;
    void CreateWnd() override;
    void Loaded() override;
    // The paint routine (painting.cpp): clip_rect in window coordinates; with
    // selected_only only the selected items are drawn, without background, header,
    // groups, grid lines or insert mark.
    void DoPaintRect(fw::TCanvas* canvas, const fw::TRect& clip_rect, bool selected_only) override;
    // The drag-selection rectangle while one is dragged, then OnAfterPaint.
    void DoPaintAfter(fw::TCanvas* canvas, const fw::TRect& clip_rect) override;
    void Notification(fw::TComponent* component, fw::TOperation operation) override;

private:
    void set_images(fw::TCustomImageList*& field, fw::TCustomImageList* list);
    void group_font_changed(fw::TObject* sender);
    void header_font_changed(fw::TObject* sender);
    void notify_win_event(DWORD event);

    // Input (mouse_input.cpp, keyboard.cpp): true when the message was handled there.
    bool dispatch_input(fw::TMessage& message);
    bool button_state_set() const;
    void button_down_message(fw::TMessage& message, TLqCommonMouseButton button);
    void button_up_message(fw::TMessage& message, TLqCommonMouseButton button);
    void mouse_move_input(fw::TMessage& message);
    void start_pending_drag(fw::TMessage& message, TLqCommonKeyStates keys, fw::TPoint view_point);
    void hot_track(fw::TPoint client_pos, fw::TPoint view_point);
    void check_click_released(fw::TPoint view_point);
    void header_capture_mouse();
    void header_release_mouse();
    void release_capture();
    void key_down_message(fw::TMessage& message);
    void context_menu_message(fw::TMessage& message);
    void hint_show_message(fw::TMessage& message);
    void window_pos_changing_message(fw::TMessage& message);
    void window_pos_changed_message(fw::TMessage& message);
    void get_object_message(fw::TMessage& message);
    void edit_move_message();
    void drag_message(fw::TMessage& message);
    bool focus_first_if_none();

    // Owned objects, in the order of their creation.
    std::unique_ptr<TLqGestureManager> m_gesture;
    std::unique_ptr<fw::TFont> m_group_font;
    std::unique_ptr<TLqPaintInfoGroup> m_paint_info_group;
    std::unique_ptr<TLqPaintInfoItem> m_paint_info_item;
    std::unique_ptr<TLqPaintInfoColumn> m_paint_info_column;
    std::unique_ptr<TLqHotTrackManager> m_hot_track;
    std::unique_ptr<TLqBackgroundManager> m_background;
    std::unique_ptr<TLqScrollbarManager> m_scrollbars;
    fw::TInterfacePtr<fw::IUnknown> m_drop_target;
    std::unique_ptr<TLqDragRectManager> m_drag_rect;
    std::unique_ptr<TLqOLEDragManager> m_drag_manager;
    std::unique_ptr<TLqCheckManager> m_check_manager;
    std::unique_ptr<TLqSelectionManager> m_selection;
    std::unique_ptr<TLqGroups> m_groups;
    std::unique_ptr<TLqHeader> m_header;
    std::unique_ptr<TLqEditManager> m_edit_manager;
    std::unique_ptr<TLqGlobalImageManager> m_global_images;
    std::unique_ptr<TLqHintInfo> m_hint_info;
    std::unique_ptr<TLqCellSizes> m_cell_sizes;
    std::unique_ptr<TLqSortManager> m_sort;
    std::unique_ptr<fw::TBitmap> m_group_collapse_button;
    std::unique_ptr<fw::TBitmap> m_group_expand_button;
    std::unique_ptr<TLqGlobalItems> m_items;
    std::unique_ptr<TLqIncrementalSearchManager> m_incremental_search;
    std::unique_ptr<fw::TControlCanvas> m_scratch_canvas;

    bool m_allow_invisible_checked_items = false;
    uint8_t m_disabled_blend_alpha = 128;
    fw::TColor m_disabled_blend_color = fw::clWindow;
    fw::TAlignment m_hint_alignment = fw::taLeftJustify;
    fw::TCustomImageList* m_images_ex_large = nullptr;
    fw::TCustomImageList* m_images_group = nullptr;
    fw::TCustomImageList* m_images_large = nullptr;
    fw::TCustomImageList* m_images_small = nullptr;
    fw::TCustomImageList* m_images_state = nullptr;
    fw::TPoint m_last_mouse_pos{};
    // Where the button went down that may start a drag (client coordinates).
    fw::TPoint m_drag_press_pos{};
    fw::TInterfacePtr<fw::IUnknown> m_accessible;
    // The hint record handed to the hint window (made at the first hint).
    std::shared_ptr<TLqHintInfoRec> m_hint_data;
    // The window's size as the last WM_WINDOWPOSCHANGED left it. The framework stores a new
    // size before it moves the window, so Width and Height cannot tell a resize.
    int m_window_width = 0;
    int m_window_height = 0;
    fw::TNotifyEvent m_old_group_font_change;
    fw::TNotifyEvent m_old_header_font_change;
    fw::TPopupMenu* m_popup_menu_header = nullptr;
    bool m_show_group_margins = false;
    bool m_show_images = true;
    bool m_show_inactive = false;
    TLqControlStates m_states;
    TLqListStyle m_view = elsIcon;
    TLqDefaultWheelScroll m_wheel_mouse_default_scroll = edwsVert;
    bool m_wheel_mouse_scroll_modifier_enabled = true;
};

// The published form of the control (forms are built in code here, so it adds nothing).
class TLqListview : public TCustomLqListview {
public:
    using TCustomLqListview::TCustomLqListview;
};

// The control's unit start-up: the clipboard format of column drags registered and the
// classes of items and groups registered for streaming by name. Runs once; later calls
// do nothing.
void InitializeListviewUnit();
// The clipboard format "LqListview.Header", registered by the start-up (0 before).
UINT LqHeaderClipboardFormat();
// The common-controls version the control takes as the platform's.
constexpr uint32_t kLqComCtl32Version = 0x00060000;

}

#endif
