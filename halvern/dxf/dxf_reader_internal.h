// The DXF drawing reader inside: the state of one read, the reading of one file's
// sections into a drawing, and external references.
#ifndef HALVERN_MODEL_DXF_READER_INTERNAL_H
#define HALVERN_MODEL_DXF_READER_INTERNAL_H

#include <cstdint>

#include "halvern/drawing.h"
#include "halvern/dxf_groups.h"
#include "halvern/items.h"
#include "dxf/dxf_entity_parser.h"
#include "dxf/dxf_group_reader.h"
#include "osmark/files.h"

namespace halvern {

// The state of reading one DXF file, made by each read on its own stack: its line
// counter, the file's name (where its external references are looked for) and the
// reads it is nested in (the file whose external reference it is, and so on out). Nothing
// of a read is kept in the process or in its current directory, so that threads read
// files side by side and a read leaves the current directory alone.
class DXFReadContext {
public:
    // path names the file being read as its caller named it: relative to the current
    // directory, an assign or absolute. NULL or empty for a stream without a name, whose
    // references resolve against the current directory. referrer is the read of the file
    // that refers to this one (it outlives this one), NULL at the top. A path that cannot
    // be made full (memory) loses only the cycle test for this file.
    DXFReadContext(const char* path, const DXFReadContext* referrer) noexcept;
    ~DXFReadContext();
    DXFReadContext(const DXFReadContext&) = delete;
    DXFReadContext& operator=(const DXFReadContext&) = delete;

    // Lines (ASCII) or codes and values (binary) read so far; a group stream counts in
    // it.
    int32_t* line_counter() noexcept { return &m_line; }
    int32_t line() const noexcept { return m_line; }

    // How many named files are being read, this one and those it is nested in: the
    // nesting that the deepest reference is measured against.
    int32_t depth() const noexcept { return m_depth; }
    // Whether path (as resolve() gives it) names this file or one it is nested in: both
    // made full against the current directory, compared exactly.
    bool is_being_read(const char* path) const noexcept;
    // The file that an external reference of this file names: an absolute name (a
    // leading path separator, a drive or an assign) as it stands, a relative one joined
    // to this file's folder. A new string (FreeStr), NULL when memory runs out.
    char* resolve(const char* reference) const noexcept;

private:
    const char* m_path;
    char* m_full_path = nullptr;
    const DXFReadContext* m_referrer;
    int32_t m_depth;
    int32_t m_line = 0;
};

// Reads one DXF file from an open stream into a drawing: ReadADXFFileFP after its
// argument checks. The reader holds the value buffer that it shares with the entity
// parser and the vertex list that the parser reuses.
class DXFFileReader {
public:
    DXFFileReader(FileHandle& stream, DXFDrawingRec& drawing, bool show_warnings,
                  DXFReadContext& context) noexcept;
    ~DXFFileReader();
    DXFFileReader(const DXFFileReader&) = delete;
    DXFFileReader& operator=(const DXFFileReader&) = delete;

    // Detects the encoding, reads the sections and resolves the INSERTs. 0, or -1 when
    // an item could not be created or added.
    int32_t read() noexcept;

private:
    // Whether a section goes on to the INSERT resolution or ends the whole read at
    // once (a BLOCK or ENDBLK item that could not be made, an unknown entity after an
    // item failure, a TABLE without a following group).
    enum class Flow { Go, Stop };
    // How a table ended: at ENDTAB, at ENDSEC or with the groups.
    enum class TableEnd { Table, Section, Groups };
    // How a block ended.
    enum class BlockEnd { Block, Section, Groups, Stop };

    bool next() noexcept { return m_groups.next(); }
    int32_t code() const noexcept { return m_groups.code(); }
    bool is(int32_t code, const char* text) noexcept { return m_groups.is(code, text); }
    bool is_zero(const char* text) noexcept { return m_groups.code() == 0 && m_groups.is(0, text); }
    // The current group is a 0 group; the entity parser takes it when it knows it.
    bool read_entity(const Point3DRec& offset, ItemBufferRec& target) noexcept;
    // Reads and drops groups up to the next 0 group; false when the groups ran out.
    bool skip_to_next_entity() noexcept;

    Flow read_tables() noexcept;
    TableEnd read_line_type_table() noexcept;
    TableEnd read_layer_table() noexcept;
    Flow read_blocks() noexcept;
    BlockEnd read_block() noexcept;
    bool add_end_block() noexcept;
    Flow read_entities() noexcept;
    void resolve_inserts() noexcept;
    void show_layout_without_model() noexcept;

    FileHandle& m_stream;
    DXFDrawingRec& m_drawing;
    DXFReadContext& m_context;
    bool m_show_warnings;
    // The buffers' grow steps when the read began.
    int32_t m_item_step;
    int32_t m_block_step;
    int32_t m_result = 0;
    VertexListRec m_vertices{};
    // The entity parser's last table and block hits, from one entity to the next.
    DXFEntityLookups m_lookups;
    char m_value[DXF_GROUP_VALUE_SIZE] = {};
    // Set up by read(), once the encoding is known.
    DXFGroupStream m_groups;
};

// AddItem grows a buffer by its grow step, so a drawing of a million items would copy
// its pointer array two hundred times with the usual step of 5000. While a reader adds
// items the step follows the buffer's size (the array doubles); the reader gives the
// steps back when it is done.
inline void grow_by_doubling(ItemBufferRec& buffer, int32_t usual_step) noexcept
{
    if (buffer.ib_N >= buffer.ib_Max && buffer.ib_N > usual_step)
        buffer.ib_Size = buffer.ib_N;
}

// Reads the DXF file at path into drawing as ReadADXFFile does, inside the read of
// referrer (NULL at the top).
int32_t ReadDXFFileNested(const char* path, DXFDrawingRec* drawing, bool show_warnings,
                          const DXFReadContext* referrer) noexcept;

// Reads an open stream into drawing as ReadADXFFileFP does, in the given context, and
// leaves the context's count in the thread's DXFLineCounter.
int32_t ReadDXFStream(FileHandle& stream, DXFDrawingRec& drawing, bool show_warnings,
                      DXFReadContext& context) noexcept;

// Loads the external file that reference names (as the BLOCK's group 1 gives it,
// resolved by referrer, the read of the file being read) into a temporary drawing and
// appends copies of its items (INSERTs expanded, polylines split) behind the members
// of the block being read in drawing's dxf_BlockItemBuffer. Returns the code of the
// nested read: -12 also for a file that is being read already (a cycle of references)
// or that lies beyond the deepest nesting of references; -32 for a name that is no
// file (a device, a pipe), which is never opened.
int32_t ReadDXFExternalBlock(const char* reference, DXFDrawingRec* drawing,
                             const DXFReadContext& referrer) noexcept;

}

#endif
