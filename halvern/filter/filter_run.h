// One FilterDXF run: its context, its two temporary files and the chain of passes
// between them. Each pass reads the current file and writes the scratch file; then the
// two exchange their roles.
#ifndef HALVERN_FILTER_FILTER_RUN_H
#define HALVERN_FILTER_FILTER_RUN_H

#include <cstdint>

#include "filter/filter_context.h"
#include "osmark/tags.h"

namespace halvern {

class FilterRun {
public:
    FilterRun() = default;
    ~FilterRun();
    FilterRun(const FilterRun&) = delete;
    FilterRun& operator=(const FilterRun&) = delete;

    // Runs the whole chain; FilterDXF's result.
    int32_t run(const char* input, const char* output, const TagItem* tags);

    DXFFilterContext& context() noexcept { return m_context; }

    // Reads the current file into the context's drawing (its previous contents freed);
    // ReadDXF's result.
    int32_t read_current();
    // An ordinary pass: the current file through step (with the context as user data)
    // into the scratch file, which then becomes the current file. 0, the stop value, or
    // a negative code (-12 when the scratch file cannot be opened, the write error).
    int32_t stream_pass(DXFGroupCallback step, DXFFilterPass pass);
    // Writes the context's drawing to the scratch file with WriteDXF, which then becomes
    // the current file; 0 or the writer's code.
    int32_t write_drawing();
    // Frees the context's drawing; it can be read into again.
    void free_drawing() noexcept;
    // Makes a contour finder's or line joiner's cancel the run's stop value.
    void note_cancel(int32_t result) noexcept;

private:
    int32_t set_up(const TagItem* tags);
    int32_t make_temp_name(int32_t index);
    int32_t convert_input(const char* input);
    int32_t first_pass();
    int32_t modify_pass();
    int32_t snap_step();
    int32_t scale_step();
    int32_t translate_step();
    int32_t final_write_step();
    int32_t pass_into(const char* source, int32_t destination, DXFGroupCallback step,
                      DXFFilterPass pass);
    void exchange() noexcept;
    const char* current() const noexcept;

    DXFFilterContext m_context;
    const char* m_input = nullptr; // the input as the passes read it
    int32_t m_current = -1;        // temporary name of the current file, -1 the input
    int32_t m_scratch = 0;
};

// The later steps, each deciding by its options whether it runs.
int32_t FilterConversionSteps(FilterRun& run);
int32_t FilterJoinTextsStep(FilterRun& run);
int32_t FilterContourEditStep(FilterRun& run);
int32_t FilterExplodeNestedInsertsStep(FilterRun& run);
int32_t FilterExplodeInsertsStep(FilterRun& run);
int32_t FilterFlattenInsertsStep(FilterRun& run);

// A failure's code: result when it is negative, else the thread's IoErr(), else -24,
// so that a failure is never reported as success.
int32_t FilterFailure(int32_t result) noexcept;

}

#endif
