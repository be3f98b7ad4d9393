#include "runtime/text_decoding.h"

#include <cstdint>

namespace fw::detail {

namespace {

// Windows-1252 at 0x80 .. 0x9F; the rest of the code page equals Latin-1.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

uint8_t byte_at(std::span<const std::byte> bytes, size_t index)
{
    return static_cast<uint8_t>(bytes[index]);
}

bool starts_with(std::span<const std::byte> bytes, std::initializer_list<uint8_t> mark)
{
    if (bytes.size() < mark.size())
        return false;
    size_t i = 0;
    for (const uint8_t b : mark) {
        if (byte_at(bytes, i++) != b)
            return false;
    }
    return true;
}

QString decode_utf16(std::span<const std::byte> bytes, bool big_endian)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size() / 2));
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const uint8_t first = byte_at(bytes, i);
        const uint8_t second = byte_at(bytes, i + 1);
        const char16_t unit = big_endian ? static_cast<char16_t>(first << 8 | second)
                                         : static_cast<char16_t>(second << 8 | first);
        text += QChar(unit);
    }
    return text;
}

QString decode_windows_1252(std::span<const std::byte> bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const std::byte b : bytes) {
        const uint8_t value = static_cast<uint8_t>(b);
        text +=
            QChar(value >= 0x80 && value < 0xA0 ? kWindows1252High[value - 0x80] : char16_t{value});
    }
    return text;
}

}

bool is_valid_utf8(std::span<const std::byte> bytes)
{
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const uint8_t lead = byte_at(bytes, i);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // The length of the sequence and the range its second byte must lie in, which
        // rules out overlong forms, surrogates and code points above U+10FFFF.
        size_t length = 0;
        uint8_t low = 0x80;
        uint8_t high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (n - i < length)
            return false;
        const uint8_t second = byte_at(bytes, i + 1);
        if (second < low || second > high)
            return false;
        for (size_t k = 2; k < length; ++k) {
            if ((byte_at(bytes, i + k) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

TextEncoding detect_encoding(std::span<const std::byte> bytes)
{
    if (starts_with(bytes, {0xEF, 0xBB, 0xBF}))
        return TextEncoding::Utf8Bom;
    if (starts_with(bytes, {0xFF, 0xFE}))
        return TextEncoding::Utf16LE;
    if (starts_with(bytes, {0xFE, 0xFF}))
        return TextEncoding::Utf16BE;
    return is_valid_utf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

QString decode_text(std::span<const std::byte> bytes)
{
    auto as_chars = [](std::span<const std::byte> part) {
        return QByteArrayView(reinterpret_cast<const char*>(part.data()),
                              static_cast<qsizetype>(part.size()));
    };
    switch (detect_encoding(bytes)) {
    case TextEncoding::Utf8Bom:
        return QString::fromUtf8(as_chars(bytes.subspan(3)));
    case TextEncoding::Utf16LE:
        return decode_utf16(bytes.subspan(2), false);
    case TextEncoding::Utf16BE:
        return decode_utf16(bytes.subspan(2), true);
    case TextEncoding::Utf8:
        return QString::fromUtf8(as_chars(bytes));
    case TextEncoding::Windows1252:
        break;
    }
    return decode_windows_1252(bytes);
}

}
