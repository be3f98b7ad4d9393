// Vector characters: the conversion of platform outlines (synthetic native data, so the
// numbers are exact), the byte budget, real glyphs and their drawing through a
// recording handler.

#include "gui/graphics/fonts_internal.h"
#include "osmark/fonts.h"
#include "osmark/raster_ports.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

// GGO_NATIVE data built by hand, in whole units.
class NativeData {
public:
    void polygon(int x, int y)
    {
        m_polygon = m_bytes.size();
        TTPOLYGONHEADER header{};
        header.dwType = TT_POLYGON_TYPE;
        header.pfxStart = point(x, y);
        append(&header, sizeof header);
        patch();
    }
    void record(WORD kind, std::initializer_list<std::pair<int, int>> points)
    {
        const WORD head[2] = {kind, static_cast<WORD>(points.size())};
        append(head, sizeof head);
        for (const auto& [x, y] : points) {
            const POINTFX p = point(x, y);
            append(&p, sizeof p);
        }
        patch();
    }
    const std::vector<uint8_t>& bytes() const { return m_bytes; }

private:
    static POINTFX point(int x, int y)
    {
        return POINTFX{FIXED{0, static_cast<SHORT>(x)}, FIXED{0, static_cast<SHORT>(y)}};
    }
    void append(const void* data, size_t size)
    {
        const auto* b = static_cast<const uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), b, b + size);
    }
    void patch()
    {
        const auto cb = static_cast<DWORD>(m_bytes.size() - m_polygon);
        std::memcpy(m_bytes.data() + m_polygon, &cb, sizeof cb);
    }
    std::vector<uint8_t> m_bytes;
    size_t m_polygon = 0;
};

struct Record {
    uint16_t kind;
    std::vector<float> xy;
};

struct Contour {
    uint32_t size;
    float start_x;
    float start_y;
    std::vector<Record> records;
};

template <typename T>
T read(const std::vector<uint8_t>& bytes, size_t at)
{
    T value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

std::vector<Contour> contours_of(const std::vector<uint8_t>& bytes)
{
    std::vector<Contour> contours;
    const auto count = read<uint32_t>(bytes, 8);
    size_t at = 12;
    for (uint32_t c = 0; c < count; ++c) {
        Contour contour{
            read<uint32_t>(bytes, at), read<float>(bytes, at + 8), read<float>(bytes, at + 12), {}};
        size_t r = at + 16;
        while (r < at + contour.size) {
            Record record{read<uint16_t>(bytes, r), {}};
            const auto n = read<uint16_t>(bytes, r + 2);
            for (uint16_t i = 0; i < 2 * n; ++i)
                record.xy.push_back(read<float>(bytes, r + 4 + 4u * i));
            contour.records.push_back(record);
            r += 4 + 8u * n;
        }
        EXPECT_EQ(r, at + contour.size);
        contours.push_back(contour);
        at += contour.size;
    }
    EXPECT_EQ(at, bytes.size());
    return contours;
}

std::vector<uint8_t> converted(const NativeData& native, float scale = 1.0f, float shift = 0.0f)
{
    const osmark::graphics::NativeGlyph glyph{native.bytes().data(),
                                              static_cast<uint32_t>(native.bytes().size()), 10, 0};
    const uint32_t size =
        osmark::graphics::write_character_outline(glyph, scale, shift, nullptr, 0);
    std::vector<uint8_t> bytes(size);
    EXPECT_EQ(osmark::graphics::write_character_outline(glyph, scale, shift, bytes.data(), size),
              size);
    return bytes;
}

}

TEST(CharacterOutline, AQuadraticOfThreePointsBecomesTwoCubicSegments)
{
    NativeData native;
    native.polygon(0, 0);
    native.record(TT_PRIM_QSPLINE, {{0, 30}, {30, 30}, {30, 0}});
    const std::vector<Contour> contours = contours_of(converted(native));
    ASSERT_EQ(contours.size(), 1u);
    ASSERT_EQ(contours[0].records.size(), 2u) << "the curves, then the closing line";
    const Record& curves = contours[0].records[0];
    EXPECT_EQ(curves.kind, 2);
    // To the midpoint (15, 30) of q0 and q1 from (0, 0) with control q0, then to q2.
    const std::vector<float> expected = {0, 20, 5, 30, 15, 30, 25, 30, 30, 20, 30, 0};
    ASSERT_EQ(curves.xy.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(curves.xy[i], expected[i], 1e-4) << i;
    const Record& closing = contours[0].records[1];
    EXPECT_EQ(closing.kind, 1);
    EXPECT_EQ(closing.xy, (std::vector<float>{0, 0}));
}

TEST(CharacterOutline, ContoursEndAtTheirStartAndScaleAndShiftApply)
{
    NativeData native;
    native.polygon(2, 2);
    native.record(TT_PRIM_LINE, {{8, 2}, {8, 8}});
    native.polygon(4, 4);
    native.record(TT_PRIM_LINE, {{6, 4}, {4, 4}}); // closed already
    const std::vector<Contour> contours = contours_of(converted(native, 0.5f, 1.0f));
    ASSERT_EQ(contours.size(), 2u);
    // The open contour's line record grows by its start.
    EXPECT_EQ(contours[0].records.size(), 1u);
    EXPECT_EQ(contours[0].records[0].xy, (std::vector<float>{4, 2, 4, 5, 1, 2}));
    EXPECT_FLOAT_EQ(contours[0].start_x, 1);
    EXPECT_FLOAT_EQ(contours[0].start_y, 2);
    EXPECT_EQ(contours[1].records[0].xy.size(), 4u) << "a closed contour is left as it is";
}

TEST(CharacterOutline, TheBudgetCutsFieldsAndPatchesOnlyWholeOnes)
{
    NativeData native;
    native.polygon(0, 0);
    native.record(TT_PRIM_LINE, {{5, 0}, {5, 5}, {0, 5}});
    const std::vector<uint8_t> whole = converted(native);
    const osmark::graphics::NativeGlyph glyph{native.bytes().data(),
                                              static_cast<uint32_t>(native.bytes().size()), 10, 0};
    for (uint32_t size : {0u, 7u, 12u, 20u, 31u}) {
        std::vector<uint8_t> part(whole.size() + 8, 0xEE);
        EXPECT_EQ(osmark::graphics::write_character_outline(glyph, 1, 0, part.data(), size),
                  whole.size());
        for (size_t i = size; i < part.size(); ++i)
            EXPECT_EQ(part[i], 0xEE) << "byte " << i << " of a budget of " << size;
        if (size >= 12) {
            EXPECT_EQ(read<uint32_t>(part, 8), 1u) << "the contour count is whole";
            EXPECT_EQ(std::memcmp(part.data(), whole.data(), 8), 0);
        }
    }
}

TEST(CharacterOutline, RealGlyphs)
{
    const TextAttr attr{"Liberation Sans", 20, 0, 0, 0};
    EXPECT_EQ(GetCharacterInformation(&attr, ' ', 0, nullptr), 12u) << "a blank: the header only";
    const uint32_t size = GetCharacterInformation(&attr, 'B', 0, nullptr);
    ASSERT_GT(size, 12u);
    std::vector<uint8_t> bytes(size);
    ASSERT_EQ(GetCharacterInformation(&attr, 'B', size, bytes.data()), size);
    const std::vector<Contour> contours = contours_of(bytes);
    ASSERT_EQ(contours.size(), 3u) << "the outside and two counters of a B";
    for (const Contour& contour : contours) {
        const Record& last = contour.records.back();
        EXPECT_NEAR(last.xy[last.xy.size() - 2], contour.start_x, 1e-6);
        EXPECT_NEAR(last.xy.back(), contour.start_y, 1e-6);
        for (const Record& record : contour.records) {
            for (size_t i = 0; i < record.xy.size(); ++i)
                EXPECT_TRUE(record.xy[i] > -0.5f && record.xy[i] < 1.5f) << "in cell heights";
        }
    }
    EXPECT_GT(read<float>(bytes, 0), 0.2f);
    EXPECT_LT(read<float>(bytes, 0), 1.0f);
}

namespace {

std::vector<std::string> g_calls;

std::string xy(const char* name, int32_t x, int32_t y)
{
    return std::string(name) + "(" + std::to_string(x) + "," + std::to_string(y) + ")";
}

RastPortOps recording_ops()
{
    RastPortOps ops{};
    ops.rpo_Size = sizeof(RastPortOps);
    ops.rpo_Move = [](RastPort*, int32_t x, int32_t y) { g_calls.push_back(xy("move", x, y)); };
    ops.rpo_Draw = [](RastPort*, int32_t x, int32_t y) { g_calls.push_back(xy("draw", x, y)); };
    ops.rpo_Polygon = [](RastPort*, int32_t, int32_t count, const int32_t* points) {
        g_calls.push_back(xy("poly", count, 0) + xy("from", points[0], points[1]) +
                          xy("to", points[2 * count - 2], points[2 * count - 1]));
    };
    return ops;
}

const RastPortOps kOps = recording_ops();
RastPortHandler g_handler = {"recording", 0, nullptr, &kOps};

// A unit square from (0, 0) to (0.5, 0.5) of the cell with an advance of 0.5.
std::vector<uint8_t> square_outline()
{
    NativeData native;
    native.polygon(0, 0);
    native.record(TT_PRIM_LINE, {{1, 0}, {1, 1}, {0, 1}});
    const osmark::graphics::NativeGlyph glyph{native.bytes().data(),
                                              static_cast<uint32_t>(native.bytes().size()), 1, 0};
    std::vector<uint8_t> bytes(
        osmark::graphics::write_character_outline(glyph, 0.5f, 0, nullptr, 0));
    osmark::graphics::write_character_outline(glyph, 0.5f, 0, bytes.data(),
                                              static_cast<uint32_t>(bytes.size()));
    return bytes;
}

}

TEST(DrawCharacter, TurnsAboutThePenAndLeavesItAtTheNextCell)
{
    RastPort* rp = AllocRastPort(&g_handler, nullptr, 0);
    ASSERT_NE(rp, nullptr);
    const std::vector<uint8_t> square = square_outline();
    Move(rp, 100, 100);
    g_calls.clear();
    DrawCharacter(rp, square.data(), 20, 0, 0);
    // y runs upwards from the cell's bottom: the cell's top left is the pen.
    EXPECT_EQ(g_calls,
              (std::vector<std::string>{"move(100,120)", "draw(110,120)", "draw(110,110)",
                                        "draw(100,110)", "draw(100,120)", "move(110,100)"}));
    Move(rp, 100, 100);
    g_calls.clear();
    DrawCharacter(rp, square.data(), 20, 0, 9000);
    // A quarter turn counter-clockwise on the screen about the pen; the pen ends above it.
    EXPECT_EQ(g_calls,
              (std::vector<std::string>{"move(120,100)", "draw(120,90)", "draw(110,90)",
                                        "draw(110,100)", "draw(120,100)", "move(100,90)"}));
    g_calls.clear();
    DrawCharacter(rp, square.data(), 0, 0, 0);
    DrawCharacter(rp, nullptr, 20, 20, 0);
    EXPECT_TRUE(g_calls.empty());
    FreeRastPort(rp);
}

TEST(DrawCharacter, CubicsBecomeOnePolylinePerSegment)
{
    NativeData native;
    native.polygon(0, 0);
    native.record(TT_PRIM_CSPLINE, {{0, 2}, {2, 2}, {2, 0}});
    const osmark::graphics::NativeGlyph glyph{native.bytes().data(),
                                              static_cast<uint32_t>(native.bytes().size()), 2, 0};
    std::vector<uint8_t> bytes(
        osmark::graphics::write_character_outline(glyph, 0.5f, 0, nullptr, 0));
    osmark::graphics::write_character_outline(glyph, 0.5f, 0, bytes.data(),
                                              static_cast<uint32_t>(bytes.size()));
    RastPort* rp = AllocRastPort(&g_handler, nullptr, 0);
    g_calls.clear();
    DrawCharacter(rp, bytes.data(), 40, 0, 0);
    // From (0, 40) by (0, 0) and (40, 0) to (40, 40): the polyline runs from end to end.
    ASSERT_GE(g_calls.size(), 3u);
    EXPECT_EQ(g_calls[1], "move(0,40)");
    EXPECT_EQ(g_calls[2].substr(g_calls[2].find("from")), "from(0,40)to(40,40)");
    FreeRastPort(rp);
}
