// The binary form in which the control's collections write and read their values:
// little-endian, without tags or padding.
//
//   Boolean       1 byte (0 or 1 written; any other byte reads as true)
//   colour        4 bytes, the value as stored (system colours included)
//   integer       4 bytes, signed
//   64-bit        8 bytes, signed
//   extended      10 bytes, the 80-bit extended-precision format of the x87 unit
//   8-bit string  a 4-byte length in bytes, then the bytes, no terminator
//   wide string   a 4-byte length in UTF-16 units, then two bytes each, no terminator
//   stream        a 4-byte size, then the bytes
//
// Readers of fixed-size values give 0 for the bytes a stream lacks. Readers of strings
// and streams check the length against the bytes left before they allocate: a negative
// length or one that runs past the end raises EReadError "Stream read error".
#ifndef VISTREL_LISTVIEW_COMMON_MEMORY_STREAM_HELPER_H
#define VISTREL_LISTVIEW_COMMON_MEMORY_STREAM_HELPER_H

#include "framework/classes.h"
#include "framework/types.h"

#include <QtCore/QString>

#include <array>
#include <cstdint>
#include <string>

namespace vistrel::listview {

class TLqCommonMemoryStreamHelper : public fw::TObject {
public:
    bool ReadBoolean(fw::TStream* S);
    fw::TColor ReadColor(fw::TStream* S);
    int32_t ReadInteger(fw::TStream* S);
    int64_t ReadInt64(fw::TStream* S);
    double ReadExtended(fw::TStream* S);
    std::string ReadString(fw::TStream* S);
    QString ReadWideString(fw::TStream* S);
    // Empties Target, then fills it with the stored bytes.
    void ReadStream(fw::TStream* Source, fw::TStream* Target);

    void WriteBoolean(fw::TStream* S, bool Value);
    void WriteColor(fw::TStream* S, fw::TColor Value);
    void WriteInteger(fw::TStream* S, int32_t Value);
    void WriteInt64(fw::TStream* S, int64_t Value);
    void WriteExtended(fw::TStream* S, double Value);
    void WriteString(fw::TStream* S, const std::string& Value);
    void WriteWideString(fw::TStream* S, const QString& Value);
    // The low 32 bits of Source's size, then all of Source from its start.
    void WriteStream(fw::TStream* Source, fw::TStream* Target);
};

// The 80-bit extended form of a double and back: exact in that direction; back,
// rounded to the nearest double (halves to even), beyond the double's range to
// infinity or zero, NaNs kept as NaNs.
std::array<uint8_t, 10> DoubleToExtended(double value);
double ExtendedToDouble(const std::array<uint8_t, 10>& bytes);

}

#endif
