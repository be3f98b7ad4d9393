// A part file read into memory and checked, before anything of it reaches a geometry
// record: the headers, the layer definitions, the element records of the block and
// part sections (views into the file image) and the text at the end.
#ifndef TRENNIC_GEOMETRY_PART_FILE_H
#define TRENNIC_GEOMETRY_PART_FILE_H

#include <cstdint>
#include <span>
#include <vector>

#include "geometry/element_sections.h"
#include "geometry/file_version.h"
#include "machines/layer_definitions.h"

namespace trennic {

constexpr size_t kGeometryHeaderLength = 128;
constexpr size_t kMaterialHeaderLength = 256;
constexpr size_t kMaterialNameFieldLength = 41;

// The material header (from version 3).
struct QXMaterialHeaderRec {
    char name[kMaterialNameFieldLength + 1]; // the field's text, NUL-terminated
    double thickness;
    uint32_t options; // bits 0-3 rotations, 4 use RAS, 5-7 clusters, 8 find best angle
    double clearance;
    uint16_t rotation_angle_tolerance;
};

struct PartFile {
    FileVersion version;
    bool has_material = false;
    QXMaterialHeaderRec material{};
    std::vector<QXLayerDefRec> layer_definitions;
    std::vector<ElementBytes> block_elements;
    std::vector<ElementBytes> part_elements;
    std::span<const uint8_t> text;

    ElementLayout element_layout() const
    {
        return version.at_least(kVersionCurrentLayout) ? ElementLayout::Current
                                                       : ElementLayout::Old;
    }
};

// Reads and checks the whole image; the views in file point into it. 0, -24, -25 or
// -32 as QX_LoadGeometryInfoFP gives them (trennic/geometry.h).
int32_t read_part_file(std::span<const uint8_t> image, PartFile& file);

}

#endif
