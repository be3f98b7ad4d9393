// The viewer's text and number routines.

#include "units/string_utils.h"

#include "framework/classes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace vistrel;

// Shows QStrings as text in failure messages (found by argument-dependent lookup).
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

QString q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

}

TEST(StringUtils, StrToFloatToleratesCommasSignsAndLongFractions)
{
    struct Row {
        const char* text;
        double value;
    };
    const Row rows[] = {
        {"", 0},          {"   ", 0},        {"3,5", 3.5},
        {"-2.25", -2.25}, {"+7", 7},         {"1.123456789", 1.12345678},
        {"1.x", 0},       {"  0.05 ", 0.05}, {"-", 0},
        {"12.", 12},      {".5", 0.5},       {"1,5,0", 0}, // only the first comma is a point
        {"\t1", 0},                                        // a tab is no blank here
        {"7.85 g", 0},    {"1e3", 1000},                   // the whole part is read as a real
        {"2.-5", 2},                                       // a negative fraction counts as none
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_DOUBLE_EQ(StrToFloatTolerant(q(row.text)), row.value);
    }
}

TEST(StringUtils, RoundToDecimalsTakesHalvesUp)
{
    struct Row {
        int decimals;
        double x;
        double rounded;
    };
    const Row rows[] = {
        {1, -1.25, -1.2}, {1, -1.26, -1.3}, {1, 1.25, 1.3}, {0, 2.5, 3},
        {-2, 2.5, 3},     {2, 0, 0},        {2, 1e308, 0},  {3, 1.0005, 1.001},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.decimals) + " " + std::to_string(row.x));
        EXPECT_DOUBLE_EQ(RoundToDecimals(row.decimals, row.x), row.rounded);
    }
}

TEST(StringUtils, FixedAndTrimmedFormsAlwaysUseAPoint)
{
    struct Row {
        bool force_dot;
        int decimals;
        bool two_decimals;
        double x;
        const char* text;
    };
    const Row fixed[] = {
        {false, 2, false, 3, "3.00"},
        {true, 0, false, 3, "3."},
        {false, 0, false, 3, "3"},
        {false, 0, true, 3, "3.00"},
        {false, 3, false, -1.0005, "-1.000"}, // rounded up first: -1.0005 -> -1.000
        {false, 1, false, 0.05, "0.1"},
        {false, 20, false, 1.5, "1.50000000000000000000"}, // padded past what the format gives
        {true, -1, false, 2.5, "3."},
    };
    for (const Row& row : fixed) {
        SCOPED_TRACE(row.text);
        QString text;
        FormatFixed(row.force_dot, row.decimals, row.two_decimals, text, row.x);
        EXPECT_EQ(text, q(row.text));
    }

    struct TrimmedRow {
        bool keep_zero;
        int decimals;
        double x;
        const char* text;
    };
    const TrimmedRow trimmed[] = {
        {false, 3, 2, "2"},     {true, 3, 2, "2.0"},    {false, 3, 2.5, "2.5"},
        {false, 3, 1.2, "1.2"}, {false, 3, 100, "100"}, {true, 3, 100, "100.0"},
        {false, 0, 20, "20"},   {true, 0, 20, "20.0"},  {false, 2, 0.004, "0"},
    };
    for (const TrimmedRow& row : trimmed) {
        SCOPED_TRACE(row.text);
        QString text;
        FormatTrimmed(row.keep_zero, row.decimals, text, row.x);
        EXPECT_EQ(text, q(row.text));
    }
}

TEST(StringUtils, BlanksAndExtensions)
{
    EXPECT_EQ(TrimBlanks(q("  a\tb  ")), q("a\tb"));
    EXPECT_EQ(TrimBlanks(q("\ta ")), q("\ta"));
    EXPECT_EQ(DottedExt(q("DXF")), q(".DXF"));
    EXPECT_EQ(DottedExt(q(".dxf")), q(".dxf"));
    EXPECT_EQ(DottedExt(q("a.b")), q("a.b"));

    struct Row {
        const char* file;
        const char* extension;
        bool same;
    };
    const Row rows[] = {
        {"a.dxf", "DXF", true},
        {"a.dxf", ".dxf", true},
        {"a.dxf.bak", ".DXF", false},
        {"/p/PART.KZV", "kzv", true},
        {"/p/part", "", true},
        {"/p/part.gr", "", false},
        {"/p.d/part", ".d/part", false},
        {"a.IGES", ".iges", true},
        {"stra\xC3\x9f"
         "e.\xC3\x9f",
         ".\xC3\x9f", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.file) + " " + row.extension);
        EXPECT_EQ(SameFileExt(q(row.file), q(row.extension)), row.same);
    }
}

TEST(StringUtils, SplitFileExtTakesTheExtensionWithoutItsPoint)
{
    struct Row {
        const char* name;
        const char* rest;
        const char* extension;
    };
    const Row rows[] = {
        {"part.dwg", "part", "dwg"},
        {"/tmp/a.b.dxf", "/tmp/a.b", "dxf"},
        {"noext", "noext", ""},
        {"/dir.d/file", "/dir.d/file", ""}, // the last point lies in a folder
        {"C:\\dir.d\\file", "C:\\dir.d\\file", ""},
        {".abc", "", "abc"},
        {"name.", "name", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QString name = q(row.name);
        QString extension = q("stale");
        SplitFileExt(name, extension);
        EXPECT_EQ(name, q(row.rest));
        EXPECT_EQ(extension, q(row.extension));
    }
}

TEST(StringUtils, KeysAreFoundInReportLinesWithoutRegardToCase)
{
    fw::TStringList report;
    report.SetText(q("JOB : 1042\n"
                     "  UNITS : MM\n"
                     "units : mm\n"
                     "DENSITY : 7,85\n"
                     "PARTS :   12  \n"
                     "[MACHINE]\n"
                     "STRASSE : Nord\n"
                     "[END]"));
    QString value = q("stale");
    GetKeyValue(&report, q("UNITS : "), 0, value);
    EXPECT_EQ(value, q("MM"));
    GetKeyValue(&report, q("units : "), 2, value);
    EXPECT_EQ(value, q("mm"));
    GetKeyValue(&report, q("WEIGHT"), 0, value);
    EXPECT_EQ(value, QString());
    GetKeyValue(&report, QString(), 0, value);
    EXPECT_EQ(value, QString());
    // The key's case does not matter, and upper-casing keeps "ß" one character.
    GetKeyValue(&report,
                q("stra\xC3\x9f"
                  "e :"),
                0, value);
    EXPECT_EQ(value, QString());
    GetKeyValue(&report, q("strasse :"), 0, value);
    EXPECT_EQ(value, q("Nord"));

    EXPECT_EQ(GetKeyInt(&report, q("PARTS :"), 0), 12);
    EXPECT_EQ(GetKeyInt(&report, q("UNITS :"), 0), 0);
    EXPECT_DOUBLE_EQ(GetKeyFloat(&report, q("DENSITY :"), 0), 7.85);
    EXPECT_EQ(FindLineStartingWith(0, &report, q("[MACHINE]")), 5);
    EXPECT_EQ(FindLineStartingWith(0, &report, q("[END]")), 7);  // the last line
    EXPECT_EQ(FindLineStartingWith(0, &report, q("UNITS")), -1); // exact, at the first character
    EXPECT_EQ(FindLineStartingWith(6, &report, q("[MACHINE]")), -1);
    EXPECT_EQ(FindLineStartingWith(0, &report, QString()), -1);
    EXPECT_EQ(FindLineStartingWith(9, &report, q("[")), -1);
}

TEST(StringUtils, CommandLineWordsAndQuotedParts)
{
    struct Row {
        const char16_t* text;
        std::vector<const char16_t*> words;
    };
    const Row rows[] = {
        {u"a b\tc", {u"a", u"b", u"c"}},
        {u"\"C:\\My Parts\\p.dxf\" next", {u"C:\\My Parts\\p.dxf", u"next"}},
        {u"x\"a b\"y z", {u"xa by", u"z"}},
        {u"\"\" \"\"\"\" w", {u"w"}}, // pairs of quotes before a word are skipped
        {u"\"open", {u"open"}},       // a quote never closed runs to the end
        {u"   ", {u""}},
    };
    for (const Row& row : rows) {
        const QString text = QString::fromUtf16(row.text);
        SCOPED_TRACE(text.toStdString());
        const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
        for (const char16_t* expected : row.words) {
            QString word;
            p = NextCommandLineWord(p, word);
            EXPECT_EQ(word, QString::fromUtf16(expected));
        }
        EXPECT_EQ(*p, 0);
    }
    // A word longer than 4096 characters keeps its first 4096; the next word follows.
    const QString long_line = QString(5000, u'x') + QStringLiteral(" tail");
    QString word;
    const char16_t* p =
        NextCommandLineWord(reinterpret_cast<const char16_t*>(long_line.utf16()), word);
    EXPECT_EQ(word.size(), 4096);
    NextCommandLineWord(p, word);
    EXPECT_EQ(word, q("tail"));
}

TEST(StringUtils, CommandLineParamsOfAQuotedProgram)
{
    struct Row {
        const char* line;
        int index;
        const char* param;
    };
    const Row rows[] = {
        {"\"/opt/vistrel\"/home/u/a.dxf", 1, "/home/u/a.dxf"}, // no blank after the program
        {"\"/opt/vistrel\" \"/home/u/my part.dxf\"", 1, "/home/u/my part.dxf"},
        {"\"/opt/vistrel\" a", 0, "/opt/vistrel"},
        {"\"/opt/vistrel\" a", 2, ""},
        {"\"/opt/vistrel\"", 1, ""},
        {"/opt/vistrel a", 1, "unchanged"}, // no quote first: nothing is read
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        QString param = q("unchanged");
        GetCommandLineParamOf(q(row.line), row.index, param);
        EXPECT_EQ(param, q(row.param));
    }
    QString param = q("unchanged");
    GetCommandLineParam(0, param); // the test's own program path has no quote
    EXPECT_TRUE(param == q("unchanged") || !param.isEmpty());
}
