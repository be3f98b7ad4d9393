// Scratch surfaces.

#include "graphics/scratch_surface.h"

#include "framework/graphics.h"

namespace fw::graphics {

HBITMAP CreateTopDownDib(int width, int height, uint32_t** pixels)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    *pixels = static_cast<uint32_t*>(bits);
    return bitmap;
}

ScratchSurface::ScratchSurface(int width, int height) : m_width(width), m_height(height)
{
    m_bitmap = CreateTopDownDib(width, height, &m_pixels);
    m_dc = CreateCompatibleDC(nullptr);
    if (m_bitmap == nullptr || m_dc == nullptr) {
        if (m_dc != nullptr)
            DeleteDC(m_dc);
        if (m_bitmap != nullptr)
            DeleteObject(m_bitmap);
        throw EOutOfResources(QStringLiteral("Out of system resources"));
    }
    m_old_bitmap = SelectObject(m_dc, m_bitmap);
}

ScratchSurface::~ScratchSurface()
{
    SelectObject(m_dc, m_old_bitmap);
    DeleteDC(m_dc);
    DeleteObject(m_bitmap);
}

}
