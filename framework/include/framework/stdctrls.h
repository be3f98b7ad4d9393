// Standard controls: panels, splitters, labels, images, single- and multi-line edits,
// and timers.
//
// Panels, splitters, labels and images draw themselves through the platform's DCs like
// every owner-drawn control. Edits host a Qt editor in their window. Timers run on the
// platform's timers (WM_TIMER), so the platform's clock drives them, also in tests.
#ifndef FRAMEWORK_STDCTRLS_H
#define FRAMEWORK_STDCTRLS_H

#include "framework/classes.h"
#include "framework/controls.h"
#include "framework/graphics.h"
#include "framework/types.h"

#include <QtCore/QPointer>
#include <QtCore/QString>

#include <functional>
#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace fw {

// ---- Panel -----------------------------------------------------------------------------------

// A rectangle in Color with bevels (painted inside the client area, which the bevels
// narrow for aligned children) and a caption in the middle.
class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent* owner);

    TBevelCut BevelInner() const { return m_inner; }
    void SetBevelInner(TBevelCut cut);
    TBevelCut BevelOuter() const { return m_outer; }
    void SetBevelOuter(TBevelCut cut);
    int BevelWidth() const { return m_width; }
    void SetBevelWidth(int width);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment alignment);

protected:
    void AdjustClientRect(TRect& rect) const override;
    void Paint() override;

private:
    int bevel_size() const;

    TBevelCut m_inner = bvNone;
    TBevelCut m_outer = bvRaised;
    int m_width = 1;
    TAlignment m_alignment = taCenter;
};

// Draws the rectangle's edges, `width` pixels deep, top and left in one colour, bottom
// and right in the other, and narrows the rectangle by them.
void Frame3D(TCanvas* canvas, TRect& rect, TColor top_color, TColor bottom_color, int width);

// ---- Splitter ----------------------------------------------------------------------------------

enum TResizeStyle {
    rsNone,
    rsLine,
    rsUpdate,
    rsPattern
};

using TCanSizeEvent = std::function<void(TObject* sender, int& new_size, bool& accept)>;

// A bar that resizes the control beside it: dragging it sets the size of the visible
// control of the same alignment that touches it (the one before it along its side),
// live, within that control's Constraints and MinSize, and never leaving the controls
// on the other side less than MinSize (or the least width their Constraints allow).
// OnMoved follows the release of the button.
class TSplitter : public TCustomControl {
public:
    explicit TSplitter(TComponent* owner);

    int MinSize() const { return m_min_size; }
    void SetMinSize(int size) { m_min_size = size > 0 ? size : 1; }
    TResizeStyle ResizeStyle() const { return m_resize_style; }
    void SetResizeStyle(TResizeStyle style) { m_resize_style = style; }
    bool Beveled() const { return m_beveled; }
    void SetBeveled(bool value);

    TCanSizeEvent OnCanResize;
    TNotifyEvent OnMoved;

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void Paint() override;
    void Dispatch(TMessage& message) override;

private:
    bool horizontal() const { return Align() == alLeft || Align() == alRight; }
    TControl* find_neighbour() const;
    int size_of(const TControl* control) const;
    // The sizes the neighbour may take.
    void limits(int& lowest, int& highest) const;

    int m_min_size = 30;
    TResizeStyle m_resize_style = rsUpdate;
    bool m_beveled = false;
    TControl* m_neighbour = nullptr;
    bool m_dragging = false;
    TPoint m_down_point;
    int m_start_size = 0;
};

// ---- Label --------------------------------------------------------------------------------------

enum TTextLayout {
    tlTop,
    tlCenter,
    tlBottom
};

// Text in the label's font; with AutoSize (and no alignment) the label takes the text's
// size.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);

    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment alignment);
    TTextLayout Layout() const { return m_layout; }
    void SetLayout(TTextLayout layout);
    bool WordWrap() const { return m_word_wrap; }
    void SetWordWrap(bool value);
    bool AutoSize() const { return m_auto_size; }
    void SetAutoSize(bool value);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);
    bool ShowAccelChar() const { return m_show_accel_char; }
    void SetShowAccelChar(bool value);

    void SetText(const QString& text) override;

protected:
    void Paint() override;
    void FontChanged() override;

private:
    UINT text_flags() const;
    void adjust_bounds();

    TAlignment m_alignment = taLeftJustify;
    TTextLayout m_layout = tlTop;
    bool m_word_wrap = false;
    bool m_auto_size = true;
    bool m_transparent = false;
    bool m_show_accel_char = true;
};

// ---- Image -------------------------------------------------------------------------------------

class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);
    ~TImage() override;

    TPicture* Picture() const { return m_picture.get(); }
    void SetPicture(TPicture* picture) { m_picture->Assign(picture); }
    bool Center() const { return m_center; }
    void SetCenter(bool value);
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool value);
    bool Proportional() const { return m_proportional; }
    void SetProportional(bool value);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);
    // The image takes the picture's size whenever the picture changes.
    bool AutoSize() const { return m_auto_size; }
    void SetAutoSize(bool value);

    // Where the picture is drawn, in client coordinates.
    TRect DestRect() const;

protected:
    void Paint() override;

private:
    void picture_changed();

    std::unique_ptr<TPicture> m_picture;
    bool m_center = false;
    bool m_stretch = false;
    bool m_proportional = false;
    bool m_transparent = false;
    bool m_auto_size = false;
};

// ---- Edits -----------------------------------------------------------------------------------

// What single- and multi-line edits share: a Qt editor placed in the control's window
// (while the program has a QApplication), its text, font, colour and frame. Keys typed
// into the editor go through the control's WindowProc as WM_KEYDOWN first (so a
// replaced WindowProc or OnKeyDown sees them); a key set to 0 there never reaches the
// editor.
class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* owner);
    ~TCustomEdit() override;

    QString Text() const;
    void SetText(const QString& text) override;
    TBorderStyle BorderStyle() const { return m_border_style; }
    void SetBorderStyle(TBorderStyle style);
    void SelectAll();
    // The Qt editor, nullptr while there is none.
    QWidget* Editor() const { return m_editor != nullptr ? m_editor_widget : nullptr; }

    TNotifyEvent OnChange;

protected:
    virtual QWidget* make_editor() = 0;
    virtual void editor_set_text(const QString& text) = 0;
    virtual QString editor_text() const = 0;
    virtual void editor_select_all() = 0;
    virtual void editor_set_frame(bool framed) = 0;
    void CreateWnd() override;
    void DestroyWnd() override;
    void ColorChanged() override;
    void FontChanged() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    // The editor's text changed.
    void editor_changed();

private:
    friend class EditKeyFilter;
    void apply_look();

    // Guards m_editor_widget: the window's end takes the editor with it.
    QPointer<QObject> m_editor;
    QWidget* m_editor_widget = nullptr;
    QPointer<QObject> m_key_filter;
    QString m_text;
    TBorderStyle m_border_style = bsSingle;
    bool m_key_eaten = false;
    bool m_setting_text = false;
};

class TEdit : public TCustomEdit {
public:
    explicit TEdit(TComponent* owner);

protected:
    QWidget* make_editor() override;
    void editor_set_text(const QString& text) override;
    QString editor_text() const override;
    void editor_select_all() override;
    void editor_set_frame(bool framed) override;
};

class TMemo : public TCustomEdit {
public:
    explicit TMemo(TComponent* owner);

protected:
    QWidget* make_editor() override;
    void editor_set_text(const QString& text) override;
    QString editor_text() const override;
    void editor_select_all() override;
    void editor_set_frame(bool framed) override;
};

// ---- Timer -------------------------------------------------------------------------------------

// OnTimer every Interval milliseconds while Enabled (and Interval is not 0), from the
// message loop. After Enabled is cleared (or the timer freed) no OnTimer comes, not even
// one that was already due.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    UINT Interval() const { return m_interval; }
    void SetInterval(UINT milliseconds);

    TNotifyEvent OnTimer;

protected:
    virtual void Timer();

private:
    friend LRESULT fw_timer_window_procedure(HWND, UINT, WPARAM, LPARAM) noexcept;
    void update_timer();

    bool m_enabled = true;
    UINT m_interval = 1000;
    HWND m_window = nullptr;
};

LRESULT fw_timer_window_procedure(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) noexcept;

}

#endif
