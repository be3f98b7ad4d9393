// Keeps a canvas's pen, brush and font while a drawing step changes them, and gives
// them back at the end of the scope, also when the step fails. The overlays draw only
// through the canvas, so its objects are all the device-context state they touch.
#ifndef VISTREL_UNITS_CANVAS_STATE_H
#define VISTREL_UNITS_CANVAS_STATE_H

#include "framework/graphics.h"

namespace vistrel {

class CanvasStateSaver {
public:
    explicit CanvasStateSaver(fw::TCanvas* canvas) : m_canvas(canvas)
    {
        m_pen.Assign(canvas->Pen());
        m_brush.Assign(canvas->Brush());
        m_font.Assign(canvas->Font());
    }
    ~CanvasStateSaver()
    {
        try {
            m_canvas->Pen()->Assign(&m_pen);
            m_canvas->Brush()->Assign(&m_brush);
            m_canvas->Font()->Assign(&m_font);
        } catch (...) {
            // Giving back the objects makes nothing new that could fail; a change
            // handler that raises is not the restorer's to report.
        }
    }
    CanvasStateSaver(const CanvasStateSaver&) = delete;
    CanvasStateSaver& operator=(const CanvasStateSaver&) = delete;

private:
    fw::TCanvas* m_canvas;
    fw::TPen m_pen;
    fw::TBrush m_brush;
    fw::TFont m_font;
};

}

#endif
