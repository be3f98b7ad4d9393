// Device contexts: memory DCs, DCs over a caller's pixels, the recording DC, object
// selection and the attributes of a DC.

#include "gdi_objects.h"
#include "make_win32_error.h"
#include "platform/gdi_support.h"

#include <algorithm>
#include <cstring>
#include <new>

using namespace platform::gdi;

namespace {

HDC add_dc(std::unique_ptr<DeviceContext> dc) noexcept
{
    return static_cast<HDC>(add_object(std::move(dc)));
}

const char* object_type_name(UINT type)
{
    switch (type) {
    case OBJ_PEN:
        return "OBJ_PEN";
    case OBJ_BRUSH:
        return "OBJ_BRUSH";
    case OBJ_FONT:
        return "OBJ_FONT";
    case OBJ_BITMAP:
        return "OBJ_BITMAP";
    default:
        return "OBJ_?";
    }
}

bool is_text_align(UINT align)
{
    return (align & ~static_cast<UINT>(TA_UPDATECP | TA_CENTER | TA_BASELINE)) == 0 &&
           (align & TA_CENTER) != 4 && (align & TA_BASELINE) != 16;
}

}

extern "C" {

PLATFORM_API HDC CreateCompatibleDC(HDC dc) noexcept
{
    if (dc != nullptr && object_of_kind<DeviceContext>(dc) == nullptr)
        return nullptr;
    try {
        return add_dc(std::make_unique<DeviceContext>(DeviceContext::Target::Memory));
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

PLATFORM_API BOOL DeleteDC(HDC hdc) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    const HGDIOBJ own_bitmap = dc->own_bitmap();
    dc->release_selections();
    const BOOL deleted = delete_object(hdc);
    // The recording DC's surface goes with it, unless the caller moved it elsewhere.
    if (own_bitmap != nullptr) {
        const GdiObject* bitmap = object_of(own_bitmap);
        if (bitmap != nullptr && bitmap->selections() == 0)
            delete_object(own_bitmap);
    }
    return deleted;
}

PLATFORM_API HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return nullptr;
    GdiObject* selected = object_of(object);
    if (selected == nullptr) {
        dc->record("SelectObject(invalid)");
        return nullptr;
    }
    if (dc->is_recording()) {
        try {
            dc->record("SelectObject(%s)", describe_object(selected).c_str());
        } catch (const std::bad_alloc&) {
            // The log loses a line; the selection still happens.
        }
    }
    if (selected->kind() == ObjectKind::Region)
        return HGDI_ERROR;
    GdiObject* previous = dc->select(*selected);
    if (previous == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return previous->handle();
}

PLATFORM_API HGDIOBJ GetCurrentObject(HDC hdc, UINT type) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return nullptr;
    dc->record("GetCurrentObject(%s)", object_type_name(type));
    switch (type) {
    case OBJ_PEN:
        return dc->pen().handle();
    case OBJ_BRUSH:
        return dc->brush().handle();
    case OBJ_FONT:
        return dc->font().handle();
    case OBJ_BITMAP:
        return dc->bitmap() != nullptr ? dc->bitmap()->handle() : nullptr;
    default:
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

PLATFORM_API int SetROP2(HDC hdc, int mode) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return 0;
    dc->record("SetROP2(%d)", mode);
    if (!is_rop2(mode)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return std::exchange(dc->rop2, mode);
}

PLATFORM_API int GetROP2(HDC hdc) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return 0;
    dc->record("GetROP2()");
    return dc->rop2;
}

PLATFORM_API COLORREF SetTextColor(HDC hdc, COLORREF colour) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return CLR_INVALID;
    // Renderers set the text colour with every pen: the log is looked at only when kept.
    if (dc->is_recording()) [[unlikely]]
        dc->record("SetTextColor(0x%06X)", colour);
    return std::exchange(dc->text_colour, colour);
}

PLATFORM_API COLORREF GetTextColor(HDC hdc) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return CLR_INVALID;
    dc->record("GetTextColor()");
    return dc->text_colour;
}

PLATFORM_API COLORREF SetBkColor(HDC hdc, COLORREF colour) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return CLR_INVALID;
    dc->record("SetBkColor(0x%06X)", colour);
    return std::exchange(dc->background_colour, colour);
}

PLATFORM_API COLORREF GetBkColor(HDC hdc) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return CLR_INVALID;
    dc->record("GetBkColor()");
    return dc->background_colour;
}

PLATFORM_API int SetBkMode(HDC hdc, int mode) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return 0;
    dc->record("SetBkMode(%d)", mode);
    if (mode != TRANSPARENT && mode != OPAQUE) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return std::exchange(dc->background_mode, mode);
}

PLATFORM_API int GetBkMode(HDC hdc) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return 0;
    dc->record("GetBkMode()");
    return dc->background_mode;
}

PLATFORM_API UINT SetTextAlign(HDC hdc, UINT align) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return GDI_ERROR;
    dc->record("SetTextAlign(%u)", align);
    if (!is_text_align(align)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return GDI_ERROR;
    }
    return std::exchange(dc->text_align, align);
}

PLATFORM_API UINT GetTextAlign(HDC hdc) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return GDI_ERROR;
    dc->record("GetTextAlign()");
    return dc->text_align;
}

// ---- Device contexts without a Win32 name -----------------------------------------

PLATFORM_API HDC platform_create_dc_for_pixels(void* pixels, int width, int height, ptrdiff_t stride,
                                               DWORD flags) noexcept
{
    const bool aligned = reinterpret_cast<uintptr_t>(pixels) % alignof(uint32_t) == 0;
    if (pixels == nullptr || !aligned || width <= 0 || height <= 0 || width > kMaxSurfaceSide ||
        height > kMaxSurfaceSide || stride < static_cast<ptrdiff_t>(width) * 4 || stride % 4 != 0 ||
        (flags & ~PLATFORM_PIXELS_OPAQUE_ALPHA) != 0) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    try {
        auto dc = std::make_unique<DeviceContext>(DeviceContext::Target::Pixels);
        Surface surface;
        surface.top_row = static_cast<uint32_t*>(pixels);
        surface.stride = stride / 4;
        surface.width = width;
        surface.height = height;
        surface.alpha = (flags & PLATFORM_PIXELS_OPAQUE_ALPHA) != 0 ? 0xFF000000u : 0u;
        dc->set_external_surface(surface);
        return add_dc(std::move(dc));
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

PLATFORM_API HDC platform_create_recording_dc(int width, int height) noexcept
{
    if (width < 0 || height < 0) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::unique_ptr<Bitmap> bitmap;
    if (width > 0 && height > 0) {
        bitmap = make_dib(width, height, true);
        if (bitmap == nullptr)
            return nullptr;
    }
    std::unique_ptr<DeviceContext> dc;
    try {
        dc = std::make_unique<DeviceContext>(DeviceContext::Target::Memory);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HGDIOBJ bitmap_handle = nullptr;
    if (bitmap != nullptr) {
        Bitmap& surface = *bitmap;
        bitmap_handle = add_object(std::move(bitmap));
        if (bitmap_handle == nullptr)
            return nullptr;
        dc->select(surface);
        dc->set_own_bitmap(bitmap_handle);
    }
    dc->start_recording();
    const HDC handle = add_dc(std::move(dc));
    // Without a handle the DC is gone and has let go of its bitmap.
    if (handle == nullptr && bitmap_handle != nullptr)
        delete_object(bitmap_handle);
    return handle;
}

PLATFORM_API size_t platform_recording_dc_log(HDC hdc, char* buffer, size_t size) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr || !dc->is_recording())
        return 0;
    const std::string& log = dc->log();
    if (buffer != nullptr && size > 0) {
        const size_t copied = std::min(log.size(), size - 1);
        std::memcpy(buffer, log.data(), copied);
        buffer[copied] = '\0';
    }
    return log.size();
}

PLATFORM_API void platform_recording_dc_clear(HDC hdc) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc != nullptr)
        dc->log().clear();
}

PLATFORM_API size_t platform_gdi_object_count(void) noexcept
{
    return live_object_count();
}

}
