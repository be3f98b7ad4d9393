// The eight exported renderers: Show or Draw, drawing or block, outlined or filled,
// all over the one render body.

#include "halvern/render.h"

#include "render/render_pipeline.h"

using halvern::render::make_draw_transform;
using halvern::render::Passes;
using halvern::render::render_block;
using halvern::render::render_drawing;

extern "C" {

HALVERN_API void ShowDXFDrawing(HDC hdc, DXFDrawingRec* drawing, RectangleRec* viewPort) noexcept
{
    render_drawing(hdc, drawing, viewPort, make_draw_transform(nullptr, nullptr, 0.0),
                   Passes::OutlineOnly);
}

HALVERN_API void ShowDXFDrawingFilled(HDC hdc, DXFDrawingRec* drawing,
                                      RectangleRec* viewPort) noexcept
{
    render_drawing(hdc, drawing, viewPort, make_draw_transform(nullptr, nullptr, 0.0),
                   Passes::FillThenOutline);
}

HALVERN_API void DrawDXFDrawing(HDC hdc, DXFDrawingRec* drawing, RectangleRec* viewPort,
                                Point3DRec* offset, Point3DRec* scale, double angle) noexcept
{
    render_drawing(hdc, drawing, viewPort, make_draw_transform(offset, scale, angle),
                   Passes::OutlineOnly);
}

HALVERN_API void DrawDXFDrawingFilled(HDC hdc, DXFDrawingRec* drawing, RectangleRec* viewPort,
                                      Point3DRec* offset, Point3DRec* scale,
                                      double angle) noexcept
{
    render_drawing(hdc, drawing, viewPort, make_draw_transform(offset, scale, angle),
                   Passes::FillThenOutline);
}

HALVERN_API void ShowDXFBlock(HDC hdc, DXFDrawingRec* drawing, RectangleRec* viewPort,
                              const char* name) noexcept
{
    render_block(hdc, drawing, viewPort, name, make_draw_transform(nullptr, nullptr, 0.0),
                 Passes::OutlineOnly);
}

HALVERN_API void ShowDXFBlockFilled(HDC hdc, DXFDrawingRec* drawing, RectangleRec* viewPort,
                                    const char* name) noexcept
{
    render_block(hdc, drawing, viewPort, name, make_draw_transform(nullptr, nullptr, 0.0),
                 Passes::FillThenOutline);
}

HALVERN_API void DrawDXFBlock(HDC hdc, DXFDrawingRec* drawing, RectangleRec* viewPort,
                              const char* name, Point3DRec* offset, Point3DRec* scale,
                              double angle) noexcept
{
    render_block(hdc, drawing, viewPort, name, make_draw_transform(offset, scale, angle),
                 Passes::OutlineOnly);
}

HALVERN_API void DrawDXFBlockFilled(HDC hdc, DXFDrawingRec* drawing, RectangleRec* viewPort,
                                    const char* name, Point3DRec* offset, Point3DRec* scale,
                                    double angle) noexcept
{
    render_block(hdc, drawing, viewPort, name, make_draw_transform(offset, scale, angle),
                 Passes::FillThenOutline);
}

}
