// The drawing and text entry points of raster ports: each tests the port and its lock,
// adds the origin and runs the handler's operation.

#include "graphics_internal.h"

#include "osmark/clipboard.h"

#include <cstring>
#include <vector>

namespace {

using namespace osmark::graphics;

bool drawable(const RastPort* rp)
{
    return rp != nullptr && rp->rp_Lock != 1;
}

template <typename Slot>
bool has(const RastPort* rp, Slot RastPortOps::*slot)
{
    return rp->rp_Ops != nullptr && rp->rp_Ops->*slot != nullptr;
}

int32_t text_length(const char* text, int32_t length)
{
    return length < 0 ? static_cast<int32_t>(std::strlen(text)) : length;
}

// The points with the origin added; NULL when the origin is 0, 0 (the caller's points
// serve) or when the copy cannot be had (failed is then set).
int32_t* shifted_points(const RastPort* rp, int32_t count, const int32_t* points, bool& failed)
{
    failed = false;
    if (rp->rp_OriginX == 0 && rp->rp_OriginY == 0)
        return nullptr;
    auto* copy =
        static_cast<int32_t*>(AllocVec(static_cast<uint32_t>(count) * 2 * sizeof(int32_t)));
    if (copy == nullptr) {
        failed = true;
        return nullptr;
    }
    for (int32_t i = 0; i < count; ++i) {
        copy[2 * i] = points[2 * i] + rp->rp_OriginX;
        copy[2 * i + 1] = points[2 * i + 1] + rp->rp_OriginY;
    }
    return copy;
}

}

extern "C" {

OSMARK_API void Move(RastPort* rp, int32_t x, int32_t y) noexcept
{
    if (!drawable(rp))
        return;
    x += rp->rp_OriginX;
    y += rp->rp_OriginY;
    if (has(rp, &RastPortOps::rpo_Move))
        rp->rp_Ops->rpo_Move(rp, x, y);
    rp->rp_PenX = x;
    rp->rp_PenY = y;
}

OSMARK_API void Draw(RastPort* rp, int32_t x, int32_t y) noexcept
{
    if (!drawable(rp))
        return;
    x += rp->rp_OriginX;
    y += rp->rp_OriginY;
    if (has(rp, &RastPortOps::rpo_Draw))
        rp->rp_Ops->rpo_Draw(rp, x, y);
    rp->rp_PenX = x;
    rp->rp_PenY = y;
}

OSMARK_API void StepDraw(RastPort* rp, int32_t x, int32_t y, StepDrawFunc func, void* data) noexcept
{
    if (!drawable(rp))
        return;
    x += rp->rp_OriginX;
    y += rp->rp_OriginY;
    if (has(rp, &RastPortOps::rpo_StepDraw))
        rp->rp_Ops->rpo_StepDraw(rp, x, y, func, data);
    rp->rp_PenX = x;
    rp->rp_PenY = y;
}

OSMARK_API int32_t GetPenPos(const RastPort* rp, int32_t* xy) noexcept
{
    if (rp == nullptr)
        return 0;
    if (xy != nullptr) {
        xy[0] = rp->rp_PenX - rp->rp_OriginX;
        xy[1] = rp->rp_PenY - rp->rp_OriginY;
    }
    return 1;
}

OSMARK_API Colour GetRPPixel(RastPort* rp, int32_t x, int32_t y) noexcept
{
    if (rp == nullptr || !has(rp, &RastPortOps::rpo_ReadPixel))
        return ColourNone;
    Colour colour = ColourNone;
    rp->rp_Ops->rpo_ReadPixel(rp, x + rp->rp_OriginX, y + rp->rp_OriginY, &colour);
    return colour;
}

OSMARK_API void SetRPPixel(RastPort* rp, int32_t x, int32_t y, Colour colour) noexcept
{
    if (drawable(rp) && has(rp, &RastPortOps::rpo_WritePixel))
        rp->rp_Ops->rpo_WritePixel(rp, x + rp->rp_OriginX, y + rp->rp_OriginY, colour);
}

OSMARK_API void DrawPoly(RastPort* rp, int32_t count, const int32_t* points) noexcept
{
    if (!drawable(rp) || count < 1 || points == nullptr)
        return;
    bool failed = false;
    int32_t* copy = shifted_points(rp, count, points, failed);
    const int32_t* used = copy != nullptr ? copy : points;
    if (has(rp, &RastPortOps::rpo_Polygon)) {
        rp->rp_Ops->rpo_Polygon(rp, 0, count, used);
    } else if (has(rp, &RastPortOps::rpo_Move) && has(rp, &RastPortOps::rpo_Draw)) {
        rp->rp_Ops->rpo_Move(rp, used[0], used[1]);
        for (int32_t i = 1; i < count; ++i)
            rp->rp_Ops->rpo_Draw(rp, used[2 * i], used[2 * i + 1]);
        rp->rp_Ops->rpo_Move(rp, rp->rp_PenX, rp->rp_PenY);
    }
    FreeVec(copy);
}

OSMARK_API void AreaPoly(RastPort* rp, int32_t count, const int32_t* points) noexcept
{
    if (!drawable(rp) || count < 1 || points == nullptr || !has(rp, &RastPortOps::rpo_Polygon))
        return;
    bool failed = false;
    int32_t* copy = shifted_points(rp, count, points, failed);
    if (failed)
        return;
    rp->rp_Ops->rpo_Polygon(rp, 1, count, copy != nullptr ? copy : points);
    FreeVec(copy);
}

OSMARK_API void DrawRect(RastPort* rp, const RectangleBox* box) noexcept
{
    if (!drawable(rp) || box == nullptr)
        return;
    const int32_t x0 = box->x0 + rp->rp_OriginX;
    const int32_t y0 = box->y0 + rp->rp_OriginY;
    const int32_t x1 = box->x1 + rp->rp_OriginX;
    const int32_t y1 = box->y1 + rp->rp_OriginY;
    if (has(rp, &RastPortOps::rpo_Rectangle)) {
        rp->rp_Ops->rpo_Rectangle(rp, 0, x0, y0, x1, y1);
    } else if (has(rp, &RastPortOps::rpo_Move) && has(rp, &RastPortOps::rpo_Draw)) {
        rp->rp_Ops->rpo_Move(rp, x0, y0);
        rp->rp_Ops->rpo_Draw(rp, x0, y1 - 1);
        rp->rp_Ops->rpo_Draw(rp, x1 - 1, y1 - 1);
        rp->rp_Ops->rpo_Draw(rp, x1 - 1, y0);
        rp->rp_Ops->rpo_Draw(rp, x0, y0);
        rp->rp_Ops->rpo_Move(rp, rp->rp_PenX, rp->rp_PenY);
    }
}

OSMARK_API void AreaRect(RastPort* rp, const RectangleBox* box) noexcept
{
    if (!drawable(rp) || box == nullptr || !has(rp, &RastPortOps::rpo_Rectangle))
        return;
    rp->rp_Ops->rpo_Rectangle(rp, 1, box->x0 + rp->rp_OriginX, box->y0 + rp->rp_OriginY,
                              box->x1 + rp->rp_OriginX, box->y1 + rp->rp_OriginY);
}

OSMARK_API void RectFill(RastPort* rp, const RectangleBox* box, Colour colour) noexcept
{
    if (!drawable(rp) || box == nullptr || !has(rp, &RastPortOps::rpo_FillRectangle))
        return;
    rp->rp_Ops->rpo_FillRectangle(rp, box->x0 + rp->rp_OriginX, box->y0 + rp->rp_OriginY,
                                  box->x1 + rp->rp_OriginX, box->y1 + rp->rp_OriginY, colour);
}

OSMARK_API void RectangleFill(RastPort* rp, const RectangleBox* box) noexcept
{
    if (rp != nullptr)
        RectFill(rp, box, rp->rp_BPen);
}

OSMARK_API void EraseRect(RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1) noexcept
{
    if (!drawable(rp) || rp->rp_BackFillHook == nullptr)
        return;
    RectangleBox box{x0, y0, x1, y1};
    CallHookA(rp->rp_BackFillHook, rp, &box);
}

OSMARK_API void SetRast(RastPort* rp, Colour colour) noexcept
{
    if (!drawable(rp))
        return;
    const int32_t mode = rp->rp_DrMd;
    SetDrMd(rp, DrawModeTransparent);
    // The box covers the surface whatever the origin.
    const RectangleBox box{-rp->rp_OriginX, -rp->rp_OriginY, rp->rp_Width - rp->rp_OriginX,
                           rp->rp_Height - rp->rp_OriginY};
    RectFill(rp, &box, colour);
    SetDrMd(rp, mode);
}

// EraseRect takes port coordinates; the pen position is kept with the origin added.
OSMARK_API void ClearEOL(RastPort* rp) noexcept
{
    if (!drawable(rp))
        return;
    const int32_t x = rp->rp_PenX - rp->rp_OriginX;
    const int32_t y = rp->rp_PenY - rp->rp_OriginY;
    EraseRect(rp, x, y, rp->rp_Width - rp->rp_OriginX, y + font_y_size(rp));
}

OSMARK_API void ClearScreen(RastPort* rp) noexcept
{
    if (!drawable(rp))
        return;
    ClearEOL(rp);
    const int32_t bottom = rp->rp_PenY + font_y_size(rp);
    if (rp->rp_Height > bottom)
        EraseRect(rp, -rp->rp_OriginX, bottom - rp->rp_OriginY, rp->rp_Width - rp->rp_OriginX,
                  rp->rp_Height - rp->rp_OriginY);
}

OSMARK_API void DrawRectRound(RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                              int32_t radius_x, int32_t radius_y) noexcept
{
    if (!drawable(rp) || !has(rp, &RastPortOps::rpo_RoundRectangle))
        return;
    const int32_t width = x1 - x0;
    const int32_t height = y1 - y0;
    if (2 * int64_t{radius_x} > width)
        radius_x = width / 2;
    if (2 * int64_t{radius_y} > height)
        radius_y = height / 2;
    rp->rp_Ops->rpo_RoundRectangle(rp, 0, x0 + rp->rp_OriginX, y0 + rp->rp_OriginY,
                                   x1 + rp->rp_OriginX, y1 + rp->rp_OriginY, radius_x, radius_y);
}

OSMARK_API void AreaRectRound(RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                              int32_t radius_x, int32_t radius_y) noexcept
{
    if (!drawable(rp) || !has(rp, &RastPortOps::rpo_RoundRectangle))
        return;
    rp->rp_Ops->rpo_RoundRectangle(rp, 1, x0 + rp->rp_OriginX, y0 + rp->rp_OriginY,
                                   x1 + rp->rp_OriginX, y1 + rp->rp_OriginY, radius_x, radius_y);
}

OSMARK_API void DrawArc(RastPort* rp, int32_t x, int32_t y, int32_t width, int32_t height,
                        int32_t start, int32_t sweep) noexcept
{
    if (drawable(rp) && has(rp, &RastPortOps::rpo_Arc))
        rp->rp_Ops->rpo_Arc(rp, 0, x + rp->rp_OriginX, y + rp->rp_OriginY, width, height, start,
                            sweep);
}

OSMARK_API void AreaArc(RastPort* rp, int32_t x, int32_t y, int32_t width, int32_t height,
                        int32_t start, int32_t sweep) noexcept
{
    if (drawable(rp) && has(rp, &RastPortOps::rpo_Arc))
        rp->rp_Ops->rpo_Arc(rp, 1, x + rp->rp_OriginX, y + rp->rp_OriginY, width, height, start,
                            sweep);
}

OSMARK_API void Flood(RastPort* rp, int32_t x, int32_t y, Colour colour, int32_t mode) noexcept
{
    if (drawable(rp) && has(rp, &RastPortOps::rpo_Flood))
        rp->rp_Ops->rpo_Flood(rp, x + rp->rp_OriginX, y + rp->rp_OriginY, colour, mode);
}

OSMARK_API void ScrollRaster(RastPort* rp, int32_t dx, int32_t dy, const RectangleBox* scroll,
                             const RectangleBox* clip) noexcept
{
    if (!drawable(rp) || !has(rp, &RastPortOps::rpo_Scroll))
        return;
    auto shifted = [rp](const RectangleBox* box) {
        return RectangleBox{box->x0 + rp->rp_OriginX, box->y0 + rp->rp_OriginY,
                            box->x1 + rp->rp_OriginX, box->y1 + rp->rp_OriginY};
    };
    RectangleBox scroll_box{};
    RectangleBox clip_box{};
    if (scroll != nullptr)
        scroll_box = shifted(scroll);
    if (clip != nullptr)
        clip_box = shifted(clip);
    const bool caret_shown = __CaretInfo.ci_Created != 0 && __CaretInfo.ci_Visible != 0;
    if (caret_shown)
        DisplayCaret(0);
    rp->rp_Ops->rpo_Scroll(rp, dx, dy, scroll != nullptr ? &scroll_box : nullptr,
                           clip != nullptr ? &clip_box : nullptr);
    if (caret_shown)
        DisplayCaret(1);
}

OSMARK_API void Text(RastPort* rp, const char* text, int32_t length) noexcept
{
    if (!drawable(rp) || text == nullptr || length == 0 || !has(rp, &RastPortOps::rpo_Text))
        return;
    rp->rp_Ops->rpo_Text(rp, text, text_length(text, length));
}

OSMARK_API void TextExtent(RastPort* rp, const char* text, int32_t length, int32_t* size) noexcept
{
    if (size == nullptr)
        return;
    size[0] = 0;
    size[1] = 0;
    if (rp == nullptr || text == nullptr || !has(rp, &RastPortOps::rpo_TextExtent))
        return;
    length = text_length(text, length);
    if (length > 0)
        rp->rp_Ops->rpo_TextExtent(rp, text, length, size);
}

OSMARK_API int32_t TextLength(RastPort* rp, const char* text, int32_t length) noexcept
{
    int32_t size[2] = {0, 0};
    TextExtent(rp, text, length, size);
    return size[0];
}

OSMARK_API int32_t TextFit(RastPort* rp, const char* text, int32_t length, int32_t width) noexcept
{
    if (rp == nullptr || text == nullptr || width == 0 || length == 0 ||
        !has(rp, &RastPortOps::rpo_TextFit))
        return 0;
    int32_t count = 0;
    rp->rp_Ops->rpo_TextFit(rp, text, text_length(text, length), width, &count);
    return count;
}
}
