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

#ifndef HALVERN_INTERNAL_API
#define HALVERN_INTERNAL_API __attribute__((visibility("default")))
#endif

namespace halvern {

// Encodings as DXFDetectBinary reports them.
enum DXFEncoding : int32_t {
    DXFEncodingASCII = 0,
    DXFEncodingBinary1 = 1,  // one-byte group codes
    DXFEncodingBinary2 = 2   // two-byte group codes
};

// Lines (ASCII) or codes and values (binary) read so far. One counter for the whole
// process: the drawing reader and StepReadDXF set it to 0 before they read a file, a
// nested read saves and restores it, and two files are never read at the same time.
HALVERN_INTERNAL_API extern int32_t DXFLineCounter;

// The value type of a code (DXFGroupValueTypes), 0 when no range holds it.
HALVERN_INTERNAL_API void DXFGroupValueType(int32_t code, int32_t* type) noexcept;

// 0 for an ASCII stream (set back to its start), 1 or 2 for a binary one with one- or
// two-byte codes (left at byte 22, its first group).
HALVERN_INTERNAL_API int32_t DXFDetectBinary(FileHandle* stream) noexcept;

// Read the next group that is not a comment into *code and value (size bytes, 4096
// everywhere). *ok (and the result) is 1 when a whole group was read, 0 at the end of
// the file, on a read error and, in binary files, on a malformed group: callers take
// that as the end of the groups.
HALVERN_INTERNAL_API int32_t DXFReadGroupASCII(FileHandle* stream, int32_t* code, char* value,
                                               int32_t size, int32_t* ok) noexcept;
HALVERN_INTERNAL_API int32_t DXFReadGroupBinary(FileHandle* stream, int32_t width,
                                                int32_t* code, char* value, int32_t size,
                                                int32_t* ok) noexcept;

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
