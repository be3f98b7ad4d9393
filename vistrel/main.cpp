// The viewer program: starts the framework and the viewer's units, shows the main window
// and runs the message loop until the window closes.

#include "forms/main_window.h"
#include "listview/common/common_units.h"
#include "listview/listview.h"
#include "units/units_display_manager.h"
#include "units/vector_catalogue.h"

#include "framework/forms.h"
#include "framework/sysutils.h"

#include <QtWidgets/QApplication>

#include <cfenv>
#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

// Qt ends the program with a page of messages when it finds no display; say it in one
// line instead. A platform chosen by hand (offscreen, for instance) is left to Qt.
bool display_available()
{
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}

int main(int argc, char** argv)
{
    if (!display_available()) {
        std::fputs("Tarvek CAD Viewer needs a graphical display, and neither DISPLAY nor "
                   "WAYLAND_DISPLAY is set.\n",
                   stderr);
        return 1;
    }
    // Divisions by zero and overflows in drawing arithmetic give infinities and NaNs,
    // never a trap, for the whole run.
    fedisableexcept(FE_ALL_EXCEPT);

    fw::PrepareQtApplication();
    QApplication application(argc, argv);
    // Libraries read and write numbers with '.', whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");

    fw::UnitRegistry units;
    units.Add("units display manager", nullptr, vistrel::FreeUnitsDisplayManager);
    // The catalogue's entries hold bitmaps of the platform: they go with the units, while
    // the platform is still all there.
    units.Add("catalogue", nullptr,
              [] { vistrel::catalogue::VectorManager().GetFiles(QString(), {}); });
    units.Add("forms", fw::InitializeFormsUnit, fw::FinalizeFormsUnit);
    vistrel::listview::RegisterCommonUnits(units);
    units.Add("list view", vistrel::listview::InitializeListviewUnit, nullptr);
    units.InitializeAll();

    fw::Application->Initialize();
    fw::Application->SetMainFormOnTaskBar(true);
    vistrel::TfrmMain* main_window = nullptr;
    fw::Application->CreateForm(main_window);
    fw::Application->Run();
    units.FinalizeAll();
    return 0;
}
