/*
 * Exit lists: clean-up procedures collected by their owner and run last registered
 * first. Osmark's own start-up registers every clean-up on the library exit list,
 * which runs when Osmark is unloaded.
 */
#ifndef OSMARK_EXIT_LIST_H
#define OSMARK_EXIT_LIST_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

struct ExitList;
struct ExitRecord;

/* A clean-up procedure: no arguments, no result. */
typedef void (*ExitProc)(void);

/* Owned by the caller (static or embedded); both words zero when empty. */
typedef struct ExitList {
    void (*el_Current)(struct ExitList* list); /* called next by CallAllExitProcs */
    struct ExitRecord* el_Top;                  /* most recently registered record */
} ExitList;

/* Registers procedure on top of the list; -4 for NULL arguments, nothing registered
 * when memory fails (-1). */
OSMARK_API void AddExitProc(ExitList* list, ExitProc procedure) OSMARK_NOEXCEPT;
/* Runs the list until it is empty; procedures added meanwhile run next. */
OSMARK_API void CallAllExitProcs(ExitList* list) OSMARK_NOEXCEPT;

/* Debug flags for the reports at unload (bits other than these are ignored). */
enum DebugFlags {
    DebugAllocations = 1, /* live and total block counts */
    DebugRegionPool = 2,  /* a region pool that is not empty */
    DebugWindows = 4,     /* windows still allocated, stale windows */
    DebugMenus = 8,       /* menus still allocated */
    DebugRastPorts = 16   /* raster ports still allocated */
};

/* Sets each debug flag from its bit of flags. */
OSMARK_API void DebugOn(uint32_t flags) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
