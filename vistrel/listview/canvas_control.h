// The windowed base of the list-view control: an update lock that tells the end of an
// update, a control canvas and a non-client canvas, the classic border, painting of
// WM_PAINT through a 32-bit back buffer, and mouse enter and exit notification from a
// 50 ms pointer poll. TLqCanvasStore keeps a canvas's pen, brush and font around a
// painting step.
//
// Visual themes are never in use on this platform (UseThemes answers no), so the theme
// manager opens nothing, the themed border and client-area paths stay unused and the
// classic border is drawn.
#ifndef VISTREL_LISTVIEW_CANVAS_CONTROL_H
#define VISTREL_LISTVIEW_CANVAS_CONTROL_H

#include "framework/controls.h"

#include <functional>
#include <memory>

namespace fw {
class TTimer;
}

namespace vistrel::listview {

class TLqCommonThemeManager;

using TLqCommonMouseEnterEvent = std::function<void(fw::TObject* sender, fw::TPoint& mouse_pos)>;

class TLqCommonCanvasControl : public fw::TCustomControl {
public:
    explicit TLqCommonCanvasControl(fw::TComponent* owner);
    ~TLqCommonCanvasControl() override;

    // The control's canvas with the control's font and brush assigned on every read.
    fw::TCanvas* Canvas();
    fw::TCanvas* NCCanvas() const { return m_nc_canvas.get(); }

    virtual void BeginUpdate();
    // Leaves one level of the lock; at the last one runs DoUpdate, updates the window
    // when asked and raises OnEndUpdate. An unmatched call keeps the count at 0.
    virtual void EndUpdate(bool invalidate = true);
    int UpdateCount() const { return m_update_count; }

    // Invalidates without erasing (nullptr: the whole client area) and, when asked,
    // paints at once; nothing without a window.
    void SafeInvalidateRect(const fw::TRect* rect, bool immediate_update);

    bool DrawWithThemes() const;
    bool Themed() const;
    void SetThemed(bool value);
    fw::TBorderStyle BorderStyle() const { return m_border_style; }
    void SetBorderStyle(fw::TBorderStyle value);
    bool ShowThemedBorder() const { return m_show_themed_border; }
    void SetShowThemedBorder(bool value);
    bool CacheDoubleBufferBits() const { return m_cache_double_buffer_bits; }
    // Switching it on makes the back buffer and sizes it to the control at once.
    void SetCacheDoubleBufferBits(bool value);
    fw::TBitmap* BackBits() const { return m_back_bits.get(); }
    bool ForcePaint() const { return m_force_paint; }
    void SetForcePaint(bool value) { m_force_paint = value; }
    bool MouseInWindow() const { return m_mouse_in_window; }
    bool MouseTimerRunning() const { return m_mouse_timer != nullptr; }
    // The theme data of the control's window.
    TLqCommonThemeManager* Themes() const { return m_themes.get(); }

    fw::TNotifyEvent OnEndUpdate;
    TLqCommonMouseEnterEvent OnMouseEnter;
    fw::TNotifyEvent OnMouseExit;

    void Dispatch(fw::TMessage& message) override;

protected:
    virtual void DoPaintAfter(fw::TCanvas* canvas, const fw::TRect& clip_rect);
    virtual void CalcThemedNCSize(fw::TRect& rect);
    virtual void DoMouseEnter(fw::TPoint& mouse_pos);
    virtual void DoMouseExit();
    virtual void DoMouseTrack(fw::TPoint mouse_pos);
    virtual void DoPaintRect(fw::TCanvas* canvas, const fw::TRect& clip_rect, bool selected_only);
    virtual void DoUpdate();
    virtual void PaintThemedNCBkgnd(fw::TCanvas* canvas, const fw::TRect& rect);
    void DoEndUpdate();

    void CreateParams(fw::TCreateParams& params) override;
    void CreateWnd() override;
    void BoundsChanged(bool size_changed) override;
    // Rewrites the live window styles so that they agree with the border properties.
    void ApplyBorderStyles();
    // Grows a cached back buffer to the control's size; it never shrinks.
    void ResizeBackBits(int width, int height);
    void HandleMouseExit();
    // The update count itself, for callers that hold the lock without its end's work.
    int& update_count_ref() { return m_update_count; }

private:
    void paint_message(fw::TMessage& message);
    void nc_paint_message(fw::TMessage& message);
    void mouse_move_message(fw::TMessage& message);
    void mouse_timer_tick();
    void free_mouse_timer();
    bool mouse_captured_here();

    std::unique_ptr<fw::TBitmap> m_back_bits;
    fw::TBorderStyle m_border_style = fw::bsSingle;
    bool m_cache_double_buffer_bits = false;
    std::unique_ptr<fw::TControlCanvas> m_canvas;
    bool m_force_paint = false;
    bool m_mouse_in_window = false;
    fw::TOwned<fw::TTimer> m_mouse_timer;
    std::unique_ptr<fw::TCanvas> m_nc_canvas;
    bool m_show_themed_border = true;
    std::unique_ptr<TLqCommonThemeManager> m_themes;
    bool m_themed = true;
    int m_update_count = 0;
};

// Saves a canvas's pen, brush and font and puts them back.
class TLqCanvasStore {
public:
    TLqCanvasStore();
    ~TLqCanvasStore();

    void StoreCanvasState(fw::TCanvas* canvas);
    void RestoreCanvasState(fw::TCanvas* canvas);

private:
    std::unique_ptr<fw::TBrush> m_brush;
    std::unique_ptr<fw::TFont> m_font;
    std::unique_ptr<fw::TPen> m_pen;
};

}

#endif
