#include "listview/grid_layout.h"

#include "framework/graphics.h"
#include "framework/sysutils.h"
#include "listview/cell_sizes.h"
#include "listview/groups.h"
#include "listview/items.h"
#include "listview/layout.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "listview/selection.h"
#include "platform/system_metrics.h"
#include "platform/user_paint.h"

#include <algorithm>

using namespace fw;

namespace vistrel::listview {

namespace {

template <typename T>
TLqGridGroup* make_grid(TCustomLqListview* owner, TLqGroup* owner_group)
{
    return new T(owner, owner_group);
}

// A canvas on the screen's device context, for measuring; released at the end.
class ScreenCanvas {
public:
    ScreenCanvas() : m_dc(GetDC(nullptr)) { m_canvas.SetHandle(m_dc); }
    ~ScreenCanvas()
    {
        m_canvas.SetHandle(nullptr);
        if (m_dc != nullptr)
            ReleaseDC(nullptr, m_dc);
    }
    ScreenCanvas(const ScreenCanvas&) = delete;
    ScreenCanvas& operator=(const ScreenCanvas&) = delete;
    TCanvas* canvas() { return &m_canvas; }
    bool valid() const { return m_dc != nullptr; }

private:
    HDC m_dc;
    TCanvas m_canvas;
};

// The header's columns as the column grids read them. The header lays its columns out
// from left to right; their rectangles are the columns' view rectangles.
int column_count(TCustomLqListview* owner)
{
    return owner != nullptr ? owner->Header()->Columns()->Count() : 0;
}

TRect column_rect(TCustomLqListview* owner, int index)
{
    return owner->Header()->Columns()->Items(index)->ViewRect();
}

// The right edge of the last column in display order; 0 without columns.
int header_view_width(TCustomLqListview* owner)
{
    return owner->Header()->ViewRect().Right;
}

void refuse_invisible(TLqItem* item)
{
    if (!item->Visible())
        throw EAssertionFailed(
            QStringLiteral("Can not find TLqGroups.AdjacentItem of an Invisible Item"));
}

// The last visible index of a group that lies in line `line` of `across` lines (the
// column of a row-filled grid, the row of a column-filled one).
TLqItem* last_in_line(TLqGroup* group, int line, int across)
{
    const int count = group->VisibleCount();
    if (across < 1 || line >= count)
        return nullptr;
    return group->VisibleItem((count - 1 - line) / across * across + line);
}

// The items of a group that the layout does not place.
void unplace_items(TLqGroup* group)
{
    for (int i = 0; i < group->ItemCount(); ++i) {
        group->Item(i)->SetVisibleIndex(-1);
        group->Item(i)->SetVisibleIndexInGroup(-1);
    }
}

// The item the layout puts at a visible place.
void place_item(TLqGroup* group, TLqItem* item, int& next_visible_item_index)
{
    item->SetVisibleIndexInGroup(group->VisibleCount());
    item->SetVisibleIndex(next_visible_item_index++);
    group->VisibleItems().Add(item);
}

void reset_group(TLqGroup* group, const TRect& rect)
{
    group->SetViewRect(rect);
    group->VisibleItems().Clear();
    group->VisibleItems().SetCapacity(group->ItemCount());
}

}

// ---- Classes -------------------------------------------------------------------------------

const TLqGridGroupClassInfo TLqGridIconGroup::Class{"TLqGridIconGroup",
                                                    &make_grid<TLqGridIconGroup>};
const TLqGridGroupClassInfo TLqGridSmallIconGroup::Class{"TLqGridSmallIconGroup",
                                                         &make_grid<TLqGridSmallIconGroup>};
const TLqGridGroupClassInfo TLqGridThumbnailGroup::Class{"TLqGridThumbnailGroup",
                                                         &make_grid<TLqGridThumbnailGroup>};
const TLqGridGroupClassInfo TLqGridTileGroup::Class{"TLqGridTileGroup",
                                                    &make_grid<TLqGridTileGroup>};
const TLqGridGroupClassInfo TLqGridListGroup::Class{"TLqGridListGroup",
                                                    &make_grid<TLqGridListGroup>};
const TLqGridGroupClassInfo TLqGridFilmStripGroup::Class{"TLqGridFilmStripGroup",
                                                         &make_grid<TLqGridFilmStripGroup>};
const TLqGridGroupClassInfo TLqGridReportGroup::Class{"TLqGridReportGroup",
                                                      &make_grid<TLqGridReportGroup>};
const TLqGridGroupClassInfo TLqGridGridGroup::Class{"TLqGridGridGroup",
                                                    &make_grid<TLqGridGridGroup>};

TLqGridGroupClass LqDefaultGridClass(TLqListStyle style)
{
    switch (style) {
    case elsIcon:
        return &TLqGridIconGroup::Class;
    case elsSmallIcon:
        return &TLqGridSmallIconGroup::Class;
    case elsList:
        return &TLqGridListGroup::Class;
    case elsReport:
        return &TLqGridReportGroup::Class;
    case elsThumbnail:
        return &TLqGridThumbnailGroup::Class;
    case elsTile:
        return &TLqGridTileGroup::Class;
    case elsFilmStrip:
        return &TLqGridFilmStripGroup::Class;
    case elsGrid:
        return &TLqGridGridGroup::Class;
    }
    return &TLqGridIconGroup::Class;
}

std::unique_ptr<TLqGridGroup> LqCreateGrid(TLqGridGroupClass grid_class, TCustomLqListview* owner,
                                           TLqGroup* owner_group)
{
    // A class record without a factory makes the view's own grid.
    TLqGridGroupClass maker = grid_class;
    if (maker == nullptr || maker->Create == nullptr)
        maker = LqDefaultGridClass(owner != nullptr ? owner->View() : elsIcon);
    std::unique_ptr<TLqGridGroup> grid(maker->Create(owner, owner_group));
    grid->m_class = grid_class != nullptr ? grid_class : maker;
    return grid;
}

TLqGridGroup::TLqGridGroup(TCustomLqListview* owner, TLqGroup* owner_group)
    : TLqOwnedPersistent(owner), m_owner_group(owner_group)
{
}

TLqGridGroup::~TLqGridGroup() = default;

TLqGroups* TLqGridGroup::OwnerGroups() const
{
    return m_owner_group->OwnerGroups();
}

int TLqGridGroup::margin_left() const
{
    return m_owner_group->MarginLeftSize();
}

int TLqGridGroup::margin_top() const
{
    return m_owner_group->MarginTopSize();
}

int TLqGridGroup::margin_right() const
{
    return m_owner_group->MarginRightSize();
}

int TLqGridGroup::margin_bottom() const
{
    return m_owner_group->MarginBottomSize();
}

TLqCellSize* TLqGridIconGroup::CellSize() const
{
    return OwnerListview()->CellSizes()->Icon();
}

TLqCellSize* TLqGridSmallIconGroup::CellSize() const
{
    return OwnerListview()->CellSizes()->SmallIcon();
}

TLqCellSize* TLqGridThumbnailGroup::CellSize() const
{
    return OwnerListview()->CellSizes()->Thumbnail();
}

TLqCellSize* TLqGridTileGroup::CellSize() const
{
    return OwnerListview()->CellSizes()->Tile();
}

TLqCellSize* TLqGridListGroup::CellSize() const
{
    return OwnerListview()->CellSizes()->List();
}

TLqCellSize* TLqGridFilmStripGroup::CellSize() const
{
    return OwnerListview()->CellSizes()->FilmStrip();
}

TLqCellSize* TLqGridReportGroup::CellSize() const
{
    return OwnerListview()->CellSizes()->Report();
}

TLqCellSize* TLqGridGridGroup::CellSize() const
{
    return OwnerListview()->CellSizes()->Grid();
}

TLqGridListGroup::TLqGridListGroup(TCustomLqListview* owner, TLqGroup* owner_group)
    : TLqGridGroup(owner, owner_group)
{
    set_layout(eglHorz);
}

TLqGridReportGroup::TLqGridReportGroup(TCustomLqListview* owner, TLqGroup* owner_group)
    : TLqGridGroup(owner, owner_group)
{
    set_layout(eglGrid);
}

TLqGridGridGroup::TLqGridGridGroup(TCustomLqListview* owner, TLqGroup* owner_group)
    : TLqGridGroup(owner, owner_group)
{
    set_layout(eglGrid);
}

// ---- Common operations ---------------------------------------------------------------------

void TLqGridGroup::SetCellSize(TLqCellSize* value)
{
    CellSize()->Assign(value);
}

int TLqGridGroup::MaxColumns(TLqGroup* group, int view_width)
{
    return (view_width - group->MarginLeftSize() - group->MarginRightSize()) /
           CellSize()->SafeWidth();
}

void TLqGridGroup::AutoSizeCells()
{
    TLqCellSize* cell = CellSize();
    if (!cell->AutoSizeCaption())
        return;
    // The first of the visible items with the most characters in its caption.
    TLqItem* longest = nullptr;
    int longest_length = -1;
    for (int i = 0; i < m_owner_group->ItemCount(); ++i) {
        TLqItem* item = m_owner_group->Item(i);
        if (!item->Visible())
            continue;
        const int length = static_cast<int>(item->Caption().size());
        if (length > longest_length) {
            longest = item;
            longest_length = length;
        }
    }
    if (longest == nullptr)
        return;
    ScreenCanvas screen;
    if (!screen.valid())
        return;
    TCanvas* canvas = screen.canvas();
    TLqRectArrayObject rects;
    longest->ItemRectArray(nullptr, canvas, rects);
    canvas->Font()->Assign(OwnerListview()->Font());
    longest->View()->LoadTextFont(longest, 0, canvas, true);
    const int caption_width = canvas->TextWidth(longest->Caption());
    cell->SetAutoSizeWidth(rects.CheckRect.Width() + rects.IconRect.Width() +
                           rects.StateRect.Width() + caption_width + 18);
}

void TLqGridGroup::FindInsertPosition(TPoint viewport_point, TLqGroup*& group, int& index)
{
    index = -1;
    group = OwnerGroups()->GroupByPoint(viewport_point);
    if (group == nullptr)
        return;
    TLqItem* item = group->ItemByPoint(viewport_point);
    if (item == nullptr)
        return;
    const TRect& cell = item->ViewRect();
    const bool left_half = 2 * (viewport_point.X - cell.Left) < cell.Width();
    index = left_half ? item->Index() : item->Index() + 1;
}

// ---- Vertical flow -------------------------------------------------------------------------

void TLqGridGroup::Rebuild(TLqGroup* prev_group, int& next_visible_item_index)
{
    TCustomLqListview* owner = OwnerListview();
    TLqGroup* group = m_owner_group;
    AutoSizeCells();
    TLqCellSize* cell = CellSize();
    const int cell_width = cell->SafeWidth();
    const int cell_height = cell->SafeHeight();
    const int left = margin_left();
    const int top = margin_top();
    const int right = margin_right();
    const int bottom = margin_bottom();
    const bool vert_bar = owner->Scrollbars()->VertBarVisible();
    int view_width = owner->ClientWidth() - (vert_bar ? 1 : GetSystemMetrics(SM_CYVSCROLL) + 1);
    view_width = std::max(view_width, cell_width + left + right);

    reset_group(group, TRect{0, TopOffset(), view_width, TopOffset()});
    set_counts(0, 0);
    TLqItem* focused = nullptr;
    int lowest = 0;
    const bool placing = group->Visible() && group->Expanded() && group->ItemCount() > 0;
    if (placing) {
        m_column_count = std::max(1, MaxColumns(group, view_width));
        const int row_width = m_column_count * cell_width;
        const int shift_x = left;
        const int shift_y = top + TopOffset() + TopItemOffset() +
                            (prev_group != nullptr ? prev_group->ViewRect().Bottom : 0);
        int x = 0;
        int y = 0;
        for (int i = 0; i < group->ItemCount(); ++i) {
            TLqItem* item = group->Item(i);
            if (row_width < x + cell_width) {
                x = 0;
                y += cell_height;
            }
            TRect r;
            if (item->Visible()) {
                place_item(group, item, next_visible_item_index);
                r = TRect{x, y, x + cell_width, y + cell_height};
                x += cell_width;
                lowest = std::max(lowest, y + cell_height);
            } else {
                r = TRect{x, y, x, y + cell_height};
                item->SetVisibleIndex(-1);
                item->SetVisibleIndexInGroup(-1);
            }
            item->SetViewRect(LqOffset(r, shift_x, shift_y));
            if (item->Focused())
                focused = item;
        }
    } else {
        unplace_items(group);
        TLqItem* focused_item = owner->Selection()->FocusedItem();
        if (group->Visible() && focused_item != nullptr && focused_item->OwnerGroup() == group)
            owner->Selection()->SetFocusedItem(OwnerGroups()->NextVisibleItem(focused_item));
    }
    TRect rect = group->ViewRect();
    if (group->Visible()) {
        const int items = group->ItemCount();
        m_row_count = m_column_count >= 1
                          ? items / m_column_count + (items % m_column_count != 0 ? 1 : 0)
                          : 0;
        rect.Bottom += bottom + top + lowest;
        if (group->Expanded())
            rect.Bottom += 2 * TopItemOffset();
    } else {
        for (int i = 0; i < group->ItemCount() && owner->Selection()->Count() > 0; ++i)
            group->Item(i)->SetSelected(false);
        TLqItem* focused_item = owner->Selection()->FocusedItem();
        if (focused_item != nullptr && focused_item->OwnerGroup() == group)
            owner->Selection()->SetFocusedItem(nullptr);
    }
    if (group->VisibleCount() == 0)
        set_counts(0, 0);
    if (prev_group != nullptr)
        rect = LqOffset(rect, 0, prev_group->ViewRect().Bottom);
    group->SetViewRect(rect);

    // The focused item's whole caption may run below its cell: the group grows to hold it.
    if (focused != nullptr && owner->ScratchCanvas() != nullptr &&
        (owner->Selection()->ResizeGroupOnFocus() || OwnerGroups()->LastGroup() == group)) {
        TLqRectArrayObject rects;
        focused->ItemRectArray(nullptr, owner->ScratchCanvas(), rects);
        if (rect.Bottom - bottom < rects.FullTextRect.Bottom) {
            rect.Bottom += rects.FullTextRect.Bottom - focused->ViewRect().Bottom;
            group->SetViewRect(rect);
        }
    }
}

// ---- Horizontal flow -----------------------------------------------------------------------

void TLqGridListGroup::Rebuild(TLqGroup* prev_group, int& next_visible_item_index)
{
    TCustomLqListview* owner = OwnerListview();
    TLqGroup* group = OwnerGroup();
    AutoSizeCells();
    TLqCellSize* cell = CellSize();
    const int cell_width = cell->SafeWidth();
    const int cell_height = cell->SafeHeight();
    const int left = margin_left();
    const int top = margin_top();
    const int right = margin_right();
    const int bottom = margin_bottom();
    const int group_left = prev_group != nullptr ? prev_group->ViewRect().Right : 0;
    int height =
        owner->ClientHeight() - GetSystemMetrics(SM_CXHSCROLL) - owner->HeaderHeightInView();
    height = std::max(height, bottom + top + cell_height);

    reset_group(group, TRect{group_left, 0, group_left, height});
    set_counts(0, 0);
    if (!(group->Visible() && group->Expanded() && group->ItemCount() > 0)) {
        unplace_items(group);
    } else {
        const int rows = std::max(1, (height - bottom - top - 1) / cell_height);
        int columns = 1;
        int x = group_left + left;
        int y = top;
        for (int i = 0; i < group->ItemCount(); ++i) {
            TLqItem* item = group->Item(i);
            TRect r;
            if (!item->Visible()) {
                // A hidden item takes no cell: it never opens a column, so the next
                // visible item takes the cell it stands in.
                item->SetVisibleIndex(-1);
                item->SetVisibleIndexInGroup(-1);
                item->SetViewRect(TRect{x, y, x, y + cell_height});
                continue;
            }
            place_item(group, item, next_visible_item_index);
            r = TRect{x, y, x + cell_width, y + cell_height};
            y += cell_height;
            if (r.Bottom > height - bottom) {
                r = LqOffset(r, cell_width, top + cell_height - y);
                x += cell_width;
                y = top + cell_height;
                ++columns;
            }
            item->SetViewRect(r);
        }
        set_counts(columns, rows);
        TRect rect = group->ViewRect();
        rect.Right = x + cell_width + right;
        group->SetViewRect(rect);
    }
    if (group->Visible() && group->VisibleCount() == 0) {
        // An empty or collapsed group is as wide as its caption.
        TCanvas* canvas = owner->ScratchCanvas();
        int caption_width = 0;
        if (canvas != nullptr) {
            canvas->Font()->Assign(owner->GroupFont());
            caption_width = canvas->TextWidth(group->Caption());
        }
        TLqRectArrayObject rects;
        const TRect margin = group->BoundsRectTopMargin();
        group->View()->GroupRectArray(group, egmeTop, margin, rects);
        set_counts(0, 0);
        TRect rect = group->ViewRect();
        rect.Right = left + right + std::max(rects.IconRect.Right, rect.Left) +
                     group->PaintInfo()->CaptionIndent() + caption_width;
        group->SetViewRect(rect);
    }
}

TLqItem* TLqGridListGroup::AdjacentItem(TLqItem* item, TLqAdjacentCellDir direction)
{
    if (item == nullptr)
        return nullptr;
    refuse_invisible(item);
    TLqGroup* group = OwnerGroup();
    const int index = item->VisibleIndexInGroup();
    const int rows = RowCount();
    switch (direction) {
    case acdUp:
        return TLqGridGroup::AdjacentItem(item, acdLeft);
    case acdDown:
        return TLqGridGroup::AdjacentItem(item, acdRight);
    case acdLeft:
    case acdRight:
        return column_neighbour(item, direction == acdRight);
    case acdPageDown:
        if (rows < 1)
            return item;
        return group->VisibleItem(
            std::min(index / rows * rows + rows - 1, group->VisibleCount() - 1));
    case acdPageUp:
        if (rows < 1)
            return item;
        return group->VisibleItem(index / rows * rows);
    }
    return nullptr;
}

TLqItem* TLqGridListGroup::column_neighbour(TLqItem* item, bool forward)
{
    TLqGroup* group = OwnerGroup();
    TLqGroups* groups = OwnerGroups();
    const int rows = RowCount();
    if (rows < 1)
        return nullptr;
    const int index = item->VisibleIndexInGroup();
    const int target = forward ? index + rows : index - rows;
    if (target >= 0 && target < group->VisibleCount())
        return group->VisibleItem(target);
    for (int row = index % rows; row >= 0; --row) {
        for (TLqGroup* other = forward ? groups->NextVisibleGroupWithVisibleItems(group)
                                       : groups->PrevVisibleGroupWithVisibleItems(group);
             other != nullptr; other = forward ? groups->NextVisibleGroupWithVisibleItems(other)
                                               : groups->PrevVisibleGroupWithVisibleItems(other)) {
            if (other->VisibleCount() <= row)
                continue;
            return forward ? other->VisibleItem(row)
                           : last_in_line(other, row, other->Grid()->RowCount());
        }
    }
    return nullptr;
}

// ---- Neighbours in the vertical flow -------------------------------------------------------

TLqItem* TLqGridGroup::step_across_groups(TLqItem* item, int position, bool forward, bool by_column)
{
    TLqGroups* groups = OwnerGroups();
    TLqGroup* group = m_owner_group;
    if (!by_column) {
        // The neighbour in index order, across groups.
        if (position >= 0 && position < group->VisibleCount())
            return group->VisibleItem(position);
        TLqGroup* other = forward ? groups->NextVisibleGroupWithVisibleItems(group)
                                  : groups->PrevVisibleGroupWithVisibleItems(group);
        if (other == nullptr)
            return item;
        return forward ? other->VisibleItem(0) : other->VisibleItem(other->VisibleCount() - 1);
    }
    if (position >= 0 && position < group->VisibleCount())
        return group->VisibleItem(position);
    if (m_column_count < 1)
        return nullptr;
    for (int column = item->VisibleIndexInGroup() % m_column_count; column >= 0; --column) {
        for (TLqGroup* other = forward ? groups->NextVisibleGroupWithVisibleItems(group)
                                       : groups->PrevVisibleGroupWithVisibleItems(group);
             other != nullptr; other = forward ? groups->NextVisibleGroupWithVisibleItems(other)
                                               : groups->PrevVisibleGroupWithVisibleItems(other)) {
            if (other->VisibleCount() <= column)
                continue;
            return forward ? other->VisibleItem(column)
                           : last_in_line(other, column, other->Grid()->ColumnCount());
        }
    }
    return nullptr;
}

TLqItem* TLqGridGroup::page_search(TLqItem* item, bool down)
{
    TCustomLqListview* owner = OwnerListview();
    TLqGroups* groups = OwnerGroups();
    const int cell_width = CellSize()->SafeWidth();
    const int cell_height = CellSize()->SafeHeight();
    const TRect& cell = item->ViewRect();
    const int column = m_column_count >= 1 ? item->VisibleIndexInGroup() % m_column_count : 0;
    const TRect view = groups->ViewRect();
    TPoint probe;
    if (down) {
        probe = TPoint{cell.Left, cell.Top + owner->ClientHeight()};
        if (TLqItem* last = groups->LastVisibleItem()) {
            TLqRectArrayObject rects;
            last->ItemRectArray(nullptr, owner->ScratchCanvas(), rects);
            probe.Y = std::min(probe.Y, rects.LabelRect.Bottom - 1);
        }
    } else {
        probe = TPoint{cell.Right - 1, cell.Bottom - owner->ClientHeight()};
        if (TLqGroup* first = groups->FirstVisibleGroup())
            probe.Y = std::max(probe.Y, first->ViewRect().Top + TopItemOffset());
    }
    // The probe only moves down, so the bottom of the view ends the search.
    while (probe.Y < view.Bottom) {
        if (TLqItem* found = groups->ItemByPoint(probe))
            return found;
        for (int step = 1; step <= column + 1; ++step)
            if (TLqItem* found = groups->ItemByPoint(TPoint{probe.X - step * cell_width, probe.Y}))
                return found;
        probe.Y += cell_height;
    }
    return nullptr;
}

TLqItem* TLqGridGroup::AdjacentItem(TLqItem* item, TLqAdjacentCellDir direction)
{
    if (item == nullptr)
        return nullptr;
    refuse_invisible(item);
    const int index = item->VisibleIndexInGroup();
    switch (direction) {
    case acdLeft:
        return step_across_groups(item, index - 1, false, false);
    case acdRight:
        return step_across_groups(item, index + 1, true, false);
    case acdUp:
        return step_across_groups(item, index - m_column_count, false, true);
    case acdDown:
        return step_across_groups(item, index + m_column_count, true, true);
    case acdPageDown:
        return page_search(item, true);
    case acdPageUp:
        return page_search(item, false);
    }
    return nullptr;
}

// ---- Column grid: report view --------------------------------------------------------------

void TLqGridReportGroup::Rebuild(TLqGroup* prev_group, int& next_visible_item_index)
{
    TCustomLqListview* owner = OwnerListview();
    TLqGroup* group = OwnerGroup();
    AutoSizeCells();
    const int cell_height = CellSize()->SafeHeight();
    const int top = prev_group != nullptr ? prev_group->ViewRect().Bottom : 2;
    const int view_width = header_view_width(owner);
    reset_group(group, TRect{0, top, view_width, top});
    const int item_left = margin_left();
    const int item_right = column_count(owner) > 0 ? view_width - margin_right() : 0;
    const bool last_group = OwnerGroups()->LastGroup() == group;
    unplace_items(group);
    if (group->Visible()) {
        int y = top + margin_top();
        if (group->Expanded() && group->ItemCount() > 0) {
            for (int i = 0; i < group->ItemCount(); ++i) {
                TLqItem* item = group->Item(i);
                TRect r{item_left, y, item_right, y};
                if (item->Visible()) {
                    place_item(group, item, next_visible_item_index);
                    r.Bottom = y + cell_height;
                    y += cell_height;
                }
                item->SetViewRect(r);
                TRect rect = group->ViewRect();
                rect.Bottom = r.Bottom + (last_group ? 4 : margin_bottom());
                group->SetViewRect(rect);
            }
        } else {
            group->SetViewRect(TRect{0, top, view_width, y + margin_bottom()});
        }
    }
    set_counts(1, RowCount());
}

TLqItem* TLqGridReportGroup::AdjacentItem(TLqItem* item, TLqAdjacentCellDir direction)
{
    if (item == nullptr)
        return nullptr;
    switch (direction) {
    case acdLeft:
    case acdRight:
        return TLqGridGroup::AdjacentItem(item, direction);
    case acdUp:
        return OwnerGroups()->PrevVisibleItem(item);
    case acdDown:
        return OwnerGroups()->NextVisibleItem(item);
    case acdPageDown:
        return page_item(item, true);
    case acdPageUp:
        return page_item(item, false);
    }
    return nullptr;
}

TLqItem* TLqGridReportGroup::page_item(TLqItem* item, bool down)
{
    TCustomLqListview* owner = OwnerListview();
    TLqGroups* groups = OwnerGroups();
    const int cell_height = CellSize()->SafeHeight();
    const TRect client = owner->ClientInViewportCoords();
    const int client_height = owner->ClientHeight();
    const TRect& cell = item->ViewRect();
    // Rows start at the items' left edge; at x 0 a left margin would hide every row.
    const int x = std::max(0, static_cast<int>(cell.Left));
    TLqItem* found = nullptr;
    if (down) {
        for (int y = client.Bottom - 2; found == nullptr && y >= client.Top; y -= cell_height)
            found = groups->ItemByPoint(TPoint{x, y});
        if (found == item) {
            found = nullptr;
            // Stops once the probe has come back past the item itself.
            for (int y = cell.Top + client_height; found == nullptr && y >= cell.Top;
                 y -= cell_height)
                found = groups->ItemByPoint(TPoint{x, y});
        }
    } else {
        for (int y = client.Top + 1; found == nullptr && y < client.Bottom; y += cell_height)
            found = groups->ItemByPoint(TPoint{x, y});
        if (found == item) {
            found = nullptr;
            for (int y = cell.Top - client_height; found == nullptr && y < cell.Bottom;
                 y += cell_height)
                found = groups->ItemByPoint(TPoint{x, y});
        }
    }
    return found == item ? nullptr : found;
}

// ---- Column grid: grid view ----------------------------------------------------------------

void TLqGridGridGroup::Rebuild(TLqGroup* prev_group, int& next_visible_item_index)
{
    TCustomLqListview* owner = OwnerListview();
    TLqGroup* group = OwnerGroup();
    AutoSizeCells();
    const int cell_height = CellSize()->SafeHeight();
    const int top = prev_group != nullptr ? prev_group->ViewRect().Bottom : 0;
    const int view_width = header_view_width(owner);
    const int columns = column_count(owner);
    const int left = margin_left();
    reset_group(group, TRect{0, top, view_width, top});
    unplace_items(group);
    if (group->Visible()) {
        int y = top + margin_top();
        if (group->Expanded() && group->ItemCount() > 0) {
            int column = 0;
            for (int i = 0; i < group->ItemCount(); ++i) {
                TLqItem* item = group->Item(i);
                TRect r{left, y, left, y};
                if (item->Visible()) {
                    place_item(group, item, next_visible_item_index);
                    // Without columns every item takes a row of its own, of no width.
                    const TRect header_cell =
                        columns > 0 ? column_rect(owner, column) : TRect{0, 0, 0, 0};
                    r = TRect{left + header_cell.Left, y, left + header_cell.Right,
                              y + cell_height};
                    if (++column >= columns) {
                        column = 0;
                        y += cell_height;
                    }
                }
                item->SetViewRect(r);
                TRect rect = group->ViewRect();
                rect.Bottom = r.Bottom + margin_bottom();
                group->SetViewRect(rect);
            }
        } else {
            group->SetViewRect(TRect{0, top, view_width, y + margin_bottom()});
        }
    }
    const int visible = group->VisibleCount();
    set_counts(columns, columns > 0 ? visible / columns + (visible % columns != 0 ? 1 : 0) : 0);
}

}
