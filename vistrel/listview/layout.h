// The control's layout units in one include: cell sizes, grids, item and group views, the
// rectangle record and the scroll bars.
#ifndef VISTREL_LISTVIEW_LAYOUT_H
#define VISTREL_LISTVIEW_LAYOUT_H

#include "listview/cell_sizes.h"
#include "listview/events.h"
#include "listview/grid_layout.h"
#include "listview/group_view.h"
#include "listview/item_view.h"
#include "listview/persistent.h"
#include "listview/rect_array.h"
#include "listview/scrollbars.h"

#endif
