#include "units/units_display_manager.h"

#include "units/string_utils.h"

#include "framework/classes.h"
#include "framework/sysutils.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>

namespace vistrel {

namespace {

struct UnitsTexts {
    const char* long_name;
    const char* abbreviation;
    const char* parenthesised;
};

// The texts as the viewer has always shown them ("gr)" included).
constexpr UnitsTexts kUnitsTexts[kUnitsTypeCount] = {
    {"", "", ""},
    {"mm", "mm", " (mm)"},
    {"Inches", "In", " (In)"},
    {"Meters", "M", " (M)"},
    {"Lb", "lb", " (lb)"},
    {"Kilos", "kg", " (kg)"},
    {"Grams", "gr)", " (gr)"},
    {"Sq mm", "mm sq", " (mm sq)"},
    {"Sq. In.", "In sq", " (In sq)"},
    {"Sq. Meters", "M Sq", " (M Sq)"},
    {"gr/mm3", "gr/mm3", " (gr/mm3)"},
    {"lb/Inch3", "lb/Inch3", " (lb/Inch3)"},
    {"Feet", "Ft", " (Ft)"},
    {"Sq. Feet", "Ft sq", " (Ft sq)"},
    {"Yards", "Yds", " (Yds)"},
    {"cm", "cm", " (cm)"},
    {"Sq. cm", "cm sq", " (cm sq)"},
    {"Ounces", "Ounce", " (Ounce)"},
    {"Sq. Yards", "Sq Yds", " (Sq Yds)"},
};

const UnitsTexts* texts_of(TqxUnitsType units)
{
    return units < kUnitsTypeCount ? &kUnitsTexts[units] : nullptr;
}

using FactorTable = std::array<std::array<long double, kUnitsTypeCount>, kUnitsTypeCount>;

// The factors as the viewer has always used them, written as decimal constants (not
// exact reciprocals of each other), multiplied in extended precision. The rows of
// yards, centimetres, square centimetres and square yards complete the table, so that
// every pair of the same kind converts: 0 marks a pair without factor.
constexpr FactorTable make_factor_table()
{
    FactorTable t{};
    t[qxMM][qxInches] = 0.0393700787L;
    t[qxMM][qxMeters] = 1.0L / 1000;
    t[qxMM][qxFt] = 0.0032808399L;
    t[qxMM][qxYds] = 0.0010936133L;
    t[qxMM][qxCM] = 0.1L;
    t[qxInches][qxMM] = 25.4L;
    t[qxInches][qxMeters] = 25.4L / 1000;
    t[qxInches][qxFt] = 0.0833333333L;
    t[qxInches][qxYds] = 0.0277777778L;
    t[qxInches][qxCM] = 2.54L;
    t[qxMeters][qxMM] = 1000;
    t[qxMeters][qxInches] = 1.0L / 0.0254L;
    t[qxMeters][qxFt] = 3.2808399L;
    t[qxMeters][qxYds] = 1.09361329833771L;
    t[qxMeters][qxCM] = 100;
    t[qxLb][qxKg] = 0.45359237L;
    t[qxLb][qxGrams] = 453.59237L;
    t[qxLb][qxOunce] = 16;
    t[qxKg][qxLb] = 2.20462262L;
    t[qxKg][qxGrams] = 1000;
    t[qxKg][qxOunce] = 35.2739619L;
    t[qxGrams][qxLb] = 0.00220462262L;
    t[qxGrams][qxKg] = 0.001L;
    t[qxGrams][qxOunce] = 0.0352739619L;
    t[qxMMSq][qxInSq] = 0.0015500031L;
    t[qxMMSq][qxMSq] = 1e-6L;
    t[qxMMSq][qxFtSq] = 1.0764e-5L;
    t[qxMMSq][qxCMSq] = 0.01L;
    t[qxMMSq][qxYdsSq] = 1e-6L * 1.19599005L;
    t[qxInSq][qxMMSq] = 645.16L;
    t[qxInSq][qxMSq] = 6.4516e-4L;
    t[qxInSq][qxFtSq] = 0.00694444444L;
    t[qxInSq][qxCMSq] = 6.4516L;
    t[qxInSq][qxYdsSq] = 0.000771604938L;
    t[qxMSq][qxMMSq] = 1000000;
    t[qxMSq][qxInSq] = 1550.0031L;
    t[qxMSq][qxFtSq] = 10.76391L;
    t[qxMSq][qxCMSq] = 10000;
    t[qxMSq][qxYdsSq] = 1.19599005L;
    t[qxgrMM3][qxlbInch3] = 1.0L / 27.6799L;
    t[qxlbInch3][qxgrMM3] = 27.6799L;
    t[qxFt][qxMM] = 304.8L;
    t[qxFt][qxInches] = 12;
    t[qxFt][qxMeters] = 0.3048L;
    t[qxFt][qxYds] = 0.33333333333333L;
    t[qxFt][qxCM] = 30.48L;
    t[qxFtSq][qxMMSq] = 92903.04L;
    t[qxFtSq][qxInSq] = 144;
    t[qxFtSq][qxMSq] = 0.09290304L;
    t[qxFtSq][qxCMSq] = 929.0304L;
    t[qxFtSq][qxYdsSq] = 0.111111111L;
    t[qxOunce][qxLb] = 0.0625L;
    t[qxOunce][qxKg] = 0.0283495231L;
    t[qxOunce][qxGrams] = 28.3495231L;
    t[qxYdsSq][qxMSq] = 0.83612736L;

    t[qxYds][qxMM] = 914.4L;
    t[qxYds][qxInches] = 36;
    t[qxYds][qxMeters] = 0.9144L;
    t[qxYds][qxFt] = 3;
    t[qxYds][qxCM] = 91.44L;
    t[qxCM][qxMM] = 10;
    t[qxCM][qxInches] = 1.0L / 2.54L;
    t[qxCM][qxMeters] = 0.01L;
    t[qxCM][qxFt] = 1.0L / 30.48L;
    t[qxCM][qxYds] = 1.0L / 91.44L;
    t[qxCMSq][qxMMSq] = 100;
    t[qxCMSq][qxInSq] = 1.0L / 6.4516L;
    t[qxCMSq][qxMSq] = 1e-4L;
    t[qxCMSq][qxFtSq] = 1.0L / 929.0304L;
    t[qxCMSq][qxYdsSq] = 1.0L / 8361.2736L;
    t[qxYdsSq][qxMMSq] = 836127.36L;
    t[qxYdsSq][qxInSq] = 1296;
    t[qxYdsSq][qxFtSq] = 9;
    t[qxYdsSq][qxCMSq] = 8361.2736L;
    return t;
}

constexpr FactorTable kFactors = make_factor_table();

constexpr double kTolerance = 1e-5;
// What the text-to-number conversion gives for text that is no number.
constexpr double kNotANumber = -99999;

// Units with a text after the number in the parenthesised and abbreviated forms.
bool has_unit_text(TqxUnitsType units)
{
    return (units >= qxMM && units <= qxCM) || units == qxYdsSq;
}

// The value converted and, with auto_promote, promoted; to follows the promotion.
double converted(TqxUnitsType from, TqxUnitsType& to, bool auto_promote, double value)
{
    double result = ConvertUnits(from, to, value);
    if (auto_promote)
        result = PromoteUnits(to, result);
    return result;
}

void add_choice(fw::TStrings* list, const char* text, TqxUnitsType units)
{
    list->AddObject(QString::fromLatin1(text),
                    reinterpret_cast<fw::TObject*>(static_cast<uintptr_t>(units)));
}

std::unique_ptr<TUnitsDisplayManager>& the_manager()
{
    static std::unique_ptr<TUnitsDisplayManager> manager;
    return manager;
}

}

QString UnitsLongName(TqxUnitsType units)
{
    const UnitsTexts* texts = texts_of(units);
    return texts != nullptr ? QString::fromLatin1(texts->long_name) : QString();
}

QString UnitsAbbreviation(TqxUnitsType units)
{
    const UnitsTexts* texts = texts_of(units);
    return texts != nullptr ? QString::fromLatin1(texts->abbreviation) : QString();
}

QString UnitsParenthesised(TqxUnitsType units)
{
    const UnitsTexts* texts = texts_of(units);
    return texts != nullptr ? QString::fromLatin1(texts->parenthesised) : QString();
}

bool FloatEqual(double a, double b)
{
    return b - kTolerance < a && a < b + kTolerance;
}

bool FloatLess(double a, double b)
{
    return b - kTolerance > a;
}

bool FloatPositive(double x)
{
    return x > kTolerance;
}

double ConvertUnits(TqxUnitsType From, TqxUnitsType To, double Value)
{
    if (From == To || From >= kUnitsTypeCount || To >= kUnitsTypeCount)
        return Value;
    const long double factor = kFactors[From][To];
    if (factor == 0)
        return Value;
    return static_cast<double>(factor * Value);
}

double PromoteUnits(TqxUnitsType& Units, double Value)
{
    const auto promote = [&](TqxUnitsType to) {
        const double result = ConvertUnits(Units, to, Value);
        Units = to;
        return result;
    };
    switch (Units) {
    case qxMM:
        return Value >= 1000 ? promote(qxMeters) : Value;
    case qxInches:
        if (Value < 100)
            return Value;
        if (ConvertUnits(qxInches, qxFt, Value) > 100)
            return promote(qxYds);
        return promote(qxFt);
    case qxFt:
        return Value > 100 ? promote(qxYds) : Value;
    case qxKg:
        return Value < 1 ? promote(qxGrams) : Value;
    case qxGrams:
        return Value >= 1000 ? promote(qxKg) : Value;
    case qxMMSq:
        return Value > 1000 ? promote(qxMSq) : Value;
    case qxInSq:
        return Value > 100 ? promote(qxFtSq) : Value;
    default:
        return Value;
    }
}

QString FormatUnitsValue(TqxUnitsType From, TqxUnitsType To, int Decimals, bool AutoPromote,
                         double Value)
{
    const double value = converted(From, To, AutoPromote, Value);
    QString text;
    FormatFixed(true, Decimals, false, text, value);
    return text;
}

QString FormatUnitsValueParen(TqxUnitsType From, TqxUnitsType To, int Decimals, bool AutoPromote,
                              double Value)
{
    const double value = converted(From, To, AutoPromote, Value);
    QString text;
    if (!has_unit_text(To)) {
        FormatFixed(true, Decimals + 1, false, text, value);
        return text;
    }
    FormatTrimmed(true, Decimals, text, value);
    return text + UnitsParenthesised(To);
}

QString FormatUnitsValueAbbr(TqxUnitsType From, TqxUnitsType To, int Decimals, bool AutoPromote,
                             double Value)
{
    const double value = converted(From, To, AutoPromote, Value);
    QString text;
    if (!has_unit_text(To)) {
        FormatFixed(false, Decimals + 1, false, text, value);
        return text;
    }
    FormatTrimmed(false, Decimals, text, value);
    return text + UnitsAbbreviation(To);
}

// ---- Current values --------------------------------------------------------------------

TqxUnitsType TUnitsDisplayManager::CfLengthUnits() const
{
    return by_system(fCfLenUM_Metric, fCfLenUM_Imperial, qxMM);
}

int TUnitsDisplayManager::CfLenDec() const
{
    return by_system(fCfLenDecM, fCfLenDecI, 1);
}

TqxUnitsType TUnitsDisplayManager::MatLengthUnits() const
{
    return by_system(fMatLenUM_Metric, fMatLenUM_Imperial, qxMM);
}

int TUnitsDisplayManager::MatLenDec() const
{
    return by_system(fMatLenDecM, fMatLenDecI, 1);
}

TqxUnitsType TUnitsDisplayManager::CfAreaUnits() const
{
    return by_system(fCfAreaUM_Metric, fCfAreaUM_Imperial, fCfAreaUM_Metric);
}

int TUnitsDisplayManager::CfAreaDec() const
{
    return by_system(fCfAreaDecM, fCfAreaDecI, 1);
}

TqxUnitsType TUnitsDisplayManager::MatAreaUnits() const
{
    return by_system(fMatAreaUM_Metric, fMatAreaUM_Imperial, fMatAreaUM_Metric);
}

int TUnitsDisplayManager::MatAreaDec() const
{
    return by_system(fMatAreaDecM, fMatAreaDecI, 1);
}

TqxUnitsType TUnitsDisplayManager::CfWeightUnits() const
{
    return by_system(fCfWeightUM_Metric, fCfWeightUM_Imperial, fCfWeightUM_Metric);
}

int TUnitsDisplayManager::CfWeightDec() const
{
    return by_system(fCfWeightDecM, fCfWeightDecI, 1);
}

TqxUnitsType TUnitsDisplayManager::MatWeightUnits() const
{
    return by_system(fMatWeightUM_Metric, fMatWeightUM_Imperial, fMatWeightUM_Metric);
}

int TUnitsDisplayManager::MatWeightDec() const
{
    return by_system(fMatWeightDecM, fMatWeightDecI, 1);
}

TqxUnitsType TUnitsDisplayManager::AreaCostUnits() const
{
    return by_system(fAreaCostUM_Metric, fAreaCostUM_Imperial, fAreaCostUM_Metric);
}

int TUnitsDisplayManager::AreaCostDec() const
{
    return by_system(fAreaCostDecM, fAreaCostDecI, 2);
}

QString TUnitsDisplayManager::AreaCostUnitsStr() const
{
    return fDU == fImperial ? QStringLiteral("per Sq. Foot") : QStringLiteral("per Sq. Meter");
}

QString TUnitsDisplayManager::AreaCostUnitsStrAbr() const
{
    return fDU == fImperial ? QStringLiteral("per Sq Ft") : QStringLiteral("per M Sq");
}

TqxUnitsType TUnitsDisplayManager::DensityUnits() const
{
    return fDU == fImperial ? qxlbInch3 : qxgrMM3;
}

int TUnitsDisplayManager::DensDec() const
{
    return by_system(fDensDecM, fDensDecI, 1);
}

TqxUnitsType TUnitsDisplayManager::ThicknessUnits() const
{
    return fDU == fImperial ? qxInches : qxMM;
}

int TUnitsDisplayManager::ThkDec() const
{
    return by_system(fThkDecM, fThkDecI, 1);
}

QString TUnitsDisplayManager::ThicknessUnitsStr() const
{
    return fDU == fImperial ? QStringLiteral("Inches") : QStringLiteral("mm");
}

QString TUnitsDisplayManager::ThicknessUnitsStrAbr() const
{
    return fDU == fImperial ? QStringLiteral("In") : QStringLiteral("mm");
}

// ---- Ruler -----------------------------------------------------------------------------

pRulerUnit TUnitsDisplayManager::CalcRulerUnits(double Range, TqxUnitsType OrgUnits,
                                                bool Locked) const
{
    const auto first_row_above = [](double width, const auto& table) -> pRulerUnit {
        for (const TRulerUnit& row : table)
            if (FloatLess(width, row.MaxW))
                return &row;
        return &table[std::size(table) - 1];
    };
    if (fDU != fImperial || Locked)
        return first_row_above(ConvertUnits(OrgUnits, qxMM, Range / 2), kMetricRulerUnits);
    return first_row_above(ConvertUnits(OrgUnits, qxInches, Range / 1.5), kImperialRulerUnits);
}

QString TUnitsDisplayManager::RulerUnitsStr(double Value, TqxUnitsType ValueUnits,
                                            TqxUnitsType DisplayUnits, bool& HighLight) const
{
    const double value = ConvertUnits(ValueUnits, fDU == fImperial ? qxInches : qxMM, Value);
    HighLight = false;
    const int64_t rounded = fw::RoundHalfEven(value);
    const auto divides = [rounded](int64_t step) { return rounded % step == 0; };

    TqxUnitsType label_units = DisplayUnits;
    TqxUnitsType value_base = qxMM;
    switch (DisplayUnits) {
    case qxMM:
        if (divides(1000))
            label_units = qxMeters;
        else if (divides(100))
            label_units = qxCM;
        break;
    case qxCM:
        if (divides(1000))
            label_units = qxMeters;
        break;
    case qxMeters:
        break;
    case qxInches:
        value_base = qxInches;
        if (divides(36))
            label_units = qxYds;
        else if (divides(12))
            label_units = qxFt;
        break;
    case qxFt:
        value_base = qxInches;
        if (divides(36))
            label_units = qxYds;
        break;
    case qxYds:
        value_base = qxInches;
        break;
    default:
        return {};
    }
    HighLight = label_units != DisplayUnits;
    return FormatUnitsValueAbbr(value_base, label_units, 0, false, value);
}

QString TUnitsDisplayManager::RulerUnitsStrSimple(double Value) const
{
    QString text = FormatUnitsValue(qxMM, qxMM, 0, false, Value);
    const qsizetype point = text.indexOf(u'.');
    if (point >= 0)
        text.remove(point, 1);
    return text;
}

double TUnitsDisplayManager::ResolveLengthString(QString Data, bool& Error) const
{
    Error = false;
    double result = 0;
    const auto read = [&Error](const QString& part, TqxUnitsType units) {
        const double number = fw::StrToFloatDef(part, kNotANumber);
        if (FloatEqual(number, kNotANumber)) {
            Error = true;
            return number;
        }
        return ConvertUnits(units, qxMM, number);
    };

    const qsizetype feet_mark = Data.indexOf(u'\'');
    qsizetype inch_mark = Data.indexOf(u'"');
    if (feet_mark >= 0) {
        result = read(Data.left(feet_mark), qxFt);
        Data = Data.mid(feet_mark + 1);
        if (inch_mark < 0)
            return result;
        inch_mark -= feet_mark + 1;
    }
    TqxUnitsType rest_units = qxFt; // a feet mark after the inch mark
    if (inch_mark >= 0) {
        Data.remove(inch_mark, 1);
        rest_units = qxInches;
    } else if (feet_mark < 0) {
        rest_units = MatLengthUnits();
    }
    return result + read(Data, rest_units);
}

// ---- Lists -----------------------------------------------------------------------------

void TUnitsDisplayManager::LengthsToStr(fw::TStrings* Str, TViewUnits VU) const
{
    Str->Clear();
    if (VU == fMetric) {
        add_choice(Str, "Millimeters", qxMM);
        add_choice(Str, "Centimeters", qxCM);
        add_choice(Str, "Meters", qxMeters);
    } else if (VU == fImperial) {
        add_choice(Str, "Inches", qxInches);
        add_choice(Str, "Feet", qxFt);
        add_choice(Str, "Yards", qxYds);
    }
}

void TUnitsDisplayManager::AreasToStr(fw::TStrings* Str, TViewUnits VU) const
{
    Str->Clear();
    if (VU == fMetric) {
        add_choice(Str, "Sq. Millimeters", qxMMSq);
        add_choice(Str, "Sq. Centimeters", qxCMSq);
        add_choice(Str, "Sq. Meters", qxMSq);
    } else if (VU == fImperial) {
        add_choice(Str, "Sq. Inches", qxInSq);
        add_choice(Str, "Sq. Feet", qxFtSq);
    }
}

void TUnitsDisplayManager::AreaCostToStr(fw::TStrings* Str, TViewUnits VU) const
{
    Str->Clear();
    if (VU == fMetric)
        add_choice(Str, "per Sq. Meter", qxMSq);
    else if (VU == fImperial)
        add_choice(Str, "per Sq. Foot", qxFtSq);
}

void TUnitsDisplayManager::WeightsToStr(fw::TStrings* Str, TViewUnits VU) const
{
    Str->Clear();
    if (VU == fMetric) {
        add_choice(Str, "Grams", qxGrams);
        add_choice(Str, "Kilograms", qxKg);
    } else if (VU == fImperial) {
        add_choice(Str, "Ounces", qxOunce);
        add_choice(Str, "Pounds", qxLb);
    }
}

TUnitsDisplayManager* UnitsDisplayManager()
{
    std::unique_ptr<TUnitsDisplayManager>& manager = the_manager();
    if (manager == nullptr)
        manager = std::make_unique<TUnitsDisplayManager>();
    return manager.get();
}

void FreeUnitsDisplayManager()
{
    the_manager().reset();
}

}
