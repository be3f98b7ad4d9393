#include "xml/xml_encodings.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <type_traits>

namespace vistrel {

namespace {

constexpr std::string_view kPlainChars[5] = {"&", "<", ">", "'", "\""};
constexpr std::string_view kEntities[5] = {"&amp;", "&lt;", "&gt;", "&apos;", "&quot;"};

bool is_blank(char c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

// ---- Windows-1252 ---------------------------------------------------------------------

// Code points of bytes 0x80 .. 0x9F; the rest of the code page equals Latin-1. The five
// bytes the code page leaves undefined map to the control characters of their number,
// as Windows converts them.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// ---- UTF-8 ----------------------------------------------------------------------------

constexpr char32_t kMalformed = 0xFFFFFFFF;

bool is_continuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// One code point from [p, end), p moved past it. A malformed sequence (a stray
// continuation byte, a cut sequence, an overlong form, a surrogate, a value above
// U+10FFFF) gives kMalformed and moves past its lead byte and the continuation bytes
// that belonged to it.
char32_t decode_utf8(const unsigned char*& p, const unsigned char* end)
{
    const unsigned char lead = *p++;
    if (lead < 0x80)
        return lead;
    int length = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07;
        minimum = 0x10000;
    } else {
        return kMalformed;
    }
    for (int i = 1; i < length; ++i) {
        if (p == end || !is_continuation(*p))
            return kMalformed;
        code = (code << 6) | (*p++ & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return kMalformed;
    return code;
}

// The UTF-8 bytes of a code point (a valid one: below 0x110000, no surrogate) into out;
// the count written.
int encode_utf8(char32_t code, char* out)
{
    if (code < 0x80) {
        out[0] = static_cast<char>(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = static_cast<char>(0xC0 | (code >> 6));
        out[1] = static_cast<char>(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (code >> 12));
        out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (code & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (code >> 18));
    out[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (code & 0x3F));
    return 4;
}

bool is_high_surrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool is_low_surrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

std::string unescape(std::string_view text, bool utf8)
{
    std::string result;
    result.reserve(text.size());
    while (!text.empty()) {
        const size_t ampersand = text.find('&');
        if (ampersand == std::string_view::npos)
            break;
        result.append(text.substr(0, ampersand));
        text.remove_prefix(ampersand);
        const size_t semicolon = text.find(';');
        if (semicolon == std::string_view::npos)
            break;
        const std::string_view reference = text.substr(0, semicolon + 1);
        text.remove_prefix(semicolon + 1);
        if (reference.size() < 2 || reference[1] != '#') {
            bool known = false;
            for (int i = 0; i < 5 && !known; ++i) {
                if (reference == kEntities[i]) {
                    result.append(kPlainChars[i]);
                    known = true;
                }
            }
            if (!known)
                result.append(reference);
            continue;
        }
        std::string digits(reference.substr(2, reference.size() - 3));
        int32_t value = -1;
        if (!digits.empty()) {
            if (digits[0] == 'x' || digits[0] == 'X')
                digits[0] = '$';
            if (!TryParseInteger(digits, value))
                value = -1;
        }
        if (utf8 && value >= 1 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF)) {
            char bytes[4];
            result.append(bytes,
                          static_cast<size_t>(encode_utf8(static_cast<char32_t>(value), bytes)));
        } else if (!utf8 && value >= 1 && value <= 255) {
            result.push_back(static_cast<char>(value));
        } else {
            result.append(reference);
        }
    }
    result.append(text);
    return result;
}

// ---- Base64 ---------------------------------------------------------------------------

constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The value of every byte: its place in the alphabet, 0 for bytes outside it.
constexpr std::array<unsigned char, 256> make_base64_values()
{
    std::array<unsigned char, 256> values{};
    for (unsigned char i = 0; i < 64; ++i)
        values[static_cast<unsigned char>(kBase64Alphabet[i])] = i;
    return values;
}
constexpr std::array<unsigned char, 256> kBase64Values = make_base64_values();

[[noreturn]] void raise_missing_data()
{
    throw fw::EFilerError("Missing data in binary stream");
}

int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// ---- Floats ---------------------------------------------------------------------------

constexpr int64_t kPowersOfTen[10] = {1,      10,      100,      1000,      10000,
                                      100000, 1000000, 10000000, 100000000, 1000000000};

int32_t field(std::string_view text, size_t first, size_t length)
{
    const std::string_view part =
        first - 1 < text.size() ? text.substr(first - 1, length) : std::string_view();
    return ParseInteger(part);
}

int32_t field_or_zero(std::string_view text, size_t first, size_t length)
{
    const std::string_view part =
        first - 1 < text.size() ? text.substr(first - 1, length) : std::string_view();
    int32_t value = 0;
    return TryParseInteger(part, value) ? value : 0;
}

}

std::string EscapeString(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            result += kEntities[0];
            break;
        case '<':
            result += kEntities[1];
            break;
        case '>':
            result += kEntities[2];
            break;
        case '\'':
            result += kEntities[3];
            break;
        case '"':
            result += kEntities[4];
            break;
        default:
            result.push_back(c);
            break;
        }
    }
    return result;
}

std::string UnescapeStringUtf8(std::string_view text)
{
    return unescape(text, true);
}

std::string UnescapeStringAnsi(std::string_view text)
{
    return unescape(text, false);
}

std::string QuoteString(std::string_view text)
{
    std::string result;
    result.reserve(text.size() + 2);
    if (text.find('"') == std::string_view::npos) {
        result.push_back('"');
        result.append(text);
        result.push_back('"');
        return result;
    }
    result.push_back('\'');
    for (const char c : text) {
        result.push_back(c);
        if (c == '\'')
            result.push_back('\'');
    }
    result.push_back('\'');
    return result;
}

std::string UnquoteString(std::string_view text)
{
    if (text.size() < 2 || (text[0] != '"' && text[0] != '\''))
        return std::string(text);
    const char quote = text[0];
    std::string result;
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] != quote) {
            result.push_back(text[i]);
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == quote) {
            result.push_back(quote);
            ++i;
            continue;
        }
        break;
    }
    return result;
}

std::string AddControlChars(std::string_view text, std::string_view chars, int interval)
{
    if (chars.empty() || interval < 1)
        return std::string(text);
    const size_t step = static_cast<size_t>(interval);
    std::string result;
    result.reserve(text.size() + (text.size() / step + 2) * chars.size());
    for (size_t start = 0; start < text.size(); start += step) {
        result.append(chars);
        result.append(text.substr(start, step));
    }
    result.append(chars);
    return result;
}

std::string RemoveControlChars(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (const char c : text)
        if (!is_blank(c))
            result.push_back(c);
    return result;
}

std::string TrimControls(std::string_view text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 32)
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32)
        --last;
    return std::string(text.substr(first, last - first));
}

int UnicodeToUtf8Buffer(char* dest, int max_dest_bytes, const char16_t* source, int source_chars)
{
    if (dest == nullptr || source == nullptr || max_dest_bytes < 1)
        return 0;
    int written = 0;
    const int room = max_dest_bytes - 1; // one byte stays for the terminating zero
    for (int i = 0; i < source_chars; ++i) {
        char32_t code = source[i];
        int units = 1;
        if (is_high_surrogate(source[i]) && i + 1 < source_chars &&
            is_low_surrogate(source[i + 1])) {
            code = 0x10000 + ((code - 0xD800) << 10) + (source[i + 1] - 0xDC00u);
            units = 2;
        } else if (is_high_surrogate(source[i]) || is_low_surrogate(source[i])) {
            code = '?';
        }
        char bytes[4];
        const int length = encode_utf8(code, bytes);
        if (written + length > room)
            break;
        std::memcpy(dest + written, bytes, static_cast<size_t>(length));
        written += length;
        i += units - 1;
    }
    dest[written] = '\0';
    return written + 1;
}

int Utf8ToUnicodeBuffer(char16_t* dest, int max_dest_chars, const char* source, int source_bytes)
{
    if (dest == nullptr || source == nullptr || max_dest_chars < 1)
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(source);
    const auto* const end = p + (source_bytes > 0 ? source_bytes : 0);
    int written = 0;
    const int room = max_dest_chars - 1;
    while (p < end) {
        const unsigned char* const start = p;
        char32_t code = decode_utf8(p, end);
        if (code == kMalformed)
            code = '?';
        const int units = code >= 0x10000 ? 2 : 1;
        if (written + units > room) {
            p = start;
            break;
        }
        if (units == 2) {
            dest[written++] = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            dest[written++] = static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            dest[written++] = static_cast<char16_t>(code);
        }
    }
    dest[written] = 0;
    return written + 1;
}

std::string UnicodeToUtf8(std::u16string_view text)
{
    if (text.empty())
        return {};
    // Three bytes per unit cover everything: a pair of units makes four.
    std::string result(text.size() * 3 + 1, '\0');
    const int length = UnicodeToUtf8Buffer(result.data(), static_cast<int>(result.size()),
                                           text.data(), static_cast<int>(text.size()));
    result.resize(static_cast<size_t>(length - 1));
    return result;
}

std::u16string Utf8ToUnicode(std::string_view text)
{
    if (text.empty())
        return {};
    std::u16string result(text.size() + 1, u'\0');
    const int length = Utf8ToUnicodeBuffer(result.data(), static_cast<int>(result.size()),
                                           text.data(), static_cast<int>(text.size()));
    result.resize(static_cast<size_t>(length - 1));
    return result;
}

char16_t AnsiCharToUnicode(unsigned char c)
{
    return c >= 0x80 && c < 0xA0 ? kWindows1252High[c - 0x80] : char16_t{c};
}

char UnicodeToAnsiChar(char32_t code_point)
{
    if (code_point < 0x80 || (code_point >= 0xA0 && code_point < 0x100))
        return static_cast<char>(code_point);
    for (int i = 0; i < 32; ++i)
        if (kWindows1252High[i] == code_point)
            return static_cast<char>(0x80 + i);
    return '?';
}

std::string AnsiToUtf8(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        char bytes[4];
        result.append(bytes, static_cast<size_t>(encode_utf8(
                                 AnsiCharToUnicode(static_cast<unsigned char>(c)), bytes)));
    }
    return result;
}

std::string Utf8ToAnsi(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    while (p < end) {
        const char32_t code = decode_utf8(p, end);
        result.push_back(code == kMalformed ? '?' : UnicodeToAnsiChar(code));
    }
    return result;
}

std::string EncodeBase64(const void* buffer, int count)
{
    std::string result;
    if (buffer == nullptr || count < 1)
        return result;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    result.reserve(static_cast<size_t>((count + 2) / 3) * 4);
    for (int i = 0; i < count; i += 3) {
        const uint32_t b0 = bytes[i];
        const uint32_t b1 = i + 1 < count ? bytes[i + 1] : 0;
        const uint32_t b2 = i + 2 < count ? bytes[i + 2] : 0;
        const uint32_t bits = (b0 << 16) | (b1 << 8) | b2;
        result.push_back(kBase64Alphabet[(bits >> 18) & 63]);
        result.push_back(kBase64Alphabet[(bits >> 12) & 63]);
        result.push_back(kBase64Alphabet[(bits >> 6) & 63]);
        result.push_back(kBase64Alphabet[bits & 63]);
    }
    if (count % 3 == 2) {
        result.back() = '=';
    } else if (count % 3 == 1) {
        result[result.size() - 1] = '=';
        result[result.size() - 2] = '=';
    }
    return result;
}

void DecodeBase64(std::string_view text, void* buffer, int count)
{
    if (count < 1)
        return;
    if (static_cast<int64_t>(text.size() / 4) * 3 < count)
        raise_missing_data();
    // The padding counts as zero bits ("=" sits outside the table's alphabet).
    auto* bytes = static_cast<unsigned char*>(buffer);
    int stored = 0;
    for (size_t group = 0; group + 4 <= text.size() && stored < count; group += 4) {
        uint32_t bits = 0;
        for (size_t i = 0; i < 4; ++i)
            bits = (bits << 6) | kBase64Values[static_cast<unsigned char>(text[group + i])];
        for (int shift = 16; shift >= 0 && stored < count; shift -= 8)
            bytes[stored++] = static_cast<unsigned char>(bits >> shift);
    }
}

std::string BufferToHex(const void* buffer, int count)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string result;
    if (buffer == nullptr || count < 1)
        return result;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    result.resize(static_cast<size_t>(count) * 2);
    for (int i = 0; i < count; ++i) {
        result[2 * i] = kDigits[bytes[i] >> 4];
        result[2 * i + 1] = kDigits[bytes[i] & 15];
    }
    return result;
}

void HexToBuffer(std::string_view text, void* buffer, int count)
{
    if (count < 1)
        return;
    if (static_cast<int64_t>(text.size() / 2) < count)
        raise_missing_data();
    auto* bytes = static_cast<unsigned char*>(buffer);
    for (int i = 0; i < count; ++i) {
        const int high = hex_value(text[2 * i]);
        const int low = hex_value(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return;
        bytes[i] = static_cast<unsigned char>(high * 16 + low);
    }
}

std::string FloatToString(double value, int significant_digits, bool allow_scientific)
{
    if (significant_digits < 1 || significant_digits > 9)
        throw fw::Exception("Significant digits out of range");
    if (!std::isfinite(value))
        throw fw::EConvertError("Invalid floating point value");
    if (value == 0)
        return "0";
    std::string sign;
    if (value < 0) {
        sign = "-";
        value = -value;
    }
    const double limit = static_cast<double>(kPowersOfTen[significant_digits]);
    const double low = static_cast<double>(kPowersOfTen[significant_digits] / 10);
    int exponent = significant_digits;
    while (low > value) {
        value = value * 10;
        --exponent;
    }
    while (limit <= value) {
        // The tenth in extended precision, each product kept as a double.
        value = static_cast<double>(static_cast<long double>(value) * 0.1L);
        ++exponent;
    }
    int64_t digits = fw::RoundHalfEven(value);
    if (digits == kPowersOfTen[significant_digits]) {
        digits /= 10;
        ++exponent;
    }
    while (digits % 10 == 0 && significant_digits > exponent) {
        digits /= 10;
        --significant_digits;
    }
    int scientific = 0;
    if (allow_scientific && (exponent < -1 || exponent > significant_digits + 2)) {
        scientific = exponent - 1;
        exponent = 1;
    }
    std::string text = std::to_string(digits);
    while (significant_digits < exponent) {
        text.push_back('0');
        ++significant_digits;
    }
    while (exponent < 0) {
        text.insert(text.begin(), '0');
        ++exponent;
    }
    if (exponent == 0)
        text.insert(text.begin(), '.');
    else if (significant_digits > exponent)
        text.insert(static_cast<size_t>(exponent), 1, '.');
    std::string result = sign + text;
    if (scientific != 0)
        result += "E" + std::to_string(scientific);
    return result;
}

std::string DateTimeToString(fw::TDateTime value)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
    fw::DecodeDate(value, year, month, day);
    fw::DecodeTime(value, hour, minute, second, millisecond);
    char text[48];
    if (value != std::trunc(value))
        std::snprintf(text, sizeof text, "%.4d-%.2d-%.2dT%.2d:%.2d:%.2d.%.3dZ", year, month, day,
                      hour, minute, second, millisecond);
    else
        std::snprintf(text, sizeof text, "%.4d-%.2d-%.2d", year, month, day);
    return text;
}

fw::TDateTime DateTimeFromString(std::string_view text)
{
    const int year = field(text, 1, 4);
    const int month = field(text, 6, 2);
    const int day = field(text, 9, 2);
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    if (text.size() > 16) {
        hour = field(text, 12, 2);
        minute = field(text, 15, 2);
        second = field_or_zero(text, 18, 2);
        millisecond = field_or_zero(text, 21, 3);
    }
    return fw::EncodeDate(year, month, day) + fw::EncodeTime(hour, minute, second, millisecond);
}

fw::TDateTime DateTimeFromStringDefault(std::string_view text, fw::TDateTime fallback)
{
    try {
        return DateTimeFromString(text);
    } catch (const fw::Exception&) {
        return fallback;
    }
}

bool StringToBool(std::string_view text)
{
    const char first = text.empty() ? '\0' : text[0];
    switch (first >= 'a' && first <= 'z' ? static_cast<char>(first - 'a' + 'A') : first) {
    case 'F':
    case 'N':
        return false;
    case 'T':
    case 'Y':
        return true;
    default:
        throw fw::Exception("Cannot convert value to bool");
    }
}

std::string BoolToString(bool value)
{
    return value ? "True" : "False";
}

namespace {

// Decimal text with an optional sign, or hexadecimal after "$", "0x" or "x" (which may
// spell a negative number by its bits, as "$FFFFFFFF" does -1 for 32 bits), with
// optional blanks before it and nothing after it, within the range of T.
template <typename T>
bool parse_integer(std::string_view text, T& value)
{
    using Unsigned = std::make_unsigned_t<T>;
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    unsigned base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    } else if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    }
    if (i == text.size())
        return false;
    const Unsigned limit = base == 16 && !negative
                               ? std::numeric_limits<Unsigned>::max()
                               : Unsigned(std::numeric_limits<T>::max()) + (negative ? 1 : 0);
    Unsigned magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = base == 16 ? hex_value(text[i])
                                     : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0 || magnitude > (limit - static_cast<Unsigned>(digit)) / base)
            return false;
        magnitude = magnitude * base + static_cast<Unsigned>(digit);
    }
    value = negative ? static_cast<T>(Unsigned(0) - magnitude) : static_cast<T>(magnitude);
    return true;
}

}

bool TryParseInteger(std::string_view text, int32_t& value)
{
    return parse_integer(text, value);
}

bool TryParseInt64(std::string_view text, int64_t& value)
{
    return parse_integer(text, value);
}

int64_t ParseInt64(std::string_view text)
{
    int64_t value = 0;
    if (!TryParseInt64(text, value))
        throw fw::EConvertError(
            "'%s' is not a valid integer value",
            {QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))});
    return value;
}

bool TryParseFloat(std::string_view text, double& value)
{
    QString number = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    const qsizetype comma = number.indexOf(u',');
    if (comma >= 0)
        number[comma] = u'.';
    return fw::TryStrToFloat(number, value);
}

int32_t ParseInteger(std::string_view text)
{
    int32_t value = 0;
    if (!TryParseInteger(text, value))
        throw fw::EConvertError(
            "'%s' is not a valid integer value",
            {QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))});
    return value;
}

}
