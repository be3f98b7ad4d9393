// The viewer's units of measure: conversions, promotion, formatting, ruler steps and
// labels, lengths in feet and inches, and the manager's settings.

#include "units/units_display_manager.h"

#include "framework/classes.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vistrel;

namespace {

std::string s(const QString& text)
{
    return text.toStdString();
}

}

TEST(UnitsConversion, KnownFactors)
{
    const struct {
        TqxUnitsType from, to;
        double value, expected;
    } cases[] = {
        {qxMeters, qxInches, 1, 39.37007874015748},
        {qxInches, qxMeters, 1, 0.0254},
        {qxMM, qxMM, 123.25, 123.25},
        {qxInches, qxMM, 2, 50.8},
        {qxFt, qxInches, 1.5, 18},
        {qxLb, qxOunce, 2, 32},
        {qxKg, qxGrams, 0.25, 250},
        {qxFtSq, qxInSq, 1, 144},
        {qxlbInch3, qxgrMM3, 1, 27.6799},
        {qxgrMM3, qxlbInch3, 27.6799, 1},
        // Unknown units and units of another kind pass the value on.
        {qxUnitsUnknown, qxMM, 7, 7},
        {qxMM, qxUnitsUnknown, 7, 7},
        {qxMM, qxKg, 7, 7},
        {qxMSq, qxMeters, 7, 7},
        {static_cast<TqxUnitsType>(19), qxMM, 7, 7},
        {qxMM, static_cast<TqxUnitsType>(200), 7, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " -> " + std::to_string(c.to));
        EXPECT_NEAR(ConvertUnits(c.from, c.to, c.value), c.expected, 1e-9 * std::abs(c.expected));
    }
    EXPECT_DOUBLE_EQ(ConvertUnits(qxInches, qxMeters, 1), 0.0254);
}

// Yards, centimetres and their squares convert like every other unit: a yard is
// 914.4 mm, not 1.
TEST(UnitsConversion, EveryPairOfTheSameKindHasAFactor)
{
    // Each unit in a common base of its kind.
    const struct {
        TqxUnitsType units;
        int kind;
        double in_base;
    } units[] = {
        {qxMM, 0, 1},         {qxInches, 0, 25.4},
        {qxMeters, 0, 1000},  {qxFt, 0, 304.8},
        {qxYds, 0, 914.4},    {qxCM, 0, 10},
        {qxLb, 1, 453.59237}, {qxKg, 1, 1000},
        {qxGrams, 1, 1},      {qxOunce, 1, 28.349523125},
        {qxMMSq, 2, 1},       {qxInSq, 2, 645.16},
        {qxMSq, 2, 1e6},      {qxFtSq, 2, 92903.04},
        {qxCMSq, 2, 100},     {qxYdsSq, 2, 836127.36},
        {qxgrMM3, 3, 1},      {qxlbInch3, 3, 27.6799},
    };
    for (const auto& from : units)
        for (const auto& to : units) {
            if (from.kind != to.kind)
                continue;
            SCOPED_TRACE(std::to_string(from.units) + " -> " + std::to_string(to.units));
            const double expected = from.in_base / to.in_base;
            // Some of the table's constants carry only 5 significant digits.
            EXPECT_NEAR(ConvertUnits(from.units, to.units, 1), expected, 1e-4 * expected);
        }
    EXPECT_NEAR(ConvertUnits(qxYds, qxMM, 1), 914.4, 1e-9);
    EXPECT_NEAR(ConvertUnits(qxCM, qxInches, 2.54), 1, 1e-12);
}

TEST(UnitsConversion, PromoteUnits)
{
    const struct {
        TqxUnitsType units;
        double value;
        TqxUnitsType promoted;
        double expected;
    } cases[] = {
        {qxMM, 999.9, qxMM, 999.9},
        {qxMM, 1000, qxMeters, 1},
        {qxInches, 99.9, qxInches, 99.9},
        {qxInches, 1200, qxFt, 100}, // 100 ft is not above 100
        {qxInches, 1212, qxYds, 1212 * 0.0277777778},
        {qxFt, 100, qxFt, 100},
        {qxFt, 300, qxYds, 100},
        {qxKg, 0.5, qxGrams, 500},
        {qxKg, 1, qxKg, 1},
        {qxGrams, 999, qxGrams, 999},
        {qxGrams, 1000, qxKg, 1},
        {qxMMSq, 1000, qxMMSq, 1000},
        {qxMMSq, 1000.5, qxMSq, 0.0010005},
        {qxInSq, 100, qxInSq, 100},
        {qxInSq, 288, qxFtSq, 2},
        {qxMeters, 5000, qxMeters, 5000},
        {qxUnitsUnknown, 5000, qxUnitsUnknown, 5000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.units) + " " + std::to_string(c.value));
        TqxUnitsType units = c.units;
        EXPECT_NEAR(PromoteUnits(units, c.value), c.expected, 1e-6);
        EXPECT_EQ(units, c.promoted);
    }
}

TEST(UnitsFormatting, ThreeFormsAndTheUnitsWithoutText)
{
    EXPECT_EQ(s(FormatUnitsValue(qxMM, qxInches, 2, false, 25.4)), "1.00");
    EXPECT_EQ(s(FormatUnitsValue(qxMM, qxMM, 2, true, 1500)), "1.50");
    EXPECT_EQ(s(FormatUnitsValue(qxMM, qxMM, 0, false, 12)), "12.");
    EXPECT_EQ(s(FormatUnitsValueParen(qxMM, qxMM, 2, true, 2000)), "2.0 (M)");
    EXPECT_EQ(s(FormatUnitsValueParen(qxMM, qxMM, 3, false, 12.5)), "12.5 (mm)");
    EXPECT_EQ(s(FormatUnitsValueParen(qxLb, qxLb, 1, false, 3)), "3.0 (lb)");
    EXPECT_EQ(s(FormatUnitsValueParen(qxMSq, qxYdsSq, 1, false, 1)), "1.2 (Sq Yds)");
    EXPECT_EQ(s(FormatUnitsValueAbbr(qxMM, qxMM, 2, true, 2000)), "2M");
    EXPECT_EQ(s(FormatUnitsValueAbbr(qxMM, qxCM, 1, false, 125)), "12.5cm");
    EXPECT_EQ(s(FormatUnitsValueAbbr(qxKg, qxGrams, 0, false, 0.25)), "250gr)");
    // Square centimetres, ounces and unknown units: one more place and no unit text.
    EXPECT_EQ(s(FormatUnitsValueAbbr(qxMMSq, qxCMSq, 1, false, 1234)), "12.34");
    EXPECT_EQ(s(FormatUnitsValueAbbr(qxLb, qxOunce, 0, false, 1)), "16.0");
    EXPECT_EQ(s(FormatUnitsValueParen(qxMMSq, qxCMSq, 1, false, 1234)), "12.34");
    EXPECT_EQ(s(FormatUnitsValueParen(qxUnitsUnknown, qxUnitsUnknown, 0, false, 3)), "3.0");
}

TEST(UnitsFormatting, TextsOfTheUnits)
{
    EXPECT_EQ(s(UnitsLongName(qxInSq)), "Sq. In.");
    EXPECT_EQ(s(UnitsAbbreviation(qxYdsSq)), "Sq Yds");
    EXPECT_EQ(s(UnitsParenthesised(qxGrams)), " (gr)");
    EXPECT_EQ(s(UnitsLongName(qxUnitsUnknown)), "");
    EXPECT_EQ(s(UnitsAbbreviation(static_cast<TqxUnitsType>(19))), "");
}

TEST(UnitsRuler, CalcRulerUnitsPicksTheRowOfTheRange)
{
    TUnitsDisplayManager manager;
    const struct {
        TViewUnits system;
        double range;
        TqxUnitsType units;
        bool locked;
        const TRulerUnit* row;
    } cases[] = {
        {fMetric, 15, qxMM, false, &kMetricRulerUnits[0]},
        {fMetric, 20, qxMM, false, &kMetricRulerUnits[1]},      // 10 is not below 10
        {fMetric, 19.9999, qxMM, false, &kMetricRulerUnits[0]}, // within the tolerance
        {fMetric, 1999, qxMM, false, &kMetricRulerUnits[2]},
        {fMetric, 1000000, qxMM, false, &kMetricRulerUnits[4]},
        {fMetric, 1, qxInches, false, &kMetricRulerUnits[1]},      // 12.7 mm
        {fImperial, 18, qxInches, false, &kImperialRulerUnits[1]}, // 12 is not below 12
        {fImperial, 17.9, qxInches, false, &kImperialRulerUnits[0]},
        {fImperial, 1e6, qxInches, false, &kImperialRulerUnits[2]},
        {fImperial, 15, qxMM, true, &kMetricRulerUnits[0]},
        {fImperial, 100, qxUnitsUnknown, false, &kImperialRulerUnits[2]},
        {fUnitsUnknown, 15, qxMM, false, &kMetricRulerUnits[0]},
        {fMetric, std::nan(""), qxMM, false, &kMetricRulerUnits[4]},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.range));
        manager.SetDisplayUnits(c.system);
        EXPECT_EQ(manager.CalcRulerUnits(c.range, c.units, c.locked), c.row);
    }
}

TEST(UnitsRuler, RulerUnitsStrNamesTheLargestUnitThatDividesTheMark)
{
    TUnitsDisplayManager manager;
    const struct {
        TViewUnits system;
        double value;
        TqxUnitsType value_units, display;
        const char* label;
        bool highlight;
    } cases[] = {
        {fMetric, 2000, qxMM, qxMM, "2M", true},
        {fMetric, 300, qxMM, qxMM, "30cm", true},
        {fMetric, 250, qxMM, qxMM, "250mm", false},
        {fMetric, 3000, qxMM, qxCM, "3M", true},
        {fMetric, 3500, qxMM, qxCM, "350cm", false},
        {fMetric, 3500, qxMM, qxMeters, "4M", false},
        {fMetric, -2000, qxMM, qxMM, "-2M", true},
        {fMetric, 1, qxMeters, qxMM, "1M", true},
        {fImperial, 24, qxInches, qxInches, "2Ft", true},
        {fImperial, 72, qxInches, qxInches, "2Yds", true},
        {fImperial, 5, qxInches, qxInches, "5In", false},
        {fImperial, 72, qxInches, qxFt, "2Yds", true},
        {fImperial, 24, qxInches, qxFt, "2Ft", false},
        {fImperial, 72, qxInches, qxYds, "2Yds", false},
        {fImperial, 25.4, qxMM, qxInches, "1In", false},
        {fMetric, 100, qxMM, qxKg, "", false},
        {fMetric, 100, qxMM, qxUnitsUnknown, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " " + c.label);
        manager.SetDisplayUnits(c.system);
        bool highlight = !c.highlight;
        EXPECT_EQ(s(manager.RulerUnitsStr(c.value, c.value_units, c.display, highlight)), c.label);
        EXPECT_EQ(highlight, c.highlight);
    }
    EXPECT_EQ(s(manager.RulerUnitsStrSimple(1234.4)), "1234");
    EXPECT_EQ(s(manager.RulerUnitsStrSimple(-7.6)), "-8");
    EXPECT_EQ(s(manager.RulerUnitsStrSimple(0)), "0");
}

TEST(UnitsLengths, ResolveLengthString)
{
    TUnitsDisplayManager manager;
    const struct {
        const char* text;
        TViewUnits system;
        double mm;
        bool error;
    } cases[] = {
        {"5' 6\"", fMetric, 66 * 25.4, false},
        {"5'6\"", fImperial, 66 * 25.4, false},
        {"5'", fMetric, 1524, false},
        {"5' 7", fMetric, 1524, false}, // text after the feet mark without inch mark
        {"12\"", fMetric, 304.8, false},
        {"2", fMetric, 2000, false},    // metres, the metric material length units
        {"2", fImperial, 609.6, false}, // feet
        {"2", fUnitsUnknown, 2, false}, // mm
        {"abc", fMetric, 0, true},
        {"x' 3\"", fMetric, 0, true},
        {"", fMetric, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        manager.SetDisplayUnits(c.system);
        bool error = !c.error;
        const double mm = manager.ResolveLengthString(QString::fromUtf8(c.text), error);
        EXPECT_EQ(error, c.error);
        if (!c.error) {
            EXPECT_NEAR(mm, c.mm, 1e-6);
        }
    }
}

TEST(UnitsManager, CurrentValuesFollowTheDisplaySystem)
{
    TUnitsDisplayManager manager;
    EXPECT_EQ(manager.DisplayUnits(), fMetric);
    EXPECT_EQ(manager.CfLengthUnits(), qxMM);
    EXPECT_EQ(manager.MatLengthUnits(), qxMeters);
    EXPECT_EQ(s(manager.MatLengthUnitsStr()), "Meters");
    EXPECT_EQ(manager.AreaCostDec(), 2);
    EXPECT_EQ(s(manager.AreaCostUnitsStr()), "per Sq. Meter");
    EXPECT_EQ(manager.DensityUnits(), qxgrMM3);
    EXPECT_EQ(s(manager.ThicknessUnitsStrAbr()), "mm");
    EXPECT_EQ(s(manager.StrengthUnitsStr()), "N/mm2");
    EXPECT_EQ(s(manager.FileName()), "UDM.Dat");

    manager.SetCfLengthUnitsIdec(3);
    manager.SetDisplayUnits(fImperial);
    EXPECT_EQ(manager.CfLengthUnits(), qxInches);
    EXPECT_EQ(manager.CfLenDec(), 3);
    EXPECT_EQ(manager.MatWeightUnits(), qxLb);
    EXPECT_EQ(s(manager.CfAreaUnitsStrAbr()), "In sq");
    EXPECT_EQ(s(manager.AreaCostUnitsStrAbr()), "per Sq Ft");
    EXPECT_EQ(manager.DensityUnits(), qxlbInch3);
    EXPECT_EQ(s(manager.ThicknessUnitsStr()), "Inches");

    manager.SetCfAreaUnitsMetric(qxCMSq);
    manager.SetCfAreaUnitsMdec(4);
    manager.SetAreaCostUnitsMdec(5);
    manager.SetDisplayUnits(fUnitsUnknown);
    EXPECT_EQ(manager.CfLengthUnits(), qxMM);
    EXPECT_EQ(manager.MatLengthUnits(), qxMM);
    EXPECT_EQ(s(manager.MatLengthUnitsStr()), "mm");
    EXPECT_EQ(manager.CfAreaUnits(), qxCMSq);
    EXPECT_EQ(manager.CfAreaDec(), 1);
    EXPECT_EQ(manager.AreaCostDec(), 2);
    EXPECT_EQ(manager.CfLenDec(), 1);
}

TEST(UnitsManager, ListsOfChoicesCarryTheirUnits)
{
    TUnitsDisplayManager manager;
    fw::TStringList list;
    list.Add(QStringLiteral("old"));
    manager.LengthsToStr(&list);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(s(list.Strings(1)), "Centimeters");
    EXPECT_EQ(reinterpret_cast<uintptr_t>(list.Objects(1)), uintptr_t{qxCM});

    manager.AreasToStr(&list, fImperial);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(list.Objects(1)), uintptr_t{qxFtSq});
    manager.WeightsToStr(&list, fImperial);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(s(list.Strings(1)), "Pounds");
    manager.AreaCostToStr(&list, fMetric);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(list.Objects(0)), uintptr_t{qxMSq});

    manager.WeightsToStr(&list, fUnitsUnknown);
    EXPECT_EQ(list.Count(), 0);
}

TEST(UnitsManager, OneManagerUntilItIsFreed)
{
    TUnitsDisplayManager* manager = UnitsDisplayManager();
    EXPECT_EQ(UnitsDisplayManager(), manager);
    manager->SetDisplayUnits(fImperial);
    FreeUnitsDisplayManager();
    EXPECT_EQ(UnitsDisplayManager()->DisplayUnits(), fMetric);
    FreeUnitsDisplayManager();
}
