// Child processes, waits for them and for several objects at once, ending the process.

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/kernel.h"
#include "platform/process_support.h"
#include "platform/processes.h"
#include "platform/sync.h"
#include "test_support/child_process.h"
#include "src/command_line_split.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string build_line(const std::vector<std::string>& arguments)
{
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments)
        pointers.push_back(argument.c_str());
    const size_t length = platform_build_command_line(pointers.data(), pointers.size(), nullptr, 0);
    std::string line(length, '\0');
    platform_build_command_line(pointers.data(), pointers.size(), line.data(), length + 1);
    return line;
}

// A pipe whose ends close with the owner.
struct Pipe {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    Pipe() { CreatePipe(&read, &write, nullptr, 0); }
    ~Pipe()
    {
        close_read();
        close_write();
    }
    void close_read()
    {
        if (read != nullptr)
            CloseHandle(read);
        read = nullptr;
    }
    void close_write()
    {
        if (write != nullptr)
            CloseHandle(write);
        write = nullptr;
    }
    // Everything up to the end, once the write end is closed.
    std::string drain()
    {
        close_write();
        std::string text;
        char chunk[256];
        DWORD done = 0;
        while (ReadFile(read, chunk, sizeof chunk, &done, nullptr) && done > 0)
            text.append(chunk, done);
        return text;
    }
};

struct Child {
    PROCESS_INFORMATION info{};
    bool started = false;

    ~Child()
    {
        if (started) {
            CloseHandle(info.hProcess);
            CloseHandle(info.hThread);
        }
    }
    DWORD finish()
    {
        EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
        return code;
    }
};

// Starts a command line with the given standard input and output (NULL: the null
// device), environment and folder.
bool start(Child& child, std::string line, HANDLE input, HANDLE output, void* environment = nullptr,
           const char* folder = nullptr, DWORD flags = 0)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = nullptr;
    child.started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, flags, environment,
                                   folder, &startup, &child.info) != FALSE;
    return child.started;
}

std::string shell_line(const std::string& script, const std::vector<std::string>& arguments = {})
{
    std::vector<std::string> words = {"/bin/sh", "-c", script, "sh"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return build_line(words);
}

TEST(CommandLineSplit, GivesBackWhatBuildingQuoted)
{
    struct Row {
        const char* line;
        std::vector<std::string> arguments;
    };
    const Row rows[] = {
        {"prog a  b\tc", {"prog", "a", "b", "c"}},
        {"  prog  ", {"prog"}},
        {"\"/opt/my tools/prog\" -v", {"/opt/my tools/prog", "-v"}},
        {"\"C:\\dir\\\" x", {"C:\\dir\\", "x"}}, // the program keeps its backslashes
        {"p \"a b\" \"\"", {"p", "a b", ""}},
        {"p a\\\\\\\"b", {"p", "a\\\"b"}},   // 2n + 1 backslashes: n and a quote
        {"p a\\\\\"b c\"", {"p", "a\\b c"}}, // 2n backslashes: n and a quoted part
        {"p a\\b\\\\", {"p", "a\\b\\\\"}},   // no quote follows: plain
        {"p \"say \"\"hi\"\"\"", {"p", "say \"hi\""}},
        {"p \"open", {"p", "open"}},
        {"\"unclosed program", {"unclosed program"}},
        {"", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(platform::split_command_line(row.line), row.arguments);
    }
    const std::vector<std::string> odd = {"/p q/r", "",          "a\"b",   "c\\",
                                          "d\\\"",  "tab\there", "\\\\srv"};
    EXPECT_EQ(platform::split_command_line(build_line(odd)), odd);
}

TEST(CreateProcess, ArgumentsOutputAndExitCode)
{
    Pipe output;
    Child child;
    const std::vector<std::string> arguments = {"a b", "", "say \"hi\"", "back\\slash\\", "x"};
    ASSERT_TRUE(
        start(child, shell_line("printf '[%s]' \"$@\"; exit 3", arguments), nullptr, output.write));
    EXPECT_NE(child.info.dwProcessId, 0u);
    EXPECT_EQ(output.drain(), "[a b][][say \"hi\"][back\\slash\\][x]");
    EXPECT_EQ(child.finish(), 3u);
    EXPECT_EQ(WaitForSingleObject(child.info.hThread, 0), WAIT_OBJECT_0)
        << "the main thread has ended too";
}

TEST(CreateProcess, EnvironmentBlockAndFolder)
{
    const test_support::TempFolder folder;
    char environment[] = "TV_ONE=first\0TV_TWO=sec ond\0";
    Pipe output;
    Child child;
    ASSERT_TRUE(start(child, shell_line("printf '%s|%s|%s' \"$TV_ONE\" \"$TV_TWO\" \"$(pwd)\""),
                      nullptr, output.write, environment, folder.path().c_str()));
    EXPECT_EQ(output.drain(), "first|sec ond|" + folder.path());
    EXPECT_EQ(child.finish(), 0u);
}

TEST(CreateProcess, WideNamesLinesAndFoldersArriveAsUtf8)
{
    const test_support::TempFolder folder;
    const std::string named = folder.path("Zeichnungen f\xC3\xBCr A");
    ASSERT_EQ(mkdir(named.c_str(), 0700), 0);
    const std::string base = folder.path();
    const std::u16string wide_folder =
        std::u16string(base.begin(), base.end()) + u"/Zeichnungen f\u00FCr A";
    std::u16string line =
        u"sh -c \"printf '%s|%s' \\\"$1\\\" \\\"$(pwd)\\\"\" sh \"Gr\u00FC\u00DFe\"";
    Pipe output;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output.write;
    Child child;
    ASSERT_TRUE(CreateProcessW(u"/bin/sh", line.data(), nullptr, nullptr, FALSE,
                               NORMAL_PRIORITY_CLASS, nullptr, wide_folder.c_str(), &startup,
                               &child.info));
    child.started = true;
    EXPECT_EQ(output.drain(), "Gr\xC3\xBC\xC3\x9F"
                              "e|" +
                                  named);
    EXPECT_EQ(child.finish(), 0u);
    EXPECT_FALSE(CreateProcessW(nullptr, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                &startup, &child.info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(CreateProcess, StandardHandlesOfTheCallerByDefault)
{
    Pipe output;
    const HANDLE saved = GetStdHandle(STD_OUTPUT_HANDLE);
    ASSERT_TRUE(SetStdHandle(STD_OUTPUT_HANDLE, output.write));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    Child child;
    std::string line = shell_line("echo through");
    child.started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                   nullptr, &startup, &child.info) != FALSE;
    SetStdHandle(STD_OUTPUT_HANDLE, saved);
    ASSERT_TRUE(child.started);
    EXPECT_EQ(output.drain(), "through\n");
    EXPECT_EQ(child.finish(), 0u);
}

TEST(CreateProcess, RunningChildIsStillActiveUntilItEnds)
{
    Pipe input;
    Child child;
    ASSERT_TRUE(start(child, shell_line("read line; exit 7"), input.read, nullptr));
    input.close_read();
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(child.info.hProcess, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(child.info.hProcess, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(child.info.hThread, 0), WAIT_TIMEOUT);
    input.close_write(); // the child's read ends
    EXPECT_EQ(child.finish(), 7u);
    EXPECT_EQ(WaitForSingleObject(child.info.hProcess, 0), WAIT_OBJECT_0) << "stays signalled";
}

TEST(CreateProcess, ProgramByNameAlongPathAndByDrivePath)
{
    for (const char* program : {"sh", "C:\\bin\\sh"}) {
        SCOPED_TRACE(program);
        Pipe output;
        Child child;
        ASSERT_TRUE(start(child, build_line({program, "-c", "echo found"}), nullptr, output.write));
        EXPECT_EQ(output.drain(), "found\n");
        EXPECT_EQ(child.finish(), 0u);
    }
}

TEST(CreateProcess, RefusalsLeaveTheirErrors)
{
    const test_support::TempFolder folder;
    const std::string plain = folder.write("plain", "#!/bin/sh\nexit 0\n");
    chmod(plain.c_str(), 0644);
    struct Row {
        std::string line;
        const char* folder;
        DWORD error;
    };
    const Row rows[] = {
        {build_line({folder.path("missing")}), nullptr, ERROR_FILE_NOT_FOUND},
        {build_line({"tarvek-no-such-program"}), nullptr, ERROR_FILE_NOT_FOUND},
        {build_line({plain}), nullptr, ERROR_ACCESS_DENIED},
        {build_line({"/bin/sh", "-c", "exit 0"}), "/no/such/folder", ERROR_DIRECTORY},
        {"   ", nullptr, ERROR_INVALID_PARAMETER},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        Child child;
        SetLastError(0);
        EXPECT_FALSE(start(child, row.line, nullptr, nullptr, nullptr, row.folder));
        EXPECT_EQ(GetLastError(), row.error);
    }
    PROCESS_INFORMATION info{};
    char line[] = "sh";
    EXPECT_FALSE(CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                nullptr, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(CreateProcess, DetachedChildHasASessionOfItsOwn)
{
    // Field 6 of /proc/<pid>/stat is the session; the name in field 2 holds no ')'.
    const auto session_of = [](const std::string& stat) {
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::string state;
        long parent = 0;
        long group = 0;
        long session = 0;
        fields >> state >> parent >> group >> session;
        return session;
    };
    for (const DWORD flags : {0u, DETACHED_PROCESS}) {
        Pipe output;
        Child child;
        ASSERT_TRUE(start(child, build_line({"/bin/cat", "/proc/self/stat"}), nullptr, output.write,
                          nullptr, nullptr, flags));
        const long session = session_of(output.drain());
        child.finish();
        if (flags == 0)
            EXPECT_EQ(session, getsid(0));
        else
            EXPECT_EQ(session, static_cast<long>(child.info.dwProcessId));
    }
}

TEST(CreateProcess, AChildWhoseHandlesWentEarlyIsCollected)
{
    Pipe input;
    Child child;
    ASSERT_TRUE(start(child, shell_line("read line"), input.read, nullptr));
    input.close_read();
    const pid_t pid = static_cast<pid_t>(child.info.dwProcessId);
    CloseHandle(child.info.hProcess);
    CloseHandle(child.info.hThread);
    child.started = false;
    input.close_write();
    // Gone from the system once collected: a zombie would still answer kill 0.
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (kill(pid, 0) == 0 && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_NE(kill(pid, 0), 0);
}

TEST(GetExitCodeProcess, TheCallerRunsAndOtherHandlesAreRefused)
{
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(GetCurrentProcess(), &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    const HANDLE semaphore = CreateSemaphoreA(nullptr, 0, 1, nullptr);
    EXPECT_FALSE(GetExitCodeProcess(semaphore, &code));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    CloseHandle(semaphore);
}

TEST(ExitProcess, EndsWithTheCode)
{
    EXPECT_EQ(test_support::run_in_child([] {
                  ExitProcess(5);
                  return 0;
              }),
              5);
}

class MsgWait : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_semaphore = CreateSemaphoreA(nullptr, 0, 1, nullptr);
        ASSERT_TRUE(start(m_child, shell_line("read line; exit 4"), m_input.read, nullptr));
        m_input.close_read();
    }
    void TearDown() override
    {
        m_input.close_write();
        CloseHandle(m_semaphore);
    }

    HANDLE m_semaphore = nullptr;
    Pipe m_input;
    Child m_child;
};

TEST_F(MsgWait, TimesOutWhileNothingIsSignalled)
{
    const HANDLE handles[] = {m_semaphore, m_child.info.hProcess};
    EXPECT_EQ(MsgWaitForMultipleObjects(2, handles, FALSE, 0, QS_ALLINPUT), WAIT_TIMEOUT);
    EXPECT_EQ(MsgWaitForMultipleObjects(2, handles, FALSE, 20, QS_ALLINPUT), WAIT_TIMEOUT);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), WAIT_TIMEOUT);
}

TEST_F(MsgWait, WakesForTheObjectThatIsSignalled)
{
    const HANDLE handles[] = {m_semaphore, m_child.info.hProcess};
    std::thread releaser([&] { ReleaseSemaphore(m_semaphore, 1, nullptr); });
    EXPECT_EQ(MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_ALLINPUT), WAIT_OBJECT_0);
    releaser.join();
    EXPECT_EQ(WaitForSingleObject(m_semaphore, 0), WAIT_TIMEOUT) << "the wait took the count";

    std::thread ender([&] { m_input.close_write(); });
    EXPECT_EQ(MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_ALLINPUT),
              WAIT_OBJECT_0 + 1);
    ender.join();
    EXPECT_EQ(m_child.finish(), 4u);
}

TEST_F(MsgWait, SeesASemaphoreThatAnotherProcessReleases)
{
    const std::string name = "processes_test.elsewhere." + std::to_string(getpid());
    const HANDLE named = CreateSemaphoreA(nullptr, 0, 1, name.c_str());
    ASSERT_NE(named, nullptr);
    const HANDLE handles[] = {m_child.info.hProcess, named};
    int status = -1;
    std::thread releaser([&] {
        status = test_support::run_in_child([&] {
            const HANDLE mine = CreateSemaphoreA(nullptr, 0, 1, name.c_str());
            return mine != nullptr && ReleaseSemaphore(mine, 1, nullptr) ? 0 : 1;
        });
    });
    EXPECT_EQ(MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, 0), WAIT_OBJECT_0 + 1);
    releaser.join();
    EXPECT_EQ(status, 0);
    CloseHandle(named);
}

TEST_F(MsgWait, RefusesBadRequests)
{
    HANDLE handles[MAXIMUM_WAIT_OBJECTS + 1] = {};
    for (HANDLE& handle : handles)
        handle = m_semaphore;
    struct Row {
        DWORD count;
        const HANDLE* handles;
        BOOL wait_all;
        DWORD error;
    };
    const HANDLE closed[] = {reinterpret_cast<HANDLE>(0x7ffffff0)};
    const Row rows[] = {
        {MAXIMUM_WAIT_OBJECTS + 1, handles, FALSE, ERROR_INVALID_PARAMETER},
        {1, nullptr, FALSE, ERROR_INVALID_PARAMETER},
        {2, handles, TRUE, ERROR_NOT_SUPPORTED},
        {1, closed, FALSE, ERROR_INVALID_HANDLE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.error);
        EXPECT_EQ(MsgWaitForMultipleObjects(row.count, row.handles, row.wait_all, 0, QS_ALLINPUT),
                  WAIT_FAILED);
        EXPECT_EQ(GetLastError(), row.error);
    }
}

}
