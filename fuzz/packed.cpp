// Fuzz target of the packed drawing reader (its memory entry point).
//
// A file that reads is written again and read back: a second writing must give the
// same bytes as the first, since the format is byte-exact and the reader keeps
// everything that the writer stores.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "halvern/halvern.h"
#include "osmark/errors.h"

namespace {

std::vector<char> pack(DXFDrawingRec* drawing, const std::filesystem::path& path, int32_t& result)
{
    result = DXFCreatePackedFile(drawing, path.c_str());
    if (result != 0)
        return {};
    std::ifstream file(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 24))
        return 0;
    DXFDrawingRec drawing{};
    NewDXFDrawing(&drawing);
    const int32_t result = ReadAPackedDXFFileMem(data, static_cast<uint32_t>(size), &drawing);
    check(result == 0 || result == IoErrObjectInvalid || result == IoErrNoMemory);
    if (result == 0) {
        const auto path = std::filesystem::temp_directory_path() /
                          ("packed_fuzz_" + std::to_string(getpid()) + ".pak");
        int32_t written = 0;
        const std::vector<char> first = pack(&drawing, path, written);
        // A file may hold more than a drawing can be written with (more than 255
        // layer records, say); everything else must round-trip.
        check(written == 0 || written == IoErrObjectInvalid);
        if (written == 0) {
            DXFDrawingRec again{};
            NewDXFDrawing(&again);
            check(ReadAPackedDXFFileMem(first.data(), static_cast<uint32_t>(first.size()), &again) == 0);
            int32_t rewritten = 0;
            check(pack(&again, path, rewritten) == first && rewritten == 0);
            FreeDXFDrawing(&again);
        }
        std::filesystem::remove(path);
    }
    FreeDXFDrawing(&drawing);
    return 0;
}
