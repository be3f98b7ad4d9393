// A program that tests start as a child process to see Osmark's start-up and
// shut-down from outside: the argument string, the program folder and the report at
// unload.

#include "osmark/exit_list.h"
#include "osmark/library.h"
#include "osmark/memory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const char* mode = argv[1];
    if (std::strcmp(mode, "argstr") == 0) {
        std::printf("[%s]", GetArgStr());
        return 0;
    }
    if (std::strcmp(mode, "progdir") == 0) {
        char folder[512];
        if (!GetProgramDir(folder, sizeof folder))
            return 1;
        std::printf("%s", folder);
        return 0;
    }
    if (std::strcmp(mode, "report") == 0 && argc == 3) {
        DebugOn(DebugAllocations);
        const int blocks = std::atoi(argv[2]);
        for (int i = 0; i < blocks; ++i)
            FreeVec(AllocVec(16));
        return 0;
    }
    return 2;
}
