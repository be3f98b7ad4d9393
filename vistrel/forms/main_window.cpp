#include "forms/main_window.h"

#include "forms/artwork.h"
#include "forms/drawing_view.h"
#include "units/shell_utils.h"
#include "units/string_utils.h"
#include "units/units_display_manager.h"
#include "units/vector_catalogue.h"
#include "units/vector_object.h"

#include "listview/cell_sizes.h"
#include "listview/managers.h"
#include "listview/paint_info.h"
#include "listview/scrollbars.h"

#include "framework/inifiles.h"
#include "framework/shellctrls.h"
#include "framework/stdctrls.h"
#include "framework/sysutils.h"
#include "platform/user_paint.h"

#include <QtCore/QFileInfo>

using namespace fw;

namespace vistrel {

namespace {

constexpr TColor kBandColour = 0xD7C1B5;
constexpr TColor kSplitterColour = 0x71B8FF;

const QString kDisplaySection = QStringLiteral("Display Management");
const QString kDirsSection = QStringLiteral("Dirs");
const QString kVectorsSection = QStringLiteral("Vectors");

// The screen shows the hourglass while the guard lives.
class HourGlass {
public:
    HourGlass() { set(crHourGlass); }
    ~HourGlass() { set(crDefault); }
    HourGlass(const HourGlass&) = delete;
    HourGlass& operator=(const HourGlass&) = delete;

private:
    static void set(TCursor cursor)
    {
        if (Screen != nullptr)
            Screen->SetCursor(cursor);
    }
};

// A picture from the PNG bytes built into the program.
void load_picture(TImage* image, std::span<const unsigned char> png)
{
    TMemoryStream stream;
    stream.Write(png.data(), static_cast<int32_t>(png.size()));
    stream.Seek(0, soBeginning);
    TPngImage picture;
    picture.LoadFromStream(&stream);
    image->Picture()->SetGraphic(&picture);
}

// The caption of a catalogue entry's item: the part and its revision in parentheses, or
// the part alone (for files other than part files, the file's whole name).
QString item_caption(const catalogue::TVectorFile& entry)
{
    if (entry.Revision.isEmpty())
        return entry.Component;
    return entry.Component + QLatin1Char('(') + entry.Revision + QLatin1Char(')');
}

}

QString MakerWebAddress()
{
    return QStringLiteral("https://www.tarvek.example/");
}

TfrmMain::TfrmMain(TComponent* owner) : TForm(owner)
{
    SetColor(kBandColour);
    Constraints()->SetMinWidth(850);
    Constraints()->SetMinHeight(650);
    Font()->SetName(QStringLiteral("Calibri"));
    Font()->SetHeight(-13);
    SetClientWidth(1060);
    SetClientHeight(633);

    Panel1 = make_panel(this, alTop, 0, 42);
    Panel1->SetColor(kBandColour);
    Panel20 = make_panel(Panel1, alLeft, 226, 0);
    Panel20->SetParentColor(true);
    Label4 = new TLabel(this);
    Label4->SetParent(Panel20);
    Label4->SetAlign(alClient);
    Label4->SetAlignWithMargins(true);
    Label4->SetLayout(tlCenter);
    Label4->SetWordWrap(true);
    Label4->Font()->SetName(QStringLiteral("Calibri"));
    Label4->Font()->SetHeight(-13);
    Panel21 = make_panel(Panel1, alClient, 0, 0);
    Panel21->SetParentColor(true);
    Image1 = new TImage(this);
    Image1->SetParent(Panel21);
    Image1->SetAlign(alClient);
    Image1->SetCenter(true);
    Image1->SetCursor(crHandPoint);
    Image1->OnClick = [this](TObject* sender) { Image1Click(sender); };
    load_picture(Image1, artwork::BannerPng());
    Panel19 = make_panel(Panel1, alRight, 207, 0);
    Panel19->SetParentColor(true);
    Logo = new TImage(this);
    Logo->SetParent(Panel19);
    Logo->SetAutoSize(true);
    Logo->SetAlign(alRight);
    Logo->SetCenter(true);
    load_picture(Logo, artwork::LogoPng());

    Files_Pullout = make_panel(this, alLeft, 310, 0);
    Files_Pullout->Constraints()->SetMinWidth(250);
    Files_Pullout->Constraints()->SetMaxWidth(400);
    Files_Pullout->SetColor(clWhite);
    Files_Pullout->SetTag(9999);
    vectors_ShellTree = new TShellTreeView(this);
    vectors_ShellTree->SetObjectTypes({otFolders});
    vectors_ShellTree->SetRoot(QStringLiteral("rfDesktop"));
    vectors_ShellTree->SetUseShellImages(true);
    vectors_ShellTree->SetAutoRefresh(false);
    vectors_ShellTree->SetBorderStyle(bsNone);
    vectors_ShellTree->SetHideSelection(false);
    vectors_ShellTree->SetRightClickSelect(true);
    vectors_ShellTree->SetShowRoot(false);
    vectors_ShellTree->SetIndent(19);
    vectors_ShellTree->SetParent(Files_Pullout);
    vectors_ShellTree->SetAlign(alClient);
    vectors_ShellTree->SetAlignWithMargins(true);
    vectors_ShellTree->OnChange = [this](TObject* sender, TTreeNode* node) {
        vectors_ShellTreeChange(sender, node);
    };

    Splitter1 = new TSplitter(this);
    Splitter1->SetParent(this);
    Splitter1->SetMinSize(150);
    Splitter1->SetColor(kSplitterColour);
    Splitter1->OnMoved = [this](TObject* sender) { Splitter1Moved(sender); };

    Panel2 = make_panel(this, alClient, 0, 0);
    Panel2->Constraints()->SetMinWidth(400);
    lvVectorThumbs = new lv::TLqListview(this);
    lvVectorThumbs->SetParent(Panel2);
    lvVectorThumbs->SetHeight(150);
    lvVectorThumbs->SetAlign(alBottom);
    lvVectorThumbs->SetView(lv::elsFilmStrip);
    lv::TLqCellSizes* cells = lvVectorThumbs->CellSizes();
    cells->FilmStrip()->SetSize(80, 108);
    cells->Icon()->SetSize(78, 78);
    cells->SmallIcon()->SetSize(209, 18);
    cells->Grid()->SetSize(78, 18);
    cells->Thumbnail()->SetSize(130, 149);
    cells->Tile()->SetSize(227, 61);
    cells->List()->SetSize(209, 18);
    cells->Report()->SetSize(78, 18);
    lvVectorThumbs->Selection()->SetMultiSelect(true);
    lvVectorThumbs->Selection()->SetAlphaBlend(true);
    lvVectorThumbs->Selection()->SetAlphaBlendSelRect(true);
    lvVectorThumbs->Scrollbars()->SetVertEnabled(false);
    lvVectorThumbs->SetWheelMouseDefaultScroll(lv::edwsHorz);
    lvVectorThumbs->SetShowThemedBorder(false);
    lvVectorThumbs->SetBorderStyle(bsNone);
    lvVectorThumbs->SetBevelInner(bvNone);
    lvVectorThumbs->SetBevelOuter(bvNone);
    for (TFont* font : {lvVectorThumbs->Font(), lvVectorThumbs->GroupFont(),
                        lvVectorThumbs->Header()->Font(), lvVectorThumbs->EditManager()->Font()}) {
        font->SetName(QStringLiteral("MS Shell Dlg 2"));
        font->SetHeight(-11);
    }
    lvVectorThumbs->GetPaintInfoGroup()->MarginBottom()->SetCaptionIndent(4);
    lvVectorThumbs->SetParentColor(true);
    lvVectorThumbs->OnItemSelectionChanged = [this](TObject* sender, lv::TLqItem* item) {
        lvVectorThumbsItemSelectionChanged(sender, item);
    };
    lvVectorThumbs->OnItemThumbnailDraw = [this](TObject* sender, lv::TLqItem* item,
                                                 TCanvas* canvas, const TRect& rect,
                                                 lv::TLqAlphaBlender* blender, bool& do_default) {
        lvVectorThumbsItemThumbnailDraw(sender, item, canvas, rect, blender, do_default);
    };
    VectorPanel = make_panel(Panel2, alClient, 0, 0);
    VectorPanel->SetColor(clBlack);

    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnShow = [this](TObject* sender) { FormShow(sender); };
    OnActivate = [this](TObject* sender) { FormActivate(sender); };
    OnDestroy = [this](TObject* sender) { FormDestroy(sender); };
}

TfrmMain::~TfrmMain() = default;

TPanel* TfrmMain::make_panel(TWinControl* parent, TAlign align, int width, int height)
{
    auto* panel = new TPanel(this);
    panel->SetBevelOuter(bvNone);
    panel->SetParent(parent);
    if (width > 0)
        panel->SetWidth(width);
    if (height > 0)
        panel->SetHeight(height);
    panel->SetAlign(align);
    return panel;
}

QString TfrmMain::SettingsFileName()
{
    return GetAppDataFolder(QString::fromLatin1(kSettingsSubFolder)) +
           ChangeFileExt(ExtractFileName(Application->ExeName()), QStringLiteral(".ini"));
}

// ---- Start and end ------------------------------------------------------------------------

void TfrmMain::FormCreate(TObject*)
{
    QString version;
    GetExeVersionString(version);
    SetCaption(QStringLiteral("TARVEK CAD Viewer - Version ") + version);
    SetBounds(0, 0, 900, 700);
    Application->SetHintColor(kBandColour);
    Application->SetHintHidePause(10000);
    Label4->SetCaption(QStringLiteral("  TARVEK CAD Viewer\r  ") + QChar(0x00A9) +
                       QStringLiteral(" Tarvek. All rights reserved."));
    Application->SetTitle(QStringLiteral("Tarvek CAD Viewer"));
    SetDoubleBuffered(true);
    LastVectorDir.clear();
    LastVectorPrev.clear();
    VectorVO = new Tqxp_VectorObject();

    TUnitsDisplayManager* units = UnitsDisplayManager();
    units->SetMatLengthUnitsMetric(qxMM);
    units->SetMatLengthUnitsMdec(3);
    units->SetMatLengthUnitsImperial(qxInches);
    units->SetMatLengthUnitsIdec(3);
    units->SetCfLengthUnitsMetric(qxMM);
    units->SetCfLengthUnitsMdec(3);
    units->SetCfLengthUnitsImperial(qxInches);
    units->SetCfLengthUnitsIdec(3);
    units->SetThicknessUnitsMdec(3);
    units->SetThicknessUnitsIdec(3);
    units->SetCfAreaUnitsMetric(qxMMSq);
    units->SetCfAreaUnitsMdec(3);
    units->SetCfAreaUnitsImperial(qxInSq);
    units->SetCfAreaUnitsIdec(3);
}

void TfrmMain::FormShow(TObject*)
{
    {
        const TIniFile settings(SettingsFileName());
        const int left = settings.ReadInteger(kDisplaySection, QStringLiteral("Left"), 0);
        const int top = settings.ReadInteger(kDisplaySection, QStringLiteral("Top"), 0);
        const int width = settings.ReadInteger(kDisplaySection, QStringLiteral("Width"), Width());
        const int height =
            settings.ReadInteger(kDisplaySection, QStringLiteral("Height"), Height());
        SetBounds(left, top, width, height);
        WinState = settings.ReadInteger(kDisplaySection, QStringLiteral("WinState"), 0);
        LastVectorDir =
            settings.ReadString(kDirsSection, QStringLiteral("LastvectorDir"), LastVectorDir);
    }

    VectorChild = new TfrmComponentVector(this);
    VectorChild->AfterConstruction();
    VectorChild->Hide();
    VectorChild->SetParent(VectorPanel);
    VectorChild->SetAlign(alClient);
    VectorChild->Show();

    if (vectors_ShellTree->CanFocus())
        vectors_ShellTree->SetFocus();
}

void TfrmMain::FormActivate(TObject*)
{
    PostMessageW(Handle(), WM_DEFERRED_START, 0, 0);
    // The first activation only. Nothing of the handler being run is used after this.
    OnActivate = nullptr;
}

void TfrmMain::HandleDeferredStart(TMessage&)
{
    // A hand-edited state other than minimised or maximised opens a normal window.
    switch (WinState) {
    case 1:
        SetWindowState(wsMinimized);
        break;
    case 2:
        SetWindowState(wsMaximized);
        break;
    default:
        SetWindowState(wsNormal);
        break;
    }
    Invalidate();
    Application->ProcessMessages();

    FixFormSizePos();
    if (VectorChild != nullptr) {
        VectorChild->Draw_Redraw();
        VectorChild->Draw_RefreshWindow();
    }

    if (!LastVectorDir.isEmpty() && DirectoryExists(LastVectorDir))
        vectors_ShellTree->SetPath(LastVectorDir);

    QString argument = ParamStr(1);
    if (argument.isEmpty())
        GetCommandLineParam(1, argument);
    OpenCommandLineFile(argument);
}

void TfrmMain::OpenCommandLineFile(const QString& Arg)
{
    if (Arg.isEmpty() || !FileExists(Arg))
        return;
    const QString path = QFileInfo(Arg).absoluteFilePath();
    vectors_ShellTree->SetPath(ExtractFilePath(path));

    // The item is found by its entry's file name: a caption of a part file with a
    // revision ("PART(B)") is not the file's name ("PART(B).KZV"). The name as given
    // first, then without regard to case, as the file system of the drawings' origin
    // compares names.
    const QString name = ExtractFileName(path);
    const catalogue::TVectorManager& catalogue = catalogue::VectorManager();
    lv::TLqGlobalItems* items = lvVectorThumbs->Items();
    lv::TLqItem* found = nullptr;
    for (int pass = 0; pass < 2 && found == nullptr; ++pass) {
        for (int index = 0; index < items->GetCount() && found == nullptr; ++index) {
            lv::TLqItem* item = items->GetItem(index);
            const catalogue::TVectorFile* entry = catalogue.IndexedFile(item->Index());
            if (entry == nullptr)
                continue;
            if (pass == 0 ? entry->FileName == name : SameText(entry->FileName, name))
                found = item;
        }
    }
    if (found == nullptr)
        return;
    lvVectorThumbs->Selection()->ClearAll();
    found->SetSelected(true);
    found->MakeVisible(lv::emvAuto);
}

void TfrmMain::FixFormSizePos()
{
    const int desktop_width = Screen->DesktopWidth();
    const int desktop_height = Screen->DesktopHeight();
    int left = Left();
    int top = Top();
    int width = Width();
    int height = Height();
    if (left < 0 || left >= desktop_width - 10)
        left = 0;
    if (top < 0 || top >= desktop_height - 10)
        top = 0;
    else if (width > desktop_width)
        width = desktop_width - 50;
    if (height > desktop_height)
        height = desktop_height - 50;
    if (left + width > desktop_width)
        width = desktop_width - left;
    if (top + height > desktop_height)
        height = desktop_height - top;
    if (left != Left() || top != Top() || width != Width() || height != Height())
        SetBounds(left, top, width, height);
}

void TfrmMain::FormDestroy(TObject*)
{
    if (VectorChild != nullptr)
        VectorChild->SetStruct(nullptr);
    FreeAndNil(VectorVO);
    try {
        write_settings();
    } catch (...) {
        Application->HandleException(this);
    }
}

void TfrmMain::write_settings()
{
    const QString file_name = SettingsFileName();
    // A fresh system has no settings folder yet: without it no setting would be kept.
    ForceDirectories(ExtractFilePath(file_name));
    TIniFile settings(file_name);
    TRect normal = BoundsRect();
    if (HandleAllocated()) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        if (GetWindowPlacement(Handle(), &placement) != FALSE) {
            const RECT& rect = placement.rcNormalPosition;
            normal = Rect(rect.left, rect.top, rect.right, rect.bottom);
        }
    }
    settings.WriteInteger(kDisplaySection, QStringLiteral("Left"), normal.Left);
    settings.WriteInteger(kDisplaySection, QStringLiteral("Top"), normal.Top);
    settings.WriteInteger(kDisplaySection, QStringLiteral("Width"), normal.Width());
    settings.WriteInteger(kDisplaySection, QStringLiteral("Height"), normal.Height());
    const TWindowState state = WindowState();
    settings.WriteInteger(kDisplaySection, QStringLiteral("WinState"),
                          state == wsMinimized ? 0 : static_cast<int>(state));
    settings.WriteString(kDirsSection, QStringLiteral("LastvectorDir"), LastVectorDir);
    settings.WriteBool(kVectorsSection, QStringLiteral("LastDirOnStart"),
                       catalogue::VectorManager().LastDirOnStart);
}

// ---- Listing and selecting -------------------------------------------------------------------

void TfrmMain::vectors_ShellTreeChange(TObject*, TTreeNode*)
{
    vector_GetVectorList();
}

void TfrmMain::vector_GetVectorList()
{
    LastVectorDir = vectors_ShellTree->Path();
    const HourGlass hourglass;
    lvVectorThumbs->Items()->Clear();
    catalogue::TVectorManager& catalogue = catalogue::VectorManager();
    catalogue.GetFiles(LastVectorDir, {});
    for (int index = 0; index < catalogue.FileCount(); ++index) {
        lv::TLqItem* item = lvVectorThumbs->Items()->Add(nullptr);
        item->SetCaption(item_caption(*catalogue.IndexedFile(index)));
    }
    if (catalogue.FileCount() == 0) {
        LastVectorPrev.clear();
        vector_ClearGrid();
        return;
    }
    lvVectorThumbs->Selection()->SelectFirst();
}

void TfrmMain::lvVectorThumbsItemSelectionChanged(TObject*, lv::TLqItem* Item)
{
    vector_HandleSelectionChanged(Item);
}

void TfrmMain::vector_HandleSelectionChanged(lv::TLqItem* Item)
{
    // An item that stops being selected loads nothing: while a listing clears the
    // strip, its index would name an entry of the old folder under the new folder's
    // path.
    if (Item == nullptr || !Item->Selected())
        return;
    const catalogue::TVectorFile* entry = catalogue::VectorManager().IndexedFile(Item->Index());
    if (entry == nullptr)
        return;
    const HourGlass hourglass;
    const QString full_path =
        IncludeTrailingPathDelimiter(vectors_ShellTree->Path()) + entry->FileName;
    const QString upper_path = AnsiUpperCase(full_path);
    if (upper_path == LastVectorPrev)
        return;

    bool loaded = false;
    switch (entry->vType) {
    case catalogue::vt_Component:
        loaded = VectorVO->Load_Component(full_path);
        break;
    case catalogue::vt_Dxf:
        loaded = VectorVO->Load_Dxf(full_path);
        break;
    case catalogue::vt_IGS:
        loaded = VectorVO->Load_Iges(full_path);
        break;
    case catalogue::vt_DWG: {
        const HourGlass converting;
        loaded = VectorVO->Load_Dwg(full_path);
        break;
    }
    default:
        break;
    }
    if (loaded)
        VectorChild->SetStruct(VectorVO);
    else
        vector_ClearGrid();
    LastVectorPrev = upper_path;
    // Only a drawing just loaded is moved: the move is by the bounds found at loading,
    // so doing it again for a drawing already shown would carry it off the origin.
    if (loaded)
        vector_Translate();
}

void TfrmMain::vector_Translate()
{
    if (VectorVO == nullptr || VectorChild == nullptr)
        return;
    const TFloatRect& bounds = VectorVO->Bounds();
    VectorVO->Dxf_TranslateTo(-bounds.x1, -bounds.y1);
    VectorChild->Zoom_DoFullZoom();
}

void TfrmMain::vector_ClearGrid()
{
    if (VectorChild != nullptr)
        VectorChild->SetStruct(nullptr);
    if (VectorVO != nullptr)
        VectorVO->Clear(false);
    if (VectorChild != nullptr) {
        VectorChild->Draw_RefreshWindow();
        VectorChild->Draw_Redraw();
    }
}

void TfrmMain::lvVectorThumbsItemThumbnailDraw(TObject*, lv::TLqItem* Item, TCanvas* ACanvas,
                                               const TRect& ARect, lv::TLqAlphaBlender*, bool&)
{
    const catalogue::TVectorFile* entry =
        Item != nullptr ? catalogue::VectorManager().IndexedFile(Item->Index()) : nullptr;
    if (entry != nullptr && entry->Thumb != nullptr) {
        TBitmap* thumb = entry->Thumb.get();
        int x = ARect.Left;
        int y = ARect.Top;
        if (thumb->Width() < catalogue::kThumbnailSide)
            x = ARect.Left + 31 - thumb->Width() / 2;
        if (thumb->Height() < catalogue::kThumbnailSide)
            y = ARect.Top + 31 - thumb->Height() / 2;
        ACanvas->Draw(x, y, thumb);
        return;
    }
    const QString text = QStringLiteral("No Picture");
    RECT rect{ARect.Left, ARect.Top, ARect.Right, ARect.Bottom};
    DrawTextW(ACanvas->Handle(), reinterpret_cast<LPCWSTR>(text.utf16()),
              static_cast<int>(text.size()), &rect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// ---- Repaints, the banner and messages ---------------------------------------------------------

void TfrmMain::Splitter1Moved(TObject*)
{
    if (VectorChild == nullptr)
        return;
    VectorChild->Draw_RefreshWindow();
    VectorChild->Draw_Redraw();
}

void TfrmMain::HandleExitSizeMove(TMessage& Message)
{
    TForm::Dispatch(Message);
    if (VectorChild != nullptr) {
        VectorChild->Draw_Redraw();
        VectorChild->Draw_RefreshWindow();
    }
    if (lv::TLqItem* focused = lvVectorThumbs->Selection()->FocusedItem())
        focused->MakeVisible(lv::emvAuto);
}

void TfrmMain::HandleSysCommand(TMessage& Message)
{
    TForm::Dispatch(Message);
    if (Message.WParam != SC_MAXIMIZE && Message.WParam != SC_RESTORE)
        return;
    if (VectorChild != nullptr) {
        VectorChild->Draw_Redraw();
        VectorChild->Draw_RefreshWindow();
    }
}

void TfrmMain::Image1Click(TObject*)
{
    ShellOpen(Handle(), MakerWebAddress(), false, QString());
}

void TfrmMain::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_DEFERRED_START:
        HandleDeferredStart(message);
        return;
    case WM_EXITSIZEMOVE:
        HandleExitSizeMove(message);
        return;
    case WM_SYSCOMMAND:
        HandleSysCommand(message);
        return;
    default:
        TForm::Dispatch(message);
        return;
    }
}

}
