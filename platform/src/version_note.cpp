#include "version_note.h"

#include <array>
#include <cstring>
#include <vector>

namespace platform {

namespace {

constexpr uint32_t kSectionTypeNote = 7;
constexpr uint32_t kVersionNoteType = 1;
constexpr char kVersionNoteName[] = "Tarvek"; // with its NUL: 7 bytes
// A note section larger than this is not ours; it is not read.
constexpr uint64_t kMaxNoteSection = 1 << 20;
constexpr uint64_t kMaxSections = 1 << 16;

// The layout of the file's headers: the offsets that differ between 32 and 64 bits.
struct ElfLayout {
    bool is_64;
    bool big_endian;
};

class FieldReader {
public:
    FieldReader(const uint8_t* bytes, size_t size, bool big_endian)
        : m_bytes(bytes), m_size(size), m_big_endian(big_endian)
    {
    }

    // A field of `width` bytes at offset; 0 (and ok() false) when it lies outside.
    uint64_t get(size_t offset, size_t width)
    {
        if (offset > m_size || width > m_size - offset) {
            m_ok = false;
            return 0;
        }
        uint64_t value = 0;
        for (size_t i = 0; i < width; ++i) {
            const size_t at = m_big_endian ? offset + i : offset + width - 1 - i;
            value = value << 8 | m_bytes[at];
        }
        return value;
    }
    bool ok() const { return m_ok; }

private:
    const uint8_t* m_bytes;
    size_t m_size;
    bool m_big_endian;
    bool m_ok = true;
};

uint64_t round_up(uint64_t value, uint64_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

// The notes of one section in order; the version note when one of them is it.
std::optional<VersionNote> version_in_notes(const std::vector<uint8_t>& notes, bool big_endian,
                                            uint64_t alignment)
{
    FieldReader field(notes.data(), notes.size(), big_endian);
    uint64_t at = 0;
    while (at <= notes.size() && notes.size() - at >= 12) {
        const uint64_t name_size = field.get(at, 4);
        const uint64_t description_size = field.get(at + 4, 4);
        const uint64_t type = field.get(at + 8, 4);
        // The description and the next note begin at the alignment, counted from the
        // start of the section.
        const uint64_t name_at = at + 12;
        const uint64_t description_at = round_up(name_at + name_size, alignment);
        const uint64_t next = round_up(description_at + description_size, alignment);
        // Sizes are 32-bit, so these sums cannot wrap; each part must lie inside.
        if (description_at > notes.size() || description_size > notes.size() - description_at)
            return std::nullopt;
        if (type == kVersionNoteType && name_size == sizeof kVersionNoteName &&
            description_size >= 16 &&
            std::memcmp(notes.data() + name_at, kVersionNoteName, sizeof kVersionNoteName) == 0) {
            VersionNote note;
            note.file_version_ms = static_cast<uint32_t>(field.get(description_at, 4));
            note.file_version_ls = static_cast<uint32_t>(field.get(description_at + 4, 4));
            note.product_version_ms = static_cast<uint32_t>(field.get(description_at + 8, 4));
            note.product_version_ls = static_cast<uint32_t>(field.get(description_at + 12, 4));
            return note;
        }
        at = next;
    }
    return std::nullopt;
}

}

std::optional<VersionNote> find_version_note(const ReadAt& read, uint64_t file_size)
{
    std::array<uint8_t, 64> header{};
    if (file_size < 52 || !read(0, header.data(), file_size < header.size() ? 52 : header.size()))
        return std::nullopt;
    if (header[0] != 0x7F || header[1] != 'E' || header[2] != 'L' || header[3] != 'F')
        return std::nullopt;
    if ((header[4] != 1 && header[4] != 2) || (header[5] != 1 && header[5] != 2))
        return std::nullopt;
    const ElfLayout layout{header[4] == 2, header[5] == 2};
    if (layout.is_64 && file_size < 64)
        return std::nullopt;
    FieldReader field(header.data(), header.size(), layout.big_endian);
    const uint64_t section_table = layout.is_64 ? field.get(0x28, 8) : field.get(0x20, 4);
    const uint64_t entry_size = field.get(layout.is_64 ? 0x3A : 0x2E, 2);
    uint64_t section_count = field.get(layout.is_64 ? 0x3C : 0x30, 2);
    const uint64_t min_entry_size = layout.is_64 ? 0x40 : 0x28;
    if (section_table == 0 || entry_size < min_entry_size || section_table > file_size)
        return std::nullopt;

    std::vector<uint8_t> entry(entry_size);
    auto read_entry = [&](uint64_t index) {
        const uint64_t offset = section_table + index * entry_size;
        return offset <= file_size && entry_size <= file_size - offset &&
               read(offset, entry.data(), entry.size());
    };
    // Beyond 0xFF00 sections the count is kept in the first entry's size field.
    if (section_count == 0) {
        if (!read_entry(0))
            return std::nullopt;
        FieldReader first(entry.data(), entry.size(), layout.big_endian);
        section_count = layout.is_64 ? first.get(0x20, 8) : first.get(0x14, 4);
    }
    if (section_count > kMaxSections || section_count > (file_size - section_table) / entry_size)
        return std::nullopt;

    for (uint64_t index = 0; index < section_count; ++index) {
        if (!read_entry(index))
            return std::nullopt;
        FieldReader section(entry.data(), entry.size(), layout.big_endian);
        if (section.get(4, 4) != kSectionTypeNote)
            continue;
        const uint64_t offset = layout.is_64 ? section.get(0x18, 8) : section.get(0x10, 4);
        const uint64_t size = layout.is_64 ? section.get(0x20, 8) : section.get(0x14, 4);
        const uint64_t alignment =
            (layout.is_64 ? section.get(0x30, 8) : section.get(0x20, 4)) == 8 ? 8 : 4;
        if (size == 0 || size > kMaxNoteSection || offset > file_size || size > file_size - offset)
            continue;
        std::vector<uint8_t> notes(size);
        if (!read(offset, notes.data(), notes.size()))
            return std::nullopt;
        if (const std::optional<VersionNote> note =
                version_in_notes(notes, layout.big_endian, alignment))
            return note;
    }
    return std::nullopt;
}

}
