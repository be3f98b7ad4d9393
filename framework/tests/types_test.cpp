// Points, rectangles and sizes, sets, and the message records.

#include "framework/types.h"

#include "platform/gdi.h"
#include "platform/system_metrics.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <type_traits>

using namespace fw;

// Rectangles, points and sizes go to the platform's drawing calls as RECT, POINT and
// SIZE: their fields must lie where those have them.
static_assert(std::is_standard_layout_v<TRect> && std::is_trivially_copyable_v<TRect>);
static_assert(sizeof(TRect) == sizeof(RECT));
static_assert(offsetof(TRect, Left) == offsetof(RECT, left));
static_assert(offsetof(TRect, Top) == offsetof(RECT, top));
static_assert(offsetof(TRect, Right) == offsetof(RECT, right));
static_assert(offsetof(TRect, Bottom) == offsetof(RECT, bottom));
static_assert(std::is_standard_layout_v<TPoint> && sizeof(TPoint) == sizeof(POINT));
static_assert(offsetof(TPoint, X) == offsetof(POINT, x));
static_assert(offsetof(TPoint, Y) == offsetof(POINT, y));
static_assert(std::is_standard_layout_v<TSize> && sizeof(TSize) == sizeof(SIZE));
static_assert(offsetof(TSize, cx) == offsetof(SIZE, cx));
static_assert(offsetof(TSize, cy) == offsetof(SIZE, cy));

TEST(Types, RectanglesLeaveOutTheirRightAndBottomEdges)
{
    const TRect box = Bounds(10, 20, 30, 40);
    EXPECT_EQ(box, Rect(10, 20, 40, 60));
    EXPECT_EQ(box.Width(), 30);
    EXPECT_EQ(box.Height(), 40);
    EXPECT_TRUE(box.Contains(Point(10, 20)));
    EXPECT_TRUE(box.Contains(Point(39, 59)));
    EXPECT_FALSE(box.Contains(Point(40, 59)));
    EXPECT_FALSE(box.Contains(Point(39, 60)));
    EXPECT_TRUE(Rect(5, 5, 5, 9).IsEmpty());
    EXPECT_TRUE(Rect(5, 9, 6, 2).IsEmpty());
    EXPECT_FALSE(Rect(5, 5, 6, 6).IsEmpty());
}

TEST(Types, SetsHoldMembersUpToOrdinal63)
{
    enum Wide {
        first,
        last = 63
    };
    TSet<Wide> set{first, last};
    EXPECT_TRUE(set.Contains(first));
    EXPECT_TRUE(set.Contains(last));
    set.Exclude(first);
    EXPECT_FALSE(set.Contains(first));
    EXPECT_TRUE(set.Contains(last));

    const TShiftState shift{ssShift, ssCtrl};
    EXPECT_EQ(shift + TShiftState{ssLeft}, (TShiftState{ssShift, ssCtrl, ssLeft}));
    EXPECT_EQ(shift - TShiftState{ssShift}, TShiftState{ssCtrl});
    EXPECT_EQ(shift * (TShiftState{ssCtrl, ssAlt}), TShiftState{ssCtrl});
    EXPECT_TRUE((shift * TShiftState{ssAlt}).Empty());
}

TEST(Types, MessageRecordsTakeSignedCoordinatesAndWheelDeltas)
{
    // Coordinates left of or above a window's client area are negative 16-bit values.
    const auto lparam = [](int low, int high) {
        return static_cast<LPARAM>((static_cast<uint32_t>(high & 0xFFFF) << 16) |
                                   static_cast<uint32_t>(low & 0xFFFF));
    };
    const TWMMouse mouse = TWMMouse::From({0x0200, 0x0001, lparam(-5, 300), 0});
    EXPECT_EQ(mouse.XPos, -5);
    EXPECT_EQ(mouse.YPos, 300);
    EXPECT_EQ(mouse.Keys, 0x0001u);

    // One notch towards the user: -120 in the high word of WParam.
    const WPARAM wheel_wparam = (static_cast<WPARAM>(static_cast<uint16_t>(-120)) << 16) | 0x0008;
    const TWMMouseWheel wheel = TWMMouseWheel::From({0x020A, wheel_wparam, lparam(1919, -2), 0});
    EXPECT_EQ(wheel.WheelDelta, -120);
    EXPECT_EQ(wheel.Keys, 0x0008);
    EXPECT_EQ(wheel.XPos, 1919);
    EXPECT_EQ(wheel.YPos, -2);

    const TWMSize size = TWMSize::From({0x0005, 2, lparam(900, 700), 0});
    EXPECT_EQ(size.SizeType, 2u);
    EXPECT_EQ(size.Width, 900);
    EXPECT_EQ(size.Height, 700);

    const TWMKey key = TWMKey::From({0x0100, 0x25, 0x014B0001, 0});
    EXPECT_EQ(key.CharCode, 0x25);
    EXPECT_EQ(key.KeyData, 0x014B0001);
}

TEST(Types, SystemColoursBecomeThePlatformsColours)
{
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
    EXPECT_EQ(ColorToRGB(0x208FFF), 0x208FFF);
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    struct Row {
        TColor color;
        int index;
    };
    const Row rows[] = {
        {clBtnFace, COLOR_BTNFACE},          {clHighlight, COLOR_HIGHLIGHT},
        {clHighlightText, COLOR_HIGHLIGHTTEXT}, {clInactiveBorder, COLOR_INACTIVEBORDER},
        {clGrayText, COLOR_GRAYTEXT},        {clWindow, COLOR_WINDOW},
        {clMenuBar, COLOR_MENUBAR},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.index);
        EXPECT_EQ(static_cast<DWORD>(ColorToRGB(row.color)), GetSysColor(row.index));
        EXPECT_EQ(static_cast<uint32_t>(ColorToRGB(row.color)) & 0xFF000000u, 0u);
    }
}
