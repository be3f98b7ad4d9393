// Forms from creation to destruction: the order of their events, closing, embedding,
// window state, and the application's message loop.

#include "framework/forms.h"
#include "framework/stdctrls.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace fw;

namespace {

std::vector<std::string> g_events;

// A form that logs its events, as the viewer's main window handles them.
class TLoggingForm : public TForm {
public:
    explicit TLoggingForm(TComponent* owner) : TForm(owner)
    {
        OnCreate = [](TObject*) { g_events.push_back("create"); };
        OnShow = [](TObject*) { g_events.push_back("show"); };
        OnActivate = [](TObject*) { g_events.push_back("activate"); };
        OnHide = [](TObject*) { g_events.push_back("hide"); };
        OnDestroy = [this](TObject*) {
            // Still whole: its components are there and it knows it is going.
            g_events.push_back(ComponentState().Contains(csDestroying) ? "destroy (destroying)"
                                                                       : "destroy");
        };
        m_panel = new TPanel(this);
        m_panel->SetParent(this);
    }

private:
    TPanel* m_panel;
};

TEST(Forms, EventsComeInTheOrderCreateShowActivateAndDestroyBeforeTheDestructors)
{
    g_events.clear();
    auto* form = new TLoggingForm(Application);
    form->AfterConstruction();
    form->AfterConstruction(); // once only
    form->Show();
    Application->ProcessMessages();
    EXPECT_TRUE(form->Active());
    Free(form);
    EXPECT_EQ(g_events,
              (std::vector<std::string>{"create", "show", "activate", "destroy (destroying)"}));
    Application->ProcessMessages();
}

TEST(Forms, CloseHidesFreesOrKeepsAsOnCloseSays)
{
    const struct {
        const char* name;
        TCloseAction action;
        bool can_close;
        bool visible_after;
        bool freed_after;
    } kCases[] = {
        {"hide", caHide, true, false, false},
        {"free", caFree, true, false, true},
        {"none", caNone, true, true, false},
        {"refused", caHide, false, true, false},
    };
    for (const auto& row : kCases) {
        SCOPED_TRACE(row.name);
        auto* form = new TForm(Application);
        bool freed = false;
        form->OnDestroy = [&freed](TObject*) { freed = true; };
        form->OnClose = [&row](TObject*, TCloseAction& action) {
            EXPECT_EQ(action, caHide);
            action = row.action;
        };
        form->OnCloseQuery = [&row](TObject*, bool& can_close) { can_close = row.can_close; };
        form->Show();
        SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
        Application->ProcessMessages();
        EXPECT_EQ(freed, row.freed_after);
        if (!freed) {
            EXPECT_EQ(form->Visible(), row.visible_after);
            Free(form);
        }
    }
}

TEST(Forms, AFormEmbeddedInAPanelBecomesAChildWindowThatFillsIt)
{
    auto* main = new TForm(Application);
    main->SetBounds(0, 0, 400, 300);
    auto* host = new TPanel(main);
    host->SetParent(main);
    host->SetAlign(alClient);
    main->Show();
    // Made top-level first (its window made and hidden), then moved into the panel.
    auto* view = new TForm(main);
    view->SetBorderStyle(bsNone);
    HWND top_level = view->Handle();
    EXPECT_EQ(GetParent(top_level), nullptr);
    view->Hide();
    view->SetParent(host);
    view->SetAlign(alClient);
    view->Show();
    EXPECT_FALSE(IsWindow(top_level));
    EXPECT_EQ(GetParent(view->Handle()), host->Handle());
    // Inside the panel's raised bevel.
    EXPECT_EQ(view->BoundsRect(), Rect(1, 1, 399, 299));
    EXPECT_TRUE(view->Showing());
    Free(main);
    Application->ProcessMessages();
}

TEST(Forms, WindowStateFollowsThePlatformWindow)
{
    auto* form = new TForm(Application);
    form->SetBounds(10, 20, 500, 400);
    form->Show();
    form->SetWindowState(wsMaximized);
    EXPECT_EQ(form->WindowState(), wsMaximized);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ASSERT_TRUE(GetWindowPlacement(form->Handle(), &placement));
    EXPECT_EQ(placement.rcNormalPosition.left, 10);
    EXPECT_EQ(placement.rcNormalPosition.right - placement.rcNormalPosition.left, 500);
    form->SetWindowState(wsNormal);
    EXPECT_EQ(form->WindowState(), wsNormal);
    EXPECT_EQ(form->BoundsRect(), Rect(10, 20, 510, 420));
    Free(form);
    Application->ProcessMessages();
}

TEST(Forms, GetMinMaxInfoAnswersTheConstraints)
{
    auto* form = new TForm(Application);
    form->Constraints()->SetMinWidth(850);
    form->Constraints()->SetMinHeight(650);
    MINMAXINFO limits{};
    SendMessageW(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, 850);
    EXPECT_EQ(limits.ptMinTrackSize.y, 650);
    Free(form);
}

// Runs last among the application's tests: it ends the application's loop.
TEST(ApplicationLoop, RunShowsTheMainFormAndEndsWhenItCloses)
{
    TForm* main = nullptr;
    Application->CreateForm(main);
    ASSERT_EQ(Application->MainForm(), main);
    int activations = 0;
    main->OnActivate = [&](TObject*) {
        ++activations;
        PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
    };
    Application->Run();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(activations, 1);
    EXPECT_TRUE(main->Visible()); // the main form's close ends the loop; it stays
    Free(main);
    EXPECT_EQ(Application->MainForm(), nullptr);
}

}
