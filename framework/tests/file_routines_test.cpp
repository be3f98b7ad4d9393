// File names as text, and files and folders through the platform's path rules.

#include "framework/sysutils.h"
#include "qstring_printer.h"
#include "test_support/files.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace fw;
using test_support::TempFolder;

namespace {

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

}

TEST(FileNames, PartsOfAPathTakeBothSeparators)
{
    struct Row {
        const char* path;
        const char* name;
        const char* folder;
        const char* extension;
        const char* as_ini;
    };
    const Row rows[] = {
        {"/home/u/Vistrel", "Vistrel", "/home/u/", "", "/home/u/Vistrel.ini"},
        {"/home/u/a.dxf.bak", "a.dxf.bak", "/home/u/", ".bak", "/home/u/a.dxf.ini"},
        {"C:\\Parts\\P1.KZV", "P1.KZV", "C:\\Parts\\", ".KZV", "C:\\Parts\\P1.ini"},
        {"/a.b/c", "c", "/a.b/", "", "/a.b/c.ini"},
        {"name.", "name.", "", ".", "name.ini"},
        {".hidden", ".hidden", "", ".hidden", ".ini"},
        {"/folder/", "", "/folder/", "", "/folder/.ini"},
        {"", "", "", "", ".ini"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        const QString path = QString::fromUtf8(row.path);
        EXPECT_EQ(ExtractFileName(path), QString::fromUtf8(row.name));
        EXPECT_EQ(ExtractFilePath(path), QString::fromUtf8(row.folder));
        EXPECT_EQ(ExtractFileExt(path), QString::fromUtf8(row.extension));
        EXPECT_EQ(ChangeFileExt(path, QStringLiteral(".ini")), QString::fromUtf8(row.as_ini));
    }
    EXPECT_EQ(ChangeFileExt(QStringLiteral("a/b.c"), QString()), QStringLiteral("a/b"));
    EXPECT_EQ(IncludeTrailingPathDelimiter(QStringLiteral("/a")), QStringLiteral("/a/"));
    EXPECT_EQ(IncludeTrailingPathDelimiter(QStringLiteral("C:\\a\\")), QStringLiteral("C:\\a\\"));
    EXPECT_EQ(ExcludeTrailingPathDelimiter(QStringLiteral("/a/")), QStringLiteral("/a"));
    EXPECT_EQ(ExcludeTrailingPathDelimiter(QStringLiteral("/a")), QStringLiteral("/a"));
}

TEST(Files, ExistenceFollowsThePlatformsPathRules)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    folder.write("Parts/PART.GR", "UNITS : MM\n");
    const QString base = q(folder.path());

    EXPECT_TRUE(FileExists(base + QStringLiteral("/Parts/PART.GR")));
    EXPECT_TRUE(FileExists(base + QStringLiteral("/parts/part.gr")));   // without regard to case
    EXPECT_TRUE(FileExists(base + QStringLiteral("\\Parts\\Part.Gr"))); // '\' separates too
    EXPECT_FALSE(FileExists(base + QStringLiteral("/Parts")));          // a folder is no file
    EXPECT_FALSE(FileExists(base + QStringLiteral("/Parts/PART.KZV")));
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_TRUE(DirectoryExists(base + QStringLiteral("/PARTS")));
    EXPECT_TRUE(DirectoryExists(base + QStringLiteral("/Parts/")));
    EXPECT_FALSE(DirectoryExists(base + QStringLiteral("/Parts/PART.GR")));

    EXPECT_TRUE(DeleteFile(base + QStringLiteral("/parts/part.gr")));
    EXPECT_FALSE(test_support::exists(folder.path("Parts/PART.GR")));
    EXPECT_FALSE(DeleteFile(base + QStringLiteral("/parts/part.gr")));
}

TEST(Files, ForceDirectoriesMakesEveryMissingLevel)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const QString base = q(folder.path());
    // The settings folder of a fresh system: two levels, one with blanks.
    const QString settings = base + QStringLiteral("/data/Tarvek/Tarvek CAD Viewer/");
    EXPECT_TRUE(ForceDirectories(settings));
    EXPECT_TRUE(DirectoryExists(settings));
    EXPECT_TRUE(ForceDirectories(settings)); // there already
    // An existing level found without regard to case keeps its spelling.
    EXPECT_TRUE(ForceDirectories(base + QStringLiteral("/DATA/tarvek/New")));
    EXPECT_TRUE(test_support::exists(folder.path("data/Tarvek/New")));
    EXPECT_TRUE(ForceDirectories(QStringLiteral("/")));
    EXPECT_FALSE(ForceDirectories(QString()));

    // A file in the way, and a folder that may not be written.
    folder.write("file", "x");
    EXPECT_FALSE(ForceDirectories(base + QStringLiteral("/file/sub")));
    test_support::make_folders(folder.path("locked"));
    ASSERT_EQ(chmod(folder.path("locked").c_str(), 0500), 0);
    if (geteuid() != 0) {
        EXPECT_FALSE(ForceDirectories(base + QStringLiteral("/locked/sub/deeper")));
    }
}

TEST(Files, CurrentDirectoryRoundTrips)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    test_support::make_folders(folder.path("Run Here"));
    const QString before = GetCurrentDir();
    ASSERT_FALSE(before.isEmpty());
    ASSERT_TRUE(SetCurrentDir(q(folder.path()) + QStringLiteral("/run here")));
    EXPECT_EQ(GetCurrentDir(), q(folder.path("Run Here")));
    EXPECT_FALSE(SetCurrentDir(q(folder.path()) + QStringLiteral("/missing")));
    EXPECT_TRUE(SetCurrentDir(before));
}

TEST(Files, FileDatesUnpackToDaysSince1899)
{
    // 2024-02-29 13:45:30: date (44 << 9 | 2 << 5 | 29), time (13 << 11 | 45 << 5 | 15).
    const int32_t packed = ((44 << 9 | 2 << 5 | 29) << 16) | (13 << 11 | 45 << 5 | 15);
    EXPECT_DOUBLE_EQ(FileDateToDateTime(packed), 45351.0 + (13 * 3600 + 45 * 60 + 30) / 86400.0);
    EXPECT_DOUBLE_EQ(FileDateToDateTime((0 << 9 | 1 << 5 | 1) << 16), 29221.0); // 1980-01-01
    EXPECT_EQ(FileDateToDateTime(0), 0);                                        // month 0: no date
}
