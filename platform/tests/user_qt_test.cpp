// Windows backed by Qt widgets on the offscreen platform: showing the surface, Qt input
// as messages, real scroll bars, hosted widgets and the window manager's resizes.

#include "platform/qt.h"
#include "platform/scroll_bars.h"
#include "platform/system_metrics.h"
#include "user_test_support.h"

#include <QtCore/QEventLoop>
#include <QtCore/QTimer>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QWheelEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QScrollBar>

#include <clocale>
#include <thread>

namespace {

using user_test::Recorded;
using user_test::recorder;
using user_test::WindowTest;

class QtWindowTest : public WindowTest {
protected:
    // A shown top-level window at the screen's origin with a child filling it.
    void SetUp() override
    {
        WindowTest::SetUp();
        m_top = make_window(WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 150});
        ASSERT_NE(m_top, nullptr);
        pump();
        ASSERT_NE(platform::WidgetOf(m_top), nullptr);
        QCoreApplication::processEvents();
    }

    HWND top() const { return m_top; }

    static void send_mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
                           Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, held,
                          modifiers);
        QApplication::sendEvent(widget, &event);
    }

    static std::vector<UINT> mouse_buttons()
    {
        std::vector<UINT> found;
        for (const Recorded& recorded : recorder().messages) {
            if (recorded.message > WM_MOUSEMOVE && recorded.message <= WM_MBUTTONDBLCLK)
                found.push_back(recorded.message);
        }
        return found;
    }

private:
    HWND m_top = nullptr;
};

TEST_F(QtWindowTest, AWindowPaintedRedShowsRedInAGrabOfItsWidget)
{
    recorder().handlers[{top(), WM_PAINT}] = [](HWND window, UINT, WPARAM, LPARAM) {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &paint.rcPaint, red);
        DeleteObject(red);
        EndPaint(window, &paint);
        return LRESULT{0};
    };
    InvalidateRect(top(), nullptr, FALSE);
    pump();
    QWidget* widget = platform::WidgetOf(top());
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(widget->isVisible());
    EXPECT_EQ(platform::WindowOf(widget), top());
    const QImage grab = widget->grab().toImage();
    ASSERT_EQ(grab.size(), QSize(200, 150));
    EXPECT_EQ(grab.pixel(100, 75), qRgb(255, 0, 0));
    EXPECT_EQ(grab.pixel(0, 0), qRgb(255, 0, 0));
}

TEST_F(QtWindowTest, ADoubleClickIsADoubleClickOnlyForClassesThatAskForIt)
{
    struct Row {
        const char16_t* window_class;
        std::vector<UINT> expected;
    };
    const Row rows[] = {
        {kDoubleClickClass, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}},
        {kClass, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.window_class == kClass ? "plain class" : "CS_DBLCLKS");
        HWND child =
            make_window(WS_CHILD | WS_VISIBLE, RECT{20, 10, 120, 110}, top(), row.window_class);
        QWidget* widget = platform::WidgetOf(child);
        ASSERT_NE(widget, nullptr);
        pump();
        recorder().messages.clear();
        const QPoint at(5, 7);
        send_mouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        send_mouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        send_mouse(widget, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton,
                   Qt::ShiftModifier);
        send_mouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        pump();
        EXPECT_EQ(mouse_buttons(), row.expected);
        const Recorded third = recorder().of(row.expected[2]).back();
        EXPECT_EQ(third.window, child);
        EXPECT_EQ(third.wparam, static_cast<WPARAM>(MK_LBUTTON | MK_SHIFT));
        EXPECT_EQ(GET_X_LPARAM(third.lparam), 5);
        EXPECT_EQ(GET_Y_LPARAM(third.lparam), 7);
        // The window under the pointer was asked for its cursor first.
        EXPECT_FALSE(recorder().of(WM_SETCURSOR).empty());
        DestroyWindow(child);
    }
}

TEST_F(QtWindowTest, MouseMessagesGoToTheCaptureInItsCoordinates)
{
    HWND a = make_window(WS_CHILD | WS_VISIBLE, RECT{0, 0, 50, 50}, top());
    HWND b = make_window(WS_CHILD | WS_VISIBLE, RECT{100, 0, 150, 50}, top());
    QWidget* widget_b = platform::WidgetOf(b);
    ASSERT_NE(widget_b, nullptr);
    SetCapture(a);
    recorder().messages.clear();
    send_mouse(widget_b, QEvent::MouseMove, QPoint(3, 4), Qt::NoButton, Qt::NoButton);
    pump();
    const std::vector<Recorded> moves = recorder().of(WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].window, a);
    EXPECT_EQ(GET_X_LPARAM(moves[0].lparam), 103);
    ReleaseCapture();
}

TEST_F(QtWindowTest, KeysAndTheWheelBecomeMessages)
{
    HWND child = make_window(WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 100}, top());
    QWidget* widget = platform::WidgetOf(child);
    ASSERT_NE(widget, nullptr);
    SetFocus(child);
    pump();
    recorder().messages.clear();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
    QKeyEvent alt(QEvent::KeyPress, Qt::Key_X, Qt::AltModifier, QStringLiteral("x"));
    QApplication::sendEvent(widget, &alt);
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    QApplication::sendEvent(widget, &tab);
    const QPoint at(10, 20);
    QWheelEvent wheel(QPointF(at), QPointF(widget->mapToGlobal(at)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
    pump();
    std::vector<std::pair<UINT, WPARAM>> keys;
    for (const Recorded& recorded : recorder().messages) {
        if (recorded.message >= WM_KEYFIRST && recorded.message <= WM_KEYLAST)
            keys.emplace_back(recorded.message, recorded.wparam);
    }
    const std::vector<std::pair<UINT, WPARAM>> expected{
        {WM_KEYDOWN, 'A'}, {WM_CHAR, 'a'},       {WM_KEYUP, 'A'}, {WM_SYSKEYDOWN, 'X'},
        {WM_SYSCHAR, 'x'}, {WM_KEYDOWN, VK_TAB}, {WM_CHAR, 9},
    };
    EXPECT_EQ(keys, expected);
    EXPECT_NE(recorder().of(WM_SYSKEYDOWN).front().lparam & (LPARAM{1} << 29), 0);
    EXPECT_NE(recorder().of(WM_KEYUP).front().lparam & (LPARAM{1} << 31), 0);
    // The wheel goes to the window and on to its parent (default handling).
    const std::vector<Recorded> wheels = recorder().of(WM_MOUSEWHEEL);
    ASSERT_EQ(wheels.size(), 2u);
    EXPECT_EQ(wheels[0].window, child);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheels[0].wparam), -WHEEL_DELTA);
    EXPECT_EQ(GET_KEYSTATE_WPARAM(wheels[0].wparam), MK_CONTROL);
    POINT screen{10, 20};
    ClientToScreen(child, &screen);
    EXPECT_EQ(GET_X_LPARAM(wheels[0].lparam), screen.x);
    EXPECT_EQ(GET_Y_LPARAM(wheels[0].lparam), screen.y);
}

TEST_F(QtWindowTest, EveryTypedCharacterArrivesWhateverKeyQtNamesForIt)
{
    HWND child = make_window(WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 100}, top());
    SetFocus(child);
    pump();
    struct Row {
        int qt_key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        WPARAM virtual_key;
        std::vector<WPARAM> characters;
    };
    const Row rows[] = {
        {Qt::Key_Exclam, Qt::ShiftModifier, QStringLiteral("!"), '1', {'!'}},
        {Qt::Key_Underscore, Qt::ShiftModifier, QStringLiteral("_"), VK_OEM_MINUS, {'_'}},
        {Qt::Key_Plus, Qt::ShiftModifier, QStringLiteral("+"), VK_OEM_PLUS, {'+'}},
        {Qt::Key_Plus, Qt::KeypadModifier, QStringLiteral("+"), VK_ADD, {'+'}},
        {Qt::Key_Asterisk, Qt::ShiftModifier, QStringLiteral("*"), '8', {'*'}},
        {Qt::Key_Slash, Qt::NoModifier, QStringLiteral("/"), VK_OEM_2, {'/'}},
        {Qt::Key_Eacute, Qt::NoModifier, QString(QChar(0xE9)), VK_PACKET, {0xE9}},
        // A character outside the basic plane: one WM_CHAR per UTF-16 unit.
        {Qt::Key_unknown,
         Qt::NoModifier,
         QString::fromUtf16(u"\U0001F600"),
         VK_PACKET,
         {0xD83D, 0xDE00}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        recorder().messages.clear();
        ASSERT_TRUE(platform::test::SendKeyInput(child, true, row.qt_key, row.modifiers, row.text));
        ASSERT_TRUE(platform::test::SendKeyInput(child, false, row.qt_key, row.modifiers, {}));
        pump();
        const std::vector<Recorded> downs = recorder().of(WM_KEYDOWN);
        const std::vector<Recorded> ups = recorder().of(WM_KEYUP);
        ASSERT_EQ(downs.size(), 1u);
        ASSERT_EQ(ups.size(), 1u);
        EXPECT_EQ(downs[0].wparam, row.virtual_key);
        EXPECT_EQ(ups[0].wparam, row.virtual_key);
        std::vector<WPARAM> characters;
        for (const Recorded& recorded : recorder().of(WM_CHAR))
            characters.push_back(recorded.wparam);
        EXPECT_EQ(characters, row.characters);
    }
}

TEST_F(QtWindowTest, GetMessageLetsQtRunWhileItWaits)
{
    HWND child = make_window(WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 100}, top());
    ASSERT_NE(platform::WidgetOf(child), nullptr);
    pump();
    recorder().messages.clear();
    // Input that Qt delivers only once the loop waits for events.
    QTimer::singleShot(1, qApp, [child] {
        platform::test::SendMouseInput(child, platform::test::MouseInput::Press, POINT{4, 5},
                                       Qt::LeftButton, Qt::LeftButton);
    });
    MSG message{};
    ASSERT_EQ(GetMessageW(&message, nullptr, 0, 0), TRUE);
    EXPECT_EQ(message.hwnd, child);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(message.lParam, MAKELPARAM(4, 5));
    // Another thread's message wakes the wait inside Qt.
    std::thread poster([child] { PostMessageW(child, WM_USER, 7, 0); });
    ASSERT_EQ(GetMessageW(&message, child, WM_USER, WM_USER), TRUE);
    poster.join();
    EXPECT_EQ(message.wParam, 7u);
}

TEST_F(QtWindowTest, InputIsDispatchedInsideALoopThatQtRuns)
{
    HWND child = make_window(WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 100}, top());
    ASSERT_NE(platform::WidgetOf(child), nullptr);
    pump();
    QEventLoop menu_loop; // as a popup menu runs one
    recorder().handlers[{child, WM_LBUTTONDOWN}] = [&menu_loop](HWND, UINT, WPARAM, LPARAM) {
        menu_loop.quit();
        return LRESULT{0};
    };
    QTimer::singleShot(0, qApp, [child] {
        platform::test::SendMouseInput(child, platform::test::MouseInput::Press, POINT{1, 2},
                                       Qt::LeftButton, Qt::LeftButton);
    });
    QTimer::singleShot(60000, &menu_loop, &QEventLoop::quit); // only when the fault is back
    menu_loop.exec();
    EXPECT_EQ(recorder().of(WM_LBUTTONDOWN).size(), 1u);
}

TEST_F(QtWindowTest, WindowSystemEventsBecomeTheWindowsMessages)
{
    HWND child = make_window(WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 100}, top());
    QWidget* child_widget = platform::WidgetOf(child);
    ASSERT_NE(child_widget, nullptr);
    SetFocus(child);
    pump();
    recorder().messages.clear();

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(child_widget, &leave);
    QContextMenuEvent menu_key(QContextMenuEvent::Keyboard, QPoint(0, 0), QPoint(0, 0));
    QApplication::sendEvent(child_widget, &menu_key);
    pump();
    ASSERT_EQ(recorder().of(WM_MOUSELEAVE).size(), 1u);
    EXPECT_EQ(recorder().of(WM_MOUSELEAVE)[0].window, child);
    const std::vector<Recorded> menus = recorder().of(WM_CONTEXTMENU);
    ASSERT_FALSE(menus.empty());
    EXPECT_EQ(menus[0].window, child);
    EXPECT_EQ(menus[0].lparam, MAKELPARAM(-1, -1));

    // The window manager maximizes, restores and closes the top-level window: the window
    // hears of each as a system command and decides.
    QWidget* top_widget = platform::WidgetOf(top());
    std::vector<WPARAM> commands;
    recorder().handlers[{top(), WM_SYSCOMMAND}] = [&commands](HWND w, UINT m, WPARAM c, LPARAM l) {
        commands.push_back(c & 0xFFF0);
        return DefWindowProcW(w, m, c, l);
    };
    top_widget->setWindowState(Qt::WindowMaximized);
    pump();
    EXPECT_TRUE(IsZoomed(top()));
    top_widget->setWindowState(Qt::WindowNoState);
    pump();
    EXPECT_FALSE(IsZoomed(top()));
    top_widget->close();
    pump();
    EXPECT_EQ(commands, (std::vector<WPARAM>{SC_MAXIMIZE, SC_RESTORE, SC_CLOSE}));
    EXPECT_EQ(recorder().of(WM_CLOSE).size(), 1u);
    EXPECT_FALSE(IsWindow(top()));
}

TEST_F(QtWindowTest, AClickOnTheRightArrowScrollsOneLineThenEnds)
{
    HWND child = make_window(WS_CHILD | WS_VISIBLE, RECT{0, 0, 180, 120}, top());
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = 999;
    info.nPage = 100;
    info.nPos = 10;
    SetScrollInfo(child, SB_HORZ, &info, TRUE);
    ASSERT_NE(GetWindowLongW(child, GWL_STYLE) & static_cast<LONG>(WS_HSCROLL), 0);
    QWidget* widget = platform::WidgetOf(child);
    ASSERT_NE(widget, nullptr);
    QScrollBar* bar = widget->findChild<QScrollBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->height(), GetSystemMetrics(SM_CYHSCROLL));
    EXPECT_EQ(bar->value(), 10);
    pump();
    recorder().messages.clear();
    const QPoint arrow(bar->width() - 3, bar->height() / 2);
    send_mouse(bar, QEvent::MouseButtonPress, arrow, Qt::LeftButton, Qt::LeftButton);
    send_mouse(bar, QEvent::MouseButtonRelease, arrow, Qt::LeftButton, Qt::NoButton);
    pump();
    std::vector<WORD> codes;
    for (const Recorded& recorded : recorder().of(WM_HSCROLL))
        codes.push_back(LOWORD(recorded.wparam));
    EXPECT_EQ(codes, (std::vector<WORD>{SB_LINERIGHT, SB_ENDSCROLL}));
    EXPECT_EQ(GetScrollPos(child, SB_HORZ), 10); // the window moves it, not the bar
    EXPECT_EQ(bar->value(), 10);
}

TEST_F(QtWindowTest, HostedWidgetsFillTheClientAreaAndCarryTheFocus)
{
    HWND host = make_window(WS_CHILD | WS_VISIBLE | WS_BORDER, RECT{10, 10, 110, 40}, top());
    auto* edit = new QLineEdit;
    ASSERT_TRUE(platform::HostWidget(host, edit));
    EXPECT_EQ(platform::WindowOf(edit), host);
    RECT client{};
    GetClientRect(host, &client);
    EXPECT_EQ(edit->width(), client.right);
    SetWindowPos(host, nullptr, 0, 0, 150, 50, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(host, &client);
    EXPECT_EQ(edit->width(), client.right);
    EXPECT_EQ(edit->height(), client.bottom);
    recorder().messages.clear();
    SetFocus(host);
    EXPECT_EQ(recorder().of(WM_SETFOCUS).size(), 1u);
    // Qt moving the focus into the hosted widget (a click in it) moves the window's.
    HWND other = make_window(WS_CHILD | WS_VISIBLE, RECT{10, 60, 110, 90}, top());
    SetFocus(other);
    pump();
    recorder().messages.clear();
    platform::WidgetOf(top())->activateWindow();
    edit->setFocus(Qt::MouseFocusReason);
    pump();
    EXPECT_EQ(GetFocus(), host);
    ASSERT_EQ(recorder().of(WM_KILLFOCUS).size(), 1u);
    EXPECT_EQ(recorder().of(WM_KILLFOCUS)[0].window, other);
    DestroyWindow(host); // takes the hosted widget with it
}

TEST_F(QtWindowTest, TheWindowManagersResizeArrivesAsSizeMessagesAndAnEndOfSizing)
{
    QWidget* widget = platform::WidgetOf(top());
    platform::test::AdvanceClock(0);
    recorder().messages.clear();
    widget->resize(260, 170);
    pump();
    ASSERT_FALSE(recorder().of(WM_SIZE).empty());
    EXPECT_EQ(recorder().of(WM_SIZE).back().lparam, MAKELPARAM(260, 170));
    RECT rect{};
    GetWindowRect(top(), &rect);
    EXPECT_EQ(rect.right - rect.left, 260);
    EXPECT_TRUE(recorder().of(WM_EXITSIZEMOVE).empty());
    platform::test::AdvanceClock(200);
    pump();
    EXPECT_EQ(recorder().of(WM_EXITSIZEMOVE).size(), 1u);
}

}

int main(int argc, char** argv)
{
    // The program's application, as the viewer makes it; numbers stay in the C locale.
    QApplication application(argc, argv);
    std::setlocale(LC_ALL, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
