// The DXF drawing reader inside: the reading of one file's sections into a drawing,
// external references, and the list of files being read.
#ifndef HALVERN_MODEL_DXF_READER_INTERNAL_H
#define HALVERN_MODEL_DXF_READER_INTERNAL_H

#include <cstdint>

#include "halvern/drawing.h"
#include "halvern/dxf_groups.h"
#include "halvern/items.h"
#include "dxf/dxf_group_reader.h"
#include "osmark/files.h"

namespace halvern {

// Reads one DXF file from an open stream into a drawing: ReadADXFFileFP after its
// argument checks. The reader holds the value buffer that it shares with the entity
// parser and the vertex list that the parser reuses.
class DXFFileReader {
public:
    DXFFileReader(FileHandle& stream, DXFDrawingRec& drawing, bool show_warnings) noexcept;
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

    FileHandle& m_stream;
    DXFDrawingRec& m_drawing;
    bool m_show_warnings;
    // The buffers' grow steps when the read began.
    int32_t m_item_step;
    int32_t m_block_step;
    int32_t m_result = 0;
    VertexListRec m_vertices{};
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

// Loads the external file at path into a temporary drawing and appends copies of its
// items (INSERTs expanded, polylines split) behind the members of the block being
// read in drawing's dxf_BlockItemBuffer. Returns the code of the nested read: -12 also
// for a file that is being read already (a cycle of references) or that lies beyond
// the deepest nesting of references; -32 for a name that is no file (a device, a
// pipe), which is never opened.
int32_t ReadDXFExternalBlock(const char* path, DXFDrawingRec* drawing) noexcept;

// The files being read, innermost last, for the cycle test of external references.
// A file joins the list for the lifetime of the guard; a path that cannot be expanded
// (memory) does not join it, which only loses the test for that file.
class FileBeingRead {
public:
    explicit FileBeingRead(const char* path) noexcept;
    ~FileBeingRead();
    FileBeingRead(const FileBeingRead&) = delete;
    FileBeingRead& operator=(const FileBeingRead&) = delete;

    // Whether path names a file of the list (after expansion against the current
    // directory, compared as Osmark compares file names).
    static bool contains(const char* path) noexcept;
    // How many files are being read, one inside the other.
    static int32_t depth() noexcept;

private:
    char* m_path = nullptr;
    FileBeingRead* m_outer = nullptr;
};

}

#endif
