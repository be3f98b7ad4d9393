// The control's saved state: 32-bit and 16-bit little-endian integers, 8-bit strings
// (a 32-bit byte length, then the bytes) and UTF-16 strings (a 32-bit length in UTF-16
// units, then the units). Every reader checks a length or a count against the bytes
// left in the stream before it allocates, and raises EReadError "Stream read error"
// when the stream ends early.
#ifndef VISTREL_LISTVIEW_STREAM_IO_H
#define VISTREL_LISTVIEW_STREAM_IO_H

#include <QtCore/QString>

#include <cstdint>
#include <string>

namespace fw {
class TStream;
}

namespace vistrel::listview::stream_io {

int64_t BytesLeft(fw::TStream* S);
int32_t ReadInt32(fw::TStream* S);
uint16_t ReadUInt16(fw::TStream* S);
uint8_t ReadByte(fw::TStream* S);
// A count of elements of element_size bytes each that must all still be in the stream.
int32_t ReadCount(fw::TStream* S, int element_size);
std::string ReadAnsiString(fw::TStream* S);
QString ReadWideString(fw::TStream* S);

void WriteInt32(fw::TStream* S, int32_t value);
void WriteUInt16(fw::TStream* S, uint16_t value);
void WriteByte(fw::TStream* S, uint8_t value);
void WriteAnsiString(fw::TStream* S, const std::string& value);
void WriteWideString(fw::TStream* S, const QString& value);

}

#endif
