/*
 * Error codes. A failing Osmark call leaves a code that the caller fetches with
 * IoErr(); Halvern's and Trennic's readers and writers return the same codes.
 *
 * Each thread that registered itself (Osmark's thread class registers the threads it
 * starts) keeps its own last code; every other thread shares one slot, so their codes
 * overwrite each other. A successful call leaves the code alone: read IoErr right
 * after the failure.
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
/* Stores the library code of a system error number (as GetLastError gives it) with
 * SetIoErr and returns what SetIoErr returns; numbers without a code of their own
 * give -40. */
OSMARK_API IoErrCode SetIoErrFromWin32(uint32_t error) OSMARK_NOEXCEPT;

/* Gives the calling thread a slot of its own (code 0); for thread starters. */
OSMARK_API void RegisterIoErrThread(void) OSMARK_NOEXCEPT;
/* Removes the calling thread's slot; it shares the common one again. */
OSMARK_API void UnregisterIoErrThread(void) OSMARK_NOEXCEPT;

/*
 * Writes the text of code into buffer, after "header: " when header is not NULL.
 * Codes -1 to -398 take their text from the message catalogue; other codes, and codes
 * without a text, read "error code" and the number ("error code-41"). Returns 1, or 0
 * with -23 and an empty buffer when the text and its NUL do not fit size bytes.
 */
OSMARK_API int32_t Fault(IoErrCode code, const char* header, char* buffer, uint32_t size) OSMARK_NOEXCEPT;
/* Writes the same text as Fault to the current output stream, without line end;
 * returns 1. */
OSMARK_API int32_t PrintFault(IoErrCode code, const char* header) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
