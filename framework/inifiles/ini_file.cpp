// TIniFile: reads and rewrites private-profile files line by line.

#include "framework/inifiles.h"

#include "platform/files.h"
#include "platform/kernel.h"
#include "runtime/text_decoding.h"

#include <optional>
#include <string>
#include <vector>

namespace fw {

namespace {

constexpr qsizetype kMaxValueLength = 2048;

// The lines of a settings file and the line end it uses.
struct IniLines {
    std::vector<QString> lines;
    QString line_end = QStringLiteral("\n");
};

bool is_blank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString trim_blanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && is_blank(text[first]))
        ++first;
    while (last > first && is_blank(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

// The section a line opens, or nothing when it opens none.
std::optional<QString> section_of(const QString& line)
{
    const QString trimmed = trim_blanks(line);
    if (!trimmed.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(u']', 1);
    return trim_blanks(trimmed.mid(1, close < 0 ? -1 : close - 1));
}

// The key of a "key=value" line (not a comment), or nothing.
std::optional<QString> key_of(const QString& line)
{
    const QString trimmed = trim_blanks(line);
    if (trimmed.startsWith(u';') || trimmed.startsWith(u'['))
        return std::nullopt;
    const qsizetype equals = trimmed.indexOf(u'=');
    if (equals < 0)
        return std::nullopt;
    return trim_blanks(trimmed.left(equals));
}

QString value_of(const QString& line)
{
    QString value = trim_blanks(line.mid(line.indexOf(u'=') + 1));
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value;
}

// The index of the first line of the section's body (after its header), or nothing.
std::optional<size_t> find_section(const IniLines& ini, const QString& section)
{
    for (size_t i = 0; i < ini.lines.size(); ++i) {
        const std::optional<QString> name = section_of(ini.lines[i]);
        if (name && SameText(*name, section))
            return i + 1;
    }
    return std::nullopt;
}

// The end of the section body that starts at begin: the next section's header or the
// end of the file.
size_t section_end(const IniLines& ini, size_t begin)
{
    size_t i = begin;
    while (i < ini.lines.size() && !section_of(ini.lines[i]))
        ++i;
    return i;
}

std::optional<size_t> find_key(const IniLines& ini, size_t begin, size_t end, const QString& ident)
{
    for (size_t i = begin; i < end; ++i) {
        const std::optional<QString> key = key_of(ini.lines[i]);
        if (key && SameText(*key, ident))
            return i;
    }
    return std::nullopt;
}

IniLines split_lines(const QString& text)
{
    IniLines ini;
    const qsizetype first_break = text.indexOf(u'\n');
    if (first_break > 0 && text[first_break - 1] == u'\r')
        ini.line_end = QStringLiteral("\r\n");
    TStringList lines;
    lines.SetText(text);
    ini.lines.reserve(static_cast<size_t>(lines.Count()));
    for (int i = 0; i < lines.Count(); ++i)
        ini.lines.push_back(lines.Strings(i));
    return ini;
}

// The file's lines; an empty file for one that does not exist, nothing for one that
// exists and cannot be read.
std::optional<IniLines> read_lines(const QString& file_name)
{
    if (!FileExists(file_name))
        return IniLines{};
    try {
        TMemoryStream bytes;
        bytes.LoadFromFile(file_name);
        const auto* data = static_cast<const std::byte*>(bytes.Memory());
        return split_lines(detail::decode_text({data, static_cast<size_t>(bytes.Size())}));
    } catch (const Exception&) {
        return std::nullopt;
    }
}

[[noreturn]] void write_error(const QString& file_name)
{
    throw EIniFileException(QStringLiteral("Unable to write to %1").arg(file_name));
}

bool write_all(HANDLE file, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD part = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, part, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return FlushFileBuffers(file) != FALSE;
}

// Writes the whole file into a new file beside it and puts that in its place, so the
// file is never seen half written.
void replace_file(const QString& file_name, const std::string& bytes)
{
    const std::string path = PathToUtf8(file_name);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = path + ".~" + std::to_string(attempt);
        const HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            write_error(file_name);
        }
        const bool written = write_all(file, bytes);
        CloseHandle(file);
        if (written && MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
            return;
        DeleteFileA(temporary.c_str());
        write_error(file_name);
    }
    write_error(file_name);
}

}

QString TIniFile::ReadString(const QString& section, const QString& ident,
                             const QString& fallback) const
{
    const std::optional<IniLines> ini = read_lines(m_file_name);
    QString value = fallback;
    if (ini) {
        if (const std::optional<size_t> begin = find_section(*ini, section)) {
            const size_t end = section_end(*ini, *begin);
            if (const std::optional<size_t> line = find_key(*ini, *begin, end, ident))
                value = value_of(ini->lines[*line]);
        }
    }
    return value.left(kMaxValueLength);
}

int32_t TIniFile::ReadInteger(const QString& section, const QString& ident, int32_t fallback) const
{
    const QString text = ReadString(section, ident, QString());
    int32_t value = 0;
    return TryStrToInt(text, value) ? value : fallback;
}

bool TIniFile::ReadBool(const QString& section, const QString& ident, bool fallback) const
{
    return ReadInteger(section, ident, fallback ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString& section, const QString& ident, const QString& value)
{
    std::optional<IniLines> ini = read_lines(m_file_name);
    if (!ini)
        write_error(m_file_name);
    const QString line = ident + u'=' + value;
    if (const std::optional<size_t> begin = find_section(*ini, section)) {
        const size_t end = section_end(*ini, *begin);
        if (const std::optional<size_t> existing = find_key(*ini, *begin, end, ident)) {
            ini->lines[*existing] = line;
        } else {
            // After the section's last line that is not blank.
            size_t at = end;
            while (at > *begin && trim_blanks(ini->lines[at - 1]).isEmpty())
                --at;
            ini->lines.insert(ini->lines.begin() + static_cast<std::ptrdiff_t>(at), line);
        }
    } else {
        ini->lines.push_back(u'[' + section + u']');
        ini->lines.push_back(line);
    }

    QString text;
    for (const QString& each : ini->lines) {
        text += each;
        text += ini->line_end;
    }
    replace_file(m_file_name, text.toStdString());
}

void TIniFile::WriteInteger(const QString& section, const QString& ident, int32_t value)
{
    WriteString(section, ident, IntToStr(value));
}

void TIniFile::WriteBool(const QString& section, const QString& ident, bool value)
{
    WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

}
