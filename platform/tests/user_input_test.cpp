// Focus, capture, the context menu, cursors, scroll bars, metrics and the drag and
// accessibility stubs.

#include "platform/drag_and_accessibility.h"
#include "platform/qt.h"
#include "platform/scroll_bars.h"
#include "platform/system_metrics.h"
#include "user_test_support.h"

namespace {

using user_test::Recorded;
using user_test::recorder;
using user_test::WindowTest;

TEST_F(WindowTest, FocusMovesWithKillFocusBeforeSetFocus)
{
    HWND top = make_window(WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    HWND a = make_window(WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, top);
    HWND b = make_window(WS_CHILD | WS_VISIBLE, RECT{20, 0, 30, 10}, top);
    SetFocus(a);
    ASSERT_EQ(GetFocus(), a);
    recorder().messages.clear();
    EXPECT_EQ(SetFocus(b), a);
    std::vector<Recorded> focus;
    for (const Recorded& recorded : recorder().messages) {
        if (recorded.message == WM_KILLFOCUS || recorded.message == WM_SETFOCUS)
            focus.push_back(recorded);
    }
    ASSERT_EQ(focus.size(), 2u);
    EXPECT_EQ(focus[0].window, a);
    EXPECT_EQ(focus[0].message, static_cast<UINT>(WM_KILLFOCUS));
    EXPECT_EQ(focus[0].wparam, reinterpret_cast<WPARAM>(b));
    EXPECT_EQ(focus[1].window, b);
    EXPECT_EQ(focus[1].message, static_cast<UINT>(WM_SETFOCUS));
    EXPECT_EQ(focus[1].wparam, reinterpret_cast<WPARAM>(a));
    recorder().messages.clear();
    SetFocus(b);
    EXPECT_TRUE(recorder().messages.empty()); // already there
    EXPECT_EQ(GetActiveWindow(), top);
    DestroyWindow(b);
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WindowTest, CaptureAnnouncesItsChange)
{
    HWND a = make_window(WS_POPUP, RECT{0, 0, 10, 10});
    HWND b = make_window(WS_POPUP, RECT{0, 0, 10, 10});
    EXPECT_EQ(SetCapture(a), nullptr);
    EXPECT_EQ(SetCapture(b), a);
    ASSERT_EQ(recorder().of(WM_CAPTURECHANGED).size(), 1u);
    EXPECT_EQ(recorder().of(WM_CAPTURECHANGED)[0].window, a);
    EXPECT_EQ(GetCapture(), b);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
    SetCapture(a);
    DestroyWindow(a);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(WindowTest, AnUnhandledContextMenuReachesTheParent)
{
    HWND parent = make_window(WS_POPUP, RECT{100, 100, 300, 300});
    HWND child = make_window(WS_CHILD, RECT{10, 10, 110, 110}, parent);
    SendMessageW(child, WM_RBUTTONUP, 0, MAKELPARAM(5, 6));
    const std::vector<Recorded> menus = recorder().of(WM_CONTEXTMENU);
    ASSERT_EQ(menus.size(), 2u);
    EXPECT_EQ(menus[0].window, child);
    EXPECT_EQ(menus[1].window, parent);
    EXPECT_EQ(menus[1].wparam, reinterpret_cast<WPARAM>(child));
    EXPECT_EQ(GET_X_LPARAM(menus[1].lparam), 115);
    EXPECT_EQ(GET_Y_LPARAM(menus[1].lparam), 116);
}

TEST_F(WindowTest, CursorsAndSetCursor)
{
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    ASSERT_NE(hand, nullptr);
    EXPECT_EQ(LoadCursorW(nullptr, IDC_HAND), hand);
    EXPECT_NE(LoadCursorW(nullptr, u"hsplit"), nullptr);
    EXPECT_EQ(LoadCursorW(nullptr, u"NoSuchCursor"), nullptr);

    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = user_test::recording_procedure;
    window_class.hCursor = hand;
    window_class.lpszClassName = u"HandWindow";
    RegisterClassExW(&window_class);
    HWND parent = make_window(WS_POPUP, RECT{0, 0, 50, 50});
    HWND child = make_window(WS_CHILD, RECT{0, 0, 20, 20}, parent, u"HandWindow");
    SetCursor(nullptr);
    SendMessageW(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), hand);
    // A parent that answers TRUE keeps the child from setting its own.
    SetCursor(nullptr);
    recorder().handlers[{parent, WM_SETCURSOR}] = [](HWND, UINT, WPARAM, LPARAM) {
        return LRESULT{TRUE};
    };
    SendMessageW(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), nullptr);
    EXPECT_TRUE(SetCursorPos(40, 30));
    POINT point{};
    GetCursorPos(&point);
    EXPECT_EQ(point.x, 40);
    EXPECT_EQ(point.y, 30);
}

TEST_F(WindowTest, ShowingAScrollBarShrinksTheClientAndSendsSize)
{
    HWND window = make_window(WS_CHILD | WS_VISIBLE, RECT{0, 0, 200, 100},
                              make_window(WS_POPUP, RECT{0, 0, 300, 300}));
    recorder().messages.clear();
    ASSERT_TRUE(ShowScrollBar(window, SB_HORZ, TRUE));
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.bottom, 100 - GetSystemMetrics(SM_CYHSCROLL));
    EXPECT_EQ(client.right, 200);
    ASSERT_EQ(recorder().of(WM_SIZE).size(), 1u);
    EXPECT_EQ(recorder().of(WM_SIZE)[0].lparam,
              MAKELPARAM(200, 100 - GetSystemMetrics(SM_CYHSCROLL)));
    EXPECT_NE(GetWindowLongW(window, GWL_STYLE) & static_cast<LONG>(WS_HSCROLL), 0);
    // The window lies at the screen's origin: the bar's row is 100 - SM_CYHSCROLL / 2.
    const int bar_row = 100 - GetSystemMetrics(SM_CYHSCROLL) / 2;
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(100, bar_row)), HTHSCROLL);
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(100, 10)), HTCLIENT);
    recorder().messages.clear();
    ShowScrollBar(window, SB_HORZ, TRUE);
    EXPECT_TRUE(recorder().of(WM_SIZE).empty()); // no change, no message
}

TEST_F(WindowTest, ScrollInfoIsKeptInsideItsRangeAndShowsTheBarWhenOfUse)
{
    HWND window = make_window(WS_POPUP, RECT{0, 0, 200, 100});
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = 999;
    info.nPage = 200;
    info.nPos = 950;
    EXPECT_EQ(SetScrollInfo(window, SB_HORZ, &info, TRUE), 800); // the last page starts at 800
    EXPECT_NE(GetWindowLongW(window, GWL_STYLE) & static_cast<LONG>(WS_HSCROLL), 0);
    SCROLLINFO read{};
    read.cbSize = sizeof read;
    read.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(window, SB_HORZ, &read));
    EXPECT_EQ(read.nMax, 999);
    EXPECT_EQ(read.nPage, 200u);
    EXPECT_EQ(read.nPos, 800);
    EXPECT_EQ(read.nTrackPos, 800);
    info.nMax = 0;
    info.nPage = 0;
    info.nPos = 0;
    SetScrollInfo(window, SB_HORZ, &info, TRUE);
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & static_cast<LONG>(WS_HSCROLL), 0);
    EXPECT_EQ(SetScrollInfo(window, SB_BOTH, &info, TRUE), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(SystemMetrics, FixedTableAt96DotsPerInch)
{
    platform::test::SetDesktopSize(1280, 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), 1024);
    platform::test::SetDesktopSize(0, 0);
    EXPECT_GT(GetSystemMetrics(SM_CYHSCROLL), 0);
    EXPECT_EQ(GetSystemMetrics(SM_CXDRAG), 4);
    EXPECT_EQ(GetSystemMetrics(-1), 0);
    EXPECT_NE(GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(GetSysColor(1000), 0u);
    UINT lines = 0;
    EXPECT_TRUE(SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0));
    EXPECT_EQ(lines, 3u);
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, nullptr, 0));
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

TEST_F(WindowTest, DragAndDropRegistrationsAreKept)
{
    HWND window = make_window(WS_POPUP, RECT{0, 0, 10, 10});
    auto* target = reinterpret_cast<IDropTarget*>(&recorder());
    EXPECT_EQ(RegisterDragDrop(window, target), S_OK);
    EXPECT_EQ(RegisterDragDrop(window, target), DRAGDROP_E_ALREADYREGISTERED);
    EXPECT_EQ(RevokeDragDrop(window), S_OK);
    EXPECT_EQ(RevokeDragDrop(window), DRAGDROP_E_NOTREGISTERED);
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(DoDragDrop(nullptr, nullptr, DROPEFFECT_COPY, &effect), DRAGDROP_S_CANCEL);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    EXPECT_EQ(LresultFromObject(nullptr, 0, nullptr), 0);
}

}
