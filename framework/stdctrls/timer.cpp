// TTimer on the platform's timers: each timer has a hidden window of its own that
// receives its WM_TIMER messages.

#include "framework/forms.h"
#include "forms/guarded_call.h"
#include "framework/stdctrls.h"
#include "platform/kernel.h"
#include "platform/user_input.h"


namespace fw {
namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr const char16_t* kTimerWindowClass = u"FwTimerWindow";

void register_timer_class()
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = fw_timer_window_procedure;
    window_class.lpszClassName = kTimerWindowClass;
    if (RegisterClassExW(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw EOutOfResources(QStringLiteral("Not enough timers available"));
    registered = true;
}

}

LRESULT fw_timer_window_procedure(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) noexcept
{
    if (msg != WM_TIMER)
        return DefWindowProcW(window, msg, wparam, lparam);
    auto* timer = reinterpret_cast<TTimer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (timer == nullptr)
        return 0;
    // The handler may free the timer: nothing below touches it.
    forms::guarded_call(nullptr, [timer] { timer->Timer(); });
    FreeDeviceContexts();
    return 0;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner)
{
    update_timer();
}

TTimer::~TTimer()
{
    if (m_window != nullptr) {
        KillTimer(m_window, kTimerId);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
}

void TTimer::SetEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    update_timer();
}

void TTimer::SetInterval(UINT milliseconds)
{
    if (milliseconds == m_interval)
        return;
    m_interval = milliseconds;
    update_timer();
}

void TTimer::update_timer()
{
    if (m_window != nullptr)
        KillTimer(m_window, kTimerId);
    if (!m_enabled || m_interval == 0)
        return;
    if (m_window == nullptr) {
        register_timer_class();
        m_window = CreateWindowExW(0, kTimerWindowClass, u"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                   nullptr, nullptr, nullptr);
        if (m_window == nullptr)
            throw EOutOfResources(QStringLiteral("Not enough timers available"));
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    if (SetTimer(m_window, kTimerId, m_interval, nullptr) == 0)
        throw EOutOfResources(QStringLiteral("Not enough timers available"));
}

void TTimer::Timer()
{
    if (OnTimer)
        OnTimer(this);
}

}
