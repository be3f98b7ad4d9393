// Panels and splitters.

#include "framework/stdctrls.h"
#include "platform/user_paint.h"

#include <algorithm>

namespace fw {

void Frame3D(TCanvas* canvas, TRect& rect, TColor top_color, TColor bottom_color, int width)
{
    TBrush* brush = canvas->Brush();
    const TColor saved_color = brush->Color();
    const TBrushStyle saved_style = brush->Style();
    for (int ring = 0; ring < width && !rect.IsEmpty(); ++ring) {
        brush->SetColor(top_color);
        canvas->FillRect(Rect(rect.Left, rect.Top, rect.Right, rect.Top + 1));
        canvas->FillRect(Rect(rect.Left, rect.Top, rect.Left + 1, rect.Bottom));
        brush->SetColor(bottom_color);
        canvas->FillRect(Rect(rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom));
        canvas->FillRect(Rect(rect.Right - 1, rect.Top, rect.Right, rect.Bottom));
        rect = Rect(rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1);
    }
    brush->SetColor(saved_color);
    brush->SetStyle(saved_style);
}

// ---- TPanel ------------------------------------------------------------------------------------

TPanel::TPanel(TComponent* owner) : TCustomControl(owner)
{
    m_control_style.Include(csAcceptsControls);
    m_control_style.Include(csOpaque);
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

int TPanel::bevel_size() const
{
    return (m_outer != bvNone ? m_width : 0) + (m_inner != bvNone ? m_width : 0);
}

void TPanel::SetBevelInner(TBevelCut cut)
{
    if (cut == m_inner)
        return;
    m_inner = cut;
    Realign();
    Invalidate();
}

void TPanel::SetBevelOuter(TBevelCut cut)
{
    if (cut == m_outer)
        return;
    m_outer = cut;
    Realign();
    Invalidate();
}

void TPanel::SetBevelWidth(int width)
{
    width = std::max(1, width);
    if (width == m_width)
        return;
    m_width = width;
    Realign();
    Invalidate();
}

void TPanel::SetAlignment(TAlignment alignment)
{
    m_alignment = alignment;
    Invalidate();
}

void TPanel::AdjustClientRect(TRect& rect) const
{
    const int bevel = bevel_size();
    rect =
        Rect(rect.Left + bevel, rect.Top + bevel, std::max(rect.Left + bevel, rect.Right - bevel),
             std::max(rect.Top + bevel, rect.Bottom - bevel));
}

void TPanel::Paint()
{
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(rect);
    const auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone)
            return;
        const bool raised = cut == bvRaised;
        Frame3D(canvas, rect, raised ? clBtnHighlight : clBtnShadow,
                raised ? clBtnShadow : clBtnHighlight, m_width);
    };
    bevel(m_outer);
    bevel(m_inner);
    const QString& caption = Caption();
    if (caption.isEmpty())
        return;
    canvas->SetFont(Font());
    canvas->Brush()->SetStyle(bsClear);
    static constexpr UINT kAlignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    RECT text{rect.Left, rect.Top, rect.Right, rect.Bottom};
    DrawTextW(canvas->Handle(), reinterpret_cast<LPCWSTR>(caption.utf16()),
              static_cast<int>(caption.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS | kAlignments[m_alignment]);
}

// ---- TSplitter ---------------------------------------------------------------------------------

TSplitter::TSplitter(TComponent* owner) : TCustomControl(owner)
{
    m_control_style.Exclude(csAcceptsControls);
    m_control_style.Include(csOpaque);
    SetBounds(0, 0, 3, 100);
    SetAlign(alLeft);
    SetCursor(crHSplit);
    SetParentColor(true);
}

void TSplitter::SetBeveled(bool value)
{
    m_beveled = value;
    Invalidate();
}

void TSplitter::Dispatch(TMessage& message)
{
    // The cursor follows the direction the bar moves in.
    if (message.Msg == WM_SETCURSOR && Cursor() == crHSplit && !horizontal())
        SetCursor(crVSplit);
    else if (message.Msg == WM_SETCURSOR && Cursor() == crVSplit && horizontal())
        SetCursor(crHSplit);
    TCustomControl::Dispatch(message);
}

TControl* TSplitter::find_neighbour() const
{
    const TWinControl* parent = Parent();
    if (parent == nullptr)
        return nullptr;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* control = parent->Controls(i);
        if (control == this || !control->Visible() || control->Align() != Align())
            continue;
        bool touches = false;
        switch (Align()) {
        case alLeft:
            touches = control->Left() + control->Width() == Left();
            break;
        case alRight:
            touches = control->Left() == Left() + Width();
            break;
        case alTop:
            touches = control->Top() + control->Height() == Top();
            break;
        case alBottom:
            touches = control->Top() == Top() + Height();
            break;
        default:
            break;
        }
        if (touches)
            return control;
    }
    return nullptr;
}

int TSplitter::size_of(const TControl* control) const
{
    return horizontal() ? control->Width() : control->Height();
}

void TSplitter::limits(int& lowest, int& highest) const
{
    const TSizeConstraints& constraints = *m_neighbour->Constraints();
    const int own_min = horizontal() ? constraints.MinWidth() : constraints.MinHeight();
    const int own_max = horizontal() ? constraints.MaxWidth() : constraints.MaxHeight();
    lowest = std::max(m_min_size, own_min);
    // The room left: the parent's client extent less every other control along the
    // same axis, less what the filling controls must keep.
    const TWinControl* parent = Parent();
    const TRect client = parent->ClientRect();
    int room = horizontal() ? client.Width() : client.Height();
    int keep = 0;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        const TControl* control = parent->Controls(i);
        if (control == m_neighbour || !control->Visible())
            continue;
        const TAlign align = control->Align();
        const bool along = horizontal() ? (align == alLeft || align == alRight)
                                        : (align == alTop || align == alBottom);
        if (along)
            room -= size_of(control);
        else if (align == alClient)
            keep += horizontal() ? control->Constraints()->MinWidth()
                                 : control->Constraints()->MinHeight();
    }
    highest = room - std::max(m_min_size, keep);
    if (own_max > 0)
        highest = std::min(highest, own_max);
    highest = std::max(highest, lowest);
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    m_neighbour = find_neighbour();
    if (m_neighbour == nullptr)
        return;
    m_dragging = true;
    m_down_point = ClientToScreen(TPoint{x, y});
    m_start_size = size_of(m_neighbour);
}

void TSplitter::MouseMove(TShiftState shift, int x, int y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (!m_dragging || m_neighbour == nullptr)
        return;
    const TPoint point = ClientToScreen(TPoint{x, y});
    int delta = horizontal() ? point.X - m_down_point.X : point.Y - m_down_point.Y;
    if (Align() == alRight || Align() == alBottom)
        delta = -delta;
    int lowest = 0;
    int highest = 0;
    limits(lowest, highest);
    int size = std::clamp(m_start_size + delta, lowest, highest);
    if (size == size_of(m_neighbour))
        return;
    bool accept = true;
    if (OnCanResize)
        OnCanResize(this, size, accept);
    if (!accept || m_resize_style == rsNone)
        return;
    if (horizontal())
        m_neighbour->SetWidth(size);
    else
        m_neighbour->SetHeight(size);
    Update();
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (button != mbLeft || !m_dragging)
        return;
    m_dragging = false;
    m_neighbour = nullptr;
    if (OnMoved)
        OnMoved(this);
}

void TSplitter::Paint()
{
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(rect);
    if (m_beveled)
        Frame3D(canvas, rect, clBtnHighlight, clBtnShadow, 1);
}

}
