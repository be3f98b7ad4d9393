// A program that tests start as a child process to see Osmark's start-up and
// shut-down from outside: the argument string, the program folder and the report at
// unload, also after point buffers were left in use and on the free list.

#include "osmark/exit_list.h"
#include "osmark/library.h"
#include "osmark/memory.h"
#include "osmark/point_buffers.h"

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
    if (std::strcmp(mode, "pointbuffers") == 0) {
        DebugOn(DebugAllocations);
        PointBuffer deleted = PointBufferCreate();
        PointBuffer grown = PointBufferCreate();
        PointBuffer kept = PointBufferCreate();
        if (deleted == nullptr || grown == nullptr || kept == nullptr)
            return 1;
        PointBufferSetCount(grown, 500);
        PointBufferDelete(deleted);
        return 0; // grown and kept stay in use until unload
    }
    return 2;
}
