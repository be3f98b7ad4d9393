// The filter's expression language: scanner, evaluator, item properties and
// ScanDXFFilter.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drawing_fixture.h"
#include "filter/expr_evaluator.h"
#include "filter/expr_scanner.h"
#include "filter/filter_context.h"
#include "filter_test_support.h"
#include "halvern/filter.h"

namespace {

using halvern::DXFExprScanner;

struct Token {
    int32_t type;
    int32_t length;
};

std::vector<Token> scan(const char* text, int32_t* error = nullptr, int32_t* position = nullptr)
{
    DXFExprScanner scanner(text, nullptr, nullptr);
    std::vector<Token> tokens;
    for (int i = 0; i < 20; ++i) {
        const int32_t type = scanner.next();
        tokens.push_back(Token{type, scanner.token_length()});
        if (type == halvern::DXFTokenEnd || type == halvern::DXFTokenNone)
            break;
    }
    if (error != nullptr)
        *error = scanner.error();
    if (position != nullptr)
        *position = scanner.error_position();
    return tokens;
}

std::vector<int32_t> types(const std::vector<Token>& tokens)
{
    std::vector<int32_t> out;
    for (const Token& token : tokens)
        out.push_back(token.type);
    return out;
}

TEST(FilterExprScanner, TokenSequences)
{
    struct Case {
        const char* text;
        std::vector<int32_t> types;
    };
    const Case cases[] = {
        {"x1>=5", {503, 824, 504, 845}},
        {"a = b", {503, 820, 503, 845}},
        {"0x1F 0b102 017", {504, 504, 504, 504, 845}},
        {"3. 1.5e-3 2e5 7", {505, 505, 505, 504, 845}},
        {"f (x) g(", {501, 841, 503, 842, 501, 841, 845}},
        {"a:: b: :", {508, 500, 500, 503, 500, 500, 845}},
        {"!a != b & c && d | e || f",
         {800, 503, 825, 503, 815, 503, 815, 503, 816, 503, 816, 503, 845}},
        {"<<=>/*+-;~?", {821, 822, 823, 830, 832, 828, 829, 500, 500, 500, 845}},
        {"a?b~c\"d", {503, 845}},
        {"  \t\n", {845}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(types(scan(c.text)), c.types);
    }
}

TEST(FilterExprScanner, LengthsTellSingleFromDoubleForms)
{
    const auto single = scan("a=b");
    const auto twice = scan("a==b");
    ASSERT_EQ(single.size(), 4u);
    ASSERT_EQ(twice.size(), 4u);
    EXPECT_EQ(single[1].type, 820);
    EXPECT_EQ(single[1].length, 1);
    EXPECT_EQ(twice[1].type, 820);
    EXPECT_EQ(twice[1].length, 2);
}

TEST(FilterExprScanner, StringLiteralsJoinAcrossNewlines)
{
    DXFExprScanner scanner("\"ab\\\"c\"\n  'd\\x41\\101\\n'", nullptr, nullptr);
    EXPECT_EQ(scanner.next(), 506);
    EXPECT_EQ(scanner.text(), "ab\"cdAA\n");
    EXPECT_EQ(scanner.next(), 845);
}

TEST(FilterExprScanner, Errors)
{
    struct Case {
        const char* text;
        int32_t error;
        int32_t position;
    };
    const Case cases[] = {
        {"\rx", 1004, 1},      {"a $", 1004, 3},   {"\"abc", 1005, 4},
        {"'ab\ncd'", 1006, 4}, {"'ab\\", 1005, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        int32_t error = 0;
        int32_t position = 0;
        scan(c.text, &error, &position);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(position, c.position);
    }
    // After an identifier a carriage return belongs to it.
    DXFExprScanner scanner("ab\r", nullptr, nullptr);
    EXPECT_EQ(scanner.next(), 503);
    EXPECT_EQ(scanner.text(), "ab\r");
}

TEST(FilterExprScanner, UnescapesAsTheNameStrings)
{
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"a\\tb", "a\tb"},        {"\\e\\a\\b\\f\\v\\r", "\x1b\a\b\f\v\r"},
        {"\\101\\1010", "A\x08"}, {"\\0101", "A"},
        {"\\x41\\x4142", "AB"},   {"\\xg", "xg"},
        {"\\q\\\\", "q\\"},       {"end\\", "end"},
        {"\\777", "\xff"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text;
        text.resize(halvern::FilterUnescape(text.data(), static_cast<uint32_t>(text.size())));
        EXPECT_EQ(text, c.expected);
    }
}

class FilterExpr : public ::testing::Test {
protected:
    FilterExpr()
    {
        GetLayer(&m_drawing->dxf_LayerTable, "0");
        m_line = halvern_test::make_line(m_drawing.pool(), 6, 1, 10, 2);
        m_line->it_Header.ih_Layer = GetLayer(&m_drawing->dxf_LayerTable, "0");
    }

    struct Result {
        int32_t value;
        int32_t error;
        int32_t position;
    };
    Result condition(ItemRec* item, const char* text)
    {
        Result result{};
        result.value = halvern::ExprEvaluateCondition(m_drawing.get(), item, text, &result.error,
                                                      &result.position);
        return result;
    }
    Result statement(ItemRec* item, const char* text)
    {
        Result result{};
        halvern::ExprRunStatement(m_drawing.get(), item, text, &result.error, &result.position);
        return result;
    }

    halvern_test::Drawing m_drawing;
    ItemRec* m_line = nullptr;
};

TEST_F(FilterExpr, ConditionsOnALine)
{
    struct Case {
        const char* text;
        int32_t value;
        int32_t error;
        int32_t position;
    };
    const Case cases[] = {
        {"x1 > 5", 1, 0, -1},
        {"x1 > 5 & y2 = 2", 1, 0, -1},
        {"layer = 0", 1, 0, -1},
        {"layer == \"0\" && line = -1", 1, 0, -1},
        {"layer", 0, 1002, 0},
        {"x1 > 5)", 0, 1000, 6},
        {"()", 0, 0, -1},
        {"", 0, 0, -1},
        {"!\"abc\" = \"cba\"", 1, 0, -1},
        {"+\"aB\" = \"AB\" & -\"aB\" = \"ab\"", 1, 0, -1},
        {"\"abcb\" - \"b\" = \"acb\"", 1, 0, -1},
        {"1 + 2 * 3 = 7", 1, 0, -1},
        {"7 / 2 = 3 & -7 / 2 = -3 & 5 / 0 = 0", 1, 0, -1},
        {"0x10 + 0b11 + 010 = 27", 1, 0, -1},
        {"(0 - 2147483647 - 1) / -1 = 0 - 2147483647 - 1", 1, 0, -1},
        {"2147483647 + 1 < 0", 1, 0, -1},
        {"1.5 + 1 = 2.5 & 1 / 0.0 = 0", 1, 0, -1},
        {"0.0000005", 0, 0, -1},
        {"0.000001", 1, 0, -1},
        {"1 = 1.0000005", 1, 0, -1},
        {"\"a\" + 1 = \"a1\" & \"x\" + 1.5 = \"x1.5000000000\"", 1, 0, -1},
        {"radius", 0, 1002, 6},
        {"(x1 > 5", 0, 1003, 7},
        {"x1 >", 0, 1000, 4},
        {"!!1", 0, 1000, 2},
        {"f(1)", 0, 1000, 1},
        {"in_contour | contour_level = -1", 1, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Result result = condition(m_line, c.text);
        EXPECT_EQ(result.value, c.value);
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(result.position, c.position);
    }
}

TEST_F(FilterExpr, ComparisonsOfRealsHaveATolerance)
{
    m_line->it_Line.ln_Start.x = 5.0000005;
    EXPECT_EQ(condition(m_line, "x1 > 5").value, 0);
    EXPECT_EQ(condition(m_line, "x1 = 5").value, 1);
    EXPECT_EQ(condition(m_line, "x1 >= 5").value, 1);
    m_line->it_Line.ln_Start.x = 6.0;
    EXPECT_EQ(condition(m_line, "x1 > 5").value, 1);
}

TEST_F(FilterExpr, StatementsOnALine)
{
    struct Case {
        const char* text;
        int32_t error;
        double start_x;
    };
    const Case cases[] = {
        {"x1 = 5", 1002, 6.0},           {"x1 = 5.0", 0, 5.0},
        {"x1 == 2.5 * 3", 0, 7.5},       {"x1 = x2 + 1", 0, 11.0},
        {"contour_id = 1.0", 1000, 6.0}, {"radius = 1.0", 1002, 6.0},
        {"x1 5.0", 1000, 6.0},           {"x1 = 5.0 )", 1000, 6.0},
        {"x1 = \"a\"", 1002, 6.0},       {"", 0, 6.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        m_line->it_Line.ln_Start.x = 6.0;
        const Result result = statement(m_line, c.text);
        EXPECT_EQ(result.error, c.error);
        EXPECT_DOUBLE_EQ(m_line->it_Line.ln_Start.x, c.start_x);
    }
    EXPECT_EQ(statement(nullptr, "x1 = 1.0").error, 1008);
    EXPECT_EQ(condition(nullptr, "1").error, 1008);
}

TEST_F(FilterExpr, LayerAssignmentsMakeTheLayer)
{
    ASSERT_EQ(statement(m_line, "layer = 7").error, 0);
    const LayerTableRec& layers = m_drawing->dxf_LayerTable;
    EXPECT_STREQ(layers.lt_Layers[m_line->it_Header.ih_Layer]->ld_Name, "7");
    ASSERT_EQ(statement(m_line, "layer = 1.5").error, 0);
    EXPECT_STREQ(layers.lt_Layers[m_line->it_Header.ih_Layer]->ld_Name, "1.500000");
    ASSERT_EQ(statement(m_line, "layer = \"Cut\" + 2").error, 0);
    EXPECT_STREQ(layers.lt_Layers[m_line->it_Header.ih_Layer]->ld_Name, "Cut2");
    EXPECT_EQ(statement(m_line, "layer = \"\"").error, 1002);
    EXPECT_EQ(condition(m_line, "layer = \"Cut2\"").value, 1);
}

TEST_F(FilterExpr, PropertiesByType)
{
    ItemRec* arc = halvern_test::make_arc(m_drawing.pool(), Point3DRec{1, 1, 0}, 2.0, 0.0,
                                          1.5707963267948966, 1);
    EXPECT_EQ(
        condition(arc, "x1 = 3.0 & y2 = 3.0 & span = 90.0 & end_angle = 90.0 & direction = 1.0")
            .value,
        1);
    ASSERT_EQ(statement(arc, "y1 = 3.0").error, 0);
    EXPECT_NEAR(arc->it_Arc.ar_Start, 0.7853981633974483, 1e-12); // towards (3, 3)
    ASSERT_EQ(statement(arc, "direction = -0.9").error, 0);
    EXPECT_EQ(arc->it_Arc.ar_Dir, -1);

    ItemRec* text = halvern_test::make_text(m_drawing.pool(), "ab");
    ASSERT_EQ(statement(text, "name = \"a longer text\"").error, 0);
    EXPECT_STREQ(text->it_Text.tx_Text, "a longer text");
    EXPECT_EQ(condition(text, "name = \"a longer text\"").value, 1);

    ItemRec* ellipse = CreateItem(DXFItemEllipse, 0, 0, 0, 0, m_drawing.pool());
    ellipse->it_Ellipse.el_MajorAxis = Point3DRec{3, 4, 0};
    EXPECT_EQ(condition(ellipse, "radius = 5.0").value, 1);
    EXPECT_EQ(statement(ellipse, "radius = 1.0").error, 1002);
    EXPECT_EQ(statement(ellipse, "name = \"x\"").error, 1002);

    ItemRec* insert = CreateItem(DXFItemInsert, 0, 0, 0, 0, m_drawing.pool());
    insert->it_Insert.in_ArrayKind = 1;
    insert->it_Insert.in_Rows = 2;
    EXPECT_EQ(condition(insert, "rows = 2.0").value, 1);
    ASSERT_EQ(statement(insert, "cols = 3.6").error, 0);
    EXPECT_EQ(insert->it_Insert.in_Columns, 4);
    ASSERT_EQ(statement(insert, "name = \"PART\"").error, 0);
    char* known = nullptr;
    ASSERT_EQ(IsBlockKnown(&m_drawing->dxf_BlockIdentifierBuffer, "PART", &known, nullptr), 1);
    EXPECT_EQ(insert->it_Insert.in_BlockName, known);
    insert->it_Insert.in_ArrayKind = 2;
    EXPECT_EQ(condition(insert, "x1 = 0.0").error, 1002);
}

// A square of four LINEs from lo to hi.
std::string square(double lo, double hi)
{
    return filter_test::line(lo, lo, hi, lo) + filter_test::line(hi, lo, hi, hi) +
           filter_test::line(hi, hi, lo, hi) + filter_test::line(lo, hi, lo, lo);
}

TEST(FilterExprContours, MaterialHoleAndOutside)
{
    filter_test::FilterFolder folder;
    const std::string path = folder.write(
        "in.dxf", filter_test::dxf(square(0, 10) + square(3, 7) + filter_test::point(1, 1) +
                                   filter_test::point(5, 5) + filter_test::point(20, 20)));
    DXFDrawingRec drawing;
    NewDXFDrawing(&drawing);
    ASSERT_EQ(ReadDXF(path.c_str(), &drawing), 0);
    ASSERT_EQ(ContourDXFDrawing(&drawing, 1e-6, 1, 0, nullptr, nullptr), 0);
    std::vector<ItemRec*> points;
    ItemRec* outer_line = nullptr;
    for (int32_t i = 0; i < drawing.dxf_ItemBuffer.ib_N; ++i) {
        ItemRec* item = drawing.dxf_ItemBuffer.ib_Items[i];
        if (item->it_Header.ih_ItemType == DXFItemPoint)
            points.push_back(item);
        else if (outer_line == nullptr)
            outer_line = item;
    }
    ASSERT_EQ(points.size(), 3u);
    const char* properties[] = {"inside_material", "inside_hole", "outside_all"};
    const int32_t expected[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (size_t p = 0; p < 3; ++p) {
        for (size_t q = 0; q < 3; ++q) {
            SCOPED_TRACE(std::string(properties[q]) + " of point " + std::to_string(p));
            int32_t error = 0;
            int32_t position = 0;
            EXPECT_EQ(halvern::ExprEvaluateCondition(&drawing, points[p], properties[q], &error,
                                                     &position),
                      expected[p][q]);
            EXPECT_EQ(error, 0);
        }
    }
    int32_t error = 0;
    int32_t position = 0;
    EXPECT_EQ(halvern::ExprEvaluateCondition(
                  &drawing, outer_line,
                  "in_closed_contour & contour_level = 0 & has_inner_closed_contours & "
                  "inside_material & !touches_contour & !crosses_contour",
                  &error, &position),
              1);
    EXPECT_EQ(error, 0);
    FreeDXFDrawing(&drawing);
}

TEST(FilterScan, AnswersTheFailingIndex)
{
    int32_t code = 0;
    int32_t position = 0;
    const DXFDeleteRule good{DXFItemLine, "x1 > 5"};
    const DXFDeleteRule bad{DXFItemLine, "layer"};
    const DXFModifyRule modify{DXFItemPoint, "x1 > (", "not even tried"};
    const DXFDeleteRule any{DXFF_ANY_TYPE, ")))"};
    {
        filter_test::Tags tags;
        tags.add(DXFF_ErrorCode, &code)
            .add(DXFF_ErrorPosition, &position)
            .add(DXFF_Delete, &good)
            .add(DXFF_Delete, &bad);
        EXPECT_EQ(ScanDXFFilter(tags.get()), 3);
        EXPECT_EQ(code, 1002);
        EXPECT_EQ(position, 0);
    }
    {
        filter_test::Tags tags;
        tags.add(DXFF_Modify, &modify).add(DXFF_ErrorPosition, &position);
        EXPECT_EQ(ScanDXFFilter(tags.get()), 0);
        EXPECT_EQ(position, 6);
    }
    {
        filter_test::Tags tags;
        tags.add(DXFF_Delete, &any).add(DXFF_Delete, static_cast<const DXFDeleteRule*>(nullptr));
        EXPECT_EQ(ScanDXFFilter(tags.get()), -1);
    }
    EXPECT_EQ(ScanDXFFilter(nullptr), -1);
}

}
