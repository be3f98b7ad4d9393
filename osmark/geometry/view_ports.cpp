// View ports: fitting a world rectangle into a device rectangle, converting points both
// ways, and drawing the lines and arcs of a profile drawing as clipped segments.

#include "osmark/view_ports.h"

#include "geometry/tolerance.h"
#include "osmark/memory.h"
#include "osmark/numbers.h"
#include "osmark/profiles.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

using namespace osmark::geometry;

namespace {

// The most chords of one arc: a circle so large on the device that its half-unit chords
// would run to millions (or, past 1e16 units, would not step at all) is cut more
// coarsely instead.
constexpr double kMostChords = 100000.0;
// Clipping moves each end at most once per edge; rounding that keeps an end just
// outside an edge must not keep it going.
constexpr int kMostClips = 8;
constexpr double kHalfSide = 0.7071067811865476;

enum Outcode : uint32_t {
    Above = 1,
    Below = 2,
    Right = 4,
    Left = 8
};

void order(double& low, double& high) noexcept
{
    if (low > high)
        std::swap(low, high);
}

uint32_t outcode(const Rectangle2DRec& visible, double x, double y) noexcept
{
    uint32_t code = 0;
    if (y > visible.max.y)
        code |= Above;
    else if (y < visible.min.y)
        code |= Below;
    if (x > visible.max.x)
        code |= Right;
    else if (x < visible.min.x)
        code |= Left;
    return code;
}

// A device coordinate as the sum of 32-bit parts, held to the 32-bit range.
int32_t device_sum(int64_t sum) noexcept
{
    return static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

class Renderer {
public:
    explicit Renderer(const ViewPort& view) noexcept : m_view(view), m_port(view.rast_port) {}

    void segment(double x1, double y1, double x2, double y2) const noexcept
    {
        const Rectangle2DRec& v = m_view.visible;
        uint32_t code1 = outcode(v, x1, y1);
        uint32_t code2 = outcode(v, x2, y2);
        for (int clips = 0; code1 != 0 || code2 != 0; ++clips) {
            if ((code1 & code2) != 0 || clips == kMostClips)
                return;
            if (code1 == 0) {
                std::swap(x1, x2);
                std::swap(y1, y2);
                std::swap(code1, code2);
            }
            if ((code1 & Above) != 0) {
                x1 = x1 + (x2 - x1) * (v.max.y - y1) / (y2 - y1);
                y1 = v.max.y;
            } else if ((code1 & Below) != 0) {
                x1 = x1 + (x2 - x1) * (v.min.y - y1) / (y2 - y1);
                y1 = v.min.y;
            } else if ((code1 & Right) != 0) {
                y1 = y1 + (y2 - y1) * (v.max.x - x1) / (x2 - x1);
                x1 = v.max.x;
            } else {
                y1 = y1 + (y2 - y1) * (v.min.x - x1) / (x2 - x1);
                x1 = v.min.x;
            }
            code1 = outcode(v, x1, y1);
        }
        const int32_t dx1 = device_x(x1);
        const int32_t dy1 = device_y(y1);
        const int32_t dx2 = device_x(x2);
        const int32_t dy2 = device_y(y2);
        Move(m_port, dx1, dy1);
        Draw(m_port, dx2, dy2);
        // The end pixel in the line's own colour: the port's A pen.
        SetRPPixel(m_port, dx2, dy2, GetAPen(m_port));
    }

    void arc(const ProfileEntityRec& entity) const noexcept
    {
        const double cx = entity.d1;
        const double cy = entity.d2;
        const double r = entity.d3;
        const double a1 = entity.d4;
        const double a2 = entity.d5;
        const double d = entity.direction;
        const Rectangle2DRec& v = m_view.visible;
        // Arcs out of view, or around the whole view, go first and cheaply: zoomed in, they
        // are nearly all of a drawing.
        if (!(cx - r <= v.max.x && cx + r >= v.min.x && cy - r <= v.max.y && cy + r >= v.min.y))
            return;
        const double k = r * kHalfSide;
        if (v.min.x > cx - k && v.max.x < cx + k && v.min.y > cy - k && v.max.y < cy + k)
            return;
        double sweep = std::fabs(d * a2 + 2.0 * kTwoPi - d * a1);
        if (!std::isfinite(sweep) || !std::isfinite(r))
            return;
        if (sweep - kTwoPi >= kTolerance) {
            sweep -= kTwoPi;
            // The whole turns that remain go at once (one at a time never ends for a
            // huge angle), leaving the same sweep in [1e-6, 2 pi + 1e-6).
            if (sweep - kTwoPi >= kTolerance)
                sweep = std::fmod(sweep - kTolerance, kTwoPi) + kTolerance;
        }
        const double device_radius = r * m_view.scale_x;
        if (device_radius <= 0.5) {
            segment(cx, cy, cx, cy);
            return;
        }
        // A radius too large for the half-unit step to be computed keeps the coarsest.
        const double step =
            std::max(sweep / kMostChords, 2.0 * std::acos((device_radius - 0.5) / device_radius));
        const double cos_step = std::cos(step);
        const double sin_step = d * std::sin(step);
        double px = r * std::cos(a1);
        double py = r * std::sin(a1);
        for (int32_t n = 1; a1 + n * step < a1 + sweep; ++n) {
            const double nx = px * cos_step - py * sin_step;
            const double ny = px * sin_step + py * cos_step;
            segment(cx + px, cy + py, cx + nx, cy + ny);
            px = nx;
            py = ny;
        }
        segment(cx + px, cy + py, cx + r * std::cos(a2), cy + r * std::sin(a2));
    }

private:
    int32_t device_x(double x) const noexcept
    {
        return device_sum(int64_t{Round((x - m_view.world.min.x) * m_view.scale_x)} +
                          Trunc(m_view.offset_x));
    }

    int32_t device_y(double y) const noexcept
    {
        return device_sum(int64_t{Trunc(m_view.device.max.y - m_view.device.min.y)} +
                          Trunc(m_view.offset_y) -
                          Round((y - m_view.world.min.y) * m_view.scale_y));
    }

    const ViewPort& m_view;
    RastPort* m_port;
};

}

extern "C" {

OSMARK_API ViewPort* ViewPortCreate(RastPort* rast_port) noexcept
{
    auto* view = static_cast<ViewPort*>(CAllocVec(1, sizeof(ViewPort)));
    if (view == nullptr)
        return nullptr;
    view->node.mln_Succ = &view->node;
    view->node.mln_Pred = &view->node;
    view->rast_port = rast_port;
    return view;
}

OSMARK_API void ViewPortDelete(ViewPort* view_port) noexcept
{
    if (view_port == nullptr)
        return;
    Remove(reinterpret_cast<Node*>(&view_port->node));
    FreeVec(view_port);
}

OSMARK_API void ViewPortSetDrawing(ViewPort* view_port, ProfileDrawing* drawing) noexcept
{
    if (view_port != nullptr)
        view_port->drawing = drawing;
}

OSMARK_API void ViewPortSetSize(ViewPort* view_port, const Rectangle2DRec* device,
                                const Rectangle2DRec* world) noexcept
{
    if (view_port == nullptr)
        return;
    ViewPort& v = *view_port;
    if (device != nullptr)
        v.device = *device;
    if (world != nullptr)
        v.world = *world;
    order(v.device.min.x, v.device.max.x);
    order(v.device.min.y, v.device.max.y);
    const double dw = v.device.max.x - v.device.min.x;
    const double dh = v.device.max.y - v.device.min.y;
    const double ww = v.world.max.x - v.world.min.x;
    const double wh = v.world.max.y - v.world.min.y;
    v.scale_x = is_near_zero(ww) ? 0.0 : dw / ww;
    v.scale_y = is_near_zero(wh) ? 0.0 : dh / wh;
    v.offset_x = v.device.min.x;
    v.offset_y = v.device.min.y;
    if (v.scale_y < v.scale_x) {
        v.scale_x = v.scale_y;
        v.offset_x = v.device.min.x + (dw - ww * v.scale_y) / 2.0;
    } else {
        v.scale_y = v.scale_x;
        v.offset_y = v.device.min.y - (dh - wh * v.scale_x) / 2.0;
    }
    Rectangle2DRec visible = v.device;
    ViewPortMapToWorld(&v, &visible.min.x, &visible.min.y);
    ViewPortMapToWorld(&v, &visible.max.x, &visible.max.y);
    order(visible.min.x, visible.max.x);
    order(visible.min.y, visible.max.y);
    v.visible = visible;
}

OSMARK_API void ViewPortMapToWorld(const ViewPort* view_port, double* x, double* y) noexcept
{
    if (view_port == nullptr || x == nullptr || y == nullptr)
        return;
    const ViewPort& v = *view_port;
    *x = is_near_zero(v.scale_x) ? 0.0 : (*x - v.offset_x) / v.scale_x + v.world.min.x;
    *y = is_near_zero(v.scale_y)
             ? 0.0
             : v.world.min.y - (*y - v.offset_y - (v.device.max.y - v.device.min.y)) / v.scale_y;
}

OSMARK_API void ViewPortMapToViewPort(const ViewPort* view_port, double* x, double* y) noexcept
{
    if (view_port == nullptr || x == nullptr || y == nullptr)
        return;
    const ViewPort& v = *view_port;
    *x = (*x - v.world.min.x) * v.scale_x + v.offset_x;
    *y = (v.device.max.y - v.device.min.y) + v.offset_y - (*y - v.world.min.y) * v.scale_y;
}

OSMARK_API void ViewPortRender(ViewPort* view_port) noexcept
{
    if (view_port == nullptr || view_port->drawing == nullptr)
        return;
    const Renderer renderer(*view_port);
    const ProfileDrawing* drawing = view_port->drawing;
    const uint32_t lists = ProfileDrawingGetProfilesCount(drawing);
    for (uint32_t l = 0; l < lists; ++l) {
        const Profiles* list = ProfileDrawingGetProfiles(drawing, l);
        const uint32_t profiles = ProfilesCount(list);
        for (uint32_t p = 0; p < profiles; ++p) {
            const Profile* profile = ProfilesProfile(list, p);
            const uint32_t entities = ProfileEntityCount(profile);
            for (uint32_t e = 0; e < entities; ++e) {
                const ProfileEntityRec* entity = ProfileEntity(profile, e);
                if (entity == nullptr)
                    continue;
                if (entity->type == EntityTypeLine)
                    renderer.segment(entity->d1, entity->d2, entity->d3, entity->d4);
                else if (entity->type == EntityTypeArc)
                    renderer.arc(*entity);
            }
        }
    }
}
}
