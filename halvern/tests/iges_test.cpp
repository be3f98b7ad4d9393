#include "halvern/iges.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "iges/iges_reader.h"
#include "iges_writer.h"
#include "model/memory_handle.h"
#include "drawing_fixture.h"
#include "halvern/drawing.h"
#include "halvern/tables.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/testing.h"
#include "test_support/temp_folder.h"

namespace {

using halvern_test::Drawing;
namespace fs = std::filesystem;

constexpr double kPi = 3.141592653589793;

// The files are written by iges_writer.h.
using namespace iges_writer;

// ---- Reading ----------------------------------------------------------------------------------

int32_t read_text(const std::string& text, DXFDrawingRec* drawing, int32_t units = 0, int32_t top_level = 1,
                  IGESEntityCallback callback = nullptr, void* user = nullptr)
{
    FileHandle handle;
    halvern::DXFMakeMemoryHandle(text.data(), &handle, static_cast<int32_t>(text.size()));
    const int32_t result = halvern::ReadIGESStream(&handle, drawing, units, top_level, callback, user);
    Close(&handle);
    return result;
}

int32_t read_file(const IgesFile& file, DXFDrawingRec* drawing, int32_t units = 0, int32_t top_level = 1)
{
    return read_text(write_iges(file), drawing, units, top_level);
}

const char* layer_name(const DXFDrawingRec* drawing, const ItemRec* item)
{
    return drawing->dxf_LayerTable.lt_Layers[item->it_Header.ih_Layer]->ld_Name;
}

ItemRec* top(Drawing& drawing, int32_t index)
{
    EXPECT_LT(index, drawing->dxf_ItemBuffer.ib_N);
    return index < drawing->dxf_ItemBuffer.ib_N ? drawing->dxf_ItemBuffer.ib_Items[index] : nullptr;
}

void expect_point(const Point3DRec& actual, double x, double y, double z, double tolerance = 1e-9)
{
    EXPECT_NEAR(actual.x, x, tolerance);
    EXPECT_NEAR(actual.y, y, tolerance);
    EXPECT_NEAR(actual.z, z, tolerance);
}

// The matrix entry: rotation rows and translation column, in the order R11 R12 R13 T1 ...
Entity matrix(const std::string& values)
{
    return {124, values + ";", 0, 0, 0, 0, 10000};
}

constexpr int32_t kDependent = 10000;

// ---- Records and sections ---------------------------------------------------------------------

TEST(IgesRecords, LineEndsAfterRecordsAreOptional)
{
    IgesFile file;
    file.entities = {{110, "1.0,2.0,3.0,4.0,5.0,6.0;"}};
    for (const char* line_end : {"\n", "\r\n", "", "\r"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(line_end)));
        file.line_end = line_end;
        Drawing drawing;
        ASSERT_EQ(read_file(file, drawing.get()), 0);
        ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 1);
        expect_point(top(drawing, 0)->it_Line.ln_End, 4, 5, 6);
    }
}

TEST(IgesRecords, ARecordHoldingANulByteIsSkipped)
{
    IgesFile file;
    file.entities = {{110, "1.0,2.0,3.0,4.0,5.0,6.0;"}};
    std::vector<std::string> lines = records(file);
    std::string broken = lines[2];
    broken[10] = '\0';
    // Between the global section and the directory, and between the two lines of the
    // entry: both are passed over.
    lines.insert(lines.begin() + 3, broken);
    lines.insert(lines.begin() + 2, broken);
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    Drawing drawing;
    ASSERT_EQ(read_text(text, drawing.get()), 0);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 1);
    expect_point(top(drawing, 0)->it_Line.ln_Start, 1, 2, 3);
}

TEST(IgesRecords, AFileWithoutStartSectionIsRead)
{
    IgesFile file;
    file.start_section = false;
    file.entities = {{116, "1.0,2.0,3.0;"}};
    Drawing drawing;
    ASSERT_EQ(read_file(file, drawing.get()), 0);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 1);
    expect_point(top(drawing, 0)->it_Point.pt_Point, 1, 2, 3);
}

TEST(IgesRecords, DelimitersComeFromTheGlobalSection)
{
    struct Row {
        const char* global;
        char delimiter;
        const char* parameters;
    };
    const Row rows[] = {
        {",,4HSEND,6HF.IGES,3HSYS,3HPRE,32,38,6,308,15,4HRECV,1.0,2;", ',', "1,2,0,3,4,0;"},
        {"1H,,1H;,4HSEND,6HF.IGES,3HSYS,3HPRE,32,38,6,308,15,4HRECV,1.0,2;", ',', "1,2,0,3,4,0;"},
        {",1H;,4HSEND;", ',', "1,2,0,3,4,0;"},
        {"1H;;1H:;4HSEND;6HF,IGES;3HSYS;3HPRE;32;38;6;308;15;4HRECV;1.0;2:", ';', "1;2;0;3;4;0:"},
        // Omitted record delimiter: ';' stays.
        {"1H/,,4HSEND/6HF.IGES/3HSYS/3HPRE/32/38/6/308/15/4HRECV/1.0/2;", '/', "1/2/0/3/4/0;"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.global);
        IgesFile file;
        file.global = row.global;
        file.delimiter = row.delimiter;
        file.entities = {{110, row.parameters}};
        Drawing drawing;
        ASSERT_EQ(read_file(file, drawing.get()), 0);
        ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 1);
        expect_point(top(drawing, 0)->it_Line.ln_Start, 1, 2, 0);
        expect_point(top(drawing, 0)->it_Line.ln_End, 3, 4, 0);
    }
}

TEST(IgesRecords, MalformedFilesGiveTheirCodes)
{
    IgesFile good;
    good.entities = {{110, "1,2,3,4,5,6;"}};
    const std::vector<std::string> lines = records(good);
    const auto join = [](const std::vector<std::string>& parts) {
        std::string text;
        for (const std::string& part : parts)
            text += part + "\n";
        return text;
    };
    auto replace_letter = [&](size_t index, char letter) {
        std::vector<std::string> copy = lines;
        copy[index][72] = letter;
        return join(copy);
    };
    size_t first_directory = 0;
    while (lines[first_directory][72] != 'D')
        ++first_directory;
    auto without = [&](size_t from) {
        return join(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<ptrdiff_t>(from)));
    };
    IgesFile bad_pointer = good;
    bad_pointer.entities.push_back({116, "1,2,3;"});
    std::vector<std::string> pointer_lines = records(bad_pointer);
    pointer_lines[first_directory + 2].replace(8, 8, field(99)); // parameter pointer of the point
    IgesFile bad_matrix = good;
    bad_matrix.entities[0].matrix = 1; // names the line itself, not a matrix
    // A matrix whose parameter line count no file can hold.
    IgesFile huge_matrix = good;
    huge_matrix.entities[0].matrix = de(1);
    huge_matrix.entities.push_back(matrix("1,0,0,0,0,1,0,0,0,0,1,0"));
    std::vector<std::string> huge_lines = records(huge_matrix);
    huge_lines[first_directory + 3].replace(24, 8, field(99999999));
    struct Row {
        const char* name;
        std::string text;
        int32_t result;
    };
    const Row rows[] = {
        {"empty", "", IoErrObjectInvalid},
        {"binary form", replace_letter(0, 'B'), IoErrNotImplemented},
        {"compressed form", replace_letter(0, 'C'), IoErrNotImplemented},
        {"unknown first letter", replace_letter(0, 'X'), IoErrObjectInvalid},
        {"start section only", without(1), IoErrObjectInvalid},
        {"no global section", replace_letter(1, 'D'), IoErrObjectInvalid},
        {"ends in the directory", without(3), IoErrObjectInvalid},
        {"no terminate record", without(lines.size() - 1), IoErrObjectInvalid},
        {"a stray letter after the parameters", replace_letter(lines.size() - 1, 'Q'), IoErrObjectInvalid},
        {"a record shorter than 80 columns", join({lines[0], lines[1].substr(0, 79), lines[2], lines[3],
                                                  lines[4], lines[5]}),
         IoErrObjectInvalid},
        {"parameter pointer out of range", join(pointer_lines), IoErrObjectInvalid},
        {"matrix that is no matrix", write_iges(bad_matrix), 1},
        {"matrix of more parameter lines than the file", join(huge_lines), 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Drawing drawing;
        EXPECT_EQ(read_text(row.text, drawing.get()), row.result);
    }
}

TEST(IgesRecords, PathsAndArguments)
{
    Drawing drawing;
    EXPECT_EQ(ReadIGES(nullptr, drawing.get()), IoErrRequiredArgMissing);
    EXPECT_EQ(ReadIGES("x.igs", nullptr), IoErrRequiredArgMissing);
    const test_support::TempFolder folder;
    const std::string missing = folder.path("missing.igs");
    EXPECT_EQ(ReadIGES(missing.c_str(), drawing.get()), IoErrObjectNotFound);

    IgesFile file;
    file.unit_flag = 1;
    file.entities = {{110, "1,0,0,2,0,0;"}};
    const std::string path = folder.write("line.igs", write_iges(file));
    ASSERT_EQ(ReadIGES(path.c_str(), drawing.get()), 0);
    ASSERT_EQ(ReadIGESUnits(path.c_str(), drawing.get(), IGESUnitsInchToMm), 0);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 2);
    expect_point(top(drawing, 0)->it_Line.ln_End, 2, 0, 0);
    expect_point(top(drawing, 1)->it_Line.ln_End, 50.8, 0, 0);
}

// ---- Units, maps and the skip rule --------------------------------------------------------------

TEST(IgesUnits, ConvertOnlyTheMatchingDirection)
{
    struct Row {
        int32_t units;
        int32_t unit_flag;
        double factor;
    };
    const Row rows[] = {
        {1, 1, 25.4}, {1, 2, 1.0}, {2, 1, 1.0}, {2, 2, 1.0 / 25.4}, {0, 1, 1.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.units << " " << row.unit_flag);
        IgesFile file;
        file.unit_flag = row.unit_flag;
        file.entities = {{110, "1,0,0,2,0,0;"}};
        Drawing drawing;
        ASSERT_EQ(read_file(file, drawing.get(), row.units), 0);
        expect_point(top(drawing, 0)->it_Line.ln_Start, row.factor, 0, 0);
        expect_point(top(drawing, 0)->it_Line.ln_End, 2 * row.factor, 0, 0);
    }
}

TEST(IgesMaps, LevelFontAndColourBecomeLayerLineTypeAndColour)
{
    IgesFile file;
    const std::string line = "0,0,0,1,0,0;";
    file.entities = {{110, line, 3, 2, 3}, {110, line, -4, 5, 8}, {110, line, 12, 9, 9}};
    Drawing drawing;
    ASSERT_EQ(read_file(file, drawing.get()), 0);
    struct Expected {
        const char* layer;
        int32_t line_type;
        int32_t colour;
    };
    const Expected expected[] = {{"3", 1, 91}, {"0", 2, 7}, {"12", 0, 0}};
    for (int32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const ItemRec* item = top(drawing, i);
        EXPECT_STREQ(layer_name(drawing.get(), item), expected[i].layer);
        EXPECT_EQ(item->it_Header.ih_LineType, expected[i].line_type);
        EXPECT_EQ(item->it_Header.ih_Colour, expected[i].colour);
        EXPECT_EQ(item->it_Header.ih_Line, 0);
    }
    EXPECT_EQ(drawing->dxf_LineTypeTable.lt_N, 0) << "the reader creates no line types";
}

int32_t count_types(int32_t type, void* user)
{
    static_cast<std::vector<int32_t>*>(user)->push_back(type);
    return 99;
}

TEST(IgesMaps, TypesNotConvertedAreReportedOnce)
{
    IgesFile file;
    file.entities = {{404, "0;"}, {0, ";"}, {124, "1,0,0,0,0,1,0,0,0,0,1,0;"}, {108, "0,0,1,0,0,0,0,0;"},
                     {314, "1,2,3;"}};
    std::vector<int32_t> reported;
    Drawing drawing;
    EXPECT_EQ(read_text(write_iges(file), drawing.get(), 0, 1, count_types, &reported), 0);
    EXPECT_EQ(reported, (std::vector<int32_t>{404, 314}));
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 0);
}

TEST(IgesMaps, DependentEntriesConvertThroughTheirParentWhenTopLevelIsSet)
{
    IgesFile file;
    file.entities = {{102, "3," + std::to_string(de(1)) + "," + std::to_string(de(2)) + "," +
                               std::to_string(de(3)) + ";"},
                     {110, "0,0,0,1,0,0;", 0, 0, 0, 0, kDependent},
                     {110, "1,0,0,1,1,0;", 0, 0, 0, 0, kDependent},
                     {110, "1,1,0,0,0,0;", 0, 0, 0, 0, kDependent}};
    for (const int32_t top_level : {1, 0}) {
        SCOPED_TRACE(top_level);
        Drawing drawing;
        ASSERT_EQ(read_file(file, drawing.get(), 0, top_level), 0);
        // Either way the three lines come once: through the composite curve, or on
        // their own while the composite curve converts nothing.
        ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 3);
        expect_point(top(drawing, 2)->it_Line.ln_Start, 1, 1, 0);
    }
}

TEST(IgesMaps, MembersTakeTheLevelOfAParentWithHierarchyZero)
{
    for (const int32_t hierarchy : {0, 1}) {
        SCOPED_TRACE(hierarchy);
        IgesFile file;
        file.entities = {{308, "0,4HPART,1," + std::to_string(de(1)) + ";", 7, 0, 0, 0, hierarchy},
                         {110, "0,0,0,1,0,0;", 3, 0, 0, 0, kDependent}};
        Drawing drawing;
        ASSERT_EQ(read_file(file, drawing.get()), 0);
        ASSERT_EQ(drawing->dxf_BlockItemBuffer.ib_N, 3);
        EXPECT_STREQ(layer_name(drawing.get(), drawing->dxf_BlockItemBuffer.ib_Items[1]),
                     hierarchy == 0 ? "7" : "3");
    }
}

// ---- Curves and points --------------------------------------------------------------------------

TEST(IgesCurves, LinePointAndCopiousData)
{
    IgesFile file;
    file.entities = {{110, "1.5D1,2,3,4,5,6;"},
                     {116, "7,8,9;"},
                     {106, "1,3,0.5,0,0,1,0,1,1;"},
                     // N below IP: no polyline.
                     {106, "2,1,0,1,1;"}};
    Drawing drawing;
    ASSERT_EQ(read_file(file, drawing.get()), 0);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 3);
    expect_point(top(drawing, 0)->it_Line.ln_Start, 15, 2, 3);
    expect_point(top(drawing, 1)->it_Point.pt_Point, 7, 8, 9);
    const PolylineRec& polyline = top(drawing, 2)->it_Polyline;
    ASSERT_EQ(polyline.pl_NumVertices, 3);
    expect_point(polyline.pl_Vertices[2].vx_Point, 1, 1, 0.5);
    EXPECT_EQ(polyline.pl_Flags, 0u);
    expect_point(polyline.pl_Min, 0, 0, 0);
    expect_point(polyline.pl_Max, 1, 1, 0);
}

TEST(IgesCurves, CircularArcs)
{
    IgesFile file;
    file.entities = {{100, "0.5,0,0,2,0,0,2;"},
                     {100, "0,1,1,3,1,3,1;"},
                     // Mirrored by the matrix: x -> 10 - x.
                     {100, "0,0,0,2,0,0,2;", 0, 0, 0, de(3)},
                     matrix("-1,0,0,10,0,1,0,0,0,0,1,0")};
    Drawing drawing;
    ASSERT_EQ(read_file(file, drawing.get()), 0);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 3);
    const ArcRec& quarter = top(drawing, 0)->it_Arc;
    expect_point(quarter.ar_Centre, 0, 0, 0.5);
    EXPECT_NEAR(quarter.ar_Radius, 2, 1e-9);
    EXPECT_NEAR(quarter.ar_Start, 0, 1e-9);
    EXPECT_NEAR(quarter.ar_End, kPi / 2, 1e-9);
    EXPECT_EQ(quarter.ar_Dir, 1);
    const ArcRec& circle = top(drawing, 1)->it_Arc;
    EXPECT_EQ(circle.ar_Start, 0.0);
    EXPECT_EQ(circle.ar_End, 2 * kPi);
    EXPECT_EQ(circle.ar_Radius, 2.0);
    const ArcRec& mirrored = top(drawing, 2)->it_Arc;
    expect_point(mirrored.ar_Centre, 10, 0, 0);
    EXPECT_NEAR(mirrored.ar_Start, kPi, 1e-9);
    EXPECT_NEAR(mirrored.ar_End, kPi / 2, 1e-9);
    EXPECT_EQ(mirrored.ar_Dir, -1) << "a mirror turns the arc clockwise";
}

TEST(IgesCurves, ConicArcsBecomeEllipsesOnlyWhenTheyAreRealAxisAlignedEllipses)
{
    IgesFile file;
    // x^2/16 + y^2/4 = 1 from the point at parameter pi/3 to (0, 2).
    file.entities = {{104, "1,0,4,0,0,-16,0.5,2,1.7320508075688772,0,2;"},
                     // The same turned: the major axis along y.
                     {104, "4,0,1,0,0,-16,0,0,4,-2,0;"},
                     {104, "1,0.5,4,0,0,-16,0,4,0,0,2;"},  // tilted (B)
                     {104, "1,0,-1,0,0,-1,0,1,0,1,1;"},    // hyperbola
                     {104, "1,0,4,0,0,16,0,4,0,0,2;"},     // no real points
                     {104, "-1,0,-4,0,0,16,0,4,0,0,2;"},   // real, all signs turned
                     {104, "1,0,0,0,1,0,0,0,0,1,1;"}};     // parabola
    Drawing drawing;
    ASSERT_EQ(read_file(file, drawing.get()), 0);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 3);
    const EllipseRec& arc = top(drawing, 0)->it_Ellipse;
    expect_point(arc.el_Centre, 0, 0, 0.5);
    expect_point(arc.el_MajorAxis, 4, 0, 0);
    EXPECT_NEAR(arc.el_Ratio, 0.5, 1e-12);
    EXPECT_NEAR(arc.el_Start, kPi / 3, 1e-9) << "an ellipse parameter, not the polar angle";
    EXPECT_NEAR(arc.el_End, kPi / 2, 1e-9);
    EXPECT_EQ(arc.el_Dir, 1);
    const EllipseRec& upright = top(drawing, 1)->it_Ellipse;
    expect_point(upright.el_MajorAxis, 0, 4, 0);
    EXPECT_NEAR(upright.el_Ratio, 0.5, 1e-12);
    EXPECT_NEAR(upright.el_Angle, kPi / 2, 1e-12);
    EXPECT_NEAR(upright.el_Start, 0, 1e-9);
    EXPECT_NEAR(upright.el_End, kPi / 2, 1e-9);
    const EllipseRec& turned = top(drawing, 2)->it_Ellipse;
    expect_point(turned.el_MajorAxis, 4, 0, 0);
    EXPECT_NEAR(turned.el_Ratio, 0.5, 1e-12);
}

TEST(IgesCurves, MirroredConicRunsClockwise)
{
    IgesFile file;
    file.entities = {{104, "1,0,4,0,0,-16,0,4,0,0,2;", 0, 0, 0, de(1)},
                     matrix("-1,0,0,0,0,1,0,0,0,0,1,0")};
    Drawing drawing;
    ASSERT_EQ(read_file(file, drawing.get()), 0);
    const EllipseRec& arc = top(drawing, 0)->it_Ellipse;
    expect_point(arc.el_MajorAxis, -4, 0, 0);
    EXPECT_EQ(arc.el_Dir, -1);
    // (4, 0) became (-4, 0), the end of the major axis: parameter 0. (0, 2) stays,
    // and lies at parameter -pi/2 of the turned ellipse.
    EXPECT_NEAR(arc.el_Start, 0, 1e-9);
    EXPECT_NEAR(arc.el_End, -kPi / 2, 1e-9);
}

TEST(IgesCurves, ParametricSplineSegmentsBecomeLinesAndArcs)
{
    // Segment 1: straight from (0, 0) to (1, 2). Segment 2: a quadratic through (1, 0),
    // (cos 45, sin 45) and (0, 1), which lie on the unit circle.
    const std::string straight = "0,1,0,0,0,2,0,0,0,0,0,0";
    const std::string curved = "1,-0.171572875,-0.828427125,0,0,1.828427125,-0.828427125,0,0,0,0,0";
    IgesFile file;
    file.entities = {{112, "3,3,2,1,0,1," + straight + ",1,0,0,0,2,0,0,0,0,0,0,0;"},
                     {112, "3,3,2,1,0,1," + curved + ",0,0,0,0,1,0,0,0,0,0,0,0;"},
                     {112, "3,3,2,0,0;"}};
    Drawing drawing;
    ASSERT_EQ(read_file(file, drawing.get()), 0);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 2);
    ASSERT_EQ(top(drawing, 0)->it_Header.ih_ItemType, DXFItemLine);
    expect_point(top(drawing, 0)->it_Line.ln_End, 1, 2, 0);
    ASSERT_EQ(top(drawing, 1)->it_Header.ih_ItemType, DXFItemArc);
    const ArcRec& arc = top(drawing, 1)->it_Arc;
    expect_point(arc.ar_Centre, 0, 0, 0, 1e-6);
    EXPECT_NEAR(arc.ar_Radius, 1, 1e-6);
    EXPECT_NEAR(arc.ar_Start, 0, 1e-6);
    EXPECT_NEAR(arc.ar_End, kPi / 2, 1e-6);
    EXPECT_EQ(arc.ar_Dir, 1);
}

TEST(IgesCurves, RationalBSplineCurve)
{
    IgesFile file;
    file.unit_flag = 1;
    file.entities = {{126, "2,2,0,0,1,0,0,0,0,1,1,1,1,0.5,1,0,0,0,1,1,0,2,0,0,0,1;", 0, 0, 0, de(1)},
                     matrix("1,0,0,10,0,1,0,0,0,0,1,0")};
    Drawing drawing;
    ASSERT_EQ(read_file(file, drawing.get(), IGESUnitsInchToMm), 0);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 1);
    const SplineRec& spline = top(drawing, 0)->it_Spline;
    EXPECT_EQ(spline.sp_Degree, 2);
    ASSERT_EQ(spline.sp_NumPoints, 3);
    EXPECT_EQ(spline.sp_NumWeights, 3);
    ASSERT_EQ(spline.sp_NumKnots, 6);
    EXPECT_EQ(spline.sp_Knots, reinterpret_cast<const double*>(spline.sp_Points + 3));
    EXPECT_EQ(spline.sp_Weights, spline.sp_Knots + 6);
    EXPECT_EQ(spline.sp_Knots[5], 1.0);
    EXPECT_EQ(spline.sp_Weights[1], 0.5);
    // Control points in millimetres, moved by the matrix (its translation converted too).
    expect_point(spline.sp_Points[1], 10 * 25.4 + 25.4, 25.4, 0);
    expect_point(spline.sp_Min, 254, 0, 0);
    expect_point(spline.sp_Max, 254 + 50.8, 25.4, 0);
    EXPECT_EQ(spline.sp_StartParam, 0.0);
    EXPECT_EQ(spline.sp_EndParam, 1.0);
    EXPECT_EQ(spline.sp_Flags, 0u);
}

TEST(IgesCurves, NotesGiveOneTextPerString)
{
    std::string long_text(5000, 'x');
    IgesFile file;
    file.entities = {{212, "2,5,10,2,1,0,0,0,0,1,2,0,7H HELLO ,2,4,3,1,0,1.5707963267948966,0,0,5,6,0,2HAB;"},
                     {212, "2,1,1,1,1,0,0,0,0,0,0,0,5000H" + long_text + ",1,1,1,1,0,0,0,0,0,0,0,4Hnext;"}};
    Drawing drawing;
    ASSERT_EQ(read_file(file, drawing.get()), 0);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 4);
    const TextRec& hello = top(drawing, 0)->it_Text;
    EXPECT_STREQ(hello.tx_Text, "HELLO");
    EXPECT_EQ(hello.tx_Text, reinterpret_cast<const char*>(&hello + 1));
    expect_point(hello.tx_Point, 1, 2, 0);
    EXPECT_EQ(hello.tx_Height, 2.0);
    expect_point(hello.tx_Point2, 1 + 10, 2 + 2, 0);
    const TextRec& ab = top(drawing, 1)->it_Text;
    EXPECT_STREQ(ab.tx_Text, "AB");
    EXPECT_NEAR(ab.tx_Rotation, kPi / 2, 1e-12);
    expect_point(ab.tx_Point, 5, 6, 0);
    // A string beyond 4095 characters is cut, and the string after it still reads.
    EXPECT_EQ(std::strlen(top(drawing, 2)->it_Text.tx_Text), 4095u);
    EXPECT_STREQ(top(drawing, 3)->it_Text.tx_Text, "next");
}

TEST(IgesCurves, ATransformationMatrixThatTiltsTheZAxisIsNotApplied)
{
    IgesFile file;
    file.entities = {{110, "1,2,0,3,4,0;", 0, 0, 0, de(2)},
                     {110, "1,2,0,3,4,0;", 0, 0, 0, de(3)},
                     matrix("1,0,0.5,7,0,1,0,0,0,0,1,0"),
                     matrix("0,-1,0,7,1,0,0,0,0,0,1,0")};
    Drawing drawing;
    ASSERT_EQ(read_file(file, drawing.get()), 0);
    expect_point(top(drawing, 0)->it_Line.ln_Start, 1, 2, 0);
    expect_point(top(drawing, 1)->it_Line.ln_Start, 5, 1, 0);
}

// ---- Subfigures ---------------------------------------------------------------------------------

TEST(IgesSubfigures, DefinitionAndInstanceGiveABlockAndAPlacedInsert)
{
    // The instance turns by 90 degrees and moves by (10, 20): x -> 10 - y, y -> 20 + x.
    const Entity definition{308, "0,4HBOLT,1," + std::to_string(de(0) + 2) + ";"};
    const Entity member{110, "0,0,0,1,0,0;", 5, 0, 0, 0, kDependent};
    const Entity turn = matrix("0,-1,0,10,1,0,0,20,0,0,1,0");
    struct Row {
        const char* name;
        std::vector<Entity> entities;
        std::string instance;
        double scale;
    };
    const Row rows[] = {
        {"definition first", {definition, member, turn}, "1,1,2,0,2.5;", 2.5},
        {"instance first", {}, "", 1.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        IgesFile file;
        if (row.entities.empty()) {
            // The instance comes before its definition; an omitted scale is 1.
            Entity later = definition;
            later.parameters = "0,4HBOLT,1," + std::to_string(de(2)) + ";";
            file.entities = {{408, std::to_string(de(1)) + ",1,2,0;", 0, 0, 0, de(3)}, later, member, turn};
        } else {
            file.entities = row.entities;
            file.entities.push_back({408, std::to_string(de(0)) + "," + row.instance.substr(2), 0, 0, 0, de(2)});
        }
        Drawing drawing;
        ASSERT_EQ(read_file(file, drawing.get()), 0);
        const ItemBufferRec& blocks = drawing->dxf_BlockItemBuffer;
        ASSERT_EQ(blocks.ib_N, 3);
        EXPECT_EQ(blocks.ib_Items[0]->it_Header.ih_ItemType, DXFItemBlock);
        EXPECT_EQ(blocks.ib_Items[0]->it_Header.ih_Layer, 0);
        EXPECT_EQ(blocks.ib_Items[1]->it_Header.ih_ItemType, DXFItemLine);
        EXPECT_EQ(blocks.ib_Items[2]->it_Header.ih_ItemType, DXFItemEndBlock);
        EXPECT_EQ(blocks.ib_Items[2]->it_Header.ih_Line, -1);
        ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 1);
        const InsertRec& insert = top(drawing, 0)->it_Insert;
        EXPECT_STREQ(insert.in_BlockName, "BOLT");
        EXPECT_EQ(insert.in_BlockIndex, 0) << "resolved after the converting pass";
        expect_point(insert.in_Point, 8, 21, 0);
        EXPECT_NEAR(insert.in_Rotation, kPi / 2, 1e-12) << "the translation is no rotation";
        expect_point(insert.in_Scale, row.scale, row.scale, row.scale);
        EXPECT_EQ(insert.in_ArrayKind, 1);
        EXPECT_EQ(insert.in_Rows, 1);
        EXPECT_EQ(insert.in_Columns, 1);
        EXPECT_NEAR(insert.in_RowAngle, kPi / 2, 1e-15);
        expect_point(insert.in_Extrusion, 0, 0, 1);
    }
}

TEST(IgesSubfigures, ADefinitionInsideADefinitionConvertsNothing)
{
    IgesFile file;
    file.entities = {{308, "0,5HOUTER,2," + std::to_string(de(1)) + "," + std::to_string(de(2)) + ";"},
                     {308, "0,5HINNER,1," + std::to_string(de(2)) + ";", 0, 0, 0, 0, kDependent},
                     {110, "0,0,0,1,0,0;", 0, 0, 0, 0, kDependent}};
    Drawing drawing;
    ASSERT_EQ(read_file(file, drawing.get()), 0);
    const ItemBufferRec& blocks = drawing->dxf_BlockItemBuffer;
    ASSERT_EQ(blocks.ib_N, 3);
    EXPECT_EQ(blocks.ib_Items[1]->it_Header.ih_ItemType, DXFItemLine);
    EXPECT_EQ(IsBlockKnown(&drawing->dxf_BlockIdentifierBuffer, "INNER", nullptr, nullptr), 0);
}

// ---- Surfaces -----------------------------------------------------------------------------------

// A trimmed surface (entity 0) on the surface entity 1, bounded by a curve on the
// surface (entity 2) whose model-space curve is entity 3; more entities follow.
IgesFile trimmed_surface(const Entity& surface, std::vector<Entity> more = {})
{
    IgesFile file;
    file.entities = {{144, std::to_string(de(1)) + ",1,0," + std::to_string(de(2)) + ";"},
                     surface,
                     {142, "1," + std::to_string(de(1)) + ",0," + std::to_string(de(3)) + ",1;", 0, 0, 0, 0,
                      kDependent},
                     {110, "0,0,0,4,0,0;", 0, 0, 0, 0, kDependent}};
    for (Entity& entity : more)
        file.entities.push_back(entity);
    file.entities[1].status = kDependent;
    return file;
}

TEST(IgesSurfaces, TrimmedSurfaceOnAPlaneIsOneComposite)
{
    Drawing drawing;
    ASSERT_EQ(read_file(trimmed_surface({108, "0,0,1,2,0,1,2,3;"}), drawing.get()), 0);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 1);
    const ItemRec* item = top(drawing, 0);
    ASSERT_EQ(item->it_Header.ih_ItemType, DXFItemComposite);
    EXPECT_EQ(item->it_Header.ih_Line, -1);
    const CompositeRec& composite = item->it_Composite;
    EXPECT_EQ(composite.cp_Kind, DXFCompositePlane);
    EXPECT_EQ(composite.cp_PlaneC, 1.0);
    EXPECT_EQ(composite.cp_PlaneD, 2.0);
    expect_point(composite.cp_PlanePoint, 1, 2, 3);
    ASSERT_EQ(composite.cp_Outer.ib_N, 1);
    expect_point(composite.cp_Outer.ib_Items[0]->it_Line.ln_End, 4, 0, 0);
    EXPECT_EQ(composite.cp_NumInner, 0);
}

TEST(IgesSurfaces, InnerBoundariesHaveAListEach)
{
    IgesFile file = trimmed_surface({108, "0,0,1,0,0,0,0,0;"},
                                    {{142, "1,3,0," + std::to_string(de(5)) + ",1;", 0, 0, 0, 0, kDependent},
                                     {100, "0,1,1,2,1,2,1;", 0, 0, 0, 0, kDependent}});
    file.entities[0].parameters = std::to_string(de(1)) + ",1,2," + std::to_string(de(2)) + "," +
                                  std::to_string(de(4)) + "," + std::to_string(de(4)) + ";";
    Drawing drawing;
    ASSERT_EQ(read_file(file, drawing.get()), 0);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 1);
    const CompositeRec& composite = top(drawing, 0)->it_Composite;
    ASSERT_EQ(composite.cp_NumInner, 2);
    for (int32_t i = 0; i < 2; ++i) {
        ASSERT_EQ(composite.cp_Inner[i].ib_N, 1);
        EXPECT_EQ(composite.cp_Inner[i].ib_Items[0]->it_Header.ih_ItemType, DXFItemArc);
    }
}

TEST(IgesSurfaces, EachSurfaceKindFillsItsComposite)
{
    const std::string line_a = "0,0,0,4,0,0;";
    // Ruled surface of form 1 between entities 4 and 5, direction flag 1.
    {
        Entity ruled{118, std::to_string(de(4)) + "," + std::to_string(de(5)) + ",1,0;"};
        ruled.form = 1;
        Drawing drawing;
        ASSERT_EQ(read_file(trimmed_surface(ruled, {{110, line_a, 0, 0, 0, 0, kDependent},
                                                    {110, "0,1,0,4,1,0;", 0, 0, 0, 0, kDependent}}),
                            drawing.get()),
                  0);
        const CompositeRec& composite = top(drawing, 0)->it_Composite;
        EXPECT_EQ(composite.cp_Kind, DXFCompositeRuled);
        EXPECT_EQ(composite.cp_List1.ib_N, 1);
        ASSERT_EQ(composite.cp_List2.ib_N, 1);
        expect_point(composite.cp_List2.ib_Items[0]->it_Line.ln_Start, 0, 1, 0);
        EXPECT_EQ(composite.cp_Reversed, 1);
        EXPECT_EQ(composite.cp_ArcLength, 0);
    }
    // Surface of revolution: a line axis, an arc generatrix.
    {
        Entity revolution{120, std::to_string(de(4)) + "," + std::to_string(de(5)) + ",0,3.14;"};
        Drawing drawing;
        ASSERT_EQ(read_file(trimmed_surface(revolution,
                                            {{110, "1,2,3,1,2,8;", 0, 0, 0, 0, kDependent},
                                             {100, "0,0,0,1,0,0,1;", 0, 0, 0, 0, kDependent}}),
                            drawing.get()),
                  0);
        const CompositeRec& composite = top(drawing, 0)->it_Composite;
        EXPECT_EQ(composite.cp_Kind, DXFCompositeRevolution);
        expect_point(composite.cp_AxisPoint, 1, 2, 3);
        expect_point(composite.cp_AxisDirection, 0, 0, 5);
        ASSERT_EQ(composite.cp_List3.ib_N, 1);
        EXPECT_EQ(composite.cp_List3.ib_Items[0]->it_Header.ih_ItemType, DXFItemArc);
        EXPECT_EQ(composite.cp_EndAngle, 3.14);
    }
    // An axis that is no line keeps nothing.
    {
        Entity revolution{120, std::to_string(de(4)) + "," + std::to_string(de(4)) + ",0,3.14;"};
        Drawing drawing;
        ASSERT_EQ(read_file(trimmed_surface(revolution, {{116, "1,2,3;", 0, 0, 0, 0, kDependent}}),
                            drawing.get()),
                  0);
        const CompositeRec& composite = top(drawing, 0)->it_Composite;
        EXPECT_EQ(composite.cp_Kind, DXFCompositeRevolution);
        EXPECT_EQ(composite.cp_List3.ib_N, 0);
        EXPECT_EQ(composite.cp_EndAngle, 0.0);
    }
    // Tabulated cylinder: the second copy of the directrix moves to the generatrix end.
    {
        IgesFile file = trimmed_surface({122, std::to_string(de(4)) + ",1,0,5;"},
                                        {{110, "1,0,0,2,0,0;", 0, 0, 0, 0, kDependent}});
        file.unit_flag = 1;
        Drawing drawing;
        ASSERT_EQ(read_file(file, drawing.get(), IGESUnitsInchToMm), 0);
        const CompositeRec& composite = top(drawing, 0)->it_Composite;
        EXPECT_EQ(composite.cp_Kind, DXFCompositeRuled);
        EXPECT_EQ(composite.cp_ArcLength, 1);
        ASSERT_EQ(composite.cp_List1.ib_N, 1);
        ASSERT_EQ(composite.cp_List2.ib_N, 1);
        expect_point(composite.cp_List1.ib_Items[0]->it_Line.ln_Start, 25.4, 0, 0);
        expect_point(composite.cp_List2.ib_Items[0]->it_Line.ln_Start, 25.4, 0, 127);
        expect_point(composite.cp_List2.ib_Items[0]->it_Line.ln_End, 50.8, 0, 127);
    }
    // Bilinear B-spline surface: points run with the first index fastest.
    {
        Entity surface{128, "1,1,1,1,0,0,1,0,0,0,0,1,1,0,0,1,1,1,1,1,0.5,"
                            "0,0,0,1,0,0,0,1,0,1,1,1,0,1,0,1;"};
        Drawing drawing;
        ASSERT_EQ(read_file(trimmed_surface(surface), drawing.get()), 0);
        const CompositeRec& composite = top(drawing, 0)->it_Composite;
        EXPECT_EQ(composite.cp_Kind, DXFCompositeBSpline);
        EXPECT_EQ(composite.cp_DegreeU, 1);
        EXPECT_EQ(composite.cp_NumKnotsU, 4u);
        EXPECT_EQ(composite.cp_NumU, 2u);
        EXPECT_EQ(composite.cp_NumV2, 2u);
        expect_point(composite.cp_Points[1][0], 1, 0, 0);
        expect_point(composite.cp_Points[0][1], 0, 1, 0);
        expect_point(composite.cp_Points[1][1], 1, 1, 1);
        EXPECT_EQ(composite.cp_Weights[1][1], 0.5);
        EXPECT_EQ(composite.cp_EndU, 1.0);
        ASSERT_EQ(composite.cp_Outer.ib_N, 1);
    }
}

TEST(IgesSurfaces, SurfacesOutsideACompositeMakeNothingAndAreNotReported)
{
    IgesFile file;
    file.entities = {{108, "0,0,1,0,0,0,0,0;"}, {118, "0,0,1,0;"}, {120, "0,0,0,1;"}, {122, "0,0,0,1;"},
                     {128, "1,1,1,1,0,0,1,0,0;"}, {142, "1,0,0,0,1;"}};
    std::vector<int32_t> reported;
    Drawing drawing;
    ASSERT_EQ(read_text(write_iges(file), drawing.get(), 0, 1, count_types, &reported), 0);
    EXPECT_TRUE(reported.empty());
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 0);
}

// ---- References that would never end --------------------------------------------------------------

TEST(IgesReferences, EntriesReferringToThemselvesOrEachOtherConvertOncePerChain)
{
    IgesFile file;
    // Entity 0 names itself and entity 1; entity 1 names entity 0 and the line.
    file.entities = {{102, "2," + std::to_string(de(0)) + "," + std::to_string(de(1)) + ";"},
                     {102, "2," + std::to_string(de(0)) + "," + std::to_string(de(2)) + ";", 0, 0, 0, 0,
                      kDependent},
                     {110, "0,0,0,1,0,0;", 0, 0, 0, 0, kDependent}};
    Drawing drawing;
    ASSERT_EQ(read_file(file, drawing.get()), 0);
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 1);
}

TEST(IgesReferences, SharedReferencesThatMultiplyAreRefusedInsteadOfRunningAway)
{
    // Forty composite curves, each naming the next one twice: 2^40 conversions.
    IgesFile file;
    constexpr size_t kLevels = 40;
    for (size_t i = 0; i < kLevels; ++i) {
        const std::string next = std::to_string(de(i + 1));
        file.entities.push_back({102, "2," + next + "," + next + ";", 0, 0, 0, 0, i == 0 ? 0 : kDependent});
    }
    file.entities.push_back({110, "0,0,0,1,0,0;", 0, 0, 0, 0, kDependent});
    Drawing drawing;
    EXPECT_EQ(read_file(file, drawing.get()), IoErrObjectInvalid);
}

TEST(IgesReferences, CountsBeyondTheParametersRefuseTheEntity)
{
    IgesFile file;
    file.entities = {{106, "1,2000000000,0,0,0,1,1;"},
                     {126, "2000000000,3,0,0,0,0;"},
                     {112, "3,3,2,2000000000,0;"},
                     {102, "2000000000,3;"},
                     {212, "2000000000;"},
                     {110, "0,0,0,1,0,0;"}};
    Drawing drawing;
    ASSERT_EQ(read_file(file, drawing.get()), 0);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 1);
    EXPECT_EQ(top(drawing, 0)->it_Header.ih_ItemType, DXFItemLine);
}

// ---- Damaged input and memory -----------------------------------------------------------------------

IgesFile every_kind()
{
    IgesFile file = trimmed_surface({108, "0,0,1,0,0,0,0,0;"});
    const auto add = [&](Entity entity) { file.entities.push_back(std::move(entity)); };
    add({100, "0,0,0,2,0,0,2;"});
    add({104, "1,0,4,0,0,-16,0,4,0,0,2;"});
    add({106, "1,3,0.5,0,0,1,0,1,1;"});
    add({112, "3,3,2,1,0,1,0,1,0,0,0,2,0,0,0,0,0,0,1,0,0,0,2,0,0,0,0,0,0,0;"});
    add({116, "7,8,9;"});
    add({126, "1,1,0,0,1,0,0,0,1,1,1,1,0,0,0,2,2,0,0,1;"});
    add({212, "1,5,10,2,1,0,0,0,0,1,2,0,5HHELLO;"});
    const size_t member = file.entities.size();
    add({110, "0,0,0,1,0,0;", 0, 0, 0, 0, kDependent});
    add({308, "0,4HPART,1," + std::to_string(de(member)) + ";"});
    add({408, std::to_string(de(member + 1)) + ",1,2,0,2;", 0, 0, 0, de(member + 3)});
    add(matrix("0,-1,0,10,1,0,0,20,0,0,1,0"));
    return file;
}

TEST(IgesDamage, EveryCutOfAFileEndsCleanly)
{
    const std::string text = write_iges(every_kind());
    {
        Drawing drawing;
        ASSERT_EQ(read_text(text, drawing.get()), 0);
        EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 9);
    }
    for (size_t length = 0; length < text.size(); length += 7) {
        SCOPED_TRACE(length);
        Drawing drawing;
        const int32_t result = read_text(text.substr(0, length), drawing.get());
        // Only a cut inside the line end after the terminate record leaves a whole file.
        if (length + 1 < text.size()) {
            EXPECT_EQ(result, IoErrObjectInvalid);
        }
    }
}

TEST(IgesDamage, RunningOutOfMemoryGivesMinusOneNeverSuccessWithLostItems)
{
    const std::string text = write_iges(every_kind());
    bool completed = false;
    for (uint32_t successes = 0; !completed && successes < 400; ++successes) {
        SCOPED_TRACE(successes);
        Drawing drawing;
        int32_t result = 0;
        {
            osmark_testing_fail_allocations(successes, 1000000);
            result = read_text(text, drawing.get());
            osmark_testing_fail_allocations(0, 0);
        }
        if (result == 0) {
            completed = true;
            EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 9);
            EXPECT_EQ(drawing->dxf_BlockItemBuffer.ib_N, 3);
        } else {
            EXPECT_EQ(result, IoErrNoMemory);
        }
    }
    EXPECT_TRUE(completed);
}

}
