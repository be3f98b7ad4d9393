// The caret of the process and the alert.

#include "osmark/fonts.h"
#include "osmark/clipboard.h"

#include "platform/user.h"
#include "platform/user_caret.h"

extern "C" {

OSMARK_API CaretInfo __CaretInfo = {nullptr, 0, 0, 0, 0, 0, 0};

OSMARK_API void SetCaret(Window* window, int32_t width, int32_t height) noexcept
{
    CaretInfo& caret = __CaretInfo;
    if (caret.ci_Created != 0 && caret.ci_Owner == window && window != nullptr) {
        if (caret.ci_Visible != 0) {
            HideCaret(window->win_Handle);
            caret.ci_Visible = 0;
        }
        if (caret.ci_Width == width && caret.ci_Height == height)
            return;
    }
    if (caret.ci_Created != 0) {
        DestroyCaret();
        caret.ci_Created = 0;
    }
    caret.ci_Owner = nullptr;
    caret.ci_Visible = 0;
    if (window == nullptr)
        return;
    if (CreateCaret(window->win_Handle, nullptr, width, height) != FALSE) {
        caret.ci_Owner = window;
        caret.ci_Created = 1;
        HideCaret(window->win_Handle);
        caret.ci_Width = width;
        caret.ci_Height = height;
    }
}

OSMARK_API void DisplayCaret(int32_t show) noexcept
{
    CaretInfo& caret = __CaretInfo;
    if (caret.ci_Created == 0 || caret.ci_Owner == nullptr)
        return;
    if (show == 0) {
        if (caret.ci_Visible != 0)
            HideCaret(caret.ci_Owner->win_Handle);
        caret.ci_Visible = 0;
    } else {
        if (caret.ci_Visible == 0)
            ShowCaret(caret.ci_Owner->win_Handle);
        caret.ci_Visible = 1;
    }
}

OSMARK_API void MoveCaret(int32_t x, int32_t y) noexcept
{
    CaretInfo& caret = __CaretInfo;
    if (caret.ci_Created == 0 || (x == caret.ci_LastX && y == caret.ci_LastY))
        return;
    SetCaretPos(x, y);
    caret.ci_LastX = x;
    caret.ci_LastY = y;
}

OSMARK_API void SetTextCaret(Window* window, const GadgetContext* context) noexcept
{
    // As tall as the font of the context's port, else of the window's port.
    const RastPort* rp = context != nullptr ? context->gc_RPort : nullptr;
    if (rp == nullptr && window != nullptr)
        rp = window->win_RPort;
    SetCaret(window, 2, rp != nullptr && rp->rp_Font != nullptr ? rp->rp_Font->tf_YSize : 0);
}

OSMARK_API int32_t DisplayBeep(Window* window) noexcept
{
    HWND handle = window != nullptr ? window->win_Handle : nullptr;
    FlashWindow(handle, TRUE);
    MessageBeep(0);
    Sleep(500);
    return FlashWindow(handle, TRUE);
}
}
