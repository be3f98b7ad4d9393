// Test support for the settings stores: a temporary folder per test, whole-file
// reading and writing, and the settings probe, a child process whose start-up the
// tests prepare (its registry, its ENV folder, its environment).
#ifndef OSMARK_TESTS_SETTINGS_TEST_SUPPORT_H
#define OSMARK_TESTS_SETTINGS_TEST_SUPPORT_H

#include "platform/kernel.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace settings_test {

// A fresh folder under TMPDIR, removed with everything in it.
class TempFolder {
public:
    TempFolder()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/settings.XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder()
    {
        std::error_code error;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, error);
    }

    const std::string& path() const { return m_path; }
    std::string path(const std::string& relative) const { return m_path + "/" + relative; }

private:
    std::string m_path;
};

inline std::string read_file(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

inline void write_file(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// The folder that the library's "ENV:" stands for in this process (made at start-up
// under $XDG_DATA_HOME).
inline std::string env_folder()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    return std::string(data != nullptr ? data : "") + "/Osmark/Env";
}

struct ProbeResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string read_all(int fd)
{
    std::string text;
    char chunk[4096];
    ssize_t n;
    while ((n = read(fd, chunk, sizeof chunk)) > 0)
        text.append(chunk, static_cast<size_t>(n));
    close(fd);
    return text;
}

// Runs the settings probe (built beside the test) with the given arguments, this
// process's environment changed by overrides (an empty value removes the variable)
// and, when folder is not empty, that folder as its current directory.
inline ProbeResult run_probe(const std::vector<std::string>& arguments,
                             const std::map<std::string, std::string>& overrides = {},
                             const std::string& folder = {})
{
    char self[4096];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string probe(self, length);
    probe.erase(probe.rfind('/') + 1);
    probe += "osmark_settings_probe";

    std::vector<std::string> copies = arguments;
    std::vector<char*> argv{probe.data()};
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

    int out_pipe[2];
    int err_pipe[2];
    ProbeResult result;
    if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);
    posix_spawn_file_actions_addclose(&actions, out_pipe[0]);
    posix_spawn_file_actions_addclose(&actions, err_pipe[0]);
    if (!folder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, probe.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out_pipe[1]);
    close(err_pipe[1]);
    result.out = read_all(out_pipe[0]);
    result.err = read_all(err_pipe[0]);
    if (spawned == 0)
        waitpid(pid, &result.status, 0);
    return result;
}

}

#endif
