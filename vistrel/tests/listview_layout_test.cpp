// The list-view control's layout: the cell sizes of its views, the grids that place the
// items of each group, the neighbour search over them, the scroll-bar manager and the
// mouse gestures.

#include "framework/classes.h"
#include "framework/graphics.h"
#include "framework/sysutils.h"
#include "listview/cell_sizes.h"
#include "listview/grid_layout.h"
#include "listview/groups.h"
#include "listview/items.h"
#include "listview/item_view.h"
#include "listview/layout.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "listview/scrollbars.h"
#include "listview/selection.h"
#include "listview/stream_io.h"
#include "listview_header_double.h"
#include "platform/scroll_bars.h"
#include "platform/system_metrics.h"
#include "platform/user_input.h"
#include "platform/user_messages.h"
#include "platform/user_paint.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

using namespace fw;
using namespace vistrel::listview;

namespace {

// A control without a border, of the size asked, with a window.
class LayoutTest : public ::testing::Test {
protected:
    TOwned<TLqListview> lv{new TLqListview(nullptr)};

    void make(int width, int height, TLqListStyle view)
    {
        lv->SetBorderStyle(bsNone);
        lv->SetBounds(0, 0, width, height);
        lv->SetView(view);
        lv->HandleNeeded();
    }
    TLqGroup* group_with(int items, const QString& caption = QStringLiteral("c"))
    {
        TLqGroup* group = lv->Groups()->Add(nullptr);
        lv->BeginUpdate();
        for (int i = 0; i < items; ++i)
            group->Items()->Add(nullptr)->SetCaption(caption + QString::number(i));
        lv->EndUpdate();
        return group;
    }
    TLqScrollbarManager* bars() const { return lv->Scrollbars(); }
};

// ---- Cell sizes ----------------------------------------------------------------------------

TEST_F(LayoutTest, EachViewHasItsDefaultCellAtNinetySixDpi)
{
    TLqCellSizes* sizes = lv->CellSizes();
    const struct {
        TLqCellSize* size;
        int width;
        int height;
    } cases[] = {
        {sizes->Icon(), 75, 75},        {sizes->SmallIcon(), 200, 17},  {sizes->List(), 200, 17},
        {sizes->Thumbnail(), 125, 143}, {sizes->FilmStrip(), 125, 143}, {sizes->Tile(), 218, 58},
        {sizes->Report(), 75, 17},      {sizes->Grid(), 75, 17},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.size->Width(), c.width);
        EXPECT_EQ(c.size->Height(), c.height);
        EXPECT_EQ(c.size->AutoSizeWidth(), c.width);
        EXPECT_EQ(c.size->AutoSizeHeight(), c.height);
        EXPECT_FALSE(c.size->AutoSizeCaption());
    }
    for (int style = 0; style < kLqListStyleCount; ++style)
        EXPECT_NE(sizes->ForView(static_cast<TLqListStyle>(style)), nullptr);
}

TEST(CellSizeScaling, DefaultsFollowTheScreenResolution)
{
    EXPECT_EQ(LqDpiScaled(75, 96), 75);
    EXPECT_EQ(LqDpiScaled(75, 120), 94);
    EXPECT_EQ(LqDpiScaled(17, 120), 21);
    EXPECT_EQ(LqDpiScaled(218, 144), 327);
    // 2.5 goes to the even neighbour.
    EXPECT_EQ(LqDpiScaled(5, 48), 2);
}

TEST_F(LayoutTest, ANegativeSizeIsStoredAsZeroAndReadsOne)
{
    make(240, 200, elsIcon);
    TLqCellSize* icon = lv->CellSizes()->Icon();
    icon->SetWidth(-5);
    EXPECT_EQ(icon->Width(), 1);
    icon->SetAutoSizeCaption(true);
    icon->SetAutoSizeCaption(false);
    EXPECT_EQ(icon->AutoSizeWidth(), 0) << "the fixed width was stored as 0";
    icon->SetHeight(-1);
    EXPECT_EQ(icon->Height(), 1);
}

TEST_F(LayoutTest, SettingTheSameSizeStillLaysTheGroupsOut)
{
    make(240, 200, elsIcon);
    TLqGroup* group = group_with(2);
    const TRect laid_out = group->ViewRect();
    group->SetViewRect(TRect{});
    lv->CellSizes()->Icon()->SetWidth(75);
    EXPECT_EQ(group->ViewRect(), laid_out);

    lv->CellSizes()->Icon()->SetSize(100, 60);
    EXPECT_EQ(group->Item(1)->ViewRect(), Rect(100, 0, 200, 60));
}

TEST_F(LayoutTest, AutoSizingKeepsTheFixedPairApart)
{
    TLqCellSize* list = lv->CellSizes()->List();
    list->SetAutoSizeCaption(true);
    list->SetWidth(300);
    EXPECT_EQ(list->Width(), 300);
    EXPECT_EQ(list->AutoSizeWidth(), 300);
    list->SetAutoSizeCaption(false);
    EXPECT_EQ(list->Width(), 200);
    EXPECT_EQ(list->AutoSizeWidth(), 200);

    // An auto-sized source hands its auto-size pair over as a fixed size.
    TLqCellSize* report = lv->CellSizes()->Report();
    list->SetAutoSizeCaption(true);
    list->SetSize(150, 30);
    report->Assign(list);
    EXPECT_FALSE(report->AutoSizeCaption());
    EXPECT_EQ(report->Width(), 150);
    EXPECT_EQ(report->Height(), 30);
    TLqGroups* not_a_size = lv->Groups();
    report->Assign(not_a_size);
    EXPECT_EQ(report->Width(), 150) << "anything but a cell size is ignored";

    report->RestoreDefaults();
    EXPECT_EQ(report->Width(), 75);
    EXPECT_EQ(report->Height(), 17);
    list->RestoreDefaults();
    EXPECT_EQ(list->Width(), 200) << "restored into the auto-size pair";
    list->SetAutoSizeCaption(false);
}

// Keeps the streams of the properties a filer is told about.
class MemoryFiler : public TFiler {
public:
    bool writing = true;
    std::map<QString, std::unique_ptr<TMemoryStream>> values;

    void DefineBinaryProperty(const QString& name, TStreamProc read_data, TStreamProc write_data,
                              bool has_data) override
    {
        if (writing) {
            if (!has_data)
                return;
            auto stream = std::make_unique<TMemoryStream>();
            write_data(stream.get());
            values[name] = std::move(stream);
            return;
        }
        auto found = values.find(name);
        if (found == values.end())
            return;
        found->second->SetPosition(0);
        read_data(found->second.get());
    }
};

TEST_F(LayoutTest, CellSizesStreamOnlyWhatDiffersFromTheDefaults)
{
    lv->CellSizes()->FilmStrip()->SetSize(80, 108);
    lv->CellSizes()->List()->SetAutoSizeCaption(true);
    MemoryFiler filer;
    lv->CellSizes()->DefineProperties(&filer);
    std::vector<QString> names;
    for (const auto& [name, stream] : filer.values)
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<QString>{QStringLiteral("FilmStrip.Height"),
                                           QStringLiteral("FilmStrip.Width"),
                                           QStringLiteral("List.AutoSizeCaption")}));

    TOwned<TLqListview> other{new TLqListview(nullptr)};
    filer.writing = false;
    other->CellSizes()->DefineProperties(&filer);
    EXPECT_EQ(other->CellSizes()->FilmStrip()->Width(), 80);
    EXPECT_EQ(other->CellSizes()->FilmStrip()->Height(), 108);
    EXPECT_TRUE(other->CellSizes()->List()->AutoSizeCaption());
    EXPECT_EQ(other->CellSizes()->Thumbnail()->Width(), 125) << "the other views keep theirs";
}

// ---- Grid classes --------------------------------------------------------------------------

TEST_F(LayoutTest, EachViewMakesItsOwnGridOverItsOwnCellSize)
{
    make(240, 200, elsIcon);
    TLqGroup* group = group_with(1);
    const struct {
        TLqListStyle view;
        TLqGridGroupClass grid;
        TLqGridLayout layout;
        TLqCellSize* size;
    } cases[] = {
        {elsIcon, &TLqGridIconGroup::Class, eglVert, lv->CellSizes()->Icon()},
        {elsSmallIcon, &TLqGridSmallIconGroup::Class, eglVert, lv->CellSizes()->SmallIcon()},
        {elsList, &TLqGridListGroup::Class, eglHorz, lv->CellSizes()->List()},
        {elsReport, &TLqGridReportGroup::Class, eglGrid, lv->CellSizes()->Report()},
        {elsThumbnail, &TLqGridThumbnailGroup::Class, eglVert, lv->CellSizes()->Thumbnail()},
        {elsTile, &TLqGridTileGroup::Class, eglVert, lv->CellSizes()->Tile()},
        {elsFilmStrip, &TLqGridFilmStripGroup::Class, eglHorz, lv->CellSizes()->FilmStrip()},
        {elsGrid, &TLqGridGridGroup::Class, eglGrid, lv->CellSizes()->Grid()},
    };
    for (const auto& c : cases) {
        lv->SetView(c.view);
        TLqGridGroup* grid = group->Grid();
        EXPECT_EQ(grid->ClassType(), c.grid) << c.grid->Name;
        EXPECT_EQ(grid->Layout(), c.layout) << c.grid->Name;
        EXPECT_EQ(grid->CellSize(), c.size) << c.grid->Name;
        EXPECT_EQ(grid->OwnerGroup(), group);
        EXPECT_EQ(grid->OwnerGroups(), lv->Groups());
    }

    // A custom grid class replaces the view's.
    lv->OnCustomGrid = [](TCustomLqListview*, TLqGroup*, TLqListStyle, TLqGridGroupClass& grid) {
        grid = &TLqGridListGroup::Class;
    };
    lv->SetView(elsIcon);
    EXPECT_EQ(group->Grid()->ClassType(), &TLqGridListGroup::Class);
    EXPECT_EQ(group->Grid()->Layout(), eglHorz);

    // Writing the cells of all groups writes the view's cell size.
    lv->OnCustomGrid = nullptr;
    lv->Groups()->SetCellWidth(90);
    EXPECT_EQ(lv->CellSizes()->Icon()->Width(), 90);
    EXPECT_EQ(lv->Groups()->CellWidth(), 90);
    TLqCellSize* source = lv->CellSizes()->Tile();
    group->Grid()->SetCellSize(source);
    EXPECT_EQ(lv->CellSizes()->Icon()->Width(), 218);
}

// ---- Vertical flow -------------------------------------------------------------------------

TEST_F(LayoutTest, TheVerticalFlowFillsRowsOfWhatFitsTheViewWidth)
{
    // Without a vertical bar the view is the client width less the bar's room and 1.
    const int three_cells = 3 * 75 + GetSystemMetrics(SM_CYVSCROLL) + 1;
    make(three_cells, 400, elsIcon);
    TLqGroup* group = group_with(4);
    TLqGridGroup* grid = group->Grid();
    EXPECT_EQ(grid->ColumnCount(), 3);
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(group->Item(2)->ViewRect(), Rect(150, 0, 225, 75));
    EXPECT_EQ(group->Item(3)->ViewRect(), Rect(0, 75, 75, 150));
    EXPECT_EQ(group->ViewRect(), Rect(0, 0, 225, 150));
    EXPECT_EQ(grid->MaxColumns(group, 300), 4);

    // Narrower than a cell: the view widens to one cell, one item a row.
    lv->SetWidth(50);
    lv->Groups()->Rebuild(true);
    EXPECT_EQ(grid->ColumnCount(), 1);
    EXPECT_EQ(group->Item(1)->ViewRect(), Rect(0, 75, 75, 150));
    EXPECT_EQ(group->ViewRect().Width(), 75);
}

TEST_F(LayoutTest, AHiddenItemTakesNoCellInEitherFlow)
{
    for (const TLqListStyle view : {elsIcon, elsFilmStrip}) {
        SCOPED_TRACE(view);
        lv.reset(new TLqListview(nullptr));
        make(800, 150, view);
        lv->CellSizes()->FilmStrip()->SetSize(80, 108);
        TLqGroup* group = group_with(3);
        group->Item(1)->SetVisible(false);
        lv->Groups()->Rebuild(true);
        const int width = lv->CellSizes()->ForView(view)->Width();
        EXPECT_EQ(group->Item(1)->VisibleIndexInGroup(), -1);
        EXPECT_EQ(group->Item(1)->ViewRect().Width(), 0);
        EXPECT_EQ(group->Item(2)->ViewRect().Left, width);
        EXPECT_EQ(group->Item(2)->ViewRect().Top, 0);
        EXPECT_EQ(group->Item(2)->VisibleIndexInGroup(), 1);
        EXPECT_EQ(group->VisibleItem(1), group->Item(2));
        EXPECT_EQ(group->VisibleCount(), 2);
    }
}

TEST_F(LayoutTest, VisibleIndexesRunOnAcrossGroupsInEveryLayout)
{
    for (const TLqListStyle view : {elsIcon, elsList, elsFilmStrip, elsReport, elsGrid}) {
        SCOPED_TRACE(view);
        lv.reset(new TLqListview(nullptr));
        make(400, 300, view);
        vistrel::listview::test::AddHeaderColumns(lv.get(), {100, 50});
        TLqGroup* first = group_with(3);
        TLqGroup* second = group_with(2);
        lv->Groups()->Rebuild(true);
        EXPECT_EQ(second->Item(0)->VisibleIndex(), 3);
        EXPECT_EQ(second->Item(0)->VisibleIndexInGroup(), 0);
        EXPECT_EQ(second->Item(1)->VisibleIndex(), 4);
        EXPECT_EQ(first->Item(2)->VisibleIndex(), 2);
    }
}

TEST_F(LayoutTest, ACollapsedGroupKeepsTheHeightOfItsMargins)
{
    make(240, 400, elsIcon);
    lv->SetShowGroupMargins(true);
    TLqGroup* group = group_with(2);
    group->SetExpanded(false);
    EXPECT_EQ(group->ViewRect().Height(), group->MarginTopSize() + group->MarginBottomSize());
    EXPECT_EQ(group->Grid()->ColumnCount(), 0);
    EXPECT_EQ(group->Grid()->RowCount(), 0);
    EXPECT_EQ(group->VisibleCount(), 0);
}

TEST_F(LayoutTest, ItemsSitInsideTheGroupMargins)
{
    make(240, 400, elsIcon);
    lv->SetShowGroupMargins(true);
    lv->GetPaintInfoGroup()->MarginLeft()->SetVisible(true);
    lv->GetPaintInfoGroup()->MarginLeft()->SetSize(10);
    TLqGroup* a = group_with(1);
    TLqGroup* b = group_with(1);
    lv->Groups()->Rebuild(true);
    const int top = a->MarginTopSize();
    EXPECT_EQ(a->Item(0)->ViewRect(), Rect(10, top, 85, top + 75));
    EXPECT_EQ(b->ViewRect().Top, a->ViewRect().Bottom);
    EXPECT_EQ(b->Item(0)->ViewRect().Top, a->ViewRect().Bottom + top);
}

// An item view whose whole caption runs 20 pixels below the cell.
class TallCaptionView : public TLqViewItem {
public:
    using TLqViewItem::TLqViewItem;
    static const TLqViewItemClassInfo Class;
    TLqViewItemClass ClassType() const override { return &Class; }
    void ItemRectArray(TLqItem* item, TLqColumn* column, TCanvas* canvas, const QString& caption,
                       TLqRectArrayObject& rects) override
    {
        TLqViewItem::ItemRectArray(item, column, canvas, caption, rects);
        rects.FullTextRect = item->ViewRect();
        rects.FullTextRect.Bottom += 20;
    }
};
const TLqViewItemClassInfo TallCaptionView::Class{
    "TallCaptionView", TLqViewItem::ClassInfo(),
    [](TLqGroup* group) -> TLqViewItem* { return new TallCaptionView(group); }};

TEST_F(LayoutTest, TheGroupOfTheFocusedItemGrowsToHoldItsWholeCaption)
{
    make(3 * 75 + GetSystemMetrics(SM_CYVSCROLL) + 1, 1000, elsIcon);
    lv->OnItemCustomView = [](TCustomLqListview*, TLqItem*, TLqListStyle, TLqViewItemClass& view) {
        view = &TallCaptionView::Class;
    };
    TLqGroup* a = group_with(3);
    TLqGroup* b = group_with(3);
    a->Item(1)->SetFocused(true);
    lv->Groups()->Rebuild(true);
    EXPECT_EQ(a->ViewRect().Height(), 75) << "only the last group grows by default";
    lv->Selection()->SetResizeGroupOnFocus(true);
    lv->Groups()->Rebuild(true);
    EXPECT_EQ(a->ViewRect().Height(), 95);
    EXPECT_EQ(b->ViewRect().Top, 95);

    lv->Selection()->SetResizeGroupOnFocus(false);
    a->Item(1)->SetFocused(false);
    b->Item(2)->SetFocused(true);
    lv->Groups()->Rebuild(true);
    EXPECT_EQ(a->ViewRect().Height(), 75);
    EXPECT_EQ(b->ViewRect().Height(), 95);
}

// ---- Horizontal flow -----------------------------------------------------------------------

TEST_F(LayoutTest, TheFilmStripPlacesItsItemsInOneRow)
{
    ASSERT_EQ(GetSystemMetrics(SM_CXHSCROLL), 17);
    make(600, 150, elsFilmStrip);
    lv->CellSizes()->FilmStrip()->SetSize(80, 108);
    TLqGroup* group = group_with(10);
    for (int n = 0; n < 10; ++n)
        EXPECT_EQ(group->Item(n)->ViewRect(), Rect(80 * n, 0, 80 * n + 80, 108)) << n;
    EXPECT_EQ(group->Grid()->RowCount(), 1);
    EXPECT_EQ(group->Grid()->ColumnCount(), 10);
    EXPECT_EQ(group->ViewRect().Left, 0);
    EXPECT_EQ(group->ViewRect().Width(), 800);
    EXPECT_FALSE(bars()->VertBarVisible());
}

TEST_F(LayoutTest, TheListViewFillsColumnsAndAnEmptyGroupIsAsWideAsItsCaption)
{
    // 17 rows of 17 pixels fit 17 * 17 + 17 + 1 pixels.
    make(600, 17 * 17 + 17 + 1 + 5, elsList);
    TLqGroup* group = group_with(20);
    EXPECT_EQ(group->Grid()->RowCount(), 17);
    EXPECT_EQ(group->Grid()->ColumnCount(), 2);
    EXPECT_EQ(group->Item(16)->ViewRect(), Rect(0, 16 * 17, 200, 17 * 17));
    EXPECT_EQ(group->Item(17)->ViewRect(), Rect(200, 0, 400, 17));
    EXPECT_EQ(group->ViewRect().Right, 400);

    TLqGroup* empty = lv->Groups()->Add(nullptr);
    empty->SetCaption(QStringLiteral("An empty group"));
    lv->Groups()->Rebuild(true);
    EXPECT_EQ(empty->ViewRect().Left, 400);
    TCanvas* canvas = lv->ScratchCanvas();
    canvas->Font()->Assign(lv->GroupFont());
    EXPECT_GE(empty->ViewRect().Right, 400 + canvas->TextWidth(empty->Caption()));
    EXPECT_EQ(empty->Grid()->ColumnCount(), 0);
}

// ---- Column grids --------------------------------------------------------------------------

TEST_F(LayoutTest, TheReportViewStartsTwoPixelsDownAndEndsFourBelowItsLastItem)
{
    make(400, 300, elsReport);
    vistrel::listview::test::AddHeaderColumns(lv.get(), {100, 60});
    TLqGroup* a = group_with(2);
    TLqGroup* b = group_with(3);
    lv->Groups()->Rebuild(true);
    EXPECT_EQ(a->ViewRect(), Rect(0, 2, 160, 2 + 2 * 17));
    EXPECT_EQ(a->Item(1)->ViewRect(), Rect(0, 19, 160, 36));
    EXPECT_EQ(b->ViewRect().Top, a->ViewRect().Bottom);
    EXPECT_EQ(b->ViewRect().Bottom, b->Item(2)->ViewRect().Bottom + 4);
    EXPECT_EQ(a->Grid()->ColumnCount(), 1);
}

TEST_F(LayoutTest, TheGridViewFollowsTheHeaderColumns)
{
    make(400, 300, elsGrid);
    vistrel::listview::test::AddHeaderColumns(lv.get(), {100, 60, 40});
    TLqGroup* group = group_with(5);
    lv->Groups()->Rebuild(true);
    EXPECT_EQ(group->Item(0)->ViewRect(), Rect(0, 0, 100, 17));
    EXPECT_EQ(group->Item(1)->ViewRect(), Rect(100, 0, 160, 17));
    EXPECT_EQ(group->Item(2)->ViewRect(), Rect(160, 0, 200, 17));
    EXPECT_EQ(group->Item(3)->ViewRect(), Rect(0, 17, 100, 34));
    EXPECT_EQ(group->Grid()->ColumnCount(), 3);
    EXPECT_EQ(group->Grid()->RowCount(), 2);
    EXPECT_EQ(group->ViewRect(), Rect(0, 0, 200, 34));

    // Without columns nothing is read past the header's list.
    lv->Header()->Columns()->Clear(true);
    lv->Groups()->Rebuild(true);
    EXPECT_EQ(group->Grid()->ColumnCount(), 0);
    EXPECT_EQ(group->Grid()->RowCount(), 0);
    EXPECT_EQ(group->Item(4)->ViewRect().Width(), 0);
}

// ---- Cells below one pixel -----------------------------------------------------------------

TEST_F(LayoutTest, CellsOfNoSizeCountAsOnePixelWhereverTheyDivide)
{
    for (const TLqListStyle view : {elsList, elsSmallIcon, elsFilmStrip}) {
        SCOPED_TRACE(view);
        lv.reset(new TLqListview(nullptr));
        make(300, 150, view);
        group_with(4);
        TLqCellSize* cell = lv->CellSizes()->ForView(view);
        cell->SetAutoSizeCaption(true);
        cell->SetSize(0, 0);
        lv->Groups()->Rebuild(true);
        TLqGroup* group = lv->Groups()->Groups(0);
        EXPECT_GE(group->Grid()->ColumnCount(), 1);
        EXPECT_GE(group->Grid()->RowCount(), 1);
        bars()->Scroll(100, 0);
        bars()->Scroll(-100, 0);
        EXPECT_EQ(bars()->OffsetX(), 0);
    }
}

// ---- Neighbours ----------------------------------------------------------------------------

TEST_F(LayoutTest, AnInvisibleItemHasNoNeighbours)
{
    for (const TLqListStyle view : {elsIcon, elsList, elsFilmStrip}) {
        lv.reset(new TLqListview(nullptr));
        make(300, 150, view);
        TLqGroup* group = group_with(3);
        group->Item(1)->SetVisible(false);
        try {
            lv->Groups()->AdjacentItem(group->Item(1), acdRight);
            ADD_FAILURE() << view;
        } catch (const EAssertionFailed& error) {
            EXPECT_EQ(error.Message(),
                      QStringLiteral("Can not find TLqGroups.AdjacentItem of an Invisible Item"));
        }
    }
}

TEST_F(LayoutTest, VerticalFlowNeighboursCrossIntoTheNearestGroups)
{
    // Three cells a row: a holds 5 items (rows of 3 and 2), b holds 2.
    make(3 * 75 + GetSystemMetrics(SM_CYVSCROLL) + 1, 1000, elsIcon);
    TLqGroup* a = group_with(5);
    TLqGroup* b = group_with(2);
    TLqGroups* groups = lv->Groups();
    const struct {
        TLqItem* from;
        TLqAdjacentCellDir direction;
        TLqItem* expected;
    } cases[] = {
        {a->Item(1), acdLeft, a->Item(0)},
        {a->Item(0), acdLeft, a->Item(0)},  // nothing before: the item itself
        {a->Item(4), acdRight, b->Item(0)}, // past the last: the next group's first
        {b->Item(1), acdRight, b->Item(1)},
        {a->Item(4), acdUp, a->Item(1)},
        {a->Item(1), acdUp, nullptr},
        {b->Item(1), acdUp, a->Item(4)}, // the last row of a that has column 1
        {a->Item(0), acdDown, a->Item(3)},
        {a->Item(2), acdDown, b->Item(1)}, // column 2 not in b: searched down to 1
        {b->Item(0), acdDown, nullptr},
    };
    for (const auto& c : cases)
        EXPECT_EQ(groups->AdjacentItem(c.from, c.direction), c.expected)
            << c.from->Caption().toStdString() << " " << c.direction;
}

TEST_F(LayoutTest, FilmStripNeighboursAreTheItemsBesideAndPagesStay)
{
    make(600, 150, elsFilmStrip);
    lv->CellSizes()->FilmStrip()->SetSize(80, 108);
    TLqGroup* group = group_with(4);
    TLqGroups* groups = lv->Groups();
    EXPECT_EQ(groups->AdjacentItem(group->Item(1), acdLeft), group->Item(0));
    EXPECT_EQ(groups->AdjacentItem(group->Item(1), acdUp), group->Item(0));
    EXPECT_EQ(groups->AdjacentItem(group->Item(1), acdRight), group->Item(2));
    EXPECT_EQ(groups->AdjacentItem(group->Item(1), acdDown), group->Item(2));
    EXPECT_EQ(groups->AdjacentItem(group->Item(1), acdPageDown), group->Item(1));
    EXPECT_EQ(groups->AdjacentItem(group->Item(1), acdPageUp), group->Item(1));
    EXPECT_EQ(groups->AdjacentItem(group->Item(3), acdRight), nullptr);
    EXPECT_EQ(groups->AdjacentItem(group->Item(3), acdDown), group->Item(3));
}

TEST_F(LayoutTest, ListViewPagesGoToTheEndsOfTheColumn)
{
    make(600, 5 * 17 + 17 + 1 + 3, elsList); // five rows
    TLqGroup* group = group_with(12);
    ASSERT_EQ(group->Grid()->RowCount(), 5);
    TLqGroups* groups = lv->Groups();
    EXPECT_EQ(groups->AdjacentItem(group->Item(6), acdPageDown), group->Item(9));
    EXPECT_EQ(groups->AdjacentItem(group->Item(6), acdPageUp), group->Item(5));
    EXPECT_EQ(groups->AdjacentItem(group->Item(11), acdPageDown), group->Item(11));
    EXPECT_EQ(groups->AdjacentItem(group->Item(6), acdLeft), group->Item(1));
    EXPECT_EQ(groups->AdjacentItem(group->Item(6), acdRight), group->Item(11));
    EXPECT_EQ(groups->AdjacentItem(group->Item(8), acdRight), nullptr);
}

TEST_F(LayoutTest, VerticalPagesProbeAClientHeightAway)
{
    // One cell a row, client 200 high: a page is two and a bit cells.
    make(100, 200, elsIcon);
    TLqGroup* group = group_with(8);
    TLqGroups* groups = lv->Groups();
    EXPECT_EQ(groups->AdjacentItem(group->Item(0), acdPageDown), group->Item(2));
    EXPECT_EQ(groups->AdjacentItem(group->Item(7), acdPageDown), group->Item(7));
    EXPECT_EQ(groups->AdjacentItem(group->Item(5), acdPageUp), group->Item(3));
    EXPECT_EQ(groups->AdjacentItem(group->Item(1), acdPageUp), group->Item(0));
}

TEST_F(LayoutTest, ReportPagesStopOnceTheProbePassesTheItem)
{
    make(300, 100, elsReport);
    vistrel::listview::test::AddHeaderColumns(lv.get(), {200});
    lv->SetShowGroupMargins(true);
    lv->GetPaintInfoGroup()->MarginLeft()->SetVisible(true);
    lv->GetPaintInfoGroup()->MarginLeft()->SetSize(10);
    TLqGroup* group = group_with(20);
    lv->Groups()->Rebuild(true);
    TLqGroups* groups = lv->Groups();
    ASSERT_EQ(group->Item(0)->ViewRect().Left, 10) << "no row lies under x 0";
    TLqItem* down = groups->AdjacentItem(group->Item(0), acdPageDown);
    ASSERT_NE(down, nullptr);
    EXPECT_GT(down->Index(), 0);
    // The last item at the bottom of the client area pages to nothing.
    bars()->SetOffsetY(bars()->MaxOffsetY());
    EXPECT_EQ(groups->AdjacentItem(group->Item(19), acdPageDown), nullptr);
    EXPECT_EQ(groups->AdjacentItem(group->Item(3), acdUp), group->Item(2));
    EXPECT_EQ(groups->AdjacentItem(group->Item(3), acdDown), group->Item(4));
}

TEST_F(LayoutTest, AnInsertPositionIsBeforeOrAfterTheItemByHalves)
{
    make(400, 300, elsIcon);
    TLqGroup* group = group_with(3);
    TLqGroup* found = nullptr;
    int index = 7;
    group->Grid()->FindInsertPosition(TPoint{80, 10}, found, index);
    EXPECT_EQ(found, group);
    EXPECT_EQ(index, 1);
    group->Grid()->FindInsertPosition(TPoint{120, 10}, found, index);
    EXPECT_EQ(index, 2);
    group->Grid()->FindInsertPosition(TPoint{300, 10}, found, index);
    EXPECT_EQ(found, group);
    EXPECT_EQ(index, -1) << "in the group, under no item";

    lv->SetView(elsList);
    found = nullptr;
    index = 7;
    group->Grid()->FindInsertPosition(TPoint{10, 5}, found, index);
    EXPECT_EQ(found, nullptr) << "the list view leaves both as they were";
    EXPECT_EQ(index, 7);
}

// ---- Scroll bars ---------------------------------------------------------------------------

TEST_F(LayoutTest, AViewWithinTheClientNeitherScrollsNorShowsABar)
{
    make(600, 150, elsFilmStrip);
    lv->CellSizes()->FilmStrip()->SetSize(80, 108);
    group_with(3);
    int scrolls = 0;
    lv->OnScroll = [&](TCustomLqListview*, int, int) { ++scrolls; };
    EXPECT_EQ(bars()->MaxOffsetX(), 0);
    EXPECT_FALSE(bars()->HorzBarVisible());
    bars()->Scroll(100, 0);
    EXPECT_EQ(bars()->OffsetX(), 0);
    EXPECT_EQ(scrolls, 0);
}

// The main window resizes the film strip through its bounds, as alignment does.
TEST_F(LayoutTest, ResizingTheControlLaysItOutAgainAndSetsTheBars)
{
    make(3 * 75 + GetSystemMetrics(SM_CYVSCROLL) + 1, 400, elsIcon);
    TLqGroup* group = group_with(4);
    ASSERT_EQ(group->Item(3)->ViewRect(), Rect(0, 75, 75, 150));
    lv->SetWidth(600);
    EXPECT_EQ(group->Item(3)->ViewRect(), Rect(225, 0, 300, 75)) << "one row now";

    lv->SetView(elsFilmStrip);
    lv->CellSizes()->FilmStrip()->SetSize(80, 108);
    lv->SetHeight(150);
    EXPECT_FALSE(bars()->HorzBarVisible());
    lv->SetWidth(200);
    EXPECT_TRUE(bars()->HorzBarVisible()) << "four cells of 80 in 200";
    lv->SetWidth(600);
    EXPECT_FALSE(bars()->HorzBarVisible());
}

TEST_F(LayoutTest, TheListViewSnapsToItsListCells)
{
    make(300, 150, elsList);
    lv->CellSizes()->List()->SetWidth(209);
    group_with(50);
    ASSERT_TRUE(bars()->HorzBarVisible());
    bars()->SetOffsetX(250);
    EXPECT_EQ(bars()->OffsetX(), 209);
    bars()->SetOffsetX(330);
    EXPECT_EQ(bars()->OffsetX(), 418);
    const int range = bars()->ViewWidth() - lv->ClientWidth();
    EXPECT_EQ(bars()->MaxOffsetX(), range / 209 * 209 + 209);
}

TEST_F(LayoutTest, TheFilmStripSnapsToItsOwnCellSoOneCellStepsScroll)
{
    make(300, 150, elsFilmStrip);
    lv->CellSizes()->FilmStrip()->SetSize(80, 108);
    group_with(20);
    std::vector<int> deltas;
    lv->OnScroll = [&](TCustomLqListview*, int dx, int dy) {
        deltas.push_back(dx);
        EXPECT_EQ(dy, 0);
    };
    // The list cell (200) would pull this step back to 0.
    bars()->Scroll(80, 0);
    EXPECT_EQ(bars()->OffsetX(), 80);
    EXPECT_EQ(deltas, (std::vector<int>{-80}));
    bars()->SetOffsetX(100);
    EXPECT_EQ(bars()->OffsetX(), 80);
    bars()->SetOffsetX(130);
    EXPECT_EQ(bars()->OffsetX(), 160);

    // Past the last cell's start the offset goes on to the maximum.
    bars()->SetOffsetX(100000);
    EXPECT_EQ(bars()->OffsetX(), bars()->MaxOffsetX());
    EXPECT_EQ(bars()->MaxOffsetX() % 80, 0);
    EXPECT_GE(bars()->MaxOffsetX() + lv->ClientWidth(), bars()->ViewWidth());

    bars()->SetSnapHorzView(false);
    bars()->SetOffsetX(130);
    EXPECT_EQ(bars()->OffsetX(), 130);
    // Clearing the items at the control's end scrolls back to 0; deltas is gone by then.
    lv->OnScroll = nullptr;
}

TEST_F(LayoutTest, AVerticalBarIsShownOnlyWhenEnabledAndNeeded)
{
    make(240, 100, elsIcon);
    group_with(12);
    EXPECT_TRUE(bars()->VertBarVisible());
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(lv->Handle(), SB_VERT, &info));
    EXPECT_EQ(info.nMax, bars()->ViewHeight() - 1);
    EXPECT_EQ(static_cast<int>(info.nPage), lv->ClientHeight());

    bars()->SetVertEnabled(false);
    EXPECT_FALSE(bars()->VertBarVisible());
    group_with(12);
    bars()->ReCalculateScrollbars(true, true);
    EXPECT_FALSE(bars()->VertBarVisible());
    bars()->SetVertEnabled(true);
    EXPECT_TRUE(bars()->VertBarVisible());
}

TEST_F(LayoutTest, ScrollMessagesAndKeysMoveTheOffsets)
{
    make(240, 100, elsIcon);
    group_with(30);
    TMessage message;
    message.Msg = WM_VSCROLL;
    message.WParam = SB_LINEDOWN;
    bars()->WMVScroll(message);
    EXPECT_EQ(bars()->OffsetY(), bars()->Line());
    message.WParam = SB_BOTTOM;
    bars()->WMVScroll(message);
    EXPECT_EQ(bars()->OffsetY(), bars()->MaxOffsetY());
    message.WParam = SB_TOP;
    bars()->WMVScroll(message);
    EXPECT_EQ(bars()->OffsetY(), 0);

    std::vector<TLqScrollDirection> ends;
    lv->FOnScrollEnd = [&](TCustomLqListview*, TLqScrollDirection direction) {
        ends.push_back(direction);
    };
    message.WParam = SB_ENDSCROLL;
    bars()->WMVScroll(message);
    message.Msg = WM_HSCROLL;
    bars()->WMHScroll(message);
    EXPECT_EQ(ends, (std::vector<TLqScrollDirection>{esdVertical, esdHorizontal}));

    TMessage key;
    key.Msg = WM_KEYDOWN;
    key.WParam = VK_NEXT;
    bars()->WMKeyDown(key);
    EXPECT_EQ(bars()->OffsetY(), lv->ClientHeight());
    key.WParam = VK_UP;
    bars()->WMKeyDown(key);
    EXPECT_EQ(bars()->OffsetY(), lv->ClientHeight() - bars()->Line());
    key.WParam = 'A';
    bars()->WMKeyDown(key);
    EXPECT_EQ(bars()->OffsetY(), lv->ClientHeight() - bars()->Line());
}

TEST_F(LayoutTest, SnappedHorizontalMessagesStepByCells)
{
    make(300, 150, elsFilmStrip);
    lv->CellSizes()->FilmStrip()->SetSize(80, 108);
    group_with(20);
    TMessage message;
    message.Msg = WM_HSCROLL;
    message.WParam = SB_LINERIGHT;
    bars()->WMHScroll(message);
    EXPECT_EQ(bars()->OffsetX(), 80);
    message.WParam = SB_PAGERIGHT;
    bars()->WMHScroll(message);
    EXPECT_EQ(bars()->OffsetX(), 160);
    message.WParam = SB_RIGHT;
    bars()->WMHScroll(message);
    EXPECT_EQ(bars()->OffsetX(), bars()->MaxOffsetX());
    message.WParam = SB_LEFT;
    bars()->WMHScroll(message);
    EXPECT_EQ(bars()->OffsetX(), 0);
}

TEST_F(LayoutTest, MappingTakesTheOffsetsAndTheHeaderWhenAsked)
{
    make(300, 200, elsReport);
    vistrel::listview::test::AddHeaderColumns(lv.get(), {400});
    lv->Header()->SetVisible(true);
    group_with(40);
    lv->Groups()->Rebuild(true);
    bars()->SetOffsetY(34);
    bars()->SetOffsetX(50);
    const int header = lv->Header()->Height();
    EXPECT_EQ(bars()->MapWindowToView(TPoint{10, 30}, false), Point(60, 64));
    EXPECT_EQ(bars()->MapWindowToView(TPoint{10, 30}, true), Point(60, 64 - header));
    EXPECT_EQ(bars()->MapViewToWindow(Point(60, 64 - header), true), Point(10, 30));
    const uint32_t packed = (static_cast<uint32_t>(static_cast<uint16_t>(-5)) << 16) | 7u;
    EXPECT_EQ(bars()->MapWindowToView(packed, false), Point(57, 29));
    EXPECT_EQ(bars()->MapWindowRectToViewRect(Rect(0, 0, 10, 10), true),
              Rect(50, 34 - header, 60, 44 - header));
    EXPECT_EQ(bars()->MapViewRectToWindowRect(Rect(50, 34, 60, 44), false), Rect(0, 0, 10, 10));
    EXPECT_EQ(bars()->ViewableViewportRect(),
              bars()->MapWindowRectToViewRect(lv->ClientRect(), true));
    EXPECT_EQ(bars()->MaxOffsetY(), bars()->ViewHeight() + header - lv->ClientHeight());
}

// ---- Gestures ------------------------------------------------------------------------------

TEST_F(LayoutTest, AGestureCollectsClearDirectionsWithoutRepeats)
{
    TLqGestureManager* gesture = lv->Gesture();
    EXPECT_FALSE(gesture->Enabled());
    EXPECT_EQ(gesture->Tolerance(), 3);
    EXPECT_EQ(gesture->Button(), TLqCommonMouseButtons{cmbRight});
    const TLqCommonKeyStates right{cksRButton};
    EXPECT_TRUE(gesture->MouseMove(10, 0, right).isNull()) << "disabled";
    gesture->SetEnabled(true);
    EXPECT_EQ(gesture->MouseMove(5, 1, right), QLatin1Char('R'));
    EXPECT_TRUE(gesture->MouseMove(4, 0, right).isNull());
    EXPECT_EQ(gesture->MouseMove(0, 7, right), QLatin1Char('D'));
    EXPECT_EQ(gesture->Path(), QStringLiteral("RD"));
    EXPECT_TRUE(gesture->MouseMove(7, 7, right).isNull()) << "diagonal";
    EXPECT_TRUE(gesture->MouseMove(-9, 0, TLqCommonKeyStates{cksLButton}).isNull())
        << "another button";
    EXPECT_EQ(gesture->MouseMove(-9, 0, right), QLatin1Char('L'));
    EXPECT_EQ(gesture->MouseMove(0, -4, right), QLatin1Char('U'));
    EXPECT_EQ(gesture->Path(), QStringLiteral("RDLU"));

    EXPECT_TRUE(gesture->GestureOnRelease());
    lv->IncludeState(ebcsDragSelecting);
    EXPECT_FALSE(gesture->GestureOnRelease());
    lv->ExcludeState(ebcsDragSelecting);
    gesture->ClearPath();
    EXPECT_FALSE(gesture->GestureOnRelease());
}

// ---- Fitting the cells to the captions -----------------------------------------------------

TEST_F(LayoutTest, TheCellFitsTheFirstOfTheLongestCaptions)
{
    make(600, 300, elsList);
    TLqGroup* group = lv->Groups()->Add(nullptr);
    const QString captions[] = {QStringLiteral("ab"), QStringLiteral("iiii"),
                                QStringLiteral("WWWW"), QStringLiteral("a much longer one")};
    for (const QString& caption : captions)
        group->Items()->Add(nullptr)->SetCaption(caption);
    group->Item(3)->SetVisible(false); // hidden captions do not count

    TOwned<TCanvas> canvas{new TCanvas};
    HDC screen = GetDC(nullptr);
    canvas->SetHandle(screen);
    const auto fitted = [&](TLqItem* item) {
        TLqRectArrayObject rects;
        item->ItemRectArray(nullptr, canvas.get(), rects);
        canvas->Font()->Assign(lv->Font());
        item->View()->LoadTextFont(item, 0, canvas.get(), true);
        return rects.CheckRect.Width() + rects.IconRect.Width() + rects.StateRect.Width() +
               canvas->TextWidth(item->Caption()) + 18;
    };
    const int by_second = fitted(group->Item(1));
    const int by_third = fitted(group->Item(2));
    canvas->SetHandle(nullptr);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(by_second, by_third) << "the two captions of four must measure apart";

    TLqCellSize* list = lv->CellSizes()->List();
    list->SetAutoSizeCaption(true);
    EXPECT_EQ(list->Width(), by_second);
    EXPECT_EQ(list->Height(), 17) << "the height stays";
    EXPECT_EQ(group->Item(1)->ViewRect().Width(), by_second);
    list->SetAutoSizeCaption(false);
    EXPECT_EQ(list->Width(), 200);
}

TEST_F(LayoutTest, AutoFitSwitchesTheCurrentViewsCellToTheCaptions)
{
    make(400, 300, elsIcon);
    lv->AutoFitAllCellCaptions(true);
    EXPECT_FALSE(lv->CellSizes()->Icon()->AutoSizeCaption()) << "not for the icon view";
    for (const TLqListStyle view : {elsSmallIcon, elsList, elsGrid}) {
        lv->SetView(view);
        lv->AutoFitAllCellCaptions(false);
        EXPECT_TRUE(lv->CellSizes()->ForView(view)->AutoSizeCaption()) << view;
    }
    EXPECT_FALSE(lv->CellSizes()->Report()->AutoSizeCaption());
}

}
