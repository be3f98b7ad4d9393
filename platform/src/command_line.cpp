#include "platform/kernel.h"
#include "platform/process_support.h"

#include "command_line_split.h"

#include <QtCore/QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool needs_quotes(std::string_view argument)
{
    return argument.empty() || argument.find_first_of(" \t\"") != std::string_view::npos;
}

// Writes a line into a caller's buffer of size bytes (none when buffer is NULL or size
// is 0) while counting its full length: what does not fit is counted and dropped.
class LineWriter {
public:
    LineWriter(char* buffer, size_t size) : m_buffer(size != 0 ? buffer : nullptr), m_size(size) {}

    void put(char c, size_t count = 1)
    {
        for (size_t i = 0; i < count; ++i) {
            if (m_buffer != nullptr && m_length + 1 < m_size)
                m_buffer[m_length] = c;
            ++m_length;
        }
    }
    void put(std::string_view text)
    {
        for (const char c : text)
            put(c);
    }
    // Terminates what was written; returns the full length.
    size_t finish()
    {
        if (m_buffer != nullptr)
            m_buffer[m_length < m_size ? m_length : m_size - 1] = '\0';
        return m_length;
    }

private:
    char* m_buffer;
    size_t m_size;
    size_t m_length = 0;
};

// Quotes one argument so that Win32's command-line splitting gives it back unchanged:
// backslashes are literal except before a double quote, where they double.
void put_quoted(LineWriter& line, std::string_view argument)
{
    if (!needs_quotes(argument)) {
        line.put(argument);
        return;
    }
    line.put('"');
    size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        line.put('\\', c == '"' ? backslashes * 2 + 1 : backslashes);
        backslashes = 0;
        line.put(c);
    }
    line.put('\\', backslashes * 2);
    line.put('"');
}

struct FileCloser {
    void operator()(FILE* file) const noexcept { std::fclose(file); }
};

std::vector<std::string> read_process_arguments()
{
    std::vector<std::string> arguments;
    const std::unique_ptr<FILE, FileCloser> file(std::fopen("/proc/self/cmdline", "rb"));
    if (file == nullptr)
        return arguments;
    std::string current;
    int c;
    while ((c = std::fgetc(file.get())) != EOF) {
        if (c == '\0') {
            arguments.push_back(std::move(current));
            current.clear();
        } else {
            current += static_cast<char>(c);
        }
    }
    if (!current.empty())
        arguments.push_back(std::move(current));
    return arguments;
}

// The command line is made once and kept for the life of the process; callers may
// change it in place, as they may on Win32. Never freed, so that it outlives every
// library's shut-down.
char* g_command_line = nullptr;
std::once_flag g_command_line_once;

void make_command_line()
{
    const std::vector<std::string> arguments = read_process_arguments();
    std::vector<const char*> pointers;
    pointers.reserve(arguments.size());
    for (const std::string& argument : arguments)
        pointers.push_back(argument.c_str());
    const size_t needed = platform_build_command_line(pointers.data(), pointers.size(), nullptr, 0);
    g_command_line = static_cast<char*>(std::malloc(needed + 1));
    if (g_command_line != nullptr)
        platform_build_command_line(pointers.data(), pointers.size(), g_command_line, needed + 1);
}

// The UTF-16 form, made once from the 8-bit line as it was first built.
WCHAR* g_wide_command_line = nullptr;
std::once_flag g_wide_command_line_once;

void make_wide_command_line()
{
    std::call_once(g_command_line_once, make_command_line);
    if (g_command_line == nullptr)
        return;
    const QString line = QString::fromUtf8(g_command_line);
    const size_t units = static_cast<size_t>(line.size());
    g_wide_command_line = static_cast<WCHAR*>(std::malloc((units + 1) * sizeof(WCHAR)));
    if (g_wide_command_line == nullptr)
        return;
    std::memcpy(g_wide_command_line, line.utf16(), units * sizeof(WCHAR));
    g_wide_command_line[units] = 0;
}

}

namespace platform {

namespace {

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

// The program: to the next blank, or between double quotes.
std::string take_program(std::string_view line, size_t& position)
{
    if (line[position] == '"') {
        const size_t end = line.find('"', position + 1);
        const size_t stop = end == std::string_view::npos ? line.size() : end;
        std::string program(line.substr(position + 1, stop - position - 1));
        position = end == std::string_view::npos ? line.size() : end + 1;
        return program;
    }
    const size_t start = position;
    while (position < line.size() && !is_blank(line[position]))
        ++position;
    return std::string(line.substr(start, position - start));
}

std::string take_argument(std::string_view line, size_t& position)
{
    std::string argument;
    bool quoted = false;
    while (position < line.size()) {
        const char c = line[position];
        if (is_blank(c) && !quoted)
            break;
        if (c == '\\') {
            size_t backslashes = 0;
            while (position < line.size() && line[position] == '\\') {
                ++backslashes;
                ++position;
            }
            if (position < line.size() && line[position] == '"') {
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2 != 0) {
                    argument += '"';
                    ++position;
                }
            } else {
                argument.append(backslashes, '\\');
            }
            continue;
        }
        if (c == '"') {
            if (quoted && position + 1 < line.size() && line[position + 1] == '"') {
                argument += '"';
                position += 2;
                continue;
            }
            quoted = !quoted;
            ++position;
            continue;
        }
        argument += c;
        ++position;
    }
    return argument;
}

}

std::vector<std::string> split_command_line(std::string_view line)
{
    std::vector<std::string> arguments;
    size_t position = 0;
    while (position < line.size() && is_blank(line[position]))
        ++position;
    if (position == line.size())
        return arguments;
    arguments.push_back(take_program(line, position));
    for (;;) {
        while (position < line.size() && is_blank(line[position]))
            ++position;
        if (position == line.size())
            return arguments;
        arguments.push_back(take_argument(line, position));
    }
}

}

extern "C" {

PLATFORM_API size_t platform_build_command_line(const char* const* arguments, size_t count,
                                                char* buffer, size_t size) noexcept
{
    // Written straight into the caller's buffer: building the line cannot fail.
    LineWriter line(buffer, size);
    for (size_t i = 0; i < count; ++i) {
        if (i != 0)
            line.put(' ');
        put_quoted(line, arguments[i] != nullptr ? arguments[i] : "");
    }
    return line.finish();
}

PLATFORM_API LPSTR GetCommandLineA(void) noexcept
{
    static char empty_line[1] = "";
    try {
        std::call_once(g_command_line_once, make_command_line);
    } catch (const std::bad_alloc&) {
        // The once flag stays unset: a later call tries again.
        return empty_line;
    }
    return g_command_line != nullptr ? g_command_line : empty_line;
}

PLATFORM_API LPWSTR GetCommandLineW(void) noexcept
{
    static WCHAR empty_line[1] = {0};
    try {
        std::call_once(g_wide_command_line_once, make_wide_command_line);
    } catch (const std::bad_alloc&) {
        return empty_line;
    }
    return g_wide_command_line != nullptr ? g_wide_command_line : empty_line;
}

}
