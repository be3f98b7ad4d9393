#include "listview/canvas_control.h"

#include "framework/stdctrls.h"
#include "listview/common/theme_manager.h"
#include "listview/lq_types.h"
#include "platform/gdi.h"
#include "platform/system_metrics.h"
#include "platform/user_input.h"
#include "platform/user_paint.h"
#include "platform/user_windows.h"

using namespace fw;

namespace vistrel::listview {

TRect LqIntersect(const TRect& a, const TRect& b)
{
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    if (r.IsEmpty())
        return TRect{};
    return r;
}

TRect LqUnion(const TRect& a, const TRect& b)
{
    if (a.IsEmpty())
        return b;
    if (b.IsEmpty())
        return a;
    return TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                 std::max(a.Bottom, b.Bottom)};
}

namespace {

constexpr UINT kMouseTimerInterval = 50;

// The bitmap canvas stays locked while the paint runs, also when it fails.
class CanvasLock {
public:
    explicit CanvasLock(TCanvas* canvas) : m_canvas(canvas) { m_canvas->Lock(); }
    ~CanvasLock() { m_canvas->Unlock(); }
    CanvasLock(const CanvasLock&) = delete;
    CanvasLock& operator=(const CanvasLock&) = delete;

private:
    TCanvas* m_canvas;
};

}

TLqCommonCanvasControl::TLqCommonCanvasControl(TComponent* owner)
    : TCustomControl(owner), m_canvas(std::make_unique<TControlCanvas>()),
      m_nc_canvas(std::make_unique<TCanvas>()),
      m_themes(std::make_unique<TLqCommonThemeManager>(this))
{
    m_canvas->SetControl(this);
}

TLqCommonCanvasControl::~TLqCommonCanvasControl()
{
    free_mouse_timer();
    DestroyHandle();
    m_themes.reset();
}

TCanvas* TLqCommonCanvasControl::Canvas()
{
    m_canvas->SetFont(Font());
    m_canvas->SetBrush(Brush());
    return m_canvas.get();
}

void TLqCommonCanvasControl::BeginUpdate()
{
    ++m_update_count;
}

void TLqCommonCanvasControl::EndUpdate(bool invalidate)
{
    --m_update_count;
    if (m_update_count > 0)
        return;
    m_update_count = 0;
    DoUpdate();
    if (invalidate && HandleAllocated())
        UpdateWindow(Handle());
    DoEndUpdate();
}

void TLqCommonCanvasControl::DoEndUpdate()
{
    if (OnEndUpdate)
        OnEndUpdate(this);
}

void TLqCommonCanvasControl::SafeInvalidateRect(const TRect* rect, bool immediate_update)
{
    if (!HandleAllocated())
        return;
    RECT area{};
    if (rect != nullptr)
        area = RECT{rect->Left, rect->Top, rect->Right, rect->Bottom};
    InvalidateRect(Handle(), rect != nullptr ? &area : nullptr, FALSE);
    if (immediate_update)
        UpdateWindow(Handle());
}

bool TLqCommonCanvasControl::Themed() const
{
    return !ComponentState().Contains(csLoading) && m_themed && UseThemes();
}

bool TLqCommonCanvasControl::DrawWithThemes() const
{
    return Themed() && m_themes->Loaded();
}

void TLqCommonCanvasControl::SetThemed(bool value)
{
    if (value == m_themed)
        return;
    m_themed = value;
    if (value)
        m_themes->ThemesLoad();
    else
        m_themes->ThemesFree();
    if (HandleAllocated())
        RecreateWnd();
}

void TLqCommonCanvasControl::SetBorderStyle(TBorderStyle value)
{
    if (value == m_border_style)
        return;
    m_border_style = value;
    RecreateWnd();
}

void TLqCommonCanvasControl::SetShowThemedBorder(bool value)
{
    if (value == m_show_themed_border)
        return;
    m_show_themed_border = value;
    if (HandleAllocated())
        RecreateWnd();
}

void TLqCommonCanvasControl::SetCacheDoubleBufferBits(bool value)
{
    if (value == m_cache_double_buffer_bits)
        return;
    m_cache_double_buffer_bits = value;
    if (value) {
        if (!m_back_bits) {
            m_back_bits = std::make_unique<TBitmap>();
            m_back_bits->SetPixelFormat(pf32bit);
        }
        // Sized now: a buffer without pixels would paint nothing until the next resize.
        ResizeBackBits(Width(), Height());
    } else {
        m_back_bits.reset();
    }
}

void TLqCommonCanvasControl::ResizeBackBits(int width, int height)
{
    if (!m_cache_double_buffer_bits || !m_back_bits)
        return;
    if (m_back_bits->Width() < width)
        m_back_bits->SetWidth(width <= 0 ? 1 : width);
    if (m_back_bits->Height() < height)
        m_back_bits->SetHeight(height <= 0 ? 1 : height);
    if (m_back_bits->Width() == 0)
        m_back_bits->SetWidth(1);
    if (m_back_bits->Height() == 0)
        m_back_bits->SetHeight(1);
}

void TLqCommonCanvasControl::DoPaintAfter(TCanvas*, const TRect&)
{
}
void TLqCommonCanvasControl::CalcThemedNCSize(TRect&)
{
}

void TLqCommonCanvasControl::DoMouseEnter(TPoint& mouse_pos)
{
    if (OnMouseEnter) {
        TPoint copy = mouse_pos;
        OnMouseEnter(this, copy);
    }
}

void TLqCommonCanvasControl::DoMouseExit()
{
    if (OnMouseExit)
        OnMouseExit(this);
}

void TLqCommonCanvasControl::DoMouseTrack(TPoint)
{
}
void TLqCommonCanvasControl::DoPaintRect(TCanvas*, const TRect&, bool)
{
}
void TLqCommonCanvasControl::DoUpdate()
{
}
void TLqCommonCanvasControl::PaintThemedNCBkgnd(TCanvas*, const TRect&)
{
}

void TLqCommonCanvasControl::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.WindowClassStyle |= CS_DBLCLKS;
    params.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (m_border_style == bsSingle && !Themed()) {
        if (Ctl3D()) {
            params.ExStyle |= WS_EX_CLIENTEDGE;
            params.Style &= ~WS_BORDER;
        } else {
            params.Style |= WS_BORDER;
        }
    }
}

void TLqCommonCanvasControl::CreateWnd()
{
    TCustomControl::CreateWnd();
    m_themes->ThemesLoad();
    ResizeBackBits(Width(), Height());
}

void TLqCommonCanvasControl::BoundsChanged(bool size_changed)
{
    TCustomControl::BoundsChanged(size_changed);
    if (size_changed)
        ResizeBackBits(Width(), Height());
}

void TLqCommonCanvasControl::ApplyBorderStyles()
{
    if (!HandleAllocated())
        return;
    HWND window = Handle();
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    const LONG_PTR ex_style = GetWindowLongPtrW(window, GWL_EXSTYLE);
    const bool client_edge = (ex_style & WS_EX_CLIENTEDGE) != 0;
    const bool border = (style & WS_BORDER) != 0;
    bool want_edge = false;
    bool want_border = false;
    if (Themed() || m_border_style == bsNone) {
        want_edge = false;
        want_border = false;
    } else if (Ctl3D()) {
        want_edge = true;
    } else {
        want_border = true;
    }
    if (client_edge != want_edge)
        SetWindowLongPtrW(window, GWL_EXSTYLE,
                          want_edge ? (ex_style | WS_EX_CLIENTEDGE)
                                    : (ex_style & ~WS_EX_CLIENTEDGE));
    if (border != want_border)
        SetWindowLongPtrW(window, GWL_STYLE,
                          want_border ? (style | WS_BORDER) : (style & ~LONG_PTR(WS_BORDER)));
}

void TLqCommonCanvasControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_PAINT:
        paint_message(message);
        return;
    case WM_NCPAINT:
        nc_paint_message(message);
        return;
    case WM_MOUSEMOVE:
        mouse_move_message(message);
        return;
    case WM_KILLFOCUS:
        HandleMouseExit();
        TCustomControl::Dispatch(message);
        return;
    case WM_MOUSELEAVE:
    case CM_MOUSELEAVE:
        // Where the platform keeps no global pointer the poll cannot see the pointer
        // go; the leave message ends the inside state as the poll would.
        TCustomControl::Dispatch(message);
        if (m_mouse_timer && !mouse_captured_here()) {
            free_mouse_timer();
            if (m_mouse_in_window) {
                m_mouse_in_window = false;
                DoMouseExit();
            }
        }
        return;
    case WM_DESTROY:
        free_mouse_timer();
        m_themes->ThemesFree();
        TCustomControl::Dispatch(message);
        return;
    case WM_THEMECHANGED:
        DefaultHandler(message);
        m_themes->ThemesFree();
        m_themes->ThemesLoad();
        return;
    case WM_NCCALCSIZE:
        if (!m_themes->Loaded())
            m_themes->ThemesLoad();
        if (DrawWithThemes() && m_show_themed_border) {
            DefaultHandler(message);
            if (message.WParam != 0) {
                auto* rect = reinterpret_cast<RECT*>(message.LParam);
                TRect client{rect->left, rect->top, rect->right, rect->bottom};
                CalcThemedNCSize(client);
                *rect = RECT{client.Left, client.Top, client.Right, client.Bottom};
            }
            return;
        }
        TCustomControl::Dispatch(message);
        return;
    case CM_CTL3DCHANGED:
        TCustomControl::Dispatch(message);
        if (m_border_style == bsSingle)
            RecreateWnd();
        return;
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_PARENTFONTCHANGED:
        TCustomControl::Dispatch(message);
        if (!ComponentState().Contains(csLoading))
            SafeInvalidateRect(nullptr, false);
        return;
    default:
        TCustomControl::Dispatch(message);
        return;
    }
}

void TLqCommonCanvasControl::paint_message(TMessage& message)
{
    HWND window = Handle();
    PAINTSTRUCT paint{};
    HDC window_dc = BeginPaint(window, &paint);
    struct EndPaintGuard {
        HWND window;
        PAINTSTRUCT* paint;
        ~EndPaintGuard() { EndPaint(window, paint); }
    } end_paint{window, &paint};
    message.Result = 0;
    if (m_update_count > 0 && !m_force_paint)
        return;
    const TRect client = ClientRect();
    std::unique_ptr<TBitmap> own_bits;
    TBitmap* bits = m_back_bits.get();
    if (!m_cache_double_buffer_bits || bits == nullptr) {
        own_bits = std::make_unique<TBitmap>();
        own_bits->SetPixelFormat(pf32bit);
        own_bits->SetSize(client.Width() <= 0 ? 1 : client.Width(),
                          client.Height() <= 0 ? 1 : client.Height());
        bits = own_bits.get();
    }
    TCanvas* canvas = bits->Canvas();
    CanvasLock lock(canvas);
    const TRect paint_rect{paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right,
                           paint.rcPaint.bottom};
    if (paint_rect.IsEmpty() || client.Width() <= 0 || client.Height() <= 0)
        return;
    canvas->SetFont(Font());
    canvas->Brush()->SetColor(Color());
    canvas->SetBrush(Brush());
    // A bitmap's device context starts with its origins at (0, 0) and nothing here
    // moves them.
    canvas->FillRect(paint_rect);
    SelectClipRgn(canvas->Handle(), nullptr);
    DoPaintRect(canvas, paint_rect, false);
    SelectClipRgn(canvas->Handle(), nullptr);
    DoPaintAfter(canvas, paint_rect);
    BitBlt(window_dc, paint_rect.Left, paint_rect.Top, paint_rect.Width(), paint_rect.Height(),
           canvas->Handle(), paint_rect.Left, paint_rect.Top, SRCCOPY);
}

void TLqCommonCanvasControl::nc_paint_message(TMessage& message)
{
    DefaultHandler(message);
    HWND window = Handle();
    HDC dc = GetWindowDC(window);
    if (dc == nullptr)
        return;
    struct Release {
        TLqCommonCanvasControl* self;
        HWND window;
        HDC dc;
        ~Release()
        {
            self->m_nc_canvas->SetHandle(nullptr);
            ReleaseDC(window, dc);
        }
    } release{this, window, dc};
    m_nc_canvas->SetHandle(dc);

    RECT client{};
    GetClientRect(window, &client);
    RECT outer{};
    GetWindowRect(window, &outer);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&outer), 2);
    const POINT corner{outer.left, outer.top};
    if (m_border_style == bsSingle) {
        const int shrink = Ctl3D() ? 2 : 1;
        outer.left += shrink;
        outer.top += shrink;
        outer.right -= shrink;
        outer.bottom -= shrink;
    }
    TRect rw =
        LqOffset(TRect{outer.left, outer.top, outer.right, outer.bottom}, -corner.x, -corner.y);
    TRect rc =
        LqOffset(TRect{client.left, client.top, client.right, client.bottom}, -corner.x, -corner.y);
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    const LONG_PTR ex_style = GetWindowLongPtrW(window, GWL_EXSTYLE);
    const bool vertical = (style & WS_VSCROLL) != 0;
    const bool horizontal = (style & WS_HSCROLL) != 0;
    if (vertical) {
        if ((ex_style & WS_EX_LEFTSCROLLBAR) != 0)
            rc.Left -= GetSystemMetrics(SM_CYVSCROLL);
        else
            rc.Right += GetSystemMetrics(SM_CYVSCROLL);
    }
    if (horizontal)
        rc.Bottom += GetSystemMetrics(SM_CYHSCROLL);
    if (vertical && horizontal) {
        const int bar = GetSystemMetrics(SM_CYVSCROLL);
        const int left = (ex_style & WS_EX_LEFTSCROLLBAR) != 0 ? rc.Left : rc.Right - bar;
        TRect corner_square{left, rc.Bottom - GetSystemMetrics(SM_CYHSCROLL), left + bar,
                            rc.Bottom};
        m_nc_canvas->Brush()->SetColor(clBtnFace);
        m_nc_canvas->FillRect(corner_square);
    }
    HRGN everything = CreateRectRgn(rw.Left, rw.Top, rw.Right, rw.Bottom);
    HRGN inside = CreateRectRgn(rc.Left, rc.Top, rc.Right, rc.Bottom);
    CombineRgn(everything, everything, inside, RGN_DIFF);
    SelectClipRgn(dc, everything);
    DeleteObject(inside);
    DeleteObject(everything);
    m_nc_canvas->SetBrush(Brush());
    m_nc_canvas->FillRect(rw);
    if (DrawWithThemes()) {
        PaintThemedNCBkgnd(m_nc_canvas.get(), rc);
        return;
    }
    m_nc_canvas->FillRect(rw);
    if (BevelKind() == bkNone)
        return;
    auto grow = [&rc](int amount) {
        rc.Left -= amount;
        rc.Top -= amount;
        rc.Right += amount;
        rc.Bottom += amount;
    };
    if (BevelInner() != bvNone)
        grow(1);
    if (BevelOuter() != bvNone)
        grow(1);
    UINT edge = 0;
    edge |= BevelInner() == bvLowered  ? BDR_SUNKENINNER
            : BevelInner() == bvRaised ? BDR_RAISEDINNER
                                       : 0;
    edge |= BevelOuter() == bvLowered  ? BDR_SUNKENOUTER
            : BevelOuter() == bvRaised ? BDR_RAISEDOUTER
                                       : 0;
    UINT flags = 0;
    if (BevelEdges().Contains(beLeft))
        flags |= BF_LEFT;
    if (BevelEdges().Contains(beTop))
        flags |= BF_TOP;
    if (BevelEdges().Contains(beRight))
        flags |= BF_RIGHT;
    if (BevelEdges().Contains(beBottom))
        flags |= BF_BOTTOM;
    flags |= BevelKind() == bkSoft ? BF_SOFT : BevelKind() == bkFlat ? BF_FLAT : 0;
    if (!Ctl3D())
        flags |= BF_MONO;
    RECT edge_rect{rc.Left, rc.Top, rc.Right, rc.Bottom};
    DrawEdge(dc, &edge_rect, edge, flags);
}

bool TLqCommonCanvasControl::mouse_captured_here()
{
    return HandleAllocated() && GetCapture() == Handle();
}

void TLqCommonCanvasControl::mouse_move_message(TMessage& message)
{
    if (!m_mouse_timer) {
        m_mouse_timer.reset(new TTimer(nullptr));
        m_mouse_timer->OnTimer = [this](TObject*) { mouse_timer_tick(); };
        m_mouse_timer->SetInterval(kMouseTimerInterval);
        m_mouse_timer->SetEnabled(true);
        const TWMMouse mouse = TWMMouse::From(message);
        TPoint point{mouse.XPos, mouse.YPos};
        DoMouseEnter(point);
    }
    const TWMMouse mouse = TWMMouse::From(message);
    const TPoint point{mouse.XPos, mouse.YPos};
    if (!ClientRect().Contains(point)) {
        HandleMouseExit();
    } else if (!m_mouse_in_window) {
        if (mouse_captured_here()) {
            TPoint copy = point;
            DoMouseEnter(copy);
        }
        m_mouse_in_window = true;
    }
    TCustomControl::Dispatch(message);
}

void TLqCommonCanvasControl::HandleMouseExit()
{
    if (!m_mouse_in_window)
        return;
    DoMouseExit();
    if (!mouse_captured_here())
        free_mouse_timer();
    m_mouse_in_window = false;
}

void TLqCommonCanvasControl::mouse_timer_tick()
{
    if (!HandleAllocated()) {
        free_mouse_timer();
        DoMouseExit();
        return;
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    ::ScreenToClient(Handle(), &cursor);
    const TPoint point{cursor.x, cursor.y};
    if (!ClientRect().Contains(point) && !mouse_captured_here()) {
        free_mouse_timer();
        DoMouseExit();
        return;
    }
    DoMouseTrack(point);
}

void TLqCommonCanvasControl::free_mouse_timer()
{
    if (m_mouse_timer) {
        // The timer may be the caller (its own tick): let it go after this message.
        m_mouse_timer->SetEnabled(false);
        m_mouse_timer.reset();
    }
}

TLqCanvasStore::TLqCanvasStore() = default;
TLqCanvasStore::~TLqCanvasStore() = default;

void TLqCanvasStore::StoreCanvasState(TCanvas* canvas)
{
    if (!m_pen)
        m_pen = std::make_unique<TPen>();
    if (!m_brush)
        m_brush = std::make_unique<TBrush>();
    if (!m_font)
        m_font = std::make_unique<TFont>();
    m_pen->Assign(canvas->Pen());
    m_brush->Assign(canvas->Brush());
    m_font->Assign(canvas->Font());
}

void TLqCanvasStore::RestoreCanvasState(TCanvas* canvas)
{
    if (m_pen)
        canvas->SetPen(m_pen.get());
    if (m_brush)
        canvas->SetBrush(m_brush.get());
    if (m_font)
        canvas->SetFont(m_font.get());
}

}
