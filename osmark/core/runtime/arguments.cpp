// The program's argument string, directory and file name, taken once at start-up.

#include "core/runtime/startup_steps.h"
#include "osmark/library.h"
#include "osmark/memory.h"
#include "osmark/strings.h"
#include "osmark/testing.h"
#include "platform/kernel.h"

#include <cstring>

namespace {

constexpr uint32_t kProgramDirSize = 512;

char* g_argument_string = nullptr;
char g_program_dir[kProgramDirSize] = "";

// Where the arguments begin: after the quoted program name, or after the first blank
// or tab that ends an unquoted one; NULL when nothing follows the name.
char* arguments_of(char* line)
{
    if (line == nullptr)
        return nullptr;
    if (line[0] == '"') {
        char* closing = std::strchr(line + 1, '"');
        return closing != nullptr ? closing + 1 : nullptr;
    }
    char* separator = std::strpbrk(line, " \t");
    return separator != nullptr ? separator + 1 : nullptr;
}

char* make_argument_string(char* line)
{
    char* arguments = arguments_of(line);
    if (arguments == nullptr)
        return AllocStr(0, nullptr);
    // Stripped in place, so later readers of the command line see the arguments
    // without their outer white space too.
    return AllocStr(0, StrStrip(arguments, 'B'));
}

void free_argument_string()
{
    FreeStr(g_argument_string);
    g_argument_string = nullptr;
}

void keep_program_dir()
{
}

}

namespace osmark {

void InitialiseArgStr()
{
    AddExitProc(&LibraryExitList, free_argument_string);
    g_argument_string = make_argument_string(GetCommandLineA());
}

void InitialiseProgramDir()
{
    AddExitProc(&LibraryExitList, keep_program_dir);
    char path[kProgramDirSize];
    const DWORD length = GetModuleFileNameA(nullptr, path, kProgramDirSize);
    // A path cut to the buffer names no real folder: keep the directory empty then.
    if (length == 0 || length >= kProgramDirSize)
        return;
    char* last_separator = nullptr;
    for (char* c = path; *c != '\0'; ++c) {
        if (*c == '/' || *c == '\\')
            last_separator = c;
    }
    if (last_separator == nullptr)
        return;
    *last_separator = '\0';
    std::memcpy(g_program_dir, path, static_cast<size_t>(last_separator - path) + 1);
}

}

extern "C" {

OSMARK_API char* GetArgStr(void) noexcept
{
    return g_argument_string;
}

OSMARK_API char* SetArgStr(char* str) noexcept
{
    char* previous = g_argument_string;
    g_argument_string = str;
    return previous;
}

OSMARK_API int32_t GetProgramDir(char* buffer, uint32_t size) noexcept
{
    const size_t length = std::strlen(g_program_dir);
    if (buffer == nullptr || size <= length)
        return 0;
    std::memcpy(buffer, g_program_dir, length + 1);
    return 1;
}

OSMARK_API uint32_t GetProgramName(char* buffer, uint32_t size) noexcept
{
    return GetModuleFileNameA(nullptr, buffer, size);
}

OSMARK_TESTING_API char* osmark_testing_parse_arguments(char* command_line) noexcept
{
    return make_argument_string(command_line);
}

}
