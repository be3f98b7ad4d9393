// The control's scroll position and its mouse gestures.
//
// The scroll-bar manager owns the two offsets that shift the laid-out view under the
// window, maps points and rectangles between window and view coordinates (a view point
// is the window point plus the offsets, less the header's height in the view when the
// header is accounted for), keeps the offsets within the view, snaps the horizontal
// offset to whole cells in the list and film-strip views, and drives the window's two
// scroll bars.
//
// The gesture manager turns mouse moves made with a chosen button held into a path of
// direction letters (R, L, D, U), handed to OnMouseGesture on release.
#ifndef VISTREL_LISTVIEW_SCROLLBARS_H
#define VISTREL_LISTVIEW_SCROLLBARS_H

#include "framework/types.h"
#include "listview/common/common_types.h"
#include "listview/persistent.h"

#include <QtCore/QString>

namespace vistrel::listview {

class TLqScrollbarManager : public TLqOwnedPersistent {
public:
    using TLqOwnedPersistent::TLqOwnedPersistent;

    bool HorzEnabled() const { return m_horz_enabled; }
    void SetHorzEnabled(bool value);
    bool SnapHorzView() const { return m_snap_horz_view; }
    void SetSnapHorzView(bool value) { m_snap_horz_view = value; }
    bool VertEnabled() const { return m_vert_enabled; }
    void SetVertEnabled(bool value);
    // From the window style; false without a window.
    bool HorzBarVisible() const;
    bool VertBarVisible() const;
    // The line step: the groups' cell height.
    int Line() const;
    int MaxOffsetX() const;
    int MaxOffsetY() const;
    int OffsetX() const { return m_offset_x; }
    int OffsetY() const { return m_offset_y; }
    // Scroll by the difference.
    void SetOffsetX(int value);
    void SetOffsetY(int value);
    bool Rebuilding() const { return m_rebuilding; }
    const fw::TRect& ViewRect() const { return m_view_rect; }
    int ViewWidth() const { return m_view_rect.Width(); }
    int ViewHeight() const { return m_view_rect.Height(); }
    // The width the horizontal offset snaps to: that of the shown view's cell, at least 1.
    int SnapWidth() const;

    // ---- Mapping between window and view coordinates
    fw::TPoint MapWindowToView(fw::TPoint window_point, bool account_for_header = false) const;
    // The point packed as two signed 16-bit halves (x low, y high).
    fw::TPoint MapWindowToView(uint32_t window_point, bool account_for_header = false) const;
    fw::TPoint MapViewToWindow(fw::TPoint viewport_point, bool account_for_header = false) const;
    fw::TPoint MapViewToWindow(uint32_t viewport_point, bool account_for_header = false) const;
    fw::TRect MapWindowRectToViewRect(const fw::TRect& window_rect,
                                      bool account_for_header = false) const;
    fw::TRect MapViewRectToWindowRect(const fw::TRect& viewport_rect,
                                      bool account_for_header = false) const;
    // The client area in view coordinates, the header accounted for.
    fw::TRect ViewableViewportRect() const;

    // ---- Scrolling
    // Keeps a pair of offsets within 0 .. the maxima, snapped where the view snaps.
    void ValidateOffsets(int& offset_x, int& offset_y) const;
    // Moves the offsets; when they changed, the bars follow, OnScroll tells the change
    // (old - new) and the control is repainted.
    void Scroll(int delta_x, int delta_y);
    // The groups' layout hands over its view rectangle after every rebuild.
    void SetViewRect(const fw::TRect& view_rect, bool invalidate_window);
    // Shows, hides and sets the bars for the view; skipped while running, without a
    // window, and inside an update unless forced.
    void ReCalculateScrollbars(bool redraw, bool force);

    // ---- Messages the control forwards
    void WMHScroll(fw::TMessage& message);
    void WMVScroll(fw::TMessage& message);
    // Page Up/Down, Home, End and the arrows scroll; other keys are ignored.
    void WMKeyDown(fw::TMessage& message);

private:
    bool horizontal_view() const;
    int header_height() const;
    int client_width() const;
    int client_height() const;
    int track_position(int bar) const;

    bool m_horz_enabled = true;
    int m_offset_x = 0;
    int m_offset_y = 0;
    bool m_rebuilding = false;
    bool m_snap_horz_view = true;
    bool m_vert_enabled = true;
    fw::TRect m_view_rect;
};

using TLqCommonMouseButtons = fw::TSet<TLqCommonMouseButton>;

class TLqGestureManager : public TLqOwnedPersistent {
public:
    using TLqOwnedPersistent::TLqOwnedPersistent;

    TLqCommonMouseButtons Button() const { return m_button; }
    void SetButton(TLqCommonMouseButtons value) { m_button = value; }
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value) { m_enabled = value; }
    const QString& Path() const { return m_path; }
    int Tolerance() const { return m_tolerance; }
    void SetTolerance(int value) { m_tolerance = value; }

    // At every button press.
    void ClearPath() { m_path.clear(); }
    // A mouse move of (dx, dy) since the previous mouse message with these keys held:
    // when enabled and a held button is one of Button, a move clearly in one direction
    // adds its letter unless the path already ends with it. The letter added, or none.
    QChar MouseMove(int dx, int dy, TLqCommonKeyStates keys);
    // Whether the release of a button hands the path to OnMouseGesture: enabled, a path,
    // and no item drag, drag selection, pending check-box click or group expansion.
    bool GestureOnRelease() const;

private:
    TLqCommonMouseButtons m_button{cmbRight};
    bool m_enabled = false;
    QString m_path;
    int m_tolerance = 3;
};

}

#endif
