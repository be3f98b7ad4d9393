// Fuzz target of the BMP reader: any bytes read as a BMP picture; what loads is saved to
// the null device and freed.

#include "osmark/bitmaps.h"
#include "osmark/files.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    FileHandle stream{};
    stream.fh_Flags = FileFlagRead | FileFlagMemory;
    stream.fh_Buffer = reinterpret_cast<uint8_t*>(bytes.data());
    stream.fh_Position = stream.fh_Buffer;
    stream.fh_Count = static_cast<int32_t>(size);
    stream.fh_BufferSize = static_cast<int32_t>(size);
    stream.fh_Seek = [](uintptr_t, int32_t, int32_t) -> int32_t { return -1; };
    BitMap* bitmap = __LoadBitMapFromFile(&stream);
    if (bitmap != nullptr) {
        FileHandle* nil = Open("NIL:", FileModeWrite);
        __SaveBitMapToFile(nil, bitmap);
        Close(nil);
        FreeBitMap(bitmap);
    }
    return 0;
}
