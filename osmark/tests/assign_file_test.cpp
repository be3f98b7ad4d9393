#include "osmark/assigns.h"
#include "osmark/directories.h"
#include "osmark/errors.h"
#include "osmark/library.h"
#include "osmark/memory.h"
#include "osmark/versions.h"
#include "platform/registry.h"

#include "settings_test_support.h"
#include "test_support/files.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using settings_test::env_folder;
using settings_test::run_probe;
using test_support::read_file;
using test_support::TempFolder;
using test_support::write_file;

std::string expand(const char* path)
{
    char* expanded = AllocExpandedPath(path);
    const std::string result = expanded != nullptr ? expanded : "<failed>";
    FreeExpandedPath(expanded);
    return result;
}

std::vector<std::string> user_assigns()
{
    std::vector<std::string> names;
    if (const List* list = GetAssignList()) {
        for (const Node* n = list->lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
            const auto* node = reinterpret_cast<const AssignNode*>(n);
            names.push_back(std::string(n->ln_Name) + "=" + node->an_Path);
        }
    }
    return names;
}

// Every test starts and ends without user assigns and without an assigns file.
class AssignFile : public ::testing::Test {
protected:
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }

    static void clear()
    {
        for (const std::string& entry : user_assigns())
            AssignPath(entry.substr(0, entry.find('=')).c_str(), nullptr);
        std::error_code error;
        std::filesystem::remove_all(env_folder() + "/system", error);
    }

    static std::string assigns_file() { return env_folder() + "/system/assigns"; }
};

TEST_F(AssignFile, StartUpMadeTheSystemAssigns)
{
    EXPECT_EQ(expand("ENV:"), env_folder() + "/");
    EXPECT_EQ(expand("ENV:system\\assigns"), env_folder() + "/system\\assigns");
    EXPECT_EQ(expand("LOCALE:x"), env_folder() + "/locale/x");
    char program[512];
    ASSERT_TRUE(GetProgramDir(program, sizeof program));
    EXPECT_EQ(expand("PROGDIR:a"), std::string(program) + "/a");
    const char* temp = nullptr;
    ASSERT_TRUE(AssignFind("TEMP", &temp, nullptr));
    EXPECT_STRNE(temp, "");
}

TEST_F(AssignFile, StoreWritesTheHeaderAndOneLinePerAssign)
{
    ASSERT_TRUE(CreateDir("ENV:system"));
    ASSERT_EQ(AssignPath("Work:", "D:\\Jobs"), 1);
    EXPECT_EQ(AssignStore(), 1);
    EXPECT_EQ(read_file(assigns_file()), "# Assign File Version  1.00\nWork:D:\\Jobs\r\n");

    ASSERT_EQ(AssignPath("Archive", "/srv/archive"), 1);
    EXPECT_EQ(AssignStore(), 1);
    EXPECT_EQ(read_file(assigns_file()),
              "# Assign File Version  1.00\nArchive:/srv/archive\r\nWork:D:\\Jobs\r\n");
}

TEST_F(AssignFile, StoreWithoutUserAssignsWritesTheHeaderAndReturnsZero)
{
    ASSERT_TRUE(CreateDir("ENV:system"));
    EXPECT_EQ(AssignStore(), 0);
    EXPECT_EQ(read_file(assigns_file()), "# Assign File Version  1.00\n");
    ASSERT_EQ(AssignPath("Work", "x"), 1);
    ASSERT_EQ(AssignPath("Work", nullptr), 1);
    EXPECT_EQ(AssignStore(), 0) << "an empty list";
}

TEST_F(AssignFile, StoreFailsWithoutItsFolder)
{
    ASSERT_EQ(AssignPath("Work", "x"), 1);
    EXPECT_EQ(AssignStore(), 0);
}

TEST_F(AssignFile, LoadAcceptsOnlyVersionOne)
{
    struct Row {
        const char* header;
        int32_t result;
    };
    const Row rows[] = {
        {"# Assign File Version 1.00\n", 1},
        {"# Assign File Version  1.00\n", 1},
        {"# Assign File Version 1\r\n", 1},
        {"# Assign File Version 2.00\n", 0},
        {"# assign file version 1.00\n", 0},
        {"Work:D:\\Jobs\n", 0},
        {"", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.header);
        clear();
        write_file(assigns_file(), std::string(row.header) + "Work:D:\\Jobs\r\n");
        SetIoErr(IoErrNone);
        EXPECT_EQ(AssignLoad(assigns_file().c_str()), row.result);
        if (row.result == 0) {
            EXPECT_EQ(IoErr(), IoErrObjectInvalid);
        }
        EXPECT_EQ(user_assigns().size(), row.result == 1 ? 1u : 0u);
    }
    EXPECT_EQ(AssignLoad(nullptr), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(AssignLoad((env_folder() + "/no/such/file").c_str()), 0);
}

TEST_F(AssignFile, LoadSkipsCommentsAndShortLinesAndStopsAtARefusedName)
{
    write_file(assigns_file(), "# Assign File Version  1.00\n"
                               "; a comment: with a colon\n"
                               "\n"
                               "x\n"
                               "no colon here\n"
                               "Work:first\r\n"
                               "Empty:\n"
                               " Spaced :  kept as it stands \n"
                               "work:second\n"
                               "Link:ENV:linked\n"
                               "  :refused\n"
                               "After:never\n");
    EXPECT_EQ(AssignLoad(assigns_file().c_str()), 0);
    EXPECT_EQ(IoErr(), IoErrObjectInvalid);
    EXPECT_EQ(user_assigns(), (std::vector<std::string>{"Empty=", "Link=ENV:linked", "Spaced=  kept as it stands ",
                                                        "work=second"}));
    EXPECT_EQ(expand("Link:a"), env_folder() + "/linked/a");
}

TEST_F(AssignFile, StoredFileLoadsBack)
{
    ASSERT_TRUE(CreateDir("ENV:system"));
    ASSERT_EQ(AssignPath("Work", "D:\\Jobs"), 1);
    ASSERT_EQ(AssignPath("Drawings", "/home/u/drawings"), 1);
    ASSERT_EQ(AssignStore(), 1);
    const std::vector<std::string> stored = user_assigns();
    AssignPath("Work", nullptr);
    AssignPath("Drawings", nullptr);
    EXPECT_EQ(AssignLoad(assigns_file().c_str()), 1);
    EXPECT_EQ(user_assigns(), stored);
}

// ---- The start-up of the assigns, seen from a child process ---------------------------

// A child with a registry and data folder of its own: XDG_CONFIG_HOME and XDG_DATA_HOME
// in a fresh folder.
class AssignStartUp : public ::testing::Test {
protected:
    std::map<std::string, std::string> environment() const
    {
        return {{"XDG_CONFIG_HOME", m_folder.path("config")}, {"XDG_DATA_HOME", m_folder.path("data")}};
    }

    // Sets a registry value in the child's registry.
    void set_basepath(HKEY root, const std::string& path, DWORD type = REG_SZ) const
    {
        const std::string old = std::getenv("XDG_CONFIG_HOME");
        setenv("XDG_CONFIG_HOME", m_folder.path("config").c_str(), 1);
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(root, "Software\\Osmark\\Env", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, "basepath", 0, type, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
        RegCloseKey(key);
        setenv("XDG_CONFIG_HOME", old.c_str(), 1);
    }

    std::string machine_basepath() const
    {
        const std::string old = std::getenv("XDG_CONFIG_HOME");
        setenv("XDG_CONFIG_HOME", m_folder.path("config").c_str(), 1);
        char buffer[512];
        RegFileSearch(HKEY_LOCAL_MACHINE, "software\\osmark\\env", "basepath", buffer, sizeof buffer);
        setenv("XDG_CONFIG_HOME", old.c_str(), 1);
        return buffer;
    }

    TempFolder m_folder;
};

TEST_F(AssignStartUp, CurrentUserBasePathWins)
{
    set_basepath(HKEY_CURRENT_USER, m_folder.path("user/env"));
    set_basepath(HKEY_LOCAL_MACHINE, m_folder.path("machine/env"));
    EXPECT_EQ(run_probe({"assign", "ENV"}, environment()).out, m_folder.path("user/env"));
    EXPECT_TRUE(std::filesystem::is_directory(m_folder.path("user/env"))) << "made with every level";
    EXPECT_FALSE(std::filesystem::exists(m_folder.path("machine")));
    EXPECT_EQ(run_probe({"expand", "LOCALE:"}, environment()).out, m_folder.path("user/env/locale/"));
}

TEST_F(AssignStartUp, LocalMachineBasePathComesNext)
{
    set_basepath(HKEY_LOCAL_MACHINE, m_folder.path("machine/env"));
    EXPECT_EQ(run_probe({"assign", "ENV"}, environment()).out, m_folder.path("machine/env"));
}

TEST_F(AssignStartUp, ExpandableBasePathIsExpanded)
{
    set_basepath(HKEY_CURRENT_USER, "%TARVEK_BASE%/env", REG_EXPAND_SZ);
    auto variables = environment();
    variables["TARVEK_BASE"] = m_folder.path("expanded");
    EXPECT_EQ(run_probe({"assign", "ENV"}, variables).out, m_folder.path("expanded/env"));
}

TEST_F(AssignStartUp, WithoutABasePathTheDefaultIsMadeAndWrittenBack)
{
    EXPECT_EQ(run_probe({"assign", "ENV"}, environment()).out, m_folder.path("data/Osmark/Env"));
    EXPECT_TRUE(std::filesystem::is_directory(m_folder.path("data/Osmark/Env")));
    EXPECT_EQ(machine_basepath(), m_folder.path("data/Osmark/Env"));
}

TEST_F(AssignStartUp, AFolderThatCannotBeMadeLeavesNoEnv)
{
    write_file(m_folder.path("file"), "not a folder");
    set_basepath(HKEY_CURRENT_USER, m_folder.path("file/env"));
    EXPECT_EQ(run_probe({"assign", "ENV"}, environment()).out, "<none>");
    EXPECT_EQ(run_probe({"assign", "LOCALE"}, environment()).out, "<none>");
    EXPECT_NE(run_probe({"assign", "PROGDIR"}, environment()).out, "<none>");
}

TEST_F(AssignStartUp, TheAssignsFileIsLoadedAtStartUp)
{
    write_file(m_folder.path("data/Osmark/Env/system/assigns"), "# Assign File Version  1.00\nWork:/jobs\r\n");
    EXPECT_EQ(run_probe({"expand", "work:a.dxf"}, environment()).out, "/jobs/a.dxf");
}

TEST_F(AssignStartUp, TempFollowsTheVariables)
{
    auto variables = environment();
    variables["TMP"] = m_folder.path("tmp");
    EXPECT_EQ(run_probe({"assign", "TEMP"}, variables).out, m_folder.path("tmp"));
    variables["TMP"] = "";
    variables["TEMP"] = m_folder.path("temp");
    EXPECT_EQ(run_probe({"assign", "TEMP"}, variables).out, m_folder.path("temp"));
}

TEST_F(AssignStartUp, AFreshHomeGetsItsEnvFolderUnderTheDataFolder)
{
    // Everything the start-up makes lies in the folders it was given.
    std::filesystem::create_directories(m_folder.path("home"));
    std::filesystem::create_directories(m_folder.path("cwd"));
    const std::map<std::string, std::string> fresh{{"HOME", m_folder.path("home")},
                                                   {"XDG_DATA_HOME", ""},
                                                   {"XDG_CONFIG_HOME", ""},
                                                   {"TMP", ""},
                                                   {"TEMP", ""}};
    const auto child = run_probe({"assign", "ENV"}, fresh, m_folder.path("cwd"));
    EXPECT_EQ(child.out, m_folder.path("home/.local/share/Osmark/Env")) << child.err;
    std::vector<std::string> made;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_folder.path()))
        made.push_back(entry.path().string().substr(m_folder.path().size()));
    std::sort(made.begin(), made.end());
    EXPECT_EQ(made, (std::vector<std::string>{
                        "/cwd",
                        "/home",
                        "/home/.config",
                        "/home/.config/tarvek",
                        "/home/.config/tarvek/registry",
                        "/home/.config/tarvek/registry/local_machine",
                        "/home/.config/tarvek/registry/local_machine.lock",
                        "/home/.local",
                        "/home/.local/share",
                        "/home/.local/share/Osmark",
                        "/home/.local/share/Osmark/Env",
                    }));
}

}
