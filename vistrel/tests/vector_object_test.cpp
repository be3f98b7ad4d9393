// The drawing object: loading each kind of file, bounds and padding, layer and block
// lists, switching item types and layers, moving the drawing, and releasing the record.

#include "units/vector_object.h"

#include "drawing_files.h"
#include "part_file_writer.h"
#include "test_support/temp_folder.h"

#include "framework/classes.h"
#include "framework/sysutils.h"

#include "halvern/drawing.h"
#include "halvern/extents.h"
#include "trennic/geometry.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

using namespace vistrel;
using namespace drawing_files;
using test_support::TempFile;
using test_support::TempFolder;

namespace {

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

std::vector<std::string> names(const fw::TStrings* list)
{
    std::vector<std::string> result;
    for (int i = 0; i < list->Count(); ++i)
        result.push_back(list->Strings(i).toStdString());
    return result;
}

std::vector<std::string> block_names(const Tqxp_VectorObject& object)
{
    std::vector<std::string> result;
    for (int i = 0; i < object.BlockList()->Count(); ++i)
        result.push_back(static_cast<TDxfBlock*>(object.BlockList()->Items(i))->Name);
    return result;
}

const LayerDataRec* layer_named(const Tqxp_VectorObject& object, const char* name)
{
    const LayerTableRec& table = object.pInternal()->dxf_LayerTable;
    for (int32_t i = 0; i < table.lt_N; ++i)
        if (std::strcmp(table.lt_Layers[i]->ld_Name, name) == 0)
            return table.lt_Layers[i];
    return nullptr;
}

bool is_off(const Tqxp_VectorObject& object, const char* name)
{
    const LayerDataRec* layer = layer_named(object, name);
    return layer != nullptr && (layer->ld_Flags & DXFLayerOff) != 0;
}

void expect_window(const Rectangle2DRec& window, double x1, double y1, double x2, double y2)
{
    EXPECT_NEAR(window.min.x, x1, 1e-12);
    EXPECT_NEAR(window.min.y, y1, 1e-12);
    EXPECT_NEAR(window.max.x, x2, 1e-12);
    EXPECT_NEAR(window.max.y, y2, 1e-12);
}

// Layers "Walls" (marked off by its negative colour), "WALLS" and "Doors"; blocks whose
// names the viewer keeps to itself and two it lists.
std::string layered_drawing()
{
    Groups blocks;
    for (const char* name : {"QX_NEST_TOOLING", "DOOR", "QX_NEST_CLAMPS",
                             "A_QX_RMT_CREATED_SHEET_2", "qx_nest_tooling"}) {
        blocks = blocks + Groups{{0, "BLOCK"}, {8, "0"},  {2, name}, {70, "0"},
                                 {10, "0"},    {20, "0"}, {3, name}} +
                 line("0", 0, 0, 1, 1) + Groups{{0, "ENDBLK"}};
    }
    return dxf({
        section("TABLES", {{0, "TABLE"},
                           {2, "LAYER"},
                           {70, "3"},
                           {0, "LAYER"},
                           {2, "Walls"},
                           {70, "0"},
                           {62, "-3"},
                           {6, "CONTINUOUS"},
                           {0, "LAYER"},
                           {2, "WALLS"},
                           {70, "0"},
                           {62, "1"},
                           {6, "CONTINUOUS"},
                           {0, "LAYER"},
                           {2, "Doors"},
                           {70, "0"},
                           {62, "5"},
                           {6, "CONTINUOUS"},
                           {0, "ENDTAB"}}),
        section("BLOCKS", blocks),
        section("ENTITIES",
                line("Walls", 0, 0, 100, 50) + line("WALLS", 10, 10, 20, 20) +
                    line("Doors", 5, 5, 6, 6) +
                    Groups{{0, "INSERT"}, {8, "Doors"}, {2, "DOOR"}, {10, "30"}, {20, "5"}}),
    });
}

}

TEST(VectorObject, CreatedEmptyWithADrawingRecord)
{
    Tqxp_VectorObject object;
    EXPECT_TRUE(object.HasDrawing());
    EXPECT_EQ(object.pInternal(), &object.GeoStruct()->kz_Drawing);
    EXPECT_EQ(object.VectorType(), vtNone);
    EXPECT_EQ(object.FileUnits(), qxUnitsUnknown);
    EXPECT_FALSE(object.Loaded());
    EXPECT_TRUE(object.Rulers());
    EXPECT_TRUE(object.ShowText());
    EXPECT_FALSE(object.ZeroAxis());
    EXPECT_FALSE(object.Tooling());
    EXPECT_EQ(object.NumLayers(), 0);
    EXPECT_EQ(object.XML(), nullptr);
    EXPECT_EQ(object.PlyList(), nullptr);
}

// Extents leave points and texts out; the window grows by (extent + 1) / 100 at each
// end, so a drawing of one point still gets a window 0.02 wide.
TEST(VectorObject, BoundsAndPaddedWindow)
{
    const struct {
        const char* what;
        Groups entities;
        TFloatRect bounds;
    } cases[] = {
        {"one line", line("0", 0, 0, 100, 50), {0, 0, 100, 50}},
        {"all at one point", line("0", 3, 4, 3, 4) + line("0", 3, 4, 3, 4), {3, 4, 3, 4}},
        {"point and text far away",
         line("0", -10, -20, 10, 20) + Groups{{0, "POINT"},
                                              {8, "0"},
                                              {10, "1000"},
                                              {20, "1000"},
                                              {0, "TEXT"},
                                              {8, "0"},
                                              {10, "-500"},
                                              {20, "-500"},
                                              {40, "2.5"},
                                              {1, "Far"}},
         {-10, -20, 10, 20}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFile file("drawing.dxf", dxf({section("ENTITIES", c.entities)}));
        Tqxp_VectorObject object;
        ASSERT_TRUE(object.Load_Dxf(q(file.path())));
        EXPECT_EQ(object.VectorType(), vtDxf);
        EXPECT_EQ(object.FileUnits(), qxUnitsUnknown);
        EXPECT_TRUE(object.Loaded());
        const TFloatRect& b = object.Bounds();
        EXPECT_DOUBLE_EQ(b.x1, c.bounds.x1);
        EXPECT_DOUBLE_EQ(b.y1, c.bounds.y1);
        EXPECT_DOUBLE_EQ(b.x2, c.bounds.x2);
        EXPECT_DOUBLE_EQ(b.y2, c.bounds.y2);
        EXPECT_DOUBLE_EQ(object.Width(), b.x2 - b.x1);
        EXPECT_DOUBLE_EQ(object.Height(), b.y2 - b.y1);
        const double dx = (b.x2 - b.x1 + 1) * 0.01;
        const double dy = (b.y2 - b.y1 + 1) * 0.01;
        expect_window(object.pInternal()->dxf_DrwgSize, b.x1 - dx, b.y1 - dy, b.x2 + dx, b.y2 + dy);
        // Texts are shown again, points stay hidden.
        EXPECT_EQ(object.pInternal()->dxf_ItemFlags[DXFItemText], 0u);
        EXPECT_EQ(object.pInternal()->dxf_ItemFlags[DXFItemPoint], DXF_ITEM_TYPE_HIDDEN);
    }
}

TEST(VectorObject, TextsStayHiddenWhenTheObjectDoesNotShowThem)
{
    TempFile file("drawing.dxf", dxf({section("ENTITIES", line("0", 0, 0, 1, 1))}));
    Tqxp_VectorObject object;
    object.SetShowText(false);
    ASSERT_TRUE(object.Load_Dxf(q(file.path())));
    EXPECT_EQ(object.pInternal()->dxf_ItemFlags[DXFItemText], DXF_ITEM_TYPE_HIDDEN);
}

TEST(VectorObject, LayersAreListedAndAllSwitchedOn)
{
    TempFile file("layers.dxf", layered_drawing());
    Tqxp_VectorObject object;
    ASSERT_TRUE(object.Load_Dxf(q(file.path())));
    const std::vector<std::string> layers = names(object.Layers());
    ASSERT_GE(layers.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(layers.begin(), layers.begin() + 3),
              (std::vector<std::string>{"Walls", "WALLS", "Doors"}));
    EXPECT_EQ(object.NumLayers(), object.pInternal()->dxf_LayerTable.lt_N - 1);
    // The file marks "Walls" off; the viewer shows it.
    EXPECT_FALSE(is_off(object, "Walls"));

    // Namesakes in another case switch together; the default layer 0 never does.
    object.Set_DxfDisplayedLayer("wALLs", false);
    EXPECT_TRUE(is_off(object, "Walls"));
    EXPECT_TRUE(is_off(object, "WALLS"));
    EXPECT_FALSE(is_off(object, "Doors"));
    object.Set_DxfDisplayedLayer("", false);
    EXPECT_EQ(object.pInternal()->dxf_LayerTable.lt_Layers[0]->ld_Flags & DXFLayerOff, 0u);
    object.Set_DxfDisplayedLayer("WALLS", true);
    EXPECT_FALSE(is_off(object, "Walls"));
    EXPECT_FALSE(is_off(object, "WALLS"));
}

TEST(VectorObject, BlocksOfTheNestAndTheSheetAreNotListed)
{
    TempFile file("layers.dxf", layered_drawing());
    Tqxp_VectorObject object;
    ASSERT_TRUE(object.Load_Dxf(q(file.path())));
    // The test of the names is case-sensitive.
    EXPECT_EQ(block_names(object), (std::vector<std::string>{"DOOR", "qx_nest_tooling"}));
}

TEST(VectorObject, OnlyItemTypesOneToTwentyEightAreSwitched)
{
    Tqxp_VectorObject object;
    DXFDrawingRec* drawing = object.pInternal();
    std::array<uint32_t, DXF_ITEM_TYPE_SLOTS> before;
    std::copy(std::begin(drawing->dxf_ItemFlags), std::end(drawing->dxf_ItemFlags), before.begin());
    for (uint32_t type : {0u, 29u, 30u, 0xFFFFFFFFu}) {
        object.Set_DxfDisplayedItems(type, false);
        EXPECT_TRUE(std::equal(before.begin(), before.end(), std::begin(drawing->dxf_ItemFlags)))
            << type;
    }
    for (uint32_t type : {1u, 28u}) {
        object.Set_DxfDisplayedItems(type, false);
        EXPECT_EQ(drawing->dxf_ItemFlags[type], DXF_ITEM_TYPE_HIDDEN) << type;
        object.Set_DxfDisplayedItems(type, true);
        EXPECT_EQ(drawing->dxf_ItemFlags[type], 0u) << type;
    }
}

// Insertions move with the drawing; the block definitions they place stay.
TEST(VectorObject, TranslateMovesTopLevelItemsOnly)
{
    TempFile file("layers.dxf", layered_drawing());
    Tqxp_VectorObject object;
    ASSERT_TRUE(object.Load_Dxf(q(file.path())));
    const TFloatRect bounds = object.Bounds();
    DXFDrawingRec* drawing = object.pInternal();
    CalcDXFDrawingSize(drawing);
    const Rectangle2DRec extents = drawing->dxf_DrwgSize;
    const ItemBufferRec& block_items = drawing->dxf_BlockItemBuffer;
    std::vector<double> block_coordinates;
    for (int32_t i = 0; i < block_items.ib_N; ++i)
        if (block_items.ib_Items[i]->it_Header.ih_ItemType == DXFItemLine)
            block_coordinates.push_back(block_items.ib_Items[i]->it_Line.ln_End.x);

    object.Dxf_TranslateTo(-50, 7);
    CalcDXFDrawingSize(drawing);
    expect_window(drawing->dxf_DrwgSize, extents.min.x - 50, extents.min.y + 7, extents.max.x - 50,
                  extents.max.y + 7);
    std::vector<double> after;
    for (int32_t i = 0; i < block_items.ib_N; ++i)
        if (block_items.ib_Items[i]->it_Header.ih_ItemType == DXFItemLine)
            after.push_back(block_items.ib_Items[i]->it_Line.ln_End.x);
    EXPECT_EQ(after, block_coordinates);
    // The bounds found at loading stay.
    EXPECT_DOUBLE_EQ(object.Bounds().x1, bounds.x1);
}

TEST(VectorObject, PartFileLoadsInMillimetres)
{
    kzv::Part part;
    part.material.name = "AlMg3";
    part.elements = {kzv::line(0, 0, 200, 0), kzv::line(200, 0, 200, 100),
                     kzv::text(10, 500, 0, 8, "FAR AWAY")};
    const std::vector<uint8_t> bytes = kzv::write_part(part);
    TempFile file("PART.KZV", std::string(bytes.begin(), bytes.end()));
    Tqxp_VectorObject object;
    ASSERT_TRUE(object.Load_Component(q(file.path())));
    EXPECT_EQ(object.VectorType(), vtComponent);
    EXPECT_EQ(object.FileUnits(), qxMM);
    EXPECT_STREQ(object.GeoStruct()->kz_MaterialName, "AlMg3");
    EXPECT_DOUBLE_EQ(object.Bounds().x2, 200);
    EXPECT_DOUBLE_EQ(object.Bounds().y2, 100);
    EXPECT_EQ(object.NumLayers(), object.pInternal()->dxf_LayerTable.lt_N - 1);
}

// Whatever a failed read left in the record (the IGES reader keeps the pool it made
// for a file it then refuses) is released before the next load; the sanitizer's leak
// check shows a record that is set up afresh over it.
TEST(VectorObject, FailedLoadsReportFalseAndLeaveNothingBehind)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string good =
        folder.write("good.dxf", dxf({section("ENTITIES", line("A", 0, 0, 4, 2))}));
    std::vector<uint8_t> part_bytes = kzv::write_part(kzv::Part{});
    part_bytes.resize(part_bytes.size() / 2);
    const std::string cut_part =
        folder.write("cut.KZV", std::string(part_bytes.begin(), part_bytes.end()));
    const std::string missing = folder.path("missing.dxf");

    Tqxp_VectorObject object;
    EXPECT_FALSE(object.Load_Iges(q(good)));
    EXPECT_FALSE(object.Loaded());
    EXPECT_FALSE(object.Load_Component(q(cut_part)));
    EXPECT_FALSE(object.Load_Dxf(q(missing)));
    EXPECT_FALSE(object.Load_Iges(q(good)));
    EXPECT_FALSE(object.Load_Bitmap(q(good)));
    EXPECT_FALSE(object.Loaded());
    ASSERT_TRUE(object.Load_Dxf(q(good)));
    EXPECT_EQ(names(object.Layers()).front(), "A");

    // After a success a failed load keeps Loaded as it was; the next load starts afresh.
    EXPECT_FALSE(object.Load_Iges(q(good)));
    EXPECT_TRUE(object.Loaded());
    EXPECT_EQ(object.VectorType(), vtNone);
    EXPECT_EQ(object.NumLayers(), 0);
    EXPECT_FALSE(object.Load_Component(q(cut_part)));
    ASSERT_TRUE(object.Load_Dxf(q(good)));
    EXPECT_FALSE(object.Load_Iges(q(good)));
}

TEST(VectorObject, NothingLoadsThroughAReleasedRecord)
{
    TempFile file("drawing.dxf", dxf({section("ENTITIES", line("0", 0, 0, 1, 1))}));
    Tqxp_VectorObject object;
    ASSERT_TRUE(object.Load_Dxf(q(file.path())));
    object.ClearGeoStruct();
    EXPECT_FALSE(object.HasDrawing());
    EXPECT_EQ(object.GeoStruct(), nullptr);
    EXPECT_FALSE(object.Load_Dxf(q(file.path())));
    EXPECT_FALSE(object.Load_Component(q(file.path())));
    EXPECT_FALSE(object.Load_Iges(q(file.path())));
    // The rest does nothing without a record.
    object.Set_DxfDisplayedItems(4, true);
    object.Set_DxfDisplayedLayer("0", false);
    object.Set_CustomDrawingColors();
    object.Dxf_GetBounds();
    object.PadDrawing();
    object.AdjustImageBounds(0);
    object.Dxf_TranslateTo(1, 1);
    object.Dxf_ScaleTo(2);
    object.BuildLayerList();
    object.BuildBlockList();
    object.Clear(true);
    EXPECT_FALSE(object.HasDrawing());
}

TEST(VectorObject, FileNameKeepsTheNamePart)
{
    Tqxp_VectorObject object;
    object.Set_FileName(QStringLiteral("/some/folder/Part 7.dxf"));
    EXPECT_EQ(object.FileName().toStdString(), "Part 7.dxf");
}

// ---- DWG files through the converter ---------------------------------------------------

namespace {

// A program folder with a converter script of that name that runs the commands.
class ConverterFolder {
public:
    ConverterFolder(const std::string& name, const std::string& commands)
    {
        m_script = m_folder.write(name, "#!/bin/sh\n"
                                        "printf '%s|' \"$@\" > \"$(dirname \"$0\")/args.txt\"\n" +
                                            commands);
        chmod(m_script.c_str(), 0755);
        test::SetConverterFolder(q(m_folder.path()));
    }
    ~ConverterFolder() { test::SetConverterFolder(QString()); }

    std::string path(const std::string& relative) const { return m_folder.path(relative); }
    std::string arguments() const
    {
        std::ifstream in(m_folder.path("args.txt"));
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    TempFolder m_folder;
    std::string m_script;
};

QString converted_file()
{
    QString folder;
    Tqxp_VectorObject::VectorTempDir(folder);
    return folder + QStringLiteral("Tmp.Dxf");
}

}

TEST(VectorObjectDwg, TheConverterGetsInAndOutAndItsFileIsLoaded)
{
    for (const char* name : {"DWG_DXF.EXE", "DWG_DXF"}) {
        SCOPED_TRACE(name);
        TempFolder data;
        const std::string dwg = data.write("in put.dwg", "not really a DWG");
        const std::string drawing =
            data.write("drawing.dxf", dxf({section("ENTITIES", line("Converted", 1, 2, 11, 22))}));
        ConverterFolder converter(name, "cp '" + drawing + "' \"$2\"\n");

        Tqxp_VectorObject object;
        ASSERT_TRUE(object.Load_Dwg(q(dwg)));
        EXPECT_EQ(converter.arguments(), dwg + "|" + converted_file().toStdString() + "|");
        EXPECT_EQ(object.VectorType(), vtDxf);
        EXPECT_DOUBLE_EQ(object.Bounds().x2, 11);
        EXPECT_EQ(names(object.Layers()).front(), "Converted");
    }
}

TEST(VectorObjectDwg, NoNewConversionKeepsTheDrawingLoadedBefore)
{
    TempFolder data;
    const std::string dwg = data.write("part.dwg", "not really a DWG");
    const std::string before =
        data.write("before.dxf", dxf({section("ENTITIES", line("Before", 0, 0, 5, 5))}));
    const std::string stale =
        data.write("stale.dxf", dxf({section("ENTITIES", line("Stale", 0, 0, 9, 9))}));

    // A converter that writes nothing, no converter at all, and an old conversion that
    // cannot be removed (it would otherwise be loaded as this file's).
    for (int variant = 0; variant < 3; ++variant) {
        SCOPED_TRACE(variant);
        std::unique_ptr<ConverterFolder> converter;
        if (variant == 0)
            converter = std::make_unique<ConverterFolder>("DWG_DXF.EXE", "exit 3\n");
        if (variant == 1)
            converter = std::make_unique<ConverterFolder>("OTHER.EXE", "exit 0\n");
        if (variant == 2) {
            converter = std::make_unique<ConverterFolder>("DWG_DXF.EXE", "exit 0\n");
            const std::string old_conversion = fw::PathToUtf8(converted_file());
            ASSERT_EQ(std::system(("cp '" + stale + "' '" + old_conversion + "'").c_str()), 0);
            ASSERT_EQ(chmod(old_conversion.c_str(), 0444), 0);
        }
        Tqxp_VectorObject object;
        ASSERT_TRUE(object.Load_Dxf(q(before)));
        EXPECT_FALSE(object.Load_Dwg(q(dwg)));
        EXPECT_EQ(object.VectorType(), vtDxf);
        EXPECT_EQ(names(object.Layers()).front(), "Before");
        EXPECT_DOUBLE_EQ(object.Bounds().x2, 5);
        if (variant == 2) {
            const std::string old_conversion = fw::PathToUtf8(converted_file());
            chmod(old_conversion.c_str(), 0644);
            std::remove(old_conversion.c_str());
        }
    }
}

TEST(VectorObjectDwg, AMissingFileClearsTheObject)
{
    TempFolder data;
    const std::string before =
        data.write("before.dxf", dxf({section("ENTITIES", line("Before", 0, 0, 5, 5))}));
    ConverterFolder converter("DWG_DXF.EXE", "touch \"$2\"\n");
    Tqxp_VectorObject object;
    ASSERT_TRUE(object.Load_Dxf(q(before)));
    EXPECT_FALSE(object.Load_Dwg(q(data.path("missing.dwg"))));
    EXPECT_EQ(object.VectorType(), vtNone);
    EXPECT_EQ(object.NumLayers(), 0);
    EXPECT_EQ(converter.arguments(), ""); // not run
}
