// GDI objects and device contexts: stock objects, creation, selection and deletion
// rules, DIB sections, regions, DCs over a caller's pixels and the recording DC.

#include "gdi_test_support.h"

#include "platform/kernel.h"

#include <climits>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

namespace {

using gdi_test::MemorySurface;
using gdi_test::recording_log;

BITMAPINFO dib_info(LONG width, LONG height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// ---- Device contexts -----------------------------------------------------------------

TEST(DeviceContexts, StartWithWin32Defaults)
{
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
    EXPECT_NE(GetCurrentObject(dc, OBJ_BITMAP), nullptr);
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(GetROP2(dc), R2_COPYPEN);
    EXPECT_EQ(GetTextAlign(dc), static_cast<UINT>(TA_TOP | TA_LEFT | TA_NOUPDATECP));
    POINT position{-1, -1};
    EXPECT_TRUE(GetCurrentPositionEx(dc, &position));
    EXPECT_EQ(position.x, 0);
    EXPECT_EQ(position.y, 0);
    EXPECT_TRUE(LineTo(dc, 5, 5)) << "the 1-by-1 default bitmap takes drawing and shows none";
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
    EXPECT_TRUE(DeleteDC(dc));
}

TEST(DeviceContexts, AttributesReturnTheirPreviousValues)
{
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SetTextColor(dc, RGB(1, 2, 3)), RGB(0, 0, 0));
    EXPECT_EQ(SetTextColor(dc, RGB(4, 5, 6)), RGB(1, 2, 3));
    EXPECT_EQ(SetBkColor(dc, RGB(7, 8, 9)), RGB(255, 255, 255));
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(dc, 3), 0) << "unknown mode";
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    EXPECT_EQ(SetTextAlign(dc, TA_BASELINE | TA_CENTER | TA_UPDATECP), 0u);
    EXPECT_EQ(GetTextAlign(dc), static_cast<UINT>(TA_BASELINE | TA_CENTER | TA_UPDATECP));
    EXPECT_EQ(SetTextAlign(dc, 0x8000), GDI_ERROR);
    POINT old{};
    MoveToEx(dc, 3, 4, nullptr);
    EXPECT_TRUE(MoveToEx(dc, 7, 8, &old));
    EXPECT_EQ(old.x, 3);
    EXPECT_EQ(old.y, 4);
    DeleteDC(dc);
}

// A thread that drew with a DC must see it gone once another thread deletes it.
TEST(DeviceContexts, DeletedOnAnotherThreadIsRefusedHere)
{
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_TRUE(MoveToEx(dc, 1, 1, nullptr));
    BOOL deleted = FALSE;
    std::thread other([&] { deleted = DeleteDC(dc); });
    other.join();
    ASSERT_TRUE(deleted);
    SetLastError(0);
    EXPECT_FALSE(LineTo(dc, 2, 2));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(DeviceContexts, RefuseUnknownAndDeletedHandles)
{
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_TRUE(DeleteDC(dc));
    SetLastError(0);
    EXPECT_FALSE(LineTo(dc, 1, 1));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(SetTextColor(dc, 0), CLR_INVALID);
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), nullptr);
    int made_up = 0;
    EXPECT_FALSE(MoveToEx(reinterpret_cast<HDC>(&made_up), 0, 0, nullptr));
    EXPECT_EQ(CreateCompatibleDC(reinterpret_cast<HDC>(&made_up)), nullptr);
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(pen))) << "a pen is no DC";
    DeleteObject(pen);
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_FALSE(DeleteObject(other)) << "a DC goes with DeleteDC only";
    EXPECT_TRUE(DeleteDC(other));
}

TEST(DeviceContexts, OverCallersPixels)
{
    std::vector<uint32_t> pixels(4 * 3, 0x11111111);
    HDC dc = platform_create_dc_for_pixels(pixels.data(), 3, 3, 16, PLATFORM_PIXELS_OPAQUE_ALPHA);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), nullptr) << "no bitmap behind it";
    MoveToEx(dc, 0, 1, nullptr);
    LineTo(dc, 3, 1);
    EXPECT_EQ(pixels[4], 0xFF000000u);
    EXPECT_EQ(pixels[6], 0xFF000000u);
    EXPECT_EQ(pixels[7], 0x11111111u) << "stride padding";
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0x11, 0x11, 0x11));
    BITMAPINFO info = dib_info(2, 2);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    EXPECT_EQ(SelectObject(dc, bitmap), nullptr) << "only memory DCs take bitmaps";
    DeleteObject(bitmap);
    DeleteDC(dc);

    struct Bad {
        const char* why;
        void* pixels;
        int width;
        int height;
        ptrdiff_t stride;
        DWORD flags;
    };
    const Bad bad[] = {
        {"no pixels", nullptr, 3, 3, 16, 0},
        {"width 0", pixels.data(), 0, 3, 16, 0},
        {"negative height", pixels.data(), 3, -3, 16, 0},
        {"huge width", pixels.data(), 70000, 1, 280000, 0},
        {"stride below width", pixels.data(), 3, 3, 8, 0},
        {"stride not whole pixels", pixels.data(), 3, 3, 14, 0},
        {"unaligned", reinterpret_cast<char*>(pixels.data()) + 1, 2, 2, 16, 0},
        {"unknown flag", pixels.data(), 3, 3, 16, 0x10},
    };
    for (const Bad& row : bad) {
        SCOPED_TRACE(row.why);
        SetLastError(0);
        EXPECT_EQ(platform_create_dc_for_pixels(row.pixels, row.width, row.height, row.stride, row.flags), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
}

// ---- Objects ---------------------------------------------------------------------------

TEST(Objects, StockObjectsSurviveDeleteObject)
{
    const size_t live = platform_gdi_object_count();
    for (const int index : {WHITE_BRUSH, BLACK_BRUSH, NULL_BRUSH, WHITE_PEN, BLACK_PEN, NULL_PEN, SYSTEM_FONT,
                            DEFAULT_GUI_FONT}) {
        SCOPED_TRACE(index);
        HGDIOBJ object = GetStockObject(index);
        ASSERT_NE(object, nullptr);
        EXPECT_TRUE(DeleteObject(object));
        EXPECT_EQ(GetStockObject(index), object);
        EXPECT_GT(GetObjectA(object, 0, nullptr), 0) << "still alive";
    }
    EXPECT_EQ(GetStockObject(9), nullptr);
    EXPECT_EQ(GetStockObject(-1), nullptr);
    EXPECT_EQ(platform_gdi_object_count(), live);

    MemorySurface surface(4, 1);
    surface.fill(gdi_test::kWhitePixel);
    DeleteObject(GetStockObject(BLACK_PEN));
    MoveToEx(surface.dc(), 0, 0, nullptr);
    LineTo(surface.dc(), 4, 0);
    EXPECT_EQ(surface.count(0), 4) << "the stock pen still draws black";
}

TEST(Objects, SelectedObjectsCannotBeDeleted)
{
    MemorySurface surface(2, 2);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(9, 9, 9));
    HGDIOBJ old = SelectObject(surface.dc(), pen);
    EXPECT_EQ(old, GetStockObject(BLACK_PEN));
    SetLastError(0);
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(SelectObject(surface.dc(), old), pen);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen)) << "deleted twice";
    EXPECT_EQ(GetObjectA(pen, 0, nullptr), 0);
    EXPECT_EQ(SelectObject(surface.dc(), pen), nullptr) << "a deleted pen cannot be selected";
}

TEST(Objects, ABitmapLivesInOneDcAtATime)
{
    BITMAPINFO info = dib_info(4, -4);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(first);
    HGDIOBJ default_bitmap = SelectObject(first, bitmap);
    ASSERT_NE(default_bitmap, nullptr);
    EXPECT_EQ(SelectObject(second, bitmap), nullptr);
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteDC(first)) << "deleting the DC lets go of the bitmap";
    EXPECT_EQ(SelectObject(second, bitmap), default_bitmap);
    EXPECT_EQ(SelectObject(second, default_bitmap), bitmap);
    EXPECT_TRUE(DeleteObject(bitmap));
    DeleteDC(second);
}

TEST(Objects, GetObjectReadsTheRecords)
{
    HPEN pen = CreatePen(PS_DOT, 3, RGB(1, 2, 3));
    LOGPEN logpen{};
    EXPECT_EQ(GetObjectA(pen, sizeof logpen, &logpen), static_cast<int>(sizeof logpen));
    EXPECT_EQ(logpen.lopnStyle, static_cast<UINT>(PS_DOT));
    EXPECT_EQ(logpen.lopnWidth.x, 3);
    EXPECT_EQ(logpen.lopnColor, RGB(1, 2, 3));
    EXPECT_EQ(GetObjectA(pen, sizeof logpen - 1, &logpen), 0) << "buffer too small";
    EXPECT_EQ(GetObjectA(pen, 0, nullptr), static_cast<int>(sizeof logpen));
    DeleteObject(pen);

    const LOGBRUSH hatch{BS_HATCHED, RGB(4, 5, 6), HS_CROSS};
    HBRUSH brush = CreateBrushIndirect(&hatch);
    LOGBRUSH logbrush{};
    EXPECT_EQ(GetObjectA(brush, sizeof logbrush, &logbrush), static_cast<int>(sizeof logbrush));
    EXPECT_EQ(logbrush.lbStyle, static_cast<UINT>(BS_HATCHED));
    EXPECT_EQ(logbrush.lbHatch, static_cast<ULONG_PTR>(HS_CROSS));
    DeleteObject(brush);

    LOGFONTA font{};
    font.lfHeight = -17;
    font.lfEscapement = 900;
    font.lfOrientation = 1200;
    font.lfWeight = FW_BOLD;
    font.lfItalic = 1;
    std::strcpy(font.lfFaceName, "Times New Roman");
    HFONT handle = CreateFontIndirectA(&font);
    LOGFONTA read{};
    EXPECT_EQ(GetObjectA(handle, sizeof read, &read), static_cast<int>(sizeof read));
    EXPECT_EQ(std::memcmp(&read, &font, sizeof font), 0);
    DeleteObject(handle);

    BITMAPINFO info = dib_info(5, 3);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    BITMAP record{};
    EXPECT_EQ(GetObjectA(bitmap, sizeof record, &record), static_cast<int>(sizeof record));
    EXPECT_EQ(record.bmWidth, 5);
    EXPECT_EQ(record.bmHeight, 3);
    EXPECT_EQ(record.bmWidthBytes, 20);
    EXPECT_EQ(record.bmBitsPixel, 32);
    EXPECT_EQ(record.bmBits, bits);
    DeleteObject(bitmap);

    HRGN region = CreateRectRgn(0, 0, 1, 1);
    EXPECT_EQ(GetObjectA(region, 64, &record), 0) << "a region has no record";
    DeleteObject(region);
}

TEST(Objects, CreationRefusesBadArguments)
{
    EXPECT_EQ(CreatePen(7, 1, 0), nullptr);
    EXPECT_EQ(CreatePen(PS_SOLID, -1, 0), nullptr);
    EXPECT_EQ(CreateBrushIndirect(nullptr), nullptr);
    const LOGBRUSH pattern{3 /* BS_PATTERN */, 0, 0};
    EXPECT_EQ(CreateBrushIndirect(&pattern), nullptr);
    const LOGBRUSH bad_hatch{BS_HATCHED, 0, 6};
    EXPECT_EQ(CreateBrushIndirect(&bad_hatch), nullptr);
    EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
}

TEST(Objects, EveryObjectMadeIsFreed)
{
    const size_t live = platform_gdi_object_count();
    HDC dc = platform_create_recording_dc(8, 8);
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    HBRUSH brush = CreateSolidBrush(0);
    EXPECT_EQ(platform_gdi_object_count(), live + 4) << "the DC, its surface, the pen and the brush";
    DeleteObject(pen);
    DeleteObject(brush);
    DeleteDC(dc);
    EXPECT_EQ(platform_gdi_object_count(), live);
}

// ---- DIB sections --------------------------------------------------------------------------

TEST(DibSections, SizesAreCheckedBeforeAllocation)
{
    struct Row {
        const char* why;
        LONG width;
        LONG height;
        WORD bits;
        DWORD compression;
        bool use_section;
        DWORD error;
    };
    const Row rows[] = {
        {"zero width", 0, 10, 32, BI_RGB, false, ERROR_INVALID_PARAMETER},
        {"zero height", 10, 0, 32, BI_RGB, false, ERROR_INVALID_PARAMETER},
        {"negative width", -10, 10, 32, BI_RGB, false, ERROR_INVALID_PARAMETER},
        {"width past the limit", 65537, 1, 32, BI_RGB, false, ERROR_INVALID_PARAMETER},
        {"height past the limit", 1, -65537, 32, BI_RGB, false, ERROR_INVALID_PARAMETER},
        {"most negative height", 1, INT_MIN, 32, BI_RGB, false, ERROR_INVALID_PARAMETER},
        {"over a gibibyte", 65536, 65536, 32, BI_RGB, false, ERROR_INVALID_PARAMETER},
        {"largest sides", INT_MAX, INT_MAX, 32, BI_RGB, false, ERROR_INVALID_PARAMETER},
        {"24 bits", 4, 4, 24, BI_RGB, false, ERROR_INVALID_PARAMETER},
        {"bit fields", 4, 4, 32, 3, false, ERROR_INVALID_PARAMETER},
        {"file section", 4, 4, 32, BI_RGB, true, ERROR_INVALID_PARAMETER},
    };
    const size_t live = platform_gdi_object_count();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        BITMAPINFO info = dib_info(row.width, row.height);
        info.bmiHeader.biBitCount = row.bits;
        info.bmiHeader.biCompression = row.compression;
        void* bits = &info;
        int section = 0;
        SetLastError(0);
        EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, row.use_section ? &section : nullptr, 0),
                  nullptr);
        EXPECT_EQ(bits, nullptr);
        EXPECT_EQ(GetLastError(), row.error);
    }
    EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
    BITMAPINFO short_header = dib_info(4, 4);
    short_header.bmiHeader.biSize = 12;
    EXPECT_EQ(CreateDIBSection(nullptr, &short_header, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(platform_gdi_object_count(), live);
}

TEST(DibSections, StartCleared)
{
    BITMAPINFO info = dib_info(7, -5);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bits, nullptr);
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < 35; ++i)
        EXPECT_EQ(pixels[i], 0u);
    DeleteObject(bitmap);
}

// ---- Regions ---------------------------------------------------------------------------------

TEST(Regions, RectInRegionMeetsAnyPixel)
{
    HRGN region = CreateRectRgn(10, 20, 30, 40);
    struct Row {
        RECT rect;
        BOOL inside;
    };
    const Row rows[] = {
        {{12, 22, 14, 24}, TRUE},  {{0, 0, 11, 21}, TRUE},    {{29, 39, 50, 50}, TRUE},
        {{30, 20, 40, 40}, FALSE}, {{10, 40, 30, 45}, FALSE}, {{0, 0, 10, 20}, FALSE},
        {{15, 25, 15, 35}, FALSE}, {{0, 0, 100, 100}, TRUE},  {{29, 39, 0, 0}, TRUE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.rect.left << "," << row.rect.top << " " << row.rect.right << ","
                                        << row.rect.bottom);
        EXPECT_EQ(RectInRegion(region, &row.rect), row.inside);
    }
    EXPECT_FALSE(RectInRegion(region, nullptr));
    DeleteObject(region);
    const RECT rect{0, 0, 1, 1};
    EXPECT_FALSE(RectInRegion(region, &rect)) << "deleted region";
    HRGN empty = CreateRectRgn(5, 5, 5, 9);
    EXPECT_FALSE(RectInRegion(empty, &rows[7].rect));
    DeleteObject(empty);
    HRGN huge = CreateRectRgn(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    EXPECT_TRUE(RectInRegion(huge, &rect));
    DeleteObject(huge);
}

// ---- The recording DC --------------------------------------------------------------------------

TEST(RecordingDc, LogsEveryCallWithItsArguments)
{
    HDC dc = platform_create_recording_dc(0, 0);
    ASSERT_NE(dc, nullptr);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(dc, pen);
    SetTextColor(dc, RGB(0, 0, 255));
    GetTextColor(dc);
    MoveToEx(dc, 1, 2, nullptr);
    LineTo(dc, 30, -4);
    SetPixelV(dc, 30, -4, RGB(255, 0, 0));
    Arc(dc, 0, 0, 10, 10, 0, 5, 0, 5);
    SetROP2(dc, R2_XORPEN);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_BASELINE);
    GetCurrentObject(dc, OBJ_PEN);
    BeginPath(dc);
    CloseFigure(dc);
    EndPath(dc);
    SelectObject(dc, old);
    DeleteObject(pen);
    EXPECT_EQ(recording_log(dc),
              "SelectObject(pen PS_SOLID 1 0x0000FF)\n"
              "SetTextColor(0xFF0000)\n"
              "GetTextColor()\n"
              "MoveToEx(1, 2)\n"
              "LineTo(30, -4)\n"
              "SetPixelV(30, -4, 0x0000FF)\n"
              "Arc(0, 0, 10, 10, 0, 5, 0, 5)\n"
              "SetROP2(7)\n"
              "SetBkMode(1)\n"
              "SetTextAlign(24)\n"
              "GetCurrentObject(OBJ_PEN)\n"
              "BeginPath()\n"
              "CloseFigure()\n"
              "EndPath()\n"
              "SelectObject(BLACK_PEN)\n");
    platform_recording_dc_clear(dc);
    EXPECT_EQ(recording_log(dc), "");
    DeleteDC(dc);
}

TEST(RecordingDc, DescribesFontsAndBrushes)
{
    HDC dc = platform_create_recording_dc(0, 0);
    LOGFONTA font{};
    font.lfHeight = 12;
    font.lfEscapement = 450;
    font.lfOrientation = 450;
    font.lfWeight = FW_NORMAL;
    std::strcpy(font.lfFaceName, "Arial");
    HFONT handle = CreateFontIndirectA(&font);
    HBRUSH brush = CreateSolidBrush(RGB(0x12, 0x34, 0x56));
    HGDIOBJ old_font = SelectObject(dc, handle);
    HGDIOBJ old_brush = SelectObject(dc, brush);
    SelectObject(dc, old_font);
    SelectObject(dc, old_brush);
    EXPECT_EQ(recording_log(dc),
              "SelectObject(font \"Arial\" height=12 width=0 escapement=450 orientation=450 weight=400 italic=0 "
              "underline=0 strikeout=0)\n"
              "SelectObject(brush BS_SOLID 0x563412)\n"
              "SelectObject(SYSTEM_FONT)\n"
              "SelectObject(WHITE_BRUSH)\n");
    DeleteObject(handle);
    DeleteObject(brush);
    DeleteDC(dc);
}

TEST(RecordingDc, LogCopiesCutToTheBuffer)
{
    HDC dc = platform_create_recording_dc(0, 0);
    LineTo(dc, 1, 2);
    char buffer[6];
    EXPECT_EQ(platform_recording_dc_log(dc, buffer, sizeof buffer), std::strlen("LineTo(1, 2)\n"));
    EXPECT_STREQ(buffer, "LineT");
    EXPECT_EQ(platform_recording_dc_log(dc, buffer, 0), std::strlen("LineTo(1, 2)\n"));
    DeleteDC(dc);

    MemorySurface plain(1, 1);
    LineTo(plain.dc(), 1, 1);
    EXPECT_EQ(platform_recording_dc_log(plain.dc(), buffer, sizeof buffer), 0u) << "a DC that does not record";
}

TEST(RecordingDc, DrawsIntoItsOwnSurface)
{
    HDC dc = platform_create_recording_dc(6, 4);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetPixel(dc, 5, 3), RGB(0, 0, 0));
    SetPixelV(dc, 5, 3, RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(dc, 5, 3), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(dc, 6, 3), CLR_INVALID);
    DeleteDC(dc);
    EXPECT_EQ(platform_create_recording_dc(-1, 4), nullptr);
    EXPECT_EQ(platform_create_recording_dc(100000, 100000), nullptr);
}


// ---- Handles after their objects are gone ---------------------------------------------------

// Objects made after a deletion reuse the table's room, but never a handle: the old
// handle must keep failing while a new object lives where its object was.
TEST(Handles, ADeletedObjectsHandleStaysDeadWhileNewObjectsCome)
{
    HPEN first = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(DeleteObject(first));
    std::set<HGDIOBJ> seen{first};
    std::vector<HGDIOBJ> alive;
    for (int i = 0; i < 2000; ++i) {
        // Pens made and deleted in turn (as a renderer does per item), plus a few kept.
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, i % 256));
        ASSERT_NE(pen, nullptr);
        EXPECT_TRUE(seen.insert(pen).second) << "handle given twice at " << i;
        if (i % 100 == 0)
            alive.push_back(pen);
        else
            ASSERT_TRUE(DeleteObject(pen));
    }
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_TRUE(seen.insert(brush).second);

    SetLastError(0);
    EXPECT_EQ(GetObjectA(first, 0, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(DeleteObject(first));
    MemorySurface surface(2, 1);
    EXPECT_EQ(SelectObject(surface.dc(), first), nullptr);

    // Handles next to a live one name nothing.
    const auto live = reinterpret_cast<uintptr_t>(brush);
    for (const uintptr_t near : {live + 1, live + 2, live + 3, live + (uintptr_t{1} << 26), live - (uintptr_t{1} << 26),
                                 live + (uintptr_t{1} << 40)}) {
        SCOPED_TRACE(near);
        SetLastError(0);
        EXPECT_EQ(GetObjectA(reinterpret_cast<HGDIOBJ>(near), 0, nullptr), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
    LOGBRUSH record{};
    EXPECT_EQ(GetObjectA(brush, sizeof record, &record), static_cast<int>(sizeof record));
    EXPECT_EQ(record.lbColor, RGB(1, 2, 3));
    for (HGDIOBJ pen : alive)
        EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(brush));
}

// A pen made where a deleted one was must carry its own record and draw in its colour.
TEST(Handles, ARecycledPenDrawsWithItsOwnRecord)
{
    MemorySurface surface(4, 1);
    surface.fill(gdi_test::kWhitePixel);
    for (const COLORREF colour : {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)}) {
        SCOPED_TRACE(colour);
        HPEN pen = CreatePen(PS_SOLID, 1, colour);
        LOGPEN record{};
        ASSERT_EQ(GetObjectA(pen, sizeof record, &record), static_cast<int>(sizeof record));
        EXPECT_EQ(record.lopnColor, colour);
        {
            const gdi_test::Selected selected(surface.dc(), pen);
            MoveToEx(surface.dc(), 0, 0, nullptr);
            LineTo(surface.dc(), 4, 0);
        }
        EXPECT_EQ(GetPixel(surface.dc(), 3, 0), colour);
    }
}

// Threads that make and delete objects at once each get live, distinct handles, and
// the table ends as it began.
TEST(Handles, ThreadsMakeAndDeleteObjectsAtOnce)
{
    const size_t live = platform_gdi_object_count();
    constexpr int kThreads = 4;
    constexpr int kRounds = 3000;
    std::vector<std::vector<HGDIOBJ>> kept(kThreads);
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &kept, &failures] {
            for (int i = 0; i < kRounds; ++i) {
                const auto colour = static_cast<COLORREF>(t * kRounds + i);
                HPEN pen = CreatePen(PS_SOLID, 1, colour);
                LOGPEN record{};
                if (pen == nullptr || GetObjectA(pen, sizeof record, &record) == 0 || record.lopnColor != colour)
                    ++failures[static_cast<size_t>(t)];
                if (i % 10 == 0)
                    kept[static_cast<size_t>(t)].push_back(pen);
                else if (!DeleteObject(pen))
                    ++failures[static_cast<size_t>(t)];
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    std::set<HGDIOBJ> distinct;
    size_t total = 0;
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(failures[static_cast<size_t>(t)], 0) << "thread " << t;
        total += kept[static_cast<size_t>(t)].size();
        distinct.insert(kept[static_cast<size_t>(t)].begin(), kept[static_cast<size_t>(t)].end());
    }
    EXPECT_EQ(distinct.size(), total);
    EXPECT_EQ(platform_gdi_object_count(), live + total);
    for (HGDIOBJ pen : distinct)
        EXPECT_TRUE(DeleteObject(pen));
    EXPECT_EQ(platform_gdi_object_count(), live);
}

// A memory DC draws on the bitmap selected now, and a DC over pixels on those pixels.
TEST(DeviceContexts, DrawOnTheBitmapSelectedNow)
{
    BITMAPINFO info = dib_info(3, -1);
    void* first_bits = nullptr;
    void* second_bits = nullptr;
    HBITMAP first = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &first_bits, nullptr, 0);
    HBITMAP second = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &second_bits, nullptr, 0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const auto* first_pixels = static_cast<const uint32_t*>(first_bits);
    const auto* second_pixels = static_cast<const uint32_t*>(second_bits);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ default_bitmap = SelectObject(dc, first);
    SetPixelV(dc, 0, 0, RGB(0, 0, 255));
    EXPECT_EQ(SelectObject(dc, second), first);
    SetPixelV(dc, 1, 0, RGB(0, 0, 255));
    EXPECT_EQ(first_pixels[0], 0x0000FFu);
    EXPECT_EQ(first_pixels[1], 0u);
    EXPECT_EQ(second_pixels[0], 0u);
    EXPECT_EQ(second_pixels[1], 0x0000FFu);
    EXPECT_EQ(SelectObject(dc, default_bitmap), second);
    EXPECT_FALSE(SetPixelV(dc, 0, 0, RGB(0, 0, 255))) << "the default bitmap shows nothing";
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(first));
    EXPECT_TRUE(DeleteObject(second));
}

}
