// Fuzz target of the geometry data file: any bytes read as a geometry data file into
// a drawing, which is then written to the null device and freed.

#include "osmark/files.h"
#include "osmark/geometry_file.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    // The stream may write a byte back into its buffer: give it a copy.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    FileHandle stream{};
    stream.fh_Flags = FileFlagRead | FileFlagMemory;
    stream.fh_Buffer = reinterpret_cast<uint8_t*>(bytes.data());
    stream.fh_Position = stream.fh_Buffer;
    stream.fh_Count = static_cast<int32_t>(size);
    stream.fh_BufferSize = static_cast<int32_t>(size);
    stream.fh_Seek = [](uintptr_t, int32_t, int32_t) -> int32_t { return -1; };

    ProfileDrawing* drawing = ProfileDrawingCreate();
    ProfileDrawingRead(&stream, drawing);
    FileHandle* nil = Open("NIL:", FileModeWrite);
    ProfileDrawingWrite(nil, drawing);
    Close(nil);
    ProfileDrawingDelete(drawing);
    return 0;
}
