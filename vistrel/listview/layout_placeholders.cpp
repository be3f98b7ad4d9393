#include "listview/layout_placeholders.h"

#include "listview/groups.h"
#include "listview/items.h"
#include "listview/listview.h"

using namespace fw;

namespace vistrel::listview {

namespace {

// Cell sizes until the views measure their own.
constexpr int kCellSizes[kLqListStyleCount][2] = {
    {75, 75},   // icon
    {200, 17},  // small icon
    {200, 17},  // list
    {200, 17},  // report
    {125, 143}, // thumbnail
    {218, 58},  // tile
    {80, 108},  // film strip
    {200, 17},  // grid
};

const TLqGridGroupClassInfo kGridClasses[kLqListStyleCount] = {
    {elsIcon},      {elsSmallIcon}, {elsList},      {elsReport},
    {elsThumbnail}, {elsTile},      {elsFilmStrip}, {elsGrid}};
const TLqViewGroupClassInfo kGroupViewClass{0};

bool vertical_flow(TLqListStyle style)
{
    return style != elsList && style != elsFilmStrip;
}

}

void TLqCellSize::Assign(TPersistent* source)
{
    if (auto* other = dynamic_cast<TLqCellSize*>(source)) {
        m_width = other->m_width;
        m_height = other->m_height;
        return;
    }
    TLqOwnedPersistent::Assign(source);
}

TLqCellSizes::TLqCellSizes(TCustomLqListview* owner) : TLqOwnedPersistent(owner)
{
    for (int i = 0; i < kLqListStyleCount; ++i)
        m_sizes[i] = std::make_unique<TLqCellSize>(owner, kCellSizes[i][0], kCellSizes[i][1]);
}

TLqCellSizes::~TLqCellSizes() = default;

TLqCellSize* TLqCellSizes::ForView(TLqListStyle style) const
{
    return m_sizes[style].get();
}

TLqGridGroupClass LqDefaultGridClass(TLqListStyle style)
{
    return &kGridClasses[style];
}

TLqViewGroupClass LqDefaultGroupViewClass()
{
    return &kGroupViewClass;
}

TLqGridGroup::TLqGridGroup(TCustomLqListview* owner, TLqGroup* group, TLqListStyle style)
    : TLqOwnedPersistent(owner), m_group(group), m_style(style),
      m_cell_size(std::make_unique<TLqCellSize>(owner, 0, 0))
{
    if (owner != nullptr)
        m_cell_size->Assign(owner->CellSizes()->ForView(style));
}

TLqGridGroup::~TLqGridGroup() = default;

TLqGridGroupClass TLqGridGroup::ClassType() const
{
    return &kGridClasses[m_style];
}

void TLqGridGroup::Rebuild(TLqGroup* prev_group, int& next_visible_item_index)
{
    TCustomLqListview* owner = OwnerListview();
    const bool vertical = vertical_flow(m_style);
    const int cell_width = std::max(1, m_cell_size->Width());
    const int cell_height = std::max(1, m_cell_size->Height());
    TRect start{};
    if (prev_group != nullptr)
        start = vertical ? TRect{0, prev_group->ViewRect().Bottom, 0, prev_group->ViewRect().Bottom}
                         : TRect{prev_group->ViewRect().Right, 0, prev_group->ViewRect().Right, 0};
    m_group->VisibleItems().Clear();
    m_column_count = 0;
    m_row_count = 0;
    const int client_width = owner != nullptr ? owner->ClientWidth() : 0;
    const int client_height = owner != nullptr ? owner->ClientHeight() : 0;
    if (!m_group->Visible()) {
        m_group->SetViewRect(TRect{start.Left, start.Top, start.Left, start.Top});
        for (int i = 0; i < m_group->ItemCount(); ++i) {
            m_group->Item(i)->SetVisibleIndex(-1);
            m_group->Item(i)->SetVisibleIndexInGroup(-1);
        }
        return;
    }
    const int left = start.Left + m_group->MarginLeftSize();
    const int top = start.Top + m_group->MarginTopSize();
    int placed = 0;
    if (m_group->Expanded()) {
        if (vertical)
            m_column_count = std::max(
                1, (client_width - m_group->MarginLeftSize() - m_group->MarginRightSize()) /
                       cell_width);
        else
            m_row_count = m_style == elsFilmStrip
                              ? 1
                              : std::max(1, (client_height - m_group->MarginTopSize() -
                                             m_group->MarginBottomSize()) /
                                                cell_height);
    }
    for (int i = 0; i < m_group->ItemCount(); ++i) {
        TLqItem* item = m_group->Item(i);
        if (!m_group->Expanded() || !item->Visible()) {
            item->SetVisibleIndex(-1);
            item->SetVisibleIndexInGroup(-1);
            continue;
        }
        const int column = vertical ? placed % m_column_count : placed / m_row_count;
        const int row = vertical ? placed / m_column_count : placed % m_row_count;
        item->SetViewRect(
            Bounds(left + column * cell_width, top + row * cell_height, cell_width, cell_height));
        item->SetVisibleIndex(next_visible_item_index++);
        item->SetVisibleIndexInGroup(placed);
        m_group->VisibleItems().Add(item);
        ++placed;
    }
    int content_width = 0;
    int content_height = 0;
    if (placed > 0) {
        const int columns =
            vertical ? std::min(placed, m_column_count) : (placed + m_row_count - 1) / m_row_count;
        const int rows = vertical ? (placed + m_column_count - 1) / m_column_count
                                  : std::min(placed, m_row_count);
        content_width = columns * cell_width;
        content_height = rows * cell_height;
    }
    if (vertical)
        content_width = std::max(content_width, client_width - m_group->MarginLeftSize() -
                                                    m_group->MarginRightSize());
    m_group->SetViewRect(TRect{start.Left, start.Top,
                               left + content_width + m_group->MarginRightSize(),
                               top + content_height + m_group->MarginBottomSize()});
}

TLqItem* TLqGridGroup::AdjacentItem(TLqItem* item, TLqAdjacentCellDir direction) const
{
    if (item == nullptr || item->VisibleIndexInGroup() < 0)
        return nullptr;
    const bool vertical = vertical_flow(m_style);
    const int across = vertical ? m_column_count : m_row_count;
    if (across <= 0)
        return nullptr;
    int index = item->VisibleIndexInGroup();
    switch (direction) {
    case acdLeft:
        index -= vertical ? 1 : across;
        break;
    case acdRight:
        index += vertical ? 1 : across;
        break;
    case acdUp:
        index -= vertical ? across : 1;
        break;
    case acdDown:
        index += vertical ? across : 1;
        break;
    case acdPageDown:
    case acdPageUp:
        return nullptr;
    }
    return m_group->VisibleItem(index);
}

void TLqViewGroup::GroupRectArray(TLqGroup*, TLqGroupMarginEdge, const TRect& margin_rect,
                                  TLqRectArrayObject& rects)
{
    rects = TLqRectArrayObject{};
    rects.BoundsRect = margin_rect;
    rects.LabelRect = margin_rect;
    rects.TextRect = margin_rect;
}

bool TLqViewGroup::EditAreaHitPt(TLqGroup*, TPoint)
{
    return false;
}

bool TLqViewGroup::SelectionHit(TLqGroup*, const TRect&, TLqSelectHitType)
{
    return false;
}

bool TLqViewGroup::SelectionHitPt(TLqGroup*, TPoint, TLqSelectHitType)
{
    return false;
}

void TLqScrollbarManager::SetOffsetX(int value)
{
    if (value == m_offset_x)
        return;
    m_offset_x = value;
    if (OwnerListview() != nullptr)
        OwnerListview()->SafeInvalidateRect(nullptr, false);
}

void TLqScrollbarManager::SetOffsetY(int value)
{
    if (value == m_offset_y)
        return;
    m_offset_y = value;
    if (OwnerListview() != nullptr)
        OwnerListview()->SafeInvalidateRect(nullptr, false);
}

void TLqScrollbarManager::SetViewRect(const TRect& rect, bool invalidate)
{
    m_view_rect = rect;
    if (invalidate && OwnerListview() != nullptr)
        OwnerListview()->SafeInvalidateRect(nullptr, false);
}

TRect TLqScrollbarManager::MapWindowRectToViewRect(const TRect& rect) const
{
    return LqOffset(rect, m_offset_x, m_offset_y);
}

TRect TLqScrollbarManager::MapViewRectToWindowRect(const TRect& rect) const
{
    return LqOffset(rect, -m_offset_x, -m_offset_y);
}

}
