// The common part of converting one IGES directory entry: its directory fields, the
// maps of line font, colour and level, its parameter text, its matrix, its members,
// and the dispatch on its entity type.

#include <algorithm>
#include <charconv>
#include <cstring>

#include "iges/iges_internal.h"
#include "model/make_error.h"
#include "osmark/errors.h"
#include "osmark/memory.h"

namespace halvern::iges {

namespace {

// Columns (0-based offsets) of the directory fields.
constexpr int32_t kTypeColumn = 0;
constexpr int32_t kParameterPointerColumn = 8;
constexpr int32_t kLineFontColumn = 24;
constexpr int32_t kLevelColumn = 32;
constexpr int32_t kMatrixColumn = 48;
constexpr int32_t kStatusColumn = 64;
constexpr int32_t kColourColumn = 16;
constexpr int32_t kLineCountColumn = 24;
constexpr int32_t kFormColumn = 32;

constexpr int32_t kMatrixType = 124;

// IGES line fonts 1 to 5 and colour numbers 1 to 8 as line-type indexes and DXF
// colour numbers; anything else is 0.
constexpr int32_t kLineTypeOfFont[] = {0, 0, 1, 5, 4, 2};
constexpr int32_t kColourOfNumber[] = {0, 0, 12, 91, 171, 50, 211, 131, 7};

int32_t line_type_of_font(int32_t font)
{
    return font >= 1 && font <= 5 ? kLineTypeOfFont[font] : 0;
}

int32_t colour_of_number(int32_t number)
{
    return number >= 1 && number <= 8 ? kColourOfNumber[number] : 0;
}

// Takes the entry off the chain when its conversion ends.
class ChainGuard {
public:
    ChainGuard(Reader& reader, ChainLink link) : m_reader(reader) { m_reader.chain.push_back(link); }
    ~ChainGuard() { m_reader.chain.pop_back(); }
    ChainGuard(const ChainGuard&) = delete;
    ChainGuard& operator=(const ChainGuard&) = delete;

private:
    Reader& m_reader;
};

bool is_on_chain(const Reader& reader, int32_t index)
{
    return index >= 0 && std::any_of(reader.chain.begin(), reader.chain.end(),
                                     [index](const ChainLink& link) { return link.index == index; });
}

void read_directory_fields(Entry& entry)
{
    const char* line1 = entry.request.line1;
    const char* line2 = entry.request.line2;
    entry.type = IGESDirectoryField(line1, kTypeColumn);
    entry.parameter_pointer = IGESDirectoryField(line1, kParameterPointerColumn);
    entry.line_font = IGESDirectoryField(line1, kLineFontColumn);
    entry.level = IGESDirectoryField(line1, kLevelColumn);
    entry.matrix_pointer = IGESDirectoryField(line1, kMatrixColumn);
    entry.status = IGESDirectoryField(line1, kStatusColumn);
    entry.colour_number = IGESDirectoryField(line2, kColourColumn);
    entry.line_count = IGESDirectoryField(line2, kLineCountColumn);
    entry.form = IGESDirectoryField(line2, kFormColumn);
    // Status digits: blank status (2), subordinate switch (2), use (2), hierarchy (2).
    entry.subordinate = (entry.status % 1000000) / 10000;
    entry.hierarchy = entry.status % 100;
}

// The layer named by the level number ("0" for a negative level).
int32_t layer_of_level(Reader& reader, int32_t level)
{
    char name[16] = {};
    std::to_chars(name, name + sizeof name - 1, std::max(level, 0));
    return GetLayer(&reader.drawing.dxf_LayerTable, name);
}

int32_t dispatch(Reader& reader, const Entry& entry, Parameters& parameters)
{
    switch (entry.type) {
    case 100: return convert_arc(reader, entry, parameters);
    case 102: return convert_composite_curve(reader, entry, parameters);
    case 104: return convert_conic(reader, entry, parameters);
    case 106: return convert_copious_data(reader, entry, parameters);
    case 108: return convert_plane(reader, entry, parameters);
    case 110: return convert_line(reader, entry, parameters);
    case 112: return convert_parametric_spline(reader, entry, parameters);
    case 116: return convert_point(reader, entry, parameters);
    case 118: return convert_ruled_surface(reader, entry, parameters);
    case 120: return convert_revolution(reader, entry, parameters);
    case 122: return convert_tabulated_cylinder(reader, entry, parameters);
    case 126: return convert_bspline_curve(reader, entry, parameters);
    case 128: return convert_bspline_surface(reader, entry, parameters);
    case 142: return convert_curve_on_surface(reader, entry, parameters);
    case 144: return convert_trimmed_surface(reader, entry, parameters);
    case 212: return convert_note(reader, entry, parameters);
    case 308: return convert_subfigure(reader, entry, parameters);
    case 408: return convert_instance(reader, entry, parameters);
    case 0:
    case kMatrixType: return 0;
    default:
        if (reader.callback != nullptr)
            reader.callback(entry.type, reader.user);
        return 0;
    }
}

}

// ---- Reader -----------------------------------------------------------------------------

uint32_t Reader::stored_directory() const noexcept
{
    return PagedArrayGetCount(directory);
}

uint32_t Reader::stored_parameters() const noexcept
{
    return PagedArrayGetCount(parameters);
}

const char* Reader::directory_line(int64_t index) const noexcept
{
    if (index < 0 || index >= stored_directory())
        return nullptr;
    return static_cast<const char*>(PagedArrayGet(directory, static_cast<uint32_t>(index)));
}

const char* Reader::parameter_line(int64_t index) const noexcept
{
    if (index < 0 || index >= stored_parameters())
        return nullptr;
    return static_cast<const char*>(PagedArrayGet(parameters, static_cast<uint32_t>(index)));
}

// ---- Shared steps -----------------------------------------------------------------------

int32_t assemble_parameters(Reader& reader, int32_t pointer, int32_t line_count,
                            TextBuffer& text) noexcept
{
    if (pointer < 1 || pointer > reader.parameter_count || line_count < 1)
        return make_error(IoErrObjectInvalid);
    const int64_t first = int64_t{pointer} - 1;
    // Every record must be there before any is copied.
    if (first + line_count > reader.stored_parameters())
        return make_error(IoErrObjectInvalid);
    // Each record costs work, so that entries sharing one huge parameter block cannot
    // make the reader copy it without bound.
    if (reader.work_left < static_cast<uint64_t>(line_count)) {
        reader.work_exhausted = true;
        return make_error(IoErrObjectInvalid);
    }
    reader.work_left -= static_cast<uint64_t>(line_count);
    size_t length = 0;
    if (!text.reserve(0))
        return make_error(IoErrNoMemory);
    for (int64_t i = first; i < first + line_count; ++i) {
        const char* line = reader.parameter_line(i);
        const size_t columns = std::min(std::strlen(line), kParameterColumns);
        if (!text.reserve(length + columns))
            return make_error(IoErrNoMemory);
        std::memcpy(text.data() + length, line, columns);
        length += columns;
    }
    text.data()[length] = '\0';
    return 0;
}

int32_t IGESReadMatrix(Reader& reader, const Entry& entry, Matrix& matrix) noexcept
{
    matrix = Matrix{};
    const int32_t pointer = entry.matrix_pointer;
    if (pointer == 0)
        return 0;
    constexpr int32_t kUnreadable = 1;
    if (pointer < 1 || pointer > reader.directory_count ||
        int64_t{pointer} - 1 >= int64_t{reader.stored_directory()} - 1)
        return kUnreadable;
    const char* line1 = reader.directory_line(pointer - 1);
    const char* line2 = reader.directory_line(pointer);
    if (IGESDirectoryField(line1, kTypeColumn) != kMatrixType)
        return kUnreadable;
    TextBuffer text;
    const int32_t assembled = assemble_parameters(reader, IGESDirectoryField(line1, kParameterPointerColumn),
                                                  IGESDirectoryField(line2, kLineCountColumn), text);
    // Memory and the work budget end the read with their own codes.
    if (assembled == IoErrNoMemory || (assembled != 0 && reader.work_exhausted))
        return assembled;
    if (assembled != 0)
        return kUnreadable;
    Parameters parameters(text.data(), reader.parameter_delimiter, reader.record_delimiter);
    parameters.integer(0);
    for (auto& row : matrix.r) {
        for (int column = 0; column < 4; ++column)
            row[column] = parameters.real();
        row[3] = reader.unit(row[3]);
    }
    matrix.present = true;
    return 0;
}

MemberResult convert_member(Reader& reader, const Entry& entry, int32_t pointer,
                            ItemBufferRec* target, ItemRec* parent) noexcept
{
    const int64_t index = int64_t{pointer} - 1;
    if (index < 0 || index >= int64_t{reader.stored_directory()} - 1)
        return {false, 0};
    TextBuffer text;
    if (!text.allocate(kTextStep))
        return {false, make_error(IoErrNoMemory)};
    Request request;
    request.target = target;
    request.line1 = reader.directory_line(index);
    request.line2 = reader.directory_line(index + 1);
    request.index = static_cast<int32_t>(index);
    request.nested = true;
    request.depth = entry.request.depth + 1;
    request.inherited_level = entry.member_level;
    request.parent = parent;
    return {true, IGESConvertEntity(reader, request, text)};
}

ItemRec* create_item(Reader& reader, const Entry& entry, int32_t type, int64_t extra) noexcept
{
    if (extra < INT32_MIN || extra > INT32_MAX)
        return nullptr;
    ItemRec* item = CreateItem(type, static_cast<int32_t>(extra), entry.layer, entry.colour,
                               entry.line_type, reader.drawing.dxf_Pool);
    if (item != nullptr)
        item->it_Header.ih_Line = 0;
    return item;
}

int32_t IGESAddItem(Reader& reader, ItemRec* item, ItemBufferRec* target) noexcept
{
    DXFDrawingRec& drawing = reader.drawing;
    if (target == &drawing.dxf_ItemBuffer || target == &drawing.dxf_BlockItemBuffer)
        return AddItem(&drawing, target, item);
    return AddItemPool(&drawing, target, item, drawing.dxf_Pool);
}

// ---- The conversion of one entry --------------------------------------------------------

int32_t IGESConvertEntity(Reader& reader, const Request& request, TextBuffer& text) noexcept
{
    if (request.depth > kMaxDepth || is_on_chain(reader, request.index))
        return 0;
    Entry entry;
    entry.request = request;
    read_directory_fields(entry);
    if (request.inherited_level >= 0)
        entry.level = request.inherited_level;
    entry.member_level = entry.hierarchy == 0 ? entry.level : -1;
    if (reader.top_level && !request.nested && entry.subordinate == 1)
        return 0;

    // Every conversion costs one unit, whatever its parameter text.
    if (reader.work_left == 0) {
        reader.work_exhausted = true;
        return make_error(IoErrObjectInvalid);
    }
    --reader.work_left;

    entry.line_type = line_type_of_font(entry.line_font);
    entry.colour = colour_of_number(entry.colour_number);
    entry.layer = layer_of_level(reader, entry.level);

    if (const int32_t result =
            assemble_parameters(reader, entry.parameter_pointer, entry.line_count, text);
        result != 0)
        return result;
    Parameters parameters(text.data(), reader.parameter_delimiter, reader.record_delimiter);
    parameters.integer(0);

    const ChainGuard guard(reader, {request.index, entry.type});
    return dispatch(reader, entry, parameters);
}

}
