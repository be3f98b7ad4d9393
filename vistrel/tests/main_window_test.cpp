// The main window without a display: the first start, keeping the window on the desktop,
// the settings written at the end, listing folders and selecting their drawings, the file
// named on the command line and the film strip's thumbnails.

#include "forms/drawing_view.h"
#include "forms/main_window.h"
#include "units/vector_catalogue.h"
#include "units/vector_object.h"

#include "drawing_files.h"

#include "framework/inifiles.h"
#include "framework/shellctrls.h"
#include "framework/stdctrls.h"
#include "framework/sysutils.h"
#include "platform/qt.h"
#include "test_support/temp_folder.h"

#include <QtCore/QDir>
#include <QtCore/QFile>

#include <gtest/gtest.h>

#include <string>

using namespace fw;
using namespace vistrel;
using namespace drawing_files;

namespace {

// A DXF of one rectangle from (x, y), w by h.
std::string rectangle_dxf(double x, double y, double w, double h)
{
    return dxf(
        {section("ENTITIES", line("0", x, y, x + w, y) + line("0", x + w, y, x + w, y + h) +
                                 line("0", x + w, y + h, x, y + h) + line("0", x, y + h, x, y))});
}

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

// Each test starts without a settings file and ends with the window closed.
class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A desktop that holds the window; the offscreen screen is smaller.
        platform::test::SetDesktopSize(1920, 1080);
        QFile::remove(TfrmMain::SettingsFileName());
        QDir(ExtractFilePath(TfrmMain::SettingsFileName())).removeRecursively();
    }
    void TearDown() override
    {
        close();
        platform::test::SetDesktopSize(0, 0);
    }

    // Makes and shows the window and lets the deferred start run.
    TfrmMain* open()
    {
        m_window = new TfrmMain(Application);
        m_window->AfterConstruction();
        m_window->Show();
        Application->ProcessMessages();
        return m_window;
    }
    void close()
    {
        if (m_window == nullptr)
            return;
        Free(m_window);
        m_window = nullptr;
        Application->ProcessMessages();
    }
    TfrmMain* window() const { return m_window; }

    void write_settings(const QString& section, const QString& key, const QString& value)
    {
        ForceDirectories(ExtractFilePath(TfrmMain::SettingsFileName()));
        TIniFile(TfrmMain::SettingsFileName()).WriteString(section, key, value);
    }
    QString setting(const QString& section, const QString& key) const
    {
        return TIniFile(TfrmMain::SettingsFileName())
            .ReadString(section, key, QStringLiteral("(missing)"));
    }

    // The film strip's selected items' indexes, in order.
    std::vector<int> selected() const
    {
        std::vector<int> indexes;
        lv::TLqGlobalItems* items = m_window->lvVectorThumbs->Items();
        for (int index = 0; index < items->GetCount(); ++index)
            if (items->GetItem(index)->Selected())
                indexes.push_back(index);
        return indexes;
    }
    lv::TLqItem* item(int index) const { return m_window->lvVectorThumbs->Items()->GetItem(index); }
    // The drawing's extents as its items lie now. The object keeps them as its bounds
    // from then on, so a test measures once, at its end.
    TFloatRect drawing_extents() const
    {
        m_window->VectorVO->Dxf_GetBounds();
        return m_window->VectorVO->Bounds();
    }

private:
    TfrmMain* m_window = nullptr;
};

TEST_F(MainWindow, TheFirstStartShowsANormalWindowAtTheOriginWithNothingSelected)
{
    TfrmMain* main = open();
    // At the origin, where the window system puts it: the offscreen platform shows a
    // window asked for at (0, 0) inside its 2-pixel frame.
    EXPECT_LE(main->Left(), 2);
    EXPECT_LE(main->Top(), 2);
    EXPECT_EQ(main->Width(), 900);
    EXPECT_EQ(main->Height(), 700);
    EXPECT_EQ(main->WindowState(), wsNormal);
    EXPECT_EQ(main->WinState, 0);
    EXPECT_TRUE(main->LastVectorDir.isEmpty());
    EXPECT_TRUE(main->LastVectorPrev.isEmpty());
    EXPECT_EQ(main->lvVectorThumbs->Items()->GetCount(), 0);
    ASSERT_NE(main->VectorChild, nullptr);
    EXPECT_EQ(main->VectorChild->Struct(), nullptr);
    EXPECT_TRUE(main->Caption().startsWith(QStringLiteral("TARVEK CAD Viewer - Version ")));
    // The window of the form description: the drawing view fills the black panel above
    // the film strip.
    EXPECT_EQ(main->Splitter1->BoundsRect(), Rect(310, 42, 313, 700));
    EXPECT_EQ(main->lvVectorThumbs->BoundsRect(), Rect(0, 508, 587, 658));
    EXPECT_EQ(main->VectorChild->BoundsRect(), Rect(0, 0, 587, 508));
    EXPECT_FALSE(main->Image1->Picture()->Graphic()->Empty());
    EXPECT_FALSE(main->Logo->Picture()->Graphic()->Empty());
}

TEST_F(MainWindow, ClosingMakesTheSettingsFolderAndKeepsTheRestoredRectangle)
{
    ASSERT_FALSE(DirectoryExists(ExtractFilePath(TfrmMain::SettingsFileName())));
    const struct {
        const char* name;
        TWindowState state;
        const char* written;
    } kCases[] = {
        {"normal", wsNormal, "0"},
        {"maximised", wsMaximized, "2"},
        {"minimised", wsMinimized, "0"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        TfrmMain* main = open();
        main->SetBounds(120, 80, 1000, 720);
        main->SetWindowState(c.state);
        close();
        EXPECT_EQ(setting(QStringLiteral("Display Management"), QStringLiteral("WinState")),
                  QString::fromLatin1(c.written));
        EXPECT_EQ(setting(QStringLiteral("Display Management"), QStringLiteral("Left")),
                  QStringLiteral("120"));
        EXPECT_EQ(setting(QStringLiteral("Display Management"), QStringLiteral("Top")),
                  QStringLiteral("80"));
        EXPECT_EQ(setting(QStringLiteral("Display Management"), QStringLiteral("Width")),
                  QStringLiteral("1000"));
        EXPECT_EQ(setting(QStringLiteral("Display Management"), QStringLiteral("Height")),
                  QStringLiteral("720"));
        EXPECT_EQ(setting(QStringLiteral("Vectors"), QStringLiteral("LastDirOnStart")),
                  QStringLiteral("0"));
        EXPECT_EQ(setting(QStringLiteral("Dirs"), QStringLiteral("LastvectorDir")), QString());
    }

    // The next start shows the maximised window, which restores to the kept rectangle.
    write_settings(QStringLiteral("Display Management"), QStringLiteral("WinState"),
                   QStringLiteral("2"));
    TfrmMain* main = open();
    EXPECT_EQ(main->WindowState(), wsMaximized);
    main->SetWindowState(wsNormal);
    EXPECT_EQ(main->BoundsRect(), Rect(120, 80, 1120, 800));
}

TEST_F(MainWindow, FixFormSizePosKeepsTheWindowOnTheDesktop)
{
    TfrmMain* main = open();
    const struct {
        const char* name;
        TRect stored;
        TRect fixed;
    } kCases[] = {
        {"off to the right", Bounds(5000, 10, 900, 700), Bounds(0, 10, 900, 700)},
        {"above and left", Bounds(-20, -5, 900, 700), Bounds(0, 0, 900, 700)},
        {"near the right edge", Bounds(1911, 10, 900, 700), Bounds(0, 10, 900, 700)},
        {"too wide, top kept", Bounds(0, 10, 2000, 700), Bounds(0, 10, 1870, 700)},
        {"too wide, top reset", Bounds(0, 2000, 2000, 700), Bounds(0, 0, 1920, 700)},
        {"too wide further right", Bounds(100, 10, 2000, 700), Bounds(100, 10, 1820, 700)},
        {"too high", Bounds(0, 100, 900, 1200), Bounds(0, 100, 900, 980)},
        {"over the right edge", Bounds(1500, 10, 900, 700), Bounds(1500, 10, 420, 700)},
    };
    main->Constraints()->SetMinWidth(0); // the narrow case is the desktop's doing
    main->Constraints()->SetMinHeight(0);
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        main->SetBoundsRect(c.stored);
        main->FixFormSizePos();
        EXPECT_EQ(main->BoundsRect(), c.fixed);
    }
}

// A folder of two drawings and one that cannot be read, in the order the folder lists
// them.
class MainWindowFolder : public MainWindow {
protected:
    void SetUp() override
    {
        MainWindow::SetUp();
        ASSERT_TRUE(m_folder.ok());
        m_folder.write("a.dxf", rectangle_dxf(10, 20, 100, 50));
        m_folder.write("b.dxf", rectangle_dxf(-5, -5, 30, 30));
        m_folder.write("c.dxf", "no drawing in here\n");
    }
    QString folder() const { return q(m_folder.path()); }
    QString upper_path(const char* name) const { return AnsiUpperCase(q(m_folder.path(name))); }
    test_support::TempFolder m_folder;
};

TEST_F(MainWindowFolder, ListingSelectsTheFirstDrawingAndMovesItToTheOrigin)
{
    TfrmMain* main = open();
    main->vectors_ShellTree->SetPath(folder());
    EXPECT_EQ(main->LastVectorDir, folder());
    ASSERT_EQ(main->lvVectorThumbs->Items()->GetCount(), 3);
    EXPECT_EQ(item(0)->Caption(), QStringLiteral("a.dxf"));
    EXPECT_EQ(selected(), std::vector<int>{0});
    EXPECT_EQ(main->LastVectorPrev, upper_path("a.dxf"));
    EXPECT_EQ(main->VectorChild->Struct(), main->VectorVO);

    // Selecting the drawing shown again neither reads the file again (it changed on
    // disk meanwhile) nor moves the drawing again: it lies where the one move after
    // loading put it, its lower-left corner at the origin.
    m_folder.write("a.dxf", rectangle_dxf(0, 0, 7, 7));
    main->lvVectorThumbs->Selection()->ClearAll();
    item(0)->SetSelected(true);
    const TFloatRect again = drawing_extents();
    EXPECT_DOUBLE_EQ(again.x1, 0);
    EXPECT_DOUBLE_EQ(again.y1, 0);
    EXPECT_DOUBLE_EQ(again.x2, 100);
    EXPECT_DOUBLE_EQ(again.y2, 50);

    // The folder is kept for the next start.
    close();
    EXPECT_EQ(setting(QStringLiteral("Dirs"), QStringLiteral("LastvectorDir")), folder());
}

TEST_F(MainWindowFolder, ABadDrawingEmptiesTheViewAndIsNotTriedAgain)
{
    TfrmMain* main = open();
    main->vectors_ShellTree->SetPath(folder());
    item(2)->SetSelected(true);
    EXPECT_EQ(main->VectorChild->Struct(), nullptr);
    EXPECT_EQ(main->LastVectorPrev, upper_path("c.dxf"));

    // Mended on disk, it is still not read while it is the last file tried.
    m_folder.write("c.dxf", rectangle_dxf(0, 0, 5, 5));
    main->lvVectorThumbs->Selection()->ClearAll();
    item(2)->SetSelected(true);
    EXPECT_EQ(main->VectorChild->Struct(), nullptr);
    // Another drawing, then this one again: now it is read.
    main->lvVectorThumbs->Selection()->ClearAll();
    item(1)->SetSelected(true);
    main->lvVectorThumbs->Selection()->ClearAll();
    item(2)->SetSelected(true);
    EXPECT_EQ(main->VectorChild->Struct(), main->VectorVO);
    EXPECT_EQ(main->LastVectorPrev, upper_path("c.dxf"));
}

TEST_F(MainWindowFolder, AnItemThatStopsBeingSelectedLoadsNothing)
{
    TfrmMain* main = open();
    main->vectors_ShellTree->SetPath(folder());
    item(1)->SetSelected(true); // b shown, a still selected
    EXPECT_EQ(main->LastVectorPrev, upper_path("b.dxf"));
    item(0)->SetSelected(false);
    EXPECT_EQ(main->LastVectorPrev, upper_path("b.dxf"));
    EXPECT_EQ(selected(), std::vector<int>{1});

    // A folder without drawings empties the strip and the view and forgets the file.
    test_support::TempFolder empty;
    empty.write("notes.txt", "no drawing here\n");
    main->vectors_ShellTree->SetPath(q(empty.path()));
    EXPECT_EQ(main->lvVectorThumbs->Items()->GetCount(), 0);
    EXPECT_TRUE(main->LastVectorPrev.isEmpty());
    EXPECT_EQ(main->VectorChild->Struct(), nullptr);
}

TEST_F(MainWindowFolder, TheLastFolderIsOpenedAgainAtTheNextStart)
{
    write_settings(QStringLiteral("Dirs"), QStringLiteral("LastvectorDir"), folder());
    TfrmMain* main = open();
    EXPECT_EQ(main->LastVectorDir, folder());
    EXPECT_EQ(main->lvVectorThumbs->Items()->GetCount(), 3);
    EXPECT_EQ(main->LastVectorPrev, upper_path("a.dxf"));
    close();

    // A folder that is gone is not opened.
    write_settings(QStringLiteral("Dirs"), QStringLiteral("LastvectorDir"),
                   folder() + QStringLiteral("/gone"));
    main = open();
    EXPECT_EQ(main->lvVectorThumbs->Items()->GetCount(), 0);
}

TEST_F(MainWindow, TheCommandLineFileIsFoundByItsFileName)
{
    test_support::TempFolder folder;
    folder.write("BRACKET(B).KZV", "not a part file\n");
    folder.write("a.dxf", rectangle_dxf(0, 0, 10, 10));
    folder.write("PLATE.KZV", "not a part file\n");
    TfrmMain* main = open();

    main->OpenCommandLineFile(q(folder.path("BRACKET(B).KZV")));
    EXPECT_EQ(main->LastVectorDir, q(folder.path()));
    ASSERT_EQ(main->lvVectorThumbs->Items()->GetCount(), 3);
    EXPECT_EQ(item(1)->Caption(), QStringLiteral("BRACKET(B)"));
    EXPECT_EQ(selected(), std::vector<int>{1});
    EXPECT_EQ(main->LastVectorPrev, AnsiUpperCase(q(folder.path("BRACKET(B).KZV"))));

    main->OpenCommandLineFile(q(folder.path("PLATE.KZV")));
    EXPECT_EQ(selected(), std::vector<int>{2});
    // A name that names no file changes nothing.
    main->OpenCommandLineFile(q(folder.path("GONE.DXF")));
    EXPECT_EQ(selected(), std::vector<int>{2});
}

TEST_F(MainWindowFolder, ThumbnailsAreDrawnAtTheCornerAndMissingOnesAsText)
{
    TfrmMain* main = open();
    main->vectors_ShellTree->SetPath(folder());
    const catalogue::TVectorFile* entry = catalogue::VectorManager().IndexedFile(0);
    ASSERT_NE(entry, nullptr);
    ASSERT_NE(entry->Thumb, nullptr);

    TBitmap canvas_bitmap;
    canvas_bitmap.SetPixelFormat(pf32bit);
    canvas_bitmap.SetSize(100, 100);
    TCanvas* canvas = canvas_bitmap.Canvas();
    const auto clear = [&] {
        canvas->Brush()->SetColor(0x00FF00);
        canvas->FillRect(Rect(0, 0, 100, 100));
    };
    const TRect cell = Rect(10, 20, 74, 84);
    bool do_default = true;
    clear();
    main->lvVectorThumbsItemThumbnailDraw(main->lvVectorThumbs, item(0), canvas, cell, nullptr,
                                          do_default);
    for (const TPoint point : {TPoint{0, 0}, TPoint{63, 0}, TPoint{0, 63}, TPoint{63, 63}})
        EXPECT_EQ(canvas->Pixels(cell.Left + point.X, cell.Top + point.Y),
                  entry->Thumb->Canvas()->Pixels(point.X, point.Y));
    EXPECT_EQ(canvas->Pixels(cell.Left + 64, cell.Top), 0x00FF00u);
    EXPECT_TRUE(do_default);

    // An item without catalogue entry: "No Picture" in the middle of the rectangle.
    lv::TLqItem* stray = main->lvVectorThumbs->Items()->Add(nullptr);
    clear();
    main->lvVectorThumbsItemThumbnailDraw(main->lvVectorThumbs, stray, canvas, cell, nullptr,
                                          do_default);
    int inked = 0;
    for (int y = cell.Top; y < cell.Bottom; ++y)
        for (int x = cell.Left; x < cell.Right; ++x)
            inked += canvas->Pixels(x, y) != 0x00FF00u ? 1 : 0;
    EXPECT_GT(inked, 0);
    EXPECT_EQ(canvas->Pixels(cell.Left, cell.Top), 0x00FF00u);
}

}
