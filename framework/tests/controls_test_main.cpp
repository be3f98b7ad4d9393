// The controls tests run in the program's setting: a QApplication made first, numbers
// in the C locale, and the forms unit around the tests.

#include "framework/forms.h"

#include <QtWidgets/QApplication>

#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv)
{
    fw::PrepareQtApplication();
    QApplication application(argc, argv);
    std::setlocale(LC_ALL, "C");
    ::testing::InitGoogleTest(&argc, argv);
    fw::InitializeFormsUnit();
    fw::Application->Initialize();
    const int result = RUN_ALL_TESTS();
    fw::FinalizeFormsUnit();
    return result;
}
