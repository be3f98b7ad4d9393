// The DXF filter's driver: which passes run, conversions of the input, the temporary
// files, the progress function's stop and the failures of a run.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <csignal>
#include <cstdio>
#include <string>

#include "dxf_test_support.h"
#include "filter_test_support.h"
#include "halvern/filter.h"
#include "osmark/errors.h"
#include "osmark/testing.h"
#include "test_support/child_process.h"
#include "test_support/files.h"

namespace {

using filter_test::dxf;
using filter_test::FilterFolder;
using filter_test::ReadBack;
using filter_test::Tags;
using test_support::read_file;

TEST(FilterDriver, WithoutOptionsCopiesAsciiByteForByte)
{
    FilterFolder folder;
    // CR LF line ends and a comment: a copy keeps both.
    std::string text = dxf(filter_test::line(0, 0, 1, 1) + filter_test::point(2, 2));
    text.insert(0, "999\nmade by hand\n");
    const std::string input = folder.write("in.dxf", text);
    const std::string output = folder.path("out.dxf");
    Tags tags;
    EXPECT_EQ(FilterDXF(input.c_str(), output.c_str(), tags.get()), 0);
    EXPECT_EQ(read_file(output), text);
    EXPECT_TRUE(folder.temporary_files().empty());
}

TEST(FilterDriver, BinaryInputComesOutAsTheWriterWritesIt)
{
    FilterFolder folder;
    using dxf_test::Group;
    const std::vector<Group> groups = {{0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"},   {8, "0"},
                                       {10, "1.5"},    {20, "2"},       {30, "0"},     {11, "3"},
                                       {21, "4"},      {31, "0"},       {0, "ENDSEC"}, {0, "EOF"}};
    const std::string input = folder.write("in.dxf", dxf_test::binary(groups, 2));
    const std::string output = folder.path("out.dxf");
    EXPECT_EQ(FilterDXF(input.c_str(), output.c_str(), Tags().get()), 0);

    // The same drawing written by WriteDXF.
    DXFDrawingRec drawing;
    NewDXFDrawing(&drawing);
    ASSERT_EQ(ReadDXF(input.c_str(), &drawing), 0);
    const std::string expected = folder.path("expected.dxf");
    ASSERT_EQ(WriteDXF(expected.c_str(), &drawing), 0);
    FreeDXFDrawing(&drawing);
    EXPECT_EQ(read_file(output), read_file(expected));
    EXPECT_TRUE(folder.temporary_files().empty());
}

// An IGES file of one line (entity 110) from (1, 2) to (3, 4).
std::string iges_line()
{
    const auto record = [](std::string data, char letter, int sequence) {
        data.resize(72, ' ');
        char tail[16];
        std::snprintf(tail, sizeof tail, "%c%07d", letter, sequence);
        return data + tail + "\n";
    };
    const std::string global =
        "1H,,1H;,4HSEND,6HF.IGES,3HSYS,3HPRE,32,38,6,308,15,4HRECV,1.0,2,2HMM,1,"
        "0.01,15H20240101.120000,0.001,100.0,4HAUTH,3HORG,11,0;";
    std::string text = record("One line.", 'S', 1);
    text += record(global.substr(0, 72), 'G', 1) + record(global.substr(72), 'G', 2);
    text +=
        record("     110       1       0       0       0       0       0       000000000", 'D', 1);
    text +=
        record("     110       0       0       1       0       0       0       0       0", 'D', 2);
    std::string parameters = "110,1.0,2.0,0.0,3.0,4.0,0.0;";
    parameters.resize(64, ' ');
    text += record(parameters + "       1", 'P', 1);
    text += record("S0000001G0000002D0000002P0000001", 'T', 1);
    return text;
}

TEST(FilterDriver, IgesInputComesOutAsDxf)
{
    FilterFolder folder;
    const std::string input = folder.write("in.igs", iges_line());
    const std::string output = folder.path("out.dxf");
    ASSERT_EQ(FilterDXF(input.c_str(), output.c_str(), Tags().get()), 0);
    ReadBack result(output);
    ASSERT_EQ(result.result, 0);
    const auto lines = result.items_of(DXFItemLine);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_DOUBLE_EQ(lines[0]->it_Line.ln_Start.x, 1.0);
    EXPECT_DOUBLE_EQ(lines[0]->it_Line.ln_End.y, 4.0);
    EXPECT_TRUE(folder.temporary_files().empty());
}

TEST(FilterDriver, RefusesMissingArgumentsAndRejectedRules)
{
    FilterFolder folder;
    const std::string input = folder.write("in.dxf", dxf(filter_test::line(0, 0, 1, 0)));
    const std::string output = folder.path("out.dxf");
    EXPECT_EQ(FilterDXF(nullptr, output.c_str(), Tags().get()), IoErrRequiredArgMissing);
    EXPECT_EQ(FilterDXF(input.c_str(), nullptr, Tags().get()), IoErrRequiredArgMissing);
    // A NULL tag list has no options.
    EXPECT_EQ(FilterDXF(input.c_str(), output.c_str(), nullptr), 0);

    int32_t code = 0;
    int32_t position = 0;
    const DXFDeleteRule rule{DXFItemLine, "x1 >"};
    Tags tags;
    tags.add(DXFF_ErrorCode, &code).add(DXFF_ErrorPosition, &position).add(DXFF_Delete, &rule);
    const std::string rejected = folder.path("rejected.dxf");
    EXPECT_EQ(FilterDXF(input.c_str(), rejected.c_str(), tags.get()), IoErrRequiredArgMissing);
    EXPECT_EQ(code, DXFExprSyntax);
    EXPECT_FALSE(test_support::exists(rejected));
    EXPECT_TRUE(folder.temporary_files().empty());
}

TEST(FilterDriver, MissingInputFailsWithoutOutput)
{
    FilterFolder folder;
    const std::string output = folder.path("out.dxf");
    const std::string missing = folder.path("missing.dxf");
    EXPECT_EQ(FilterDXF(missing.c_str(), output.c_str(), Tags().get()), IoErrObjectNotFound);
    EXPECT_FALSE(test_support::exists(output));
    EXPECT_TRUE(folder.temporary_files().empty());
}

TEST(FilterDriver, CutFilesEndCleanly)
{
    FilterFolder folder;
    const std::string whole = dxf(filter_test::line(0, 0, 1, 0) + filter_test::insert("B", 1, 1),
                                  filter_test::block("B", filter_test::point(0, 0)));
    const std::string output = folder.path("out.dxf");
    const DXFDeleteRule rule{DXFItemPoint, "x1 > 5.0"};
    const char* from = "B";
    const char* to = "C";
    Tags tags;
    tags.add(DXFF_Delete, &rule)
        .add(DXFF_NameCharsFrom, from)
        .add(DXFF_NameCharsTo, to)
        .add(DXFF_RemoveDuplicates, 1);
    const TagItem* list = tags.get();
    for (size_t length = 0; length <= whole.size(); length += 7) {
        SCOPED_TRACE(length);
        const std::string input = folder.write("cut.dxf", whole.substr(0, length));
        const int32_t result = FilterDXF(input.c_str(), output.c_str(), list);
        EXPECT_LE(result, 0);
        EXPECT_TRUE(folder.temporary_files().empty());
    }
}

TEST(FilterDriver, ScaleWithinTheToleranceChangesNothing)
{
    FilterFolder folder;
    const std::string text = dxf(filter_test::line(0, 0, 10, 0));
    const std::string input = folder.write("in.dxf", text);
    const std::string output = folder.path("out.dxf");
    const double scale = 1.0000005;
    Tags tags;
    tags.add(DXFF_Scale, &scale);
    ASSERT_EQ(FilterDXF(input.c_str(), output.c_str(), tags.get()), 0);
    EXPECT_EQ(read_file(output), text);

    const double twice = 2.0;
    Tags scaled;
    scaled.add(DXFF_Scale, &twice);
    ASSERT_EQ(FilterDXF(input.c_str(), output.c_str(), scaled.get()), 0);
    ReadBack result(output);
    ASSERT_EQ(result.items_of(DXFItemLine).size(), 1u);
    EXPECT_DOUBLE_EQ(result.items_of(DXFItemLine)[0]->it_Line.ln_End.x, 20.0);
}

TEST(FilterDriver, MoveToOriginOverridesTheTranslation)
{
    FilterFolder folder;
    const std::string input =
        folder.write("in.dxf", dxf(filter_test::line(3, 4, 10, 8) + filter_test::point(5, 2)));
    const std::string output = folder.path("out.dxf");
    const double five = 5.0;
    Tags tags;
    tags.add(DXFF_TranslateX, &five).add(DXFF_MoveToOrigin, 1);
    ASSERT_EQ(FilterDXF(input.c_str(), output.c_str(), tags.get()), 0);
    ReadBack result(output);
    CalcDXFDrawingSize(&result.drawing);
    EXPECT_NEAR(result.drawing.dxf_DrwgSize.min.x, 0.0, 1e-9);
    EXPECT_NEAR(result.drawing.dxf_DrwgSize.min.y, 0.0, 1e-9);
    EXPECT_NEAR(result.drawing.dxf_DrwgSize.max.x, 7.0, 1e-9);

    Tags moved;
    moved.add(DXFF_TranslateX, &five);
    ASSERT_EQ(FilterDXF(input.c_str(), output.c_str(), moved.get()), 0);
    ReadBack shifted(output);
    ASSERT_EQ(shifted.items_of(DXFItemPoint).size(), 1u);
    EXPECT_DOUBLE_EQ(shifted.items_of(DXFItemPoint)[0]->it_Point.pt_Point.x, 10.0);
}

TEST(FilterDriver, SnapDropsALineWhoseEndsMeet)
{
    FilterFolder folder;
    const std::string input = folder.write(
        "in.dxf", dxf(filter_test::line(0.2, 0, 0.4, 0) + filter_test::line(0.2, 0, 2.6, 0)));
    const std::string output = folder.path("out.dxf");
    const double step = 1.0;
    Tags tags;
    tags.add(DXFF_Snap, &step);
    ASSERT_EQ(FilterDXF(input.c_str(), output.c_str(), tags.get()), 0);
    ReadBack result(output);
    const auto lines = result.items_of(DXFItemLine);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_DOUBLE_EQ(lines[0]->it_Line.ln_End.x, 3.0);
}

struct Stopper {
    int32_t calls = 0;
    static int32_t at_start(int32_t kind, int32_t, void* user)
    {
        ++static_cast<Stopper*>(user)->calls;
        return kind == DXFFilterStart ? 7 : 0;
    }
};

TEST(FilterDriver, ProgressStopAtTheStartEndsTheRun)
{
    FilterFolder folder;
    const std::string text = dxf(filter_test::line(0, 0, 1, 0));
    const std::string input = folder.write("in.dxf", text);

    // A pass that reads the file stops at its first group: nothing is written.
    const DXFDeleteRule rule{DXFF_ANY_TYPE, "0"};
    Stopper stopper;
    Tags tags;
    tags.add(DXFF_ProgressHook, reinterpret_cast<uintptr_t>(&Stopper::at_start))
        .add(DXFF_ProgressUserData, &stopper)
        .add(DXFF_Delete, &rule);
    const std::string stopped = folder.path("stopped.dxf");
    EXPECT_EQ(FilterDXF(input.c_str(), stopped.c_str(), tags.get()), 7);
    EXPECT_FALSE(test_support::exists(stopped));

    // Without a pass the file is copied, and the stop is still the result.
    Stopper copier;
    Tags copy;
    copy.add(DXFF_ProgressHook, reinterpret_cast<uintptr_t>(&Stopper::at_start))
        .add(DXFF_ProgressUserData, &copier);
    const std::string copied = folder.path("copied.dxf");
    EXPECT_EQ(FilterDXF(input.c_str(), copied.c_str(), copy.get()), 7);
    EXPECT_EQ(read_file(copied), text);
    EXPECT_TRUE(folder.temporary_files().empty());
}

TEST(FilterDriver, WriteFailuresFailTheRun)
{
    FilterFolder folder;
    std::string entities;
    for (int i = 0; i < 200; ++i)
        entities += filter_test::line(i, 0, i, 1);
    const std::string input = folder.write("in.dxf", dxf(entities));
    const std::string output = folder.path("out.dxf");
    const char* from = "a";
    const char* to = "b";
    // Files may not grow beyond 4 KB: the first pass's writes fail, and so does the copy
    // of a run without passes.
    const int status = test_support::run_in_child([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        Tags pass;
        pass.add(DXFF_NameCharsFrom, from).add(DXFF_NameCharsTo, to);
        const int32_t with_pass = FilterDXF(input.c_str(), output.c_str(), pass.get());
        const int32_t copy_only = FilterDXF(input.c_str(), output.c_str(), Tags().get());
        return (with_pass < 0 ? 0 : 1) | (copy_only < 0 ? 0 : 2);
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(folder.temporary_files().empty());
}

TEST(FilterDriver, TemporaryFilesAreNeverShared)
{
    FilterFolder folder;
    const std::string input = folder.write("in.dxf", dxf(filter_test::line(0, 0, 1, 0)));
    // The first free name of the temporary folder is a link to a file that does not
    // exist yet: the run must not create, write or truncate anything through it.
    const std::string target = folder.path("made-through-link.txt");
    char name[512];
    ASSERT_GT(TempFileName(nullptr, name, sizeof name), 0);
    ASSERT_EQ(symlink(target.c_str(), name), 0);
    const std::string output = folder.path("out.dxf");
    const double twice = 2.0;
    Tags tags;
    tags.add(DXFF_Scale, &twice);
    EXPECT_EQ(FilterDXF(input.c_str(), output.c_str(), tags.get()), 0);
    EXPECT_FALSE(test_support::exists(target));
    EXPECT_EQ(folder.temporary_files().size(), 1u); // only the link
    ReadBack result(output);
    ASSERT_EQ(result.items_of(DXFItemLine).size(), 1u);
}

}

namespace {

TEST(FilterDriver, AllocationFailuresEndCleanly)
{
    FilterFolder folder;
    const std::string input =
        folder.write("in.dxf", dxf(filter_test::line(0, 0, 1, 0) + filter_test::line(0, 0, 1, 0) +
                                       filter_test::insert("AB", 1, 1) + filter_test::point(3, 3),
                                   filter_test::block("AB", filter_test::point(0, 0))));
    const std::string output = folder.path("out.dxf");
    const DXFDeleteRule rule{DXFItemPoint, "x1 > 2.0 & inside_material = 0"};
    const DXFModifyRule modify{DXFItemLine, "1", "layer = \"moved\""};
    const char* from = "A";
    const char* to = "_";
    Tags tags;
    tags.add(DXFF_Delete, &rule)
        .add(DXFF_Modify, &modify)
        .add(DXFF_NameCharsFrom, from)
        .add(DXFF_NameCharsTo, to)
        .add(DXFF_RemoveDuplicates, 1);
    const TagItem* list = tags.get();
    uint32_t live = 0;
    uint32_t before = 0;
    uint32_t after = 0;
    osmark_testing_allocation_counts(&live, &before);
    ASSERT_EQ(FilterDXF(input.c_str(), output.c_str(), list), 0);
    osmark_testing_allocation_counts(&live, &after);
    const uint32_t total = after - before;
    // Osmark's allocations of the run fail once each, in turn (spread over the run when
    // it makes many), until one past the last.
    const uint32_t step = total / 400 + 1;
    bool reached_the_end = false;
    for (uint32_t successes = 0; successes <= 2 * total + step && !reached_the_end;
         successes += step) {
        SCOPED_TRACE(successes);
        osmark_testing_fail_allocations(successes, 1);
        const int32_t result = FilterDXF(input.c_str(), output.c_str(), list);
        // A failure still pending means the run needed fewer allocations.
        for (uint32_t probe = 0; probe <= successes && !reached_the_end; ++probe)
            reached_the_end = osmark_testing_allocation_fails() != 0;
        osmark_testing_fail_allocations(0, 0);
        EXPECT_LE(result, 0);
        EXPECT_TRUE(folder.temporary_files().empty());
    }
    EXPECT_TRUE(reached_the_end);
}

}
