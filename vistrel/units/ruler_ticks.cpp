#include "units/ruler_ticks.h"

#include "framework/sysutils.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vistrel {

namespace {

// More steps than this cannot show as separate ticks on any screen; it bounds the
// stepping when the coordinates lie beyond what whole 64-bit numbers hold.
constexpr double kMaxSteps = 1e6;

struct Units {
    bool known;
    TqxUnitsType file;
    TqxUnitsType base;

    double to_base(double value) const { return known ? ConvertUnits(file, base, value) : value; }
    double to_file(double value) const { return known ? ConvertUnits(base, file, value) : value; }
};

// The tick's pixel lies where the band draws ticks.
bool is_visible(const RulerBandLayout& layout, int64_t pixel)
{
    if (layout.band == RulerBand::Bottom)
        return layout.start <= pixel && pixel <= int64_t{layout.end} + 1;
    return 0 <= pixel && pixel < layout.end;
}

// Stepping goes on after a tick at that pixel.
bool continues_after(const RulerBandLayout& layout, int64_t pixel)
{
    if (layout.band == RulerBand::Bottom)
        return pixel < int64_t{layout.end} + 1;
    return pixel > 0;
}

// The mapping carries growing coordinates towards the band's end: along x to the right,
// along y upwards (towards row 0).
bool mapping_advances(const RulerBandLayout& layout, const RulerMapping& to_pixel)
{
    if (!std::isfinite(layout.range) || layout.range <= 0)
        return false;
    const double advance = to_pixel(layout.first + layout.range) - to_pixel(layout.first);
    const double towards_end = layout.band == RulerBand::Bottom ? advance : -advance;
    return std::isfinite(towards_end) && towards_end > 0;
}

bool boxes_meet(const fw::TRect& a, const fw::TRect& b)
{
    return std::max(a.Left, b.Left) < std::min(a.Right, b.Right) &&
           std::max(a.Top, b.Top) < std::min(a.Bottom, b.Bottom);
}

}

std::vector<RulerTick> ComputeRulerTicks(const RulerBandLayout& layout, TqxUnitsType file_units,
                                         const TUnitsDisplayManager& manager,
                                         const RulerMapping& to_pixel)
{
    const bool known = file_units == qxMM || file_units == qxInches;
    const TqxUnitsType base = manager.DisplayUnits() == fImperial ? qxInches : qxMM;
    const Units units{known, file_units, base};
    const pRulerUnit row = known ? manager.CalcRulerUnits(layout.range, file_units, false)
                                 : manager.CalcRulerUnits(layout.range, qxMM, true);
    const double step = row->sStep;
    const int64_t major_step = fw::RoundHalfEven(row->lStep);

    // A whole multiple of the step, one step before the band's first pixel.
    double value = units.to_base(layout.first) - step;
    value = static_cast<double>(
        fw::Trunc(value - static_cast<double>(fw::Trunc(value) % fw::Trunc(step))));
    double position = units.to_file(value);

    const bool advances = mapping_advances(layout, to_pixel);
    const double range_steps = std::abs(units.to_base(layout.range)) / step + 4;
    const double max_steps = std::isfinite(range_steps) ? std::min(range_steps, kMaxSteps) : 0;

    std::vector<RulerTick> ticks;
    for (double steps = 0;; ++steps) {
        const double pixel_position = to_pixel(position);
        if (!std::isfinite(pixel_position))
            break;
        const int64_t pixel = fw::RoundHalfEven(pixel_position);
        if (is_visible(layout, pixel)) {
            RulerTick tick;
            tick.pixel = static_cast<int>(pixel);
            tick.major = fw::RoundHalfEven(value) % major_step == 0;
            if (tick.major)
                tick.label =
                    known ? manager.RulerUnitsStr(value, base, row->DisplayUnits, tick.highlight)
                          : manager.RulerUnitsStrSimple(value);
            ticks.push_back(std::move(tick));
        }
        if (!continues_after(layout, pixel) || !advances || steps >= max_steps)
            break;
        const double next_position = units.to_file(value + step);
        if (!std::isfinite(next_position) || !(next_position > position))
            break;
        position = next_position;
        value = known ? units.to_base(position) : value + step;
    }
    return ticks;
}

std::vector<PlacedLabel> PlaceRulerLabels(RulerBand band, const std::vector<RulerTick>& ticks,
                                          int label_first, int label_last,
                                          const LabelMeasure& measure)
{
    std::vector<PlacedLabel> placed;
    // Empty and far away, so that the first label is always drawn.
    fw::TRect last_box = fw::Rect(100000, 100000, 100000, 100000);
    for (size_t i = 0; i < ticks.size(); ++i) {
        const RulerTick& tick = ticks[i];
        if (!tick.major || tick.label.isEmpty())
            continue;
        const fw::TRect anchor = band == RulerBand::Bottom
                                     ? fw::Rect(tick.pixel, label_first, tick.pixel, label_last)
                                     : fw::Rect(label_first, tick.pixel, label_last, tick.pixel);
        const fw::TSize size = measure(tick.label, tick.highlight);
        fw::TRect box =
            fw::Rect(anchor.Left, anchor.Top, anchor.Left + size.cx, anchor.Top + size.cy);
        if (band == RulerBand::Bottom) {
            box.Left -= 3;
            box.Right += 3;
        } else {
            box.Top -= 3;
            box.Bottom += 3;
        }
        if (boxes_meet(box, last_box))
            continue;
        placed.push_back({static_cast<int>(i), anchor});
        last_box = box;
    }
    return placed;
}

double RepositionTextHeight(double y_scale)
{
    double height = 25 * y_scale;
    if (!(std::abs(height) >= 8))
        height = 8;
    if (std::abs(height) > 20)
        height = 20;
    return height;
}

}
