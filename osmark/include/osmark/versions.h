/*
 * Version strings and search paths.
 *
 * Version strings: a file or library identifies itself with a line "$VER: " followed
 * by a name, a version ("major.minor") and usually a date in parentheses. The version
 * number is the first number that follows white space (and one optional 'V') after the
 * name's first character, so "$VER: lib 2.13 (01.02.2010)" is version 2, revision 13,
 * "$VER: Geometry Data File V1.00" is 1 and 0, and "$VER: 2.1" has no version (a
 * number needs a name before it).
 *
 * Search paths: lists of folders separated by ';', in which an element may be quoted
 * with '"' to hold a ';' of its own.
 */
#ifndef OSMARK_VERSIONS_H
#define OSMARK_VERSIONS_H

#include "osmark/api.h"
#include "osmark/files.h"
#include "platform/registry.h"

OSMARK_BEGIN_DECLS

/* Writes "$VER: " and as much of name as fits, terminated, in at most size bytes, and
 * returns buffer. A size below 7 leaves the buffer untouched. A NULL name counts as
 * empty. */
OSMARK_API char* CreateVersionStr(const char* name, char* buffer, int32_t size) OSMARK_NOEXCEPT;

/* 1 when text begins with "$VER:" and holds a version number; version and revision (each
 * may be NULL) then receive it (revision 0 without a point). 0 otherwise, with both set
 * to 0. Numbers beyond 2^31 - 1 are read as 2^31 - 1. */
OSMARK_API int32_t ReadVersion(const char* text, int32_t* version, int32_t* revision) OSMARK_NOEXCEPT;

/* As ReadVersion, and also copies the name (the text before the number, stripped at
 * both ends) and the rest (the text after the numbers, stripped) into name and rest,
 * each large enough for the whole text (either may be NULL). 0 leaves both empty. */
OSMARK_API int32_t ParseVersionStr(const char* text, char* name, int32_t* version, int32_t* revision,
                                   char* rest) OSMARK_NOEXCEPT;

/* Reads one line from fh (at most 510 characters); when it begins with prefix, the
 * number after it (leading blanks skipped), else 0.0; 0.0 at end of file or for a NULL
 * handle. A NULL prefix counts as empty. */
OSMARK_API double GetFileVersion(FileHandle* fh, const char* prefix) OSMARK_NOEXCEPT;

/*
 * Copies the next element of a path list into buffer and returns where the walk goes
 * on: after the run of ';' that ended the element, or at the list's terminator after
 * the last element. NULL when the list holds no further element (buffer empty), and
 * when the element filled size - 1 bytes (buffer holds them, terminated: the walk ends
 * there). A NULL buffer or a size below 1 gives NULL and writes nothing.
 *     for (next = GetNextPath(list, buffer, size); next; next = GetNextPath(next, ...))
 */
OSMARK_API const char* GetNextPath(const char* list, char* buffer, int32_t size) OSMARK_NOEXCEPT;

/*
 * The first place where name can be opened for reading: name on its own, then joined
 * to each folder of path_list in turn (';'-separated, no quotes; NULL counts as empty).
 * A name without '.' is tried with default_ext ("env" or ".env") first. A new string
 * (AllocStr; free it with FreeStr), or NULL when nothing is found (the failed opens
 * leave their codes), memory runs out, or name is NULL (-4).
 */
OSMARK_API char* FileSearch(const char* name, const char* path_list, const char* default_ext) OSMARK_NOEXCEPT;
/* FileSearch along the list held in a variable; NULL when it is missing or empty. */
OSMARK_API char* EnvFileSearch(const char* name, const char* variable, const char* default_ext) OSMARK_NOEXCEPT;

/*
 * Reads a value of the registry under root\sub_key into buffer as a string (size
 * bytes, always terminated); a REG_EXPAND_SZ value has its %NAME% references expanded.
 * The buffer is left empty when the key or value cannot be read or does not fit.
 * Returns buffer (NULL for a NULL buffer).
 */
OSMARK_API char* RegFileSearch(HKEY root, const char* sub_key, const char* value_name, char* buffer,
                               int32_t size) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
