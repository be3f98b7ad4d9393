// Fuzz target of the filter's rule language: the input is a rule text, evaluated as a
// condition and run as a statement on an item of each served type in a drawing with one
// closed contour, so that the contour properties are reached too.

#include <cstddef>
#include <cstdint>
#include <string>

#include "filter/expr_evaluator.h"
#include "halvern/halvern.h"
#include "osmark/memory.h"

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

ItemRec* add(DXFDrawingRec& drawing, int32_t type, int32_t extra = 0)
{
    ItemRec* item = CreateItem(type, extra, 0, 0, 0, drawing.dxf_Pool);
    check(item != nullptr);
    AddItem(&drawing, &drawing.dxf_ItemBuffer, item);
    return item;
}

void add_line(DXFDrawingRec& drawing, double x1, double y1, double x2, double y2)
{
    ItemRec* line = add(drawing, DXFItemLine);
    line->it_Line.ln_Start = Point3DRec{x1, y1, 0};
    line->it_Line.ln_End = Point3DRec{x2, y2, 0};
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    DXFDrawingRec drawing;
    NewDXFDrawing(&drawing);
    drawing.dxf_Pool = CreatePool(0x4000, 0x4000);
    GetLayer(&drawing.dxf_LayerTable, "0");
    add_line(drawing, 0, 0, 4, 0);
    add_line(drawing, 4, 0, 4, 4);
    add_line(drawing, 4, 4, 0, 4);
    add_line(drawing, 0, 4, 0, 0);
    for (const int32_t type :
         {DXFItemInsert, DXFItemPoint, DXFItemArc, DXFItemText, DXFItemPolyline, DXFItemEllipse,
          DXFItemSpline, DXFItemRay, DXFItemXLine}) {
        ItemRec* item = add(drawing, type, type == DXFItemText ? 4 : 0);
        if (type == DXFItemInsert)
            item->it_Insert.in_ArrayKind = 1;
        if (type == DXFItemArc)
            item->it_Arc.ar_Radius = 1.0;
    }
    ContourDXFDrawing(&drawing, 1e-6, 1, 0, nullptr, nullptr);
    for (int32_t i = 0; i < drawing.dxf_ItemBuffer.ib_N; ++i) {
        ItemRec* item = drawing.dxf_ItemBuffer.ib_Items[i];
        int32_t error = 0;
        int32_t position = 0;
        const int32_t value =
            halvern::ExprEvaluateCondition(&drawing, item, text.c_str(), &error, &position);
        check(value == 0 || value == 1);
        check((error == 0) == (position == -1));
        check(error == 0 || (error >= DXFExprSyntax && error <= DXFExprNoItem));
        check(position <= static_cast<int32_t>(text.size()) + 1);
        halvern::ExprRunStatement(&drawing, item, text.c_str(), &error, &position);
        check(error == 0 || (error >= DXFExprSyntax && error <= DXFExprNoItem));
    }
    FreeDXFDrawing(&drawing);
    return 0;
}
