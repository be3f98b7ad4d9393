// The canvas of controls, the painted control bases, the mouse and the hint window.

#include "framework/controls.h"
#include "framework/forms.h"
#include "graphics/scratch_surface.h"
#include "platform/user_input.h"
#include "platform/user_paint.h"

#include <algorithm>
#include <vector>

namespace fw {
namespace {

// Canvases that hold a DC of their control's window outside painting.
std::vector<TControlCanvas*>& canvases_with_window_dc()
{
    static std::vector<TControlCanvas*> canvases;
    return canvases;
}

// Puts a canvas on a paint DC for the length of a scope, whatever the painting raises.
class CanvasOnDC {
public:
    CanvasOnDC(TControlCanvas* canvas, HDC dc) : m_canvas(canvas)
    {
        m_canvas->Lock();
        m_canvas->FreeHandle();
        m_canvas->SetHandle(dc);
    }
    ~CanvasOnDC()
    {
        m_canvas->SetHandle(nullptr);
        m_canvas->Unlock();
    }
    CanvasOnDC(const CanvasOnDC&) = delete;
    CanvasOnDC& operator=(const CanvasOnDC&) = delete;

private:
    TControlCanvas* m_canvas;
};

}

// ---- TControlCanvas ------------------------------------------------------------------------

TControlCanvas::~TControlCanvas()
{
    FreeHandle();
}

void TControlCanvas::SetControl(TControl* control)
{
    if (control == m_control)
        return;
    FreeHandle();
    m_control = control;
}

void TControlCanvas::CreateHandle()
{
    auto* windowed = dynamic_cast<TWinControl*>(m_control);
    if (windowed == nullptr)
        return; // a graphic control draws only while its parent paints it
    HWND window = windowed->Handle();
    HDC dc = GetDC(window);
    if (dc == nullptr)
        return;
    m_window_dc = dc;
    m_window_dc_owner = window;
    canvases_with_window_dc().push_back(this);
    SetHandle(dc);
}

void TControlCanvas::FreeHandle()
{
    if (m_window_dc == nullptr)
        return;
    SetHandle(nullptr);
    ReleaseDC(m_window_dc_owner, m_window_dc);
    m_window_dc = nullptr;
    m_window_dc_owner = nullptr;
    std::erase(canvases_with_window_dc(), this);
}

void FreeDeviceContexts() noexcept
{
    const std::vector<TControlCanvas*> holding = canvases_with_window_dc();
    for (TControlCanvas* canvas : holding)
        canvas->FreeHandle();
}

// ---- TCustomControl and TGraphicControl ------------------------------------------------------

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), m_canvas(new TControlCanvas)
{
    m_canvas->SetControl(this);
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC dc)
{
    const CanvasOnDC on_dc(m_canvas.get(), dc);
    Paint();
}

void TCustomControl::DestroyWnd()
{
    m_canvas->FreeHandle();
    TWinControl::DestroyWnd();
}

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner), m_canvas(new TControlCanvas)
{
    m_canvas->SetControl(this);
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Dispatch(TMessage& message)
{
    if (message.Msg == WM_PAINT && message.WParam != 0) {
        const CanvasOnDC on_dc(m_canvas.get(), reinterpret_cast<HDC>(message.WParam));
        Paint();
        return;
    }
    TControl::Dispatch(message);
}

// ---- TMouse ------------------------------------------------------------------------------------

TPoint TMouse::CursorPos() const
{
    POINT point{};
    GetCursorPos(&point);
    return {point.x, point.y};
}

void TMouse::SetCursorPos(TPoint point)
{
    ::SetCursorPos(point.X, point.Y);
}

HWND TMouse::Capture() const
{
    return GetCapture();
}

void TMouse::SetCapture(HWND window)
{
    if (window != nullptr)
        ::SetCapture(window);
    else
        ReleaseCapture();
}

// ---- THintWindow -------------------------------------------------------------------------------

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner)
{
    init_visible(false);
    SetColor(Application != nullptr ? Application->HintColor() : clInfoBk);
    Font()->SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.Style = WS_POPUP | WS_BORDER;
    params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
}

void THintWindow::ActivateHint(TRect rect, const QString& hint)
{
    SetCaption(hint);
    SetBoundsRect(rect);
    HWND window = Handle();
    init_visible(true);
    SetWindowPos(window, HWND_TOPMOST, rect.Left, rect.Top, rect.Width(), rect.Height(),
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Invalidate();
    Update();
}

void THintWindow::ActivateHintData(TRect rect, const QString& hint, void*)
{
    ActivateHint(rect, hint);
}

TRect THintWindow::CalcHintRect(int max_width, const QString& hint, void*)
{
    graphics::ScratchSurface measure(1, 1);
    HGDIOBJ old_font = SelectObject(measure.dc(), Font()->Handle());
    RECT rect{0, 0, std::max(1, max_width), 0};
    DrawTextW(measure.dc(), reinterpret_cast<LPCWSTR>(hint.utf16()), static_cast<int>(hint.size()),
              &rect, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(measure.dc(), old_font);
    // Room for the border and a little air around the text.
    return Rect(0, 0, rect.right + 6, rect.bottom + 2);
}

bool THintWindow::IsHintMsg(const MSG& message) const
{
    const UINT msg = message.message;
    return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) ||
           (msg > WM_MOUSEMOVE && msg <= WM_MOUSELAST) ||
           (msg >= WM_NCLBUTTONDOWN && msg <= WM_NCMBUTTONDBLCLK) || msg == WM_ACTIVATE ||
           msg == WM_ACTIVATEAPP;
}

void THintWindow::ReleaseHandle()
{
    init_visible(false);
    DestroyHandle();
}

void THintWindow::Paint()
{
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(ClientRect());
    canvas->SetFont(Font());
    canvas->Brush()->SetStyle(bsClear);
    TRect rect = ClientRect();
    RECT text{rect.Left + 2, rect.Top + 1, rect.Right - 2, rect.Bottom - 1};
    const QString& hint = Caption();
    DrawTextW(canvas->Handle(), reinterpret_cast<LPCWSTR>(hint.utf16()),
              static_cast<int>(hint.size()), &text, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

}
