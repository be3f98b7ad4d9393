// Fuzz target of the frame-file reader: any bytes read as a frame file; a frame that
// loads is drawn in every state, hit-tested and freed with the catalogue's own road.

#include "gui/graphics/frames_internal.h"
#include "osmark/bitmaps.h"

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
    Frame* frame = osmark::graphics::read_frame_file(&stream);
    if (frame == nullptr)
        return 0;
    BitMap* bitmap = AllocBitMap(24, 16, nullptr);
    RastPort* rp = AllocBitMapRastPort(bitmap);
    const SizeBox box{2, 2, 20, 12};
    for (uint32_t state = 0; state < 8; ++state)
        DrawFrame(rp, &box, frame, state, 0x100F | (state << 13));
    FreeBitMapRastPort(rp);
    FreeBitMap(bitmap);
    // The fuzzed frame takes an id of its own, so no built-in frame is replaced.
    frame->fr_ID = 0xF0F0F0F0u;
    if (AddFrame(frame) != 0) {
        PointInFrame(5, 5, &box, frame->fr_ID, 0, 0);
        RemoveFrame(frame->fr_ID);
    } else {
        osmark::graphics::free_loaded_frame(frame);
    }
    return 0;
}
