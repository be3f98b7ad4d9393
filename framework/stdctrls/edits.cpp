// Single- and multi-line edits: Qt editors placed in the control's window.

#include "framework/stdctrls.h"
#include "framework/forms.h"
#include "forms/guarded_call.h"
#include "platform/qt.h"
#include "platform/user_input.h"

#include <QtGui/QFont>
#include <QtGui/QKeyEvent>
#include <QtGui/QPalette>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPlainTextEdit>

#include <cstdlib>

namespace fw {

namespace {

// The virtual key of a Qt key, for the keys an edit's handlers look at; 0 for others.
WORD virtual_key(int qt_key)
{
    if (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z)
        return static_cast<WORD>('A' + (qt_key - Qt::Key_A));
    if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9)
        return static_cast<WORD>('0' + (qt_key - Qt::Key_0));
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F12)
        return static_cast<WORD>(VK_F1 + (qt_key - Qt::Key_F1));
    switch (qt_key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_Space:
        return VK_SPACE;
    default:
        return 0;
    }
}

}

// Hands the editor's key presses to the control's WindowProc first.
class EditKeyFilter : public QObject {
public:
    explicit EditKeyFilter(TCustomEdit* edit) : m_edit(edit) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const WORD key = virtual_key(static_cast<QKeyEvent*>(event)->key());
        if (key == 0 || !m_edit->HandleAllocated())
            return false;
        m_edit->m_key_eaten = false;
        if (!forms::guarded_call(m_edit, [this, key] { m_edit->Perform(WM_KEYDOWN, key, 0); }))
            return true;
        return m_edit->m_key_eaten;
    }

private:
    TCustomEdit* m_edit;
};

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner)
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
}

TCustomEdit::~TCustomEdit()
{
    // The editor belongs to the window and goes with it; it must not call back here.
    if (m_editor != nullptr) {
        QObject::disconnect(m_editor, nullptr, nullptr, nullptr);
        delete m_key_filter.data();
    }
}

void TCustomEdit::CreateWnd()
{
    TWinControl::CreateWnd();
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr ||
        platform::WidgetOf(Handle()) == nullptr)
        return;
    QWidget* editor = make_editor();
    if (!platform::HostWidget(Handle(), editor)) {
        delete editor;
        return;
    }
    m_editor = editor;
    m_editor_widget = editor;
    auto* filter = new EditKeyFilter(this);
    filter->setParent(editor);
    editor->installEventFilter(filter);
    m_key_filter = filter;
    m_setting_text = true;
    editor_set_text(m_text);
    m_setting_text = false;
    apply_look();
}

void TCustomEdit::DestroyWnd()
{
    if (Editor() != nullptr)
        m_text = editor_text();
    m_editor = nullptr;
    m_editor_widget = nullptr;
    TWinControl::DestroyWnd();
}

QString TCustomEdit::Text() const
{
    return m_editor != nullptr ? editor_text() : m_text;
}

void TCustomEdit::SetText(const QString& text)
{
    m_text = text;
    if (m_editor != nullptr) {
        m_setting_text = true;
        editor_set_text(text);
        m_setting_text = false;
    }
    if (OnChange)
        OnChange(this);
}

void TCustomEdit::editor_changed()
{
    if (m_setting_text)
        return;
    m_text = editor_text();
    if (OnChange)
        OnChange(this);
}

void TCustomEdit::SetBorderStyle(TBorderStyle style)
{
    m_border_style = style;
    apply_look();
}

void TCustomEdit::SelectAll()
{
    if (m_editor != nullptr)
        editor_select_all();
}

void TCustomEdit::ColorChanged()
{
    TWinControl::ColorChanged();
    apply_look();
}

void TCustomEdit::FontChanged()
{
    TWinControl::FontChanged();
    apply_look();
}

void TCustomEdit::KeyDown(WORD& key, TShiftState shift)
{
    TWinControl::KeyDown(key, shift);
    m_key_eaten = key == 0;
}

void TCustomEdit::apply_look()
{
    if (m_editor == nullptr)
        return;
    editor_set_frame(m_border_style != bsNone);
    QFont font(Font()->Name());
    if (Font()->Height() != 0)
        font.setPixelSize(std::abs(Font()->Height()));
    font.setBold(Font()->Style().Contains(fsBold));
    font.setItalic(Font()->Style().Contains(fsItalic));
    font.setUnderline(Font()->Style().Contains(fsUnderline));
    font.setStrikeOut(Font()->Style().Contains(fsStrikeOut));
    Editor()->setFont(font);
    const auto colour = [](TColor color) {
        const TColor rgb = ColorToRGB(color);
        return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
    };
    QPalette palette = Editor()->palette();
    palette.setColor(QPalette::Base, colour(Color()));
    palette.setColor(QPalette::Text, colour(Font()->Color()));
    Editor()->setPalette(palette);
}

// ---- TEdit and TMemo ---------------------------------------------------------------------------

TEdit::TEdit(TComponent* owner) : TCustomEdit(owner)
{
}

QWidget* TEdit::make_editor()
{
    auto* editor = new QLineEdit;
    QObject::connect(editor, &QLineEdit::textChanged, editor, [this](const QString&) noexcept {
        forms::guarded_call(this, [this] { editor_changed(); });
    });
    return editor;
}

void TEdit::editor_set_text(const QString& text)
{
    static_cast<QLineEdit*>(Editor())->setText(text);
}

QString TEdit::editor_text() const
{
    return static_cast<QLineEdit*>(Editor())->text();
}

void TEdit::editor_select_all()
{
    static_cast<QLineEdit*>(Editor())->selectAll();
}

void TEdit::editor_set_frame(bool framed)
{
    static_cast<QLineEdit*>(Editor())->setFrame(framed);
}

TMemo::TMemo(TComponent* owner) : TCustomEdit(owner)
{
    SetBounds(0, 0, 185, 89);
}

QWidget* TMemo::make_editor()
{
    auto* editor = new QPlainTextEdit;
    QObject::connect(editor, &QPlainTextEdit::textChanged, editor, [this]() noexcept {
        forms::guarded_call(this, [this] { editor_changed(); });
    });
    return editor;
}

void TMemo::editor_set_text(const QString& text)
{
    static_cast<QPlainTextEdit*>(Editor())->setPlainText(text);
}

QString TMemo::editor_text() const
{
    return static_cast<QPlainTextEdit*>(Editor())->toPlainText();
}

void TMemo::editor_select_all()
{
    static_cast<QPlainTextEdit*>(Editor())->selectAll();
}

void TMemo::editor_set_frame(bool framed)
{
    static_cast<QPlainTextEdit*>(Editor())->setFrameShape(framed ? QFrame::StyledPanel
                                                                 : QFrame::NoFrame);
}

}
