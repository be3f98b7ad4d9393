// What the item views share among their units: rectangle steps, the measuring canvas,
// the check-box size and what the views read of a column and of the header.
#ifndef VISTREL_LISTVIEW_ITEM_VIEW_SUPPORT_H
#define VISTREL_LISTVIEW_ITEM_VIEW_SUPPORT_H

#include "framework/types.h"
#include "listview/common/common_types.h"
#include "listview/lq_types.h"

namespace fw {
class TCanvas;
}

namespace vistrel::listview {

class TLqHeader;

namespace item_view {

inline fw::TRect Shrink(fw::TRect r, int by)
{
    r.Left += by;
    r.Top += by;
    r.Right -= by;
    r.Bottom -= by;
    return r;
}
inline fw::TRect Grow(const fw::TRect& r, int by)
{
    return Shrink(r, -by);
}
// Rounded to the nearest integer, halves away from zero.
int Percent(int value, int percent);

DrawTextFlags AlignmentFlag(fw::TAlignment alignment);
DrawTextFlags VAlignmentFlag(TLqCommonVAlignment alignment);

// The canvas given, else the control's own while it has a window, else none.
fw::TCanvas* MeasureCanvas(TCustomLqListview* owner, fw::TCanvas* canvas);
// The check box of that size: (0, 0, width, height).
fw::TRect CheckBoxBounds(int check_size);
// The text height of the canvas's font (0 without a canvas).
int TextHeight(fw::TCanvas* canvas);

// Whether the control has the input focus; whether it draws its selection as active.
bool ControlFocused(TCustomLqListview* owner);
bool PopupMode(TCustomLqListview* owner);
bool EditingItem(TCustomLqListview* owner, TLqItem* item, TLqColumn* column);

// What a view reads of a column: its index and position (0 without one), alignments,
// display rectangle and width.
int ColumnIndex(TLqColumn* column);
int ColumnPosition(TLqColumn* column);
fw::TAlignment ColumnAlignment(TLqColumn* column);
TLqCommonVAlignment ColumnVAlignment(TLqColumn* column);
fw::TRect ColumnDisplayRect(TLqColumn* column);
int ColumnWidth(TLqColumn* column);
// The header's columns that have a position, and the one at a position (or nullptr).
int PositionedColumnCount(TLqHeader* header);
TLqColumn* ColumnAtPosition(TLqHeader* header, int position);

}

}

#endif
