// Fonts and text: LOGFONTA records realised as Qt fonts, TextOutA, text metrics and
// extents.

#include "gdi_fonts.h"
#include "gdi_shapes.h"
#include "make_win32_error.h"
#include "platform/gdi.h"
#include "qt_application.h"

#include <QtGui/QFont>
#include <QtGui/QFontDatabase>
#include <QtGui/QFontInfo>
#include <QtGui/QFontMetrics>
#include <QtGui/QFontMetricsF>
#include <QtGui/QGlyphRun>
#include <QtGui/QTextLayout>
#include <QtGui/QTransform>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <string_view>

namespace platform::gdi {

// A text shaped once: its glyphs as a layout placed them, the layout's baseline at
// `ascent` below the runs' origin.
struct ShapedText {
    QList<QGlyphRun> runs;
    qreal ascent = 0;
};

struct FontRealization {
    FontRealization(QFont qt_font, const TEXTMETRICA& tm)
        : font(std::move(qt_font)), metrics(font), text_metrics(tm),
          antialiased(!(font.styleStrategy() & QFont::NoAntialias))
    {
    }

    // The advance of a UTF-8 text, as QFontMetrics measures it. Renderers measure the
    // same few texts again and again (and TextOutA measures what GetTextExtentPoint32A
    // just did), so recent results are kept: a text's advance in one font never
    // changes.
    int advance(const char* text, int count);
    // The glyphs of a UTF-8 text, shaped as QPainter::drawText shapes them; kept with
    // the text's advance once it has been measured. False where drawing the glyphs
    // would not give drawText's pixels: a text with line separators or control
    // characters, or an underlined or struck-out font.
    bool shape(const char* text, int count, ShapedText& shaped);

    QFont font;
    QFontMetrics metrics;
    TEXTMETRICA text_metrics;
    // Glyph edges blend with the surface in grey levels.
    bool antialiased;

private:
    struct Measured {
        std::string text;
        int width = 0;
        bool known = false;
        bool shaped = false;
        ShapedText glyphs;
    };
    static constexpr size_t kMeasured = 64;
    Measured& entry_for(std::string_view text) { return m_measured[std::hash<std::string_view>{}(text) % kMeasured]; }

    std::mutex m_lock;
    Measured m_measured[kMeasured];
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

}

// The installed face that stands for a face the program asks for: the usual Windows
// faces have metric-compatible twins, installed faces stand for themselves.
QString installed_face(const QString& asked)
{
    struct Substitute {
        const char* asked;
        const char* installed;
    };
    static constexpr Substitute kSubstitutes[] = {
        {"Arial", "Liberation Sans"},
        {"Tahoma", "Liberation Sans"},
        {"MS Shell Dlg 2", "Liberation Sans"},
        {"Calibri", "Carlito"},
        {"Times New Roman", "Liberation Serif"},
        {"Courier New", "Liberation Mono"},
        // The installed faces stand for themselves.
        {"Liberation Sans", "Liberation Sans"},
        {"Liberation Serif", "Liberation Serif"},
        {"Liberation Mono", "Liberation Mono"},
        {"Carlito", "Carlito"},
        {"DejaVu Sans Mono", "DejaVu Sans Mono"},
        {"DejaVu Serif", "DejaVu Serif"},
    };
    const QString name = asked.trimmed();
    if (name.isEmpty())
        return {};
    for (const Substitute& substitute : kSubstitutes) {
        if (name.compare(QLatin1String(substitute.asked), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(substitute.installed);
    }
    if (!ensure_gui_application())
        return {};
    const QStringList families = QFontDatabase::families();
    for (const QString& family : families) {
        if (family.compare(name, Qt::CaseInsensitive) == 0)
            return family;
    }
    return {};
}

namespace {

// A face that is not installed is drawn in DejaVu Sans, so text looks the same on
// every machine whatever fontconfig would pick.
QString face_name(const LOGFONTA& record)
{
    const size_t length = strnlen(record.lfFaceName, LF_FACESIZE);
    // A font without a face name is drawn in the common sans-serif face, as on Win32.
    if (length == 0)
        return QStringLiteral("Liberation Sans");
    const QString face =
        installed_face(QString::fromUtf8(record.lfFaceName, static_cast<qsizetype>(length)));
    return face.isEmpty() ? QStringLiteral("DejaVu Sans") : face;
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

// Only a record that asks for antialiased glyphs gets them: drawings, XOR marks and
// the images tests compare must keep every pixel either the text colour or untouched.
bool asks_for_antialiasing(BYTE quality)
{
    return quality == ANTIALIASED_QUALITY || quality == CLEARTYPE_QUALITY ||
           quality == CLEARTYPE_NATURAL_QUALITY;
}

QFont make_qt_font(const LOGFONTA& record)
{
    QFont font(face_name(record));
    // Grey levels even for ClearType: a surface has no known subpixel order.
    const QFont::StyleStrategy strategy =
        asks_for_antialiasing(record.lfQuality)
            ? QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias)
            : QFont::NoAntialias;
    font.setStyleHint(style_hint(record.lfPitchAndFamily), strategy);
    font.setStyleStrategy(strategy);
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
    // A positive height is the cell height itself, as on Win32, whatever the rounding
    // of the face's ascent and descent.
    if (record.lfHeight > 0) {
        tm.tmAscent = std::min<LONG>(tm.tmAscent, record.lfHeight);
        tm.tmDescent = record.lfHeight - tm.tmAscent;
    }
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

namespace {

QString text_of(LPCSTR text, int count)
{
    return count == 0 ? QString() : QString::fromUtf8(text, count);
}

// What a realization depends on: every field of the record that make_qt_font and
// text_metrics_of read. Escapement and orientation only turn the text.
struct FontKey {
    LONG height;
    LONG width;
    LONG weight;
    BYTE italic;
    BYTE underline;
    BYTE strike_out;
    BYTE char_set;
    BYTE pitch_and_family;
    bool antialiased;
    std::string face;

    explicit FontKey(const LOGFONTA& record)
        : height(record.lfHeight), width(record.lfWidth), weight(record.lfWeight),
          italic(record.lfItalic), underline(record.lfUnderline), strike_out(record.lfStrikeOut),
          char_set(record.lfCharSet), pitch_and_family(record.lfPitchAndFamily),
          antialiased(asks_for_antialiasing(record.lfQuality)),
          face(record.lfFaceName, strnlen(record.lfFaceName, LF_FACESIZE))
    {
    }
    auto operator<=>(const FontKey&) const = default;
};

// Realizations by record, shared by the fonts that ask for the same one: a renderer
// makes a font per text, and realizing one costs Qt a font match and its metrics.
struct FontCache {
    // Past this many records the cache starts afresh; fonts keep their realization.
    static constexpr size_t kLimit = 256;
    std::mutex lock;
    std::map<FontKey, std::shared_ptr<FontRealization>> realizations;
};

// Made on first use and kept for the life of the process, like the GDI table.
FontCache& font_cache()
{
    static FontCache* cache = new FontCache;
    return *cache;
}

}

int FontRealization::advance(const char* text, int count)
{
    if (count <= 0)
        return 0;
    const std::string_view key(text, static_cast<size_t>(count));
    Measured& entry = entry_for(key);
    {
        const std::lock_guard guard(m_lock);
        if (entry.known && entry.text == key)
            return entry.width;
    }
    const int width = metrics.horizontalAdvance(text_of(text, count));
    const std::lock_guard guard(m_lock);
    entry.known = false;
    entry.shaped = false;
    entry.glyphs = ShapedText{};
    entry.text.assign(key);
    entry.width = width;
    entry.known = true;
    return width;
}

namespace {

// Whether QTextLayout lays the text out on one line as drawText does: it breaks lines
// at U+2028 and U+2029, and control characters are left to drawText alone.
bool shapes_like_draw_text(std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return false;
    }
    return text.find("\xE2\x80\xA8") == std::string_view::npos && text.find("\xE2\x80\xA9") == std::string_view::npos;
}

}

bool FontRealization::shape(const char* text, int count, ShapedText& shaped)
{
    shaped = ShapedText{};
    if (count <= 0)
        return true;
    const std::string_view key(text, static_cast<size_t>(count));
    // drawGlyphRun puts underlines and strike-outs elsewhere than drawText does.
    if (font.underline() || font.strikeOut() || !shapes_like_draw_text(key))
        return false;
    Measured& entry = entry_for(key);
    {
        const std::lock_guard guard(m_lock);
        if (entry.known && entry.text == key && entry.shaped) {
            shaped = entry.glyphs;
            return true;
        }
    }
    QTextLayout layout(text_of(text, count), font);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    shaped.runs = layout.glyphRuns();
    shaped.ascent = line.isValid() ? line.ascent() : 0;
    const std::lock_guard guard(m_lock);
    // Kept only beside the text's advance; a text drawn without being measured first
    // does not push another out.
    if (entry.known && entry.text == key && !entry.shaped) {
        entry.glyphs = shaped;
        entry.shaped = true;
    }
    return true;
}

Font::Font(const LOGFONTA& record) : GdiObject(ObjectKind::Font), m_record(record) {}

Font::~Font() = default;

FontRealization* Font::realization()
{
    if (m_realization != nullptr)
        return m_realization.get();
    try {
        FontKey key(m_record);
        FontCache& cache = font_cache();
        {
            // A cached realization was made while a Qt GUI application existed, and
            // that application lives as long as the process.
            const std::lock_guard guard(cache.lock);
            const auto found = cache.realizations.find(key);
            if (found != cache.realizations.end()) {
                m_realization = found->second;
                return m_realization.get();
            }
        }
        if (!ensure_gui_application())
            return nullptr;
        QFont font = make_qt_font(m_record);
        const TEXTMETRICA text_metrics = text_metrics_of(m_record, font, QFontMetrics(font));
        auto made = std::make_shared<FontRealization>(std::move(font), text_metrics);
        const std::lock_guard guard(cache.lock);
        if (cache.realizations.size() >= FontCache::kLimit)
            cache.realizations.clear();
        // Another thread may have made the same one meanwhile; either serves.
        m_realization = cache.realizations.try_emplace(std::move(key), std::move(made)).first->second;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return m_realization.get();
}

namespace {

// The DC's font, ready for use; NULL with ERROR_NOT_ENOUGH_MEMORY when Qt cannot
// provide it.
FontRealization* dc_font(DeviceContext& dc)
{
    FontRealization* realization = dc.font().realization();
    if (realization == nullptr)
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
    return realization;
}

}

const QFont* qt_font_of(DeviceContext& dc)
{
    const FontRealization* realization = dc_font(dc);
    return realization != nullptr ? &realization->font : nullptr;
}

bool text_metrics_for(const LOGFONTA& record, TEXTMETRICA& metrics)
{
    Font font(record);
    const FontRealization* realization = font.realization();
    if (realization == nullptr)
        return false;
    metrics = realization->text_metrics;
    return true;
}

namespace {

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
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

// Draws the text from its shaped glyphs where the font can keep them, else through
// drawText: both give the same pixels, the glyphs without shaping the text again.
// A text that misses the surface is not shaped at all.
void draw_text(DeviceContext& dc, FontRealization& font, const QTransform& place, const TextLayout& layout,
               const char* text, int count)
{
    const Surface& surface = dc.surface();
    if (surface.is_empty())
        return;
    const TEXTMETRICA& tm = font.text_metrics;
    const QRectF cell(layout.left, layout.baseline - tm.tmAscent, layout.width, tm.tmHeight);
    // Italic and wide glyphs may reach past their cell.
    const double margin = tm.tmHeight + tm.tmMaxCharWidth;
    const QRectF bounds = place.mapRect(cell.adjusted(-margin, -margin, margin, margin));
    if (dc.background_mode == OPAQUE && layout.width > 0) {
        Paint background;
        background.colour = surface.device_pixel(dc.background_colour);
        paint_coverage(
            surface, bounds,
            [&](QPainter& painter) {
                painter.setTransform(place, true);
                painter.fillRect(cell, QColor(0, 0, 0, 255));
            },
            background, R2_COPYPEN, &dc.scratch_mask());
    }
    Paint foreground;
    foreground.colour = surface.device_pixel(dc.text_colour);
    paint_coverage(
        surface, bounds,
        [&](QPainter& painter) {
            painter.setTransform(place, true);
            painter.setFont(font.font);
            painter.setPen(QColor(0, 0, 0, 255));
            ShapedText shaped;
            if (!font.shape(text, count, shaped)) {
                painter.drawText(QPointF(layout.left, layout.baseline), text_of(text, count));
                return;
            }
            const QPointF origin(layout.left, layout.baseline - shaped.ascent);
            for (const QGlyphRun& run : shaped.runs)
                painter.drawGlyphRun(origin, run);
        },
        foreground, R2_COPYPEN, &dc.scratch_mask(),
        font.antialiased ? Coverage::Graded : Coverage::Solid);
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
        FontRealization* font = dc_font(*dc);
        if (font == nullptr)
            return FALSE;
        const bool update_position = (dc->text_align & TA_UPDATECP) != 0;
        const POINT origin = update_position ? dc->position : POINT{x, y};
        // The text is placed on device pixels; the current position stays logical.
        const int64_t device_x = dc->device_x(origin.x);
        const int64_t device_y = dc->device_y(origin.y);
        if (!is_curve_coordinate(origin.x) || !is_curve_coordinate(origin.y) ||
            !is_curve_coordinate(device_x) || !is_curve_coordinate(device_y)) {
            platform::make_win32_error(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        const TextLayout layout = layout_text(dc->text_align, font->text_metrics, font->advance(text, count));
        const double angle = dc->font().record().lfEscapement / 10.0;
        QTransform place;
        place.translate(static_cast<double>(device_x), static_cast<double>(device_y));
        place.rotate(-angle);

        if (dc->path_state == PathState::Open) {
            QPainterPath glyphs;
            glyphs.addText(QPointF(layout.left, layout.baseline), font->font, text_of(text, count));
            dc->path.addPath(place.map(glyphs));
            dc->figure_open = false;
        } else {
            draw_text(*dc, *font, place, layout, text, count);
        }
        if (update_position) {
            const double radians = angle * kPi / 180.0;
            dc->position.x = origin.x + static_cast<LONG>(std::lround(layout.advance * std::cos(radians)));
            dc->position.y = origin.y - static_cast<LONG>(std::lround(layout.advance * std::sin(radians)));
        }
        return TRUE;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
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
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
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
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    try {
        FontRealization* font = dc_font(*dc);
        if (font == nullptr)
            return FALSE;
        size->cx = font->advance(text, count);
        size->cy = font->text_metrics.tmHeight;
        return TRUE;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

PLATFORM_API BOOL GetTextExtentExPointA(HDC hdc, LPCSTR text, int count, int max_extent, LPINT fit,
                                        LPINT widths, LPSIZE size) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return FALSE;
    if (!check_text(text, count) || size == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    try {
        FontRealization* font = dc_font(*dc);
        if (font == nullptr)
            return FALSE;
        // The extent of each prefix; a character goes whole, so a UTF-8 sequence is
        // measured with the bytes that complete it.
        int fitting = 0;
        for (int i = 1; i <= count; ++i) {
            const bool inside_sequence =
                i < count && (static_cast<unsigned char>(text[i]) & 0xC0u) == 0x80u;
            const int extent = font->advance(text, i);
            if (widths != nullptr)
                widths[i - 1] = extent;
            if (!inside_sequence && extent <= max_extent)
                fitting = i;
        }
        if (fit != nullptr)
            *fit = fitting;
        size->cx = count > 0 ? font->advance(text, count) : 0;
        size->cy = font->text_metrics.tmHeight;
        return TRUE;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}
}
