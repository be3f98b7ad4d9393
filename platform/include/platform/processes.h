/*
 * Processes of the platform layer: the subset of Win32 that the libraries use to run
 * programs and to end their own.
 *
 * Provided here: CreateProcessA and CreateProcessW, GetExitCodeProcess and ExitProcess. A process handle (and the handle of its main thread) is waited
 * for with WaitForSingleObject or MsgWaitForMultipleObjects (platform/handles.h): it
 * is signalled once the process has ended. A child whose handles are all closed before
 * it ends is still collected when it ends; no ended child lingers.
 *
 * Linux has no Windows console or window station: the show flags and the window
 * fields of STARTUPINFOA are accepted and ignored. Descriptors are close-on-exec
 * (platform/files.h): a new process gets the standard handles as descriptors 0, 1 and
 * 2 and nothing else, whatever handle inheritance asks for.
 */
#ifndef PLATFORM_PROCESSES_H
#define PLATFORM_PROCESSES_H

#include "platform/api.h"
#include "platform/sync.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

#ifndef ERROR_FILE_NOT_FOUND
#define ERROR_FILE_NOT_FOUND 2
#endif
#ifndef ERROR_ACCESS_DENIED
#define ERROR_ACCESS_DENIED 5
#endif
#ifndef ERROR_BAD_EXE_FORMAT
#define ERROR_BAD_EXE_FORMAT 193
#endif
#ifndef ERROR_DIRECTORY
#define ERROR_DIRECTORY 267
#endif

/* GetExitCodeProcess's answer while the process runs. */
#define STILL_ACTIVE 259u

/* Creation flags. DETACHED_PROCESS starts the process in a session of its own
 * (setsid), apart from the caller's terminal and process group. */
#define DETACHED_PROCESS 0x00000008u

/* STARTUPINFOA flags. */
#define STARTF_USESHOWWINDOW 0x00000001u
#define STARTF_USESTDHANDLES 0x00000100u

#ifndef SW_HIDE
#define SW_HIDE 0
#endif
#ifndef SW_MINIMIZE
#define SW_MINIMIZE 6
#endif

typedef struct STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    BYTE* lpReserved2;
    HANDLE hStdInput;  /* with STARTF_USESTDHANDLES: descriptor 0 of the process */
    HANDLE hStdOutput; /* ... descriptor 1 */
    HANDLE hStdError;  /* ... descriptor 2 */
} STARTUPINFOA;
typedef STARTUPINFOA* LPSTARTUPINFOA;

typedef struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;    /* the main thread: signalled when the process ends */
    DWORD dwProcessId; /* the Linux process id */
    DWORD dwThreadId;  /* the main thread's id: the process id */
} PROCESS_INFORMATION;
typedef PROCESS_INFORMATION* LPPROCESS_INFORMATION;

/*
 * Starts a program.
 *  - The arguments come from command_line, split as Win32 programs split theirs (the
 *    first word up to a blank or tab, or between double quotes; the others with the
 *    runtime's rules for quotes and backslashes); its first word names the program unless
 *    application_name does. A program named with a separator or a drive ("C:\...")
 *    is a path (platform/files.h); a bare name is looked for along PATH. Nothing is
 *    added to the name (no ".exe").
 *  - environment: a block of NUL-terminated "name=value" strings ended by an empty
 *    one; NULL passes the caller's environment.
 *  - current_directory: the folder it starts in (NULL: the caller's).
 *  - Descriptors 0, 1 and 2 of the new process are the handles of startup_info with
 *    STARTF_USESTDHANDLES, else the caller's standard handles (GetStdHandle); a handle
 *    that is NULL or no file or pipe gives the null device.
 *  - creation_flags: DETACHED_PROCESS is honoured; other flags are ignored.
 * TRUE with *process_information filled (both handles must be closed), or FALSE with
 * the last error: ERROR_INVALID_PARAMETER for a missing command and program or a NULL
 * startup_info or process_information, ERROR_DIRECTORY for a folder that is none,
 * ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED (also for a file that is not executable),
 * ERROR_BAD_EXE_FORMAT, or the system's error.
 */
PLATFORM_API BOOL CreateProcessA(LPCSTR application_name, LPSTR command_line,
                                 LPSECURITY_ATTRIBUTES process_attributes,
                                 LPSECURITY_ATTRIBUTES thread_attributes, BOOL inherit_handles,
                                 DWORD creation_flags, LPVOID environment, LPCSTR current_directory,
                                 LPSTARTUPINFOA startup_info,
                                 LPPROCESS_INFORMATION process_information) PLATFORM_NOEXCEPT;

/* Priority classes: accepted, not used (every program runs at the caller's priority). */
#define NORMAL_PRIORITY_CLASS 0x00000020u

#ifndef SW_SHOWDEFAULT
#define SW_SHOWDEFAULT 10
#endif

/* STARTUPINFOA with UTF-16 strings. */
typedef struct STARTUPINFOW {
    DWORD cb;
    LPWSTR lpReserved;
    LPWSTR lpDesktop;
    LPWSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    BYTE* lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
} STARTUPINFOW;
typedef STARTUPINFOW* LPSTARTUPINFOW;

/*
 * CreateProcessA with the names, the command line and the folder in UTF-16 (turned
 * into UTF-8, the platform's 8-bit strings). The environment block is the 8-bit one
 * of CreateProcessA, or NULL. Results and errors as CreateProcessA's.
 */
PLATFORM_API BOOL CreateProcessW(LPCWSTR application_name, LPWSTR command_line,
                                 LPSECURITY_ATTRIBUTES process_attributes,
                                 LPSECURITY_ATTRIBUTES thread_attributes, BOOL inherit_handles,
                                 DWORD creation_flags, LPVOID environment,
                                 LPCWSTR current_directory, LPSTARTUPINFOW startup_info,
                                 LPPROCESS_INFORMATION process_information) PLATFORM_NOEXCEPT;

/*
 * The exit code of an ended process, or STILL_ACTIVE while it runs (also for
 * GetCurrentProcess()). A process ended by a signal has 128 + the signal's number, as
 * shells report it. FALSE with ERROR_INVALID_HANDLE for a handle that is no process,
 * ERROR_INVALID_PARAMETER for a NULL code.
 */
PLATFORM_API BOOL GetExitCodeProcess(HANDLE process, LPDWORD exit_code) PLATFORM_NOEXCEPT;

/* Ends the calling process with the exit code, after the libraries' clean-ups (their
 * unload) have run. */
PLATFORM_API __attribute__((noreturn)) void ExitProcess(UINT exit_code) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
