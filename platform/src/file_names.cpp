// Files and folders by name: deleting, renaming, copying, folders, the current
// directory, full and temporary names, attributes (platform/files.h).

#include "platform/files.h"

#include "file_info.h"
#include "file_sharing.h"
#include "make_win32_error.h"
#include "path_translation.h"
#include "platform/kernel.h"
#include "unique_fd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include <vector>

namespace {

using platform::TranslatedPath;

BOOL fail(DWORD error, platform::SourceSite where = platform::SourceSite::current())
{
    platform::make_win32_error(error, where);
    return FALSE;
}

BOOL fail_path(int error_number, const TranslatedPath& path)
{
    platform::set_path_error(error_number, path);
    return FALSE;
}

bool is_read_only(const struct stat& status)
{
    return S_ISREG(status.st_mode) && !(status.st_mode & S_IWUSR);
}

platform::FileIdentity identity_of(const struct stat& status)
{
    return {status.st_dev, status.st_ino};
}

// Copies text and its NUL when it fits and returns its length; else returns the size
// needed, NUL included, as Win32's string getters do.
DWORD copy_result(const std::string& text, DWORD size, LPSTR buffer)
{
    if (buffer == nullptr || text.size() + 1 > size)
        return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

bool current_directory(std::string& directory)
{
    std::vector<char> buffer(PATH_MAX);
    if (getcwd(buffer.data(), buffer.size()) == nullptr) {
        platform::make_win32_error_from_errno();
        return false;
    }
    directory = buffer.data();
    return true;
}

bool write_all(int descriptor, const char* bytes, size_t count)
{
    while (count > 0) {
        const ssize_t written = write(descriptor, bytes, count);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

bool copy_data(int from, int to)
{
    std::vector<char> buffer(65536);
    for (;;) {
        const ssize_t count = read(from, buffer.data(), buffer.size());
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (count == 0)
            return true;
        if (!write_all(to, buffer.data(), static_cast<size_t>(count)))
            return false;
    }
}

// CopyFileA's work on translated paths.
BOOL copy_file(const TranslatedPath& source, const TranslatedPath& target, bool fail_if_exists)
{
    const platform::UniqueFd input(open(source.native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!input.is_open())
        return fail_path(errno, source);
    struct stat source_status;
    if (fstat(input.get(), &source_status) != 0)
        return fail(platform_win32_error_from_errno(errno));
    if (!S_ISREG(source_status.st_mode))
        return fail(ERROR_ACCESS_DENIED);
    platform::ShareRegistration reading;
    if (!reading.acquire(identity_of(source_status), FILE_READ_DATA,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
        return FALSE;

    struct stat target_status;
    if (stat(target.native.c_str(), &target_status) == 0) {
        // Truncating the target would destroy the source it is.
        if (target_status.st_dev == source_status.st_dev && target_status.st_ino == source_status.st_ino)
            return fail(ERROR_SHARING_VIOLATION);
        if (fail_if_exists)
            return fail(ERROR_FILE_EXISTS);
        if (S_ISDIR(target_status.st_mode) || is_read_only(target_status))
            return fail(ERROR_ACCESS_DENIED);
    }
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (fail_if_exists ? O_EXCL : 0);
    const platform::UniqueFd output(open(target.native.c_str(), flags, 0666));
    if (!output.is_open()) {
        if (errno == EEXIST)
            return fail(ERROR_FILE_EXISTS);
        return fail_path(errno, target);
    }
    struct stat opened_status;
    platform::ShareRegistration writing;
    if (fstat(output.get(), &opened_status) != 0)
        return fail(platform_win32_error_from_errno(errno));
    if (!writing.acquire(identity_of(opened_status), FILE_WRITE_DATA,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
        return FALSE;
    if (ftruncate(output.get(), 0) != 0 || !copy_data(input.get(), output.get())) {
        const DWORD error = platform_win32_error_from_errno(errno);
        unlink(target.native.c_str());
        return fail(error);
    }
    // The copy keeps the source's last-write time and its read-only bit.
    const timespec times[2] = {source_status.st_atim, source_status.st_mtim};
    futimens(output.get(), times);
    const mode_t mode = opened_status.st_mode & 07777;
    fchmod(output.get(), (source_status.st_mode & S_IWUSR) ? (mode | S_IWUSR) : (mode & ~mode_t{0222}));
    return TRUE;
}

// Rename that refuses to replace; where the file system cannot say so itself, the
// target is tested first.
int rename_without_replacing(const char* from, const char* to)
{
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    struct stat status;
    if (lstat(to, &status) == 0) {
        errno = EEXIST;
        return -1;
    }
    return rename(from, to);
}

BOOL move_file(LPCSTR existing_name, LPCSTR new_name, DWORD flags)
{
    TranslatedPath source;
    if (!platform::translate_path(existing_name, source))
        return FALSE;
    struct stat source_status;
    if (lstat(source.native.c_str(), &source_status) != 0)
        return fail_path(errno, source);
    if (platform::is_open_without_delete_sharing(identity_of(source_status)))
        return fail(ERROR_SHARING_VIOLATION);
    TranslatedPath target;
    if (!platform::translate_path(new_name, target))
        return FALSE;

    std::string destination = target.native;
    struct stat target_status;
    const bool target_exists = lstat(target.native.c_str(), &target_status) == 0;
    if (target_exists && target_status.st_dev == source_status.st_dev &&
        target_status.st_ino == source_status.st_ino) {
        // The new name found the entry itself (it differs in case at most): rename it
        // to the spelling given.
        destination = platform::folder_part(target.native) + '/' +
                      platform::last_component(platform::lexical_native_path(new_name));
        if (destination == source.native)
            return TRUE;
        if (rename(source.native.c_str(), destination.c_str()) != 0)
            return fail(platform_win32_error_from_errno(errno));
        return TRUE;
    }
    if (target_exists) {
        if (!(flags & MOVEFILE_REPLACE_EXISTING))
            return fail(ERROR_ALREADY_EXISTS);
        if (S_ISDIR(target_status.st_mode) || S_ISDIR(source_status.st_mode) || is_read_only(target_status))
            return fail(ERROR_ACCESS_DENIED);
        if (platform::is_open_without_delete_sharing(identity_of(target_status)))
            return fail(ERROR_SHARING_VIOLATION);
    }
    const int result = target_exists ? rename(source.native.c_str(), destination.c_str())
                                     : rename_without_replacing(source.native.c_str(), destination.c_str());
    if (result == 0)
        return TRUE;
    if (errno == EEXIST)
        return fail(ERROR_ALREADY_EXISTS);
    if (errno != EXDEV)
        return fail_path(errno, target);
    if (S_ISDIR(source_status.st_mode) || !(flags & MOVEFILE_COPY_ALLOWED))
        return fail(ERROR_NOT_SAME_DEVICE);
    if (!copy_file(source, target, !(flags & MOVEFILE_REPLACE_EXISTING)))
        return FALSE;
    if (unlink(source.native.c_str()) != 0)
        return fail(platform_win32_error_from_errno(errno));
    return TRUE;
}

std::string temporary_folder()
{
    const char* folder = std::getenv("TMPDIR");
    std::string path = (folder != nullptr && folder[0] != '\0') ? folder : "/tmp";
    if (path.back() != '/')
        path += '/';
    return path;
}

// Up to three characters of the prefix (a character of UTF-8 is never cut).
std::string prefix_characters(LPCSTR prefix)
{
    std::string kept;
    if (prefix == nullptr)
        return kept;
    int characters = 0;
    for (const char* p = prefix; *p != '\0'; ++p) {
        const bool starts_character = (static_cast<unsigned char>(*p) & 0xC0) != 0x80;
        if (starts_character && ++characters > 3)
            break;
        kept += *p;
    }
    return kept;
}

std::string temporary_name(const std::string& folder, const std::string& prefix, unsigned number)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%X", number);
    std::string name = folder;
    if (!name.empty() && name.back() != '/')
        name += '/';
    return name + prefix + digits + ".tmp";
}

}

extern "C" {

PLATFORM_API BOOL DeleteFileA(LPCSTR name) noexcept
{
    try {
        TranslatedPath path;
        if (!platform::translate_path(name, path))
            return FALSE;
        struct stat status;
        if (lstat(path.native.c_str(), &status) != 0)
            return fail_path(errno, path);
        if (S_ISDIR(status.st_mode) || is_read_only(status))
            return fail(ERROR_ACCESS_DENIED);
        if (platform::is_open_without_delete_sharing(identity_of(status)))
            return fail(ERROR_SHARING_VIOLATION);
        if (unlink(path.native.c_str()) != 0)
            return fail_path(errno, path);
        return TRUE;
    } catch (const std::bad_alloc&) {
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API BOOL MoveFileExA(LPCSTR existing_name, LPCSTR new_name, DWORD flags) noexcept
{
    try {
        if (new_name == nullptr)
            return fail(ERROR_INVALID_PARAMETER);
        return move_file(existing_name, new_name, flags);
    } catch (const std::bad_alloc&) {
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API BOOL MoveFileA(LPCSTR existing_name, LPCSTR new_name) noexcept
{
    return MoveFileExA(existing_name, new_name, MOVEFILE_COPY_ALLOWED);
}

PLATFORM_API BOOL CopyFileA(LPCSTR existing_name, LPCSTR new_name, BOOL fail_if_exists) noexcept
{
    try {
        TranslatedPath source;
        TranslatedPath target;
        if (!platform::translate_path(existing_name, source) || !platform::translate_path(new_name, target))
            return FALSE;
        return copy_file(source, target, fail_if_exists != FALSE);
    } catch (const std::bad_alloc&) {
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API BOOL CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES /*security_attributes*/) noexcept
{
    try {
        TranslatedPath path;
        if (!platform::translate_path(name, path))
            return FALSE;
        if (mkdir(path.native.c_str(), 0777) != 0)
            return fail_path(errno, path);
        return TRUE;
    } catch (const std::bad_alloc&) {
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API BOOL RemoveDirectoryA(LPCSTR name) noexcept
{
    try {
        TranslatedPath path;
        if (!platform::translate_path(name, path))
            return FALSE;
        if (rmdir(path.native.c_str()) == 0)
            return TRUE;
        const int error_number = errno;
        struct stat status;
        if (error_number == ENOTDIR && lstat(path.native.c_str(), &status) == 0 && !S_ISDIR(status.st_mode))
            return fail(ERROR_DIRECTORY);
        if (error_number == EEXIST || error_number == ENOTEMPTY)
            return fail(ERROR_DIR_NOT_EMPTY);
        return fail_path(error_number, path);
    } catch (const std::bad_alloc&) {
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) noexcept
{
    try {
        std::string directory;
        if (!current_directory(directory))
            return 0;
        return copy_result(directory, size, buffer);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

PLATFORM_API BOOL SetCurrentDirectoryA(LPCSTR name) noexcept
{
    try {
        TranslatedPath path;
        if (!platform::translate_path(name, path))
            return FALSE;
        if (chdir(path.native.c_str()) == 0)
            return TRUE;
        const int error_number = errno;
        struct stat status;
        if (error_number == ENOTDIR && stat(path.native.c_str(), &status) == 0 && !S_ISDIR(status.st_mode))
            return fail(ERROR_DIRECTORY);
        return fail_path(error_number, path);
    } catch (const std::bad_alloc&) {
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API DWORD GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* file_part) noexcept
{
    try {
        if (file_part != nullptr)
            *file_part = nullptr;
        if (name == nullptr) {
            platform::make_win32_error(ERROR_INVALID_PARAMETER);
            return 0;
        }
        if (name[0] == '\0') {
            platform::make_win32_error(ERROR_INVALID_NAME);
            return 0;
        }
        std::string full = platform::lexical_native_path(name);
        if (full.front() != '/') {
            std::string directory;
            if (!current_directory(directory))
                return 0;
            full = platform::lexical_native_path((directory + '/' + full).c_str());
        }
        const DWORD result = copy_result(full, size, buffer);
        if (result == full.size() && file_part != nullptr && full.back() != '/')
            *file_part = buffer + full.rfind('/') + 1;
        return result;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

PLATFORM_API DWORD GetTempPathA(DWORD size, LPSTR buffer) noexcept
{
    try {
        return copy_result(temporary_folder(), size, buffer);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

PLATFORM_API UINT GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR buffer) noexcept
{
    try {
        if (path == nullptr || buffer == nullptr) {
            platform::make_win32_error(ERROR_INVALID_PARAMETER);
            return 0;
        }
        TranslatedPath folder;
        if (!platform::translate_path(path, folder))
            return 0;
        const std::string kept_prefix = prefix_characters(prefix);
        const auto fits = [&](const std::string& name) {
            if (name.size() < MAX_PATH)
                return true;
            platform::make_win32_error(ERROR_FILENAME_EXCED_RANGE);
            return false;
        };
        if (unique != 0) {
            const unsigned number = unique & 0xFFFFu;
            const std::string name = temporary_name(folder.native, kept_prefix, number);
            if (!fits(name))
                return 0;
            std::memcpy(buffer, name.c_str(), name.size() + 1);
            return number;
        }
        // Start where other processes are unlikely to be, then take the first free
        // number of 1 .. 65535.
        unsigned number = static_cast<unsigned>(getpid() ^ time(nullptr)) & 0xFFFFu;
        for (unsigned attempt = 0; attempt < 0xFFFFu; ++attempt) {
            number = number % 0xFFFFu + 1;
            const std::string name = temporary_name(folder.native, kept_prefix, number);
            if (!fits(name))
                return 0;
            const platform::UniqueFd created(
                open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            if (created) {
                std::memcpy(buffer, name.c_str(), name.size() + 1);
                return number;
            }
            const int error_number = errno;
            if (error_number != EEXIST) {
                // Win32 names a missing folder here as no folder at all.
                if (error_number == ENOENT || error_number == ENOTDIR)
                    platform::make_win32_error(ERROR_DIRECTORY);
                else
                    platform::set_path_error(error_number, folder);
                return 0;
            }
        }
        platform::make_win32_error(ERROR_FILE_EXISTS);
        return 0;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

PLATFORM_API DWORD GetFileAttributesA(LPCSTR name) noexcept
{
    try {
        TranslatedPath path;
        if (!platform::translate_path(name, path))
            return INVALID_FILE_ATTRIBUTES;
        platform::FileInfo info;
        if (!platform::info_of_path(path.native, info)) {
            platform::set_path_error(errno, path);
            return INVALID_FILE_ATTRIBUTES;
        }
        return info.attributes;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_FILE_ATTRIBUTES;
    }
}

PLATFORM_API BOOL SetFileAttributesA(LPCSTR name, DWORD attributes) noexcept
{
    try {
        TranslatedPath path;
        if (!platform::translate_path(name, path))
            return FALSE;
        struct stat status;
        if (stat(path.native.c_str(), &status) != 0)
            return fail_path(errno, path);
        const mode_t mode = status.st_mode & 07777;
        const mode_t wanted = (attributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~mode_t{0222}) : (mode | S_IWUSR);
        if (wanted != mode && chmod(path.native.c_str(), wanted) != 0)
            return fail_path(errno, path);
        return TRUE;
    } catch (const std::bad_alloc&) {
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API BOOL GetFileAttributesExA(LPCSTR name, GET_FILEEX_INFO_LEVELS level, LPVOID information) noexcept
{
    try {
        if (level != GetFileExInfoStandard || information == nullptr)
            return fail(ERROR_INVALID_PARAMETER);
        TranslatedPath path;
        if (!platform::translate_path(name, path))
            return FALSE;
        platform::FileInfo info;
        if (!platform::info_of_path(path.native, info))
            return fail_path(errno, path);
        auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(information);
        data->dwFileAttributes = info.attributes;
        data->ftCreationTime = info.creation_time;
        data->ftLastAccessTime = info.last_access_time;
        data->ftLastWriteTime = info.last_write_time;
        data->nFileSizeHigh = static_cast<DWORD>(info.size >> 32);
        data->nFileSizeLow = static_cast<DWORD>(info.size & 0xFFFFFFFFu);
        return TRUE;
    } catch (const std::bad_alloc&) {
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

}
