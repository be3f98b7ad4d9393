// Child processes for tests: a helper program built beside the test executable, run
// with its exit status and standard streams collected, and a piece of the test run
// in a forked copy of the test process.
#ifndef TEST_SUPPORT_CHILD_PROCESS_H
#define TEST_SUPPORT_CHILD_PROCESS_H

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

namespace test_support {

struct ChildResult {
    int status = -1; // as waitpid gives it; -1 when the program could not be started
    std::string out;
    std::string err;
};

// The path of a program in the folder of the running test executable.
std::string program_beside_test(const char* name);

// Runs program with the arguments, this process's environment changed by overrides
// (an empty value removes the variable) and, when folder is not empty, that folder as
// its current directory. Both streams are drained together, so a child that writes a
// lot to either never blocks.
ChildResult run_child(const std::string& program, const std::vector<std::string>& arguments,
                      const std::map<std::string, std::string>& overrides = {},
                      const std::string& folder = {});

// Runs body in a forked child and answers the child's exit code, which is body's
// result; -1 when the child could not be made or did not exit normally. The child
// leaves through _exit, so nothing of the parent's (gtest's report, static
// destructors) runs twice.
template <typename Body>
int run_in_child(Body body)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(body());
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

}

#endif
