// Trennic's library entry and version strings.
//
// On load the entry keeps the module handle and clears the exit list; on unload it
// runs the exit list, last registered first. The state lives in constant-initialised,
// trivially destructible globals: the entry runs from ELF constructors and
// destructors, before any dynamic initialiser and after every static destructor of
// this library could run.
//
// Trennic links against Osmark, so Osmark's own entry has run before Trennic's and
// runs after it at unload: the exit procedures may use Osmark.

#include "trennic/library.h"

#include "library/library_state.h"
#include "platform/kernel.h"

#define TRENNIC_VERSION "1.3.92"
#define TRENNIC_DATE "14.12.2026"

namespace {

constexpr DWORD kProcessDetach = 0;
constexpr DWORD kProcessAttach = 1;

HINSTANCE g_module = nullptr;
ExitList g_exit_list = {nullptr, nullptr};

BOOL library_entry(HINSTANCE instance, DWORD reason)
{
    switch (reason) {
    case kProcessAttach:
        g_module = instance;
        g_exit_list.el_Current = nullptr;
        g_exit_list.el_Top = nullptr;
        break;
    case kProcessDetach:
        CallAllExitProcs(&g_exit_list);
        break;
    default:
        break;
    }
    // Always success: nothing the start-up does may keep the library from loading.
    return TRUE;
}

HINSTANCE own_module()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&g_exit_list), &module);
    return module;
}

__attribute__((constructor)) void trennic_process_attach()
{
    library_entry(own_module(), kProcessAttach);
}

__attribute__((destructor)) void trennic_process_detach()
{
    library_entry(g_module, kProcessDetach);
}

}

namespace trennic {

HINSTANCE module_handle() noexcept
{
    return g_module;
}

ExitList& library_exit_list() noexcept
{
    return g_exit_list;
}

}

// Osmark and Halvern export strings of the same names. Each library's strings are its
// own, so they are kept in a section of their own, which the address sanitizer leaves
// alone instead of reporting two definitions of one name.
#define TRENNIC_VERSION_DATA __attribute__((section(".rodata.trennic_version")))

extern "C" {

TRENNIC_VERSION_DATA const char Application_Title[] = "Trennic " TRENNIC_VERSION;
TRENNIC_VERSION_DATA const char Application_Version[] =
    "\0$VER: Trennic " TRENNIC_VERSION " (" TRENNIC_DATE ")";
TRENNIC_VERSION_DATA const char Application_Copyright[] = "Copyright (c) 2026 Tarvek";
TRENNIC_VERSION_DATA const char Application_Author[] = "Tarvek";
TRENNIC_VERSION_DATA const char Application_Description[] =
    "Native geometry: the maker's part files, their elements and machine tables";

}
