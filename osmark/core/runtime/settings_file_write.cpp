// Settings files: setting and removing entries and sections by rewriting the file from
// a backup copy.

#include "osmark/settings.h"

#include "core/runtime/make_error.h"
#include "core/runtime/settings_file_internal.h"
#include "osmark/directories.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/memory.h"
#include "osmark/owners.h"
#include "osmark/paths.h"

#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr char kLineEnd[] = "\r\n";

// A file handle closed at the end of the scope (unless closed before).
class OpenFile {
public:
    explicit OpenFile(FileHandle* fh) : m_fh(fh) {}
    ~OpenFile() { close(); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    FileHandle* get() const { return m_fh; }
    // Closes the file; false when it (or any write before) failed.
    bool close()
    {
        if (m_fh == nullptr)
            return true;
        const bool closed = Close(m_fh) != 0;
        m_fh = nullptr;
        return closed;
    }

private:
    FileHandle* m_fh;
};

// Text for a file: collected whole, so that a failing write is seen once, at the end.
class Output {
public:
    void line(std::string_view text)
    {
        m_text.append(text);
        m_text += kLineEnd;
    }
    void empty_line() { m_text += kLineEnd; }
    void header(std::string_view name)
    {
        m_text += '[';
        m_text.append(name);
        m_text += ']';
        m_text += kLineEnd;
    }
    // An entry: the key as given, then the value with backslash, LF, CR and TAB escaped.
    void entry(const char* key, const char* value)
    {
        m_text += key;
        m_text += '=';
        for (const char* c = value; *c != '\0'; ++c) {
            switch (*c) {
            case '\\': m_text += "\\\\"; break;
            case '\n': m_text += "\\n"; break;
            case '\r': m_text += "\\r"; break;
            case '\t': m_text += "\\t"; break;
            default: m_text += *c; break;
            }
        }
        m_text += kLineEnd;
    }

    // Writes the text to fh and closes it; false when anything failed.
    bool write_to(OpenFile& file) const
    {
        size_t done = 0;
        bool written = true;
        while (written && done < m_text.size()) {
            const auto chunk = static_cast<int32_t>(std::min<size_t>(m_text.size() - done, 1 << 20));
            written = Write(file.get(), m_text.data() + done, chunk) == chunk;
            done += static_cast<size_t>(chunk);
        }
        written = written && (file.get()->fh_Flags & FileFlagError) == 0;
        return file.close() && written;
    }

private:
    std::string m_text;
};

// Keys and section names that the file could not hold: a key that would read as a
// header or cut an entry, and anything with a line break, which would make two lines.
bool is_writable_key(const char* key)
{
    return key == nullptr || (key[0] != '[' && std::strpbrk(key, "=\r\n") == nullptr);
}

bool is_writable_section(const char* section)
{
    return section == nullptr || std::strpbrk(section, "]\r\n") == nullptr;
}

enum class SectionMode { Copy, Drop, Target };

// The rewrite: the backup's lines, tidied, with the entry set or removed.
void rewrite(FileHandle* backup, const char* section, const char* key, const char* value, Output& out)
{
    bool written = false;
    bool header_seen = false;
    SectionMode mode = SectionMode::Drop;
    // The end of the section being written: the new entry goes there if it is not in.
    auto end_target = [&] {
        if (!written && value != nullptr) {
            out.entry(key, value);
            written = true;
        }
    };
    std::string line;
    while (osmark::settings::read_line(backup, line)) {
        if (line.empty())
            continue;
        if (const std::optional<std::string_view> name = osmark::settings::header_name(line)) {
            if (mode == SectionMode::Target) {
                end_target();
                out.empty_line();
            }
            if (header_seen)
                out.empty_line();
            header_seen = true;
            if (!osmark::settings::same_name(*name, section)) {
                out.header(*name);
                mode = SectionMode::Copy;
            } else if (key == nullptr) {
                mode = SectionMode::Drop;
            } else {
                out.header(*name);
                mode = SectionMode::Target;
            }
            continue;
        }
        if (!header_seen || mode == SectionMode::Drop)
            continue;
        if (mode == SectionMode::Copy) {
            out.line(line);
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        if (!osmark::settings::same_name(std::string_view(line).substr(0, equals), key)) {
            out.line(line);
            continue;
        }
        if (value != nullptr)
            out.entry(key, value);
        written = true;
    }
    if (mode == SectionMode::Target)
        end_target();
    if (!written && key != nullptr && value != nullptr) {
        if (header_seen)
            out.empty_line();
        out.header(section);
        out.entry(key, value);
        out.empty_line();
    }
}

int32_t create_file(const std::string& path, const char* section, const char* key, const char* value)
{
    Output out;
    out.header(section);
    out.entry(key, value);
    out.empty_line();
    OpenFile file(Open(path.c_str(), FileModeWrite));
    if (file.get() == nullptr)
        return 0;
    if (out.write_to(file))
        return 1;
    // A new file that could not be written whole is not left behind half written.
    DeleteFile_(path.c_str());
    return 0;
}

// Rewrites an existing file through its backup. A failed write puts the file back
// from the backup; the backup goes only when the file is whole again.
int32_t rewrite_file(const std::string& path, const char* section, const char* key, const char* value)
{
    const osmark::StringOwner backup_owner(ChangeFileExt(path.c_str(), "bak"));
    const char* backup_name = backup_owner.get();
    // A "*.bak" file would be its own backup's name: BackupFile makes a numbered copy
    // then, and the rewrite would read the file it truncates.
    if (backup_name == nullptr || FileNameCmp(backup_name, path.c_str()) == 0)
        return 0;
    if (!BackupFile(path.c_str(), 1))
        return 0;
    OpenFile backup(Open(backup_name, FileModeRead));
    if (backup.get() == nullptr)
        return 0;
    Output out;
    try {
        rewrite(backup.get(), section, key, value, out);
    } catch (...) {
        backup.close();
        DeleteFile_(backup_name);
        osmark::set_io_error(IoErrNoMemory);
        return 0;
    }
    // A backup that could not be read whole must not become the file.
    const bool read_whole = (backup.get()->fh_Flags & FileFlagError) == 0;
    backup.close();
    if (!read_whole) {
        DeleteFile_(backup_name);
        osmark::set_io_error(IoErrBadIO);
        return 0;
    }
    OpenFile file(Open(path.c_str(), FileModeWrite));
    if (file.get() == nullptr)
        return 0;
    if (out.write_to(file)) {
        DeleteFile_(backup_name);
        return 1;
    }
    const IoErrCode failure = IoErr();
    if (Copy(backup_name, path.c_str(), 0))
        DeleteFile_(backup_name);
    SetIoErr(failure);
    return 0;
}

}

extern "C" {

OSMARK_API int32_t WriteEnvString(const char* file, const char* section, const char* key,
                                  const char* value) noexcept
{
    if (file == nullptr || !is_writable_key(key) || !is_writable_section(section))
        return 0;
    try {
        const std::optional<std::string> path = osmark::settings::locate(file);
        if (!path)
            return 0;
        if (Access(path->c_str(), 0) != 0) {
            if (section != nullptr && key != nullptr && value != nullptr)
                return create_file(*path, section, key, value);
            return 1;
        }
        if (section == nullptr) {
            DeleteFile_(path->c_str());
            return 1;
        }
        return rewrite_file(*path, section, key, value);
    } catch (...) {
        osmark::set_io_error(IoErrNoMemory);
        return 0;
    }
}

}
