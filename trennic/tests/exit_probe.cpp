// A program that registers two clean-up procedures on Trennic's exit list and ends
// normally: unloading Trennic runs them, last registered first, after main returns.

#include <unistd.h>

#include <cstdio>

#include "library/library_state.h"
#include "osmark/exit_list.h"

namespace {

void say(const char* text)
{
    // Standard output may already be closed for stdio: write to the descriptor.
    ssize_t written = write(STDOUT_FILENO, text, __builtin_strlen(text));
    (void)written;
}

void first_registered()
{
    say("first\n");
}

void second_registered()
{
    say("second\n");
}

}

int main()
{
    ExitList& list = trennic::library_exit_list();
    AddExitProc(&list, first_registered);
    AddExitProc(&list, second_registered);
    say(trennic::module_handle() != nullptr ? "main\n" : "no module\n");
    return 0;
}
