// The rest of a stream as bytes, for the picture decoders.
#ifndef FRAMEWORK_GRAPHICS_STREAM_BYTES_H
#define FRAMEWORK_GRAPHICS_STREAM_BYTES_H

#include "framework/classes.h"

#include <cstdint>
#include <vector>

namespace fw::graphics {

// Reads from the stream's position to its end. Raises EInvalidGraphic for a stream
// larger than any picture file can be, and the stream's own errors.
std::vector<uint8_t> ReadRemainingBytes(TStream* stream);

}

#endif
