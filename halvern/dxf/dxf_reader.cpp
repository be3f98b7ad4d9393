// The DXF drawing reader's entry points: files, memory images and open streams, the
// read buffer, and the state of a read (its line counter, where its external references
// are looked for and the reads it is nested in).

#include "halvern/dxf_reader.h"

#include <cstring>
#include <limits>

#include "dxf/dxf_reader_internal.h"
#include "model/make_error.h"
#include "model/memory_handle.h"
#include "model/read_stream.h"
#include "osmark/assigns.h"
#include "osmark/errors.h"
#include "osmark/locale.h"
#include "osmark/memory.h"
#include "osmark/paths.h"
#include "platform/files.h"

namespace halvern {

namespace {

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

// A name that does not depend on the folder it is read from: one that starts at a root
// (a path separator, which also begins a "\\server\share" name) or names a drive or an
// assign (a volume separator). Osmark's AddPart takes a leading separator for a
// relative name, so the test is made here.
bool is_absolute(const char* name)
{
    const Locale* locale = GetSystemLocale();
    const char* path_separators =
        locale->loc_PathSeparators != nullptr ? locale->loc_PathSeparators : "/";
    const char* volume_separators =
        locale->loc_VolumeSeparators != nullptr ? locale->loc_VolumeSeparators : ":";
    return IsDelimiter(path_separators, name, 0) != 0 ||
           LastDelimiter(volume_separators, name) >= 0;
}
}

DXFReadContext::DXFReadContext(const char* path, const DXFReadContext* referrer) noexcept
    : m_path(is_empty(path) ? nullptr : path), m_referrer(referrer),
      m_depth((referrer != nullptr ? referrer->m_depth : 0) + (is_empty(path) ? 0 : 1))
{
    if (m_path != nullptr)
        m_full_path = full_path(m_path);
}

DXFReadContext::~DXFReadContext()
{
    FreeStr(m_full_path);
}

bool DXFReadContext::is_being_read(const char* path) const noexcept
{
    if (is_empty(path))
        return false;
    char* full = full_path(path);
    if (full == nullptr)
        return false;
    bool found = false;
    // Spellings are compared exactly: two names of one file (a link, a different case)
    // may each be read once more, and the next level then meets a name it has seen.
    for (const DXFReadContext* read = this; read != nullptr && !found; read = read->m_referrer)
        found = read->m_full_path != nullptr && std::strcmp(read->m_full_path, full) == 0;
    FreeStr(full);
    return found;
}

char* DXFReadContext::resolve(const char* reference) const noexcept
{
    if (reference == nullptr)
        return nullptr;
    if (m_path == nullptr || is_absolute(reference))
        return AllocStr(0, reference);
    // The folder keeps its closing separator (path or volume), so the two join as they
    // stand; a file named without a folder gives an empty one.
    char* folder = ExtractFilePath(m_path);
    if (folder == nullptr)
        return nullptr;
    const size_t folder_length = std::strlen(folder);
    const size_t reference_length = std::strlen(reference);
    char* joined = nullptr;
    if (folder_length + reference_length < UINT32_MAX) {
        joined = AllocStr(static_cast<uint32_t>(folder_length + reference_length), nullptr);
        if (joined != nullptr) {
            std::memcpy(joined, folder, folder_length);
            std::memcpy(joined + folder_length, reference, reference_length + 1);
        }
    }
    FreeStr(folder);
    return joined;
}

int32_t ReadDXFStream(FileHandle& stream, DXFDrawingRec& drawing, bool show_warnings,
                      DXFReadContext& context) noexcept
{
    if (drawing.dxf_Pool == nullptr) {
        drawing.dxf_Pool = CreatePool(0x4000, 0x4000);
        // No item could be made without it.
        if (drawing.dxf_Pool == nullptr)
            return make_error(IoErrNoMemory);
    }
    int32_t result = 0;
    {
        DXFFileReader reader(stream, drawing, show_warnings, context);
        result = reader.read();
    }
    DXFLineCounter = context.line();
    return result;
}

int32_t ReadDXFFileNested(const char* path, DXFDrawingRec* drawing, bool show_warnings,
                          const DXFReadContext* referrer) noexcept
{
    if (path == nullptr || drawing == nullptr)
        return make_error(IoErrRequiredArgMissing);
    // Made full against the current directory, which no read changes.
    DXFReadContext context(path, referrer);
    const ReadStream stream = ReadStream::open(path);
    if (!stream.is_open())
        return make_error(IoErrObjectNotFound);
    return ReadDXFStream(*stream.get(), *drawing, show_warnings, context);
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
    return halvern::ReadDXFFileNested(path, drawing, noWarnings == 0, nullptr);
}

HALVERN_API int32_t ReadADXFFileMem(const void* image, uint32_t size, const char* path,
                                    DXFDrawingRec* drawing, int32_t noWarnings) noexcept
{
    using halvern::make_error;
    if (image == nullptr)
        return size == 0 ? 0 : make_error(IoErrRequiredArgMissing);
    if (drawing == nullptr)
        return make_error(IoErrRequiredArgMissing);
    if (size > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
        return make_error(IoErrObjectNotFound);
    FileHandle handle;
    if (halvern::DXFMakeMemoryHandle(image, &handle, static_cast<int32_t>(size)) == nullptr)
        return make_error(IoErrObjectNotFound);
    // With a path the image stands for that file: its references resolve in its folder.
    halvern::DXFReadContext context(path, nullptr);
    const int32_t result = halvern::ReadDXFStream(handle, *drawing, noWarnings == 0, context);
    Close(&handle);
    return result;
}

HALVERN_API int32_t ReadADXFFileFP(FileHandle* stream, DXFDrawingRec* drawing, int32_t noWarnings) noexcept
{
    if (stream == nullptr || drawing == nullptr)
        return halvern::make_error(IoErrRequiredArgMissing);
    // A stream without a name: its references resolve against the current directory.
    halvern::DXFReadContext context(nullptr, nullptr);
    return halvern::ReadDXFStream(*stream, *drawing, noWarnings == 0, context);
}

}
