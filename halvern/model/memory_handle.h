// Memory-backed file handles over a caller's image, for the readers that parse a file
// already held in memory (packed drawings, DXF images). Osmark's buffered calls
// (FGetc, FGets, Read, UnGetc, Seek) serve such a handle straight from the image.
#ifndef HALVERN_MODEL_MEMORY_HANDLE_H
#define HALVERN_MODEL_MEMORY_HANDLE_H

#include <cstdint>

#include "osmark/files.h"

namespace halvern {

// Fills the caller's handle so that it reads the size bytes of image: every field
// cleared, then the count, position, buffer and buffer size over the image and the
// flags read | memory-backed. The image is not copied and must outlive the handle; it
// is never written to (UnGetc of the byte just read leaves it as it is). Close
// releases nothing. Returns the handle, or NULL for a NULL handle, a negative size,
// or a NULL image with a size above 0.
FileHandle* DXFMakeMemoryHandle(const void* image, FileHandle* handle,
                                                     int32_t size) noexcept;

// The operations of a memory-backed handle. Osmark serves memory-backed handles
// itself and never calls them; they are there so that no slot is empty.
// Close succeeds (1); seek fails (-1); read and write move nothing (0, *done = 0).
int32_t MemFileClose(uintptr_t system_handle) noexcept;
int32_t MemFileSeek(uintptr_t system_handle, int32_t position, int32_t mode) noexcept;
int32_t DXFMemoryNoTransfer(uintptr_t system_handle, void* buffer, int32_t count,
                            int32_t* done) noexcept;

}

#endif
