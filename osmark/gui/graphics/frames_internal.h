// Between the frame catalogue and the frame-file reader: the command compiler.
#ifndef OSMARK_GUI_GRAPHICS_FRAMES_INTERNAL_H
#define OSMARK_GUI_GRAPHICS_FRAMES_INTERNAL_H

#include "osmark/files.h"
#include "osmark/frames.h"

#include <vector>

namespace osmark::graphics {

// Record sizes and operand offsets of the compiled commands.
enum FrameOpcode : uint8_t {
    OpPenUp = 1,
    OpPenDown = 2,
    OpPixel = 3,
    OpMove = 4,
    OpArc = 5,
    OpAPen = 6,
    OpBPen = 7,
    OpDrawMode = 8,
    OpLinePattern = 9,
    OpRect = 10,
    OpPolygon = 11,
    OpRoundRect = 12,
    OpDitherRect = 13,
    OpMaskStart = 14,
    OpMaskEnd = 15,
    OpPenWidth = 16
};

// Appends the record of one command line (its first two characters name it); false,
// appending nothing, for a line that is no command.
bool parse_frame_command(const char* line, std::vector<uint8_t>& records);
// The records as one program (AllocVec) closed by an end record; NULL when short of
// memory.
uint8_t* compile_frame_program(const std::vector<uint8_t>& records);
// A frame from the lines of a frame file (LoadFrame without the opening); NULL as there.
Frame* read_frame_file(FileHandle* file);
// Frees a loaded frame with everything it owns.
void free_loaded_frame(Frame* frame);

}

#endif
