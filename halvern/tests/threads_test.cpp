// Reading and drawing on two threads at once. Each thread reads a drawing of its own (one
// ASCII, one binary, each with a chain of external references in its own folder),
// measures it, draws it into a memory device context of its own against a background of
// its own, picks in it and writes it back. What each thread gets must be what the same
// steps give one after the other: nothing of one read or render may reach the other.
//
// scripts/tsan_test.sh runs these tests under ThreadSanitizer as well.
#include <gtest/gtest.h>

#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "../../platform/tests/memory_surface.h"
#include "dxf/dxf_group_reader.h"
#include "dxf_test_support.h"
#include "halvern/halvern.h"
#include "osmark/memory.h"
#include "test_support/files.h"
#include "test_support/temp_folder.h"

namespace {

using dxf_test::Group;
using test_support::read_file;

constexpr int kWidth = 160;
constexpr int kHeight = 120;

void append(std::vector<Group>& groups, std::initializer_list<Group> more)
{
    groups.insert(groups.end(), more);
}

std::string number(double value)
{
    return std::to_string(value);
}

// ---------------------------------------------------------------------------------------
// The drawings

// What tells the two drawings apart: where their items lie and how many there are.
struct Variant {
    const char* folder;
    double origin;
    int entities;
    int binary_width; // 0 for ASCII
};

std::string encode(const Variant& variant, const std::vector<Group>& groups)
{
    return variant.binary_width == 0 ? dxf_test::ascii(groups)
                                     : dxf_test::binary(groups, variant.binary_width);
}

// A block with a path marks an external reference (group 70 bit 2).
void append_external_block(std::vector<Group>& groups, const char* name, const char* path)
{
    append(groups,
           {{0, "BLOCK"}, {2, name}, {70, "4"}, {10, "0"}, {20, "0"}, {1, path}, {0, "ENDBLK"}});
}

// The innermost file, found from parts/part.dxf as "../leaf.dxf".
std::string leaf_file(const Variant& variant)
{
    const double o = variant.origin;
    return encode(variant, {{0, "SECTION"},
                            {2, "ENTITIES"},
                            {0, "POINT"},
                            {10, number(o + 7.25)},
                            {20, "3.5"},
                            {0, "LINE"},
                            {10, number(o)},
                            {20, "1"},
                            {11, number(o + 30)},
                            {21, "9"},
                            {0, "ENDSEC"},
                            {0, "EOF"}});
}

// parts/part.dxf, found from the host as "parts/part.dxf".
std::string part_file(const Variant& variant)
{
    const double o = variant.origin;
    std::vector<Group> groups = {{0, "SECTION"}, {2, "BLOCKS"}};
    append_external_block(groups, "LEAF", "../leaf.dxf");
    append(groups, {{0, "ENDSEC"},
                    {0, "SECTION"},
                    {2, "ENTITIES"},
                    {0, "CIRCLE"},
                    {8, "PARTS"},
                    {10, number(o + 12)},
                    {20, "12"},
                    {40, "4"},
                    {0, "INSERT"},
                    {2, "LEAF"},
                    {10, "0"},
                    {20, "40"},
                    {0, "ENDSEC"},
                    {0, "EOF"}});
    return encode(variant, groups);
}

std::string host_file(const Variant& variant)
{
    const double o = variant.origin;
    std::vector<Group> groups = {
        {0, "SECTION"},
        {2, "TABLES"},
        {0, "TABLE"},
        {2, "LTYPE"},
        {0, "LTYPE"},
        {2, "DASHED"},
        {3, "dashed"},
        {73, "2"},
        {49, "0.5"},
        {49, "-0.25"},
        {0, "ENDTAB"},
        {0, "TABLE"},
        {2, "LAYER"},
        {0, "LAYER"},
        {2, "WALLS"},
        {62, "3"},
        {6, "DASHED"},
        // Colour 7 is drawn in whichever of black and white stands out from the background.
        {0, "LAYER"},
        {2, "NOTES"},
        {62, "7"},
        {0, "LAYER"},
        {2, "HIDDEN"},
        {62, "-5"},
        {0, "ENDTAB"},
        {0, "ENDSEC"},
        {0, "SECTION"},
        {2, "BLOCKS"},
        {0, "BLOCK"},
        {2, "DOOR"},
        {70, "0"},
        {10, "0"},
        {20, "0"},
        {0, "LINE"},
        {8, "WALLS"},
        {10, "0"},
        {20, "0"},
        {11, "4"},
        {21, "0"},
        {0, "ARC"},
        {10, "0"},
        {20, "0"},
        {40, "4"},
        {50, "0"},
        {51, "90"},
        {0, "ENDBLK"},
    };
    append_external_block(groups, "PART", "parts/part.dxf");
    append(groups, {{0, "ENDSEC"},
                    {0, "SECTION"},
                    {2, "ENTITIES"},
                    {0, "INSERT"},
                    {2, "PART"},
                    {10, "0"},
                    {20, "-20"},
                    {0, "LINE"},
                    {8, "HIDDEN"},
                    {10, "0"},
                    {20, "0"},
                    {11, "100"},
                    {21, "100"}});
    for (int i = 0; i < variant.entities; ++i) {
        const std::string x = number(o + (i % 20) * 10.0);
        const std::string y = number((i / 20) * 10.0);
        const std::string x2 = number(o + (i % 20) * 10.0 + 6.0);
        const std::string y2 = number((i / 20) * 10.0 + (i % 5));
        switch (i % 7) {
        case 0:
            append(groups, {{0, "LINE"}, {8, "WALLS"}, {10, x}, {20, y}, {11, x2}, {21, y2}});
            break;
        case 1:
            append(groups, {{0, "CIRCLE"},
                            {62, std::to_string(i % 255 + 1)},
                            {10, x},
                            {20, y},
                            {40, number(1.0 + i % 4)}});
            break;
        case 2:
            append(groups, {{0, "ARC"},
                            {8, "NOTES"},
                            {10, x},
                            {20, y},
                            {40, "3"},
                            {50, std::to_string(i % 360)},
                            {51, std::to_string((i * 7) % 360)}});
            break;
        case 3:
            append(groups, {{0, "LWPOLYLINE"},
                            {90, "4"},
                            {70, "1"},
                            {10, x},
                            {20, y},
                            {42, "0.4"},
                            {10, x2},
                            {20, y},
                            {10, x2},
                            {20, y2},
                            {10, x},
                            {20, y2}});
            break;
        case 4:
            append(groups,
                   {{0, "INSERT"}, {2, "DOOR"}, {10, x}, {20, y}, {50, std::to_string(i % 90)}});
            break;
        case 5:
            if (i % 35 == 5)
                append(groups, {{0, "TEXT"},
                                {8, "NOTES"},
                                {10, x},
                                {20, y},
                                {40, "4"},
                                {1, "T" + std::to_string(i)}});
            else
                append(groups, {{0, "POINT"}, {8, "NOTES"}, {10, x}, {20, y}});
            break;
        default:
            append(groups, {{0, "POINT"}, {10, x2}, {20, y2}});
            break;
        }
    }
    append(groups, {{0, "ENDSEC"}, {0, "EOF"}});
    return encode(variant, groups);
}

// ---------------------------------------------------------------------------------------
// One thread's work on one drawing

struct Scene {
    std::string host;
    std::string output; // where the drawing is written back
    uint32_t background;
    bool filled;
};

struct Outcome {
    int32_t read_result = 0;
    int32_t lines = 0; // the thread's line counter after the read
    std::vector<std::string> items;
    double extents[4] = {};
    std::vector<uint32_t> pixels;
    std::vector<int32_t> picked;
    std::string written;
};

std::string describe(const ItemRec& item)
{
    const ItemHeaderRec& head = item.it_Header;
    return std::to_string(head.ih_ItemType) + " layer " + std::to_string(head.ih_Layer) +
           " colour " + std::to_string(head.ih_Colour) + " type " +
           std::to_string(head.ih_LineType) + " line " + std::to_string(head.ih_Line) + " id " +
           std::to_string(head.ih_ID);
}

constexpr uint32_t pixel_of(uint32_t colour)
{
    return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

Outcome run_scene(const Scene& scene)
{
    Outcome outcome;
    DXFDrawingRec drawing;
    NewDXFDrawing(&drawing);
    outcome.read_result = ReadDXFNoWarnings(scene.host.c_str(), &drawing);
    outcome.lines = halvern::DXFLineCounter;
    for (const ItemBufferRec* buffer : {&drawing.dxf_BlockItemBuffer, &drawing.dxf_ItemBuffer}) {
        for (int32_t i = 0; i < buffer->ib_N; ++i)
            outcome.items.push_back(describe(*buffer->ib_Items[i]));
    }

    CalcDXFDrawingSize(&drawing);
    const Rectangle2DRec& size = drawing.dxf_DrwgSize;
    outcome.extents[0] = size.min.x;
    outcome.extents[1] = size.min.y;
    outcome.extents[2] = size.max.x;
    outcome.extents[3] = size.max.y;

    gdi_test::MemorySurface surface(kWidth, kHeight);
    surface.fill(pixel_of(scene.background));
    SetDXFBackgroundColour(scene.background);
    RectangleRec view{0, 0, kWidth, kHeight};
    if (scene.filled)
        ShowDXFDrawingFilled(surface.dc(), &drawing, &view);
    else
        ShowDXFDrawing(surface.dc(), &drawing, &view);
    outcome.pixels = surface.snapshot();

    PickDXF(surface.dc(), &drawing, kWidth / 2, kHeight / 2, 30, 30);
    for (int32_t i = 0; i < drawing.dxf_ItemBuffer.ib_N; ++i) {
        if ((drawing.dxf_ItemBuffer.ib_Items[i]->it_Header.ih_Flags & DXFItemPicked) != 0)
            outcome.picked.push_back(i);
    }
    ClearDXFPick(&drawing);

    // Version 2005 numbers every entity with the writer's handle counter.
    if (WriteDXFVersion(scene.output.c_str(), &drawing, 2005) == 0)
        outcome.written = read_file(scene.output);
    FreeDXFDrawing(&drawing);
    return outcome;
}

int different_pixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
    if (a.size() != b.size())
        return -1;
    int count = 0;
    for (size_t i = 0; i < a.size(); ++i)
        count += a[i] != b[i] ? 1 : 0;
    return count;
}

void expect_same(const Outcome& actual, const Outcome& expected)
{
    EXPECT_EQ(actual.read_result, expected.read_result);
    EXPECT_EQ(actual.lines, expected.lines);
    EXPECT_EQ(actual.items, expected.items);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(actual.extents[i], expected.extents[i]) << "extent " << i;
    EXPECT_EQ(different_pixels(actual.pixels, expected.pixels), 0);
    EXPECT_EQ(actual.picked, expected.picked);
    EXPECT_TRUE(actual.written == expected.written) << "the written files differ";
}

class DrawingsOnTwoThreads : public ::testing::Test {
protected:
    DrawingsOnTwoThreads()
    {
        // Far apart, so that items of the wrong drawing would change extents and
        // pixels; one ASCII, one binary with two-byte codes.
        const Variant variants[] = {{"ascii", 0.0, 700, 0}, {"binary", 5000.0, 500, 2}};
        const uint32_t backgrounds[] = {0xFFFFFF, 0x000000};
        for (int i = 0; i < 2; ++i) {
            const Variant& variant = variants[i];
            const std::string folder = variant.folder;
            m_folder.write(folder + "/leaf.dxf", leaf_file(variant));
            m_folder.write(folder + "/parts/part.dxf", part_file(variant));
            const std::string host = m_folder.write(folder + "/host.dxf", host_file(variant));
            m_scenes.push_back(Scene{host, "", backgrounds[i], i == 1});
        }
    }

    // Scene i written to a file of round's own.
    Scene scene(int i, int round) const
    {
        Scene copy = m_scenes[static_cast<size_t>(i)];
        copy.output =
            m_folder.path("out" + std::to_string(i) + "_" + std::to_string(round) + ".dxf");
        return copy;
    }

    test_support::TempFolder m_folder;
    std::vector<Scene> m_scenes;
};

TEST_F(DrawingsOnTwoThreads, GiveWhatTheyGiveOneAfterTheOther)
{
    // One after the other, on this thread.
    const Outcome expected[] = {run_scene(scene(0, 0)), run_scene(scene(1, 0))};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i == 0 ? "ascii" : "binary");
        const Outcome& outcome = expected[i];
        ASSERT_EQ(outcome.read_result, 0);
        // The references were followed to the innermost file, and the scene is not empty.
        EXPECT_NE(outcome.written.find(i == 0 ? "\n7.25\r" : "\n5007.25\r"), std::string::npos);
        EXPECT_GT(outcome.lines, 0);
        EXPECT_FALSE(outcome.picked.empty());
        EXPECT_GT(different_pixels(outcome.pixels,
                                   std::vector<uint32_t>(outcome.pixels.size(),
                                                         pixel_of(m_scenes[i].background))),
                  500);
    }
    EXPECT_NE(expected[0].items, expected[1].items);

    // Both at once, a few rounds each, started together.
    constexpr int kRounds = 3;
    std::vector<Outcome> outcomes[2];
    std::latch start(2);
    std::vector<std::thread> threads;
    for (int i = 0; i < 2; ++i) {
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            for (int round = 1; round <= kRounds; ++round)
                outcomes[i].push_back(run_scene(scene(i, round)));
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int i = 0; i < 2; ++i) {
        for (int round = 0; round < kRounds; ++round) {
            SCOPED_TRACE(std::string(i == 0 ? "ascii" : "binary") + ", round " +
                         std::to_string(round + 1));
            expect_same(outcomes[i][static_cast<size_t>(round)], expected[i]);
        }
    }
}

}
