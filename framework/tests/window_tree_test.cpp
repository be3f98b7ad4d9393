// The viewer's main window tree laid out by the Align layout, with and without
// windows, and the splitter that resizes the folder panel.

#include "framework/forms.h"
#include "framework/shellctrls.h"
#include "framework/stdctrls.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

#include <string>

using namespace fw;

namespace fw {
// Rectangles in failure messages; found by argument-dependent lookup.
void PrintTo(const TRect& rect, std::ostream* out);
void PrintTo(const TRect& rect, std::ostream* out)
{
    *out << "(" << rect.Left << "," << rect.Top << ")-(" << rect.Right << "," << rect.Bottom << ")";
}
}

namespace {

// The main window of the viewer as its form builds it: the banner band, the folder
// panel with its tree, the splitter and the drawing area with the film strip and the
// embedded view form.
struct ViewerWindow {
    TForm* form = nullptr;
    TPanel* panel1 = nullptr;
    TPanel* panel20 = nullptr;
    TLabel* label4 = nullptr;
    TPanel* panel21 = nullptr;
    TImage* image1 = nullptr;
    TPanel* panel19 = nullptr;
    TImage* logo = nullptr;
    TPanel* files_pullout = nullptr;
    TShellTreeView* shell_tree = nullptr;
    TSplitter* splitter1 = nullptr;
    TPanel* panel2 = nullptr;
    TPanel* thumbs = nullptr;
    TPanel* vector_panel = nullptr;
    TForm* view_form = nullptr;
    TCustomControl* vector_box = nullptr;
    int moved = 0;

    ViewerWindow()
    {
        form = new TForm(Application);
        form->AfterConstruction();
        form->SetColor(0xD7C1B5);
        form->Constraints()->SetMinWidth(850);
        form->Constraints()->SetMinHeight(650);
        form->Font()->SetName(QStringLiteral("Calibri"));
        form->Font()->SetHeight(-13);
        form->SetClientWidth(900);
        form->SetClientHeight(700);

        panel1 = panel(form, alTop, 0, 42);
        panel20 = panel(panel1, alLeft, 226, 0);
        label4 = new TLabel(form);
        label4->SetParent(panel20);
        label4->SetAlign(alClient);
        label4->SetAlignWithMargins(true);
        label4->SetLayout(tlCenter);
        label4->SetWordWrap(true);
        label4->SetCaption(QStringLiteral("  TARVEK CAD Viewer\r  Notice"));
        panel21 = panel(panel1, alClient, 0, 0);
        image1 = new TImage(form);
        image1->SetParent(panel21);
        image1->SetAlign(alClient);
        image1->SetCenter(true);
        image1->SetCursor(crHandPoint);
        panel19 = panel(panel1, alRight, 207, 0);
        logo = new TImage(form);
        logo->SetParent(panel19);
        logo->SetAlign(alRight);

        files_pullout = panel(form, alLeft, 310, 0);
        files_pullout->Constraints()->SetMinWidth(250);
        files_pullout->Constraints()->SetMaxWidth(400);
        files_pullout->SetColor(clWhite);
        files_pullout->SetTag(9999);
        shell_tree = new TShellTreeView(form);
        shell_tree->SetParent(files_pullout);
        shell_tree->SetAlign(alClient);
        shell_tree->SetAlignWithMargins(true);
        shell_tree->SetBorderStyle(bsNone);

        splitter1 = new TSplitter(form);
        splitter1->SetParent(form);
        splitter1->SetMinSize(150);
        splitter1->SetColor(0x71B8FF);
        splitter1->OnMoved = [this](TObject*) { ++moved; };

        panel2 = panel(form, alClient, 0, 0);
        panel2->Constraints()->SetMinWidth(400);
        thumbs = panel(panel2, alBottom, 0, 150);
        vector_panel = panel(panel2, alClient, 0, 0);
        vector_panel->SetColor(clBlack);

        view_form = new TForm(form);
        view_form->AfterConstruction();
        view_form->SetBorderStyle(bsNone);
        view_form->SetParent(vector_panel);
        view_form->SetAlign(alClient);
        vector_box = new TCustomControl(view_form);
        vector_box->SetParent(view_form);
        vector_box->SetAlign(alClient);
        vector_box->SetCursor(crNone);
        vector_box->SetTabOrder(0);
        view_form->Show();
    }
    ~ViewerWindow() { Free(form); }
    ViewerWindow(const ViewerWindow&) = delete;
    ViewerWindow& operator=(const ViewerWindow&) = delete;

    TPanel* panel(TWinControl* parent, TAlign align, int width, int height)
    {
        auto* made = new TPanel(form);
        made->SetBevelOuter(bvNone);
        made->SetParent(parent);
        if (width > 0)
            made->SetWidth(width);
        if (height > 0)
            made->SetHeight(height);
        made->SetAlign(align);
        return made;
    }
};

void expect_viewer_layout(ViewerWindow& window)
{
    const struct {
        const char* name;
        const TControl* control;
        TRect bounds;
    } places[] = {
        {"Panel1", window.panel1, Rect(0, 0, 900, 42)},
        {"Panel20", window.panel20, Rect(0, 0, 226, 42)},
        {"Label4", window.label4, Rect(3, 3, 223, 39)},
        {"Panel21", window.panel21, Rect(226, 0, 693, 42)},
        {"Image1", window.image1, Rect(0, 0, 467, 42)},
        {"Panel19", window.panel19, Rect(693, 0, 900, 42)},
        {"Files_Pullout", window.files_pullout, Rect(0, 42, 310, 700)},
        {"vectors_ShellTree", window.shell_tree, Rect(3, 3, 307, 655)},
        {"Splitter1", window.splitter1, Rect(310, 42, 313, 700)},
        {"Panel2", window.panel2, Rect(313, 42, 900, 700)},
        {"lvVectorThumbs", window.thumbs, Rect(0, 508, 587, 658)},
        {"VectorPanel", window.vector_panel, Rect(0, 0, 587, 508)},
        {"frmComponentVector", window.view_form, Rect(0, 0, 587, 508)},
        {"VectorBox", window.vector_box, Rect(0, 0, 587, 508)},
    };
    for (const auto& place : places) {
        SCOPED_TRACE(place.name);
        EXPECT_EQ(place.control->BoundsRect(), place.bounds);
    }
    EXPECT_EQ(window.form->ClientWidth(), 900);
    EXPECT_EQ(window.form->ClientHeight(), 700);
}

// A drag of the splitter's bar by `distance` pixels to the right, as the mouse
// sends it to the bar's window.
void drag_splitter(TSplitter* splitter, int distance)
{
    HWND bar = splitter->Handle();
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 10));
    SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1 + distance, 10));
    SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(1, 10));
}

TEST(WindowTree, AlignLayoutPlacesTheViewerTreeWithoutWindows)
{
    ViewerWindow window;
    EXPECT_FALSE(window.form->HandleAllocated());
    expect_viewer_layout(window);
}

TEST(WindowTree, AlignLayoutPlacesTheViewerTreeInShownWindows)
{
    ViewerWindow window;
    window.form->Show();
    Application->ProcessMessages();
    ASSERT_TRUE(window.form->HandleAllocated());
    ASSERT_TRUE(window.vector_box->HandleAllocated());
    expect_viewer_layout(window);
    // The platform's windows agree with the controls.
    RECT client{};
    GetClientRect(window.panel2->Handle(), &client);
    EXPECT_EQ(client.right, 587);
    EXPECT_EQ(client.bottom, 658);
    POINT corner{0, 0};
    MapWindowPoints(window.vector_box->Handle(), window.form->Handle(), &corner, 1);
    EXPECT_EQ(corner.x, 313);
    EXPECT_EQ(corner.y, 42);
}

TEST(WindowTree, ResizingTheFormRunsTheLayoutAgain)
{
    ViewerWindow window;
    window.form->Show();
    window.form->SetBounds(0, 0, 1000, 800);
    EXPECT_EQ(window.panel2->BoundsRect(), Rect(313, 42, 1000, 800));
    EXPECT_EQ(window.thumbs->BoundsRect(), Rect(0, 608, 687, 758));
    EXPECT_EQ(window.panel19->BoundsRect(), Rect(793, 0, 1000, 42));
    // The constraints hold the form at its least size.
    window.form->SetBounds(0, 0, 100, 100);
    EXPECT_EQ(window.form->Width(), 850);
    EXPECT_EQ(window.form->Height(), 650);
    EXPECT_EQ(window.panel2->Width(), 850 - 313);
}

TEST(WindowTree, SplitterDragsStayWithinTheFolderPanelsLimits)
{
    ViewerWindow window;
    window.form->Show();
    const struct {
        int distance;
        int pullout_width;
    } kDrags[] = {
        {+200, 400}, // the panel's maximum, though Panel2 would allow 497
        {-200, 250}, // the panel's minimum (above the splitter's 150)
        {+60, 310},
        {+0, 310},
    };
    int expected_moves = 0;
    for (const auto& drag : kDrags) {
        SCOPED_TRACE(drag.distance);
        drag_splitter(window.splitter1, drag.distance);
        ++expected_moves;
        EXPECT_EQ(window.files_pullout->Width(), drag.pullout_width);
        EXPECT_EQ(window.splitter1->Left(), drag.pullout_width);
        EXPECT_EQ(window.panel2->Left(), drag.pullout_width + 3);
        EXPECT_EQ(window.panel2->Width(), 900 - drag.pullout_width - 3);
        EXPECT_EQ(window.moved, expected_moves); // once per drag, on release
    }
}

TEST(WindowTree, SplitterNeverSqueezesTheFillingPanelBelowItsLeast)
{
    ViewerWindow window;
    window.files_pullout->Constraints()->SetMaxWidth(0);
    window.form->Show();
    drag_splitter(window.splitter1, 400);
    // 900 - 3 - 400: Panel2 keeps its 400 pixels.
    EXPECT_EQ(window.files_pullout->Width(), 497);
    EXPECT_EQ(window.panel2->Width(), 400);
}

TEST(Layout, SameSideControlsKeepTheirOrderAndMarginsAndConstraintsHold)
{
    TForm* form = new TForm(Application);
    form->SetBounds(0, 0, 300, 200);
    auto make = [form](TAlign align, int size) {
        auto* panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetWidth(size);
        panel->SetHeight(size);
        panel->SetAlign(align);
        return panel;
    };
    TPanel* top_a = make(alTop, 20);
    TPanel* top_b = make(alTop, 30);
    TPanel* bottom = make(alBottom, 10);
    TPanel* right = make(alRight, 50);
    TPanel* client = make(alClient, 5);
    client->SetAlignWithMargins(true);
    client->Margins()->SetBounds(1, 2, 3, 4);
    EXPECT_EQ(top_a->BoundsRect(), Rect(0, 0, 300, 20));
    EXPECT_EQ(top_b->BoundsRect(), Rect(0, 20, 300, 50));
    EXPECT_EQ(bottom->BoundsRect(), Rect(0, 190, 300, 200));
    EXPECT_EQ(right->BoundsRect(), Rect(250, 50, 300, 190));
    EXPECT_EQ(client->BoundsRect(), Rect(1, 52, 247, 186));
    // A control moved above another of its side goes first from then on.
    top_b->SetTop(-1);
    EXPECT_EQ(top_b->BoundsRect(), Rect(0, 0, 300, 30));
    EXPECT_EQ(top_a->BoundsRect(), Rect(0, 30, 300, 50));
    // A hidden control gives its room back.
    top_b->Hide();
    EXPECT_EQ(top_a->BoundsRect(), Rect(0, 0, 300, 20));
    // A maximum width leaves the rest of the room empty.
    client->Constraints()->SetMaxWidth(100);
    EXPECT_EQ(client->Width(), 100);
    // A right-anchored control keeps its distance to the parent's right edge.
    auto* anchored = new TPanel(form);
    anchored->SetParent(form);
    anchored->SetBounds(260, 5, 30, 10);
    anchored->SetAnchors({akRight, akTop});
    form->SetWidth(400);
    EXPECT_EQ(anchored->BoundsRect(), Rect(360, 5, 390, 15));
    Free(form);
}

}
