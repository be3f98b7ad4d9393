// CreateProcessW: the UTF-16 form of CreateProcessA.

#include "platform/processes.h"

#include "make_win32_error.h"
#include "platform/kernel.h"

#include <QtCore/QString>

#include <new>
#include <optional>
#include <string>

namespace {

std::optional<std::string> utf8(LPCWSTR text)
{
    if (text == nullptr)
        return std::nullopt;
    return QString::fromUtf16(text).toStdString();
}

LPSTR string_of(std::optional<std::string>& text)
{
    return text ? text->data() : nullptr;
}

}

extern "C" {

PLATFORM_API BOOL CreateProcessW(LPCWSTR application_name, LPWSTR command_line,
                                 LPSECURITY_ATTRIBUTES process_attributes,
                                 LPSECURITY_ATTRIBUTES thread_attributes, BOOL inherit_handles,
                                 DWORD creation_flags, LPVOID environment,
                                 LPCWSTR current_directory, LPSTARTUPINFOW startup_info,
                                 LPPROCESS_INFORMATION process_information) noexcept
{
    if (startup_info == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    try {
        std::optional<std::string> application = utf8(application_name);
        std::optional<std::string> line = utf8(command_line);
        std::optional<std::string> folder = utf8(current_directory);
        std::optional<std::string> desktop = utf8(startup_info->lpDesktop);
        std::optional<std::string> title = utf8(startup_info->lpTitle);
        STARTUPINFOA narrow{};
        narrow.cb = sizeof narrow;
        narrow.lpDesktop = string_of(desktop);
        narrow.lpTitle = string_of(title);
        narrow.dwX = startup_info->dwX;
        narrow.dwY = startup_info->dwY;
        narrow.dwXSize = startup_info->dwXSize;
        narrow.dwYSize = startup_info->dwYSize;
        narrow.dwXCountChars = startup_info->dwXCountChars;
        narrow.dwYCountChars = startup_info->dwYCountChars;
        narrow.dwFillAttribute = startup_info->dwFillAttribute;
        narrow.dwFlags = startup_info->dwFlags;
        narrow.wShowWindow = startup_info->wShowWindow;
        narrow.hStdInput = startup_info->hStdInput;
        narrow.hStdOutput = startup_info->hStdOutput;
        narrow.hStdError = startup_info->hStdError;
        return CreateProcessA(application ? application->c_str() : nullptr, string_of(line),
                              process_attributes, thread_attributes, inherit_handles,
                              creation_flags, environment, folder ? folder->c_str() : nullptr,
                              &narrow, process_information);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}
}
