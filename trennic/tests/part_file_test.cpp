// Loading part files: versions and layouts, sections, blocks and the finished drawing.

#include <gtest/gtest.h>

#include <cstring>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "part_file_samples.h"
#include "part_file_writer.h"
#include "test_support/temp_folder.h"
#include "trennic_test_support.h"

namespace {

using trennic_test::Geometry;
using trennic_test::layer_name;

constexpr double kPi = std::numbers::pi;

const ItemBufferRec& items(Geometry& geometry)
{
    return geometry.drawing().dxf_ItemBuffer;
}

const ItemBufferRec& block_items(Geometry& geometry)
{
    return geometry.drawing().dxf_BlockItemBuffer;
}

void put(std::ostream& out, const Point3DRec& point)
{
    out << " (" << point.x << ", " << point.y << ", " << point.z << ')';
}

// The fields of the item types that part files make. Pointers stand for what they
// point at: two loads never share an address.
void describe_payload(std::ostream& out, const ItemRec& item)
{
    switch (item.it_Header.ih_ItemType) {
    case DXFItemBlock:
        put(out, item.it_Block.bk_Base);
        break;
    case DXFItemLine:
        put(out, item.it_Line.ln_Start);
        put(out, item.it_Line.ln_End);
        break;
    case DXFItemXLine:
        put(out, item.it_Ray.ry_Base);
        put(out, item.it_Ray.ry_Direction);
        break;
    case DXFItemArc:
        put(out, item.it_Arc.ar_Centre);
        out << ' ' << item.it_Arc.ar_Radius << ' ' << item.it_Arc.ar_Start << ' '
            << item.it_Arc.ar_End << ' ' << item.it_Arc.ar_Dir;
        break;
    case DXFItemText:
        put(out, item.it_Text.tx_Point);
        out << ' ' << item.it_Text.tx_Height << ' ' << item.it_Text.tx_Rotation << " \""
            << item.it_Text.tx_Text << '"';
        break;
    case DXFItemInsert: {
        const InsertRec& insert = item.it_Insert;
        out << ' ' << insert.in_BlockName << '#' << insert.in_BlockIndex << " kind "
            << insert.in_ArrayKind;
        if (insert.in_ArrayKind == 2) {
            put(out, insert.in_CircCentre);
            put(out, insert.in_CircFirst);
            out << ' ' << insert.in_CircRotation << ' ' << insert.in_CircRadius << ' '
                << insert.in_CircStep << ' ' << insert.in_CircCount;
        } else {
            put(out, insert.in_Point);
            out << ' ' << insert.in_Rotation << ' ' << insert.in_Rows << 'x' << insert.in_Columns
                << ' ' << insert.in_RowAngle << ' ' << insert.in_RowSpacing << ' '
                << insert.in_ColumnAngle << ' ' << insert.in_ColumnSpacing;
        }
        break;
    }
    default:
        break;
    }
}

// Everything a load put into the record, as text, for comparing two loads.
std::string describe(Geometry& geometry)
{
    std::ostringstream out;
    const QXGeometryRec& record = geometry.record;
    out << "material " << (record.kz_MaterialName != nullptr ? record.kz_MaterialName : "(none)")
        << ' ' << record.kz_MaterialThickness << ' ' << record.kz_Rotations << record.kz_UseRAS
        << record.kz_Clusters << record.kz_FindBestAngle << ' ' << record.kz_RotationAngleTolerance
        << '\n';
    const DXFDrawingRec& drawing = record.kz_Drawing;
    for (const ItemBufferRec* buffer : {&drawing.dxf_BlockItemBuffer, &drawing.dxf_ItemBuffer}) {
        for (int32_t i = 0; i < buffer->ib_N; ++i) {
            const ItemRec* item = buffer->ib_Items[i];
            out << item->it_Header.ih_ItemType << " on " << layer_name(drawing, item) << " colour "
                << item->it_Header.ih_Colour << " type " << item->it_Header.ih_LineType << ':';
            describe_payload(out, *item);
            out << '\n';
        }
    }
    out << "base " << record.kz_BaseLayer.kl_HasTooling << '\n';
    for (int32_t m = 0; m < record.kz_NumMachines; ++m) {
        const QXMachineRec& machine = record.kz_Machines[m];
        out << machine.km_MachineName << ' ' << machine.km_Current << machine.km_ReadyForProduction
            << ':';
        for (int32_t l = 0; l < machine.km_NumLayers; ++l)
            out << ' ' << machine.km_Layers[l].kl_ID << '/' << machine.km_Layers[l].kl_Type << '/'
                << machine.km_Layers[l].kl_HasTooling;
        out << '\n';
    }
    return out.str();
}

TEST(CheckFormatID, AcceptsFourIdsAndTellsTheMakersOthersApart)
{
    const std::pair<uint32_t, int32_t> rows[] = {
        {0x55AA55AA, 0}, {0x55AA1610, 0}, {0x55AA1520, 0}, {0x55AA1571, 0}, {0x55AA1572, 2},
        {0x55AA0000, 2}, {0x55AAAA55, 2}, {0x55AB55AA, 1}, {0xAA55AA55, 1}, {0, 1},
    };
    for (const auto& [id, expected] : rows)
        EXPECT_EQ(CheckFormatID(id), expected) << std::hex << id;
}

TEST(PartFile, VersionTwoHasNoMaterialHeaderNorSectionB)
{
    for (const kzv::Version version : {kzv::Version{2, 50, 0}, kzv::Version{2, 10, 0}}) {
        SCOPED_TRACE(version.minor);
        kzv::Part part = kzv::plate(version);
        part.section_b_records = 3; // written only from 2.2
        Geometry geometry;
        ASSERT_EQ(geometry.load(kzv::write_part(part)), 0);
        EXPECT_EQ(geometry->kz_Version, 2);
        EXPECT_EQ(geometry->kz_Revision, version.minor);
        EXPECT_EQ(geometry->kz_MaterialName, nullptr);
        EXPECT_EQ(geometry->kz_MaterialThickness, 0);
        EXPECT_EQ(geometry->kz_Clearance, 0);
        EXPECT_EQ(geometry->kz_Rotations, 0);
        EXPECT_EQ(geometry->kz_UseRAS, 0);
        EXPECT_EQ(geometry->kz_Clusters, 0);
        EXPECT_EQ(geometry->kz_FindBestAngle, 0);
        EXPECT_EQ(geometry->kz_RotationAngleTolerance, 0);
        EXPECT_EQ(items(geometry).ib_N, static_cast<int32_t>(part.elements.size()) - 4)
            << "tooling makes no item";
    }
}

TEST(PartFile, MaintenanceCountsFromMajorVersionFourteen)
{
    struct Row {
        kzv::Version version;
        int32_t maintenance;
    };
    for (const Row& row : {Row{{13, 5, 7}, 0}, Row{{14, 5, 7}, 7}, Row{{15, 20, 3}, 3}}) {
        SCOPED_TRACE(row.version.major);
        Geometry geometry;
        ASSERT_EQ(geometry.load(kzv::write_part(kzv::plate(row.version))), 0);
        EXPECT_EQ(geometry->kz_Version, row.version.major);
        EXPECT_EQ(geometry->kz_Revision, row.version.minor);
        EXPECT_EQ(geometry->kz_MaintRev, row.maintenance);
    }
}

TEST(PartFile, MaterialHeaderFillsTheMaterialFields)
{
    kzv::Part part;
    part.material = kzv::Material{"X5CrNi18-10", 1.25, 0x1B3, 4.5, 720};
    Geometry geometry;
    ASSERT_EQ(geometry.load(kzv::write_part(part)), 0);
    EXPECT_STREQ(geometry->kz_MaterialName, "X5CrNi18-10");
    EXPECT_EQ(geometry->kz_MaterialThickness, 1.25);
    EXPECT_EQ(geometry->kz_Rotations, 3);
    EXPECT_EQ(geometry->kz_UseRAS, 1);
    EXPECT_EQ(geometry->kz_Clusters, 5);
    EXPECT_EQ(geometry->kz_FindBestAngle, 1);
    EXPECT_EQ(geometry->kz_Clearance, 4.5);
    EXPECT_EQ(geometry->kz_RotationAngleTolerance, 720);

    // A name that fills its 41-byte field without a NUL ends there.
    std::vector<uint8_t> bytes = kzv::write_part(part);
    std::fill_n(bytes.begin() + 128 + 4, 41, uint8_t{'Q'});
    Geometry unterminated;
    ASSERT_EQ(unterminated.load(bytes), 0);
    EXPECT_EQ(std::string(unterminated->kz_MaterialName), std::string(41, 'Q'));
}

TEST(PartFile, OldAndCurrentLayoutsGiveTheSamePart)
{
    // 15.19 writes 163-byte layer definitions and 33-byte names; 15.2 the current ones.
    Geometry old_layout;
    Geometry current;
    ASSERT_EQ(old_layout.load(kzv::write_part(kzv::plate({15, 19, 0}))), 0);
    ASSERT_EQ(current.load(kzv::write_part(kzv::plate({15, 20, 0}))), 0);
    EXPECT_EQ(describe(old_layout), describe(current));
    EXPECT_EQ(current->kz_NumMachines, 3);

    Geometry old_blocks;
    Geometry current_blocks;
    kzv::Part part = kzv::blocks_part();
    ASSERT_EQ(current_blocks.load(kzv::write_part(part)), 0);
    part.version = {15, 10, 0};
    ASSERT_EQ(old_blocks.load(kzv::write_part(part)), 0);
    EXPECT_EQ(describe(old_blocks), describe(current_blocks));
    EXPECT_EQ(items(current_blocks).ib_N, 7)
        << "four lines and three placements; the unknown block makes none";
}

TEST(PartFile, OnlySectionAMayBeginWithTheSecondMarker)
{
    for (size_t section = 0; section < 5; ++section) {
        SCOPED_TRACE(section);
        kzv::Part part = kzv::plate({15, 20, 0});
        part.markers[section] = 0x55AAAA55;
        Geometry geometry;
        EXPECT_EQ(geometry.load(kzv::write_part(part)), section == 0 ? 0 : -25);
    }
}

TEST(PartFile, BlockSectionBracketsItsItems)
{
    kzv::Part part;
    part.blocks = {
        kzv::line(0, 0, 9, 9), // outside any block: ignored
        kzv::block_begin("OUTER", 1, 2),
        kzv::placement("INNER", 0, 0, 0), // a block defined later: no item
        kzv::line(0, 0, 1, 0),
        kzv::block_end(),
        kzv::text(0, 0, 0, 1, "between"), // ignored
        kzv::block_begin("INNER", 0, 0),
        kzv::circle(0, 0, 1), // the section ends inside the bracket
    };
    part.elements = {kzv::placement("INNER", 5, 5, 0), kzv::block_begin("NOT A BLOCK", 0, 0),
                     kzv::block_end()};
    Geometry geometry;
    ASSERT_EQ(geometry.load(kzv::write_part(part)), 0);
    const ItemBufferRec& blocks = block_items(geometry);
    const int32_t types[] = {DXFItemBlock, DXFItemLine, DXFItemEndBlock,
                             DXFItemBlock, DXFItemArc,  DXFItemEndBlock};
    ASSERT_EQ(blocks.ib_N, 6);
    for (int32_t i = 0; i < 6; ++i)
        EXPECT_EQ(blocks.ib_Items[i]->it_Header.ih_ItemType, types[i]) << i;
    trennic_test::expect_point(blocks.ib_Items[0]->it_Block.bk_Base, 1, 2);
    char* name = nullptr;
    int32_t index = -1;
    ASSERT_EQ(IsBlockKnown(&geometry.drawing().dxf_BlockIdentifierBuffer, "OUTER", &name, &index),
              1);
    EXPECT_EQ(index, 0);
    ASSERT_EQ(IsBlockKnown(&geometry.drawing().dxf_BlockIdentifierBuffer, "INNER", &name, &index),
              1);
    EXPECT_EQ(index, 3);
    EXPECT_EQ(geometry.drawing().dxf_BlockIdentifierBuffer.bib_N, 2)
        << "kinds 1000 and 1001 mean no block in E";
    ASSERT_EQ(items(geometry).ib_N, 1);
    EXPECT_EQ(items(geometry).ib_Items[0]->it_Insert.in_BlockIndex, 3);
}

TEST(PartFile, FinishedDrawingShowsLayerZeroAndMeasuresItsLinesAndArcs)
{
    kzv::Part part;
    part.elements = {
        kzv::line(0, 0, 10, 5),
        kzv::arc(20, 0, 2, 0, kPi, 1),          // up to y 2, x from 18 to 22
        kzv::text(100, 100, 0, 5, "FAR AWAY"),  // texts are not measured
        kzv::line(-50, -50, -40, -40).layer(7), // hidden layer
        kzv::construction_line(0, 0, 0, 0, 0),  // "Construction" is hidden
        kzv::circle(0, 0, 500).construction(),
    };
    part.blocks = {kzv::block_begin("B", 0, 0), kzv::line(0, 0, 1000, 1000), kzv::block_end()};
    part.elements.push_back(kzv::placement("B", 0, 0, 0)); // inserts are not measured
    Geometry geometry;
    // The caller's flags: lines hidden, texts hidden with another bit besides.
    geometry.drawing().dxf_ItemFlags[DXFItemLine] = DXF_ITEM_TYPE_HIDDEN;
    geometry.drawing().dxf_ItemFlags[DXFItemText] = DXF_ITEM_TYPE_HIDDEN | 4;
    ASSERT_EQ(geometry.load(kzv::write_part(part)), 0);

    const DXFDrawingRec& drawing = geometry.drawing();
    for (int32_t i = 1; i < drawing.dxf_LayerTable.lt_N; ++i) {
        const LayerDataRec* layer = drawing.dxf_LayerTable.lt_Layers[i];
        EXPECT_EQ(layer->ld_Flags & DXFLayerOff, std::strcmp(layer->ld_Name, "0") == 0 ? 0u : 1u)
            << layer->ld_Name;
    }
    EXPECT_EQ(drawing.dxf_DrwgSize.min.x, 0);
    EXPECT_EQ(drawing.dxf_DrwgSize.min.y, 0);
    EXPECT_NEAR(drawing.dxf_DrwgSize.max.x, 22, 1e-9);
    EXPECT_EQ(drawing.dxf_DrwgSize.max.y, 5);
    for (int32_t type = 0; type < DXF_ITEM_TYPE_SLOTS; ++type)
        EXPECT_EQ(drawing.dxf_ItemFlags[type] & DXF_ITEM_TYPE_HIDDEN, 0u) << type;
    EXPECT_EQ(drawing.dxf_ItemFlags[DXFItemText], 4u) << "other bits stay";
}

TEST(PartFile, DeletedRecordsAreSkipped)
{
    kzv::Part part;
    part.layers = {kzv::tooling_layer("M", 9001, 16)};
    part.elements = {
        kzv::line(0, 0, 1, 0).state(2),
        kzv::line(0, 0, 2, 0).state(15),
        kzv::line(0, 0, 3, 0).state(8),
        kzv::tooling(0).layer(9001).state(15),
        // Too short for its kind, but deleted: never read.
        kzv::circular_array("X", 0, 0, 0, 1, 1, 0, 1, 2).length(60).state(2),
    };
    Geometry geometry;
    ASSERT_EQ(geometry.load(kzv::write_part(part)), 0);
    ASSERT_EQ(items(geometry).ib_N, 1);
    EXPECT_EQ(items(geometry).ib_Items[0]->it_Line.ln_End.x, 3);
    EXPECT_EQ(geometry->kz_Machines[0].km_Layers[0].kl_HasTooling, 0u);
}

TEST(PartFile, FlagsChooseDrawingAndMachineTable)
{
    const std::vector<uint8_t> bytes = kzv::write_part(kzv::plate({15, 20, 0}));
    Geometry reference;
    ASSERT_EQ(reference.load(bytes, QXLoadDrawing | QXLoadMachines), 0);
    ASSERT_EQ(reference->kz_Machines[0].km_Layers[0].kl_HasTooling, 0x11u);
    ASSERT_EQ(reference->kz_BaseLayer.kl_HasTooling, 0x21u);

    Geometry neither;
    ASSERT_EQ(neither.load(bytes, 0), 0);
    EXPECT_EQ(neither.drawing().dxf_Pool, nullptr) << "the drawing is not touched";
    EXPECT_EQ(neither.drawing().dxf_LayerTable.lt_N, 0);
    EXPECT_EQ(neither->kz_BaseLayer.kl_HasTooling, 0u);
    // The machines of the text lines only, with default layers.
    ASSERT_EQ(neither->kz_NumMachines, 3);
    EXPECT_EQ(neither->kz_Machines[0].km_Layers[0].kl_ID, -1);
    EXPECT_EQ(neither->kz_Version, 15);
    EXPECT_STREQ(neither->kz_MaterialName, "S235JR");

    Geometry drawing_only;
    ASSERT_EQ(drawing_only.load(bytes, QXLoadDrawing), 0);
    EXPECT_EQ(items(drawing_only).ib_N, items(reference).ib_N);

    Geometry machines_only;
    ASSERT_EQ(machines_only.load(bytes, QXLoadMachines), 0);
    EXPECT_EQ(machines_only.drawing().dxf_ItemBuffer.ib_N, 0);
    EXPECT_EQ(machines_only->kz_BaseLayer.kl_HasTooling, 0x21u);
    ASSERT_EQ(machines_only->kz_NumMachines, 3);
    EXPECT_EQ(machines_only->kz_Machines[0].km_Layers[0].kl_HasTooling, 0x11u);
}

TEST(PartFile, MemoryEntryPointsCheckTheirArguments)
{
    Geometry geometry;
    geometry->kz_Version = 99;
    QXGeometryRec before;
    std::memcpy(&before, &geometry.record, sizeof before);
    EXPECT_EQ(QX_LoadGeometryInfoMem(nullptr, 0, geometry.get(), 3), 0);
    EXPECT_EQ(QX_LoadGeometryMem(nullptr, 0, geometry.get()), 0);
    EXPECT_EQ(std::memcmp(&before, &geometry.record, sizeof before), 0)
        << "the record is unchanged";
    EXPECT_EQ(QX_LoadGeometryInfoMem(nullptr, 5, geometry.get(), 3), -4);
    const uint8_t byte = 0;
    EXPECT_EQ(QX_LoadGeometryInfoMem(&byte, 1, nullptr, 3), -4);
    EXPECT_EQ(QX_LoadGeometryInfoMem(&byte, 0x80000000u, geometry.get(), 3), -24);
    EXPECT_EQ(QX_LoadGeometryInfoFP(nullptr, geometry.get(), 3), -4);
    EXPECT_EQ(QX_LoadGeometryFP(nullptr, geometry.get()), -4);
}

TEST(PartFile, LoadsByName)
{
    const std::vector<uint8_t> bytes = kzv::write_part(kzv::blocks_part());
    const test_support::TempFile file("part.KZV", std::string(bytes.begin(), bytes.end()));
    Geometry geometry;
    ASSERT_EQ(QX_LoadGeometry(file.c_str(), geometry.get()), 0);
    EXPECT_EQ(items(geometry).ib_N, 7);
    EXPECT_EQ(geometry->kz_NumMachines, 0);

    const test_support::TempFile missing("missing.KZV");
    EXPECT_EQ(QX_LoadGeometry(missing.c_str(), geometry.get()), -12);
    EXPECT_EQ(QX_LoadGeometryInfo(nullptr, geometry.get(), 3), -4);
    EXPECT_EQ(QX_LoadGeometryInfo(file.c_str(), nullptr, 3), -4);

    // A handle of the caller's stays open and is read to its end.
    FileHandle* handle = Open(file.c_str(), FileModeRead);
    ASSERT_NE(handle, nullptr);
    Geometry from_handle;
    EXPECT_EQ(QX_LoadGeometryFP(handle, from_handle.get()), 0);
    EXPECT_EQ(FGetc(handle), -1);
    EXPECT_NE(Close(handle), 0);
}

TEST(PartFile, EverySampleLoads)
{
    for (const kzv::NamedPart& sample : kzv::sample_parts()) {
        SCOPED_TRACE(sample.file_name);
        const std::vector<uint8_t> bytes = kzv::write_part(sample.part);
        for (const uint32_t flags : {0u, 1u, 2u, 3u}) {
            Geometry geometry;
            EXPECT_EQ(geometry.load(bytes, flags), 0) << flags;
        }
    }
}

}
