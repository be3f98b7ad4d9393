// Gradient rows and the check-box and radio-button glyphs.
//
// The glyphs are drawn as the six layers of a classic 3-D box: the face, two outer and
// two inner edges, and the mark, each in its own colour and all in one cell whose size
// GlyphFontCellSize gives for a font size. The glyph font of the units (GlyphFont,
// common_units.h) carries the size and the colour of each layer to the canvas.
#ifndef VISTREL_LISTVIEW_COMMON_DRAWING_H
#define VISTREL_LISTVIEW_COMMON_DRAWING_H

#include "framework/types.h"

namespace fw {
class TCanvas;
}

namespace vistrel::listview {

// For every row y from Y1 to Y2 (inclusive) the pen moves to (X1, y), and, when
// ClipBottom > 0 and ClipTop <= y <= ClipBottom, a line in the row's colour is drawn
// to (X2, y). Each of red, green and blue runs from FromColor at Y1 to ToColor at Y2
// (rounded, halves to even); a single row (Y1 = Y2) takes FromColor. Afterwards the
// brush colour is the pen colour the canvas had on entry; the pen keeps the last
// row's colour.
void FillGradientRows(int X1, int Y1, int X2, int Y2, fw::TColor FromColor, fw::TColor ToColor,
                      int ClipTop, int ClipBottom, fw::TCanvas* Canvas);

// The check box in the cell at Pos: face (FaceColorAlt when UseFaceAlt, else
// FaceColor), outer top-left edge Edge1, outer bottom-right edge Edge2, inner top-left
// edge Edge3, inner bottom-right edge Edge4, and, when DrawMark, the check mark in
// black when Enabled, else in the button-shadow colour. The canvas's brush is clear
// afterwards.
void DrawCheckBoxGlyphs(fw::TCanvas* Canvas, fw::TPoint Pos, int FontSize, fw::TColor FaceColor,
                        fw::TColor FaceColorAlt, fw::TColor Edge1, fw::TColor Edge2,
                        fw::TColor Edge3, fw::TColor Edge4, bool DrawMark, bool Enabled,
                        bool UseFaceAlt);
// The round button alike: a round face, the four arcs of its edges and a dot for the
// mark; the corners of the cell stay as they were.
void DrawRadioButtonGlyphs(fw::TCanvas* Canvas, fw::TPoint Pos, int FontSize, fw::TColor FaceColor,
                           fw::TColor FaceColorAlt, fw::TColor Edge1, fw::TColor Edge2,
                           fw::TColor Edge3, fw::TColor Edge4, bool DrawMark, bool Enabled,
                           bool UseFaceAlt);

// The glyph cell at FontSize points: (0, 0, width, height). The cell is square, the
// font's pixel height at 96 pixels per inch (8 points: 11 pixels), at least 6 pixels.
fw::TRect GlyphFontCellSize(int FontSize);

}

#endif
