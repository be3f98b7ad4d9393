// Rendering speed of a large drawing against the time it takes to read it.
//
// The drawing comes from the DXF generator (bench/dxf_generator.h), ASCII, written once
// into a temporary folder that is removed at the end. Benchmarks:
//   ReadDXF          reading it into a new drawing (the yardstick);
//   Render/view      DrawDXFDrawing of the whole drawing into a 1920 by 1080 memory DC,
//                    as the viewer draws its view;
//   Render/thumbnail the same into 64 by 64 pixels with the viewer's thumbnail settings
//                    (monochrome, texts and points hidden);
//   Pick             PickDXF of a 5 by 5 pixel box in the middle of the full view, the
//                    marks cleared after each;
//   Array/...        a one-item block in an array of 32767 by 32767 cells: its extents,
//                    its full view and a pick in it.
// The window drawn is the drawing's extents padded by a hundredth of their size plus
// one unit, as the viewer pads them after loading.
//
//   render_bench [benchmark flags] [--dxf_size=100]   (size in MB)

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include <unistd.h>

#include "../platform/tests/memory_surface.h"
#include "dxf_generator.h"
#include "halvern/drawing.h"
#include "halvern/dxf_reader.h"
#include "halvern/extents.h"
#include "halvern/items.h"
#include "halvern/tables.h"
#include "halvern/pick.h"
#include "halvern/render.h"
#include "platform/gdi.h"

namespace {

constexpr double kMegabyte = 1024.0 * 1024.0;

std::string g_folder;
std::string g_path;
dxf_bench::DxfContents g_contents;

bool write_input(uint64_t megabytes, std::string& error)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tarvek-render-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        error = "cannot make a temporary folder";
        return false;
    }
    g_folder = pattern;
    g_path = g_folder + "/drawing.dxf";
    return dxf_bench::write_dxf_file(g_path, dxf_bench::DxfForm::Ascii,
                                     static_cast<uint64_t>(megabytes * kMegabyte), g_contents, error);
}

void remove_input()
{
    if (!g_path.empty())
        std::remove(g_path.c_str());
    if (!g_folder.empty())
        rmdir(g_folder.c_str());
}

// The viewer's view port of a surface: right and bottom edges inclusive.
RectangleRec view_port(const gdi_test::MemorySurface& surface)
{
    return RectangleRec{0, 0, surface.width() - 1, surface.height() - 1};
}

// The read drawing at full view, or NULL with a message.
class LoadedDrawing {
public:
    LoadedDrawing()
    {
        NewDXFDrawing(&m_drawing);
        m_ok = ReadDXF(g_path.c_str(), &m_drawing) == 0;
        if (!m_ok)
            return;
        CalcDXFDrawingSize(&m_drawing);
        Rectangle2DRec& window = m_drawing.dxf_DrwgSize;
        const double pad_x = (window.max.x - window.min.x + 1.0) / 100.0;
        const double pad_y = (window.max.y - window.min.y + 1.0) / 100.0;
        window.min.x -= pad_x;
        window.max.x += pad_x;
        window.min.y -= pad_y;
        window.max.y += pad_y;
    }
    ~LoadedDrawing() { FreeDXFDrawing(&m_drawing); }
    LoadedDrawing(const LoadedDrawing&) = delete;
    LoadedDrawing& operator=(const LoadedDrawing&) = delete;
    bool ok() const { return m_ok; }
    DXFDrawingRec& get() { return m_drawing; }

private:
    DXFDrawingRec m_drawing{};
    bool m_ok = false;
};

void BM_ReadDXF(benchmark::State& state)
{
    for (auto _ : state) {
        DXFDrawingRec drawing{};
        NewDXFDrawing(&drawing);
        const int32_t result = ReadDXF(g_path.c_str(), &drawing);
        FreeDXFDrawing(&drawing);
        if (result != 0) {
            state.SkipWithError("ReadDXF failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(g_contents.bytes));
}

enum class Target { View, Thumbnail };

void BM_Render(benchmark::State& state, Target target)
{
    LoadedDrawing loaded;
    if (!loaded.ok()) {
        state.SkipWithError("ReadDXF failed");
        return;
    }
    DXFDrawingRec& drawing = loaded.get();
    const bool thumbnail = target == Target::Thumbnail;
    gdi_test::MemorySurface surface(thumbnail ? 64 : 1920, thumbnail ? 64 : 1080);
    if (thumbnail) {
        drawing.dxf_Flags |= DXFDrawMonochrome;
        drawing.dxf_ItemFlags[DXFItemText] |= DXF_ITEM_TYPE_HIDDEN;
        drawing.dxf_ItemFlags[DXFItemPoint] |= DXF_ITEM_TYPE_HIDDEN;
    }
    RectangleRec view = view_port(surface);
    for (auto _ : state) {
        DrawDXFDrawing(surface.dc(), &drawing, &view, nullptr, nullptr, 0.0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * drawing.dxf_ItemBuffer.ib_N);
    state.counters["items"] = drawing.dxf_ItemBuffer.ib_N;
}

void BM_Pick(benchmark::State& state)
{
    LoadedDrawing loaded;
    if (!loaded.ok()) {
        state.SkipWithError("ReadDXF failed");
        return;
    }
    DXFDrawingRec& drawing = loaded.get();
    gdi_test::MemorySurface surface(1920, 1080);
    RectangleRec view = view_port(surface);
    // The pick maps the point through the view the last draw left.
    DrawDXFDrawing(surface.dc(), &drawing, &view, nullptr, nullptr, 0.0);
    int64_t marked = 0;
    for (auto _ : state) {
        PickDXF(surface.dc(), &drawing, 960, 540, 5, 5);
        marked += ClearDXFPick(&drawing);
    }
    state.counters["picks_with_marks"] = static_cast<double>(marked);
}

// A drawing of one INSERT: a block of one short line in 32767 columns and rows, at its
// full view (its extents, padded).
class ArrayDrawing {
public:
    ArrayDrawing()
    {
        NewDXFDrawing(&m_drawing);
        m_drawing.dxf_Pool = CreatePool(0x4000, 0x4000);
        ItemRec* block = CreateItem(DXFItemBlock, 0, 0, 0, 0, m_drawing.dxf_Pool);
        ItemRec* line = CreateItem(DXFItemLine, 0, 0, 0, 0, m_drawing.dxf_Pool);
        line->it_Line.ln_End = Point3DRec{0.5, 0.25, 0.0};
        ItemRec* end = CreateItem(DXFItemEndBlock, 0, 0, 0, 0, m_drawing.dxf_Pool);
        for (ItemRec* item : {block, line, end})
            AddItem(&m_drawing, &m_drawing.dxf_BlockItemBuffer, item);
        AddBlockIdentifier(&m_drawing.dxf_BlockIdentifierBuffer, "DOT", 0, 0);
        ItemRec* insert = CreateItem(DXFItemInsert, 0, 0, 0, 0, m_drawing.dxf_Pool);
        InsertRec& array = insert->it_Insert;
        IsBlockKnown(&m_drawing.dxf_BlockIdentifierBuffer, "DOT", &array.in_BlockName, &array.in_BlockIndex);
        array.in_ArrayKind = 1;
        array.in_Scale = Point3DRec{1.0, 1.0, 1.0};
        array.in_Extrusion = Point3DRec{0.0, 0.0, 1.0};
        array.in_RowAngle = 1.5707963267948966;
        array.in_Columns = 32767;
        array.in_Rows = 32767;
        array.in_ColumnSpacing = 1.0;
        array.in_RowSpacing = 1.0;
        AddItem(&m_drawing, &m_drawing.dxf_ItemBuffer, insert);
        CalcDXFDrawingSize(&m_drawing);
    }
    ~ArrayDrawing() { FreeDXFDrawing(&m_drawing); }
    ArrayDrawing(const ArrayDrawing&) = delete;
    ArrayDrawing& operator=(const ArrayDrawing&) = delete;
    DXFDrawingRec& get() { return m_drawing; }

private:
    DXFDrawingRec m_drawing{};
};

enum class ArrayTask { Extents, View, Pick };

void BM_Array(benchmark::State& state, ArrayTask task)
{
    ArrayDrawing array;
    DXFDrawingRec& drawing = array.get();
    gdi_test::MemorySurface surface(1920, 1080);
    RectangleRec view = view_port(surface);
    const Rectangle2DRec window = drawing.dxf_DrwgSize;
    DrawDXFDrawing(surface.dc(), &drawing, &view, nullptr, nullptr, 0.0);
    for (auto _ : state) {
        switch (task) {
        case ArrayTask::Extents:
            CalcDXFDrawingSize(&drawing);
            break;
        case ArrayTask::View:
            drawing.dxf_DrwgSize = window;
            DrawDXFDrawing(surface.dc(), &drawing, &view, nullptr, nullptr, 0.0);
            break;
        case ArrayTask::Pick:
            PickDXF(surface.dc(), &drawing, 960, 540, 5, 5);
            ClearDXFPick(&drawing);
            break;
        }
        benchmark::ClobberMemory();
    }
    state.counters["width"] = window.max.x - window.min.x;
}

uint64_t take_size(int& argc, char** argv)
{
    uint64_t size = 100;
    constexpr std::string_view kFlag = "--dxf_size=";
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.substr(0, kFlag.size()) != kFlag)
            continue;
        const unsigned long long value = std::strtoull(argv[i] + kFlag.size(), nullptr, 10);
        if (value > 0 && value <= 4096)
            size = value;
        for (int j = i; j + 1 < argc; ++j)
            argv[j] = argv[j + 1];
        --argc;
        --i;
    }
    return size;
}

}

int main(int argc, char** argv)
{
    const uint64_t size = take_size(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::string error;
    if (!write_input(size, error)) {
        std::fprintf(stderr, "render_bench: %s\n", error.c_str());
        remove_input();
        return 1;
    }
    const std::string suffix = "/" + std::to_string(size) + "MB";
    benchmark::RegisterBenchmark(("ReadDXF" + suffix).c_str(), BM_ReadDXF)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("Render/view" + suffix).c_str(), BM_Render, Target::View)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("Render/thumbnail" + suffix).c_str(), BM_Render, Target::Thumbnail)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("Pick" + suffix).c_str(), BM_Pick)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Array/extents", BM_Array, ArrayTask::Extents)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Array/view", BM_Array, ArrayTask::View)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Array/pick", BM_Array, ArrayTask::Pick)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    remove_input();
    return 0;
}
