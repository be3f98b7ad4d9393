// The drawing object's drawing into bitmaps: thumbnails, the drawing with its overlays
// and rulers.

#include "units/vector_object.h"

#include "drawing_files.h"
#include "picture_file_writers.h"
#include "test_support/temp_folder.h"

#include "framework/graphics.h"
#include "units/bitmap_utils.h"

#include "halvern/drawing.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace vistrel;
using namespace drawing_files;
using test_support::TempFile;

namespace {

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

uint32_t pixel(fw::TBitmap& bitmap, int x, int y)
{
    return static_cast<const uint32_t*>(bitmap.ScanLine(y))[x] & 0xFFFFFF;
}

std::map<uint32_t, int> colours(fw::TBitmap& bitmap, const fw::TRect& area)
{
    std::map<uint32_t, int> found;
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x)
            ++found[pixel(bitmap, x, y)];
    return found;
}

// A square outline 0..100 on layer "Outline", a text, a point, and a diagonal on each
// of two layers called "Construction" in two cases.
std::string thumbnail_drawing()
{
    return dxf(
        {section("ENTITIES", line("Outline", 0, 0, 100, 0) + line("Outline", 100, 0, 100, 100) +
                                 line("Outline", 100, 100, 0, 100) + line("Outline", 0, 100, 0, 0) +
                                 line("Construction", 10, 10, 90, 90) +
                                 line("CONSTRUCTION", 10, 90, 90, 10) +
                                 Groups{{0, "TEXT"},
                                        {8, "Outline"},
                                        {10, "40"},
                                        {20, "40"},
                                        {40, "20"},
                                        {1, "XX"},
                                        {0, "POINT"},
                                        {8, "Outline"},
                                        {10, "70"},
                                        {20, "70"}})});
}

}

TEST(VectorDrawing, ThumbnailOfAnEmptyObjectIsTheBackground)
{
    Tqxp_VectorObject object;
    std::unique_ptr<fw::TBitmap> bitmap = NewBitmap32(64, 64);
    EXPECT_TRUE(
        object.Draw_ToThumbnail(bitmap->Canvas(), fw::Rect(0, 0, 64, 64), 0x808080, 0x123456));
    EXPECT_EQ(colours(*bitmap, fw::Rect(0, 0, 64, 64)),
              (std::map<uint32_t, int>{{0x563412, 64 * 64}}));
    EXPECT_FALSE(object.Draw_ToThumbnail(nullptr, fw::Rect(0, 0, 64, 64), 0, 0));
}

// The thumbnail holds the drawing in the pen colour on the background, nothing else:
// no texts, no points, nothing of the layers called "Construction".
TEST(VectorDrawing, ThumbnailIsMonochromeWithoutConstruction)
{
    TempFile file("square.dxf", thumbnail_drawing());
    Tqxp_VectorObject object;
    ASSERT_TRUE(object.Load_Dxf(q(file.path())));
    object.Set_DxfDisplayedItems(DXFItemPoint, true);
    std::unique_ptr<fw::TBitmap> bitmap = NewBitmap32(64, 64);
    ASSERT_TRUE(
        object.Draw_ToThumbnail(bitmap->Canvas(), fw::Rect(0, 0, 64, 64), 0x808080, 0xFFFFFF));

    const std::map<uint32_t, int> found = colours(*bitmap, fw::Rect(0, 0, 64, 64));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_GT(found.at(0x808080), 4 * 50); // the outline
    EXPECT_GT(found.at(0xFFFFFF), 0);
    // The diagonals would cross in the middle; the text would lie left of it.
    EXPECT_EQ(colours(*bitmap, fw::Rect(20, 20, 44, 44)),
              (std::map<uint32_t, int>{{0xFFFFFF, 24 * 24}}));
    // Points are shown again afterwards, texts stay hidden.
    EXPECT_EQ(object.pInternal()->dxf_ItemFlags[DXFItemPoint], 0u);
    EXPECT_EQ(object.pInternal()->dxf_ItemFlags[DXFItemText], DXF_ITEM_TYPE_HIDDEN);
}

TEST(VectorDrawing, DrawToRefusesWithoutCanvasOrDrawing)
{
    TempFile file("square.dxf", thumbnail_drawing());
    Tqxp_VectorObject object;
    ASSERT_TRUE(object.Load_Dxf(q(file.path())));
    std::unique_ptr<fw::TBitmap> bitmap = NewBitmap32(200, 150);
    EXPECT_FALSE(object.Draw_To(nullptr, fw::Rect(40, 0, 200, 133)));
    EXPECT_FALSE(object.Draw_To(static_cast<fw::TBitmap*>(nullptr)));
    EXPECT_TRUE(object.Draw_To(bitmap.get()));
    object.ClearGeoStruct();
    EXPECT_FALSE(object.Draw_To(bitmap->Canvas(), fw::Rect(40, 0, 200, 133)));
    EXPECT_FALSE(object.Draw_To(bitmap.get()));
    EXPECT_FALSE(object.Draw_ToThumbnail(bitmap->Canvas(), fw::Rect(0, 0, 64, 64), 0, 0));
}

// The drawing, then the overlays: the rulers' bands below and left of the drawing area,
// the zero axes, point marks and reposition marks.
TEST(VectorDrawing, DrawToDrawsTheDrawingAndItsOverlays)
{
    TempFile file("square.dxf", thumbnail_drawing());
    Tqxp_VectorObject object;
    ASSERT_TRUE(object.Load_Dxf(q(file.path())));
    // The drawing around the origin, so that the zero axes cross it.
    object.Dxf_TranslateTo(-50, -50);
    object.Dxf_GetBounds();
    int rendered = 0;
    object.OnAfterRender = [&](fw::TObject* sender) {
        EXPECT_EQ(sender, &object);
        ++rendered;
    };
    const fw::TRect area = fw::Rect(40, 0, 240, 183); // 40 free on the left, 17 below
    std::unique_ptr<fw::TBitmap> plain = NewBitmap32(240, 200);
    ASSERT_TRUE(object.Draw_To(plain->Canvas(), area));
    EXPECT_EQ(rendered, 1);

    // Ruler bands: the bottom one from the area's left edge, the left one in the margin.
    EXPECT_EQ(pixel(*plain, 120, area.Bottom + 14), 0xB5C1D7u);
    EXPECT_EQ(pixel(*plain, 20, 100), 0xB5C1D7u);
    const std::map<uint32_t, int> bottom_band = colours(*plain, fw::Rect(40, 184, 240, 200));
    EXPECT_GT(bottom_band.count(0x000000), 0u); // ticks and labels
    EXPECT_GT(bottom_band.count(0xFFFFFF), 0u); // tick shadows
    EXPECT_GT(colours(*plain, fw::Rect(0, 0, 40, 183)).count(0x000000), 0u);
    // Without overlays switched on there are no axes, point marks or repositions.
    const std::map<uint32_t, int> drawing = colours(*plain, area);
    EXPECT_EQ(drawing.count(0xFF8F20), 0u);
    EXPECT_EQ(drawing.count(0xFF0000), 0u);
    EXPECT_EQ(drawing.count(0xFF8080), 0u);

    object.SetZeroAxis(true);
    object.Set_DxfDisplayedItems(DXFItemPoint, true);
    fw::TList repositions;
    TRepositionRec entry{0, 0, 25};
    repositions.Add(&entry);
    object.SetRepositions(&repositions);
    object.SetRulers(false);
    std::unique_ptr<fw::TBitmap> overlays = NewBitmap32(240, 200);
    ASSERT_TRUE(object.Draw_To(overlays->Canvas(), area));
    const std::map<uint32_t, int> with_overlays = colours(*overlays, fw::Rect(0, 0, 240, 200));
    EXPECT_GT(with_overlays.count(0xFF8F20), 0u); // zero axes
    EXPECT_EQ(with_overlays.count(0xFF0000), 1u); // the point's red square
    EXPECT_EQ(with_overlays.at(0xFF0000), 9);
    EXPECT_GT(with_overlays.count(0xFF8080), 0u); // the reposition mark
    EXPECT_EQ(with_overlays.count(0xB5C1D7), 0u); // no rulers
}

// An axis exactly on an edge of the rectangle is not drawn; one inside it is.
TEST(VectorDrawing, ZeroAxisOnTheEdgeOfTheAreaIsNotDrawn)
{
    TempFile file("square.dxf", thumbnail_drawing());
    Tqxp_VectorObject object;
    ASSERT_TRUE(object.Load_Dxf(q(file.path())));
    object.Dxf_TranslateTo(-50, -50);
    object.Dxf_GetBounds();
    object.SetRulers(false);
    object.SetZeroAxis(true);
    std::unique_ptr<fw::TBitmap> setup = NewBitmap32(240, 200);
    ASSERT_TRUE(object.Draw_To(setup->Canvas(), fw::Rect(40, 0, 240, 183)));
    double ox = 0;
    double oy = 0;
    DXFDrawingToViewPort(object.pInternal(), &ox, &oy);
    const int x = static_cast<int>(ox);
    const int y = static_cast<int>(oy);

    const struct {
        const char* what;
        fw::TRect area;
        bool horizontal, vertical;
    } cases[] = {
        {"both inside", fw::Rect(x - 20, y - 20, x + 20, y + 20), true, true},
        {"on the top edge", fw::Rect(x - 20, y, x + 20, y + 20), false, true},
        {"on the bottom edge", fw::Rect(x - 20, y - 20, x + 20, y), false, true},
        {"on the left edge", fw::Rect(x, y - 20, x + 20, y + 20), true, false},
        {"on the right edge", fw::Rect(x - 20, y - 20, x, y + 20), true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<fw::TBitmap> bitmap = NewBitmap32(240, 200);
        object.Draw_ZeroAxis(bitmap->Canvas(), c.area);
        EXPECT_EQ(pixel(*bitmap, x + 10 < c.area.Right ? x + 10 : x - 10, y) == 0xFF8F20,
                  c.horizontal);
        EXPECT_EQ(pixel(*bitmap, x, y + 10 < c.area.Bottom ? y + 10 : y - 10) == 0xFF8F20,
                  c.vertical);
    }
}

TEST(VectorDrawing, APictureObjectDrawsItsPictureFitted)
{
    const picture_files::Picture picture{2, 1, {0xFF0000, 0x0000FF}};
    TempFile file("picture.BMP", picture_files::bmp_file(picture, {}));
    Tqxp_VectorObject object;
    ASSERT_TRUE(object.Load_Bitmap(q(file.path())));
    EXPECT_EQ(object.VectorType(), vtBitmap);
    EXPECT_TRUE(object.Loaded());
    std::unique_ptr<fw::TBitmap> bitmap = NewBitmap32(40, 40);
    ASSERT_TRUE(object.Draw_To(bitmap->Canvas(), fw::Rect(0, 0, 40, 40)));
    // 40 x 20, centred: red on the left, blue on the right, nothing drawn above.
    EXPECT_EQ(pixel(*bitmap, 5, 20), 0xFF0000u);
    EXPECT_EQ(pixel(*bitmap, 35, 20), 0x0000FFu);
    EXPECT_EQ(pixel(*bitmap, 20, 2), 0u);

    // Only picture files by their extension, and only files that exist.
    TempFile other("picture.dxf", picture_files::bmp_file(picture, {}));
    EXPECT_FALSE(object.Load_Bitmap(q(other.path())));
    EXPECT_EQ(object.VectorType(), vtNone);
    EXPECT_FALSE(object.Load_Bitmap(q(file.path() + ".png")));
}
