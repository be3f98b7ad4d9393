#include "forms/focused_paint_box.h"

#include "platform/user_messages.h"

namespace vistrel {

TOvraFocusedPaintBox::TOvraFocusedPaintBox(fw::TComponent* owner) : fw::TCustomControl(owner)
{
    SetTabStop(true);
    SetBounds(Left(), Top(), 100, 100);
}

void TOvraFocusedPaintBox::MouseDown(fw::TMouseButton button, fw::TShiftState shift, int x, int y)
{
    fw::TCustomControl::MouseDown(button, shift, x, y);
    if (CanFocus())
        SetFocus();
}

void TOvraFocusedPaintBox::Paint()
{
    fw::TCustomControl::Paint();
    if (OnPaint)
        OnPaint(this);
    if (Focused())
        Canvas()->DrawFocusRect(ClientRect());
}

void TOvraFocusedPaintBox::Dispatch(fw::TMessage& message)
{
    switch (message.Msg) {
    case WM_ERASEBKGND:
        // The picture covers every pixel; erasing first would only make it flicker.
        if (OnPaint) {
            message.Result = 1;
            return;
        }
        break;
    case WM_GETDLGCODE:
        fw::TCustomControl::Dispatch(message);
        message.Result = DLGC_WANTARROWS;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        // The focus rectangle comes or goes with the next paint.
        fw::TCustomControl::Dispatch(message);
        Invalidate();
        return;
    default:
        break;
    }
    fw::TCustomControl::Dispatch(message);
}

}
