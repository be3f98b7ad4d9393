// Deterministic DXF drawings of any size for the benchmarks.

#include "dxf_generator.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace dxf_bench {

namespace {

constexpr double kPi = 3.141592653589793;

// ---------------------------------------------------------------------------------------
// Output

// Bytes collect in a buffer that goes to the file whenever it passes kFlushSize; with
// no file the buffer is the whole drawing.
class Sink {
public:
    explicit Sink(std::FILE* file) : m_file(file)
    {
        m_buffer.reserve(m_file != nullptr ? kFlushSize + 4096 : 1 << 20);
    }

    void append(const char* data, size_t size)
    {
        m_buffer.append(data, size);
        if (m_file != nullptr && m_buffer.size() >= kFlushSize)
            flush();
    }
    void append(char byte) { append(&byte, 1); }

    bool flush()
    {
        if (m_file == nullptr || m_buffer.empty())
            return m_ok;
        if (std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size())
            m_ok = false;
        m_flushed += m_buffer.size();
        m_buffer.clear();
        return m_ok;
    }

    uint64_t written() const { return m_flushed + m_buffer.size(); }
    bool ok() const { return m_ok; }
    std::string take() { return std::move(m_buffer); }

private:
    static constexpr size_t kFlushSize = size_t{1} << 20;
    std::FILE* m_file;
    std::string m_buffer;
    uint64_t m_flushed = 0;
    bool m_ok = true;
};

// One group at a time in the chosen form, as programs from R13 on write binary files.
// The caller names each value's type, which must be the type the group code has in DXF
// (reals 10-59 and 210-239, 16-bit integers 60-79 and 270-289, 32-bit integers 90-99
// and 420-459, 64-bit integers 160-169, booleans 290-299, strings 0-9 and 100, binary
// chunks 310-319 and 1004). In binary files a boolean is one byte and a chunk a length
// byte and its bytes (hex text in ASCII); one-byte codes from 255 up follow the byte
// 255 as a 16-bit integer.
class GroupWriter {
public:
    GroupWriter(Sink& sink, DxfForm form) : m_sink(sink), m_form(form) {}

    void string(int code, std::string_view value)
    {
        write_code(code);
        if (m_form == DxfForm::Ascii) {
            m_sink.append(value.data(), value.size());
            m_sink.append("\r\n", 2);
            return;
        }
        m_sink.append(value.data(), value.size());
        m_sink.append('\0');
    }

    void real(int code, double value)
    {
        write_code(code);
        if (m_form == DxfForm::Ascii) {
            char text[64];
            char* end = std::to_chars(text, text + sizeof text, value).ptr;
            // Writers of DXF keep a decimal point in every real.
            if (std::memchr(text, '.', static_cast<size_t>(end - text)) == nullptr &&
                std::memchr(text, 'e', static_cast<size_t>(end - text)) == nullptr) {
                *end++ = '.';
                *end++ = '0';
            }
            m_sink.append(text, static_cast<size_t>(end - text));
            m_sink.append("\r\n", 2);
            return;
        }
        append_little_endian(std::bit_cast<uint64_t>(value), 8);
    }

    void int16(int code, int value) { integer(code, value, 2); }
    void int32(int code, int32_t value) { integer(code, value, 4); }
    void int64(int code, int64_t value) { integer(code, value, 8); }
    void boolean(int code, bool value) { integer(code, value ? 1 : 0, 1); }

    void chunk(int code, const uint8_t* bytes, size_t count)
    {
        write_code(code);
        if (m_form == DxfForm::Ascii) {
            constexpr char kDigits[] = "0123456789ABCDEF";
            for (size_t i = 0; i < count; ++i) {
                m_sink.append(kDigits[bytes[i] >> 4]);
                m_sink.append(kDigits[bytes[i] & 0x0F]);
            }
            m_sink.append("\r\n", 2);
            return;
        }
        m_sink.append(static_cast<char>(count));
        m_sink.append(reinterpret_cast<const char*>(bytes), count);
    }

    // x, y and z of a point: codes code, code + 10 and code + 20.
    void point(int code, double x, double y, double z = 0.0)
    {
        real(code, x);
        real(code + 10, y);
        real(code + 20, z);
    }

private:
    void write_code(int code)
    {
        switch (m_form) {
        case DxfForm::Ascii: {
            char text[16];
            const char* end = std::to_chars(text, text + sizeof text, code).ptr;
            const auto length = static_cast<size_t>(end - text);
            // Codes right-aligned in three columns, as the common writers lay them out.
            for (size_t pad = length; pad < 3; ++pad)
                m_sink.append(' ');
            m_sink.append(text, length);
            m_sink.append("\r\n", 2);
            break;
        }
        case DxfForm::Binary16: append_little_endian(static_cast<uint16_t>(code), 2); break;
        case DxfForm::Binary8:
            if (code >= 255) {
                m_sink.append('\xff');
                append_little_endian(static_cast<uint16_t>(code), 2);
            } else {
                m_sink.append(static_cast<char>(code));
            }
            break;
        }
    }

    void integer(int code, int64_t value, int bytes)
    {
        write_code(code);
        if (m_form == DxfForm::Ascii) {
            char text[32];
            const char* end = std::to_chars(text, text + sizeof text, value).ptr;
            // Integers are right-aligned in six columns.
            for (auto pad = end - text; pad < 6; ++pad)
                m_sink.append(' ');
            m_sink.append(text, static_cast<size_t>(end - text));
            m_sink.append("\r\n", 2);
            return;
        }
        append_little_endian(static_cast<uint64_t>(value), bytes);
    }

    void append_little_endian(uint64_t value, int bytes)
    {
        char out[8];
        for (int i = 0; i < bytes; ++i)
            out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        m_sink.append(out, static_cast<size_t>(bytes));
    }

    Sink& m_sink;
    DxfForm m_form;
};

constexpr char kBinarySentinel[] = "AutoCAD Binary DXF\r\n\x1a";
static_assert(sizeof kBinarySentinel == 22, "the sentinel ends with its NUL");

// ---------------------------------------------------------------------------------------
// Numbers

// splitmix64: small, fast and the same on every platform.
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed) {}

    uint64_t next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // In [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double between(double low, double high) { return low + (high - low) * unit(); }
    int between(int low, int high)
    {
        return low + static_cast<int>(next() % static_cast<uint64_t>(high - low + 1));
    }
    bool chance(double probability) { return unit() < probability; }

private:
    uint64_t m_state;
};

// Coordinates as drawings hold them: to four decimals.
double quantised(double value)
{
    return std::round(value * 1e4) / 1e4;
}

// ---------------------------------------------------------------------------------------
// The drawing

constexpr std::array kLayers{"0",      "WALLS",  "DOORS",     "WINDOWS",    "DIMENSIONS",
                             "TEXT",   "CENTER", "HIDDEN",    "FURNITURE",  "ELECTRICAL"};
constexpr std::array kLineTypes{"CONTINUOUS", "DASHED", "CENTER", "HIDDEN", "PHANTOM"};
constexpr std::array kBlocks{"BOLT", "FLANGE", "DOOR", "WINDOW", "TITLE"};
constexpr std::array kWords{"PLAN",   "SECTION A-A", "DETAIL 4", "SCALE 1:50", "KITCHEN",
                            "BEDROOM", "M12 x 40",   "GRID B",   "REV C",      "STAIR UP"};

// Sheets of drawing space, laid out in rows; each holds a run of entities.
constexpr double kSheetWidth = 1000.0;
constexpr double kSheetHeight = 700.0;
constexpr int kSheetsPerRow = 25;
constexpr int kEntitiesPerSheet = 1500;

class DrawingWriter {
public:
    DrawingWriter(Sink& sink, DxfForm form, DxfContents& contents)
        : m_sink(sink), m_out(sink, form), m_form(form), m_contents(contents)
    {
    }

    void write(uint64_t target_bytes, uint64_t entity_limit)
    {
        if (m_form != DxfForm::Ascii)
            m_sink.append(kBinarySentinel, sizeof kBinarySentinel);
        header(target_bytes);
        tables();
        blocks();
        entities(target_bytes, entity_limit);
        objects();
        m_out.string(0, "EOF");
    }

private:
    // ---- Sections ---------------------------------------------------------------------

    void begin_section(const char* name)
    {
        m_out.string(0, "SECTION");
        m_out.string(2, name);
    }
    void end_section() { m_out.string(0, "ENDSEC"); }

    void variable(const char* name) { m_out.string(9, name); }

    void header(uint64_t target_bytes)
    {
        // The extents the entities will reach, from the number of sheets the size needs
        // at roughly 250 bytes per entity.
        const double sheets = std::ceil(static_cast<double>(target_bytes) / 250.0 / kEntitiesPerSheet);
        const double columns = std::min(sheets, static_cast<double>(kSheetsPerRow));
        const double rows = std::ceil(sheets / kSheetsPerRow);
        begin_section("HEADER");
        variable("$ACADVER");
        m_out.string(1, "AC1015");
        variable("$INSBASE");
        m_out.point(10, 0, 0);
        variable("$EXTMIN");
        m_out.point(10, 0, 0);
        variable("$EXTMAX");
        m_out.point(10, quantised(columns * kSheetWidth * 1.1), quantised(rows * kSheetHeight * 1.1));
        variable("$LIMMIN");
        m_out.real(10, 0);
        m_out.real(20, 0);
        variable("$LIMMAX");
        m_out.real(10, 420);
        m_out.real(20, 297);
        variable("$LTSCALE");
        m_out.real(40, 1);
        variable("$TEXTSIZE");
        m_out.real(40, 2.5);
        variable("$CLAYER");
        m_out.string(8, "0");
        variable("$MEASUREMENT");
        m_out.int16(70, 1);
        variable("$INSUNITS");
        m_out.int16(70, 4);
        variable("$HANDSEED");
        m_out.string(5, "FFFFFFF");
        // Booleans, lineweights and end caps, as every file from R2000 on has them.
        for (const char* name : {"$LWDISPLAY", "$XEDIT", "$PSTYLEMODE", "$EXTNAMES", "$OLESTARTUP"}) {
            variable(name);
            m_out.boolean(290, name[1] != 'O');
        }
        variable("$CELWEIGHT");
        m_out.int16(370, -1);
        variable("$ENDCAPS");
        m_out.int16(280, 0);
        end_section();
    }

    void tables()
    {
        begin_section("TABLES");
        // A table the reader passes over.
        begin_table("VPORT", 1);
        m_out.string(0, "VPORT");
        m_out.string(2, "*ACTIVE");
        m_out.int16(70, 0);
        m_out.point(10, 0, 0);
        m_out.real(11, 1);
        m_out.real(21, 1);
        m_out.real(40, 700);
        m_out.real(41, 1.6);
        end_table();

        begin_table("LTYPE", static_cast<int>(kLineTypes.size()));
        for (size_t i = 0; i < kLineTypes.size(); ++i) {
            m_out.string(0, "LTYPE");
            handle();
            m_out.string(100, "AcDbSymbolTableRecord");
            m_out.string(100, "AcDbLinetypeTableRecord");
            m_out.string(2, kLineTypes[i]);
            m_out.int16(70, 0);
            m_out.string(3, i == 0 ? "Solid line" : "__ __ __ __");
            m_out.int16(72, 65);
            const int dashes = i == 0 ? 0 : static_cast<int>(2 * i);
            m_out.int16(73, dashes);
            m_out.real(40, dashes * 3.0);
            for (int d = 0; d < dashes; ++d)
                m_out.real(49, d % 2 == 0 ? 5.0 + i : -1.5);
        }
        end_table();

        begin_table("LAYER", static_cast<int>(kLayers.size()));
        for (size_t i = 0; i < kLayers.size(); ++i) {
            m_out.string(0, "LAYER");
            handle();
            m_out.string(100, "AcDbSymbolTableRecord");
            m_out.string(100, "AcDbLayerTableRecord");
            m_out.string(2, kLayers[i]);
            m_out.int16(70, 0);
            m_out.int16(62, static_cast<int>(i % 7) + 1);
            m_out.string(6, kLineTypes[i % kLineTypes.size()]);
        }
        end_table();

        begin_table("STYLE", 1);
        m_out.string(0, "STYLE");
        m_out.string(2, "STANDARD");
        m_out.int16(70, 0);
        m_out.real(40, 0);
        m_out.real(41, 1);
        m_out.string(3, "txt");
        end_table();
        end_section();
    }

    void begin_table(const char* name, int entries)
    {
        m_out.string(0, "TABLE");
        m_out.string(2, name);
        handle();
        m_out.string(100, "AcDbSymbolTable");
        m_out.int16(70, entries);
    }
    void end_table() { m_out.string(0, "ENDTAB"); }

    void blocks()
    {
        begin_section("BLOCKS");
        block("*Model_Space", [] {});
        block("*Paper_Space", [] {});
        block(kBlocks[0], [this] {
            member_circle(0, 0, 5);
            std::vector<Vertex> hexagon;
            for (int k = 0; k < 6; ++k)
                hexagon.push_back({8 * std::cos(k * kPi / 3), 8 * std::sin(k * kPi / 3), 0});
            lwpolyline(hexagon, true, "0");
            line(-10, 0, 10, 0, "CENTER");
            line(0, -10, 0, 10, "CENTER");
        });
        block(kBlocks[1], [this] {
            member_circle(0, 0, 50);
            member_circle(0, 0, 30);
            // Six bolts round the flange: a block that inserts another.
            for (int k = 0; k < 6; ++k)
                insert(kBlocks[0], 40 * std::cos(k * kPi / 3), 40 * std::sin(k * kPi / 3), 0.5, 0.5,
                       k * 60.0, "0");
        });
        block(kBlocks[2], [this] {
            line(0, 0, 0, 90, "DOORS");
            arc(0, 0, 90, 0, 90, "DOORS");
            lwpolyline({{0, 0, 0}, {-5, 0, 0}, {-5, 90, 0}, {0, 90, 0}}, false, "DOORS");
        });
        block(kBlocks[3], [this] {
            lwpolyline({{0, 0, 0}, {120, 0, 0}, {120, 20, 0}, {0, 20, 0}}, true, "WINDOWS");
            line(0, 10, 120, 10, "WINDOWS");
            line(60, 0, 60, 20, "WINDOWS");
            lwpolyline({{0, 20, 0.4142}, {120, 20, 0}}, false, "WINDOWS");
        });
        block(kBlocks[4], [this] {
            lwpolyline({{0, 0, 0}, {180, 0, 0}, {180, 60, 0}, {0, 60, 0}}, true, "0");
            line(0, 20, 180, 20, "0");
            line(0, 40, 180, 40, "0");
            line(100, 0, 100, 60, "0");
            text(5, 45, 8, 0, "TARVEK", "TEXT");
            text(5, 25, 5, 0, "DRAWN: BENCH", "TEXT");
            text(105, 5, 5, 0, "SHEET", "TEXT");
        });
        end_section();
    }

    template <typename Members>
    void block(const char* name, Members members)
    {
        m_out.string(0, "BLOCK");
        handle();
        m_out.string(100, "AcDbEntity");
        m_out.string(8, "0");
        m_out.string(100, "AcDbBlockBegin");
        m_out.string(2, name);
        m_out.int16(70, 0);
        m_out.point(10, 0, 0);
        m_out.string(3, name);
        m_out.string(1, "");
        const uint64_t before = m_entities;
        members();
        m_contents.block_members += m_entities - before;
        m_out.string(0, "ENDBLK");
        handle();
        m_out.string(100, "AcDbEntity");
        m_out.string(8, "0");
        m_out.string(100, "AcDbBlockEnd");
        if (name[0] != '*')
            ++m_contents.blocks;
    }

    // Until the file holds target_bytes, or, with a limit, that many entities.
    bool wants_more(uint64_t target_bytes, uint64_t entity_limit) const
    {
        if (entity_limit != 0)
            return m_entities - m_contents.block_members < entity_limit;
        return m_sink.written() < target_bytes;
    }

    void entities(uint64_t target_bytes, uint64_t entity_limit)
    {
        begin_section("ENTITIES");
        for (uint64_t sheet = 0; wants_more(target_bytes, entity_limit); ++sheet) {
            const double x0 = static_cast<double>(sheet % kSheetsPerRow) * kSheetWidth * 1.1;
            const double y0 = static_cast<double>(sheet / kSheetsPerRow) * kSheetHeight * 1.1;
            // Frame and title block of the sheet.
            lwpolyline({{x0, y0, 0}, {x0 + kSheetWidth, y0, 0}, {x0 + kSheetWidth, y0 + kSheetHeight, 0},
                        {x0, y0 + kSheetHeight, 0}},
                       true, "0");
            insert(kBlocks[4], x0 + kSheetWidth - 190, y0 + 10, 1, 1, 0, "0");
            for (int i = 0; i < kEntitiesPerSheet && wants_more(target_bytes, entity_limit); ++i)
                random_entity(x0, y0);
        }
        end_section();
        m_contents.entities = m_entities - m_contents.block_members;
    }

    void objects()
    {
        // A section the reader passes over, with the value kinds that objects hold.
        begin_section("OBJECTS");
        m_out.string(0, "DICTIONARY");
        handle();
        m_out.string(100, "AcDbDictionary");
        m_out.int16(281, 1);
        m_out.string(3, "ACAD_GROUP");
        m_out.string(350, "D");
        m_out.string(0, "XRECORD");
        handle();
        m_out.string(100, "AcDbXrecord");
        m_out.int16(280, 1);
        m_out.int64(160, 1099511627776);
        m_out.boolean(290, true);
        const uint8_t data[] = {0xDE, 0xAD, 0xBE, 0xEF, 0x01, 0x02};
        m_out.chunk(310, data, sizeof data);
        m_out.int32(1071, 70000);
        end_section();
    }

    // ---- Entities ---------------------------------------------------------------------

    struct Vertex {
        double x;
        double y;
        double bulge;
    };

    const char* random_layer() { return kLayers[static_cast<size_t>(m_random.between(0, 9))]; }

    // The mix: mostly lines, then texts, arcs, circles and polylines, fewer inserts and
    // splines.
    void random_entity(double x0, double y0)
    {
        const double x = quantised(x0 + m_random.between(0.0, kSheetWidth));
        const double y = quantised(y0 + m_random.between(0.0, kSheetHeight));
        const int pick = m_random.between(0, 99);
        const char* layer = random_layer();
        if (pick < 38) {
            const double angle = m_random.between(0.0, 2 * kPi);
            const double length = m_random.between(1.0, 80.0);
            line(x, y, quantised(x + length * std::cos(angle)), quantised(y + length * std::sin(angle)),
                 layer);
        } else if (pick < 48) {
            const double start = std::round(m_random.between(0.0, 720.0)) / 2;
            arc(x, y, quantised(m_random.between(1.0, 50.0)), start,
                std::fmod(start + std::round(m_random.between(20.0, 600.0)) / 2, 360.0), layer);
        } else if (pick < 58) {
            circle(x, y, quantised(m_random.between(0.5, 40.0)), layer);
        } else if (pick < 70) {
            lwpolyline(random_vertices(x, y), m_random.chance(0.5), layer);
        } else if (pick < 75) {
            polyline(random_vertices(x, y), m_random.chance(0.3), layer);
        } else if (pick < 87) {
            const double rotation = m_random.chance(0.8) ? 0.0 : 90.0;
            text(x, y, std::round(m_random.between(5.0, 20.0)) / 2, rotation,
                 kWords[static_cast<size_t>(m_random.between(0, 9))], "TEXT");
        } else if (pick < 95) {
            const double scale = std::round(m_random.between(2.0, 12.0)) / 4;
            const double x_scale = m_random.chance(0.1) ? -scale : scale;
            insert(kBlocks[static_cast<size_t>(m_random.between(0, 3))], x, y, x_scale, scale,
                   std::round(m_random.between(0.0, 8.0)) * 45.0, layer);
        } else {
            spline(x, y, layer);
        }
    }

    std::vector<Vertex> random_vertices(double x, double y)
    {
        std::vector<Vertex> vertices;
        const int count = m_random.between(3, 12);
        double heading = m_random.between(0.0, 2 * kPi);
        for (int k = 0; k < count; ++k) {
            const double bulge = m_random.chance(0.3) ? quantised(m_random.between(-1.0, 1.0)) : 0.0;
            vertices.push_back({x, y, bulge});
            heading += m_random.between(-1.5, 1.5);
            const double step = m_random.between(2.0, 40.0);
            x = quantised(x + step * std::cos(heading));
            y = quantised(y + step * std::sin(heading));
        }
        return vertices;
    }

    void handle()
    {
        char text[20];
        const char* end = std::to_chars(text, text + sizeof text, ++m_handle, 16).ptr;
        m_out.string(5, std::string_view(text, static_cast<size_t>(end - text)));
    }

    // Every entity but a VERTEX makes one item.
    void entity_head(const char* name, const char* layer, const char* subclass)
    {
        if (std::strcmp(name, "VERTEX") != 0)
            ++m_entities;
        m_out.string(0, name);
        handle();
        m_out.string(100, "AcDbEntity");
        m_out.string(8, layer);
        if (m_random.chance(0.05))
            m_out.int16(62, m_random.between(1, 255));
        // True colours and lineweights, and now and then proxy graphics.
        if (m_random.chance(0.1))
            m_out.int32(420, static_cast<int32_t>(m_random.next() & 0xFFFFFF));
        if (m_random.chance(0.05))
            m_out.int16(370, 25);
        if (m_random.chance(0.02)) {
            uint8_t graphics[32];
            for (uint8_t& byte : graphics)
                byte = static_cast<uint8_t>(m_random.next());
            m_out.int32(92, static_cast<int32_t>(sizeof graphics));
            m_out.chunk(310, graphics, sizeof graphics);
        }
        if (m_random.chance(0.05))
            m_out.string(6, kLineTypes[static_cast<size_t>(m_random.between(1, 4))]);
        m_out.string(100, subclass);
    }

    void line(double x1, double y1, double x2, double y2, const char* layer)
    {
        entity_head("LINE", layer, "AcDbLine");
        m_out.point(10, x1, y1);
        m_out.point(11, x2, y2);
    }

    void circle(double x, double y, double radius, const char* layer)
    {
        entity_head("CIRCLE", layer, "AcDbCircle");
        m_out.point(10, x, y);
        m_out.real(40, radius);
    }
    void member_circle(double x, double y, double radius) { circle(x, y, radius, "0"); }

    void arc(double x, double y, double radius, double start, double end, const char* layer)
    {
        entity_head("ARC", layer, "AcDbCircle");
        m_out.point(10, x, y);
        m_out.real(40, radius);
        m_out.string(100, "AcDbArc");
        m_out.real(50, start);
        m_out.real(51, end);
    }

    void lwpolyline(const std::vector<Vertex>& vertices, bool closed, const char* layer)
    {
        entity_head("LWPOLYLINE", layer, "AcDbPolyline");
        m_out.int32(90, static_cast<int32_t>(vertices.size()));
        m_out.int16(70, closed ? 1 : 0);
        m_out.real(43, 0.0);
        for (const Vertex& vertex : vertices) {
            m_out.real(10, quantised(vertex.x));
            m_out.real(20, quantised(vertex.y));
            if (vertex.bulge != 0.0)
                m_out.real(42, vertex.bulge);
        }
    }

    void polyline(const std::vector<Vertex>& vertices, bool closed, const char* layer)
    {
        entity_head("POLYLINE", layer, "AcDb2dPolyline");
        m_out.int16(66, 1);
        m_out.point(10, 0, 0);
        m_out.int16(70, closed ? 1 : 0);
        for (const Vertex& vertex : vertices) {
            entity_head("VERTEX", layer, "AcDbVertex");
            m_out.string(100, "AcDb2dVertex");
            m_out.point(10, vertex.x, vertex.y);
            if (vertex.bulge != 0.0)
                m_out.real(42, vertex.bulge);
            m_out.int16(70, 0);
        }
        m_out.string(0, "SEQEND");
        handle();
        m_out.string(100, "AcDbEntity");
        m_out.string(8, layer);
    }

    void text(double x, double y, double height, double rotation, const char* value, const char* layer)
    {
        entity_head("TEXT", layer, "AcDbText");
        m_out.point(10, x, y);
        m_out.real(40, height);
        m_out.string(1, value);
        if (rotation != 0.0)
            m_out.real(50, rotation);
        m_out.string(100, "AcDbText");
    }

    void insert(const char* name, double x, double y, double x_scale, double y_scale, double rotation,
                const char* layer)
    {
        entity_head("INSERT", layer, "AcDbBlockReference");
        m_out.string(2, name);
        m_out.point(10, x, y);
        if (x_scale != 1.0 || y_scale != 1.0) {
            m_out.real(41, x_scale);
            m_out.real(42, y_scale);
            m_out.real(43, 1.0);
        }
        if (rotation != 0.0)
            m_out.real(50, rotation);
    }

    // A planar cubic B-spline with a clamped uniform knot vector; one in four rational.
    void spline(double x, double y, const char* layer)
    {
        const int count = m_random.between(4, 10);
        const bool rational = m_random.chance(0.25);
        entity_head("SPLINE", layer, "AcDbSpline");
        m_out.point(210, 0, 0, 1);
        m_out.int16(70, rational ? 12 : 8);
        m_out.int16(71, 3);
        m_out.int16(72, count + 4);
        m_out.int16(73, count);
        m_out.int16(74, 0);
        m_out.real(42, 1e-10);
        m_out.real(43, 1e-10);
        const int spans = count - 3;
        for (int k = 0; k < count + 4; ++k)
            m_out.real(40, std::clamp(k - 3, 0, spans) / static_cast<double>(spans));
        if (rational) {
            for (int k = 0; k < count; ++k)
                m_out.real(41, k % 2 == 0 ? 1.0 : 0.75);
        }
        for (int k = 0; k < count; ++k) {
            m_out.point(10, x, y);
            x = quantised(x + m_random.between(2.0, 20.0));
            y = quantised(y + m_random.between(-15.0, 15.0));
        }
    }

    Sink& m_sink;
    GroupWriter m_out;
    DxfForm m_form;
    DxfContents& m_contents;
    Random m_random{0x7A4BE6C1D0F25ull};
    uint64_t m_handle = 0x20;
    uint64_t m_entities = 0;
};

}

bool write_dxf_file(const std::string& path, DxfForm form, uint64_t target_bytes,
                    DxfContents& contents, std::string& error, uint64_t entity_limit)
{
    contents = DxfContents{};
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (file == nullptr) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    Sink sink(file.get());
    DrawingWriter(sink, form, contents).write(target_bytes, entity_limit);
    const bool written = sink.flush() && std::fflush(file.get()) == 0;
    contents.bytes = sink.written();
    if (!written || std::fclose(file.release()) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string make_dxf(DxfForm form, uint64_t target_bytes, DxfContents& contents,
                     uint64_t entity_limit)
{
    contents = DxfContents{};
    Sink sink(nullptr);
    DrawingWriter(sink, form, contents).write(target_bytes, entity_limit);
    contents.bytes = sink.written();
    return sink.take();
}

bool parse_dxf_form(const std::string& name, DxfForm& form)
{
    if (name == "ascii")
        form = DxfForm::Ascii;
    else if (name == "binary")
        form = DxfForm::Binary16;
    else if (name == "binary8")
        form = DxfForm::Binary8;
    else
        return false;
    return true;
}

const char* dxf_form_name(DxfForm form)
{
    switch (form) {
    case DxfForm::Ascii: return "ascii";
    case DxfForm::Binary16: return "binary";
    case DxfForm::Binary8: return "binary8";
    }
    return "?";
}

}
