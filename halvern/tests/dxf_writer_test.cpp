// The DXF writer: the text of whole files (golden files of an empty drawing), the
// groups of every entity type, blocks and block files, single items, exploded INSERTs,
// write failures, and drawings that survive a write and a read unchanged.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "dxf/dxf_entity_parser.h"
#include "drawing_fixture.h"
#include "halvern/halvern.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/memory.h"
#include "osmark/testing.h"
#include "test_support/child_process.h"
#include "test_support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using halvern_test::Drawing;
using halvern_test::vertex;

constexpr double kPi = 3.141592653589793;

// ---------------------------------------------------------------------------------------
// Support

using test_support::TempFile;

// The golden files live in halvern/tests/data/dxf_writer, which the build names.
std::string golden(const char* name)
{
    const fs::path path = fs::path(TARVEK_WRITER_GOLDEN_DIR) / name;
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file.good()) << path;
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct Group {
    int code;
    std::string value;
    bool operator==(const Group&) const = default;
};
using Groups = std::vector<Group>;

std::ostream& operator<<(std::ostream& out, const Group& group)
{
    return out << group.code << " \"" << group.value << "\"";
}

// The groups of DXF text whose lines end in CR LF.
Groups parse(const std::string& text)
{
    Groups groups;
    size_t at = 0;
    const auto line = [&]() {
        const size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            ADD_FAILURE() << "line without CR LF at " << at;
            at = text.size();
            return std::string();
        }
        std::string result = text.substr(at, end - at);
        at = end + 2;
        return result;
    };
    while (at < text.size()) {
        const std::string code = line();
        const std::string value = line();
        groups.push_back(Group{std::stoi(code), value});
    }
    return groups;
}

// A write-only stream that collects what is written in memory, or fails every write.
class Sink {
public:
    Sink()
    {
        m_handle.fh_Flags = FileFlagWrite | FileFlagUnbuffered;
        m_handle.fh_SystemHandle = reinterpret_cast<uintptr_t>(this);
        m_handle.fh_Close = [](uintptr_t) -> int32_t { return 1; };
        m_handle.fh_Seek = [](uintptr_t, int32_t, int32_t) -> int32_t { return -1; };
        m_handle.fh_Read = [](uintptr_t, void*, int32_t, int32_t* done) -> int32_t {
            *done = 0;
            return 0;
        };
        m_handle.fh_Write = [](uintptr_t self, const void* bytes, int32_t count, int32_t* done) -> int32_t {
            auto* sink = reinterpret_cast<Sink*>(self);
            ++sink->m_writes;
            if (sink->m_failing) {
                *done = 0;
                return 0;
            }
            sink->m_text.append(static_cast<const char*>(bytes), static_cast<size_t>(count));
            *done = count;
            return 1;
        };
    }
    Sink(const Sink&) = delete;
    Sink& operator=(const Sink&) = delete;

    FileHandle* get() { return &m_handle; }
    const std::string& text() const { return m_text; }
    Groups groups() const { return parse(m_text); }
    int writes() const { return m_writes; }
    void fail() { m_failing = true; }
    void clear() { m_text.clear(); }

private:
    FileHandle m_handle{};
    std::string m_text;
    int m_writes = 0;
    bool m_failing = false;
};

// The handle counter restarts at "64" with every whole-drawing file.
void reset_handles()
{
    DXFDrawingRec drawing;
    NewDXFDrawing(&drawing);
    ASSERT_EQ(WriteDXFSections("NIL:", &drawing, 0, 0, 0, 0, 0, 0, 0), 0);
}

Groups entity_groups(DXFDrawingRec* drawing, const ItemRec* item, int32_t version)
{
    reset_handles();
    Sink sink;
    WriteDXFEntity(sink.get(), drawing, item, version);
    return sink.groups();
}

std::vector<std::string> entity_names(const Groups& groups)
{
    std::vector<std::string> names;
    for (const Group& group : groups) {
        if (group.code == 0)
            names.push_back(group.value);
    }
    return names;
}

// The groups of one section, SECTION to ENDSEC.
Groups section(const Groups& file, const std::string& name)
{
    for (size_t i = 0; i + 1 < file.size(); ++i) {
        if (file[i] == Group{0, "SECTION"} && file[i + 1] == Group{2, name}) {
            for (size_t end = i; end < file.size(); ++end) {
                if (file[end] == Group{0, "ENDSEC"})
                    return Groups(file.begin() + static_cast<std::ptrdiff_t>(i),
                                  file.begin() + static_cast<std::ptrdiff_t>(end) + 1);
            }
        }
    }
    return {};
}

// Items and tables built for the tests.
ItemRec* make_item(Drawing& drawing, int32_t type, int32_t layer = 0, int32_t colour = 0,
                   int32_t line_type = 0)
{
    return CreateItem(type, 0, layer, colour, line_type, drawing.pool());
}

ItemRec* make_point(Drawing& drawing, Point3DRec at)
{
    ItemRec* item = make_item(drawing, DXFItemPoint);
    item->it_Point.pt_Point = at;
    return item;
}

ItemRec* add_top(Drawing& drawing, ItemRec* item)
{
    EXPECT_EQ(AddItem(drawing.get(), &drawing->dxf_ItemBuffer, item), 1);
    return item;
}

// A block of the members, defined in the drawing; returns the name its INSERTs refer to.
char* add_block(Drawing& drawing, const char* name, std::initializer_list<ItemRec*> members,
                uint32_t block_flags = 0)
{
    ItemBufferRec& items = drawing->dxf_BlockItemBuffer;
    const int32_t index = items.ib_N;
    ItemRec* block = make_item(drawing, DXFItemBlock);
    block->it_Header.ih_Flags = block_flags;
    AddItem(drawing.get(), &items, block);
    for (ItemRec* member : members)
        AddItem(drawing.get(), &items, member);
    AddItem(drawing.get(), &items, make_item(drawing, DXFItemEndBlock));
    EXPECT_EQ(AddBlockIdentifier(&drawing->dxf_BlockIdentifierBuffer, name, index, 0), 1);
    char* stored = nullptr;
    IsBlockKnown(&drawing->dxf_BlockIdentifierBuffer, name, &stored, nullptr);
    return stored;
}

ItemRec* make_insert(Drawing& drawing, const char* name, Point3DRec at)
{
    ItemRec* item = halvern_test::make_insert(drawing.pool(), nullptr, -1);
    IsBlockKnown(&drawing->dxf_BlockIdentifierBuffer, name, &item->it_Insert.in_BlockName,
                 &item->it_Insert.in_BlockIndex);
    item->it_Insert.in_Point = at;
    item->it_Insert.in_RowAngle = kPi / 2;
    item->it_Insert.in_Extrusion = Point3DRec{0.0, 0.0, 1.0};
    return item;
}

void set_line_type(Drawing& drawing, const char* name, const char* description,
                   std::initializer_list<double> segments, uint32_t flags = 0)
{
    LineTypeTableRec& table = drawing->dxf_LineTypeTable;
    const int32_t index = GetLineType(&table, name);
    LineTypeDataRec* entry = table.lt_LineTypes[index];
    entry->ld_Flags = flags;
    if (description != nullptr) {
        entry->ld_Description = static_cast<char*>(AllocVec(static_cast<uint32_t>(std::strlen(description) + 1)));
        std::strcpy(entry->ld_Description, description);
    }
    entry->ld_NSegments = static_cast<int32_t>(segments.size());
    entry->ld_Segments = static_cast<double*>(AllocVec(static_cast<uint32_t>(segments.size() * sizeof(double))));
    std::copy(segments.begin(), segments.end(), entry->ld_Segments);
}

int32_t set_layer(Drawing& drawing, const char* name, uint32_t colour, int32_t line_type,
                  uint32_t flags = 0)
{
    LayerTableRec& table = drawing->dxf_LayerTable;
    const int32_t index = GetLayer(&table, name);
    table.lt_Layers[index]->ld_Colour = colour;
    table.lt_Layers[index]->ld_LineType = line_type;
    table.lt_Layers[index]->ld_Flags = flags;
    return index;
}

// ---------------------------------------------------------------------------------------
// Numbers and groups

TEST(DxfWriterFormat, RealsHaveTenDecimalsWithoutTrailingZeros)
{
    const struct {
        double value;
        const char* text;
    } rows[] = {
        {0.0, "0.0"},
        {-0.0, "0.0"},
        {-0.5, "-0.5"},
        {12.0, "12.0"},
        {2.5, "2.5"},
        {-10.0, "-10.0"},
        {1.0 / 3.0, "0.3333333333"},
        {kPi, "3.1415926536"},
        {2.0 / 3.0, "0.6666666667"},
        {-1e-11, "0.0"},             // nothing left to carry a sign
        {0.00000000015, "0.0000000002"},
        {123456789.125, "123456789.125"},
        {1e20, "100000000000000000000.0"},
        {1.5e250, "1.5E+250"},       // too long for ten decimals
        {-2e300, "-2.0E+300"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        char buffer[DXF_REAL_BUFFER_SIZE];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(DXFFormatReal(buffer, row.value), buffer);
        EXPECT_STREQ(buffer, row.text);
    }
    EXPECT_EQ(DXFFormatReal(nullptr, 1.0), nullptr);
}

TEST(DxfWriterFormat, LongestFixedRealsFitTheBuffer)
{
    // Just below -1e243 the ten-decimal text takes every byte of the buffer; one digit
    // more and it would be cut.
    char buffer[DXF_REAL_BUFFER_SIZE];
    DXFFormatReal(buffer, -9.99e242);
    const std::string text = buffer;
    EXPECT_EQ(text.find('E'), std::string::npos) << text;
    EXPECT_EQ(text.substr(0, 4), "-999");
    EXPECT_EQ(text.find('.'), 244u);
    EXPECT_EQ(text.substr(text.size() - 2), ".0");
    DXFFormatReal(buffer, -1e243);
    EXPECT_STREQ(buffer, "-1.0E+243");
}

TEST(DxfWriterFormat, GroupsAreCodeRightAlignedAndValueWithCrLf)
{
    const std::string long_text(1000, 'w');
    const struct {
        int32_t code;
        const char* value;
        std::string text;
    } rows[] = {
        {0, "SECTION", "  0\r\nSECTION\r\n"},
        {10, "1.5", " 10\r\n1.5\r\n"},
        {100, "AcDbEntity", "100\r\nAcDbEntity\r\n"},
        {1071, "7", "1071\r\n7\r\n"},
        {1, nullptr, "  1\r\n\r\n"},
        {1, long_text.c_str(), "  1\r\n" + long_text + "\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        Sink sink;
        WriteDXFGroup(row.code, sink.get(), row.value);
        EXPECT_EQ(sink.text(), row.text);
    }
    WriteDXFGroup(0, nullptr, "nothing happens");
}

TEST(DxfWriterFormat, HandlesCountUpInUpperCaseHexFromSixtyFour)
{
    reset_handles();
    Sink sink;
    for (int i = 0; i < 12; ++i)
        WriteDXFHandle(sink.get());
    const Groups groups = sink.groups();
    ASSERT_EQ(groups.size(), 12u);
    EXPECT_EQ(groups.front(), (Group{5, "64"}));
    EXPECT_EQ(groups[10], (Group{5, "6E"}));
    EXPECT_EQ(groups[11], (Group{5, "6F"}));
}

// ---------------------------------------------------------------------------------------
// Whole files

TEST(DxfWriterFile, EmptyDrawingMatchesGoldenFiles)
{
    const struct {
        int32_t version;
        const char* file;
    } rows[] = {
        {0, "empty_v0.dxf"},
        {1, "empty_v0.dxf"},
        {2000, "empty_v0.dxf"},
        {2005, "empty_2005.dxf"},
        {2010, "empty_2010.dxf"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        DXFDrawingRec drawing;
        NewDXFDrawing(&drawing);
        TempFile file("empty.dxf");
        ASSERT_EQ(WriteDXFVersion(file.c_str(), &drawing, row.version), 0);
        EXPECT_EQ(file.text(), golden(row.file));
    }
    DXFDrawingRec drawing;
    NewDXFDrawing(&drawing);
    TempFile file("empty.dxf");
    ASSERT_EQ(WriteDXF(file.c_str(), &drawing), 0);
    EXPECT_EQ(file.text(), golden("empty_v0.dxf"));
}

TEST(DxfWriterFile, MinimalDialectHoldsTablesBlocksAndEntities)
{
    Drawing drawing;
    set_line_type(drawing, "DASHED", "Dashed __ __", {0.5, -0.25});
    set_line_type(drawing, "HIDDEN", nullptr, {0.1}, DXFEntryNotWritten);
    const int32_t walls = set_layer(drawing, "WALLS", 1, 1, DXFLayerOff);
    set_layer(drawing, "SKIP", 2, 0, DXFEntryNotWritten);
    set_layer(drawing, "DOORS", 5, 7);  // no such line type
    add_block(drawing, "B", {halvern_test::make_line(drawing.pool(), 0, 0, 1, 0)});
    add_block(drawing, "X", {halvern_test::make_line(drawing.pool(), 5, 5, 6, 6)}, DXFItemExcluded);
    AddBlockIdentifier(&drawing->dxf_BlockIdentifierBuffer, "UNDEFINED", -1, 0);
    add_top(drawing, make_point(drawing, {1, 2, 0}))->it_Header.ih_Layer = walls;
    // A block definition among the entities is no entity.
    add_top(drawing, make_item(drawing, DXFItemBlock));
    add_top(drawing, halvern_test::make_line(drawing.pool(), 9, 9, 9, 9));
    add_top(drawing, make_item(drawing, DXFItemEndBlock));
    add_top(drawing, halvern_test::make_line(drawing.pool(), 8, 8, 8, 8))->it_Header.ih_Flags = DXFItemExcluded;
    add_top(drawing, make_point(drawing, {3, 4, 5}));

    TempFile file("minimal.dxf");
    ASSERT_EQ(WriteDXF(file.c_str(), drawing.get()), 0);
    const Groups expected = {
        {0, "SECTION"}, {2, "TABLES"},
        {0, "TABLE"}, {2, "LTYPE"}, {70, "5"},
        {0, "LTYPE"}, {2, "DASHED"}, {70, "0"}, {3, "Dashed __ __"}, {72, "65"}, {73, "2"},
        {40, "0.75"}, {49, "0.5"}, {49, "-0.25"},
        {0, "ENDTAB"},
        {0, "TABLE"}, {2, "LAYER"}, {70, "6"},
        {0, "LAYER"}, {2, "WALLS"}, {70, "0"}, {62, "1"}, {6, "DASHED"},
        {0, "LAYER"}, {2, "DOORS"}, {70, "0"}, {62, "5"}, {6, "CONTINUOUS"},
        {0, "ENDTAB"},
        {0, "ENDSEC"},
        {0, "SECTION"}, {2, "BLOCKS"},
        {0, "BLOCK"}, {2, "B"}, {70, "0"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"},
        {0, "LINE"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {11, "1.0"}, {21, "0.0"}, {31, "0.0"},
        {0, "ENDBLK"},
        {0, "ENDSEC"},
        {0, "SECTION"}, {2, "ENTITIES"},
        {0, "POINT"}, {8, "WALLS"}, {10, "1.0"}, {20, "2.0"}, {30, "0.0"},
        {0, "POINT"}, {10, "3.0"}, {20, "4.0"}, {30, "5.0"},
        {0, "ENDSEC"},
        {0, "EOF"},
    };
    EXPECT_EQ(parse(file.text()), expected);
}

TEST(DxfWriterFile, SectionFlagsSelectSections)
{
    Drawing drawing;
    add_top(drawing, make_point(drawing, {1, 1, 1}));
    const struct {
        int32_t version;
        int flags[6];
        std::vector<std::string> sections;
    } rows[] = {
        {0, {1, 1, 1, 1, 1, 1}, {"TABLES", "BLOCKS", "ENTITIES"}},
        {0, {0, 0, 0, 0, 1, 0}, {"ENTITIES"}},
        {0, {1, 1, 0, 0, 0, 1}, {}},  // no HEADER, CLASSES or OBJECTS in version 0
        {2010, {1, 1, 1, 1, 1, 1}, {"HEADER", "CLASSES", "TABLES", "BLOCKS", "ENTITIES", "OBJECTS"}},
        {2005, {1, 0, 0, 0, 1, 1}, {"HEADER", "ENTITIES", "OBJECTS"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        TempFile file("sections.dxf");
        const int* f = row.flags;
        ASSERT_EQ(WriteDXFSections(file.c_str(), drawing.get(), row.version, f[0], f[1], f[2], f[3],
                                   f[4], f[5]),
                  0);
        const Groups groups = parse(file.text());
        std::vector<std::string> sections;
        for (size_t i = 0; i + 1 < groups.size(); ++i) {
            if (groups[i] == Group{0, "SECTION"})
                sections.push_back(groups[i + 1].value);
        }
        EXPECT_EQ(sections, row.sections);
        ASSERT_FALSE(groups.empty());
        EXPECT_EQ(groups.back(), (Group{0, "EOF"}));
    }
}

TEST(DxfWriterFile, FullDialectTablesAndBlocks)
{
    Drawing drawing;
    set_line_type(drawing, "DASHED", nullptr, {0.5, -0.25});
    set_layer(drawing, "WALLS", 3, 1);
    add_block(drawing, "B", {halvern_test::make_line(drawing.pool(), 0, 0, 1, 0)});
    add_block(drawing, "C", {make_point(drawing, {2, 2, 0})});
    add_top(drawing, make_point(drawing, {1, 2, 0}));

    TempFile file("full.dxf");
    ASSERT_EQ(WriteDXFVersion(file.c_str(), drawing.get(), 2010), 0);
    const Groups groups = parse(file.text());

    // $HANDSEED: 6 block items + 2 x 2 blocks + 1 item + 2 layers + 2 line types + 209.
    const auto seed = std::find(groups.begin(), groups.end(), Group{9, "$HANDSEED"});
    ASSERT_NE(seed, groups.end());
    EXPECT_EQ(seed[1], (Group{5, "E0"}));

    const Groups tables = section(groups, "TABLES");
    const Groups line_type = {
        {0, "LTYPE"}, {5, "67"}, {330, "5"}, {100, "AcDbSymbolTableRecord"},
        {100, "AcDbLinetypeTableRecord"}, {2, "DASHED"}, {70, "0"}, {72, "65"}, {73, "2"},
        {40, "0.75"}, {49, "0.5"}, {74, "0"}, {49, "-0.25"}, {74, "0"}, {0, "ENDTAB"},
    };
    EXPECT_NE(std::search(tables.begin(), tables.end(), line_type.begin(), line_type.end()), tables.end());
    const Groups layers = {
        {0, "TABLE"}, {2, "LAYER"}, {5, "2"}, {330, "0"}, {100, "AcDbSymbolTable"}, {70, "4"},
        {0, "LAYER"}, {5, "68"}, {330, "2"}, {100, "AcDbSymbolTableRecord"}, {100, "AcDbLayerTableRecord"},
        {2, "0"}, {70, "0"}, {62, "6"}, {6, "CONTINUOUS"}, {370, "-3"}, {390, "F"},
        {0, "LAYER"}, {5, "69"}, {330, "2"}, {100, "AcDbSymbolTableRecord"}, {100, "AcDbLayerTableRecord"},
        {2, "WALLS"}, {70, "0"}, {62, "3"}, {6, "DASHED"}, {370, "-3"}, {390, "F"},
        {0, "ENDTAB"},
    };
    EXPECT_NE(std::search(tables.begin(), tables.end(), layers.begin(), layers.end()), tables.end());

    // After STYLE (6A) and APPID (6B) come the four handles of the fixed blocks.
    const Groups blocks = section(groups, "BLOCKS");
    const Groups block_b = {
        {0, "BLOCK"}, {5, "70"}, {330, "1D"}, {100, "AcDbEntity"}, {67, "1"}, {8, "0"},
        {100, "AcDbBlockBegin"}, {2, "B"}, {70, "0"}, {71, "0"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"},
        {3, "B"}, {1, ""},
        {0, "LINE"}, {5, "71"}, {330, "1D"}, {100, "AcDbEntity"}, {100, "AcDbLine"}, {10, "0.0"},
        {20, "0.0"}, {30, "0.0"}, {11, "1.0"}, {21, "0.0"}, {31, "0.0"},
        {0, "ENDBLK"}, {5, "72"}, {330, "1D"}, {100, "AcDbEntity"}, {67, "1"}, {8, "0"},
        {100, "AcDbBlockEnd"},
        {0, "BLOCK"},
    };
    EXPECT_NE(std::search(blocks.begin(), blocks.end(), block_b.begin(), block_b.end()), blocks.end());
    // Every entity has a name: no group 0 with an empty value after a block.
    for (const Group& group : groups) {
        if (group.code == 0) {
            EXPECT_FALSE(group.value.empty());
        }
    }
    EXPECT_EQ(entity_names(blocks), (std::vector<std::string>{"SECTION", "BLOCK", "ENDBLK", "BLOCK",
                                                              "ENDBLK", "BLOCK", "LINE", "ENDBLK",
                                                              "BLOCK", "POINT", "ENDBLK", "ENDSEC"}));
}

// $HANDSEED lies above every handle of the file: VERTEX records and the items of an
// INSERT written as its placed items take handles beyond one an item.
TEST(DxfWriterFile, HandSeedLiesAboveEveryHandle)
{
    Drawing drawing;
    add_block(drawing, "RING", {halvern_test::make_line(drawing.pool(), 0, 0, 1, 0),
                                halvern_test::make_polyline(drawing.pool(), {{{0, 0, 0}, 0.0, 0},
                                                                             {{1, 1, 0}, 0.5, 0},
                                                                             {{2, 0, 0}, 0.0, 0}})});
    std::vector<VertexRec> vertices;
    for (int i = 0; i < 300; ++i)
        vertices.push_back(halvern_test::vertex(i, i % 7));
    add_top(drawing, halvern_test::make_polyline(drawing.pool(), vertices));
    ItemRec* circular = add_top(drawing, make_insert(drawing, "RING", {0, 0, 0}));
    InsertRec& array = circular->it_Insert;
    array.in_ArrayKind = 2;
    array.in_CircCentre = Point3DRec{0, 0, 0};
    array.in_CircFirst = Point3DRec{10, 0, 0};
    array.in_CircRadius = 10;
    array.in_CircStep = kPi / 20;
    array.in_CircCount = 40;

    TempFile file("seed.dxf");
    ASSERT_EQ(WriteDXFVersion(file.c_str(), drawing.get(), 2005), 0);
    const Groups groups = parse(file.text());
    const auto seed = std::find(groups.begin(), groups.end(), Group{9, "$HANDSEED"});
    ASSERT_NE(seed, groups.end());
    const unsigned long seed_value = std::stoul(seed[1].value, nullptr, 16);
    unsigned long highest = 0;
    size_t handles = 0;
    for (auto group = seed + 2; group != groups.end(); ++group) {
        if (group->code == 5) {
            highest = std::max(highest, std::stoul(group->value, nullptr, 16));
            ++handles;
        }
    }
    EXPECT_GT(handles, 300u + 40u * 3u);
    EXPECT_GT(seed_value, highest);
}

TEST(DxfWriterFile, Version2010AddsLayerZeroOnlyWhenMissing)
{
    const struct {
        int32_t version;
        const char* layer;
        uint32_t flags;
        bool added;
    } rows[] = {
        {2010, "WALLS", 0, true},
        {2010, "0", 0, false},
        {2010, "0", DXFEntryNotWritten, true},  // a layer "0" that is not written
        {2005, "WALLS", 0, false},
        {0, "WALLS", 0, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.version) + " " + row.layer);
        Drawing drawing;
        set_layer(drawing, row.layer, 1, 0, row.flags);
        TempFile file("zero.dxf");
        ASSERT_EQ(WriteDXFVersion(file.c_str(), drawing.get(), row.version), 0);
        const Groups tables = section(parse(file.text()), "TABLES");
        const bool added = std::find(tables.begin(), tables.end(), Group{62, "6"}) != tables.end();
        EXPECT_EQ(added, row.added);
    }
}

// ---------------------------------------------------------------------------------------
// Entities

TEST(DxfWriterEntity, EveryTypeWritesItsGroups)
{
    Drawing drawing;
    LineTypeTableRec& line_types = drawing->dxf_LineTypeTable;
    const int32_t dashed = GetLineType(&line_types, "DASHED");
    const int32_t walls = set_layer(drawing, "WALLS", 1, 0);
    Pool* pool = drawing.pool();

    ItemRec* point = make_point(drawing, {1, 2, 3});
    ItemRec* line = halvern_test::make_line(pool, 1, 2, 3, 4);
    line->it_Header.ih_Layer = walls;
    line->it_Header.ih_LineType = dashed;
    line->it_Header.ih_Colour = 3;
    line->it_Header.ih_Height = 0.5;
    ItemRec* thin = halvern_test::make_line(pool, 0, 0, 1, 1);
    thin->it_Header.ih_Height = 1e-7;       // within the tolerance: no thickness
    thin->it_Header.ih_Layer = 99;          // no such layer
    thin->it_Header.ih_LineType = -1;
    thin->it_Header.ih_Colour = -2;
    ItemRec* circle = halvern_test::make_arc(pool, {1, 1, 0}, 2, 0, 2 * kPi, 1);
    ItemRec* arc = halvern_test::make_arc(pool, {0, 0, 0}, 1, 0, kPi / 2, 1);
    ItemRec* clockwise = halvern_test::make_arc(pool, {0, 0, 0}, 1, 0, kPi / 2, -1);
    ItemRec* almost = halvern_test::make_arc(pool, {0, 0, 0}, 1, 0, 359.9999 * kPi / 180, 1);
    ItemRec* text = halvern_test::make_text(pool, "Hello");
    text->it_Text.tx_Point = {1, 2, 0};
    text->it_Text.tx_Point2 = {5, 2, 0};
    text->it_Text.tx_Height = 2.5;
    text->it_Text.tx_Rotation = kPi / 2;
    text->it_Text.tx_Oblique = kPi / 12;
    text->it_Text.tx_Flags = DXFTextBackward | DXFTextUpsideDown | DXFTextRight | DXFTextTop;
    ItemRec* aligned = halvern_test::make_text(pool, "");
    aligned->it_Text.tx_Flags = DXFTextCentre | DXFTextFit | DXFTextBottom | DXFTextMiddle;
    ItemRec* closed = halvern_test::make_polyline(
        pool, {vertex(0, 0, 0.5), vertex(1, 0), vertex(1, 1), vertex(0, 0)});
    closed->it_Polyline.pl_Flags = 1;
    closed->it_Header.ih_Layer = walls;
    closed->it_Header.ih_Colour = 2;
    ItemRec* open = halvern_test::make_polyline(
        pool, {vertex(0, 0), vertex(1, 0), vertex(1, 1), vertex(0, 0)});
    ItemRec* empty = halvern_test::make_polyline(pool, {});
    ItemRec* ellipse = make_item(drawing, DXFItemEllipse);
    ellipse->it_Ellipse = EllipseRec{{1, 1, 0}, {2, 0, 0}, 0.5, 0, kPi, 0, 1};
    ItemRec* backwards = make_item(drawing, DXFItemEllipse);
    backwards->it_Ellipse = EllipseRec{{0, 0, 0}, {0, 3, 0}, 0.25, 1, 2, kPi / 2, -1};
    ItemRec* spline = halvern_test::make_spline(pool, {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}},
                                                {0, 0, 0, 1, 1, 1}, {1, 1, 1});
    spline->it_Spline.sp_Degree = 2;
    spline->it_Spline.sp_StartTangent = {1, 0, 0};
    ItemRec* rational = halvern_test::make_spline(pool, {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}},
                                                  {0, 0, 0, 1, 1, 1}, {1, 2, 1});
    rational->it_Spline.sp_Degree = 2;
    // Fit points carry no knots (the one made here is not counted).
    ItemRec* fitted = halvern_test::make_spline(pool, {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}}, {0}, {1, 1, 1});
    fitted->it_Spline.sp_Flags = DXFSplineFitPoints;
    fitted->it_Spline.sp_NumKnots = 0;
    ItemRec* face = make_item(drawing, DXFItem3DFace);
    face->it_Face.fc_Corners[1] = {1, 0, 0};
    face->it_Face.fc_Corners[2] = {1, 1, 0};
    face->it_Face.fc_Corners[3] = {0, 1, 1};
    ItemRec* ray = make_item(drawing, DXFItemRay);
    ray->it_Ray = RayRec{{1, 2, 0}, {0, 1, 0}};
    ItemRec* xline = make_item(drawing, DXFItemXLine);
    xline->it_Ray = RayRec{{1, 2, 0}, {1, 0, 0}};
    ItemRec* excluded = make_point(drawing, {0, 0, 0});
    excluded->it_Header.ih_Flags = DXFItemExcluded;

    const struct {
        const char* name;
        const ItemRec* item;
        int32_t version;
        Groups groups;
    } rows[] = {
        {"point", point, 0, {{0, "POINT"}, {10, "1.0"}, {20, "2.0"}, {30, "3.0"}}},
        {"line with layer, line type, colour and thickness", line, 0,
         {{0, "LINE"}, {8, "WALLS"}, {6, "DASHED"}, {62, "3"}, {39, "0.5"}, {10, "1.0"}, {20, "2.0"},
          {30, "0.0"}, {11, "3.0"}, {21, "4.0"}, {31, "0.0"}}},
        {"line 2010", line, 2010,
         {{0, "LINE"}, {5, "64"}, {330, "1D"}, {100, "AcDbEntity"}, {8, "WALLS"}, {100, "AcDbLine"},
          {6, "DASHED"}, {62, "3"}, {39, "0.5"}, {10, "1.0"}, {20, "2.0"}, {30, "0.0"}, {11, "3.0"},
          {21, "4.0"}, {31, "0.0"}}},
        {"line without valid layer, line type or colour", thin, 0,
         {{0, "LINE"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {11, "1.0"}, {21, "1.0"}, {31, "0.0"}}},
        {"circle", circle, 0, {{0, "CIRCLE"}, {10, "1.0"}, {20, "1.0"}, {30, "0.0"}, {40, "2.0"}}},
        {"circle 2005", circle, 2005,
         {{0, "CIRCLE"}, {5, "64"}, {330, "1D"}, {100, "AcDbEntity"}, {100, "AcDbCircle"}, {10, "1.0"},
          {20, "1.0"}, {30, "0.0"}, {40, "2.0"}}},
        {"arc", arc, 0,
         {{0, "ARC"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {40, "1.0"}, {50, "0.0"}, {51, "90.0"}}},
        {"arc 2010", arc, 2010,
         {{0, "ARC"}, {5, "64"}, {330, "1D"}, {100, "AcDbEntity"}, {100, "AcDbCircle"}, {10, "0.0"},
          {20, "0.0"}, {30, "0.0"}, {40, "1.0"}, {100, "AcDbArc"}, {50, "0.0"}, {51, "90.0"}}},
        {"clockwise arc", clockwise, 0,
         {{0, "ARC"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {40, "1.0"}, {50, "90.0"}, {51, "0.0"}}},
        {"arc just short of a circle", almost, 0,
         {{0, "ARC"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {40, "1.0"}, {50, "0.0"}, {51, "359.9999"}}},
        {"text", text, 0,
         {{0, "TEXT"}, {10, "1.0"}, {20, "2.0"}, {30, "0.0"}, {11, "5.0"}, {21, "2.0"}, {31, "0.0"},
          {40, "2.5"}, {50, "90.0"}, {51, "15.0"}, {1, "Hello"}, {71, "6"}, {72, "2"}, {73, "3"}}},
        {"text alignments by precedence", aligned, 0,
         {{0, "TEXT"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {11, "0.0"}, {21, "0.0"}, {31, "0.0"},
          {40, "0.0"}, {50, "0.0"}, {51, "0.0"}, {1, ""}, {71, "0"}, {72, "1"}, {73, "1"}}},
        {"closed polyline", closed, 0,
         {{0, "POLYLINE"}, {8, "WALLS"}, {62, "2"}, {70, "1"}, {66, "1"},
          {0, "VERTEX"}, {8, "WALLS"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {42, "0.5"},
          {0, "VERTEX"}, {8, "WALLS"}, {10, "1.0"}, {20, "0.0"}, {30, "0.0"}, {42, "0.0"},
          {0, "VERTEX"}, {8, "WALLS"}, {10, "1.0"}, {20, "1.0"}, {30, "0.0"}, {42, "0.0"},
          {0, "SEQEND"}}},
        {"closed polyline 2010", closed, 2010,
         {{0, "POLYLINE"}, {5, "64"}, {330, "1D"}, {100, "AcDbEntity"}, {8, "WALLS"},
          {100, "AcDb2dPolyline"}, {62, "2"}, {70, "1"}, {66, "1"},
          {0, "VERTEX"}, {5, "65"}, {330, "1D"}, {100, "AcDbEntity"}, {8, "WALLS"}, {100, "AcDbVertex"},
          {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {42, "0.5"},
          {0, "VERTEX"}, {5, "66"}, {330, "1D"}, {100, "AcDbEntity"}, {8, "WALLS"}, {100, "AcDbVertex"},
          {10, "1.0"}, {20, "0.0"}, {30, "0.0"}, {42, "0.0"},
          {0, "VERTEX"}, {5, "67"}, {330, "1D"}, {100, "AcDbEntity"}, {8, "WALLS"}, {100, "AcDbVertex"},
          {10, "1.0"}, {20, "1.0"}, {30, "0.0"}, {42, "0.0"},
          {0, "SEQEND"}}},
        {"ellipse", ellipse, 0,
         {{0, "ELLIPSE"}, {10, "1.0"}, {20, "1.0"}, {30, "0.0"}, {11, "2.0"}, {21, "0.0"}, {31, "0.0"},
          {40, "0.5"}, {41, "0.0"}, {42, "3.1415926536"}}},
        {"clockwise ellipse", backwards, 0,
         {{0, "ELLIPSE"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {11, "0.0"}, {21, "3.0"}, {31, "0.0"},
          {40, "0.25"}, {41, "2.0"}, {42, "1.0"}}},
        {"spline with unit weights", spline, 0,
         {{0, "SPLINE"}, {71, "2"}, {12, "1.0"}, {22, "0.0"}, {32, "0.0"}, {13, "0.0"}, {23, "0.0"},
          {33, "0.0"}, {72, "6"}, {40, "0.0"}, {40, "0.0"}, {40, "0.0"}, {40, "1.0"}, {40, "1.0"},
          {40, "1.0"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {10, "1.0"}, {20, "1.0"}, {30, "0.0"},
          {10, "2.0"}, {20, "0.0"}, {30, "0.0"}}},
        {"rational spline", rational, 0,
         {{0, "SPLINE"}, {71, "2"}, {12, "0.0"}, {22, "0.0"}, {32, "0.0"}, {13, "0.0"}, {23, "0.0"},
          {33, "0.0"}, {72, "6"}, {40, "0.0"}, {40, "0.0"}, {40, "0.0"}, {40, "1.0"}, {40, "1.0"},
          {40, "1.0"}, {41, "1.0"}, {41, "2.0"}, {41, "1.0"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"},
          {10, "1.0"}, {20, "1.0"}, {30, "0.0"}, {10, "2.0"}, {20, "0.0"}, {30, "0.0"}}},
        // Fit points go out as fit points with their count, not as control points.
        {"fit-point spline", fitted, 0,
         {{0, "SPLINE"}, {71, "3"}, {12, "0.0"}, {22, "0.0"}, {32, "0.0"}, {13, "0.0"}, {23, "0.0"},
          {33, "0.0"}, {72, "0"}, {74, "3"}, {11, "0.0"}, {21, "0.0"}, {31, "0.0"}, {11, "1.0"},
          {21, "1.0"}, {31, "0.0"}, {11, "2.0"}, {21, "0.0"}, {31, "0.0"}}},
        {"3dface", face, 0,
         {{0, "3DFACE"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {11, "1.0"}, {21, "0.0"}, {31, "0.0"},
          {12, "1.0"}, {22, "1.0"}, {32, "0.0"}, {13, "0.0"}, {23, "1.0"}, {33, "1.0"}}},
        {"ray 2010", ray, 2010,
         {{0, "RAY"}, {5, "64"}, {330, "1D"}, {100, "AcDbEntity"}, {100, "AcDbRay"}, {10, "1.0"},
          {20, "2.0"}, {30, "0.0"}, {11, "0.0"}, {21, "1.0"}, {31, "0.0"}}},
        {"xline", xline, 0,
         {{0, "XLINE"}, {10, "1.0"}, {20, "2.0"}, {30, "0.0"}, {11, "1.0"}, {21, "0.0"}, {31, "0.0"}}},
        {"polyline without vertices", empty, 2010, {}},
        {"excluded item", excluded, 0, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(entity_groups(drawing.get(), row.item, row.version), row.groups);
    }
    // An open polyline writes every vertex.
    const Groups groups = entity_groups(drawing.get(), open, 0);
    EXPECT_EQ(std::count(groups.begin(), groups.end(), Group{0, "VERTEX"}), 4);
    EXPECT_EQ(groups[1], (Group{70, "0"}));
}

TEST(DxfWriterEntity, TypesWithoutDxfFormWriteNothing)
{
    Drawing drawing;
    const int32_t types[] = {DXFItemBlock, DXFItemEndBlock, DXFItemSolid3D, DXFItemAttDef,
                             DXFItemDimension, DXFItemMText, DXFItemRegion, DXFItemSolid,
                             DXFItemViewport, DXFItemComposite};
    for (const int32_t type : types) {
        SCOPED_TRACE(type);
        EXPECT_TRUE(entity_groups(drawing.get(), make_item(drawing, type), 2010).empty());
    }
    Sink sink;
    WriteDXFEntity(sink.get(), drawing.get(), nullptr, 0);
    WriteDXFEntity(nullptr, drawing.get(), make_point(drawing, {0, 0, 0}), 0);
    EXPECT_EQ(sink.writes(), 0);
}

TEST(DxfWriterEntity, PlainInsertIsOneEntity)
{
    Drawing drawing;
    add_block(drawing, "TEN", {});
    // Ten members between BLOCK and ENDBLK.
    ItemBufferRec& items = drawing->dxf_BlockItemBuffer;
    ItemRec* end = RemoveItem(&items, items.ib_N - 1);
    for (int i = 0; i < 10; ++i)
        AddItem(drawing.get(), &items, halvern_test::make_line(drawing.pool(), i, 0, i, 1));
    AddItem(drawing.get(), &items, end);
    const int32_t dashed = GetLineType(&drawing->dxf_LineTypeTable, "DASHED");
    const int32_t walls = set_layer(drawing, "WALLS", 1, 0);

    ItemRec* insert = make_insert(drawing, "TEN", {1, 2, 3});
    insert->it_Header.ih_Layer = walls;
    insert->it_Header.ih_LineType = dashed;
    insert->it_Header.ih_Colour = 4;
    insert->it_Header.ih_Height = 2;  // an INSERT has no thickness
    InsertRec& placement = insert->it_Insert;
    placement.in_Rotation = kPi / 6;
    placement.in_Scale = {2, 3, 1};
    EXPECT_EQ(entity_groups(drawing.get(), insert, 0),
              (Groups{{0, "INSERT"}, {8, "WALLS"}, {6, "DASHED"}, {2, "TEN"}, {62, "4"}, {10, "1.0"},
                      {20, "2.0"}, {30, "3.0"}, {50, "30.0"}, {70, "1"}, {71, "1"}, {44, "0.0"},
                      {45, "0.0"}, {41, "2.0"}, {42, "3.0"}, {43, "1.0"}}));
    EXPECT_EQ(entity_groups(drawing.get(), insert, 2010)[5], (Group{100, "AcDbBlockReference"}));

    // A mirrored insertion keeps its extrusion.
    placement.in_Extrusion = {0, 0, -1};
    const Groups mirrored = entity_groups(drawing.get(), insert, 0);
    const Groups extrusion = {{210, "0.0"}, {220, "0.0"}, {230, "-1.0"}};
    ASSERT_GE(mirrored.size(), 3u);
    EXPECT_EQ(Groups(mirrored.end() - 3, mirrored.end()), extrusion);
}

TEST(DxfWriterEntity, InsertsThatDxfCannotHoldAreExploded)
{
    Drawing drawing;
    add_block(drawing, "B", {halvern_test::make_line(drawing.pool(), 0, 0, 1, 0)});
    const auto circular = [&] {
        ItemRec* insert = make_insert(drawing, "B", {});
        InsertRec& array = insert->it_Insert;
        array.in_ArrayKind = 2;
        array.in_CircCentre = {0, 0, 0};
        array.in_CircFirst = {10, 0, 0};
        array.in_CircRadius = 10;
        array.in_CircStep = kPi / 2;
        array.in_CircCount = 3;
        array.in_CircRotation = 0;
        return insert;
    };
    const auto rectangular = [&](double rotation, double column_angle, int32_t rows, int32_t columns) {
        ItemRec* insert = make_insert(drawing, "B", {});
        InsertRec& array = insert->it_Insert;
        array.in_Rotation = rotation;
        array.in_ColumnAngle = column_angle;
        array.in_RowAngle = column_angle + kPi / 2;
        array.in_Rows = rows;
        array.in_Columns = columns;
        array.in_RowSpacing = 5;
        array.in_ColumnSpacing = 5;
        return insert;
    };
    const auto turned_row_axis = [&] {
        ItemRec* insert = make_insert(drawing, "B", {});
        insert->it_Insert.in_RowAngle = kPi / 3;
        return insert;
    };
    const struct {
        const char* name;
        ItemRec* insert;
        std::vector<std::string> entities;
    } rows[] = {
        {"circular array", circular(), {"LINE", "LINE", "LINE"}},
        {"turned row axis", turned_row_axis(), {"LINE"}},
        {"array along the world axes", rectangular(0, 0, 2, 2), {"INSERT"}},
        // DXF steps an array along its rotated axes; one that steps along the world
        // axes while its block is turned can only be written as its items.
        {"turned block, array along the world axes", rectangular(kPi / 6, 0, 2, 2),
         {"LINE", "LINE", "LINE", "LINE"}},
        {"turned block, array along its own axes", rectangular(kPi / 6, kPi / 6, 2, 2), {"INSERT"}},
        {"turned block, array axes a whole turn off", rectangular(kPi / 6, kPi / 6 - 2 * kPi, 2, 3),
         {"INSERT"}},
        {"turned single placement", rectangular(kPi / 6, 0, 1, 1), {"INSERT"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(entity_names(entity_groups(drawing.get(), row.insert, 0)), row.entities);
    }

    // The exploded items are placed: the circular array's cells lie a quarter turn apart.
    const Groups groups = entity_groups(drawing.get(), circular(), 2010);
    const Groups second = {{0, "LINE"}, {5, "65"}, {330, "1D"}, {100, "AcDbEntity"}, {100, "AcDbLine"},
                           {10, "0.0"}, {20, "10.0"}, {30, "0.0"}, {11, "0.0"}, {21, "11.0"}, {31, "0.0"}};
    EXPECT_NE(std::search(groups.begin(), groups.end(), second.begin(), second.end()), groups.end())
        << ::testing::PrintToString(groups);
}

// ---------------------------------------------------------------------------------------
// Block files and item files

TEST(DxfWriterBlock, BlockFileHoldsTheBlockAndOneInsert)
{
    Drawing drawing;
    add_block(drawing, "Other", {make_point(drawing, {9, 9, 9})});
    add_block(drawing, "Part", {halvern_test::make_line(drawing.pool(), 0, 0, 1, 0)}, DXFItemExcluded);
    add_top(drawing, make_point(drawing, {5, 5, 5}));

    TempFile file("block.dxf");
    const Point3DRec at{1, 2, 0};
    const Point3DRec scale{2, 2, 1};
    ASSERT_EQ(WriteDXFBlock(file.c_str(), drawing.get(), "PART", &at, &scale, kPi / 2), 0);
    const Groups expected = {
        {0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LTYPE"}, {70, "2"}, {0, "ENDTAB"},
        {0, "TABLE"}, {2, "LAYER"}, {70, "2"}, {0, "ENDTAB"}, {0, "ENDSEC"},
        {0, "SECTION"}, {2, "BLOCKS"},
        {0, "BLOCK"}, {2, "Part"}, {70, "0"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"},
        {0, "LINE"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {11, "1.0"}, {21, "0.0"}, {31, "0.0"},
        {0, "ENDBLK"}, {0, "ENDSEC"},
        {0, "SECTION"}, {2, "ENTITIES"},
        {0, "INSERT"}, {2, "Part"}, {10, "1.0"}, {20, "2.0"}, {30, "0.0"}, {50, "90.0"}, {70, "1"},
        {71, "1"}, {44, "0.0"}, {45, "0.0"}, {41, "2.0"}, {42, "2.0"}, {43, "1.0"},
        {0, "ENDSEC"},
        {0, "EOF"},
    };
    EXPECT_EQ(parse(file.text()), expected);

    // Without point and scale: the origin and unit scales.
    ASSERT_EQ(WriteDXFBlock(file.c_str(), drawing.get(), "other", nullptr, nullptr, 0), 0);
    const Groups entities = section(parse(file.text()), "ENTITIES");
    const Groups insert = {{0, "INSERT"}, {2, "Other"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"},
                           {50, "0.0"}, {70, "1"}, {71, "1"}, {44, "0.0"}, {45, "0.0"},
                           {41, "1.0"}, {42, "1.0"}, {43, "1.0"}};
    EXPECT_NE(std::search(entities.begin(), entities.end(), insert.begin(), insert.end()), entities.end());
}

TEST(DxfWriterBlock, BlockFileContinuesTheHandleCounter)
{
    Drawing drawing;
    add_block(drawing, "Part", {halvern_test::make_line(drawing.pool(), 0, 0, 1, 0)});
    reset_handles();
    Sink sink;
    for (int i = 0; i < 3; ++i)
        WriteDXFHandle(sink.get());
    TempFile file("block.dxf");
    ASSERT_EQ(WriteDXFBlockVersion(file.c_str(), drawing.get(), "Part", nullptr, nullptr, 0, 2010), 0);
    const Groups groups = parse(file.text());
    const Groups vport = section(groups, "TABLES");
    const auto first = std::find(vport.begin(), vport.end(), Group{0, "VPORT"});
    ASSERT_NE(first, vport.end());
    EXPECT_EQ(first[1], (Group{5, "67"}));
    // The block file's own BLOCKS section has no handles and no fixed blocks; its
    // members do.
    const Groups blocks = section(groups, "BLOCKS");
    EXPECT_EQ(entity_names(blocks), (std::vector<std::string>{"SECTION", "BLOCK", "LINE", "ENDBLK", "ENDSEC"}));
    ASSERT_GE(blocks.size(), 10u);
    EXPECT_EQ(blocks[8], (Group{0, "LINE"}));
    EXPECT_EQ(blocks[9].code, 5);
    EXPECT_FALSE(section(groups, "OBJECTS").empty());
}

TEST(DxfWriterBlock, UnknownNameOrMissingArgumentsWriteNoFile)
{
    Drawing drawing;
    add_block(drawing, "Part", {make_point(drawing, {0, 0, 0})});
    TempFile file("block.dxf");
    const struct {
        const char* name;
        const char* path;
        DXFDrawingRec* drawing;
        const char* block;
        int32_t result;
    } rows[] = {
        {"unknown block", file.c_str(), drawing.get(), "Nothing", 0},
        {"NULL drawing", file.c_str(), nullptr, "Part", IoErrRequiredArgMissing},
        {"NULL path", nullptr, drawing.get(), "Part", IoErrRequiredArgMissing},
        {"empty path", "", drawing.get(), "Part", IoErrRequiredArgMissing},
        {"NULL name", file.c_str(), drawing.get(), nullptr, IoErrRequiredArgMissing},
        {"empty name", file.c_str(), drawing.get(), "", IoErrRequiredArgMissing},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(WriteDXFBlock(row.path, row.drawing, row.block, nullptr, nullptr, 0), row.result);
        EXPECT_FALSE(file.exists());
    }
}

TEST(DxfWriterItem, ItemFileHoldsOneEntityWithoutTables)
{
    Drawing drawing;
    const int32_t walls = set_layer(drawing, "WALLS", 1, 0);
    ItemRec* line = halvern_test::make_line(drawing.pool(), 1, 2, 3, 4);
    line->it_Header.ih_Layer = walls;
    line->it_Header.ih_Colour = 7;
    TempFile file("item.dxf");
    ASSERT_EQ(WriteDXFItem(file.c_str(), line), 0);
    EXPECT_EQ(file.text(),
              "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n 62\r\n7\r\n 10\r\n1.0\r\n"
              " 20\r\n2.0\r\n 30\r\n0.0\r\n 11\r\n3.0\r\n 21\r\n4.0\r\n 31\r\n0.0\r\n"
              "  0\r\nENDSEC\r\n  0\r\nEOF\r\n");
    EXPECT_EQ(line->it_Header.ih_Layer, walls);

    EXPECT_EQ(WriteDXFItem(nullptr, line), IoErrRequiredArgMissing);
    EXPECT_EQ(WriteDXFItem(file.c_str(), nullptr), IoErrRequiredArgMissing);
}

// ---------------------------------------------------------------------------------------
// Failures

TEST(DxfWriterErrors, MissingArgumentsAndUnopenablePaths)
{
    Drawing drawing;
    add_block(drawing, "Part", {make_point(drawing, {0, 0, 0})});
    const test_support::TempFolder folder;
    const fs::path missing = fs::path(folder.path()) / "no such folder" / "x.dxf";
    EXPECT_EQ(WriteDXF(nullptr, drawing.get()), IoErrRequiredArgMissing);
    EXPECT_EQ(WriteDXF(missing.c_str(), nullptr), IoErrRequiredArgMissing);
    EXPECT_EQ(WriteDXF(missing.c_str(), drawing.get()), IoErrObjectNotFound);
    EXPECT_EQ(WriteDXFVersion(missing.c_str(), drawing.get(), 2010), IoErrObjectNotFound);
    EXPECT_EQ(WriteDXFBlock(missing.c_str(), drawing.get(), "Part", nullptr, nullptr, 0), IoErrObjectNotFound);
    EXPECT_EQ(WriteDXFItem(missing.c_str(), make_point(drawing, {0, 0, 0})), IoErrObjectNotFound);
    EXPECT_FALSE(fs::exists(missing.parent_path()));
}

TEST(DxfWriterErrors, FailedWritesStopAndStayOnTheHandle)
{
    Drawing drawing;
    ItemRec* polyline = halvern_test::make_polyline(drawing.pool(), {vertex(0, 0), vertex(1, 1), vertex(2, 0)});
    Sink sink;
    sink.fail();
    WriteDXFEntity(sink.get(), drawing.get(), polyline, 2010);
    EXPECT_NE(sink.get()->fh_Flags & FileFlagError, 0u);
    // The first byte failed; nothing more was tried.
    EXPECT_EQ(sink.writes(), 1);
    WriteDXFGroup(0, sink.get(), "EOF");
    WriteDXFHandle(sink.get());
    EXPECT_EQ(sink.writes(), 1);
}

TEST(DxfWriterErrors, DeviceThatFailsGivesBadIoAndStays)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    Drawing drawing;
    add_top(drawing, make_point(drawing, {1, 2, 3}));
    EXPECT_EQ(WriteDXFVersion("/dev/full", drawing.get(), 2010), IoErrBadIO);
    EXPECT_EQ(WriteDXFItem("/dev/full", make_point(drawing, {0, 0, 0})), IoErrBadIO);
    // A device is no partial file: it is not removed.
    EXPECT_TRUE(fs::exists("/dev/full"));
}

using test_support::run_in_child;

TEST(DxfWriterErrors, FileThatCannotBeCompletedIsRemoved)
{
    TempFile file("full-disk.dxf");
    const std::string path = file.c_str();
    // A file-size limit makes the writes past it fail as a full disk would. The limit
    // holds for the child process only.
    const int code = run_in_child([&path] {
        struct rlimit limit {};
        limit.rlim_cur = 2048;
        limit.rlim_max = 2048;
        std::signal(SIGXFSZ, SIG_IGN);
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 10;
        DXFDrawingRec drawing;
        NewDXFDrawing(&drawing);
        const int32_t result = WriteDXFVersion(path.c_str(), &drawing, 2010);
        if (result != IoErrBadIO)
            return 11;
        return fs::exists(path) ? 12 : 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(file.exists());
}

TEST(DxfWriterErrors, WriteBufferShortOfMemoryStillWritesTheFile)
{
    DXFDrawingRec drawing;
    NewDXFDrawing(&drawing);
    const std::string expected = golden("empty_2010.dxf");
    TempFile file("memory.dxf");
    // Fail every allocation from the n-th on: the open itself, then the write buffers
    // of every size, then the handle's own.
    for (uint32_t n = 0; n < 12; ++n) {
        SCOPED_TRACE(n);
        fs::remove(file.c_str());
        osmark_testing_fail_allocations(n, 1000);
        const int32_t result = WriteDXFVersion(file.c_str(), &drawing, 2010);
        osmark_testing_fail_allocations(0, 0);
        if (result == IoErrObjectNotFound)
            continue;
        ASSERT_EQ(result, 0);
        EXPECT_EQ(file.text(), expected);
    }
}


// ---------------------------------------------------------------------------------------
// Round trip: what the writer writes, the reader reads back as the same drawing.

constexpr double kSame = 1e-9;

const char* layer_of(const DXFDrawingRec& drawing, const ItemRec& item)
{
    const LayerTableRec& table = drawing.dxf_LayerTable;
    const int32_t index = item.it_Header.ih_Layer;
    return index > 0 && index < table.lt_N ? table.lt_Layers[index]->ld_Name : "";
}

const char* line_type_of(const DXFDrawingRec& drawing, const ItemRec& item)
{
    const LineTypeTableRec& table = drawing.dxf_LineTypeTable;
    const int32_t index = item.it_Header.ih_LineType;
    return index > 0 && index < table.lt_N ? table.lt_LineTypes[index]->ld_Name : "";
}

void expect_near(const Point3DRec& got, const Point3DRec& want)
{
    EXPECT_NEAR(got.x, want.x, kSame);
    EXPECT_NEAR(got.y, want.y, kSame);
    EXPECT_NEAR(got.z, want.z, kSame);
}

void expect_same_payload(const ItemRec& got, const ItemRec& want)
{
    switch (want.it_Header.ih_ItemType) {
    case DXFItemPoint:
        expect_near(got.it_Point.pt_Point, want.it_Point.pt_Point);
        break;
    case DXFItemLine:
        expect_near(got.it_Line.ln_Start, want.it_Line.ln_Start);
        expect_near(got.it_Line.ln_End, want.it_Line.ln_End);
        break;
    case DXFItemArc:
        expect_near(got.it_Arc.ar_Centre, want.it_Arc.ar_Centre);
        EXPECT_NEAR(got.it_Arc.ar_Radius, want.it_Arc.ar_Radius, kSame);
        EXPECT_NEAR(got.it_Arc.ar_Start, want.it_Arc.ar_Start, kSame);
        EXPECT_NEAR(got.it_Arc.ar_End, want.it_Arc.ar_End, kSame);
        EXPECT_EQ(got.it_Arc.ar_Dir, want.it_Arc.ar_Dir);
        break;
    case DXFItemText:
        EXPECT_EQ(got.it_Text.tx_Flags, want.it_Text.tx_Flags);
        expect_near(got.it_Text.tx_Point, want.it_Text.tx_Point);
        expect_near(got.it_Text.tx_Point2, want.it_Text.tx_Point2);
        EXPECT_NEAR(got.it_Text.tx_Height, want.it_Text.tx_Height, kSame);
        EXPECT_NEAR(got.it_Text.tx_Rotation, want.it_Text.tx_Rotation, kSame);
        EXPECT_NEAR(got.it_Text.tx_Oblique, want.it_Text.tx_Oblique, kSame);
        EXPECT_STREQ(got.it_Text.tx_Text, want.it_Text.tx_Text);
        break;
    case DXFItemPolyline: {
        const PolylineRec& a = got.it_Polyline;
        const PolylineRec& b = want.it_Polyline;
        EXPECT_EQ(a.pl_Flags, b.pl_Flags);
        expect_near(a.pl_Min, b.pl_Min);
        expect_near(a.pl_Max, b.pl_Max);
        ASSERT_EQ(a.pl_NumVertices, b.pl_NumVertices);
        for (int32_t i = 0; i < b.pl_NumVertices; ++i) {
            SCOPED_TRACE(i);
            expect_near(a.pl_Vertices[i].vx_Point, b.pl_Vertices[i].vx_Point);
            EXPECT_NEAR(a.pl_Vertices[i].vx_Bulge, b.pl_Vertices[i].vx_Bulge, kSame);
        }
        break;
    }
    case DXFItemEllipse:
        expect_near(got.it_Ellipse.el_Centre, want.it_Ellipse.el_Centre);
        expect_near(got.it_Ellipse.el_MajorAxis, want.it_Ellipse.el_MajorAxis);
        EXPECT_NEAR(got.it_Ellipse.el_Ratio, want.it_Ellipse.el_Ratio, kSame);
        EXPECT_NEAR(got.it_Ellipse.el_Start, want.it_Ellipse.el_Start, kSame);
        EXPECT_NEAR(got.it_Ellipse.el_End, want.it_Ellipse.el_End, kSame);
        EXPECT_NEAR(got.it_Ellipse.el_Angle, want.it_Ellipse.el_Angle, kSame);
        EXPECT_EQ(got.it_Ellipse.el_Dir, want.it_Ellipse.el_Dir);
        break;
    case DXFItemSpline: {
        const SplineRec& a = got.it_Spline;
        const SplineRec& b = want.it_Spline;
        EXPECT_EQ(a.sp_Flags, b.sp_Flags);
        EXPECT_EQ(a.sp_Degree, b.sp_Degree);
        expect_near(a.sp_Min, b.sp_Min);
        expect_near(a.sp_Max, b.sp_Max);
        expect_near(a.sp_StartTangent, b.sp_StartTangent);
        expect_near(a.sp_EndTangent, b.sp_EndTangent);
        EXPECT_NEAR(a.sp_StartParam, b.sp_StartParam, kSame);
        EXPECT_NEAR(a.sp_EndParam, b.sp_EndParam, kSame);
        ASSERT_EQ(a.sp_NumKnots, b.sp_NumKnots);
        for (int32_t i = 0; i < b.sp_NumKnots; ++i)
            EXPECT_NEAR(a.sp_Knots[i], b.sp_Knots[i], kSame) << "knot " << i;
        ASSERT_EQ(a.sp_NumPoints, b.sp_NumPoints);
        ASSERT_EQ(a.sp_NumWeights, b.sp_NumWeights);
        for (int32_t i = 0; i < b.sp_NumPoints; ++i) {
            SCOPED_TRACE(i);
            expect_near(a.sp_Points[i], b.sp_Points[i]);
            EXPECT_NEAR(a.sp_Weights[i], b.sp_Weights[i], kSame);
        }
        break;
    }
    case DXFItem3DFace:
        for (int corner = 0; corner < 4; ++corner)
            expect_near(got.it_Face.fc_Corners[corner], want.it_Face.fc_Corners[corner]);
        break;
    case DXFItemRay:
    case DXFItemXLine:
        expect_near(got.it_Ray.ry_Base, want.it_Ray.ry_Base);
        expect_near(got.it_Ray.ry_Direction, want.it_Ray.ry_Direction);
        break;
    case DXFItemInsert: {
        const InsertRec& a = got.it_Insert;
        const InsertRec& b = want.it_Insert;
        EXPECT_STREQ(a.in_BlockName, b.in_BlockName);
        EXPECT_EQ(a.in_ArrayKind, b.in_ArrayKind);
        expect_near(a.in_Point, b.in_Point);
        EXPECT_NEAR(a.in_Rotation, b.in_Rotation, kSame);
        EXPECT_NEAR(a.in_RowAngle, b.in_RowAngle, kSame);
        EXPECT_NEAR(a.in_ColumnAngle, b.in_ColumnAngle, kSame);
        EXPECT_EQ(a.in_Rows, b.in_Rows);
        EXPECT_EQ(a.in_Columns, b.in_Columns);
        EXPECT_NEAR(a.in_RowSpacing, b.in_RowSpacing, kSame);
        EXPECT_NEAR(a.in_ColumnSpacing, b.in_ColumnSpacing, kSame);
        expect_near(a.in_Scale, b.in_Scale);
        expect_near(a.in_Extrusion, b.in_Extrusion);
        break;
    }
    default:
        break;
    }
}

// The items of got from got_first on against those of want from want_first on, count
// of them.
void expect_same_items(const DXFDrawingRec& got_drawing, const ItemBufferRec& got, int32_t got_first,
                       const DXFDrawingRec& want_drawing, const ItemBufferRec& want,
                       int32_t want_first, int32_t count)
{
    ASSERT_LE(got_first + count, got.ib_N);
    ASSERT_LE(want_first + count, want.ib_N);
    for (int32_t i = 0; i < count; ++i) {
        const ItemRec& a = *got.ib_Items[got_first + i];
        const ItemRec& b = *want.ib_Items[want_first + i];
        SCOPED_TRACE("item " + std::to_string(i) + " of type " + std::to_string(b.it_Header.ih_ItemType));
        ASSERT_EQ(a.it_Header.ih_ItemType, b.it_Header.ih_ItemType);
        EXPECT_STREQ(layer_of(got_drawing, a), layer_of(want_drawing, b));
        EXPECT_STREQ(line_type_of(got_drawing, a), line_type_of(want_drawing, b));
        EXPECT_EQ(a.it_Header.ih_Colour, b.it_Header.ih_Colour);
        expect_same_payload(a, b);
    }
}

void expect_same_entities(const DXFDrawingRec& got, const DXFDrawingRec& want)
{
    ASSERT_EQ(got.dxf_ItemBuffer.ib_N, want.dxf_ItemBuffer.ib_N);
    expect_same_items(got, got.dxf_ItemBuffer, 0, want, want.dxf_ItemBuffer, 0, want.dxf_ItemBuffer.ib_N);
}

// Every block of want is in got under its name with the same members. (A file of the
// full dialect brings the model-space and paper-space blocks along.)
void expect_same_blocks(const DXFDrawingRec& got, const DXFDrawingRec& want)
{
    const BlockIdentifierBufferRec& blocks = want.dxf_BlockIdentifierBuffer;
    const ItemBufferRec& items = want.dxf_BlockItemBuffer;
    for (int32_t i = 0; i < blocks.bib_N; ++i) {
        const BlockIdentifierRec& block = *blocks.bib_Blocks[i];
        SCOPED_TRACE(block.bi_Name);
        int32_t found = -1;
        ASSERT_EQ(IsBlockKnown(const_cast<BlockIdentifierBufferRec*>(&got.dxf_BlockIdentifierBuffer),
                               block.bi_Name, nullptr, &found),
                  1);
        int32_t count = 1;
        while (items.ib_Items[block.bi_BlockData + count - 1]->it_Header.ih_ItemType != DXFItemEndBlock)
            ++count;
        expect_same_items(got, got.dxf_BlockItemBuffer, found, want, items, block.bi_BlockData, count);
    }
}

void expect_same_extents(DXFDrawingRec* got, DXFDrawingRec* want)
{
    CalcDXFDrawingSize(got);
    CalcDXFDrawingSize(want);
    EXPECT_NEAR(got->dxf_DrwgSize.min.x, want->dxf_DrwgSize.min.x, kSame);
    EXPECT_NEAR(got->dxf_DrwgSize.min.y, want->dxf_DrwgSize.min.y, kSame);
    EXPECT_NEAR(got->dxf_DrwgSize.max.x, want->dxf_DrwgSize.max.x, kSame);
    EXPECT_NEAR(got->dxf_DrwgSize.max.y, want->dxf_DrwgSize.max.y, kSame);
    // Something was measured.
    EXPECT_LT(want->dxf_DrwgSize.min.x, want->dxf_DrwgSize.max.x);
}

ItemRec* with_head(ItemRec* item, int32_t layer, int32_t colour, int32_t line_type)
{
    item->it_Header.ih_Layer = layer;
    item->it_Header.ih_Colour = colour;
    item->it_Header.ih_LineType = line_type;
    return item;
}

ItemRec* polyline_with_corners(Pool* pool, const std::vector<VertexRec>& vertices, bool closed)
{
    ItemRec* item = halvern_test::make_polyline(pool, vertices);
    PolylineRec& polyline = item->it_Polyline;
    polyline.pl_Flags = closed ? 1 : 0;
    halvern::DXFPolylineCorners(polyline.pl_Vertices, polyline.pl_NumVertices, &polyline.pl_Min,
                                &polyline.pl_Max);
    return item;
}

ItemRec* spline_with_corners(Pool* pool, const std::vector<Point3DRec>& points,
                             const std::vector<double>& knots, const std::vector<double>& weights)
{
    ItemRec* item = halvern_test::make_spline(pool, points, knots, weights);
    SplineRec& spline = item->it_Spline;
    spline.sp_Min = Point3DRec{points[0].x, points[0].y, 0.0};
    spline.sp_Max = spline.sp_Min;
    for (const Point3DRec& point : points) {
        spline.sp_Min.x = std::min(spline.sp_Min.x, point.x);
        spline.sp_Min.y = std::min(spline.sp_Min.y, point.y);
        spline.sp_Max.x = std::max(spline.sp_Max.x, point.x);
        spline.sp_Max.y = std::max(spline.sp_Max.y, point.y);
    }
    spline.sp_StartParam = knots.front();
    spline.sp_EndParam = knots.back();
    return item;
}

// One item of every type the writer knows, with the values a reader keeps: z of the
// centres of arcs 0, unit ray directions, ellipse angles from their axes.
void fill_every_type(Drawing& drawing)
{
    Pool* pool = drawing.pool();
    set_line_type(drawing, "DASHED", "Dashed", {0.5, -0.25});
    const int32_t dashed = GetLineType(&drawing->dxf_LineTypeTable, "DASHED");
    const int32_t walls = set_layer(drawing, "WALLS", 1, dashed);
    const int32_t doors = set_layer(drawing, "DOORS", 5, 0);

    add_block(drawing, "B",
              {halvern_test::make_line(pool, 0, 0, 2, 1),
               halvern_test::make_arc(pool, {1, 1, 0}, 0.5, 0.25, 3.0, 1),
               with_head(make_point(drawing, {0.5, 0.25, 0}), doors, 2, 0)});

    add_top(drawing, with_head(make_point(drawing, {1, 2, 3}), walls, 3, 0));
    add_top(drawing, with_head(halvern_test::make_line(pool, 1, 2, 3, 4), doors, 0, dashed));
    add_top(drawing, halvern_test::make_arc(pool, {5, 5, 0}, 2, 0.3, 2.5, 1));
    add_top(drawing, with_head(halvern_test::make_arc(pool, {-3, 4, 0}, 1.5, 0, 2 * kPi, 1), walls, 7, 0));
    ItemRec* text = add_top(drawing, halvern_test::make_text(pool, "Round trip"));
    text->it_Text.tx_Point = {1, 1, 0.5};
    text->it_Text.tx_Point2 = {9, 1.5, 0};
    text->it_Text.tx_Height = 0.75;
    text->it_Text.tx_Rotation = 0.4;
    text->it_Text.tx_Oblique = 0.1;
    text->it_Text.tx_Flags = DXFTextRight | DXFTextMiddle | DXFTextBackward;
    add_top(drawing, polyline_with_corners(
                         pool, {vertex(0, 0, 0.5), vertex(4, 0), vertex(4, 3, -0.25), vertex(0, 0)}, true));
    add_top(drawing, with_head(polyline_with_corners(pool, {vertex(10, 10), vertex(12, 11, 1), vertex(14, 10)},
                                                     false),
                               walls, 0, 0));
    ItemRec* ellipse = add_top(drawing, make_item(drawing, DXFItemEllipse));
    ellipse->it_Ellipse = EllipseRec{{2, 3, 0}, {4, 1, 0}, 0.5, 0.25, 4.0, std::atan2(1.0, 4.0), 1};
    add_top(drawing, spline_with_corners(pool, {{0, 0, 0}, {1, 2, 0}, {3, 2, 0}, {4, 0, 0}, {6, 1, 0}},
                                         {0, 0, 0, 0, 1, 2, 2, 2, 2}, {1, 1, 1, 1, 1}));
    ItemRec* rational = add_top(drawing, spline_with_corners(pool, {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}},
                                                             {0, 0, 0, 1, 1, 1}, {1, 0.5, 1}));
    rational->it_Spline.sp_Degree = 2;
    rational->it_Spline.sp_StartTangent = {1, 0, 0};
    rational->it_Spline.sp_EndTangent = {0, -1, 0};
    ItemRec* fitted = add_top(drawing, spline_with_corners(pool, {{0, 0, 0}, {2, 1, 0}, {4, -1, 0}, {6, 0, 0}},
                                                           {0}, {1, 1, 1, 1}));
    fitted->it_Spline.sp_Flags = DXFSplineFitPoints;
    fitted->it_Spline.sp_NumKnots = 0;
    fitted->it_Spline.sp_StartParam = 0;
    fitted->it_Spline.sp_EndParam = 0;
    ItemRec* face = add_top(drawing, make_item(drawing, DXFItem3DFace));
    face->it_Face.fc_Corners[0] = {0, 0, 1};
    face->it_Face.fc_Corners[1] = {2, 0, 1};
    face->it_Face.fc_Corners[2] = {2, 2, 0};
    face->it_Face.fc_Corners[3] = {0, 2, 0};
    ItemRec* ray = add_top(drawing, make_item(drawing, DXFItemRay));
    ray->it_Ray = RayRec{{1, 1, 0}, {0.6, 0.8, 0}};
    ItemRec* xline = add_top(drawing, make_item(drawing, DXFItemXLine));
    xline->it_Ray = RayRec{{0, -2, 0}, {1, 0, 0}};
    ItemRec* insert = add_top(drawing, make_insert(drawing, "B", {10, 0, 0}));
    insert->it_Insert.in_Rotation = 0.5;
    insert->it_Insert.in_Scale = {2, 2, 1};
    ItemRec* array = add_top(drawing, with_head(make_insert(drawing, "B", {-10, -10, 0}), walls, 4, 0));
    array->it_Insert.in_Rotation = 0.25;
    array->it_Insert.in_ColumnAngle = 0.25;
    array->it_Insert.in_RowAngle = 0.25 + kPi / 2;
    array->it_Insert.in_Rows = 2;
    array->it_Insert.in_Columns = 3;
    array->it_Insert.in_RowSpacing = 4;
    array->it_Insert.in_ColumnSpacing = 6;
}

TEST(DxfWriterRoundTrip, EveryEntityTypeReadsBackTheSame)
{
    for (const int32_t version : {0, 2005, 2010}) {
        SCOPED_TRACE(version);
        Drawing original;
        fill_every_type(original);
        TempFile file("round-trip.dxf");
        ASSERT_EQ(WriteDXFVersion(file.c_str(), original.get(), version), 0);
        Drawing read;
        ASSERT_EQ(ReadDXFNoWarnings(file.c_str(), read.get()), 0);

        for (const char* name : {"WALLS", "DOORS"}) {
            SCOPED_TRACE(name);
            const LayerTableRec& want = original->dxf_LayerTable;
            const LayerTableRec& got = read->dxf_LayerTable;
            const int32_t a = GetLayer(const_cast<LayerTableRec*>(&got), name);
            const int32_t b = GetLayer(const_cast<LayerTableRec*>(&want), name);
            EXPECT_EQ(got.lt_Layers[a]->ld_Colour, want.lt_Layers[b]->ld_Colour);
        }
        expect_same_entities(read.record, original.record);
        expect_same_blocks(read.record, original.record);
        expect_same_extents(read.get(), original.get());
    }
}

TEST(DxfWriterRoundTrip, ExplodedInsertsKeepTheDrawingsExtents)
{
    for (const int32_t version : {0, 2010}) {
        SCOPED_TRACE(version);
        Drawing original;
        add_block(original, "B", {halvern_test::make_line(original.pool(), 0, 0, 1, 0),
                                  halvern_test::make_arc(original.pool(), {0, 0, 0}, 2, 0, 1, 1)});
        ItemRec* insert = add_top(original, make_insert(original, "B", {}));
        InsertRec& array = insert->it_Insert;
        array.in_ArrayKind = 2;
        array.in_CircCentre = {0, 0, 0};
        array.in_CircFirst = {10, 0, 0};
        array.in_CircRadius = 10;
        array.in_CircStep = 2 * kPi / 5;
        array.in_CircCount = 5;
        array.in_CircRotation = 0;
        TempFile file("exploded.dxf");
        ASSERT_EQ(WriteDXFVersion(file.c_str(), original.get(), version), 0);
        Drawing read;
        ASSERT_EQ(ReadDXFNoWarnings(file.c_str(), read.get()), 0);
        EXPECT_EQ(read->dxf_ItemBuffer.ib_N, 10);
        expect_same_extents(read.get(), original.get());
    }
}

}
