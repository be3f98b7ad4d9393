// Element records into drawing items, kind by kind.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>

#include "part_file_writer.h"
#include "trennic/elements.h"
#include "trennic_test_support.h"

namespace {

using trennic_test::Drawing;
using trennic_test::expect_point;
using trennic_test::layer_name;
using trennic_test::record_of;

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The one item a record makes, or nullptr.
ItemRec* convert(Drawing& drawing, const kzv::Element& element, ItemBufferRec* buffer = nullptr)
{
    ItemBufferRec& target = buffer != nullptr ? *buffer : drawing->dxf_ItemBuffer;
    const int32_t before = target.ib_N;
    const QXElementRec record = record_of(element);
    EXPECT_EQ(ElementToItem(drawing.get(), &target, &record), 1);
    return target.ib_N == before + 1 ? target.ib_Items[before] : nullptr;
}

TEST(ElementToItem, EachDrawnKindMakesItsItem)
{
    struct Row {
        const char* what;
        kzv::Element element;
        int32_t type;
        const char* layer;
        std::function<void(const ItemRec&)> check;
    };
    const double root_half = std::sqrt(0.5);
    const Row rows[] = {
        {"line", kzv::line(1, 2, 3, 4).layer(7), DXFItemLine, "7",
         [](const ItemRec& item) {
             expect_point(item.it_Line.ln_Start, 1, 2);
             expect_point(item.it_Line.ln_End, 3, 4);
         }},
        {"construction line at 90 degrees", kzv::construction_line(5, 6, 3, 1, 90).layer(7),
         DXFItemXLine, "Construction",
         [](const ItemRec& item) {
             expect_point(item.it_Ray.ry_Base, 5, 6);
             expect_point(item.it_Ray.ry_Direction, 0, 1);
         }},
        {"construction line at -90 degrees", kzv::construction_line(5, 6, 3, 1, -90), DXFItemXLine,
         "Construction", [](const ItemRec& item) { expect_point(item.it_Ray.ry_Direction, 0, 1); }},
        {"construction line whose direction has no length",
         kzv::construction_line(0, 0, kNaN, 0, 10), DXFItemXLine, "Construction",
         [](const ItemRec& item) { expect_point(item.it_Ray.ry_Direction, 0, 1); }},
        {"construction line whose slope overflows", kzv::construction_line(0, 0, 1e308, 0, 89),
         DXFItemXLine, "Construction",
         [](const ItemRec& item) { expect_point(item.it_Ray.ry_Direction, 0, 1); }},
        {"construction line at 45 degrees", kzv::construction_line(0, 0, 1, 0, 45), DXFItemXLine,
         "Construction",
         [root_half](const ItemRec& item) {
             expect_point(item.it_Ray.ry_Direction, root_half, root_half);
         }},
        {"construction line whose base lies off its equation",
         kzv::construction_line(2, 3, 0.5, 2, 26.5), DXFItemXLine, "Construction",
         [](const ItemRec& item) {
             // Towards (12, 0.5 * 12 + 2): the vector (10, 5).
             const double length = std::sqrt(125.0);
             expect_point(item.it_Ray.ry_Direction, 10 / length, 5 / length);
         }},
        {"circle", kzv::circle(1, 2, 3).layer(4), DXFItemArc, "4",
         [](const ItemRec& item) {
             expect_point(item.it_Arc.ar_Centre, 1, 2);
             EXPECT_EQ(item.it_Arc.ar_Radius, 3);
             EXPECT_EQ(item.it_Arc.ar_Start, 0);
             EXPECT_EQ(item.it_Arc.ar_End, 2 * kPi);
             EXPECT_EQ(item.it_Arc.ar_Dir, 1);
         }},
        {"construction circle", kzv::circle(1, 2, 3).construction().layer(4), DXFItemArc,
         "Construction", nullptr},
        {"clockwise arc", kzv::arc(0, 0, 5, 0, kPi / 2, -1), DXFItemArc, "0",
         [](const ItemRec& item) {
             EXPECT_EQ(item.it_Arc.ar_Start, kPi / 2);
             EXPECT_EQ(item.it_Arc.ar_End, 0);
             EXPECT_EQ(item.it_Arc.ar_Dir, 1);
         }},
        {"counter-clockwise arc keeps its angles as they are", kzv::arc(0, 0, 5, 7, -1, 1),
         DXFItemArc, "0",
         [](const ItemRec& item) {
             EXPECT_EQ(item.it_Arc.ar_Start, 7);
             EXPECT_EQ(item.it_Arc.ar_End, -1);
             EXPECT_EQ(item.it_Arc.ar_Dir, 1);
         }},
        {"text", kzv::text(3, 4, -kPi / 2, 2.5, "PART 7").layer(12), DXFItemText, "12",
         [](const ItemRec& item) {
             expect_point(item.it_Text.tx_Point, 3, 4);
             expect_point(item.it_Text.tx_Point2, 3, 4);
             EXPECT_EQ(item.it_Text.tx_Height, 2.5);
             EXPECT_NEAR(item.it_Text.tx_Rotation, 3 * kPi / 2, 1e-12);
             EXPECT_EQ(item.it_Text.tx_Flags, 0u);
             EXPECT_STREQ(item.it_Text.tx_Text, "PART 7");
         }},
        {"layer id beyond 31 bits is named as a signed number",
         kzv::line(0, 0, 1, 1).layer(0xFFFFFFFF), DXFItemLine, "-1", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Drawing drawing;
        const ItemRec* item = convert(drawing, row.element);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->it_Header.ih_ItemType, row.type);
        EXPECT_STREQ(layer_name(drawing.record, item), row.layer);
        if (row.check)
            row.check(*item);
    }
}

TEST(ElementToItem, ColourAndLineTypeCodesMapThroughTheirTables)
{
    const int32_t colours[16] = {250, 172, 92, 132, 12, 212, 32, 9, 8, 5, 3, 4, 1, 6, 2, 7};
    const int32_t line_types[16] = {0, 0, 1, 2, 3, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Drawing drawing;
    for (uint32_t code = 0; code < 16; ++code) {
        SCOPED_TRACE(code);
        // Only the low four bits of a line-type code count.
        const ItemRec* item =
            convert(drawing, kzv::line(0, 0, 1, 0).colour(code).line_type(0x30 | code));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->it_Header.ih_Colour, colours[code]);
        EXPECT_EQ(item->it_Header.ih_LineType, line_types[code]);
    }
    // A colour code beyond the table takes its layer's colour.
    const ItemRec* item = convert(drawing, kzv::circle(0, 0, 1).colour(16));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->it_Header.ih_Colour, 256);
}

class Placements : public testing::Test {
protected:
    void SetUp() override
    {
        ItemRec* block = CreateItem(DXFItemBlock, 0, 0, 0, 0, drawing->dxf_Pool);
        ASSERT_EQ(AddItem(drawing.get(), &drawing->dxf_BlockItemBuffer, block), 1);
        ASSERT_EQ(AddItem(drawing.get(), &drawing->dxf_BlockItemBuffer,
                          CreateItem(DXFItemEndBlock, 0, 0, 0, 0, drawing->dxf_Pool)),
                  1);
        ASSERT_EQ(AddBlockIdentifier(&drawing->dxf_BlockIdentifierBuffer, "BOLT", 0, 0), 1);
    }

    const InsertRec* insert_of(kzv::Element element)
    {
        const ItemRec* item = convert(drawing, element.colour(5).line_type(3).layer(9));
        if (item == nullptr)
            return nullptr;
        EXPECT_EQ(item->it_Header.ih_ItemType, DXFItemInsert);
        EXPECT_STREQ(layer_name(drawing.record, item), "9");
        // Placements take no colour and no line type of their own.
        EXPECT_EQ(item->it_Header.ih_Colour, 0);
        EXPECT_EQ(item->it_Header.ih_LineType, 0);
        const InsertRec& insert = item->it_Insert;
        EXPECT_EQ(insert.in_BlockName, drawing->dxf_BlockIdentifierBuffer.bib_Blocks[0]->bi_Name);
        EXPECT_EQ(insert.in_BlockIndex, 0);
        expect_point(insert.in_Scale, 1, 1, 1);
        expect_point(insert.in_Extrusion, 0, 0, 1);
        return &insert;
    }

    Drawing drawing;
};

TEST_F(Placements, SinglePlacementIsAOneByOneArray)
{
    const InsertRec* insert = insert_of(kzv::placement("BOLT", 10, 20, -kPi / 2));
    ASSERT_NE(insert, nullptr);
    EXPECT_EQ(insert->in_ArrayKind, 1);
    expect_point(insert->in_Point, 10, 20);
    EXPECT_NEAR(insert->in_Rotation, 3 * kPi / 2, 1e-12);
    EXPECT_EQ(insert->in_Rows, 1);
    EXPECT_EQ(insert->in_Columns, 1);
    EXPECT_EQ(insert->in_RowAngle, kPi / 2);
    EXPECT_EQ(insert->in_ColumnAngle, 0);
    EXPECT_EQ(insert->in_RowSpacing, 0);
    EXPECT_EQ(insert->in_ColumnSpacing, 0);
}

TEST_F(Placements, RectangularArrayTakesItsRowsAndColumns)
{
    const InsertRec* insert = insert_of(kzv::rectangular_array(
        "BOLT", 1, 2, 2 * kPi + 1, 3, kPi / 2 + 1e-9, 7.5, 4, -2 * kPi, 12.5));
    ASSERT_NE(insert, nullptr);
    EXPECT_EQ(insert->in_ArrayKind, 1);
    expect_point(insert->in_Point, 1, 2);
    EXPECT_NEAR(insert->in_Rotation, 1, 1e-12);
    EXPECT_EQ(insert->in_Rows, 3);
    EXPECT_EQ(insert->in_RowAngle, kPi / 2) << "angles are normalised and snapped";
    EXPECT_EQ(insert->in_RowSpacing, 7.5);
    EXPECT_EQ(insert->in_Columns, 4);
    EXPECT_EQ(insert->in_ColumnAngle, 0);
    EXPECT_EQ(insert->in_ColumnSpacing, 12.5);
}

TEST_F(Placements, CircularArrayTakesItsAnglesAsTheyAre)
{
    const InsertRec* insert =
        insert_of(kzv::circular_array("BOLT", 5, 6, -1, 40, 45, 6, -kPi / 3, 6));
    ASSERT_NE(insert, nullptr);
    EXPECT_EQ(insert->in_ArrayKind, 2);
    expect_point(insert->in_CircCentre, 5, 6);
    EXPECT_EQ(insert->in_CircRotation, -1);
    EXPECT_EQ(insert->in_CircRadius, 40);
    expect_point(insert->in_CircFirst, 45, 6);
    EXPECT_EQ(insert->in_CircStep, -kPi / 3);
    EXPECT_EQ(insert->in_CircCount, 6);
}

TEST_F(Placements, UnknownBlockMakesNoItemAndNoError)
{
    for (const kzv::Element& element :
         {kzv::placement("NUT", 0, 0, 0), kzv::rectangular_array("bolt", 0, 0, 0, 1, 0, 0, 1, 0, 0),
          kzv::circular_array("", 0, 0, 0, 1, 1, 0, 1, 2)}) {
        EXPECT_EQ(convert(drawing, element), nullptr);
    }
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 0);
}

TEST(ElementToItem, KindsWithoutItemAndRecordsTooShortMakeNothing)
{
    Drawing drawing;
    for (const kzv::Element& element :
         {kzv::tooling(0), kzv::tooling(115), kzv::tooling_with_word(1),
          kzv::block_begin("B", 0, 0), kzv::block_end(), kzv::line(0, 0, 1, 1).length(103),
          kzv::arc(0, 0, 1, 0, 1, 1).length(123),
          kzv::circular_array("B", 0, 0, 0, 1, 1, 0, 1, 2).length(189), kzv::Element(7).length(75),
          kzv::line(0, 0, 1, 1).length(23)}) {
        SCOPED_TRACE(element.kind());
        EXPECT_EQ(convert(drawing, element), nullptr);
    }
    EXPECT_EQ(drawing->dxf_LayerTable.lt_N, 0) << "no layer is made for nothing";
}

TEST(ElementToItem, TextEndsAtTheRecordsEnd)
{
    Drawing drawing;
    // A text record whose text has no NUL before the record ends.
    kzv::Element element = kzv::text(0, 0, 0, 1, "ABCDEFGH").length(85 + 5);
    const ItemRec* item = convert(drawing, element);
    ASSERT_NE(item, nullptr);
    EXPECT_STREQ(item->it_Text.tx_Text, "ABCDE");
    // A record that ends before its text has an empty one.
    item = convert(drawing, kzv::text(0, 0, 0, 1, "ABC").length(80));
    ASSERT_NE(item, nullptr);
    EXPECT_STREQ(item->it_Text.tx_Text, "");
}

TEST(ElementToItem, FailsOnlyWhenTheItemCannotBeMadeOrAdded)
{
    const QXElementRec line = record_of(kzv::line(0, 0, 1, 1));
    DXFDrawingRec without_pool{};
    NewDXFDrawing(&without_pool);
    EXPECT_EQ(ElementToItem(&without_pool, &without_pool.dxf_ItemBuffer, &line), 0);
    FreeDXFDrawing(&without_pool);

    Drawing drawing;
    EXPECT_EQ(ElementToItem(nullptr, &drawing->dxf_ItemBuffer, &line), 0);
    EXPECT_EQ(ElementToItem(drawing.get(), nullptr, &line), 0);
    EXPECT_EQ(ElementToItem(drawing.get(), &drawing->dxf_ItemBuffer, nullptr), 1);
    for (uint32_t successes = 0; successes < 8; ++successes) {
        int32_t result = 0;
        {
            trennic_test::FailingAllocations failing(successes, 1);
            result = ElementToItem(drawing.get(), &drawing->dxf_ItemBuffer, &line);
        }
        EXPECT_TRUE(result == 0 || result == 1) << successes;
    }
}

}
