// Speed of the DXF filter on the 10 MB benchmark drawing (ASCII), against ReadDXF of
// the same file:
//   NameChars          only name characters set: one streaming pass (after the read
//                      that every run makes);
//   RemoveDuplicates   name characters and duplicate removal: the same pass, with the
//                      duplicate marks built once;
//   Copy               no options: the read, the counting walk and two copies.
//   Splines            every SPLINE cut into chords;
//   Ellipses           the same drawing with 20,000 ELLIPSEs added, each cut into chords
//                      and refitted with arcs.
// Each benchmark runs once, after one read of the file that warms the allocator; the
// counter x_ReadDXF is the run's processor time over ReadDXF's.
//
//   FitArcs/N          one degree-1 SPLINE of N vertices on a smooth curve, refitted
//                      with arcs: arc fitting must grow with N, not with its square. The
//                      counter x_5000 of the larger runs is their time over that of 5,000.
//
//   dxf_filter_bench [benchmark flags]

#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
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
std::string g_curves; // the drawing with ELLIPSEs added
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

void BM_FilterSplines(benchmark::State& state)
{
    run_filter(state, {{DXFF_SplineFlags, 2}});
}

void BM_FilterEllipses(benchmark::State& state)
{
    const std::string input = g_input;
    g_input = g_curves;
    run_filter(state, {{DXFF_EllipseFlags, 2 | 4}});
    g_input = input;
}

std::string group(int code, const std::string& value)
{
    return std::to_string(code) + "\n" + value + "\n";
}

std::string real(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

// count points of a smooth spiral whose curvature changes slowly: runs of a few dozen
// points fit one arc.
std::string spiral_spline(int count)
{
    std::string text = group(0, "SECTION") + group(2, "ENTITIES") + group(0, "SPLINE") +
                       group(8, "0") + group(70, "8") + group(71, "1") +
                       group(72, std::to_string(count + 2)) + group(73, std::to_string(count));
    text += group(40, "0");
    for (int i = 0; i < count; ++i)
        text += group(40, std::to_string(i));
    text += group(40, std::to_string(count - 1));
    for (int i = 0; i < count; ++i) {
        const double angle = i * 0.01;
        const double radius = 100.0 + angle * 10.0;
        text += group(10, real(radius * std::cos(angle))) +
                group(20, real(radius * std::sin(angle))) + group(30, "0");
    }
    return text + group(0, "ENDSEC") + group(0, "EOF");
}

double g_fit_5000 = 0.0;

void BM_FitArcs(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const std::string input = g_folder + "/spiral.dxf";
    std::ofstream(input, std::ios::binary) << spiral_spline(count);
    static const double tolerance = 0.01;
    const TagItem tags[] = {{DXFF_SplineFlags, 4},
                            {DXFF_SplineTolerance, reinterpret_cast<uintptr_t>(&tolerance)},
                            {TagEnd, 0}};
    double seconds = 0.0;
    for (auto _ : state) {
        const double start = cpu_seconds();
        const int32_t result = FilterDXF(input.c_str(), g_output.c_str(), tags);
        seconds = cpu_seconds() - start;
        if (result != 0)
            state.SkipWithError(("FilterDXF returned " + std::to_string(result)).c_str());
    }
    if (count == 5000)
        g_fit_5000 = seconds;
    else if (g_fit_5000 > 0.0)
        state.counters["x_5000"] = seconds / g_fit_5000;
    std::remove(input.c_str());
}

// The benchmark drawing with ELLIPSEs added at the end of its ENTITIES section.
bool write_curves(const std::string& path)
{
    std::ifstream in(g_input, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t entities = text.find("ENTITIES");
    size_t end = text.find("ENDSEC", entities);
    if (entities == std::string::npos || end == std::string::npos)
        return false;
    end = text.rfind('\n', text.rfind('\n', end) - 1) + 1; // the start of its code line
    std::string ellipses;
    for (int i = 0; i < 20000; ++i) {
        const double x = (i % 200) * 50.0;
        const double y = (i / 200) * 50.0;
        ellipses += group(0, "ELLIPSE") + group(8, "0") + group(10, real(x)) + group(20, real(y)) +
                    group(30, "0") + group(11, real(20.0)) + group(21, real(5.0)) + group(31, "0") +
                    group(40, "0.4") + group(41, "0") + group(42, real(6.283185307179586));
    }
    text.insert(end, ellipses);
    std::ofstream(path, std::ios::binary) << text;
    return true;
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
    g_curves = g_folder + "/curves.dxf";
    if (!write_curves(g_curves)) {
        std::fprintf(stderr, "dxf_filter_bench: cannot add the ellipses\n");
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
                                     {"FilterDXF/Copy/10MB", BM_FilterCopy},
                                     {"FilterDXF/Splines/10MB", BM_FilterSplines},
                                     {"FilterDXF/Ellipses/10MB", BM_FilterEllipses}};
    for (const Registered& registered : benchmarks)
        benchmark::RegisterBenchmark(registered.name, registered.function)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FilterDXF/FitArcs", BM_FitArcs)
        ->Arg(5000)
        ->Arg(50000)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(g_input.c_str());
    std::remove(g_curves.c_str());
    std::remove(g_output.c_str());
    rmdir(g_folder.c_str());
    return 0;
}
