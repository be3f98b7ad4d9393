// FindFirst, FindNext and FindClose over the platform's directory scans, which give
// the entries in case-insensitive name order already.

#include "framework/sysutils.h"

#include "platform/files.h"
#include "platform/kernel.h"

#include <cstring>

namespace fw {

namespace {

constexpr int32_t kSpecialAttributes = faHidden | faSysFile | faDirectory;

bool is_dot_entry(const char* name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// The packed local date and time of a file time: the date in the high word (years
// from 1980, month, day), the time in the low word (hour, minute, seconds / 2). Years
// outside 1980 .. 2107 are held at the nearest end.
int32_t packed_file_date(const FILETIME& time)
{
    FILETIME local{};
    SYSTEMTIME parts{};
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &parts))
        return 0;
    if (parts.wYear < 1980)
        return (1 << 21) | (1 << 16); // 1 January 1980, midnight
    const uint32_t year = parts.wYear > 2107 ? 127u : parts.wYear - 1980u;
    const uint32_t packed = (year << 25) | (uint32_t{parts.wMonth} << 21) |
                            (uint32_t{parts.wDay} << 16) | (uint32_t{parts.wHour} << 11) |
                            (uint32_t{parts.wMinute} << 5) | (uint32_t{parts.wSecond} / 2);
    return static_cast<int32_t>(packed);
}

void fill_record(const WIN32_FIND_DATAA& data, TSearchRec& record)
{
    record.Name = QString::fromUtf8(data.cFileName);
    record.Attr = static_cast<int32_t>(data.dwFileAttributes);
    record.Size = static_cast<int64_t>((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
    record.Time = packed_file_date(data.ftLastWriteTime);
}

// From the entry in data on, the first one that the record's attributes let through
// (never "." or ".."): 0, or the error of the scan's end.
int find_matching(HANDLE find, WIN32_FIND_DATAA& data, TSearchRec& record)
{
    while (is_dot_entry(data.cFileName) ||
           (static_cast<int32_t>(data.dwFileAttributes) & record.ExcludeAttr) != 0) {
        if (!FindNextFileA(find, &data))
            return static_cast<int>(GetLastError());
    }
    fill_record(data, record);
    return 0;
}

}

int FindFirst(const QString& path, int32_t attributes, TSearchRec& record)
{
    FindClose(record);
    record.ExcludeAttr = ~attributes & kSpecialAttributes;
    WIN32_FIND_DATAA data{};
    HANDLE find = FindFirstFileA(PathToUtf8(path).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return static_cast<int>(GetLastError());
    record.FindHandle = std::shared_ptr<void>(find, [](void* handle) { ::FindClose(handle); });
    const int result = find_matching(find, data, record);
    if (result != 0)
        FindClose(record);
    return result;
}

int FindNext(TSearchRec& record)
{
    if (record.FindHandle == nullptr)
        return ERROR_NO_MORE_FILES;
    WIN32_FIND_DATAA data{};
    if (!FindNextFileA(record.FindHandle.get(), &data))
        return static_cast<int>(GetLastError());
    return find_matching(record.FindHandle.get(), data, record);
}

void FindClose(TSearchRec& record)
{
    record.FindHandle.reset();
}

}
