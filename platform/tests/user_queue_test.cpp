// The message queue: order of retrieval, WM_QUIT, WM_PAINT and WM_TIMER, timers on the
// test clock, messages between threads, and key translation.

#include "platform/closure_timer.h"
#include "platform/handles.h"
#include "platform/qt.h"
#include "user_test_support.h"

#include <atomic>
#include <memory>
#include <thread>

namespace {

using user_test::Recorded;
using user_test::recorder;
using user_test::WindowTest;

std::vector<UINT> retrieve_all(HWND window_filter = nullptr)
{
    std::vector<UINT> order;
    MSG message{};
    while (PeekMessageW(&message, window_filter, 0, 0, PM_REMOVE)) {
        order.push_back(message.message);
        if (message.message != WM_QUIT)
            DispatchMessageW(&message);
    }
    return order;
}

TEST_F(WindowTest, AMessagePostedDuringDispatchComesAfterTheCurrentOne)
{
    HWND window = make_window(WS_POPUP, RECT{0, 0, 10, 10});
    std::vector<WPARAM> handled;
    recorder().handlers[{window, WM_USER}] = [&handled](HWND w, UINT, WPARAM wparam, LPARAM) {
        handled.push_back(wparam);
        if (wparam == 1)
            PostMessageW(w, WM_USER, 3, 0);
        return LRESULT{0};
    };
    PostMessageW(window, WM_USER, 1, 0);
    PostMessageW(window, WM_USER, 2, 0);
    pump();
    EXPECT_EQ(handled, (std::vector<WPARAM>{1, 2, 3}));
}

TEST_F(WindowTest, RetrievalOrderIsPostedThenQuitThenPaintThenTimer)
{
    HWND window = make_window(WS_POPUP | WS_VISIBLE, RECT{0, 0, 20, 20});
    pump(); // the first paint
    platform::test::AdvanceClock(0);
    SetTimer(window, 1, 10, nullptr);
    platform::test::AdvanceClock(10);
    InvalidateRect(window, nullptr, FALSE);
    PostMessageW(window, WM_USER, 0, 0);
    PostQuitMessage(3);
    PostMessageW(window, WM_USER + 1, 0, 0);

    MSG message{};
    std::vector<UINT> order;
    for (int i = 0; i < 3; ++i) {
        const BOOL result = GetMessageW(&message, nullptr, 0, 0);
        order.push_back(message.message);
        if (message.message == WM_QUIT) {
            EXPECT_EQ(result, FALSE);
            EXPECT_EQ(message.wParam, 3u);
        } else {
            EXPECT_EQ(result, TRUE);
            DispatchMessageW(&message);
        }
    }
    order.push_back(GetMessageW(&message, nullptr, 0, 0) ? message.message : 0);
    DispatchMessageW(&message);
    order.push_back(GetMessageW(&message, nullptr, 0, 0) ? message.message : 0);
    EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_USER + 1, WM_QUIT, WM_PAINT, WM_TIMER}));
    KillTimer(window, 1);
}

TEST_F(WindowTest, TimersFollowTheTestClockWithOnePendingMessage)
{
    HWND window = make_window(WS_POPUP, RECT{0, 0, 10, 10});
    platform::test::AdvanceClock(0);
    ASSERT_EQ(SetTimer(window, 7, 50, nullptr), 7u);
    const auto timers = [] {
        std::vector<UINT> all = retrieve_all();
        return std::count(all.begin(), all.end(), static_cast<UINT>(WM_TIMER));
    };
    EXPECT_EQ(timers(), 0);
    platform::test::AdvanceClock(49);
    EXPECT_EQ(timers(), 0);
    platform::test::AdvanceClock(1);
    EXPECT_EQ(timers(), 1);
    EXPECT_EQ(recorder().of(WM_TIMER).back().wparam, 7u);
    EXPECT_EQ(timers(), 0);
    platform::test::AdvanceClock(500); // ten periods late: still one message
    EXPECT_EQ(timers(), 1);
    ASSERT_TRUE(KillTimer(window, 7));
    platform::test::AdvanceClock(100);
    EXPECT_EQ(timers(), 0);
    EXPECT_FALSE(KillTimer(window, 7));
}

std::atomic<int> g_timer_calls{0};
void count_timer(HWND, UINT message, UINT_PTR, DWORD)
{
    if (message == WM_TIMER)
        ++g_timer_calls;
}

TEST_F(WindowTest, TimerProceduresAndThreadTimers)
{
    g_timer_calls = 0;
    platform::test::AdvanceClock(0);
    const UINT_PTR thread_timer = SetTimer(nullptr, 0, 20, count_timer);
    ASSERT_NE(thread_timer, 0u);
    platform::test::AdvanceClock(20);
    retrieve_all();
    EXPECT_EQ(g_timer_calls.load(), 1);
    // A made-up WM_TIMER does not call whatever its lParam points to.
    MSG forged{};
    forged.message = WM_TIMER;
    forged.wParam = 999;
    forged.lParam = reinterpret_cast<LPARAM>(count_timer);
    DispatchMessageW(&forged);
    EXPECT_EQ(g_timer_calls.load(), 1);
    EXPECT_TRUE(KillTimer(nullptr, thread_timer));
}

TEST_F(WindowTest, ClosureTimersRestartStopAndMayKillThemselves)
{
    platform::test::AdvanceClock(0);
    int fired = 0;
    const UINT_PTR id = platform::SetClosureTimer(0, 100, [&] { ++fired; });
    ASSERT_NE(id, 0u);
    platform::test::AdvanceClock(90);
    retrieve_all();
    EXPECT_EQ(platform::SetClosureTimer(id, 100, [&] { fired += 10; }), id);
    platform::test::AdvanceClock(90);
    retrieve_all();
    EXPECT_EQ(fired, 0) << "restarted, the period begins again";
    platform::test::AdvanceClock(10);
    retrieve_all();
    EXPECT_EQ(fired, 10);
    EXPECT_TRUE(platform::KillClosureTimer(id));
    platform::test::AdvanceClock(500);
    retrieve_all();
    EXPECT_EQ(fired, 10);
    EXPECT_FALSE(platform::KillClosureTimer(id));
    EXPECT_EQ(platform::SetClosureTimer(id, 100, [] {}), 0u) << "no longer running";
    EXPECT_EQ(platform::SetClosureTimer(0, 100, nullptr), 0u);

    // A closure that stops its own timer runs to its end, holding what it captured.
    UINT_PTR self = 0;
    auto kept = std::make_shared<int>(7);
    int seen = 0;
    self = platform::SetClosureTimer(0, 20, [&self, &seen, kept] {
        EXPECT_TRUE(platform::KillClosureTimer(self));
        seen = *kept;
    });
    ASSERT_NE(self, 0u);
    kept.reset();
    platform::test::AdvanceClock(50);
    retrieve_all();
    EXPECT_EQ(seen, 7);
    EXPECT_FALSE(platform::KillClosureTimer(self));
}

TEST_F(WindowTest, FiltersSelectWindowAndRange)
{
    HWND a = make_window(WS_POPUP, RECT{0, 0, 10, 10});
    HWND b = make_window(WS_POPUP, RECT{0, 0, 10, 10});
    PostMessageW(a, WM_USER, 0, 0);
    PostMessageW(b, WM_USER + 5, 0, 0);
    PostMessageW(nullptr, WM_APP, 0, 0);
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, b, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 5));
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_USER + 1, WM_USER + 10, PM_REMOVE));
    EXPECT_EQ(message.hwnd, b);
    ASSERT_TRUE(
        PeekMessageW(&message, reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)), 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_APP));
    EXPECT_EQ(message.hwnd, nullptr);
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.hwnd, a);
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    DestroyWindow(b);
    EXPECT_EQ(GetMessageW(&message, b, 0, 0), -1);
}

TEST_F(WindowTest, MessagesFromOtherThreads)
{
    HWND window = make_window(WS_POPUP, RECT{0, 0, 10, 10});
    std::thread::id handled_on;
    recorder().handlers[{window, WM_USER}] = [&handled_on](HWND, UINT, WPARAM wparam, LPARAM) {
        handled_on = std::this_thread::get_id();
        return static_cast<LRESULT>(wparam * 2);
    };
    LRESULT sent_result = 0;
    std::thread other([&] {
        sent_result = SendMessageW(window, WM_USER, 21, 0);
        PostMessageW(window, WM_USER + 1, 0, 0);
    });
    // The sent message is handled on this thread while it waits for its queue.
    MSG message{};
    ASSERT_TRUE(GetMessageW(&message, nullptr, 0, 0));
    other.join();
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(sent_result, 42);
    EXPECT_EQ(handled_on, std::this_thread::get_id());

    std::thread poster([&] { PostMessageW(window, WM_USER + 2, 0, 0); });
    ASSERT_TRUE(WaitMessage());
    poster.join();
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 2));
}

TEST_F(WindowTest, WaitsForObjectsWakeForMessagesOfTheQueue)
{
    HWND window = make_window(WS_POPUP, RECT{0, 0, 10, 10});
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT),
              static_cast<DWORD>(WAIT_TIMEOUT));
    std::thread poster([window] { PostMessageW(window, WM_USER, 0, 0); });
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_POSTMESSAGE),
              static_cast<DWORD>(WAIT_OBJECT_0));
    poster.join();
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_KEY),
              static_cast<DWORD>(WAIT_TIMEOUT));
    pump();
}

TEST_F(WindowTest, TranslatedKeysTypeCharactersAheadOfLaterInput)
{
    HWND window = make_window(WS_POPUP, RECT{0, 0, 10, 10});
    const LPARAM key_data = 0x001E0001;
    PostMessageW(window, WM_KEYDOWN, VK_SHIFT, 0);
    PostMessageW(window, WM_KEYDOWN, 'A', key_data);
    PostMessageW(window, WM_KEYUP, 'A', key_data);
    PostMessageW(window, WM_KEYUP, VK_SHIFT, 0);
    PostMessageW(window, WM_KEYDOWN, 'B', key_data);
    EXPECT_GE(GetKeyState(VK_SHIFT), 0); // not yet retrieved
    std::vector<std::pair<UINT, WPARAM>> seen;
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        seen.emplace_back(message.message, message.wParam);
        if (message.message == WM_KEYDOWN && message.wParam == 'A') {
            EXPECT_LT(GetKeyState(VK_SHIFT), 0);
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    const std::vector<std::pair<UINT, WPARAM>> expected{
        {WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, 'A'}, {WM_CHAR, 'A'}, {WM_KEYUP, 'A'},
        {WM_KEYUP, VK_SHIFT},   {WM_KEYDOWN, 'B'}, {WM_CHAR, 'b'},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(recorder().of(WM_CHAR).front().lparam, key_data);
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
    EXPECT_FALSE(TranslateMessage(&message)); // the last one was a WM_CHAR
}

}
