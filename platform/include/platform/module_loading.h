/*
 * Module loading of the platform layer: the subset of Win32 that the libraries use to
 * load dynamic libraries and find their entry points.
 *
 * Provided here: LoadLibraryA, GetProcAddress and FreeLibrary. A module name "X.dll"
 * is tried as given, then as "libX.so" and as "X.so" in the same folder; '\' counts as
 * a folder separator. A name without a folder is looked for in the program's folder
 * first (as Win32 does), then along the system's library search path.
 * Module handles are those of platform/kernel.h (GetModuleHandleA).
 */
#ifndef PLATFORM_MODULE_LOADING_H
#define PLATFORM_MODULE_LOADING_H

#include "platform/api.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

#ifndef ERROR_INVALID_HANDLE
#define ERROR_INVALID_HANDLE 6
#endif
#ifndef ERROR_INVALID_PARAMETER
#define ERROR_INVALID_PARAMETER 87
#endif
#ifndef ERROR_MOD_NOT_FOUND
#define ERROR_MOD_NOT_FOUND 126
#endif
#ifndef ERROR_PROC_NOT_FOUND
#define ERROR_PROC_NOT_FOUND 127
#endif
#ifndef ERROR_BAD_EXE_FORMAT
#define ERROR_BAD_EXE_FORMAT 193
#endif

/* A generic entry point; cast to the entry's real type before calling it. (Win32's
 * returns INT_PTR; a void one converts to every function type without a warning.) */
typedef void (*FARPROC)(void);

/*
 * Loads the module (or takes one more reference to it when it is loaded already).
 * NULL on failure with the last error: ERROR_MOD_NOT_FOUND when no candidate file
 * exists, ERROR_BAD_EXE_FORMAT when one exists but cannot be loaded,
 * ERROR_INVALID_PARAMETER for a NULL or empty name.
 */
PLATFORM_API HMODULE LoadLibraryA(LPCSTR name) PLATFORM_NOEXCEPT;

/*
 * The address of the named entry point defined by the module itself (NULL: by the
 * program file), not by the libraries it depends on. NULL with ERROR_PROC_NOT_FOUND
 * when it has none, ERROR_INVALID_HANDLE for a handle that is not a loaded module.
 */
PLATFORM_API FARPROC GetProcAddress(HMODULE module, LPCSTR name) PLATFORM_NOEXCEPT;

/* Drops one reference taken by LoadLibraryA; the last one unloads the module. FALSE
 * with ERROR_INVALID_HANDLE for a handle that LoadLibraryA holds no reference to. */
PLATFORM_API BOOL FreeLibrary(HMODULE module) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
