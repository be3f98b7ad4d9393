// The contour-edit pass: items kept or dropped by the contours they belong to, and each
// chain that line joining made rewritten as one edited polyline.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "filter/entity_forms.h"
#include "filter/filter_passes.h"
#include "filter/vertex_tools.h"
#include "geometry/geometry_internal.h"
#include "model/vertex_list_internal.h"
#include "osmark/memory.h"

namespace halvern {

namespace {

// The edits of one contour kind.
struct ContourEdits {
    bool selected;
    bool as_polyline;
    bool flatten;
    double flatten_tolerance;
    bool simplify;
    double simplify_tolerance;
    bool fit;
    double fit_tolerance;
    bool fillet;
    double fillet_radius;
    double fillet_min_angle;
    double fillet_max_angle;
    double fillet_limit;
    bool min_length;
    double min_length_value;
    DXFContourHook hook;
};

ContourEdits edits_of(const DXFFilterOptions& o, bool open) noexcept
{
    if (open)
        return {o.open_contours,          o.open_as_polyline,      o.open_flatten_arcs,
                o.open_flatten_tolerance, o.open_simplify,         o.open_simplify_tolerance,
                o.open_fit_arcs,          o.open_fit_tolerance,    o.open_fillet,
                o.open_fillet_radius,     o.open_fillet_min_angle, o.open_fillet_max_angle,
                o.open_fillet_limit,      o.open_min_length,       o.open_min_length_value,
                o.open_contour_hook};
    return {o.closed_contours,          o.closed_as_polyline,      o.closed_flatten_arcs,
            o.closed_flatten_tolerance, o.closed_simplify,         o.closed_simplify_tolerance,
            o.closed_fit_arcs,          o.closed_fit_tolerance,    o.closed_fillet,
            o.closed_fillet_radius,     o.closed_fillet_min_angle, o.closed_fillet_max_angle,
            o.closed_fillet_limit,      o.closed_min_length,       o.closed_min_length_value,
            o.closed_contour_hook};
}

// The contour's record, or NULL for an item in none.
const ContourDataRec* contour_of(const DXFDrawingRec& drawing, const ItemRec& item) noexcept
{
    const ContourTableRec& table = drawing.dxf_ContourTable;
    const int32_t id = item.it_Header.ih_ContourID;
    if (id < 0 || id >= table.ct_N || table.ct_Contours == nullptr)
        return nullptr;
    return &table.ct_Contours[id];
}

bool is_open(const ContourDataRec& contour) noexcept
{
    return (contour.cd_Flags & 1u) != 0;
}

// ---- Edits of a vertex list -----------------------------------------------------------

double polyline_length(const ItemRec& polyline) noexcept
{
    const PolylineRec& p = polyline.it_Polyline;
    double length = 0.0;
    for (int32_t i = 0; i + 1 < p.pl_NumVertices; ++i) {
        const VertexRec& a = p.pl_Vertices[i];
        const VertexRec& b = p.pl_Vertices[i + 1];
        ArcRec arc{};
        if (!is_zero(a.vx_Bulge) && FilterBulgeArc(a, b, arc))
            length += DXFArcLength(arc.ar_Radius, arc.ar_Start, arc.ar_End, arc.ar_Dir);
        else
            length += DXFPointDistance(&a.vx_Point, &b.vx_Point);
    }
    return length;
}

void flatten_arcs(VertexListRec& list, double tolerance) noexcept
{
    for (uint32_t i = 0; i + 1 < list.vl_N; ++i) {
        VertexRec& v = list.vl_Vertices[i];
        ArcRec arc{};
        if (is_zero(v.vx_Bulge) || !FilterBulgeArc(v, list.vl_Vertices[i + 1], arc))
            continue;
        const double sweep = DXFArcSweep(arc.ar_Start, arc.ar_End, arc.ar_Dir);
        const Point3DRec middle =
            FilterArcPoint(arc, arc.ar_Start + (arc.ar_Dir >= 0 ? 1.0 : -1.0) * sweep / 2.0);
        const Point3DRec& a = v.vx_Point;
        const Point3DRec& b = list.vl_Vertices[i + 1].vx_Point;
        const Point3DRec chord_middle{(a.x + b.x) / 2.0, (a.y + b.y) / 2.0, a.z};
        if (DXFPointDistance(&chord_middle, &middle) < tolerance + kTolerance)
            v.vx_Bulge = 0.0;
    }
}

// Runs the edit over every run of more than 2 vertices, the list cut after each vertex
// with a bulge; the runs are put back together in order.
template <typename Edit>
void edit_runs(VertexListRec& list, Edit edit) noexcept
{
    VertexRec* v = list.vl_Vertices;
    uint32_t kept = 0;
    uint32_t start = 0;
    while (start < list.vl_N) {
        uint32_t end = start;
        while (end + 1 < list.vl_N && is_zero(v[end].vx_Bulge))
            ++end;
        uint32_t count = end - start + 1;
        if (count > 2)
            count = edit(v + start, count);
        // Moved to the front; the edits only ever shrink a run.
        std::memmove(v + kept, v + start, count * sizeof(VertexRec));
        kept += count;
        start = end + 1;
    }
    list.vl_N = kept;
}

// ---- Fillets -------------------------------------------------------------------------

// One segment of the list being filleted: straight, or an arc of its circle.
struct Segment {
    Point3DRec a;
    Point3DRec b;
    bool arc;
    Point3DRec centre;
    double radius;
    int32_t dir;
};

double angle_to(const Point3DRec& centre, const Point3DRec& point) noexcept
{
    return std::atan2(point.y - centre.y, point.x - centre.x);
}

double start_direction(const Segment& s) noexcept
{
    if (!s.arc)
        return DXFPointDirection(&s.a, &s.b);
    return DXFNormaliseAngle(angle_to(s.centre, s.a) + (s.dir >= 0 ? kHalfPi : -kHalfPi));
}

double end_direction(const Segment& s) noexcept
{
    if (!s.arc)
        return DXFPointDirection(&s.a, &s.b);
    return DXFNormaliseAngle(angle_to(s.centre, s.b) + (s.dir >= 0 ? kHalfPi : -kHalfPi));
}

double bulge_of(const Segment& s) noexcept
{
    if (!s.arc)
        return 0.0;
    const double sweep = DXFArcSweep(angle_to(s.centre, s.a), angle_to(s.centre, s.b), s.dir);
    return std::tan(sweep / 4.0) * (s.dir >= 0 ? 1.0 : -1.0);
}

struct Fillet {
    Point3DRec first;  // on the incoming segment
    Point3DRec second; // on the outgoing segment
    Point3DRec centre;
    double radius;
    int32_t dir;
    double length;
};

// The foot of point on the segment's line or circle.
Point3DRec foot(const Segment& s, const Point3DRec& point) noexcept
{
    if (s.arc) {
        const double angle = angle_to(s.centre, point);
        return Point3DRec{s.centre.x + s.radius * std::cos(angle),
                          s.centre.y + s.radius * std::sin(angle), s.a.z};
    }
    const double dx = s.b.x - s.a.x;
    const double dy = s.b.y - s.a.y;
    const double length2 = dx * dx + dy * dy;
    const double u =
        length2 > 0.0 ? ((point.x - s.a.x) * dx + (point.y - s.a.y) * dy) / length2 : 0.0;
    return Point3DRec{s.a.x + u * dx, s.a.y + u * dy, s.a.z};
}

// Whether the tangent point lies on the segment: ahead of its start and not beyond its
// end along a line (directions within 0.0001), inside the sweep of an arc (0.0001).
bool touches(const Segment& s, const Point3DRec& point) noexcept
{
    constexpr double kSlack = 0.0001;
    if (!s.arc) {
        const double direction = DXFPointDirection(&s.a, &s.b);
        const auto along = [&](const Point3DRec& from, const Point3DRec& to) {
            if (DXFSamePoint(&from, &to) != 0)
                return true;
            const double gap = std::fabs(DXFPointDirection(&from, &to) - direction);
            return std::min(gap, kTwoPi - gap) < kSlack;
        };
        return along(s.a, point) && along(point, s.b);
    }
    const double start = angle_to(s.centre, s.a);
    const double at = angle_to(s.centre, point);
    const double sweep = DXFArcSweep(start, angle_to(s.centre, s.b), s.dir);
    const double reached = DXFArcSweep(start, at, s.dir);
    // A point at the start sweeps a whole turn.
    return reached <= sweep + kSlack || kTwoPi - reached < kSlack;
}

// The segment moved by distance to its left (negative: right): a line shifted along its
// normal, an arc's circle changed in radius. false when nothing is left of a circle.
bool offset(const Segment& s, double distance, Segment& moved) noexcept
{
    moved = s;
    if (s.arc) {
        moved.radius = s.radius - distance * (s.dir >= 0 ? 1.0 : -1.0);
        return moved.radius >= kTolerance;
    }
    const double normal = DXFPointDirection(&s.a, &s.b) + kHalfPi;
    const double dx = distance * std::cos(normal);
    const double dy = distance * std::sin(normal);
    moved.a.x += dx;
    moved.a.y += dy;
    moved.b.x += dx;
    moved.b.y += dy;
    return true;
}

// The crossings of two moved segments: their number, up to two.
int32_t crossings(const Segment& p, const Segment& q, Point3DRec& one, Point3DRec& two) noexcept
{
    if (!p.arc && !q.arc)
        return DXFIntersectRayRay(&p.a, DXFPointDirection(&p.a, &p.b), 1, &q.a,
                                  DXFPointDirection(&q.a, &q.b), 1, &one);
    if (!p.arc)
        return DXFIntersectRayCircle(&p.a, DXFPointDirection(&p.a, &p.b), 1, &q.centre, q.radius,
                                     &one, &two);
    if (!q.arc)
        return DXFIntersectRayCircle(&q.a, DXFPointDirection(&q.a, &q.b), 1, &p.centre, p.radius,
                                     &one, &two);
    return DXFIntersectCircleCircle(&p.centre, p.radius, &q.centre, q.radius, &one, &two);
}

// The fillet of the radius between the incoming segment p and the outgoing q that meet
// at corner, turning counter-clockwise (turn 1) or clockwise (-1); false when none fits.
bool make_fillet(const Segment& p, const Segment& q, const Point3DRec& corner, int32_t turn,
                 double radius, Fillet& fillet) noexcept
{
    Segment moved_p{};
    Segment moved_q{};
    if (!(radius > 0.0) || !offset(p, turn * radius, moved_p) || !offset(q, turn * radius, moved_q))
        return false;
    Point3DRec one{};
    Point3DRec two{};
    const int32_t found = crossings(moved_p, moved_q, one, two);
    if (found == 0)
        return false;
    Point3DRec centre = one;
    if (found > 1 && DXFPointDistance(&two, &corner) < DXFPointDistance(&one, &corner) - kTolerance)
        centre = two;
    centre.z = corner.z;
    const Point3DRec first = foot(p, centre);
    const Point3DRec second = foot(q, centre);
    if (DXFSamePoint(&first, &second) != 0 || !touches(p, first) || !touches(q, second))
        return false;
    fillet.first = first;
    fillet.second = second;
    fillet.centre = centre;
    fillet.radius = radius;
    fillet.dir = turn;
    double sweep = DXFArcSweep(angle_to(centre, first), angle_to(centre, second), turn);
    if (sweep - kPi >= kTolerance) {
        // The long way round: the short arc runs the other way.
        sweep = kTwoPi - sweep;
        fillet.dir = -turn;
    }
    fillet.length = sweep * radius;
    return true;
}

// A fillet at least limit long: larger radii are tried, doubling the step while the
// arcs stay short and halving it when none fits; the radius of the first long enough
// one is then refined towards the limit.
Fillet lengthen(const Segment& p, const Segment& q, const Point3DRec& corner, int32_t turn,
                const Fillet& short_fillet, double limit) noexcept
{
    const auto too_short = [&](const Fillet& f) { return f.length < limit - kTolerance; };
    Fillet last_short = short_fillet;
    Fillet long_enough{};
    bool found = false;
    double base = short_fillet.radius;
    double step = short_fillet.radius;
    double radius = base;
    for (int32_t attempt = 0; attempt < 20 && !is_zero(step); ++attempt) {
        Fillet f{};
        if (!make_fillet(p, q, corner, turn, base + step, f)) {
            step /= 2.0;
            continue;
        }
        if (too_short(f)) {
            last_short = f;
            base += step;
            step *= 2.0;
            continue;
        }
        long_enough = f;
        radius = base + step;
        found = true;
        break;
    }
    if (!found)
        return last_short;
    Fillet current = long_enough;
    for (int32_t halving = 0; halving < 20 && std::fabs(current.length - limit) >= 0.0001;
         ++halving) {
        step /= 2.0;
        radius += current.length > limit ? -step : step;
        Fillet f{};
        if (!make_fillet(p, q, corner, turn, radius, f))
            continue;
        current = f;
        if (too_short(f))
            last_short = f;
        else
            long_enough = f;
    }
    return long_enough;
}

// Fillets the corner between the incoming segment p and the outgoing q when its angle
// is in range; true with the fillet when one is placed.
bool fillet_corner(const Segment& p, const Segment& q, double radius, double min_angle,
                   double max_angle, double limit, Fillet& fillet) noexcept
{
    const double in = end_direction(p);
    const double out = start_direction(q);
    if (is_equal(in, out))
        return false;
    double angle = DXFArcSweep(in + kPi, out, 1);
    int32_t turn = -1;
    if (angle - kPi > kTolerance) {
        angle = kTwoPi - angle;
        turn = 1;
    }
    if (!(angle >= kTolerance && angle < kTwoPi) || min_angle - angle >= kTolerance ||
        angle - max_angle >= kTolerance)
        return false;
    if (!make_fillet(p, q, p.b, turn, radius, fillet))
        return false;
    if (fillet.length < limit - kTolerance)
        fillet = lengthen(p, q, p.b, turn, fillet, limit);
    return true;
}

Segment segment_of(const VertexRec& a, const VertexRec& b) noexcept
{
    Segment s{a.vx_Point, b.vx_Point, false, {}, 0.0, 1};
    ArcRec arc{};
    if (!is_zero(a.vx_Bulge) && FilterBulgeArc(a, b, arc)) {
        s.arc = true;
        s.centre = arc.ar_Centre;
        s.radius = arc.ar_Radius;
        s.dir = arc.ar_Dir;
    }
    return s;
}

Segment fillet_segment(const Fillet& f) noexcept
{
    return Segment{f.first, f.second, true, f.centre, f.radius, f.dir};
}

void apply_fillet(Segment& incoming, Segment& outgoing, const Fillet& f, std::vector<Segment>& out)
{
    incoming.b = f.first;
    outgoing.a = f.second;
    out.push_back(fillet_segment(f));
}

// ---- The pass --------------------------------------------------------------------------

void call_hook(DXFFilterContext& context, const ContourEdits& edits, int32_t stage) noexcept
{
    if (edits.hook != nullptr)
        edits.hook(&context.drawing, stage, &context.vertices, edits.fillet_radius,
                   edits.fillet_min_angle, edits.fillet_max_angle, edits.fillet_limit);
}

void edit_and_write(DXFFilterContext& context, const ItemRec& polyline) noexcept
{
    const DXFFilterOptions& o = context.options;
    const ContourDataRec* contour = contour_of(context.drawing, polyline);
    VertexListRec& list = context.vertices;
    list.vl_N = 0;
    const PolylineRec& p = polyline.it_Polyline;
    const auto copy_vertices = [&] {
        for (int32_t i = 0; i < p.pl_NumVertices; ++i) {
            const VertexRec& v = p.pl_Vertices[i];
            VertexListAppend(list, v.vx_Point.x, v.vx_Point.y, v.vx_Point.z, v.vx_Bulge,
                             v.vx_Flags);
        }
    };
    if (contour == nullptr) {
        // In no contour of the table: written as it is.
        copy_vertices();
        FilterWriteVertexList(context, list, false);
        return;
    }
    const ContourEdits edits = edits_of(o, is_open(*contour));
    if ((o.open_contours || o.closed_contours) && !edits.selected)
        return;
    if (edits.min_length && edits.min_length_value - polyline_length(polyline) >= kTolerance)
        return;
    copy_vertices();
    call_hook(context, edits, DXFContourBeforeEdits);
    if (edits.flatten) {
        call_hook(context, edits, DXFContourBeforeFlatten);
        flatten_arcs(list, edits.flatten_tolerance);
    }
    if (edits.simplify) {
        call_hook(context, edits, DXFContourBeforeSimplify);
        edit_runs(list, [&](VertexRec* run, uint32_t count) {
            return FilterRemoveNeedlessVertices(run, count, edits.simplify_tolerance);
        });
    }
    if (edits.fit) {
        call_hook(context, edits, DXFContourBeforeFitArcs);
        edit_runs(list, [&](VertexRec* run, uint32_t count) {
            return FilterFitArcs(&context, run, count, edits.fit_tolerance);
        });
    }
    if (edits.fillet) {
        call_hook(context, edits, DXFContourBeforeFillet);
        FilterFilletCorners(list, edits.fillet_radius, edits.fillet_min_angle,
                            edits.fillet_max_angle, edits.fillet_limit);
    }
    call_hook(context, edits, DXFContourBeforeWrite);
    FilterWriteVertexList(context, list, edits.as_polyline);
}

const char* entity_name(DXFFilterContext& context) noexcept
{
    const DXFGroupRec* first = FilterGroup(context, 0);
    return first != nullptr && first->dg_Value != nullptr ? first->dg_Value : "";
}

bool kept(const DXFFilterContext& context, const ItemRec& item) noexcept
{
    const DXFFilterOptions& o = context.options;
    if (!o.open_contours && !o.closed_contours)
        return true;
    const ContourDataRec* contour = contour_of(context.drawing, item);
    bool open = contour != nullptr && is_open(*contour);
    bool closed = contour != nullptr && !is_open(*contour);
    if (o.keep_texts && item.it_Header.ih_ItemType == DXFItemText) {
        open = true;
        closed = true;
    }
    return (o.open_contours && open) || (o.closed_contours && closed);
}

}

bool FilterBuildJoinedTable(DXFFilterContext& context) noexcept
{
    FreeVec(context.joined);
    context.joined = nullptr;
    context.joined_count = 0;
    context.joined_by_line.clear();
    const ItemBufferRec* buffers[] = {&context.drawing.dxf_ItemBuffer,
                                      &context.drawing.dxf_BlockItemBuffer};
    const auto joined = [](const ItemRec* item) {
        return item != nullptr && (item->it_Header.ih_Flags & DXFItemJoined) != 0 &&
               item->it_Header.ih_ItemType == DXFItemPolyline;
    };
    int32_t count = 0;
    for (const ItemBufferRec* buffer : buffers) {
        for (int32_t i = 0; i < buffer->ib_N; ++i)
            count += joined(buffer->ib_Items[i]) ? 1 : 0;
    }
    if (count == 0)
        return true;
    context.joined =
        static_cast<ItemRec**>(AllocVec(static_cast<uint32_t>(count) * sizeof(ItemRec*)));
    if (context.joined == nullptr)
        return false;
    for (const ItemBufferRec* buffer : buffers) {
        for (int32_t i = 0; i < buffer->ib_N; ++i) {
            if (joined(buffer->ib_Items[i]))
                context.joined[context.joined_count++] = buffer->ib_Items[i];
        }
    }
    // By source line, so that each member entity finds its polyline at once.
    try {
        context.joined_by_line.resize(static_cast<size_t>(count));
    } catch (...) {
        return false;
    }
    for (int32_t i = 0; i < count; ++i)
        context.joined_by_line[static_cast<size_t>(i)] = i;
    ItemRec** table = context.joined;
    std::stable_sort(context.joined_by_line.begin(), context.joined_by_line.end(),
                     [table](int32_t a, int32_t b) {
                         return table[a]->it_Header.ih_Line < table[b]->it_Header.ih_Line;
                     });
    return true;
}

int32_t FilterContourEditPass(DXFFilterContext* context) noexcept
{
    DXFFilterContext& c = *context;
    const char* name = entity_name(c);
    ItemRec* item = c.current_item;
    if (std::strcmp(name, "BLOCK") == 0 || std::strcmp(name, "INSERT") == 0 || item == nullptr)
        return 0;
    if ((item->it_Header.ih_Flags & DXFItemExcluded) == 0)
        return kept(c, *item) ? 0 : 1;
    // A member of a joined chain: the chain's polyline stands where the member with its
    // source line stood.
    ItemRec** table = c.joined;
    const auto by_line = [table](int32_t index, int32_t line) {
        return table[index]->it_Header.ih_Line < line;
    };
    for (auto at = std::lower_bound(c.joined_by_line.begin(), c.joined_by_line.end(), c.entity_line,
                                    by_line);
         at != c.joined_by_line.end() && table[*at]->it_Header.ih_Line == c.entity_line; ++at)
        edit_and_write(c, *table[*at]);
    return 1;
}

void FilterFilletCorners(VertexListRec& list, double radius, double min_angle, double max_angle,
                         double limit) noexcept
{
    const uint32_t count = list.vl_N;
    VertexRec* v = list.vl_Vertices;
    if (count <= 2 || v == nullptr)
        return;
    const bool closed = DXFSamePoint(&v[0].vx_Point, &v[count - 1].vx_Point) != 0;
    if (closed && count < 4)
        return;
    try {
        std::vector<Segment> segments;
        segments.reserve(2 * count);
        segments.push_back(segment_of(v[0], v[1]));
        Fillet fillet{};
        for (uint32_t i = 1; i + 1 < count; ++i) {
            Segment next = segment_of(v[i], v[i + 1]);
            if (fillet_corner(segments.back(), next, radius, min_angle, max_angle, limit, fillet))
                apply_fillet(segments.back(), next, fillet, segments);
            segments.push_back(next);
        }
        if (closed && fillet_corner(segments.back(), segments.front(), radius, min_angle, max_angle,
                                    limit, fillet)) {
            Segment& first = segments.front();
            segments.back().b = fillet.first;
            first.a = fillet.second;
            segments.push_back(fillet_segment(fillet));
        }
        list.vl_N = 0;
        for (const Segment& s : segments) {
            VertexListAppend(list, s.a.x, s.a.y, s.a.z, bulge_of(s), 0);
        }
        const Point3DRec& end = closed ? segments.front().a : segments.back().b;
        VertexListAppend(list, end.x, end.y, end.z, 0.0, 0);
    } catch (...) {
        // Without memory the corners stay as they were.
    }
}

}
