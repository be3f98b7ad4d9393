// Splitting a Win32 command line into the arguments that a program receives.
#ifndef PLATFORM_SRC_COMMAND_LINE_SPLIT_H
#define PLATFORM_SRC_COMMAND_LINE_SPLIT_H

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The arguments of a command line as Win32 programs see them, the inverse of
// platform_build_command_line:
//  - the first (the program) runs from the first character that is no blank or tab
//    to the next blank or tab, or, when it begins with a double quote, to the next
//    double quote (without the quotes; backslashes are plain characters there);
//  - the others are separated by blanks and tabs outside double quotes; 2n
//    backslashes before a double quote give n backslashes and the quote opens or
//    closes a quoted part, 2n + 1 give n backslashes and a literal quote; two double
//    quotes inside a quoted part give one; other backslashes are plain.
std::vector<std::string> split_command_line(std::string_view line);

}

#endif
