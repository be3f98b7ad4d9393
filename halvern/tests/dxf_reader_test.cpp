// The DXF drawing reader: sections, tables, blocks, external references, block
// references, the entry points' arguments and damaged input.

#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "drawing_fixture.h"
#include "dxf_test_support.h"
#include "halvern/dxf_reader.h"
#include "halvern/halvern.h"
#include "dxf/dxf_group_reader.h"
#include "dxf/dxf_group_reader_numbers.h"
#include "osmark/directories.h"
#include "osmark/errors.h"
#include "osmark/format.h"
#include "osmark/memory.h"
#include "osmark/testing.h"
#include "test_support/allocation_failure.h"
#include "test_support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using dxf_test::Group;
using halvern_test::Drawing;

constexpr double kPi = 3.14159265358979323846;

// ---------------------------------------------------------------------------------------
// Fixtures

std::vector<Group> concat(std::initializer_list<std::vector<Group>> parts)
{
    std::vector<Group> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<Group> section(const char* name, const std::vector<Group>& body)
{
    return concat({{{0, "SECTION"}, {2, name}}, body, {{0, "ENDSEC"}}});
}

const std::vector<Group> kEof = {{0, "EOF"}};

// A drawing with a skipped HEADER (booleans among its values), both tables read and
// one skipped, a block with a base point, entities of several kinds with true colours
// and proxy chunks, and a skipped OBJECTS section.
std::vector<Group> sample_drawing()
{
    return concat({
        section("HEADER", {{9, "$ACADVER"}, {1, "AC1015"}, {9, "$EXTMIN"}, {10, "0"}, {20, "0"},
                           {9, "$LWDISPLAY"}, {290, "1"}, {9, "$XEDIT"}, {290, "0"}}),
        section("TABLES",
                {{0, "TABLE"}, {2, "LTYPE"}, {70, "1"},
                 {0, "LTYPE"}, {2, "DASHED"}, {70, "0"}, {3, "Dashed __ __"}, {72, "65"},
                 {73, "2"}, {40, "0.75"}, {49, "0.5"}, {49, "-0.25"},
                 {0, "ENDTAB"},
                 {0, "TABLE"}, {2, "LAYER"}, {70, "2"},
                 {0, "LAYER"}, {2, "WALLS"}, {70, "0"}, {62, "-3"}, {6, "DASHED"},
                 {0, "LAYER"}, {2, "DOORS"}, {70, "0"}, {62, "5"}, {6, "CONTINUOUS"},
                 {0, "ENDTAB"},
                 {0, "TABLE"}, {2, "STYLE"}, {0, "STYLE"}, {2, "STANDARD"}, {0, "ENDTAB"}}),
        section("BLOCKS",
                {{0, "BLOCK"}, {8, "0"}, {2, "DOOR"}, {70, "1"}, {10, "10"}, {20, "5"}, {30, "0"},
                 {3, "DOOR"},
                 {0, "LINE"}, {8, "DOORS"}, {10, "10"}, {20, "5"}, {30, "0"}, {11, "20"}, {21, "5"},
                 {31, "0"},
                 {0, "ARC"}, {8, "DOORS"}, {10, "10"}, {20, "5"}, {40, "10"}, {50, "0"}, {51, "90"},
                 {0, "ENDBLK"}}),
        section("ENTITIES",
                {{0, "LINE"}, {8, "WALLS"}, {62, "1"}, {420, "16711680"}, {10, "0"}, {20, "0"},
                 {11, "100"}, {21, "0"},
                 {0, "CIRCLE"}, {8, "WALLS"}, {92, "3"}, {310, "0A0B0C"}, {10, "50"}, {20, "50"},
                 {40, "2.5"},
                 {0, "INSERT"}, {8, "DOORS"}, {2, "DOOR"}, {10, "30"}, {20, "0"}, {50, "45"},
                 {0, "POINT"}, {10, "1.25"}, {20, "-3.5"},
                 {0, "TEXT"}, {8, "0"}, {10, "1"}, {20, "2"}, {40, "2.5"}, {1, "Hello"},
                 {0, "LWPOLYLINE"}, {8, "WALLS"}, {90, "3"}, {70, "1"}, {10, "0"}, {20, "0"},
                 {42, "0.5"}, {10, "10"}, {20, "0"}, {10, "10"}, {20, "10"}}),
        section("OBJECTS", {{0, "DICTIONARY"}, {5, "C"}, {100, "AcDbDictionary"}, {281, "1"},
                            {0, "XRECORD"}, {5, "D"}, {160, "1099511627776"}, {290, "1"},
                            {310, "FFEE"}}),
        kEof,
    });
}

int32_t read_image(const std::string& bytes, DXFDrawingRec* drawing, int32_t no_warnings = 1,
                   const char* path = nullptr)
{
    return ReadADXFFileMem(bytes.data(), static_cast<uint32_t>(bytes.size()), path, drawing,
                           no_warnings);
}

using test_support::TempFolder;

std::string current_directory()
{
    char* name = GetCurrentDirName();
    std::string copy = name != nullptr ? name : "";
    FreeVec(name);
    return copy;
}

// Requesters answer at once and are counted.
class Requesters {
public:
    Requesters() { osmark_testing_script_requester(0); }
    ~Requesters() { osmark_testing_script_requester(-3); }
    Requesters(const Requesters&) = delete;
    Requesters& operator=(const Requesters&) = delete;

    static uint32_t shown()
    {
        OsmarkGuiCounters counters{};
        osmark_testing_gui_counters(&counters);
        return counters.easy_request;
    }
};

// ---------------------------------------------------------------------------------------
// Describing what was read

std::string number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string point(const Point3DRec& p)
{
    return "(" + number(p.x) + "," + number(p.y) + "," + number(p.z) + ")";
}

std::string layer_name(DXFDrawingRec* drawing, int32_t index)
{
    const LayerTableRec& table = drawing->dxf_LayerTable;
    if (index < 0 || index >= table.lt_N)
        return "<bad layer " + std::to_string(index) + ">";
    return table.lt_Layers[index]->ld_Name;
}

std::string line_type_name(DXFDrawingRec* drawing, int32_t index)
{
    const LineTypeTableRec& table = drawing->dxf_LineTypeTable;
    // The automatic entry 0 exists once the table has grown.
    if (index == 0 && table.lt_N == 0)
        return "";
    if (index < 0 || index >= table.lt_N)
        return "<bad line type " + std::to_string(index) + ">";
    return table.lt_LineTypes[index]->ld_Name;
}

// Every field that a reader fills, with layer and line type by name.
std::string describe(DXFDrawingRec* drawing, const ItemRec* item)
{
    const ItemHeaderRec& head = item->it_Header;
    std::string text = "type " + std::to_string(head.ih_ItemType) + " layer '" +
                       layer_name(drawing, head.ih_Layer) + "' colour " +
                       std::to_string(head.ih_Colour) + " line type '" +
                       line_type_name(drawing, head.ih_LineType) + "' line " +
                       std::to_string(head.ih_Line) + ":";
    switch (head.ih_ItemType) {
    case DXFItemBlock: text += " base " + point(item->it_Block.bk_Base); break;
    case DXFItemInsert: {
        const InsertRec& insert = item->it_Insert;
        text += std::string(" block '") + (insert.in_BlockName ? insert.in_BlockName : "<null>") +
                "' index " + std::to_string(insert.in_BlockIndex) + " at " + point(insert.in_Point) +
                " rotation " + number(insert.in_Rotation) + " scale " + point(insert.in_Scale);
        break;
    }
    case DXFItemPoint: text += " " + point(item->it_Point.pt_Point); break;
    case DXFItemLine: text += " " + point(item->it_Line.ln_Start) + " " + point(item->it_Line.ln_End); break;
    case DXFItemArc: {
        const ArcRec& arc = item->it_Arc;
        text += " " + point(arc.ar_Centre) + " r " + number(arc.ar_Radius) + " " + number(arc.ar_Start) +
                ".." + number(arc.ar_End) + " dir " + std::to_string(arc.ar_Dir);
        break;
    }
    case DXFItemText:
        text += std::string(" '") + item->it_Text.tx_Text + "' at " + point(item->it_Text.tx_Point) +
                " height " + number(item->it_Text.tx_Height);
        break;
    case DXFItemPolyline: {
        const PolylineRec& polyline = item->it_Polyline;
        text += " flags " + std::to_string(polyline.pl_Flags);
        for (int32_t i = 0; i < polyline.pl_NumVertices; ++i)
            text += " " + point(polyline.pl_Vertices[i].vx_Point) + "/" + number(polyline.pl_Vertices[i].vx_Bulge);
        break;
    }
    default: break;
    }
    return text;
}

std::vector<std::string> describe_all(DXFDrawingRec* drawing, const ItemBufferRec& buffer)
{
    std::vector<std::string> items;
    for (int32_t i = 0; i < buffer.ib_N; ++i)
        items.push_back(describe(drawing, buffer.ib_Items[i]));
    return items;
}

std::vector<int32_t> types_of(const ItemBufferRec& buffer)
{
    std::vector<int32_t> types;
    for (int32_t i = 0; i < buffer.ib_N; ++i)
        types.push_back(buffer.ib_Items[i]->it_Header.ih_ItemType);
    return types;
}

std::string describe_tables(DXFDrawingRec* drawing)
{
    std::string text;
    const LineTypeTableRec& line_types = drawing->dxf_LineTypeTable;
    for (int32_t i = 0; i < line_types.lt_N; ++i) {
        const LineTypeDataRec& entry = *line_types.lt_LineTypes[i];
        text += std::string("LTYPE '") + entry.ld_Name + "' '" +
                (entry.ld_Description ? entry.ld_Description : "") + "'";
        for (int32_t d = 0; d < entry.ld_NSegments; ++d)
            text += " " + number(entry.ld_Segments[d]);
        text += "\n";
    }
    const LayerTableRec& layers = drawing->dxf_LayerTable;
    for (int32_t i = 0; i < layers.lt_N; ++i) {
        const LayerDataRec& layer = *layers.lt_Layers[i];
        text += std::string("LAYER '") + layer.ld_Name + "' flags " + std::to_string(layer.ld_Flags) +
                " colour " + std::to_string(layer.ld_Colour) + " line type '" +
                line_type_name(drawing, layer.ld_LineType) + "'\n";
    }
    return text;
}

const LayerDataRec* find_layer(DXFDrawingRec* drawing, const char* name)
{
    const LayerTableRec& table = drawing->dxf_LayerTable;
    for (int32_t i = 0; i < table.lt_N; ++i) {
        if (std::strcmp(table.lt_Layers[i]->ld_Name, name) == 0)
            return table.lt_Layers[i];
    }
    return nullptr;
}

const LineTypeDataRec* find_line_type(DXFDrawingRec* drawing, const char* name)
{
    const LineTypeTableRec& table = drawing->dxf_LineTypeTable;
    for (int32_t i = 0; i < table.lt_N; ++i) {
        if (std::strcmp(table.lt_LineTypes[i]->ld_Name, name) == 0)
            return table.lt_LineTypes[i];
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------
// Entry points

TEST(DxfReader, EntryPointsRefuseMissingArguments)
{
    Drawing drawing;
    const std::string bytes = dxf_test::ascii(sample_drawing());
    const char image[] = "0\nEOF\n";
    EXPECT_EQ(ReadDXF(nullptr, drawing.get()), -4);
    EXPECT_EQ(ReadDXF("a.dxf", nullptr), -4);
    EXPECT_EQ(ReadDXFNoWarnings(nullptr, drawing.get()), -4);
    EXPECT_EQ(ReadADXFFile(nullptr, drawing.get(), 1), -4);
    EXPECT_EQ(ReadADXFFileFP(nullptr, drawing.get(), 1), -4);
    dxf_test::MemoryStream stream(bytes);
    EXPECT_EQ(ReadADXFFileFP(stream.get(), nullptr, 1), -4);
    EXPECT_EQ(ReadADXFFileMem(image, sizeof image - 1, nullptr, nullptr, 1), -4);
    // A NULL image is nothing to read when it has no size, else a missing argument.
    EXPECT_EQ(ReadADXFFileMem(nullptr, 0, nullptr, drawing.get(), 1), 0);
    EXPECT_EQ(ReadADXFFileMem(nullptr, 0, nullptr, nullptr, 1), 0);
    EXPECT_EQ(ReadADXFFileMem(nullptr, 5, nullptr, drawing.get(), 1), -4);
    // No handle serves more than 2^31 - 1 bytes.
    EXPECT_EQ(ReadADXFFileMem(image, 0x80000000u, nullptr, drawing.get(), 1), -12);
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 0);
    EXPECT_EQ(drawing->dxf_LayerTable.lt_N, 0);
}

TEST(DxfReader, AMissingFileGivesObjectNotFoundAndChangesNothing)
{
    const TempFolder folder;
    Drawing drawing;
    const std::string before = current_directory();
    EXPECT_EQ(ReadDXF((folder.path() + "/none.dxf").c_str(), drawing.get()), -12);
    EXPECT_EQ(current_directory(), before);
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 0);
}

TEST(DxfReader, NoImageReadsNothing)
{
    Drawing drawing;
    EXPECT_EQ(ReadADXFFileMem(nullptr, 0, nullptr, drawing.get(), 1), 0);
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 0);
    EXPECT_EQ(drawing->dxf_BlockItemBuffer.ib_N, 0);
}

// A file of which not one section can be read is no DXF file: an image renamed .dxf,
// an empty file, junk after the binary sentinel. It is refused as the other readers
// refuse a wrong file, and the drawing stays as it was. A DXF file that breaks off
// keeps what it gave, and IoErr tells that it broke off.
TEST(DxfReader, FilesThatAreNoDxfAreRefusedAndCutOnesSaySo)
{
    const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\x08\x02\0\0\0\x90\x91h6", 33);
    const std::string sentinel(dxf_test::kSentinel, sizeof dxf_test::kSentinel);
    const std::string header = dxf_test::ascii(section("HEADER", {{9, "$ACADVER"}, {1, "AC1015"}}));
    const std::string entities = dxf_test::ascii(section("ENTITIES", {{0, "POINT"}, {10, "1"}, {0, "LINE"}}));
    const struct {
        const char* name;
        std::string bytes;
        int32_t result;
        int32_t io_error;  // what IoErr gives afterwards
        int32_t items;
    } rows[] = {
        {"a PNG image", png, IoErrObjectInvalid, 0, 0},
        {"an empty file", "", IoErrObjectInvalid, 0, 0},
        {"text without a section", "hello\nworld\n 7\nx\n", IoErrObjectInvalid, 0, 0},
        {"junk after the binary sentinel", sentinel + std::string("\x13\x77\x01\x02", 4),
         IoErrObjectInvalid, 0, 0},
        {"cut after its HEADER", header, 0, IoErrObjectInvalid, 0},
        {"cut inside its entities", header + entities.substr(0, entities.size() - 7), 0,
         IoErrObjectInvalid, 1},
        {"whole", header + entities + "0\nEOF\n", 0, 0, 2},
        {"no section but its end", "0\nEOF\n", 0, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TempFolder folder;
        const std::string path = folder.write("drawing.dxf", row.bytes);
        Drawing drawing;
        SetIoErr(0);
        halvern::DXFLineCounter = -1;
        EXPECT_EQ(ReadDXF(path.c_str(), drawing.get()), row.result);
        EXPECT_EQ(IoErr(), row.io_error);
        EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, row.items);
        if (row.result != 0) {
            EXPECT_EQ(drawing->dxf_LayerTable.lt_N, 0);
            EXPECT_EQ(drawing->dxf_BlockIdentifierBuffer.bib_N, 0);
        }
    }
    // The line counter tells where a cut file stopped: after the last line it had.
    Drawing drawing;
    const std::string cut = header + entities.substr(0, entities.size() - 7);
    ASSERT_EQ(read_image(cut, drawing.get()), 0);
    const auto lines = static_cast<int32_t>(std::count(cut.begin(), cut.end(), '\n'));
    EXPECT_EQ(halvern::DXFLineCounter, lines);
}

TEST(DxfReader, MakesItsPoolWhenTheDrawingHasNone)
{
    DXFDrawingRec drawing;
    NewDXFDrawing(&drawing);
    ASSERT_EQ(drawing.dxf_Pool, nullptr);
    EXPECT_EQ(read_image(dxf_test::ascii(sample_drawing()), &drawing), 0);
    EXPECT_NE(drawing.dxf_Pool, nullptr);
    EXPECT_EQ(drawing.dxf_ItemBuffer.ib_N, 6);
    FreeDXFDrawing(&drawing);
}

TEST(DxfReader, ReadsAFileAndRestoresTheCurrentDirectory)
{
    const TempFolder folder;
    const std::string path = folder.write("sample.dxf", dxf_test::ascii(sample_drawing()));
    const std::string before = current_directory();
    Drawing drawing;
    EXPECT_EQ(ReadDXF(path.c_str(), drawing.get()), 0);
    EXPECT_EQ(current_directory(), before);
    EXPECT_EQ(types_of(drawing->dxf_ItemBuffer),
              (std::vector<int32_t>{DXFItemLine, DXFItemArc, DXFItemInsert, DXFItemPoint, DXFItemText,
                                    DXFItemPolyline}));
}

// ---------------------------------------------------------------------------------------
// Sections, tables and blocks

TEST(DxfReader, ReadsTheTablesBlocksAndEntitiesOfADrawing)
{
    Drawing drawing;
    ASSERT_EQ(read_image(dxf_test::ascii(sample_drawing()), drawing.get()), 0);

    EXPECT_EQ(describe_tables(drawing.get()),
              "LTYPE '' ''\n"
              "LTYPE 'DASHED' 'Dashed __ __' 0.5 -0.25\n"
              "LTYPE 'CONTINUOUS' ''\n"
              "LAYER '' flags 0 colour 0 line type ''\n"
              "LAYER 'WALLS' flags 1 colour 3 line type 'DASHED'\n"
              "LAYER 'DOORS' flags 0 colour 5 line type 'CONTINUOUS'\n"
              "LAYER '0' flags 0 colour 4 line type ''\n");

    // The members lie relative to the base point (10, 5, 0); the BLOCK item keeps a
    // zero base.
    const std::vector<std::string> blocks = describe_all(drawing.get(), drawing->dxf_BlockItemBuffer);
    ASSERT_EQ(blocks.size(), 4u);
    EXPECT_EQ(blocks[0].substr(blocks[0].find(':')), ": base (0,0,0)");
    EXPECT_EQ(blocks[1].substr(blocks[1].find(':')), ": (0,0,0) (10,0,0)");
    EXPECT_DOUBLE_EQ(drawing->dxf_BlockItemBuffer.ib_Items[2]->it_Arc.ar_End, kPi / 2);
    EXPECT_EQ(drawing->dxf_BlockItemBuffer.ib_Items[3]->it_Header.ih_ItemType, DXFItemEndBlock);

    const BlockIdentifierBufferRec& identifiers = drawing->dxf_BlockIdentifierBuffer;
    ASSERT_EQ(identifiers.bib_N, 1);
    EXPECT_STREQ(identifiers.bib_Blocks[0]->bi_Name, "DOOR");
    EXPECT_EQ(identifiers.bib_Blocks[0]->bi_BlockData, 0);
    EXPECT_EQ(identifiers.bib_Blocks[0]->bi_Flags, 1u);

    const ItemRec* insert = drawing->dxf_ItemBuffer.ib_Items[2];
    EXPECT_EQ(insert->it_Insert.in_BlockIndex, 0);
    EXPECT_EQ(insert->it_Insert.in_BlockName, identifiers.bib_Blocks[0]->bi_Name);
    EXPECT_DOUBLE_EQ(insert->it_Insert.in_Rotation, kPi / 4);
    EXPECT_EQ(layer_name(drawing.get(), drawing->dxf_ItemBuffer.ib_Items[0]->it_Header.ih_Layer), "WALLS");
    EXPECT_STREQ(drawing->dxf_ItemBuffer.ib_Items[4]->it_Text.tx_Text, "Hello");

    // Every item has its own id.
    std::set<uint32_t> ids;
    for (const ItemBufferRec* buffer : {&drawing->dxf_BlockItemBuffer, &drawing->dxf_ItemBuffer}) {
        for (int32_t i = 0; i < buffer->ib_N; ++i)
            EXPECT_TRUE(ids.insert(buffer->ib_Items[i]->it_Header.ih_ID).second);
    }
}

TEST(DxfReader, BlockAndEntityLinesNameTheLineOfTheirName)
{
    Drawing drawing;
    const std::vector<Group> groups = concat({
        section("BLOCKS", {{0, "BLOCK"}, {2, "B"}, {0, "POINT"}, {10, "1"}, {0, "ENDBLK"}}),
        section("ENTITIES", {{0, "LINE"}, {10, "1"}, {0, "POINT"}}),
    });
    ASSERT_EQ(read_image(dxf_test::ascii(groups), drawing.get()), 0);
    // Group g (from 0) has its value on line 2g + 2; lines are counted from 0 here.
    const ItemBufferRec& blocks = drawing->dxf_BlockItemBuffer;
    ASSERT_EQ(blocks.ib_N, 3);
    EXPECT_EQ(blocks.ib_Items[0]->it_Header.ih_Line, 5);
    EXPECT_EQ(blocks.ib_Items[1]->it_Header.ih_Line, 9);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 2);
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_Items[0]->it_Header.ih_Line, 21);
}

TEST(DxfReader, ReadsOnlyTablesBlocksAndEntitiesAndStopsAtEof)
{
    const std::vector<Group> line = {{0, "LINE"}, {10, "1"}, {11, "2"}};
    const struct {
        const char* name;
        std::vector<Group> groups;
        std::vector<int32_t> items;
    } rows[] = {
        {"no header, no EOF", section("ENTITIES", line), {DXFItemLine}},
        {"entities inside other sections are skipped",
         concat({section("OBJECTS", line), section("CLASSES", line), section("THUMBNAILIMAGE", line),
                 section("ENTITIES", {{0, "POINT"}}), kEof}),
         {DXFItemPoint}},
        {"nothing is read after EOF", concat({section("ENTITIES", line), kEof, section("ENTITIES", line)}),
         {DXFItemLine}},
        {"a SECTION without name drops the following group",
         concat({{{0, "SECTION"}}, section("ENTITIES", line)}), {}},
        {"groups outside sections are skipped",
         concat({{{0, "LINE"}, {10, "5"}, {2, "ENTITIES"}}, section("ENTITIES", {{0, "POINT"}})}),
         {DXFItemPoint}},
        {"unknown entities are skipped", section("ENTITIES", concat({{{0, "WIPEOUT"}, {10, "1"}}, line})),
         {DXFItemLine}},
        {"sections may repeat",
         concat({section("ENTITIES", line), section("ENTITIES", {{0, "POINT"}}), kEof}),
         {DXFItemLine, DXFItemPoint}},
        {"the last entity of a file cut short is lost", concat({{{0, "SECTION"}, {2, "ENTITIES"}}, line}), {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Drawing drawing;
        EXPECT_EQ(read_image(dxf_test::ascii(row.groups), drawing.get()), 0);
        EXPECT_EQ(types_of(drawing->dxf_ItemBuffer), row.items);
        EXPECT_EQ(drawing->dxf_BlockItemBuffer.ib_N, 0);
    }
}

TEST(DxfReader, LineTypeTableKeepsWhatEachEntryDefines)
{
    const struct {
        const char* name;
        std::vector<Group> entries;
        const char* tables;  // the line types after the read
    } rows[] = {
        {"BYBLOCK keeps its description to itself",
         {{0, "LTYPE"}, {2, "BYBLOCK"}, {3, "not kept"}, {73, "1"}, {49, "3"},
          {0, "LTYPE"}, {2, "DOT"}, {73, "0"}},
         "LTYPE '' ''\nLTYPE 'DOT' ''\n"},
        {"the first description counts",
         {{0, "LTYPE"}, {2, "A"}, {3, "first"}, {3, "second"}}, "LTYPE '' ''\nLTYPE 'A' 'first'\n"},
        {"dashes beyond the count are ignored",
         {{0, "LTYPE"}, {2, "A"}, {73, "1"}, {49, "1"}, {49, "2"}}, "LTYPE '' ''\nLTYPE 'A' '' 1\n"},
        {"fewer dashes than announced keep only those given",
         {{0, "LTYPE"}, {2, "A"}, {73, "4"}, {49, "1"}, {49, "-2"}}, "LTYPE '' ''\nLTYPE 'A' '' 1 -2\n"},
        {"dashes before the count are ignored",
         {{0, "LTYPE"}, {2, "A"}, {49, "7"}, {73, "1"}, {49, "1"}}, "LTYPE '' ''\nLTYPE 'A' '' 1\n"},
        {"a second count does not replace the dashes",
         {{0, "LTYPE"}, {2, "A"}, {73, "1"}, {49, "1"}, {73, "2"}, {49, "2"}}, "LTYPE '' ''\nLTYPE 'A' '' 1\n"},
        {"a negative count gives no dashes",
         {{0, "LTYPE"}, {2, "A"}, {73, "-5"}, {49, "1"}}, "LTYPE '' ''\nLTYPE 'A' ''\n"},
        {"a count beyond 16 bits gives no dashes",
         {{0, "LTYPE"}, {2, "A"}, {73, "2000000000"}, {49, "1"}}, "LTYPE '' ''\nLTYPE 'A' ''\n"},
        {"the largest 16-bit count is taken",
         {{0, "LTYPE"}, {2, "A"}, {73, "32767"}, {49, "1"}}, "LTYPE '' ''\nLTYPE 'A' '' 1\n"},
        {"a line type defined twice keeps the second definition",
         {{0, "LTYPE"}, {2, "A"}, {3, "one"}, {73, "1"}, {49, "1"},
          {0, "LTYPE"}, {2, "A"}, {3, "two"}, {73, "1"}, {49, "2"}},
         "LTYPE '' ''\nLTYPE 'A' 'two' 2\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Drawing drawing;
        const std::vector<Group> groups = section(
            "TABLES", concat({{{0, "TABLE"}, {2, "LTYPE"}}, row.entries, {{0, "ENDTAB"}}}));
        EXPECT_EQ(read_image(dxf_test::ascii(groups), drawing.get()), 0);
        EXPECT_EQ(describe_tables(drawing.get()), row.tables);
    }
}

TEST(DxfReader, LayerTableSetsColourLineTypeAndOff)
{
    const struct {
        const char* name;
        std::vector<Group> entries;
        const char* tables;
    } rows[] = {
        {"a negative colour switches the layer off",
         {{0, "LAYER"}, {2, "A"}, {62, "-7"}, {6, "DASHED"}},
         "LTYPE '' ''\nLTYPE 'DASHED' ''\nLAYER '' flags 0 colour 0 line type ''\n"
         "LAYER 'A' flags 1 colour 7 line type 'DASHED'\n"},
        {"the most negative colour has a magnitude too",
         {{0, "LAYER"}, {2, "A"}, {62, "-2147483648"}},
         "LAYER '' flags 0 colour 0 line type ''\nLAYER 'A' flags 1 colour 2147483648 line type ''\n"},
        {"values do not pass to the next entry",
         {{0, "LAYER"}, {2, "A"}, {62, "-1"}, {0, "LAYER"}, {2, "B"}},
         "LAYER '' flags 0 colour 0 line type ''\nLAYER 'A' flags 1 colour 1 line type ''\n"
         "LAYER 'B' flags 0 colour 0 line type ''\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Drawing drawing;
        const std::vector<Group> groups = section(
            "TABLES", concat({{{0, "TABLE"}, {2, "LAYER"}}, row.entries, {{0, "ENDTAB"}}}));
        EXPECT_EQ(read_image(dxf_test::ascii(groups), drawing.get()), 0);
        EXPECT_EQ(describe_tables(drawing.get()), row.tables);
    }
}

TEST(DxfReader, TablesEndWithTheirSectionOrTheFile)
{
    const std::vector<Group> entities = section("ENTITIES", {{0, "POINT"}});
    const struct {
        const char* name;
        std::vector<Group> groups;
        bool layer_set;
        size_t items;
    } rows[] = {
        {"ENDSEC inside a table ends the section",
         concat({{{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "A"},
                  {62, "3"}, {0, "ENDSEC"}},
                 entities}),
         true, 1},
        {"a file that ends inside a table keeps what it finished",
         {{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "A"}, {62, "3"},
          {0, "LAYER"}, {2, "B"}},
         true, 0},
        {"a file that ends after TABLE reads nothing more",
         {{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}}, false, 0},
        {"entries of other tables are skipped",
         concat({section("TABLES", {{0, "TABLE"}, {2, "VPORT"}, {0, "VPORT"}, {2, "A"}, {62, "3"}, {0, "ENDTAB"},
                                    {0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "A"}, {62, "3"},
                                    {0, "ENDTAB"}}),
                 entities}),
         true, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Drawing drawing;
        EXPECT_EQ(read_image(dxf_test::ascii(row.groups), drawing.get()), 0);
        const LayerDataRec* layer = find_layer(drawing.get(), "A");
        EXPECT_EQ(layer != nullptr && layer->ld_Colour == 3, row.layer_set);
        EXPECT_EQ(static_cast<size_t>(drawing->dxf_ItemBuffer.ib_N), row.items);
    }
}

TEST(DxfReader, BlocksEndAtEndblkTheSectionOrTheFile)
{
    const std::vector<Group> point = {{0, "POINT"}, {10, "1"}};
    const struct {
        const char* name;
        std::vector<Group> groups;
        std::vector<int32_t> blocks;
        size_t items;
    } rows[] = {
        {"ENDSEC ends an open block with its ENDBLK",
         concat({{{0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {2, "A"}}, point, {{0, "ENDSEC"}},
                 section("ENTITIES", point)}),
         {DXFItemBlock, DXFItemPoint, DXFItemEndBlock}, 1},
        {"ENDSEC within the head makes no block",
         concat({{{0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {2, "A"}, {0, "ENDSEC"}},
                 section("ENTITIES", point)}),
         {}, 1},
        {"a file that ends among the members closes the block",
         concat({{{0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {2, "A"}}, point, {{0, "WIPEOUT"}, {10, "1"}}}),
         {DXFItemBlock, DXFItemPoint, DXFItemEndBlock}, 0},
        {"a file that ends within the head makes no block",
         {{0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {2, "A"}}, {}, 0},
        {"groups between blocks are skipped",
         section("BLOCKS", concat({{{0, "POINT"}, {10, "1"}, {0, "BLOCK"}, {2, "A"}, {0, "ENDBLK"}, {8, "0"},
                                    {0, "LINE"}, {0, "BLOCK"}, {2, "B"}}, point, {{0, "ENDBLK"}}})),
         {DXFItemBlock, DXFItemEndBlock, DXFItemBlock, DXFItemPoint, DXFItemEndBlock}, 0},
        {"unknown members are skipped",
         section("BLOCKS", concat({{{0, "BLOCK"}, {2, "A"}, {0, "HATCH"}, {10, "1"}}, point, {{0, "ENDBLK"}}})),
         {DXFItemBlock, DXFItemPoint, DXFItemEndBlock}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Drawing drawing;
        EXPECT_EQ(read_image(dxf_test::ascii(row.groups), drawing.get()), 0);
        EXPECT_EQ(types_of(drawing->dxf_BlockItemBuffer), row.blocks);
        EXPECT_EQ(static_cast<size_t>(drawing->dxf_ItemBuffer.ib_N), row.items);
    }
}

TEST(DxfReader, BlockHeadGivesNameFlagsAndBase)
{
    Drawing drawing;
    const std::vector<Group> groups = section(
        "BLOCKS", {{0, "BLOCK"}, {2, "FIRST"}, {70, "65"}, {3, "LAST"}, {10, "-2"}, {20, "4"}, {30, "1"},
                   {0, "LINE"}, {10, "-2"}, {20, "4"}, {30, "1"}, {11, "0"}, {21, "0"}, {31, "0"},
                   {0, "ENDBLK"}});
    ASSERT_EQ(read_image(dxf_test::ascii(groups), drawing.get()), 0);
    const BlockIdentifierBufferRec& identifiers = drawing->dxf_BlockIdentifierBuffer;
    ASSERT_EQ(identifiers.bib_N, 1);
    EXPECT_STREQ(identifiers.bib_Blocks[0]->bi_Name, "LAST");
    // Only bit 0 of the flags is kept.
    EXPECT_EQ(identifiers.bib_Blocks[0]->bi_Flags, 1u);
    const LineRec& line = drawing->dxf_BlockItemBuffer.ib_Items[1]->it_Line;
    EXPECT_EQ(point(line.ln_Start), "(0,0,0)");
    EXPECT_EQ(point(line.ln_End), "(2,-4,-1)");
}

TEST(DxfReader, InsertsFindTheirBlocksWhereverTheyAreDefined)
{
    Drawing drawing;
    const std::vector<Group> groups = concat({
        section("ENTITIES", {{0, "INSERT"}, {2, "LATER"}, {0, "INSERT"}, {2, "NOWHERE"}}),
        section("BLOCKS", {{0, "BLOCK"}, {2, "OTHER"}, {0, "ENDBLK"},
                           {0, "BLOCK"}, {2, "LATER"}, {0, "INSERT"}, {2, "OTHER"}, {0, "ENDBLK"}}),
        kEof,
    });
    ASSERT_EQ(read_image(dxf_test::ascii(groups), drawing.get()), 0);
    const ItemBufferRec& items = drawing->dxf_ItemBuffer;
    ASSERT_EQ(items.ib_N, 2);
    EXPECT_EQ(items.ib_Items[0]->it_Insert.in_BlockIndex, 2);
    EXPECT_EQ(items.ib_Items[1]->it_Insert.in_BlockIndex, -1);
    EXPECT_STREQ(items.ib_Items[1]->it_Insert.in_BlockName, "NOWHERE");
    char* name = nullptr;
    int32_t index = 0;
    EXPECT_EQ(IsBlockKnown(&drawing->dxf_BlockIdentifierBuffer, "NOWHERE", &name, &index), 1);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(items.ib_Items[1]->it_Insert.in_BlockName, name);
    // An INSERT inside a block is resolved as well.
    EXPECT_EQ(drawing->dxf_BlockItemBuffer.ib_Items[3]->it_Insert.in_BlockIndex, 0);
}

TEST(DxfReader, AReadAppendsToTheDrawing)
{
    Drawing drawing;
    const std::string bytes = dxf_test::ascii(sample_drawing());
    ASSERT_EQ(read_image(bytes, drawing.get()), 0);
    ASSERT_EQ(read_image(bytes, drawing.get()), 0);
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 12);
    EXPECT_EQ(drawing->dxf_BlockItemBuffer.ib_N, 8);
    // The block defined again is the one the INSERTs now use.
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_Items[2]->it_Insert.in_BlockIndex, 4);
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_Items[8]->it_Insert.in_BlockIndex, 4);
    EXPECT_EQ(describe_tables(drawing.get()).find("LTYPE 'DASHED' 'Dashed __ __' 0.5 -0.25\n") != std::string::npos,
              true);
}

TEST(DxfReader, ALargeReadKeepsEveryItemAndTheBuffersGrowSteps)
{
    std::vector<Group> points;
    for (int i = 0; i < 12000; ++i)
        points.push_back({0, "POINT"});
    Drawing drawing;
    const int32_t item_step = drawing->dxf_ItemBuffer.ib_Size;
    const int32_t block_step = drawing->dxf_BlockItemBuffer.ib_Size;
    ASSERT_EQ(read_image(dxf_test::ascii(concat({section("BLOCKS", concat({{{0, "BLOCK"}, {2, "B"}}, points, {{0, "ENDBLK"}}})),
                                                 section("ENTITIES", points)})),
                         drawing.get()),
              0);
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 12000);
    EXPECT_EQ(drawing->dxf_BlockItemBuffer.ib_N, 12002);
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_Size, item_step);
    EXPECT_EQ(drawing->dxf_BlockItemBuffer.ib_Size, block_step);
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_Items[11999]->it_Header.ih_ItemType, DXFItemPoint);
}

// ---------------------------------------------------------------------------------------
// Encodings

TEST(DxfReader, AsciiAndBinaryFilesReadToTheSameDrawing)
{
    Drawing reference;
    ASSERT_EQ(read_image(dxf_test::ascii(sample_drawing()), reference.get()), 0);
    const std::vector<std::string> blocks = describe_all(reference.get(), reference->dxf_BlockItemBuffer);
    const std::vector<std::string> items = describe_all(reference.get(), reference->dxf_ItemBuffer);
    const std::string tables = describe_tables(reference.get());

    const struct {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"CR LF line ends", dxf_test::ascii(sample_drawing(), "\r\n")},
        {"one-byte codes", dxf_test::binary(sample_drawing(), 1)},
        {"two-byte codes", dxf_test::binary(sample_drawing(), 2)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Drawing drawing;
        ASSERT_EQ(read_image(row.bytes, drawing.get()), 0);
        EXPECT_EQ(describe_all(drawing.get(), drawing->dxf_BlockItemBuffer), blocks);
        EXPECT_EQ(describe_all(drawing.get(), drawing->dxf_ItemBuffer), items);
        EXPECT_EQ(describe_tables(drawing.get()), tables);
    }
}

// Every item of a buffer as text, without the line it was read from (lines of ASCII
// files and groups of binary ones are counted differently).
std::vector<std::string> describe_fields(const ItemBufferRec& buffer)
{
    std::vector<std::string> items;
    for (int32_t i = 0; i < buffer.ib_N; ++i)
        items.push_back(dxf_test::describe_item(*buffer.ib_Items[i], dxf_test::Provenance::Left));
    return items;
}

// A file as programs of R2000 and later write it (every entity the reader knows, true
// colours, proxy chunks, HEADER booleans, OBJECTS) reads to the same items and extents
// in every encoding; its one-byte form needs the escape for every code from 255 up.
TEST(DxfReader, FilesOfLaterVersionsReadAlikeInEveryEncoding)
{
    const std::vector<Group> groups = dxf_test::r2000_drawing();
    Drawing reference;
    ASSERT_EQ(read_image(dxf_test::ascii(groups), reference.get()), 0);
    ASSERT_EQ(reference->dxf_ItemBuffer.ib_N, 26);
    ASSERT_EQ(reference->dxf_BlockItemBuffer.ib_N, 8);
    const std::vector<std::string> items = describe_fields(reference->dxf_ItemBuffer);
    const std::vector<std::string> blocks = describe_fields(reference->dxf_BlockItemBuffer);
    CalcDXFDrawingSize(reference.get());
    const Rectangle2DRec box = reference->dxf_DrwgSize;
    EXPECT_LT(box.min.x, -9.0);
    EXPECT_GT(box.max.x, 30.0);

    const std::string one_byte = dxf_test::binary(groups, 1);
    EXPECT_NE(one_byte.find("\xff\xa4\x01"), std::string::npos) << "420 escaped";
    for (const std::string& bytes : {one_byte, dxf_test::binary(groups, 2)}) {
        SCOPED_TRACE(&bytes == &one_byte ? "one-byte codes" : "two-byte codes");
        Drawing drawing;
        ASSERT_EQ(read_image(bytes, drawing.get()), 0);
        EXPECT_EQ(describe_fields(drawing->dxf_ItemBuffer), items);
        EXPECT_EQ(describe_fields(drawing->dxf_BlockItemBuffer), blocks);
        EXPECT_EQ(describe_tables(drawing.get()), describe_tables(reference.get()));
        CalcDXFDrawingSize(drawing.get());
        EXPECT_EQ(drawing->dxf_DrwgSize.min.x, box.min.x);
        EXPECT_EQ(drawing->dxf_DrwgSize.min.y, box.min.y);
        EXPECT_EQ(drawing->dxf_DrwgSize.max.x, box.max.x);
        EXPECT_EQ(drawing->dxf_DrwgSize.max.y, box.max.y);
    }
}

// ---------------------------------------------------------------------------------------
// Model and layouts

std::vector<uint32_t> spaces_of(const ItemBufferRec& buffer)
{
    std::vector<uint32_t> spaces;
    for (int32_t i = 0; i < buffer.ib_N; ++i)
        spaces.push_back(buffer.ib_Items[i]->it_Header.ih_Space);
    return spaces;
}

// Entities of a layout (group 67 = 1) stay in paper space: the extents leave them out,
// and a file written from the drawing keeps them there. A drawing with nothing in its
// model shows its layout instead.
TEST(DxfReader, LayoutItemsStayOutOfTheModelUnlessThereIsNoModel)
{
    const std::vector<Group> model = {
        {0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "10"}, {21, "0"},
        {0, "LINE"}, {67, "0"}, {10, "0"}, {20, "0"}, {11, "0"}, {21, "5"},
        {0, "LINE"}, {10, "10"}, {20, "5"}, {11, "2"}, {21, "3"},
    };
    const std::vector<Group> layout = {
        {0, "VIEWPORT"}, {67, "1"}, {10, "150"}, {20, "100"}, {40, "300"}, {41, "200"},
        {0, "LINE"}, {67, "1"}, {8, "TITLE"}, {10, "1000"}, {20, "1000"}, {11, "1100"}, {21, "1000"},
    };
    const TempFolder folder;
    Drawing drawing;
    ASSERT_EQ(read_image(dxf_test::ascii(concat({section("ENTITIES", concat({model, layout})), kEof})),
                         drawing.get()),
              0);
    EXPECT_EQ(spaces_of(drawing->dxf_ItemBuffer), (std::vector<uint32_t>{0, 0, 0, 1, 1}));
    CalcDXFDrawingSize(drawing.get());
    EXPECT_EQ(drawing->dxf_DrwgSize.min.x, 0.0);
    EXPECT_EQ(drawing->dxf_DrwgSize.min.y, 0.0);
    EXPECT_EQ(drawing->dxf_DrwgSize.max.x, 10.0);
    EXPECT_EQ(drawing->dxf_DrwgSize.max.y, 5.0);
    for (const int32_t version : {0, 2005}) {
        SCOPED_TRACE(version);
        const std::string path = folder.path() + "/written.dxf";
        ASSERT_EQ(WriteDXFVersion(path.c_str(), drawing.get(), version), 0);
        Drawing again;
        ASSERT_EQ(ReadDXF(path.c_str(), again.get()), 0);
        // The VIEWPORT has no DXF form here and is not written; the title line is.
        EXPECT_EQ(spaces_of(again->dxf_ItemBuffer), (std::vector<uint32_t>{0, 0, 0, 1}));
        CalcDXFDrawingSize(again.get());
        EXPECT_EQ(again->dxf_DrwgSize.max.x, 10.0);
    }

    Drawing sheet_only;
    ASSERT_EQ(read_image(dxf_test::ascii(concat({section("ENTITIES", layout), kEof})), sheet_only.get()), 0);
    EXPECT_EQ(spaces_of(sheet_only->dxf_ItemBuffer), (std::vector<uint32_t>{0, 0}));
    CalcDXFDrawingSize(sheet_only.get());
    EXPECT_EQ(sheet_only->dxf_DrwgSize.min.x, 1000.0);
    EXPECT_EQ(sheet_only->dxf_DrwgSize.max.x, 1100.0);
}

// ---------------------------------------------------------------------------------------
// Damaged input

// Every prefix of a drawing reads without harm: one that stops before its first
// section began is no DXF file (-25), every longer one reads into a part of the
// drawing and says with IoErr that it broke off.
void expect_every_cut_reads(const std::string& bytes)
{
    Drawing whole;
    SetIoErr(0);
    ASSERT_EQ(read_image(bytes, whole.get()), 0);
    ASSERT_EQ(IoErr(), 0);
    bool began = false;
    for (size_t length = 0; length < bytes.size(); ++length) {
        Drawing drawing;
        const std::string cut = bytes.substr(0, length);
        SetIoErr(0);
        const int32_t result = read_image(cut, drawing.get());
        if (!began && result == IoErrObjectInvalid) {
            ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 0) << "cut at " << length;
            continue;
        }
        began = true;
        ASSERT_EQ(result, 0) << "cut at " << length;
        // An ASCII file that lost only the line end after its EOF is whole.
        const bool whole_end = cut.size() >= 4 && cut.compare(cut.size() - 4, 4, "\nEOF") == 0;
        ASSERT_EQ(IoErr(), whole_end ? 0 : IoErrObjectInvalid) << "cut at " << length;
        ASSERT_LE(drawing->dxf_ItemBuffer.ib_N, whole->dxf_ItemBuffer.ib_N) << "cut at " << length;
        ASSERT_LE(drawing->dxf_BlockItemBuffer.ib_N, whole->dxf_BlockItemBuffer.ib_N) << "cut at " << length;
    }
    EXPECT_TRUE(began);
}

TEST(DxfReader, FilesCutAtEveryLengthReadWithoutHarm)
{
    {
        SCOPED_TRACE("ASCII");
        expect_every_cut_reads(dxf_test::ascii(sample_drawing()));
    }
    for (const int width : {1, 2}) {
        SCOPED_TRACE(width);
        expect_every_cut_reads(dxf_test::binary(sample_drawing(), width));
    }
}

TEST(DxfReader, DamagedBinaryGroupsEndTheRead)
{
    const std::string sentinel(dxf_test::kSentinel, sizeof dxf_test::kSentinel);
    const std::string entities = dxf_test::binary(section("ENTITIES", {{0, "POINT"}, {10, "1"}}), 2).substr(22);
    const std::string point = dxf_test::binary({{0, "POINT"}, {10, "2"}}, 2).substr(22);
    const struct {
        const char* name;
        std::string bytes;
        int32_t items;
    } rows[] = {
        {"junk after the sentinel", sentinel + std::string("\x00\x00\xff\x13\x77\x01\x02\x03\x04", 9), -1},
        // A code outside every range ends the groups: the point after it is never read,
        // even though its bytes would pass for groups.
        {"a code in no range", sentinel + entities.substr(0, entities.size() - 9) +
                                   std::string("\x4c\x04", 2) + point + std::string("\0\0ENDSEC\0", 9), 0},
        {"a negative code", sentinel + entities.substr(0, entities.size() - 9) +
                                std::string("\xff\xff", 2) + point, 0},
        {"the whole file", sentinel + entities, 1},
    };
    // items -1: nothing of the file is DXF.
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Drawing drawing;
        SetIoErr(0);
        EXPECT_EQ(read_image(row.bytes, drawing.get()), row.items < 0 ? IoErrObjectInvalid : 0);
        EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, std::max(row.items, 0));
        // The damage, and a file without its end, leave IoErr at -25.
        EXPECT_EQ(IoErr(), row.items < 0 ? 0 : IoErrObjectInvalid);
    }
}

TEST(DxfReader, RunningOutOfMemoryAnywhereFailsCleanly)
{
    const std::string bytes = dxf_test::ascii(sample_drawing());
    uint32_t live_before = 0;
    uint32_t total_before = 0;
    osmark_testing_allocation_counts(&live_before, &total_before);
    uint32_t allocations = 0;
    {
        Drawing drawing;
        uint32_t live = 0;
        uint32_t total = 0;
        osmark_testing_allocation_counts(&live, &total);
        ASSERT_EQ(read_image(bytes, drawing.get()), 0);
        uint32_t total_after = 0;
        osmark_testing_allocation_counts(&live, &total_after);
        allocations = total_after - total;
    }
    ASSERT_GT(allocations, 0u);
    // Every allocation of the read fails in turn, with all later ones.
    for (uint32_t successes = 0; successes <= allocations; ++successes) {
        Drawing drawing;
        osmark_testing_fail_allocations(successes, UINT32_MAX);
        const int32_t result = read_image(bytes, drawing.get());
        osmark_testing_fail_allocations(0, 0);
        ASSERT_TRUE(result == 0 || result == -1) << "after " << successes << " allocations: " << result;
        ASSERT_LE(drawing->dxf_ItemBuffer.ib_N, 6);
    }
    uint32_t live_after = 0;
    uint32_t total_after = 0;
    osmark_testing_allocation_counts(&live_after, &total_after);
    EXPECT_EQ(live_after, live_before);
}

TEST(DxfReader, AFileReadsWhenItsReadBufferCannotBeHad)
{
    // A run of failing allocations at every point of ReadDXF: the file cannot be
    // opened, the read buffer halves down to the stream's own, or items are lost;
    // nothing leaks and the current directory is always given back.
    const TempFolder folder;
    const std::string path = folder.write("sample.dxf", dxf_test::ascii(sample_drawing()));
    const std::string directory = current_directory();
    uint32_t live_before = 0;
    uint32_t total = 0;
    osmark_testing_allocation_counts(&live_before, &total);
    bool read_despite_failures = false;
    for (uint32_t successes = 0; successes < 40; ++successes) {
        Drawing drawing;
        osmark_testing_fail_allocations(successes, 10);
        const int32_t result = ReadDXF(path.c_str(), drawing.get());
        osmark_testing_fail_allocations(0, 0);
        ASSERT_TRUE(result == 0 || result == -1 || result == -12) << result;
        ASSERT_EQ(current_directory(), directory) << "after " << successes << " allocations";
        read_despite_failures = read_despite_failures || (result == 0 && drawing->dxf_ItemBuffer.ib_N == 6);
    }
    EXPECT_TRUE(read_despite_failures);
    uint32_t live_after = 0;
    osmark_testing_allocation_counts(&live_after, &total);
    EXPECT_EQ(live_after, live_before);
}

TEST(DxfReader, AnItemThatCannotBeMadeFailsTheReadButLaterEntitiesStay)
{
    // Fail exactly one allocation at every point: a failed item sets the result, the
    // entities behind it are still read.
    const std::string bytes = dxf_test::ascii(section("ENTITIES", {{0, "POINT"}, {0, "LINE"}, {0, "POINT"}}));
    bool lost_one = false;
    for (uint32_t successes = 0; successes < 200; ++successes) {
        Drawing drawing;
        osmark_testing_fail_allocations(successes, 1);
        const int32_t result = read_image(bytes, drawing.get());
        osmark_testing_fail_allocations(0, 0);
        ASSERT_TRUE(result == 0 || result == -1);
        if (result == -1 && drawing->dxf_ItemBuffer.ib_N == 2) {
            lost_one = true;
            EXPECT_EQ(drawing->dxf_ItemBuffer.ib_Items[1]->it_Header.ih_ItemType, DXFItemPoint);
        }
    }
    EXPECT_TRUE(lost_one);
}

TEST(DxfReader, MemoryOfTheStandardLibraryThatRunsOutFailsTheReadCleanly)
{
    // The knots and weights of a spline and the index of block names come from operator
    // new, not from Osmark: each of those allocations fails in turn too, together with
    // Osmark's blocks, and the read still ends with 0 or -1 and leaks nothing.
    ASSERT_TRUE(test_support::new_follows_allocation_countdown());
    const std::string bytes = dxf_test::ascii(concat({
        section("BLOCKS", {{0, "BLOCK"},
                           {2, "B"},
                           {70, "0"},
                           {10, "0"},
                           {20, "0"},
                           {0, "POINT"},
                           {10, "1"},
                           {20, "1"},
                           {0, "ENDBLK"}}),
        section("ENTITIES",
                {{0, "SPLINE"}, {70, "4"}, {71, "2"},     {72, "6"}, {73, "3"},   {40, "0"},
                 {40, "0"},     {40, "0"}, {40, "1"},     {40, "1"}, {40, "1"},   {10, "0"},
                 {20, "0"},     {41, "1"}, {10, "1"},     {20, "1"}, {41, "0.7"}, {10, "2"},
                 {20, "0"},     {41, "1"}, {0, "INSERT"}, {2, "B"},  {10, "5"},   {20, "5"}}),
        kEof,
    }));
    uint32_t live_before = 0;
    uint32_t total = 0;
    osmark_testing_allocation_counts(&live_before, &total);
    bool read_whole = false;
    for (uint32_t successes = 0; successes < 400 && !read_whole; ++successes) {
        SCOPED_TRACE(successes);
        Drawing drawing;
        int32_t result = 0;
        {
            const test_support::NewJoinsCountdown joined;
            osmark_testing_fail_allocations(successes, 1);
            result = read_image(bytes, drawing.get());
            osmark_testing_fail_allocations(0, 0);
        }
        ASSERT_TRUE(result == 0 || result == -1) << result;
        read_whole = result == 0 && drawing->dxf_ItemBuffer.ib_N == 2;
    }
    EXPECT_TRUE(read_whole);
    uint32_t live_after = 0;
    osmark_testing_allocation_counts(&live_after, &total);
    EXPECT_EQ(live_after, live_before);
}

// ---------------------------------------------------------------------------------------
// External references

std::vector<Group> external_block(const char* name, const char* path, const char* flags = "4")
{
    return {{0, "BLOCK"}, {2, name}, {70, flags}, {10, "100"}, {20, "100"}, {1, path}, {0, "ENDBLK"}};
}

// A drawing of its own layer, line type and a block insertion, for loading by reference.
std::vector<Group> part_drawing()
{
    return concat({
        section("TABLES", {{0, "TABLE"}, {2, "LTYPE"}, {0, "LTYPE"}, {2, "HIDDEN"}, {3, "hidden"}, {73, "1"},
                           {49, "0.25"}, {0, "ENDTAB"},
                           {0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "PARTS"}, {62, "2"}, {6, "HIDDEN"},
                           {0, "ENDTAB"}}),
        section("BLOCKS", {{0, "BLOCK"}, {2, "P"}, {10, "0"}, {20, "0"},
                           {0, "POINT"}, {8, "PARTS"}, {10, "1"}, {20, "1"}, {0, "ENDBLK"}}),
        section("ENTITIES", {{0, "LINE"}, {8, "PARTS"}, {10, "1"}, {20, "2"}, {11, "3"}, {21, "4"},
                             {0, "INSERT"}, {2, "P"}, {10, "10"}, {20, "0"},
                             {0, "POINT"}, {8, "SHARED"}, {6, "HIDDEN"}, {10, "7"}, {20, "7"}}),
        kEof,
    });
}

TEST(DxfReaderExternal, CopiesTheExternalItemsIntoTheBlockWithTheHostsLayersAndIds)
{
    const TempFolder folder;
    folder.write("parts/part.dxf", dxf_test::ascii(part_drawing()));
    const std::string host = folder.write(
        "host.dxf",
        dxf_test::ascii(concat({
            section("TABLES", {{0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "SHARED"}, {62, "6"}, {0, "LAYER"},
                               {2, "OTHER"}, {62, "1"}, {0, "ENDTAB"}}),
            section("BLOCKS", concat({{{0, "BLOCK"}, {2, "X"}, {70, "4"}, {1, "parts/part.dxf"},
                                       {10, "100"}, {20, "100"}, {0, "POINT"}, {10, "100"}, {20, "100"},
                                       {0, "ENDBLK"}}})),
            section("ENTITIES", {{0, "INSERT"}, {2, "X"}}),
        })));
    const Requesters requesters;
    const uint32_t shown = Requesters::shown();
    const std::string before = current_directory();
    Drawing drawing;
    ASSERT_EQ(ReadDXF(host.c_str(), drawing.get()), 0);
    EXPECT_EQ(Requesters::shown(), shown);
    EXPECT_EQ(current_directory(), before);

    // The block's own member, then the external items in their own coordinates, with
    // the INSERT expanded, then ENDBLK.
    EXPECT_EQ(types_of(drawing->dxf_BlockItemBuffer),
              (std::vector<int32_t>{DXFItemBlock, DXFItemPoint, DXFItemLine, DXFItemPoint, DXFItemPoint,
                                    DXFItemEndBlock}));
    const ItemBufferRec& blocks = drawing->dxf_BlockItemBuffer;
    EXPECT_EQ(point(blocks.ib_Items[1]->it_Point.pt_Point), "(0,0,0)");
    EXPECT_EQ(point(blocks.ib_Items[2]->it_Line.ln_Start), "(1,2,0)");
    EXPECT_EQ(point(blocks.ib_Items[3]->it_Point.pt_Point), "(11,1,0)");
    EXPECT_EQ(point(blocks.ib_Items[4]->it_Point.pt_Point), "(7,7,0)");

    // Layers and line types by name: a new one comes with its settings, a known one
    // keeps the host's.
    EXPECT_EQ(layer_name(drawing.get(), blocks.ib_Items[2]->it_Header.ih_Layer), "PARTS");
    EXPECT_EQ(layer_name(drawing.get(), blocks.ib_Items[3]->it_Header.ih_Layer), "PARTS");
    EXPECT_EQ(layer_name(drawing.get(), blocks.ib_Items[4]->it_Header.ih_Layer), "SHARED");
    EXPECT_EQ(line_type_name(drawing.get(), blocks.ib_Items[4]->it_Header.ih_LineType), "HIDDEN");
    const LayerDataRec* parts = find_layer(drawing.get(), "PARTS");
    ASSERT_NE(parts, nullptr);
    EXPECT_EQ(parts->ld_Colour, 2u);
    EXPECT_EQ(line_type_name(drawing.get(), parts->ld_LineType), "HIDDEN");
    EXPECT_EQ(find_layer(drawing.get(), "SHARED")->ld_Colour, 6u);
    const LineTypeDataRec* hidden = find_line_type(drawing.get(), "HIDDEN");
    ASSERT_NE(hidden, nullptr);
    EXPECT_STREQ(hidden->ld_Description, "hidden");
    ASSERT_EQ(hidden->ld_NSegments, 1);
    EXPECT_EQ(hidden->ld_Segments[0], 0.25);

    // Ids are the host's: no two items share one.
    std::set<uint32_t> ids;
    for (const ItemBufferRec* buffer : {&drawing->dxf_BlockItemBuffer, &drawing->dxf_ItemBuffer}) {
        for (int32_t i = 0; i < buffer->ib_N; ++i)
            EXPECT_TRUE(ids.insert(buffer->ib_Items[i]->it_Header.ih_ID).second);
    }
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_Items[0]->it_Insert.in_BlockIndex, 0);
}

TEST(DxfReaderExternal, AMissingReferenceWarnsUnlessNoWarningsWereAsked)
{
    const TempFolder folder;
    const std::string host = folder.write(
        "host.dxf", dxf_test::ascii(concat({section("BLOCKS", external_block("X", "missing.dxf")),
                                            section("ENTITIES", {{0, "POINT"}})})));
    const Requesters requesters;
    const struct {
        const char* name;
        int32_t no_warnings;
        uint32_t warnings;
    } rows[] = {{"ReadDXF", 0, 1}, {"ReadDXFNoWarnings", 1, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const uint32_t shown = Requesters::shown();
        Drawing drawing;
        EXPECT_EQ(ReadADXFFile(host.c_str(), drawing.get(), row.no_warnings), 0);
        EXPECT_EQ(Requesters::shown() - shown, row.warnings);
        if (row.warnings > 0) {
            EXPECT_STREQ(osmark_testing_last_requester_body(), "Unable to locate external file missing.dxf");
        }
        EXPECT_EQ(types_of(drawing->dxf_BlockItemBuffer), (std::vector<int32_t>{DXFItemBlock, DXFItemEndBlock}));
        EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 1);
    }
}

TEST(DxfReaderExternal, OnlyMarkedBlocksWithAPathAreLoaded)
{
    const TempFolder folder;
    folder.write("part.dxf", dxf_test::ascii(section("ENTITIES", {{0, "POINT"}})));
    const struct {
        const char* name;
        const char* path;
        const char* flags;
        size_t members;
    } rows[] = {
        {"overlay (bit 3)", "part.dxf", "8", 1},
        {"attached (bit 2)", "part.dxf", "4", 1},
        {"not marked", "part.dxf", "1", 0},
        {"no path", "", "4", 0},
    };
    const Requesters requesters;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string host =
            folder.write("host.dxf", dxf_test::ascii(section("BLOCKS", external_block("X", row.path, row.flags))));
        Drawing drawing;
        const uint32_t shown = Requesters::shown();
        EXPECT_EQ(ReadDXF(host.c_str(), drawing.get()), 0);
        EXPECT_EQ(Requesters::shown(), shown);
        EXPECT_EQ(static_cast<size_t>(drawing->dxf_BlockItemBuffer.ib_N), row.members + 2);
    }
}

TEST(DxfReaderExternal, ACycleOfReferencesWarnsAndEnds)
{
    const TempFolder folder;
    const auto file_with_reference = [&](const char* name, const char* reference) {
        return folder.write(name, dxf_test::ascii(concat({section("BLOCKS", external_block("X", reference)),
                                                          section("ENTITIES", {{0, "POINT"}})})));
    };
    const std::string self = file_with_reference("self.dxf", "self.dxf");
    const std::string first = file_with_reference("a.dxf", "sub/b.dxf");
    file_with_reference("sub/b.dxf", "../a.dxf");
    const Requesters requesters;
    const struct {
        const char* name;
        std::string path;
        int32_t no_warnings;
        uint32_t warnings;
        const char* body;
        size_t block_items;
    } rows[] = {
        {"a file that refers to itself", self, 0, 1, "Unable to locate external file self.dxf", 2},
        {"itself, without warnings", self, 1, 0, nullptr, 2},
        // b.dxf is loaded; its reference back to a.dxf fails (the nested read shows
        // its warnings in any case) and b keeps its point.
        {"two files that refer to each other", first, 0, 1, "Unable to locate external file ../a.dxf", 3},
        {"each other, without warnings", first, 1, 1, "Unable to locate external file ../a.dxf", 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const uint32_t shown = Requesters::shown();
        Drawing drawing;
        EXPECT_EQ(ReadADXFFile(row.path.c_str(), drawing.get(), row.no_warnings), 0);
        EXPECT_EQ(Requesters::shown() - shown, row.warnings);
        if (row.body != nullptr) {
            EXPECT_STREQ(osmark_testing_last_requester_body(), row.body);
        }
        EXPECT_EQ(static_cast<size_t>(drawing->dxf_BlockItemBuffer.ib_N), row.block_items);
        EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 1);
    }
}

// A small file whose INSERT array multiplies into more items than any drawing holds is
// refused as a file that cannot be loaded, instead of filling the memory.
TEST(DxfReaderExternal, AReferenceThatExpandsBeyondAMillionItemsIsNotLoaded)
{
    const TempFolder folder;
    const auto array_of = [](const char* rows) {
        return dxf_test::ascii(concat({
            section("BLOCKS", {{0, "BLOCK"}, {2, "P"}, {0, "POINT"}, {0, "ENDBLK"}}),
            section("ENTITIES", {{0, "INSERT"}, {2, "P"}, {70, "1000"}, {71, rows}, {44, "1"}, {45, "1"}}),
            kEof,
        }));
    };
    folder.write("fits.dxf", array_of("1000"));
    folder.write("too_many.dxf", array_of("1001"));
    const Requesters requesters;
    const struct {
        const char* path;
        uint32_t warnings;
        size_t block_items;
    } rows[] = {{"fits.dxf", 0, 1'000'000 + 2}, {"too_many.dxf", 1, 2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        const std::string host = folder.write(
            "host.dxf", dxf_test::ascii(concat({section("BLOCKS", external_block("X", row.path)),
                                                section("ENTITIES", {{0, "POINT"}})})));
        const uint32_t shown = Requesters::shown();
        Drawing drawing;
        EXPECT_EQ(ReadDXF(host.c_str(), drawing.get()), 0);
        EXPECT_EQ(Requesters::shown() - shown, row.warnings);
        if (row.warnings > 0) {
            EXPECT_STREQ(osmark_testing_last_requester_body(), "Unable to load external file too_many.dxf");
        }
        // BLOCK, the copies, ENDBLK.
        EXPECT_EQ(static_cast<size_t>(drawing->dxf_BlockItemBuffer.ib_N), row.block_items);
        EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 1);
    }
}

TEST(DxfReaderExternal, NamesThatAreNoFilesAreNeverRead)
{
    // A device would be read without end; a folder cannot be read at all.
    const TempFolder folder;
    folder.write("sub/part.dxf", dxf_test::ascii(section("ENTITIES", {{0, "POINT"}})));
    const struct {
        const char* name;
        const char* path;
        const char* body;
    } rows[] = {
        {"a device", "/dev/zero", "Unable to load external file /dev/zero"},
        {"a folder", "sub", "Unable to load external file sub"},
    };
    const Requesters requesters;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string host = folder.write("host.dxf", dxf_test::ascii(section("BLOCKS", external_block("X", row.path))));
        const uint32_t shown = Requesters::shown();
        Drawing drawing;
        EXPECT_EQ(ReadDXF(host.c_str(), drawing.get()), 0);
        EXPECT_EQ(Requesters::shown() - shown, 1u);
        EXPECT_STREQ(osmark_testing_last_requester_body(), row.body);
        EXPECT_EQ(types_of(drawing->dxf_BlockItemBuffer), (std::vector<int32_t>{DXFItemBlock, DXFItemEndBlock}));
    }
}

TEST(DxfReaderExternal, AChainOfReferencesEndsAtItsDeepestLevel)
{
    // Forty files, each referring to the next: the reading stops 32 files deep, with a
    // warning, and every level above keeps what it read.
    const TempFolder folder;
    constexpr int kFiles = 40;
    std::string first;
    for (int i = 0; i < kFiles; ++i) {
        const std::string next = "chain" + std::to_string(i + 1) + ".dxf";
        const std::string path = folder.write(
            "chain" + std::to_string(i) + ".dxf",
            dxf_test::ascii(concat({section("BLOCKS", external_block("X", next.c_str())),
                                    section("ENTITIES", {{0, "POINT"}, {10, std::to_string(i)}})})));
        if (i == 0)
            first = path;
    }
    const Requesters requesters;
    const uint32_t shown = Requesters::shown();
    Drawing drawing;
    EXPECT_EQ(ReadDXFNoWarnings(first.c_str(), drawing.get()), 0);
    EXPECT_EQ(Requesters::shown() - shown, 1u);
    EXPECT_STREQ(osmark_testing_last_requester_body(), "Unable to locate external file chain32.dxf");
    // chain1 to chain31 each gave their point to the level above.
    EXPECT_EQ(drawing->dxf_BlockItemBuffer.ib_N, 2 + 1);
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 1);
}

TEST(DxfReaderExternal, AnImageWithAPathResolvesReferencesInThatFolder)
{
    const TempFolder folder;
    folder.write("part.dxf", dxf_test::ascii(section("ENTITIES", {{0, "POINT"}})));
    const std::string image = dxf_test::ascii(section("BLOCKS", external_block("X", "part.dxf")));
    const std::string path = folder.path() + "/image.dxf";
    const Requesters requesters;
    const std::string before = current_directory();
    {
        Drawing drawing;
        EXPECT_EQ(read_image(image, drawing.get(), 0, path.c_str()), 0);
        EXPECT_EQ(drawing->dxf_BlockItemBuffer.ib_N, 3);
    }
    EXPECT_EQ(current_directory(), before);
    {
        // Without a path the current directory is where references are looked for.
        const uint32_t shown = Requesters::shown();
        Drawing drawing;
        EXPECT_EQ(read_image(image, drawing.get(), 0), 0);
        EXPECT_EQ(drawing->dxf_BlockItemBuffer.ib_N, 2);
        EXPECT_EQ(Requesters::shown() - shown, 1u);
    }
}

// ---------------------------------------------------------------------------------------
// Numbers of group values

bool same_double(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

double osmark_binary_real(double value)
{
    char text[400];
    SnPrintf(text, sizeof text, "%15.15lf", value);
    return StrToDouble(text, nullptr);
}

// A small generator of the same numbers on every run.
class Numbers {
public:
    uint64_t next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int limit) { return static_cast<int>(next() % static_cast<uint64_t>(limit)); }

private:
    uint64_t m_state = 0x5EED;
};

TEST(DxfGroupNumbers, TextRealsAreWhatStrToDoubleGives)
{
    const std::string texts[] = {
        "0", "1.5", "-0.0", "-0", "  12.5  ", "+3", "- 4.25", "\t\v\f 7", "1e5", "1.5E-3", "2e",
        "1e0.5", ".5", "5.", ".", "-", "", "abc", "12abc", "1.2.3", "0.1", "0.30000000000000004",
        "123456789012345678901234", "1234567890123456789", "12345678901234567890",
        "9007199254740992", "9007199254740993", "0.0000000000000000000001",
        "0.00000000000000000000001", "1.7976931348623157e308", "1e400", "-1e-400",
        "00000000000000000000001.5", "1000000000000000000000", "3.14159265358979323846",
        "-123.456000000000000", "100.000000000000000", std::string("1\0 2", 4), "--1", "+-1",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE("'" + text + "'");
        const double expected = StrToDouble(text.c_str(), nullptr);
        EXPECT_TRUE(same_double(halvern::DXFTextReal(text.data(), text.size()), expected));
    }
    // The DXF forms: signs, leading blanks, up to 17 decimals, integers of any size.
    Numbers numbers;
    for (int i = 0; i < 20000; ++i) {
        std::string text(static_cast<size_t>(numbers.below(3)), ' ');
        if (numbers.below(2) == 0)
            text += '-';
        text += std::to_string(numbers.next() >> numbers.below(64));
        const int decimals = numbers.below(19);
        if (decimals > 0 || numbers.below(2) == 0)
            text += '.';
        for (int d = 0; d < decimals; ++d)
            text += static_cast<char>('0' + numbers.below(10));
        SCOPED_TRACE("'" + text + "'");
        ASSERT_TRUE(same_double(halvern::DXFTextReal(text.data(), text.size()),
                                StrToDouble(text.c_str(), nullptr)));
    }
}

TEST(DxfGroupNumbers, TextIntegersAreWhatStrToLongGives)
{
    const std::string texts[] = {
        "", "0", "  -12", "+7", "- 3", "   70", "4294967296", "2147483648", "-2147483648",
        "99999999999", "12abc", "0x10", "\t5", "010", std::string("4\0 5", 4), "-", "+ -3",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE("'" + text + "'");
        EXPECT_EQ(halvern::DXFTextInteger(text.data(), text.size()), StrToLong(text.c_str(), nullptr, 10));
    }
}

TEST(DxfGroupNumbers, BinaryRealsAreWhatTheirFifteenDecimalTextGives)
{
    const double values[] = {
        0.0, -0.0, 0.5, 1.0 / 3, -1.0 / 3, 1e-16, -1e-16, 5e-16, -5e-16, 4.9999999999999e-16,
        0.9999995, 0.99999999, -0.9999999, 0.1, 0.7, 2.675, 123.456, 1234567.891011,
        9.000000000000001, 9.007199254740993, 1e15, 1e16, 9007199254740991.0, 9007199254740992.0,
        1e300, -1e300, 1.7976931348623157e308, 4.9e-324, 0.1999999, 0.4999999999999999,
        0.0000009999999, 12.34999999999, 99.9999999999999, 0.123456789012345678,
        std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(),
    };
    for (const double value : values) {
        SCOPED_TRACE(number(value));
        EXPECT_TRUE(same_double(halvern::DXFBinaryRealValue(value), osmark_binary_real(value)));
    }
    // Values of every size, coordinates with few decimals, and values from random bits.
    Numbers numbers;
    for (int i = 0; i < 20000; ++i) {
        const double scale = std::ldexp(1.0, numbers.below(70) - 30);
        double value = (static_cast<double>(numbers.next() >> 11) * 0x1.0p-53 - 0.5) * scale;
        if (i % 4 == 2) {
            // Coordinates as drawings keep them, to a few decimals: half lie just below
            // their decimal, where the formatter's tolerance rounds them up.
            const double decimals = std::pow(10.0, numbers.below(7));
            value = std::round(value * decimals) / decimals;
        } else if (i % 4 == 3) {
            const uint64_t bits = numbers.next();
            std::memcpy(&value, &bits, sizeof value);
        }
        SCOPED_TRACE(number(value));
        ASSERT_TRUE(same_double(halvern::DXFBinaryRealValue(value), osmark_binary_real(value)));
    }
}

// The double a few units in the last place away from value (towards +infinity for
// positive steps on positive values).
double ulps_away(double value, int64_t steps)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    bits += static_cast<uint64_t>(steps);
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

TEST(DxfGroupNumbers, BinaryRealsAtTheEdgesOfTheFormattersDecimalsAreWhatTheirTextGives)
{
    const double values[] = {
        // Fractions of a few bits, and ones a bit too long to be taken whole.
        7.999969482421875, 3.0 + 0x1.0p-16, 0.5 + 0x1.0p-50, 4.0 + 0x1.0p-50, 2.0 + 0x1.0p-51,
        0x1.0p-15, 0x1.0p-16, 0x1.0p-50, 0x1.0p-51,
        // Within the tolerance below a unit, at the start and after some decimals.
        8.0 - 0x1.0p-50, 7.9999995, 7.99999949999, 0.9999990000000001, 0.999999, 1.2345679999991,
        5.1234999999, 8.1234999999, 1234.56789999991, 1234.5678999999,
        // Around the smallest value whose text is not all zeros.
        1e-16, 9.99999e-17, 1.0000001e-16, 4.999999e-16, 5.000001e-16,
        // The sixteenth decimal at 4, 5 and just below a carry into 5.
        0.1234567890123449, 0.1234567890123450, 0.12345678901234499999, 7.0000000000000045,
    };
    for (const double value : values) {
        for (const double signed_value : {value, -value}) {
            SCOPED_TRACE(number(signed_value));
            EXPECT_TRUE(same_double(halvern::DXFBinaryRealValue(signed_value), osmark_binary_real(signed_value)));
        }
    }

    // Families of random values, each next to one edge of the formatter's decimals.
    const struct {
        const char* name;
        double (*make)(Numbers&);
    } families[] = {
        {"random bits below 8, from 2^-60 up",
         [](Numbers& numbers) {
             const double mantissa = 1.0 + static_cast<double>(numbers.next() >> 12) * 0x1.0p-52;
             return std::ldexp(mantissa, numbers.below(63) - 60);
         }},
        {"short fractions k / 2^n below 8",
         [](Numbers& numbers) {
             const int n = 15 + numbers.below(40);
             return std::ldexp(static_cast<double>(numbers.next() % (uint64_t{8} << n)), -n);
         }},
        {"the tolerance's edge after 0 to 16 decimals",
         [](Numbers& numbers) {
             const double scale = std::pow(10.0, numbers.below(17));
             const double size = std::ldexp(1.0, numbers.below(40) - 6);
             const double base = std::floor(static_cast<double>(numbers.next() >> 11) * 0x1.0p-53 * size * scale);
             return ulps_away((base + 1.0 - 1e-6) / scale, numbers.below(9) - 4);
         }},
        {"the sixteenth decimal's edge",
         [](Numbers& numbers) {
             const double edges[] = {0.4999999e-15, 0.49999995e-15, 0.5e-15};
             const double size = std::ldexp(1.0, numbers.below(12) - 6);
             const double base = std::floor(static_cast<double>(numbers.next() >> 11) * 0x1.0p-53 * size * 1e15) / 1e15;
             return ulps_away(base + edges[numbers.below(3)], numbers.below(9) - 4);
         }},
        {"short decimals of every size, a few units in the last place away",
         [](Numbers& numbers) {
             const double scale = std::pow(10.0, numbers.below(16));
             const double size = std::ldexp(1.0, numbers.below(50) - 3);
             const double units = std::floor(static_cast<double>(numbers.next() >> 11) * 0x1.0p-53 * size * scale);
             return ulps_away(std::max(units, 1.0) / scale, numbers.below(41) - 20);
         }},
    };
    Numbers numbers;
    for (const auto& family : families) {
        SCOPED_TRACE(family.name);
        for (int i = 0; i < 4000; ++i) {
            double value = family.make(numbers);
            if (numbers.below(2) == 0)
                value = -value;
            SCOPED_TRACE(number(value));
            ASSERT_TRUE(same_double(halvern::DXFBinaryRealValue(value), osmark_binary_real(value)));
        }
    }
}

struct ReadGroup {
    int32_t code;
    std::string text;
    double real;
    int32_t integer;
    int32_t line;
};

// Every group of a stream, its number asked for before its text.
std::vector<ReadGroup> read_groups(FileHandle* stream)
{
    halvern::DXFLineCounter = 0;
    char value[DXF_GROUP_VALUE_SIZE];
    halvern::DXFGroupStream groups(*stream, halvern::DXFDetectBinary(stream), value);
    std::vector<ReadGroup> read;
    while (groups.next()) {
        const double real = groups.real();
        const int32_t integer = groups.integer();
        read.push_back(ReadGroup{groups.code(), groups.text(), real, integer, halvern::DXFLineCounter});
    }
    EXPECT_FALSE(groups.next()) << "the groups stay ended";
    EXPECT_EQ(groups.code(), 0);
    return read;
}

TEST(DxfGroupStream, NumbersAreWhatTheirTextGivesThroughBuffersOfEverySize)
{
    const std::string ascii = "0\nSECTION\r\n  2\rENTITIES\r\n 10\r\n  12.5  \n20\n\n\n-3.25\r"
                              "62\n     7\r\n999\ncomment\n 40\n1e-3\n70\n  -12x\n1\n  a text \n"
                              "50\n" + std::string(5000, '9') + "\n0\nEOF";
    const std::vector<Group> groups = {
        {0, "SECTION"}, {2, "ENTITIES"}, {10, "1234.5678"}, {20, "-0.1"}, {40, "1e-20"},
        {62, "-7"}, {90, "-70000"}, {1, " padded "}, {0, "EOF"},
    };
    // Codes beyond one byte (the first group tells the code width: a 0 group).
    const std::vector<Group> wide_groups = concat({{{0, "SECTION"}, {290, "1"}, {999, "dropped"}, {1071, "5"}}, groups});
    const TempFolder folder;
    const struct {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"ASCII", ascii},
        {"binary, one-byte codes", dxf_test::binary(groups, 1)},
        {"binary, two-byte codes", dxf_test::binary(wide_groups, 2)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        dxf_test::MemoryStream memory(row.bytes);
        const std::vector<ReadGroup> expected = read_groups(memory.get());
        ASSERT_GE(expected.size(), 9u);
        for (const ReadGroup& group : expected) {
            SCOPED_TRACE(group.code);
            EXPECT_TRUE(same_double(group.real, StrToDouble(group.text.c_str(), nullptr)));
            EXPECT_EQ(group.integer, StrToLong(group.text.c_str(), nullptr, 10));
        }
        // The same groups, texts, numbers and lines however the file's bytes are cut
        // into buffers.
        const std::string path = folder.write("groups.dxf", row.bytes);
        for (int32_t size = 1; size <= 40; ++size) {
            SCOPED_TRACE(size);
            FileHandle* stream = Open(path.c_str(), FileModeRead);
            ASSERT_NE(stream, nullptr);
            ASSERT_EQ(SetVBuf(stream, nullptr, 0, size), 1);
            const std::vector<ReadGroup> read = read_groups(stream);
            Close(stream);
            ASSERT_EQ(read.size(), expected.size());
            for (size_t i = 0; i < read.size(); ++i) {
                EXPECT_EQ(read[i].code, expected[i].code);
                EXPECT_EQ(read[i].text, expected[i].text);
                EXPECT_TRUE(same_double(read[i].real, expected[i].real));
                EXPECT_EQ(read[i].integer, expected[i].integer);
                EXPECT_EQ(read[i].line, expected[i].line);
            }
        }
    }
}

}
