// A memory DC over a 32-bit top-down DIB section whose pixels the caller reads and
// writes directly. Free of the test framework, so the benchmarks draw into the same
// surface as the tests.
#ifndef PLATFORM_TESTS_MEMORY_SURFACE_H
#define PLATFORM_TESTS_MEMORY_SURFACE_H

#include "platform/gdi.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace gdi_test {

// Pixels as the surface stores them: 0x00RRGGBB in a DIB.
constexpr uint32_t kWhitePixel = 0x00FFFFFF;

class MemorySurface {
public:
    MemorySurface(int width, int height) : m_width(width), m_height(height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_pixels = static_cast<uint32_t*>(bits);
        m_old_bitmap = SelectObject(m_dc, m_bitmap);
    }
    ~MemorySurface()
    {
        SelectObject(m_dc, m_old_bitmap);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    MemorySurface(const MemorySurface&) = delete;
    MemorySurface& operator=(const MemorySurface&) = delete;

    HDC dc() const { return m_dc; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    uint32_t& at(int x, int y) { return m_pixels[y * m_width + x]; }
    uint32_t at(int x, int y) const { return m_pixels[y * m_width + x]; }
    void fill(uint32_t pixel) { std::fill(m_pixels, m_pixels + m_width * m_height, pixel); }
    std::vector<uint32_t> snapshot() const { return std::vector<uint32_t>(m_pixels, m_pixels + m_width * m_height); }

    // Pixels that differ from `background`, as "x,y" strings, for readable failures.
    std::vector<std::string> marked(uint32_t background) const
    {
        std::vector<std::string> result;
        for (int y = 0; y < m_height; ++y) {
            for (int x = 0; x < m_width; ++x) {
                if (at(x, y) != background)
                    result.push_back(std::to_string(x) + "," + std::to_string(y));
            }
        }
        return result;
    }
    int count(uint32_t pixel) const
    {
        int n = 0;
        for (int i = 0; i < m_width * m_height; ++i)
            n += m_pixels[i] == pixel ? 1 : 0;
        return n;
    }

    // The box of pixels that differ from `background`; empty (right < left) when none do.
    RECT ink(uint32_t background) const
    {
        RECT box{m_width, m_height, -1, -1};
        for (int y = 0; y < m_height; ++y) {
            for (int x = 0; x < m_width; ++x) {
                if (at(x, y) == background)
                    continue;
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x);
                box.bottom = std::max<LONG>(box.bottom, y);
            }
        }
        return box;
    }

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old_bitmap = nullptr;
    uint32_t* m_pixels = nullptr;
};

}

#endif
