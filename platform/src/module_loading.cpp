// Module loading over dlopen, dlsym and dlclose.
//
// A module handle is the dynamic loader's handle. Handles are checked against the
// loader's own list of loaded objects before use, and FreeLibrary only drops
// references that LoadLibraryA took, so a stale or made-up handle is refused instead
// of handed to the loader.

#include "platform/module_loading.h"

#include "make_win32_error.h"
#include "platform/kernel.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct LoadedModules {
    std::mutex mutex;
    std::unordered_map<void*, uint32_t> references; // taken by LoadLibraryA
};

// Kept for the life of the process: modules may be freed from exit procedures that
// run after static destructors would have.
LoadedModules& loaded_modules()
{
    static LoadedModules* modules = new LoadedModules;
    return *modules;
}

void* program_handle()
{
    static void* const program = dlopen(nullptr, RTLD_LAZY);
    return program;
}

std::string program_folder()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    std::string folder(path, static_cast<size_t>(length));
    folder.erase(folder.rfind('/') + 1);
    return folder;
}

bool ends_with_dll(const std::string& name)
{
    if (name.size() < 4)
        return false;
    const std::string tail = name.substr(name.size() - 4);
    return tail == ".dll" || tail == ".DLL" || tail == ".Dll";
}

// The file names to try for a module name, in order, each within the name's folder:
// "X.dll" as given, then "libX.so" and "X.so".
std::vector<std::string> file_names(const std::string& name)
{
    std::vector<std::string> names{name};
    const size_t slash = name.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
    if (ends_with_dll(file) && file.size() > 4) {
        const std::string stem = file.substr(0, file.size() - 4);
        names.push_back(folder + "lib" + stem + ".so");
        names.push_back(folder + stem + ".so");
    }
    return names;
}

struct Attempt {
    void* handle = nullptr;
    bool file_found = false;
};

void try_path(const std::string& path, Attempt& attempt)
{
    if (attempt.handle != nullptr || access(path.c_str(), F_OK) != 0)
        return;
    attempt.file_found = true;
    attempt.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

Attempt load(const std::string& name)
{
    Attempt attempt;
    const std::vector<std::string> names = file_names(name);
    if (name.find('/') != std::string::npos) {
        for (const std::string& path : names)
            try_path(path, attempt);
        return attempt;
    }
    // A bare name: the program's folder first, as Win32 searches it first; then the
    // loader's own search path.
    const std::string folder = program_folder();
    if (!folder.empty()) {
        for (const std::string& file : names)
            try_path(folder + file, attempt);
    }
    for (const std::string& file : names) {
        if (attempt.handle != nullptr)
            break;
        attempt.handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    return attempt;
}

struct Search {
    link_map* first; // some object of the list (the program's)
    const void* wanted;
    bool found;
};

// Walks the loader's list of objects while dl_iterate_phdr holds the loader's lock,
// so that no object is added or removed during the walk.
int find_in_link_maps(dl_phdr_info* /*info*/, size_t /*size*/, void* data)
{
    auto* search = static_cast<Search*>(data);
    link_map* map = search->first;
    while (map->l_prev != nullptr)
        map = map->l_prev;
    for (; map != nullptr; map = map->l_next) {
        if (map == search->wanted) {
            search->found = true;
            break;
        }
    }
    return 1;
}

link_map* link_map_of(void* handle)
{
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0)
        return nullptr;
    return map;
}

// The loader's handle for a module, or NULL when the module is not loaded.
void* loaded_handle(HMODULE module)
{
    void* program = program_handle();
    if (module == nullptr || module == program)
        return program;
    // On this loader a handle is the object's link map. The program's is taken first:
    // no loader call may run inside the walk.
    Search search{link_map_of(program), module, false};
    if (search.first == nullptr)
        return nullptr;
    dl_iterate_phdr(find_in_link_maps, &search);
    return search.found ? static_cast<void*>(module) : nullptr;
}

}

extern "C" {

PLATFORM_API HMODULE LoadLibraryA(LPCSTR name) noexcept
{
    if (name == nullptr || name[0] == '\0') {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    try {
        std::string path(name);
        for (char& c : path) {
            if (c == '\\')
                c = '/';
        }
        const Attempt attempt = load(path);
        if (attempt.handle == nullptr) {
            platform::make_win32_error(attempt.file_found ? ERROR_BAD_EXE_FORMAT
                                                          : ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        LoadedModules& modules = loaded_modules();
        {
            const std::lock_guard lock(modules.mutex);
            ++modules.references[attempt.handle];
        }
        SetLastError(ERROR_SUCCESS);
        return static_cast<HMODULE>(attempt.handle);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

PLATFORM_API FARPROC GetProcAddress(HMODULE module, LPCSTR name) noexcept
{
    if (name == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* handle = loaded_handle(module);
    if (handle == nullptr) {
        platform::make_win32_error(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    void* symbol = dlsym(handle, name);
    // dlsym also searches the module's dependencies (and, for the program, every
    // global library); only the module's own definition counts.
    Dl_info info{};
    link_map* owner = nullptr;
    if (symbol == nullptr || dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0 ||
        owner == nullptr || owner != link_map_of(handle)) {
        platform::make_win32_error(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

PLATFORM_API BOOL FreeLibrary(HMODULE module) noexcept
{
    LoadedModules& modules = loaded_modules();
    {
        const std::lock_guard lock(modules.mutex);
        const auto found = modules.references.find(module);
        if (found == modules.references.end()) {
            platform::make_win32_error(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (--found->second == 0)
            modules.references.erase(found);
    }
    dlclose(module);
    return TRUE;
}

}
