// The viewer's text and number routines: tolerant number reading, rounding and
// fixed-decimal formatting (always with '.'), blank trimming, file-extension tests,
// values by key in the lines of a part report, and command-line words.
//
// Strings are UTF-16 (QString); upper-casing keeps every string's length, so a key's
// length cuts the line where the key ends.
#ifndef VISTREL_UNITS_STRING_UTILS_H
#define VISTREL_UNITS_STRING_UTILS_H

#include <QtCore/QString>

namespace fw {
class TStrings;
}

namespace vistrel {

// The number in S: blanks (character 32) around it are ignored, the first ',' counts
// as '.', a leading '+' or '-' is taken, at most eight fraction digits count. 0 for
// anything that cannot be read.
double StrToFloatTolerant(const QString& text);

// x rounded to `decimals` places (none for 0 or less), halves up for negative values
// too (-1.25 gives -1.2); 0 when the result is no finite number.
double RoundToDecimals(int decimals, double x);

// x with `decimals` places (2 when two_decimals is set; none for a count below 1),
// rounded by RoundToDecimals, with '.' as the point. force_dot or two_decimals adds a
// point to a number without one.
void FormatFixed(bool force_dot, int decimals, bool two_decimals, QString& text, double x);

// FormatFixed without trailing zeros after the point; a bare point is dropped, or
// followed by one '0' when keep_zero is set (2 with 3 places gives "2", or "2.0").
void FormatTrimmed(bool keep_zero, int decimals, QString& text, double x);

// text without the blanks (character 32 only) at either end.
QString TrimBlanks(const QString& text);

// The extension with a leading '.' (unchanged when it holds a '.' anywhere).
QString DottedExt(const QString& extension);

// Splits the extension (without its '.') off name. Nothing happens for a name
// without '.' or whose last '.' lies in a folder part; a name whose only '.' is its
// first character becomes empty.
void SplitFileExt(QString& name, QString& extension);

// Whether the file name's extension (from the last '.' of its name, empty without
// one) equals the extension, with or without its '.', without regard to case. An
// empty extension matches a name without one.
bool SameFileExt(const QString& file_name, const QString& extension);

// The value after the key in the first line from `start` on that, upper-cased and
// without blanks at its ends, begins with the key upper-cased: the rest of that line
// in its own case, without blanks at its ends. Empty when no line matches or the key
// is empty.
void GetKeyValue(const fw::TStrings* lines, const QString& key, int start, QString& value);
// The value as an integer (0 when it is none) or as a number (StrToFloatTolerant).
int GetKeyInt(const fw::TStrings* lines, const QString& key, int start);
double GetKeyFloat(const fw::TStrings* lines, const QString& key, int start);

// The index of the first line from `start` on that begins with text exactly; -1 when
// there is none or text is empty.
int FindLineStartingWith(int start, const fw::TStrings* lines, const QString& text);

// The word that starts at position (skipping characters 1 to 32 and pairs of double
// quotes first) in a NUL-terminated text: characters up to the next one of code 32 or
// less, where a double quote starts a quoted part copied without its quotes, blanks
// included. The word keeps at most 4096 characters (the rest of a longer word is
// passed over). Answers the position after the word.
const char16_t* NextCommandLineWord(const char16_t* position, QString& word);

// The word at index (0: the program) of the process's command line, read by
// NextCommandLineWord, or empty when the words run out first. Only a command line
// that begins with a double quote is read (a blank is put after the program's
// closing quote when something else follows it); otherwise param stays as it is.
void GetCommandLineParam(int index, QString& param);
// The same on the command line given.
void GetCommandLineParamOf(const QString& command_line, int index, QString& param);

}

#endif
