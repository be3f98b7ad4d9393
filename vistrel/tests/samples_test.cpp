// The viewer's sample drawings open with the project's readers, each with what it was
// made to show.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>

#include "halvern/drawing.h"
#include "halvern/dxf_reader.h"
#include "halvern/extents.h"
#include "halvern/iges.h"
#include "osmark/memory.h"
#include "trennic/geometry.h"

namespace {

namespace fs = std::filesystem;

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

struct Loaded {
    int32_t result = -1;
    int32_t items = 0;
    int32_t largest_array = 1; // placements of the largest INSERT array
    Rectangle2DRec extents{};
};

void measure(DXFDrawingRec& drawing, Loaded& loaded)
{
    loaded.items = drawing.dxf_ItemBuffer.ib_N;
    for (int32_t index = 0; index < drawing.dxf_ItemBuffer.ib_N; ++index) {
        const ItemRec* item = drawing.dxf_ItemBuffer.ib_Items[index];
        if (item->it_Header.ih_ItemType == DXFItemInsert && item->it_Insert.in_ArrayKind == 1)
            loaded.largest_array = std::max(loaded.largest_array,
                                            item->it_Insert.in_Rows * item->it_Insert.in_Columns);
    }
    CalcDXFDrawingSize(&drawing);
    loaded.extents = drawing.dxf_DrwgSize;
}

Loaded load(const fs::path& path)
{
    Loaded loaded;
    const std::string extension = upper(path.extension().string());
    if (extension == ".KZV") {
        QXGeometryRec geometry;
        QX_NewGeometry(&geometry);
        loaded.result = QX_LoadGeometry(path.c_str(), &geometry);
        measure(geometry.kz_Drawing, loaded);
        QX_FreeGeometry(&geometry);
        return loaded;
    }
    DXFDrawingRec drawing{};
    NewDXFDrawing(&drawing);
    drawing.dxf_Pool = CreatePool(8192, 4096);
    loaded.result = extension == ".IGS" ? ReadIGES(path.c_str(), &drawing)
                                        : ReadDXFNoWarnings(path.c_str(), &drawing);
    measure(drawing, loaded);
    FreeDXFDrawing(&drawing);
    return loaded;
}

TEST(Samples, EveryDrawingOpensWithWhatItShows)
{
    // The least number of top-level items of the samples made by make_samples; part
    // files from make_kzv need only open.
    const std::map<std::string, int32_t> least_items{
        {"bracket_r12.dxf", 12},  {"bracket_minimal.dxf", 12},
        {"bracket_2004.dxf", 12}, {"panel_blocks_array.dxf", 5},
        {"sheets_2000.dxf", 200}, {"sheets_2000_binary.dxf", 200},
        {"flange.igs", 11},
    };
    int drawings = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(TARVEK_SAMPLES_DIR)) {
        const std::string extension = upper(entry.path().extension().string());
        if (extension != ".DXF" && extension != ".IGS" && extension != ".KZV")
            continue;
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        ++drawings;
        const Loaded loaded = load(entry.path());
        EXPECT_EQ(loaded.result, 0);
        EXPECT_GT(loaded.items, 0);
        EXPECT_LT(loaded.extents.min.x, loaded.extents.max.x);
        EXPECT_LT(loaded.extents.min.y, loaded.extents.max.y);
        if (const auto least = least_items.find(name); least != least_items.end()) {
            EXPECT_GE(loaded.items, least->second);
        }
        if (name == "panel_blocks_array.dxf") {
            EXPECT_EQ(loaded.largest_array, 18);
        }
    }
    EXPECT_GE(drawings, 18);
}

}
