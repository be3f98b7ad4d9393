/*
 * Directories and file information by name: the current directory, directory
 * creation, renaming, copying, attributes, numbered backups, Examine and ExAll.
 * Every name goes through the assigns first.
 */
#ifndef OSMARK_DIRECTORIES_H
#define OSMARK_DIRECTORIES_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

/* Makes the expanded path the current directory; NULL gives 0, an empty path 1 (no
 * change); otherwise the system's success flag, or -1 when the expansion fails. */
OSMARK_API int32_t CurrentDir(const char* path) OSMARK_NOEXCEPT;
/* A new block (AllocVec; free with FreeVec) holding the current directory; NULL on
 * failure. */
OSMARK_API char* GetCurrentDirName(void) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
