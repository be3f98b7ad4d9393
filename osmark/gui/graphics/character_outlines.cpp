// Vector characters: a glyph's outline from the platform, turned into lines and cubic
// Bezier curves in cell heights, and drawn scaled and turned into a port.

#include "osmark/fonts.h"

#include "fonts_internal.h"
#include "graphics_internal.h"
#include "osmark/memory.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kHeaderSize = 12;
constexpr uint32_t kContourHeadSize = 16;

// Writes fields into the caller's buffer as long as there is room: a field that meets
// the end is cut, nothing goes beyond it; the full size is counted all the same.
class BudgetWriter {
public:
    BudgetWriter(uint8_t* buffer, uint32_t size)
        : m_buffer(buffer), m_size(buffer != nullptr ? size : 0)
    {
    }

    uint32_t offset() const { return m_offset; }
    void put(const void* data, uint32_t length)
    {
        if (m_offset < m_size)
            std::memcpy(m_buffer + m_offset, data, std::min(length, m_size - m_offset));
        m_offset += length;
    }
    void put_u16(uint16_t value) { put(&value, sizeof value); }
    void put_u32(uint32_t value) { put(&value, sizeof value); }
    void put_f32(float value) { put(&value, sizeof value); }
    // A field written earlier, patched only when it lies wholly in the written part.
    template <typename T>
    void patch(uint32_t at, T value)
    {
        if (at + sizeof(T) <= m_size)
            std::memcpy(m_buffer + at, &value, sizeof(T));
    }
    // Bytes written from `from` up to here.
    uint32_t written_since(uint32_t from) const
    {
        const uint32_t end = std::min(m_offset, m_size);
        return end > from ? end - from : 0;
    }
    bool complete() const { return m_offset <= m_size; }

private:
    uint8_t* m_buffer;
    uint32_t m_size;
    uint32_t m_offset = 0;
};

struct Point {
    float x;
    float y;
};

// Converts the platform's outline (polygons of line, quadratic and cubic records in
// 16.16 fixed point) into the library's layout.
class OutlineConverter {
public:
    OutlineConverter(BudgetWriter& out, float scale, float shift)
        : m_out(out), m_scale(scale), m_shift(shift)
    {
    }

    void convert(const uint8_t* data, uint32_t size, uint32_t& contours)
    {
        uint32_t offset = 0;
        while (offset + sizeof(TTPOLYGONHEADER) <= size) {
            TTPOLYGONHEADER header;
            std::memcpy(&header, data + offset, sizeof header);
            if (header.dwType != TT_POLYGON_TYPE || header.cb < sizeof header ||
                header.cb > size - offset)
                break;
            ++contours;
            m_out.patch<uint32_t>(8, contours);
            write_contour(data + offset, header);
            offset += header.cb;
        }
    }

private:
    Point point_of(const POINTFX& p) const
    {
        auto value = [](const FIXED& f) { return static_cast<float>(f.value + f.fract / 65535.0); };
        return Point{value(p.x) * m_scale, value(p.y) * m_scale + m_shift};
    }

    void begin_record(uint16_t kind)
    {
        m_record = m_out.offset();
        m_record_kind = kind;
        m_record_count = 0;
        m_out.put_u16(kind);
        m_out.put_u16(0);
    }
    void add(const Point& p)
    {
        m_out.put_f32(p.x);
        m_out.put_f32(p.y);
        ++m_record_count;
        m_out.patch<uint16_t>(m_record + 2, m_record_count);
        m_last = p;
    }

    void write_contour(const uint8_t* polygon, const TTPOLYGONHEADER& header)
    {
        const uint32_t contour = m_out.offset();
        const Point start = point_of(header.pfxStart);
        m_out.put_u32(0);
        m_out.put_u32(0);
        m_out.put_f32(start.x);
        m_out.put_f32(start.y);
        m_last = start;
        m_record_kind = 0;
        uint32_t offset = sizeof header;
        while (offset + 4 <= header.cb) {
            uint16_t kind;
            uint16_t count;
            std::memcpy(&kind, polygon + offset, sizeof kind);
            std::memcpy(&count, polygon + offset + 2, sizeof count);
            const uint32_t points = offset + 4;
            if (count == 0 || count > (header.cb - points) / sizeof(POINTFX))
                break;
            std::vector<Point> given(count);
            for (uint16_t i = 0; i < count; ++i) {
                POINTFX p;
                std::memcpy(&p, polygon + points + i * sizeof(POINTFX), sizeof p);
                given[i] = point_of(p);
            }
            if (kind == TT_PRIM_LINE) {
                begin_record(1);
                for (const Point& p : given)
                    add(p);
            } else if (kind == TT_PRIM_CSPLINE) {
                begin_record(2);
                for (const Point& p : given)
                    add(p);
            } else if (kind == TT_PRIM_QSPLINE) {
                write_quadratics(given);
            }
            offset = points + count * static_cast<uint32_t>(sizeof(POINTFX));
        }
        // Every contour ends at its start.
        if (std::fabs(m_last.x - start.x) >= 1e-6f || std::fabs(m_last.y - start.y) >= 1e-6f) {
            if (m_record_kind != 1)
                begin_record(1);
            add(start);
        }
        m_out.patch<uint32_t>(contour, m_out.written_since(contour));
    }

    // Each quadratic segment from the previous point P, control q and end e becomes the
    // cubic P + 2/3 (q - P), q + 1/3 (e - q), e.
    void write_quadratics(const std::vector<Point>& q)
    {
        begin_record(2);
        Point previous = m_last;
        size_t i = 0;
        while (i + 1 < q.size()) {
            const Point control = q[i];
            Point end;
            if (i + 2 == q.size()) {
                end = q[i + 1];
                i += 2;
            } else {
                end = Point{(q[i].x + q[i + 1].x) / 2, (q[i].y + q[i + 1].y) / 2};
                i += 1;
            }
            add(Point{previous.x + 2.0f / 3.0f * (control.x - previous.x),
                      previous.y + 2.0f / 3.0f * (control.y - previous.y)});
            add(Point{control.x + 1.0f / 3.0f * (end.x - control.x),
                      control.y + 1.0f / 3.0f * (end.y - control.y)});
            add(end);
            previous = end;
        }
    }

    BudgetWriter& m_out;
    float m_scale;
    float m_shift;
    uint32_t m_record = 0;
    uint16_t m_record_kind = 0;
    uint16_t m_record_count = 0;
    Point m_last{0, 0};
};

// Halves away from zero.
int64_t rounded(double value)
{
    return static_cast<int64_t>(std::llround(value));
}

double snapped(double value)
{
    for (const double exact : {0.0, 1.0, -1.0}) {
        if (std::fabs(value - exact) < 1e-6)
            return exact;
    }
    return value;
}

struct CellMapping {
    int32_t pen_x;
    int32_t pen_y;
    int32_t height;
    int32_t width;
    double c;
    double s;

    // The cell turns about its top-left corner, the pen position.
    void map(float x, float y, int32_t& out_x, int32_t& out_y) const
    {
        const int64_t cx = rounded(static_cast<double>(x) * width);
        const int64_t cy = rounded(static_cast<double>(y) * height) - height;
        out_x = static_cast<int32_t>(rounded(cx * c - cy * s) + pen_x);
        out_y = static_cast<int32_t>(pen_y + height - rounded(cx * s + cy * c + height));
    }
};

template <typename T>
T read(const uint8_t* at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

}

namespace osmark::graphics {

uint32_t write_character_outline(const NativeGlyph& glyph, float scale, float shift, void* buffer,
                                 uint32_t size)
{
    BudgetWriter out(static_cast<uint8_t*>(buffer), size);
    out.put_f32(static_cast<float>(glyph.advance_x) * scale);
    out.put_f32(static_cast<float>(glyph.advance_y) * scale);
    out.put_u32(0);
    uint32_t contours = 0;
    if (glyph.data != nullptr) {
        OutlineConverter converter(out, scale, shift);
        converter.convert(glyph.data, glyph.size, contours);
    }
    return out.offset();
}

}

extern "C" {

OSMARK_API uint32_t GetCharacterInformation(const TextAttr* attr, uint32_t character, uint32_t size,
                                            void* buffer) noexcept
{
    if (buffer == nullptr)
        size = 0;
    TextAttr request{};
    if (attr != nullptr) {
        request = *attr;
    } else {
        const TextFont* system = GetSystemFont();
        if (system == nullptr)
            return 0;
        request.ta_Name = system->tf_Node.ln_Name;
        request.ta_YSize = static_cast<int16_t>(system->tf_YSize);
        request.ta_Style = system->tf_Style;
        request.ta_Flags = system->tf_Flags;
        request.ta_Family = system->tf_Family;
    }
    request.ta_Flags &= ~TAF_SYSTEMFONT;
    TextFont* font = OpenFont(&request);
    if (font == nullptr)
        return 0;
    RastPort* rp = __GetRastPort();
    if (rp == nullptr) {
        CloseFont(font);
        return 0;
    }
    TextFont* previous = rp->rp_Font;
    SetFont(rp, font);
    // Outline fonts give their glyphs in design units at the size of their em square.
    OUTLINETEXTMETRICA outline{};
    if (GetOutlineTextMetricsA(rp->rp_OSHandle, sizeof outline, &outline) != 0) {
        SetFont(rp, previous);
        CloseFont(font);
        request.ta_YSize = static_cast<int16_t>(-static_cast<int32_t>(outline.otmEMSquare));
        font = OpenFont(&request);
        if (font == nullptr)
            return 0;
        SetFont(rp, font);
    }
    auto give_back = [&] {
        SetFont(rp, previous);
        CloseFont(font);
    };
    static const MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    GLYPHMETRICS metrics{};
    const DWORD native_size =
        GetGlyphOutlineA(rp->rp_OSHandle, character, GGO_NATIVE, &metrics, 0, nullptr, &kIdentity);
    if (native_size == GDI_ERROR) {
        give_back();
        return 0;
    }
    uint8_t* native = nullptr;
    if (native_size > 0) {
        native = static_cast<uint8_t*>(AllocVec(native_size));
        if (native == nullptr || GetGlyphOutlineA(rp->rp_OSHandle, character, GGO_NATIVE, &metrics,
                                                  native_size, native, &kIdentity) == GDI_ERROR) {
            FreeVec(native);
            give_back();
            return 0;
        }
    }
    const float scale = font->tf_YSize > 0 ? 1.0f / static_cast<float>(font->tf_YSize) : 0.0f;
    const float shift = scale * static_cast<float>(font->tf_YSize - font->tf_Ascent);
    const osmark::graphics::NativeGlyph glyph{native, native != nullptr ? native_size : 0,
                                              metrics.gmCellIncX, metrics.gmCellIncY};
    const uint32_t written =
        osmark::graphics::write_character_outline(glyph, scale, shift, buffer, size);
    FreeVec(native);
    give_back();
    return written;
}

OSMARK_API void DrawCharacter(RastPort* rp, const void* outline, int32_t height, int32_t width,
                              int32_t angle) noexcept
{
    if (rp == nullptr || outline == nullptr || rp->rp_Lock == 1 || (height == 0 && width == 0))
        return;
    int32_t pen[2] = {0, 0};
    GetPenPos(rp, pen);
    const double radians = angle * 3.14159265358979323846 / 180.0 / 100.0;
    CellMapping cell{pen[0],
                     pen[1],
                     height,
                     width == 0 ? height : width,
                     snapped(std::cos(radians)),
                     snapped(std::sin(radians))};
    const auto* data = static_cast<const uint8_t*>(outline);
    const float advance_x = read<float>(data);
    const uint32_t contours = read<uint32_t>(data + 8);
    uint32_t offset = kHeaderSize;
    std::vector<int32_t> points;
    for (uint32_t c = 0; c < contours; ++c) {
        const uint8_t* contour = data + offset;
        const uint32_t contour_size = read<uint32_t>(contour);
        if (contour_size < kContourHeadSize)
            break;
        int32_t x = 0;
        int32_t y = 0;
        cell.map(read<float>(contour + 8), read<float>(contour + 12), x, y);
        Move(rp, x, y);
        int32_t current_x = x;
        int32_t current_y = y;
        uint32_t at = kContourHeadSize;
        while (at + 4 <= contour_size) {
            const uint16_t kind = read<uint16_t>(contour + at);
            const uint16_t count = read<uint16_t>(contour + at + 2);
            const uint8_t* p = contour + at + 4;
            at += 4 + count * 8u;
            if (at > contour_size)
                break;
            std::vector<int32_t> mapped(2u * count);
            for (uint16_t i = 0; i < count; ++i)
                cell.map(read<float>(p + 8 * i), read<float>(p + 8 * i + 4), mapped[2u * i],
                         mapped[2u * i + 1]);
            if (kind == CO_LINES) {
                for (uint16_t i = 0; i < count; ++i)
                    Draw(rp, mapped[2u * i], mapped[2u * i + 1]);
                if (count > 0) {
                    current_x = mapped[2u * (count - 1)];
                    current_y = mapped[2u * (count - 1) + 1];
                }
                continue;
            }
            if (kind != CO_CUBICS || count <= 2)
                continue;
            for (uint16_t g = 0; g + 2 < count; g += 3) {
                const int64_t x0 = current_x;
                const int64_t y0 = current_y;
                const int64_t x1 = mapped[2u * g], y1 = mapped[2u * g + 1];
                const int64_t x2 = mapped[2u * g + 2], y2 = mapped[2u * g + 3];
                const int64_t x3 = mapped[2u * g + 4], y3 = mapped[2u * g + 5];
                const double length = std::hypot(double(x1 - x0), double(y1 - y0)) +
                                      std::hypot(double(x2 - x1), double(y2 - y1)) +
                                      std::hypot(double(x3 - x2), double(y3 - y2));
                const int64_t steps = std::clamp<int64_t>(static_cast<int64_t>(length) / 4, 1, 20);
                const int64_t step = 512 / steps;
                points.clear();
                for (int64_t t = 0;; t += step) {
                    t = std::min<int64_t>(t, 512);
                    const int64_t a = t * t * t;
                    const int64_t b = (3 * t * t) >> 9;
                    const int64_t w3 = a >> 18;
                    const int64_t w2 = b - ((3 * a) >> 18);
                    const int64_t w1 = 3 * t - 2 * b + ((3 * a) >> 18);
                    const int64_t w0 = b - 3 * t - w3 + 512;
                    points.push_back(
                        static_cast<int32_t>((w3 * x3 + w2 * x2 + w1 * x1 + w0 * x0) >> 9));
                    points.push_back(
                        static_cast<int32_t>((w3 * y3 + w2 * y2 + w1 * y1 + w0 * y0) >> 9));
                    if (t == 512)
                        break;
                }
                Move(rp, static_cast<int32_t>(x0), static_cast<int32_t>(y0));
                DrawPoly(rp, static_cast<int32_t>(points.size() / 2), points.data());
                current_x = static_cast<int32_t>(x3);
                current_y = static_cast<int32_t>(y3);
            }
            Move(rp, current_x, current_y);
        }
        offset += contour_size;
    }
    const int64_t advance = rounded(static_cast<double>(advance_x) * cell.width);
    Move(rp, static_cast<int32_t>(rounded(advance * cell.c) + pen[0]),
         static_cast<int32_t>(pen[1] + height - rounded(advance * cell.s + height)));
}
}
