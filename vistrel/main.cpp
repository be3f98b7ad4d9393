// The viewer program. Its main window comes with the viewer's forms; until then the
// program starts and ends its units and says that it has no window yet.

#include "units/units_display_manager.h"

#include "framework/sysutils.h"

#include <clocale>
#include <cstdio>

int main()
{
    // Libraries read and write numbers with '.', whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    fw::UnitRegistry units;
    units.Add("units display manager", nullptr, vistrel::FreeUnitsDisplayManager);
    units.InitializeAll();
    std::fputs("Tarvek CAD Viewer: the main window is not built yet.\n", stderr);
    return 1;
}
