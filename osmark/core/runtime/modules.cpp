// Modules: dynamic libraries loaded by path and searched for entry points.
//
// Osmark keeps every open Module on a list of its own and checks a record against it
// before reading it: closing a module frees its record, so a second close, or a
// lookup through a closed module, would otherwise read freed memory. A record that is
// not on the list is refused with -25 without being touched.

#include "osmark/modules.h"

#include "core/runtime/make_error.h"
#include "osmark/errors.h"
#include "osmark/memory.h"
#include "platform/kernel.h"
#include "platform/module_loading.h"

#include <mutex>
#include <type_traits>

struct Module {
    uint32_t mod_Magic; // ModuleMagic while open
    char* mod_Path;     // the path as the caller gave it
    HMODULE mod_Handle;
    Module* mod_Next; // the list of open modules
};

namespace {

// Modules may be opened and closed from any thread (the class system's and the
// caller's), so the list has a lock of its own.
static_assert(std::is_trivially_destructible_v<std::mutex>, "no destructor runs at unload");
std::mutex g_open_modules_lock;
Module* g_open_modules = nullptr;

void add_open_module(Module* module)
{
    const std::lock_guard lock(g_open_modules_lock);
    module->mod_Next = g_open_modules;
    g_open_modules = module;
}

bool is_open_module(const Module* module)
{
    for (const Module* open = g_open_modules; open != nullptr; open = open->mod_Next) {
        if (open == module)
            return open->mod_Magic == ModuleMagic;
    }
    return false;
}

// Takes the module off the list; false when it is not an open module.
bool remove_open_module(Module* module)
{
    const std::lock_guard lock(g_open_modules_lock);
    for (Module** link = &g_open_modules; *link != nullptr; link = &(*link)->mod_Next) {
        if (*link == module) {
            if (module->mod_Magic != ModuleMagic)
                return false;
            *link = module->mod_Next;
            return true;
        }
    }
    return false;
}

// FIXME: expand the path's assign with AllocExpandedPath once assigns exist.
char* expanded_path(const char* path)
{
    return AllocStr(0, path);
}

}

extern "C" {

OSMARK_API Module* OpenModuleA(const char* path, const TagItem* /*tags*/) noexcept
{
    if (path == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    char* expanded = expanded_path(path);
    if (expanded == nullptr)
        return nullptr;
    auto* module = static_cast<Module*>(CAllocVec(1, sizeof(Module)));
    if (module != nullptr) {
        module->mod_Magic = ModuleMagic;
        module->mod_Path = AllocStr(0, path);
        module->mod_Handle = module->mod_Path != nullptr ? LoadLibraryA(expanded) : nullptr;
        if (module->mod_Handle == nullptr) {
            if (module->mod_Path != nullptr)
                osmark::set_io_error_from_win32(GetLastError());
            FreeStr(module->mod_Path);
            FreeVec(module);
            module = nullptr;
        }
    }
    FreeStr(expanded);
    if (module != nullptr)
        add_open_module(module);
    return module;
}

OSMARK_API int32_t CloseModuleA(Module* module) noexcept
{
    if (module == nullptr)
        return osmark::make_error(IoErrRequiredArgMissing);
    if (!remove_open_module(module))
        return osmark::make_error(IoErrObjectInvalid);
    FreeLibrary(module->mod_Handle);
    module->mod_Magic = 0;
    FreeStr(module->mod_Path);
    FreeVec(module);
    return 0;
}

OSMARK_API void* ModuleLookupA(Module* module, const char* name, const TagItem* /*tags*/) noexcept
{
    if (name == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    HMODULE handle = nullptr;
    if (module == nullptr) {
        handle = GetModuleHandleA(nullptr);
    } else {
        const std::lock_guard lock(g_open_modules_lock);
        if (!is_open_module(module)) {
            osmark::set_io_error(IoErrObjectInvalid);
            return nullptr;
        }
        handle = module->mod_Handle;
    }
    const FARPROC entry = GetProcAddress(handle, name);
    if (entry == nullptr) {
        osmark::set_io_error_from_win32(GetLastError());
        return nullptr;
    }
    return reinterpret_cast<void*>(entry);
}

}
