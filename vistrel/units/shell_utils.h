// The viewer's routines that face the platform: its data folder, the program's folder,
// opening a file or address through the desktop, running a program and waiting for it,
// and the program's version text.
#ifndef VISTREL_UNITS_SHELL_UTILS_H
#define VISTREL_UNITS_SHELL_UTILS_H

#include "platform/win_types.h"

#include <QtCore/QString>

namespace vistrel {

// The folder "Tarvek/<sub_folder>/" in the common application-data folder
// ($XDG_DATA_HOME), with a trailing delimiter; when that folder cannot be had, the
// program's folder followed by sub_folder. No folder is made.
QString GetAppDataFolder(const QString& sub_folder);

// The folder of the program file, with a trailing delimiter: from the module file
// name, and from the framework's program path (ParamStr(0)); the two are the same.
QString GetProgramFolder();
QString GetExeFolder();

// Opens a file or address through the desktop (without a desktop the request is
// written to standard error). An empty folder means the file's own. Unless quiet, a
// failure the shell reports raises fw::Exception with its message (one of thirteen);
// otherwise the result is true.
bool ShellOpen(HWND handle, const QString& file_name, bool quiet, const QString& folder);

// Runs the program in its own folder and waits for it without time-out (no messages
// are processed meanwhile); the current folder is restored afterwards. Args follow
// the program's quoted path on its command line. A folder that cannot be entered is
// shown as "Could not change directory to" and the folder, and nothing runs. True
// when the program ran to its end; false when the folder was not entered, the program
// did not start or an error was raised.
bool RunProgramAndWait(const QString& program_path, const QString& args, bool hidden);

// The program file's version M1.M2.L1.L2 as "M1.M2L1.L2" (3.0.2.0 gives "3.02.0");
// version stays as it is when the file has none.
void GetExeVersionString(QString& version);

// The message of a shell result code of ShellOpen's table, empty for any other code.
QString ShellErrorMessage(intptr_t code);

}

#endif
