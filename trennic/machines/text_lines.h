// The text lines at the end of a part file: the current machine, each machine's
// readiness, nesting options and common-cut parameters, and the part's own common-cut
// parameters.
#ifndef TRENNIC_MACHINES_TEXT_LINES_H
#define TRENNIC_MACHINES_TEXT_LINES_H

#include <cstdint>
#include <span>

#include "machines/machine_table.h"
#include "trennic/machines.h"

namespace trennic {

// The longest line; a longer one goes on as the next line.
constexpr size_t kMaxTextLineLength = 510;

// Applies the lines of text (LF, CR or CR LF end a line) in order. Keys compare
// without regard to case; lines with another key, and machine lines without "=" or
// without the bar behind the name, change nothing. A line that names a machine the
// table lacks adds it first (six default layers). 0, or -1 when a machine cannot be
// added (the lines before it applied).
int32_t apply_text_lines(std::span<const uint8_t> text, MachineTable& machines,
                         QXCommonCutNestDataRec& common_cut);

}

#endif
