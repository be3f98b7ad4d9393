// Settings files: locating them and reading values, key lists and section lists.

#include "osmark/settings.h"

#include "core/runtime/make_error.h"
#include "core/runtime/settings_file_internal.h"
#include "osmark/assigns.h"
#include "osmark/format.h"
#include "osmark/library.h"
#include "osmark/locale.h"
#include "osmark/memory.h"
#include "osmark/owners.h"
#include "osmark/paths.h"
#include "osmark/strings.h"
#include "osmark/versions.h"

#include <cstring>

namespace {

constexpr uint32_t kPathSize = 512;
// FGets reads a line in pieces of at most this many bytes.
constexpr int32_t kLinePieceSize = 2048;
// A line longer than this is not joined further (a file without line ends cannot
// make the reader hold all of it).
constexpr size_t kMaxLineLength = size_t{16} << 20;

// Strings from AllocStr released at the end of the scope.
struct OwnedString {
    char* text;
    ~OwnedString() { FreeStr(text); }
};

bool has_drive_part(const char* name)
{
    const OwnedString drive{ExtractFileDrive(name)};
    return drive.text != nullptr && drive.text[0] != '\0';
}

// On this platform a path that begins with '/' starts at the root: it is a whole path
// of its own, as one with a drive is.
bool is_rooted(const char* name)
{
    const char* separators = GetSystemLocale()->loc_PathSeparators;
    if (separators == nullptr || separators[0] != '/')
        return false;
    const OwnedString expanded{AllocExpandedPath(name)};
    return expanded.text != nullptr && expanded.text[0] == '/';
}

std::optional<std::string> search(const char* name)
{
    char program_dir[kPathSize] = {};
    GetProgramDir(program_dir, sizeof program_dir);
    char list[kPathSize];
    if (SnPrintf(list, sizeof list, "%s;%s", program_dir, "ENV:") >= static_cast<int32_t>(sizeof list))
        return std::nullopt;
    const OwnedString found{FileSearch(name, list, "env")};
    if (found.text != nullptr)
        return std::string(found.text);
    char path[kPathSize] = "ENV:";
    if (!AddPart(path, name, sizeof path))
        return std::nullopt;
    return std::string(path);
}

// Resolves the escapes of a value: \\ \n \r \t; a backslash before anything else is
// dropped, as is one at the end.
std::string unescape(std::string_view text)
{
    std::string value;
    value.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            value += text[i];
            continue;
        }
        if (++i == text.size())
            break;
        switch (text[i]) {
        case 'n': value += '\n'; break;
        case 'r': value += '\r'; break;
        case 't': value += '\t'; break;
        default: value += text[i]; break;
        }
    }
    return value;
}

enum class ReadMode { Value, Keys, Sections };

// A line that is neither a section header nor "key=value", nor blank, is damage. The
// reader passes over it (the default stands), so it is only traced.
void trace_damaged_line(std::string_view line)
{
    if (line.find_first_not_of(" \t\r\n") != std::string_view::npos)
        osmark::make_error(IoErrObjectInvalid);
}

// Reads the answer of one mode; nothing when a value was not found (the default
// stands).
std::optional<std::string> read_answer(FileHandle* fh, ReadMode mode, const char* section, const char* key)
{
    std::string line;
    std::string list;
    bool in_section = false;
    bool list_done = false;
    while (!list_done && osmark::settings::read_line(fh, line)) {
        if (const std::optional<std::string_view> name = osmark::settings::header_name(line)) {
            if (mode == ReadMode::Sections) {
                list.append(name->data(), name->size());
                list += '\0';
                continue;
            }
            // The key list covers the first section of the name only.
            if (mode == ReadMode::Keys && in_section)
                list_done = true;
            in_section = osmark::settings::same_name(*name, section);
            continue;
        }
        if (!in_section || mode == ReadMode::Sections)
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            trace_damaged_line(line);
            continue;
        }
        const std::string_view entry_key(line.data(), equals);
        if (mode == ReadMode::Keys) {
            list.append(entry_key);
            list += '\0';
        } else if (osmark::settings::same_name(entry_key, key)) {
            return unescape(std::string_view(line).substr(equals + 1));
        }
    }
    if (mode == ReadMode::Value)
        return std::nullopt;
    return list;
}

}

namespace osmark::settings {

std::optional<std::string> locate(const char* name)
{
    std::optional<std::string> path;
    if (has_drive_part(name) || is_rooted(name))
        path = name;
    else
        path = search(name);
    if (path && path->size() >= kPathSize)
        return std::nullopt;
    if (path && path->find('.') == std::string::npos)
        *path += ".env";
    return path;
}

bool read_line(FileHandle* fh, std::string& line)
{
    char piece[kLinePieceSize];
    if (FGets(fh, piece, sizeof piece) == nullptr)
        return false;
    line.assign(piece);
    // A piece that filled the buffer was cut: the next call goes on with the same line
    // (an empty piece is then the line's end itself).
    size_t last = line.size();
    while (last == sizeof piece - 1 && line.size() < kMaxLineLength) {
        if (FGets(fh, piece, sizeof piece) == nullptr)
            break;
        last = std::strlen(piece);
        line.append(piece, last);
    }
    return true;
}

std::optional<std::string_view> header_name(std::string_view line)
{
    if (line.empty() || line[0] != '[')
        return std::nullopt;
    const size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return line.substr(1, close - 1);
}

bool same_name(std::string_view a, const char* b)
{
    const std::string text(a);
    return StriCmp(text.c_str(), b) == 0;
}

}

extern "C" {

OSMARK_API int32_t ReadEnvString(const char* file, const char* section, const char* key,
                                 const char* default_value, char* buffer, int32_t size) noexcept
{
    const bool has_buffer = buffer != nullptr && size > 0;
    if (default_value == nullptr)
        default_value = "";
    const int32_t default_length = StrLen(default_value);
    if (has_buffer) {
        StrnCpy(buffer, default_value, size - 1);
        buffer[size - 1] = '\0';
    }
    if (file == nullptr)
        return default_length;
    try {
        const std::optional<std::string> path = osmark::settings::locate(file);
        if (!path)
            return default_length;
        const osmark::StreamOwner stream(Open(path->c_str(), FileModeRead));
        if (stream == nullptr)
            return default_length;
        const ReadMode mode = section == nullptr ? ReadMode::Sections
                              : key == nullptr   ? ReadMode::Keys
                                                 : ReadMode::Value;
        std::optional<std::string> answer;
        try {
            answer = read_answer(stream.get(), mode, section, key);
        } catch (...) {
            answer.reset();
        }
        if (!answer)
            return default_length;
        if (answer->size() >= INT32_MAX)
            return default_length;
        // The answer and its final NUL, cut to the buffer and then still terminated.
        const size_t count = answer->size() + 1;
        if (has_buffer) {
            const size_t copied = std::min(count, static_cast<size_t>(size));
            std::memcpy(buffer, answer->c_str(), copied);
            if (count > static_cast<size_t>(size))
                buffer[size - 1] = '\0';
        }
        return static_cast<int32_t>(count - 1);
    } catch (...) {
        return default_length;
    }
}

}
