// What the parts of the IGES reader share: the working state of one read, the
// parameter readers, the transformation matrix, and the conversion of one directory
// entry (common part and per entity type).
#ifndef HALVERN_MODEL_IGES_INTERNAL_H
#define HALVERN_MODEL_IGES_INTERNAL_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "halvern/drawing.h"
#include "halvern/iges.h"
#include "halvern/items.h"
#include "osmark/paged_array.h"

namespace halvern::iges {

// Record layout: 80 columns; columns 1-72 data (1-64 in the parameter section), 73
// the section letter, 74-80 the sequence number.
inline constexpr size_t kRecordLength = 80;
inline constexpr size_t kDataColumns = 72;
inline constexpr size_t kParameterColumns = 64;
inline constexpr uint32_t kRecordsPerPage = 500;
// Hollerith strings are read into buffers of this size: at most 4095 characters.
inline constexpr size_t kStringCapacity = 4096;
// Text buffers start at, and grow by, this many bytes.
inline constexpr uint32_t kTextStep = 4096;
// Entries nest at most this deep below a top-level entry.
inline constexpr int32_t kMaxDepth = 50;

// ---- Text buffers -----------------------------------------------------------------------

// A NUL-terminated text in a growable AllocVec block.
class TextBuffer {
public:
    TextBuffer() = default;
    ~TextBuffer();
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    // A new empty block of capacity bytes; false when memory fails.
    bool allocate(uint32_t capacity) noexcept;
    // Makes room for length bytes of text plus the NUL, moving the text into a block
    // larger by at least kTextStep; false when memory fails (the text stays).
    bool reserve(size_t length) noexcept;
    char* data() const noexcept { return m_data; }
    size_t capacity() const noexcept { return m_capacity; }

private:
    char* m_data = nullptr;
    size_t m_capacity = 0;
};

// ---- Parameter readers ------------------------------------------------------------------
//
// Each reads one parameter at position: nothing at a NUL or the record delimiter (the
// position stays), nothing for an omitted parameter (the position moves past its
// delimiter); otherwise the value, then past the next parameter delimiter and any
// blanks after it. A value that is not read keeps what the caller preset.

char* IGESReadInt(char* position, int32_t* value, char parameter_delimiter,
                  char record_delimiter) noexcept;
// Fortran exponents (1.5D2) are read as 1.5E2.
char* IGESReadReal(char* position, double* value, char parameter_delimiter,
                   char record_delimiter) noexcept;
// A Hollerith string (5HHello) into value, a buffer of kStringCapacity bytes: cut to
// 4095 characters, stripped of white space at both ends. Without an 'H' the text ends
// here: the current byte becomes the record delimiter.
char* IGESReadString(char* position, char* value, char parameter_delimiter,
                     char record_delimiter) noexcept;
// The 8-column field of a stored directory line at the column offset, base 10; blanks
// read as 0.
int32_t IGESDirectoryField(const char* line, int32_t offset) noexcept;

// A cursor over the parameter text of one entry.
class Parameters {
public:
    Parameters(char* text, char parameter_delimiter, char record_delimiter) noexcept
        : m_position(text), m_parameter_delimiter(parameter_delimiter),
          m_record_delimiter(record_delimiter)
    {
    }

    int32_t integer(int32_t preset) noexcept;
    double real(double preset = 0.0) noexcept;
    // Reads a string into value (kStringCapacity bytes), which keeps its text when
    // the parameter is missing.
    void string(char* value) noexcept;
    // true when the text left could hold count more parameters: each takes at least
    // one byte, so a count beyond the bytes left is a count the entry does not have.
    bool can_hold(int64_t count) const noexcept;

private:
    char* m_position;
    char m_parameter_delimiter;
    char m_record_delimiter;
};

// ---- Transformation matrix ----------------------------------------------------------------

struct Matrix {
    bool present = false;      // the entry names a matrix
    double r[3][4] = {};       // R11 R12 R13 T1 / R21 R22 R23 T2 / R31 R32 R33 T3
};

// Maps the point by the matrix, but only when the matrix keeps the plane (|R13| and
// |R23| below 0.001) and the entry names one; otherwise the point stays.
void IGESApplyMatrix(const Matrix& matrix, Point3DRec& point) noexcept;
// True when IGESApplyMatrix maps points with this matrix.
bool is_applied(const Matrix& matrix) noexcept;

// ---- One read ---------------------------------------------------------------------------

// One entry on the chain of entries being converted, outermost first.
struct ChainLink {
    int32_t index; // directory index of the entry's first line
    int32_t type;
};

struct Reader {
    explicit Reader(DXFDrawingRec& target) noexcept : drawing(target) {}

    DXFDrawingRec& drawing;
    PagedArray* directory = nullptr;  // 73-byte records: columns 1-72 of each D record
    PagedArray* parameters = nullptr; // 65-byte records: columns 1-64 of each P record
    int32_t directory_count = 0;      // from the terminate record
    int32_t parameter_count = 0;
    char parameter_delimiter = ',';
    char record_delimiter = ';';
    double unit_factor = 1.0;
    IGESEntityCallback callback = nullptr;
    void* user = nullptr;
    bool top_level = true;
    // Entries being converted; an entry met again inside its own chain converts
    // nothing, so cycles of references end at once.
    std::vector<ChainLink> chain;
    // INSERTs made before their subfigure definition, resolved after the pass.
    std::vector<ItemRec*> pending_inserts;
    // Conversions cost one unit plus one per parameter record; the budget is a
    // multiple of the file's records, so references shared over and over cannot make
    // the work grow beyond any bound.
    uint64_t work_left = 0;
    // Set once the budget has run out: the read then ends with -25.
    bool work_exhausted = false;

    double unit(double value) const noexcept { return value * unit_factor; }
    uint32_t stored_directory() const noexcept;
    uint32_t stored_parameters() const noexcept;
    // The stored line at index (columns 1-72), or NULL beyond the stored records.
    const char* directory_line(int64_t index) const noexcept;
    const char* parameter_line(int64_t index) const noexcept;
};

// What a conversion is asked to do.
struct Request {
    ItemBufferRec* target = nullptr;
    const char* line1 = nullptr;
    const char* line2 = nullptr;
    int32_t index = -1;        // directory index of line1
    bool nested = false;
    int32_t depth = 0;
    int32_t inherited_level = -1;
    ItemRec* parent = nullptr; // composite that surfaces fill
};

// One entry being converted: the request, its directory fields and what the maps
// made of them.
struct Entry {
    Request request;
    int32_t type = 0;
    int32_t parameter_pointer = 0;
    int32_t line_font = 0;
    int32_t level = 0;
    int32_t matrix_pointer = 0;
    int32_t status = 0;
    int32_t colour_number = 0;
    int32_t line_count = 0;
    int32_t form = 0;
    int32_t subordinate = 0;
    int32_t hierarchy = 0;
    // Item fields from the maps.
    int32_t layer = 0;
    int32_t colour = 0;
    int32_t line_type = 0;
    // The level handed to members: this entry's level, or -1 to keep their own.
    int32_t member_level = -1;
};

// Converts one directory entry (both lines) into items appended to request.target.
// text is the parameter text buffer, grown as needed. 0, a negative code or 1.
int32_t IGESConvertEntity(Reader& reader, const Request& request, TextBuffer& text) noexcept;

// Copies line_count parameter records from pointer on into text; 0, -25 or -1.
int32_t assemble_parameters(Reader& reader, int32_t pointer, int32_t line_count,
                            TextBuffer& text) noexcept;

// Reads the matrix the entry names (none: not present); 0, 1 when it cannot be read,
// or -1 when memory runs out.
int32_t IGESReadMatrix(Reader& reader, const Entry& entry, Matrix& matrix) noexcept;

// Converts the entry named by pointer into target, as a member of entry. in_range
// is false when the pointer names no stored entry (result 0) or no text buffer could
// be had (result -1): the caller's loop or case then ends with that result.
struct MemberResult {
    bool in_range;
    int32_t result;
};
MemberResult convert_member(Reader& reader, const Entry& entry, int32_t pointer,
                            ItemBufferRec* target, ItemRec* parent) noexcept;

// A new item with the entry's layer, colour and line type and ih_Line 0; NULL when
// the size does not fit or memory fails.
ItemRec* create_item(Reader& reader, const Entry& entry, int32_t type, int64_t extra) noexcept;
// Appends the item to target: AddItem for the drawing's own buffers, AddItemPool for
// a composite's member lists. 1, or 0 when it was not added.
int32_t IGESAddItem(Reader& reader, ItemRec* item, ItemBufferRec* target) noexcept;

// ---- Conversion by entity type ------------------------------------------------------------
// Each reads the entry's parameters after the type and returns 0, a negative code or 1.

int32_t convert_arc(Reader& reader, const Entry& entry, Parameters& parameters) noexcept;
int32_t convert_composite_curve(Reader& reader, const Entry& entry, Parameters& parameters) noexcept;
int32_t convert_conic(Reader& reader, const Entry& entry, Parameters& parameters) noexcept;
int32_t convert_copious_data(Reader& reader, const Entry& entry, Parameters& parameters) noexcept;
int32_t convert_line(Reader& reader, const Entry& entry, Parameters& parameters) noexcept;
int32_t convert_parametric_spline(Reader& reader, const Entry& entry, Parameters& parameters) noexcept;
int32_t convert_point(Reader& reader, const Entry& entry, Parameters& parameters) noexcept;
int32_t convert_bspline_curve(Reader& reader, const Entry& entry, Parameters& parameters) noexcept;
int32_t convert_note(Reader& reader, const Entry& entry, Parameters& parameters) noexcept;
int32_t convert_subfigure(Reader& reader, const Entry& entry, Parameters& parameters) noexcept;
int32_t convert_instance(Reader& reader, const Entry& entry, Parameters& parameters) noexcept;

int32_t convert_plane(Reader& reader, const Entry& entry, Parameters& parameters) noexcept;
int32_t convert_ruled_surface(Reader& reader, const Entry& entry, Parameters& parameters) noexcept;
int32_t convert_revolution(Reader& reader, const Entry& entry, Parameters& parameters) noexcept;
int32_t convert_tabulated_cylinder(Reader& reader, const Entry& entry, Parameters& parameters) noexcept;
int32_t convert_bspline_surface(Reader& reader, const Entry& entry, Parameters& parameters) noexcept;
int32_t convert_curve_on_surface(Reader& reader, const Entry& entry, Parameters& parameters) noexcept;
int32_t convert_trimmed_surface(Reader& reader, const Entry& entry, Parameters& parameters) noexcept;

// Places an arc (centre, radius, angles, direction) by the matrix: the centre and
// the end points are mapped, the angles re-derived from them, and the direction
// turned when the mapped middle point leaves the arc (a mirroring matrix).
void transform_arc(const Matrix& matrix, ArcRec& arc) noexcept;

}

#endif
