// Listing a folder of 200 drawings into the catalogue: every drawing read and its
// thumbnail drawn, on one thread, on two and four, and on one thread per core, in one run.
//
// The folder is written once into a temporary folder and removed at the end: drawings
// from the generator (bench/dxf_generator.h) of 40 to 400 KB in ASCII and in both binary
// forms, with copies of the samples' IGES file and part files (with their reports) among
// them. Counters: the files listed, the threads, and the files per second.
//
//   catalogue_bench [benchmark flags]

#include <benchmark/benchmark.h>

#include <QtWidgets/QApplication>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

#include <unistd.h>

#include "dxf_generator.h"
#include "units/vector_catalogue.h"

namespace {

namespace fs = std::filesystem;
using dxf_bench::DxfForm;
using vistrel::catalogue::TVectorManager;

constexpr int kDrawings = 200;

fs::path g_folder;

// The folder's drawings, in a mix of kinds and sizes; false when they cannot be written.
bool write_folder(std::string& error)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                          "/tarvek-catalogue-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        error = "cannot make a temporary folder";
        return false;
    }
    g_folder = pattern;
    const fs::path samples(TARVEK_SAMPLES_DIR);
    const DxfForm forms[] = {DxfForm::Ascii, DxfForm::Binary16, DxfForm::Binary8};
    for (int k = 0; k < kDrawings; ++k) {
        const std::string number = std::to_string(1000 + k);
        std::error_code failed;
        switch (k % 10) {
        case 7:
            fs::copy_file(samples / "flange.igs", g_folder / ("F" + number + ".igs"), failed);
            break;
        case 8:
        case 9: {
            const std::string part = k % 10 == 8 ? "BRACKET(B)" : "HINGE(2)";
            const std::string name = "P" + number + (k % 10 == 8 ? "(B)" : "(2)");
            fs::copy_file(samples / (part + ".KZV"), g_folder / (name + ".KZV"), failed);
            if (!failed)
                fs::copy_file(samples / (part + ".gr"), g_folder / (name + ".gr"), failed);
            break;
        }
        default: {
            dxf_bench::DxfContents contents;
            const uint64_t bytes = 40'000 + static_cast<uint64_t>(k % 7) * 60'000;
            if (!dxf_bench::write_dxf_file((g_folder / ("D" + number + ".dxf")).string(),
                                           forms[k % 3], bytes, contents, error))
                return false;
            break;
        }
        }
        if (failed) {
            error = failed.message();
            return false;
        }
    }
    return true;
}

void BM_ListFolder(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    const QString path = QString::fromStdString(g_folder.string());
    TVectorManager catalogue;
    for (auto _ : state) {
        catalogue.GetFiles(path, nullptr, threads);
        benchmark::DoNotOptimize(catalogue.FileCount());
    }
    if (catalogue.FileCount() != kDrawings)
        state.SkipWithError("the folder did not list every drawing");
    state.counters["files"] = catalogue.FileCount();
    state.counters["threads"] =
        threads > 0 ? threads : static_cast<int>(std::thread::hardware_concurrency());
    state.counters["files_per_s"] = benchmark::Counter(static_cast<double>(catalogue.FileCount()) *
                                                           static_cast<double>(state.iterations()),
                                                       benchmark::Counter::kIsRate);
}
// 1: one thread; 2 and 4 to show how it scales; 0: one thread per core.
BENCHMARK(BM_ListFolder)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

}

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    std::setlocale(LC_ALL, "C");
    benchmark::Initialize(&argc, argv);
    std::string error;
    const bool written = write_folder(error);
    if (written)
        benchmark::RunSpecifiedBenchmarks();
    else
        std::fprintf(stderr, "catalogue_bench: %s\n", error.c_str());
    benchmark::Shutdown();
    if (!g_folder.empty()) {
        std::error_code ignored;
        fs::remove_all(g_folder, ignored);
    }
    return written ? 0 : 1;
}
