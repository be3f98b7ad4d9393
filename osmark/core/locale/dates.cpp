// Date stamps: the current time, conversion to and from broken-down time, comparison,
// and the times of a file.

#include "osmark/dates.h"

#include "core/runtime/make_error.h"
#include "osmark/errors.h"
#include "platform/files.h"
#include "platform/kernel.h"
#include "platform/timing.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr uint32_t kMillisecondsPerHour = 3600000;
constexpr uint32_t kMillisecondsPerMinute = 60000;
constexpr uint32_t kMillisecondsPerSecond = 1000;
constexpr uint32_t kMaxWord = 0xFFFF;

WORD as_word(uint32_t value)
{
    return static_cast<WORD>(std::min(value, kMaxWord));
}

// The stamp's fields as a broken-down time, without the day of the week. Values that
// a field cannot hold are held at its maximum, so the time stays invalid instead of
// wrapping into a valid one.
SYSTEMTIME take_apart(const DateStampRec& stamp)
{
    SYSTEMTIME time{};
    time.wYear = as_word(stamp.ds_Day / 10000);
    time.wMonth = static_cast<WORD>(stamp.ds_Day / 100 % 100);
    time.wDay = static_cast<WORD>(stamp.ds_Day % 100);
    time.wHour = as_word(stamp.ds_Time / kMillisecondsPerHour);
    time.wMinute = static_cast<WORD>(stamp.ds_Time % kMillisecondsPerHour / kMillisecondsPerMinute);
    time.wSecond = static_cast<WORD>(stamp.ds_Time % kMillisecondsPerMinute / kMillisecondsPerSecond);
    time.wMilliseconds = static_cast<WORD>(stamp.ds_Time % kMillisecondsPerSecond);
    return time;
}

DateStampRec make_stamp(const SYSTEMTIME& time)
{
    // Computed in 64 bits: fields from a caller may be anything a WORD holds.
    const uint64_t day = uint64_t{time.wYear} * 10000 + uint64_t{time.wMonth} * 100 + time.wDay;
    const uint64_t milliseconds =
        ((uint64_t{time.wHour} * 60 + time.wMinute) * 60 + time.wSecond) * 1000 + time.wMilliseconds;
    return DateStampRec{static_cast<uint32_t>(day), static_cast<uint32_t>(milliseconds)};
}

int32_t clamp_to_int32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// A stamp as a UTC file time; false with the system's error when it is no real time.
bool file_time_of(const DateStampRec& stamp, FILETIME& file_time)
{
    const SYSTEMTIME time = take_apart(stamp);
    FILETIME local{};
    return SystemTimeToFileTime(&time, &local) && LocalFileTimeToFileTime(&local, &file_time);
}

}

extern "C" {

OSMARK_API DateStampRec* DateStamp(DateStampRec* stamp) noexcept
{
    if (stamp == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    SYSTEMTIME now{};
    GetLocalTime(&now);
    *stamp = make_stamp(now);
    return stamp;
}

OSMARK_API DateStampRec* Date2Stamp(const SYSTEMTIME* system_time, DateStampRec* stamp) noexcept
{
    if (system_time == nullptr || stamp == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    *stamp = make_stamp(*system_time);
    return stamp;
}

OSMARK_API int32_t Stamp2Date(const DateStampRec* stamp, SYSTEMTIME* system_time) noexcept
{
    if (stamp == nullptr || system_time == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    *system_time = take_apart(*stamp);
    // The system's round trip fills in the day of the week (0 for Sunday).
    FILETIME file_time{};
    SYSTEMTIME checked{};
    if (!SystemTimeToFileTime(system_time, &file_time) || !FileTimeToSystemTime(&file_time, &checked))
        return 0;
    *system_time = checked;
    system_time->wDayOfWeek = static_cast<WORD>(checked.wDayOfWeek + 1);
    return 1;
}

OSMARK_API int32_t CompareDates(const DateStampRec* a, const DateStampRec* b) noexcept
{
    if (a == nullptr || b == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    if (a->ds_Day != b->ds_Day)
        return clamp_to_int32(int64_t{a->ds_Day} - int64_t{b->ds_Day});
    return clamp_to_int32(int64_t{a->ds_Time} - int64_t{b->ds_Time});
}

OSMARK_API uint32_t GetRunningTime(void) noexcept
{
    return GetTickCount();
}

OSMARK_API int32_t SetFileDate(FileHandle* file, const DateStampRec* created, const DateStampRec* accessed,
                               const DateStampRec* written) noexcept
{
    if (file == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    const DateStampRec* const stamps[3] = {created, accessed, written};
    FILETIME times[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (stamps[i] != nullptr && !file_time_of(*stamps[i], times[i])) {
            osmark::set_io_error_from_win32(GetLastError());
            return 0;
        }
    }
    auto* handle = reinterpret_cast<HANDLE>(file->fh_SystemHandle);
    if (!SetFileTime(handle, created != nullptr ? &times[0] : nullptr, accessed != nullptr ? &times[1] : nullptr,
                     written != nullptr ? &times[2] : nullptr)) {
        osmark::set_io_error_from_win32(GetLastError());
        return 0;
    }
    return 1;
}

OSMARK_API int32_t StrToDate(const char* /*text*/, DateStampRec* /*stamp*/) noexcept
{
    osmark::set_io_error(IoErrNotImplemented);
    return 0;
}

}
