// Walks over the groups and their items, and the rectangle and point queries.
#include "listview/groups.h"
#include "listview/items.h"
#include "listview/layout.h"
#include "listview/listview.h"
#include "listview/managers.h"

using namespace fw;

namespace vistrel::listview {

// ---- Groups ----------------------------------------------------------------------------------

TLqGroup* TLqGroups::FirstGroup() const
{
    return Count() > 0 ? Groups(0) : nullptr;
}

TLqGroup* TLqGroups::LastGroup() const
{
    return Count() > 0 ? Groups(Count() - 1) : nullptr;
}

TLqGroup* TLqGroups::FirstVisibleGroup() const
{
    for (int i = 0; i < Count(); ++i)
        if (Groups(i)->Visible())
            return Groups(i);
    return nullptr;
}

TLqGroup* TLqGroups::LastVisibleGroup() const
{
    for (int i = Count() - 1; i >= 0; --i)
        if (Groups(i)->Visible())
            return Groups(i);
    return nullptr;
}

TLqGroup* TLqGroups::NextGroup(TLqGroup* group) const
{
    const int index = group->Index() + 1;
    return index < Count() ? Groups(index) : nullptr;
}

TLqGroup* TLqGroups::PrevGroup(TLqGroup* group) const
{
    const int index = group->Index() - 1;
    return index >= 0 ? Groups(index) : nullptr;
}

TLqGroup* TLqGroups::NextVisibleGroup(TLqGroup* group) const
{
    for (int i = group->Index() + 1; i < Count(); ++i)
        if (Groups(i)->Expanded() && Groups(i)->Visible())
            return Groups(i);
    return nullptr;
}

TLqGroup* TLqGroups::PrevVisibleGroup(TLqGroup* group) const
{
    for (int i = group->Index() - 1; i >= 0; --i)
        if (Groups(i)->Expanded() && Groups(i)->Visible())
            return Groups(i);
    return nullptr;
}

TLqGroup* TLqGroups::NextVisibleGroupWithVisibleItems(TLqGroup* group) const
{
    if (group == nullptr)
        return nullptr;
    do
        group = NextVisibleGroup(group);
    while (group != nullptr && group->VisibleCount() == 0);
    return group;
}

TLqGroup* TLqGroups::PrevVisibleGroupWithVisibleItems(TLqGroup* group) const
{
    if (group == nullptr)
        return nullptr;
    do
        group = PrevVisibleGroup(group);
    while (group != nullptr && group->VisibleCount() == 0);
    return group;
}

// ---- Items of one group ----------------------------------------------------------------------

TLqItem* TLqGroups::FirstInGroup(TLqGroup* group) const
{
    return group != nullptr && group->ItemCount() > 0 ? group->Item(0) : nullptr;
}

TLqItem* TLqGroups::LastInGroup(TLqGroup* group) const
{
    return group != nullptr && group->ItemCount() > 0 ? group->Item(group->ItemCount() - 1)
                                                      : nullptr;
}

TLqItem* TLqGroups::FirstVisibleInGroup(TLqGroup* group) const
{
    if (group == nullptr)
        return nullptr;
    for (int i = 0; i < group->ItemCount(); ++i)
        if (group->Item(i)->Visible())
            return group->Item(i);
    return nullptr;
}

TLqItem* TLqGroups::LastVisibleInGroup(TLqGroup* group) const
{
    if (group == nullptr)
        return nullptr;
    for (int i = group->ItemCount() - 1; i >= 0; --i)
        if (group->Item(i)->Visible())
            return group->Item(i);
    return nullptr;
}

TLqItem* TLqGroups::NextInGroup(TLqGroup* group, TLqItem* item) const
{
    if (group == nullptr || item == nullptr)
        return nullptr;
    const int index = item->Index() + 1;
    return index >= 0 && index < group->ItemCount() ? group->Item(index) : nullptr;
}

TLqItem* TLqGroups::PrevInGroup(TLqGroup* group, TLqItem* item) const
{
    if (group == nullptr || item == nullptr)
        return nullptr;
    const int index = item->Index() - 1;
    return index >= 0 && index < group->ItemCount() ? group->Item(index) : nullptr;
}

TLqItem* TLqGroups::NextVisibleInGroup(TLqGroup* group, TLqItem* item) const
{
    if (group == nullptr || item == nullptr)
        return nullptr;
    for (int i = std::max(item->Index() + 1, 0); i < group->ItemCount(); ++i)
        if (group->Item(i)->Visible())
            return group->Item(i);
    return nullptr;
}

TLqItem* TLqGroups::PrevVisibleInGroup(TLqGroup* group, TLqItem* item) const
{
    if (group == nullptr || item == nullptr)
        return nullptr;
    for (int i = std::min(item->Index(), group->ItemCount()) - 1; i >= 0; --i)
        if (group->Item(i)->Visible())
            return group->Item(i);
    return nullptr;
}

// ---- Items of all groups ----------------------------------------------------------------------

bool TLqGroups::has_kind(TLqItem* item, Kind kind) const
{
    switch (kind) {
    case Kind::Any:
        return true;
    case Kind::Visible:
        return item->Visible();
    case Kind::Initialized:
        return item->Initialized();
    case Kind::Editable: {
        if (!item->Visible())
            return false;
        // The column starts at 0; the handler's answer for it is not used.
        int column = 0;
        bool allow = true;
        if (OwnerListview() != nullptr)
            OwnerListview()->DoItemEditBegin(item, column, allow);
        return allow;
    }
    }
    return false;
}

TLqItem* TLqGroups::first_of_kind(Kind kind) const
{
    for (int g = 0; g < Count(); ++g) {
        TLqGroup* group = Groups(g);
        for (int i = 0; i < group->ItemCount(); ++i)
            if (has_kind(group->Item(i), kind))
                return group->Item(i);
    }
    return nullptr;
}

TLqItem* TLqGroups::last_of_kind(Kind kind) const
{
    for (int g = Count() - 1; g >= 0; --g) {
        TLqGroup* group = Groups(g);
        for (int i = group->ItemCount() - 1; i >= 0; --i)
            if (has_kind(group->Item(i), kind))
                return group->Item(i);
    }
    return nullptr;
}

TLqItem* TLqGroups::walk(TLqItem* item, Kind kind, int step) const
{
    if (item == nullptr || item->OwnerGroup() == nullptr)
        return nullptr;
    int position = item->Index() + step;
    int g = item->OwnerGroup()->Index();
    while (g >= 0 && g < Count()) {
        TLqGroup* group = Groups(g);
        // Collapsed and disabled groups are passed over.
        if (group->Expanded() && group->Enabled()) {
            while (position >= 0 && position < group->ItemCount()) {
                TLqItem* candidate = group->Item(position);
                if (has_kind(candidate, kind))
                    return candidate;
                position += step;
            }
        }
        g += step;
        if (g >= 0 && g < Count())
            position = step > 0 ? 0 : Groups(g)->ItemCount() - 1;
    }
    return nullptr;
}

TLqItem* TLqGroups::FirstItem() const
{
    return first_of_kind(Kind::Any);
}

TLqItem* TLqGroups::LastItem() const
{
    return last_of_kind(Kind::Any);
}

TLqItem* TLqGroups::FirstVisibleItem() const
{
    return first_of_kind(Kind::Visible);
}

TLqItem* TLqGroups::LastVisibleItem() const
{
    return last_of_kind(Kind::Visible);
}

TLqItem* TLqGroups::FirstInitializedItem() const
{
    return first_of_kind(Kind::Initialized);
}

TLqItem* TLqGroups::LastInitializedItem() const
{
    return last_of_kind(Kind::Initialized);
}

TLqItem* TLqGroups::NextItem(TLqItem* item) const
{
    return walk(item, Kind::Any, 1);
}

TLqItem* TLqGroups::PrevItem(TLqItem* item) const
{
    return walk(item, Kind::Any, -1);
}

TLqItem* TLqGroups::NextVisibleItem(TLqItem* item) const
{
    return walk(item, Kind::Visible, 1);
}

TLqItem* TLqGroups::PrevVisibleItem(TLqItem* item) const
{
    return walk(item, Kind::Visible, -1);
}

TLqItem* TLqGroups::NextInitializedItem(TLqItem* item) const
{
    return walk(item, Kind::Initialized, 1);
}

TLqItem* TLqGroups::PrevInitializedItem(TLqItem* item) const
{
    return walk(item, Kind::Initialized, -1);
}

TLqItem* TLqGroups::NextEditableItem(TLqItem* item) const
{
    return walk(item, Kind::Editable, 1);
}

TLqItem* TLqGroups::PrevEditableItem(TLqItem* item) const
{
    return walk(item, Kind::Editable, -1);
}

// ---- Rectangles and points --------------------------------------------------------------------

TLqGroup* TLqGroups::FirstGroupInRect(const TRect& viewport_rect) const
{
    for (int i = 0; i < Count(); ++i)
        if (Groups(i)->Visible() && LqIntersects(Groups(i)->ViewRect(), viewport_rect))
            return Groups(i);
    return nullptr;
}

TLqGroup* TLqGroups::NextGroupInRect(TLqGroup* group, const TRect& viewport_rect) const
{
    if (group == nullptr)
        return nullptr;
    for (int i = group->Index() + 1; i < Count(); ++i) {
        TLqGroup* next = Groups(i);
        if (!next->Visible())
            continue;
        if (LqIntersects(next->ViewRect(), viewport_rect))
            return next;
        // An empty group is handed out so that a caller passes on beyond it.
        return next->ItemCount() == 0 ? next : nullptr;
    }
    return nullptr;
}

TRect TLqGroups::item_test_rect(TLqItem* item) const
{
    TCustomLqListview* owner = OwnerListview();
    if (owner != nullptr && owner->View() == elsReport) {
        TRect row = owner->Header()->ViewRect();
        row.Top = item->ViewRect().Top;
        row.Bottom = item->ViewRect().Bottom;
        return row;
    }
    return item->ViewRect();
}

TLqItem* TLqGroups::FirstItemInRect(const TRect& viewport_rect) const
{
    for (TLqGroup* group = FirstGroupInRect(viewport_rect); group != nullptr;
         group = NextGroupInRect(group, viewport_rect)) {
        if (group->ItemCount() == 0 || !group->Expanded())
            continue;
        for (int i = 0; i < group->ItemCount(); ++i) {
            TLqItem* item = group->Item(i);
            if (item->Visible() && LqIntersects(item_test_rect(item), viewport_rect))
                return item;
        }
    }
    return nullptr;
}

TLqItem* TLqGroups::NextItemInRect(TLqItem* item, const TRect& viewport_rect) const
{
    if (item == nullptr || item->OwnerGroup() == nullptr)
        return nullptr;
    TCustomLqListview* owner = OwnerListview();
    const bool report = owner != nullptr && owner->View() == elsReport;
    const bool vertical = owner == nullptr || owner->IsVertView();
    TLqGroup* group = item->OwnerGroup();
    int position = item->Index() + 1;
    while (group != nullptr) {
        if (group->Expanded()) {
            for (; position < group->ItemCount(); ++position) {
                TLqItem* candidate = group->Item(position);
                if (!candidate->Visible())
                    continue;
                const TRect test = item_test_rect(candidate);
                if (LqIntersects(test, viewport_rect))
                    return candidate;
                if (report)
                    return nullptr;
                const TRect& cell = candidate->ViewRect();
                if (vertical ? cell.Top > viewport_rect.Bottom : cell.Left > viewport_rect.Right)
                    return nullptr;
            }
        }
        group = NextGroupInRect(group, viewport_rect);
        position = 0;
    }
    return nullptr;
}

TLqGroup* TLqGroups::GroupByPoint(TPoint viewport_point) const
{
    for (int i = 0; i < Count(); ++i) {
        TLqGroup* group = Groups(i);
        if (group->Visible() && group->Enabled() && LqContains(group->ViewRect(), viewport_point))
            return group;
    }
    return nullptr;
}

TLqItem* TLqGroups::ItemByPoint(TPoint viewport_point) const
{
    TLqGroup* group = GroupByPoint(viewport_point);
    return group != nullptr ? group->ItemByPoint(viewport_point) : nullptr;
}

TLqItem* TLqGroups::AdjacentItem(TLqItem* item, TLqAdjacentCellDir direction) const
{
    if (item == nullptr || item->OwnerGroup() == nullptr)
        return nullptr;
    return item->OwnerGroup()->Grid()->AdjacentItem(item, direction);
}

}
