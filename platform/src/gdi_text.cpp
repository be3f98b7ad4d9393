// Fonts and text: LOGFONTA records realised as Qt fonts, TextOutA, text metrics and
// extents.

#include "gdi_shapes.h"
#include "platform/gdi.h"
#include "qt_application.h"

#include <QtGui/QFont>
#include <QtGui/QFontInfo>
#include <QtGui/QFontMetrics>
#include <QtGui/QFontMetricsF>
#include <QtGui/QTransform>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace platform::gdi {

struct FontRealization {
    QFont font;
    QFontMetrics metrics;
    TEXTMETRICA text_metrics;
};

namespace {

constexpr double kPi = 3.14159265358979323846;
// The cell height of a font that asks for none (lfHeight 0).
constexpr int64_t kDefaultCellHeight = 16;
// Larger glyphs than this are of no use on any surface and only cost time.
constexpr int64_t kMaxPixelSize = 32767;
// Size at which a face's cell-to-em ratio is measured.
constexpr int kProbePixelSize = 256;

QFont::StyleHint style_hint(BYTE pitch_and_family)
{
    switch (pitch_and_family & 0xF0) {
    case FF_ROMAN:
        return QFont::Serif;
    case FF_SWISS:
        return QFont::SansSerif;
    case FF_MODERN:
        return QFont::TypeWriter;
    case FF_SCRIPT:
        return QFont::Cursive;
    case FF_DECORATIVE:
        return QFont::Decorative;
    default:
        return (pitch_and_family & 0x03) == FIXED_PITCH ? QFont::TypeWriter : QFont::AnyStyle;
    }
}

QString face_name(const LOGFONTA& record)
{
    const size_t length = strnlen(record.lfFaceName, LF_FACESIZE);
    // A font without a face name is drawn in the common sans-serif face, as on Win32.
    if (length == 0)
        return QStringLiteral("Arial");
    return QString::fromUtf8(record.lfFaceName, static_cast<qsizetype>(length));
}

// The pixel size (em height) that gives the record's height: a negative height is
// the character height itself, a positive one the cell (ascent + descent).
int pixel_size(const QFont& font, LONG height)
{
    if (height < 0)
        return static_cast<int>(std::min(-int64_t{height}, kMaxPixelSize));
    const int64_t cell = height == 0 ? kDefaultCellHeight : height;
    QFont probe(font);
    probe.setPixelSize(kProbePixelSize);
    const QFontMetricsF probe_metrics(probe);
    const double probe_cell = probe_metrics.ascent() + probe_metrics.descent();
    if (probe_cell <= 0.0)
        return static_cast<int>(std::min(cell, kMaxPixelSize));
    const double size = std::round(static_cast<double>(cell) * kProbePixelSize / probe_cell);
    return static_cast<int>(std::clamp(size, 1.0, static_cast<double>(kMaxPixelSize)));
}

QFont make_qt_font(const LOGFONTA& record)
{
    QFont font(face_name(record));
    font.setStyleHint(style_hint(record.lfPitchAndFamily), QFont::NoAntialias);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setKerning(false);
    if ((record.lfPitchAndFamily & 0x03) == FIXED_PITCH)
        font.setFixedPitch(true);
    const LONG weight = record.lfWeight <= 0 ? FW_NORMAL : std::min<LONG>(record.lfWeight, 1000);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(record.lfItalic != 0);
    font.setUnderline(record.lfUnderline != 0);
    font.setStrikeOut(record.lfStrikeOut != 0);
    font.setPixelSize(pixel_size(font, record.lfHeight));
    if (record.lfWidth != 0) {
        // A requested average width stretches the face horizontally.
        const int natural = QFontMetrics(font).averageCharWidth();
        if (natural > 0) {
            const double wanted = std::abs(static_cast<double>(record.lfWidth));
            const double stretch = std::round(100.0 * wanted / natural);
            font.setStretch(static_cast<int>(std::clamp(stretch, 1.0, 4000.0)));
        }
    }
    return font;
}

TEXTMETRICA text_metrics_of(const LOGFONTA& record, const QFont& font, const QFontMetrics& metrics)
{
    TEXTMETRICA tm{};
    tm.tmAscent = metrics.ascent();
    tm.tmDescent = metrics.descent();
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = std::max(0, tm.tmHeight - font.pixelSize());
    tm.tmExternalLeading = std::max(0, metrics.leading());
    tm.tmAveCharWidth = metrics.averageCharWidth();
    tm.tmMaxCharWidth = metrics.maxWidth();
    tm.tmWeight = font.weight();
    tm.tmOverhang = 0;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFF;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = 0x20;
    tm.tmItalic = record.lfItalic != 0 ? 1 : 0;
    tm.tmUnderlined = record.lfUnderline != 0 ? 1 : 0;
    tm.tmStruckOut = record.lfStrikeOut != 0 ? 1 : 0;
    // Win32's TMPF_FIXED_PITCH bit means the opposite of its name.
    const BYTE pitch = QFontInfo(font).fixedPitch() ? 0 : TMPF_FIXED_PITCH;
    tm.tmPitchAndFamily = static_cast<BYTE>(pitch | TMPF_VECTOR | TMPF_TRUETYPE | (record.lfPitchAndFamily & 0xF0));
    tm.tmCharSet = record.lfCharSet;
    return tm;
}

}

Font::Font(const LOGFONTA& record) : GdiObject(ObjectKind::Font), m_record(record) {}

Font::~Font() = default;

const FontRealization* Font::realization()
{
    if (m_realization != nullptr)
        return m_realization.get();
    if (!ensure_gui_application())
        return nullptr;
    try {
        QFont font = make_qt_font(m_record);
        QFontMetrics metrics(font);
        const TEXTMETRICA text_metrics = text_metrics_of(m_record, font, metrics);
        m_realization = std::make_unique<FontRealization>(FontRealization{std::move(font), std::move(metrics), text_metrics});
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return m_realization.get();
}

namespace {

// The DC's font, ready for use; NULL with ERROR_NOT_ENOUGH_MEMORY when Qt cannot
// provide it.
const FontRealization* dc_font(DeviceContext& dc)
{
    const FontRealization* realization = dc.font().realization();
    if (realization == nullptr)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return realization;
}

// The text's layout relative to the reference point, before the escapement turns it.
struct TextLayout {
    double left;     // x of the text's start
    double baseline; // y of the baseline
    int width;
    int advance;     // how far TA_UPDATECP moves the current position, along the baseline
};

TextLayout layout_text(UINT align, const TEXTMETRICA& tm, int width)
{
    TextLayout layout{};
    layout.width = width;
    switch (align & TA_CENTER) {
    case TA_RIGHT:
        layout.left = -width;
        layout.advance = -width;
        break;
    case TA_CENTER:
        layout.left = -(width / 2);
        layout.advance = 0;
        break;
    default:
        layout.left = 0;
        layout.advance = width;
        break;
    }
    switch (align & TA_BASELINE) {
    case TA_BASELINE:
        layout.baseline = 0;
        break;
    case TA_BOTTOM:
        layout.baseline = -tm.tmDescent;
        break;
    default:
        layout.baseline = tm.tmAscent;
        break;
    }
    return layout;
}

bool check_text(LPCSTR text, int count)
{
    if (count < 0 || (text == nullptr && count > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

QString text_of(LPCSTR text, int count)
{
    return count == 0 ? QString() : QString::fromUtf8(text, count);
}

void draw_text(DeviceContext& dc, const FontRealization& font, const QTransform& place, const TextLayout& layout,
               const QString& text)
{
    const Surface surface = dc.surface();
    if (surface.is_empty())
        return;
    const TEXTMETRICA& tm = font.text_metrics;
    const QRectF cell(layout.left, layout.baseline - tm.tmAscent, layout.width, tm.tmHeight);
    // Italic and wide glyphs may reach past their cell.
    const double margin = tm.tmHeight + tm.tmMaxCharWidth;
    const QRectF bounds = place.mapRect(cell.adjusted(-margin, -margin, margin, margin));
    if (dc.background_mode == OPAQUE && layout.width > 0) {
        Paint background;
        background.colour = pixel_of(dc.background_colour);
        paint_coverage(
            surface, bounds,
            [&](QPainter& painter) {
                painter.setTransform(place, true);
                painter.fillRect(cell, QColor(0, 0, 0, 255));
            },
            background, R2_COPYPEN);
    }
    Paint foreground;
    foreground.colour = pixel_of(dc.text_colour);
    paint_coverage(
        surface, bounds,
        [&](QPainter& painter) {
            painter.setTransform(place, true);
            painter.setFont(font.font);
            painter.setPen(QColor(0, 0, 0, 255));
            painter.drawText(QPointF(layout.left, layout.baseline), text);
        },
        foreground, R2_COPYPEN);
}

}

}

using namespace platform::gdi;

extern "C" {

PLATFORM_API BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int count) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("TextOutA(%d, %d, \"%.*s\")", x, y, text != nullptr ? std::max(count, 0) : 0,
               text != nullptr ? text : "");
    if (!check_text(text, count))
        return FALSE;
    try {
        const FontRealization* font = dc_font(*dc);
        if (font == nullptr)
            return FALSE;
        const bool update_position = (dc->text_align & TA_UPDATECP) != 0;
        const POINT origin = update_position ? dc->position : POINT{x, y};
        if (!is_curve_coordinate(origin.x) || !is_curve_coordinate(origin.y)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        const QString string = text_of(text, count);
        const TextLayout layout = layout_text(dc->text_align, font->text_metrics, font->metrics.horizontalAdvance(string));
        const double angle = dc->font().record().lfEscapement / 10.0;
        QTransform place;
        place.translate(origin.x, origin.y);
        place.rotate(-angle);

        if (dc->path_state == PathState::Open) {
            QPainterPath glyphs;
            glyphs.addText(QPointF(layout.left, layout.baseline), font->font, string);
            dc->path.addPath(place.map(glyphs));
            dc->figure_open = false;
        } else {
            draw_text(*dc, *font, place, layout, string);
        }
        if (update_position) {
            const double radians = angle * kPi / 180.0;
            dc->position.x = origin.x + static_cast<LONG>(std::lround(layout.advance * std::cos(radians)));
            dc->position.y = origin.y - static_cast<LONG>(std::lround(layout.advance * std::sin(radians)));
        }
        return TRUE;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

PLATFORM_API BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA metrics) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("GetTextMetricsA()");
    if (metrics == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const FontRealization* font = dc_font(*dc);
    if (font == nullptr)
        return FALSE;
    *metrics = font->text_metrics;
    return TRUE;
}

PLATFORM_API BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, LPSIZE size) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    dc->record("GetTextExtentPoint32A(\"%.*s\")", text != nullptr ? std::max(count, 0) : 0,
               text != nullptr ? text : "");
    if (!check_text(text, count) || size == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    try {
        const FontRealization* font = dc_font(*dc);
        if (font == nullptr)
            return FALSE;
        size->cx = font->metrics.horizontalAdvance(text_of(text, count));
        size->cy = font->text_metrics.tmHeight;
        return TRUE;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

}
