// Numbered backup copies beside a file: part.bak, part.bak1, part.bak2, ...

#include "osmark/directories.h"

#include "core/files/directories_internal.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/memory.h"
#include "osmark/paths.h"
#include "platform/kernel.h"

#include <cstdio>
#include <cstdint>
#include <memory>
#include <utility>

namespace {

struct StringDeleter {
    void operator()(char* s) const { FreeStr(s); }
};
using String = std::unique_ptr<char, StringDeleter>;

constexpr uint32_t kLastBackupNumber = 0xFFFFFFFFu;

bool exists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// The file's name with the extension "bak", from number 1 on followed by the number.
String backup_name(const char* path, uint32_t number)
{
    char extension[16] = "bak";
    if (number > 0)
        std::snprintf(extension, sizeof extension, "bak%lu", static_cast<unsigned long>(number));
    return String(ChangeFileExt(path, extension));
}

bool has_backup_extension(const char* path)
{
    const String extension(ExtractFileExt(path));
    return extension && FileNameCmp(extension.get(), "bak") == 0;
}

// The expanded path of an existing file; NULL with the error stored.
osmark::ExpandedPath existing_file(const char* path)
{
    if (path == nullptr) {
        SetIoErr(IoErrRequiredArgMissing);
        return nullptr;
    }
    osmark::ExpandedPath expanded = osmark::expand_path(path);
    if (expanded && !exists(expanded.get())) {
        SetIoErr(IoErrObjectNotFound);
        return nullptr;
    }
    return expanded;
}

int32_t copy_over(const char* from, const char* to)
{
    if (CopyFileA(from, to, FALSE))
        return 1;
    SetIoErrFromWin32(GetLastError());
    return 0;
}

}

extern "C" {

OSMARK_API int32_t BackupFile(const char* path, int32_t single) noexcept
{
    const osmark::ExpandedPath file = existing_file(path);
    if (!file)
        return 0;
    String backup;
    if (single != 0 && !has_backup_extension(file.get())) {
        backup = backup_name(file.get(), 0);
    } else {
        for (uint32_t number = 0;; ++number) {
            backup = backup_name(file.get(), number);
            if (!backup || !exists(backup.get()))
                break;
            if (number == kLastBackupNumber) {
                SetIoErr(IoErrObjectExists);
                return 0;
            }
        }
    }
    if (!backup)
        return 0;
    return copy_over(file.get(), backup.get());
}

OSMARK_API int32_t RestoreFile(const char* path, int32_t delete_backup) noexcept
{
    const osmark::ExpandedPath file = existing_file(path);
    if (!file)
        return 0;
    String newest;
    for (uint32_t number = 0; number < kLastBackupNumber; ++number) {
        String candidate = backup_name(file.get(), number);
        if (!candidate)
            return 0;
        if (!exists(candidate.get()))
            break;
        newest = std::move(candidate);
    }
    if (!newest) {
        SetIoErr(IoErrObjectNotFound);
        return 0;
    }
    if (copy_over(newest.get(), file.get()) == 0)
        return 0;
    if (delete_backup != 0)
        DeleteFile_(newest.get());
    return 1;
}

}
