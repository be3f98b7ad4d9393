// Files and folders by name, through the platform's file functions.

#include "framework/sysutils.h"

#include "platform/files.h"
#include "runtime/calendar.h"

#include <cstdint>
#include <string>

namespace fw {

namespace {

DWORD attributes_of(const QString& path)
{
    if (path.isEmpty())
        return INVALID_FILE_ATTRIBUTES;
    return GetFileAttributesA(PathToUtf8(path).c_str());
}

}

bool FileExists(const QString& path)
{
    const DWORD attributes = attributes_of(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const QString& path)
{
    const DWORD attributes = attributes_of(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ForceDirectories(const QString& path)
{
    const QString folder = ExcludeTrailingPathDelimiter(path);
    if (folder.isEmpty())
        return !path.isEmpty() && DirectoryExists(path); // the root
    if (DirectoryExists(folder))
        return true;
    const QString parent = ExtractFilePath(folder);
    if (!parent.isEmpty() && !ForceDirectories(parent))
        return false;
    // Another process may make the folder meanwhile: that counts as made.
    return CreateDirectoryA(PathToUtf8(folder).c_str(), nullptr) != FALSE ||
           DirectoryExists(folder);
}

bool DeleteFile(const QString& path)
{
    return !path.isEmpty() && DeleteFileA(PathToUtf8(path).c_str()) != FALSE;
}

QString GetCurrentDir()
{
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0)
        return {};
    std::string buffer(needed, '\0');
    const DWORD length = GetCurrentDirectoryA(needed, buffer.data());
    if (length == 0 || length >= needed)
        return {};
    buffer.resize(length);
    return QString::fromStdString(buffer);
}

bool SetCurrentDir(const QString& path)
{
    return !path.isEmpty() && SetCurrentDirectoryA(PathToUtf8(path).c_str()) != FALSE;
}

TDateTime FileDateToDateTime(int32_t file_date)
{
    const uint32_t packed = static_cast<uint32_t>(file_date);
    const int year = static_cast<int>(packed >> 25) + 1980;
    const int month = static_cast<int>((packed >> 21) & 0x0Fu);
    const int day = static_cast<int>((packed >> 16) & 0x1Fu);
    const int hour = static_cast<int>((packed >> 11) & 0x1Fu);
    const int minute = static_cast<int>((packed >> 5) & 0x3Fu);
    const int second = static_cast<int>(packed & 0x1Fu) * 2;
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59)
        return 0;
    return static_cast<double>(detail::days_since_1899(year, month, day)) +
           (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

}
