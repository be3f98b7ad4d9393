// The list-view tests run in the program's setting: a QApplication made first, numbers
// in the C locale, the forms unit and the list-view unit around the tests.

#include "framework/forms.h"
#include "listview/listview.h"

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
    vistrel::listview::InitializeListviewUnit();
    const int result = RUN_ALL_TESTS();
    fw::FinalizeFormsUnit();
    return result;
}
