// Combination of two closed profiles: each boundary is split where the other crosses
// it, every piece stays or goes by a point just beside its middle, overlapping pieces
// are removed, and the pieces kept are chained again by contouring.

#include "osmark/combination.h"

#include "geometry/curves.h"
#include "geometry/entity_geometry.h"
#include "geometry/profile_store.h"
#include "geometry/tolerance.h"
#include "osmark/containment.h"
#include "osmark/contouring.h"
#include "osmark/lines_arcs.h"
#include "osmark/owners.h"
#include "osmark/point_buffers.h"
#include "osmark/profile_entities.h"
#include "osmark/profiles.h"
#include "osmark/vectors.h"

#include <cmath>

using namespace osmark::geometry;

namespace {

// The test point lies this far beside a piece's middle.
constexpr double kSideOffset = 2e-6;

// Which pieces of one profile stay: those whose test point, on the given side (+1 left
// of the direction of travel, -1 right), lies inside (or outside) the other profile.
struct PieceRule {
    const Profile* other;
    int32_t side;
    bool keep_inside;

    bool keeps(const ProfileEntityRec& piece) const noexcept
    {
        if (side != 1 && side != -1)
            return false;
        Point2DRec middle{};
        Point2DRec tangent{};
        if (!ProfileEntityPoint(&piece, 0.5, 1, &middle) ||
            !ProfileEntityTangent(&piece, 0.5, &tangent))
            return false;
        Point2DRec offset{};
        VectorLengthAngleToVec(kSideOffset, VectorAngleOfVec(&tangent) + side * kHalfPi, &offset);
        Point2DRec test{};
        VectorPntPlusVec(&middle, &offset, &test);
        return (PointInProfile(other, &test) != 0) == keep_inside;
    }
};

struct Rules {
    PieceRule of_a;
    PieceRule of_b;
};

// The piece rules of an operation; d is a profile's direction, the side follows it.
Rules rules_for(int32_t operation, int32_t dir_a, int32_t dir_b, const Profile* a,
                const Profile* b) noexcept
{
    const auto side = [](int32_t d, bool left_for_ccw) {
        if (d != 1 && d != -1)
            return 0;
        return left_for_ccw ? d : -d;
    };
    switch (operation) {
    case CombineIntersection:
        return Rules{{b, side(dir_b, true), true}, {a, side(dir_a, true), true}};
    case CombineUnion:
        return Rules{{b, side(dir_b, false), false}, {a, side(dir_a, false), false}};
    default: // difference
        return Rules{{b, side(-dir_a, false), false}, {a, side(-dir_b, true), true}};
    }
}

void drop(ProfileEntityRec& entity) noexcept
{
    entity.type = EntityTypeNone;
}

// Splits every entity of work that the other profile crosses into pieces and keeps the
// pieces (or unsplit entities) that the rule keeps; what is left behind is dropped.
void split_and_sort(Profile& work, const Profile& other, const PieceRule& rule,
                    PointBuffer points) noexcept
{
    for (uint32_t i = 0, count = entity_count(work); i < count; ++i) {
        const ProfileEntityRec e = *entity_at(work, i);
        Point2DRec start{};
        Point2DRec end{};
        if (!entity_point(e, 0.0, start) || !entity_point(e, 1.0, end))
            continue;
        PointBufferSetCount(points, 0);
        ProfileProfileEntityIntersect(&other, &e, 1, 1, points);
        const uint32_t found = points->count;
        if (found == 0) {
            if (!rule.keeps(e))
                drop(*entity_at(work, i));
            continue;
        }
        const auto add_piece = [&](const Point2DRec& from, const Point2DRec& to) {
            ProfileEntityRec piece = e;
            ProfileEntityChangeEndPoint(&piece, 1, &from);
            ProfileEntityChangeEndPoint(&piece, 0, &to);
            if (rule.keeps(piece))
                append_entity(work, piece);
        };
        ProfileEntityRec remainder = e;
        Point2DRec previous = start;
        Point2DRec reached = end;
        for (uint32_t k = 0; k < found; ++k) {
            Point2DRec next{};
            if (!ProfileEntityFirstPointOn(&remainder, points->points, found, 1, 0, &next))
                break;
            ProfileEntityChangeEndPoint(&remainder, 1, &next);
            add_piece(previous, next);
            previous = next;
            reached = next;
        }
        if (!points_equal(reached, end))
            add_piece(previous, end);
        drop(*entity_at(work, i));
    }
}

// Makes e lose the stretch p0-p1 it shares with another entity, from the end of e that
// lies at one end of that stretch.
void cut_shared(ProfileEntityRec& e, const Point2DRec& p0, const Point2DRec& p1) noexcept
{
    Point2DRec start{};
    Point2DRec end{};
    entity_point(e, 0.0, start);
    entity_point(e, 1.0, end);
    if (points_equal(start, p0))
        ProfileEntityChangeEndPoint(&e, 1, &p1);
    else if (points_equal(start, p1))
        ProfileEntityChangeEndPoint(&e, 1, &p0);
    else if (points_equal(end, p0))
        ProfileEntityChangeEndPoint(&e, 0, &p1);
    else if (points_equal(end, p1))
        ProfileEntityChangeEndPoint(&e, 0, &p0);
}

// Drops one of two pieces that lie on one another, or cuts the shared stretch off the
// first. The shared part goes into a small buffer.
void remove_overlap(ProfileEntityRec& e, ProfileEntityRec& f, PointBuffer shared) noexcept
{
    if (e.type != f.type || e.type == EntityTypeNone)
        return;
    PointBufferSetCount(shared, 0);
    int32_t embedded = EmbeddedNone;
    if (is_line(e)) {
        const Line2DRec a = line_of(e);
        const Line2DRec b = line_of(f);
        embedded = LineIsEmbedded(&a.start, &a.end, &b.start, &b.end);
        if (embedded == EmbeddedNone)
            LineOverlap(&a.start, &a.end, &b.start, &b.end, shared);
    } else {
        const Arc2DRec a = arc_of(e);
        const Arc2DRec b = arc_of(f);
        embedded = ArcIsEmbedded(&a.centre, a.radius, a.start_angle, a.end_angle, a.direction,
                                 &b.centre, b.radius, b.start_angle, b.end_angle, b.direction);
        if (embedded == EmbeddedNone)
            ArcsOverlap(&a.centre, a.radius, a.start_angle, a.end_angle, a.direction, &b.centre,
                        b.radius, b.start_angle, b.end_angle, b.direction, shared);
    }
    if (embedded == EmbeddedFirstInSecond) {
        drop(e);
    } else if (embedded != EmbeddedNone) {
        drop(f);
    } else if (shared->count == 2) {
        const Point2DRec p0 = shared->points[0];
        const Point2DRec p1 = shared->points[1];
        cut_shared(e, p0, p1);
    }
}

void remove_overlaps(Profile& first, Profile& second, bool same, PointBuffer shared) noexcept
{
    for (uint32_t i = 0, count_first = entity_count(first); i < count_first; ++i) {
        ProfileEntityRec& e = *entity_at(first, i);
        for (uint32_t j = same ? i + 1 : 0, count_second = entity_count(second);
             j < count_second && e.type != EntityTypeNone; ++j)
            remove_overlap(e, *entity_at(second, j), shared);
    }
}

// Merges, in one profile, every two lines that meet end to end and lie along one line
// into one line that keeps the first one's direction of travel.
void merge_collinear(Profile& profile) noexcept
{
    for (uint32_t i = 0; i < entity_count(profile); ++i) {
        for (uint32_t j = i + 1; j < entity_count(profile);) {
            ProfileEntityRec& e = *entity_at(profile, i);
            const ProfileEntityRec& f = *entity_at(profile, j);
            if (!is_line(e) || !is_line(f)) {
                ++j;
                continue;
            }
            const Line2DRec a = line_of(e);
            const Line2DRec b = line_of(f);
            const int32_t meeting = LineIsEndToEnd(&a.start, &a.end, &b.start, &b.end, nullptr);
            // The far end on e's start side, then the one on its end side.
            Point2DRec from{};
            Point2DRec to{};
            switch (meeting) {
            case 1: // start to start
                from = b.end;
                to = a.end;
                break;
            case 2: // e's end to f's start
                from = a.start;
                to = b.end;
                break;
            case 3: // e's start to f's end
                from = b.start;
                to = a.end;
                break;
            case 4: // end to end
                from = a.start;
                to = b.start;
                break;
            default:
                ++j;
                continue;
            }
            if (!point_on_line(from, to, a.start) || !point_on_line(from, to, a.end) ||
                !point_on_line(from, to, b.start) || !point_on_line(from, to, b.end)) {
                ++j;
                continue;
            }
            e.d1 = from.x;
            e.d2 = from.y;
            e.d3 = to.x;
            e.d4 = to.y;
            ProfileRemove(&profile, j); // the next entity moves into place j
        }
    }
}

// The general path: split, sort, remove overlaps, chain again.
Profiles* combine_crossing(const Profile& a, const Profile& b, const Rules& rules) noexcept
{
    const osmark::ProfileOwner work_a(ProfileCopy(&a));
    const osmark::ProfileOwner work_b(ProfileCopy(&b));
    const osmark::PointBufferOwner points(PointBufferCreate());
    const osmark::ProfileOwner kept(ProfileCreate());
    if (work_a == nullptr || work_b == nullptr || points == nullptr || kept == nullptr)
        return ProfilesCreate();
    split_and_sort(*work_a, b, rules.of_a, points.get());
    split_and_sort(*work_b, a, rules.of_b, points.get());
    remove_overlaps(*work_a, *work_a, true, points.get());
    remove_overlaps(*work_b, *work_b, true, points.get());
    remove_overlaps(*work_a, *work_b, false, points.get());
    for (const Profile* work : {work_a.get(), work_b.get()}) {
        for (uint32_t i = 0, count = entity_count(*work); i < count; ++i) {
            const ProfileEntityRec& e = *entity_at(*work, i);
            if (e.type != EntityTypeNone && !append_entity(*kept, e))
                return ProfilesCreate();
        }
    }
    return ProfileContour(kept.get(), nullptr, kept->accuracy, 1);
}

bool append_copy(Profiles* list, const Profile* profile) noexcept
{
    Profile* copy = ProfileCopy(profile);
    if (copy != nullptr && ProfilesInsert(list, -1, copy))
        return true;
    ProfileDelete(copy);
    return false;
}

// A point of the profile's boundary: its first entity's start.
bool first_point(const Profile& profile, Point2DRec& point) noexcept
{
    const ProfileEntityRec* first = entity_at(profile, 0);
    return first != nullptr && entity_point(*first, 0.0, point);
}

// Boundaries that do not meet: whether one profile holds the other. Enclosing extents
// are not enough (a profile in the notch of an L lies within the L's extents).
int32_t nesting(Profile& a, Profile& b, int32_t extents_relation) noexcept
{
    Point2DRec point{};
    if (extents_relation == ExtentsContains)
        return first_point(b, point) && PointInProfile(&a, &point) ? ExtentsContains : ExtentsApart;
    if (extents_relation == ExtentsInside)
        return first_point(a, point) && PointInProfile(&b, &point) ? ExtentsInside : ExtentsApart;
    return ExtentsApart;
}

void take_shortcut(Profiles* list, const Profile* a, const Profile* b, int32_t operation,
                   int32_t relation) noexcept
{
    const Profile* first = nullptr;
    const Profile* second = nullptr;
    switch (operation * 4 + relation) {
    case CombineIntersection * 4 + ExtentsContains:
        first = b;
        break;
    case CombineIntersection * 4 + ExtentsInside:
        first = a;
        break;
    case CombineUnion * 4 + ExtentsContains:
        first = a;
        break;
    case CombineUnion * 4 + ExtentsInside:
        first = b;
        break;
    case CombineUnion * 4 + ExtentsApart:
    case CombineDifference * 4 + ExtentsContains:
        first = a;
        second = b;
        break;
    case CombineDifference * 4 + ExtentsApart:
        first = a;
        break;
    default: // intersection of profiles apart, difference of a profile inside another
        break;
    }
    if (first != nullptr)
        append_copy(list, first);
    if (second != nullptr)
        append_copy(list, second);
}

}

extern "C" {

OSMARK_API Profiles* ProfileCombine(Profile* a, Profile* b, int32_t operation) noexcept
{
    if (a == nullptr || b == nullptr || operation < CombineIntersection ||
        operation > CombineDifference)
        return nullptr;
    // An open profile can have an area by its line integral: ask both.
    if (ProfileOpen(a) != 0 || ProfileOpen(b) != 0)
        return nullptr;
    const int32_t dir_a = ProfileDir(a);
    const int32_t dir_b = ProfileDir(b);
    if (dir_a == 0 || dir_b == 0)
        return nullptr;
    Rectangle2DRec extents_a{};
    Rectangle2DRec extents_b{};
    if (!ProfileExtents(a, &extents_a) || !ProfileExtents(b, &extents_b))
        return nullptr;
    const int32_t relation = ExtentsCmp(&extents_a, &extents_b);
    const bool meet = relation != ExtentsApart && ProfileProfileIntersect(a, b, 0, nullptr) != 0;
    Profiles* list = nullptr;
    if (meet || relation == ExtentsOverlap) {
        list = combine_crossing(*a, *b, rules_for(operation, dir_a, dir_b, a, b));
    } else {
        list = ProfilesCreate();
        if (list != nullptr)
            take_shortcut(list, a, b, operation, nesting(*a, *b, relation));
    }
    if (list == nullptr)
        return nullptr;
    for (uint32_t i = 0, count = ProfilesCount(list); i < count; ++i)
        merge_collinear(*ProfilesProfile(list, i));
    if (ProfilesCount(list) == 1 && ProfileEntityCount(ProfilesProfile(list, 0)) == 0) {
        ProfileDelete(ProfilesProfile(list, 0));
        ProfilesRemove(list, 0);
    }
    return list;
}
}
