// Osmark's error funnel: codes come back unchanged and reach IoErr as before, and while
// tracing is on the site of the check that fired is kept and printed, naming the
// reader's own file.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/runtime/make_error.h"
#include "osmark/assigns.h"
#include "osmark/errors.h"
#include "osmark/memory.h"
#include "osmark/patterns.h"
#include "osmark/settings.h"
#include "test_support/temp_folder.h"

namespace {

using osmark::ErrorTrace;
using platform::ErrorTracing;

bool ends_with(const char* text, std::string_view end)
{
    return text != nullptr && std::string_view(text).ends_with(end);
}

// Each test starts with tracing on, no site and no code; the environment decides again
// after.
class OsmarkErrorTrace : public testing::Test {
protected:
    void SetUp() override
    {
        ErrorTrace::set_tracing(ErrorTracing::On);
        ErrorTrace::clear_last_site();
        IoErr();
    }
    void TearDown() override
    {
        ErrorTrace::clear_last_site();
        ErrorTrace::set_tracing(ErrorTracing::FromEnvironment);
    }
};

TEST_F(OsmarkErrorTrace, FunnelsKeepCodesAndTheCallersSite)
{
    const IoErrCode codes[] = {IoErrNoMemory, IoErrObjectInvalid, IoErrUnknown, INT32_MIN, 7};
    for (const IoErrCode code : codes) {
        SCOPED_TRACE(code);
        ErrorTrace::clear_last_site();
        const uint32_t made_at = __LINE__ + 1;
        EXPECT_EQ(osmark::make_error(code), code);
        EXPECT_EQ(ErrorTrace::last_site().line, made_at);
        EXPECT_EQ(IoErr(), IoErrNone) << "make_error leaves IoErr alone";

        testing::internal::CaptureStderr();
        const uint32_t set_at = __LINE__ + 1;
        osmark::set_io_error(code);
        const std::string printed = testing::internal::GetCapturedStderr();
        EXPECT_EQ(IoErr(), code);
        const platform::ErrorSite site = ErrorTrace::last_site();
        EXPECT_TRUE(ends_with(site.file, "error_trace_test.cpp")) << site.file;
        EXPECT_EQ(site.line, set_at);
        EXPECT_EQ(site.code, code);
        EXPECT_EQ(printed, std::string(site.file) + ':' + std::to_string(set_at) + ": " +
                               site.function + ": error " + std::to_string(code) + '\n');
    }
    // A system error number is traced as the library code it becomes.
    osmark::set_io_error_from_win32(2); // ERROR_FILE_NOT_FOUND
    EXPECT_EQ(IoErr(), IoErrObjectNotFound);
    EXPECT_EQ(ErrorTrace::last_site().code, IoErrObjectNotFound);
}

TEST_F(OsmarkErrorTrace, DamagedInputNamesTheCheckInItsReader)
{
    const test_support::TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string assigns = folder.write("assigns", "not an assign file\r\nA:b\r\n");
    const std::string settings =
        folder.write("app.env", "[main]\nno equals sign here\nkey=value\n");
    struct Row {
        const char* name;
        const char* reader_file;
        IoErrCode code;
        int32_t (*run)(const std::string& assigns, const std::string& settings);
    };
    const Row rows[] = {
        {"assign file without its header", "core/files/assign_file.cpp", IoErrObjectInvalid,
         [](const std::string& path, const std::string&) {
             return AssignLoad(path.c_str()) == 0 ? 1 : 0;
         }},
        // The damaged line is passed over: the value after it is still found.
        {"settings file with a damaged line", "core/runtime/settings_file.cpp", IoErrObjectInvalid,
         [](const std::string&, const std::string& path) {
             char value[16] = {};
             return ReadEnvString(path.c_str(), "main", "key", "", value, sizeof value) == 5 ? 1
                                                                                             : 0;
         }},
        {"pattern with an unclosed group", "core/text/patterns.cpp", IoErrPatternEnd,
         [](const std::string&, const std::string&) {
             ParsedPattern pattern{};
             const int32_t result = ParsePattern("(a|b", &pattern);
             FreeVec(pattern.pp_Tokens);
             return result == -1 ? 1 : 0;
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ErrorTrace::clear_last_site();
        testing::internal::CaptureStderr();
        EXPECT_EQ(row.run(assigns, settings), 1);
        const std::string printed = testing::internal::GetCapturedStderr();
        const platform::ErrorSite site = ErrorTrace::last_site();
        ASSERT_NE(site.file, nullptr);
        EXPECT_TRUE(ends_with(site.file, row.reader_file)) << site.file;
        EXPECT_EQ(site.code, row.code);
        EXPECT_NE(printed.find(std::string(site.file) + ':' + std::to_string(site.line) + ": "),
                  std::string::npos)
            << printed;
        IoErr();
    }
}

TEST_F(OsmarkErrorTrace, TracingOffKeepsAndPrintsNothingButIoErrStillWorks)
{
    ErrorTrace::set_tracing(ErrorTracing::Off);
    testing::internal::CaptureStderr();
    EXPECT_EQ(AssignLoad(nullptr), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(ErrorTrace::last_site().file, nullptr);
}

}
