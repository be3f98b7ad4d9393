// The OS handler: raster ports over device contexts (window contexts and memory
// contexts holding a bitmap's section), drawing through GDI with cached pens and brushes.

#include "fonts_internal.h"
#include "gdi_handler_internal.h"

#include "platform/system_metrics.h"
#include "platform/user_paint.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace osmark::graphics {
namespace {

HDC dc_of(const RastPort* rp)
{
    return rp->rp_OSHandle;
}

COLORREF rgb(Colour colour)
{
    return ColourToRGB(static_cast<int32_t>(colour));
}

bool solid_pattern(const RastPort* rp)
{
    return rp->rp_LinePtrn == 0xFFFFFFFFu;
}

// ---- Dashed lines -------------------------------------------------------------------

struct DashWalk {
    RastPort* rp;
};

void dash_point(int x, int y, LPARAM data)
{
    RastPort* rp = reinterpret_cast<DashWalk*>(data)->rp;
    const uint32_t position = rp->rp_LinePtrnPos;
    const uint32_t byte = (rp->rp_LinePtrn >> (8 * (position / 8))) & 0xFFu;
    const bool set = ((byte >> (7 - position % 8)) & 1u) != 0;
    Colour colour = ColourNone;
    if (set)
        colour = rp->rp_APen;
    else if (rp->rp_DrMd == DrawModeOpaque)
        colour = rp->rp_BPen;
    if (colour != ColourNone)
        SetPixelV(dc_of(rp), x, y, rgb(colour));
    rp->rp_LinePtrnPos = static_cast<uint8_t>((position + 1) % 32);
}

void dashed_line(RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    DashWalk walk{rp};
    LineDDA(x0, y0, x1, y1, dash_point, reinterpret_cast<LPARAM>(&walk));
}

// ---- Operations -----------------------------------------------------------------------

void op_mode_changed(RastPort* rp)
{
    HDC dc = dc_of(rp);
    if (dc == nullptr)
        return;
    switch (rp->rp_DrMd) {
    case DrawModeComplement:
        SetROP2(dc, R2_XORPEN);
        break;
    case DrawModeOpaque:
        SetBkMode(dc, OPAQUE);
        SetROP2(dc, R2_COPYPEN);
        break;
    case DrawModeTransparent:
        SetBkMode(dc, TRANSPARENT);
        SetROP2(dc, R2_COPYPEN);
        break;
    default:
        SetROP2(dc, rp->rp_DrMd);
        break;
    }
}

void op_open(RastPort* rp, int32_t* accept)
{
    HDC dc = dc_of(rp);
    OSPortData& data = port_data(rp);
    data.pen_index = g_pens.obtain(PenEntry::key(rp->rp_APen, rp->rp_PenWidth, rp->rp_APenStyle));
    if (HGDIOBJ pen = g_pens.object(data.pen_index); pen != nullptr)
        rp->rp_SavedPen = SelectObject(dc, pen);
    SetTextColor(dc, rgb(g_pens.colour_of(data.pen_index)));
    data.brush_index = g_brushes.obtain(BrushEntry::key(ColourSystem(5), rp->rp_BPenStyle));
    if (HGDIOBJ brush = g_brushes.object(data.brush_index); brush != nullptr)
        rp->rp_SavedBrush = SelectObject(dc, brush);
    SetBkColor(dc, rgb(g_brushes.colour_of(data.brush_index)));
    op_mode_changed(rp);
    if (rp->rp_Font != nullptr)
        rp->rp_SavedFont = SelectObject(dc, rp->rp_Font->tf_Font);
    SetTextAlign(dc, TA_UPDATECP);
    SetStretchBltMode(dc, COLORONCOLOR);
    SetArcDirection(dc, AD_COUNTERCLOCKWISE);
    rp->rp_Resolution[0] = GetDeviceCaps(dc, LOGPIXELSX);
    rp->rp_Resolution[1] = GetDeviceCaps(dc, LOGPIXELSY);
    rp->rp_Resolution[2] = GetDeviceCaps(dc, ASPECTX);
    rp->rp_Resolution[3] = GetDeviceCaps(dc, ASPECTY);
    rp->rp_SavedBitMap = nullptr;
    Move(rp, 0, 0);
    *accept = 1;
}

void op_close(RastPort* rp)
{
    HDC dc = dc_of(rp);
    if (dc == nullptr)
        return;
    OSPortData& data = port_data(rp);
    if (rp->rp_SavedPen != nullptr)
        SelectObject(dc, rp->rp_SavedPen);
    g_pens.release(data.pen_index);
    if (rp->rp_SavedBrush != nullptr)
        SelectObject(dc, rp->rp_SavedBrush);
    g_brushes.release(data.brush_index);
    if (rp->rp_SavedFont != nullptr)
        SelectObject(dc, rp->rp_SavedFont);
    if (rp->rp_SavedBitMap != nullptr) {
        HGDIOBJ section = SelectObject(dc, rp->rp_SavedBitMap);
        DeleteDC(dc);
        rp->rp_OSHandle = nullptr;
        CopyDIBToBitMap(static_cast<HBITMAP>(section), rp->rp_BitMap);
        DeleteObject(section);
        rp->rp_SavedBitMap = nullptr;
    }
}

void op_pen_changed(RastPort* rp)
{
    OSPortData& data = port_data(rp);
    const int32_t index =
        g_pens.obtain(PenEntry::key(rp->rp_APen, rp->rp_PenWidth, rp->rp_APenStyle));
    if (index == data.pen_index) {
        g_pens.release(index);
        return;
    }
    if (HGDIOBJ pen = g_pens.object(index); pen != nullptr)
        SelectObject(dc_of(rp), pen);
    g_pens.release(data.pen_index);
    SetTextColor(dc_of(rp), rgb(g_pens.colour_of(index)));
    data.pen_index = index;
}

void op_brush_changed(RastPort* rp)
{
    OSPortData& data = port_data(rp);
    const int32_t index = g_brushes.obtain(BrushEntry::key(rp->rp_BPen, rp->rp_BPenStyle));
    if (index == data.brush_index) {
        g_brushes.release(index);
        return;
    }
    if (HGDIOBJ brush = g_brushes.object(index); brush != nullptr)
        SelectObject(dc_of(rp), brush);
    g_brushes.release(data.brush_index);
    SetBkColor(dc_of(rp), rgb(g_brushes.colour_of(index)));
    data.brush_index = index;
}

void op_font_changed(RastPort* rp)
{
    HDC dc = dc_of(rp);
    if (dc == nullptr || rp->rp_Font == nullptr)
        return;
    HGDIOBJ previous = SelectObject(dc, rp->rp_Font->tf_Font);
    if (rp->rp_SavedFont == nullptr)
        rp->rp_SavedFont = previous;
}

void op_clip_changed(RastPort* rp)
{
    HDC dc = dc_of(rp);
    const Region* clip = rp->rp_ClipRegion;
    if (clip == nullptr || clip->rg_Top < 0) {
        ExtSelectClipRgn(dc, nullptr, RGN_COPY);
        return;
    }
    const RegionRectList* level = clip->rg_Levels[clip->rg_Top];
    auto device_region = [dc](const RectangleBox& box) {
        POINT corners[2] = {{box.x0, box.y0}, {box.x1, box.y1}};
        LPtoDP(dc, corners, 2);
        return CreateRectRgn(corners[0].x, corners[0].y, corners[1].x, corners[1].y);
    };
    if (level == nullptr || level->rrl_Count == 0) {
        const RectangleBox port{-rp->rp_OriginX, -rp->rp_OriginY, rp->rp_Width - rp->rp_OriginX,
                                rp->rp_Height - rp->rp_OriginY};
        HRGN region = device_region(port);
        ExtSelectClipRgn(dc, region, RGN_DIFF);
        DeleteObject(region);
        return;
    }
    HRGN joined = device_region(level->rrl_Rects[0]);
    for (int32_t i = 1; i < level->rrl_Count; ++i) {
        HRGN part = device_region(level->rrl_Rects[i]);
        CombineRgn(joined, joined, part, RGN_OR);
        DeleteObject(part);
    }
    ExtSelectClipRgn(dc, joined, RGN_COPY);
    DeleteObject(joined);
}

void op_flush(RastPort* rp)
{
    GdiFlush();
    if (rp->rp_SavedBitMap != nullptr)
        CopyDIBToBitMap(static_cast<HBITMAP>(GetCurrentObject(dc_of(rp), OBJ_BITMAP)),
                        rp->rp_BitMap);
}

void op_move(RastPort* rp, int32_t x, int32_t y)
{
    MoveToEx(dc_of(rp), x, y, nullptr);
}

void op_draw(RastPort* rp, int32_t x, int32_t y)
{
    if (solid_pattern(rp)) {
        LineTo(dc_of(rp), x, y);
        return;
    }
    dashed_line(rp, rp->rp_PenX, rp->rp_PenY, x, y);
    MoveToEx(dc_of(rp), x, y, nullptr);
}

struct StepWalk {
    RastPort* rp;
    StepDrawFunc func;
    void* data;
};

void step_point(int x, int y, LPARAM data)
{
    auto* walk = reinterpret_cast<StepWalk*>(data);
    if (walk->func != nullptr)
        walk->func(walk->rp, x, y, walk->data);
}

void op_step_draw(RastPort* rp, int32_t x, int32_t y, StepDrawFunc func, void* data)
{
    StepWalk walk{rp, func, data};
    LineDDA(rp->rp_PenX, rp->rp_PenY, x, y, step_point, reinterpret_cast<LPARAM>(&walk));
    MoveToEx(dc_of(rp), x, y, nullptr);
}

void op_read_pixel(RastPort* rp, int32_t x, int32_t y, Colour* result)
{
    const COLORREF colour = GetPixel(dc_of(rp), x, y);
    // A point off the surface reads as no colour.
    *result = colour == CLR_INVALID ? ColourNone : colour;
}

void op_write_pixel(RastPort* rp, int32_t x, int32_t y, Colour colour)
{
    SetPixelV(dc_of(rp), x, y, rgb(colour));
}

// Draws with the stock null pen selected for the call.
template <typename Draw>
void without_pen(HDC dc, Draw&& draw)
{
    HGDIOBJ previous = SelectObject(dc, GetStockObject(NULL_PEN));
    draw();
    SelectObject(dc, previous);
}

template <typename Draw>
void without_brush(HDC dc, Draw&& draw)
{
    HGDIOBJ previous = SelectObject(dc, GetStockObject(NULL_BRUSH));
    draw();
    SelectObject(dc, previous);
}

void op_polygon(RastPort* rp, int32_t fill, int32_t count, const int32_t* points)
{
    HDC dc = dc_of(rp);
    static_assert(sizeof(POINT) == 2 * sizeof(int32_t));
    const auto* corners = reinterpret_cast<const POINT*>(points);
    if (solid_pattern(rp)) {
        if (fill != 0)
            Polygon(dc, corners, count);
        else
            Polyline(dc, corners, count);
        return;
    }
    if (fill != 0)
        without_pen(dc, [&] { Polygon(dc, corners, count); });
    for (int32_t k = 0; k + 1 < count; ++k)
        dashed_line(rp, points[2 * k], points[2 * k + 1], points[2 * k + 2], points[2 * k + 3]);
    const int32_t last = count - 1;
    if (fill != 0 && (points[2 * last] != points[0] || points[2 * last + 1] != points[1]))
        dashed_line(rp, points[2 * last], points[2 * last + 1], points[0], points[1]);
}

void op_rectangle(RastPort* rp, int32_t fill, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    HDC dc = dc_of(rp);
    const POINT outline[5] = {{x0, y0}, {x0, y1 - 1}, {x1 - 1, y1 - 1}, {x1 - 1, y0}, {x0, y0}};
    if (solid_pattern(rp)) {
        if (fill != 0)
            Rectangle(dc, x0, y0, x1, y1);
        else
            Polyline(dc, outline, 5);
        return;
    }
    if (fill != 0)
        without_pen(dc, [&] { Rectangle(dc, x0, y0, x1, y1); });
    for (int k = 0; k < 4; ++k)
        dashed_line(rp, outline[k].x, outline[k].y, outline[k + 1].x, outline[k + 1].y);
}

void op_round_rectangle(RastPort* rp, int32_t fill, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                        int32_t radius_x, int32_t radius_y)
{
    HDC dc = dc_of(rp);
    if (fill != 0)
        RoundRect(dc, x0, y0, x1, y1, 2 * radius_x, 2 * radius_y);
    else
        without_brush(dc, [&] { RoundRect(dc, x0, y0, x1, y1, 2 * radius_x, 2 * radius_y); });
}

void op_arc(RastPort* rp, int32_t fill, int32_t x, int32_t y, int32_t width, int32_t height,
            int32_t start, int32_t sweep)
{
    HDC dc = dc_of(rp);
    if (width == 0 || height == 0)
        return;
    if (sweep % 36000 == 0) {
        if (fill != 0)
            Ellipse(dc, x, y, x + width, y + height);
        else
            without_brush(dc, [&] { Ellipse(dc, x, y, x + width, y + height); });
        return;
    }
    const int32_t odd_width = width % 2 == 0 ? width + 1 : width;
    const int32_t odd_height = height % 2 == 0 ? height + 1 : height;
    const int64_t cx = int64_t{x} + odd_width / 2;
    const int64_t cy = int64_t{y} + odd_height / 2;
    const double radial = 32766.0 - static_cast<double>(std::max(std::llabs(cx), std::llabs(cy)));
    constexpr double kRadiansPerDegree = 0.0174532925199433;
    const double a = start / 100.0 * kRadiansPerDegree;
    const double b = a + sweep / 100.0 * kRadiansPerDegree;
    const auto xa = static_cast<int>(cx + static_cast<int64_t>(std::trunc(radial * std::cos(a))));
    const auto ya = static_cast<int>(cy - static_cast<int64_t>(std::trunc(radial * std::sin(a))));
    const auto xb = static_cast<int>(cx + static_cast<int64_t>(std::trunc(radial * std::cos(b))));
    const auto yb = static_cast<int>(cy - static_cast<int64_t>(std::trunc(radial * std::sin(b))));
    const bool forward = sweep / 100.0 > -0.000001;
    auto draw = fill != 0 ? Pie : Arc;
    if (forward)
        draw(dc, x, y, x + width, y + height, xa, ya, xb, yb);
    else
        draw(dc, x, y, x + width, y + height, xb, yb, xa, ya);
}

void op_fill_rectangle(RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1, Colour colour)
{
    HDC dc = dc_of(rp);
    if (rp->rp_AreaPtrn != nullptr && EmptyBitMap(rp->rp_AreaPtrn) == 0) {
        const Colour b_pen = rp->rp_BPen;
        SetBPen(rp, colour);
        tile_pattern(rp, rp->rp_AreaPtrn, RectangleBox{x0, y0, x1, y1}, ColourNone, 0, 0, 0);
        SetBPen(rp, b_pen);
        return;
    }
    if (rp->rp_DrMd == DrawModeComplement) {
        const Colour b_pen = rp->rp_BPen;
        SetBPen(rp, colour);
        PatBlt(dc, x0, y0, x1 - x0, y1 - y0, PATINVERT);
        SetBPen(rp, b_pen);
        return;
    }
    const int32_t index = g_brushes.obtain(BrushEntry::key(colour, 0));
    const RECT rect{x0, y0, x1, y1};
    if (HGDIOBJ brush = g_brushes.object(index); brush != nullptr)
        FillRect(dc, &rect, static_cast<HBRUSH>(brush));
    g_brushes.release(index);
}

void op_flood(RastPort* rp, int32_t x, int32_t y, Colour colour, int32_t mode)
{
    ExtFloodFill(dc_of(rp), x, y, rgb(colour), mode == 1 ? FLOODFILLSURFACE : FLOODFILLBORDER);
}

void op_scroll(RastPort* rp, int32_t dx, int32_t dy, const RectangleBox* scroll,
               const RectangleBox* clip)
{
    if (dx == 0 && dy == 0)
        return;
    RECT scroll_rect{};
    RECT clip_rect{};
    if (scroll != nullptr)
        scroll_rect = RECT{scroll->x0, scroll->y0, scroll->x1, scroll->y1};
    if (clip != nullptr)
        clip_rect = RECT{clip->x0, clip->y0, clip->x1, clip->y1};
    ScrollDC(dc_of(rp), dx, dy, scroll != nullptr ? &scroll_rect : nullptr,
             clip != nullptr ? &clip_rect : nullptr, nullptr, nullptr);
}

void op_text(RastPort* rp, const char* text, int32_t length)
{
    if (text == nullptr || length == 0)
        return;
    if (length < 0)
        length = static_cast<int32_t>(std::strlen(text));
    HDC dc = dc_of(rp);
    TextOutA(dc, rp->rp_PenX, rp->rp_PenY, text, length);
    POINT position{};
    if (GetCurrentPositionEx(dc, &position) != FALSE) {
        rp->rp_PenX = position.x;
        rp->rp_PenY = position.y;
    }
}

void op_text_extent(RastPort* rp, const char* text, int32_t length, int32_t* size)
{
    SIZE extent{};
    if (GetTextExtentPoint32A(dc_of(rp), text, length, &extent) != FALSE) {
        size[0] = extent.cx;
        size[1] = extent.cy;
    }
}

void op_text_fit(RastPort* rp, const char* text, int32_t length, int32_t width, int32_t* count)
{
    if (length == 0) {
        *count = 0;
        return;
    }
    INT fit = 0;
    SIZE extent{};
    if (GetTextExtentExPointA(dc_of(rp), text, length, width, &fit, nullptr, &extent) != FALSE)
        *count = fit;
}

void op_port_blit(RastPort* rp, const RectangleBox* dest, RastPort* source, const RectangleBox* src,
                  uint32_t code)
{
    StretchBlt(dc_of(rp), dest->x0, dest->y0, dest->x1 - dest->x0, dest->y1 - dest->y0,
               dc_of(source), src->x0, src->y0, src->x1 - src->x0, src->y1 - src->y0, code);
}

void op_read_area(RastPort* rp, const RectangleBox* box, BitMap** result)
{
    *result = nullptr;
    const int32_t width = box->x1 - box->x0;
    const int32_t height = box->y1 - box->y0;
    BitMap* bitmap = AllocBitMap(width, height, nullptr);
    if (bitmap == nullptr)
        return;
    HBITMAP section = CreateDIBFromBitMap(bitmap);
    HDC memory = section != nullptr ? CreateCompatibleDC(dc_of(rp)) : nullptr;
    if (memory != nullptr) {
        HGDIOBJ previous = SelectObject(memory, section);
        BitBlt(memory, 0, 0, width, height, dc_of(rp), box->x0, box->y0, SRCCOPY);
        GdiFlush();
        SelectObject(memory, previous);
        CopyDIBToBitMap(section, bitmap);
        DeleteDC(memory);
    }
    if (section != nullptr)
        DeleteObject(section);
    *result = bitmap;
}

void op_write_bitmap(RastPort* rp, const RectangleBox* dest, BitMap* bitmap,
                     const RectangleBox* src, uint32_t code)
{
    if (bitmap == nullptr || bitmap->bm_Pixels == nullptr)
        return;
    DibHeader info = dib_header_of(bitmap);
    if (is_mask(bitmap)) {
        const COLORREF a_pen = rgb(rp->rp_APen);
        const COLORREF b_pen = rgb(rp->rp_BPen);
        info.colours[0] = RGBQUAD{GetBValue(a_pen), GetGValue(a_pen), GetRValue(a_pen), 0};
        info.colours[1] = RGBQUAD{GetBValue(b_pen), GetGValue(b_pen), GetRValue(b_pen), 0};
    }
    StretchDIBits(dc_of(rp), dest->x0, dest->y0, dest->x1 - dest->x0, dest->y1 - dest->y0, src->x0,
                  src->y0, src->x1 - src->x0, src->y1 - src->y0, bitmap->bm_Pixels,
                  reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, code);
}

// A memory context holding a section of the bitmap.
struct SectionContext {
    HDC dc = nullptr;
    HBITMAP section = nullptr;
    HGDIOBJ previous = nullptr;

    SectionContext(HDC compatible, const BitMap* bitmap)
    {
        section = CreateDIBFromBitMap(bitmap);
        if (section == nullptr)
            return;
        dc = CreateCompatibleDC(compatible);
        if (dc != nullptr)
            previous = SelectObject(dc, section);
    }
    SectionContext(const SectionContext&) = delete;
    SectionContext& operator=(const SectionContext&) = delete;
    ~SectionContext()
    {
        if (dc != nullptr) {
            SelectObject(dc, previous);
            DeleteDC(dc);
        }
        if (section != nullptr)
            DeleteObject(section);
    }
    bool ready() const { return dc != nullptr; }
};

void op_transparent_blit(RastPort* rp, const RectangleBox* dest, BitMap* bitmap,
                         const RectangleBox* src, BitMap* mask, uint32_t colour)
{
    HDC dc = dc_of(rp);
    SectionContext picture(dc, bitmap);
    if (!picture.ready())
        return;
    const int x = dest->x0;
    const int y = dest->y0;
    const int w = dest->x1 - dest->x0;
    const int h = dest->y1 - dest->y0;
    const int sx = src->x0;
    const int sy = src->y0;
    const int sw = src->x1 - src->x0;
    const int sh = src->y1 - src->y0;
    const int mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF background = SetBkColor(dc, 0xFFFFFF);
    const COLORREF text = SetTextColor(dc, 0);
    if (mask != nullptr) {
        SectionContext mask_context(dc, mask);
        if (mask_context.ready()) {
            StretchBlt(dc, x, y, w, h, mask_context.dc, sx, sy, sw, sh, SRCAND);
            StretchBlt(dc, x, y, w, h, picture.dc, sx, sy, sw, sh, SRCINVERT);
        }
    } else if (sw > 0 && sh > 0) {
        HBITMAP mono = CreateBitmap(sw, sh, 1, 1, nullptr);
        HDC mono_dc = mono != nullptr ? CreateCompatibleDC(dc) : nullptr;
        if (mono_dc != nullptr) {
            HGDIOBJ previous = SelectObject(mono_dc, mono);
            SetBkColor(picture.dc, colour);
            BitBlt(mono_dc, 0, 0, sw, sh, picture.dc, sx, sy, SRCCOPY);
            if (!is_mask(bitmap)) {
                StretchBlt(dc, x, y, w, h, picture.dc, sx, sy, sw, sh, SRCINVERT);
                StretchBlt(dc, x, y, w, h, mono_dc, 0, 0, sw, sh, SRCAND);
                StretchBlt(dc, x, y, w, h, picture.dc, sx, sy, sw, sh, SRCINVERT);
            } else {
                StretchBlt(dc, x, y, w, h, picture.dc, sx, sy, sw, sh, SRCINVERT);
                StretchBlt(dc, x, y, w, h, mono_dc, 0, 0, sw, sh, SRCAND);
                SetTextColor(dc, rgb(rp->rp_APen) ^ 0xFFFFFFu);
                StretchBlt(dc, x, y, w, h, mono_dc, 0, 0, sw, sh, 0xBB0226u);
                SetTextColor(dc, 0);
                StretchBlt(dc, x, y, w, h, picture.dc, sx, sy, sw, sh, SRCINVERT);
            }
            SelectObject(mono_dc, previous);
            DeleteDC(mono_dc);
        }
        if (mono != nullptr)
            DeleteObject(mono);
    }
    SetBkMode(dc, mode);
    SetBkColor(dc, background);
    SetTextColor(dc, text);
}

// Puts every port's cached object of one kind back to the one its entry makes now.
void reselect_saved(RastPort* rp, uintptr_t brushes)
{
    if (rp->rp_OSHandle == nullptr)
        return;
    void* saved = brushes != 0 ? rp->rp_SavedBrush : rp->rp_SavedPen;
    if (saved != nullptr)
        SelectObject(rp->rp_OSHandle, saved);
}

void select_cached(RastPort* rp, uintptr_t brushes)
{
    if (rp->rp_OSHandle == nullptr)
        return;
    const OSPortData& data = port_data(rp);
    HGDIOBJ object =
        brushes != 0 ? g_brushes.object(data.brush_index) : g_pens.object(data.pen_index);
    if (object == nullptr)
        return;
    HGDIOBJ displaced = SelectObject(rp->rp_OSHandle, object);
    if (brushes != 0)
        rp->rp_SavedBrush = displaced;
    else
        rp->rp_SavedPen = displaced;
}

uintptr_t os_handler_hook(Hook* /*hook*/, void* /*object*/, void* message)
{
    switch (reinterpret_cast<uintptr_t>(message)) {
    case RPHM_FirstPort:
        init_pen_cache();
        init_brush_cache();
        break;
    case RPHM_Unload:
        g_pens.free_all();
        g_brushes.free_all();
        break;
    case RPHM_RebuildPens:
        WalkRastPorts(&g_os_handler, reselect_saved, 0);
        g_pens.delete_objects();
        WalkRastPorts(&g_os_handler, select_cached, 0);
        break;
    case RPHM_RebuildBrushes:
        WalkRastPorts(&g_os_handler, reselect_saved, 1);
        g_brushes.delete_objects();
        WalkRastPorts(&g_os_handler, select_cached, 1);
        break;
    default:
        break;
    }
    return 0;
}

struct FontWalk {
    uintptr_t argument;
    FontEnumFunc callback;
    void* user_data;
    int32_t answer;
};

int enumerated_font(const LOGFONTA* font, const TEXTMETRICA* /*metrics*/, DWORD type, LPARAM data)
{
    auto& walk = *reinterpret_cast<FontWalk*>(data);
    TextAttr attr{};
    log_font_to_text_attr(*font, attr);
    // The library's kind bits: 1 device, 2 raster, 4 TrueType.
    const uint32_t kind = ((type & TRUETYPE_FONTTYPE) != 0 ? FONTKIND_TRUETYPE : 0u) |
                          ((type & RASTER_FONTTYPE) != 0 ? FONTKIND_RASTER : 0u) |
                          ((type & DEVICE_FONTTYPE) != 0 ? FONTKIND_DEVICE : 0u);
    walk.answer = walk.callback(&attr, kind, walk.argument, walk.user_data);
    return walk.answer == 0 ? 1 : 0;
}

void op_enum_fonts(RastPort* rp, TextAttr* attr, uintptr_t argument, FontEnumFunc callback,
                   void* user_data, int32_t* result)
{
    LOGFONTA record{};
    record.lfCharSet = TAF_CHARSET_OF(attr->ta_Flags);
    if (attr->ta_Name != nullptr)
        std::strncpy(record.lfFaceName, attr->ta_Name, LF_FACESIZE - 1);
    FontWalk walk{argument, callback, user_data, 0};
    EnumFontFamiliesExA(dc_of(rp), &record, enumerated_font, reinterpret_cast<LPARAM>(&walk), 0);
    *result = walk.answer;
}

Hook g_os_handler_hook = {{nullptr, nullptr}, os_handler_hook, nullptr, 0};

const RastPortOps g_os_ops = {
    sizeof(RastPortOps),
    op_open,
    op_close,
    nullptr,
    op_pen_changed,
    op_brush_changed,
    op_mode_changed,
    op_font_changed,
    op_clip_changed,
    op_flush,
    op_move,
    op_draw,
    op_step_draw,
    op_read_pixel,
    op_write_pixel,
    op_polygon,
    op_rectangle,
    op_round_rectangle,
    op_arc,
    op_fill_rectangle,
    op_flood,
    op_scroll,
    op_text,
    op_text_extent,
    op_text_fit,
    op_port_blit,
    op_read_area,
    op_write_bitmap,
    op_transparent_blit,
    op_enum_fonts,
};

}

RastPortHandler g_os_handler = {"OS RastPort Handler", 0, &g_os_handler_hook, &g_os_ops};

}

using namespace osmark::graphics;

extern "C" {

OSMARK_API RastPort* __CreateOSWindowRastPort(HDC dc) noexcept
{
    return AllocRastPort(&g_os_handler, dc, sizeof(OSPortData));
}

OSMARK_API RastPort* __CreateOSBitMapRastPort(HDC memory_dc, BitMap* bitmap) noexcept
{
    if (memory_dc == nullptr || bitmap == nullptr)
        return nullptr;
    HBITMAP section = CreateDIBFromBitMap(bitmap);
    if (section == nullptr)
        return nullptr;
    RastPort* rp = AllocRastPort(&g_os_handler, memory_dc, sizeof(OSPortData));
    if (rp == nullptr) {
        DeleteObject(section);
        return nullptr;
    }
    rp->rp_Width = bitmap->bm_Width;
    rp->rp_Height = bitmap->bm_Height;
    rp->rp_BitMap = bitmap;
    rp->rp_SavedBitMap = SelectObject(memory_dc, section);
    return rp;
}
}
