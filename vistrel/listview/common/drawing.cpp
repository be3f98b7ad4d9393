#include "listview/common/drawing.h"

#include "listview/common/common_units.h"

#include "framework/graphics.h"
#include "framework/sysutils.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace vistrel::listview {

// ---- Gradient rows ---------------------------------------------------------------------------

namespace {

int channel(fw::TColor colour, int shift)
{
    return static_cast<int>((static_cast<uint32_t>(colour) >> shift) & 0xFF);
}

}

void FillGradientRows(int X1, int Y1, int X2, int Y2, fw::TColor FromColor, fw::TColor ToColor,
                      int ClipTop, int ClipBottom, fw::TCanvas* Canvas)
{
    const fw::TColor entry_pen = Canvas->Pen()->Color();
    const fw::TColor from = fw::ColorToRGB(FromColor);
    const fw::TColor to = fw::ColorToRGB(ToColor);
    for (int y = Y1; y <= Y2; ++y) {
        Canvas->MoveTo(X1, y);
        if (ClipBottom > 0 && ClipTop <= y && y <= ClipBottom) {
            int rgb[3] = {};
            for (int i = 0; i < 3; ++i) {
                const int a = channel(from, 8 * i);
                const int b = channel(to, 8 * i);
                // A single row has nothing to run over: it takes the start colour.
                rgb[i] = Y2 == Y1
                             ? a
                             : static_cast<int>(fw::RoundHalfEven(
                                   static_cast<double>(b - a) / (Y2 - Y1) * std::abs(y - Y1) + a)) &
                                   0xFF;
            }
            Canvas->Pen()->SetColor(rgb[0] | (rgb[1] << 8) | (rgb[2] << 16));
            Canvas->LineTo(X2, y);
        }
    }
    Canvas->Brush()->SetColor(entry_pen);
}

// ---- Glyphs ---------------------------------------------------------------------------------

fw::TRect GlyphFontCellSize(int FontSize)
{
    // The font's pixel height at 96 pixels per inch, rounded.
    const int side = std::max(6, (FontSize * 96 + 36) / 72);
    return fw::Rect(0, 0, side, side);
}

namespace {

// Whether pixel (x, y) of an n by n cell belongs to a layer.
using Layer = std::function<bool(int x, int y, int n)>;

// The classic check mark on a 7 by 7 grid: the rows each column covers.
constexpr int kMarkTop[7] = {2, 3, 4, 3, 2, 1, 0};

bool check_mark(int x, int y, int n)
{
    const int scale = std::max(1, (n - 6) / 7);
    const int origin = (n - 7 * scale) / 2;
    const int gx = x - origin;
    const int gy = y - origin;
    if (gx < 0 || gy < 0 || gx >= 7 * scale || gy >= 7 * scale)
        return false;
    const int top = kMarkTop[gx / scale] * scale;
    return gy >= top && gy < top + 3 * scale;
}

// The distance of the pixel's centre from the cell's centre, and whether it lies on
// the upper-left half.
double distance(int x, int y, int n)
{
    const double c = n / 2.0;
    return std::hypot(x + 0.5 - c, y + 0.5 - c);
}

bool upper_left(int x, int y, int n)
{
    return x + y < n - 1;
}

void paint_layer(fw::TCanvas* canvas, fw::TPoint pos, int n, fw::TColor colour, const Layer& layer)
{
    canvas->Font()->SetColor(colour);
    const HDC dc = canvas->Handle();
    const COLORREF rgb = static_cast<COLORREF>(fw::ColorToRGB(colour));
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            if (layer(x, y, n))
                SetPixelV(dc, pos.X + x, pos.Y + y, rgb);
        }
    }
}

void take_glyph_font(fw::TCanvas* canvas, int font_size)
{
    if (GlyphFont == nullptr)
        return;
    GlyphFont->SetSize(font_size);
    canvas->Font()->Assign(GlyphFont);
}

}

void DrawCheckBoxGlyphs(fw::TCanvas* Canvas, fw::TPoint Pos, int FontSize, fw::TColor FaceColor,
                        fw::TColor FaceColorAlt, fw::TColor Edge1, fw::TColor Edge2,
                        fw::TColor Edge3, fw::TColor Edge4, bool DrawMark, bool Enabled,
                        bool UseFaceAlt)
{
    take_glyph_font(Canvas, FontSize);
    const int n = GlyphFontCellSize(FontSize).Right;
    Canvas->Brush()->SetStyle(fw::bsSolid);
    paint_layer(Canvas, Pos, n, UseFaceAlt ? FaceColorAlt : FaceColor,
                [](int, int, int) { return true; });
    Canvas->Brush()->SetStyle(fw::bsClear);
    paint_layer(Canvas, Pos, n, Edge1,
                [](int x, int y, int m) { return (y == 0 && x < m - 1) || (x == 0 && y < m - 1); });
    paint_layer(Canvas, Pos, n, Edge2,
                [](int x, int y, int m) { return y == m - 1 || x == m - 1; });
    paint_layer(Canvas, Pos, n, Edge3, [](int x, int y, int m) {
        return (y == 1 && x >= 1 && x < m - 2) || (x == 1 && y >= 1 && y < m - 2);
    });
    paint_layer(Canvas, Pos, n, Edge4, [](int x, int y, int m) {
        return (y == m - 2 && x >= 1 && x < m - 1) || (x == m - 2 && y >= 1 && y < m - 1);
    });
    if (DrawMark)
        paint_layer(Canvas, Pos, n, Enabled ? fw::clBlack : fw::clBtnShadow, check_mark);
}

void DrawRadioButtonGlyphs(fw::TCanvas* Canvas, fw::TPoint Pos, int FontSize, fw::TColor FaceColor,
                           fw::TColor FaceColorAlt, fw::TColor Edge1, fw::TColor Edge2,
                           fw::TColor Edge3, fw::TColor Edge4, bool DrawMark, bool Enabled,
                           bool UseFaceAlt)
{
    take_glyph_font(Canvas, FontSize);
    const int n = GlyphFontCellSize(FontSize).Right;
    const double r = n / 2.0;
    Canvas->Brush()->SetStyle(fw::bsClear);
    paint_layer(Canvas, Pos, n, UseFaceAlt ? FaceColorAlt : FaceColor,
                [r](int x, int y, int m) { return distance(x, y, m) < r - 1; });
    const auto ring = [r](double outer, bool upper) {
        return [r, outer, upper](int x, int y, int m) {
            const double d = distance(x, y, m);
            return d < r - outer && d >= r - outer - 1 && upper_left(x, y, m) == upper;
        };
    };
    paint_layer(Canvas, Pos, n, Edge1, ring(0, true));
    paint_layer(Canvas, Pos, n, Edge2, ring(0, false));
    paint_layer(Canvas, Pos, n, Edge3, ring(1, true));
    paint_layer(Canvas, Pos, n, Edge4, ring(1, false));
    if (DrawMark) {
        const double dot = std::max(1.0, n / 6.0);
        paint_layer(Canvas, Pos, n, Enabled ? fw::clBlack : fw::clBtnShadow,
                    [dot](int x, int y, int m) { return distance(x, y, m) < dot; });
    }
}

}
