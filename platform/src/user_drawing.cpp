// The drawing calls of the user interface (FillRect, FrameRect, DrawFocusRect,
// DrawEdge, DrawTextW) and the rectangle helpers.

#include "gdi_objects.h"
#include "make_win32_error.h"
#include "platform/system_metrics.h"
#include "platform/user_paint.h"

#include <QtCore/QString>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

namespace platform::user {
namespace {

using gdi::DeviceContext;
using gdi::Surface;

// The colour a FillRect brush paints with: a brush's own, or a system colour by
// index + 1. None for a hollow brush or a bad handle.
std::optional<COLORREF> brush_colour(HBRUSH brush)
{
    const auto value = reinterpret_cast<uintptr_t>(brush);
    if (value > 0 && value <= COLOR_MENUBAR + 1)
        return GetSysColor(static_cast<int>(value - 1));
    const auto* object = gdi::object_of_kind<gdi::Brush>(brush);
    if (object == nullptr || !object->paints())
        return std::nullopt;
    return object->record().lbColor;
}

// Fills the rectangle (right and bottom exclusive), clipped to the surface.
void fill(const Surface& surface, int left, int top, int right, int bottom, COLORREF colour)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, surface.width);
    bottom = std::min(bottom, surface.height);
    if (surface.is_empty() || left >= right || top >= bottom)
        return;
    const uint32_t pixel = surface.device_pixel(colour) | surface.alpha;
    for (int y = top; y < bottom; ++y) {
        if (surface.clip == nullptr) {
            std::fill_n(surface.pixel(left, y), right - left, pixel);
            continue;
        }
        for (int x = left; x < right; ++x) {
            if (surface.visible(x, y))
                *surface.pixel(x, y) = pixel;
        }
    }
}

void frame(const Surface& surface, const RECT& rect, COLORREF colour)
{
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    fill(surface, rect.left, rect.top, rect.right, rect.top + 1, colour);
    fill(surface, rect.left, rect.bottom - 1, rect.right, rect.bottom, colour);
    fill(surface, rect.left, rect.top, rect.left + 1, rect.bottom, colour);
    fill(surface, rect.right - 1, rect.top, rect.right, rect.bottom, colour);
}

void invert(const Surface& surface, int x, int y)
{
    if (surface.contains(x, y) && surface.visible(x, y)) {
        uint32_t* pixel = surface.pixel(x, y);
        *pixel = (*pixel ^ 0x00FFFFFFu) | surface.alpha;
    }
}

// ---- Text ------------------------------------------------------------------------------

// A DC of our own over the same pixels (or a part of them) with the caller's font and
// colours: DrawTextW measures and clips through it without touching the caller's DC.
class TextDC {
public:
    TextDC(const DeviceContext& source, const QRect* clip)
    {
        auto dc = std::make_unique<DeviceContext>(DeviceContext::Target::Pixels);
        Surface surface = source.surface();
        if (clip != nullptr && !surface.is_empty()) {
            const QRect area = *clip & QRect(0, 0, surface.width, surface.height);
            if (area.isEmpty()) {
                surface = Surface{};
            } else {
                surface.top_row = surface.pixel(area.left(), area.top());
                surface.width = area.width();
                surface.height = area.height();
                m_offset = area.topLeft();
            }
        }
        dc->set_external_surface(surface);
        // The source's clip region holds here too, moved to the part's corner.
        if (source.clip().has_value() && !surface.is_empty())
            dc->set_clip(source.clip()->translated(-m_offset));
        dc->select(source.font());
        dc->text_colour = source.text_colour;
        dc->background_colour = source.background_colour;
        dc->background_mode = source.background_mode;
        m_dc = static_cast<HDC>(gdi::add_object(std::move(dc)));
    }
    ~TextDC()
    {
        if (m_dc != nullptr)
            DeleteDC(m_dc);
    }
    TextDC(const TextDC&) = delete;
    TextDC& operator=(const TextDC&) = delete;

    HDC handle() const { return m_dc; }
    QPoint offset() const { return m_offset; }

private:
    HDC m_dc = nullptr;
    QPoint m_offset;
};

std::string utf8_of(const std::u16string& text)
{
    const QByteArray bytes =
        QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())).toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

int width_of(HDC dc, const std::u16string& text)
{
    if (text.empty())
        return 0;
    const std::string bytes = utf8_of(text);
    SIZE size{};
    GetTextExtentPoint32A(dc, bytes.data(), static_cast<int>(bytes.size()), &size);
    return size.cx;
}

// "&x" shows "x", "&&" shows "&".
std::u16string without_prefixes(const std::u16string& text)
{
    std::u16string shown;
    shown.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        else if (text[i] == u'&')
            continue;
        shown.push_back(text[i]);
    }
    return shown;
}

std::u16string expand_tabs(const std::u16string& text)
{
    constexpr size_t kTabColumns = 8;
    std::u16string expanded;
    size_t column = 0;
    for (const char16_t unit : text) {
        if (unit == u'\t') {
            const size_t spaces = kTabColumns - column % kTabColumns;
            expanded.append(spaces, u' ');
            column += spaces;
            continue;
        }
        expanded.push_back(unit);
        column = unit == u'\n' || unit == u'\r' ? 0 : column + 1;
    }
    return expanded;
}

std::vector<std::u16string> paragraphs_of(const std::u16string& text)
{
    std::vector<std::u16string> paragraphs(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            paragraphs.emplace_back();
            continue;
        }
        paragraphs.back().push_back(text[i]);
    }
    return paragraphs;
}

// Breaks a paragraph between words where a line would grow wider than `width`; a word
// wider than the line keeps a line of its own.
void wrap(HDC dc, const std::u16string& paragraph, int width, std::vector<std::u16string>& lines)
{
    std::u16string line;
    size_t i = 0;
    while (i < paragraph.size()) {
        size_t end = i;
        while (end < paragraph.size() && paragraph[end] == u' ')
            ++end;
        while (end < paragraph.size() && paragraph[end] != u' ')
            ++end;
        const std::u16string word = paragraph.substr(i, end - i);
        if (!line.empty() && width_of(dc, line + word) > width) {
            lines.push_back(line);
            const size_t first = word.find_first_not_of(u' ');
            line = first == std::u16string::npos ? std::u16string() : word.substr(first);
        } else {
            line += word;
        }
        i = end;
    }
    lines.push_back(line);
}

std::u16string with_end_ellipsis(HDC dc, const std::u16string& line, int width)
{
    if (width_of(dc, line) <= width)
        return line;
    const int dots = width_of(dc, u"...");
    size_t low = 0;
    size_t high = line.empty() ? 0 : line.size() - 1;
    while (low < high) {
        const size_t middle = (low + high + 1) / 2;
        if (width < width_of(dc, line.substr(0, middle)) + dots)
            high = middle - 1;
        else
            low = middle;
    }
    return line.substr(0, low) + u"...";
}

int draw_text(DeviceContext& dc, const std::u16string& given, RECT& rect, UINT format)
{
    std::u16string text = (format & DT_NOPREFIX) != 0 ? given : without_prefixes(given);
    if ((format & DT_EXPANDTABS) != 0)
        text = expand_tabs(text);
    const TextDC measure(dc, nullptr);
    TEXTMETRICA metrics{};
    if (measure.handle() == nullptr || !GetTextMetricsA(measure.handle(), &metrics))
        return 0;
    const int line_height =
        metrics.tmHeight + ((format & DT_EXTERNALLEADING) != 0 ? metrics.tmExternalLeading : 0);
    const int box_width = rect.right - rect.left;

    std::vector<std::u16string> lines;
    if ((format & DT_SINGLELINE) != 0) {
        std::u16string line;
        std::copy_if(text.begin(), text.end(), std::back_inserter(line),
                     [](char16_t unit) { return unit != u'\r' && unit != u'\n'; });
        lines.push_back(line);
    } else {
        for (const std::u16string& paragraph : paragraphs_of(text)) {
            if ((format & DT_WORDBREAK) != 0)
                wrap(measure.handle(), paragraph, box_width, lines);
            else
                lines.push_back(paragraph);
        }
    }
    if ((format & DT_END_ELLIPSIS) != 0) {
        for (std::u16string& line : lines)
            line = with_end_ellipsis(measure.handle(), line, box_width);
    }
    std::vector<int> widths;
    int widest = 0;
    for (const std::u16string& line : lines) {
        widths.push_back(width_of(measure.handle(), line));
        widest = std::max(widest, widths.back());
    }
    const int height = line_height * static_cast<int>(lines.size());
    if ((format & DT_CALCRECT) != 0) {
        rect.right = rect.left + widest;
        rect.bottom = rect.top + height;
        return height;
    }
    int y = rect.top;
    const bool placed_vertically =
        (format & DT_SINGLELINE) != 0 && (format & (DT_VCENTER | DT_BOTTOM)) != 0;
    if ((format & DT_SINGLELINE) != 0) {
        if ((format & DT_VCENTER) != 0)
            y = rect.top + (rect.bottom - rect.top - line_height) / 2;
        else if ((format & DT_BOTTOM) != 0)
            y = rect.bottom - line_height;
    }
    const int first_y = y;
    const QRect clip(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
    const TextDC draw(dc, (format & DT_NOCLIP) != 0 ? nullptr : &clip);
    for (size_t i = 0; i < lines.size(); ++i, y += line_height) {
        int x = rect.left;
        if ((format & DT_CENTER) != 0)
            x = rect.left + (box_width - widths[i]) / 2;
        else if ((format & DT_RIGHT) != 0)
            x = rect.right - widths[i];
        if (lines[i].empty() || draw.handle() == nullptr)
            continue;
        const std::string bytes = utf8_of(lines[i]);
        TextOutA(draw.handle(), x - draw.offset().x(), y - draw.offset().y(), bytes.data(),
                 static_cast<int>(bytes.size()));
    }
    return placed_vertically ? first_y - rect.top + line_height : height;
}

}

}

using namespace platform::user;
using platform::gdi::DeviceContext;

extern "C" {

PLATFORM_API int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) noexcept
{
    DeviceContext* dc = platform::gdi::object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr || rect == nullptr)
        return 0;
    dc->record("FillRect(%d, %d, %d, %d)", rect->left, rect->top, rect->right, rect->bottom);
    const std::optional<COLORREF> colour = brush_colour(brush);
    RECT box = *rect;
    if (!dc->to_device(box)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (colour.has_value())
        fill(dc->surface(), box.left, box.top, box.right, box.bottom, *colour);
    return 1;
}

PLATFORM_API int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) noexcept
{
    DeviceContext* dc = platform::gdi::object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr || rect == nullptr)
        return 0;
    dc->record("FrameRect(%d, %d, %d, %d)", rect->left, rect->top, rect->right, rect->bottom);
    const std::optional<COLORREF> colour = brush_colour(brush);
    RECT box = *rect;
    if (!dc->to_device(box)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (colour.has_value())
        frame(dc->surface(), box, *colour);
    return 1;
}

PLATFORM_API BOOL DrawFocusRect(HDC hdc, const RECT* rect) noexcept
{
    DeviceContext* dc = platform::gdi::object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr || rect == nullptr)
        return FALSE;
    dc->record("DrawFocusRect(%d, %d, %d, %d)", rect->left, rect->top, rect->right, rect->bottom);
    const platform::gdi::Surface& surface = dc->surface();
    RECT box = *rect;
    if (!dc->to_device(box)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    rect = &box;
    if (rect->right <= rect->left || rect->bottom <= rect->top)
        return TRUE;
    // Every other pixel of the frame by its place on the surface, each pixel once: the
    // same call again puts every one back.
    const auto dotted = [&](int x, int y) {
        if (((x + y) & 1) == 0)
            invert(surface, x, y);
    };
    for (int x = rect->left; x < rect->right; ++x) {
        dotted(x, rect->top);
        if (rect->bottom - 1 > rect->top)
            dotted(x, rect->bottom - 1);
    }
    for (int y = rect->top + 1; y < rect->bottom - 1; ++y) {
        dotted(rect->left, y);
        if (rect->right - 1 > rect->left)
            dotted(rect->right - 1, y);
    }
    return TRUE;
}

PLATFORM_API BOOL DrawEdge(HDC hdc, LPRECT rect, UINT edge, UINT flags) noexcept
{
    DeviceContext* dc = platform::gdi::object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr || rect == nullptr)
        return FALSE;
    dc->record("DrawEdge(%d, %d, %d, %d, 0x%X, 0x%X)", rect->left, rect->top, rect->right,
               rect->bottom, edge, flags);
    const platform::gdi::Surface& surface = dc->surface();
    RECT inside = *rect;
    if (!dc->to_device(inside)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const LONG box_left = inside.left;
    const LONG box_top = inside.top;
    const LONG box_right = inside.right;
    const LONG box_bottom = inside.bottom;
    // One ring: top-left and bottom-right colours on the sides that flags name.
    const auto ring = [&](int top_left, int bottom_right) {
        if (inside.right <= inside.left || inside.bottom <= inside.top)
            return;
        const COLORREF light = GetSysColor(top_left);
        const COLORREF dark = GetSysColor(bottom_right);
        if ((flags & BF_LEFT) != 0)
            fill(surface, inside.left, inside.top, inside.left + 1, inside.bottom, light);
        if ((flags & BF_TOP) != 0)
            fill(surface, inside.left, inside.top, inside.right, inside.top + 1, light);
        if ((flags & BF_RIGHT) != 0)
            fill(surface, inside.right - 1, inside.top, inside.right, inside.bottom, dark);
        if ((flags & BF_BOTTOM) != 0)
            fill(surface, inside.left, inside.bottom - 1, inside.right, inside.bottom, dark);
        inside.left += (flags & BF_LEFT) != 0 ? 1 : 0;
        inside.top += (flags & BF_TOP) != 0 ? 1 : 0;
        inside.right -= (flags & BF_RIGHT) != 0 ? 1 : 0;
        inside.bottom -= (flags & BF_BOTTOM) != 0 ? 1 : 0;
    };
    const UINT outer = edge & BDR_OUTER;
    const UINT inner = edge & BDR_INNER;
    if ((flags & BF_MONO) != 0) {
        if (outer != 0)
            ring(COLOR_WINDOWFRAME, COLOR_WINDOWFRAME);
        if (inner != 0)
            ring(COLOR_WINDOW, COLOR_WINDOW);
    } else if ((flags & BF_FLAT) != 0) {
        if (outer != 0)
            ring(COLOR_BTNSHADOW, COLOR_BTNSHADOW);
        if (inner != 0)
            ring(COLOR_BTNFACE, COLOR_BTNFACE);
    } else {
        if (outer == BDR_RAISEDOUTER)
            ring(COLOR_3DLIGHT, COLOR_3DDKSHADOW);
        else if (outer == BDR_SUNKENOUTER)
            ring(COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
        if (inner == BDR_RAISEDINNER)
            ring(COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
        else if (inner == BDR_SUNKENINNER)
            ring(COLOR_3DDKSHADOW, COLOR_3DLIGHT);
    }
    if ((flags & BF_MIDDLE) != 0)
        fill(surface, inside.left, inside.top, inside.right, inside.bottom,
             GetSysColor((flags & BF_MONO) != 0 ? COLOR_WINDOW : COLOR_BTNFACE));
    if ((flags & BF_ADJUST) != 0)
        *rect = RECT{rect->left + (inside.left - box_left), rect->top + (inside.top - box_top),
                     rect->right + (inside.right - box_right),
                     rect->bottom + (inside.bottom - box_bottom)};
    return TRUE;
}

PLATFORM_API int DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format) noexcept
{
    DeviceContext* dc = platform::gdi::object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return 0;
    if (rect == nullptr || (text == nullptr && count != 0)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    try {
        std::u16string given;
        if (count < 0)
            given = text;
        else if (count > 0)
            given.assign(text, static_cast<size_t>(count));
        if (dc->is_recording()) {
            const std::string bytes = utf8_of(given);
            dc->record("DrawTextW(\"%s\", %d, %d, %d, %d, 0x%X)", bytes.c_str(), rect->left,
                       rect->top, rect->right, rect->bottom, format);
        }
        // Laid out and drawn on device pixels; a measured rectangle goes back logical.
        RECT box = *rect;
        if (!dc->to_device(box)) {
            platform::make_win32_error(ERROR_INVALID_PARAMETER);
            return 0;
        }
        const int height = draw_text(*dc, given, box, format);
        rect->right = static_cast<LONG>(int64_t{rect->left} + (int64_t{box.right} - box.left));
        rect->bottom = static_cast<LONG>(int64_t{rect->top} + (int64_t{box.bottom} - box.top));
        return height;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

// ---- Rectangles -----------------------------------------------------------------------------

PLATFORM_API BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) noexcept
{
    if (rect == nullptr)
        return FALSE;
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

PLATFORM_API BOOL SetRectEmpty(LPRECT rect) noexcept
{
    return SetRect(rect, 0, 0, 0, 0);
}

PLATFORM_API BOOL CopyRect(LPRECT to, const RECT* from) noexcept
{
    if (to == nullptr || from == nullptr)
        return FALSE;
    *to = *from;
    return TRUE;
}

PLATFORM_API BOOL IsRectEmpty(const RECT* rect) noexcept
{
    return rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top ? TRUE : FALSE;
}

PLATFORM_API BOOL EqualRect(const RECT* a, const RECT* b) noexcept
{
    if (a == nullptr || b == nullptr)
        return FALSE;
    return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom
               ? TRUE
               : FALSE;
}

PLATFORM_API BOOL PtInRect(const RECT* rect, POINT point) noexcept
{
    if (rect == nullptr)
        return FALSE;
    return point.x >= rect->left && point.x < rect->right && point.y >= rect->top &&
                   point.y < rect->bottom
               ? TRUE
               : FALSE;
}

PLATFORM_API BOOL InflateRect(LPRECT rect, int dx, int dy) noexcept
{
    if (rect == nullptr)
        return FALSE;
    rect->left -= dx;
    rect->top -= dy;
    rect->right += dx;
    rect->bottom += dy;
    return TRUE;
}

PLATFORM_API BOOL OffsetRect(LPRECT rect, int dx, int dy) noexcept
{
    if (rect == nullptr)
        return FALSE;
    rect->left += dx;
    rect->top += dy;
    rect->right += dx;
    rect->bottom += dy;
    return TRUE;
}

PLATFORM_API BOOL IntersectRect(LPRECT result, const RECT* a, const RECT* b) noexcept
{
    if (result == nullptr || a == nullptr || b == nullptr)
        return FALSE;
    const RECT common{std::max(a->left, b->left), std::max(a->top, b->top),
                      std::min(a->right, b->right), std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&common)) {
        *result = RECT{0, 0, 0, 0};
        return FALSE;
    }
    *result = common;
    return TRUE;
}

PLATFORM_API BOOL UnionRect(LPRECT result, const RECT* a, const RECT* b) noexcept
{
    if (result == nullptr || a == nullptr || b == nullptr)
        return FALSE;
    if (IsRectEmpty(a)) {
        *result = IsRectEmpty(b) ? RECT{0, 0, 0, 0} : *b;
        return IsRectEmpty(b) ? FALSE : TRUE;
    }
    if (IsRectEmpty(b)) {
        *result = *a;
        return TRUE;
    }
    *result = RECT{std::min(a->left, b->left), std::min(a->top, b->top),
                   std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
    return TRUE;
}
}
