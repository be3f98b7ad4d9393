#include "file_info.h"

#include "path_translation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>

namespace {

// 100-nanosecond intervals from 1601-01-01 to 1970-01-01.
constexpr int64_t kEpochDifference = 116444736000000000LL;
constexpr int64_t kTicksPerSecond = 10000000LL;

FILETIME from_ticks(int64_t ticks)
{
    const auto value = static_cast<uint64_t>(ticks < 0 ? 0 : ticks);
    return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

timespec from_statx(const struct statx_timestamp& stamp)
{
    timespec time{};
    time.tv_sec = stamp.tv_sec;
    time.tv_nsec = stamp.tv_nsec;
    return time;
}

void fill_from_statx(const struct statx& status, std::string_view name, platform::FileInfo& info)
{
    const mode_t mode = status.stx_mode;
    info.attributes = platform::attributes_from(mode, name);
    info.last_access_time = platform::file_time_from(from_statx(status.stx_atime));
    info.last_write_time = platform::file_time_from(from_statx(status.stx_mtime));
    info.creation_time = (status.stx_mask & STATX_BTIME)
                             ? platform::file_time_from(from_statx(status.stx_btime))
                             : info.last_write_time;
    info.size = S_ISDIR(mode) ? 0 : status.stx_size;
    info.device = makedev(status.stx_dev_major, status.stx_dev_minor);
    info.inode = status.stx_ino;
}

constexpr unsigned kWanted = STATX_BASIC_STATS | STATX_BTIME;

}

namespace platform {

DWORD attributes_from(mode_t mode, std::string_view name)
{
    DWORD attributes = 0;
    if (S_ISDIR(mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (!(mode & S_IWUSR))
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (name.size() > 1 && name.front() == '.' && name != "..")
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (S_ISREG(mode))
        attributes |= FILE_ATTRIBUTE_ARCHIVE;
    return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

FILETIME file_time_from(const timespec& time)
{
    // Far past 1601 or the year 30828 the tick count would overflow: clamp first.
    constexpr int64_t kLowest = -kEpochDifference / kTicksPerSecond;
    constexpr int64_t kHighest = (INT64_MAX - kEpochDifference) / kTicksPerSecond - 1;
    const int64_t seconds = time.tv_sec;
    if (seconds < kLowest)
        return FILETIME{0, 0};
    if (seconds > kHighest)
        return from_ticks(INT64_MAX);
    return from_ticks(seconds * kTicksPerSecond + time.tv_nsec / 100 + kEpochDifference);
}

bool timespec_from(const FILETIME& file_time, timespec& time)
{
    const uint64_t ticks = (static_cast<uint64_t>(file_time.dwHighDateTime) << 32) |
                           file_time.dwLowDateTime;
    if (ticks > static_cast<uint64_t>(INT64_MAX))
        return false;
    const int64_t since_epoch = static_cast<int64_t>(ticks) - kEpochDifference;
    int64_t seconds = since_epoch / kTicksPerSecond;
    int64_t remainder = since_epoch % kTicksPerSecond;
    if (remainder < 0) {
        remainder += kTicksPerSecond;
        --seconds;
    }
    time.tv_sec = static_cast<time_t>(seconds);
    time.tv_nsec = static_cast<long>(remainder * 100);
    return true;
}

bool info_of_path(const std::string& native, FileInfo& info)
{
    struct statx status;
    const std::string name = last_component(native);
    if (statx(AT_FDCWD, native.c_str(), 0, kWanted, &status) != 0) {
        const int error_number = errno;
        // A link that leads nowhere is still an entry of its folder.
        if (error_number != ENOENT ||
            statx(AT_FDCWD, native.c_str(), AT_SYMLINK_NOFOLLOW, kWanted, &status) != 0) {
            errno = error_number;
            return false;
        }
    }
    fill_from_statx(status, name, info);
    return true;
}

bool info_of_descriptor(int descriptor, std::string_view name, FileInfo& info)
{
    struct statx status;
    if (statx(descriptor, "", AT_EMPTY_PATH, kWanted, &status) != 0)
        return false;
    fill_from_statx(status, name, info);
    return true;
}

}
