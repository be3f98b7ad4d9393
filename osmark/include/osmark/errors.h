/*
 * Error codes. A failing Osmark call leaves a code that the caller fetches with
 * IoErr(); Halvern's and Trennic's readers and writers return the same codes.
 */
#ifndef OSMARK_ERRORS_H
#define OSMARK_ERRORS_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

typedef int32_t IoErrCode;

enum IoErrCodes {
    IoErrNone = 0,
    IoErrNoMemory = -1,            /* insufficient memory */
    IoErrBadTemplate = -2,
    IoErrBadNumber = -3,
    IoErrRequiredArgMissing = -4,  /* a required argument (pointer) is NULL */
    IoErrKeyNeedsArg = -5,
    IoErrUnmatchedQuotes = -6,
    IoErrLineTooLong = -7,
    IoErrNoDefaultDir = -8,
    IoErrObjectInUse = -9,
    IoErrObjectExists = -10,
    IoErrDirNotFound = -11,
    IoErrObjectNotFound = -12,
    IoErrInvalidStreamName = -13,
    IoErrInvalidComponentName = -14,
    IoErrDiskWriteProtected = -15,
    IoErrDirectoryNotEmpty = -16,
    IoErrSeekError = -17,
    IoErrDiskFull = -18,
    IoErrDeleteProtected = -19,
    IoErrWriteProtected = -20,
    IoErrReadProtected = -21,
    IoErrNotImplemented = -22,
    IoErrBufferOverflow = -23,     /* index out of range, result too long */
    IoErrBadIO = -24,
    IoErrObjectInvalid = -25,      /* wrong magic value, malformed file */
    IoErrObjectUnmatched = -26,
    IoErrBadPattern = -27,
    IoErrPatternParens = -28,
    IoErrPatternEnd = -29,
    IoErrPatternNesting = -30,
    IoErrPatternTooBig = -31,
    IoErrWrongType = -32,
    IoErrNoMoreEntries = -33,
    IoErrLockError = -34,
    IoErrSystemLimit = -35,
    IoErrPipeIO = -36,
    IoErrCancelled = -37,
    IoErrAccessDenied = -38,
    IoErrChildFailed = -39,
    IoErrUnknown = -40
};

/* The calling thread's error code, which is reset to 0. */
OSMARK_API IoErrCode IoErr(void) OSMARK_NOEXCEPT;
/* Stores code for the calling thread; returns the code it replaces. */
OSMARK_API IoErrCode SetIoErr(IoErrCode code) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
