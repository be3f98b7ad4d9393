// The version of a program or library file. Linux files carry no version resource;
// our build gives each program and library that needs one an ELF note instead
// (cmake/TarvekVersionNote.cmake): a note named "Tarvek" of type 1 in a note section,
// whose description holds four 32-bit words in the file's byte order: the file
// version's high and low word, then the product version's.
#ifndef PLATFORM_SRC_VERSION_NOTE_H
#define PLATFORM_SRC_VERSION_NOTE_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace platform {

struct VersionNote {
    uint32_t file_version_ms = 0;
    uint32_t file_version_ls = 0;
    uint32_t product_version_ms = 0;
    uint32_t product_version_ls = 0;
};

// Reads size bytes at offset into buffer; false when they cannot all be read.
using ReadAt = std::function<bool(uint64_t offset, void* buffer, size_t size)>;

// The version note of an ELF file (32 or 64 bits, either byte order) of file_size
// bytes, read through read. Nothing for a file that is no ELF file, is damaged or has
// no such note. Every offset, size and count of the file is checked against the file
// before it is used.
std::optional<VersionNote> find_version_note(const ReadAt& read, uint64_t file_size);

}

#endif
