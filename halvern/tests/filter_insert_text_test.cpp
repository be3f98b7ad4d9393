// The DXF filter's INSERT explosion and flattening and its joining of texts.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "filter_test_support.h"
#include "halvern/filter.h"
#include "test_support/files.h"

namespace {

using filter_test::block;
using filter_test::dxf;
using filter_test::FilterFolder;
using filter_test::group;
using filter_test::number;
using filter_test::ReadBack;
using filter_test::Tags;
using test_support::read_file;

// An INSERT with an array of rows by columns at spacing 100.
std::string array_insert(const std::string& name, double x, double y, int rows, int columns)
{
    return group(0, "INSERT") + group(8, "0") + group(2, name) + group(10, number(x)) +
           group(20, number(y)) + group(30, "0") + group(70, std::to_string(columns)) +
           group(71, std::to_string(rows)) + group(44, "100") + group(45, "100");
}

struct Filtered {
    FilterFolder folder;
    std::string output;
    int32_t result = 0;
    std::string text;

    Filtered(const std::string& file, Tags& tags)
    {
        const std::string input = folder.write("in.dxf", file);
        output = folder.path("out.dxf");
        result = FilterDXF(input.c_str(), output.c_str(), tags.get());
        text = read_file(output);
    }
};

const std::string kSquare = filter_test::line(0, 0, 1, 0) + filter_test::line(1, 0, 1, 1);

TEST(FilterInserts, FlatteningGivesEveryPlacementANumberedBlock)
{
    for (const bool existing_one : {false, true}) {
        SCOPED_TRACE(existing_one);
        std::string blocks = block("part", kSquare);
        if (existing_one)
            blocks += block("1", filter_test::point(0, 0));
        Tags tags;
        tags.add(DXFF_FlattenInserts, 1);
        Filtered out(
            dxf(array_insert("part", 0, 0, 2, 3) + array_insert("part", 1000, 0, 2, 3), blocks),
            tags);
        ASSERT_EQ(out.result, 0);
        ReadBack back(out.output);
        ASSERT_EQ(back.result, 0);
        const auto inserts = back.items_of(DXFItemInsert);
        ASSERT_EQ(inserts.size(), 12u);
        const int first = existing_one ? 2 : 1;
        for (size_t i = 0; i < inserts.size(); ++i) {
            const InsertRec& insert = inserts[i]->it_Insert;
            EXPECT_EQ(std::string(insert.in_BlockName),
                      std::to_string(first + static_cast<int>(i)));
            EXPECT_EQ(insert.in_Rows, 1);
            EXPECT_NEAR(insert.in_Point.x, 0.0, 1e-9);
        }
        // The old blocks are gone; each new one holds its placement's lines.
        EXPECT_EQ(out.text.find("\r\npart\r\n"), std::string::npos);
        EXPECT_EQ(back.drawing.dxf_BlockIdentifierBuffer.bib_N, 12);
        const ItemBufferRec& items = back.drawing.dxf_BlockItemBuffer;
        int lines = 0;
        double largest_x = 0.0;
        for (int32_t i = 0; i < items.ib_N; ++i) {
            if (items.ib_Items[i]->it_Header.ih_ItemType == DXFItemLine) {
                ++lines;
                largest_x = std::max(largest_x, items.ib_Items[i]->it_Line.ln_Start.x);
            }
        }
        EXPECT_EQ(lines, 24);
        EXPECT_NEAR(largest_x, 1201.0, 1e-6); // the second INSERT's last column
    }
}

TEST(FilterInserts, ExplodingPlacesTheBlockForEveryCell)
{
    Tags tags;
    tags.add(DXFF_ExplodeInserts, 1);
    Filtered out(dxf(array_insert("part", 0, 0, 2, 3) + filter_test::insert("missing", 5, 5) +
                         filter_test::point(7, 7),
                     block("part", kSquare)),
                 tags);
    ASSERT_EQ(out.result, 0);
    ReadBack back(out.output);
    ASSERT_EQ(back.result, 0);
    EXPECT_EQ(back.items_of(DXFItemLine).size(), 12u);
    EXPECT_TRUE(back.items_of(DXFItemInsert).empty());
    EXPECT_EQ(back.items_of(DXFItemPoint).size(), 1u);
    EXPECT_EQ(out.text.find("BLOCKS"), std::string::npos);
    EXPECT_EQ(out.text.find("ENDBLK"), std::string::npos);
    EXPECT_NE(out.text.find(" 0\r\nSECTION\r\n 2\r\nENTITIES\r\n"), std::string::npos);
    EXPECT_EQ(out.text.substr(out.text.size() - 9), " 0\r\nEOF\r\n");
}

TEST(FilterInserts, ExplodingWithBlocksLastStillEndsTheFile)
{
    // BLOCKS after ENTITIES, and an INSERT of a block whose name begins with BLOCKS.
    const std::string file = group(0, "SECTION") + group(2, "ENTITIES") +
                             filter_test::insert("BLOCKS2", 0, 0) + filter_test::point(3, 3) +
                             group(0, "ENDSEC") + group(0, "SECTION") + group(2, "BLOCKS") +
                             block("BLOCKS2", kSquare) + group(0, "ENDSEC") + group(0, "EOF");
    Tags tags;
    tags.add(DXFF_ExplodeInserts, 1);
    Filtered out(file, tags);
    ASSERT_EQ(out.result, 0);
    ReadBack back(out.output);
    ASSERT_EQ(back.result, 0);
    EXPECT_EQ(back.items_of(DXFItemLine).size(), 2u);
    EXPECT_EQ(back.items_of(DXFItemPoint).size(), 1u);
    EXPECT_EQ(out.text.find("ENDBLK"), std::string::npos);
    EXPECT_EQ(out.text.substr(out.text.size() - 21), " 0\r\nENDSEC\r\n 0\r\nEOF\r\n");
}

TEST(FilterInserts, NestedExplosionKeepsTheBlocks)
{
    // An INSERT among the entities of a block whose name begins with BLOCKS opens no
    // BLOCKS section: the INSERTs after it stay.
    const std::string blocks =
        block("inner", kSquare) + block("BLOCKS2", kSquare) +
        block("outer", filter_test::insert("inner", 10, 0) + filter_test::point(0, 0));
    Tags tags;
    tags.add(DXFF_ExplodeNestedInserts, 1);
    Filtered out(
        dxf(filter_test::insert("BLOCKS2", 0, 0) + filter_test::insert("outer", 100, 0), blocks),
        tags);
    ASSERT_EQ(out.result, 0);
    ReadBack back(out.output);
    ASSERT_EQ(back.result, 0);
    // The outer block now holds the inner block's lines, moved by 10; no INSERT in it.
    char* name = nullptr;
    int32_t index = -1;
    ASSERT_EQ(IsBlockKnown(&back.drawing.dxf_BlockIdentifierBuffer, "outer", &name, &index), 1);
    const ItemBufferRec& items = back.drawing.dxf_BlockItemBuffer;
    int lines = 0;
    for (int32_t i = index + 1; i < items.ib_N; ++i) {
        const ItemRec* item = items.ib_Items[i];
        if (item->it_Header.ih_ItemType == DXFItemEndBlock)
            break;
        EXPECT_NE(item->it_Header.ih_ItemType, DXFItemInsert);
        if (item->it_Header.ih_ItemType == DXFItemLine) {
            ++lines;
            EXPECT_GE(item->it_Line.ln_Start.x, 10.0 - 1e-9);
        }
    }
    EXPECT_EQ(lines, 2);
    EXPECT_EQ(back.items_of(DXFItemInsert).size(), 2u);
}

std::string text(double x, double y, const std::string& value, const std::string& layer = "0",
                 double height = 2.5)
{
    return group(0, "TEXT") + group(8, layer) + group(10, number(x)) + group(20, number(y)) +
           group(30, "0") + group(40, number(height)) + group(1, value);
}

TEST(FilterTexts, StackedLinesJoinTopToBottom)
{
    struct Case {
        const char* name;
        std::string entities;
        double spacing;
        const char* separator;
        std::vector<std::string> texts; // in file order
    };
    const std::string stack =
        text(0, 0, "bottom") + text(0, 10, "top", "0", 3.0) + text(0, 5, "middle");
    const Case cases[] = {
        {"joined", stack, 5.0, "|", {"top|middle|bottom"}},
        {"too far apart", stack, 4.99, "|", {"bottom", "top", "middle"}},
        {"special layer", text(0, 0, "a", "tabs") + text(0, 5, "b", "TaBs"), 5.0, "|", {"a", "b"}},
        {"empty separator", stack, 5.0, "", {"bottom", "top", "middle"}},
        {"other layer", text(0, 0, "a", "x") + text(0, 5, "b", "y"), 5.0, "|", {"a", "b"}},
        {"offset sideways", text(0, 0, "a") + text(0.5, 5, "b"), 5.0, "|", {"a", "b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tags tags;
        const double offset = 0.0;
        tags.add(DXFF_JoinTexts, 1)
            .add(DXFF_JoinSeparator, c.separator)
            .add(DXFF_JoinSpacing, &c.spacing)
            .add(DXFF_JoinOffset, &offset);
        Filtered out(dxf(c.entities), tags);
        ASSERT_EQ(out.result, 0);
        ReadBack back(out.output);
        ASSERT_EQ(back.result, 0);
        const auto texts = back.items_of(DXFItemText);
        ASSERT_EQ(texts.size(), c.texts.size());
        for (size_t i = 0; i < texts.size(); ++i)
            EXPECT_EQ(std::string(texts[i]->it_Text.tx_Text), c.texts[i]);
    }
}

TEST(FilterTexts, TheJoinedTextTakesTheBottomPointAndTheTopsLook)
{
    Tags tags;
    const double spacing = 5.0;
    tags.add(DXFF_JoinTexts, 1).add(DXFF_JoinSeparator, " ").add(DXFF_JoinSpacing, &spacing);
    Filtered out(dxf(text(20, 10, "top", "L", 3.0) + text(20, 5, "middle", "L") +
                     text(20, 0, "bottom", "L")),
                 tags);
    ReadBack back(out.output);
    const auto texts = back.items_of(DXFItemText);
    ASSERT_EQ(texts.size(), 1u);
    const TextRec& joined = texts[0]->it_Text;
    EXPECT_STREQ(joined.tx_Text, "top middle bottom");
    EXPECT_NEAR(joined.tx_Point.x, 20.0, 1e-6);
    EXPECT_NEAR(joined.tx_Point.y, 0.0, 1e-6);
    EXPECT_NEAR(joined.tx_Height, 3.0, 1e-6);
    const LayerDataRec* layer = back.drawing.dxf_LayerTable.lt_Layers[texts[0]->it_Header.ih_Layer];
    EXPECT_STREQ(layer->ld_Name, "L");
}

}
