#include "forms/drawing_view.h"

#include "units/bitmap_utils.h"
#include "units/vector_object.h"

#include "halvern/drawing.h"
#include "halvern/extents.h"
#include "halvern/items.h"
#include "platform/user_input.h"
#include "platform/user_messages.h"
#include "platform/user_paint.h"

namespace vistrel {

namespace {

// True until the first view has been shown: nothing is drawn before.
bool g_first_show = true;

constexpr fw::TColor kGridColour = 0x313131;
constexpr int kGridCrossingLighter = 50;
constexpr fw::TColor kCrossHairColour = 0x909090;
// Half the side of the cross-hair's square, which the lines leave free.
constexpr int kCrossHairGap = 5;

// Gives the pen back its copy mode and solid style at the end of the scope.
class PenModeRestorer {
public:
    explicit PenModeRestorer(fw::TPen* pen) : m_pen(pen) {}
    ~PenModeRestorer()
    {
        try {
            m_pen->SetMode(fw::pmCopy);
            m_pen->SetStyle(fw::psSolid);
        } catch (...) {
            // A change handler that raises is not the cross-hair's to report.
        }
    }
    PenModeRestorer(const PenModeRestorer&) = delete;
    PenModeRestorer& operator=(const PenModeRestorer&) = delete;

private:
    fw::TPen* m_pen;
};

bool key_held(int virtual_key)
{
    return (static_cast<uint16_t>(GetKeyState(virtual_key)) & 0xFF00u) != 0;
}

}

namespace test {
void ResetFirstShow()
{
    g_first_show = true;
}
}

// ---- Creation and destruction --------------------------------------------------------------

TfrmBaseVector::TfrmBaseVector(fw::TComponent* owner) : TfrmChildBase(owner)
{
    SetCaption(QStringLiteral("Base Vector Render Form"));
    SetClientWidth(401);
    SetClientHeight(300);
    SetColor(fw::clWhite);

    VectorBox = new TOvraFocusedPaintBox(this);
    VectorBox->SetParent(this);
    VectorBox->SetAlign(fw::alClient);
    VectorBox->SetTabOrder(0);
    VectorBox->OnEnter = [this](fw::TObject* sender) { VectorBoxEnter(sender); };
    VectorBox->OnExit = [this](fw::TObject* sender) { VectorBoxExit(sender); };
    VectorBox->OnMouseDown = [this](fw::TObject* sender, fw::TMouseButton button,
                                    fw::TShiftState shift, int x,
                                    int y) { VectorBoxMouseDown(sender, button, shift, x, y); };
    VectorBox->OnMouseLeave = [this](fw::TObject* sender) { VectorBoxMouseLeave(sender); };
    VectorBox->OnMouseMove = [this](fw::TObject* sender, fw::TShiftState shift, int x, int y) {
        VectorBoxMouseMove(sender, shift, x, y);
    };
    VectorBox->OnMouseUp = [this](fw::TObject* sender, fw::TMouseButton button,
                                  fw::TShiftState shift, int x,
                                  int y) { VectorBoxMouseUp(sender, button, shift, x, y); };
    VectorBox->OnPaint = [this](fw::TObject* sender) { VectorBoxPaint(sender); };

    ToolsPopup = new fw::TPopupMenu(this);
    ToolsPopup->SetAutoHotkeys(fw::maManual);
    ToolsPopup->SetAutoLineReduction(fw::maManual);
    ToolsPopup->OnPopup = [this](fw::TObject* sender) { ToolsPopupPopup(sender); };
    const auto add_item = [this](const QString& caption) {
        auto* item = new fw::TMenuItem(this);
        item->SetCaption(caption);
        ToolsPopup->Items()->Add(item);
        return item;
    };
    N1 = add_item(QStringLiteral("-"));
    ZoomPrevious1 = add_item(QStringLiteral("Zoom previous"));
    ZoomPrevious1->OnClick = [this](fw::TObject* sender) { ZoomPrevious1Click(sender); };
    RestoreImage1 = add_item(QStringLiteral("Full view"));
    RestoreImage1->OnClick = [this](fw::TObject* sender) { RestoreImage1Click(sender); };
    N2 = add_item(QStringLiteral("-"));
    Cancel1 = add_item(QStringLiteral("Cancel"));
    SetPopupMenu(ToolsPopup);

    OnCreate = [this](fw::TObject* sender) { FormCreate(sender); };
    OnDestroy = [this](fw::TObject* sender) { FormDestroy(sender); };
    OnMouseLeave = [this](fw::TObject* sender) { FormMouseLeave(sender); };
    OnMouseWheelDown = [this](fw::TObject* sender, fw::TShiftState shift, fw::TPoint position,
                              bool& handled) {
        FormMouseWheelDown(sender, shift, position, handled);
    };
    OnMouseWheelUp = [this](fw::TObject* sender, fw::TShiftState shift, fw::TPoint position,
                            bool& handled) { FormMouseWheelUp(sender, shift, position, handled); };
    OnShow = [this](fw::TObject* sender) { FormShow(sender); };
}

TfrmBaseVector::~TfrmBaseVector() = default;

void TfrmBaseVector::FormCreate(fw::TObject* Sender)
{
    TfrmChildBase::FormCreate(Sender);
    // The cross-hair stands in for the pointer over the picture.
    VectorBox->SetCursor(fw::crNone);
    SetAlign(fw::alClient);
    fBackBuff = NewBitmap32(100, 100);
    fCursor_Visible = true;
    fStruct = nullptr;
    fAntsVisible = false;
    m_navigation.SetWheelZooming(false);
    // Wheel turns anywhere over the owner form reach the view.
    if (auto* owner_form = dynamic_cast<fw::TCustomForm*>(Owner())) {
        owner_form->OnMouseWheelDown = [this](fw::TObject* sender, fw::TShiftState shift,
                                              fw::TPoint position, bool& handled) {
            FormMouseWheelDown(sender, shift, position, handled);
        };
        owner_form->OnMouseWheelUp = [this](fw::TObject* sender, fw::TShiftState shift,
                                            fw::TPoint position, bool& handled) {
            FormMouseWheelUp(sender, shift, position, handled);
        };
    }
}

void TfrmBaseVector::FormShow(fw::TObject*)
{
    OnShow = nullptr;
    g_first_show = false;
    DrawToBackBuffer();
}

void TfrmBaseVector::FormDestroy(fw::TObject*)
{
    fBackBuff.reset();
    Tqxp_VectorObject* still_held = fStruct;
    fStruct = nullptr;
    fw::Free(still_held);
}

// ---- Properties ------------------------------------------------------------------------------

void TfrmBaseVector::SetFileUnits(TqxUnitsType Value)
{
    fFileUnits = Value;
    Draw_Redraw();
}

void TfrmBaseVector::SetStruct(Tqxp_VectorObject* Value)
{
    fStruct = Value;
    if (!CheckStruct()) {
        Draw_Redraw();
        return;
    }
    ReadGUI();
    Draw_RecalcDxfDrawingSize();
    Zoom_DoFullZoom();
}

bool TfrmBaseVector::CheckStruct() const
{
    return fStruct != nullptr && fStruct->pInternal() != nullptr;
}

bool TfrmBaseVector::CanDraw() const
{
    return !g_first_show && fBackBuff != nullptr && VectorBox != nullptr;
}

fw::TRect TfrmBaseVector::DrawingRect() const
{
    return DrawingRectOf(CanDraw(), VectorBox != nullptr ? VectorBox->ClientRect() : fw::TRect{},
                         CheckStruct());
}

// ---- Drawing -----------------------------------------------------------------------------------

void TfrmBaseVector::Draw_AdjustBackbuffer()
{
    fw::TCanvas* canvas = fBackBuff->Canvas();
    canvas->Lock();
    try {
        const int width = VectorBox->ClientWidth();
        const int height = VectorBox->ClientHeight();
        if (fBackBuff->Width() != width || fBackBuff->Height() != height)
            fBackBuff->SetSize(width, height);
    } catch (...) {
        canvas->Unlock();
        throw;
    }
    canvas->Unlock();
}

void TfrmBaseVector::Draw_ClearImage()
{
    Tqxp_VectorObject* held = fStruct;
    fStruct = nullptr;
    fw::Free(held);
    DrawToBackBuffer();
}

void TfrmBaseVector::Draw_RecalcDxfDrawingSize()
{
    if (!CheckStruct())
        return;
    DXFDrawingRec* record = fStruct->pInternal();
    record->dxf_ItemFlags[DXFItemText] = DXF_ITEM_TYPE_HIDDEN;
    record->dxf_ItemFlags[DXFItemPoint] = DXF_ITEM_TYPE_HIDDEN;
    CalcDXFDrawingSize(record);
    if (fStruct->ShowText())
        record->dxf_ItemFlags[DXFItemText] = 0;
}

void TfrmBaseVector::Draw_Redraw()
{
    if (!CanDraw())
        return;
    DrawToBackBuffer();
    VectorBoxPaint(this);
}

void TfrmBaseVector::Draw_RefreshWindow()
{
    fw::TWinControl* target = this;
    if (auto* owner_form = dynamic_cast<fw::TCustomForm*>(Owner()))
        target = owner_form;
    if (target->HandleAllocated())
        RedrawWindow(target->Handle(), nullptr, nullptr,
                     RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
}

void TfrmBaseVector::Zoom_DoFullZoom()
{
    m_navigation.Zoom_DoFullZoom();
}

void TfrmBaseVector::UpdateDisplay()
{
    Draw_Redraw();
}

bool TfrmBaseVector::DrawToBackBuffer()
{
    if (!CanDraw())
        return false;
    const fw::TRect area = DrawingRect();
    ClearBackBuffer(area);
    if (!CheckStruct())
        return false;
    return fStruct->Draw_To(fBackBuff->Canvas(), area);
}

bool TfrmBaseVector::ClearBackBuffer(const fw::TRect&)
{
    Draw_AdjustBackbuffer();
    fw::TCanvas* canvas = fBackBuff->Canvas();
    canvas->Pen()->SetColor(0x808000);
    canvas->Brush()->SetColor(fw::clBlack);
    canvas->Font()->SetColor(fw::clWhite);
    canvas->Brush()->SetStyle(fw::bsSolid);
    const fw::TRect client = VectorBox->ClientRect();
    canvas->FillRect(client);
    DrawDotGrid(fBackBuff.get(), kGridColour, kGridCrossingLighter);
    if (!CheckStruct()) {
        canvas->Font()->SetStyle({});
        canvas->Font()->SetName(QStringLiteral("Arial"));
        canvas->Font()->SetSize(10);
        const QString text = QStringLiteral("Image Unavailable");
        RECT rect{client.Left, client.Top, client.Right, client.Bottom};
        DrawTextW(canvas->Handle(), reinterpret_cast<LPCWSTR>(text.utf16()), -1, &rect,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    return true;
}

void TfrmBaseVector::VectorBoxPaint(fw::TObject*)
{
    if (fBackBuff == nullptr)
        return;
    try {
        fw::TCanvas* canvas = VectorBox->Canvas();
        // A full repaint covers the cross-hair: take it away first, so that it is not
        // inverted back onto the new picture later.
        if (canvas->ClipRect() == VectorBox->ClientRect())
            HideCursorCross();
        fAntsVisible = false;
        canvas->Draw(VectorBox->ClientWidth() / 2 - fBackBuff->Width() / 2,
                     VectorBox->ClientHeight() / 2 - fBackBuff->Height() / 2, fBackBuff.get());
    } catch (...) {
        // A picture that cannot be shown now is shown by the next paint.
    }
}

void TfrmBaseVector::Dispatch(fw::TMessage& message)
{
    if (message.Msg == WM_SIZE) {
        handle_size(message);
        return;
    }
    TfrmChildBase::Dispatch(message);
}

void TfrmBaseVector::handle_size(fw::TMessage& message)
{
    TfrmChildBase::Dispatch(message);
    if (fw::Application != nullptr && fw::Application->Terminated())
        return;
    if (!CanDraw())
        return;
    try {
        Draw_Redraw();
    } catch (...) {
        // The next redraw tries again.
    }
    message.Result = -1;
}

// ---- Cross-hair --------------------------------------------------------------------------------

void TfrmBaseVector::DrawCursorCross()
{
    fw::TCanvas* canvas = VectorBox->Canvas();
    const PenModeRestorer restorer(canvas->Pen());
    canvas->Pen()->SetMode(fw::pmNotXor);
    canvas->Pen()->SetStyle(fw::psDot);
    canvas->Pen()->SetColor(kCrossHairColour);
    canvas->Brush()->SetColor(fw::clWhite);
    const fw::TPoint at = m_navigation.Cursor();
    const int x = at.X;
    const int y = at.Y;
    const int gap = kCrossHairGap;
    canvas->MoveTo(0, y);
    canvas->LineTo(x - gap, y);
    canvas->MoveTo(x + gap, y);
    canvas->LineTo(VectorBox->Width(), y);
    canvas->MoveTo(x, 0);
    canvas->LineTo(x, y - gap);
    canvas->MoveTo(x, y + gap);
    canvas->LineTo(x, VectorBox->Height());
    canvas->MoveTo(x - gap, y - gap);
    canvas->LineTo(x + gap, y - gap);
    canvas->LineTo(x + gap, y + gap);
    canvas->LineTo(x - gap, y + gap);
    canvas->LineTo(x - gap, y - gap);
}

void TfrmBaseVector::ShowCursorCross()
{
    DrawCursorCross();
    fCursor_Visible = true;
}

void TfrmBaseVector::HideCursorCross()
{
    if (!fCursor_Visible)
        return;
    DrawCursorCross();
    fCursor_Visible = false;
}

void TfrmBaseVector::MoveCursorCross(int X, int Y)
{
    HideCursorCross();
    m_navigation.SetCursor(X, Y);
    if (m_navigation.MouseMode() == ViewNavigation::kIdle)
        ShowCursorCross();
}

void TfrmBaseVector::VectorBoxEnter(fw::TObject*)
{
    const fw::TPoint pointer = ScreenToClient(fw::Mouse->CursorPos());
    m_navigation.SetCursor(pointer.X, pointer.Y);
}

void TfrmBaseVector::VectorBoxExit(fw::TObject*)
{
    HideCursorCross();
}

void TfrmBaseVector::VectorBoxMouseLeave(fw::TObject*)
{
    HideCursorCross();
}

void TfrmBaseVector::FormMouseLeave(fw::TObject*)
{
    HideCursorCross();
}

void TfrmBaseVector::ToolsPopupPopup(fw::TObject*)
{
    HideCursorCross();
}

// ---- Mouse -------------------------------------------------------------------------------------

int TfrmBaseVector::GetKeyMode()
{
    return KeyModeOf(key_held(VK_SHIFT), key_held(VK_CONTROL), key_held(VK_MENU));
}

void TfrmBaseVector::VectorBoxMouseDown(fw::TObject*, fw::TMouseButton, fw::TShiftState, int, int)
{
    // The paint box takes the focus itself; a press starts nothing else here.
}

void TfrmBaseVector::VectorBoxMouseMove(fw::TObject*, fw::TShiftState Shift, int X, int Y)
{
    if (m_navigation.MouseMove(Shift.Contains(fw::ssLeft), GetKeyMode(), X, Y))
        MoveCursorCross(X, Y);
}

void TfrmBaseVector::VectorBoxMouseUp(fw::TObject*, fw::TMouseButton, fw::TShiftState Shift, int,
                                      int)
{
    if (!CheckStruct())
        return;
    const int32_t mode = m_navigation.MouseMode();
    m_navigation.MouseUp();
    if (mode == ViewNavigation::kIdle && Shift.Contains(fw::ssLeft))
        SetCursor(fw::crDefault);
    VectorBoxPaint(this);
    const fw::TPoint at = m_navigation.Cursor();
    MoveCursorCross(at.X, at.Y);
}

void TfrmBaseVector::FormMouseWheelDown(fw::TObject*, fw::TShiftState, fw::TPoint, bool& Handled)
{
    wheel_turn(0, Handled);
}

void TfrmBaseVector::FormMouseWheelUp(fw::TObject*, fw::TShiftState, fw::TPoint, bool& Handled)
{
    wheel_turn(1, Handled);
}

void TfrmBaseVector::wheel_turn(int direction, bool& handled)
{
    if (!VectorBox->Focused())
        return;
    if (m_navigation.MouseMode() != ViewNavigation::kIdle || m_navigation.WheelZooming()) {
        handled = m_navigation.WheelZooming();
        return;
    }
    // Where the pointer is now, not where the turn was reported.
    const fw::TPoint pointer = VectorBox->ScreenToClient(fw::Mouse->CursorPos());
    if (VectorBox->ClientRect().Contains(pointer))
        ZoomByWheel(pointer.X, pointer.Y, direction);
    handled = true;
}

// ---- Zoom --------------------------------------------------------------------------------------

void TfrmBaseVector::ZoomByWheel(int X, int Y, int Direction)
{
    if (!CheckStruct())
        return;
    try {
        if (Direction == 0) {
            const std::optional<fw::TPoint> target =
                m_navigation.WheelZoomIn(X, Y, VectorBox->ClientWidth(), VectorBox->ClientHeight());
            if (!target)
                return;
            VectorBoxPaint(this);
            // The pointer stays on the drawing point it was over.
            fw::Mouse->SetCursorPos(VectorBox->ClientToScreen(*target));
            MoveCursorCross(target->X, target->Y);
        } else if (Direction == 1) {
            if (m_navigation.WheelZoomBack())
                MoveCursorCross(X, Y);
        }
    } catch (...) {
        m_navigation.SetWheelZooming(false);
    }
}

void TfrmBaseVector::ZoomPrevious()
{
    m_navigation.ZoomPrevious();
}

void TfrmBaseVector::ZoomPrevious1Click(fw::TObject*)
{
    ZoomPrevious();
}

void TfrmBaseVector::RestoreImage1Click(fw::TObject*)
{
    Zoom_DoFullZoom();
}

// ---- The navigation's host -----------------------------------------------------------------------

DXFDrawingRec* TfrmBaseVector::drawing()
{
    return CheckStruct() ? fStruct->pInternal() : nullptr;
}

void TfrmBaseVector::recalc_drawing_size()
{
    Draw_RecalcDxfDrawingSize();
}

void TfrmBaseVector::pad_drawing()
{
    if (fStruct != nullptr)
        fStruct->PadDrawing();
}

void TfrmBaseVector::redraw()
{
    Draw_Redraw();
}

// ---- The embedded view ---------------------------------------------------------------------------

TfrmComponentVector::TfrmComponentVector(fw::TComponent* owner) : TfrmBaseVector(owner)
{
    SetCaption(QStringLiteral("frmComponentVector"));
}

bool TfrmComponentVector::DrawToBackBuffer()
{
    return TfrmBaseVector::DrawToBackBuffer();
}

}
