// View ports: fitting and converting points, and rendering into a port whose handler
// records what it is asked to draw.

#include "osmark/view_ports.h"

#include "geometry_test_support.h"
#include "osmark/lists.h"
#include "osmark/profile_lists.h"
#include "osmark/profiles.h"
#include "osmark/raster_ports.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace geometry_test;

namespace {

struct Call {
    char kind; // 'm'ove, 'd'raw, 'p'ixel
    int32_t x;
    int32_t y;
    Colour colour;
};

std::vector<Call> g_calls;

RastPortOps recording_ops()
{
    RastPortOps ops{};
    ops.rpo_Size = sizeof(RastPortOps);
    ops.rpo_Move = [](RastPort*, int32_t x, int32_t y) { g_calls.push_back({'m', x, y, 0}); };
    ops.rpo_Draw = [](RastPort*, int32_t x, int32_t y) { g_calls.push_back({'d', x, y, 0}); };
    ops.rpo_WritePixel = [](RastPort*, int32_t x, int32_t y, Colour colour) {
        g_calls.push_back({'p', x, y, colour});
    };
    return ops;
}

const RastPortOps kOps = recording_ops();
RastPortHandler g_handler = {"view port recording", 0, nullptr, &kOps};

Rectangle2DRec box(double x0, double y0, double x1, double y1)
{
    return Rectangle2DRec{P(x0, y0), P(x1, y1)};
}

// A port, a view port on it and a drawing of one profile list, freed at the end.
struct Scene {
    RastPort* rp = AllocRastPort(&g_handler, nullptr, 0);
    ViewPort* view = ViewPortCreate(rp);
    ProfileDrawing* drawing = ProfileDrawingCreate();
    Profile* profile = ProfileCreate();

    Scene(const Rectangle2DRec& device, const Rectangle2DRec& world)
    {
        Profiles* list = ProfilesCreate();
        ProfilesInsert(list, -1, profile);
        ProfileDrawingInsertProfiles(drawing, -1, list);
        ViewPortSetSize(view, &device, &world);
        ViewPortSetDrawing(view, drawing);
        g_calls.clear();
    }
    ~Scene()
    {
        ViewPortDelete(view);
        ProfileDrawingDelete(drawing);
        FreeRastPort(rp);
    }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    std::vector<Call> render()
    {
        g_calls.clear();
        ViewPortRender(view);
        return g_calls;
    }
};

void clear(Profile* profile)
{
    while (ProfileEntityCount(profile) > 0)
        ProfileRemove(profile, 0);
}

// The segments drawn: each Move, Draw and end-pixel triple as (x1, y1, x2, y2).
std::vector<std::vector<int32_t>> segments_of(const std::vector<Call>& calls)
{
    std::vector<std::vector<int32_t>> segments;
    EXPECT_EQ(calls.size() % 3, 0u);
    for (size_t i = 0; i + 2 < calls.size(); i += 3) {
        EXPECT_EQ(calls[i].kind, 'm');
        EXPECT_EQ(calls[i + 1].kind, 'd');
        EXPECT_EQ(calls[i + 2].kind, 'p');
        EXPECT_EQ(calls[i + 2].x, calls[i + 1].x);
        EXPECT_EQ(calls[i + 2].y, calls[i + 1].y);
        segments.push_back({calls[i].x, calls[i].y, calls[i + 1].x, calls[i + 1].y});
    }
    return segments;
}

}

TEST(ViewPort, FitsTheWorldCentredWithYUpward)
{
    struct Case {
        const char* name;
        Rectangle2DRec device;
        Rectangle2DRec world;
        double scale;
        double offset_x;
        double offset_y;
        Point2DRec origin_at; // world (x0, y0) on the device
        Rectangle2DRec visible;
    };
    const Case cases[] = {
        {"wide device", box(0, 0, 200, 100), box(0, 0, 10, 10), 10, 50, 0, P(50, 100),
         box(-5, 0, 15, 10)},
        {"given corners reversed", box(200, 100, 0, 0), box(0, 0, 10, 10), 10, 50, 0, P(50, 100),
         box(-5, 0, 15, 10)},
        {"wide world", box(0, 0, 100, 100), box(0, 0, 20, 5), 5, 0, -37.5, P(0, 62.5),
         box(0, -7.5, 20, 12.5)},
    };
    for (const Case& c : cases) {
        RastPort* rp = AllocRastPort(&g_handler, nullptr, 0);
        ViewPort* view = ViewPortCreate(rp);
        ASSERT_NE(view, nullptr);
        ViewPortSetSize(view, &c.device, &c.world);
        EXPECT_EQ(view->device.min.x, 0.0) << c.name;
        EXPECT_EQ(view->scale_x, c.scale) << c.name;
        EXPECT_EQ(view->scale_y, c.scale) << c.name;
        EXPECT_EQ(view->offset_x, c.offset_x) << c.name;
        EXPECT_EQ(view->offset_y, c.offset_y) << c.name;
        EXPECT_NEAR(view->visible.min.x, c.visible.min.x, kClose) << c.name;
        EXPECT_NEAR(view->visible.min.y, c.visible.min.y, kClose) << c.name;
        EXPECT_NEAR(view->visible.max.x, c.visible.max.x, kClose) << c.name;
        EXPECT_NEAR(view->visible.max.y, c.visible.max.y, kClose) << c.name;
        double x = c.world.min.x;
        double y = c.world.min.y;
        ViewPortMapToViewPort(view, &x, &y);
        EXPECT_EQ(x, c.origin_at.x) << c.name;
        EXPECT_EQ(y, c.origin_at.y) << c.name;
        // And back, from anywhere.
        x = 3.25;
        y = -1.5;
        ViewPortMapToViewPort(view, &x, &y);
        ViewPortMapToWorld(view, &x, &y);
        EXPECT_NEAR(x, 3.25, kClose) << c.name;
        EXPECT_NEAR(y, -1.5, kClose) << c.name;
        ViewPortDelete(view);
        FreeRastPort(rp);
    }
}

TEST(ViewPort, FarCornerAndZeroScales)
{
    Scene scene(box(0, 0, 200, 100), box(0, 0, 10, 10));
    double x = 10;
    double y = 10;
    ViewPortMapToViewPort(scene.view, &x, &y);
    EXPECT_EQ(x, 150.0);
    EXPECT_EQ(y, 0.0);

    // A world of no width: every world point maps to the offset, every device point to
    // the origin.
    const Rectangle2DRec flat = box(3, 0, 3, 10);
    ViewPortSetSize(scene.view, nullptr, &flat);
    EXPECT_EQ(scene.view->scale_x, 0.0);
    EXPECT_EQ(scene.view->scale_y, 0.0);
    x = 7;
    y = 8;
    ViewPortMapToViewPort(scene.view, &x, &y);
    EXPECT_EQ(x, scene.view->offset_x);
    x = 120;
    y = 40;
    ViewPortMapToWorld(scene.view, &x, &y);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(y, 0.0);
    EXPECT_EQ(scene.view->device.max.x, 200.0) << "the device rectangle kept";
}

TEST(ViewPort, NewLinksDeleteAndNullArguments)
{
    RastPort* rp = AllocRastPort(&g_handler, nullptr, 0);
    ViewPort* view = ViewPortCreate(rp);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->node.mln_Succ, &view->node);
    EXPECT_EQ(view->node.mln_Pred, &view->node);
    EXPECT_EQ(view->rast_port, rp);
    EXPECT_EQ(view->scale_x, 0.0);
    EXPECT_EQ(view->pen, 0u);
    EXPECT_EQ(view->drawing, nullptr);
    // Before sizing every device point is the world origin.
    double x = 12;
    double y = 34;
    ViewPortMapToWorld(view, &x, &y);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(y, 0.0);
    ViewPortMapToWorld(view, nullptr, &y);
    ViewPortMapToViewPort(view, &x, nullptr);

    // Deleting takes the view port out of the caller's list.
    List list;
    NewList(&list);
    AddTail(&list, reinterpret_cast<Node*>(&view->node));
    ViewPortDelete(view);
    EXPECT_TRUE(IsListEmpty(&list));

    ViewPortDelete(nullptr);
    ViewPortSetDrawing(nullptr, nullptr);
    ViewPortSetSize(nullptr, nullptr, nullptr);
    ViewPortMapToWorld(nullptr, &x, &y);
    ViewPortMapToViewPort(nullptr, &x, &y);
    ViewPortRender(nullptr);
    FreeRastPort(rp);
}

TEST(ViewPort, LinesAreClippedToTheViewAndRoundedHalfTowardZero)
{
    // Scale 10, offset x 50; the visible world runs from x -5 to 15.
    Scene scene(box(0, 0, 200, 100), box(0, 0, 10, 10));
    SetAPen(scene.rp, 0x00336699);
    struct Case {
        const char* name;
        Line2DRec line;
        std::vector<std::vector<int32_t>> drawn;
    };
    const Case cases[] = {
        {"inside", segment(1, 1, 9, 9), {{60, 90, 140, 10}}},
        // (x - 0) * 10 is 2.5 and -2.5: columns 2 and -2 beside trunc(50).
        {"exact halves", segment(0.25, 5, -0.25, 5), {{52, 50, 48, 50}}},
        {"left of the view", segment(-9, 1, -6, 9), {}},
        {"above it", segment(0, 11, 10, 12), {}},
        // Once the first end is inside, the ends change places.
        {"crossing it", segment(-10, 5, 20, 5), {{200, 50, 0, 50}}},
        {"across a corner", segment(-7, 6, -3, 12), {{7, 0, 0, 10}}},
    };
    for (const Case& c : cases) {
        clear(scene.profile);
        ProfileAddLine(scene.profile, c.line.start.x, c.line.start.y, c.line.end.x, c.line.end.y,
                       0);
        const std::vector<Call> calls = scene.render();
        EXPECT_EQ(segments_of(calls), c.drawn) << c.name;
        for (const Call& call : calls) {
            if (call.kind == 'p') {
                EXPECT_EQ(call.colour, 0x00336699u) << c.name << ": the end pixel in the A pen";
            }
        }
    }
}

TEST(ViewPort, ArcsAreChordsWithinHalfAUnit)
{
    // Scale 10 and offset 0: device (X, Y) is (10 x, 100 - 10 y).
    Scene scene(box(0, 0, 100, 100), box(0, 0, 10, 10));
    // A quarter circle of radius 4 (40 units) about (5, 5), counter-clockwise.
    ProfileAddArc(scene.profile, 5, 5, 4, 0, kPi / 2, 1, 0);
    const auto chords = segments_of(scene.render());
    const double step = 2.0 * std::acos(39.5 / 40.0);
    ASSERT_EQ(chords.size(), static_cast<size_t>(std::ceil(kPi / 2 / step)));
    EXPECT_EQ(chords.front()[0], 90);
    EXPECT_EQ(chords.front()[1], 50);
    EXPECT_EQ(chords.back()[2], 50);
    EXPECT_EQ(chords.back()[3], 10);
    for (size_t i = 0; i < chords.size(); ++i) {
        if (i > 0) {
            EXPECT_EQ(chords[i][0], chords[i - 1][2]) << "joined";
            EXPECT_EQ(chords[i][1], chords[i - 1][3]) << "joined";
        }
        const double r = std::hypot(chords[i][2] - 50.0, chords[i][3] - 50.0);
        EXPECT_NEAR(r, 40.0, 1.0) << "on the circle";
        EXPECT_GE(chords[i][2], 50);
        EXPECT_LE(chords[i][3], 50) << "upward on the device is y falling";
    }

    // Clockwise from pi/2 to 0 covers the same quarter.
    clear(scene.profile);
    ProfileAddArc(scene.profile, 5, 5, 4, kPi / 2, 0, -1, 0);
    const auto clockwise = segments_of(scene.render());
    ASSERT_EQ(clockwise.size(), chords.size());
    EXPECT_EQ(clockwise.front()[0], 50);
    EXPECT_EQ(clockwise.front()[1], 10);
    EXPECT_EQ(clockwise.back()[2], 90);
    EXPECT_EQ(clockwise.back()[3], 50);
}

TEST(ViewPort, SmallArcsAreDotsAndArcsOutOfViewAreNotDrawn)
{
    Scene scene(box(0, 0, 100, 100), box(0, 0, 10, 10));
    struct Case {
        const char* name;
        Arc2DRec arc;
        size_t segments;
    };
    const Case cases[] = {
        // 0.04 world units are 0.4 device units.
        {"a dot", arc(5, 5, 0.04, 0, kPi, 1), 1},
        {"beyond the view", arc(30, 5, 4, 0, 2 * kPi, 1), 0},
        {"around the view with room to spare", arc(5, 5, 100, 0, 2 * kPi, 1), 0},
    };
    for (const Case& c : cases) {
        clear(scene.profile);
        ProfileAddArc(scene.profile, c.arc.centre.x, c.arc.centre.y, c.arc.radius,
                      c.arc.start_angle, c.arc.end_angle, c.arc.direction, 0);
        const auto drawn = segments_of(scene.render());
        ASSERT_EQ(drawn.size(), c.segments) << c.name;
        if (c.segments == 1) {
            EXPECT_EQ(drawn[0], (std::vector<int32_t>{50, 50, 50, 50})) << c.name;
        }
    }
}

TEST(ViewPort, HugeArcsAndAnglesEndInBoundedWork)
{
    // A circle of 1e20 device units through the view: its half-unit step cannot be
    // computed, so it is cut into a bounded number of chords; an arc of absurd angles
    // ends too.
    Scene scene(box(0, 0, 100, 100), box(0, 0, 10, 10));
    ProfileAddArc(scene.profile, 5, 5 - 1e19, 1e19, 0, kPi, 1, 0);
    const std::vector<Call> calls = scene.render();
    EXPECT_LE(calls.size(), 3u * 100001u);
    clear(scene.profile);
    ProfileAddArc(scene.profile, 5, 5, 4, 0, 1e300, 1, 0);
    const auto drawn = segments_of(scene.render());
    EXPECT_GE(drawn.size(), 1u);
}
