// Font outlines and the enumeration of the installed faces: GetOutlineTextMetricsA,
// GetGlyphOutlineA and EnumFontFamiliesExA, from Qt's raw fonts and font database.

#include "gdi_fonts.h"
#include "make_win32_error.h"
#include "qt_application.h"

#include <QtGui/QFontDatabase>
#include <QtGui/QPainterPath>
#include <QtGui/QRawFont>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

using namespace platform::gdi;

namespace {

// The raw font of the DC's font at its pixel size; invalid when Qt cannot give one.
QRawFont raw_font_of(DeviceContext& dc)
{
    const QFont* font = qt_font_of(dc);
    return font != nullptr ? QRawFont::fromFont(*font) : QRawFont();
}

LONG rounded(double value)
{
    return static_cast<LONG>(std::lround(value));
}

// 16.16 fixed point, kept to the range of the format.
FIXED fixed_of(double value)
{
    const double scaled = std::clamp(std::round(value * 65536.0),
                                     static_cast<double>(std::numeric_limits<int32_t>::min()),
                                     static_cast<double>(std::numeric_limits<int32_t>::max()));
    const auto packed = static_cast<uint32_t>(static_cast<int32_t>(scaled));
    FIXED fixed;
    fixed.fract = static_cast<WORD>(packed & 0xFFFFu);
    fixed.value = static_cast<SHORT>(static_cast<int16_t>(packed >> 16));
    return fixed;
}

bool is_identity(const MAT2& m)
{
    auto is = [](const FIXED& f, int value) { return f.fract == 0 && f.value == value; };
    return is(m.eM11, 1) && is(m.eM12, 0) && is(m.eM21, 0) && is(m.eM22, 1);
}

// The outline in the layout of GGO_NATIVE: a polygon header per subpath, then line
// and cubic records. Qt's y runs downwards; the outline's runs upwards.
class OutlineWriter {
public:
    void write(const QPainterPath& path)
    {
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element& e = path.elementAt(i);
            switch (e.type) {
            case QPainterPath::MoveToElement:
                end_polygon();
                begin_polygon(e);
                break;
            case QPainterPath::LineToElement:
                add_point(TT_PRIM_LINE, e);
                break;
            case QPainterPath::CurveToElement:
                if (i + 2 < path.elementCount()) {
                    add_point(TT_PRIM_CSPLINE, e);
                    add_point(TT_PRIM_CSPLINE, path.elementAt(i + 1));
                    add_point(TT_PRIM_CSPLINE, path.elementAt(i + 2));
                }
                i += 2;
                break;
            default:
                break;
            }
        }
        end_polygon();
    }
    const std::vector<uint8_t>& bytes() const { return m_bytes; }

private:
    void begin_polygon(const QPainterPath::Element& start)
    {
        m_polygon = m_bytes.size();
        TTPOLYGONHEADER header{};
        header.dwType = TT_POLYGON_TYPE;
        header.pfxStart = point_of(start);
        m_start = start;
        append(&header, sizeof header);
        m_record = 0;
        m_in_polygon = true;
    }
    void add_point(WORD kind, const QPainterPath::Element& e)
    {
        if (!m_in_polygon)
            return;
        if (m_record == 0 || record()->wType != kind) {
            m_record = m_bytes.size();
            const WORD head[2] = {kind, 0};
            append(head, sizeof head);
        }
        const POINTFX point = point_of(e);
        append(&point, sizeof point);
        ++record()->cpfx;
        m_last = e;
    }
    void end_polygon()
    {
        if (!m_in_polygon)
            return;
        // Every polygon ends at its start: a line closes one that does not.
        if (m_record == 0 || m_last.x != m_start.x || m_last.y != m_start.y) {
            m_record = 0;
            add_point(TT_PRIM_LINE, m_start);
        }
        const auto size = static_cast<DWORD>(m_bytes.size() - m_polygon);
        std::memcpy(m_bytes.data() + m_polygon, &size, sizeof size);
        m_in_polygon = false;
    }
    TTPOLYCURVE* record() { return reinterpret_cast<TTPOLYCURVE*>(m_bytes.data() + m_record); }
    static POINTFX point_of(const QPainterPath::Element& e)
    {
        return POINTFX{fixed_of(e.x), fixed_of(-e.y)};
    }
    void append(const void* data, size_t size)
    {
        const auto* bytes = static_cast<const uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), bytes, bytes + size);
    }

    std::vector<uint8_t> m_bytes;
    size_t m_polygon = 0;
    size_t m_record = 0; // 0: no record open in this polygon
    bool m_in_polygon = false;
    QPainterPath::Element m_start{};
    QPainterPath::Element m_last{};
};

// ---- Enumeration ------------------------------------------------------------------

struct CharacterSet {
    BYTE number;
    QFontDatabase::WritingSystem writing;
};

constexpr CharacterSet kCharacterSets[] = {
    {ANSI_CHARSET, QFontDatabase::Latin},       {EASTEUROPE_CHARSET, QFontDatabase::Latin},
    {TURKISH_CHARSET, QFontDatabase::Latin},    {BALTIC_CHARSET, QFontDatabase::Latin},
    {RUSSIAN_CHARSET, QFontDatabase::Cyrillic}, {GREEK_CHARSET, QFontDatabase::Greek},
    {HEBREW_CHARSET, QFontDatabase::Hebrew},    {ARABIC_CHARSET, QFontDatabase::Arabic},
    {THAI_CHARSET, QFontDatabase::Thai},        {SYMBOL_CHARSET, QFontDatabase::Symbol},
};

bool covers(const QString& family, const CharacterSet& set)
{
    return QFontDatabase::writingSystems(family).contains(set.writing);
}

BYTE pitch_and_family_of(const QString& family)
{
    if (QFontDatabase::isFixedPitch(family))
        return FIXED_PITCH | FF_MODERN;
    const bool serif = family.contains(QLatin1String("Serif"), Qt::CaseInsensitive) &&
                       !family.contains(QLatin1String("Sans"), Qt::CaseInsensitive);
    return VARIABLE_PITCH | (serif ? FF_ROMAN : FF_SWISS);
}

}

extern "C" {

PLATFORM_API UINT GetOutlineTextMetricsA(HDC hdc, UINT size, LPOUTLINETEXTMETRICA metrics) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return 0;
    dc->record("GetOutlineTextMetricsA(%u)", size);
    if (metrics == nullptr)
        return sizeof(OUTLINETEXTMETRICA);
    try {
        const QRawFont raw = raw_font_of(*dc);
        TEXTMETRICA text{};
        if (!raw.isValid() || GetTextMetricsA(hdc, &text) == FALSE)
            return 0;
        OUTLINETEXTMETRICA outline{};
        outline.otmSize = sizeof outline;
        outline.otmTextMetrics = text;
        outline.otmEMSquare = static_cast<UINT>(std::max(1.0, std::round(raw.unitsPerEm())));
        outline.otmAscent = rounded(raw.ascent());
        outline.otmDescent = -rounded(raw.descent());
        outline.otmLineGap = static_cast<UINT>(std::max<LONG>(0, rounded(raw.leading())));
        outline.otmsCapEmHeight = static_cast<UINT>(std::max<LONG>(0, rounded(raw.capHeight())));
        outline.otmsXHeight = static_cast<UINT>(std::max<LONG>(0, rounded(raw.xHeight())));
        outline.otmrcFontBox = RECT{0, text.tmAscent, text.tmMaxCharWidth, -text.tmDescent};
        outline.otmMacAscent = outline.otmAscent;
        outline.otmMacDescent = outline.otmDescent;
        outline.otmMacLineGap = outline.otmLineGap;
        outline.otmusMinimumPPEM = 1;
        outline.otmsStrikeoutSize =
            static_cast<UINT>(std::max<LONG>(1, rounded(raw.lineThickness())));
        outline.otmsStrikeoutPosition = rounded(raw.xHeight() / 2.0);
        outline.otmsUnderscoreSize = std::max<LONG>(1, rounded(raw.lineThickness()));
        outline.otmsUnderscorePosition = -rounded(raw.underlinePosition());
        const UINT count = std::min<UINT>(size, sizeof outline);
        std::memcpy(metrics, &outline, count);
        return count;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

PLATFORM_API DWORD GetGlyphOutlineA(HDC hdc, UINT character, UINT format, LPGLYPHMETRICS metrics,
                                    DWORD size, LPVOID buffer, const MAT2* transform) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return GDI_ERROR;
    dc->record("GetGlyphOutlineA(%u, %u, %u)", character, format, size);
    const UINT kind = format & ~UINT{GGO_GLYPH_INDEX};
    if (metrics == nullptr || transform == nullptr || !is_identity(*transform) ||
        (kind != GGO_METRICS && kind != GGO_NATIVE && kind != GGO_BEZIER)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return GDI_ERROR;
    }
    try {
        const QRawFont raw = raw_font_of(*dc);
        if (!raw.isValid()) {
            platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
            return GDI_ERROR;
        }
        quint32 glyph = character;
        if ((format & GGO_GLYPH_INDEX) == 0) {
            const char32_t code = character;
            const QList<quint32> glyphs = raw.glyphIndexesForString(QString::fromUcs4(&code, 1));
            glyph = glyphs.isEmpty() ? 0 : glyphs.front();
        }
        const QPainterPath path = raw.pathForGlyph(glyph);
        const QList<QPointF> advances = raw.advancesForGlyphIndexes(QList<quint32>{glyph});
        const QRectF box = path.boundingRect();
        GLYPHMETRICS measured{};
        measured.gmBlackBoxX = static_cast<UINT>(std::max(1.0, std::ceil(box.width())));
        measured.gmBlackBoxY = static_cast<UINT>(std::max(1.0, std::ceil(box.height())));
        measured.gmptGlyphOrigin = POINT{static_cast<LONG>(std::floor(box.left())),
                                         static_cast<LONG>(std::ceil(-box.top()))};
        const double advance = advances.isEmpty() ? 0.0 : advances.front().x();
        measured.gmCellIncX = static_cast<SHORT>(std::clamp(std::lround(advance), -32768L, 32767L));
        measured.gmCellIncY = 0;
        *metrics = measured;
        if (kind == GGO_METRICS)
            return 0;
        OutlineWriter writer;
        writer.write(path);
        const std::vector<uint8_t>& data = writer.bytes();
        const auto needed = static_cast<DWORD>(data.size());
        if (buffer == nullptr || size == 0)
            return needed;
        if (size < needed) {
            platform::make_win32_error(ERROR_INVALID_PARAMETER);
            return GDI_ERROR;
        }
        std::memcpy(buffer, data.data(), needed);
        return needed;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return GDI_ERROR;
    }
}

PLATFORM_API int EnumFontFamiliesExA(HDC hdc, LPLOGFONTA font, FONTENUMPROCA procedure, LPARAM data,
                                     DWORD flags) noexcept
{
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (dc == nullptr)
        return 0;
    dc->record("EnumFontFamiliesExA()");
    if (font == nullptr || procedure == nullptr || flags != 0) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    try {
        if (!platform::ensure_gui_application()) {
            platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        const size_t name_length = strnlen(font->lfFaceName, LF_FACESIZE);
        const QString asked =
            QString::fromUtf8(font->lfFaceName, static_cast<qsizetype>(name_length));
        // The faces and the names they are reported under.
        std::vector<std::pair<QString, QByteArray>> faces;
        if (name_length == 0) {
            for (const QString& family : QFontDatabase::families())
                faces.emplace_back(family, family.toUtf8());
        } else if (const QString face = installed_face(asked); !face.isEmpty()) {
            faces.emplace_back(face,
                               QByteArray(font->lfFaceName, static_cast<qsizetype>(name_length)));
        }
        int answer = 1;
        for (const auto& [face, reported] : faces) {
            std::vector<BYTE> sets;
            for (const CharacterSet& set : kCharacterSets) {
                const bool wanted =
                    font->lfCharSet == DEFAULT_CHARSET || font->lfCharSet == set.number;
                if (wanted && covers(face, set)) {
                    sets.push_back(set.number);
                    // Every face once for an empty name and any set.
                    if (name_length == 0 && font->lfCharSet == DEFAULT_CHARSET)
                        break;
                }
            }
            for (const BYTE set : sets) {
                LOGFONTA record{};
                record.lfHeight = 16;
                record.lfWeight = FW_NORMAL;
                record.lfCharSet = set;
                record.lfPitchAndFamily = pitch_and_family_of(face);
                std::memcpy(
                    record.lfFaceName, reported.constData(),
                    std::min<size_t>(static_cast<size_t>(reported.size()), LF_FACESIZE - 1));
                TEXTMETRICA metrics{};
                if (!text_metrics_for(record, metrics)) {
                    platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
                    return 0;
                }
                const DWORD type =
                    QFontDatabase::isScalable(face) ? TRUETYPE_FONTTYPE : RASTER_FONTTYPE;
                answer = procedure(&record, &metrics, type, data);
                if (answer == 0)
                    return 0;
            }
        }
        return answer;
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}
}
