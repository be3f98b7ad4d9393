/*
 * Building blocks of the platform's process services that have no Win32 name of
 * their own, exported so that tests can check them directly.
 */
#ifndef PLATFORM_PROCESS_SUPPORT_H
#define PLATFORM_PROCESS_SUPPORT_H

#include "platform/api.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

/*
 * Joins arguments into one Win32 command line: an argument that is empty or holds a
 * blank, tab or double quote is quoted, with backslashes doubled before a quote.
 * Writes at most size - 1 characters and a NUL (nothing when buffer is NULL or size
 * is 0); returns the full length of the line without the NUL.
 */
PLATFORM_API size_t platform_build_command_line(const char* const* arguments, size_t count,
                                                char* buffer, size_t size) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
