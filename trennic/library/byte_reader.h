// Little-endian fields of the maker's files, read byte by byte (never by casting a
// struct over file bytes), and a cursor over a file image with a sticky failure: after
// a read that does not fit, every later read gives 0 and ok() stays false, so a run of
// fields is checked once.
#ifndef TRENNIC_LIBRARY_BYTE_READER_H
#define TRENNIC_LIBRARY_BYTE_READER_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace trennic {

inline uint16_t load_u16(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

inline uint32_t load_u32(const uint8_t* bytes)
{
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
           uint32_t{bytes[3]} << 24;
}

inline int32_t load_i32(const uint8_t* bytes)
{
    return static_cast<int32_t>(load_u32(bytes));
}

inline double load_f64(const uint8_t* bytes)
{
    const uint64_t bits = uint64_t{load_u32(bytes)} | uint64_t{load_u32(bytes + 4)} << 32;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline void store_u32(uint8_t* bytes, uint32_t value)
{
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
    bytes[2] = static_cast<uint8_t>(value >> 16);
    bytes[3] = static_cast<uint8_t>(value >> 24);
}

// The NUL-terminated text of a field: its bytes up to the first NUL, or the whole
// field when it holds none.
inline std::string_view field_text(std::span<const uint8_t> field)
{
    const auto* text = reinterpret_cast<const char*>(field.data());
    const void* nul = std::memchr(text, 0, field.size());
    return {text, nul == nullptr ? field.size()
                                 : static_cast<size_t>(static_cast<const char*>(nul) - text)};
}

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

    bool ok() const { return m_ok; }
    size_t position() const { return m_position; }
    size_t remaining() const { return m_bytes.size() - m_position; }
    bool at_end() const { return m_position == m_bytes.size(); }

    // The next size bytes; an empty span (and the failure) when fewer are left.
    std::span<const uint8_t> take(size_t size)
    {
        if (!m_ok || size > remaining()) {
            m_ok = false;
            return {};
        }
        const auto field = m_bytes.subspan(m_position, size);
        m_position += size;
        return field;
    }

    // Steps over count records of size bytes each; fails without moving when they do
    // not all fit (the product is taken in 64 bits, so no count can wrap it).
    void skip_records(uint64_t count, uint64_t size)
    {
        if (!m_ok || (size != 0 && count > remaining() / size)) {
            m_ok = false;
            return;
        }
        m_position += static_cast<size_t>(count * size);
    }

    uint32_t u32()
    {
        const auto field = take(4);
        return field.empty() ? 0 : load_u32(field.data());
    }

    int32_t i32() { return static_cast<int32_t>(u32()); }

    std::span<const uint8_t> rest() { return take(remaining()); }

private:
    std::span<const uint8_t> m_bytes;
    size_t m_position = 0;
    bool m_ok = true;
};

}

#endif
