// Creating, reading and deleting GDI objects: stock objects, pens, brushes, fonts,
// DIB sections and rectangular regions.

#include "gdi_objects.h"
#include "make_win32_error.h"

#include <QtCore/QRect>

#include <algorithm>
#include <cstring>
#include <new>

using namespace platform::gdi;

namespace {

template <typename Handle, typename T, typename... Arguments>
Handle create(Arguments&&... arguments) noexcept
{
    try {
        return static_cast<Handle>(add_object(std::make_unique<T>(std::forward<Arguments>(arguments)...)));
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

template <typename Record>
int copy_record(const Record& record, int size, LPVOID buffer)
{
    constexpr int kSize = static_cast<int>(sizeof(Record));
    if (buffer == nullptr)
        return kSize;
    if (size < kSize) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::memcpy(buffer, &record, sizeof(Record));
    return kSize;
}

// Coordinates of regions stay within what Win32 devices address.
int region_coordinate(int value)
{
    return static_cast<int>(std::clamp<int64_t>(value, -kMaxCurveCoordinate, kMaxCurveCoordinate));
}

QRect region_rect(int left, int top, int right, int bottom)
{
    left = region_coordinate(left);
    top = region_coordinate(top);
    right = region_coordinate(right);
    bottom = region_coordinate(bottom);
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    return QRect(left, top, right - left, bottom - top);
}

// The description of a DIB section, as it was made.
DIBSECTION dib_section_of(const Bitmap& bitmap)
{
    DIBSECTION section{};
    const bool mono = bitmap.is_mono();
    const LONG stride = mono ? bitmap.packed_stride() : bitmap.width() * 4;
    section.dsBm =
        BITMAP{0,
               bitmap.width(),
               bitmap.height(),
               stride,
               1,
               static_cast<WORD>(mono ? 1 : 32),
               mono ? static_cast<LPVOID>(bitmap.packed()) : static_cast<LPVOID>(bitmap.pixels())};
    section.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
    section.dsBmih.biWidth = bitmap.width();
    section.dsBmih.biHeight = bitmap.top_down() ? -bitmap.height() : bitmap.height();
    section.dsBmih.biPlanes = 1;
    section.dsBmih.biBitCount = section.dsBm.bmBitsPixel;
    section.dsBmih.biCompression = BI_RGB;
    section.dsBmih.biSizeImage = static_cast<DWORD>(stride) * static_cast<DWORD>(bitmap.height());
    return section;
}
}

extern "C" {

PLATFORM_API HGDIOBJ GetStockObject(int index) noexcept
{
    GdiObject* object = stock_object(index);
    if (object == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return object->handle();
}

PLATFORM_API BOOL DeleteObject(HGDIOBJ object) noexcept
{
    const GdiObject* found = object_of(object);
    if (found == nullptr)
        return FALSE;
    // A DC goes with DeleteDC.
    if (found->kind() == ObjectKind::DeviceContext) {
        platform::make_win32_error(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return delete_object(object);
}

PLATFORM_API HPEN CreatePen(int style, int width, COLORREF colour) noexcept
{
    if (style < PS_SOLID || style > PS_INSIDEFRAME || width < 0) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const LOGPEN record{static_cast<UINT>(style), {width, 0}, colour};
    return static_cast<HPEN>(add_pen(record));
}

PLATFORM_API HBRUSH CreateSolidBrush(COLORREF colour) noexcept
{
    const LOGBRUSH record{BS_SOLID, colour, 0};
    return create<HBRUSH, Brush>(record);
}

PLATFORM_API HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) noexcept
{
    if (brush == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    LOGBRUSH record = *brush;
    switch (record.lbStyle) {
    case BS_SOLID:
        record.lbHatch = 0;
        break;
    case BS_NULL:
        record.lbColor = 0;
        record.lbHatch = 0;
        break;
    case BS_HATCHED:
        if (hatch_pattern(record.lbHatch) != nullptr)
            break;
        [[fallthrough]];
    default:
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return create<HBRUSH, Brush>(record);
}

PLATFORM_API HFONT CreateFontIndirectA(const LOGFONTA* font) noexcept
{
    if (font == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return create<HFONT, Font>(*font);
}

PLATFORM_API HBITMAP CreateDIBSection(HDC /*dc*/, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                      DWORD /*offset*/) noexcept
{
    if (bits != nullptr)
        *bits = nullptr;
    if (info == nullptr || section != nullptr || (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biPlanes != 1 ||
        (header.biBitCount != 32 && header.biBitCount != 1) || header.biCompression != BI_RGB) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (header.biBitCount == 1) {
        const int64_t rows = header.biHeight < 0 ? -int64_t{header.biHeight} : header.biHeight;
        if (header.biWidth <= 0 || rows == 0 || header.biWidth > kMaxSurfaceSide ||
            rows > kMaxSurfaceSide) {
            platform::make_win32_error(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        return create_mono_section(info, bits);
    }
    // A negative height asks for top-down rows.
    const int64_t height = header.biHeight;
    std::unique_ptr<Bitmap> bitmap = make_dib(header.biWidth, height < 0 ? -height : height, height < 0);
    if (bitmap == nullptr)
        return nullptr;
    bitmap->set_dib_section();
    uint32_t* pixels = bitmap->pixels();
    const HGDIOBJ handle = add_object(std::move(bitmap));
    if (handle != nullptr && bits != nullptr)
        *bits = pixels;
    return static_cast<HBITMAP>(handle);
}

PLATFORM_API HRGN CreateRectRgn(int left, int top, int right, int bottom) noexcept
{
    try {
        return create<HRGN, Region>(QRegion(region_rect(left, top, right, bottom)));
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

PLATFORM_API BOOL RectInRegion(HRGN region, const RECT* rect) noexcept
{
    const Region* found = object_of_kind<Region>(region);
    if (found == nullptr)
        return FALSE;
    if (rect == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const QRect box = region_rect(rect->left, rect->top, rect->right, rect->bottom);
    return !box.isEmpty() && found->region().intersects(box) ? TRUE : FALSE;
}

PLATFORM_API int GetObjectA(HGDIOBJ object, int size, LPVOID buffer) noexcept
{
    const GdiObject* found = object_of(object);
    if (found == nullptr)
        return 0;
    switch (found->kind()) {
    case ObjectKind::Pen:
        return copy_record(static_cast<const Pen*>(found)->record(), size, buffer);
    case ObjectKind::Brush:
        return copy_record(static_cast<const Brush*>(found)->record(), size, buffer);
    case ObjectKind::Font:
        return copy_record(static_cast<const Font*>(found)->record(), size, buffer);
    case ObjectKind::Bitmap: {
        const auto* bitmap = static_cast<const Bitmap*>(found);
        if (bitmap->is_dib_section() && buffer != nullptr &&
            size >= static_cast<int>(sizeof(DIBSECTION)))
            return copy_record(dib_section_of(*bitmap), size, buffer);
        if (bitmap->is_mono()) {
            const BITMAP record{0, bitmap->width(), bitmap->height(), bitmap->packed_stride(), 1,
                                1, bitmap->packed()};
            return copy_record(record, size, buffer);
        }
        const BITMAP record{0, bitmap->width(), bitmap->height(), bitmap->width() * 4, 1, 32, bitmap->pixels()};
        return copy_record(record, size, buffer);
    }
    case ObjectKind::Region:
    case ObjectKind::DeviceContext:
        break;
    }
    platform::make_win32_error(ERROR_INVALID_HANDLE);
    return 0;
}

}
