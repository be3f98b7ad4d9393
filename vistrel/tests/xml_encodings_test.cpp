// Text forms of XML values: escapes and references, quotes, UTF-8, Base64 and
// hexadecimal, floats, dates and booleans.

#include "xml/xml_encodings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace vistrel;

namespace {

// The message of the exception the call raises, or "(none)".
template <typename Call>
std::string message_of(Call call)
{
    try {
        call();
    } catch (const fw::Exception& error) {
        return error.Message().toStdString();
    }
    return "(none)";
}

}

TEST(XmlEncodings, EscapingAndReferences)
{
    EXPECT_EQ(EscapeString("a&b<c>d'e\"f"), "a&amp;b&lt;c&gt;d&apos;e&quot;f");
    EXPECT_EQ(EscapeString("&amp;"), "&amp;amp;"); // escaped again, not trusted

    struct Row {
        const char* text;
        const char* utf8;
        const char* ansi;
    };
    const Row rows[] = {
        {"&lt;&gt;&amp;&apos;&quot;", "<>&'\"", "<>&'\""},
        {"&AMP;", "&AMP;", "&AMP;"},    // entity names are case-sensitive
        {"&amp", "&amp", "&amp"},       // no semicolon
        {"a & b", "a & b", "a & b"},    // a lone ampersand
        {"&nbsp;", "&nbsp;", "&nbsp;"}, // not one of the five
        {"&#65;&#x42;", "AB", "AB"},
        {"&#x20AC;", "\xE2\x82\xAC", "&#x20AC;"},
        {"&#255;", "\xC3\xBF", "\xFF"},
        {"&#256;", "\xC4\x80", "&#256;"},
        {"&#0;", "&#0;", "&#0;"}, // never the zero character
        {"&#;", "&#;", "&#;"},
        {"&#-5;", "&#-5;", "&#-5;"},
        {"&#xD800;", "&#xD800;", "&#xD800;"}, // a surrogate is no character
        {"&#x1F600;", "\xF0\x9F\x98\x80", "&#x1F600;"},
        {"&#x110000;", "&#x110000;", "&#x110000;"},
        {"&#99999999999;", "&#99999999999;", "&#99999999999;"},
        {"x&#zz;y", "x&#zz;y", "x&#zz;y"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(UnescapeStringUtf8(row.text), row.utf8) << row.text;
        EXPECT_EQ(UnescapeStringAnsi(row.text), row.ansi) << row.text;
    }
}

TEST(XmlEncodings, QuotesAndControlCharacters)
{
    EXPECT_EQ(QuoteString("plain"), "\"plain\"");
    EXPECT_EQ(QuoteString("say \"it's\""), "'say \"it''s\"'");
    EXPECT_EQ(UnquoteString("'it''s' rest"), "it's");
    EXPECT_EQ(UnquoteString("\"open"), "open");
    EXPECT_EQ(UnquoteString("\""), "\"");
    EXPECT_EQ(UnquoteString("plain"), "plain");

    EXPECT_EQ(AddControlChars("abcdefg", "|", 3), "|abc|def|g|");
    EXPECT_EQ(AddControlChars("abcdef", "|", 3), "|abc|def|");
    EXPECT_EQ(AddControlChars("", "|", 3), "|");
    EXPECT_EQ(AddControlChars("abc", "", 3), "abc");
    EXPECT_EQ(AddControlChars("abc", "|", 0), "abc");
    EXPECT_EQ(RemoveControlChars(" a\tb\r\nc "), "abc");
    EXPECT_EQ(TrimControls(std::string("\x01 x y\x1F ")), "x y");
}

TEST(XmlEncodings, Utf8InFull)
{
    // A character outside the basic plane is a surrogate pair on one side, four bytes on
    // the other.
    const std::u16string pair = u"a\U0001F600b";
    EXPECT_EQ(UnicodeToUtf8(pair), "a\xF0\x9F\x98\x80"
                                   "b");
    EXPECT_EQ(Utf8ToUnicode("a\xF0\x9F\x98\x80"
                            "b"),
              pair);
    EXPECT_EQ(UnicodeToUtf8(u"\u00E9\u20AC"), "\xC3\xA9\xE2\x82\xAC");

    // Malformed pieces become "?" and the rest of the text survives.
    struct Row {
        const char* bytes;
        std::u16string units;
    };
    const std::vector<Row> rows = {
        {"ab\xC3", u"ab?"},         // a lead byte at the end
        {"a\x80z", u"a?z"},         // a stray continuation byte
        {"a\xE2\x82z", u"a?z"},     // a cut three-byte sequence
        {"\xC0\xAF", u"?"},         // an overlong slash
        {"\xED\xA0\x80x", u"?x"},   // a surrogate written as UTF-8
        {"\xF4\x90\x80\x80", u"?"}, // above U+10FFFF
        {"\xFF", u"?"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Utf8ToUnicode(row.bytes), row.units) << row.bytes;
    EXPECT_EQ(UnicodeToUtf8(std::u16string(1, u'\xD800') + u"x"), "?x"); // a lone surrogate

    // The buffer forms stop where the room ends and always end in a zero.
    char bytes[4];
    EXPECT_EQ(UnicodeToUtf8Buffer(bytes, 4, u"a\u00E9\u00E9", 3), 4);
    EXPECT_STREQ(bytes, "a\xC3\xA9");
    char16_t units[3];
    EXPECT_EQ(Utf8ToUnicodeBuffer(units, 3, "xyz", 3), 3);
    EXPECT_EQ(std::u16string(units), u"xy");
    EXPECT_EQ(Utf8ToUnicodeBuffer(nullptr, 3, "xyz", 3), 0);

    // The system code page is Windows-1252; what it lacks becomes "?".
    EXPECT_EQ(AnsiToUtf8("\x80\xE9"), "\xE2\x82\xAC\xC3\xA9");
    EXPECT_EQ(Utf8ToAnsi("\xE2\x82\xAC\xC3\xA9\xE4\xB8\xAD"), "\x80\xE9?");
}

TEST(XmlEncodings, Base64AndHex)
{
    const unsigned char bytes[] = {'M', 'a', 'n'};
    EXPECT_EQ(EncodeBase64(bytes, 1), "TQ==");
    EXPECT_EQ(EncodeBase64(bytes, 2), "TWE=");
    EXPECT_EQ(EncodeBase64(bytes, 3), "TWFu");
    EXPECT_EQ(EncodeBase64(bytes, 0), "");

    unsigned char out[6] = {1, 2, 3, 4, 5, 6};
    DecodeBase64("TWE=", out, 2);
    EXPECT_EQ(out[0], 'M');
    EXPECT_EQ(out[1], 'a');
    EXPECT_EQ(out[2], 3); // nothing past the count
    EXPECT_EQ(message_of([&] { DecodeBase64("TWFu", out, 4); }), "Missing data in binary stream");
    DecodeBase64("\xFF\x80!~", out, 3); // outside the alphabet: no read outside the table
    EXPECT_EQ(out[0], 0);

    EXPECT_EQ(BufferToHex(bytes, 3), "4D616E");
    unsigned char hex[3] = {9, 9, 9};
    HexToBuffer("4d61zz", hex, 3); // stops at the first pair that is no number
    EXPECT_EQ(hex[0], 'M');
    EXPECT_EQ(hex[1], 'a');
    EXPECT_EQ(hex[2], 9);
    EXPECT_EQ(message_of([&] { HexToBuffer("4D6", hex, 2); }), "Missing data in binary stream");
}

TEST(XmlEncodings, FloatsBySignificantDigits)
{
    struct Row {
        double value;
        int digits;
        bool scientific;
        const char* text;
    };
    const Row rows[] = {
        {1.5, 6, true, "1.5"},
        {0.5, 6, true, ".5"},
        {100, 6, true, "100"},
        {1.0 / 3, 6, true, ".333333"},
        {0.05, 6, true, ".05"},
        {0.005, 6, true, "5E-3"},
        {0.005, 6, false, ".005"},
        {0.001234, 6, true, "1.234E-3"},
        {1234567, 6, true, "1234570"},
        {999999.7, 6, true, "1000000"},
        {1e10, 6, true, "1.00000E10"},
        {1e10, 6, false, "10000000000"},
        {-2.25, 6, true, "-2.25"},
        {0, 6, true, "0"},
        {2.5, 1, true, "2"}, // halves to the even neighbour
        {123456789, 9, true, "123456789"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FloatToString(row.value, row.digits, row.scientific), row.text) << row.value;

    EXPECT_EQ(message_of([] { FloatToString(1, 0, true); }), "Significant digits out of range");
    EXPECT_EQ(message_of([] { FloatToString(1, 10, true); }), "Significant digits out of range");
    // Neither an endless scaling loop nor a rounding of no number.
    EXPECT_EQ(message_of([] { FloatToString(INFINITY, 6, true); }), "Invalid floating point value");
    EXPECT_EQ(message_of([] { FloatToString(NAN, 6, true); }), "Invalid floating point value");
    EXPECT_EQ(FloatToString(5e-324, 6, true), "4.94066E-324");
}

TEST(XmlEncodings, DatesAndBooleans)
{
    const fw::TDateTime day = fw::EncodeDate(2026, 12, 11);
    EXPECT_EQ(DateTimeToString(day), "2026-12-11");
    EXPECT_EQ(DateTimeFromString("2026-12-11"), day);

    const fw::TDateTime moment = day + fw::EncodeTime(9, 5, 7, 250);
    EXPECT_EQ(DateTimeToString(moment), "2026-12-11T09:05:07.250Z");
    EXPECT_NEAR(DateTimeFromString("2026-12-11T09:05:07.250Z"), moment, 1e-9);
    EXPECT_NEAR(DateTimeFromString("2026-12-11T09:05:xx"), day + fw::EncodeTime(9, 5, 0, 0), 1e-9);
    EXPECT_EQ(DateTimeFromString("2026-12-11T09:05"), day); // 16 characters: no time

    EXPECT_EQ(message_of([] { DateTimeFromString("2026-13-01"); }),
              "Invalid argument to date encode");
    EXPECT_EQ(message_of([] { DateTimeFromString("year-01-01"); }),
              "'year' is not a valid integer value");
    EXPECT_EQ(DateTimeFromStringDefault("2026-02-30", 7.0), 7.0);
    EXPECT_EQ(DateTimeFromStringDefault("", 7.0), 7.0);

    EXPECT_FALSE(StringToBool("False"));
    EXPECT_FALSE(StringToBool("no"));
    EXPECT_TRUE(StringToBool("t"));
    EXPECT_TRUE(StringToBool("Yes"));
    EXPECT_EQ(message_of([] { StringToBool(""); }), "Cannot convert value to bool");
    EXPECT_EQ(message_of([] { StringToBool("1"); }), "Cannot convert value to bool");
    EXPECT_EQ(BoolToString(true), "True");
}
