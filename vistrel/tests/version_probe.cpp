// Prints the program's version text as the viewer forms it, or "unchanged" when the
// program has no version.

#include "units/shell_utils.h"

#include <cstdio>

int main()
{
    QString version = QStringLiteral("unchanged");
    vistrel::GetExeVersionString(version);
    std::printf("%s\n", version.toStdString().c_str());
    return 0;
}
