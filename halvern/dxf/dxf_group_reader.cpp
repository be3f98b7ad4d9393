// DXF group reading: the value-type table, encoding detection and the ASCII and binary
// group readers.
//
// The readers work straight on the stream's buffer (osmark/file_buffer.h): a line is
// located with a word-wide scan and, when it is a number, parsed where it lies; a
// string is located and copied in one run. Only when the buffer runs dry is it refilled.
// The numbers of binary files stay numbers until someone asks for their text.

#include "dxf/dxf_group_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <span>

#include "dxf/dxf_group_reader_numbers.h"
#include "model/make_error.h"

#include "osmark/errors.h"
#include "osmark/file_buffer.h"
#include "osmark/format.h"
#include "osmark/strings.h"

namespace halvern {

constinit thread_local int32_t DXFLineCounter = 0;

}

namespace {

// ---------------------------------------------------------------------------------------
// Value types

struct CodeRange {
    int32_t first;
    int32_t last;
    uint8_t type;
};

// The value types that DXF readers have always known, searched in this order.
constexpr CodeRange kCodeRanges[] = {
    {0, 9, DXFValueString},        {10, 59, DXFValueReal},       {60, 79, DXFValueInt16},
    {90, 99, DXFValueInt32},       {100, 100, DXFValueString},   {102, 102, DXFValueString},
    {105, 105, DXFValueString},    {110, 149, DXFValueReal},     {170, 179, DXFValueInt16},
    {210, 239, DXFValueReal},      {270, 289, DXFValueInt16},    {290, 299, DXFValueBoolean},
    {300, 369, DXFValueString},    {370, 389, DXFValueInt16},    {390, 399, DXFValueString},
    {400, 409, DXFValueInt16},     {410, 419, DXFValueString},   {999, 999, DXFValueString},
    {1000, 1009, DXFValueString},  {1010, 1059, DXFValueReal},   {1060, 1070, DXFValueInt16},
    {1071, 1071, DXFValueInt32},
};
static_assert(std::size(kCodeRanges) == 22);

// The codes that files from R13 on use besides: 64-bit integers, true colours and
// transparency (32-bit), colour names and further handles (strings), and reals.
constexpr CodeRange kLaterCodeRanges[] = {
    {160, 169, DXFValueInt64},  {420, 429, DXFValueInt32},  {430, 439, DXFValueString},
    {440, 459, DXFValueInt32},  {460, 469, DXFValueReal},   {470, 481, DXFValueString},
};

constexpr int32_t kHighestTypedCode = 1071;

// The ranges as a direct table: one load per group instead of a search.
constexpr auto kValueTypes = [] {
    std::array<uint8_t, kHighestTypedCode + 1> table{};
    for (const auto& ranges : {std::span<const CodeRange>(kCodeRanges),
                               std::span<const CodeRange>(kLaterCodeRanges)}) {
        for (const CodeRange& range : ranges) {
            for (int32_t code = range.first; code <= range.last; ++code) {
                if (table[static_cast<size_t>(code)] == DXFValueNone)
                    table[static_cast<size_t>(code)] = range.type;
            }
        }
    }
    return table;
}();

int32_t value_type(int32_t code)
{
    if (code < 0 || code > kHighestTypedCode)
        return DXFValueNone;
    return kValueTypes[static_cast<size_t>(code)];
}

// How a value lies in a binary file: by its type, but for the booleans (one byte) and
// the binary chunks of 310 to 319 and 1004, which are strings in ASCII files (hex
// text) and a length byte and that many bytes in binary ones.
enum class BinaryForm : uint8_t { None, String, Real, Int16, Int32, Int64, Boolean, Chunk };

constexpr auto kBinaryForms = [] {
    std::array<BinaryForm, kHighestTypedCode + 1> table{};
    for (size_t code = 0; code < table.size(); ++code) {
        switch (kValueTypes[code]) {
        case DXFValueString: table[code] = BinaryForm::String; break;
        case DXFValueReal: table[code] = BinaryForm::Real; break;
        case DXFValueInt64: table[code] = BinaryForm::Int64; break;
        case DXFValueInt16: table[code] = BinaryForm::Int16; break;
        case DXFValueInt32: table[code] = BinaryForm::Int32; break;
        case DXFValueBoolean: table[code] = BinaryForm::Boolean; break;
        default: table[code] = BinaryForm::None; break;
        }
    }
    for (size_t code = 310; code <= 319; ++code)
        table[code] = BinaryForm::Chunk;
    table[1004] = BinaryForm::Chunk;
    return table;
}();

BinaryForm binary_form(int32_t code)
{
    if (code < 0 || code > kHighestTypedCode)
        return BinaryForm::None;
    return kBinaryForms[static_cast<size_t>(code)];
}

// A one-byte code of this value announces the code as a 16-bit integer.
constexpr uint8_t kWideCodeEscape = 255;

constexpr int32_t kCommentCode = 999;

// ---------------------------------------------------------------------------------------
// Bytes

// The unread bytes of the stream's buffer, refilled when it ran dry; count is 0 at the
// end of the file (or on a read error).
const uint8_t* buffered_bytes(FileHandle* fh, int32_t& count)
{
    const uint8_t* bytes = FileBufferPeek(fh, &count);
    if (count > 0)
        return bytes;
    if (FileBufferRefill(fh) == 0)
        return bytes;
    return FileBufferPeek(fh, &count);
}

// ---------------------------------------------------------------------------------------
// Lines

bool is_line_end(uint8_t byte)
{
    return byte == '\n' || byte == '\r';
}

// After a CR: a following LF belongs to the same line end; any other byte stays unread.
void finish_carriage_return(FileHandle* fh)
{
    int32_t count = 0;
    const uint8_t* bytes = buffered_bytes(fh, count);
    if (count > 0 && *bytes == '\n')
        FileBufferConsume(fh, 1);
}

// Reads one line (without its LF, CR or CR LF) into buffer, keeping at most size - 1
// bytes of it: the rest of a longer line is read and dropped. Returns the length kept,
// or -1 when the file ends before the line's first byte.
int32_t read_line(FileHandle* fh, char* buffer, int32_t size)
{
    const int32_t room = size - 1;
    int32_t length = 0;
    bool consumed = false;
    for (;;) {
        int32_t count = 0;
        const uint8_t* start = buffered_bytes(fh, count);
        if (count == 0) {
            if (!consumed)
                return -1;
            break;
        }
        const uint8_t* end = start + count;
        const uint8_t* stop = start;
        while (stop != end && !is_line_end(*stop))
            ++stop;
        const auto run = static_cast<int32_t>(stop - start);
        const int32_t kept = std::min(run, room - length);
        if (kept > 0) {
            std::memcpy(buffer + length, start, static_cast<size_t>(kept));
            length += kept;
        }
        consumed = consumed || run > 0;
        if (stop == end) {
            FileBufferConsume(fh, run);
            continue;
        }
        const bool carriage_return = *stop == '\r';
        FileBufferConsume(fh, run + 1);
        if (carriage_return)
            finish_carriage_return(fh);
        break;
    }
    buffer[length] = '\0';
    return length;
}

// The first CR or LF in [p, end), or end. Eight bytes at a time: a byte equal to CR or
// LF becomes a zero byte after the XOR, and the lowest flagged byte of the zero test is
// always a true zero (only bytes above a zero can be flagged falsely).
const uint8_t* find_line_end(const uint8_t* p, const uint8_t* end)
{
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHighs = 0x8080808080808080ull;
    while (end - p >= 8) {
        uint64_t word = 0;
        std::memcpy(&word, p, 8);
        const uint64_t lf = word ^ (kOnes * '\n');
        const uint64_t cr = word ^ (kOnes * '\r');
        const uint64_t zeros = ((lf - kOnes) & ~lf & kHighs) | ((cr - kOnes) & ~cr & kHighs);
        if (zeros != 0)
            return p + std::countr_zero(zeros) / 8;
        p += 8;
    }
    while (p != end && !is_line_end(*p))
        ++p;
    return p;
}

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

// A code line: blanks, an optional sign, blanks, decimal digits, blanks and nothing
// else. A number outside 32 bits is no code either. The line is length bytes, read as
// a C string (a NUL ends it).
bool parse_code(const char* line, int32_t length, int32_t& code)
{
    // A NUL ends the text like the end of the line; no loop below steps over one.
    const char* end = line + length;
    const char* p = line;
    while (p != end && is_blank(*p))
        ++p;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
        while (p != end && is_blank(*p))
            ++p;
    }
    if (p == end || *p < '0' || *p > '9')
        return false;
    int64_t value = 0;
    for (; p != end && *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > int64_t{INT32_MAX} + 1)
            return false;
    }
    while (p != end && is_blank(*p))
        ++p;
    if (p != end && *p != '\0')
        return false;
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return false;
    code = static_cast<int32_t>(value);
    return true;
}

// Osmark's white space, which StrStrip removes.
bool is_white_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// StrStrip(text, 'B'): white space off both ends of the C string, which ends at the
// latest at text[bound].
void strip(char* text, size_t bound)
{
    size_t length = 0;
    while (length < bound && text[length] != '\0')
        ++length;
    while (length > 0 && is_white_space(text[length - 1]))
        --length;
    text[length] = '\0';
    size_t first = 0;
    while (is_white_space(text[first]))
        ++first;
    if (first != 0)
        std::memmove(text, text + first, length - first + 1);
}

// ---------------------------------------------------------------------------------------
// Binary values

// Reads bytes up to and including a NUL into value, which holds size bytes: a string
// of at most size - 1 characters. Its length, or -1 when the file ends first or no NUL
// comes within size bytes; value is terminated in every case.
int32_t read_string(FileHandle* fh, char* value, int32_t size)
{
    int32_t length = 0;
    while (length < size) {
        int32_t count = 0;
        const uint8_t* start = buffered_bytes(fh, count);
        if (count == 0)
            break;
        const int32_t scan = std::min(count, size - length);
        const auto* nul =
            static_cast<const uint8_t*>(std::memchr(start, 0, static_cast<size_t>(scan)));
        const int32_t run = nul != nullptr ? static_cast<int32_t>(nul - start) + 1 : scan;
        std::memcpy(value + length, start, static_cast<size_t>(run));
        FileBufferConsume(fh, run);
        length += run;
        if (nul != nullptr)
            return length - 1;
    }
    value[std::min(length, size - 1)] = '\0';
    return -1;
}

[[gnu::noinline]] bool read_exact_slowly(FileHandle* fh, uint8_t* bytes, int32_t count)
{
    int32_t done = 0;
    while (done < count) {
        int32_t available = 0;
        const uint8_t* start = buffered_bytes(fh, available);
        if (available == 0)
            return false;
        const int32_t run = std::min(available, count - done);
        std::memcpy(bytes + done, start, static_cast<size_t>(run));
        FileBufferConsume(fh, run);
        done += run;
    }
    return true;
}

bool read_exact(FileHandle* fh, uint8_t* bytes, int32_t count)
{
    int32_t available = 0;
    const uint8_t* start = FileBufferPeek(fh, &available);
    if (available >= count) [[likely]] {
        std::memcpy(bytes, start, static_cast<size_t>(count));
        FileBufferConsume(fh, count);
        return true;
    }
    return read_exact_slowly(fh, bytes, count);
}

// Little-endian fields, assembled byte by byte.
uint64_t little_endian(const uint8_t* bytes, int32_t count)
{
    if constexpr (std::endian::native == std::endian::little) {
        uint64_t value = 0;
        std::memcpy(&value, bytes, static_cast<size_t>(count));
        return value;
    }
    uint64_t value = 0;
    for (int32_t i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

// Longest "%15.15lf" text: 309 integer digits, sign, point and 15 decimals.
constexpr int32_t kNumberText = 400;

// Puts formatted text into value, cut to what value holds.
void store_text(char* value, int32_t size, const char* text, int32_t length)
{
    const int32_t kept = std::clamp(length, 0, size - 1);
    std::memcpy(value, text, static_cast<size_t>(kept));
    value[kept] = '\0';
}

void store_real(char* value, int32_t size, double real)
{
    char text[kNumberText];
    const int32_t length = SnPrintf(text, kNumberText, "%15.15lf", real);
    store_text(value, size, text, std::min(length, kNumberText - 1));
}

void store_integer(char* value, int32_t size, int32_t integer)
{
    char text[32];
    const int32_t length = SnPrintf(text, 32, "%ld", integer);
    store_text(value, size, text, std::min(length, 31));
}

void store_integer64(char* value, int32_t size, int64_t integer)
{
    char text[32];
    const char* end = std::to_chars(text, text + sizeof text, integer).ptr;
    store_text(value, size, text, static_cast<int32_t>(end - text));
}

// A binary chunk: a length byte and that many bytes, given to the caller as the hex
// text that ASCII files hold (two upper-case digits a byte). false when the file ends
// first.
bool read_chunk(FileHandle* fh, char* value, int32_t size)
{
    uint8_t length = 0;
    uint8_t bytes[UINT8_MAX];
    if (!read_exact(fh, &length, 1) || !read_exact(fh, bytes, length))
        return false;
    constexpr char kDigits[] = "0123456789ABCDEF";
    // Buffers hold 4096 bytes everywhere; a smaller one keeps what fits.
    const int32_t kept = std::min<int32_t>(length, (size - 1) / 2);
    for (int32_t i = 0; i < kept; ++i) {
        value[2 * i] = kDigits[bytes[i] >> 4];
        value[2 * i + 1] = kDigits[bytes[i] & 0x0F];
    }
    value[2 * kept] = '\0';
    return true;
}

// The sentinel of binary files: its text, CR, LF, 0x1A and the terminating NUL.
constexpr char kBinarySentinel[] = "AutoCAD Binary DXF\r\n\x1a";
constexpr int32_t kSentinelSize = 22;
static_assert(sizeof(kBinarySentinel) == kSentinelSize);

// A damaged binary group ends the group sequence for good: the rest of the stream is
// dropped and the stream marked as ended, so that no later read starts in the middle
// of a value and takes its bytes for groups.
[[gnu::cold]] void end_groups(FileHandle* fh)
{
    halvern::make_error(IoErrObjectInvalid);
    FileBufferEnd(fh);
}

bool arguments_valid(FileHandle* stream, int32_t* code, char* value, int32_t size)
{
    return stream != nullptr && code != nullptr && value != nullptr && size > 0;
}

}

namespace halvern {

void DXFGroupValueType(int32_t code, int32_t* type) noexcept
{
    if (type != nullptr)
        *type = value_type(code);
}

int32_t DXFDetectBinary(FileHandle* stream) noexcept
{
    if (stream == nullptr)
        return DXFEncodingASCII;
    uint8_t head[kSentinelSize];
    if (read_exact(stream, head, kSentinelSize) &&
        std::memcmp(head, kBinarySentinel, kSentinelSize) == 0) {
        // The first group is 0 "SECTION": two zero bytes begin it only when codes take
        // two bytes.
        uint8_t first[2];
        const bool complete = read_exact(stream, first, 2);
        Seek(stream, kSentinelSize, 0);
        if (complete)
            return first[0] == 0 && first[1] == 0 ? DXFEncodingBinary2 : DXFEncodingBinary1;
    }
    Seek(stream, 0, 0);
    return DXFEncodingASCII;
}

// ---------------------------------------------------------------------------------------
// DXFGroupStream

DXFGroupStream::DXFGroupStream(FileHandle& stream, int32_t encoding, char* value, int32_t size,
                               int32_t* line) noexcept
    : m_stream(stream), m_line_counter(line), m_encoding(encoding), m_value(value), m_size(size)
{
}

bool DXFGroupStream::next() noexcept
{
    if (m_ended)
        return false;
    return m_encoding == DXFEncodingASCII ? next_ascii() : next_binary();
}

bool DXFGroupStream::end() noexcept
{
    // The end of the file ends the groups as they should end; a read error is a failure.
    if ((m_stream.fh_Flags & FileFlagError) != 0)
        make_error(IoErrBadIO);
    m_ended = true;
    m_code = 0;
    m_form = Form::Text;
    m_value[0] = '\0';
    return false;
}

inline bool DXFGroupStream::take_line(const char*& line, int32_t& length) noexcept
{
    int32_t count = 0;
    const uint8_t* start = FileBufferPeek(&m_stream, &count);
    if (count > 0) [[likely]] {
        const uint8_t* end = start + count;
        const uint8_t* stop = find_line_end(start, end);
        // A CR at the very end of the buffer needs the next byte, which a refill would
        // put where the line lies: such a line takes the slow road.
        if (stop != end && (*stop == '\n' || stop + 1 != end)) [[likely]] {
            const uint8_t* next = stop + 1;
            if (*stop == '\r' && *next == '\n')
                ++next;
            line = reinterpret_cast<const char*>(start);
            length = static_cast<int32_t>(stop - start);
            FileBufferConsume(&m_stream, static_cast<int32_t>(next - start));
            return true;
        }
    }
    return take_line_slowly(line, length);
}

bool DXFGroupStream::take_line_slowly(const char*& line, int32_t& length) noexcept
{
    length = read_line(&m_stream, m_value, m_size);
    line = m_value;
    return length >= 0;
}

bool DXFGroupStream::next_ascii() noexcept
{
    const int32_t room = m_size - 1;
    for (;;) {
        const char* line = nullptr;
        int32_t length = 0;
        if (!take_line(line, length))
            return end();
        count_one();
        int32_t code = 0;
        if (!parse_code(line, std::min(length, room), code))
            continue;
        if (!take_line(line, length))
            return end();
        count_one();
        if (value_type(code) >= DXFValueReal) {
            // Numbers skip empty lines; their text stays as read.
            while (length == 0) {
                if (!take_line(line, length))
                    return end();
                count_one();
            }
            m_code = code;
            if (line == m_value) {
                m_form = Form::Text;
            } else {
                m_form = Form::Line;
                m_line = line;
                m_line_length = std::min(length, room);
            }
            return true;
        }
        if (line != m_value) {
            const int32_t kept = std::min(length, room);
            std::memcpy(m_value, line, static_cast<size_t>(kept));
            m_value[kept] = '\0';
        }
        strip(m_value, static_cast<size_t>(m_size - 1));
        if (code == kCommentCode)
            continue;
        m_code = code;
        m_form = Form::Text;
        return true;
    }
}

bool DXFGroupStream::next_binary() noexcept
{
    FileHandle& fh = m_stream;
    for (;;) {
        int32_t code = 0;
        uint8_t bytes[8];
        if (m_encoding == DXFEncodingBinary2) {
            if (!read_exact(&fh, bytes, 2))
                return end();
            code = static_cast<int16_t>(little_endian(bytes, 2));
        } else {
            if (!read_exact(&fh, bytes, 1))
                return end();
            code = bytes[0];
            // Codes beyond one byte follow the escape as a 16-bit integer.
            if (code == kWideCodeEscape) {
                if (!read_exact(&fh, bytes, 2))
                    return end();
                code = static_cast<int16_t>(little_endian(bytes, 2));
            }
        }
        count_one();
        bool complete = false;
        switch (binary_form(code)) {
        case BinaryForm::String: {
            // The string ends at its NUL: its length is the bound of the text.
            const int32_t length = read_string(&fh, m_value, m_size);
            complete = length >= 0;
            if (complete)
                strip(m_value, static_cast<size_t>(length));
            m_form = Form::Text;
            break;
        }
        case BinaryForm::Real:
            complete = read_exact(&fh, bytes, 8);
            if (complete)
                m_real = std::bit_cast<double>(little_endian(bytes, 8));
            m_form = Form::Real;
            break;
        case BinaryForm::Int16:
            complete = read_exact(&fh, bytes, 2);
            if (complete)
                m_integer = static_cast<int16_t>(little_endian(bytes, 2));
            m_form = Form::Integer;
            break;
        case BinaryForm::Boolean:
            complete = read_exact(&fh, bytes, 1);
            if (complete)
                m_integer = bytes[0];
            m_form = Form::Integer;
            break;
        case BinaryForm::Int32:
            complete = read_exact(&fh, bytes, 4);
            if (complete)
                m_integer = static_cast<int32_t>(little_endian(bytes, 4));
            m_form = Form::Integer;
            break;
        case BinaryForm::Int64:
            complete = read_exact(&fh, bytes, 8);
            if (complete)
                store_integer64(m_value, m_size, static_cast<int64_t>(little_endian(bytes, 8)));
            m_form = Form::Text;
            break;
        case BinaryForm::Chunk:
            complete = read_chunk(&fh, m_value, m_size);
            m_form = Form::Text;
            break;
        case BinaryForm::None:
            // A code the format does not define (negative ones included): its value
            // cannot be sized.
            break;
        }
        if (!complete) {
            end_groups(&fh);
            return end();
        }
        count_one();
        if (code == kCommentCode)
            continue;
        m_code = code;
        return true;
    }
}

void DXFGroupStream::make_text() noexcept
{
    switch (m_form) {
    case Form::Text:
        break;
    case Form::Line:
        std::memcpy(m_value, m_line, static_cast<size_t>(m_line_length));
        m_value[m_line_length] = '\0';
        break;
    case Form::Real:
        store_real(m_value, m_size, m_real);
        break;
    case Form::Integer:
        store_integer(m_value, m_size, m_integer);
        break;
    }
    m_form = Form::Text;
}

double DXFGroupStream::real() noexcept
{
    switch (m_form) {
    case Form::Line: return DXFTextReal(m_line, static_cast<size_t>(m_line_length));
    case Form::Real: return DXFBinaryRealValue(m_real);
    case Form::Integer: return static_cast<double>(m_integer);
    case Form::Text: break;
    }
    return DXFTextReal(m_value, static_cast<size_t>(m_size - 1));
}

int32_t DXFGroupStream::integer() noexcept
{
    switch (m_form) {
    case Form::Line: return DXFTextInteger(m_line, static_cast<size_t>(m_line_length));
    case Form::Integer: return m_integer;
    case Form::Real:
    case Form::Text: break;
    }
    return DXFTextInteger(text(), static_cast<size_t>(m_size - 1));
}

bool DXFGroupStream::is(int32_t code, const char* text_value) noexcept
{
    return m_code == code && std::strcmp(text(), text_value) == 0;
}

// ---------------------------------------------------------------------------------------
// One group at a time

namespace {

int32_t read_one_group(FileHandle* stream, int32_t encoding, int32_t* code, char* value,
                       int32_t size, int32_t* ok)
{
    if (ok != nullptr)
        *ok = 0;
    if (!arguments_valid(stream, code, value, size))
        return 0;
    DXFGroupStream groups(*stream, encoding, value, size);
    if (!groups.next())
        return 0;
    groups.text();
    *code = groups.code();
    if (ok != nullptr)
        *ok = 1;
    return 1;
}

}

int32_t DXFReadGroupASCII(FileHandle* stream, int32_t* code, char* value, int32_t size,
                          int32_t* ok) noexcept
{
    return read_one_group(stream, DXFEncodingASCII, code, value, size, ok);
}

int32_t DXFReadGroupBinary(FileHandle* stream, int32_t width, int32_t* code, char* value,
                           int32_t size, int32_t* ok) noexcept
{
    if (width != DXFEncodingBinary1 && width != DXFEncodingBinary2) {
        if (ok != nullptr)
            *ok = 0;
        return 0;
    }
    return read_one_group(stream, width, code, value, size, ok);
}

}
