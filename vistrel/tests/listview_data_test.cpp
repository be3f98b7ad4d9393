// Where items take their data from (stored, the control's events, a data object), the
// selection manager's notification core, the record an item writes, and the control's
// stream on files.

#include "framework/classes.h"
#include "listview/data_interfaces.h"
#include "listview/groups.h"
#include "listview/items.h"
#include "listview/managers.h"
#include "listview/listview.h"
#include "listview/selection.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace fw;
using namespace vistrel::listview;

namespace {

// A data object that gives and takes captions and knows which objects show it.
class CaptionSource : public TInterfacedObject,
                      public ILqDataLinkSink,
                      public ILqDataCaptionsWrite {
public:
    QString caption = QStringLiteral("from data");
    std::vector<ILqItemLink*> links;

    HRESULT QueryInterface(const TGUID& iid, void** object) override
    {
        if (AnswerInterface<ILqDataLinkSink>(this, iid, object) ||
            AnswerInterface<ILqDataCaptions>(this, iid, object) ||
            AnswerInterface<ILqDataCaptionsWrite>(this, iid, object))
            return S_OK;
        return TInterfacedObject::QueryInterface(iid, object);
    }
    void AttachItem(ILqItemLink* link) override { links.push_back(link); }
    void DetachItem(ILqItemLink* link) override
    {
        links.erase(std::remove(links.begin(), links.end(), link), links.end());
    }
    void GetCaption(int, QVariant& value) override { value = caption; }
    void SetCaption(int, const QVariant& value) override { caption = value.toString(); }
};

class DataTest : public ::testing::Test {
protected:
    std::vector<QString> heard;
    TOwned<TLqListview> lv{new TLqListview(nullptr)};
};

TEST_F(DataTest, AnInterfacedItemAsksItsDataObjectAndIsDetachedWhenFreed)
{
    auto source = NewInterfaced<CaptionSource>();
    const TInterfacePtr<IUnknown> data(static_cast<IUnknown*>(source.get()));
    TLqItem* item = lv->Items()->AddInterfaced(data, nullptr);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(source->links.size(), 1u);
    EXPECT_EQ(item->Caption(), QStringLiteral("from data"));
    item->SetCaption(QStringLiteral("renamed"));
    EXPECT_EQ(source->caption, QStringLiteral("renamed"));
    EXPECT_EQ(item->ImageIndex(), -1) << "no image interface: the default";
    EXPECT_EQ(lv->Items()->AddInterfaced(nullptr, nullptr), nullptr);
    EXPECT_EQ(lv->Items()->Count(), 1);

    lv->Items()->Delete(0);
    EXPECT_TRUE(source->links.empty());
    EXPECT_EQ(source->RefCount(), 2) << "the test's two references are left";
}

TEST_F(DataTest, AVirtualItemAsksTheControlsEvents)
{
    lv->OnItemGetCaption = [](TCustomLqListview*, TLqItem*, int column, QString& caption) {
        caption = QStringLiteral("column %1").arg(column);
    };
    lv->OnItemGetImageIndex = [](TCustomLqListview*, TLqItem*, int, TLqImageKind kind, int& index) {
        if (kind == eikNormal)
            index = 7;
    };
    TLqItem* item = lv->Items()->AddVirtual(nullptr);
    EXPECT_EQ(item->ClassName(), QStringLiteral("TLqItemVirtual"));
    EXPECT_EQ(item->GetCaptions(2), QStringLiteral("column 2"));
    EXPECT_EQ(item->ImageIndex(), 7);
    EXPECT_EQ(item->ImageOverlayIndex(), -1);
}

TEST_F(DataTest, ClearAllBatchesTheSelectionChangesIntoOneEvent)
{
    lv->Selection()->SetMultiSelect(true);
    for (int i = 0; i < 3; ++i)
        lv->Items()->Add(nullptr)->SetSelected(true);
    int changed = 0;
    int batches = 0;
    lv->OnItemSelectionChanged = [&](auto&&...) { ++changed; };
    lv->OnItemSelectionsChanged = [&](auto&&...) { ++batches; };
    lv->Selection()->ClearAllExcept(lv->Items()->Items(1));
    EXPECT_EQ(changed, 2);
    EXPECT_EQ(batches, 1);
    EXPECT_EQ(lv->Selection()->Count(), 1);
    lv->Selection()->ClearAll();
    lv->Selection()->ClearAll();
    EXPECT_EQ(changed, 3);
    EXPECT_EQ(batches, 2) << "clearing an empty selection raises nothing";
}

TEST_F(DataTest, SelectFirstFocusesAndSelectsTheFirstItemUnlessSelectionIsOff)
{
    lv->Selection()->SetMultiSelect(true);
    for (int i = 0; i < 3; ++i)
        lv->Items()->Add(nullptr);
    lv->Items()->Items(2)->SetSelected(true);
    lv->Selection()->SetEnabled(false);
    EXPECT_FALSE(lv->Items()->Items(2)->Selected()) << "switching selection off clears it";
    lv->Selection()->SelectFirst();
    EXPECT_FALSE(lv->Items()->Items(0)->Selected());
    lv->Selection()->SetEnabled(true);
    lv->Selection()->SelectFirst();
    EXPECT_TRUE(lv->Items()->Items(0)->Selected());
    EXPECT_EQ(lv->Selection()->FocusedItem(), lv->Items()->Items(0));

    lv->Items()->Items(1)->SetVisible(false);
    lv->Selection()->SetAnchorItem(lv->Items()->Items(1));
    EXPECT_EQ(lv->Selection()->AnchorItem(), nullptr) << "a hidden item is no anchor";
    lv->Selection()->SetAnchorItem(lv->Items()->Items(2));
    EXPECT_EQ(lv->Selection()->AnchorItem(), lv->Items()->Items(2));
    lv->Items()->Delete(2);
    EXPECT_EQ(lv->Selection()->AnchorItem(), nullptr) << "a freed item is no anchor";
}

TEST_F(DataTest, AnItemWritesItsClassNameAndRecordWithTheStoredStatesOnly)
{
    TLqItem* item = lv->Items()->Add(nullptr);
    item->SetFocused(true);
    item->SetCut(true);
    TMemoryStream stream;
    lv->Groups()->Groups(0)->Items()->WriteItems(&stream);
    const auto* bytes = static_cast<const uint8_t*>(stream.Memory());
    const std::vector<uint8_t> head(bytes, bytes + 35);
    const std::vector<uint8_t> expected = {
        6,    0,    0,   0,   1,    0,    0,    0, // version, count
        13,   0,    0,   0,   'T',  'L',  'q',  'I',  't', 'e', 'm', 'S', 't',
        'o',  'r',  'e', 'd', 0xFF, 0xFE, 0xCE, 0x00, 6,   0,   0,   0, // marker, version
        0x80, 0x08,                                                     // enabled, visible
    };
    EXPECT_EQ(head, expected);
}

TEST_F(DataTest, TheControlSavesToAFileAndAMissingFileCannotBeOpened)
{
    test_support::TempFolder folder;
    ASSERT_TRUE(folder.ok());
    lv->Items()->Add(nullptr)->SetCaption(QStringLiteral("Zeichnung"));
    lv->SetView(elsTile);
    const QString file = QString::fromStdString(folder.path("saved.lvs"));
    lv->SaveToFile(file, fmCreate);
    TOwned<TLqListview> other(new TLqListview(nullptr));
    other->LoadFromFile(file, fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(other->View(), elsTile);
    ASSERT_EQ(other->Items()->Count(), 1);
    EXPECT_EQ(other->Items()->Items(0)->Caption(), QStringLiteral("Zeichnung"));

    const QString missing = QString::fromStdString(folder.path("missing.lvs"));
    try {
        other->LoadFromFile(missing, fmOpenRead);
        ADD_FAILURE();
    } catch (const EFCreateError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Cannot create file ") + missing);
    }
}

}

namespace {

TEST_F(DataTest, DispatchersPresetTheirArgumentsAndApplyTheirDefaults)
{
    TLqItem* item = lv->Items()->Add(nullptr);
    item->SetCaption(QStringLiteral("Flange"));

    int compare = 99;
    lv->DoIncrementalSearch(item, QStringLiteral("fla"), compare);
    EXPECT_EQ(compare, 0) << "a case-insensitive prefix comparison without a handler";
    lv->DoIncrementalSearch(item, QStringLiteral("flb"), compare);
    EXPECT_GT(compare, 0);
    lv->OnIncrementalSearch = [](TLqCollectionItem*, const QString&, bool& handled, int& result) {
        handled = true;
        result = -7;
    };
    lv->DoIncrementalSearch(item, QStringLiteral("fla"), compare);
    EXPECT_EQ(compare, -7);

    TLqGroup* created = nullptr;
    bool do_default = true;
    const int groups = lv->Groups()->Count();
    lv->DoAutoSortGroupCreate(item, 0, lv->Groups(), created, do_default);
    EXPECT_NE(created, nullptr);
    EXPECT_EQ(lv->Groups()->Count(), groups + 1);

    TPopupMenu* menu = reinterpret_cast<TPopupMenu*>(&compare);
    bool handled = false;
    lv->DoItemContextMenu(TLqHitInfoItem{}, TPoint{}, menu, handled);
    EXPECT_EQ(menu, nullptr);

    TLqStgMedium medium;
    medium.tymed = 5;
    handled = true;
    lv->DoOLEGetData(TLqFormatEtc{}, medium, handled);
    EXPECT_EQ(medium.tymed, 0u);
    EXPECT_FALSE(handled);
}

TEST_F(DataTest, HotTrackingIsReportedOnlyWhileTheManagerIsEnabled)
{
    TLqItem* item = lv->Items()->Add(nullptr);
    std::vector<TLqHotTrackState> states;
    lv->OnItemHotTrack = [&](TCustomLqListview*, TLqItem*, TLqHotTrackState state, const TPoint&) {
        states.push_back(state);
    };
    item->SetHotTracking(TPoint{3, 4}, true);
    item->SetHotTracking(TPoint{}, false);
    EXPECT_TRUE(states.empty());
    lv->HotTrack()->SetEnabled(true);
    item->SetHotTracking(TPoint{3, 4}, true);
    item->SetHotTracking(TPoint{}, false);
    const std::vector<TLqHotTrackState> expected = {ehsEnable, ehsDisable};
    EXPECT_EQ(states, expected);
}

// Records what a collection tells a form writer about its "Items" value.
class RecordingFiler : public TFiler {
public:
    QString name;
    bool has_data = false;
    void DefineBinaryProperty(const QString& property, TStreamProc, TStreamProc, bool data) override
    {
        name = property;
        has_data = data;
    }
};

TEST_F(DataTest, ACollectionStoresItsItemsInAFormOnlyWhenItHasSome)
{
    TLqGroup* group = lv->Groups()->Add(nullptr);
    RecordingFiler filer;
    group->Items()->DefineProperties(&filer);
    EXPECT_EQ(filer.name, QStringLiteral("Items"));
    EXPECT_FALSE(filer.has_data);
    group->Items()->Add(nullptr);
    group->Items()->DefineProperties(&filer);
    EXPECT_TRUE(filer.has_data);
    group->Items()->SetHideFromDFM(true);
    group->Items()->DefineProperties(&filer);
    EXPECT_FALSE(filer.has_data);
}

TEST_F(DataTest, WhileReIndexingIsOffNewItemsKeepTheirOldIndex)
{
    TLqGroup* group = lv->Groups()->Add(nullptr);
    group->Items()->Add(nullptr);
    lv->Items()->SetReIndexDisable(true);
    group->Items()->Insert(0, nullptr);
    EXPECT_EQ(group->Item(1)->Index(), 0) << "not re-indexed yet";
    lv->Groups()->SetReIndexDisable(false);
    EXPECT_EQ(group->Item(1)->Index(), 0) << "the groups' own list only";
    group->Items()->SetReIndexDisable(true);
    group->Items()->SetReIndexDisable(false);
    EXPECT_EQ(group->Item(1)->Index(), 1);
}

}
