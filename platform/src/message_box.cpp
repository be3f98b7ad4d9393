#include "message_box_dialog.h"

#include "qt_pump.h"
#include "platform/qt.h"

#include <QtGui/QGuiApplication>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPushButton>

#include <algorithm>
#include <cstdio>

namespace platform {
namespace {

struct Button {
    int answer;
    QMessageBox::StandardButton qt;
};

constexpr Button kButtons[][3] = {
    {{IDOK, QMessageBox::Ok}, {0, QMessageBox::NoButton}, {0, QMessageBox::NoButton}},
    {{IDOK, QMessageBox::Ok}, {IDCANCEL, QMessageBox::Cancel}, {0, QMessageBox::NoButton}},
    {{IDABORT, QMessageBox::Abort}, {IDRETRY, QMessageBox::Retry}, {IDIGNORE, QMessageBox::Ignore}},
    {{IDYES, QMessageBox::Yes}, {IDNO, QMessageBox::No}, {IDCANCEL, QMessageBox::Cancel}},
    {{IDYES, QMessageBox::Yes}, {IDNO, QMessageBox::No}, {0, QMessageBox::NoButton}},
    {{IDRETRY, QMessageBox::Retry}, {IDCANCEL, QMessageBox::Cancel}, {0, QMessageBox::NoButton}},
};

// The buttons of the type, in order; an unknown type has OK alone.
const Button* buttons_of(UINT type)
{
    const UINT kind = type & MB_TYPEMASK;
    return kind < sizeof kButtons / sizeof kButtons[0] ? kButtons[kind] : kButtons[0];
}

int headless_message_box(const char* text, const char* caption, UINT type)
{
    // No display here: tell standard error and answer the default button.
    std::fprintf(stderr, "%s: %s\n", caption != nullptr ? caption : "Error",
                 text != nullptr ? text : "");
    std::fflush(stderr);
    return default_message_box_button(type);
}

int dialog_message_box(HWND owner, const QString& text, const QString& caption, UINT type)
{
    QWidget* parent = owner != nullptr ? WidgetOf(owner) : nullptr;
    if (parent == nullptr)
        parent = QApplication::activeWindow();
    const std::unique_ptr<QMessageBox> box =
        make_message_box(parent != nullptr ? parent->window() : nullptr, text, caption, type);
    box->exec();
    return message_box_answer(*box, type);
}

}

int default_message_box_button(UINT type)
{
    const Button* buttons = buttons_of(type);
    // A default beyond the last button is the last one.
    UINT choice = std::min((type & MB_DEFMASK) >> 8, 2u);
    while (choice > 0 && buttons[choice].answer == 0)
        --choice;
    return buttons[choice].answer;
}

bool message_boxes_are_dialogs()
{
    if (!user::is_qt_thread() ||
        qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return false;
    const QString name = QGuiApplication::platformName();
    return name != QLatin1String("offscreen") && name != QLatin1String("minimal");
}

std::unique_ptr<QMessageBox> make_message_box(QWidget* parent, const QString& text,
                                              const QString& caption, UINT type)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
        icon = QMessageBox::Critical;
        break;
    case MB_ICONQUESTION:
        icon = QMessageBox::Question;
        break;
    case MB_ICONWARNING:
        icon = QMessageBox::Warning;
        break;
    case MB_ICONINFORMATION:
        icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    auto box = std::make_unique<QMessageBox>(icon, caption, text, QMessageBox::NoButton, parent);
    const Button* buttons = buttons_of(type);
    const int default_answer = default_message_box_button(type);
    QAbstractButton* escape = nullptr;
    for (int i = 0; i < 3 && buttons[i].answer != 0; ++i) {
        QPushButton* button = box->addButton(buttons[i].qt);
        if (buttons[i].answer == default_answer)
            box->setDefaultButton(button);
        // Escape answers Cancel, or OK when that is the only button.
        if (buttons[i].answer == IDCANCEL || (type & MB_TYPEMASK) == MB_OK)
            escape = button;
    }
    box->setEscapeButton(escape);
    return box;
}

int message_box_answer(const QMessageBox& box, UINT type)
{
    QAbstractButton* clicked = box.clickedButton();
    const QMessageBox::StandardButton which =
        clicked != nullptr ? box.standardButton(clicked) : QMessageBox::NoButton;
    const Button* buttons = buttons_of(type);
    for (int i = 0; i < 3 && buttons[i].answer != 0; ++i) {
        if (buttons[i].qt == which)
            return buttons[i].answer;
    }
    // Closed without a button (the window manager's close): as Escape would.
    for (int i = 0; i < 3 && buttons[i].answer != 0; ++i) {
        if (buttons[i].answer == IDCANCEL)
            return IDCANCEL;
    }
    return default_message_box_button(type);
}

}

extern "C" {

PLATFORM_API int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) noexcept
{
    try {
        if (platform::message_boxes_are_dialogs())
            return platform::dialog_message_box(
                owner, QString::fromUtf8(text != nullptr ? text : ""),
                caption != nullptr ? QString::fromUtf8(caption) : QStringLiteral("Error"), type);
    } catch (...) {
        // Told on standard error instead.
    }
    return platform::headless_message_box(text, caption, type);
}

PLATFORM_API int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) noexcept
{
    try {
        const QString text_string = text != nullptr ? QString::fromUtf16(text) : QString();
        const QString caption_string =
            caption != nullptr ? QString::fromUtf16(caption) : QStringLiteral("Error");
        if (platform::message_boxes_are_dialogs())
            return platform::dialog_message_box(owner, text_string, caption_string, type);
        return platform::headless_message_box(text_string.toUtf8().constData(),
                                              caption_string.toUtf8().constData(), type);
    } catch (...) {
        return platform::default_message_box_button(type);
    }
}
}
