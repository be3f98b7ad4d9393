// Fuzz target of the DXF filter: the input is written as a file and filtered under
// four fixed tag lists: the first pass with all its parts (a delete rule, name
// characters, a rename rule, duplicate removal), the modify pass, snapping and scaling;
// every geometry conversion; and text joining, the contour edits and the INSERT
// explosions; and the flattening of INSERTs.
//
// The run works in an empty folder of its own, which is also its temporary folder: it
// must leave nothing there but its input and output, and must answer 0 or a negative
// code (the tags set no progress function).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "halvern/halvern.h"
#include "osmark/testing.h"
#include "osmark/variables.h"

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

std::filesystem::path g_folder;

bool set_up()
{
    osmark_testing_script_requester(0);
    std::error_code error;
    g_folder = std::filesystem::temp_directory_path(error) /
               ("dxf_filter_fuzz_" + std::to_string(getpid()));
    std::filesystem::create_directories(g_folder / "tmp", error);
    if (error || chdir(g_folder.c_str()) != 0)
        std::abort();
    SetVar("TMP", (g_folder / "tmp").c_str(), -1, 0);
    return true;
}

bool temporary_folder_empty()
{
    std::error_code error;
    return std::filesystem::is_empty(g_folder / "tmp", error);
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = set_up();
    static_cast<void>(ready);
    if (size > (1u << 20))
        return 0;
    const std::string input = (g_folder / "in.dxf").string();
    const std::string output = (g_folder / "out.dxf").string();
    FILE* file = std::fopen(input.c_str(), "wb");
    check(file != nullptr);
    check(size == 0 || std::fwrite(data, 1, size, file) == size);
    std::fclose(file);

    static const DXFDeleteRule remove{DXFItemLine, "x1 > 5.0 & layer = \"0\""};
    static const DXFModifyRule modify{DXFF_ANY_TYPE, "in_contour | 1", "layer = \"moved\""};
    static const DXFRenameRule rename{"a", "renamed"};
    static const double snap = 0.5;
    static const double scale = 2.0;
    static const double coarse = 0.5;
    const TagItem first[] = {{DXFF_Delete, reinterpret_cast<uintptr_t>(&remove)},
                             {DXFF_Modify, reinterpret_cast<uintptr_t>(&modify)},
                             {DXFF_RenameBlock, reinterpret_cast<uintptr_t>(&rename)},
                             {DXFF_NameCharsFrom, reinterpret_cast<uintptr_t>("b\\x41")},
                             {DXFF_NameCharsTo, reinterpret_cast<uintptr_t>("_")},
                             {DXFF_RemoveDuplicates, 1},
                             {DXFF_Snap, reinterpret_cast<uintptr_t>(&snap)},
                             {DXFF_Scale, reinterpret_cast<uintptr_t>(&scale)},
                             {TagEnd, 0}};
    // Splines fitted and written as polylines, which the polyline pass then cuts into
    // lines and chords; ellipses fitted; arcs into chords; lines into points.
    const TagItem conversions[] = {{DXFF_SplineFlags, 4 | 8},
                                   {DXFF_SplineTolerance, reinterpret_cast<uintptr_t>(&coarse)},
                                   {DXFF_EllipseFlags, 2 | 4},
                                   {DXFF_PolylineFlags, 2 | 8 | 0x80000000u},
                                   {DXFF_ArcFlags, 2},
                                   {DXFF_LineFlags, 1},
                                   {TagEnd, 0}};
    const TagItem edits[] = {{DXFF_JoinTexts, 1},
                             {DXFF_JoinSeparator, reinterpret_cast<uintptr_t>(" ")},
                             {DXFF_JoinSpacing, reinterpret_cast<uintptr_t>(&scale)},
                             {DXFF_OpenContours, 1},
                             {DXFF_ClosedContours, 1},
                             {DXFF_KeepTexts, 1},
                             {DXFF_ClosedAsPolyline, 1},
                             {DXFF_OpenFlattenArcs, 1},
                             {DXFF_OpenSimplify, 1},
                             {DXFF_ClosedFitArcs, 1},
                             {DXFF_ClosedFillet, 1},
                             {DXFF_OpenFillet, 1},
                             {DXFF_OpenFilletLimit, reinterpret_cast<uintptr_t>(&scale)},
                             {DXFF_OpenMinLength, 1},
                             {DXFF_OpenMinLengthValue, reinterpret_cast<uintptr_t>(&coarse)},
                             {DXFF_ExplodeNestedInserts, 1},
                             {DXFF_ExplodeInserts, 1},
                             {TagEnd, 0}};
    const TagItem flatten[] = {{DXFF_FlattenInserts, 1}, {TagEnd, 0}};
    for (const TagItem* tags : {first, conversions, edits, flatten}) {
        const int32_t result = FilterDXF(input.c_str(), output.c_str(), tags);
        check(result <= 0);
        check(temporary_folder_empty());
    }
    std::remove(output.c_str());
    return 0;
}
