// Image lists for the list-view tests: one image of a plain colour, optionally with a
// transparent half.
#ifndef VISTREL_TESTS_LISTVIEW_TEST_IMAGES_H
#define VISTREL_TESTS_LISTVIEW_TEST_IMAGES_H

#include "framework/controls.h"
#include "framework/graphics.h"

namespace vistrel::listview::test {

// An image list holding one image of the size in the colour. Given a mask colour, the
// image's right half is painted in it and the image is added masked, so that half is
// transparent.
class OneImageList {
public:
    OneImageList(int width, int height, fw::TColor colour, fw::TColor mask_colour = fw::clNone)
        : m_list(nullptr)
    {
        m_list.SetSize(width, height);
        fw::TBitmap image;
        image.SetPixelFormat(fw::pf32bit);
        image.SetSize(width, height);
        image.Canvas()->Brush()->SetColor(colour);
        image.Canvas()->FillRect(fw::TRect{0, 0, width, height});
        if (mask_colour == fw::clNone) {
            m_list.Add(&image, nullptr);
            return;
        }
        image.Canvas()->Brush()->SetColor(mask_colour);
        image.Canvas()->FillRect(fw::TRect{width / 2, 0, width, height});
        m_list.AddMasked(&image, mask_colour);
    }
    fw::TCustomImageList* List() { return &m_list; }

private:
    fw::TCustomImageList m_list;
};

}

#endif
