// Path-name arithmetic over the separator sets of the live locale.

#include "osmark/paths.h"

#include "core/runtime/make_error.h"
#include "osmark/assigns.h"
#include "osmark/directories.h"
#include "osmark/errors.h"
#include "osmark/locale.h"
#include "osmark/memory.h"
#include "osmark/strings.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Separators {
    const char* volume;
    const char* path;
    const char* extension;
    bool root_after_volume;

    char canonical_volume() const { return volume[0] != '\0' ? volume[0] : ':'; }
    char canonical_path() const { return path[0] != '\0' ? path[0] : '/'; }
    char canonical_extension() const { return extension[0] != '\0' ? extension[0] : '.'; }
};

const char* or_empty(const char* s)
{
    return s != nullptr ? s : "";
}

Separators separators()
{
    const Locale* locale = GetSystemLocale();
    return {or_empty(locale->loc_VolumeSeparators), or_empty(locale->loc_PathSeparators),
            or_empty(locale->loc_ExtensionSeparators), locale->loc_RootAfterVolume != 0};
}

bool in_set(const char* set, char c)
{
    return c != '\0' && std::strchr(set, c) != nullptr;
}

// True when the byte at index is a character of its own, not the second byte of a
// double-byte character.
bool is_single_byte_at(const char* s, int32_t index)
{
    return GetSystemLocale()->loc_MultiByte == 0 || ByteType(s, index) == 0;
}

bool is_separator_at(const char* set, const char* s, int32_t index)
{
    return index >= 0 && in_set(set, s[index]) && is_single_byte_at(s, index);
}

char* new_string(std::string_view text)
{
    char* copy = AllocStr(static_cast<uint32_t>(text.size()), nullptr);
    if (copy == nullptr)
        return nullptr;
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

// The index of the last volume or path separator; -1 when there is none.
int32_t last_volume_or_path_separator(const char* path, const Separators& seps)
{
    // The last of either kind, without joining the two sets into a new string.
    return std::max(LastDelimiter(seps.volume, path), LastDelimiter(seps.path, path));
}

enum class ShareWithoutEnd { WholePath, NoDrive };

// Length of the drive part: up to the last volume separator, or the "\\server\share"
// of a path that starts with two path separators.
int32_t drive_part_length(const char* path, const Separators& seps, ShareWithoutEnd rule)
{
    const int32_t volume = LastDelimiter(seps.volume, path);
    if (volume >= 0)
        return volume + 1;
    const int32_t length = static_cast<int32_t>(std::strlen(path));
    if (length < 2 || !is_separator_at(seps.path, path, 0) || !is_separator_at(seps.path, path, 1))
        return 0;
    int32_t separators_seen = 0;
    for (int32_t i = 2; i < length; ++i) {
        if (is_separator_at(seps.path, path, i) && ++separators_seen == 2)
            return i;
    }
    return rule == ShareWithoutEnd::WholePath ? length : 0;
}

// The index of the extension separator that starts the extension: the last one, when
// no volume or path separator follows it; -1 otherwise.
int32_t extension_start(const char* path, const Separators& seps)
{
    const int32_t dot = LastDelimiter(seps.extension, path);
    if (dot < 0)
        return -1;
    return last_volume_or_path_separator(path, seps) > dot ? -1 : dot;
}

void canonicalise(char* path, const char* set)
{
    if (set[0] == '\0')
        return;
    for (int32_t i = 0; path[i] != '\0'; ++i) {
        if (in_set(set, path[i]) && is_single_byte_at(path, i))
            path[i] = set[0];
    }
}

// Appends characters while room is left (one byte always kept for the terminator);
// counts every character either way.
class BoundedWriter {
public:
    BoundedWriter(char* buffer, int32_t size) : m_buffer(buffer), m_size(buffer != nullptr ? size : 0) {}

    void put(char c)
    {
        if (m_buffer != nullptr && m_needed < m_size - 1)
            m_buffer[m_needed] = c;
        ++m_needed;
    }
    bool fitted() const { return m_buffer != nullptr && m_needed < m_size; }
    int32_t needed() const { return m_needed + 1; }
    void terminate() { m_buffer[m_needed] = '\0'; }

private:
    char* m_buffer;
    int32_t m_size;
    int32_t m_needed = 0;
};

}

extern "C" {

OSMARK_API int32_t IsDelimiter(const char* delimiters, const char* s, int32_t index) noexcept
{
    if (delimiters == nullptr || s == nullptr || index < 0)
        return 0;
    const int32_t length = static_cast<int32_t>(std::strlen(s));
    if (index > length - 1)
        return 0;
    return is_separator_at(delimiters, s, index) ? 1 : 0;
}

OSMARK_API int32_t LastDelimiter(const char* delimiters, const char* s) noexcept
{
    if (delimiters == nullptr || s == nullptr)
        return osmark::make_error(-1);
    int32_t last = -1;
    for (int32_t i = 0; s[i] != '\0'; ++i) {
        if (IsLeadByte(static_cast<uint8_t>(s[i])) && s[i + 1] != '\0') {
            ++i; // the second byte of a double-byte character is never a delimiter
            continue;
        }
        if (in_set(delimiters, s[i]))
            last = i;
    }
    return last;
}

OSMARK_API char* FilePart(const char* path) noexcept
{
    if (path == nullptr)
        return nullptr;
    const int32_t last = last_volume_or_path_separator(path, separators());
    if (last <= 0)
        return const_cast<char*>(path);
    return const_cast<char*>(path + last + 1);
}

OSMARK_API char* PathPart(const char* path) noexcept
{
    char* file = FilePart(path);
    if (file == nullptr || file == path)
        return file;
    const Separators seps = separators();
    if (is_separator_at(seps.path, path, static_cast<int32_t>(file - path - 1)))
        return file - 1;
    return file;
}

OSMARK_API char* NormalisePath(char* path) noexcept
{
    if (path == nullptr)
        return nullptr;
    try {
        const Separators seps = separators();
        canonicalise(path, seps.volume);
        canonicalise(path, seps.path);
        canonicalise(path, seps.extension);
        const char separator = seps.canonical_path();
        const int32_t length = static_cast<int32_t>(std::strlen(path));

        // Components in order; every one but the last is followed by a separator. A
        // component followed by a separator that is "." goes; one that is ".." takes the
        // component before it along (components are resolved left to right, so
        // "a\b\c\..\..\d" gives "a\d"). A separator, "." or ".." and a separator at
        // the very start of the path go as well.
        bool leading = length > 0 && path[0] == separator && is_single_byte_at(path, 0);
        std::vector<std::string_view> kept;
        int32_t start = leading ? 1 : 0;
        for (int32_t i = start; i <= length; ++i) {
            const bool at_separator =
                i < length && path[i] == separator && is_single_byte_at(path, i);
            if (i < length && !at_separator)
                continue;
            const std::string_view component(path + start, static_cast<size_t>(i - start));
            start = i + 1;
            if (!at_separator) {
                kept.push_back(component);
                break;
            }
            if (component == ".") {
                if (kept.empty() && leading)
                    leading = false;
                else if (!kept.empty())
                    continue;
                else
                    kept.push_back(component);
                continue;
            }
            if (component == "..") {
                if (!kept.empty() && kept.back() != "..") {
                    kept.pop_back();
                    continue;
                }
                if (kept.empty() && leading) {
                    leading = false;
                    continue;
                }
            }
            kept.push_back(component);
        }
        std::string result;
        result.reserve(static_cast<size_t>(length));
        if (leading)
            result += separator;
        for (size_t k = 0; k < kept.size(); ++k) {
            if (k != 0)
                result += separator;
            result += kept[k];
        }
        std::memcpy(path, result.c_str(), result.size() + 1);
        return path;
    } catch (const std::bad_alloc&) {
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
}

OSMARK_API int32_t AddPart(char* path, const char* component, uint32_t size) noexcept
{
    if (path == nullptr || component == nullptr || component[0] == '\0' || size < 1)
        return 0;
    const Separators seps = separators();
    size_t length = std::strlen(path);
    // A path that is only the root keeps its separator: "/" and "etc" give "/etc".
    const bool root_only = length == 1 && is_separator_at(seps.path, path, 0);
    if (!root_only && length > 0 && is_separator_at(seps.path, path, static_cast<int32_t>(length - 1)))
        path[--length] = '\0';
    const size_t component_length = std::strlen(component);
    if (drive_part_length(component, seps, ShareWithoutEnd::WholePath) > 0) {
        // A component with a drive or a server part is a whole path of its own: it
        // replaces the path as it stands, leading separators ("\\srv\share") kept.
        path[0] = '\0';
        if (component_length + 2 > size)
            return 0;
        std::memcpy(path, component, component_length + 1);
        return 1;
    }
    if (length + component_length + 2 > size)
        return 0;
    if (length > 0 && !root_only)
        path[length++] = seps.canonical_path();
    if (in_set(seps.path, component[0]))
        ++component;
    std::memcpy(path + length, component, std::strlen(component) + 1);
    return 1;
}

OSMARK_API int32_t SplitName(const char* name, int32_t separator, char* buffer, int32_t position,
                             int32_t size) noexcept
{
    if (name == nullptr || position < 0)
        return osmark::make_error(-1);
    const int32_t length = static_cast<int32_t>(std::strlen(name));
    if (position > length)
        return -1;
    if (name[position] == separator && separator != '\0')
        ++position;
    int32_t end = position;
    while (name[end] != '\0' && name[end] != separator)
        ++end;
    const bool has_separator = name[end] != '\0';
    const int32_t component_end = has_separator ? end + 1 : end;
    if (buffer != nullptr && size > 0) {
        const int32_t copied = std::min(component_end - position, size - 1);
        std::memcpy(buffer, name + position, static_cast<size_t>(copied));
        buffer[copied] = '\0';
    }
    return has_separator ? component_end : -1;
}

OSMARK_API void SplitPath(const char* path, char* drive, char* dir, char* name, char* ext) noexcept
{
    for (char* buffer : {drive, dir, name, ext}) {
        if (buffer != nullptr)
            buffer[0] = '\0';
    }
    if (path == nullptr)
        return;
    const Separators seps = separators();
    const int32_t drive_length = drive_part_length(path, seps, ShareWithoutEnd::NoDrive);
    if (drive != nullptr) {
        std::memcpy(drive, path, static_cast<size_t>(drive_length));
        drive[drive_length] = '\0';
    }
    const char* rest = path + drive_length;
    const int32_t last_separator = LastDelimiter(seps.path, rest);
    const char* file = rest;
    if (last_separator >= 0) {
        const char* dir_start = rest;
        if (in_set(seps.path, dir_start[0]))
            ++dir_start;
        file = rest + last_separator + 1;
        if (dir != nullptr && file > dir_start) {
            std::memcpy(dir, dir_start, static_cast<size_t>(file - dir_start));
            dir[file - dir_start] = '\0';
        }
    }
    const int32_t dot = LastDelimiter(seps.extension, file);
    const size_t name_length = dot >= 0 ? static_cast<size_t>(dot) : std::strlen(file);
    if (name != nullptr) {
        std::memcpy(name, file, name_length);
        name[name_length] = '\0';
    }
    if (ext != nullptr && dot >= 0)
        std::strcpy(ext, file + dot);
}

OSMARK_API int32_t MakePath(char* buffer, int32_t size, const char* volume, const char* dir,
                            const char* name, const char* ext) noexcept
{
    const Separators seps = separators();
    BoundedWriter out(buffer, size);
    const bool has_volume = volume != nullptr && volume[0] != '\0';
    if (has_volume) {
        for (const char* c = volume; *c != '\0' && !in_set(seps.volume, *c); ++c)
            out.put(*c);
        out.put(seps.canonical_volume());
        if (seps.root_after_volume)
            out.put(seps.canonical_path());
    }
    if (dir != nullptr && dir[0] != '\0') {
        const char* text = dir;
        if (has_volume) {
            const int32_t volume_end = LastDelimiter(seps.volume, dir);
            text = dir + volume_end + 1;
            if (in_set(seps.path, text[0]))
                ++text;
        }
        for (const char* c = text; *c != '\0'; ++c)
            out.put(*c);
        const size_t length = std::strlen(dir);
        if (length == 0 || !in_set(seps.path, dir[length - 1]))
            out.put(seps.canonical_path());
    }
    const bool has_ext = ext != nullptr && ext[0] != '\0';
    if (name != nullptr && name[0] != '\0') {
        const int32_t last_separator = LastDelimiter(seps.path, name);
        const char* text = name + last_separator + 1;
        for (const char* c = text; *c != '\0'; ++c) {
            if (has_ext && in_set(seps.extension, *c))
                break;
            out.put(*c);
        }
    }
    if (has_ext) {
        out.put(seps.canonical_extension());
        const char* text = ext + LastDelimiter(seps.extension, ext) + 1;
        for (const char* c = text; *c != '\0'; ++c) {
            if (!in_set(seps.path, *c) && !in_set(seps.extension, *c))
                out.put(*c);
        }
    }
    if (out.fitted()) {
        out.terminate();
        NormalisePath(buffer);
    } else if (buffer != nullptr && size > 0) {
        buffer[0] = '\0';
    }
    return out.needed();
}

OSMARK_API char* ExtractFilePath(const char* path) noexcept
{
    if (path == nullptr)
        return new_string("");
    const int32_t last = last_volume_or_path_separator(path, separators());
    return new_string(std::string_view(path, static_cast<size_t>(last + 1)));
}

OSMARK_API char* ExtractFileDir(const char* path) noexcept
{
    if (path == nullptr)
        return new_string("");
    const int32_t last = last_volume_or_path_separator(path, separators());
    return new_string(std::string_view(path, static_cast<size_t>(last < 0 ? 0 : last)));
}

OSMARK_API char* ExtractFileDrive(const char* path) noexcept
{
    char* expanded = AllocExpandedPath(path);
    if (expanded == nullptr)
        return nullptr;
    const int32_t length = drive_part_length(expanded, separators(), ShareWithoutEnd::WholePath);
    char* drive = new_string(std::string_view(expanded, static_cast<size_t>(length)));
    FreeExpandedPath(expanded);
    return drive;
}

OSMARK_API char* ExtractFileName(const char* path) noexcept
{
    if (path == nullptr)
        return new_string("");
    const int32_t last = last_volume_or_path_separator(path, separators());
    return new_string(path + last + 1);
}

OSMARK_API char* ExtractFileExt(const char* path) noexcept
{
    if (path == nullptr)
        return new_string("");
    const int32_t dot = extension_start(path, separators());
    return new_string(dot < 0 ? "" : path + dot + 1);
}

OSMARK_API char* ChangeFileExt(const char* path, const char* ext) noexcept
{
    try {
        if (path == nullptr)
            path = "";
        const Separators seps = separators();
        const int32_t dot = extension_start(path, seps);
        std::string result(path, dot < 0 ? std::strlen(path) : static_cast<size_t>(dot));
        if (ext != nullptr && ext[0] != '\0') {
            if (!in_set(seps.extension, ext[0]))
                result += seps.canonical_extension();
            result += ext;
        }
        return new_string(result);
    } catch (const std::bad_alloc&) {
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
}

OSMARK_API char* ExpandFileName(const char* name) noexcept
{
    if (name == nullptr || name[0] == '\0')
        return nullptr;
    char* expanded = AllocExpandedPath(name);
    if (expanded == nullptr)
        return nullptr;
    const Separators seps = separators();
    // A name with a drive stands as it is; so does one from the root where a leading
    // separator is the root (the Linux conventions, "/tmp/x"). Under the Windows
    // conventions "\x" is the current drive's root and joins the current directory.
    const bool rooted = seps.canonical_path() == '/' && is_separator_at(seps.path, expanded, 0);
    if (rooted || drive_part_length(expanded, seps, ShareWithoutEnd::WholePath) > 0)
        return expanded;
    char* current = GetCurrentDirName();
    if (current == nullptr) {
        FreeExpandedPath(expanded);
        return nullptr;
    }
    const size_t size = std::strlen(current) + std::strlen(expanded) + 2;
    char* joined = AllocStr(static_cast<uint32_t>(size), nullptr);
    if (joined != nullptr) {
        std::strcpy(joined, current);
        AddPart(joined, expanded, static_cast<uint32_t>(size));
    }
    FreeVec(current);
    FreeExpandedPath(expanded);
    return joined;
}

OSMARK_API char* ExpandUNCFileName(const char* name) noexcept
{
    // Drives are never network connections here, so no drive has a network name and
    // the expanded name stands as it is.
    return ExpandFileName(name);
}

OSMARK_API int32_t FileNameCmp(const char* a, const char* b) noexcept
{
    char* first = AllocExpandedPath(a);
    char* second = AllocExpandedPath(b);
    if (first == nullptr || second == nullptr) {
        FreeExpandedPath(first);
        FreeExpandedPath(second);
        osmark::set_io_error(IoErrNoMemory);
        return -1;
    }
    const Separators seps = separators();
    for (char* name : {first, second}) {
        NormalisePath(name);
        const size_t length = std::strlen(name);
        if (length > 0 && in_set(seps.path, name[length - 1]))
            name[length - 1] = '\0';
    }
    const int32_t result = StriCmp(first, second);
    FreeExpandedPath(first);
    FreeExpandedPath(second);
    return result;
}

}
