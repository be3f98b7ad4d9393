// The assigns file "ENV:system\assigns" and the start-up of the assigns: PROGDIR, ENV
// and LOCALE from the program and the registry, TEMP and the user assigns from the
// file.

#include "osmark/assigns.h"

#include "core/runtime/make_error.h"
#include "osmark/directories.h"
#include "osmark/errors.h"
#include "osmark/exit_list.h"
#include "osmark/files.h"
#include "osmark/format.h"
#include "osmark/library.h"
#include "osmark/memory.h"
#include "osmark/owners.h"
#include "osmark/paths.h"
#include "osmark/versions.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"

#include <cstring>

namespace {

constexpr char kAssignFile[] = "ENV:system\\assigns";
constexpr char kAssignFileHeader[] = "# Assign File Version ";
constexpr double kAssignFileVersion = 1.0;
// Lines of the file are read in pieces of at most this many bytes.
constexpr int32_t kLineSize = 2048;
constexpr uint32_t kPathSize = 512;

constexpr char kEnvKey[] = "software\\osmark\\env";
constexpr char kBasePathValue[] = "basepath";
constexpr int kCommonAppData = 35;

// The start-up runs before any caller could read an error code; it leaves none behind.
class KeepIoErr {
public:
    KeepIoErr() : m_code(IoErr()) {}
    ~KeepIoErr() { SetIoErr(m_code); }
    KeepIoErr(const KeepIoErr&) = delete;
    KeepIoErr& operator=(const KeepIoErr&) = delete;

private:
    IoErrCode m_code;
};

bool is_skipped_line(const char* line)
{
    return line[0] == ';' || line[0] == '\0' || line[1] == '\0' || std::strchr(line, ':') == nullptr;
}

// The default base folder: "Osmark\Env" in the common application-data folder, else
// "Application Data\Osmark\Env" in the Windows folder; empty when neither exists.
void default_base_folder(char* folder)
{
    if (SHGetSpecialFolderPathA(nullptr, folder, kCommonAppData, FALSE)) {
        if (AddPart(folder, "Osmark", kPathSize) && AddPart(folder, "Env", kPathSize))
            return;
    } else {
        const UINT length = GetWindowsDirectoryA(folder, kPathSize);
        if (length > 0 && length < kPathSize && AddPart(folder, "Application Data", kPathSize) &&
            AddPart(folder, "Osmark", kPathSize) && AddPart(folder, "Env", kPathSize))
            return;
    }
    folder[0] = '\0';
}

// Remembers the base folder for the next start; failures are of no consequence.
void write_base_folder(const char* folder)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kEnvKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, kBasePathValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder),
                   static_cast<DWORD>(std::strlen(folder) + 1));
    RegCloseKey(key);
}

}

extern "C" {

OSMARK_API int32_t AssignStore(void) noexcept
{
    FileHandle* fh = Open(kAssignFile, FileModeWrite);
    if (fh == nullptr)
        return 0;
    bool written = FPrintf(fh, "%s %.2lf\n", kAssignFileHeader, kAssignFileVersion) >= 0;
    bool any = false;
    if (const List* list = GetAssignList()) {
        for (const Node* n = list->lh_Head; written && n->ln_Succ != nullptr; n = n->ln_Succ) {
            any = true;
            const auto* node = reinterpret_cast<const AssignNode*>(n);
            if (node->an_Node.ln_Name == nullptr || node->an_Node.ln_Name[0] == '\0')
                continue;
            written = FPrintf(fh, "%s:%s\r\n", node->an_Node.ln_Name,
                              node->an_Path != nullptr ? node->an_Path : "") >= 0;
        }
    }
    // Bytes still in the buffer go out at Close: a failure there is a failed write too.
    const bool closed = Close(fh) != 0;
    return written && closed && any ? 1 : 0;
}

OSMARK_API int32_t AssignLoad(const char* file_name) noexcept
{
    if (file_name == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    osmark::StreamOwner stream(Open(file_name, FileModeRead));
    if (stream == nullptr)
        return 0;
    if (GetFileVersion(stream.get(), kAssignFileHeader) != kAssignFileVersion) {
        stream.reset();
        osmark::set_io_error(IoErrObjectInvalid);
        return 0;
    }
    int32_t result = 1;
    char line[kLineSize];
    while (result != 0 && FGets(stream.get(), line, sizeof line) != nullptr) {
        if (is_skipped_line(line))
            continue;
        char* colon = std::strchr(line, ':');
        *colon = '\0';
        result = AssignPath(line, colon + 1);
    }
    return result;
}

OSMARK_API void InitialiseAssigns(void) noexcept
{
    const KeepIoErr keep;
    char folder[kPathSize];
    if (GetProgramDir(folder, sizeof folder))
        AddSystemAssign("PROGDIR", folder);

    RegFileSearch(HKEY_CURRENT_USER, kEnvKey, kBasePathValue, folder, sizeof folder);
    if (folder[0] == '\0')
        RegFileSearch(HKEY_LOCAL_MACHINE, kEnvKey, kBasePathValue, folder, sizeof folder);
    if (folder[0] == '\0') {
        default_base_folder(folder);
        if (folder[0] != '\0')
            write_base_folder(folder);
    }
    // Without the folder nothing under "ENV:" resolves, so ENV and LOCALE are made only
    // when it exists.
    if (folder[0] != '\0' && CreateDir(folder)) {
        AddSystemAssign("ENV", folder);
        AddSystemAssign("LOCALE", "ENV:locale");
    }
    AddExitProc(&LibraryExitList, FreeAssigns);
}

OSMARK_API void InitialiseAssignFile(void) noexcept
{
    const KeepIoErr keep;
    char name[kPathSize];
    const int32_t length = TempFileName("", name, sizeof name);
    if (length > 0 && length < static_cast<int32_t>(sizeof name)) {
        if (char* folder = ExtractFileDir(name)) {
            AddSystemAssign("TEMP", folder);
            FreeStr(folder);
        }
    }
    AssignLoad(kAssignFile);
}

}
