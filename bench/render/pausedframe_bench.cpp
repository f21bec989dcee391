// Cost of composing one Paused frame (the drifting grey picture, eleven bursts of sparks,
// "PAUSED" and the scroller with its shadow) and of its parts, at the design size and
// zoomed, on Qt's offscreen platform. The bursts are kept alive for the whole run, so every
// frame steps and draws all 451 particles.
#include <benchmark/benchmark.h>

#include <QPainter>

#include "common/random.h"
#include "game/hiscoretable.h"
#include "render/frame.h"
#include "render/layout.h"
#include "render/particles.h"
#include "render/textscreens.h"

namespace {

struct PausedScene {
    explicit PausedScene(bool zoomed) : particles(random) {
        const WindowSizes sizes = zoomed ? ZoomOn(DesignSizes) : DesignSizes;
        const Layout layout = ComputeLayout(sizes.panelWidth, sizes.panelHeight);
        renderer.Resize(layout.W, layout.H);
        preview = QImage(layout.BoardSize, layout.BoardSize, QImage::Format_RGB32);
        for (int y = 0; y < preview.height(); ++y)
            for (int x = 0; x < preview.width(); ++x) preview.setPixel(x, y, qRgb(x % 256, x % 256, x % 256));
        random.Seed(7);
        for (int g = 0; g < ParticleSystem::kGroupCount; ++g)
            particles.SpawnBurst(40 + g * 20, 40 + g * 15);
        for (ParticleGroup& group : particles.ParticlePool)
            for (TParticle& p : group.Particles) p.Life = p.MaxLife = 1 << 30;
        model.state = ScreenState::Paused;
        model.preview = &preview;
        model.pause = &pause;
        model.particles = &particles;
        model.hiScores = &table;
        model.scroller = ScrollerText({"Seaside views from the old harbour at dawn and dusk",
                                       "Lighthouse", 4, 10, "1.10"});
    }
    Random random;
    ParticleSystem particles;
    FrameRenderer renderer;
    FrameModel model;
    QImage preview;
    PauseAnimation pause;
    HiScoreTable table;
};

void PausedFrame(benchmark::State& state) {
    PausedScene scene(state.range(0) != 0);
    for (auto _ : state) {
        scene.renderer.DrawFrame(scene.model);
        benchmark::DoNotOptimize(scene.renderer.BackBuffer.constBits());
    }
    if (scene.particles.GroupsInUse() != ParticleSystem::kGroupCount) state.SkipWithError("bursts ran out");
}
BENCHMARK(PausedFrame)->Arg(0)->Arg(1)->ArgName("zoomed")->Unit(benchmark::kMicrosecond);

void UpdateElevenBursts(benchmark::State& state) {
    PausedScene scene(state.range(0) != 0);
    for (auto _ : state) {
        scene.particles.UpdateParticles(scene.renderer.BackBuffer);
        benchmark::DoNotOptimize(scene.renderer.BackBuffer.constBits());
    }
}
BENCHMARK(UpdateElevenBursts)->Arg(0)->Arg(1)->ArgName("zoomed")->Unit(benchmark::kMicrosecond);

// Filled straight into the frame, as the renderer does, or copied through a painter.
void TitleAndScroller(benchmark::State& state) {
    PausedScene scene(state.range(0) != 0);
    QImage& buffer = scene.renderer.BackBuffer;
    const bool painted = state.range(1) != 0;
    for (auto _ : state) {
        if (painted) {
            QPainter painter(&buffer);
            DrawPaused(painter, scene.model.scroller, scene.pause, buffer.width(), buffer.height());
        } else {
            DrawPaused(buffer, scene.model.scroller, scene.pause, buffer.width(), buffer.height());
        }
    }
}
BENCHMARK(TitleAndScroller)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"zoomed", "painter"})
    ->Unit(benchmark::kMicrosecond);

void TopTenFrame(benchmark::State& state) {
    PausedScene scene(state.range(0) != 0);
    scene.model.state = ScreenState::TopTen;
    for (auto _ : state) {
        scene.renderer.DrawFrame(scene.model);
        benchmark::DoNotOptimize(scene.renderer.BackBuffer.constBits());
    }
}
BENCHMARK(TopTenFrame)->Arg(0)->Arg(1)->ArgName("zoomed")->Unit(benchmark::kMicrosecond);

}  // namespace
