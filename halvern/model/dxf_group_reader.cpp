// DXF group reading: the value-type table, encoding detection and the ASCII and binary
// group readers.
//
// The readers work straight on the stream's buffer where they can (the FileHandle
// layout is shared): a line or a string is located and copied in one run, and only
// when the buffer runs dry do they go through FGetc, which refills it.

#include "model/dxf_group_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "osmark/format.h"
#include "osmark/strings.h"

namespace halvern {

int32_t DXFLineCounter = 0;

}

namespace {

using halvern::DXFLineCounter;

// ---------------------------------------------------------------------------------------
// Value types

struct CodeRange {
    int32_t first;
    int32_t last;
    uint8_t type;
};

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

constexpr int32_t kHighestTypedCode = 1071;

// The ranges as a direct table: one load per group instead of a search.
constexpr auto kValueTypes = [] {
    std::array<uint8_t, kHighestTypedCode + 1> table{};
    for (const CodeRange& range : kCodeRanges) {
        for (int32_t code = range.first; code <= range.last; ++code)
            table[static_cast<size_t>(code)] = range.type;
    }
    return table;
}();

int32_t value_type(int32_t code)
{
    if (code < 0 || code > kHighestTypedCode)
        return DXFValueNone;
    return kValueTypes[static_cast<size_t>(code)];
}

constexpr int32_t kCommentCode = 999;

void count_one()
{
    // A file of more than 2^31 lines keeps the last number rather than wrapping.
    if (DXFLineCounter < INT32_MAX)
        ++DXFLineCounter;
}

// ---------------------------------------------------------------------------------------
// Lines

bool is_line_end(uint8_t byte)
{
    return byte == '\n' || byte == '\r';
}

// After a CR: a following LF belongs to the same line end; any other byte is put back.
void finish_carriage_return(FileHandle* fh)
{
    if (fh->fh_Count > 0) {
        if (*fh->fh_Position == '\n') {
            ++fh->fh_Position;
            --fh->fh_Count;
        }
        return;
    }
    const int32_t next = FGetc(fh);
    if (next != '\n' && next != -1)
        UnGetc(fh, next);
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
        if (fh->fh_Count > 0) {
            const uint8_t* start = fh->fh_Position;
            const uint8_t* end = start + fh->fh_Count;
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
                fh->fh_Position += run;
                fh->fh_Count -= run;
                continue;
            }
            fh->fh_Position += run + 1;
            fh->fh_Count -= run + 1;
            if (*stop == '\r')
                finish_carriage_return(fh);
            break;
        }
        const int32_t c = FGetc(fh);
        if (c == -1) {
            if (!consumed)
                return -1;
            break;
        }
        consumed = true;
        if (c == '\n')
            break;
        if (c == '\r') {
            finish_carriage_return(fh);
            break;
        }
        if (length < room)
            buffer[length++] = static_cast<char>(c);
    }
    buffer[length] = '\0';
    return length;
}

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

const char* skip_blanks(const char* p)
{
    while (is_blank(*p))
        ++p;
    return p;
}

// A code line: blanks, an optional sign, blanks, decimal digits, blanks and nothing
// else. A number outside 32 bits is no code either.
bool parse_code(const char* line, int32_t& code)
{
    const char* p = skip_blanks(line);
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        p = skip_blanks(p + 1);
    }
    if (*p < '0' || *p > '9')
        return false;
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > int64_t{INT32_MAX} + 1)
            return false;
    }
    if (*skip_blanks(p) != '\0')
        return false;
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return false;
    code = static_cast<int32_t>(value);
    return true;
}

// ---------------------------------------------------------------------------------------
// Binary values

// Reads bytes up to and including a NUL into value, which holds size bytes: a string
// of at most size - 1 characters. false when the file ends first or no NUL comes
// within size bytes; value is terminated in every case.
bool read_string(FileHandle* fh, char* value, int32_t size)
{
    int32_t length = 0;
    for (;;) {
        if (fh->fh_Count > 0) {
            const int32_t scan = std::min(fh->fh_Count, size - length);
            const auto* start = fh->fh_Position;
            const auto* nul = static_cast<const uint8_t*>(std::memchr(start, 0, static_cast<size_t>(scan)));
            const int32_t run = nul != nullptr ? static_cast<int32_t>(nul - start) + 1 : scan;
            std::memcpy(value + length, start, static_cast<size_t>(run));
            fh->fh_Position += run;
            fh->fh_Count -= run;
            length += run;
            if (nul != nullptr)
                return true;
        } else {
            const int32_t c = FGetc(fh);
            if (c == -1)
                break;
            value[length++] = static_cast<char>(c);
            if (c == 0)
                return true;
        }
        if (length >= size)
            break;
    }
    value[std::min(length, size - 1)] = '\0';
    return false;
}

bool read_exact(FileHandle* fh, uint8_t* bytes, int32_t count)
{
    return Read(fh, bytes, count) == count;
}

// Little-endian fields, assembled byte by byte.
uint64_t little_endian(const uint8_t* bytes, int32_t count)
{
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

// Reads the value of a binary group of the given type into value; false when the file
// ends first or a string is unterminated.
bool read_binary_value(FileHandle* fh, int32_t type, char* value, int32_t size)
{
    uint8_t bytes[8];
    switch (type) {
    case DXFValueString:
        if (!read_string(fh, value, size))
            return false;
        StrStrip(value, 'B');
        return true;
    case DXFValueReal:
        if (!read_exact(fh, bytes, 8))
            return false;
        store_real(value, size, std::bit_cast<double>(little_endian(bytes, 8)));
        return true;
    case DXFValueInt16:
    case DXFValueBoolean:
        if (!read_exact(fh, bytes, 2))
            return false;
        store_integer(value, size, static_cast<int16_t>(little_endian(bytes, 2)));
        return true;
    case DXFValueInt32:
        if (!read_exact(fh, bytes, 4))
            return false;
        store_integer(value, size, static_cast<int32_t>(little_endian(bytes, 4)));
        return true;
    default:
        return false;
    }
}

// The sentinel of binary files: its text, CR, LF, 0x1A and the terminating NUL.
constexpr char kBinarySentinel[] = "AutoCAD Binary DXF\r\n\x1a";
constexpr int32_t kSentinelSize = 22;
static_assert(sizeof(kBinarySentinel) == kSentinelSize);

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

int32_t DXFReadGroupASCII(FileHandle* stream, int32_t* code, char* value, int32_t size,
                          int32_t* ok) noexcept
{
    if (ok != nullptr)
        *ok = 0;
    if (!arguments_valid(stream, code, value, size))
        return 0;
    for (;;) {
        if (read_line(stream, value, size) < 0)
            return 0;
        count_one();
        int32_t group_code = 0;
        if (!parse_code(value, group_code))
            continue;
        *code = group_code;
        const int32_t type = value_type(group_code);
        if (type >= DXFValueReal) {
            // Numbers skip empty lines; their text stays as read.
            for (;;) {
                const int32_t length = read_line(stream, value, size);
                if (length < 0)
                    return 0;
                count_one();
                if (length > 0)
                    break;
            }
        } else {
            if (read_line(stream, value, size) < 0)
                return 0;
            count_one();
            StrStrip(value, 'B');
            if (group_code == kCommentCode)
                continue;
        }
        if (ok != nullptr)
            *ok = 1;
        return 1;
    }
}

int32_t DXFReadGroupBinary(FileHandle* stream, int32_t width, int32_t* code, char* value,
                           int32_t size, int32_t* ok) noexcept
{
    if (ok != nullptr)
        *ok = 0;
    if (!arguments_valid(stream, code, value, size) ||
        (width != DXFEncodingBinary1 && width != DXFEncodingBinary2))
        return 0;
    for (;;) {
        int32_t group_code = 0;
        if (width == DXFEncodingBinary2) {
            uint8_t bytes[2];
            if (!read_exact(stream, bytes, 2))
                return 0;
            group_code = static_cast<int16_t>(little_endian(bytes, 2));
        } else {
            group_code = FGetc(stream);
            if (group_code == -1)
                return 0;
        }
        count_one();
        *code = group_code;
        if (group_code < 0)
            return 0;
        const int32_t type = value_type(group_code);
        if (!read_binary_value(stream, type, value, size))
            return 0;
        count_one();
        if (group_code == kCommentCode)
            continue;
        if (ok != nullptr)
            *ok = 1;
        return 1;
    }
}

}
