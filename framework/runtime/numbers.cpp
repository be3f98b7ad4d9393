// Numbers to text and back, and rounding.

#include "framework/sysutils.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace fw {

namespace {

// The largest magnitude below 2^63 that a double holds; beyond it no int64 exists.
constexpr double kInt64Limit = 9223372036854775808.0;

int hex_digit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

}

QString IntToStr(int64_t value)
{
    return QString::number(value);
}

bool TryStrToInt(const QString& text, int32_t& value)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    int base = 10;
    if (i < n && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    } else if (i < n && (text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    }
    if (i >= n)
        return false;
    // Decimal: within the signed 32-bit range. Hexadecimal: any 32-bit pattern.
    const uint64_t limit = base == 16 ? 0xFFFFFFFFu : negative ? 0x80000000u : 0x7FFFFFFFu;
    uint64_t magnitude = 0;
    for (; i < n; ++i) {
        const int digit =
            base == 16 ? hex_digit(text[i].unicode())
                       : (text[i] >= u'0' && text[i] <= u'9' ? text[i].unicode() - u'0' : -1);
        if (digit < 0)
            return false;
        magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (magnitude > limit)
            return false;
    }
    const uint32_t bits = static_cast<uint32_t>(magnitude);
    value = static_cast<int32_t>(negative ? 0u - bits : bits);
    return true;
}

int32_t StrToInt(const QString& text)
{
    int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

int32_t StrToIntDef(const QString& text, int32_t fallback)
{
    int32_t value = 0;
    return TryStrToInt(text, value) ? value : fallback;
}

bool TryStrToFloat(const QString& text, double& value)
{
    // Checked against the grammar first, then converted from ASCII by from_chars (no
    // locale, no leading '+').
    std::string ascii;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        if (text[i] == u'-')
            ascii.push_back('-');
        ++i;
    }
    int mantissa_digits = 0;
    auto take_digits = [&]() {
        int count = 0;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            ascii.push_back(static_cast<char>(text[i++].unicode()));
            ++count;
        }
        return count;
    };
    mantissa_digits += take_digits();
    if (i < n && text[i] == u'.') {
        ascii.push_back('.');
        ++i;
        mantissa_digits += take_digits();
    }
    if (mantissa_digits == 0)
        return false;
    bool exponent_negative = false;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ascii.push_back('e');
        ++i;
        if (i < n && (text[i] == u'-' || text[i] == u'+')) {
            exponent_negative = text[i] == u'-';
            ascii.push_back(static_cast<char>(text[i++].unicode()));
        }
        if (take_digits() == 0)
            return false;
    }
    while (i < n && text[i] == u' ')
        ++i;
    if (i != n)
        return false;

    double parsed = 0;
    const std::from_chars_result result =
        std::from_chars(ascii.data(), ascii.data() + ascii.size(), parsed);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small to hold is zero; too large is no number.
        if (!exponent_negative)
            return false;
        parsed = ascii[0] == '-' ? -0.0 : 0.0;
    } else if (result.ec != std::errc() || result.ptr != ascii.data() + ascii.size()) {
        return false;
    }
    value = parsed;
    return true;
}

double StrToFloat(const QString& text)
{
    double value = 0;
    if (!TryStrToFloat(text, value))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return value;
}

double StrToFloatDef(const QString& text, double fallback)
{
    double value = 0;
    return TryStrToFloat(text, value) ? value : fallback;
}

int64_t RoundHalfEven(double value)
{
    const double rounded = std::nearbyint(value);
    if (!(std::fabs(rounded) < kInt64Limit))
        return INT64_MIN;
    return static_cast<int64_t>(rounded);
}

int64_t Trunc(double value)
{
    const double truncated = std::trunc(value);
    if (!(std::fabs(truncated) < kInt64Limit))
        return INT64_MIN;
    return static_cast<int64_t>(truncated);
}

}
