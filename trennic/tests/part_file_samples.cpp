// The sample parts.

#include "part_file_samples.h"

#include <numbers>

namespace kzv {

namespace {

constexpr double kPi = std::numbers::pi;

std::string version_name(const Version& version)
{
    std::string name = "_v" + std::to_string(version.major) + "_" +
                       (version.minor < 10 ? "0" : "") + std::to_string(version.minor);
    if (version.maintenance != 0)
        name += "_m" + std::to_string(version.maintenance);
    return name + ".KZV";
}

}

Part plate(Version version)
{
    Part part;
    part.version = version;
    part.material = Material{"S235JR", 3.0, 0x1B3, 5.0, 15};
    part.layers = {
        tooling_layer("Laser 3030", 9001, 16),
        tooling_layer("Laser 3030", 9002, 17),
        tooling_layer("Punch 500", 9101, 16),
        tooling_layer("Punch 500", 9102, 20),
        // A construction layer, no machine's.
        LayerDefinition{0, 50, "Helpers", 0.0, "", ""},
    };
    part.section_b_records = 2;
    part.section_c_records = 3;
    // The outline 200 x 100 with a rounded corner, a hole and a slot.
    part.elements = {
        line(0, 0, 190, 0),
        arc(190, 10, 10, 3 * kPi / 2, 2 * kPi, 1),
        line(200, 10, 200, 100),
        line(200, 100, 0, 100),
        line(0, 100, 0, 0),
        circle(50, 50, 12.5).colour(4),
        line(120, 40, 160, 40).colour(2),
        arc(160, 50, 10, kPi / 2, 3 * kPi / 2, -1).colour(2),
        line(160, 60, 120, 60).colour(2),
        arc(120, 50, 10, kPi / 2, 3 * kPi / 2, 1).colour(2),
        construction_line(0, 50, 0, 50, 0).layer(50).line_type(3),
        circle(150, 50, 30).construction().layer(50),
        text(10, 85, 0, 8, "PLATE-01").layer(50).colour(9),
        tooling(0).layer(9001),
        tooling(17).layer(9102),
        tooling_with_word(10).layer(9002),
        tooling(2).layer(0),
    };
    part.text_lines = {
        "; machine data",
        "c_machine=Laser 3030",
        "mach_data1[0]=Laser 3030|0",
        "mach_data2[0]=Laser 3030|3|1|0|1|1|0|1|2.5|10",
        "mach_data3[0]=Laser 3030|1|1|0|1|1|5|5|0|0|0|0|3|4|0.75|55|85",
        "mach_data1[1]=Punch 500|2",
        "mach_data1[2]=Bender 100|1",
        "ccnd1=1,1,1,0,0,2.5,2.5,0,0,0,0,0,0,0.5,60,90",
    };
    return part;
}

Part blocks_part()
{
    Part part;
    part.material = Material{"AlMg3", 1.5, 0x12, 2.0, 5};
    part.blocks = {
        block_begin("HOLE", 0, 0),
        circle(0, 0, 4),
        block_end(),
        block_begin("SLOT", 0, 0),
        line(-5, -2, 5, -2),
        arc(5, 0, 2, 3 * kPi / 2, kPi / 2, 1),
        line(5, 2, -5, 2),
        arc(-5, 0, 2, kPi / 2, 3 * kPi / 2, 1),
        block_end(),
    };
    part.elements = {
        line(0, 0, 300, 0),
        line(300, 0, 300, 200),
        line(300, 200, 0, 200),
        line(0, 200, 0, 0),
        placement("SLOT", 150, 180, 0),
        rectangular_array("HOLE", 20, 20, 0, 3, kPi / 2, 30, 4, 0, 40),
        circular_array("HOLE", 220, 100, 0, 50, 270, 100, kPi / 4, 8),
        // A placement of a block the file never defines makes no item.
        placement("MISSING", 10, 10, 0),
    };
    return part;
}

std::vector<NamedPart> sample_parts()
{
    std::vector<NamedPart> parts;
    for (const Version version :
         {Version{15, 20, 0}, Version{15, 19, 0}, Version{14, 5, 3}, Version{4, 1, 0},
          Version{3, 50, 0}, Version{2, 50, 0}, Version{2, 10, 0}}) {
        parts.push_back({"plate" + version_name(version), plate(version)});
    }
    parts.push_back({"blocks" + version_name(Version{15, 20, 0}), blocks_part()});
    Part old_blocks = blocks_part();
    old_blocks.version = Version{15, 10, 0};
    parts.push_back({"blocks" + version_name(old_blocks.version), old_blocks});
    return parts;
}

}
