// FindFirst / FindNext / FindClose over a folder.

#include "framework/sysutils.h"
#include "qstring_printer.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <ctime>
#include <utility>
#include <vector>

using namespace fw;
using test_support::TempFolder;

namespace {

struct Entry {
    QString name;
    bool folder;
    friend bool operator==(const Entry&, const Entry&) = default;
};

void PrintTo(const Entry& entry, std::ostream* out)
{
    *out << entry.name.toStdString() << (entry.folder ? "/" : "");
}

std::vector<Entry> scan(const QString& pattern, int32_t attributes, int* first_result = nullptr)
{
    std::vector<Entry> entries;
    TSearchRec record;
    int result = FindFirst(pattern, attributes, record);
    if (first_result != nullptr)
        *first_result = result;
    while (result == 0) {
        entries.push_back({record.Name, (record.Attr & faDirectory) != 0});
        result = FindNext(record);
    }
    EXPECT_EQ(result, 18); // no more files
    FindClose(record);
    return entries;
}

}

TEST(FindFiles, EntriesComeInCaseInsensitiveOrderWithoutDotEntries)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    for (const char* name : {"b.dxf", "A.DXF", "c.KZV", "a2.dxf", ".hidden.dxf"})
        folder.write(name, "x");
    folder.write("Sub/inner.dxf", "x");
    folder.write("apple/inner.dxf", "x");
    const QString base = QString::fromStdString(folder.path());

    EXPECT_EQ(scan(base + QStringLiteral("/*.*"), faAnyFile),
              (std::vector<Entry>{{".hidden.dxf", false},
                                  {"A.DXF", false},
                                  {"a2.dxf", false},
                                  {"apple", true},
                                  {"b.dxf", false},
                                  {"c.KZV", false},
                                  {"Sub", true}}));
    // Folders and hidden entries only when asked for; the pattern ignores case.
    EXPECT_EQ(scan(base + QStringLiteral("/*.dxf"), faArchive | faReadOnly),
              (std::vector<Entry>{{"A.DXF", false}, {"a2.dxf", false}, {"b.dxf", false}}));
    EXPECT_EQ(scan(base + QStringLiteral("/*"), faDirectory), (std::vector<Entry>{{"A.DXF", false},
                                                                                  {"a2.dxf", false},
                                                                                  {"apple", true},
                                                                                  {"b.dxf", false},
                                                                                  {"c.KZV", false},
                                                                                  {"Sub", true}}));
}

TEST(FindFiles, RecordsCarrySizeAndLocalTime)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string path = folder.write("part.gr", "12345");
    // 2021-06-15 10:20:30 local time.
    std::tm parts{};
    parts.tm_year = 121;
    parts.tm_mon = 5;
    parts.tm_mday = 15;
    parts.tm_hour = 10;
    parts.tm_min = 20;
    parts.tm_sec = 30;
    parts.tm_isdst = -1;
    const utimbuf times{std::mktime(&parts), std::mktime(&parts)};
    ASSERT_EQ(utime(path.c_str(), &times), 0);

    TSearchRec record;
    ASSERT_EQ(FindFirst(QString::fromStdString(folder.path()) + QStringLiteral("/PART.GR"),
                        faAnyFile, record),
              0);
    EXPECT_EQ(record.Name, QStringLiteral("part.gr"));
    EXPECT_EQ(record.Size, 5);
    EXPECT_EQ(record.Attr & faDirectory, 0);
    EXPECT_DOUBLE_EQ(FileDateToDateTime(record.Time),
                     44362.0 + (10 * 3600 + 20 * 60 + 30) / 86400.0);
    FindClose(record);
    EXPECT_EQ(FindNext(record), 18); // a closed scan finds nothing more
}

TEST(FindFiles, MissingFoldersAndEmptyResultsGiveWin32Errors)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const QString base = QString::fromStdString(folder.path());
    TSearchRec record;
    EXPECT_EQ(FindFirst(base + QStringLiteral("/*.dxf"), faAnyFile, record), 2); // nothing matches
    EXPECT_EQ(FindFirst(base + QStringLiteral("/none/*.dxf"), faAnyFile, record), 3); // no folder
    folder.write("only/Sub/x", "x");
    int first = 0;
    EXPECT_TRUE(
        scan(base + QStringLiteral("/only/*"), faArchive, &first).empty()); // all filtered out
    EXPECT_EQ(first, 18);
}
