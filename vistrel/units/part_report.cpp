#include "units/part_report.h"

#include <algorithm>
#include <array>
#include <exception>
#include <memory>
#include <vector>

#include "framework/sysutils.h"
#include "units/string_utils.h"
#include "units/vector_catalogue.h"

namespace vistrel::catalogue {

namespace {

// ---- Keys and markers ----------------------------------------------------------------------

enum ReportKey : uint8_t {
    kUnits,
    kJobId,
    kDensity,
    kPartArea,
    kHolesArea,
    kTotalArea,
    kPartWeight,
    kHolesWeight,
    kTotalWeight,
    kRectangleWeight,
    kReportKeyCount
};

constexpr std::array<const char16_t*, kReportKeyCount> kReportKeys{
    u"UNITS : ",        u"JOB ID : ",           u"MATERIAL DENSITY : ", u"PART AREA : ",
    u"HOLES AREA : ",   u"TOTAL AREA : ",       u"PART WEIGHT : ",      u"HOLES WEIGHT : ",
    u"TOTAL WEIGHT : ", u"RECTANGLE WEIGHT : ",
};

enum MachineKey : uint8_t {
    kMachine,
    kNumTools,
    kTotHits,
    kTotNibbles,
    kTotNibS,
    kTotNibF,
    kTotPierce,
    kTotCutLen,
    kTotRoutLen,
    kTimeMove,
    kTimeHits,
    kTimeNibS,
    kTimeNibF,
    kTimeTotHits,
    kTimePierce,
    kTimeCut,
    kTimeRout,
    kTimeTotal,
    kMachineKeyCount
};

constexpr std::array<const char16_t*, kMachineKeyCount> kMachineKeys{
    u"MACHINE : ",
    u"NUMBER OF TOOLS : ",
    u"TOTAL HITS : ",
    u"TOTAL NIBBLING HITS : ",
    u"TOTAL SLOW NIBBLING HITS : ",
    u"TOTAL FAST NIBBLING HITS : ",
    u"LASER TOTAL PIERCES : ",
    u"LASER TOTAL CUTTING LENGTH : ",
    u"ROUTING TOTAL CUTTING LENGTH : ",
    u"TIME - MOVEMENT : ",
    u"TIME - HITS : ",
    u"TIME - SLOW NIBBLING HITS : ",
    u"TIME - FAST NIBBLING HITS : ",
    u"TIME - TOTAL HITS : ",
    u"TIME - LASER PIERCES : ",
    u"TIME - LASER CUTTING : ",
    u"TIME - ROUTING CUTTING : ",
    u"TIME - TOTAL : ",
};

// Markers match the start of a line exactly.
constexpr const char16_t* kBeginMarker = u"#BEGIN_MACHINE_DATA";
constexpr const char16_t* kEndMarker = u"#END_MACHINE_DATA";
constexpr const char16_t* kTimePrefix = u"TIME - ";

// A time counts as data above this.
constexpr double kLeastTime = 1e-5;

// ---- The lines by what they hold ---------------------------------------------------------

// The lines that hold one key or marker, ascending, with the key's values.
struct Occurrences {
    std::vector<int> lines;
    std::vector<QString> values;
};

// The lines of a report indexed once: for every key and marker the lines that hold it
// in order, with the values of the key lines. Finding a key between two lines is then
// a binary search, so blocks that overlap (a begin marker inside a block) cost no
// rescanning.
class IndexedLines {
public:
    explicit IndexedLines(const fw::TStrings& lines);

    int count() const { return m_count; }
    // The first line in [from, to) that holds the key or marker; -1 when none does.
    int find_machine_key(MachineKey key, int from, int to) const
    {
        return find(m_machine_keys[key], from, to);
    }
    int find_begin(int from) const { return find(m_begins, from, m_count); }
    int find_end(int from) const { return find(m_ends, from, m_count); }
    int find_time(int from, int to) const { return find(m_times, from, to); }
    // The value on that line, which holds the key.
    const QString& machine_value(MachineKey key, int line) const
    {
        return value_at(m_machine_keys[key], line);
    }
    // The value of the first line that holds the key; empty when none does.
    QString report_value(ReportKey key) const
    {
        const Occurrences& found = m_report_keys[key];
        return found.lines.empty() ? QString() : found.values.front();
    }

private:
    static int find(const Occurrences& occurrences, int from, int to)
    {
        const auto& lines = occurrences.lines;
        const auto it = std::lower_bound(lines.begin(), lines.end(), from);
        return it == lines.end() || *it >= to ? -1 : *it;
    }
    static const QString& value_at(const Occurrences& occurrences, int line)
    {
        const auto& lines = occurrences.lines;
        const auto it = std::lower_bound(lines.begin(), lines.end(), line);
        return occurrences.values[static_cast<size_t>(it - lines.begin())];
    }

    int m_count = 0;
    Occurrences m_begins;
    Occurrences m_ends;
    Occurrences m_times;
    std::array<Occurrences, kReportKeyCount> m_report_keys;
    std::array<Occurrences, kMachineKeyCount> m_machine_keys;
};

// The key matches when the line, upper-cased and without blanks at its ends, begins
// with it; the value is the rest of the line in its own case, without blanks at its
// ends. Upper-casing keeps the length, so the key's length ends the key in the line.
void note_key(Occurrences& occurrences, int line, const QString& text, const QString& upper,
              const char16_t* key)
{
    const QString key_text = QString::fromUtf16(key);
    if (!upper.startsWith(key_text))
        return;
    occurrences.lines.push_back(line);
    occurrences.values.push_back(TrimBlanks(TrimBlanks(text).mid(key_text.size())));
}

IndexedLines::IndexedLines(const fw::TStrings& lines) : m_count(lines.Count())
{
    const QString begin_marker = QString::fromUtf16(kBeginMarker);
    const QString end_marker = QString::fromUtf16(kEndMarker);
    const QString time_prefix = QString::fromUtf16(kTimePrefix);
    for (int line = 0; line < m_count; ++line) {
        const QString text = lines.Strings(line);
        if (text.startsWith(begin_marker))
            m_begins.lines.push_back(line);
        if (text.startsWith(end_marker))
            m_ends.lines.push_back(line);
        if (text.startsWith(time_prefix))
            m_times.lines.push_back(line);
        const QString upper = TrimBlanks(fw::AnsiUpperCase(text));
        if (upper.isEmpty())
            continue;
        for (size_t key = 0; key < kReportKeys.size(); ++key)
            note_key(m_report_keys[key], line, text, upper, kReportKeys[key]);
        for (size_t key = 0; key < kMachineKeys.size(); ++key)
            note_key(m_machine_keys[key], line, text, upper, kMachineKeys[key]);
    }
}

// ---- Machines ----------------------------------------------------------------------------

// Fills the record from the lines [from, to); true when it holds any data.
bool load_machine(TMchRec& machine, const IndexedLines& lines, int from, int to,
                  TqxUnitsType length_units)
{
    const auto text = [&](MachineKey key) {
        const int line = lines.find_machine_key(key, from, to);
        return line < 0 ? QString() : lines.machine_value(key, line);
    };
    const auto count = [&](MachineKey key) { return fw::StrToIntDef(text(key), 0); };
    const auto number = [&](MachineKey key) { return StrToFloatTolerant(text(key)); };
    const auto length = [&](MachineKey key) {
        return ConvertUnits(length_units, qxMM, number(key));
    };

    machine.Machine = text(kMachine);
    machine.NumTools = count(kNumTools);
    machine.TotHits = count(kTotHits);
    machine.TotNibbles = count(kTotNibbles);
    machine.TotNibS = count(kTotNibS);
    machine.TotNibF = count(kTotNibF);
    machine.TotPierce = count(kTotPierce);
    machine.TotCutLen = length(kTotCutLen);
    machine.TotRoutLen = length(kTotRoutLen);
    machine.TimeMove = number(kTimeMove);
    machine.TimeHits = number(kTimeHits);
    machine.TimeNibS = number(kTimeNibS);
    machine.TimeNibF = number(kTimeNibF);
    machine.TimeTotHits = number(kTimeTotHits);
    machine.TimePierce = number(kTimePierce);
    machine.TimeCut = number(kTimeCut);
    machine.TimeRout = number(kTimeRout);
    machine.TimeTotal = number(kTimeTotal);

    const int32_t counts[] = {machine.TotHits, machine.TotNibbles, machine.TotNibS, machine.TotNibF,
                              machine.TotPierce};
    const double times[] = {machine.TimeMove, machine.TimeHits,    machine.TimeNibS,
                            machine.TimeNibF, machine.TimeTotHits, machine.TimePierce,
                            machine.TimeCut,  machine.TimeRout,    machine.TimeTotal};
    return std::any_of(std::begin(counts), std::end(counts), [](int32_t n) { return n != 0; }) ||
           machine.TotCutLen != 0 || machine.TotRoutLen != 0 ||
           std::any_of(std::begin(times), std::end(times), [](double t) { return t > kLeastTime; });
}

// Appends a record for every block with data. A begin marker on the first line opens a
// block like any other, and an empty block is passed over: the blocks after it are
// still read.
void read_machines(const IndexedLines& lines, TqxUnitsType length_units, fw::TObjectList& machines)
{
    for (int begin = lines.find_begin(0); begin >= 0; begin = lines.find_begin(begin + 1)) {
        const int end = lines.find_end(begin);
        if (end < 0)
            return;
        const int first = begin + 1;
        if (end == first)
            continue;
        // A machine block holds times after its first line.
        if (lines.find_time(first + 1, end) < 0)
            continue;
        auto machine = std::make_unique<TMchRec>();
        if (load_machine(*machine, lines, first, end, length_units))
            machines.Add(machine.release());
    }
}

}

bool TMchRec::LoadData(const fw::TStrings* Str, TqxUnitsType FileUnits)
{
    if (Str == nullptr)
        return false;
    const IndexedLines lines(*Str);
    return load_machine(*this, lines, 0, lines.count(), FileUnits);
}

// ---- The report --------------------------------------------------------------------------

void ReadPartReport(const fw::TStrings& lines, TVectorFile& file)
{
    const IndexedLines indexed(lines);
    const bool metric =
        indexed.report_value(kUnits).compare(QStringLiteral("MM"), Qt::CaseInsensitive) == 0;
    const TqxUnitsType length_units = metric ? qxMM : qxInches;
    const TqxUnitsType area_units = metric ? qxMMSq : qxInSq;
    const TqxUnitsType density_units = metric ? qxgrMM3 : qxlbInch3;
    const TqxUnitsType weight_units = metric ? qxKg : qxLb;
    const auto number = [&](ReportKey key) {
        return StrToFloatTolerant(indexed.report_value(key));
    };

    file.JobId = indexed.report_value(kJobId);
    if (fw::AnsiUpperCase(file.JobId) == QStringLiteral("NONE"))
        file.JobId.clear();
    file.Density = ConvertUnits(density_units, qxgrMM3, number(kDensity));
    file.PartArea = ConvertUnits(area_units, qxMMSq, number(kPartArea));
    file.HolesArea = ConvertUnits(area_units, qxMMSq, number(kHolesArea));
    file.TotalArea = ConvertUnits(area_units, qxMMSq, number(kTotalArea));
    file.PartWgt = ConvertUnits(weight_units, qxKg, number(kPartWeight));
    file.HolesWgt = ConvertUnits(weight_units, qxKg, number(kHolesWeight));
    file.TotalWgt = ConvertUnits(weight_units, qxKg, number(kTotalWeight));
    file.RectWgt = ConvertUnits(weight_units, qxKg, number(kRectangleWeight));
    read_machines(indexed, length_units, file.Machines);
}

void TVectorFile::LoadReport(const QString& FName)
{
    const QString report = fw::ChangeFileExt(FName, QStringLiteral(".gr"));
    if (!fw::FileExists(report))
        return;
    // A report that cannot be read, or fails on the way, keeps what was read before.
    try {
        fw::TStringList lines;
        lines.LoadFromFile(report);
        ReadPartReport(lines, *this);
    } catch (const std::exception&) {
    }
}

}
