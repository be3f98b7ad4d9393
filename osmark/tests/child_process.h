// Test support: runs a helper program built beside the test executable as a child
// process and collects its exit status and what it wrote to its standard streams.
#ifndef OSMARK_TESTS_CHILD_PROCESS_H
#define OSMARK_TESTS_CHILD_PROCESS_H

#include "platform/kernel.h"

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace test_support {

struct ChildResult {
    int status = -1;
    std::string out;
    std::string err;
};

// The path of a program in the folder of the running test executable.
inline std::string program_beside_test(const char* name)
{
    char self[4096];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path(self, length);
    path.erase(path.rfind('/') + 1);
    return path + name;
}

// Runs program with the arguments, this process's environment changed by overrides
// (an empty value removes the variable) and, when folder is not empty, that folder as
// its current directory. Both streams are drained together, so a child that writes a
// lot to either never blocks.
inline ChildResult run_child(const std::string& program, const std::vector<std::string>& arguments,
                             const std::map<std::string, std::string>& overrides = {},
                             const std::string& folder = {})
{
    std::string program_copy = program;
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv{program_copy.data()};
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

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
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out_pipe[1]);
    close(err_pipe[1]);

    pollfd streams[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
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
    if (spawned == 0)
        waitpid(pid, &result.status, 0);
    return result;
}

}

#endif
