// The byte layout of packed drawing files, shared by their writer and reader: record
// kinds and lengths, and little-endian field access that never casts a struct over
// file bytes.
#ifndef HALVERN_MODEL_PACKED_FORMAT_H
#define HALVERN_MODEL_PACKED_FORMAT_H

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "halvern/items.h"

namespace halvern::packed {

// Section kinds, in the order the sections follow each other in a file.
enum class SectionKind : uint8_t { Layers = 1, LineTypes = 2, BlockItems = 3, Items = 4 };
inline constexpr SectionKind kSectionOrder[] = {SectionKind::LineTypes, SectionKind::Layers,
                                                SectionKind::BlockItems, SectionKind::Items};

// magic (4) + string-table size (2).
inline constexpr size_t kFileHeadSize = 6;
// kind (1) + total bytes (4) + record count (4).
inline constexpr size_t kSectionHeadSize = 9;
// ordinal (2) + dash count (1), then 8 bytes per dash.
inline constexpr size_t kLineTypeHeadSize = 3;
inline constexpr size_t kDashSize = 8;
// ordinal (2) + colour (1) + line type (1).
inline constexpr size_t kLayerRecordSize = 4;
// record length (2) + type, layer, colour, line type (1 each).
inline constexpr size_t kItemHeadSize = 6;
// POLYLINE: head, flags (4), vertex count (2); then x, y, bulge per vertex.
inline constexpr size_t kPolylineFixedSize = 12;
inline constexpr size_t kPackedVertexSize = 24;
// The longest record a 16-bit record length can describe, and so the most vertices.
inline constexpr size_t kMaxRecordSize = 0xFFFF;
inline constexpr size_t kMaxPolylineVertices = (kMaxRecordSize - kPolylineFixedSize) / kPackedVertexSize;
// Tables whose indexes are one byte, and dash counts of one byte.
inline constexpr int32_t kMaxTableEntries = 255;
inline constexpr int32_t kMaxDashes = 255;
inline constexpr int32_t kMaxArrayCount = 255;
// The string table's size is a u16 that must stay below 0xFFFF; the ordinals are
// u16 too.
inline constexpr size_t kStringTableLimit = 0xFFFF;
inline constexpr size_t kMaxStrings = 0xFFFF;

// Direction bytes of ARC and ELLIPSE records.
inline constexpr uint8_t kClockwise = 1;
inline constexpr uint8_t kCounterClockwise = 2;

// The length of a record of the item type that holds no vertex list; 0 for a type the
// format cannot hold. POLYLINE records are kPolylineFixedSize + 24 n.
constexpr size_t fixed_record_size(int32_t type)
{
    switch (type) {
    case DXFItemBlock: return 24;
    case DXFItemEndBlock: return 6;
    case DXFItemInsert: return 70;
    case DXFItemPoint: return 22;
    case DXFItemLine: return 38;
    case DXFItemArc: return 47;
    case DXFItemText: return 64;
    case DXFItemEllipse: return 71;
    default: return 0;
    }
}

// Appends little-endian fields to a growing byte block.
class ByteWriter {
public:
    explicit ByteWriter(std::vector<uint8_t>& bytes) : m_bytes(bytes) {}

    void u8(uint8_t value) { m_bytes.push_back(value); }
    void u16(uint16_t value) { unsigned_value(value, 2); }
    void u32(uint32_t value) { unsigned_value(value, 4); }
    void f64(double value) { unsigned_value(std::bit_cast<uint64_t>(value), 8); }
    void bytes(std::span<const uint8_t> data) { m_bytes.insert(m_bytes.end(), data.begin(), data.end()); }

private:
    void unsigned_value(uint64_t value, int width)
    {
        for (int i = 0; i < width; ++i)
            m_bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }

    std::vector<uint8_t>& m_bytes;
};

// Reads little-endian fields from a block of bytes. The cursor is sticky: once a read
// runs past the end, it and every later read give 0 and ok() stays false, so a record
// is read field by field and checked once.
class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

    uint8_t u8() { return static_cast<uint8_t>(unsigned_value(1)); }
    uint16_t u16() { return static_cast<uint16_t>(unsigned_value(2)); }
    uint32_t u32() { return static_cast<uint32_t>(unsigned_value(4)); }
    double f64() { return std::bit_cast<double>(unsigned_value(8)); }
    // Moves on by count bytes.
    void skip(size_t count)
    {
        if (!m_ok || count > remaining()) {
            m_ok = false;
            return;
        }
        m_offset += count;
    }
    // The next count bytes as a view (empty after a failure), moving past them.
    std::span<const uint8_t> take(size_t count)
    {
        if (!m_ok || count > remaining()) {
            m_ok = false;
            return {};
        }
        const auto part = m_bytes.subspan(m_offset, count);
        m_offset += count;
        return part;
    }

    bool ok() const { return m_ok; }
    size_t offset() const { return m_offset; }
    size_t remaining() const { return m_bytes.size() - m_offset; }

private:
    uint64_t unsigned_value(size_t width)
    {
        if (!m_ok || width > remaining()) {
            m_ok = false;
            return 0;
        }
        uint64_t value = 0;
        for (size_t i = 0; i < width; ++i)
            value |= uint64_t{m_bytes[m_offset + i]} << (8 * i);
        m_offset += width;
        return value;
    }

    std::span<const uint8_t> m_bytes;
    size_t m_offset = 0;
    bool m_ok = true;
};

}

#endif
