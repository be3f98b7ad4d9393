// Controls on Qt widgets: the folder tree, edits, the screen's cursor, the style, and
// the pixels that panels and their graphic children paint.

#include "framework/forms.h"
#include "framework/shellctrls.h"
#include "framework/stdctrls.h"
#include "platform/qt.h"
#include "qstring_printer.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtGui/QFileSystemModel>
#include <QtGui/QImage>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QStyle>
#include <QtWidgets/QTreeView>

#include <gtest/gtest.h>

#include <vector>

using namespace fw;

namespace {

// A shown form freed at the end of the test.
class QtForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_form = new TForm(Application);
        m_form->AfterConstruction();
        m_form->SetBounds(0, 0, 320, 240);
        m_form->Show();
        Application->ProcessMessages();
    }
    void TearDown() override
    {
        Free(m_form);
        Application->ProcessMessages();
    }
    TForm* form() const { return m_form; }

private:
    TForm* m_form = nullptr;
};

TEST_F(QtForm, SettingTheTreesPathSelectsTheFolderAndTellsOnce)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString root = QDir(temp.path()).canonicalPath();
    ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("a/b")));
    QFile file(root + QStringLiteral("/a/drawing.dxf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    auto* tree = new TShellTreeView(form());
    tree->SetObjectTypes({otFolders});
    tree->SetShowRoot(false);
    tree->SetIndent(19);
    tree->SetParent(form());
    tree->SetAlign(alClient);
    ASSERT_NE(tree->TreeView(), nullptr);
    EXPECT_FALSE(tree->TreeView()->rootIsDecorated());
    EXPECT_EQ(tree->TreeView()->indentation(), 19);

    std::vector<QString> changes;
    tree->OnChange = [&](TObject* sender, TTreeNode* node) {
        EXPECT_EQ(sender, tree);
        changes.push_back(node->Path());
    };
    const QString folder = root + QStringLiteral("/a/b");
    tree->SetPath(folder);
    EXPECT_EQ(changes, std::vector<QString>{folder});
    EXPECT_EQ(tree->Path(), folder);

    // Neither a file nor a missing folder moves the selection.
    tree->SetPath(root + QStringLiteral("/a/drawing.dxf"));
    tree->SetPath(root + QStringLiteral("/missing"));
    EXPECT_EQ(tree->Path(), folder);
    EXPECT_EQ(changes.size(), 1u);

    // Only folders are rows: the model filters the file out of its parent.
    QFileSystemModel* model = tree->Model();
    EXPECT_FALSE(model->filter().testFlag(QDir::Files));
    const QModelIndex parent = model->index(root + QStringLiteral("/a"));
    for (int row = 0; row < model->rowCount(parent); ++row)
        EXPECT_NE(model->index(row, 0, parent).data().toString(), QStringLiteral("drawing.dxf"));
}

TEST_F(QtForm, EditsKeepTheirTextAndOfferKeysToOnKeyDownFirst)
{
    auto* edit = new TEdit(form());
    edit->SetText(QStringLiteral("before the window"));
    edit->SetParent(form());
    edit->SetBounds(10, 10, 200, 24);
    auto* line = qobject_cast<QLineEdit*>(edit->Editor());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), QStringLiteral("before the window"));
    edit->SetText(QStringLiteral("part 7"));
    EXPECT_EQ(line->text(), QStringLiteral("part 7"));
    edit->SelectAll();
    EXPECT_EQ(line->selectedText(), QStringLiteral("part 7"));

    std::vector<WORD> keys;
    edit->OnKeyDown = [&keys](TObject*, WORD& key, TShiftState) {
        keys.push_back(key);
        if (key == 'X')
            key = 0; // eaten: the editor never sees it
    };
    line->setCursorPosition(line->text().size());
    platform::test::SendKeyInput(edit->Handle(), true, Qt::Key_X, Qt::NoModifier,
                                 QStringLiteral("x"));
    platform::test::SendKeyInput(edit->Handle(), true, Qt::Key_Y, Qt::NoModifier,
                                 QStringLiteral("y"));
    EXPECT_EQ(keys, (std::vector<WORD>{'X', 'Y'}));
    EXPECT_EQ(edit->Text(), QStringLiteral("part 7y"));
}

TEST(Screen, TheHourglassCoversEveryWindowUntilTheDefaultComesBack)
{
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    Screen->SetCursor(crHourGlass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Screen->SetCursor(crHandPoint);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
    Screen->SetCursor(crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Screen->Cursors(crNone), nullptr);
    EXPECT_NE(Screen->Cursors(crHourGlass), nullptr);
}

TEST(Screen, TheDesktopSizeIsThePlatformsAndCanBeSet)
{
    platform::test::SetDesktopSize(3840, 1200);
    EXPECT_EQ(Screen->DesktopWidth(), 3840);
    EXPECT_EQ(Screen->DesktopHeight(), 1200);
    platform::test::SetDesktopSize(0, 0);
}

TEST(Application, StartsOnFusionWithTheFixedSystemColours)
{
    EXPECT_EQ(QApplication::style()->name(), QStringLiteral("fusion"));
    const QColor highlight = QApplication::palette().color(QPalette::Inactive, QPalette::Highlight);
    EXPECT_EQ(highlight, QApplication::palette().color(QPalette::Active, QPalette::Highlight));
    const TColor expected = ColorToRGB(clHighlight);
    EXPECT_EQ(highlight, QColor(expected & 0xFF, (expected >> 8) & 0xFF, (expected >> 16) & 0xFF));
}

QRgb rgb_of(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return qRgb(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

TEST_F(QtForm, PanelsPaintTheirColourAndTheirGraphicChildrenOverIt)
{
    auto* panel = new TPanel(form());
    panel->SetBevelOuter(bvNone);
    panel->SetColor(0x71B8FF);
    panel->SetParent(form());
    panel->SetBounds(0, 0, 100, 60);
    auto* label = new TLabel(form());
    label->SetAutoSize(false);
    label->SetParentColor(false);
    label->SetColor(clRed);
    label->SetParent(panel);
    label->SetBounds(50, 20, 30, 20);
    panel->Invalidate();
    Application->ProcessMessages();
    const QImage surface = platform::test::WindowSurface(panel->Handle());
    ASSERT_FALSE(surface.isNull());
    EXPECT_EQ(surface.pixel(5, 5) & 0xFFFFFF, rgb_of(0x71B8FF) & 0xFFFFFF);
    EXPECT_EQ(surface.pixel(60, 30) & 0xFFFFFF, rgb_of(clRed) & 0xFFFFFF);
    EXPECT_EQ(surface.pixel(49, 30) & 0xFFFFFF, rgb_of(0x71B8FF) & 0xFFFFFF);
}

TEST(Controls, ImagesPlaceTheirPictureAndTakeItsSize)
{
    TImage image(nullptr);
    image.SetBounds(0, 0, 100, 50);
    TBitmap bitmap;
    bitmap.SetSize(20, 10);
    image.Picture()->SetGraphic(&bitmap);
    const struct {
        const char* name;
        bool center;
        bool stretch;
        bool proportional;
        TRect expected;
    } kCases[] = {
        {"top-left", false, false, false, Rect(0, 0, 20, 10)},
        {"centred", true, false, false, Rect(40, 20, 60, 30)},
        {"stretched", false, true, false, Rect(0, 0, 100, 50)},
        {"proportional", true, true, true, Rect(0, 0, 100, 50)},
    };
    for (const auto& row : kCases) {
        SCOPED_TRACE(row.name);
        image.SetCenter(row.center);
        image.SetStretch(row.stretch);
        image.SetProportional(row.proportional);
        EXPECT_EQ(image.DestRect(), row.expected);
    }
    image.SetAutoSize(true);
    EXPECT_EQ(image.Width(), 20);
    EXPECT_EQ(image.Height(), 10);
}

}
