// Numbered backup copies beside a file: part.bak, part.bak1, part.bak2, ...

#include "osmark/directories.h"

#include "core/files/directories_internal.h"
#include "core/runtime/make_error.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/memory.h"
#include "osmark/owners.h"
#include "osmark/paths.h"
#include "platform/kernel.h"

#include <cstdio>
#include <cstdint>
#include <utility>

namespace {

using osmark::StringOwner;

constexpr uint32_t kLastBackupNumber = 0xFFFFFFFFu;

bool exists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// The file's name with the extension "bak", from number 1 on followed by the number.
StringOwner backup_name(const char* path, uint32_t number)
{
    char extension[16] = "bak";
    if (number > 0)
        std::snprintf(extension, sizeof extension, "bak%lu", static_cast<unsigned long>(number));
    return StringOwner(ChangeFileExt(path, extension));
}

bool has_backup_extension(const char* path)
{
    const StringOwner extension(ExtractFileExt(path));
    return extension && FileNameCmp(extension.get(), "bak") == 0;
}

// The expanded path of an existing file; NULL with the error stored.
osmark::ExpandedPathOwner existing_file(const char* path)
{
    if (path == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    osmark::ExpandedPathOwner expanded = osmark::expand_path(path);
    if (expanded && !exists(expanded.get())) {
        osmark::set_io_error(IoErrObjectNotFound);
        return nullptr;
    }
    return expanded;
}

int32_t copy_over(const char* from, const char* to)
{
    if (CopyFileA(from, to, FALSE))
        return 1;
    osmark::set_io_error_from_win32(GetLastError());
    return 0;
}

}

extern "C" {

OSMARK_API int32_t BackupFile(const char* path, int32_t single) noexcept
{
    const osmark::ExpandedPathOwner file = existing_file(path);
    if (!file)
        return 0;
    StringOwner backup;
    if (single != 0 && !has_backup_extension(file.get())) {
        backup = backup_name(file.get(), 0);
    } else {
        for (uint32_t number = 0;; ++number) {
            backup = backup_name(file.get(), number);
            if (!backup || !exists(backup.get()))
                break;
            if (number == kLastBackupNumber) {
                osmark::set_io_error(IoErrObjectExists);
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
    const osmark::ExpandedPathOwner file = existing_file(path);
    if (!file)
        return 0;
    StringOwner newest;
    for (uint32_t number = 0; number < kLastBackupNumber; ++number) {
        StringOwner candidate = backup_name(file.get(), number);
        if (!candidate)
            return 0;
        if (!exists(candidate.get()))
            break;
        newest = std::move(candidate);
    }
    if (!newest) {
        osmark::set_io_error(IoErrObjectNotFound);
        return 0;
    }
    if (copy_over(newest.get(), file.get()) == 0)
        return 0;
    if (delete_backup != 0)
        DeleteFile_(newest.get());
    return 1;
}

}
