// The state of one FilterDXF run, handed to every pass, and the entity pass framework
// that the passes share: the step function that gathers one entity's groups at a time,
// the group writer and look-ups, and the lookup of the drawing item of an entity.
#ifndef HALVERN_FILTER_FILTER_CONTEXT_H
#define HALVERN_FILTER_FILTER_CONTEXT_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "halvern/drawing.h"
#include "halvern/dxf_groups.h"
#include "halvern/filter.h"
#include "halvern/items.h"
#include "osmark/files.h"
#include "osmark/memory.h"
#include "osmark/paged_array.h"

namespace halvern {

struct DXFFilterContext;

// Decides about the collected entity: 0 writes its groups unchanged, non-zero drops
// them. A pass that replaces an entity writes the replacement to fc_Output itself and
// answers non-zero.
using DXFFilterPass = int32_t (*)(DXFFilterContext* context);

// The item counters, by the entities they count.
enum class FilterCounter : int32_t {
    Point = 0,    // POINT
    Line = 1,     // LINE, 3DLINE
    Arc = 2,      // ARC, CIRCLE
    Ellipse = 3,  // ELLIPSE
    Polyline = 4, // POLYLINE, LWPOLYLINE
    Spline = 5    // SPLINE
};
inline constexpr int32_t kFilterCounterCount = 6;

// Option values with their defaults.
struct DXFFilterOptions {
    uint32_t ellipse_flags = 0;
    uint32_t spline_flags = 0;
    double ellipse_tolerance = 0.1;
    double spline_tolerance = 0.1;
    uint32_t polyline_flags = 0;
    uint32_t arc_flags = 0;
    uint32_t line_flags = 0;
    bool explode_inserts = false;
    double polyline_chord_tolerance = 0.1;
    double arc_chord_tolerance = 0.1;
    int32_t* error_code = nullptr;
    int32_t* error_position = nullptr;
    bool open_contours = false;
    double contour_tolerance = 1e-6;
    bool open_as_polyline = false;
    bool keep_texts = false;
    bool closed_contours = false;
    bool closed_as_polyline = false;
    bool open_fit_arcs = false;
    bool closed_fit_arcs = false;
    double open_fit_tolerance = 1e-6;
    double closed_fit_tolerance = 1e-6;
    int32_t iges_units = 0;
    double scale = 1.0;
    bool remove_duplicates = false;
    bool open_simplify = false;
    bool closed_simplify = false;
    double open_simplify_tolerance = 1e-6;
    double closed_simplify_tolerance = 1e-6;
    bool open_fillet = false;
    bool closed_fillet = false;
    double open_fillet_radius = 1.0;
    double open_fillet_min_angle = 0.17453292519943298;
    double open_fillet_max_angle = 3.141592653589794;
    double closed_fillet_radius = 1.0;
    double closed_fillet_min_angle = 0.17453292519943298;
    double closed_fillet_max_angle = 3.141592653589794;
    int32_t contour_option = 0;
    double open_fillet_limit = 0.0;
    double closed_fillet_limit = 0.0;
    bool open_flatten_arcs = false;
    bool closed_flatten_arcs = false;
    double open_flatten_tolerance = 0.1;
    double closed_flatten_tolerance = 0.1;
    bool join_texts = false;
    const char* join_separator = nullptr;
    double join_spacing = 0.0;
    double join_offset = 0.0;
    double join_angle_tolerance = 0.00174532925199433;
    bool open_min_length = false;
    double open_min_length_value = 0.0;
    bool closed_min_length = false;
    double closed_min_length_value = 0.0;
    DXFContourHook open_contour_hook = nullptr;
    DXFContourHook closed_contour_hook = nullptr;
    int32_t dxf_version = 0;
    bool layers_on = false;
    bool explode_nested_inserts = false;
    bool flatten_inserts = false;
    int32_t write_header = 1;
    int32_t write_classes = 1;
    int32_t write_tables = 1;
    int32_t write_blocks = 1;
    int32_t write_entities = 1;
    int32_t write_objects = 1;
    double translate_x = 0.0;
    double translate_y = 0.0;
    double translate_z = 0.0;
    bool move_to_origin = false;
    bool snap = false;
    double snap_step = 0.0;
    // The rules in list order (NULL data items left out).
    std::vector<const DXFDeleteRule*> delete_rules;
    std::vector<const DXFModifyRule*> modify_rules;
    std::vector<const DXFRenameRule*> rename_rules;
};

// Whether each item has a later item of the same geometry in its range (top-level items:
// every later one; block items: those up to their block's ENDBLK), by buffer index.
struct FilterDuplicateMarks {
    bool built = false;
    std::vector<uint8_t> entities;
    std::vector<uint8_t> block_items;
};

// The texts of the groups being collected: copies bumped out of large blocks, all given
// back at once after each entity (the blocks stay for the next one), so that collecting
// costs no allocation per group.
class FilterTextPool {
public:
    // A copy of length bytes of text and a NUL; NULL when memory fails.
    char* copy(const char* text, size_t length) noexcept;
    // Gives back every copy.
    void empty() noexcept;

private:
    static constexpr size_t kBlockSize = 64 * 1024;
    std::vector<std::unique_ptr<char[]>> m_blocks; // kBlockSize bytes each
    std::vector<std::unique_ptr<char[]>> m_large;  // texts longer than a block
    size_t m_block = 0;                            // the block being filled
    size_t m_used = 0;                             // bytes of it handed out
};

struct DXFFilterContext {
    FileHandle* fc_Output = nullptr; // of the running pass; NULL between passes
    int32_t entity_line = 0;         // line of the collected entity's 0 group
    DXFFilterHook progress = nullptr;
    void* progress_user = nullptr;
    int32_t stop = 0; // the progress function's last non-zero answer
    int32_t collecting = 0;
    int32_t in_blocks = 0; // for the INSERT explosion step functions
    // The INSERT explosion step functions: a 0 "SECTION" whose name has not come yet
    // (held back by the outside-BLOCKS step), and a 0 "SECTION" just passed (the next
    // group names the section).
    bool section_held = false;
    bool after_section = false;
    char DXFTextBuffer[DXF_GROUP_VALUE_SIZE] = {};
    PagedArray* groups = nullptr; // DXFGroupRec, 100 a page
    FilterTextPool pool;          // the group texts; emptied after every entity
    VertexListRec vertices = {};
    // Beside the vertex list: the chords of one arc written as one POLYLINE, and the
    // straight run that the polyline pass gathers, so that neither disturbs the list
    // of the entity being converted.
    VertexListRec chords = {};
    VertexListRec straight_run = {};
    // Items built from an entity's groups (ELLIPSE, SPLINE), each given back as soon
    // as its entity is written; made on first use.
    Pool* item_pool = nullptr;
    // The collected entity's layer, line type, colour and thickness groups (NULL when
    // absent), found once for all the entities written in its place: entity_serial
    // changes whenever the collected groups are given back.
    uint64_t entity_serial = 0;
    uint64_t copied_serial = UINT64_MAX;
    const char* copied_values[4] = {};
    DXFFilterPass pass = nullptr;
    ItemRec* last_counted = nullptr; // of the counting walk
    const TagItem* tags = nullptr;
    DXFDrawingRec drawing = {};
    ItemRec* current_item = nullptr;
    // Item search cache: the last match's source line, buffer (1 entities, 0 block
    // items) and index.
    int32_t search_line = -1;
    int32_t search_in_entities = 1;
    int32_t search_index = 0;
    // Source lines that some item of the drawing carries, sorted; built on the first
    // lookup of a drawing so that an entity without an item costs no search.
    std::vector<int32_t> item_lines;
    bool item_lines_built = false;
    // The polylines that line joining made, for the contour-edit pass, and their
    // indexes in that table ordered by source line (ties in table order).
    int32_t joined_count = 0;
    ItemRec** joined = nullptr;
    std::vector<int32_t> joined_by_line;
    int32_t contour_open = 0;
    int32_t contour_closed = 0;
    int32_t counters[kFilterCounterCount] = {};
    DXFFilterOptions options;
    char* name_chars_from = nullptr; // unescaped, AllocStr
    char* name_chars_to = nullptr;
    char temp_names[2][512] = {};
    // The first failure of a pass function that must end the run (memory), else 0.
    int32_t failure = 0;
    FilterDuplicateMarks duplicates;
};

// Raises a counter.
inline void FilterCount(DXFFilterContext& context, FilterCounter counter)
{
    ++context.counters[static_cast<int32_t>(counter)];
}

// ---- Entity pass framework -------------------------------------------------------

// The ordinary step function (a DXFGroupCallback with the context as user data).
int32_t FilterStepGroup(FileHandle* stream, int32_t line, int32_t code, char* value,
                        void* user) noexcept;
// The 20 names whose 0 group opens a collected entity (compared over the name's
// length, case-sensitively).
bool FilterOpensEntity(const char* value) noexcept;
// Appends a group with a copy of its value (pooled); false when memory fails.
bool FilterAppendGroup(DXFFilterContext& context, int32_t code, const char* value) noexcept;
// A copy of text in the context's pool; NULL when memory fails.
char* FilterPoolString(DXFFilterContext& context, const char* text) noexcept;
// Hands the collected entity to the pass function, writes its groups when it answers
// 0, frees them and stops collecting. The run's failure, or 0.
int32_t FilterFlushEntity(DXFFilterContext& context) noexcept;
// " code" and "value", each ended by CR LF; 1.
int32_t FilterWriteGroup(int32_t code, const char* value, FileHandle* stream) noexcept;
// Writes the first collected group with the code, when there is one.
void FilterCopyGroup(DXFFilterContext& context, int32_t code) noexcept;
// x, y, z of the first groups 210, 220, 230; default 0, 0, 1.
void FilterReadExtrusion(DXFFilterContext& context, Point3DRec& vector) noexcept;
// Calls the progress function (a percentage of 0 is sent as 1) and keeps its answer;
// 1 while the run goes on, 0 once it is stopped.
int32_t FilterProgressStep(DXFFilterContext& context, int32_t kind, int32_t percentage) noexcept;
// Empties the group list and releases the texts.
void FilterFreeGroups(PagedArray* list, FilterTextPool& pool) noexcept;
// The item of the context's drawing that the entity at line came from, or NULL.
ItemRec* FilterFindItem(DXFFilterContext& context, int32_t line) noexcept;
// Forgets what the item search knows of the previous drawing.
void FilterResetItemSearch(DXFFilterContext& context) noexcept;
// The collected group at index, or NULL.
DXFGroupRec* FilterGroup(DXFFilterContext& context, uint32_t index) noexcept;

// ---- First pass, counting walk and modify pass ------------------------------------

// StepDXFDrawing callback that counts the top-level items by type.
int32_t FilterCountItem(ItemRec* insert, ItemRec* item, void* user) noexcept;
int32_t FilterMainPass(DXFFilterContext* context) noexcept;
int32_t FilterModifyPass(DXFFilterContext* context) noexcept;
// Block-name changes of the collected INSERT or BLOCK; false when memory fails.
bool FilterRenameBlock(DXFFilterContext& context) noexcept;
int32_t FilterDeleteTest(DXFFilterContext& context) noexcept;
int32_t FilterDuplicateTest(DXFFilterContext& context) noexcept;
// 1 for the item types the rules serve: 3 to 10, 21 and 28.
bool FilterItemTypeTest(int32_t type) noexcept;

// Marks, for every item of the drawing, whether a later item in its range has the same
// geometry (DXFSameItems). Candidates come from a grid of a representative point, so
// the work grows with the items, not with their pairs.
void FilterMarkDuplicates(const DXFDrawingRec& drawing, FilterDuplicateMarks& marks);

// Resolves the backslash escapes of the filter's name strings and string literals in
// place; answers the new length.
uint32_t FilterUnescape(char* text, uint32_t length) noexcept;

}

#endif
