// The IGES reader over an open stream, so that an image in memory can be read as well
// as a file (the fuzz target and the tests use it with memory-backed handles).
#ifndef HALVERN_MODEL_IGES_READER_H
#define HALVERN_MODEL_IGES_READER_H

#include <cstdint>

#include "halvern/drawing.h"
#include "halvern/iges.h"
#include "osmark/files.h"

namespace halvern {

// ReadIGESFull after the file is open: reads the stream from its start (it must be
// able to Seek back) and returns what ReadIGESFull returns. The stream stays open.
int32_t ReadIGESStream(FileHandle* stream, DXFDrawingRec* drawing, int32_t units,
                                            int32_t topLevel, IGESEntityCallback callback,
                                            void* user) noexcept;

}

#endif
