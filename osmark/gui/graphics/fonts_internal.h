// Between font requests and the platform's logical fonts, for the fonts and the OS
// handler's enumeration.
#ifndef OSMARK_GUI_GRAPHICS_FONTS_INTERNAL_H
#define OSMARK_GUI_GRAPHICS_FONTS_INTERNAL_H

#include "osmark/fonts.h"
#include "platform/gdi.h"

namespace osmark::graphics {

// The request as a platform logical font (draft quality, the face cut to 31 characters).
void text_attr_to_log_font(const TextAttr& attr, LOGFONTA& record);
// A platform font as a request; the name points into the record.
void log_font_to_text_attr(const LOGFONTA& record, TextAttr& attr);

// A glyph as the platform gives it: GGO_NATIVE data and the cell increments.
struct NativeGlyph {
    const uint8_t* data;
    uint32_t size;
    int32_t advance_x;
    int32_t advance_y;
};
// Writes the glyph in the library's outline layout (at most size bytes of it; x and y
// times scale, y plus shift) and returns the full size.
uint32_t write_character_outline(const NativeGlyph& glyph, float scale, float shift, void* buffer,
                                 uint32_t size);

}

#endif
