#include "osmark/geometry_file.h"

#include "geometry_test_support.h"
#include "osmark/files.h"
#include "osmark/lines_arcs.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace geometry_test;

namespace {

struct ListDeleter {
    void operator()(Profiles* list) const noexcept { ProfilesDelete(list); }
};
using ListOwner = std::unique_ptr<Profiles, ListDeleter>;

struct DrawingDeleter {
    void operator()(ProfileDrawing* drawing) const noexcept { ProfileDrawingDelete(drawing); }
};
using DrawingOwner = std::unique_ptr<ProfileDrawing, DrawingDeleter>;

const char* const kHalfDisc = "$VER: Geometry Data File V1.00\r\n"
                              "Begin Drawing\r\n"
                              "  Begin Profiles\r\n"
                              "    Begin Profile\r\n"
                              "      ID 1\r\n"
                              "      Begin Line\r\n"
                              "        X1 -1\r\n"
                              "        Y1 0\r\n"
                              "        X2 1\r\n"
                              "        Y2 0\r\n"
                              "      End Line\r\n"
                              "      Begin Arc\r\n"
                              "        X1 0\r\n"
                              "        Y1 0\r\n"
                              "        Radius 1\r\n"
                              "        XStart 1\r\n"
                              "        YStart 0\r\n"
                              "        XEnd -1\r\n"
                              "        YEnd 0\r\n"
                              "      End Arc\r\n"
                              "    End Profile\r\n"
                              "  End Profiles\r\n"
                              "End Drawing\r\n";

// A drawing of one list of the given profiles.
DrawingOwner drawing_of(std::initializer_list<Profile*> profiles)
{
    DrawingOwner drawing(ProfileDrawingCreate());
    EXPECT_NE(drawing, nullptr);
    ListOwner list(ProfilesCreate());
    for (Profile* profile : profiles)
        EXPECT_EQ(ProfilesInsert(list.get(), -1, profile), 1);
    EXPECT_EQ(ProfileDrawingInsertProfiles(drawing.get(), -1, list.release()), 1);
    return drawing;
}

class GeometryFile : public ::testing::Test {
protected:
    std::string write(const ProfileDrawing* drawing)
    {
        FileHandle* fh = Open(m_file.c_str(), FileModeWrite);
        EXPECT_NE(fh, nullptr);
        EXPECT_EQ(ProfileDrawingWrite(fh, drawing), 0);
        EXPECT_EQ(Close(fh), 1);
        return m_file.text();
    }

    // The file's text read into a new drawing; the result of the read goes to result.
    DrawingOwner read(const std::string& text, int32_t* result = nullptr)
    {
        const test_support::TempFile file("read.gdf", text);
        DrawingOwner drawing(ProfileDrawingCreate());
        FileHandle* fh = Open(file.c_str(), FileModeRead);
        EXPECT_NE(fh, nullptr);
        const int32_t read_result = ProfileDrawingRead(fh, drawing.get());
        Close(fh);
        if (result != nullptr)
            *result = read_result;
        else
            EXPECT_EQ(read_result, 0);
        return drawing;
    }

    static const Profile* only_profile(const ProfileDrawing* drawing)
    {
        EXPECT_EQ(ProfileDrawingGetProfilesCount(drawing), 1u);
        const Profiles* list = ProfileDrawingGetProfiles(drawing, 0);
        EXPECT_EQ(ProfilesCount(list), 1u);
        return ProfilesProfile(list, 0);
    }

    test_support::TempFile m_file{"drawing.gdf"};
};

TEST_F(GeometryFile, TheHalfDiscByteForByteAndBack)
{
    ProfileOwner half = new_profile();
    half->id = 1;
    ProfileAddLine(half.get(), -1, 0, 1, 0, 5);
    ProfileAddArc(half.get(), 0, 0, 1, 0, kPi, 1, 6);
    ProfileOwner expected(ProfileCopy(half.get()));
    DrawingOwner drawing = drawing_of({half.release()});
    const std::string text = write(drawing.get());
    EXPECT_EQ(text, kHalfDisc);

    DrawingOwner back = read(text);
    const Profile* profile = only_profile(back.get());
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(ProfileID(profile), 1);
    EXPECT_EQ(profile->accuracy, 1e-6);
    EXPECT_EQ(ProfileCmp(profile, expected.get()), 1);
    for (uint32_t i = 0; i < 2; ++i)
        EXPECT_EQ(ProfileEntity(profile, i)->user, 0u);
    EXPECT_EQ(ProfileDrawingGetArrayCount(back.get()), 0u);
}

TEST_F(GeometryFile, WhatTheWriterLeavesOutAndTurns)
{
    DrawingOwner empty(ProfileDrawingCreate());
    EXPECT_EQ(write(empty.get()),
              "$VER: Geometry Data File V1.00\r\nBegin Drawing\r\nEnd Drawing\r\n");

    ProfileOwner coarse = square(0, 0, 1);
    coarse->accuracy = 1e-4;
    coarse->id = 12;
    coarse->parent_id = 3;
    ProfileOwner fine = new_profile();
    // A clockwise arc from pi to 0 is stored from its end to its start.
    ProfileAddArc(fine.get(), 0, 0, 1, kPi, 0, -1, 0);
    ProfileAddArc(fine.get(), 10.5, 0, 1e-5, 0, 2 * kPi, 1, 0);
    DrawingOwner drawing = drawing_of({coarse.release(), fine.release()});
    const std::string text = write(drawing.get());
    EXPECT_NE(text.find("      ID 12\r\n      Accuracy 0.0001\r\n      Begin Line\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("Accuracy", text.find("ID 0")), std::string::npos);
    EXPECT_NE(text.find("XStart 1\r\n        YStart 0\r\n        XEnd -1\r\n        YEnd 0\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("X1 10.5\r\n        Y1 0\r\n        Radius 0.00001\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("Parent"), std::string::npos);

    DrawingOwner back = read(text);
    const Profiles* list = ProfileDrawingGetProfiles(back.get(), 0);
    ASSERT_EQ(ProfilesCount(list), 2u);
    const Profile* first = ProfilesProfile(list, 0);
    EXPECT_EQ(first->accuracy, 1e-4);
    EXPECT_EQ(ProfileParentID(first), 0);
    const Profile* second = ProfilesProfile(list, 1);
    ASSERT_EQ(ProfileEntityCount(second), 2u);
    const ProfileEntityRec& turned = *ProfileEntity(second, 0);
    EXPECT_EQ(turned.direction, 1);
    EXPECT_NEAR(turned.d4, 0, 1e-12);
    EXPECT_NEAR(turned.d5, kPi, 1e-12);
    // A full circle comes back from angle 0 to angle 0: a whole turn.
    const ProfileEntityRec& full = *ProfileEntity(second, 1);
    EXPECT_EQ(full.d4, full.d5);
    EXPECT_NEAR(ArcAngle(full.d4, full.d5, full.direction), 2 * kPi, 1e-12);
}

TEST_F(GeometryFile, FilesOfOtherWriters)
{
    // Line feeds only, tabs, "key=value", a section of another name with sections in
    // it, a missing radius, a line of no key, an unknown section at the top.
    DrawingOwner drawing =
        read("$VER: Geometry Data File V1.00\n"
             "Begin Notes\n Begin Drawing\n End Drawing\nEnd Notes\n"
             "Begin Drawing\n"
             "\tBegin Profiles\n"
             "\t\tBegin Profile\n"
             "\t\t\tID=4\n"
             "\t\t\tBegin Hole\n\t\t\t\tBegin Line\n\t\t\t\tX1 9\n\t\t\t\tEnd Line\n"
             "\t\t\tEnd Hole\n"
             "\t\t\tBegin Line\n\t\t\t\tX1=2.5\n\t\t\t\tY2 = 3\n\t\t\t\tZ 7\n"
             "\t\t\t\tX2 x\n\t\t\tEnd Line\n"
             "\t\t\tBegin Arc\n\t\t\t\tX1 1\n\t\t\t\tY1 1\n\t\t\t\tXStart 1\n"
             "\t\t\t\tYStart 3\n\t\t\t\tXEnd -1\n\t\t\t\tYEnd 1\n\t\t\tEnd Arc\n"
             "\t\tEnd Profile\n"
             "\tEnd Profiles\n"
             "End Drawing\n");
    const Profile* profile = only_profile(drawing.get());
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(ProfileID(profile), 4);
    ASSERT_EQ(ProfileEntityCount(profile), 2u);
    const ProfileEntityRec& line = *ProfileEntity(profile, 0);
    EXPECT_TRUE(near_point(start_of(line), P(2.5, 0), 0.0));
    EXPECT_TRUE(near_point(end_of(line), P(0, 3), 0.0));
    const ProfileEntityRec& arc = *ProfileEntity(profile, 1);
    EXPECT_EQ(arc.d3, 2.0); // from the start point
    EXPECT_NEAR(arc.d4, kPi / 2, 1e-12);
    EXPECT_NEAR(arc.d5, kPi, 1e-12);
}

TEST_F(GeometryFile, EmptyShortAndRefusedFiles)
{
    for (const char* text : {"", "$VER: Geometry Data File V1.00\r\n", "Begin Drawing\r\n"}) {
        SCOPED_TRACE(text);
        DrawingOwner drawing = read(text);
        EXPECT_EQ(ProfileDrawingGetProfilesCount(drawing.get()), 0u);
    }
    // Open sections end at the end of the file, keeping what was read.
    DrawingOwner cut =
        read("Begin Drawing\nBegin Profiles\nBegin Profile\nID 2\nBegin Line\nX2 1\n");
    const Profile* profile = only_profile(cut.get());
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(ProfileEntityCount(profile), 1u);

    // Osmark makes no profile arrays: a file with one cannot be read, and what came
    // before it stays.
    int32_t result = 0;
    DrawingOwner with_array =
        read("Begin Drawing\nBegin Profiles\nBegin Profile\nEnd Profile\n"
             "End Profiles\nBegin Array\nEnd Array\nBegin Profiles\nEnd Profiles\n"
             "End Drawing\n",
             &result);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(ProfileDrawingGetProfilesCount(with_array.get()), 1u);

    DrawingOwner drawing(ProfileDrawingCreate());
    FileHandle* fh = Open("NIL:", FileModeWrite);
    EXPECT_EQ(ProfileDrawingWrite(nullptr, drawing.get()), -4);
    EXPECT_EQ(ProfileDrawingWrite(fh, nullptr), -4);
    EXPECT_EQ(ProfileDrawingRead(nullptr, drawing.get()), -4);
    EXPECT_EQ(ProfileDrawingRead(fh, nullptr), -4);
    Close(fh);
}

int32_t failing_write(uintptr_t, const void*, int32_t, int32_t* done)
{
    *done = 0;
    return 0;
}

TEST_F(GeometryFile, AFailedWriteIsReported)
{
    FileHandle fh{};
    fh.fh_Flags = FileFlagWrite | FileFlagLineBuffered;
    fh.fh_Write = failing_write;
    DrawingOwner drawing = drawing_of({square(0, 0, 1).release()});
    EXPECT_EQ(ProfileDrawingWrite(&fh, drawing.get()), -24);
    Close(&fh);
}

}
