// Running commands (SystemTagList) and the registry's version numbers.
//
// Here a program is a file that the system can execute: no extensions are tried, a
// file that cannot be executed runs as a script of the shell, and the shell
// ("/bin/sh -c" unless COMSPEC names another) runs whatever is found nowhere. PATH
// takes ':' between folders (and ';', as the variable's Windows form has it). The
// environment of a process holds no drive entries ("=C:=...") since there is one
// drive, and starting a process detached gives it a session of its own.

#include "osmark/commands.h"

#include "core/runtime/make_error.h"
#include "osmark/assigns.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/gui_services.h"
#include "osmark/locale.h"
#include "osmark/memory.h"
#include "osmark/owners.h"
#include "osmark/strings.h"
#include "osmark/variables.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/kernel.h"
#include "platform/process_support.h"
#include "platform/processes.h"
#include "platform/registry.h"

#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr size_t kPathLimit = 512;
constexpr uint32_t kRegistryText = 512;

struct RunOptions {
    FileHandle* input = nullptr;
    FileHandle* output = nullptr;
    int mode = RunSynchronous;
    const char* folder = nullptr;
    const char* shell_name = "COMSPEC";
    bool environment_given = false;
    char* environment = nullptr;
};

RunOptions read_tags(const TagItem* tags)
{
    RunOptions options;
    auto* cursor = const_cast<TagItem*>(tags);
    while (const TagItem* tag = NextTagItem(&cursor)) {
        switch (tag->ti_Tag) {
        case RUN_Input:
            options.input = reinterpret_cast<FileHandle*>(tag->ti_Data);
            break;
        case RUN_Output:
            options.output = reinterpret_cast<FileHandle*>(tag->ti_Data);
            break;
        case RUN_Async:
            if (tag->ti_Data != 0)
                options.mode = RunAsynchronous;
            break;
        case RUN_Replace:
            if (tag->ti_Data != 0)
                options.mode = RunReplace;
            break;
        case RUN_Detached:
            if (tag->ti_Data != 0)
                options.mode = RunDetached;
            break;
        case RUN_CurrentDir:
            options.folder = reinterpret_cast<const char*>(tag->ti_Data);
            break;
        case RUN_Shell:
            if (tag->ti_Data != 0)
                options.shell_name = reinterpret_cast<const char*>(tag->ti_Data);
            break;
        case RUN_Environment:
            options.environment_given = true;
            options.environment = reinterpret_cast<char*>(tag->ti_Data);
            break;
        default:
            // RUN_Minimised and RUN_Hidden: a started program's windows are its own here.
            break;
        }
    }
    return options;
}

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

bool is_separator(char c)
{
    return c == '/' || c == '\\';
}

// The command's first word and what follows it.
void split_command(const char* command, std::string& program, std::string& rest)
{
    if (command[0] == '"') {
        const char* end = std::strchr(command + 1, '"');
        program.assign(command + 1, end != nullptr ? end : command + std::strlen(command));
        rest = end != nullptr ? end + 1 : "";
        return;
    }
    const char* end = command;
    while (*end != '\0' && !is_blank(*end))
        ++end;
    program.assign(command, end);
    rest = end;
}

// A command line of words quoted as the system splits them, then the rest as it
// stands (the caller's own quoting kept).
std::string command_line(const std::vector<std::string>& words, const std::string& rest)
{
    std::vector<const char*> pointers;
    for (const std::string& word : words)
        pointers.push_back(word.c_str());
    const size_t length = platform_build_command_line(pointers.data(), pointers.size(), nullptr, 0);
    std::string line(length, '\0');
    platform_build_command_line(pointers.data(), pointers.size(), line.data(), length + 1);
    size_t start = 0;
    while (start < rest.size() && is_blank(rest[start]))
        ++start;
    if (start < rest.size()) {
        line += ' ';
        line.append(rest, start, std::string::npos);
    }
    return line;
}

// The environment of the local variables of type 0: "name=value" entries, then an
// empty one.
std::string local_environment()
{
    std::string block;
    Locale* locale = GetSystemLocale();
    for (Node* n = locale->loc_LocalVars.lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
        const auto* variable = reinterpret_cast<const VarNode*>(n);
        if (n->ln_Type != 0 || variable->vn_Value == nullptr)
            continue;
        block += n->ln_Name;
        block += '=';
        block.append(variable->vn_Value, static_cast<size_t>(variable->vn_Length));
        block += '\0';
    }
    if (block.empty())
        block += '\0';
    block += '\0';
    return block;
}

std::optional<std::string> variable(const char* name)
{
    const int32_t needed = GetVar(name, nullptr, 0, 0);
    if (needed < 1)
        return std::nullopt;
    std::string value(static_cast<size_t>(needed), '\0');
    GetVar(name, value.data(), needed, 0);
    value.resize(std::strlen(value.c_str()));
    return value;
}

// The platform's standard handle that a library file handle stands in for while a
// process starts; put back by the destructor.
class StandardRedirection {
public:
    StandardRedirection(DWORD which, FileHandle* file) : m_which(which)
    {
        if (file == nullptr)
            return;
        m_saved = GetStdHandle(which);
        const auto source = reinterpret_cast<HANDLE>(file->fh_SystemHandle);
        if (!DuplicateHandle(GetCurrentProcess(), source, GetCurrentProcess(), &m_copy, 0, TRUE,
                             DUPLICATE_SAME_ACCESS) ||
            !SetStdHandle(which, m_copy)) {
            osmark::set_io_error_from_win32(GetLastError());
            m_failed = true;
            return;
        }
        m_replaced = true;
    }
    ~StandardRedirection()
    {
        if (m_replaced)
            SetStdHandle(m_which, m_saved);
        if (m_copy != nullptr)
            CloseHandle(m_copy);
    }
    StandardRedirection(const StandardRedirection&) = delete;
    StandardRedirection& operator=(const StandardRedirection&) = delete;
    bool failed() const { return m_failed; }

private:
    DWORD m_which;
    HANDLE m_saved = nullptr;
    HANDLE m_copy = nullptr;
    bool m_replaced = false;
    bool m_failed = false;
};

class CommandRun {
public:
    CommandRun(const RunOptions& options, std::string named_program, std::string program,
               std::string rest, char* environment)
        : m_options(options), m_named_program(std::move(named_program)),
          m_program(std::move(program)), m_rest(std::move(rest)), m_environment(environment)
    {
        choose_shell();
    }

    int32_t run();

private:
    enum class TryMode {
        Plain,
        Shell
    };
    enum class Outcome {
        Started,
        NotFound,
        Failed
    };

    void choose_shell();
    Outcome search(const std::string& name, TryMode mode);
    Outcome attempt(const std::string& path, TryMode mode);
    Outcome start(const std::string& line);

    const RunOptions& m_options;
    std::string m_named_program;
    std::string m_program;
    std::string m_rest;
    char* m_environment;
    std::string m_shell;
    std::string m_shell_argument;
    int32_t m_result = -1;
    DWORD m_start_error = 0;
};

void CommandRun::choose_shell()
{
    if (StriCmp(m_options.shell_name, "COMSPEC") != 0) {
        m_shell = m_options.shell_name;
        return;
    }
    m_shell = variable("COMSPEC").value_or("/bin/sh");
    m_shell_argument = "-c";
}

CommandRun::Outcome CommandRun::start(const std::string& line)
{
    const StandardRedirection output(STD_OUTPUT_HANDLE, m_options.output);
    if (output.failed())
        return Outcome::Failed;
    const StandardRedirection input(STD_INPUT_HANDLE, m_options.input);
    if (input.failed())
        return Outcome::Failed;
    std::string writable = line;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const DWORD flags = m_options.mode == RunDetached ? DETACHED_PROCESS : 0;
    if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, TRUE, flags, m_environment,
                        m_options.folder, &startup, &process)) {
        m_start_error = GetLastError();
        osmark::set_io_error_from_win32(m_start_error);
        return Outcome::Failed;
    }
    if (m_options.mode == RunReplace)
        ExitProcess(0);
    switch (m_options.mode) {
    case RunAsynchronous:
        m_result = static_cast<int32_t>(process.dwProcessId);
        break;
    case RunDetached:
        m_result = 0;
        break;
    default:
        for (;;) {
            const DWORD woke =
                MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, INFINITE, QS_ALLINPUT);
            if (woke == WAIT_OBJECT_0 + 1) {
                ProcessMsgs();
                continue;
            }
            DWORD code = 0;
            if (woke != WAIT_OBJECT_0 || !GetExitCodeProcess(process.hProcess, &code)) {
                osmark::set_io_error_from_win32(GetLastError());
                m_result = -1;
            } else {
                m_result = static_cast<int32_t>(code);
            }
            break;
        }
        break;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return Outcome::Started;
}

// One place to look: a file there starts as a program (or, when the system will not
// execute it, as a script of the shell); in shell mode a shell found there runs the
// program as a command.
CommandRun::Outcome CommandRun::attempt(const std::string& tried, TryMode mode)
{
    std::string path = tried;
    const size_t last = path.find_last_of("/\\:");
    if (last == std::string::npos)
        path = "./" + path;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Outcome::NotFound;
    if (mode == TryMode::Shell) {
        const std::string text = command_line({m_named_program}, m_rest);
        if (!m_shell_argument.empty())
            return start(command_line({path, m_shell_argument, text}, ""));
        return start(command_line({path}, text));
    }
    m_start_error = 0;
    const Outcome direct = start(command_line({path}, m_rest));
    if (direct != Outcome::Failed ||
        (m_start_error != ERROR_ACCESS_DENIED && m_start_error != ERROR_BAD_EXE_FORMAT))
        return direct;
    // Not executable: a script of the shell.
    return start(command_line({m_shell, path}, m_rest));
}

// Splits a PATH value at ':' and ';'.
std::vector<std::string> path_folders(const std::string& list)
{
    std::vector<std::string> folders;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find_first_of(":;", start);
        if (end == std::string::npos)
            end = list.size();
        folders.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return folders;
}

std::string joined(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && is_separator(folder.back()))
        return folder + name;
    return folder + '/' + name;
}

CommandRun::Outcome CommandRun::search(const std::string& name, TryMode mode)
{
    Outcome outcome = attempt(name, mode);
    if (outcome != Outcome::NotFound || name.find('/') != std::string::npos)
        return outcome;
    const std::optional<std::string> path_list = variable("PATH");
    if (!path_list.has_value()) {
        osmark::set_io_error(IoErrObjectNotFound);
        return Outcome::Failed;
    }
    for (const std::string& folder : path_folders(*path_list)) {
        if (folder.empty() || folder.size() >= kPathLimit)
            break;
        const std::string candidate = joined(folder, name);
        if (candidate.size() >= kPathLimit)
            break;
        outcome = attempt(candidate, mode);
        if (outcome != Outcome::NotFound)
            return outcome;
    }
    osmark::ExpandedPathOwner commands(AllocExpandedPath("ENV:c/"));
    if (commands == nullptr)
        return Outcome::Failed;
    const std::string candidate = joined(commands.get(), name);
    if (candidate.size() < kPathLimit)
        return attempt(candidate, mode);
    return Outcome::NotFound;
}

int32_t CommandRun::run()
{
    Outcome outcome = search(m_program, TryMode::Plain);
    if (outcome == Outcome::NotFound)
        outcome = search(m_shell, TryMode::Shell);
    if (outcome == Outcome::NotFound)
        osmark::set_io_error(IoErrObjectNotFound);
    return outcome == Outcome::Started ? m_result : -1;
}

}

extern "C" {

OSMARK_API int32_t SystemTagList(const char* command, const TagItem* tags) noexcept
{
    if (command == nullptr || command[0] == '\0') {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return -1;
    }
    try {
        const RunOptions options = read_tags(tags);
        std::string named_program;
        std::string rest;
        split_command(command, named_program, rest);
        osmark::ExpandedPathOwner expanded(AllocExpandedPath(named_program.c_str()));
        if (expanded == nullptr)
            return -1;
        std::string environment;
        char* block = options.environment;
        if (!options.environment_given) {
            environment = local_environment();
            block = environment.data();
        }
        CommandRun run(options, named_program, expanded.get(), rest, block);
        return run.run();
    } catch (const std::bad_alloc&) {
        osmark::set_io_error(IoErrNoMemory);
        return -1;
    }
}

OSMARK_API double GetVersionFromRegistry(const char* sub_key) noexcept
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, sub_key, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0.0;
    double version = 0.0;
    char name[kRegistryText];
    // One byte more than offered, so that the data always ends in a NUL.
    BYTE data[kRegistryText + 1];
    for (DWORD index = 0;; ++index) {
        DWORD name_size = kRegistryText;
        DWORD data_size = kRegistryText;
        const LSTATUS status =
            RegEnumValueA(key, index, name, &name_size, nullptr, nullptr, data, &data_size);
        // A value too large for the buffers is passed over, not read cut short.
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            break;
        if (StriCmp(name, "VERSION") == 0) {
            data[data_size <= kRegistryText ? data_size : kRegistryText] = '\0';
            version = StrToDouble(reinterpret_cast<const char*>(data), nullptr);
            break;
        }
    }
    RegCloseKey(key);
    return version;
}
}
