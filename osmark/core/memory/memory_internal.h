// Memory services shared inside Osmark.
#ifndef OSMARK_CORE_MEMORY_INTERNAL_H
#define OSMARK_CORE_MEMORY_INTERNAL_H

#include <cstdint>

namespace osmark {

// A counted block (as AllocVec) of a 64-bit size, so that callers who add headers or
// multiply counts never wrap 32 bits first. NULL with -1 when the heap refuses.
void* allocate_counted(uint64_t size, bool cleared);

}

#endif
