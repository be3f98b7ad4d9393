// DXFScale and DXFTranslate for every item type.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "drawing_fixture.h"
#include "halvern/halvern.h"

namespace {

using halvern_test::Drawing;

constexpr double kPi = 3.141592653589793;
constexpr double kNear = 1e-9;

void expect_point(const Point3DRec& actual, double x, double y, double z)
{
    EXPECT_NEAR(actual.x, x, kNear);
    EXPECT_NEAR(actual.y, y, kNear);
    EXPECT_NEAR(actual.z, z, kNear);
}

// A point p moved by (1, 2, 3) and then scaled by 2.
Point3DRec moved_and_doubled(double x, double y, double z)
{
    return Point3DRec{(x + 1) * 2, (y + 2) * 2, (z + 3) * 2};
}

void expect_moved_and_doubled(const Point3DRec& actual, double x, double y, double z)
{
    const Point3DRec expected = moved_and_doubled(x, y, z);
    expect_point(actual, expected.x, expected.y, expected.z);
}

struct TypeRow {
    const char* name;
    std::function<ItemRec*(Pool*)> make;
    std::function<void(const ItemRec&)> check;  // after DXFTranslate(1, 2, 3), DXFScale(2)
};

ItemRec* make(Pool* pool, int32_t type)
{
    return CreateItem(type, 0, 0, 0, 0, pool);
}

std::vector<TypeRow> type_rows()
{
    return {
        {"POINT",
         [](Pool* pool) {
             ItemRec* item = make(pool, DXFItemPoint);
             item->it_Point.pt_Point = Point3DRec{1, 1, 1};
             return item;
         },
         [](const ItemRec& item) { expect_moved_and_doubled(item.it_Point.pt_Point, 1, 1, 1); }},
        {"LINE", [](Pool* pool) { return halvern_test::make_line(pool, 1, 2, 3, 4); },
         [](const ItemRec& item) {
             expect_moved_and_doubled(item.it_Line.ln_Start, 1, 2, 0);
             expect_moved_and_doubled(item.it_Line.ln_End, 3, 4, 0);
         }},
        {"ARC",
         [](Pool* pool) {
             ItemRec* item = make(pool, DXFItemArc);
             item->it_Arc = ArcRec{{1, 2, 0}, 3, 0.5, 1.0, -1};
             return item;
         },
         [](const ItemRec& item) {
             expect_moved_and_doubled(item.it_Arc.ar_Centre, 1, 2, 0);
             EXPECT_EQ(item.it_Arc.ar_Radius, 6.0);
             EXPECT_EQ(item.it_Arc.ar_Start, 0.5);
             EXPECT_EQ(item.it_Arc.ar_End, 1.0);
             EXPECT_EQ(item.it_Arc.ar_Dir, -1);
         }},
        {"TEXT",
         [](Pool* pool) {
             ItemRec* item = halvern_test::make_text(pool, "abc");
             item->it_Text.tx_Point = Point3DRec{1, 1, 0};
             item->it_Text.tx_Point2 = Point3DRec{4, 2, 0};
             item->it_Text.tx_Height = 1.5;
             item->it_Text.tx_Rotation = 0.25;
             return item;
         },
         [](const ItemRec& item) {
             expect_moved_and_doubled(item.it_Text.tx_Point, 1, 1, 0);
             expect_moved_and_doubled(item.it_Text.tx_Point2, 4, 2, 0);
             EXPECT_EQ(item.it_Text.tx_Height, 3.0);
             EXPECT_EQ(item.it_Text.tx_Rotation, 0.25);
             EXPECT_STREQ(item.it_Text.tx_Text, "abc");
         }},
        {"POLYLINE",
         [](Pool* pool) {
             ItemRec* item = halvern_test::make_polyline(pool, {{{0, 0, 0}, 0.5, 0}, {{4, 1, 0}, 0.0, 0}});
             item->it_Polyline.pl_Min = Point3DRec{0, -1, 0};
             item->it_Polyline.pl_Max = Point3DRec{4, 1, 0};
             return item;
         },
         [](const ItemRec& item) {
             const PolylineRec& polyline = item.it_Polyline;
             expect_moved_and_doubled(polyline.pl_Vertices[0].vx_Point, 0, 0, 0);
             expect_moved_and_doubled(polyline.pl_Vertices[1].vx_Point, 4, 1, 0);
             EXPECT_EQ(polyline.pl_Vertices[0].vx_Bulge, 0.5);
             // The stored corners follow in x and y.
             expect_point(polyline.pl_Min, 2, 2, 0);
             expect_point(polyline.pl_Max, 10, 6, 0);
         }},
        {"ELLIPSE",
         [](Pool* pool) {
             ItemRec* item = make(pool, DXFItemEllipse);
             item->it_Ellipse = EllipseRec{{1, 1, 0}, {2, 0, 0}, 0.5, 0.1, 0.2, 0.0, 1};
             return item;
         },
         [](const ItemRec& item) {
             expect_moved_and_doubled(item.it_Ellipse.el_Centre, 1, 1, 0);
             expect_point(item.it_Ellipse.el_MajorAxis, 4, 0, 0);
             EXPECT_EQ(item.it_Ellipse.el_Ratio, 0.5);
             EXPECT_EQ(item.it_Ellipse.el_Start, 0.1);
             EXPECT_EQ(item.it_Ellipse.el_Angle, 0.0);
         }},
        {"SPLINE",
         [](Pool* pool) {
             ItemRec* item = halvern_test::make_spline(pool, {{0, 0, 0}, {1, 2, 0}, {3, 0, 0}},
                                                       {0, 0, 0, 1, 1, 1}, {1, 2, 1});
             item->it_Spline.sp_Max = Point3DRec{3, 2, 0};
             item->it_Spline.sp_StartTangent = Point3DRec{1, 0, 0};
             return item;
         },
         [](const ItemRec& item) {
             const SplineRec& spline = item.it_Spline;
             expect_moved_and_doubled(spline.sp_Points[1], 1, 2, 0);
             expect_moved_and_doubled(spline.sp_Points[2], 3, 0, 0);
             expect_point(spline.sp_Min, 2, 4, 0);
             expect_point(spline.sp_Max, 8, 8, 0);
             EXPECT_EQ(spline.sp_Knots[3], 1.0);
             EXPECT_EQ(spline.sp_Weights[1], 2.0);
             expect_point(spline.sp_StartTangent, 1, 0, 0);
         }},
        {"RAY",
         [](Pool* pool) {
             ItemRec* item = make(pool, DXFItemRay);
             item->it_Ray = RayRec{{1, 1, 0}, {0, 1, 0}};
             return item;
         },
         [](const ItemRec& item) {
             expect_moved_and_doubled(item.it_Ray.ry_Base, 1, 1, 0);
             expect_point(item.it_Ray.ry_Direction, 0, 1, 0);
         }},
        {"XLINE",
         [](Pool* pool) {
             ItemRec* item = make(pool, DXFItemXLine);
             item->it_Ray = RayRec{{0, 0, 0}, {1, 0, 0}};
             return item;
         },
         [](const ItemRec& item) { expect_moved_and_doubled(item.it_Ray.ry_Base, 0, 0, 0); }},
        {"INSERT",
         [](Pool* pool) {
             ItemRec* item = halvern_test::make_insert(pool, nullptr, 0);
             item->it_Insert.in_Point = Point3DRec{5, 5, 0};
             item->it_Insert.in_RowSpacing = 3;
             item->it_Insert.in_ColumnSpacing = 4;
             item->it_Insert.in_Rotation = 0.5;
             item->it_Insert.in_Rows = 2;
             return item;
         },
         [](const ItemRec& item) {
             const InsertRec& insert = item.it_Insert;
             expect_moved_and_doubled(insert.in_Point, 5, 5, 0);
             EXPECT_EQ(insert.in_RowSpacing, 6.0);
             EXPECT_EQ(insert.in_ColumnSpacing, 8.0);
             EXPECT_EQ(insert.in_Rotation, 0.5);
             EXPECT_EQ(insert.in_Rows, 2);
             expect_point(insert.in_Scale, 1, 1, 1);
         }},
        {"circular INSERT",
         [](Pool* pool) {
             ItemRec* item = halvern_test::make_insert(pool, nullptr, 0);
             InsertRec& insert = item->it_Insert;
             insert.in_ArrayKind = 2;
             insert.in_CircRotation = 0.5;
             insert.in_CircRadius = 10;
             insert.in_CircCentre = Point3DRec{1, 1, 0};
             insert.in_CircFirst = Point3DRec{11, 1, 0};
             insert.in_CircStep = 0.25;
             insert.in_CircCount = 6;
             return item;
         },
         [](const ItemRec& item) {
             const InsertRec& insert = item.it_Insert;
             expect_moved_and_doubled(insert.in_CircCentre, 1, 1, 0);
             expect_moved_and_doubled(insert.in_CircFirst, 11, 1, 0);
             EXPECT_EQ(insert.in_CircRadius, 20.0);
             EXPECT_EQ(insert.in_CircRotation, 0.5);
             EXPECT_EQ(insert.in_CircStep, 0.25);
             EXPECT_EQ(insert.in_CircCount, 6);
         }},
        {"3DFACE",
         [](Pool* pool) {
             ItemRec* item = make(pool, DXFItem3DFace);
             item->it_Face.fc_Corners[0] = Point3DRec{1, 0, 0};
             item->it_Face.fc_Corners[3] = Point3DRec{0, 1, 1};
             return item;
         },
         [](const ItemRec& item) {
             expect_moved_and_doubled(item.it_Face.fc_Corners[0], 1, 0, 0);
             expect_moved_and_doubled(item.it_Face.fc_Corners[3], 0, 1, 1);
         }},
        {"BLOCK",
         [](Pool* pool) {
             ItemRec* item = make(pool, DXFItemBlock);
             item->it_Block.bk_Base = Point3DRec{1, 2, 0};
             return item;
         },
         // Members are placed relative to the base: it scales with them but stays put.
         [](const ItemRec& item) { expect_point(item.it_Block.bk_Base, 2, 4, 0); }},
        {"plane composite",
         [](Pool* pool) {
             ItemRec* item = make(pool, DXFItemComposite);
             CompositeRec& composite = item->it_Composite;
             composite.cp_Kind = DXFCompositePlane;
             composite.cp_PlaneC = 1;
             composite.cp_PlaneD = 5;  // z = 5
             composite.cp_PlanePoint = Point3DRec{0, 0, 5};
             composite.cp_Outer.ib_Size = 4;
             AddItemPool(nullptr, &composite.cp_Outer, halvern_test::make_line(pool, 0, 0, 1, 0), pool);
             return item;
         },
         [](const ItemRec& item) {
             const CompositeRec& composite = item.it_Composite;
             EXPECT_EQ(composite.cp_PlaneD, 16.0) << "the plane z = 5 moved to z = 8, then doubled";
             expect_moved_and_doubled(composite.cp_PlanePoint, 0, 0, 5);
             ASSERT_EQ(composite.cp_Outer.ib_N, 1);
             expect_moved_and_doubled(composite.cp_Outer.ib_Items[0]->it_Line.ln_End, 1, 0, 0);
         }},
    };
}

TEST(DxfTransform, TranslateThenScaleMovesEveryPointOfEveryType)
{
    Drawing drawing;
    for (const TypeRow& row : type_rows()) {
        SCOPED_TRACE(row.name);
        ItemRec* item = row.make(drawing.pool());
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(DXFTranslate(item, 1, 2, 3), 0);
        EXPECT_EQ(DXFScale(item, 2), 0);
        row.check(*item);
    }
}

TEST(DxfTransform, ScaleOneAndTranslateZeroChangeNothing)
{
    Drawing drawing;
    for (const TypeRow& row : type_rows()) {
        SCOPED_TRACE(row.name);
        ItemRec* item = row.make(drawing.pool());
        const std::vector<char> before(reinterpret_cast<char*>(item),
                                       reinterpret_cast<char*>(item) + item->it_Header.ih_ItemSize);
        DXFScale(item, 1);
        DXFTranslate(item, 0, 0, 0);
        EXPECT_EQ(std::memcmp(before.data(), item, before.size()), 0);
    }
}

TEST(DxfTransform, TypesWithoutGeometryAndNullItemsAreLeftAlone)
{
    Drawing drawing;
    EXPECT_EQ(DXFScale(nullptr, 2), 0);
    EXPECT_EQ(DXFTranslate(nullptr, 1, 1, 1), 0);
    for (const int32_t type : {DXFItemEndBlock, DXFItemDimension, DXFItemMText, DXFItemSolid}) {
        SCOPED_TRACE(type);
        ItemRec* item = make(drawing.pool(), type);
        const std::vector<char> before(reinterpret_cast<char*>(item),
                                       reinterpret_cast<char*>(item) + item->it_Header.ih_ItemSize);
        EXPECT_EQ(DXFScale(item, 3), 0);
        EXPECT_EQ(DXFTranslate(item, 1, 2, 3), 0);
        EXPECT_EQ(std::memcmp(before.data(), item, before.size()), 0);
    }
    ItemRec* block = make(drawing.pool(), DXFItemBlock);
    block->it_Block.bk_Base = Point3DRec{1, 2, 3};
    DXFTranslate(block, 5, 5, 5);
    expect_point(block->it_Block.bk_Base, 1, 2, 3);
}

// A drawing scaled item by item, blocks first, as the viewer turns inches into
// millimetres: a block's base point is part of every placement of its members, so it
// scales with them and every placed member lands where the whole drawing scaled puts
// it. Moving the top-level items leaves the block alone and moves its placements.
TEST(DxfTransform, ADrawingScaledItemByItemKeepsItsShapeWhereverItsBlocksHaveTheirBase)
{
    Drawing drawing;
    halvern_test::add_block_definition(drawing, "PLATE", {halvern_test::make_line(drawing.pool(), 10, 10, 20, 15)},
                                       Point3DRec{10, 10, 0});
    AddItem(drawing.get(), &drawing->dxf_ItemBuffer,
            halvern_test::make_block_insert(drawing, "PLATE", Point3DRec{5, 0, 0}));
    AddItem(drawing.get(), &drawing->dxf_ItemBuffer, halvern_test::make_line(drawing.pool(), 0, 0, 1, 1));
    CalcDXFDrawingSize(drawing.get());
    const Rectangle2DRec before = drawing->dxf_DrwgSize;
    // The line placed at (5, 0) + (10, 10) + its own points.
    ASSERT_EQ(before.max.x, 35.0);
    ASSERT_EQ(before.max.y, 25.0);

    for (ItemBufferRec* buffer : {&drawing->dxf_BlockItemBuffer, &drawing->dxf_ItemBuffer}) {
        for (int32_t i = 0; i < buffer->ib_N; ++i)
            DXFScale(buffer->ib_Items[i], 25.4);
    }
    CalcDXFDrawingSize(drawing.get());
    EXPECT_NEAR(drawing->dxf_DrwgSize.min.x, 0.0, kNear);
    EXPECT_NEAR(drawing->dxf_DrwgSize.min.y, 0.0, kNear);
    EXPECT_NEAR(drawing->dxf_DrwgSize.max.x, 35.0 * 25.4, kNear);
    EXPECT_NEAR(drawing->dxf_DrwgSize.max.y, 25.0 * 25.4, kNear);

    for (int32_t i = 0; i < drawing->dxf_ItemBuffer.ib_N; ++i)
        DXFTranslate(drawing->dxf_ItemBuffer.ib_Items[i], -1, -2, 0);
    CalcDXFDrawingSize(drawing.get());
    EXPECT_NEAR(drawing->dxf_DrwgSize.min.x, -1.0, kNear);
    EXPECT_NEAR(drawing->dxf_DrwgSize.max.y, 25.0 * 25.4 - 2.0, kNear);
    expect_point(drawing->dxf_BlockItemBuffer.ib_Items[0]->it_Block.bk_Base, 254, 254, 0);
}

TEST(DxfTransform, ANegativeFactorIsAHalfTurnThatKeepsLengthsPositive)
{
    Drawing drawing;
    ItemRec* arc = make(drawing.pool(), DXFItemArc);
    arc->it_Arc = ArcRec{{1, 2, 0}, 3, 0.5, 1.0, 1};
    DXFScale(arc, -2);
    expect_point(arc->it_Arc.ar_Centre, -2, -4, 0);
    EXPECT_EQ(arc->it_Arc.ar_Radius, 6.0);
    EXPECT_NEAR(arc->it_Arc.ar_Start, 0.5 + kPi, kNear);
    EXPECT_NEAR(arc->it_Arc.ar_End, 1.0 + kPi, kNear);

    ItemRec* circle = make(drawing.pool(), DXFItemArc);
    circle->it_Arc = ArcRec{{0, 0, 0}, 1, 0, 2 * kPi, 1};
    DXFScale(circle, -1);
    EXPECT_EQ(circle->it_Arc.ar_Start, 0.0);
    EXPECT_EQ(circle->it_Arc.ar_End, 2 * kPi);

    ItemRec* text = halvern_test::make_text(drawing.pool(), "a");
    text->it_Text.tx_Height = 2;
    DXFScale(text, -0.5);
    EXPECT_EQ(text->it_Text.tx_Height, 1.0);
    EXPECT_NEAR(text->it_Text.tx_Rotation, kPi, kNear);

    ItemRec* ellipse = make(drawing.pool(), DXFItemEllipse);
    ellipse->it_Ellipse = EllipseRec{{1, 0, 0}, {2, 0, 0}, 0.5, 0, kPi, 0.0, 1};
    DXFScale(ellipse, -1);
    expect_point(ellipse->it_Ellipse.el_Centre, -1, 0, 0);
    expect_point(ellipse->it_Ellipse.el_MajorAxis, -2, 0, 0);
    EXPECT_NEAR(ellipse->it_Ellipse.el_Angle, kPi, kNear);
    EXPECT_EQ(ellipse->it_Ellipse.el_End, kPi);

    ItemRec* ray = make(drawing.pool(), DXFItemRay);
    ray->it_Ray = RayRec{{1, 1, 0}, {0.6, 0.8, 0}};
    DXFScale(ray, -1);
    expect_point(ray->it_Ray.ry_Direction, -0.6, -0.8, 0);

    ItemRec* polyline = halvern_test::make_polyline(drawing.pool(), {{{0, 0, 0}, 1.0, 0}, {{2, 0, 0}, 0.0, 0}});
    polyline->it_Polyline.pl_Min = Point3DRec{0, -1, 0};
    polyline->it_Polyline.pl_Max = Point3DRec{2, 0, 0};
    DXFScale(polyline, -1);
    expect_point(polyline->it_Polyline.pl_Min, -2, 0, 0);
    expect_point(polyline->it_Polyline.pl_Max, 0, 1, 0);
    EXPECT_EQ(polyline->it_Polyline.pl_Vertices[0].vx_Bulge, 1.0);
}

}
