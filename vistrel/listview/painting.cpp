// The control's paint routine: background, header, groups, column bands, items, grid
// lines and the insert mark, in that order. Groups and items are drawn in view
// coordinates through the canvas's window origin; the header band at the top of the
// client area is cut out of the clip region before anything below it is drawn, so
// rows scroll beneath a header that stays in place.

#include "listview/listview.h"

#include "listview/column_placeholders.h"
#include "listview/group_view.h"
#include "listview/groups.h"
#include "listview/item_view.h"
#include "listview/items.h"
#include "listview/managers.h"
#include "listview/selection.h"
#include "platform/gdi.h"

using namespace fw;

namespace vistrel::listview {

namespace {

// One run of the paint routine: what every step reads.
struct PaintRun {
    TCustomLqListview* control;
    TCanvas* canvas;
    HDC dc;
    // The clip rectangle in view coordinates (header accounted).
    TRect viewport;
    bool selected_only;
    int offset_x;
    int offset_y;
    int header_height;

    void view_origin() const { SetWindowOrgEx(dc, offset_x, offset_y - header_height, nullptr); }
};

// Locks the canvases of the group button bitmaps and puts the canvas's window origin
// back, also when a painting step fails.
class PaintScope {
public:
    PaintScope(TCustomLqListview* control, HDC dc) : m_dc(dc)
    {
        m_images[0] = LqGroupExpandImage(control);
        m_images[1] = LqGroupCollapseImage(control);
        for (TBitmap* image : m_images)
            if (image != nullptr)
                image->Canvas()->Lock();
        GetWindowOrgEx(m_dc, &m_origin);
    }
    ~PaintScope()
    {
        SetWindowOrgEx(m_dc, m_origin.x, m_origin.y, nullptr);
        for (TBitmap* image : m_images)
            if (image != nullptr)
                image->Canvas()->Unlock();
    }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

private:
    HDC m_dc;
    POINT m_origin{};
    TBitmap* m_images[2] = {nullptr, nullptr};
};

void paint_groups(const PaintRun& run)
{
    TLqGroups* groups = run.control->Groups();
    for (TLqGroup* group = groups->FirstGroupInRect(run.viewport); group != nullptr;
         group = groups->NextGroupInRect(group, run.viewport)) {
        group->Paint(egmeBackground, group->ViewRect(), run.canvas);
        group->Paint(egmeTop, group->BoundsRectTopMargin(), run.canvas);
        group->Paint(egmeBottom, group->BoundsRectBottomMargin(), run.canvas);
        group->Paint(egmeLeft, group->BoundsRectLeftMargin(), run.canvas);
        group->Paint(egmeRight, group->BoundsRectRightMargin(), run.canvas);
        group->Paint(egmeForeground, group->ViewRect(), run.canvas);
    }
}

// The bands under the columns that have a background colour (or are the focused,
// highlighted column), within each visible group's background.
void paint_column_backgrounds(const PaintRun& run)
{
    TCustomLqListview* control = run.control;
    TLqHeader* header = control->Header();
    TLqGroups* groups = control->Groups();
    const TLqPaintInfoColumn* info = control->GetPaintInfoColumn();
    const int window_bottom = control->ClientHeight() + run.offset_y - run.header_height;
    control->ClipHeader(run.canvas, false);
    for (TLqColumn* column = header->FirstColumnInRect(run.viewport); column != nullptr;
         column = header->NextColumnInRect(column, run.viewport)) {
        const bool hilight = column->Focused() && info->HilightFocused();
        if (column->BkGndColor() == clNone && !hilight)
            continue;
        TLqGroup* last = groups->LastVisibleGroup();
        for (TLqGroup* group = groups->FirstVisibleGroup(); group != nullptr;
             group = groups->NextVisibleGroup(group)) {
            TRect band{column->ViewRect().Left, run.offset_y + 1, column->ViewRect().Right,
                       window_bottom};
            band = LqIntersect(band, run.viewport);
            if (band.IsEmpty())
                continue;
            band = LqIntersect(band, group->BoundsRectBkGnd());
            if (info->BkGndColorFillsWindow() && group == last)
                band.Bottom = window_bottom;
            run.canvas->Brush()->SetStyle(bsSolid);
            run.canvas->Brush()->SetColor(hilight ? info->HilightFocusedColor()
                                                  : column->BkGndColor());
            run.canvas->FillRect(band);
        }
    }
}

// One cell of a report row; the column moves on to the next one in the rectangle.
void paint_cell(const PaintRun& run, TLqColumn*& column, TLqItem* item, bool whole_row, bool clip)
{
    run.control->ClipHeader(run.canvas, true);
    run.view_origin();
    if (clip) {
        const TRect cell = LqIntersect(item->ViewRect(), run.viewport);
        IntersectClipRect(run.dc, cell.Left, cell.Top, cell.Right, cell.Bottom);
    }
    item->View()->Paint(item, column, run.canvas, run.viewport, whole_row);
    column = run.control->Header()->NextColumnInRect(column, run.viewport);
}

void paint_report_row(const PaintRun& run, TLqItem* item)
{
    TCustomLqListview* control = run.control;
    TLqSelectionManager* selection = control->Selection();
    TLqColumn* column = control->Header()->FirstColumnInRect(run.viewport);
    if (item->Selected() || item->Hilighted()) {
        if (selection->GroupSelections())
            paint_cell(run, column, item, true, false);
        else if (selection->FullRowSelect())
            paint_cell(run, column, item, true, true);
    }
    while (column != nullptr)
        paint_cell(run, column, item, false, false);
    if (!(selection->FullRowSelect() && control->Focused() && selection->UseFocusRect() &&
          item->Focused() && !run.selected_only))
        return;
    control->ClipHeader(run.canvas, true);
    run.canvas->Brush()->SetStyle(bsSolid);
    run.canvas->Brush()->SetColor(control->Color());
    run.canvas->Font()->SetColor(clBlack);
    TLqRectArrayObject rects;
    item->View()->ItemRectArray(item, control->Header()->ColumnByPosition(0), run.canvas,
                                item->Caption(), rects);
    TRect focus = item->ViewRect();
    if (!selection->FullCellPaint() && !selection->FullItemPaint())
        focus.Left = rects.SelectionRect.Left;
    run.canvas->DrawFocusRect(focus);
}

void paint_items(const PaintRun& run)
{
    TCustomLqListview* control = run.control;
    TLqGroups* groups = control->Groups();
    const bool report = control->View() == elsReport;
    TLqItem* item = groups->FirstItemInRect(run.viewport);
    // A selection group that begins above the rectangle is painted from its first item,
    // so that its shape is whole.
    if (item != nullptr && report && control->Selection()->GroupSelections() &&
        item->SelectionGroup() != nullptr && item->SelectionGroup()->FirstItem != nullptr) {
        TLqItem* first = item->SelectionGroup()->FirstItem;
        if (!run.selected_only || item->Selected())
            paint_report_row(run, first);
        if (item == first)
            item = groups->NextItemInRect(item, run.viewport);
    }
    for (; item != nullptr; item = groups->NextItemInRect(item, run.viewport)) {
        control->ClipHeader(run.canvas, true);
        if (item->Focused() && item->View()->OverlappedFocus())
            continue;
        if (run.selected_only && !item->Selected())
            continue;
        if (report)
            paint_report_row(run, item);
        else
            item->View()->Paint(item, nullptr, run.canvas, run.viewport, false);
    }
    // A focused item that overlaps its neighbours lies above them.
    TLqItem* focused = control->Selection()->FocusedItem();
    if (focused != nullptr && focused->View()->OverlappedFocus())
        focused->View()->Paint(focused, nullptr, run.canvas, run.viewport, false);
}

void paint_grid_lines(const PaintRun& run)
{
    TCustomLqListview* control = run.control;
    TLqGroups* groups = control->Groups();
    TLqHeader* header = control->Header();
    control->ClipHeader(run.canvas, true);
    run.canvas->Pen()->SetColor(control->GetPaintInfoItem()->GridLineColor());
    run.canvas->Pen()->SetWidth(1);
    run.canvas->Pen()->SetStyle(psSolid);
    for (TLqColumn* column = header->FirstColumnInRect(run.viewport); column != nullptr;
         column = header->NextColumnInRect(column, run.viewport)) {
        const int x = column->ViewRect().Right;
        for (TLqGroup* group = groups->FirstVisibleGroup(); group != nullptr;
             group = groups->NextVisibleGroup(group)) {
            const TRect background = group->BoundsRectBkGnd();
            run.canvas->MoveTo(x, background.Top);
            run.canvas->LineTo(x, background.Bottom);
        }
    }
    const int right = control->ClientWidth() + run.offset_x;
    for (TLqItem* item = groups->FirstItemInRect(run.viewport); item != nullptr;
         item = groups->NextItemInRect(item, run.viewport)) {
        const int y = item->ViewRect().Bottom - 1;
        run.canvas->MoveTo(run.offset_x, y);
        run.canvas->LineTo(right, y);
    }
}

// The insert mark: a stem a third of the mark's width (or height) across the middle,
// with bars at both ends; the far bar is one line thicker than the near one.
void paint_insert_mark(TCanvas* canvas, const TRect& mark, TColor color, TLqInsertMarkerDir dir)
{
    canvas->Pen()->SetColor(color);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetStyle(psSolid);
    auto line = [canvas](int x1, int y1, int x2, int y2) {
        canvas->MoveTo(x1, y1);
        canvas->LineTo(x2, y2);
    };
    if (dir == dmdVert) {
        const int n = mark.Width() / 3;
        for (int x = mark.Left + n; x <= mark.Left + 2 * n - 1; ++x)
            line(x, mark.Top, x, mark.Bottom);
        for (int y = mark.Top; y <= mark.Top + n - 1; ++y)
            line(mark.Left, y, mark.Right, y);
        for (int y = mark.Bottom - n - 1; y <= mark.Bottom - 1; ++y)
            line(mark.Left, y, mark.Right, y);
        return;
    }
    const int n = mark.Height() / 3;
    for (int y = mark.Top + n; y <= mark.Top + 2 * n - 1; ++y)
        line(mark.Left, y, mark.Right, y);
    for (int x = mark.Left; x <= mark.Left + n - 1; ++x)
        line(x, mark.Top, x, mark.Bottom);
    for (int x = mark.Right - n - 1; x <= mark.Right - 1; ++x)
        line(x, mark.Top, x, mark.Bottom);
}

}

void TCustomLqListview::ClipHeader(TCanvas* canvas, bool reset_clip)
{
    HDC dc = canvas->Handle();
    if (reset_clip)
        SelectClipRgn(dc, nullptr);
    const int header_height = HeaderHeightInView();
    if (header_height < 1)
        return;
    // The band is in client coordinates: cut it out with the origin at (0, 0).
    POINT origin{};
    SetWindowOrgEx(dc, 0, 0, &origin);
    if (HeaderInView() && m_header->Visible())
        ExcludeClipRect(dc, 0, 0, ClientWidth(), header_height);
    SetWindowOrgEx(dc, origin.x, origin.y, nullptr);
}

void TCustomLqListview::DoPaintRect(TCanvas* canvas, const TRect& clip_rect, bool selected_only)
{
    HDC dc = canvas->Handle();
    PaintScope scope(this, dc);
    const PaintRun run{this,
                       canvas,
                       dc,
                       m_scrollbars->MapWindowRectToViewRect(clip_rect, true),
                       selected_only,
                       m_scrollbars->OffsetX(),
                       m_scrollbars->OffsetY(),
                       HeaderHeightInView()};
    if (!selected_only) {
        m_background->PaintTo(canvas, clip_rect, false);
        SelectClipRgn(dc, nullptr);
        const bool header_shown = HeaderInView() && m_header->Visible();
        if (ScrollHeaderHorz()) {
            SetWindowOrgEx(dc, run.offset_x, 0, nullptr);
            if (header_shown)
                m_header->PaintTo(canvas, run.viewport);
        } else if (header_shown) {
            m_header->PaintTo(canvas, TRect{0, 0, ClientWidth(), run.header_height});
        }
        ClipHeader(canvas, true);
        run.view_origin();
        paint_groups(run);
    }
    run.view_origin();
    SelectClipRgn(dc, nullptr);
    if (m_view == elsGrid || (m_view == elsReport && !selected_only))
        paint_column_backgrounds(run);
    paint_items(run);
    if (selected_only)
        return;
    if ((m_view == elsReport || m_view == elsGrid) && GetPaintInfoItem()->GridLines())
        paint_grid_lines(run);
    const TLqInsertMark* mark = m_drag_manager->InsertMark();
    if (mark->Enabled() && mark->Visible() && !mark->DisplayRect().IsEmpty())
        paint_insert_mark(canvas, mark->DisplayRect(), mark->Color(), mark->DropMarkerDir());
}

void TCustomLqListview::DoPaintAfter(TCanvas* canvas, const TRect& clip_rect)
{
    if (m_states.Contains(ebcsDragSelecting))
        m_drag_rect->PaintSelectionRect(canvas);
    DoAfterPaint(canvas, clip_rect);
}

}
