// The process's current directory.

#include "osmark/directories.h"

#include "osmark/assigns.h"
#include "osmark/memory.h"
#include "platform/files.h"

extern "C" {

OSMARK_API int32_t CurrentDir(const char* path) noexcept
{
    if (path == nullptr)
        return 0;
    if (path[0] == '\0')
        return 1;
    char* expanded = AllocExpandedPath(path);
    if (expanded == nullptr)
        return -1;
    // The system error is not translated: callers read only the result.
    const BOOL changed = SetCurrentDirectoryA(expanded);
    FreeExpandedPath(expanded);
    return changed ? 1 : 0;
}

OSMARK_API char* GetCurrentDirName(void) noexcept
{
    // The first call asks for the size, the second fills; a directory that changes in
    // between is asked for again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD needed = GetCurrentDirectoryA(0, nullptr);
        if (needed == 0)
            return nullptr;
        auto* name = static_cast<char*>(AllocVec(needed));
        if (name == nullptr)
            return nullptr;
        const DWORD length = GetCurrentDirectoryA(needed, name);
        if (length != 0 && length < needed)
            return name;
        FreeVec(name);
        if (length == 0)
            return nullptr;
    }
    return nullptr;
}

}
