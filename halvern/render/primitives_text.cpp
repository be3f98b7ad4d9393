// Text primitives: TEXT items and block labels, each through a temporary font.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "platform/gdi.h"
#include "primitives.h"
#include "primitives_internal.h"

using namespace halvern::primitives;

namespace {

// Text taller than this many pixels is not drawn: it could never be read on a
// screen, and glyphs that size would cost the rasteriser dearly.
constexpr int32_t kMaxTextPixels = 10000;
// Block labels below this height are not drawn.
constexpr int32_t kMinLabelPixels = 2;
// The platform limits text coordinates to this magnitude; a text that far out is off
// every surface anyway.
constexpr int32_t kTextCoordinateLimit = 1 << 27;

constexpr UINT kAlignBaselineLeft = TA_BASELINE | TA_LEFT;
constexpr UINT kAlignBottomLeft = TA_BOTTOM | TA_LEFT;

int32_t clamp_text_coordinate(int64_t value) noexcept
{
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, -kTextCoordinateLimit, kTextCoordinateLimit));
}

// Tenths of a degree of an angle in radians, kept within the 32-bit range.
int64_t tenths_of_degree(double radians) noexcept
{
    return round_to_pixel(radians * kDegreesPerRadian * 10.0);
}

LONG to_long(int64_t value) noexcept
{
    return static_cast<LONG>(std::clamp<int64_t>(value, std::numeric_limits<LONG>::min(),
                                                 std::numeric_limits<LONG>::max()));
}

int text_length(const char* text) noexcept
{
    return static_cast<int>(
        std::min<size_t>(std::strlen(text), static_cast<size_t>(std::numeric_limits<int>::max())));
}

void set_face(LOGFONTA& font, const char* face) noexcept
{
    if (face == nullptr)
        return;
    std::strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    font.lfFaceName[LF_FACESIZE - 1] = '\0';
}

LOGFONTA make_font(LONG height, LONG escapement, LONG orientation, LONG weight) noexcept
{
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWidth = 0;
    font.lfEscapement = escapement;
    font.lfOrientation = orientation;
    font.lfWeight = weight;
    font.lfCharSet = ANSI_CHARSET;
    font.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DRAFT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    return font;
}

// Selects a temporary font with transparent background and the given alignment, and
// puts back the font, alignment and background mode when it goes.
class TextScope {
public:
    TextScope(HDC dc, HFONT font) noexcept
        : m_dc(dc), m_font(font), m_align(GetTextAlign(dc)), m_bk_mode(GetBkMode(dc))
    {
        SetTextAlign(dc, kAlignBaselineLeft);
        SetBkMode(dc, TRANSPARENT);
        m_old_font = SelectObject(dc, font);
    }
    ~TextScope()
    {
        if (m_old_font != nullptr)
            SelectObject(m_dc, m_old_font);
        DeleteObject(m_font);
        if (m_bk_mode != 0)
            SetBkMode(m_dc, m_bk_mode);
        if (m_align != GDI_ERROR)
            SetTextAlign(m_dc, m_align);
    }
    TextScope(const TextScope&) = delete;
    TextScope& operator=(const TextScope&) = delete;

private:
    HDC m_dc;
    HFONT m_font;
    UINT m_align;
    int m_bk_mode;
    HGDIOBJ m_old_font = nullptr;
};

struct Reference {
    int64_t x;
    int64_t y;
    bool moved;  // an alignment flag placed it relative to the second point
};

// Where the text's anchor goes for the alignment flags, before any turn.
Reference align_reference(uint32_t flags, Pixel first, Pixel second, const TEXTMETRICA& metrics,
                          SIZE extent, UINT& alignment) noexcept
{
    Reference ref{first.x, first.y, false};
    const int64_t ascent = int64_t{metrics.tmHeight} - metrics.tmDescent;
    if ((flags & DXFTextTop) != 0) {
        ref.y = second.y + ascent;
        ref.moved = true;
    } else if ((flags & DXFTextBottom) != 0) {
        ref.y = int64_t{second.y} - metrics.tmDescent;
        ref.moved = true;
    } else if ((flags & DXFTextMiddle) != 0) {
        ref.y = second.y + ascent / 2;
        ref.moved = true;
    }
    if ((flags & DXFTextRight) != 0) {
        ref.x = int64_t{second.x} - extent.cx;
        ref.moved = true;
    } else if ((flags & DXFTextCentre) != 0) {
        ref.x = second.x - int64_t{extent.cx} / 2;
        ref.moved = true;
    }
    if ((flags & (DXFTextTop | DXFTextBottom | DXFTextMiddle)) != 0)
        return ref;
    if ((flags & DXFTextCentreMiddle) != 0) {
        // The cell's bottom half a cell below the point, so that the cell's middle
        // sits on it.
        ref.x = second.x - int64_t{extent.cx} / 2;
        ref.y = second.y + int64_t{extent.cy} / 2;
        alignment = kAlignBottomLeft;
    } else if ((flags & (DXFTextFit | DXFTextAligned)) != 0) {
        ref.x = first.x;
        ref.y = first.y;
        alignment = kAlignBottomLeft;
    }
    return ref;
}

// Turns the anchor about the second point with the text: the screen's y grows
// downwards, so a counter-clockwise turn by r maps the offset (dx, dy) to
// (dx cos r + dy sin r, -dx sin r + dy cos r).
void turn_reference(Reference& ref, Pixel second, double rotation) noexcept
{
    const CosSin turn = exact_cos_sin(rotation);
    const double dx = static_cast<double>(ref.x - second.x);
    const double dy = static_cast<double>(ref.y - second.y);
    ref.x = second.x + int64_t{round_to_pixel(dx * turn.cos + dy * turn.sin)};
    ref.y = second.y + int64_t{round_to_pixel(-dx * turn.sin + dy * turn.cos)};
}

// Whether a text's glyphs may reach the pick box: they lie within a generous width of
// either of its points (two heights a character and two more, whatever the face, the
// alignment and the turn). A pick tests this before it makes the font and the glyph
// region, which are most of a pick's time.
bool may_touch_pick_box(const DXFDrawingRec& drawing, double x1, double y1, double x2, double y2,
                        int32_t height, const char* text) noexcept
{
    const int64_t reach = int64_t{height} * (2 * int64_t{text_length(text)} + 2) + 2;
    const RectangleRec& box = drawing.dxf_ViewSize;
    for (const Pixel point : {map_to_pixel(drawing, x1, y1), map_to_pixel(drawing, x2, y2)}) {
        if (point.x + reach >= box.MinX && point.x - reach <= box.MaxX && point.y + reach >= box.MinY &&
            point.y - reach <= box.MaxY)
            return true;
    }
    return false;
}

void draw_or_pick_text(DXFDrawingRec* drawing, int32_t x, int32_t y, const char* text,
                       int length) noexcept
{
    HDC dc = drawing->dxf_Device;
    if (halvern::RenderPickMode == 0) {
        TextOutA(dc, x, y, text, length);
        return;
    }
    // Picking tests the glyph outlines, not the text's box.
    BeginPath(dc);
    TextOutA(dc, x, y, text, length);
    EndPath(dc);
    HRGN region = PathToRegion(dc);
    if (region == nullptr)
        return;
    const RectangleRec& box = drawing->dxf_ViewSize;
    const RECT pick{box.MinX, box.MinY, box.MaxX, box.MaxY};
    if (RectInRegion(region, &pick))
        halvern::RenderHit = 1;
    DeleteObject(region);
}

} // namespace

namespace halvern {

void DrawTextItem(double x1, double y1, double x2, double y2, const ItemRec* text,
                  DXFDrawingRec* drawing) noexcept
{
    if (drawing == nullptr || text == nullptr || !all_finite(x1, y1, x2, y2))
        return;
    const TextRec& record = text->it_Text;
    if (record.tx_Text == nullptr)
        return;
    const int32_t height = round_to_pixel(record.tx_Height * drawing->dxf_YScale);
    if (height < 1 || height > kMaxTextPixels)
        return;
    if (RenderPickMode != 0 && !may_touch_pick_box(*drawing, x1, y1, x2, y2, height, record.tx_Text))
        return;
    const double rotation = std::isfinite(record.tx_Rotation) ? record.tx_Rotation : 0.0;
    const double oblique = std::isfinite(record.tx_Oblique) ? record.tx_Oblique : 0.0;
    const int64_t escapement = tenths_of_degree(rotation);
    const LOGFONTA request = make_font(height, to_long(escapement),
                                       to_long(tenths_of_degree(oblique) + escapement), FW_NORMAL);
    LOGFONTA face_request = request;
    set_face(face_request, "Arial");
    HFONT font = CreateFontIndirectA(&face_request);
    if (font == nullptr)
        return;

    HDC dc = drawing->dxf_Device;
    const TextScope scope(dc, font);
    const int length = text_length(record.tx_Text);
    TEXTMETRICA metrics{};
    SIZE extent{};
    GetTextMetricsA(dc, &metrics);
    GetTextExtentPoint32A(dc, record.tx_Text, length, &extent);

    const Pixel first = map_to_pixel(*drawing, x1, y1);
    const Pixel second = map_to_pixel(*drawing, x2, y2);
    UINT alignment = kAlignBaselineLeft;
    Reference ref = align_reference(record.tx_Flags, first, second, metrics, extent, alignment);
    if (alignment != kAlignBaselineLeft)
        SetTextAlign(dc, alignment);
    if (ref.moved && std::fabs(rotation) >= kTolerance)
        turn_reference(ref, second, rotation);
    draw_or_pick_text(drawing, clamp_text_coordinate(ref.x), clamp_text_coordinate(ref.y),
                      record.tx_Text, length);
}

void DrawBlockLabelText(double x, double y, double angle, const ItemRec* insert,
                        DXFDrawingRec* drawing) noexcept
{
    // Labels are annotations of the view: they are never hit.
    if (RenderPickMode != 0 || drawing == nullptr || insert == nullptr || !all_finite(x, y))
        return;
    const InsertRec& record = insert->it_Insert;
    const DXFFontRec* attributes = record.in_LabelAttr;
    if (record.in_Label == nullptr || attributes == nullptr)
        return;
    const int32_t height = round_to_pixel(attributes->df_YSize * drawing->dxf_YScale);
    if (height < kMinLabelPixels || height > kMaxTextPixels)
        return;
    const LONG escapement = to_long(tenths_of_degree(std::isfinite(angle) ? angle : 0.0));
    const uint32_t style = attributes->df_Style;
    LOGFONTA request = make_font(-height, escapement, escapement,
                                 (style & 1u) != 0 ? FW_BOLD : FW_NORMAL);
    request.lfItalic = (style & 2u) != 0 ? 1 : 0;
    request.lfUnderline = (style & 4u) != 0 ? 1 : 0;
    request.lfStrikeOut = (style & 8u) != 0 ? 1 : 0;
    set_face(request, attributes->df_Name);
    HFONT font = CreateFontIndirectA(&request);
    if (font == nullptr)
        return;

    HDC dc = drawing->dxf_Device;
    const TextScope scope(dc, font);
    SetTextColor(dc, attributes->df_Colour);
    const Pixel at = map_to_pixel(*drawing, x, y);
    TextOutA(dc, clamp_text_coordinate(at.x), clamp_text_coordinate(at.y), record.in_Label,
             text_length(record.in_Label));
}

} // namespace halvern
