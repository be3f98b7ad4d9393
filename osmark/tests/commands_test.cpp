// Running commands: the search for the program, the shell, redirection, the modes, and
// the registry's version numbers.

#include "osmark/commands.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/variables.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "test_support/files.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <optional>
#include <string>

namespace {

std::optional<std::string> local_variable(const char* name)
{
    char buffer[4096];
    if (GetVar(name, buffer, sizeof buffer, VarFlagLocalOnly) < 0)
        return std::nullopt;
    return std::string(buffer);
}

// A folder of scripts that is the whole PATH while the test runs (with the system's
// folders behind it, for the shell's own programs).
class CommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.ok());
        m_saved_path = local_variable("PATH");
        set_path(m_folder.path() + ":/usr/bin:/bin");
    }
    void TearDown() override
    {
        if (m_saved_path.has_value())
            SetVar("PATH", m_saved_path->c_str(), -1, VarFlagLocalOnly);
        else
            DeleteVar("PATH", VarFlagLocalOnly);
    }
    void set_path(const std::string& value) { SetVar("PATH", value.c_str(), -1, VarFlagLocalOnly); }
    std::string script(const char* name, const std::string& body, mode_t mode = 0755)
    {
        const std::string path = m_folder.write(name, "#!/bin/sh\n" + body + "\n");
        chmod(path.c_str(), mode);
        return path;
    }
    // Runs the command with its standard output in a file; answers the result and
    // what it wrote.
    int32_t run_capturing(const std::string& command, std::string& output,
                          const TagItem* more = nullptr)
    {
        const std::string file = m_folder.path("output.txt");
        FileHandle* handle = Open(file.c_str(), FileModeWrite);
        EXPECT_NE(handle, nullptr);
        const TagItem tags[] = {
            {RUN_Output, reinterpret_cast<uintptr_t>(handle)},
            {more != nullptr ? static_cast<Tag>(TagMore) : static_cast<Tag>(TagEnd),
             reinterpret_cast<uintptr_t>(more)}};
        const int32_t result = SystemTagList(command.c_str(), tags);
        Close(handle);
        output = test_support::read_file(file);
        return result;
    }

    test_support::TempFolder m_folder;
    std::optional<std::string> m_saved_path;
};

TEST_F(CommandTest, ProgramsAlongThePathAndScriptsOfTheShell)
{
    script("tool", "exit 3");
    EXPECT_EQ(SystemTags("tool", TagEnd), 3);
    script("plain", "exit 4", 0644);
    EXPECT_EQ(SystemTags("plain", TagEnd), 4) << "not executable: run by the shell";
    const std::string direct = script("direct", "exit $#");
    EXPECT_EQ(SystemTags((direct + " a \"b c\" d").c_str(), TagEnd), 3);
}

TEST_F(CommandTest, AProgramFoundNowhereRunsInTheShell)
{
    EXPECT_EQ(SystemTags("exit 3", TagEnd), 3);
    std::string output;
    EXPECT_EQ(run_capturing("echo \"two  blanks\"", output), 0);
    EXPECT_EQ(output, "two  blanks\n");
}

TEST_F(CommandTest, AQuotedProgramPathWithABlank)
{
    const std::string path = script("my prog", "[ \"$1\" = -v ] && [ $# = 1 ] && exit 5; exit 1");
    EXPECT_EQ(SystemTags(("\"" + path + "\" -v").c_str(), TagEnd), 5);
    // Found along PATH too, and started with its name quoted.
    EXPECT_EQ(SystemTags("\"my prog\" -v", TagEnd), 5);
}

TEST_F(CommandTest, OutputGoesToTheFileAndTheCallersStaysAsItWas)
{
    const HANDLE before = GetStdHandle(STD_OUTPUT_HANDLE);
    std::string output;
    EXPECT_EQ(run_capturing("/bin/sh -c \"printf captured\"", output), 0);
    EXPECT_EQ(output, "captured");
    EXPECT_EQ(GetStdHandle(STD_OUTPUT_HANDLE), before);

    const std::string input_path = m_folder.write("input.txt", "from the file\n");
    FileHandle* input = Open(input_path.c_str(), FileModeRead);
    ASSERT_NE(input, nullptr);
    const TagItem with_input[] = {{RUN_Input, reinterpret_cast<uintptr_t>(input)}, {TagEnd, 0}};
    EXPECT_EQ(run_capturing("/bin/cat", output, with_input), 0);
    Close(input);
    EXPECT_EQ(output, "from the file\n");
}

TEST_F(CommandTest, EnvironmentAndFolder)
{
    SetVar("TARVEK_RUN_TEST", "x y", -1, VarFlagLocalOnly);
    std::string output;
    const TagItem in_folder[] = {
        {RUN_CurrentDir, reinterpret_cast<uintptr_t>(m_folder.path().c_str())}, {TagEnd, 0}};
    EXPECT_EQ(run_capturing("/bin/sh -c \"printf '%s|%s' \\\"$TARVEK_RUN_TEST\\\" \\\"$(pwd)\\\"\"",
                            output, in_folder),
              0);
    EXPECT_EQ(output, "x y|" + m_folder.path());

    char block[] = "ONLY=given\0";
    const TagItem given[] = {{RUN_Environment, reinterpret_cast<uintptr_t>(block)}, {TagEnd, 0}};
    EXPECT_EQ(run_capturing("/bin/sh -c \"printf '%s|%s' \\\"$TARVEK_RUN_TEST\\\" \\\"$ONLY\\\"\"",
                            output, given),
              0);
    EXPECT_EQ(output, "|given");
    DeleteVar("TARVEK_RUN_TEST", VarFlagLocalOnly);
}

TEST_F(CommandTest, AsynchronousAndDetached)
{
    const int32_t pid = SystemTags("/bin/sh -c \"exit 0\"", RUN_Async, 1, TagEnd);
    EXPECT_GT(pid, 0);
    EXPECT_EQ(SystemTags("/bin/sh -c \"exit 7\"", RUN_Detached, 1, TagEnd), 0);
    EXPECT_EQ(SystemTags("/bin/sh -c \"exit 7\"", RUN_Detached, 1, RUN_Detached, 0, TagEnd), 0)
        << "a zero leaves the mode";
    EXPECT_EQ(SystemTags("/bin/sh -c \"exit 7\"", RUN_Detached, 1, RUN_Async, 0, TagEnd), 0);
}

TEST_F(CommandTest, FailuresAndTheirCodes)
{
    DeleteVar("PATH", VarFlagLocalOnly);
    IoErr();
    EXPECT_EQ(SystemTags("tarvek-no-such-program", TagEnd), -1);
    EXPECT_EQ(IoErr(), IoErrObjectNotFound) << "no PATH: no shell either";
    set_path(m_folder.path());
    EXPECT_EQ(SystemTags("", TagEnd), -1);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(SystemTagList(nullptr, nullptr), -1);
    const TagItem missing_folder[] = {
        {RUN_CurrentDir, reinterpret_cast<uintptr_t>("/no/such/folder")}, {TagEnd, 0}};
    EXPECT_EQ(SystemTagList("/bin/sh -c \"exit 0\"", missing_folder), -1);
    EXPECT_NE(IoErr(), 0);
}

TEST_F(CommandTest, ACustomShellTakesNoArgument)
{
    const std::string shell =
        script("myshell", "[ \"$1\" = \"runme\" ] && [ \"$2\" = \"x\" ] && exit 6; exit 1");
    const TagItem tags[] = {{RUN_Shell, reinterpret_cast<uintptr_t>(shell.c_str())}, {TagEnd, 0}};
    EXPECT_EQ(SystemTagList("runme x", tags), 6) << "the shell, the program and the rest";
}

TEST(GetVersionFromRegistry, FindsVersionPastValuesTooBigForItsBuffers)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\TarvekTest\\Versions", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::string big(600, '9');
    RegSetValueExA(key, "Big", 0, REG_SZ, reinterpret_cast<const BYTE*>(big.c_str()),
                   static_cast<DWORD>(big.size() + 1));
    const char unterminated[] = {'7', '7'};
    RegSetValueExA(key, "Other", 0, REG_BINARY, reinterpret_cast<const BYTE*>(unterminated),
                   sizeof unterminated);
    RegSetValueExA(key, "version", 0, REG_SZ, reinterpret_cast<const BYTE*>("2.5"), 4);
    RegCloseKey(key);
    EXPECT_DOUBLE_EQ(GetVersionFromRegistry("Software\\TarvekTest\\Versions"), 2.5);
    EXPECT_DOUBLE_EQ(GetVersionFromRegistry("Software\\TarvekTest\\Missing"), 0.0);

    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\TarvekTest\\Raw", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char raw[] = {'3', '.', '5'};
    RegSetValueExA(key, "VERSION", 0, REG_BINARY, reinterpret_cast<const BYTE*>(raw), sizeof raw);
    RegCloseKey(key);
    EXPECT_DOUBLE_EQ(GetVersionFromRegistry("Software\\TarvekTest\\Raw"), 3.5)
        << "data without NUL ends";
}

}
