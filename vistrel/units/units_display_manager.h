// The viewer's units of measure: 19 units with their texts, conversion between them by
// a fixed factor table, promotion to a larger unit as a value grows, formatting with
// unit texts, the step tables of the drawing ruler and the reading of lengths written in
// feet and inches.
//
// TUnitsDisplayManager holds the display system (metric or imperial) and, per kind of
// quantity, the unit and the decimals shown in each system. There is one per program
// (UnitsDisplayManager); its settings live in memory only.
#ifndef VISTREL_UNITS_UNITS_DISPLAY_MANAGER_H
#define VISTREL_UNITS_UNITS_DISPLAY_MANAGER_H

#include <QtCore/QString>

#include <cstdint>

namespace fw {
class TStrings;
}

namespace vistrel {

enum TqxUnitsType : uint8_t {
    qxUnitsUnknown,
    qxMM,
    qxInches,
    qxMeters,
    qxLb,
    qxKg,
    qxGrams,
    qxMMSq,
    qxInSq,
    qxMSq,
    qxgrMM3,
    qxlbInch3,
    qxFt,
    qxFtSq,
    qxYds,
    qxCM,
    qxCMSq,
    qxOunce,
    qxYdsSq
};
constexpr int kUnitsTypeCount = 19;

enum TViewUnits : uint8_t {
    fMetric,
    fImperial,
    fUnitsUnknown
};

// One row of a ruler step table: it applies while the ruler's reference width stays
// below MaxW; long marks and labels every lStep, marks every sStep, labels in
// DisplayUnits. Widths and steps are in mm in the metric table, in inches in the
// imperial one.
struct TRulerUnit {
    double MaxW;
    double lStep;
    double sStep;
    TqxUnitsType DisplayUnits;
};
using pRulerUnit = const TRulerUnit*;

inline constexpr TRulerUnit kMetricRulerUnits[] = {
    {10, 1, 1, qxMM},
    {100, 10, 1, qxMM},
    {1000, 100, 10, qxCM},
    {10000, 1000, 100, qxMeters},
    {100000, 1000, 500, qxMeters},
};
inline constexpr TRulerUnit kImperialRulerUnits[] = {
    {12, 1, 1, qxInches},
    {36, 12, 1, qxFt},
    {3600, 36, 12, qxYds},
};

// The unit's long name ("Inches"), abbreviation ("In") and parenthesised form with its
// leading blank (" (In)"); empty for qxUnitsUnknown and for values outside the type.
QString UnitsLongName(TqxUnitsType units);
QString UnitsAbbreviation(TqxUnitsType units);
QString UnitsParenthesised(TqxUnitsType units);

// Doubles compared with the tolerance 1e-5.
bool FloatEqual(double a, double b);
// a lies below b by more than the tolerance.
bool FloatLess(double a, double b);
bool FloatPositive(double x);

// Value in To. Every pair of compatible units (lengths, areas, weights, densities) has
// a factor; the same unit, an unknown unit or a pair of different kinds returns Value
// unchanged.
double ConvertUnits(TqxUnitsType From, TqxUnitsType To, double Value);
// Value moved into a larger unit when it has grown out of its own (1000 mm become 1 m,
// 0.5 kg become 500 g); Units follows, and the value in it is returned.
double PromoteUnits(TqxUnitsType& Units, double Value);
// Value converted from From to To (and promoted with AutoPromote): with Decimals places
// and a point; followed by the parenthesised unit text; followed directly by the unit's
// abbreviation. The last two show units 0, 16 and 17 without text and with one more
// place.
QString FormatUnitsValue(TqxUnitsType From, TqxUnitsType To, int Decimals, bool AutoPromote,
                         double Value);
QString FormatUnitsValueParen(TqxUnitsType From, TqxUnitsType To, int Decimals, bool AutoPromote,
                              double Value);
QString FormatUnitsValueAbbr(TqxUnitsType From, TqxUnitsType To, int Decimals, bool AutoPromote,
                             double Value);

#define VISTREL_UNITS_SETTING(type, name, field) \
    type name() const                            \
    {                                            \
        return field;                            \
    }                                            \
    void Set##name(type value)                   \
    {                                            \
        field = value;                           \
    }

class TUnitsDisplayManager {
public:
    TUnitsDisplayManager() = default;

    // ---- Settings of each kind of quantity, per system.
    VISTREL_UNITS_SETTING(TqxUnitsType, CfLengthUnitsMetric, fCfLenUM_Metric)
    VISTREL_UNITS_SETTING(TqxUnitsType, CfLengthUnitsImperial, fCfLenUM_Imperial)
    VISTREL_UNITS_SETTING(int, CfLengthUnitsMdec, fCfLenDecM)
    VISTREL_UNITS_SETTING(int, CfLengthUnitsIdec, fCfLenDecI)
    VISTREL_UNITS_SETTING(TqxUnitsType, MatLengthUnitsMetric, fMatLenUM_Metric)
    VISTREL_UNITS_SETTING(TqxUnitsType, MatLengthUnitsImperial, fMatLenUM_Imperial)
    VISTREL_UNITS_SETTING(int, MatLengthUnitsMdec, fMatLenDecM)
    VISTREL_UNITS_SETTING(int, MatLengthUnitsIdec, fMatLenDecI)
    VISTREL_UNITS_SETTING(TqxUnitsType, CfAreaUnitsMetric, fCfAreaUM_Metric)
    VISTREL_UNITS_SETTING(TqxUnitsType, CfAreaUnitsImperial, fCfAreaUM_Imperial)
    VISTREL_UNITS_SETTING(int, CfAreaUnitsMdec, fCfAreaDecM)
    VISTREL_UNITS_SETTING(int, CfAreaUnitsIdec, fCfAreaDecI)
    VISTREL_UNITS_SETTING(TqxUnitsType, MatAreaUnitsMetric, fMatAreaUM_Metric)
    VISTREL_UNITS_SETTING(TqxUnitsType, MatAreaUnitsImperial, fMatAreaUM_Imperial)
    VISTREL_UNITS_SETTING(int, MatAreaUnitsMdec, fMatAreaDecM)
    VISTREL_UNITS_SETTING(int, MatAreaUnitsIdec, fMatAreaDecI)
    VISTREL_UNITS_SETTING(TqxUnitsType, CfWeightUnitsMetric, fCfWeightUM_Metric)
    VISTREL_UNITS_SETTING(TqxUnitsType, CfWeightUnitsImperial, fCfWeightUM_Imperial)
    VISTREL_UNITS_SETTING(int, CfWeightUnitsMdec, fCfWeightDecM)
    VISTREL_UNITS_SETTING(int, CfWeightUnitsIdec, fCfWeightDecI)
    VISTREL_UNITS_SETTING(TqxUnitsType, MatWeightUnitsMetric, fMatWeightUM_Metric)
    VISTREL_UNITS_SETTING(TqxUnitsType, MatWeightUnitsImperial, fMatWeightUM_Imperial)
    VISTREL_UNITS_SETTING(int, MatWeightUnitsMdec, fMatWeightDecM)
    VISTREL_UNITS_SETTING(int, MatWeightUnitsIdec, fMatWeightDecI)
    VISTREL_UNITS_SETTING(TqxUnitsType, AreaCostUnitsMetric, fAreaCostUM_Metric)
    VISTREL_UNITS_SETTING(TqxUnitsType, AreaCostUnitsImperial, fAreaCostUM_Imperial)
    VISTREL_UNITS_SETTING(int, AreaCostUnitsMdec, fAreaCostDecM)
    VISTREL_UNITS_SETTING(int, AreaCostUnitsIdec, fAreaCostDecI)
    VISTREL_UNITS_SETTING(int, DensityUnitsMdec, fDensDecM)
    VISTREL_UNITS_SETTING(int, DensityUnitsIdec, fDensDecI)
    VISTREL_UNITS_SETTING(int, ThicknessUnitsMdec, fThkDecM)
    VISTREL_UNITS_SETTING(int, ThicknessUnitsIdec, fThkDecI)
    VISTREL_UNITS_SETTING(TViewUnits, DisplayUnits, fDU)
    // Stored only: the manager writes no file.
    VISTREL_UNITS_SETTING(bool, WriteOnModify, fWriteOnModify)

    // ---- Current values, in the display system. Without a known system lengths are
    // in mm, the other kinds take their metric unit, and every count of decimals is 1
    // (2 for area cost).
    TqxUnitsType CfLengthUnits() const;
    int CfLenDec() const;
    QString CfLengthUnitsStr() const { return UnitsLongName(CfLengthUnits()); }
    QString CfLengthUnitsStrAbr() const { return UnitsAbbreviation(CfLengthUnits()); }
    TqxUnitsType MatLengthUnits() const;
    int MatLenDec() const;
    QString MatLengthUnitsStr() const { return UnitsLongName(MatLengthUnits()); }
    QString MatLengthUnitsStrAbr() const { return UnitsAbbreviation(MatLengthUnits()); }
    TqxUnitsType CfAreaUnits() const;
    int CfAreaDec() const;
    QString CfAreaUnitsStr() const { return UnitsLongName(CfAreaUnits()); }
    QString CfAreaUnitsStrAbr() const { return UnitsAbbreviation(CfAreaUnits()); }
    TqxUnitsType MatAreaUnits() const;
    int MatAreaDec() const;
    QString MatAreaUnitsStr() const { return UnitsLongName(MatAreaUnits()); }
    QString MatAreaUnitsStrAbr() const { return UnitsAbbreviation(MatAreaUnits()); }
    TqxUnitsType CfWeightUnits() const;
    int CfWeightDec() const;
    QString CfWeightUnitsStr() const { return UnitsLongName(CfWeightUnits()); }
    QString CfWeightUnitsStrAbr() const { return UnitsAbbreviation(CfWeightUnits()); }
    TqxUnitsType MatWeightUnits() const;
    int MatWeightDec() const;
    QString MatWeightUnitsStr() const { return UnitsLongName(MatWeightUnits()); }
    QString MatWeightUnitsStrAbr() const { return UnitsAbbreviation(MatWeightUnits()); }
    TqxUnitsType AreaCostUnits() const;
    int AreaCostDec() const;
    QString AreaCostUnitsStr() const;
    QString AreaCostUnitsStrAbr() const;
    TqxUnitsType DensityUnits() const;
    int DensDec() const;
    QString DensityUnitsStr() const { return UnitsLongName(DensityUnits()); }
    QString DensityUnitsStrAbr() const { return UnitsAbbreviation(DensityUnits()); }
    TqxUnitsType ThicknessUnits() const;
    int ThkDec() const;
    QString ThicknessUnitsStr() const;
    QString ThicknessUnitsStrAbr() const;
    QString StrengthUnitsStr() const { return QStringLiteral("N/mm2"); }
    QString FileName() const { return QStringLiteral("UDM.Dat"); }

    // The step row for a ruler over Range (in OrgUnits): metric rows unless the display
    // is imperial and Locked is clear. Points into the constant tables.
    pRulerUnit CalcRulerUnits(double Range, TqxUnitsType OrgUnits, bool Locked) const;
    // The label of one ruler mark of a row whose labels are in DisplayUnits (a length
    // unit); HighLight tells whether the label names a larger unit than the row's.
    // Empty, without highlight, for any other unit.
    QString RulerUnitsStr(double Value, TqxUnitsType ValueUnits, TqxUnitsType DisplayUnits,
                          bool& HighLight) const;
    // Value rounded to a whole number, as text without a point.
    QString RulerUnitsStrSimple(double Value) const;
    // A length in mm from text with a feet mark (') and an inch mark ("); without
    // either, the text is a length in MatLengthUnits. A part that is no number sets
    // Error (the result is then meaningless).
    double ResolveLengthString(QString Data, bool& Error) const;

    // Clear the list and fill it with the unit choices of the system, each with its
    // unit as the entry's object (nothing for fUnitsUnknown).
    void LengthsToStr(fw::TStrings* Str) const { LengthsToStr(Str, fDU); }
    void LengthsToStr(fw::TStrings* Str, TViewUnits VU) const;
    void AreasToStr(fw::TStrings* Str) const { AreasToStr(Str, fDU); }
    void AreasToStr(fw::TStrings* Str, TViewUnits VU) const;
    void AreaCostToStr(fw::TStrings* Str) const { AreaCostToStr(Str, fDU); }
    void AreaCostToStr(fw::TStrings* Str, TViewUnits VU) const;
    void WeightsToStr(fw::TStrings* Str) const { WeightsToStr(Str, fDU); }
    void WeightsToStr(fw::TStrings* Str, TViewUnits VU) const;

private:
    // The value for the display system: imperial, metric, or without a known system.
    template <typename T>
    T by_system(T metric, T imperial, T unknown) const
    {
        return fDU == fImperial ? imperial : fDU == fMetric ? metric : unknown;
    }

    TViewUnits fDU = fMetric;
    TqxUnitsType fMatLenUM_Metric = qxMeters;
    TqxUnitsType fCfLenUM_Metric = qxMM;
    TqxUnitsType fCfAreaUM_Metric = qxMSq;
    TqxUnitsType fMatAreaUM_Metric = qxMSq;
    TqxUnitsType fCfWeightUM_Metric = qxKg;
    TqxUnitsType fMatWeightUM_Metric = qxKg;
    TqxUnitsType fCfLenUM_Imperial = qxInches;
    TqxUnitsType fMatLenUM_Imperial = qxFt;
    TqxUnitsType fCfAreaUM_Imperial = qxInSq;
    TqxUnitsType fMatAreaUM_Imperial = qxFtSq;
    TqxUnitsType fCfWeightUM_Imperial = qxLb;
    TqxUnitsType fMatWeightUM_Imperial = qxLb;
    TqxUnitsType fAreaCostUM_Metric = qxMSq;
    TqxUnitsType fAreaCostUM_Imperial = qxFtSq;
    int fCfLenDecM = 1;
    int fMatLenDecM = 1;
    int fCfLenDecI = 1;
    int fMatLenDecI = 1;
    int fCfAreaDecM = 1;
    int fMatAreaDecM = 1;
    int fCfAreaDecI = 1;
    int fMatAreaDecI = 1;
    int fCfWeightDecM = 1;
    int fMatWeightDecM = 1;
    int fCfWeightDecI = 1;
    int fMatWeightDecI = 1;
    int fAreaCostDecM = 2;
    int fAreaCostDecI = 2;
    int fThkDecM = 1;
    int fThkDecI = 1;
    int fDensDecM = 1;
    int fDensDecI = 1;
    bool fWriteOnModify = false;
};

#undef VISTREL_UNITS_SETTING

// The program's one manager, made on the first call.
TUnitsDisplayManager* UnitsDisplayManager();
// Frees it (the unit's finalisation); the next call of UnitsDisplayManager makes a new
// one.
void FreeUnitsDisplayManager();

}

#endif
