// Open fonts: the process-wide list of shared TextFont records over platform fonts,
// the system font, rotated fonts on TrueType faces, style variants, measuring and the
// enumeration of the platform's fonts.

#include "osmark/fonts.h"

#include "core/runtime/make_error.h"
#include "fonts_internal.h"
#include "graphics_internal.h"
#include "osmark/exit_list.h"
#include "osmark/gui_services.h"
#include "osmark/library.h"
#include "osmark/locale.h"
#include "osmark/memory.h"

#include <cstring>
#include <strings.h>

namespace {

List* g_fonts = nullptr;

void free_text_font(TextFont* font)
{
    FreeStr(font->tf_Node.ln_Name);
    if (font->tf_Font != nullptr)
        DeleteObject(font->tf_Font);
    FreeVec(font);
}

void close_all_fonts()
{
    if (g_fonts == nullptr)
        return;
    while (Node* node = RemHead(g_fonts))
        free_text_font(reinterpret_cast<TextFont*>(node));
    FreeVec(g_fonts);
    g_fonts = nullptr;
}

TextFont* new_text_font(HFONT handle)
{
    auto* font = static_cast<TextFont*>(AllocVec(sizeof(TextFont)));
    if (font == nullptr)
        return nullptr;
    std::memset(font, 0, sizeof(TextFont));
    font->tf_Font = handle;
    AddTail(g_fonts, &font->tf_Node);
    return font;
}

// Fills the record from its platform font; false when the metrics cannot be read.
bool fill_text_font(TextFont* font)
{
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr)
        return false;
    HGDIOBJ previous = SelectObject(dc, font->tf_Font);
    if (previous == nullptr) {
        DeleteDC(dc);
        return false;
    }
    TEXTMETRICA metrics{};
    const bool measured = GetTextMetricsA(dc, &metrics) != FALSE;
    if (measured) {
        font->tf_YSize =
            static_cast<uint16_t>(metrics.tmHeight < 0 ? -metrics.tmHeight : metrics.tmHeight);
        font->tf_Style = (metrics.tmItalic != 0 ? FSF_ITALIC : 0u) |
                         (metrics.tmUnderlined != 0 ? FSF_UNDERLINED : 0u) |
                         (metrics.tmStruckOut != 0 ? FSF_STRIKEOUT : 0u) |
                         (metrics.tmWeight > FW_NORMAL ? FSF_BOLD : 0u);
        // In text metrics a clear pitch bit means fixed pitch.
        font->tf_Flags = (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0 ? TFF_FIXEDPITCH : 0u;
        font->tf_AvgWidth = static_cast<uint16_t>(metrics.tmAveCharWidth);
        font->tf_Ascent = static_cast<uint16_t>(metrics.tmAscent);
        font->tf_Overhang = static_cast<uint16_t>(metrics.tmOverhang);
        font->tf_FirstChar = metrics.tmFirstChar;
        font->tf_LastChar = metrics.tmLastChar;
        font->tf_DefaultChar = metrics.tmDefaultChar;
        font->tf_BreakChar = metrics.tmBreakChar;
        font->tf_Weight = static_cast<uint32_t>(metrics.tmWeight);
        font->tf_CharSet = metrics.tmCharSet;
        font->tf_Family = DecodeFontFamily(metrics.tmPitchAndFamily);
        font->tf_Node.ln_Type = NT_FONT;
    }
    LOGFONTA record{};
    if (GetObjectA(font->tf_Font, sizeof record, &record) != 0) {
        const size_t length = strnlen(record.lfFaceName, LF_FACESIZE - 1);
        FreeStr(font->tf_Node.ln_Name);
        font->tf_Node.ln_Name = AllocStr(static_cast<uint32_t>(length), record.lfFaceName);
        font->tf_Escapement = record.lfEscapement;
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    return measured;
}

bool make_font_list()
{
    if (g_fonts != nullptr)
        return true;
    InitialiseFonts();
    return g_fonts != nullptr;
}

bool is_system_request(const TextAttr* attr)
{
    return attr == nullptr || attr->ta_Name == nullptr || (attr->ta_Flags & TAF_SYSTEMFONT) != 0;
}

bool same_name(const char* a, const char* b)
{
    if (a == nullptr || b == nullptr)
        return a == b;
    return strcasecmp(a, b) == 0;
}

bool match_text_font(const TextAttr& attr, const TextFont& font)
{
    const uint8_t set = TAF_CHARSET_OF(attr.ta_Flags);
    return same_name(font.tf_Node.ln_Name, attr.ta_Name) && (set == 1 || set == font.tf_CharSet) &&
           ((attr.ta_Flags & TAF_FIXEDPITCH) == 0 || (font.tf_Flags & TFF_FIXEDPITCH) != 0) &&
           static_cast<uint16_t>(attr.ta_YSize) == font.tf_YSize &&
           attr.ta_Style == font.tf_Style &&
           ((attr.ta_Flags & TAF_NOFAMILY) != 0 || attr.ta_Family == 0 ||
            attr.ta_Family == font.tf_Family);
}

TextFont* find_open_font(const TextAttr& attr, int32_t escapement)
{
    for (Node* node = g_fonts->lh_Head; node->ln_Succ != nullptr; node = node->ln_Succ) {
        auto* font = reinterpret_cast<TextFont*>(node);
        if (node->ln_Type == NT_FONT && font->tf_Escapement == escapement &&
            match_text_font(attr, *font))
            return font;
    }
    return nullptr;
}

// Creates the platform font and lists a new record for it.
TextFont* create_font(const LOGFONTA& record)
{
    HFONT handle = CreateFontIndirectA(&record);
    if (handle == nullptr)
        return nullptr;
    TextFont* font = new_text_font(handle);
    if (font == nullptr) {
        DeleteObject(handle);
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
    if (!fill_text_font(font)) {
        Remove(&font->tf_Node);
        free_text_font(font);
        return nullptr;
    }
    font->tf_UseCount = 1;
    return font;
}

// The request for the system font's own attributes.
TextAttr system_font_request(const TextFont& system)
{
    TextAttr attr{};
    attr.ta_Name = system.tf_Node.ln_Name;
    attr.ta_YSize = static_cast<int16_t>(system.tf_YSize);
    attr.ta_Style = system.tf_Style;
    attr.ta_Flags = system.tf_Flags;
    attr.ta_Family = system.tf_Family;
    return attr;
}

int32_t find_truetype_face(TextAttr* /*attr*/, uint32_t kind, uintptr_t /*argument*/,
                           void* /*user_data*/)
{
    return (kind & FONTKIND_TRUETYPE) != 0 ? 1 : 0;
}

// Text at an angle needs an outline font: the face is looked for in up to four walks,
// and the logical font rebuilt from the first walk that finds a TrueType face.
void choose_truetype_face(LOGFONTA& record, int32_t angle)
{
    // The walks' names must outlive the record, which is rebuilt from one of them.
    char face[LF_FACESIZE];
    std::memcpy(face, record.lfFaceName, sizeof face);
    face[LF_FACESIZE - 1] = '\0';
    TextAttr requested{};
    osmark::graphics::log_font_to_text_attr(record, requested);
    requested.ta_Name = face;
    TextAttr filters[4] = {requested, requested, requested, requested};
    filters[1].ta_Name = "Arial";
    filters[2].ta_Name = "Arial";
    filters[2].ta_Flags = (filters[2].ta_Flags & 0x00FFFFFFu) | TAF_CHARSET(1);
    filters[3].ta_Name = nullptr;
    filters[3].ta_Flags = (filters[3].ta_Flags & 0x00FFFFFFu) | TAF_CHARSET(1);
    for (TextAttr& filter : filters) {
        if (WalkFonts(nullptr, &filter, 0, find_truetype_face, nullptr) > 0) {
            TextAttr chosen = requested;
            chosen.ta_Name = filter.ta_Name;
            chosen.ta_Flags = (chosen.ta_Flags & 0x00FFFFFFu) | (filter.ta_Flags & 0xFF000000u);
            osmark::graphics::text_attr_to_log_font(chosen, record);
            record.lfEscapement = angle;
            record.lfOrientation = angle;
            return;
        }
    }
    record.lfEscapement = 0;
    record.lfOrientation = 0;
}

}

namespace osmark::graphics {

void text_attr_to_log_font(const TextAttr& attr, LOGFONTA& record)
{
    std::memset(&record, 0, sizeof record);
    record.lfHeight = attr.ta_YSize;
    record.lfWeight = (attr.ta_Style & FSF_BOLD) != 0 ? FW_BOLD : FW_NORMAL;
    record.lfItalic = (attr.ta_Style & FSF_ITALIC) != 0 ? 1 : 0;
    record.lfUnderline = (attr.ta_Style & FSF_UNDERLINED) != 0 ? 1 : 0;
    record.lfStrikeOut = (attr.ta_Style & FSF_STRIKEOUT) != 0 ? 1 : 0;
    record.lfCharSet = TAF_CHARSET_OF(attr.ta_Flags);
    record.lfQuality = 1; // draft
    record.lfPitchAndFamily = static_cast<BYTE>(EncodeFontFamily(attr.ta_Family) |
                                                ((attr.ta_Flags & TAF_FIXEDPITCH) != 0 ? 1 : 0));
    if (attr.ta_Name != nullptr)
        std::strncpy(record.lfFaceName, attr.ta_Name, LF_FACESIZE - 1);
}

void log_font_to_text_attr(const LOGFONTA& record, TextAttr& attr)
{
    attr.ta_Name = record.lfFaceName;
    attr.ta_YSize = static_cast<int16_t>(record.lfHeight);
    attr.ta_Style = (record.lfWeight > FW_NORMAL ? FSF_BOLD : 0u) |
                    (record.lfItalic != 0 ? FSF_ITALIC : 0u) |
                    (record.lfUnderline != 0 ? FSF_UNDERLINED : 0u) |
                    (record.lfStrikeOut != 0 ? FSF_STRIKEOUT : 0u);
    attr.ta_Flags = ((record.lfPitchAndFamily & 0x03) == FIXED_PITCH ? TAF_FIXEDPITCH : 0u) |
                    TAF_CHARSET(record.lfCharSet);
    attr.ta_Family = DecodeFontFamily(record.lfPitchAndFamily);
}

}

extern "C" {

OSMARK_API uint8_t EncodeFontFamily(uint8_t family) noexcept
{
    static constexpr uint8_t kCodes[] = {0, 48, 32, 16, 64, 80};
    return family <= 5 ? kCodes[family] : family;
}

OSMARK_API uint8_t DecodeFontFamily(uint8_t pitch_and_family) noexcept
{
    switch (pitch_and_family & 0x70) {
    case 0x10:
        return 3;
    case 0x20:
        return 2;
    case 0x30:
        return 1;
    case 0x40:
        return 4;
    case 0x50:
        return 5;
    default:
        return 0;
    }
}

OSMARK_API void InitialiseFonts(void) noexcept
{
    if (g_fonts != nullptr)
        return;
    auto* list = static_cast<List*>(AllocVec(sizeof(List)));
    if (list == nullptr)
        return;
    AddExitProc(&LibraryExitList, close_all_fonts);
    NewList(list);
    g_fonts = list;
    const Locale* locale = GetSystemLocale();
    const uint32_t platform_word = locale != nullptr ? locale->loc_Platform : 0;
    const int stock = platform_word == 1   ? DEFAULT_GUI_FONT
                      : platform_word == 2 ? DEVICE_DEFAULT_FONT
                                           : SYSTEM_FONT;
    TextFont* font = new_text_font(static_cast<HFONT>(GetStockObject(stock)));
    if (font == nullptr)
        return;
    fill_text_font(font);
    font->tf_Node.ln_Type = NT_FONT;
    font->tf_Flags |= TFF_SYSTEMFONT;
}

OSMARK_API TextFont* GetSystemFont(void) noexcept
{
    if (!make_font_list())
        return nullptr;
    for (Node* node = g_fonts->lh_Head; node->ln_Succ != nullptr; node = node->ln_Succ) {
        auto* font = reinterpret_cast<TextFont*>(node);
        if ((font->tf_Flags & TFF_SYSTEMFONT) != 0)
            return font;
    }
    return nullptr;
}

OSMARK_API int32_t IsOpenFont(const TextFont* font) noexcept
{
    if (g_fonts == nullptr || font == nullptr)
        return 0;
    for (Node* node = g_fonts->lh_Head; node->ln_Succ != nullptr; node = node->ln_Succ) {
        if (reinterpret_cast<const TextFont*>(node) == font)
            return 1;
    }
    return 0;
}

OSMARK_API void SetSystemFont(TextFont* font) noexcept
{
    if (!make_font_list() || IsOpenFont(font) == 0)
        return;
    if (TextFont* previous = GetSystemFont(); previous != nullptr)
        previous->tf_Flags &= ~TFF_SYSTEMFONT;
    font->tf_Flags |= TFF_SYSTEMFONT;
}

OSMARK_API TextFont* OpenFont(const TextAttr* attr) noexcept
{
    if (!make_font_list())
        return nullptr;
    if (is_system_request(attr))
        return GetSystemFont();
    if (TextFont* shared = find_open_font(*attr, 0); shared != nullptr) {
        ++shared->tf_UseCount;
        return shared;
    }
    LOGFONTA record;
    osmark::graphics::text_attr_to_log_font(*attr, record);
    return create_font(record);
}

OSMARK_API TextFont* OpenRotatedFont(const TextAttr* attr, int32_t escapement) noexcept
{
    if (g_fonts == nullptr)
        return nullptr;
    int64_t angle = escapement % 3600;
    if (angle < 0)
        angle += 3600;
    TextAttr request{};
    if (is_system_request(attr)) {
        const TextFont* system = GetSystemFont();
        if (system == nullptr)
            return nullptr;
        request = system_font_request(*system);
    } else {
        request = *attr;
    }
    if (TextFont* shared = find_open_font(request, static_cast<int32_t>(angle));
        shared != nullptr) {
        ++shared->tf_UseCount;
        return shared;
    }
    LOGFONTA record;
    osmark::graphics::text_attr_to_log_font(request, record);
    choose_truetype_face(record, static_cast<int32_t>(angle));
    return create_font(record);
}

OSMARK_API void CloseFont(TextFont* font) noexcept
{
    if (IsOpenFont(font) == 0)
        return;
    --font->tf_UseCount;
    if (font->tf_UseCount < 1 && (font->tf_Flags & TFF_SYSTEMFONT) == 0) {
        Remove(&font->tf_Node);
        free_text_font(font);
    }
}

OSMARK_API TextFont* GetSoftStyle(RastPort* rp, uint32_t style_index) noexcept
{
    if (rp == nullptr)
        return OpenFont(nullptr);
    TextFont* font = rp->rp_Font;
    if (font == nullptr)
        return OpenFont(nullptr);
    if (style_index >= 4) {
        if (IsOpenFont(font) != 0)
            ++font->tf_UseCount;
        return font;
    }
    static constexpr uint32_t kStyles[] = {0, FSF_BOLD, FSF_BOLD | FSF_ITALIC, FSF_ITALIC};
    TextAttr request{};
    request.ta_Name = font->tf_Node.ln_Name;
    request.ta_YSize = static_cast<int16_t>(font->tf_YSize);
    request.ta_Flags = (font->tf_Flags & ~TFF_SYSTEMFONT) | TAF_CHARSET(font->tf_CharSet);
    request.ta_Family = font->tf_Family;
    request.ta_Style = kStyles[style_index];
    if (request.ta_Name == nullptr)
        return OpenFont(nullptr);
    return font->tf_Escapement != 0 ? OpenRotatedFont(&request, font->tf_Escapement)
                                    : OpenFont(&request);
}

OSMARK_API void FontExtent(TextFont* font, const char* text, int32_t length,
                           int32_t* extent) noexcept
{
    RastPort* rp = __GetRastPort();
    if (rp == nullptr) {
        if (extent != nullptr)
            extent[0] = extent[1] = 0;
        return;
    }
    TextFont* previous = rp->rp_Font;
    SetFont(rp, font);
    TextExtent(rp, text, length, extent);
    SetFont(rp, previous);
}

OSMARK_API int32_t WalkFonts(RastPort* rp, const TextAttr* filter, uintptr_t argument,
                             FontEnumFunc callback, void* user_data) noexcept
{
    if (callback == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return -1;
    }
    if (rp == nullptr)
        rp = __GetRastPort();
    if (rp == nullptr) {
        osmark::set_io_error(IoErrNoMemory);
        return -1;
    }
    if (rp->rp_Ops == nullptr || rp->rp_Ops->rpo_EnumFonts == nullptr) {
        osmark::set_io_error(IoErrNotImplemented);
        return -1;
    }
    TextAttr request{};
    if (filter != nullptr)
        request = *filter;
    else
        request.ta_Flags = TAF_CHARSET(1);
    int32_t result = 0;
    rp->rp_Ops->rpo_EnumFonts(rp, &request, argument, callback, user_data, &result);
    return result;
}
}
