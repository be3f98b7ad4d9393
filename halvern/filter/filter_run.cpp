// FilterDXF: the driver that decides which passes run, in which order, between two
// temporary files.

#include "filter/filter_run.h"

#include <cmath>
#include <cstring>
#include <new>

#include "filter/filter_options.h"
#include "halvern/contours.h"
#include "halvern/dxf_reader.h"
#include "halvern/dxf_writer.h"
#include "halvern/edits.h"
#include "halvern/extents.h"
#include "halvern/iges.h"
#include "halvern/transform.h"
#include "halvern/walkers.h"
#include "dxf/dxf_group_reader.h"
#include "model/make_error.h"
#include "osmark/assigns.h"
#include "osmark/directories.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/memory.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/kernel.h"

namespace halvern {

namespace {

constexpr double kTolerance = 1e-6;
// Attempts at a temporary name before giving up: each fails only when another process
// made the same name between the look-up and the creation.
constexpr int32_t kTempNameAttempts = 64;

// Creates the file exclusively: never one that exists, nor through a symbolic link. The
// name becomes the expanded path, which removing the file at the end then needs no
// memory for. 1 made, 0 it exists, -1 another failure (the code left for IoErr).
int32_t create_exclusively(char* name, size_t size)
{
    char* expanded = AllocExpandedPath(name);
    if (expanded == nullptr)
        return -1;
    const size_t length = std::strlen(expanded);
    if (length >= size) {
        FreeExpandedPath(expanded);
        SetIoErr(IoErrLineTooLong);
        return -1;
    }
    std::memcpy(name, expanded, length + 1);
    FreeExpandedPath(expanded);
    const HANDLE handle =
        CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return 1;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        return 0;
    SetIoErrFromWin32(error);
    return -1;
}

// Every item of the drawing, block items first.
template <typename Operation>
void for_every_item(DXFDrawingRec& drawing, Operation operation)
{
    for (ItemBufferRec* buffer : {&drawing.dxf_BlockItemBuffer, &drawing.dxf_ItemBuffer}) {
        for (int32_t i = 0; i < buffer->ib_N; ++i) {
            if (buffer->ib_Items[i] != nullptr)
                operation(buffer->ib_Items[i]);
        }
    }
}

}

int32_t FilterFailure(int32_t result) noexcept
{
    if (result < 0)
        return result;
    const int32_t code = IoErr();
    return code < 0 ? code : make_error(IoErrBadIO);
}

FilterRun::~FilterRun()
{
    DXFFilterContext& c = m_context;
    FreeVec(c.joined);
    c.joined = nullptr;
    FreeStr(c.name_chars_from);
    FreeStr(c.name_chars_to);
    if (c.groups != nullptr) {
        FilterFreeGroups(c.groups, c.pool);
        PagedArrayDelete(c.groups);
    }
    DXFVertexListFree(&c.vertices);
    DXFVertexListFree(&c.chords);
    DXFVertexListFree(&c.straight_run);
    if (c.item_pool != nullptr)
        DeletePool(c.item_pool);
    if (c.fc_Output != nullptr)
        Close(c.fc_Output);
    FreeDXFDrawing(&c.drawing);
    for (char* name : c.temp_names) {
        if (name[0] != '\0')
            DeleteFileA(name);
    }
}

const char* FilterRun::current() const noexcept
{
    return m_current < 0 ? m_input : m_context.temp_names[m_current];
}

void FilterRun::exchange() noexcept
{
    const int32_t previous = m_current;
    m_current = m_scratch;
    // The input itself is never written: the other temporary name stays the scratch.
    m_scratch = previous >= 0 ? previous : (m_current == 0 ? 1 : 0);
}

void FilterRun::free_drawing() noexcept
{
    FreeDXFDrawing(&m_context.drawing);
    FilterResetItemSearch(m_context);
}

void FilterRun::note_cancel(int32_t result) noexcept
{
    if (result != 0 && m_context.stop == 0)
        m_context.stop = result;
}

int32_t FilterRun::read_current()
{
    free_drawing();
    return ReadDXF(current(), &m_context.drawing);
}

int32_t FilterRun::make_temp_name(int32_t index)
{
    char* name = m_context.temp_names[index];
    const int32_t size = static_cast<int32_t>(sizeof m_context.temp_names[index]);
    for (int32_t attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        // A name that the look-up takes for free but that cannot be created (a dangling
        // link) would come back every time: later attempts use prefixes of their own.
        char prefix[8] = "tmp";
        if (attempt > 0) {
            prefix[3] = static_cast<char>('a' + (attempt - 1) % 26);
            prefix[4] = static_cast<char>('a' + (attempt - 1) / 26);
            prefix[5] = '\0';
        }
        if (TempFileName(prefix, name, size) <= 0 ||
            static_cast<int32_t>(std::strlen(name)) >= size) {
            name[0] = '\0';
            return FilterFailure(0);
        }
        const int32_t made = create_exclusively(name, sizeof m_context.temp_names[index]);
        if (made > 0)
            return 0;
        name[0] = '\0';
        if (made < 0)
            return FilterFailure(0);
    }
    return make_error(IoErrObjectExists);
}

int32_t FilterRun::pass_into(const char* source, int32_t destination, DXFGroupCallback step,
                             DXFFilterPass pass)
{
    DXFFilterContext& c = m_context;
    c.fc_Output = Open(c.temp_names[destination], FileModeWrite);
    if (c.fc_Output == nullptr)
        return make_error(IoErrObjectNotFound);
    c.pass = pass;
    c.collecting = 0;
    c.current_item = nullptr;
    int32_t result = StepReadDXF(source, step, &c);
    // An entity still gathered when the groups ran out (a file cut short of its EOF) is
    // handed on like any other.
    if (result == 0 && c.collecting != 0)
        result = FilterFlushEntity(c);
    if (result == 0 && c.stop != 0)
        result = c.stop;
    FilterFreeGroups(c.groups, c.pool);
    ++c.entity_serial;
    c.collecting = 0;
    c.current_item = nullptr;
    const bool write_failed = (c.fc_Output->fh_Flags & FileFlagError) != 0;
    const int32_t closed = Close(c.fc_Output);
    c.fc_Output = nullptr;
    if (result != 0)
        return result;
    if (write_failed || closed == 0)
        return FilterFailure(0);
    return 0;
}

int32_t FilterRun::stream_pass(DXFGroupCallback step, DXFFilterPass pass)
{
    const int32_t result = pass_into(current(), m_scratch, step, pass);
    if (result == 0)
        exchange();
    return result;
}

int32_t FilterRun::write_drawing()
{
    const int32_t result = WriteDXF(m_context.temp_names[m_scratch], &m_context.drawing);
    if (result != 0)
        return FilterFailure(result);
    exchange();
    return 0;
}

int32_t FilterRun::set_up(const TagItem* tags)
{
    DXFFilterContext& c = m_context;
    c.groups = PagedArrayCreate(sizeof(DXFGroupRec), 100);
    if (c.groups == nullptr)
        return make_error(IoErrNoMemory);
    NewDXFDrawing(&c.drawing);
    if (c.drawing.dxf_Pool == nullptr)
        c.drawing.dxf_Pool = CreatePool(0x4000, 0x4000);
    FilterResetItemSearch(c);
    c.tags = tags;
    if (!FilterReadOptions(c, tags))
        return make_error(IoErrNoMemory);
    return 0;
}

// An IGES or binary DXF input is first written as ASCII DXF to the first temporary
// file, which the passes then read instead.
int32_t FilterRun::convert_input(const char* input)
{
    m_input = input;
    DXFDrawingRec converted;
    NewDXFDrawing(&converted);
    int32_t result = 0;
    bool written = false;
    if (ReadIGESUnits(input, &converted, m_context.options.iges_units) == 0) {
        result = WriteDXF(m_context.temp_names[0], &converted);
        written = true;
    } else if (FileHandle* stream = Open(input, FileModeRead)) {
        if (DXFDetectBinary(stream) != DXFEncodingASCII) {
            FreeDXFDrawing(&converted);
            result = ReadDXF(input, &converted);
            if (result == 0)
                result = WriteDXF(m_context.temp_names[0], &converted);
            written = true;
        }
        Close(stream);
    }
    FreeDXFDrawing(&converted);
    if (result != 0)
        return FilterFailure(result);
    if (!written)
        return 0;
    m_input = m_context.temp_names[0];
    m_current = 0;
    m_scratch = 1;
    return make_temp_name(1);
}

int32_t FilterRun::first_pass()
{
    DXFFilterContext& c = m_context;
    const DXFFilterOptions& o = c.options;
    const int32_t destination = m_current == 0 ? 1 : 0;
    int32_t result = 0;
    if (!o.delete_rules.empty()) {
        note_cancel(ContourDXFDrawing(&c.drawing, o.contour_tolerance, 1, o.contour_option,
                                      c.progress, c.progress_user));
        result = pass_into(m_input, destination, FilterStepGroup, FilterMainPass);
    } else if (!o.remove_duplicates && o.rename_rules.empty() &&
               (c.name_chars_from == nullptr || c.name_chars_from[0] == '\0') &&
               (c.name_chars_to == nullptr || c.name_chars_to[0] == '\0')) {
        // Nothing to do entity by entity: count the items and copy the file. (Rename
        // rules alone need the pass too, or they would never apply.)
        c.last_counted = nullptr;
        StepDXFDrawing(&c.drawing, DXFWalkAll, FilterCountItem, &c);
        if (Copy(m_input, c.temp_names[destination], 0) == 0)
            result = FilterFailure(0);
    } else {
        result = pass_into(m_input, destination, FilterStepGroup, FilterMainPass);
    }
    free_drawing();
    if (result != 0)
        return result;
    m_current = destination;
    m_scratch = destination == 0 ? 1 : 0;
    if (c.temp_names[m_scratch][0] == '\0')
        return make_temp_name(m_scratch);
    return 0;
}

int32_t FilterRun::modify_pass()
{
    DXFFilterContext& c = m_context;
    if (c.options.modify_rules.empty())
        return 0;
    if (const int32_t read = read_current(); read != 0) {
        free_drawing();
        return FilterFailure(read);
    }
    note_cancel(ContourDXFDrawing(&c.drawing, c.options.contour_tolerance, 1,
                                  c.options.contour_option, c.progress, c.progress_user));
    const int32_t result = stream_pass(FilterStepGroup, FilterModifyPass);
    free_drawing();
    return result;
}

int32_t FilterRun::snap_step()
{
    DXFFilterContext& c = m_context;
    if (!c.options.snap)
        return 0;
    int32_t result = 0;
    if (read_current() == 0) {
        const double step = c.options.snap_step;
        for_every_item(c.drawing, [&](ItemRec* item) { DXFSnapEnd(item, step); });
        result = write_drawing();
    }
    free_drawing();
    return result;
}

int32_t FilterRun::scale_step()
{
    DXFFilterContext& c = m_context;
    const double factor = c.options.scale;
    if (!(std::fabs(factor - 1.0) >= kTolerance))
        return 0;
    int32_t result = 0;
    if (read_current() == 0) {
        for_every_item(c.drawing, [&](ItemRec* item) { DXFScale(item, factor); });
        result = write_drawing();
    }
    free_drawing();
    return result;
}

int32_t FilterRun::translate_step()
{
    DXFFilterContext& c = m_context;
    const DXFFilterOptions& o = c.options;
    const auto moves = [](double value) { return !(value > -kTolerance && value < kTolerance); };
    if (!o.move_to_origin && !moves(o.translate_x) && !moves(o.translate_y) &&
        !moves(o.translate_z))
        return 0;
    int32_t result = 0;
    if (read_current() == 0) {
        double dx = o.translate_x;
        double dy = o.translate_y;
        double dz = o.translate_z;
        if (o.move_to_origin) {
            CalcDXFDrawingSize(&c.drawing);
            dx = -c.drawing.dxf_DrwgSize.min.x;
            dy = -c.drawing.dxf_DrwgSize.min.y;
            dz = 0.0;
        }
        for_every_item(c.drawing, [&](ItemRec* item) { DXFTranslate(item, dx, dy, dz); });
        result = write_drawing();
    }
    free_drawing();
    return result;
}

int32_t FilterRun::final_write_step()
{
    DXFFilterContext& c = m_context;
    const DXFFilterOptions& o = c.options;
    if (o.dxf_version <= 0 && o.write_header != 0 && o.write_classes != 0 && o.write_tables != 0 &&
        o.write_blocks != 0 && o.write_entities != 0 && o.write_objects != 0)
        return 0;
    int32_t result = 0;
    if (read_current() == 0) {
        result = WriteDXFSections(c.temp_names[m_scratch], &c.drawing, o.dxf_version,
                                  o.write_header, o.write_classes, o.write_tables, o.write_blocks,
                                  o.write_entities, o.write_objects);
        if (result != 0)
            result = FilterFailure(result);
        else
            exchange();
    }
    free_drawing();
    return result;
}

int32_t FilterRun::run(const char* input, const char* output, const TagItem* tags)
{
    DXFFilterContext& c = m_context;
    if (const int32_t result = set_up(tags); result != 0)
        return result;
    if (input == nullptr || output == nullptr)
        return make_error(IoErrRequiredArgMissing);
    if (const int32_t result = make_temp_name(0); result != 0)
        return result;
    if (const int32_t result = convert_input(input); result != 0)
        return result;
    if (c.progress != nullptr)
        c.stop = c.progress(DXFFilterStart, 0, c.progress_user);
    if (const int32_t read = ReadDXF(m_input, &c.drawing); read != 0)
        return FilterFailure(read);
    if (c.options.layers_on) {
        LayerTableRec& layers = c.drawing.dxf_LayerTable;
        for (int32_t i = 0; i < layers.lt_N; ++i) {
            if (layers.lt_Layers[i] != nullptr)
                layers.lt_Layers[i]->ld_Flags &= ~static_cast<uint32_t>(DXFLayerOff);
        }
    }
    // The passes in their order; each returns 0 to go on.
    const auto step = [this](int32_t (*free_step)(FilterRun&)) { return free_step(*this); };
    int32_t result = first_pass();
    if (result == 0)
        result = modify_pass();
    if (result == 0)
        result = step(FilterConversionSteps);
    if (result == 0)
        result = step(FilterJoinTextsStep);
    if (result == 0)
        result = snap_step();
    if (result == 0)
        result = step(FilterContourEditStep);
    if (result == 0)
        result = scale_step();
    if (result == 0)
        result = translate_step();
    if (result == 0)
        result = step(FilterExplodeNestedInsertsStep);
    if (result == 0)
        result = step(FilterExplodeInsertsStep);
    if (result == 0)
        result = step(FilterFlattenInsertsStep);
    if (result == 0)
        result = final_write_step();
    if (result != 0)
        return result;
    if (Copy(current(), output, 0) == 0)
        return FilterFailure(0);
    return c.stop;
}

}

extern "C" {

HALVERN_API int32_t FilterDXF(const char* input, const char* output, const TagItem* tags) noexcept
{
    if (ScanDXFFilter(tags) != -1)
        return halvern::make_error(IoErrRequiredArgMissing);
    try {
        halvern::FilterRun run;
        return run.run(input, output, tags);
    } catch (const std::bad_alloc&) {
        return halvern::make_error(IoErrNoMemory);
    } catch (...) {
        return halvern::make_error(IoErrNoMemory);
    }
}
}
