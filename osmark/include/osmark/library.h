/*
 * Osmark as a loaded library: its instance handle, the program's argument string and
 * folder, and the version strings. Osmark starts up when it is loaded and shuts down
 * when it is unloaded; nobody calls either directly.
 */
#ifndef OSMARK_LIBRARY_H
#define OSMARK_LIBRARY_H

#include "osmark/api.h"
#include "osmark/exit_list.h"
#include "platform/win_types.h"

OSMARK_BEGIN_DECLS

/* Osmark's own module handle, stored at load. */
OSMARK_API extern HINSTANCE Instance;
/* The library exit list, run last registered first at unload. */
OSMARK_API extern ExitList LibraryExitList;

/* The program's arguments without its own name, outer white space stripped; owned by
 * Osmark. NULL only before start-up. */
OSMARK_API char* GetArgStr(void) OSMARK_NOEXCEPT;
/* Makes str (from AllocStr, or NULL) the argument string; returns the previous one,
 * which then belongs to the caller. The string held at unload is freed. */
OSMARK_API char* SetArgStr(char* str) OSMARK_NOEXCEPT;
/* Copies the program's folder (no trailing separator) and returns 1 when size exceeds
 * its length; otherwise returns 0 and writes nothing. */
OSMARK_API int32_t GetProgramDir(char* buffer, uint32_t size) OSMARK_NOEXCEPT;
/* Full path of the program file, cut to the buffer; the number of characters written,
 * 0 on failure. */
OSMARK_API uint32_t GetProgramName(char* buffer, uint32_t size) OSMARK_NOEXCEPT;

/* "Osmark <version>" */
OSMARK_API extern const char Application_Title[];
/* One NUL byte, then "$VER: Osmark <version> (<d.m.yyyy>)" */
OSMARK_API extern const char Application_Version[];
OSMARK_API extern const char Application_Copyright[];
OSMARK_API extern const char Application_Author[];
OSMARK_API extern const char Application_Description[];

OSMARK_END_DECLS

#endif
