#include "halvern/packed.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "drawing_fixture.h"
#include "halvern/drawing.h"
#include "halvern/tables.h"
#include "osmark/errors.h"
#include "osmark/memory.h"
#include "osmark/testing.h"
#include "test_support/temp_folder.h"

namespace {

using halvern_test::Drawing;
namespace fs = std::filesystem;

using Bytes = std::vector<uint8_t>;

constexpr double kPi = 3.141592653589793;

using test_support::TempFile;

using halvern_test::FailingAllocations;

// Little-endian fields for hand-made files.
void put_u16(Bytes& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}
void put_u32(Bytes& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
uint16_t get_u16(const Bytes& bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}
uint32_t get_u32(const Bytes& bytes, size_t at)
{
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}

// Bytes of a packed drawing written by DXFCreatePackedFile.
Bytes pack(DXFDrawingRec* drawing)
{
    const TempFile file("packed_test.pak");
    EXPECT_EQ(DXFCreatePackedFile(drawing, file.c_str()), 0);
    const std::string bytes = file.text();
    return Bytes(bytes.begin(), bytes.end());
}

int32_t read_bytes(const Bytes& bytes, DXFDrawingRec* drawing)
{
    return ReadAPackedDXFFileMem(bytes.data(), static_cast<uint32_t>(bytes.size()), drawing);
}

ItemRec* add(DXFDrawingRec* drawing, ItemBufferRec& buffer, ItemRec* item)
{
    EXPECT_NE(item, nullptr);
    EXPECT_EQ(AddItem(drawing, &buffer, item), 1);
    return item;
}

ItemRec* make(Drawing& drawing, int32_t type, int32_t layer = 0, int32_t colour = 0, int32_t line_type = 0)
{
    return CreateItem(type, 0, layer, colour, line_type, drawing.pool());
}

// A block "PART" with a line and a nested INSERT of "BOLT" (defined after it), the block
// "BOLT" with a point, and top-level items of every other packable type.
void fill_every_type(Drawing& drawing)
{
    DXFDrawingRec* d = drawing.get();
    const int32_t dashed = GetLineType(&d->dxf_LineTypeTable, "DASHED");
    auto* line_type = d->dxf_LineTypeTable.lt_LineTypes[dashed];
    line_type->ld_NSegments = 2;
    line_type->ld_Segments = static_cast<double*>(AllocVec(2 * sizeof(double)));
    line_type->ld_Segments[0] = 0.5;
    line_type->ld_Segments[1] = -0.25;
    GetLineType(&d->dxf_LineTypeTable, "CONTINUOUS");
    const int32_t walls = GetLayer(&d->dxf_LayerTable, "WALLS");
    d->dxf_LayerTable.lt_Layers[walls]->ld_Colour = 3;
    d->dxf_LayerTable.lt_Layers[walls]->ld_LineType = dashed;
    GetLayer(&d->dxf_LayerTable, "DOORS");

    ItemBufferRec& blocks = d->dxf_BlockItemBuffer;
    ItemRec* part = add(d, blocks, make(drawing, DXFItemBlock));
    part->it_Block.bk_Base = Point3DRec{1.5, -2.0, 0.0};
    AddBlockIdentifier(&d->dxf_BlockIdentifierBuffer, "PART", 0, 0);
    add(d, blocks, halvern_test::make_line(drawing.pool(), 0, 0, 10, 0));
    add(d, blocks, halvern_test::make_insert(drawing.pool(), nullptr, -1));
    add(d, blocks, make(drawing, DXFItemEndBlock));
    add(d, blocks, make(drawing, DXFItemBlock));
    AddBlockIdentifier(&d->dxf_BlockIdentifierBuffer, "BOLT", 4, 0);
    ItemRec* point = add(d, blocks, make(drawing, DXFItemPoint, walls, 5, 1));
    point->it_Point.pt_Point = Point3DRec{3.0, 4.0, 0.0};
    add(d, blocks, make(drawing, DXFItemEndBlock));
    char* bolt = nullptr;
    IsBlockKnown(&d->dxf_BlockIdentifierBuffer, "BOLT", &bolt, nullptr);
    blocks.ib_Items[2]->it_Insert.in_BlockName = bolt;
    blocks.ib_Items[2]->it_Insert.in_BlockIndex = 4;
    blocks.ib_Items[2]->it_Insert.in_Extrusion = Point3DRec{0.0, 0.0, 1.0};

    ItemBufferRec& items = d->dxf_ItemBuffer;
    char* part_name = nullptr;
    IsBlockKnown(&d->dxf_BlockIdentifierBuffer, "PART", &part_name, nullptr);
    ItemRec* insert = add(d, items, halvern_test::make_insert(drawing.pool(), part_name, 0));
    InsertRec& placed = insert->it_Insert;
    placed.in_Point = Point3DRec{100.0, 50.0, 0.0};
    placed.in_Rotation = kPi / 6;
    placed.in_RowAngle = kPi / 2;
    placed.in_Rows = 2;
    placed.in_Columns = 3;
    placed.in_ColumnSpacing = 12.5;
    placed.in_RowSpacing = 7.25;
    placed.in_Extrusion = Point3DRec{0.0, 0.0, 1.0};
    halvern_test::set_comments(insert, drawing.pool(), {"NOTE", "UID=42"});
    add(d, items, halvern_test::make_line(drawing.pool(), -1, -2, 3, 4))->it_Header.ih_Layer = walls;
    for (const int32_t direction : {1, -1}) {
        ItemRec* arc = add(d, items, make(drawing, DXFItemArc, walls, 7, dashed));
        arc->it_Arc = ArcRec{{5.0, 6.0, 0.0}, 2.5, 0.25, 3.0, direction};
    }
    ItemRec* text = add(d, items, halvern_test::make_text(drawing.pool(), "Hello"));
    text->it_Text.tx_Flags = DXFTextCentre | DXFTextMiddle;
    text->it_Text.tx_Flags2 = 0x1234;
    text->it_Text.tx_Point = Point3DRec{1.0, 2.0, 0.0};
    text->it_Text.tx_Point2 = Point3DRec{3.0, 4.0, 0.0};
    text->it_Text.tx_Height = 2.5;
    text->it_Text.tx_Rotation = 0.5;
    add(d, items, halvern_test::make_text(drawing.pool(), "Hello"));
    ItemRec* polyline = add(d, items,
                            halvern_test::make_polyline(drawing.pool(), {{{0, 0, 0}, 1.0, 0},
                                                                          {{2, 0, 0}, 0.0, 0},
                                                                          {{2, 2, 0}, -0.5, 0},
                                                                          {{0, 2, 0}, 0.0, 0},
                                                                          {{0, 0, 0}, 0.0, 0}}));
    polyline->it_Polyline.pl_Flags = 1;
    ItemRec* ellipse = add(d, items, make(drawing, DXFItemEllipse, 0, 1, 0));
    ellipse->it_Ellipse = EllipseRec{{1, 2, 0}, {4, 3, 0}, 0.5, 0.1, 2.0, 0.6435, -1};
}

// ---- Layout -------------------------------------------------------------------------------

TEST(PackedFile, EmptyDrawingIsFortyTwoBytesAndReadsBackToNothing)
{
    Drawing drawing;
    const Bytes bytes = pack(drawing.get());
    const Bytes expected = {0x01, 0x00, 0x72, 0x19, 0x00, 0x00,
                            2, 0, 0, 0, 0, 0, 0, 0, 0,
                            1, 0, 0, 0, 0, 0, 0, 0, 0,
                            3, 0, 0, 0, 0, 0, 0, 0, 0,
                            4, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(expected.size(), 42u);
    EXPECT_EQ(bytes, expected);

    Drawing read;
    EXPECT_EQ(read_bytes(bytes, read.get()), 0);
    EXPECT_EQ(read->dxf_LayerTable.lt_N, 0);
    EXPECT_EQ(read->dxf_LineTypeTable.lt_N, 0);
    EXPECT_EQ(read->dxf_ItemBuffer.ib_N, 0);
    EXPECT_EQ(read->dxf_BlockItemBuffer.ib_N, 0);
}

TEST(PackedFile, TablesAndRecordsAreLaidOutFieldByField)
{
    Drawing drawing;
    DXFDrawingRec* d = drawing.get();
    const int32_t dashed = GetLineType(&d->dxf_LineTypeTable, "DASHED");
    auto* line_type = d->dxf_LineTypeTable.lt_LineTypes[dashed];
    line_type->ld_NSegments = 2;
    line_type->ld_Segments = static_cast<double*>(AllocVec(2 * sizeof(double)));
    line_type->ld_Segments[0] = 1.0;
    line_type->ld_Segments[1] = -0.5;
    GetLineType(&d->dxf_LineTypeTable, "DOT");
    const int32_t walls = GetLayer(&d->dxf_LayerTable, "WALLS");
    d->dxf_LayerTable.lt_Layers[walls]->ld_Colour = 3;
    d->dxf_LayerTable.lt_Layers[walls]->ld_LineType = 2;
    add(d, d->dxf_ItemBuffer, halvern_test::make_polyline(drawing.pool(), std::vector<VertexRec>(5)));
    add(d, d->dxf_ItemBuffer, halvern_test::make_text(drawing.pool(), "WALLS"));

    const Bytes bytes = pack(d);
    // Strings in the order of first use: layer names, line-type names, then texts,
    // each once ("WALLS" is a layer and a text).
    const char strings[] = "WALLS\0DASHED\0DOT";
    ASSERT_EQ(get_u16(bytes, 4), sizeof strings);
    EXPECT_EQ(std::memcmp(bytes.data() + 6, strings, sizeof strings), 0);
    size_t at = 6 + sizeof strings;
    // Line types: 3 + 8 n bytes each, "DASHED" (19 bytes) then "DOT" (3 bytes).
    EXPECT_EQ(bytes[at], 2);
    EXPECT_EQ(get_u32(bytes, at + 1), 22u);
    EXPECT_EQ(get_u32(bytes, at + 5), 2u);
    at += 9;
    EXPECT_EQ(get_u16(bytes, at), 1);
    EXPECT_EQ(bytes[at + 2], 2);
    double first = 0.0;
    std::memcpy(&first, bytes.data() + at + 3, 8);
    EXPECT_EQ(first, 1.0);
    EXPECT_EQ(get_u16(bytes, at + 19), 2);
    EXPECT_EQ(bytes[at + 21], 0);
    at += 22;
    // Layers: ordinal, colour, line type.
    EXPECT_EQ(bytes[at], 1);
    EXPECT_EQ(get_u32(bytes, at + 1), 4u);
    at += 9;
    EXPECT_EQ(get_u16(bytes, at), 0);
    EXPECT_EQ(bytes[at + 2], 3);
    EXPECT_EQ(bytes[at + 3], 2);
    at += 4;
    EXPECT_EQ(bytes[at], 3);
    EXPECT_EQ(get_u32(bytes, at + 1), 0u);
    at += 9;
    // Items: a polyline of five vertices is 12 + 5 x 24 = 132 bytes; the text 64.
    EXPECT_EQ(bytes[at], 4);
    EXPECT_EQ(get_u32(bytes, at + 1), 132u + 64u);
    EXPECT_EQ(get_u32(bytes, at + 5), 2u);
    at += 9;
    EXPECT_EQ(get_u16(bytes, at), 132);
    EXPECT_EQ(bytes[at + 2], DXFItemPolyline);
    EXPECT_EQ(get_u16(bytes, at + 10), 5);
    at += 132;
    EXPECT_EQ(get_u16(bytes, at), 64);
    EXPECT_EQ(get_u16(bytes, at + 62), 0) << "the text shares the layer's string";
    EXPECT_EQ(at + 64, bytes.size());

    Drawing read;
    ASSERT_EQ(read_bytes(bytes, read.get()), 0);
    ASSERT_EQ(read->dxf_LayerTable.lt_N, 2);
    const LayerDataRec* layer = read->dxf_LayerTable.lt_Layers[1];
    EXPECT_STREQ(layer->ld_Name, "WALLS");
    EXPECT_EQ(layer->ld_Colour, 3u);
    EXPECT_EQ(layer->ld_LineType, 2);
    ASSERT_EQ(read->dxf_LineTypeTable.lt_N, 3);
    const LineTypeDataRec* read_dashed = read->dxf_LineTypeTable.lt_LineTypes[1];
    ASSERT_EQ(read_dashed->ld_NSegments, 2);
    EXPECT_EQ(read_dashed->ld_Segments[1], -0.5);
    EXPECT_STREQ(read->dxf_LineTypeTable.lt_LineTypes[2]->ld_Name, "DOT");
    EXPECT_EQ(read->dxf_LineTypeTable.lt_LineTypes[2]->ld_NSegments, 0);
}

// ---- Round trip ---------------------------------------------------------------------------

void expect_point(const Point3DRec& actual, double x, double y)
{
    EXPECT_EQ(actual.x, x);
    EXPECT_EQ(actual.y, y);
    EXPECT_EQ(actual.z, 0.0);
}

TEST(PackedFile, EveryPackableTypeRoundTripsExactly)
{
    Drawing drawing;
    fill_every_type(drawing);
    const Bytes bytes = pack(drawing.get());

    Drawing read;
    ASSERT_EQ(read_bytes(bytes, read.get()), 0);
    // The drawing read back packs to the same bytes.
    EXPECT_EQ(pack(read.get()), bytes);

    const ItemBufferRec& blocks = read->dxf_BlockItemBuffer;
    ASSERT_EQ(blocks.ib_N, 7);
    expect_point(blocks.ib_Items[0]->it_Block.bk_Base, 1.5, -2.0);
    // The INSERT inside PART names BOLT, which is defined after it: it is resolved.
    const InsertRec& nested = blocks.ib_Items[2]->it_Insert;
    EXPECT_STREQ(nested.in_BlockName, "BOLT");
    EXPECT_EQ(nested.in_BlockIndex, 4);
    char* name = nullptr;
    int32_t index = -1;
    ASSERT_EQ(IsBlockKnown(&read->dxf_BlockIdentifierBuffer, "PART", &name, &index), 1);
    EXPECT_EQ(index, 0);
    const ItemHeaderRec& point = blocks.ib_Items[5]->it_Header;
    EXPECT_EQ(point.ih_Layer, 1);
    EXPECT_EQ(point.ih_Colour, 5);
    EXPECT_EQ(point.ih_LineType, 1);

    const ItemBufferRec& items = read->dxf_ItemBuffer;
    ASSERT_EQ(items.ib_N, 8);
    const InsertRec& insert = items.ib_Items[0]->it_Insert;
    EXPECT_EQ(insert.in_BlockName, name);
    EXPECT_EQ(insert.in_BlockIndex, 0);
    expect_point(insert.in_Point, 100.0, 50.0);
    EXPECT_EQ(insert.in_Rotation, kPi / 6);
    EXPECT_EQ(insert.in_Rows, 2);
    EXPECT_EQ(insert.in_Columns, 3);
    EXPECT_EQ(insert.in_ColumnSpacing, 12.5);
    EXPECT_EQ(insert.in_RowSpacing, 7.25);
    EXPECT_EQ(insert.in_Scale.x, 1.0);
    EXPECT_EQ(insert.in_Extrusion.z, 1.0);
    ASSERT_EQ(items.ib_Items[0]->it_Header.ih_NumComments, 1);
    EXPECT_STREQ(GetDXFUID(items.ib_Items[0]), "42");
    EXPECT_EQ(items.ib_Items[2]->it_Arc.ar_Dir, 1);
    EXPECT_EQ(items.ib_Items[3]->it_Arc.ar_Dir, -1);
    EXPECT_EQ(items.ib_Items[3]->it_Arc.ar_Radius, 2.5);
    const TextRec& text = items.ib_Items[4]->it_Text;
    EXPECT_STREQ(text.tx_Text, "Hello");
    EXPECT_EQ(text.tx_Text, reinterpret_cast<const char*>(&text + 1));
    EXPECT_EQ(text.tx_Flags2, 0x1234u);
    const PolylineRec& polyline = items.ib_Items[6]->it_Polyline;
    ASSERT_EQ(polyline.pl_NumVertices, 5);
    EXPECT_EQ(polyline.pl_Flags, 1u);
    EXPECT_EQ(polyline.pl_Vertices[2].vx_Bulge, -0.5);
    // The extents take in the half circle below the first segment (bulge 1).
    EXPECT_NEAR(polyline.pl_Min.y, -1.0, 1e-9);
    // The bulge -0.5 segment runs clockwise from (2, 2) to (0, 2), dipping inside.
    expect_point(polyline.pl_Max, 2.0, 2.0);
    const EllipseRec& ellipse = items.ib_Items[7]->it_Ellipse;
    expect_point(ellipse.el_MajorAxis, 4.0, 3.0);
    EXPECT_EQ(ellipse.el_Dir, -1);
    EXPECT_EQ(ellipse.el_Angle, 0.6435);
}

TEST(PackedFile, PolylineExtentsTakeInEveryVertex)
{
    // The last vertex carries a bulge that leads nowhere; it still bounds the outline.
    Drawing drawing;
    add(drawing.get(), drawing->dxf_ItemBuffer,
        halvern_test::make_polyline(drawing.pool(), {{{0, 0, 0}, 0.0, 0}, {{5, 7, 0}, 0.3, 0}}));
    Drawing read;
    ASSERT_EQ(read_bytes(pack(drawing.get()), read.get()), 0);
    const PolylineRec& polyline = read->dxf_ItemBuffer.ib_Items[0]->it_Polyline;
    expect_point(polyline.pl_Min, 0.0, 0.0);
    expect_point(polyline.pl_Max, 5.0, 7.0);
}

TEST(PackedFile, AWriteThatFailsIsReported)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no device that refuses writes";
    Drawing drawing;
    fill_every_type(drawing);
    EXPECT_EQ(DXFCreatePackedFile(drawing.get(), "/dev/full"), IoErrBadIO);
}

TEST(PackedFile, ReadingIntoAFilledDrawingAppendsAndKeepsBlockIndexes)
{
    Drawing drawing;
    fill_every_type(drawing);
    const Bytes bytes = pack(drawing.get());
    Drawing read;
    ASSERT_EQ(read_bytes(bytes, read.get()), 0);
    ASSERT_EQ(read_bytes(bytes, read.get()), 0);
    EXPECT_EQ(read->dxf_BlockItemBuffer.ib_N, 14);
    EXPECT_EQ(read->dxf_ItemBuffer.ib_N, 16);
    // The second reading defined the blocks again behind the first ones.
    EXPECT_EQ(read->dxf_ItemBuffer.ib_Items[8]->it_Insert.in_BlockIndex, 7);
    EXPECT_EQ(read->dxf_LayerTable.lt_N, 3);
}

// ---- What the format cannot hold ------------------------------------------------------------

TEST(PackedFile, WriterRefusesWhatTheFormatCannotHoldBeforeCreatingTheFile)
{
    struct Row {
        const char* name;
        void (*spoil)(Drawing& drawing);
    };
    const Row rows[] = {
        {"scaled INSERT", [](Drawing& d) { d->dxf_ItemBuffer.ib_Items[0]->it_Insert.in_Scale.x = 2.0; }},
        {"circular INSERT", [](Drawing& d) { d->dxf_ItemBuffer.ib_Items[0]->it_Insert.in_ArrayKind = 2; }},
        {"256 rows", [](Drawing& d) { d->dxf_ItemBuffer.ib_Items[0]->it_Insert.in_Rows = 256; }},
        {"negative columns", [](Drawing& d) { d->dxf_ItemBuffer.ib_Items[0]->it_Insert.in_Columns = -1; }},
        {"mirrored extrusion",
         [](Drawing& d) { d->dxf_ItemBuffer.ib_Items[0]->it_Insert.in_Extrusion.z = -1.0; }},
        {"oblique text", [](Drawing& d) { d->dxf_ItemBuffer.ib_Items[4]->it_Text.tx_Oblique = 0.2; }},
        {"spline",
         [](Drawing& d) {
             AddItem(d.get(), &d->dxf_ItemBuffer,
                     halvern_test::make_spline(d.pool(), {{0, 0, 0}, {1, 1, 0}}, {0, 0, 1, 1}, {1, 1}));
         }},
        {"BLOCK without name",
         [](Drawing& d) { d->dxf_BlockIdentifierBuffer.bib_Blocks[1]->bi_BlockData = -1; }},
        {"256 layers",
         [](Drawing& d) {
             for (int i = 0; i < 256; ++i)
                 GetLayer(&d->dxf_LayerTable, std::to_string(i).c_str());
         }},
        {"256 dashes",
         [](Drawing& d) { d->dxf_LineTypeTable.lt_LineTypes[1]->ld_NSegments = 256; }},
        {"2731 vertices",
         [](Drawing& d) {
             AddItem(d.get(), &d->dxf_ItemBuffer,
                     halvern_test::make_polyline(d.pool(), std::vector<VertexRec>(2731)));
         }},
        {"string table of 0xFFFF bytes",
         [](Drawing& d) {
             // 0xFFFF bytes with the strings already there: "Hello", the names...
             size_t bytes = 0;
             Bytes probe = pack(d.get());
             bytes = get_u16(probe, 4);
             const std::string text(0xFFFF - bytes - 1, 'x');
             AddItem(d.get(), &d->dxf_ItemBuffer, halvern_test::make_text(d.pool(), text.c_str()));
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Drawing drawing;
        fill_every_type(drawing);
        row.spoil(drawing);
        const TempFile file("packed_refused.pak");
        EXPECT_EQ(DXFCreatePackedFile(drawing.get(), file.c_str()), IoErrObjectInvalid);
        EXPECT_FALSE(file.exists());
    }
}

TEST(PackedFile, LimitsThatFitAreWritten)
{
    Drawing drawing;
    fill_every_type(drawing);
    DXFDrawingRec* d = drawing.get();
    for (int i = 0; i < 252; ++i)
        GetLayer(&d->dxf_LayerTable, std::to_string(i).c_str());
    ASSERT_EQ(d->dxf_LayerTable.lt_N, 255);
    AddItem(d, &d->dxf_ItemBuffer, halvern_test::make_polyline(drawing.pool(), std::vector<VertexRec>(2730)));
    d->dxf_ItemBuffer.ib_Items[0]->it_Insert.in_Rows = 255;
    const Bytes bytes = pack(d);
    Drawing read;
    ASSERT_EQ(read_bytes(bytes, read.get()), 0);
    EXPECT_EQ(read->dxf_LayerTable.lt_N, 255);
    EXPECT_EQ(read->dxf_ItemBuffer.ib_Items[8]->it_Polyline.pl_NumVertices, 2730);
    EXPECT_EQ(read->dxf_ItemBuffer.ib_Items[0]->it_Insert.in_Rows, 255);
}

TEST(PackedFile, ArgumentsAndFilesThatCannotBeUsed)
{
    Drawing drawing;
    EXPECT_EQ(DXFCreatePackedFile(nullptr, "x.pak"), IoErrRequiredArgMissing);
    EXPECT_EQ(DXFCreatePackedFile(drawing.get(), nullptr), IoErrRequiredArgMissing);
    const test_support::TempFolder folder;
    const std::string missing = folder.path("no such folder/x.pak");
    EXPECT_EQ(DXFCreatePackedFile(drawing.get(), missing.c_str()), IoErrInvalidStreamName);
    EXPECT_EQ(ReadPackedDXF(missing.c_str(), drawing.get()), IoErrObjectNotFound);
    EXPECT_EQ(ReadPackedDXF(nullptr, drawing.get()), IoErrRequiredArgMissing);
    EXPECT_EQ(ReadAPackedDXFFileMem(nullptr, 0, drawing.get()), 0);
    EXPECT_EQ(ReadAPackedDXFFileMem(nullptr, 4, drawing.get()), IoErrRequiredArgMissing);
    const uint8_t byte = 0;
    EXPECT_EQ(ReadAPackedDXFFileMem(&byte, 1, nullptr), IoErrRequiredArgMissing);
    EXPECT_EQ(ReadAPackedDXFFileMem(&byte, 0x80000000u, drawing.get()), IoErrObjectNotFound);
}

TEST(PackedFile, ReadPackedDxfReadsAFile)
{
    Drawing drawing;
    fill_every_type(drawing);
    const TempFile file("packed_read.pak");
    ASSERT_EQ(DXFCreatePackedFile(drawing.get(), file.c_str()), 0);
    Drawing read;
    ASSERT_EQ(ReadPackedDXF(file.c_str(), read.get()), 0);
    EXPECT_EQ(read->dxf_ItemBuffer.ib_N, 8);
    EXPECT_EQ(read->dxf_BlockItemBuffer.ib_N, 7);
}

// ---- Damaged files --------------------------------------------------------------------------

void expect_unchanged(const Drawing& drawing)
{
    EXPECT_EQ(drawing.record.dxf_LayerTable.lt_N, 0);
    EXPECT_EQ(drawing.record.dxf_LineTypeTable.lt_N, 0);
    EXPECT_EQ(drawing.record.dxf_BlockIdentifierBuffer.bib_N, 0);
    EXPECT_EQ(drawing.record.dxf_ItemBuffer.ib_N, 0);
    EXPECT_EQ(drawing.record.dxf_BlockItemBuffer.ib_N, 0);
}

TEST(PackedFile, EveryCutOfAValidFileIsRefusedWithTheDrawingUnchanged)
{
    Drawing drawing;
    fill_every_type(drawing);
    const Bytes bytes = pack(drawing.get());
    for (size_t length = 0; length < bytes.size(); ++length) {
        SCOPED_TRACE(length);
        Drawing read;
        EXPECT_EQ(ReadAPackedDXFFileMem(bytes.data(), static_cast<uint32_t>(length), read.get()),
                  IoErrObjectInvalid);
        expect_unchanged(read);
    }
}

TEST(PackedFile, MalformedFieldsAreRefusedWithTheDrawingUnchanged)
{
    Drawing drawing;
    fill_every_type(drawing);
    const Bytes good = pack(drawing.get());
    const uint16_t strings = get_u16(good, 4);
    const size_t line_types = 6 + strings;            // section head of the line types
    const size_t layers = line_types + 9 + 19 + 3;    // DASHED (2 dashes), CONTINUOUS
    const size_t block_items = layers + 9 + 2 * 4;
    const size_t first_block = block_items + 9;       // BLOCK record of PART
    struct Row {
        const char* name;
        size_t offset;
        std::vector<uint8_t> bytes;
    };
    const Row rows[] = {
        {"wrong magic", 0, {0x02}},
        {"line types where layers belong", line_types, {1}},
        {"a line-type record more than counted", line_types + 5, {1}},
        {"a line-type record fewer than counted", line_types + 5, {3}},
        {"dash count beyond the section", line_types + 9 + 2, {3}},
        {"layer section size not four per record", layers + 1, {9}},
        {"layer named by an ordinal beyond the table", layers + 9, {0xFF, 0x7F}},
        {"layer of a line type beyond the table", layers + 9 + 3, {3}},
        {"record length beyond the section", first_block, {0xFF, 0x00}},
        {"record shorter than its type", first_block, {23, 0x00}},
        {"record length below its head", first_block, {3, 0x00}},
        {"item type the format cannot hold", first_block + 2, {10}},
        {"item type 0", first_block + 2, {0}},
        {"item on a layer beyond the table", first_block + 3, {3}},
        {"item of a line type beyond the table", first_block + 5, {3}},
        {"block named beyond the table", first_block + 6, {0xFF, 0xFF}},
        {"items counted one too many", block_items + 5, {8}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Bytes bytes = good;
        ASSERT_LE(row.offset + row.bytes.size(), bytes.size());
        std::copy(row.bytes.begin(), row.bytes.end(), bytes.begin() + static_cast<ptrdiff_t>(row.offset));
        Drawing read;
        EXPECT_EQ(read_bytes(bytes, read.get()), IoErrObjectInvalid);
        expect_unchanged(read);
    }
}

// A file of the given string table and line-type and layer records (no items).
Bytes hand_made(const std::string& strings, const Bytes& line_types, uint32_t line_type_count,
                const Bytes& layers)
{
    Bytes bytes;
    put_u32(bytes, DXF_PACKED_MAGIC);
    put_u16(bytes, static_cast<uint16_t>(strings.size()));
    bytes.insert(bytes.end(), strings.begin(), strings.end());
    const std::pair<const Bytes*, uint32_t> sections[] = {
        {&line_types, line_type_count}, {&layers, static_cast<uint32_t>(layers.size() / 4)}};
    uint8_t kind = 2;
    for (const auto& [records, count] : sections) {
        bytes.push_back(kind--);
        put_u32(bytes, static_cast<uint32_t>(records->size()));
        put_u32(bytes, count);
        bytes.insert(bytes.end(), records->begin(), records->end());
    }
    for (uint8_t item_kind : {3, 4}) {
        bytes.push_back(item_kind);
        put_u32(bytes, 0);
        put_u32(bytes, 0);
    }
    return bytes;
}

TEST(PackedFile, StringTablesAndNamesTheReaderCannotKeepAreRefused)
{
    using namespace std::string_literals;
    struct Row {
        const char* name;
        Bytes file;
        int32_t result;
    };
    const Row rows[] = {
        {"a layer and a line type", hand_made("A\0B\0"s, {1, 0, 0}, 1, {0, 0, 7, 1}), 0},
        {"unterminated string table", hand_made("A\0B"s, {1, 0, 0}, 1, {0, 0, 7, 1}), IoErrObjectInvalid},
        // Index 0 of a table is the unnamed entry; a layer of no name would not get
        // an index of its own.
        {"layer of the empty name", hand_made("\0B\0"s, {1, 0, 0}, 1, {0, 0, 7, 1}), IoErrObjectInvalid},
        {"line type BYBLOCK", hand_made("A\0BYBLOCK\0"s, {1, 0, 0}, 1, {0, 0, 7, 1}), IoErrObjectInvalid},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Drawing read;
        EXPECT_EQ(read_bytes(row.file, read.get()), row.result);
        if (row.result != 0)
            expect_unchanged(read);
    }
    Drawing read;
    ASSERT_EQ(read_bytes(rows[0].file, read.get()), 0);
    ASSERT_EQ(read->dxf_LayerTable.lt_N, 2);
    EXPECT_STREQ(read->dxf_LayerTable.lt_Layers[1]->ld_Name, "A");
    EXPECT_EQ(read->dxf_LayerTable.lt_Layers[1]->ld_Colour, 7u);
    EXPECT_EQ(read->dxf_LayerTable.lt_Layers[1]->ld_LineType, 1);
    EXPECT_STREQ(read->dxf_LineTypeTable.lt_LineTypes[1]->ld_Name, "B");
}

// A file may name one layer or one line type twice, by one string or by two equal
// ones. The reader keeps one entry per name and takes the numbers that named the
// second record to that entry, so that nothing points past the tables and the drawing
// is written and read again unchanged.
TEST(PackedFile, ANameGivenTwiceIsOneEntryAndItsNumbersFollow)
{
    Drawing drawing;
    DXFDrawingRec* d = drawing.get();
    GetLineType(&d->dxf_LineTypeTable, "X");
    const int32_t y = GetLineType(&d->dxf_LineTypeTable, "Y");
    GetLayer(&d->dxf_LayerTable, "A");
    const int32_t b = GetLayer(&d->dxf_LayerTable, "B");
    d->dxf_LayerTable.lt_Layers[b]->ld_LineType = y;
    add(d, d->dxf_ItemBuffer, make(drawing, DXFItemLine, b, 4, y));
    Bytes bytes = pack(d);
    // Strings in order of first use: A, B, X, Y. Line-type records first (X, Y: three
    // bytes each), then the layer records (A, B: four bytes each).
    const uint16_t strings = get_u16(bytes, 4);
    const size_t line_types = 6 + strings + 9;
    const size_t layers = line_types + 2 * 3 + 9;
    ASSERT_EQ(get_u16(bytes, line_types + 3), 3);
    ASSERT_EQ(get_u16(bytes, layers + 4), 1);
    struct Row {
        const char* name;
        bool same_ordinal;
    };
    for (const Row row : {Row{"one string named twice", true}, Row{"two equal strings", false}}) {
        SCOPED_TRACE(row.name);
        Bytes twice = bytes;
        if (row.same_ordinal) {
            twice[line_types + 3] = 2;  // Y's record names X
            twice[layers + 4] = 0;      // B's record names A
        } else {
            // The strings "A\0B\0X\0Y\0" become "A\0A\0X\0X\0".
            twice[6 + 2] = 'A';
            twice[6 + 6] = 'X';
        }
        Drawing read;
        ASSERT_EQ(read_bytes(twice, read.get()), 0);
        ASSERT_EQ(read->dxf_LayerTable.lt_N, 2);
        ASSERT_EQ(read->dxf_LineTypeTable.lt_N, 2);
        EXPECT_EQ(read->dxf_LayerTable.lt_Layers[1]->ld_LineType, 1);
        ASSERT_EQ(read->dxf_ItemBuffer.ib_N, 1);
        const ItemHeaderRec& head = read->dxf_ItemBuffer.ib_Items[0]->it_Header;
        EXPECT_EQ(head.ih_Layer, 1);
        EXPECT_EQ(head.ih_LineType, 1);
        EXPECT_EQ(head.ih_Colour, 4);
        // Written and read again: the same drawing, and the same bytes a second time.
        const Bytes first = pack(read.get());
        Drawing again;
        ASSERT_EQ(read_bytes(first, again.get()), 0);
        EXPECT_EQ(pack(again.get()), first);
        EXPECT_EQ(again->dxf_ItemBuffer.ib_Items[0]->it_Header.ih_Layer, 1);
    }
}

TEST(PackedFile, HugeSectionSizeIsATruncationNotAnAllocation)
{
    Bytes bytes;
    put_u32(bytes, DXF_PACKED_MAGIC);
    put_u16(bytes, 0);
    bytes.push_back(2);
    put_u32(bytes, 0xFFFFFFF0u);
    put_u32(bytes, 0xFFFFFFF0u);
    bytes.resize(bytes.size() + 100, 0);
    Drawing read;
    uint32_t live_before = 0;
    uint32_t total = 0;
    osmark_testing_allocation_counts(&live_before, &total);
    EXPECT_EQ(read_bytes(bytes, read.get()), IoErrObjectInvalid);
    uint32_t live_after = 0;
    osmark_testing_allocation_counts(&live_after, &total);
    EXPECT_EQ(live_after, live_before);
}

TEST(PackedFile, RunningOutOfMemoryGivesMinusOneNeverSuccessWithLostItems)
{
    Drawing drawing;
    fill_every_type(drawing);
    const Bytes bytes = pack(drawing.get());
    bool completed = false;
    for (uint32_t successes = 0; !completed && successes < 500; ++successes) {
        SCOPED_TRACE(successes);
        Drawing read;
        int32_t result = 0;
        {
            const FailingAllocations failing(successes, 1000000);
            result = read_bytes(bytes, read.get());
        }
        if (result == 0) {
            completed = true;
            EXPECT_EQ(read->dxf_ItemBuffer.ib_N, 8);
            EXPECT_EQ(read->dxf_BlockItemBuffer.ib_N, 7);
        } else {
            EXPECT_EQ(result, IoErrNoMemory);
        }
    }
    EXPECT_TRUE(completed);
}

}
