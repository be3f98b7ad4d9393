/*
 * Assigns: logical volume names. A path that begins with "NAME:" names a place
 * relative to the folder that the assign NAME stands for; every path-taking function
 * of the library expands the assign (AllocExpandedPath) before it touches the file
 * system.
 *
 * Two lists: system assigns made by the library at start-up (PROGDIR, ENV, LOCALE,
 * TEMP), and user assigns made with AssignPath. A user assign hides a system assign
 * of the same name. Names compare without regard to case; paths are kept as given.
 */
#ifndef OSMARK_ASSIGNS_H
#define OSMARK_ASSIGNS_H

#include "osmark/api.h"
#include "osmark/lists.h"

OSMARK_BEGIN_DECLS

/* One assign, in one block with its name and path texts behind it. */
typedef struct AssignNode {
    Node an_Node;        /* type 9, priority 0, ln_Name = the name text */
    char* an_Path;       /* the path text; NULL for a system assign without a path */
    uint32_t an_Active;  /* expansion uses the assign only while this is non-zero */
} AssignNode;

#define AssignNodeType 9

/* The user list (read-only for callers), or NULL before the first user assign. */
OSMARK_API List* GetAssignList(void) OSMARK_NOEXCEPT;
/* Adds, replaces or, with a NULL path, removes a user assign; 1 or 0 (-4 for a NULL
 * name, -25 for an empty one). */
OSMARK_API int32_t AssignPath(const char* name, const char* path) OSMARK_NOEXCEPT;
/* Looks up the name (up to its first ':'); stores the path pointer (the node's own
 * text) and the active flag through the non-NULL pointers. 1, or 0 with -12 (-1 when
 * memory runs out). */
OSMARK_API int32_t AssignFind(const char* name, const char** path, uint32_t* active) OSMARK_NOEXCEPT;
/* Expands the assign at the start of path into buffer (NULL: only counts); returns the
 * bytes the whole expansion needs, terminator included, fitted or not. A result above
 * size means the buffer holds a cut, unterminated text. 0 with -35 when assigns refer
 * to each other too deeply, 0 with -1 when memory runs out. */
OSMARK_API int32_t AssignExpand(const char* path, char* buffer, int32_t size) OSMARK_NOEXCEPT;
/* A new string (AllocStr) with the path's assign expanded; NULL on failure. A NULL path
 * gives an empty string. Free with FreeExpandedPath. */
OSMARK_API char* AllocExpandedPath(const char* path) OSMARK_NOEXCEPT;
OSMARK_API void FreeExpandedPath(char* path) OSMARK_NOEXCEPT;
/* Adds a system assign (start-up only); an allocation failure is silent. */
OSMARK_API void AddSystemAssign(const char* name, const char* path) OSMARK_NOEXCEPT;
/* Frees both lists. */
OSMARK_API void FreeAssigns(void) OSMARK_NOEXCEPT;

/* The assigns file "ENV:system\assigns": a header line "# Assign File Version  1.00"
 * (LF), then one "NAME:path" line (CR LF) per user assign. AssignStore writes every
 * user assign: 1, or 0 when the file cannot be written and also when there is no user
 * assign (the file then holds the header alone). AssignLoad reads such a file into the
 * user assigns (lines that begin with ';', and lines without ':', are passed over): 1,
 * or 0 (-4 for a NULL name, -25 for another header; the first assign refused stops the
 * reading, those before it stay). */
OSMARK_API int32_t AssignStore(void) OSMARK_NOEXCEPT;
OSMARK_API int32_t AssignLoad(const char* file_name) OSMARK_NOEXCEPT;
/* Start-up steps. InitialiseAssigns: PROGDIR (the program's folder), ENV (the folder
 * that the registry value "basepath" under "software\osmark\env" names, current user
 * first, then local machine; else "Osmark/Env" in the common application-data folder,
 * written back to the local machine) and LOCALE ("ENV:locale"), ENV and LOCALE only
 * when the folder exists or can be made; registers FreeAssigns. InitialiseAssignFile:
 * TEMP (the folder of temporary files) and the assigns file. */
OSMARK_API void InitialiseAssigns(void) OSMARK_NOEXCEPT;
OSMARK_API void InitialiseAssignFile(void) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
