// The viewer's main window: the banner band at the top, the folder tree on the left, the
// drawing view in the middle and the film strip of the folder's drawings below it.
//
// Choosing a folder in the tree lists its drawings through the catalogue into the film
// strip and selects the first; selecting an item loads its drawing into the window's one
// drawing object, which the drawing view shows. The window keeps its placement and the
// last folder in a settings file, restores them once it has first been activated and
// then selects the drawing named on the command line.
#ifndef VISTREL_FORMS_MAIN_WINDOW_H
#define VISTREL_FORMS_MAIN_WINDOW_H

#include "framework/forms.h"
#include "listview/groups.h"
#include "listview/items.h"
#include "listview/listview.h"
#include "listview/selection.h"

#include <QtCore/QString>

namespace fw {
class TImage;
class TLabel;
class TPanel;
class TShellTreeView;
class TSplitter;
class TTreeNode;
}

namespace vistrel {

class TfrmComponentVector;
class Tqxp_VectorObject;

// The film strip's control.
namespace lv = listview;

// Posted on the first activation; its handler restores the window and opens the folder.
constexpr UINT WM_DEFERRED_START = WM_APP + 1500;

// The settings file's sub-folder in the application-data folder.
inline constexpr char kSettingsSubFolder[] = "Tarvek CAD Viewer";

class TfrmMain : public fw::TForm {
public:
    // Makes the components; OnCreate (FormCreate) runs from AfterConstruction.
    explicit TfrmMain(fw::TComponent* owner);
    ~TfrmMain() override;

    // The settings file: the program file's name with ".ini", in the viewer's folder
    // of the application-data folder.
    static QString SettingsFileName();

    // ---- Components
    fw::TPanel* Panel1 = nullptr;
    fw::TPanel* Panel20 = nullptr;
    fw::TLabel* Label4 = nullptr;
    fw::TPanel* Panel21 = nullptr;
    fw::TImage* Image1 = nullptr;
    fw::TPanel* Panel19 = nullptr;
    fw::TImage* Logo = nullptr;
    fw::TPanel* Files_Pullout = nullptr;
    fw::TShellTreeView* vectors_ShellTree = nullptr;
    fw::TSplitter* Splitter1 = nullptr;
    fw::TPanel* Panel2 = nullptr;
    fw::TPanel* VectorPanel = nullptr;
    lv::TLqListview* lvVectorThumbs = nullptr;

    // ---- State
    // The window state read from the settings (0 normal, 1 minimised, 2 maximised),
    // applied by the deferred start.
    int WinState = 0;
    // The embedded drawing view, made by FormShow; owned by the window.
    TfrmComponentVector* VectorChild = nullptr;
    // The drawing object of the drawing shown, for the window's whole life.
    Tqxp_VectorObject* VectorVO = nullptr;
    // The folder listed last.
    QString LastVectorDir;
    // The upper-cased path of the file whose load was tried last; '' while the strip is
    // empty.
    QString LastVectorPrev;

    // ---- Operations
    void FormCreate(fw::TObject* Sender);
    void FormShow(fw::TObject* Sender);
    void FormActivate(fw::TObject* Sender);
    void FormDestroy(fw::TObject* Sender);
    // Restores the window state, opens the last folder and selects the command-line file.
    void HandleDeferredStart(fw::TMessage& Message);
    // Keeps the window on the desktop.
    void FixFormSizePos();
    void vectors_ShellTreeChange(fw::TObject* Sender, fw::TTreeNode* Node);
    // Lists the tree's folder into the film strip and selects its first drawing.
    void vector_GetVectorList();
    void lvVectorThumbsItemSelectionChanged(fw::TObject* Sender, lv::TLqItem* Item);
    // Loads and shows the drawing of a selected item; unselected items are passed over.
    void vector_HandleSelectionChanged(lv::TLqItem* Item);
    // Moves the drawing's lower-left corner to the origin and shows it whole.
    void vector_Translate();
    // Empties the drawing view.
    void vector_ClearGrid();
    void lvVectorThumbsItemThumbnailDraw(fw::TObject* Sender, lv::TLqItem* Item,
                                         fw::TCanvas* ACanvas, const fw::TRect& ARect,
                                         lv::TLqAlphaBlender* AlphaBlender, bool& DoDefault);
    void Splitter1Moved(fw::TObject* Sender);
    void HandleExitSizeMove(fw::TMessage& Message);
    void HandleSysCommand(fw::TMessage& Message);
    void Image1Click(fw::TObject* Sender);
    // The deferred start's last step for the command line's first argument: when it
    // names an existing file, its folder is listed and the file's item selected.
    void OpenCommandLineFile(const QString& Arg);

    void Dispatch(fw::TMessage& message) override;

private:
    fw::TPanel* make_panel(fw::TWinControl* parent, fw::TAlign align, int width, int height);
    void write_settings();
};

// The maker's web address that the banner opens.
QString MakerWebAddress();

}

#endif
