// TCustomImageList: a platform image list of the list's size.

#include "framework/controls.h"

namespace fw {

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner)
{
    recreate();
}

TCustomImageList::~TCustomImageList()
{
    if (m_handle != nullptr)
        ImageList_Destroy(m_handle);
}

void TCustomImageList::SetWidth(int width)
{
    SetSize(width, m_height);
}

void TCustomImageList::SetHeight(int height)
{
    SetSize(m_width, height);
}

void TCustomImageList::SetSize(int width, int height)
{
    width = width > 0 ? width : 1;
    height = height > 0 ? height : 1;
    if (width == m_width && height == m_height)
        return;
    m_width = width;
    m_height = height;
    recreate();
}

int TCustomImageList::Count() const
{
    return m_handle != nullptr ? ImageList_GetImageCount(m_handle) : 0;
}

int TCustomImageList::Add(TBitmap* image, TBitmap* mask)
{
    if (m_handle == nullptr || image == nullptr || image->Empty())
        return -1;
    return ImageList_Add(m_handle, image->Handle(),
                         mask != nullptr && !mask->Empty() ? mask->Handle() : nullptr);
}

int TCustomImageList::AddMasked(TBitmap* image, TColor mask_color)
{
    if (m_handle == nullptr || image == nullptr || image->Empty())
        return -1;
    return ImageList_AddMasked(m_handle, image->Handle(), ColorToRGB(mask_color));
}

void TCustomImageList::Clear()
{
    recreate();
}

void TCustomImageList::recreate()
{
    if (m_handle != nullptr)
        ImageList_Destroy(m_handle);
    m_handle = ImageList_Create(m_width, m_height, ILC_COLOR32 | ILC_MASK, 4, 4);
}

}
