// A full paint of the list-view control's film strip, 1920 by 150 pixels, holding 50 or
// 20,000 drawings: only the items in the paint rectangle are visited, so the two should
// cost about the same.

#include "framework/forms.h"
#include "listview/groups.h"
#include "listview/items.h"
#include "listview/listview.h"

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

void BM_FilmStripFullPaint(benchmark::State& state)
{
    TOwned<PaintableListview> strip = film_strip(static_cast<int>(state.range(0)));
    TBitmap buffer;
    buffer.SetPixelFormat(pf32bit);
    buffer.SetSize(strip->ClientWidth(), strip->ClientHeight());
    const TRect client{0, 0, strip->ClientWidth(), strip->ClientHeight()};
    for (auto _ : state) {
        strip->DoPaintRect(buffer.Canvas(), client, false);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FilmStripFullPaint)->Arg(50)->Arg(20000)->Unit(benchmark::kMicrosecond);

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
