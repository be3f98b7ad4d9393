// Fuzz target of the DXF drawing reader (its memory entry point), with the items it
// made walked afterwards so that block references and placements are exercised too.
//
// External references in an input name files relative to the current directory: the
// target runs in an empty folder of its own, so they find nothing (or each other's
// names), and requesters answer at once instead of writing to standard error.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include "halvern/halvern.h"
#include "osmark/errors.h"
#include "osmark/testing.h"

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Arrayed INSERTs may place a block a billion times; the walk stops long before.
constexpr uint64_t kMostVisits = 100000;

int32_t visit(ItemRec*, ItemRec* item, void* user)
{
    uint64_t& visits = *static_cast<uint64_t*>(user);
    check(item->it_Header.ih_ItemType >= DXFItemBlock && item->it_Header.ih_ItemType <= DXFItemComposite);
    return ++visits < kMostVisits ? DXFStepContinue : DXFStepStop;
}

bool set_up()
{
    osmark_testing_script_requester(0);
    std::error_code error;
    const auto folder = std::filesystem::temp_directory_path(error) /
                        ("dxf_reader_fuzz_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder, error);
    if (!error && chdir(folder.c_str()) != 0)
        std::abort();
    return true;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = set_up();
    static_cast<void>(ready);
    if (size > (1u << 22))
        return 0;
    DXFDrawingRec drawing;
    NewDXFDrawing(&drawing);
    const int32_t result = ReadADXFFileMem(data, static_cast<uint32_t>(size), nullptr, &drawing, 1);
    check(result == 0 || result == IoErrNoMemory);
    uint64_t visited = 0;
    StepDXFDrawing(&drawing, DXFWalkAll, visit, &visited);
    FreeDXFDrawing(&drawing);
    return 0;
}
