#include "osmark/errors.h"
#include "osmark/library.h"
#include "osmark/memory.h"
#include "osmark/modules.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <string>

// Looked up by name in the program itself.
extern "C" __attribute__((visibility("default"))) int osmark_modules_test_symbol(void)
{
    return 7;
}

namespace {

using AnswerEntry = int (*)();

int call(void* entry)
{
    return reinterpret_cast<AnswerEntry>(entry)();
}

std::string program_folder()
{
    char folder[4096];
    EXPECT_EQ(GetProgramDir(folder, sizeof folder), 1);
    return folder;
}

TEST(Modules, OpensByDllNameAndFindsEntryPoints)
{
    const std::string rows[] = {
        "osmark_test_module.dll",
        program_folder() + "/osmark_test_module.dll",
    };
    for (const std::string& path : rows) {
        SCOPED_TRACE(path);
        Module* module = OpenModuleA(path.c_str(), nullptr);
        ASSERT_NE(module, nullptr);
        void* entry = ModuleLookupA(module, "osmark_test_module_answer", nullptr);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(call(entry), 42);
        EXPECT_EQ(CloseModuleA(module), 0);
    }
}

TEST(Modules, InlineTwinsPassTheirTags)
{
    Module* module = OpenModule("osmark_test_module.dll", TagUser | 1, "ignored", TagUser | 2, 5);
    ASSERT_NE(module, nullptr);
    void* entry = ModuleLookup(module, "osmark_test_module_answer", TagUser | 3);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(call(entry), 42);
    EXPECT_EQ(ModuleLookup(module, "osmark_test_module_answer"), entry);
    EXPECT_EQ(CloseModule(module), 0);
}

TEST(Modules, ClosingTwiceIsRefusedWithoutTouchingTheRecord)
{
    Module* module = OpenModuleA("osmark_test_module.dll", nullptr);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(CloseModuleA(module), 0);
    IoErr();
    EXPECT_EQ(CloseModuleA(module), IoErrObjectInvalid);
    EXPECT_EQ(IoErr(), IoErrNone) << "the result only; no code is left";
    EXPECT_EQ(ModuleLookupA(module, "osmark_test_module_answer", nullptr), nullptr);
    EXPECT_EQ(IoErr(), IoErrObjectInvalid);
    EXPECT_EQ(CloseModuleA(nullptr), IoErrRequiredArgMissing);
    EXPECT_EQ(IoErr(), IoErrNone);
}

TEST(Modules, NullModuleLooksInTheProgramNotInOsmark)
{
    void* own = ModuleLookupA(nullptr, "osmark_modules_test_symbol", nullptr);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(call(own), 7);
    IoErr();
    EXPECT_EQ(ModuleLookupA(nullptr, "OpenModuleA", nullptr), nullptr) << "Osmark's, not the program's";
    EXPECT_EQ(IoErr(), IoErrUnknown);
}

TEST(Modules, FailuresLeaveTheirCodes)
{
    struct Row {
        const char* what;
        const char* path;
        IoErrCode code;
    };
    const Row rows[] = {
        {"no such module", "no_such_module.dll", IoErrUnknown},
        {"NULL path", nullptr, IoErrRequiredArgMissing},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        IoErr();
        EXPECT_EQ(OpenModuleA(row.path, nullptr), nullptr);
        EXPECT_EQ(IoErr(), row.code);
    }

    Module* module = OpenModuleA("osmark_test_module.dll", nullptr);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(ModuleLookupA(module, "no_such_entry", nullptr), nullptr);
    EXPECT_EQ(IoErr(), IoErrUnknown);
    EXPECT_EQ(ModuleLookupA(module, nullptr, nullptr), nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(CloseModuleA(module), 0);
}

TEST(Modules, FailingAllocationLoadsNothingAndLeaksNothing)
{
    uint32_t live_before = 0;
    osmark_testing_allocation_counts(&live_before, nullptr);
    for (uint32_t successes : {0u, 1u, 2u}) {
        SCOPED_TRACE(successes);
        osmark_testing_fail_allocations(successes, 1);
        IoErr();
        EXPECT_EQ(OpenModuleA("osmark_test_module.dll", nullptr), nullptr);
        osmark_testing_fail_allocations(0, 0);
        EXPECT_EQ(IoErr(), IoErrNoMemory);
    }
    uint32_t live_after = 0;
    osmark_testing_allocation_counts(&live_after, nullptr);
    EXPECT_EQ(live_after, live_before);
}

}
