// Reading speed of large DXF drawings, ASCII and binary, and the extents of the largest.
// The binary files hold the same drawing as the ASCII file of their size (the same
// entities, in fewer bytes), so that their times compare directly.
//
// The drawings come from the generator (bench/dxf_generator.h) and are written once,
// when a benchmark first needs them, into a temporary folder that is removed at the
// end. Each iteration reads the file into a new drawing and frees it. Counters: bytes
// per second, the items read, and the peak resident memory of the process while the
// benchmark ran (VmHWM, reset before each benchmark where the kernel allows it).
//
//   dxf_read_bench [benchmark flags] [--dxf_sizes=10,100]

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "dxf_generator.h"
#include "halvern/drawing.h"
#include "halvern/dxf_reader.h"
#include "halvern/extents.h"

namespace {

using dxf_bench::DxfForm;

constexpr double kMegabyte = 1024.0 * 1024.0;

struct DrawingFile {
    DxfForm form;
    uint64_t megabytes;
    std::string path;  // empty until written
    dxf_bench::DxfContents contents;
    // The ASCII file whose entities a binary file holds too (the same drawing, fewer
    // bytes), NULL for the ASCII file itself.
    DrawingFile* same_drawing_as = nullptr;
};

std::string g_folder;
std::vector<std::unique_ptr<DrawingFile>> g_inputs;

bool make_folder()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tarvek-dxf-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        return false;
    g_folder = pattern;
    return true;
}

void remove_folder()
{
    for (const auto& input : g_inputs) {
        if (!input->path.empty())
            std::remove(input->path.c_str());
    }
    if (!g_folder.empty())
        rmdir(g_folder.c_str());
}

// Writes the input's file on first use; false (with the reason in error) when it
// cannot be written.
bool ensure_written(DrawingFile& input, std::string& error)
{
    if (!input.path.empty())
        return true;
    uint64_t entity_limit = 0;
    if (input.same_drawing_as != nullptr) {
        if (!ensure_written(*input.same_drawing_as, error))
            return false;
        entity_limit = input.same_drawing_as->contents.entities;
    }
    const std::string path = g_folder + "/drawing-" + std::to_string(input.megabytes) + "mb-" +
                             dxf_bench::dxf_form_name(input.form) + ".dxf";
    if (!dxf_bench::write_dxf_file(path, input.form, static_cast<uint64_t>(input.megabytes * kMegabyte),
                                   input.contents, error, entity_limit))
        return false;
    input.path = path;
    return true;
}

// VmHWM of /proc/self/status in bytes; 0 when it cannot be read.
double peak_resident_bytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) * 1024.0;
    }
    return 0.0;
}

// Sets the peak back to the current resident size, so that each benchmark reports
// its own peak.
void reset_peak_resident()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

void BM_ReadDXF(benchmark::State& state, DrawingFile* input)
{
    std::string error;
    if (!ensure_written(*input, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    reset_peak_resident();
    int32_t items = 0;
    for (auto _ : state) {
        DXFDrawingRec drawing{};
        NewDXFDrawing(&drawing);
        const int32_t result = ReadDXF(input->path.c_str(), &drawing);
        items = drawing.dxf_ItemBuffer.ib_N;
        FreeDXFDrawing(&drawing);
        if (result != 0) {
            state.SkipWithError(("ReadDXF returned " + std::to_string(result)).c_str());
            return;
        }
        if (static_cast<uint64_t>(items) != input->contents.entities) {
            state.SkipWithError(("read " + std::to_string(items) + " items of " +
                                 std::to_string(input->contents.entities))
                                    .c_str());
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(input->contents.bytes));
    state.counters["items"] = items;
    state.counters["file_MB"] = static_cast<double>(input->contents.bytes) / kMegabyte;
    state.counters["peak_rss_MB"] = peak_resident_bytes() / kMegabyte;
}

// The extents of the largest ASCII drawing, INSERTs expanded.
void BM_CalcDXFDrawingSize(benchmark::State& state, DrawingFile* input)
{
    std::string error;
    if (!ensure_written(*input, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    DXFDrawingRec drawing{};
    NewDXFDrawing(&drawing);
    if (ReadDXF(input->path.c_str(), &drawing) != 0) {
        FreeDXFDrawing(&drawing);
        state.SkipWithError("ReadDXF failed");
        return;
    }
    for (auto _ : state) {
        CalcDXFDrawingSize(&drawing);
        benchmark::DoNotOptimize(drawing.dxf_DrwgSize);
    }
    state.SetItemsProcessed(state.iterations() * drawing.dxf_ItemBuffer.ib_N);
    state.counters["width"] = drawing.dxf_DrwgSize.max.x - drawing.dxf_DrwgSize.min.x;
    state.counters["height"] = drawing.dxf_DrwgSize.max.y - drawing.dxf_DrwgSize.min.y;
    FreeDXFDrawing(&drawing);
}

// --dxf_sizes=a,b,...: sizes in MB; the flag is taken out of the arguments.
std::vector<uint64_t> take_sizes(int& argc, char** argv)
{
    std::vector<uint64_t> sizes{10, 100};
    constexpr std::string_view kFlag = "--dxf_sizes=";
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.substr(0, kFlag.size()) != kFlag)
            continue;
        sizes.clear();
        std::string list(argument.substr(kFlag.size()));
        for (char* token = std::strtok(list.data(), ","); token != nullptr; token = std::strtok(nullptr, ",")) {
            const unsigned long long size = std::strtoull(token, nullptr, 10);
            if (size > 0 && size <= 4096)
                sizes.push_back(size);
        }
        for (int j = i; j + 1 < argc; ++j)
            argv[j] = argv[j + 1];
        --argc;
        --i;
    }
    return sizes;
}

}

int main(int argc, char** argv)
{
    const std::vector<uint64_t> sizes = take_sizes(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!make_folder()) {
        std::fprintf(stderr, "dxf_read_bench: cannot make a temporary folder\n");
        return 1;
    }
    DrawingFile* largest_ascii = nullptr;
    for (const uint64_t size : sizes) {
        DrawingFile* ascii = nullptr;
        for (const DxfForm form : {DxfForm::Ascii, DxfForm::Binary16, DxfForm::Binary8}) {
            g_inputs.push_back(std::make_unique<DrawingFile>(DrawingFile{form, size, {}, {}, ascii}));
            DrawingFile* input = g_inputs.back().get();
            if (form == DxfForm::Ascii)
                ascii = input;
            const std::string name = std::string("ReadDXF/") + dxf_bench::dxf_form_name(form) + "/" +
                                     std::to_string(size) + "MB";
            benchmark::RegisterBenchmark(name.c_str(), BM_ReadDXF, input)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
            if (form == DxfForm::Ascii && (largest_ascii == nullptr || size > largest_ascii->megabytes))
                largest_ascii = input;
        }
    }
    if (largest_ascii != nullptr) {
        const std::string name = "CalcDXFDrawingSize/" + std::to_string(largest_ascii->megabytes) + "MB";
        benchmark::RegisterBenchmark(name.c_str(), BM_CalcDXFDrawingSize, largest_ascii)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    remove_folder();
    return 0;
}
