// Items of the list-view control: the global list over the groups, the change protocol
// with its events, clearing and deleting, and item records as streams hold them.

#include "framework/classes.h"
#include "listview/groups.h"
#include "listview/items.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "listview/selection.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

using namespace fw;
using namespace vistrel::listview;

namespace {

class ItemsTest : public ::testing::Test {
protected:
    // Declared first: the control's destruction still reports into it.
    std::vector<QString> heard;
    TOwned<TLqListview> lv{new TLqListview(nullptr)};

    // Records the item events that report a change, by name.
    void listen()
    {
        auto record = [this](const char* name) {
            return [this, name](auto&&...) { heard.push_back(QString::fromLatin1(name)); };
        };
        lv->OnItemFocusChanged = record("FocusChanged");
        lv->OnItemSelectionChanged = record("SelectionChanged");
        lv->OnItemSelectionsChanged = record("SelectionsChanged");
        lv->OnItemCheckChange = record("CheckChange");
        lv->OnItemVisibilityChanged = record("VisibilityChanged");
        lv->OnItemFreeing = record("Freeing");
    }
    std::vector<QString> names(std::initializer_list<const char*> list)
    {
        std::vector<QString> result;
        for (const char* name : list)
            result.push_back(QString::fromLatin1(name));
        return result;
    }
};

TEST_F(ItemsTest, TheFirstAddMakesOneDefaultGroupAndClearLetsTheNextAddMakeAnother)
{
    TLqItem* first = lv->Items()->Add(nullptr);
    lv->Items()->Add(nullptr);
    ASSERT_EQ(lv->Groups()->Count(), 1);
    EXPECT_EQ(lv->Groups()->Groups(0)->Caption(), QStringLiteral("Default Group"));
    EXPECT_EQ(first->OwnerGroup(), lv->Groups()->Groups(0));
    EXPECT_EQ(lv->Items()->Count(), 2);
    EXPECT_EQ(first->ClassName(), QStringLiteral("TLqItemStored"));
    EXPECT_TRUE(first->Visible() && first->Enabled());

    lv->Items()->Clear();
    EXPECT_EQ(lv->Groups()->Count(), 0);
    lv->Items()->Add(nullptr);
    ASSERT_EQ(lv->Groups()->Count(), 1);
    EXPECT_EQ(lv->Groups()->Groups(0)->Caption(), QStringLiteral("Default Group"));
}

TEST_F(ItemsTest, GlobalIndexesRunOverTheGroupsInOrder)
{
    const int sizes[] = {2, 0, 3};
    for (const int size : sizes) {
        TLqGroup* group = lv->Groups()->Add(nullptr);
        for (int i = 0; i < size; ++i)
            group->Items()->Add(nullptr);
    }
    ASSERT_EQ(lv->Items()->Count(), 5);
    for (int i = 0; i < lv->Items()->Count(); ++i)
        EXPECT_EQ(lv->Items()->IndexOf(lv->Items()->Items(i)), i);
    EXPECT_EQ(lv->Items()->Items(2)->Index(), 0) << "an item's own index is within its group";
    EXPECT_EQ(lv->Items()->Items(2)->OwnerGroup(), lv->Groups()->Groups(2));
    // Add goes to the last group.
    EXPECT_EQ(lv->Items()->Add(nullptr)->OwnerGroup(), lv->Groups()->Groups(2));
    // Insert at a global index goes before the item there; at Count it appends.
    TLqItem* inserted = lv->Items()->Insert(2, nullptr);
    EXPECT_EQ(lv->Items()->IndexOf(inserted), 2);
    EXPECT_EQ(inserted->OwnerGroup(), lv->Groups()->Groups(2));

    for (const int bad : {-1, lv->Items()->Count()}) {
        try {
            lv->Items()->Items(bad);
            ADD_FAILURE() << bad;
        } catch (const EListError& error) {
            EXPECT_EQ(error.Message(), QStringLiteral("List index out of bounds (%1)").arg(bad));
        }
    }
    EXPECT_THROW(lv->Items()->Exchange(0, 3), EListError) << "items of two groups";
}

TEST_F(ItemsTest, HidingAnItemDropsFocusSelectionAndCheckFirst)
{
    lv->Selection()->SetMultiSelect(true);
    TLqItem* item = lv->Items()->Add(nullptr);
    item->SetFocused(true);
    item->SetSelected(true);
    item->SetChecked(true);
    listen();
    item->SetVisible(false);
    EXPECT_EQ(heard, names({"FocusChanged", "SelectionsChanged", "SelectionChanged", "CheckChange",
                            "VisibilityChanged"}));
    EXPECT_FALSE(item->Focused() || item->Selected() || item->Checked() || item->Visible());
    EXPECT_EQ(lv->Selection()->FocusedItem(), nullptr);
    EXPECT_EQ(lv->Selection()->Count(), 0);
    EXPECT_EQ(lv->CheckManager()->Count(), 0);

    // Hidden, it takes neither focus nor selection, and no event is raised.
    heard.clear();
    item->SetSelected(true);
    item->SetFocused(true);
    EXPECT_TRUE(heard.empty());
    EXPECT_FALSE(item->Selected());
}

TEST_F(ItemsTest, HiddenItemsKeepTheirCheckWhenTheControlAllowsIt)
{
    lv->SetAllowHiddenCheckedItems(true);
    TLqItem* item = lv->Items()->Add(nullptr);
    item->SetChecked(true);
    item->SetVisible(false);
    EXPECT_TRUE(item->Checked());
}

TEST_F(ItemsTest, AChangingHandlerCanRefuseAChange)
{
    TLqItem* item = lv->Items()->Add(nullptr);
    lv->OnItemSelectionChanging = [](TCustomLqListview*, TLqItem*, bool& allow) { allow = false; };
    listen();
    item->SetSelected(true);
    EXPECT_FALSE(item->Selected());
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(lv->Selection()->Count(), 0);
}

TEST_F(ItemsTest, ClearingASelectedFocusedItemRaisesOneSelectionsChanged)
{
    TLqItem* item = lv->Items()->Add(nullptr);
    item->SetFocused(true);
    item->SetSelected(true);
    ASSERT_EQ(lv->Selection()->FocusedItem(), item);
    listen();
    lv->Items()->Clear();
    EXPECT_EQ(heard, names({"FocusChanged", "SelectionChanged", "VisibilityChanged", "Freeing",
                            "SelectionsChanged"}));
    EXPECT_EQ(lv->Selection()->Count(), 0);
    EXPECT_EQ(lv->Selection()->FocusedItem(), nullptr);
}

TEST_F(ItemsTest, SelectingWithoutMultiSelectClearsTheOthersAndFocuses)
{
    TLqItem* a = lv->Items()->Add(nullptr);
    TLqItem* b = lv->Items()->Add(nullptr);
    a->SetSelected(true);
    b->SetSelected(true);
    EXPECT_FALSE(a->Selected());
    EXPECT_TRUE(b->Selected());
    EXPECT_EQ(lv->Selection()->Count(), 1);
    EXPECT_EQ(lv->Selection()->FocusedItem(), b);
    EXPECT_FALSE(a->Focused());
}

TEST_F(ItemsTest, DeletingTheFocusedItemMovesTheFocusOnOrBack)
{
    for (int i = 0; i < 3; ++i)
        lv->Items()->Add(nullptr);
    TLqItem* second = lv->Items()->Items(1);
    TLqItem* third = lv->Items()->Items(2);
    second->SetFocused(true);
    lv->Items()->Delete(1);
    EXPECT_TRUE(third->Focused());
    EXPECT_EQ(lv->Selection()->FocusedItem(), third);
    lv->Items()->Delete(1);
    EXPECT_TRUE(lv->Items()->Items(0)->Focused()) << "the last item hands the focus back";
    EXPECT_EQ(lv->Items()->Count(), 1);
}

TEST_F(ItemsTest, StoredDataReadsItsDefaultsBeyondWhatWasSet)
{
    auto* item = static_cast<TLqItemStored*>(lv->Items()->Add(nullptr));
    EXPECT_EQ(item->GetCaptions(5), QString());
    EXPECT_EQ(item->ImageIndex(), -1);
    EXPECT_EQ(item->StateImageIndex(), -1);
    EXPECT_EQ(item->GetGroupKey(3), 0xFFFFu);
    item->SetCaptions(5, QStringLiteral("five"));
    EXPECT_EQ(item->DataHelper()->CaptionCount(), 6);
    EXPECT_EQ(item->GetCaptions(4), QString());
    item->SetBorder(-3);
    EXPECT_EQ(item->Border(), 0);
    EXPECT_EQ(lv->GetPaintInfoItem()->Border(), 0) << "the shared paint information changed";
}

// Item records as another writer lays them out.
class ItemRecords : public ItemsTest {
public:
    TMemoryStream stream;
    void i32(int32_t value)
    {
        for (int i = 0; i < 4; ++i)
            u8(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
    }
    void u16(uint16_t value)
    {
        u8(static_cast<uint8_t>(value));
        u8(static_cast<uint8_t>(value >> 8));
    }
    void u8(uint8_t value) { stream.WriteBuffer(&value, 1); }
    void text(const char* ascii)
    {
        i32(static_cast<int32_t>(std::strlen(ascii)));
        stream.WriteBuffer(ascii, static_cast<int32_t>(std::strlen(ascii)));
    }
    void wide(const char16_t* units, int count)
    {
        i32(count);
        for (int i = 0; i < count; ++i)
            u16(static_cast<uint16_t>(units[i]));
    }
    TLqItems* read()
    {
        TLqItems* items = lv->Groups()->Add(nullptr)->Items();
        stream.SetPosition(0);
        items->ReadItems(&stream);
        return items;
    }
};

TEST_F(ItemRecords, AMarkedRecordLoadsItsStoredStatesAndArrays)
{
    i32(6);
    i32(1);
    text("TLqItemStored");
    u8(0xFF), u8(0xFE), u8(0xCE), u8(0x00);
    i32(6);
    // Checked, enabled, visible, bold, and focused, which a record does not keep.
    u16(0x2881 | 0x0100);
    i32(2); // captions
    wide(u"Hi", 2);
    wide(u"Dwg", 3);
    i32(1), i32(42);        // details
    i32(1), i32(3);         // image indexes
    i32(0);                 // overlay indexes
    i32(1), i32(0x41);      // group keys
    i32(2), i32(7), i32(8); // state images
    TLqItems* items = read();
    ASSERT_EQ(items->Count(), 1);
    auto* item = static_cast<TLqItemStored*>(items->Items(0));
    EXPECT_EQ(stream.Position(), stream.Size());
    EXPECT_TRUE(item->Checked() && item->Enabled() && item->Visible() && item->Bold());
    EXPECT_FALSE(item->Focused());
    EXPECT_EQ(item->Caption(), QStringLiteral("Hi"));
    EXPECT_EQ(item->GetCaptions(1), QStringLiteral("Dwg"));
    EXPECT_EQ(item->GetDetails(0), 42);
    EXPECT_EQ(item->ImageIndex(), 3);
    EXPECT_EQ(item->GetGroupKey(0), 0x41u);
    EXPECT_EQ(item->GetStateImageIndexes(1), 8);
}

TEST_F(ItemRecords, ARecordWithoutMarkerIsReadAsVersionTwo)
{
    i32(2); // collection version before class names were written
    i32(1);
    u16(0x0C80); // selected, enabled, visible
    i32(1);
    wide(u"Old", 3);
    i32(0), i32(0), i32(0), i32(0); // details, images, overlays, group keys; no state images
    TLqItems* items = read();
    ASSERT_EQ(items->Count(), 1);
    TLqItem* item = items->Items(0);
    EXPECT_EQ(item->Caption(), QStringLiteral("Old"));
    EXPECT_TRUE(item->Selected());
    EXPECT_EQ(stream.Position(), stream.Size());
}

TEST_F(ItemRecords, CountsAndLengthsBeyondTheStreamAreRefused)
{
    struct Case {
        const char* name;
        std::function<void(ItemRecords&)> write;
    };
    const Case cases[] = {
        {"object count", [](ItemRecords& t) { t.i32(6), t.i32(1000000); }},
        {"class name length", [](ItemRecords& t) { t.i32(6), t.i32(1), t.i32(0x7FFFFFF0); }},
        {"caption count",
         [](ItemRecords& t) {
             t.i32(6), t.i32(1), t.text("TLqItemStored"), t.i32(0x00CEFEFF), t.i32(6),
                 t.u16(0x0880), t.i32(-5);
         }},
        {"caption length",
         [](ItemRecords& t) {
             t.i32(6), t.i32(1), t.text("TLqItemStored"), t.i32(0x00CEFEFF), t.i32(6),
                 t.u16(0x0880), t.i32(1), t.i32(0x40000000);
         }},
        {"details count",
         [](ItemRecords& t) {
             t.i32(6), t.i32(1), t.text("TLqItemStored"), t.i32(0x00CEFEFF), t.i32(6),
                 t.u16(0x0880), t.i32(0), t.i32(300);
         }},
    };
    for (const Case& c : cases) {
        stream.Clear();
        c.write(*this);
        EXPECT_THROW(read(), EReadError) << c.name;
    }
}

TEST_F(ItemRecords, AClassOfAnotherKindOrUnknownNameIsRefused)
{
    i32(6);
    i32(1);
    text("TLqGroupStored");
    EXPECT_THROW(read(), EReadError);
    stream.Clear();
    i32(6);
    i32(1);
    text("TNoSuchItem");
    EXPECT_THROW(read(), EAssertionFailed);
}

}
