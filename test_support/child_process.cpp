#include "test_support/child_process.h"

#include <poll.h>
#include <spawn.h>

#include "platform/kernel.h"

extern char** environ;

namespace test_support {

std::string program_beside_test(const char* name)
{
    char self[4096];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path(self, length);
    path.erase(path.rfind('/') + 1);
    return path + name;
}

namespace {

// NAME=VALUE entries of this process's environment with overrides applied.
std::vector<std::string> child_environment(const std::map<std::string, std::string>& overrides)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        if (overrides.count(text.substr(0, text.find('='))) == 0)
            environment.push_back(text);
    }
    for (const auto& [name, value] : overrides) {
        if (!value.empty())
            environment.push_back(name + "=" + value);
    }
    return environment;
}

// Reads both pipes until each reaches its end.
void drain(int out_fd, int err_fd, ChildResult& result)
{
    pollfd streams[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
    std::string* texts[2] = {&result.out, &result.err};
    int open_streams = 2;
    while (open_streams > 0) {
        if (poll(streams, 2, -1) < 0)
            break;
        for (int i = 0; i < 2; ++i) {
            if (streams[i].fd < 0 || streams[i].revents == 0)
                continue;
            char chunk[4096];
            const ssize_t n = read(streams[i].fd, chunk, sizeof chunk);
            if (n > 0) {
                texts[i]->append(chunk, static_cast<size_t>(n));
            } else {
                close(streams[i].fd);
                streams[i].fd = -1;
                --open_streams;
            }
        }
    }
    for (const pollfd& stream : streams) {
        if (stream.fd >= 0)
            close(stream.fd);
    }
}

}

ChildResult run_child(const std::string& program, const std::vector<std::string>& arguments,
                      const std::map<std::string, std::string>& overrides,
                      const std::string& folder)
{
    std::string program_copy = program;
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv{program_copy.data()};
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    std::vector<std::string> environment = child_environment(overrides);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    ChildResult result;
    int out_pipe[2];
    int err_pipe[2];
    if (pipe(out_pipe) != 0)
        return result;
    if (pipe(err_pipe) != 0) {
        close(out_pipe[0]);
        close(out_pipe[1]);
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);
    posix_spawn_file_actions_addclose(&actions, out_pipe[0]);
    posix_spawn_file_actions_addclose(&actions, err_pipe[0]);
    if (!folder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out_pipe[1]);
    close(err_pipe[1]);

    drain(out_pipe[0], err_pipe[0], result);
    if (spawned == 0)
        waitpid(pid, &result.status, 0);
    return result;
}

}
