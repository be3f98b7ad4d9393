// Window classes, creation and destruction, window data and geometry.

#include "platform/qt.h"
#include "platform/system_metrics.h"
#include "user_test_support.h"

#include <set>

namespace {

using user_test::Recorded;
using user_test::recorder;
using user_test::WindowTest;

TEST_F(WindowTest, ClassesAreFoundWithoutRegardToCaseAndRegisteredOnce)
{
    WNDCLASSEXW info{};
    ASSERT_TRUE(GetClassInfoExW(nullptr, u"recordingWINDOW", &info));
    EXPECT_EQ(info.lpfnWndProc, &user_test::recording_procedure);

    WNDCLASSEXW again = info;
    again.cbSize = sizeof again;
    again.lpszClassName = u"RECORDINGWINDOW";
    EXPECT_EQ(RegisterClassExW(&again), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

    struct BadRecord {
        const char* what;
        UINT size;
        WNDPROC procedure;
        const char16_t* name;
        int extra;
    };
    const BadRecord bad[] = {
        {"wrong size", sizeof(WNDCLASSEXW) - 1, user_test::recording_procedure, u"Bad1", 0},
        {"no procedure", sizeof(WNDCLASSEXW), nullptr, u"Bad2", 0},
        {"no name", sizeof(WNDCLASSEXW), user_test::recording_procedure, nullptr, 0},
        {"empty name", sizeof(WNDCLASSEXW), user_test::recording_procedure, u"", 0},
        {"too many extra bytes", sizeof(WNDCLASSEXW), user_test::recording_procedure, u"Bad3", 41},
    };
    for (const BadRecord& row : bad) {
        SCOPED_TRACE(row.what);
        WNDCLASSEXW record{};
        record.cbSize = row.size;
        record.lpfnWndProc = row.procedure;
        record.lpszClassName = row.name;
        record.cbWndExtra = row.extra;
        EXPECT_EQ(RegisterClassExW(&record), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }

    HWND window = make_window(WS_POPUP, RECT{0, 0, 10, 10});
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(UnregisterClassW(kClass, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
    EXPECT_EQ(CreateWindowExW(0, u"NoSuchClass", nullptr, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
}

TEST_F(WindowTest, CreationSendsItsMessagesInOrderWithTheCreateParameter)
{
    int parameter = 0;
    recorder().any_window_handlers[WM_NCCREATE] = [](HWND window, UINT message, WPARAM wparam,
                                                     LPARAM lparam) {
        // The framework's trampoline keeps its object this way.
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcW(window, message, wparam, lparam);
    };
    HWND window = CreateWindowExW(0, kClass, u"title", WS_OVERLAPPEDWINDOW, 10, 20, 300, 200,
                                  nullptr, nullptr, nullptr, &parameter);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(recorder().sequence(
                  {WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}),
              (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE,
                                 WM_MOVE}));
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&parameter));
    const Recorded size = recorder().of(WM_SIZE).front();
    EXPECT_EQ(size.lparam, MAKELPARAM(300, 200)); // a top-level frame is the window manager's
    WCHAR title[16] = {};
    EXPECT_EQ(GetWindowTextW(window, title, 16), 5);
    EXPECT_EQ(std::u16string(title), u"title");
    EXPECT_FALSE(IsWindowVisible(window));
    DestroyWindow(window);
}

TEST_F(WindowTest, CreationFailsWhenTheWindowRefusesIt)
{
    struct Row {
        const char* what;
        UINT refused;
        LRESULT answer;
    };
    for (const Row& row :
         {Row{"WM_NCCREATE", WM_NCCREATE, FALSE}, Row{"WM_CREATE", WM_CREATE, -1}}) {
        SCOPED_TRACE(row.what);
        recorder() = user_test::Recorder{};
        const LRESULT answer = row.answer;
        recorder().any_window_handlers[row.refused] = [answer](HWND, UINT, WPARAM, LPARAM) {
            return answer;
        };
        EXPECT_EQ(make_window(WS_POPUP, RECT{0, 0, 10, 10}), nullptr);
        ASSERT_FALSE(recorder().of(WM_NCDESTROY).empty());
        EXPECT_FALSE(IsWindow(recorder().of(WM_NCDESTROY).front().window));
    }
}

TEST_F(WindowTest, DestructionTellsParentThenChildrenAndNeverReusesHandles)
{
    HWND parent = make_window(WS_POPUP, RECT{0, 0, 100, 100});
    HWND first = make_window(WS_CHILD, RECT{0, 0, 10, 10}, parent);
    HWND second = make_window(WS_CHILD, RECT{0, 0, 10, 10}, parent);
    HWND owned = make_window(WS_POPUP, RECT{0, 0, 10, 10}, parent);
    ASSERT_TRUE(first && second && owned);
    EXPECT_EQ(GetParent(first), parent);
    EXPECT_EQ(GetParent(owned), parent);            // the owner
    EXPECT_EQ(GetWindow(parent, GW_CHILD), second); // the newest child lies on top
    recorder().messages.clear();
    ASSERT_TRUE(DestroyWindow(parent));

    std::vector<std::pair<HWND, UINT>> seen;
    for (const Recorded& recorded : recorder().messages) {
        if (recorded.message == WM_DESTROY || recorded.message == WM_NCDESTROY)
            seen.emplace_back(recorded.window, recorded.message);
    }
    const std::vector<std::pair<HWND, UINT>> expected{
        {owned, WM_DESTROY}, {owned, WM_NCDESTROY},  {parent, WM_DESTROY},  {second, WM_DESTROY},
        {first, WM_DESTROY}, {second, WM_NCDESTROY}, {first, WM_NCDESTROY}, {parent, WM_NCDESTROY},
    };
    EXPECT_EQ(seen, expected);
    for (HWND gone : {parent, first, second, owned}) {
        EXPECT_FALSE(IsWindow(gone));
        EXPECT_EQ(SendMessageW(gone, WM_USER, 0, 0), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    }
    std::set<HWND> handles{parent, first, second, owned};
    for (int i = 0; i < 50; ++i) {
        HWND window = make_window(WS_POPUP, RECT{0, 0, 1, 1});
        EXPECT_TRUE(handles.insert(window).second);
        DestroyWindow(window);
    }
}

LRESULT subclass_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_USER)
        return 42;
    const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, 0));
    return CallWindowProcW(previous, window, message, wparam, lparam);
}

TEST_F(WindowTest, WindowDataSubclassingAndExtraBytes)
{
    HWND window = make_window(WS_POPUP, RECT{0, 0, 10, 10});
    const LONG_PTR original =
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclass_procedure));
    EXPECT_EQ(original, reinterpret_cast<LONG_PTR>(&user_test::recording_procedure));
    SetWindowLongPtrW(window, 0, original);
    EXPECT_EQ(SendMessageW(window, WM_USER, 0, 0), 42);
    recorder().messages.clear();
    SendMessageW(window, WM_USER + 1, 5, 6);
    ASSERT_EQ(recorder().messages.size(), 1u); // passed on to the original procedure
    EXPECT_EQ(recorder().messages[0].wparam, 5u);

    EXPECT_EQ(GetWindowLongPtrW(window, sizeof(LONG_PTR)), 0);
    SetWindowLongPtrW(window, sizeof(LONG_PTR), 77);
    EXPECT_EQ(GetWindowLongPtrW(window, sizeof(LONG_PTR)), 77);
    EXPECT_EQ(GetWindowLongPtrW(window, 2 * sizeof(LONG_PTR)), 0); // past the extra bytes
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE), static_cast<LONG>(WS_POPUP));

    recorder().messages.clear();
    SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_BORDER));
    EXPECT_EQ(recorder().sequence({WM_STYLECHANGING, WM_STYLECHANGED}),
              (std::vector<UINT>{WM_STYLECHANGING, WM_STYLECHANGED}));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), WS_POPUP | WS_BORDER);
}

TEST_F(WindowTest, ChildGeometryAndPointMapping)
{
    HWND parent = make_window(WS_POPUP, RECT{100, 50, 400, 250});
    HWND child =
        make_window(WS_CHILD | WS_BORDER, RECT{10, 20, 60, 60}, parent, kClass, WS_EX_CLIENTEDGE);
    RECT client{};
    ASSERT_TRUE(GetClientRect(child, &client));
    const int frame = GetSystemMetrics(SM_CXBORDER) + GetSystemMetrics(SM_CXEDGE);
    EXPECT_EQ(client.right, 50 - 2 * frame);
    EXPECT_EQ(client.bottom, 40 - 2 * frame);
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(child, &rect));
    EXPECT_EQ(rect.left, 110);
    EXPECT_EQ(rect.top, 70);
    POINT point{0, 0};
    ASSERT_TRUE(ClientToScreen(child, &point));
    EXPECT_EQ(point.x, 110 + frame);
    EXPECT_EQ(point.y, 70 + frame);
    ASSERT_TRUE(ScreenToClient(parent, &point));
    EXPECT_EQ(point.x, 10 + frame);
    POINT points[2] = {{0, 0}, {5, 5}};
    MapWindowPoints(child, parent, points, 2);
    EXPECT_EQ(points[1].x, 15 + frame);
    EXPECT_EQ(points[1].y, 25 + frame);
}

TEST_F(WindowTest, SetWindowPosSendsItsMessagesAndHonoursChanges)
{
    HWND window = make_window(WS_POPUP, RECT{0, 0, 100, 100});
    recorder().handlers[{window, WM_WINDOWPOSCHANGING}] = [](HWND, UINT, WPARAM, LPARAM lparam) {
        reinterpret_cast<WINDOWPOS*>(lparam)->cx = 150; // the window insists on its width
        return LRESULT{0};
    };
    recorder().messages.clear();
    ASSERT_TRUE(SetWindowPos(window, nullptr, 5, 6, 120, 80, SWP_NOZORDER));
    EXPECT_EQ(recorder().sequence(
                  {WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}),
              (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE,
                                 WM_SIZE}));
    EXPECT_EQ(recorder().of(WM_SIZE).back().lparam, MAKELPARAM(150, 80));
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 150);

    recorder().messages.clear();
    MoveWindow(window, 7, 8, 150, 80, TRUE);
    EXPECT_TRUE(recorder().of(WM_SIZE).empty()); // moved, not resized
    EXPECT_EQ(recorder().of(WM_MOVE).size(), 1u);
}

TEST_F(WindowTest, MaximizeRestoreAndPlacement)
{
    platform::test::SetDesktopSize(1000, 800);
    HWND window = make_window(WS_OVERLAPPEDWINDOW, RECT{100, 100, 500, 400});
    ShowWindow(window, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(window));
    recorder().messages.clear();
    ShowWindow(window, SW_MAXIMIZE);
    EXPECT_TRUE(IsZoomed(window));
    ASSERT_FALSE(recorder().of(WM_SIZE).empty());
    EXPECT_EQ(recorder().of(WM_SIZE).back().wparam, static_cast<WPARAM>(SIZE_MAXIMIZED));
    EXPECT_EQ(recorder().of(WM_SIZE).back().lparam, MAKELPARAM(1000, 800));
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ASSERT_TRUE(GetWindowPlacement(window, &placement));
    EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
    EXPECT_EQ(placement.rcNormalPosition.left, 100);
    EXPECT_EQ(placement.rcNormalPosition.right, 500);

    ShowWindow(window, SW_RESTORE);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 100);
    EXPECT_EQ(rect.bottom, 400);
    placement.length = 0;
    EXPECT_FALSE(GetWindowPlacement(window, &placement));
    platform::test::SetDesktopSize(0, 0);
}

TEST_F(WindowTest, MessagesOfADestroyedWindowAreDropped)
{
    HWND doomed = make_window(WS_POPUP, RECT{0, 0, 10, 10});
    HWND other = make_window(WS_POPUP, RECT{0, 0, 10, 10});
    ASSERT_TRUE(PostMessageW(doomed, WM_USER, 1, 0));
    ASSERT_TRUE(PostMessageW(other, WM_USER, 2, 0));
    DestroyWindow(doomed);
    recorder().messages.clear();
    pump();
    const std::vector<Recorded> users = recorder().of(WM_USER);
    ASSERT_EQ(users.size(), 1u);
    EXPECT_EQ(users[0].window, other);
    EXPECT_FALSE(PostMessageW(doomed, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    // A message a test makes up for it is not dispatched either.
    MSG stale{};
    stale.hwnd = doomed;
    stale.message = WM_USER;
    EXPECT_EQ(DispatchMessageW(&stale), 0);
    EXPECT_TRUE(recorder().of(WM_USER).size() == 1u);
}

}
