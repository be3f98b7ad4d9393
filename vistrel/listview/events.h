// The list-view control's events: one std::function per event, with Sender first
// (the control) and var parameters by reference. The control raises each through its
// dispatcher (Do and the event name without On); a handler is called only when
// assigned.
#ifndef VISTREL_LISTVIEW_EVENTS_H
#define VISTREL_LISTVIEW_EVENTS_H

#include "framework/classes.h"
#include "listview/common/common_types.h"
#include "listview/lq_types.h"

#include <QtCore/QString>

#include <QtCore/QVariant>

#include <functional>
#include <vector>

namespace fw {
class TBitmap;
class TCanvas;
class TCustomImageList;
class TPopupMenu;
class TStream;
}
struct IDataObject;

namespace vistrel::listview {

class TLqHintInfo;
class TLqInsertMark;
class ILqCellEditor;
struct TLqHitInfoColumn;
struct TLqViewItemClassInfo;
struct TLqViewGroupClassInfo;
struct TLqViewColumnClassInfo;
struct TLqGridGroupClassInfo;
using TLqViewItemClass = const TLqViewItemClassInfo*;
using TLqViewGroupClass = const TLqViewGroupClassInfo*;
using TLqViewColumnClass = const TLqViewColumnClassInfo*;
using TLqGridGroupClass = const TLqGridGroupClassInfo*;
// The clipboard-format and storage-medium records of the OLE data exchange.
struct TLqFormatEtc {
    uint16_t cfFormat = 0;
    void* ptd = nullptr;
    uint32_t dwAspect = 0;
    int32_t lindex = 0;
    uint32_t tymed = 0;
};
struct TLqStgMedium {
    uint32_t tymed = 0;
    void* handle = nullptr;
    fw::IUnknown* pUnkForRelease = nullptr;
};
struct TWMThreadRequest;

enum TLqOLEDragResult {
    cdrDrop,
    cdrCancel,
    cdrError
};
enum TLqOLEQueryDragResult {
    eqdrContinue,
    eqdrDrop,
    eqdrQuit
};
enum TLqScrollDirection {
    esdHorizontal,
    esdVertical
};

class TCustomLqListview;
using LV = TCustomLqListview*;
using TShift = fw::TShiftState;

// Per-object families.
template <typename O>
using TLqChangingEvent = std::function<void(LV, O*, bool& allow)>;
template <typename O>
using TLqObjectEvent = std::function<void(LV, O*)>;
template <typename O>
using TLqStreamEvent = std::function<void(LV, O*, fw::TStream* S, int version)>;
template <typename O>
using TLqGetDetailEvent = std::function<void(LV, O*, int line, int& detail)>;
template <typename O>
using TLqGetDetailCountEvent = std::function<void(LV, O*, int& count)>;
template <typename O>
using TLqSetDetailEvent = std::function<void(LV, O*, int line, int detail)>;
template <typename O>
using TLqPaintTextEvent = std::function<void(LV, O*, fw::TCanvas*)>;

using TColumnGetCaptionEvent = std::function<void(LV, TLqColumn*, int line, QString& caption)>;
using TColumnSetCaptionEvent = std::function<void(LV, TLqColumn*, const QString& caption)>;
using TColumnGetImageIndexEvent =
    std::function<void(LV, TLqColumn*, TLqImageKind kind, int& image_index)>;
using TColumnSetImageIndexEvent =
    std::function<void(LV, TLqColumn*, TLqImageKind kind, int image_index)>;
using TColumnGetImageListEvent = std::function<void(LV, TLqColumn*, fw::TCustomImageList*& list)>;
using TColumnImageDrawEvent =
    std::function<void(LV, TLqColumn*, fw::TCanvas*, const TLqRectArrayObject&, TLqAlphaBlender*)>;
using TColumnImageDrawIsCustomEvent = std::function<void(LV, TLqColumn*, bool& is_custom)>;
using TColumnImageGetSizeEvent = std::function<void(LV, TLqColumn*, int& width, int& height)>;
using TColumnSizeChangingEvent =
    std::function<void(LV, TLqColumn*, int width, int new_width, bool& allow)>;
using TColumnCustomViewEvent = std::function<void(LV, TLqColumn*, TLqViewColumnClass& view)>;
using TColumnClickEvent =
    std::function<void(LV, TLqCommonMouseButton button, TShift shift, TLqColumn*)>;
using TColumnDblClickEvent =
    std::function<void(LV, TLqCommonMouseButton button, const fw::TPoint& pos, TLqColumn*)>;
using TColumnDropDownButtonClickEvent =
    std::function<void(LV, TLqColumn*, TLqCommonMouseButton button, TShift shift,
                       const fw::TPoint& window_pt, bool& do_default)>;
using TColumnContextMenuEvent = std::function<void(
    LV, const TLqHitInfoColumn& hit_info, const fw::TPoint& window_point, fw::TPopupMenu*& menu)>;

using TGroupGetCaptionEvent = std::function<void(LV, TLqGroup*, QString& caption)>;
using TGroupSetCaptionEvent = std::function<void(LV, TLqGroup*, const QString& caption)>;
using TGroupGetImageIndexEvent =
    std::function<void(LV, TLqGroup*, TLqImageKind kind, int& image_index)>;
using TGroupSetImageIndexEvent =
    std::function<void(LV, TLqGroup*, TLqImageKind kind, int image_index)>;
using TGroupGetImageListEvent = std::function<void(LV, TLqGroup*, fw::TCustomImageList*& list)>;
using TGroupImageDrawEvent =
    std::function<void(LV, TLqGroup*, fw::TCanvas*, const TLqRectArrayObject&, TLqAlphaBlender*)>;
using TGroupImageDrawIsCustomEvent = std::function<void(LV, TLqGroup*, bool& is_custom)>;
using TGroupImageGetSizeEvent = std::function<void(LV, TLqGroup*, int& width, int& height)>;
using TGroupCustomViewEvent =
    std::function<void(LV, TLqGroup*, TLqListStyle style, TLqViewGroupClass& view)>;
using TGroupClickEvent =
    std::function<void(LV, TLqGroup*, TLqCommonKeyStates keys, TLqGroupHitTestInfoSet hit)>;
using TGroupDblClickEvent = std::function<void(
    LV, TLqCommonMouseButton button, const fw::TPoint& pos, const TLqHitInfoGroup& hit_info)>;
using TGroupHotTrackEvent =
    std::function<void(LV, TLqGroup*, TLqHotTrackState state, const fw::TPoint& pos)>;
using TGroupCompareEvent = std::function<int(LV, TLqGroup* item1, TLqGroup* item2)>;
using TGroupContextMenuEvent =
    std::function<void(LV, const TLqHitInfoGroup& hit_info, const fw::TPoint& window_point,
                       fw::TPopupMenu*& menu, bool& handled)>;

using TItemGetCaptionEvent = std::function<void(LV, TLqItem*, int column, QString& caption)>;
using TItemSetCaptionEvent = std::function<void(LV, TLqItem*, int column, const QString& caption)>;
using TItemGetImageIndexEvent =
    std::function<void(LV, TLqItem*, int column, TLqImageKind kind, int& image_index)>;
using TItemSetImageIndexEvent =
    std::function<void(LV, TLqItem*, int column, TLqImageKind kind, int image_index)>;
using TItemGetImageListEvent =
    std::function<void(LV, TLqItem*, int column, fw::TCustomImageList*& list)>;
using TItemImageDrawEvent = std::function<void(LV, TLqItem*, TLqColumn*, fw::TCanvas*,
                                               const TLqRectArrayObject&, TLqAlphaBlender*)>;
using TItemImageDrawIsCustomEvent = std::function<void(LV, TLqItem*, TLqColumn*, bool& is_custom)>;
using TItemImageGetSizeEvent =
    std::function<void(LV, TLqItem*, TLqColumn*, int& width, int& height)>;
using TItemGetGroupKeyEvent = std::function<void(LV, TLqItem*, int column, uint32_t& key)>;
using TItemSetGroupKeyEvent = std::function<void(LV, TLqItem*, int column, uint32_t key)>;
using TItemCustomViewEvent =
    std::function<void(LV, TLqItem*, TLqListStyle style, TLqViewItemClass& view)>;
using TItemHotTrackEvent =
    std::function<void(LV, TLqItem*, TLqHotTrackState state, const fw::TPoint& pos)>;
using TItemPaintTextEvent = std::function<void(LV, TLqItem*, int position, fw::TCanvas*)>;
using TItemThumbnailDrawEvent = std::function<void(
    LV, TLqItem*, fw::TCanvas*, const fw::TRect& rect, TLqAlphaBlender*, bool& do_default)>;
using TItemClickEvent =
    std::function<void(LV, TLqItem*, TLqCommonKeyStates keys, TLqItemHitTestInfoSet hit_info)>;
using TItemDblClickEvent = std::function<void(
    LV, TLqCommonMouseButton button, const fw::TPoint& pos, const TLqHitInfoItem& hit_info)>;
using TItemMouseButtonEvent =
    std::function<void(LV, TLqItem*, TLqCommonMouseButton button, bool& do_default)>;
using TItemCompareEvent =
    std::function<int(LV, TLqColumn*, TLqGroup*, TLqItem* item1, TLqItem* item2, bool& do_default)>;
using TItemContextMenuEvent =
    std::function<void(LV, const TLqHitInfoItem& hit_info, const fw::TPoint& window_point,
                       fw::TPopupMenu*& menu, bool& handled)>;
using TItemCreateEditorEvent = std::function<void(LV, TLqItem*, ILqCellEditor*& editor)>;
using TItemEditBeginEvent = std::function<void(LV, TLqItem*, int& column, bool& allow)>;
using TItemEditedEvent = std::function<void(LV, TLqItem*, QVariant& new_value, bool& accept)>;
using TItemGetEditCaptionEvent = std::function<void(LV, TLqItem*, TLqColumn*, QString& caption)>;
using TItemGetEditMenuEvent = std::function<void(LV, ILqCellEditor* editor, fw::TPopupMenu*& menu)>;

using TLqAutoGroupGetKeyEvent =
    std::function<void(LV, TLqItem*, int column_index, TLqGroups*, uint32_t& key)>;
using TLqAutoSortGroupCreateEvent = std::function<void(LV, TLqItem*, int column_index, TLqGroups*,
                                                       TLqGroup*& group, bool& do_default_action)>;
using TLqClipboardEvent = std::function<void(LV, bool& handled)>;
using TLqClipboardCutEvent = std::function<void(LV, bool& mark_as_cut, bool& handled)>;
using TLqContextMenuEvent = std::function<void(LV, const fw::TPoint& mouse_pt, bool& handled)>;
using TLqCustomGridEvent =
    std::function<void(LV, TLqGroup*, TLqListStyle style, TLqGridGroupClass& grid)>;
using TLqDblClickEvent =
    std::function<void(LV, TLqCommonMouseButton button, const fw::TPoint& pos, TShift shift)>;
using TLqDragInsertDropEvent = std::function<void(
    LV, TLqInsertMark* mark, IDataObject* data_object, TLqCommonKeyStates keys,
    const fw::TPoint& window_pt, TLqCommonDropEffects available, TLqCommonDropEffect& desired)>;
using TLqGetDragImageEvent =
    std::function<void(LV, fw::TBitmap* image, fw::TPoint& drag_start_pt, bool& handled)>;
using TLqHeaderDblClickEvent =
    std::function<void(LV, TLqCommonMouseButton button, const fw::TPoint& pos, TShift shift)>;
using TLqHeaderMouseEvent = std::function<void(LV, TLqCommonMouseButton button, TShift shift, int x,
                                               int y, TLqColumn* column)>;
using TLqHintCustomDrawEvent =
    std::function<void(LV, TLqCollectionItem* target, TLqHintInfo* info)>;
using TLqHintCustomInfoEvent =
    std::function<void(LV, TLqCollectionItem* target, TLqHintInfo* info)>;
using TLqHintPauseTimeEvent = std::function<void(LV, bool hint_window_shown, int& pause_delay)>;
using TLqHintPopupEvent =
    std::function<void(LV, TLqCollectionItem* target, TLqHintType type, const fw::TPoint& mouse_pos,
                       QString& text, int& hide_timeout, int& reshow_timeout, bool& allow)>;
using TLqIncrementalSearchEvent = std::function<void(
    TLqCollectionItem* item, const QString& search_buffer, bool& handled, int& compare_result)>;
using TLqInsertMarkPositionEvent = std::function<void(LV, TLqInsertMark* mark, int& drop_range)>;
using TLqKeyActionEvent = std::function<void(LV, WORD& char_code, TShift& shift, bool& do_default)>;
using TLqMouseGestureEvent =
    std::function<void(LV, const QString& gesture, bool& do_default_mouse_action)>;
using TLqOLEDragDropEvent = std::function<void(
    LV, IDataObject* data_object, TLqCommonKeyStates keys, const fw::TPoint& window_pt,
    TLqCommonDropEffects available, TLqCommonDropEffect& desired, bool& handled)>;
using TLqOLEDragEndEvent =
    std::function<void(LV, IDataObject* data_object, TLqOLEDragResult result,
                       TLqCommonDropEffects result_effect, TLqCommonKeyStates keys)>;
using TLqOLEDragEnterEvent = std::function<void(
    LV, IDataObject* data_object, TLqCommonKeyStates keys, const fw::TPoint& window_pt,
    TLqCommonDropEffects available, TLqCommonDropEffect& desired)>;
using TLqOLEDragOverEvent =
    std::function<void(LV, TLqCommonKeyStates keys, const fw::TPoint& window_pt,
                       TLqCommonDropEffects available, TLqCommonDropEffect& desired)>;
using TLqOLEDragStartEvent = std::function<void(LV, IDataObject* data_object,
                                                TLqCommonDropEffects& available, bool& allow_drag)>;
using TLqOLEGetCustomFormatsEvent =
    std::function<void(LV, int direction, std::vector<TLqFormatEtc>& formats)>;
using TLqOLEGetDataEvent =
    std::function<void(LV, const TLqFormatEtc& format_in, TLqStgMedium& medium, bool& handled)>;
using TLqOLEGetDataObjectEvent = std::function<void(LV, IDataObject*& data_object)>;
using TLqOLEGiveFeedbackEvent =
    std::function<void(LV, TLqCommonDropEffects effect, bool& use_default_cursors)>;
using TLqOLEQueryContineDragEvent = std::function<void(
    LV, bool escape_key_pressed, TLqCommonKeyStates keys, TLqOLEQueryDragResult& query_result)>;
using TLqOLEQueryDataEvent =
    std::function<void(LV, const TLqFormatEtc& format_in, bool& format_available, bool& handled)>;
using TLqPaintBkGndEvent = std::function<void(LV, fw::TCanvas*, const fw::TRect& window_rect,
                                              TLqAlphaBlender*, bool& do_default)>;
using TLqPaintHeaderBkGndEvent =
    std::function<void(LV, fw::TCanvas*, const fw::TRect& rect, bool& handled)>;
using TLqScrollEvent = std::function<void(LV, int delta_x, int delta_y)>;
using TLqScrollEndEvent = std::function<void(LV, TLqScrollDirection direction)>;
using TLqThreadCallBackEvent = std::function<void(LV, TWMThreadRequest& message)>;
using TLqAfterPaintEvent = std::function<void(LV, fw::TCanvas*, const fw::TRect& clip_rect)>;
using TLqListviewEvent = std::function<void(LV)>;
using TLqHeaderMouseMoveEvent =
    std::function<void(fw::TObject* sender, TShift shift, int x, int y)>;

// The event fields of the control, in the order of their published names.
struct TLqListviewEvents {
    TLqAfterPaintEvent OnAfterPaint;
    TLqAutoGroupGetKeyEvent OnAutoGroupGetKey;
    TLqAutoSortGroupCreateEvent OnAutoSortGroupCreate;
    TLqClipboardEvent OnClipboardCopy;
    TLqClipboardCutEvent OnClipboardCut;
    TLqClipboardEvent OnClipboardPaste;
    TLqObjectEvent<TLqColumn> OnColumnCheckChanged;
    TLqChangingEvent<TLqColumn> OnColumnCheckChanging;
    TColumnClickEvent OnColumnClick;
    TColumnContextMenuEvent OnColumnContextMenu;
    TColumnCustomViewEvent OnColumnCustomView;
    TColumnDblClickEvent OnColumnDblClick;
    TColumnDropDownButtonClickEvent OnColumnDropDownButtonClick;
    TLqObjectEvent<TLqColumn> OnColumnEnableChanged;
    TLqChangingEvent<TLqColumn> OnColumnEnableChanging;
    TLqObjectEvent<TLqColumn> FOnColumnFocusChanged;
    TLqChangingEvent<TLqColumn> FOnColumnFocusChanging;
    TLqObjectEvent<TLqColumn> OnColumnFreeing;
    TColumnGetCaptionEvent OnColumnGetCaption;
    TLqGetDetailEvent<TLqColumn> OnColumnGetDetail;
    TLqGetDetailCountEvent<TLqColumn> OnColumnGetDetailCount;
    TColumnGetImageIndexEvent OnColumnGetImageIndex;
    TColumnGetImageListEvent OnColumnGetImageList;
    TColumnImageDrawEvent OnColumnImageDraw;
    TColumnImageDrawIsCustomEvent OnColumnImageDrawIsCustom;
    TColumnImageGetSizeEvent OnColumnImageGetSize;
    TLqObjectEvent<TLqColumn> OnColumnInitialize;
    TLqStreamEvent<TLqColumn> OnColumnLoadFromStream;
    TLqPaintTextEvent<TLqColumn> OnColumnPaintText;
    TLqStreamEvent<TLqColumn> OnColumnSaveToStream;
    TLqObjectEvent<TLqColumn> OnColumnSelectionChanged;
    TLqChangingEvent<TLqColumn> OnColumnSelectionChanging;
    TColumnSetCaptionEvent OnColumnSetCaption;
    TLqSetDetailEvent<TLqColumn> OnColumnSetDetail;
    TColumnSetImageIndexEvent OnColumnSetImageIndex;
    TLqObjectEvent<TLqColumn> OnColumnSizeChanged;
    TColumnSizeChangingEvent OnColumnSizeChanging;
    fw::TNotifyEvent OnColumnStructureChange;
    TLqObjectEvent<TLqColumn> OnColumnVisibilityChanged;
    TLqChangingEvent<TLqColumn> OnColumnVisibilityChanging;
    TLqContextMenuEvent FOnContextMenu;
    TLqCustomGridEvent OnCustomGrid;
    TLqDblClickEvent OnDblClick;
    TLqDragInsertDropEvent FOnDragInsertDrop;
    TLqGetDragImageEvent OnGetDragImage;
    TGroupClickEvent OnGroupClick;
    TLqObjectEvent<TLqGroup> OnGroupCollapse;
    TLqChangingEvent<TLqGroup> OnGroupCollapsing;
    TGroupCompareEvent OnGroupCompare;
    TGroupContextMenuEvent OnGroupContextMenu;
    TGroupCustomViewEvent OnGroupCustomView;
    TGroupDblClickEvent OnGroupDblClick;
    TLqObjectEvent<TLqGroup> OnGroupExpand;
    TLqChangingEvent<TLqGroup> OnGroupExpanding;
    TLqObjectEvent<TLqGroup> OnGroupFreeing;
    TGroupGetCaptionEvent OnGroupGetCaption;
    TLqGetDetailEvent<TLqGroup> OnGroupGetDetail;
    TLqGetDetailCountEvent<TLqGroup> OnGroupGetDetailCount;
    TGroupGetImageIndexEvent OnGroupGetImageIndex;
    TGroupGetImageListEvent OnGroupGetImageList;
    TGroupHotTrackEvent OnGroupHotTrack;
    TGroupImageDrawEvent OnGroupImageDraw;
    TGroupImageDrawIsCustomEvent OnGroupImageDrawIsCustom;
    TGroupImageGetSizeEvent OnGroupImageGetSize;
    TLqObjectEvent<TLqGroup> OnGroupInitialize;
    TLqStreamEvent<TLqGroup> OnGroupLoadFromStream;
    TLqPaintTextEvent<TLqGroup> OnGroupPaintText;
    TLqStreamEvent<TLqGroup> OnGroupSaveToStream;
    TLqObjectEvent<TLqGroup> FOnGroupSelectionChanged;
    TLqChangingEvent<TLqGroup> FOnGroupSelectionChanging;
    TGroupSetCaptionEvent OnGroupSetCaption;
    TLqSetDetailEvent<TLqGroup> OnGroupSetDetail;
    TGroupSetImageIndexEvent OnGroupSetImageIndex;
    fw::TNotifyEvent OnGroupStructureChange;
    TLqObjectEvent<TLqGroup> OnGroupVisibilityChanged;
    TLqChangingEvent<TLqGroup> OnGroupVisibilityChanging;
    TLqHeaderDblClickEvent OnHeaderDblClick;
    TLqHeaderMouseEvent OnHeaderMouseDown;
    TLqHeaderMouseMoveEvent OnHeaderMouseMove;
    TLqHeaderMouseEvent OnHeaderMouseUp;
    TLqHintCustomDrawEvent OnHintCustomDraw;
    TLqHintCustomInfoEvent OnHintCustomInfo;
    TLqHintPauseTimeEvent OnHintPauseTime;
    TLqHintPopupEvent OnHintPopup;
    TLqIncrementalSearchEvent OnIncrementalSearch;
    TLqInsertMarkPositionEvent OnInsertMarkPosition;
    TLqObjectEvent<TLqItem> OnItemCheckChange;
    TLqChangingEvent<TLqItem> OnItemCheckChanging;
    TItemClickEvent OnItemClick;
    TItemCompareEvent OnItemCompare;
    TItemContextMenuEvent OnItemContextMenu;
    TItemCreateEditorEvent OnItemCreateEditor;
    TItemCustomViewEvent OnItemCustomView;
    TItemDblClickEvent OnItemDblClick;
    TLqObjectEvent<TLqItem> FOnItemEditAccepted;
    TItemEditBeginEvent OnItemEditBegin;
    TLqObjectEvent<TLqItem> OnItemEditEnd;
    TItemEditedEvent OnItemEdited;
    TLqObjectEvent<TLqItem> OnItemEnableChange;
    TLqChangingEvent<TLqItem> OnItemEnableChanging;
    TLqObjectEvent<TLqItem> OnItemFocusChanged;
    TLqChangingEvent<TLqItem> OnItemFocusChanging;
    TLqObjectEvent<TLqItem> OnItemFreeing;
    TItemGetCaptionEvent OnItemGetCaption;
    TItemGetEditCaptionEvent OnItemGetEditCaption;
    TItemGetEditMenuEvent OnItemGetEditMenu;
    TItemGetGroupKeyEvent OnItemGetGroupKey;
    TItemGetImageIndexEvent OnItemGetImageIndex;
    TItemGetImageListEvent OnItemGetImageList;
    TItemGetImageListEvent FOnItemGetStateImageList;
    TLqGetDetailEvent<TLqItem> OnItemGetTileDetail;
    TLqGetDetailCountEvent<TLqItem> OnItemGetTileDetailCount;
    TItemHotTrackEvent OnItemHotTrack;
    TItemImageDrawEvent OnItemImageDraw;
    TItemImageDrawIsCustomEvent OnItemImageDrawIsCustom;
    TItemImageGetSizeEvent OnItemImageGetSize;
    TLqObjectEvent<TLqItem> OnItemInitialize;
    TLqStreamEvent<TLqItem> OnItemLoadFromStream;
    TItemMouseButtonEvent OnItemMouseDown;
    TItemMouseButtonEvent OnItemMouseUp;
    TItemPaintTextEvent OnItemPaintText;
    TLqStreamEvent<TLqItem> OnItemSaveToStream;
    TLqObjectEvent<TLqItem> OnItemSelectionChanged;
    TLqChangingEvent<TLqItem> OnItemSelectionChanging;
    TLqListviewEvent OnItemSelectionsChanged;
    TItemSetCaptionEvent OnItemSetCaption;
    TItemSetGroupKeyEvent OnItemSetGroupKey;
    TItemSetImageIndexEvent OnItemSetImageIndex;
    TLqSetDetailEvent<TLqItem> OnItemSetTileDetail;
    fw::TNotifyEvent OnItemStructureChange;
    TItemThumbnailDrawEvent OnItemThumbnailDraw;
    TLqObjectEvent<TLqItem> OnItemVisibilityChanged;
    TLqChangingEvent<TLqItem> OnItemVisibilityChanging;
    TLqKeyActionEvent OnKeyAction;
    TLqMouseGestureEvent OnMouseGesture;
    TLqOLEDragDropEvent OnOLEDragDrop;
    TLqOLEDragEndEvent OnOLEDragEnd;
    TLqOLEDragEnterEvent OnOLEDragEnter;
    TLqListviewEvent OnOLEDragLeave;
    TLqOLEDragOverEvent OnOLEDragOver;
    TLqOLEDragStartEvent OnOLEDragStart;
    TLqOLEGetCustomFormatsEvent OnOLEGetCustomFormats;
    TLqOLEGetDataEvent OnOLEGetData;
    TLqOLEGetDataObjectEvent OnOLEGetDataObject;
    TLqOLEGiveFeedbackEvent OnOLEGiveFeedback;
    TLqOLEQueryContineDragEvent OnOLEQueryContineDrag;
    TLqOLEQueryDataEvent OnOLEQueryData;
    TLqPaintBkGndEvent OnPaintBkGnd;
    TLqPaintHeaderBkGndEvent OnPaintHeaderBkGnd;
    TLqScrollEvent OnScroll;
    TLqScrollEndEvent FOnScrollEnd;
    TLqListviewEvent OnSortBegin;
    TLqListviewEvent OnSortEnd;
    TLqThreadCallBackEvent OnThreadCallBack;
    TLqListviewEvent OnViewChange;
};

}

#endif
