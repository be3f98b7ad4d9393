// The DXF filter's vertex-list tools: the writer of a vertex list and its entity forms,
// arc to chords, arc fitting and the removal of needless vertices.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "filter/entity_forms.h"
#include "filter/filter_context.h"
#include "filter/vertex_tools.h"
#include "filter_test_support.h"
#include "halvern/geometry.h"
#include "osmark/files.h"
#include "osmark/paged_array.h"
#include "test_support/files.h"

namespace {

using filter_test::FilterFolder;
using filter_test::group;
using filter_test::ReadBack;

constexpr double kPi = 3.141592653589793;

// A context whose collected entity is a LINE on layer "cut" of colour 3, writing into
// the ENTITIES section of a file that is then read back.
struct Written {
    FilterFolder folder;
    halvern::DXFFilterContext context;
    std::string path;
    std::vector<int32_t> progress;

    Written() : path(folder.path("out.dxf"))
    {
        context.groups = PagedArrayCreate(sizeof(DXFGroupRec), 100);
        for (const auto& [code, value] :
             std::vector<std::pair<int32_t, const char*>>{{0, "LINE"}, {8, "cut"}, {62, "3"}})
            halvern::FilterAppendGroup(context, code, value);
    }
    ~Written()
    {
        halvern::FilterFreeGroups(context.groups, context.pool);
        PagedArrayDelete(context.groups);
        DXFVertexListFree(&context.vertices);
        DXFVertexListFree(&context.chords);
    }

    std::string write(const std::function<void(halvern::DXFFilterContext&)>& body)
    {
        context.fc_Output = Open(path.c_str(), FileModeWrite);
        halvern::FilterWriteGroup(0, "SECTION", context.fc_Output);
        halvern::FilterWriteGroup(2, "ENTITIES", context.fc_Output);
        body(context);
        halvern::FilterWriteGroup(0, "ENDSEC", context.fc_Output);
        halvern::FilterWriteGroup(0, "EOF", context.fc_Output);
        Close(context.fc_Output);
        context.fc_Output = nullptr;
        return test_support::read_file(path);
    }
};

VertexListRec list_of(const std::vector<VertexRec>& vertices)
{
    VertexListRec list{};
    for (const VertexRec& v : vertices)
        DXFVertexListAdd(&list, v.vx_Point.x, v.vx_Point.y, v.vx_Point.z, v.vx_Bulge, 0);
    return list;
}

VertexRec vertex(double x, double y, double bulge = 0.0, double z = 0.0)
{
    return VertexRec{{x, y, z}, bulge, 0};
}

size_t count_of(const std::string& text, const std::string& what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

TEST(FilterVertexTools, TwoClosingHalfCirclesAreOneCircle)
{
    Written out;
    VertexListRec list = list_of({vertex(0, 0, 1), vertex(4, 0, 1), vertex(0, 0)});
    const std::string text = out.write(
        [&](halvern::DXFFilterContext& c) { halvern::FilterWriteVertexList(c, list, false); });
    ReadBack back(out.path);
    ASSERT_EQ(back.result, 0);
    const auto arcs = back.items_of(DXFItemArc);
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_EQ(back.items().size(), 1u);
    EXPECT_NE(text.find(" 0\r\nCIRCLE\r\n 8\r\ncut\r\n 62\r\n3\r\n 10\r\n2.0\r\n"),
              std::string::npos);
    EXPECT_NEAR(arcs[0]->it_Arc.ar_Radius, 2.0, 1e-6);
    EXPECT_EQ(out.context.counters[static_cast<int>(halvern::FilterCounter::Arc)], 1);
    DXFVertexListFree(&list);
}

TEST(FilterVertexTools, SegmentsBecomeLinesAndArcsInTheirDirection)
{
    Written out;
    // A straight segment, a clockwise quarter arc, a counter-clockwise half circle.
    const double quarter = std::tan(kPi / 8.0);
    VertexListRec list =
        list_of({vertex(0, 0), vertex(10, 0, -quarter), vertex(20, -10, 1), vertex(20, -20)});
    const std::string text = out.write(
        [&](halvern::DXFFilterContext& c) { halvern::FilterWriteVertexList(c, list, false); });
    ReadBack back(out.path);
    ASSERT_EQ(back.result, 0);
    ASSERT_EQ(back.items().size(), 3u);
    const ItemRec* line = back.items()[0];
    ASSERT_EQ(line->it_Header.ih_ItemType, DXFItemLine);
    EXPECT_NEAR(line->it_Line.ln_End.x, 10.0, 1e-6);
    const ArcRec& cw = back.items()[1]->it_Arc;
    EXPECT_NEAR(cw.ar_Centre.x, 10.0, 1e-6);
    EXPECT_NEAR(cw.ar_Centre.y, -10.0, 1e-6);
    // Counter-clockwise in the file: from the end (0 degrees) to the start (90).
    EXPECT_NE(text.find(" 50\r\n0.0\r\n 51\r\n90.0\r\n"), std::string::npos);
    const ArcRec& half = back.items()[2]->it_Arc;
    EXPECT_NEAR(half.ar_Centre.y, -15.0, 1e-6);
    EXPECT_NEAR(half.ar_Radius, 5.0, 1e-6);
    EXPECT_EQ(out.context.counters[static_cast<int>(halvern::FilterCounter::Line)], 1);
    EXPECT_EQ(out.context.counters[static_cast<int>(halvern::FilterCounter::Arc)], 2);
    DXFVertexListFree(&list);
}

TEST(FilterVertexTools, AClosedListAsPolylineLeavesOutItsLastVertex)
{
    Written out;
    VertexListRec list =
        list_of({vertex(0, 0), vertex(5, 0, 0.5), vertex(5, 5), vertex(0, 5), vertex(0, 0)});
    const std::string text = out.write(
        [&](halvern::DXFFilterContext& c) { halvern::FilterWriteVertexList(c, list, true); });
    EXPECT_NE(text.find(" 0\r\nPOLYLINE\r\n 8\r\ncut\r\n 62\r\n3\r\n 66\r\n1\r\n 70\r\n1\r\n"),
              std::string::npos);
    EXPECT_EQ(count_of(text, "VERTEX\r\n 8\r\ncut\r\n"), 4u);
    ReadBack back(out.path);
    ASSERT_EQ(back.result, 0);
    const auto polylines = back.items_of(DXFItemPolyline);
    ASSERT_EQ(polylines.size(), 1u);
    EXPECT_EQ(polylines[0]->it_Polyline.pl_Flags & 1u, 1u);
    EXPECT_NEAR(polylines[0]->it_Polyline.pl_Vertices[1].vx_Bulge, 0.5, 1e-6);
    EXPECT_EQ(out.context.counters[static_cast<int>(halvern::FilterCounter::Polyline)], 1);
    DXFVertexListFree(&list);

    // A last vertex that differs in its bulge only keeps the polyline open.
    VertexListRec open = list_of({vertex(0, 0), vertex(5, 0), vertex(0, 0, 0.25)});
    const std::string open_text = out.write(
        [&](halvern::DXFFilterContext& c) { halvern::FilterWriteVertexList(c, open, true); });
    EXPECT_EQ(open_text.find(" 70\r\n"), std::string::npos);
    EXPECT_EQ(count_of(open_text, "VERTEX"), 3u);
    DXFVertexListFree(&open);
}

ArcRec quarter_arc(int32_t direction)
{
    // Radius 10 about the origin, from 0 to 90 degrees (clockwise: from 90 to 0).
    ArcRec arc{};
    arc.ar_Radius = 10.0;
    arc.ar_Start = direction > 0 ? 0.0 : kPi / 2.0;
    arc.ar_End = direction > 0 ? kPi / 2.0 : 0.0;
    arc.ar_Dir = direction;
    return arc;
}

TEST(FilterVertexTools, AQuarterArcBecomesSixChordsEndingOnItsEnd)
{
    for (const int32_t direction : {1, -1}) {
        SCOPED_TRACE(direction);
        Written out;
        out.write([&](halvern::DXFFilterContext& c) {
            halvern::FilterArcToChords(c, quarter_arc(direction), 0, 0.1);
        });
        ReadBack back(out.path);
        ASSERT_EQ(back.result, 0);
        const auto lines = back.items_of(DXFItemLine);
        ASSERT_EQ(lines.size(), 6u);
        const double step = 2.0 * std::acos(0.99);
        for (size_t i = 0; i < lines.size(); ++i) {
            const Point3DRec& start = lines[i]->it_Line.ln_Start;
            EXPECT_NEAR(std::hypot(start.x, start.y), 10.0, 1e-6);
            const double expected = direction > 0 ? i * step : kPi / 2.0 - i * step;
            EXPECT_NEAR(std::atan2(start.y, start.x), expected, 1e-6);
            if (i > 0) {
                EXPECT_NEAR(start.x, lines[i - 1]->it_Line.ln_End.x, 1e-6);
                EXPECT_NEAR(start.y, lines[i - 1]->it_Line.ln_End.y, 1e-6);
            }
        }
        const Point3DRec& end = lines.back()->it_Line.ln_End;
        EXPECT_NEAR(end.x, direction > 0 ? 0.0 : 10.0, 1e-6);
        EXPECT_NEAR(end.y, direction > 0 ? 10.0 : 0.0, 1e-6);
    }
}

TEST(FilterVertexTools, ChordsOfOddTolerances)
{
    struct Case {
        const char* name;
        ArcRec arc;
        uint32_t flags;
        double tolerance;
        size_t lines;
        size_t polylines;
    };
    ArcRec circle{};
    circle.ar_Radius = 1.0;
    circle.ar_Dir = 1;
    ArcRec no_radius = circle;
    no_radius.ar_Radius = 0.0;
    ArcRec large = circle;
    large.ar_Radius = 1000.0;
    const Case cases[] = {
        {"zero tolerance", quarter_arc(1), 0, 0.0, 0, 0},
        {"zero radius", no_radius, 0, 0.1, 0, 0},
        {"negative tolerance counts by its size", quarter_arc(1), 0, -0.1, 6, 0},
        {"as one polyline", quarter_arc(1), halvern::kFilterAsPolyline, 0.1, 0, 1},
        {"a tolerance of the diameter cuts half circles", circle, 0, 5.0, 2, 0},
        {"a tiny tolerance is capped", large, 0, 2e-6, halvern::kFilterMostChords, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Written out;
        out.write([&](halvern::DXFFilterContext& context) {
            halvern::FilterArcToChords(context, c.arc, c.flags, c.tolerance);
        });
        ReadBack back(out.path);
        ASSERT_EQ(back.result, 0);
        EXPECT_EQ(back.items_of(DXFItemLine).size(), c.lines);
        const auto polylines = back.items_of(DXFItemPolyline);
        ASSERT_EQ(polylines.size(), c.polylines);
        if (c.polylines == 1) {
            EXPECT_EQ(polylines[0]->it_Polyline.pl_NumVertices, 7);
            EXPECT_NEAR(polylines[0]->it_Polyline.pl_Vertices[6].vx_Point.y, 10.0, 1e-6);
        }
    }
}

// count vertices on a circle of radius 50 from angle 0 to sweep.
std::vector<VertexRec> on_arc(uint32_t count, double sweep, double radius = 50.0)
{
    std::vector<VertexRec> vertices;
    for (uint32_t i = 0; i < count; ++i) {
        const double angle = sweep * i / (count - 1);
        vertices.push_back(vertex(radius * std::cos(angle), radius * std::sin(angle)));
    }
    return vertices;
}

TEST(FilterVertexTools, VerticesOnOneArcFitToTwo)
{
    // 20 vertices over a quarter turn of radius 50: sagittas of about 0.085.
    std::vector<VertexRec> vertices = on_arc(20, kPi / 2.0);
    const uint32_t count = halvern::FilterFitArcs(nullptr, vertices.data(),
                                                  static_cast<uint32_t>(vertices.size()), 0.1);
    ASSERT_EQ(count, 2u);
    EXPECT_NEAR(vertices[0].vx_Bulge, std::tan(kPi / 8.0), 1e-6);
    EXPECT_NEAR(vertices[1].vx_Point.y, 50.0, 1e-6);

    // Clockwise the same way round: a negative bulge.
    std::vector<VertexRec> reversed(vertices.size());
    std::vector<VertexRec> forward = on_arc(20, kPi / 2.0);
    for (size_t i = 0; i < forward.size(); ++i)
        reversed[i] = forward[forward.size() - 1 - i];
    ASSERT_EQ(halvern::FilterFitArcs(nullptr, reversed.data(), 20, 0.1), 2u);
    EXPECT_NEAR(reversed[0].vx_Bulge, -std::tan(kPi / 8.0), 1e-6);
}

TEST(FilterVertexTools, ArcFittingKeepsCornersAndStraightRuns)
{
    // A straight run along x to (-10, 0), then a clockwise quarter circle about the
    // origin that leaves it at a right angle: the corner stays, and no arc spans it.
    std::vector<VertexRec> vertices = {vertex(-30, 0), vertex(-20, 0)};
    for (const VertexRec& v : on_arc(40, kPi / 2.0, 10.0))
        vertices.push_back(vertex(-v.vx_Point.x, v.vx_Point.y));
    const uint32_t count = halvern::FilterFitArcs(nullptr, vertices.data(),
                                                  static_cast<uint32_t>(vertices.size()), 0.01);
    ASSERT_EQ(count, 4u);
    EXPECT_NEAR(vertices[0].vx_Bulge, 0.0, 1e-9);
    EXPECT_NEAR(vertices[1].vx_Bulge, 0.0, 1e-9);
    EXPECT_NEAR(vertices[2].vx_Point.x, -10.0, 1e-9);
    EXPECT_NEAR(vertices[2].vx_Bulge, -std::tan(kPi / 8.0), 1e-6);
    EXPECT_NEAR(vertices[3].vx_Point.y, 10.0, 1e-9);
    EXPECT_EQ(halvern::FilterFitArcs(nullptr, vertices.data(), 2, 0.1), 2u);
}

std::vector<int32_t> g_shares;
int32_t record_share(int32_t kind, int32_t value, void*)
{
    EXPECT_EQ(kind, DXFFilterArcFitting);
    g_shares.push_back(value);
    return 0;
}
int32_t stop_at_half(int32_t, int32_t value, void*)
{
    return value >= 50 ? 9 : 0;
}

TEST(FilterVertexTools, LongListsFitByHalvingAndReportProgress)
{
    // 600 vertices on one arc: one fitted arc, found by halving.
    Written out;
    out.context.progress = record_share;
    g_shares.clear();
    std::vector<VertexRec> vertices = on_arc(600, kPi, 1000.0);
    EXPECT_EQ(halvern::FilterFitArcs(&out.context, vertices.data(), 600, 0.1), 2u);
    EXPECT_NEAR(vertices[0].vx_Bulge, 1.0, 1e-6);
    ASSERT_FALSE(g_shares.empty());
    EXPECT_EQ(g_shares[0], 1); // the first share is 0, sent as 1

    // An S of two half circles: each found, the joint kept.
    std::vector<VertexRec> wave = on_arc(300, kPi, 1000.0);
    const std::vector<VertexRec> second = on_arc(301, kPi, 1000.0);
    for (size_t i = 1; i < second.size(); ++i)
        wave.push_back(vertex(second[i].vx_Point.x - 2000.0, -second[i].vx_Point.y));
    ASSERT_EQ(wave.size(), 600u);
    g_shares.clear();
    EXPECT_EQ(halvern::FilterFitArcs(&out.context, wave.data(), 600, 0.1), 3u);
    EXPECT_NEAR(wave[0].vx_Bulge, 1.0, 1e-6);
    EXPECT_NEAR(wave[1].vx_Bulge, -1.0, 1e-6);
    EXPECT_NEAR(wave[1].vx_Point.x, -1000.0, 1e-6);
    EXPECT_NEAR(wave[2].vx_Point.x, -3000.0, 1e-6);
    EXPECT_GE(g_shares.size(), 2u);
    // 500 vertices are fitted by halving but report nothing.
    g_shares.clear();
    std::vector<VertexRec> short_list = on_arc(500, kPi, 1000.0);
    EXPECT_EQ(halvern::FilterFitArcs(&out.context, short_list.data(), 500, 0.1), 2u);
    EXPECT_TRUE(g_shares.empty());

    // A zig-zag fits nothing and reports the shares as it goes; a stop leaves the rest.
    std::vector<VertexRec> zigzag;
    for (int i = 0; i < 700; ++i)
        zigzag.push_back(vertex(i, (i % 2) * 5.0));
    out.context.progress = stop_at_half;
    EXPECT_EQ(halvern::FilterFitArcs(&out.context, zigzag.data(), 700, 0.1), 700u);
    EXPECT_EQ(out.context.stop, 9);
    EXPECT_NEAR(zigzag[699].vx_Point.x, 699.0, 1e-9);
}

// Lists whose fitting takes many tries: every vertex carries its index in its flags,
// so that the fitted list tells which vertices stayed.
std::vector<VertexRec> numbered(const std::function<VertexRec(int)>& at, int count)
{
    std::vector<VertexRec> vertices;
    for (int i = 0; i < count; ++i) {
        vertices.push_back(at(i));
        vertices.back().vx_Flags = static_cast<uint32_t>(i);
    }
    return vertices;
}

// The vertices that stayed ("4-9" for a run of neighbours), and a digest of every bit
// of their points and bulges.
std::string fitted_form(const VertexRec* vertices, uint32_t count)
{
    std::string kept;
    uint64_t digest = 1469598103934665603u;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t index = vertices[i].vx_Flags;
        const bool after_previous = i > 0 && vertices[i - 1].vx_Flags + 1 == index;
        const bool before_next = i + 1 < count && vertices[i + 1].vx_Flags == index + 1;
        if (!after_previous)
            kept += (i == 0 ? "" : " ") + std::to_string(index);
        else if (!before_next)
            kept += "-" + std::to_string(index);
        for (double value :
             {vertices[i].vx_Point.x, vertices[i].vx_Point.y, vertices[i].vx_Bulge}) {
            uint64_t bits = 0;
            std::memcpy(&bits, &value, sizeof bits);
            digest = (digest ^ bits) * 1099511628211u;
        }
    }
    char hex[24];
    std::snprintf(hex, sizeof hex, " #%016llx", static_cast<unsigned long long>(digest));
    return kept + hex;
}

TEST(FilterVertexTools, FittingFindsTheSameArcsToTheLastBit)
{
    // The searches try runs in a fixed order and take the first arc that passes; a
    // quicker way through them must still give these lists, bit for bit (they are the
    // answers of the plain search that tries every run in turn).
    const auto ellipse = [](int i) {
        const double t = i * (2.0 * kPi / 46.0);
        return vertex(20.0 * std::cos(t) - 2.0 * std::sin(t),
                      5.0 * std::cos(t) + 8.0 * std::sin(t));
    };
    const auto spiral = [](int i) {
        const double a = i * 0.02;
        const double r = 100.0 + 10.0 * a;
        return vertex(r * std::cos(a), r * std::sin(a));
    };
    const auto rounded_square = [](int i) {
        // Sides of 20 vertices joined by quarter circles of 5 vertices, radius 2.
        const int side = i / 25;
        const int k = i % 25;
        double x = 0.0;
        double y = 0.0;
        if (k < 20) {
            x = -10.0 + k;
            y = -12.0;
        } else {
            const double a = -kPi / 2.0 + (k - 19) * (kPi / 2.0 / 5.0);
            x = 10.0 + 2.0 * std::cos(a);
            y = -10.0 + 2.0 * std::sin(a);
        }
        const double c = std::cos(side * kPi / 2.0);
        const double s = std::sin(side * kPi / 2.0);
        return vertex(c * x - s * y, s * x + c * y);
    };
    const auto wobbly_circle = [](int i) {
        const double a = i * 0.05;
        const double r = 30.0 + ((i * 7) % 5) * 0.005;
        return vertex(r * std::cos(a), r * std::sin(a));
    };
    const auto wave = [](int i) {
        const double x = i * 0.5;
        return vertex(x, 10.0 * std::sin(x / 15.0) + 0.003 * ((i * 13) % 7));
    };
    const auto steps = [](int i) {
        // Arcs, straight runs and a zig-zag in turn.
        if (i % 90 < 30)
            return vertex(i + 5.0 * std::sin((i % 30) * kPi / 29.0), 0.0);
        if (i % 90 < 60)
            return vertex(i, 0.1 * (i % 90 - 30));
        return vertex(i, (i % 2) * 0.3 + 3.0);
    };
    struct Case {
        const char* name;
        std::function<VertexRec(int)> at;
        int count;
        double tolerance;
        const char* fitted;
    };
    const Case cases[] = {
        {"ellipse", ellipse, 47, 0.1, "0 4 10 18 22 26 31 40 44 46 #3d6d16e3e4c10794"},
        {"ellipse, tolerance 0", ellipse, 47, 0.0, "0-46 #2e83e48f3f02e840"},
        {"spiral", spiral, 200, 0.05, "0 40 80 120 160 199 #75a90308a9bb65d9"},
        {"rounded square", rounded_square, 100, 0.03,
         "0-14 20 24-39 45 49-64 70 74-89 95 99 #40147b75fd970bd4"},
        {"wobbly circle", wobbly_circle, 126, 0.03, "0 125 #ce4a15e01c4ce69e"},
        {"steps", steps, 180, 0.05, "0-20 36-59 61-110 126-149 151-179 #a1d713ced6a8ce63"},
        {"wave, halving", wave, 700, 0.02,
         "0 18 33 53 70 84 99 117 133 157 172 190 206 221 250 266 281 301 315 333 351 366 "
         "382 400 416 441 455 470 490 504 525 542 557 574 591 606 629 644 659 678 693 699 "
         "#d3737099b1d2c4e1"},
        {"spiral, halving", spiral, 600, 0.05,
         "0 40 80 120 160 200 240 280 320 360 400 440 479 519 559 599 #e1b2a7de33ef036d"},
        {"steps, halving", steps, 540, 0.05,
         "0-25 35-115 125-204 215-239 241-295 305-385 395-475 485-539 #59882df9e30d3f67"},
        {"wobbly circle, halving", wobbly_circle, 500, 0.03,
         "0 120 245 370 495 499 #feabec714f049a7e"},
    };
    for (const Case& c : cases) {
        std::vector<VertexRec> vertices = numbered(c.at, c.count);
        const uint32_t count = halvern::FilterFitArcs(nullptr, vertices.data(),
                                                      static_cast<uint32_t>(c.count), c.tolerance);
        EXPECT_EQ(fitted_form(vertices.data(), count), c.fitted) << c.name;
    }
}

TEST(FilterVertexTools, NeedlessVerticesGo)
{
    struct Case {
        const char* name;
        std::vector<VertexRec> vertices;
        double tolerance;
        std::vector<double> kept_x;
    };
    std::vector<VertexRec> collinear;
    for (int i = 0; i < 10; ++i)
        collinear.push_back(vertex(i * 2.0, i * 1.0));
    const Case cases[] = {
        {"collinear", collinear, 1e-6, {0, 18}},
        {"within the tolerance", {vertex(0, 0), vertex(5, 0.05), vertex(10, 0)}, 0.1, {0, 10}},
        {"beyond it", {vertex(0, 0), vertex(5, 0.2), vertex(10, 0)}, 0.1, {0, 5, 10}},
        // A vertex beyond the segment's end counts by its larger end distance.
        {"doubling back", {vertex(0, 0), vertex(12, 0), vertex(10, 0)}, 0.1, {0, 12, 10}},
        // A bulge ends the straight run: the vertices around it stay.
        {"bulge",
         {vertex(0, 0), vertex(1, 0), vertex(2, 0, 0.5), vertex(3, 0), vertex(4, 0)},
         1e-6,
         {0, 2, 3, 4}},
        {"corner",
         {vertex(0, 0), vertex(5, 0), vertex(10, 0), vertex(10, 5), vertex(10, 10)},
         1e-6,
         {0, 10, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<VertexRec> vertices = c.vertices;
        const uint32_t count = halvern::FilterRemoveNeedlessVertices(
            vertices.data(), static_cast<uint32_t>(vertices.size()), c.tolerance);
        ASSERT_EQ(count, c.kept_x.size());
        for (uint32_t i = 0; i < count; ++i)
            EXPECT_NEAR(vertices[i].vx_Point.x, c.kept_x[i], 1e-9);
    }
}

}
