// Reading and checking a part file image.

#include "geometry/part_file.h"

#include <algorithm>
#include <cstring>

#include "library/make_error.h"
#include "osmark/errors.h"
#include "trennic/geometry.h"

namespace trennic {

namespace {

constexpr size_t kFormatIdOffset = 0;
constexpr size_t kFileKindOffset = 52;
constexpr size_t kMajorOffset = 56;
constexpr size_t kMinorOffset = 60;
constexpr size_t kMaintenanceOffset = 72;

constexpr size_t kMaterialNameOffset = 4;
constexpr size_t kThicknessOffset = 45;
constexpr size_t kOptionsOffset = 73;
constexpr size_t kClearanceOffset = 77;
constexpr size_t kToleranceOffset = 85;

constexpr uint64_t kSectionBRecordLength = 60;
constexpr uint64_t kShortSectionCRecordLength = 44;
constexpr uint64_t kSectionCRecordLength = 81;

int32_t read_header(ByteReader& reader, PartFile& file)
{
    const auto header = reader.take(kGeometryHeaderLength);
    if (!reader.ok())
        return make_error(IoErrBadIO);
    if (CheckFormatID(load_u32(header.data() + kFormatIdOffset)) != 0)
        return make_error(IoErrObjectInvalid);
    if (load_u32(header.data() + kFileKindOffset) != QX_FILE_KIND_PART)
        return make_error(IoErrWrongType);
    file.version.major = load_i32(header.data() + kMajorOffset);
    file.version.minor = load_i32(header.data() + kMinorOffset);
    if (file.version.major >= kFirstMaintainedMajor)
        file.version.maintenance = load_i32(header.data() + kMaintenanceOffset);
    return 0;
}

int32_t read_material(ByteReader& reader, PartFile& file)
{
    const auto header = reader.take(kMaterialHeaderLength);
    if (!reader.ok())
        return make_error(IoErrBadIO);
    if (CheckFormatID(load_u32(header.data() + kFormatIdOffset)) != 0)
        return make_error(IoErrObjectInvalid);
    QXMaterialHeaderRec& material = file.material;
    // The name ends at its field even without a NUL.
    const std::string_view name =
        field_text(header.subspan(kMaterialNameOffset, kMaterialNameFieldLength));
    std::memcpy(material.name, name.data(), name.size());
    material.thickness = load_f64(header.data() + kThicknessOffset);
    material.options = load_u32(header.data() + kOptionsOffset);
    material.clearance = load_f64(header.data() + kClearanceOffset);
    material.rotation_angle_tolerance = load_u16(header.data() + kToleranceOffset);
    file.has_material = true;
    return 0;
}

// A section's marker and count: 0, -24 or -25.
int32_t read_section_head(ByteReader& reader, bool may_be_section_a, uint32_t& count)
{
    const uint32_t marker = reader.u32();
    if (!reader.ok())
        return make_error(IoErrBadIO);
    if (marker != QX_SECTION_MARKER && !(may_be_section_a && marker == QX_SECTION_A_MARKER))
        return make_error(IoErrObjectInvalid);
    count = reader.u32();
    return reader.ok() ? 0 : make_error(IoErrBadIO);
}

int32_t read_layer_definitions(ByteReader& reader, PartFile& file)
{
    uint32_t count = 0;
    if (const int32_t result = read_section_head(reader, true, count); result != 0)
        return result;
    const LayerDefinitionLayout layout = file.version.at_least(kVersionCurrentLayout)
                                             ? LayerDefinitionLayout::Current
                                             : LayerDefinitionLayout::Old;
    const size_t length = layer_definition_length(layout);
    // The count is the file's word: room grows only with records that are there.
    file.layer_definitions.reserve(std::min<size_t>(count, reader.remaining() / length));
    for (uint32_t i = 0; i < count; ++i) {
        const auto record = reader.take(length);
        if (!reader.ok())
            return make_error(IoErrBadIO);
        file.layer_definitions.push_back(read_layer_definition(record, layout));
    }
    return 0;
}

// A section whose records the reader steps over: every record must be there.
int32_t skip_section(ByteReader& reader, uint64_t record_length)
{
    uint32_t count = 0;
    if (const int32_t result = read_section_head(reader, false, count); result != 0)
        return result;
    reader.skip_records(count, record_length);
    return reader.ok() ? 0 : make_error(IoErrBadIO);
}

}

int32_t read_part_file(std::span<const uint8_t> image, PartFile& file)
{
    ByteReader reader(image);
    int32_t result = read_header(reader, file);
    if (result == 0 && file.version.at_least(kVersionMaterialHeader))
        result = read_material(reader, file);
    if (result == 0)
        result = read_layer_definitions(reader, file);
    if (result == 0 && file.version.at_least(kVersionSectionB))
        result = skip_section(reader, kSectionBRecordLength);
    if (result == 0)
        result = skip_section(reader, file.version.at_least(kVersionLongRecordsC)
                                          ? kSectionCRecordLength
                                          : kShortSectionCRecordLength);
    if (result == 0)
        result = read_element_section(reader, file.element_layout(), file.block_elements);
    if (result == 0)
        result = read_element_section(reader, file.element_layout(), file.part_elements);
    if (result == 0)
        file.text = reader.rest();
    return result;
}

}
