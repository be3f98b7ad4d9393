/*
 * Buffered file handles: files, pipes, the standard streams, the null device "NIL:"
 * and memory-backed handles.
 *
 * The FileHandle layout, its flag values and its operation slots are shared with the
 * libraries that build memory-backed handles themselves: a cleared record with flags
 * FileFlagRead | FileFlagMemory, the whole content as the buffer (count and buffer
 * size = its length) and their own operations. Every operation receives the record's
 * system-handle word as its first argument, never the record.
 *
 * Positions and sizes are 32-bit signed, as the layout has them.
 */
#ifndef OSMARK_FILES_H
#define OSMARK_FILES_H

#include "osmark/api.h"
#include "osmark/hooks.h"
#include "osmark/tags.h"

OSMARK_BEGIN_DECLS

/* close(system handle): nonzero on success. */
typedef int32_t (*FileCloseOp)(uintptr_t system_handle);
/* read/write(system handle, buffer, count, &done): nonzero on success; *done is the
 * number of bytes moved (0 at end of file for read). */
typedef int32_t (*FileReadOp)(uintptr_t system_handle, void* buffer, int32_t count, int32_t* done);
typedef int32_t (*FileWriteOp)(uintptr_t system_handle, const void* buffer, int32_t count,
                               int32_t* done);
/* seek(system handle, position, mode 0 start / 1 current / 2 end): new position or -1. */
typedef int32_t (*FileSeekOp)(uintptr_t system_handle, int32_t position, int32_t mode);
/* unget(system handle, character). */
typedef int32_t (*FileUngetOp)(uintptr_t system_handle, int32_t character);

typedef struct FileHandle {
    /* reading: bytes still unread in the buffer; writing (full buffering): free bytes
     * left; writing (line buffering): minus the bytes held; 0 without a buffer */
    int32_t fh_Count;
    uint8_t* fh_Position;   /* next byte to read or write */
    uint8_t* fh_Buffer;     /* start of the buffer, NULL until one is attached */
    int32_t fh_BufferSize;  /* for a memory-backed handle: the length of the data */
    uint32_t fh_Flags;      /* FileHandleFlags */
    uintptr_t fh_SystemHandle; /* the operations' context (a platform HANDLE for files) */
    char* fh_Name;          /* expanded path (AllocStr), "$piperead", "$pipewrite", "NIL:" */
    FileCloseOp fh_Close;
    FileReadOp fh_Read;
    FileWriteOp fh_Write;
    FileSeekOp fh_Seek;
    FileUngetOp fh_Unget;   /* NULL: UnGetc steps back in the buffer */
} FileHandle;

enum FileHandleFlags {
    FileFlagRead = 0x0001,         /* open for reading (current direction read) */
    FileFlagWrite = 0x0002,        /* open for writing (current direction write) */
    FileFlagUnbuffered = 0x0004,   /* bytes go through the operations one at a time */
    FileFlagOwnBuffer = 0x0008,    /* the buffer is freed with the handle */
    FileFlagEndOfFile = 0x0010,    /* until the next Seek */
    FileFlagError = 0x0020,        /* a read, write or flush failed; sticky until Close */
    FileFlagMemory = 0x0040,       /* the buffer holds the whole content */
    FileFlagLineBuffered = 0x0080,
    FileFlagUpdate = 0x0100,       /* reading and writing; Seek clears the direction */
    FileFlagModeBit1 = 0x0400,     /* mode & 1 of Open, and the standard streams */
    FileFlagInheritable = 0x0800,
    FileFlagPipe = 0x1000,
    FileFlagNameNotOwned = 0x2000  /* Close does not free the name */
};

/* Open modes. */
enum FileOpenModes {
    FileModeBit1 = 1,
    FileModeRead = 2,        /* existing file, shared for reading */
    FileModeWrite = 4,       /* created or truncated, not shared */
    FileModeAppend = 8,      /* existing file (created with FileModeUpdate), at its end */
    FileModeUpdate = 16,     /* read and write access */
    FileModeInheritable = 32,
    FileModeNamedPipe = 64
};

/* The most handles busy at once (memory-backed handles and NIL: not counted). */
#define MaxFileHandles 50

/* Opening and closing. */
OSMARK_API FileHandle* Open(const char* name, int32_t mode) OSMARK_NOEXCEPT;
OSMARK_API int32_t Close(FileHandle* fh) OSMARK_NOEXCEPT;
OSMARK_API FileHandle* DupFile(FileHandle* fh, int32_t mode) OSMARK_NOEXCEPT;
OSMARK_API int32_t OpenPipe(int32_t mode, FileHandle** read_end, FileHandle** write_end)
    OSMARK_NOEXCEPT;
OSMARK_API FileHandle* OpenConsole(void) OSMARK_NOEXCEPT;

/* Current streams; Select* set one when fh is not NULL and return the previous one. */
OSMARK_API FileHandle* Input(void) OSMARK_NOEXCEPT;
OSMARK_API FileHandle* Output(void) OSMARK_NOEXCEPT;
OSMARK_API FileHandle* ErrOutput(void) OSMARK_NOEXCEPT;
OSMARK_API FileHandle* SelectInput(FileHandle* fh) OSMARK_NOEXCEPT;
OSMARK_API FileHandle* SelectOutput(FileHandle* fh) OSMARK_NOEXCEPT;
OSMARK_API FileHandle* SelectErrOutput(FileHandle* fh) OSMARK_NOEXCEPT;

/* Reading. FGetc takes no NULL handle. */
OSMARK_API int32_t FGetc(FileHandle* fh) OSMARK_NOEXCEPT;
OSMARK_API char* FGets(FileHandle* fh, char* buffer, int32_t size) OSMARK_NOEXCEPT;
OSMARK_API int32_t UnGetc(FileHandle* fh, int32_t character) OSMARK_NOEXCEPT;
OSMARK_API int32_t Read(FileHandle* fh, void* buffer, int32_t count) OSMARK_NOEXCEPT;
OSMARK_API int32_t FRead(FileHandle* fh, void* buffer, uint32_t size, uint32_t count) OSMARK_NOEXCEPT;

/* Writing. FPutc and Flush take no NULL handle. */
OSMARK_API int32_t FPutc(FileHandle* fh, int32_t character) OSMARK_NOEXCEPT;
OSMARK_API int32_t FPuts(FileHandle* fh, const char* string) OSMARK_NOEXCEPT;
OSMARK_API int32_t PutStr(const char* string) OSMARK_NOEXCEPT;
OSMARK_API int32_t Write(FileHandle* fh, const void* buffer, int32_t count) OSMARK_NOEXCEPT;
OSMARK_API int32_t FWrite(FileHandle* fh, const void* buffer, uint32_t size, uint32_t count)
    OSMARK_NOEXCEPT;
OSMARK_API int32_t WriteChars(const void* buffer, int32_t count) OSMARK_NOEXCEPT;
OSMARK_API int32_t Flush(FileHandle* fh) OSMARK_NOEXCEPT;
OSMARK_API int32_t Purge(FileHandle* fh) OSMARK_NOEXCEPT;

/* Buffering (mode 0 full, 1 line, 2 none) and position. */
OSMARK_API int32_t SetVBuf(FileHandle* fh, void* buffer, int32_t mode, int32_t size) OSMARK_NOEXCEPT;
OSMARK_API int32_t Seek(FileHandle* fh, int32_t position, int32_t mode) OSMARK_NOEXCEPT;

/* The refill and overflow steps of FGetc and FPutc. */
OSMARK_API int32_t FillBuffer(FileHandle* fh) OSMARK_NOEXCEPT;
OSMARK_API int32_t FlushPutc(FileHandle* fh, int32_t character) OSMARK_NOEXCEPT;

/* Files by name. */
OSMARK_API int32_t Access(const char* path, int32_t mode) OSMARK_NOEXCEPT;
OSMARK_API int32_t DeleteFile_(const char* path) OSMARK_NOEXCEPT;
OSMARK_API int32_t TempFileName(const char* prefix, char* buffer, int32_t size) OSMARK_NOEXCEPT;

/* DOS objects: tracked allocations of handles, ExAll controls, file information
 * blocks and argument blocks. */
enum DosObjectType {
    DosObjectFileHandle = 0,
    DosObjectExAllControl = 1,
    DosObjectFileInfoBlock = 2,
    DosObjectArgBlock = 4
};
#define DosTagFileMode 0x80000301u      /* open-mode bits of a kind-0 object */
#define DosTagSystemHandle 0x80000302u  /* system handle of a kind-0 object */

OSMARK_API void* AllocDosObjectA(uint32_t kind, const TagItem* tags) OSMARK_NOEXCEPT;
OSMARK_API void FreeDosObject(uint32_t kind, void* object) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

/* AllocDosObject(kind, tag, data, ..., TagEnd): the tags inline. */
#ifdef __cplusplus
template <typename... Words>
inline void* AllocDosObject(uint32_t kind, Words... words) noexcept
{
    uintptr_t items[] = {osmark_hook_word(words)..., 0, 0};
    // Tags and data alternate; TagItem holds a 32-bit tag and a pointer-wide word.
    TagItem tags[sizeof...(Words) / 2 + 1];
    for (size_t i = 0; i < sizeof...(Words) / 2 + 1; ++i) {
        tags[i].ti_Tag = static_cast<Tag>(items[2 * i]);
        tags[i].ti_Data = items[2 * i + 1];
    }
    return AllocDosObjectA(kind, tags);
}
#else
#define AllocDosObject(kind, ...) AllocDosObjectA((kind), (const TagItem*)(TagItem[]){__VA_ARGS__})
#endif

#endif
