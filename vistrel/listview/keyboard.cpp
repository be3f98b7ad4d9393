// The control's other input: keys with their navigation and shortcuts, the wheel, the
// context menu, hints, size changes, the accessibility request, the edit manager's
// move message and the framework's own drag and drop.
#include "framework/forms.h"
#include "framework/menus.h"
#include "listview/common/input_conversions.h"
#include "listview/common/text_routines.h"
#include "listview/groups.h"
#include "listview/hints.h"
#include "listview/incremental_search.h"
#include "listview/item_view.h"
#include "listview/items.h"
#include "listview/layout.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "listview/scrollbars.h"
#include "listview/selection.h"
#include "platform/drag_and_accessibility.h"
#include "platform/user_paint.h"
#include "platform/system_metrics.h"

#include <algorithm>
#include <climits>

using namespace fw;

namespace vistrel::listview {

namespace {

// The caption is measured as painted: wrapped in the label's width, aligned to its
// left edge, nothing drawn.
constexpr DrawTextFlags kTipMeasureFlags = dtfLeft | dtfCalcRect | dtfCalcRectAlign;

class SelectionChangeBatch {
public:
    explicit SelectionChangeBatch(TLqSelectionManager* selection) : m_selection(selection)
    {
        m_selection->IncMultiChangeCount();
    }
    ~SelectionChangeBatch() noexcept(false) { m_selection->DecMultiChangeCount(); }
    SelectionChangeBatch(const SelectionChangeBatch&) = delete;
    SelectionChangeBatch& operator=(const SelectionChangeBatch&) = delete;

private:
    TLqSelectionManager* m_selection;
};

}

// ---- Keys ------------------------------------------------------------------------------------

void TCustomLqListview::key_down_message(TMessage& message)
{
    TLqCommonCanvasControl::Dispatch(message);
    if (m_states.Contains(ebcsDragSelecting)) {
        m_drag_rect->WMKeyDown(message);
        return;
    }
    m_incremental_search->HandleWMKeyDown(message);
    const TWMKey key = TWMKey::From(message);
    TShiftState shift = KeyDataToShiftStates(key.KeyData);
    bool do_default = true;
    WORD char_code = key.CharCode;
    DoKeyAction(char_code, shift, do_default);
    message.WParam = char_code;
    if (do_default)
        HandleKeyDown(TWMKey::From(message));
}

bool TCustomLqListview::focus_first_if_none()
{
    if (m_selection->FocusedItem() != nullptr)
        return false;
    m_selection->SetFocusedItem(m_groups->FirstVisibleItem());
    return true;
}

void TCustomLqListview::HandleKeyDown(const TWMKey& message)
{
    SelectionChangeBatch batch(m_selection.get());
    const bool ctrl = KeyDataToShiftStates(message.KeyData).Contains(ssCtrl);
    const bool navigate = m_selection->Enabled() || m_selection->UseFocusRect();
    TLqScrollbarManager* bars = m_scrollbars.get();
    // With navigation a key first focuses the first item; only later keys move.
    auto move_to = [this](auto target_of) {
        if (!focus_first_if_none())
            MoveFocusTo(target_of(m_selection->FocusedItem()));
    };
    auto adjacent = [this, &move_to](TLqAdjacentCellDir direction) {
        move_to([this, direction](TLqItem* focused) {
            return m_groups->AdjacentItem(focused, direction);
        });
    };
    switch (message.CharCode) {
    case VK_ESCAPE:
        ClearCutMarks();
        SafeInvalidateRect(nullptr, false);
        break;
    case VK_SPACE:
        if (TLqItem* focused = m_selection->FocusedItem()) {
            const TLqCheckType check_type = focused->PaintInfo()->CheckType();
            if (check_type == ectBox || check_type == ectRadio)
                focused->SetChecked(!focused->Checked());
        }
        break;
    case VK_PRIOR:
        if (navigate)
            adjacent(acdPageUp);
        else
            bars->SetOffsetY(bars->OffsetY() - ClientHeight());
        break;
    case VK_NEXT:
        if (navigate)
            adjacent(acdPageDown);
        else
            bars->SetOffsetY(bars->OffsetY() + ClientHeight());
        break;
    case VK_END:
        if (navigate) {
            move_to([this](TLqItem*) { return m_groups->LastVisibleItem(); });
        } else {
            bars->SetOffsetX(bars->MaxOffsetX());
            bars->SetOffsetY(bars->MaxOffsetY());
        }
        break;
    case VK_HOME:
        if (navigate) {
            move_to([this](TLqItem*) { return m_groups->FirstVisibleItem(); });
        } else {
            bars->SetOffsetX(0);
            bars->SetOffsetY(0);
        }
        break;
    case VK_LEFT:
        if (navigate)
            adjacent(acdLeft);
        else
            bars->SetOffsetX(bars->OffsetX() - 1);
        break;
    case VK_UP:
        if (navigate)
            adjacent(acdUp);
        else
            bars->SetOffsetY(bars->OffsetY() - 1);
        break;
    case VK_RIGHT:
        if (navigate)
            adjacent(acdRight);
        else
            bars->SetOffsetX(bars->OffsetX() + 1);
        break;
    case VK_DOWN:
        if (navigate) {
            move_to([this](TLqItem* focused) {
                TLqItem* target = m_groups->AdjacentItem(focused, acdDown);
                // A single unselected item: the key selects it.
                if (target == nullptr && m_selection->Count() == 0 && m_groups->ItemCount() == 1) {
                    m_selection->SetFocusedItem(nullptr);
                    target = m_groups->FirstItem();
                }
                return target;
            });
        } else {
            bars->SetOffsetY(bars->OffsetY() + 1);
        }
        break;
    case 'A':
        if (ctrl)
            m_selection->SelectAll();
        break;
    case 'C':
        if (ctrl) {
            bool handled = false;
            DoClipboardCopy(handled);
            if (!handled)
                CopyToClipboard();
        }
        break;
    case 'V':
        if (ctrl) {
            bool handled = false;
            DoClipboardPaste(handled);
            if (!handled)
                PasteFromClipboard();
        }
        break;
    case 'X':
        if (ctrl) {
            bool mark_as_cut = true;
            bool handled = false;
            DoClipboardCut(mark_as_cut, handled);
            if (!handled)
                CutToClipboard();
            else if (mark_as_cut)
                MarkSelectedAsCut();
        }
        break;
    case VK_ADD:
        if (ctrl)
            AutoFitAllCellCaptions(true);
        break;
    case VK_F2:
        if (TLqItem* focused = m_selection->FocusedItem())
            m_edit_manager->BeginEdit(focused, nullptr);
        break;
    default:
        break;
    }
}

void TCustomLqListview::MoveFocusTo(TLqItem* target)
{
    if (target == nullptr)
        return;
    // The lock is held without its end's work; the window is painted at once instead,
    // also when a step fails.
    ++update_count_ref();
    struct Unlock {
        TCustomLqListview* owner;
        ~Unlock() noexcept(false)
        {
            --owner->update_count_ref();
            if (owner->HandleAllocated())
                UpdateWindow(owner->Handle());
        }
    } unlock{this};
    TLqSelectionManager* selection = m_selection.get();
    if (target != selection->FocusedItem()) {
        if (selection->Enabled() || !selection->UseFocusRect()) {
            const TShiftState shift = KeyDataToShiftStates(0);
            if (shift.Contains(ssCtrl)) {
                selection->SetFocusedItem(target);
            } else if (shift.Contains(ssShift)) {
                if (selection->AnchorItem() != nullptr)
                    selection->SelectRange(selection->AnchorItem(), target, selection->RectSelect(),
                                           true);
                else
                    selection->ClearAll();
                selection->SetFocusedItem(target);
                target->SetSelected(true);
            } else {
                selection->ClearAll();
                selection->SetFocusedItem(target);
                target->SetSelected(true);
                selection->SetAnchorItem(target);
            }
        } else {
            selection->SetFocusedItem(target);
        }
    }
    if (TLqItem* focused = selection->FocusedItem())
        focused->MakeVisible(emvAuto);
}

// ---- Wheel -----------------------------------------------------------------------------------

bool TCustomLqListview::DoMouseWheel(TShiftState shift, int wheel_delta, TPoint mouse_pos)
{
    int lines = 3;
    UINT system_lines = 0;
    if (SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &system_lines, 0) != 0)
        // A page per notch reads as the largest count: the client height limits it.
        lines =
            system_lines > static_cast<UINT>(INT_MAX) ? INT_MAX : static_cast<int>(system_lines);
    int amount;
    if (m_wheel_mouse_default_scroll == edwsVert) {
        const int cell = std::max(1, m_groups->CellHeight());
        amount = cell * std::min(lines, ClientHeight() / cell);
    } else {
        amount = m_groups->CellWidth();
    }
    if (wheel_delta < 0)
        amount = -amount;
    TLqCommonCanvasControl::DoMouseWheel(shift, amount, mouse_pos);
    TLqDefaultWheelScroll direction = m_wheel_mouse_default_scroll;
    if (m_wheel_mouse_scroll_modifier_enabled) {
        if (shift.Contains(ssShift))
            direction = direction == edwsVert ? edwsHorz : edwsVert;
        if (shift.Contains(ssCtrl)) {
            amount = direction == edwsVert ? ClientHeight() - HeaderHeightInView() : ClientWidth();
            if (wheel_delta < 0)
                amount = -amount;
        }
    }
    if (direction == edwsVert)
        m_scrollbars->Scroll(0, -amount);
    else
        m_scrollbars->Scroll(-amount, 0);
    return true;
}

bool TCustomLqListview::DoMouseWheelDown(TShiftState shift, TPoint mouse_pos)
{
    return TLqCommonCanvasControl::DoMouseWheelDown(shift, mouse_pos);
}

bool TCustomLqListview::DoMouseWheelUp(TShiftState shift, TPoint mouse_pos)
{
    return TLqCommonCanvasControl::DoMouseWheelUp(shift, mouse_pos);
}

// ---- Context menu ----------------------------------------------------------------------------

void TCustomLqListview::context_menu_message(TMessage& message)
{
    struct ClearCancel {
        TLqControlStates& states;
        ~ClearCancel() { states.Exclude(ebcsCancelContextMenu); }
    } clear_cancel{m_states};

    if (m_edit_manager->Editing() || (m_gesture->Enabled() && !m_gesture->Path().isEmpty())) {
        message.Result = 1;
        TLqCommonCanvasControl::Dispatch(message);
        return;
    }
    if (m_states.Contains(ebcsCancelContextMenu))
        return;
    bool handled = false;
    TPopupMenu* menu = nullptr;
    TPoint pt{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
    if (pt.X == -1 && pt.Y == -1) {
        // The menu key: the first selected item, or the control's corner.
        const bool selected = m_selection->Count() > 0;
        POINT cursor{};
        GetCursorPos(&cursor);
        const TPoint cursor_client = ScreenToClient(TPoint{cursor.x, cursor.y});
        pt = ClientToScreen(selected && ClientRect().Contains(cursor_client) ? cursor_client
                                                                             : TPoint{0, 0});
        if (selected) {
            if (TLqItem* item = m_selection->First()) {
                // The item's corner where it shows in the window.
                pt =
                    ClientToScreen(m_scrollbars->MapViewToWindow(item->ViewRect().TopLeft(), true));
                TLqHitInfoItem hit{item, item->OwnerGroup(), nullptr, {ehtOnIcon, ehtOnLabel}};
                DoItemContextMenu(hit, pt, menu, handled);
            }
        }
    } else {
        const TPoint client = ScreenToClient(pt);
        if (IsHeaderMouseMsg(client, false)) {
            m_header->HandleMessage(message);
            handled = true;
        } else {
            m_states.Exclude(ebcsDragSelectPending).Exclude(ebcsDragPending);
            const TPoint P = ViewPoint(client);
            TLqGroupHitTestInfoSet group_hit;
            if (TLqGroup* group = GroupHitTest(P, group_hit)) {
                TLqItemHitTestInfoSet item_hit;
                TLqItem* item = ItemHitTest(P, group, item_hit);
                if (item != nullptr && !item_hit.Empty())
                    DoItemContextMenu(TLqHitInfoItem{item, group, nullptr, item_hit}, pt, menu,
                                      handled);
                if (menu == nullptr && !handled)
                    DoGroupContextMenu(TLqHitInfoGroup{group, group_hit}, pt, menu, handled);
            }
        }
    }
    if (!handled)
        DoContextMenu(pt, handled);
    if (handled)
        return;
    if (menu != nullptr) {
        menu->Popup(pt.X, pt.Y);
        message.Result = 1;
    } else {
        TLqCommonCanvasControl::Dispatch(message);
    }
}

// ---- Hints -----------------------------------------------------------------------------------

bool TCustomLqListview::CaptionNeedsTip(TLqItem* item, QString& text)
{
    text.clear();
    if (item == nullptr || item->Focused())
        return false;
    TCanvas* canvas = Canvas();
    TLqColumn* column = m_header->FirstVisibleColumn();
    TLqRectArrayObject rects;
    item->ItemRectArray(column, canvas, rects);
    TLqViewItem* view = item->View();
    view->LoadTextFont(item, 0, canvas, false);
    const int lines = view->PaintTextLineCount(item, column);
    const QString caption = item->Caption();
    TRect measured = rects.LabelRect;
    DrawTextWithFlags(canvas->Handle(), caption, measured, kTipMeasureFlags, lines);
    if (rects.TextRect.Width() >= measured.Width() && rects.TextRect.Height() >= measured.Height())
        return false;
    text = caption;
    return true;
}

void TCustomLqListview::hint_show_message(TMessage& message)
{
    auto* info = reinterpret_cast<THintInfo*>(message.LParam);
    if (info == nullptr || m_drag_manager->Dragging() || m_drag_rect->Dragging()) {
        message.Result = 1;
        return;
    }
    if (!m_hint_data)
        m_hint_data = std::make_shared<TLqHintInfoRec>();
    TLqHintInfoRec& data = *m_hint_data;

    const TPoint P = ViewPoint(info->CursorPos);
    TLqCollectionItem* target = nullptr;
    TLqItemHitTestInfoSet item_hit;
    TLqItem* item = ItemHitTest(P, nullptr, item_hit);
    TLqGroupHitTestInfoSet group_hit;
    TLqGroup* group = nullptr;
    if (item != nullptr && item_hit.Contains(ehtOnClickSelectBounds)) {
        target = item;
    } else {
        item = nullptr;
        group = GroupHitTest(P, group_hit);
        target = group;
    }
    data.HintType = HintType();
    data.HintStr = Hint();
    data.ReshowTimeout = info->ReshowTimeout;
    data.HideTimeout = info->HideTimeout;
    bool allow = false;
    DoHintPopup(target, data.HintType, info->CursorPos, data.HintStr, data.HideTimeout,
                data.ReshowTimeout, allow);
    if (data.HintStr.isEmpty())
        allow = false;
    info->ReshowTimeout = data.ReshowTimeout;
    // The handler's hide timeout holds; it may change it as it may the reshow timeout.
    info->HideTimeout = data.HideTimeout;
    data.ToolTipRect = TRect{0, 0, GetSystemMetrics(SM_CXSCREEN), 0};
    if (data.HintType == ehtToolTip) {
        allow = false;
        QString caption;
        if (item != nullptr && CaptionNeedsTip(item, caption)) {
            allow = true;
            data.HintStr = caption;
        }
    }
    if (!allow) {
        message.Result = 1;
        return;
    }
    info->HintWindowClass = HintWindowClassOf<TLqHintWindow>();
    info->HintData = &data;
    if (info->HintStr.isEmpty())
        info->HintStr = QStringLiteral("Dummy");
    TRect cursor_rect = info->CursorRect;
    bool have_rect = false;
    if (item != nullptr) {
        cursor_rect = item->ViewRect();
        have_rect = true;
    } else if (group != nullptr) {
        have_rect = true;
        if (group_hit.Contains(egtOnRightMargin))
            cursor_rect = group->BoundsRectRightMargin();
        else if (group_hit.Contains(egtOnLeftMargin))
            cursor_rect = group->BoundsRectLeftMargin();
        else if (group_hit.Contains(egtOnHeader))
            cursor_rect = group->BoundsRectTopMargin();
        else if (group_hit.Contains(egtOnFooter))
            cursor_rect = group->BoundsRectBottomMargin();
        else
            have_rect = false;
    }
    if (have_rect)
        info->CursorRect = m_scrollbars->MapViewRectToWindowRect(cursor_rect, true);
    data.HintControl = info->HintControl;
    data.HintWindowClass = info->HintWindowClass;
    data.HintPos = info->HintPos;
    data.HintMaxWidth = info->HintMaxWidth;
    data.HintColor = info->HintColor;
    data.CursorRect = info->CursorRect;
    data.CursorPos = info->CursorPos;
    data.Listview = this;
    data.HintData = nullptr;
    data.TargetObj = target;
    TLqCommonCanvasControl::Dispatch(message);
}

// ---- Size, accessibility, editing, framework drags -------------------------------------------

void TCustomLqListview::window_pos_changing_message(TMessage& message)
{
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(message.LParam);
    const bool resized = pos != nullptr && (pos->flags & SWP_NOSIZE) == 0 &&
                         (pos->cx != m_window_width || pos->cy != m_window_height);
    m_background->WMWindowPosChanging(message);
    if (!resized) {
        TLqCommonCanvasControl::Dispatch(message);
        return;
    }
    const int delta_x = pos->cx - m_window_width;
    const int delta_y = pos->cy - m_window_height;
    TLqCommonCanvasControl::Dispatch(message);
    DoResize(delta_x, delta_y);
    if (HandleAllocated())
        UpdateWindow(Handle());
}

void TCustomLqListview::window_pos_changed_message(TMessage& message)
{
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(message.LParam);
    const bool resized = pos != nullptr && (pos->flags & SWP_NOSIZE) == 0 &&
                         (pos->cx != m_window_width || pos->cy != m_window_height);
    if (!resized) {
        TLqCommonCanvasControl::Dispatch(message);
        return;
    }
    m_window_width = pos->cx;
    m_window_height = pos->cy;
    // The back buffer follows the new size however the layout ends.
    struct GrowBackBits {
        TCustomLqListview* owner;
        ~GrowBackBits() { owner->ResizeBackBits(owner->Width(), owner->Height()); }
    } grow{this};
    TLqCommonCanvasControl::Dispatch(message);
    m_groups->Rebuild(true);
    m_scrollbars->ReCalculateScrollbars(true, false);
}

void TCustomLqListview::get_object_message(TMessage& message)
{
    TLqCommonCanvasControl::Dispatch(message);
    // The accessible objects come with accessibility's own work: none is handed out.
    if (static_cast<LONG>(message.LParam) == OBJID_CLIENT)
        message.Result =
            m_accessible ? LresultFromObject(nullptr, message.WParam, m_accessible.get()) : 0;
}

void TCustomLqListview::edit_move_message()
{
    TLqItem* item = m_edit_manager->TabMoveFocusItem();
    TLqCollectionItem* column = m_edit_manager->TabMoveFocusColumn();
    m_edit_manager->SetTabMoveFocusItem(nullptr);
    if (m_edit_manager->TabEditColumns() && column != nullptr) {
        column->MakeVisible(emvTop);
        m_edit_manager->BeginEdit(item, column);
        return;
    }
    if (item == nullptr)
        return;
    m_selection->SetFocusedItem(item);
    item->MakeVisible(emvAuto);
    m_edit_manager->BeginEdit(item, nullptr);
}

void TCustomLqListview::drag_message(TMessage& message)
{
    const auto* drag = reinterpret_cast<const TDragRec*>(message.LParam);
    const TPoint client = drag != nullptr ? ScreenToClient(drag->Pos) : TPoint{};
    TLqCommonDropEffect effect = cdeNone;
    switch (static_cast<TDragMessage>(message.WParam)) {
    case dmDragEnter:
        m_drag_manager->DragEnter(nullptr, nullptr, client, TLqCommonKeyStates{}, effect);
        TLqCommonCanvasControl::Dispatch(message);
        return;
    case dmDragLeave: {
        POINT cursor{};
        GetCursorPos(&cursor);
        if (!HandleAllocated() || WindowFromPoint(cursor) != Handle()) {
            m_drag_manager->DragEnd(Canvas(), client, TLqCommonKeyStates{});
            ClearMouseStates();
        }
        TLqCommonCanvasControl::Dispatch(message);
        return;
    }
    case dmDragMove:
        m_drag_manager->Drag(Canvas(), client, TLqCommonKeyStates{}, effect);
        TLqCommonCanvasControl::Dispatch(message);
        return;
    case dmDragDrop:
        TLqCommonCanvasControl::Dispatch(message);
        m_drag_manager->DragDrop(client, TLqCommonKeyStates{}, effect);
        ClearMouseStates();
        return;
    case dmDragCancel:
        m_drag_manager->DragEnd(Canvas(), client, TLqCommonKeyStates{});
        TLqCommonCanvasControl::Dispatch(message);
        ClearMouseStates();
        return;
    case dmFindTarget: {
        TLqCommonCanvasControl::Dispatch(message);
        TControl* target = ControlAtPos(client, false, true);
        message.Result = reinterpret_cast<LRESULT>(target != nullptr ? target : this);
        return;
    }
    default:
        TLqCommonCanvasControl::Dispatch(message);
        return;
    }
}

void TCustomLqListview::DoStartDrag()
{
    try {
        if (OnStartDrag)
            OnStartDrag(this);
    } catch (...) {
        m_states.Exclude(ebcsDragPending).Exclude(ebcsDragging).Exclude(ebcsVCLDrag);
    }
}

}
