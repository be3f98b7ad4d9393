// A paint box that takes the keyboard focus: a windowed control with a canvas whose
// picture comes from its OnPaint event. A mouse button pressed on it gives it the focus,
// and while it has the focus a dotted focus rectangle (drawn by inversion) frames it.
// With OnPaint set it never erases its background (the handler covers every pixel), and
// it asks for the arrow keys, which it leaves alone.
#ifndef VISTREL_FORMS_FOCUSED_PAINT_BOX_H
#define VISTREL_FORMS_FOCUSED_PAINT_BOX_H

#include "framework/controls.h"

namespace vistrel {

class TOvraFocusedPaintBox : public fw::TCustomControl {
public:
    // 100 by 100 pixels, a tab stop.
    explicit TOvraFocusedPaintBox(fw::TComponent* owner);

    fw::TNotifyEvent OnPaint;

    void Dispatch(fw::TMessage& message) override;

protected:
    void MouseDown(fw::TMouseButton button, fw::TShiftState shift, int x, int y) override;
    void Paint() override;
};

}

#endif
