// A full paint of the list-view control's film strip, 1920 by 150 pixels, holding 50 or
// 20,000 drawings: only the items in the paint rectangle are visited, so the two should
// cost about the same, at the start of the strip and at its far end.

#include "framework/forms.h"
#include "listview/groups.h"
#include "listview/items.h"
#include "listview/listview.h"
#include "listview/scrollbars.h"

#include <QtWidgets/QApplication>
#include <benchmark/benchmark.h>

#include <clocale>

using namespace fw;
using namespace vistrel::listview;

namespace {

class PaintableListview : public TLqListview {
public:
    using TCustomLqListview::DoPaintRect;
    using TLqListview::TLqListview;
};

// A film strip as the viewer fills it: one captioned item per drawing, thumbnails drawn
// by the handler.
TOwned<PaintableListview> film_strip(int items)
{
    TOwned<PaintableListview> strip(new PaintableListview(nullptr));
    strip->SetBorderStyle(bsNone);
    strip->SetBounds(0, 0, 1920, 150);
    strip->HandleNeeded();
    strip->SetView(elsFilmStrip);
    strip->OnItemThumbnailDraw = [](TObject*, TLqItem*, TCanvas* canvas, const TRect& rect,
                                    TLqAlphaBlender*, bool& do_default) {
        canvas->Brush()->SetColor(clSilver);
        canvas->FillRect(rect);
        do_default = false;
    };
    strip->BeginUpdate();
    for (int i = 0; i < items; ++i)
        strip->Items()->Add(nullptr)->SetCaption(QStringLiteral("drawing_%1.dxf").arg(i));
    strip->EndUpdate(false);
    strip->Items()->Items(0)->SetSelected(true);
    return strip;
}

void paint_repeatedly(benchmark::State& state, PaintableListview* strip)
{
    TBitmap buffer;
    buffer.SetPixelFormat(pf32bit);
    buffer.SetSize(strip->ClientWidth(), strip->ClientHeight());
    const TRect client{0, 0, strip->ClientWidth(), strip->ClientHeight()};
    for (auto _ : state) {
        strip->DoPaintRect(buffer.Canvas(), client, false);
        benchmark::ClobberMemory();
    }
}

void BM_FilmStripFullPaint(benchmark::State& state)
{
    TOwned<PaintableListview> strip = film_strip(static_cast<int>(state.range(0)));
    paint_repeatedly(state, strip.get());
}
BENCHMARK(BM_FilmStripFullPaint)->Arg(50)->Arg(20000)->Unit(benchmark::kMicrosecond);

// The same paint with the strip scrolled to its far end, where finding the first item in
// the rectangle must not walk every item before it.
void BM_FilmStripFullPaintScrolledToTheEnd(benchmark::State& state)
{
    TOwned<PaintableListview> strip = film_strip(static_cast<int>(state.range(0)));
    strip->Scrollbars()->SetOffsetX(strip->Scrollbars()->MaxOffsetX());
    paint_repeatedly(state, strip.get());
}
BENCHMARK(BM_FilmStripFullPaintScrolledToTheEnd)
    ->Arg(50)
    ->Arg(20000)
    ->Unit(benchmark::kMicrosecond);

}

int main(int argc, char** argv)
{
    fw::PrepareQtApplication();
    QApplication application(argc, argv);
    std::setlocale(LC_ALL, "C");
    benchmark::Initialize(&argc, argv);
    fw::InitializeFormsUnit();
    fw::Application->Initialize();
    InitializeListviewUnit();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fw::FinalizeFormsUnit();
    return 0;
}
