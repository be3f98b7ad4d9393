// Parts of the DXF writer shared by its files: the group output on a file handle, the
// handle counter, the dialect test, the entity writer and the fixed content of the
// "AC1018" dialect.
//
// Output and failures. Every group goes out through Osmark's Write on the caller's
// handle. A write that does not take every byte sets the handle's FileFlagError (Osmark
// sets it itself when a flush fails), and once the flag is set nothing more is written:
// a failed file costs no further system calls, and its writer learns of the failure
// from the flag when it finishes.
#ifndef HALVERN_MODEL_DXF_WRITER_INTERNAL_H
#define HALVERN_MODEL_DXF_WRITER_INTERNAL_H

#include <cstdint>
#include <span>
#include <string_view>

#include "halvern/dxf_writer.h"

namespace halvern::dxf_writer {

// The numbers that select the "AC1018" dialect.
inline constexpr int32_t kVersion2005 = 2005;
inline constexpr int32_t kVersion2010 = 2010;

inline constexpr bool is_full_dialect(int32_t version) noexcept
{
    return version == kVersion2005 || version == kVersion2010;
}

// The handle counter's value when a whole-drawing file starts (hex "64").
inline constexpr uint32_t kFirstHandle = 100;

// One group of fixed content. A NULL text stands for group 5 with the next handle.
struct FixedGroup {
    int32_t code;
    const char* text;
};
inline constexpr const char* kNextHandle = nullptr;

// ---------------------------------------------------------------------------------------
// Output (dxf_writer_output.cpp)

inline bool has_failed(const FileHandle& handle) noexcept
{
    return (handle.fh_Flags & FileFlagError) != 0;
}

void write_group(FileHandle& handle, int32_t code, std::string_view text) noexcept;
// "%ld": the value as a signed 32-bit number.
void write_integer(FileHandle& handle, int32_t code, int32_t value) noexcept;
// "%lX": upper-case hexadecimal without leading zeros.
void write_hex(FileHandle& handle, int32_t code, uint32_t value) noexcept;
// DXFFormatReal of the value.
void write_real(FileHandle& handle, int32_t code, double value) noexcept;
// 10/20/30 (or the codes base, base + 10, base + 20) of a point.
void write_point(FileHandle& handle, int32_t base_code, const Point3DRec& point) noexcept;
void write_next_handle(FileHandle& handle) noexcept;
void write_fixed(FileHandle& handle, std::span<const FixedGroup> groups) noexcept;

void reset_handle_counter() noexcept;

// ---------------------------------------------------------------------------------------
// Entities (dxf_writer_entity.cpp)

// WriteDXFEntity without the argument tests; drawing may be NULL.
void write_entity(FileHandle& handle, DXFDrawingRec* drawing, const ItemRec& item,
                  int32_t version) noexcept;

// Handles that writing the item takes beyond the one the whole-drawing count gives each
// item: its VERTEX records, and for an INSERT written as its placed items, every one of
// them (an upper bound: $HANDSEED must lie above every handle of the file).
int64_t extra_entity_handles(DXFDrawingRec* drawing, const ItemRec& item) noexcept;

// The name of layer index, or NULL when the index is not that of a named layer above 0.
const char* layer_name(const DXFDrawingRec* drawing, int32_t index) noexcept;
// The same for a line type.
const char* line_type_name(const DXFDrawingRec* drawing, int32_t index) noexcept;

// ---------------------------------------------------------------------------------------
// Fixed content of the "AC1018" dialect (dxf_writer_tables.cpp)

// SECTION HEADER up to the name $HANDSEED, whose value the drawing decides, and the
// rest of the section after that value, ENDSEC included.
extern const std::span<const FixedGroup> kHeaderHead;
extern const std::span<const FixedGroup> kHeaderTail;
// The whole CLASSES section.
extern const std::span<const FixedGroup> kClasses;
// The VPORT table, TABLE to ENDTAB.
extern const std::span<const FixedGroup> kViewportTable;
// The handle, owner and marker groups that follow 2 "LTYPE" and 2 "LAYER".
extern const std::span<const FixedGroup> kLineTypeTableMarkers;
extern const std::span<const FixedGroup> kLayerTableMarkers;
// The ByBlock and ByLayer line types.
extern const std::span<const FixedGroup> kLineTypeFixedEntries;
// The layer "0" that version 2010 adds.
extern const std::span<const FixedGroup> kLayerZeroEntry;
// The STYLE, VIEW, UCS, APPID, DIMSTYLE and BLOCK_RECORD tables.
extern const std::span<const FixedGroup> kRemainingTables;
// The model-space and paper-space blocks.
extern const std::span<const FixedGroup> kFixedBlocks;
// The whole OBJECTS section.
extern const std::span<const FixedGroup> kObjects;

}

#endif
