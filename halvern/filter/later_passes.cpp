// The steps of the geometry conversions, text joining, contour edits and INSERT
// explosion and flattening. Their passes keep every entity for now: the steps run as the
// driver orders them (with their reads, contouring and writes), and each pass function
// hands every entity on unchanged, until the conversions and edits themselves fill them.

#include "filter/filter_run.h"

#include "halvern/contours.h"
#include "osmark/errors.h"
#include "osmark/memory.h"

namespace halvern {

namespace {

// Pass functions that keep every entity.
int32_t FilterSplinePass(DXFFilterContext*) noexcept
{
    return 0;
}
int32_t FilterEllipsePass(DXFFilterContext*) noexcept
{
    return 0;
}
int32_t FilterPolylinePass(DXFFilterContext*) noexcept
{
    return 0;
}
int32_t FilterArcPass(DXFFilterContext*) noexcept
{
    return 0;
}
int32_t FilterLinePass(DXFFilterContext*) noexcept
{
    return 0;
}
int32_t FilterContourEditPass(DXFFilterContext*) noexcept
{
    return 0;
}
int32_t FilterExplodePass(DXFFilterContext*) noexcept
{
    return 0;
}

// The INSERT explosion step functions; for now they gather entities as the ordinary
// one does.
int32_t FilterStepInsideBlocks(FileHandle* stream, int32_t line, int32_t code, char* value,
                               void* user) noexcept
{
    return FilterStepGroup(stream, line, code, value, user);
}

int32_t FilterStepOutsideBlocks(FileHandle* stream, int32_t line, int32_t code, char* value,
                                void* user) noexcept
{
    return FilterStepGroup(stream, line, code, value, user);
}

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

// The POLYLINEs that line joining made, top-level items first.
bool build_joined_table(DXFFilterContext& context)
{
    FreeVec(context.joined);
    context.joined = nullptr;
    context.joined_count = 0;
    int32_t count = 0;
    const ItemBufferRec* buffers[] = {&context.drawing.dxf_ItemBuffer,
                                      &context.drawing.dxf_BlockItemBuffer};
    const auto joined = [](const ItemRec* item) {
        return item != nullptr && (item->it_Header.ih_Flags & DXFItemJoined) != 0 &&
               item->it_Header.ih_ItemType == DXFItemPolyline;
    };
    for (const ItemBufferRec* buffer : buffers) {
        for (int32_t i = 0; i < buffer->ib_N; ++i)
            count += joined(buffer->ib_Items[i]) ? 1 : 0;
    }
    if (count == 0)
        return true;
    context.joined =
        static_cast<ItemRec**>(AllocVec(static_cast<uint32_t>(count) * sizeof(ItemRec*)));
    if (context.joined == nullptr)
        return false;
    for (const ItemBufferRec* buffer : buffers) {
        for (int32_t i = 0; i < buffer->ib_N; ++i) {
            if (joined(buffer->ib_Items[i]))
                context.joined[context.joined_count++] = buffer->ib_Items[i];
        }
    }
    return true;
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
    return with_drawing(run, [&] { return run.write_drawing(); });
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
        if (!build_joined_table(c))
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
        return run.write_drawing();
    });
}

}
