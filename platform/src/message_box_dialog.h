// Message boxes as Qt dialogs, for a program that shows windows on a display.
#ifndef PLATFORM_SRC_MESSAGE_BOX_DIALOG_H
#define PLATFORM_SRC_MESSAGE_BOX_DIALOG_H

#include "platform/user.h"

#include <memory>

class QMessageBox;
class QString;
class QWidget;

namespace platform {

// Whether a message box is a dialog now: on the thread of the program's QApplication
// with a display (never on the offscreen or minimal platform, where nobody could answer).
bool message_boxes_are_dialogs();
// The dialog of a message box of the given MB_* type, not yet shown.
std::unique_ptr<QMessageBox> make_message_box(QWidget* parent, const QString& text,
                                              const QString& caption, UINT type);
// The answer (IDOK, IDCANCEL, ...) of a dialog the user has closed.
int message_box_answer(const QMessageBox& box, UINT type);
// The answer of a message box nobody can see: its default button.
int default_message_box_button(UINT type);

}

#endif
