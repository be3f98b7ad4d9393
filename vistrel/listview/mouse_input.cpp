// The control's mouse side and its table of window messages: hit tests, presses,
// moves and releases with their selection rules, gestures, the pending states that
// turn a press into a drag, check-box clicks, hot tracking and double clicks.
#include "listview/common/input_conversions.h"
#include "listview/groups.h"
#include "listview/items.h"
#include "listview/layout.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "listview/selection.h"
#include "platform/scroll_bars.h"
#include "platform/system_metrics.h"

using namespace fw;

namespace vistrel::listview {

namespace {

constexpr UINT kMsgEditMove = 0x80CE;
constexpr UINT kMsgThreadCallBack = 0x8164;
constexpr LRESULT kDlgCodeArrowsAllKeysChars = 0x85;

TPoint message_point(const TMessage& message)
{
    const TWMMouse mouse = TWMMouse::From(message);
    return TPoint{mouse.XPos, mouse.YPos};
}

bool any_button(TLqCommonKeyStates keys)
{
    return keys.Contains(cksLButton) || keys.Contains(cksRButton) || keys.Contains(cksMButton);
}

// Closes a selection batch on every way out.
class SelectionBatch {
public:
    explicit SelectionBatch(TLqSelectionManager* selection) : m_selection(selection)
    {
        m_selection->IncMultiChangeCount();
        m_selection->GroupSelectBeginUpdate();
    }
    ~SelectionBatch() noexcept(false)
    {
        m_selection->GroupSelectEndUpdate();
        m_selection->DecMultiChangeCount();
    }
    SelectionBatch(const SelectionBatch&) = delete;
    SelectionBatch& operator=(const SelectionBatch&) = delete;

private:
    TLqSelectionManager* m_selection;
};

class UpdateLock {
public:
    explicit UpdateLock(TCustomLqListview* owner) : m_owner(owner) { m_owner->BeginUpdate(); }
    ~UpdateLock() noexcept(false) { m_owner->EndUpdate(true); }
    UpdateLock(const UpdateLock&) = delete;
    UpdateLock& operator=(const UpdateLock&) = delete;

private:
    TCustomLqListview* m_owner;
};

}

// ---- Hit tests and states --------------------------------------------------------------------

TPoint TCustomLqListview::ViewPoint(TPoint window_point) const
{
    return m_scrollbars->MapWindowToView(window_point, true);
}

TLqGroup* TCustomLqListview::GroupHitTest(TPoint viewport_point,
                                          TLqGroupHitTestInfoSet& hit_info) const
{
    hit_info = TLqGroupHitTestInfoSet{};
    TLqGroup* group = m_groups->GroupByPoint(viewport_point);
    if (group != nullptr)
        group->HitTestAt(viewport_point, hit_info);
    return group;
}

TLqItem* TCustomLqListview::ItemHitTest(TPoint viewport_point, TLqGroup* group,
                                        TLqItemHitTestInfoSet& hit_info) const
{
    hit_info = TLqItemHitTestInfoSet{};
    if (group == nullptr)
        group = m_groups->GroupByPoint(viewport_point);
    if (group == nullptr)
        return nullptr;
    TLqItem* item = group->ItemByPoint(viewport_point);
    if (item != nullptr)
        item->HitTestAt(viewport_point, hit_info);
    return item;
}

bool TCustomLqListview::IsHeaderMouseMsg(TPoint client_pos, bool force)
{
    const bool dragging = m_drag_rect->Dragging() || m_drag_manager->Dragging() ||
                          m_header->DragManager()->Dragging();
    if (dragging && !force)
        return false;
    if ((HeaderInView() && LqContains(m_header->DisplayRect(), client_pos)) ||
        m_states.Contains(ebcsHeaderCapture))
        return true;
    return m_header->HotTrackedColumn() != nullptr;
}

bool TCustomLqListview::IsDragActive() const
{
    return m_states.Contains(ebcsDragPending) || m_states.Contains(ebcsDragging) ||
           m_states.Contains(ebcsDragSelectPending) || m_states.Contains(ebcsDragSelecting);
}

bool TCustomLqListview::button_state_set() const
{
    return m_states.Contains(ebcsLButtonDown) || m_states.Contains(ebcsRButtonDown) ||
           m_states.Contains(ebcsMButtonDown);
}

void TCustomLqListview::ClearMouseStates()
{
    for (TLqControlState state :
         {ebcsLButtonDown, ebcsRButtonDown, ebcsMButtonDown, ebcsScrollButtonDown, ebcsDragPending,
          ebcsDragging, ebcsVCLDrag, ebcsDragSelectPending, ebcsDragSelecting,
          ebcsCheckboxClickPending, ebcsGroupExpandPending, ebcsHeaderCapture})
        m_states.Exclude(state);
    if (!Themed())
        m_check_manager->SetPendingCheck(nullptr);
}

void TCustomLqListview::ClearDragStates()
{
    for (TLqControlState state :
         {ebcsDragPending, ebcsDragging, ebcsVCLDrag, ebcsDragSelectPending, ebcsDragSelecting})
        m_states.Exclude(state);
}

void TCustomLqListview::ClearPendingDrag()
{
    m_states.Exclude(ebcsDragPending).Exclude(ebcsDragSelectPending);
    m_drag_manager->SetDragItem(nullptr);
}

void TCustomLqListview::release_capture()
{
    if (HandleAllocated() && GetCapture() == Handle())
        ReleaseCapture();
}

void TCustomLqListview::header_capture_mouse()
{
    m_states.Include(ebcsHeaderCapture);
    if (HandleAllocated())
        SetCapture(Handle());
}

void TCustomLqListview::header_release_mouse()
{
    m_states.Exclude(ebcsHeaderCapture);
    release_capture();
}

void TCustomLqListview::BeginDragPending(TLqItem* hit_item, TPoint window_point, bool try_drag_rect,
                                         bool try_ole_drag, TLqCommonKeyStates keys)
{
    TakeFocus();
    if (HandleAllocated())
        SetCapture(Handle());
    m_drag_press_pos = window_point;
    const bool rect_accepted = try_drag_rect && m_drag_rect->InitializeDrag(window_point, keys);
    const bool ole_accepted =
        try_ole_drag && m_drag_manager->InitializeDrag(hit_item, window_point, keys);
    if (ole_accepted && m_drag_manager->DragItem() != nullptr) {
        m_states.Include(ebcsDragPending);
        m_drag_rect->FinalizeDrag(keys);
    } else if (rect_accepted) {
        m_states.Include(ebcsDragSelectPending);
        m_drag_manager->FinalizeDrag(keys);
    }
}

void TCustomLqListview::FinishDrag(TPoint window_point, TLqCommonKeyStates keys)
{
    if (m_states.Contains(ebcsDragging)) {
        m_states.Exclude(ebcsDragging);
        m_drag_manager->DragEnd(Canvas(), window_point, keys);
    }
    if (m_states.Contains(ebcsDragSelecting)) {
        m_states.Exclude(ebcsDragSelecting);
        m_drag_rect->DragEnd(Canvas(), window_point, keys);
    }
    ClearMouseStates();
    release_capture();
}

// ---- The message table -----------------------------------------------------------------------

bool TCustomLqListview::dispatch_input(TMessage& message)
{
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
        button_down_message(message, cmbLeft);
        return true;
    case WM_RBUTTONDOWN:
        button_down_message(message, cmbRight);
        return true;
    case WM_MBUTTONDOWN:
        button_down_message(message, cmbMiddle);
        return true;
    case WM_LBUTTONUP:
        button_up_message(message, cmbLeft);
        return true;
    case WM_RBUTTONUP:
        button_up_message(message, cmbRight);
        return true;
    case WM_MBUTTONUP:
        button_up_message(message, cmbMiddle);
        return true;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        if (message.Msg == WM_LBUTTONDBLCLK)
            m_edit_manager->EndEdit();
        TLqCommonCanvasControl::Dispatch(message);
        const TLqCommonMouseButton button = message.Msg == WM_LBUTTONDBLCLK   ? cmbLeft
                                            : message.Msg == WM_RBUTTONDBLCLK ? cmbRight
                                                                              : cmbMiddle;
        HandleDblClick(button, TWMMouse::From(message));
        return true;
    }
    case WM_MOUSEMOVE:
        mouse_move_input(message);
        return true;
    case WM_KEYDOWN:
        key_down_message(message);
        return true;
    case WM_CHAR:
        TLqCommonCanvasControl::Dispatch(message);
        m_incremental_search->HandleWMChar(message);
        return true;
    case WM_GETDLGCODE:
        TLqCommonCanvasControl::Dispatch(message);
        message.Result |= kDlgCodeArrowsAllKeysChars;
        return true;
    case WM_CONTEXTMENU:
        context_menu_message(message);
        return true;
    case CM_HINTSHOW:
        hint_show_message(message);
        return true;
    case CM_HINTSHOWPAUSE:
        if (message.LParam != 0)
            DoHintPauseTime(message.WParam != 0, *reinterpret_cast<int*>(message.LParam));
        TLqCommonCanvasControl::Dispatch(message);
        return true;
    case CM_DRAG:
        drag_message(message);
        return true;
    case WM_SETFOCUS:
        TLqCommonCanvasControl::Dispatch(message);
        SafeInvalidateRect(nullptr, true);
        return true;
    case WM_KILLFOCUS:
        TLqCommonCanvasControl::Dispatch(message);
        if (m_hot_track->OnlyFocused())
            m_hot_track->SetHotObject(TPoint{}, nullptr);
        SafeInvalidateRect(nullptr, true);
        ClearDragStates();
        return true;
    case WM_MOUSEACTIVATE:
        TLqCommonCanvasControl::Dispatch(message);
        if (m_edit_manager->Editing()) {
            message.Result = MA_NOACTIVATE;
        } else {
            TakeFocus();
            message.Result = MA_ACTIVATE;
        }
        return true;
    case WM_HSCROLL:
    case WM_VSCROLL:
        TLqCommonCanvasControl::Dispatch(message);
        if (LOWORD(message.WParam) == SB_ENDSCROLL)
            m_states.Exclude(ebcsScrolling);
        else
            m_states.Include(ebcsScrolling);
        if (message.Msg == WM_HSCROLL)
            m_scrollbars->WMHScroll(message);
        else
            m_scrollbars->WMVScroll(message);
        SafeInvalidateRect(nullptr, false);
        return true;
    case WM_SIZE:
        m_header->HandleMessage(message);
        TLqCommonCanvasControl::Dispatch(message);
        return true;
    case WM_ERASEBKGND:
        message.Result = 1;
        return true;
    case WM_CLOSE:
        m_edit_manager->EndEdit();
        TLqCommonCanvasControl::Dispatch(message);
        return true;
    case WM_DESTROY:
        m_edit_manager->EndEdit();
        // The accessible objects come with accessibility's own work; none is made here.
        m_accessible.reset();
        m_drag_manager->SetRegistered(false);
        m_header->DragManager()->SetRegistered(false);
        TLqCommonCanvasControl::Dispatch(message);
        return true;
    case WM_WINDOWPOSCHANGING:
        window_pos_changing_message(message);
        return true;
    case WM_WINDOWPOSCHANGED:
        window_pos_changed_message(message);
        return true;
    case WM_GETOBJECT:
        get_object_message(message);
        return true;
    case kMsgEditMove:
        edit_move_message();
        return true;
    case kMsgThreadCallBack: {
        TWMThreadRequest request{message.Msg, static_cast<int>(message.WParam),
                                 reinterpret_cast<TObject*>(message.LParam), 0};
        DoThreadCallBack(request);
        message.Result = request.Result;
        return true;
    }
    default:
        return false;
    }
}

// ---- Press -----------------------------------------------------------------------------------

void TCustomLqListview::button_down_message(TMessage& message, TLqCommonMouseButton button)
{
    const TPoint position = message_point(message);
    switch (button) {
    case cmbLeft:
        m_states.Include(ebcsLButtonDown);
        break;
    case cmbRight:
        m_states.Include(ebcsRButtonDown);
        break;
    default:
        m_states.Include(ebcsMButtonDown);
        break;
    }
    TakeFocus();
    if (button != cmbMiddle && IsHeaderMouseMsg(position, false)) {
        if (button == cmbLeft) {
            header_capture_mouse();
            m_header->HandleMessage(message);
        } else {
            m_header->HandleMessage(message);
            header_release_mouse();
        }
    } else {
        TLqCommonCanvasControl::Dispatch(message);
        HandleMouseDown(button, TWMMouse::From(message));
    }
    m_last_mouse_pos = position;
}

void TCustomLqListview::HandleMouseDown(TLqCommonMouseButton button, const TWMMouse& message)
{
    const TLqCommonKeyStates keys = NativeToKeyStates(message.Keys);
    const TPoint window_point{message.XPos, message.YPos};
    const TPoint P = ViewPoint(window_point);
    const bool ctrl = keys.Contains(cksControl);
    const bool shift = keys.Contains(cksShift);
    const bool button_down = any_button(keys);
    m_gesture->ClearPath();

    TLqGroupHitTestInfoSet group_hit;
    TLqGroup* group = GroupHitTest(P, group_hit);
    if (group != nullptr) {
        if (IsExpandButtonHit(group_hit) && button == cmbLeft) {
            bool allow = true;
            if (group->Expanded())
                DoGroupCollapsing(group, allow);
            else
                DoGroupExpanding(group, allow);
            if (!allow)
                return;
            UpdateLock lock(this);
            m_states.Include(ebcsGroupExpandPending);
            group->SetExpanded(!group->Expanded());
            TLqItem* focused = m_selection->FocusedItem();
            if (!group->Expanded() && focused != nullptr && focused->OwnerGroup() == group) {
                TLqItem* next = m_groups->NextVisibleItem(focused);
                while (next != nullptr && !next->Enabled())
                    next = m_groups->NextVisibleItem(next);
                m_selection->SetFocusedItem(next);
            }
            return;
        }
        if (group_hit.Contains(egtOnCheckbox) && button == cmbLeft) {
            m_states.Include(ebcsCheckboxClickPending);
            m_hot_track->SetHotCheckObject(nullptr);
            m_check_manager->SetPendingCheck(group);
            return;
        }
        if (group->Expanded()) {
            TLqItemHitTestInfoSet item_hit;
            TLqItem* item = ItemHitTest(P, group, item_hit);
            if (item != nullptr) {
                bool do_default = true;
                DoItemMouseDown(item, button, do_default);
                if (!do_default)
                    return;
                if (item_hit.Contains(ehtOnCheck) && button == cmbLeft) {
                    m_states.Include(ebcsCheckboxClickPending);
                    m_hot_track->SetHotCheckObject(nullptr);
                    m_check_manager->SetPendingCheck(item);
                    return;
                }
                TLqSelectionManager* selection = m_selection.get();
                if (!selection->Enabled()) {
                    if (selection->UseFocusRect() && item->SelectionHitPt(P, eshtClickSelect))
                        selection->SetFocusedItem(item);
                    return;
                }
                const bool editing = m_edit_manager->Editing();
                SelectionBatch batch(selection);
                if (!item->SelectionHitPt(P, eshtClickSelect)) {
                    if (m_drag_rect->MouseButton().Contains(button) && button_state_set() &&
                        !editing)
                        BeginDragPending(item, window_point, true, false, keys);
                    return;
                }
                if (button_down && selection->MouseButton().Contains(button)) {
                    const bool auto_edit = button == cmbLeft && selection->Count() == 1 &&
                                           selection->FocusedItem() == item &&
                                           item->EditAreaHitPt(P) && item->Selected() && Focused();
                    if (selection->MultiSelect()) {
                        if (!item->Selected() && !ctrl && !shift)
                            selection->ClearAll();
                        if (!item->Focused() && !ctrl)
                            selection->SetFocusedItem(item);
                        if (shift)
                            selection->SelectRange(selection->AnchorItem(), item,
                                                   selection->RectSelect(), !ctrl);
                        else
                            selection->SetAnchorItem(item);
                    } else {
                        if (!item->Focused())
                            selection->SetFocusedItem(item);
                        selection->SetAnchorItem(item);
                        selection->ClearAll();
                    }
                    if (!ctrl)
                        item->SetSelected(true);
                    if ((m_drag_rect->MouseButton().Contains(button) ||
                         m_drag_manager->MouseButton().Contains(button)) &&
                        button_state_set())
                        BeginDragPending(item, window_point, true,
                                         item->SelectionHitPt(P, eshtDragSelect), keys);
                    if (auto_edit) {
                        m_edit_manager->SetAutoEditStartClickPt(P);
                        m_edit_manager->StartAutoEditTimer();
                    }
                    return;
                }
                if (m_drag_manager->MouseButton().Contains(button) && button_state_set() &&
                    !editing)
                    BeginDragPending(item, window_point, false, true, keys);
                return;
            }
        }
    }
    // Empty space.
    if (m_drag_rect->MouseButton().Contains(button) && button_state_set() &&
        !m_edit_manager->Editing())
        BeginDragPending(nullptr, window_point, true, false, keys);
}

// ---- Move ------------------------------------------------------------------------------------

void TCustomLqListview::mouse_move_input(TMessage& message)
{
    const TWMMouse mouse = TWMMouse::From(message);
    const TLqCommonKeyStates keys = NativeToKeyStates(mouse.Keys);
    const TPoint position{mouse.XPos, mouse.YPos};
    const TPoint P = ViewPoint(position);

    m_gesture->MouseMove(position.X - m_last_mouse_pos.X, position.Y - m_last_mouse_pos.Y, keys);

    if (IsHeaderMouseMsg(position, false)) {
        m_hot_track->SetHotObject(position, nullptr);
        m_header->HandleMessage(message);
    } else {
        if (m_hot_track->HotObject() == nullptr)
            SetCursor(crDefault);
        if (IsDragActive()) {
            TLqCommonDropEffect effect = cdeNone;
            if (m_states.Contains(ebcsDragSelecting)) {
                m_drag_rect->Drag(Canvas(), position, keys, effect);
            } else if (m_states.Contains(ebcsDragging)) {
                m_drag_manager->Drag(Canvas(), position, keys, effect);
            } else {
                // Pending: the drag starts once the pointer leaves the platform's drag
                // rectangle around the press.
                const int dx = GetSystemMetrics(SM_CXDRAG);
                const int dy = GetSystemMetrics(SM_CYDRAG);
                const TRect around{m_drag_press_pos.X - dx, m_drag_press_pos.Y - dy,
                                   m_drag_press_pos.X + dx, m_drag_press_pos.Y + dy};
                if (!around.Contains(position))
                    start_pending_drag(message, keys, P);
            }
        } else {
            hot_track(position, P);
            TLqCommonCanvasControl::Dispatch(message);
        }
    }
    m_last_mouse_pos = position;
}

void TCustomLqListview::start_pending_drag(TMessage& message, TLqCommonKeyStates keys, TPoint P)
{
    const TPoint position = message_point(message);
    const bool ctrl = keys.Contains(cksControl);
    if (m_states.Contains(ebcsDragSelectPending)) {
        m_states.Include(ebcsDragSelecting).Exclude(ebcsDragSelectPending);
        if (!ctrl && !keys.Contains(cksShift))
            m_selection->ClearAll();
        m_edit_manager->StopAutoEditTimer();
        m_drag_rect->BeginDrag(position, keys);
        POINT cursor{};
        GetCursorPos(&cursor);
        TLqCommonDropEffect effect = cdeNone;
        m_drag_rect->DragEnter(nullptr, Canvas(), ScreenToClient(TPoint{cursor.x, cursor.y}), keys,
                               effect);
        return;
    }
    if (!m_states.Contains(ebcsDragPending))
        return;
    TLqItem* item = m_groups->ItemByPoint(P);
    if (item == nullptr) {
        m_selection->ClearAll();
        m_states.Exclude(ebcsDragPending);
        if (m_drag_rect->Enabled())
            m_states.Include(ebcsDragSelectPending);
        return;
    }
    if (ctrl) {
        item->SetSelected(true);
        item->SetFocused(true);
    }
    m_states.Include(ebcsDragging);
    if (m_drag_manager->DragType() == edtVCL)
        m_states.Include(ebcsVCLDrag);
    m_states.Exclude(ebcsDragPending);
    m_edit_manager->StopAutoEditTimer();
    // The drag runs to its end inside BeginDrag and swallows the button's release; the
    // release goes to the control afterwards, also when the drag fails.
    struct SwallowedRelease {
        TCustomLqListview* owner;
        WPARAM wparam;
        LPARAM lparam;
        ~SwallowedRelease() noexcept(false)
        {
            const TLqControlStates states = owner->States();
            if (states.Contains(ebcsVCLDrag))
                return;
            if (states.Contains(ebcsLButtonDown)) {
                owner->Perform(WM_LBUTTONUP, wparam, lparam);
            } else if (states.Contains(ebcsRButtonDown)) {
                owner->IncludeState(ebcsCancelContextMenu);
                owner->Perform(WM_RBUTTONUP, wparam, lparam);
            } else if (states.Contains(ebcsMButtonDown)) {
                owner->Perform(WM_MBUTTONUP, wparam, lparam);
            }
        }
    } release{this, message.WParam, message.LParam};
    m_drag_manager->BeginDrag(position, keys);
}

void TCustomLqListview::hot_track(TPoint client_pos, TPoint P)
{
    TLqCollectionItem* check_target = nullptr;
    TLqCollectionItem* hot_target = nullptr;
    TLqGroupHitTestInfoSet group_hit;
    TLqGroup* group = GroupHitTest(P, group_hit);
    if (group != nullptr) {
        const TLqHotTrackRectGroups track = m_hot_track->GroupTrack();
        if (group_hit.Contains(egtOnCheckbox))
            check_target = group;
        else if (track.Contains(htgAnyWhere) ||
                 (track.Contains(htgIcon) && group_hit.Contains(egtOnIcon)) ||
                 (track.Contains(htgText) && group_hit.Contains(egtOnText)) ||
                 (track.Contains(htgTopMargin) && group_hit.Contains(egtOnHeader)) ||
                 (track.Contains(htgBottomMargin) && group_hit.Contains(egtOnFooter)) ||
                 (track.Contains(htgLeftMargin) && group_hit.Contains(egtOnLeftMargin)) ||
                 (track.Contains(htgRightMargin) && group_hit.Contains(egtOnRightMargin)))
            hot_target = group;
    }
    if (check_target == nullptr && hot_target == nullptr) {
        TLqItemHitTestInfoSet item_hit;
        TLqItem* item = ItemHitTest(P, group, item_hit);
        if (item != nullptr) {
            const TLqHotTrackRectItems track = m_hot_track->ItemTrack();
            if (item_hit.Contains(ehtOnCheck))
                check_target = item;
            else if (track.Contains(htiAnyWhere) ||
                     (track.Contains(htiIcon) && item_hit.Contains(ehtOnIcon)) ||
                     (track.Contains(htiText) && item_hit.Contains(ehtOnText)))
                hot_target = item;
        }
    }
    if (m_states.Contains(ebcsCheckboxClickPending)) {
        if (TLqCollectionItem* pending = m_check_manager->PendingObject())
            pending->SetCheckHovering(check_target != pending);
        check_target = nullptr;
    }
    if (m_hot_track->Enabled()) {
        const bool allowed = m_check_manager->PendingObject() == nullptr &&
                             (Focused() || !m_hot_track->OnlyFocused()) &&
                             ClientRect().Contains(client_pos);
        m_hot_track->SetHotObject(
            client_pos,
            allowed && hot_target != nullptr && hot_target->Enabled() ? hot_target : nullptr);
        m_hot_track->SetHotCheckObject(check_target);
    } else {
        m_hot_track->SetHotCheckObject(nullptr);
    }
}

// ---- Release ---------------------------------------------------------------------------------

void TCustomLqListview::button_up_message(TMessage& message, TLqCommonMouseButton button)
{
    const TPoint position = message_point(message);
    switch (button) {
    case cmbLeft: {
        const bool vcl_drag = m_states.Contains(ebcsVCLDrag);
        if (IsHeaderMouseMsg(position, false)) {
            m_header->HandleMessage(message);
            TMessage move{WM_MOUSEMOVE, message.WParam, message.LParam, 0};
            m_header->HandleMessage(move);
            header_release_mouse();
        } else {
            if (!vcl_drag)
                ClearPendingDrag();
            TLqCommonCanvasControl::Dispatch(message);
            HandleMouseUp(cmbLeft, TWMMouse::From(message));
            release_capture();
        }
        if (!m_states.Contains(ebcsVCLDrag))
            ClearMouseStates();
        return;
    }
    case cmbRight:
        if (!IsHeaderMouseMsg(position, false)) {
            if (m_states.Contains(ebcsDragging) || m_states.Contains(ebcsVCLDrag) ||
                m_states.Contains(ebcsDragSelecting))
                m_states.Include(ebcsCancelContextMenu);
            if (message.Result == 0)
                HandleMouseUp(cmbRight, TWMMouse::From(message));
            ClearPendingDrag();
            // The platform's handling asks for the context menu.
            TLqCommonCanvasControl::Dispatch(message);
            release_capture();
        } else {
            TLqCommonCanvasControl::Dispatch(message);
            if (message.Result == 0)
                m_header->HandleMessage(message);
            if (m_header->HotTrackedColumn() != nullptr) {
                TMessage move{WM_MOUSEMOVE, message.WParam, message.LParam, 0};
                m_header->HandleMessage(move);
            }
            header_release_mouse();
        }
        ClearMouseStates();
        return;
    default:
        HandleMouseUp(cmbMiddle, TWMMouse::From(message));
        ClearPendingDrag();
        TLqCommonCanvasControl::Dispatch(message);
        release_capture();
        ClearMouseStates();
        return;
    }
}

void TCustomLqListview::HandleMouseUp(TLqCommonMouseButton button, const TWMMouse& message)
{
    const TLqCommonKeyStates keys = NativeToKeyStates(message.Keys);
    const TPoint window_point{message.XPos, message.YPos};
    const TPoint P = ViewPoint(window_point);
    const bool ctrl = keys.Contains(cksControl);
    const bool shift = keys.Contains(cksShift);

    bool do_default_mouse_action = false;
    if (m_gesture->Enabled() && !m_gesture->Path().isEmpty() && !m_states.Contains(ebcsDragging) &&
        !m_states.Contains(ebcsDragSelecting) && !m_states.Contains(ebcsCheckboxClickPending) &&
        !m_states.Contains(ebcsGroupExpandPending))
        DoMouseGesture(m_gesture->Path(), do_default_mouse_action);

    if (!button_state_set() || m_states.Contains(ebcsGroupExpandPending))
        return;
    if (m_states.Contains(ebcsCheckboxClickPending)) {
        check_click_released(P);
        return;
    }
    if (m_states.Contains(ebcsDragSelecting)) {
        FinishDrag(window_point, keys);
        return;
    }
    if (m_states.Contains(ebcsDragging)) {
        if (!m_states.Contains(ebcsVCLDrag))
            FinishDrag(window_point, keys);
        return;
    }
    if (do_default_mouse_action)
        return;
    TLqItemHitTestInfoSet item_hit;
    TLqItem* item = ItemHitTest(P, nullptr, item_hit);
    TLqSelectionManager* selection = m_selection.get();
    if (item != nullptr) {
        bool do_default = true;
        DoItemMouseUp(item, button, do_default);
        if (!do_default)
            return;
        DoItemClick(item, keys, item_hit);
        if (!selection->MouseButton().Contains(button))
            return;
        if (!item->SelectionHitPt(P, eshtClickSelect)) {
            selection->ClearAll();
        } else if (selection->MultiSelect()) {
            if (!shift && !ctrl && button == cmbLeft && item->Selected()) {
                selection->ClearAllExcept(item);
            } else if (ctrl && button == cmbLeft) {
                m_edit_manager->StopAutoEditTimer();
                if (!shift)
                    item->SetSelected(!item->Selected());
                item->SetFocused(true);
            }
        }
        return;
    }
    TLqGroupHitTestInfoSet group_hit;
    if (TLqGroup* group = GroupHitTest(P, group_hit))
        DoGroupClick(group, keys, group_hit);
    if (selection->MouseButton().Contains(button))
        selection->ClearAll();
}

// A check box toggles only when the release lies on the box that took the press: a
// press on one box and a release on another toggles neither.
void TCustomLqListview::check_click_released(TPoint P)
{
    TLqCollectionItem* pending = m_check_manager->PendingObject();
    TLqGroupHitTestInfoSet group_hit;
    TLqGroup* group = GroupHitTest(P, group_hit);
    if (pending != nullptr && pending == group) {
        if (group_hit.Contains(egtOnCheckbox))
            group->SetChecked(!group->Checked());
    } else if (pending != nullptr && dynamic_cast<TLqItem*>(pending) != nullptr) {
        TLqItemHitTestInfoSet item_hit;
        TLqItem* item = ItemHitTest(P, group, item_hit);
        if (item == pending && item_hit.Contains(ehtOnCheck))
            item->SetChecked(!item->Checked());
    }
    if (pending != nullptr) {
        pending->SetCheckHovering(false);
        pending->SetCheckPending(false);
    }
    m_check_manager->SetPendingCheck(nullptr);
}

// ---- Double click ----------------------------------------------------------------------------

void TCustomLqListview::HandleDblClick(TLqCommonMouseButton button, const TWMMouse& message)
{
    const TPoint window_point{message.XPos, message.YPos};
    const TPoint P = ViewPoint(window_point);
    if (HeaderInView() && m_header->Visible() && window_point.Y < m_header->Height()) {
        TMessage header_message{WM_LBUTTONDBLCLK, message.Keys,
                                static_cast<LPARAM>(MAKELPARAM(message.XPos, message.YPos)), 0};
        m_header->HandleMessage(header_message);
        return;
    }
    DoDblClick(button, window_point, KeysToShiftState(message.Keys));
    TLqItemHitTestInfoSet item_hit;
    if (TLqItem* item = ItemHitTest(P, nullptr, item_hit)) {
        if (item->SelectionHitPt(P, eshtClickSelect)) {
            // The column under the point comes with the header's own work.
            const TLqHitInfoItem hit{item, item->OwnerGroup(), nullptr, item_hit};
            DoItemDblClick(button, window_point, hit);
        }
        return;
    }
    TLqGroupHitTestInfoSet group_hit;
    if (TLqGroup* group = GroupHitTest(P, group_hit))
        DoGroupDblClick(button, window_point, TLqHitInfoGroup{group, group_hit});
}

}
