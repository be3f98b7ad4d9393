#include "osmark/library.h"
#include "osmark/memory.h"
#include "osmark/testing.h"
#include "platform/kernel.h"
#include "test_support/child_process.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The whole start-up sequence of the library, in its order.
const char* const kFullSequence[] = {
    "InitialiseIoErrTable", "InitialiseForbid", "InitialiseDelay", "InitialiseLocaleDefaults",
    "InitialiseArgStr", "InitialiseDosObjects", "InitialiseFiles", "InitialiseProgramDir",
    "InitialiseAssigns", "InitialiseLocale", "InitialiseAssignFile", "InitialiseFileSystems",
    "InitialiseSharedMemory", "InitialiseMsgPorts", "InitialiseRegionPool", "InitialiseFonts",
    "InitialiseRastPorts", "InitialiseClipFormats", "InitialiseImages",
    "InitialiseDitherPatterns", "InitialiseTagPool", "InitialiseFrames", "InitialiseGUIMsgs",
    "InitialiseKeyCodes", "InitialisePointers", "InitialiseMenus", "InitialiseMsgs",
    "InitialiseClasses", "InitialisePopups", "InitialisePointBuffers",
};

TEST(Startup, StepsRunInTheLibraryOrder)
{
    uint32_t count = 0;
    const char* const* steps = osmark_testing_startup_steps(&count);
    ASSERT_GE(count, 17u);
    size_t position = 0;
    for (uint32_t i = 0; i < count; ++i) {
        SCOPED_TRACE(steps[i]);
        while (position < std::size(kFullSequence) && std::strcmp(kFullSequence[position], steps[i]) != 0)
            ++position;
        ASSERT_LT(position, std::size(kFullSequence)) << "a step out of order or unknown";
        ++position;
    }
    const std::vector<std::string> ran(steps, steps + count);
    for (const char* expected : {"InitialiseArgStr", "InitialiseProgramDir", "InitialiseTagPool",
                                 "InitialiseRegionPool", "InitialisePointBuffers"}) {
        EXPECT_NE(std::find(ran.begin(), ran.end(), expected), ran.end()) << expected;
    }
    EXPECT_STREQ(steps[count - 1], "InitialisePointBuffers");
}

TEST(Startup, InstanceIsOsmarksOwnModule)
{
    ASSERT_NE(Instance, nullptr);
    char path[4096];
    ASSERT_GT(GetModuleFileNameA(Instance, path, sizeof path), 0u);
    EXPECT_NE(std::strstr(path, "libosmark.so"), nullptr) << path;
}

TEST(Startup, VersionStringsFollowTheLibraryConvention)
{
    EXPECT_EQ(Application_Version[0], '\0') << "one NUL byte leads the version string";
    const std::string version = Application_Version + 1;
    EXPECT_EQ(version.rfind("$VER: Osmark ", 0), 0u) << version;
    // "$VER: <name> <version> (<d.m.yyyy>)"
    const size_t open = version.find(" (");
    ASSERT_NE(open, std::string::npos);
    EXPECT_EQ(version.back(), ')');
    const std::string date = version.substr(open + 2, version.size() - open - 3);
    int day = 0, month = 0, year = 0;
    ASSERT_EQ(std::sscanf(date.c_str(), "%d.%d.%d", &day, &month, &year), 3) << date;
    EXPECT_TRUE(day >= 1 && day <= 31 && month >= 1 && month <= 12 && year >= 2000) << date;
    EXPECT_EQ(version.substr(6, open - 6), Application_Title) << "name and version";
    EXPECT_NE(Application_Copyright[0], '\0');
    EXPECT_NE(Application_Author[0], '\0');
    EXPECT_NE(Application_Description[0], '\0');
}

TEST(ArgumentString, TakesWhatFollowsTheProgramName)
{
    struct Row {
        const char* line;
        const char* arguments;
    };
    const Row rows[] = {
        {"\"C:\\p\\prog.exe\"  \"a b\"  w ", "\"a b\"  w"},
        {"\"C:\\p\\prog.exe", ""},
        {"prog", ""},
        {"prog\tword", "word"},
        {"prog   spaced out  ", "spaced out"},
        {"\"/opt/my tools/prog\"", ""},
        {"", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        std::string line = row.line;
        char* arguments = osmark_testing_parse_arguments(line.data());
        ASSERT_NE(arguments, nullptr);
        EXPECT_STREQ(arguments, row.arguments);
        FreeStr(arguments);
    }
    char* none = osmark_testing_parse_arguments(nullptr);
    ASSERT_NE(none, nullptr);
    EXPECT_STREQ(none, "");
    FreeStr(none);
}

TEST(ArgumentString, SetArgStrHandsOverOwnership)
{
    char* mine = AllocStr(0, "mine");
    char* original = SetArgStr(mine);
    EXPECT_EQ(GetArgStr(), mine);
    EXPECT_EQ(SetArgStr(original), mine);
    FreeStr(mine);
    EXPECT_EQ(SetArgStr(nullptr), original);
    EXPECT_EQ(GetArgStr(), nullptr);
    SetArgStr(original);
}

TEST(ProgramDir, FitsOnlyWithRoomForTheNul)
{
    char program[4096];
    ASSERT_GT(GetProgramName(program, sizeof program), 0u);
    std::string folder(program);
    folder.erase(folder.rfind('/'));

    std::vector<char> buffer(folder.size() + 1, 'x');
    EXPECT_EQ(GetProgramDir(buffer.data(), static_cast<uint32_t>(folder.size())), 0);
    EXPECT_EQ(buffer[0], 'x') << "nothing written";
    EXPECT_EQ(GetProgramDir(buffer.data(), static_cast<uint32_t>(folder.size() + 1)), 1);
    EXPECT_EQ(std::string(buffer.data()), folder);
}

using test_support::ChildResult;

// Runs the probe program (built beside this test) with the given arguments.
ChildResult run_probe(const std::vector<std::string>& arguments)
{
    return test_support::run_child(test_support::program_beside_test("osmark_probe"), arguments);
}

TEST(ProcessStartup, ArgumentStringOfARealProcess)
{
    const ChildResult child = run_probe({"argstr", "a b", "w"});
    ASSERT_TRUE(WIFEXITED(child.status));
    EXPECT_EQ(WEXITSTATUS(child.status), 0) << child.err;
    EXPECT_EQ(child.out, "[argstr \"a b\" w]");
}

TEST(ProcessStartup, ProgramDirOfARealProcess)
{
    char self[4096];
    std::string folder(self, GetModuleFileNameA(nullptr, self, sizeof self));
    folder.erase(folder.rfind('/'));
    const ChildResult child = run_probe({"progdir"});
    EXPECT_EQ(child.out, folder);
}

TEST(ProcessStartup, UnloadReportsEveryBlockFreed)
{
    const ChildResult child = run_probe({"report", "25"});
    ASSERT_TRUE(WIFEXITED(child.status));
    EXPECT_EQ(WEXITSTATUS(child.status), 0) << child.err;
    const std::string prefix = "Information: ALLOCATIONS: 0, (TOTAL NUMBER ";
    const size_t at = child.err.find(prefix);
    ASSERT_NE(at, std::string::npos) << child.err;
    const long total = std::strtol(child.err.c_str() + at + prefix.size(), nullptr, 10);
    EXPECT_GE(total, 25);
}

TEST(ProcessStartup, NoReportWithoutTheDebugFlag)
{
    const ChildResult child = run_probe({"argstr"});
    EXPECT_EQ(child.err.find("ALLOCATIONS"), std::string::npos) << child.err;
}

}
