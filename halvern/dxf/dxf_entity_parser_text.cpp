// TEXT and MTEXT entities, both made into TEXT items: the text stored behind the
// record, the first alignment point, and a second point that stands for the far
// corner of the text when the file gives none.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dxf/dxf_entity_reader.h"
#include "dxf/dxf_group_list_source.h"
#include "geometry/geometry_internal.h"

namespace halvern::entity {

namespace {

// The last text group of an entity, kept while its other groups pass through the
// shared value buffer.
struct TextValue {
    char text[DXF_GROUP_VALUE_SIZE] = "";
    size_t length = 0;

    void take(const char* value)
    {
        length = std::min(std::strlen(value), sizeof text - 1);
        std::memcpy(text, value, length);
        text[length] = '\0';
    }
};

// A TEXT item holding the record and its text.
template <typename Source>
void add_text_item(EntityReader<Source>& reader, const TextRec& record, const TextValue& value)
{
    ItemRec* item = reader.create(DXFItemText, static_cast<int64_t>(value.length) + 1);
    if (item == nullptr)
        return;
    TextRec& text = item->it_Text;
    const uint32_t flags = record.tx_Flags;
    text = record;
    text.tx_Flags = 0;
    text.tx_Text = reinterpret_cast<char*>(&item->it_Text + 1);
    std::memcpy(text.tx_Text, value.text, value.length + 1);
    if (reader.add(item))
        text.tx_Flags = flags;
}

uint32_t generation_flags(int32_t value)
{
    uint32_t flags = 0;
    if ((value & 2) != 0)
        flags |= DXFTextBackward;
    if ((value & 4) != 0)
        flags |= DXFTextUpsideDown;
    return flags;
}

uint32_t horizontal_flags(int32_t value)
{
    switch (value) {
    case 1: return DXFTextCentre;
    case 2: return DXFTextRight;
    case 3: return DXFTextAligned;
    case 4: return DXFTextCentreMiddle;
    case 5: return DXFTextFit;
    default: return 0;
    }
}

uint32_t vertical_flags(int32_t value)
{
    switch (value) {
    case 1: return DXFTextBottom;
    case 2: return DXFTextMiddle;
    case 3: return DXFTextTop;
    default: return 0;
    }
}

}

template <typename Source>
void read_text(EntityReader<Source>& reader)
{
    TextValue value;
    TextRec text{};
    uint32_t flags = 0;
    const bool complete = reader.read_to_end([&](int32_t code) {
        if (reader.take_common() || reader.take_extrusion())
            return;
        switch (code) {
        case 1: value.take(reader.text()); break;
        case 10: text.tx_Point.x = reader.x(); break;
        case 20: text.tx_Point.y = reader.y(); break;
        case 30: text.tx_Point.z = reader.z(); break;
        case 11: text.tx_Point2.x = reader.x(); break;
        case 21: text.tx_Point2.y = reader.y(); break;
        case 40: text.tx_Height = reader.real(); break;
        case 50: text.tx_Rotation = reader.real() * kRadiansPerDegree; break;
        case 51: text.tx_Oblique = reader.real() * kRadiansPerDegree; break;
        case 71: flags |= generation_flags(reader.integer()); break;
        case 72: flags |= horizontal_flags(reader.integer()); break;
        case 73: flags |= vertical_flags(reader.integer()); break;
        default: break;
        }
    });
    if (!complete)
        return;
    // Without a second point the far corner is estimated, a character as wide as high.
    const double length = static_cast<double>(value.length) * text.tx_Height;
    if (is_zero(text.tx_Point2.x))
        text.tx_Point2.x = text.tx_Point.x + std::cos(text.tx_Rotation) * length;
    if (is_zero(text.tx_Point2.y))
        text.tx_Point2.y =
            text.tx_Point.y + text.tx_Height + std::sin(text.tx_Rotation) * length;
    text.tx_Point2.z = 0.0;
    if (reader.is_extruded()) {
        double z1 = text.tx_Point.z;
        double z2 = text.tx_Point2.z;
        DXFExtrudePoints(&text.tx_Point.x, &text.tx_Point.y, &z1, &text.tx_Point2.x,
                         &text.tx_Point2.y, &z2, &reader.extrusion());
    }
    // The height served the extrusion; only the drawing reader keeps it.
    if constexpr (!Source::kKeepsTextHeight)
        text.tx_Point.z = 0.0;
    text.tx_Flags = flags;
    add_text_item(reader, text, value);
}

template <typename Source>
void read_mtext(EntityReader<Source>& reader)
{
    TextValue value;
    double x = 0.0;
    double y = 0.0;
    Point3DRec direction{};
    double height = 0.0;
    double width = 0.0;
    double rotation = 0.0;
    double oblique = 0.0;
    int32_t attachment = 7;
    const bool complete = reader.read_fields([&](int32_t code) {
        switch (code) {
        case 1: value.take(reader.text()); break;
        case 10: x = reader.x(); break;
        case 20: y = reader.y(); break;
        case 11: direction.x = reader.real(); break;
        case 21: direction.y = reader.real(); break;
        case 31: direction.z = reader.real(); break;
        case 40: height = reader.real(); break;
        case 42: width = reader.real(); break;
        case 50: rotation = reader.real() * kRadiansPerDegree; break;
        case 51: oblique = reader.real() * kRadiansPerDegree; break;
        case 71: attachment = reader.integer(); break;
        default: break;
        }
    });
    if (!complete)
        return;
    if (!is_zero(direction.x) || !is_zero(direction.y))
        rotation = std::atan2(direction.y, direction.x);
    const double c = std::cos(rotation);
    const double s = std::sin(rotation);
    // The text's up direction.
    const double up_c = std::cos(rotation + kHalfPi);
    const double up_s = std::sin(rotation + kHalfPi);

    // Attachments in the centre and right columns shift the box left along the text.
    switch (attachment) {
    case 2:
    case 5:
        x -= c * width / 2.0;
        y -= s * width / 2.0;
        break;
    case 3:
    case 6:
        x -= c * width;
        y -= s * width;
        break;
    default: break;
    }
    TextRec text{};
    switch (attachment) {
    case 1:
    case 2:
    case 3: text.tx_Point = Point3DRec{x - up_c * height, y - up_s * height, 0.0}; break;
    case 4:
    case 5:
    case 6:
        text.tx_Point = Point3DRec{x - up_c * height / 2.0, y - up_s * height / 2.0, 0.0};
        break;
    case 8:
        text.tx_Point = is_zero(width) ? Point3DRec{x, y, 0.0}
                                       : Point3DRec{x - c * width / 2.0, y - s * width / 2.0, 0.0};
        break;
    case 9:
        text.tx_Point = is_zero(width) ? Point3DRec{x, y, 0.0}
                                       : Point3DRec{x - c * width, y - s * width, 0.0};
        break;
    default: text.tx_Point = Point3DRec{x, y, 0.0}; break;
    }
    const double length = static_cast<double>(value.length) * height;
    text.tx_Point2 = Point3DRec{x + c * length, y + height + s * length, 0.0};
    text.tx_Height = height;
    text.tx_Rotation = rotation;
    text.tx_Oblique = oblique;
    add_text_item(reader, text, value);
}

template void read_text(EntityReader<StreamSource>& reader);
template void read_text(EntityReader<ListSource>& reader);
template void read_mtext(EntityReader<StreamSource>& reader);

}
