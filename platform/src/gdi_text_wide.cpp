// Text calls that take UTF-16: they draw and measure the UTF-8 form through the
// 8-bit calls, so that both kinds of text share one font engine.

#include "gdi_objects.h"
#include "make_win32_error.h"
#include "platform/gdi.h"

#include <QtCore/QByteArray>
#include <QtCore/QString>
#include <QtGui/QRegion>

#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>
#include <utility>

using namespace platform::gdi;

namespace {

QByteArray utf8_of(LPCWSTR text, int count)
{
    return QString::fromUtf16(text, count).toUtf8();
}

// Puts the DC's clip back as it was when the text was drawn.
class ClipRestorer {
public:
    explicit ClipRestorer(DeviceContext& dc) : m_dc(dc), m_saved(dc.clip()) {}
    ~ClipRestorer() { m_dc.set_clip(std::move(m_saved)); }
    ClipRestorer(const ClipRestorer&) = delete;
    ClipRestorer& operator=(const ClipRestorer&) = delete;

private:
    DeviceContext& m_dc;
    std::optional<QRegion> m_saved;
};

BOOL fill_with_background(HDC dc, const RECT& rect)
{
    const HBRUSH brush = CreateSolidBrush(GetBkColor(dc));
    if (brush == nullptr)
        return FALSE;
    const HGDIOBJ old = SelectObject(dc, brush);
    const BOOL done =
        PatBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, PATCOPY);
    SelectObject(dc, old);
    DeleteObject(brush);
    return done;
}

}

extern "C" {

PLATFORM_API BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, LPSIZE size) noexcept
{
    if (object_of_kind<DeviceContext>(dc) == nullptr)
        return FALSE;
    if ((text == nullptr && count != 0) || count < 0 || size == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    try {
        const QByteArray bytes = utf8_of(text, count);
        return GetTextExtentPoint32A(dc, bytes.constData(), static_cast<int>(bytes.size()), size);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

PLATFORM_API BOOL GetTextMetricsW(HDC dc, LPTEXTMETRICW metrics) noexcept
{
    if (object_of_kind<DeviceContext>(dc) == nullptr)
        return FALSE;
    if (metrics == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    TEXTMETRICA narrow{};
    if (GetTextMetricsA(dc, &narrow) == FALSE)
        return FALSE;
    *metrics =
        TEXTMETRICW{narrow.tmHeight,           narrow.tmAscent,           narrow.tmDescent,
                    narrow.tmInternalLeading,  narrow.tmExternalLeading,  narrow.tmAveCharWidth,
                    narrow.tmMaxCharWidth,     narrow.tmWeight,           narrow.tmOverhang,
                    narrow.tmDigitizedAspectX, narrow.tmDigitizedAspectY, narrow.tmFirstChar,
                    narrow.tmLastChar,         narrow.tmDefaultChar,      narrow.tmBreakChar,
                    narrow.tmItalic,           narrow.tmUnderlined,       narrow.tmStruckOut,
                    narrow.tmPitchAndFamily,   narrow.tmCharSet};
    return TRUE;
}

PLATFORM_API BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text,
                              UINT count, const INT* spacing) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("ExtTextOutW(%d, %d, 0x%x, %u)", x, y, options, count);
    const bool uses_rect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
    if ((text == nullptr && count != 0) || count > 0x7FFFFFFFu || spacing != nullptr ||
        (uses_rect && rect == nullptr)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    try {
        if ((options & ETO_OPAQUE) != 0 && !fill_with_background(hdc, *rect))
            return FALSE;
        if (count == 0)
            return TRUE;
        const QByteArray bytes = utf8_of(text, static_cast<int>(count));
        if ((options & ETO_CLIPPED) == 0)
            return TextOutA(hdc, x, y, bytes.constData(), static_cast<int>(bytes.size()));
        const ClipRestorer restore(*dc);
        const Surface& surface = dc->surface();
        const QRegion current = dc->clip().value_or(QRegion(0, 0, surface.width, surface.height));
        // A rectangle with its corners the wrong way round clips everything away.
        // The clip is in device coordinates, the rectangle in logical ones.
        RECT box = *rect;
        if (!dc->to_device(box)) {
            platform::make_win32_error(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        const QRect cut(
            box.left, box.top,
            static_cast<int>(std::clamp<int64_t>(int64_t{box.right} - box.left, 0, INT32_MAX)),
            static_cast<int>(std::clamp<int64_t>(int64_t{box.bottom} - box.top, 0, INT32_MAX)));
        dc->set_clip(current & QRegion(cut));
        return TextOutA(hdc, x, y, bytes.constData(), static_cast<int>(bytes.size()));
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}
}
