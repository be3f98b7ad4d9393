// The standard handles and consoles (platform/files.h).

#include "platform/files.h"

#include "file_object.h"
#include "make_win32_error.h"
#include "platform/kernel.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <type_traits>

namespace {

static_assert(std::is_trivially_destructible_v<std::mutex>,
              "the lock of the standard handles lives until the process ends");

// The handle that GetStdHandle hands out for descriptors 0, 1 and 2: made on first
// use, and made again when the one handed out was closed.
std::atomic<HANDLE> g_standard_handles[3] = {nullptr, nullptr, nullptr};
std::mutex g_standard_handles_mutex;

int standard_index(DWORD std_handle)
{
    switch (std_handle) {
    case STD_INPUT_HANDLE:
        return 0;
    case STD_OUTPUT_HANDLE:
        return 1;
    case STD_ERROR_HANDLE:
        return 2;
    default:
        return -1;
    }
}

bool is_open_handle(HANDLE handle)
{
    const DWORD saved_error = GetLastError();
    const bool open = platform::object_of(handle) != nullptr;
    SetLastError(saved_error);
    return open;
}

// Standard input reads and the others write, whatever else their descriptor allows
// (a terminal's descriptors are usually open for both).
DWORD standard_access(int descriptor)
{
    const int flags = fcntl(descriptor, F_GETFL);
    if (flags < 0)
        return 0;
    const bool readable = (flags & O_ACCMODE) != O_WRONLY;
    const bool writable = (flags & O_ACCMODE) != O_RDONLY;
    if (descriptor == 0)
        return readable ? GENERIC_READ : GENERIC_WRITE;
    return writable ? GENERIC_WRITE : GENERIC_READ;
}

}

extern "C" {

PLATFORM_API HANDLE GetStdHandle(DWORD std_handle) noexcept
{
    const int index = standard_index(std_handle);
    if (index < 0) {
        platform::make_win32_error(ERROR_INVALID_HANDLE);
        return platform::invalid_handle_value();
    }
    const std::lock_guard lock(g_standard_handles_mutex);
    const HANDLE current = g_standard_handles[index].load();
    if (current != nullptr && is_open_handle(current))
        return current;
    const DWORD access = standard_access(index);
    if (access == 0) {
        g_standard_handles[index].store(nullptr);
        return nullptr;
    }
    const DWORD saved_error = GetLastError();
    const HANDLE handle = platform::add_file_handle(index, platform::map_generic_access(access),
                                                    platform::DescriptorOwnership::Borrowed);
    if (handle == platform::invalid_handle_value())
        return handle;
    SetLastError(saved_error);
    g_standard_handles[index].store(handle);
    return handle;
}

PLATFORM_API BOOL SetStdHandle(DWORD std_handle, HANDLE handle) noexcept
{
    const int index = standard_index(std_handle);
    if (index < 0) {
        platform::make_win32_error(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const std::lock_guard lock(g_standard_handles_mutex);
    g_standard_handles[index].store(handle);
    return TRUE;
}

PLATFORM_API BOOL AllocConsole(void) noexcept
{
    for (int descriptor = 0; descriptor < 3; ++descriptor) {
        if (isatty(descriptor)) {
            platform::make_win32_error(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    platform::make_win32_error(ERROR_NOT_SUPPORTED);
    return FALSE;
}

PLATFORM_API BOOL GetConsoleMode(HANDLE console, LPDWORD mode) noexcept
{
    const std::shared_ptr<platform::FileObject> object = platform::file_object_of(console);
    if (object == nullptr)
        return FALSE;
    const int descriptor = object->descriptor();
    if (object->kind() != platform::FileKind::Character || !isatty(descriptor)) {
        platform::make_win32_error(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (mode == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (object->can_write()) {
        *mode = ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT;
        return TRUE;
    }
    termios settings{};
    if (tcgetattr(descriptor, &settings) != 0) {
        platform::make_win32_error_from_errno();
        return FALSE;
    }
    DWORD input_mode = 0;
    if (settings.c_lflag & ISIG)
        input_mode |= ENABLE_PROCESSED_INPUT;
    if (settings.c_lflag & ICANON)
        input_mode |= ENABLE_LINE_INPUT;
    if (settings.c_lflag & ECHO)
        input_mode |= ENABLE_ECHO_INPUT;
    *mode = input_mode;
    return TRUE;
}

}
