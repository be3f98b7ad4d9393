// Well-known folders on the XDG base folders.

#include "platform/shell_folders.h"

#include "make_win32_error.h"
#include "platform/files.h"
#include "platform/kernel.h"
#include "xdg_folders.h"

#include <QtCore/QString>

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// A base folder from its variable, or from HOME and the default below it. The XDG
// rules ignore a value that is not an absolute path.
std::optional<std::string> base_folder(const char* variable, const char* default_below_home)
{
    const char* value = std::getenv(variable);
    std::string folder;
    if (value != nullptr && value[0] == '/') {
        folder = value;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] != '/')
            return std::nullopt;
        folder = home;
        folder += '/';
        folder += default_below_home;
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::optional<std::string> special_folder(int csidl)
{
    switch (csidl) {
    case CSIDL_COMMON_APPDATA:
    case CSIDL_WINDOWS:
        return platform::xdg_data_home();
    case CSIDL_APPDATA:
        return platform::xdg_config_home();
    default:
        return std::nullopt;
    }
}

bool is_folder(const std::string& path)
{
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}

namespace platform {

std::optional<std::string> xdg_data_home()
{
    return base_folder("XDG_DATA_HOME", ".local/share");
}

std::optional<std::string> xdg_config_home()
{
    return base_folder("XDG_CONFIG_HOME", ".config");
}

bool make_folders(const std::string& folder)
{
    if (folder.empty())
        return false;
    if (is_folder(folder))
        return true;
    // Each level from the top down; a level that another process makes meanwhile counts.
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string level = folder.substr(0, slash);
        if (!is_folder(level) && mkdir(level.c_str(), 0700) != 0 && !(errno == EEXIST && is_folder(level)))
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

}

extern "C" {

PLATFORM_API BOOL SHGetSpecialFolderPathA(HWND /*owner*/, LPSTR path, int csidl, BOOL create) noexcept
{
    if (path == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    path[0] = '\0';
    try {
        const bool make = create != FALSE || (csidl & CSIDL_FLAG_CREATE) != 0;
        const std::optional<std::string> folder = special_folder(csidl & ~CSIDL_FLAG_CREATE);
        if (!folder) {
            platform::make_win32_error(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        if (folder->size() >= MAX_PATH) {
            platform::make_win32_error(ERROR_FILENAME_EXCED_RANGE);
            return FALSE;
        }
        if (make && !platform::make_folders(*folder)) {
            platform::make_win32_error_from_errno();
            return FALSE;
        }
        std::memcpy(path, folder->c_str(), folder->size() + 1);
        return TRUE;
    } catch (...) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

PLATFORM_API UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) noexcept
{
    try {
        const std::optional<std::string> folder = platform::xdg_data_home();
        if (!folder) {
            platform::make_win32_error(ERROR_FILE_NOT_FOUND);
            return 0;
        }
        if (folder->size() + 1 > size || buffer == nullptr)
            return static_cast<UINT>(folder->size() + 1);
        std::memcpy(buffer, folder->c_str(), folder->size() + 1);
        return static_cast<UINT>(folder->size());
    } catch (...) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

PLATFORM_API HRESULT SHGetFolderPathW(HWND owner, int csidl, HANDLE /*token*/, DWORD /*flags*/,
                                      LPWSTR path) noexcept
{
    if (path == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return E_INVALIDARG;
    }
    path[0] = 0;
    char folder[MAX_PATH];
    if (!SHGetSpecialFolderPathA(owner, folder, csidl, FALSE))
        return E_FAIL;
    try {
        const QString wide = QString::fromUtf8(folder);
        if (wide.size() >= MAX_PATH) {
            platform::make_win32_error(ERROR_FILENAME_EXCED_RANGE);
            return E_FAIL;
        }
        std::memcpy(path, wide.utf16(), static_cast<size_t>(wide.size() + 1) * sizeof(WCHAR));
        return S_OK;
    } catch (...) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return E_FAIL;
    }
}

}
