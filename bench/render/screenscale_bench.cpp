// Cost of enlarging a frame for a screen scaled by a fraction (150 %), as the paint box does
// for every frame that changes there: the whole frame (a Paused or Top 10 frame, which
// moves everywhere), and the band of rows a slide changes (one row of 7 x 7 tiles).
#include <benchmark/benchmark.h>

#include "render/layout.h"
#include "render/screenscale.h"

namespace {

QImage Frame(bool zoomed) {
    const WindowSizes sizes = zoomed ? ZoomOn(DesignSizes) : DesignSizes;
    const Layout layout = ComputeLayout(sizes.panelWidth, sizes.panelHeight);
    QImage frame(layout.W, layout.H, QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) frame.setPixel(x, y, qRgb(x % 256, y % 256, (x ^ y) % 256));
    return frame;
}

void EnlargeWholeFrame(benchmark::State& state) {
    const QImage frame = Frame(state.range(0) != 0);
    ScreenScaler scaler;
    scaler.Update(frame, 1.5, 0, frame.height() - 1);
    for (auto _ : state) {
        scaler.Update(frame, 1.5, 0, frame.height() - 1);
        benchmark::DoNotOptimize(scaler.Scaled().constBits());
    }
}
BENCHMARK(EnlargeWholeFrame)->Arg(0)->Arg(1)->ArgName("zoomed")->Unit(benchmark::kMicrosecond);

void EnlargeSlideBand(benchmark::State& state) {
    const bool zoomed = state.range(0) != 0;
    const QImage frame = Frame(zoomed);
    const int tile = zoomed ? 61 : 35;
    ScreenScaler scaler;
    scaler.Update(frame, 1.5, 0, frame.height() - 1);
    for (auto _ : state) {
        scaler.Update(frame, 1.5, 50, 50 + tile - 1);
        benchmark::DoNotOptimize(scaler.Scaled().constBits());
    }
}
BENCHMARK(EnlargeSlideBand)->Arg(0)->Arg(1)->ArgName("zoomed")->Unit(benchmark::kMicrosecond);

}  // namespace
