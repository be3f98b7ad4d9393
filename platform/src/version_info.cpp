// Version information from the ELF note of a file.

#include "platform/version_info.h"

#include "make_win32_error.h"
#include "path_translation.h"
#include "platform/kernel.h"
#include "unique_fd.h"
#include "version_note.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QtCore/QString>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <new>
#include <optional>

namespace {

// What GetFileVersionInfoW hands out: a mark that VerQueryValueW checks, then the
// fixed part.
struct VersionBlock {
    DWORD mark;
    DWORD size;
    VS_FIXEDFILEINFO fixed;
};
constexpr DWORD kBlockMark = 0x52455654; // "TVER"

// The file's version note, or nothing with the last error set.
std::optional<platform::VersionNote> note_of(LPCWSTR file_name)
{
    if (file_name == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    const std::string name = QString::fromUtf16(file_name).toStdString();
    platform::TranslatedPath path;
    if (!platform::translate_path(name.c_str(), path))
        return std::nullopt;
    const platform::UniqueFd file(open(path.native.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (!file.is_open() || fstat(file.get(), &status) != 0) {
        platform::set_path_error(errno, path);
        return std::nullopt;
    }
    const int descriptor = file.get();
    const auto read_at = [descriptor](uint64_t offset, void* buffer, size_t size) {
        size_t done = 0;
        while (done < size) {
            const ssize_t got = pread(descriptor, static_cast<char*>(buffer) + done, size - done,
                                      static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            done += static_cast<size_t>(got);
        }
        return true;
    };
    const std::optional<platform::VersionNote> note =
        S_ISREG(status.st_mode)
            ? platform::find_version_note(read_at, static_cast<uint64_t>(status.st_size))
            : std::nullopt;
    if (!note)
        platform::make_win32_error(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return note;
}

}

extern "C" {

PLATFORM_API DWORD GetFileVersionInfoSizeW(LPCWSTR file_name, LPDWORD handle) noexcept
{
    if (handle != nullptr)
        *handle = 0;
    try {
        return note_of(file_name) ? static_cast<DWORD>(sizeof(VersionBlock)) : 0;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

PLATFORM_API BOOL GetFileVersionInfoW(LPCWSTR file_name, DWORD /*handle*/, DWORD length,
                                      LPVOID data) noexcept
{
    try {
        if (data == nullptr || length < sizeof(VersionBlock)) {
            platform::make_win32_error(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        const std::optional<platform::VersionNote> note = note_of(file_name);
        if (!note)
            return FALSE;
        VersionBlock block{};
        block.mark = kBlockMark;
        block.size = sizeof block;
        block.fixed.dwSignature = VS_FFI_SIGNATURE;
        block.fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
        block.fixed.dwFileVersionMS = note->file_version_ms;
        block.fixed.dwFileVersionLS = note->file_version_ls;
        block.fixed.dwProductVersionMS = note->product_version_ms;
        block.fixed.dwProductVersionLS = note->product_version_ls;
        block.fixed.dwFileType = VFT_APP;
        std::memcpy(data, &block, sizeof block);
        return TRUE;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

PLATFORM_API BOOL VerQueryValueW(LPCVOID block, LPCWSTR sub_block, LPVOID* buffer,
                                 UINT* length) noexcept
{
    if (block == nullptr || sub_block == nullptr || buffer == nullptr)
        return FALSE;
    DWORD mark = 0;
    std::memcpy(&mark, block, sizeof mark);
    if (mark != kBlockMark || sub_block[0] != u'\\' || sub_block[1] != 0)
        return FALSE;
    // The caller's block is the one GetFileVersionInfoW filled: the fixed part lies
    // inside it at its place in VersionBlock.
    *buffer = static_cast<char*>(const_cast<void*>(block)) + offsetof(VersionBlock, fixed);
    if (length != nullptr)
        *length = sizeof(VS_FIXEDFILEINFO);
    return TRUE;
}

}
