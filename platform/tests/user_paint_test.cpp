// Painting windows: update regions, WM_PAINT and WM_ERASEBKGND, window DCs over the
// retained surface, and the drawing calls of the user interface.

#include "platform/qt.h"
#include "platform/system_metrics.h"
#include "user_test_support.h"

#include <QtGui/QImage>

namespace {

using user_test::Recorded;
using user_test::recorder;
using user_test::WindowTest;

constexpr QRgb kRed = 0xFFFF0000u;

class PaintTest : public WindowTest {
protected:
    // A shown window without a frame whose first paint is done.
    HWND make_shown(int width, int height)
    {
        HWND window = make_window(WS_POPUP | WS_VISIBLE, RECT{0, 0, width, height});
        UpdateWindow(window);
        recorder().messages.clear();
        return window;
    }
};

TEST_F(PaintTest, InvalidateThenUpdateSendsOnePaintWithTheRectangle)
{
    HWND window = make_shown(100, 60);
    std::vector<RECT> painted;
    std::vector<std::string> events;
    recorder().handlers[{window, WM_PAINT}] = [&](HWND w, UINT, WPARAM, LPARAM) {
        PAINTSTRUCT paint{};
        BeginPaint(w, &paint);
        events.push_back("drawn");
        painted.push_back(paint.rcPaint);
        EndPaint(w, &paint);
        return LRESULT{0};
    };
    recorder().handlers[{window, WM_ERASEBKGND}] = [&](HWND, UINT, WPARAM, LPARAM) {
        events.push_back("erased");
        return LRESULT{1};
    };
    const RECT area{10, 10, 50, 30};
    for (const BOOL erase : {FALSE, TRUE}) {
        SCOPED_TRACE(erase ? "erase" : "no erase");
        painted.clear();
        events.clear();
        ASSERT_TRUE(InvalidateRect(window, &area, erase));
        ASSERT_TRUE(UpdateWindow(window));
        ASSERT_EQ(painted.size(), 1u);
        EXPECT_TRUE(EqualRect(&painted[0], &area));
        const std::vector<std::string> expected =
            erase ? std::vector<std::string>{"erased", "drawn"} : std::vector<std::string>{"drawn"};
        EXPECT_EQ(events, expected);
        UpdateWindow(window);
        EXPECT_EQ(painted.size(), 1u); // nothing left to paint
    }
}

TEST_F(PaintTest, APaintDcOnlyChangesTheUpdateRegion)
{
    HWND window = make_shown(40, 30);
    recorder().handlers[{window, WM_PAINT}] = [](HWND w, UINT, WPARAM, LPARAM) {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(w, &paint);
        const RECT all{0, 0, 40, 30};
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &all, red);
        DeleteObject(red);
        EndPaint(w, &paint);
        return LRESULT{0};
    };
    const RECT part{5, 5, 15, 10};
    InvalidateRect(window, &part, FALSE);
    pump();
    const QImage surface = platform::test::WindowSurface(window);
    ASSERT_EQ(surface.size(), QSize(40, 30));
    EXPECT_EQ(surface.pixel(5, 5), kRed);
    EXPECT_EQ(surface.pixel(14, 9), kRed);
    EXPECT_NE(surface.pixel(15, 9), kRed);
    EXPECT_NE(surface.pixel(4, 5), kRed);
    EXPECT_NE(surface.pixel(30, 20), kRed);
}

TEST_F(PaintTest, ANotXorDottedLineDrawnTwiceLeavesTheSurface)
{
    HWND window = make_shown(64, 48);
    HDC dc = GetDC(window);
    const RECT all{0, 0, 64, 48};
    HBRUSH grey = CreateSolidBrush(RGB(40, 90, 200));
    FillRect(dc, &all, grey);
    DeleteObject(grey);
    ReleaseDC(window, dc);
    const QImage before = platform::test::WindowSurface(window);
    for (int pass = 0; pass < 2; ++pass) {
        HDC cross = GetDC(window);
        SetROP2(cross, R2_NOTXORPEN);
        HPEN pen = CreatePen(PS_DOT, 0, RGB(0x90, 0x90, 0x90));
        HGDIOBJ old = SelectObject(cross, pen);
        MoveToEx(cross, 0, 20, nullptr);
        LineTo(cross, 64, 20);
        MoveToEx(cross, 30, 0, nullptr);
        LineTo(cross, 30, 48); // crosses the first line
        SelectObject(cross, old);
        DeleteObject(pen);
        EXPECT_EQ(ReleaseDC(window, cross), 1);
        if (pass == 0) {
            EXPECT_NE(platform::test::WindowSurface(window), before);
        }
    }
    EXPECT_EQ(platform::test::WindowSurface(window), before);
}

TEST_F(PaintTest, FocusRectanglesAreDottedInversionsThatUndoThemselves)
{
    HWND window = make_shown(20, 20);
    const QImage before = platform::test::WindowSurface(window);
    HDC dc = GetDC(window);
    const RECT frame{2, 2, 12, 9};
    ASSERT_TRUE(DrawFocusRect(dc, &frame));
    const QImage once = platform::test::WindowSurface(window);
    EXPECT_EQ(once.pixel(2, 2), 0xFF000000u);  // white inverted
    EXPECT_EQ(once.pixel(3, 2), 0xFFFFFFFFu);  // the gap between dots
    EXPECT_EQ(once.pixel(11, 3), 0xFF000000u); // (11 + 3) is even
    EXPECT_EQ(once.pixel(6, 5), 0xFFFFFFFFu);  // inside stays
    DrawFocusRect(dc, &frame);
    ReleaseDC(window, dc);
    EXPECT_EQ(platform::test::WindowSurface(window), before);
}

TEST_F(PaintTest, RedrawWindowReachesChildrenAsAsked)
{
    HWND parent = make_window(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, RECT{0, 0, 100, 100});
    HWND child = make_window(WS_CHILD | WS_VISIBLE, RECT{10, 10, 50, 50}, parent);
    pump();
    recorder().messages.clear();
    InvalidateRect(parent, nullptr, TRUE);
    pump();
    ASSERT_EQ(recorder().of(WM_PAINT).size(), 1u);
    EXPECT_EQ(recorder().of(WM_PAINT)[0].window, parent);

    recorder().messages.clear();
    RedrawWindow(parent, nullptr, nullptr, RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
    pump();
    const std::vector<Recorded> paints = recorder().of(WM_PAINT);
    ASSERT_EQ(paints.size(), 2u);
    EXPECT_EQ(paints[0].window, parent);
    EXPECT_EQ(paints[1].window, child);
    EXPECT_EQ(recorder().of(WM_ERASEBKGND).size(), 2u);

    recorder().messages.clear();
    RedrawWindow(parent, nullptr, nullptr, RDW_ALLCHILDREN | RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(recorder().of(WM_PAINT).size(), 2u); // painted at once
    EXPECT_EQ(pump(), 0);
}

TEST_F(PaintTest, HiddenWindowsAreNotPaintedAndShowingPaintsThemWhole)
{
    HWND window = make_window(WS_POPUP, RECT{0, 0, 30, 30});
    InvalidateRect(window, nullptr, TRUE);
    pump();
    EXPECT_TRUE(recorder().of(WM_PAINT).empty());
    std::vector<RECT> painted;
    recorder().handlers[{window, WM_PAINT}] = [&](HWND w, UINT, WPARAM, LPARAM) {
        PAINTSTRUCT paint{};
        BeginPaint(w, &paint);
        painted.push_back(paint.rcPaint);
        EndPaint(w, &paint);
        return LRESULT{0};
    };
    ShowWindow(window, SW_SHOWNA);
    pump();
    ASSERT_EQ(painted.size(), 1u);
    const RECT whole{0, 0, 30, 30};
    EXPECT_TRUE(EqualRect(&painted[0], &whole));
}

TEST_F(PaintTest, APaintThatIsNotHandledEndsAfterOneDispatch)
{
    HWND window = make_shown(10, 10);
    recorder().handlers[{window, WM_PAINT}] = [](HWND, UINT, WPARAM, LPARAM) { return LRESULT{0}; };
    InvalidateRect(window, nullptr, FALSE);
    EXPECT_EQ(pump(), 1);
    EXPECT_EQ(pump(), 0);
}

TEST_F(PaintTest, TheClassBackgroundErasesAndWindowDcsDieWithTheWindow)
{
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = user_test::recording_procedure;
    window_class.hbrBackground =
        reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_BTNFACE + 1));
    window_class.lpszClassName = u"FacedWindow";
    RegisterClassExW(&window_class);
    HWND window = make_window(WS_POPUP | WS_VISIBLE, RECT{0, 0, 12, 12}, nullptr, u"FacedWindow");
    pump();
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(platform::test::WindowSurface(window).pixel(5, 5),
              qRgb(GetRValue(face), GetGValue(face), GetBValue(face)));
    HDC dc = GetDC(window);
    EXPECT_EQ(WindowFromDC(dc), window);
    EXPECT_EQ(GetPixel(dc, 5, 5), face);
    DestroyWindow(window);
    EXPECT_EQ(GetPixel(dc, 5, 5), CLR_INVALID); // the DC went with the window
    EXPECT_EQ(ReleaseDC(window, dc), 0);
}

TEST_F(PaintTest, EdgesAndFramesUseTheSystemColours)
{
    HWND window = make_shown(20, 20);
    HDC dc = GetDC(window);
    RECT rect{0, 0, 10, 10};
    ASSERT_TRUE(DrawEdge(dc, &rect, EDGE_SUNKEN, BF_RECT | BF_ADJUST));
    EXPECT_EQ(rect.left, 2);
    EXPECT_EQ(rect.bottom, 8);
    EXPECT_EQ(GetPixel(dc, 0, 5), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(GetPixel(dc, 1, 5), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(GetPixel(dc, 9, 5), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(GetPixel(dc, 8, 5), GetSysColor(COLOR_3DLIGHT));
    const RECT frame{12, 12, 18, 18};
    FrameRect(dc, &frame, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_WINDOWFRAME + 1)));
    EXPECT_EQ(GetPixel(dc, 17, 14), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(GetPixel(dc, 14, 14), RGB(255, 255, 255));
    ReleaseDC(window, dc);
}

// The box of the pixels that are not white.
QRect ink_of(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != 0xFFFFFFFFu)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

TEST_F(PaintTest, DrawTextPlacesClipsAndMeasures)
{
    HWND window = make_shown(200, 100);
    HDC dc = GetDC(window);
    LOGFONTA font{};
    font.lfHeight = -13;
    std::strcpy(font.lfFaceName, "Arial");
    HFONT handle = CreateFontIndirectA(&font);
    HGDIOBJ old = SelectObject(dc, handle);
    SetBkMode(dc, TRANSPARENT);

    RECT measured{0, 0, 200, 100};
    const int height = DrawTextW(dc, u"Image Unavailable", -1, &measured,
                                 DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_GT(height, 0);
    EXPECT_EQ(measured.bottom, height);
    EXPECT_EQ(platform::test::WindowSurface(window),
              platform::test::WindowSurface(window)); // nothing drawn
    EXPECT_TRUE(ink_of(platform::test::WindowSurface(window)).isEmpty());

    RECT box{0, 0, 200, 100};
    const int bottom = DrawTextW(dc, u"Image Unavailable", -1, &box,
                                 DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    const QRect ink = ink_of(platform::test::WindowSurface(window));
    ASSERT_FALSE(ink.isEmpty());
    const int width = measured.right - measured.left;
    EXPECT_GE(ink.left(), (200 - width) / 2 - 1);
    EXPECT_LE(ink.right(), (200 + width) / 2 + 1);
    EXPECT_GE(ink.top(), (100 - height) / 2);
    EXPECT_EQ(bottom, (100 - height) / 2 + height);

    // Clipped to its rectangle; broken into lines between words.
    const RECT all{0, 0, 200, 100};
    FillRect(dc, &all, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_WINDOW + 1)));
    RECT narrow{10, 10, 40, 100};
    const int lines = DrawTextW(dc, u"one two three", -1, &narrow, DT_WORDBREAK);
    EXPECT_GE(lines, 2 * height);
    EXPECT_LE(ink_of(platform::test::WindowSurface(window)).right(), 39);
    RECT prefix{0, 0, 200, 100};
    RECT plain{0, 0, 200, 100};
    DrawTextW(dc, u"&File", -1, &prefix, DT_CALCRECT | DT_SINGLELINE);
    DrawTextW(dc, u"File", -1, &plain, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(prefix.right, plain.right);
    SelectObject(dc, old);
    DeleteObject(handle);
    ReleaseDC(window, dc);
}

}

namespace {

TEST_F(PaintTest, BitBltCopiesABackBufferIntoTheWindowClipped)
{
    HWND window = make_shown(40, 30);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 50;
    info.bmiHeader.biHeight = -50;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC buffer = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(buffer, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(buffer, bitmap);
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int i = 0; i < 50 * 50; ++i)
        pixels[i] = static_cast<uint32_t>(i % 50) << 16 |
                    static_cast<uint32_t>(i / 50); // red = x, blue = y
    HDC dc = GetDC(window);
    ASSERT_TRUE(BitBlt(dc, 10, 5, 50, 50, buffer, 0, 0, SRCCOPY)); // runs past the window
    QImage surface = platform::test::WindowSurface(window);
    EXPECT_EQ(surface.pixel(10, 5), qRgb(0, 0, 0));
    EXPECT_EQ(surface.pixel(39, 29), qRgb(29, 0, 24));
    EXPECT_EQ(surface.pixel(9, 5), 0xFFFFFFFFu);
    const QImage before = surface;
    BitBlt(dc, 0, 0, 40, 30, buffer, 3, 3, SRCINVERT);
    EXPECT_NE(platform::test::WindowSurface(window), before);
    BitBlt(dc, 0, 0, 40, 30, buffer, 3, 3, SRCINVERT);
    EXPECT_EQ(platform::test::WindowSurface(window), before);
    BitBlt(dc, 0, 0, 1, 1, nullptr, 0, 0, DSTINVERT); // needs no source
    EXPECT_EQ(platform::test::WindowSurface(window).pixel(0, 0), 0xFF000000u);
    EXPECT_FALSE(BitBlt(dc, 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
    // An overlapping copy on one surface moves the pixels as a whole.
    BitBlt(dc, 12, 7, 20, 20, dc, 10, 5, SRCCOPY);
    EXPECT_EQ(platform::test::WindowSurface(window).pixel(12, 7), qRgb(0, 0, 0));
    EXPECT_EQ(platform::test::WindowSurface(window).pixel(31, 26), qRgb(19, 0, 19));
    ReleaseDC(window, dc);
    SelectObject(buffer, old);
    DeleteObject(bitmap);
    DeleteDC(buffer);
}

}
