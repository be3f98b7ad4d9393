// TApplication, TScreen and the unit that makes Application, Screen and Mouse.

#include "framework/forms.h"
#include "forms/guarded_call.h"
#include "framework/sysutils.h"
#include "platform/system_metrics.h"
#include "platform/user.h"
#include "platform/user_input.h"

#include <QtCore/QEventLoop>
#include <QtGui/QCursor>
#include <QtGui/QGuiApplication>
#include <QtGui/QPalette>
#include <QtWidgets/QApplication>
#include <QtWidgets/QStyleFactory>

#include <algorithm>
#include <cstdio>

namespace fw {

TApplication* Application = nullptr;
TScreen* Screen = nullptr;
TMouse* Mouse = nullptr;

namespace {

QColor system_colour(int index)
{
    const DWORD colour = GetSysColor(index);
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

// The same colours on every desktop: the platform's fixed table. Inactive groups get
// the active colours, so a selection looks the same with or without the focus.
QPalette fixed_palette()
{
    QPalette palette;
    const struct {
        QPalette::ColorRole role;
        int index;
    } kRoles[] = {
        {QPalette::Window, 15},        {QPalette::WindowText, 8},   {QPalette::Base, 5},
        {QPalette::AlternateBase, 15}, {QPalette::Text, 8},         {QPalette::Button, 15},
        {QPalette::ButtonText, 18},    {QPalette::Highlight, 13},   {QPalette::HighlightedText, 14},
        {QPalette::ToolTipBase, 24},   {QPalette::ToolTipText, 23}, {QPalette::Light, 20},
        {QPalette::Midlight, 22},      {QPalette::Dark, 16},        {QPalette::Mid, 16},
        {QPalette::Shadow, 21},
    };
    for (const auto& entry : kRoles)
        palette.setColor(entry.role, system_colour(entry.index));
    const QColor grey = system_colour(17);
    palette.setColor(QPalette::Disabled, QPalette::Text, grey);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, grey);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, grey);
    return palette;
}

Qt::CursorShape cursor_shape(TCursor cursor)
{
    switch (cursor) {
    case crNone:
        return Qt::BlankCursor;
    case crCross:
        return Qt::CrossCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crHourGlass:
        return Qt::WaitCursor;
    case crDrag:
        return Qt::DragMoveCursor;
    case crNoDrop:
        return Qt::ForbiddenCursor;
    case crHSplit:
        return Qt::SplitHCursor;
    case crVSplit:
        return Qt::SplitVCursor;
    case crHandPoint:
        return Qt::PointingHandCursor;
    default:
        return Qt::ArrowCursor;
    }
}

bool has_gui_application()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

}

// ---- TApplication ----------------------------------------------------------------------------

TApplication::TApplication(TComponent* owner) : TComponent(owner)
{
    const QString name = ExtractFileName(ParamStr(0));
    const QString extension = ExtractFileExt(name);
    m_title = name.left(name.size() - extension.size());
}

TApplication::~TApplication()
{
    // The forms go first, while the application still answers their questions.
    DestroyComponents();
    CancelHint();
    Free(m_hint_window);
    if (m_hint_timer_window != nullptr)
        DestroyWindow(m_hint_timer_window);
}

void TApplication::Initialize()
{
    QCoreApplication* instance = QCoreApplication::instance();
    if (instance == nullptr)
        return; // without Qt: windows stay headless
    auto* widgets = qobject_cast<QApplication*>(instance);
    if (widgets == nullptr)
        throw EInvalidOperation(
            QStringLiteral("The framework needs the program's QApplication, made before any "
                           "painting or window"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(fixed_palette());
}

void TApplication::Run()
{
    if (m_main_form != nullptr)
        m_main_form->Show();
    while (!m_terminated)
        HandleMessage();
}

void TApplication::HandleMessage()
{
    MSG message{};
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
        m_terminated = true;
        return;
    }
    if (got == -1)
        return;
    process(message);
}

void TApplication::ProcessMessages()
{
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            m_terminated = true;
            return;
        }
        process(message);
    }
}

void TApplication::Terminate()
{
    PostQuitMessage(0);
}

QString TApplication::ExeName() const
{
    return ParamStr(0);
}

void TApplication::HandleException(TObject* sender) noexcept
{
    const std::exception_ptr current = std::current_exception();
    if (current == nullptr)
        return;
    try {
        try {
            std::rethrow_exception(current);
        } catch (const EAbort&) {
            // Silent by design: it only ends the work at hand.
        } catch (const Exception& error) {
            if (OnException)
                OnException(sender, error);
            else
                ShowException(error.Message());
        } catch (const std::exception& error) {
            const Exception wrapped(QString::fromUtf8(error.what()));
            if (OnException)
                OnException(sender, wrapped);
            else
                ShowException(wrapped.Message());
        } catch (...) {
            ShowException(QStringLiteral("Unknown exception"));
        }
    } catch (...) {
        // OnException itself failed: tell standard error and go on.
        std::fprintf(stderr, "Exception in the application's exception handler\n");
    }
}

void TApplication::ShowException(const QString& message) noexcept
{
    try {
        HWND owner = nullptr;
        if (m_main_form != nullptr && m_main_form->HandleAllocated())
            owner = m_main_form->Handle();
        MessageBoxW(owner, reinterpret_cast<LPCWSTR>(message.utf16()),
                    reinterpret_cast<LPCWSTR>(m_title.utf16()), MB_OK | MB_ICONERROR);
    } catch (...) {
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    }
}

void TApplication::HookMainWindow(const TWindowHook& hook, const void* key)
{
    m_hooks.emplace_back(key, hook);
}

void TApplication::UnhookMainWindow(const void* key)
{
    std::erase_if(m_hooks, [key](const auto& entry) { return entry.first == key; });
}

bool TApplication::run_main_window_hooks(TMessage& message)
{
    if (m_hooks.empty())
        return false;
    // A hook may unhook itself (or others) while it runs.
    const auto hooks = m_hooks;
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) {
        if (it->second && it->second(message))
            return true;
    }
    return false;
}

void TApplication::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == m_main_form)
        m_main_form = nullptr;
}

// ---- TScreen -----------------------------------------------------------------------------------

TScreen::TScreen(TComponent* owner) : TComponent(owner)
{
}

TScreen::~TScreen()
{
    if (m_override_set && has_gui_application())
        QGuiApplication::restoreOverrideCursor();
}

void TScreen::SetCursor(TCursor cursor)
{
    if (cursor == m_cursor)
        return;
    m_cursor = cursor;
    if (!has_gui_application())
        return;
    if (cursor == crDefault) {
        if (m_override_set)
            QGuiApplication::restoreOverrideCursor();
        m_override_set = false;
    } else if (m_override_set) {
        QGuiApplication::changeOverrideCursor(QCursor(cursor_shape(cursor)));
    } else {
        QGuiApplication::setOverrideCursor(QCursor(cursor_shape(cursor)));
        m_override_set = true;
    }
    // Let the window system see the new cursor before work that blocks. Only Qt's own
    // events run here: input waits in the queue, so no handler runs inside this call.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

HCURSOR TScreen::Cursors(int index) const
{
    if (const auto found = m_cursors.find(index); found != m_cursors.end())
        return found->second;
    switch (index) {
    case crDefault:
    case crArrow:
    case crDrag:
        return LoadCursorW(nullptr, IDC_ARROW);
    case crCross:
        return LoadCursorW(nullptr, IDC_CROSS);
    case crIBeam:
        return LoadCursorW(nullptr, IDC_IBEAM);
    case crHourGlass:
        return LoadCursorW(nullptr, IDC_WAIT);
    case crNoDrop:
        return LoadCursorW(nullptr, IDC_NO);
    case crHSplit:
        return LoadCursorW(nullptr, u"HSPLIT");
    case crVSplit:
        return LoadCursorW(nullptr, u"VSPLIT");
    case crHandPoint:
        return LoadCursorW(nullptr, IDC_HAND);
    default:
        return nullptr;
    }
}

void TScreen::SetCursors(int index, HCURSOR cursor)
{
    m_cursors[index] = cursor;
}

int TScreen::Width() const
{
    return GetSystemMetrics(SM_CXSCREEN);
}

int TScreen::Height() const
{
    return GetSystemMetrics(SM_CYSCREEN);
}

int TScreen::DesktopWidth() const
{
    return GetSystemMetrics(SM_CXVIRTUALSCREEN);
}

int TScreen::DesktopHeight() const
{
    return GetSystemMetrics(SM_CYVIRTUALSCREEN);
}

TCustomForm* TScreen::Forms(int index) const
{
    if (index < 0 || index >= FormCount())
        TList::Error(QStringLiteral("List index out of bounds (%d)"), index);
    return m_forms[static_cast<size_t>(index)];
}

TCustomForm* TScreen::ActiveForm() const
{
    for (TCustomForm* form : m_forms) {
        if (form->Active())
            return form;
    }
    return nullptr;
}

// ---- The unit ----------------------------------------------------------------------------------

void InitializeFormsUnit()
{
    if (Mouse == nullptr)
        Mouse = new TMouse;
    if (Screen == nullptr)
        Screen = new TScreen(nullptr);
    if (Application == nullptr)
        Application = new TApplication(nullptr);
}

void FinalizeFormsUnit() noexcept
{
    try {
        TApplication* const application = Application;
        Free(application);
        Application = nullptr;
        TScreen* const screen = Screen;
        Free(screen);
        Screen = nullptr;
    } catch (...) {
        std::fprintf(stderr, "Exception while the forms were finalised\n");
    }
    delete Mouse;
    Mouse = nullptr;
}

void PrepareQtApplication()
{
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
}

}

namespace fw::forms {

void report_escaped_exception(TObject* sender) noexcept
{
    if (Application != nullptr) {
        Application->HandleException(sender);
        return;
    }
    try {
        throw;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "Unknown exception\n");
    }
}

}
