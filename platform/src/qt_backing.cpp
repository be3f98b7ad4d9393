// The Qt widgets behind windows. A widget shows its window's retained surface, turns Qt
// input into posted messages and leaves everything else (geometry the window manager
// changed, activation, closing) as tasks for the window's queue, so that no window
// procedure ever runs inside a Qt event handler.

#include "qt_backing.h"

#include "qt_pump.h"
#include "user_state.h"
#include "platform/qt.h"
#include "platform/system_metrics.h"

#include <QtCore/QPointer>
#include <QtCore/QThread>
#include <QtGui/QCursor>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtGui/QWheelEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QWidget>

#include <map>
#include <vector>

namespace platform::user {
namespace {

// Facts about a window that the widget side needs, read under the lock.
struct WindowView {
    HWND handle = nullptr;
    HWND parent = nullptr; // of a child window
    DWORD style = 0;
    DWORD ex_style = 0;
    UINT class_style = 0;
    RECT rect{};
    RECT client{};
    RECT parent_client{};
    ShowState show_state = ShowState::Normal;
    bool visible = false; // WS_VISIBLE of the window itself
    std::u16string text;
    ScrollBarState bars[2];
};

std::optional<WindowView> view_of(HWND handle)
{
    const UserLock lock(user_mutex());
    const Window* window = window_of(handle);
    if (window == nullptr)
        return std::nullopt;
    WindowView view;
    view.handle = handle;
    if (window->is_child() && window->parent != nullptr) {
        view.parent = window->parent->handle;
        view.parent_client = window->parent->client;
    }
    view.style = window->style;
    view.ex_style = window->ex_style;
    view.class_style = window->window_class->style;
    view.rect = window->rect;
    view.client = window->client;
    view.show_state = window->show_state;
    view.visible = (window->style & WS_VISIBLE) != 0;
    view.text = window->text;
    view.bars[0] = window->bars[0];
    view.bars[1] = window->bars[1];
    return view;
}

QRect qrect(const RECT& rect)
{
    return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

// Where the widget lies in its parent widget (which covers the parent's whole window).
QRect widget_geometry(const WindowView& view)
{
    QRect geometry = qrect(view.rect);
    if (view.parent != nullptr)
        geometry.translate(view.parent_client.left, view.parent_client.top);
    return geometry;
}

WPARAM key_flags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    WPARAM flags = 0;
    if ((buttons & Qt::LeftButton) != 0)
        flags |= MK_LBUTTON;
    if ((buttons & Qt::RightButton) != 0)
        flags |= MK_RBUTTON;
    if ((buttons & Qt::MiddleButton) != 0)
        flags |= MK_MBUTTON;
    if ((modifiers & Qt::ShiftModifier) != 0)
        flags |= MK_SHIFT;
    if ((modifiers & Qt::ControlModifier) != 0)
        flags |= MK_CONTROL;
    return flags;
}

// The virtual key of a Qt key; 0 for none. Qt names the character a key typed (Shift+1
// is Key_Exclam), so characters are taken back to the key that types them on a US
// layout; a character no key there types still arrives, as VK_PACKET with its text.
int virtual_key(const QKeyEvent& event)
{
    const int key = event.key();
    const bool keypad = (event.modifiers() & Qt::KeypadModifier) != 0;
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
        if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9)
            return VK_NUMPAD0 + (key - Qt::Key_0);
        return key;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + (key - Qt::Key_F1);
    struct Pair {
        int qt;
        int vk;
    };
    // The keypad's operators and point have keys of their own.
    static constexpr Pair kKeypad[] = {
        {Qt::Key_Asterisk, VK_MULTIPLY}, {Qt::Key_Plus, VK_ADD},       {Qt::Key_Minus, VK_SUBTRACT},
        {Qt::Key_Slash, VK_DIVIDE},      {Qt::Key_Period, VK_DECIMAL}, {Qt::Key_Comma, VK_DECIMAL},
    };
    if (keypad) {
        for (const Pair& pair : kKeypad) {
            if (pair.qt == key)
                return pair.vk;
        }
    }
    static constexpr Pair kKeys[] = {
        {Qt::Key_Backspace, VK_BACK},    {Qt::Key_Tab, VK_TAB},       {Qt::Key_Backtab, VK_TAB},
        {Qt::Key_Return, VK_RETURN},     {Qt::Key_Enter, VK_RETURN},  {Qt::Key_Shift, VK_SHIFT},
        {Qt::Key_Control, VK_CONTROL},   {Qt::Key_Alt, VK_MENU},      {Qt::Key_Pause, VK_PAUSE},
        {Qt::Key_CapsLock, VK_CAPITAL},  {Qt::Key_Escape, VK_ESCAPE}, {Qt::Key_Space, VK_SPACE},
        {Qt::Key_PageUp, VK_PRIOR},      {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_End, VK_END},
        {Qt::Key_Home, VK_HOME},         {Qt::Key_Left, VK_LEFT},     {Qt::Key_Up, VK_UP},
        {Qt::Key_Right, VK_RIGHT},       {Qt::Key_Down, VK_DOWN},     {Qt::Key_Print, VK_SNAPSHOT},
        {Qt::Key_Insert, VK_INSERT},     {Qt::Key_Delete, VK_DELETE}, {Qt::Key_Help, VK_HELP},
        {Qt::Key_Meta, VK_LWIN},         {Qt::Key_Menu, VK_APPS},     {Qt::Key_NumLock, VK_NUMLOCK},
        {Qt::Key_ScrollLock, VK_SCROLL},
    };
    for (const Pair& pair : kKeys) {
        if (pair.qt == key)
            return pair.vk;
    }
    // The characters of the main keyboard, unshifted and shifted.
    static constexpr Pair kCharacterKeys[] = {
        {Qt::Key_Exclam, '1'},
        {Qt::Key_At, '2'},
        {Qt::Key_NumberSign, '3'},
        {Qt::Key_Dollar, '4'},
        {Qt::Key_Percent, '5'},
        {Qt::Key_AsciiCircum, '6'},
        {Qt::Key_Ampersand, '7'},
        {Qt::Key_Asterisk, '8'},
        {Qt::Key_ParenLeft, '9'},
        {Qt::Key_ParenRight, '0'},
        {Qt::Key_Semicolon, VK_OEM_1},
        {Qt::Key_Colon, VK_OEM_1},
        {Qt::Key_Equal, VK_OEM_PLUS},
        {Qt::Key_Plus, VK_OEM_PLUS},
        {Qt::Key_Comma, VK_OEM_COMMA},
        {Qt::Key_Less, VK_OEM_COMMA},
        {Qt::Key_Minus, VK_OEM_MINUS},
        {Qt::Key_Underscore, VK_OEM_MINUS},
        {Qt::Key_Period, VK_OEM_PERIOD},
        {Qt::Key_Greater, VK_OEM_PERIOD},
        {Qt::Key_Slash, VK_OEM_2},
        {Qt::Key_Question, VK_OEM_2},
        {Qt::Key_QuoteLeft, VK_OEM_3},
        {Qt::Key_AsciiTilde, VK_OEM_3},
        {Qt::Key_BracketLeft, VK_OEM_4},
        {Qt::Key_BraceLeft, VK_OEM_4},
        {Qt::Key_Backslash, VK_OEM_5},
        {Qt::Key_Bar, VK_OEM_5},
        {Qt::Key_BracketRight, VK_OEM_6},
        {Qt::Key_BraceRight, VK_OEM_6},
        {Qt::Key_Apostrophe, VK_OEM_7},
        {Qt::Key_QuoteDbl, VK_OEM_7},
    };
    for (const Pair& pair : kCharacterKeys) {
        if (pair.qt == key)
            return pair.vk;
    }
    // Qt's keys below this value are characters (letters with accents, other scripts).
    constexpr int kFirstSpecialKey = 0x01000000;
    if (key > 0 && key < kFirstSpecialKey)
        return VK_PACKET;
    return 0;
}

Qt::CursorShape qt_shape(HCURSOR cursor)
{
    const std::optional<CursorShape> shape = shape_of(cursor);
    if (!shape.has_value())
        return cursor == nullptr ? Qt::BlankCursor : Qt::ArrowCursor;
    switch (*shape) {
    case CursorShape::Arrow:
        return Qt::ArrowCursor;
    case CursorShape::IBeam:
        return Qt::IBeamCursor;
    case CursorShape::Wait:
        return Qt::WaitCursor;
    case CursorShape::Cross:
        return Qt::CrossCursor;
    case CursorShape::UpArrow:
        return Qt::UpArrowCursor;
    case CursorShape::SizeNWSE:
        return Qt::SizeFDiagCursor;
    case CursorShape::SizeNESW:
        return Qt::SizeBDiagCursor;
    case CursorShape::SizeWE:
        return Qt::SizeHorCursor;
    case CursorShape::SizeNS:
        return Qt::SizeVerCursor;
    case CursorShape::SizeAll:
        return Qt::SizeAllCursor;
    case CursorShape::No:
        return Qt::ForbiddenCursor;
    case CursorShape::Hand:
        return Qt::PointingHandCursor;
    case CursorShape::AppStarting:
        return Qt::BusyCursor;
    case CursorShape::Help:
        return Qt::WhatsThisCursor;
    case CursorShape::HSplit:
        return Qt::SplitHCursor;
    case CursorShape::VSplit:
        return Qt::SplitVCursor;
    }
    return Qt::ArrowCursor;
}

// Inside a Qt loop of someone else's (a menu's, a dialog's) nobody retrieves messages:
// the queue is emptied here instead, once per batch of input.
void pump_inside_foreign_loop()
{
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void post_from_qt(HWND window, UINT message, WPARAM wparam, LPARAM lparam, POINT screen,
                  std::u16string typed = std::u16string())
{
    post_input(window, message, wparam, lparam, screen, std::move(typed));
    if (QThread::currentThread()->loopLevel() > 0)
        QMetaObject::invokeMethod(qApp, &pump_inside_foreign_loop, Qt::QueuedConnection);
}

class WindowWidget;

// The widgets by window; used on the Qt thread only.
std::map<HWND, QPointer<WindowWidget>>& widgets()
{
    static auto* map = new std::map<HWND, QPointer<WindowWidget>>;
    return *map;
}

WindowWidget* widget_of(HWND window)
{
    const auto found = widgets().find(window);
    return found != widgets().end() ? found->second.data() : nullptr;
}

bool has_widget_application()
{
    return is_qt_thread() && qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

// Ends a user's move or resize once Qt reports no more of it for this long.
constexpr uint32_t kSizeMoveSettles = 200;

class WindowWidget final : public QWidget {
public:
    WindowWidget(HWND window, QWidget* parent, Qt::WindowFlags flags)
        : QWidget(parent, flags), m_window(window)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setMouseTracking(true);
        // The platform moves the focus; a click never does by itself.
        setFocusPolicy(Qt::TabFocus);
    }

    HWND window() const { return m_window; }
    bool is_syncing() const { return m_syncing; }

    void sync(const WindowView& view);
    void sync_scroll_bars(const WindowView& view);
    void host(QWidget* hosted)
    {
        hosted->setParent(this);
        m_hosted.push_back(hosted);
        setFocusProxy(hosted);
        hosted->setGeometry(m_client);
        hosted->show();
    }

protected:
    bool event(QEvent* event) override
    {
        // Tab and Backtab are keys for the window, not Qt's focus chain.
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
                keyPressEvent(key);
                return true;
            }
        }
        return QWidget::event(event);
    }

    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        const UserLock lock(user_mutex());
        const Window* record = window_of(m_window);
        if (record == nullptr || record->surface.isNull())
            return;
        for (const QRect& rect : event->region())
            painter.drawImage(rect, record->surface, rect);
    }

    void mousePressEvent(QMouseEvent* event) override { mouse(*event, Press); }
    void mouseReleaseEvent(QMouseEvent* event) override { mouse(*event, Release); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { mouse(*event, DoubleClick); }
    void mouseMoveEvent(QMouseEvent* event) override { mouse(*event, Move); }

    void wheelEvent(QWheelEvent* event) override
    {
        const QPoint global = event->globalPosition().toPoint();
        const POINT screen{global.x(), global.y()};
        const WPARAM flags = key_flags(event->buttons(), event->modifiers());
        const QPoint delta = event->angleDelta();
        if (delta.y() != 0)
            post_from_qt(target(), WM_MOUSEWHEEL, MAKEWPARAM(flags, delta.y()),
                         MAKELPARAM(screen.x, screen.y), screen);
        if (delta.x() != 0)
            post_from_qt(target(), WM_MOUSEHWHEEL, MAKEWPARAM(flags, -delta.x()),
                         MAKELPARAM(screen.x, screen.y), screen);
        event->accept();
    }

    void keyPressEvent(QKeyEvent* event) override { key(*event, true); }
    void keyReleaseEvent(QKeyEvent* event) override { key(*event, false); }

    void leaveEvent(QEvent* event) override
    {
        const QPoint global = QCursor::pos();
        post_from_qt(m_window, WM_MOUSELEAVE, 0, 0, POINT{global.x(), global.y()});
        QWidget::leaveEvent(event);
    }

    void contextMenuEvent(QContextMenuEvent* event) override
    {
        // The mouse's context menu comes from WM_RBUTTONUP; the keyboard's from here.
        if (event->reason() == QContextMenuEvent::Keyboard) {
            const QPoint global = QCursor::pos();
            post_from_qt(focus_target(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(focus_target()),
                         MAKELPARAM(-1, -1), POINT{global.x(), global.y()});
        }
        event->accept();
    }

    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        if (!m_syncing && isWindow())
            geometry_from_window_manager();
    }

    void moveEvent(QMoveEvent* event) override
    {
        QWidget::moveEvent(event);
        if (!m_syncing && isWindow())
            geometry_from_window_manager();
    }

    void changeEvent(QEvent* event) override
    {
        QWidget::changeEvent(event);
        if (!isWindow())
            return;
        const HWND handle = m_window;
        if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
            post_task(queue_of(handle), [handle] { activate_window(handle); });
        } else if (event->type() == QEvent::WindowStateChange && !m_syncing) {
            const Qt::WindowStates states = windowState();
            post_task(queue_of(handle), [handle, states] {
                const std::optional<WindowView> view = view_of(handle);
                if (!view.has_value())
                    return;
                WPARAM command = SC_RESTORE;
                ShowState wanted = ShowState::Normal;
                if ((states & Qt::WindowMinimized) != 0) {
                    command = SC_MINIMIZE;
                    wanted = ShowState::Minimized;
                } else if ((states & Qt::WindowMaximized) != 0) {
                    command = SC_MAXIMIZE;
                    wanted = ShowState::Maximized;
                }
                if (view->show_state != wanted)
                    SendMessageW(handle, WM_SYSCOMMAND, command, 0);
            });
        }
    }

    void closeEvent(QCloseEvent* event) override
    {
        // The window decides: WM_SYSCOMMAND SC_CLOSE, whose default handling closes it.
        event->ignore();
        const HWND handle = m_window;
        post_task(queue_of(handle), [handle] { SendMessageW(handle, WM_SYSCOMMAND, SC_CLOSE, 0); });
    }

private:
    enum MouseKind {
        Press,
        Release,
        DoubleClick,
        Move
    };

    // Mouse messages go to the window with the capture, else to this one.
    HWND target() const
    {
        const UserLock lock(user_mutex());
        const Window* window = window_of(m_window);
        if (window != nullptr && window->queue->capture != nullptr &&
            window_of(window->queue->capture) != nullptr)
            return window->queue->capture;
        return m_window;
    }
    HWND focus_target() const
    {
        const UserLock lock(user_mutex());
        const Window* window = window_of(m_window);
        if (window != nullptr && window->queue->focus != nullptr &&
            window_of(window->queue->focus) != nullptr)
            return window->queue->focus;
        return m_window;
    }

    void mouse(const QMouseEvent& event, MouseKind kind)
    {
        static constexpr UINT kMessages[3][3] = {
            {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK},
            {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK},
            {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK},
        };
        int button = 0;
        switch (event.button()) {
        case Qt::LeftButton:
            button = 0;
            break;
        case Qt::RightButton:
            button = 1;
            break;
        case Qt::MiddleButton:
            button = 2;
            break;
        default:
            if (kind != Move)
                return;
            break;
        }
        const HWND handle = target();
        const QPoint global = event.globalPosition().toPoint();
        const POINT screen{global.x(), global.y()};
        POINT client = screen;
        bool double_clicks = false;
        {
            const UserLock lock(user_mutex());
            const Window* window = window_of(handle);
            if (window == nullptr)
                return;
            const POINT origin = client_origin_on_screen(*window);
            client.x -= origin.x;
            client.y -= origin.y;
            double_clicks = (window->window_class->style & CS_DBLCLKS) != 0;
        }
        UINT message = WM_MOUSEMOVE;
        if (kind == Press)
            message = kMessages[button][0];
        else if (kind == Release)
            message = kMessages[button][1];
        else if (kind == DoubleClick)
            message = kMessages[button][double_clicks ? 2 : 0];
        post_from_qt(handle, message, key_flags(event.buttons(), event.modifiers()),
                     MAKELPARAM(client.x, client.y), screen);
    }

    void key(const QKeyEvent& event, bool down)
    {
        int vk = virtual_key(event);
        // A key Qt cannot name that still typed something (a composed character) goes
        // down and up as VK_PACKET.
        if (vk == 0 && down && !event.text().isEmpty()) {
            vk = VK_PACKET;
            m_packet_keys.push_back(event.key());
        } else if (vk == 0 && !down && std::erase(m_packet_keys, event.key()) > 0) {
            vk = VK_PACKET;
        }
        if (vk == 0)
            return;
        const bool alt = (event.modifiers() & Qt::AltModifier) != 0;
        const bool system = alt && (event.modifiers() & Qt::ControlModifier) == 0;
        LPARAM data = 1 | static_cast<LPARAM>((event.nativeScanCode() & 0xFF) << 16);
        if (alt)
            data |= LPARAM{1} << 29;
        if (!down)
            data |= (LPARAM{1} << 30) | (LPARAM{1} << 31);
        else if (event.isAutoRepeat())
            data |= LPARAM{1} << 30;
        UINT message = down ? WM_KEYDOWN : WM_KEYUP;
        if (system)
            message = down ? WM_SYSKEYDOWN : WM_SYSKEYUP;
        std::u16string typed;
        if (down) {
            const QString text = event.text();
            typed.assign(reinterpret_cast<const char16_t*>(text.utf16()),
                         static_cast<size_t>(text.size()));
        }
        const QPoint global = QCursor::pos();
        post_from_qt(focus_target(), message, static_cast<WPARAM>(vk), data,
                     POINT{global.x(), global.y()}, std::move(typed));
    }

    // The window manager moved or sized the window: the platform follows, and the move
    // or resize counts as ended when Qt reports no more of it for a while.
    void geometry_from_window_manager()
    {
        const HWND handle = m_window;
        const QRect now = geometry();
        const std::shared_ptr<ThreadQueue> queue = queue_of(handle);
        post_task(queue, [handle, now] {
            const std::optional<WindowView> view = view_of(handle);
            if (!view.has_value() || qrect(view->rect) == now)
                return;
            move_window_from_qt(handle,
                                RECT{now.left(), now.top(), now.right() + 1, now.bottom() + 1});
        });
        if (queue != nullptr)
            start_internal_timer(queue, reinterpret_cast<uintptr_t>(handle), kSizeMoveSettles,
                                 [handle] { SendMessageW(handle, WM_EXITSIZEMOVE, 0, 0); });
    }

    HWND m_window;
    bool m_syncing = false;
    QRect m_client;
    QPointer<QScrollBar> m_bars[2];
    std::vector<QPointer<QWidget>> m_hosted;
    std::vector<int> m_packet_keys; // Qt keys now down that went down as VK_PACKET
};

// ---- Scroll bars ---------------------------------------------------------------------

int scroll_code(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        return SB_LINEDOWN;
    case QAbstractSlider::SliderSingleStepSub:
        return SB_LINEUP;
    case QAbstractSlider::SliderPageStepAdd:
        return SB_PAGEDOWN;
    case QAbstractSlider::SliderPageStepSub:
        return SB_PAGEUP;
    case QAbstractSlider::SliderToMinimum:
        return SB_TOP;
    case QAbstractSlider::SliderToMaximum:
        return SB_BOTTOM;
    default:
        return -1;
    }
}

// A real scroll bar in the window's non-client ring. Its actions become WM_HSCROLL /
// WM_VSCROLL; it never moves by itself: the window sets the new position.
class ScrollBar final : public QScrollBar {
public:
    ScrollBar(HWND window, int bar, QWidget* parent)
        : QScrollBar(bar == SB_HORZ ? Qt::Horizontal : Qt::Vertical, parent), m_window(window),
          m_bar(bar)
    {
        setTracking(false);
        setFocusPolicy(Qt::NoFocus);
        connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
            const int code = scroll_code(action);
            if (code >= 0)
                send(code, 0);
            // Back to where the window has it; the window moves it with SetScrollInfo.
            if (!isSliderDown())
                setSliderPosition(value());
        });
        connect(this, &QAbstractSlider::sliderMoved, this, [this](int position) {
            set_scroll_tracking(m_window, m_bar, true, position);
            send(SB_THUMBTRACK, position);
        });
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        const bool thumb = isSliderDown();
        const int position = sliderPosition();
        QScrollBar::mouseReleaseEvent(event);
        if (thumb) {
            send(SB_THUMBPOSITION, position);
            set_scroll_tracking(m_window, m_bar, false, position);
            setSliderPosition(value());
        }
        send(SB_ENDSCROLL, 0);
    }

private:
    void send(int code, int position)
    {
        const QPoint global = QCursor::pos();
        post_from_qt(m_window, m_bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL,
                     MAKEWPARAM(code, position & 0xFFFF), 0, POINT{global.x(), global.y()});
    }

    HWND m_window;
    int m_bar;
};

void WindowWidget::sync_scroll_bars(const WindowView& view)
{
    const RECT& client = view.client;
    const int thickness_v = GetSystemMetrics(SM_CXVSCROLL);
    const int thickness_h = GetSystemMetrics(SM_CYHSCROLL);
    const bool left = (view.ex_style & WS_EX_LEFTSCROLLBAR) != 0;
    for (const int bar : {SB_HORZ, SB_VERT}) {
        const bool shown = (view.style & (bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL)) != 0;
        QPointer<QScrollBar>& widget = m_bars[bar];
        if (!shown) {
            if (widget != nullptr)
                widget->hide();
            continue;
        }
        if (widget == nullptr)
            widget = new ScrollBar(m_window, bar, this);
        const ScrollBarState& state = view.bars[bar];
        const QSignalBlocker quiet(widget.data());
        const int page = static_cast<int>(state.page);
        widget->setRange(state.minimum,
                         std::max(state.minimum, state.maximum - std::max(page - 1, 0)));
        widget->setPageStep(std::max(page, 1));
        widget->setSingleStep(1);
        if (!widget->isSliderDown()) {
            widget->setValue(state.position);
            widget->setSliderPosition(state.position);
        }
        if (bar == SB_HORZ)
            widget->setGeometry(client.left, client.bottom, client.right - client.left,
                                thickness_h);
        else
            widget->setGeometry(left ? client.left - thickness_v : client.right, client.top,
                                thickness_v, client.bottom - client.top);
        widget->show();
    }
}

void WindowWidget::sync(const WindowView& view)
{
    m_syncing = true;
    const QRect geometry = widget_geometry(view);
    if (isWindow()) {
        setWindowTitle(
            QString::fromUtf16(view.text.data(), static_cast<qsizetype>(view.text.size())));
        const Qt::WindowStates wanted =
            view.show_state == ShowState::Maximized   ? Qt::WindowMaximized
            : view.show_state == ShowState::Minimized ? Qt::WindowMinimized
                                                      : Qt::WindowNoState;
        if (view.show_state == ShowState::Normal && this->geometry() != geometry)
            setGeometry(geometry);
        if ((windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)) != wanted)
            setWindowState((windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized)) | wanted);
    } else if (this->geometry() != geometry) {
        setGeometry(geometry);
    }
    setEnabled((view.style & WS_DISABLED) == 0);
    m_client = qrect(view.client);
    for (const QPointer<QWidget>& hosted : m_hosted) {
        if (hosted != nullptr)
            hosted->setGeometry(m_client);
    }
    sync_scroll_bars(view);
    if (isVisible() != view.visible)
        setVisible(view.visible);
    m_syncing = false;
}

void sync_z_order(HWND handle)
{
    // Children stack in the window's order: the first child lies on top.
    std::vector<HWND> children;
    {
        const UserLock lock(user_mutex());
        const Window* window = window_of(handle);
        if (window == nullptr)
            return;
        for (const Window* child : window->children)
            children.push_back(child->handle);
    }
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
        if (WindowWidget* widget = widget_of(*child); widget != nullptr)
            widget->raise();
    }
}

// The window's widget, made with its ancestors' and its children's when missing.
WindowWidget* ensure_widget(HWND handle)
{
    if (WindowWidget* existing = widget_of(handle); existing != nullptr)
        return existing;
    if (!has_widget_application())
        return nullptr;
    const std::optional<WindowView> view = view_of(handle);
    if (!view.has_value())
        return nullptr;
    {
        const UserLock lock(user_mutex());
        const Window* window = window_of(handle);
        if (window == nullptr || window->queue->thread != std::this_thread::get_id())
            return nullptr;
    }
    QWidget* parent = nullptr;
    Qt::WindowFlags flags = Qt::Widget;
    if (view->parent != nullptr) {
        parent = ensure_widget(view->parent);
        if (parent == nullptr)
            return nullptr;
    } else if ((view->style & WS_POPUP) != 0) {
        flags = (view->ex_style & WS_EX_TOOLWINDOW) != 0 ? Qt::ToolTip
                                                         : Qt::Window | Qt::FramelessWindowHint;
    } else {
        flags = Qt::Window;
    }
    // Ensuring the parent may have made this one already, as one of its children.
    if (WindowWidget* existing = widget_of(handle); existing != nullptr)
        return existing;
    auto* widget = new WindowWidget(handle, parent, flags);
    widgets()[handle] = widget;
    widget->sync(*view);
    std::vector<HWND> children;
    {
        const UserLock lock(user_mutex());
        if (const Window* window = window_of(handle); window != nullptr) {
            for (const Window* child : window->children)
                children.push_back(child->handle);
        }
    }
    for (HWND child : children)
        ensure_widget(child);
    sync_z_order(handle);
    return widget;
}

void watch_hosted_focus()
{
    static bool watching = false;
    if (watching)
        return;
    watching = true;
    QObject::connect(qApp, &QApplication::focusChanged, qApp, [](QWidget*, QWidget* now) {
        if (now == nullptr || dynamic_cast<WindowWidget*>(now) != nullptr)
            return;
        const HWND host = WindowOf(now);
        if (host == nullptr || GetFocus() == host)
            return;
        post_task(queue_of(host), [host] {
            if (GetFocus() != host)
                SetFocus(host);
        });
    });
}

}

void backing_created(HWND window)
{
    if (!has_widget_application())
        return;
    const std::optional<WindowView> view = view_of(window);
    if (view.has_value() && view->parent != nullptr && widget_of(view->parent) != nullptr)
        ensure_widget(window);
}

void backing_destroyed(HWND window)
{
    const auto found = widgets().find(window);
    if (found == widgets().end())
        return;
    QPointer<WindowWidget> widget = found->second;
    widgets().erase(found);
    delete widget.data();
}

void backing_geometry_changed(HWND window)
{
    if (!has_widget_application())
        return;
    WindowWidget* widget = widget_of(window);
    const std::optional<WindowView> view = view_of(window);
    if (!view.has_value())
        return;
    if (widget == nullptr) {
        // A top-level window that is shown gets its widget now; a child one when its
        // parent has one.
        const bool wanted =
            view->parent == nullptr ? view->visible : widget_of(view->parent) != nullptr;
        if (!wanted || ensure_widget(window) == nullptr)
            return;
    } else {
        widget->sync(*view);
    }
    if (view->parent != nullptr)
        sync_z_order(view->parent);
}

void backing_update(HWND window, const QRect& rect)
{
    if (WindowWidget* widget = widget_of(window); widget != nullptr)
        widget->update(rect);
}

void backing_focus(HWND window)
{
    if (WindowWidget* widget = widget_of(window); widget != nullptr && widget->isVisible())
        widget->setFocus(Qt::OtherFocusReason);
}

void backing_cursor(HWND window, HCURSOR cursor)
{
    if (WindowWidget* widget = widget_of(window); widget != nullptr)
        widget->setCursor(qt_shape(cursor));
}

void backing_cursor_position(POINT point)
{
    if (has_widget_application())
        QCursor::setPos(point.x, point.y);
}

void backing_scroll_bars(HWND window)
{
    if (WindowWidget* widget = widget_of(window); widget != nullptr) {
        if (const std::optional<WindowView> view = view_of(window); view.has_value())
            widget->sync_scroll_bars(*view);
    }
}

void backing_text(HWND window)
{
    backing_geometry_changed(window);
}

void backing_enabled(HWND window)
{
    backing_geometry_changed(window);
}

}

namespace platform {

PLATFORM_API QWidget* WidgetOf(HWND window) noexcept
{
    try {
        return user::ensure_widget(window);
    } catch (...) {
        return nullptr;
    }
}

PLATFORM_API HWND WindowOf(const QWidget* widget) noexcept
{
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (const auto* backing = dynamic_cast<const user::WindowWidget*>(w); backing != nullptr)
            return backing->window();
    }
    return nullptr;
}

PLATFORM_API bool HostWidget(HWND window, QWidget* widget) noexcept
{
    if (widget == nullptr)
        return false;
    try {
        user::WindowWidget* host = user::ensure_widget(window);
        if (host == nullptr)
            return false;
        user::watch_hosted_focus();
        host->host(widget);
        return true;
    } catch (...) {
        return false;
    }
}

}

namespace platform::test {
namespace {

// The window's widget and where the client point lies in it.
user::WindowWidget* widget_at(HWND window, POINT client, QPoint& local)
{
    user::WindowWidget* widget = user::ensure_widget(window);
    const std::optional<user::WindowView> view = user::view_of(window);
    if (widget == nullptr || !view.has_value())
        return nullptr;
    local = QPoint(client.x + view->client.left, client.y + view->client.top);
    return widget;
}

}

PLATFORM_API bool SendMouseInput(HWND window, MouseInput kind, POINT client, Qt::MouseButton button,
                                 Qt::MouseButtons held, Qt::KeyboardModifiers modifiers) noexcept
{
    try {
        QPoint local;
        QWidget* widget = widget_at(window, client, local);
        if (widget == nullptr)
            return false;
        static constexpr QEvent::Type kTypes[] = {QEvent::MouseButtonPress,
                                                  QEvent::MouseButtonRelease,
                                                  QEvent::MouseButtonDblClick, QEvent::MouseMove};
        QMouseEvent event(kTypes[static_cast<int>(kind)], QPointF(local),
                          QPointF(widget->mapToGlobal(local)), button, held, modifiers);
        QApplication::sendEvent(widget, &event);
        return true;
    } catch (...) {
        return false;
    }
}

PLATFORM_API bool SendKeyInput(HWND window, bool press, int qt_key, Qt::KeyboardModifiers modifiers,
                               const QString& text) noexcept
{
    try {
        QWidget* widget = user::ensure_widget(window);
        if (widget == nullptr)
            return false;
        if (QWidget* hosted = widget->focusProxy(); hosted != nullptr)
            widget = hosted;
        QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, qt_key, modifiers, text);
        QApplication::sendEvent(widget, &event);
        return true;
    } catch (...) {
        return false;
    }
}

PLATFORM_API bool SendWheelInput(HWND window, POINT client, int delta,
                                 Qt::KeyboardModifiers modifiers) noexcept
{
    try {
        QPoint local;
        QWidget* widget = widget_at(window, client, local);
        if (widget == nullptr)
            return false;
        QWheelEvent event(QPointF(local), QPointF(widget->mapToGlobal(local)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget, &event);
        return true;
    } catch (...) {
        return false;
    }
}

}
