/*
 * Path names: normalising, comparing, splitting and joining, and the extraction
 * functions that return a new string for each part of a path.
 *
 * Separators come from the live Locale record at every call: volume separators
 * (default ":"), path separators (default "/\", the first one written) and extension
 * separators ("."). A drive part is everything up to and including the last volume
 * separator ("C:"), or, for a path that starts with two path separators, the server
 * and share part ("\\srv\share").
 *
 * Functions that return strings return new strings from AllocStr (free them with
 * FreeStr), or NULL with -1 for IoErr when memory runs out. Buffer functions never
 * write beyond their size.
 */
#ifndef OSMARK_PATHS_H
#define OSMARK_PATHS_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

/* Pointers into a path. */
OSMARK_API char* FilePart(const char* path) OSMARK_NOEXCEPT;
OSMARK_API char* PathPart(const char* path) OSMARK_NOEXCEPT;
OSMARK_API int32_t IsDelimiter(const char* delimiters, const char* s, int32_t index) OSMARK_NOEXCEPT;
OSMARK_API int32_t LastDelimiter(const char* delimiters, const char* s) OSMARK_NOEXCEPT;

/* In place; returns path. NULL with -1 when memory runs out (the separators may then
 * already be the first of their kind, the components are as they were). */
OSMARK_API char* NormalisePath(char* path) OSMARK_NOEXCEPT;
/* Appends component to the path in a buffer of size bytes; 1, or 0 when it is empty
 * or does not fit (length(path) + length(component) + 2 > size). */
OSMARK_API int32_t AddPart(char* path, const char* component, uint32_t size) OSMARK_NOEXCEPT;
OSMARK_API int32_t SplitName(const char* name, int32_t separator, char* buffer, int32_t position,
                             int32_t size) OSMARK_NOEXCEPT;
/* Each buffer (NULL to skip it) must hold the whole path. */
OSMARK_API void SplitPath(const char* path, char* drive, char* dir, char* name, char* ext) OSMARK_NOEXCEPT;
/* Builds a path; returns the bytes it needs with the terminator. A NULL buffer only
 * counts; a result that does not fit leaves an empty string. */
OSMARK_API int32_t MakePath(char* buffer, int32_t size, const char* volume, const char* dir,
                            const char* name, const char* ext) OSMARK_NOEXCEPT;

/* New strings. */
OSMARK_API char* ExtractFilePath(const char* path) OSMARK_NOEXCEPT;
OSMARK_API char* ExtractFileDir(const char* path) OSMARK_NOEXCEPT;
OSMARK_API char* ExtractFileDrive(const char* path) OSMARK_NOEXCEPT;
OSMARK_API char* ExtractFileName(const char* path) OSMARK_NOEXCEPT;
OSMARK_API char* ExtractFileExt(const char* path) OSMARK_NOEXCEPT;
OSMARK_API char* ChangeFileExt(const char* path, const char* ext) OSMARK_NOEXCEPT;
OSMARK_API char* ExpandFileName(const char* name) OSMARK_NOEXCEPT;
OSMARK_API char* ExpandUNCFileName(const char* name) OSMARK_NOEXCEPT;

/* Compares two names after assign expansion and normalisation, ignoring case and one
 * trailing path separator: <0, 0 or >0; -1 with -1 for IoErr when memory runs out. */
OSMARK_API int32_t FileNameCmp(const char* a, const char* b) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
