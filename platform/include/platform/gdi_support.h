/*
 * Device contexts of the platform's GDI that have no Win32 name: a DC over a caller's
 * own pixels (the viewer's back buffer) and the recording DC of the tests, which logs
 * every call made on it.
 */
#ifndef PLATFORM_GDI_SUPPORT_H
#define PLATFORM_GDI_SUPPORT_H

#include "platform/api.h"
#include "platform/gdi.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

/* Pixels are stored with 0xFF in their top byte (what an opaque 32-bit image, such as
 * Qt's RGB32 and ARGB32 formats, expects); without it the top byte is 0, as in a DIB. */
#define PLATFORM_PIXELS_OPAQUE_ALPHA 0x00000001u

/*
 * A DC that draws into the caller's 32-bit pixels: width by height pixels 0xAARRGGBB,
 * top row first, stride bytes from one row to the next (at least width * 4, a
 * multiple of 4). The caller keeps the pixels alive and in place until DeleteDC; the
 * DC takes no bitmap. NULL with ERROR_INVALID_PARAMETER for NULL pixels, a size of 0,
 * below 0 or above 65536 on an axis, a bad stride or unknown flags.
 */
PLATFORM_API HDC platform_create_dc_for_pixels(void* pixels, int width, int height,
                                               ptrdiff_t stride, DWORD flags) PLATFORM_NOEXCEPT;

/*
 * A memory DC for tests that logs every GDI call made on it, one line per call:
 * the function's name and its arguments, e.g. "LineTo(5, 0)", "SetTextColor(0x0000FF)",
 * "SelectObject(pen PS_SOLID 1 0x0000FF)", "TextOutA(3, 4, \"abc\")". Colours are
 * written as 0xBBGGRR, objects by their kind and record (a stock object by its name).
 * It draws into its own cleared 32-bit surface of width by height pixels (with 0 on
 * either axis it has none: it then draws nothing but keeps every other state; sizes as
 * for CreateDIBSection). Freed with DeleteDC, which frees the surface too.
 */
PLATFORM_API HDC platform_create_recording_dc(int width, int height) PLATFORM_NOEXCEPT;

/*
 * Copies the log (lines ending in '\n') into the buffer: at most size - 1 bytes and a
 * NUL (nothing when buffer is NULL or size is 0). Returns the full length of the log
 * without the NUL, 0 for a DC that does not record.
 */
PLATFORM_API size_t platform_recording_dc_log(HDC dc, char* buffer, size_t size) PLATFORM_NOEXCEPT;
/* Empties the log. */
PLATFORM_API void platform_recording_dc_clear(HDC dc) PLATFORM_NOEXCEPT;

/* The number of GDI objects and DCs alive that are not stock objects: tests check that
 * code frees what it creates. */
PLATFORM_API size_t platform_gdi_object_count(void) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
