#include "listview/common/input_conversions.h"

#include "framework/controls.h"
#include "framework/forms.h"
#include "platform/system_metrics.h"
#include "platform/user_input.h"
#include "platform/user_messages.h"
#include "platform/user_windows.h"

#include <thread>

namespace vistrel::listview {

fw::TShiftState KeyDataToShiftStates(LPARAM KeyData)
{
    fw::TShiftState states;
    if (GetKeyState(VK_SHIFT) < 0)
        states.Include(fw::ssShift);
    if (GetKeyState(VK_CONTROL) < 0)
        states.Include(fw::ssCtrl);
    if ((static_cast<uint64_t>(KeyData) & 0x20000000u) != 0)
        states.Include(fw::ssAlt);
    return states;
}

uint32_t DropEffectToNative(TLqCommonDropEffect Effect)
{
    switch (Effect) {
    case cdeCopy:
        return DROPEFFECT_COPY;
    case cdeMove:
        return DROPEFFECT_MOVE;
    case cdeLink:
        return DROPEFFECT_LINK;
    default:
        return DROPEFFECT_NONE;
    }
}

TLqCommonDropEffects NativeToDropEffects(uint32_t Effects)
{
    TLqCommonDropEffects result;
    if (Effects == DROPEFFECT_NONE || Effects == DROPEFFECT_SCROLL)
        result.Include(cdeNone);
    if ((Effects & DROPEFFECT_COPY) != 0)
        result.Include(cdeCopy);
    if ((Effects & DROPEFFECT_MOVE) != 0)
        result.Include(cdeMove);
    if ((Effects & DROPEFFECT_LINK) != 0)
        result.Include(cdeLink);
    if ((Effects & DROPEFFECT_SCROLL) != 0)
        result.Include(cdeScroll);
    return result;
}

uint32_t DropEffectsToNative(TLqCommonDropEffects Effects)
{
    uint32_t result = DROPEFFECT_NONE;
    if (Effects.Contains(cdeCopy))
        result |= DROPEFFECT_COPY;
    if (Effects.Contains(cdeMove))
        result |= DROPEFFECT_MOVE;
    if (Effects.Contains(cdeLink))
        result |= DROPEFFECT_LINK;
    if (Effects.Contains(cdeScroll))
        result |= DROPEFFECT_SCROLL;
    return result;
}

TLqCommonKeyStates NativeToKeyStates(uint32_t Keys)
{
    TLqCommonKeyStates states;
    if ((Keys & MK_CONTROL) != 0)
        states.Include(cksControl);
    if ((Keys & MK_LBUTTON) != 0)
        states.Include(cksLButton);
    if ((Keys & MK_MBUTTON) != 0)
        states.Include(cksMButton);
    if ((Keys & MK_RBUTTON) != 0)
        states.Include(cksRButton);
    if ((Keys & MK_SHIFT) != 0)
        states.Include(cksShift);
    // The Alt key has no MK_ flag of its own; drag and drop reports it as 0x20.
    if ((Keys & 0x20u) != 0)
        states.Include(cksAlt);
    if ((Keys & (MK_LBUTTON | MK_MBUTTON | MK_RBUTTON)) != 0)
        states.Include(cksButton);
    return states;
}

TLqCommonMouseButton NativeToMouseButton(uint32_t Keys)
{
    if ((Keys & MK_LBUTTON) != 0)
        return cmbLeft;
    if ((Keys & MK_MBUTTON) != 0)
        return cmbMiddle;
    if ((Keys & MK_RBUTTON) != 0)
        return cmbRight;
    return cmbNone;
}

TLqCommonDropEffect KeyStatesToDropEffect(TLqCommonKeyStates States)
{
    const bool control = States.Contains(cksControl);
    const bool shift = States.Contains(cksShift);
    const bool alt = States.Contains(cksAlt);
    if (control && !shift && !alt)
        return cdeCopy;
    if ((alt && !shift && !control) || (shift && control))
        return cdeLink;
    return cdeMove;
}

namespace {

// The messages that end the wait for a drag without one; they are posted again so
// that the window still gets them.
bool ends_without_drag(UINT message)
{
    switch (message) {
    case WM_CANCELMODE:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        return true;
    default:
        return false;
    }
}

}

bool DetectDrag(HWND Window, fw::TPoint ClientPoint)
{
    POINT screen{ClientPoint.X, ClientPoint.Y};
    if (!ClientToScreen(Window, &screen))
        return false;
    const int dx = GetSystemMetrics(SM_CXDRAG);
    const int dy = GetSystemMetrics(SM_CYDRAG);
    const fw::TRect drag_rect{screen.x - dx, screen.y - dy, screen.x + dx, screen.y + dy};
    const bool had_capture = GetCapture() == Window;
    SetCapture(Window);

    bool dragged = false;
    for (;;) {
        MSG message{};
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            std::this_thread::yield();
            continue;
        }
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (message.hwnd == Window && ends_without_drag(message.message)) {
            PostMessageW(Window, message.message, message.wParam, message.lParam);
            break;
        }
        if (message.hwnd == Window && message.message == WM_MOUSEMOVE) {
            POINT point{static_cast<int16_t>(fw::LoWord(static_cast<uintptr_t>(message.lParam))),
                        static_cast<int16_t>(fw::HiWord(static_cast<uintptr_t>(message.lParam)))};
            ClientToScreen(Window, &point);
            dragged = !drag_rect.Contains(fw::Point(point.x, point.y));
            if (dragged)
                break;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }

    ReleaseCapture();
    if (had_capture) {
        if (fw::Mouse != nullptr)
            fw::Mouse->SetCapture(Window);
        else
            SetCapture(Window);
    }
    return dragged;
}

}
