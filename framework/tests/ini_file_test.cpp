// TIniFile: finding sections and keys, values, and rewriting the file in place.

#include "framework/inifiles.h"
#include "qstring_printer.h"
#include "test_support/files.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

using namespace fw;
using test_support::TempFolder;

namespace {

// The settings file of the viewer as a person may have edited it.
constexpr const char* kSettings = "; window placement\n"
                                  "[Display Management]\n"
                                  "Left = 120\n"
                                  "Top=\t 42 \n"
                                  "Width=900\n"
                                  "left=7\n"
                                  "Height=abc\n"
                                  "\n"
                                  "[Dirs]\n"
                                  "LastvectorDir=\"/home/u/Parts \"\n"
                                  "Quoted='a\"\n"
                                  "Empty=\n"
                                  "[display management]\n"
                                  "WinState=2\n";

}

TEST(IniFile, SectionsAndKeysAreFoundWithoutRegardToCaseFirstMatchWinning)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const TIniFile ini(QString::fromStdString(folder.write("vistrel.ini", kSettings)));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("display management"), QStringLiteral("left"), 0),
              120);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Display Management"), QStringLiteral("Top"), 0), 42);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Display Management"), QStringLiteral("Height"), 700),
              700);
    // The second section of the same name is never looked at.
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Display Management"), QStringLiteral("WinState"), 0),
              0);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Missing"), QStringLiteral("Left"), -1), -1);

    EXPECT_EQ(ini.ReadString(QStringLiteral("Dirs"), QStringLiteral("LastvectorDir"), QString()),
              QStringLiteral("/home/u/Parts "));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Dirs"), QStringLiteral("Quoted"), QString()),
              QStringLiteral("'a\""));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Dirs"), QStringLiteral("Empty"), QStringLiteral("x")),
              QString());
    EXPECT_EQ(ini.ReadString(QStringLiteral("Dirs"), QStringLiteral("None"), QStringLiteral("x")),
              QStringLiteral("x"));
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("Display Management"), QStringLiteral("Width"), false));
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("Dirs"), QStringLiteral("None"), true));
}

TEST(IniFile, AMissingFileGivesTheDefaults)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const TIniFile ini(QString::fromStdString(folder.path("none/vistrel.ini")));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Display Management"), QStringLiteral("Width"), 900),
              900);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Dirs"), QStringLiteral("LastvectorDir"), QString()),
              QString());
}

TEST(IniFile, StringsAreCutAt2048Characters)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string long_value(3000, 'v');
    const TIniFile ini(
        QString::fromStdString(folder.write("long.ini", "[A]\nKey=" + long_value + "\n")));
    EXPECT_EQ(ini.ReadString(QStringLiteral("A"), QStringLiteral("Key"), QString()).size(), 2048);
}

TEST(IniFile, WritesKeepEveryOtherLineAndTheFilesLineEnds)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string crlf =
        "; kept\r\n[Display Management]\r\nLeft=1\r\nTop=2\r\n\r\n[Other]\r\nX=y\r\n";
    TIniFile ini(QString::fromStdString(folder.write("vistrel.ini", crlf)));
    ini.WriteInteger(QStringLiteral("display management"), QStringLiteral("LEFT"), -5);
    ini.WriteInteger(QStringLiteral("Display Management"), QStringLiteral("Width"), 900);
    ini.WriteBool(QStringLiteral("Vectors"), QStringLiteral("LastDirOnStart"), false);
    ini.WriteBool(QStringLiteral("Vectors"), QStringLiteral("Flag"), true);
    ini.WriteString(QStringLiteral("Dirs"), QStringLiteral("LastvectorDir"),
                    QString::fromUtf16(u"/home/ü/Teile"));
    EXPECT_EQ(
        test_support::read_file(folder.path("vistrel.ini")),
        "; kept\r\n[Display Management]\r\nLEFT=-5\r\nTop=2\r\nWidth=900\r\n\r\n[Other]\r\nX=y\r\n"
        "[Vectors]\r\nLastDirOnStart=0\r\nFlag=1\r\n[Dirs]\r\nLastvectorDir=/home/\xC3\xBC/"
        "Teile\r\n");
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Display Management"), QStringLiteral("Left"), 0), -5);
    EXPECT_EQ(ini.ReadString(QStringLiteral("DIRS"), QStringLiteral("lastvectordir"), QString()),
              QString::fromUtf16(u"/home/ü/Teile"));
    // No temporary file is left beside it.
    EXPECT_FALSE(test_support::exists(folder.path("vistrel.ini.~0")));
}

TEST(IniFile, AFirstWriteMakesTheFile)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    TIniFile ini(QString::fromStdString(folder.path("new.ini")));
    ini.WriteString(QStringLiteral("Dirs"), QStringLiteral("LastvectorDir"), QStringLiteral("/x"));
    EXPECT_EQ(test_support::read_file(folder.path("new.ini")), "[Dirs]\nLastvectorDir=/x\n");
}

TEST(IniFile, AWriteThatCannotBeDoneRaisesWithThePath)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    struct Row {
        const char* what;
        std::string path;
    };
    // A read-only file, and a folder that does not exist (it is not made).
    const std::string read_only = folder.write("locked.ini", "[A]\nB=1\n");
    ASSERT_EQ(chmod(read_only.c_str(), 0444), 0);
    const Row rows[] = {
        {"missing folder", folder.path("Tarvek/Tarvek CAD Viewer/vistrel.ini")},
        {"read-only file", read_only},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TIniFile ini(QString::fromStdString(row.path));
        try {
            ini.WriteInteger(QStringLiteral("Display Management"), QStringLiteral("Left"), 0);
            FAIL() << "no error";
        } catch (const EIniFileException& error) {
            EXPECT_EQ(error.Message(), QString::fromStdString("Unable to write to " + row.path));
        }
    }
    EXPECT_FALSE(test_support::exists(folder.path("Tarvek")));
    EXPECT_EQ(test_support::read_file(read_only), "[A]\nB=1\n");
    EXPECT_FALSE(test_support::exists(read_only + ".~0"));

    // Made by the program first, the folder takes the settings.
    ASSERT_TRUE(ForceDirectories(QString::fromStdString(folder.path("Tarvek/Tarvek CAD Viewer/"))));
    TIniFile ini(QString::fromStdString(rows[0].path));
    ini.WriteInteger(QStringLiteral("Display Management"), QStringLiteral("Left"), 3);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Display Management"), QStringLiteral("Left"), 0), 3);
}

TEST(IniFile, SettingsWrittenInWindows1252AreReadAndRewrittenAsUtf8)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    TIniFile ini(QString::fromStdString(
        folder.write("old.ini", "[Dirs]\nLastvectorDir=C:\\Teile f\xFCr A\n")));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Dirs"), QStringLiteral("LastvectorDir"), QString()),
              QString::fromUtf16(u"C:\\Teile für A"));
    ini.WriteInteger(QStringLiteral("Dirs"), QStringLiteral("N"), 1);
    EXPECT_EQ(test_support::read_file(folder.path("old.ini")),
              "[Dirs]\nLastvectorDir=C:\\Teile f\xC3\xBCr A\nN=1\n");
}
