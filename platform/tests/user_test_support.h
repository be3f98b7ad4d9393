// Test support for the window tests: a window class whose procedure records every
// message and lets a test answer chosen messages, and a pump for the queue.
#ifndef PLATFORM_TESTS_USER_TEST_SUPPORT_H
#define PLATFORM_TESTS_USER_TEST_SUPPORT_H

#include "platform/kernel.h"
#include "platform/user_input.h"
#include "platform/user_messages.h"
#include "platform/user_paint.h"
#include "platform/user_windows.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace user_test {

struct Recorded {
    HWND window;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};

// What the recording procedure saw, and what it answers instead of DefWindowProcW.
struct Recorder {
    std::vector<Recorded> messages;
    std::map<std::pair<HWND, UINT>, std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>> handlers;
    std::map<UINT, std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>> any_window_handlers;

    // The messages of one kind, in order.
    std::vector<Recorded> of(UINT message) const
    {
        std::vector<Recorded> found;
        for (const Recorded& recorded : messages) {
            if (recorded.message == message)
                found.push_back(recorded);
        }
        return found;
    }
    // The message numbers among `interesting`, in the order they came.
    std::vector<UINT> sequence(const std::vector<UINT>& interesting) const
    {
        std::vector<UINT> found;
        for (const Recorded& recorded : messages) {
            for (const UINT wanted : interesting) {
                if (recorded.message == wanted)
                    found.push_back(recorded.message);
            }
        }
        return found;
    }
};

inline Recorder& recorder()
{
    static Recorder instance;
    return instance;
}

inline LRESULT recording_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    Recorder& log = recorder();
    log.messages.push_back(Recorded{window, message, wparam, lparam});
    if (const auto found = log.handlers.find({window, message}); found != log.handlers.end())
        return found->second(window, message, wparam, lparam);
    if (const auto found = log.any_window_handlers.find(message);
        found != log.any_window_handlers.end())
        return found->second(window, message, wparam, lparam);
    return DefWindowProcW(window, message, wparam, lparam);
}

// Registers the recording class (once per name) and clears the record at the start of
// every test.
class WindowTest : public ::testing::Test {
protected:
    static constexpr const char16_t* kClass = u"RecordingWindow";
    static constexpr const char16_t* kDoubleClickClass = u"RecordingDoubleClicks";

    void SetUp() override
    {
        recorder() = Recorder{};
        register_class(kClass, 0);
        register_class(kDoubleClickClass, CS_DBLCLKS);
    }
    void TearDown() override
    {
        for (HWND window : m_windows) {
            if (IsWindow(window))
                DestroyWindow(window);
        }
        pump();
        recorder() = Recorder{};
    }

    static void register_class(const char16_t* name, UINT style)
    {
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.style = style;
        window_class.lpfnWndProc = recording_procedure;
        window_class.cbWndExtra = 2 * sizeof(LONG_PTR);
        window_class.lpszClassName = name;
        if (RegisterClassExW(&window_class) == 0) {
            ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
        }
    }

    // A window of the recording class, destroyed at the end of the test.
    HWND make_window(DWORD style, const RECT& rect, HWND parent = nullptr,
                     const char16_t* class_name = kClass, DWORD ex_style = 0)
    {
        HWND window = CreateWindowExW(ex_style, class_name, u"test", style, rect.left, rect.top,
                                      rect.right - rect.left, rect.bottom - rect.top, parent,
                                      nullptr, nullptr, nullptr);
        if (window != nullptr)
            m_windows.push_back(window);
        return window;
    }

    // Dispatches every message waiting (translating keys), as a message loop does.
    static int pump()
    {
        int count = 0;
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                break;
            TranslateMessage(&message);
            DispatchMessageW(&message);
            ++count;
        }
        return count;
    }

private:
    std::vector<HWND> m_windows;
};

}

#endif
