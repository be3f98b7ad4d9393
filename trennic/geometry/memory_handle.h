// Memory-backed file handles: a caller's buffer read through Osmark's buffered calls.
#ifndef TRENNIC_GEOMETRY_MEMORY_HANDLE_H
#define TRENNIC_GEOMETRY_MEMORY_HANDLE_H

#include <cstdint>

#include "osmark/files.h"

namespace trennic {

// Fills handle (every field cleared first) to read the size bytes at buffer once:
// count, position, buffer and buffer size over the buffer, flags read | memory
// buffer, a close operation that does nothing and succeeds, read and write operations
// that move nothing and a seek that fails. Reading gives the bytes and then the end of
// the file; Close only clears the record. The buffer is not copied, is never written
// to and must outlive the handle.
void make_memory_handle(FileHandle& handle, const void* buffer, int32_t size) noexcept;

}

#endif
