// Offsetting: every entity moved sideways, neighbours trimmed or joined, the chain cut
// at its self-crossings into loops, and the loops that keep the distance from the
// source finished and emitted.

#include "osmark/offsetting.h"

#include "geometry/curves.h"
#include "geometry/entity_geometry.h"
#include "geometry/intersect.h"
#include "geometry/profile_store.h"
#include "geometry/tolerance.h"
#include "osmark/lines_arcs.h"
#include "osmark/owners.h"
#include "osmark/profile_entities.h"
#include "osmark/profiles.h"
#include "osmark/vectors.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>
#include <vector>

using namespace osmark::geometry;

namespace {

constexpr double kDegree = kPi / 180.0;
// A join arc this wide or wider is fitted the other way round.
constexpr double kWidestJoin = 180.1 * kDegree;
// Mitre rays closer in angle than this do not meet usefully.
constexpr double kNarrowestMitre = 0.01 * kDegree;
// Arc joins this wide or wider stay arcs whatever the join type.
constexpr double kWidestReplaced = 170.0 * kDegree;
// The middle piece of an arc split at its lowest point.
constexpr double kLowestPiece = 0.001;
constexpr double kThreeHalfPi = 1.5 * kPi;
// Self-crossings cut per loop at most: a guard against rounding that keeps finding one.
constexpr int kMostCuts = 100000;

enum class State {
    Real = 1,
    Collapsed = 2 // the entity's d1, d2 hold the point it collapsed to
};

enum class Kind {
    Offset = 1, // the offset of a source entity
    Join = 2,   // a piece of a join
};

enum class Side {
    Left = 1,
    Right = 2
};

struct OffsetRecord {
    ProfileEntityRec entity{};
    Rectangle2DRec extents{};
    State state = State::Real;
    Kind kind = Kind::Offset;
    uint32_t source_index = 0;
    uint32_t next_source_index = 0;

    bool real() const noexcept { return state == State::Real; }
};

using Records = std::vector<OffsetRecord>;

struct Loop {
    Records records;
    uint32_t source_index = 0; // where the cut that made it started
};

Point2DRec collapse_point(const OffsetRecord& record) noexcept
{
    return Point2DRec{record.entity.d1, record.entity.d2};
}

Point2DRec start_of(const OffsetRecord& record) noexcept
{
    if (!record.real())
        return collapse_point(record);
    Point2DRec point{};
    entity_point(record.entity, 0.0, point);
    return point;
}

Point2DRec end_of(const OffsetRecord& record) noexcept
{
    if (!record.real())
        return collapse_point(record);
    Point2DRec point{};
    entity_point(record.entity, 1.0, point);
    return point;
}

void update_extents(OffsetRecord& record) noexcept
{
    if (record.real()) {
        ProfileEntityExtents(&record.entity, &record.extents);
    } else {
        const Point2DRec point = collapse_point(record);
        record.extents = Rectangle2DRec{point, point};
    }
}

void collapse(OffsetRecord& record, const Point2DRec& point) noexcept
{
    record.state = State::Collapsed;
    record.entity.d1 = point.x;
    record.entity.d2 = point.y;
    update_extents(record);
}

// Moves one end of a real record; a record whose ends then coincide collapses there.
void move_end(OffsetRecord& record, bool at_start, const Point2DRec& point) noexcept
{
    if (!record.real())
        return;
    const Point2DRec other = at_start ? end_of(record) : start_of(record);
    if (points_equal(other, point)) {
        collapse(record, point);
        return;
    }
    ProfileEntityChangeEndPoint(&record.entity, at_start ? 1 : 0, &point);
    if (points_equal(start_of(record), end_of(record)))
        collapse(record, point);
    else
        update_extents(record);
}

bool is_full_circle(const OffsetRecord& record) noexcept
{
    return record.real() && is_arc(record.entity) &&
           arc_angle(record.entity.d4, record.entity.d5, record.entity.direction) >=
               kTwoPi - kTolerance;
}

double length_of(const OffsetRecord& record) noexcept
{
    return record.real() ? ProfileEntityLength(&record.entity) : 0.0;
}

Point2DRec unit(const Point2DRec& v) noexcept
{
    Point2DRec out{};
    VectorUnitize(&v, &out);
    return out;
}

Point2DRec turned(const Point2DRec& v, bool clockwise) noexcept
{
    return clockwise ? Point2DRec{v.y, -v.x} : Point2DRec{-v.y, v.x};
}

Point2DRec plus(const Point2DRec& p, const Point2DRec& v, double factor = 1.0) noexcept
{
    return Point2DRec{p.x + factor * v.x, p.y + factor * v.y};
}

Point2DRec midpoint(const Point2DRec& a, const Point2DRec& b) noexcept
{
    return Point2DRec{(a.x + b.x) / 2.0, (a.y + b.y) / 2.0};
}

ProfileEntityRec line_entity(const Point2DRec& from, const Point2DRec& to) noexcept
{
    ProfileEntityRec line{};
    line.type = EntityTypeLine;
    line.d1 = from.x;
    line.d2 = from.y;
    line.d3 = to.x;
    line.d4 = to.y;
    return line;
}

ProfileEntityRec arc_entity(const Arc2DRec& arc) noexcept
{
    ProfileEntityRec entity{};
    entity.type = EntityTypeArc;
    entity.d1 = arc.centre.x;
    entity.d2 = arc.centre.y;
    entity.d3 = arc.radius;
    entity.d4 = arc.start_angle;
    entity.d5 = arc.end_angle;
    entity.direction = arc.direction;
    return entity;
}

OffsetRecord join_record(const ProfileEntityRec& entity, uint32_t source_index,
                         uint32_t next_source_index) noexcept
{
    OffsetRecord record;
    record.entity = entity;
    record.kind = Kind::Join;
    record.source_index = source_index;
    record.next_source_index = next_source_index;
    update_extents(record);
    return record;
}

// The geometry of the joins at one corner: A the end of the offset before it, B the
// start of the offset after it, P the source corner.
struct Corner {
    Point2DRec a;
    Point2DRec b;
    Point2DRec p;
    Side side;

    // The direction in which an arc about the corner leaves A (and, turned the other
    // way, the direction back from B).
    Point2DRec tangent_at_a() const noexcept
    {
        return turned(unit(Point2DRec{a.x - p.x, a.y - p.y}), side == Side::Left);
    }
    Point2DRec tangent_at_b() const noexcept
    {
        return turned(unit(Point2DRec{b.x - p.x, b.y - p.y}), side != Side::Left);
    }

    bool arc(Arc2DRec& join) const noexcept
    {
        Point2DRec tangent = tangent_at_a();
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (!FitArc2PointsVector(&a, &b, &tangent, &join.centre, &join.radius,
                                     &join.start_angle, &join.end_angle, &join.direction))
                return false;
            if (arc_angle(join.start_angle, join.end_angle, join.direction) < kWidestJoin)
                return true;
            tangent = Point2DRec{-tangent.x, -tangent.y};
        }
        return true;
    }

    bool mitre_point(Point2DRec& m) const noexcept
    {
        const Point2DRec ta = tangent_at_a();
        const Point2DRec tb = tangent_at_b();
        if (VectorAngleBetweenVecs(&ta, &tb) < kNarrowestMitre)
            return false;
        const PointSet crossing = ray_ray(a, VectorAngleOfVec(&ta), b, VectorAngleOfVec(&tb));
        if (crossing.empty())
            return false;
        m = crossing.points[0];
        return true;
    }
};

// The three bevel lines between the offsets before and after a corner.
void bevel_lines(const OffsetRecord& before, const OffsetRecord& after, const Corner& corner,
                 ProfileEntityRec lines[3]) noexcept
{
    Point2DRec along_before{};
    Point2DRec along_after{};
    ProfileEntityTangent(&before.entity, 1.0, &along_before);
    ProfileEntityTangent(&after.entity, 0.0, &along_after);
    along_before = unit(along_before);
    along_after = unit(along_after);
    const Point2DRec back{-along_before.x, -along_before.y};
    const double alpha = VectorAngleBetweenVecs(&back, &along_after);
    const double h = line_length(corner.p, corner.a);
    const double reach = h * std::tan((kPi - alpha) / 4.0);
    const Point2DRec a2 = plus(corner.a, along_before, reach);
    const Point2DRec b2 = plus(corner.b, along_after, -reach);
    lines[0] = line_entity(corner.a, a2);
    lines[1] = line_entity(a2, b2);
    lines[2] = line_entity(b2, corner.b);
}

struct Offsetter {
    const Profile& source;
    uint32_t count;
    double distance;
    Side side;
    bool closed;
    bool clean;
    int32_t join;
    Profiles* result;

    const ProfileEntityRec& source_entity(uint32_t index) const noexcept
    {
        return *entity_at(source, index);
    }

    Point2DRec source_corner(uint32_t index) const noexcept
    {
        Point2DRec point{};
        entity_point(source_entity(index), 1.0, point);
        return point;
    }

    uint32_t after(uint32_t index) const noexcept { return index + 1 < count ? index + 1 : 0; }

    // ---- the raw chain ----

    bool offset_entity(uint32_t index, OffsetRecord& record) const noexcept
    {
        const ProfileEntityRec& e = source_entity(index);
        record = OffsetRecord{};
        record.entity = e;
        record.entity.user = 0;
        record.source_index = index;
        if (is_line(e)) {
            const Line2DRec line = line_of(e);
            const double angle =
                line_angle(line.start, line.end) + (side == Side::Left ? kHalfPi : -kHalfPi);
            const Point2DRec shift{distance * std::cos(angle), distance * std::sin(angle)};
            record.entity.d1 += shift.x;
            record.entity.d2 += shift.y;
            record.entity.d3 += shift.x;
            record.entity.d4 += shift.y;
        } else if (is_arc(e)) {
            const Arc2DRec arc = arc_of(e);
            const bool grows = (side == Side::Left) == (direction_sign(arc.direction) < 0);
            const double r = arc.radius;
            if (grows) {
                record.entity.d3 = r + distance;
            } else if (is_near_zero(r - distance)) {
                collapse(record, arc.centre);
                return true;
            } else if (r - distance <= -kTolerance) {
                // Inside out: the arc passes to the other side of its centre.
                const Point2DRec s = arc_start(arc);
                const Point2DRec towards = unit(Point2DRec{arc.centre.x - s.x, arc.centre.y - s.y});
                const double start = line_angle(arc.centre, plus(s, towards, distance));
                record.entity.d3 = distance - r;
                record.entity.d4 = start;
                record.entity.d5 = CorrectAngle(
                    start + direction_sign(arc.direction) *
                                arc_angle(arc.start_angle, arc.end_angle, arc.direction));
            } else {
                record.entity.d3 = r - distance;
            }
        } else {
            return false;
        }
        update_extents(record);
        return true;
    }

    // The join pieces between two offsets at the end of source entity index.
    void add_joins(Records& chain, const OffsetRecord& cur, const OffsetRecord& nxt, uint32_t index,
                   int32_t type) const
    {
        const Corner corner{end_of(cur), start_of(nxt), source_corner(index), side};
        const uint32_t next_index = after(index);
        if (type == 1) {
            Arc2DRec arc{};
            if (corner.arc(arc))
                chain.push_back(join_record(arc_entity(arc), index, next_index));
        } else if (type == 2) {
            Point2DRec m{};
            if (corner.mitre_point(m)) {
                chain.push_back(join_record(line_entity(corner.a, m), index, next_index));
                chain.push_back(join_record(line_entity(m, corner.b), index, next_index));
            }
        } else if (type == 3) {
            ProfileEntityRec lines[3];
            bevel_lines(cur, nxt, corner, lines);
            for (const ProfileEntityRec& line : lines)
                chain.push_back(join_record(line, index, next_index));
        }
    }

    // Two offsets that cross are trimmed to their crossing nearest the end of the first.
    bool trim(OffsetRecord& cur, OffsetRecord& nxt) const noexcept
    {
        const PointSet points = entity_intersect(cur.entity, nxt.entity, nullptr);
        if (points.empty())
            return false;
        if (count == 2) {
            const Point2DRec start = start_of(cur);
            const Point2DRec end = end_of(cur);
            const auto at = [](const Point2DRec& p, const Point2DRec& q) {
                return points_equal(p, q);
            };
            if (points.count == 1 && at(points.points[0], start))
                return false;
            if (points.count == 2 && ((at(points.points[0], end) && at(points.points[1], start)) ||
                                      (at(points.points[0], start) && at(points.points[1], end))))
                return false;
        }
        Point2DRec x{};
        ProfileEntityFirstPointOn(&cur.entity, points.points, points.count, 0, 1, &x);
        move_end(cur, false, x);
        move_end(nxt, true, x);
        return true;
    }

    // false when the chain cannot be made.
    bool raw_chain(Records& chain) const
    {
        const int32_t type = clean ? 1 : join;
        OffsetRecord cur;
        if (!offset_entity(0, cur))
            return false;
        if (count == 1) {
            if (cur.real())
                chain.push_back(cur);
            return true;
        }
        bool set_aside = !cur.real(); // the collapsed first record, kept out of the chain
        OffsetRecord first_aside = cur;
        for (uint32_t i = 0; i < count; ++i) {
            const bool last = i + 1 == count;
            OffsetRecord nxt;
            if (!last) {
                if (!offset_entity(i + 1, nxt))
                    return false;
            } else {
                if (!closed) {
                    if (cur.real())
                        chain.push_back(cur);
                    return true;
                }
                if (!set_aside && chain.empty())
                    return false;
                nxt = set_aside ? first_aside : chain.front();
                if (nxt.kind != Kind::Offset || nxt.source_index != 0) {
                    if (cur.real())
                        chain.push_back(cur);
                    return true;
                }
            }
            Records joins;
            if (!cur.real() || !nxt.real()) {
                add_joins(joins, cur, nxt, i, 1);
            } else if (!trim(cur, nxt)) {
                add_joins(joins, cur, nxt, i, type);
            }
            if (last) {
                // The first record may have been trimmed at its start.
                if (set_aside)
                    first_aside = nxt;
                else
                    chain.front() = nxt;
            }
            if (cur.real())
                chain.push_back(cur);
            chain.insert(chain.end(), joins.begin(), joins.end());
            if (!last)
                cur = nxt;
        }
        return true;
    }

    // ---- the lowest point ----

    // Splits an arc at angle 3*pi/2 into its part before, a piece of 0.001 and its part
    // after, each turning its own way.
    static void split_at_bottom(const OffsetRecord& record, OffsetRecord pieces[3]) noexcept
    {
        const int32_t direction = direction_sign(record.entity.direction);
        const double start = CorrectAngle(record.entity.d4);
        const double end = record.entity.d5;
        const double beyond = kThreeHalfPi + direction * kLowestPiece;
        const double angles[4] = {start, kThreeHalfPi, beyond, end};
        for (int k = 0; k < 3; ++k) {
            pieces[k] = record;
            pieces[k].entity.d4 = angles[k];
            pieces[k].entity.d5 = angles[k + 1];
            pieces[k].entity.direction = direction;
            update_extents(pieces[k]);
        }
    }

    // Whether no source entity comes nearer to the point than the distance: a point of
    // the chain that lies on the offset itself, not on a loop that the cuts take away.
    bool keeps_clear(const Point2DRec& point) const noexcept
    {
        const Rectangle2DRec box{Point2DRec{point.x - distance, point.y - distance},
                                 Point2DRec{point.x + distance, point.y + distance}};
        for (uint32_t k = 0; k < count; ++k) {
            const ProfileEntityRec& entity = source_entity(k);
            Rectangle2DRec extents{};
            if (ProfileEntityExtents(&entity, &extents) && ExtentsIntersect(&box, &extents) &&
                !stays_clear(entity, point))
                return false;
        }
        return true;
    }

    // Starts the chain at its lowest point. The cuts keep the loop that holds the
    // chain's start and take off the others, so the start must lie on the offset: the
    // lowest point of a grown profile always does, but that of a shrunk one may lie on a
    // loop that dips back towards the source. Then a chain that is to be cut starts
    // instead at the lowest middle of a record that keeps the distance.
    void start_at_lowest(Records& chain) const
    {
        if (chain.size() < 2)
            return;
        double lowest = HUGE_VAL;
        Rectangle2DRec all = chain.front().extents;
        for (const OffsetRecord& record : chain) {
            lowest = std::fmin(lowest, record.extents.min.y);
            ExtentsAppend(&all, &record.extents);
        }
        size_t index = 0;
        for (size_t k = 0; k < chain.size(); ++k) {
            if (chain[k].extents.min.y - lowest < kTolerance)
                index = k;
        }
        const OffsetRecord& low = chain[index];
        bool split = false;
        if (low.real() && is_arc(low.entity) && start_of(low).y - lowest >= kTolerance &&
            end_of(low).y - lowest >= kTolerance) {
            const Line2DRec across{Point2DRec{all.min.x, lowest}, Point2DRec{all.max.x, lowest}};
            split = !line_arc(across, arc_of(low.entity)).empty();
        }
        OffsetRecord pieces[3];
        if (split)
            split_at_bottom(low, pieces);
        if (clean && !keeps_clear(start_of(split ? pieces[1] : low))) {
            // The lowest middle of a record that keeps the distance; that record is cut
            // there into its part after the point, which starts the chain, and its part
            // before, which ends it.
            std::vector<std::pair<double, size_t>> middles;
            middles.reserve(chain.size());
            for (size_t k = 0; k < chain.size(); ++k) {
                Point2DRec middle{};
                if (chain[k].real() && entity_point(chain[k].entity, 0.5, middle))
                    middles.emplace_back(middle.y, k);
            }
            std::stable_sort(middles.begin(), middles.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            bool found = false;
            Point2DRec start{};
            for (const auto& [y, k] : middles) {
                entity_point(chain[k].entity, 0.5, start);
                if (keeps_clear(start)) {
                    found = true;
                    index = k;
                    break;
                }
            }
            if (!found)
                return;
            split = true;
            pieces[0] = chain[index];
            move_end(pieces[0], false, start);
            pieces[1] = chain[index];
            move_end(pieces[1], true, start);
            pieces[2].state = State::Collapsed;
        }
        Records rebuilt;
        rebuilt.reserve(chain.size() + 2);
        if (split) {
            rebuilt.push_back(pieces[1]);
            if (pieces[2].real())
                rebuilt.push_back(pieces[2]);
        } else {
            rebuilt.push_back(chain[index]);
        }
        rebuilt.insert(rebuilt.end(), chain.begin() + static_cast<std::ptrdiff_t>(index) + 1,
                       chain.end());
        rebuilt.insert(rebuilt.end(), chain.begin(),
                       chain.begin() + static_cast<std::ptrdiff_t>(index));
        if (split)
            rebuilt.push_back(pieces[0]);
        chain.swap(rebuilt);
    }

    // ---- cutting into loops ----

    // Two pieces of one circle that meet end to end report their common end twice: one
    // meeting, not a crossing (else the pieces of an arc split at the lowest point would
    // stop every cut of the loop).
    static PointSet distinct(const PointSet& points) noexcept
    {
        PointSet unique;
        for (uint32_t k = 0; k < points.count; ++k) {
            bool seen = false;
            for (uint32_t m = 0; m < unique.count && !seen; ++m)
                seen = points_equal(points.points[k], unique.points[m]);
            if (!seen)
                unique.add(points.points[k]);
        }
        return unique;
    }

    // The first self-crossing of the loop from record i on: whether there is one, and
    // the records j and the crossing point x.
    static bool find_crossing(const Records& records, size_t i, bool closed_loop, size_t& j_found,
                              Point2DRec& x) noexcept
    {
        const size_t last = records.size() - 1;
        const OffsetRecord& ri = records[i];
        const Point2DRec start = start_of(ri);
        for (size_t j = i + 1; j < records.size(); ++j) {
            const OffsetRecord& rj = records[j];
            if (!rj.real() || !ExtentsIntersect(&ri.extents, &rj.extents))
                continue;
            const PointSet points = distinct(entity_intersect(ri.entity, rj.entity, nullptr));
            if (points.empty())
                continue;
            const bool wraps = i == 0 && j == last;
            const bool neighbours = j == i + 1 || wraps;
            if (points.count == 1 && (j == i + 1 || (wraps && closed_loop)))
                continue;
            if (points.count >= 2 && neighbours &&
                (points_equal(points.points[0], start) || points_equal(points.points[1], start)))
                continue;
            ProfileEntityFirstPointOn(&ri.entity, points.points, points.count, 1, wraps ? 0 : 1,
                                      &x);
            j_found = j;
            return true;
        }
        return false;
    }

    static void add_unless_collapsed(Records& records, const OffsetRecord& record)
    {
        if (record.real())
            records.push_back(record);
    }

    // Cuts the loop at its self-crossings; the loops cut off go to the work list.
    static void cut(Loop& loop, std::vector<Loop>& work)
    {
        Records& records = loop.records;
        if (records.empty() || (records.size() == 1 && is_full_circle(records.front())))
            return;
        const bool closed_loop = points_equal(start_of(records.front()), end_of(records.back()));
        size_t i = 0;
        for (int cuts = 0; i < records.size() && cuts < kMostCuts;) {
            size_t j = 0;
            Point2DRec x{};
            if (!records[i].real() || !find_crossing(records, i, closed_loop, j, x)) {
                ++i;
                continue;
            }
            OffsetRecord i_to_x = records[i];
            OffsetRecord x_to_j_end = records[j];
            OffsetRecord x_to_i_end = records[i];
            OffsetRecord j_to_x = records[j];
            move_end(i_to_x, false, x);
            move_end(x_to_j_end, true, x);
            move_end(x_to_i_end, true, x);
            move_end(j_to_x, false, x);
            Records first(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(i));
            add_unless_collapsed(first, i_to_x);
            add_unless_collapsed(first, x_to_j_end);
            first.insert(first.end(), records.begin() + static_cast<std::ptrdiff_t>(j) + 1,
                         records.end());
            Records second;
            add_unless_collapsed(second, x_to_i_end);
            second.insert(second.end(), records.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                          records.begin() + static_cast<std::ptrdiff_t>(j));
            add_unless_collapsed(second, j_to_x);
            if (first.empty() || second.empty())
                return;
            work.push_back(Loop{std::move(second), records[i].source_index});
            records.swap(first);
            ++cuts;
        }
    }

    // ---- distance tests ----

    ProfileEntityRec circle_about(const Point2DRec& centre) const noexcept
    {
        return arc_entity(make_arc(centre, distance, 0.0, kTwoPi, 1));
    }

    // The circle of radius d about a point of the loop touches the entity the point
    // comes from once and meets no other source entity but at that touch or at the end
    // of a source line.
    bool sample_keeps_distance(const Loop& loop, const OffsetRecord& record,
                               const Point2DRec& sample, bool& end_accepted) const noexcept
    {
        if (is_full_circle(record))
            return true;
        const ProfileEntityRec circle = circle_about(sample);
        const PointSet own = entity_intersect(circle, source_entity(record.source_index), nullptr);
        if (own.count != 1)
            return false;
        const Point2DRec touch = own.points[0];
        const Rectangle2DRec box{Point2DRec{sample.x - distance, sample.y - distance},
                                 Point2DRec{sample.x + distance, sample.y + distance}};
        const uint32_t first = loop.source_index == 0 ? count - 1 : loop.source_index - 1;
        for (uint32_t m = 0; m < count; ++m) {
            const ProfileEntityRec& entity = source_entity((first + m) % count);
            Rectangle2DRec extents{};
            if (!ProfileEntityExtents(&entity, &extents) || !ExtentsIntersect(&box, &extents))
                continue;
            const PointSet met = distinct(entity_intersect(circle, entity, nullptr));
            if (met.empty() || (met.count == 1 && points_equal(met.points[0], touch)))
                continue;
            if (met.count != 1)
                return false;
            // An entity that only touches the circle from outside keeps the distance too:
            // a point where the offsets of two entities meet lies that far from both.
            if (stays_clear(entity, sample))
                continue;
            if (!end_accepted && !is_end_of_source_line(met.points[0]))
                return false;
            end_accepted = true;
        }
        return true;
    }

    bool stays_clear(const ProfileEntityRec& entity, const Point2DRec& sample) const noexcept
    {
        Point2DRec closest{};
        ProfileEntityPointClosestTo(&entity, &sample, &closest);
        return line_length(closest, sample) - distance > -kTolerance;
    }

    // Searched in order; the search fails at the first entity that is not a line.
    bool is_end_of_source_line(const Point2DRec& point) const noexcept
    {
        for (uint32_t k = 0; k < count; ++k) {
            const ProfileEntityRec& entity = source_entity(k);
            if (!is_line(entity))
                return false;
            const Line2DRec line = line_of(entity);
            if (points_equal(point, line.start) || points_equal(point, line.end))
                return true;
        }
        return false;
    }

    bool keeps_distance(const Loop& loop) const noexcept
    {
        bool end_accepted = false;
        if (closed) {
            for (size_t k = loop.records.size(); k-- > 0;) {
                const OffsetRecord& record = loop.records[k];
                if (record.real() && record.kind == Kind::Offset) {
                    Point2DRec middle{};
                    entity_point(record.entity, 0.5, middle);
                    return sample_keeps_distance(loop, record, middle, end_accepted);
                }
            }
            for (size_t k = loop.records.size(); k-- > 0;) {
                const OffsetRecord& record = loop.records[k];
                if (record.kind == Kind::Join)
                    return sample_keeps_distance(loop, record, start_of(record), end_accepted);
            }
            return true;
        }
        for (const OffsetRecord& record : loop.records) {
            if (!record.real() || record.kind != Kind::Offset)
                continue;
            Point2DRec middle{};
            entity_point(record.entity, 0.5, middle);
            if (!sample_keeps_distance(loop, record, middle, end_accepted))
                return false;
        }
        // Nothing may come nearer than the distance to the open source's two ends.
        Point2DRec ends[2]{};
        entity_point(source_entity(0), 0.0, ends[0]);
        entity_point(source_entity(count - 1), 1.0, ends[1]);
        for (const OffsetRecord& record : loop.records) {
            if (!record.real() || record.kind != Kind::Offset)
                continue;
            for (const Point2DRec& end : ends) {
                const ProfileEntityRec circle = circle_about(end);
                if (entity_intersect(circle, record.entity, nullptr).empty())
                    continue;
                Point2DRec closest{};
                ProfileEntityPointClosestTo(&record.entity, &end, &closest);
                if (line_length(closest, end) - distance <= -kTolerance)
                    return false;
            }
        }
        return true;
    }

    // ---- finishing and emitting ----

    static void merge_leading_joins(Records& records)
    {
        if (records.size() < 2)
            return;
        const OffsetRecord& a = records[0];
        const OffsetRecord& b = records[1];
        if (a.kind != Kind::Join || b.kind != Kind::Join || !a.real() || !b.real() ||
            !is_arc(a.entity) || !is_arc(b.entity))
            return;
        const Arc2DRec arc_a = arc_of(a.entity);
        const Arc2DRec arc_b = arc_of(b.entity);
        if (!points_equal(arc_a.centre, arc_b.centre) || !is_near(arc_a.radius, arc_b.radius))
            return;
        const double sweep = signed_sweep(arc_a) + signed_sweep(arc_b);
        OffsetRecord merged = a;
        merged.entity.d5 = CorrectAngle(arc_a.start_angle + sweep);
        merged.entity.direction = sweep > -kTolerance ? 1 : -1;
        update_extents(merged);
        records.erase(records.begin());
        records.front() = merged;
    }

    // Whether a mitre line meets a profile emitted before or a mitre line placed.
    bool mitre_line_is_free(const ProfileEntityRec& line, const Profile& placed) const noexcept
    {
        for (uint32_t k = 0, emitted = ProfilesCount(result); k < emitted; ++k) {
            if (ProfileProfileEntityIntersect(ProfilesProfile(result, k), &line, 0, 1, nullptr))
                return false;
        }
        return ProfileProfileEntityIntersect(&placed, &line, 0, 1, nullptr) == 0;
    }

    // Replaces the arc join at index k between two offsets: bevel lines, or a mitre
    // rounded at half the join's radius. Answers the index of the record after it.
    size_t replace_join(Records& records, size_t k, size_t before, size_t after_join,
                        Profile& placed) const
    {
        const OffsetRecord join_arc = records[k];
        const Corner corner{end_of(records[before]), start_of(records[after_join]),
                            source_corner(join_arc.source_index), side};
        if (join == OffsetJoinBevel) {
            ProfileEntityRec lines[3];
            bevel_lines(records[before], records[after_join], corner, lines);
            Records pieces;
            for (const ProfileEntityRec& line : lines)
                pieces.push_back(
                    join_record(line, join_arc.source_index, join_arc.next_source_index));
            records.erase(records.begin() + static_cast<std::ptrdiff_t>(k));
            records.insert(records.begin() + static_cast<std::ptrdiff_t>(k), pieces.begin(),
                           pieces.end());
            return k + pieces.size();
        }
        Point2DRec m{};
        if (!corner.mitre_point(m))
            return k + 1;
        const ProfileEntityRec first_line = line_entity(corner.a, m);
        const ProfileEntityRec second_line = line_entity(m, corner.b);
        if (!mitre_line_is_free(first_line, placed) || !mitre_line_is_free(second_line, placed))
            return k + 1;
        append_entity(placed, first_line);
        append_entity(placed, second_line);
        const Arc2DRec arc = arc_of(join_arc.entity);
        const Point2DRec centre = midpoint(corner.p, m);
        const Point2DRec n = midpoint(corner.a, m);
        const double start = line_angle(centre, n);
        const Arc2DRec half =
            make_arc(centre, line_length(centre, n), start,
                     start + direction_sign(arc.direction) *
                                 arc_angle(arc.start_angle, arc.end_angle, arc.direction),
                     arc.direction);
        const Point2DRec e = arc_end(half);
        Records pieces;
        OffsetRecord& previous = records[before];
        if (is_line(previous.entity))
            move_end(previous, false, n);
        else
            pieces.push_back(join_record(line_entity(corner.a, n), join_arc.source_index,
                                         join_arc.next_source_index));
        pieces.push_back(
            join_record(arc_entity(half), join_arc.source_index, join_arc.next_source_index));
        OffsetRecord& next = records[after_join];
        if (is_line(next.entity))
            move_end(next, true, e);
        else
            pieces.push_back(join_record(line_entity(e, corner.b), join_arc.source_index,
                                         join_arc.next_source_index));
        records.erase(records.begin() + static_cast<std::ptrdiff_t>(k));
        records.insert(records.begin() + static_cast<std::ptrdiff_t>(k), pieces.begin(),
                       pieces.end());
        return k + pieces.size();
    }

    // The neighbouring real record before (step -1) or after (step +1) index k, cyclic.
    static size_t neighbour(const Records& records, size_t k, int step) noexcept
    {
        const size_t n = records.size();
        size_t index = k;
        for (size_t m = 0; m < n; ++m) {
            index = (index + n + static_cast<size_t>(step)) % n;
            if (records[index].real())
                return index;
        }
        return k;
    }

    void finish(Records& records) const
    {
        merge_leading_joins(records);
        if (join == OffsetJoinArc || records.size() <= 2)
            return;
        const osmark::ProfileOwner placed(ProfileCreate());
        if (placed == nullptr)
            return;
        for (size_t k = 0; k < records.size();) {
            const OffsetRecord& record = records[k];
            if (!record.real() || record.kind != Kind::Join || !is_arc(record.entity)) {
                ++k;
                continue;
            }
            const size_t before = neighbour(records, k, -1);
            const size_t after_join = neighbour(records, k, 1);
            const OffsetRecord& p = records[before];
            const OffsetRecord& s = records[after_join];
            const bool between_its_offsets = before != k && after_join != k &&
                                             p.kind == Kind::Offset && s.kind == Kind::Offset &&
                                             p.source_index == record.source_index &&
                                             s.source_index == record.next_source_index;
            if (!between_its_offsets || arc_angle(record.entity.d4, record.entity.d5,
                                                  record.entity.direction) >= kWidestReplaced) {
                ++k;
                continue;
            }
            k = replace_join(records, k, before, after_join, *placed);
        }
    }

    void emit(const Records& records) const noexcept
    {
        double length = 0.0;
        for (const OffsetRecord& record : records)
            length += length_of(record);
        if (length < kTolerance)
            return;
        Profile* profile = ProfileCreate();
        if (profile == nullptr)
            return;
        profile->id = source.id;
        profile->accuracy = source.accuracy;
        for (const OffsetRecord& record : records) {
            if (record.real())
                append_entity(*profile, record.entity);
        }
        if (!ProfilesInsert(result, -1, profile))
            ProfileDelete(profile);
    }

    void run()
    {
        Records chain;
        if (!raw_chain(chain))
            return;
        // Only a loop can start anywhere: an open chain keeps its ends.
        if (closed)
            start_at_lowest(chain);
        std::vector<Loop> work;
        work.push_back(Loop{std::move(chain), 0});
        const bool cutting = clean && work.front().records.size() != 1;
        for (size_t w = 0; w < work.size(); ++w) {
            Loop loop = std::move(work[w]);
            if (cutting) {
                cut(loop, work);
                if (!keeps_distance(loop))
                    continue;
            }
            finish(loop.records);
            emit(loop.records);
        }
    }
};

void empty_list(Profiles* list) noexcept
{
    while (ProfilesCount(list) > 0) {
        ProfileDelete(ProfilesProfile(list, 0));
        ProfilesRemove(list, 0);
    }
}

}

extern "C" {

OSMARK_API int32_t ProfileOffset(Profile* profile, double distance, int32_t clean, int32_t join,
                                 Profiles** result) noexcept
{
    if (result == nullptr)
        return 0;
    *result = nullptr;
    if (profile == nullptr)
        return 0;
    Profiles* list = ProfilesCreate();
    if (list == nullptr)
        return 0;
    const uint32_t count = entity_count(*profile);
    if (std::fabs(distance) < kTolerance || count == 0) {
        Profile* copy = ProfileCopy(profile);
        if (copy != nullptr && !ProfilesInsert(list, -1, copy))
            ProfileDelete(copy);
        *result = list;
        return 1;
    }
    const bool closed = ProfileOpen(profile) == 0;
    // Left of the direction of travel for a negative distance along an open or a
    // counter-clockwise profile: so a closed profile grows for a positive distance.
    const bool ccw_or_open = !closed || ProfileDir(profile) == 1;
    const bool negative = distance <= -kTolerance;
    const Side side = ccw_or_open == negative ? Side::Left : Side::Right;
    Offsetter offsetter{*profile, count, std::fabs(distance), side, closed, clean != 0, join, list};
    try {
        offsetter.run();
    } catch (const std::bad_alloc&) {
        empty_list(list);
    }
    *result = list;
    return 1;
}

OSMARK_API int32_t ProfileOpenOffset(Profile* profile, double distance, int32_t join,
                                     Profiles** result) noexcept
{
    if (result == nullptr)
        return 0;
    *result = nullptr;
    if (profile == nullptr)
        return 0;
    if (ProfileOpen(profile) == 0)
        return ProfileOffset(profile, distance, 1, join, result);
    // Back along the path and forward again: a closed path around the profile.
    const osmark::ProfileOwner there_and_back(ProfileCopy(profile));
    if (there_and_back == nullptr)
        return 0;
    ProfileReverse(there_and_back.get());
    for (uint32_t i = 0, count = entity_count(*profile); i < count; ++i) {
        if (!append_entity(*there_and_back, *entity_at(*profile, i)))
            return 0;
    }
    return ProfileOffset(there_and_back.get(), distance, 0, join, result);
}
}
