// TStringList: sorting, case, errors, and loading text files of any encoding.

#include "framework/classes.h"
#include "qstring_printer.h"
#include "runtime/text_decoding.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace fw;
using test_support::TempFolder;

namespace {

std::vector<QString> lines_of(const TStrings& list)
{
    std::vector<QString> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list.Strings(i));
    return out;
}

std::vector<QString> qlines(std::initializer_list<const char16_t*> texts)
{
    std::vector<QString> out;
    for (const char16_t* text : texts)
        out.push_back(QString::fromUtf16(text));
    return out;
}

std::span<const std::byte> bytes_of(const std::string& text)
{
    return {reinterpret_cast<const std::byte*>(text.data()), text.size()};
}

}

TEST(StringLists, SortedListsPlaceLinesAndRefuseInsertion)
{
    TStringList list;
    list.Add(QStringLiteral("b"));
    list.Add(QStringLiteral("C"));
    list.Add(QStringLiteral("a"));
    list.SetSorted(true);
    EXPECT_EQ(lines_of(list), qlines({u"a", u"b", u"C"}));
    EXPECT_EQ(list.Add(QStringLiteral("B")), 1); // there already without regard to case: ignored
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.IndexOf(QStringLiteral("c")), 2);

    try {
        list.Insert(0, QStringLiteral("z"));
        FAIL() << "no error";
    } catch (const EStringListError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Operation not allowed on sorted list"));
    }
    EXPECT_THROW(list.SetStrings(0, QStringLiteral("z")), EListError);

    list.SetDuplicates(dupError);
    try {
        list.Add(QStringLiteral("A"));
        FAIL() << "no error";
    } catch (const EStringListError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("String list does not allow duplicates"));
    }
    list.SetDuplicates(dupAccept);
    EXPECT_EQ(list.Add(QStringLiteral("A")), 0); // first among its equals
    EXPECT_EQ(lines_of(list), qlines({u"A", u"a", u"b", u"C"}));

    // Case-sensitive order is by UTF-16 units: capitals first.
    list.SetCaseSensitive(true);
    EXPECT_EQ(lines_of(list), qlines({u"A", u"C", u"a", u"b"}));
    EXPECT_EQ(list.IndexOf(QStringLiteral("c")), -1);
}

TEST(StringLists, IndicesOutsideTheListRaiseWithTheIndex)
{
    TStringList list;
    list.SetText(QStringLiteral("a\nb\nc"));
    try {
        list.Strings(5);
        FAIL() << "no error";
    } catch (const EListError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("List index out of bounds (5)"));
    }
    EXPECT_THROW(list.Objects(-1), EStringListError);
    EXPECT_THROW(list.Delete(3), EStringListError);
    EXPECT_THROW(list.Insert(4, QString()), EStringListError);
    EXPECT_THROW(list.Exchange(0, 3), EStringListError);
    EXPECT_EQ(list.Count(), 3);
}

TEST(StringLists, ObjectsTravelWithTheirLines)
{
    TStringList list;
    TStringList marker_a;
    TStringList marker_b;
    list.AddObject(QStringLiteral("zeta"), &marker_a);
    list.AddObject(QStringLiteral("alpha"), &marker_b);
    list.SetSorted(true);
    EXPECT_EQ(list.Objects(0), &marker_b);
    EXPECT_EQ(list.IndexOfObject(&marker_a), 1);
    TStringList copy;
    copy.Assign(&list);
    EXPECT_EQ(lines_of(copy), lines_of(list));
    EXPECT_EQ(copy.Objects(1), &marker_a);
    copy.CustomSort(
        [](TStringList* l, int a, int b) { return CompareText(l->Strings(b), l->Strings(a)); });
    EXPECT_EQ(lines_of(copy), qlines({u"zeta", u"alpha"}));
}

TEST(StringLists, TextSplitsAtEveryKindOfLineBreak)
{
    TStringList list;
    list.SetText(QStringLiteral("a\r\nb\rc\n\nd\n"));
    EXPECT_EQ(lines_of(list), qlines({u"a", u"b", u"c", u"", u"d"}));
    EXPECT_EQ(list.Text(), QStringLiteral("a\nb\nc\n\nd\n"));
    list.SetText(QString());
    EXPECT_EQ(list.Count(), 0);
    list.SetText(QStringLiteral("\r\n\r\n"));
    EXPECT_EQ(lines_of(list), qlines({u"", u""}));
}

TEST(StringLists, ReportsLoadToTheSameLinesInEveryEncoding)
{
    // A part report with a degree sign, a micro sign and a euro sign, as three
    // programs write it.
    const std::vector<QString> expected =
        qlines({u"UNITS : MM", u"DENSITY : 7,85 g/cm\u00B3", u"TOLERANCE : \u00B10.1 \u00B5m",
                u"COST : 3 \u20AC"});
    const std::string utf8 = "UNITS : MM\r\nDENSITY : 7,85 g/cm\xC2\xB3\r\nTOLERANCE : \xC2\xB1"
                             "0.1 \xC2\xB5m\r\nCOST : 3 \xE2\x82\xAC\r\n";
    const std::string windows_1252 = "UNITS : MM\r\nDENSITY : 7,85 g/cm\xB3\r\nTOLERANCE : \xB1"
                                     "0.1 \xB5m\r\nCOST : 3 \x80\r\n";
    std::string utf16le = "\xFF\xFE";
    std::string utf16be = "\xFE\xFF";
    const QString text = QString::fromStdString(utf8);
    for (const QChar c : text) {
        utf16le += static_cast<char>(c.unicode() & 0xFF);
        utf16le += static_cast<char>(c.unicode() >> 8);
        utf16be += static_cast<char>(c.unicode() >> 8);
        utf16be += static_cast<char>(c.unicode() & 0xFF);
    }
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::pair<const char*, std::string> files[] = {
        {"utf8.gr", utf8},
        {"bom.gr", "\xEF\xBB\xBF" + utf8},
        {"utf16le.gr", utf16le},
        {"utf16be.gr", utf16be + std::string(1, '\0')}, // a stray last byte is dropped
        {"ansi.gr", windows_1252},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        const std::string path = folder.write(name, bytes);
        TStringList list;
        list.LoadFromFile(QString::fromStdString(path));
        EXPECT_EQ(lines_of(list), expected);
    }
    TStringList missing;
    try {
        missing.LoadFromFile(QString::fromStdString(folder.path("none.gr")));
        FAIL() << "no error";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(error.Message(),
                  QString::fromStdString("Cannot open file " + folder.path("none.gr")));
    }
}

TEST(TextDecoding, OnlyWellFormedUtf8CountsAsUtf8)
{
    struct Row {
        const char* what;
        std::string bytes;
        bool utf8;
    };
    const Row rows[] = {
        {"ascii", "plain", true},
        {"two bytes", "\xC3\xA9", true},
        {"four bytes", "\xF0\x9F\x98\x80", true},
        {"last code point", "\xF4\x8F\xBF\xBF", true},
        {"overlong slash", "\xC0\xAF", false},
        {"overlong three", "\xE0\x80\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"cut short", "a\xE2\x82", false},
        {"lone continuation", "\x80", false},
        {"latin-1 e acute", "caf\xE9", false},
        {"0xF5 lead", "\xF5\x80\x80\x80", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(detail::is_valid_utf8(bytes_of(row.bytes)), row.utf8);
    }
    // The five bytes that Windows-1252 leaves open keep their numbers.
    EXPECT_EQ(detail::decode_text(bytes_of("\x81\x8D\x8F\x90\x9D\x9F")),
              QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D\u0178"));
    EXPECT_EQ(detail::decode_text(bytes_of(std::string("\xFF\xFE", 2))), QString());
    EXPECT_EQ(detail::decode_text({}), QString());
}
