// Where the ticks and labels of the drawing's two ruler bands go, apart from drawing
// them: the step row, the ticks with their labels, and which labels are left out
// because they would overlap the label before them.
//
// Pixels are those of the canvas the drawing is drawn into; a band's pixel axis is x
// for the bottom band and y (growing downwards) for the left band.
#ifndef VISTREL_UNITS_RULER_TICKS_H
#define VISTREL_UNITS_RULER_TICKS_H

#include "units/units_display_manager.h"

#include "framework/types.h"

#include <QtCore/QString>

#include <functional>
#include <vector>

namespace vistrel {

enum class RulerBand {
    Bottom, // ticks along x, drawing x growing with the pixel column
    Left    // ticks along y, drawing y growing towards pixel row 0
};

struct RulerTick {
    int pixel = 0;      // column (bottom band) or row (left band)
    bool major = false; // a long tick with a label
    QString label;      // empty for a minor tick
    bool highlight = false;
};

// A drawing coordinate along the band's axis, in the file's units, to its pixel on that
// axis.
using RulerMapping = std::function<double(double coordinate)>;

struct RulerBandLayout {
    RulerBand band = RulerBand::Bottom;
    double first =
        0; // drawing coordinate of the band's first pixel (column 0; row of the bottom edge)
    double range = 0; // drawing extent that the band covers
    int start = 0;    // first pixel a tick may take: ARect.Left (bottom), 0 (left)
    int end = 0; // ARect.Right (bottom band: ticks up to end + 1), ARect.Bottom (left: below end)
};

// The ticks of one band, in stepping order. With file units of mm or inches the ticks
// step in the display system's base unit (mm or inches) and are labelled by
// RulerUnitsStr; otherwise drawing units count as mm, steps are metric whatever the
// display system, and labels are whole numbers. The stepping ends past the band's end,
// and also when the mapping does not carry the ticks towards that end (a zero,
// negative or not finite scale) or a step does not advance.
std::vector<RulerTick> ComputeRulerTicks(const RulerBandLayout& layout, TqxUnitsType file_units,
                                         const TUnitsDisplayManager& manager,
                                         const RulerMapping& to_pixel);

// The size of a label's text (single line) in the font it is drawn in.
using LabelMeasure = std::function<fw::TSize(const QString& text, bool bold)>;

struct PlacedLabel {
    int tick = 0;     // index into the ticks
    fw::TRect anchor; // the rectangle the label is drawn in
};

// The labels of the major ticks that are drawn: a label whose box (its anchor widened
// by its measured text, plus 3 pixels along the band) meets the box of the last label
// drawn is left out; its tick stays. Bottom band labels are anchored at their column
// in the row from label_first to label_last; left band labels right-aligned in the
// column from label_first to label_last on their row.
std::vector<PlacedLabel> PlaceRulerLabels(RulerBand band, const std::vector<RulerTick>& ticks,
                                          int label_first, int label_last,
                                          const LabelMeasure& measure);

// The text height of reposition labels for the scale (pixels per drawing unit): the
// pixels of 25 drawing units, forced into 8..20 (8 for a scale that is no number).
double RepositionTextHeight(double y_scale);

}

#endif
