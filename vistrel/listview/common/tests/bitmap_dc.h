// A memory DC holding a DIB section of the tests' making, freed with the object.
#ifndef VISTREL_LISTVIEW_COMMON_TESTS_BITMAP_DC_H
#define VISTREL_LISTVIEW_COMMON_TESTS_BITMAP_DC_H

#include "platform/gdi.h"

#include <cstdint>
#include <cstring>

class BitmapDC {
public:
    // A height above 0 makes a bottom-up bitmap, below 0 a top-down one.
    BitmapDC(int width, int height, int bits_per_pixel = 32)
    {
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colours[2];
        } info{};
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = width;
        info.header.biHeight = height;
        info.header.biPlanes = 1;
        info.header.biBitCount = static_cast<WORD>(bits_per_pixel);
        info.header.biCompression = BI_RGB;
        info.colours[1] = RGBQUAD{255, 255, 255, 0};
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info),
                                    DIB_RGB_COLORS, &m_bits, nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        m_width = width;
        m_rows = height < 0 ? -height : height;
        m_bottom_up = height > 0;
    }
    ~BitmapDC()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    BitmapDC(const BitmapDC&) = delete;
    BitmapDC& operator=(const BitmapDC&) = delete;

    HDC dc() const { return m_dc; }
    uint8_t* bits() const { return static_cast<uint8_t*>(m_bits); }

    // The four bytes (blue, green, red, alpha) of picture pixel (x, y), row 0 the top.
    uint8_t* pixel(int x, int y) const
    {
        const int memory_row = m_bottom_up ? m_rows - 1 - y : y;
        return bits() + (static_cast<size_t>(memory_row) * m_width + x) * 4;
    }
    void fill(uint32_t bgra)
    {
        for (int y = 0; y < m_rows; ++y)
            for (int x = 0; x < m_width; ++x)
                std::memcpy(pixel(x, y), &bgra, 4);
    }
    uint32_t value(int x, int y) const
    {
        uint32_t v = 0;
        std::memcpy(&v, pixel(x, y), 4);
        return v;
    }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    void* m_bits = nullptr;
    int m_width = 0;
    int m_rows = 0;
    bool m_bottom_up = false;
};

#endif
