// Settings files in the private-profile format: "[Section]" lines, each followed by
// "Key=Value" lines.
//
// Sections and keys are found without regard to case (CompareText); when a name is
// there twice, the first wins. A value is read without the blanks and tabs around it
// and without one pair of matching quotes ('...' or "...") around it; a string read
// gives at most 2048 characters. Lines that are no section and hold no '=' (comments
// among them) are skipped when reading and kept when writing.
//
// Every write goes to disk at once: the file is rewritten whole into a new file beside
// it, which then replaces it, so a reader never sees half a file; every other line
// keeps its text. The file is UTF-8; its line ends (LF, or CR LF when its first line
// ends so) are kept. A write that fails raises EIniFileException "Unable to write to
// %s" with the file's name; the folder is not created.
//
// The file is read anew for every read, so changes by others are seen.
#ifndef FRAMEWORK_INIFILES_H
#define FRAMEWORK_INIFILES_H

#include "framework/classes.h"

#include <QtCore/QString>

#include <cstdint>

namespace fw {

class TIniFile : public TObject {
public:
    // Nothing is read or made until the first call.
    explicit TIniFile(const QString& file_name) : m_file_name(file_name) {}

    const QString& FileName() const { return m_file_name; }

    QString ReadString(const QString& section, const QString& ident, const QString& fallback) const;
    // The value as an integer (decimal, or hexadecimal after "$" or "0x"); fallback when
    // the key is missing or its value is no integer.
    int32_t ReadInteger(const QString& section, const QString& ident, int32_t fallback) const;
    // An integer value other than 0 is true.
    bool ReadBool(const QString& section, const QString& ident, bool fallback) const;

    void WriteString(const QString& section, const QString& ident, const QString& value);
    void WriteInteger(const QString& section, const QString& ident, int32_t value);
    // Written as "1" or "0".
    void WriteBool(const QString& section, const QString& ident, bool value);

private:
    QString m_file_name;
};

}

#endif
