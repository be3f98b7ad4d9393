/*
 * DXF groups: every group of a DXF file, in its ASCII or binary encoding, handed to a
 * caller's function.
 *
 * A group is a code and a value. Whatever the encoding, the value reaches the caller
 * as 8-bit text (at most 4095 characters): reals of binary files as "%15.15lf", their
 * integers as "%ld", so that every user parses values the same way. Comment groups
 * (code 999) never reach a caller.
 */
#ifndef HALVERN_DXF_GROUPS_H
#define HALVERN_DXF_GROUPS_H

#include <stdint.h>

#include "halvern/api.h"
#include "osmark/files.h"

HALVERN_BEGIN_DECLS

/* Size of the value buffer that group readers fill: 4095 characters and the NUL. */
#define DXF_GROUP_VALUE_SIZE 4096

/*
 * Value types of group codes. In binary files a real is 8 bytes, the integers 2, 4 and
 * 8 bytes, a boolean one byte and a string runs up to its NUL; the binary chunks of
 * codes 310 to 319 and 1004 (strings, whose ASCII form is hex text) are a length byte
 * and that many bytes, and reach callers as hex text.
 */
enum DXFGroupValueTypes {
    DXFValueNone = 0,    /* a code the format does not define; ASCII files read its value
                            as text, binary files end at it */
    DXFValueString = 1,
    DXFValueReal = 2,
    DXFValueInt64 = 3,   /* codes 160 to 169 */
    DXFValueInt16 = 4,
    DXFValueInt32 = 5,
    DXFValueBoolean = 6  /* codes 290 to 299 */
};

/*
 * Receives one group of StepReadDXF: the open stream, the line counter (lines of an
 * ASCII file, codes and values of a binary one, read so far), the group code, the
 * value text (valid until the callback returns) and the caller's pointer. 0 goes on;
 * any other value ends the walk and becomes StepReadDXF's result.
 */
typedef int32_t (*DXFGroupCallback)(FileHandle* stream, int32_t line, int32_t code,
                                    char* value, void* user);

/*
 * Reads the DXF file at path (either encoding) and hands every group to callback.
 * -4 when path or callback is NULL, -12 when the file cannot be opened; otherwise the
 * first non-zero result of the callback, or 0 when the groups ran out (which is also
 * where a damaged group ends the walk).
 */
HALVERN_API int32_t StepReadDXF(const char* path, DXFGroupCallback callback,
                                void* user) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
