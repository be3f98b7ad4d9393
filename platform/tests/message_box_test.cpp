// Message boxes: the dialog shown on a display, and the answer without one.

#include "src/message_box_dialog.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPushButton>
#include <gtest/gtest.h>

#include <clocale>
#include <vector>

namespace {

using Standard = QMessageBox::StandardButton;

TEST(MessageBoxDialog, ButtonsDefaultIconAndAnswersFollowTheType)
{
    struct Row {
        UINT type;
        std::vector<Standard> buttons;
        std::vector<int> answers;
        Standard default_button;
        Standard escape;
        QMessageBox::Icon icon;
    };
    const Row rows[] = {
        {MB_OK, {QMessageBox::Ok}, {IDOK}, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::NoIcon},
        {MB_OKCANCEL | MB_DEFBUTTON2 | MB_ICONWARNING,
         {QMessageBox::Ok, QMessageBox::Cancel},
         {IDOK, IDCANCEL},
         QMessageBox::Cancel,
         QMessageBox::Cancel,
         QMessageBox::Warning},
        {MB_YESNOCANCEL | MB_ICONQUESTION,
         {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel},
         {IDYES, IDNO, IDCANCEL},
         QMessageBox::Yes,
         QMessageBox::Cancel,
         QMessageBox::Question},
        // A default beyond the last button is the last one; no Cancel, no Escape.
        {MB_YESNO | MB_DEFBUTTON3 | MB_ICONERROR,
         {QMessageBox::Yes, QMessageBox::No},
         {IDYES, IDNO},
         QMessageBox::No,
         QMessageBox::NoButton,
         QMessageBox::Critical},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2 | MB_ICONINFORMATION,
         {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore},
         {IDABORT, IDRETRY, IDIGNORE},
         QMessageBox::Retry,
         QMessageBox::NoButton,
         QMessageBox::Information},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        const auto box = platform::make_message_box(nullptr, QStringLiteral("Gr\u00f6\u00dfe?"),
                                                    QStringLiteral("Caption"), row.type);
        EXPECT_EQ(box->text(), QStringLiteral("Gr\u00f6\u00dfe?"));
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Caption"));
        EXPECT_EQ(box->icon(), row.icon);
        ASSERT_EQ(box->buttons().size(), static_cast<qsizetype>(row.buttons.size()));
        EXPECT_EQ(box->defaultButton(), box->button(row.default_button));
        EXPECT_EQ(box->escapeButton(),
                  row.escape == QMessageBox::NoButton ? nullptr : box->button(row.escape));
        EXPECT_EQ(platform::default_message_box_button(row.type),
                  row.answers[static_cast<size_t>(
                      std::find(row.buttons.begin(), row.buttons.end(), row.default_button) -
                      row.buttons.begin())]);
        for (size_t i = 0; i < row.buttons.size(); ++i) {
            const auto answered = platform::make_message_box(nullptr, {}, {}, row.type);
            ASSERT_NE(answered->button(row.buttons[i]), nullptr);
            answered->button(row.buttons[i])->click();
            EXPECT_EQ(platform::message_box_answer(*answered, row.type), row.answers[i]);
        }
        // Closed by the window manager without a button: Cancel where there is one.
        const auto closed = platform::make_message_box(nullptr, {}, {}, row.type);
        const bool has_cancel =
            std::find(row.answers.begin(), row.answers.end(), IDCANCEL) != row.answers.end();
        EXPECT_EQ(platform::message_box_answer(*closed, row.type),
                  has_cancel ? IDCANCEL : platform::default_message_box_button(row.type));
    }
}

TEST(MessageBoxDialog, OffscreenAMessageBoxTellsStandardErrorInstead)
{
    // Nobody could answer a dialog here: it must never block.
    EXPECT_FALSE(platform::message_boxes_are_dialogs());
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxW(nullptr, u"Gr\u00f6\u00dfe", u"Caption", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Caption: Gr\xc3\xb6\xc3\x9f"
                                                      "e\n");
}

}

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    std::setlocale(LC_ALL, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
