// Painting a full-HD window from its back buffer: the BitBlt of the buffer into the
// window's DC, and Qt's blit of the window's surface to the screen (offscreen).

#include "platform/gdi.h"
#include "platform/qt.h"
#include "platform/user_paint.h"
#include "platform/user_windows.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>
#include <benchmark/benchmark.h>

#include <clocale>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

LRESULT quiet_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcW(window, message, wparam, lparam);
}

HWND full_hd_window()
{
    static HWND window = [] {
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.lpfnWndProc = quiet_procedure;
        window_class.lpszClassName = u"BenchWindow";
        RegisterClassExW(&window_class);
        HWND made = CreateWindowExW(0, u"BenchWindow", u"bench", WS_POPUP | WS_VISIBLE, 0, 0,
                                    kWidth, kHeight, nullptr, nullptr, nullptr, nullptr);
        UpdateWindow(made);
        return made;
    }();
    return window;
}

// A 32-bit top-down back buffer with a pattern, as the drawing view keeps one.
struct BackBuffer {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = nullptr;
    BackBuffer()
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        SelectObject(dc, bitmap);
        auto* pixels = static_cast<uint32_t*>(bits);
        for (int i = 0; i < kWidth * kHeight; ++i)
            pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0x00FFFFFFu;
    }
};

void BackBufferIntoWindowDC(benchmark::State& state)
{
    HWND window = full_hd_window();
    static BackBuffer buffer;
    for (auto _ : state) {
        HDC dc = GetDC(window);
        BitBlt(dc, 0, 0, kWidth, kHeight, buffer.dc, 0, 0, SRCCOPY);
        ReleaseDC(window, dc);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 4);
}
BENCHMARK(BackBufferIntoWindowDC)->Unit(benchmark::kMillisecond);

void QtBlitOfTheWindowSurface(benchmark::State& state)
{
    QWidget* widget = platform::WidgetOf(full_hd_window());
    if (widget == nullptr) {
        state.SkipWithError("no widget");
        return;
    }
    QCoreApplication::processEvents();
    for (auto _ : state) {
        widget->repaint(); // paints the whole surface into Qt's backing store now
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 4);
}
BENCHMARK(QtBlitOfTheWindowSurface)->Unit(benchmark::kMillisecond);

}

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    std::setlocale(LC_ALL, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
