// Items from group lists: literal lists in, item fields out; every entity kind made
// from a list and from a stream of the same groups; failures give NULL and leave the
// list as it was.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drawing_fixture.h"
#include "dxf_test_support.h"
#include "halvern/items_from_data.h"
#include "osmark/paged_array.h"
#include "osmark/testing.h"
#include "test_support/allocation_failure.h"

namespace {

using dxf_test::Group;
using halvern_test::Drawing;
using halvern_test::expect_point;
using halvern_test::FailingAllocations;

constexpr double kPi = 3.141592653589793;

// A PagedArray of DXFGroupRec over the groups, whose values it keeps alive.
class GroupList {
public:
    explicit GroupList(const std::vector<Group>& groups)
        : m_values(groups.size()), m_array(PagedArrayCreate(sizeof(DXFGroupRec), 8))
    {
        for (size_t i = 0; i < groups.size(); ++i) {
            m_values[i] = std::make_unique<std::string>(groups[i].value);
            const DXFGroupRec record{groups[i].code, m_values[i]->data()};
            EXPECT_GT(PagedArrayAdd(m_array, &record), 0);
        }
    }
    ~GroupList() { PagedArrayDelete(m_array); }
    GroupList(const GroupList&) = delete;
    GroupList& operator=(const GroupList&) = delete;

    PagedArray* get() { return m_array; }

    // The groups as the array holds them now.
    std::vector<Group> groups()
    {
        std::vector<Group> groups;
        for (uint32_t i = 0; i < PagedArrayGetCount(m_array); ++i) {
            const auto* record = static_cast<const DXFGroupRec*>(PagedArrayGet(m_array, i));
            groups.push_back(Group{record->dg_Code, record->dg_Value});
        }
        return groups;
    }

private:
    std::vector<std::unique_ptr<std::string>> m_values;
    PagedArray* m_array;
};

// The entity's groups behind its 0 group.
std::vector<Group> entity(const char* name, std::vector<Group> groups)
{
    groups.insert(groups.begin(), Group{0, name});
    return groups;
}

// A POLYLINE's own groups, its VERTEX entities and the SEQEND.
std::vector<Group> polyline(std::vector<Group> head, const std::vector<std::vector<Group>>& vertices)
{
    std::vector<Group> groups = entity("POLYLINE", std::move(head));
    for (const auto& vertex : vertices) {
        groups.push_back(Group{0, "VERTEX"});
        groups.insert(groups.end(), vertex.begin(), vertex.end());
    }
    groups.push_back(Group{0, "SEQEND"});
    return groups;
}

std::vector<Point3DRec> vertex_points(const PolylineRec& polyline)
{
    std::vector<Point3DRec> points;
    for (int32_t i = 0; i < polyline.pl_NumVertices; ++i)
        points.push_back(polyline.pl_Vertices[i].vx_Point);
    return points;
}

void expect_points(const std::vector<Point3DRec>& actual, const std::vector<Point3DRec>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        SCOPED_TRACE(i);
        expect_point(actual[i], expected[i].x, expected[i].y, expected[i].z);
    }
}

std::string describe(const ItemRec& item)
{
    return dxf_test::describe_item(item, dxf_test::Provenance::Left);
}

// The drawing the tests read into: a layer, a line type and a block beside the
// defaults, so that lookups have something to find.
void furnish(DXFDrawingRec& drawing)
{
    GetLayer(&drawing.dxf_LayerTable, "WALLS");
    GetLineType(&drawing.dxf_LineTypeTable, "DASHED");
    AddBlockIdentifier(&drawing.dxf_BlockIdentifierBuffer, "DOOR", 3, 0);
}

// What the drawing reader makes of the same groups: the entity followed by the 0 group
// that ends it.
std::string from_stream(const std::vector<Group>& groups, Point3DRec offset)
{
    Drawing drawing;
    furnish(drawing.record);
    std::vector<Group> stream = groups;
    stream.push_back(Group{0, "EOF"});
    dxf_test::parse_entities(drawing.get(), dxf_test::ascii(stream), &drawing->dxf_ItemBuffer, offset);
    if (drawing->dxf_ItemBuffer.ib_N != 1)
        return "items: " + std::to_string(drawing->dxf_ItemBuffer.ib_N);
    return describe(*drawing->dxf_ItemBuffer.ib_Items[0]);
}

std::string from_list(const std::vector<Group>& groups, Point3DRec offset)
{
    Drawing drawing;
    furnish(drawing.record);
    GroupList list(groups);
    const ItemRec* item = CreateItemFromData(drawing.get(), list.get(), offset.x, offset.y, offset.z,
                                             drawing.pool());
    if (item == nullptr)
        return "no item";
    EXPECT_EQ(item->it_Header.ih_ID, 0u);
    EXPECT_EQ(item->it_Header.ih_Line, -1);
    EXPECT_EQ(item->it_Header.ih_Comments, nullptr);
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 0) << "the item is in no buffer";
    return describe(*item);
}

// ---------------------------------------------------------------------------------------
// One entity code for both sources

struct SameRow {
    const char* name;
    std::vector<Group> groups;
    Point3DRec offset = {};
};

TEST(CreateItemFromData, EveryEntityKindGivesTheItemAStreamOfTheSameGroupsGives)
{
    const std::vector<SameRow> rows = {
        {"LINE with the common groups",
         entity("LINE", {{8, "WALLS"}, {6, "DASHED"}, {62, "3"}, {10, "1"}, {20, "2"}, {30, "3"},
                         {11, "4"}, {21, "5"}, {31, "6"}})},
        {"LINE on a layer the drawing lacks", entity("LINE", {{8, "NEW"}, {11, "1"}})},
        {"3DLINE inside a block", entity("3DLINE", {{10, "11"}, {20, "22"}, {11, "12"}}), {10, 20, 0}},
        {"POINT", entity("POINT", {{10, "3"}, {20, "4"}, {30, "5"}})},
        {"3DFACE", entity("3DFACE", {{10, "1"}, {20, "2"}, {11, "3"}, {21, "4"}, {12, "5"}, {22, "6"},
                                     {13, "7"}, {23, "8"}, {33, "9"}}), {1, 1, 1}},
        {"CIRCLE", entity("CIRCLE", {{10, "1"}, {20, "2"}, {40, "3"}})},
        {"ARC in degrees", entity("ARC", {{10, "1"}, {40, "1"}, {50, "90"}, {51, "0"}})},
        {"ARC under the mirrored extrusion",
         entity("ARC", {{10, "1"}, {20, "1"}, {40, "1"}, {50, "0"}, {51, "90"}, {210, "0"}, {220, "0"},
                        {230, "-1"}})},
        {"ARCALIGNEDTEXT is taken as an ARC", entity("ARCALIGNEDTEXT", {{40, "2"}})},
        {"ELLIPSE inside a block",
         entity("ELLIPSE", {{10, "15"}, {20, "20"}, {11, "5"}, {21, "0"}, {40, "0.5"}, {41, "0.5"},
                            {42, "2"}}),
         {10, 20, 0}},
        {"INSERT of a known block as an array",
         entity("INSERT", {{2, "DOOR"}, {10, "1"}, {20, "2"}, {41, "2"}, {42, "3"}, {44, "10"},
                           {45, "5"}, {50, "90"}, {70, "3"}, {71, "2"}, {210, "0"}, {230, "-1"}})},
        {"INSERT with counts beyond 16 bits", entity("INSERT", {{2, "DOOR"}, {70, "100000"}, {71, "-9"}})},
        {"RAY", entity("RAY", {{10, "1"}, {11, "3"}, {21, "4"}})},
        {"XLINE without a direction", entity("XLINE", {{10, "1"}, {11, "0"}})},
        {"TEXT with alignments",
         entity("TEXT", {{1, "ab"}, {10, "1"}, {20, "1"}, {11, "4"}, {21, "9"}, {40, "2"}, {50, "30"},
                         {51, "15"}, {71, "6"}, {72, "2"}, {73, "3"}})},
        {"TEXT estimating its far corner", entity("TEXT", {{1, "abc"}, {10, "1"}, {20, "1"}, {40, "2"}})},
        {"TEXT under an extrusion",
         entity("TEXT", {{1, "x"}, {10, "1"}, {20, "2"}, {40, "1"}, {210, "0"}, {220, "1"}, {230, "0"}})},
        {"LWPOLYLINE closed with bulges",
         entity("LWPOLYLINE", {{8, "WALLS"}, {90, "3"}, {70, "1"}, {10, "0"}, {20, "0"}, {42, "1"},
                               {10, "2"}, {20, "0"}, {10, "2"}, {20, "3"}, {42, "0.5"}})},
        {"LWPOLYLINE inside a block", entity("LWPOLYLINE", {{10, "12"}, {20, "25"}, {10, "13"}, {20, "27"}}),
         {10, 20, 0}},
        {"LWPOLYLINE with heights and an extrusion",
         entity("LWPOLYLINE", {{10, "1"}, {20, "0"}, {30, "2"}, {42, "0.5"}, {10, "3"}, {20, "2"},
                               {30, "4"}, {210, "0"}, {220, "0"}, {230, "-1"}})},
        {"POLYLINE with VERTEX and SEQEND",
         polyline({{8, "WALLS"}, {66, "1"}, {70, "1"}},
                  {{{10, "1"}, {20, "2"}, {42, "0.25"}}, {{10, "1"}, {20, "5"}}, {{10, "4"}, {20, "5"}}})},
        {"POLYLINE inside a block",
         polyline({}, {{{10, "11"}, {20, "21"}, {30, "1"}}, {{10, "14"}, {20, "25"}, {30, "1"}}}), {10, 20, 1}},
        {"spline-fit POLYLINE",
         polyline({{70, "4"}}, {{{10, "0"}, {20, "0"}, {70, "16"}}, {{10, "1"}, {20, "1"}, {70, "16"}},
                                {{10, "9"}, {20, "9"}, {70, "8"}}, {{10, "2"}, {20, "0"}, {70, "16"}},
                                {{10, "3"}, {20, "2"}, {70, "16"}}})},
        {"closed curve-fit POLYLINE",
         polyline({{70, "3"}}, {{{10, "0"}, {20, "0"}, {70, "16"}}, {{10, "1"}, {20, "1"}, {70, "16"}},
                                {{10, "2"}, {20, "0"}, {70, "16"}}})},
        {"curve-fit POLYLINE without frame points",
         polyline({{70, "2"}}, {{{10, "0"}, {20, "0"}, {42, "0.3"}}, {{10, "1"}, {20, "0"}}})},
        {"SPLINE with knots and weights",
         entity("SPLINE", {{70, "8"}, {71, "3"}, {72, "8"}, {73, "4"}, {40, "0"}, {40, "0"}, {40, "0"},
                           {40, "0"}, {40, "1"}, {40, "1"}, {40, "1"}, {40, "1"}, {41, "2"}, {41, "3"},
                           {12, "1"}, {22, "0.5"}, {10, "0"}, {20, "0"}, {30, "0"}, {10, "1"}, {20, "2"},
                           {30, "1"}, {10, "3"}, {20, "-1"}, {30, "0"}, {10, "4"}, {20, "0"}, {30, "0"},
                           {11, "9"}, {21, "9"}, {31, "0"}})},
        {"SPLINE inside a block",
         entity("SPLINE", {{71, "1"}, {72, "4"}, {40, "0"}, {40, "0"}, {40, "1"}, {40, "1"}, {10, "10"},
                           {20, "20"}, {30, "0"}, {10, "12"}, {20, "21"}, {30, "0"}}),
         {10, 20, 0}},
        {"SPLINE with knots announced but not given",
         entity("SPLINE", {{71, "3"}, {72, "8"}, {40, "1"}, {40, "2"}, {40, "3"}, {10, "0"}, {20, "0"},
                           {10, "1"}, {20, "1"}, {10, "2"}, {20, "0"}, {10, "3"}, {20, "1"}})},
        {"SPLINE of fit points",
         entity("SPLINE", {{72, "0"}, {73, "0"}, {74, "3"}, {11, "0"}, {21, "0"}, {31, "0"}, {11, "5"},
                           {21, "1"}, {31, "0"}, {11, "7"}, {21, "-2"}, {31, "0"}})},
        {"ATTDEF", entity("ATTDEF", {{8, "WALLS"}, {1, "x"}})},
        {"ATTRIB", entity("ATTRIB", {{62, "4"}})},
        {"BODY", entity("BODY", {{6, "DASHED"}})},
        {"DIMENSION", entity("DIMENSION", {{8, "WALLS"}, {62, "5"}, {10, "1"}})},
        {"LEADER", entity("LEADER", {{10, "1"}})},
        {"SOLID", entity("SOLID", {{10, "1"}, {62, "2"}})},
        {"MLINE", entity("MLINE", {{62, "1"}})},
        {"OLEFRAME", entity("OLEFRAME", {{8, "WALLS"}})},
        {"REGION", entity("REGION", {{1, "data"}})},
        {"SHAPE", entity("SHAPE", {{2, "S"}})},
        {"TOLERANCE", entity("TOLERANCE", {{1, "t"}})},
        {"TRACE", entity("TRACE", {{10, "1"}})},
        {"VIEWPORT", entity("VIEWPORT", {{69, "1"}})},
    };
    for (const SameRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string stream = from_stream(row.groups, row.offset);
        ASSERT_EQ(stream.rfind("items", 0), std::string::npos) << stream;
        EXPECT_EQ(from_list(row.groups, row.offset), stream);
    }
}

// ---------------------------------------------------------------------------------------
// Where a list differs from a stream

using ListCheck = std::function<void(const ItemRec*, DXFDrawingRec&)>;

struct ListRow {
    const char* name;
    std::vector<Group> groups;
    ListCheck check;
    bool with_drawing = true;
    Point3DRec offset = {};
};

ListCheck no_item()
{
    return [](const ItemRec* item, DXFDrawingRec&) { EXPECT_EQ(item, nullptr); };
}

ListCheck one(int32_t type, std::function<void(const ItemRec&)> check)
{
    return [type, check](const ItemRec* item, DXFDrawingRec&) {
        ASSERT_NE(item, nullptr);
        ASSERT_EQ(item->it_Header.ih_ItemType, type);
        check(*item);
    };
}

const char* layer_name(DXFDrawingRec& drawing, const ItemRec& item)
{
    return drawing.dxf_LayerTable.lt_Layers[item.it_Header.ih_Layer]->ld_Name;
}

bool has_layer(DXFDrawingRec& drawing, const char* name)
{
    const LayerTableRec& table = drawing.dxf_LayerTable;
    for (int32_t i = 0; i < table.lt_N; ++i) {
        if (std::string(table.lt_Layers[i]->ld_Name) == name)
            return true;
    }
    return false;
}

TEST(CreateItemFromData, ListsFollowTheirOwnRules)
{
    const std::vector<ListRow> rows = {
        {"LINE without a drawing",
         entity("LINE", {{8, "WALLS"}, {6, "DASHED"}, {10, "1"}, {20, "2"}, {30, "3"}, {11, "4"}, {21, "5"},
                         {31, "6"}}),
         one(DXFItemLine,
             [](const ItemRec& item) {
                 EXPECT_EQ(item.it_Header.ih_Layer, 0);
                 EXPECT_EQ(item.it_Header.ih_LineType, 0);
                 EXPECT_EQ(item.it_Header.ih_ID, 0u);
                 EXPECT_EQ(item.it_Header.ih_Line, -1);
                 expect_point(item.it_Line.ln_Start, 1, 2, 3);
                 expect_point(item.it_Line.ln_End, 4, 5, 6);
             }),
         false},
        {"the first group of a code wins",
         entity("LINE", {{8, "WALLS"}, {10, "1"}, {62, "2"}, {8, "OTHER"}, {10, "7"}, {62, "9"}}),
         [](const ItemRec* item, DXFDrawingRec& drawing) {
             ASSERT_NE(item, nullptr);
             EXPECT_STREQ(layer_name(drawing, *item), "WALLS");
             EXPECT_EQ(item->it_Header.ih_Colour, 2);
             EXPECT_EQ(item->it_Line.ln_Start.x, 1.0);
             EXPECT_FALSE(has_layer(drawing, "OTHER")) << "the second layer name is never looked up";
         }},
        {"TEXT alignment groups do not add up", entity("TEXT", {{1, "a"}, {72, "1"}, {72, "2"}}),
         one(DXFItemText, [](const ItemRec& item) { EXPECT_EQ(item.it_Text.tx_Flags, uint32_t{DXFTextCentre}); })},
        {"CIRCLE keeps the height of its centre", entity("CIRCLE", {{10, "1"}, {20, "2"}, {30, "5"}, {40, "3"}}),
         one(DXFItemArc,
             [](const ItemRec& item) {
                 expect_point(item.it_Arc.ar_Centre, 1, 2, 5);
                 EXPECT_EQ(item.it_Arc.ar_End, 2 * kPi);
             })},
        {"ELLIPSE parameters stay as given",
         entity("ELLIPSE", {{11, "2"}, {41, "-1.5707963267948966"}, {42, "6.283185307179586"}}),
         one(DXFItemEllipse,
             [](const ItemRec& item) {
                 EXPECT_EQ(item.it_Ellipse.el_Start, -kPi / 2);
                 EXPECT_EQ(item.it_Ellipse.el_End, 2 * kPi);
             })},
        {"TEXT drops the height of its first point",
         entity("TEXT", {{1, "ab"}, {10, "1"}, {20, "2"}, {30, "3"}, {40, "1"}}),
         one(DXFItemText,
             [](const ItemRec& item) {
                 expect_point(item.it_Text.tx_Point, 1, 2, 0);
                 EXPECT_STREQ(item.it_Text.tx_Text, "ab");
             })},
        {"MTEXT is an MTEXT item with its head alone",
         entity("MTEXT", {{8, "WALLS"}, {62, "4"}, {1, "abc"}, {10, "1"}, {40, "2"}, {71, "5"}}),
         [](const ItemRec* item, DXFDrawingRec& drawing) {
             ASSERT_NE(item, nullptr);
             EXPECT_EQ(item->it_Header.ih_ItemType, DXFItemMText);
             EXPECT_EQ(item->it_Header.ih_ItemSize, static_cast<int32_t>(offsetof(ItemRec, it_Block)));
             EXPECT_STREQ(layer_name(drawing, *item), "WALLS");
             EXPECT_EQ(item->it_Header.ih_Colour, 4);
         }},
        {"INSERT of a known block",
         entity("INSERT", {{2, "DOOR"}, {10, "5"}}),
         [](const ItemRec* item, DXFDrawingRec& drawing) {
             ASSERT_NE(item, nullptr);
             EXPECT_EQ(item->it_Insert.in_BlockIndex, 3);
             EXPECT_EQ(item->it_Insert.in_BlockName, drawing.dxf_BlockIdentifierBuffer.bib_Blocks[0]->bi_Name);
             expect_point(item->it_Insert.in_Scale, 1, 1, 1);
             EXPECT_EQ(item->it_Insert.in_Rows, 1);
         }},
        {"INSERT of an unknown block registers nothing",
         entity("INSERT", {{2, "WINDOW"}, {10, "5"}}),
         [](const ItemRec* item, DXFDrawingRec& drawing) {
             EXPECT_EQ(item, nullptr);
             EXPECT_EQ(drawing.dxf_BlockIdentifierBuffer.bib_N, 1);
         }},
        {"INSERT without a drawing", entity("INSERT", {{2, "DOOR"}}), no_item(), false},
        {"LWPOLYLINE pairs a stray 10 with the next 20",
         entity("LWPOLYLINE", {{10, "1"}, {10, "2"}, {20, "3"}, {10, "4"}, {20, "5"}}),
         one(DXFItemPolyline,
             [](const ItemRec& item) { expect_points(vertex_points(item.it_Polyline), {{1, 3, 0}, {4, 5, 0}}); })},
        {"LWPOLYLINE bulges belong to the vertex before the next coordinates",
         entity("LWPOLYLINE", {{10, "0"}, {20, "0"}, {42, "0.5"}, {10, "1"}, {20, "0"}, {10, "2"}, {20, "1"},
                               {42, "-1"}}),
         one(DXFItemPolyline,
             [](const ItemRec& item) {
                 const PolylineRec& polyline = item.it_Polyline;
                 ASSERT_EQ(polyline.pl_NumVertices, 3);
                 EXPECT_EQ(polyline.pl_Vertices[0].vx_Bulge, 0.5);
                 EXPECT_EQ(polyline.pl_Vertices[1].vx_Bulge, 0.0);
                 EXPECT_EQ(polyline.pl_Vertices[2].vx_Bulge, -1.0);
             })},
        {"LWPOLYLINE y given before x, and its own groups after the vertices",
         entity("LWPOLYLINE", {{20, "1"}, {10, "2"}, {20, "3"}, {10, "4"}, {8, "WALLS"}, {70, "1"}}),
         [](const ItemRec* item, DXFDrawingRec& drawing) {
             ASSERT_NE(item, nullptr);
             EXPECT_STREQ(layer_name(drawing, *item), "WALLS");
             EXPECT_EQ(item->it_Polyline.pl_Flags, 1u);
             expect_points(vertex_points(item->it_Polyline), {{2, 1, 0}, {4, 3, 0}, {2, 1, 0}});
         }},
        {"LWPOLYLINE whose last vertex alone has a height keeps every vertex",
         entity("LWPOLYLINE", {{10, "0"}, {20, "0"}, {10, "1"}, {20, "1"}, {10, "2"}, {20, "2"}, {30, "7"}}),
         one(DXFItemPolyline,
             [](const ItemRec& item) {
                 expect_points(vertex_points(item.it_Polyline), {{0, 0, 0}, {1, 1, 0}, {2, 2, 7}});
             })},
        {"LWPOLYLINE without coordinates", entity("LWPOLYLINE", {{70, "1"}, {8, "WALLS"}}), no_item()},
        {"POLYLINE vertices carry nothing over",
         polyline({}, {{{10, "1"}, {20, "2"}, {30, "3"}, {42, "0.5"}}, {{20, "5"}}, {{10, "4"}, {70, "16"}}}),
         one(DXFItemPolyline,
             [](const ItemRec& item) {
                 expect_points(vertex_points(item.it_Polyline), {{1, 2, 3}, {0, 5, 0}, {4, 0, 0}});
                 EXPECT_EQ(item.it_Polyline.pl_Vertices[1].vx_Bulge, 0.0);
             })},
        {"POLYLINE vertex groups: the first of each code within the vertex",
         polyline({}, {{{10, "1"}, {10, "9"}, {20, "1"}}, {{10, "2"}, {20, "2"}}}),
         one(DXFItemPolyline,
             [](const ItemRec& item) { expect_points(vertex_points(item.it_Polyline), {{1, 1, 0}, {2, 2, 0}}); })},
        {"POLYLINE takes its flags from its own groups, not from a VERTEX",
         polyline({{8, "WALLS"}}, {{{10, "1"}, {70, "1"}}, {{10, "2"}, {70, "16"}}, {{10, "3"}}}),
         one(DXFItemPolyline,
             [](const ItemRec& item) {
                 EXPECT_EQ(item.it_Polyline.pl_Flags, 0u);
                 EXPECT_EQ(item.it_Polyline.pl_NumVertices, 3);
             })},
        {"POLYLINE without SEQEND keeps its last vertex",
         entity("POLYLINE", {{70, "0"}, {0, "VERTEX"}, {10, "1"}, {0, "VERTEX"}, {10, "2"}}),
         one(DXFItemPolyline,
             [](const ItemRec& item) { expect_points(vertex_points(item.it_Polyline), {{1, 0, 0}, {2, 0, 0}}); })},
        {"POLYLINE without vertices", entity("POLYLINE", {{70, "1"}}), no_item()},
        {"POLYLINE vertices are moved by the offset too",
         polyline({}, {{{10, "11"}, {20, "22"}}, {{10, "13"}, {20, "24"}}}),
         one(DXFItemPolyline,
             [](const ItemRec& item) { expect_points(vertex_points(item.it_Polyline), {{1, 2, 0}, {3, 4, 0}}); }),
         true, {10, 20, 0}},
        {"SPLINE points pair the k-th 10, 20 and 30 groups",
         entity("SPLINE", {{71, "1"}, {10, "1"}, {10, "2"}, {20, "3"}, {20, "4"}, {30, "5"}, {30, "6"},
                           {72, "4"}, {40, "0"}, {40, "0"}, {40, "1"}, {40, "1"}, {40, "8"}}),
         one(DXFItemSpline,
             [](const ItemRec& item) {
                 const SplineRec& spline = item.it_Spline;
                 ASSERT_EQ(spline.sp_NumPoints, 2);
                 expect_point(spline.sp_Points[0], 1, 3, 5);
                 expect_point(spline.sp_Points[1], 2, 4, 6);
                 ASSERT_EQ(spline.sp_NumKnots, 4) << "a 72 behind the knots still counts them";
                 EXPECT_EQ(spline.sp_Knots[3], 1.0);
             })},
        {"SPLINE points without heights in a plane",
         entity("SPLINE", {{71, "1"}, {72, "4"}, {40, "0"}, {40, "0"}, {40, "1"}, {40, "1"}, {10, "1"}, {20, "2"},
                           {10, "3"}, {20, "4"}, {10, "5"}}),
         one(DXFItemSpline,
             [](const ItemRec& item) {
                 ASSERT_EQ(item.it_Spline.sp_NumPoints, 2) << "the 10 without a 20 ends the points";
                 expect_point(item.it_Spline.sp_Points[1], 3, 4, 0);
                 EXPECT_EQ(item.it_Spline.sp_Degree, 1);
             })},
        {"SPLINE weights, at most one per point",
         entity("SPLINE", {{72, "0"}, {41, "2"}, {41, "3"}, {41, "4"}, {11, "0"}, {21, "0"}, {11, "1"}, {21, "1"}}),
         one(DXFItemSpline,
             [](const ItemRec& item) {
                 ASSERT_EQ(item.it_Spline.sp_NumPoints, 2);
                 EXPECT_EQ(item.it_Spline.sp_Weights[0], 2.0);
                 EXPECT_EQ(item.it_Spline.sp_Weights[1], 3.0);
             })},
        {"groups before the 0 group belong to the entity",
         {{8, "WALLS"}, {0, "POINT"}, {10, "4"}},
         [](const ItemRec* item, DXFDrawingRec& drawing) {
             ASSERT_NE(item, nullptr);
             EXPECT_EQ(item->it_Header.ih_ItemType, DXFItemPoint);
             EXPECT_STREQ(layer_name(drawing, *item), "WALLS");
         }},
        {"the groups of a following entity are not the entity's",
         {{0, "LINE"}, {10, "1"}, {0, "LINE"}, {8, "WALLS"}, {11, "5"}},
         one(DXFItemLine,
             [](const ItemRec& item) {
                 EXPECT_EQ(item.it_Header.ih_Layer, 0);
                 expect_point(item.it_Line.ln_End, 0, 0, 0);
             })},
        {"no 0 group", {{8, "WALLS"}, {10, "1"}}, no_item()},
        {"no group at all", {}, no_item()},
        {"3DSOLID is no entity", entity("3DSOLID", {{10, "1"}}), no_item()},
        {"an empty entity name", entity("", {{10, "1"}}), no_item()},
    };
    for (const ListRow& row : rows) {
        SCOPED_TRACE(row.name);
        Drawing drawing;
        furnish(drawing.record);
        GroupList list(row.groups);
        const ItemRec* item = CreateItemFromData(row.with_drawing ? drawing.get() : nullptr, list.get(),
                                                 row.offset.x, row.offset.y, row.offset.z, drawing.pool());
        row.check(item, drawing.record);
        // The list is read, never changed.
        const std::vector<Group> after = list.groups();
        ASSERT_EQ(after.size(), row.groups.size());
        for (size_t i = 0; i < after.size(); ++i) {
            EXPECT_EQ(after[i].code, row.groups[i].code);
            EXPECT_EQ(after[i].value, row.groups[i].value);
        }
    }
}

TEST(CreateItemFromData, RejectsWhatIsNoGroupList)
{
    Drawing drawing;
    EXPECT_EQ(CreateItemFromData(drawing.get(), nullptr, 0, 0, 0, drawing.pool()), nullptr);
    // Records too small to be groups.
    PagedArray* numbers = PagedArrayCreate(sizeof(int32_t), 8);
    const int32_t zero = 0;
    ASSERT_GT(PagedArrayAdd(numbers, &zero), 0);
    EXPECT_EQ(CreateItemFromData(drawing.get(), numbers, 0, 0, 0, drawing.pool()), nullptr);
    PagedArrayDelete(numbers);
    // A group without value text reads as an empty value.
    GroupList list(entity("LINE", {{10, "1"}}));
    static_cast<DXFGroupRec*>(PagedArrayGet(list.get(), 1))->dg_Value = nullptr;
    const ItemRec* line = CreateItemFromData(nullptr, list.get(), 0, 0, 0, drawing.pool());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->it_Line.ln_Start.x, 0.0);
    // Without a pool there is nothing to make the item from.
    EXPECT_EQ(CreateItemFromData(nullptr, list.get(), 0, 0, 0, nullptr), nullptr);
}

TEST(CreateItemFromData, MemoryThatRunsOutGivesNullAndLeavesNothingBehind)
{
    std::vector<Group> lwpolyline = entity("LWPOLYLINE", {{70, "1"}});
    for (int i = 0; i < 150; ++i) {
        lwpolyline.push_back(Group{10, std::to_string(i)});
        lwpolyline.push_back(Group{20, std::to_string(i % 3)});
    }
    const std::vector<std::vector<Group>> lists = {
        lwpolyline,
        entity("SPLINE", {{72, "4"}, {40, "0"}, {40, "0"}, {40, "1"}, {40, "1"}, {10, "0"}, {20, "0"}, {10, "1"},
                          {20, "1"}}),
        entity("TEXT", {{1, "hello"}}),
    };
    for (const auto& groups : lists) {
        SCOPED_TRACE(groups[0].value);
        GroupList list(groups);
        Pool* pool = CreatePool(256, 256);
        const ItemRec* whole = CreateItemFromData(nullptr, list.get(), 0, 0, 0, pool);
        ASSERT_NE(whole, nullptr);
        const std::string expected = describe(*whole);
        // One failure lets the vertex list fall back on its own growth; two lose the
        // vertex.
        for (const uint32_t failures : {1u, 2u}) {
            bool made = false;
            for (uint32_t successes = 0; successes < 50 && !made; ++successes) {
                SCOPED_TRACE(std::to_string(successes) + " then " + std::to_string(failures) + " failing");
                const ItemRec* item = nullptr;
                {
                    // The group list's arranged order and a spline's knots come from
                    // operator new: they fail in the same count.
                    const test_support::NewJoinsCountdown joined;
                    const FailingAllocations failing(successes, failures);
                    item = CreateItemFromData(nullptr, list.get(), 0, 0, 0, pool);
                }
                if (item != nullptr) {
                    EXPECT_EQ(describe(*item), expected) << "no vertex lost on the way";
                    made = true;
                }
            }
            EXPECT_TRUE(made);
        }
        DeletePool(pool);
    }
}

}
