// The control's dispatchers: each raises its event when a handler is assigned. The
// selection, check, visibility, size, focus, enable and collapse notifications stay
// silent while the control is being destroyed.
#include "listview/groups.h"
#include "listview/items.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "platform/drag_and_accessibility.h"

#include <cstring>

using namespace fw;

namespace vistrel::listview {

namespace {

template <typename Event, typename... Args>
void raise(const Event& event, Args&&... arguments)
{
    if (event)
        event(std::forward<Args>(arguments)...);
}

}

void TCustomLqListview::notify_win_event(DWORD event)
{
    if (HandleAllocated())
        NotifyWinEvent(event, Handle(), OBJID_CLIENT, 0);
}

void TCustomLqListview::DoAfterPaint(TCanvas* canvas, const TRect& clip_rect)
{
    raise(OnAfterPaint, this, canvas, clip_rect);
}

void TCustomLqListview::DoAutoGroupGetKey(TLqItem* item, int column_index, TLqGroups* groups,
                                          uint32_t& key)
{
    raise(OnAutoGroupGetKey, this, item, column_index, groups, key);
}

void TCustomLqListview::DoAutoSortGroupCreate(TLqItem* item, int column_index, TLqGroups* groups,
                                              TLqGroup*& group, bool& do_default_action)
{
    raise(OnAutoSortGroupCreate, this, item, column_index, groups, group, do_default_action);
    if (group == nullptr && groups != nullptr)
        group = groups->Add(nullptr);
}

void TCustomLqListview::DoClipboardCopy(bool& handled)
{
    raise(OnClipboardCopy, this, handled);
}

void TCustomLqListview::DoClipboardCut(bool& mark_as_cut, bool& handled)
{
    raise(OnClipboardCut, this, mark_as_cut, handled);
}

void TCustomLqListview::DoClipboardPaste(bool& handled)
{
    raise(OnClipboardPaste, this, handled);
}

void TCustomLqListview::DoColumnCheckChanged(TLqColumn* column)
{
    if (!Destroying())
        raise(OnColumnCheckChanged, this, column);
}

void TCustomLqListview::DoColumnCheckChanging(TLqColumn* column, bool& allow)
{
    if (!Destroying())
        raise(OnColumnCheckChanging, this, column, allow);
}

void TCustomLqListview::DoColumnClick(TLqCommonMouseButton button, TShiftState shift,
                                      TLqColumn* column)
{
    raise(OnColumnClick, this, button, shift, column);
}

void TCustomLqListview::DoColumnContextMenu(const TLqHitInfoColumn& hit_info,
                                            const TPoint& window_point, TPopupMenu*& menu)
{
    raise(OnColumnContextMenu, this, hit_info, window_point, menu);
}

void TCustomLqListview::DoColumnCustomView(TLqColumn* column, TLqViewColumnClass& view)
{
    raise(OnColumnCustomView, this, column, view);
}

void TCustomLqListview::DoColumnDblClick(TLqCommonMouseButton button, const TPoint& pos,
                                         TLqColumn* column)
{
    raise(OnColumnDblClick, this, button, pos, column);
}

void TCustomLqListview::DoColumnDropDownButtonClick(TLqColumn* column, TLqCommonMouseButton button,
                                                    TShiftState shift, const TPoint& window_pt,
                                                    bool& do_default)
{
    raise(OnColumnDropDownButtonClick, this, column, button, shift, window_pt, do_default);
}

void TCustomLqListview::DoColumnEnableChanged(TLqColumn* column)
{
    if (!Destroying())
        raise(OnColumnEnableChanged, this, column);
}

void TCustomLqListview::DoColumnEnableChanging(TLqColumn* column, bool& allow)
{
    if (!Destroying())
        raise(OnColumnEnableChanging, this, column, allow);
}

void TCustomLqListview::DoColumnFocusChanged(TLqColumn* column)
{
    if (!Destroying())
        raise(FOnColumnFocusChanged, this, column);
}

void TCustomLqListview::DoColumnFocusChanging(TLqColumn* column, bool& allow)
{
    if (!Destroying())
        raise(FOnColumnFocusChanging, this, column, allow);
}

void TCustomLqListview::DoColumnFreeing(TLqColumn* column)
{
    raise(OnColumnFreeing, this, column);
}

void TCustomLqListview::DoColumnGetCaption(TLqColumn* column, int line, QString& caption)
{
    raise(OnColumnGetCaption, this, column, line, caption);
}

void TCustomLqListview::DoColumnGetImageIndex(TLqColumn* column, TLqImageKind kind,
                                              int& image_index)
{
    raise(OnColumnGetImageIndex, this, column, kind, image_index);
}

void TCustomLqListview::DoColumnGetImageList(TLqColumn* column, TCustomImageList*& list)
{
    raise(OnColumnGetImageList, this, column, list);
}

void TCustomLqListview::DoColumnGetDetail(TLqColumn* column, int line, int& detail)
{
    raise(OnColumnGetDetail, this, column, line, detail);
}

void TCustomLqListview::DoColumnGetDetailCount(TLqColumn* column, int& count)
{
    raise(OnColumnGetDetailCount, this, column, count);
}

void TCustomLqListview::DoColumnImageDraw(TLqColumn* column, TCanvas* canvas,
                                          const TLqRectArrayObject& rects, TLqAlphaBlender* blender)
{
    raise(OnColumnImageDraw, this, column, canvas, rects, blender);
}

void TCustomLqListview::DoColumnImageGetSize(TLqColumn* column, int& width, int& height)
{
    raise(OnColumnImageGetSize, this, column, width, height);
}

void TCustomLqListview::DoColumnImageDrawIsCustom(TLqColumn* column, bool& is_custom)
{
    raise(OnColumnImageDrawIsCustom, this, column, is_custom);
}

void TCustomLqListview::DoColumnInitialize(TLqColumn* column)
{
    raise(OnColumnInitialize, this, column);
}

void TCustomLqListview::DoColumnLoadFromStream(TLqColumn* column, TStream* S, int version)
{
    raise(OnColumnLoadFromStream, this, column, S, version);
}

void TCustomLqListview::DoColumnPaintText(TLqColumn* column, TCanvas* canvas)
{
    raise(OnColumnPaintText, this, column, canvas);
}

void TCustomLqListview::DoColumnSaveToStream(TLqColumn* column, TStream* S, int version)
{
    raise(OnColumnSaveToStream, this, column, S, version);
}

void TCustomLqListview::DoColumnSelectionChanged(TLqColumn* column)
{
    if (!Destroying())
        raise(OnColumnSelectionChanged, this, column);
}

void TCustomLqListview::DoColumnSelectionChanging(TLqColumn* column, bool& allow)
{
    if (!Destroying())
        raise(OnColumnSelectionChanging, this, column, allow);
}

void TCustomLqListview::DoColumnSetCaption(TLqColumn* column, const QString& caption)
{
    raise(OnColumnSetCaption, this, column, caption);
}

void TCustomLqListview::DoColumnSetImageIndex(TLqColumn* column, TLqImageKind kind, int image_index)
{
    raise(OnColumnSetImageIndex, this, column, kind, image_index);
}

void TCustomLqListview::DoColumnSetDetail(TLqColumn* column, int line, int detail)
{
    raise(OnColumnSetDetail, this, column, line, detail);
}

void TCustomLqListview::DoColumnSetDetailCount(TLqColumn*, int)
{
}

void TCustomLqListview::DoColumnThumbnailDraw(TLqColumn*, TCanvas*, const TRect&, TLqAlphaBlender*,
                                              bool&)
{
}

void TCustomLqListview::DoColumnSizeChanged(TLqColumn* column)
{
    if (!Destroying())
        raise(OnColumnSizeChanged, this, column);
}

void TCustomLqListview::DoColumnSizeChanging(TLqColumn* column, int width, int new_width,
                                             bool& allow)
{
    if (!Destroying())
        raise(OnColumnSizeChanging, this, column, width, new_width, allow);
}

void TCustomLqListview::DoColumnVisibilityChanged(TLqColumn* column)
{
    raise(OnColumnVisibilityChanged, this, column);
}

void TCustomLqListview::DoColumnVisibilityChanging(TLqColumn* column, bool& allow)
{
    raise(OnColumnVisibilityChanging, this, column, allow);
}

void TCustomLqListview::DoContextMenu(const TPoint& mouse_pt, bool& handled)
{
    raise(FOnContextMenu, this, mouse_pt, handled);
}

void TCustomLqListview::DoCustomGrid(TLqGroup* group, TLqListStyle style, TLqGridGroupClass& grid)
{
    raise(OnCustomGrid, this, group, style, grid);
}

void TCustomLqListview::DoDblClick(TLqCommonMouseButton button, const TPoint& pos,
                                   TShiftState shift)
{
    raise(OnDblClick, this, button, pos, shift);
}

void TCustomLqListview::DoDragInsertDrop(TLqInsertMark* mark, IDataObject* data_object,
                                         TLqCommonKeyStates keys, const TPoint& window_pt,
                                         TLqCommonDropEffects available,
                                         TLqCommonDropEffect& desired)
{
    raise(FOnDragInsertDrop, this, mark, data_object, keys, window_pt, available, desired);
}

void TCustomLqListview::DoMouseGesture(const QString& gesture, bool& do_default_mouse_action)
{
    raise(OnMouseGesture, this, gesture, do_default_mouse_action);
}

void TCustomLqListview::DoGetDragImage(TBitmap* image, TPoint& drag_start_pt, bool& handled)
{
    raise(OnGetDragImage, this, image, drag_start_pt, handled);
}

void TCustomLqListview::DoGroupClick(TLqGroup* group, TLqCommonKeyStates keys,
                                     TLqGroupHitTestInfoSet hit)
{
    raise(OnGroupClick, this, group, keys, hit);
}

void TCustomLqListview::DoGroupCollapse(TLqGroup* group)
{
    if (!Destroying())
        raise(OnGroupCollapse, this, group);
}

void TCustomLqListview::DoGroupCollapsing(TLqGroup* group, bool& allow)
{
    if (!Destroying())
        raise(OnGroupCollapsing, this, group, allow);
}

int TCustomLqListview::DoGroupCompare(TLqGroup* item1, TLqGroup* item2)
{
    if (OnGroupCompare)
        return OnGroupCompare(this, item1, item2);
    // The sort manager's default comparison comes with sorting; until then groups keep
    // their order.
    return 0;
}

void TCustomLqListview::DoGroupContextMenu(const TLqHitInfoGroup& hit_info,
                                           const TPoint& window_point, TPopupMenu*& menu,
                                           bool& handled)
{
    raise(OnGroupContextMenu, this, hit_info, window_point, menu, handled);
}

void TCustomLqListview::DoGroupCustomView(TLqGroup* group, TLqListStyle style,
                                          TLqViewGroupClass& view)
{
    raise(OnGroupCustomView, this, group, style, view);
}

void TCustomLqListview::DoGroupDblClick(TLqCommonMouseButton button, const TPoint& pos,
                                        const TLqHitInfoGroup& hit_info)
{
    raise(OnGroupDblClick, this, button, pos, hit_info);
}

void TCustomLqListview::DoGroupExpand(TLqGroup* group)
{
    Groups()->Rebuild(false);
    raise(OnGroupExpand, this, group);
}

void TCustomLqListview::DoGroupExpanding(TLqGroup* group, bool& allow)
{
    raise(OnGroupExpanding, this, group, allow);
}

void TCustomLqListview::DoGroupFreeing(TLqGroup* group)
{
    raise(OnGroupFreeing, this, group);
}

void TCustomLqListview::DoGroupGetCaption(TLqGroup* group, QString& caption)
{
    raise(OnGroupGetCaption, this, group, caption);
}

void TCustomLqListview::DoGroupGetImageIndex(TLqGroup* group, TLqImageKind kind, int& image_index)
{
    raise(OnGroupGetImageIndex, this, group, kind, image_index);
}

void TCustomLqListview::DoGroupGetImageList(TLqGroup* group, TCustomImageList*& list)
{
    raise(OnGroupGetImageList, this, group, list);
}

void TCustomLqListview::DoGroupGetDetail(TLqGroup* group, int line, int& detail)
{
    raise(OnGroupGetDetail, this, group, line, detail);
}

void TCustomLqListview::DoGroupGetDetailCount(TLqGroup* group, int& count)
{
    raise(OnGroupGetDetailCount, this, group, count);
}

void TCustomLqListview::DoGroupImageDraw(TLqGroup* group, TCanvas* canvas,
                                         const TLqRectArrayObject& rects, TLqAlphaBlender* blender)
{
    raise(OnGroupImageDraw, this, group, canvas, rects, blender);
}

void TCustomLqListview::DoGroupImageGetSize(TLqGroup* group, int& width, int& height)
{
    raise(OnGroupImageGetSize, this, group, width, height);
}

void TCustomLqListview::DoGroupImageDrawIsCustom(TLqGroup* group, bool& is_custom)
{
    raise(OnGroupImageDrawIsCustom, this, group, is_custom);
}

void TCustomLqListview::DoGroupInitialize(TLqGroup* group)
{
    raise(OnGroupInitialize, this, group);
}

void TCustomLqListview::DoGroupHotTrack(TLqGroup* group, TLqHotTrackState state, const TPoint& pos)
{
    raise(OnGroupHotTrack, this, group, state, pos);
}

void TCustomLqListview::DoGroupLoadFromStream(TLqGroup* group, TStream* S, int version)
{
    raise(OnGroupLoadFromStream, this, group, S, version);
}

void TCustomLqListview::DoGroupPaintText(TLqGroup* group, TCanvas* canvas)
{
    raise(OnGroupPaintText, this, group, canvas);
}

void TCustomLqListview::DoGroupSaveToStream(TLqGroup* group, TStream* S, int version)
{
    raise(OnGroupSaveToStream, this, group, S, version);
}

void TCustomLqListview::DoGroupSelectionChanged(TLqGroup* group)
{
    raise(FOnGroupSelectionChanged, this, group);
}

void TCustomLqListview::DoGroupSelectionChanging(TLqGroup* group, bool& allow)
{
    raise(FOnGroupSelectionChanging, this, group, allow);
}

void TCustomLqListview::DoGroupSetCaption(TLqGroup* group, const QString& caption)
{
    raise(OnGroupSetCaption, this, group, caption);
}

void TCustomLqListview::DoGroupSetImageIndex(TLqGroup* group, TLqImageKind kind, int image_index)
{
    raise(OnGroupSetImageIndex, this, group, kind, image_index);
}

void TCustomLqListview::DoGroupSetDetail(TLqGroup* group, int line, int detail)
{
    raise(OnGroupSetDetail, this, group, line, detail);
}

void TCustomLqListview::DoGroupSetDetailCount(TLqGroup*, int)
{
}

void TCustomLqListview::DoGroupStructureChange()
{
    raise(OnGroupStructureChange, this);
}

void TCustomLqListview::DoGroupThumbnailDraw(TLqGroup*, TCanvas*, const TRect&, TLqAlphaBlender*,
                                             bool&)
{
}

void TCustomLqListview::DoGroupVisibilityChanged(TLqGroup* group)
{
    if (!Destroying())
        raise(OnGroupVisibilityChanged, this, group);
}

void TCustomLqListview::DoGroupVisibilityChanging(TLqGroup* group, bool& allow)
{
    if (!Destroying())
        raise(OnGroupVisibilityChanging, this, group, allow);
}

void TCustomLqListview::DoHeaderDblClick(TLqCommonMouseButton button, const TPoint& pos,
                                         TShiftState shift)
{
    raise(OnHeaderDblClick, this, button, pos, shift);
}

void TCustomLqListview::DoHintCustomInfo(TLqCollectionItem* target, TLqHintInfo* info)
{
    raise(OnHintCustomInfo, this, target, info);
}

void TCustomLqListview::DoHintCustomDraw(TLqCollectionItem* target, TLqHintInfo* info)
{
    raise(OnHintCustomDraw, this, target, info);
}

void TCustomLqListview::DoHintPopup(TLqCollectionItem* target, TLqHintType type,
                                    const TPoint& mouse_pos, QString& text, int& hide_timeout,
                                    int& reshow_timeout, bool& allow)
{
    raise(OnHintPopup, this, target, type, mouse_pos, text, hide_timeout, reshow_timeout, allow);
}

void TCustomLqListview::DoIncrementalSearch(TLqCollectionItem* item, const QString& search_buffer,
                                            int& compare_result)
{
    compare_result = 0;
    bool handled = false;
    raise(OnIncrementalSearch, item, search_buffer, handled, compare_result);
    if (!handled && item != nullptr)
        compare_result = CompareText(search_buffer, item->Caption().left(search_buffer.size()));
}

void TCustomLqListview::DoInsertMarkPosition(TLqInsertMark* mark, int& drop_range)
{
    raise(OnInsertMarkPosition, this, mark, drop_range);
}

void TCustomLqListview::DoItemCheckChange(TLqItem* item)
{
    if (!Destroying())
        raise(OnItemCheckChange, this, item);
}

void TCustomLqListview::DoItemCheckChanging(TLqItem* item, bool& allow)
{
    if (!Destroying())
        raise(OnItemCheckChanging, this, item, allow);
}

void TCustomLqListview::DoItemClick(TLqItem* item, TLqCommonKeyStates keys,
                                    TLqItemHitTestInfoSet hit_info)
{
    raise(OnItemClick, this, item, keys, hit_info);
}

int TCustomLqListview::DoItemCompare(TLqColumn* column, TLqGroup* group, TLqItem* item1,
                                     TLqItem* item2)
{
    bool do_default = true;
    int result = 0;
    if (OnItemCompare)
        result = OnItemCompare(this, column, group, item1, item2, do_default);
    // The sort manager's default comparison comes with sorting; until then the
    // default keeps the order.
    if (do_default)
        result = 0;
    return result;
}

void TCustomLqListview::DoItemContextMenu(const TLqHitInfoItem& hit_info,
                                          const TPoint& window_point, TPopupMenu*& menu,
                                          bool& handled)
{
    menu = nullptr;
    raise(OnItemContextMenu, this, hit_info, window_point, menu, handled);
}

void TCustomLqListview::DoItemCreateEditor(TLqItem* item, ILqCellEditor*& editor)
{
    // The default editors come with in-place editing.
    raise(OnItemCreateEditor, this, item, editor);
}

void TCustomLqListview::DoItemCustomView(TLqItem* item, TLqListStyle style, TLqViewItemClass& view)
{
    raise(OnItemCustomView, this, item, style, view);
}

void TCustomLqListview::DoItemDblClick(TLqCommonMouseButton button, const TPoint& pos,
                                       const TLqHitInfoItem& hit_info)
{
    raise(OnItemDblClick, this, button, pos, hit_info);
}

void TCustomLqListview::DoItemEditAccepted(TLqItem* item)
{
    raise(FOnItemEditAccepted, this, item);
}

void TCustomLqListview::DoItemEditBegin(TLqItem* item, int& column, bool& allow)
{
    raise(OnItemEditBegin, this, item, column, allow);
}

void TCustomLqListview::DoItemEdited(TLqItem* item, QVariant& new_value, bool& accept)
{
    raise(OnItemEdited, this, item, new_value, accept);
}

void TCustomLqListview::DoItemEditEnd(TLqItem* item)
{
    raise(OnItemEditEnd, this, item);
}

void TCustomLqListview::DoItemGetEditMenu(ILqCellEditor* editor, TPopupMenu*& menu)
{
    raise(OnItemGetEditMenu, this, editor, menu);
}

void TCustomLqListview::DoItemEnableChange(TLqItem* item)
{
    raise(OnItemEnableChange, this, item);
}

void TCustomLqListview::DoItemEnableChanging(TLqItem* item, bool& allow)
{
    raise(OnItemEnableChanging, this, item, allow);
}

void TCustomLqListview::DoItemFreeing(TLqItem* item)
{
    raise(OnItemFreeing, this, item);
}

void TCustomLqListview::DoItemFocusChanged(TLqItem* item)
{
    notify_win_event(EVENT_OBJECT_FOCUS);
    raise(OnItemFocusChanged, this, item);
}

void TCustomLqListview::DoItemFocusChanging(TLqItem* item, bool& allow)
{
    raise(OnItemFocusChanging, this, item, allow);
}

void TCustomLqListview::DoItemGetCaption(TLqItem* item, int column, QString& caption)
{
    raise(OnItemGetCaption, this, item, column, caption);
}

void TCustomLqListview::DoItemGetEditCaption(TLqItem* item, TLqColumn* column, QString& caption)
{
    raise(OnItemGetEditCaption, this, item, column, caption);
}

void TCustomLqListview::DoItemGetGroupKey(TLqItem* item, int column, uint32_t& key)
{
    raise(OnItemGetGroupKey, this, item, column, key);
}

void TCustomLqListview::DoItemGetImageIndex(TLqItem* item, int column, TLqImageKind kind,
                                            int& image_index)
{
    raise(OnItemGetImageIndex, this, item, column, kind, image_index);
}

void TCustomLqListview::DoItemGetImageList(TLqItem* item, int column, TCustomImageList*& list)
{
    raise(OnItemGetImageList, this, item, column, list);
}

void TCustomLqListview::DoItemGetStateImageList(TLqItem* item, int column, TCustomImageList*& list)
{
    raise(FOnItemGetStateImageList, this, item, column, list);
}

void TCustomLqListview::DoItemGetTileDetail(TLqItem* item, int line, int& detail)
{
    raise(OnItemGetTileDetail, this, item, line, detail);
}

void TCustomLqListview::DoItemGetTileDetailCount(TLqItem* item, int& count)
{
    raise(OnItemGetTileDetailCount, this, item, count);
}

void TCustomLqListview::DoItemHotTrack(TLqItem* item, TLqHotTrackState state, const TPoint& pos)
{
    if (HotTrack()->Enabled())
        raise(OnItemHotTrack, this, item, state, pos);
}

void TCustomLqListview::DoItemImageDraw(TLqItem* item, TLqColumn* column, TCanvas* canvas,
                                        const TLqRectArrayObject& rects, TLqAlphaBlender* blender)
{
    raise(OnItemImageDraw, this, item, column, canvas, rects, blender);
}

void TCustomLqListview::DoItemImageGetSize(TLqItem* item, TLqColumn* column, int& width,
                                           int& height)
{
    raise(OnItemImageGetSize, this, item, column, width, height);
}

void TCustomLqListview::DoItemImageDrawIsCustom(TLqItem* item, TLqColumn* column, bool& is_custom)
{
    raise(OnItemImageDrawIsCustom, this, item, column, is_custom);
}

void TCustomLqListview::DoItemInitialize(TLqItem* item)
{
    raise(OnItemInitialize, this, item);
}

void TCustomLqListview::DoItemLoadFromStream(TLqItem* item, TStream* S, int version)
{
    raise(OnItemLoadFromStream, this, item, S, version);
}

void TCustomLqListview::DoItemMouseDown(TLqItem* item, TLqCommonMouseButton button,
                                        bool& do_default)
{
    raise(OnItemMouseDown, this, item, button, do_default);
}

void TCustomLqListview::DoItemMouseUp(TLqItem* item, TLqCommonMouseButton button, bool& do_default)
{
    raise(OnItemMouseUp, this, item, button, do_default);
}

void TCustomLqListview::DoItemPaintText(TLqItem* item, int position, TCanvas* canvas)
{
    raise(OnItemPaintText, this, item, position, canvas);
}

void TCustomLqListview::DoItemSaveToStream(TLqItem* item, TStream* S, int version)
{
    raise(OnItemSaveToStream, this, item, S, version);
}

void TCustomLqListview::DoItemSelectionChanged(TLqItem* item)
{
    if (!Destroying())
        raise(OnItemSelectionChanged, this, item);
}

void TCustomLqListview::DoItemSelectionChanging(TLqItem* item, bool& allow)
{
    if (!Destroying())
        raise(OnItemSelectionChanging, this, item, allow);
}

void TCustomLqListview::DoItemSelectionsChanged()
{
    if (Destroying())
        return;
    notify_win_event(EVENT_OBJECT_SELECTION);
    raise(OnItemSelectionsChanged, this);
}

void TCustomLqListview::DoItemSetCaption(TLqItem* item, int column, const QString& caption)
{
    notify_win_event(EVENT_OBJECT_NAMECHANGE);
    raise(OnItemSetCaption, this, item, column, caption);
}

void TCustomLqListview::DoItemSetGroupKey(TLqItem* item, int column, uint32_t key)
{
    raise(OnItemSetGroupKey, this, item, column, key);
}

void TCustomLqListview::DoItemSetImageIndex(TLqItem* item, int column, TLqImageKind kind,
                                            int image_index)
{
    raise(OnItemSetImageIndex, this, item, column, kind, image_index);
}

void TCustomLqListview::DoItemSetTileDetail(TLqItem* item, int line, int detail)
{
    raise(OnItemSetTileDetail, this, item, line, detail);
}

void TCustomLqListview::DoItemSetTileDetailCount(TLqItem*, int)
{
}

void TCustomLqListview::DoItemStructureChange()
{
    raise(OnItemStructureChange, this);
}

void TCustomLqListview::DoItemThumbnailDraw(TLqItem* item, TCanvas* canvas, const TRect& rect,
                                            TLqAlphaBlender* blender, bool& do_default)
{
    raise(OnItemThumbnailDraw, this, item, canvas, rect, blender, do_default);
}

void TCustomLqListview::DoItemVisibilityChanged(TLqItem* item)
{
    if (!Destroying())
        raise(OnItemVisibilityChanged, this, item);
}

void TCustomLqListview::DoItemVisibilityChanging(TLqItem* item, bool& allow)
{
    if (!Destroying())
        raise(OnItemVisibilityChanging, this, item, allow);
}

void TCustomLqListview::DoKeyAction(WORD& char_code, TShiftState& shift, bool& do_default)
{
    raise(OnKeyAction, this, char_code, shift, do_default);
}

void TCustomLqListview::DoOLEDragEnd(IDataObject* data_object, TLqOLEDragResult result,
                                     TLqCommonDropEffects result_effect, TLqCommonKeyStates keys)
{
    raise(OnOLEDragEnd, this, data_object, result, result_effect, keys);
}

void TCustomLqListview::DoOLEDragStart(IDataObject* data_object, TLqCommonDropEffects& available,
                                       bool& allow_drag)
{
    raise(OnOLEDragStart, this, data_object, available, allow_drag);
}

void TCustomLqListview::DoOLEQueryContineDrag(bool escape_key_pressed, TLqCommonKeyStates keys,
                                              TLqOLEQueryDragResult& query_result)
{
    raise(OnOLEQueryContineDrag, this, escape_key_pressed, keys, query_result);
}

void TCustomLqListview::DoOLEGiveFeedback(TLqCommonDropEffects effect, bool& use_default_cursors)
{
    raise(OnOLEGiveFeedback, this, effect, use_default_cursors);
}

void TCustomLqListview::DoOLEDragEnter(IDataObject* data_object, TLqCommonKeyStates keys,
                                       const TPoint& window_pt, TLqCommonDropEffects available,
                                       TLqCommonDropEffect& desired)
{
    raise(OnOLEDragEnter, this, data_object, keys, window_pt, available, desired);
}

void TCustomLqListview::DoOLEDragOver(TLqCommonKeyStates keys, const TPoint& window_pt,
                                      TLqCommonDropEffects available, TLqCommonDropEffect& desired)
{
    raise(OnOLEDragOver, this, keys, window_pt, available, desired);
}

void TCustomLqListview::DoOLEDragLeave()
{
    raise(OnOLEDragLeave, this);
}

void TCustomLqListview::DoOLEDragDrop(IDataObject* data_object, TLqCommonKeyStates keys,
                                      const TPoint& window_pt, TLqCommonDropEffects available,
                                      TLqCommonDropEffect& desired, bool& handled)
{
    raise(OnOLEDragDrop, this, data_object, keys, window_pt, available, desired, handled);
}

void TCustomLqListview::DoOLEGetCustomFormats(int direction, std::vector<TLqFormatEtc>& formats)
{
    raise(OnOLEGetCustomFormats, this, direction, formats);
}

void TCustomLqListview::DoOLEGetData(const TLqFormatEtc& format_in, TLqStgMedium& medium,
                                     bool& handled)
{
    medium = TLqStgMedium{};
    handled = false;
    raise(OnOLEGetData, this, format_in, medium, handled);
}

void TCustomLqListview::DoOLEGetDataObject(IDataObject*& data_object)
{
    raise(OnOLEGetDataObject, this, data_object);
}

void TCustomLqListview::DoPaintBkGnd(TCanvas* canvas, const TRect& window_rect,
                                     TLqAlphaBlender* blender, bool& do_default)
{
    raise(OnPaintBkGnd, this, canvas, window_rect, blender, do_default);
}

void TCustomLqListview::DoPaintHeaderBkGnd(TCanvas* canvas, const TRect& rect, bool& handled)
{
    raise(OnPaintHeaderBkGnd, this, canvas, rect, handled);
}

void TCustomLqListview::DoOLEQueryData(const TLqFormatEtc& format_in, bool& format_available,
                                       bool& handled)
{
    format_available = false;
    handled = false;
    raise(OnOLEQueryData, this, format_in, format_available, handled);
}

void TCustomLqListview::DoResize(int, int)
{
}

void TCustomLqListview::DoScroll(int delta_x, int delta_y)
{
    raise(OnScroll, this, delta_x, delta_y);
}

void TCustomLqListview::DoScrollEnd(TLqScrollDirection direction)
{
    raise(FOnScrollEnd, this, direction);
}

void TCustomLqListview::DoSortBegin()
{
    raise(OnSortBegin, this);
}

void TCustomLqListview::DoSortEnd()
{
    raise(OnSortEnd, this);
}

void TCustomLqListview::DoThreadCallBack(TWMThreadRequest& message)
{
    raise(OnThreadCallBack, this, message);
}

void TCustomLqListview::DoViewChange()
{
    raise(OnViewChange, this);
}

void TCustomLqListview::DoColumnStructureChange()
{
    raise(OnColumnStructureChange, this);
}

void TCustomLqListview::DoHintPauseTime(bool hint_window_shown, int& pause_delay)
{
    raise(OnHintPauseTime, this, hint_window_shown, pause_delay);
}

}
