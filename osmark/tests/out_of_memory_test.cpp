// Out of memory at the C boundary: every exported function that allocates with new or a
// standard container turns a failed allocation into its documented failure result
// instead of ending the process from a noexcept function, and frees what it took.
// Allocation N (counted over AllocVec and operator new alike) fails for N = 0, 1, ...
// until the call succeeds.

#include "osmark/assigns.h"
#include "osmark/errors.h"
#include "osmark/memory.h"
#include "osmark/paths.h"
#include "osmark/testing.h"
#include "platform/files.h"
#include "platform/kernel.h"
#include "platform/process_support.h"
#include "test_support/allocation_failure.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Longer than the short-string buffer, so that a std::string of it takes a heap block.
constexpr const char* kAssign = "OUT_OF_MEMORY_TEST_ASSIGN";
constexpr const char* kAssignedFile = "OUT_OF_MEMORY_TEST_ASSIGN:drawing.dxf";
constexpr const char* kLongPath = "first/folder/with/a/long/name/part.dxf";

enum class Outcome {
    Succeeded,
    FailedAsDocumented, // the failure result, and the out-of-memory code
    Wrong,              // any other result or code
};

Outcome osmark_outcome(bool succeeded)
{
    if (succeeded)
        return Outcome::Succeeded;
    return IoErr() == IoErrNoMemory ? Outcome::FailedAsDocumented : Outcome::Wrong;
}

Outcome platform_outcome(bool succeeded)
{
    if (succeeded)
        return Outcome::Succeeded;
    return GetLastError() == ERROR_NOT_ENOUGH_MEMORY ? Outcome::FailedAsDocumented : Outcome::Wrong;
}

// Takes a string that the call returned (NULL on failure) and frees it.
Outcome osmark_string_outcome(char* result, const char* expected)
{
    if (result == nullptr)
        return osmark_outcome(false);
    const bool right = std::strcmp(result, expected) == 0;
    FreeStr(result);
    return right ? Outcome::Succeeded : Outcome::Wrong;
}

// What the rows' calls need, made before the countdown is armed: a call itself only
// allocates what the function under test does.
struct Context {
    HANDLE file = nullptr;
    char buffer[4096] = {};
};

struct Row {
    const char* name;
    // Whether the call allocates at all: then failing its first allocation fails it.
    bool allocates;
    Outcome (*call)(Context& context);
};

const Row kRows[] = {
    {"NormalisePath", true,
     [](Context& context) {
         std::strcpy(context.buffer, "first/./folder/../with/a/long/name/part.dxf");
         char* result = NormalisePath(context.buffer);
         if (result == nullptr)
             return osmark_outcome(false);
         return std::strcmp(result, "first/with/a/long/name/part.dxf") == 0 ? Outcome::Succeeded
                                                                            : Outcome::Wrong;
     }},
    {"ChangeFileExt", true,
     [](Context&) {
         return osmark_string_outcome(ChangeFileExt(kLongPath, "bak"),
                                      "first/folder/with/a/long/name/part.bak");
     }},
    {"ExtractFileName", true,
     [](Context&) { return osmark_string_outcome(ExtractFileName(kLongPath), "part.dxf"); }},
    // It used to join the two separator sets into a new string.
    {"FilePart", false,
     [](Context&) {
         return FilePart(kLongPath) == kLongPath + std::strlen(kLongPath) - 8 ? Outcome::Succeeded
                                                                              : Outcome::Wrong;
     }},
    {"AssignFind", true,
     [](Context&) {
         const char* path = nullptr;
         uint32_t active = 0;
         return osmark_outcome(AssignFind(kAssignedFile, &path, &active) == 1 && path != nullptr);
     }},
    {"AssignExpand", true,
     [](Context& context) {
         return osmark_outcome(AssignExpand(kAssignedFile, context.buffer, sizeof context.buffer) >
                               0);
     }},
    {"AllocExpandedPath", true,
     [](Context&) {
         char* expanded = AllocExpandedPath(kAssignedFile);
         FreeExpandedPath(expanded);
         return osmark_outcome(expanded != nullptr);
     }},
    {"GetModuleFileNameA", true,
     [](Context& context) {
         return platform_outcome(
             GetModuleFileNameA(nullptr, context.buffer, sizeof context.buffer) != 0);
     }},
    {"GetModuleHandleExA", true,
     [](Context&) {
         HMODULE module = nullptr;
         const BOOL found = GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                                   GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                               reinterpret_cast<LPCSTR>(&NormalisePath), &module);
         return platform_outcome(found && module != nullptr);
     }},
    {"SetFileTime", false,
     [](Context& context) {
         const FILETIME time{0x12345678u, 0x01D00000u};
         return platform_outcome(SetFileTime(context.file, nullptr, &time, &time) != 0);
     }},
    {"platform_build_command_line", false,
     [](Context& context) {
         const char* const arguments[] = {"viewer", "a drawing.dxf", "quote\"d"};
         const size_t length =
             platform_build_command_line(arguments, 3, context.buffer, sizeof context.buffer);
         const char* expected = "viewer \"a drawing.dxf\" \"quote\\\"d\"";
         return length == std::strlen(expected) && std::strcmp(context.buffer, expected) == 0
                    ? Outcome::Succeeded
                    : Outcome::Wrong;
     }},
};

uint32_t live_blocks()
{
    uint32_t live = 0;
    osmark_testing_allocation_counts(&live, nullptr);
    return live;
}

TEST(OutOfMemory, EveryAllocationFailureGivesTheFailureResult)
{
    ASSERT_TRUE(test_support::new_follows_allocation_countdown());
    const test_support::TempFolder folder;
    ASSERT_TRUE(folder.ok());
    ASSERT_EQ(AssignPath(kAssign, folder.path().c_str()), 1);
    Context context;
    const std::string file_path = folder.write("stamped.dxf", "0\nEOF\n");
    context.file = CreateFileA(file_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(context.file, INVALID_HANDLE_VALUE);

    // Far more allocations than any of the calls makes.
    constexpr uint32_t kMostAllocations = 200;
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        uint32_t failed_calls = 0;
        for (uint32_t successes = 0;; ++successes) {
            ASSERT_LT(successes, kMostAllocations) << "the call never succeeded";
            const uint32_t live_before = live_blocks();
            SetIoErr(0);
            SetLastError(ERROR_SUCCESS);
            Outcome outcome;
            {
                const test_support::NewJoinsCountdown joined;
                osmark_testing_fail_allocations(successes, 1);
                outcome = row.call(context);
                osmark_testing_fail_allocations(0, 0);
            }
            EXPECT_EQ(live_blocks(), live_before) << "allocation " << successes << " failing";
            if (outcome == Outcome::Succeeded)
                break;
            EXPECT_EQ(outcome, Outcome::FailedAsDocumented)
                << "allocation " << successes << " failing";
            ++failed_calls;
        }
        EXPECT_EQ(failed_calls > 0, row.allocates) << failed_calls << " failed calls";
    }

    CloseHandle(context.file);
    AssignPath(kAssign, nullptr);
}

}
