// The film strip: its item list, the selection events the main window depends on, clicks,
// scrolling and the painted cells.

#include "forms/film_strip.h"

#include "framework/forms.h"
#include "framework/sysutils.h"
#include "platform/qt.h"

#include <QtGui/QImage>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace fw;
using namespace vistrel::film_strip;

namespace {

// A shown form holding a strip 250 pixels wide (three cells and a bit), freed at the end.
class FilmStrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_form = new TForm(Application);
        m_form->AfterConstruction();
        m_form->SetBounds(0, 0, 250, 150);
        m_strip = new TLqListview(m_form);
        m_strip->SetParent(m_form);
        m_strip->SetAlign(alClient);
        m_strip->OnItemSelectionChanged = [this](TObject* sender, TLqItem* item) {
            EXPECT_EQ(sender, m_strip);
            events.push_back(std::to_string(item->Index()) + (item->Selected() ? "+" : "-"));
        };
        m_form->Show();
        Application->ProcessMessages();
    }
    void TearDown() override
    {
        Free(m_form);
        Application->ProcessMessages();
    }

    TLqListview* strip() const { return m_strip; }
    void add(int count)
    {
        for (int index = 0; index < count; ++index)
            m_strip->Items()->Add(nullptr)->SetCaption(QStringLiteral("part %1").arg(index));
    }
    void click(int x, int y)
    {
        SendMessageW(m_strip->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(m_strip->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }

    std::vector<std::string> events;

private:
    TForm* m_form = nullptr;
    TLqListview* m_strip = nullptr;
};

TEST_F(FilmStrip, ItemsAreNumberedInOrderAndAnIndexOutsideRaisesTheListError)
{
    add(3);
    TLqGlobalItems* items = strip()->Items();
    ASSERT_EQ(items->GetCount(), 3);
    for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(items->GetItem(index)->Index(), index);
        EXPECT_EQ(items->GetItem(index)->Caption(), QStringLiteral("part %1").arg(index));
    }
    for (const int bad : {-1, 3}) {
        try {
            items->GetItem(bad);
            ADD_FAILURE() << bad;
        } catch (const EListError& error) {
            EXPECT_EQ(error.Message(), QStringLiteral("List index out of bounds (%1)").arg(bad));
        }
    }
    EXPECT_TRUE(events.empty());
}

TEST_F(FilmStrip, EverySelectionChangeIsToldOnceUnselectingIncluded)
{
    add(3);
    TLqItem* second = strip()->Items()->GetItem(1);
    second->SetSelected(true);
    second->SetSelected(true); // no change, no event
    strip()->Items()->GetItem(2)->SetSelected(true);
    EXPECT_EQ(events, (std::vector<std::string>{"1+", "2+"}));

    events.clear();
    strip()->Selection()->SelectFirst();
    EXPECT_EQ(events, (std::vector<std::string>{"1-", "2-", "0+"}));
    EXPECT_EQ(strip()->Selection()->FocusedItem(), strip()->Items()->GetItem(0));

    events.clear();
    strip()->Selection()->ClearAll();
    EXPECT_EQ(events, (std::vector<std::string>{"0-"}));
}

TEST_F(FilmStrip, ClearingUnselectsWhileTheItemsAreStillThere)
{
    add(3);
    strip()->Selection()->SelectFirst();
    events.clear();
    int count_seen = -1;
    strip()->OnItemSelectionChanged = [&](TObject*, TLqItem* item) {
        count_seen = strip()->Items()->GetCount();
        events.push_back(std::to_string(item->Index()) + (item->Selected() ? "+" : "-"));
    };
    strip()->Items()->Clear();
    EXPECT_EQ(events, (std::vector<std::string>{"0-"}));
    EXPECT_EQ(count_seen, 3);
    EXPECT_EQ(strip()->Items()->GetCount(), 0);
    EXPECT_EQ(strip()->Selection()->FocusedItem(), nullptr);
    strip()->Selection()->SelectFirst(); // nothing to select
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(FilmStrip, AClickSelectsTheItemUnderTheMouseAlone)
{
    add(3);
    strip()->Selection()->SelectFirst();
    events.clear();
    click(2 * TLqListview::kCellWidth + 10, 40);
    EXPECT_EQ(events, (std::vector<std::string>{"0-", "2+"}));
    EXPECT_EQ(strip()->Selection()->FocusedItem(), strip()->Items()->GetItem(2));
    events.clear();
    click(2 * TLqListview::kCellWidth + 10, 40); // already selected
    click(3 * TLqListview::kCellWidth + 5, 40);  // past the last cell
    click(10, 140);                              // below the cells
    EXPECT_TRUE(events.empty());
}

TEST_F(FilmStrip, MakeVisibleAndTheWheelScrollWithinTheRow)
{
    add(6); // 480 pixels of cells in 250
    const int widest = 6 * TLqListview::kCellWidth - strip()->ClientWidth();
    strip()->Items()->GetItem(5)->MakeVisible(emvAuto);
    EXPECT_EQ(strip()->ScrollOffset(), widest);
    EXPECT_EQ(strip()->CellRect(5).Right, strip()->ClientWidth());
    strip()->Items()->GetItem(4)->MakeVisible(emvAuto); // in view already
    EXPECT_EQ(strip()->ScrollOffset(), widest);
    strip()->Items()->GetItem(0)->MakeVisible(emvAuto);
    EXPECT_EQ(strip()->ScrollOffset(), 0);

    strip()->DoMouseWheelDown({}, TPoint{0, 0});
    EXPECT_EQ(strip()->ScrollOffset(), TLqListview::kCellWidth);
    for (int turn = 0; turn < 5; ++turn)
        strip()->DoMouseWheelDown({}, TPoint{0, 0});
    EXPECT_EQ(strip()->ScrollOffset(), widest);
    for (int turn = 0; turn < 8; ++turn)
        strip()->DoMouseWheelUp({}, TPoint{0, 0});
    EXPECT_EQ(strip()->ScrollOffset(), 0);
    EXPECT_EQ(strip()->ItemAt(10, 40), strip()->Items()->GetItem(0));
}

TEST_F(FilmStrip, PaintsTheThumbnailsWhereItSaysAndFramesTheSelectedCell)
{
    add(4);
    std::vector<TRect> drawn;
    strip()->OnItemThumbnailDraw = [&](TObject*, TLqItem* item, TCanvas* canvas, const TRect& rect,
                                       TLqAlphaBlend* blender, bool& do_default) {
        EXPECT_EQ(rect, strip()->ThumbnailRect(item->Index()));
        EXPECT_EQ(blender, nullptr);
        EXPECT_TRUE(do_default);
        canvas->Brush()->SetColor(clBlack);
        canvas->FillRect(rect);
        drawn.push_back(rect);
    };
    strip()->Items()->GetItem(1)->SetSelected(true);
    strip()->Invalidate();
    Application->ProcessMessages();
    // Three cells and a bit fit: the fourth is drawn too, clipped.
    EXPECT_EQ(drawn.size(), 4u);

    const QImage surface = platform::test::WindowSurface(strip()->Handle());
    ASSERT_FALSE(surface.isNull());
    const auto colour_at = [&](int x, int y) {
        const QRgb pixel = surface.pixel(x, y);
        return static_cast<TColor>(qRed(pixel) | (qGreen(pixel) << 8) | (qBlue(pixel) << 16));
    };
    const TRect cell = strip()->CellRect(1);
    EXPECT_EQ(colour_at(cell.Left, cell.Top + 50), ColorToRGB(clHighlight));
    EXPECT_EQ(colour_at(cell.Right - 1, cell.Top + 50), ColorToRGB(clHighlight));
    EXPECT_EQ(colour_at(cell.Left + 40, cell.Bottom - 1), ColorToRGB(clHighlight));
    const TRect unselected = strip()->CellRect(2);
    EXPECT_EQ(colour_at(unselected.Left, unselected.Top + 50), ColorToRGB(strip()->Color()));
    const TRect thumb = strip()->ThumbnailRect(2);
    EXPECT_EQ(colour_at(thumb.Left + 5, thumb.Top + 5), 0u);
}

}
