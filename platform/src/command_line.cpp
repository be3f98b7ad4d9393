#include "platform/kernel.h"
#include "platform/process_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

bool needs_quotes(std::string_view argument)
{
    return argument.empty() || argument.find_first_of(" \t\"") != std::string_view::npos;
}

// Quotes one argument so that Win32's command-line splitting gives it back unchanged:
// backslashes are literal except before a double quote, where they double.
void append_quoted(std::string& line, std::string_view argument)
{
    if (!needs_quotes(argument)) {
        line += argument;
        return;
    }
    line += '"';
    size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            line.append(backslashes * 2 + 1, '\\');
        else
            line.append(backslashes, '\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, '\\');
    line += '"';
}

std::vector<std::string> read_process_arguments()
{
    std::vector<std::string> arguments;
    FILE* file = std::fopen("/proc/self/cmdline", "rb");
    if (file == nullptr)
        return arguments;
    std::string current;
    int c;
    while ((c = std::fgetc(file)) != EOF) {
        if (c == '\0') {
            arguments.push_back(std::move(current));
            current.clear();
        } else {
            current += static_cast<char>(c);
        }
    }
    if (!current.empty())
        arguments.push_back(std::move(current));
    std::fclose(file);
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

}

extern "C" {

PLATFORM_API size_t platform_build_command_line(const char* const* arguments, size_t count,
                                                char* buffer, size_t size) noexcept
{
    std::string line;
    for (size_t i = 0; i < count; ++i) {
        if (i != 0)
            line += ' ';
        append_quoted(line, arguments[i] != nullptr ? arguments[i] : "");
    }
    if (buffer != nullptr && size != 0) {
        const size_t copied = line.size() < size ? line.size() : size - 1;
        std::memcpy(buffer, line.data(), copied);
        buffer[copied] = '\0';
    }
    return line.size();
}

PLATFORM_API LPSTR GetCommandLineA(void) noexcept
{
    std::call_once(g_command_line_once, make_command_line);
    static char empty_line[1] = "";
    return g_command_line != nullptr ? g_command_line : empty_line;
}

}
