// TControl: bounds, alignment requests, visibility, colour, font, mouse and wheel,
// context menus; size constraints and margins.

#include "framework/controls.h"
#include "controls/control_tracking.h"
#include "framework/forms.h"
#include "framework/menus.h"
#include "platform/user_input.h"
#include "platform/user_paint.h"

#include <algorithm>
#include <cstdlib>

namespace fw {

// ---- Tracking of the mouse ----------------------------------------------------------------

namespace controls {
namespace {
TControl* g_capture_control = nullptr;
TControl* g_mouse_control = nullptr;
}

TControl* capture_control()
{
    return g_capture_control;
}

void set_capture_control(TControl* control)
{
    g_capture_control = control;
}

TControl* mouse_control()
{
    return g_mouse_control;
}

void set_mouse_control(TControl* control)
{
    g_mouse_control = control;
}

void track_mouse_over(TControl* control)
{
    if (g_mouse_control == control)
        return;
    TControl* const left = g_mouse_control;
    g_mouse_control = control;
    if (left != nullptr)
        left->Perform(CM_MOUSELEAVE, 0, 0);
    // The leave handler may have moved the mouse on again.
    if (control != nullptr && g_mouse_control == control)
        control->Perform(CM_MOUSEENTER, 0, 0);
}

void forget_control(const TControl* control) noexcept
{
    if (g_capture_control == control)
        g_capture_control = nullptr;
    if (g_mouse_control == control)
        g_mouse_control = nullptr;
}

}

// ---- Shift states ---------------------------------------------------------------------------

TShiftState KeysToShiftState(WPARAM keys)
{
    TShiftState shift;
    if ((keys & MK_SHIFT) != 0)
        shift.Include(ssShift);
    if ((keys & MK_CONTROL) != 0)
        shift.Include(ssCtrl);
    if ((keys & MK_LBUTTON) != 0)
        shift.Include(ssLeft);
    if ((keys & MK_RBUTTON) != 0)
        shift.Include(ssRight);
    if ((keys & MK_MBUTTON) != 0)
        shift.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0)
        shift.Include(ssAlt);
    return shift;
}

TShiftState KeyboardStateToShiftState()
{
    TShiftState shift;
    const struct {
        int key;
        TShiftStateItem item;
    } kKeys[] = {{VK_SHIFT, ssShift},  {VK_CONTROL, ssCtrl},  {VK_MENU, ssAlt},
                 {VK_LBUTTON, ssLeft}, {VK_RBUTTON, ssRight}, {VK_MBUTTON, ssMiddle}};
    for (const auto& key : kKeys) {
        if (GetKeyState(key.key) < 0)
            shift.Include(key.item);
    }
    return shift;
}

// ---- Constraints and margins ------------------------------------------------------------------

void TSizeConstraints::SetMinWidth(int value)
{
    m_min_width = std::max(0, value);
    if (m_max_width != 0 && m_max_width < m_min_width)
        m_max_width = m_min_width;
    changed();
}

void TSizeConstraints::SetMinHeight(int value)
{
    m_min_height = std::max(0, value);
    if (m_max_height != 0 && m_max_height < m_min_height)
        m_max_height = m_min_height;
    changed();
}

void TSizeConstraints::SetMaxWidth(int value)
{
    m_max_width = std::max(0, value);
    if (m_max_width != 0 && m_max_width < m_min_width)
        m_max_width = m_min_width;
    changed();
}

void TSizeConstraints::SetMaxHeight(int value)
{
    m_max_height = std::max(0, value);
    if (m_max_height != 0 && m_max_height < m_min_height)
        m_max_height = m_min_height;
    changed();
}

int TSizeConstraints::ClampWidth(int width) const
{
    if (m_max_width > 0)
        width = std::min(width, m_max_width);
    return std::max(width, m_min_width);
}

int TSizeConstraints::ClampHeight(int height) const
{
    if (m_max_height > 0)
        height = std::min(height, m_max_height);
    return std::max(height, m_min_height);
}

void TSizeConstraints::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TSizeConstraints*>(source);
    if (other == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    m_min_width = other->m_min_width;
    m_min_height = other->m_min_height;
    m_max_width = other->m_max_width;
    m_max_height = other->m_max_height;
    changed();
}

void TSizeConstraints::changed()
{
    if (OnChange)
        OnChange(this);
}

void TMargins::SetBounds(int left, int top, int right, int bottom)
{
    m_left = left;
    m_top = top;
    m_right = right;
    m_bottom = bottom;
    if (OnChange)
        OnChange(this);
}

void TMargins::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TMargins*>(source);
    if (other == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    SetBounds(other->m_left, other->m_top, other->m_right, other->m_bottom);
}

void TMargins::set(int& field, int value)
{
    if (field == value)
        return;
    field = value;
    if (OnChange)
        OnChange(this);
}

// ---- TControl ----------------------------------------------------------------------------------

TControl::TControl(TComponent* owner)
    : TComponent(owner), m_control_style{csCaptureMouse, csClickEvents, csSetCaption,
                                         csDoubleClicks},
      m_margins(new TMargins), m_constraints(new TSizeConstraints), m_font(new TFont)
{
    WindowProc = [this](TMessage& message) { WndProc(message); };
    m_constraints->OnChange = [this](TObject*) { SetBounds(m_left, m_top, m_width, m_height); };
    m_margins->OnChange = [this](TObject*) {
        if (m_align_with_margins)
            RequestAlign();
    };
    m_font->OnChange = [this](TObject*) {
        if (!m_applying_parent_font)
            m_parent_font = false;
        Perform(CM_FONTCHANGED, 0, 0);
    };
}

TControl::~TControl()
{
    controls::forget_control(this);
    if (Application != nullptr)
        Application->forget_control(this);
    if (m_parent != nullptr)
        m_parent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == m_parent)
        return;
    for (const TControl* above = parent; above != nullptr; above = above->m_parent) {
        if (above == this)
            throw EInvalidOperation(QStringLiteral("A control cannot have itself as its parent"));
    }
    if (m_parent != nullptr)
        m_parent->RemoveControl(this);
    if (parent != nullptr)
        parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    width = std::max(0, m_constraints->ClampWidth(width));
    height = std::max(0, m_constraints->ClampHeight(height));
    if (left == m_left && top == m_top && width == m_width && height == m_height)
        return;
    const bool size_changed = width != m_width || height != m_height;
    InvalidateControl();
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    if (m_parent == nullptr || !m_parent->m_aligning)
        update_anchor_rules();
    BoundsChanged(size_changed);
    RequestAlign();
}

void TControl::BoundsChanged(bool size_changed)
{
    InvalidateControl();
    if (size_changed)
        Resize();
}

TRect TControl::ClientRect() const
{
    return Rect(0, 0, m_width, m_height);
}

void TControl::SetClientWidth(int value)
{
    SetWidth(m_width - ClientWidth() + value);
}

void TControl::SetClientHeight(int value)
{
    SetHeight(m_height - ClientHeight() + value);
}

TPoint TControl::ClientOrigin() const
{
    TPoint corner{m_left, m_top};
    if (const auto* windowed = dynamic_cast<const TWinControl*>(this)) {
        if (windowed->m_handle != nullptr) {
            POINT origin{0, 0};
            ::ClientToScreen(windowed->m_handle, &origin);
            return {origin.x, origin.y};
        }
        const TRect insets = windowed->NonClientInsets();
        corner.X += insets.Left;
        corner.Y += insets.Top;
    }
    if (m_parent == nullptr)
        return corner;
    const TPoint origin = m_parent->ClientOrigin();
    return {origin.X + corner.X, origin.Y + corner.Y};
}

TPoint TControl::ScreenToClient(TPoint point) const
{
    const TPoint origin = ClientOrigin();
    return {point.X - origin.X, point.Y - origin.Y};
}

TPoint TControl::ClientToScreen(TPoint point) const
{
    const TPoint origin = ClientOrigin();
    return {point.X + origin.X, point.Y + origin.Y};
}

void TControl::SetAlign(TAlign align)
{
    if (align == m_align)
        return;
    const TAlign old = m_align;
    m_align = align;
    // An aligned control is placed by its parent; one that stops being aligned keeps
    // where it was.
    if (old != alNone && align == alNone)
        update_anchor_rules();
    RequestAlign();
    if (old != alNone && align == alNone && m_parent != nullptr)
        m_parent->Realign();
}

void TControl::SetAnchors(TAnchors anchors)
{
    m_anchors = anchors;
    update_anchor_rules();
}

void TControl::SetAlignWithMargins(bool value)
{
    if (value == m_align_with_margins)
        return;
    m_align_with_margins = value;
    RequestAlign();
}

void TControl::SetVisible(bool visible)
{
    if (visible == m_visible)
        return;
    if (!visible)
        InvalidateControl();
    m_visible = visible;
    VisibleChanged();
    Perform(CM_VISIBLECHANGED, visible ? 1 : 0, 0);
    if (m_parent != nullptr && m_align != alNone)
        m_parent->Realign();
    if (visible)
        InvalidateControl();
}

void TControl::VisibleChanged()
{
}

bool TControl::Showing() const
{
    return m_visible && m_parent != nullptr && m_parent->Showing();
}

void TControl::SetEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    Perform(CM_ENABLEDCHANGED, 0, 0);
    Invalidate();
}

void TControl::SetColor(TColor color)
{
    m_parent_color = false;
    if (color == m_color)
        return;
    m_color = color;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool value)
{
    m_parent_color = value;
    if (value)
        apply_parent_color();
}

void TControl::apply_parent_color()
{
    if (!m_parent_color || m_parent == nullptr || m_parent->m_color == m_color)
        return;
    m_color = m_parent->m_color;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentFont(bool value)
{
    m_parent_font = value;
    if (value)
        apply_parent_font();
}

void TControl::apply_parent_font()
{
    if (!m_parent_font || m_parent == nullptr)
        return;
    m_applying_parent_font = true;
    try {
        m_font->Assign(m_parent->m_font.get());
    } catch (...) {
        m_applying_parent_font = false;
        throw;
    }
    m_applying_parent_font = false;
}

void TControl::SetCursor(TCursor cursor)
{
    if (cursor == m_cursor)
        return;
    m_cursor = cursor;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TPopupMenu* menu)
{
    if (menu == m_popup_menu)
        return;
    if (m_popup_menu != nullptr)
        m_popup_menu->RemoveFreeNotification(this);
    m_popup_menu = menu;
    if (menu != nullptr)
        menu->FreeNotification(this);
}

void TControl::SetText(const QString& text)
{
    if (text == m_caption)
        return;
    m_caption = text;
    Perform(CM_TEXTCHANGED, 0, 0);
    Invalidate();
}

void TControl::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component != nullptr && component == m_popup_menu)
        m_popup_menu = nullptr;
}

void TControl::Loaded()
{
    TComponent::Loaded();
}

// ---- Messages --------------------------------------------------------------------------------

LRESULT TControl::Perform(UINT msg, WPARAM wparam, LPARAM lparam)
{
    TMessage message{msg, wparam, lparam, 0};
    if (WindowProc)
        WindowProc(message);
    else
        WndProc(message);
    return message.Result;
}

void TControl::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (m_control_style.Contains(csCaptureMouse)) {
            auto* windowed = dynamic_cast<TWinControl*>(this);
            if (windowed != nullptr)
                ::SetCapture(windowed->Handle());
            else if (m_parent != nullptr && m_parent->HandleAllocated())
                ::SetCapture(m_parent->m_handle);
            controls::set_capture_control(this);
        }
        break;
    case WM_MOUSEMOVE:
        controls::track_mouse_over(this);
        if (Application != nullptr)
            Application->HintMouseMessage(
                this, TPoint{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)});
        break;
    default:
        break;
    }
    Dispatch(message);
}

void TControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
        handle_mouse_button(message, mbLeft, true, false);
        return;
    case WM_LBUTTONDBLCLK:
        handle_mouse_button(message, mbLeft, true, true);
        return;
    case WM_LBUTTONUP:
        handle_mouse_button(message, mbLeft, false, false);
        return;
    case WM_RBUTTONDOWN:
        handle_mouse_button(message, mbRight, true, false);
        return;
    case WM_RBUTTONDBLCLK:
        handle_mouse_button(message, mbRight, true, true);
        return;
    case WM_RBUTTONUP:
        handle_mouse_button(message, mbRight, false, false);
        return;
    case WM_MBUTTONDOWN:
        handle_mouse_button(message, mbMiddle, true, false);
        return;
    case WM_MBUTTONDBLCLK:
        handle_mouse_button(message, mbMiddle, true, true);
        return;
    case WM_MBUTTONUP:
        handle_mouse_button(message, mbMiddle, false, false);
        return;
    case WM_MOUSEMOVE: {
        DefaultHandler(message);
        const TWMMouse mouse = TWMMouse::From(message);
        MouseMove(KeysToShiftState(mouse.Keys), mouse.XPos, mouse.YPos);
        return;
    }
    case CM_MOUSEENTER:
        if (OnMouseEnter)
            OnMouseEnter(this);
        return;
    case CM_MOUSELEAVE:
        if (Application != nullptr && Application->HintControl() == this)
            Application->CancelHint();
        if (OnMouseLeave)
            OnMouseLeave(this);
        return;
    case CM_MOUSEWHEEL:
        handle_mouse_wheel(message);
        return;
    case WM_CONTEXTMENU:
        handle_context_menu(message);
        return;
    case CM_COLORCHANGED:
        ColorChanged();
        return;
    case CM_FONTCHANGED:
        FontChanged();
        return;
    case CM_PARENTCOLORCHANGED:
        apply_parent_color();
        return;
    case CM_PARENTFONTCHANGED:
        apply_parent_font();
        return;
    default:
        DefaultHandler(message);
        return;
    }
}

void TControl::DefaultHandler(TMessage&)
{
}

void TControl::handle_mouse_button(TMessage& message, TMouseButton button, bool down, bool dbl)
{
    // The platform's handling first: a right button's release asks for the context
    // menu there.
    DefaultHandler(message);
    const TWMMouse mouse = TWMMouse::From(message);
    TShiftState shift = KeysToShiftState(mouse.Keys);
    if (down) {
        if (dbl)
            shift.Include(ssDouble);
        if (button == mbLeft) {
            include_state(csLButtonDown);
            if (m_control_style.Contains(csClickEvents))
                include_state(csClicked);
        }
        if (dbl && m_control_style.Contains(csClickEvents))
            DblClick();
        MouseDown(button, shift, mouse.XPos, mouse.YPos);
        return;
    }
    bool clicked = false;
    if (button == mbLeft) {
        clicked = m_control_state.Contains(csClicked);
        exclude_state(csClicked);
        exclude_state(csLButtonDown);
        if (controls::capture_control() == this) {
            controls::set_capture_control(nullptr);
            ::ReleaseCapture();
        }
    }
    MouseUp(button, shift, mouse.XPos, mouse.YPos);
    // Last: OnClick may free the control.
    if (clicked && ClientRect().Contains(TPoint{mouse.XPos, mouse.YPos}))
        Click();
}

void TControl::handle_mouse_wheel(TMessage& message)
{
    const TWMMouseWheel wheel = TWMMouseWheel::From(message);
    const TPoint position{wheel.XPos, wheel.YPos};
    if (DoMouseWheel(KeysToShiftState(wheel.Keys), wheel.WheelDelta, position)) {
        message.Result = 1;
        return;
    }
    // Up the parents; the form was asked first already.
    if (m_parent != nullptr && dynamic_cast<TCustomForm*>(m_parent) == nullptr)
        message.Result = m_parent->Perform(CM_MOUSEWHEEL, message.WParam, message.LParam);
}

void TControl::handle_context_menu(TMessage& message)
{
    if (message.Result != 0)
        return;
    TPoint point{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
    // (-1, -1) comes from the keyboard: no point under the mouse.
    const bool from_keyboard = point.X == -1 && point.Y == -1;
    bool handled = false;
    DoContextPopup(from_keyboard ? point : ScreenToClient(point), handled);
    if (handled) {
        message.Result = 1;
        return;
    }
    if (m_popup_menu != nullptr && m_popup_menu->AutoPopup()) {
        if (from_keyboard)
            point = ClientToScreen(TPoint{0, 0});
        m_popup_menu->SetPopupComponent(this);
        message.Result = 1;
        m_popup_menu->Popup(point.X, point.Y);
        return;
    }
    DefaultHandler(message);
}

void TControl::DoContextPopup(TPoint mouse_pos, bool& handled)
{
    if (OnContextPopup)
        OnContextPopup(this, mouse_pos, handled);
}

bool TControl::DoMouseWheel(TShiftState shift, int wheel_delta, TPoint mouse_pos)
{
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, shift, wheel_delta, mouse_pos, handled);
    if (handled)
        return true;
    // Whole notches only; what is left of a turn waits for the next one.
    m_wheel_accumulator += wheel_delta;
    while (std::abs(m_wheel_accumulator) >= WHEEL_DELTA) {
        if (m_wheel_accumulator < 0) {
            m_wheel_accumulator += WHEEL_DELTA;
            handled = DoMouseWheelDown(shift, mouse_pos);
        } else {
            m_wheel_accumulator -= WHEEL_DELTA;
            handled = DoMouseWheelUp(shift, mouse_pos);
        }
    }
    return handled;
}

bool TControl::DoMouseWheelDown(TShiftState shift, TPoint mouse_pos)
{
    bool handled = false;
    if (OnMouseWheelDown)
        OnMouseWheelDown(this, shift, mouse_pos, handled);
    return handled;
}

bool TControl::DoMouseWheelUp(TShiftState shift, TPoint mouse_pos)
{
    bool handled = false;
    if (OnMouseWheelUp)
        OnMouseWheelUp(this, shift, mouse_pos, handled);
    return handled;
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

void TControl::FontChanged()
{
    Invalidate();
}

void TControl::ColorChanged()
{
    Invalidate();
}

// ---- Painting and order ---------------------------------------------------------------------

void TControl::InvalidateControl()
{
    if (m_parent == nullptr || !m_parent->HandleAllocated() || !m_visible)
        return;
    const RECT rect{m_left, m_top, m_left + m_width, m_top + m_height};
    InvalidateRect(m_parent->m_handle, &rect, m_control_style.Contains(csOpaque) ? FALSE : TRUE);
}

void TControl::Invalidate()
{
    InvalidateControl();
}

void TControl::Update()
{
    if (m_parent != nullptr)
        m_parent->Update();
}

void TControl::BringToFront()
{
    if (m_parent != nullptr) {
        auto& siblings = m_parent->m_controls;
        std::erase(siblings, this);
        siblings.push_back(this);
        InvalidateControl();
    }
    if (auto* windowed = dynamic_cast<TWinControl*>(this); windowed && windowed->HandleAllocated())
        SetWindowPos(windowed->m_handle, HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TControl::SendToBack()
{
    if (m_parent != nullptr) {
        auto& siblings = m_parent->m_controls;
        std::erase(siblings, this);
        siblings.insert(siblings.begin(), this);
        InvalidateControl();
    }
    if (auto* windowed = dynamic_cast<TWinControl*>(this); windowed && windowed->HandleAllocated())
        SetWindowPos(windowed->m_handle, HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- Alignment -------------------------------------------------------------------------------

void TControl::RequestAlign()
{
    if (m_parent != nullptr && m_align != alNone)
        m_parent->Realign();
}

void TControl::update_anchor_rules()
{
    if (m_parent == nullptr)
        return;
    const TRect client = m_parent->ClientRect();
    m_anchor_right_gap = client.Width() - (m_left + m_width);
    m_anchor_bottom_gap = client.Height() - (m_top + m_height);
}

void TControl::set_bounds_from_window(int left, int top, int width, int height)
{
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    if (m_parent == nullptr || !m_parent->m_aligning)
        update_anchor_rules();
    RequestAlign();
}

void TControl::anchor_to(int parent_width, int parent_height)
{
    int left = m_left;
    int top = m_top;
    int width = m_width;
    int height = m_height;
    if (m_anchors.Contains(akRight)) {
        if (m_anchors.Contains(akLeft))
            width = parent_width - m_anchor_right_gap - left;
        else
            left = parent_width - m_anchor_right_gap - width;
    }
    if (m_anchors.Contains(akBottom)) {
        if (m_anchors.Contains(akTop))
            height = parent_height - m_anchor_bottom_gap - top;
        else
            top = parent_height - m_anchor_bottom_gap - height;
    }
    SetBounds(left, top, width, height);
}

}
