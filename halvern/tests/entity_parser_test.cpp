// The DXF entity parser: one table row per entity kind (group stream in, item fields
// out), the same rows read from both binary encodings, and damaged or cut entities.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "geometry/geometry_internal.h"
#include "drawing_fixture.h"
#include "dxf_test_support.h"
#include "osmark/testing.h"

namespace {

using dxf_test::Group;
using halvern_test::Drawing;
using halvern_test::expect_point;
using halvern_test::FailingAllocations;

constexpr double kPi = 3.141592653589793;
constexpr double kNear = 1e-9;

std::vector<const ItemRec*> items_of(const ItemBufferRec& buffer)
{
    return std::vector<const ItemRec*>(buffer.ib_Items, buffer.ib_Items + buffer.ib_N);
}

// An entity's groups between its own 0 group and a closing 0 EOF.
std::vector<Group> entity(const char* name, std::vector<Group> groups)
{
    groups.insert(groups.begin(), Group{0, name});
    groups.push_back(Group{0, "EOF"});
    return groups;
}

std::vector<Group> vertices(std::vector<std::vector<Group>> list)
{
    std::vector<Group> groups;
    for (auto& vertex : list) {
        groups.push_back(Group{0, "VERTEX"});
        groups.insert(groups.end(), vertex.begin(), vertex.end());
    }
    return groups;
}

std::vector<Group> concat(std::vector<Group> first, const std::vector<Group>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// The fields of an item as text, to compare what two streams made.
std::string describe(const ItemRec& item)
{
    return dxf_test::describe_item(item, dxf_test::Provenance::Included);
}

using Check = std::function<void(const std::vector<const ItemRec*>&, DXFDrawingRec&)>;

struct EntityRow {
    const char* name;
    std::vector<Group> groups;
    Check check;
    Point3DRec offset = {};
    // Binary files hold 16-bit counts: rows with wider ones read differently there.
    bool same_in_binary = true;
};

// A single item of the type; the rest of the check runs on it.
Check one(int32_t type, std::function<void(const ItemRec&)> check)
{
    return [type, check](const std::vector<const ItemRec*>& items, DXFDrawingRec&) {
        ASSERT_EQ(items.size(), 1u);
        ASSERT_EQ(items[0]->it_Header.ih_ItemType, type);
        check(*items[0]);
    };
}

Check none()
{
    return [](const std::vector<const ItemRec*>& items, DXFDrawingRec&) { EXPECT_TRUE(items.empty()); };
}

const std::vector<EntityRow>& entity_rows()
{
    static const std::vector<EntityRow> rows = {
        {"LINE with the common groups",
         entity("LINE", {{8, "WALLS"}, {62, "3"}, {6, "DASHED"}, {10, "1"}, {20, "2"}, {30, "3"},
                         {11, "4"}, {21, "5"}, {31, "6"}}),
         [](const std::vector<const ItemRec*>& items, DXFDrawingRec& drawing) {
             ASSERT_EQ(items.size(), 1u);
             const ItemRec& line = *items[0];
             EXPECT_EQ(line.it_Header.ih_ItemType, DXFItemLine);
             EXPECT_STREQ(drawing.dxf_LayerTable.lt_Layers[line.it_Header.ih_Layer]->ld_Name, "WALLS");
             EXPECT_STREQ(drawing.dxf_LineTypeTable.lt_LineTypes[line.it_Header.ih_LineType]->ld_Name,
                          "DASHED");
             EXPECT_EQ(line.it_Header.ih_Colour, 3);
             EXPECT_EQ(line.it_Header.ih_Line, 1) << "the line of the entity's 0 code";
             EXPECT_EQ(line.it_Header.ih_ID, 1u);
             expect_point(line.it_Line.ln_Start, 1, 2, 3);
             expect_point(line.it_Line.ln_End, 4, 5, 6);
         }},
        {"3DLINE", entity("3DLINE", {{10, "1"}, {11, "2"}}), one(DXFItemLine, [](const ItemRec& item) {
             expect_point(item.it_Line.ln_End, 2, 0, 0);
         })},
        {"POINT", entity("POINT", {{10, "3"}, {20, "4"}}), one(DXFItemPoint, [](const ItemRec& item) {
             expect_point(item.it_Point.pt_Point, 3, 4, 0);
         })},
        {"CIRCLE is a full arc", entity("CIRCLE", {{10, "1"}, {20, "2"}, {30, "5"}, {40, "3"}}),
         one(DXFItemArc, [](const ItemRec& item) {
             expect_point(item.it_Arc.ar_Centre, 1, 2, 0);
             EXPECT_EQ(item.it_Arc.ar_Radius, 3.0);
             EXPECT_EQ(item.it_Arc.ar_Start, 0.0);
             EXPECT_EQ(item.it_Arc.ar_End, 2 * kPi);
             EXPECT_EQ(item.it_Arc.ar_Dir, 1);
         })},
        {"ARC in degrees", entity("ARC", {{40, "1"}, {50, "90"}, {51, "0"}}),
         one(DXFItemArc, [](const ItemRec& item) {
             EXPECT_EQ(item.it_Arc.ar_Start, 90 * 0.0174532925199433);
             EXPECT_EQ(item.it_Arc.ar_End, 0.0);
         })},
        {"ARC under the mirrored extrusion",
         entity("ARC", {{10, "1"}, {20, "1"}, {40, "1"}, {50, "0"}, {51, "90"}, {210, "0"},
                        {220, "0"}, {230, "-1"}}),
         one(DXFItemArc, [](const ItemRec& item) {
             expect_point(item.it_Arc.ar_Centre, -1, 1, 0);
             EXPECT_NEAR(halvern::DXFNormaliseAngle(item.it_Arc.ar_Start), kPi / 2, kNear);
             EXPECT_NEAR(halvern::DXFNormaliseAngle(item.it_Arc.ar_End), kPi, kNear);
             EXPECT_EQ(item.it_Arc.ar_Dir, 1);
         })},
        {"ELLIPSE inside a block",
         entity("ELLIPSE", {{10, "15"}, {20, "20"}, {11, "5"}, {21, "0"}, {40, "0.5"}}),
         one(DXFItemEllipse, [](const ItemRec& item) {
             expect_point(item.it_Ellipse.el_Centre, 5, 0, 0);
             expect_point(item.it_Ellipse.el_MajorAxis, 5, 0, 0);
             EXPECT_EQ(item.it_Ellipse.el_Ratio, 0.5);
             EXPECT_EQ(item.it_Ellipse.el_Start, 0.0);
             EXPECT_EQ(item.it_Ellipse.el_End, 2 * kPi);
             EXPECT_EQ(item.it_Ellipse.el_Angle, 0.0);
             EXPECT_EQ(item.it_Ellipse.el_Dir, 1);
         }),
         Point3DRec{10, 20, 0}},
        {"ELLIPSE parameters in radians",
         entity("ELLIPSE", {{11, "0"}, {21, "2"}, {41, "-1.5707963267948966"}, {42, "6.283185307179586"}}),
         one(DXFItemEllipse, [](const ItemRec& item) {
             EXPECT_NEAR(item.it_Ellipse.el_Start, 1.5 * kPi, kNear);
             EXPECT_EQ(item.it_Ellipse.el_End, 0.0);
             EXPECT_NEAR(item.it_Ellipse.el_Angle, kPi / 2, kNear);
         })},
        {"TEXT estimates its far corner",
         entity("TEXT", {{1, "abc"}, {10, "1"}, {20, "1"}, {40, "2"}}), one(DXFItemText, [](const ItemRec& item) {
             expect_point(item.it_Text.tx_Point2, 7, 3, 0);
             EXPECT_STREQ(item.it_Text.tx_Text, "abc");
             EXPECT_EQ(item.it_Text.tx_Text, reinterpret_cast<const char*>(&item.it_Text + 1));
             EXPECT_EQ(item.it_Text.tx_Flags, 0u);
         })},
        {"TEXT keeps a second point it is given",
         entity("TEXT", {{1, "ab"}, {10, "1"}, {20, "1"}, {11, "4"}, {21, "9"}, {31, "7"},
                         {40, "2"}, {50, "30"}, {51, "15"}, {72, "2"}, {73, "3"}, {71, "6"}}),
         one(DXFItemText, [](const ItemRec& item) {
             expect_point(item.it_Text.tx_Point2, 4, 9, 0);
             EXPECT_NEAR(item.it_Text.tx_Rotation, kPi / 6, kNear);
             EXPECT_NEAR(item.it_Text.tx_Oblique, kPi / 12, kNear);
             EXPECT_EQ(item.it_Text.tx_Flags, uint32_t{DXFTextRight | DXFTextTop | DXFTextBackward |
                                                      DXFTextUpsideDown});
         })},
        {"MTEXT attached in the middle centre",
         entity("MTEXT", {{1, "first"}, {1, "abc"}, {10, "0"}, {20, "0"}, {40, "2"}, {41, "99"},
                          {42, "10"}, {71, "5"}}),
         one(DXFItemText, [](const ItemRec& item) {
             expect_point(item.it_Text.tx_Point, -5, -1, 0);
             expect_point(item.it_Text.tx_Point2, 1, 2, 0);
             EXPECT_STREQ(item.it_Text.tx_Text, "abc") << "the last text group wins";
             EXPECT_EQ(item.it_Text.tx_Height, 2.0);
         })},
        {"MTEXT direction replaces the rotation",
         entity("MTEXT", {{1, "a"}, {50, "45"}, {11, "0"}, {21, "3"}, {40, "1"}}),
         one(DXFItemText, [](const ItemRec& item) {
             EXPECT_NEAR(item.it_Text.tx_Rotation, kPi / 2, kNear);
             expect_point(item.it_Text.tx_Point, 0, 0, 0);
         })},
        {"XLINE without a direction", entity("XLINE", {{10, "1"}, {11, "0"}, {21, "0"}, {31, "0"}}),
         one(DXFItemXLine, [](const ItemRec& item) { expect_point(item.it_Ray.ry_Direction, 1, 0, 0); })},
        {"RAY direction normalised", entity("RAY", {{11, "3"}, {21, "4"}}), one(DXFItemRay, [](const ItemRec& item) {
             expect_point(item.it_Ray.ry_Direction, 0.6, 0.8, 0);
         })},
        {"3DFACE corners",
         entity("3DFACE", {{10, "1"}, {20, "2"}, {11, "3"}, {21, "4"}, {12, "5"}, {22, "6"},
                           {13, "7"}, {23, "8"}, {33, "9"}}),
         one(DXFItem3DFace, [](const ItemRec& item) {
             expect_point(item.it_Face.fc_Corners[0], 1, 2, 0);
             expect_point(item.it_Face.fc_Corners[3], 7, 8, 9);
         })},
        {"DIMENSION keeps its head", entity("DIMENSION", {{8, "DIMS"}, {62, "5"}, {10, "1"}}),
         one(DXFItemDimension, [](const ItemRec& item) { EXPECT_EQ(item.it_Header.ih_Colour, 5); })},
        {"a name that starts with ARC", entity("ARCALIGNEDTEXT", {{40, "2"}}),
         one(DXFItemArc, [](const ItemRec& item) { EXPECT_EQ(item.it_Arc.ar_Radius, 2.0); })},
        {"3DSOLID is no entity", entity("3DSOLID", {{10, "1"}}), none()},
        {"BODY matches only itself", entity("BODYWORK", {{10, "1"}}), none()},
        {"LWPOLYLINE closed with a bulge",
         entity("LWPOLYLINE", {{8, "A"}, {90, "3"}, {70, "1"}, {10, "0"}, {20, "0"}, {42, "1"},
                               {10, "2"}, {20, "0"}, {10, "2"}, {20, "3"}, {42, "0.5"}}),
         one(DXFItemPolyline, [](const ItemRec& item) {
             const PolylineRec& polyline = item.it_Polyline;
             EXPECT_EQ(polyline.pl_Flags, 1u);
             ASSERT_EQ(polyline.pl_NumVertices, 4);
             EXPECT_EQ(polyline.pl_Vertices[0].vx_Bulge, 1.0);
             EXPECT_EQ(polyline.pl_Vertices[1].vx_Bulge, 0.0);
             EXPECT_EQ(polyline.pl_Vertices[2].vx_Bulge, 0.5);
             expect_point(polyline.pl_Vertices[3].vx_Point, 0, 0, 0);
             EXPECT_EQ(polyline.pl_Vertices[3].vx_Bulge, 0.0);
             // The half circle below the first segment reaches y = -1.
             EXPECT_NEAR(polyline.pl_Min.y, -1, kNear);
             EXPECT_NEAR(polyline.pl_Max.y, 3, kNear);
             EXPECT_EQ(item.it_Header.ih_ItemSize,
                       static_cast<int32_t>(offsetof(ItemRec, it_Block) + sizeof(PolylineRec) +
                                            3 * sizeof(VertexRec)));
         })},
        {"LWPOLYLINE inside a block",
         entity("LWPOLYLINE", {{10, "12"}, {20, "25"}, {10, "13"}, {20, "27"}}),
         one(DXFItemPolyline, [](const ItemRec& item) {
             ASSERT_EQ(item.it_Polyline.pl_NumVertices, 2);
             expect_point(item.it_Polyline.pl_Vertices[0].vx_Point, 2, 5, 0);
             expect_point(item.it_Polyline.pl_Vertices[1].vx_Point, 3, 7, 0);
         }),
         Point3DRec{10, 20, 0}},
        {"LWPOLYLINE under the mirrored extrusion",
         entity("LWPOLYLINE", {{10, "1"}, {20, "0"}, {42, "0.5"}, {10, "3"}, {20, "2"},
                               {210, "0"}, {220, "0"}, {230, "-1"}}),
         one(DXFItemPolyline, [](const ItemRec& item) {
             ASSERT_EQ(item.it_Polyline.pl_NumVertices, 2);
             expect_point(item.it_Polyline.pl_Vertices[0].vx_Point, -1, 0, 0);
             expect_point(item.it_Polyline.pl_Vertices[1].vx_Point, -3, 2, 0);
             EXPECT_EQ(item.it_Polyline.pl_Vertices[0].vx_Bulge, -0.5);
         })},
        {"LWPOLYLINE without a vertex", entity("LWPOLYLINE", {{70, "1"}, {8, "A"}}), none()},
        {"POLYLINE with VERTEX and SEQEND",
         concat(concat({{0, "POLYLINE"}, {8, "P"}, {66, "1"}, {70, "0"}},
                       vertices({{{8, "OTHER"}, {10, "1"}, {20, "2"}, {42, "0.25"}},
                                 {{20, "5"}},
                                 {{42, "9"}},
                                 {{10, "4"}, {70, "16"}}})),
                {{0, "SEQEND"}, {8, "P"}, {0, "EOF"}}),
         [](const std::vector<const ItemRec*>& items, DXFDrawingRec& drawing) {
             ASSERT_EQ(items.size(), 1u);
             const PolylineRec& polyline = items[0]->it_Polyline;
             EXPECT_STREQ(drawing.dxf_LayerTable.lt_Layers[items[0]->it_Header.ih_Layer]->ld_Name, "P");
             ASSERT_EQ(polyline.pl_NumVertices, 3) << "a vertex without coordinates is left out";
             expect_point(polyline.pl_Vertices[0].vx_Point, 1, 2, 0);
             EXPECT_EQ(polyline.pl_Vertices[0].vx_Bulge, 0.25);
             expect_point(polyline.pl_Vertices[1].vx_Point, 1, 5, 0);
             expect_point(polyline.pl_Vertices[2].vx_Point, 4, 5, 0);
             EXPECT_EQ(polyline.pl_Vertices[2].vx_Flags, 0u);
         }},
        {"spline-fit POLYLINE",
         concat(concat({{0, "POLYLINE"}, {70, "4"}},
                       vertices({{{10, "0"}, {70, "16"}}, {{10, "1"}, {70, "16"}}, {{10, "9"}, {70, "8"}},
                                 {{10, "2"}, {70, "16"}}, {{10, "3"}, {70, "16"}}})),
                {{0, "SEQEND"}, {0, "EOF"}}),
         one(DXFItemSpline, [](const ItemRec& item) {
             const SplineRec& spline = item.it_Spline;
             EXPECT_EQ(spline.sp_Flags, uint32_t{DXFSplineFromPolyline});
             EXPECT_EQ(spline.sp_Degree, 3);
             ASSERT_EQ(spline.sp_NumPoints, 4);
             expect_point(spline.sp_Points[3], 3, 0, 0);
             ASSERT_EQ(spline.sp_NumKnots, 8);
             EXPECT_EQ(std::vector<double>(spline.sp_Knots, spline.sp_Knots + 8),
                       (std::vector<double>{0, 0, 0, 0, 1, 1, 1, 1}));
             EXPECT_EQ(spline.sp_Weights[3], 1.0);
             EXPECT_EQ(spline.sp_EndParam, 1.0);
         })},
        {"curve-fit POLYLINE without frame points keeps its vertices",
         concat(concat({{0, "POLYLINE"}, {70, "3"}},
                       vertices({{{10, "0"}, {42, "0.3"}, {70, "1"}}, {{10, "1"}}, {{10, "2"}, {20, "1"}}})),
                {{0, "SEQEND"}, {0, "EOF"}}),
         one(DXFItemPolyline, [](const ItemRec& item) {
             EXPECT_EQ(item.it_Polyline.pl_Flags, 1u);
             ASSERT_EQ(item.it_Polyline.pl_NumVertices, 4);
             EXPECT_EQ(item.it_Polyline.pl_Vertices[0].vx_Bulge, 0.3);
         })},
        {"POLYLINE followed by no VERTEX", entity("POLYLINE", {{70, "1"}}), none()},
        {"POLYLINE that lacks its SEQEND",
         concat(concat({{0, "POLYLINE"}}, vertices({{{10, "1"}}, {{10, "2"}}})),
                {{0, "LINE"}, {11, "5"}, {0, "EOF"}}),
         [](const std::vector<const ItemRec*>& items, DXFDrawingRec&) {
             ASSERT_EQ(items.size(), 2u);
             EXPECT_EQ(items[0]->it_Polyline.pl_NumVertices, 2);
             EXPECT_EQ(items[1]->it_Header.ih_ItemType, DXFItemLine);
         }},
        {"SPLINE with knots and weights",
         entity("SPLINE", {{70, "8"}, {71, "3"}, {72, "8"}, {73, "4"}, {40, "0"}, {40, "0"},
                           {40, "0"}, {40, "0"}, {40, "1"}, {40, "1"}, {40, "1"}, {40, "1"},
                           {41, "2"}, {41, "3"}, {12, "1"}, {22, "0.5"}, {10, "0"}, {20, "0"},
                           {10, "1"}, {20, "2"}, {30, "1"}, {10, "3"}, {20, "-1"}, {10, "4"},
                           {20, "0"}, {11, "9"}, {21, "9"}}),
         one(DXFItemSpline, [](const ItemRec& item) {
             const SplineRec& spline = item.it_Spline;
             EXPECT_EQ(spline.sp_Flags, 0u);
             EXPECT_EQ(spline.sp_Degree, 3);
             ASSERT_EQ(spline.sp_NumPoints, 4) << "fit points are dropped";
             expect_point(spline.sp_Points[1], 1, 2, 1);
             ASSERT_EQ(spline.sp_NumKnots, 8);
             EXPECT_EQ(spline.sp_Knots, reinterpret_cast<const double*>(spline.sp_Points + 4));
             EXPECT_EQ(spline.sp_Weights, spline.sp_Knots + 8);
             EXPECT_EQ(std::vector<double>(spline.sp_Weights, spline.sp_Weights + 4),
                       (std::vector<double>{2, 3, 1, 1}));
             EXPECT_EQ(spline.sp_EndParam, 1.0);
             expect_point(spline.sp_StartTangent, 1, 0.5, 0);
             expect_point(spline.sp_Min, 0, -1, 0);
             expect_point(spline.sp_Max, 4, 2, 0);
         })},
        {"SPLINE with knots announced but not given",
         entity("SPLINE", {{71, "3"}, {72, "8"}, {40, "1"}, {40, "2"}, {40, "3"}, {40, "4"},
                           {40, "5"}, {10, "0"}, {10, "1"}, {10, "2"}, {10, "3"}}),
         one(DXFItemSpline, [](const ItemRec& item) {
             ASSERT_EQ(item.it_Spline.sp_NumKnots, 8);
             EXPECT_EQ(std::vector<double>(item.it_Spline.sp_Knots, item.it_Spline.sp_Knots + 8),
                       (std::vector<double>{1, 2, 3, 4, 5, 0, 0, 0}));
         })},
        {"SPLINE whose knots do not fit becomes its control polygon",
         entity("SPLINE", {{71, "3"}, {72, "5"}, {40, "0"}, {40, "1"}, {41, "4"}, {10, "0"},
                           {10, "1"}, {10, "2"}, {10, "3"}}),
         one(DXFItemSpline, [](const ItemRec& item) {
             const SplineRec& spline = item.it_Spline;
             EXPECT_EQ(spline.sp_Degree, 1);
             ASSERT_EQ(spline.sp_NumKnots, 6);
             EXPECT_EQ(std::vector<double>(spline.sp_Knots, spline.sp_Knots + 6),
                       (std::vector<double>{0, 0, 1, 2, 3, 3}));
             EXPECT_EQ(spline.sp_Weights[0], 4.0);
             EXPECT_EQ(spline.sp_EndParam, 3.0);
         })},
        {"SPLINE announcing two billion knots",
         entity("SPLINE", {{72, "2000000000"}, {73, "2000000000"}, {40, "0"}, {40, "1"},
                           {10, "0"}, {10, "1"}, {10, "2"}}),
         one(DXFItemSpline, [](const ItemRec& item) {
             EXPECT_EQ(item.it_Spline.sp_NumPoints, 3);
             EXPECT_EQ(item.it_Spline.sp_NumKnots, 5);
             EXPECT_EQ(item.it_Spline.sp_Degree, 1);
         }),
         {},
         false},
        {"SPLINE with negative counts",
         entity("SPLINE", {{71, "-3"}, {72, "-8"}, {73, "-4"}, {40, "1"}, {10, "1"}, {11, "2"}}),
         one(DXFItemSpline, [](const ItemRec& item) {
             EXPECT_EQ(item.it_Spline.sp_Flags, uint32_t{DXFSplineFitPoints});
             EXPECT_EQ(item.it_Spline.sp_NumKnots, 0);
             ASSERT_EQ(item.it_Spline.sp_NumPoints, 1);
             expect_point(item.it_Spline.sp_Points[0], 2, 0, 0);
         })},
        {"SPLINE of fit points",
         entity("SPLINE", {{72, "0"}, {73, "0"}, {74, "3"}, {11, "0"}, {21, "0"}, {11, "5"},
                           {21, "1"}, {11, "7"}, {21, "-2"}}),
         one(DXFItemSpline, [](const ItemRec& item) {
             const SplineRec& spline = item.it_Spline;
             EXPECT_EQ(spline.sp_Flags, uint32_t{DXFSplineFitPoints});
             EXPECT_EQ(spline.sp_Degree, 4);
             EXPECT_EQ(spline.sp_NumKnots, 0);
             ASSERT_EQ(spline.sp_NumPoints, 3);
             expect_point(spline.sp_Points[2], 7, -2, 0);
             expect_point(spline.sp_Min, 0, -2, 0);
         })},
        {"INSERT of an array",
         entity("INSERT", {{2, "DOOR"}, {10, "1"}, {20, "2"}, {41, "2"}, {42, "3"}, {44, "10"},
                           {45, "5"}, {50, "90"}, {70, "3"}, {71, "2"}, {210, "0"}, {230, "-1"}}),
         [](const std::vector<const ItemRec*>& items, DXFDrawingRec& drawing) {
             ASSERT_EQ(items.size(), 1u);
             const InsertRec& insert = items[0]->it_Insert;
             EXPECT_EQ(insert.in_ArrayKind, 1);
             expect_point(insert.in_Point, 1, 2, 0);
             expect_point(insert.in_Scale, 2, 3, 1);
             expect_point(insert.in_Extrusion, 0, 0, -1);
             EXPECT_EQ(insert.in_Columns, 3);
             EXPECT_EQ(insert.in_Rows, 2);
             EXPECT_EQ(insert.in_ColumnSpacing, 10.0);
             EXPECT_EQ(insert.in_RowSpacing, 5.0);
             EXPECT_NEAR(insert.in_Rotation, kPi / 2, kNear);
             // The array turns with the block.
             EXPECT_EQ(insert.in_ColumnAngle, insert.in_Rotation);
             EXPECT_NEAR(insert.in_RowAngle, kPi, kNear);
             EXPECT_EQ(insert.in_BlockIndex, -1);
             ASSERT_EQ(drawing.dxf_BlockIdentifierBuffer.bib_N, 1);
             EXPECT_EQ(insert.in_BlockName, drawing.dxf_BlockIdentifierBuffer.bib_Blocks[0]->bi_Name);
             EXPECT_STREQ(insert.in_BlockName, "DOOR");
         }},
        {"INSERT with attributes",
         {{0, "INSERT"}, {2, "TAG"}, {66, "1"}, {0, "ATTRIB"}, {8, "A"}, {1, "value"}, {2, "NAME"},
          {0, "ATTRIB"}, {1, "other"}, {0, "SEQEND"}, {0, "EOF"}},
         [](const std::vector<const ItemRec*>& items, DXFDrawingRec&) {
             // Attributes are items of their own, kept by their head alone.
             ASSERT_EQ(items.size(), 3u);
             EXPECT_EQ(items[0]->it_Header.ih_ItemType, DXFItemInsert);
             EXPECT_EQ(items[1]->it_Header.ih_ItemType, DXFItemAttrib);
             EXPECT_EQ(items[1]->it_Header.ih_Layer, 1);
             EXPECT_EQ(items[2]->it_Header.ih_ItemType, DXFItemAttrib);
             EXPECT_EQ(items[2]->it_Header.ih_ItemSize, static_cast<int32_t>(offsetof(ItemRec, it_Block)));
         }},
        {"INSERT with counts beyond 16 bits",
         entity("INSERT", {{2, "B"}, {70, "100000"}, {71, "-100000"}}), one(DXFItemInsert, [](const ItemRec& item) {
             EXPECT_EQ(item.it_Insert.in_Columns, 32767);
             EXPECT_EQ(item.it_Insert.in_Rows, -32768);
         }),
         {},
         false},
        {"INSERT without rotation keeps the default axes",
         entity("INSERT", {{2, "B"}, {70, "2"}}), one(DXFItemInsert, [](const ItemRec& item) {
             EXPECT_EQ(item.it_Insert.in_ColumnAngle, 0.0);
             EXPECT_EQ(item.it_Insert.in_RowAngle, kPi / 2);
             expect_point(item.it_Insert.in_Scale, 1, 1, 1);
             expect_point(item.it_Insert.in_Extrusion, 0, 0, 1);
         })},
    };
    return rows;
}

TEST(DxfReadEntity, ReadsEveryEntityKindIntoItsItem)
{
    for (const EntityRow& row : entity_rows()) {
        SCOPED_TRACE(row.name);
        Drawing drawing;
        EXPECT_EQ(dxf_test::parse_entities(drawing.get(), dxf_test::ascii(row.groups),
                                           &drawing->dxf_ItemBuffer, row.offset),
                  0);
        row.check(items_of(drawing->dxf_ItemBuffer), drawing.record);
    }
}

TEST(DxfReadEntity, BinaryEncodingsReadToTheSameItems)
{
    for (const EntityRow& row : entity_rows()) {
        if (!row.same_in_binary)
            continue;
        SCOPED_TRACE(row.name);
        std::vector<std::string> described;
        for (const std::string& bytes : {dxf_test::ascii(row.groups), dxf_test::binary(row.groups, 1),
                                         dxf_test::binary(row.groups, 2)}) {
            Drawing drawing;
            dxf_test::parse_entities(drawing.get(), bytes, &drawing->dxf_ItemBuffer, row.offset);
            std::string text;
            for (const ItemRec* item : items_of(drawing->dxf_ItemBuffer))
                text += describe(*item) + "\n";
            described.push_back(text);
        }
        EXPECT_EQ(described[1], described[0]);
        EXPECT_EQ(described[2], described[0]);
    }
}

TEST(DxfReadEntity, InsertFindsABlockAlreadyKnown)
{
    Drawing drawing;
    ASSERT_EQ(AddBlockIdentifier(&drawing->dxf_BlockIdentifierBuffer, "DOOR", 4, 0), 1);
    dxf_test::parse_entities(drawing.get(), dxf_test::ascii(entity("INSERT", {{2, "DOOR"}})),
                             &drawing->dxf_ItemBuffer);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 1);
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_Items[0]->it_Insert.in_BlockIndex, 4);
    EXPECT_EQ(drawing->dxf_BlockIdentifierBuffer.bib_N, 1);
}

TEST(DxfReadEntity, LeavesTheNextEntityNameAndEmptiesTheBufferAtTheEnd)
{
    Drawing drawing;
    dxf_test::MemoryStream stream(dxf_test::ascii({{0, "LINE"}, {10, "1"}, {0, "ENDSEC"}, {0, "POINT"}, {10, "2"}}));
    halvern::DXFLineCounter = 0;
    VertexListRec vertices{};
    int32_t result = 0;
    char value[DXF_GROUP_VALUE_SIZE];
    int32_t code = 0;
    int32_t ok = 0;
    halvern::DXFReadGroupASCII(stream.get(), &code, value, DXF_GROUP_VALUE_SIZE, &ok);
    ASSERT_EQ(halvern::DXFReadEntity(drawing.get(), 0, value, 0, 0, 0, &vertices, &result,
                                     &drawing->dxf_ItemBuffer, stream.get()),
              1);
    EXPECT_STREQ(value, "ENDSEC");
    EXPECT_EQ(halvern::DXFReadEntity(drawing.get(), 0, value, 0, 0, 0, &vertices, &result,
                                     &drawing->dxf_ItemBuffer, stream.get()),
              0)
        << "not an entity: nothing read";
    halvern::DXFReadGroupASCII(stream.get(), &code, value, DXF_GROUP_VALUE_SIZE, &ok);
    ASSERT_STREQ(value, "POINT");
    EXPECT_EQ(halvern::DXFReadEntity(drawing.get(), 0, value, 0, 0, 0, &vertices, &result,
                                     &drawing->dxf_ItemBuffer, stream.get()),
              1);
    EXPECT_STREQ(value, "") << "the POINT was cut off by the end";
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 1);
    EXPECT_EQ(result, 0);
    DXFVertexListFree(&vertices);
}

TEST(DxfReadEntity, GroupStreamsCutAtEveryLengthMakeOnlyCompleteItems)
{
    const std::vector<Group> groups = concat(
        concat(concat({{0, "LINE"}, {8, "L"}, {10, "1"}, {0, "LWPOLYLINE"}, {10, "0"}, {20, "0"},
                       {42, "1"}, {10, "1"}, {20, "1"}, {0, "POLYLINE"}, {70, "4"}},
                      vertices({{{10, "0"}, {70, "16"}}, {{10, "1"}, {70, "16"}}, {{10, "2"}, {70, "16"}}})),
               {{0, "SEQEND"}, {0, "SPLINE"}, {72, "4"}, {40, "0"}, {40, "0"}, {40, "1"},
                {40, "1"}, {10, "0"}, {10, "1"}, {0, "TEXT"}, {1, "hello"}, {0, "INSERT"}, {2, "B"},
                {70, "2"}}),
        {{0, "MTEXT"}, {1, "x"}, {71, "9"}, {0, "EOF"}});
    for (const std::string& whole : {dxf_test::ascii(groups), dxf_test::binary(groups, 2)}) {
        Drawing complete;
        dxf_test::parse_entities(complete.get(), whole, &complete->dxf_ItemBuffer);
        ASSERT_EQ(complete->dxf_ItemBuffer.ib_N, 7);
        for (size_t length = 0; length < whole.size(); ++length) {
            SCOPED_TRACE(length);
            Drawing drawing;
            EXPECT_EQ(dxf_test::parse_entities(drawing.get(), whole.substr(0, length), &drawing->dxf_ItemBuffer), 0);
            ASSERT_LE(drawing->dxf_ItemBuffer.ib_N, 7);
            for (int32_t i = 0; i < drawing->dxf_ItemBuffer.ib_N; ++i)
                EXPECT_EQ(drawing->dxf_ItemBuffer.ib_Items[i]->it_Header.ih_ItemType,
                          complete->dxf_ItemBuffer.ib_Items[i]->it_Header.ih_ItemType);
        }
    }
}

TEST(DxfReadEntity, AnItemThatCannotBeAddedSetsTheResultAndReadingGoesOn)
{
    Drawing drawing;
    const std::string text = dxf_test::ascii({{0, "LINE"}, {10, "1"}, {0, "LINE"}, {10, "2"}, {0, "EOF"}});
    int32_t result = 0;
    {
        // The first growth of the item buffer fails.
        const FailingAllocations failing(0, 1);
        result = dxf_test::parse_entities(drawing.get(), text, &drawing->dxf_ItemBuffer);
    }
    EXPECT_EQ(result, -1);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 1);
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_Items[0]->it_Line.ln_Start.x, 2.0);
}

TEST(DxfReadEntity, ItemsGoToTheTargetBufferRelativeToTheBlockBase)
{
    Drawing drawing;
    dxf_test::parse_entities(drawing.get(),
                             dxf_test::ascii({{0, "LINE"}, {10, "10"}, {20, "5"}, {11, "20"}, {21, "5"}, {0, "EOF"}}),
                             &drawing->dxf_BlockItemBuffer, Point3DRec{10, 5, 0});
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 0);
    ASSERT_EQ(drawing->dxf_BlockItemBuffer.ib_N, 1);
    expect_point(drawing->dxf_BlockItemBuffer.ib_Items[0]->it_Line.ln_Start, 0, 0, 0);
    expect_point(drawing->dxf_BlockItemBuffer.ib_Items[0]->it_Line.ln_End, 10, 0, 0);
}

TEST(DxfReadEntity, LargePolylinesKeepEveryVertex)
{
    std::vector<Group> groups = {{0, "LWPOLYLINE"}};
    constexpr int kVertices = 20000;
    for (int i = 0; i < kVertices; ++i) {
        groups.push_back(Group{10, std::to_string(i)});
        groups.push_back(Group{20, std::to_string(i % 7)});
    }
    groups.push_back(Group{0, "EOF"});
    Drawing drawing;
    dxf_test::parse_entities(drawing.get(), dxf_test::binary(groups, 2), &drawing->dxf_ItemBuffer);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 1);
    const PolylineRec& polyline = drawing->dxf_ItemBuffer.ib_Items[0]->it_Polyline;
    ASSERT_EQ(polyline.pl_NumVertices, kVertices);
    expect_point(polyline.pl_Vertices[kVertices - 1].vx_Point, kVertices - 1, (kVertices - 1) % 7, 0);
    expect_point(polyline.pl_Max, kVertices - 1, 6, 0);
}

TEST(DxfPolylineCorners, IncludeEveryVertexAndTheArcsExtremes)
{
    // The last vertex carries a stray bulge: it still counts.
    const VertexRec vertices[] = {{{0, 0, 0}, 0.0, 0}, {{2, 0, 0}, -1.0, 0}, {{4, 0, 0}, 0.0, 0},
                                  {{4, 5, 0}, 0.7, 0}};
    Point3DRec min{};
    Point3DRec max{};
    halvern::DXFPolylineCorners(vertices, 4, &min, &max);
    expect_point(min, 0, 0, 0);
    expect_point(max, 4, 5, 0);
    // The bulge -1 from (2, 0) to (4, 0) is the half circle above the chord.
    halvern::DXFPolylineCorners(vertices, 3, &min, &max);
    expect_point(max, 4, 1, 0);
    halvern::DXFPolylineCorners(vertices, 0, &min, &max);
    expect_point(min, 0, 0, 0);
    expect_point(max, 0, 0, 0);
}

}
