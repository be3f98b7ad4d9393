// Fuzz target of the version notes of program files: any bytes as an ELF file whose
// note sections are searched for the version note.

#include "src/version_note.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::find_version_note(
        [data, size](uint64_t offset, void* buffer, size_t length) {
            if (offset > size || length > size - offset)
                return false;
            std::memcpy(buffer, data + offset, length);
            return true;
        },
        size);
    return 0;
}
