// The layer, line-type and block tables of a drawing.
//
// Entries are single AllocVec blocks (record, then name text) and never move; the
// pointer arrays grow into new blocks. Lookups are linear and case-sensitive.

#include "halvern/tables.h"

#include <cstring>
#include <type_traits>

#include "model/item_internal.h"
#include "osmark/memory.h"
#include "osmark/strings.h"

namespace {

template <typename T>
constexpr bool is_plain_record = std::is_standard_layout_v<T> && std::is_trivially_copyable_v<T>;

static_assert(is_plain_record<LayerDataRec> && is_plain_record<LineTypeDataRec> &&
              is_plain_record<BlockIdentifierRec> && is_plain_record<LayerTableRec> &&
              is_plain_record<LineTypeTableRec> && is_plain_record<BlockIdentifierBufferRec>);

constexpr char kByBlock[] = "BYBLOCK";

// An entry block of Record with name copied behind it, every byte of the record
// cleared; the name pointer is set by the caller. NULL when memory fails.
template <typename Record>
Record* allocate_entry(const char* name, char*& name_copy)
{
    const char* text = name != nullptr ? name : "";
    const size_t length = std::strlen(text);
    if (length >= 0xFFFFFFFFu - sizeof(Record))
        return nullptr;
    const auto bytes = static_cast<uint32_t>(sizeof(Record) + length + 1);
    auto* entry = static_cast<Record*>(AllocVec(bytes));
    if (entry == nullptr)
        return nullptr;
    std::memset(static_cast<void*>(entry), 0, sizeof(Record));
    name_copy = reinterpret_cast<char*>(entry + 1);
    std::memcpy(name_copy, text, length + 1);
    return entry;
}

// Index of the first entry whose name equals name exactly, or -1.
template <typename Record>
int32_t find_entry(Record* const* entries, int32_t count, const char* name,
                   char* Record::*name_field)
{
    for (int32_t i = 0; i < count; ++i) {
        if (entries[i] != nullptr && StrCmp(entries[i]->*name_field, name) == 0)
            return i;
    }
    return -1;
}

// Makes room for one more entry. With an empty table the automatic entry 0 comes
// with the first growth, so the first named entry gets index 1.
template <typename Record>
void grow_when_full(Record**& entries, int32_t& capacity, int32_t& count, int32_t step)
{
    if (count < capacity)
        return;
    const bool was_empty = count == 0;
    if (!halvern::grow_pointer_array(entries, capacity, count, step) || !was_empty)
        return;
    char* name = nullptr;
    Record* automatic = allocate_entry<Record>("", name);
    if (automatic == nullptr)
        return;
    automatic->ld_Name = name;
    entries[count++] = automatic;
}

// Frees every entry block (after release_parts has freed what an entry owns) and the
// pointer array; the grow step stays.
template <typename Record, typename ReleaseParts>
void free_table(Record**& entries, int32_t& capacity, int32_t& count, ReleaseParts release_parts)
{
    if (entries == nullptr)
        return;
    for (int32_t i = 0; i < count; ++i) {
        if (entries[i] == nullptr)
            continue;
        release_parts(*entries[i]);
        FreeVec(entries[i]);
    }
    FreeVec(entries);
    entries = nullptr;
    capacity = 0;
    count = 0;
}

}

extern "C" {

HALVERN_API int32_t GetLayer(LayerTableRec* table, const char* name) noexcept
{
    const int32_t found = find_entry(table->lt_Layers, table->lt_N, name, &LayerDataRec::ld_Name);
    if (found >= 0)
        return found;
    grow_when_full(table->lt_Layers, table->lt_Max, table->lt_N, table->lt_Size);
    if (table->lt_N >= table->lt_Max)
        return 0;
    char* copy = nullptr;
    LayerDataRec* layer = allocate_entry<LayerDataRec>(name, copy);
    if (layer == nullptr)
        return 0;
    layer->ld_Name = copy;
    layer->ld_Colour = 4;
    layer->ld_LineType = 0;
    table->lt_Layers[table->lt_N] = layer;
    return table->lt_N++;
}

HALVERN_API int32_t GetLineType(LineTypeTableRec* table, const char* name) noexcept
{
    // BYBLOCK is a colour-like reference to the inserting block, never a table entry.
    const bool by_block = StrCmp(name, kByBlock) == 0;
    if (!by_block) {
        const int32_t found =
            find_entry(table->lt_LineTypes, table->lt_N, name, &LineTypeDataRec::ld_Name);
        if (found >= 0)
            return found;
    }
    grow_when_full(table->lt_LineTypes, table->lt_Max, table->lt_N, table->lt_Size);
    if (by_block || table->lt_N >= table->lt_Max)
        return 0;
    char* copy = nullptr;
    LineTypeDataRec* line_type = allocate_entry<LineTypeDataRec>(name, copy);
    if (line_type == nullptr)
        return 0;
    line_type->ld_Name = copy;
    table->lt_LineTypes[table->lt_N] = line_type;
    return table->lt_N++;
}

HALVERN_API int32_t FreeLayerTable(LayerTableRec* table) noexcept
{
    free_table(table->lt_Layers, table->lt_Max, table->lt_N, [](LayerDataRec&) {});
    return 0;
}

HALVERN_API int32_t FreeLineTypeTable(LineTypeTableRec* table) noexcept
{
    free_table(table->lt_LineTypes, table->lt_Max, table->lt_N, [](LineTypeDataRec& entry) {
        FreeVec(entry.ld_Description);
        FreeVec(entry.ld_Segments);
        entry.ld_Description = nullptr;
        entry.ld_Segments = nullptr;
    });
    return 0;
}

HALVERN_API int32_t FreeBlockIdentifierBuffer(BlockIdentifierBufferRec* buffer) noexcept
{
    free_table(buffer->bib_Blocks, buffer->bib_Max, buffer->bib_N, [](BlockIdentifierRec&) {});
    return 0;
}

HALVERN_API int32_t AddBlockIdentifier(BlockIdentifierBufferRec* buffer, const char* name,
                                       int32_t blockData, uint32_t flags) noexcept
{
    const int32_t found =
        find_entry(buffer->bib_Blocks, buffer->bib_N, name, &BlockIdentifierRec::bi_Name);
    if (found >= 0) {
        buffer->bib_Blocks[found]->bi_BlockData = blockData;
        buffer->bib_Blocks[found]->bi_Flags = flags;
        return 1;
    }
    if (buffer->bib_N >= buffer->bib_Max &&
        !halvern::grow_pointer_array(buffer->bib_Blocks, buffer->bib_Max, buffer->bib_N,
                                     buffer->bib_Size))
        return 0;
    char* copy = nullptr;
    BlockIdentifierRec* block = allocate_entry<BlockIdentifierRec>(name, copy);
    if (block == nullptr)
        return 0;
    block->bi_Name = copy;
    block->bi_BlockData = blockData;
    block->bi_Flags = flags;
    buffer->bib_Blocks[buffer->bib_N++] = block;
    return 1;
}

HALVERN_API int32_t IsBlockKnown(BlockIdentifierBufferRec* buffer, const char* name,
                                 char** nameOut, int32_t* indexOut) noexcept
{
    const int32_t found =
        find_entry(buffer->bib_Blocks, buffer->bib_N, name, &BlockIdentifierRec::bi_Name);
    if (found < 0)
        return 0;
    if (nameOut != nullptr)
        *nameOut = buffer->bib_Blocks[found]->bi_Name;
    if (indexOut != nullptr)
        *indexOut = buffer->bib_Blocks[found]->bi_BlockData;
    return 1;
}

}
