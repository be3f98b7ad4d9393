// File objects, CreateFileA and the calls on open file handles (platform/files.h).

#include "platform/files.h"

#include "file_info.h"
#include "file_object.h"
#include "make_win32_error.h"
#include "path_translation.h"
#include "platform/kernel.h"
#include "unique_fd.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <new>
#include <string>

namespace {

using platform::DescriptorOwnership;
using platform::FileKind;
using platform::FileObject;

constexpr DWORD kStandardRights = 0x000F0000u; // DELETE, READ_CONTROL, WRITE_DAC, WRITE_OWNER
constexpr DWORD kSynchronize = 0x00100000u;
constexpr DWORD kFileReadEa = 0x0008u;
constexpr DWORD kFileWriteEa = 0x0010u;
constexpr DWORD kFileExecute = 0x0020u;
constexpr DWORD kReadControl = 0x00020000u;
constexpr DWORD kAllFileRights = 0x01FFu;

BOOL fail(DWORD error, platform::SourceSite where = platform::SourceSite::current())
{
    platform::make_win32_error(error, where);
    return FALSE;
}

HANDLE fail_handle(DWORD error, platform::SourceSite where = platform::SourceSite::current())
{
    platform::make_win32_error(error, where);
    return platform::invalid_handle_value();
}

// write() for descriptors that may be pipes or sockets: a write into a pipe without a
// reader gives EPIPE here and never a SIGPIPE that would end the process.
ssize_t write_without_signal(int descriptor, const void* buffer, size_t count)
{
    sigset_t pipe_signal;
    sigemptyset(&pipe_signal);
    sigaddset(&pipe_signal, SIGPIPE);
    sigset_t pending;
    sigemptyset(&pending);
    sigpending(&pending);
    const bool was_pending = sigismember(&pending, SIGPIPE) == 1;
    sigset_t old_mask;
    pthread_sigmask(SIG_BLOCK, &pipe_signal, &old_mask);
    const ssize_t written = write(descriptor, buffer, count);
    const int error_number = errno;
    if (written < 0 && error_number == EPIPE && !was_pending) {
        const timespec no_wait{};
        sigtimedwait(&pipe_signal, nullptr, &no_wait);
    }
    pthread_sigmask(SIG_SETMASK, &old_mask, nullptr);
    errno = error_number;
    return written;
}

// The Win32 error for a failed I/O call on a file object.
DWORD io_error(int error_number, const FileObject& file)
{
    if (error_number == EPIPE)
        return ERROR_NO_DATA;
    if (error_number == ESPIPE || (error_number == EISDIR && file.kind() == FileKind::Directory))
        return ERROR_INVALID_FUNCTION;
    return platform_win32_error_from_errno(error_number);
}

// ---- Opening -----------------------------------------------------------------------

struct OpenRequest {
    DWORD access = 0;
    DWORD share_mode = 0;
    DWORD disposition = 0;
    DWORD flags = 0;
};

bool wants_read(DWORD access)
{
    return (access & (FILE_READ_DATA | kFileExecute)) != 0;
}

bool wants_write(DWORD access)
{
    return (access & (FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0;
}

int open_flags(DWORD access)
{
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    if (wants_read(access) && wants_write(access))
        flags |= O_RDWR;
    else if (wants_write(access))
        flags |= O_WRONLY;
    else
        flags |= O_RDONLY;
    if ((access & FILE_APPEND_DATA) && !(access & FILE_WRITE_DATA))
        flags |= O_APPEND;
    return flags;
}

// Opens the folder that a path names; only with FILE_FLAG_BACKUP_SEMANTICS, as on
// Win32.
HANDLE open_folder(const platform::TranslatedPath& path, const OpenRequest& request)
{
    if (!(request.flags & FILE_FLAG_BACKUP_SEMANTICS))
        return fail_handle(ERROR_ACCESS_DENIED);
    if (request.disposition == CREATE_NEW)
        return fail_handle(ERROR_FILE_EXISTS);
    if (request.disposition == CREATE_ALWAYS || request.disposition == TRUNCATE_EXISTING)
        return fail_handle(ERROR_ACCESS_DENIED);
    platform::UniqueFd descriptor(open(path.native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!descriptor) {
        platform::set_path_error(errno, path);
        return platform::invalid_handle_value();
    }
    struct stat status;
    platform::ShareRegistration registration;
    if (fstat(descriptor.get(), &status) != 0 ||
        !registration.acquire({status.st_dev, status.st_ino}, request.access, request.share_mode)) {
        if (GetLastError() != ERROR_SHARING_VIOLATION)
            platform::make_win32_error_from_errno();
        return platform::invalid_handle_value();
    }
    const HANDLE handle = platform::add_file_handle(
        descriptor.release(), request.access, DescriptorOwnership::Owned, std::move(registration));
    if (handle != platform::invalid_handle_value())
        SetLastError(request.disposition == OPEN_ALWAYS ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

// Opens the file by the disposition; sets `created` when this call made it. -1 with
// the last error set on failure.
int open_by_disposition(const platform::TranslatedPath& path, const OpenRequest& request,
                        bool& created)
{
    const char* native = path.native.c_str();
    const int flags = open_flags(request.access);
    const mode_t mode = (request.flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    created = false;
    int descriptor = -1;
    switch (request.disposition) {
    case CREATE_NEW:
        descriptor = open(native, flags | O_CREAT | O_EXCL, mode);
        if (descriptor < 0 && errno == EEXIST) {
            platform::make_win32_error(ERROR_FILE_EXISTS);
            return -1;
        }
        created = descriptor >= 0;
        break;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
        // Create it, else open what is there; the loop only repeats when another
        // process deletes the file in between.
        for (int attempt = 0; attempt < 16; ++attempt) {
            descriptor = open(native, flags | O_CREAT | O_EXCL, mode);
            if (descriptor >= 0) {
                created = true;
                break;
            }
            if (errno != EEXIST)
                break;
            descriptor = open(native, flags);
            if (descriptor >= 0 || errno != ENOENT)
                break;
        }
        break;
    default:
        descriptor = open(native, flags);
        // A query-only open of a file that the user may not read still works.
        if (descriptor < 0 && errno == EACCES && !wants_read(request.access) &&
            !wants_write(request.access))
            descriptor = open(native, O_PATH | O_CLOEXEC);
        break;
    }
    if (descriptor < 0) {
        platform::set_path_error(errno, path);
        return -1;
    }
    // The descriptor was opened without waiting (a FIFO would wait for its other end);
    // reads and writes wait as Win32's do.
    const int status_flags = fcntl(descriptor, F_GETFL);
    if (status_flags >= 0 && (status_flags & O_PATH) == 0)
        fcntl(descriptor, F_SETFL, status_flags & ~O_NONBLOCK);
    return descriptor;
}

HANDLE open_file(const platform::TranslatedPath& path, const OpenRequest& request)
{
    bool created = false;
    platform::UniqueFd descriptor(open_by_disposition(path, request, created));
    if (!descriptor)
        return platform::invalid_handle_value();
    struct stat status;
    if (fstat(descriptor.get(), &status) != 0)
        return fail_handle(platform_win32_error_from_errno(errno));
    if (S_ISDIR(status.st_mode))
        return fail_handle(ERROR_ACCESS_DENIED);
    const bool truncates = !created && (request.disposition == CREATE_ALWAYS ||
                                        request.disposition == TRUNCATE_EXISTING);
    // The read-only attribute holds for everyone, root too, as on Win32.
    if (!created && S_ISREG(status.st_mode) && !(status.st_mode & S_IWUSR) &&
        (wants_write(request.access) || truncates))
        return fail_handle(ERROR_ACCESS_DENIED);

    platform::ShareRegistration registration;
    if (!registration.acquire({status.st_dev, status.st_ino}, request.access, request.share_mode))
        return fail_handle(GetLastError());
    if (truncates && S_ISREG(status.st_mode)) {
        const int result = wants_write(request.access) ? ftruncate(descriptor.get(), 0)
                                                       : truncate(path.native.c_str(), 0);
        if (result != 0)
            return fail_handle(platform_win32_error_from_errno(errno));
    }
    const HANDLE handle = platform::add_file_handle(
        descriptor.release(), request.access, DescriptorOwnership::Owned, std::move(registration));
    if (handle == platform::invalid_handle_value())
        return handle;
    const bool reports_existing = !created && (request.disposition == CREATE_ALWAYS ||
                                               request.disposition == OPEN_ALWAYS);
    SetLastError(reports_existing ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

// ---- The file position -------------------------------------------------------------

// Moves the position; false with the last error set. With `limit_to_32_bits` a target
// from 2^32 on is refused before anything moves.
bool move_position(HANDLE file, int64_t distance, DWORD method, bool limit_to_32_bits,
                   int64_t& new_position)
{
    const std::shared_ptr<FileObject> object = platform::file_object_of(file);
    if (object == nullptr)
        return false;
    if (method > FILE_END)
        return fail(ERROR_INVALID_PARAMETER);
    if (!object->is_seekable())
        return fail(ERROR_INVALID_FUNCTION);
    const int descriptor = object->descriptor();
    int64_t base = 0;
    if (method == FILE_CURRENT) {
        const off_t current = lseek(descriptor, 0, SEEK_CUR);
        if (current < 0)
            return fail(io_error(errno, *object));
        base = current;
    } else if (method == FILE_END) {
        struct stat status;
        if (fstat(descriptor, &status) != 0)
            return fail(io_error(errno, *object));
        base = status.st_size;
    }
    int64_t target = 0;
    if (__builtin_add_overflow(base, distance, &target))
        return fail(ERROR_INVALID_PARAMETER);
    if (target < 0)
        return fail(ERROR_NEGATIVE_SEEK);
    if (limit_to_32_bits && target > static_cast<int64_t>(UINT32_MAX))
        return fail(ERROR_INVALID_PARAMETER);
    const off_t moved = lseek(descriptor, static_cast<off_t>(target), SEEK_SET);
    if (moved < 0)
        return fail(io_error(errno, *object));
    new_position = moved;
    return true;
}

bool file_size(HANDLE file, int64_t& size)
{
    const std::shared_ptr<FileObject> object = platform::file_object_of(file);
    if (object == nullptr)
        return false;
    if (object->kind() == FileKind::Directory) {
        size = 0;
        return true;
    }
    if (object->kind() != FileKind::Disk)
        return fail(ERROR_INVALID_FUNCTION);
    struct stat status;
    if (fstat(object->descriptor(), &status) != 0)
        return fail(io_error(errno, *object));
    size = status.st_size;
    return true;
}

// A FILETIME argument of SetFileTime that leaves its time as it is.
bool leaves_time(const FILETIME* time)
{
    return time == nullptr || (time->dwLowDateTime == 0 && time->dwHighDateTime == 0) ||
           (time->dwLowDateTime == 0xFFFFFFFFu && time->dwHighDateTime == 0xFFFFFFFFu);
}

}

// ---- File objects ------------------------------------------------------------------

namespace platform {

DWORD map_generic_access(DWORD desired_access)
{
    DWORD access = desired_access & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
    if (desired_access & GENERIC_READ)
        access |= FILE_READ_DATA | FILE_READ_ATTRIBUTES | kFileReadEa | kReadControl | kSynchronize;
    if (desired_access & GENERIC_WRITE)
        access |= FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES | kFileWriteEa |
                  kReadControl | kSynchronize;
    if (desired_access & GENERIC_EXECUTE)
        access |= kFileExecute | FILE_READ_ATTRIBUTES | kReadControl | kSynchronize;
    if (desired_access & GENERIC_ALL)
        access |= kAllFileRights | kStandardRights | kSynchronize;
    return access;
}

FileObject::FileObject(int descriptor, FileKind kind, DWORD access, DescriptorOwnership ownership)
    : m_descriptor(descriptor), m_kind(kind), m_access(access), m_ownership(ownership)
{
}

FileObject::FileObject(std::shared_ptr<PipeListener> listener, DWORD access)
    : m_descriptor(-1), m_kind(FileKind::Pipe), m_access(access),
      m_ownership(DescriptorOwnership::Owned), m_listener(std::move(listener))
{
}

FileObject::~FileObject()
{
    if (m_ownership == DescriptorOwnership::Owned && m_descriptor >= 0)
        close(m_descriptor);
    if (m_listener != nullptr)
        release_pipe_instance(*m_listener);
}

int FileObject::io_descriptor()
{
    const int descriptor = m_descriptor.load();
    if (descriptor >= 0 || m_listener == nullptr)
        return descriptor;
    const std::lock_guard lock(m_connect_mutex);
    if (m_descriptor.load() < 0)
        m_descriptor.store(accept_pipe_client(*m_listener));
    return m_descriptor.load();
}

bool FileObject::can_read() const
{
    return wants_read(m_access);
}

bool FileObject::can_write() const
{
    return wants_write(m_access);
}

bool FileObject::can_write_attributes() const
{
    return (m_access & FILE_WRITE_ATTRIBUTES) != 0;
}

FileKind file_kind_of(mode_t mode)
{
    if (S_ISDIR(mode))
        return FileKind::Directory;
    if (S_ISCHR(mode))
        return FileKind::Character;
    if (S_ISFIFO(mode) || S_ISSOCK(mode))
        return FileKind::Pipe;
    return FileKind::Disk;
}

HANDLE add_file_handle(int descriptor, DWORD access, DescriptorOwnership ownership,
                       ShareRegistration registration)
{
    // Until the file object holds it, an owned descriptor is closed on every failure.
    UniqueFd owned(ownership == DescriptorOwnership::Owned ? descriptor : -1);
    struct stat status;
    if (fstat(descriptor, &status) != 0) {
        platform::make_win32_error_from_errno();
        return platform::invalid_handle_value();
    }
    std::shared_ptr<FileObject> object;
    try {
        object = std::make_shared<FileObject>(descriptor, file_kind_of(status.st_mode), access,
                                              ownership);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return platform::invalid_handle_value();
    }
    owned.release();
    object->keep_share_registration(std::move(registration));
    const HANDLE handle = add_handle(std::move(object));
    return handle != nullptr ? handle : platform::invalid_handle_value();
}

std::shared_ptr<FileObject> file_object_of(HANDLE handle)
{
    return object_of_kind<FileObject>(handle);
}

int descriptor_of_handle(HANDLE handle)
{
    const std::shared_ptr<FileObject> object = file_object_of(handle);
    return object != nullptr ? object->descriptor() : -1;
}


namespace {

enum class Transfer { Read, Write };

// What ReadFile and WriteFile check before they move a byte: the arguments, the handle,
// its access and kind. The file object with its descriptor, or NULL with the last error
// set (the count done is 0 either way).
std::shared_ptr<FileObject> begin_transfer(HANDLE file, const void* buffer, DWORD count,
                                           LPDWORD done, LPOVERLAPPED overlapped,
                                           Transfer direction, int& descriptor)
{
    if (done != nullptr)
        *done = 0;
    if (overlapped != nullptr) {
        fail(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (done == nullptr || (buffer == nullptr && count != 0)) {
        fail(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::shared_ptr<FileObject> object = platform::file_object_of(file);
    if (object == nullptr)
        return nullptr;
    if (direction == Transfer::Read ? !object->can_read() : !object->can_write()) {
        fail(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    if (object->kind() == FileKind::Directory) {
        fail(ERROR_INVALID_FUNCTION);
        return nullptr;
    }
    descriptor = object->io_descriptor();
    if (descriptor < 0)
        return nullptr;
    return object;
}

}

}

extern "C" {

PLATFORM_API HANDLE CreateFileA(LPCSTR name, DWORD desired_access, DWORD share_mode,
                                LPSECURITY_ATTRIBUTES /*security_attributes*/,
                                DWORD creation_disposition, DWORD flags_and_attributes,
                                HANDLE /*template_file*/) noexcept
{
    try {
        OpenRequest request;
        request.access = platform::map_generic_access(desired_access);
        request.share_mode = share_mode;
        request.disposition = creation_disposition;
        request.flags = flags_and_attributes;
        if (creation_disposition < CREATE_NEW || creation_disposition > TRUNCATE_EXISTING)
            return fail_handle(ERROR_INVALID_PARAMETER);
        if (creation_disposition == TRUNCATE_EXISTING && !(request.access & FILE_WRITE_DATA))
            return fail_handle(ERROR_INVALID_PARAMETER);
        if (platform::is_pipe_name(name))
            return platform::connect_to_pipe(name, request.access);
        platform::TranslatedPath path;
        if (!platform::translate_path(name, path))
            return platform::invalid_handle_value();
        struct stat status;
        if (path.exists && stat(path.native.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
            return open_folder(path, request);
        return open_file(path, request);
    } catch (const std::bad_alloc&) {
        return fail_handle(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytes_to_read, LPDWORD bytes_read,
                           LPOVERLAPPED overlapped) noexcept
{
    int descriptor = -1;
    const std::shared_ptr<FileObject> object = platform::begin_transfer(
        file, buffer, bytes_to_read, bytes_read, overlapped, platform::Transfer::Read, descriptor);
    if (object == nullptr)
        return FALSE;
    auto* bytes = static_cast<unsigned char*>(buffer);
    DWORD done = 0;
    while (done < bytes_to_read) {
        const ssize_t count = read(descriptor, bytes + done, bytes_to_read - done);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            *bytes_read = done;
            return fail(io_error(errno, *object));
        }
        if (count == 0) {
            // A pipe whose writers are gone says so, as Win32's do; a file or a
            // terminal simply has no more.
            if (object->kind() == FileKind::Pipe && done == 0 && bytes_to_read != 0)
                return fail(ERROR_BROKEN_PIPE);
            break;
        }
        done += static_cast<DWORD>(count);
        // Only a file is read to the full count; a pipe or terminal gives what it has.
        if (object->kind() != FileKind::Disk)
            break;
    }
    *bytes_read = done;
    return TRUE;
}

PLATFORM_API BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytes_to_write,
                            LPDWORD bytes_written, LPOVERLAPPED overlapped) noexcept
{
    int descriptor = -1;
    const std::shared_ptr<FileObject> object = platform::begin_transfer(
        file, buffer, bytes_to_write, bytes_written, overlapped, platform::Transfer::Write, descriptor);
    if (object == nullptr)
        return FALSE;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    DWORD done = 0;
    while (done < bytes_to_write) {
        const size_t rest = bytes_to_write - done;
        const ssize_t count = object->kind() == FileKind::Disk
                                  ? write(descriptor, bytes + done, rest)
                                  : write_without_signal(descriptor, bytes + done, rest);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            *bytes_written = done;
            return fail(io_error(errno, *object));
        }
        if (count == 0) {
            *bytes_written = done;
            return fail(ERROR_DISK_FULL);
        }
        done += static_cast<DWORD>(count);
    }
    *bytes_written = done;
    return TRUE;
}

PLATFORM_API DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distance_high, DWORD method) noexcept
{
    int64_t full_distance = distance;
    if (distance_high != nullptr)
        full_distance = static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distance_high)) << 32) |
                                             static_cast<uint32_t>(distance));
    int64_t new_position = 0;
    if (!move_position(file, full_distance, method, distance_high == nullptr, new_position))
        return INVALID_SET_FILE_POINTER;
    if (distance_high != nullptr)
        *distance_high = static_cast<LONG>(static_cast<uint64_t>(new_position) >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(static_cast<uint64_t>(new_position) & 0xFFFFFFFFu);
}

PLATFORM_API BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER new_position,
                                   DWORD method) noexcept
{
    int64_t position = 0;
    if (!move_position(file, distance.QuadPart, method, false, position))
        return FALSE;
    if (new_position != nullptr)
        new_position->QuadPart = position;
    return TRUE;
}

PLATFORM_API DWORD GetFileSize(HANDLE file, LPDWORD size_high) noexcept
{
    int64_t size = 0;
    if (!file_size(file, size))
        return INVALID_FILE_SIZE;
    const auto value = static_cast<uint64_t>(size);
    if (size_high != nullptr)
        *size_high = static_cast<DWORD>(value >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(value & 0xFFFFFFFFu);
}

PLATFORM_API BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size) noexcept
{
    if (size == nullptr)
        return fail(ERROR_INVALID_PARAMETER);
    int64_t value = 0;
    if (!file_size(file, value))
        return FALSE;
    size->QuadPart = value;
    return TRUE;
}

PLATFORM_API BOOL FlushFileBuffers(HANDLE file) noexcept
{
    const std::shared_ptr<FileObject> object = platform::file_object_of(file);
    if (object == nullptr)
        return FALSE;
    if (!object->can_write())
        return fail(ERROR_ACCESS_DENIED);
    if (!object->is_seekable())
        return TRUE;
    if (fsync(object->descriptor()) != 0 && errno != EINVAL && errno != EROFS)
        return fail(io_error(errno, *object));
    return TRUE;
}

PLATFORM_API BOOL SetEndOfFile(HANDLE file) noexcept
{
    const std::shared_ptr<FileObject> object = platform::file_object_of(file);
    if (object == nullptr)
        return FALSE;
    if (!object->can_write())
        return fail(ERROR_ACCESS_DENIED);
    if (object->kind() != FileKind::Disk)
        return fail(ERROR_INVALID_FUNCTION);
    const off_t position = lseek(object->descriptor(), 0, SEEK_CUR);
    if (position < 0 || ftruncate(object->descriptor(), position) != 0)
        return fail(io_error(errno, *object));
    return TRUE;
}

PLATFORM_API DWORD GetFileType(HANDLE file) noexcept
{
    const std::shared_ptr<FileObject> object = platform::file_object_of(file);
    if (object == nullptr)
        return FILE_TYPE_UNKNOWN;
    switch (object->kind()) {
    case FileKind::Disk:
    case FileKind::Directory:
        return FILE_TYPE_DISK;
    case FileKind::Character:
        return FILE_TYPE_CHAR;
    case FileKind::Pipe:
        return FILE_TYPE_PIPE;
    }
    return FILE_TYPE_UNKNOWN;
}

PLATFORM_API BOOL GetFileTime(HANDLE file, LPFILETIME creation_time, LPFILETIME last_access_time,
                              LPFILETIME last_write_time) noexcept
{
    const std::shared_ptr<FileObject> object = platform::file_object_of(file);
    if (object == nullptr)
        return FALSE;
    platform::FileInfo info;
    if (!platform::info_of_descriptor(object->descriptor(), {}, info))
        return fail(io_error(errno, *object));
    if (creation_time != nullptr)
        *creation_time = info.creation_time;
    if (last_access_time != nullptr)
        *last_access_time = info.last_access_time;
    if (last_write_time != nullptr)
        *last_write_time = info.last_write_time;
    return TRUE;
}

PLATFORM_API BOOL SetFileTime(HANDLE file, const FILETIME* /*creation_time*/,
                              const FILETIME* last_access_time, const FILETIME* last_write_time) noexcept
{
    const std::shared_ptr<FileObject> object = platform::file_object_of(file);
    if (object == nullptr)
        return FALSE;
    if (!object->can_write_attributes())
        return fail(ERROR_ACCESS_DENIED);
    // Linux keeps the birth time itself; the creation time cannot be set.
    timespec times[2];
    const FILETIME* const wanted[2] = {last_access_time, last_write_time};
    for (int i = 0; i < 2; ++i) {
        if (leaves_time(wanted[i])) {
            times[i].tv_sec = 0;
            times[i].tv_nsec = UTIME_OMIT;
        } else if (!platform::timespec_from(*wanted[i], times[i])) {
            return fail(ERROR_INVALID_PARAMETER);
        }
    }
    if (futimens(object->descriptor(), times) == 0)
        return TRUE;
    if (errno != EBADF)
        return fail(io_error(errno, *object));
    // A query-only open (O_PATH) reaches its file through /proc; the name is formed on
    // the stack, so that setting a time cannot run out of memory.
    char proc_path[32];
    std::snprintf(proc_path, sizeof proc_path, "/proc/self/fd/%d", object->descriptor());
    if (utimensat(AT_FDCWD, proc_path, times, 0) != 0)
        return fail(io_error(errno, *object));
    return TRUE;
}

PLATFORM_API HANDLE GetCurrentProcess(void) noexcept
{
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}

PLATFORM_API BOOL DuplicateHandle(HANDLE source_process, HANDLE source, HANDLE target_process,
                                  HANDLE* target, DWORD /*desired_access*/, BOOL /*inherit_handle*/,
                                  DWORD options) noexcept
{
    if (target != nullptr)
        *target = nullptr;
    if (source_process != GetCurrentProcess() || (target != nullptr && target_process != GetCurrentProcess()))
        return fail(ERROR_INVALID_HANDLE);
    std::shared_ptr<platform::KernelObject> object = platform::object_of(source);
    if (object == nullptr)
        return FALSE;
    if (target != nullptr) {
        const HANDLE copy = platform::add_handle(std::move(object));
        if (copy == nullptr)
            return FALSE;
        *target = copy;
    }
    if (options & DUPLICATE_CLOSE_SOURCE)
        CloseHandle(source);
    return TRUE;
}

}
