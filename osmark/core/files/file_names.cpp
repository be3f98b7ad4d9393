// Files by name: access tests, deletion and temporary names.

#include "osmark/files.h"

#include "core/runtime/make_error.h"
#include "osmark/assigns.h"
#include "osmark/errors.h"
#include "osmark/format.h"
#include "osmark/paths.h"
#include "osmark/strings.h"
#include "osmark/variables.h"
#include "platform/files.h"
#include "platform/kernel.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kNameBufferSize = 512;

// The folder that the variable TMP names, else TEMP, else the current one. A variable
// that is missing, empty or too long for the buffer does not count.
void temporary_folder(char* folder, uint32_t size)
{
    const IoErrCode saved = IoErr();
    const int32_t room = static_cast<int32_t>(size);
    const auto read = [&](const char* name) {
        const int32_t length = GetVar(name, folder, room, 0);
        return length > 0 && length < room;
    };
    if (!read("TMP") && !read("TEMP"))
        std::snprintf(folder, size, "%s", ".");
    // GetVar leaves -12 for a missing variable, which is no failure here.
    SetIoErr(saved);
}

}

extern "C" {

OSMARK_API int32_t Access(const char* path, int32_t mode) noexcept
{
    if (path == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return -1;
    }
    char* expanded = AllocExpandedPath(path);
    if (expanded == nullptr)
        return -1;
    const DWORD attributes = GetFileAttributesA(expanded);
    FreeExpandedPath(expanded);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        osmark::set_io_error(IoErrObjectNotFound);
        return -1;
    }
    if ((mode & 1) && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        osmark::set_io_error(IoErrDirNotFound);
        return -1;
    }
    if ((mode & 2) && (attributes & FILE_ATTRIBUTE_READONLY)) {
        osmark::set_io_error(IoErrWriteProtected);
        return -1;
    }
    return 0;
}

OSMARK_API int32_t DeleteFile_(const char* path) noexcept
{
    if (path == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    const bool directory = Access(path, 1) == 0;
    char* expanded = AllocExpandedPath(path);
    if (expanded == nullptr)
        return 0;
    const BOOL deleted = directory ? RemoveDirectoryA(expanded) : DeleteFileA(expanded);
    if (!deleted)
        osmark::set_io_error_from_win32(GetLastError());
    FreeExpandedPath(expanded);
    return deleted ? 1 : 0;
}

OSMARK_API int32_t TempFileName(const char* prefix, char* buffer, int32_t size) noexcept
{
    char base[kNameBufferSize];
    temporary_folder(base, sizeof base);
    if (!AddPart(base, prefix != nullptr && prefix[0] != '\0' ? prefix : "tmp", sizeof base)) {
        osmark::set_io_error(IoErrLineTooLong);
        return -1;
    }
    const int32_t base_length = StrLen(base);
    char name[kNameBufferSize + 16];
    for (uint32_t n = 0; n <= 0xFFFF; ++n) {
        std::memcpy(name, base, static_cast<size_t>(base_length));
        SnPrintf(name + base_length, static_cast<int32_t>(sizeof name) - base_length, "%04lx.%s", n, "tmp");
        name[sizeof name - 1] = '\0';
        const IoErrCode saved = IoErr();
        const bool exists = Access(name, 0) == 0;
        SetIoErr(saved);
        if (exists)
            continue;
        const int32_t length = StrLen(name);
        if (buffer != nullptr && length + 1 <= size) {
            std::memcpy(buffer, name, static_cast<size_t>(length) + 1);
            return length;
        }
        osmark::set_io_error(IoErrBufferOverflow);
        return length + 1;
    }
    osmark::set_io_error(IoErrObjectExists);
    return -1;
}

}
