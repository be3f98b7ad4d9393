// Incremental search and hints of the list-view control: typed characters select the
// first item whose caption starts with them, a pause on the test clock starts anew, the
// start types step through the items; a hint is measured and can be changed by its
// handler.

#include "framework/classes.h"
#include "framework/forms.h"
#include "listview/groups.h"
#include "listview/hints.h"
#include "listview/incremental_search.h"
#include "listview/items.h"
#include "listview/listview.h"
#include "listview/selection.h"
#include "platform/qt.h"
#include "platform/user_input.h"

#include <gtest/gtest.h>

#include <vector>

using namespace fw;
using namespace vistrel::listview;

namespace {

class SearchTest : public ::testing::Test {
protected:
    TOwned<TLqListview> lv{new TLqListview(nullptr)};

    void SetUp() override
    {
        platform::test::AdvanceClock(0);
        search()->SetEnabled(true);
    }
    void TearDown() override { platform::test::SetKeyState(VK_CONTROL, false); }
    TLqIncrementalSearchManager* search() const { return lv->IncrementalSearch(); }
    void fill(std::initializer_list<const char*> captions)
    {
        for (const char* caption : captions)
            lv->Items()->Add(nullptr)->SetCaption(QString::fromUtf8(caption));
    }
    // The key's WM_KEYDOWN, then its WM_CHAR, sent to the control.
    void type(char16_t character)
    {
        lv->Perform(WM_KEYDOWN, static_cast<WPARAM>(QChar(character).toUpper().unicode()), 0);
        lv->Perform(WM_CHAR, static_cast<WPARAM>(character), 0);
    }
    void wait(uint32_t milliseconds)
    {
        platform::test::AdvanceClock(milliseconds);
        Application->ProcessMessages();
    }
    QString selected() const
    {
        TLqItem* item = lv->Selection()->First();
        return item != nullptr ? item->Caption() : QStringLiteral("(none)");
    }
};

TEST_F(SearchTest, TypedLettersFindTheFirstItemStartingWithThemInAnyCase)
{
    fill({"apple", "bean", "Brick", "bread", "rose"});
    type(u'b');
    EXPECT_EQ(selected(), QStringLiteral("bean"));
    wait(1900);
    type(u'R');
    EXPECT_EQ(selected(), QStringLiteral("Brick"));
    EXPECT_EQ(lv->Selection()->FocusedItem()->Caption(), QStringLiteral("Brick"));
    EXPECT_EQ(lv->Selection()->Count(), 1);

    // Two seconds of silence end the search: "r" alone looks for "r".
    wait(2000);
    EXPECT_FALSE(search()->State().Contains(eissSearching));
    EXPECT_FALSE(search()->State().Contains(eissTimerRunning));
    EXPECT_TRUE(search()->SearchBuffer().isEmpty());
    type(u'r');
    EXPECT_EQ(selected(), QStringLiteral("rose"));
}

TEST_F(SearchTest, StartTypesDecideWhereARepeatedLetterGoes)
{
    fill({"blue", "apple", "Banana", "cherry", "bread"});
    // Starting over, the same letter again keeps the first item with it.
    type(u'b');
    type(u'b');
    EXPECT_EQ(selected(), QStringLiteral("blue"));
    EXPECT_EQ(search()->SearchBuffer(), QStringLiteral("b"));
    wait(2000);

    // From the last hit, each "b" steps on and wraps; a fresh search begins after the
    // first item, so that one comes last.
    search()->SetStartType(eissLastHit);
    std::vector<QString> hits;
    for (int i = 0; i < 4; ++i) {
        type(u'b');
        hits.push_back(selected());
    }
    EXPECT_EQ(hits, (std::vector<QString>{QStringLiteral("Banana"), QStringLiteral("bread"),
                                          QStringLiteral("blue"), QStringLiteral("Banana")}));
    // The last hit outlives the pause.
    wait(2000);
    type(u'b');
    EXPECT_EQ(selected(), QStringLiteral("bread"));
}

TEST_F(SearchTest, ControlKeysAndMissesLeaveTheSelectionAlone)
{
    fill({"apple", "bean", "cherry"});
    type(u'c');
    ASSERT_EQ(selected(), QStringLiteral("cherry"));

    // Ctrl+B: the search forgets its item and selects nothing.
    platform::test::SetKeyState(VK_CONTROL, true);
    type(u'\x02');
    platform::test::SetKeyState(VK_CONTROL, false);
    EXPECT_EQ(search()->SearchItem(), nullptr);
    EXPECT_EQ(selected(), QStringLiteral("cherry"));
    type(u'b');
    EXPECT_EQ(selected(), QStringLiteral("cherry"));
    wait(2000);

    // No caption starts with the text: nothing changes.
    type(u'z');
    EXPECT_EQ(selected(), QStringLiteral("cherry"));
    EXPECT_EQ(search()->SearchItem(), nullptr);

    // Disabled, typing does nothing at all.
    wait(2000);
    search()->SetEnabled(false);
    type(u'a');
    EXPECT_EQ(selected(), QStringLiteral("cherry"));
    EXPECT_FALSE(search()->State().Contains(eissSearching));
}

TEST_F(SearchTest, TheWrapAroundEndsWhenTheSearchItemHasBeenHidden)
{
    fill({"apple", "bean", "cherry", "date"});
    type(u'b');
    ASSERT_EQ(selected(), QStringLiteral("bean"));
    // Hidden while the search runs, the search item is outside the walk of visible
    // items: the round from the first item must still end.
    lv->Items()->Items(1)->SetVisible(false);
    type(u'x');
    EXPECT_EQ(search()->SearchItem(), nullptr);
    EXPECT_EQ(lv->Selection()->Count(), 0);
    wait(2000);
    type(u'd');
    EXPECT_EQ(selected(), QStringLiteral("date"));
}

TEST_F(SearchTest, AHandlerCanDecideTheMatch)
{
    fill({"one", "two", "three"});
    lv->OnIncrementalSearch = [](TLqCollectionItem* item, const QString&, bool& handled,
                                 int& compare_result) {
        handled = true;
        compare_result = item->Caption() == QStringLiteral("three") ? 0 : 1;
    };
    type(u'o');
    EXPECT_EQ(selected(), QStringLiteral("three"));
}

// ---- Hints ----------------------------------------------------------------------------------

class HintTest : public ::testing::Test {
protected:
    TOwned<TLqListview> lv{new TLqListview(nullptr)};
    TOwned<TLqHintWindow> window{new TLqHintWindow(nullptr)};
    TLqHintInfoRec record;

    void SetUp() override
    {
        record.Listview = lv.get();
        record.HintStr = QStringLiteral("Drawing one");
        record.HintMaxWidth = 800;
    }
    // The text's own size in the hint window's font, measured as the window does.
    TSize measured(const QString& text)
    {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, window->Font()->Handle());
        SIZE size{};
        GetTextExtentPoint32W(dc, reinterpret_cast<LPCWSTR>(text.utf16()),
                              static_cast<int>(text.size()), &size);
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        SelectObject(dc, old);
        DeleteDC(dc);
        return TSize{size.cx, metrics.tmHeight};
    }
};

TEST_F(HintTest, AHintIsItsTextAndSixByTwo)
{
    const TRect bounds = window->CalcHintRect(800, record.HintStr, &record);
    const TSize text = measured(record.HintStr);
    EXPECT_EQ(bounds.Width(), text.cx + 6);
    EXPECT_EQ(bounds.Height(), text.cy + 2);
    EXPECT_EQ(window->LqHintInfo(), lv->HintInfo());
}

TEST_F(HintTest, TheCustomInfoHandlerChangesTheTextThatIsMeasuredAndShown)
{
    TLqCollectionItem* seen = reinterpret_cast<TLqCollectionItem*>(1);
    lv->OnHintCustomInfo = [&](auto*, TLqCollectionItem* target, TLqHintInfo* info) {
        seen = target;
        EXPECT_EQ(info->Text(), QStringLiteral("Drawing one"));
        EXPECT_EQ(info->Bounds(), Rect(0, 0, 800, 0));
        info->SetText(QStringLiteral("A much longer text than before"));
        info->SetHideTimeout(1234);
    };
    const TRect bounds = window->CalcHintRect(800, record.HintStr, &record);
    EXPECT_EQ(seen, nullptr);
    EXPECT_EQ(record.HintStr, QStringLiteral("A much longer text than before"));
    EXPECT_EQ(record.HideTimeout, 1234);
    EXPECT_EQ(bounds.Width(), measured(record.HintStr).cx + 6);

    // A custom-drawn hint is left to its handler: the bounds stay as the handler left them.
    lv->OnHintCustomInfo = [](auto*, TLqCollectionItem*, TLqHintInfo* info) {
        info->SetHintType(ehtCustomDraw);
        info->SetBounds(Rect(0, 0, 50, 40));
    };
    EXPECT_EQ(window->CalcHintRect(800, record.HintStr, &record), Rect(0, 0, 50, 40));
    EXPECT_EQ(record.HintType, ehtCustomDraw);
}

}
