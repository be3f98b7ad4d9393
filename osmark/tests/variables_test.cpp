#include "osmark/assigns.h"
#include "osmark/errors.h"
#include "osmark/locale.h"
#include "osmark/strings.h"
#include "osmark/testing.h"
#include "osmark/variables.h"

#include "settings_test_support.h"
#include "test_support/files.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using settings_test::env_folder;
using settings_test::run_probe;
using test_support::read_file;
using test_support::TempFolder;
using test_support::write_file;

constexpr uint32_t kGlobal = VarFlagGlobalOnly;
constexpr uint32_t kLocal = VarFlagLocalOnly;
constexpr uint32_t kSave = VarFlagGlobalOnly | VarFlagSave;
constexpr uint32_t kRaw = VarFlagBinary | VarFlagNoNul;

// Removes the variables a test made, files included, whatever happened in it.
class Variables : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (const char* name : {"Colour", "a\\b", "Tarvek Local", "Tarvek Typed", "Tarvek Both", "../escape",
                                 "Tarvek Size", "Tarvek Memory"}) {
            while (DeleteVar(name, 0) != 0) {
            }
        }
        std::error_code error;
        std::filesystem::remove_all(env_folder() + "/vars", error);
    }

    static std::string value(const char* name, uint32_t flags = 0)
    {
        char buffer[256];
        const int32_t length = GetVar(name, buffer, sizeof buffer, flags);
        return length < 0 ? "<missing>" : std::string(buffer, static_cast<size_t>(length));
    }
};

TEST_F(Variables, SavedGlobalVariableIsExactlyItsFile)
{
    ASSERT_EQ(SetVar("Colour", "red", -1, kSave), 1);
    EXPECT_EQ(read_file(env_folder() + "/vars/Colour"), "red") << "three bytes, no terminator";
    EXPECT_EQ(value("colour"), "red");
    const VarNode* node = FindVar("COLOUR", kGlobal);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->vn_Length, 3);
    EXPECT_EQ(FindVar("Colour", kLocal), nullptr);

    // Setting it again without saving changes only the memory.
    ASSERT_EQ(SetVar("Colour", "blue", -1, kGlobal), 1);
    EXPECT_EQ(value("Colour"), "blue");
    EXPECT_EQ(read_file(env_folder() + "/vars/Colour"), "red");

    // A name with a separator makes its folder.
    ASSERT_EQ(SetVar("a\\b", "x", -1, kSave), 1);
    EXPECT_TRUE(std::filesystem::is_directory(env_folder() + "/vars/a"));
    EXPECT_EQ(read_file(env_folder() + "/vars/a/b"), "x");
}

TEST_F(Variables, GetVarReportsTheSizeItNeeds)
{
    ASSERT_EQ(SetVar("Tarvek Size", "value", -1, 0), 1);
    char buffer[16];
    EXPECT_EQ(GetVar("Tarvek Size", nullptr, 0, 0), 6);
    EXPECT_EQ(GetVar("Tarvek Size", buffer, 0, 0), 6);
    EXPECT_EQ(GetVar("Tarvek Size", nullptr, 0, kRaw), 6) << "length + 1 in raw mode too";

    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetVar("Tarvek Size", buffer, 6, 0), 5);
    EXPECT_STREQ(buffer, "value");
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetVar("Tarvek Size", buffer, 4, 0), 6);
    EXPECT_STREQ(buffer, "val");
    EXPECT_EQ(buffer[4], 'x');

    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetVar("Tarvek Size", buffer, 5, kRaw), 5);
    EXPECT_EQ(std::string(buffer, 6), "valuex") << "no NUL in raw mode";
    EXPECT_EQ(GetVar("Tarvek Size", buffer, 3, kRaw), 5);
    EXPECT_EQ(std::string(buffer, 4), "valu");
    // Either raw bit alone changes nothing.
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetVar("Tarvek Size", buffer, 5, VarFlagBinary), 6);
    EXPECT_STREQ(buffer, "valu");

    SetIoErr(IoErrNone);
    EXPECT_EQ(GetVar("Tarvek No Such", buffer, sizeof buffer, 0), -1);
    EXPECT_EQ(IoErr(), IoErrObjectNotFound);
    EXPECT_EQ(GetVar(nullptr, buffer, sizeof buffer, 0), -1);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(SetVar(nullptr, "x", -1, 0), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
}

TEST_F(Variables, ValuesWithALengthMayHoldNuls)
{
    ASSERT_EQ(SetVar("Tarvek Size", "a\0b", 3, 0), 1);
    char buffer[8];
    EXPECT_EQ(GetVar("Tarvek Size", buffer, sizeof buffer, kRaw), 3);
    EXPECT_EQ(std::string(buffer, 3), std::string("a\0b", 3));
    ASSERT_EQ(SetVar("Tarvek Size", nullptr, 5, 0), 1);
    EXPECT_EQ(value("Tarvek Size"), "");
}

TEST_F(Variables, LocalHidesGlobalAndDeleteTakesTheLocalFirst)
{
    ASSERT_EQ(SetVar("Tarvek Both", "local", -1, 0), 1);
    ASSERT_EQ(SetVar("Tarvek Both", "global", -1, kGlobal), 1) << "a second variable, in the global list";
    EXPECT_EQ(value("Tarvek Both"), "local");
    EXPECT_EQ(value("Tarvek Both", kGlobal), "global");
    EXPECT_EQ(value("Tarvek Both", kGlobal | kLocal), "local");
    EXPECT_EQ(DeleteVar("Tarvek Both", 0), 1);
    EXPECT_EQ(value("Tarvek Both"), "global");
    EXPECT_EQ(DeleteVar("Tarvek Both", kLocal), 0);
    EXPECT_EQ(DeleteVar("Tarvek Both", 0), 1);
    EXPECT_EQ(DeleteVar("Tarvek Both", 0), 0);
    EXPECT_EQ(DeleteVar(nullptr, 0), 0);
}

TEST_F(Variables, TypesKeepVariablesApart)
{
    ASSERT_EQ(SetVar("Tarvek Typed", "five", -1, 5), 1);
    EXPECT_EQ(value("Tarvek Typed"), "<missing>");
    EXPECT_EQ(value("Tarvek Typed", 5), "five");
    EXPECT_EQ(DeleteVar("Tarvek Typed", 0), 0);
    EXPECT_EQ(DeleteVar("Tarvek Typed", 5), 1);
}

TEST_F(Variables, DeletingAGlobalVariableRemovesItsFile)
{
    write_file(env_folder() + "/vars/Colour", "old");
    ASSERT_EQ(SetVar("Colour", "memory only", -1, kGlobal), 1);
    EXPECT_EQ(DeleteVar("Colour", kGlobal), 1);
    EXPECT_FALSE(std::filesystem::exists(env_folder() + "/vars/Colour"));
}

TEST_F(Variables, ListsStayInNameOrder)
{
    for (const char* name : {"Tarvek Local", "a\\b", "Colour"})
        ASSERT_EQ(SetVar(name, "x", -1, kGlobal), 1);
    const List& list = GetSystemLocale()->loc_GlobalVars;
    const Node* previous = nullptr;
    for (const Node* n = list.lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
        if (previous != nullptr) {
            EXPECT_LE(StriCmp(previous->ln_Name, n->ln_Name), 0) << previous->ln_Name << " before " << n->ln_Name;
        }
        previous = n;
    }
}

TEST_F(Variables, NamesCompareWithoutCase)
{
    // PATH came from the environment at start-up.
    ASSERT_NE(FindVar("PATH", kLocal), nullptr);
    const std::string original = value("PATH");
    ASSERT_EQ(SetVar("path", "/changed", -1, 0), 1);
    EXPECT_EQ(value("PATH"), "/changed");
    EXPECT_EQ(FindVar("path", kGlobal), nullptr) << "no second variable";
    SetVar("PATH", original.c_str(), -1, 0);
}

TEST_F(Variables, OutOfMemoryLeavesTheVariableWithAnEmptyValue)
{
    ASSERT_EQ(SetVar("Tarvek Memory", "old", -1, 0), 1);
    osmark_testing_fail_allocations(0, 1);
    EXPECT_EQ(SetVar("Tarvek Memory", "new", -1, 0), 0);
    EXPECT_EQ(IoErr(), IoErrNoMemory);
    const VarNode* node = FindVar("Tarvek Memory", 0);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->vn_Value, nullptr);
    EXPECT_EQ(value("Tarvek Memory"), "");
    EXPECT_EQ(GetVar("Tarvek Memory", nullptr, 0, 0), 1);

    osmark_testing_fail_allocations(0, 1);
    EXPECT_EQ(SetVar("Tarvek Local", "x", -1, 0), 0) << "no node";
    EXPECT_EQ(FindVar("Tarvek Local", 0), nullptr);
}

TEST_F(Variables, SettingAVariableToItsOwnValueKeepsIt)
{
    ASSERT_EQ(SetVar("Tarvek Size", "same", -1, 0), 1);
    const VarNode* node = FindVar("Tarvek Size", 0);
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(SetVar("Tarvek Size", node->vn_Value, node->vn_Length, 0), 1);
    EXPECT_EQ(value("Tarvek Size"), "same");
}

TEST_F(Variables, NamesThatLeadOutOfTheFolderAreNeverSaved)
{
    // The variable is set; its file would lie beside "ENV:vars", so none is written.
    ASSERT_EQ(SetVar("../escape", "x", -1, kSave), 1);
    EXPECT_EQ(value("../escape"), "x");
    EXPECT_FALSE(std::filesystem::exists(env_folder() + "/escape"));
    write_file(env_folder() + "/escape", "keep");
    EXPECT_EQ(DeleteVar("../escape", 0), 1);
    EXPECT_EQ(read_file(env_folder() + "/escape"), "keep");
    std::filesystem::remove(env_folder() + "/escape");
}

// ---- The start-up import, seen from a child process ----------------------------------

class VariableImport : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The child finds its ENV folder where this process made its own.
        m_vars = env_folder() + "/vars";
    }

    void TearDown() override
    {
        std::error_code error;
        std::filesystem::remove_all(m_vars, error);
    }

    std::string m_vars;
};

TEST_F(VariableImport, EnvironmentHidesTheSavedFile)
{
    write_file(m_vars + "/PATH", "/from/file");
    const std::map<std::string, std::string> environment{{"PATH", "/from/environment"}};
    EXPECT_EQ(run_probe({"getvar", "PATH", "0"}, environment).out, "[/from/environment]17");
    EXPECT_EQ(run_probe({"getvar", "PATH", "0x100"}, environment).out, "[/from/file]10");
    EXPECT_EQ(run_probe({"getvar", "path", "0x200"}, environment).out, "[/from/environment]17");
}

TEST_F(VariableImport, FilesBecomeGlobalVariables)
{
    ASSERT_EQ(SetVar("Colour", "red", -1, kSave), 1);
    write_file(m_vars + "/Empty", "");
    write_file(m_vars + "/Paths/Jobs", "C:\\Jobs");
    write_file(m_vars + "/Binary", std::string("a\0b", 3));
    EXPECT_EQ(run_probe({"getvar", "Colour", "0x100"}).out, "[red]3");
    EXPECT_EQ(run_probe({"getvar", "Empty", "0"}).out, "[]0") << "an empty file is an empty value";
    // The name is the path below "ENV:vars", joined with this platform's separator.
    EXPECT_EQ(run_probe({"getvar", "Paths/Jobs", "0x100"}).out, "[C:\\Jobs]7");
    EXPECT_EQ(run_probe({"getvar", "Binary", "0x100"}).out, "[a]3");
    EXPECT_EQ(run_probe({"getvar", "Missing", "0"}).out, "<missing>");
    DeleteVar("Colour", 0);
}

TEST_F(VariableImport, AFolderLinkedToItselfEndsTheWalk)
{
    write_file(m_vars + "/x", "1");
    std::filesystem::create_directory_symlink(m_vars, m_vars + "/loop");
    const auto child = run_probe({"getvar", "x", "0x100"});
    EXPECT_TRUE(WIFEXITED(child.status)) << child.err;
    EXPECT_EQ(child.out, "[1]1");
    EXPECT_EQ(run_probe({"getvar", "loop/loop/x", "0x100"}).out, "[1]1") << "walked as far as names reach";
}

}
