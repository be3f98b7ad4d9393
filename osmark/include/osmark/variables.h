/*
 * Variables: named values kept for the whole process, in two lists of the live Locale
 * record (osmark/locale.h):
 *  - local variables (loc_LocalVars), filled at start-up from the process environment;
 *  - global variables (loc_GlobalVars), filled at start-up from the files under
 *    "ENV:vars", one file per variable holding exactly its value; a global variable
 *    set with VarFlagSave is written back to its file. Names may hold path separators,
 *    which become folders under "ENV:vars".
 * A local variable hides a global one of the same name. Names compare without regard
 * to case; each list is kept in ascending order of name.
 *
 * Every variable has a type, the low byte of the flags it was made with; a lookup
 * finds only variables of the type in its own flags' low byte (the library uses 0).
 */
#ifndef OSMARK_VARIABLES_H
#define OSMARK_VARIABLES_H

#include "osmark/api.h"
#include "osmark/lists.h"

OSMARK_BEGIN_DECLS

/* One variable, in one block with its name text behind it. */
typedef struct VarNode {
    Node vn_Node;       /* ln_Type = the variable's type, priority 0, ln_Name = the name */
    char* vn_Value;     /* length + 1 bytes (AllocVec): the value, then a NUL; NULL when
                           the value could not be stored */
    int32_t vn_Length;  /* bytes of the value, the NUL not counted */
} VarNode;

enum VarFlags {
    VarTypeMask = 0x00FF,        /* the variable's type */
    VarFlagGlobalOnly = 0x0100,  /* the global list only (SetVar: make it global) */
    VarFlagLocalOnly = 0x0200,   /* the local list only */
    VarFlagBinary = 0x0400,      /* with VarFlagNoNul: GetVar copies without a NUL */
    VarFlagNoNul = 0x0800,
    VarFlagSave = 0x1000         /* with VarFlagGlobalOnly: SetVar saves the file */
};
/* Neither or both scope flags: the local list, then the global list. */

/* The variable, or NULL; sets no error code. */
OSMARK_API VarNode* FindVar(const char* name, uint32_t flags) OSMARK_NOEXCEPT;

/*
 * Copies a value into buffer. With a NULL buffer or a size below 1: returns length + 1.
 * Otherwise, when the value with its NUL fits (raw mode, VarFlagBinary | VarFlagNoNul:
 * the value alone), copies it and returns its length; else copies the first size bytes
 * and returns the count it needed: in string mode the last byte is then a NUL, in raw
 * mode nothing is added. -1 with -4 for a NULL name, with -12 for a missing variable.
 */
OSMARK_API int32_t GetVar(const char* name, char* buffer, int32_t size, uint32_t flags) OSMARK_NOEXCEPT;

/*
 * Creates or replaces a variable with length bytes of value (a length below 1: up to
 * the NUL; a NULL value is empty); values may hold NUL bytes when a length is given.
 * A new variable goes into the global list with VarFlagGlobalOnly, else into the
 * local list. With VarFlagGlobalOnly | VarFlagSave the value is also written to the
 * file "ENV:vars\<name>" (its folders made when missing); failures to save are not
 * reported, and a name that would lead out of "ENV:vars" (a ".." component, a leading
 * separator) is never saved. 1, or 0 with -4 for a NULL name, -1 when memory runs out
 * (a variable whose value could not be stored stays, with an empty value).
 */
OSMARK_API int32_t SetVar(const char* name, const char* value, int32_t length, uint32_t flags) OSMARK_NOEXCEPT;

/* Removes one variable, the local one first; a global one loses its file too (whether
 * or not it was saved; never a file outside "ENV:vars"). 1 when one was removed, else 0
 * (no error code). */
OSMARK_API int32_t DeleteVar(const char* name, uint32_t flags) OSMARK_NOEXCEPT;

/* Start-up step (with the locale): the environment as local variables, the files
 * under "ENV:vars" as global variables. Registers FreeVariables. */
OSMARK_API void InitialiseVariables(void) OSMARK_NOEXCEPT;
/* Frees every variable of both lists, and the locale record's allocated strings. */
OSMARK_API void FreeVariables(void) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
