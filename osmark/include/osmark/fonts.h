/*
 * Fonts of raster ports: open fonts (TextFont) are shared by request and counted in one
 * process-wide list whose first node is the system font, the font of every new port.
 * Also the enumeration of the platform's fonts, the style variants of formatted text,
 * measuring in a font, and vector characters: a glyph's outline as lines and cubic
 * Bezier curves normalised to the cell height, drawn scaled and turned into a port.
 * All of it belongs to the GUI thread.
 */
#ifndef OSMARK_FONTS_H
#define OSMARK_FONTS_H

#include "osmark/api.h"
#include "osmark/lists.h"
#include "osmark/raster_ports.h"
#include "platform/gdi.h"

OSMARK_BEGIN_DECLS

/* Style bits of TextAttr and TextFont. */
#define FSF_BOLD 0x1u
#define FSF_ITALIC 0x2u
#define FSF_UNDERLINED 0x4u
#define FSF_STRIKEOUT 0x8u

/* Flags of TextAttr; bits 24-31 hold the character set (1: any). */
#define TAF_SYSTEMFONT 0x1u
#define TAF_FIXEDPITCH 0x2u
#define TAF_NOFAMILY 0x4u
#define TAF_CHARSET(set) (0x1000000u * (set))
#define TAF_CHARSET_OF(flags) (((flags) >> 24) & 0xFFu)

/* Flags of TextFont. */
#define TFF_SYSTEMFONT 0x1u
#define TFF_FIXEDPITCH 0x2u

/* The node type of an open font. */
#define NT_FONT 8

/* A font request; the caller owns it and may reuse it after the call. */
typedef struct TextAttr {
    const char* ta_Name; /* face name; NULL: the system font */
    int16_t ta_YSize;    /* > 0 cell height, < 0 character height, 0 the default */
    uint32_t ta_Style;   /* FSF_ */
    uint32_t ta_Flags;   /* TAF_ and the character set */
    uint8_t ta_Family;   /* 0 any, 1 modern, 2 swiss, 3 roman, 4 script, 5 decorative;
                            above 5 the platform's pitch-and-family byte itself */
} TextAttr;

/* An open font, owned by the open-font list. */
typedef struct TextFont {
    Node tf_Node; /* type NT_FONT; name: the face name (owned) */
    uint16_t tf_YSize;
    uint32_t tf_Style;
    uint32_t tf_Flags; /* TFF_ */
    uint16_t tf_AvgWidth;
    uint16_t tf_Ascent;
    uint16_t tf_Overhang;
    int32_t tf_UseCount;
    uint8_t tf_FirstChar;
    uint8_t tf_LastChar;
    uint8_t tf_DefaultChar;
    uint8_t tf_BreakChar;
    uint32_t tf_Weight;
    uint8_t tf_CharSet;
    uint8_t tf_Family;
    int32_t tf_Escapement; /* tenths of a degree */
    HFONT tf_Font;
} TextFont;

/* Kind bits of WalkFonts' callback. */
#define FONTKIND_DEVICE 0x1u
#define FONTKIND_RASTER 0x2u
#define FONTKIND_TRUETYPE 0x4u

/* Record kinds of a character outline. */
#define CO_LINES 1
#define CO_CUBICS 2

/* NULL attr, a NULL name or TAF_SYSTEMFONT: the system font, without a new use. Else a
 * shared or new upright font with one more use; NULL on failure. */
OSMARK_API TextFont* OpenFont(const TextAttr* attr) OSMARK_NOEXCEPT;
/* A font whose text runs at the angle (tenths of a degree, any integer), on a TrueType
 * face when one is found, else upright; one more use. */
OSMARK_API TextFont* OpenRotatedFont(const TextAttr* attr, int32_t escapement) OSMARK_NOEXCEPT;
/* Drops one use; the last frees the font (never the system font). Pointers that are not
 * open fonts are ignored. */
OSMARK_API void CloseFont(TextFont* font) OSMARK_NOEXCEPT;
OSMARK_API TextFont* GetSystemFont(void) OSMARK_NOEXCEPT;
OSMARK_API void SetSystemFont(TextFont* font) OSMARK_NOEXCEPT;
OSMARK_API int32_t IsOpenFont(const TextFont* font) OSMARK_NOEXCEPT;
/* Variant of the port's font: 0 plain, 1 bold, 2 bold italic, 3 italic (underline and
 * strike-out dropped); 4 or more the port's font itself. The caller closes it. */
OSMARK_API TextFont* GetSoftStyle(RastPort* rp, uint32_t style_index) OSMARK_NOEXCEPT;
/* Measures the text in the font on the default port; extent: width, height. */
OSMARK_API void FontExtent(TextFont* font, const char* text, int32_t length,
                           int32_t* extent) OSMARK_NOEXCEPT;
/* Enumerates the platform's fonts through the port's handler (NULL: the default port);
 * the filter's name (NULL or empty: every face) and character set count; the callback
 * answers 0 to go on and gets the kind bits FONTKIND_. The value that
 * stopped the walk, 0 when it ran through; -1 with IoErr -4 (no callback), -1 (no
 * default port) or -22 (no enumeration). */
OSMARK_API int32_t WalkFonts(RastPort* rp, const TextAttr* filter, uintptr_t argument,
                             FontEnumFunc callback, void* user_data) OSMARK_NOEXCEPT;
/* Writes the character's outline (at most size bytes) and returns its full size in
 * bytes; 0 on failure. Layout: f32 advance x, f32 advance y, u32 contour count; per
 * contour u32 size, u32 0, f32 start x, f32 start y, then records u16 kind, u16 count,
 * count x (f32 x, f32 y); in cell heights, y upwards from the cell's bottom. */
OSMARK_API uint32_t GetCharacterInformation(const TextAttr* attr, uint32_t character, uint32_t size,
                                            void* buffer) OSMARK_NOEXCEPT;
/* Draws a complete outline at the pen position (the cell's top left), height x width
 * pixels (width 0: the height), turned by angle (hundredths of a degree,
 * counter-clockwise); the pen ends at the next cell. */
OSMARK_API void DrawCharacter(RastPort* rp, const void* outline, int32_t height, int32_t width,
                              int32_t angle) OSMARK_NOEXCEPT;
/* Family codes to and from the platform's pitch-and-family byte. */
OSMARK_API uint8_t EncodeFontFamily(uint8_t family) OSMARK_NOEXCEPT;
OSMARK_API uint8_t DecodeFontFamily(uint8_t pitch_and_family) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
