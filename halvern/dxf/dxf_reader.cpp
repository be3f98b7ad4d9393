// The DXF drawing reader's entry points: files, memory images and open streams, the
// read buffer, the current directory during a read, and the files being read.

#include "halvern/dxf_reader.h"

#include <cstring>
#include <limits>
#include <optional>

#include "dxf/dxf_reader_internal.h"
#include "model/memory_handle.h"
#include "model/read_buffer.h"
#include "osmark/assigns.h"
#include "osmark/directories.h"
#include "osmark/errors.h"
#include "osmark/memory.h"
#include "osmark/paths.h"
#include "platform/files.h"

namespace halvern {

namespace {

// The innermost file being read; each guard links to the one outside it. Reading is
// single-threaded (the line counter and the current directory are process-wide too).
FileBeingRead* g_innermost = nullptr;
int32_t g_depth = 0;

// Makes the folder of path the current directory for the lifetime of the object, so
// that relative paths of external references resolve against the drawing's own folder.
// When the current directory cannot be remembered it is not changed either.
class DirectorySwitch {
public:
    explicit DirectorySwitch(const char* path) noexcept
    {
        m_previous = GetCurrentDirName();
        if (m_previous == nullptr)
            return;
        char* folder = ExtractFilePath(path);
        if (folder != nullptr) {
            CurrentDir(folder);
            FreeStr(folder);
        }
    }
    ~DirectorySwitch()
    {
        if (m_previous == nullptr)
            return;
        // The remembered name is a full path of the system and needs no expansion, which
        // could fail for want of memory and leave the caller in the drawing's folder.
        SetCurrentDirectoryA(m_previous);
        FreeVec(m_previous);
    }
    DirectorySwitch(const DirectorySwitch&) = delete;
    DirectorySwitch& operator=(const DirectorySwitch&) = delete;

private:
    char* m_previous = nullptr;
};

bool is_empty(const char* text)
{
    return text == nullptr || text[0] == '\0';
}

// The full path of a file as it names the file on disk: assign expanded, made absolute
// against the current directory, with "." and ".." resolved in the text. NULL when
// memory runs out.
char* full_path(const char* path)
{
    char* expanded = AllocExpandedPath(path);
    if (expanded == nullptr)
        return nullptr;
    char* full = nullptr;
    const DWORD needed = GetFullPathNameA(expanded, 0, nullptr, nullptr);
    if (needed > 0 && needed < UINT32_MAX) {
        full = AllocStr(needed, nullptr);
        if (full != nullptr && GetFullPathNameA(expanded, needed, full, nullptr) + 1 != needed) {
            FreeStr(full);
            full = nullptr;
        }
    }
    FreeExpandedPath(expanded);
    return full;
}

}

FileBeingRead::FileBeingRead(const char* path) noexcept
{
    m_outer = g_innermost;
    g_innermost = this;
    ++g_depth;
    if (!is_empty(path))
        m_path = full_path(path);
}

FileBeingRead::~FileBeingRead()
{
    g_innermost = m_outer;
    --g_depth;
    FreeStr(m_path);
}

bool FileBeingRead::contains(const char* path) noexcept
{
    if (is_empty(path))
        return false;
    char* full = full_path(path);
    if (full == nullptr)
        return false;
    bool found = false;
    // Spellings are compared exactly: two names of one file (a link, a different case)
    // may each be read once more, and the next level then meets a name it has seen.
    for (const FileBeingRead* file = g_innermost; file != nullptr && !found; file = file->m_outer)
        found = file->m_path != nullptr && std::strcmp(file->m_path, full) == 0;
    FreeStr(full);
    return found;
}

int32_t FileBeingRead::depth() noexcept
{
    return g_depth;
}

}

extern "C" {

HALVERN_API int32_t ReadDXF(const char* path, DXFDrawingRec* drawing) noexcept
{
    return ReadADXFFile(path, drawing, 0);
}

HALVERN_API int32_t ReadDXFNoWarnings(const char* path, DXFDrawingRec* drawing) noexcept
{
    return ReadADXFFile(path, drawing, 1);
}

HALVERN_API int32_t ReadADXFFile(const char* path, DXFDrawingRec* drawing, int32_t noWarnings) noexcept
{
    if (path == nullptr || drawing == nullptr)
        return IoErrRequiredArgMissing;
    // Expanded against the caller's directory, before the switch below.
    const halvern::FileBeingRead being_read(path);
    FileHandle* stream = Open(path, FileModeRead);
    if (stream == nullptr)
        return IoErrObjectNotFound;
    int32_t result = 0;
    {
        const halvern::ReadBuffer buffer;
        // Without a block of its own the stream takes a buffer of the smallest size.
        SetVBuf(stream, buffer.block(), 0, buffer.size());
        const halvern::DirectorySwitch directory(path);
        result = ReadADXFFileFP(stream, drawing, noWarnings);
        // The stream lets go of the buffer before the buffer is freed.
        Close(stream);
    }
    return result;
}

HALVERN_API int32_t ReadADXFFileMem(const void* image, uint32_t size, const char* path,
                                    DXFDrawingRec* drawing, int32_t noWarnings) noexcept
{
    if (image == nullptr)
        return size == 0 ? 0 : IoErrRequiredArgMissing;
    if (drawing == nullptr)
        return IoErrRequiredArgMissing;
    if (size > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
        return IoErrObjectNotFound;
    FileHandle handle;
    if (halvern::DXFMakeMemoryHandle(image, &handle, static_cast<int32_t>(size)) == nullptr)
        return IoErrObjectNotFound;
    std::optional<halvern::FileBeingRead> being_read;
    std::optional<halvern::DirectorySwitch> directory;
    if (!halvern::is_empty(path)) {
        being_read.emplace(path);
        directory.emplace(path);
    }
    const int32_t result = ReadADXFFileFP(&handle, drawing, noWarnings);
    Close(&handle);
    return result;
}

HALVERN_API int32_t ReadADXFFileFP(FileHandle* stream, DXFDrawingRec* drawing, int32_t noWarnings) noexcept
{
    if (stream == nullptr || drawing == nullptr)
        return IoErrRequiredArgMissing;
    halvern::DXFLineCounter = 0;
    if (drawing->dxf_Pool == nullptr) {
        drawing->dxf_Pool = CreatePool(0x4000, 0x4000);
        // No item could be made without it.
        if (drawing->dxf_Pool == nullptr)
            return IoErrNoMemory;
    }
    halvern::DXFFileReader reader(*stream, *drawing, noWarnings == 0);
    return reader.read();
}

}
