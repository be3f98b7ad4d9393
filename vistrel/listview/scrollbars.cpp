#include "listview/scrollbars.h"

#include "listview/cell_sizes.h"
#include "listview/groups.h"
#include "listview/listview.h"
#include "platform/scroll_bars.h"
#include "platform/system_metrics.h"
#include "platform/user_input.h"
#include "platform/user_paint.h"
#include "platform/user_windows.h"

#include <algorithm>
#include <cstdlib>

using namespace fw;

namespace vistrel::listview {

namespace {

TPoint unpack(uint32_t packed)
{
    return TPoint{static_cast<int16_t>(packed & 0xFFFFu), static_cast<int16_t>(packed >> 16)};
}

TMessage scroll_message(UINT msg, int code)
{
    TMessage message;
    message.Msg = msg;
    message.WParam = static_cast<WPARAM>(code);
    return message;
}

}

// ---- State ---------------------------------------------------------------------------------

void TLqScrollbarManager::SetHorzEnabled(bool value)
{
    if (value == m_horz_enabled)
        return;
    m_horz_enabled = value;
    ReCalculateScrollbars(true, false);
    if (OwnerListview() != nullptr)
        OwnerListview()->SafeInvalidateRect(nullptr, false);
}

void TLqScrollbarManager::SetVertEnabled(bool value)
{
    if (value == m_vert_enabled)
        return;
    m_vert_enabled = value;
    ReCalculateScrollbars(true, false);
    if (OwnerListview() != nullptr)
        OwnerListview()->SafeInvalidateRect(nullptr, false);
}

bool TLqScrollbarManager::HorzBarVisible() const
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr || !owner->HandleAllocated())
        return false;
    return (GetWindowLongPtrW(owner->Handle(), GWL_STYLE) & WS_HSCROLL) != 0;
}

bool TLqScrollbarManager::VertBarVisible() const
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr || !owner->HandleAllocated())
        return false;
    return (GetWindowLongPtrW(owner->Handle(), GWL_STYLE) & WS_VSCROLL) != 0;
}

int TLqScrollbarManager::Line() const
{
    TCustomLqListview* owner = OwnerListview();
    return owner != nullptr && owner->Groups() != nullptr ? owner->Groups()->CellHeight() : 0;
}

bool TLqScrollbarManager::horizontal_view() const
{
    return OwnerListview() != nullptr && !OwnerListview()->IsVertView();
}

int TLqScrollbarManager::header_height() const
{
    return OwnerListview() != nullptr ? OwnerListview()->HeaderHeightInView() : 0;
}

int TLqScrollbarManager::client_width() const
{
    return OwnerListview() != nullptr ? OwnerListview()->ClientWidth() : 0;
}

int TLqScrollbarManager::client_height() const
{
    return OwnerListview() != nullptr ? OwnerListview()->ClientHeight() : 0;
}

int TLqScrollbarManager::SnapWidth() const
{
    // The cell of the view shown: snapping the film strip to the list view's cell would
    // pull every one-cell step of the wheel back to where it started.
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr)
        return 1;
    return owner->CellSizes()->ForView(owner->View())->SafeWidth();
}

int TLqScrollbarManager::MaxOffsetX() const
{
    int range = ViewWidth() - client_width();
    if (range > 0 && horizontal_view() && HorzBarVisible()) {
        const int snap = SnapWidth();
        range = range / snap * snap + snap;
    }
    return std::max(0, range);
}

int TLqScrollbarManager::MaxOffsetY() const
{
    return std::max(0, ViewHeight() + header_height() - client_height());
}

// ---- Mapping -------------------------------------------------------------------------------

TPoint TLqScrollbarManager::MapWindowToView(TPoint window_point, bool account_for_header) const
{
    return TPoint{window_point.X + m_offset_x,
                  window_point.Y + m_offset_y - (account_for_header ? header_height() : 0)};
}

TPoint TLqScrollbarManager::MapWindowToView(uint32_t window_point, bool account_for_header) const
{
    return MapWindowToView(unpack(window_point), account_for_header);
}

TPoint TLqScrollbarManager::MapViewToWindow(TPoint viewport_point, bool account_for_header) const
{
    return TPoint{viewport_point.X - m_offset_x,
                  viewport_point.Y - m_offset_y + (account_for_header ? header_height() : 0)};
}

TPoint TLqScrollbarManager::MapViewToWindow(uint32_t viewport_point, bool account_for_header) const
{
    return MapViewToWindow(unpack(viewport_point), account_for_header);
}

TRect TLqScrollbarManager::MapWindowRectToViewRect(const TRect& window_rect,
                                                   bool account_for_header) const
{
    const TPoint top_left =
        MapWindowToView(TPoint{window_rect.Left, window_rect.Top}, account_for_header);
    const TPoint bottom_right =
        MapWindowToView(TPoint{window_rect.Right, window_rect.Bottom}, account_for_header);
    return TRect{top_left.X, top_left.Y, bottom_right.X, bottom_right.Y};
}

TRect TLqScrollbarManager::MapViewRectToWindowRect(const TRect& viewport_rect,
                                                   bool account_for_header) const
{
    const TPoint top_left =
        MapViewToWindow(TPoint{viewport_rect.Left, viewport_rect.Top}, account_for_header);
    const TPoint bottom_right =
        MapViewToWindow(TPoint{viewport_rect.Right, viewport_rect.Bottom}, account_for_header);
    return TRect{top_left.X, top_left.Y, bottom_right.X, bottom_right.Y};
}

TRect TLqScrollbarManager::ViewableViewportRect() const
{
    const TRect client = OwnerListview() != nullptr ? OwnerListview()->ClientRect() : TRect{};
    return MapWindowRectToViewRect(client, true);
}

// ---- Scrolling -----------------------------------------------------------------------------

void TLqScrollbarManager::ValidateOffsets(int& offset_x, int& offset_y) const
{
    if (OwnerListview() == nullptr) {
        offset_x = 0;
        offset_y = 0;
        return;
    }
    if (m_snap_horz_view && horizontal_view()) {
        const int snap = SnapWidth();
        const int remainder = offset_x % snap;
        const bool past_last_cell = offset_x > ViewWidth() - snap;
        offset_x -= remainder;
        if (remainder > snap / 2 || past_last_cell)
            offset_x += snap;
    }
    offset_y = std::clamp(offset_y, 0, MaxOffsetY());
    offset_x = std::clamp(offset_x, 0, MaxOffsetX());
}

void TLqScrollbarManager::Scroll(int delta_x, int delta_y)
{
    int new_x = m_offset_x + delta_x;
    int new_y = m_offset_y + delta_y;
    ValidateOffsets(new_x, new_y);
    if (new_x == m_offset_x && new_y == m_offset_y)
        return;
    const int old_x = m_offset_x;
    const int old_y = m_offset_y;
    m_offset_x = new_x;
    m_offset_y = new_y;
    ReCalculateScrollbars(true, true);
    if (TCustomLqListview* owner = OwnerListview()) {
        owner->DoScroll(old_x - m_offset_x, old_y - m_offset_y);
        owner->SafeInvalidateRect(nullptr, false);
    }
}

void TLqScrollbarManager::SetOffsetX(int value)
{
    if (value != m_offset_x)
        Scroll(value - m_offset_x, 0);
}

void TLqScrollbarManager::SetOffsetY(int value)
{
    if (value != m_offset_y)
        Scroll(0, value - m_offset_y);
}

void TLqScrollbarManager::SetViewRect(const TRect& view_rect, bool invalidate_window)
{
    TCustomLqListview* owner = OwnerListview();
    bool invalidate = invalidate_window;
    if (view_rect != m_view_rect) {
        const bool horz_before = HorzBarVisible();
        const bool vert_before = VertBarVisible();
        m_view_rect = view_rect;
        ReCalculateScrollbars(true, false);
        if ((horz_before && !HorzBarVisible()) || (vert_before && !VertBarVisible()))
            invalidate = true;
    }
    if (invalidate && owner != nullptr)
        owner->SafeInvalidateRect(nullptr, false);
}

void TLqScrollbarManager::ReCalculateScrollbars(bool redraw, bool force)
{
    TCustomLqListview* owner = OwnerListview();
    if (m_rebuilding || owner == nullptr || !owner->HandleAllocated() || owner->Destroying())
        return;
    if (owner->UpdateCount() > 0 && !force)
        return;
    m_rebuilding = true;
    bool horz_was_hidden = false;
    bool vert_was_hidden = false;
    struct Done {
        TLqScrollbarManager* self;
        TCustomLqListview* owner;
        bool& horz_was_hidden;
        bool& vert_was_hidden;
        ~Done()
        {
            self->m_rebuilding = false;
            // A bar that has come up needs its frame drawn.
            if ((horz_was_hidden && self->HorzBarVisible()) ||
                (vert_was_hidden && self->VertBarVisible()))
                RedrawWindow(owner->Handle(), nullptr, nullptr,
                             RDW_FRAME | RDW_INVALIDATE | RDW_ERASENOW);
        }
    } done{this, owner, horz_was_hidden, vert_was_hidden};

    ValidateOffsets(m_offset_x, m_offset_y);
    const HWND window = owner->Handle();
    const int header = header_height();
    const bool horz_needed =
        owner->ClientWidth() < ViewWidth() - 1 && owner->Height() > GetSystemMetrics(SM_CYHSCROLL);
    const bool vert_needed = owner->ClientHeight() < ViewHeight() + header - 1 &&
                             owner->Width() > GetSystemMetrics(SM_CYVSCROLL);
    horz_was_hidden = !HorzBarVisible();
    vert_was_hidden = !VertBarVisible();

    bool switched = false;
    if (m_horz_enabled) {
        if (horz_needed != HorzBarVisible()) {
            ShowScrollBar(window, SB_HORZ, horz_needed);
            switched = true;
        }
    } else {
        ShowScrollBar(window, SB_HORZ, FALSE);
    }
    if (m_vert_enabled) {
        if (vert_needed != VertBarVisible()) {
            ShowScrollBar(window, SB_VERT, vert_needed);
            switched = true;
        }
    } else {
        ShowScrollBar(window, SB_VERT, FALSE);
    }
    // The client area changed size: lay the groups out for it.
    if (switched && owner->Groups() != nullptr)
        owner->Groups()->Rebuild(force);

    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (m_vert_enabled && VertBarVisible()) {
        info.nMax = ViewHeight() + header - 1;
        info.nPage = static_cast<UINT>(std::max(0, owner->ClientHeight()));
        info.nPos = std::abs(m_offset_y);
    }
    SetScrollInfo(window, SB_VERT, &info, redraw);
    info = SCROLLINFO{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (m_horz_enabled && HorzBarVisible()) {
        info.nMax = ViewWidth() - 1;
        info.nPage = static_cast<UINT>(std::max(0, owner->ClientWidth()));
        info.nPos = std::abs(m_offset_x);
    }
    SetScrollInfo(window, SB_HORZ, &info, redraw);
    ValidateOffsets(m_offset_x, m_offset_y);
}

// ---- Messages ------------------------------------------------------------------------------

int TLqScrollbarManager::track_position(int bar) const
{
    TCustomLqListview* owner = OwnerListview();
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_TRACKPOS;
    if (owner == nullptr || !owner->HandleAllocated() ||
        !GetScrollInfo(owner->Handle(), bar, &info))
        return 0;
    return info.nTrackPos;
}

void TLqScrollbarManager::WMVScroll(TMessage& message)
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr) {
        m_offset_y = 0;
        return;
    }
    const int track = track_position(SB_VERT);
    int delta = 0;
    switch (LoWord(message.WParam)) {
    case SB_LINEUP:
        delta = -Line();
        break;
    case SB_LINEDOWN:
        delta = Line();
        break;
    case SB_PAGEUP:
        delta = -client_height();
        break;
    case SB_PAGEDOWN:
        delta = client_height();
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        delta = track - m_offset_y;
        break;
    case SB_TOP:
        delta = -m_offset_y;
        break;
    case SB_BOTTOM:
        delta = ViewHeight() - m_offset_y;
        break;
    case SB_ENDSCROLL:
        owner->DoScrollEnd(esdVertical);
        break;
    default:
        break;
    }
    Scroll(0, delta);
}

void TLqScrollbarManager::WMHScroll(TMessage& message)
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr) {
        m_offset_x = 0;
        return;
    }
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS | SIF_TRACKPOS;
    if (!owner->HandleAllocated() || !GetScrollInfo(owner->Handle(), SB_HORZ, &info))
        info = SCROLLINFO{};
    const int code = LoWord(message.WParam);
    int delta = 0;
    if (code == SB_ENDSCROLL) {
        owner->DoScrollEnd(esdHorizontal);
    } else if (!horizontal_view() || !m_snap_horz_view) {
        switch (code) {
        case SB_LINELEFT:
            delta = -Line();
            break;
        case SB_LINERIGHT:
            delta = Line();
            break;
        case SB_PAGELEFT:
            delta = -client_width();
            break;
        case SB_PAGERIGHT:
            delta = client_width();
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            delta = info.nTrackPos - m_offset_x;
            break;
        case SB_LEFT:
            delta = -m_offset_x;
            break;
        case SB_RIGHT:
            delta = ViewWidth() - m_offset_x;
            break;
        default:
            break;
        }
    } else {
        const int snap = SnapWidth();
        switch (code) {
        case SB_LINELEFT:
        case SB_PAGELEFT:
            delta = -snap;
            break;
        case SB_LINERIGHT:
        case SB_PAGERIGHT:
            delta = snap;
            break;
        case SB_THUMBPOSITION:
            delta = (info.nPos - m_offset_x) / snap * snap;
            break;
        case SB_THUMBTRACK:
            if (MaxOffsetX() - info.nTrackPos < snap)
                delta = MaxOffsetX() - m_offset_x;
            else
                delta = (info.nTrackPos - m_offset_x) / snap * snap;
            break;
        case SB_LEFT:
            delta = -(ViewWidth() + m_offset_x);
            break;
        case SB_RIGHT:
            delta = ViewWidth() - m_offset_x;
            break;
        default:
            break;
        }
    }
    Scroll(delta, 0);
}

void TLqScrollbarManager::WMKeyDown(TMessage& message)
{
    int code = -1;
    bool vertical = true;
    switch (LoWord(message.WParam)) {
    case VK_PRIOR:
        code = SB_PAGEUP;
        break;
    case VK_NEXT:
        code = SB_PAGEDOWN;
        break;
    case VK_HOME:
        code = SB_TOP;
        break;
    case VK_END:
        code = SB_BOTTOM;
        break;
    case VK_UP:
        code = SB_LINEUP;
        break;
    case VK_DOWN:
        code = SB_LINEDOWN;
        break;
    case VK_LEFT:
        code = SB_LINELEFT;
        vertical = false;
        break;
    case VK_RIGHT:
        code = SB_LINERIGHT;
        vertical = false;
        break;
    default:
        return;
    }
    TMessage scroll = scroll_message(vertical ? WM_VSCROLL : WM_HSCROLL, code);
    if (vertical)
        WMVScroll(scroll);
    else
        WMHScroll(scroll);
}

// ---- Gestures ------------------------------------------------------------------------------

QChar TLqGestureManager::MouseMove(int dx, int dy, TLqCommonKeyStates keys)
{
    if (!m_enabled)
        return QChar();
    const bool held = (keys.Contains(cksLButton) && m_button.Contains(cmbLeft)) ||
                      (keys.Contains(cksRButton) && m_button.Contains(cmbRight)) ||
                      (keys.Contains(cksMButton) && m_button.Contains(cmbMiddle));
    if (!held)
        return QChar();
    const int t = m_tolerance;
    QChar letter;
    if (dx > t && std::abs(dy) < 2 * t)
        letter = QLatin1Char('R');
    else if (dx < -t && std::abs(dy) < 2 * t)
        letter = QLatin1Char('L');
    else if (dy > t && std::abs(dx) < 2 * t)
        letter = QLatin1Char('D');
    else if (dy < -t && std::abs(dx) < 2 * t)
        letter = QLatin1Char('U');
    if (letter.isNull() || (!m_path.isEmpty() && m_path.back() == letter))
        return QChar();
    m_path.append(letter);
    return letter;
}

bool TLqGestureManager::GestureOnRelease() const
{
    if (!m_enabled || m_path.isEmpty())
        return false;
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr)
        return true;
    const TLqControlStates busy{ebcsDragging, ebcsDragSelecting, ebcsCheckboxClickPending,
                                ebcsGroupExpandPending};
    return (owner->States() * busy).Empty();
}

}
