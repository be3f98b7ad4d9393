// The forms tests run in the program's setting: a QApplication made first, numbers in
// the C locale, and the forms unit around the tests; the platform's clock moves only
// when a test moves it.

#include "framework/forms.h"
#include "platform/qt.h"

#include <QtWidgets/QApplication>

#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv)
{
    fw::PrepareQtApplication();
    QApplication application(argc, argv);
    std::setlocale(LC_ALL, "C");
    ::testing::InitGoogleTest(&argc, argv);
    platform::test::AdvanceClock(0);
    fw::InitializeFormsUnit();
    fw::Application->Initialize();
    const int result = RUN_ALL_TESTS();
    fw::FinalizeFormsUnit();
    return result;
}
