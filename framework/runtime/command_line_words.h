// The words of a Win32 command line.
#ifndef FRAMEWORK_RUNTIME_COMMAND_LINE_WORDS_H
#define FRAMEWORK_RUNTIME_COMMAND_LINE_WORDS_H

#include <QtCore/QString>

#include <vector>

namespace fw::detail {

// Splits as Win32 programs split their command line: the first word runs to the next
// blank or tab, or between double quotes; in the others blanks and tabs separate,
// double quotes group, 2n backslashes before a double quote give n backslashes (and
// the quote groups), 2n + 1 give n and a literal quote, other backslashes stand for
// themselves.
std::vector<QString> split_command_line(const QString& line);

}

#endif
