// The control's paint routine: background, header, groups, column bands, items, grid
// lines and the insert mark, in that order, with groups and items drawn in view
// coordinates through the canvas's window origin below a header that stays in place.

#include "listview/listview.h"

#include "listview/managers.h"
#include "platform/gdi.h"

using namespace fw;

namespace vistrel::listview {

void TCustomLqListview::ClipHeader(TCanvas* canvas, bool reset_clip)
{
    HDC dc = canvas->Handle();
    if (reset_clip)
        SelectClipRgn(dc, nullptr);
    const int header_height = HeaderHeightInView();
    if (header_height < 1)
        return;
    // The band is in client coordinates, which are the device's: cut it out there, so
    // that the window origin does not matter.
    HRGN band = CreateRectRgn(0, 0, ClientWidth(), header_height);
    ExtSelectClipRgn(dc, band, RGN_DIFF);
    DeleteObject(band);
}

}
