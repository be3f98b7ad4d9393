// The drawing view: one drawing object shown large inside the main window.
//
// Every redraw builds the whole picture in a 32-bit back buffer (black, a dark dot grid,
// the drawing fitted into the drawing area, its overlays and the two ruler bands, or
// "Image Unavailable") and copies it to the paint box in one blit. Over the picture a
// dotted cross-hair, drawn on the screen by inversion, stands in for the pointer, which
// is hidden over the paint box. A left-button drag pans, the wheel zooms in about the
// pointer and steps back through the zoom history, and the popup menu offers "Zoom
// previous" and "Full view". The zoom and pan arithmetic is ViewNavigation's.
//
// The view lends the drawing object: whoever attaches it with SetStruct detaches it
// (SetStruct(nullptr)) before freeing it; one still attached when the view goes is
// freed by the view.
#ifndef VISTREL_FORMS_DRAWING_VIEW_H
#define VISTREL_FORMS_DRAWING_VIEW_H

#include "forms/child_form.h"
#include "forms/focused_paint_box.h"
#include "forms/view_navigation.h"
#include "units/units_display_manager.h"

#include "framework/graphics.h"
#include "framework/menus.h"

#include <memory>

namespace vistrel {

class Tqxp_VectorObject;

class TfrmBaseVector : public TfrmChildBase, private ViewNavigationHost {
public:
    // Client 401 by 300, white, popup menu ToolsPopup; makes VectorBox and ToolsPopup
    // with their items and binds the events. OnCreate (FormCreate) runs from
    // AfterConstruction, which whoever makes the form calls.
    explicit TfrmBaseVector(fw::TComponent* owner);
    ~TfrmBaseVector() override;

    // ---- Components
    TOvraFocusedPaintBox* VectorBox = nullptr;
    fw::TPopupMenu* ToolsPopup = nullptr;
    fw::TMenuItem* N1 = nullptr;
    fw::TMenuItem* ZoomPrevious1 = nullptr; // "Zoom previous"
    fw::TMenuItem* RestoreImage1 = nullptr; // "Full view"
    fw::TMenuItem* N2 = nullptr;
    fw::TMenuItem* Cancel1 = nullptr; // "Cancel": only closes the menu

    // ---- Properties
    fw::TBitmap* BackBuff() const { return fBackBuff.get(); }
    TqxUnitsType FileUnits() const { return fFileUnits; }
    // Stores the units and redraws.
    void SetFileUnits(TqxUnitsType Value);
    Tqxp_VectorObject* Struct() const { return fStruct; }
    // Shows the drawing object at full view, or "Image Unavailable" for nullptr (or an
    // object without drawing). The view does not take ownership.
    virtual void SetStruct(Tqxp_VectorObject* Value);

    // ---- Drawing
    // A drawing object with a drawing record is shown.
    bool CheckStruct() const;
    // The first form has been shown and the back buffer and paint box exist.
    bool CanDraw() const;
    // Where the drawing goes in the paint box: empty when the view cannot draw; else
    // the client less 1 pixel at the top and 40 at the left, and with a drawing also
    // less 17 at the bottom and 1 at the right (the ruler bands' room).
    fw::TRect DrawingRect() const;
    // Sizes the back buffer to the paint box's client area when they differ.
    void Draw_AdjustBackbuffer();
    // Frees the drawing object held, forgets it and draws the empty view.
    void Draw_ClearImage();
    // Measures the drawing into its window, texts and points left out of the measure.
    void Draw_RecalcDxfDrawingSize();
    // Builds the picture in the back buffer and copies it to the paint box.
    void Draw_Redraw();
    // Has the owner form's window with all its children painted again.
    void Draw_RefreshWindow();
    // The whole drawing, padded, with the zoom history left behind.
    void Zoom_DoFullZoom();
    void UpdateDisplay() override;

    // Clears the back buffer and lets the drawing object draw into it; false when the
    // view cannot draw or has no drawing.
    virtual bool DrawToBackBuffer();
    // Black with the dot grid, and "Image Unavailable" without a drawing; the rectangle
    // is not used.
    virtual bool ClearBackBuffer(const fw::TRect& ARect);

    // ---- Cross-hair (drawn by inversion on the paint box; twice at one place erases)
    void DrawCursorCross();
    void ShowCursorCross();
    void HideCursorCross();
    void MoveCursorCross(int X, int Y);
    bool CursorVisible() const { return fCursor_Visible; }

    // ---- Zoom
    // 1 Shift held, else 2 Ctrl, else 3 Alt, else 0.
    static int GetKeyMode();
    // A wheel turn at (X, Y) in paint-box pixels: direction 0 zooms in about the
    // pointer, 1 steps back through the zoom history.
    void ZoomByWheel(int X, int Y, int Direction);
    void ZoomPrevious();
    // The zoom history, the pointer state and the mouse mode.
    const ViewNavigation& Navigation() const { return m_navigation; }

    // ---- Event handlers
    void FormCreate(fw::TObject* Sender);
    void FormDestroy(fw::TObject* Sender);
    void FormShow(fw::TObject* Sender);
    void FormMouseLeave(fw::TObject* Sender);
    void FormMouseWheelDown(fw::TObject* Sender, fw::TShiftState Shift, fw::TPoint MousePos,
                            bool& Handled);
    void FormMouseWheelUp(fw::TObject* Sender, fw::TShiftState Shift, fw::TPoint MousePos,
                          bool& Handled);
    void VectorBoxEnter(fw::TObject* Sender);
    void VectorBoxExit(fw::TObject* Sender);
    void VectorBoxMouseDown(fw::TObject* Sender, fw::TMouseButton Button, fw::TShiftState Shift,
                            int X, int Y);
    void VectorBoxMouseLeave(fw::TObject* Sender);
    void VectorBoxMouseMove(fw::TObject* Sender, fw::TShiftState Shift, int X, int Y);
    void VectorBoxMouseUp(fw::TObject* Sender, fw::TMouseButton Button, fw::TShiftState Shift,
                          int X, int Y);
    void VectorBoxPaint(fw::TObject* Sender);
    void ToolsPopupPopup(fw::TObject* Sender);
    void ZoomPrevious1Click(fw::TObject* Sender);
    void RestoreImage1Click(fw::TObject* Sender);

    void Dispatch(fw::TMessage& message) override;

private:
    // ViewNavigationHost
    DXFDrawingRec* drawing() override;
    void recalc_drawing_size() override;
    void pad_drawing() override;
    void redraw() override;

    void wheel_turn(int direction, bool& handled);
    void handle_size(fw::TMessage& message);

    TqxUnitsType fFileUnits = qxUnitsUnknown;
    std::unique_ptr<fw::TBitmap> fBackBuff;
    Tqxp_VectorObject* fStruct = nullptr;
    bool fCursor_Visible = false;
    bool fAntsVisible = false;
    ViewNavigation m_navigation{*this};
};

// The view that the main window embeds.
class TfrmComponentVector : public TfrmBaseVector {
public:
    explicit TfrmComponentVector(fw::TComponent* owner);

    bool DrawToBackBuffer() override;
};

namespace test {
// Makes every view wait for a first FormShow again before it draws.
void ResetFirstShow();
}

}

#endif
