// Focus and tab order, the cursor over controls, and drawing on a control's canvas
// outside painting.

#include "framework/forms.h"
#include "framework/stdctrls.h"
#include "platform/qt.h"
#include "platform/user_paint.h"

#include <QtGui/QImage>

#include <gtest/gtest.h>

#include <vector>

using namespace fw;

namespace {

// A focusable control, as the drawing view's paint box is.
class TFocusBox : public TCustomControl {
public:
    explicit TFocusBox(TComponent* owner) : TCustomControl(owner) { SetTabStop(true); }
};

class FocusForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_form = new TForm(Application);
        m_form->SetBounds(0, 0, 300, 200);
        for (int i = 0; i < 3; ++i) {
            auto* box = new TFocusBox(m_form);
            box->SetParent(m_form);
            box->SetBounds(10 + 60 * i, 10, 50, 50);
            m_boxes.push_back(box);
        }
    }
    void TearDown() override
    {
        Free(m_form);
        Application->ProcessMessages();
    }

    TForm* form() const { return m_form; }
    TFocusBox* box(int index) const { return m_boxes[static_cast<size_t>(index)]; }

private:
    TForm* m_form = nullptr;
    std::vector<TFocusBox*> m_boxes;
};

TEST_F(FocusForm, TabMovesTheFocusInTabOrderAndShiftTabBack)
{
    box(2)->SetTabOrder(0); // order now: 2, 0, 1
    std::vector<int> entered;
    for (int i = 0; i < 3; ++i)
        box(i)->OnEnter = [&entered, i](TObject*) { entered.push_back(i); };
    // Focus asked for before the form shows is given when it becomes active.
    box(2)->SetFocus();
    form()->Show();
    Application->ProcessMessages();
    EXPECT_TRUE(box(2)->Focused());
    EXPECT_EQ(form()->ActiveControl(), box(2));
    SendMessageW(box(2)->Handle(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_TRUE(box(0)->Focused());
    SendMessageW(box(0)->Handle(), WM_KEYDOWN, VK_TAB, 0);
    SendMessageW(box(1)->Handle(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_TRUE(box(2)->Focused()); // round again
    platform::test::SetKeyState(VK_SHIFT, true);
    SendMessageW(box(2)->Handle(), WM_KEYDOWN, VK_TAB, 0);
    platform::test::SetKeyState(VK_SHIFT, false);
    EXPECT_TRUE(box(1)->Focused());
    EXPECT_EQ(entered, (std::vector<int>{2, 0, 1, 2, 1}));
}

TEST_F(FocusForm, TheCursorIsTheScreensWhileSetElseTheControlsAndNoneHidesIt)
{
    box(0)->SetCursor(crNone);
    box(1)->SetCursor(crHandPoint);
    form()->Show();
    const auto cursor_over = [](TControl* control) {
        HWND window = static_cast<TWinControl*>(control)->Handle();
        SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    EXPECT_EQ(cursor_over(box(0)), nullptr);
    EXPECT_EQ(cursor_over(box(1)), Screen->Cursors(crHandPoint));
    Screen->SetCursor(crHourGlass);
    EXPECT_EQ(cursor_over(box(0)), Screen->Cursors(crHourGlass));
    EXPECT_EQ(cursor_over(box(1)), Screen->Cursors(crHourGlass));
    Screen->SetCursor(crDefault);
    EXPECT_EQ(cursor_over(box(0)), nullptr);
}

TEST_F(FocusForm, DrawingOutsidePaintingReachesTheWindowAndTheDCGoesBackAfterTheMessage)
{
    form()->Show();
    Application->ProcessMessages();
    TFocusBox* target = box(0);
    bool had_dc = false;
    target->OnMouseMove = [&](TObject*, TShiftState, int x, int y) {
        TCanvas* canvas = target->Canvas();
        canvas->Brush()->SetColor(clRed);
        canvas->FillRect(Rect(x, y, x + 3, y + 3));
        had_dc = canvas->HandleAllocated();
    };
    SendMessageW(target->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    EXPECT_TRUE(had_dc);
    EXPECT_FALSE(target->Canvas()->HandleAllocated());
    const QImage surface = platform::test::WindowSurface(target->Handle());
    ASSERT_FALSE(surface.isNull());
    EXPECT_EQ(surface.pixel(21, 21) & 0xFFFFFF, 0xFF0000u);
}

}
