#include "listview/common/memory_stream_helper.h"

#include "framework/sysutils.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <vector>

namespace vistrel::listview {

// ---- The 80-bit extended form ------------------------------------------------------------

namespace {

constexpr int kExtendedBias = 16383;
constexpr int kDoubleBias = 1023;

uint64_t double_bits(double value)
{
    return std::bit_cast<uint64_t>(value);
}

double double_of(uint64_t bits)
{
    return std::bit_cast<double>(bits);
}

std::array<uint8_t, 10> extended_bytes(bool negative, int exponent, uint64_t mantissa)
{
    std::array<uint8_t, 10> bytes{};
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<uint8_t>(mantissa >> (8 * i));
    const unsigned top = (negative ? 0x8000u : 0u) | (static_cast<unsigned>(exponent) & 0x7FFFu);
    bytes[8] = static_cast<uint8_t>(top);
    bytes[9] = static_cast<uint8_t>(top >> 8);
    return bytes;
}

// m * 2^e (m not 0) as the nearest double, halves to even, with the sign.
double scaled_to_double(bool negative, uint64_t m, int64_t e)
{
    const uint64_t sign = negative ? uint64_t{1} << 63 : 0;
    const int shift = std::countl_zero(m);
    m <<= shift;
    e -= shift;
    int64_t lead = e + 63; // the value lies in [2^lead, 2^(lead + 1))
    if (lead > kDoubleBias)
        return double_of(sign | 0x7FF0000000000000u);
    // 53 bits stay for a normal result; fewer below the smallest normal exponent.
    int64_t drop = 11;
    if (lead < 1 - kDoubleBias)
        drop += (1 - kDoubleBias) - lead;
    uint64_t kept = 0;
    if (drop < 64) {
        kept = m >> drop;
        const uint64_t rest = m & ((uint64_t{1} << drop) - 1);
        const uint64_t half = uint64_t{1} << (drop - 1);
        if (rest > half || (rest == half && (kept & 1) != 0))
            ++kept;
    } else if (drop == 64) {
        // Only the rounding can leave something: m is at least one half of the unit.
        kept = (m > (uint64_t{1} << 63)) ? 1 : 0;
    }
    if (drop > 11)
        return double_of(sign | kept); // a subnormal; 2^52 becomes the smallest normal
    if (kept == (uint64_t{1} << 53)) {
        kept >>= 1;
        ++lead;
        if (lead > kDoubleBias)
            return double_of(sign | 0x7FF0000000000000u);
    }
    const uint64_t exponent_field = static_cast<uint64_t>(lead + kDoubleBias) << 52;
    return double_of(sign | exponent_field | (kept & ((uint64_t{1} << 52) - 1)));
}

}

std::array<uint8_t, 10> DoubleToExtended(double value)
{
    const uint64_t bits = double_bits(value);
    const bool negative = (bits >> 63) != 0;
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    if (exponent == 0x7FF) {
        // Infinity, or a NaN that keeps its payload and stays quiet.
        const uint64_t mantissa =
            fraction == 0 ? uint64_t{1} << 63 : (uint64_t{3} << 62) | (fraction << 11);
        return extended_bytes(negative, 0x7FFF, mantissa);
    }
    if (exponent == 0) {
        if (fraction == 0)
            return extended_bytes(negative, 0, 0);
        // A subnormal double is a normal extended number.
        const int shift = std::countl_zero(fraction);
        return extended_bytes(negative, kExtendedBias + 63 - 1074 - shift, fraction << shift);
    }
    return extended_bytes(negative, exponent - kDoubleBias + kExtendedBias,
                          (uint64_t{1} << 63) | (fraction << 11));
}

double ExtendedToDouble(const std::array<uint8_t, 10>& bytes)
{
    uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i)
        mantissa = (mantissa << 8) | bytes[i];
    const unsigned top = bytes[8] | (static_cast<unsigned>(bytes[9]) << 8);
    const bool negative = (top & 0x8000u) != 0;
    const int exponent = static_cast<int>(top & 0x7FFFu);
    const uint64_t sign = negative ? uint64_t{1} << 63 : 0;
    if (exponent == 0x7FFF) {
        const uint64_t fraction = mantissa & ~(uint64_t{1} << 63);
        if (fraction == 0)
            return double_of(sign | 0x7FF0000000000000u);
        return double_of(sign | 0x7FF8000000000000u |
                         ((fraction >> 11) & ((uint64_t{1} << 52) - 1)));
    }
    if (mantissa == 0)
        return double_of(sign);
    // A zero exponent scales as the smallest one does (denormal numbers).
    const int64_t effective = exponent == 0 ? 1 : exponent;
    return scaled_to_double(negative, mantissa, effective - kExtendedBias - 63);
}

// ---- Reading and writing --------------------------------------------------------------------

namespace {

[[noreturn]] void read_error()
{
    throw fw::EReadError(QStringLiteral("Stream read error"));
}

// Fills the buffer with what the stream has, zeros for the rest.
template <size_t N>
std::array<uint8_t, N> read_fixed(fw::TStream* stream)
{
    std::array<uint8_t, N> bytes{};
    stream->Read(bytes.data(), static_cast<int32_t>(N));
    return bytes;
}

template <typename T, size_t N>
T little_endian(const std::array<uint8_t, N>& bytes)
{
    uint64_t value = 0;
    for (size_t i = N; i-- > 0;)
        value = (value << 8) | bytes[i];
    return static_cast<T>(value);
}

template <typename T>
void write_little_endian(fw::TStream* stream, T value)
{
    std::array<uint8_t, sizeof(T)> bytes{};
    const auto bits = static_cast<std::make_unsigned_t<T>>(value);
    for (size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
    stream->WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

// A stored length is checked against the bytes that are left before anything is
// allocated for it; a stream that cannot tell its size is read in pieces instead.
void check_length(fw::TStream* stream, int64_t length)
{
    if (length < 0)
        read_error();
    const int64_t size = stream->Size();
    const int64_t position = stream->Position();
    if (size >= 0 && position >= 0 && length > size - position)
        read_error();
}

// Copies length bytes from the stream to the sink, in pieces, raising on a short read.
template <typename Sink>
void read_pieces(fw::TStream* stream, int64_t length, Sink&& sink)
{
    constexpr int64_t kPiece = 16 * 1024;
    std::array<uint8_t, kPiece> piece;
    while (length > 0) {
        const auto count = static_cast<int32_t>(std::min(length, kPiece));
        stream->ReadBuffer(piece.data(), count);
        sink(piece.data(), count);
        length -= count;
    }
}

}

bool TLqCommonMemoryStreamHelper::ReadBoolean(fw::TStream* S)
{
    return read_fixed<1>(S)[0] != 0;
}

fw::TColor TLqCommonMemoryStreamHelper::ReadColor(fw::TStream* S)
{
    return little_endian<fw::TColor>(read_fixed<4>(S));
}

int32_t TLqCommonMemoryStreamHelper::ReadInteger(fw::TStream* S)
{
    return little_endian<int32_t>(read_fixed<4>(S));
}

int64_t TLqCommonMemoryStreamHelper::ReadInt64(fw::TStream* S)
{
    return little_endian<int64_t>(read_fixed<8>(S));
}

double TLqCommonMemoryStreamHelper::ReadExtended(fw::TStream* S)
{
    return ExtendedToDouble(read_fixed<10>(S));
}

std::string TLqCommonMemoryStreamHelper::ReadString(fw::TStream* S)
{
    const int32_t length = ReadInteger(S);
    check_length(S, length);
    std::string text;
    read_pieces(S, length, [&text](const uint8_t* bytes, int32_t count) {
        text.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
    });
    return text;
}

QString TLqCommonMemoryStreamHelper::ReadWideString(fw::TStream* S)
{
    const int32_t length = ReadInteger(S);
    if (length < 0)
        read_error();
    check_length(S, int64_t{length} * 2);
    QString text;
    read_pieces(S, int64_t{length} * 2, [&text](const uint8_t* bytes, int32_t count) {
        // Pieces hold whole characters: both the piece and the total are even.
        for (int32_t i = 0; i + 1 < count; i += 2)
            text.append(QChar(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8))));
    });
    return text;
}

void TLqCommonMemoryStreamHelper::ReadStream(fw::TStream* Source, fw::TStream* Target)
{
    Target->SetSize(0);
    Target->SetPosition(0);
    const int32_t size = ReadInteger(Source);
    if (size <= 0)
        return;
    check_length(Source, size);
    read_pieces(Source, size, [Target](const uint8_t* bytes, int32_t count) {
        Target->WriteBuffer(bytes, count);
    });
}

void TLqCommonMemoryStreamHelper::WriteBoolean(fw::TStream* S, bool Value)
{
    const uint8_t byte = Value ? 1 : 0;
    S->WriteBuffer(&byte, 1);
}

void TLqCommonMemoryStreamHelper::WriteColor(fw::TStream* S, fw::TColor Value)
{
    write_little_endian<int32_t>(S, Value);
}

void TLqCommonMemoryStreamHelper::WriteInteger(fw::TStream* S, int32_t Value)
{
    write_little_endian<int32_t>(S, Value);
}

void TLqCommonMemoryStreamHelper::WriteInt64(fw::TStream* S, int64_t Value)
{
    write_little_endian<int64_t>(S, Value);
}

void TLqCommonMemoryStreamHelper::WriteExtended(fw::TStream* S, double Value)
{
    const std::array<uint8_t, 10> bytes = DoubleToExtended(Value);
    S->WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

void TLqCommonMemoryStreamHelper::WriteString(fw::TStream* S, const std::string& Value)
{
    WriteInteger(S, static_cast<int32_t>(Value.size()));
    if (!Value.empty())
        S->WriteBuffer(Value.data(), static_cast<int32_t>(Value.size()));
}

void TLqCommonMemoryStreamHelper::WriteWideString(fw::TStream* S, const QString& Value)
{
    WriteInteger(S, static_cast<int32_t>(Value.size()));
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(Value.size()) * 2);
    for (const QChar unit : Value) {
        bytes.push_back(static_cast<uint8_t>(unit.unicode()));
        bytes.push_back(static_cast<uint8_t>(unit.unicode() >> 8));
    }
    if (!bytes.empty())
        S->WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

void TLqCommonMemoryStreamHelper::WriteStream(fw::TStream* Source, fw::TStream* Target)
{
    const int64_t size = Source->Size();
    WriteInteger(Target, static_cast<int32_t>(static_cast<uint32_t>(size)));
    if (size > 0) {
        Source->SetPosition(0);
        Target->CopyFrom(Source, 0);
    }
}

}
