// Ticks and labels of the ruler bands, computed without pixels over linear mappings.

#include "units/ruler_ticks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace vistrel;

namespace {

// Pixel = offset + scale * coordinate.
RulerMapping linear(double offset, double scale)
{
    return [offset, scale](double coordinate) { return offset + scale * coordinate; };
}

std::vector<int> pixels(const std::vector<RulerTick>& ticks)
{
    std::vector<int> result;
    for (const RulerTick& tick : ticks)
        result.push_back(tick.pixel);
    return result;
}

std::vector<std::string> labels(const std::vector<RulerTick>& ticks)
{
    std::vector<std::string> result;
    for (const RulerTick& tick : ticks)
        if (tick.major)
            result.push_back(tick.label.toStdString() + (tick.highlight ? "!" : ""));
    return result;
}

}

// Drawing units of unknown kind count as mm: metric steps and whole-number labels, also
// under an imperial display. Inches under the same display step in inches and feet.
TEST(RulerTicks, UnknownUnitsStepMetricUnderAnImperialDisplay)
{
    TUnitsDisplayManager manager;
    manager.SetDisplayUnits(fImperial);
    // 10 pixels per unit over columns 0..99: a range of 9.9 units.
    const RulerBandLayout layout{RulerBand::Bottom, 0, 9.9, 0, 99};

    const std::vector<RulerTick> unknown =
        ComputeRulerTicks(layout, qxUnitsUnknown, manager, linear(0, 10));
    // Metric first row: a tick every unit, a label every unit.
    EXPECT_EQ(pixels(unknown), (std::vector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
    EXPECT_EQ(labels(unknown),
              (std::vector<std::string>{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));

    // 17 inches: the imperial first row, labels in inches, feet named where they fall.
    const RulerBandLayout wide{RulerBand::Bottom, 0, 17, 0, 199};
    const std::vector<RulerTick> inches = ComputeRulerTicks(wide, qxInches, manager, linear(0, 10));
    ASSERT_EQ(inches.size(), 21u);
    EXPECT_EQ(inches[12].label.toStdString(), "1Ft");
    EXPECT_TRUE(inches[12].highlight);
    EXPECT_EQ(inches[5].label.toStdString(), "5In");
    EXPECT_FALSE(inches[5].highlight);

    // Millimetres under a metric display: marks every 10 mm, labels in cm every 100 mm,
    // metres named where they fall.
    manager.SetDisplayUnits(fMetric);
    const RulerBandLayout metres{RulerBand::Bottom, 0, 1999, 0, 199};
    const std::vector<RulerTick> mm = ComputeRulerTicks(metres, qxMM, manager, linear(0, 0.1));
    EXPECT_EQ(mm.size(), 201u);
    std::vector<std::string> expected;
    for (int k = 0; k <= 20; ++k)
        expected.push_back(k % 10 == 0 ? std::to_string(k / 10) + "M!"
                                       : std::to_string(10 * k) + "cm");
    EXPECT_EQ(labels(mm), expected);
}

TEST(RulerTicks, StartOneWholeStepBeforeTheFirstPixel)
{
    TUnitsDisplayManager manager;
    const RulerBandLayout layout{RulerBand::Bottom, 3.7, 9.9, 0, 99};
    // Ticks from 2 (one step before 3.7, on a whole multiple); 2 maps to -17, not shown.
    const std::vector<RulerTick> ticks =
        ComputeRulerTicks(layout, qxUnitsUnknown, manager, linear(-37, 10));
    EXPECT_EQ(pixels(ticks), (std::vector<int>{3, 13, 23, 33, 43, 53, 63, 73, 83, 93}));
    EXPECT_EQ(labels(ticks).front(), "4");
}

// The bottom band takes a tick at ARect.Right + 1 and ends after it; the left band
// leaves out a tick on row ARect.Bottom and ends after row 0.
TEST(RulerTicks, EndsOfTheBands)
{
    TUnitsDisplayManager manager;
    const RulerBandLayout bottom{RulerBand::Bottom, 0, 9.9, 0, 99};
    const std::vector<RulerTick> x_ticks =
        ComputeRulerTicks(bottom, qxUnitsUnknown, manager, linear(0, 10));
    EXPECT_EQ(x_ticks.back().pixel, 100);

    const RulerBandLayout left{RulerBand::Left, 0, 10, 0, 100};
    const std::vector<RulerTick> y_ticks =
        ComputeRulerTicks(left, qxUnitsUnknown, manager, linear(100, -10));
    EXPECT_EQ(pixels(y_ticks), (std::vector<int>{90, 80, 70, 60, 50, 40, 30, 20, 10, 0}));

    // A band that begins right of column 0 leaves out the ticks left of it.
    const RulerBandLayout offset{RulerBand::Bottom, 0, 9.9, 35, 99};
    EXPECT_EQ(pixels(ComputeRulerTicks(offset, qxUnitsUnknown, manager, linear(0, 10))).front(),
              40);
}

// A mapping that does not carry the ticks towards the band's end (a zero, reversed or
// not finite scale, an empty range) ends the stepping instead of looping for ever.
TEST(RulerTicks, EndsWhenStepsDoNotAdvance)
{
    TUnitsDisplayManager manager;
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* what;
        double first, range, offset, scale;
    } cases[] = {
        {"zero scale", 0, 0, 50, 0},         {"zero scale, some range", 0, 10, 50, 0},
        {"negative scale", 0, -10, 50, -10}, {"negative scale, positive range", 0, 10, 50, -10},
        {"not a number", nan, nan, 50, nan}, {"infinite scale", 0, 10, 0, inf},
        {"infinite range", 0, inf, 0, 10},   {"huge coordinates", 1e300, 1e300, -1e300, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (RulerBand band : {RulerBand::Bottom, RulerBand::Left}) {
            const RulerBandLayout layout{band, c.first, c.range, 0, 100};
            // The left band's rows grow as drawing y falls.
            const RulerMapping mapping =
                linear(c.offset, band == RulerBand::Bottom ? c.scale : -c.scale);
            for (TqxUnitsType units : {qxUnitsUnknown, qxMM, qxInches})
                EXPECT_LE(ComputeRulerTicks(layout, units, manager, mapping).size(), 1u);
        }
    }
}

TEST(RulerTicks, OverlappingLabelsAreLeftOutTheirTicksStay)
{
    std::vector<RulerTick> ticks(5);
    const int at[] = {0, 10, 20, 40, 41};
    for (size_t i = 0; i < ticks.size(); ++i) {
        ticks[i].pixel = at[i];
        ticks[i].major = i != 2;
        ticks[i].label = ticks[i].major ? QStringLiteral("100") : QString();
    }
    // 8 pixels a character, 10 high.
    const LabelMeasure measure = [](const QString& text, bool) {
        return fw::TSize{static_cast<LONG>(8 * text.size()), 10};
    };

    // Bottom band: boxes from the column to 24 pixels right of it, 3 more each side.
    std::vector<int> drawn;
    for (const PlacedLabel& label : PlaceRulerLabels(RulerBand::Bottom, ticks, 5, 16, measure)) {
        drawn.push_back(label.tick);
        EXPECT_EQ(label.anchor, fw::Rect(ticks[label.tick].pixel, 5, ticks[label.tick].pixel, 16));
    }
    EXPECT_EQ(drawn, (std::vector<int>{0, 3}));

    // Left band: boxes 10 high from the row, 3 more above and below.
    drawn.clear();
    for (const PlacedLabel& label : PlaceRulerLabels(RulerBand::Left, ticks, 2, 34, measure)) {
        drawn.push_back(label.tick);
        EXPECT_EQ(label.anchor, fw::Rect(2, ticks[label.tick].pixel, 34, ticks[label.tick].pixel));
    }
    EXPECT_EQ(drawn, (std::vector<int>{0, 3}));

    // A label far from the others is drawn; the first one always is.
    ticks[1].pixel = 16;
    EXPECT_EQ(PlaceRulerLabels(RulerBand::Left, ticks, 2, 34, measure).size(), 3u);
}

TEST(RulerTicks, RepositionTextHeightIsKeptWithinEightToTwenty)
{
    const struct {
        double scale, height;
    } cases[] = {
        {0, 8},
        {0.1, 8},
        {0.32, 8},
        {0.5, 12.5},
        {0.8, 20},
        {1, 20},
        {-0.1, 8},
        {-0.5, -12.5},
        {-2, 20},
        {std::nan(""), 8},
        {std::numeric_limits<double>::infinity(), 20},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(RepositionTextHeight(c.scale), c.height) << c.scale;
}
