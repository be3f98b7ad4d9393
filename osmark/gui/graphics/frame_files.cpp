// Frame text files: a version line, a 'T' header, then sections of margins, palette
// and programs of one command per line, compiled into frame command records.

#include "core/runtime/make_error.h"
#include "frames_internal.h"
#include "osmark/files.h"
#include "osmark/memory.h"
#include "osmark/strings.h"
#include "osmark/versions.h"

#include <array>
#include <cstring>
#include <new>

namespace osmark::graphics {
namespace {

constexpr int32_t kLineSize = 4096;
constexpr uint32_t kMaxPalette = 256;

constexpr const char* kSlotNames[FRAME_SLOTS] = {
    "NORMAL",
    "NORMAL_FILL",
    "SELECTED",
    "SELECTED_FILL",
    "DISABLED",
    "DISABLED_FILL",
    "INDETERMINATE",
    "INDETERMINATE_FILL",
    "DISABLED_SELECTED",
    "DISABLED_SELECTED_FILL",
    "DISABLED_INDETERMINATE",
    "DISABLED_INDETERMINATE_FILL",
    "SELECT",
};

// Operands: integers separated by white space, read as StrToLong reads them with base
// 0; a missing one reads as 0.
class Operands {
public:
    explicit Operands(const char* text) : m_at(text) {}
    int32_t next()
    {
        char* end = nullptr;
        const int32_t value = StrToLong(m_at, &end, 0);
        if (end == nullptr || end == m_at)
            return 0;
        m_at = end;
        return value;
    }

private:
    const char* m_at;
};

uint16_t edge_bit(int32_t number)
{
    if (number <= 0)
        return 0;
    static constexpr uint16_t kBits[] = {0x01, 0x04, 0x02, 0x08};
    return number > 4 ? kBits[0] : kBits[number - 1];
}

uint16_t anchor_code(int32_t number)
{
    if (number <= 0)
        return 0x00;
    static constexpr uint16_t kCodes[] = {0x30, 0x60, 0x90, 0xC0, 0x00, 0x10, 0x20, 0x40, 0x80};
    return number > 9 ? kCodes[0] : kCodes[number - 1];
}

uint16_t flag_bits(int32_t flags)
{
    return static_cast<uint16_t>(((flags & 1) != 0 ? FRAMECMD_MASKPASS : 0u) |
                                 ((flags & 2) != 0 ? FRAMECMD_FILLED : 0u));
}

class Record {
public:
    Record(uint16_t size, uint8_t opcode) : m_bytes(size, 0)
    {
        put<uint16_t>(0, size);
        m_bytes[4] = opcode;
    }
    template <typename T>
    void put(size_t at, T value)
    {
        std::memcpy(m_bytes.data() + at, &value, sizeof value);
    }
    void put_byte(size_t at, int32_t value) { m_bytes[at] = static_cast<uint8_t>(value); }
    void append_to(std::vector<uint8_t>& records) const
    {
        records.insert(records.end(), m_bytes.begin(), m_bytes.end());
    }

private:
    std::vector<uint8_t> m_bytes;
};

// edge anchor1 x1 y1 anchor2 x2 y2: the part that the box commands share.
void put_two_points(Record& record, Operands& in, uint16_t& anchor_word)
{
    anchor_word = edge_bit(in.next());
    anchor_word |= anchor_code(in.next());
    record.put<int32_t>(12, in.next());
    record.put<int32_t>(16, in.next());
    record.put<uint16_t>(20, anchor_code(in.next()));
    record.put<int32_t>(24, in.next());
    record.put<int32_t>(28, in.next());
}

bool named(const char* line, const char* command)
{
    return line[0] == command[0] && line[1] == command[1];
}

}

bool parse_frame_command(const char* line, std::vector<uint8_t>& records)
{
    if (line == nullptr || line[0] == '\0' || line[1] == '\0')
        return false;
    Operands in(line + 2);
    uint16_t anchor = 0;
    auto simple = [&](uint8_t opcode) {
        Record(10, opcode).append_to(records);
        return true;
    };
    if (named(line, "PU"))
        return simple(OpPenUp);
    if (named(line, "PD"))
        return simple(OpPenDown);
    if (named(line, "MS"))
        return simple(OpMaskStart);
    if (named(line, "ME"))
        return simple(OpMaskEnd);
    if (named(line, "AP") || named(line, "BP")) {
        Record record(12, named(line, "AP") ? OpAPen : OpBPen);
        record.put_byte(10, in.next());
        record.append_to(records);
        return true;
    }
    if (named(line, "PW")) {
        Record record(12, OpPenWidth);
        record.put<uint16_t>(10, static_cast<uint16_t>(in.next()));
        record.append_to(records);
        return true;
    }
    if (named(line, "DM") || named(line, "DP")) {
        Record record(16, named(line, "DM") ? OpDrawMode : OpLinePattern);
        record.put<int32_t>(12, in.next());
        record.append_to(records);
        return true;
    }
    if (named(line, "M ")) {
        Record record(20, OpMove);
        anchor = edge_bit(in.next());
        anchor |= anchor_code(in.next());
        record.put<int32_t>(12, in.next());
        record.put<int32_t>(16, in.next());
        anchor |= flag_bits(in.next());
        record.put<uint16_t>(2, anchor);
        record.append_to(records);
        return true;
    }
    if (named(line, "A ")) {
        Record record(40, OpArc);
        put_two_points(record, in, anchor);
        record.put<int32_t>(32, in.next());
        record.put<int32_t>(36, in.next());
        record.put<uint16_t>(2, static_cast<uint16_t>(anchor | flag_bits(in.next())));
        record.append_to(records);
        return true;
    }
    if (named(line, "R ")) {
        Record record(32, OpRect);
        put_two_points(record, in, anchor);
        record.put<uint16_t>(2, static_cast<uint16_t>(anchor | flag_bits(in.next())));
        record.append_to(records);
        return true;
    }
    if (named(line, "RR")) {
        Record record(40, OpRoundRect);
        put_two_points(record, in, anchor);
        record.put<int32_t>(32, in.next());
        record.put<int32_t>(36, in.next());
        record.put<uint16_t>(2, static_cast<uint16_t>(anchor | flag_bits(in.next())));
        record.append_to(records);
        return true;
    }
    if (named(line, "RD")) {
        Record record(36, OpDitherRect);
        put_two_points(record, in, anchor);
        record.put_byte(32, in.next());
        record.put_byte(33, in.next());
        record.put_byte(34, in.next());
        record.put<uint16_t>(2, static_cast<uint16_t>(anchor | flag_bits(in.next())));
        record.append_to(records);
        return true;
    }
    if (named(line, "P ")) {
        // The flags come before the point count and the points.
        int32_t values[9];
        for (int32_t& value : values)
            value = in.next();
        const auto count = static_cast<uint8_t>(values[8]);
        Record record(static_cast<uint16_t>(35 + 2 * count), OpPolygon);
        anchor = static_cast<uint16_t>(edge_bit(values[0]) | anchor_code(values[1]) |
                                       flag_bits(values[7]));
        record.put<uint16_t>(2, anchor);
        record.put<int32_t>(12, values[2]);
        record.put<int32_t>(16, values[3]);
        record.put<uint16_t>(20, anchor_code(values[4]));
        record.put<int32_t>(24, values[5]);
        record.put<int32_t>(28, values[6]);
        record.put_byte(32, count);
        for (int i = 0; i < 2 * count; ++i)
            record.put_byte(33 + static_cast<size_t>(i), in.next());
        record.append_to(records);
        return true;
    }
    return false;
}

uint8_t* compile_frame_program(const std::vector<uint8_t>& records)
{
    const size_t size = records.size() + 10;
    auto* program = static_cast<uint8_t*>(AllocVec(static_cast<uint32_t>(size)));
    if (program == nullptr)
        return nullptr;
    std::memset(program, 0, size);
    if (!records.empty())
        std::memcpy(program, records.data(), records.size());
    return program;
}

void free_loaded_frame(Frame* frame)
{
    FreeStr(frame->fr_Name);
    FreeVec(frame->fr_Palette);
    for (uint8_t* program : frame->fr_Programs)
        FreeVec(program);
    FreeVec(frame);
}

namespace {

// The next line that holds something after its comment is cut and its ends stripped;
// NULL at the end of the file.
char* read_frame_line(FileHandle* file, char* buffer)
{
    while (FGets(file, buffer, kLineSize) != nullptr) {
        if (char* comment = std::strchr(buffer, ';'); comment != nullptr)
            *comment = '\0';
        StrStrip(buffer, 'B');
        if (buffer[0] != '\0')
            return buffer;
    }
    return nullptr;
}

int slot_of(const char* name)
{
    for (int slot = 0; slot < FRAME_SLOTS; ++slot) {
        if (std::strcmp(name, kSlotNames[slot]) == 0)
            return slot;
    }
    return -1;
}

char* copy_of(const char* text, size_t length)
{
    char* copy = AllocStr(static_cast<uint32_t>(length), nullptr);
    if (copy != nullptr) {
        std::memcpy(copy, text, length);
        copy[length] = '\0';
    }
    return copy;
}

// The name of a 'T' line: between the first and the last double quote, or the
// stripped rest. A single quote takes the rest of the line after it.
char* header_name(const char* rest)
{
    while (*rest == ' ' || *rest == '\t')
        ++rest;
    if (rest[0] == '"') {
        const char* last = std::strrchr(rest, '"');
        if (last != rest)
            return copy_of(rest + 1, static_cast<size_t>(last - rest - 1));
        return copy_of(rest + 1, std::strlen(rest + 1));
    }
    return copy_of(rest, std::strlen(rest));
}

enum class Section {
    None,
    Palette,
    Program,
    Skip
};

Frame* read_frame(FileHandle* file, char* line)
{
    if (FGets(file, line, kLineSize) == nullptr)
        return nullptr;
    int32_t version = 0;
    if (ReadVersion(line, &version, nullptr) == 0 || version != 1) {
        set_io_error(IoErrObjectInvalid);
        return nullptr;
    }
    const char* header = read_frame_line(file, line);
    if (header == nullptr || header[0] != 'T') {
        set_io_error(IoErrObjectInvalid);
        return nullptr;
    }
    char* end = nullptr;
    const int32_t id = StrToLong(header + 1, &end, 0);
    char* name = header_name(end != nullptr ? end : header + 1);
    auto* frame = static_cast<Frame*>(AllocVec(sizeof(Frame)));
    if (frame == nullptr) {
        FreeStr(name);
        return nullptr;
    }
    std::memset(frame, 0, sizeof(Frame));
    frame->fr_ID = static_cast<uint32_t>(id);
    frame->fr_Name = name;
    frame->fr_Flags = FRAMEF_LOADED;
    std::array<Colour, kMaxPalette> palette{};
    uint32_t palette_count = 0;
    std::vector<uint8_t> records;
    Section section = Section::None;
    int slot = -1;
    auto finish_section = [&] {
        if (section == Section::Program && slot >= 0)
            frame->fr_Programs[slot] = compile_frame_program(records);
        records.clear();
        section = Section::None;
    };
    while (char* text = read_frame_line(file, line)) {
        if (text[0] == '#') {
            finish_section();
            char* section_name = StrStrip(text + 1, 'B');
            if (std::strcmp(section_name, "END") == 0)
                break;
            if (std::strcmp(section_name, "MARGIN") == 0) {
                if (const char* values = read_frame_line(file, line); values != nullptr) {
                    Operands margins(values);
                    for (int32_t& margin : frame->fr_Margins)
                        margin = margins.next();
                }
                continue;
            }
            if (std::strcmp(section_name, "PALETTE") == 0) {
                section = Section::Palette;
                continue;
            }
            slot = slot_of(section_name);
            // A slot that already holds a program keeps it: the section is dropped.
            section =
                slot >= 0 && frame->fr_Programs[slot] == nullptr ? Section::Program : Section::Skip;
            continue;
        }
        if (section == Section::Palette) {
            // At most 256 entries in all, whatever the number of palette sections.
            if (palette_count < kMaxPalette)
                palette[palette_count++] = static_cast<Colour>(Operands(text).next());
        } else if (section == Section::Program) {
            parse_frame_command(text, records);
        }
    }
    finish_section();
    if (palette_count > 0) {
        auto* colours = static_cast<Colour*>(AllocVec(palette_count * sizeof(Colour)));
        if (colours != nullptr) {
            std::memcpy(colours, palette.data(), palette_count * sizeof(Colour));
            frame->fr_Palette = colours;
            frame->fr_PaletteCount = palette_count;
        }
    }
    return frame;
}

}

Frame* read_frame_file(FileHandle* file)
{
    auto* line = static_cast<char*>(AllocVec(kLineSize));
    if (line == nullptr)
        return nullptr;
    Frame* frame = nullptr;
    try {
        frame = read_frame(file, line);
    } catch (const std::bad_alloc&) {
        set_io_error(IoErrNoMemory);
    }
    FreeVec(line);
    return frame;
}

}

extern "C" {

OSMARK_API Frame* LoadFrame(const char* path) noexcept
{
    FileHandle* file = Open(path, FileModeRead);
    if (file == nullptr)
        return nullptr;
    Frame* frame = osmark::graphics::read_frame_file(file);
    Close(file);
    return frame;
}
}
