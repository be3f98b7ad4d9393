// TCustomForm: top-level and embedded forms, showing, activation, closing.

#include "framework/forms.h"
#include "platform/system_metrics.h"
#include "platform/user_input.h"

#include <algorithm>

namespace fw {

TCustomForm* GetParentForm(const TControl* control, bool top_form)
{
    const TCustomForm* found = nullptr;
    for (const TControl* above = control; above != nullptr; above = above->Parent()) {
        if (auto* form = dynamic_cast<const TCustomForm*>(above)) {
            found = form;
            if (!top_form)
                break;
        }
    }
    return const_cast<TCustomForm*>(found);
}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner)
{
    init_visible(false);
    m_control_style.Include(csAcceptsControls);
    SetParentFont(false);
    SetColor(clBtnFace);
    SetBounds(0, 0, 320, 240);
    if (Screen != nullptr)
        Screen->m_forms.push_back(this);
}

TCustomForm::~TCustomForm()
{
    if (Screen != nullptr)
        std::erase(Screen->m_forms, this);
}

void TCustomForm::AfterConstruction()
{
    if (m_created)
        return;
    m_created = true;
    if (OnCreate)
        OnCreate(this);
}

void TCustomForm::BeforeDestruction()
{
    TWinControl::BeforeDestruction();
    if (m_destroy_raised)
        return;
    m_destroy_raised = true;
    if (OnDestroy)
        OnDestroy(this);
}

void TCustomForm::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == m_active_control)
        m_active_control = nullptr;
}

// ---- Window ----------------------------------------------------------------------------------

void TCustomForm::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    if (Parent() != nullptr)
        return;
    params.Style = WS_CLIPCHILDREN;
    params.ExStyle = 0;
    switch (m_border_style) {
    case bsNone:
        params.Style |= WS_POPUP;
        break;
    case bsSingle:
        params.Style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        break;
    case bsSizeable:
        params.Style |= WS_OVERLAPPEDWINDOW;
        break;
    case bsDialog:
        params.Style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
        params.ExStyle |= WS_EX_DLGMODALFRAME;
        break;
    case bsToolWindow:
        params.Style |= WS_CAPTION | WS_SYSMENU;
        params.ExStyle |= WS_EX_TOOLWINDOW;
        break;
    case bsSizeToolWin:
        params.Style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
        params.ExStyle |= WS_EX_TOOLWINDOW;
        break;
    }
    // Other top-level forms belong to the main form's window.
    params.WndParent = nullptr;
    if (Application != nullptr && Application->MainForm() != nullptr &&
        Application->MainForm() != this && Application->MainForm()->HandleAllocated())
        params.WndParent = Application->MainForm()->Handle();
}

void TCustomForm::CreateWnd()
{
    TWinControl::CreateWnd();
    // The window manager's limits follow Constraints (WM_GETMINMAXINFO).
    if (Parent() == nullptr)
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle style)
{
    if (style == m_border_style)
        return;
    m_border_style = style;
    RecreateWnd();
}

void TCustomForm::SetParent(TWinControl* parent)
{
    // A form that becomes a child (or stops being one) needs a window of the other kind.
    if (HandleAllocated() && (parent == nullptr) != (Parent() == nullptr))
        DestroyHandle();
    TWinControl::SetParent(parent);
}

void TCustomForm::SetText(const QString& text)
{
    TWinControl::SetText(text);
}

bool TCustomForm::Showing() const
{
    return Visible() && (Parent() == nullptr || Parent()->Showing());
}

TWindowState TCustomForm::WindowState() const
{
    if (HandleAllocated() && Parent() == nullptr && Visible()) {
        HWND window = const_cast<TCustomForm*>(this)->Handle();
        if (IsIconic(window))
            return wsMinimized;
        if (IsZoomed(window))
            return wsMaximized;
        return wsNormal;
    }
    return m_window_state;
}

void TCustomForm::SetWindowState(TWindowState state)
{
    m_window_state = state;
    if (!HandleAllocated() || Parent() != nullptr || !Visible())
        return;
    static constexpr int kCommands[] = {SW_RESTORE, SW_MINIMIZE, SW_MAXIMIZE};
    ShowWindow(Handle(), kCommands[state]);
}

// ---- Showing, activation, closing -------------------------------------------------------------

void TCustomForm::Show()
{
    SetVisible(true);
    BringToFront();
}

void TCustomForm::VisibleChanged()
{
    if (Parent() != nullptr) {
        TWinControl::VisibleChanged();
        if (Visible())
            DoShow();
        else
            DoHide();
        return;
    }
    if (!Visible()) {
        DoHide();
        if (HandleAllocated())
            ShowWindow(Handle(), SW_HIDE);
        return;
    }
    HWND window = Handle();
    if (!m_shown_once) {
        m_shown_once = true;
        place_on_first_show();
    }
    DoShow();
    // OnShow may have hidden the form again.
    if (!Visible())
        return;
    static constexpr int kCommands[] = {SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
    ShowWindow(window, kCommands[m_window_state]);
}

void TCustomForm::place_on_first_show()
{
    TRect area;
    switch (m_position) {
    case poScreenCenter:
    case poDesktopCenter:
        area = Rect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
        const TCustomForm* main = Application != nullptr ? Application->MainForm() : nullptr;
        if (m_position == poOwnerFormCenter)
            main = dynamic_cast<const TCustomForm*>(Owner());
        if (main != nullptr && main != this)
            area = main->BoundsRect();
        else
            area = Rect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        break;
    }
    default:
        return;
    }
    SetBounds(area.Left + (area.Width() - Width()) / 2, area.Top + (area.Height() - Height()) / 2,
              Width(), Height());
}

void TCustomForm::DoShow()
{
    if (OnShow)
        OnShow(this);
}

void TCustomForm::DoHide()
{
    if (OnHide)
        OnHide(this);
}

void TCustomForm::Activate()
{
    if (OnActivate)
        OnActivate(this);
}

void TCustomForm::Deactivate()
{
    if (OnDeactivate)
        OnDeactivate(this);
}

bool TCustomForm::CloseQuery()
{
    bool can_close = true;
    if (OnCloseQuery)
        OnCloseQuery(this, can_close);
    return can_close;
}

void TCustomForm::Close()
{
    if (!CloseQuery())
        return;
    TCloseAction action = caHide;
    if (OnClose)
        OnClose(this, action);
    if (action == caNone)
        return;
    if (Application != nullptr && Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
    case caHide:
        Hide();
        break;
    case caMinimize:
        SetWindowState(wsMinimized);
        break;
    default:
        Release();
        break;
    }
}

void TCustomForm::Release()
{
    // Messages queued before this one are still handled; the form goes after them.
    PostMessageW(Handle(), CM_RELEASE, 0, 0);
}

void TCustomForm::SetActiveControl(TWinControl* control)
{
    if (control == m_active_control)
        return;
    if (control != nullptr && !ContainsControl(control))
        throw EInvalidOperation(QStringLiteral("Invalid property value"));
    m_active_control = control;
    if (control != nullptr)
        control->FreeNotification(this);
    if (control != nullptr && Showing() && control->CanFocus())
        control->SetFocus();
}

void TCustomForm::SelectNext(TWinControl* current, bool forward, bool check_tab_stop)
{
    std::vector<TControl*> order = tab_list();
    std::vector<TWinControl*> candidates;
    for (TControl* control : order) {
        auto* windowed = static_cast<TWinControl*>(control);
        if (windowed == current ||
            (windowed->CanFocus() && (!check_tab_stop || windowed->TabStop())))
            candidates.push_back(windowed);
    }
    if (candidates.empty())
        return;
    auto found = std::find(candidates.begin(), candidates.end(), current);
    size_t index = found == candidates.end() ? 0 : static_cast<size_t>(found - candidates.begin());
    const size_t count = candidates.size();
    for (size_t step = 0; step < count; ++step) {
        index = forward ? (index + 1) % count : (index + count - 1) % count;
        if (candidates[index] != current) {
            candidates[index]->SetFocus();
            return;
        }
    }
}

void TCustomForm::get_min_max_info(TMessage& message)
{
    DefaultHandler(message);
    auto* limits = reinterpret_cast<MINMAXINFO*>(message.LParam);
    if (limits == nullptr)
        return;
    const TSizeConstraints& constraints = *Constraints();
    if (constraints.MinWidth() > 0)
        limits->ptMinTrackSize.x = constraints.MinWidth();
    if (constraints.MinHeight() > 0)
        limits->ptMinTrackSize.y = constraints.MinHeight();
    if (constraints.MaxWidth() > 0)
        limits->ptMaxTrackSize.x = constraints.MaxWidth();
    if (constraints.MaxHeight() > 0)
        limits->ptMaxTrackSize.y = constraints.MaxHeight();
}

void TCustomForm::Dispatch(TMessage& message)
{
    if (Application != nullptr && Application->MainForm() == this &&
        Application->run_main_window_hooks(message))
        return;
    switch (message.Msg) {
    case WM_CLOSE:
        Close();
        return;
    case WM_GETMINMAXINFO:
        get_min_max_info(message);
        return;
    case WM_ACTIVATE: {
        DefaultHandler(message);
        const bool active = LOWORD(message.WParam) != WA_INACTIVE;
        m_active = active;
        if (!active) {
            Deactivate();
            return;
        }
        if (m_active_control != nullptr && m_active_control->CanFocus() &&
            m_active_control->HandleAllocated())
            ::SetFocus(m_active_control->Handle());
        Activate();
        return;
    }
    case CM_RELEASE:
        Free(this);
        return;
    default:
        TWinControl::Dispatch(message);
        return;
    }
}

}
