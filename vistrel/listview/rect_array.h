// The rectangles of one item, group or column as its view lays them out, in view
// coordinates, and the small enumerations the views answer with. The views compute a
// fresh record for every paint and hit test; nothing keeps one.
#ifndef VISTREL_LISTVIEW_RECT_ARRAY_H
#define VISTREL_LISTVIEW_RECT_ARRAY_H

#include "framework/types.h"

#include <vector>

namespace vistrel::listview {

struct TLqRectArrayObject {
    fw::TRect LabelRect;              // reserved for the caption
    fw::TRect IconRect;               // the image or thumbnail
    fw::TRect TextRect;               // the caption measured for the normal line count
    fw::TRect CheckRect;              // the check box
    fw::TRect BoundsRect;             // the cell less the border
    fw::TRect ClickSelectBoundsRect;  // where a click selects
    fw::TRect DragSelectBoundsRect;   // what a drag rectangle must touch
    fw::TRect FullTextRect;           // the caption measured without a line limit
    fw::TRect SelectionRect;          // selection background of the normal caption
    fw::TRect FullFocusSelRect;       // selection background and focus frame of the full caption
    fw::TRect FocusChangeInvalidRect; // repainted when the focus changes
    fw::TRect EditRect;               // the in-place editor
    fw::TRect SortRect;               // (columns) the sort glyph
    fw::TRect StateRect;              // the state image
    std::vector<fw::TRect> TextRects; // one per detail line (tile view)
    fw::TRect ExpandButtonRect;       // (groups)
    fw::TRect BandRect;               // (groups)
    fw::TRect BackGndRect;            // (groups)
    fw::TRect GroupRect;              // (groups)
    fw::TRect DropDownArrow;          // (columns)
};
using TLqRectArrayObjectArray = std::vector<TLqRectArrayObject>;

// The rectangle that ItemRect answers with.
enum TLqCellRectType {
    ertBounds,
    ertIcon,
    ertLabel,
    ertClickSelectBounds,
    ertDragSelectBounds,
    ertText,
    ertFullText
};

// How the insert mark stands between two items of a view.
enum TLqInsertMarkerDir {
    dmdHorz,
    dmdVert
};

}

#endif
