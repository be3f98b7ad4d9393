// A generator of large DXF drawings for the reader's benchmarks: a realistic mix of
// sections, tables, blocks and entities, written as ASCII or binary DXF, the same
// bytes for the same arguments on every run.
//
// The drawing holds a HEADER section with booleans (which the reader skips), LTYPE and
// LAYER tables, a few block definitions (one inserting another), an ENTITIES section of
// lines, arcs, circles, bulged LWPOLYLINEs, POLYLINE/VERTEX runs, TEXTs, INSERTs of the
// blocks and SPLINEs, some with true colours, lineweights and proxy graphics chunks,
// laid out sheet by sheet until the file reaches the asked size, and an OBJECTS section.
// Binary files are written with the value widths of R13 and later.
#ifndef TARVEK_BENCH_DXF_GENERATOR_H
#define TARVEK_BENCH_DXF_GENERATOR_H

#include <cstdint>
#include <string>

namespace dxf_bench {

enum class DxfForm {
    Ascii,
    Binary16,  // binary, two-byte group codes
    Binary8    // binary, one-byte group codes
};

// What a generated file holds, for checking a reader's result.
struct DxfContents {
    uint64_t bytes = 0;          // size of the file
    uint64_t entities = 0;       // entities of the ENTITIES section (one item each)
    uint64_t block_members = 0;  // entities inside block definitions
    uint32_t blocks = 0;         // block definitions
};

// Writes the drawing to path: the entities stop once target_bytes are reached (or, with
// an entity limit, once the ENTITIES section holds that many: the same drawing in any
// form), and the closing groups follow, so the file ends a few hundred bytes beyond.
// false, with a message in error, when the file cannot be written.
bool write_dxf_file(const std::string& path, DxfForm form, uint64_t target_bytes,
                    DxfContents& contents, std::string& error, uint64_t entity_limit = 0);

// The same drawing in memory.
std::string make_dxf(DxfForm form, uint64_t target_bytes, DxfContents& contents,
                     uint64_t entity_limit = 0);

// "ascii", "binary" (two-byte codes) or "binary8"; false for any other name.
bool parse_dxf_form(const std::string& name, DxfForm& form);
const char* dxf_form_name(DxfForm form);

}

#endif
