#include "osmark/errors.h"
#include "osmark/library.h"
#include "osmark/settings.h"

#include "settings_test_support.h"
#include "test_support/files.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

namespace {

using settings_test::env_folder;
using test_support::read_file;
using test_support::TempFolder;
using test_support::write_file;

// Settings files in a folder of the test, named by their full paths, and "prefs" files
// under ENV: removed afterwards.
class Settings : public ::testing::Test {
protected:
    void TearDown() override
    {
        std::error_code error;
        for (const char* name : {"prefs.env", "prefs.bak"})
            std::filesystem::remove(env_folder() + "/" + name, error);
    }

    std::string file(const std::string& content, const char* name = "s.env") const
    {
        const std::string path = m_folder.path(name);
        write_file(path, content);
        return path;
    }

    static std::string read(const std::string& path, const char* section, const char* key,
                            const char* fallback = "<default>")
    {
        char buffer[256];
        const int32_t length = ReadEnvString(path.c_str(), section, key, fallback, buffer, sizeof buffer);
        // Lists hold NULs: the length tells where the answer ends, within the buffer.
        return std::string(buffer, std::min<size_t>(static_cast<size_t>(std::max(length, 0)), sizeof buffer - 1));
    }

    TempFolder m_folder;
};

// The file of the rewrite example.
const char kDisplayAndDirs[] = "[Display]\r\nWidth=10\r\nHeight=20\r\n\r\n[Dirs]\r\nLast=C:\\\\x\r\n";

TEST_F(Settings, ANewFileHoldsTheSectionTheEntryAndAnEmptyLine)
{
    EXPECT_EQ(WriteEnvString("prefs", "Display", "Left", "10"), 1);
    EXPECT_EQ(read_file(env_folder() + "/prefs.env"), "[Display]\r\nLeft=10\r\n\r\n");
    EXPECT_EQ(read("prefs", "display", "LEFT"), "10");
}

TEST_F(Settings, RewriteReplacesTheEntryAndTidiesTheFile)
{
    const std::string path = file(kDisplayAndDirs);
    EXPECT_EQ(WriteEnvString(path.c_str(), "display", "HEIGHT", "30"), 1);
    EXPECT_EQ(read_file(path), "[Display]\r\nWidth=10\r\nHEIGHT=30\r\n\r\n\r\n[Dirs]\r\nLast=C:\\\\x\r\n");
    EXPECT_FALSE(std::filesystem::exists(m_folder.path("s.bak"))) << "the backup goes when the file is whole";
}

TEST_F(Settings, RewriteCases)
{
    struct Row {
        const char* why;
        const char* before;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    };
    const Row rows[] = {
        {"new key at the end of its section", "[A]\na=1\n[B]\nb=2\n", "A", "n", "v",
         "[A]\r\na=1\r\nn=v\r\n\r\n\r\n[B]\r\nb=2\r\n"},
        {"new key at the end of the file", "[A]\na=1\n", "a", "n", "v", "[A]\r\na=1\r\nn=v\r\n"},
        {"new section", "[A]\na=1\n", "New", "n", "v", "[A]\r\na=1\r\n\r\n[New]\r\nn=v\r\n\r\n"},
        {"new section in a file without one", "stray\n", "New", "n", "v", "[New]\r\nn=v\r\n\r\n"},
        {"remove a key", "[A]\na=1\nb=2\n[B]\nb=3\n", "A", "b", nullptr, "[A]\r\na=1\r\n\r\n\r\n[B]\r\nb=3\r\n"},
        {"remove a missing key", "[A]\na=1\n", "A", "zz", nullptr, "[A]\r\na=1\r\n"},
        {"remove a section", "[A]\na=1\n[B]\nb=2\n[C]\nc=3\n", "b", nullptr, nullptr,
         "[A]\r\na=1\r\n\r\n\r\n[C]\r\nc=3\r\n"},
        {"lines before the first header and junk in the section go", "top\n[A] comment\nnoequals\na=1\n", "A",
         "a", "2", "[A]\r\na=2\r\n"},
        {"other sections are copied as they stand", "[A]\na=1\n[B]  x\njunk\nb = 2\n\n\n", "A", "a", "3",
         "[A]\r\na=3\r\n\r\n\r\n[B]\r\njunk\r\nb = 2\r\n"},
        {"values are escaped", "[A]\n", "A", "p", "C:\\D\n\t\r", "[A]\r\np=C:\\\\D\\n\\t\\r\r\n"},
        {"empty value", "[A]\n", "A", "e", "", "[A]\r\ne=\r\n"},
        {"other keys keep their escapes", "[A]\nx=a\\nb\nk=1\n", "A", "k", "2", "[A]\r\nx=a\\nb\r\nk=2\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const std::string path = file(row.before);
        EXPECT_EQ(WriteEnvString(path.c_str(), row.section, row.key, row.value), 1);
        EXPECT_EQ(read_file(path), row.after);
    }
}

TEST_F(Settings, ValuesKeysAndSections)
{
    const std::string path = file("before=ignored\n[Display]\nWidth=10\n\nHeight=20\r\n[Dirs]\rPath=C:\\Data\n"
                                  "Kept=C:\\\\Data\nEsc=a\\nb\\tc\\\\d\\qe\\\nWide = 10\n[display]\nDepth=32\n"
                                  "Width=99\n");
    EXPECT_EQ(read(path, "DISPLAY", "width"), "10");
    EXPECT_EQ(read(path, "display", "Depth"), "32") << "a later section of the same name is searched too";
    EXPECT_EQ(read(path, "Dirs", "Path"), "C:Data") << "a single backslash is an escape";
    EXPECT_EQ(read(path, "Dirs", "Kept"), "C:\\Data");
    EXPECT_EQ(read(path, "Dirs", "Esc"), "a\nb\tc\\dqe");
    EXPECT_EQ(read(path, "Dirs", "Wide"), "<default>") << "the key holds the blank";
    EXPECT_EQ(read(path, "Dirs", "Wide "), " 10");
    EXPECT_EQ(read(path, "Dirs", "before"), "<default>");
    EXPECT_EQ(read(path, "None", "x"), "<default>");
    EXPECT_EQ(read(path, "None", "x", nullptr), "");

    EXPECT_EQ(read(path, "display", nullptr), std::string("Width\0Height\0", 13)) << "the first section only";
    EXPECT_EQ(read(path, nullptr, "anything"), std::string("Display\0Dirs\0display\0", 21));
    EXPECT_EQ(read(path, "None", nullptr), "") << "an empty list replaces the default";
}

TEST_F(Settings, KeyListIsCutAndStillTerminated)
{
    const std::string path = file("[Display]\r\nWidth=10\r\nHeight=20\r\n");
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(ReadEnvString(path.c_str(), "Display", nullptr, "", buffer, sizeof buffer), 13);
    EXPECT_EQ(std::string(buffer, 15), std::string("Width\0Height\0\0xx", 15));
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(ReadEnvString(path.c_str(), "Display", nullptr, "", buffer, 9), 13);
    EXPECT_EQ(std::string(buffer, 10), std::string("Width\0He\0x", 10));
    EXPECT_EQ(ReadEnvString(path.c_str(), "Display", nullptr, "", nullptr, 0), 13);

    // The default is cut the same way, and its full length returned.
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(ReadEnvString(nullptr, "Display", "Width", "a long default", buffer, 5), 14);
    EXPECT_EQ(std::string(buffer, 6), std::string("a lo\0x", 6));
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(ReadEnvString(path.c_str(), "Display", "Width", "", buffer, 2), 2);
    EXPECT_EQ(std::string(buffer, 3), std::string("1\0x", 3));
}

TEST_F(Settings, DeletingAndRefusing)
{
    const std::string path = file(kDisplayAndDirs);
    struct Row {
        const char* section;
        const char* key;
    };
    const Row refused[] = {{"Display", "[x"}, {"Display", "a=b"}, {"Display", "a\nb"}, {"Display", "a\rb"},
                           {"Dis]play", "k"}, {"Dis\nplay", "k"}};
    for (const Row& row : refused) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(WriteEnvString(path.c_str(), row.section, row.key, "v"), 0);
        EXPECT_EQ(read_file(path), kDisplayAndDirs);
    }
    EXPECT_EQ(WriteEnvString(nullptr, "Display", "k", "v"), 0);

    EXPECT_EQ(WriteEnvString(path.c_str(), nullptr, "any", "v"), 1);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(WriteEnvString(path.c_str(), nullptr, nullptr, nullptr), 1) << "nothing to delete";
    EXPECT_EQ(WriteEnvString(path.c_str(), "Display", nullptr, nullptr), 1) << "nothing to remove";
    EXPECT_EQ(WriteEnvString(path.c_str(), "Display", "k", nullptr), 1);
    EXPECT_FALSE(std::filesystem::exists(path)) << "removing creates nothing";
}

TEST_F(Settings, AFileBesideTheProgramIsFoundFirst)
{
    char program[512];
    ASSERT_TRUE(GetProgramDir(program, sizeof program));
    const std::string name = "settings_test_" + std::to_string(getpid());
    // The program's folder is shared with other tests: the file goes whatever happens.
    struct RemovedAfterwards {
        std::string path;
        ~RemovedAfterwards()
        {
            std::error_code error;
            std::filesystem::remove(path, error);
        }
    };
    const RemovedAfterwards beside{std::string(program) + "/" + name + ".env"};
    const RemovedAfterwards in_env{env_folder() + "/" + name + ".env"};
    write_file(beside.path, "[A]\na=beside\n");
    write_file(in_env.path, "[A]\na=env\n");
    EXPECT_EQ(read(name, "A", "a"), "beside");
    EXPECT_EQ(WriteEnvString(name.c_str(), "A", "a", "new"), 1);
    EXPECT_EQ(read_file(beside.path), "[A]\r\na=new\r\n");
    EXPECT_EQ(read_file(in_env.path), "[A]\na=env\n");
}

TEST_F(Settings, LongLinesSurviveARewriteWhole)
{
    const std::string long_value(3000, 'v');
    // Read in pieces of 2047 bytes, this line would go on with a piece that looks like a
    // header.
    const std::string header_like = std::string(2040, 'h') + "[not a header]=x";
    const std::string path = file("[Other]\nlong=" + long_value + "\ntricky=" + header_like + "\n[A]\na=1\n");
    EXPECT_EQ(read(path, "Other", "long").size(), 255u) << "cut to the buffer";
    char big[4096];
    EXPECT_EQ(ReadEnvString(path.c_str(), "Other", "long", "", big, sizeof big), 3000);
    EXPECT_EQ(std::string(big), long_value);
    EXPECT_EQ(WriteEnvString(path.c_str(), "A", "a", "2"), 1);
    EXPECT_EQ(read_file(path), "[Other]\r\nlong=" + long_value + "\r\ntricky=" + header_like + "\r\n\r\n[A]\r\na=2\r\n");
}

TEST_F(Settings, AFailedWriteRestoresTheFile)
{
    // The rewrite is longer than the file may grow; the backup (a copy of the file as it
    // was) and the restore still fit.
    const std::string original = "[A]\r\na=1\r\n";
    const std::string path = file(original);
    const std::string value(200, 'v');
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old_limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    rlimit limit = old_limit;
    limit.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const int32_t result = WriteEnvString(path.c_str(), "A", "b", value.c_str());
    setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(read_file(path), original);
    EXPECT_FALSE(std::filesystem::exists(m_folder.path("s.bak")));

    // A new file that cannot be written whole is not left behind.
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    std::signal(SIGXFSZ, SIG_IGN);
    const std::string fresh = m_folder.path("fresh.env");
    const int32_t created = WriteEnvString(fresh.c_str(), "A", "b", value.c_str());
    setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(created, 0);
    EXPECT_FALSE(std::filesystem::exists(fresh));
}

TEST_F(Settings, ABakFileIsNotItsOwnBackup)
{
    const std::string path = file("[A]\na=1\n", "old.bak");
    EXPECT_EQ(WriteEnvString(path.c_str(), "A", "a", "2"), 0);
    EXPECT_EQ(read_file(path), "[A]\na=1\n");
    EXPECT_EQ(read(path, "A", "a"), "1");
}

TEST_F(Settings, NamesWithoutAPointGetTheDefaultExtension)
{
    std::filesystem::create_directories(env_folder() + "/sub");
    std::filesystem::create_directories(env_folder() + "/dir.d");
    EXPECT_EQ(WriteEnvString("ENV:sub/plain", "A", "a", "1"), 1);
    EXPECT_TRUE(std::filesystem::exists(env_folder() + "/sub/plain.env"));
    EXPECT_EQ(WriteEnvString("ENV:dir.d/plain", "A", "a", "1"), 1);
    EXPECT_TRUE(std::filesystem::exists(env_folder() + "/dir.d/plain")) << "a point anywhere in the path counts";
    std::filesystem::remove_all(env_folder() + "/sub");
    std::filesystem::remove_all(env_folder() + "/dir.d");
}

TEST_F(Settings, APathFromTheRootIsUsedAsItStands)
{
    const std::string path = m_folder.path("rooted.env");
    EXPECT_EQ(WriteEnvString(path.c_str(), "A", "a", "1"), 1);
    EXPECT_EQ(read_file(path), "[A]\r\na=1\r\n\r\n");
    EXPECT_EQ(read(path, "A", "a"), "1");
}

}
