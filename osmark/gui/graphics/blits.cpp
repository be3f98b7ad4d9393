// Blits between bitmaps and into raster ports, composed with the platform's raster
// operations on DIB sections in memory contexts.

#include "graphics_internal.h"

#include "osmark/blits.h"
#include "platform/system_metrics.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace osmark::graphics {
namespace {

constexpr uint32_t kCopy = 0xCC0020u;
constexpr uint32_t kInvert = 0x660046u;
constexpr uint32_t kAnd = 0x8800C6u;
constexpr uint32_t kMergePaint = 0xBB0226u;

COLORREF rgb(Colour colour)
{
    return ColourToRGB(static_cast<int32_t>(colour));
}

// A bitmap's section selected into a memory context of its own; released on scope end.
struct WorkContext {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;

    WorkContext() = default;
    explicit WorkContext(const BitMap* source)
    {
        bitmap = CreateDIBFromBitMap(source);
        attach();
    }
    // A monochrome bitmap of the size.
    WorkContext(int32_t width, int32_t height)
    {
        bitmap = width > 0 && height > 0 ? CreateBitmap(width, height, 1, 1, nullptr) : nullptr;
        attach();
    }
    void attach()
    {
        if (bitmap == nullptr)
            return;
        dc = CreateCompatibleDC(nullptr);
        if (dc != nullptr)
            previous = SelectObject(dc, bitmap);
    }
    WorkContext(const WorkContext&) = delete;
    WorkContext& operator=(const WorkContext&) = delete;
    ~WorkContext()
    {
        if (dc != nullptr) {
            SelectObject(dc, previous);
            DeleteDC(dc);
        }
        if (bitmap != nullptr)
            DeleteObject(bitmap);
    }
    bool ready() const { return dc != nullptr; }
    // The section's pixels into the bitmap.
    void copy_back(BitMap* target) const
    {
        if (bitmap != nullptr)
            CopyDIBToBitMap(bitmap, target);
    }
};

RectangleBox whole(const BitMap* bitmap)
{
    return {0, 0, bitmap->bm_Width, bitmap->bm_Height};
}

RectangleBox shifted(const RectangleBox& box, int32_t dx, int32_t dy)
{
    return {box.x0 + dx, box.y0 + dy, box.x1 + dx, box.y1 + dy};
}

bool has_op(const RastPort* rp, auto RastPortOps::*slot)
{
    return rp->rp_Ops != nullptr && rp->rp_Ops->*slot != nullptr;
}

void stretch(HDC to, const RectangleBox& dest, HDC from, const RectangleBox& src, uint32_t code)
{
    StretchBlt(to, dest.x0, dest.y0, dest.x1 - dest.x0, dest.y1 - dest.y0, from, src.x0, src.y0,
               src.x1 - src.x0, src.y1 - src.y0, code);
}

int64_t floor_div(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}

void tile_pattern(RastPort* rp, BitMap* pattern, const RectangleBox& rect, Colour transparent,
                  uint32_t flags, int32_t phase_x, int32_t phase_y)
{
    const int32_t pw = pattern->bm_Width;
    const int32_t ph = pattern->bm_Height;
    if (pw == 0 || ph == 0 || !has_op(rp, &RastPortOps::rpo_ReadArea) ||
        !has_op(rp, &RastPortOps::rpo_WriteBitMap))
        return;
    const RectangleBox box{std::min(rect.x0, rect.x1), std::min(rect.y0, rect.y1),
                           std::max(rect.x0, rect.x1), std::max(rect.y0, rect.y1)};
    const int32_t width = box.x1 - box.x0;
    const int32_t height = box.y1 - box.y0;
    if (width <= 0 || height <= 0)
        return;
    BitMap* work = nullptr;
    rp->rp_Ops->rpo_ReadArea(rp, &box, &work);
    if (work == nullptr)
        return;
    {
        WorkContext picture(pattern);
        WorkContext mono(pw, ph);
        WorkContext target(work);
        if (picture.ready() && mono.ready() && target.ready()) {
            HDC dc = target.dc;
            SetBkMode(dc, TRANSPARENT);
            const bool keyed = transparent != ColourNone;
            const bool one_bit = is_mask(pattern);
            const COLORREF a_pen = rgb(rp->rp_APen);
            if (!keyed) {
                SetTextColor(dc, a_pen);
                SetBkColor(dc, rgb(rp->rp_BPen));
                if (one_bit) {
                    const COLORREF b_pen = rgb(rp->rp_BPen);
                    const RGBQUAD table[2] = {
                        {GetBValue(a_pen), GetGValue(a_pen), GetRValue(a_pen), 0},
                        {GetBValue(b_pen), GetGValue(b_pen), GetRValue(b_pen), 0}};
                    SetDIBColorTable(picture.dc, 0, 2, table);
                }
            } else {
                SetTextColor(dc, 0);
                SetBkColor(dc, 0xFFFFFF);
                SetBkColor(picture.dc, rgb(transparent));
                BitBlt(mono.dc, 0, 0, pw, ph, picture.dc, 0, 0, SRCCOPY);
            }
            // The grid's corner anchors tile column floor((x0 - px) / pw); the offset into
            // it is never negative, also for a phase right of or below the corner.
            const int64_t column0 = floor_div(int64_t{box.x0} - phase_x, pw);
            const int64_t row0 = floor_div(int64_t{box.y0} - phase_y, ph);
            const auto ox = static_cast<int32_t>(int64_t{box.x0} - phase_x - column0 * pw);
            const auto oy = static_cast<int32_t>(int64_t{box.y0} - phase_y - row0 * ph);
            int64_t column = column0;
            for (int32_t x = 0; x < width; ++column) {
                const int32_t from_x = x == 0 ? ox : 0;
                const int32_t piece_w = std::min(pw - from_x, width - x);
                const bool mirror_x = (flags & 1u) != 0 && (column & 1) != 0;
                int64_t row = row0;
                for (int32_t y = 0; y < height; ++row) {
                    const int32_t from_y = y == 0 ? oy : 0;
                    const int32_t piece_h = std::min(ph - from_y, height - y);
                    const bool mirror_y = (flags & 2u) != 0 && (row & 1) != 0;
                    // The part of the tile: from the opposite end where mirrored.
                    const int32_t sx = mirror_x ? pw - from_x - piece_w : from_x;
                    const int32_t sy = mirror_y ? ph - from_y - piece_h : from_y;
                    RectangleBox dest{x, y, x + piece_w, y + piece_h};
                    const RectangleBox src{sx, sy, sx + piece_w, sy + piece_h};
                    // A negative width or height reverses: the box runs from its far edge.
                    const RectangleBox flipped{
                        mirror_x ? dest.x1 - 1 : dest.x0, mirror_y ? dest.y1 - 1 : dest.y0,
                        mirror_x ? dest.x0 - 1 : dest.x1, mirror_y ? dest.y0 - 1 : dest.y1};
                    if (!keyed) {
                        stretch(dc, flipped, picture.dc, src, kCopy);
                    } else if (!one_bit) {
                        stretch(dc, flipped, picture.dc, src, kInvert);
                        stretch(dc, flipped, mono.dc, src, kAnd);
                        stretch(dc, flipped, picture.dc, src, kInvert);
                    } else {
                        SetTextColor(dc, 0);
                        stretch(dc, dest, picture.dc, src, kInvert);
                        stretch(dc, dest, mono.dc, src, kAnd);
                        SetTextColor(dc, a_pen ^ 0xFFFFFFu);
                        stretch(dc, dest, mono.dc, src, kMergePaint);
                        stretch(dc, dest, picture.dc, src, kInvert);
                        if (mirror_x || mirror_y)
                            stretch(dc, flipped, dc, dest, kCopy);
                    }
                    y += piece_h;
                }
                x += piece_w;
            }
            target.copy_back(work);
            const RectangleBox all = whole(work);
            rp->rp_Ops->rpo_WriteBitMap(rp, &box, work, &all,
                                        rp->rp_DrMd == DrawModeComplement ? kInvert : kCopy);
        }
    }
    FreeBitMap(work);
}

}

using namespace osmark::graphics;

extern "C" {

OSMARK_API uint32_t SetBltMode(RastPort* rp, uint32_t code) noexcept
{
    if (rp == nullptr)
        return 0;
    const uint32_t previous = rp->rp_BltCode;
    rp->rp_BltCode = code;
    return previous;
}

OSMARK_API void BltBitMap(BitMap* destination, const RectangleBox* dest_rect, BitMap* source,
                          const RectangleBox* src_rect, Colour transparent) noexcept
{
    if (destination == nullptr || source == nullptr || destination->bm_Pixels == nullptr ||
        source->bm_Pixels == nullptr)
        return;
    const RectangleBox dest = dest_rect != nullptr ? *dest_rect : whole(destination);
    const RectangleBox src = src_rect != nullptr ? *src_rect : whole(source);
    WorkContext to(destination);
    WorkContext from(source);
    if (!to.ready() || !from.ready())
        return;
    if (transparent == ColourNone) {
        stretch(to.dc, dest, from.dc, src, kCopy);
    } else {
        WorkContext mono(src.x1 - src.x0, src.y1 - src.y0);
        if (mono.ready()) {
            SetBkMode(to.dc, TRANSPARENT);
            SetBkColor(to.dc, 0xFFFFFF);
            SetTextColor(to.dc, 0);
            SetBkColor(from.dc, rgb(transparent));
            BitBlt(mono.dc, 0, 0, src.x1 - src.x0, src.y1 - src.y0, from.dc, src.x0, src.y0,
                   SRCCOPY);
            const RectangleBox mono_box{0, 0, src.x1 - src.x0, src.y1 - src.y0};
            stretch(to.dc, dest, from.dc, src, kInvert);
            stretch(to.dc, dest, mono.dc, mono_box, kAnd);
            stretch(to.dc, dest, from.dc, src, kInvert);
        }
    }
    to.copy_back(destination);
}

OSMARK_API void BltBitMapMask(BitMap* destination, const RectangleBox* dest_rect, BitMap* source,
                              const RectangleBox* src_rect, BitMap* mask) noexcept
{
    if (mask == nullptr) {
        BltBitMap(destination, dest_rect, source, src_rect, ColourNone);
        return;
    }
    if (destination == nullptr || source == nullptr || destination->bm_Pixels == nullptr ||
        source->bm_Pixels == nullptr)
        return;
    const RectangleBox dest = dest_rect != nullptr ? *dest_rect : whole(destination);
    const RectangleBox src = src_rect != nullptr ? *src_rect : whole(source);
    WorkContext to(destination);
    WorkContext from(source);
    WorkContext through(mask);
    if (!to.ready() || !from.ready() || !through.ready())
        return;
    SetBkColor(to.dc, 0xFFFFFF);
    SetTextColor(to.dc, 0);
    stretch(to.dc, dest, through.dc, src, kAnd);
    stretch(to.dc, dest, from.dc, src, kInvert);
    to.copy_back(destination);
}

namespace {

void blit_to_port(RastPort* rp, const RectangleBox* dest_rect, BitMap* bitmap,
                  const RectangleBox* src_rect, Colour transparent, BitMap* mask, bool masked)
{
    if (rp == nullptr || bitmap == nullptr || dest_rect == nullptr || rp->rp_Lock == 1)
        return;
    const RectangleBox dest = shifted(*dest_rect, rp->rp_OriginX, rp->rp_OriginY);
    const RectangleBox src = src_rect != nullptr ? *src_rect : whole(bitmap);
    const bool plain = masked ? mask == nullptr : transparent == ColourNone;
    if (plain) {
        if (has_op(rp, &RastPortOps::rpo_WriteBitMap))
            rp->rp_Ops->rpo_WriteBitMap(rp, &dest, bitmap, &src, kCopy);
        return;
    }
    if (has_op(rp, &RastPortOps::rpo_TransparentBlit)) {
        rp->rp_Ops->rpo_TransparentBlit(rp, &dest, bitmap, &src, masked ? mask : nullptr,
                                        masked ? ColourNone : rgb(transparent));
        return;
    }
    if (!has_op(rp, &RastPortOps::rpo_ReadArea) || !has_op(rp, &RastPortOps::rpo_WriteBitMap))
        return;
    BitMap* back = nullptr;
    rp->rp_Ops->rpo_ReadArea(rp, &dest, &back);
    if (back == nullptr)
        return;
    if (masked)
        BltBitMapMask(back, nullptr, bitmap, &src, mask);
    else
        BltBitMap(back, nullptr, bitmap, &src, transparent);
    const RectangleBox all = whole(back);
    rp->rp_Ops->rpo_WriteBitMap(rp, &dest, back, &all, kCopy);
    FreeBitMap(back);
}

}

OSMARK_API void BltBitMapRastPort(RastPort* rp, const RectangleBox* dest_rect, BitMap* bitmap,
                                  const RectangleBox* src_rect, Colour transparent) noexcept
{
    blit_to_port(rp, dest_rect, bitmap, src_rect, transparent, nullptr, false);
}

OSMARK_API void BltBitMapRastPortMask(RastPort* rp, const RectangleBox* dest_rect, BitMap* bitmap,
                                      const RectangleBox* src_rect, BitMap* mask) noexcept
{
    blit_to_port(rp, dest_rect, bitmap, src_rect, ColourNone, mask, true);
}

OSMARK_API void BltPatternPt(RastPort* rp, BitMap* pattern, const RectangleBox* rect,
                             Colour transparent, uint32_t flags, int32_t phase_x,
                             int32_t phase_y) noexcept
{
    if (rp == nullptr || pattern == nullptr || rect == nullptr || rp->rp_Lock == 1)
        return;
    tile_pattern(rp, pattern, shifted(*rect, rp->rp_OriginX, rp->rp_OriginY), transparent, flags,
                 phase_x + rp->rp_OriginX, phase_y + rp->rp_OriginY);
}

OSMARK_API void BltPattern(RastPort* rp, BitMap* pattern, const RectangleBox* rect,
                           Colour transparent, uint32_t flags) noexcept
{
    BltPatternPt(rp, pattern, rect, transparent, flags, 0, 0);
}

OSMARK_API void ClipBlit(RastPort* destination, const RectangleBox* dest_rect, RastPort* source,
                         const RectangleBox* src_rect, uint32_t code) noexcept
{
    if (destination == nullptr || source == nullptr || dest_rect == nullptr ||
        src_rect == nullptr || destination->rp_Lock == 1)
        return;
    const RectangleBox dest = shifted(*dest_rect, destination->rp_OriginX, destination->rp_OriginY);
    const RectangleBox src = shifted(*src_rect, source->rp_OriginX, source->rp_OriginY);
    if (destination->rp_Handler == source->rp_Handler &&
        has_op(destination, &RastPortOps::rpo_PortBlit)) {
        destination->rp_Ops->rpo_PortBlit(destination, &dest, source, &src, code);
        return;
    }
    if (!has_op(source, &RastPortOps::rpo_ReadArea) ||
        !has_op(destination, &RastPortOps::rpo_WriteBitMap))
        return;
    BitMap* copy = nullptr;
    source->rp_Ops->rpo_ReadArea(source, &src, &copy);
    if (copy == nullptr)
        return;
    const RectangleBox all = whole(copy);
    destination->rp_Ops->rpo_WriteBitMap(destination, &dest, copy, &all, code);
    FreeBitMap(copy);
}

OSMARK_API int32_t CreateMaskBitMap(BitMap* bitmap, Colour key, BitMap** mask) noexcept
{
    if (mask == nullptr)
        return 0;
    *mask = nullptr;
    if (bitmap == nullptr || bitmap->bm_Pixels == nullptr)
        return 0;
    const uint32_t resolved = rgb(key);
    BitMap* result = AllocBitMask(static_cast<uint32_t>(bitmap->bm_Width),
                                  static_cast<uint32_t>(bitmap->bm_Height), nullptr);
    if (result == nullptr)
        return 0;
    const uint32_t row_bytes = bitmap_row_bytes(result);
    const size_t mask_bytes =
        static_cast<size_t>(row_bytes) * static_cast<size_t>(result->bm_Height);
    auto* bits = static_cast<uint8_t*>(result->bm_Pixels);
    std::memset(bits, 0xFF, mask_bytes);
    const uint32_t stored_key = swap_red_blue(resolved) & 0x00FFFFFFu;
    if (!is_mask(bitmap)) {
        auto* pixels = static_cast<uint32_t*>(bitmap->bm_Pixels);
        for (int32_t y = 0; y < bitmap->bm_Height; ++y) {
            for (int32_t x = 0; x < bitmap->bm_Width; ++x) {
                uint32_t& pixel =
                    pixels[static_cast<size_t>(y) * static_cast<size_t>(bitmap->bm_Width) + x];
                if ((pixel & 0x00FFFFFFu) != stored_key) {
                    bits[static_cast<size_t>(y) * row_bytes + x / 8] &=
                        static_cast<uint8_t>(~(0x80u >> (x % 8)));
                } else {
                    pixel = 0;
                }
            }
        }
    } else if (resolved == 0xFFFFFF) {
        std::memcpy(bits, bitmap->bm_Pixels, mask_bytes);
        std::memset(bitmap->bm_Pixels, 0, mask_bytes);
    } else if (resolved == 0) {
        const auto* source = static_cast<const uint8_t*>(bitmap->bm_Pixels);
        for (size_t i = 0; i < mask_bytes; ++i)
            bits[i] = static_cast<uint8_t>(~source[i]);
    } else {
        std::memset(bits, 0, mask_bytes);
    }
    *mask = result;
    return 1;
}

OSMARK_API void BltBitMapRastPortState(RastPort* rp, const RectangleBox* box, BitMap* bitmap,
                                       const RectangleBox* src_rect, uint32_t flags) noexcept
{
    if (rp == nullptr || box == nullptr || !has_op(rp, &RastPortOps::rpo_ReadArea) ||
        !has_op(rp, &RastPortOps::rpo_WriteBitMap))
        return;
    const RectangleBox area = shifted(*box, rp->rp_OriginX, rp->rp_OriginY);
    BitMap* back = nullptr;
    rp->rp_Ops->rpo_ReadArea(rp, &area, &back);
    if (back == nullptr)
        return;
    if (src_rect == nullptr && bitmap == nullptr) {
        FreeBitMap(back);
        return;
    }
    const int32_t sx = src_rect != nullptr ? src_rect->x0 : 0;
    const int32_t sy = src_rect != nullptr ? src_rect->y0 : 0;
    const int32_t w = src_rect != nullptr ? src_rect->x1 - src_rect->x0 : bitmap->bm_Width;
    const int32_t h = src_rect != nullptr ? src_rect->y1 - src_rect->y0 : bitmap->bm_Height;
    const uint32_t text = (flags & BlitStateBlackText) != 0 ? 0u : GetSysColor(COLOR_BTNTEXT);
    const uint32_t shadow =
        (flags & BlitStateGreyShadow) != 0 ? 0x808080u : GetSysColor(COLOR_BTNSHADOW);
    const uint32_t face = (flags & BlitStateGreyFace) != 0 ? 0xC0C0C0u : GetSysColor(COLOR_BTNFACE);
    const uint32_t highlight =
        (flags & BlitStateWhiteHighlight) != 0 ? 0xFFFFFFu : GetSysColor(COLOR_BTNHIGHLIGHT);
    const int32_t box_w = area.x1 - area.x0;
    const int32_t box_h = area.y1 - area.y0;
    const int32_t dx = (box_w - w) / 2 + static_cast<int32_t>(flags & 1u);
    const int32_t dy = (box_h - h) / 2 + static_cast<int32_t>(flags & 1u);
    if ((flags & BlitStateDithered) != 0) {
        for (int32_t y = 0; y < back->bm_Height; ++y) {
            for (int32_t x = (y & 1); x < back->bm_Width; x += 2)
                SetBitMapPixel(back, x, y, highlight);
        }
    }
    BitMap* picture = nullptr;
    BitMap* mask = nullptr;
    bool draw = (flags & BlitStateDraw) != 0 && (flags & BlitStateNoPicture) == 0;
    if (draw && bitmap == nullptr) {
        FreeBitMap(back);
        return;
    }
    if (draw) {
        const bool standard =
            (text == 0 && shadow == 0x808080u && face == 0xC0C0C0u && highlight == 0xFFFFFFu) ||
            (flags & 0xF00u) == 0xF00u;
        if (standard) {
            const RectangleBox part{sx, sy, sx + w, sy + h};
            picture = CopyBitMap(bitmap, &part);
        } else if (w > 0 && h > 0) {
            std::vector<uint32_t> pixels;
            try {
                pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
            } catch (const std::bad_alloc&) {
                pixels.clear();
            }
            if (!pixels.empty()) {
                GetBitMapPixels(bitmap, sx, sy, sx + w - 1, sy + h - 1, pixels.data());
                for (uint32_t& pixel : pixels) {
                    switch (pixel & 0x00FFFFFFu) {
                    case 0x000000u:
                        pixel = text;
                        break;
                    case 0x808080u:
                        pixel = shadow;
                        break;
                    case 0xC0C0C0u:
                        pixel = face;
                        break;
                    case 0xFFFFFFu:
                        pixel = highlight;
                        break;
                    default:
                        break;
                    }
                }
                picture = AllocBitMap(w, h, pixels.data());
            }
        }
        if (picture != nullptr && CreateMaskBitMap(picture, face, &mask) == 0) {
            FreeBitMap(picture);
            FreeBitMap(back);
            return;
        }
    }
    if (picture != nullptr) {
        if (RastPort* port = AllocBitMapRastPort(back); port != nullptr) {
            if ((flags & BlitStateEmbossed) != 0) {
                const RectangleBox shape{0, 0, w - 2, h - 2};
                SetAPen(port, highlight);
                const RectangleBox lower{dx + 1, dy + 1, dx + 1 + w - 2, dy + 1 + h - 2};
                BltBitMapRastPort(port, &lower, mask, &shape, 0xFFFFFF);
                SetAPen(port, shadow);
                const RectangleBox upper{dx, dy, dx + w - 2, dy + h - 2};
                BltBitMapRastPort(port, &upper, mask, &shape, 0xFFFFFF);
            } else {
                const RectangleBox place{dx, dy, dx + w, dy + h};
                BltBitMapRastPortMask(port, &place, picture, nullptr, mask);
            }
            FreeBitMapRastPort(port);
        }
    }
    const RectangleBox all = whole(back);
    rp->rp_Ops->rpo_WriteBitMap(rp, &area, back, &all, kCopy);
    FreeBitMap(mask);
    FreeBitMap(picture);
    FreeBitMap(back);
}
}
