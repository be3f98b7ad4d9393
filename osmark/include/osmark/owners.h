/*
 * Owners for what Osmark's C interface hands out, for C++ callers: each is a
 * std::unique_ptr with a stateless deleter that calls the freeing function that the
 * handing-out function's header names. Empty owners (NULL) free nothing, as the
 * freeing functions ignore NULL.
 *
 * C++ only; the C headers never include it.
 */
#ifndef OSMARK_OWNERS_H
#define OSMARK_OWNERS_H

#ifndef __cplusplus
#error "osmark/owners.h is for C++ only"
#endif

#include "osmark/array.h"
#include "osmark/assigns.h"
#include "osmark/files.h"
#include "osmark/memory.h"
#include "osmark/paged_array.h"
#include "osmark/point_buffers.h"
#include "osmark/profiles.h"

#include <memory>

namespace osmark {

// A block of AllocVec, CAllocVec or ReAllocVec: BlockOwner<double[]>,
// BlockOwner<ItemRec*[]>, BlockOwner<void>.
struct FreeVecDeleter {
    void operator()(void* block) const noexcept { FreeVec(block); }
};
template <typename T>
using BlockOwner = std::unique_ptr<T, FreeVecDeleter>;

// A string of AllocStr, or of a function whose header says to free it with FreeStr
// (the path functions among them).
struct FreeStrDeleter {
    void operator()(char* string) const noexcept { FreeStr(string); }
};
using StringOwner = std::unique_ptr<char, FreeStrDeleter>;

struct ArrayDeleter {
    void operator()(Array* array) const noexcept { ArrayDelete(array); }
};
using ArrayOwner = std::unique_ptr<Array, ArrayDeleter>;

struct PagedArrayDeleter {
    void operator()(PagedArray* array) const noexcept { PagedArrayDelete(array); }
};
using PagedArrayOwner = std::unique_ptr<PagedArray, PagedArrayDeleter>;

// A point buffer of PointBufferCreate (given back to the free list).
struct PointBufferDeleter {
    void operator()(PointBufferRec* buffer) const noexcept { PointBufferDelete(buffer); }
};
using PointBufferOwner = std::unique_ptr<PointBufferRec, PointBufferDeleter>;

// A profile of ProfileCreate or ProfileCopy.
struct ProfileDeleter {
    void operator()(Profile* profile) const noexcept { ProfileDelete(profile); }
};
using ProfileOwner = std::unique_ptr<Profile, ProfileDeleter>;

// A path of AllocExpandedPath.
struct ExpandedPathDeleter {
    void operator()(char* path) const noexcept { FreeExpandedPath(path); }
};
using ExpandedPathOwner = std::unique_ptr<char, ExpandedPathDeleter>;

// A stream of Open (or DupFile, OpenConsole). The owner drops Close's result: a
// writer that must know whether the last bytes reached the file calls
// Close(owner.release()) itself.
struct StreamCloser {
    void operator()(FileHandle* stream) const noexcept { Close(stream); }
};
using StreamOwner = std::unique_ptr<FileHandle, StreamCloser>;

}

#endif
