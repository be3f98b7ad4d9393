// The entity pass framework: groups gathered entity by entity from the step reader,
// handed to a pass function and written on, and the lookup of an entity's item.

#include "filter/filter_context.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "model/make_error.h"
#include "osmark/errors.h"
#include "osmark/strings.h"

namespace halvern {

namespace {

bool starts_with(const char* value, const char* name, size_t length) noexcept
{
    return std::strncmp(value, name, length) == 0;
}

// Names whose 0 group opens an entity that is collected; a longer name that begins
// with one of them opens one too.
struct EntityName {
    const char* name;
    size_t length;
};
constexpr EntityName kEntityNames[] = {
    {"3DFACE", 6},   {"ARC", 3},         {"CIRCLE", 6},  {"ATTDEF", 6}, {"ATTRIB", 6},
    {"BODY", 4},     {"DIMENSION", 9},   {"ELLIPSE", 7}, {"INSERT", 6}, {"LEADER", 6},
    {"LINE", 4},     {"3DLINE", 6},      {"POINT", 5},   {"RAY", 3},    {"XLINE", 5},
    {"POLYLINE", 8}, {"LWPOLYLINE", 10}, {"SPLINE", 6},  {"TEXT", 4},   {"BLOCK", 5}};

bool matches(const ItemRec* item, int32_t line) noexcept
{
    return item != nullptr && item->it_Header.ih_Line == line &&
           (item->it_Header.ih_Flags & DXFItemJoined) == 0;
}

ItemBufferRec& buffer_of(DXFFilterContext& context, int32_t in_entities) noexcept
{
    return in_entities != 0 ? context.drawing.dxf_ItemBuffer : context.drawing.dxf_BlockItemBuffer;
}

void build_item_lines(DXFFilterContext& context)
{
    context.item_lines.clear();
    for (const ItemBufferRec* buffer :
         {&context.drawing.dxf_ItemBuffer, &context.drawing.dxf_BlockItemBuffer}) {
        for (int32_t i = 0; i < buffer->ib_N; ++i) {
            const ItemRec* item = buffer->ib_Items[i];
            if (item != nullptr && (item->it_Header.ih_Flags & DXFItemJoined) == 0)
                context.item_lines.push_back(item->it_Header.ih_Line);
        }
    }
    // Block items come before the entities and both in file order: usually sorted.
    if (!std::is_sorted(context.item_lines.begin(), context.item_lines.end()))
        std::sort(context.item_lines.begin(), context.item_lines.end());
    context.item_lines_built = true;
}

// Searches buffer in [from, to); records and answers the first match.
ItemRec* search_range(DXFFilterContext& context, int32_t in_entities, int32_t from, int32_t to,
                      int32_t line) noexcept
{
    ItemBufferRec& buffer = buffer_of(context, in_entities);
    for (int32_t i = from; i < to; ++i) {
        if (matches(buffer.ib_Items[i], line)) {
            context.search_line = line;
            context.search_in_entities = in_entities;
            context.search_index = i;
            return buffer.ib_Items[i];
        }
    }
    return nullptr;
}

}

bool FilterOpensEntity(const char* value) noexcept
{
    for (const EntityName& entity : kEntityNames) {
        if (starts_with(value, entity.name, entity.length))
            return true;
    }
    return false;
}

char* FilterTextPool::copy(const char* text, size_t length) noexcept
{
    char* target = nullptr;
    if (length + 1 > kBlockSize) {
        target = new (std::nothrow) char[length + 1];
        if (target == nullptr)
            return nullptr;
        try {
            m_large.emplace_back(target);
        } catch (...) {
            delete[] target;
            return nullptr;
        }
    } else {
        if (m_block < m_blocks.size() && m_used + length + 1 > kBlockSize) {
            ++m_block;
            m_used = 0;
        }
        if (m_block == m_blocks.size()) {
            char* block = new (std::nothrow) char[kBlockSize];
            if (block == nullptr)
                return nullptr;
            try {
                m_blocks.emplace_back(block);
            } catch (...) {
                delete[] block;
                return nullptr;
            }
            m_used = 0;
        }
        target = m_blocks[m_block].get() + m_used;
        m_used += length + 1;
    }
    std::memcpy(target, text, length);
    target[length] = '\0';
    return target;
}

void FilterTextPool::empty() noexcept
{
    m_large.clear();
    m_block = 0;
    m_used = 0;
}

char* FilterPoolString(DXFFilterContext& context, const char* text) noexcept
{
    return context.pool.copy(text, std::strlen(text));
}

bool FilterAppendGroup(DXFFilterContext& context, int32_t code, const char* value) noexcept
{
    DXFGroupRec group{code, FilterPoolString(context, value)};
    return group.dg_Value != nullptr && PagedArrayAdd(context.groups, &group) >= 0;
}

DXFGroupRec* FilterGroup(DXFFilterContext& context, uint32_t index) noexcept
{
    if (context.groups == nullptr || index >= PagedArrayGetCount(context.groups))
        return nullptr;
    return static_cast<DXFGroupRec*>(PagedArrayGet(context.groups, index));
}

int32_t FilterWriteGroup(int32_t code, const char* value, FileHandle* stream) noexcept
{
    if (stream == nullptr)
        return 1;
    // " %ld" CR LF, the value, CR LF, assembled for one write: this runs for every group
    // of every pass. One blank before the code whatever its width.
    char line[DXF_GROUP_VALUE_SIZE + 32];
    char digits[12];
    char* d = digits + sizeof digits;
    uint32_t magnitude = code < 0 ? 0u - static_cast<uint32_t>(code) : static_cast<uint32_t>(code);
    do {
        *--d = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (code < 0)
        *--d = '-';
    char* p = line;
    *p++ = ' ';
    const size_t digit_count = static_cast<size_t>(digits + sizeof digits - d);
    std::memcpy(p, d, digit_count);
    p += digit_count;
    *p++ = '\r';
    *p++ = '\n';
    const size_t length = value != nullptr ? std::strlen(value) : 0;
    const size_t room = sizeof line - static_cast<size_t>(p - line) - 2;
    if (length <= room) {
        std::memcpy(p, value, length);
        p += length;
        *p++ = '\r';
        *p++ = '\n';
        FWrite(stream, line, 1, static_cast<uint32_t>(p - line));
        return 1;
    }
    // A value longer than any group the reader hands on (a pass's own text).
    FWrite(stream, line, 1, static_cast<uint32_t>(p - line));
    FWrite(stream, value, 1, static_cast<uint32_t>(length));
    FWrite(stream, "\r\n", 1, 2);
    return 1;
}

void FilterCopyGroup(DXFFilterContext& context, int32_t code) noexcept
{
    if (DXFFindGroup(context.groups, code, 0, context.DXFTextBuffer,
                     sizeof context.DXFTextBuffer) >= 0)
        FilterWriteGroup(code, context.DXFTextBuffer, context.fc_Output);
}

void FilterReadExtrusion(DXFFilterContext& context, Point3DRec& vector) noexcept
{
    vector = Point3DRec{0.0, 0.0, 1.0};
    double* fields[3] = {&vector.x, &vector.y, &vector.z};
    const int32_t codes[3] = {210, 220, 230};
    for (int32_t i = 0; i < 3; ++i) {
        if (DXFFindGroup(context.groups, codes[i], 0, context.DXFTextBuffer,
                         sizeof context.DXFTextBuffer) >= 0)
            *fields[i] = StrToDouble(context.DXFTextBuffer, nullptr);
    }
}

int32_t FilterProgressStep(DXFFilterContext& context, int32_t kind, int32_t percentage) noexcept
{
    if (context.progress != nullptr)
        context.stop =
            context.progress(kind, percentage != 0 ? percentage : 1, context.progress_user);
    return context.stop == 0 ? 1 : 0;
}

void FilterFreeGroups(PagedArray* list, FilterTextPool& pool) noexcept
{
    if (list != nullptr)
        PagedArrayClear(list);
    pool.empty();
}

void FilterResetItemSearch(DXFFilterContext& context) noexcept
{
    context.search_line = -1;
    context.search_in_entities = 1;
    context.search_index = 0;
    context.item_lines.clear();
    context.item_lines_built = false;
    context.duplicates = FilterDuplicateMarks{};
}

ItemRec* FilterFindItem(DXFFilterContext& context, int32_t line) noexcept
{
    // Entities arrive in file order: the item is usually the one after the previous
    // match, where the search below would find it first too.
    if (line >= context.search_line) {
        ItemBufferRec& buffer = buffer_of(context, context.search_in_entities);
        for (int32_t i = context.search_index; i < buffer.ib_N && i <= context.search_index + 1;
             ++i) {
            if (i >= 0 && matches(buffer.ib_Items[i], line)) {
                context.search_line = line;
                context.search_index = i;
                return buffer.ib_Items[i];
            }
        }
    }
    if (!context.item_lines_built) {
        try {
            build_item_lines(context);
        } catch (...) {
            // Without the index every lookup searches, as it would anyway.
            context.item_lines.clear();
        }
    }
    // An entity that no item came from (a table entry, one the reader skips) would
    // otherwise search both buffers to their ends.
    if (context.item_lines_built &&
        !std::binary_search(context.item_lines.begin(), context.item_lines.end(), line))
        return nullptr;
    // Entities arrive in file order: the search resumes at the previous match.
    const int32_t first = context.search_in_entities;
    const int32_t count = buffer_of(context, first).ib_N;
    const int32_t start =
        line >= context.search_line ? std::clamp(context.search_index, 0, count) : 0;
    if (ItemRec* item = search_range(context, first, start, count, line))
        return item;
    if (ItemRec* item = search_range(context, first, 0, start, line))
        return item;
    const int32_t other = first != 0 ? 0 : 1;
    return search_range(context, other, 0, buffer_of(context, other).ib_N, line);
}

int32_t FilterFlushEntity(DXFFilterContext& context) noexcept
{
    const int32_t drop = context.pass != nullptr ? context.pass(&context) : 0;
    if (drop == 0) {
        const uint32_t count = PagedArrayGetCount(context.groups);
        for (uint32_t i = 0; i < count; ++i) {
            const auto* group = static_cast<const DXFGroupRec*>(PagedArrayGet(context.groups, i));
            FilterWriteGroup(group->dg_Code, group->dg_Value, context.fc_Output);
        }
    }
    FilterFreeGroups(context.groups, context.pool);
    ++context.entity_serial;
    context.collecting = 0;
    context.current_item = nullptr;
    return context.failure;
}

int32_t FilterStepGroup(FileHandle*, int32_t line, int32_t code, char* value, void* user) noexcept
{
    auto& context = *static_cast<DXFFilterContext*>(user);
    if (context.stop != 0)
        return context.stop;
    if (context.progress != nullptr)
        context.stop = context.progress(DXFFilterLine, line, context.progress_user);
    if (code == 0 && !starts_with(value, "VERTEX", 6) && !starts_with(value, "SEQEND", 6)) {
        if (context.collecting != 0) {
            if (const int32_t failure = FilterFlushEntity(context); failure != 0)
                return failure;
        }
        if (FilterOpensEntity(value)) {
            context.entity_line = line - 1;
            context.current_item = FilterFindItem(context, line - 1);
            context.collecting = 1;
        }
    }
    if (context.collecting == 0) {
        FilterWriteGroup(code, value, context.fc_Output);
        return 0;
    }
    if (!FilterAppendGroup(context, code, value)) {
        // A value that cannot be kept would be written as nothing: end the run.
        context.failure = make_error(IoErrNoMemory);
        return context.failure;
    }
    return 0;
}

}
