// Speed of the DXF filter on the 10 MB benchmark drawing (ASCII), against ReadDXF of
// the same file:
//   NameChars          only name characters set: one streaming pass (after the read
//                      that every run makes);
//   RemoveDuplicates   name characters and duplicate removal: the same pass, with the
//                      duplicate marks built once;
//   Copy               no options: the read, the counting walk and two copies.
// Each benchmark runs once, after one read of the file that warms the allocator; the
// counter x_ReadDXF is the run's processor time over ReadDXF's.
//
//   dxf_filter_bench [benchmark flags]

#include <benchmark/benchmark.h>

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "dxf_generator.h"
#include "halvern/drawing.h"
#include "halvern/dxf_reader.h"
#include "halvern/filter.h"
#include "osmark/variables.h"

namespace {

constexpr uint64_t kMegabytes = 10;

std::string g_folder;
std::string g_input;
std::string g_output;
double g_read_seconds = 0.0;

// Processor time of the process: the runs are single-threaded, and a busy machine
// changes their wall time far more than their processor time.
double cpu_seconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

void BM_ReadDXF(benchmark::State& state)
{
    for (auto _ : state) {
        const double start = cpu_seconds();
        DXFDrawingRec drawing{};
        NewDXFDrawing(&drawing);
        const int32_t result = ReadDXF(g_input.c_str(), &drawing);
        FreeDXFDrawing(&drawing);
        g_read_seconds = cpu_seconds() - start;
        if (result != 0)
            state.SkipWithError("ReadDXF failed");
    }
}

void run_filter(benchmark::State& state, std::vector<TagItem> tags)
{
    tags.push_back(TagItem{TagEnd, 0});
    double seconds = 0.0;
    for (auto _ : state) {
        const double start = cpu_seconds();
        const int32_t result = FilterDXF(g_input.c_str(), g_output.c_str(), tags.data());
        seconds = cpu_seconds() - start;
        if (result != 0)
            state.SkipWithError(("FilterDXF returned " + std::to_string(result)).c_str());
    }
    if (g_read_seconds > 0.0)
        state.counters["x_ReadDXF"] = seconds / g_read_seconds;
}

const char kFrom[] = "AB";
const char kTo[] = "_";

void BM_FilterNameChars(benchmark::State& state)
{
    run_filter(state, {{DXFF_NameCharsFrom, reinterpret_cast<uintptr_t>(kFrom)},
                       {DXFF_NameCharsTo, reinterpret_cast<uintptr_t>(kTo)}});
}

void BM_FilterRemoveDuplicates(benchmark::State& state)
{
    run_filter(state, {{DXFF_NameCharsFrom, reinterpret_cast<uintptr_t>(kFrom)},
                       {DXFF_NameCharsTo, reinterpret_cast<uintptr_t>(kTo)},
                       {DXFF_RemoveDuplicates, 1}});
}

void BM_FilterCopy(benchmark::State& state)
{
    run_filter(state, {});
}

}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tarvek-filter-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::fprintf(stderr, "dxf_filter_bench: cannot make a temporary folder\n");
        return 1;
    }
    g_folder = pattern;
    g_input = g_folder + "/drawing.dxf";
    g_output = g_folder + "/filtered.dxf";
    // The filter's own temporary files go into the same folder.
    SetVar("TMP", g_folder.c_str(), -1, 0);
    dxf_bench::DxfContents contents;
    std::string error;
    if (!dxf_bench::write_dxf_file(g_input, dxf_bench::DxfForm::Ascii, kMegabytes * 1024 * 1024,
                                   contents, error)) {
        std::fprintf(stderr, "dxf_filter_bench: %s\n", error.c_str());
        return 1;
    }
    // The first read of a process pays for fresh memory pages; no benchmark should.
    DXFDrawingRec warm{};
    NewDXFDrawing(&warm);
    ReadDXF(g_input.c_str(), &warm);
    FreeDXFDrawing(&warm);
    struct Registered {
        const char* name;
        void (*function)(benchmark::State&);
    };
    const Registered benchmarks[] = {{"ReadDXF/ascii/10MB", BM_ReadDXF},
                                     {"FilterDXF/NameChars/10MB", BM_FilterNameChars},
                                     {"FilterDXF/RemoveDuplicates/10MB", BM_FilterRemoveDuplicates},
                                     {"FilterDXF/Copy/10MB", BM_FilterCopy}};
    for (const Registered& registered : benchmarks)
        benchmark::RegisterBenchmark(registered.name, registered.function)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(g_input.c_str());
    std::remove(g_output.c_str());
    rmdir(g_folder.c_str());
    return 0;
}
