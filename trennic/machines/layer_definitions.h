// The layer definition records of a part file's section A: 208 bytes from version
// 15.2, 163 bytes before it. Both read into one form, the current one.
#ifndef TRENNIC_MACHINES_LAYER_DEFINITIONS_H
#define TRENNIC_MACHINES_LAYER_DEFINITIONS_H

#include <cstddef>
#include <cstdint>
#include <span>

namespace trennic {

enum class LayerDefinitionLayout {
    Current, // 208 bytes, from version 15.2
    Old      // 163 bytes
};

constexpr size_t kLayerDefinitionLength = 208;
constexpr size_t kOldLayerDefinitionLength = 163;
constexpr size_t kMachineNameFieldLength = 81;

constexpr size_t layer_definition_length(LayerDefinitionLayout layout)
{
    return layout == LayerDefinitionLayout::Current ? kLayerDefinitionLength
                                                    : kOldLayerDefinitionLength;
}

// One layer definition, as far as the library uses it. Flags bits 4 to 11 hold the
// layer kind; 16 to 21 make the layer a tooling layer of its machine.
struct QXLayerDefRec {
    uint32_t flags;
    int32_t id;
    double angle;                                   // radians
    char machine_name[kMachineNameFieldLength + 1]; // the field's text, NUL-terminated

    int32_t kind() const { return static_cast<int32_t>((flags >> 4) & 0xFF); }
    bool is_tooling_layer() const { return kind() >= 16 && kind() <= 21; }
};

// Reads one record of layer_definition_length(layout) bytes. An old record is brought
// to the current form: when it names no layer kind and its id is 9000 or more, the
// kind follows from flag bit 2 (20) or from the angle (19 at -pi/2 or 3 pi/2, 18 at pi,
// 17 at pi/2, else 16).
QXLayerDefRec read_layer_definition(std::span<const uint8_t> record, LayerDefinitionLayout layout);

}

#endif
