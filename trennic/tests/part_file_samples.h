// A set of part files that shows what the format holds, in every layout the reader
// knows: the viewer's samples, the fuzz seeds and a regression set of the tests.
#ifndef TRENNIC_TESTS_PART_FILE_SAMPLES_H
#define TRENNIC_TESTS_PART_FILE_SAMPLES_H

#include <string>
#include <vector>

#include "part_file_writer.h"

namespace kzv {

struct NamedPart {
    std::string file_name; // "<what>_v<major>_<minor>.KZV"
    Part part;
};

// A plate with a hole, slots, a label and two machines, written in the given version.
Part plate(Version version);
// Blocks placed singly, in a rectangular and in a circular array.
Part blocks_part();

std::vector<NamedPart> sample_parts();

}

#endif
