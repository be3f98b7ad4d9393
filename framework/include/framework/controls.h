// Controls: TControl (position, alignment, visibility, colour, font, mouse), the
// windowed TWinControl on a platform window, TCustomControl with a canvas to paint on,
// TGraphicControl painted by its parent, the control canvas, the mouse, image lists
// and the hint window.
//
// Windows. Every TWinControl stands on one platform window of class "FwWindow" whose
// procedure hands each message to the control's WindowProc. The window is made when
// it is first needed (Handle, or the parent's window being made) and a control's
// children get theirs with it. An exception raised while a message is handled goes to
// Application->HandleException and the message loop goes on.
//
// Messages. WindowProc (replaceable: save it, install your own, call the saved one)
// calls WndProc, which does the work every control shares and then Dispatch. Dispatch
// is a switch on the message number in each class; what a class does not handle goes
// to its base class's Dispatch ("inherited"), and what no class handles to
// DefaultHandler: the platform's default procedure for a windowed control.
//
// Layout. Aligned children are placed by AlignControls whenever the parent's client
// area changes size and whenever a child's bounds, alignment or visibility change:
// first alTop, then alBottom, alLeft, alRight and last alClient, controls of one side
// in the order of their position (and of their creation where positions are equal).
// It needs no window, so a tree built without windows has its final rectangles.
//
// Coordinates are in pixels at 96 dots per inch; a control's bounds are in its parent's
// client coordinates (a top-level form's in screen coordinates, its client area).
#ifndef FRAMEWORK_CONTROLS_H
#define FRAMEWORK_CONTROLS_H

#include "framework/classes.h"
#include "framework/graphics.h"
#include "framework/types.h"
#include "platform/image_lists.h"
#include "platform/user_messages.h"
#include "platform/user_windows.h"

#include <QtCore/QString>

#include <functional>
#include <memory>
#include <vector>

namespace fw {

class TWinControl;
class TPopupMenu;
class TCustomForm;

// ---- Sets and small records ----------------------------------------------------------

enum TAnchorKind {
    akLeft,
    akTop,
    akRight,
    akBottom
};
using TAnchors = TSet<TAnchorKind>;

enum TControlStyleItem {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents,
    csNeedsBorderPaint,
    csParentBackground,
    csPannable
};
using TControlStyle = TSet<TControlStyleItem>;

enum TControlStateItem {
    csLButtonDown,
    csClicked,
    csCreating,
    csAlignmentNeeded,
    csFocusing,
    csDestroyingHandle
};
using TControlState = TSet<TControlStateItem>;

enum TBevelCut {
    bvNone,
    bvLowered,
    bvRaised,
    bvSpace
};
enum TBevelKind {
    bkNone,
    bkTile,
    bkSoft,
    bkFlat
};
enum TBevelEdge {
    beLeft,
    beTop,
    beRight,
    beBottom
};
using TBevelEdges = TSet<TBevelEdge>;

// The frame of a control or form; controls use bsNone and bsSingle only.
enum TFormBorderStyle {
    bsNone,
    bsSingle,
    bsSizeable,
    bsDialog,
    bsToolWindow,
    bsSizeToolWin
};
using TBorderStyle = TFormBorderStyle;
enum TBiDiMode {
    bdLeftToRight,
    bdRightToLeft,
    bdRightToLeftNoAlign,
    bdRightToLeftReadingOnly
};
enum TAlignment {
    taLeftJustify,
    taRightJustify,
    taCenter
};

// Least and greatest width and height of a control; 0 stands for no limit.
class TSizeConstraints : public TPersistent {
public:
    int MinWidth() const { return m_min_width; }
    int MinHeight() const { return m_min_height; }
    int MaxWidth() const { return m_max_width; }
    int MaxHeight() const { return m_max_height; }
    // Negative values are taken as 0; a maximum below the minimum is raised to it.
    void SetMinWidth(int value);
    void SetMinHeight(int value);
    void SetMaxWidth(int value);
    void SetMaxHeight(int value);

    // The size within the limits.
    int ClampWidth(int width) const;
    int ClampHeight(int height) const;

    void Assign(TPersistent* source) override;

    TNotifyEvent OnChange;

private:
    void changed();

    int m_min_width = 0;
    int m_min_height = 0;
    int m_max_width = 0;
    int m_max_height = 0;
};

// The space kept around a control that is aligned with margins (AlignWithMargins).
class TMargins : public TPersistent {
public:
    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Right() const { return m_right; }
    int Bottom() const { return m_bottom; }
    void SetLeft(int value) { set(m_left, value); }
    void SetTop(int value) { set(m_top, value); }
    void SetRight(int value) { set(m_right, value); }
    void SetBottom(int value) { set(m_bottom, value); }
    void SetBounds(int left, int top, int right, int bottom);

    void Assign(TPersistent* source) override;

    TNotifyEvent OnChange;

private:
    void set(int& field, int value);

    int m_left = 3;
    int m_top = 3;
    int m_right = 3;
    int m_bottom = 3;
};

// ---- Events --------------------------------------------------------------------------

using TWndMethod = std::function<void(TMessage& message)>;
using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TMouseWheelEvent = std::function<void(TObject* sender, TShiftState shift, int wheel_delta,
                                            TPoint mouse_pos, bool& handled)>;
using TMouseWheelUpDownEvent =
    std::function<void(TObject* sender, TShiftState shift, TPoint mouse_pos, bool& handled)>;
using TContextPopupEvent = std::function<void(TObject* sender, TPoint mouse_pos, bool& handled)>;
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char16_t& key)>;

// The shift state of a mouse message's MK_* flags, with Alt from the key state.
TShiftState KeysToShiftState(WPARAM keys);
// The shift state that the key state holds now (Shift, Ctrl, Alt, mouse buttons).
TShiftState KeyboardStateToShiftState();

// ---- TControl ----------------------------------------------------------------------------

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return m_parent; }
    virtual void SetParent(TWinControl* parent);

    // ---- Bounds
    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void SetLeft(int value) { SetBounds(value, m_top, m_width, m_height); }
    void SetTop(int value) { SetBounds(m_left, value, m_width, m_height); }
    void SetWidth(int value) { SetBounds(m_left, m_top, value, m_height); }
    void SetHeight(int value) { SetBounds(m_left, m_top, m_width, value); }
    TRect BoundsRect() const { return Bounds(m_left, m_top, m_width, m_height); }
    void SetBoundsRect(const TRect& rect)
    {
        SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
    }
    // Moves and sizes the control; the size is kept within Constraints (and 0 or more).
    virtual void SetBounds(int left, int top, int width, int height);

    // The client area: (0, 0, ClientWidth, ClientHeight).
    virtual TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    // Sizes the control so that its client area gets that size.
    void SetClientWidth(int value);
    void SetClientHeight(int value);
    TPoint ClientOrigin() const;
    TPoint ScreenToClient(TPoint point) const;
    TPoint ClientToScreen(TPoint point) const;

    TAlign Align() const { return m_align; }
    void SetAlign(TAlign align);
    TAnchors Anchors() const { return m_anchors; }
    void SetAnchors(TAnchors anchors);
    bool AlignWithMargins() const { return m_align_with_margins; }
    void SetAlignWithMargins(bool value);
    TMargins* Margins() const { return m_margins.get(); }
    TSizeConstraints* Constraints() const { return m_constraints.get(); }

    // ---- State
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and so is every parent up to a shown top-level form.
    virtual bool Showing() const;
    bool Enabled() const { return m_enabled; }
    virtual void SetEnabled(bool enabled);

    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    bool ParentColor() const { return m_parent_color; }
    void SetParentColor(bool value);
    TFont* Font() const { return m_font.get(); }
    void SetFont(TFont* font) { m_font->Assign(font); }
    bool ParentFont() const { return m_parent_font; }
    void SetParentFont(bool value);
    TCursor Cursor() const { return m_cursor; }
    void SetCursor(TCursor cursor);
    TPopupMenu* PopupMenu() const { return m_popup_menu; }
    void SetPopupMenu(TPopupMenu* menu);
    const QString& Hint() const { return m_hint; }
    void SetHint(const QString& hint) { m_hint = hint; }
    bool ShowHint() const { return m_show_hint; }
    void SetShowHint(bool value) { m_show_hint = value; }
    // The control's text (a form's caption, a label's or panel's text).
    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& caption) { SetText(caption); }
    const QString& Text() const { return m_caption; }
    virtual void SetText(const QString& text);

    TControlStyle ControlStyle() const { return m_control_style; }
    void SetControlStyle(TControlStyle style) { m_control_style = style; }
    TControlState ControlState() const { return m_control_state; }

    // ---- Messages
    // Sends the message to the control's WindowProc and answers its result.
    LRESULT Perform(UINT msg, WPARAM wparam, LPARAM lparam);
    // What receives every message; replace it to subclass the control.
    TWndMethod WindowProc;
    virtual void WndProc(TMessage& message);
    virtual void Dispatch(TMessage& message);
    virtual void DefaultHandler(TMessage& message);

    // ---- Painting
    // Asks for the control's area to be painted again at the next WM_PAINT.
    virtual void Invalidate();
    // Paints what is invalid now.
    virtual void Update();
    void Repaint()
    {
        Invalidate();
        Update();
    }
    void BringToFront();
    void SendToBack();

    // ---- Events and their virtuals
    virtual void Click();
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TNotifyEvent OnResize;
    TContextPopupEvent OnContextPopup;
    // Published for the drag and dock machinery, never raised here.
    TNotifyEvent OnStartDrag;
    TNotifyEvent OnEndDrag;

    // The wheel's turn: OnMouseWheel, then for each whole notch DoMouseWheelDown or
    // DoMouseWheelUp (turns of less than a notch add up). True when handled.
    virtual bool DoMouseWheel(TShiftState shift, int wheel_delta, TPoint mouse_pos);
    virtual bool DoMouseWheelDown(TShiftState shift, TPoint mouse_pos);
    virtual bool DoMouseWheelUp(TShiftState shift, TPoint mouse_pos);

protected:
    friend class TWinControl;

    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DblClick();
    virtual void Resize();
    void Loaded() override;
    virtual void DoContextPopup(TPoint mouse_pos, bool& handled);
    // The parent's font or colour changed, or the control's own.
    virtual void FontChanged();
    virtual void ColorChanged();
    // The bounds changed (after the fact); the size or only the place.
    virtual void BoundsChanged(bool size_changed);
    // A parent that places its children is told that this child changed.
    void RequestAlign();
    // Visible changed: windowed controls show or hide their window.
    virtual void VisibleChanged();
    // For classes whose controls start hidden (forms).
    void init_visible(bool visible) { m_visible = visible; }
    // Where the control's area lies in its parent window's client coordinates.
    virtual void InvalidateControl();

    void Notification(TComponent* component, TOperation operation) override;

    void include_state(TControlStateItem item) { m_control_state.Include(item); }
    void exclude_state(TControlStateItem item) { m_control_state.Exclude(item); }

    TControlStyle m_control_style;
    TControlState m_control_state;

private:
    void handle_mouse_button(TMessage& message, TMouseButton button, bool down, bool dbl);
    void handle_context_menu(TMessage& message);
    void handle_mouse_wheel(TMessage& message);
    void apply_parent_font();
    void apply_parent_color();
    void update_anchor_rules();
    void anchor_to(int parent_width, int parent_height);
    // The window was moved or sized from outside (the window manager).
    void set_bounds_from_window(int left, int top, int width, int height);

    TWinControl* m_parent = nullptr;
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
    TAlign m_align = alNone;
    TAnchors m_anchors{akLeft, akTop};
    // The gaps to the parent's right and bottom edges that anchoring keeps.
    int m_anchor_right_gap = 0;
    int m_anchor_bottom_gap = 0;
    bool m_align_with_margins = false;
    std::unique_ptr<TMargins> m_margins;
    std::unique_ptr<TSizeConstraints> m_constraints;
    bool m_visible = true;
    bool m_enabled = true;
    TColor m_color = clWindow;
    bool m_parent_color = false;
    std::unique_ptr<TFont> m_font;
    bool m_parent_font = true;
    bool m_applying_parent_font = false;
    TCursor m_cursor = crDefault;
    TPopupMenu* m_popup_menu = nullptr;
    QString m_hint;
    bool m_show_hint = false;
    QString m_caption;
    int m_wheel_accumulator = 0;
};

// ---- TWinControl ---------------------------------------------------------------------------

// What CreateWnd hands to the platform; CreateParams fills it.
struct TCreateParams {
    QString Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = nullptr;
    // The window class's style (CS_DBLCLKS, ...); windows of different class styles get
    // classes of their own.
    UINT WindowClassStyle = 0;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // The control's window, made now when there is none.
    HWND Handle();
    bool HandleAllocated() const { return m_handle != nullptr; }
    void HandleNeeded() { Handle(); }
    // Destroys the window; it is made again when next needed.
    void DestroyHandle();
    // Destroys the window and makes it again (styles changed).
    void RecreateWnd();

    int ControlCount() const { return static_cast<int>(m_controls.size()); }
    TControl* Controls(int index) const;
    // The visible, enabled child under the point (client coordinates), graphic
    // controls only unless windowed is set; the topmost one.
    TControl* ControlAtPos(TPoint point, bool allow_disabled = false,
                           bool allow_windowed = false) const;
    bool ContainsControl(const TControl* control) const;

    void SetBounds(int left, int top, int width, int height) override;
    TRect ClientRect() const override;
    // Places the aligned and anchored children now.
    void Realign();
    void DisableAlign() { ++m_align_disabled; }
    void EnableAlign();

    // ---- Focus and keys
    bool TabStop() const { return m_tab_stop; }
    void SetTabStop(bool value);
    int TabOrder() const;
    void SetTabOrder(int order);
    bool Focused() const;
    virtual bool CanFocus() const;
    virtual void SetFocus();
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

    // ---- Look
    TBrush* Brush() const { return m_brush.get(); }
    bool Ctl3D() const { return m_ctl3d; }
    void SetCtl3D(bool value);
    TBevelKind BevelKind() const { return m_bevel_kind; }
    void SetBevelKind(TBevelKind kind);
    TBevelCut BevelInner() const { return m_bevel_inner; }
    void SetBevelInner(TBevelCut cut);
    TBevelCut BevelOuter() const { return m_bevel_outer; }
    void SetBevelOuter(TBevelCut cut);
    TBevelEdges BevelEdges() const { return m_bevel_edges; }
    void SetBevelEdges(TBevelEdges edges);
    int BevelWidth() const { return m_bevel_width; }
    void SetBevelWidth(int width);
    int BorderWidth() const { return m_border_width; }
    void SetBorderWidth(int width);
    // Kept for the controls that ask; windows keep their pixels, so nothing flickers.
    bool DoubleBuffered() const { return m_double_buffered; }
    void SetDoubleBuffered(bool value) { m_double_buffered = value; }
    TBiDiMode BiDiMode() const { return m_bidi_mode; }
    void SetBiDiMode(TBiDiMode mode) { m_bidi_mode = mode; }
    bool ParentBackground() const { return m_control_style.Contains(csParentBackground); }
    void SetParentBackground(bool value);

    void Invalidate() override;
    void Update() override;
    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;

    // The window's procedure before the control's (the platform's default procedure).
    WNDPROC DefWndProc() const { return m_default_procedure; }

    // The control of a window made by the framework, or nullptr.
    static TWinControl* FromHandle(HWND window);

protected:
    friend class TControl;

    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    virtual void DestroyWnd();
    // Made the window; the children get theirs.
    virtual void CreateHandle();
    virtual void CreateWindowHandle(const TCreateParams& params);

    // Places the aligned children within the rectangle (AdjustClientRect's).
    virtual void AlignControls(TControl* changed, TRect& rect);
    // The part of the client area that aligned children share.
    virtual void AdjustClientRect(TRect& rect) const;
    // WM_PAINT: BeginPaint, PaintWindow, the graphic children, EndPaint.
    virtual void PaintHandler(TMessage& message);
    virtual void PaintWindow(HDC dc);
    void PaintControls(HDC dc, const TRect& update);
    // WM_ERASEBKGND: fills the update area with Brush; answers 1.
    virtual void EraseBackground(TMessage& message);
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char16_t& key);
    virtual void DoEnter();
    virtual void DoExit();
    void ColorChanged() override;
    void FontChanged() override;
    void BoundsChanged(bool size_changed) override;
    void VisibleChanged() override;
    // The width of the non-client ring on each side (BorderWidth, bevels).
    TRect NonClientInsets() const;

    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    // The windowed controls below this one in tab order, depth first.
    std::vector<TControl*> tab_list() const;

private:
    friend LRESULT fw_window_procedure(HWND, UINT, WPARAM, LPARAM) noexcept;
    friend void fw_release_window(TWinControl*, HWND) noexcept;

    bool route_mouse_to_child(TMessage& message);
    void handle_window_pos_changed(TMessage& message);
    void handle_set_cursor(TMessage& message);
    void nc_calc_size(TMessage& message);
    void nc_paint(TMessage& message);
    void align_now(TControl* changed);

    HWND m_handle = nullptr;
    WNDPROC m_default_procedure = nullptr;
    std::vector<TControl*> m_controls;
    std::vector<TWinControl*> m_tab_list;
    int m_align_disabled = 0;
    bool m_aligning = false;
    bool m_tab_stop = false;
    std::unique_ptr<TBrush> m_brush;
    bool m_ctl3d = true;
    TBevelKind m_bevel_kind = bkNone;
    TBevelCut m_bevel_inner = bvRaised;
    TBevelCut m_bevel_outer = bvLowered;
    TBevelEdges m_bevel_edges{beLeft, beTop, beRight, beBottom};
    int m_bevel_width = 1;
    int m_border_width = 0;
    bool m_double_buffered = false;
    TBiDiMode m_bidi_mode = bdLeftToRight;
};

LRESULT fw_window_procedure(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) noexcept;

// ---- Canvas of a control ------------------------------------------------------------------

// The canvas of a control. While the control paints it draws on the paint DC; at other
// times it takes a DC of the control's window (GetDC), which is released when the
// message being handled has been dispatched.
class TControlCanvas : public TCanvas {
public:
    TControlCanvas() = default;
    ~TControlCanvas() override;

    TControl* Control() const { return m_control; }
    void SetControl(TControl* control);
    // Gives a DC taken from the window back now.
    void FreeHandle();

protected:
    void CreateHandle() override;

private:
    TControl* m_control = nullptr;
    HWND m_window_dc_owner = nullptr;
    HDC m_window_dc = nullptr;
};

// Releases the window DCs that control canvases took while a message was handled.
void FreeDeviceContexts() noexcept;

class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;

    TCanvas* Canvas() const { return m_canvas.get(); }

protected:
    // Draws the control on Canvas; the canvas's DC is the paint DC.
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;
    void DestroyWnd() override;

private:
    std::unique_ptr<TControlCanvas> m_canvas;
};

// A control without a window of its own: the parent paints it (WM_PAINT with the DC in
// wParam, origin at the control's corner) and routes mouse messages to it.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;

    TCanvas* Canvas() const { return m_canvas.get(); }
    void Dispatch(TMessage& message) override;

protected:
    virtual void Paint() {}

private:
    std::unique_ptr<TControlCanvas> m_canvas;
};

// ---- Framework drag and drop -----------------------------------------------------------------

// CM_DRAG: the step of a framework drag in WParam, a TDragRec* in LParam.
enum TDragMessage {
    dmDragEnter,
    dmDragLeave,
    dmDragMove,
    dmDragDrop,
    dmDragCancel,
    dmFindTarget
};
struct TDragRec {
    TPoint Pos; // screen coordinates
    TObject* Source = nullptr;
    TObject* Target = nullptr;
    bool Docking = false;
};

// ---- Mouse -------------------------------------------------------------------------------

class TMouse {
public:
    TPoint CursorPos() const;
    void SetCursorPos(TPoint point);
    // The window that has the mouse captured, or nullptr.
    HWND Capture() const;
    void SetCapture(HWND window);
    bool WheelPresent() const { return true; }
    int WheelScrollLines() const { return 3; }
    // How far the mouse moves with a button down before a drag starts.
    int DragThreshold() const { return 5; }
};

// ---- Image lists ----------------------------------------------------------------------------

// A list of images of one size (16 x 16 by default) over a platform image list, which
// Handle gives for ImageList_DrawEx. The images keep their masks; changing Width or
// Height empties the list. A list the platform cannot make (out of memory) has Handle
// nullptr, holds nothing and Add answers -1.
class TCustomImageList : public TComponent {
public:
    explicit TCustomImageList(TComponent* owner);
    ~TCustomImageList() override;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Sizes below 1 are taken as 1.
    void SetWidth(int width);
    void SetHeight(int height);
    void SetSize(int width, int height);
    int Count() const;
    HIMAGELIST Handle() const { return m_handle; }

    // Adds the images that the bitmap holds side by side (its width in whole images),
    // with the mask's white pixels transparent (no mask: every pixel drawn). The index of
    // the first one, -1 when nothing was added.
    int Add(TBitmap* image, TBitmap* mask);
    // As Add, with the pixels of the colour transparent.
    int AddMasked(TBitmap* image, TColor mask_color);
    void Clear();

private:
    void recreate();

    int m_width = 16;
    int m_height = 16;
    HIMAGELIST m_handle = nullptr;
};

// ---- Hints -----------------------------------------------------------------------------------

// A popup window that shows a hint's text in the application's hint colour.
class THintWindow : public TCustomControl {
public:
    explicit THintWindow(TComponent* owner);

    // Places the window at the rectangle (screen coordinates) and shows the text.
    virtual void ActivateHint(TRect rect, const QString& hint);
    virtual void ActivateHintData(TRect rect, const QString& hint, void* data);
    // The rectangle (at the origin) that the text needs, lines broken at max_width.
    virtual TRect CalcHintRect(int max_width, const QString& hint, void* data);
    // A message that should take the hint away (keys, clicks).
    virtual bool IsHintMsg(const MSG& message) const;
    void ReleaseHandle();

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
};

}

#endif
