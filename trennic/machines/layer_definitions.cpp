// Layer definition records of section A.

#include "machines/layer_definitions.h"

#include <cassert>
#include <cmath>
#include <cstring>
#include <numbers>

#include "library/byte_reader.h"

namespace trennic {

namespace {

constexpr size_t kFlagsOffset = 0;
constexpr size_t kIdOffset = 4;
constexpr size_t kAngleOffset = 41;
constexpr size_t kMachineNameOffset = 127;
constexpr size_t kOldMachineNameOffset = 82;

constexpr uint32_t kKindMask = 0xFF0;
constexpr int kKindShift = 4;
constexpr uint32_t kFlagBit2 = 0x4;
constexpr int32_t kFirstKindedId = 9000;
constexpr double kTolerance = 1e-6;

bool is_near(double a, double b)
{
    return std::fabs(a - b) < kTolerance;
}

int32_t kind_from_old_record(uint32_t flags, double angle)
{
    constexpr double pi = std::numbers::pi;
    if ((flags & kFlagBit2) != 0)
        return 20;
    if (is_near(angle, -pi / 2.0) || is_near(angle, 3.0 * pi / 2.0))
        return 19;
    if (is_near(angle, pi))
        return 18;
    if (is_near(angle, pi / 2.0))
        return 17;
    return 16;
}

}

QXLayerDefRec read_layer_definition(std::span<const uint8_t> record, LayerDefinitionLayout layout)
{
    assert(record.size() == layer_definition_length(layout));
    QXLayerDefRec definition{};
    definition.flags = load_u32(record.data() + kFlagsOffset);
    definition.id = load_i32(record.data() + kIdOffset);
    definition.angle = load_f64(record.data() + kAngleOffset);
    const size_t name_offset =
        layout == LayerDefinitionLayout::Current ? kMachineNameOffset : kOldMachineNameOffset;
    const std::string_view name = field_text(record.subspan(name_offset, kMachineNameFieldLength));
    std::memcpy(definition.machine_name, name.data(), name.size());
    if (layout == LayerDefinitionLayout::Old && (definition.flags & kKindMask) == 0 &&
        definition.id >= kFirstKindedId) {
        const auto kind =
            static_cast<uint32_t>(kind_from_old_record(definition.flags, definition.angle));
        definition.flags |= kind << kKindShift;
    }
    return definition;
}

}
