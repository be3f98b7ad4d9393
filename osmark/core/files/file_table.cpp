// The file-handle table, opening and closing, the standard streams, the null device
// and the operating-system operations.
//
// Twenty records are static; the first three are the standard streams. When all
// twenty are busy a table of MaxFileHandles slots is made whose first twenty slots
// point at the static records; the others get records on first use. Memory-backed
// handles built by callers and the null device are not in the table.

#include "osmark/files.h"

#include "core/files/file_stream_internal.h"
#include "core/runtime/make_error.h"
#include "core/runtime/startup_steps.h"
#include "osmark/assigns.h"
#include "osmark/errors.h"
#include "osmark/library.h"
#include "osmark/memory.h"
#include "osmark/paths.h"
#include "osmark/strings.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/kernel.h"
#include "platform/sync.h"

#include <cstring>
#include <mutex>

namespace {

constexpr uint32_t kStaticRecords = 20;
constexpr uint32_t kBusyFlags = FileFlagRead | FileFlagWrite | FileFlagUpdate;

FileHandle g_static_records[kStaticRecords] = {};
FileHandle** g_extended_table = nullptr; // MaxFileHandles slots once made
FileHandle g_nil_device = {};
char g_nil_name[] = "NIL:";

// Records are claimed under the lock, from the moment one is handed out until Close gives
// it back, so that threads that open files at the same time never get one record. The
// flags of a claimed record belong to its owner, who changes them without the lock: the
// search never reads them.
static_assert(MaxFileHandles <= 64, "one bit per record");
std::mutex g_table_lock;
uint64_t g_claimed = 0; // bit i: record i of the table

FileHandle* g_current_input = nullptr;
FileHandle* g_current_output = nullptr;
FileHandle* g_current_error = nullptr;

HANDLE as_handle(uintptr_t system_handle)
{
    return reinterpret_cast<HANDLE>(system_handle);
}

uintptr_t as_word(HANDLE handle)
{
    return reinterpret_cast<uintptr_t>(handle);
}

// --- Operating-system operations -------------------------------------------------

int32_t read_os_file(uintptr_t system_handle, void* buffer, int32_t count, int32_t* done)
{
    DWORD moved = 0;
    if (!ReadFile(as_handle(system_handle), buffer, static_cast<DWORD>(count), &moved, nullptr)) {
        osmark::set_io_error_from_win32(GetLastError());
        *done = 0;
        return 0;
    }
    *done = static_cast<int32_t>(moved);
    return 1;
}

int32_t write_os_file(uintptr_t system_handle, const void* buffer, int32_t count, int32_t* done)
{
    DWORD moved = 0;
    if (!WriteFile(as_handle(system_handle), buffer, static_cast<DWORD>(count), &moved, nullptr)) {
        osmark::set_io_error_from_win32(GetLastError());
        *done = 0;
        return 0;
    }
    *done = static_cast<int32_t>(moved);
    return 1;
}

int32_t seek_os_file(uintptr_t system_handle, int32_t position, int32_t mode)
{
    static constexpr DWORD kOrigins[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    if (mode < 0 || mode > 2) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return -1;
    }
    SetLastError(ERROR_SUCCESS);
    const DWORD result = SetFilePointer(as_handle(system_handle), position, nullptr, kOrigins[mode]);
    if (result == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) {
        osmark::set_io_error_from_win32(GetLastError());
        return -1;
    }
    return static_cast<int32_t>(result);
}

int32_t close_os_file(uintptr_t system_handle)
{
    if (!CloseHandle(as_handle(system_handle))) {
        osmark::set_io_error_from_win32(GetLastError());
        return 0;
    }
    return 1;
}

// --- The null device ----------------------------------------------------------------

int32_t read_nil_file(uintptr_t, void*, int32_t, int32_t* done)
{
    *done = 0;
    return 1;
}

int32_t write_nil_file(uintptr_t, const void*, int32_t count, int32_t* done)
{
    *done = count;
    return 1;
}

int32_t seek_nil_file(uintptr_t, int32_t, int32_t)
{
    osmark::set_io_error(IoErrSeekError);
    return -1;
}

int32_t close_nil_file(uintptr_t)
{
    return 1;
}

FileHandle* open_nil_device()
{
    if ((g_nil_device.fh_Flags & kBusyFlags) == 0) {
        g_nil_device = {};
        g_nil_device.fh_Name = g_nil_name;
        g_nil_device.fh_Flags = FileFlagUpdate | FileFlagUnbuffered | FileFlagNameNotOwned;
        g_nil_device.fh_Read = read_nil_file;
        g_nil_device.fh_Write = write_nil_file;
        g_nil_device.fh_Seek = seek_nil_file;
        g_nil_device.fh_Close = close_nil_file;
    }
    return &g_nil_device;
}

// --- The table ------------------------------------------------------------------------

void set_os_operations(FileHandle* fh)
{
    fh->fh_Read = read_os_file;
    fh->fh_Write = write_os_file;
    fh->fh_Seek = seek_os_file;
    fh->fh_Close = close_os_file;
    fh->fh_Unget = nullptr;
}

void clear_state(FileHandle* fh)
{
    fh->fh_Count = 0;
    fh->fh_Position = nullptr;
    fh->fh_Buffer = nullptr;
    fh->fh_BufferSize = 0;
    fh->fh_Flags = 0;
    fh->fh_SystemHandle = 0;
    fh->fh_Name = nullptr;
}

bool extend_file_table()
{
    if (g_extended_table != nullptr)
        return true;
    auto** table = static_cast<FileHandle**>(CAllocVec(MaxFileHandles, sizeof(FileHandle*)));
    if (table == nullptr)
        return false;
    for (uint32_t i = 0; i < kStaticRecords; ++i)
        table[i] = &g_static_records[i];
    g_extended_table = table;
    return true;
}

bool is_claimed(uint32_t index)
{
    return (g_claimed & (uint64_t{1} << index)) != 0;
}

// The record at index of the table, claimed for the caller: true when it was free.
// Called with the lock held.
bool claim(uint32_t index, FileHandle* record)
{
    if (is_claimed(index) || osmark::is_busy(record))
        return false;
    g_claimed |= uint64_t{1} << index;
    return true;
}

// The index of a record of the table, -1 for any other handle (memory-backed handles,
// the null device). Called with the lock held.
int32_t table_index(const FileHandle* fh)
{
    if (fh >= g_static_records && fh < g_static_records + kStaticRecords)
        return static_cast<int32_t>(fh - g_static_records);
    if (g_extended_table != nullptr) {
        for (uint32_t i = kStaticRecords; i < MaxFileHandles; ++i) {
            if (g_extended_table[i] == fh)
                return static_cast<int32_t>(i);
        }
    }
    return -1;
}

// A free record of the table, claimed for the caller until release_file_handle.
FileHandle* free_file_handle()
{
    const std::lock_guard<std::mutex> lock(g_table_lock);
    for (uint32_t i = 0; i < kStaticRecords; ++i) {
        if (claim(i, &g_static_records[i]))
            return &g_static_records[i];
    }
    if (!extend_file_table())
        return nullptr;
    for (uint32_t i = kStaticRecords; i < MaxFileHandles; ++i) {
        FileHandle*& slot = g_extended_table[i];
        if (slot == nullptr)
            slot = static_cast<FileHandle*>(CAllocVec(1, sizeof(FileHandle)));
        if (slot == nullptr)
            return nullptr;
        if (claim(i, slot))
            return slot;
    }
    return nullptr;
}

void release_file_handle(const FileHandle* fh)
{
    const std::lock_guard<std::mutex> lock(g_table_lock);
    const int32_t index = table_index(fh);
    if (index >= 0)
        g_claimed &= ~(uint64_t{1} << index);
}

// Opens the system handle that mode asks for; INVALID_HANDLE_VALUE with the error
// code stored when it fails.
HANDLE open_system_file(const char* path, int32_t mode)
{
    SECURITY_ATTRIBUTES security = {sizeof(SECURITY_ATTRIBUTES), nullptr,
                                     (mode & FileModeInheritable) ? TRUE : FALSE};
    const bool update = (mode & FileModeUpdate) != 0;
    DWORD access = 0;
    DWORD share = 0;
    DWORD disposition = 0;
    switch (mode & 14) {
    case FileModeRead:
        access = update ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
        share = FILE_SHARE_READ;
        disposition = update ? OPEN_ALWAYS : OPEN_EXISTING;
        break;
    case FileModeWrite:
        access = update ? GENERIC_READ | GENERIC_WRITE : GENERIC_WRITE;
        disposition = CREATE_ALWAYS;
        break;
    case FileModeAppend:
        access = update ? GENERIC_READ | GENERIC_WRITE : GENERIC_WRITE;
        disposition = update ? OPEN_ALWAYS : OPEN_EXISTING;
        break;
    default:
        osmark::set_io_error(IoErrRequiredArgMissing);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = CreateFileA(path, access, share, &security, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        osmark::set_io_error_from_win32(GetLastError());
        return INVALID_HANDLE_VALUE;
    }
    if ((mode & 14) == FileModeAppend)
        SetFilePointer(handle, 0, nullptr, FILE_END);
    return handle;
}

// Named pipes: "\\.\pipe\<name>", a byte stream in the given direction.
HANDLE open_named_pipe(const char* path, int32_t mode)
{
    DWORD direction = 0;
    switch (mode & 14) {
    case FileModeRead: direction = PIPE_ACCESS_INBOUND; break;
    case FileModeWrite:
    case FileModeAppend: direction = PIPE_ACCESS_OUTBOUND; break;
    default:
        osmark::set_io_error(IoErrRequiredArgMissing);
        return INVALID_HANDLE_VALUE;
    }
    if (mode & FileModeUpdate)
        direction = PIPE_ACCESS_DUPLEX;
    char pipe_name[1024] = "\\\\.\\pipe\\";
    if (!AddPart(pipe_name, path, sizeof pipe_name)) {
        osmark::set_io_error(IoErrLineTooLong);
        return INVALID_HANDLE_VALUE;
    }
    SECURITY_ATTRIBUTES security = {sizeof(SECURITY_ATTRIBUTES), nullptr,
                                     (mode & FileModeInheritable) ? TRUE : FALSE};
    HANDLE handle = CreateNamedPipeA(pipe_name, direction, PIPE_TYPE_BYTE | PIPE_WAIT,
                                     PIPE_UNLIMITED_INSTANCES, 1024, 1024, 2000, &security);
    if (handle == INVALID_HANDLE_VALUE)
        osmark::set_io_error_from_win32(GetLastError());
    return handle;
}

void close_all_files()
{
    for (FileHandle& record : g_static_records)
        Close(&record);
    if (g_extended_table != nullptr) {
        for (uint32_t i = kStaticRecords; i < MaxFileHandles; ++i) {
            if (g_extended_table[i] != nullptr) {
                Close(g_extended_table[i]);
                FreeVec(g_extended_table[i]);
            }
        }
        FreeVec(g_extended_table);
        g_extended_table = nullptr;
    }
    if (osmark::is_busy(&g_nil_device))
        Close(&g_nil_device);
    g_current_input = g_current_output = g_current_error = nullptr;
}

void set_up_standard_stream(uint32_t index, DWORD which, const char* name, uint32_t flags)
{
    FileHandle* record = &g_static_records[index];
    if (osmark::is_busy(record))
        Close(record);
    {
        const std::lock_guard<std::mutex> lock(g_table_lock);
        g_claimed |= uint64_t{1} << index;
    }
    *record = {};
    record->fh_SystemHandle = as_word(GetStdHandle(which));
    record->fh_Name = AllocStr(0, name);
    record->fh_Flags = flags;
    set_os_operations(record);
}

void set_up_standard_streams()
{
    set_up_standard_stream(0, STD_INPUT_HANDLE, "STDIN:", FileFlagModeBit1 | FileFlagRead);
    set_up_standard_stream(1, STD_OUTPUT_HANDLE, "STDOUT:", FileFlagModeBit1 | FileFlagWrite);
    set_up_standard_stream(2, STD_ERROR_HANDLE, "STDERR:",
                           FileFlagModeBit1 | FileFlagWrite | FileFlagUnbuffered);
    g_current_input = &g_static_records[0];
    g_current_output = &g_static_records[1];
    g_current_error = &g_static_records[2];
}

}

namespace osmark {

uint32_t file_flags_from_mode(int32_t mode)
{
    uint32_t flags = 0;
    if (mode & FileModeUpdate)
        flags = FileFlagUpdate;
    else if ((mode & 14) == FileModeRead)
        flags = FileFlagRead;
    else
        flags = FileFlagWrite;
    if (mode & FileModeBit1)
        flags |= FileFlagModeBit1;
    if (mode & FileModeInheritable)
        flags |= FileFlagInheritable;
    if (mode & FileModeNamedPipe)
        flags |= FileFlagPipe;
    return flags;
}

bool is_console_output(const FileHandle* fh)
{
    return GetFileType(as_handle(fh->fh_SystemHandle)) == FILE_TYPE_CHAR;
}

void InitialiseFiles()
{
    AddExitProc(&LibraryExitList, close_all_files);
    set_up_standard_streams();
}

FileHandle* take_free_file_handle()
{
    return free_file_handle();
}

void give_back_file_handle(FileHandle* fh)
{
    release_file_handle(fh);
}

void set_os_file_operations(FileHandle* fh)
{
    set_os_operations(fh);
}

}

extern "C" {

OSMARK_API FileHandle* Open(const char* name, int32_t mode) noexcept
{
    if (name == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    char* path = AllocExpandedPath(name);
    if (path == nullptr)
        return nullptr;
    FileHandle* result = nullptr;
    if (StriCmp(name, "STDOUT:") == 0) {
        result = DupFile(g_current_output, 0);
    } else if (StriCmp(name, "STDIN:") == 0) {
        result = DupFile(g_current_input, 0);
    } else if (StriCmp(name, "STDERR:") == 0) {
        result = DupFile(g_current_error, 0);
    } else if (StriCmp(name, "NIL:") == 0) {
        result = open_nil_device();
    } else if (FileHandle* fh = free_file_handle(); fh == nullptr) {
        osmark::set_io_error(IoErrNoMemory);
    } else {
        HANDLE system = (mode & FileModeNamedPipe) ? open_named_pipe(path, mode) : open_system_file(path, mode);
        if (system != INVALID_HANDLE_VALUE) {
            clear_state(fh);
            fh->fh_Flags = osmark::file_flags_from_mode(mode);
            fh->fh_SystemHandle = as_word(system);
            fh->fh_Name = path;
            path = nullptr; // the handle owns it now
            set_os_operations(fh);
            result = fh;
        } else {
            release_file_handle(fh);
        }
    }
    FreeExpandedPath(path);
    return result;
}

OSMARK_API int32_t Close(FileHandle* fh) noexcept
{
    if (fh == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    osmark::untrack_file_handle(fh);
    int32_t result = 0;
    // Only a busy record is given back: closing a closed one twice must not free a
    // record that another thread has claimed since.
    const bool was_busy = osmark::is_busy(fh);
    if (was_busy && !(fh->fh_Flags & FileFlagMemory)) {
        result = Flush(fh);
        const uintptr_t invalid = as_word(INVALID_HANDLE_VALUE);
        if (fh->fh_SystemHandle != 0 && fh->fh_SystemHandle != invalid && fh->fh_Close != nullptr)
            result = fh->fh_Close(fh->fh_SystemHandle) != 0 ? 1 : 0;
        // A write that failed earlier lost bytes: closing must not report success.
        if (fh->fh_Flags & FileFlagError)
            result = 0;
        osmark::release_buffer(fh);
    }
    if (!(fh->fh_Flags & FileFlagNameNotOwned))
        FreeStr(fh->fh_Name);
    clear_state(fh);
    if (was_busy)
        release_file_handle(fh);
    return result;
}

OSMARK_API FileHandle* DupFile(FileHandle* fh, int32_t mode) noexcept
{
    if (fh == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    FileHandle* copy = free_file_handle();
    if (copy == nullptr) {
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
    HANDLE duplicate = nullptr;
    HANDLE process = GetCurrentProcess();
    if (!DuplicateHandle(process, as_handle(fh->fh_SystemHandle), process, &duplicate, 0,
                         (mode & FileModeInheritable) ? TRUE : FALSE, DUPLICATE_SAME_ACCESS)) {
        osmark::set_io_error_from_win32(GetLastError());
        release_file_handle(copy);
        return nullptr;
    }
    char* name = fh->fh_Name != nullptr ? AllocStr(0, fh->fh_Name) : nullptr;
    clear_state(copy);
    // The copy starts without a buffer: flags that describe the original's buffer or
    // its read state do not carry over.
    copy->fh_Flags = fh->fh_Flags & ~uint32_t{FileFlagError | FileFlagOwnBuffer | FileFlagEndOfFile |
                                              FileFlagNameNotOwned | FileFlagMemory};
    if (mode & FileModeInheritable)
        copy->fh_Flags |= FileFlagInheritable;
    copy->fh_SystemHandle = as_word(duplicate);
    copy->fh_Name = name;
    set_os_operations(copy);
    return copy;
}

OSMARK_API FileHandle* OpenConsole(void) noexcept
{
    // A process here always has its standard handles; they become the current streams.
    FileHandle* previous_error = g_current_error;
    set_up_standard_streams();
    return previous_error;
}

OSMARK_API FileHandle* Input(void) noexcept
{
    return g_current_input;
}

OSMARK_API FileHandle* Output(void) noexcept
{
    return g_current_output;
}

OSMARK_API FileHandle* ErrOutput(void) noexcept
{
    return g_current_error;
}

OSMARK_API FileHandle* SelectInput(FileHandle* fh) noexcept
{
    FileHandle* previous = g_current_input;
    if (fh != nullptr)
        g_current_input = fh;
    return previous;
}

OSMARK_API FileHandle* SelectOutput(FileHandle* fh) noexcept
{
    FileHandle* previous = g_current_output;
    if (fh != nullptr)
        g_current_output = fh;
    return previous;
}

OSMARK_API FileHandle* SelectErrOutput(FileHandle* fh) noexcept
{
    FileHandle* previous = g_current_error;
    if (fh != nullptr)
        g_current_error = fh;
    return previous;
}

}
