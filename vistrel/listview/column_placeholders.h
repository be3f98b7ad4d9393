// A stand-in for the header's column until the columns are built: what the control's
// painting reads of a column (its place in the header band, its position and its
// background colour). Concrete columns supply the collection item's operations.
#ifndef VISTREL_LISTVIEW_COLUMN_PLACEHOLDERS_H
#define VISTREL_LISTVIEW_COLUMN_PLACEHOLDERS_H

#include "framework/types.h"
#include "listview/persistent.h"

namespace vistrel::listview {

class TLqColumn : public TLqCollectionItem {
public:
    using TLqCollectionItem::TLqCollectionItem;

    // The colour of the column's band in the report and grid views; clNone: none.
    fw::TColor BkGndColor() const { return m_bk_gnd_color; }
    void SetBkGndColor(fw::TColor value);
    // The place in display order; here the place in the list.
    int Position() const { return Index(); }

private:
    fw::TColor m_bk_gnd_color = fw::clNone;
};

}

#endif
