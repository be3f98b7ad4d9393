// Speed of the profile geometry's heavy operations on profiles of 2,000 entities, and of
// drawing a large profile drawing through a view port.
//
// The profile is a closed wavy ring about the origin that never crosses itself: 1,000
// teeth, each a line climbing from radius 10 to 10.05 and an arc that comes back to
// radius 10 bulging out through radius 10.03. Benchmarks:
//   Combine/1..3       ProfileCombine of the ring and a copy moved by (0.37, 0.21):
//                      intersection, union and difference;
//   Offset/grow        ProfileOffset by +0.2, clean, arc joins: the offsets of the
//                      teeth cross, so the chain is cut into many loops;
//   Offset/shrink      the same by -0.2;
//   Offset/grow_small  by +0.02, less than a tooth's height: no loops to cut;
//   Offset/shrink_small  by -0.02.
// The counters give the size of the result: the entities of the first profile of a
// combination, the profiles of an offset.
//
//   ViewPortRender/full    100,000 lines and arcs scattered over 1,000 x 1,000 units,
//                          drawn into a 1920 x 1080 bitmap port, the whole drawing in
//                          view;
//   ViewPortRender/zoomed  the same zoomed to 1 %: a view 10 units wide and high about
//                          the middle of the drawing.
//
//   geometry_bench [benchmark flags]

#include <benchmark/benchmark.h>

#include "osmark/combination.h"
#include "osmark/lines_arcs.h"
#include "osmark/offsetting.h"
#include "osmark/profiles.h"
#include "osmark/transforms.h"
#include "osmark/bitmaps.h"
#include "osmark/profile_lists.h"
#include "osmark/raster_ports.h"
#include "osmark/view_ports.h"

#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

constexpr int kSteps = 1000;

Point2DRec at(double radius, double angle)
{
    return Point2DRec{radius * std::cos(angle), radius * std::sin(angle)};
}

Profile* wavy_ring()
{
    Profile* ring = ProfileCreate();
    const double step = 2 * std::numbers::pi / kSteps;
    for (int k = 0; k < kSteps; ++k) {
        const double angle = k * step;
        const Point2DRec a = at(10, angle);
        const Point2DRec b = at(10.05, angle + 0.5 * step);
        const Point2DRec middle = at(10.03, angle + 0.75 * step);
        const Point2DRec next = at(10, angle + step);
        ProfileAddLine(ring, a.x, a.y, b.x, b.y, 0);
        Point2DRec centre{};
        double radius = 0, start = 0, end = 0;
        int32_t direction = 0;
        FitArc3Points(&b, &middle, &next, &centre, &radius, &start, &end, &direction);
        ProfileAddArc(ring, centre.x, centre.y, radius, start, end, direction, 0);
    }
    return ring;
}

void BM_Combine(benchmark::State& state)
{
    Profile* ring = wavy_ring();
    const Point2DRec shift{0.37, 0.21};
    const Point2DRec origin{0, 0};
    Profile* moved = nullptr;
    ProfileTranslate(ring, &shift, &origin, &moved);
    uint32_t pieces = 0;
    for (auto _ : state) {
        Profiles* result = ProfileCombine(ring, moved, static_cast<int32_t>(state.range(0)));
        pieces = ProfilesCount(result) == 0 ? 0 : ProfileEntityCount(ProfilesProfile(result, 0));
        ProfilesDelete(result);
    }
    state.counters["entities"] = pieces;
    ProfileDelete(moved);
    ProfileDelete(ring);
}
BENCHMARK(BM_Combine)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_Offset(benchmark::State& state, double distance)
{
    Profile* ring = wavy_ring();
    uint32_t profiles = 0;
    for (auto _ : state) {
        Profiles* result = nullptr;
        ProfileOffset(ring, distance, 1, 1, &result);
        profiles = ProfilesCount(result);
        ProfilesDelete(result);
    }
    state.counters["profiles"] = profiles;
    ProfileDelete(ring);
}
BENCHMARK_CAPTURE(BM_Offset, grow, 0.2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Offset, shrink, -0.2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Offset, grow_small, 0.02)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Offset, shrink_small, -0.02)->Unit(benchmark::kMillisecond);


constexpr int kScattered = 100000;
constexpr double kWorldSide = 1000;

// 100,000 lines and arcs, alternately, in lists of profiles of 1,000, at places a fixed
// generator picks: the same drawing on every run.
ProfileDrawing* scattered_drawing()
{
    ProfileDrawing* drawing = ProfileDrawingCreate();
    Profiles* list = ProfilesCreate();
    uint64_t state = 0x2545F4914F6CDD1DULL;
    const auto next = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) / static_cast<double>(1ULL << 53);
    };
    Profile* profile = nullptr;
    for (int k = 0; k < kScattered; ++k) {
        if (k % 1000 == 0) {
            profile = ProfileCreate();
            ProfilesInsert(list, -1, profile);
        }
        const double x = next() * kWorldSide;
        const double y = next() * kWorldSide;
        if (k % 2 == 0) {
            const double angle = next() * 2 * std::numbers::pi;
            const double length = 0.5 + next() * 5;
            ProfileAddLine(profile, x, y, x + length * std::cos(angle),
                           y + length * std::sin(angle), 0);
        } else {
            const double start = next() * 2 * std::numbers::pi;
            const double sweep = 0.2 + next() * 6;
            ProfileAddArc(profile, x, y, 0.2 + next() * 3, start, start + sweep,
                          k % 4 == 1 ? 1 : -1, 0);
        }
    }
    ProfileDrawingInsertProfiles(drawing, -1, list);
    return drawing;
}

void BM_ViewPortRender(benchmark::State& state, double view_side)
{
    ProfileDrawing* drawing = scattered_drawing();
    BitMap* bitmap = AllocBitMap(1920, 1080, nullptr);
    RastPort* port = bitmap != nullptr ? AllocBitMapRastPort(bitmap) : nullptr;
    ViewPort* view = port != nullptr ? ViewPortCreate(port) : nullptr;
    if (drawing == nullptr || view == nullptr) {
        state.SkipWithError("no drawing or port");
    } else {
        SetAPen(port, 0x00FFFFFF);
        const Rectangle2DRec device{{0, 0}, {1919, 1079}};
        const double middle = kWorldSide / 2;
        const Rectangle2DRec world{{middle - view_side / 2, middle - view_side / 2},
                                   {middle + view_side / 2, middle + view_side / 2}};
        ViewPortSetSize(view, &device, &world);
        ViewPortSetDrawing(view, drawing);
        for (auto _ : state)
            ViewPortRender(view);
        state.counters["entities"] = kScattered;
    }
    ViewPortDelete(view);
    FreeBitMapRastPort(port);
    FreeBitMap(bitmap);
    ProfileDrawingDelete(drawing);
}
BENCHMARK_CAPTURE(BM_ViewPortRender, full, kWorldSide)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ViewPortRender, zoomed, kWorldSide / 100)->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
