// The list-view control's shell: the update lock, painting through the back buffer,
// the pointer's enter and exit, views, the control's stream and destruction.

#include "framework/classes.h"
#include "listview/groups.h"
#include "listview/items.h"
#include "listview/listview.h"
#include "listview/selection.h"
#include "platform/clipboard.h"
#include "platform/qt.h"
#include "platform/user_input.h"
#include "platform/user_paint.h"

#include <QtGui/QImage>

#include <gtest/gtest.h>

#include <vector>

using namespace fw;
using namespace vistrel::listview;

namespace {

// A canvas control that counts its update and paint steps and paints red.
class CountingControl : public TLqCommonCanvasControl {
public:
    using TLqCommonCanvasControl::TLqCommonCanvasControl;
    int updates = 0;
    int paints = 0;
    int enters = 0;
    int exits = 0;

protected:
    void DoUpdate() override { ++updates; }
    void DoPaintRect(TCanvas* canvas, const TRect& clip_rect, bool) override
    {
        ++paints;
        canvas->Brush()->SetColor(clRed);
        canvas->FillRect(clip_rect);
    }
    void DoMouseEnter(TPoint& pos) override
    {
        ++enters;
        TLqCommonCanvasControl::DoMouseEnter(pos);
    }
    void DoMouseExit() override
    {
        ++exits;
        TLqCommonCanvasControl::DoMouseExit();
    }
};

TOwned<CountingControl> shown_control()
{
    TOwned<CountingControl> control(new CountingControl(nullptr));
    control->SetBorderStyle(bsNone);
    control->SetBounds(0, 0, 120, 90);
    control->HandleNeeded();
    return control;
}

void paint_now(HWND window, const RECT& area)
{
    InvalidateRect(window, &area, FALSE);
    UpdateWindow(window);
}

TEST(CanvasControl, AnUnmatchedEndUpdateStaysAtZeroAndStillRunsDoUpdate)
{
    TOwned<CountingControl> control(new CountingControl(nullptr));
    int ends = 0;
    control->OnEndUpdate = [&](TObject*) { ++ends; };
    control->EndUpdate();
    EXPECT_EQ(control->UpdateCount(), 0);
    EXPECT_EQ(control->updates, 1);
    EXPECT_EQ(ends, 1);
    // The next pair nests normally from 0.
    control->BeginUpdate();
    EXPECT_EQ(control->UpdateCount(), 1);
    control->EndUpdate();
    EXPECT_EQ(control->updates, 2);
}

TEST(CanvasControl, PaintsNothingUntilTheLastEndUpdateAndThenOnlyTheInvalidRectangle)
{
    TOwned<CountingControl> control = shown_control();
    HWND window = control->Handle();
    for (int i = 0; i < 3; ++i)
        control->BeginUpdate();
    control->EndUpdate();
    control->EndUpdate();
    paint_now(window, RECT{10, 10, 30, 30});
    EXPECT_EQ(control->paints, 0);
    // The locked paint still validated the area.
    RECT pending{};
    EXPECT_FALSE(GetUpdateRect(window, &pending, FALSE));
    EXPECT_NE(platform::test::WindowSurface(window).pixel(15, 15) & 0xFFFFFF, 0xFF0000u);

    control->EndUpdate();
    EXPECT_EQ(control->updates, 1);
    paint_now(window, RECT{10, 10, 30, 30});
    EXPECT_EQ(control->paints, 1);
    const QImage surface = platform::test::WindowSurface(window);
    EXPECT_EQ(surface.pixel(15, 15) & 0xFFFFFF, 0xFF0000u);
    EXPECT_NE(surface.pixel(50, 50) & 0xFFFFFF, 0xFF0000u);
}

TEST(CanvasControl, ACachedBackBufferIsSizedAtOnceAndOnlyGrows)
{
    TOwned<CountingControl> control = shown_control();
    control->SetCacheDoubleBufferBits(true);
    ASSERT_NE(control->BackBits(), nullptr);
    EXPECT_EQ(control->BackBits()->Width(), 120);
    EXPECT_EQ(control->BackBits()->Height(), 90);
    paint_now(control->Handle(), RECT{0, 0, 120, 90});
    EXPECT_EQ(platform::test::WindowSurface(control->Handle()).pixel(100, 80) & 0xFFFFFF,
              0xFF0000u);

    control->SetBounds(0, 0, 200, 60);
    EXPECT_EQ(control->BackBits()->Width(), 200);
    EXPECT_EQ(control->BackBits()->Height(), 90);
    control->SetCacheDoubleBufferBits(false);
    EXPECT_EQ(control->BackBits(), nullptr);
}

TEST(CanvasControl, ThePointerIsAnnouncedOnceAndTheLeaveMessageEndsThePoll)
{
    TOwned<CountingControl> control = shown_control();
    HWND window = control->Handle();
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(25, 20));
    EXPECT_EQ(control->enters, 1);
    EXPECT_TRUE(control->MouseInWindow());
    EXPECT_TRUE(control->MouseTimerRunning());

    // Captured, the pointer may leave without ending the poll.
    SetCapture(window);
    control->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(control->MouseTimerRunning());
    EXPECT_EQ(control->exits, 0);
    ReleaseCapture();

    control->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(control->MouseTimerRunning());
    EXPECT_FALSE(control->MouseInWindow());
    EXPECT_EQ(control->exits, 1);
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    EXPECT_EQ(control->enters, 2);
}

TEST(Listview, ConstructionGivesTheDefaults)
{
    TOwned<TLqListview> lv(new TLqListview(nullptr));
    EXPECT_EQ(lv->View(), elsIcon);
    EXPECT_EQ(lv->WheelMouseDefaultScroll(), edwsVert);
    EXPECT_TRUE(lv->WheelMouseScrollModifierEnabled());
    EXPECT_EQ(lv->DisabledBlendAlpha(), 128);
    EXPECT_EQ(lv->DisabledBlendColor(), clWindow);
    EXPECT_EQ(lv->Color(), clWindow);
    EXPECT_TRUE(lv->TabStop());
    EXPECT_TRUE(lv->ShowImages());
    EXPECT_FALSE(lv->ShowGroupMargins());
    EXPECT_EQ(lv->BorderStyle(), bsSingle);
    EXPECT_FALSE(lv->Themed()) << "the platform has no visual themes";
    EXPECT_FALSE(lv->ControlStyle().Contains(csCaptureMouse));
    EXPECT_EQ(lv->ScratchCanvas(), nullptr) << "no window yet";
    EXPECT_EQ(lv->Groups()->Count(), 0);
    EXPECT_EQ(lv->Items()->Count(), 0);
}

TEST(Listview, TheUnitStartUpRegistersTheHeaderFormatAndTheStreamedClasses)
{
    EXPECT_NE(LqHeaderClipboardFormat(), 0u);
    EXPECT_EQ(LqHeaderClipboardFormat(),
              RegisterClipboardFormatW(reinterpret_cast<LPCWSTR>(u"LqListview.Header")));
    for (const char* name : {"TLqItemStored", "TLqItemVirtual", "TLqItemInterfaced",
                             "TLqGroupStored", "TLqGroupVirtual", "TLqGroupInterfaced"})
        EXPECT_NE(GetClass(QString::fromLatin1(name)), nullptr) << name;
}

TEST(Listview, SettingTheViewSetsTheWheelDirectionAndTheSameViewRaisesNothing)
{
    TOwned<TLqListview> lv(new TLqListview(nullptr));
    int changes = 0;
    lv->OnViewChange = [&](TCustomLqListview*) { ++changes; };
    const struct {
        TLqListStyle view;
        TLqDefaultWheelScroll wheel;
        bool thumbnails;
    } cases[] = {
        {elsFilmStrip, edwsHorz, true}, {elsReport, edwsVert, false}, {elsList, edwsHorz, false},
        {elsThumbnail, edwsVert, true}, {elsGrid, edwsVert, false},
    };
    for (const auto& c : cases) {
        lv->SetView(c.view);
        EXPECT_EQ(lv->WheelMouseDefaultScroll(), c.wheel) << c.view;
        EXPECT_EQ(lv->IsThumbnailView(), c.thumbnails) << c.view;
    }
    EXPECT_EQ(changes, 5);
    lv->SetWheelMouseDefaultScroll(edwsHorz);
    lv->SetView(elsGrid);
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(lv->WheelMouseDefaultScroll(), edwsHorz);
}

std::vector<uint8_t> bytes_of(TMemoryStream& stream)
{
    const auto* data = static_cast<const uint8_t*>(stream.Memory());
    return std::vector<uint8_t>(data, data + stream.Size());
}

TEST(Listview, AnEmptyControlSavesVersionSixAndItsViewAndLoadsBack)
{
    TOwned<TLqListview> lv(new TLqListview(nullptr));
    lv->SetView(elsFilmStrip);
    TMemoryStream stream;
    lv->SaveToStream(&stream);
    const std::vector<uint8_t> expected = {
        6, 0, 0, 0, elsFilmStrip, // control: version, view
        6, 0, 0, 0, 0,
        0, 0, 0, // groups: version, count
        6, 0, 0, 0, 0,
        0, 0, 0, // columns: version, count
    };
    EXPECT_EQ(bytes_of(stream), expected);

    TOwned<TLqListview> other(new TLqListview(nullptr));
    stream.SetPosition(0);
    other->LoadFromStream(&stream);
    EXPECT_EQ(other->View(), elsFilmStrip);
    EXPECT_EQ(other->WheelMouseDefaultScroll(), edwsHorz);
    EXPECT_EQ(stream.Position(), stream.Size());
    EXPECT_EQ(other->UpdateCount(), 0);
}

TEST(Listview, AStreamOfVersionZeroChangesNothingAndABadViewIsRefused)
{
    TOwned<TLqListview> lv(new TLqListview(nullptr));
    lv->Items()->Add(nullptr);
    TMemoryStream zero;
    const uint8_t version_zero[] = {0, 0, 0, 0, elsReport};
    zero.WriteBuffer(version_zero, sizeof version_zero);
    zero.SetPosition(0);
    lv->LoadFromStream(&zero);
    EXPECT_EQ(lv->View(), elsIcon);
    EXPECT_EQ(lv->Items()->Count(), 1);

    TMemoryStream bad;
    const uint8_t bad_view[] = {6, 0, 0, 0, 8, 6, 0, 0, 0, 0, 0, 0, 0};
    bad.WriteBuffer(bad_view, sizeof bad_view);
    bad.SetPosition(0);
    EXPECT_THROW(lv->LoadFromStream(&bad), EReadError);
    EXPECT_EQ(lv->View(), elsIcon);
    EXPECT_EQ(lv->UpdateCount(), 0) << "the update lock is released on failure";
}

TEST(Listview, TheListedDispatchersStaySilentWhileDestroying)
{
    std::vector<QString> heard;
    auto* lv = new TLqListview(nullptr);
    lv->Selection()->SetMultiSelect(true);
    for (int i = 0; i < 3; ++i) {
        TLqItem* item = lv->Items()->Add(nullptr);
        item->SetSelected(true);
        item->SetChecked(true);
    }
    lv->Items()->Items(1)->SetFocused(true);
    auto record = [&heard](const char* name) {
        return [&heard, name](auto&&...) { heard.push_back(QString::fromLatin1(name)); };
    };
    lv->OnItemSelectionChanged = record("SelectionChanged");
    lv->OnItemSelectionChanging = record("SelectionChanging");
    lv->OnItemSelectionsChanged = record("SelectionsChanged");
    lv->OnItemCheckChange = record("CheckChange");
    lv->OnItemCheckChanging = record("CheckChanging");
    lv->OnItemVisibilityChanged = record("VisibilityChanged");
    lv->OnItemVisibilityChanging = record("VisibilityChanging");
    lv->OnGroupVisibilityChanged = record("GroupVisibilityChanged");
    lv->OnItemFreeing = record("Freeing");
    lv->OnGroupFreeing = record("GroupFreeing");
    lv->OnItemFocusChanged = record("FocusChanged");
    Free(lv);
    const std::vector<QString> expected = {
        QStringLiteral("FocusChanged"), QStringLiteral("Freeing"), QStringLiteral("Freeing"),
        QStringLiteral("Freeing"), QStringLiteral("GroupFreeing")};
    EXPECT_EQ(heard, expected);
}

TEST(Listview, StructureChangesInsideAnUpdateAreRaisedOnceAtTheEnd)
{
    TOwned<TLqListview> lv(new TLqListview(nullptr));
    int items = 0;
    int groups = 0;
    lv->OnItemStructureChange = [&](TObject*) { ++items; };
    lv->OnGroupStructureChange = [&](TObject*) { ++groups; };
    lv->BeginUpdate();
    for (int i = 0; i < 4; ++i)
        lv->Items()->Add(nullptr);
    EXPECT_EQ(items, 0);
    EXPECT_TRUE(lv->States().Contains(ebcsItemStructureUpdatePending));
    lv->EndUpdate();
    EXPECT_EQ(items, 1);
    EXPECT_EQ(groups, 1);
    EXPECT_FALSE(lv->States().Contains(ebcsItemStructureUpdatePending));
    lv->Items()->Add(nullptr);
    EXPECT_EQ(items, 2);
}

}
