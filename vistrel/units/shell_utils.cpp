#include "units/shell_utils.h"

#include "units/string_utils.h"

#include "framework/sysutils.h"

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/kernel.h"
#include "platform/processes.h"
#include "platform/shell_execute.h"
#include "platform/shell_folders.h"
#include "platform/version_info.h"

#include <string>
#include <vector>

namespace vistrel {

namespace {

QString program_file()
{
    std::string buffer(4096, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return QString::fromStdString(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::u16string to_wide(const QString& text)
{
    return text.toStdU16String();
}

// Runs the program from the current folder: true when it started and was waited for.
bool start_and_wait(const QString& program_path, const QString& args, bool hidden)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = hidden ? SW_HIDE : SW_SHOWDEFAULT;
    // There are no short names here: a batch file keeps its path, unquoted as the
    // short name would be.
    const bool is_batch = SameFileExt(program_path, QStringLiteral(".BAT"));
    QString command_line;
    if (!args.isEmpty())
        command_line = (is_batch ? program_path : u'"' + program_path + u'"') + u' ' + args;

    const std::u16string application = to_wide(program_path);
    std::u16string line = to_wide(command_line);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(application.c_str(), command_line.isEmpty() ? nullptr : line.data(),
                        nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    const bool waited = WaitForSingleObject(process.hProcess, INFINITE) != WAIT_FAILED;
    if (waited) {
        DWORD exit_code = 0;
        GetExitCodeProcess(process.hProcess, &exit_code);
    }
    CloseHandle(process.hProcess);
    return waited;
}

}

QString GetAppDataFolder(const QString& sub_folder)
{
    WCHAR folder[MAX_PATH];
    if (SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, folder) < 0)
        return fw::IncludeTrailingPathDelimiter(GetProgramFolder() + sub_folder);
    return fw::IncludeTrailingPathDelimiter(QString::fromUtf16(folder) +
                                            QStringLiteral("/Tarvek/") + sub_folder);
}

QString GetProgramFolder()
{
    return fw::IncludeTrailingPathDelimiter(fw::ExtractFilePath(program_file()));
}

QString GetExeFolder()
{
    return fw::IncludeTrailingPathDelimiter(fw::ExtractFilePath(fw::ParamStr(0)));
}

QString ShellErrorMessage(intptr_t code)
{
    switch (code) {
    case 0:
        return QStringLiteral("The operating system is out of memory or resources.");
    case SE_ERR_FNF:
        return QStringLiteral("The specified file was not found.");
    case SE_ERR_PNF:
        return QStringLiteral("The specified path was not found.");
    case SE_ERR_ACCESSDENIED:
        return QStringLiteral("The operating system denied access to the specified file.");
    case SE_ERR_OOM:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
        return QStringLiteral("The .EXE file is invalid (non-Win32 .EXE or error in .EXE image).");
    case SE_ERR_SHARE:
        return QStringLiteral("A sharing violation occurred.");
    case SE_ERR_ASSOCINCOMPLETE:
        return QStringLiteral("The filename association is incomplete or invalid.");
    case SE_ERR_DDETIMEOUT:
        return QStringLiteral(
            "The DDE transaction could not be completed because the request timed out.");
    case SE_ERR_DDEFAIL:
        return QStringLiteral("The DDE transaction failed.");
    case SE_ERR_DDEBUSY:
        return QStringLiteral("The DDE transaction could not be completed because other DDE "
                              "transactions were being processed.");
    case SE_ERR_NOASSOC:
        return QStringLiteral(
            "There is no application associated with the given filename extension.");
    case SE_ERR_DLLNOTFOUND:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return {};
    }
}

bool ShellOpen(HWND /*handle*/, const QString& file_name, bool quiet, const QString& folder)
{
    const QString working_folder = folder.isEmpty() ? fw::ExtractFilePath(file_name) : folder;
    const std::u16string file = to_wide(file_name);
    const std::u16string directory = to_wide(working_folder);
    const HINSTANCE result =
        ShellExecuteW(nullptr, u"Open", file.c_str(), nullptr, directory.c_str(), SW_SHOW);
    if (quiet)
        return true;
    const QString message = ShellErrorMessage(reinterpret_cast<intptr_t>(result));
    if (!message.isEmpty())
        throw fw::Exception(message);
    return true;
}

bool RunProgramAndWait(const QString& program_path, const QString& args, bool hidden)
{
    const QString saved = fw::GetCurrentDir();
    bool ran = false;
    try {
        // The root keeps its delimiter: without it there would be no folder left.
        const QString folder_part = fw::ExtractFilePath(program_path);
        const QString folder = folder_part.size() > 1
                                   ? fw::ExcludeTrailingPathDelimiter(folder_part)
                                   : folder_part;
        if (!fw::SetCurrentDir(folder))
            fw::ShowMessage(QStringLiteral("Could not change directory to\r\n") +
                            fw::AnsiUpperCase(folder));
        else
            ran = start_and_wait(program_path, args, hidden);
    } catch (...) {
        ran = false;
    }
    fw::SetCurrentDir(saved);
    return ran;
}

void GetExeVersionString(QString& version)
{
    const std::u16string name = to_wide(program_file());
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(name.c_str(), &handle);
    if (size == 0)
        return;
    std::vector<std::byte> block(size);
    if (!GetFileVersionInfoW(name.c_str(), handle, size, block.data()))
        return;
    void* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), u"\\", &fixed, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return;
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    version = QStringLiteral("%1.%2%3.%4")
                  .arg(info->dwFileVersionMS >> 16)
                  .arg(info->dwFileVersionMS & 0xFFFF)
                  .arg(info->dwFileVersionLS >> 16)
                  .arg(info->dwFileVersionLS & 0xFFFF);
}

}
