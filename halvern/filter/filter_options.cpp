// The option tags of a filter run and the backslash escapes of its strings.

#include "filter/filter_options.h"

#include <cstring>

#include "osmark/memory.h"

namespace halvern {

namespace {

int hex_value(char c) noexcept
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

char simple_escape(char c) noexcept
{
    switch (c) {
    case 'a':
        return 7;
    case 'b':
        return 8;
    case 'e':
        return 27;
    case 'f':
        return 12;
    case 'n':
        return 10;
    case 'r':
        return 13;
    case 't':
        return 9;
    case 'v':
        return 11;
    default:
        return c; // \" \' \? \\ and any other character stand for themselves
    }
}

double real_option(uintptr_t data, double fallback) noexcept
{
    const auto* value = reinterpret_cast<const double*>(data);
    return value != nullptr ? *value : fallback;
}

int32_t word(uintptr_t data) noexcept
{
    return static_cast<int32_t>(static_cast<uint32_t>(data));
}

}

uint32_t FilterUnescape(char* text, uint32_t length) noexcept
{
    uint32_t in = 0;
    uint32_t out = 0;
    while (in < length) {
        const char c = text[in++];
        if (c != '\\') {
            text[out++] = c;
            continue;
        }
        if (in == length)
            break; // a lone backslash at the end is dropped
        const char e = text[in++];
        if (e >= '0' && e <= '7') {
            // Every octal digit that follows is taken; the byte keeps the low 8 bits.
            uint32_t value = static_cast<uint32_t>(e - '0');
            while (in < length && text[in] >= '0' && text[in] <= '7')
                value = (value << 3 | static_cast<uint32_t>(text[in++] - '0')) & 0xFFu;
            text[out++] = static_cast<char>(value);
            continue;
        }
        if (e == 'x' && in < length && hex_value(text[in]) >= 0) {
            uint32_t value = 0;
            while (in < length && hex_value(text[in]) >= 0)
                value = (value << 4 | static_cast<uint32_t>(hex_value(text[in++]))) & 0xFFu;
            text[out++] = static_cast<char>(value);
            continue;
        }
        text[out++] = simple_escape(e);
    }
    text[out] = '\0';
    return out;
}

char* FilterUnescapedCopy(const char* text) noexcept
{
    if (text == nullptr)
        return nullptr;
    const uint32_t length = static_cast<uint32_t>(std::strlen(text));
    char* copy = AllocStr(length, text);
    if (copy != nullptr)
        FilterUnescape(copy, length);
    return copy;
}

bool FilterReadOptions(DXFFilterContext& context, const TagItem* tags)
{
    DXFFilterOptions& o = context.options;
    bool seen_units = false;
    bool seen_error_code = false;
    bool seen_error_position = false;
    TagItem* cursor = const_cast<TagItem*>(tags);
    while (const TagItem* tag = NextTagItem(&cursor)) {
        const uintptr_t data = tag->ti_Data;
        switch (tag->ti_Tag) {
        case DXFF_EllipseFlags:
            o.ellipse_flags = static_cast<uint32_t>(data);
            break;
        case DXFF_SplineFlags:
            o.spline_flags = static_cast<uint32_t>(data);
            break;
        case DXFF_EllipseTolerance:
            o.ellipse_tolerance = real_option(data, o.ellipse_tolerance);
            break;
        case DXFF_SplineTolerance:
            o.spline_tolerance = real_option(data, o.spline_tolerance);
            break;
        case DXFF_PolylineFlags:
            o.polyline_flags = static_cast<uint32_t>(data);
            break;
        case DXFF_ArcFlags:
            o.arc_flags = static_cast<uint32_t>(data);
            break;
        case DXFF_LineFlags:
            o.line_flags = static_cast<uint32_t>(data);
            break;
        case DXFF_ExplodeInserts:
            o.explode_inserts = data != 0;
            break;
        case DXFF_PolylineChordTolerance:
            o.polyline_chord_tolerance = real_option(data, o.polyline_chord_tolerance);
            break;
        case DXFF_ArcChordTolerance:
            o.arc_chord_tolerance = real_option(data, o.arc_chord_tolerance);
            break;
        case DXFF_ProgressHook:
            context.progress = reinterpret_cast<DXFFilterHook>(data);
            break;
        case DXFF_ProgressUserData:
            context.progress_user = reinterpret_cast<void*>(data);
            break;
        case DXFF_ErrorCode:
            if (!seen_error_code)
                o.error_code = reinterpret_cast<int32_t*>(data);
            seen_error_code = true;
            break;
        case DXFF_ErrorPosition:
            if (!seen_error_position)
                o.error_position = reinterpret_cast<int32_t*>(data);
            seen_error_position = true;
            break;
        case DXFF_Delete:
            if (data != 0)
                o.delete_rules.push_back(reinterpret_cast<const DXFDeleteRule*>(data));
            break;
        case DXFF_OpenContours:
            o.open_contours = data != 0;
            break;
        case DXFF_ContourTolerance:
            o.contour_tolerance = real_option(data, o.contour_tolerance);
            break;
        case DXFF_OpenAsPolyline:
            o.open_as_polyline = data != 0;
            break;
        case DXFF_NameCharsFrom:
        case DXFF_NameCharsTo: {
            char*& target =
                tag->ti_Tag == DXFF_NameCharsFrom ? context.name_chars_from : context.name_chars_to;
            FreeStr(target);
            target = FilterUnescapedCopy(reinterpret_cast<const char*>(data));
            if (data != 0 && target == nullptr)
                return false;
            break;
        }
        case DXFF_KeepTexts:
            o.keep_texts = data != 0;
            break;
        case DXFF_ClosedContours:
            o.closed_contours = data != 0;
            break;
        case DXFF_ClosedAsPolyline:
            o.closed_as_polyline = data != 0;
            break;
        case DXFF_OpenFitArcs:
            o.open_fit_arcs = data != 0;
            break;
        case DXFF_ClosedFitArcs:
            o.closed_fit_arcs = data != 0;
            break;
        case DXFF_OpenFitTolerance:
            o.open_fit_tolerance = real_option(data, o.open_fit_tolerance);
            break;
        case DXFF_ClosedFitTolerance:
            o.closed_fit_tolerance = real_option(data, o.closed_fit_tolerance);
            break;
        case DXFF_Modify:
            if (data != 0)
                o.modify_rules.push_back(reinterpret_cast<const DXFModifyRule*>(data));
            break;
        case DXFF_IGESUnits:
            if (!seen_units)
                o.iges_units = word(data);
            seen_units = true;
            break;
        case DXFF_Scale:
            o.scale = real_option(data, o.scale);
            break;
        case DXFF_RemoveDuplicates:
            o.remove_duplicates = data != 0;
            break;
        case DXFF_OpenSimplify:
            o.open_simplify = data != 0;
            break;
        case DXFF_ClosedSimplify:
            o.closed_simplify = data != 0;
            break;
        case DXFF_OpenSimplifyTolerance:
            o.open_simplify_tolerance = real_option(data, o.open_simplify_tolerance);
            break;
        case DXFF_ClosedSimplifyTolerance:
            o.closed_simplify_tolerance = real_option(data, o.closed_simplify_tolerance);
            break;
        case DXFF_OpenFillet:
            o.open_fillet = data != 0;
            break;
        case DXFF_ClosedFillet:
            o.closed_fillet = data != 0;
            break;
        case DXFF_OpenFilletRadius:
            o.open_fillet_radius = real_option(data, o.open_fillet_radius);
            break;
        case DXFF_OpenFilletMinAngle:
            o.open_fillet_min_angle = real_option(data, o.open_fillet_min_angle);
            break;
        case DXFF_OpenFilletMaxAngle:
            o.open_fillet_max_angle = real_option(data, o.open_fillet_max_angle);
            break;
        case DXFF_ClosedFilletRadius:
            o.closed_fillet_radius = real_option(data, o.closed_fillet_radius);
            break;
        case DXFF_ClosedFilletMinAngle:
            o.closed_fillet_min_angle = real_option(data, o.closed_fillet_min_angle);
            break;
        case DXFF_ClosedFilletMaxAngle:
            o.closed_fillet_max_angle = real_option(data, o.closed_fillet_max_angle);
            break;
        case DXFF_ContourOption:
            o.contour_option = word(data);
            break;
        case DXFF_OpenFilletLimit:
            o.open_fillet_limit = real_option(data, o.open_fillet_limit);
            break;
        case DXFF_ClosedFilletLimit:
            o.closed_fillet_limit = real_option(data, o.closed_fillet_limit);
            break;
        case DXFF_OpenFlattenArcs:
            o.open_flatten_arcs = data != 0;
            break;
        case DXFF_ClosedFlattenArcs:
            o.closed_flatten_arcs = data != 0;
            break;
        case DXFF_OpenFlattenTolerance:
            o.open_flatten_tolerance = real_option(data, o.open_flatten_tolerance);
            break;
        case DXFF_ClosedFlattenTolerance:
            o.closed_flatten_tolerance = real_option(data, o.closed_flatten_tolerance);
            break;
        case DXFF_JoinTexts:
            o.join_texts = data != 0;
            break;
        case DXFF_JoinSeparator:
            o.join_separator = reinterpret_cast<const char*>(data);
            break;
        case DXFF_JoinSpacing:
            o.join_spacing = real_option(data, o.join_spacing);
            break;
        case DXFF_JoinOffset:
            o.join_offset = real_option(data, o.join_offset);
            break;
        case DXFF_JoinAngleTolerance:
            o.join_angle_tolerance = real_option(data, o.join_angle_tolerance);
            break;
        case DXFF_OpenMinLength:
            o.open_min_length = data != 0;
            break;
        case DXFF_OpenMinLengthValue:
            o.open_min_length_value = real_option(data, o.open_min_length_value);
            break;
        case DXFF_ClosedMinLength:
            o.closed_min_length = data != 0;
            break;
        case DXFF_ClosedMinLengthValue:
            o.closed_min_length_value = real_option(data, o.closed_min_length_value);
            break;
        case DXFF_RenameBlock:
            if (data != 0)
                o.rename_rules.push_back(reinterpret_cast<const DXFRenameRule*>(data));
            break;
        case DXFF_OpenContourHook:
            if (data != 0)
                o.open_contour_hook = reinterpret_cast<DXFContourHook>(data);
            break;
        case DXFF_ClosedContourHook:
            if (data != 0)
                o.closed_contour_hook = reinterpret_cast<DXFContourHook>(data);
            break;
        case DXFF_DXFVersion:
            o.dxf_version = word(data);
            break;
        case DXFF_LayersOn:
            o.layers_on = data != 0;
            break;
        case DXFF_ExplodeNestedInserts:
            o.explode_nested_inserts = data != 0;
            break;
        case DXFF_FlattenInserts:
            o.flatten_inserts = data != 0;
            break;
        case DXFF_WriteHeader:
            o.write_header = word(data);
            break;
        case DXFF_WriteClasses:
            o.write_classes = word(data);
            break;
        case DXFF_WriteTables:
            o.write_tables = word(data);
            break;
        case DXFF_WriteBlocks:
            o.write_blocks = word(data);
            break;
        case DXFF_WriteEntities:
            o.write_entities = word(data);
            break;
        case DXFF_WriteObjects:
            o.write_objects = word(data);
            break;
        case DXFF_TranslateX:
            o.translate_x = real_option(data, o.translate_x);
            break;
        case DXFF_TranslateY:
            o.translate_y = real_option(data, o.translate_y);
            break;
        case DXFF_TranslateZ:
            o.translate_z = real_option(data, o.translate_z);
            break;
        case DXFF_MoveToOrigin:
            o.move_to_origin = data != 0;
            break;
        case DXFF_Snap:
            o.snap = data != 0;
            o.snap_step = real_option(data, 0.0);
            break;
        default:
            break;
        }
    }
    return true;
}

}
