#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/memory.h"
#include "osmark/variables.h"
#include "osmark/versions.h"
#include "platform/registry.h"

#include "test_support/files.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using test_support::TempFolder;
using test_support::write_file;

TEST(VersionStrings, CreateCutsTheNameToTheBuffer)
{
    const std::string name(30, 'n');
    char buffer[32];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(CreateVersionStr(name.c_str(), buffer, 16), buffer);
    EXPECT_STREQ(buffer, ("$VER: " + name.substr(0, 9)).c_str());
    EXPECT_EQ(buffer[16], 'x') << "nothing beyond size";

    std::memset(buffer, 'x', sizeof buffer);
    CreateVersionStr("lib 1.0", buffer, 6);
    EXPECT_EQ(buffer[0], 'x') << "a size below 7 leaves the buffer alone";
    CreateVersionStr("lib 1.0", buffer, 7);
    EXPECT_STREQ(buffer, "$VER: ");
    CreateVersionStr("lib 1.0", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "$VER: lib 1.0");
}

TEST(VersionStrings, FindTheNumberAfterTheName)
{
    struct Row {
        const char* text;
        int32_t result;
        int32_t version;
        int32_t revision;
        const char* name;
        const char* rest;
    };
    const Row rows[] = {
        {"$VER: lib 2.13 (01.02.2010)", 1, 2, 13, "lib", "(01.02.2010)"},
        {"$VER: 2.1", 0, 0, 0, "", ""},
        {"$VER:x V3", 1, 3, 0, "x", ""},
        {"$VER: Some Name 4.5 (date)", 1, 4, 5, "Some Name", "(date)"},
        {"$VER: Geometry Data File V1.00", 1, 1, 0, "Geometry Data File", ""},
        {"$VER:\tname\t\t7.08  trailing  ", 1, 7, 8, "name", "trailing"},
        {"$VER: name v2.0", 0, 0, 0, "", ""},
        {"$VER: name VV2.0", 0, 0, 0, "", ""},
        {"$VER: a b 3", 1, 3, 0, "a b", ""},
        {"$VER: name 9.", 1, 9, 0, "name", ""},
        {"$VER: name 99999999999.4", 1, INT32_MAX, 4, "name", ""},
        {"$ver: lib 2.13", 0, 0, 0, "", ""},
        {" $VER: lib 2.13", 0, 0, 0, "", ""},
        {"$VER:", 0, 0, 0, "", ""},
        {"", 0, 0, 0, "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        int32_t version = -1;
        int32_t revision = -1;
        EXPECT_EQ(ReadVersion(row.text, &version, &revision), row.result);
        if (row.result != 0) {
            EXPECT_EQ(version, row.version);
            EXPECT_EQ(revision, row.revision);
        }
        std::string name(std::strlen(row.text) + 1, '?');
        std::string rest(std::strlen(row.text) + 1, '?');
        EXPECT_EQ(ParseVersionStr(row.text, name.data(), &version, &revision, rest.data()), row.result);
        EXPECT_STREQ(name.c_str(), row.name);
        EXPECT_STREQ(rest.c_str(), row.rest);
    }
    EXPECT_EQ(ReadVersion(nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(ReadVersion("$VER: lib 1.2", nullptr, nullptr), 1);
}

TEST(VersionStrings, FileVersionReadsTheFirstLine)
{
    TempFolder folder;
    struct Row {
        const char* content;
        const char* prefix;
        double version;
    };
    const Row rows[] = {
        {"# Assign File Version  1.00\nWork:x\r\n", "# Assign File Version ", 1.0},
        {"# Assign File Version 2.50\n", "# Assign File Version ", 2.5},
        {"# assign file version 1.00\n", "# Assign File Version ", 0.0},
        {"# Assign File Version", "# Assign File Version ", 0.0},
        {"", "# Assign File Version ", 0.0},
        {"3.25 and more", nullptr, 3.25},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.content);
        const std::string path = folder.path("version");
        write_file(path, row.content);
        FileHandle* fh = Open(path.c_str(), FileModeRead);
        ASSERT_NE(fh, nullptr);
        EXPECT_EQ(GetFileVersion(fh, row.prefix), row.version);
        Close(fh);
    }
    EXPECT_EQ(GetFileVersion(nullptr, "x"), 0.0);
}

std::vector<std::string> walk(const char* list, int32_t size = 64)
{
    std::vector<std::string> elements;
    std::vector<char> buffer(static_cast<size_t>(size));
    for (const char* next = GetNextPath(list, buffer.data(), size); next != nullptr;
         next = GetNextPath(next, buffer.data(), size))
        elements.push_back(buffer.data());
    return elements;
}

TEST(SearchPaths, GetNextPathWalksTheElements)
{
    using List = std::vector<std::string>;
    EXPECT_EQ(walk(";a;;\"b;c\";d"), (List{"a", "b;c", "d"}));
    EXPECT_EQ(walk("one"), (List{"one"}));
    EXPECT_EQ(walk(";;;"), List{});
    EXPECT_EQ(walk(""), List{});
    EXPECT_EQ(walk("a;\"open;to the end"), (List{"a", "open;to the end"}));
    EXPECT_EQ(walk("x\"y\"z;w"), (List{"xyz", "w"}));

    // An element that fills the buffer ends the walk.
    char buffer[4];
    EXPECT_EQ(GetNextPath("abcdef;g", buffer, sizeof buffer), nullptr);
    EXPECT_STREQ(buffer, "abc");
    const char list[] = "ab;g";
    EXPECT_EQ(GetNextPath(list, buffer, sizeof buffer), list + 3);
    EXPECT_STREQ(buffer, "ab");
    buffer[0] = 'x';
    EXPECT_EQ(GetNextPath(list, buffer, 1), nullptr);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(GetNextPath(nullptr, buffer, sizeof buffer), nullptr);
    EXPECT_EQ(GetNextPath(list, nullptr, 10), nullptr);
}

class FileSearchTest : public ::testing::Test {
protected:
    std::string search(const char* name, const std::string& list, const char* ext)
    {
        char* found = FileSearch(name, list.c_str(), ext);
        const std::string result = found != nullptr ? found : "<none>";
        FreeStr(found);
        return result;
    }

    TempFolder m_folder;
};

TEST_F(FileSearchTest, FindsTheFirstFolderThatHoldsTheFile)
{
    const std::string p = m_folder.path("p");
    const std::string q = m_folder.path("q");
    std::filesystem::create_directories(p);
    write_file(q + "/settings.env", "x");
    write_file(q + "/plain", "x");
    const std::string list = p + ";" + q;
    EXPECT_EQ(search("settings", list, "env"), q + "/settings.env");
    EXPECT_EQ(search("settings", list, ".env"), q + "/settings.env");
    EXPECT_EQ(search("settings.env", list, "ini"), q + "/settings.env");
    EXPECT_EQ(search("settings", list, ""), "<none>");
    EXPECT_EQ(search("plain", list, "env"), q + "/plain") << "the name unchanged after the extension";
    EXPECT_EQ(search("missing", list, "env"), "<none>");
    EXPECT_EQ(search("settings", ";;" + list + ";", "env"), q + "/settings.env");

    // The name on its own first.
    write_file(p + "/settings.env", "x");
    EXPECT_EQ(search((q + "/settings.env").c_str(), list, "env"), q + "/settings.env");
    EXPECT_EQ(search("settings", list, "env"), p + "/settings.env");
    EXPECT_EQ(search("settings", "", "env"), "<none>");
    char* none = FileSearch(nullptr, list.c_str(), "env");
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
}

TEST_F(FileSearchTest, LongJoinsAreNotTried)
{
    // A join beyond the path buffer is never cut into some other path.
    const std::string deep = m_folder.path(std::string(200, 'd') + "/" + std::string(200, 'e'));
    write_file(deep + "/" + std::string(120, 'f') + ".env", "x");
    EXPECT_EQ(search(std::string(120, 'f').c_str(), deep, "env"), "<none>");
}

TEST_F(FileSearchTest, EnvFileSearchTakesTheListFromAVariable)
{
    write_file(m_folder.path("q/tool.env"), "x");
    ASSERT_EQ(SetVar("TarvekSearchList", ("/nowhere;" + m_folder.path("q")).c_str(), -1, 0), 1);
    char* found = EnvFileSearch("tool", "TarvekSearchList", "env");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(std::string(found), m_folder.path("q/tool.env"));
    FreeStr(found);
    ASSERT_EQ(SetVar("TarvekSearchList", "", -1, 0), 1);
    EXPECT_EQ(EnvFileSearch("tool", "TarvekSearchList", "env"), nullptr);
    EXPECT_EQ(EnvFileSearch("tool", "TarvekNoSuchList", "env"), nullptr);
    DeleteVar("TarvekSearchList", 0);
}

class RegistrySearch : public ::testing::Test {
protected:
    static void set(const char* name, DWORD type, const void* data, DWORD size)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "software\\tarvek test", 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }

    static std::string read(const char* name, int32_t size = 64)
    {
        std::vector<char> buffer(static_cast<size_t>(size) + 1, 'x');
        EXPECT_EQ(RegFileSearch(HKEY_CURRENT_USER, "Software\\Tarvek Test", name, buffer.data(), size),
                  buffer.data());
        EXPECT_EQ(buffer[static_cast<size_t>(size)], 'x') << "nothing beyond size";
        return buffer.data();
    }
};

TEST_F(RegistrySearch, ReadsStringsAndExpandsExpandableOnes)
{
    setenv("TARVEK_REGISTRY_TEST", "/data", 1);
    setenv("TARVEK_REGISTRY_LONG", std::string(100, 'l').c_str(), 1);
    set("plain", REG_SZ, "/a/b", 5);
    set("expand", REG_EXPAND_SZ, "%TARVEK_REGISTRY_TEST%/cursors", 31);
    set("unterminated", REG_BINARY, "abc", 3);
    set("long", REG_SZ, "0123456789", 11);
    set("long expansion", REG_EXPAND_SZ, "%TARVEK_REGISTRY_LONG%", 23);
    EXPECT_EQ(read("plain"), "/a/b");
    EXPECT_EQ(read("expand"), "/data/cursors");
    EXPECT_EQ(read("unterminated"), "abc");
    EXPECT_EQ(read("unterminated", 4), "abc");
    EXPECT_EQ(read("unterminated", 3), "") << "no room for the terminator";
    EXPECT_EQ(read("missing"), "");
    EXPECT_EQ(read("long", 11), "0123456789");
    EXPECT_EQ(read("long", 10), "") << "a value that does not fit";
    EXPECT_EQ(read("long expansion", 100), "") << "an expansion that does not fit";
    EXPECT_EQ(read("long expansion", 101), std::string(100, 'l'));
    char buffer[8] = "x";
    EXPECT_STREQ(RegFileSearch(HKEY_CURRENT_USER, "no such key", "v", buffer, sizeof buffer), "");
    EXPECT_EQ(RegFileSearch(HKEY_CURRENT_USER, "x", "v", nullptr, 10), nullptr);
    unsetenv("TARVEK_REGISTRY_TEST");
    unsetenv("TARVEK_REGISTRY_LONG");
}

}
