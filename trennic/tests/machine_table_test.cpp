// The machine table: defaults, adding machines, common-cut lists, and the table a part
// file's layer definitions give.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numbers>
#include <string>

#include "part_file_writer.h"
#include "trennic/machines.h"
#include "trennic_test_support.h"

namespace {

using trennic_test::FailingAllocations;
using trennic_test::Geometry;

constexpr double kPi = std::numbers::pi;

void expect_defaults(const QXCommonCutNestDataRec& data)
{
    EXPECT_EQ(data.qxc_AllowCluster, 1);
    EXPECT_EQ(data.qxc_NestLOk, 1);
    EXPECT_EQ(data.qxc_NestROk, 1);
    EXPECT_EQ(data.qxc_NestTOk, 1);
    EXPECT_EQ(data.qxc_NestBOk, 1);
    EXPECT_EQ(data.qxc_NestLLength, 0);
    EXPECT_EQ(data.qxc_NestRLength, 0);
    EXPECT_EQ(data.qxc_NestTLength, 0);
    EXPECT_EQ(data.qxc_NestBLength, 0);
    EXPECT_EQ(data.qxc_ClusterCutoffUtil, 60.0);
    EXPECT_EQ(data.qxc_ClusterSquareUtil, 90.0);
    EXPECT_EQ(data.qxc_ClusterMaxSlideX, 0);
    EXPECT_EQ(data.qxc_ClusterMaxSlideY, 0);
    EXPECT_EQ(data.qxc_NestMaxRows, 0);
    EXPECT_EQ(data.qxc_NestMaxCols, 0);
    EXPECT_EQ(data.qxc_AreaToCCLengthWeight, 0.5);
}

TEST(CommonCutNestData, DefaultsAndClearedMachines)
{
    QXCommonCutNestDataRec data;
    std::memset(&data, 0x5A, sizeof data);
    InitCommonCutNestData(&data);
    expect_defaults(data);

    QXMachineRec machine;
    std::memset(&machine, 0x5A, sizeof machine);
    ClearMachine(&machine);
    EXPECT_EQ(machine.km_MachineName, nullptr);
    EXPECT_EQ(machine.km_NumLayers, 0);
    EXPECT_EQ(machine.km_ClearanceValid, 0);
    EXPECT_EQ(machine.km_CommonCutNestDataValid, 0);
    expect_defaults(machine.km_CommonCutNestData);
    InitCommonCutNestData(nullptr);
    ClearMachine(nullptr);
}

TEST(CommonCutNestData, ListFillsTheFieldsOfItsPositions)
{
    QXCommonCutNestDataRec data;
    InitCommonCutNestData(&data);
    char list[] = "0,1";
    EXPECT_EQ(ParseCommonCutNestData(&data, list), 2);
    EXPECT_EQ(data.qxc_AllowCluster, 0);
    EXPECT_EQ(data.qxc_NestLOk, 1);
    data.qxc_AllowCluster = 1;
    expect_defaults(data);

    // Bars win over commas; every position once; a seventeenth field is part of the
    // sixteenth.
    char full[] = "0|0x10|010|0b11|7|1.5|2.5|3.5|4.5|5.5|6.5|-3|12|0.25|70,5|80|99";
    EXPECT_EQ(ParseCommonCutNestData(&data, full), 16);
    EXPECT_EQ(data.qxc_AllowCluster, 0);
    EXPECT_EQ(data.qxc_NestLOk, 16);
    EXPECT_EQ(data.qxc_NestROk, 8);
    EXPECT_EQ(data.qxc_NestTOk, 3);
    EXPECT_EQ(data.qxc_NestBOk, 7);
    EXPECT_EQ(data.qxc_ClusterMaxSlideX, 1.5);
    EXPECT_EQ(data.qxc_ClusterMaxSlideY, 2.5);
    EXPECT_EQ(data.qxc_NestLLength, 3.5);
    EXPECT_EQ(data.qxc_NestRLength, 4.5);
    EXPECT_EQ(data.qxc_NestTLength, 5.5);
    EXPECT_EQ(data.qxc_NestBLength, 6.5);
    EXPECT_EQ(data.qxc_NestMaxRows, -3);
    EXPECT_EQ(data.qxc_NestMaxCols, 12);
    EXPECT_EQ(data.qxc_AreaToCCLengthWeight, 0.25);
    EXPECT_EQ(data.qxc_ClusterCutoffUtil, 70.0) << "the comma is no separator in a list with bars";
    EXPECT_EQ(data.qxc_ClusterSquareUtil, 80.0);

    // The first field always exists.
    InitCommonCutNestData(&data);
    char empty[] = "";
    EXPECT_EQ(ParseCommonCutNestData(&data, empty), 1);
    EXPECT_EQ(data.qxc_AllowCluster, 0);
    EXPECT_EQ(ParseCommonCutNestData(nullptr, empty), 0);
    EXPECT_EQ(ParseCommonCutNestData(&data, nullptr), 0);
}

TEST(AddMachine, AppendsAMachineWithSixDefaultLayersAndKeepsTheOthers)
{
    Geometry geometry;
    ASSERT_EQ(AddMachine(geometry.get(), "Laser"), 0);
    geometry->kz_Machines[0].km_Current = 1;
    geometry->kz_Machines[0].km_Layers[2].kl_HasTooling = 0x21;
    ASSERT_EQ(AddMachine(geometry.get(), "Punch"), 1);
    ASSERT_EQ(geometry->kz_NumMachines, 2);
    const QXMachineRec* machines = geometry->kz_Machines;
    EXPECT_STREQ(machines[0].km_MachineName, "Laser");
    EXPECT_EQ(machines[0].km_Current, 1);
    EXPECT_EQ(machines[0].km_Layers[2].kl_HasTooling, 0x21u);
    EXPECT_STREQ(machines[1].km_MachineName, "Punch");
    EXPECT_EQ(machines[1].km_Current, 0);
    EXPECT_EQ(machines[1].km_ReadyForProduction, 0);
    expect_defaults(machines[1].km_CommonCutNestData);
    for (int32_t m = 0; m < 2; ++m) {
        ASSERT_EQ(machines[m].km_NumLayers, 6);
        // The layer arrays lie behind the machines, machine by machine.
        EXPECT_EQ(reinterpret_cast<const void*>(machines[m].km_Layers),
                  reinterpret_cast<const void*>(reinterpret_cast<const QXLayerRec*>(machines + 2) +
                                                6 * m));
        for (int32_t i = 0; i < 6; ++i) {
            EXPECT_EQ(machines[m].km_Layers[i].kl_ID, -1);
            EXPECT_EQ(machines[m].km_Layers[i].kl_Type, 16 + i);
        }
    }
    EXPECT_EQ(AddMachine(nullptr, "X"), -4);
    EXPECT_EQ(AddMachine(geometry.get(), nullptr), -4);
}

TEST(AddMachine, FailedAdditionLeavesTheTableAsItWas)
{
    Geometry geometry;
    ASSERT_EQ(AddMachine(geometry.get(), "Laser"), 0);
    const QXMachineRec* before = geometry->kz_Machines;
    for (uint32_t successes = 0; successes < 2; ++successes) {
        int32_t result = 0;
        {
            FailingAllocations failing(successes, 1);
            result = AddMachine(geometry.get(), "Punch");
        }
        EXPECT_EQ(result, -1);
        EXPECT_EQ(geometry->kz_NumMachines, 1);
        EXPECT_EQ(geometry->kz_Machines, before);
    }
}

// ---- The table of a part's layer definitions -------------------------------------------

// Loads a part with these layer definitions and the machines flag.
void load_layers(Geometry& geometry, const std::vector<kzv::LayerDefinition>& layers,
                 kzv::Version version = {})
{
    kzv::Part part;
    part.version = version;
    part.layers = layers;
    ASSERT_EQ(geometry.load(kzv::write_part(part), QXLoadMachines), 0);
}

TEST(MachineTable, OneMachinePerNameWithoutRegardToCase)
{
    Geometry geometry;
    load_layers(geometry,
                {kzv::tooling_layer("A", 9001, 16), kzv::tooling_layer("B", 9002, 17),
                 kzv::LayerDefinition{0, 9003, "", 0, "", "A"}, kzv::tooling_layer("a", 9004, 21)});
    ASSERT_EQ(geometry->kz_NumMachines, 2);
    const QXMachineRec& a = geometry->kz_Machines[0];
    EXPECT_STREQ(a.km_MachineName, "A");
    ASSERT_EQ(a.km_NumLayers, 2) << "kind 0 makes no tooling layer";
    EXPECT_EQ(a.km_Layers[0].kl_ID, 9001);
    EXPECT_EQ(a.km_Layers[0].kl_Type, 16);
    EXPECT_EQ(a.km_Layers[1].kl_ID, 9004);
    EXPECT_EQ(a.km_Layers[1].kl_Type, 21);
    const QXMachineRec& b = geometry->kz_Machines[1];
    EXPECT_STREQ(b.km_MachineName, "B");
    ASSERT_EQ(b.km_NumLayers, 1);
    EXPECT_EQ(b.km_Layers[0].kl_ID, 9002);
    EXPECT_EQ(b.km_Layers, a.km_Layers + 2);
    for (const QXMachineRec* machine : {&a, &b}) {
        EXPECT_EQ(machine->km_Current, 0);
        EXPECT_EQ(machine->km_ReadyForProduction, 0);
        expect_defaults(machine->km_CommonCutNestData);
    }
}

TEST(MachineTable, WithoutToolingLayersItIsEmpty)
{
    Geometry geometry;
    load_layers(geometry, {kzv::LayerDefinition{0, 1, "Outline", 0, "", "A"},
                           kzv::tooling_layer("A", 9001, 15), kzv::tooling_layer("A", 9002, 22)});
    EXPECT_EQ(geometry->kz_NumMachines, 0);
    EXPECT_EQ(geometry->kz_Machines, nullptr);
}

TEST(MachineTable, OldLayerDefinitionsGetTheirKindFromTheirAngle)
{
    struct Row {
        uint32_t flags;
        int32_t id;
        double angle;
        int32_t kind; // 0: no tooling layer
    };
    const Row rows[] = {
        {0, 9000, kPi / 2, 17},    {0, 8999, kPi / 2, 0},
        {0x4, 9000, kPi / 2, 20},  {0, 9500, kPi, 18},
        {0, 9500, -kPi / 2, 19},   {0, 9500, 3 * kPi / 2, 19},
        {0, 9500, 0, 16},          {0, 9500, kPi / 2 + 2e-6, 16},
        {0, 9500, kPi - 5e-7, 18}, {18u << 4, 9500, kPi / 2, 18},
        {21u << 4, 100, 0, 21},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.id << " at " << row.angle << " flags " << row.flags);
        Geometry geometry;
        load_layers(geometry, {kzv::LayerDefinition{row.flags, row.id, "L", row.angle, "S", "M"}},
                    kzv::Version{15, 19, 0});
        if (row.kind == 0) {
            EXPECT_EQ(geometry->kz_NumMachines, 0);
            continue;
        }
        ASSERT_EQ(geometry->kz_NumMachines, 1);
        ASSERT_EQ(geometry->kz_Machines[0].km_NumLayers, 1);
        EXPECT_EQ(geometry->kz_Machines[0].km_Layers[0].kl_Type, row.kind);
    }
    // From 15.2 the record's kind stands as written.
    Geometry current;
    load_layers(current, {kzv::LayerDefinition{0, 9000, "L", kPi / 2, "S", "M"}},
                kzv::Version{15, 20, 0});
    EXPECT_EQ(current->kz_NumMachines, 0);
}

TEST(MachineTable, MachineNameWithoutNulEndsAtItsField)
{
    kzv::Part part;
    part.layers = {kzv::tooling_layer("M", 9001, 16)};
    std::vector<uint8_t> bytes = kzv::write_part(part);
    // Headers (128 + 256), section head (8), then the machine name at 127 of the record.
    const size_t name = 128 + 256 + 8 + 127;
    std::fill_n(bytes.begin() + name, 81, uint8_t{'M'});
    Geometry geometry;
    ASSERT_EQ(geometry.load(bytes, QXLoadMachines), 0);
    ASSERT_EQ(geometry->kz_NumMachines, 1);
    EXPECT_EQ(std::string(geometry->kz_Machines[0].km_MachineName), std::string(81, 'M'));
}

}
