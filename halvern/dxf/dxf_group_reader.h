// Reading DXF groups from a buffered stream, in either encoding.
//
// ASCII: each group is a code line and a value line (LF, CR or CR LF). A line that is
// not a well-formed code is skipped, so the reader finds its way back to the next
// code line. Binary: a 22-byte sentinel, then codes of one byte or of a signed 16-bit
// little-endian word throughout, each followed by its value in the binary form of the
// code's type. Values always reach the caller as text in its buffer.
//
// A value line longer than the buffer is cut to the buffer and the rest of that line
// is dropped, so that its tail is never mistaken for a code line.
#ifndef HALVERN_MODEL_DXF_GROUP_READER_H
#define HALVERN_MODEL_DXF_GROUP_READER_H

#include <cstdint>

#include "halvern/dxf_groups.h"
#include "osmark/files.h"

namespace halvern {

// Encodings as DXFDetectBinary reports them.
enum DXFEncoding : int32_t {
    DXFEncodingASCII = 0,
    DXFEncodingBinary1 = 1,  // one-byte group codes
    DXFEncodingBinary2 = 2   // two-byte group codes
};

// Lines (ASCII) or codes and values (binary) read so far by the reading thread. Each
// read keeps its own counter (a group stream counts into the one it is given), so that
// threads read files side by side and a nested read leaves the outer count alone; this
// one counts the groups read one call at a time (DXFReadGroup and the entity parser on
// a bare stream), and the drawing reader and StepReadDXF leave their count in it. Set
// it to 0 before such a series of calls.
extern thread_local constinit int32_t DXFLineCounter;

// The value type of a code (DXFGroupValueTypes), 0 when no range holds it.
void DXFGroupValueType(int32_t code, int32_t* type) noexcept;

// 0 for an ASCII stream (set back to its start), 1 or 2 for a binary one with one- or
// two-byte codes (left at byte 22, its first group).
int32_t DXFDetectBinary(FileHandle* stream) noexcept;

// Read the next group that is not a comment into *code and value (size bytes, 4096
// everywhere), counting in the thread's DXFLineCounter. *ok (and the result) is 1 when
// a whole group was read, 0 at the end of the file, on a read error and, in binary
// files, on a malformed group: callers take that as the end of the groups.
int32_t DXFReadGroupASCII(FileHandle* stream, int32_t* code, char* value,
                                               int32_t size, int32_t* ok) noexcept;
int32_t DXFReadGroupBinary(FileHandle* stream, int32_t width,
                                                int32_t* code, char* value, int32_t size,
                                                int32_t* ok) noexcept;

// The groups of one stream, one after the other, as the drawing reader and the entity
// parser take them. It reads what DXFReadGroup reads, with the same line counting
// into its counter, and holds each group's value the way its users ask for it:
//   text()      the value text that DXFReadGroup puts into the buffer;
//   real()      StrToDouble(text(), NULL), integer() StrToLong(text(), NULL, 10).
// Numbers are read straight from the stream's buffer where they lie whole in it, and
// the text of a number of a binary file is made only when text() asks for it, so the
// buffer holds the current value only after text(). Strings are always in the buffer.
//
// The first group that cannot be read (end of file, read error, a damaged binary group)
// ends the groups: next() is false then and at every later call, code() is 0 and the
// text empty.
class DXFGroupStream {
public:
    // value is the caller's buffer of size bytes (at least 2; DXF_GROUP_VALUE_SIZE
    // everywhere); encoding is DXFDetectBinary's result for the stream. line is the
    // counter that the stream advances, which outlives it; the thread's DXFLineCounter
    // when none is given.
    DXFGroupStream(FileHandle& stream, int32_t encoding, char* value, int32_t size,
                   int32_t* line) noexcept;
    DXFGroupStream(FileHandle& stream, int32_t encoding, char* value,
                   int32_t size = DXF_GROUP_VALUE_SIZE) noexcept
        : DXFGroupStream(stream, encoding, value, size, &DXFLineCounter)
    {
    }
    DXFGroupStream(const DXFGroupStream&) = delete;
    DXFGroupStream& operator=(const DXFGroupStream&) = delete;

    // The next group that is not a comment; false when the groups have ended.
    bool next() noexcept;
    bool has_ended() const noexcept { return m_ended; }

    int32_t code() const noexcept { return m_code; }
    // The counter after the current group: its last line (ASCII) or its value (binary).
    int32_t line() const noexcept { return *m_line_counter; }
    const char* text() noexcept
    {
        if (m_form != Form::Text)
            make_text();
        return m_value;
    }
    double real() noexcept;
    int32_t integer() noexcept;
    // The current group has this code and this text.
    bool is(int32_t code, const char* text) noexcept;

    FileHandle& stream() const noexcept { return m_stream; }
    int32_t encoding() const noexcept { return m_encoding; }
    char* buffer() const noexcept { return m_value; }

private:
    // Where the current value is: the text in the buffer, a line in the stream's
    // buffer (ASCII numbers), or a number of a binary file.
    enum class Form : uint8_t { Text, Line, Real, Integer };

    bool next_ascii() noexcept;
    bool next_binary() noexcept;
    bool end() noexcept;
    // The next line, in the stream's buffer when it lies whole there, else copied into
    // the value buffer; false at the end of the file.
    bool take_line(const char*& line, int32_t& length) noexcept;
    [[gnu::noinline]] bool take_line_slowly(const char*& line, int32_t& length) noexcept;
    void make_text() noexcept;
    void count_one() noexcept
    {
        // A file of more than 2^31 lines keeps the last number rather than wrapping.
        if (*m_line_counter < INT32_MAX)
            ++*m_line_counter;
    }

    FileHandle& m_stream;
    int32_t* m_line_counter;
    int32_t m_encoding;
    char* m_value;
    int32_t m_size;
    int32_t m_code = 0;
    Form m_form = Form::Text;
    bool m_ended = false;
    const char* m_line = nullptr;
    int32_t m_line_length = 0;
    double m_real = 0.0;
    int32_t m_integer = 0;
};

// The reader that matches encoding.
inline int32_t DXFReadGroup(FileHandle* stream, int32_t encoding, int32_t* code, char* value,
                            int32_t size, int32_t* ok) noexcept
{
    return encoding == DXFEncodingASCII
               ? DXFReadGroupASCII(stream, code, value, size, ok)
               : DXFReadGroupBinary(stream, encoding, code, value, size, ok);
}

}

#endif
