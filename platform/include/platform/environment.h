/*
 * The process environment, as Win32's environment functions present it: the subset
 * that the libraries call.
 *
 * Provided: GetEnvironmentStrings, FreeEnvironmentStringsA, ExpandEnvironmentStringsA.
 *
 * Names. Linux environment names are case-sensitive, Win32's are not: a name is looked
 * up exactly first and, when no variable has that exact name, without regard to ASCII
 * case (the first such variable of the environment wins).
 */
#ifndef PLATFORM_ENVIRONMENT_H
#define PLATFORM_ENVIRONMENT_H

#include "platform/api.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

typedef CHAR* LPCH;

/*
 * A copy of the environment block: "name=value" entries, each NUL-terminated, in the
 * process's order, then one more NUL. NULL when memory runs out. Release it with
 * FreeEnvironmentStringsA.
 */
PLATFORM_API LPCH GetEnvironmentStrings(void) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL FreeEnvironmentStringsA(LPCH block) PLATFORM_NOEXCEPT;

/*
 * Replaces every %NAME% of source by the variable's value; a name that no variable has,
 * and a '%' without a closing one, stay as they stand. Writes the result and its NUL
 * when they fit in size characters; returns the characters the whole result needs with
 * its NUL. A result above size means it did not fit: destination then holds an empty
 * string (when size > 0). 0 with ERROR_INVALID_PARAMETER for a NULL source, or a NULL
 * destination with a size above 0; 0 with ERROR_INSUFFICIENT_BUFFER for a result
 * beyond 32767 characters. Source and destination may be the same buffer.
 */
PLATFORM_API DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size)
    PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
