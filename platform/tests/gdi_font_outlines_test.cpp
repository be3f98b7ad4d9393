// Outline metrics, glyph outlines and the enumeration of faces. No metric is pinned:
// the tests compare what the calls give with each other.

#include "gdi_test_support.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using gdi_test::MemorySurface;

constexpr MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

HFONT make_font(const char* face, LONG height)
{
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWeight = FW_NORMAL;
    std::strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectA(&font);
}

double value_of(const FIXED& f)
{
    return f.value + f.fract / 65536.0;
}

struct GlyphPolygon {
    POINTFX start;
    std::vector<WORD> kinds;
    std::vector<POINTFX> points;
};

// Walks GGO_NATIVE data, checking every size on the way.
std::vector<GlyphPolygon> polygons_of(const std::vector<uint8_t>& data)
{
    std::vector<GlyphPolygon> polygons;
    size_t offset = 0;
    while (offset < data.size()) {
        TTPOLYGONHEADER header;
        EXPECT_LE(offset + sizeof header, data.size());
        std::memcpy(&header, data.data() + offset, sizeof header);
        EXPECT_EQ(header.dwType, static_cast<DWORD>(TT_POLYGON_TYPE));
        EXPECT_LE(offset + header.cb, data.size());
        GlyphPolygon polygon{header.pfxStart, {}, {}};
        size_t at = offset + sizeof header;
        while (at < offset + header.cb) {
            WORD kind;
            WORD count;
            std::memcpy(&kind, data.data() + at, 2);
            std::memcpy(&count, data.data() + at + 2, 2);
            EXPECT_TRUE(kind == TT_PRIM_LINE || kind == TT_PRIM_CSPLINE) << kind;
            if (kind == TT_PRIM_CSPLINE) {
                EXPECT_EQ(count % 3, 0);
            }
            for (WORD i = 0; i < count; ++i) {
                POINTFX p;
                std::memcpy(&p, data.data() + at + 4 + i * sizeof p, sizeof p);
                polygon.kinds.push_back(kind);
                polygon.points.push_back(p);
            }
            at += 4 + count * sizeof(POINTFX);
        }
        EXPECT_EQ(at, offset + header.cb);
        polygons.push_back(polygon);
        if (header.cb == 0)
            break;
        offset += header.cb;
    }
    return polygons;
}

class OutlineTest : public testing::Test {
protected:
    OutlineTest() : m_surface(16, 16) {}
    ~OutlineTest() override
    {
        if (m_font != nullptr) {
            SelectObject(dc(), GetStockObject(SYSTEM_FONT));
            DeleteObject(m_font);
        }
    }
    HDC dc() { return m_surface.dc(); }
    void use_font(HFONT font)
    {
        ASSERT_NE(font, nullptr);
        SelectObject(dc(), font);
        if (m_font != nullptr)
            DeleteObject(m_font);
        m_font = font;
    }
    std::vector<uint8_t> outline(UINT character, GLYPHMETRICS& metrics)
    {
        const DWORD size =
            GetGlyphOutlineA(dc(), character, GGO_NATIVE, &metrics, 0, nullptr, &kIdentity);
        EXPECT_NE(size, GDI_ERROR);
        std::vector<uint8_t> data(size);
        if (size > 0) {
            EXPECT_EQ(GetGlyphOutlineA(dc(), character, GGO_NATIVE, &metrics, size, data.data(),
                                       &kIdentity),
                      size);
        }
        return data;
    }

private:
    MemorySurface m_surface;
    HFONT m_font = nullptr;
};

}

TEST_F(OutlineTest, AFontOfTheEmSquaresHeightMeasuresInDesignUnits)
{
    use_font(make_font("Liberation Sans", 20));
    OUTLINETEXTMETRICA small{};
    EXPECT_EQ(GetOutlineTextMetricsA(dc(), 0, nullptr), sizeof(OUTLINETEXTMETRICA));
    ASSERT_EQ(GetOutlineTextMetricsA(dc(), sizeof small, &small), sizeof small);
    ASSERT_GT(small.otmEMSquare, 100u);
    GLYPHMETRICS at_twenty{};
    outline('H', at_twenty);

    // At the em square's size the glyph's advance is its design advance: the advance at
    // size 20 scaled up, within the rounding of both.
    use_font(make_font("Liberation Sans", -static_cast<LONG>(small.otmEMSquare)));
    OUTLINETEXTMETRICA large{};
    ASSERT_NE(GetOutlineTextMetricsA(dc(), sizeof large, &large), 0u);
    EXPECT_EQ(large.otmEMSquare, small.otmEMSquare);
    EXPECT_GT(large.otmTextMetrics.tmHeight, static_cast<LONG>(small.otmEMSquare))
        << "the cell is taller than the em";
    GLYPHMETRICS design{};
    outline('H', design);
    const double scale =
        static_cast<double>(large.otmTextMetrics.tmHeight) / small.otmTextMetrics.tmHeight;
    EXPECT_NEAR(design.gmCellIncX, at_twenty.gmCellIncX * scale, 2 * scale);

    // A part of the record: only that many bytes.
    OUTLINETEXTMETRICA part{};
    part.otmEMSquare = 7;
    EXPECT_EQ(GetOutlineTextMetricsA(dc(), 4, &part), 4u);
    EXPECT_EQ(part.otmEMSquare, 7u);
}

TEST_F(OutlineTest, GlyphOutlinesAreClosedPolygonsOfLinesAndCubics)
{
    use_font(make_font("DejaVu Sans", 64));
    GLYPHMETRICS metrics{};
    const std::vector<uint8_t> data = outline('O', metrics);
    const std::vector<GlyphPolygon> polygons = polygons_of(data);
    ASSERT_EQ(polygons.size(), 2u) << "the outside and the counter of an O";
    bool curved = false;
    for (const GlyphPolygon& polygon : polygons) {
        ASSERT_FALSE(polygon.points.empty());
        const POINTFX& last = polygon.points.back();
        EXPECT_EQ(std::memcmp(&last, &polygon.start, sizeof last), 0) << "ends at its start";
        for (const WORD kind : polygon.kinds)
            curved = curved || kind == TT_PRIM_CSPLINE;
        // Every point lies in the black box, y upwards from the baseline.
        for (const POINTFX& p : polygon.points) {
            EXPECT_GE(value_of(p.x), metrics.gmptGlyphOrigin.x - 1.0);
            EXPECT_LE(value_of(p.x),
                      metrics.gmptGlyphOrigin.x + static_cast<double>(metrics.gmBlackBoxX) + 1.0);
            EXPECT_LE(value_of(p.y), metrics.gmptGlyphOrigin.y + 1.0);
            EXPECT_GE(value_of(p.y),
                      metrics.gmptGlyphOrigin.y - static_cast<double>(metrics.gmBlackBoxY) - 1.0);
        }
    }
    EXPECT_TRUE(curved);
    EXPECT_GT(metrics.gmptGlyphOrigin.y, 20) << "an O stands above the baseline";
    EXPECT_GT(metrics.gmCellIncX, 0);
}

TEST_F(OutlineTest, BlanksSizesAndRefusals)
{
    use_font(make_font("Liberation Serif", 30));
    GLYPHMETRICS metrics{};
    EXPECT_EQ(GetGlyphOutlineA(dc(), ' ', GGO_NATIVE, &metrics, 0, nullptr, &kIdentity), 0u);
    EXPECT_GT(metrics.gmCellIncX, 0) << "a blank still advances";
    const DWORD size = GetGlyphOutlineA(dc(), 'A', GGO_BEZIER, &metrics, 0, nullptr, &kIdentity);
    ASSERT_NE(size, GDI_ERROR);
    ASSERT_GT(size, sizeof(TTPOLYGONHEADER));
    std::vector<uint8_t> data(size);
    EXPECT_EQ(GetGlyphOutlineA(dc(), 'A', GGO_NATIVE, &metrics, size - 1, data.data(), &kIdentity),
              GDI_ERROR)
        << "a buffer too small";
    const MAT2 turned = {{0, 0}, {0, 1}, {0, -1}, {0, 0}};
    EXPECT_EQ(GetGlyphOutlineA(dc(), 'A', GGO_NATIVE, &metrics, 0, nullptr, &turned), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineA(dc(), 'A', GGO_NATIVE, &metrics, 0, nullptr, nullptr), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineA(dc(), 'A', 1 /* GGO_BITMAP */, &metrics, 0, nullptr, &kIdentity),
              GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineA(dc(), 'A', GGO_METRICS, &metrics, 0, nullptr, &kIdentity), 0u);
}

namespace {

struct Enumerated {
    std::string face;
    DWORD type;
    BYTE char_set;
};

struct Walk {
    std::vector<Enumerated> fonts;
    int stop_after = -1;
};

int collect(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD type, LPARAM data)
{
    auto& walk = *reinterpret_cast<Walk*>(data);
    EXPECT_GT(metrics->tmHeight, 0);
    walk.fonts.push_back({font->lfFaceName, type, font->lfCharSet});
    return walk.stop_after >= 0 && static_cast<int>(walk.fonts.size()) >= walk.stop_after ? 0 : 1;
}

Walk enumerate(HDC dc, const char* face, BYTE char_set, int stop_after = -1)
{
    LOGFONTA filter{};
    filter.lfCharSet = char_set;
    std::strncpy(filter.lfFaceName, face, LF_FACESIZE - 1);
    Walk walk;
    walk.stop_after = stop_after;
    EnumFontFamiliesExA(dc, &filter, collect, reinterpret_cast<LPARAM>(&walk), 0);
    return walk;
}

}

TEST(FontEnumeration, FacesByNameByCharacterSetAndAll)
{
    MemorySurface surface(4, 4);
    // A face that an installed one stands for is found under the name asked for.
    const Walk arial = enumerate(surface.dc(), "arial", ANSI_CHARSET);
    ASSERT_EQ(arial.fonts.size(), 1u);
    EXPECT_EQ(arial.fonts[0].face, "arial");
    EXPECT_EQ(arial.fonts[0].type, static_cast<DWORD>(TRUETYPE_FONTTYPE));
    EXPECT_TRUE(enumerate(surface.dc(), "No Such Face", DEFAULT_CHARSET).fonts.empty());
    EXPECT_EQ(enumerate(surface.dc(), "DejaVu Sans", DEFAULT_CHARSET).fonts.size() > 1, true)
        << "a named face once for every set it covers";

    // Every face once, each a TrueType face.
    const Walk all = enumerate(surface.dc(), "", DEFAULT_CHARSET);
    ASSERT_GE(all.fonts.size(), 3u);
    for (size_t i = 0; i < all.fonts.size(); ++i) {
        EXPECT_EQ(all.fonts[i].type, static_cast<DWORD>(TRUETYPE_FONTTYPE)) << all.fonts[i].face;
        for (size_t j = 0; j < i; ++j)
            EXPECT_NE(all.fonts[i].face, all.fonts[j].face);
    }
    const Walk cyrillic = enumerate(surface.dc(), "", RUSSIAN_CHARSET);
    for (const Enumerated& font : cyrillic.fonts)
        EXPECT_EQ(font.char_set, RUSSIAN_CHARSET);

    // The procedure's 0 stops the walk and is the answer.
    LOGFONTA filter{};
    filter.lfCharSet = DEFAULT_CHARSET;
    Walk two;
    two.stop_after = 2;
    EXPECT_EQ(
        EnumFontFamiliesExA(surface.dc(), &filter, collect, reinterpret_cast<LPARAM>(&two), 0), 0);
    EXPECT_EQ(two.fonts.size(), 2u);
    EXPECT_EQ(EnumFontFamiliesExA(surface.dc(), &filter, nullptr, 0, 0), 0);
}
