// Case-insensitive comparison, case mapping, trimming and numbers as text.

#include "framework/sysutils.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

using namespace fw;

namespace {

int sign(int value)
{
    return (value > 0) - (value < 0);
}

}

TEST(Strings, CompareTextFoldsCaseOfEveryScript)
{
    struct Row {
        const char16_t* a;
        const char16_t* b;
        int expected;
    };
    const Row rows[] = {
        {u"Left", u"left", 0},
        {u"DISPLAY MANAGEMENT", u"display management", 0},
        {u"ÄÖÜ", u"äöü", 0},
        {u"Σ", u"ς", 0}, // final sigma folds to sigma
        {u"ΣΑΣ", u"σας", 0},
        {u"\U00010400", u"\U00010428", 0}, // Deseret, outside the 16-bit range
        {u"a", u"B", -1},
        {u"abc", u"ab", 1},
        {u"", u"", 0},
        {u"", u"a", -1},
        {u"straße", u"STRASSE", 1}, // simple folding: ß stays a letter of its own
    };
    for (const Row& row : rows) {
        const QString a = QString::fromUtf16(row.a);
        const QString b = QString::fromUtf16(row.b);
        SCOPED_TRACE(a.toStdString() + " / " + b.toStdString());
        EXPECT_EQ(sign(CompareText(a, b)), row.expected);
        EXPECT_EQ(sign(CompareText(b, a)), -row.expected);
        EXPECT_EQ(SameText(a, b), row.expected == 0);
    }
}

TEST(Strings, UpperCasingNeverChangesTheLength)
{
    const QString text = QString::fromUtf16(u"straße ﬁx ǆ \U00010428");
    const QString upper = AnsiUpperCase(text);
    EXPECT_EQ(upper.size(), text.size());
    EXPECT_EQ(upper, QString::fromUtf16(u"STRAßE ﬁX Ǆ \U00010400"));
    EXPECT_EQ(AnsiLowerCase(QStringLiteral("ÄB")), QString::fromUtf16(u"äb"));
    // The plain forms change ASCII letters only.
    EXPECT_EQ(UpperCase(QString::fromUtf16(u"aä")), QString::fromUtf16(u"Aä"));
    EXPECT_EQ(LowerCase(QString::fromUtf16(u"AÄ")), QString::fromUtf16(u"aÄ"));
}

TEST(Strings, TrimRemovesControlsAndBlanksAtTheEnds)
{
    EXPECT_EQ(Trim(QStringLiteral("\t a b \r\n")), QStringLiteral("a b"));
    EXPECT_EQ(TrimLeft(QStringLiteral("  a ")), QStringLiteral("a "));
    EXPECT_EQ(TrimRight(QStringLiteral("  a \t")), QStringLiteral("  a"));
    EXPECT_EQ(Trim(QStringLiteral(" \x01 ")), QString());
    EXPECT_EQ(Trim(QString::fromUtf16(u"\u00A0a")),
              QString::fromUtf16(u"\u00A0a")); // no-break space stays
}

TEST(Numbers, IntegerTextAcceptsDecimalAndHexadecimalWithin32Bits)
{
    struct Row {
        const char* text;
        bool valid;
        int32_t value;
    };
    const Row rows[] = {
        {"42", true, 42},
        {"  -17", true, -17},
        {"+5", true, 5},
        {"$FF", true, 255},
        {"0x10", true, 16},
        {"x1f", true, 31},
        {"-$10", true, -16},
        {"2147483647", true, INT32_MAX},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0},
        {"$FFFFFFFF", true, -1},
        {"$100000000", false, 0},
        {"42 ", false, 0},
        {"4 2", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"$", false, 0},
        {"1.0", false, 0},
        {"\t1", false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        int32_t value = 0;
        EXPECT_EQ(TryStrToInt(QString::fromUtf8(row.text), value), row.valid);
        if (row.valid) {
            EXPECT_EQ(value, row.value);
        }
        EXPECT_EQ(StrToIntDef(QString::fromUtf8(row.text), -99999), row.valid ? row.value : -99999);
    }
    try {
        StrToInt(QStringLiteral("1x"));
        FAIL() << "no error";
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("'1x' is not a valid integer value"));
    }
}

TEST(Numbers, RealTextUsesAPointWhateverTheLocale)
{
    struct Row {
        const char* text;
        bool valid;
        double value;
    };
    const Row rows[] = {
        {"3.5", true, 3.5}, {" -2.25 ", true, -2.25}, {"+7", true, 7},         {".5", true, 0.5},
        {"5.", true, 5},    {"1e3", true, 1000},      {"1.5E-2", true, 0.015}, {"1e-400", true, 0},
        {"3,5", false, 0},  {"1e400", false, 0},      {".", false, 0},         {"1e", false, 0},
        {"inf", false, 0},  {"nan", false, 0},        {"0x10", false, 0},      {"", false, 0},
        {"1.x", false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        double value = -1;
        EXPECT_EQ(TryStrToFloat(QString::fromUtf8(row.text), value), row.valid);
        if (row.valid) {
            EXPECT_EQ(value, row.value);
        }
    }
    EXPECT_EQ(StrToFloatDef(QStringLiteral("x"), -99999), -99999);
    EXPECT_THROW(StrToFloat(QStringLiteral("x")), EConvertError);
}

TEST(Numbers, RoundingTakesHalvesToEvenAndTruncDropsTheFraction)
{
    struct Row {
        double value;
        int64_t rounded;
        int64_t truncated;
    };
    const Row rows[] = {
        {0.5, 0, 0},
        {1.5, 2, 1},
        {2.5, 2, 2},
        {-0.5, 0, 0},
        {-1.5, -2, -1},
        {-2.5, -2, -2},
        {2.4999, 2, 2},
        {-2.7, -3, -2},
        {1e18, 1000000000000000000, 1000000000000000000},
        {1e19, INT64_MIN, INT64_MIN},
        {-1e19, INT64_MIN, INT64_MIN},
        {NAN, INT64_MIN, INT64_MIN},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(RoundHalfEven(row.value), row.rounded);
        EXPECT_EQ(Trunc(row.value), row.truncated);
    }
}
