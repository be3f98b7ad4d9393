// Child processes (platform/processes.h).
//
// Each child gets a collector thread of its own that blocks in waitpid for exactly
// that child, so a child is collected when it ends whether or not anybody still holds
// its handles, and no other child of the process (one that a test or Qt started) is
// ever taken from its owner. The thread is started before the child: when it cannot
// be, no child is started either.

#include "platform/processes.h"

#include "command_line_split.h"
#include "file_object.h"
#include "kernel_object.h"
#include "make_win32_error.h"
#include "path_translation.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/kernel.h"
#include "unique_fd.h"
#include "wait_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

extern char** environ;

namespace {

// What the handles of one child and its collector thread share.
class ChildState {
public:
    // The child's id once it runs, or 0 when it could not be started.
    void set_started(pid_t pid)
    {
        const std::lock_guard lock(m_mutex);
        m_pid = pid;
        m_start_known = true;
        m_changed.notify_all();
    }
    pid_t wait_for_start()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_start_known; });
        return m_pid;
    }
    void set_ended(DWORD exit_code)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_exit_code = exit_code;
            m_ended = true;
        }
        m_changed.notify_all();
        platform::notify_waiters();
    }
    DWORD exit_code()
    {
        const std::lock_guard lock(m_mutex);
        return m_ended ? m_exit_code : STILL_ACTIVE;
    }
    DWORD wait(DWORD milliseconds)
    {
        std::unique_lock lock(m_mutex);
        const auto ended = [&] { return m_ended; };
        if (milliseconds == INFINITE)
            m_changed.wait(lock, ended);
        else
            m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds), ended);
        return m_ended ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_start_known = false;
    pid_t m_pid = 0;
    bool m_ended = false;
    DWORD m_exit_code = STILL_ACTIVE;
};

// A process handle, and the handle of its main thread: both are signalled when the
// process ends.
class ProcessObject final : public platform::KernelObject {
public:
    explicit ProcessObject(std::shared_ptr<ChildState> state) : m_state(std::move(state)) {}
    DWORD wait(DWORD milliseconds) override { return m_state->wait(milliseconds); }
    DWORD exit_code() const { return m_state->exit_code(); }

private:
    std::shared_ptr<ChildState> m_state;
};

class MainThreadObject final : public platform::KernelObject {
public:
    explicit MainThreadObject(std::shared_ptr<ChildState> state) : m_state(std::move(state)) {}
    DWORD wait(DWORD milliseconds) override { return m_state->wait(milliseconds); }

private:
    std::shared_ptr<ChildState> m_state;
};

// The exit code that Win32 would show: the status of a normal exit, 128 + the signal
// for a process that a signal ended.
DWORD exit_code_of(int status)
{
    if (WIFEXITED(status))
        return static_cast<DWORD>(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return 128u + static_cast<DWORD>(WTERMSIG(status));
    return 255u;
}

void collect(const std::shared_ptr<ChildState>& state)
{
    const pid_t pid = state->wait_for_start();
    if (pid <= 0)
        return;
    int status = 0;
    pid_t result;
    while ((result = waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    // ECHILD: somebody set SIGCHLD to be ignored, and the system took the status.
    state->set_ended(result == pid ? exit_code_of(status) : 255u);
}

BOOL fail(DWORD error, platform::SourceSite where = platform::SourceSite::current())
{
    platform::make_win32_error(error, where);
    return FALSE;
}

bool names_a_path(const std::string& program)
{
    if (program.find_first_of("/\\") != std::string::npos)
        return true;
    return program.size() >= 2 && program[1] == ':';
}

// The entries of an environment block, up to its empty string.
std::vector<char*> environment_entries(char* block)
{
    std::vector<char*> entries;
    for (char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1)
        entries.push_back(entry);
    entries.push_back(nullptr);
    return entries;
}

// Everything posix_spawn needs, released whatever happens.
class SpawnRequest {
public:
    SpawnRequest()
    {
        posix_spawn_file_actions_init(&m_actions);
        posix_spawnattr_init(&m_attributes);
    }
    ~SpawnRequest()
    {
        posix_spawnattr_destroy(&m_attributes);
        posix_spawn_file_actions_destroy(&m_actions);
    }
    SpawnRequest(const SpawnRequest&) = delete;
    SpawnRequest& operator=(const SpawnRequest&) = delete;

    // Descriptor `target` of the child is the file or pipe of handle, or the null
    // device. The handle's descriptor is copied first, so that one standard
    // descriptor of the caller can become another of the child.
    // 0, or the errno of the failure.
    int give_descriptor(int target, HANDLE handle)
    {
        const DWORD saved_error = GetLastError();
        const int source = handle != nullptr ? platform::descriptor_of_handle(handle) : -1;
        SetLastError(saved_error);
        if (source < 0)
            return posix_spawn_file_actions_addopen(&m_actions, target, "/dev/null", O_RDWR, 0);
        platform::UniqueFd copy(fcntl(source, F_DUPFD_CLOEXEC, 3));
        if (!copy)
            return errno;
        const int error = posix_spawn_file_actions_adddup2(&m_actions, copy.get(), target);
        if (error == 0)
            m_copies.push_back(std::move(copy));
        return error;
    }

    bool start_in(const std::string& folder)
    {
        return posix_spawn_file_actions_addchdir_np(&m_actions, folder.c_str()) == 0;
    }

    bool set_attributes(bool detached)
    {
        // The child starts with the default reaction to every signal and none blocked,
        // whatever this process has set for itself.
        sigset_t all;
        sigset_t none;
        sigfillset(&all);
        sigemptyset(&none);
        short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
        if (detached)
            flags |= POSIX_SPAWN_SETSID;
        return posix_spawnattr_setsigdefault(&m_attributes, &all) == 0 &&
               posix_spawnattr_setsigmask(&m_attributes, &none) == 0 &&
               posix_spawnattr_setflags(&m_attributes, flags) == 0;
    }

    // 0 with the child's id, or the errno of the failure.
    int spawn(const std::string& program, bool search, char* const* arguments,
              char* const* environment, pid_t& pid)
    {
        return search ? posix_spawnp(&pid, program.c_str(), &m_actions, &m_attributes, arguments,
                                     environment)
                      : posix_spawn(&pid, program.c_str(), &m_actions, &m_attributes, arguments,
                                    environment);
    }

private:
    posix_spawn_file_actions_t m_actions;
    posix_spawnattr_t m_attributes;
    std::vector<platform::UniqueFd> m_copies;
};

// The folder a child starts in, checked; empty with the last error when it is none.
bool start_folder(LPCSTR current_directory, std::string& native)
{
    platform::TranslatedPath path;
    if (!platform::translate_path(current_directory, path))
        return false;
    struct stat status;
    if (stat(path.native.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        platform::make_win32_error(ERROR_DIRECTORY);
        return false;
    }
    native = path.native;
    return true;
}

struct ChildHandles {
    HANDLE process = nullptr;
    HANDLE thread = nullptr;

    void close()
    {
        if (process != nullptr)
            CloseHandle(process);
        if (thread != nullptr)
            CloseHandle(thread);
        process = thread = nullptr;
    }
};

BOOL create_process(LPCSTR application_name, LPSTR command_line, DWORD creation_flags,
                    LPVOID environment, LPCSTR current_directory, const STARTUPINFOA& startup_info,
                    PROCESS_INFORMATION& information)
{
    std::vector<std::string> arguments =
        platform::split_command_line(command_line != nullptr ? command_line : "");
    if (arguments.empty() && application_name != nullptr)
        arguments.emplace_back(application_name);
    std::string program = application_name != nullptr ? application_name
                          : arguments.empty()         ? std::string()
                                                      : arguments[0];
    if (program.empty())
        return fail(ERROR_INVALID_PARAMETER);
    const bool search = !names_a_path(program);
    if (!search) {
        platform::TranslatedPath path;
        if (!platform::translate_path(program.c_str(), path))
            return FALSE;
        program = path.native;
    }

    SpawnRequest request;
    const bool own_handles = (startup_info.dwFlags & STARTF_USESTDHANDLES) != 0;
    const HANDLE standard[3] = {
        own_handles ? startup_info.hStdInput : GetStdHandle(STD_INPUT_HANDLE),
        own_handles ? startup_info.hStdOutput : GetStdHandle(STD_OUTPUT_HANDLE),
        own_handles ? startup_info.hStdError : GetStdHandle(STD_ERROR_HANDLE),
    };
    for (int target = 0; target < 3; ++target) {
        const int error = request.give_descriptor(target, standard[target]);
        if (error != 0)
            return fail(platform_win32_error_from_errno(error));
    }
    if (current_directory != nullptr) {
        std::string folder;
        if (!start_folder(current_directory, folder))
            return FALSE;
        if (!request.start_in(folder))
            return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    if (!request.set_attributes((creation_flags & DETACHED_PROCESS) != 0))
        return fail(ERROR_NOT_ENOUGH_MEMORY);

    std::vector<char*> argument_pointers;
    for (std::string& argument : arguments)
        argument_pointers.push_back(argument.data());
    argument_pointers.push_back(nullptr);
    std::vector<char*> environment_pointers;
    if (environment != nullptr)
        environment_pointers = environment_entries(static_cast<char*>(environment));

    const auto state = std::make_shared<ChildState>();
    ChildHandles handles;
    handles.process = platform::add_handle(std::make_shared<ProcessObject>(state));
    if (handles.process != nullptr)
        handles.thread = platform::add_handle(std::make_shared<MainThreadObject>(state));
    if (handles.thread == nullptr) {
        handles.close();
        return FALSE;
    }
    try {
        std::thread(collect, state).detach();
    } catch (const std::system_error&) {
        handles.close();
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    pid_t pid = 0;
    const int error =
        request.spawn(program, search, argument_pointers.data(),
                      environment != nullptr ? environment_pointers.data() : environ, pid);
    if (error != 0) {
        state->set_started(0);
        handles.close();
        return fail(platform_win32_error_from_errno(error));
    }
    state->set_started(pid);
    information.hProcess = handles.process;
    information.hThread = handles.thread;
    information.dwProcessId = static_cast<DWORD>(pid);
    information.dwThreadId = static_cast<DWORD>(pid);
    return TRUE;
}

}

extern "C" {

PLATFORM_API BOOL CreateProcessA(LPCSTR application_name, LPSTR command_line,
                                 LPSECURITY_ATTRIBUTES /*process_attributes*/,
                                 LPSECURITY_ATTRIBUTES /*thread_attributes*/,
                                 BOOL /*inherit_handles*/, DWORD creation_flags, LPVOID environment,
                                 LPCSTR current_directory, LPSTARTUPINFOA startup_info,
                                 LPPROCESS_INFORMATION process_information) noexcept
{
    if (startup_info == nullptr || process_information == nullptr ||
        (application_name == nullptr && command_line == nullptr))
        return fail(ERROR_INVALID_PARAMETER);
    try {
        return create_process(application_name, command_line, creation_flags, environment,
                              current_directory, *startup_info, *process_information);
    } catch (const std::bad_alloc&) {
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API BOOL GetExitCodeProcess(HANDLE process, LPDWORD exit_code) noexcept
{
    if (exit_code == nullptr)
        return fail(ERROR_INVALID_PARAMETER);
    if (process == GetCurrentProcess()) {
        *exit_code = STILL_ACTIVE;
        return TRUE;
    }
    const std::shared_ptr<ProcessObject> object = platform::object_of_kind<ProcessObject>(process);
    if (object == nullptr)
        return FALSE;
    *exit_code = object->exit_code();
    return TRUE;
}

PLATFORM_API void ExitProcess(UINT exit_code) noexcept
{
    std::exit(static_cast<int>(exit_code));
}
}
