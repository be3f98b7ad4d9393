// The per-item-type operation tables: the check that makes an incomplete table fail to
// compile, and the lookup of type values outside the enumeration.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "drawing_fixture.h"
#include "edit/item_type_table.h"
#include "halvern/edits.h"

namespace {

using halvern::lists_every_item_type_once;
using halvern_test::Drawing;
using halvern_test::make_line;

using Operation = int32_t (*)(int32_t);
using Pair = halvern::ItemTypeOperation<Operation>;

int32_t answer_one(int32_t) noexcept
{
    return 1;
}

// Every type but the first and the last, which each row places in its own way.
#define MIDDLE_TYPES                                                                              \
    DXFItemEndBlock, DXFItemInsert, DXFItemPoint, DXFItemLine, DXFItemArc, DXFItemText,           \
        DXFItemPolyline, DXFItemEllipse, DXFItemSpline, DXFItem3DFace, DXFItemSolid3D,            \
        DXFItemAttDef, DXFItemAttrib, DXFItemBody, DXFItemDimension, DXFItemLeader, DXFItemMLine, \
        DXFItemMText, DXFItemOleFrame, DXFItemRay, DXFItemRegion, DXFItemShape, DXFItemSolid,     \
        DXFItemTolerance, DXFItemTrace, DXFItemViewport, DXFItemXLine

static_assert(lists_every_item_type_once<Operation>({{DXFItemBlock, answer_one},
                                                     {DXFItemComposite, answer_one}},
                                                    {MIDDLE_TYPES}));
static_assert(lists_every_item_type_once<Operation>({}, {DXFItemBlock, MIDDLE_TYPES,
                                                         DXFItemComposite}));
static_assert(!lists_every_item_type_once<Operation>({{DXFItemBlock, answer_one}}, {MIDDLE_TYPES}),
              "the last type is missing");
static_assert(!lists_every_item_type_once<Operation>({{DXFItemComposite, answer_one}},
                                                     {MIDDLE_TYPES}),
              "the first type is missing");
static_assert(!lists_every_item_type_once<Operation>({{DXFItemBlock, answer_one},
                                                      {DXFItemComposite, answer_one}},
                                                     {MIDDLE_TYPES, DXFItemLine}),
              "a type without an operation is listed twice");
static_assert(!lists_every_item_type_once<Operation>({{DXFItemBlock, answer_one},
                                                      {DXFItemComposite, answer_one},
                                                      {DXFItemLine, answer_one}},
                                                     {MIDDLE_TYPES}),
              "a type has an operation and is listed without one");
static_assert(!lists_every_item_type_once<Operation>(
                  {{DXFItemBlock, answer_one},
                   {DXFItemComposite, answer_one},
                   {static_cast<DXFItemType>(DXFItemComposite + 1), answer_one}},
                  {MIDDLE_TYPES}),
              "a value past the enumeration");

#undef MIDDLE_TYPES

// A damaged item's type can be any value: the exported operations answer as for a type
// they do not handle and leave the item alone.
TEST(ItemTypeTables, TypesOutsideTheEnumerationChangeNothing)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    const Point3DRec origin{};
    for (const int32_t type :
         {0, -1, static_cast<int32_t>(DXFItemComposite) + 1, 255,
          std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
        SCOPED_TRACE(type);
        ItemRec* item = make_line(pool, 0.3, 0.3, 2.6, 1.7);
        ItemRec* other = CopyItem(item, pool);
        item->it_Header.ih_ItemType = type;
        other->it_Header.ih_ItemType = type;
        const std::vector<unsigned char> before(reinterpret_cast<unsigned char*>(item),
                                                reinterpret_cast<unsigned char*>(item) +
                                                    item->it_Header.ih_ItemSize);
        EXPECT_EQ(DXFMirror(item, &origin, 0.5), 0);
        EXPECT_EQ(DXFSnapEnd(item, 1), 0);
        EXPECT_EQ(DXFSameItems(item, other), 0);
        EXPECT_EQ(std::memcmp(before.data(), item, before.size()), 0);
    }
}

}
