// Drawing and measuring of UTF-16 text on a device context, with wrapping into lines
// and an end ellipsis, and the text comparisons of the control.
//
// Every routine measures with the DC's selected font (GetTextExtentPoint32W,
// GetTextMetricsA) and draws with ExtTextOutW in the DC's text colour, without a
// background.
#ifndef VISTREL_LISTVIEW_COMMON_TEXT_ROUTINES_H
#define VISTREL_LISTVIEW_COMMON_TEXT_ROUTINES_H

#include "listview/common/common_types.h"

#include "framework/types.h"
#include "platform/gdi.h"

#include <QtCore/QString>

#include <vector>

namespace fw {
class TCanvas;
class TFont;
}

namespace vistrel::listview {

// Draws Text in Rect as Flags say (dtf... in common_types.h), or with dtfCalcRect
// writes the rectangle the text needs back into Rect and draws nothing.
//
// Single line (dtfSingleLine): the line is one font height tall at Rect's top, moved
// down by dtfVCenter or dtfBottom; dtfEndEllipsis shortens it to Rect's width first;
// dtfCenter and dtfRight place it across. With dtfCalcRect, Rect becomes the text's
// own rectangle; where the text is wider than Rect, dtfCalcRectKeepWidth keeps Rect's
// Left and Right, and then dtfCalcRectAlign sets Right = Left + text width.
//
// Several lines: the text wraps at Rect's width into at most MaxLines lines (-1: no
// limit), each laid out as a single line one font height below the other; with
// dtfCalcRect Rect becomes the union of the lines' rectangles, or, for no lines, zero
// wide and one font height tall with dtfCalcRectAlign, else zero tall and one average
// character wide.
void DrawTextWithFlags(HDC DC, const QString& Text, fw::TRect& Rect, DrawTextFlags Flags,
                       int MaxLines);

// Breaks Text into lines of at most Width pixels and answers their number. Lines break
// after the last blank that fits, or inside a word that has none; carriage returns and
// line feeds end a line; blanks and line ends after a line are skipped. Every line
// takes at least one character, so a character wider than Width stands on a line of
// its own. The line MaxLines (-1: no limit) takes the whole rest of the text. Width 0
// gives no lines; a Width below the font's widest character gives the whole text as
// one line (none for an empty text).
int WrapTextToLines(HDC DC, const QString& Text, int Width, std::vector<QString>& Lines,
                    int MaxLines);

// The text, or its longest beginning that fits Width with "..." after it, or "..."
// alone when not even one character does. An empty text stays empty.
QString ShortenWithEllipsis(HDC DC, const QString& Text, int Width);

// The extent of the whole text on the DC.
void MeasureTextOnDC(const QString& Text, HDC DC, fw::TSize& Size);
// The extent in the font, measured on the screen; 0 x 0 for an empty text.
fw::TSize TextExtentInFont(const QString& Text, fw::TFont* Font);
// The extent on the canvas (locked meanwhile); 0 x 0 for an empty text or no canvas.
fw::TSize TextExtentOnCanvas(const QString& Text, fw::TCanvas* Canvas);

// Case-insensitive comparisons: negative, 0 (equal) or positive.
int CompareTextNoCase(const QString& A, const QString& B);
// Compares B with the beginning of A that is as long as B (A whole when shorter).
int CompareTextPrefix(const QString& A, const QString& B);
QString LowerCaseWide(const QString& Text);

}

#endif
