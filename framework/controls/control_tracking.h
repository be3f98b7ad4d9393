// The controls that hold the mouse: the one that captured it and the one it is over.
// Both are forgotten when their control goes, so no message reaches a freed control.
#ifndef FRAMEWORK_CONTROLS_CONTROL_TRACKING_H
#define FRAMEWORK_CONTROLS_CONTROL_TRACKING_H

namespace fw {
class TControl;
}

namespace fw::controls {

// The control that captured the mouse (a graphic control captures through its
// parent's window), or nullptr.
TControl* capture_control();
void set_capture_control(TControl* control);
// The control the mouse was last over (CM_MOUSEENTER / CM_MOUSELEAVE), or nullptr.
TControl* mouse_control();
void set_mouse_control(TControl* control);
// Moves the mouse onto `control` (nullptr: off every control): the one it leaves gets
// CM_MOUSELEAVE, the new one CM_MOUSEENTER.
void track_mouse_over(TControl* control);
void forget_control(const TControl* control) noexcept;

}

#endif
