/*
 * File services of the platform layer: the subset of Win32's files, folders, pipes,
 * standard handles and consoles that the libraries call, on POSIX.
 *
 * Handles. A file or pipe HANDLE names a platform object in the process's handle table
 * (platform/handles.h), never a raw descriptor; NULL and INVALID_HANDLE_VALUE keep
 * their Win32 meaning, and a closed or unknown handle gives ERROR_INVALID_HANDLE.
 * Handles are closed with CloseHandle. Descriptors are close-on-exec: inheritability
 * asked for through SECURITY_ATTRIBUTES or DuplicateHandle is accepted and not kept,
 * and whatever starts a program hands it the handles it needs itself.
 *
 * Paths. Every call that takes a path accepts '\' and '/' as separators, maps a
 * one-letter drive prefix "X:" to the root "/", resolves "." and ".." in the text, and,
 * where the exact path does not exist, finds each component without regard to case.
 * A new file or folder keeps the spelling given, in the folder found. Paths returned
 * are Linux paths ('/' separators). Every byte but NUL may appear in a name; '\' is
 * always a separator, so a Linux name holding '\' cannot be reached.
 *
 * Share modes are kept among the handles of this process: an open that the share mode
 * of another open handle of the same file forbids (or whose own share mode forbids
 * that handle's access) fails with ERROR_SHARING_VIOLATION, and so do DeleteFileA and
 * MoveFileExA of a file open without FILE_SHARE_DELETE. Linux has no mandatory share
 * modes, so other processes are not held back.
 *
 * Attributes. FILE_ATTRIBUTE_DIRECTORY for folders; FILE_ATTRIBUTE_READONLY when the
 * owner's write permission is off (the platform then refuses writing, replacing and
 * deleting, also to root); FILE_ATTRIBUTE_HIDDEN for names starting with '.' (but "."
 * and ".."); FILE_ATTRIBUTE_ARCHIVE for regular files; FILE_ATTRIBUTE_NORMAL alone for
 * anything else that has none of these. Only the read-only bit can be changed.
 *
 * Times. The last-write and last-access times are the file's; the creation time is
 * its birth time where the file system keeps one, else its last-write time. Linux
 * cannot set a birth time: SetFileTime leaves it unchanged.
 *
 * Drives. There is one drive, "C:", which is the root "/".
 */
#ifndef PLATFORM_FILES_H
#define PLATFORM_FILES_H

#include "platform/api.h"
#include "platform/handles.h"
#include "platform/sync.h"
#include "platform/system_time.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

/* ---- Error numbers that the file services report ------------------------------ */

#ifndef ERROR_INVALID_FUNCTION
#define ERROR_INVALID_FUNCTION 1
#endif
#ifndef ERROR_FILE_NOT_FOUND
#define ERROR_FILE_NOT_FOUND 2
#endif
#ifndef ERROR_PATH_NOT_FOUND
#define ERROR_PATH_NOT_FOUND 3
#endif
#ifndef ERROR_ACCESS_DENIED
#define ERROR_ACCESS_DENIED 5
#endif
#ifndef ERROR_INVALID_HANDLE
#define ERROR_INVALID_HANDLE 6
#endif
#ifndef ERROR_NOT_SAME_DEVICE
#define ERROR_NOT_SAME_DEVICE 17
#endif
#ifndef ERROR_NO_MORE_FILES
#define ERROR_NO_MORE_FILES 18
#endif
#ifndef ERROR_SHARING_VIOLATION
#define ERROR_SHARING_VIOLATION 32
#endif
#ifndef ERROR_HANDLE_EOF
#define ERROR_HANDLE_EOF 38
#endif
#ifndef ERROR_NOT_SUPPORTED
#define ERROR_NOT_SUPPORTED 50
#endif
#ifndef ERROR_FILE_EXISTS
#define ERROR_FILE_EXISTS 80
#endif
#ifndef ERROR_INVALID_PARAMETER
#define ERROR_INVALID_PARAMETER 87
#endif
#ifndef ERROR_BROKEN_PIPE
#define ERROR_BROKEN_PIPE 109
#endif
#ifndef ERROR_DISK_FULL
#define ERROR_DISK_FULL 112
#endif
#ifndef ERROR_INSUFFICIENT_BUFFER
#define ERROR_INSUFFICIENT_BUFFER 122
#endif
#ifndef ERROR_INVALID_NAME
#define ERROR_INVALID_NAME 123
#endif
#ifndef ERROR_NEGATIVE_SEEK
#define ERROR_NEGATIVE_SEEK 131
#endif
#ifndef ERROR_DIR_NOT_EMPTY
#define ERROR_DIR_NOT_EMPTY 145
#endif
#ifndef ERROR_ALREADY_EXISTS
#define ERROR_ALREADY_EXISTS 183
#endif
#ifndef ERROR_FILENAME_EXCED_RANGE
#define ERROR_FILENAME_EXCED_RANGE 206
#endif
#ifndef ERROR_NO_DATA
#define ERROR_NO_DATA 232
#endif
#ifndef ERROR_PIPE_BUSY
#define ERROR_PIPE_BUSY 231
#endif
#ifndef ERROR_PIPE_LISTENING
#define ERROR_PIPE_LISTENING 536
#endif
#ifndef ERROR_DIRECTORY
#define ERROR_DIRECTORY 267
#endif

/* ---- Types ----------------------------------------------------------------------- */

typedef long long LONGLONG;
typedef unsigned long long ULONGLONG;
typedef LONG* PLONG;

/* A 64-bit signed number in two halves, as Win32 passes file positions. */
typedef union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    };
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
} LARGE_INTEGER;
typedef LARGE_INTEGER* PLARGE_INTEGER;

/* Asynchronous I/O is not provided: every OVERLAPPED argument must be NULL. */
typedef struct OVERLAPPED OVERLAPPED;
typedef OVERLAPPED* LPOVERLAPPED;

#define MAX_PATH 260

/* ---- Opening files: CreateFileA -------------------------------------------------- */

/* Access. The generic rights stand for the specific ones below them. */
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define GENERIC_EXECUTE 0x20000000u
#define GENERIC_ALL 0x10000000u
#define FILE_READ_DATA 0x0001u
#define FILE_WRITE_DATA 0x0002u
#define FILE_APPEND_DATA 0x0004u
#define FILE_READ_ATTRIBUTES 0x0080u
#define FILE_WRITE_ATTRIBUTES 0x0100u
#define DELETE 0x00010000u

/* Share modes. */
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u

/* Creation dispositions. */
#define CREATE_NEW 1u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define OPEN_ALWAYS 4u
#define TRUNCATE_EXISTING 5u

/* Attributes. */
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_SYSTEM 0x00000004u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100u
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu

/* Flags; of these only FILE_FLAG_BACKUP_SEMANTICS (needed to open a folder) has an
 * effect, the others are accepted. */
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000u
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u
#define FILE_FLAG_RANDOM_ACCESS 0x10000000u
#define FILE_FLAG_WRITE_THROUGH 0x80000000u

/*
 * Opens or creates a file (or, with FILE_FLAG_BACKUP_SEMANTICS, a folder).
 * Dispositions: CREATE_NEW fails with ERROR_FILE_EXISTS when the file exists;
 * CREATE_ALWAYS truncates an existing file and OPEN_ALWAYS opens it, both then with
 * the last error ERROR_ALREADY_EXISTS (else 0); OPEN_EXISTING and TRUNCATE_EXISTING
 * (which needs write access) fail with ERROR_FILE_NOT_FOUND, or ERROR_PATH_NOT_FOUND
 * when a folder above is missing. FILE_ATTRIBUTE_READONLY in the flags makes a new
 * file read-only. FILE_APPEND_DATA without FILE_WRITE_DATA writes at the end always.
 * "\\.\pipe\name" opens the client end of a named pipe (CreateNamedPipeA).
 * Returns INVALID_HANDLE_VALUE with the last error on failure; ERROR_ACCESS_DENIED
 * for write access to a read-only file or a folder opened as a file.
 */
PLATFORM_API HANDLE CreateFileA(LPCSTR name, DWORD desired_access, DWORD share_mode,
                                LPSECURITY_ATTRIBUTES security_attributes,
                                DWORD creation_disposition, DWORD flags_and_attributes,
                                HANDLE template_file) PLATFORM_NOEXCEPT;

/* ---- Reading, writing and the file position -------------------------------------- */

/*
 * Reads up to bytes_to_read bytes; *bytes_read (required) receives the count. A file
 * reads until the count or its end (TRUE with fewer bytes, 0 at the end); a pipe
 * returns what is there (waiting for at least one byte) and fails with
 * ERROR_BROKEN_PIPE once every write end is closed and it is empty. ERROR_ACCESS_DENIED
 * without read access.
 */
PLATFORM_API BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytes_to_read, LPDWORD bytes_read,
                           LPOVERLAPPED overlapped) PLATFORM_NOEXCEPT;
/*
 * Writes every byte (or fails: *bytes_written then holds what went out). Writing into
 * a pipe whose read ends are all closed fails with ERROR_NO_DATA (the process gets no
 * signal). ERROR_ACCESS_DENIED without write access.
 */
PLATFORM_API BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytes_to_write,
                            LPDWORD bytes_written, LPOVERLAPPED overlapped) PLATFORM_NOEXCEPT;

#define FILE_BEGIN 0u
#define FILE_CURRENT 1u
#define FILE_END 2u
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu

/*
 * Moves the file position; a position past the end is allowed (a write there fills
 * the gap with zeros). A position before the start fails with ERROR_NEGATIVE_SEEK and
 * leaves the position; a pipe or console gives ERROR_INVALID_FUNCTION; another move
 * method ERROR_INVALID_PARAMETER.
 * SetFilePointer: with distance_high NULL the distance is a signed 32-bit number and a
 * new position from 2^32 on fails with ERROR_INVALID_PARAMETER; else *distance_high is
 * the high half in and out. Returns the low half of the new position, or
 * INVALID_SET_FILE_POINTER on failure (on success the last error is 0, which tells a
 * position whose low half is 0xFFFFFFFF apart).
 */
PLATFORM_API DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distance_high, DWORD method)
    PLATFORM_NOEXCEPT;
PLATFORM_API BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER new_position,
                                   DWORD method) PLATFORM_NOEXCEPT;

#define INVALID_FILE_SIZE 0xFFFFFFFFu
/* Size of a file (0 for a folder); ERROR_INVALID_FUNCTION for a pipe or console.
 * GetFileSize returns INVALID_FILE_SIZE on failure, and sets the last error to 0 on
 * success. */
PLATFORM_API DWORD GetFileSize(HANDLE file, LPDWORD size_high) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size) PLATFORM_NOEXCEPT;

/* Writes the file's data to its disk; needs write access. TRUE for pipes and consoles. */
PLATFORM_API BOOL FlushFileBuffers(HANDLE file) PLATFORM_NOEXCEPT;
/* Cuts or extends the file to the current position; needs write access. */
PLATFORM_API BOOL SetEndOfFile(HANDLE file) PLATFORM_NOEXCEPT;

#define FILE_TYPE_UNKNOWN 0x0000u
#define FILE_TYPE_DISK 0x0001u
#define FILE_TYPE_CHAR 0x0002u
#define FILE_TYPE_PIPE 0x0003u
/* DISK for files and folders, CHAR for terminals and other character devices, PIPE for
 * pipes and sockets; UNKNOWN with ERROR_INVALID_HANDLE for a handle that is not a
 * file's. */
PLATFORM_API DWORD GetFileType(HANDLE file) PLATFORM_NOEXCEPT;

/* Each pointer may be NULL. SetFileTime needs write access (FILE_WRITE_ATTRIBUTES);
 * a NULL time, or one of 0 or 0xFFFFFFFF:0xFFFFFFFF, leaves that time as it is. */
PLATFORM_API BOOL GetFileTime(HANDLE file, LPFILETIME creation_time, LPFILETIME last_access_time,
                              LPFILETIME last_write_time) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL SetFileTime(HANDLE file, const FILETIME* creation_time,
                              const FILETIME* last_access_time, const FILETIME* last_write_time)
    PLATFORM_NOEXCEPT;

/* ---- Copies of handles ----------------------------------------------------------- */

/* The pseudo handle of the calling process ((HANDLE)-1); it needs no closing. */
PLATFORM_API HANDLE GetCurrentProcess(void) PLATFORM_NOEXCEPT;

#define DUPLICATE_CLOSE_SOURCE 0x00000001u
#define DUPLICATE_SAME_ACCESS 0x00000002u

/*
 * A second handle to the same object (for a file: the same file position). Both
 * processes must be GetCurrentProcess(). The copy keeps the source's access whatever
 * desired_access asks. With DUPLICATE_CLOSE_SOURCE the source handle is closed (also
 * when target is NULL, which only closes it).
 */
PLATFORM_API BOOL DuplicateHandle(HANDLE source_process, HANDLE source, HANDLE target_process,
                                  HANDLE* target, DWORD desired_access, BOOL inherit_handle,
                                  DWORD options) PLATFORM_NOEXCEPT;

/* ---- Standard handles and consoles ----------------------------------------------- */

/* (DWORD)-10, -11 and -12. */
#define STD_INPUT_HANDLE 0xFFFFFFF6u
#define STD_OUTPUT_HANDLE 0xFFFFFFF5u
#define STD_ERROR_HANDLE 0xFFFFFFF4u

/*
 * The process's standard input, output or error: a handle over descriptor 0, 1 or 2.
 * CloseHandle of it closes the handle, never the descriptor: the next GetStdHandle
 * hands out a new handle over the same descriptor. NULL when the descriptor is not
 * open; INVALID_HANDLE_VALUE with ERROR_INVALID_HANDLE for another number.
 */
PLATFORM_API HANDLE GetStdHandle(DWORD std_handle) PLATFORM_NOEXCEPT;
/* Makes the handle the one that GetStdHandle returns (the descriptors 0, 1, 2 of the
 * process do not change). */
PLATFORM_API BOOL SetStdHandle(DWORD std_handle, HANDLE handle) PLATFORM_NOEXCEPT;

/*
 * A program here cannot open a console window of its own: AllocConsole fails with
 * ERROR_ACCESS_DENIED when a standard descriptor is a terminal (the process has a
 * console already), else with ERROR_NOT_SUPPORTED.
 */
PLATFORM_API BOOL AllocConsole(void) PLATFORM_NOEXCEPT;

#define ENABLE_PROCESSED_INPUT 0x0001u
#define ENABLE_LINE_INPUT 0x0002u
#define ENABLE_ECHO_INPUT 0x0004u
#define ENABLE_PROCESSED_OUTPUT 0x0001u
#define ENABLE_WRAP_AT_EOL_OUTPUT 0x0002u
/* The mode of a terminal handle (input modes from the terminal's settings when it was
 * opened for reading only); FALSE with ERROR_INVALID_HANDLE when it is no terminal. */
PLATFORM_API BOOL GetConsoleMode(HANDLE console, LPDWORD mode) PLATFORM_NOEXCEPT;

/* ---- Pipes ----------------------------------------------------------------------- */

/*
 * An anonymous pipe: bytes written into *write_pipe are read from *read_pipe.
 * size is a hint (the system's pipe buffer is at least 4096 bytes).
 */
PLATFORM_API BOOL CreatePipe(HANDLE* read_pipe, HANDLE* write_pipe,
                             LPSECURITY_ATTRIBUTES pipe_attributes, DWORD size) PLATFORM_NOEXCEPT;

#define PIPE_ACCESS_INBOUND 0x00000001u
#define PIPE_ACCESS_OUTBOUND 0x00000002u
#define PIPE_ACCESS_DUPLEX 0x00000003u
#define PIPE_TYPE_BYTE 0x00000000u
#define PIPE_READMODE_BYTE 0x00000000u
#define PIPE_WAIT 0x00000000u
#define PIPE_TYPE_MESSAGE 0x00000004u
#define PIPE_UNLIMITED_INSTANCES 255u

/*
 * The server end of a named pipe "\\.\pipe\name" (the name without regard to
 * case), in byte mode: a Unix stream socket of the abstract name space, so the pipe
 * lives while a server end is open, and it reaches the processes of this machine.
 * Clients open it with CreateFileA(name, ..., OPEN_EXISTING, ...); each server end
 * serves the first client that is not yet served when it first reads or writes.
 * Until a client has connected, ReadFile and WriteFile fail with
 * ERROR_PIPE_LISTENING. The server reads when the open mode has PIPE_ACCESS_INBOUND
 * and writes when it has PIPE_ACCESS_OUTBOUND. Further server ends of the same name in
 * this process share its clients, up to max_instances (1 .. 255) ends; another
 * process cannot add server ends to a pipe (ERROR_PIPE_BUSY), and clients beyond the
 * server ends wait instead of failing with ERROR_PIPE_BUSY. Message mode gives
 * ERROR_NOT_SUPPORTED; buffer sizes and the time-out are hints. A name that does not
 * start with "\\.\pipe\" gives ERROR_INVALID_NAME.
 */
PLATFORM_API HANDLE CreateNamedPipeA(LPCSTR name, DWORD open_mode, DWORD pipe_mode, DWORD max_instances,
                                     DWORD out_buffer_size, DWORD in_buffer_size, DWORD default_time_out,
                                     LPSECURITY_ATTRIBUTES security_attributes) PLATFORM_NOEXCEPT;

/* ---- Files and folders by name --------------------------------------------------- */

/* ERROR_ACCESS_DENIED for a folder or a read-only file. */
PLATFORM_API BOOL DeleteFileA(LPCSTR name) PLATFORM_NOEXCEPT;

#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#define MOVEFILE_COPY_ALLOWED 0x00000002u
#define MOVEFILE_WRITE_THROUGH 0x00000008u
/*
 * Renames a file or folder. An existing target fails with ERROR_ALREADY_EXISTS unless
 * MOVEFILE_REPLACE_EXISTING is given (a folder or a read-only file is never replaced:
 * ERROR_ACCESS_DENIED). A name that differs from the old one only in case renames the
 * entry itself. A file moves to another file system only with MOVEFILE_COPY_ALLOWED
 * (copied, then deleted), else ERROR_NOT_SAME_DEVICE.
 * MoveFileA is MoveFileExA with MOVEFILE_COPY_ALLOWED.
 */
PLATFORM_API BOOL MoveFileA(LPCSTR existing_name, LPCSTR new_name) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL MoveFileExA(LPCSTR existing_name, LPCSTR new_name, DWORD flags) PLATFORM_NOEXCEPT;

/*
 * Copies a file's data, read-only bit and last-write time. With fail_if_exists an
 * existing target fails with ERROR_FILE_EXISTS; a read-only target or a folder gives
 * ERROR_ACCESS_DENIED; a file copied onto itself ERROR_SHARING_VIOLATION.
 */
PLATFORM_API BOOL CopyFileA(LPCSTR existing_name, LPCSTR new_name, BOOL fail_if_exists)
    PLATFORM_NOEXCEPT;

/* ERROR_ALREADY_EXISTS when the name exists, ERROR_PATH_NOT_FOUND when the folder above
 * does not. */
PLATFORM_API BOOL CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES security_attributes)
    PLATFORM_NOEXCEPT;
/* ERROR_DIR_NOT_EMPTY for a folder with entries, ERROR_DIRECTORY for a file. */
PLATFORM_API BOOL RemoveDirectoryA(LPCSTR name) PLATFORM_NOEXCEPT;

/*
 * The current directory (a Linux path). Copies it with its NUL when size is large
 * enough and returns its length; else returns the size needed, NUL included, and
 * writes nothing. 0 on failure.
 */
PLATFORM_API DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL SetCurrentDirectoryA(LPCSTR name) PLATFORM_NOEXCEPT;

/*
 * The full path of a name, made in the text (current directory, separators, drive
 * prefix, "." and ".."; the file system is not asked). Results as
 * GetCurrentDirectoryA; *file_part (when given) points at the last component in the
 * buffer, or is NULL when the path ends in a separator.
 */
PLATFORM_API DWORD GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* file_part)
    PLATFORM_NOEXCEPT;

/* The folder for temporary files: $TMPDIR, else /tmp, ending in '/'. Results as
 * GetCurrentDirectoryA. */
PLATFORM_API DWORD GetTempPathA(DWORD size, LPSTR buffer) PLATFORM_NOEXCEPT;

/*
 * Makes "<path>/<up to 3 characters of prefix><hex digits>.tmp" in buffer (which must
 * hold MAX_PATH bytes). With unique 0 the number is chosen and the file created empty
 * (the first name that does not exist yet); else the name is only formed from unique.
 * Returns the number used, or 0 on failure (ERROR_FILENAME_EXCED_RANGE when the name
 * would not fit in MAX_PATH bytes; ERROR_FILE_EXISTS when every number is taken).
 */
PLATFORM_API UINT GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR buffer)
    PLATFORM_NOEXCEPT;

/* INVALID_FILE_ATTRIBUTES with the last error on failure. */
PLATFORM_API DWORD GetFileAttributesA(LPCSTR name) PLATFORM_NOEXCEPT;
/* Only FILE_ATTRIBUTE_READONLY has an effect: it takes every write permission away;
 * without it the owner's write permission is given back. */
PLATFORM_API BOOL SetFileAttributesA(LPCSTR name, DWORD attributes) PLATFORM_NOEXCEPT;

typedef enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard = 0 } GET_FILEEX_INFO_LEVELS;

typedef struct WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
} WIN32_FILE_ATTRIBUTE_DATA;

/* Fills a WIN32_FILE_ATTRIBUTE_DATA (the only level). */
PLATFORM_API BOOL GetFileAttributesExA(LPCSTR name, GET_FILEEX_INFO_LEVELS level, LPVOID information)
    PLATFORM_NOEXCEPT;

/* ---- Directory scans ------------------------------------------------------------- */

typedef struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14]; /* always empty: there are no short names */
} WIN32_FIND_DATAA;
typedef WIN32_FIND_DATAA* LPWIN32_FIND_DATAA;

/*
 * Starts a scan of the entries of a folder that match the last component of name,
 * by the Win32 wildcard rules ('*', '?', and "*.*" also for names without a point),
 * without regard to case. A last component without wildcards finds that one entry.
 * The entries come in a fixed order: "." and ".." first (in every folder but the
 * root, when the pattern matches them), then the others by name without regard to
 * case. An entry whose name does not fit cFileName (MAX_PATH - 1 bytes) is left out.
 * Returns a search handle for FindNextFileA and FindClose with the first entry in
 * *data; INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND when nothing matches,
 * ERROR_PATH_NOT_FOUND when the folder does not exist.
 */
PLATFORM_API HANDLE FindFirstFileA(LPCSTR name, LPWIN32_FIND_DATAA data) PLATFORM_NOEXCEPT;
/* The next entry; FALSE with ERROR_NO_MORE_FILES after the last. */
PLATFORM_API BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data) PLATFORM_NOEXCEPT;
/* Ends a scan. ERROR_INVALID_HANDLE for a handle that is not a search's. */
PLATFORM_API BOOL FindClose(HANDLE find) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
