// Trennic's error funnel: the code comes back unchanged, and while tracing is on the
// site of the check that fired is kept and printed.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "library/make_error.h"
#include "part_file_writer.h"
#include "trennic_test_support.h"

namespace {

using platform::ErrorTracing;
using trennic::ErrorTrace;
using trennic_test::Geometry;

bool ends_with(const char* text, std::string_view end)
{
    return text != nullptr && std::string_view(text).ends_with(end);
}

class TrennicErrorTrace : public testing::Test {
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

TEST_F(TrennicErrorTrace, DamagedFilesNameTheCheckThatFired)
{
    struct Row {
        const char* what;
        kzv::Part part;
        int32_t code;
        const char* file;
    };
    kzv::Part wrong_id;
    wrong_id.format_id = 0x12345678;
    kzv::Part wrong_marker;
    wrong_marker.markers[3] = 0;
    kzv::Part bad_length;
    bad_length.elements = {kzv::tooling(1).length(2000)};
    const Row rows[] = {
        {"format id", wrong_id, -25, "geometry/part_file_reader.cpp"},
        {"marker of section D", wrong_marker, -25, "geometry/element_sections.cpp"},
        {"element length", bad_length, -24, "geometry/element_sections.cpp"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ErrorTrace::clear_last_site();
        Geometry geometry;
        testing::internal::CaptureStderr();
        EXPECT_EQ(geometry.load(kzv::write_part(row.part)), row.code);
        const std::string printed = testing::internal::GetCapturedStderr();
        const platform::ErrorSite site = ErrorTrace::last_site();
        ASSERT_NE(site.file, nullptr);
        EXPECT_TRUE(ends_with(site.file, row.file)) << site.file;
        EXPECT_EQ(site.code, row.code);
        EXPECT_NE(printed.find(std::string(site.file) + ':' + std::to_string(site.line) + ": "),
                  std::string::npos)
            << printed;
    }
}

TEST_F(TrennicErrorTrace, TracingOffKeepsAndPrintsNothing)
{
    ErrorTrace::set_tracing(ErrorTracing::Off);
    testing::internal::CaptureStderr();
    EXPECT_EQ(trennic::make_error(-24), -24);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(ErrorTrace::last_site().file, nullptr);
}

}
