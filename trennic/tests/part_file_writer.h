// The maker's part files (".KZV") built byte by byte from a description in code, in
// every layout the reader knows: for tests, fuzz seeds and the viewer's samples.
//
// The writer follows the file format alone and shares no code with the library: a
// reader that agrees with it agrees with the format as another program writes it.
// Layouts follow the version as the maker's programs wrote them: the material header
// from version 3, section B from 2.2, 81-byte records in section C from 4.01, and
// 208-byte layer definitions and 78-byte names in element records from 15.2 (163-byte
// definitions and 33-byte names, with every field behind such a name 45 bytes
// earlier, before it). Bytes the format leaves uninterpreted are filled with a
// pattern, not zeros, so that a reader that looks at them shows it.
#ifndef TRENNIC_TESTS_PART_FILE_WRITER_H
#define TRENNIC_TESTS_PART_FILE_WRITER_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kzv {

struct Version {
    int32_t major = 15;
    int32_t minor = 20;
    // Written at offset 72 whatever the major version; readers take it from 14 on.
    int32_t maintenance = 0;

    double number() const { return major + minor / 100.0 + maintenance / 10000.0; }
    bool at_least(double v) const { return number() - v > -1e-6; }
};

// The layout of element records and layer definitions.
enum class Layout {
    Current, // version 15.2 and later
    Old      // before 15.2
};

// One element record: kind, head and the fields of its kind at their offsets in the
// current layout. Builders below make the kinds the library reads.
class Element {
public:
    explicit Element(int32_t kind);

    int32_t kind() const { return m_kind; }

    // Head fields.
    Element& layer(uint32_t id);
    Element& colour(uint32_t code);
    Element& line_type(uint32_t code);
    Element& flags(uint32_t flags);
    // Sets the state in bits 1 to 4 of the flags (2 deleted, 15 read as deleted).
    Element& state(uint32_t state);
    // Marks a line, circle or arc as construction geometry (part flag 0).
    Element& construction();

    // Fields at offsets of the current layout.
    Element& f64(size_t offset, double value);
    Element& i32(size_t offset, int32_t value);
    Element& u32(size_t offset, uint32_t value);
    // A NUL-terminated text in a field of field_length bytes (cut to fit with its NUL).
    Element& text(size_t offset, const std::string& value, size_t field_length);
    // The record's length in the current layout (each kind has its usual one).
    Element& length(uint32_t length);

    // The record's bytes in the layout, its length word first.
    std::vector<uint8_t> bytes(Layout layout) const;

private:
    struct Field {
        size_t offset;
        std::vector<uint8_t> bytes;
    };
    int32_t m_kind;
    uint32_t m_colour = 0;
    uint32_t m_line_type = 0;
    uint32_t m_layer = 0;
    uint32_t m_flags = 0;
    uint32_t m_length;
    std::vector<Field> m_fields;
};

Element line(double x1, double y1, double x2, double y2);
// The construction line through (x, y) with y = slope * x + intercept, at degrees.
Element construction_line(double x, double y, double slope, double intercept, double degrees);
Element circle(double cx, double cy, double radius);
// direction -1: clockwise from first to second.
Element arc(double cx, double cy, double radius, double first, double second, int32_t direction);
Element text(double x, double y, double rotation, double height, const std::string& value);
Element placement(const std::string& block, double x, double y, double rotation);
Element rectangular_array(const std::string& block, double x, double y, double rotation,
                          int32_t rows, double row_angle, double row_spacing, int32_t columns,
                          double column_angle, double column_spacing);
Element circular_array(const std::string& block, double cx, double cy, double first_rotation,
                       double radius, double first_x, double first_y, double step, int32_t count);
Element block_begin(const std::string& name, double base_x, double base_y);
Element block_end();
// A tooling record of a kind the library does not draw; kind -1 with its word at 44.
Element tooling(int32_t kind);
Element tooling_with_word(uint32_t word);

// One record of section A.
struct LayerDefinition {
    uint32_t flags = 0; // bits 4-11 the layer kind (16..21 a machine's tooling layer)
    int32_t id = 0;
    std::string name;
    double angle = 0.0;
    std::string second_name;
    std::string machine;
};
LayerDefinition tooling_layer(const std::string& machine, int32_t id, int32_t kind);

struct Material {
    std::string name = "S235JR";
    double thickness = 2.0;
    uint32_t options = 0; // bits 0-3 rotations, 4 use RAS, 5-7 clusters, 8 find best angle
    double clearance = 0.0;
    uint16_t tolerance = 0;
};

constexpr uint32_t kMarker = 0x55AA55AA;

struct Part {
    uint32_t format_id = 0x55AA55AA;
    uint32_t material_format_id = 0x55AA55AA;
    uint32_t file_kind = 0x01010101;
    Version version;
    Material material;
    // Section markers A to E.
    uint32_t markers[5] = {kMarker, kMarker, kMarker, kMarker, kMarker};
    std::vector<LayerDefinition> layers;
    // The count written in front of section A; the number of layers when unset.
    std::optional<uint32_t> layer_count;
    uint32_t section_b_records = 0;
    uint32_t section_c_records = 0;
    std::vector<Element> blocks;
    std::vector<Element> elements;
    std::vector<std::string> text_lines;
    std::string line_end = "\r\n";

    Layout layout() const { return version.at_least(15.2) ? Layout::Current : Layout::Old; }
};

std::vector<uint8_t> write_part(const Part& part);

}

#endif
