// File information of one name: Examine and ExamineFH.

#include "osmark/directories.h"

#include "core/files/directories_internal.h"

extern "C" {

OSMARK_API int32_t Examine(const char* path, FileInfoBlock* fib) noexcept
{
    if (path == nullptr || fib == nullptr)
        return 0;
    // A failed expansion has stored its code; the result stays 0, so that a caller
    // testing for nonzero never reads a block that was not filled.
    const osmark::ExpandedPathOwner expanded = osmark::expand_path(path);
    if (!expanded)
        return 0;
    WIN32_FIND_DATAA entry;
    const HANDLE find = FindFirstFileA(expanded.get(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(find);
    osmark::fill_file_info(entry, fib);
    return 1;
}

OSMARK_API int32_t ExamineFH(const FileHandle* fh, FileInfoBlock* fib) noexcept
{
    if (fh == nullptr || fib == nullptr)
        return 0;
    return Examine(fh->fh_Name, fib);
}

}
