// Frames: the built-in catalogue drawn on bitmap ports, program choice, fills, options,
// hit tests, palettes and margins; frame files read from a temporary folder.

#include "osmark/bitmaps.h"
#include "osmark/errors.h"
#include "osmark/frames.h"
#include "osmark/raster_ports.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr Colour kWhite = 0xFFFFFF;

struct Canvas {
    BitMap* bitmap;
    RastPort* rp;
    int32_t width;
    int32_t height;
    Canvas(int32_t w, int32_t h) : bitmap(AllocBitMap(w, h, nullptr)), width(w), height(h)
    {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                SetBitMapPixel(bitmap, x, y, kWhite);
        rp = AllocBitMapRastPort(bitmap);
    }
    ~Canvas()
    {
        FreeBitMapRastPort(rp);
        FreeBitMap(bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    std::vector<Colour> pixels()
    {
        FlushRastPort(rp);
        std::vector<Colour> result;
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                result.push_back(GetBitMapPixel(bitmap, x, y));
        return result;
    }
    Colour at(int32_t x, int32_t y)
    {
        FlushRastPort(rp);
        return GetBitMapPixel(bitmap, x, y);
    }
};

const SizeBox kBox{2, 2, 20, 14};

std::vector<Colour> drawn(uint32_t id, uint32_t state, uint32_t options)
{
    Canvas canvas(24, 18);
    EXPECT_EQ(DrawFrameEdge(canvas.rp, &kBox, id, state, options), 1);
    return canvas.pixels();
}

std::vector<Colour> drawn(Frame* frame, uint32_t state, uint32_t options)
{
    Canvas canvas(24, 18);
    EXPECT_EQ(DrawFrame(canvas.rp, &kBox, frame, state, options), 1);
    return canvas.pixels();
}

bool all_white(const std::vector<Colour>& pixels)
{
    for (const Colour c : pixels)
        if (c != kWhite)
            return false;
    return true;
}

}

TEST(Frames, TheBuiltInCatalogue)
{
    const uint32_t ids[] = {0, 7, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    for (const uint32_t id : ids) {
        const Frame* frame = GetFrame(id);
        ASSERT_NE(frame, nullptr) << id;
        EXPECT_EQ(frame->fr_Programs[FRAME_SELECT], nullptr);
        EXPECT_GE(frame->fr_PaletteCount, 20u);
    }
    EXPECT_STREQ(GetFrame(2)->fr_Name, "Button Frame");
    EXPECT_NE(GetFrame(10)->fr_Palette, GetFrame(2)->fr_Palette) << "each frame its own palette";
    int32_t margins[4] = {};
    EXPECT_EQ(FrameBoxMargins(6, margins), 1);
    EXPECT_EQ(std::vector<int32_t>(margins, margins + 4), (std::vector<int32_t>{4, 4, 4, 4}));
    EXPECT_EQ(FrameBoxMargins(999, margins), 0);
    EXPECT_EQ(IoErr(), -12);
    EXPECT_EQ(std::vector<int32_t>(margins, margins + 4), (std::vector<int32_t>{1, 1, 1, 1}));
    EXPECT_EQ(FrameBoxMargins(2, nullptr), 0);
    EXPECT_EQ(IoErr(), -4);
    static std::vector<uint32_t> walked;
    walked.clear();
    EXPECT_EQ(WalkFrames(
                  [](Frame* frame, uint32_t data) {
                      EXPECT_EQ(data, 5u);
                      walked.push_back(frame->fr_ID);
                      return 0;
                  },
                  5),
              0);
    ASSERT_GE(walked.size(), std::size(ids));
    EXPECT_EQ(walked[0], 0u) << "in the order of adding";
    EXPECT_EQ(walked[1], 7u);
    EXPECT_EQ(WalkFrames(nullptr, 0), -1);
    EXPECT_EQ(WalkFrames([](Frame* frame, uint32_t) { return frame->fr_ID == 2 ? 9 : 0; }, 0), 9);
}

TEST(Frames, DrawFrameBoxFillsOnlyWithAColourAndRestoresTheFace)
{
    Canvas plain(24, 18);
    ASSERT_EQ(DrawFrameBox(plain.rp, &kBox, 7, 0, ColourNone), 1);
    EXPECT_EQ(plain.at(12, 9), kWhite) << "edges only";
    EXPECT_NE(plain.at(2, 2), kWhite);
    const Colour face = GetFrame(7)->fr_Palette[4];
    Canvas filled(24, 18);
    ASSERT_EQ(DrawFrameBox(filled.rp, &kBox, 7, 0, 0x0000FF), 1);
    EXPECT_EQ(filled.at(12, 9), 0x0000FFu);
    EXPECT_EQ(GetFrame(7)->fr_Palette[4], face);
    EXPECT_EQ(DrawFrameBox(filled.rp, &kBox, 999, 0, 0), 0);
    EXPECT_EQ(IoErr(), -12);
    EXPECT_EQ(DrawFrameBox(nullptr, &kBox, 7, 0, 0), 0);
    EXPECT_EQ(IoErr(), -4);
}

TEST(Frames, ProgramChoiceFallsBackAsTheStatesSay)
{
    // The Button Frame has no disabled programs: disabled draws the normal ones.
    EXPECT_EQ(drawn(2, FRAMESTATE_DISABLED, 0x100F), drawn(2, 0, 0x100F));
    EXPECT_NE(drawn(2, FRAMESTATE_SELECTED, 0x100F), drawn(2, 0, 0x100F));
    // Disabled and selected on the CheckBox Frame: its DISABLED_SELECTED pair.
    Frame check = *GetFrame(10);
    Frame pair = check;
    pair.fr_Programs[FRAME_NORMAL] = check.fr_Programs[FRAME_DISABLED_SELECTED];
    pair.fr_Programs[FRAME_NORMAL_FILL] = check.fr_Programs[FRAME_DISABLED_SELECTED_FILL];
    const std::vector<Colour> expected = drawn(&pair, 0, 0x100F);
    EXPECT_EQ(drawn(10, FRAMESTATE_SELECTED | FRAMESTATE_DISABLED, 0x100F), expected);
    EXPECT_NE(drawn(10, FRAMESTATE_SELECTED, 0x100F), expected);
}

TEST(Frames, FillAndEdgeOptions)
{
    // The Toolbar Button Frame's normal state is only its fill, which belongs to the left
    // edge.
    EXPECT_TRUE(all_white(drawn(14, 0, FRAMEOPT_FILL)));
    EXPECT_FALSE(all_white(drawn(14, 0, FRAMEOPT_FILL | FRAMEOPT_LEFT)));
    EXPECT_TRUE(all_white(drawn(14, 0, FRAMEOPT_EDGES)));
    EXPECT_FALSE(all_white(drawn(14, FRAMESTATE_INDETERMINATE, FRAMEOPT_EDGES)));
    // Fill without edges, edges without fill.
    const std::vector<Colour> fill = drawn(2, 0, FRAMEOPT_FILL);
    const std::vector<Colour> edges = drawn(2, 0, FRAMEOPT_EDGES);
    EXPECT_EQ(fill[9 * 24 + 12], drawn(2, 0, 0x100F)[9 * 24 + 12]);
    EXPECT_EQ(edges[9 * 24 + 12], kWhite);
    EXPECT_EQ(fill[2 * 24 + 2], kWhite);
    // Only the top edge of the Box Frame: its commands of the other edges are moves.
    const std::vector<Colour> top = drawn(7, 0, FRAMEOPT_TOP);
    EXPECT_NE(top[2 * 24 + 10], kWhite);
    EXPECT_EQ(top[15 * 24 + 10], kWhite);
}

namespace {

int g_draws = 0;

RastPortOps counting_ops()
{
    RastPortOps ops{};
    ops.rpo_Size = sizeof(RastPortOps);
    ops.rpo_Draw = [](RastPort*, int32_t, int32_t) { ++g_draws; };
    return ops;
}

const RastPortOps kCountingOps = counting_ops();
RastPortHandler g_counting = {"counting", 0, nullptr, &kCountingOps};

}

TEST(Frames, TheMaskPassDrawsOnlyItsCommands)
{
    RastPort* rp = AllocRastPort(&g_counting, nullptr, 0);
    // The Button Frame's normal program: four lines in the mask pass, four outside it.
    g_draws = 0;
    DrawFrameEdge(rp, &kBox, 2, 0, FRAMEOPT_EDGES);
    const int all = g_draws;
    g_draws = 0;
    DrawFrameEdge(rp, &kBox, 2, 0, FRAMEOPT_EDGES | FRAMEOPT_MASKPASS);
    EXPECT_EQ(all, 8);
    EXPECT_EQ(g_draws, 4);
    FreeRastPort(rp);
}

TEST(Frames, AnchorsAndPalettes)
{
    Colour colours[3] = {};
    EXPECT_EQ(GetFramePalette(10, 3, 3, colours), 3);
    EXPECT_EQ(colours[1], 0x80000005u);
    EXPECT_EQ(GetFramePalette(10, 19, 5, colours), 1);
    EXPECT_EQ(GetFramePalette(10, 20, 5, colours), 0);
    EXPECT_EQ(GetFramePalette(10, 0, 0, nullptr), 0);
    EXPECT_EQ(GetFramePalette(10, 0, 1, nullptr), -1);
    EXPECT_EQ(IoErr(), -4);
    EXPECT_EQ(SetFramePalette(999, 0, 1, colours), -1);
    EXPECT_EQ(IoErr(), -12);
    const Colour saved = GetFrame(0)->fr_Palette[4];
    const Colour green = 0x00FF00;
    EXPECT_EQ(SetFramePalette(0, 4, 1, &green), 1);
    // The None Frame fills its whole box, to the far edges (an offset of 0 on anchor 3).
    Canvas canvas(24, 18);
    DrawFrameEdge(canvas.rp, &kBox, 0, 0, FRAMEOPT_FILL);
    EXPECT_EQ(canvas.at(2, 2), green);
    EXPECT_EQ(canvas.at(21, 15), green);
    EXPECT_EQ(canvas.at(22, 16), kWhite);
    SetFramePalette(0, 4, 1, &saved);
}

TEST(Frames, PointInFrame)
{
    EXPECT_EQ(PointInFrame(22, 16, &kBox, 2, 0, 0), 1) << "the far edges hit";
    EXPECT_EQ(PointInFrame(2, 2, &kBox, 2, 0, 0), 1);
    EXPECT_EQ(PointInFrame(23, 10, &kBox, 2, 0, 0), 0);
    EXPECT_EQ(PointInFrame(1, 10, &kBox, 2, 0, 0), 0);
    EXPECT_EQ(PointInFrame(5, 5, nullptr, 2, 0, 0), 0);
    EXPECT_EQ(IoErr(), -4);
    EXPECT_EQ(PointInFrame(5, 5, &kBox, 999, 0, 0), 0);
    EXPECT_EQ(IoErr(), -12);
}

// ---- Frame files ---------------------------------------------------------------------

namespace {

class FrameFileTest : public testing::Test {
protected:
    std::string write(const std::string& name, const std::string& text)
    {
        const std::string path = m_folder.path() + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    Frame* load(const std::string& text) { return LoadFrame(write("frame.txt", text).c_str()); }

private:
    test_support::TempFolder m_folder;
};

template <typename T>
T field(const uint8_t* record, size_t at)
{
    T value;
    std::memcpy(&value, record + at, sizeof value);
    return value;
}

// The Box Frame as another program would write it.
std::string box_frame_file()
{
    std::string text =
        "$VER: boxframe 1.0\r\nT7 \"Box Frame\"\r\n#MARGIN\r\n1 1 1 1\r\n#PALETTE\r\n";
    const char* colours[] = {"0x80000014 ; 3-D highlight",
                             "0x80000015",
                             "0x80000016",
                             "0x80000010",
                             "0x8000000F",
                             "0x8000000F",
                             "0x80000012",
                             "0x8000000F",
                             "0x8000000F",
                             "0x80000012",
                             "0x8000000F",
                             "0x8000000F",
                             "0x80000012",
                             "0x8000000F",
                             "0x8000000F",
                             "0x80000012",
                             "0",
                             "0",
                             "0",
                             "0"};
    for (const char* colour : colours)
        text += std::string(colour) + "\r\n";
    text += "#NORMAL\r\nAP 1\r\nM 2 1 0 0 1\r\nPD\r\nM 2 2 -1 0 1\r\nM 3 3 -1 -1 1\r\n"
            "M 4 4 0 -1 1\r\nM 1 1 0 0 1\r\n#NORMAL_FILL\r\nAP 4\r\nBP 4\r\nPD\r\n"
            "R 0 1 1 1 3 -1 -1 3\r\n#END\r\n";
    return text;
}

void free_unadded(Frame* frame)
{
    if (frame == nullptr)
        return;
    // Added and removed again, a loaded frame is freed with all it owns.
    const uint32_t id = 0xABCDEF01u;
    frame->fr_ID = id;
    Frame* previous = GetFrame(id);
    ASSERT_EQ(previous, nullptr);
    ASSERT_EQ(AddFrame(frame), 1);
    ASSERT_EQ(RemoveFrame(id), 1);
}

}

TEST_F(FrameFileTest, TheBoxFrameFileDrawsTheBuiltInsPixels)
{
    Frame* frame = load(box_frame_file());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->fr_ID, 7u);
    EXPECT_STREQ(frame->fr_Name, "Box Frame");
    EXPECT_EQ(frame->fr_Flags, FRAMEF_LOADED);
    EXPECT_EQ(frame->fr_PaletteCount, 20u);
    EXPECT_EQ(std::vector<int32_t>(frame->fr_Margins, frame->fr_Margins + 4),
              (std::vector<int32_t>{1, 1, 1, 1}));
    for (const uint32_t options : {0x100Fu, 0x000Fu, 0x1000u, 0x0005u})
        EXPECT_EQ(drawn(frame, 0, options), drawn(7, 0, options)) << options;
    free_unadded(frame);
}

TEST_F(FrameFileTest, VersionsHeadersAndSections)
{
    SetIoErr(static_cast<IoErrCode>(0));
    EXPECT_EQ(load("$VER: x 2.0\nT1 a\n"), nullptr);
    EXPECT_EQ(IoErr(), -25);
    EXPECT_EQ(load("no version\nT1 a\n"), nullptr);
    EXPECT_EQ(IoErr(), -25);
    EXPECT_EQ(load("$VER: x 1.7\n; only a comment\n\n"), nullptr) << "no 'T' line";
    EXPECT_EQ(IoErr(), -25);
    EXPECT_EQ(load(""), nullptr);

    Frame* bare = load("$VER: x 1.7\n  T0x10   a bare name  \n#NORMAL\n#NORMAL\nPD\n#SELECTED\n");
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->fr_ID, 16u);
    EXPECT_STREQ(bare->fr_Name, "a bare name");
    ASSERT_NE(bare->fr_Programs[FRAME_NORMAL], nullptr);
    EXPECT_EQ(bare->fr_Programs[FRAME_NORMAL][0], 0) << "the first NORMAL, empty, stays";
    ASSERT_NE(bare->fr_Programs[FRAME_SELECTED], nullptr) << "an empty section is a program";
    EXPECT_EQ(bare->fr_Programs[FRAME_SELECTED][0], 0);
    EXPECT_EQ(bare->fr_Programs[FRAME_DISABLED], nullptr);
    EXPECT_EQ(bare->fr_Palette, nullptr);
    free_unadded(bare);

    Frame* quoted = load("$VER: x 1.0\nT 3 \"say \"hi\" there\" ; comment\n");
    ASSERT_NE(quoted, nullptr);
    EXPECT_STREQ(quoted->fr_Name, "say \"hi\" there");
    free_unadded(quoted);
    // A single double quote: the rest of the line, never a negative length.
    Frame* single = load("$VER: x 1.0\nT 3 \"open name\n");
    ASSERT_NE(single, nullptr);
    EXPECT_STREQ(single->fr_Name, "open name");
    free_unadded(single);
}

TEST_F(FrameFileTest, PalettesKeepAtMost256Entries)
{
    std::string text = "$VER: x 1.0\nT1 p\n#PALETTE\n";
    for (int i = 0; i < 300; ++i)
        text += std::to_string(i) + "\n";
    text += "#PALETTE\n0xFF\n";
    Frame* frame = load(text);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->fr_PaletteCount, 256u);
    EXPECT_EQ(frame->fr_Palette[255], 255u);
    free_unadded(frame);
}

TEST_F(FrameFileTest, CommandsCompileIntoTheirRecords)
{
    Frame* frame = load("$VER: x 1.0\nT1 c\n#NORMAL\nRR 0 1 1 1 3 -1 -1 2 2 3\nA 9 10 1 2 0 3 4 "
                        "4500 -9000 2\nP 1 1 0 0 3 0 0 1 2 50 0x64 10 0b11\nXX 1 2\nPW 3\n");
    ASSERT_NE(frame, nullptr);
    const uint8_t* record = frame->fr_Programs[FRAME_NORMAL];
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(field<uint16_t>(record, 0), 40);
    EXPECT_EQ(record[4], 12);
    EXPECT_EQ(field<uint16_t>(record, 2), 0xC030) << "both flags, anchor 1, no edge";
    EXPECT_EQ(field<uint16_t>(record, 20), 0x90);
    EXPECT_EQ(field<int32_t>(record, 24), -1);
    EXPECT_EQ(field<int32_t>(record, 32), 2);
    EXPECT_EQ(field<int32_t>(record, 36), 2);
    record += 40;
    EXPECT_EQ(record[4], 5);
    EXPECT_EQ(field<uint16_t>(record, 2), 0x8030 | 0x01) << "edge 9 and anchor 10 count as 1";
    EXPECT_EQ(field<uint16_t>(record, 20), 0x00) << "anchor 0: the centre";
    EXPECT_EQ(field<int32_t>(record, 36), -9000);
    record += 40;
    EXPECT_EQ(field<uint16_t>(record, 0), 35 + 4);
    EXPECT_EQ(record[4], 11);
    EXPECT_EQ(record[32], 2);
    EXPECT_EQ(std::vector<uint8_t>(record + 33, record + 37),
              (std::vector<uint8_t>{50, 100, 10, 3}));
    record += 39;
    EXPECT_EQ(record[4], 16) << "an unknown command is skipped";
    EXPECT_EQ(field<uint16_t>(record, 10), 3);
    record += 12;
    EXPECT_EQ(record[0], 0);
    free_unadded(frame);
}

TEST_F(FrameFileTest, AnAddedFrameHidesTheBuiltInForGood)
{
    Frame* built_in = GetFrame(2);
    ASSERT_NE(built_in, nullptr);
    Frame* frame = load("$VER: x 1.0\nT2 \"Mine\"\n#SELECT\nAP 1\nPD\nR 0 1 0 0 8 0 0 3\n#END\n");
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(AddFrame(frame), 1);
    EXPECT_EQ(GetFrame(2), frame);
    EXPECT_EQ(AddFrame(frame), 0);
    EXPECT_EQ(IoErr(), -10);
    // The SELECT shape: the box's top half only.
    EXPECT_EQ(PointInFrame(5, 4, &kBox, 2, 0, 0), 1);
    EXPECT_EQ(PointInFrame(5, 14, &kBox, 2, 0, 0), 0);
    EXPECT_EQ(RemoveFrame(2), 1);
    EXPECT_EQ(GetFrame(2), nullptr);
    EXPECT_EQ(RemoveFrame(2), 0);
    EXPECT_EQ(IoErr(), -12);
    ASSERT_EQ(AddFrame(built_in), 1); // back for the other tests
    EXPECT_EQ(AddFrame(nullptr), 0);
    EXPECT_EQ(IoErr(), -4);
}
