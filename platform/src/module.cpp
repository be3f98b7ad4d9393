#include "make_win32_error.h"
#include "platform/kernel.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>

namespace {

struct MallocFreer {
    void operator()(char* block) const noexcept { std::free(block); }
};

HMODULE to_module(void* handle)
{
    return static_cast<HMODULE>(handle);
}

// The program's own handle; dlopen(NULL) always answers it.
HMODULE program_module()
{
    return to_module(dlopen(nullptr, RTLD_LAZY));
}

std::string executable_path()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    return std::string(path, static_cast<size_t>(length));
}

bool same_file(const char* a, const std::string& b)
{
    char* real_a = realpath(a, nullptr);
    char* real_b = realpath(b.c_str(), nullptr);
    const bool same = real_a != nullptr && real_b != nullptr && std::strcmp(real_a, real_b) == 0;
    std::free(real_a);
    std::free(real_b);
    return same;
}

// Copies a path the way GetModuleFileNameA does on Win32: cut to the buffer with a
// NUL, reporting the cut by returning the buffer size.
DWORD copy_path(std::string_view path, LPSTR buffer, DWORD size)
{
    if (buffer == nullptr || size == 0) {
        platform::make_win32_error(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() >= size) {
        std::memcpy(buffer, path.data(), size - 1);
        buffer[size - 1] = '\0';
        platform::make_win32_error(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(buffer, path.data(), path.size());
    buffer[path.size()] = '\0';
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(path.size());
}

}

extern "C" {

PLATFORM_API HMODULE GetModuleHandleA(LPCSTR module_name) noexcept
{
    if (module_name == nullptr)
        return program_module();
    void* handle = dlopen(module_name, RTLD_LAZY | RTLD_NOLOAD);
    if (handle == nullptr) {
        platform::make_win32_error(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // GetModuleHandle does not take a reference: the module stays loaded by whoever
    // loaded it, and the handle stays valid as long as that holds.
    dlclose(handle);
    return to_module(handle);
}

PLATFORM_API BOOL GetModuleHandleExA(DWORD flags, LPCSTR module_name, HMODULE* module) noexcept
{
    if (module == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *module = nullptr;
    if (!(flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS)) {
        *module = GetModuleHandleA(module_name);
        return *module != nullptr;
    }
    Dl_info info{};
    if (dladdr(module_name, &info) == 0 || info.dli_fname == nullptr) {
        platform::make_win32_error(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    try {
        if (same_file(info.dli_fname, executable_path())) {
            *module = program_module();
            return TRUE;
        }
        void* handle = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
        if (handle == nullptr) {
            platform::make_win32_error(ERROR_MOD_NOT_FOUND);
            return FALSE;
        }
        if (flags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT)
            dlclose(handle);
        *module = to_module(handle);
        return TRUE;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

PLATFORM_API DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) noexcept
{
    try {
        if (module == nullptr || module == program_module())
            return copy_path(executable_path(), buffer, size);
        link_map* map = nullptr;
        if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) {
            platform::make_win32_error(ERROR_MOD_NOT_FOUND);
            return 0;
        }
        if (map->l_name == nullptr || map->l_name[0] == '\0')
            return copy_path(executable_path(), buffer, size);
        const std::unique_ptr<char, MallocFreer> real(realpath(map->l_name, nullptr));
        return copy_path(real != nullptr ? real.get() : map->l_name, buffer, size);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

}
