// Messages through the framework's window procedure: exceptions in handlers, the
// wheel's road, context menus, subclassing, controls and timers that go while their
// messages wait, and owners that free their components.

#include "framework/forms.h"
#include "framework/menus.h"
#include "framework/stdctrls.h"
#include "platform/qt.h"
#include "qstring_printer.h"

#include <QtWidgets/QApplication>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace fw;

namespace {

// A shown top-level form with one panel filling it; freed at the end of the test.
class ShownForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Timers run on the test clock from the start: on a busy machine real time could
        // pass a hint's pause between a test's mouse move and its first clock step.
        platform::test::AdvanceClock(0);
        m_form = new TForm(Application);
        m_form->AfterConstruction();
        m_form->SetBounds(40, 30, 300, 200);
        m_panel = new TPanel(m_form);
        m_panel->SetParent(m_form);
        m_panel->SetAlign(alClient);
        m_form->Show();
        Application->ProcessMessages();
    }
    void TearDown() override
    {
        Free(m_form);
        Application->ProcessMessages();
        Application->OnException = nullptr;
    }

    TForm* form() const { return m_form; }
    TPanel* panel() const { return m_panel; }

private:
    TForm* m_form = nullptr;
    TPanel* m_panel = nullptr;
};

LPARAM screen_point(const TControl* control, int x, int y)
{
    const TPoint point = control->ClientToScreen(TPoint{x, y});
    return MAKELPARAM(point.X, point.Y);
}

TEST_F(ShownForm, AnExceptionInOnClickReachesHandleExceptionAndTheLoopGoesOn)
{
    Application->SetTitle(QStringLiteral("Tarvek CAD Viewer"));
    panel()->OnClick = [](TObject*) { throw Exception(QStringLiteral("The drawing went away")); };
    int later = 0;
    const TWndMethod inherited = panel()->WindowProc;
    panel()->WindowProc = [&](TMessage& message) {
        if (message.Msg == WM_APP + 7)
            ++later;
        inherited(message);
    };
    HWND window = panel()->Handle();
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PostMessageW(window, WM_APP + 7, 0, 0);
    ::testing::internal::CaptureStderr();
    Application->ProcessMessages();
    const std::string reported = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(reported.find("Tarvek CAD Viewer"), std::string::npos) << reported;
    EXPECT_NE(reported.find("The drawing went away"), std::string::npos) << reported;
    EXPECT_EQ(later, 1);
    EXPECT_FALSE(Application->Terminated());
    panel()->WindowProc = inherited;
}

TEST_F(ShownForm, OnExceptionGetsTheErrorsOfEveryKindInsteadOfTheBox)
{
    std::vector<std::string> seen;
    Application->OnException = [&](TObject*, const Exception& error) {
        seen.push_back(error.Message().toStdString());
    };
    const std::vector<std::function<void()>> throwers = {
        [] { throw EConvertError(QStringLiteral("not a number")); },
        [] { throw std::runtime_error("standard"); },
        [] { throw EAbort(QStringLiteral("silent")); },
    };
    for (const auto& thrower : throwers) {
        panel()->OnClick = [&thrower](TObject*) { thrower(); };
        SendMessageW(panel()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageW(panel()->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"not a number", "standard"}));
}

// A control that keeps the wheel turns that reach its DoMouseWheel.
class TWheelBox : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<int> deltas;

    bool DoMouseWheel(TShiftState shift, int wheel_delta, TPoint mouse_pos) override
    {
        deltas.push_back(wheel_delta);
        return TCustomControl::DoMouseWheel(shift, wheel_delta, mouse_pos);
    }
};

TEST_F(ShownForm, TheWheelGoesToTheFormFirstThenToTheControl)
{
    auto* box = new TWheelBox(form());
    box->SetParent(panel());
    box->SetBounds(10, 10, 100, 80);
    const struct {
        const char* name;
        bool form_handles;
        int delta;
        int form_calls;
        std::vector<int> box_deltas;
    } kCases[] = {
        {"handled by the form", true, -120, 1, {}},
        {"not handled", false, -120, 1, {-120}},
        {"a turn up, not handled", false, 240, 0, {240}},
    };
    for (const auto& row : kCases) {
        SCOPED_TRACE(row.name);
        int form_calls = 0;
        form()->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& handled) {
            ++form_calls;
            handled = row.form_handles;
        };
        box->deltas.clear();
        const LRESULT result =
            SendMessageW(box->Handle(), WM_MOUSEWHEEL,
                         MAKEWPARAM(0, static_cast<WORD>(static_cast<int16_t>(row.delta))),
                         screen_point(box, 5, 5));
        EXPECT_EQ(form_calls, row.form_calls);
        EXPECT_EQ(box->deltas, row.box_deltas);
        EXPECT_EQ(result, row.form_handles ? 1 : 0);
    }
}

TEST_F(ShownForm, AFormEmbeddedInAnotherLeavesTheWheelToTheTopLevelForm)
{
    auto* inner = new TForm(form());
    inner->AfterConstruction();
    inner->SetBorderStyle(bsNone);
    inner->SetParent(panel());
    inner->SetAlign(alClient);
    inner->Show();
    auto* box = new TWheelBox(inner);
    box->SetParent(inner);
    box->SetBounds(10, 10, 100, 80);
    std::vector<std::string> asked;
    inner->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& handled) {
        asked.push_back("inner");
        handled = true;
    };
    form()->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& handled) {
        asked.push_back("top");
        handled = true;
    };
    const LRESULT result =
        SendMessageW(box->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(int16_t{-120})),
                     screen_point(box, 5, 5));
    EXPECT_EQ(asked, (std::vector<std::string>{"top"}));
    EXPECT_TRUE(box->deltas.empty());
    EXPECT_EQ(result, 1);
}

TEST_F(ShownForm, TheChosenItemRunsAfterTheMenuClosedAndAChildWithoutMenuPopsTheFormsMenu)
{
    auto* menu = new TPopupMenu(form());
    menu->SetAutoHotkeys(maManual);
    std::vector<std::string> log;
    for (const char* caption : {"-", "Zoom previous", "Full view", "-", "Cancel"}) {
        auto* item = new TMenuItem(form());
        item->SetCaption(QString::fromUtf8(caption));
        item->OnClick = [&log, caption](TObject*) {
            log.push_back(std::string(caption) +
                          (QApplication::activePopupWidget() == nullptr ? " (closed)" : " (open)"));
        };
        menu->Items()->Add(item);
    }
    menu->OnPopup = [&](TObject*) { log.push_back("popup"); };
    form()->SetPopupMenu(menu);
    auto* child = new TPanel(form());
    child->SetParent(panel());
    child->SetBounds(10, 10, 50, 50);

    const struct {
        const char* name;
        UINT msg;
    } kRoads[] = {{"WM_CONTEXTMENU", WM_CONTEXTMENU}, {"right button released", WM_RBUTTONUP}};
    for (const auto& road : kRoads) {
        SCOPED_TRACE(road.name);
        log.clear();
        platform::test::ChooseMenuItem(2);
        if (road.msg == WM_CONTEXTMENU)
            SendMessageW(child->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(child->Handle()),
                         screen_point(child, 5, 5));
        else
            SendMessageW(child->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
        EXPECT_EQ(log, (std::vector<std::string>{"popup", "Full view (closed)"}));
        EXPECT_EQ(menu->PopupComponent(), form());
    }
    // A separator or no choice runs nothing.
    for (const int choice : {0, -1}) {
        log.clear();
        platform::test::ChooseMenuItem(choice);
        menu->Popup(0, 0);
        EXPECT_EQ(log, (std::vector<std::string>{"popup"}));
    }
}

// Counts the messages a control's handlers saw.
struct Seen {
    int mouse_downs = 0;
};

TEST_F(ShownForm, AControlFreedWhileItsMessagesWaitNeverGetsThem)
{
    Seen seen;
    auto* doomed = new TPanel(form());
    doomed->SetParent(panel());
    doomed->SetBounds(0, 0, 40, 40);
    doomed->OnMouseDown = [&seen](TObject*, TMouseButton, TShiftState, int, int) {
        ++seen.mouse_downs;
    };
    HWND window = doomed->Handle();
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    Free(doomed);
    Application->ProcessMessages();
    EXPECT_EQ(seen.mouse_downs, 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(ShownForm, AFormReleasedInItsOwnHandlerGoesAfterTheWaitingMessages)
{
    auto* dialog = new TForm(nullptr);
    dialog->AfterConstruction();
    int destroyed = 0;
    int clicks = 0;
    dialog->OnDestroy = [&destroyed](TObject*) { ++destroyed; };
    dialog->OnClick = [&](TObject*) {
        ++clicks;
        dialog->Release();
    };
    dialog->Show();
    HWND window = dialog->Handle();
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    Application->ProcessMessages();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(destroyed, 1);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(ShownForm, ReplacedWindowProcAndInheritedDispatchBothSeeMessages)
{
    // A panel that handles one message by number and leaves the rest to its base.
    class TNumbered : public TPanel {
    public:
        using TPanel::TPanel;
        std::vector<UINT> handled;
        void Dispatch(TMessage& message) override
        {
            if (message.Msg == WM_APP + 1) {
                handled.push_back(message.Msg);
                message.Result = 42;
                return;
            }
            TPanel::Dispatch(message);
        }
    };
    auto* numbered = new TNumbered(form());
    numbered->SetParent(panel());
    std::vector<UINT> swapped;
    const TWndMethod saved = numbered->WindowProc;
    numbered->WindowProc = [&](TMessage& message) {
        swapped.push_back(message.Msg);
        saved(message);
    };
    EXPECT_EQ(SendMessageW(numbered->Handle(), WM_APP + 1, 0, 0), 42);
    EXPECT_EQ(numbered->Perform(WM_APP + 1, 0, 0), 42);
    // Unhandled messages reach the platform's default procedure.
    EXPECT_EQ(SendMessageW(numbered->Handle(), WM_APP + 2, 0, 0), 0);
    EXPECT_EQ(numbered->handled, (std::vector<UINT>{WM_APP + 1, WM_APP + 1}));
    EXPECT_EQ(std::count(swapped.begin(), swapped.end(), WM_APP + 2), 1);
    numbered->WindowProc = saved;
}

TEST(Timer, FiresOnTheTestClockAndNotAfterItIsDisabled)
{
    Application->ProcessMessages();
    TTimer timer(nullptr);
    int fired = 0;
    timer.OnTimer = [&fired](TObject*) { ++fired; };
    timer.SetInterval(50);
    platform::test::AdvanceClock(49);
    Application->ProcessMessages();
    EXPECT_EQ(fired, 0);
    platform::test::AdvanceClock(1);
    Application->ProcessMessages();
    EXPECT_EQ(fired, 1);
    // Due, then disabled before the loop looks: it does not come.
    platform::test::AdvanceClock(50);
    timer.SetEnabled(false);
    Application->ProcessMessages();
    platform::test::AdvanceClock(200);
    Application->ProcessMessages();
    EXPECT_EQ(fired, 1);
    timer.SetEnabled(true);
    platform::test::AdvanceClock(50);
    Application->ProcessMessages();
    EXPECT_EQ(fired, 2);
}

TEST(Timer, ATimerFreedWithItsMessageDueNeverFires)
{
    int fired = 0;
    auto* timer = new TTimer(nullptr);
    timer->SetInterval(20);
    timer->OnTimer = [&fired](TObject*) { ++fired; };
    platform::test::AdvanceClock(20);
    Free(timer);
    Application->ProcessMessages();
    EXPECT_EQ(fired, 0);
}

TEST(Timer, AnExceptionInOnTimerIsReportedAndTheTimerGoesOn)
{
    TTimer timer(nullptr);
    timer.SetInterval(30);
    int fired = 0;
    timer.OnTimer = [&fired](TObject*) {
        ++fired;
        throw Exception(QStringLiteral("tick failed"));
    };
    std::vector<std::string> seen;
    Application->OnException = [&](TObject*, const Exception& error) {
        seen.push_back(error.Message().toStdString());
    };
    for (int i = 0; i < 2; ++i) {
        platform::test::AdvanceClock(30);
        Application->ProcessMessages();
    }
    Application->OnException = nullptr;
    EXPECT_EQ(fired, 2);
    EXPECT_EQ(seen.size(), 2u);
}

// A panel and a label that log their end.
std::vector<std::string> g_ends;

class TLoggedPanel : public TPanel {
public:
    TLoggedPanel(TComponent* owner, std::string name) : TPanel(owner), m_name(std::move(name)) {}
    ~TLoggedPanel() override { g_ends.push_back(m_name); }

private:
    std::string m_name;
};

class TLoggedLabel : public TLabel {
public:
    TLoggedLabel(TComponent* owner, std::string name) : TLabel(owner), m_name(std::move(name)) {}
    ~TLoggedLabel() override { g_ends.push_back(m_name); }

private:
    std::string m_name;
};

TEST(Ownership, AnOwnerFreesEachComponentOnceWhateverItsParentsAndOrder)
{
    for (const bool shown : {false, true}) {
        SCOPED_TRACE(shown);
        g_ends.clear();
        auto* form = new TForm(Application);
        // Children made before their parents: freeing in reverse order frees the
        // parent first, which only lets its children go.
        auto* early_label = new TLoggedLabel(form, "early label");
        auto* early_panel = new TLoggedPanel(form, "early panel");
        auto* outer = new TLoggedPanel(form, "outer");
        outer->SetParent(form);
        early_panel->SetParent(outer);
        early_label->SetParent(early_panel);
        auto* late = new TLoggedPanel(form, "late");
        late->SetParent(early_panel);
        auto* menu = new TPopupMenu(form);
        auto* item = new TMenuItem(form);
        menu->Items()->Add(item);
        auto* unowned_item = new TMenuItem(nullptr);
        menu->Items()->Add(unowned_item);
        form->SetPopupMenu(menu);
        if (shown)
            form->Show();
        Free(form);
        EXPECT_EQ(g_ends,
                  (std::vector<std::string>{"late", "outer", "early panel", "early label"}));
    }
    Application->ProcessMessages();
}

TEST(Ownership, FreeingAChildTakesItOutOfItsParentAndLayout)
{
    auto* form = new TForm(Application);
    form->SetBounds(0, 0, 200, 100);
    auto* left = new TPanel(form);
    left->SetParent(form);
    left->SetWidth(50);
    left->SetAlign(alLeft);
    auto* rest = new TPanel(form);
    rest->SetParent(form);
    rest->SetAlign(alClient);
    EXPECT_EQ(rest->Left(), 50);
    Free(left);
    EXPECT_EQ(form->ControlCount(), 1);
    EXPECT_EQ(rest->BoundsRect(), Rect(0, 0, 200, 100));
    Free(form);
}

}

namespace {

TEST_F(ShownForm, AHintComesAfterThePauseWithWhatCmHintShowMadeOfIt)
{
    class THinted : public TPanel {
    public:
        using TPanel::TPanel;
        void Dispatch(TMessage& message) override
        {
            if (message.Msg == CM_HINTSHOW) {
                auto* info = reinterpret_cast<THintInfo*>(message.LParam);
                info->HintStr += QStringLiteral(" (100 %)");
                info->HideTimeout = 1000;
                return;
            }
            TPanel::Dispatch(message);
        }
    };
    auto* hinted = new THinted(form());
    hinted->SetParent(panel());
    hinted->SetBounds(0, 0, 80, 40);
    hinted->SetHint(QStringLiteral("Zoom"));
    hinted->SetShowHint(true);
    Application->SetHintPause(500);
    SendMessageW(hinted->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    platform::test::AdvanceClock(499);
    Application->ProcessMessages();
    EXPECT_EQ(Application->HintWindow(), nullptr);
    platform::test::AdvanceClock(1);
    Application->ProcessMessages();
    ASSERT_NE(Application->HintWindow(), nullptr);
    EXPECT_EQ(Application->HintWindow()->Caption(), QStringLiteral("Zoom (100 %)"));
    EXPECT_TRUE(IsWindowVisible(Application->HintWindow()->Handle()));
    // The control's hide timeout takes it away.
    platform::test::AdvanceClock(1000);
    Application->ProcessMessages();
    EXPECT_EQ(Application->HintWindow(), nullptr);

    // A click takes a shown hint away at once; a control that goes takes its hint.
    Application->CancelHint();
    SendMessageW(hinted->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
    platform::test::AdvanceClock(500);
    Application->ProcessMessages();
    ASSERT_NE(Application->HintWindow(), nullptr);
    PostMessageW(hinted->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 6));
    Application->ProcessMessages();
    EXPECT_EQ(Application->HintWindow(), nullptr);
    SendMessageW(hinted->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(7, 7));
    Free(hinted);
    platform::test::AdvanceClock(500);
    Application->ProcessMessages();
    EXPECT_EQ(Application->HintWindow(), nullptr);
}

}
