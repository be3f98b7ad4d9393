// Sections of element records (a part file's sections D and E, and the like in nest
// files): a marker, two words the reader steps over, then records until a zero length
// word. Reading checks every record; building the drawing from checked records can
// then fail only for memory.
#ifndef TRENNIC_GEOMETRY_ELEMENT_SECTIONS_H
#define TRENNIC_GEOMETRY_ELEMENT_SECTIONS_H

#include <cstdint>
#include <span>
#include <vector>

#include "halvern/drawing.h"
#include "library/byte_reader.h"
#include "trennic/elements.h"
#include "trennic/machines.h"

namespace trennic {

enum class ElementLayout {
    Current, // from version 15.2
    Old      // before it: UpgradeElement brings the records to the current layout
};

// One checked record: its bytes in the file image, its length word included.
using ElementBytes = std::span<const uint8_t>;

// Reads a section at the reader's position into records (views into the reader's
// bytes). 0; -24 for a short marker, word, length word or record, a length outside 5
// to 1024, or a record that is not deleted and too short for the fields of its kind
// (or shorter than the 24 bytes of the head that every record needs); -25 for a
// marker other than 0x55AA55AA.
int32_t read_element_section(ByteReader& reader, ElementLayout layout,
                             std::vector<ElementBytes>& records);

// A record in the current layout with state 15 read as 2; false (nothing written)
// when it is deleted.
bool current_record(ElementBytes bytes, ElementLayout layout, QXElementRec& record);

// Where the tooling of the records goes (MarkLayerTooling), when it is marked.
struct ToolingTarget {
    QXMachineRec* machines;
    int32_t count;
    QXLayerRec* base_layer;
};

// A block-definition section: kind 1000 opens a block (a BLOCK item in
// dxf_BlockItemBuffer, its identifier registered), 1001 closes it (ENDBLK), every
// other record inside a bracket becomes an item of the block and records outside a
// bracket are ignored; a block still open at the end is closed. With build_drawing
// false only the tooling is marked. 0 or -1.
int32_t apply_block_section(DXFDrawingRec& drawing, std::span<const ElementBytes> records,
                            ElementLayout layout, bool build_drawing, const ToolingTarget* tooling);

// The part's elements: each record becomes an item of dxf_ItemBuffer. 0 or -1.
int32_t apply_element_section(DXFDrawingRec& drawing, std::span<const ElementBytes> records,
                              ElementLayout layout, bool build_drawing,
                              const ToolingTarget* tooling);

}

#endif
