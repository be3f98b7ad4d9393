// Directory scans: FindFirstFileA, FindNextFileA, FindClose (platform/files.h).
//
// The matching entries are collected when the scan starts, in the order Win32's file
// systems give them ("." and ".." first, then by name without regard to case), so a
// scan never sees an entry twice while the folder changes under it.

#include "platform/files.h"

#include "file_info.h"
#include "file_name_rules.h"
#include "file_object.h"
#include "kernel_object.h"
#include "make_win32_error.h"
#include "path_translation.h"
#include "platform/kernel.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace {

class FindObject final : public platform::KernelObject {
public:
    explicit FindObject(std::vector<WIN32_FIND_DATAA> entries) : m_entries(std::move(entries)) {}

    // The next entry; false when there is none.
    bool next(WIN32_FIND_DATAA& data)
    {
        const std::lock_guard lock(m_mutex);
        if (m_next >= m_entries.size())
            return false;
        data = m_entries[m_next++];
        return true;
    }

private:
    std::mutex m_mutex;
    std::vector<WIN32_FIND_DATAA> m_entries;
    size_t m_next = 0;
};

HANDLE fail_handle(DWORD error, platform::SourceSite where = platform::SourceSite::current())
{
    platform::make_win32_error(error, where);
    return platform::invalid_handle_value();
}

// Fills a find record for an entry; false when it cannot be (gone, or a name that
// does not fit).
bool make_entry(const std::string& native, const std::string& name, WIN32_FIND_DATAA& data)
{
    if (name.size() >= sizeof data.cFileName)
        return false;
    platform::FileInfo info;
    if (!platform::info_of_path(native, info))
        return false;
    std::memset(&data, 0, sizeof data);
    data.dwFileAttributes = name == "." || name == ".."
                                ? (info.attributes & ~FILE_ATTRIBUTE_HIDDEN)
                                : info.attributes;
    data.ftCreationTime = info.creation_time;
    data.ftLastAccessTime = info.last_access_time;
    data.ftLastWriteTime = info.last_write_time;
    data.nFileSizeHigh = static_cast<DWORD>(info.size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(info.size & 0xFFFFFFFFu);
    std::memcpy(data.cFileName, name.c_str(), name.size() + 1);
    return true;
}

std::string join(const std::string& folder, const std::string& name)
{
    return folder.back() == '/' ? folder + name : folder + '/' + name;
}

// Splits a search name into its folder (as written, "" for the current directory)
// and its pattern, the last component.
void split_search_name(const std::string& name, std::string& folder, std::string& pattern)
{
    const size_t separator = name.find_last_of("/\\");
    if (separator != std::string::npos) {
        folder = name.substr(0, separator + 1);
        pattern = name.substr(separator + 1);
        return;
    }
    const bool has_drive = name.size() >= 2 && name[1] == ':' &&
                           ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
    folder = has_drive ? name.substr(0, 2) : std::string();
    pattern = has_drive ? name.substr(2) : name;
}

// The entries of a folder that match a wildcard pattern, in scan order. False with
// the last error when the folder cannot be read.
bool scan_folder(const platform::TranslatedPath& folder, const std::string& pattern,
                 std::vector<WIN32_FIND_DATAA>& entries)
{
    DIR* directory = opendir(folder.native.c_str());
    if (directory == nullptr) {
        platform::set_path_error(errno, folder);
        if (GetLastError() == ERROR_FILE_NOT_FOUND)
            platform::make_win32_error(ERROR_PATH_NOT_FOUND);
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (name != "." && name != ".." && platform::matches_wildcard(pattern, name))
            names.push_back(name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return platform::compare_ignoring_case(a, b) < 0;
    });
    // The root has no "." and "..", as on Win32.
    if (folder.native != "/") {
        for (const char* dots : {"..", "."}) {
            if (platform::matches_wildcard(pattern, dots))
                names.insert(names.begin(), dots);
        }
    }
    for (const std::string& name : names) {
        WIN32_FIND_DATAA data;
        if (make_entry(join(folder.native, name), name, data))
            entries.push_back(data);
    }
    return true;
}

HANDLE find_first(LPCSTR name, LPWIN32_FIND_DATAA data)
{
    std::string folder_text;
    std::string pattern;
    split_search_name(name, folder_text, pattern);
    if (pattern.empty())
        return fail_handle(ERROR_FILE_NOT_FOUND);

    std::vector<WIN32_FIND_DATAA> entries;
    if (!platform::has_wildcards(pattern)) {
        // One entry, found as every path is.
        platform::TranslatedPath path;
        if (!platform::translate_path(name, path))
            return platform::invalid_handle_value();
        struct stat status;
        if (!path.exists || lstat(path.native.c_str(), &status) != 0) {
            platform::set_path_error(path.exists ? errno : ENOENT, path);
            if (!path.exists && lstat(path.native.c_str(), &status) != 0)
                platform::set_path_error(errno, path);
            return platform::invalid_handle_value();
        }
        const std::string entry_name = platform::last_component(path.native);
        WIN32_FIND_DATAA entry;
        if (entry_name == "/" || !make_entry(path.native, entry_name, entry))
            return fail_handle(ERROR_FILE_NOT_FOUND);
        entries.push_back(entry);
    } else {
        platform::TranslatedPath folder;
        if (!platform::translate_path(folder_text.empty() ? "." : folder_text.c_str(), folder))
            return platform::invalid_handle_value();
        if (!scan_folder(folder, pattern, entries))
            return platform::invalid_handle_value();
        if (entries.empty())
            return fail_handle(ERROR_FILE_NOT_FOUND);
    }
    *data = entries.front();
    auto object = std::make_shared<FindObject>(std::move(entries));
    WIN32_FIND_DATAA first;
    object->next(first);
    const HANDLE handle = platform::add_handle(std::move(object));
    return handle != nullptr ? handle : platform::invalid_handle_value();
}

}

extern "C" {

PLATFORM_API HANDLE FindFirstFileA(LPCSTR name, LPWIN32_FIND_DATAA data) noexcept
{
    if (name == nullptr || data == nullptr)
        return fail_handle(ERROR_INVALID_PARAMETER);
    try {
        return find_first(name, data);
    } catch (const std::bad_alloc&) {
        return fail_handle(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data) noexcept
{
    const std::shared_ptr<FindObject> object = platform::object_of_kind<FindObject>(find);
    if (object == nullptr)
        return FALSE;
    if (data == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!object->next(*data)) {
        // The end of the listing, not a failure: no error site.
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    return TRUE;
}

PLATFORM_API BOOL FindClose(HANDLE find) noexcept
{
    if (platform::object_of_kind<FindObject>(find) == nullptr)
        return FALSE;
    return CloseHandle(find);
}

}
