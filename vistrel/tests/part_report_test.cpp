// Part reports: the report's own values, its units, and the machine blocks.
#include "units/part_report.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "test_support/temp_folder.h"
#include "units/vector_catalogue.h"

namespace {

using namespace vistrel::catalogue;

constexpr double kMmPerInch = 25.4;
constexpr double kKgPerLb = 0.45359237;

const TMchRec& machine(const TVectorFile& file, int index)
{
    return *static_cast<const TMchRec*>(file.Machines.Items(index));
}

std::unique_ptr<TVectorFile> read_report(const char* text)
{
    fw::TStringList lines;
    lines.SetText(QString::fromUtf8(text));
    auto file = std::make_unique<TVectorFile>();
    ReadPartReport(lines, *file);
    return file;
}

// A metric report as the nesting software writes it: headings, key lines in its own
// order and two machines, one without laser data.
constexpr const char* kMetricReport = R"(PART REPORT
 UNITS : MM
JOB ID : J-1044
MATERIAL DENSITY : 7,85
PART AREA : 12000.5
HOLES AREA : 314.16
TOTAL AREA : 12314.66
PART WEIGHT : 0.094
HOLES WEIGHT : 0.0025
TOTAL WEIGHT : 0.0965
RECTANGLE WEIGHT : 0.12
#BEGIN_MACHINE_DATA
MACHINE : Punch 5000
NUMBER OF TOOLS : 6
TOTAL HITS : 120
TOTAL NIBBLING HITS : 40
TOTAL SLOW NIBBLING HITS : 10
TOTAL FAST NIBBLING HITS : 30
TIME - MOVEMENT : 12.5
TIME - HITS : 30
TIME - TOTAL : 42,5
#END_MACHINE_DATA
#BEGIN_MACHINE_DATA
   machine : Laser L3
LASER TOTAL PIERCES : 8
LASER TOTAL CUTTING LENGTH : 1520.25
TIME - LASER CUTTING : 61.2
TIME - LASER PIERCES : 4
#END_MACHINE_DATA
)";

TEST(PartReport, ReadsTheReportAndItsMachines)
{
    const auto file = read_report(kMetricReport);
    EXPECT_EQ(file->JobId.toStdString(), "J-1044");
    EXPECT_DOUBLE_EQ(file->Density, 7.85);
    EXPECT_DOUBLE_EQ(file->PartArea, 12000.5);
    EXPECT_DOUBLE_EQ(file->HolesArea, 314.16);
    EXPECT_DOUBLE_EQ(file->TotalArea, 12314.66);
    EXPECT_DOUBLE_EQ(file->PartWgt, 0.094);
    EXPECT_DOUBLE_EQ(file->HolesWgt, 0.0025);
    EXPECT_DOUBLE_EQ(file->TotalWgt, 0.0965);
    EXPECT_DOUBLE_EQ(file->RectWgt, 0.12);

    ASSERT_EQ(file->Machines.Count(), 2);
    const TMchRec& punch = machine(*file, 0);
    EXPECT_EQ(punch.Machine.toStdString(), "Punch 5000");
    EXPECT_EQ(punch.NumTools, 6);
    EXPECT_EQ(punch.TotHits, 120);
    EXPECT_EQ(punch.TotNibbles, 40);
    EXPECT_EQ(punch.TotNibS, 10);
    EXPECT_EQ(punch.TotNibF, 30);
    EXPECT_EQ(punch.TotPierce, 0);
    EXPECT_DOUBLE_EQ(punch.TimeMove, 12.5);
    EXPECT_DOUBLE_EQ(punch.TimeHits, 30);
    EXPECT_DOUBLE_EQ(punch.TimeTotal, 42.5);
    EXPECT_DOUBLE_EQ(punch.TimeCut, 0);

    // Keys are found in any case and with blanks before them; values keep their case.
    const TMchRec& laser = machine(*file, 1);
    EXPECT_EQ(laser.Machine.toStdString(), "Laser L3");
    EXPECT_EQ(laser.TotPierce, 8);
    EXPECT_DOUBLE_EQ(laser.TotCutLen, 1520.25);
    EXPECT_DOUBLE_EQ(laser.TimeCut, 61.2);
    EXPECT_DOUBLE_EQ(laser.TimePierce, 4);
    EXPECT_EQ(laser.TotHits, 0);
}

TEST(PartReport, UnitsLineDecidesMetricOrImperial)
{
    struct Row {
        const char* units_line;
        bool metric;
    };
    const Row rows[] = {
        {"UNITS : MM", true},  {"UNITS : mm", true}, // the letter case of the value does not make it imperial
        {"units : Mm ", true}, {"UNITS : INCHES", false}, {"UNITS : MMX", false},
        {"", false}, // no units line
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.units_line);
        const std::string text = std::string(row.units_line) +
                                 "\nPART AREA : 1\nPART WEIGHT : 1\nMATERIAL DENSITY : 1\n"
                                 "#BEGIN_MACHINE_DATA\nLASER TOTAL CUTTING LENGTH : 10\n"
                                 "TIME - TOTAL : 1\n#END_MACHINE_DATA\n";
        const auto file = read_report(text.c_str());
        ASSERT_EQ(file->Machines.Count(), 1);
        if (row.metric) {
            EXPECT_DOUBLE_EQ(file->PartArea, 1.0);
            EXPECT_DOUBLE_EQ(file->PartWgt, 1.0);
            EXPECT_DOUBLE_EQ(file->Density, 1.0);
            EXPECT_DOUBLE_EQ(machine(*file, 0).TotCutLen, 10.0);
        } else {
            EXPECT_NEAR(file->PartArea, kMmPerInch * kMmPerInch, 1e-9);
            EXPECT_NEAR(file->PartWgt, kKgPerLb, 1e-12);
            // The metric density is the one in which steel reads 7.85 (the grams of a
            // cubic centimetre), so 1 lb/in3 reads 27.68.
            EXPECT_NEAR(file->Density, 27.6799, 1e-9);
            EXPECT_NEAR(machine(*file, 0).TotCutLen, 254.0, 1e-9);
        }
    }
}

TEST(PartReport, ValuesThatCannotBeReadAreZeroOrEmpty)
{
    const auto file = read_report("UNITS : MM\nJOB ID : none\nPART AREA : about 3\n"
                                  "HOLES AREA :\nTOTAL AREA : -2,5\n"
                                  "#BEGIN_MACHINE_DATA\nMACHINE : M\n"
                                  "TOTAL HITS : 12.5\nTIME - TOTAL : x\n"
                                  "TOTAL SLOW NIBBLING HITS : 3\n#END_MACHINE_DATA");
    EXPECT_TRUE(file->JobId.isEmpty());
    EXPECT_EQ(file->PartArea, 0.0);
    EXPECT_EQ(file->HolesArea, 0.0);
    EXPECT_DOUBLE_EQ(file->TotalArea, -2.5);
    ASSERT_EQ(file->Machines.Count(), 1);
    EXPECT_EQ(machine(*file, 0).TotHits, 0); // a count that is no integer
    EXPECT_EQ(machine(*file, 0).TotNibS, 3);
    EXPECT_EQ(machine(*file, 0).TimeTotal, 0.0);
}

TEST(PartReport, MachineBlocksWhereverTheMarkersLie)
{
    struct Row {
        const char* name;
        const char* text;
        const char* machines; // the names read, each followed by ';'
    };
    const Row rows[] = {
        {"a marker on the first line opens a block",
         "#BEGIN_MACHINE_DATA\nMACHINE : A\nTIME - TOTAL : 1\n#END_MACHINE_DATA\n", "A;"},
        {"an empty block is passed over",
         "UNITS : MM\n#BEGIN_MACHINE_DATA\n#END_MACHINE_DATA\n"
         "#BEGIN_MACHINE_DATA\nMACHINE : B\nTIME - TOTAL : 1\n#END_MACHINE_DATA\n",
         "B;"},
        {"the end marker as the last line",
         "x\n#BEGIN_MACHINE_DATA\nMACHINE : C\nTIME - TOTAL : 1\n#END_MACHINE_DATA", "C;"},
        {"a block without an end ends the reading",
         "x\n#BEGIN_MACHINE_DATA\nMACHINE : D\nTIME - TOTAL : 1\n"
         "#BEGIN_MACHINE_DATA\nMACHINE : E\nTIME - TOTAL : 1\n",
         ""},
        {"only data count, not the name or the tools",
         "x\n#BEGIN_MACHINE_DATA\nMACHINE : F\nNUMBER OF TOOLS : 9\nTIME - TOTAL : 0.00001\n"
         "TOTAL HITS : 0\n#END_MACHINE_DATA\n"
         "#BEGIN_MACHINE_DATA\nMACHINE : G\nTIME - TOTAL : 0.00002\n#END_MACHINE_DATA\n",
         "G;"},
        {"a block needs a line starting with TIME - after its first",
         "x\n#BEGIN_MACHINE_DATA\nTIME - TOTAL : 5\nMACHINE : H\nTOTAL HITS : 5\n"
         "#END_MACHINE_DATA\n"
         "#BEGIN_MACHINE_DATA\nMACHINE : I\n  TIME - TOTAL : 5\n#END_MACHINE_DATA\n"
         "#BEGIN_MACHINE_DATA\nMACHINE : J\ntime - total : 5\n#END_MACHINE_DATA\n",
         ""},
        {"markers count only exactly at the start of a line",
         "x\n #BEGIN_MACHINE_DATA\nMACHINE : K\nTIME - TOTAL : 1\n#END_MACHINE_DATA\n"
         "#begin_machine_data\nMACHINE : L\nTIME - TOTAL : 1\n#END_MACHINE_DATA\n"
         "#BEGIN_MACHINE_DATA 2\nMACHINE : M\nTIME - TOTAL : 1\n#END_MACHINE_DATA extra\n",
         "M;"},
        {"keys are searched within their own block",
         "MACHINE : outside\nx\n#BEGIN_MACHINE_DATA\nTOTAL HITS : 1\nTIME - TOTAL : 1\n"
         "#END_MACHINE_DATA\nMACHINE : after\n",
         ";"},
        {"a begin marker inside a block opens a second block to the same end",
         "x\n#BEGIN_MACHINE_DATA\nMACHINE : N\n#BEGIN_MACHINE_DATA\nMACHINE : O\n"
         "TIME - TOTAL : 1\n#END_MACHINE_DATA\n",
         "N;O;"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto file = read_report(row.text);
        std::string names;
        for (int index = 0; index < file->Machines.Count(); ++index)
            names += machine(*file, index).Machine.toStdString() + ";";
        EXPECT_EQ(names, row.machines);
    }
}

TEST(PartReport, MachineRecordReadsOneBlockInTheGivenUnits)
{
    fw::TStringList block;
    block.SetText(QStringLiteral("MACHINE : R\nROUTING TOTAL CUTTING LENGTH : 2\nTIME - ROUTING "
                                 "CUTTING : 3\n"));
    TMchRec routed;
    EXPECT_TRUE(routed.LoadData(&block, vistrel::qxInches));
    EXPECT_DOUBLE_EQ(routed.TotRoutLen, 2 * kMmPerInch);
    EXPECT_DOUBLE_EQ(routed.TimeRout, 3.0);

    block.SetText(QStringLiteral("MACHINE : idle\nNUMBER OF TOOLS : 4\n"));
    TMchRec idle;
    EXPECT_FALSE(idle.LoadData(&block, vistrel::qxMM));
    EXPECT_EQ(idle.NumTools, 4);
    EXPECT_FALSE(idle.LoadData(nullptr, vistrel::qxMM));
}

TEST(PartReport, ReportBesidePartFileIsReadWithTheCatalogue)
{
    test_support::TempFolder folder;
    ASSERT_TRUE(folder.ok());
    folder.write("BRACKET(C).KZV", "");
    folder.write("BRACKET(C).gr", kMetricReport);
    folder.write("PLAIN.KZV", "");
    folder.write("DRAWING.dxf", "");
    folder.write("DRAWING.gr", kMetricReport); // reports belong to part files only

    TVectorManager catalogue;
    catalogue.GetFiles(QString::fromStdString(folder.path()), nullptr);
    ASSERT_EQ(catalogue.FileCount(), 3);
    const TVectorFile* bracket = catalogue.NamedFile(QStringLiteral("BRACKET(C).KZV"));
    ASSERT_NE(bracket, nullptr);
    EXPECT_EQ(bracket->JobId.toStdString(), "J-1044");
    EXPECT_EQ(bracket->Machines.Count(), 2);
    for (const char* name : {"PLAIN.KZV", "DRAWING.dxf"}) {
        SCOPED_TRACE(name);
        const TVectorFile* file = catalogue.NamedFile(QString::fromUtf8(name));
        ASSERT_NE(file, nullptr);
        EXPECT_TRUE(file->JobId.isEmpty());
        EXPECT_EQ(file->Density, 0.0);
        EXPECT_EQ(file->Machines.Count(), 0);
    }
}

}
