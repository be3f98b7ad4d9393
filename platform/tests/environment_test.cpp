#include "platform/environment.h"
#include "platform/kernel.h"
#include "platform/shell_folders.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Sets environment variables for one test and puts the old values back.
class ScopedEnvironment {
public:
    ~ScopedEnvironment()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->had_value)
                setenv(it->name.c_str(), it->value.c_str(), 1);
            else
                unsetenv(it->name.c_str());
        }
    }

    void set(const char* name, const char* value)
    {
        const char* old = std::getenv(name);
        m_saved.push_back({name, old != nullptr ? old : "", old != nullptr});
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }

private:
    struct Saved {
        std::string name;
        std::string value;
        bool had_value;
    };
    std::vector<Saved> m_saved;
};

std::string expand(const char* source)
{
    const DWORD needed = ExpandEnvironmentStringsA(source, nullptr, 0);
    std::string result(needed, '\0');
    EXPECT_EQ(ExpandEnvironmentStringsA(source, result.data(), needed), needed);
    result.resize(needed > 0 ? needed - 1 : 0);
    return result;
}

TEST(Environment, ExpandsReferencesAndLeavesUnknownOnes)
{
    ScopedEnvironment environment;
    environment.set("TARVEK_HOME_X", "/data");
    environment.set("TARVEK_EMPTY_X", "");
    struct Row {
        const char* source;
        const char* expected;
    };
    const Row rows[] = {
        {"%TARVEK_HOME_X%\\Osmark", "/data\\Osmark"},
        {"%tarvek_home_x%", "/data"},
        {"a%TARVEK_HOME_X%b%TARVEK_HOME_X%c", "a/datab/datac"},
        {"%TARVEK_NO_SUCH_X%/x", "%TARVEK_NO_SUCH_X%/x"},
        {"%TARVEK_NO_SUCH_X%TARVEK_HOME_X%", "%TARVEK_NO_SUCH_X%TARVEK_HOME_X%"},
        {"[%TARVEK_EMPTY_X%]", "[]"},
        {"100%", "100%"},
        {"%%", "%%"},
        {"", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.source);
        EXPECT_EQ(expand(row.source), row.expected);
    }
}

TEST(Environment, ExpansionReportsTheSizeItNeeds)
{
    ScopedEnvironment environment;
    environment.set("TARVEK_HOME_X", "/data");
    char buffer[32];
    std::strcpy(buffer, "x");
    EXPECT_EQ(ExpandEnvironmentStringsA("%TARVEK_HOME_X%/a", buffer, 7), 8u);
    EXPECT_STREQ(buffer, "") << "a result that does not fit leaves an empty string";
    EXPECT_EQ(ExpandEnvironmentStringsA("%TARVEK_HOME_X%/a", buffer, 8), 8u);
    EXPECT_STREQ(buffer, "/data/a");
    // Source and destination may be one buffer.
    std::strcpy(buffer, "%TARVEK_HOME_X%%TARVEK_HOME_X%");
    EXPECT_EQ(ExpandEnvironmentStringsA(buffer, buffer, sizeof buffer), 11u);
    EXPECT_STREQ(buffer, "/data/data");
    EXPECT_EQ(ExpandEnvironmentStringsA(nullptr, buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(Environment, BlockHoldsEveryVariableAndEndsInTwoNuls)
{
    ScopedEnvironment environment;
    environment.set("TARVEK_BLOCK_X", "a=b");
    LPCH block = GetEnvironmentStrings();
    ASSERT_NE(block, nullptr);
    bool found = false;
    size_t entries = 0;
    const char* entry = block;
    for (; *entry != '\0'; entry += std::strlen(entry) + 1) {
        ++entries;
        found = found || std::strcmp(entry, "TARVEK_BLOCK_X=a=b") == 0;
    }
    EXPECT_TRUE(found);
    size_t expected = 0;
    for (char** e = environ; *e != nullptr; ++e)
        ++expected;
    EXPECT_EQ(entries, expected);
    EXPECT_TRUE(FreeEnvironmentStringsA(block));
}

class ShellFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.ok());
        m_environment.set("HOME", (m_folder.path() + "/home").c_str());
        m_environment.set("XDG_DATA_HOME", nullptr);
        m_environment.set("XDG_CONFIG_HOME", nullptr);
    }

    static std::string folder(int csidl, BOOL create = FALSE)
    {
        char path[kMaxPath];
        std::memset(path, 'x', sizeof path);
        if (!SHGetSpecialFolderPathA(nullptr, path, csidl, create))
            return "<none:" + std::string(path) + ">";
        return path;
    }

    static constexpr size_t kMaxPath = 260;
    const test_support::TempFolder m_folder;
    ScopedEnvironment m_environment;
};

TEST_F(ShellFolders, MapOntoTheXdgFolders)
{
    const std::string home = m_folder.path() + "/home";
    EXPECT_EQ(folder(CSIDL_COMMON_APPDATA), home + "/.local/share");
    EXPECT_EQ(folder(CSIDL_WINDOWS), home + "/.local/share");
    EXPECT_EQ(folder(CSIDL_APPDATA), home + "/.config");
    EXPECT_FALSE(std::filesystem::exists(home)) << "no creation asked for";

    m_environment.set("XDG_DATA_HOME", (m_folder.path() + "/data/").c_str());
    m_environment.set("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(folder(CSIDL_COMMON_APPDATA), m_folder.path() + "/data");
    EXPECT_EQ(folder(CSIDL_APPDATA), home + "/.config") << "a relative path is ignored";
    EXPECT_EQ(folder(0x0005), "<none:>") << "a folder this platform does not know";

    char windows[kMaxPath];
    const UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    EXPECT_EQ(std::string(windows, length), m_folder.path() + "/data");
    windows[0] = 'x';
    EXPECT_EQ(GetWindowsDirectoryA(windows, length), length + 1) << "the size needed";
    EXPECT_EQ(windows[0], 'x');
}

TEST_F(ShellFolders, CreateMakesEveryLevel)
{
    m_environment.set("XDG_DATA_HOME", (m_folder.path() + "/a/b/c").c_str());
    EXPECT_EQ(folder(CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE), m_folder.path() + "/a/b/c");
    EXPECT_TRUE(std::filesystem::is_directory(m_folder.path() + "/a/b/c"));

    // A level that is a file cannot be made into a folder.
    m_environment.set("XDG_CONFIG_HOME", (m_folder.path() + "/a/b/c/file/x").c_str());
    std::FILE* file = std::fopen((m_folder.path() + "/a/b/c/file").c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_EQ(folder(CSIDL_APPDATA, TRUE), "<none:>");

    // Without HOME and XDG variables there is no folder.
    m_environment.set("HOME", nullptr);
    m_environment.set("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(folder(CSIDL_COMMON_APPDATA), "<none:>");
    char windows[16];
    EXPECT_EQ(GetWindowsDirectoryA(windows, sizeof windows), 0u);
}

TEST_F(ShellFolders, RefusesAPathTooLongForMaxPath)
{
    const std::string deep = m_folder.path() + "/" + std::string(300, 'd');
    m_environment.set("XDG_DATA_HOME", deep.c_str());
    EXPECT_EQ(folder(CSIDL_COMMON_APPDATA), "<none:>");
}

}
