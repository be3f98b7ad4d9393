// The steps of the geometry conversions, text joining, contour edits and INSERT
// explosion and flattening: when each runs, and the reads, contouring and writes
// around its pass.

#include "filter/filter_passes.h"
#include "filter/filter_run.h"

#include "halvern/contours.h"
#include "osmark/errors.h"
#include "osmark/memory.h"

namespace halvern {

namespace {

bool any_contour_option(const DXFFilterOptions& o) noexcept
{
    return o.open_contours || o.closed_contours || o.open_as_polyline || o.closed_as_polyline ||
           o.open_flatten_arcs || o.closed_flatten_arcs || o.open_fit_arcs || o.closed_fit_arcs ||
           o.open_simplify || o.closed_simplify || o.open_fillet || o.closed_fillet ||
           o.open_min_length || o.closed_min_length;
}

int32_t counter(const DXFFilterContext& context, FilterCounter which) noexcept
{
    return context.counters[static_cast<int32_t>(which)];
}

// Reads the current file, lets body work on the drawing, frees it. A file that cannot
// be read skips the step.
template <typename Body>
int32_t with_drawing(FilterRun& run, Body body)
{
    int32_t result = 0;
    if (run.read_current() == 0)
        result = body();
    run.free_drawing();
    return result;
}

}

int32_t FilterConversionSteps(FilterRun& run)
{
    DXFFilterContext& c = run.context();
    const DXFFilterOptions& o = c.options;
    struct Conversion {
        uint32_t flags;
        FilterCounter counter;
        DXFFilterPass pass;
    };
    const Conversion conversions[] = {
        {o.spline_flags, FilterCounter::Spline, FilterSplinePass},
        {o.ellipse_flags, FilterCounter::Ellipse, FilterEllipsePass},
        {o.polyline_flags, FilterCounter::Polyline, FilterPolylinePass},
        {o.arc_flags, FilterCounter::Arc, FilterArcPass},
        {o.line_flags, FilterCounter::Line, FilterLinePass}};
    // Each pass raises the counters of what it writes, so the later conditions are read
    // when their turn comes.
    for (const Conversion& conversion : conversions) {
        if (conversion.flags == 0 || counter(c, conversion.counter) <= 0)
            continue;
        if (const int32_t result = run.stream_pass(FilterStepGroup, conversion.pass); result != 0)
            return result;
    }
    return 0;
}

int32_t FilterJoinTextsStep(FilterRun& run)
{
    if (!run.context().options.join_texts)
        return 0;
    return with_drawing(run, [&] {
        FilterJoinTexts(run.context());
        return run.write_drawing();
    });
}

int32_t FilterContourEditStep(FilterRun& run)
{
    DXFFilterContext& c = run.context();
    const DXFFilterOptions& o = c.options;
    if (!any_contour_option(o))
        return 0;
    return with_drawing(run, [&] {
        run.note_cancel(ContourDXFDrawingEx(&c.drawing, o.contour_tolerance, 1, o.contour_option, 0,
                                            c.progress, c.progress_user));
        run.note_cancel(DXFLinesArcsToPolylines(&c.drawing, o.contour_tolerance, 1, 1, 1,
                                                c.progress, c.progress_user));
        if (!FilterBuildJoinedTable(c))
            return static_cast<int32_t>(IoErrNoMemory);
        return run.stream_pass(FilterStepGroup, FilterContourEditPass);
    });
}

int32_t FilterExplodeNestedInsertsStep(FilterRun& run)
{
    DXFFilterContext& c = run.context();
    if (!c.options.explode_nested_inserts)
        return 0;
    return with_drawing(run, [&] {
        if (c.drawing.dxf_BlockIdentifierBuffer.bib_N < 1)
            return 0;
        c.in_blocks = 0;
        c.after_section = false;
        return run.stream_pass(FilterStepInsideBlocks, FilterExplodePass);
    });
}

int32_t FilterExplodeInsertsStep(FilterRun& run)
{
    DXFFilterContext& c = run.context();
    if (!c.options.explode_inserts)
        return 0;
    return with_drawing(run, [&] {
        if (c.drawing.dxf_BlockIdentifierBuffer.bib_N < 1)
            return 0;
        c.in_blocks = 0;
        c.section_held = false;
        return run.stream_pass(FilterStepOutsideBlocks, FilterExplodePass);
    });
}

int32_t FilterFlattenInsertsStep(FilterRun& run)
{
    DXFFilterContext& c = run.context();
    if (!c.options.flatten_inserts)
        return 0;
    return with_drawing(run, [&] {
        if (c.drawing.dxf_BlockIdentifierBuffer.bib_N < 1)
            return 0;
        FilterFlattenInserts(c);
        return run.write_drawing();
    });
}

}
