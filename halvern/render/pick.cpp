// Picking: a render of a copy of the drawing record into a small pixel box with the
// renderers' pick mode on, so that what is hit is exactly what would be drawn there;
// then the marks are enumerated and cleared.

#include "halvern/pick.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "halvern/render.h"
#include "geometry/geometry_internal.h"
#include "render/render_state.h"

namespace {

int32_t clamp_to_int32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Runs render(copy, pick box) on a working copy of the drawing whose window is the pick
// box mapped back through the drawing's last view. The copy shares every table, buffer
// and item, so the marks land in the drawing's own items; its view fields stay.
template <typename Render>
int32_t pick(DXFDrawingRec* drawing, int32_t x, int32_t y, int32_t w, int32_t h, Render&& render)
{
    if (drawing == nullptr)
        return 0;
    DXFDrawingRec copy = *drawing;
    const double x0 = x - 0.5 * w;
    const double x1 = x + 0.5 * w;
    const double y0 = y - 0.5 * h;
    const double y1 = y + 0.5 * h;
    if (halvern::is_zero(x0 - x1) || halvern::is_zero(y0 - y1))
        return 0;
    double min_x = x0;
    double min_y = y0;
    double max_x = x1;
    double max_y = y1;
    ViewPortToDXFDrawing(&copy, &min_x, &min_y);
    ViewPortToDXFDrawing(&copy, &max_x, &max_y);
    // Integer halves truncate toward zero; 64 bits keep the corners of a box at the edge
    // of the coordinate range from wrapping.
    RectangleRec box{clamp_to_int32(int64_t{x} - w / 2), clamp_to_int32(int64_t{y} - h / 2),
                     clamp_to_int32(int64_t{x} + w / 2), clamp_to_int32(int64_t{y} + h / 2)};
    SetDXFDrawingSize(&copy, std::min(min_x, max_x), std::min(min_y, max_y),
                      std::max(min_x, max_x), std::max(min_y, max_y));

    // A pick may run inside another operation that set pick mode itself.
    const int32_t saved_mode = halvern::RenderPickMode;
    halvern::RenderPickMode = 1;
    render(copy, box);
    halvern::RenderPickMode = saved_mode;

    // The render may have made the expansion stack, or grown it and freed the old one:
    // the drawing takes over whatever the copy holds now.
    drawing->dxf_BlockStack = copy.dxf_BlockStack;
    return 1;
}

int32_t clear_marks(ItemBufferRec& buffer)
{
    int32_t found = 0;
    for (int32_t i = 0; buffer.ib_Items != nullptr && i < buffer.ib_N; ++i) {
        ItemRec* item = buffer.ib_Items[i];
        if (item == nullptr || (item->it_Header.ih_Flags & DXFItemPicked) == 0)
            continue;
        item->it_Header.ih_Flags &= ~static_cast<uint32_t>(DXFItemPicked);
        found = 1;
    }
    return found;
}

struct PickStep {
    DXFDrawingRec* drawing;
    DXFStepCallback callback;
    void* user;
};

// The walker hands over placed copies; the mark sits on the stored record it visits.
int32_t StepDXFPickCallback(ItemRec* insert, ItemRec*, void* user)
{
    const auto* step = static_cast<const PickStep*>(user);
    ItemRec* stored = step->drawing->dxf_StepItem;
    if (stored == nullptr || (stored->it_Header.ih_Flags & DXFItemPicked) == 0)
        return DXFStepContinue;
    return step->callback(insert, stored, step->user);
}

}

extern "C" {

HALVERN_API int32_t PickDXF(HDC hdc, DXFDrawingRec* drawing, int32_t x, int32_t y, int32_t w,
                            int32_t h) noexcept
{
    return pick(drawing, x, y, w, h, [hdc](DXFDrawingRec& copy, RectangleRec& box) {
        ShowDXFDrawing(hdc, &copy, &box);
    });
}

HALVERN_API int32_t PickDXFDrawing(HDC hdc, DXFDrawingRec* drawing, Point3DRec* offset,
                                   Point3DRec* scale, double angle, int32_t x, int32_t y,
                                   int32_t w, int32_t h) noexcept
{
    return pick(drawing, x, y, w, h, [&](DXFDrawingRec& copy, RectangleRec& box) {
        DrawDXFDrawing(hdc, &copy, &box, offset, scale, angle);
    });
}

HALVERN_API int32_t PickDXFBlock(HDC hdc, DXFDrawingRec* drawing, const char* name, int32_t x,
                                 int32_t y, int32_t w, int32_t h) noexcept
{
    return pick(drawing, x, y, w, h, [&](DXFDrawingRec& copy, RectangleRec& box) {
        ShowDXFBlock(hdc, &copy, &box, name);
    });
}

HALVERN_API int32_t PickDXFBlockDrawing(HDC hdc, DXFDrawingRec* drawing, const char* name,
                                        Point3DRec* offset, Point3DRec* scale, double angle,
                                        int32_t x, int32_t y, int32_t w, int32_t h) noexcept
{
    return pick(drawing, x, y, w, h, [&](DXFDrawingRec& copy, RectangleRec& box) {
        DrawDXFBlock(hdc, &copy, &box, name, offset, scale, angle);
    });
}

HALVERN_API int32_t ClearDXFPick(DXFDrawingRec* drawing) noexcept
{
    if (drawing == nullptr)
        return 0;
    const int32_t in_blocks = clear_marks(drawing->dxf_BlockItemBuffer);
    const int32_t in_items = clear_marks(drawing->dxf_ItemBuffer);
    return in_blocks != 0 || in_items != 0 ? 1 : 0;
}

HALVERN_API void StepDXFPick(DXFDrawingRec* drawing, DXFStepCallback callback, void* user) noexcept
{
    if (drawing == nullptr || callback == nullptr)
        return;
    PickStep step{drawing, callback, user};
    StepDXFDrawing(drawing, DXFWalkAll, StepDXFPickCallback, &step);
}

}
