#include "listview/common/input_conversions.h"
#include "listview/common/rect_routines.h"

#include "platform/qt.h"
#include "platform/system_metrics.h"
#include "platform/user_input.h"
#include "platform/user_messages.h"
#include "platform/user_windows.h"

#include <gtest/gtest.h>

using namespace vistrel::listview;

TEST(DropEffects, ConvertBothWays)
{
    struct Case {
        uint32_t native;
        TLqCommonDropEffects effects;
    };
    const Case cases[] = {
        {0, {cdeNone}},
        {0x80000000u, {cdeNone, cdeScroll}},
        {1, {cdeCopy}},
        {2 | 4, {cdeMove, cdeLink}},
        {0x80000001u, {cdeCopy, cdeScroll}},
        {1 | 2 | 4 | 0x80000000u, {cdeCopy, cdeMove, cdeLink, cdeScroll}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.native);
        EXPECT_EQ(NativeToDropEffects(c.native), c.effects);
        EXPECT_EQ(DropEffectsToNative(c.effects), c.native);
    }
    EXPECT_EQ(DropEffectToNative(cdeCopy), 1u);
    EXPECT_EQ(DropEffectToNative(cdeMove), 2u);
    EXPECT_EQ(DropEffectToNative(cdeLink), 4u);
    EXPECT_EQ(DropEffectToNative(cdeScroll), 0u);
    EXPECT_EQ(DropEffectToNative(cdeNone), 0u);
}

TEST(KeyStates, FromMouseKeyFlagsAndOnToDropEffects)
{
    EXPECT_EQ(NativeToKeyStates(0), TLqCommonKeyStates{});
    EXPECT_EQ(NativeToKeyStates(MK_CONTROL | MK_SHIFT | 0x20),
              (TLqCommonKeyStates{cksControl, cksShift, cksAlt}));
    EXPECT_EQ(NativeToKeyStates(MK_LBUTTON), (TLqCommonKeyStates{cksLButton, cksButton}));
    EXPECT_EQ(NativeToKeyStates(MK_MBUTTON | MK_RBUTTON),
              (TLqCommonKeyStates{cksMButton, cksRButton, cksButton}));

    EXPECT_EQ(NativeToMouseButton(MK_LBUTTON | MK_RBUTTON | MK_MBUTTON), cmbLeft);
    EXPECT_EQ(NativeToMouseButton(MK_RBUTTON | MK_MBUTTON), cmbMiddle);
    EXPECT_EQ(NativeToMouseButton(MK_RBUTTON | MK_SHIFT), cmbRight);
    EXPECT_EQ(NativeToMouseButton(MK_SHIFT), cmbNone);

    struct Case {
        TLqCommonKeyStates keys;
        TLqCommonDropEffect effect;
    };
    const Case cases[] = {
        {{cksControl}, cdeCopy},
        {{cksControl, cksShift}, cdeLink},
        {{cksAlt}, cdeLink},
        {{cksAlt, cksControl}, cdeMove},
        {{cksShift}, cdeMove},
        {{}, cdeMove},
        {{cksControl, cksLButton, cksButton}, cdeCopy},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeyStatesToDropEffect(c.keys), c.effect);
}

TEST(KeyStates, ShiftStatesComeFromTheKeyboardAndTheKeyData)
{
    platform::test::SetKeyState(VK_SHIFT, true);
    platform::test::SetKeyState(VK_CONTROL, false);
    EXPECT_EQ(KeyDataToShiftStates(0x20000000), (fw::TShiftState{fw::ssShift, fw::ssAlt}));
    platform::test::SetKeyState(VK_SHIFT, false);
    platform::test::SetKeyState(VK_CONTROL, true);
    EXPECT_EQ(KeyDataToShiftStates(0), fw::TShiftState{fw::ssCtrl});
    platform::test::SetKeyState(VK_CONTROL, false);
}

TEST(Rectangles, Arithmetic)
{
    EXPECT_EQ(RectWidth(fw::Rect(5, 0, 2, 0)), -3);
    EXPECT_EQ(NormalizeRect(fw::Rect(5, 9, 2, 1)), fw::Rect(2, 1, 5, 9));
    EXPECT_TRUE(RectContainsRect(fw::Rect(0, 0, 10, 10), fw::Rect(0, 0, 10, 10)));
    EXPECT_FALSE(RectContainsRect(fw::Rect(0, 0, 10, 10), fw::Rect(0, 0, 11, 10)));
    EXPECT_TRUE(IsRectValid(fw::Rect(3, 3, 3, 3)));
    EXPECT_FALSE(IsRectValid(fw::Rect(3, 3, 2, 4)));

    struct Case {
        fw::TRect container;
        fw::TRect size;
        fw::TRect expected;
    };
    const Case cases[] = {
        {{10, 20, 30, 40},
         {100, 100, 104, 106},
         {18, 27, 22, 33}},                                 // the size's position does not count
        {{10, 20, 30, 40}, {0, 0, 5, 5}, {17, 27, 22, 32}}, // halves go down
        {{10, 20, 13, 40}, {0, 0, 5, 4}, {10, 28, 13, 32}}, // too wide: the container's sides
        {{10, 20, 30, 22}, {0, 0, 4, 6}, {18, 20, 22, 22}}, // too tall alike
    };
    for (const Case& c : cases) {
        fw::TRect result;
        CenterRectInRect(c.container, c.size, result);
        EXPECT_EQ(result, c.expected);
    }
}

namespace {

// A headless window of a class of its own that takes every message without a word.
class Window : public testing::Test {
protected:
    Window()
    {
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.lpfnWndProc = DefWindowProcW;
        window_class.lpszClassName = u"ListviewCommonDragTest";
        RegisterClassExW(&window_class);
        m_window = CreateWindowExW(0, u"ListviewCommonDragTest", u"", WS_OVERLAPPED, 100, 100, 200,
                                   200, nullptr, nullptr, nullptr, nullptr);
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    ~Window() override { DestroyWindow(m_window); }

    LPARAM client(int x, int y) { return static_cast<LPARAM>((y & 0xFFFF) << 16 | (x & 0xFFFF)); }

    HWND m_window = nullptr;
};

}

TEST_F(Window, DetectDragEndsWhenTheMouseLeavesTheDragRectangle)
{
    ASSERT_NE(m_window, nullptr);
    const int dx = GetSystemMetrics(SM_CXDRAG);
    // The rectangle's right and bottom edges lie outside it.
    PostMessageW(m_window, WM_MOUSEMOVE, MK_LBUTTON, client(50 + dx - 1, 50 - dx));
    PostMessageW(m_window, WM_MOUSEMOVE, MK_LBUTTON, client(50 + dx, 50));
    EXPECT_TRUE(DetectDrag(m_window, fw::Point(50, 50)));
    EXPECT_EQ(GetCapture(), nullptr) << "the capture is let go";
}

TEST_F(Window, DetectDragEndsWithoutADragOnARelease)
{
    ASSERT_NE(m_window, nullptr);
    SetCapture(m_window);
    PostMessageW(m_window, WM_MOUSEMOVE, MK_LBUTTON, client(51, 51));
    PostMessageW(m_window, WM_LBUTTONUP, 0, client(51, 51));
    EXPECT_FALSE(DetectDrag(m_window, fw::Point(50, 50)));
    EXPECT_EQ(GetCapture(), m_window) << "the window had the capture before";
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, m_window, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_LBUTTONUP)) << "the release is posted again";
    ReleaseCapture();
}

TEST_F(Window, DetectDragGivesTheQuitMessageBack)
{
    PostQuitMessage(3);
    EXPECT_FALSE(DetectDrag(m_window, fw::Point(1, 1)));
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_FALSE(DetectDrag(nullptr, fw::Point(1, 1))) << "no window, no screen point";
}
