// The report beside a part file: a text file with the part file's name and the
// extension ".gr". Each value line is a key ending in " : " and its value; lines are
// found by key (in any letter case, blanks around the line ignored), so their order
// does not matter and other lines are ignored. The report's own keys are searched in
// the whole file, the first matching line winning; machine data come in blocks from a
// line beginning "#BEGIN_MACHINE_DATA" to the next line beginning "#END_MACHINE_DATA"
// (markers exactly so, in capitals, at the start of the line), one machine each.
//
// The "UNITS : " line decides the report's units: "MM" in any letter case means mm,
// mm2, g/mm3 and kg; any other value, or none, inches, square inches, lb/in3 and lb.
// Everything is stored metric. Numbers that cannot be read are 0; a comma may stand
// for the decimal point.
#ifndef VISTREL_UNITS_PART_REPORT_H
#define VISTREL_UNITS_PART_REPORT_H

#include <QtCore/QString>

#include <cstdint>

#include "framework/classes.h"
#include "units/units_display_manager.h"

namespace vistrel::catalogue {

class TVectorFile;

// The data of one machine block.
class TMchRec : public fw::TObject {
public:
    // Reads the lines of one block, lengths given in FileUnits. True when the block
    // holds any data: a count of hits, nibbling hits or pierces, a cutting length or a
    // time above 1e-5 (the name and the number of tools do not count).
    bool LoadData(const fw::TStrings* Str, TqxUnitsType FileUnits);

    QString Machine;
    int32_t NumTools = 0;
    int32_t TotHits = 0;
    int32_t TotNibbles = 0;
    int32_t TotNibS = 0;
    int32_t TotNibF = 0;
    int32_t TotPierce = 0;
    double TotCutLen = 0;  // mm
    double TotRoutLen = 0; // mm
    double TimeMove = 0;   // times as the report writes them
    double TimeHits = 0;
    double TimeNibS = 0;
    double TimeNibF = 0;
    double TimeTotHits = 0;
    double TimePierce = 0;
    double TimeCut = 0;
    double TimeRout = 0;
    double TimeTotal = 0;
};

// Reads the lines of a report into the entry's report fields and appends a TMchRec to
// its Machines for every block that holds a line beginning "TIME - " after its first
// line and any data. A block without an end marker ends the reading; an empty block is
// passed over. Linear in the number of lines, however the markers lie.
void ReadPartReport(const fw::TStrings& lines, TVectorFile& file);

}

#endif
