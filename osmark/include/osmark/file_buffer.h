/*
 * A reading handle's buffer as a source of bytes, for readers that scan what is
 * buffered in place instead of taking it one FGetc at a time.
 *
 * The bytes that FileBufferPeek shows stay where they are until the next FileBufferRefill,
 * Seek, read or Close of the handle; consuming them only moves the read position. The
 * three steps of a reader:
 *
 *     int32_t count;
 *     const uint8_t* bytes = FileBufferPeek(fh, &count);
 *     if (count == 0 && FileBufferRefill(fh) == 0)
 *         ...the end of the file, or an error (FileFlagError tells them apart)...
 *     ...scan bytes[0, count), then FileBufferConsume(fh, n) with 0 <= n <= count...
 *
 * Memory-backed handles hold their whole content in the buffer: they never refill.
 */
#ifndef OSMARK_FILE_BUFFER_H
#define OSMARK_FILE_BUFFER_H

#include "osmark/files.h"

OSMARK_BEGIN_DECLS

/* The unread bytes of the buffer; *count receives their number, 0 when none is held
 * (the count of a handle that ran dry may have gone below 0). */
static inline const uint8_t* FileBufferPeek(const FileHandle* fh, int32_t* count) OSMARK_NOEXCEPT
{
    *count = fh->fh_Count > 0 ? fh->fh_Count : 0;
    return fh->fh_Position;
}

/* Marks the first count of the bytes FileBufferPeek showed as read. */
static inline void FileBufferConsume(FileHandle* fh, int32_t count) OSMARK_NOEXCEPT
{
    fh->fh_Position += count;
    fh->fh_Count -= count;
}

/* Drops the unread bytes and marks the end of the file, so that no later read takes a
 * byte until the next Seek: for a reader that found the rest of a stream unusable. */
static inline void FileBufferEnd(FileHandle* fh) OSMARK_NOEXCEPT
{
    if (fh->fh_Count > 0)
        FileBufferConsume(fh, fh->fh_Count);
    fh->fh_Flags |= FileFlagEndOfFile;
}

/* Reads the next bytes into the buffer once the unread ones are used up, every byte
 * read left unread there. Returns the number of unread bytes held (those there already,
 * when there are any); 0 at the end of the file, on a read error and when the handle
 * can have no buffer for want of memory (both of which set FileFlagError). A handle
 * that is not open for reading, or memory-backed, returns 0. */
OSMARK_API int32_t FileBufferRefill(FileHandle* fh) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
