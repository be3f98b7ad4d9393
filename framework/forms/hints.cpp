// The application's hints: after the mouse rests on a control with ShowHint for
// HintPause milliseconds, the control is asked (CM_HINTSHOW) and the hint window shows
// its text until HideTimeout passes, the mouse leaves the cursor rectangle or the
// control, or a key or click comes.

#include "framework/forms.h"
#include "forms/guarded_call.h"
#include "platform/kernel.h"
#include "platform/user_input.h"

#include <algorithm>

namespace fw {
namespace {

constexpr UINT_PTR kHintTimer = 1;
constexpr const char16_t* kHintTimerClass = u"FwHintTimer";

enum HintTimerPurpose {
    kShow = 1,
    kHide,
    kReshow
};

HWND make_timer_window()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.lpfnWndProc = fw_hint_timer_procedure;
        window_class.lpszClassName = kHintTimerClass;
        if (RegisterClassExW(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return nullptr;
        registered = true;
    }
    return CreateWindowExW(0, kHintTimerClass, u"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                           nullptr);
}

}

LRESULT fw_hint_timer_procedure(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) noexcept
{
    if (msg != WM_TIMER)
        return DefWindowProcW(window, msg, wparam, lparam);
    if (Application == nullptr)
        return 0;
    forms::guarded_call(nullptr,
                        [] { Application->hint_timer_fired(Application->m_hint_timer_purpose); });
    FreeDeviceContexts();
    return 0;
}

void TApplication::SetShowHint(bool value)
{
    m_show_hint = value;
    if (!value)
        CancelHint();
}

void TApplication::start_hint_timer(int milliseconds, int purpose)
{
    if (m_hint_timer_window == nullptr)
        m_hint_timer_window = make_timer_window();
    if (m_hint_timer_window == nullptr)
        return;
    m_hint_timer_purpose = purpose;
    SetTimer(m_hint_timer_window, kHintTimer, static_cast<UINT>(std::max(10, milliseconds)),
             nullptr);
}

void TApplication::stop_hint_timer()
{
    if (m_hint_timer_window != nullptr)
        KillTimer(m_hint_timer_window, kHintTimer);
    m_hint_timer_purpose = 0;
}

void TApplication::HintMouseMessage(TControl* control, TPoint client_point)
{
    if (!m_show_hint || control == nullptr)
        return;
    if (control != m_hint_control) {
        const bool was_shown = m_hint_shown;
        hide_hint();
        stop_hint_timer();
        m_hint_control = control;
        m_hint_cursor = client_point;
        if (!control->ShowHint())
            return;
        // A hint shown a moment ago makes the next one come quickly.
        int pause = was_shown ? m_hint_short_pause : m_hint_pause;
        control->Perform(CM_HINTSHOWPAUSE, was_shown ? 1 : 0, reinterpret_cast<LPARAM>(&pause));
        start_hint_timer(pause, kShow);
        return;
    }
    m_hint_cursor = client_point;
    if (m_hint_shown && !m_hint_cursor_rect.Contains(client_point)) {
        hide_hint();
        start_hint_timer(m_hint_short_pause, kShow);
    }
}

void TApplication::hint_timer_fired(int purpose)
{
    stop_hint_timer();
    if (purpose == kHide)
        hide_hint();
    else
        show_hint();
}

void TApplication::show_hint()
{
    TControl* control = m_hint_control;
    if (control == nullptr || !control->ShowHint())
        return;
    THintInfo info;
    info.HintControl = control;
    info.HintWindowClass = HintWindowClass ? HintWindowClass : HintWindowClassOf<THintWindow>();
    POINT cursor{};
    GetCursorPos(&cursor);
    // Below the pointer's arrow.
    info.HintPos = TPoint{cursor.x, cursor.y + 20};
    info.HintMaxWidth = Screen != nullptr ? Screen->Width() : 1920;
    info.HintColor = m_hint_color;
    info.CursorRect = control->ClientRect();
    info.CursorPos = m_hint_cursor;
    info.HideTimeout = m_hint_hide_pause;
    info.HintStr = control->Hint();
    if (control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0)
        return;
    if (info.HintStr.isEmpty() || !info.HintWindowClass)
        return;
    m_hint_cursor_rect = info.CursorRect;
    // A window of the kind asked for, every time: the control may name its own.
    THintWindow* old_window = m_hint_window;
    m_hint_window = nullptr;
    m_hint_shown = false;
    Free(old_window);
    m_hint_window = info.HintWindowClass(nullptr);
    if (m_hint_window == nullptr)
        return;
    m_hint_window->SetColor(info.HintColor);
    const TRect size = m_hint_window->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
    m_hint_window->ActivateHintData(
        Bounds(info.HintPos.X, info.HintPos.Y, size.Width(), size.Height()), info.HintStr,
        info.HintData);
    m_hint_shown = true;
    if (info.ReshowTimeout > 0)
        start_hint_timer(info.ReshowTimeout, kReshow);
    else if (info.HideTimeout > 0)
        start_hint_timer(info.HideTimeout, kHide);
}

void TApplication::hide_hint()
{
    if (m_hint_window != nullptr && m_hint_shown)
        m_hint_window->ReleaseHandle();
    m_hint_shown = false;
}

void TApplication::CancelHint()
{
    hide_hint();
    stop_hint_timer();
    m_hint_control = nullptr;
}

void TApplication::forget_control(const TControl* control) noexcept
{
    if (control != m_hint_control)
        return;
    m_hint_control = nullptr;
    try {
        stop_hint_timer();
        hide_hint();
    } catch (...) {
        m_hint_shown = false;
    }
}

void TApplication::process(MSG& message)
{
    if (m_hint_shown && m_hint_window != nullptr && m_hint_window->IsHintMsg(message))
        CancelHint();
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

}
