// The text lines at the end of a part file.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "part_file_writer.h"
#include "trennic_test_support.h"

namespace {

using trennic_test::Geometry;

// Loads a part with the machines "Laser" (layers 9001, 9002) and "Punch" (9101) and
// these text lines.
void load_lines(Geometry& geometry, const std::vector<std::string>& lines,
                uint32_t flags = QXLoadMachines, const std::string& line_end = "\r\n")
{
    kzv::Part part;
    part.layers = {kzv::tooling_layer("Laser", 9001, 16), kzv::tooling_layer("Laser", 9002, 17),
                   kzv::tooling_layer("Punch", 9101, 16)};
    part.text_lines = lines;
    part.line_end = line_end;
    ASSERT_EQ(geometry.load(kzv::write_part(part), flags), 0);
}

const QXMachineRec& machine(Geometry& geometry, int32_t index)
{
    return geometry->kz_Machines[index];
}

TEST(TextLines, CurrentMachineKeysIgnoreCase)
{
    Geometry geometry;
    load_lines(geometry, {"C_MACHINE=laser", "c_Machine=Punch"});
    ASSERT_EQ(geometry->kz_NumMachines, 2);
    EXPECT_EQ(machine(geometry, 0).km_Current, 1);
    EXPECT_EQ(machine(geometry, 1).km_Current, 1);
}

TEST(TextLines, ReadinessOfAMachineTheTableLacksAddsIt)
{
    Geometry geometry;
    load_lines(geometry,
               {"mach_data1[0]=Bender|0", "MACH_DATA1[x]=laser|2", "mach_data1[]=Punch|7"});
    ASSERT_EQ(geometry->kz_NumMachines, 3);
    EXPECT_EQ(machine(geometry, 0).km_ReadyForProduction, 3);
    EXPECT_EQ(machine(geometry, 1).km_ReadyForProduction, 1);
    const QXMachineRec& bender = machine(geometry, 2);
    EXPECT_STREQ(bender.km_MachineName, "Bender");
    EXPECT_EQ(bender.km_ReadyForProduction, 2);
    ASSERT_EQ(bender.km_NumLayers, 6);
    EXPECT_EQ(bender.km_Layers[5].kl_Type, 21);
    // The machines from the layer definitions kept their layers through the addition.
    EXPECT_EQ(machine(geometry, 0).km_Layers[1].kl_ID, 9002);
    EXPECT_EQ(machine(geometry, 1).km_Layers[0].kl_ID, 9101);
}

TEST(TextLines, MachineLinesWithoutEqualsOrBarChangeNothing)
{
    Geometry geometry;
    load_lines(geometry,
               {"mach_data1[0]=Bender", "mach_data1[0]Bender|0", "mach_data2[0]=Laser",
                "mach_data3[0]=Laser", "c_machin=Laser", " c_machine=Laser", "ccnd2=0,0"});
    ASSERT_EQ(geometry->kz_NumMachines, 2);
    for (int32_t m = 0; m < 2; ++m) {
        EXPECT_EQ(machine(geometry, m).km_Current, 0);
        EXPECT_EQ(machine(geometry, m).km_ReadyForProduction, 0);
        EXPECT_EQ(machine(geometry, m).km_RotationsValid, 0);
    }
    EXPECT_EQ(geometry->kz_CommonCutNestData.qxc_AllowCluster, 1);
}

TEST(TextLines, MachineOptionsTakeTheValuesThatAreThere)
{
    Geometry geometry;
    load_lines(geometry,
               {"mach_data2[0]=Laser|3|1", "mach_data2[1]=Punch|0x7|1|0|1|1|0|1|2.5|70000|99"});
    const QXMachineRec& laser = machine(geometry, 0);
    EXPECT_EQ(laser.km_RotationsValid, 1);
    EXPECT_EQ(laser.km_Rotations, 3);
    EXPECT_EQ(laser.km_UseRASValid, 1);
    EXPECT_EQ(laser.km_UseRAS, 1);
    for (const int32_t valid :
         {laser.km_UseClusterValid, laser.km_FindBestAngleValid, laser.km_CommonCutNestOkValid,
          laser.km_NestMirrorOkValid, laser.km_CommonCutNestUseDataValid, laser.km_ClearanceValid,
          laser.km_RotationAngleToleranceValid}) {
        EXPECT_EQ(valid, 0);
    }
    const QXMachineRec& punch = machine(geometry, 1);
    EXPECT_EQ(punch.km_Rotations, 7);
    EXPECT_EQ(punch.km_UseCluster, 0);
    EXPECT_EQ(punch.km_FindBestAngle, 1);
    EXPECT_EQ(punch.km_CommonCutNestOk, 1);
    EXPECT_EQ(punch.km_NestMirrorOk, 0);
    EXPECT_EQ(punch.km_CommonCutNestUseData, 1);
    EXPECT_EQ(punch.km_ClearanceValid, 1);
    EXPECT_EQ(punch.km_Clearance, 2.5);
    EXPECT_EQ(punch.km_RotationAngleToleranceValid, 1);
    EXPECT_EQ(punch.km_RotationAngleTolerance, 70000 & 0xFFFF) << "kept as 16 bits";
    // An empty first value still counts, as 0.
    Geometry empty;
    load_lines(empty, {"mach_data2[0]=Laser|"});
    EXPECT_EQ(machine(empty, 0).km_RotationsValid, 1);
    EXPECT_EQ(machine(empty, 0).km_Rotations, 0);
    EXPECT_EQ(machine(empty, 0).km_UseRASValid, 0);
}

TEST(TextLines, CommonCutListsOfThePartAndOfAMachine)
{
    Geometry geometry;
    load_lines(geometry, {"ccnd1=0,1", "mach_data3[0]=Punch|0|0|0|0|0|1|2|3|4|5|6|7|8|0.9|10|20"});
    const QXCommonCutNestDataRec& part = geometry->kz_CommonCutNestData;
    EXPECT_EQ(part.qxc_AllowCluster, 0);
    EXPECT_EQ(part.qxc_NestLOk, 1);
    EXPECT_EQ(part.qxc_NestROk, 1);
    EXPECT_EQ(part.qxc_ClusterCutoffUtil, 60.0);
    EXPECT_EQ(part.qxc_ClusterSquareUtil, 90.0);
    EXPECT_EQ(part.qxc_AreaToCCLengthWeight, 0.5);
    const QXMachineRec& punch = machine(geometry, 1);
    EXPECT_EQ(punch.km_CommonCutNestDataValid, 0) << "never set by the reader";
    EXPECT_EQ(punch.km_CommonCutNestData.qxc_NestMaxCols, 8);
    EXPECT_EQ(punch.km_CommonCutNestData.qxc_ClusterSquareUtil, 20.0);
}

TEST(TextLines, ApplyWhateverTheFlags)
{
    Geometry geometry;
    load_lines(geometry, {"c_machine=Laser", "ccnd1=0"}, 0);
    ASSERT_EQ(geometry->kz_NumMachines, 1)
        << "the viewer's load still gets the machines of its lines";
    EXPECT_STREQ(machine(geometry, 0).km_MachineName, "Laser");
    EXPECT_EQ(machine(geometry, 0).km_NumLayers, 6);
    EXPECT_EQ(machine(geometry, 0).km_Current, 1);
    EXPECT_EQ(geometry->kz_CommonCutNestData.qxc_AllowCluster, 0);
}

TEST(TextLines, EveryLineEndAndLongLines)
{
    for (const std::string line_end : {"\n", "\r", "\r\n"}) {
        SCOPED_TRACE(testing::PrintToString(line_end));
        Geometry geometry;
        load_lines(geometry, {"c_machine=Laser", "", "c_machine=Punch"}, QXLoadMachines, line_end);
        EXPECT_EQ(machine(geometry, 0).km_Current, 1);
        EXPECT_EQ(machine(geometry, 1).km_Current, 1);
    }
    // A line longer than 510 characters goes on as the next line.
    Geometry geometry;
    load_lines(geometry,
               {std::string(510, ' ') + "c_machine=Punch", "c_machine=" + std::string(600, 'L')});
    ASSERT_EQ(geometry->kz_NumMachines, 3) << "the cut-off rest of a line is no key";
    EXPECT_EQ(machine(geometry, 1).km_Current, 1);
    EXPECT_EQ(std::string(machine(geometry, 2).km_MachineName), std::string(500, 'L'));
    EXPECT_EQ(machine(geometry, 2).km_Current, 1);
}

}
