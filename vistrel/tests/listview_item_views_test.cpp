// Item views of the list-view control: where each view style puts an item's parts,
// how an item is hit, and what its painting leaves in the pixels of a memory bitmap.

#include "framework/classes.h"
#include "framework/controls.h"
#include "framework/graphics.h"
#include "listview/common/blending.h"
#include "listview/groups.h"
#include "listview/item_view.h"
#include "listview/items.h"
#include "listview/layout_placeholders.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "listview/selection.h"
#include "platform/user.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace fw;
using namespace vistrel::listview;

namespace {

class ItemViewsTest : public ::testing::Test {
protected:
    TOwned<TLqListview> lv{new TLqListview(nullptr)};

    TLqItem* add(const QString& caption)
    {
        TLqItem* item = lv->Items()->Add(nullptr);
        item->SetCaption(caption);
        return item;
    }
};

TEST_F(ItemViewsTest, EachStyleMakesItsOwnViewClassAndACustomClassReplacesIt)
{
    TLqItem* item = add(QStringLiteral("a"));
    const struct {
        TLqListStyle style;
        const char* name;
    } cases[] = {
        {elsIcon, "TLqViewIconItem"},           {elsSmallIcon, "TLqViewSmallIconItem"},
        {elsList, "TLqViewListItem"},           {elsReport, "TLqViewReportItem"},
        {elsThumbnail, "TLqViewThumbnailItem"}, {elsTile, "TLqViewTileItem"},
        {elsFilmStrip, "TLqViewFilmStripItem"}, {elsGrid, "TLqViewGridItem"},
    };
    for (const auto& c : cases) {
        lv->SetView(c.style);
        EXPECT_STREQ(item->View()->ClassType()->Name, c.name);
    }
    EXPECT_TRUE(LqViewItemClassInheritsFrom(TLqViewFilmStripItem::ClassInfo(),
                                            TLqViewThumbnailItem::ClassInfo()));
    EXPECT_TRUE(LqViewItemClassInheritsFrom(TLqViewReportItem::ClassInfo(),
                                            TLqViewSmallIconItem::ClassInfo()));
    EXPECT_FALSE(
        LqViewItemClassInheritsFrom(TLqViewTileItem::ClassInfo(), TLqViewIconItem::ClassInfo()));
    lv->SetView(elsFilmStrip);
    EXPECT_NE(dynamic_cast<TLqViewThumbnailItem*>(item->View()), nullptr);

    lv->OnItemCustomView = [](TObject*, TLqItem*, TLqListStyle, TLqViewItemClass& view) {
        view = TLqViewTileItem::ClassInfo();
    };
    EXPECT_NE(dynamic_cast<TLqViewTileItem*>(item->View()), nullptr);
}

}
