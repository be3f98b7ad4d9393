// Halvern's library entry and version strings.
//
// Halvern needs no start-up of its own: drawings are set up by their callers and the
// readers create their pools on demand. The entry only keeps the module handle, as
// the platform's module entry does on process attach. The handle lives in a
// constant-initialised global because the entry runs from an ELF constructor.

#include "halvern/library.h"
#include "platform/kernel.h"

#define HALVERN_VERSION "1.0"
#define HALVERN_DATE "10.12.2026"

namespace {

constexpr DWORD kProcessAttach = 1;

// Halvern's own module handle, kept at load; nothing reads it.
HINSTANCE g_module = nullptr;

BOOL library_entry(HINSTANCE instance, DWORD reason)
{
    if (reason == kProcessAttach)
        g_module = instance;
    return TRUE;
}

HINSTANCE own_module()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&g_module), &module);
    return module;
}

__attribute__((constructor)) void halvern_process_attach()
{
    library_entry(own_module(), kProcessAttach);
}

}

// Osmark exports strings of the same names. Each library's strings are its own, so
// they are kept in a section of their own, which the address sanitizer leaves alone
// instead of reporting two definitions of one name.
#define HALVERN_VERSION_DATA __attribute__((section(".rodata.halvern_version")))

extern "C" {

HALVERN_VERSION_DATA const char Application_Title[] = "Halvern " HALVERN_VERSION;
HALVERN_VERSION_DATA const char Application_Version[] =
    "\0$VER: Halvern " HALVERN_VERSION " (" HALVERN_DATE ")";
HALVERN_VERSION_DATA const char Application_Copyright[] = "Copyright (c) 2026 Tarvek";
HALVERN_VERSION_DATA const char Application_Author[] = "Tarvek";
HALVERN_VERSION_DATA const char Application_Description[] =
    "Drawing files: the drawing model, DXF, IGES and packed drawings, geometry and rendering";

}
