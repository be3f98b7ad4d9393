// The drawing view's zoom and pan, kept apart from its widgets: the 20-entry zoom
// history, the wheel zoom about the pointer, full view, "Zoom previous", panning by a
// drag and the room the drawing gets in the view. Everything works on the drawing
// record's window (dxf_DrwgSize) and its view-port mapping; the view around it draws,
// repaints and moves the pointer and the cross-hair.
//
// Pixels are the paint box's client pixels, y downwards; drawing units have y upwards.
#ifndef VISTREL_FORMS_VIEW_NAVIGATION_H
#define VISTREL_FORMS_VIEW_NAVIGATION_H

#include <array>
#include <cstdint>
#include <optional>

#include "framework/types.h"
#include "halvern/drawing.h"
#include "halvern/types.h"

namespace vistrel {

// A zoom window: in paint-box pixels while it is built (ZoomArea), in drawing units
// once recorded (RZoomArea; only its x and y are used).
struct Rectangle3DRec {
    Point3DRec min;
    Point3DRec max;
};
struct ZoomRec {
    RectangleRec ZoomArea;
    Rectangle3DRec RZoomArea;
};

// What the zoom and pan need of the view that shows the drawing.
class ViewNavigationHost {
public:
    virtual ~ViewNavigationHost() = default;
    // The drawing record shown, or null when there is none.
    virtual DXFDrawingRec* drawing() = 0;
    // Measures the drawing into its window (text and points left out of the measure).
    virtual void recalc_drawing_size() = 0;
    // Widens the window by the drawing's margin.
    virtual void pad_drawing() = 0;
    // Draws the drawing into its drawing area and shows it. The draw sets the record's
    // view-port mapping and its visible window (dxf_DrwgViewSize), which the zoom and
    // pan read afterwards.
    virtual void redraw() = 0;
};

// The modifier held during a mouse action: 1 Shift, else 2 Ctrl, else 3 Alt, else 0.
int KeyModeOf(bool shift_held, bool ctrl_held, bool alt_held);

// The drawing area inside the paint box's client rectangle: empty when the view cannot
// draw; else the client less 1 pixel at the top and 40 at the left (the left ruler),
// and with a drawing also less 17 at the bottom (the bottom ruler) and 1 at the right.
fw::TRect DrawingRectOf(bool can_draw, const fw::TRect& client, bool has_drawing);

class ViewNavigation {
public:
    static constexpr int kZoomHistorySize = 20;
    // Mouse modes.
    static constexpr int32_t kIdle = 0;
    static constexpr int32_t kZoomWindow = 1;
    static constexpr int32_t kPanning = 3;

    explicit ViewNavigation(ViewNavigationHost& host) : m_host(host) {}

    // ---- Zoom history
    // Records a window as the next entry; past the 20th the oldest entry is dropped.
    void PushZoom(double min_x, double min_y, double max_x, double max_y);
    // Makes the entry's window the drawing's window.
    void ApplyZoomEntry(const ZoomRec& entry);
    // Back to the window before the current entry; at the first entry or at full view,
    // full view.
    void ZoomPrevious();
    // The whole drawing, padded, with nothing recorded.
    void Zoom_DoFullZoom();

    // ---- Zoom window and wheel
    void SetZoomStart(int32_t x, int32_t y);
    void SetZoomEnd(int32_t x, int32_t y);
    // Records and shows the drawing window under the zoom window's two corners. False
    // without a drawing (nothing changes).
    bool ZoomToWindow();
    // One wheel turn towards the user at (x, y) in a paint box of the given client size:
    // zooms in to fZoom_WheelZoom percent of the view around the pointer. Returns the
    // pixel that the drawing point under the pointer has moved to, where the view puts
    // the pointer and the cross-hair; none without a drawing.
    std::optional<fw::TPoint> WheelZoomIn(int32_t x, int32_t y, int32_t client_width,
                                          int32_t client_height);
    // One wheel turn away from the user: ZoomPrevious unless already at full view.
    // False when nothing happened.
    bool WheelZoomBack();

    // ---- Pointer
    // A pointer move to (x, y) with the left button held or not and the key mode.
    // Pans while the left button is held without a modifier and a drawing is shown;
    // returns true when the view moves the cross-hair to (x, y) instead (it stays
    // hidden while panning).
    bool MouseMove(bool left_button_held, int key_mode, int32_t x, int32_t y);
    // The button went up: panning ends.
    void MouseUp();
    // Moves the drawing window by the pointer's way from the stored position to (x, y)
    // in drawing units, so that the drawing point under the pointer stays under it.
    // Panning begins (also without a drawing).
    void PanBy(int32_t x, int32_t y);
    // Orders the corners and makes them the drawing's window, then redraws.
    void SetDrawingWindow(double min_x, double min_y, double max_x, double max_y);

    // The cross-hair's (and pointer's) last position in paint-box pixels.
    void SetCursor(int32_t x, int32_t y)
    {
        fCursor_OldX = x;
        fCursor_OldY = y;
    }
    fw::TPoint Cursor() const { return {fCursor_OldX, fCursor_OldY}; }

    int32_t ZoomCurrent() const { return fZoom_Current; }
    const ZoomRec& ZoomEntry(int index) const { return fZoom_List.at(static_cast<size_t>(index)); }
    const ZoomRec& ZoomWindow() const { return fZoom_CZRec; }
    int32_t MouseMode() const { return fMouseMode; }
    bool WheelZooming() const { return fZoom_WheelZooming; }
    void SetWheelZooming(bool zooming) { fZoom_WheelZooming = zooming; }
    int32_t WheelZoom() const { return fZoom_WheelZoom; }

private:
    bool has_drawing() { return m_host.drawing() != nullptr; }

    ViewNavigationHost& m_host;
    int32_t fCursor_OldX = 0;
    int32_t fCursor_OldY = 0;
    int32_t fMouseMode = kIdle;
    // 0 before the first full view, so that a wheel turn back before any drawing was
    // shown gives a full view.
    int32_t fZoom_Current = 0;
    ZoomRec fZoom_CZRec{};
    std::array<ZoomRec, kZoomHistorySize> fZoom_List{};
    int32_t fZoom_WheelZoom = 70;
    bool fZoom_WheelZooming = false;
};

}

#endif
