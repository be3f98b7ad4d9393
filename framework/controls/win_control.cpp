// TWinControl: the platform window, the window procedure that hands messages to the
// control, children, focus, keys, painting and the non-client ring.

#include "framework/controls.h"
#include "controls/control_tracking.h"
#include "framework/forms.h"
#include "forms/guarded_call.h"
#include "graphics/scratch_surface.h"
#include "platform/kernel.h"
#include "platform/user_input.h"
#include "platform/user_paint.h"

#include <QtCore/QString>

#include <algorithm>
#include <map>

namespace fw {
namespace {

constexpr UINT kDefaultClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;

// The control whose window CreateWindowExW is making: messages that come before
// WM_NCCREATE (WM_GETMINMAXINFO) reach it too.
TWinControl* g_creating = nullptr;
// How deep the window procedure is nested; DCs are released when it comes back to 0.
int g_dispatch_depth = 0;

// The class of a class style: "FwWindow" for the usual one, one more per other style.
QString window_class_for(UINT class_style)
{
    static std::map<UINT, QString> registered;
    if (const auto found = registered.find(class_style); found != registered.end())
        return found->second;
    QString name = QStringLiteral("FwWindow");
    if (class_style != kDefaultClassStyle)
        name += QStringLiteral(".%1").arg(class_style, 0, 16);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = class_style;
    window_class.lpfnWndProc = fw_window_procedure;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = reinterpret_cast<LPCWSTR>(name.utf16());
    if (RegisterClassExW(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw EOutOfResources(QStringLiteral("Error creating window class"));
    registered.emplace(class_style, name);
    return name;
}

bool is_mouse_message(UINT msg)
{
    return msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK;
}

}

// ---- The window procedure ------------------------------------------------------------------

LRESULT fw_window_procedure(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) noexcept
{
    auto* control = reinterpret_cast<TWinControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (control == nullptr && g_creating != nullptr) {
        control = g_creating;
        control->m_handle = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
    }
    if (control == nullptr)
        return DefWindowProcW(window, msg, wparam, lparam);

    ++g_dispatch_depth;
    LRESULT result = 0;
    // The control may be freed by its handler: nothing below touches it.
    forms::guarded_call(nullptr, [&] { result = control->Perform(msg, wparam, lparam); });
    if (msg == WM_NCDESTROY) {
        // The window is gone; its control (if it still exists) makes a new one when
        // it needs one.
        auto* owner = reinterpret_cast<TWinControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (owner != nullptr)
            fw_release_window(owner, window);
    }
    if (--g_dispatch_depth == 0)
        FreeDeviceContexts();
    return result;
}

void fw_release_window(TWinControl* control, HWND window) noexcept
{
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (control->m_handle == window)
        control->m_handle = nullptr;
}

TWinControl* TWinControl::FromHandle(HWND window)
{
    if (window == nullptr)
        return nullptr;
    if (GetClassLongPtrW(window, GCLP_WNDPROC) != reinterpret_cast<ULONG_PTR>(&fw_window_procedure))
        return nullptr;
    return reinterpret_cast<TWinControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// ---- Life ------------------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* owner) : TControl(owner), m_brush(new TBrush)
{
    m_brush->SetColor(Color());
    m_default_procedure = DefWindowProcW;
}

TWinControl::~TWinControl()
{
    // The children stay (their owners free them) but lose their parent; their windows
    // go with this one.
    for (TControl* child : m_controls)
        child->m_parent = nullptr;
    m_controls.clear();
    m_tab_list.clear();
    if (m_handle != nullptr) {
        HWND window = m_handle;
        // From here on the window's messages no longer reach this half-destroyed
        // control; queued ones are dropped with the window.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        m_handle = nullptr;
        DestroyWindow(window);
    }
}

HWND TWinControl::Handle()
{
    if (m_handle == nullptr)
        CreateHandle();
    return m_handle;
}

void TWinControl::CreateHandle()
{
    if (m_handle != nullptr)
        return;
    // A child window needs its parent's; making that makes this one too.
    if (Parent() != nullptr && !Parent()->HandleAllocated()) {
        Parent()->CreateHandle();
        if (m_handle != nullptr)
            return;
    }
    CreateWnd();
    for (TControl* child : std::vector<TControl*>(m_controls)) {
        if (auto* windowed = dynamic_cast<TWinControl*>(child))
            windowed->CreateHandle();
    }
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.Caption = Caption();
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (m_control_style.Contains(csAcceptsControls))
        params.Style |= WS_CLIPCHILDREN;
    if (Visible())
        params.Style |= WS_VISIBLE;
    if (m_tab_stop)
        params.Style |= WS_TABSTOP;
    if (!Enabled())
        params.Style |= WS_DISABLED;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    if (Parent() != nullptr) {
        params.WndParent = Parent()->m_handle;
    } else {
        // Without a parent the control is a window of its own.
        params.Style &= ~WS_CHILD;
        params.Style |= WS_POPUP;
    }
    params.WindowClassStyle = kDefaultClassStyle;
    if (!m_control_style.Contains(csDoubleClicks))
        params.WindowClassStyle &= ~CS_DBLCLKS;
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    CreateWindowHandle(params);
    if (m_handle == nullptr)
        throw EOutOfResources(QStringLiteral("Error creating window"));
}

void TWinControl::CreateWindowHandle(const TCreateParams& params)
{
    const QString class_name = window_class_for(params.WindowClassStyle);
    TWinControl* const outer = g_creating;
    g_creating = this;
    HWND window = CreateWindowExW(params.ExStyle, reinterpret_cast<LPCWSTR>(class_name.utf16()),
                                  reinterpret_cast<LPCWSTR>(params.Caption.utf16()), params.Style,
                                  params.X, params.Y, params.Width, params.Height, params.WndParent,
                                  nullptr, nullptr, this);
    g_creating = outer;
    if (window == nullptr)
        m_handle = nullptr;
}

void TWinControl::DestroyHandle()
{
    if (m_handle == nullptr)
        return;
    include_state(csDestroyingHandle);
    DestroyWnd();
    exclude_state(csDestroyingHandle);
}

void TWinControl::DestroyWnd()
{
    HWND window = m_handle;
    DestroyWindow(window);
    // WM_NCDESTROY has let the window go; make sure of it.
    if (m_handle == window) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        m_handle = nullptr;
    }
}

void TWinControl::RecreateWnd()
{
    if (m_handle == nullptr)
        return;
    DestroyHandle();
    CreateHandle();
}

// ---- Children --------------------------------------------------------------------------------

TControl* TWinControl::Controls(int index) const
{
    if (index < 0 || index >= ControlCount())
        TList::Error(QStringLiteral("List index out of bounds (%d)"), index);
    return m_controls[static_cast<size_t>(index)];
}

void TWinControl::InsertControl(TControl* control)
{
    m_controls.push_back(control);
    control->m_parent = this;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (windowed != nullptr)
        m_tab_list.push_back(windowed);
    control->apply_parent_font();
    control->apply_parent_color();
    if (windowed != nullptr && m_handle != nullptr) {
        if (windowed->m_handle != nullptr)
            ::SetParent(windowed->m_handle, m_handle);
        else
            windowed->CreateHandle();
    }
    if (control->Align() != alNone)
        Realign();
    else
        control->update_anchor_rules();
    control->InvalidateControl();
}

void TWinControl::RemoveControl(TControl* control)
{
    control->InvalidateControl();
    std::erase(m_controls, control);
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        std::erase(m_tab_list, windowed);
        // A child window cannot stay without its parent window.
        windowed->DestroyHandle();
    }
    control->m_parent = nullptr;
    if (control->Align() != alNone)
        Realign();
}

bool TWinControl::ContainsControl(const TControl* control) const
{
    for (const TControl* above = control; above != nullptr; above = above->Parent()) {
        if (above == this)
            return true;
    }
    return false;
}

TControl* TWinControl::ControlAtPos(TPoint point, bool allow_disabled, bool allow_windowed) const
{
    for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it) {
        TControl* child = *it;
        if (!allow_windowed && dynamic_cast<TWinControl*>(child) != nullptr)
            continue;
        if (!child->Visible() || (!allow_disabled && !child->Enabled()))
            continue;
        if (child->BoundsRect().Contains(point))
            return child;
    }
    return nullptr;
}

// ---- Bounds and layout -----------------------------------------------------------------------

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    TControl::SetBounds(left, top, width, height);
}

void TWinControl::BoundsChanged(bool size_changed)
{
    if (m_handle != nullptr) {
        // WM_SIZE comes back from the platform and places the children.
        SetWindowPos(m_handle, nullptr, Left(), Top(), Width(), Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    if (size_changed) {
        Realign();
        Resize();
    }
}

TRect TWinControl::NonClientInsets() const
{
    TRect insets{m_border_width, m_border_width, m_border_width, m_border_width};
    if (m_bevel_kind != bkNone) {
        const int bevel = (m_bevel_inner != bvNone ? m_bevel_width : 0) +
                          (m_bevel_outer != bvNone ? m_bevel_width : 0);
        if (m_bevel_edges.Contains(beLeft))
            insets.Left += bevel;
        if (m_bevel_edges.Contains(beTop))
            insets.Top += bevel;
        if (m_bevel_edges.Contains(beRight))
            insets.Right += bevel;
        if (m_bevel_edges.Contains(beBottom))
            insets.Bottom += bevel;
    }
    return insets;
}

TRect TWinControl::ClientRect() const
{
    if (m_handle != nullptr) {
        RECT client{};
        GetClientRect(m_handle, &client);
        return Rect(0, 0, client.right, client.bottom);
    }
    const TRect insets = NonClientInsets();
    return Rect(0, 0, std::max(0, Width() - insets.Left - insets.Right),
                std::max(0, Height() - insets.Top - insets.Bottom));
}

void TWinControl::AdjustClientRect(TRect&) const
{
}

void TWinControl::Realign()
{
    if (m_align_disabled > 0) {
        include_state(csAlignmentNeeded);
        return;
    }
    if (m_aligning)
        return;
    align_now(nullptr);
}

void TWinControl::EnableAlign()
{
    if (m_align_disabled > 0 && --m_align_disabled == 0 &&
        ControlState().Contains(csAlignmentNeeded)) {
        exclude_state(csAlignmentNeeded);
        Realign();
    }
}

void TWinControl::align_now(TControl* changed)
{
    m_aligning = true;
    try {
        TRect rect = ClientRect();
        AdjustClientRect(rect);
        AlignControls(changed, rect);
        const TRect client = ClientRect();
        for (TControl* child : std::vector<TControl*>(m_controls)) {
            if (child->Align() == alNone &&
                (child->Anchors().Contains(akRight) || child->Anchors().Contains(akBottom)))
                child->anchor_to(client.Width(), client.Height());
        }
    } catch (...) {
        m_aligning = false;
        throw;
    }
    m_aligning = false;
}

void TWinControl::AlignControls(TControl*, TRect& rect)
{
    for (const TAlign side : {alTop, alBottom, alLeft, alRight, alClient}) {
        std::vector<TControl*> placed;
        for (TControl* child : m_controls) {
            if (child->Align() == side && child->Visible())
                placed.push_back(child);
        }
        // Same-side controls keep their order along the side: the one nearest the edge
        // first; equal places keep the order the children came in.
        const auto edge_distance = [side](const TControl* control) {
            switch (side) {
            case alTop:
                return control->Top();
            case alBottom:
                return -(control->Top() + control->Height());
            case alLeft:
                return control->Left();
            case alRight:
                return -(control->Left() + control->Width());
            default:
                return 0;
            }
        };
        std::stable_sort(placed.begin(), placed.end(), [&](const TControl* a, const TControl* b) {
            return edge_distance(a) < edge_distance(b);
        });
        for (TControl* control : placed) {
            TRect margins{};
            if (control->AlignWithMargins())
                margins = Rect(control->Margins()->Left(), control->Margins()->Top(),
                               control->Margins()->Right(), control->Margins()->Bottom());
            const TSizeConstraints& limits = *control->Constraints();
            const int room_width = std::max(0, rect.Width() - margins.Left - margins.Right);
            const int room_height = std::max(0, rect.Height() - margins.Top - margins.Bottom);
            switch (side) {
            case alTop: {
                const int height = limits.ClampHeight(control->Height());
                control->SetBounds(rect.Left + margins.Left, rect.Top + margins.Top, room_width,
                                   height);
                rect.Top += control->Height() + margins.Top + margins.Bottom;
                break;
            }
            case alBottom: {
                const int height = limits.ClampHeight(control->Height());
                control->SetBounds(rect.Left + margins.Left, rect.Bottom - margins.Bottom - height,
                                   room_width, height);
                rect.Bottom -= control->Height() + margins.Top + margins.Bottom;
                break;
            }
            case alLeft: {
                const int width = limits.ClampWidth(control->Width());
                control->SetBounds(rect.Left + margins.Left, rect.Top + margins.Top, width,
                                   room_height);
                rect.Left += control->Width() + margins.Left + margins.Right;
                break;
            }
            case alRight: {
                const int width = limits.ClampWidth(control->Width());
                control->SetBounds(rect.Right - margins.Right - width, rect.Top + margins.Top,
                                   width, room_height);
                rect.Right -= control->Width() + margins.Left + margins.Right;
                break;
            }
            default:
                control->SetBounds(rect.Left + margins.Left, rect.Top + margins.Top, room_width,
                                   room_height);
                break;
            }
        }
    }
}

// ---- Focus -------------------------------------------------------------------------------------

void TWinControl::SetTabStop(bool value)
{
    if (value == m_tab_stop)
        return;
    m_tab_stop = value;
    if (m_handle != nullptr) {
        const LONG style = GetWindowLongW(m_handle, GWL_STYLE);
        SetWindowLongW(m_handle, GWL_STYLE,
                       value ? (style | static_cast<LONG>(WS_TABSTOP))
                             : (style & ~static_cast<LONG>(WS_TABSTOP)));
    }
}

int TWinControl::TabOrder() const
{
    if (Parent() == nullptr)
        return -1;
    const auto& order = Parent()->m_tab_list;
    const auto found = std::find(order.begin(), order.end(), this);
    return found == order.end() ? -1 : static_cast<int>(found - order.begin());
}

void TWinControl::SetTabOrder(int order)
{
    if (Parent() == nullptr)
        return;
    auto& list = Parent()->m_tab_list;
    std::erase(list, this);
    order = std::clamp(order, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + order, this);
}

std::vector<TControl*> TWinControl::tab_list() const
{
    std::vector<TControl*> result;
    for (TWinControl* child : m_tab_list) {
        result.push_back(child);
        const std::vector<TControl*> below = child->tab_list();
        result.insert(result.end(), below.begin(), below.end());
    }
    return result;
}

bool TWinControl::Focused() const
{
    return m_handle != nullptr && GetFocus() == m_handle;
}

bool TWinControl::CanFocus() const
{
    for (const TControl* control = this; control != nullptr; control = control->Parent()) {
        if (!control->Visible() || !control->Enabled())
            return false;
    }
    return true;
}

void TWinControl::SetFocus()
{
    TCustomForm* form = GetParentForm(this);
    if (form != nullptr && form != this)
        form->m_active_control = this;
    if (form != nullptr && !form->Showing())
        return; // the form gives the focus when it becomes active
    if (!CanFocus())
        throw EInvalidOperation(QStringLiteral("Cannot focus a disabled or invisible window"));
    ::SetFocus(Handle());
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift)
{
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char16_t& key)
{
    if (OnKeyPress)
        OnKeyPress(this, key);
}

// ---- Look --------------------------------------------------------------------------------------

void TWinControl::SetCtl3D(bool value)
{
    if (value == m_ctl3d)
        return;
    m_ctl3d = value;
    Perform(CM_CTL3DCHANGED, 0, 0);
}

namespace {
template <typename T>
bool change(T& field, T value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}
}

void TWinControl::SetBevelKind(TBevelKind kind)
{
    if (change(m_bevel_kind, kind))
        RecreateWnd();
}

void TWinControl::SetBevelInner(TBevelCut cut)
{
    if (change(m_bevel_inner, cut) && m_bevel_kind != bkNone)
        RecreateWnd();
}

void TWinControl::SetBevelOuter(TBevelCut cut)
{
    if (change(m_bevel_outer, cut) && m_bevel_kind != bkNone)
        RecreateWnd();
}

void TWinControl::SetBevelEdges(TBevelEdges edges)
{
    if (change(m_bevel_edges, edges) && m_bevel_kind != bkNone)
        RecreateWnd();
}

void TWinControl::SetBevelWidth(int width)
{
    if (change(m_bevel_width, std::max(1, width)) && m_bevel_kind != bkNone)
        RecreateWnd();
}

void TWinControl::SetBorderWidth(int width)
{
    if (change(m_border_width, std::max(0, width))) {
        if (m_handle != nullptr)
            SetWindowPos(m_handle, nullptr, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                             SWP_FRAMECHANGED);
        Realign();
    }
}

void TWinControl::SetParentBackground(bool value)
{
    if (value)
        m_control_style.Include(csParentBackground);
    else
        m_control_style.Exclude(csParentBackground);
    Invalidate();
}

void TWinControl::ColorChanged()
{
    m_brush->SetColor(Color());
    Invalidate();
    for (TControl* child : std::vector<TControl*>(m_controls))
        child->Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TWinControl::FontChanged()
{
    Invalidate();
    for (TControl* child : std::vector<TControl*>(m_controls))
        child->Perform(CM_PARENTFONTCHANGED, 0, 0);
}

// ---- Painting ----------------------------------------------------------------------------------

void TWinControl::Invalidate()
{
    if (m_handle != nullptr)
        InvalidateRect(m_handle, nullptr, m_control_style.Contains(csOpaque) ? FALSE : TRUE);
}

void TWinControl::Update()
{
    if (m_handle != nullptr)
        UpdateWindow(m_handle);
}

namespace {
// Ends painting whatever the painting code raises.
class PaintScope {
public:
    explicit PaintScope(HWND window) : m_window(window) { m_dc = BeginPaint(window, &m_paint); }
    ~PaintScope() { EndPaint(m_window, &m_paint); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC dc() const { return m_dc; }
    TRect rect() const
    {
        return Rect(m_paint.rcPaint.left, m_paint.rcPaint.top, m_paint.rcPaint.right,
                    m_paint.rcPaint.bottom);
    }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc = nullptr;
};
}

void TWinControl::PaintHandler(TMessage& message)
{
    if (message.WParam != 0) {
        HDC dc = reinterpret_cast<HDC>(message.WParam);
        PaintWindow(dc);
        PaintControls(dc, ClientRect());
        return;
    }
    const PaintScope paint(m_handle);
    if (paint.dc() == nullptr)
        return;
    PaintWindow(paint.dc());
    PaintControls(paint.dc(), paint.rect());
}

void TWinControl::PaintWindow(HDC)
{
}

void TWinControl::PaintControls(HDC dc, const TRect& update)
{
    for (TControl* child : std::vector<TControl*>(m_controls)) {
        if (dynamic_cast<TWinControl*>(child) != nullptr || !child->Visible())
            continue;
        const TRect bounds = child->BoundsRect();
        if (bounds.IsEmpty() || bounds.Right <= update.Left || bounds.Left >= update.Right ||
            bounds.Bottom <= update.Top || bounds.Top >= update.Bottom)
            continue;
        // The child paints with its corner at (0, 0) on pixels of its own, which start
        // as what lies under it and go back where it stands.
        graphics::ScratchSurface surface(bounds.Width(), bounds.Height());
        BitBlt(surface.dc(), 0, 0, bounds.Width(), bounds.Height(), dc, bounds.Left, bounds.Top,
               SRCCOPY);
        child->Perform(WM_PAINT, reinterpret_cast<WPARAM>(surface.dc()), 0);
        BitBlt(dc, bounds.Left, bounds.Top, bounds.Width(), bounds.Height(), surface.dc(), 0, 0,
               SRCCOPY);
    }
}

void TWinControl::EraseBackground(TMessage& message)
{
    HDC dc = reinterpret_cast<HDC>(message.WParam);
    if (dc != nullptr && !m_control_style.Contains(csOpaque)) {
        const TRect client = ClientRect();
        const RECT rect{client.Left, client.Top, client.Right, client.Bottom};
        ::FillRect(dc, &rect, m_brush->Handle());
    }
    message.Result = 1;
}

void TWinControl::nc_calc_size(TMessage& message)
{
    DefaultHandler(message);
    auto* rect = reinterpret_cast<RECT*>(message.LParam);
    if (rect == nullptr)
        return;
    const TRect insets = NonClientInsets();
    rect->left += insets.Left;
    rect->top += insets.Top;
    rect->right = std::max(rect->left, rect->right - insets.Right);
    rect->bottom = std::max(rect->top, rect->bottom - insets.Bottom);
}

void TWinControl::nc_paint(TMessage& message)
{
    DefaultHandler(message);
    const TRect insets = NonClientInsets();
    if (insets == TRect{} || m_handle == nullptr)
        return;
    HDC dc = GetWindowDC(m_handle);
    if (dc == nullptr)
        return;
    RECT rect{0, 0, Width(), Height()};
    RECT client{insets.Left, insets.Top, Width() - insets.Right, Height() - insets.Bottom};
    // The ring in the control's colour, the bevels over it.
    HBRUSH brush = m_brush->Handle();
    const RECT bands[] = {{0, 0, rect.right, client.top},
                          {0, client.bottom, rect.right, rect.bottom},
                          {0, client.top, client.left, client.bottom},
                          {client.right, client.top, rect.right, client.bottom}};
    for (const RECT& band : bands)
        ::FillRect(dc, &band, brush);
    if (m_bevel_kind != bkNone) {
        UINT edges = 0;
        if (m_bevel_edges.Contains(beLeft))
            edges |= BF_LEFT;
        if (m_bevel_edges.Contains(beTop))
            edges |= BF_TOP;
        if (m_bevel_edges.Contains(beRight))
            edges |= BF_RIGHT;
        if (m_bevel_edges.Contains(beBottom))
            edges |= BF_BOTTOM;
        const auto cut = [](TBevelCut value, UINT raised, UINT sunken) -> UINT {
            return value == bvRaised ? raised : value == bvLowered ? sunken : 0u;
        };
        const UINT edge = cut(m_bevel_outer, BDR_RAISEDOUTER, BDR_SUNKENOUTER) |
                          cut(m_bevel_inner, BDR_RAISEDINNER, BDR_SUNKENINNER);
        if (edge != 0)
            DrawEdge(dc, &rect, edge, edges | (m_bevel_kind == bkFlat ? BF_FLAT : 0u));
    }
    ReleaseDC(m_handle, dc);
}

// ---- Messages ----------------------------------------------------------------------------------

bool TWinControl::route_mouse_to_child(TMessage& message)
{
    TControl* target = nullptr;
    TControl* const captured = controls::capture_control();
    if (captured != nullptr && captured->Parent() == this && GetCapture() == m_handle &&
        dynamic_cast<TWinControl*>(captured) == nullptr)
        target = captured;
    else
        target = ControlAtPos(TPoint{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)});
    if (target == nullptr)
        return false;
    const LPARAM local = MAKELPARAM(GET_X_LPARAM(message.LParam) - target->Left(),
                                    GET_Y_LPARAM(message.LParam) - target->Top());
    const UINT msg = message.Msg;
    message.Result = target->Perform(msg, message.WParam, local);
    // The right button's release still asks this window's default handling for the
    // context menu.
    if (msg == WM_RBUTTONUP)
        DefaultHandler(message);
    return true;
}

void TWinControl::handle_window_pos_changed(TMessage& message)
{
    if (m_handle != nullptr) {
        RECT rect{};
        GetWindowRect(m_handle, &rect);
        POINT corner{rect.left, rect.top};
        if (Parent() != nullptr && Parent()->m_handle != nullptr)
            ::ScreenToClient(Parent()->m_handle, &corner);
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        // A change from outside (the window manager's resize); ours are stored already.
        if (corner.x != Left() || corner.y != Top() || width != Width() || height != Height()) {
            set_bounds_from_window(corner.x, corner.y, width, height);
        }
    }
    DefaultHandler(message);
}

void TWinControl::handle_set_cursor(TMessage& message)
{
    if (Screen != nullptr && Screen->Cursor() != crDefault) {
        ::SetCursor(Screen->Cursors(Screen->Cursor()));
        message.Result = 1;
        return;
    }
    if (reinterpret_cast<HWND>(message.WParam) == m_handle && LOWORD(message.LParam) == HTCLIENT) {
        TCursor cursor = Cursor();
        POINT point{};
        GetCursorPos(&point);
        ::ScreenToClient(m_handle, &point);
        if (const TControl* child = ControlAtPos(TPoint{point.x, point.y});
            child != nullptr && child->Cursor() != crDefault)
            cursor = child->Cursor();
        if (cursor != crDefault && Screen != nullptr) {
            ::SetCursor(Screen->Cursors(cursor));
            message.Result = 1;
            return;
        }
    }
    DefaultHandler(message);
}

void TWinControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_PAINT:
        PaintHandler(message);
        return;
    case WM_ERASEBKGND:
        EraseBackground(message);
        return;
    case WM_NCCALCSIZE:
        nc_calc_size(message);
        return;
    case WM_NCPAINT:
        nc_paint(message);
        return;
    case WM_WINDOWPOSCHANGED:
        handle_window_pos_changed(message);
        return;
    case WM_SIZE:
        DefaultHandler(message);
        Realign();
        Resize();
        return;
    case WM_SETFOCUS: {
        DefaultHandler(message);
        TCustomForm* form = GetParentForm(this);
        if (form != nullptr && form != this)
            form->m_active_control = this;
        DoEnter();
        return;
    }
    case WM_KILLFOCUS:
        DefaultHandler(message);
        DoExit();
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        WORD key = LOWORD(message.WParam);
        KeyDown(key, KeyboardStateToShiftState());
        if (key == 0)
            return;
        if (key == VK_TAB && (Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB) == 0) {
            if (TCustomForm* form = GetParentForm(this)) {
                form->SelectNext(this, GetKeyState(VK_SHIFT) >= 0, true);
                return;
            }
        }
        DefaultHandler(message);
        return;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        WORD key = LOWORD(message.WParam);
        KeyUp(key, KeyboardStateToShiftState());
        if (key != 0)
            DefaultHandler(message);
        return;
    }
    case WM_CHAR: {
        char16_t key = static_cast<char16_t>(LOWORD(message.WParam));
        KeyPress(key);
        if (key == 0)
            return;
        message.WParam = key;
        DefaultHandler(message);
        return;
    }
    case WM_SETCURSOR:
        handle_set_cursor(message);
        return;
    case WM_MOUSEWHEEL: {
        // The top-level form first (its OnMouseWheel, OnMouseWheelDown and
        // OnMouseWheelUp; a form embedded in it is passed over), then this control's
        // DoMouseWheel through CM_MOUSEWHEEL.
        const TWMMouseWheel wheel = TWMMouseWheel::From(message);
        TCustomForm* form = GetParentForm(this, true);
        const TPoint position{wheel.XPos, wheel.YPos};
        if (form != nullptr &&
            form->DoMouseWheel(KeysToShiftState(wheel.Keys), wheel.WheelDelta, position)) {
            message.Result = 1;
            return;
        }
        if (form != this)
            message.Result = Perform(CM_MOUSEWHEEL, message.WParam, message.LParam);
        return;
    }
    case WM_CONTEXTMENU: {
        const TPoint point{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
        if (!(point.X == -1 && point.Y == -1)) {
            if (TControl* child = ControlAtPos(ScreenToClient(point))) {
                message.Result = child->Perform(WM_CONTEXTMENU, message.WParam, message.LParam);
                if (message.Result != 0)
                    return;
            }
        }
        TControl::Dispatch(message);
        return;
    }
    case WM_MOUSELEAVE: {
        TControl* over = controls::mouse_control();
        if (over == this || (over != nullptr && over->Parent() == this))
            controls::track_mouse_over(nullptr);
        DefaultHandler(message);
        return;
    }
    case WM_CAPTURECHANGED:
        if (TControl* captured = controls::capture_control();
            captured == this || (captured != nullptr && captured->Parent() == this))
            controls::set_capture_control(nullptr);
        DefaultHandler(message);
        return;
    case CM_ENABLEDCHANGED:
        if (m_handle != nullptr)
            EnableWindow(m_handle, Enabled() ? TRUE : FALSE);
        return;
    case CM_TEXTCHANGED:
        if (m_handle != nullptr)
            SetWindowTextW(m_handle, reinterpret_cast<LPCWSTR>(Caption().utf16()));
        return;
    default:
        TControl::Dispatch(message);
        return;
    }
}

void TWinControl::WndProc(TMessage& message)
{
    // Mouse messages over a graphic child (or for the one that captured the mouse)
    // are that child's.
    if (is_mouse_message(message.Msg) && route_mouse_to_child(message))
        return;
    TControl::WndProc(message);
}

void TWinControl::DefaultHandler(TMessage& message)
{
    if (m_handle == nullptr)
        return;
    message.Result =
        CallWindowProcW(m_default_procedure, m_handle, message.Msg, message.WParam, message.LParam);
}

void TWinControl::VisibleChanged()
{
    if (m_handle != nullptr) {
        ShowWindow(m_handle, Visible() ? SW_SHOW : SW_HIDE);
        return;
    }
    if (Visible() && Parent() != nullptr && Parent()->HandleAllocated())
        CreateHandle();
}

}
