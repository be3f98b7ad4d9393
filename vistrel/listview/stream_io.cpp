#include "listview/stream_io.h"

#include "framework/classes.h"

using namespace fw;

namespace vistrel::listview::stream_io {

namespace {

[[noreturn]] void read_error()
{
    throw EReadError(QStringLiteral("Stream read error"));
}

}

int64_t BytesLeft(TStream* S)
{
    const int64_t position = S->Position();
    const int64_t size = S->Size();
    return size > position ? size - position : 0;
}

int32_t ReadInt32(TStream* S)
{
    uint8_t bytes[4];
    S->ReadBuffer(bytes, 4);
    return static_cast<int32_t>(
        static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
        (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24));
}

uint16_t ReadUInt16(TStream* S)
{
    uint8_t bytes[2];
    S->ReadBuffer(bytes, 2);
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint8_t ReadByte(TStream* S)
{
    uint8_t value = 0;
    S->ReadBuffer(&value, 1);
    return value;
}

int32_t ReadCount(TStream* S, int element_size)
{
    const int32_t count = ReadInt32(S);
    if (count < 0 || static_cast<int64_t>(count) * element_size > BytesLeft(S))
        read_error();
    return count;
}

std::string ReadAnsiString(TStream* S)
{
    const int32_t length = ReadCount(S, 1);
    std::string value(static_cast<size_t>(length), '\0');
    if (length > 0)
        S->ReadBuffer(value.data(), length);
    return value;
}

QString ReadWideString(TStream* S)
{
    const int32_t length = ReadCount(S, 2);
    QString value(length, QChar(0));
    for (int32_t i = 0; i < length; ++i)
        value[i] = QChar(ReadUInt16(S));
    return value;
}

void WriteInt32(TStream* S, int32_t value)
{
    const uint32_t bits = static_cast<uint32_t>(value);
    const uint8_t bytes[4] = {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                              static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
    S->WriteBuffer(bytes, 4);
}

void WriteUInt16(TStream* S, uint16_t value)
{
    const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    S->WriteBuffer(bytes, 2);
}

void WriteByte(TStream* S, uint8_t value)
{
    S->WriteBuffer(&value, 1);
}

void WriteAnsiString(TStream* S, const std::string& value)
{
    WriteInt32(S, static_cast<int32_t>(value.size()));
    if (!value.empty())
        S->WriteBuffer(value.data(), static_cast<int32_t>(value.size()));
}

void WriteWideString(TStream* S, const QString& value)
{
    WriteInt32(S, static_cast<int32_t>(value.size()));
    for (const QChar unit : value)
        WriteUInt16(S, unit.unicode());
}

}
