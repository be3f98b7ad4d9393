// The start-up import of the variables: the environment block as local variables, the
// files under "ENV:vars" as global ones.

#include "osmark/variables.h"

#include "core/runtime/startup_steps.h"
#include "core/runtime/variables_internal.h"
#include "osmark/errors.h"
#include "osmark/exit_list.h"
#include "osmark/files.h"
#include "osmark/library.h"
#include "osmark/memory.h"
#include "osmark/paths.h"
#include "osmark/patterns.h"
#include "platform/environment.h"

#include <cstring>
#include <string>

namespace {

// Patterns and names are formed in buffers of this size; a folder tree too deep for
// it is not walked further.
constexpr uint32_t kPathSize = 512;
constexpr uint32_t kFolderAttribute = 0x10;

void import_environment()
{
    LPCH block = GetEnvironmentStrings();
    if (block == nullptr)
        return;
    for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
        // Entries that begin with '=' are the system's per-drive entries.
        const char* equals = std::strchr(entry, '=');
        if (entry[0] == '=' || equals == nullptr)
            continue;
        try {
            const std::string name(entry, static_cast<size_t>(equals - entry));
            SetVar(name.c_str(), equals + 1, -1, 0);
        } catch (...) {
            // Out of memory: this variable is left out.
        }
    }
    FreeEnvironmentStringsA(block);
}

// One file: its whole content is the value. A file that cannot be read is left out.
void import_file(const char* path, const char* name, uint32_t size)
{
    if (size == 0) {
        // An empty file is an empty value; the value is never read from the buffer.
        SetVar(name, "", 0, VarFlagGlobalOnly);
        return;
    }
    if (size > INT32_MAX - 1)
        return;
    auto* bytes = static_cast<char*>(AllocVec(size));
    if (bytes == nullptr)
        return;
    if (FileHandle* fh = Open(path, FileModeRead)) {
        const int32_t count = Read(fh, bytes, static_cast<int32_t>(size));
        Close(fh);
        // The file may have shrunk since the scan: only what was read counts.
        if (count > 0)
            SetVar(name, bytes, count, VarFlagGlobalOnly);
        else if (count == 0)
            SetVar(name, "", 0, VarFlagGlobalOnly);
    }
    FreeVec(bytes);
}

// Walks folder/prefix; every file is a variable named prefix/file.
void import_folder(const char* folder, const char* prefix)
{
    char pattern[kPathSize];
    std::strcpy(pattern, folder);
    if ((prefix[0] != '\0' && !AddPart(pattern, prefix, sizeof pattern)) || !AddPart(pattern, "*", sizeof pattern))
        return;
    MatchAnchor anchor{};
    for (int32_t found = MatchFirst(pattern, 0, &anchor); found == 0; found = MatchNext(&anchor)) {
        const FileInfoBlock& entry = anchor.ma_Info;
        if (std::strcmp(entry.fib_Name, ".") == 0 || std::strcmp(entry.fib_Name, "..") == 0)
            continue;
        char name[kPathSize] = {};
        if (prefix[0] != '\0')
            std::strcpy(name, prefix);
        if (!AddPart(name, entry.fib_Name, sizeof name))
            continue;
        if ((entry.fib_Attributes & kFolderAttribute) != 0) {
            import_folder(folder, name);
            continue;
        }
        char path[kPathSize];
        std::strcpy(path, folder);
        if (AddPart(path, name, sizeof path))
            import_file(path, name, entry.fib_Size);
    }
    MatchEnd(&anchor);
}

}

extern "C" {

OSMARK_API void InitialiseVariables(void) noexcept
{
    // Missing folders and unreadable files are no failure of the start-up: the error
    // code stays as it was.
    const IoErrCode saved = IoErr();
    AddExitProc(&LibraryExitList, FreeVariables);
    import_environment();
    import_folder(osmark::kVariablesFolder, "");
    SetIoErr(saved);
}

}

namespace osmark {

void InitialiseLocaleAndVariables()
{
    InitialiseLocale();
    InitialiseVariables();
}

}
