// The DXF filter's contour edits: selection by contour, minimum length, flattening,
// fillets, the stage function and the two output forms.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "filter/filter_passes.h"
#include "filter_test_support.h"
#include "halvern/filter.h"
#include "test_support/files.h"

namespace {

using filter_test::dxf;
using filter_test::FilterFolder;
using filter_test::group;
using filter_test::number;
using filter_test::ReadBack;
using filter_test::Tags;
using test_support::read_file;

constexpr double kPi = 3.141592653589793;

struct Filtered {
    FilterFolder folder;
    std::string output;
    int32_t result = 0;
    std::string text;

    Filtered(const std::string& entities, Tags& tags)
    {
        const std::string input = folder.write("in.dxf", dxf(entities));
        output = folder.path("out.dxf");
        result = FilterDXF(input.c_str(), output.c_str(), tags.get());
        text = read_file(output);
    }
};

std::string rectangle(double x, double y, double width, double height)
{
    using filter_test::line;
    return line(x, y, x + width, y) + line(x + width, y, x + width, y + height) +
           line(x + width, y + height, x, y + height) + line(x, y + height, x, y);
}

std::string text(double x, double y)
{
    return group(0, "TEXT") + group(8, "0") + group(10, number(x)) + group(20, number(y)) +
           group(30, "0") + group(40, "2") + group(1, "label");
}

TEST(FilterContours, SelectionKeepsTheContoursOfItsKind)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> switches;
        size_t lines, polylines, texts;
    };
    const Case cases[] = {
        // The rectangle as four LINEs; the lone LINE is an open chain.
        {"closed", {DXFF_ClosedContours}, 4, 0, 0},
        {"closed as polyline", {DXFF_ClosedContours, DXFF_ClosedAsPolyline}, 0, 1, 0},
        {"open", {DXFF_OpenContours}, 1, 0, 0},
        {"open with texts", {DXFF_OpenContours, DXFF_KeepTexts}, 1, 0, 1},
        {"both", {DXFF_OpenContours, DXFF_ClosedContours}, 5, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tags tags;
        for (const uint32_t tag : c.switches)
            tags.add(tag, 1);
        Filtered out(rectangle(0, 0, 10, 5) + filter_test::line(50, 50, 60, 50) + text(20, 20),
                     tags);
        ASSERT_EQ(out.result, 0);
        ReadBack back(out.output);
        ASSERT_EQ(back.result, 0);
        EXPECT_EQ(back.items_of(DXFItemLine).size(), c.lines);
        EXPECT_EQ(back.items_of(DXFItemText).size(), c.texts);
        const auto polylines = back.items_of(DXFItemPolyline);
        ASSERT_EQ(polylines.size(), c.polylines);
        if (c.polylines == 1) {
            EXPECT_NE(out.text.find(" 66\r\n1\r\n 70\r\n1\r\n"), std::string::npos);
            EXPECT_EQ(polylines[0]->it_Polyline.pl_Flags & 1u, 1u);
        }
    }
}

TEST(FilterContours, MinimumLengthAllowsAMillionth)
{
    Tags tags;
    const double limit = 10.0;
    tags.add(DXFF_OpenMinLength, 1).add(DXFF_OpenMinLengthValue, &limit);
    Filtered out(filter_test::line(0, 0, 9.9999995, 0) + filter_test::line(0, 20, 9.99999, 20),
                 tags);
    ASSERT_EQ(out.result, 0);
    ReadBack back(out.output);
    const auto lines = back.items_of(DXFItemLine);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NEAR(lines[0]->it_Line.ln_Start.y, 0.0, 1e-9);
}

TEST(FilterContours, ShallowArcsFlattenByTheirSagitta)
{
    // A chord of 10: a bulge of 0.01 has a sagitta of 0.05, one of 0.04 of 0.2.
    for (const double bulge : {0.01, 0.04}) {
        SCOPED_TRACE(bulge);
        const std::string polyline = group(0, "LWPOLYLINE") + group(8, "0") + group(90, "2") +
                                     group(70, "0") + group(10, "0") + group(20, "0") +
                                     group(42, number(bulge)) + group(10, "10") + group(20, "0");
        Tags tags;
        tags.add(DXFF_OpenFlattenArcs, 1);
        Filtered out(polyline, tags);
        ReadBack back(out.output);
        EXPECT_EQ(back.items_of(DXFItemLine).size(), bulge < 0.02 ? 1u : 0u);
        EXPECT_EQ(back.items_of(DXFItemArc).size(), bulge < 0.02 ? 0u : 1u);
    }
}

TEST(FilterContours, ASquareGetsFourQuarterFillets)
{
    Tags tags;
    tags.add(DXFF_ClosedFillet, 1);
    Filtered out(rectangle(0, 0, 10, 10), tags);
    ASSERT_EQ(out.result, 0);
    ReadBack back(out.output);
    const auto arcs = back.items_of(DXFItemArc);
    ASSERT_EQ(arcs.size(), 4u);
    std::vector<std::pair<double, double>> centres;
    for (const ItemRec* item : arcs) {
        const ArcRec& a = item->it_Arc;
        EXPECT_NEAR(a.ar_Radius, 1.0, 1e-6);
        double sweep = std::fmod(a.ar_End - a.ar_Start + 4 * kPi, 2 * kPi);
        EXPECT_NEAR(sweep, kPi / 2, 1e-6);
        EXPECT_TRUE((std::fabs(a.ar_Centre.x - 1) < 1e-6 || std::fabs(a.ar_Centre.x - 9) < 1e-6) &&
                    (std::fabs(a.ar_Centre.y - 1) < 1e-6 || std::fabs(a.ar_Centre.y - 9) < 1e-6));
    }
    const auto lines = back.items_of(DXFItemLine);
    ASSERT_EQ(lines.size(), 4u);
    for (const ItemRec* item : lines) {
        const double dx = item->it_Line.ln_End.x - item->it_Line.ln_Start.x;
        const double dy = item->it_Line.ln_End.y - item->it_Line.ln_Start.y;
        EXPECT_NEAR(std::hypot(dx, dy), 8.0, 1e-6);
    }
}

VertexListRec list_of(const std::vector<std::vector<double>>& points)
{
    VertexListRec list{};
    for (const auto& p : points)
        DXFVertexListAdd(&list, p[0], p[1], 0.0, p.size() > 2 ? p[2] : 0.0, 0);
    return list;
}

TEST(FilterContours, FilletsRespectAnglesAndTheirSegments)
{
    struct Case {
        const char* name;
        std::vector<std::vector<double>> points;
        double radius, min_angle, max_angle, limit;
        uint32_t count;       // vertices after filleting
        double fillet_length; // of the first fillet, 0 for none
    };
    const double default_min = 0.17453292519943298;
    const Case cases[] = {
        {"right angle", {{0, 0}, {10, 0}, {10, 10}}, 1, default_min, kPi, 0, 4, kPi / 2},
        {"below the smallest angle", {{0, 0}, {10, 0}, {0, 1}}, 1, 0.2, kPi, 0, 3, 0},
        {"straight on", {{0, 0}, {10, 0}, {20, 0}}, 1, default_min, kPi, 0, 3, 0},
        {"too large for the segments", {{0, 0}, {1, 0}, {1, 1}}, 5, default_min, kPi, 0, 3, 0},
        // A limit of 3 needs a radius of 6 / pi at a right angle.
        {"lengthened", {{0, 0}, {10, 0}, {10, 10}}, 1, default_min, kPi, 3, 4, 3},
        // A line, then a clockwise quarter circle about (20, 0) that leaves upwards: the
        // fillet meets the arc's circle.
        {"line and arc",
         {{0, 0}, {10, 0, -std::tan(kPi / 8)}, {20, 10}},
         1,
         default_min,
         kPi,
         0,
         4,
         -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VertexListRec list = list_of(c.points);
        halvern::FilterFilletCorners(list, c.radius, c.min_angle, c.max_angle, c.limit);
        EXPECT_EQ(list.vl_N, c.count);
        if (c.count == 4) {
            const VertexRec& start = list.vl_Vertices[1];
            const VertexRec& end = list.vl_Vertices[2];
            ASSERT_GT(std::fabs(start.vx_Bulge), 1e-6);
            const double sweep = 4 * std::atan(std::fabs(start.vx_Bulge));
            const double chord =
                std::hypot(end.vx_Point.x - start.vx_Point.x, end.vx_Point.y - start.vx_Point.y);
            const double radius = chord / (2 * std::sin(sweep / 2));
            if (c.fillet_length > 0) {
                // A lengthened fillet is the last one found that is long enough.
                EXPECT_NEAR(sweep * radius, c.fillet_length, c.limit > 0 ? 0.001 : 1e-6);
                EXPECT_GE(sweep * radius, c.fillet_length - 1e-6);
            } else
                EXPECT_NEAR(radius, c.radius, 1e-6);
        }
        DXFVertexListFree(&list);
    }
}

std::vector<int32_t> g_stages;
double g_radius = 0.0;
void record_stage(DXFDrawingRec*, int32_t stage, VertexListRec* vertices, double radius, double,
                  double, double)
{
    g_stages.push_back(stage);
    g_radius = radius;
    // Moving the list at the last stage moves what is written.
    if (stage == DXFContourBeforeWrite)
        for (uint32_t i = 0; i < vertices->vl_N; ++i)
            vertices->vl_Vertices[i].vx_Point.x += 100.0;
}

TEST(FilterContours, TheStageFunctionSeesTheEditsThatAreOn)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> switches;
        std::vector<int32_t> stages;
    };
    const Case cases[] = {
        {"no edit", {DXFF_ClosedContours}, {0, 5}},
        {"fillet", {DXFF_ClosedFillet}, {0, 4, 5}},
        {"flatten and simplify", {DXFF_ClosedFlattenArcs, DXFF_ClosedSimplify}, {0, 1, 2, 5}},
        {"all",
         {DXFF_ClosedFlattenArcs, DXFF_ClosedSimplify, DXFF_ClosedFitArcs, DXFF_ClosedFillet},
         {0, 1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tags tags;
        for (const uint32_t tag : c.switches)
            tags.add(tag, 1);
        const double radius = 2.5;
        tags.add(DXFF_ClosedContourHook, reinterpret_cast<uintptr_t>(&record_stage))
            .add(DXFF_ClosedFilletRadius, &radius);
        g_stages.clear();
        Filtered out(rectangle(0, 0, 10, 10), tags);
        ASSERT_EQ(out.result, 0);
        EXPECT_EQ(g_stages, c.stages);
        EXPECT_NEAR(g_radius, 2.5, 1e-9);
        ReadBack back(out.output);
        for (const ItemRec* item : back.items_of(DXFItemLine))
            EXPECT_GE(item->it_Line.ln_Start.x, 100.0 - 1e-9);
    }
}

}
