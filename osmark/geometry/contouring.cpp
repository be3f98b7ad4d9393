// Contouring: loose lines and arcs chained into profiles, numbered and nested.

#include "osmark/contouring.h"

#include "geometry/curves.h"
#include "geometry/entity_geometry.h"
#include "geometry/profile_store.h"
#include "geometry/tolerance.h"
#include "osmark/containment.h"
#include "osmark/lines_arcs.h"
#include "osmark/owners.h"
#include "osmark/profile_entities.h"
#include "osmark/profiles.h"

#include <cmath>

using namespace osmark::geometry;

namespace {

constexpr uint32_t kRecordsPerPage = 100;

ContourNode& node_at(PagedArray* nodes, uint32_t index) noexcept
{
    return *static_cast<ContourNode*>(PagedArrayGet(nodes, index));
}

ContourCandidate& candidate_at(PagedArray* candidates, uint32_t index) noexcept
{
    return *static_cast<ContourCandidate*>(PagedArrayGet(candidates, index));
}

// Which end of a node meets the point within the tolerance: 0 its start, 1 its end
// (the nearer when both do), -1 neither.
int32_t end_match(const ContourNode& node, const Point2DRec& point, double tolerance) noexcept
{
    const bool start = points_equal(node.start, point, tolerance);
    const bool end = points_equal(node.end, point, tolerance);
    if (start && end)
        return beats(line_length(point, node.start), line_length(point, node.end)) ? 0 : 1;
    if (start)
        return 0;
    return end ? 1 : -1;
}

// The counter-clockwise pair of angles of an arc, through CorrectAngle.
struct CcwAngles {
    double first;
    double second;
};

CcwAngles ccw_angles(const Arc2DRec& arc) noexcept
{
    if (arc.direction >= 0)
        return CcwAngles{CorrectAngle(arc.start_angle), CorrectAngle(arc.end_angle)};
    return CcwAngles{CorrectAngle(arc.end_angle), CorrectAngle(arc.start_angle)};
}

// The same curve as the last entity: chaining it would run back over the chain.
bool is_duplicate(const ProfileEntityRec& e, const ProfileEntityRec& last) noexcept
{
    if (e.type != last.type)
        return false;
    if (is_line(e)) {
        const Line2DRec a = line_of(e);
        const Line2DRec b = line_of(last);
        return (points_equal(b.start, a.start) && points_equal(b.end, a.end)) ||
               (points_equal(b.start, a.end) && points_equal(b.end, a.start));
    }
    if (is_arc(e)) {
        const Arc2DRec a = arc_of(e);
        const Arc2DRec b = arc_of(last);
        const CcwAngles pa = ccw_angles(a);
        const CcwAngles pb = ccw_angles(b);
        return points_equal(a.centre, b.centre) && std::fabs(a.radius - b.radius) < kTolerance &&
               std::fabs(pa.first - pb.first) < kTolerance &&
               std::fabs(pa.second - pb.second) < kTolerance;
    }
    return false;
}

// Directions that lie along one line: equal or opposite.
bool along_one_line(double angle_a, double angle_b) noexcept
{
    const double difference = std::fabs(angle_a - angle_b);
    return is_near_zero(difference) || is_near(difference, kPi) || is_near(difference, kTwoPi);
}

// The candidate runs on along the last entity's line or circle through the chain end;
// reversed tells whether it must turn to run the chain's way.
bool continues(const ProfileEntityRec& e, const ProfileEntityRec& last, const Point2DRec& chain_end,
               uint32_t& reversed) noexcept
{
    if (e.type != last.type)
        return false;
    if (is_line(e)) {
        const Line2DRec a = line_of(e);
        const Line2DRec l = line_of(last);
        if (!along_one_line(line_angle(a.start, a.end), line_angle(l.start, l.end)) ||
            !point_on_line(a.start, a.end, chain_end))
            return false;
        const double ahead = (a.end.x - chain_end.x) * (chain_end.x - l.start.x) +
                             (a.end.y - chain_end.y) * (chain_end.y - l.start.y);
        reversed = ahead < kTolerance ? 1 : 0;
        return true;
    }
    if (is_arc(e)) {
        const Arc2DRec a = arc_of(e);
        const Arc2DRec l = arc_of(last);
        if (!points_equal(a.centre, l.centre) || !point_on_arc(a, chain_end))
            return false;
        const double turns =
            arc_angle(l.start_angle, l.end_angle, l.direction) * direction_sign(l.direction) *
            arc_angle(a.start_angle, a.end_angle, a.direction) * direction_sign(a.direction);
        reversed = turns < kTolerance ? 1 : 0;
        return true;
    }
    return false;
}

// Moves the start (at_start) or the end of an entity onto a point; an arc is fitted
// anew through its ends along its start tangent and stays as it was when that fails.
void move_end(ProfileEntityRec& e, bool at_start, const Point2DRec& point) noexcept
{
    if (is_line(e)) {
        if (at_start) {
            e.d1 = point.x;
            e.d2 = point.y;
        } else {
            e.d3 = point.x;
            e.d4 = point.y;
        }
        return;
    }
    if (!is_arc(e))
        return;
    const Arc2DRec arc = arc_of(e);
    const Point2DRec s = at_start ? point : arc_start(arc);
    const Point2DRec end = at_start ? arc_end(arc) : point;
    Point2DRec tangent{};
    ProfileEntityTangent(&e, 0.0, &tangent);
    Arc2DRec fitted{};
    if (!FitArc2PointsVector(&s, &end, &tangent, &fitted.centre, &fitted.radius,
                             &fitted.start_angle, &fitted.end_angle, &fitted.direction))
        return;
    e.d1 = fitted.centre.x;
    e.d2 = fitted.centre.y;
    e.d3 = fitted.radius;
    e.d4 = fitted.start_angle;
    e.d5 = fitted.end_angle;
    e.direction = fitted.direction;
}

// The built-in chooser: of the candidates whose far end leads on (another entity goes
// on from it to somewhere other than back to the joining end), an end match nearest the
// chain end, or at once one that continues the last entity; a candidate whose far end
// is a dead end only while none leads on, the last such one.
int32_t builtin_chooser(PagedArray* candidates, PagedArray* nodes, const Point2DRec* chain_end,
                        double tolerance, ContourCandidate* choice) noexcept
{
    const uint32_t node_count = PagedArrayGetCount(nodes);
    bool chosen = false;
    bool leading_seen = false;
    double best = HUGE_VAL;
    for (uint32_t i = 0, count = PagedArrayGetCount(candidates); i < count; ++i) {
        const ContourCandidate candidate = candidate_at(candidates, i);
        const ContourNode& node = node_at(nodes, candidate.node_index);
        const Point2DRec& joining = candidate.reversed != 0 ? node.end : node.start;
        const Point2DRec& far = candidate.reversed != 0 ? node.start : node.end;
        bool leads_on = false;
        for (uint32_t j = 0; j < node_count && !leads_on; ++j) {
            if (j == candidate.node_index)
                continue;
            const ContourNode& other = node_at(nodes, j);
            const int32_t match = end_match(other, far, tolerance);
            if (match < 0)
                continue;
            const Point2DRec& other_end = match == 0 ? other.end : other.start;
            leads_on = !points_equal(other_end, joining, tolerance);
        }
        if (!leads_on) {
            if (!leading_seen) {
                *choice = candidate;
                chosen = true;
            }
            continue;
        }
        if (candidate.kind == ContourContinues) {
            *choice = candidate;
            return 1;
        }
        if (candidate.kind != ContourEndMatch)
            return 0;
        const double distance = line_length(*chain_end, joining);
        if (!leading_seen || beats(distance, best)) {
            *choice = candidate;
            best = distance;
        }
        leading_seen = true;
        chosen = true;
    }
    return chosen ? 1 : 0;
}

class Chainer {
public:
    Chainer(const Profile& source, ContourChooser chooser, double tolerance, bool snap,
            Profiles* result) noexcept
        : source_(source), chooser_(chooser != nullptr ? chooser : builtin_chooser),
          tolerance_(tolerance), snap_(snap), result_(result)
    {
    }

    void run() noexcept
    {
        const osmark::PagedArrayOwner nodes(PagedArrayCreate(sizeof(ContourNode), kRecordsPerPage));
        const osmark::PagedArrayOwner candidates(
            PagedArrayCreate(sizeof(ContourCandidate), kRecordsPerPage));
        const osmark::ProfileOwner chain(ProfileCreate());
        if (nodes == nullptr || candidates == nullptr || chain == nullptr)
            return;
        nodes_ = nodes.get();
        candidates_ = candidates.get();
        chain_ = chain.get();
        const uint32_t total = entity_count(source_);
        uint32_t consumed = 0;
        for (uint32_t i = 0; i < total; ++i) {
            ContourNode node{i, 0, 0, {}, {}};
            const ProfileEntityRec& e = *entity_at(source_, i);
            if (!entity_point(e, 0.0, node.start) || !entity_point(e, 1.0, node.end)) {
                node.used = 1; // no line or arc: nothing to chain
                ++consumed;
            }
            if (PagedArrayAdd(nodes_, &node) < 0)
                return;
        }
        while (consumed < total) {
            consumed += start_or_collect();
            if (!open_)
                break;
            consumed += extend();
        }
        // The last entity may extend a chain that then has nowhere to go.
        if (open_)
            finish_chain();
    }

private:
    const ProfileEntityRec& entity_of(const ContourNode& node) const noexcept
    {
        return *entity_at(source_, node.entity_index);
    }

    void emit(Profile* profile) noexcept
    {
        if (profile != nullptr && !ProfilesInsert(result_, -1, profile))
            ProfileDelete(profile);
    }

    void finish_chain() noexcept
    {
        emit(ProfileCopy(chain_));
        open_ = false;
    }

    // One pass over the free nodes: entities that close on themselves become profiles,
    // the first free one starts a chain when none is open, the others that meet the
    // chain end become candidates. Answers the number of entities consumed.
    uint32_t start_or_collect() noexcept
    {
        uint32_t consumed = 0;
        PagedArrayClear(candidates_);
        for (uint32_t i = 0, count = PagedArrayGetCount(nodes_); i < count; ++i) {
            ContourNode& node = node_at(nodes_, i);
            if (node.used != 0)
                continue;
            const ProfileEntityRec& e = entity_of(node);
            if (points_equal(node.start, node.end, tolerance_)) {
                Profile* own = ProfileCreate();
                if (own != nullptr)
                    append_entity(*own, e);
                emit(own);
                node.used = 1;
                ++consumed;
            } else if (!open_) {
                clear_entities(*chain_);
                append_entity(*chain_, e);
                last_ = e;
                chain_start_ = node.start;
                chain_end_ = node.end;
                node.used = 1;
                ++consumed;
                open_ = true;
            } else {
                const int32_t match = end_match(node, chain_end_, tolerance_);
                if (match >= 0 && !is_duplicate(e, last_))
                    add_candidate(i, static_cast<uint32_t>(match), ContourEndMatch);
            }
        }
        return consumed;
    }

    void add_candidate(uint32_t node_index, uint32_t reversed, uint32_t kind) noexcept
    {
        const ContourCandidate candidate{node_index, reversed, kind};
        PagedArrayAdd(candidates_, &candidate);
    }

    // The chooser's answer, when it names one of the candidates.
    bool choose(ContourCandidate& chosen) noexcept
    {
        ContourCandidate answer{};
        const Point2DRec chain_end = chain_end_;
        if (chooser_(candidates_, nodes_, &chain_end, tolerance_, &answer) == 0)
            return false;
        for (uint32_t i = 0, count = PagedArrayGetCount(candidates_); i < count; ++i) {
            const ContourCandidate& candidate = candidate_at(candidates_, i);
            if (candidate.node_index == answer.node_index &&
                candidate.reversed == answer.reversed) {
                chosen = candidate;
                return true;
            }
        }
        return false;
    }

    // Extends the open chain by the chosen candidate, closing it when it comes back to
    // its start; finishes it when there is none. Answers the entities consumed.
    uint32_t extend() noexcept
    {
        ContourCandidate chosen{};
        if (!choose(chosen)) {
            PagedArrayClear(candidates_);
            for (uint32_t i = 0, count = PagedArrayGetCount(nodes_); i < count; ++i) {
                const ContourNode& node = node_at(nodes_, i);
                uint32_t reversed = 0;
                if (node.used == 0 && continues(entity_of(node), last_, chain_end_, reversed) &&
                    !is_duplicate(entity_of(node), last_))
                    add_candidate(i, reversed, ContourContinues);
            }
            if (!choose(chosen)) {
                finish_chain();
                return 0;
            }
        }
        ContourNode& node = node_at(nodes_, chosen.node_index);
        ProfileEntityRec e = entity_of(node);
        if (chosen.reversed != 0)
            ProfileEntityReverse(&e);
        if (snap_ || chosen.kind == ContourContinues)
            move_end(e, true, chain_end_);
        node.used = 1;
        chain_end_ = chosen.reversed != 0 ? node.start : node.end;
        const bool start_on_e = point_on_entity(e, chain_start_);
        if (start_on_e || points_equal(chain_end_, chain_start_, tolerance_)) {
            if (snap_ || start_on_e)
                move_end(e, false, chain_start_);
            append_entity(*chain_, e);
            finish_chain();
        } else {
            append_entity(*chain_, e);
            last_ = e;
        }
        return 1;
    }

    const Profile& source_;
    ContourChooser chooser_;
    double tolerance_;
    bool snap_;
    Profiles* result_;
    PagedArray* nodes_ = nullptr;
    PagedArray* candidates_ = nullptr;
    Profile* chain_ = nullptr;
    bool open_ = false;
    ProfileEntityRec last_{};
    Point2DRec chain_start_{};
    Point2DRec chain_end_{};
};

int32_t by_level_then_id(uintptr_t a, uintptr_t b)
{
    const Profile* pa = reinterpret_cast<const Profile*>(a);
    const Profile* pb = reinterpret_cast<const Profile*>(b);
    if (pa->level != pb->level)
        return pa->level < pb->level ? -1 : 1;
    if (pa->id != pb->id)
        return pa->id < pb->id ? -1 : 1;
    return 0;
}

void number_and_nest(Profiles* list) noexcept
{
    const uint32_t count = ProfilesCount(list);
    for (uint32_t i = 0; i < count; ++i) {
        Profile* p = ProfilesProfile(list, i);
        p->id = static_cast<int32_t>(i + 1);
        p->level = 0;
        p->parent_id = 0;
    }
    for (uint32_t i = 0; i < count; ++i) {
        Profile* pi = ProfilesProfile(list, i);
        for (uint32_t j = i + 1; j < count; ++j) {
            Profile* pj = ProfilesProfile(list, j);
            const int32_t relation = ProfileInProfile(pi, pj);
            if (relation == ProfileFirstInside && ProfileOpen(pj) == 0)
                ++pi->level;
            else if (relation == ProfileSecondInside && ProfileOpen(pi) == 0)
                ++pj->level;
        }
    }
    for (uint32_t i = 0; i < count; ++i) {
        Profile* p = ProfilesProfile(list, i);
        if (p->level == 0)
            continue;
        for (uint32_t j = 0; j < count; ++j) {
            Profile* q = ProfilesProfile(list, j);
            if (q->level == p->level - 1 && ProfileInProfile(p, q) == ProfileFirstInside) {
                p->parent_id = q->id;
                break;
            }
        }
    }
    ArraySort(list, 0, count, by_level_then_id);
}

}

extern "C" {

OSMARK_API Profiles* ProfileContour(const Profile* source, ContourChooser chooser, double tolerance,
                                    int32_t snap) noexcept
{
    Profiles* list = ProfilesCreate();
    if (list == nullptr)
        return nullptr;
    if (source == nullptr || entity_count(*source) == 0)
        return list;
    Chainer(*source, chooser, tolerance > 0.0 ? tolerance : kTolerance, snap != 0, list).run();
    number_and_nest(list);
    return list;
}
}
