// Trennic as a loaded library: its version strings and its exit list.

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "library/library_state.h"
#include "platform/kernel.h"
#include "test_support/child_process.h"

namespace {

TEST(TrennicLibrary, ExportsItsOwnVersionStrings)
{
    // Osmark and Halvern export strings of the same names: look in Trennic itself.
    const std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string path = program.substr(0, program.rfind('/') + 1) + "libtrennic.so";
    void* library = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const char* function :
         {"QX_NewGeometry", "QX_FreeGeometry", "QX_LoadGeometry", "QX_LoadGeometryInfo",
          "QX_LoadGeometryFP", "QX_LoadGeometryInfoFP", "QX_LoadGeometryMem",
          "QX_LoadGeometryInfoMem", "CheckFormatID", "UpgradeElement", "ElementToItem",
          "MarkLayerTooling", "AddMachine", "ClearMachine", "InitCommonCutNestData",
          "ParseCommonCutNestData"}) {
        EXPECT_NE(dlsym(library, function), nullptr) << function;
    }
    const auto* title = static_cast<const char*>(dlsym(library, "Application_Title"));
    const auto* version = static_cast<const char*>(dlsym(library, "Application_Version"));
    ASSERT_NE(title, nullptr);
    ASSERT_NE(version, nullptr);
    EXPECT_STREQ(title, "Trennic 1.3.92");
    EXPECT_EQ(version[0], '\0') << "one NUL byte leads the version string";
    const std::string text = version + 1;
    EXPECT_EQ(text.rfind("$VER: Trennic 1.3.92 (", 0), 0u) << text;
    int day = 0, month = 0, year = 0;
    EXPECT_EQ(std::sscanf(text.c_str() + text.find('(') + 1, "%d.%d.%d)", &day, &month, &year), 3)
        << text;
    EXPECT_EQ(text.back(), ')');
    for (const char* name :
         {"Application_Copyright", "Application_Author", "Application_Description"}) {
        const auto* value = static_cast<const char*>(dlsym(library, name));
        ASSERT_NE(value, nullptr) << name;
        EXPECT_NE(value[0], '\0') << name;
    }
    // Internals stay inside.
    EXPECT_EQ(dlsym(library, "_ZN7trennic17library_exit_listEv"), nullptr);
    dlclose(library);
}

TEST(TrennicLibrary, KeepsItsModuleHandle)
{
    // The tests run on the static twin, which is part of the test program.
    ASSERT_NE(trennic::module_handle(), nullptr);
    char path[4096];
    ASSERT_GT(GetModuleFileNameA(trennic::module_handle(), path, sizeof path), 0u);
    EXPECT_EQ(std::string(path), std::filesystem::read_symlink("/proc/self/exe").string());
}

TEST(TrennicLibrary, UnloadRunsTheExitListLastRegisteredFirst)
{
    const test_support::ChildResult result =
        test_support::run_child(test_support::program_beside_test("trennic_exit_probe"), {});
    ASSERT_TRUE(WIFEXITED(result.status)) << result.err;
    EXPECT_EQ(WEXITSTATUS(result.status), 0) << result.err;
    EXPECT_EQ(result.out, "main\nsecond\nfirst\n");
}

}
