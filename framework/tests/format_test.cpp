// Format: specifiers, arguments and the rounding of reals.

#include "framework/sysutils.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace fw;

TEST(Format, SpecifiersTakeTheirArgumentsInOrderOrByIndex)
{
    EXPECT_EQ(Format(QStringLiteral("List index out of bounds (%d)"), {5}),
              QStringLiteral("List index out of bounds (5)"));
    EXPECT_EQ(Format(QStringLiteral("Unable to write to %s"), {QStringLiteral("/a b/v.ini")}),
              QStringLiteral("Unable to write to /a b/v.ini"));
    EXPECT_EQ(Format(QStringLiteral("%1:s %0:s %s"), {"a", "b"}), QStringLiteral("b a b"));
    EXPECT_EQ(Format(QStringLiteral("[%5d|%-5d|%.3d|%x|%.4x|%u]"), {42, 42, 7, 255, 255, -1}),
              QStringLiteral("[   42|42   |007|FF|00FF|4294967295]"));
    EXPECT_EQ(Format(QStringLiteral("%d %x"), {-5, -1}), QStringLiteral("-5 FFFFFFFF"));
    EXPECT_EQ(Format(QStringLiteral("%*d|%.*s|100%%"), {4, 7, 2, "abc"}),
              QStringLiteral("   7|ab|100%"));
    EXPECT_EQ(Format(QStringLiteral("%S %D"), {"x", 1}), QStringLiteral("x 1"));
}

TEST(Format, FixedRealsRoundHalvesAwayFromZeroOnTheirDecimalDigits)
{
    struct Row {
        double value;
        int decimals;
        const char* text;
    };
    const Row rows[] = {
        {3, 2, "3.00"},
        {2.5, 0, "3"},
        {-2.5, 0, "-3"},
        {0.125, 2, "0.13"}, // exact binary half: rounded up on the digits
        {2.675, 2, "2.67"}, // 2.67499999999999982236... taken to 18 digits first
        {1.005, 2, "1.00"}, // 1.00499999999999989... keeps its 4
        {0.004, 2, "0.00"},
        {0.006, 2, "0.01"},
        {-0.001, 2, "0.00"},     // no sign on a value that shows as zero
        {999.995, 2, "1000.00"}, // a carry through every digit
        {1e20, 1, "100000000000000000000.0"},
        {1.5, 25, "1.500000000000000000"}, // at most 18 decimals
        {12345.678, 1, "12345.7"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(Format(QStringLiteral("%.*f"), {row.decimals, row.value}),
                  QString::fromUtf8(row.text));
    }
    EXPECT_EQ(Format(QStringLiteral("%f"), {1.0}), QStringLiteral("1.00"));
    EXPECT_EQ(Format(QStringLiteral("%.1f %.1f %.1f"), {INFINITY, -INFINITY, NAN}),
              QStringLiteral("INF -INF NAN"));
}

TEST(Format, ScientificRealsHaveThreeExponentDigits)
{
    EXPECT_EQ(Format(QStringLiteral("%.3e"), {1234.5}), QStringLiteral("1.23E+003"));
    EXPECT_EQ(Format(QStringLiteral("%.2e"), {-0.000125}), QStringLiteral("-1.3E-004"));
    EXPECT_EQ(Format(QStringLiteral("%.1e"), {0.0}), QStringLiteral("0E+000"));
    EXPECT_EQ(Format(QStringLiteral("%e"), {1.0}), QStringLiteral("1.00000000000000E+000"));
}

TEST(Format, BadSpecifiersAndArgumentsRaise)
{
    const char* bad[] = {"%d", "%s %s", "%", "%5", "%q", "%.*f"};
    for (const char* format : bad) {
        SCOPED_TRACE(format);
        EXPECT_THROW(Format(QString::fromUtf8(format), {"x"}), EConvertError);
    }
    try {
        Format(QStringLiteral("%f"), {1});
        FAIL() << "no error";
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.Message(),
                  QStringLiteral("Format '%f' invalid or incompatible with argument"));
    }
}

TEST(Format, ExceptionsFormatTheirMessagesAndKeepAUtf8Copy)
{
    const EListError error(QStringLiteral("List index out of bounds (%d)"), {-1});
    EXPECT_EQ(error.Message(), QStringLiteral("List index out of bounds (-1)"));
    EXPECT_STREQ(error.what(), "List index out of bounds (-1)");
    EStreamError renamed(QString::fromUtf16(u"Ä"));
    renamed.SetMessage(QString::fromUtf16(u"Ö"));
    EXPECT_STREQ(renamed.what(), "\xC3\x96");
    try {
        Assert(false, QStringLiteral("must hold"), "unit.cpp", 12);
        FAIL() << "no error";
    } catch (const EAssertionFailed& failure) {
        EXPECT_EQ(failure.Message(), QStringLiteral("must hold (unit.cpp, line 12)"));
    }
    try {
        Assert(false, QStringLiteral("100%1 sure"), "%2.cpp", 7);
        FAIL() << "no error";
    } catch (const EAssertionFailed& failure) {
        EXPECT_EQ(failure.Message(), QStringLiteral("100%1 sure (%2.cpp, line 7)"));
    }
    EXPECT_NO_THROW(Assert(true, QString()));
}
