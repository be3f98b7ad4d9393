// Halvern's error funnel: the code comes back unchanged, and while tracing is on the
// site of the check that fired is kept and printed, naming the reader's own file.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "drawing_fixture.h"
#include "halvern/packed.h"
#include "iges/iges_reader.h"
#include "model/make_error.h"
#include "model/memory_handle.h"
#include "osmark/errors.h"
#include "osmark/files.h"

namespace {

using halvern::ErrorTrace;
using halvern_test::Drawing;
using platform::ErrorTracing;

bool ends_with(const char* text, std::string_view end)
{
    return text != nullptr && std::string_view(text).ends_with(end);
}

// Each test starts with tracing on and no site; the environment decides again after.
class HalvernErrorTrace : public testing::Test {
protected:
    void SetUp() override
    {
        ErrorTrace::set_tracing(ErrorTracing::On);
        ErrorTrace::clear_last_site();
    }
    void TearDown() override
    {
        ErrorTrace::clear_last_site();
        ErrorTrace::set_tracing(ErrorTracing::FromEnvironment);
    }
};

int32_t read_packed(const std::vector<uint8_t>& bytes, DXFDrawingRec* drawing)
{
    return ReadAPackedDXFFileMem(bytes.data(), static_cast<uint32_t>(bytes.size()), drawing);
}

int32_t read_iges(std::string_view text, DXFDrawingRec* drawing)
{
    FileHandle handle;
    halvern::DXFMakeMemoryHandle(text.data(), &handle, static_cast<int32_t>(text.size()));
    const int32_t result = halvern::ReadIGESStream(&handle, drawing, 0, 1, nullptr, nullptr);
    Close(&handle);
    return result;
}

TEST_F(HalvernErrorTrace, MakeErrorReturnsTheCodeAndKeepsTheCallersSite)
{
    const int32_t codes[] = {IoErrNoMemory, IoErrObjectInvalid, 1, INT32_MIN, INT32_MAX};
    for (const ErrorTracing tracing : {ErrorTracing::On, ErrorTracing::Off}) {
        ErrorTrace::set_tracing(tracing);
        for (const int32_t code : codes) {
            SCOPED_TRACE(testing::Message() << "code " << code << ", tracing "
                                            << (tracing == ErrorTracing::On ? "on" : "off"));
            ErrorTrace::clear_last_site();
            testing::internal::CaptureStderr();
            const uint32_t line = __LINE__ + 1;
            EXPECT_EQ(halvern::make_error(code), code);
            const std::string printed = testing::internal::GetCapturedStderr();
            const platform::ErrorSite site = ErrorTrace::last_site();
            if (tracing == ErrorTracing::Off) {
                EXPECT_EQ(site.file, nullptr);
                EXPECT_EQ(printed, "");
                continue;
            }
            // The default argument takes the call's place, not the funnel's own.
            EXPECT_TRUE(ends_with(site.file, "error_trace_test.cpp")) << site.file;
            EXPECT_EQ(site.line, line);
            EXPECT_EQ(site.code, code);
            EXPECT_EQ(printed, std::string(site.file) + ':' + std::to_string(line) + ": " +
                                   site.function + ": error " + std::to_string(code) + '\n');
        }
    }
}

TEST_F(HalvernErrorTrace, DamagedFilesNameTheCheckInTheirReader)
{
    struct Row {
        const char* name;
        const char* reader_file;
        int32_t (*read)(DXFDrawingRec* drawing);
    };
    const Row rows[] = {
        {"packed, wrong magic", "packed/packed_reader.cpp",
         [](DXFDrawingRec* drawing) {
             return read_packed({0x01, 0x00, 0x72, 0x18, 0x00, 0x00}, drawing);
         }},
        {"packed, cut inside the string-table size", "packed/packed_reader.cpp",
         [](DXFDrawingRec* drawing) {
             return read_packed({0x01, 0x00, 0x72, 0x19, 0x05}, drawing);
         }},
        {"IGES, no global section", "iges/iges_reader.cpp",
         [](DXFDrawingRec* drawing) { return read_iges(std::string(80, 'x'), drawing); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Drawing drawing;
        ErrorTrace::clear_last_site();
        testing::internal::CaptureStderr();
        const int32_t result = row.read(drawing.get());
        const std::string printed = testing::internal::GetCapturedStderr();
        EXPECT_EQ(result, IoErrObjectInvalid);
        const platform::ErrorSite site = ErrorTrace::last_site();
        ASSERT_NE(site.file, nullptr);
        EXPECT_TRUE(ends_with(site.file, row.reader_file)) << site.file;
        EXPECT_GT(site.line, 0u);
        EXPECT_EQ(site.code, result);
        EXPECT_NE(printed.find(std::string(site.file) + ':' + std::to_string(site.line) + ": "),
                  std::string::npos)
            << printed;
    }
}

TEST_F(HalvernErrorTrace, TracingOffKeepsAndPrintsNothing)
{
    ErrorTrace::set_tracing(ErrorTracing::Off);
    Drawing drawing;
    testing::internal::CaptureStderr();
    EXPECT_EQ(read_packed({0x01, 0x00, 0x72, 0x18}, drawing.get()), IoErrObjectInvalid);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(ErrorTrace::last_site().file, nullptr);
}

TEST_F(HalvernErrorTrace, SuccessLeavesTheSiteAlone)
{
    Drawing drawing;
    EXPECT_EQ(ReadAPackedDXFFileMem(nullptr, 0, drawing.get()), 0);
    EXPECT_EQ(ErrorTrace::last_site().file, nullptr);
}

}
