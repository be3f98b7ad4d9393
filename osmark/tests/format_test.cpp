#include "osmark/format.h"

#include "osmark/errors.h"
#include "osmark/gui_services.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

uintptr_t slot(double value)
{
    return OsmarkRealSlot(value);
}

uintptr_t slot(const void* pointer)
{
    return reinterpret_cast<uintptr_t>(pointer);
}

uintptr_t slot(int64_t value)
{
    return static_cast<uintptr_t>(value);
}

struct Case {
    const char* format;
    std::vector<uintptr_t> slots;
    std::string expected;
};

// Formats through a callback that collects every character, the final NUL too;
// checks that the output ends in it and that the count matches.
std::string format_slots(const char* format, const std::vector<uintptr_t>& slots)
{
    std::string produced;
    const PutCharFunc collect = [](char character, void* data) {
        static_cast<std::string*>(data)->push_back(character);
    };
    const int32_t count = RawDoFmtA(collect, &produced, format, slots.data());
    EXPECT_TRUE(!produced.empty() && produced.back() == '\0') << "the callback ends with a NUL";
    if (!produced.empty())
        produced.pop_back();
    EXPECT_EQ(count, static_cast<int32_t>(produced.size()));
    return produced;
}

void expect_cases(const Case* cases, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const Case& row = cases[i];
        SCOPED_TRACE(row.format);
        EXPECT_EQ(format_slots(row.format, row.slots), row.expected);
    }
}

std::string repeat(char character, size_t count)
{
    return std::string(count, character);
}

// The C library's conversion of the same format, as a reference.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
std::string reference_printf(const char* format, double value)
{
    char text[512];
    std::snprintf(text, sizeof text, format, value);
    return text;
}
#pragma GCC diagnostic pop

TEST(Format, IntegerConversions)
{
    const Case cases[] = {
        {"%-6d|", {42}, "42    |"},
        {"%d", {slot(int64_t{-42})}, "-42"},
        {"%d", {slot(int64_t{INT32_MIN})}, "-2147483648"},
        {"%i %D", {7, slot(int64_t{-7})}, "7 -7"},
        {"%ld", {(uintptr_t{1} << 32) + 5}, "5"}, // integers are 32-bit
        {"%u", {slot(int64_t{-1})}, "4294967295"},
        {"%hd", {65535}, "-1"},
        {"%hu", {70000}, "4464"},
        {"%lhd", {65535}, "65535"}, // l cancels h
        {"%Uh", {65535}, "65535h"},
        {"%x", {255}, "ff"},
        {"%X", {0xABC}, "ABC"},
        {"%#X", {255}, "0XFF"},
        {"%#x", {0}, "0"},
        {"%#o", {8}, "010"},
        {"%#o", {0}, "0"},
        {"%#.0o", {0}, ""},
        {"%o %O", {8, 8}, "10 10"},
        {"%b %B %#b", {5, 5, 5}, "101 101 101"},
        {"%b", {0}, "0"},
        {"%p", {0x1234}, "1234"},
        {"%#p", {0x1234}, "1234"},
        {"%.0d", {0}, ""},
        {"%.0d", {3}, "3"},
        {"%.0X%x", {0, 255}, "ff"},
        {"%+.3d", {5}, "+05"}, // a sign counts toward the precision
        {"%.3d", {5}, "005"},
        {"%#.4x", {255}, "0xff"},
        {"%+d % d %+ d % +d", {5, 5, 5, 5}, "+5  5 +5 +5"},
        {"%+d", {slot(int64_t{-5})}, "-5"},
        {"%+u %+x", {5, 5}, "5 5"}, // unsigned conversions drop the sign
        {"%05d", {slot(int64_t{-42})}, "-0042"},
        {"%-05d|", {42}, "42   |"},
        {"%08.3d", {5}, "     005"}, // a precision cancels zero padding
        {"%#08x", {255}, "0x0000ff"},
        {"%*d|", {5, 42}, "   42|"},
        {"%*d|", {slot(int64_t{-5}), 42}, "42   |"},
        {"%.*d", {3, 7}, "007"},
        {"%.*d", {slot(int64_t{-1}), 0}, "0"}, // a negative precision is none
        {"%.d", {0}, ""},
        {"%c%C", {'A', 0x142}, "AB"},
        {"%3c|%-3c|", {'x', 'y'}, "  x|y  |"},
        {"%+c", {'x'}, "x"},
        {"a%cb", {0}, std::string("a\0b", 3)},
    };
    expect_cases(cases, std::size(cases));
}

TEST(Format, StringsAndLiterals)
{
    const char* abc = "abc";
    const Case cases[] = {
        {"%s", {slot(abc)}, "abc"},
        {"%s", {0}, "(null)"},
        {"%.2s", {slot(abc)}, "ab"},
        {"%.9s", {slot(abc)}, "abc"},
        {"%.3s", {0}, "(nu"},
        {"%5s|%-5s|", {slot(abc), slot(abc)}, "  abc|abc  |"},
        {"%+ s", {slot(abc)}, "abc"},
        {"%*s|", {3, slot("")}, "   |"},
        {"%%", {}, "%"},
        {"100%%", {}, "100%"},
        {"%y", {}, "y"},
        {"%-5y|", {}, "y|"}, // an unknown letter prints itself without its width
        {"%F", {}, "F"},
        {"%z%{", {}, "z{"},
        {"ab%", {}, "ab"},  // a lone percent sign ends the format
        {"ab%-5", {}, "ab"},
        {"", {}, ""},
    };
    expect_cases(cases, std::size(cases));
}

TEST(Format, RealConversions)
{
    const Case cases[] = {
        {"%5.2f", {slot(3.14159)}, " 3.14"},
        {"%06.1f", {slot(-2.25)}, "-002.3"},
        {"%f", {slot(0.0)}, "0.000000"},
        {"%f", {slot(-0.0)}, "0.000000"},
        {"%f", {slot(-1e-7)}, "0.000000"}, // all zeros print without sign
        {"%+f", {slot(-1e-9)}, "+0.000000"},
        {"%f", {slot(-1.5)}, "-1.500000"},
        {"%.0f", {slot(2.49999995)}, "3"}, // the tolerance raises the digit
        {"%.0f", {slot(2.4)}, "2"},
        {"%.1f", {slot(9.96)}, "10.0"},
        {"%.2f", {slot(0.125)}, "0.13"},
        {"%#f", {slot(2.5)}, "2.5"},
        {"%#f", {slot(2.0)}, "2.0"},
        {"%#.0f", {slot(2.0)}, "2."},
        {"%.0f", {slot(0.5)}, "1"},
        {"%10.3f|%-10.3f|", {slot(-1.5), slot(1.5)}, "    -1.500|1.500     |"},
        {"%+.1f % .1f", {slot(1.0), slot(1.0)}, "+1.0  1.0"},
        {"%e", {slot(0.0)}, "0.000000e+00"},
        {"%e", {slot(12345.678)}, "1.234568e+04"},
        {"%E", {slot(1.5)}, "1.500000E+00"},
        {"%.3e", {slot(9.9996)}, "1.000e+01"}, // a carry raises the exponent
        {"%.2e", {slot(0.000123456)}, "1.23e-04"},
        {"%.0e", {slot(5.0)}, "5e+00"},
        {"%#.0e", {slot(5.0)}, "5.e+00"},
        {"%.1e", {slot(1250.0)}, "1.3e+03"},
        {"%.1e", {slot(1249.0)}, "1.2e+03"},
        {"%e", {slot(1e100)}, "1.000000e+100"},
        {"%e", {slot(-1e-100)}, "-1.000000e-100"},
        {"%e", {slot(DBL_MAX)}, "1.797693e+308"},
        {"%e", {slot(5e-324)}, "4.940656e-324"},
        {"%g", {slot(100000.0)}, "100000"},
        {"%g", {slot(1000000.0)}, "1e+06"},
        {"%g", {slot(0.0001)}, "0.0001"},
        {"%g", {slot(0.00001)}, "1e-05"},
        {"%g", {slot(0.0)}, "0"},
        {"%g", {slot(0.5)}, "0.5"},
        {"%g", {slot(123456789.0)}, "1.23457e+08"},
        {"%G", {slot(1e-10)}, "1E-10"},
        {"%g", {slot(1.0000001)}, "1"},     // zeros after integer digits are significant
        {"%g", {slot(100.0000001)}, "100"},
        {"%g", {slot(0.000123456789)}, "0.000123457"},
        {"%.3g", {slot(1234.0)}, "1.23e+03"},
        {"%.0g", {slot(0.5)}, "0.5"},
        {"%#g", {slot(1.0)}, "1.00000"},
        {"%#g", {slot(0.25)}, "0.250000"},
        {"%#g", {slot(1e6)}, "1.00000e+06"},
        {"%g", {slot(1e100)}, "1e+100"},
        {"%g", {slot(-2.5)}, "-2.5"},
        {"%Lf %lf", {slot(1.5), slot(1.5)}, "1.500000 1.500000"},
        {"%08.3e", {slot(-1.5)}, "-1.500e+00"},
        {"%012.3e", {slot(-1.5)}, "-001.500e+00"},
    };
    expect_cases(cases, std::size(cases));
}

TEST(Format, InfinityAndNotANumber)
{
    const Case cases[] = {
        {"%f", {slot(kInfinity)}, "inf.000000"},
        {"%f", {slot(-kInfinity)}, "-inf.000000"},
        {"%g", {slot(kInfinity)}, "inf"},
        {"%g", {slot(-kInfinity)}, "-inf"},
        {"%f", {slot(kNaN)}, "inf.000000"}, // printed like infinity, without sign
        {"%g", {slot(-kNaN)}, "inf"},
        {"%.0f", {slot(kInfinity)}, "inf"},
        // The letters are no digits: never rounded, never given an exponent.
        {"%.2g", {slot(kInfinity)}, "inf"},
        {"%G", {slot(kInfinity)}, "inf"},
        {"%e", {slot(kInfinity)}, "inf.000000"},
        {"%.1E", {slot(-kInfinity)}, "-inf.0"},
        {"%6.0f|", {slot(kInfinity)}, "   inf|"},
    };
    expect_cases(cases, std::size(cases));
}

TEST(Format, PrecisionAboveThirtyNineOwesZeros)
{
    const Case cases[] = {
        {"%.45f", {slot(1.5)}, "1.5" + repeat('0', 44)},
        {"%.45e", {slot(1.5)}, "1.5" + repeat('0', 44) + "e+00"}, // zeros before the exponent
        {"%.45g", {slot(1.5)}, "1.5"},
        {"%#.45g", {slot(1.5)}, "1.5" + repeat('0', 43)},
        {"%#.45g", {slot(1e50)}, reference_printf("%.38e", 1e50).substr(0, 40) + repeat('0', 6) + "e+50"},
        {"%.40f|", {slot(0.0)}, "0." + repeat('0', 40) + "|"},
        {"%50.45f|", {slot(-1.0)}, "  -1." + repeat('0', 45) + "|"},
    };
    expect_cases(cases, std::size(cases));
}

// Every integer digit is exact, also where floating-point division by ten would
// lose them (from about 2^49 upwards) and for the 309 digits of the largest double.
TEST(Format, IntegerDigitsOfRealsAreExact)
{
    std::mt19937_64 random(12345);
    std::uniform_int_distribution<int> exponents(40, 1023);
    for (int i = 0; i < 2000; ++i) {
        const double value = std::ldexp(static_cast<double>(random() >> 11), exponents(random) - 53);
        const double integral = std::floor(value);
        SCOPED_TRACE(reference_printf("%.17g", integral));
        EXPECT_EQ(format_slots("%.0f", {slot(integral)}), reference_printf("%.0f", integral));
    }
    EXPECT_EQ(format_slots("%.0f", {slot(5629499534213123.0)}), "5629499534213123");
    EXPECT_EQ(format_slots("%.0f", {slot(DBL_MAX)}), reference_printf("%.0f", DBL_MAX));
}

// The largest values with the largest precision stay inside the conversion's room.
TEST(Format, LargestValuesFitTheirBuffers)
{
    for (const double value : {1e308, DBL_MAX, -DBL_MAX, 9.999999999e307}) {
        SCOPED_TRACE(value);
        const std::string f = format_slots("%.39f", {slot(value)});
        const std::string integer = reference_printf("%.0f", std::fabs(value));
        EXPECT_EQ(f, (value < 0 ? "-" : "") + integer + "." + repeat('0', 39));
        const std::string e = format_slots("%#.39e", {slot(value)});
        EXPECT_EQ(e.size(), (value < 0 ? 1u : 0u) + 2 + 39 + 5);
        const std::string g = format_slots("%.39g", {slot(value)});
        EXPECT_EQ(g.substr(0, value < 0 ? 3 : 2), (value < 0 ? "-" : "") + integer.substr(0, 1) + ".");
    }
    EXPECT_EQ(format_slots("%.44f", {slot(9.9999999e-308)}), "0." + repeat('0', 44));
    const std::string tiny = format_slots("%.39e", {slot(-4.9e-324)});
    EXPECT_EQ(tiny.substr(0, 4), "-4.9");
    EXPECT_EQ(tiny.substr(tiny.size() - 5), "e-324");
}

// The C library's text, but without the minus sign of a result that is all zeros,
// which this formatter drops.
std::string reference_without_negative_zero(const char* format, double value)
{
    std::string text = reference_printf(format, value);
    const size_t minus = text.find('-');
    if (minus == std::string::npos || text.find_first_of("123456789") != std::string::npos)
        return text;
    if (minus > 0 && text[0] == ' ')
        text[minus] = ' ';
    else
        text.erase(minus, 1);
    return text;
}

// Plain values agree with the C library wherever the tolerance does not decide.
TEST(Format, AgreesWithTheCLibraryOnPlainValues)
{
    // No value here ends in an exact half at any precision used, where the C library
    // rounds to even and this formatter rounds up.
    const double values[] = {0.5,     1.25,    123.456, 1e-3,  1e10,   6.02e23, 0.375, 1234567,
                             3.14159, 2.71828, 42.0,    1e-20, 7.0e-5, 65536.0, 0.1};
    const char* formats[] = {"%f", "%.2f", "%.10f", "%e", "%.3e", "%E", "%g", "%.10g",
                             "%G", "%#g", "%12.4f", "%-12.3e|", "%+g", "%.1g"};
    for (const double value : values) {
        for (const char* format : formats) {
            for (const double signed_value : {value, -value}) {
                SCOPED_TRACE(std::string(format) + " of " + reference_printf("%.17g", signed_value));
                EXPECT_EQ(format_slots(format, {slot(signed_value)}),
                          reference_without_negative_zero(format, signed_value));
            }
        }
    }
}

TEST(Format, CountStoredThroughPointer)
{
    int32_t count = -1;
    int16_t short_count[2] = {-1, 0x5555};
    int32_t long_count = -1;
    EXPECT_EQ(format_slots("abc%nde%hnf%N", {slot(&count), slot(short_count), slot(&long_count)}),
              "abcdef");
    EXPECT_EQ(count, 3);
    EXPECT_EQ(short_count[0], 5);
    EXPECT_EQ(short_count[1], 0x5555) << "h stores 16 bits only";
    EXPECT_EQ(long_count, 6);
    EXPECT_EQ(format_slots("ab%n", {0}), "ab") << "a NULL count pointer is skipped";
}

TEST(Format, InlineTwinsPackEveryArgumentType)
{
    char buffer[128];
    int value = 0;
    const int32_t length = SPrintf(buffer, "%s=%d %.2f %.1f %c %u %ld %s %p", "x", -3, 2.5, 0.25f, 'q',
                                   3000000000u, -7L, static_cast<const char*>(nullptr), &value);
    char pointer[32];
    std::snprintf(pointer, sizeof pointer, "%lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(&value)));
    EXPECT_EQ(std::string(buffer), std::string("x=-3 2.50 0.3 q 3000000000 -7 (null) ") + pointer);
    EXPECT_EQ(length, static_cast<int32_t>(std::strlen(buffer)));

    EXPECT_EQ(SPrintf(buffer, "plain"), 5);
    EXPECT_STREQ(buffer, "plain");
    EXPECT_EQ(SPrintf(buffer, "%s and %d", "a", 1, "ignored", 2), 7);
    EXPECT_STREQ(buffer, "a and 1");

    std::string seen;
    const int32_t count = RawDoFmt(
        [](char c, void* data) {
            if (c != '\0')
                static_cast<std::string*>(data)->push_back(c);
        },
        &seen, "%d-%g", 12, 1e6);
    EXPECT_EQ(seen, "12-1e+06");
    EXPECT_EQ(count, 8);
}

TEST(Format, NullArgumentsFailWithRequiredArgMissing)
{
    char buffer[8] = "xxxxxxx";
    IoErr();
    EXPECT_EQ(RawDoFmtA(nullptr, nullptr, "x", nullptr), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(RawDoFmt([](char, void*) {}, nullptr, nullptr), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(VSPrintf(nullptr, "x", nullptr), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(VSPrintf(buffer, nullptr, nullptr), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_STREQ(buffer, "") << "a NULL format leaves an empty string";
    EXPECT_EQ(VSnPrintf(nullptr, 4, "x", nullptr), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);

    // A NULL slot array reads as slots of 0.
    EXPECT_EQ(VSPrintf(buffer, "%d%s", nullptr), 7);
    EXPECT_STREQ(buffer, "0(null)");
    EXPECT_EQ(IoErr(), IoErrNone);
}

TEST(SnPrintf, StoresWhatFitsAndReturnsTheFullLength)
{
    struct Row {
        int32_t size;
        std::string stored; // bytes written, the terminator included when it fits
    };
    const Row rows[] = {
        {4, "abcd"}, {6, "abcdef"}, {7, std::string("abcdef\0", 7)}, {16, std::string("abcdef\0", 7)},
        {1, "a"},    {0, ""},       {-5, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.size);
        char buffer[16];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(SnPrintf(buffer, row.size, "abc%s", "def"), 6);
        EXPECT_EQ(std::string(buffer, row.stored.size()), row.stored);
        EXPECT_EQ(buffer[row.stored.size()], '#') << "nothing past the size";
    }
    EXPECT_EQ(SnPrintf(nullptr, 0, "%d", 12345), 5) << "size 0 measures";
}

TEST(SPrintf, TerminatesAfterALonePercentSign)
{
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(SPrintf(buffer, "ab%"), 2);
    EXPECT_STREQ(buffer, "ab");
}

// The formatter reads one slot per argument and never more slots than the format has
// characters; each array below has exactly that many (on the heap, where the address
// sanitizer sees a read past it).
void format_with_exact_slots(const char* format, uintptr_t every_slot)
{
    SCOPED_TRACE(format);
    const size_t length = std::strlen(format);
    auto slots = std::make_unique<uintptr_t[]>(length);
    for (size_t i = 0; i < length; ++i)
        slots[i] = every_slot;
    char buffer[64];
    VSnPrintf(buffer, sizeof buffer, format, slots.get());
}

TEST(Format, NeverReadsMoreSlotsThanFormatCharacters)
{
    // Numbers in every slot: small widths, precisions and values.
    for (const char* format : {"%*.*d", "%**********d", "%*", "%.*", "%.*f", "%*.*e", "%d%d%d%d",
                               "%**.**x", "%-*.*g", "%c%C%b%B%p", "%%%*%", "%*y%*", "%*.*Lf%hd"})
        format_with_exact_slots(format, 3);
    // A string that is also a count target in every slot.
    char target[16] = "string";
    for (const char* format : {"%s", "%s%s%n%hn", "%.s%N%5s", "%n%n%n"})
        format_with_exact_slots(format, reinterpret_cast<uintptr_t>(target));
}

int32_t format_variadic(std::string& out, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int32_t count = RawDoFmtVaList(
        [](char c, void* data) {
            if (c != '\0')
                static_cast<std::string*>(data)->push_back(c);
        },
        &out, format, arguments);
    va_end(arguments);
    return count;
}

TEST(RawDoFmtVaList, ReadsEachConversionsCType)
{
    std::string out;
    int value = 0;
    const int32_t count = format_variadic(out, "%d %ld %hd %s %.2f %c %*d|%-.*s|%x %p %n", -5, -6L, 65535,
                                          "str", 2.125, 'z', 4, 7, 2, "abc", 255u, &value, &value);
    char pointer[32];
    std::snprintf(pointer, sizeof pointer, "%lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(&value)));
    EXPECT_EQ(out, std::string("-5 -6 -1 str 2.13 z    7|ab|ff ") + pointer + " ");
    EXPECT_EQ(count, static_cast<int32_t>(out.size()));
    EXPECT_EQ(value, count);
}

TEST(EasyRequest, FormatsItsBodyWithTheArgumentsThatFollow)
{
    osmark_testing_script_requester(1);
    EXPECT_EQ(EasyRequest(nullptr, "Title", "File %s: %ld items, %.1f%% %y", "OK|Cancel", "a.dxf", 3L, 2.25),
              1);
    EXPECT_STREQ(osmark_testing_last_requester_body(), "File a.dxf: 3 items, 2.3% y");

    // A body longer than the requester's buffer is cut, never overrun.
    const std::string long_text(5000, 'w');
    EXPECT_EQ(EasyRequest(nullptr, "Title", "%s!", "OK", long_text.c_str()), 1);
    const std::string body = osmark_testing_last_requester_body();
    EXPECT_GT(body.size(), 100u);
    EXPECT_EQ(body, std::string(body.size(), 'w'));
    osmark_testing_script_requester(-3);
}

}
