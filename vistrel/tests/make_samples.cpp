// make_samples FOLDER: writes the drawings the viewer opens by default into the folder
// (made when missing): DXF files of several versions and writers, the same drawing as
// ASCII and binary DXF, a drawing of blocks placed singly and in an array, an IGES
// file, and part files named with revisions with their reports. Every file comes from
// the project's own writers, the same bytes on every run.

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "dxf_generator.h"
#include "halvern/drawing.h"
#include "halvern/dxf_reader.h"
#include "halvern/dxf_writer.h"
#include "iges_writer.h"
#include "osmark/memory.h"
#include "part_file_samples.h"
#include "part_file_writer.h"

namespace {

namespace fs = std::filesystem;

constexpr double kPi = 3.141592653589793;

// ---- DXF text as an R12 program writes it ---------------------------------------------------

class DxfText {
public:
    void group(int code, std::string_view value)
    {
        char text[8];
        std::snprintf(text, sizeof text, "%3d", code);
        m_text.append(text).append("\r\n").append(value).append("\r\n");
    }
    void integer(int code, long value) { group(code, std::to_string(value)); }
    void real(int code, double value)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%.6f", value);
        group(code, text);
    }
    void point(int code, double x, double y)
    {
        real(code, x);
        real(code + 10, y);
        real(code + 20, 0.0);
    }
    void entity(std::string_view kind, std::string_view layer)
    {
        group(0, kind);
        group(8, layer);
    }
    const std::string& text() const { return m_text; }

private:
    std::string m_text;
};

struct Layer {
    const char* name;
    int colour;
};

void header(DxfText& dxf, double max_x, double max_y)
{
    dxf.group(0, "SECTION");
    dxf.group(2, "HEADER");
    dxf.group(9, "$ACADVER");
    dxf.group(1, "AC1009");
    dxf.group(9, "$EXTMIN");
    dxf.point(10, 0.0, 0.0);
    dxf.group(9, "$EXTMAX");
    dxf.point(10, max_x, max_y);
    dxf.group(0, "ENDSEC");
}

void tables(DxfText& dxf, const std::vector<Layer>& layers)
{
    dxf.group(0, "SECTION");
    dxf.group(2, "TABLES");
    dxf.group(0, "TABLE");
    dxf.group(2, "LTYPE");
    dxf.integer(70, 1);
    dxf.group(0, "LTYPE");
    dxf.group(2, "CONTINUOUS");
    dxf.integer(70, 0);
    dxf.group(3, "Solid line");
    dxf.integer(72, 65);
    dxf.integer(73, 0);
    dxf.real(40, 0.0);
    dxf.group(0, "ENDTAB");
    dxf.group(0, "TABLE");
    dxf.group(2, "LAYER");
    dxf.integer(70, static_cast<long>(layers.size()));
    for (const Layer& layer : layers) {
        dxf.group(0, "LAYER");
        dxf.group(2, layer.name);
        dxf.integer(70, 0);
        dxf.integer(62, layer.colour);
        dxf.group(6, "CONTINUOUS");
    }
    dxf.group(0, "ENDTAB");
    dxf.group(0, "ENDSEC");
}

void line(DxfText& dxf, const char* layer, double x1, double y1, double x2, double y2)
{
    dxf.entity("LINE", layer);
    dxf.point(10, x1, y1);
    dxf.point(11, x2, y2);
}

void circle(DxfText& dxf, const char* layer, double x, double y, double radius)
{
    dxf.entity("CIRCLE", layer);
    dxf.point(10, x, y);
    dxf.real(40, radius);
}

void arc(DxfText& dxf, const char* layer, double x, double y, double radius, double start,
         double end)
{
    dxf.entity("ARC", layer);
    dxf.point(10, x, y);
    dxf.real(40, radius);
    dxf.real(50, start);
    dxf.real(51, end);
}

void text(DxfText& dxf, const char* layer, double x, double y, double height, const char* value)
{
    dxf.entity("TEXT", layer);
    dxf.point(10, x, y);
    dxf.real(40, height);
    dxf.group(1, value);
}

struct Vertex {
    double x;
    double y;
    double bulge = 0.0;
};

// A closed POLYLINE with its VERTEX run.
void polyline(DxfText& dxf, const char* layer, const std::vector<Vertex>& vertices)
{
    dxf.entity("POLYLINE", layer);
    dxf.integer(66, 1);
    dxf.point(10, 0.0, 0.0);
    dxf.integer(70, 1);
    for (const Vertex& vertex : vertices) {
        dxf.entity("VERTEX", layer);
        dxf.point(10, vertex.x, vertex.y);
        if (vertex.bulge != 0.0)
            dxf.real(42, vertex.bulge);
    }
    dxf.entity("SEQEND", layer);
}

struct Insert {
    const char* block;
    double x;
    double y;
    double scale = 1.0;
    double rotation = 0.0;
    int columns = 1;
    int rows = 1;
    double column_spacing = 0.0;
    double row_spacing = 0.0;
};

void insert(DxfText& dxf, const char* layer, const Insert& placed)
{
    dxf.entity("INSERT", layer);
    dxf.group(2, placed.block);
    dxf.point(10, placed.x, placed.y);
    dxf.real(41, placed.scale);
    dxf.real(42, placed.scale);
    dxf.real(43, placed.scale);
    if (placed.rotation != 0.0)
        dxf.real(50, placed.rotation);
    if (placed.columns > 1 || placed.rows > 1) {
        dxf.integer(70, placed.columns);
        dxf.integer(71, placed.rows);
        dxf.real(44, placed.column_spacing);
        dxf.real(45, placed.row_spacing);
    }
}

void begin_block(DxfText& dxf, const char* name)
{
    dxf.entity("BLOCK", "0");
    dxf.group(2, name);
    dxf.integer(70, 0);
    dxf.point(10, 0.0, 0.0);
    dxf.group(3, name);
}

void end_block(DxfText& dxf)
{
    dxf.entity("ENDBLK", "0");
}

void begin_section(DxfText& dxf, const char* name)
{
    dxf.group(0, "SECTION");
    dxf.group(2, name);
}

void end_file(DxfText& dxf)
{
    dxf.group(0, "ENDSEC");
    dxf.group(0, "EOF");
}

// A bracket: a bulged outline, holes, a slot, a label, centre lines on the
// construction layer and a point.
std::string bracket_r12()
{
    DxfText dxf;
    header(dxf, 140.0, 80.0);
    tables(dxf, {{"0", 7}, {"OUTLINE", 7}, {"HOLES", 1}, {"TEXT", 3}, {"Construction", 8}});
    begin_section(dxf, "BLOCKS");
    dxf.group(0, "ENDSEC");
    begin_section(dxf, "ENTITIES");
    // tan(22.5 degrees): a quarter circle from (140, 60) to (120, 80).
    polyline(dxf, "OUTLINE",
             {{0, 0}, {140, 0}, {140, 60, std::tan(kPi / 8)}, {120, 80}, {20, 80}, {0, 60}});
    circle(dxf, "HOLES", 25, 25, 6);
    circle(dxf, "HOLES", 115, 25, 6);
    circle(dxf, "HOLES", 70, 45, 15);
    line(dxf, "HOLES", 50, 10, 90, 10);
    line(dxf, "HOLES", 50, 20, 90, 20);
    arc(dxf, "HOLES", 50, 15, 5, 90, 270);
    arc(dxf, "HOLES", 90, 15, 5, 270, 90);
    text(dxf, "TEXT", 22, 66, 5, "BRACKET B");
    line(dxf, "Construction", 50, 45, 90, 45);
    line(dxf, "Construction", 70, 25, 70, 65);
    dxf.entity("POINT", "Construction");
    dxf.point(10, 70, 45);
    end_file(dxf);
    return dxf.text();
}

// A panel with a hole block placed as a 6 x 3 array, and a foot block (which places
// the hole block twice) placed turned and scaled.
std::string panel_blocks_array()
{
    DxfText dxf;
    header(dxf, 220.0, 130.0);
    tables(dxf, {{"0", 7}, {"OUTLINE", 7}, {"HOLES", 1}, {"FEET", 5}, {"TEXT", 3}});
    begin_section(dxf, "BLOCKS");
    begin_block(dxf, "HOLE");
    circle(dxf, "HOLES", 0, 0, 4);
    line(dxf, "HOLES", -6, 0, 6, 0);
    line(dxf, "HOLES", 0, -6, 0, 6);
    end_block(dxf);
    begin_block(dxf, "FOOT");
    polyline(dxf, "FEET", {{-10, -5}, {10, -5}, {10, 5}, {-10, 5}});
    insert(dxf, "FEET", {"HOLE", -5, 0, 0.5});
    insert(dxf, "FEET", {"HOLE", 5, 0, 0.5});
    end_block(dxf);
    dxf.group(0, "ENDSEC");
    begin_section(dxf, "ENTITIES");
    polyline(dxf, "OUTLINE", {{0, 0}, {220, 0}, {220, 120}, {0, 120}});
    insert(dxf, "0", {"HOLE", 30, 25, 1.0, 0.0, 6, 3, 32, 30});
    insert(dxf, "0", {"FOOT", 200, 100, 1.5, 90.0});
    insert(dxf, "0", {"FOOT", 25, 108});
    text(dxf, "TEXT", 60, 124, 5, "PANEL 6 X 3");
    end_file(dxf);
    return dxf.text();
}

// ---- IGES -----------------------------------------------------------------------------------

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

// A flange: outer and inner circle, six bolt holes, a keyway as a polyline and two
// centre lines on level 2.
std::string flange_iges()
{
    iges_writer::IgesFile file;
    file.start = "Flange made by the viewer's sample generator.";
    const auto full_circle = [](double x, double y, double radius) {
        return iges_writer::Entity{100, "0," + number(x) + "," + number(y) + "," +
                                            number(x + radius) + "," + number(y) + "," +
                                            number(x + radius) + "," + number(y) + ";"};
    };
    file.entities.push_back(full_circle(0, 0, 60));
    file.entities.push_back(full_circle(0, 0, 25));
    for (int hole = 0; hole < 6; ++hole) {
        const double angle = hole * kPi / 3;
        auto entity = full_circle(45 * std::cos(angle), 45 * std::sin(angle), 5);
        entity.colour = 2;
        file.entities.push_back(entity);
    }
    file.entities.push_back({106, "1,4,0,-4,24.6779,-4,29,4,29,4,24.6779;"});
    iges_writer::Entity across{110, "-65,0,0,65,0,0;", 2};
    iges_writer::Entity upwards{110, "0,-65,0,0,65,0;", 2};
    across.colour = upwards.colour = 3;
    file.entities.push_back(across);
    file.entities.push_back(upwards);
    return iges_writer::write_iges(file);
}

// ---- Part reports --------------------------------------------------------------------------

constexpr const char* kBracketReport = "PART REPORT\r\n"
                                       "UNITS : MM\r\n"
                                       "JOB ID : J-1044\r\n"
                                       "MATERIAL DENSITY : 7,85\r\n"
                                       "PART AREA : 9386.2\r\n"
                                       "HOLES AREA : 1132.4\r\n"
                                       "TOTAL AREA : 10518.6\r\n"
                                       "PART WEIGHT : 0.221\r\n"
                                       "HOLES WEIGHT : 0.027\r\n"
                                       "TOTAL WEIGHT : 0.248\r\n"
                                       "RECTANGLE WEIGHT : 0.264\r\n"
                                       "#BEGIN_MACHINE_DATA\r\n"
                                       "MACHINE : Punch 5000\r\n"
                                       "NUMBER OF TOOLS : 4\r\n"
                                       "TOTAL HITS : 86\r\n"
                                       "TOTAL NIBBLING HITS : 40\r\n"
                                       "TOTAL SLOW NIBBLING HITS : 12\r\n"
                                       "TOTAL FAST NIBBLING HITS : 28\r\n"
                                       "TIME - MOVEMENT : 14,2\r\n"
                                       "TIME - HITS : 21,5\r\n"
                                       "TIME - TOTAL : 35,7\r\n"
                                       "#END_MACHINE_DATA\r\n"
                                       "#BEGIN_MACHINE_DATA\r\n"
                                       "MACHINE : Laser L3\r\n"
                                       "LASER TOTAL PIERCES : 5\r\n"
                                       "LASER TOTAL CUTTING LENGTH : 612,4\r\n"
                                       "TIME - LASER PIERCES : 2,5\r\n"
                                       "TIME - LASER CUTTING : 18,4\r\n"
                                       "TIME - TOTAL : 20,9\r\n"
                                       "#END_MACHINE_DATA\r\n";

constexpr const char* kHingeReport = "UNITS : INCHES\r\n"
                                     "JOB ID : NONE\r\n"
                                     "MATERIAL DENSITY : 0.0975\r\n"
                                     "PART AREA : 14.6\r\n"
                                     "TOTAL AREA : 15.1\r\n"
                                     "PART WEIGHT : 0.21\r\n"
                                     "TOTAL WEIGHT : 0.22\r\n"
                                     "#BEGIN_MACHINE_DATA\r\n"
                                     "MACHINE : Router R2\r\n"
                                     "ROUTING TOTAL CUTTING LENGTH : 38.5\r\n"
                                     "TIME - ROUTING CUTTING : 6.1\r\n"
                                     "TIME - TOTAL : 6.1\r\n"
                                     "#END_MACHINE_DATA\r\n";

// ---- Writing -------------------------------------------------------------------------------

bool write_bytes(const fs::path& path, const void* bytes, size_t size)
{
    std::ofstream file(path, std::ios::binary);
    file.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    if (!file) {
        std::fprintf(stderr, "make_samples: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s (%zu bytes)\n", path.c_str(), size);
    return true;
}

bool write_text(const fs::path& path, const std::string& text)
{
    return write_bytes(path, text.data(), text.size());
}

// The drawing read back by Halvern and written by its DXF writer in the given dialect.
bool rewrite_dxf(const std::string& source, const fs::path& path, int32_t version)
{
    DXFDrawingRec drawing{};
    NewDXFDrawing(&drawing);
    drawing.dxf_Pool = CreatePool(8192, 4096);
    bool written = ReadADXFFileMem(source.data(), static_cast<uint32_t>(source.size()), nullptr,
                                   &drawing, 1) == 0 &&
                   WriteDXFVersion(path.c_str(), &drawing, version) == 0;
    FreeDXFDrawing(&drawing);
    if (!written) {
        std::fprintf(stderr, "make_samples: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s (%ju bytes)\n", path.c_str(), static_cast<uintmax_t>(fs::file_size(path)));
    return true;
}

bool write_generated_dxf(const fs::path& path, dxf_bench::DxfForm form)
{
    // Enough entities to fill a few sheets with every kind the generator makes.
    constexpr uint64_t kEntities = 240;
    dxf_bench::DxfContents contents;
    const std::string bytes = dxf_bench::make_dxf(form, uint64_t{1} << 40, contents, kEntities);
    return write_text(path, bytes);
}

bool write_part(const fs::path& path, const kzv::Part& part)
{
    const std::vector<uint8_t> bytes = kzv::write_part(part);
    return write_bytes(path, bytes.data(), bytes.size());
}

}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_samples FOLDER\n");
        return 2;
    }
    const fs::path folder(argv[1]);
    std::error_code error;
    fs::create_directories(folder, error);

    const std::string bracket = bracket_r12();
    const bool written =
        write_text(folder / "bracket_r12.dxf", bracket) &&
        rewrite_dxf(bracket, folder / "bracket_minimal.dxf", 0) &&
        rewrite_dxf(bracket, folder / "bracket_2004.dxf", 2005) &&
        write_text(folder / "panel_blocks_array.dxf", panel_blocks_array()) &&
        write_generated_dxf(folder / "sheets_2000.dxf", dxf_bench::DxfForm::Ascii) &&
        write_generated_dxf(folder / "sheets_2000_binary.dxf", dxf_bench::DxfForm::Binary16) &&
        write_text(folder / "flange.igs", flange_iges()) &&
        write_part(folder / "BRACKET(B).KZV", kzv::plate(kzv::Version{15, 20, 0})) &&
        write_text(folder / "BRACKET(B).gr", kBracketReport) &&
        write_part(folder / "HINGE(2).KZV", kzv::blocks_part()) &&
        write_text(folder / "HINGE(2).gr", kHingeReport);
    return written ? 0 : 1;
}
