// Part files from descriptions.

#include "part_file_writer.h"

#include <algorithm>
#include <cstring>

namespace kzv {

namespace {

// ---- Bytes ------------------------------------------------------------------------------

class Bytes {
public:
    explicit Bytes(size_t size = 0) : m_bytes(size, 0) {}

    std::vector<uint8_t>& data() { return m_bytes; }

    void put_u32(size_t offset, uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes.at(offset + i) = static_cast<uint8_t>(value >> (8 * i));
    }
    void put_u16(size_t offset, uint16_t value)
    {
        m_bytes.at(offset) = static_cast<uint8_t>(value);
        m_bytes.at(offset + 1) = static_cast<uint8_t>(value >> 8);
    }
    void put_f64(size_t offset, double value)
    {
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        put_u32(offset, static_cast<uint32_t>(bits));
        put_u32(offset + 4, static_cast<uint32_t>(bits >> 32));
    }
    // The text and its NUL, cut so that both fit the field; the rest of the field 0.
    void put_text(size_t offset, const std::string& text, size_t field_length)
    {
        const size_t size = std::min(text.size(), field_length - 1);
        std::fill_n(m_bytes.begin() + static_cast<ptrdiff_t>(offset), field_length, uint8_t{0});
        std::memcpy(m_bytes.data() + offset, text.data(), size);
    }
    // A pattern in bytes the format does not interpret.
    void fill_pattern(size_t begin, size_t end)
    {
        for (size_t i = begin; i < end && i < m_bytes.size(); ++i)
            m_bytes[i] = static_cast<uint8_t>(0xA0 + i % 16);
    }
    void append(const std::vector<uint8_t>& bytes)
    {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    }
    void append_u32(uint32_t value)
    {
        m_bytes.resize(m_bytes.size() + 4);
        put_u32(m_bytes.size() - 4, value);
    }

private:
    std::vector<uint8_t> m_bytes;
};

std::vector<uint8_t> u32_bytes(uint32_t value)
{
    Bytes bytes(4);
    bytes.put_u32(0, value);
    return bytes.data();
}

std::vector<uint8_t> text_bytes(const std::string& text, size_t field_length)
{
    Bytes bytes(field_length);
    bytes.put_text(0, text, field_length);
    return bytes.data();
}

// ---- Element layouts ---------------------------------------------------------------------

constexpr size_t kHeadLength = 44;
constexpr size_t kNameLength = 78;
constexpr size_t kOldNameLength = 33;

// Kinds whose last name held 33 bytes before 15.2: current length, name offset. Their
// records end with a second copy of the length word.
struct LongNameKind {
    int32_t kind;
    uint32_t length;
    size_t name_offset;
};
constexpr LongNameKind kLongNameKinds[] = {
    {8, 242, 68},    {9, 226, 68},    {10, 182, 68},   {11, 370, 124},
    {17, 370, 124},  {117, 346, 232}, {118, 222, 100}, {119, 262, 132},
    {120, 274, 140}, {121, 274, 140}, {122, 418, 152}, {123, 378, 148},
    {130, 406, 164}, {140, 382, 136}, {215, 400, 158}, {1000, 142, 60},
};

const LongNameKind* long_name_kind(int32_t kind)
{
    for (const LongNameKind& row : kLongNameKinds) {
        if (row.kind == kind)
            return &row;
    }
    return nullptr;
}

uint32_t usual_length(int32_t kind)
{
    if (const LongNameKind* row = long_name_kind(kind))
        return row->length;
    switch (kind) {
    case -10:
    case -20:
    case -30:
        return 124;
    case 7:
        return 86; // the text's own bytes are added by text()
    case 1001:
        return 44;
    default:
        return 48;
    }
}

}

Element::Element(int32_t kind) : m_kind(kind), m_length(usual_length(kind))
{
}

Element& Element::layer(uint32_t id)
{
    m_layer = id;
    return *this;
}

Element& Element::colour(uint32_t code)
{
    m_colour = code;
    return *this;
}

Element& Element::line_type(uint32_t code)
{
    m_line_type = code;
    return *this;
}

Element& Element::flags(uint32_t flags)
{
    m_flags = flags;
    return *this;
}

Element& Element::state(uint32_t state)
{
    m_flags = (m_flags & ~0x1Eu) | (state & 0xF) << 1;
    return *this;
}

Element& Element::construction()
{
    return u32(44, 0);
}

Element& Element::f64(size_t offset, double value)
{
    Bytes bytes(8);
    bytes.put_f64(0, value);
    m_fields.push_back({offset, bytes.data()});
    return *this;
}

Element& Element::i32(size_t offset, int32_t value)
{
    return u32(offset, static_cast<uint32_t>(value));
}

Element& Element::u32(size_t offset, uint32_t value)
{
    m_fields.push_back({offset, u32_bytes(value)});
    return *this;
}

Element& Element::text(size_t offset, const std::string& value, size_t field_length)
{
    m_fields.push_back({offset, text_bytes(value, field_length)});
    return *this;
}

Element& Element::length(uint32_t length)
{
    m_length = length;
    return *this;
}

std::vector<uint8_t> Element::bytes(Layout layout) const
{
    const LongNameKind* long_name = layout == Layout::Old ? long_name_kind(m_kind) : nullptr;
    const size_t shrink = long_name != nullptr ? kNameLength - kOldNameLength : 0;
    const uint32_t length = static_cast<uint32_t>(m_length - shrink);
    Bytes record(length);
    record.fill_pattern(24, kHeadLength);
    // A record shorter than its head (a damaged one) keeps what fits.
    const uint32_t head[] = {length, static_cast<uint32_t>(m_kind), m_colour, m_line_type, m_layer,
                             m_flags};
    for (size_t i = 0; i < std::size(head) && 4 * i + 4 <= length; ++i)
        record.put_u32(4 * i, head[i]);
    for (const Field& field : m_fields) {
        std::vector<uint8_t> value = field.bytes;
        size_t offset = field.offset;
        if (long_name != nullptr && offset == long_name->name_offset) {
            // The name in its old, shorter field.
            value.resize(kOldNameLength);
            value.back() = 0;
        } else if (long_name != nullptr && offset >= long_name->name_offset + kNameLength) {
            offset -= shrink;
        }
        // A record too short for a field keeps the part of it that fits.
        if (offset >= record.data().size())
            continue;
        const size_t size = std::min(value.size(), record.data().size() - offset);
        std::copy_n(value.begin(), size, record.data().begin() + static_cast<ptrdiff_t>(offset));
    }
    if (long_name_kind(m_kind) != nullptr && length >= 8)
        record.put_u32(length - 4, length);
    return record.data();
}

Element line(double x1, double y1, double x2, double y2)
{
    return Element(-10).u32(44, 1).f64(48, x1).f64(56, y1).f64(64, x2).f64(72, y2);
}

Element construction_line(double x, double y, double slope, double intercept, double degrees)
{
    return Element(-10)
        .u32(44, 0)
        .f64(48, x)
        .f64(56, y)
        .f64(80, slope)
        .f64(88, intercept)
        .f64(96, degrees);
}

Element circle(double cx, double cy, double radius)
{
    return Element(-20).u32(44, 1).f64(48, cx).f64(56, cy).f64(64, radius);
}

Element arc(double cx, double cy, double radius, double first, double second, int32_t direction)
{
    return Element(-30)
        .u32(44, 1)
        .f64(48, cx)
        .f64(56, cy)
        .f64(64, radius)
        .f64(104, first)
        .f64(112, second)
        .i32(120, direction);
}

Element text(double x, double y, double rotation, double height, const std::string& value)
{
    return Element(7)
        .f64(44, x)
        .f64(52, y)
        .f64(60, rotation)
        .f64(68, height)
        .text(85, value, value.size() + 1)
        .length(static_cast<uint32_t>(85 + value.size() + 1));
}

Element placement(const std::string& block, double x, double y, double rotation)
{
    return Element(10).f64(44, x).f64(52, y).f64(60, rotation).text(68, block, kNameLength);
}

Element rectangular_array(const std::string& block, double x, double y, double rotation,
                          int32_t rows, double row_angle, double row_spacing, int32_t columns,
                          double column_angle, double column_spacing)
{
    return Element(8)
        .f64(44, x)
        .f64(52, y)
        .f64(60, rotation)
        .text(68, block, kNameLength)
        .i32(146, rows)
        .f64(150, row_angle)
        .f64(158, row_spacing)
        .i32(166, columns)
        .f64(170, column_angle)
        .f64(178, column_spacing);
}

Element circular_array(const std::string& block, double cx, double cy, double first_rotation,
                       double radius, double first_x, double first_y, double step, int32_t count)
{
    return Element(9)
        .f64(44, cx)
        .f64(52, cy)
        .f64(60, first_rotation)
        .text(68, block, kNameLength)
        .f64(146, radius)
        .f64(154, first_x)
        .f64(162, first_y)
        .f64(178, step)
        .i32(186, count);
}

Element block_begin(const std::string& name, double base_x, double base_y)
{
    return Element(1000).f64(44, base_x).f64(52, base_y).text(60, name, kNameLength);
}

Element block_end()
{
    return Element(1001);
}

Element tooling(int32_t kind)
{
    return Element(kind);
}

Element tooling_with_word(uint32_t word)
{
    return Element(-1).u32(44, word);
}

LayerDefinition tooling_layer(const std::string& machine, int32_t id, int32_t kind)
{
    LayerDefinition definition;
    definition.flags = static_cast<uint32_t>(kind) << 4;
    definition.id = id;
    definition.name = "Tool " + std::to_string(id);
    definition.second_name = "Tooling of " + machine;
    definition.machine = machine;
    return definition;
}

namespace {

// ---- Headers and sections -----------------------------------------------------------------

constexpr size_t kHeaderLength = 128;
constexpr size_t kMaterialHeaderLength = 256;

std::vector<uint8_t> header(const Part& part)
{
    Bytes bytes(kHeaderLength);
    bytes.fill_pattern(4, kHeaderLength);
    bytes.put_u32(0, part.format_id);
    bytes.put_u32(52, part.file_kind);
    bytes.put_u32(56, static_cast<uint32_t>(part.version.major));
    bytes.put_u32(60, static_cast<uint32_t>(part.version.minor));
    bytes.put_u32(72, static_cast<uint32_t>(part.version.maintenance));
    return bytes.data();
}

std::vector<uint8_t> material_header(const Part& part)
{
    Bytes bytes(kMaterialHeaderLength);
    bytes.fill_pattern(4, kMaterialHeaderLength);
    bytes.put_u32(0, part.material_format_id);
    bytes.put_text(4, part.material.name, 41);
    bytes.put_f64(45, part.material.thickness);
    bytes.put_u32(73, part.material.options);
    bytes.put_f64(77, part.material.clearance);
    bytes.put_u16(85, part.material.tolerance);
    return bytes.data();
}

std::vector<uint8_t> layer_definition(const LayerDefinition& definition, Layout layout)
{
    const bool current = layout == Layout::Current;
    Bytes bytes(current ? 208 : 163);
    bytes.put_u32(0, definition.flags);
    bytes.put_u32(4, static_cast<uint32_t>(definition.id));
    bytes.put_text(8, definition.name, 33);
    bytes.put_f64(41, definition.angle);
    bytes.put_text(49, definition.second_name, current ? 78 : 33);
    bytes.put_text(current ? 127 : 82, definition.machine, 81);
    return bytes.data();
}

// Records the reader steps over, filled with a pattern.
std::vector<uint8_t> filler_records(uint32_t count, size_t length)
{
    Bytes bytes(count * length);
    bytes.fill_pattern(0, count * length);
    return bytes.data();
}

void element_section(Bytes& out, uint32_t marker, const std::vector<Element>& elements,
                     Layout layout)
{
    out.append_u32(marker);
    out.append_u32(0x12345678); // not interpreted
    out.append_u32(static_cast<uint32_t>(elements.size()));
    for (const Element& element : elements)
        out.append(element.bytes(layout));
    out.append_u32(0);
}

}

std::vector<uint8_t> write_part(const Part& part)
{
    const Layout layout = part.layout();
    Bytes out;
    out.append(header(part));
    if (part.version.at_least(3.0))
        out.append(material_header(part));

    out.append_u32(part.markers[0]);
    out.append_u32(part.layer_count.value_or(static_cast<uint32_t>(part.layers.size())));
    for (const LayerDefinition& definition : part.layers)
        out.append(layer_definition(definition, layout));

    if (part.version.at_least(2.2)) {
        out.append_u32(part.markers[1]);
        out.append_u32(part.section_b_records);
        out.append(filler_records(part.section_b_records, 60));
    }
    out.append_u32(part.markers[2]);
    out.append_u32(part.section_c_records);
    out.append(filler_records(part.section_c_records, part.version.at_least(4.01) ? 81 : 44));

    element_section(out, part.markers[3], part.blocks, layout);
    element_section(out, part.markers[4], part.elements, layout);

    for (const std::string& line : part.text_lines) {
        out.append(std::vector<uint8_t>(line.begin(), line.end()));
        out.append(std::vector<uint8_t>(part.line_end.begin(), part.line_end.end()));
    }
    return out.data();
}

}
